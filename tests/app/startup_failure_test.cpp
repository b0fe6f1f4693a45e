// The engine's executable run as a child process on game folders made here: each start-up
// failure ends it with its own exit code and one English stderr line naming cause and path, a
// bounded run ends with 0 and leaves no lock file behind, and a pack that cannot be read is
// logged with the reason. ./run refuses a mistyped folder before it builds anything.
#include "core/exit_code.h"
#include "foundation/wide_string.h"
#include "platform/win32/window.h"
#include "tests/support/pack_builder.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
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

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct ChildResult {
    int exitCode = -1;   // -1: ended by a signal
    std::string stderrText;

    // The last line on stderr, without its line feed.
    std::string LastLine() const
    {
        std::string text = stderrText;
        while (!text.empty() && text.back() == '\n')
            text.pop_back();
        const std::size_t feed = text.rfind('\n');
        return feed == std::string::npos ? text : text.substr(feed + 1);
    }
};

class StartupFailureTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Temp.Valid());
        m_Runtime = m_Temp.Join("runtime");
        m_Home = m_Temp.Join("home");
        fs::create_directories(m_Runtime);
        fs::create_directories(m_Home);
    }

    // Runs the engine with `args`, headless, in a private home and runtime folder. `env` sets
    // (a value) or removes (nullopt) further variables.
    ChildResult RunEngine(const std::vector<std::string>& args,
                          const std::map<std::string, std::optional<std::string>>& env = {},
                          const std::string& programPath = TW_TARNWICK)
    {
        const fs::path errorPath = m_Temp.Join("stderr-" + std::to_string(m_Runs++) + ".txt");
        std::map<std::string, std::optional<std::string>> all = {
            {"HOME", m_Home.string()},
            {"XDG_RUNTIME_DIR", m_Runtime.string()},
            {"XDG_CONFIG_HOME", (m_Home / ".config").string()},
            {"SDL_VIDEODRIVER", "dummy"},
            {"SDL_AUDIODRIVER", "dummy"},
            {"TARNWICK_MAX_FRAMES", std::nullopt},
            {"TARNWICK_INPUT_SCRIPT", std::nullopt},
        };
        for (const auto& [name, value] : env)
            all[name] = value;
        // Everything the child needs is made before the fork: only async-signal-safe calls after.
        std::vector<std::string> environment;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            const std::string text = *entry;
            if (all.count(text.substr(0, text.find('='))) == 0)
                environment.push_back(text);
        }
        for (const auto& [name, value] : all)
            if (value)
                environment.push_back(name + "=" + *value);
        std::vector<char*> envp;
        for (std::string& text : environment)
            envp.push_back(text.data());
        envp.push_back(nullptr);
        std::vector<char*> argv;
        std::string program = programPath;
        argv.push_back(program.data());
        std::vector<std::string> copies = args;
        for (std::string& arg : copies)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        const std::string errorFile = errorPath.string();

        const pid_t child = fork();
        if (child == 0) {
            const int err = open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
            const int null = open("/dev/null", O_RDWR);
            if (err < 0 || null < 0 || dup2(err, 2) < 0 || dup2(null, 1) < 0 || dup2(null, 0) < 0)
                _exit(126);
            // A child that never stops (a refusal that no longer refuses) ends here rather than
            // holding up the test run; the timer survives exec.
            alarm(300);
            execve(argv[0], argv.data(), envp.data());
            _exit(127);
        }
        ChildResult result;
        int status = 0;
        if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status))
            result.exitCode = WEXITSTATUS(status);
        result.stderrText = ReadFile(errorPath);
        return result;
    }

    // A game folder with its configuration; `path` is made under the temporary folder.
    fs::path MakeGame(const std::string& name, std::string_view sysconf = kSysConf)
    {
        const fs::path game = m_Temp.Join(name);
        WriteFile(game / "system" / "sysconf.ini", sysconf);
        return fs::canonical(game);
    }

    TestTempDir m_Temp{"tw_app"};
    fs::path m_Runtime;
    fs::path m_Home;
    int m_Runs = 0;
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
        const ChildResult result = RunEngine({c.folder});
        EXPECT_EQ(result.exitCode, c.exitCode) << result.stderrText;
        EXPECT_EQ(result.LastLine(), c.line);
        // The box keeps its text; with nobody to see it, it reaches stderr too.
        EXPECT_EQ(result.stderrText.find(kSysConfBox) != std::string::npos, c.showsSysConfBox);
    }
    // The mistyped folder was not made.
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(StartupFailureTest, TheRunScriptRefusesAMistypedFolderBeforeBuilding)
{
    const std::string missing = m_Temp.Join("mistyped").string();
    const ChildResult result = RunEngine({missing}, {}, std::string(TW_SOURCE_DIR) + "/run");
    EXPECT_EQ(result.exitCode, kExitNoGameFolder);
    EXPECT_EQ(result.LastLine(), "run: no such game folder: " + missing);
    EXPECT_FALSE(fs::exists(missing));
}

