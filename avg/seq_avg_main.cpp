// SeqAvgMain: construction, the sequence hooks, the update with the script gate and the holds,
// and the draw.
#include "avg/seq_avg_main.h"

#include "avg/game_sound_services.h"
#include "avg/task_proxy_main.h"
#include "avg/task_tree_walks.h"
#include "core/core.h"
#include "core/scene_generation.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "core/transit_graphics.h"
#include "data/data_lookup.h"
#include "data/data_tables.h"
#include "data/db_avgchar.h"
#include "data/db_uilayout.h"
#include "data/db_uimodule.h"
#include "data/play_state_services.h"
#include "data/system_config.h"
#include "data/user_config.h"
#include "data/user_data.h"
#include "foundation/log.h"
#include "graphics/graphics.h"
#include "platform/win32/keyboard.h"
#include "script/script_engine.h"
#include "script/worker.h"
#include "ui/message_window.h"
#include "ui/play_screen_widgets.h"
#include "ui/task_ui_base.h"
#include "ui/ui_manage.h"

namespace {

constexpr std::int32_t kDefaultChoiceButtons = 10;
constexpr std::int32_t kDefaultMovieAutoDisappearTime = 800;
constexpr std::int32_t kBlendNormal = 2;
constexpr std::int32_t kBlendAdd = 3;

}  // namespace

// ---- construction ------------------------------------------------------------------------------

SeqAvgMain::SeqAvgMain(GxTaskBase* owner) : GxSeqTransitBase(owner, kName)
{
    auto* root = new GxTaskFolder(this, u"$ROOT:SeqAvgMain", nullptr, 0);
    BuildVisualTree(root);
    HideStandFirstSubLayers();

    auto* ui = new GxTaskFolder(root, u"$UI:SeqAvgMain", nullptr, 0);
    BuildWindows(ui);
    BuildChoiceButtons(ui);

    auto* transit = new GxTaskLayer(root, u"$BGTRANSIT:SeqAvgMain");
    transit->SetOrderZ(kBgTransitOrderZ);
    const GxDisplaySettings& display = GxGraphics::GetDisplaySettings();
    transit->LoadBlankTexture(static_cast<std::int32_t>(display.VirtualWidth),
                              static_cast<std::int32_t>(display.VirtualHeight), 0);
    transit->Hide();
    m_Proxy = new AvgTaskProxyMain(root);

    m_AcceptUIEventFlag = true;
}

SeqAvgMain::~SeqAvgMain() = default;

void SeqAvgMain::BuildVisualTree(GxTaskBase* root)
{
    auto* visual = new GxTaskLayer(root, u"$VISUAL:SeqAvgMain");

    auto* background = new GxTaskLayer(visual, u"$BGLAYER:SeqAvgMain");
    background->SetOrderZ(kBgOrderZ);
    background->SetBlendMode(kBlendNormal);
    auto* backgroundWindow = new GxTaskLayer(background, u"$BGWLAYER:SeqAvgMain");
    backgroundWindow->SetOrderZ(kBgwOrderZ);
    backgroundWindow->Hide();
    backgroundWindow->SetBlendMode(kBlendNormal);

    auto* movie = new GxTaskLayer(visual, u"$MOVIELAYER:SeqAvgMain");
    movie->SetOrderZ(kMovieOrderZ);
    const GxSystemConfig* config = GetCore() ? GetCore()->m_SystemConfig : nullptr;
    movie->SetMovieAutoDisappearTime(config ? config->m_StandTime : kDefaultMovieAutoDisappearTime);
    movie->SetBlendMode(kBlendNormal);

    auto* flash = new GxTaskLayer(visual, u"$GLOBALFLASH:SeqAvgMain");
    flash->SetOrderZ(kFlashOrderZ);
    flash->LoadSolidColor(0xFFFFFFFFu, 0);
    flash->SetAlpha(0);
    flash->SetBlendMode(kBlendAdd);

    auto* fade = new GxTaskLayer(visual, u"$GLOBALFADE:SeqAvgMain");
    fade->SetOrderZ(kFadeOrderZ);
    fade->LoadSolidColor(0xFF000000u, 0);
    fade->SetAlpha(0);
    fade->SetBlendMode(kBlendNormal);

    auto* stand = new GxTaskFolder(visual, u"$STAND:SeqAvgMain", nullptr, 0);
    DBAvgChar& characters = GetDBAvgChar();
    for (std::int32_t id = 0; id < characters.GetMaxRows(); ++id) {
        const DBAvgCharRow* row = characters.GetRow(id);
        if (row == nullptr || row->m_CharName.empty() || row->m_CharName == u"*")
            continue;
        if (stand->FindTaskLocal(row->m_CharName, 0) != nullptr) {
            LogPrint(u"立ち絵レイヤー名 [%s] は既に使用されているため作成できません\n", row->m_CharName.c_str());
            continue;
        }
        auto* layer = new GxTaskLayer(stand, nullptr, row->m_CharName.c_str(), 0);
        layer->SetOrderZ(kStandOrderZ);
        layer->GetContent(0).SetSubLayerCount(1);
        layer->GetContent(1).SetSubLayerCount(1);
        layer->SetBlendMode(kBlendNormal);
    }
}

