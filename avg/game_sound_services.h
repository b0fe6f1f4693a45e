// The game's sound services: which of the 32 stream channels carries the music, the background
// voices, the effects and the voices, on the sound back end the game configuration chose at
// start-up (XAudio2 or DirectSound); the volumes from the player's options; and the sound records
// of the game data that a saved game restores. Window thread.
//
// Channels: 0 and 1 music (cross-faded), 2 background voice (3 a second one that is queried,
// re-volumed and closed with the samples but never started here), 4 to 7 effect slots 0 to 3,
// 8 the configuration screen's effect sample, 10 to 13 voice slots 0 to 3, 14 the voice sample,
// 15 the system voice, 16 the system-voice sample, 17 to 25 the extra voices.
//
// Loops are numbers of plays (0 endless), handed to the channels as repeats (-1 endless). A
// channel that fails to play is not reported: the record still holds the sound, so a saved game
// brings it back.
#pragma once

#include <cstdint>
#include <string>

// True when any of the kind's channels plays: music 0 and 1, background voices 2 and 3, effects
// 4 to 8, voices 10 to 14.
bool IsBgmPlaying();
bool IsBgvPlaying();
bool IsSePlaying();
bool IsVoicePlaying();

// Whether the XAudio2 twin of each channel operation is the one in use (also without a core).
bool UsesXAudio2Sound();

// With the skip flag and the music record's file exactly `file`: nothing, true. Otherwise the
// record takes the values (its character row stays) and the music cross-fades to the file over
// the fade-in; the result is the cross-fade's.
bool PlayBgm(const std::u16string& file, std::int32_t loop, std::uint32_t startMs, std::uint32_t loopPosMs,
             std::int32_t fadeInMs, bool skipIfSame);
bool PlayBgv(const std::u16string& file, std::int32_t loop, std::uint32_t startMs, std::uint32_t loopPosMs,
             std::int32_t fadeInMs);
// Slots 0 to 3; another slot is refused with a log line and changes nothing.
bool PlaySeChannel(std::int32_t slot, const std::u16string& file, std::int32_t loop, std::uint32_t startMs,
                   std::int32_t fadeInMs, std::uint32_t loopPosMs);
// Records the voice (once, from the start, the character row) and plays it once.
bool PlayVoiceChannel(std::int32_t slot, const std::u16string& file, std::int32_t charID);
// False when the slot's record is empty; else plays it again, the record unchanged.
bool ReplayVoiceChannel(std::int32_t slot);
// Once on the slot's voice channel at the character's volume; no record.
bool PlayBacklogVoice(std::int32_t charID, std::int32_t slot, const std::u16string& file);
// A random activated speaker's voice number `voiceID` (1 to 23) on channel 15; false when none
// plays.
bool PlaySystemVoice(std::int32_t voiceID);
// Sound 0 first fades the system voice out (200 ms); then the system voice `voiceID`; then the
// one-shot system sound `soundID` (0 to 9; -1 none). Always true.
bool PlaySystemSound(std::int32_t soundID, std::int32_t voiceID);
bool PlayConfigSeSample(const std::u16string& file);
// Also marks the sample as the one playing (name, slot, start time) for the configuration screen.
bool PlayConfigVoiceSample(const std::u16string& file, std::int32_t volumeSlot);
bool PlayConfigSystemVoiceSample(const std::u16string& file);

// Each stop clears the records named; fades are in milliseconds (0 at once).
void StopBgm(std::int32_t fadeMs);
void StopBgv(std::int32_t fadeMs);
void StopSeChannel(std::int32_t slot, std::int32_t fadeMs);
bool StopAllSeChannels();
void StopVoiceChannel(std::int32_t slot);
bool StopAllVoiceChannels();
// The voice channels only: the records stay (a menu screen opened over the play screen).
bool StopVoiceChannels(std::int32_t fadeMs);
bool StopExtraVoiceChannels();
// Closes channels 3, 8, 14, 16 and 25 and clears the sample state.
bool StopConfigSamples();
// Every one-shot sound of the back end in use.
bool StopAllStaticSounds();

// The current options applied again to what plays (after a slider of the configuration screen).
// Music sets one channel only: 0 when it plays, else 1.
void ApplyBgmVolume();
void ApplyBgvVolume(bool mute);
void ApplyMovieVolume();
void ApplySeVolume();
void ApplyVoiceVolume();
void ApplySystemVoiceVolume();
void ApplyExtraVoiceVolume();
