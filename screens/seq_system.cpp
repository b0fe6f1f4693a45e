#include "screens/seq_system.h"

#include "core/core.h"
#include "core/scene_generation.h"
#include "core/shared_asset_manage.h"
#include "core/task_manage.h"
#include "core/task_render_manage.h"
#include "data/db_uimodule.h"
#include "data/data_tables.h"
#include "data/system_config.h"
#include "data/user_config.h"
#include "data/user_data.h"
#include "foundation/async_job.h"
#include "foundation/file.h"
#include "foundation/log.h"
#include "foundation/random.h"
#include "foundation/time_util.h"
#include "foundation/wide_string.h"
#include "graphics/draw2d.h"
#include "graphics/graphics.h"
#include "graphics/texture_factory.h"
#include "platform/crt/wide_stdio.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/message.h"
#include "platform/win32/window.h"
#include "screens/screen_base.h"
#include "screens/screen_sound.h"
#include "script/debug_console.h"
#include "script/debug_status_line.h"
#include "script/moa_ex.h"
#include "script/script_engine.h"
#include "script/text_editor.h"
#include "script/worker.h"
#include "ui/task_ui_base.h"
#include "ui/ui_manage.h"
#include "ui/ui_named_values.h"
#include "ui/ui_notice_panel.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr char16_t kName[] = u"SeqSystem";
constexpr char16_t kShutdownTag[] = u"SeqSystem_EXITGAME";
constexpr std::int32_t kDialogOffsetY = -120;
constexpr std::int32_t kButtonGap = 32;
constexpr std::int32_t kButtonBottom = 40;
constexpr std::int32_t kShutdownVoice = 12;
constexpr std::int32_t kOpenSound = 2;
constexpr std::int32_t kCloseSound = 3;
constexpr std::int32_t kHelpTipPriority = 65535;
constexpr float kLoadingIconX = 984.0f;
constexpr std::int32_t kWindowedRow = 0;
constexpr std::int32_t kFullScreenRow = 2;

constexpr WPARAM kKeyF1 = VK_F1;
constexpr WPARAM kKeyF2 = VK_F1 + 1;
constexpr WPARAM kKeyF3 = VK_F1 + 2;
constexpr WPARAM kKeyF4 = VK_F1 + 3;
constexpr WPARAM kKeyF5 = VK_F1 + 4;
constexpr WPARAM kKeyF6 = VK_F1 + 5;
constexpr WPARAM kKeyF7 = VK_F1 + 6;
constexpr WPARAM kKeyF8 = VK_F1 + 7;
constexpr WPARAM kKeyF11 = VK_F11;

enum UserButton { kYes, kNo, kOkPair, kCancel, kOkAlone };

void Place(GxTaskUIBase* widget, float x, float y, float z)
{
    widget->SetPos(GxVector3(x, y, 0.0f));
    widget->SetOrderZ(z);
}

// The left and right of a pair of buttons, and a lone centred one, along the dialog's bottom.
void PlacePair(GxTaskUIBase* dialog, GxTaskUIBase* left, GxTaskUIBase* right, float z)
{
    if (dialog == nullptr)
        return;
    const std::int32_t width = dialog->GetWidth();
    const std::int32_t height = dialog->GetHeight();
    if (left != nullptr) {
        const std::int32_t x = (width - (2 * left->GetWidth() + kButtonGap)) / 2;
        Place(left, static_cast<float>(x), static_cast<float>(height - kButtonBottom - left->GetHeight()), z);
    }
    if (right != nullptr) {
        const std::int32_t x = (width - (2 * right->GetWidth() + kButtonGap)) / 2 + right->GetWidth() + kButtonGap;
        Place(right, static_cast<float>(x), static_cast<float>(height - kButtonBottom - right->GetHeight()), z);
    }
}

}  // namespace

SeqSystem::SeqSystem(GxTaskBase* owner) : GxSeqBase(owner, kName)
{
    m_AcceptUIEventFlag = true;
    m_DebugFont.SetFont(GxGDIFontMap::kDefaultFontSize, nullptr);
    BuildWidgets();
}