GxTaskUIBase* SeqAvgMain::CreateWindowWidget(GxTaskFolder* ui, const char16_t* name)
{
    const DBUILayoutRow* row = FindUILayout(name);
    if (row == nullptr)
        return nullptr;
    // Always by its full name, whatever index the row gives: screens and builtins find it so.
    GxTaskUIBase* widget = CreateWidget(ui, row, name, -1);
    if (widget == nullptr)
        return nullptr;
    GetUIPlayScreenWidgets().SetImageAlpha(widget, GetTextWindowOpacity());
    widget->SetEventBlockFlag(false);
    return widget;
}

void SeqAvgMain::BuildWindows(GxTaskFolder* ui)
{
    GxTaskUIBase* messageWindow = CreateWindowWidget(ui, u"$MESWIN:SeqAvgMain");
    m_MessageWindow = dynamic_cast<GxTaskUIMessageWindowFx*>(messageWindow);
    if (messageWindow != nullptr && m_MessageWindow == nullptr)
        LogPrint(u"SeqAvgMain/$MESWIN:SeqAvgMain is not a message window\n");
    if (m_MessageWindow != nullptr) {
        const GxSystemConfig* config = GetCore() ? GetCore()->m_SystemConfig : nullptr;
        if (config != nullptr)
            GetUIPlayScreenWidgets().SetLetterMarginWidth(m_MessageWindow, config->m_MesWinLetterMarginWidth);
    }
    if (messageWindow != nullptr)
        DBUILayout::CreateWidgets(nullptr, messageWindow->GetTaskName().c_str(), messageWindow, this);

    m_NameWindow = CreateWindowWidget(ui, u"$NAMEWIN:SeqAvgMain");
    if (m_NameWindow != nullptr)
        m_NameWindow->Hide();
    // Without a name window the image still has a place in the tree, so every use stays valid.
    m_NameImage = new GxTaskLayer(m_NameWindow != nullptr ? static_cast<GxTaskBase*>(m_NameWindow) : ui,
                                  u"$NAMEIMAGE:SeqAvgMain");
    m_NameImage->SetOrderZ((m_NameWindow != nullptr ? m_NameWindow->GetOrderZ() : 0.0f) + 1.0f);
    m_NameImage->Hide();
}

void SeqAvgMain::BuildChoiceButtons(GxTaskFolder* ui)
{
    auto* select = new GxTaskFolder(ui, u"$SELECT:SeqAvgMain", nullptr, 0);
    DBUIModule& modules = GetDBUIModule();
    const std::int32_t id = modules.FindIDByNameStr(u"btn_select0", 0);
    const DBUIModuleRow* module = id != 0 ? modules.GetRow(id) : nullptr;
    if (module == nullptr)
        LogPrint(u"UIモジュールデータ[%s]が見つかりません:%s\n", u"btn_select0", kName);
    for (std::int32_t index = 1; index <= GetChoiceButtonCount(); ++index) {
        GxTaskUIBase* button = CreateWidgetFromModule(select, module, u"btn_select", index);
        if (button == nullptr)
            continue;
        button->SetOrderZ(kChoiceOrderZ);
        button->Hide();
    }
}

