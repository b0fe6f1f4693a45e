// The demo game played by the built engine as a child process: its title's start button begins
// the story, whose first page shows in the play screen's message window with the speaker's name
// above; the page is marked read in "permanent.dat" and error.log stays empty.
#include "data/user_data_perman.h"
#include "demo/error_log_lines.h"
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

// The line number (from 1) of the first line of the script source that holds `text`.
std::int32_t ScriptLine(const fs::path& script, const std::string& text)
{
    std::ifstream in(script);
    std::int32_t number = 0;
    for (std::string line; std::getline(in, line);) {
        ++number;
        if (line.find(text) != std::string::npos)
            return number;
    }
    return 0;
}

TEST(DemoSmoke, TheTitleStartsTheStoryOnItsFirstPage)
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
    const std::int32_t firstLine = ScriptLine(fs::path(TW_DEMO_SOURCES) / "scripts" / "main.moa", "花子「おはよう");
    ASSERT_GT(firstLine, 0);

    // The title shows by pass 50; its start button begins the game. The first page follows the
    // scene's fade, background and character (about three seconds) and waits for a click that
    // never comes.
    TestEngineRunner runner(TW_TARNWICK);
    ASSERT_TRUE(runner.Valid());
    runner.SetTimeoutSeconds(240);
    runner.SetMaxFrames(480);
    // Control held at the boot leaves the opening movie out.
    runner.AddInput(0, "keydown Left Ctrl");
    runner.AddInput(10, "keyup Left Ctrl");
    AddTitleClick(runner, 60, u"btn_title_start");
    std::vector<std::uint32_t> captures;
    for (std::uint32_t pass = 200; pass < 480; pass += 20)
        captures.push_back(pass);
    runner.SetCapturePasses(captures);
    const TestEngineResult result = runner.Run(game);
    ASSERT_TRUE(result.started);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
    ASSERT_FALSE(result.saveFolder.empty());

    bool pageSeen = false;
    for (const auto& [pass, frame] : result.frames)
        pageSeen = pageSeen || ShowsSpeakerPage(frame);
    EXPECT_TRUE(pageSeen) << result.frames.size() << " frames captured";
    GxUserDataPerman flags;
    ASSERT_TRUE(LoadPermanentData(&flags, Utf8ToWide((result.saveFolder / "permanent.dat").string())));
    EXPECT_TRUE(flags.IsMessageRead(u"main", firstLine));
    // Warnings and errors share error.log: a clean run leaves it without a line of its own.
    for (const std::string& line : FaultLines(result.ErrorLogUtf8(), game))
        ADD_FAILURE() << "error.log: " << line;
}

}  // namespace
