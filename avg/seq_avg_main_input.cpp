// SeqAvgMain: the player's input. Cancelling the script's waits, the mouse and key listeners, the
// window's buttons, the window-hidden state, skip and auto mode, the quick save and the widget
// tests that keep the buttons still while the script or the screen is busy.
#include "avg/seq_avg_main.h"

#include "avg/game_sound_services.h"
#include "avg/task_tree_walks.h"
#include "core/core.h"
#include "core/scene_generation.h"
#include "core/system_dialog_host.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "data/play_state_services.h"
#include "data/system_config.h"
#include "data/user_config.h"
#include "data/user_data.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "platform/win32/window.h"
#include "ui/message_window.h"
#include "ui/task_ui_base.h"
#include "ui/ui_manage.h"

#include <cstdio>

namespace {

constexpr std::int32_t kCancelByClick = 2;
constexpr std::int32_t kCancelBySkip = 8;
constexpr std::int32_t kWheelNotch = 120;
constexpr std::int32_t kKeyEnter = 13;
constexpr std::int32_t kKeySpace = 32;
constexpr std::int32_t kKeyRight = 39;
constexpr std::int32_t kKeyDown = 40;
constexpr std::int32_t kKeyF9 = 120;
constexpr std::int32_t kDefaultAutoWaitTime = 3000;
// The keys that act as a click carry no pointer position.
constexpr float kNoPosition = -1.0f;
constexpr const char16_t* kDefaultQuickSaveName = u"gamedata_quick.gd";

bool Shares(std::int32_t hold, std::int32_t mask)
{
    return (hold & mask) != 0;
}

// The windows draw through the screen's widget test, so the frame must be composed again.
void SetWindowHidden(GxUIManage& ui, bool hidden)
{
    ui.m_PlayFlag2 = hidden;
    GxSceneGeneration::Touch();
}

}  // namespace

// ---- waits -------------------------------------------------------------------------------------

bool SeqAvgMain::CancelHold(std::int32_t mask)
{
    GxUserData* data = GetUserData();
    if (data == nullptr)
        return false;
    if (Shares(data->m_Hold_WaitClick, mask)) {
        data->m_Hold_WaitClick = 0;
        return true;
    }
    if (Shares(data->m_Hold_WaitTime, mask)) {
        data->m_Hold_WaitTime = 0;
        data->m_Hold_WaitTime_TimeLeft = 0;
        return true;
    }
    if (Shares(data->m_Hold_EndOfMovie, mask)) {
        if (GxTaskLayer* movie = FindLayer(u"$MOVIELAYER:SeqAvgMain"))
            movie->StopMovie();
        data->m_Hold_EndOfMovie = 0;
        return true;
    }
    if (Shares(data->m_Hold_EndOfLayerActionAll, mask)) {
        GxTaskBase* visual = FindOwnTask(u"$VISUAL:SeqAvgMain");
        FinishTaskTreeActions(visual);
        FinishLayerTreeTransitions(visual);
        data->m_Hold_EndOfLayerActionAll = 0;
        return true;
    }
    if (Shares(data->m_Hold_EndOfLayerActionSeparate, mask)) {
        const std::u16string& name = data->m_Hold_EndOfLayerActionSeparate_LayerName;
        GxTaskBase* task = nullptr;
        if (!name.empty() && name[0] == u'$')
            task = m_Manage != nullptr ? m_Manage->FindTaskByName(name) : nullptr;
        else if (GxTaskFolder* stand = GetStandFolder(); stand != nullptr && !name.empty())
            task = stand->FindTaskLocal(name, 0);
        if (auto* actor = dynamic_cast<GxTaskActor*>(task))
            actor->FinishActions();
        if (auto* layer = dynamic_cast<GxTaskLayer*>(task))
            layer->EndTransit();
        data->m_Hold_EndOfLayerActionSeparate_LayerName.clear();
        data->m_Hold_EndOfLayerActionSeparate = 0;
        return true;
    }
    GxPlayStateServicesBase& sound = GetPlayStateServices();
    if (Shares(data->m_Hold_EndOfBGM, mask)) {
        sound.StopBgm(0);
        data->m_Hold_EndOfBGM = 0;
        return true;
    }
    if (Shares(data->m_Hold_EndOfBGV, mask)) {
        sound.StopBgv(0);
        data->m_Hold_EndOfBGV = 0;
        return true;
    }
    if (Shares(data->m_Hold_EndOfSE, mask)) {
        sound.StopAllSeChannels();
        data->m_Hold_EndOfSE = 0;
        return true;
    }
    if (Shares(data->m_Hold_EndOfVoice, mask)) {
        sound.StopAllVoiceChannels();
        data->m_Hold_EndOfVoice = 0;
        return true;
    }
    return false;
}

