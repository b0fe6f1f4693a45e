#include "data/user_config.h"

#include "core/core.h"
#include "data/data_tables.h"
#include "data/db_avgchar.h"
#include "foundation/bin_buffer.h"
#include "foundation/content_binary.h"
#include "foundation/file.h"
#include "foundation/log.h"
#include "foundation/safe_save.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace {

constexpr char kHeaderName[] = "BCD";
constexpr std::uint32_t kVersion = 100;
constexpr char16_t kFileName[] = u"userconf.dat";

std::int32_t g_BGMRestraintLevel = 100;

// Loaded files are not trusted to hold percents: above 100 would amplify, below 0 would feed
// the curve a negative base.
std::int32_t Percent(std::int32_t value)
{
    return std::clamp(value, 0, 100);
}

// The BGM mix of the restraint level, in the order the curve was tuned with.
float BGMMix(const GxUserConfig& config)
{
    const float f = static_cast<float>(Percent(g_BGMRestraintLevel)) / 100.0f;
    const std::int32_t bgm = Percent(config.m_Volume_BGM);
    const float a = static_cast<float>(Percent(config.m_Volume_RestrainBGM) * bgm / 100) / 100.0f;
    const float b = static_cast<float>(bgm) / 100.0f;
    return f * b + a * (1.0f - f);
}

std::int32_t ChannelAttenuation(const GxUserConfig& config, std::int32_t volume)
{
    return VolumeToAttenuation(Percent(volume) * Percent(config.m_Volume_Master) / 100);
}

}  // namespace

std::int32_t GetBGMRestraintLevel()
{
    return g_BGMRestraintLevel;
}

void SetBGMRestraintLevel(std::int32_t level)
{
    g_BGMRestraintLevel = Percent(level);
}

std::int32_t VolumeToAttenuation(std::int32_t percent)
{
    const float x = static_cast<float>(Percent(percent)) / 100.0f;
    const float p = std::pow(x, 0.2f);
    return static_cast<std::int32_t>(100.0f - 100.0f * p) * -96;
}

GxUserConfig::GxUserConfig()
{
    SetDefaults();
    m_GameDataPage = 0;
    m_LastGameDataFileNum = -1;
    for (auto& row : m_KeyCodes)
        std::fill(std::begin(row), std::end(row), 0);
    m_PadSetting = 0;
    m_PadAxisBinding = -1;
}

GxUserConfig::~GxUserConfig() = default;

void GxUserConfig::SetDefaults()
{
    m_ScreenMode = 0;
    m_TextWaitTime = 60;
    m_TextLongWaitTime = 480;
    m_AutoWaitTime = 3000;
    m_TextWindowOpacity = 255;
    m_AllowSkipUnreadText = false;
    m_FastShowReadedText = true;
    m_ChangeColorReadedText = true;
    m_ChangeColorSelectedMenu = true;
    m_KeepAutoModeAfterSelect = false;
    m_KeepSkipModeAfterSelect = false;
    m_StopScreenSaver = true;
    m_VoiceStopTiming = false;
    m_WaitVoiceEndOnAutoMode = true;
    m_NoVoiceSkipMode = false;
    m_UseSystemVoice = true;
    m_SoundEngineMode = 0;
    m_SoundEngineModeInUse = 0;
    m_Volume_Master = 100;
    m_Volume_BGM = 80;
    m_Volume_BGV = 100;
    m_Volume_System = 100;
    m_Volume_Sound = 100;
    m_Volume_Movie = 100;
    m_Volume_RestrainBGM = 100;
    m_Volume_VoiceMaster = 100;
    m_Volume_SystemVoice = 100;
    std::fill(std::begin(m_Volume_Voice), std::end(m_Volume_Voice), 100);
    std::fill(std::begin(m_SystemVoice_Activated), std::end(m_SystemVoice_Activated), true);
    m_AsyncThreadNum = 2;
}

std::int32_t GxUserConfig::GetBGMAttenuation() const
{
    const std::int32_t mixed = static_cast<std::int32_t>(BGMMix(*this) * 100.0f);
    return VolumeToAttenuation(mixed * Percent(m_Volume_Master) / 100);
}

std::int32_t GxUserConfig::GetBGVAttenuation(bool muted) const
{
    return muted ? -9600 : ChannelAttenuation(*this, m_Volume_BGV);
}

std::int32_t GxUserConfig::GetSoundAttenuation() const
{
    return ChannelAttenuation(*this, m_Volume_Sound);
}

std::int32_t GxUserConfig::GetMovieAttenuation() const
{
    return ChannelAttenuation(*this, m_Volume_Movie);
}