SeqSystem::~SeqSystem() = default;

GxCore* SeqSystem::Core() const
{
    return m_Manage != nullptr ? m_Manage->GetCore() : nullptr;
}

GxSeqBase* SeqSystem::SlotZero() const
{
    const GxSeqWorker* worker = m_Manage != nullptr ? m_Manage->GetWorker(0) : nullptr;
    return worker != nullptr && worker->m_Current != this ? worker->m_Current : nullptr;
}

// ---- construction ------------------------------------------------------------------------------

GxTaskUIBase* SeqSystem::MakeWidget(GxTaskBase* parent, const char16_t* moduleName, const char16_t* name,
                                    std::int32_t index, bool logMissing)
{
    DBUIModule& modules = GetDBUIModule();
    const std::int32_t id = modules.FindIDByNameStr(moduleName, 0);
    const DBUIModuleRow* row = id != 0 ? modules.GetRow(id) : nullptr;
    if (row == nullptr || parent == nullptr) {
        // Once per row, though two dialogs share the button rows.
        const bool logged = std::find(m_MissingRows.begin(), m_MissingRows.end(), moduleName) != m_MissingRows.end();
        if (row == nullptr && logMissing && !logged) {
            LogPrint(u"UIモジュールデータ[%s]が見つかりません:%s\n", moduleName, kName);
            m_MissingRows.push_back(moduleName);
        }
        return nullptr;
    }
    GxTaskUIBase* widget = CreateWidgetFromModule(parent, row, name, index);
    if (widget != nullptr)
        widget->LoadImages();
    return widget;
}

void SeqSystem::BuildWidgets()
{
    m_ShutdownDialog = MakeWidget(this, u"dlg_shutdown", u"dlg_shutdown", -1, true);
    GxTaskUIBase* shutdownYes = MakeWidget(m_ShutdownDialog, u"btn_yes", u"btn_dlgshutdown_yes", 0, true);
    GxTaskUIBase* shutdownNo = MakeWidget(m_ShutdownDialog, u"btn_no", u"btn_dlgshutdown_no", 0, true);
    if (m_ShutdownDialog != nullptr) {
        m_ShutdownDialog->SetModalFlag(true);
        m_ShutdownDialog->SetText(u"ゲームを終了しますか？");
        m_ShutdownDialog->CenterX(0);
        m_ShutdownDialog->CenterY(kDialogOffsetY);
        m_ShutdownDialog->SetOrderZ(19000.0f);
        m_ShutdownDialog->SetTopMostFlag(true);
        m_ShutdownDialog->Suspend();
        PlacePair(m_ShutdownDialog, shutdownYes, shutdownNo, 19001.0f);
    }

    m_UserDialog = MakeWidget(this, u"dlg_user", u"dlg_user", -1, true);
    m_UserButtons[kYes] = MakeWidget(m_UserDialog, u"btn_yes", u"btn_dlguser_yes", 0, true);
    m_UserButtons[kNo] = MakeWidget(m_UserDialog, u"btn_no", u"btn_dlguser_no", 0, true);
    m_UserButtons[kOkPair] = MakeWidget(m_UserDialog, u"btn_ok", u"btn_dlguser_ok", 0, true);
    m_UserButtons[kCancel] = MakeWidget(m_UserDialog, u"btn_cancel", u"btn_dlguser_cancel", 0, true);
    m_UserButtons[kOkAlone] = MakeWidget(m_UserDialog, u"btn_ok", u"btn_dlguser_ok", 1, true);
    if (m_UserDialog != nullptr) {
        m_UserDialog->SetModalFlag(true);
        m_UserDialog->SetText(u"ユーザーダイアログ");
        m_UserDialog->CenterX(0);
        m_UserDialog->CenterY(kDialogOffsetY);
        m_UserDialog->SetOrderZ(18000.0f);
        m_UserDialog->Suspend();
        PlacePair(m_UserDialog, m_UserButtons[kYes], m_UserButtons[kNo], 18001.0f);
        PlacePair(m_UserDialog, m_UserButtons[kOkPair], m_UserButtons[kCancel], 18001.0f);
        if (GxTaskUIBase* ok = m_UserButtons[kOkAlone]) {
            Place(ok, static_cast<float>((m_UserDialog->GetWidth() - ok->GetWidth()) / 2),
                  static_cast<float>(m_UserDialog->GetHeight() - kButtonBottom - ok->GetHeight()), 18001.0f);
        }
        for (GxTaskUIBase* button : m_UserButtons) {
            if (button != nullptr)
                button->Hide();
        }
    }

    m_LoadingIcon = MakeWidget(this, u"icon_asload", u"icon_asload", -1, false);
    if (m_LoadingIcon != nullptr) {
        Place(m_LoadingIcon, kLoadingIconX, 0.0f, 16000.0f);
        m_LoadingIcon->Suspend();
    }

    m_HelpTip = MakeWidget(this, u"tip_help", u"tip_help", -1, true);
    if (m_HelpTip != nullptr) {
        m_HelpTip->SetOrderZ(17000.0f);
        m_HelpTip->SetModalFlag(true);
        m_HelpTip->SetModalPriority(kHelpTipPriority);
        m_HelpTip->Suspend();
    }

    GxTaskUIBase* notices[2] = {MakeWidget(this, u"tip_sysnotice", u"tip_sysnotice", -1, false),
                                MakeWidget(this, u"tip_usernotice", u"tip_usernotice", -1, false)};
    for (GxTaskUIBase* notice : notices) {
        if (notice == nullptr)
            continue;
        notice->SetOrderZ(18000.0f);
        notice->Hide();
        notice->Suspend();
    }
    m_SystemNoticePanel = dynamic_cast<GxTaskUINoticePanelFx*>(notices[0]);
    m_UserNoticePanel = dynamic_cast<GxTaskUINoticePanelFx*>(notices[1]);
}

