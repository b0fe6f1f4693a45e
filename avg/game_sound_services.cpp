#include "avg/game_sound_services.h"

#include "avg/game_sound_state.h"
#include "avg/resource_lookup.h"
#include "core/core.h"
#include "data/data_tables.h"
#include "data/db_avgchar.h"
#include "data/db_systemvoice.h"
#include "data/system_config.h"
#include "data/user_config.h"
#include "data/user_data.h"
#include "foundation/file.h"
#include "foundation/log.h"
#include "foundation/random.h"
#include "media/audio_channels.h"
#include "media/movie_player.h"
#include "media/movie_slots.h"
#include "media/sound_channels.h"
#include "platform/win32/timer.h"

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

constexpr std::uint32_t kBgvChannel = 2;
constexpr std::uint32_t kSecondBgvChannel = 3;
constexpr std::uint32_t kFirstSeChannel = 4;
constexpr std::uint32_t kSeSampleChannel = 8;
constexpr std::uint32_t kFirstVoiceChannel = 10;
constexpr std::uint32_t kVoiceSampleChannel = 14;
constexpr std::uint32_t kSystemVoiceChannel = 15;
constexpr std::uint32_t kSystemVoiceSampleChannel = 16;
constexpr std::uint32_t kFirstExtraVoiceChannel = 17;
constexpr std::int32_t kSlotCount = GxUserData::kChannelCount;
constexpr std::int32_t kSystemSoundCount = 10;
constexpr std::int32_t kSystemVoiceNumbers = 24;
constexpr std::uint32_t kSystemVoiceCutMs = 200;

// One volume in the unit of the back end in use.
struct SoundVolume {
    float gain = 1.0f;
    LONG attenuation = 0;
};

GxCore* Core()
{
    return GxCore::GetInstance();
}

const GxUserConfig& Options()
{
    static const GxUserConfig defaults;
    const GxCore* core = Core();
    return core != nullptr && core->m_UserConfig != nullptr ? *core->m_UserConfig : defaults;
}

// The records live in the game data; without one (a tool, a test of the channels alone) the
// sounds still play, unrecorded.
GxUserData* Data()
{
    GxCore* core = Core();
    return core != nullptr ? core->m_UserData : nullptr;
}

// Options loaded from a file are not trusted to hold percents: above 100 would amplify.
std::int32_t Percent(std::int32_t value)
{
    return std::clamp(value, 0, 100);
}

// Loop counts are plays (0 endless); the channels count repeats (-1 endless). Any count that is
// not a positive number of plays loops without end, as a negative repeat count would.
std::int32_t Repeats(std::int32_t loop)
{
    return loop > 0 ? loop - 1 : -1;
}

std::uint32_t Milliseconds(std::int32_t value)
{
    return value > 0 ? static_cast<std::uint32_t>(value) : 0u;
}

bool ValidSlot(std::int32_t slot, const char16_t* operation)
{
    if (slot >= 0 && slot < kSlotCount)
        return true;
    LogPrintWarning(u"%s/slot out of range[%d]\n", operation, slot);
    return false;
}

SoundVolume Ratio(std::int64_t product, double divisor, LONG attenuation)
{
    return SoundVolume{static_cast<float>(static_cast<double>(product) / divisor), attenuation};
}

SoundVolume BgmVolume()
{
    const GxUserConfig& options = Options();
    return UsesXAudio2Sound() ? SoundVolume{options.GetBGMGain(), 0} : SoundVolume{1.0f, options.GetBGMAttenuation()};
}

SoundVolume BgvVolume(bool mute)
{
    const GxUserConfig& options = Options();
    if (!UsesXAudio2Sound())
        return SoundVolume{1.0f, options.GetBGVAttenuation(mute)};
    if (mute)
        return SoundVolume{0.0f, 0};
    return Ratio(Percent(options.m_Volume_BGV) * Percent(options.m_Volume_Master), 10000.0, 0);
}

SoundVolume SeVolume()
{
    const GxUserConfig& options = Options();
    if (!UsesXAudio2Sound())
        return SoundVolume{1.0f, options.GetSoundAttenuation()};
    return Ratio(Percent(options.m_Volume_Sound) * Percent(options.m_Volume_Master), 10000.0, 0);
}

