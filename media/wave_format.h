// The PCM description every sound loader hands to the players, laid out as the Windows record
// (18 bytes, packed), and the one conversion of millisecond positions into frames.
#pragma once

#include "platform/win32/win_types.h"

#include <cstdint>

#ifndef _WAVEFORMATEX_
#define _WAVEFORMATEX_
#pragma pack(push, 1)
struct WAVEFORMATEX {
    WORD wFormatTag;
    WORD nChannels;
    DWORD nSamplesPerSec;
    DWORD nAvgBytesPerSec;
    WORD nBlockAlign;
    WORD wBitsPerSample;
    WORD cbSize;
};
#pragma pack(pop)
#endif
static_assert(sizeof(WAVEFORMATEX) == 18);

#ifndef WAVE_FORMAT_PCM
#define WAVE_FORMAT_PCM 1
#endif

// trunc(rate / 1000 x ms) in whole-number arithmetic, so 1000 ms at 44,100 Hz is frame 44,100.
inline std::uint64_t MillisecondsToFrames(std::uint32_t milliseconds, std::uint32_t samplesPerSecond)
{
    return static_cast<std::uint64_t>(milliseconds) * samplesPerSecond / 1000;
}
