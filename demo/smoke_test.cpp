// The demo game played by the built engine as a child process: it runs its script to the end,
// prints its results into debug.log, leaves its shown lines marked read in "permanent.dat", ends
// well with nothing in error.log, and counts its runs.
#include "data/user_data_perman.h"
#include "foundation/wide_string.h"
#include "tests/support/engine_runner.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// APP_SAVEDIR of the game's configuration.
std::string SaveFolderName(const fs::path& game)
{
    std::ifstream in(game / "system" / "sysconf.ini");
    const std::string key = "APP_SAVEDIR=";
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(key, 0) == 0) {
            std::string name = line.substr(key.size());
            while (!name.empty() && (name.back() == '\r' || name.back() == ' ')) name.pop_back();
            return name;
        }
    }
    return {};
}

TEST(DemoSmoke, TheDemoRunsItsScriptAndEndsWell)
{
    // A copy of the demo without its save folder (another run of the demo may be writing
    // there), so that the save folder and logs are this run's alone.
    TestTempDir temp("tw_demo");
    ASSERT_TRUE(temp.Valid());
    const fs::path demo = TW_DEMO_GAME;
    const fs::path game = temp.Join("game");
    const std::string saveFolder = SaveFolderName(demo);
    ASSERT_FALSE(saveFolder.empty());
    fs::create_directory(game);
    for (const fs::directory_entry& entry : fs::directory_iterator(demo)) {
        if (entry.path().filename() == saveFolder)
            continue;
        std::error_code error;
        fs::copy(entry.path(), game / entry.path().filename(), fs::copy_options::recursive, error);
        ASSERT_FALSE(error) << entry.path() << ": " << error.message();
    }

    TestEngineRunner runner(TW_TARNWICK);
    ASSERT_TRUE(runner.Valid());
    runner.SetMaxFrames(200);
    // Clicks move the play screen past its messages sooner than waiting does.
    for (std::uint32_t pass = 10; pass < 200; pass += 10) {
        runner.AddInput(pass, "ldown 100 100");
        runner.AddInput(pass + 1, "lup 100 100");
    }
    // The second run of the same game folder finds the visit counter of the first in the
    // persistent data and greets the player as one who came back.
    for (const int play : {1, 2}) {
        SCOPED_TRACE("run " + std::to_string(play));
        const TestEngineResult result = runner.Run(game);
        ASSERT_TRUE(result.started);
        EXPECT_FALSE(result.timedOut);
        EXPECT_EQ(result.exitCode, 0) << result.stderrText;
        EXPECT_FALSE(result.saveFolder.empty());

        const std::string debug = result.DebugLogUtf8();
        const std::string plays = "plays " + std::to_string(play) + "\n";
        std::size_t from = 0;
        for (const char* line : {plays.c_str(), "sum 10\n", "ten\n", "twice 42\n", "first word Tarnwick\n",
                                 "rest engine\n", "half 1.500000\n", "power 1024.000000\n", "scores 3 40\n"}) {
            const std::size_t at = debug.find(line, from);
            EXPECT_NE(at, std::string::npos) << "missing or out of order: " << line << debug;
            if (at != std::string::npos) from = at + 1;
        }
        // The greeting of a first play was shown on the first run, the returning player's on the
        // second; the read marks add up over the runs.
        GxUserDataPerman flags;
        ASSERT_TRUE(LoadPermanentData(&flags, Utf8ToWide((result.saveFolder / "permanent.dat").string())));
        EXPECT_TRUE(flags.IsMessageRead(u"main", 33));
        EXPECT_EQ(flags.IsMessageRead(u"main", 35), play == 2);
        EXPECT_TRUE(flags.IsMessageRead(u"main", 37));
        // Warnings and errors share error.log: a clean run leaves it without a single line.
        const std::string errors = result.ErrorLogUtf8();
        EXPECT_EQ(errors.find_first_not_of("\n"), std::string::npos) << errors;
    }
}

}  // namespace
