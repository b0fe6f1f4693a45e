// [Screens] the resident system layer: its widgets from module rows and without them, the user and
// shut-down dialogs with the open-dialog count, the notices' order, the music restraint, the keys,
// the dumps, the status line's rule and the input tests answered by slot 0.
#include "screens/seq_system.h"

#include "core/core.h"
#include "core/scene_generation.h"
#include "core/shared_asset_manage.h"
#include "core/task_manage.h"
#include "core/task_render_manage.h"
#include "data/user_config.h"
#include "data/user_data.h"
#include "foundation/async_job.h"
#include "foundation/log.h"
#include "foundation/random.h"
#include "foundation/wide_string.h"
#include "graphics/graphics.h"
#include "motion/crammed_image_set.h"
#include "platform/win32/keyboard.h"
#include "script/moa_ex.h"
#include "script/script_engine.h"
#include "platform/win32/message.h"
#include "platform/win32/window.h"
#include "tests/screens/screen_test_support.h"
#include "tests/support/core_config_fixture.h"
#include "tests/support/error_log_capture.h"
#include "ui/help_tip.h"
#include "ui/task_ui_base.h"
#include "ui/ui_manage.h"
#include "ui/ui_named_values.h"
#include "ui/ui_notice_panel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <string_view>

namespace screens_test {
namespace {

constexpr WPARAM kF1 = VK_F1;

struct Placed {
    const char16_t* parent;   // null: a child of SeqSystem, found by task name
    const char16_t* name;
    std::int32_t index;
    float x, y, z;
    bool active;
    bool visible;
};

TEST(SystemLayer, BuildsItsWidgetsFromModuleRowsInPlaceAndClosed)
{
    ScreenHarness h;
    ASSERT_TRUE(h.m_UI.Ok());
    h.MakeSystem();
    // 400 x 200 dialogs centred, 120 above the middle; 100 x 40 buttons along their bottom.
    const Placed placed[] = {
        {nullptr, u"dlg_shutdown", 0, 312.0f, 164.0f, 19000.0f, false, true},
        {u"dlg_shutdown", u"btn_dlgshutdown_yes", 0, 84.0f, 120.0f, 19001.0f, true, true},
        {u"dlg_shutdown", u"btn_dlgshutdown_no", 0, 216.0f, 120.0f, 19001.0f, true, true},
        {nullptr, u"dlg_user", 0, 312.0f, 164.0f, 18000.0f, false, true},
        {u"dlg_user", u"btn_dlguser_yes", 0, 84.0f, 120.0f, 18001.0f, true, false},
        {u"dlg_user", u"btn_dlguser_no", 0, 216.0f, 120.0f, 18001.0f, true, false},
        {u"dlg_user", u"btn_dlguser_ok", 0, 84.0f, 120.0f, 18001.0f, true, false},
        {u"dlg_user", u"btn_dlguser_cancel", 0, 216.0f, 120.0f, 18001.0f, true, false},
        {u"dlg_user", u"btn_dlguser_ok", 1, 150.0f, 120.0f, 18001.0f, true, false},
        {nullptr, u"icon_asload", 0, 984.0f, 0.0f, 16000.0f, false, true},
        {nullptr, u"tip_help", 0, 0.0f, 0.0f, 17000.0f, false, true},
        {nullptr, u"tip_sysnotice", 0, 0.0f, 0.0f, 18000.0f, false, false},
        {nullptr, u"tip_usernotice", 0, 0.0f, 0.0f, 18000.0f, false, false},
    };
    for (const Placed& p : placed) {
        GxTaskUIBase* widget = p.parent != nullptr ? h.Child(p.parent, p.name, p.index) : h.Widget(p.name);
        ASSERT_NE(widget, nullptr) << WideToUtf8(p.name);
        const GxVector3 pos = widget->GetPos();
        EXPECT_EQ(pos.x, p.x) << WideToUtf8(p.name);
        EXPECT_EQ(pos.y, p.y) << WideToUtf8(p.name);
        EXPECT_EQ(widget->m_VisualParam.m_OrderZ, p.z) << WideToUtf8(p.name);
        EXPECT_EQ(widget->IsActive(), p.active) << WideToUtf8(p.name);
        EXPECT_EQ(widget->IsVisible(), p.visible) << WideToUtf8(p.name);
    }
    GxTaskUIBase* shutdown = h.Widget(u"dlg_shutdown");
    EXPECT_TRUE(shutdown->GetModalFlag());
    EXPECT_TRUE(shutdown->GetTopMostFlag());
    EXPECT_EQ(shutdown->GetText(), u"ゲームを終了しますか？");
    GxTaskUIBase* user = h.Widget(u"dlg_user");
    EXPECT_TRUE(user->GetModalFlag());
    EXPECT_FALSE(user->GetTopMostFlag());
    EXPECT_EQ(user->GetText(), u"ユーザーダイアログ");
    EXPECT_EQ(h.Widget(u"tip_help")->GetModalPriority(), 65535);
    EXPECT_TRUE(h.Widget(u"tip_help")->GetModalFlag());
    EXPECT_EQ(h.m_UI.UI().m_DialogCount, 0);
}

TEST(SystemLayer, AMissingRowIsLoggedOrSkippedAndNothingReachesTheAbsentWidget)
{
    struct Case {
        const char16_t* module;
        int lines;
    };
    const Case cases[] = {
        {u"dlg_shutdown", 1}, {u"btn_yes", 1},       {u"btn_no", 1},         {u"dlg_user", 1},
        {u"btn_ok", 1},       {u"btn_cancel", 1},    {u"tip_help", 1},       {u"icon_asload", 0},
        {u"tip_sysnotice", 0}, {u"tip_usernotice", 0},
    };
    for (const Case& c : cases) {
        TestErrorLogCapture log;
        ScreenHarness h({c.module});
        ASSERT_TRUE(h.m_UI.Ok());
        SeqSystem* system = h.MakeSystem();
        const std::string line = "UIモジュールデータ[" + WideToUtf8(c.module) + "]が見つかりません:SeqSystem\n";
        const auto& lines = log.Lines();
        EXPECT_EQ(std::count(lines.begin(), lines.end(), line), c.lines) << WideToUtf8(c.module);
        if (c.lines == 0) {
            EXPECT_TRUE(lines.empty()) << lines.front();
        }

        // Every entry point with the widget missing.
        system->PostSystemNotice(u"a", u"", 0, 0xFFFFFFFF);
        system->PostUserNotice(u"b", u"", 0, 0xFFFFFFFF);
        h.m_UI.KeyDown(VK_ESCAPE);
        system->OnWindowClose();
        system->ShowUserDialog(u"Test_ASK", h.m_UI.Screen(), u"?", 3);
        const float pointer[4] = {10.0f, 10.0f, 0.0f, 0.0f};
        ShowHelpTip(&h.m_UI.Manage(), u"help", pointer);
        h.m_UI.Step(100000, 2);
        system->CloseUserDialog(true);
        system->CloseShutdownDialog(true);
        system->ClearUserNotices();
        EXPECT_GE(h.m_UI.UI().m_DialogCount, 0);
    }
}

TEST(SystemLayer, AModuleRowNumberedZeroCountsAsMissing)
{
    TestErrorLogCapture log;
    ScreenHarness h({}, {}, {}, 0);   // "dlg_shutdown" gets row 0
    ASSERT_TRUE(h.m_UI.Ok());
    SeqSystem* system = h.MakeSystem();
    EXPECT_EQ(h.Widget(u"dlg_shutdown"), nullptr);
    EXPECT_NE(h.Widget(u"dlg_user"), nullptr);
    EXPECT_EQ(log.Lines(), std::vector<std::string>{"UIモジュールデータ[dlg_shutdown]が見つかりません:SeqSystem\n"});
    EXPECT_EQ(system->OnWindowClose(), 0);
}

TEST(SystemLayer, WithoutTheDialogsEscapeAndCloseOpenNothingAndTheWindowCloses)
{
    ScreenHarness h({u"dlg_shutdown", u"dlg_user"});
    ASSERT_TRUE(h.m_UI.Ok());
    SeqSystem* system = h.MakeSystem();
    EXPECT_EQ(system->OnWindowClose(), 0);
    system->ShowUserDialog(u"Test_ASK", h.m_UI.Screen(), u"?", 3);
    EXPECT_FALSE(system->IsUserDialogActive());
    EXPECT_FALSE(system->IsShutdownDialogActive());
    EXPECT_EQ(h.m_UI.UI().m_DialogCount, 0);
    EXPECT_TRUE(h.m_Sound.m_Calls.empty());
}

TEST(SystemLayer, UserDialogShowsTheButtonSetAndClosesBackToNoDialog)
{
    struct Case {
        std::int32_t set;
        bool yes, no, okPair, cancel, okAlone;
    };
    const Case cases[] = {
        {2, false, false, true, true, false},
        {3, true, true, false, false, false},
        {1, false, false, false, false, true},
        {0, false, false, false, false, true},
        {7, false, false, false, false, true},
    };
    ScreenHarness h;
    ASSERT_TRUE(h.m_UI.Ok());
    SeqSystem* system = h.MakeSystem();
    UITestScreen* asker = h.m_UI.Screen();
    for (const Case& c : cases) {
        h.m_Sound.m_Calls.clear();
        system->ShowUserDialog(u"SeqTest_QUESTION", asker, u"Really?", c.set);
        GxTaskUIBase* dialog = h.Widget(u"dlg_user");
        EXPECT_TRUE(system->IsUserDialogActive());
        EXPECT_EQ(h.m_UI.UI().m_DialogCount, 1);
        EXPECT_EQ(dialog->GetModalPriority(), 1);
        EXPECT_EQ(dialog->GetText(), u"Really?");
        EXPECT_EQ(system->GetUserDialogTag(), u"SeqTest_QUESTION");
        EXPECT_EQ(system->GetUserDialogOpener(), asker);
        EXPECT_EQ(h.Child(u"dlg_user", u"btn_dlguser_yes")->IsVisible(), c.yes) << c.set;
        EXPECT_EQ(h.Child(u"dlg_user", u"btn_dlguser_no")->IsVisible(), c.no) << c.set;
        EXPECT_EQ(h.Child(u"dlg_user", u"btn_dlguser_ok", 0)->IsVisible(), c.okPair) << c.set;
        EXPECT_EQ(h.Child(u"dlg_user", u"btn_dlguser_cancel")->IsVisible(), c.cancel) << c.set;
        EXPECT_EQ(h.Child(u"dlg_user", u"btn_dlguser_ok", 1)->IsVisible(), c.okAlone) << c.set;
        EXPECT_EQ(h.m_Sound.m_Calls, std::vector<std::string>{"sound 2 -1"});

        system->CloseUserDialog(true);
        EXPECT_FALSE(system->IsUserDialogActive());
        EXPECT_EQ(h.m_UI.UI().m_DialogCount, 0);
        EXPECT_EQ(dialog->GetModalPriority(), 0);
        EXPECT_EQ(system->GetUserDialogOpener(), nullptr);
        EXPECT_EQ(system->GetUserDialogTag(), u"SeqTest_QUESTION");   // kept for the asker's check
        EXPECT_EQ(h.m_Sound.m_Calls.back(), "sound 3 -1");
    }
    // Closing again never takes the count below 0; opening twice raises it once.
    system->CloseUserDialog(false);
    EXPECT_EQ(h.m_UI.UI().m_DialogCount, 0);
    system->ShowUserDialog(u"A", asker, u"", 3);
    system->ShowUserDialog(u"B", asker, u"", 3);
    EXPECT_EQ(h.m_UI.UI().m_DialogCount, 1);
    system->CloseUserDialog(false);
    EXPECT_EQ(h.m_UI.UI().m_DialogCount, 0);
}

TEST(SystemLayer, UserDialogButtonsAnswerTheAskingScreen)
{
    ScreenHarness h;
    ASSERT_TRUE(h.m_UI.Ok());
    SeqSystem* system = h.MakeSystem();
    system->ShowUserDialog(u"SeqTest_QUESTION", h.m_UI.Screen(), u"?", 3);
    h.m_UI.Step(0);
    // The no button at (312 + 216, 164 + 120) on screen, over the asking screen.
    h.m_UI.LeftDown(312 + 216 + 10, 164 + 120 + 10);
    h.m_UI.Step(0);
    const std::vector<UITestEvent> events = h.m_UI.Screen()->EventsOf(1);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].sender, h.Child(u"dlg_user", u"btn_dlguser_no"));
}

