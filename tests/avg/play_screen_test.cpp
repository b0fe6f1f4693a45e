// [Play screen] The built tree, table-driven over every task name; the character layers and a
// duplicate name; the windows and buttons from their rows; a missing module row. Entering and
// leaving. The update driven with several logic passes per frame: the skip and auto steps, the
// background-transition timer, each hold's release, the wait icon, the end of a replay, and the
// script gate's eleven conditions, each alone closing it.
#include "play_screen_fixture.h"

#include "app/game_worker_host.h"
#include "avg/task_proxy_main.h"
#include "core/layer_content.h"
#include "graphics/texture.h"
#include "data/user_data.h"
#include "script/moa_ex.h"
#include "script/script_engine.h"
#include "script/worker.h"
#include "tests/support/moa_assembler.h"

#include <algorithm>
#include <functional>

using namespace play_screen_test;

namespace {

bool HasLine(const TestErrorLogCapture& log, const std::string& line)
{
    return std::find(log.Lines().begin(), log.Lines().end(), line) != log.Lines().end();
}

TEST_F(PlayScreenTest, TheTreeHoldsEveryNamedTaskWithItsKindParentOrderAndBlend)
{
    CountingPlayScreen* screen = Build();
    enum Kind { kFolder, kLayer, kProxy };
    const struct {
        const char16_t* name;
        Kind kind;
        const char16_t* parent;
        float orderZ;       // layers only
        bool visible;       // layers only
        std::int32_t blend;
    } rows[] = {
        {u"$ROOT:SeqAvgMain", kFolder, u"SeqAvgMain", 0, true, 0},
        {u"$VISUAL:SeqAvgMain", kLayer, u"$ROOT:SeqAvgMain", 1000.0f, true, 2},
        {u"$BGLAYER:SeqAvgMain", kLayer, u"$VISUAL:SeqAvgMain", -100.0f, true, 2},
        {u"$BGWLAYER:SeqAvgMain", kLayer, u"$BGLAYER:SeqAvgMain", -10.0f, false, 2},
        {u"$MOVIELAYER:SeqAvgMain", kLayer, u"$VISUAL:SeqAvgMain", -20.0f, true, 2},
        {u"$GLOBALFLASH:SeqAvgMain", kLayer, u"$VISUAL:SeqAvgMain", 10000.0f, true, 3},
        {u"$GLOBALFADE:SeqAvgMain", kLayer, u"$VISUAL:SeqAvgMain", 10001.0f, true, 2},
        {u"$STAND:SeqAvgMain", kFolder, u"$VISUAL:SeqAvgMain", 0, true, 0},
        {u"$UI:SeqAvgMain", kFolder, u"$ROOT:SeqAvgMain", 0, true, 0},
        {u"$SELECT:SeqAvgMain", kFolder, u"$UI:SeqAvgMain", 0, true, 0},
        {u"$BGTRANSIT:SeqAvgMain", kLayer, u"$ROOT:SeqAvgMain", 20000.0f, false, 2},
        {u"$PROXY:SeqAvgMain", kProxy, u"$ROOT:SeqAvgMain", 0, true, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(WideToUtf8(row.name));
        GxTaskBase* task = Find(row.name);
        ASSERT_NE(task, nullptr);
        ASSERT_NE(task->GetParent(), nullptr);
        EXPECT_EQ(task->GetParent()->GetTaskName(), row.parent);
        switch (row.kind) {
        case kFolder:
            EXPECT_NE(dynamic_cast<GxTaskFolder*>(task), nullptr);
            EXPECT_EQ(dynamic_cast<GxTaskActor*>(task), nullptr);
            break;
        case kProxy:
            EXPECT_NE(dynamic_cast<AvgTaskProxyMain*>(task), nullptr);
            break;
        case kLayer: {
            auto* layer = dynamic_cast<GxTaskLayer*>(task);
            ASSERT_NE(layer, nullptr);
            EXPECT_EQ(layer->GetOrderZ(), row.orderZ);
            EXPECT_EQ(layer->IsVisible(), row.visible);
            EXPECT_EQ(layer->GetBlendMode(), row.blend);
            break;
        }
        }
    }
    EXPECT_EQ(screen->GetProxy(), Find(u"$PROXY:SeqAvgMain"));
    EXPECT_EQ(Layer(u"$MOVIELAYER:SeqAvgMain")->GetMovieAutoDisappearTime(), 800);
    // Flash and fade: opaque colours, transparent layers.
    const struct {
        const char16_t* name;
        float rgb;
    } overlays[] = {{u"$GLOBALFLASH:SeqAvgMain", 1.0f}, {u"$GLOBALFADE:SeqAvgMain", 0.0f}};
    for (const auto& overlay : overlays) {
        GxTaskLayer* layer = Layer(overlay.name);
        const GxLayerContent& content = layer->GetCurrentContent();
        EXPECT_EQ(layer->GetAlpha(), 0);
        EXPECT_EQ(content.m_ContentType, kLayerContentSolidColor) << WideToUtf8(overlay.name);
        EXPECT_EQ(content.m_SolidColor.r, overlay.rgb);
        EXPECT_EQ(content.m_SolidColor.b, overlay.rgb);
        EXPECT_EQ(content.m_SolidColor.a, 1.0f);
        EXPECT_FALSE(layer->IsInTransit());
    }
    const GxLayerContent& blank = Layer(u"$BGTRANSIT:SeqAvgMain")->GetCurrentContent();
    ASSERT_NE(blank.GetTexture(), nullptr);
    EXPECT_EQ(blank.GetTexture()->GetImageWidth(), 1024u);
    EXPECT_EQ(blank.GetTexture()->GetImageHeight(), 768u);
    // The screen takes its widgets' events through its queue.
    EXPECT_TRUE(screen->GetAcceptUIEventFlag());
}

TEST_F(PlayScreenTest, EachCharacterGetsOneStandLayerAndADuplicateNameIsLoggedOnce)
{
    Build(PlayScreenModules(), PlayScreenLayouts(), {u"hero", u"*", u"", u"heroine", u"hero"});
    auto* stand = dynamic_cast<GxTaskFolder*>(Find(u"$STAND:SeqAvgMain"));
    ASSERT_NE(stand, nullptr);
    EXPECT_EQ(stand->m_ChildCount, 2);
    EXPECT_EQ(stand->FindTaskLocal(u"*", 0), nullptr);
    for (const char16_t* name : {u"hero", u"heroine"}) {
        auto* layer = dynamic_cast<GxTaskLayer*>(stand->FindTaskLocal(name, 0));
        ASSERT_NE(layer, nullptr);
        EXPECT_EQ(layer->GetOrderZ(), 5000.0f);
        EXPECT_EQ(layer->GetBlendMode(), 2);
        for (int content = 0; content < 2; ++content) {
            ASSERT_EQ(layer->GetContent(content).GetSubLayerCount(), 1);
            EXPECT_FALSE(layer->GetContent(content).GetSubLayer(0)->m_Visible);
        }
    }
    // The first row keeps its layer (it was made first, so it is the first child).
    EXPECT_EQ(stand->m_FirstChild, stand->FindTaskLocal(u"hero", 0));
    EXPECT_EQ(std::count(m_Log.Lines().begin(), m_Log.Lines().end(),
                         "立ち絵レイヤー名 [hero] は既に使用されているため作成できません\n"),
              1);
}

TEST_F(PlayScreenTest, TheWindowsAndChoiceButtonsComeFromTheirRows)
{
    m_Harness.Config().m_User.m_TextWindowOpacity = 180;
    m_Harness.Config().m_System.m_MesWinLetterMarginWidth = 7;
    CountingPlayScreen* screen = Build();
    GxTaskUIMessageWindowFx* window = screen->GetMessageWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window, Find(u"$MESWIN:SeqAvgMain"));
    EXPECT_EQ(window->GetParent(), Find(u"$UI:SeqAvgMain"));
    EXPECT_EQ(window->GetImageAlpha(), 180);
    EXPECT_FALSE(window->GetEventBlockFlag());
    EXPECT_EQ(window->GetLetterMarginWidth(), 7);
    for (const char16_t* child : {u"icon_wait", u"btn_save", u"btn_rend", u"btn_auto"})
        EXPECT_NE(screen->GetWindowButton(child), nullptr) << WideToUtf8(child);

    GxTaskUIBase* name = screen->GetNameWindow();
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name, Find(u"$NAMEWIN:SeqAvgMain"));
    EXPECT_FALSE(name->IsVisible());
    EXPECT_EQ(name->GetImageAlpha(), 180);
    EXPECT_FALSE(name->GetEventBlockFlag());
    GxTaskLayer* image = Layer(u"$NAMEIMAGE:SeqAvgMain");
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetParent(), name);
    EXPECT_EQ(image->GetOrderZ(), 15002.0f);
    EXPECT_FALSE(image->IsVisible());

    auto* select = dynamic_cast<GxTaskFolder*>(Find(u"$SELECT:SeqAvgMain"));
    EXPECT_EQ(select->m_ChildCount, 10);
    for (std::int32_t i = 1; i <= 10; ++i) {
        GxTaskUIBase* button = screen->GetChoiceButton(i);
        ASSERT_NE(button, nullptr) << i;
        EXPECT_EQ(button->GetOrderZ(), 16000.0f);
        EXPECT_FALSE(button->IsVisible());
    }
    EXPECT_FALSE(HasLine(m_Log, "UIモジュールデータ[btn_select0]が見つかりません:SeqAvgMain\n"));
}

