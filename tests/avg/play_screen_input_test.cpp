// [Play screen] The player's input on a headless screen through the task manager's entries:
// waits cut short in their order with their side effects, the left click per state, the wheel,
// the right click and the keys, the window's buttons by name, the quick save read back, the skip
// and auto steps, and the widget tests each condition alone turns false.
#include "play_screen_fixture.h"

#include "core/seq_base.h"
#include "data/play_state_services.h"
#include "data/user_config.h"
#include "data/user_data.h"
#include "foundation/wide_string.h"
#include "platform/win32/window.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

using namespace play_screen_test;

namespace {

namespace fs = std::filesystem;

// The stops the screen asks of the sound services.
class StopRecorder : public GxPlayStateServicesBase {
public:
    StopRecorder() { m_Previous = SetPlayStateServices(this); }
    ~StopRecorder() override { SetPlayStateServices(m_Previous); }
    void StopBgm(std::int32_t fade) override { m_Calls.push_back("StopBgm(" + std::to_string(fade) + ")"); }
    void StopBgv(std::int32_t fade) override { m_Calls.push_back("StopBgv(" + std::to_string(fade) + ")"); }
    void StopAllSeChannels() override { m_Calls.push_back("StopAllSeChannels"); }
    void StopAllVoiceChannels() override { m_Calls.push_back("StopAllVoiceChannels"); }
    void StopExtraVoiceChannels() override {}
    bool IsBgmPlaying() override { return false; }
    bool IsBgvPlaying() override { return false; }
    void PlayBgm(const std::u16string&, std::int32_t, std::uint32_t, std::uint32_t, std::int32_t, bool) override {}
    void PlayBgv(const std::u16string&, std::int32_t, std::uint32_t, std::uint32_t, std::int32_t) override {}
    void PlaySeChannel(std::int32_t, const std::u16string&, std::int32_t, std::uint32_t, std::int32_t,
                       std::uint32_t) override
    {
    }
    void StopAllStaticSounds() override {}
    void MovieSlotStopAll() override {}
    void ResetWindows() override {}
    void AvgGlobalFadeOut(std::int32_t) override {}

    std::vector<std::string> m_Calls;

private:
    GxPlayStateServicesBase* m_Previous = nullptr;
};

// The real input of the screen; only whether a voice plays is the test's.
class InputPlayScreen : public SeqAvgMain {
public:
    using SeqAvgMain::SeqAvgMain;
    bool IsVoiceBusy() override { return m_VoiceBusy; }
    using SeqAvgMain::GetWindowButton;
    bool m_VoiceBusy = false;
};

class PlayScreenInputTest : public PlayScreenTest {
protected:
    void SetUp() override
    {
        PlayScreenTest::SetUp();
        std::vector<LayoutRow> layouts = PlayScreenLayouts();
        std::int32_t id = 100;
        for (const char16_t* child : {u"btn_log", u"btn_hide", u"btn_voice", u"btn_config"})
            layouts.push_back({id++, u"$MESWIN:SeqAvgMain", u"null_mod", child, 0});
        ASSERT_TRUE(WriteUITables(m_Harness.Folder(), PlayScreenModules(), layouts));
        ASSERT_TRUE(m_Harness.LoadUITables(m_Harness.Folder()));
        GetDBAvgChar().GetRow(1)->m_CharName = u"hero";
        m_Play = new InputPlayScreen(m_Harness.Root());
        for (const char16_t* name : {u"SeqAvgLog", u"SeqQuickLoad", u"SeqSave", u"SeqConfig"})
            new GxSeqBase(m_Harness.Root(), name);
        ASSERT_TRUE(m_Harness.Manage().ChangeSequence(m_Play, 0, 0, 0));
        m_Harness.Manage().ApplySequenceChanges();
        m_Harness.Step(0);
        ASSERT_TRUE(m_Harness.Manage().IsWorkerReady(0));
        m_Harness.Core().m_SaveFolder = Utf8ToWide(m_Harness.Folder().string()) + u"/";
        Options().m_AutoWaitTime = 3000;
        m_Harness.Config().Refresh();
    }