TEST(SystemLayer, ThePlayScreensQuestionAskedWithNoScreenRunningIsStillAnsweredAndClosed)
{
    ScreenHarness h;
    ASSERT_TRUE(h.m_UI.Ok());
    SeqSystem* system = h.MakeSystem();
    system->ShowUserDialog(u"SeqAvgMain_USERDIALOG", nullptr, u"?", 3);
    h.Child(u"dlg_user", u"btn_dlguser_yes")->ReportEvent(1);
    h.m_UI.Step(0);
    EXPECT_FALSE(system->IsUserDialogActive());
    EXPECT_EQ(h.m_UI.UI().m_DialogCount, 0);
    EXPECT_TRUE(h.m_UI.Screen()->EventsOf(1).empty());
}

TEST(SystemLayer, EscapeAndTheCloseRequestOpenAndCloseTheShutdownDialog)
{
    ScreenHarness h;
    ASSERT_TRUE(h.m_UI.Ok());
    SeqSystem* system = h.MakeSystem();
    GxUIManage& ui = h.m_UI.UI();
    GxTaskUIBase* dialog = h.Widget(u"dlg_shutdown");

    // Hidden windows take Escape for themselves.
    ui.m_PlayFlag2 = true;
    EXPECT_EQ(h.m_UI.KeyDown(VK_ESCAPE), 0);
    EXPECT_FALSE(system->IsShutdownDialogActive());
    ui.m_PlayFlag2 = false;

    EXPECT_EQ(system->OnKeyDown(VK_ESCAPE, 0), 1);
    EXPECT_TRUE(system->IsShutdownDialogActive());
    EXPECT_EQ(system->GetShutdownDialogTag(), u"SeqSystem_EXITGAME");
    EXPECT_EQ(ui.m_DialogCount, 1);
    EXPECT_EQ(dialog->GetModalPriority(), 1);
    EXPECT_EQ(h.m_Sound.m_Calls, (std::vector<std::string>{"voice 12", "sound 2 -1"}));
    EXPECT_EQ(system->OnKeyDown(VK_ESCAPE, 0), 1);
    EXPECT_FALSE(system->IsShutdownDialogActive());
    EXPECT_EQ(ui.m_DialogCount, 0);
    EXPECT_EQ(h.m_Sound.m_Calls.back(), "sound 3 -1");

    // The close request: held back once, then let through.
    EXPECT_EQ(system->OnWindowClose(), 1);
    EXPECT_TRUE(system->IsShutdownDialogActive());
    EXPECT_EQ(system->OnWindowClose(), 0);

    // "No" closes with the button's sound then the closing sound.
    GxTaskUIBase* no = h.Child(u"dlg_shutdown", u"btn_dlgshutdown_no");
    no->SetSystemSoundID(5);
    h.m_Sound.m_Calls.clear();
    EXPECT_EQ(system->OnUIEvent(no, nullptr), 1);
    EXPECT_EQ(h.m_Sound.m_Calls, (std::vector<std::string>{"sound 0 5", "sound 3 -1"}));
    EXPECT_FALSE(system->IsShutdownDialogActive());

    // Opening clears the player's window hiding; "yes" posts the close to the main window.
    ui.m_PlayFlag2 = true;
    system->ShowShutdownDialog();
    EXPECT_FALSE(ui.m_PlayFlag2);
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    EXPECT_EQ(system->OnUIEvent(h.Child(u"dlg_shutdown", u"btn_dlgshutdown_yes"), nullptr), 1);
    bool closePosted = false;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        closePosted = closePosted || (message.message == WM_CLOSE && message.hwnd == h.m_UI.Core().m_MainWindow);
    EXPECT_TRUE(closePosted);
    // Widgets of other parents are not the layer's.
    EXPECT_EQ(system->OnUIEvent(h.Child(u"dlg_user", u"btn_dlguser_yes"), nullptr), 0);
}

