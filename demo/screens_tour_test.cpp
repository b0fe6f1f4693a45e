// The demo's screens, visited by the built engine with scripted clicks: the title, a new game's
// play screen with its save screen and back-log, the configuration pages, back to the title, the
// load screen, both galleries, the music room and the debug screen, then the end through the
// shut-down dialog. Every screen must
// find its rows, image sets and pictures (nothing in error.log), and each captured screen must
// show its own background where no widget stands.
#include "demo/error_log_lines.h"
#include "graphics/png_image.h"
#include "tests/support/engine_runner.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Where the demo's layout puts the buttons the tour clicks (their middles).
struct Point {
    std::uint32_t x, y;
};
// The message window's row of buttons (window at 32, 552; buttons 62 wide every 66 from 294,
// 30 above it).
constexpr Point kPlaySave{326 + 2 * 66 + 31, 534};
constexpr Point kPlayLog{326 + 6 * 66 + 31, 534};
constexpr Point kPlayConfig{326 + 8 * 66 + 31, 534};
// The title's column of buttons (240 x 44 from 392, 300, every 52).
constexpr Point TitleButton(std::uint32_t row)
{
    return Point{512, 322 + 52 * row};
}
constexpr Point kTitleStart = TitleButton(0);
constexpr Point kTitleLoad = TitleButton(1);
constexpr Point kTitleVisual = TitleButton(2);
constexpr Point kTitleEvent = TitleButton(3);
constexpr Point kTitleMusic = TitleButton(4);
constexpr Point kTitleConfig = TitleButton(5);
// The configuration screen's tabs and its title button; every screen's back button.
constexpr Point ConfigTab(std::uint32_t tab)
{
    return Point{475 + 150 * tab, 40};
}
constexpr Point kConfigTitle{784, 724};
constexpr Point kBack{928, 724};
// The system layer's question: its yes button.
constexpr Point kDialogYes{446, 304};

// Passes a screen is given to fade in and settle before its frame is captured, and between
// one click and the next.
constexpr std::uint32_t kSettle = 75;
constexpr std::uint32_t kStep = 90;

bool Near(std::uint32_t a, std::uint32_t b)
{
    for (int shift = 0; shift <= 16; shift += 8) {
        const int ca = int(a >> shift & 0xFF), cb = int(b >> shift & 0xFF);
        if (ca - cb > 3 || cb - ca > 3)
            return false;
    }
    return true;
}

// Points that no widget of any screen covers (nor the status line at the top left).
constexpr Point kFreePoints[] = {{20, 700}, {300, 740}, {1010, 300}, {830, 100}};

// The scripted tour: clicks as pass-numbered events, and which frame should show which screen.
class Tour {
public:
    explicit Tour(TestEngineRunner& runner) : m_Runner(runner) {}

    void Click(Point point)
    {
        m_Runner.AddInput(m_Pass, "ldown " + std::to_string(point.x) + " " + std::to_string(point.y));
        m_Runner.AddInput(m_Pass + 1, "lup " + std::to_string(point.x) + " " + std::to_string(point.y));
        m_Pass += kStep;
    }
    void Key(const std::string& event) { m_Runner.AddInput(m_Pass++, event); }
    void Wait(std::uint32_t passes) { m_Pass += passes; }
    // The screen reached by the last click: its frame is captured once it has settled.
    void Expect(const std::string& screen, const char* background)
    {
        m_Captures.push_back(Capture{m_Pass - kStep + kSettle, screen, background});
    }
    void Close()
    {
        m_Runner.AddInput(m_Pass, "close");
        m_Pass += kStep;
    }

    std::uint32_t LastPass() const { return m_Pass; }
    struct Capture {
        std::uint32_t pass;
        std::string screen;
        const char* background;   // under "cg/ui/", or null
    };
    const std::vector<Capture>& Captures() const { return m_Captures; }

private:
    TestEngineRunner& m_Runner;
    std::uint32_t m_Pass = 100;
    std::vector<Capture> m_Captures;
};