SoundVolume SystemVoiceVolume()
{
    const GxUserConfig& options = Options();
    if (!UsesXAudio2Sound())
        return SoundVolume{1.0f, options.GetSystemVoiceAttenuation()};
    return Ratio(Percent(options.m_Volume_SystemVoice) * Percent(options.m_Volume_Master), 10000.0, 0);
}

// A slot outside the 32 counts as full volume (the masters still apply), as the options'
// attenuation does, so both back ends agree.
SoundVolume SlotVoiceVolume(std::int32_t slot)
{
    const GxUserConfig& options = Options();
    if (!UsesXAudio2Sound())
        return SoundVolume{1.0f, options.GetVoiceAttenuation(slot)};
    std::int32_t group = 100;
    if (slot >= 0 && slot < GxUserConfig::kVoiceGroupCount)
        group = Percent(options.m_Volume_Voice[slot]);
    else
        LogPrintWarning(u"GameSound/voice volume slot out of range[%d]\n", slot);
    const std::int64_t product = static_cast<std::int64_t>(group) * Percent(options.m_Volume_VoiceMaster) *
                                 Percent(options.m_Volume_Master);
    return Ratio(product, 1000000.0, 0);
}

// The slot is the character row's "VoiceVolumeID"; a row outside the table falls back as a bad
// slot does.
SoundVolume CharVoiceVolume(std::int32_t charID)
{
    if (!UsesXAudio2Sound())
        return SoundVolume{1.0f, Options().GetCharVoiceAttenuation(charID)};
    if (charID < 0 || charID >= DBAvgChar::kRows) {
        LogPrintWarning(u"GameSound/character out of range[%d]\n", charID);
        return SlotVoiceVolume(-1);
    }
    return SlotVoiceVolume(GetDBAvgChar().GetRow(charID)->m_VoiceVolumeID);
}

// The twin operations of the back end in use.
bool StreamPlay(std::uint32_t channel, const std::u16string& file, std::int32_t repeats, std::uint32_t startMs,
                std::uint32_t fadeInMs, SoundVolume volume, std::uint32_t loopPosMs)
{
    if (UsesXAudio2Sound())
        return AudioStreamPlay(channel, file, repeats, startMs, fadeInMs, volume.gain, 0, loopPosMs);
    return SoundStreamPlay(channel, file, repeats, startMs, fadeInMs, volume.attenuation, 0, loopPosMs);
}

bool PlayOnce(std::uint32_t channel, const std::u16string& file, SoundVolume volume)
{
    return StreamPlay(channel, file, 0, 0, 0, volume, 0);
}

bool StreamStop(std::uint32_t channel, std::uint32_t fadeMs)
{
    return UsesXAudio2Sound() ? AudioStreamStop(channel, fadeMs) : SoundStreamStop(channel, fadeMs);
}

bool StreamClose(std::uint32_t channel)
{
    return UsesXAudio2Sound() ? AudioStreamClose(channel) : SoundStreamClose(channel);
}

bool StreamIsPlaying(std::uint32_t channel)
{
    return UsesXAudio2Sound() ? AudioStreamIsPlaying(channel) : SoundStreamIsPlaying(channel);
}

void StreamSetVolume(std::uint32_t channel, SoundVolume volume)
{
    if (UsesXAudio2Sound())
        AudioStreamSetVolume(channel, volume.gain);
    else
        SoundStreamSetVolume(channel, volume.attenuation);
}

void SetVolumeWhilePlaying(std::uint32_t channel, SoundVolume volume)
{
    if (StreamIsPlaying(channel))
        StreamSetVolume(channel, volume);
}

bool AnyChannelPlays(std::uint32_t first, std::uint32_t last)
{
    for (std::uint32_t channel = first; channel <= last; ++channel) {
        if (StreamIsPlaying(channel))
            return true;
    }
    return false;
}

void Record(GxSoundPlayParam& record, const std::u16string& file, std::int32_t loop, std::uint32_t startMs,
            std::uint32_t loopPosMs, std::int32_t fadeInMs)
{
    record.m_FileName = file;
    record.m_Loop = loop;
    record.m_StartSeekPosTime = startMs;
    record.m_LoopPosTime = loopPosMs;
    record.m_FadeInTime = fadeInMs;
}