// ---- dialogs -----------------------------------------------------------------------------------

void SeqSystem::OpenDialog(GxTaskUIBase* dialog)
{
    GxCore* core = Core();
    GxUIManage* ui = core != nullptr ? core->m_UIManage : nullptr;
    GxUIManage::ResetEventStateTree(dialog->m_FirstChild);
    dialog->ResetEventState();
    // Opening an open dialog again must not raise the count a second time: every widget below
    // the new level would stay locked for good.
    if (!dialog->IsActive() && ui != nullptr) {
        ++ui->m_DialogCount;
        dialog->SetModalPriority(ui->m_DialogCount);
    }
    dialog->Resume();
}

void SeqSystem::CloseDialog(GxTaskUIBase* dialog, bool playSound)
{
    const bool wasOpen = dialog->IsActive();
    dialog->Suspend();
    if (playSound)
        GetScreenSound().PlaySystemSound(kCloseSound, -1);
    GxCore* core = Core();
    GxUIManage* ui = core != nullptr ? core->m_UIManage : nullptr;
    if (wasOpen && ui != nullptr && ui->m_DialogCount > 0)
        --ui->m_DialogCount;
    dialog->SetModalPriority(0);
}

void SeqSystem::ShowUserDialog(const std::u16string& identifier, GxSeqBase* requester, const std::u16string& text,
                               std::int32_t buttonSet)
{
    if (m_UserDialog == nullptr)
        return;
    m_UserDialogTag = identifier;
    m_UserDialogRequester = requester;
    OpenDialog(m_UserDialog);
    m_UserDialog->SetText(text.c_str());
    for (GxTaskUIBase* button : m_UserButtons) {
        if (button != nullptr)
            button->SetEventListener(requester);
    }
    ShowWidget(m_UserButtons[kOkPair], buttonSet == 2);
    ShowWidget(m_UserButtons[kCancel], buttonSet == 2);
    ShowWidget(m_UserButtons[kYes], buttonSet == 3);
    ShowWidget(m_UserButtons[kNo], buttonSet == 3);
    ShowWidget(m_UserButtons[kOkAlone], buttonSet != 2 && buttonSet != 3);
    GetScreenSound().PlaySystemSound(kOpenSound, -1);
}