TEST(SystemLayer, NoticesShowOneAtATimeSystemFirstAndUserNoticesWaitForTheHold)
{
    ScreenHarness h;
    ASSERT_TRUE(h.m_UI.Ok());
    SeqSystem* system = h.MakeSystem();
    auto* sysPanel = dynamic_cast<GxTaskUINoticePanelFx*>(h.Widget(u"tip_sysnotice"));
    auto* userPanel = dynamic_cast<GxTaskUINoticePanelFx*>(h.Widget(u"tip_usernotice"));
    ASSERT_NE(sysPanel, nullptr);
    ASSERT_NE(userPanel, nullptr);
    GxNcOriginImage icon{};
    ASSERT_TRUE(AddUINamedValue(u"icon_test_notice", &icon));

    system->PostSystemNotice(u"first", u"icon_test_notice", 2, 0xFF112233);
    system->PostSystemNotice(u"second", u"", 2, 0xFF445566);
    system->PostUserNotice(u"mine", u"", 1, 0xFFFFFFFF);
    const std::deque<GxNoticeParam>& users = h.m_UI.Core().m_UserData->m_NoticeList;
    ASSERT_EQ(users.size(), 1u);
    EXPECT_EQ(users[0].m_ShowTime, 2500);
    EXPECT_EQ(users[0].m_UISoundID, 8);
    EXPECT_EQ(system->GetSystemNotices().front().m_UISoundID, 7);

    h.m_UI.Step(0);
    EXPECT_TRUE(sysPanel->IsVisible());
    EXPECT_EQ(sysPanel->GetText(), u"first");
    EXPECT_EQ(sysPanel->m_Icon, &icon);
    EXPECT_EQ(sysPanel->m_IconPlacement, 2);
    EXPECT_EQ(sysPanel->m_TextColor, 0xFF112233u);
    EXPECT_EQ(std::count(h.m_Sound.m_Calls.begin(), h.m_Sound.m_Calls.end(), "sound 7 -1"), 1);
    EXPECT_EQ(system->GetSystemNotices().size(), 1u);

    // The second waits while the first is on screen: 250 ms in, 2500 held, 250 out.
    h.m_UI.Step(2900000);
    EXPECT_EQ(sysPanel->GetText(), u"first");
    h.m_UI.Step(200000);
    h.m_UI.Step(0);
    EXPECT_TRUE(sysPanel->IsVisible());
    EXPECT_EQ(sysPanel->GetText(), u"second");
    EXPECT_EQ(sysPanel->m_Icon, nullptr);
    EXPECT_EQ(sysPanel->m_IconPlacement, 0);
    EXPECT_FALSE(userPanel->IsVisible());

    // The hold keeps the user notice back; released, it shows.
    system->m_NoticeHold = true;
    h.m_UI.Step(3100000);
    h.m_UI.Step(0);
    h.m_UI.Step(0);
    EXPECT_FALSE(sysPanel->IsVisible());
    EXPECT_FALSE(userPanel->IsVisible());
    EXPECT_EQ(users.size(), 1u);
    system->m_NoticeHold = false;
    h.m_UI.Step(0);
    EXPECT_TRUE(userPanel->IsVisible());
    EXPECT_EQ(userPanel->GetText(), u"mine");
    EXPECT_TRUE(users.empty());
    EXPECT_EQ(h.m_Sound.m_Calls.back(), "sound 8 -1");

    // Clearing ends the visible one at once and empties the queue.
    system->PostUserNotice(u"later", u"", 1, 0xFFFFFFFF);
    system->ClearUserNotices();
    EXPECT_FALSE(userPanel->IsVisible());
    EXPECT_TRUE(users.empty());
    ClearUINamedValues();
}