TEST_F(PlayScreenTest, MissingRowsAreLoggedAndTheScreenStillBuildsAndRuns)
{
    // No message window, name window or choice module: every use of them copes.
    CountingPlayScreen* screen = Build({{4, 1, u"null_mod", u"", u"", 10, 10}}, {});
    EXPECT_TRUE(HasLine(m_Log, "UIモジュールデータ[btn_select0]が見つかりません:SeqAvgMain\n"));
    EXPECT_EQ(screen->GetMessageWindow(), nullptr);
    EXPECT_EQ(screen->GetNameWindow(), nullptr);
    ASSERT_NE(screen->GetNameImage(), nullptr);
    EXPECT_EQ(screen->GetChoiceButton(1), nullptr);
    Enter();
    EXPECT_TRUE(screen->IsScriptRunnable());
    screen->SetMessageText(u"dropped", false, false, 0);
    screen->SetSpeakerName(u"hero", 1);
    Data().m_SelectMenuItemList[1] = {u"one", u"L1", true, true};
    screen->ShowSelectMenu();
    EXPECT_TRUE(Data().m_IsSelecting);
    screen->JumpToSelectedLabel(1);
    screen->ResetPlayScreen();
    EXPECT_TRUE(HasLine(m_Log, "UIレイアウトデータ[$MESWIN:SeqAvgMain]が見つかりません:SeqAvgMain\n"));
    m_Harness.Step(16667, 3);
    EXPECT_TRUE(screen->IsScriptRunnable());
}