void SeqSystem::CloseUserDialog(bool playSound)
{
    if (m_UserDialog != nullptr)
        CloseDialog(m_UserDialog, playSound);
    m_UserDialogRequester = nullptr;
}

bool SeqSystem::IsUserDialogActive() const
{
    return m_UserDialog != nullptr && m_UserDialog->IsActive();
}

void SeqSystem::ShowShutdownDialog()
{
    if (m_ShutdownDialog == nullptr)
        return;
    GxCore* core = Core();
    if (core != nullptr && core->m_UIManage != nullptr)
        core->m_UIManage->m_PlayFlag2 = false;
    m_ShutdownDialogTag = kShutdownTag;
    OpenDialog(m_ShutdownDialog);
    GetScreenSound().PlaySystemSound(kOpenSound, -1);
}

void SeqSystem::CloseShutdownDialog(bool playSound)
{
    if (m_ShutdownDialog != nullptr)
        CloseDialog(m_ShutdownDialog, playSound);
}

bool SeqSystem::IsShutdownDialogActive() const
{
    return m_ShutdownDialog != nullptr && m_ShutdownDialog->IsActive();
}

int SeqSystem::OnWindowClose()
{
    if (m_ShutdownDialog == nullptr || IsShutdownDialogActive())
        return 0;
    GetScreenSound().PlaySystemVoice(kShutdownVoice);
    ShowShutdownDialog();
    return 1;
}

int SeqSystem::OnUIEvent(GxTaskUIBase* widget, const GxUIEventParam* event)
{
    GxTaskBase* parent = widget != nullptr ? widget->GetParent() : nullptr;
    // A user dialog asked with no screen to answer sends its buttons here: the play screen's
    // own question is still answered and closed by the base, or it would stay up for good.
    if (parent == nullptr || parent->GetTaskName() != u"dlg_shutdown")
        return GxSeqBase::OnUIEvent(widget, event);
    const std::u16string& name = widget->GetTaskLocalName();
    if (name == u"btn_dlgshutdown_yes") {
        GxCore* core = Core();
        PostMessageW(core != nullptr ? core->m_MainWindow : nullptr, WM_CLOSE, 0, 0);
        return 1;
    }
    if (name == u"btn_dlgshutdown_no") {
        GetScreenSound().PlaySystemSound(0, widget->GetSystemSoundID());
        CloseShutdownDialog(true);
        return 1;
    }
    return 0;
}

// ---- notices -----------------------------------------------------------------------------------

void SeqSystem::PostSystemNotice(const std::u16string& text, const std::u16string& iconName, std::int32_t iconAlign,
                                 std::uint32_t textColor)
{
    m_SystemNotices.push_back(
        GxNoticeParam{text, iconName, iconAlign, kNoticeShowTime, kSystemNoticeSound, 0, textColor});
}

void SeqSystem::PostUserNotice(const std::u16string& text, const std::u16string& iconName, std::int32_t iconAlign,
                               std::uint32_t textColor)
{
    GxCore* core = Core();
    if (core == nullptr || core->m_UserData == nullptr)
        return;
    core->m_UserData->m_NoticeList.push_back(
        GxNoticeParam{text, iconName, iconAlign, kNoticeShowTime, kUserNoticeSound, 0, textColor});
}

void SeqSystem::ClearUserNotices()
{
    GxCore* core = Core();
    if (core != nullptr && core->m_UserData != nullptr)
        core->m_UserData->m_NoticeList.clear();
    if (m_UserNoticePanel != nullptr && m_UserNoticePanel->IsVisible())
        m_UserNoticePanel->FinishActions();
}