// A job no loader thread takes: it stays pending.
class IdleJob : public GxAsyncJobBase {
public:
    void RunJob(GxThread*, GxAsyncJobManage*) override {}
};

TEST(SystemLayer, TheLoadingIconBlinksWhileLoaderJobsArePending)
{
    ScreenHarness h;
    ASSERT_TRUE(h.m_UI.Ok());
    h.MakeSystem();
    GxSharedAssetManage assets;
    h.m_UI.Core().m_SharedAssets = &assets;
    GxTaskUIBase* icon = h.Widget(u"icon_asload");
    std::vector<bool> active;
    for (int frame = 0; frame < 2; ++frame) {
        h.m_UI.Step(0);
        active.push_back(icon->IsActive());
    }
    IdleJob job;
    ASSERT_TRUE(assets.GetJobManage().AddJob(u"idle", &job));
    for (int frame = 0; frame < 4; ++frame) {
        h.m_UI.Step(0);
        active.push_back(icon->IsActive());
    }
    EXPECT_EQ(active, (std::vector<bool>{false, false, true, false, true, false}));
    assets.GetJobManage().CancelPendingJobs();
    h.m_UI.Core().m_SharedAssets = nullptr;
}

TEST(SystemLayer, MusicRestraintFollowsTheVoiceOnTheFirstPassWithOneRandomDrawPerFrame)
{
    ScreenHarness h;
    ASSERT_TRUE(h.m_UI.Ok());
    h.MakeSystem();
    SetBGMRestraintLevel(100);
    GxRandomSeed(1234);
    GxRandomState reference;
    GxRandomSeed(1234, &reference);

    h.m_Sound.m_VoicePlaying = true;
    std::vector<std::int32_t> levels;
    for (int frame = 0; frame < 26; ++frame) {
        h.m_UI.Step(16000, 3);   // three logic passes: only the first changes anything
        levels.push_back(GetBGMRestraintLevel());
        GxRandomBelow(1, &reference);
    }
    EXPECT_EQ(levels[0], 96);
    EXPECT_EQ(levels[23], 4);
    EXPECT_EQ(levels[24], 0);
    EXPECT_EQ(levels[25], 0);
    EXPECT_EQ(std::count(h.m_Sound.m_Calls.begin(), h.m_Sound.m_Calls.end(), "volumes"), 26);
    EXPECT_EQ(GxRandomNext(), GxRandomNext(&reference));

    h.m_Sound.m_VoicePlaying = false;
    for (int frame = 0; frame < 25; ++frame)
        h.m_UI.Step(16000);
    EXPECT_EQ(GetBGMRestraintLevel(), 100);
    h.m_UI.Step(16000);
    EXPECT_EQ(GetBGMRestraintLevel(), 100);
}