// The extra voices' rule: no slot (-1) or slot 0 both mean slot 0.
std::int32_t ExtraVoiceSlot(std::int32_t slot)
{
    return slot <= 0 ? 0 : slot;
}

}  // namespace

bool UsesXAudio2Sound()
{
    const GxCore* core = Core();
    return core == nullptr || core->m_SystemConfig == nullptr || core->m_SystemConfig->m_SoundEngineXAudio2;
}

bool IsBgmPlaying()
{
    return AnyChannelPlays(0, 1);
}

bool IsBgvPlaying()
{
    return AnyChannelPlays(kBgvChannel, kSecondBgvChannel);
}

bool IsSePlaying()
{
    return AnyChannelPlays(kFirstSeChannel, kSeSampleChannel);
}

bool IsVoicePlaying()
{
    return AnyChannelPlays(kFirstVoiceChannel, kVoiceSampleChannel);
}

bool PlayBgm(const std::u16string& file, std::int32_t loop, std::uint32_t startMs, std::uint32_t loopPosMs,
             std::int32_t fadeInMs, bool skipIfSame)
{
    GxUserData* data = Data();
    if (skipIfSame && data != nullptr && data->m_BGMPlayParam.m_FileName == file)
        return true;
    if (data != nullptr)
        Record(data->m_BGMPlayParam, file, loop, startMs, loopPosMs, fadeInMs);
    const SoundVolume volume = BgmVolume();
    if (UsesXAudio2Sound())
        return AudioPlayBgmCrossfade(file, Repeats(loop), startMs, Milliseconds(fadeInMs), volume.gain, 0, loopPosMs);
    return SoundPlayBgmCrossfade(file, Repeats(loop), startMs, Milliseconds(fadeInMs), volume.attenuation, 0,
                                 loopPosMs);
}

bool PlayBgv(const std::u16string& file, std::int32_t loop, std::uint32_t startMs, std::uint32_t loopPosMs,
             std::int32_t fadeInMs)
{
    if (GxUserData* data = Data())
        Record(data->m_BGVPlayParam, file, loop, startMs, loopPosMs, fadeInMs);
    return StreamPlay(kBgvChannel, file, Repeats(loop), startMs, Milliseconds(fadeInMs), BgvVolume(false), loopPosMs);
}

bool PlaySeChannel(std::int32_t slot, const std::u16string& file, std::int32_t loop, std::uint32_t startMs,
                   std::int32_t fadeInMs, std::uint32_t loopPosMs)
{
    if (!ValidSlot(slot, u"PlaySeChannel"))
        return false;
    if (GxUserData* data = Data())
        Record(data->m_SEPlayParam[slot], file, loop, startMs, loopPosMs, fadeInMs);
    const std::uint32_t channel = kFirstSeChannel + static_cast<std::uint32_t>(slot);
    StreamClose(channel);
    return StreamPlay(channel, file, Repeats(loop), startMs, Milliseconds(fadeInMs), SeVolume(), loopPosMs);
}

bool PlayVoiceChannel(std::int32_t slot, const std::u16string& file, std::int32_t charID)
{
    if (!ValidSlot(slot, u"PlayVoiceChannel"))
        return false;
    if (GxUserData* data = Data()) {
        GxSoundPlayParam& record = data->m_VoicePlayParam[slot];
        Record(record, file, 1, 0, 0, 0);
        record.m_CharID = charID;
    }
    const std::uint32_t channel = kFirstVoiceChannel + static_cast<std::uint32_t>(slot);
    StreamClose(channel);
    return PlayOnce(channel, file, CharVoiceVolume(charID));
}

bool ReplayVoiceChannel(std::int32_t slot)
{
    GxUserData* data = Data();
    if (data == nullptr || !ValidSlot(slot, u"ReplayVoiceChannel"))
        return false;
    const GxSoundPlayParam& record = data->m_VoicePlayParam[slot];
    if (record.m_FileName.empty())
        return false;
    PlayOnce(kFirstVoiceChannel + static_cast<std::uint32_t>(slot), record.m_FileName, CharVoiceVolume(record.m_CharID));
    return true;
}

bool PlayBacklogVoice(std::int32_t charID, std::int32_t slot, const std::u16string& file)
{
    if (!ValidSlot(slot, u"PlayBacklogVoice"))
        return false;
    return PlayOnce(kFirstVoiceChannel + static_cast<std::uint32_t>(slot), file, CharVoiceVolume(charID));
}