TEST_F(PlayScreenTest, EnteringArrangesTheButtonsForAReplayAndLeavingTidiesUp)
{
    CountingPlayScreen* screen = Build();
    for (const bool replay : {false, true}) {
        SCOPED_TRACE(replay);
        Data().m_IsReplayMode = replay;
        Data().SetRestoreSequence(u"SeqTitle");
        screen->StartBgTransition(u"", 500, false, u"");
        screen->OnSequenceEnter(0);
        EXPECT_FALSE(screen->IsBgTransitActive());
        EXPECT_EQ(Data().m_RestoreSequence, u"SeqAvgMain");
        for (const char16_t* name : {u"btn_save", u"btn_load", u"btn_qsave", u"btn_qload"})
            EXPECT_EQ(screen->GetWindowButton(name)->IsVisible(), !replay) << WideToUtf8(name);
        EXPECT_EQ(screen->GetWindowButton(u"btn_rend")->IsVisible(), replay);
    }

    Data().m_IsReplayMode = false;
    Enter();
    screen->StartBgTransition(u"", 500, false, u"");
    GxTaskUIBase* button = screen->GetChoiceButton(2);
    button->AddWaitAction(0, 300);
    UI().m_PlayFlag2 = true;
    screen->OnSequenceLeave(0);
    EXPECT_FALSE(screen->IsBgTransitActive());
    EXPECT_FALSE(Layer(u"$BGTRANSIT:SeqAvgMain")->IsVisible());
    EXPECT_TRUE(button->IsActionListEmpty());
    EXPECT_FALSE(UI().m_PlayFlag2);
}