// Counts the debug lines that open a texture list's dump.
class DumpCounter : public GxDebugListenerBase {
public:
    DumpCounter() { LogSetSink(this); }
    ~DumpCounter() override { LogSetSink(nullptr); }
    int Output(const char16_t* text, std::int32_t level) override
    {
        if (level == kLevelDebug && std::u16string_view(text).find(u"dump start") != std::u16string_view::npos)
            ++m_Dumps;
        return 0;
    }
    int m_Dumps = 0;
};

TEST(SystemLayer, DeveloperKeysNeedTheDebugSwitchButF4AndEscapeDoNot)
{
    DumpCounter dumps;
    ScreenHarness h;
    ASSERT_TRUE(h.m_UI.Ok());
    SeqSystem* system = h.MakeSystem();
    GxCore& core = h.m_UI.Core();
    const std::filesystem::path saves = h.m_UI.Folder() / "save";
    std::filesystem::create_directories(saves);
    core.m_SaveFolder = saves.u16string() + u"/";
    core.m_FrameTimer.SetFramesPerSecond(45);

    const WPARAM debugKeys[] = {kF1, kF1 + 1, kF1 + 2, kF1 + 4, kF1 + 5, kF1 + 6, kF1 + 7, VK_F11};
    for (WPARAM key : debugKeys)
        EXPECT_EQ(system->OnKeyDown(key, 0), 0);
    EXPECT_EQ(core.m_FrameTimer.GetFramesPerSecond(), 45);
    EXPECT_FALSE(core.GetConfig().m_DebugConsoleFlag);
    EXPECT_FALSE(std::filesystem::exists(saves / "vardump.txt"));
    EXPECT_EQ(dumps.m_Dumps, 0);

    h.m_UI.Config().m_System.m_DebugModeFlag = true;
    h.m_UI.Config().Refresh();
    system->OnKeyDown(kF1 + 2, 0);
    EXPECT_EQ(dumps.m_Dumps, 2);   // both texture lists
    system->OnKeyDown(kF1, 0);
    EXPECT_TRUE(std::filesystem::exists(saves / "vardump.txt"));
    const std::pair<WPARAM, std::int32_t> rates[] = {{kF1 + 4, 60}, {kF1 + 5, 30}, {kF1 + 6, 10}};
    for (const auto& [key, rate] : rates) {
        system->OnKeyDown(key, 0);
        EXPECT_EQ(core.m_FrameTimer.GetFramesPerSecond(), rate);
    }
    system->OnKeyDown(kF1 + 7, 0);
    EXPECT_TRUE(core.GetConfig().m_DebugConsoleFlag);
    EXPECT_TRUE(system->ShouldDrawDebugStatusLine());
    system->OnKeyDown(kF1 + 7, 0);
    EXPECT_FALSE(core.GetConfig().m_DebugConsoleFlag);
}