std::int32_t GxUserConfig::GetSystemVoiceAttenuation() const
{
    return ChannelAttenuation(*this, m_Volume_SystemVoice);
}

std::int32_t GxUserConfig::GetCharVoiceAttenuation(std::int32_t charID) const
{
    if (charID < 0 || charID >= DBAvgChar::kRows) {
        LogPrintWarning(u"GxUserConfig::GetCharVoiceAttenuation/character out of range[%d]\n", charID);
        return GetVoiceAttenuation(-1);
    }
    return GetVoiceAttenuation(GetDBAvgChar().GetRow(charID)->m_VoiceVolumeID);
}

std::int32_t GxUserConfig::GetVoiceAttenuation(std::int32_t group) const
{
    // A group outside the table counts as full volume, so the masters still apply.
    std::int32_t groupVolume = 100;
    if (group >= 0 && group < kVoiceGroupCount)
        groupVolume = Percent(m_Volume_Voice[group]);
    else
        LogPrintWarning(u"GxUserConfig::GetVoiceAttenuation/voice volume group out of range[%d]\n", group);
    const std::int32_t v = (groupVolume * Percent(m_Volume_VoiceMaster) * Percent(m_Volume_Master) / 100) / 100;
    return VolumeToAttenuation(v);
}

float GxUserConfig::GetBGMGain() const
{
    return 100.0f * BGMMix(*this) * static_cast<float>(Percent(m_Volume_Master)) / 10000.0f;
}

bool GxUserConfig::WriteValues(GxContentWriterBase& w) const
{
    bool ok = w.WriteS32("m_ScreenMode", m_ScreenMode) && w.WriteS32("m_TextWaitTime", m_TextWaitTime) &&
              w.WriteS32("m_TextLongWaitTime", m_TextLongWaitTime) && w.WriteS32("m_AutoWaitTime", m_AutoWaitTime) &&
              w.WriteS32("m_TextWindowOpacity", m_TextWindowOpacity) &&
              w.WriteBool("m_AllowSkipUnreadText", m_AllowSkipUnreadText) &&
              w.WriteBool("m_FastShowReadedText", m_FastShowReadedText) &&
              w.WriteBool("m_ChangeColorReadedText", m_ChangeColorReadedText) &&
              w.WriteBool("m_ChangeColorSelectedMenu", m_ChangeColorSelectedMenu) &&
              w.WriteBool("m_KeepAutoModeAfterSelect", m_KeepAutoModeAfterSelect) &&
              w.WriteBool("m_KeepSkipModeAfterSelect", m_KeepSkipModeAfterSelect) &&
              w.WriteBool("m_StopScreenSaver", m_StopScreenSaver) && w.WriteBool("m_VoiceStopTiming", m_VoiceStopTiming) &&
              w.WriteBool("m_WaitVoiceEndOnAutoMode", m_WaitVoiceEndOnAutoMode) &&
              w.WriteBool("m_NoVoiceSkipMode", m_NoVoiceSkipMode) && w.WriteBool("m_UseSystemVoice", m_UseSystemVoice) &&
              w.WriteS32("m_SoundEngineMode", m_SoundEngineMode) && w.WriteS32("m_GameDataPage", m_GameDataPage) &&
              w.WriteS32("m_LastGameDataFileNum", m_LastGameDataFileNum) &&
              w.WriteS32("m_Volume_Master", m_Volume_Master) && w.WriteS32("m_Volume_BGM", m_Volume_BGM) &&
              w.WriteS32("m_Volume_BGV", m_Volume_BGV) && w.WriteS32("m_Volume_System", m_Volume_System) &&
              w.WriteS32("m_Volume_Sound", m_Volume_Sound) && w.WriteS32("m_Volume_Movie", m_Volume_Movie) &&
              w.WriteS32("m_Volume_RestrainBGM", m_Volume_RestrainBGM) &&
              w.WriteS32("m_Volume_VoiceMaster", m_Volume_VoiceMaster) &&
              w.WriteS32("m_Volume_SystemVoice", m_Volume_SystemVoice);
    for (int group = 0; ok && group < kVoiceGroupCount; ++group)
        ok = w.WriteS32("m_Volume_Voice", m_Volume_Voice[group]) &&
             w.WriteBool("m_SystemVoice_Activated", m_SystemVoice_Activated[group]);
    return ok && w.WriteS32("m_AsyncThreadNum", m_AsyncThreadNum);
}

