// The game's sound services: which of the 32 stream channels carries the music, the background
// voices, the effects and the voices, on the sound back end the game configuration chose at
// start-up (XAudio2 or DirectSound). Here: the four queries with which the play screen's sound
// waits end. Window thread.
#pragma once

// True when any of the kind's channels plays: music 0 and 1, background voices 2 and 3, effects
// 4 to 8, voices 10 to 14.
bool IsBgmPlaying();
bool IsBgvPlaying();
bool IsSePlaying();
bool IsVoicePlaying();