// Records the window notifications every task receives.
class WindowWatcher : public GxTaskBase {
public:
    explicit WindowWatcher(GxTaskBase* parent) : GxTaskBase(parent, u"watcher", nullptr, 0) {}
    int OnWindowEvent(std::int32_t from, std::int32_t to) override
    {
        m_Events.push_back({from, to});
        return 0;
    }
    std::vector<std::pair<std::int32_t, std::int32_t>> m_Events;
};

TEST(SystemLayer, F4SwitchesBetweenWindowAndFullScreenWithoutTheDebugSwitch)
{
    ScreenHarness h;
    ASSERT_TRUE(h.m_UI.Ok());
    SeqSystem* system = h.MakeSystem();
    auto* watcher = new WindowWatcher(h.m_UI.Screen());
    GxUserConfig& options = h.m_UI.Config().m_User;
    options.m_ScreenMode = 0;
    const WPARAM f4 = kF1 + 3;

    // Whatever the device allows: a change is reported and stored, a refused one changes nothing.
    for (int press = 0; press < 2; ++press) {
        const std::int32_t before = GxGraphics::GetDisplaySettings().CurrentScreenMode;
        const std::int32_t storedBefore = options.m_ScreenMode;
        const std::size_t eventsBefore = watcher->m_Events.size();
        EXPECT_EQ(system->OnKeyDown(f4, 0), 0);
        const std::int32_t after = GxGraphics::GetDisplaySettings().CurrentScreenMode;
        if (after == before) {
            EXPECT_EQ(options.m_ScreenMode, storedBefore);
            EXPECT_EQ(watcher->m_Events.size(), eventsBefore);
            continue;
        }
        ASSERT_EQ(watcher->m_Events.size(), eventsBefore + 1);
        const bool toFull = before < SCRMODE_FULLSCREEN;
        EXPECT_EQ(after, toFull ? 2 : 0);
        EXPECT_EQ(options.m_ScreenMode, toFull ? 1 : 0);
        EXPECT_EQ(watcher->m_Events.back(), (toFull ? std::pair{0, 2} : std::pair{2, 0}));
    }
    if (GxGraphics::GetDisplaySettings().CurrentScreenMode != SCRMODE_WINDOW)
        GxGraphics::ChangeScreenMode(SCRMODE_WINDOW);
}