void SeqSystem::UpdateNotices()
{
    if (m_SystemNoticePanel == nullptr || m_UserNoticePanel == nullptr)
        return;
    if (m_SystemNoticePanel->IsVisible() || m_UserNoticePanel->IsVisible())
        return;
    m_SystemNoticePanel->Suspend();
    m_UserNoticePanel->Suspend();

    GxCore* core = Core();
    std::deque<GxNoticeParam>* userQueue =
        core != nullptr && core->m_UserData != nullptr ? &core->m_UserData->m_NoticeList : nullptr;
    std::deque<GxNoticeParam>* queue = nullptr;
    GxTaskUINoticePanelFx* panel = nullptr;
    if (!m_SystemNotices.empty()) {
        queue = &m_SystemNotices;
        panel = m_SystemNoticePanel;
    } else if (userQueue != nullptr && !userQueue->empty() && !m_NoticeHold) {
        queue = userQueue;
        panel = m_UserNoticePanel;
    } else {
        return;
    }
    const GxNoticeParam notice = queue->front();
    panel->Resume();
    panel->SetText(notice.m_Text.c_str());
    if (!notice.m_IconName.empty()) {
        panel->m_Icon = FindUINamedValue(notice.m_IconName);
        panel->m_IconPlacement = notice.m_IconAlign;
    } else {
        panel->m_Icon = nullptr;
        panel->m_IconPlacement = 0;
    }
    panel->m_NoticeID = notice.m_NoticeID;
    panel->SetTextColor(notice.m_TextColor);
    GxTaskUINoticePanelFx::QueueShowActions(notice.m_ShowTime, panel);
    GetScreenSound().PlaySystemSound(notice.m_UISoundID, -1);
    queue->pop_front();
}

// ---- per frame ---------------------------------------------------------------------------------

void SeqSystem::UpdateRestraint()
{
    GxScreenSoundBase& sound = GetScreenSound();
    const std::int32_t level = GetBGMRestraintLevel();
    if (sound.IsVoicePlaying())
        SetBGMRestraintLevel(std::max(level - kRestraintStep, 0));
    else
        SetBGMRestraintLevel(std::min(level + kRestraintStep, 100));
    sound.ApplyMusicVolumes();
    // Keeps the script's random numbers in step with the frame count.
    GxRandomBelow(1);
}

void SeqSystem::UpdateLoadingIcon()
{
    if (m_LoadingIcon == nullptr)
        return;
    GxCore* core = Core();
    const bool pending = core != nullptr && core->m_SharedAssets != nullptr &&
                         core->m_SharedAssets->GetJobManage().HasPendingJobs();
    if (pending && !m_LoadingIcon->IsActive())
        m_LoadingIcon->Resume();
    else
        m_LoadingIcon->Suspend();
}

int SeqSystem::Update(std::int32_t step, std::uint64_t)
{
    if (step == 0)
        UpdateRestraint();
    UpdateNotices();
    UpdateLoadingIcon();
    ProcessUIEvents(nullptr);
    ++m_UpdateCount;
    return 0;
}

int SeqSystem::Render(std::int32_t, std::uint64_t)
{
    GxCore* core = Core();
    if (GxTaskRenderManage* list = core != nullptr ? core->GetRenderList(9) : nullptr)
        list->Add(kRenderModeDefault, this, 0.0f, -1);
    // The line's text follows the console, the log, the counters and the script's position,
    // none of which moves the scene generation; a line turned off leaves an empty signature, so
    // both turning it off and turning it on again are composed.
    std::u16string signature = ShouldDrawDebugStatusLine() ? StatusLineSignature() : std::u16string();
    if (signature != m_StatusLineSignature) {
        m_StatusLineSignature = std::move(signature);
        GxSceneGeneration::Touch();
    }
    return 0;
}