// ---- look-ups ----------------------------------------------------------------------------------

GxCore* SeqAvgMain::GetCore() const
{
    return m_Manage != nullptr ? m_Manage->GetCore() : nullptr;
}

GxUIManage* SeqAvgMain::GetUI() const
{
    GxCore* core = GetCore();
    return core != nullptr ? core->m_UIManage : nullptr;
}

GxUserData* SeqAvgMain::GetUserData() const
{
    GxCore* core = GetCore();
    return core != nullptr ? core->m_UserData : nullptr;
}

GxTaskBase* SeqAvgMain::FindOwnTask(const char16_t* name) const
{
    return m_Manage != nullptr ? m_Manage->FindTask(name) : nullptr;
}

GxTaskLayer* SeqAvgMain::FindLayer(const char16_t* name) const
{
    return dynamic_cast<GxTaskLayer*>(FindOwnTask(name));
}

GxTaskFolder* SeqAvgMain::GetStandFolder() const
{
    return dynamic_cast<GxTaskFolder*>(FindOwnTask(u"$STAND:SeqAvgMain"));
}

GxTaskUIBase* SeqAvgMain::GetChoiceButton(std::int32_t index) const
{
    auto* select = dynamic_cast<GxTaskFolder*>(FindOwnTask(u"$SELECT:SeqAvgMain"));
    return select != nullptr ? dynamic_cast<GxTaskUIBase*>(select->FindTaskLocal(u"btn_select", index)) : nullptr;
}

GxTaskUIBase* SeqAvgMain::GetWindowButton(const char16_t* name) const
{
    return m_MessageWindow != nullptr ? dynamic_cast<GxTaskUIBase*>(m_MessageWindow->FindTaskLocal(name, 0))
                                      : nullptr;
}

std::int32_t SeqAvgMain::GetTextWindowOpacity() const
{
    const GxCore* core = GetCore();
    return core != nullptr && core->m_UserConfig != nullptr ? core->m_UserConfig->m_TextWindowOpacity : 255;
}

std::int32_t SeqAvgMain::GetChoiceButtonCount() const
{
    const GxCore* core = GetCore();
    return core != nullptr && core->m_SystemConfig != nullptr ? core->m_SystemConfig->m_SelectCount
                                                              : kDefaultChoiceButtons;
}

SeqAvgMain* FindPlayScreen(GxCore* core)
{
    if (core == nullptr || core->m_TaskManage == nullptr)
        return nullptr;
    return dynamic_cast<SeqAvgMain*>(core->m_TaskManage->FindTask(SeqAvgMain::kName));
}

// ---- sequence hooks ----------------------------------------------------------------------------

void SeqAvgMain::SetButtonVisible(const char16_t* name, bool visible)
{
    if (GxTaskUIBase* button = GetWindowButton(name)) {
        if (visible)
            button->Show();
        else
            button->Hide();
    }
}

void SeqAvgMain::OnSequenceEnter(std::int32_t worker)
{
    GxSeqTransitBase::OnSequenceEnter(worker);
    m_BgTransit = GxTransitParam();
    GxUserData* data = GetUserData();
    if (data != nullptr)
        data->SetRestoreSequence(kName);
    const bool replay = data != nullptr && data->m_IsReplayMode;
    for (const char16_t* name : {u"btn_save", u"btn_load", u"btn_qsave", u"btn_qload"})
        SetButtonVisible(name, !replay);
    SetButtonVisible(u"btn_rend", replay);
}

void SeqAvgMain::OnSequenceLeave(std::int32_t worker)
{
    EndBgTransition();
    if (GxTaskBase* select = FindOwnTask(u"$SELECT:SeqAvgMain"))
        FinishTaskTreeActions(select);
    GxSeqTransitBase::OnSequenceLeave(worker);
    if (GxUIManage* ui = GetUI())
        ui->m_PlayFlag2 = false;
}

// ---- update ------------------------------------------------------------------------------------

