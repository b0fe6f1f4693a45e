#include "data/user_data.h"

#include "core/core.h"
#include "data/play_state_services.h"
#include "data/saved_file_reader.h"
#include "data/saved_script.h"
#include "data/system_config.h"
#include "data/user_config.h"
#include "foundation/bin_buffer.h"
#include "foundation/content_binary.h"
#include "foundation/content_text.h"
#include "foundation/file.h"
#include "foundation/log.h"
#include "foundation/safe_save.h"
#include "foundation/time_util.h"
#include "script/moa.h"
#include "script/worker.h"

#include <algorithm>
#include <memory>

namespace {

constexpr std::uint32_t kVersion = 100;
constexpr std::int32_t kInGameSaveClass = 3;
constexpr char kListDamage[] = "GxUserData/%s: %u entries cannot be in the file\n";

template <typename Record>
bool WriteRecordList(GxContentWriterBase& w, const char* name, const Record& records)
{
    bool ok = w.WriteListBegin(name, "", static_cast<std::uint32_t>(records.size()));
    for (auto record = records.begin(); ok && record != records.end(); ++record)
        ok = w.WriteListElementBegin() && record->Write(w) && w.WriteListElementEnd();
    return ok && w.WriteListEnd();
}

// Empties the queue, then appends one default record per stored one and reads into it, stopping
// at the first record that fails.
template <typename Record>
void ReadRecordQueue(GxContentReaderBase& r, const char* name, std::deque<Record>& records)
{
    const std::uint32_t count = r.ReadBoundedListCount(name, kListDamage);
    records.clear();
    for (std::uint32_t n = 0; n < count; ++n) {
        const GxReadFailureWatch watch(r);
        r.ReadListElementBegin();
        records.emplace_back();
        records.back().Read(r);
        r.ReadListElementEnd();
        if (watch.Failed())
            break;
    }
    r.ReadListEnd();
}

}  // namespace

GxUserData::GxUserData(GxCore* core, const GxSystemConfig* config) : m_Core(core), m_SystemConfig(config)
{
    Reset();
}

GxUserData::~GxUserData() = default;

std::int32_t GxUserData::GetSelectCount() const
{
    return m_SystemConfig != nullptr ? std::max(m_SystemConfig->m_SelectCount, 0) : 10;
}

std::int32_t GxUserData::GetMessageLogCapacity() const
{
    return m_SystemConfig != nullptr ? std::max(m_SystemConfig->m_MessageLogMax, 0) : 100;
}

void GxUserData::Reset()
{
    m_SelectMenuItemList.resize(static_cast<std::size_t>(GetSelectCount()) + 1);
    m_GameDataTitle.clear();
    m_RestoreSequence.clear();
    m_RestoreSubParam.clear();
    ClearSelectMenu();
    m_LastSelectNum = 0;
    m_Hold_WaitClick = 0;
    m_Hold_WaitTime = 0;
    m_Hold_WaitTime_TimeLeft = 0;
    m_Hold_EndOfMovie = 0;
    m_Hold_EndOfLayerActionAll = 0;
    m_Hold_EndOfLayerActionSeparate = 0;
    m_Hold_EndOfLayerActionSeparate_LayerName.clear();
    m_Hold_EndOfBGM = 0;
    m_Hold_EndOfBGV = 0;
    m_Hold_EndOfSE = 0;
    m_Hold_EndOfVoice = 0;
    m_NameIdentifyMode = 2;
    m_IgnoreKinsoku = false;
    m_LastDialogResult = 0;
    m_MessageLog.clear();
    m_NoticeList.clear();
    m_BGMPlayParam.Clear();
    m_BGVPlayParam.Clear();
    for (GxSoundPlayParam& channel : m_SEPlayParam)
        channel.Clear();
    ClearVoiceSlots();
    m_IsReplayMode = false;
    m_HideWindowByCommandFlag = false;
}

void GxUserData::ClearSelectMenu()
{
    m_IsSelecting = false;
    m_CancelSelectNum = 0;
    m_SelectHash.clear();
    for (GxSelectMenuItem& item : m_SelectMenuItemList) {
        item.m_Text.clear();
        item.m_Label.clear();
        item.m_Enable = true;
        item.m_Visible = true;
        item.m_BeforeSelected = false;
        item.m_UseGosub = false;
    }
}