bool SeqAvgMain::AdvanceMessage(bool stopVoices)
{
    if (m_MessageWindow == nullptr || !m_MessageWindow->Advance())
        return false;
    // The page the voices belonged to is over.
    if (GxUserData* data = GetUserData())
        data->ClearVoiceSlots();
    const GxCore* core = GetCore();
    if (stopVoices && (core == nullptr || core->m_UserConfig == nullptr || !core->m_UserConfig->m_VoiceStopTiming))
        GetPlayStateServices().StopAllVoiceChannels();
    return true;
}

// ---- mouse and keys ----------------------------------------------------------------------------

int SeqAvgMain::OnMouseLeftDown(const GxVector2*, std::uint32_t, std::int32_t)
{
    if (CancelHold(kCancelByClick))
        return 1;
    GxUIManage* ui = GetUI();
    if (ui == nullptr)
        return 0;
    if (ui->m_PlayFlag2) {
        SetWindowHidden(*ui, false);
        return 1;
    }
    if (ui->m_SkipMode) {
        ui->EndSkipMode(m_MessageWindow);
        return 1;
    }
    if (ui->m_AutoMode) {
        ui->EndAutoMode(m_MessageWindow);
        return 1;
    }
    if (ui->m_DialogCount == 0)
        AdvanceMessage(true);
    // The click also reaches the tasks behind.
    return 0;
}

bool SeqAvgMain::PressWindowButton(const char16_t* name, const GxVector2* point)
{
    GxTaskUIBase* button = GetWindowButton(name);
    if (button == nullptr || !IsWidgetInputAllowed(button, 0))
        return false;
    GxUIEventParam event;
    event.m_Sender = button;
    event.m_Code = kUIEventClick;
    if (point != nullptr)
        event.m_Vector[0] = GxVector3(point->x, point->y, 0.0f);
    button->DispatchEvent(event);
    return true;
}

int SeqAvgMain::OnMouseWheel(const GxVector2* point, std::int32_t delta, std::uint32_t keys)
{
    const std::int32_t notches = delta / kWheelNotch;
    GxUIManage* ui = GetUI();
    if (ui != nullptr && ui->m_PlayFlag2) {
        if (notches == 0)
            return 0;
        SetWindowHidden(*ui, false);
        return 1;
    }
    if (notches < 0)
        return OnMouseLeftDown(point, keys, 0);
    if (notches > 0)
        return PressWindowButton(u"btn_log", point) ? 1 : 0;
    return 0;
}

int SeqAvgMain::OnMouseRightDown(const GxVector2* point, std::uint32_t, std::int32_t)
{
    GxUIManage* ui = GetUI();
    if (ui != nullptr && ui->m_PlayFlag2) {
        SetWindowHidden(*ui, false);
        return 0;
    }
    return PressWindowButton(u"btn_hide", point) ? 1 : 0;
}

bool SeqAvgMain::IsShutdownDialogShown() const
{
    auto* host = m_Manage != nullptr ? dynamic_cast<GxSystemDialogHost*>(m_Manage->GetSystemSequence()) : nullptr;
    return host != nullptr && host->IsShutdownDialogActive();
}

int SeqAvgMain::OnKeyDown(WPARAM key, LPARAM)
{
    GxCore* core = GetCore();
    GxUIManage* ui = GetUI();
    const auto code = static_cast<std::int32_t>(key);
    if (code == kKeyF9) {
        if (core == nullptr || !core->GetConfig().m_DebugModeFlag)
            return 0;
        ShowStandFirstSubLayers();
        ShowBgwLayer();
        return 1;
    }
    if (code == kKeyEnter || code == kKeyRight || code == kKeyDown) {
        if (ui != nullptr && ui->m_PlayFlag2) {
            SetWindowHidden(*ui, false);
        } else {
            const GxVector2 nowhere(kNoPosition, kNoPosition);
            OnMouseLeftDown(&nowhere, 0, 0);
        }
        return 1;
    }
    if (code == kKeySpace) {
        if (ui != nullptr) {
            if (ui->m_PlayFlag2)
                SetWindowHidden(*ui, false);
            else if (!IsShutdownDialogShown())
                SetWindowHidden(*ui, true);
        }
        return 1;
    }
    return 0;
}