std::u16string SeqSystem::StatusLineSignature() const
{
    const GxDebugStatistics& s = m_Statistics;
    std::u16string text = FormatWide(u"%d/%u/%d %d %d %d %d %s %d %d %d %d", LogGetErrorCount(),
                                     GetDebugStatusDrawCalls().GetTotalVideoMemory(), s.m_Clk, s.m_Time, s.m_Mov,
                                     s.m_AA, s.m_ASNumber, s.m_ASName.c_str(), s.m_BGM, s.m_BGV, s.m_SE, s.m_VO);
    if (GxMoaWorker* worker = GetMainWorker(); worker != nullptr && worker->IsRunning()) {
        GxMoaEx* instance = GetScriptInstance();
        const GxMoaExecStackElement* top = worker->GetTopExecStackElement();
        text += FormatWide(u"/%u %s %d %d %d", static_cast<unsigned>(worker->GetExecStack().size()),
                           worker->GetScriptName(nullptr).c_str(), worker->GetLastLine(nullptr),
                           top != nullptr ? top->m_BlockType : -1, instance != nullptr && instance->IsErrorStop() ? 1 : 0);
    }
    for (const std::u16string& line : GetDebugConsoleOutput().GetLines())
        text += u"\n" + line;
    return text;
}

int SeqSystem::Draw(std::int32_t, std::int32_t)
{
    if (!ShouldDrawDebugStatusLine())
        return 0;
    GxGraphics::ResetRenderStates();
    BeginSceneNested();
    DrawDebugStatusLine(GetDebugConsoleOutput(), 0.0f, 0.0f,
                        GxDebugStatusSource{&m_DebugFont, &m_Statistics, GetMainWorker()});
    EndSceneNested();
    return 0;
}

bool SeqSystem::ShouldDrawDebugStatusLine() const
{
    GxCore* core = Core();
    static const GxCoreConfig kDefaults;
    const GxCoreConfig& config = core != nullptr ? core->GetConfig() : kDefaults;
    if (config.m_DebugConsoleFlag)
        return true;
    if (LogGetErrorCount() == 0)
        return false;
    GxMoaEx* instance = GetScriptInstance();
    const bool stoppedOnError = instance != nullptr && instance->IsErrorStop();
    return !config.m_SkipSlightError || stoppedOnError;
}

// ---- keys --------------------------------------------------------------------------------------

void SeqSystem::ToggleScreenMode()
{
    GxCore* core = Core();
    const bool fullScreen = GxGraphics::GetDisplaySettings().CurrentScreenMode >= SCRMODE_FULLSCREEN;
    const std::int32_t from = fullScreen ? kFullScreenRow : kWindowedRow;
    const std::int32_t to = fullScreen ? kWindowedRow : kFullScreenRow;
    if (!GxGraphics::ChangeScreenMode(to))
        return;
    if (core != nullptr && core->m_UserConfig != nullptr)
        core->m_UserConfig->m_ScreenMode = fullScreen ? 0 : 1;
    if (m_Manage != nullptr)
        m_Manage->OnWindowEvent(from, to);
}

void SeqSystem::OpenScriptInEditor()
{
    GxMoaWorker* worker = GetMainWorker();
    GxCore* core = Core();
    if (worker == nullptr || core == nullptr || core->m_SystemConfig == nullptr)
        return;
    const std::u16string script = worker->GetScriptName(nullptr);
    if (script.empty())
        return;
    const std::u16string folder = core->m_SystemConfig->m_Folders[GxSystemConfig::kFolderScripts];
    const std::u16string path = GetFullPath(folder + script);
    GxMoaEx* instance = GetScriptInstance();
    const std::int32_t line =
        std::max(worker->GetLine(nullptr), 1) + (instance != nullptr && instance->IsErrorStop() ? 1 : 0);
    const std::u16string& command = core->m_SystemConfig->m_TextEditorCommand;
    if (command.empty())
        OpenInTextEditor(path, line);
    else
        LaunchEditorProcess(BuildEditorCommandLine(command, path, line));
}