std::vector<unsigned char> ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

TEST(SystemLayer, DumpsReplaceTheirFileAndAnUnwritableFolderIsSkipped)
{
    ScreenHarness h;
    ASSERT_TRUE(h.m_UI.Ok());
    SeqSystem* system = h.MakeSystem();
    GxCore& core = h.m_UI.Core();
    const std::filesystem::path saves = h.m_UI.Folder() / "save";
    std::filesystem::create_directories(saves);
    core.m_SaveFolder = saves.u16string() + u"/";
    { std::ofstream(saves / "vardump.txt") << std::string(4096, 'x'); }

    system->DumpWorkerVariables();
    system->DumpInstanceVariables();
    for (const char* name : {"vardump.txt", "vardump_extern.txt"}) {
        const std::vector<unsigned char> bytes = ReadBytes(saves / name);
        // BOM, then "yyyy/mm/dd hh:mm:ss" and CR LF in UTF-16LE.
        ASSERT_EQ(bytes.size(), 2u + 21u * 2u) << name;
        EXPECT_EQ(bytes[0], 0xFF);
        EXPECT_EQ(bytes[1], 0xFE);
        EXPECT_EQ(bytes[2 + 4 * 2], '/');
        EXPECT_EQ(bytes[2 + 19 * 2], '\r');
        EXPECT_EQ(bytes[2 + 20 * 2], '\n');
    }

    core.m_SaveFolder = (h.m_UI.Folder() / "missing" / "deeper").u16string() + u"/";
    system->DumpWorkerVariables();
    EXPECT_FALSE(std::filesystem::exists(h.m_UI.Folder() / "missing"));
}

TEST(SystemLayer, StatusLineRuleAndRenderEntry)
{
    struct Case {
        bool consoleFlag;
        bool error;
        bool skipSlightError;
        bool scriptStopped;
        bool drawn;
    };
    const Case cases[] = {
        {true, false, true, false, true},
        {false, false, false, false, false},
        {false, false, false, true, false},
        {false, true, false, false, true},
        {false, true, true, false, false},   // slight errors skipped while the script runs on
        {false, true, true, true, true},
    };
    ScreenHarness h;
    ASSERT_TRUE(h.m_UI.Ok());
    SeqSystem* system = h.MakeSystem();
    CreateScriptEngine(nullptr);
    for (const Case& c : cases) {
        LogResetErrorCount();
        if (c.error)
            LogPrint(u"Test/an error\n");
        h.m_UI.Config().m_System.m_DebugConsoleFlag = c.consoleFlag;
        h.m_UI.Config().m_System.m_SkipSlightError = c.skipSlightError;
        h.m_UI.Config().Refresh();
        GetScriptInstance()->SetErrorStop(c.scriptStopped);
        EXPECT_EQ(system->ShouldDrawDebugStatusLine(), c.drawn)
            << c.consoleFlag << c.error << c.skipSlightError << c.scriptStopped;
    }
    DestroyScriptEngine();
    LogResetErrorCount();
    EXPECT_EQ(system->m_DebugFont.GetFontSize(), GxGDIFontMap::kDefaultFontSize);

    h.m_UI.Step(0);
    GxTaskRenderManage* list = h.m_UI.Core().GetRenderList(9);
    const auto& entries = list->GetEntries();
    const auto mine = std::find_if(entries.begin(), entries.end(),
                                   [&](const GxTaskRenderEntry& e) { return e.m_Task == system; });
    ASSERT_NE(mine, entries.end());
    EXPECT_EQ(mine->m_Depth, 0.0f);
    EXPECT_EQ(mine->m_Value, -1);

    // While shown, a change of its text is a change of the picture, and only that.
    h.m_UI.Config().m_System.m_DebugConsoleFlag = true;
    h.m_UI.Config().Refresh();
    system->Render(0, 0);
    const std::uint64_t settled = GxSceneGeneration::Get();
    system->Render(0, 0);
    EXPECT_EQ(GxSceneGeneration::Get(), settled);
    system->m_Statistics.m_Clk = 3;
    system->Render(0, 0);
    EXPECT_NE(GxSceneGeneration::Get(), settled);
    const std::uint64_t counted = GxSceneGeneration::Get();
    LogPrint(u"Test/an error\n");
    system->Render(0, 0);
    EXPECT_NE(GxSceneGeneration::Get(), counted);
    LogResetErrorCount();

    // Turned off, the line leaves the picture; turned on again with the same text, it comes back.
    h.m_UI.Config().m_System.m_DebugConsoleFlag = false;
    h.m_UI.Config().Refresh();
    system->Render(0, 0);
    const std::uint64_t off = GxSceneGeneration::Get();
    EXPECT_NE(off, counted);
    system->Render(0, 0);
    EXPECT_EQ(GxSceneGeneration::Get(), off);
    h.m_UI.Config().m_System.m_DebugConsoleFlag = true;
    h.m_UI.Config().Refresh();
    system->Render(0, 0);
    EXPECT_NE(GxSceneGeneration::Get(), off);
}

