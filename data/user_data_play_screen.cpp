// GxUserData: the play screen's part of a saved game (sounds, layers, windows, choice buttons).
// The parts are found by task name in the core's task manager; widget calls after a read go
// through the play-screen widget interface the widget subsystem installs.
#include "data/user_data.h"

#include "core/core.h"
#include "core/task_folder.h"
#include "core/task_manage.h"
#include "data/data_tables.h"
#include "data/db_avgchar.h"
#include "data/play_screen_widgets.h"
#include "data/play_state_services.h"
#include "data/system_config.h"
#include "data/user_config.h"
#include "data/user_data_perman.h"
#include "foundation/content.h"
#include "foundation/log.h"

#include <algorithm>
#include <array>

namespace {

constexpr std::array<const char16_t*, 6> kLayerNames = {
    u"$VISUAL:SeqAvgMain",    u"$BGLAYER:SeqAvgMain",     u"$BGWLAYER:SeqAvgMain",
    u"$MOVIELAYER:SeqAvgMain", u"$GLOBALFLASH:SeqAvgMain", u"$GLOBALFADE:SeqAvgMain",
};
constexpr const char16_t* kStandName = u"$STAND:SeqAvgMain";
constexpr std::array<const char16_t*, 3> kWindowNames = {
    u"$MESWIN:SeqAvgMain",
    u"$NAMEWIN:SeqAvgMain",
    u"$NAMEIMAGE:SeqAvgMain",
};
constexpr const char16_t* kSelectName = u"$SELECT:SeqAvgMain";
constexpr const char16_t* kSelectButtonName = u"btn_select";
constexpr std::int32_t kReplayFadeInMs = 1000;
constexpr std::int32_t kAvgCharRows = 80;

// A removed task waits for the sweep but is no longer part of the screen.
GxTaskBase* Live(GxTaskBase* task)
{
    return task != nullptr && !task->IsRemoved() ? task : nullptr;
}

GxTaskManage* ManageOf(GxCore* core)
{
    return core != nullptr ? core->m_TaskManage : nullptr;
}

// A play screen is there once any of its parts is; a tree without any (a tool, a test of the
// file alone) carries no play-screen state.
bool HasPlayScreen(GxTaskManage* manage)
{
    if (manage == nullptr)
        return false;
    for (const char16_t* name : kLayerNames)
        if (Live(manage->FindTask(name)) != nullptr)
            return true;
    for (const char16_t* name : kWindowNames)
        if (Live(manage->FindTask(name)) != nullptr)
            return true;
    return Live(manage->FindTask(kStandName)) != nullptr || Live(manage->FindTask(kSelectName)) != nullptr;
}

// The part, or null with one line naming it and the operation.
GxTaskBase* FindPart(GxTaskManage* manage, const char16_t* name, const char16_t* operation)
{
    GxTaskBase* task = Live(manage->FindTask(name));
    if (task == nullptr)
        LogPrint(u"GxUserData::%s/the play screen has no %s\n", operation, name);
    return task;
}

GxTaskFolder* FindFolderPart(GxTaskManage* manage, const char16_t* name, const char16_t* operation)
{
    GxTaskBase* task = FindPart(manage, name, operation);
    auto* folder = dynamic_cast<GxTaskFolder*>(task);
    if (task != nullptr && folder == nullptr)
        LogPrint(u"GxUserData::%s/%s is not a folder\n", operation, name);
    return folder;
}

// The characters whose stand layers a saved game carries, in row order.
template <class Visit>
void ForEachStandCharacter(Visit visit)
{
    DBAvgChar& table = GetDBAvgChar();
    for (std::int32_t i = 0; i < kAvgCharRows; ++i) {
        const DBAvgCharRow* row = table.GetRow(i);
        if (row == nullptr || row->m_CharName.empty() || row->m_CharName == u"*")
            continue;
        visit(row->m_CharName);
    }
}

// Passes over a stratum whose begin has been read, up to and with its matching end. The text
// form skips past its end without failing, so the end of the data ends the loop: a stratum
// still open there is damage.
void SkipStratum(GxContentReaderBase& reader)
{
    std::int32_t depth = 1;
    while (depth > 0) {
        if (reader.IsEnd()) {
            reader.CountDamage("GxUserData::ReadLayerState/a stand layer's stratum is not closed\n");
            return;
        }
        const int type = reader.PeekValueType();
        if (type == VALTYPE_TreeStratumBegin)
            ++depth;
        else if (type == VALTYPE_TreeStratumEnd)
            --depth;
        if (!reader.SkipValue())
            return;
    }
}

std::int32_t SelectButtonCount(const std::vector<GxSelectMenuItem>& items)
{
    return std::max<std::int32_t>(0, static_cast<std::int32_t>(items.size()) - 1);
}

// Every named part, or false once one is missing (logged by FindPart).
template <std::size_t N>
bool FindParts(GxTaskManage* manage, const std::array<const char16_t*, N>& names, const char16_t* operation,
               std::array<GxTaskBase*, N>& parts)
{
    for (std::size_t i = 0; i < N; ++i)
        if ((parts[i] = FindPart(manage, names[i], operation)) == nullptr)
            return false;
    return true;
}

// The choice buttons 1..count of the select folder, or false with a line naming the missing one.
bool FindSelectButtons(GxTaskManage* manage, std::int32_t count, const char16_t* operation,
                       std::vector<GxTaskBase*>& buttons)
{
    GxTaskFolder* select = FindFolderPart(manage, kSelectName, operation);
    if (select == nullptr)
        return false;
    for (std::int32_t i = 1; i <= count; ++i) {
        GxTaskBase* button = Live(select->FindTaskLocal(kSelectButtonName, i));
        if (button == nullptr) {
            LogPrint(u"GxUserData::%s/the play screen has no %s %d\n", operation, kSelectButtonName, i);
            return false;
        }
        buttons.push_back(button);
    }
    return true;
}

// The data's own system configuration, else the core's, else the defaults.
const GxSystemConfig& SystemConfigOf(const GxSystemConfig* own, const GxCore* core)
{
    static const GxSystemConfig defaultSystem;
    return own ? *own : core->m_SystemConfig ? *core->m_SystemConfig : defaultSystem;
}

const GxUserConfig& UserConfigOf(const GxCore* core)
{
    static const GxUserConfig defaultUser;
    return core->m_UserConfig ? *core->m_UserConfig : defaultUser;
}

}  // namespace

