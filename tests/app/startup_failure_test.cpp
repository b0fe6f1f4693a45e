// The engine's executable run as a child process on game folders made here: each start-up
// failure ends it with its own exit code and one English stderr line naming cause and path, a
// bounded run ends with 0 and leaves no lock file behind, and a pack that cannot be read is
// logged with the reason. ./run refuses a mistyped folder before it builds anything.
#include "core/exit_code.h"
#include "platform/win32/window.h"
#include "tests/support/engine_runner.h"
#include "tests/support/pack_builder.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr char kSysConf[] = "APP_TITLE=Child Game\nAPP_SAVEDIR=CHILD_SAVE\nSAVE_TO_MYDOCUMENTS=0\n";
constexpr char kSysConfBox[] = "システム設定ファイルの読み込みに失敗しました。";

void WriteFile(const fs::path& path, std::string_view bytes)
{
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class StartupFailureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Temp.Valid());
        ASSERT_TRUE(m_Runner.Valid());
        m_Runtime = m_Runner.Runtime();
    }

    // Runs the engine with `args`, headless, in the runner's home and runtime folder. `env` sets
    // (a value) or removes (nullopt) further variables.
    TestEngineResult RunEngine(const std::vector<std::string>& args,
                               const std::map<std::string, std::optional<std::string>>& env = {},
                               const std::string& programPath = TW_TARNWICK)
    {
        m_Runner.SetProgram(programPath);
        m_Runner.ClearEnvironment();
        for (const auto& [name, value] : env)
            m_Runner.SetEnvironment(name, value);
        return m_Runner.Run(args);
    }

    // A game folder with its configuration; `path` is made under the temporary folder.
    fs::path MakeGame(const std::string& name, std::string_view sysconf = kSysConf)
    {
        const fs::path game = m_Temp.Join(name);
        WriteFile(game / "system" / "sysconf.ini", sysconf);
        return fs::canonical(game);
    }

    TestTempDir m_Temp{"tw_app"};
    TestEngineRunner m_Runner{TW_TARNWICK};
    fs::path m_Runtime;
};

