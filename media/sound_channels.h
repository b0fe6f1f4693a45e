// The DirectSound channel manager: the one door through which the engine makes sound on this back
// end. Volumes are attenuations in hundredths of a decibel (0 full, -6400 the silence of fades). Every operation is refused (false)
// while the back end is not enabled; channel numbers are 0 to 31.
#pragma once

#include "platform/win32/win_types.h"

#include <cstdint>
#include <string>
#include <vector>

bool SoundStreamPlay(std::uint32_t channel, const std::u16string& fileName, std::int32_t loopCount,
                     std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume, std::int32_t reservedValue,
                     std::uint32_t loopStartMs);
bool SoundStreamClose(std::uint32_t channel);
// Fade 0 closes at once; otherwise a fade-out to -6400 after which the channel closes itself.
bool SoundStreamStop(std::uint32_t channel, std::uint32_t fadeMs);
bool SoundStreamSetVolume(std::uint32_t channel, LONG volume);
bool SoundStreamIsPlaying(std::uint32_t channel);
bool SoundStopBgmChannels(std::uint32_t fadeMs);
// Background music over channels 0 and 1: the playing one fades out while the other fades in.
bool SoundPlayBgmCrossfade(const std::u16string& fileName, std::int32_t loopCount, std::uint32_t startMs,
                           std::uint32_t fadeMs, LONG volume, std::int32_t reservedValue, std::uint32_t loopStartMs);
// A one-shot from the decoded-sound cache; `outSerial` (may be null) gets the player serial.
bool SoundPlayStatic(std::uint32_t* outSerial, const std::u16string& name, std::int32_t loopCount,
                     std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume, std::int32_t reservedValue);
bool SoundStopAllStatic();
// Every fourth main-loop pass: fades advance, finished one-shots are deleted.
bool SoundUpdatePlayers();
// Every fourth main-loop pass, without the channel lock: listener changes and each player's 3D output.
void SoundUpdate3D();

// Read-only views for the game's sound services: while a channel plays, the file and loop
// count of its last play (else empty and 0); its buffer's volume; the live one-shots by name.
std::u16string SoundStreamGetFileName(std::uint32_t channel);
std::int32_t SoundStreamGetLoopCount(std::uint32_t channel);
LONG SoundStreamGetVolume(std::uint32_t channel);
std::vector<std::u16string> SoundGetStaticNames();
