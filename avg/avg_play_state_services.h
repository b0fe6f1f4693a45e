// The adventure module's side of the saved game's play-state services.
#pragma once

#include "data/play_state_services.h"

// What a loaded game stops, asks and restarts: the game sound services, the movies and the
// global fade, and the play screen's reset.
class GxAvgPlayStateServices : public GxPlayStateServicesBase {
public:
    void StopBgm(std::int32_t fadeMs) override;
    void StopBgv(std::int32_t fadeMs) override;
    void StopAllSeChannels() override;
    void StopAllVoiceChannels() override;
    void StopExtraVoiceChannels() override;
    bool IsBgmPlaying() override;
    bool IsBgvPlaying() override;
    void PlayBgm(const std::u16string& file, std::int32_t loop, std::uint32_t startPos, std::uint32_t loopPos,
                 std::int32_t fadeInMs, bool skipIfSame) override;
    void PlayBgv(const std::u16string& file, std::int32_t loop, std::uint32_t startPos, std::uint32_t loopPos,
                 std::int32_t fadeInMs) override;
    void PlaySeChannel(std::int32_t slot, const std::u16string& file, std::int32_t loop, std::uint32_t startPos,
                       std::int32_t fadeInMs, std::uint32_t loopPos) override;
    void StopAllStaticSounds() override;
    void MovieSlotStopAll() override;
    // ResetPlayScreen of the play screen, when there is one.
    void ResetWindows() override;
    void AvgGlobalFadeOut(std::int32_t ms) override;
};

// Installs the module's one object into the saved game.
void InstallAvgPlayStateServices();