TEST(DemoScreensTour, EveryScreenFindsItsRowsImagesAndBackground)
{
    TestTempDir temp("tw_demo_tour");
    ASSERT_TRUE(temp.Valid());
    const fs::path demo = TW_DEMO_GAME;
    const fs::path game = temp.Join("game");
    const std::string saveFolder = TestGameSaveFolderName(demo);
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
    // Control held from the start passes over an opening movie; the title follows the boot.
    runner.AddInput(0, "keydown Left Ctrl");
    runner.AddInput(40, "keyup Left Ctrl");
    Tour tour(runner);
    tour.Click(kTitleStart);
    // The new game fades in, shows its background and character, and then its first line with
    // the message window's buttons (about three seconds).
    tour.Wait(3 * kStep);
    tour.Click(kPlaySave);
    tour.Expect("save", "bg_save.png");
    tour.Click(kBack);
    tour.Click(kPlayLog);
    tour.Expect("back-log", "bg_avglog.png");
    tour.Click(kBack);
    tour.Click(kPlayConfig);
    tour.Expect("configuration, system page", "bg_config_system.png");
    tour.Click(kConfigTitle);
    tour.Click(kDialogYes);
    tour.Expect("title", "bg_title.png");
    tour.Click(kTitleConfig);
    tour.Click(ConfigTab(1));
    tour.Expect("configuration, sound page", "bg_config_sound.png");
    tour.Click(ConfigTab(2));
    tour.Expect("configuration, voice page", "bg_config_voice.png");
    tour.Click(ConfigTab(3));
    tour.Expect("configuration, game page", "bg_config_game.png");
    tour.Click(kBack);
    tour.Click(kTitleLoad);
    tour.Expect("load", "bg_load.png");
    tour.Click(kBack);
    tour.Click(kTitleVisual);
    tour.Expect("picture gallery", "bg_cgmode.png");
    tour.Click(kBack);
    tour.Click(kTitleEvent);
    tour.Expect("replay gallery", "bg_rpmode.png");
    tour.Click(kBack);
    tour.Click(kTitleMusic);
    tour.Expect("music room", "bg_bgmmode.png");
    tour.Click(kBack);
    tour.Key("keydown Left Shift");
    tour.Click(kTitleStart);
    tour.Key("keyup Left Shift");
    tour.Expect("debug", nullptr);
    tour.Click(kBack);
    tour.Expect("title again", "bg_title.png");
    tour.Close();
    tour.Click(kDialogYes);

    std::vector<std::uint32_t> passes;
    for (const Tour::Capture& capture : tour.Captures())
        passes.push_back(capture.pass);
    runner.SetCapturePasses(passes);
    // The tour ends through the shut-down question; the bound only stops a run gone astray.
    runner.SetMaxFrames(tour.LastPass() + 600);
    const TestEngineResult result = runner.Run(game);
    ASSERT_TRUE(result.started);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;

    for (const std::string& line : FaultLines(result.ErrorLogUtf8(), game))
        ADD_FAILURE() << "error.log: " << line;

    for (const Tour::Capture& capture : tour.Captures()) {
        SCOPED_TRACE(capture.screen);
        const auto frame = result.frames.find(capture.pass);
        ASSERT_NE(frame, result.frames.end());
        if (capture.background == nullptr) {
            // The debug screen has no background: its list boxes' frames stand on black.
            EXPECT_TRUE(Near(frame->second.At(40, 400), 0xFF909090));
            EXPECT_TRUE(Near(frame->second.At(20, 700), 0xFF000000));
            continue;
        }
        const TestCapturedFrame background = ReadTestPicture(game / "cg" / "ui" / capture.background);
        ASSERT_EQ(background.width, 1024u);
        for (const Point point : kFreePoints)
            EXPECT_TRUE(Near(frame->second.At(point.x, point.y), background.At(point.x, point.y)))
                << "at " << point.x << ", " << point.y << ": " << std::hex << frame->second.At(point.x, point.y)
                << " against " << background.At(point.x, point.y);
    }
}

}  // namespace