void GxUserConfig::ReadValues(GxContentReaderBase& r)
{
    r.ReadS32("m_ScreenMode", &m_ScreenMode);
    r.ReadS32("m_TextWaitTime", &m_TextWaitTime);
    r.ReadS32("m_TextLongWaitTime", &m_TextLongWaitTime);
    r.ReadS32("m_AutoWaitTime", &m_AutoWaitTime);
    r.ReadS32("m_TextWindowOpacity", &m_TextWindowOpacity);
    r.ReadBool("m_AllowSkipUnreadText", &m_AllowSkipUnreadText);
    r.ReadBool("m_FastShowReadedText", &m_FastShowReadedText);
    r.ReadBool("m_ChangeColorReadedText", &m_ChangeColorReadedText);
    r.ReadBool("m_ChangeColorSelectedMenu", &m_ChangeColorSelectedMenu);
    r.ReadBool("m_KeepAutoModeAfterSelect", &m_KeepAutoModeAfterSelect);
    r.ReadBool("m_KeepSkipModeAfterSelect", &m_KeepSkipModeAfterSelect);
    r.ReadBool("m_StopScreenSaver", &m_StopScreenSaver);
    r.ReadBool("m_VoiceStopTiming", &m_VoiceStopTiming);
    r.ReadBool("m_WaitVoiceEndOnAutoMode", &m_WaitVoiceEndOnAutoMode);
    r.ReadBool("m_NoVoiceSkipMode", &m_NoVoiceSkipMode);
    r.ReadBool("m_UseSystemVoice", &m_UseSystemVoice);
    if (r.ReadS32("m_SoundEngineMode", &m_SoundEngineMode))
        m_SoundEngineModeInUse = m_SoundEngineMode;
    r.ReadS32("m_GameDataPage", &m_GameDataPage);
    r.ReadS32("m_LastGameDataFileNum", &m_LastGameDataFileNum);
    std::int32_t* const volumes[] = {&m_Volume_Master, &m_Volume_BGM,   &m_Volume_BGV,
                                     &m_Volume_System, &m_Volume_Sound, &m_Volume_Movie,
                                     &m_Volume_RestrainBGM, &m_Volume_VoiceMaster, &m_Volume_SystemVoice};
    const char* const names[] = {"m_Volume_Master", "m_Volume_BGM",   "m_Volume_BGV",
                                 "m_Volume_System", "m_Volume_Sound", "m_Volume_Movie",
                                 "m_Volume_RestrainBGM", "m_Volume_VoiceMaster", "m_Volume_SystemVoice"};
    for (std::size_t n = 0; n < std::size(volumes); ++n) {
        r.ReadS32(names[n], volumes[n]);
        *volumes[n] = Percent(*volumes[n]);
    }
    for (int group = 0; group < kVoiceGroupCount; ++group) {
        r.ReadS32("m_Volume_Voice", &m_Volume_Voice[group]);
        m_Volume_Voice[group] = Percent(m_Volume_Voice[group]);
        r.ReadBool("m_SystemVoice_Activated", &m_SystemVoice_Activated[group]);
    }
    if (r.ReadS32("m_AsyncThreadNum", &m_AsyncThreadNum))
        m_AsyncThreadNum = std::clamp(m_AsyncThreadNum, 1, 6);
}

bool SaveUserConfig(GxUserConfig* config, GxCore* core)
{
    if (config == nullptr || core == nullptr)
        return false;
    return SaveFileReplacing(core->GetSaveDir() + kFileName, [config, core](std::FILE* stream) {
        GxContentBinaryWriter writer(stream);
        return writer.WriteHeader(kHeaderName, kVersion) && config->WriteValues(writer) &&
               core->ModulesWriteUserConfig(&writer);
    });
}

bool DecodeUserConfig(GxUserConfig* config, const GxBinBuffer& bytes, GxCore* core)
{
    GxContentBinaryReader reader(bytes, false);   // the caller logs one line, not one per value
    std::uint32_t version = 0;
    if (!reader.ReadHeader(kHeaderName, &version))
        return false;
    config->ReadValues(reader);
    const bool modules = core == nullptr || core->ModulesReadUserConfig(&reader);
    return modules && reader.GetErrorCount() == 0;
}

bool LoadUserConfig(GxUserConfig* config, GxCore* core)
{
    if (config == nullptr || core == nullptr)
        return false;
    const std::u16string path = core->GetSaveDir() + kFileName;
    // A first start has no file: no error line for that.
    if (!OpenFileRead(path))
        return false;
    GxBinBuffer bytes;
    if (!GxFile::ReadWholeFile(bytes, path) || bytes.GetSize() == 0)
        return false;
    if (!DecodeUserConfig(config, bytes, core)) {
        LogPrint(u"LoadUserConfig/the file could not be read whole[%s]\n", path.c_str());
        // The options hold only what came before the damage: the next save must not destroy the rest.
        KeepRefusedFileAtNextSave(path);
        return false;
    }
    return true;
}
