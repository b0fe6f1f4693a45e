// What the saved game asks of the sound channels, the movie slots and the play screen, which all
// sit above the data subsystem: the adventure module installs one GxPlayStateServicesBase at
// start-up. Until it does, the default does nothing (no sound plays, no movie runs, there is no
// play screen).
#pragma once

#include <cstdint>
#include <string>

class GxPlayStateServicesBase {
public:
    virtual ~GxPlayStateServicesBase() = default;

    // Each stop also clears the channel's record in the saved game.
    virtual void StopBgm(std::int32_t fadeMs) = 0;
    virtual void StopBgv(std::int32_t fadeMs) = 0;
    virtual void StopAllSeChannels() = 0;
    virtual void StopAllVoiceChannels() = 0;
    virtual void StopExtraVoiceChannels() = 0;
    virtual bool IsBgmPlaying() = 0;
    virtual bool IsBgvPlaying() = 0;
    virtual void PlayBgm(const std::u16string& file, std::int32_t loop, std::uint32_t startPos, std::uint32_t loopPos,
                         std::int32_t fadeInMs, bool skipIfSame) = 0;
    virtual void PlayBgv(const std::u16string& file, std::int32_t loop, std::uint32_t startPos, std::uint32_t loopPos,
                         std::int32_t fadeInMs) = 0;
    virtual void PlaySeChannel(std::int32_t slot, const std::u16string& file, std::int32_t loop, std::uint32_t startPos,
                               std::int32_t fadeInMs, std::uint32_t loopPos) = 0;
    // Every one-shot sound of the sound back end in use.
    virtual void StopAllStaticSounds() = 0;
    virtual void MovieSlotStopAll() = 0;
    // The play screen's message window and window state.
    virtual void ResetWindows() = 0;
    // The global fade overlay to opaque over that time; at once below 1.
    virtual void AvgGlobalFadeOut(std::int32_t ms) = 0;
};

// Not owned; null puts the do-nothing default back. Returns the previous one (null for the default).
GxPlayStateServicesBase* SetPlayStateServices(GxPlayStateServicesBase* services);
// Never null.
GxPlayStateServicesBase& GetPlayStateServices();