void GxUserData::ClearVoiceSlots()
{
    for (GxSoundPlayParam& slot : m_VoicePlayParam)
        slot.Clear();
}

void GxUserData::AddMessageLog(const std::u16string& name, const std::u16string& message, bool ignoreKinsoku,
                               bool disableAutoNewline)
{
    GxMessageLogElement entry;
    entry.m_Name = name;
    entry.m_Message = message;
    entry.m_IgnoreKinsoku = ignoreKinsoku;
    entry.m_DisenableAutoNewline = disableAutoNewline;
    entry.m_ShowNameByText = true;
    for (int slot = 0; slot < kChannelCount; ++slot) {
        entry.m_VoiceFileName[slot] = m_VoicePlayParam[slot].m_FileName;
        entry.m_VoiceCharID[slot] = m_VoicePlayParam[slot].m_CharID;
    }
    m_MessageLog.push_back(std::move(entry));
    const std::size_t capacity = static_cast<std::size_t>(GetMessageLogCapacity());
    while (m_MessageLog.size() > capacity)
        m_MessageLog.pop_front();
}

bool GxUserData::WriteValues(GxContentWriterBase& w, const std::u16string& saveTime) const
{
    const GxBit32 option{m_GameDataOption};
    bool ok = w.WriteWString("m_SaveTime", saveTime) && w.WriteWString("m_GameDataTitle", m_GameDataTitle) &&
              w.WriteWString("m_RestoreSequence", m_RestoreSequence) &&
              w.WriteWString("m_RestoreSubParam", m_RestoreSubParam) && w.WriteBit32("m_GameDataOption", &option) &&
              w.WriteBool("m_IsSelecting", m_IsSelecting) && w.WriteS32("m_LastSelectNum", m_LastSelectNum) &&
              w.WriteS32("m_CancelSelectNum", m_CancelSelectNum) && w.WriteWString("m_SelectHash", m_SelectHash) &&
              WriteRecordList(w, "m_SelectMenuItemList", m_SelectMenuItemList);
    ok = ok && w.WriteS32("m_Hold_WaitClick", m_Hold_WaitClick) && w.WriteS32("m_Hold_WaitTime", m_Hold_WaitTime) &&
         w.WriteS32("m_Hold_WaitTime_TimeLeft", m_Hold_WaitTime_TimeLeft) &&
         w.WriteS32("m_Hold_EndOfMovie", m_Hold_EndOfMovie) &&
         w.WriteS32("m_Hold_EndOfLayerActionAll", m_Hold_EndOfLayerActionAll) &&
         w.WriteS32("m_Hold_EndOfLayerActionSeparate", m_Hold_EndOfLayerActionSeparate) &&
         w.WriteWString("m_Hold_EndOfLayerActionSeparate_LayerName", m_Hold_EndOfLayerActionSeparate_LayerName) &&
         w.WriteS32("m_Hold_EndOfBGM", m_Hold_EndOfBGM) && w.WriteS32("m_Hold_EndOfBGV", m_Hold_EndOfBGV) &&
         w.WriteS32("m_Hold_EndOfSE", m_Hold_EndOfSE) && w.WriteS32("m_Hold_EndOfVoice", m_Hold_EndOfVoice) &&
         w.WriteS32("m_NameIdentifyMode", m_NameIdentifyMode) && w.WriteBool("m_IgnoreKinsoku", m_IgnoreKinsoku) &&
         w.WriteS32("m_LastDialogResult", m_LastDialogResult);
    return ok && WriteRecordList(w, "GxMessageLogElement", m_MessageLog) &&
           WriteRecordList(w, "GxNoticeParam", m_NoticeList) &&
           w.WriteBool("m_HideWindowByCommandFlag", m_HideWindowByCommandFlag);
}