bool GxUserData::WriteSoundState(GxContentWriterBase& writer)
{
    if (!HasPlayScreen(ManageOf(m_Core)))
        return writer.GetErrorCount() == 0;
    GxPlayStateServicesBase& play = GetPlayStateServices();
    // The live records follow what really plays: a finished sound is not brought back by a load.
    if (!play.IsBgmPlaying())
        m_BGMPlayParam.Clear();
    if (!play.IsBgvPlaying())
        m_BGVPlayParam.Clear();
    for (GxSoundPlayParam& se : m_SEPlayParam)
        if (se.m_Loop > 0)
            se.Clear();
    m_BGMPlayParam.Write(writer);
    m_BGVPlayParam.Write(writer);
    for (const GxSoundPlayParam& se : m_SEPlayParam)
        se.Write(writer);
    for (const GxSoundPlayParam& voice : m_VoicePlayParam)
        voice.Write(writer);
    return writer.GetErrorCount() == 0;
}

bool GxUserData::ReadSoundState(GxContentReaderBase& reader)
{
    if (!HasPlayScreen(ManageOf(m_Core)))
        return reader.GetErrorCount() == 0;
    GxPlayStateServicesBase& play = GetPlayStateServices();
    play.StopBgm(0);
    play.StopBgv(0);
    play.StopAllSeChannels();
    play.StopAllVoiceChannels();
    play.StopExtraVoiceChannels();
    play.StopAllStaticSounds();
    m_BGMPlayParam.Read(reader);
    m_BGVPlayParam.Read(reader);
    for (GxSoundPlayParam& se : m_SEPlayParam)
        se.Read(reader);
    for (GxSoundPlayParam& voice : m_VoicePlayParam)
        voice.Read(reader);
    // The stops cleared the records; copies keep what was read while the plays fill them again.
    const GxSoundPlayParam music = m_BGMPlayParam;
    const GxSoundPlayParam voice = m_BGVPlayParam;
    if (!music.m_FileName.empty())
        play.PlayBgm(music.m_FileName, music.m_Loop, music.m_StartSeekPosTime, music.m_LoopPosTime, kReplayFadeInMs,
                     false);
    if (!voice.m_FileName.empty())
        play.PlayBgv(voice.m_FileName, voice.m_Loop, voice.m_StartSeekPosTime, voice.m_LoopPosTime, kReplayFadeInMs);
    for (std::int32_t slot = 0; slot < kChannelCount; ++slot) {
        const GxSoundPlayParam se = m_SEPlayParam[slot];
        if (!se.m_FileName.empty())
            play.PlaySeChannel(slot, se.m_FileName, se.m_Loop, se.m_StartSeekPosTime, 0, se.m_LoopPosTime);
    }
    return reader.GetErrorCount() == 0;
}