// A screen in slot 0 that refuses everything, to see whose answers the layer gives.
class RefusingScreen : public GxSeqBase {
public:
    explicit RefusingScreen(GxTaskBase* owner) : GxSeqBase(owner, u"SeqRefusing") {}
    bool IsWidgetInputAllowed(GxTaskUIBase*, std::uint8_t) override { return false; }
    bool IsWidgetActive(GxTaskUIBase*) override { return false; }
    bool IsScriptRunnable() override { return false; }
    bool IsUIHoldClear1() override { return false; }
    bool IsUIHoldClear2() override { return false; }
    bool IsUIHoldClear3() override { return false; }
};

TEST(SystemLayer, InputTestsAreTheAnswersOfTheScreenInSlotZero)
{
    ScreenHarness h;
    ASSERT_TRUE(h.m_UI.Ok());
    SeqSystem* system = h.MakeSystem();
    GxTaskUIBase* yes = h.Child(u"dlg_shutdown", u"btn_dlgshutdown_yes");
    auto* refusing = new RefusingScreen(h.m_UI.Root());
    ASSERT_TRUE(h.m_UI.Manage().ChangeSequence(refusing, 0, 0, 0));
    h.m_UI.Manage().ApplySequenceChanges();
    ASSERT_EQ(h.m_UI.Manage().GetWorker(0)->m_Current, refusing);
    EXPECT_FALSE(system->IsWidgetInputAllowed(yes, 0));
    EXPECT_FALSE(system->IsWidgetActive(yes));
    EXPECT_FALSE(system->IsScriptRunnable());
    EXPECT_FALSE(system->IsUIHoldClear1());
    EXPECT_FALSE(system->IsUIHoldClear2());
    EXPECT_FALSE(system->IsUIHoldClear3());
}

TEST(SystemLayer, InputTestsAnswerTrueWithoutAScreenInSlotZero)
{
    TestErrorLogCapture log;   // no module rows at all
    GxCore core;
    TestCoreConfig config{core};
    auto manage = std::make_unique<GxTaskManage>(&core);
    core.m_TaskManage = manage.get();
    auto* system = new SeqSystem(new GxTaskBase(manage.get()));
    EXPECT_TRUE(system->IsWidgetInputAllowed(nullptr, 0));
    EXPECT_TRUE(system->IsWidgetActive(nullptr));
    EXPECT_TRUE(system->IsScriptRunnable());
    EXPECT_TRUE(system->IsUIHoldClear1());
    EXPECT_TRUE(system->IsUIHoldClear2());
    EXPECT_TRUE(system->IsUIHoldClear3());
    manage.reset();
}

}  // namespace
}  // namespace screens_test

namespace screens_test {
namespace {

TEST(SystemLayer, ANoticeSlidingInPresentsEveryFrameAndTheHeldNoticeNoMore)
{
    ScreenHarness h;
    ASSERT_TRUE(h.m_UI.Ok());
    SeqSystem* system = h.MakeSystem();
    GxCore& core = h.m_UI.Core();
    auto presents = [&core](int frames) {
        const std::uint64_t before = core.m_PresentedFrames;
        for (int i = 0; i < frames; ++i)
            core.Frame();
        return core.m_PresentedFrames - before;
    };
    presents(3);
    ASSERT_EQ(presents(5), 0u);
    // 250 ms in: every frame of the slide another picture, then held, still. A loaded machine
    // makes fewer, longer frames, so the slide is told by the frames that present: one unbroken
    // run from the post on.
    system->PostSystemNotice(u"saved", u"", 2, 0xFFFFFFFF);
    std::vector<int> presented;
    for (int i = 0; i < 40; ++i)
        presented.push_back(static_cast<int>(presents(1)));
    const auto firstStill = std::find(presented.begin(), presented.end(), 0);
    EXPECT_GE(firstStill - presented.begin(), 2);
    EXPECT_EQ(std::count(firstStill, presented.end(), 1), 0);
    EXPECT_EQ(presents(20), 0u);
}

}  // namespace
}  // namespace screens_test