// ---- update --------------------------------------------------------------------------------

TEST_F(PlayScreenTest, SkipRunsOnceAFrameInItsFirstPassAndAutoGetsTheElapsedMilliseconds)
{
    CountingPlayScreen* screen = Build();
    Enter();
    screen->m_Skips = 0;
    const struct {
        const char* what;
        bool active, control, skipMode;
        int skips;
    } cases[] = {
        {"nothing", true, false, false, 0},
        {"control down", true, true, false, 1},
        {"control down, window inactive", false, true, false, 0},
        {"skip mode", false, false, true, 1},
        {"skip mode and control", true, true, true, 1},
    };
    for (const auto& c : cases) {
        m_Harness.Core().m_Active = c.active;
        platform::SetVirtualKeyDown(VK_CONTROL, c.control);
        UI().m_SkipMode = c.skipMode;
        screen->m_Skips = 0;
        for (std::int32_t pass = 0; pass < 3; ++pass)
            screen->Update(pass, pass == 0 ? 16667 : 0);
        EXPECT_EQ(screen->m_Skips, c.skips) << c.what;
    }
    UI().m_SkipMode = false;
    platform::SetVirtualKeyDown(VK_CONTROL, false);

    UI().m_AutoMode = true;
    screen->Update(0, 16999);
    screen->Update(1, 0);
    UI().m_AutoMode = false;
    screen->Update(0, 16999);
    EXPECT_EQ(screen->m_AutoSteps, (std::vector<std::int32_t>{16, 0}));
}

TEST_F(PlayScreenTest, TheBackgroundTransitionRunsOutInFirstPassesOnly)
{
    CountingPlayScreen* screen = Build();
    Enter();
    ASSERT_TRUE(screen->StartBgTransition(u"", 100, false, u""));
    EXPECT_TRUE(Layer(u"$BGTRANSIT:SeqAvgMain")->IsVisible());
    screen->Update(0, 60000);
    screen->Update(1, 0);
    screen->Update(2, 0);
    EXPECT_EQ(screen->GetBgTransit().m_TransitTimeLeft, 40);
    EXPECT_TRUE(screen->IsBgTransitActive());
    screen->Update(0, 40000);
    EXPECT_FALSE(screen->IsBgTransitActive());
    EXPECT_EQ(screen->GetBgTransit().m_TransitTimeLeft, 0);
    EXPECT_FALSE(Layer(u"$BGTRANSIT:SeqAvgMain")->IsVisible());
    EXPECT_FALSE(screen->EndBgTransition());

    // The standing characters of the old scene stay unless the flag says otherwise; the new
    // background is there at once.
    auto* hero = dynamic_cast<GxTaskLayer*>(
        dynamic_cast<GxTaskFolder*>(Find(u"$STAND:SeqAvgMain"))->FindTaskLocal(u"hero", 0));
    hero->LoadSolidColor(0xFF102030u, 0);
    screen->StartBgTransition(u"", 100, false, u"cg/bg/missing.png");
    EXPECT_EQ(hero->GetCurrentContent().m_ContentType, kLayerContentSolidColor);
    EXPECT_NE(Layer(u"$BGLAYER:SeqAvgMain")->GetCurrentContent().m_ContentType, kLayerContentNone);
    EXPECT_FALSE(Layer(u"$BGLAYER:SeqAvgMain")->IsInTransit());
    screen->StartBgTransition(u"", 100, true, u"");
    EXPECT_EQ(hero->GetCurrentContent().m_ContentType, kLayerContentNone);
}

