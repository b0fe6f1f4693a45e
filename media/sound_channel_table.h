// The channel table of one sound back end, the same shape for both: 32 stream channels that
// live until exit, the list of live one-shot players (at most 16) that it owns, and the
// operations the Audio* and Sound* free functions are made of. `Traits` names the back end's
// state, players, volume type and the one-shot play call. Each operation takes the back end's
// channel lock (re-entrant: the cross-fade stops a channel while holding it) and is refused
// while the back end is not enabled.
#pragma once

#include "foundation/mutex.h"
#include "platform/win32/timer.h"

#include <cstdint>
#include <list>
#include <memory>
#include <string>
#include <vector>

// Shut-down closes every stream channel and deletes every one-shot, whatever the enabled flag.
void AudioCloseAllStreams();
void AudioDeleteAllStatic();
void SoundCloseAllStreams();
void SoundDeleteAllStatic();

template <typename Traits>
class GxSoundChannelTable {
public:
    using Stream = typename Traits::Stream;
    using Static = typename Traits::Static;
    using Volume = typename Traits::Volume;

    static constexpr std::uint32_t kChannelCount = 32;
    static constexpr std::uint32_t kMaxOneShots = 16;
    // The same sound started again within this many milliseconds plays once.
    static constexpr std::uint32_t kRestartGuardMs = 4;

    struct OneShot {
        std::unique_ptr<Static> player;
        std::u16string name;
    };

    // Created on first use, alive until exit.
    static GxSoundChannelTable& Instance()
    {
        static GxSoundChannelTable* table = new GxSoundChannelTable;
        return *table;
    }

    bool StreamPlay(std::uint32_t channel, const std::u16string& fileName, std::int32_t loopCount,
                    std::uint32_t startMs, std::uint32_t fadeInMs, Volume volume, std::int32_t reservedValue,
                    std::uint32_t loopStartMs)
    {
        auto& state = Traits::State();
        GxMutexScopedLock lock(state.m_ChannelLock);
        if (!state.m_Enabled || channel >= kChannelCount)
            return false;
        // The fixed 3D values every stream play gets: no 3D, at the origin, facing +z.
        const GxSoundVector position{0.0f, 0.0f, 0.0f, 0.0f};
        const GxSoundVector front{0.0f, 0.0f, 1.0f, 0.0f};
        Record& record = m_Records[channel];
        const bool played = m_Streams[channel].Play(fileName, loopCount, 0, startMs, fadeInMs, volume, reservedValue,
                                                    loopStartMs, 0, &position, &front);
        record.fileName = played ? fileName : std::u16string();
        record.loopCount = played ? loopCount : 0;
        return played;
    }

    bool StreamClose(std::uint32_t channel)
    {
        auto& state = Traits::State();
        GxMutexScopedLock lock(state.m_ChannelLock);
        if (!state.m_Enabled || channel >= kChannelCount)
            return false;
        m_Streams[channel].Close();
        return true;
    }

    bool StreamStop(std::uint32_t channel, std::uint32_t fadeMs)
    {
        auto& state = Traits::State();
        GxMutexScopedLock lock(state.m_ChannelLock);
        if (!state.m_Enabled || channel >= kChannelCount)
            return false;
        m_Streams[channel].Stop(fadeMs);
        return true;
    }

    bool StreamSetVolume(std::uint32_t channel, Volume volume)
    {
        auto& state = Traits::State();
        GxMutexScopedLock lock(state.m_ChannelLock);
        if (!state.m_Enabled || channel >= kChannelCount)
            return false;
        return m_Streams[channel].SetVolume(volume);
    }

    bool StreamIsPlaying(std::uint32_t channel)
    {
        auto& state = Traits::State();
        GxMutexScopedLock lock(state.m_ChannelLock);
        if (!state.m_Enabled || channel >= kChannelCount)
            return false;
        return m_Streams[channel].IsPlaying();
    }

    bool StopBgmChannels(std::uint32_t fadeMs)
    {
        auto& state = Traits::State();
        GxMutexScopedLock lock(state.m_ChannelLock);
        if (!state.m_Enabled)
            return false;
        for (std::uint32_t channel = 0; channel < 2; ++channel)
            if (m_Streams[channel].IsPlaying()) StreamStop(channel, fadeMs);
        return true;
    }