void SeqAvgMain::TickBgTransit(std::uint64_t elapsed)
{
    if (!m_BgTransit.m_Transit)
        return;
    const std::int64_t left = static_cast<std::int64_t>(m_BgTransit.m_TransitTimeLeft) -
                              static_cast<std::int64_t>(elapsed / 1000);
    if (left > 0) {
        m_BgTransit.m_TransitTimeLeft = static_cast<std::int32_t>(left);
        return;
    }
    EndBgTransition();
}

int SeqAvgMain::Update(std::int32_t step, std::uint64_t elapsed)
{
    GxCore* core = GetCore();
    GxUIManage* ui = GetUI();
    GxUserData* data = GetUserData();

    // Skipping moves at most one page per frame: only the first logic pass may step.
    if (step == 0) {
        const bool control = core != nullptr && core->m_Active && (GetKeyState(VK_CONTROL) & 0x8000) != 0;
        if (control || (ui != nullptr && ui->m_SkipMode))
            StepSkip();
    }
    if (ui != nullptr && ui->m_AutoMode)
        StepAuto(static_cast<std::int32_t>(elapsed / 1000));
    TickBgTransit(elapsed);
    UpdateHolds(elapsed);

    if (GxTaskUIBase* icon = GetWindowButton(u"icon_wait")) {
        if (m_MessageWindow != nullptr && m_MessageWindow->IsClickWaiting())
            icon->Show();
        else
            icon->Hide();
    }

    GxMoaWorker* worker = GetMainWorker();
    if ((worker == nullptr || !worker->IsRunning()) && data != nullptr && data->m_IsReplayMode) {
        GxTaskBase* replayMode = FindOwnTask(u"SeqRPMode");
        if (replayMode != nullptr)
            m_Manage->ChangeSequence(replayMode, m_WorkerIndex, 0, 0);
        else
            LogPrint(u"遷移先のシーケンスが見つかりません(%s)\n", u"SeqRPMode");
        m_UpdateCount = m_UpdateCount + 1;
        return 0;
    }

    // A handled widget event (a button that opens another screen, a choice) keeps the script still
    // for this pass.
    if (ProcessUIEvents(nullptr) == 0)
        StepScript();
    m_UpdateCount = m_UpdateCount + 1;
    return 0;
}

void SeqAvgMain::StepScript()
{
    // Within the script engine's budget per pass, so that a script that never waits cannot hold
    // the window; the gate is asked again before every step.
    if (GxMoaWorker* worker = GetMainWorker())
        worker->StepWithinBudget(GetFunctionBinder(), [this] { return IsScriptRunnable(); });
}

bool SeqAvgMain::IsScriptRunnable()
{
    GxUIManage* ui = GetUI();
    GxUserData* data = GetUserData();
    if (data == nullptr || m_Manage == nullptr)
        return false;
    // Without a UI state (an engine without widgets) nothing of the player's holds the script.
    if (ui != nullptr && (ui->m_PlayFlag2 || ui->m_DialogCount != 0))
        return false;
    if (data->m_IsSelecting)
        return false;
    if (IsTaskTreeActing(FindOwnTask(u"$SELECT:SeqAvgMain")))
        return false;
    if (auto* fade = dynamic_cast<GxTaskActor*>(FindOwnTask(u"$GLOBALFADE:SeqAvgMain")); fade && !fade->IsActionListEmpty())
        return false;
    if (m_Manage->IsChangePending(0) || m_Manage->IsChangePending(1))
        return false;
    if (m_WorkerIndex < 0 || !m_Manage->IsWorkerReady(m_WorkerIndex))
        return false;
    if (IsInTransit() || m_BgTransit.m_Transit)
        return false;
    if (m_MessageWindow != nullptr && (m_MessageWindow->IsClickWaiting() || m_MessageWindow->IsWaitPending() ||
                                       m_MessageWindow->GetRemainingChars() > 0))
        return false;
    return data->m_Hold_WaitClick == 0 && data->m_Hold_WaitTime == 0 && data->m_Hold_EndOfMovie == 0 &&
           data->m_Hold_EndOfLayerActionAll == 0 && data->m_Hold_EndOfLayerActionSeparate == 0 &&
           data->m_Hold_EndOfBGM == 0 && data->m_Hold_EndOfBGV == 0 && data->m_Hold_EndOfSE == 0 &&
           data->m_Hold_EndOfVoice == 0;
}

