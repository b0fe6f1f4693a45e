// The format the mixer mixes in, and the source formats it accepts.
#pragma once

#include "platform/audio/wave_format.h"

#include <cstdint>

namespace platform {

constexpr std::uint32_t kMixRate = 44100;
constexpr std::uint32_t kMixChannels = 2;
constexpr std::uint32_t kMixBlockFrames = 441;   // 10 ms
constexpr std::uint32_t kMinSourceRate = 1000;
constexpr std::uint32_t kMaxSourceRate = 200000;
constexpr std::uint32_t kMaxSourceChannels = 8;

// PCM, 8-bit unsigned or 16-bit signed, 1 to 8 channels, a whole-frame block alignment and a
// rate the mixer resamples from.
bool IsMixableFormat(const WAVEFORMATEX& format);

// The default source-channels x 2 matrix (row-major: source channel c gives left
// matrix[c * 2] and right matrix[c * 2 + 1]). Mono goes to both sides at unity, stereo to left
// and right. More channels are taken in the order front left, front right, front centre, LFE,
// back left, back right, side left, side right: each side gets its own channels at unity and
// the centre at 0.7071; the LFE is dropped.
void DefaultOutputMatrix(std::uint32_t sourceChannels, float* matrix);

}  // namespace platform
