// The adventure module's side of the core's game services (the start-up, the reset, the display
// defaults and the picture look-up) and of the saved game's play-state services. The process
// entry installs both.
#pragma once

#include "core/game_services.h"
#include "data/play_state_services.h"

class GxAvgGameServices : public GxGameServicesBase {
public:
    void SetDefaultDisplaySettings(GxCore* core) override;
    bool GameStartup(GxCore* core) override;
    bool GameReset(GxCore* core) override;
    bool ResolveImageFile(std::u16string& path) override;
};

// What a loaded game stops, asks and resets that this module already has: the movies, the
// global fade, the music and background-voice queries and the play screen's reset. The other
// sound operations come with the rest of the sound services.
class GxAvgPlayStateServices : public GxPlayStateServicesBase {
public:
    void StopBgm(std::int32_t) override {}
    void StopBgv(std::int32_t) override {}
    void StopAllSeChannels() override {}
    void StopAllVoiceChannels() override {}
    void StopExtraVoiceChannels() override {}
    bool IsBgmPlaying() override;
    bool IsBgvPlaying() override;
    void PlayBgm(const std::u16string&, std::int32_t, std::uint32_t, std::uint32_t, std::int32_t, bool) override {}
    void PlayBgv(const std::u16string&, std::int32_t, std::uint32_t, std::uint32_t, std::int32_t) override {}
    void PlaySeChannel(std::int32_t, const std::u16string&, std::int32_t, std::uint32_t, std::int32_t,
                       std::uint32_t) override
    {
    }
    void StopAllStaticSounds() override {}
    void MovieSlotStopAll() override;
    // ResetPlayScreen of the play screen, when there is one.
    void ResetWindows() override;
    void AvgGlobalFadeOut(std::int32_t ms) override;
};

// Installs the module's one object of each into the core and the saved game.
void InstallAvgGameServices();
void InstallAvgPlayStateServices();