    GxUserConfig& Options() { return m_Harness.Config().m_User; }
    void Refresh() { m_Harness.Config().Refresh(); }
    GxTaskUIMessageWindowFx& Window() { return *m_Play->GetMessageWindow(); }
    GxTaskUIBase* Button(const char16_t* name) { return m_Play->GetWindowButton(name); }
    // A message shown and revealed up to its click wait at the end.
    void ShowWaitingMessage(bool read)
    {
        m_Play->SetMessageText(u"line", read, false, 0);
        Window().ShowAll(false, true);
        ASSERT_TRUE(Window().IsClickWaiting());
    }
    // A change asked for on slot 0: the target's name and the two words.
    std::string Pending()
    {
        const GxSeqWorker* slot = m_Harness.Manage().GetWorker(0);
        if (!slot->m_ChangePending || slot->m_Pending == nullptr)
            return "";
        return WideToUtf8(slot->m_Pending->GetTaskName()) + " " + std::to_string(slot->m_PendingParam[0]) + " " +
               std::to_string(slot->m_PendingParam[1]);
    }
    int Notify(GxTaskUIBase* sender)
    {
        GxUIEventParam event;
        event.m_Sender = sender;
        event.m_Code = 1;
        return m_Play->OnUIEvent(sender, &event);
    }

