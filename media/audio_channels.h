// The XAudio2 channel manager: the one door through which the engine makes sound on this back
// end. Volumes are linear gains (1.0 unchanged, 0.0 silent). Every operation is refused (false)
// while the back end is not enabled; channel numbers are 0 to 31.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

bool AudioStreamPlay(std::uint32_t channel, const std::u16string& fileName, std::int32_t loopCount,
                     std::uint32_t startMs, std::uint32_t fadeInMs, float volume, std::int32_t reservedValue,
                     std::uint32_t loopStartMs);
bool AudioStreamClose(std::uint32_t channel);
// Fade 0 closes at once; otherwise a fade-out to 0.0 after which the channel closes itself.
bool AudioStreamStop(std::uint32_t channel, std::uint32_t fadeMs);
bool AudioStreamSetVolume(std::uint32_t channel, float volume);
bool AudioStreamIsPlaying(std::uint32_t channel);
bool AudioStopBgmChannels(std::uint32_t fadeMs);
// Background music over channels 0 and 1: the playing one fades out while the other fades in.
bool AudioPlayBgmCrossfade(const std::u16string& fileName, std::int32_t loopCount, std::uint32_t startMs,
                           std::uint32_t fadeMs, float volume, std::int32_t reservedValue, std::uint32_t loopStartMs);
// A one-shot from the decoded-sound cache; `outSerial` (may be null) gets the player serial.
bool AudioPlayStatic(std::uint32_t* outSerial, const std::u16string& name, std::int32_t loopCount,
                     std::uint32_t startMs, std::uint32_t fadeInMs, float volume, std::int32_t reservedValue);
bool AudioStopAllStatic();
// Every fourth main-loop pass: fades advance, finished one-shots are deleted.
bool AudioUpdatePlayers();
// Every fourth main-loop pass, without the channel lock: listener changes and each player's 3D output.
void AudioUpdate3D();

// Read-only views for the game's sound services: while a channel plays, the file and loop
// count of its last play (else empty and 0); its voice's volume; the live one-shots by name.
std::u16string AudioStreamGetFileName(std::uint32_t channel);
std::int32_t AudioStreamGetLoopCount(std::uint32_t channel);
float AudioStreamGetVolume(std::uint32_t channel);
std::vector<std::u16string> AudioGetStaticNames();