bool GxUserData::WriteLayerState(GxContentWriterBase& writer)
{
    GxTaskManage* manage = ManageOf(m_Core);
    if (!HasPlayScreen(manage))
        return writer.GetErrorCount() == 0;
    std::array<GxTaskBase*, kLayerNames.size()> layers{};
    if (!FindParts(manage, kLayerNames, u"WriteLayerState", layers))
        return false;
    GxTaskFolder* stand = FindFolderPart(manage, kStandName, u"WriteLayerState");
    if (stand == nullptr)
        return false;
    for (GxTaskBase* layer : layers)
        layer->WriteState(writer);
    writer.WriteListBegin("StandLayers", "", 0);
    ForEachStandCharacter([&](const std::u16string& name) {
        GxTaskBase* child = Live(stand->FindTaskLocal(name, 0));
        if (child == nullptr)
            return;
        writer.WriteTreeStratumBegin();
        writer.WriteWString("LayerName", child->GetTaskLocalName());
        child->WriteState(writer);
        writer.WriteTreeStratumEnd();
    });
    writer.WriteListEnd();
    return writer.GetErrorCount() == 0;
}

bool GxUserData::ReadLayerState(GxContentReaderBase& reader)
{
    GxTaskManage* manage = ManageOf(m_Core);
    if (!HasPlayScreen(manage))
        return reader.GetErrorCount() == 0;
    std::array<GxTaskBase*, kLayerNames.size()> layers{};
    if (!FindParts(manage, kLayerNames, u"ReadLayerState", layers))
        return false;
    GxTaskFolder* stand = FindFolderPart(manage, kStandName, u"ReadLayerState");
    if (stand == nullptr)
        return false;
    GetPlayStateServices().MovieSlotStopAll();
    for (GxTaskBase* layer : layers)
        layer->ReadState(reader);
    std::uint32_t count = 0;
    reader.ReadListBegin("StandLayers", &count);
    ForEachStandCharacter([&](const std::u16string&) {
        if (reader.PeekValueType() != VALTYPE_TreeStratumBegin)
            return;
        reader.ReadTreeStratumBegin();
        const std::u16string name = reader.ReadWString("LayerName");
        GxTaskBase* child = Live(stand->FindTaskLocal(name, 0));
        if (child == nullptr) {
            // Left unread, the stratum would put every later value out of line.
            LogPrint(u"GxUserData::ReadLayerState/no stand layer named %s; its state is skipped\n", name.c_str());
            SkipStratum(reader);
            return;
        }
        child->ReadState(reader);
        reader.ReadTreeStratumEnd();
    });
    reader.ReadListEnd();
    return reader.GetErrorCount() == 0;
}

