#include "platform/audio/pcm_convert.h"

#include <algorithm>
#include <cmath>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform {

namespace {

template <typename Sample>
float SampleValue(Sample sample)
{
    if constexpr (sizeof(Sample) == 1) return static_cast<float>(static_cast<int>(sample) - 128);
    else return static_cast<float>(sample);
}

template <MixWrite kWrite>
void Put(float* out, float value)
{
    if constexpr (kWrite == MixWrite::Add) *out += value;
    else *out = value;
}

template <typename Sample, MixWrite kWrite>
void GeneralFrames(const Sample* samples, std::uint32_t channels, std::uint32_t frames, const float* levels,
                   float* out)
{
    for (std::uint32_t f = 0; f < frames; ++f) {
        float left = 0.0f;
        float right = 0.0f;
        for (std::uint32_t c = 0; c < channels; ++c) {
            const float v = SampleValue(samples[std::size_t{f} * channels + c]);
            left += v * levels[c * 2];
            right += v * levels[c * 2 + 1];
        }
        Put<kWrite>(&out[std::size_t{f} * 2], left);
        Put<kWrite>(&out[std::size_t{f} * 2 + 1], right);
    }
}

// Stereo whose left goes only left and right only right (the default matrix, any volume): one
// multiply per sample, over the interleaved samples as they lie, which the compiler vectorises.
// The cross terms dropped are zeros, which change no sum.
template <typename Sample, MixWrite kWrite>
void StraightStereo(const Sample* __restrict samples, std::uint32_t frames, float left, float right,
                    float* __restrict out)
{
    const float levels[4] = {left, right, left, right};
    const std::size_t count = std::size_t{frames} * 2;
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        for (std::size_t k = 0; k < 4; ++k) Put<kWrite>(&out[i + k], SampleValue(samples[i + k]) * levels[k]);
    }
    for (; i < count; ++i) Put<kWrite>(&out[i], SampleValue(samples[i]) * levels[i & 1]);
}

template <typename Sample, MixWrite kWrite>
void PannedStereo(const Sample* __restrict samples, std::uint32_t frames, const float* levels, float* __restrict out)
{
    const float ll = levels[0], lr = levels[1], rl = levels[2], rr = levels[3];
    for (std::size_t f = 0; f < frames; ++f) {
        const float l = SampleValue(samples[f * 2]);
        const float r = SampleValue(samples[f * 2 + 1]);
        Put<kWrite>(&out[f * 2], l * ll + r * rl);
        Put<kWrite>(&out[f * 2 + 1], l * lr + r * rr);
    }
}

template <typename Sample, MixWrite kWrite>
void Mono(const Sample* __restrict samples, std::uint32_t frames, const float* levels, float* __restrict out)
{
    const float left = levels[0], right = levels[1];
    for (std::size_t f = 0; f < frames; ++f) {
        const float v = SampleValue(samples[f]);
        Put<kWrite>(&out[f * 2], v * left);
        Put<kWrite>(&out[f * 2 + 1], v * right);
    }
}

template <typename Sample, MixWrite kWrite>
void Fast(const Sample* samples, std::uint32_t channels, std::uint32_t frames, const float* levels, float* out)
{
    if (channels == 2) {
        if (levels[1] == 0.0f && levels[2] == 0.0f) StraightStereo<Sample, kWrite>(samples, frames, levels[0], levels[3], out);
        else PannedStereo<Sample, kWrite>(samples, frames, levels, out);
    } else if (channels == 1) {
        Mono<Sample, kWrite>(samples, frames, levels, out);
    } else {
        GeneralFrames<Sample, kWrite>(samples, channels, frames, levels, out);
    }
}

}  // namespace

void ConvertPcmToStereo(const std::uint8_t* data, std::uint32_t bitsPerSample, std::uint32_t channels,
                        std::uint32_t frames, const float* levels, float* out, MixWrite write)
{
    const auto* wide = reinterpret_cast<const std::int16_t*>(data);
    if (bitsPerSample == 16) {
        if (write == MixWrite::Add) Fast<std::int16_t, MixWrite::Add>(wide, channels, frames, levels, out);
        else Fast<std::int16_t, MixWrite::Over>(wide, channels, frames, levels, out);
    } else {
        if (write == MixWrite::Add) Fast<std::uint8_t, MixWrite::Add>(data, channels, frames, levels, out);
        else Fast<std::uint8_t, MixWrite::Over>(data, channels, frames, levels, out);
    }
}

void ConvertPcmToStereoGeneral(const std::uint8_t* data, std::uint32_t bitsPerSample, std::uint32_t channels,
                               std::uint32_t frames, const float* levels, float* out, MixWrite write)
{
    const auto* wide = reinterpret_cast<const std::int16_t*>(data);
    if (bitsPerSample == 16) {
        if (write == MixWrite::Add) GeneralFrames<std::int16_t, MixWrite::Add>(wide, channels, frames, levels, out);
        else GeneralFrames<std::int16_t, MixWrite::Over>(wide, channels, frames, levels, out);
    } else {
        if (write == MixWrite::Add) GeneralFrames<std::uint8_t, MixWrite::Add>(data, channels, frames, levels, out);
        else GeneralFrames<std::uint8_t, MixWrite::Over>(data, channels, frames, levels, out);
    }
}

void ClipToPcm16(const float* mix, std::int16_t* out, std::size_t samples)
{
    std::size_t i = 0;
#if defined(__SSE2__)
    // The conversion rounds in the current mode, as nearbyint does; clipping first keeps every
    // value in its range, and clipping and rounding commute at whole-number bounds.
    const __m128 scale = _mm_set1_ps(32768.0f);
    const __m128 low = _mm_set1_ps(-32768.0f);
    const __m128 high = _mm_set1_ps(32767.0f);
    auto clip = [&](const float* from) {
        const __m128 scaled = _mm_mul_ps(_mm_loadu_ps(from), scale);
        const __m128 number = _mm_and_ps(scaled, _mm_cmpord_ps(scaled, scaled));   // a NaN becomes 0
        return _mm_cvtps_epi32(_mm_min_ps(_mm_max_ps(number, low), high));
    };
    for (; i + 8 <= samples; i += 8) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), _mm_packs_epi32(clip(mix + i), clip(mix + i + 4)));
    }
#endif
    ClipToPcm16General(mix + i, out + i, samples - i);
}

void ClipToPcm16General(const float* mix, std::int16_t* out, std::size_t samples)
{
    for (std::size_t i = 0; i < samples; ++i) {
        const float scaled = std::nearbyint(mix[i] * 32768.0f);
        out[i] = std::isnan(scaled) ? std::int16_t{0}
                                    : static_cast<std::int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
    }
}

}  // namespace platform