TEST_F(StartupFailureTest, EachRefusedFolderHasItsCodeAndLine)
{
    const fs::path empty = m_Temp.Join("empty");
    fs::create_directories(empty);

    const fs::path badPack = m_Temp.Join("bad_pack");
    WriteFile(badPack / "system.gxp", "not a pack");

    const fs::path noSysConf = m_Temp.Join("no_sysconf");
    fs::create_directories(noSysConf / "system");

    // A pack that reads well but holds no configuration.
    const fs::path packWithout = m_Temp.Join("pack_without");
    fs::create_directories(packWithout);
    ASSERT_TRUE(TestPackBuilder().Add(u"data/other.txt", std::string_view("x")).Write((packWithout / "system.gxp").string()));

    fs::path tooLong = m_Temp.Path();
    while (tooLong.string().size() <= 250)
        tooLong /= std::string(40, 'd');
    fs::create_directories(tooLong);

    const std::string missing = m_Temp.Join("mistyped").string();
    const fs::path notAFolder = m_Temp.Join("a_file");
    WriteFile(notAFolder, "x");

    struct Case {
        std::string folder;
        int exitCode;
        std::string line;
        bool showsSysConfBox;
    };
    const auto real = [](const fs::path& path) { return fs::canonical(path).string(); };
    const Case cases[] = {
        {empty.string(), kExitNotAGameFolder,
         "tarnwick: " + real(empty) + " is not a game folder: it holds neither system.gxp nor system/sysconf.ini",
         true},
        {badPack.string(), kExitSystemPackUnreadable,
         "tarnwick: cannot read system.gxp in " + real(badPack) +
             " (Header read error (shorter than the header)), and there is no loose system/sysconf.ini",
         true},
        {noSysConf.string(), kExitSysConfUnreadable,
         "tarnwick: cannot read system/sysconf.ini in " + real(noSysConf) + ": no such file", true},
        {packWithout.string(), kExitSysConfUnreadable,
         "tarnwick: cannot read system/sysconf.ini in " + real(packWithout) + ": no such file", true},
        {tooLong.string(), kExitPathTooLong,
         "tarnwick: the game folder's path is longer than 244 characters: " + real(tooLong), false},
        {missing, kExitNoGameFolder, "tarnwick: cannot enter the game folder \"" + missing + "\": no such folder", false},
        {notAFolder.string(), kExitNoGameFolder,
         "tarnwick: cannot enter the game folder \"" + notAFolder.string() + "\": not a folder", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        const TestEngineResult result = RunEngine({c.folder});
        EXPECT_EQ(result.exitCode, c.exitCode) << result.stderrText;
        EXPECT_EQ(result.LastStderrLine(), c.line);
        // The box keeps its text; with nobody to see it, it reaches stderr too.
        EXPECT_EQ(result.stderrText.find(kSysConfBox) != std::string::npos, c.showsSysConfBox);
    }
    // The mistyped folder was not made.
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(StartupFailureTest, TheRunScriptRefusesAMistypedFolderBeforeBuilding)
{
    const std::string missing = m_Temp.Join("mistyped").string();
    const TestEngineResult result = RunEngine({missing}, {}, std::string(TW_SOURCE_DIR) + "/run");
    EXPECT_EQ(result.exitCode, kExitNoGameFolder);
    EXPECT_EQ(result.LastStderrLine(), "run: no such game folder: " + missing);
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(StartupFailureTest, ABadCommandLineOrVariableIsAUsageError)
{
    const fs::path game = MakeGame("game");
    TestEngineResult result = RunEngine({game.string(), "extra"});
    EXPECT_EQ(result.exitCode, kExitUsage);
    EXPECT_EQ(result.LastStderrLine(), "tarnwick: usage: tarnwick [GAME_FOLDER]");

    result = RunEngine({game.string()}, {{"TARNWICK_MAX_FRAMES", "many"}});
    EXPECT_EQ(result.exitCode, kExitUsage);
    EXPECT_EQ(result.LastStderrLine().rfind("tarnwick: TARNWICK_MAX_FRAMES: expected a number of frames", 0), 0u)
        << result.stderrText;
}

TEST_F(StartupFailureTest, ASecondInstanceOfTheSameGameIsRefused)
{
    const fs::path game = MakeGame("game");
    // This process plays the first instance: its main window's class is the game's title, and
    // its lock sits where the child looks for it.
    setenv("SDL_VIDEODRIVER", "dummy", 0);
    platform::SetWindowLockFolder(m_Runtime.string());
    platform::ResetUserStateForTesting();
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = u"Child Game";
    ASSERT_NE(RegisterClassExW(&windowClass), 0);
    ASSERT_NE(CreateWindowExW(0, u"Child Game", u"Child Game", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                              nullptr),
              nullptr);

    const TestEngineResult result = RunEngine({game.string()}, {{"TARNWICK_MAX_FRAMES", "2"}});
    platform::ResetUserStateForTesting();
    platform::SetWindowLockFolder("");
    EXPECT_EQ(result.exitCode, kExitAlreadyRunning) << result.stderrText;
    EXPECT_NE(result.stderrText.find("既に起動中です"), std::string::npos);
    EXPECT_EQ(result.LastStderrLine(),
              "tarnwick: \"Child Game\" is already running (another instance has its window open)");
    EXPECT_FALSE(fs::exists(game / "CHILD_SAVE"));
}

TEST_F(StartupFailureTest, ABoundedRunEndsWellLeavesNoLockAndLogsAnUnreadablePack)
{
    const fs::path game = MakeGame("game", std::string(kSysConf) + "PACK_FILE_00=broken.gxp\nPACK_FILE_01=absent.gxp\n");
    WriteFile(game / "broken.gxp", "short");

    const TestEngineResult result = RunEngine({game.string()}, {{"TARNWICK_MAX_FRAMES", "2"}});
    EXPECT_EQ(result.exitCode, kExitNormal) << result.stderrText;
    EXPECT_EQ(result.stderrText.find("tarnwick:"), std::string::npos) << result.stderrText;
    // The window's lock went with the window.
    EXPECT_TRUE(fs::is_empty(m_Runtime));

    EXPECT_EQ(result.saveFolder, game / "CHILD_SAVE");
    const std::string log = result.ErrorLogUtf8();
    EXPECT_NE(log.find("Pack not read(Header read error (shorter than the header)):broken.gxp"), std::string::npos) << log;
    EXPECT_NE(log.find("Pack not read(Open error (No such file or directory)):absent.gxp"), std::string::npos) << log;
}

TEST_F(StartupFailureTest, AnInvisibleVideoDriverNobodyAskedForStopsTheEngine)
{
    // A machine with a DRM device may give SDL a real screen without X or Wayland.
    if (fs::exists("/dev/dri"))
        GTEST_SKIP() << "a DRM device may give SDL a visible driver here";
    const fs::path game = MakeGame("game");
    const std::map<std::string, std::optional<std::string>> noDisplay = {
        {"SDL_VIDEODRIVER", std::nullopt}, {"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}};
    const TestEngineResult refused = RunEngine({game.string()}, noDisplay);
    EXPECT_EQ(refused.exitCode, kExitNoDisplay) << refused.stderrText;
    EXPECT_EQ(refused.LastStderrLine().rfind("tarnwick: no display: SDL fell back to its invisible \"", 0), 0u)
        << refused.stderrText;
    EXPECT_FALSE(fs::exists(game / "CHILD_SAVE"));

    // A bounded unattended run may go without a display.
    std::map<std::string, std::optional<std::string>> bounded = noDisplay;
    bounded["TARNWICK_MAX_FRAMES"] = "2";
    const TestEngineResult ran = RunEngine({game.string()}, bounded);
    EXPECT_EQ(ran.exitCode, kExitNormal) << ran.stderrText;
}

TEST_F(StartupFailureTest, TheEngineReadsTheGamesDataTables)
{
    // The process entry installs the data services: a damaged table is logged by its reader.
    const fs::path game = MakeGame("tables");
    WriteFile(game / "data" / "db_rpmode.txt", "1\t0\n999\t1\n");
    const TestEngineResult result = RunEngine({game.string()}, {{"TARNWICK_MAX_FRAMES", "2"}});
    EXPECT_EQ(result.exitCode, kExitNormal) << result.stderrText;
    const std::string log = result.ErrorLogUtf8();
    EXPECT_NE(log.find("DBRPMode/ID out of range[data/db_rpmode.txt/999]"), std::string::npos) << log;
}

}  // namespace
