// The adventure module's side of the saved game's play-state services.
#pragma once

#include "data/play_state_services.h"

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

// Installs the module's one object into the saved game.
void InstallAvgPlayStateServices();
