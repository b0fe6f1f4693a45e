// Stand-ins for the audio and movie services of the media subsystem until it is built: device
// set-up and shut-down, the periodic player updates and the movie-slot poll. Each call is only
// recorded.
#pragma once

#include "platform/win32/win_types.h"

#include <cstdint>

bool InitAudioDevice(std::int32_t flags);
bool SoundInitDevice(HWND window, std::int32_t flags);
bool MovieInitCom();

void AudioUpdatePlayers();
void SoundUpdatePlayers();
void AudioUpdate3D();
void SoundUpdate3D();
void MovieSlotTickAll();

void SoundShutdownDevice();
void AudioShutdownDevice();
void MovieShutdown();