TEST_F(PlayScreenTest, EachHoldIsReleasedWhenItsConditionEnds)
{
    CountingPlayScreen* screen = Build();
    GxUserData& data = Data();
    GxTaskLayer* hero = dynamic_cast<GxTaskLayer*>(
        dynamic_cast<GxTaskFolder*>(Find(u"$STAND:SeqAvgMain"))->FindTaskLocal(u"hero", 0));
    ASSERT_NE(hero, nullptr);

    // The timed wait: only the first pass's elapsed time counts.
    data.m_Hold_WaitTime = 15;
    data.m_Hold_WaitTime_TimeLeft = 50;
    screen->UpdateHolds(30999);
    EXPECT_EQ(data.m_Hold_WaitTime_TimeLeft, 20);
    screen->UpdateHolds(0);
    EXPECT_EQ(data.m_Hold_WaitTime, 15);
    screen->UpdateHolds(20000);
    EXPECT_EQ(data.m_Hold_WaitTime, 0);
    EXPECT_EQ(data.m_Hold_WaitTime_TimeLeft, 0);

    // No movie plays on the movie layer.
    data.m_Hold_EndOfMovie = 15;
    screen->UpdateHolds(0);
    EXPECT_EQ(data.m_Hold_EndOfMovie, 0);

    // The visual tree: an action or a content transition under it keeps the hold.
    data.m_Hold_EndOfLayerActionAll = 15;
    hero->AddWaitAction(1, 100);
    screen->UpdateHolds(0);
    EXPECT_EQ(data.m_Hold_EndOfLayerActionAll, 15);
    hero->ClearActions();
    Layer(u"$BGLAYER:SeqAvgMain")->LoadSolidColor(0xFF112233u, 300);
    screen->UpdateHolds(0);
    EXPECT_EQ(data.m_Hold_EndOfLayerActionAll, 15);
    Layer(u"$BGLAYER:SeqAvgMain")->EndTransit();
    screen->UpdateHolds(0);
    EXPECT_EQ(data.m_Hold_EndOfLayerActionAll, 0);

    // One layer: by task name, by character name, missing, or no name at all.
    const struct {
        const char16_t* name;
        std::function<void()> busy;
        bool stays;
    } layers[] = {
        {u"", [] {}, false},
        {u"$BGLAYER:SeqAvgMain", [&] { Layer(u"$BGLAYER:SeqAvgMain")->AddWaitAction(0, 100); }, true},
        {u"$BGLAYER:SeqAvgMain", [&] { Layer(u"$BGLAYER:SeqAvgMain")->ClearActions(); }, false},
        {u"hero", [&] { hero->LoadSolidColor(0xFF000000u, 200); }, true},
        {u"hero", [&] { hero->EndTransit(); }, false},
        {u"nobody", [] {}, false},
    };
    for (const auto& layer : layers) {
        SCOPED_TRACE(WideToUtf8(layer.name));
        layer.busy();
        data.m_Hold_EndOfLayerActionSeparate = 15;
        data.m_Hold_EndOfLayerActionSeparate_LayerName = layer.name;
        screen->UpdateHolds(0);
        EXPECT_EQ(data.m_Hold_EndOfLayerActionSeparate, layer.stays ? 15 : 0);
        EXPECT_EQ(data.m_Hold_EndOfLayerActionSeparate_LayerName.empty(), !layer.stays);
    }

    // Nothing plays on the sound channels here: the four sound waits end at once.
    data.m_Hold_EndOfBGM = data.m_Hold_EndOfBGV = data.m_Hold_EndOfSE = data.m_Hold_EndOfVoice = 15;
    screen->UpdateHolds(0);
    EXPECT_EQ(data.m_Hold_EndOfBGM + data.m_Hold_EndOfBGV + data.m_Hold_EndOfSE + data.m_Hold_EndOfVoice, 0);
    // A click wait is not the update's to release.
    data.m_Hold_WaitClick = 15;
    screen->UpdateHolds(1000000);
    EXPECT_EQ(data.m_Hold_WaitClick, 15);
}

