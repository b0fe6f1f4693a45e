// The demo game played by the built engine as a child process: its title's start button begins
// the game, which runs its script to the end,
// prints its results into debug.log, shows its lines in the play screen's message window with the
// speaker's name above, leaves its shown lines marked read in "permanent.dat", ends well with
// nothing in error.log, and counts its runs.
#include "data/user_data_perman.h"
#include "foundation/wide_string.h"
#include "tests/support/engine_runner.h"
#include "tests/support/temp_dir.h"
#include "tests/support/ui/title_rows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

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

// Bright pixels (any channel above half) in the rectangle: glyphs on the dark window fill.
int Ink(const TestCapturedFrame& frame, std::uint32_t left, std::uint32_t top, std::uint32_t width,
        std::uint32_t height)
{
    int ink = 0;
    for (std::uint32_t y = top; y < top + height; ++y)
        for (std::uint32_t x = left; x < left + width; ++x) {
            const std::uint32_t pixel = frame.At(x, y);
            ink += ((pixel >> 16 & 0xFF) > 0x80 || (pixel >> 8 & 0xFF) > 0x80 || (pixel & 0xFF) > 0x80) ? 1 : 0;
        }
    return ink;
}

// The frame line of a window all round the rectangle the layout gives it.
bool Framed(const TestCapturedFrame& frame, std::uint32_t left, std::uint32_t top, std::uint32_t width,
            std::uint32_t height)
{
    constexpr std::uint32_t kWindowLine = 0xFFB0C0E0;
    const std::uint32_t middleX = left + width / 2;
    const std::uint32_t middleY = top + height / 2;
    return frame.At(left, middleY) == kWindowLine && frame.At(left + width - 1, middleY) == kWindowLine &&
           frame.At(middleX, top) == kWindowLine && frame.At(middleX, top + height - 1) == kWindowLine;
}

// Whether a page with its speaker was on screen: the message window where the layout puts it
// (32, 552; 960 x 192) with text in its text area (32, 28 inside), and the name window above it
// (32, 504; 200 x 40) with the name from 16, 8 inside.
bool ShowsSpeakerPage(const TestCapturedFrame& frame)
{
    return Framed(frame, 32, 552, 960, 192) && Ink(frame, 32 + 32, 552 + 28, 400, 32) > 20 &&
           Framed(frame, 32, 504, 200, 40) && Ink(frame, 32 + 16, 504 + 8, 48, 24) > 20;
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
    runner.SetMaxFrames(300);
    // Control held at the boot leaves the opening movie out; the title shows by pass 50, and its
    // start button begins the game.
    runner.AddInput(0, "keydown Left Ctrl");
    runner.AddInput(10, "keyup Left Ctrl");
    AddTitleClick(runner, 60, u"btn_title_start");
    // Clicks move the play screen past its messages sooner than waiting does.
    for (std::uint32_t pass = 100; pass < 300; pass += 10) {
        runner.AddInput(pass, "ldown 100 100");
        runner.AddInput(pass + 1, "lup 100 100");
    }
    // A page stays at least until the next click, so one of these frames shows it.
    std::vector<std::uint32_t> captures;
    for (std::uint32_t pass = 5; pass < 300; pass += 5)
        captures.push_back(pass);
    runner.SetCapturePasses(captures);
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
        EXPECT_TRUE(flags.IsMessageRead(u"main", 35));
        EXPECT_EQ(flags.IsMessageRead(u"main", 37), play == 2);
        EXPECT_TRUE(flags.IsMessageRead(u"main", 39));
        bool pageSeen = false;
        for (const auto& [pass, frame] : result.frames)
            pageSeen = pageSeen || ShowsSpeakerPage(frame);
        EXPECT_TRUE(pageSeen) << result.frames.size() << " frames captured";
        // Warnings and errors share error.log: a clean run leaves it without a single line.
        const std::string errors = result.ErrorLogUtf8();
        EXPECT_EQ(errors.find_first_not_of("\n"), std::string::npos) << errors;
    }
}

}  // namespace