void GxUserData::ReadValues(GxContentReaderBase& r, const std::u16string& path)
{
    r.ReadWString("m_SaveTime");
    r.ReadWString("m_GameDataTitle", m_GameDataTitle);
    r.ReadWString("m_RestoreSequence", m_RestoreSequence);
    r.ReadWString("m_RestoreSubParam", m_RestoreSubParam);
    GxBit32 option{m_GameDataOption};
    r.ReadBit32("m_GameDataOption", &option);
    m_GameDataOption = option.m_Bits;
    r.ReadBool("m_IsSelecting", &m_IsSelecting);
    r.ReadS32("m_LastSelectNum", &m_LastSelectNum);
    r.ReadS32("m_CancelSelectNum", &m_CancelSelectNum);
    r.ReadWString("m_SelectHash", m_SelectHash);

    // The list keeps its size: surplus stored items go through a scratch item, so that the
    // values after the list are still read from their own place.
    const std::uint32_t items = r.ReadBoundedListCount("m_SelectMenuItemList", kListDamage);
    if (items > m_SelectMenuItemList.size())
        LogPrintWarning(u"GxUserData/the saved choice menu holds %u items, the first %u are kept[%s]\n", items,
                        static_cast<std::uint32_t>(m_SelectMenuItemList.size()), path.c_str());
    GxSelectMenuItem scratch;
    for (std::uint32_t n = 0; n < items; ++n) {
        const GxReadFailureWatch watch(r);
        r.ReadListElementBegin();
        (n < m_SelectMenuItemList.size() ? m_SelectMenuItemList[n] : scratch).Read(r);
        r.ReadListElementEnd();
        if (watch.Failed())
            break;
    }
    r.ReadListEnd();

    r.ReadS32("m_Hold_WaitClick", &m_Hold_WaitClick);
    r.ReadS32("m_Hold_WaitTime", &m_Hold_WaitTime);
    r.ReadS32("m_Hold_WaitTime_TimeLeft", &m_Hold_WaitTime_TimeLeft);
    r.ReadS32("m_Hold_EndOfMovie", &m_Hold_EndOfMovie);
    r.ReadS32("m_Hold_EndOfLayerActionAll", &m_Hold_EndOfLayerActionAll);
    r.ReadS32("m_Hold_EndOfLayerActionSeparate", &m_Hold_EndOfLayerActionSeparate);
    r.ReadWString("m_Hold_EndOfLayerActionSeparate_LayerName", m_Hold_EndOfLayerActionSeparate_LayerName);
    r.ReadS32("m_Hold_EndOfBGM", &m_Hold_EndOfBGM);
    r.ReadS32("m_Hold_EndOfBGV", &m_Hold_EndOfBGV);
    r.ReadS32("m_Hold_EndOfSE", &m_Hold_EndOfSE);
    r.ReadS32("m_Hold_EndOfVoice", &m_Hold_EndOfVoice);
    r.ReadS32("m_NameIdentifyMode", &m_NameIdentifyMode);
    r.ReadBool("m_IgnoreKinsoku", &m_IgnoreKinsoku);
    r.ReadS32("m_LastDialogResult", &m_LastDialogResult);

    ReadRecordQueue(r, "GxMessageLogElement", m_MessageLog);
    ReadRecordQueue(r, "GxNoticeParam", m_NoticeList);
    r.ReadBool("m_HideWindowByCommandFlag", &m_HideWindowByCommandFlag);
}

void ResetAvgState(GxUserData* data, bool stopMusic)
{
    if (data == nullptr)
        return;
    GxPlayStateServicesBase& play = GetPlayStateServices();
    if (stopMusic) {
        play.StopBgm(0);
        data->m_BGMPlayParam.Clear();
    }
    play.StopBgv(0);
    data->m_BGVPlayParam.Clear();
    play.StopAllSeChannels();
    for (GxSoundPlayParam& channel : data->m_SEPlayParam)
        channel.Clear();
    play.StopAllVoiceChannels();
    data->ClearVoiceSlots();
    play.StopExtraVoiceChannels();
    SetBGMRestraintLevel(100);
    play.MovieSlotStopAll();
    // Music that goes on playing keeps its record, or a later save would drop it.
    const GxSoundPlayParam music = data->m_BGMPlayParam;
    data->Reset();
    if (!stopMusic)
        data->m_BGMPlayParam = music;
    play.ResetWindows();
    GxSavedDataScript script;
    script.MainWorker().Stop();
    script.MainWorker().Reset();
    script.Moa().ResetGameVariables();
    data->m_HideWindowByCommandFlag = true;
    play.AvgGlobalFadeOut(0);
}