    bool PlayBgmCrossfade(const std::u16string& fileName, std::int32_t loopCount, std::uint32_t startMs,
                          std::uint32_t fadeMs, Volume volume, std::int32_t reservedValue, std::uint32_t loopStartMs)
    {
        auto& state = Traits::State();
        GxMutexScopedLock lock(state.m_ChannelLock);
        if (!state.m_Enabled)
            return false;
        std::uint32_t target = 0;
        if (!StreamIsPlaying(0) && !StreamIsPlaying(1)) {
            target = 0;
        } else if (StreamIsPlaying(0) && !StreamIsPlaying(1)) {
            StreamStop(0, fadeMs);
            target = 1;
        } else {
            // Channel 1 playing, with or without channel 0: the new music goes to channel 0,
            // whose old sound (if any) its play closes at once.
            StreamStop(1, fadeMs);
            target = 0;
        }
        return StreamPlay(target, fileName, loopCount, startMs, fadeMs, volume, reservedValue, loopStartMs);
    }

    bool PlayStatic(std::uint32_t* outSerial, const std::u16string& name, std::int32_t loopCount,
                    std::uint32_t startMs, std::uint32_t fadeInMs, Volume volume, std::int32_t reservedValue)
    {
        auto& state = Traits::State();
        GxMutexScopedLock lock(state.m_ChannelLock);
        if (!state.m_Enabled || m_OneShotCount >= kMaxOneShots)
            return false;
        if (timeGetTime() - state.m_Cache.GetLastUsedTime(name) < kRestartGuardMs)
            return false;
        GxWavData* sound = state.m_Cache.Acquire(name);
        if (!sound)
            return false;
        auto player = std::make_unique<Static>();
        if (outSerial) *outSerial = state.m_PlayerSerial;
        Static* playing = player.get();
        // Listed before it plays, so that a failed one is reaped by the next fade service.
        m_OneShots.push_back({std::move(player), name});
        ++m_OneShotCount;
        const bool played = Traits::PlayOneShot(*playing, sound, loopCount, startMs, fadeInMs, volume, reservedValue);
        state.m_Cache.Release(name);
        return played;
    }

    bool StopAllStatic()
    {
        auto& state = Traits::State();
        GxMutexScopedLock lock(state.m_ChannelLock);
        if (!state.m_Enabled)
            return false;
        DeleteAllStatic();
        return true;
    }

    bool UpdatePlayers()
    {
        auto& state = Traits::State();
        GxMutexScopedLock lock(state.m_ChannelLock);
        if (!state.m_Enabled)
            return false;
        for (Stream& stream : m_Streams) stream.UpdateFade();
        for (auto it = m_OneShots.begin(); it != m_OneShots.end();) {
            it->player->UpdateFade();
            if (it->player->IsPlaying()) {
                ++it;
            } else {
                it = m_OneShots.erase(it);
                --m_OneShotCount;
            }
        }
        return true;
    }

    void CloseAllStreams()
    {
        GxMutexScopedLock lock(Traits::State().m_ChannelLock);
        for (Stream& stream : m_Streams) stream.Close();
        for (Record& record : m_Records) record = {};
    }

    void DeleteAllStatic()
    {
        GxMutexScopedLock lock(Traits::State().m_ChannelLock);
        m_OneShots.clear();
        m_OneShotCount = 0;
    }

    // For the 3D service, which runs on the window thread without the channel lock.
    Stream& GetStream(std::uint32_t channel) { return m_Streams[channel]; }
    std::list<OneShot>& GetOneShots() { return m_OneShots; }

    // Read-only queries for the game's sound services and their tests: the file name and loop
    // count of the last play while the channel plays (empty and 0 otherwise), its volume.
    std::u16string StreamFileName(std::uint32_t channel)
    {
        GxMutexScopedLock lock(Traits::State().m_ChannelLock);
        if (channel >= kChannelCount || !m_Streams[channel].IsPlaying()) return std::u16string();
        return m_Records[channel].fileName;
    }
    std::int32_t StreamLoopCount(std::uint32_t channel)
    {
        GxMutexScopedLock lock(Traits::State().m_ChannelLock);
        if (channel >= kChannelCount || !m_Streams[channel].IsPlaying()) return 0;
        return m_Records[channel].loopCount;
    }
    Volume StreamVolume(std::uint32_t channel)
    {
        GxMutexScopedLock lock(Traits::State().m_ChannelLock);
        if (channel >= kChannelCount) return Volume{};
        return m_Streams[channel].GetVolume();
    }
    std::vector<std::u16string> OneShotNames()
    {
        GxMutexScopedLock lock(Traits::State().m_ChannelLock);
        std::vector<std::u16string> names;
        for (const OneShot& oneShot : m_OneShots) names.push_back(oneShot.name);
        return names;
    }
    std::uint32_t OneShotCount()
    {
        GxMutexScopedLock lock(Traits::State().m_ChannelLock);
        return m_OneShotCount;
    }

private:
    GxSoundChannelTable() = default;

    struct Record {
        std::u16string fileName;
        std::int32_t loopCount = 0;
    };

    Stream m_Streams[kChannelCount];
    Record m_Records[kChannelCount];
    std::list<OneShot> m_OneShots;
    std::uint32_t m_OneShotCount = 0;
};