bool GxUserData::WriteWindowState(GxContentWriterBase& writer)
{
    GxTaskManage* manage = ManageOf(m_Core);
    if (!HasPlayScreen(manage))
        return writer.GetErrorCount() == 0;
    std::array<GxTaskBase*, kWindowNames.size()> windows{};
    if (!FindParts(manage, kWindowNames, u"WriteWindowState", windows))
        return false;
    for (GxTaskBase* window : windows)
        window->WriteState(writer);
    return writer.GetErrorCount() == 0;
}

bool GxUserData::ReadWindowState(GxContentReaderBase& reader)
{
    GxTaskManage* manage = ManageOf(m_Core);
    if (!HasPlayScreen(manage))
        return reader.GetErrorCount() == 0;
    std::array<GxTaskBase*, kWindowNames.size()> windows{};
    if (!FindParts(manage, kWindowNames, u"ReadWindowState", windows))
        return false;
    for (GxTaskBase* window : windows)
        window->ReadState(reader);
    // The configuration's margin and the player's current opacity, not those of the save.
    const GxSystemConfig& system = SystemConfigOf(m_SystemConfig, m_Core);
    const GxUserConfig& user = UserConfigOf(m_Core);
    GxPlayScreenWidgetsBase& widgets = GetPlayScreenWidgets();
    widgets.SetLetterMarginWidth(windows[0], system.m_MesWinLetterMarginWidth);
    widgets.SetImageAlpha(windows[0], user.m_TextWindowOpacity);
    widgets.SetImageAlpha(windows[1], user.m_TextWindowOpacity);
    return reader.GetErrorCount() == 0;
}

bool GxUserData::WriteSelectButtonState(GxContentWriterBase& writer)
{
    GxTaskManage* manage = ManageOf(m_Core);
    if (!HasPlayScreen(manage))
        return writer.GetErrorCount() == 0;
    const std::int32_t count = SelectButtonCount(m_SelectMenuItemList);
    std::vector<GxTaskBase*> buttons;
    if (!FindSelectButtons(manage, count, u"WriteSelectButtonState", buttons))
        return false;
    writer.WriteListBegin("SelectButtons", "", static_cast<std::uint32_t>(count));
    for (GxTaskBase* button : buttons)
        button->WriteState(writer);
    writer.WriteListEnd();
    return writer.GetErrorCount() == 0;
}

bool GxUserData::ReadSelectButtonState(GxContentReaderBase& reader)
{
    GxTaskManage* manage = ManageOf(m_Core);
    if (!HasPlayScreen(manage))
        return reader.GetErrorCount() == 0;
    const std::int32_t count = SelectButtonCount(m_SelectMenuItemList);
    std::vector<GxTaskBase*> buttons;
    if (!FindSelectButtons(manage, count, u"ReadSelectButtonState", buttons))
        return false;
    const GxSystemConfig& system = SystemConfigOf(m_SystemConfig, m_Core);
    const GxUserConfig& user = UserConfigOf(m_Core);
    const GxUserDataPerman* perman = m_Core->m_UserDataPerman;
    GxPlayScreenWidgetsBase& widgets = GetPlayScreenWidgets();
    // The stored count is not used: the buttons are the current menu's.
    std::uint32_t stored = 0;
    reader.ReadListBegin("SelectButtons", &stored);
    for (std::int32_t i = 1; i <= count; ++i) {
        buttons[static_cast<std::size_t>(i - 1)]->ReadState(reader);
        if (!m_IsSelecting || !m_SelectMenuItemList[static_cast<std::size_t>(i)].m_Visible)
            continue;
        const bool taken = user.m_ChangeColorSelectedMenu && perman != nullptr &&
                           perman->IsMenuSelected(m_SelectHash, i);
        widgets.SetTextColor(buttons[static_cast<std::size_t>(i - 1)],
                             taken ? system.m_SelectTextColor1 : system.m_SelectTextColor0);
    }
    reader.ReadListEnd();
    return reader.GetErrorCount() == 0;
}