// ---- the window's buttons ----------------------------------------------------------------------

bool SeqAvgMain::ChangeSequenceTo(const char16_t* name)
{
    GxTaskBase* target = FindOwnTask(name);
    if (target == nullptr) {
        LogPrint(u"遷移先のシーケンスが見つかりません(%s)\n", name);
        return false;
    }
    return m_Manage->ChangeSequence(target, m_WorkerIndex, 0, 0);
}

std::u16string SeqAvgMain::GetQuickSavePath() const
{
    const GxCore* core = GetCore();
    const GxSystemConfig* config = core != nullptr ? core->m_SystemConfig : nullptr;
    const std::u16string name =
        config != nullptr && !config->m_QuickSaveFileName.empty() ? config->m_QuickSaveFileName : kDefaultQuickSaveName;
    return (core != nullptr ? core->GetSaveDir() : std::u16string()) + name;
}

int SeqAvgMain::OnUIEvent(GxTaskUIBase* sender, const GxUIEventParam* event)
{
    if (GxSeqTransitBase::OnUIEvent(sender, event) != 0)
        return 1;
    if (sender == nullptr)
        return 0;
    if ((sender->m_KindFlags & kKindWidget) != 0)
        PlaySystemSound(0, sender->GetSystemSoundID());

    const std::u16string& name = sender->GetTaskLocalName();
    GxUIManage* ui = GetUI();
    GxUserData* data = GetUserData();
    if (name == u"btn_rend") {
        ChangeSequenceTo(u"SeqRPMode");
    } else if (name == u"btn_auto") {
        if (ui != nullptr) {
            ui->m_AutoMode = sender->GetValueBool();
            if (ui->m_AutoMode)
                ui->m_PlayCounter = GetAutoWaitTime();
        }
    } else if (name == u"btn_skip") {
        if (ui != nullptr)
            ui->m_SkipMode = sender->GetValueBool();
    } else if (name == u"btn_log") {
        ChangeSequenceTo(u"SeqAvgLog");
    } else if (name == u"btn_voice") {
        bool pending = false;
        if (data != nullptr)
            for (const GxSoundPlayParam& voice : data->m_VoicePlayParam)
                pending = pending || !voice.m_FileName.empty();
        if (pending) {
            StopVoiceChannels(0);
            for (std::int32_t slot = 0; slot < GxUserData::kChannelCount; ++slot)
                ReplayVoiceChannel(slot);
        }
    } else if (name == u"btn_qsave") {
        QuickSave();
    } else if (name == u"btn_qload") {
        // Only with a quick save to read; otherwise the click stays unused.
        std::FILE* file = std::fopen(WideToUtf8(GetQuickSavePath()).c_str(), "rb");
        if (file == nullptr)
            return 0;
        std::fclose(file);
        ChangeSequenceTo(u"SeqQuickLoad");
    } else if (name == u"btn_save") {
        CaptureThumbnail();
        ChangeSequenceTo(u"SeqSave");
    } else if (name == u"btn_load") {
        ChangeSequenceTo(u"SeqLoad");
    } else if (name == u"btn_config") {
        ChangeSequenceTo(u"SeqConfig");
    } else if (name == u"btn_hide") {
        if (ui != nullptr)
            SetWindowHidden(*ui, true);
    } else if (name == u"btn_select") {
        JumpToSelectedLabel(sender->GetTaskLocalIndex());
    } else {
        return 0;
    }
    return 1;
}

void SeqAvgMain::QuickSave()
{
    const std::u16string path = GetQuickSavePath();
    if (!SaveGameData(GetUserData(), path, true))
        LogPrint(u"SeqAvgMain::QuickSave/failed (%s)\n", path.c_str());
}

// ---- skip and auto -----------------------------------------------------------------------------

std::int32_t SeqAvgMain::GetAutoWaitTime() const
{
    const GxCore* core = GetCore();
    return core != nullptr && core->m_UserConfig != nullptr ? core->m_UserConfig->m_AutoWaitTime
                                                            : kDefaultAutoWaitTime;
}