TEST_F(PlayScreenTest, TheWaitIconFollowsTheClickWaitAndAReplayEndGoesToTheReplayScreen)
{
    CountingPlayScreen* screen = Build();
    Enter();
    GxTaskUIBase* icon = screen->GetWindowButton(u"icon_wait");
    screen->SetMessageText(u"あ", false, false, 0);
    for (int frame = 0; frame < 30 && !screen->GetMessageWindow()->IsClickWaiting(); ++frame)
        m_Harness.Step(16667);
    ASSERT_TRUE(screen->GetMessageWindow()->IsClickWaiting());
    m_Harness.Step(16667);
    EXPECT_TRUE(icon->IsVisible());
    screen->GetMessageWindow()->Advance();
    m_Harness.Step(16667);
    EXPECT_FALSE(icon->IsVisible());

    // The worker is not running (there is no script engine): in a replay the screen leaves.
    Data().m_IsReplayMode = true;
    const std::int32_t frames = screen->m_UpdateCount;
    screen->Update(0, 0);
    EXPECT_TRUE(HasLine(m_Log, "遷移先のシーケンスが見つかりません(SeqRPMode)\n"));
    EXPECT_EQ(screen->m_UpdateCount, frames + 1);
    auto* replayScreen = new GxSeqBase(m_Harness.Root(), u"SeqRPMode");
    screen->Update(0, 0);
    const GxSeqWorker* slot = m_Harness.Manage().GetWorker(0);
    EXPECT_EQ(slot->m_Pending, replayScreen);
    EXPECT_EQ(slot->m_PendingParam[0], 0);
    EXPECT_EQ(slot->m_PendingParam[1], 0);
}

// ---- the script gate -------------------------------------------------------------------------

class PlayScreenScriptTest : public PlayScreenTest {
protected:
    void SetUp() override
    {
        PlayScreenTest::SetUp();
        CreateScriptEngine(&m_Harness.Core());
        m_PreviousHost = SetGameWorkerHost(&m_Host);
    }
    void TearDown() override
    {
        SetGameWorkerHost(m_PreviousHost);
        DestroyScriptEngine();
        PlayScreenTest::TearDown();
    }
    void Load(const std::string& source)
    {
        MoaAssembler assembler;
        assembler.AddScript(u"main", source);
        ASSERT_TRUE(assembler.Build(*GetScriptInstance()));
        GetScriptInstance()->BuildVariables();
        GetMainWorker()->RebuildScriptEntities();
        ASSERT_TRUE(GetMainWorker()->ResetAndJump(u"MAIN", nullptr));
    }
    std::int32_t Line() { return GetMainWorker()->GetLine(nullptr); }

    // The text lines reach the play screen through the process entry's host.
    GxGameWorkerHost m_Host{&m_Harness.Core()};
    GxGameWorkerHostBase* m_PreviousHost = nullptr;
};

