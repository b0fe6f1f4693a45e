// The media subsystem's side of the core's GxMediaServicesBase: the sound device set-up and
// shut-down of both back ends, the channel managers' per-frame services, and the movie COM
// start-up, slot poll and shut-down.
#pragma once

#include "core/media_services.h"

class GxMediaServices : public GxMediaServicesBase {
public:
    bool InitAudioDevice(std::uint8_t use3D) override;
    bool SoundInitDevice(HWND window, std::uint8_t use3D) override;
    bool MovieInitCom() override;
    void AudioUpdatePlayers() override;
    void SoundUpdatePlayers() override;
    void AudioUpdate3D() override;
    void SoundUpdate3D() override;
    void MovieSlotTickAll() override;
    void SoundShutdownDevice() override;
    void AudioShutdownDevice() override;
    void MovieShutdown() override;
};

// Installs one process-wide GxMediaServices into the core; safe to call more than once.
void InstallMediaServices();