void SeqAvgMain::StepSkip()
{
    GxCore* core = GetCore();
    GxUIManage* ui = GetUI();
    GxUserData* data = GetUserData();
    if (core != nullptr && core->m_MainWindow != nullptr && IsIconic(core->m_MainWindow))
        return;
    if (ui != nullptr && ui->m_PlayFlag2)
        return;
    const bool skipUnread = core != nullptr && core->m_UserConfig != nullptr && core->m_UserConfig->m_AllowSkipUnreadText;
    if (m_MessageWindow != nullptr) {
        const bool stopsHere = !m_MessageWindow->IsReadedText() && !skipUnread;
        if (m_MessageWindow->GetRemainingChars() > 0 && !m_MessageWindow->IsClickWaiting()) {
            if (stopsHere)
                return;
            m_MessageWindow->ShowAll(false, false);
        } else if (m_MessageWindow->IsClickWaiting()) {
            if (stopsHere)
                return;
            AdvanceMessage(false);
        }
    }
    while (CancelHold(kCancelBySkip)) {
    }
    if (data == nullptr || (data->m_Hold_EndOfLayerActionAll == 0 && data->m_Hold_EndOfLayerActionSeparate == 0)) {
        FinishLayerTreeTransitions(FindOwnTask(u"$ROOT:SeqAvgMain"));
        FinishTaskTreeActions(FindOwnTask(u"$VISUAL:SeqAvgMain"));
    }
    EndBgTransition();
}

void SeqAvgMain::StepAuto(std::int32_t elapsedMs)
{
    GxCore* core = GetCore();
    GxUIManage* ui = GetUI();
    if (ui == nullptr || ui->m_PlayFlag2)
        return;
    if (m_MessageWindow == nullptr || !m_MessageWindow->IsClickWaiting()) {
        ui->m_PlayCounter = GetAutoWaitTime();
        return;
    }
    ui->m_PlayCounter -= elapsedMs;
    if (ui->m_PlayCounter > 0)
        return;
    const bool waitVoice =
        core != nullptr && core->m_UserConfig != nullptr && core->m_UserConfig->m_WaitVoiceEndOnAutoMode;
    // Held at 0, so the page turns in the first pass after the voice ends.
    if (waitVoice && IsVoiceBusy()) {
        ui->m_PlayCounter = 0;
        return;
    }
    ui->m_PlayCounter = GetAutoWaitTime();
    AdvanceMessage(true);
}

bool SeqAvgMain::IsVoiceBusy()
{
    return IsVoicePlaying();
}

// ---- widget tests ------------------------------------------------------------------------------

bool SeqAvgMain::IsWidgetActive(GxTaskUIBase* widget)
{
    GxUIManage* ui = GetUI();
    if (ui != nullptr && ui->m_PlayFlag2)
        return false;
    const GxUserData* data = GetUserData();
    if (data != nullptr && data->m_HideWindowByCommandFlag && widget != nullptr) {
        // The two windows and their direct children rest while the script hides them.
        const GxTaskBase* parent = widget->GetParent();
        for (const GxTaskBase* task : {static_cast<const GxTaskBase*>(widget), parent}) {
            if (task == nullptr)
                continue;
            const std::u16string& name = task->GetTaskName();
            if (name == u"$MESWIN:SeqAvgMain" || name == u"$NAMEWIN:SeqAvgMain")
                return false;
        }
    }
    if (m_BgTransit.m_Transit)
        return false;
    return GxSeqTransitBase::IsWidgetActive(widget);
}

bool SeqAvgMain::IsScreenBusy() const
{
    const GxUIManage* ui = GetUI();
    if (ui != nullptr && (ui->m_PlayFlag2 || ui->m_DialogCount != 0))
        return true;
    if (m_Manage != nullptr) {
        if (m_Manage->IsChangePending(0) || m_Manage->IsChangePending(1))
            return true;
        if (m_WorkerIndex < 0 || !m_Manage->IsWorkerReady(m_WorkerIndex))
            return true;
    }
    if (IsInTransit() || m_BgTransit.m_Transit)
        return true;
    const GxUserData* data = GetUserData();
    return data != nullptr && data->m_Hold_WaitTime != 0;
}

bool SeqAvgMain::IsUIHoldClear1()
{
    return !IsScreenBusy() && GxSeqTransitBase::IsUIHoldClear1();
}

bool SeqAvgMain::IsUIHoldClear2()
{
    return !IsScreenBusy() && GxSeqTransitBase::IsUIHoldClear2();
}

bool SeqAvgMain::IsUIHoldClear3()
{
    return !IsScreenBusy() && GxSeqTransitBase::IsUIHoldClear3();
}
