// The audio and movie services the engine core calls: device set-up at start-up, the
// periodic player updates and the movie-slot poll of the main loop, and the shut-down. The
// media subsystem, above the core, fills them: the process entry installs its
// GxMediaServicesBase before the core starts. Until one is installed (and in tests without
// one), each call does nothing.
#pragma once

#include "platform/win32/win_types.h"

#include <cstdint>

class GxMediaServicesBase {
public:
    virtual ~GxMediaServicesBase() = default;

    // Start-up, after the input devices, in this order; the results are not used.
    virtual bool InitAudioDevice(std::uint8_t use3D) = 0;
    virtual bool SoundInitDevice(HWND window, std::uint8_t use3D) = 0;
    virtual bool MovieInitCom() = 0;

    // Every fourth main-loop pass, in this order.
    virtual void AudioUpdatePlayers() = 0;
    virtual void SoundUpdatePlayers() = 0;
    virtual void AudioUpdate3D() = 0;
    virtual void SoundUpdate3D() = 0;
    // Every pass.
    virtual void MovieSlotTickAll() = 0;

    // Shut-down, in this order.
    virtual void SoundShutdownDevice() = 0;
    virtual void AudioShutdownDevice() = 0;
    virtual void MovieShutdown() = 0;
};

// Not owned; null removes it. Returns the previous one.
GxMediaServicesBase* SetMediaServices(GxMediaServicesBase* services);
GxMediaServicesBase* GetMediaServices();