bool SaveGameData(GxUserData* data, const std::u16string& path, bool binary)
{
    if (data == nullptr)
        return false;
    GxSavedDataScript script;
    return SaveFileReplacing(path, [data, &path, binary, &script](std::FILE* stream) {
        std::unique_ptr<GxContentWriterBase> writer;
        if (binary)
            writer = std::make_unique<GxContentBinaryWriter>(stream);
        else
            writer = std::make_unique<GxContentTextWriter>(stream);
        if (!writer->WriteHeader(binary ? "BGD" : "TGD", kVersion) ||
            !data->WriteValues(*writer, FormatCurrentDateTime()))
            return false;
        // Their own results are not looked at: a byte the stream refused fails the save anyway.
        script.Moa().WriteVariables(*writer, kInGameSaveClass);
        script.MainWorker().WriteScriptVariables(*writer, kInGameSaveClass);
        script.MainWorker().Write(*writer);
        // A play screen missing a part cannot be saved whole: the old file stays.
        bool screen = data->WriteSoundState(*writer);
        screen = data->WriteLayerState(*writer) && screen;
        screen = data->WriteWindowState(*writer) && screen;
        screen = data->WriteSelectButtonState(*writer) && screen;
        const bool modules = data->m_Core == nullptr || data->m_Core->ModulesWriteGameData(writer.get(), path.c_str());
        return screen && modules && writer->GetErrorCount() == 0;
    });
}

bool DecodeGameData(GxUserData* data, const GxBinBuffer& bytes, const std::u16string& path, bool fullRestore)
{
    if (data == nullptr)
        return false;
    const std::unique_ptr<GxContentReaderBase> reader = OpenSavedFileReader(bytes, "TGD", "BGD");
    if (!reader)
        return false;
    data->ReadValues(*reader, path);
    bool screen = true;
    if (fullRestore) {
        GxSavedDataScript script;
        script.Moa().ResetAndReadVariables(*reader, kInGameSaveClass);
        script.MainWorker().ClearAndReadScriptVariables(*reader, kInGameSaveClass);
        script.MainWorker().Read(*reader);
        // The reads' own results add only a missing play-screen part; their value errors are the
        // reader's count.
        screen = data->ReadSoundState(*reader) && screen;
        screen = data->ReadLayerState(*reader) && screen;
        screen = data->ReadWindowState(*reader) && screen;
        screen = data->ReadSelectButtonState(*reader) && screen;
    }
    if (data->m_Core != nullptr)
        data->m_Core->ModulesReadGameData(reader.get(), path.c_str(), fullRestore);
    return screen && reader->GetErrorCount() == 0;
}

bool LoadGameData(GxUserData* data, const std::u16string& path, bool fullRestore)
{
    if (data == nullptr)
        return false;
    GxBinBuffer bytes;
    if (!GxFile::ReadWholeFile(bytes, path))   // a missing file is logged there
        return false;
    if (!DecodeGameData(data, bytes, path, fullRestore)) {
        LogPrint(u"LoadGameData/the file could not be read whole[%s]\n", path.c_str());
        return false;
    }
    return true;
}

bool DecodeGameDataHeader(const GxBinBuffer& bytes, GxGameDataHeader* header)
{
    if (header == nullptr)
        return false;
    header->m_Valid = false;
    const std::unique_ptr<GxContentReaderBase> reader = OpenSavedFileReader(bytes, "TGD", "BGD");
    if (!reader)
        return false;
    reader->ReadWString("m_SaveTime", header->m_SaveTime);
    reader->ReadWString("m_GameDataTitle", header->m_GameDataTitle);
    reader->ReadWString("m_RestoreSequence", header->m_RestoreSequence);
    reader->ReadWString("m_RestoreSubParam", header->m_RestoreSubParam);
    GxBit32 option{header->m_GameDataOption};
    reader->ReadBit32("m_GameDataOption", &option);
    header->m_GameDataOption = option.m_Bits;
    header->m_Valid = true;
    return true;
}

bool ReadGameDataHeader(const std::u16string& path, GxGameDataHeader* header)
{
    if (header == nullptr)
        return false;
    header->m_Valid = false;
    GxBinBuffer bytes;
    if (!GxFile::ReadWholeFile(bytes, path))   // a missing file is logged there
        return false;
    if (!DecodeGameDataHeader(bytes, header)) {
        LogPrint(u"ReadGameDataHeader/not a game data file[%s]\n", path.c_str());
        return false;
    }
    return true;
}