    StopRecorder m_Sound;
    InputPlayScreen* m_Play = nullptr;
};

TEST_F(PlayScreenInputTest, ACancelTakesOnlyTheFirstMatchingWaitInItsOrder)
{
    GxUserData& data = Data();
    data.m_Hold_WaitClick = data.m_Hold_WaitTime = data.m_Hold_EndOfMovie = data.m_Hold_EndOfLayerActionAll = 15;
    data.m_Hold_EndOfLayerActionSeparate = data.m_Hold_EndOfBGM = data.m_Hold_EndOfBGV = 15;
    data.m_Hold_EndOfSE = data.m_Hold_EndOfVoice = 15;
    data.m_Hold_WaitTime_TimeLeft = 500;
    data.m_Hold_EndOfLayerActionSeparate_LayerName = u"hero";
    // A hold that only skipping may cut short is passed over by a click.
    data.m_Hold_EndOfMovie = 8;
    const float target[4] = {100.0f, 0.0f, 0.0f, 0.0f};
    auto* hero = dynamic_cast<GxTaskActor*>(
        dynamic_cast<GxTaskFolder*>(Find(u"$STAND:SeqAvgMain"))->FindTaskLocal(u"hero", 0));
    ASSERT_NE(hero, nullptr);

    const struct {
        const char* what;
        std::function<bool()> cancelled;
        std::vector<std::string> sounds;
    } order[] = {
        {"click", [&] { return data.m_Hold_WaitClick == 0; }, {}},
        {"time", [&] { return data.m_Hold_WaitTime == 0 && data.m_Hold_WaitTime_TimeLeft == 0; }, {}},
        {"all actions", [&] { return data.m_Hold_EndOfLayerActionAll == 0; }, {}},
        {"one layer",
         [&] {
             return data.m_Hold_EndOfLayerActionSeparate == 0 && data.m_Hold_EndOfLayerActionSeparate_LayerName.empty() &&
                    hero->IsActionListEmpty();
         },
         {}},
        {"music", [&] { return data.m_Hold_EndOfBGM == 0; }, {"StopBgm(0)"}},
        {"background voice", [&] { return data.m_Hold_EndOfBGV == 0; }, {"StopBgv(0)"}},
        {"effects", [&] { return data.m_Hold_EndOfSE == 0; }, {"StopAllSeChannels"}},
        {"voices", [&] { return data.m_Hold_EndOfVoice == 0; }, {"StopAllVoiceChannels"}},
    };
    for (std::size_t i = 0; i < std::size(order); ++i) {
        SCOPED_TRACE(order[i].what);
        if (i == 2)
            hero->AddAction(target, 1000, 0);   // finished by the "all actions" cancel
        if (i == 3)
            hero->AddAction(target, 1000, 0);   // finished by the layer's own cancel
        m_Sound.m_Calls.clear();
        EXPECT_TRUE(m_Play->CancelHold(2));
        EXPECT_TRUE(order[i].cancelled());
        EXPECT_EQ(m_Sound.m_Calls, order[i].sounds);
        if (i + 1 < std::size(order)) {
            EXPECT_FALSE(order[i + 1].cancelled());
        }
        EXPECT_TRUE(hero->IsActionListEmpty());
    }
    EXPECT_FALSE(m_Play->CancelHold(2));
    EXPECT_EQ(data.m_Hold_EndOfMovie, 8);
    EXPECT_TRUE(m_Play->CancelHold(8));
    EXPECT_EQ(data.m_Hold_EndOfMovie, 0);
}

TEST_F(PlayScreenInputTest, ALeftClickDoesOneThingPerState)
{
    ShowWaitingMessage(false);
    Data().m_VoicePlayParam[1].m_FileName = u"voice/a.wav";
    const struct {
        const char* what;
        std::function<void()> arrange;
        int consumed;
        std::function<bool()> effect;
    } rows[] = {
        {"a wait a click may cut short", [&] { Data().m_Hold_WaitClick = 2; }, 1,
         [&] { return Data().m_Hold_WaitClick == 0 && Window().IsClickWaiting(); }},
        {"a wait only skipping cuts short", [&] { Data().m_Hold_WaitClick = 8; UI().m_PlayFlag2 = true; }, 1,
         [&] { return Data().m_Hold_WaitClick == 8 && !UI().m_PlayFlag2 && Window().IsClickWaiting(); }},
        {"skip mode", [&] { Data().m_Hold_WaitClick = 0; UI().m_SkipMode = UI().m_AutoMode = true; }, 1,
         [&] { return !UI().m_SkipMode && UI().m_AutoMode && Window().IsClickWaiting(); }},
        {"auto mode", [] {}, 1, [&] { return !UI().m_AutoMode && Window().IsClickWaiting(); }},
        {"an open system dialog", [&] { UI().m_DialogCount = 1; }, 0, [&] { return Window().IsClickWaiting(); }},
        {"otherwise", [&] { UI().m_DialogCount = 0; }, 0,
         [&] { return !Window().IsClickWaiting() && Data().m_VoicePlayParam[1].m_FileName.empty(); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        row.arrange();
        m_Sound.m_Calls.clear();
        EXPECT_EQ(m_Harness.LeftDown(10, 10), row.consumed);
        EXPECT_TRUE(row.effect());
    }
    EXPECT_EQ(m_Sound.m_Calls, std::vector<std::string>{"StopAllVoiceChannels"});

    // With the option to keep voices, the page still ends but the voices play on.
    Options().m_VoiceStopTiming = true;
    Refresh();
    ShowWaitingMessage(false);
    m_Sound.m_Calls.clear();
    EXPECT_EQ(m_Harness.LeftDown(10, 10), 0);
    EXPECT_FALSE(Window().IsClickWaiting());
    EXPECT_TRUE(m_Sound.m_Calls.empty());
}

TEST_F(PlayScreenInputTest, WheelAndRightClick)
{
    ShowWaitingMessage(false);
    // Right click: a hidden window is shown without consuming; otherwise "btn_hide" is pressed.
    UI().m_PlayFlag2 = true;
    EXPECT_EQ(m_Play->OnMouseRightDown(nullptr, 0, 0), 0);
    EXPECT_FALSE(UI().m_PlayFlag2);
    EXPECT_EQ(m_Play->OnMouseRightDown(nullptr, 0, 0), 1);
    m_Harness.Step(0);
    EXPECT_TRUE(UI().m_PlayFlag2);

    // Less than a notch does nothing, hidden or not; a notch shows the window.
    EXPECT_EQ(m_Play->OnMouseWheel(nullptr, -119, 0), 0);
    EXPECT_TRUE(UI().m_PlayFlag2);
    EXPECT_EQ(m_Play->OnMouseWheel(nullptr, 240, 0), 1);
    EXPECT_FALSE(UI().m_PlayFlag2);
    EXPECT_EQ(m_Play->OnMouseWheel(nullptr, 60, 0), 0);
    EXPECT_TRUE(Window().IsClickWaiting());
    // Toward the player: a click (the last case, not consumed).
    EXPECT_EQ(m_Play->OnMouseWheel(nullptr, -120, 0), 0);
    EXPECT_FALSE(Window().IsClickWaiting());
    // Away: the back log through its button; an unavailable button takes nothing.
    Button(u"btn_log")->Suspend();
    EXPECT_EQ(m_Play->OnMouseWheel(nullptr, 120, 0), 0);
    Button(u"btn_log")->Resume();
    const GxVector2 point(5.0f, 6.0f);
    EXPECT_EQ(m_Play->OnMouseWheel(&point, 120, 0), 1);
    m_Harness.Step(0);
    EXPECT_EQ(Pending(), "SeqAvgLog 0 0");
    Button(u"btn_hide")->Suspend();
    EXPECT_EQ(m_Play->OnMouseRightDown(nullptr, 0, 0), 0);
}

TEST_F(PlayScreenInputTest, KeysHideShowAndClick)
{
    ShowWaitingMessage(false);
    // F9 only in debug mode: the thumbnail-only layers appear.
    EXPECT_EQ(m_Play->OnKeyDown(120, 0), 0);
    EXPECT_FALSE(Layer(u"$BGWLAYER:SeqAvgMain")->IsVisible());
    m_Harness.Config().m_System.m_DebugModeFlag = true;
    Refresh();
    EXPECT_EQ(m_Play->OnKeyDown(120, 0), 1);
    EXPECT_TRUE(Layer(u"$BGWLAYER:SeqAvgMain")->IsVisible());

    EXPECT_EQ(m_Play->OnKeyDown(32, 0), 1);
    EXPECT_TRUE(UI().m_PlayFlag2);
    for (WPARAM key : {13, 39, 40}) {
        SCOPED_TRACE(key);
        UI().m_PlayFlag2 = true;
        EXPECT_EQ(m_Play->OnKeyDown(key, 0), 1);
        EXPECT_FALSE(UI().m_PlayFlag2);
        EXPECT_TRUE(Window().IsClickWaiting());   // showing the window is all it did
    }
    EXPECT_EQ(m_Play->OnKeyDown(13, 0), 1);
    EXPECT_FALSE(Window().IsClickWaiting());
    EXPECT_EQ(m_Play->OnKeyDown(32, 0), 1);
    EXPECT_EQ(m_Play->OnKeyDown(32, 0), 1);
    EXPECT_FALSE(UI().m_PlayFlag2);
    EXPECT_EQ(m_Play->OnKeyDown('A', 0), 0);
}

TEST_F(PlayScreenInputTest, TheWindowsButtonsByName)
{
    GxTaskUIBase* autoButton = Button(u"btn_auto");
    autoButton->SetValueBool(true);
    UI().m_PlayCounter = 5;
    EXPECT_EQ(Notify(autoButton), 1);
    EXPECT_TRUE(UI().m_AutoMode);
    EXPECT_EQ(UI().m_PlayCounter, 3000);
    autoButton->SetValueBool(false);
    EXPECT_EQ(Notify(autoButton), 1);
    EXPECT_FALSE(UI().m_AutoMode);

    Button(u"btn_skip")->SetValueBool(true);
    EXPECT_EQ(Notify(Button(u"btn_skip")), 1);
    EXPECT_TRUE(UI().m_SkipMode);
    EXPECT_EQ(Notify(Button(u"btn_hide")), 1);
    EXPECT_TRUE(UI().m_PlayFlag2);
    EXPECT_EQ(Notify(Button(u"icon_wait")), 0);
    // No pending voice: nothing to replay, still the button's.
    EXPECT_EQ(Notify(Button(u"btn_voice")), 1);

    // Without a quick save the quick load is not the button's to take.
    EXPECT_EQ(Notify(Button(u"btn_qload")), 0);
    EXPECT_EQ(Pending(), "");
    EXPECT_EQ(Notify(Button(u"btn_qsave")), 1);
    const fs::path quick = m_Harness.Folder() / "gamedata_quick.gd";
    ASSERT_TRUE(fs::exists(quick));
    EXPECT_EQ(Notify(Button(u"btn_qload")), 1);
    EXPECT_EQ(Pending(), "SeqQuickLoad 0 0");

    EXPECT_EQ(Notify(Button(u"btn_config")), 1);
    EXPECT_EQ(Pending(), "SeqConfig 0 0");
    EXPECT_EQ(Notify(Button(u"btn_save")), 1);
    EXPECT_EQ(Pending(), "SeqSave 0 0");
    // A screen that does not exist is logged.
    EXPECT_EQ(Notify(Button(u"btn_rend")), 1);
    EXPECT_NE(std::find(m_Log.Lines().begin(), m_Log.Lines().end(), "遷移先のシーケンスが見つかりません(SeqRPMode)\n"),
              m_Log.Lines().end());
}

TEST_F(PlayScreenInputTest, TheQuickSaveIsTheCompactGameDataAndReadsBack)
{
    Data().m_GameDataTitle = u"quick title";
    Data().m_Hold_WaitClick = 3;
    m_Play->QuickSave();
    const fs::path quick = m_Harness.Folder() / "gamedata_quick.gd";
    std::FILE* file = std::fopen(quick.string().c_str(), "rb");
    ASSERT_NE(file, nullptr);
    char magic[3] = {};
    EXPECT_EQ(std::fread(magic, 1, 3, file), 3u);
    std::fclose(file);
    EXPECT_EQ(std::string(magic, 3), "BGD");
    GxUserData loaded;
    ASSERT_TRUE(LoadGameData(&loaded, Utf8ToWide(quick.string()), false));
    EXPECT_EQ(loaded.m_GameDataTitle, u"quick title");
}

TEST_F(PlayScreenInputTest, SkippingMovesOnePageOrClickWaitPerStepAndNotOverUnreadText)
{
    // Unread text stays while unread skipping is off, and so do the waits.
    m_Play->SetMessageText(u"a longer line", false, false, 0);
    Data().m_Hold_WaitTime = 8;
    m_Play->StepSkip();
    EXPECT_GT(Window().GetRemainingChars(), 0);
    EXPECT_EQ(Data().m_Hold_WaitTime, 8);

    // Allowed unread skipping: the text is first shown whole, then its click wait advanced; the
    // waits skipping may cut short go, all of them in one step.
    Options().m_AllowSkipUnreadText = true;
    Refresh();
    Data().m_VoicePlayParam[0].m_FileName = u"voice/a.wav";
    Data().m_Hold_WaitClick = 8;
    Data().m_Hold_EndOfBGM = 9;
    Data().m_Hold_EndOfSE = 2;
    m_Play->StepSkip();
    EXPECT_EQ(Window().GetRemainingChars(), 0);
    EXPECT_TRUE(Window().IsClickWaiting());
    EXPECT_EQ(Data().m_Hold_WaitClick + Data().m_Hold_WaitTime + Data().m_Hold_EndOfBGM, 0);
    EXPECT_EQ(Data().m_Hold_EndOfSE, 2);
    m_Play->StepSkip();
    EXPECT_FALSE(Window().IsClickWaiting());
    EXPECT_TRUE(Data().m_VoicePlayParam[0].m_FileName.empty());
    // Skipping clears the voice slots but leaves the voices to the next page.
    EXPECT_EQ(m_Sound.m_Calls, std::vector<std::string>{"StopBgm(0)"});

    // A hidden window, or a minimised main window, stops everything.
    m_Play->SetMessageText(u"unread", false, false, 0);
    UI().m_PlayFlag2 = true;
    m_Play->StepSkip();
    EXPECT_GT(Window().GetRemainingChars(), 0);
    UI().m_PlayFlag2 = false;
    HWND mainWindow = m_Harness.Core().m_MainWindow;
    ASSERT_NE(mainWindow, nullptr);
    ShowWindow(mainWindow, SW_MINIMIZE);
    m_Play->StepSkip();
    EXPECT_GT(Window().GetRemainingChars(), 0);
    ShowWindow(mainWindow, SW_RESTORE);
    m_Play->StepSkip();
    EXPECT_EQ(Window().GetRemainingChars(), 0);

    // Actions and transitions end unless a layer wait is set, and the background transition ends.
    const float target[4] = {100.0f, 0.0f, 0.0f, 0.0f};
    auto* hero = dynamic_cast<GxTaskActor*>(
        dynamic_cast<GxTaskFolder*>(Find(u"$STAND:SeqAvgMain"))->FindTaskLocal(u"hero", 0));
    hero->AddAction(target, 1000, 0);
    Data().m_Hold_EndOfLayerActionAll = 2;
    m_Play->StepSkip();
    EXPECT_FALSE(hero->IsActionListEmpty());
    Data().m_Hold_EndOfLayerActionAll = 0;
    ASSERT_TRUE(m_Play->StartBgTransition(u"", 1000, false, u""));
    m_Play->StepSkip();
    EXPECT_TRUE(hero->IsActionListEmpty());
    EXPECT_FALSE(m_Play->IsBgTransitActive());
}

TEST_F(PlayScreenInputTest, AutoModeTurnsThePageWhenTheTimerRunsOutAndCanWaitForTheVoice)
{
    UI().m_PlayCounter = 10;
    m_Play->StepAuto(500);   // no click wait: the timer is held at the option
    EXPECT_EQ(UI().m_PlayCounter, 3000);
    ShowWaitingMessage(true);
    m_Play->StepAuto(2000);
    EXPECT_EQ(UI().m_PlayCounter, 1000);
    EXPECT_TRUE(Window().IsClickWaiting());
    UI().m_PlayFlag2 = true;
    m_Play->StepAuto(2000);
    EXPECT_EQ(UI().m_PlayCounter, 1000);
    UI().m_PlayFlag2 = false;
    m_Play->StepAuto(1000);
    EXPECT_FALSE(Window().IsClickWaiting());
    EXPECT_EQ(UI().m_PlayCounter, 3000);
    EXPECT_EQ(m_Sound.m_Calls, std::vector<std::string>{"StopAllVoiceChannels"});

    // Waiting for the voice: held at 0 while it plays, the page turns in the first pass after.
    Options().m_WaitVoiceEndOnAutoMode = true;
    Refresh();
    ShowWaitingMessage(true);
    m_Play->m_VoiceBusy = true;
    m_Play->StepAuto(5000);
    EXPECT_EQ(UI().m_PlayCounter, 0);
    EXPECT_TRUE(Window().IsClickWaiting());
    m_Play->StepAuto(16);
    EXPECT_EQ(UI().m_PlayCounter, 0);
    m_Play->m_VoiceBusy = false;
    m_Play->StepAuto(16);
    EXPECT_FALSE(Window().IsClickWaiting());
}

TEST_F(PlayScreenInputTest, EachConditionAloneMakesTheWidgetTestsFalse)
{
    GxTaskUIBase* child = Button(u"btn_auto");
    GxTaskUIBase* window = &Window();
    auto holdsClear = [&] { return m_Play->IsUIHoldClear1() && m_Play->IsUIHoldClear2() && m_Play->IsUIHoldClear3(); };
    ASSERT_TRUE(m_Play->IsWidgetActive(child));
    ASSERT_TRUE(holdsClear());

    const struct {
        const char* what;
        std::function<void(bool)> set;
        bool widgets;   // the widget test turns false too
        bool holds;
    } rows[] = {
        {"window hidden", [&](bool on) { UI().m_PlayFlag2 = on; }, true, true},
        {"hidden by command", [&](bool on) { Data().m_HideWindowByCommandFlag = on; }, true, false},
        {"a system dialog", [&](bool on) { UI().m_DialogCount = on ? 1 : 0; }, false, true},
        {"a timed wait", [&](bool on) { Data().m_Hold_WaitTime = on ? 1 : 0; }, false, true},
        {"a base hold", [&](bool on) { UI().m_UIHold[2] = on ? 1 : 0; }, false, true},
        {"a change pending",
         [&](bool on) {
             if (on)
                 m_Harness.Manage().ChangeSequence(Find(u"SeqConfig"), 1, 0, 0);
             else
                 m_Harness.Manage().GetWorker(1)->m_ChangePending = false;
         },
         false, true},
        {"a background transition",
         [&](bool on) {
             if (on)
                 m_Play->StartBgTransition(u"", 1000, false, u"");
             else
                 m_Play->EndBgTransition();
         },
         true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        row.set(true);
        EXPECT_EQ(m_Play->IsWidgetActive(child), !row.widgets);
        EXPECT_EQ(m_Play->IsWidgetActive(window), !row.widgets);
        EXPECT_EQ(holdsClear(), !row.holds);
        row.set(false);
        EXPECT_TRUE(m_Play->IsWidgetActive(child));
        EXPECT_TRUE(holdsClear());
    }
}

}  // namespace
