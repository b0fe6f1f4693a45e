// The PCM description every sound loader hands to the players (the platform's 18-byte packed
// record), and the one conversion of millisecond positions into frames.
#pragma once

#include "platform/audio/wave_format.h"

#include <cstdint>

static_assert(sizeof(WAVEFORMATEX) == 18);

// trunc(rate / 1000 x ms) in whole-number arithmetic, so 1000 ms at 44,100 Hz is frame 44,100.
inline std::uint64_t MillisecondsToFrames(std::uint32_t milliseconds, std::uint32_t samplesPerSecond)
{
    return static_cast<std::uint64_t>(milliseconds) * samplesPerSecond / 1000;
}
