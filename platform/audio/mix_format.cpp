#include "platform/audio/mix_format.h"

namespace platform {

bool IsMixableFormat(const WAVEFORMATEX& format)
{
    if (format.wFormatTag != WAVE_FORMAT_PCM) return false;
    if (format.nChannels == 0 || format.nChannels > kMaxSourceChannels) return false;
    if (format.wBitsPerSample != 8 && format.wBitsPerSample != 16) return false;
    if (format.nBlockAlign != format.nChannels * format.wBitsPerSample / 8) return false;
    return format.nSamplesPerSec >= kMinSourceRate && format.nSamplesPerSec <= kMaxSourceRate;
}

void DefaultOutputMatrix(std::uint32_t sourceChannels, float* matrix)
{
    constexpr float kCentre = 0.70710678f;
    for (std::uint32_t c = 0; c < sourceChannels; ++c) {
        float left = 0.0f;
        float right = 0.0f;
        if (sourceChannels == 1) {
            left = right = 1.0f;
        } else {
            switch (c) {
            case 0: case 4: case 6: left = 1.0f; break;
            case 1: case 5: case 7: right = 1.0f; break;
            case 2: left = right = kCentre; break;
            default: break;   // LFE
            }
        }
        matrix[c * 2] = left;
        matrix[c * 2 + 1] = right;
    }
}

}  // namespace platform