bool PlaySystemVoice(std::int32_t voiceID)
{
    const GxUserConfig& options = Options();
    // Number 0 is "no voice"; a negative number would index before the names.
    if (voiceID < 1 || voiceID >= kSystemVoiceNumbers || !options.m_UseSystemVoice)
        return false;
    DBSystemVoice& table = GetDBSystemVoice();
    std::vector<std::u16string> candidates;
    for (std::int32_t row = 0; row < DBSystemVoice::kRows; ++row) {
        if (!options.m_SystemVoice_Activated[row])
            continue;
        const DBSystemVoiceRow* entry = table.GetRow(row);
        if (entry != nullptr && !entry->m_VoiceFileName[voiceID].empty())
            candidates.push_back(CombinePath(entry->m_VoicePath, entry->m_VoiceFileName[voiceID], u'/'));
    }
    if (candidates.empty())
        return false;
    std::u16string path = candidates[static_cast<std::size_t>(GxRandomBelow(static_cast<std::int32_t>(candidates.size())))];
    if (!ResolveSoundFile(path)) {
        const GxCore* core = Core();
        if (core != nullptr && core->m_SystemConfig != nullptr && core->m_SystemConfig->m_ErrorStopNotFound_VO)
            LogPrint(u"システムボイスが見つかりません SystemVoiceID=%d (%s)\n", voiceID, path.c_str());
        return false;
    }
    PlayOnce(kSystemVoiceChannel, path, SystemVoiceVolume());
    return true;
}

bool PlaySystemSound(std::int32_t soundID, std::int32_t voiceID)
{
    if (soundID == 0)
        StreamStop(kSystemVoiceChannel, kSystemVoiceCutMs);
    PlaySystemVoice(voiceID);
    if (soundID == -1)
        return true;
    // The number comes from data (a notice, an actor action of a saved game): only the ten sounds.
    const GxCore* core = Core();
    if (soundID < 0 || soundID >= kSystemSoundCount || core == nullptr || core->m_SystemConfig == nullptr) {
        LogPrintWarning(u"PlaySystemSound/no system sound %d\n", soundID);
        return true;
    }
    const std::u16string& file = core->m_SystemConfig->m_SystemSoundFiles[soundID];
    const SoundVolume volume = SeVolume();
    if (UsesXAudio2Sound())
        AudioPlayStatic(nullptr, file, 0, 0, 0, volume.gain, 0);
    else
        SoundPlayStatic(nullptr, file, 0, 0, 0, volume.attenuation, 0);
    return true;
}

bool PlayConfigSeSample(const std::u16string& file)
{
    StreamClose(kSeSampleChannel);
    return PlayOnce(kSeSampleChannel, file, SeVolume());
}

bool PlayConfigVoiceSample(const std::u16string& file, std::int32_t volumeSlot)
{
    GxConfigSampleState& sample = GetConfigSampleState();
    sample.m_Name = file;
    sample.m_Active = true;
    sample.m_Slot = volumeSlot;
    sample.m_StartTime = timeGetTime();
    return PlayOnce(kVoiceSampleChannel, file, SlotVoiceVolume(volumeSlot));
}

bool PlayConfigSystemVoiceSample(const std::u16string& file)
{
    return PlayOnce(kSystemVoiceSampleChannel, file, SystemVoiceVolume());
}

void StopBgm(std::int32_t fadeMs)
{
    if (GxUserData* data = Data())
        data->m_BGMPlayParam.Clear();
    if (UsesXAudio2Sound())
        AudioStopBgmChannels(Milliseconds(fadeMs));
    else
        SoundStopBgmChannels(Milliseconds(fadeMs));
}

void StopBgv(std::int32_t fadeMs)
{
    if (GxUserData* data = Data())
        data->m_BGVPlayParam.Clear();
    StreamStop(kBgvChannel, Milliseconds(fadeMs));
}

void StopSeChannel(std::int32_t slot, std::int32_t fadeMs)
{
    if (!ValidSlot(slot, u"StopSeChannel"))
        return;
    if (GxUserData* data = Data())
        data->m_SEPlayParam[slot].Clear();
    StreamStop(kFirstSeChannel + static_cast<std::uint32_t>(slot), Milliseconds(fadeMs));
}

