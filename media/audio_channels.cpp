#include "media/audio_channels.h"

#include "media/audio_player_static.h"
#include "media/audio_player_stream.h"
#include "media/sound_channel_table.h"
#include "media/sound_devices.h"

#include <cmath>

namespace {

struct AudioTraits {
    using Stream = GxAudioPlayerStream;
    using Static = GxAudioPlayerStatic;
    using Volume = float;
    static GxAudioDeviceState& State() { return GetAudioDeviceState(); }
    static bool PlayOneShot(Static& player, GxWavData* sound, std::int32_t loopCount, std::uint32_t startMs,
                            std::uint32_t fadeInMs, float volume, std::int32_t reservedValue)
    {
        return player.PlayFromMemory(sound, loopCount, startMs, fadeInMs, volume, reservedValue, 0, nullptr, nullptr);
    }
};

using Table = GxSoundChannelTable<AudioTraits>;

// XAudio2's three-dimensional calculation flags: matrix, direct-path and reverb low-pass,
// reverb and Doppler.
constexpr std::uint32_t kCalculateFlags = 0x3D;
constexpr float kVectorEpsilon = 1.1920929e-7f;

// Copies `wanted` into `applied` when any component differs by more than the epsilon.
bool CopyIfChanged(X3DAUDIO_VECTOR& applied, const X3DAUDIO_VECTOR& wanted)
{
    if (std::fabs(applied.x - wanted.x) <= kVectorEpsilon && std::fabs(applied.y - wanted.y) <= kVectorEpsilon &&
        std::fabs(applied.z - wanted.z) <= kVectorEpsilon)
        return false;
    applied = wanted;
    return true;
}

}  // namespace

bool AudioStreamPlay(std::uint32_t channel, const std::u16string& fileName, std::int32_t loopCount,
                     std::uint32_t startMs, std::uint32_t fadeInMs, float volume, std::int32_t reservedValue,
                     std::uint32_t loopStartMs)
{
    return Table::Instance().StreamPlay(channel, fileName, loopCount, startMs, fadeInMs, volume, reservedValue,
                                        loopStartMs);
}

bool AudioStreamClose(std::uint32_t channel) { return Table::Instance().StreamClose(channel); }

bool AudioStreamStop(std::uint32_t channel, std::uint32_t fadeMs) { return Table::Instance().StreamStop(channel, fadeMs); }

bool AudioStreamSetVolume(std::uint32_t channel, float volume)
{
    return Table::Instance().StreamSetVolume(channel, volume);
}

bool AudioStreamIsPlaying(std::uint32_t channel) { return Table::Instance().StreamIsPlaying(channel); }

bool AudioStopBgmChannels(std::uint32_t fadeMs) { return Table::Instance().StopBgmChannels(fadeMs); }

bool AudioPlayBgmCrossfade(const std::u16string& fileName, std::int32_t loopCount, std::uint32_t startMs,
                           std::uint32_t fadeMs, float volume, std::int32_t reservedValue, std::uint32_t loopStartMs)
{
    return Table::Instance().PlayBgmCrossfade(fileName, loopCount, startMs, fadeMs, volume, reservedValue,
                                              loopStartMs);
}

bool AudioPlayStatic(std::uint32_t* outSerial, const std::u16string& name, std::int32_t loopCount,
                     std::uint32_t startMs, std::uint32_t fadeInMs, float volume, std::int32_t reservedValue)
{
    return Table::Instance().PlayStatic(outSerial, name, loopCount, startMs, fadeInMs, volume, reservedValue);
}

bool AudioStopAllStatic() { return Table::Instance().StopAllStatic(); }

bool AudioUpdatePlayers() { return Table::Instance().UpdatePlayers(); }

void AudioUpdate3D()
{
    GxAudioDeviceState& audio = GetAudioDeviceState();
    if (!audio.m_Enabled || !audio.m_Use3D)
        return;
    BYTE changed = 0;
    if (CopyIfChanged(audio.m_Listener.Position, audio.m_RequestedPosition)) changed = 1;
    if (CopyIfChanged(audio.m_Listener.OrientFront, audio.m_RequestedFront)) changed = 1;
    if (CopyIfChanged(audio.m_Listener.OrientTop, audio.m_RequestedTop)) changed = 1;
    Table& table = Table::Instance();
    for (std::uint32_t channel = 0; channel < Table::kChannelCount; ++channel)
        table.GetStream(channel).Update3D(audio.m_X3DInstance, &audio.m_Listener, kCalculateFlags, changed);
    for (Table::OneShot& oneShot : table.GetOneShots())
        oneShot.player->Update3D(audio.m_X3DInstance, &audio.m_Listener, kCalculateFlags, changed);
}

std::u16string AudioStreamGetFileName(std::uint32_t channel) { return Table::Instance().StreamFileName(channel); }

std::int32_t AudioStreamGetLoopCount(std::uint32_t channel) { return Table::Instance().StreamLoopCount(channel); }

float AudioStreamGetVolume(std::uint32_t channel) { return Table::Instance().StreamVolume(channel); }

std::vector<std::u16string> AudioGetStaticNames() { return Table::Instance().OneShotNames(); }

void AudioCloseAllStreams() { Table::Instance().CloseAllStreams(); }

void AudioDeleteAllStatic() { Table::Instance().DeleteAllStatic(); }