void SeqSystem::WriteDump(const char16_t* fileName, bool instance)
{
    GxCore* core = Core();
    if (core == nullptr)
        return;
    const std::u16string path = core->GetSaveDir() + fileName;
    std::FILE* file = _wfopen(path.c_str(), u"wt, ccs=UTF-16LE");
    if (file == nullptr)
        return;
    fputws((FormatCurrentDateTime() + u"\n").c_str(), file);
    if (instance) {
        if (GxMoaEx* moa = GetScriptInstance())
            moa->Dump(file, 0);
    } else if (GxMoaWorker* worker = GetMainWorker()) {
        worker->Dump(file, 0);
    }
    fclose_w(file);
    if (instance)
        LogPrintDebug(u"%sに永続&広域変数をダンプしました\n", path.c_str());
    else
        LogPrintDebug(u"%sに通常変数をダンプしました\n", path.c_str());
}

void SeqSystem::DumpWorkerVariables()
{
    WriteDump(u"vardump.txt", false);
}

void SeqSystem::DumpInstanceVariables()
{
    WriteDump(u"vardump_extern.txt", true);
}

int SeqSystem::OnKeyDown(WPARAM key, LPARAM)
{
    GxCore* core = Core();
    GxUIManage* ui = core != nullptr ? core->m_UIManage : nullptr;
    if (key == VK_ESCAPE) {
        if (ui != nullptr && ui->m_PlayFlag2)
            return 0;
        if (!IsShutdownDialogActive()) {
            if (m_ShutdownDialog != nullptr) {
                GetScreenSound().PlaySystemVoice(kShutdownVoice);
                ShowShutdownDialog();
            }
        } else {
            CloseShutdownDialog(true);
        }
        return 1;
    }
    if (key == kKeyF4) {
        ToggleScreenMode();
        return 0;
    }
    if (core == nullptr || !core->GetConfig().m_DebugModeFlag)
        return 0;
    switch (key) {
    case kKeyF1: DumpWorkerVariables(); break;
    case kKeyF2: DumpInstanceVariables(); break;
    case kKeyF3:
        GetTextureFactory().Dump();
        GetTextureFlexFactory().Dump();
        break;
    case kKeyF5: core->m_FrameTimer.SetFramesPerSecond(60); break;
    case kKeyF6: core->m_FrameTimer.SetFramesPerSecond(30); break;
    case kKeyF7: core->m_FrameTimer.SetFramesPerSecond(10); break;
    case kKeyF8:
        if (core->m_SystemConfig != nullptr) {
            core->m_SystemConfig->m_DebugConsoleFlag = !core->m_SystemConfig->m_DebugConsoleFlag;
            core->RefreshConfig();
        }
        break;
    case kKeyF11: OpenScriptInEditor(); break;
    default: break;
    }
    return 0;
}

// ---- the input tests of the screen in slot 0 ---------------------------------------------------

bool SeqSystem::IsWidgetInputAllowed(GxTaskUIBase* widget, std::uint8_t ignore)
{
    GxSeqBase* sequence = SlotZero();
    return sequence == nullptr || sequence->IsWidgetInputAllowed(widget, ignore);
}

bool SeqSystem::IsWidgetActive(GxTaskUIBase* widget)
{
    GxSeqBase* sequence = SlotZero();
    return sequence == nullptr || sequence->IsWidgetActive(widget);
}

bool SeqSystem::IsScriptRunnable()
{
    GxSeqBase* sequence = SlotZero();
    return sequence == nullptr || sequence->IsScriptRunnable();
}

bool SeqSystem::IsUIHoldClear1()
{
    GxSeqBase* sequence = SlotZero();
    return sequence == nullptr || sequence->IsUIHoldClear1();
}

bool SeqSystem::IsUIHoldClear2()
{
    GxSeqBase* sequence = SlotZero();
    return sequence == nullptr || sequence->IsUIHoldClear2();
}

bool SeqSystem::IsUIHoldClear3()
{
    GxSeqBase* sequence = SlotZero();
    return sequence == nullptr || sequence->IsUIHoldClear3();
}