bool StopAllSeChannels()
{
    for (std::int32_t slot = 0; slot < kSlotCount; ++slot)
        StopSeChannel(slot, 0);
    return true;
}

void StopVoiceChannel(std::int32_t slot)
{
    if (!ValidSlot(slot, u"StopVoiceChannel"))
        return;
    if (GxUserData* data = Data())
        data->m_VoicePlayParam[slot].Clear();
    StreamStop(kFirstVoiceChannel + static_cast<std::uint32_t>(slot), 0);
}

bool StopAllVoiceChannels()
{
    for (std::int32_t slot = 0; slot < kSlotCount; ++slot)
        StopVoiceChannel(slot);
    return true;
}

bool StopVoiceChannels(std::int32_t fadeMs)
{
    for (std::int32_t slot = 0; slot < kSlotCount; ++slot)
        StreamStop(kFirstVoiceChannel + static_cast<std::uint32_t>(slot), Milliseconds(fadeMs));
    return true;
}

bool StopExtraVoiceChannels()
{
    for (std::int32_t index = 0; index < kExtraVoiceRecordCount; ++index)
        StreamStop(kFirstExtraVoiceChannel + static_cast<std::uint32_t>(index), 0);
    ClearExtraVoiceRecords();
    return true;
}

bool StopConfigSamples()
{
    for (const std::uint32_t channel :
         {kSecondBgvChannel, kSeSampleChannel, kVoiceSampleChannel, kSystemVoiceSampleChannel, 25u})
        StreamClose(channel);
    ClearConfigSampleState();
    return true;
}

bool StopAllStaticSounds()
{
    return UsesXAudio2Sound() ? AudioStopAllStatic() : SoundStopAllStatic();
}

void ApplyBgmVolume()
{
    // During a cross-fade only the channel that fades in is set; the other keeps fading out.
    for (const std::uint32_t channel : {0u, 1u}) {
        if (StreamIsPlaying(channel)) {
            StreamSetVolume(channel, BgmVolume());
            return;
        }
    }
}

void ApplyBgvVolume(bool mute)
{
    SetVolumeWhilePlaying(kBgvChannel, BgvVolume(mute));
    SetVolumeWhilePlaying(kSecondBgvChannel, BgvVolume(mute));
}

void ApplyMovieVolume()
{
    const std::int32_t attenuation = Options().GetMovieAttenuation();
    for (int slot = 0; slot < kMovieSlots; ++slot) {
        GxMoviePlayerBase* player = MovieSlotGetPlayer(slot);
        if (player != nullptr && player->IsPlaying())
            player->SetVolume(attenuation);
    }
}

void ApplySeVolume()
{
    for (std::uint32_t channel = kFirstSeChannel; channel <= kSeSampleChannel; ++channel)
        SetVolumeWhilePlaying(channel, SeVolume());
}

void ApplyVoiceVolume()
{
    const GxUserData* data = Data();
    for (std::int32_t slot = 0; slot < kSlotCount; ++slot) {
        const std::uint32_t channel = kFirstVoiceChannel + static_cast<std::uint32_t>(slot);
        if (StreamIsPlaying(channel))
            StreamSetVolume(channel, CharVoiceVolume(data != nullptr ? data->m_VoicePlayParam[slot].m_CharID : 0));
    }
    if (StreamIsPlaying(kVoiceSampleChannel))
        StreamSetVolume(kVoiceSampleChannel, SlotVoiceVolume(GetConfigSampleState().m_Slot));
}

void ApplySystemVoiceVolume()
{
    SetVolumeWhilePlaying(kSystemVoiceChannel, SystemVoiceVolume());
    SetVolumeWhilePlaying(kSystemVoiceSampleChannel, SystemVoiceVolume());
}

void ApplyExtraVoiceVolume()
{
    for (std::int32_t index = 0; index < kExtraVoiceRecordCount; ++index) {
        const std::uint32_t channel = kFirstExtraVoiceChannel + static_cast<std::uint32_t>(index);
        if (StreamIsPlaying(channel))
            StreamSetVolume(channel, SlotVoiceVolume(ExtraVoiceSlot(GetExtraVoiceRecord(index)->m_Slot)));
    }
}
