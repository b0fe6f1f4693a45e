#include "media/sound_channels.h"

#include "media/sound_player_static.h"
#include "media/sound_player_stream.h"
#include "media/sound_channel_table.h"
#include "media/sound_devices.h"

namespace {

struct SoundTraits {
    using Stream = GxSoundPlayerStream;
    using Static = GxSoundPlayerStatic;
    using Volume = LONG;
    static GxSoundDeviceState& State() { return GetSoundDeviceState(); }
    static bool PlayOneShot(Static& player, GxWavData* sound, std::int32_t loopCount, std::uint32_t startMs,
                            std::uint32_t fadeInMs, LONG volume, std::int32_t reservedValue)
    {
        const GxSoundVector position{0.0f, 0.0f, 0.0f, 0.0f};
        const GxSoundVector front{0.0f, 0.0f, 1.0f, 0.0f};
        return player.PlayFromMemoryWith3D(sound, loopCount, 0, startMs, fadeInMs, volume, reservedValue, 0,
                                           &position, &front);
    }
};

using Table = GxSoundChannelTable<SoundTraits>;

bool SameVector(const GxSoundVector& a, const GxSoundVector& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

}  // namespace

bool SoundStreamPlay(std::uint32_t channel, const std::u16string& fileName, std::int32_t loopCount,
                     std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume, std::int32_t reservedValue,
                     std::uint32_t loopStartMs)
{
    return Table::Instance().StreamPlay(channel, fileName, loopCount, startMs, fadeInMs, volume, reservedValue,
                                        loopStartMs);
}

bool SoundStreamClose(std::uint32_t channel) { return Table::Instance().StreamClose(channel); }

bool SoundStreamStop(std::uint32_t channel, std::uint32_t fadeMs) { return Table::Instance().StreamStop(channel, fadeMs); }

bool SoundStreamSetVolume(std::uint32_t channel, LONG volume)
{
    return Table::Instance().StreamSetVolume(channel, volume);
}

bool SoundStreamIsPlaying(std::uint32_t channel) { return Table::Instance().StreamIsPlaying(channel); }

bool SoundStopBgmChannels(std::uint32_t fadeMs) { return Table::Instance().StopBgmChannels(fadeMs); }

bool SoundPlayBgmCrossfade(const std::u16string& fileName, std::int32_t loopCount, std::uint32_t startMs,
                           std::uint32_t fadeMs, LONG volume, std::int32_t reservedValue, std::uint32_t loopStartMs)
{
    return Table::Instance().PlayBgmCrossfade(fileName, loopCount, startMs, fadeMs, volume, reservedValue,
                                              loopStartMs);
}

bool SoundPlayStatic(std::uint32_t* outSerial, const std::u16string& name, std::int32_t loopCount,
                     std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume, std::int32_t reservedValue)
{
    return Table::Instance().PlayStatic(outSerial, name, loopCount, startMs, fadeInMs, volume, reservedValue);
}

bool SoundStopAllStatic() { return Table::Instance().StopAllStatic(); }

bool SoundUpdatePlayers() { return Table::Instance().UpdatePlayers(); }

void SoundUpdate3D()
{
    GxSoundDeviceState& sound = GetSoundDeviceState();
    if (!sound.m_Enabled || !sound.m_Use3D || !sound.m_Listener)
        return;
    // Exact comparison: only a vector that really moved is sent, deferred until the commit.
    if (!SameVector(sound.m_AppliedPosition, sound.m_RequestedPosition)) {
        const GxSoundVector& p = sound.m_RequestedPosition;
        sound.m_Listener->SetPosition(p.x, p.y, p.z, DS3D_DEFERRED);
        sound.m_AppliedPosition = p;
    }
    if (!SameVector(sound.m_AppliedFront, sound.m_RequestedFront) ||
        !SameVector(sound.m_AppliedTop, sound.m_RequestedTop)) {
        const GxSoundVector& f = sound.m_RequestedFront;
        const GxSoundVector& t = sound.m_RequestedTop;
        sound.m_Listener->SetOrientation(f.x, f.y, f.z, t.x, t.y, t.z, DS3D_DEFERRED);
        sound.m_AppliedFront = f;
        sound.m_AppliedTop = t;
    }
    Table& table = Table::Instance();
    for (std::uint32_t channel = 0; channel < Table::kChannelCount; ++channel)
        table.GetStream(channel).Apply3DParams(false);
    for (Table::OneShot& oneShot : table.GetOneShots()) oneShot.player->Apply3DParams(false);
    sound.m_Listener->CommitDeferredSettings();
}

std::u16string SoundStreamGetFileName(std::uint32_t channel) { return Table::Instance().StreamFileName(channel); }

std::int32_t SoundStreamGetLoopCount(std::uint32_t channel) { return Table::Instance().StreamLoopCount(channel); }

LONG SoundStreamGetVolume(std::uint32_t channel) { return Table::Instance().StreamVolume(channel); }

std::vector<std::u16string> SoundGetStaticNames() { return Table::Instance().OneShotNames(); }

void SoundCloseAllStreams() { Table::Instance().CloseAllStreams(); }

void SoundDeleteAllStatic() { Table::Instance().DeleteAllStatic(); }