void SeqAvgMain::UpdateHolds(std::uint64_t elapsed)
{
    GxUserData* data = GetUserData();
    if (data == nullptr)
        return;
    if (data->m_Hold_WaitTime != 0) {
        const std::int64_t left = static_cast<std::int64_t>(data->m_Hold_WaitTime_TimeLeft) -
                                  static_cast<std::int64_t>(elapsed / 1000);
        if (left <= 0) {
            data->m_Hold_WaitTime = 0;
            data->m_Hold_WaitTime_TimeLeft = 0;
        } else {
            data->m_Hold_WaitTime_TimeLeft = static_cast<std::int32_t>(left);
        }
    }
    if (data->m_Hold_EndOfMovie != 0) {
        GxTaskLayer* movie = FindLayer(u"$MOVIELAYER:SeqAvgMain");
        if (movie == nullptr || !movie->IsMoviePlaying())
            data->m_Hold_EndOfMovie = 0;
    }
    if (data->m_Hold_EndOfLayerActionAll != 0) {
        GxTaskBase* visual = FindOwnTask(u"$VISUAL:SeqAvgMain");
        if (!IsTaskTreeActing(visual) && !IsLayerTreeInTransition(visual))
            data->m_Hold_EndOfLayerActionAll = 0;
    }
    if (data->m_Hold_EndOfLayerActionSeparate != 0) {
        const std::u16string& name = data->m_Hold_EndOfLayerActionSeparate_LayerName;
        bool released = name.empty();
        if (!released) {
            GxTaskBase* task = nullptr;
            if (name[0] == u'$') {
                task = m_Manage != nullptr ? m_Manage->FindTaskByName(name) : nullptr;
            } else if (GxTaskFolder* stand = GetStandFolder()) {
                task = stand->FindTaskLocal(name, 0);
            }
            auto* actor = dynamic_cast<GxTaskActor*>(task);
            auto* layer = dynamic_cast<GxTaskLayer*>(task);
            released = task == nullptr || ((actor == nullptr || actor->IsActionListEmpty()) &&
                                           (layer == nullptr || !layer->IsInTransit()));
        }
        if (released) {
            data->m_Hold_EndOfLayerActionSeparate = 0;
            data->m_Hold_EndOfLayerActionSeparate_LayerName.clear();
        }
    }
    if (data->m_Hold_EndOfBGM != 0 && !IsBgmPlaying())
        data->m_Hold_EndOfBGM = 0;
    if (data->m_Hold_EndOfBGV != 0 && !IsBgvPlaying())
        data->m_Hold_EndOfBGV = 0;
    if (data->m_Hold_EndOfSE != 0 && !IsSePlaying())
        data->m_Hold_EndOfSE = 0;
    if (data->m_Hold_EndOfVoice != 0 && !IsVoicePlaying())
        data->m_Hold_EndOfVoice = 0;
}

// ---- drawing -----------------------------------------------------------------------------------

int SeqAvgMain::Render(std::int32_t step, std::uint64_t elapsed)
{
    const int result = GxSeqTransitBase::Render(step, elapsed);
    if (m_BgTransit.m_Transit)
        GxSceneGeneration::Touch();   // the dissolve moves on every frame
    return result;
}

int SeqAvgMain::Draw(std::int32_t value, std::int32_t listIndex)
{
    if (value == kTransitDrawValue)
        return GxSeqTransitBase::Draw(value, listIndex);
    if (value != 0)
        return 0;
    GxSeqBase::Draw(value, listIndex);   // target, depth and stencil to the clear colour
    GxTransitGraphicsBase* graphics = GetTransitGraphics();
    if (graphics != nullptr) {
        graphics->BeginSceneNested();
        graphics->ResetRenderStates();
    }
    if (m_BgTransit.m_Transit) {
        GxTaskLayer* transit = FindLayer(u"$BGTRANSIT:SeqAvgMain");
        if (transit != nullptr)
            ApplyRuleTransition(transit->GetCurrentContent().GetTexture(), m_BgTransit.GetRate());
    }
    if (graphics != nullptr)
        graphics->EndSceneNested();
    return 0;
}
