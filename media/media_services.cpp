#include "media/media_services.h"

#include "media/audio_channels.h"
#include "media/sound_channels.h"
#include "media/movie_slots.h"
#include "media/sound_devices.h"

bool GxMediaServices::InitAudioDevice(std::uint8_t use3D)
{
    return ::InitAudioDevice(use3D);
}

bool GxMediaServices::SoundInitDevice(HWND window, std::uint8_t use3D)
{
    return ::SoundInitDevice(window, use3D);
}

void GxMediaServices::AudioUpdatePlayers() { ::AudioUpdatePlayers(); }

void GxMediaServices::SoundUpdatePlayers() { ::SoundUpdatePlayers(); }

void GxMediaServices::AudioUpdate3D() { ::AudioUpdate3D(); }

void GxMediaServices::SoundUpdate3D() { ::SoundUpdate3D(); }

void GxMediaServices::SoundShutdownDevice()
{
    ::SoundShutdownDevice();
}

void GxMediaServices::AudioShutdownDevice()
{
    ::AudioShutdownDevice();
}

bool GxMediaServices::MovieInitCom() { return ::MovieInitCom(); }

void GxMediaServices::MovieSlotTickAll() { ::MovieSlotTickAll(); }

void GxMediaServices::MovieShutdown() { ::MovieShutdown(); }

void InstallMediaServices()
{
    static GxMediaServices services;
    SetMediaServices(&services);
}
