// The engine run whole through its process entry on a small game folder: start-up in order, the
// save folder and the logs, scripted input reaching the deepest task at mapped coordinates, a
// sequence switch at the top of the next pass, the close request held back once, the fourth-pass
// audio updates, the debug caption, the failure roads and the shut-down order.
#include "tests/support/engine_run_fixture.h"

#include "core/exit_code.h"
#include "data/user_data_perman.h"
#include "foundation/bin_buffer.h"
#include "platform/d3d9/virtual_adapter.h"

#include <csignal>

namespace engine_test {
namespace {

constexpr char kE2ESysConf[] = "APP_TITLE=E2E Game\nAPP_SAVEDIR=E2E_SAVE\nSAVE_TO_MYDOCUMENTS=0\n";

TEST_F(EngineRunTest, RunsAGameFolderFromStartUpToShutDown)
{
    MakeGameFolder(m_Game, GameFolder{kE2ESysConf, "SkipSlightError=0\n"});
    GxCore* core = GxCore::GetInstance();
    std::vector<std::string> journal;
    std::vector<std::string> closes;
    std::string packed;
    std::uint32_t startupPixel = 0, shutdownPixel = 0;
    bool readySeen = false;

    m_Module.m_OnInitialize = [&] {
        GxBinBuffer buffer;
        if (GxFile::ReadWholeFile(buffer, kPackedFileName))
            packed.assign(reinterpret_cast<const char*>(buffer.GetData()), buffer.GetSize());
        startupPixel = BackBufferPixel(10, 10);
        LogPrintWarning(u"Test/a warning reaches error.log\n");
    };
    m_Module.m_OnCreateSequences = [&](GxTaskBase*) {
        GxTaskBase* boot = core->m_TaskManage->FindTask(u"SeqBoot");
        ASSERT_NE(boot, nullptr);
        auto* panel = new ProbeTask(boot, u"panel", "panel", &journal);
        auto* button = new ProbeTask(panel, u"button", "button", &journal);
        // The resident sequence holds the first close back, as a confirmation dialog would.
        auto* closer = new ProbeTask(core->m_TaskManage->FindTask(u"SeqSystem"), u"closer", "closer", &closes);
        closer->m_ConsumeMouse = 0;
        closer->m_CloseAnswers = {1};
        button->m_OnLeftUp = [core] {
            GxStandinTrace::Record(u"Test::ChangeRequested");
            core->m_TaskManage->ChangeSequenceByName(u"SeqTitle", 0, 0);
        };
        button->m_OnUpdate = [&, core](std::int32_t) {
            if (!readySeen && core->m_TaskManage->IsWorkerReady(0)) {
                readySeen = true;
                GxStandinTrace::Record(u"Test::BootReady");
            }
        };
        // A smaller client area than the virtual screen: clicks are scaled up.
        SetWindowPos(core->m_MainWindow, nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
    };
    // The flags are saved before the reset tears the game down.
    const fs::path save = m_Game / "E2E_SAVE";
    bool flagsSavedBeforeReset = false;
    m_Module.m_OnBeforeReset = [&] {
        shutdownPixel = BackBufferPixel(10, 10);
        flagsSavedBeforeReset = fs::is_regular_file(save / "permanent.dat");
    };
    std::string error;
    ASSERT_TRUE(m_Run.ParseInputScript("2 move 320 240\n3 ldown 320 240\n4 lup 320 240\n6 close\n8 close\n", &error));
    m_Run.SetMaxPasses(50);

    EXPECT_EQ(Run(), 0);

    // Files: the pack registered before start-up, the save folder made with its notice, the logs in it.
    EXPECT_EQ(packed, kPackedFileText);
    EXPECT_EQ(ShownBoxes(), (std::vector<std::string>{"E2E Game|インストールフォルダにセーブフォルダ[E2E_SAVE]を作成しました。"}));
    EXPECT_TRUE(fs::is_directory(save));
    const std::string deviceLog = ReadLog(save / "device.log");
    EXPECT_NE(deviceLog.find("Direct3D9の初期化を開始します"), std::string::npos);
    EXPECT_NE(deviceLog.find("DirectInput8の初期化を開始します"), std::string::npos);
    EXPECT_NE(ReadLog(save / "error.log").find("Test/a warning reaches error.log"), std::string::npos);
    EXPECT_EQ(WindowText(core->m_MainWindow), "E2E Game");
    EXPECT_EQ(startupPixel & 0xFFFFFFu, 0xFF0000u);   // the start-up clear
    EXPECT_EQ(shutdownPixel & 0xFFFFFFu, 0u);         // the shut-down clear

    // Input: the deepest task consumed the click, at virtual coordinates.
    EXPECT_EQ(journal, (std::vector<std::string>{"button.Move 512,384", "button.LeftDown 512,384",
                                                 "button.LeftUp 512,384"}));
    EXPECT_EQ(std::count(closes.begin(), closes.end(), "closer.Close"), 2);

    const std::vector<std::string> events = Trace();
    EXPECT_TRUE(InOrder(events, {"SetDefaultDisplaySettings", "InitAudioDevice", "SoundInitDevice", "MovieInitCom",
                                 "GameStartup", "Test::Initialize", "Test::RegisterBuiltins",
                                 "Test::CreateSequences", "Enter SeqBoot", "Test::OnBootTitle", "Test::BootReady"}));
    EXPECT_EQ(PassOf(events, "Enter SeqBoot"), 0);
    EXPECT_EQ(PassOf(events, "Test::ChangeRequested"), 4);
    EXPECT_EQ(PassOf(events, "Leave SeqBoot"), 5);   // applied at the top of the next pass
    EXPECT_EQ(PassOf(events, "Enter SeqTitle"), 5);
    // The held-back close at pass 6 kept the loop running; the one at pass 8 ended it after its frame.
    EXPECT_EQ(PassCount(), 9);

    for (int pass = 0; pass < PassCount(); ++pass) {
        int audio = 0;
        int at = 0;
        for (const std::string& e : events) {
            if (e == "MovieSlotTickAll")
                ++at;
            else if (at == pass && e == "AudioUpdatePlayers")
                ++audio;
        }
        EXPECT_EQ(audio, (m_FirstPass + static_cast<std::uint32_t>(pass)) % 4 == 0 ? 1 : 0) << "pass " << pass;
    }

    EXPECT_TRUE(InOrder(events, {"Leave SeqTitle", "~SeqSystem", "GameReset", "Test::BeforeReset", "Test::AfterReset",
                                 "SoundShutdownDevice", "AudioShutdownDevice", "MovieShutdown"}));
    EXPECT_TRUE(flagsSavedBeforeReset);
    GxUserDataPerman flags;
    EXPECT_TRUE(LoadPermanentData(&flags, Utf8ToWide((save / "permanent.dat").string())));
    EXPECT_TRUE(fs::is_regular_file(save / "userconf.dat"));
    EXPECT_EQ(core->m_UserData, nullptr);
    EXPECT_EQ(core->m_UserDataPerman, nullptr);
    EXPECT_EQ(core->m_SystemConfig, nullptr);
    EXPECT_EQ(core->m_UserConfig, nullptr);
    EXPECT_EQ(core->m_TaskManage, nullptr);
    EXPECT_EQ(GxGraphics::GetDevice(), nullptr);
    EXPECT_FALSE(core->m_Initialized);
}

TEST_F(EngineRunTest, TheDebugCaptionShowsTheMeasuredRateEveryTwoSeconds)
{
    GxCore* core = GxCore::GetInstance();
    SteppingClock::step = 100;   // 2 s of frames within the run
    for (const bool debugMode : {true, false}) {
        MakeGameFolder(m_Game, GameFolder{kE2ESysConf, debugMode ? "DebugModeFlag=1\n" : "DebugModeFlag=0\n"});
        platform::ResetUserStateForTesting();
        m_Run.SetMaxPasses(30);
        EXPECT_EQ(Run(), 0);
        const std::u16string expected =
            debugMode ? FormatWide(u"%s FPS %2.2f/%d", u"E2E Game",
                                   static_cast<double>(core->m_FrameTimer.GetMeasuredRate()), 60)
                      : u"E2E Game";
        EXPECT_EQ(WindowText(core->m_MainWindow), Utf8(expected)) << debugMode;
    }
}

TEST_F(EngineRunTest, TheSaveFolderFollowsTheDocumentsSwitch)
{
    const fs::path documents = m_Home / "Documents";
    const std::string inDocuments = "APP_TITLE=E2E Game\nAPP_SAVEDIR=E2E_SAVE\nSAVE_TO_MYDOCUMENTS=1\n";
    struct Case {
        const char* name;
        std::string sysconf;
        std::optional<std::string> setting;
        bool makeDocuments;
        bool knowHome;
        fs::path logFolder;
        std::string permanentPath;   // as the save folder gives it
        std::vector<std::string> boxes;
        bool blockSaveFolder = false;   // a file where the save folder should go
    };
    const fs::path data = m_Home / ".local/share";
    const Case cases[] = {
        {"documents", inDocuments, std::nullopt, true, true, documents / "E2E_SAVE",
         (documents / "E2E_SAVE/permanent.dat").string(),
         {"E2E Game|ドキュメントにセーブフォルダ[E2E_SAVE]を作成しました。"}},
        {"already there", inDocuments, std::nullopt, true, true, documents / "E2E_SAVE",
         (documents / "E2E_SAVE/permanent.dat").string(), {}},
        {"already there, logs cleaned", inDocuments, "CleanErrorLog=1\n", true, true, documents / "E2E_SAVE",
         (documents / "E2E_SAVE/permanent.dat").string(), {}},
        {"overridden by setting.ini", "APP_TITLE=E2E Game\nAPP_SAVEDIR=OTHER_SAVE\nSAVE_TO_MYDOCUMENTS=1\n",
         "SaveToMyDocuments=0\n", true, true, m_Game / "OTHER_SAVE", (m_Game / "OTHER_SAVE/permanent.dat").string(),
         {"E2E Game|インストールフォルダにセーブフォルダ[OTHER_SAVE]を作成しました。"}},
        // A home without a documents folder: the data folder, made with its parents.
        {"no documents folder", inDocuments, std::nullopt, false, true, data / "E2E_SAVE",
         (data / "E2E_SAVE/permanent.dat").string(),
         {"E2E Game|ドキュメントにセーブフォルダ[E2E_SAVE]を作成しました。"}},
        // No home at all: the bare name, relative to the working folder.
        {"no home", inDocuments, std::nullopt, false, false, m_Game / "E2E_SAVE", "E2E_SAVE/permanent.dat",
         {"E2E Game|ドキュメントにセーブフォルダ[E2E_SAVE]を作成しました。"}},
        // The save files then go to the working folder.
        {"cannot be made", inDocuments, std::nullopt, true, true, m_Game, "permanent.dat",
         {"E2E Game|セーブフォルダの作成に失敗しました。"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(m_Game);
        MakeGameFolder(m_Game, GameFolder{c.sysconf, c.setting});
        if (c.makeDocuments)
            fs::create_directories(documents);
        else
            fs::remove_all(documents);
        fs::remove_all(m_Home / ".local");
        if (c.blockSaveFolder) {
            fs::remove_all(documents / "E2E_SAVE");
            WriteFile(documents / "E2E_SAVE", "not a folder");
        }
        const bool hadLogs = fs::is_directory(c.logFolder) && c.logFolder != m_Game;
        if (hadLogs) {
            // Left by the last start: "device.log" is emptied every start, "error.log" only on request.
            WriteFile(c.logFolder / "device.log", "stale");
            WriteFile(c.logFolder / "error.log", "stale");
        }
        // As the save folder gives it: a relative path is in the game folder, where the run works.
        const fs::path permanent = m_Game / c.permanentPath;
        std::error_code ignored;
        fs::remove(permanent, ignored);
        ScopedEnv home("HOME", c.knowHome ? std::optional<std::string>(m_Home.string()) : std::nullopt);
        platform::ResetUserStateForTesting();
        platform::ClearShownMessageBoxes();
        GxStandinTrace::Clear();
        m_Run.SetMaxPasses(1);
        EXPECT_EQ(Run(), 0);
        EXPECT_EQ(ShownBoxes(), c.boxes);
        EXPECT_NE(ReadLog(c.logFolder / "device.log").find("DirectInput8"), std::string::npos);
        if (hadLogs) {
            const auto startsStale = [](const fs::path& path) {
                std::ifstream in(path, std::ios::binary);
                return std::string(std::istreambuf_iterator<char>(in), {}).substr(0, 5) == "stale";
            };
            EXPECT_FALSE(startsStale(c.logFolder / "device.log"));
            EXPECT_EQ(startsStale(c.logFolder / "error.log"), !c.setting.has_value());
        }
        EXPECT_TRUE(fs::is_regular_file(permanent));
    }
}

TEST_F(EngineRunTest, ARefusedStartUpRunsNeitherTheLoopNorTheShutDown)
{
    WriteFile(m_Game / "setting.ini", "DebugModeFlag=1\n");   // no "system/sysconf.ini"
    m_Run.SetMaxPasses(5);
    EXPECT_EQ(Run(), kExitNotAGameFolder);
    EXPECT_EQ(GxCore::GetInstance()->m_FailureText,
              fs::canonical(m_Game).string() + " is not a game folder: it holds neither system.gxp nor system/sysconf.ini");
    EXPECT_EQ(ShownBoxes().size(), 1u);
    const std::vector<std::string> events = Trace();
    EXPECT_TRUE(events.empty()) << events.front();   // nothing saved, no pass, no shut-down
}

TEST_F(EngineRunTest, AWindowOrDeviceFailureEndsTheRunAfterItsFirstPass)
{
    MakeGameFolder(m_Game, GameFolder{kE2ESysConf, std::nullopt});
    m_Run.SetMaxPasses(5);   // a run that missed the quit would stop here instead of hanging

    platform::d3d9::VirtualAdapter failing = platform::d3d9::DefaultVirtualAdapter();
    failing.failCreate = true;
    platform::d3d9::SetVirtualAdapter(failing);
    EXPECT_EQ(Run(), kExitNoWindow);
    EXPECT_EQ(GxCore::GetInstance()->m_FailureText, "cannot create the graphics device");
    platform::d3d9::ResetVirtualAdapter();
    EXPECT_EQ(PassCount(), 1);
    EXPECT_TRUE(InOrder(Trace(), {"GameStartup", "MovieSlotTickAll", "MovieShutdown"}));

    // A class of that name left registered makes the main window fail: no window, so the quit
    // request cannot travel as a window message.
    platform::ResetUserStateForTesting();
    GxStandinTrace::Clear();
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = u"E2E Game";
    ASSERT_NE(RegisterClassExW(&windowClass), 0);
    EXPECT_EQ(Run(), kExitNoWindow);
    EXPECT_EQ(GxCore::GetInstance()->m_FailureText, "cannot create the main window");
    EXPECT_EQ(GxCore::GetInstance()->m_MainWindow, nullptr);
    EXPECT_EQ(PassCount(), 1);
    EXPECT_TRUE(InOrder(Trace(), {"GameStartup", "MovieSlotTickAll", "MovieShutdown"}));
}

TEST_F(EngineRunTest, AnInterruptQuitsThroughTheOrderlyShutDown)
{
    MakeGameFolder(m_Game, GameFolder{kE2ESysConf, std::nullopt});
    GxCore* core = GxCore::GetInstance();
    const std::uint32_t raiseAt = m_FirstPass + 2;
    m_Module.m_OnCreateSequences = [&](GxTaskBase*) {
        auto* task = new ProbeTask(core->m_TaskManage->FindTask(u"SeqBoot"), u"raiser", "raiser", nullptr);
        task->m_OnUpdate = [core, raiseAt](std::int32_t step) {
            // The pass counter has already moved on when the frame runs.
            if (step == 0 && core->m_PassCounter == raiseAt + 1)
                std::raise(SIGTERM);
        };
    };
    InstallQuitSignalHandlers();
    m_Run.SetMaxPasses(50);
    EXPECT_EQ(Run(), 0);
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
    // Raised in the frame of pass 2; pass 3 takes it, quits and still runs its frame.
    EXPECT_EQ(PassCount(), 4);
    const fs::path save = m_Game / "E2E_SAVE";
    EXPECT_TRUE(fs::is_regular_file(save / "userconf.dat"));
    EXPECT_TRUE(fs::is_regular_file(save / "permanent.dat"));
    EXPECT_TRUE(InOrder(Trace(), {"GameReset", "MovieShutdown"}));
}

}  // namespace
}  // namespace engine_test