TEST_F(StartupFailureTest, ABadCommandLineOrVariableIsAUsageError)
{
    const fs::path game = MakeGame("game");
    ChildResult result = RunEngine({game.string(), "extra"});
    EXPECT_EQ(result.exitCode, kExitUsage);
    EXPECT_EQ(result.LastLine(), "tarnwick: usage: tarnwick [GAME_FOLDER]");

    result = RunEngine({game.string()}, {{"TARNWICK_MAX_FRAMES", "many"}});
    EXPECT_EQ(result.exitCode, kExitUsage);
    EXPECT_EQ(result.LastLine().rfind("tarnwick: TARNWICK_MAX_FRAMES: expected a number of frames", 0), 0u)
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

    const ChildResult result = RunEngine({game.string()}, {{"TARNWICK_MAX_FRAMES", "2"}});
    platform::ResetUserStateForTesting();
    platform::SetWindowLockFolder("");
    EXPECT_EQ(result.exitCode, kExitAlreadyRunning) << result.stderrText;
    EXPECT_NE(result.stderrText.find("既に起動中です"), std::string::npos);
    EXPECT_EQ(result.LastLine(),
              "tarnwick: \"Child Game\" is already running (another instance has its window open)");
    EXPECT_FALSE(fs::exists(game / "CHILD_SAVE"));
}

TEST_F(StartupFailureTest, ABoundedRunEndsWellLeavesNoLockAndLogsAnUnreadablePack)
{
    const fs::path game = MakeGame("game", std::string(kSysConf) + "PACK_FILE_00=broken.gxp\nPACK_FILE_01=absent.gxp\n");
    WriteFile(game / "broken.gxp", "short");

    const ChildResult result = RunEngine({game.string()}, {{"TARNWICK_MAX_FRAMES", "2"}});
    EXPECT_EQ(result.exitCode, kExitNormal) << result.stderrText;
    EXPECT_EQ(result.stderrText.find("tarnwick:"), std::string::npos) << result.stderrText;
    // The window's lock went with the window.
    EXPECT_TRUE(fs::is_empty(m_Runtime));

    const std::string bytes = ReadFile(game / "CHILD_SAVE" / "error.log");
    std::u16string wide;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) | (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    const std::string log = WideToUtf8(wide);
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
    const ChildResult refused = RunEngine({game.string()}, noDisplay);
    EXPECT_EQ(refused.exitCode, kExitNoDisplay) << refused.stderrText;
    EXPECT_EQ(refused.LastLine().rfind("tarnwick: no display: SDL fell back to its invisible \"", 0), 0u)
        << refused.stderrText;
    EXPECT_FALSE(fs::exists(game / "CHILD_SAVE"));

    // A bounded unattended run may go without a display.
    std::map<std::string, std::optional<std::string>> bounded = noDisplay;
    bounded["TARNWICK_MAX_FRAMES"] = "2";
    const ChildResult ran = RunEngine({game.string()}, bounded);
    EXPECT_EQ(ran.exitCode, kExitNormal) << ran.stderrText;
}

TEST_F(StartupFailureTest, TheEngineReadsTheGamesDataTables)
{
    // The process entry installs the data services: a damaged table is logged by its reader.
    const fs::path game = MakeGame("tables");
    WriteFile(game / "data" / "db_rpmode.txt", "1\t0\n999\t1\n");
    const ChildResult result = RunEngine({game.string()}, {{"TARNWICK_MAX_FRAMES", "2"}});
    EXPECT_EQ(result.exitCode, kExitNormal) << result.stderrText;
    const std::string bytes = ReadFile(game / "CHILD_SAVE" / "error.log");
    std::u16string wide;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        wide.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    const std::string log = WideToUtf8(wide);
    EXPECT_NE(log.find("DBRPMode/ID out of range[data/db_rpmode.txt/999]"), std::string::npos) << log;
}

}  // namespace
