// The mixer's sample loops: a source's PCM frames to stereo float through its levels, and the
// float mix to 16-bit output. One general loop defines each result; the fast paths for the common
// formats give the same values (a zero may differ in sign, which no output shows).
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

enum class MixWrite {
    Over,   // the frames replace what `out` held
    Add,    // the frames are added to `out`
};

// `frames` frames of `channels` 8-bit unsigned or 16-bit signed samples to stereo float: side s
// of frame f is the sum over channels c, in order, of the sample's value times levels[c * 2 + s].
// `out` and `levels` must not overlap the source.
void ConvertPcmToStereo(const std::uint8_t* data, std::uint32_t bitsPerSample, std::uint32_t channels,
                        std::uint32_t frames, const float* levels, float* out, MixWrite write);
// The general loop alone: the definition the fast paths are held to.
void ConvertPcmToStereoGeneral(const std::uint8_t* data, std::uint32_t bitsPerSample, std::uint32_t channels,
                               std::uint32_t frames, const float* levels, float* out, MixWrite write);

// Each sample times 32768, rounded to the nearest (ties to even) and clipped to 16 bits; a NaN
// gives silence.
void ClipToPcm16(const float* mix, std::int16_t* out, std::size_t samples);
void ClipToPcm16General(const float* mix, std::int16_t* out, std::size_t samples);

}  // namespace platform