TEST_F(PlayScreenScriptTest, EachOfTheElevenConditionsAloneClosesTheGate)
{
    CountingPlayScreen* screen = Build();
    Enter();
    GxUserData& data = Data();
    GxTaskManage& manage = m_Harness.Manage();
    auto* other = new GxSeqBase(m_Harness.Root(), u"SeqOther");
    const struct {
        const char* what;
        std::function<void()> close;
        std::function<void()> open;
    } conditions[] = {
        {"window hidden", [&] { UI().m_PlayFlag2 = true; }, [&] { UI().m_PlayFlag2 = false; }},
        {"a system dialog", [&] { UI().m_DialogCount = 1; }, [&] { UI().m_DialogCount = 0; }},
        {"a choice", [&] { data.m_IsSelecting = true; }, [&] { data.m_IsSelecting = false; }},
        {"a choice button acting", [&] { screen->GetChoiceButton(3)->AddWaitAction(1, 50); },
         [&] { screen->GetChoiceButton(3)->ClearActions(); }},
        {"the fade acting", [&] { Layer(u"$GLOBALFADE:SeqAvgMain")->AddFadeInAction(1, 50); },
         [&] { Layer(u"$GLOBALFADE:SeqAvgMain")->ClearActions(); }},
        {"a change pending on slot 1", [&] { manage.ChangeSequence(other, 1, 0, 0); },
         [&] { manage.ApplySequenceChanges(); }},
        {"the slot not ready", [&] { manage.GetWorker(0)->m_Ready = false; },
         [&] { manage.SetWorkerReady(0); }},
        {"the screen's own transition", [&] { screen->StartTransit(100); }, [&] { screen->StopTransit(); }},
        {"a background transition", [&] { screen->StartBgTransition(u"", 100, false, u""); },
         [&] { screen->EndBgTransition(); }},
        {"text left to reveal", [&] { screen->SetMessageText(u"abc", false, false, 0); },
         [&] { screen->GetMessageWindow()->ClearText(); }},
        {"a hold", [&] { data.m_Hold_EndOfVoice = 1; }, [&] { data.m_Hold_EndOfVoice = 0; }},
    };
    ASSERT_TRUE(screen->IsScriptRunnable());
    for (const auto& condition : conditions) {
        condition.close();
        EXPECT_FALSE(screen->IsScriptRunnable()) << condition.what;
        condition.open();
        EXPECT_TRUE(screen->IsScriptRunnable()) << condition.what;
    }
    // Every hold word counts, and the message window's click wait and pending wait.
    for (std::int32_t GxUserData::*hold :
         {&GxUserData::m_Hold_WaitClick, &GxUserData::m_Hold_WaitTime, &GxUserData::m_Hold_EndOfMovie,
          &GxUserData::m_Hold_EndOfLayerActionAll, &GxUserData::m_Hold_EndOfLayerActionSeparate,
          &GxUserData::m_Hold_EndOfBGM, &GxUserData::m_Hold_EndOfBGV, &GxUserData::m_Hold_EndOfSE}) {
        data.*hold = 2;
        EXPECT_FALSE(screen->IsScriptRunnable());
        data.*hold = 0;
    }
    // A change pending on slot 0 closes it as well.
    ASSERT_TRUE(manage.ChangeSequence(new GxSeqBase(m_Harness.Root(), u"SeqAnother"), 0, 0, 0));
    EXPECT_FALSE(screen->IsScriptRunnable());
}

TEST_F(PlayScreenScriptTest, AHandledWidgetEventKeepsTheScriptStillAndATextLineEndsThePass)
{
    CountingPlayScreen* screen = Build();
    Load("*MAIN\n$a = 1\n一行目\n$b = 2\n二行目\n");
    Enter();
    // One frame runs the script up to the first text line, which ends the pass.
    m_Harness.Step(16667, 3);
    EXPECT_EQ(Line(), 3);
    EXPECT_EQ(screen->GetMessageWindow()->GetText(), u"一行目");
    EXPECT_FALSE(screen->IsScriptRunnable());

    // The page read to its end and clicked away.
    GxTaskUIMessageWindowFx* window = screen->GetMessageWindow();
    for (int click = 0; click < 3 && !screen->IsScriptRunnable(); ++click)
        window->Advance();
    ASSERT_TRUE(screen->IsScriptRunnable());
    // A queued event that its handler reports as handled: no step in that pass.
    GxUIEventParam event{};
    event.m_Sender = screen->GetChoiceButton(1);
    event.m_Code = 1;
    screen->m_UIEventResult = 1;
    screen->m_UIEventQueue.push_back(event);
    screen->Update(1, 0);
    EXPECT_EQ(screen->GetQueuedUIEventCount(), 0u);
    EXPECT_EQ(Line(), 3);
    // One that is not handled lets the script on, to the next text line and no further.
    screen->m_UIEventResult = 0;
    screen->m_UIEventQueue.push_back(event);
    screen->Update(1, 0);
    EXPECT_EQ(Line(), 5);
    EXPECT_EQ(screen->GetMessageWindow()->GetText(), u"二行目");
}

}  // namespace
