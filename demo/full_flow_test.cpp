// The demo game played from boot to exit by the built engine with scripted input, the way a player
// meets it: each run on a copy of the built demo folder with its own home and runtime folders,
// captured at settled moments and checked with pixel probes, its save folder read back with the
// data library's readers. The runs are separate ctest entries so that they run side by side.
#include "data/user_config.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "foundation/bin_buffer.h"
#include "foundation/wide_string.h"
#include "graphics/png_image.h"
#include "tests/support/engine_runner.h"
#include "tests/support/temp_dir.h"
#include "tests/support/ui/system_layer_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// ---- where the demo's layout puts what the runs click (centres, client coordinates) ----------

struct Point {
    std::int32_t x, y;
};

// The title's column of buttons (240 x 44 from 392, 300, every 52).
constexpr Point TitleButton(std::int32_t row)
{
    return Point{392 + 120, 300 + 22 + 52 * row};
}
constexpr Point kTitleStart = TitleButton(0);
constexpr Point kTitleLoad = TitleButton(1);
constexpr Point kTitleVisual = TitleButton(2);
constexpr Point kTitleEvent = TitleButton(3);
constexpr Point kTitleMusic = TitleButton(4);
constexpr Point kTitleExtra = TitleButton(6);
// Every screen's back button (128 x 40 at 864, 704).
constexpr Point kBack{864 + 64, 704 + 20};
// The shut-down dialog (centred, 120 above the middle) and its yes at the left of its bottom row.
constexpr Point kDialogYes{(1024 - kSystemDialogWidth) / 2 + 84 + kSystemButtonWidth / 2,
                           (768 - kSystemDialogHeight) / 2 - 120 + 120 + kSystemButtonHeight / 2};

// Passes a screen is given after the click that brings it: its 400 ms fade (24 passes at the
// paced 60 a second) with a wide margin. A slower run reaches the settled picture in fewer passes.
constexpr std::uint32_t kStep = 90;

// ---- the game folder ---------------------------------------------------------------------------

// A copy of the built demo in `folder`, without the save folder a played demo may have (this
// run's saves and logs are its own). Empty on failure, with the reason added to the test.
fs::path CopyDemo(const TestTempDir& temp)
{
    const fs::path demo = TW_DEMO_GAME;
    const fs::path game = temp.Join("game");
    const std::string saveFolder = TestGameSaveFolderName(demo);
    std::error_code error;
    if (saveFolder.empty() || !fs::create_directory(game, error)) {
        ADD_FAILURE() << "cannot copy the demo from " << demo;
        return {};
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(demo)) {
        if (entry.path().filename() == saveFolder)
            continue;
        fs::copy(entry.path(), game / entry.path().filename(), fs::copy_options::recursive, error);
        if (error) {
            ADD_FAILURE() << entry.path() << ": " << error.message();
            return {};
        }
    }
    return game;
}

// ---- the scripted run -----------------------------------------------------------------------------

// Input events at main-loop passes, one step after another, and the passes to capture, by name.
// The steps are plain data, so the runs after the story find its frames by the same names.
class Flow {
public:
    explicit Flow(std::uint32_t first = 0) : m_Pass(first) {}

    // A click the way a player makes one: the pointer moves there, the button goes down two
    // passes later and up on the next; then the screen it brings gets `passes` to settle.
    void Click(Point point, std::uint32_t passes = kStep)
    {
        const std::string at = " " + std::to_string(point.x) + " " + std::to_string(point.y);
        Add(m_Pass, "move" + at);
        Add(m_Pass + 2, "ldown" + at);
        Add(m_Pass + 3, "lup" + at);
        m_Pass += passes;
    }
    void Move(Point point, std::uint32_t passes = 10)
    {
        Add(m_Pass, "move " + std::to_string(point.x) + " " + std::to_string(point.y));
        m_Pass += passes;
    }
    // A drag from one point to another in `moves` steps, a pass apart.
    void Drag(Point from, Point to, std::uint32_t moves = 8, std::uint32_t passes = kStep / 2)
    {
        const auto at = [](std::int32_t x, std::int32_t y) { return " " + std::to_string(x) + " " + std::to_string(y); };
        Add(m_Pass, "move" + at(from.x, from.y));
        Add(m_Pass + 2, "ldown" + at(from.x, from.y));
        std::uint32_t pass = m_Pass + 4;
        for (std::int32_t i = 1; i <= std::int32_t(moves); ++i, ++pass)
            Add(pass, "move" + at(from.x + (to.x - from.x) * i / std::int32_t(moves),
                                  from.y + (to.y - from.y) * i / std::int32_t(moves)));
        Add(pass + 1, "lup" + at(to.x, to.y));
        m_Pass = pass + passes;
    }
    void Key(const std::string& event, std::uint32_t passes = 1)
    {
        Add(m_Pass, event);
        m_Pass += passes;
    }
    void Wait(std::uint32_t passes) { m_Pass += passes; }
    // The frame of the current pass, kept under `name`.
    void Capture(const std::string& name)
    {
        m_Captures[name] = m_Pass;
        ++m_Pass;
    }
    // The window's close box, then the shut-down dialog's yes.
    void ExitThroughDialog()
    {
        Add(m_Pass, "close");
        m_Pass += kStep / 2;
        Click(kDialogYes);
    }
    // Hands the events and captures to the runner and bounds the run well past its last step
    // (the run ends by itself long before; the bound only stops one gone astray).
    void Apply(TestEngineRunner& runner) const
    {
        runner.ClearInput();
        for (const auto& [pass, event] : m_Events)
            runner.AddInput(pass, event);
        std::vector<std::uint32_t> passes;
        for (const auto& [name, pass] : m_Captures)
            passes.push_back(pass);
        std::sort(passes.begin(), passes.end());
        runner.SetCapturePasses(passes);
        runner.SetMaxFrames(m_Pass + 600);
    }

    std::uint32_t Pass() const { return m_Pass; }
    std::uint32_t PassOf(const std::string& name) const { return m_Captures.at(name); }
    const std::map<std::string, std::uint32_t>& Captures() const { return m_Captures; }

private:
    void Add(std::uint32_t pass, std::string event) { m_Events.emplace_back(pass, std::move(event)); }

    std::uint32_t m_Pass;
    std::vector<std::pair<std::uint32_t, std::string>> m_Events;
    std::map<std::string, std::uint32_t> m_Captures;
};

// With TW_FULL_FLOW_DUMP naming a folder, every captured frame of the run is written there as
// "<step>.png" too, for a person changing the flow to look at.
void DumpFrames(const std::map<std::uint32_t, TestCapturedFrame>& frames, const Flow& flow)
{
    const char* folder = std::getenv("TW_FULL_FLOW_DUMP");
    if (folder == nullptr)
        return;
    for (const auto& [name, pass] : flow.Captures()) {
        const auto found = frames.find(pass);
        if (found != frames.end())
            WritePngFile((fs::path(folder) / (name + ".png")).u16string().c_str(), found->second.width,
                         found->second.height, found->second.pixels.data());
    }
}

// The captured frame of the named step; null (and a failure) when it is missing.
const TestCapturedFrame* Frame(const std::map<std::uint32_t, TestCapturedFrame>& frames, const Flow& flow,
                               const std::string& name)
{
    const auto found = frames.find(flow.PassOf(name));
    if (found == frames.end() || found->second.width != 1024 || found->second.height != 768) {
        ADD_FAILURE() << "no frame captured for " << name;
        return nullptr;
    }
    return &found->second;
}

// ---- checks shared by the runs ---------------------------------------------------------------

struct Rect {
    std::uint32_t left, top, width, height;
    bool Holds(std::uint32_t x, std::uint32_t y) const
    {
        return x >= left && x < left + width && y >= top && y < top + height;
    }
};

// The click-wait mark, which bobs in real time (24 x 24 at 904, 148 in the message window).
constexpr Rect kWaitMark{32 + 904, 552 + 148, 24, 24};

// Pixels of two frames that differ (alpha aside), outside the rectangles left out; all of them
// when a frame is missing.
std::size_t DifferingPixels(const TestCapturedFrame* a, const TestCapturedFrame* b, const std::vector<Rect>& leftOut = {})
{
    if (a == nullptr || b == nullptr)
        return std::size_t(1024) * 768;
    std::size_t differing = 0;
    for (std::uint32_t y = 0; y < 768; ++y)
        for (std::uint32_t x = 0; x < 1024; ++x) {
            const bool skipped = std::any_of(leftOut.begin(), leftOut.end(), [&](const Rect& r) { return r.Holds(x, y); });
            differing += !skipped && ((a->At(x, y) ^ b->At(x, y)) & 0xFFFFFFu) != 0;
        }
    return differing;
}

int ChannelDistance(std::uint32_t a, std::uint32_t b)
{
    int most = 0;
    for (int shift : {0, 8, 16}) {
        const int difference = int((a >> shift) & 0xFFu) - int((b >> shift) & 0xFFu);
        most = std::max(most, std::abs(difference));
    }
    return most;
}

// Pixels of two frames that differ inside the rectangle.
std::size_t DifferingPixelsIn(const TestCapturedFrame* a, const TestCapturedFrame* b, const Rect& inside)
{
    return DifferingPixels(a, b, {{0, 0, 1024, inside.top},
                                  {0, inside.top + inside.height, 1024, 768},
                                  {0, 0, inside.left, 768},
                                  {inside.left + inside.width, 0, 1024, 768}});
}

// Bright pixels (a channel above 0xC0) in the rectangle: glyphs on a dark window.
int Ink(const TestCapturedFrame* frame, std::uint32_t left, std::uint32_t top, std::uint32_t width,
        std::uint32_t height)
{
    int ink = 0;
    for (std::uint32_t y = top; frame != nullptr && y < top + height; ++y)
        for (std::uint32_t x = left; x < left + width; ++x) {
            const std::uint32_t pixel = frame->At(x, y);
            ink += ((pixel >> 16 & 0xFF) > 0xC0 || (pixel >> 8 & 0xFF) > 0xC0 || (pixel & 0xFF) > 0xC0) ? 1 : 0;
        }
    return ink;
}

std::uint32_t PixelAt(const TestCapturedFrame* frame, Point point)
{
    return frame != nullptr ? frame->At(point.x, point.y) : 0u;
}

std::string ReadFileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Points where no widget of any screen stands.
constexpr Point kFreePoints[] = {{20, 700}, {300, 740}, {1010, 300}, {830, 100}};

// Whether the frame shows the screen background "cg/ui/<name>" of the game where no widget is.
::testing::AssertionResult ShowsBackground(const TestCapturedFrame* frame, const fs::path& game, const char* name)
{
    if (frame == nullptr)
        return ::testing::AssertionFailure() << "no frame";
    const TestCapturedFrame background = ReadTestPicture(game / "cg" / "ui" / name);
    if (background.width != 1024)
        return ::testing::AssertionFailure() << "no background " << name;
    for (const Point point : kFreePoints) {
        const std::uint32_t seen = frame->At(point.x, point.y), drawn = background.At(point.x, point.y);
        if (ChannelDistance(seen, drawn) > 3)
            return ::testing::AssertionFailure() << "not " << name << " at " << point.x << ", " << point.y << ": "
                                                 << std::hex << seen << " against " << drawn;
    }
    return ::testing::AssertionSuccess();
}

// The run started, ended by itself with exit code 0, and left error.log without a line.
void ExpectCleanEnd(const TestEngineResult& result)
{
    ASSERT_TRUE(result.started);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
    EXPECT_FALSE(result.saveFolder.empty());
    std::istringstream lines(result.ErrorLogUtf8());
    for (std::string line; std::getline(lines, line);)
        if (!line.empty())
            ADD_FAILURE() << "error.log: " << line;
}

std::string SlotName(const char* stem, std::int32_t slot, const char* extension)
{
    char name[32];
    std::snprintf(name, sizeof name, "%s%03d.%s", stem, int(slot), extension);
    return name;
}

// A saved game in the binary form ('B' first) whose header reads back, naming the play screen.
void ExpectGameData(const fs::path& file)
{
    SCOPED_TRACE(file.filename().string());
    const std::string bytes = ReadFileBytes(file);
    ASSERT_FALSE(bytes.empty());
    EXPECT_EQ(bytes[0], 'B');
    GxGameDataHeader header;
    ASSERT_TRUE(ReadGameDataHeader(file.u16string(), &header));
    EXPECT_TRUE(header.m_Valid);
    EXPECT_FALSE(header.m_SaveTime.empty());
    EXPECT_EQ(WideToUtf8(header.m_RestoreSequence), "SeqAvgMain");
}

// The mean of the 8 x 8 block (column, row) of a frame.
std::uint32_t BlockMean(const TestCapturedFrame& frame, std::uint32_t column, std::uint32_t row)
{
    std::uint32_t sums[3] = {0, 0, 0};
    for (std::uint32_t y = 0; y < 8; ++y)
        for (std::uint32_t x = 0; x < 8; ++x) {
            const std::uint32_t pixel = frame.At(column * 8 + x, row * 8 + y);
            for (int c = 0; c < 3; ++c)
                sums[c] += (pixel >> (16 - 8 * c)) & 0xFFu;
        }
    return 0xFF000000u | (sums[0] / 64) << 16 | (sums[1] / 64) << 8 | (sums[2] / 64);
}

// Slot `slot` of the save folder: its game data, and its thumbnail of 128 x 96 whose every
// pixel is the mean of its 8 x 8 block of what the player saw when the save button was clicked.
void ExpectSavedSlot(const fs::path& saves, std::int32_t slot, const TestCapturedFrame* seen)
{
    ExpectGameData(saves / SlotName("gamedata", slot, "gd"));
    const TestCapturedFrame thumb = ReadTestPicture(saves / SlotName("thumb", slot, "png"));
    ASSERT_EQ(thumb.width, 128u);
    ASSERT_EQ(thumb.height, 96u);
    ASSERT_NE(seen, nullptr);
    // The click-wait mark bobs in real time: the blocks it touches may show another phase.
    int wrong = 0;
    for (std::uint32_t row = 0; row < 96; ++row)
        for (std::uint32_t column = 0; column < 128; ++column) {
            const bool mark = column * 8 + 8 > kWaitMark.left && column * 8 < kWaitMark.left + kWaitMark.width &&
                              row * 8 + 8 > kWaitMark.top && row * 8 < kWaitMark.top + kWaitMark.height;
            wrong += !mark && ChannelDistance(thumb.At(column, row), BlockMean(*seen, column, row)) > 1;
        }
    EXPECT_EQ(wrong, 0) << "thumbnail pixels away from the frame's block means";
}

GxUserConfig ReadOptions(const fs::path& saves)
{
    const std::string bytes = ReadFileBytes(saves / "userconf.dat");
    GxUserConfig options;
    GxBinBuffer buffer;
    if (bytes.empty()) {
        ADD_FAILURE() << "no userconf.dat";
        return options;
    }
    std::copy(bytes.begin(), bytes.end(), buffer.Allocate(static_cast<std::uint32_t>(bytes.size())));
    EXPECT_TRUE(DecodeUserConfig(&options, buffer, nullptr));
    return options;
}

GxUserDataPerman ReadPermanent(const fs::path& saves)
{
    GxUserDataPerman permanent;
    EXPECT_TRUE(LoadPermanentData(&permanent, (saves / "permanent.dat").u16string()));
    return permanent;
}

// ---- the story: run 1 ---------------------------------------------------------------------------

// The play screen: the row of buttons along the message window's top (62 x 24 every 66 from 326,
// 522), a point in the message window's text, the choice buttons (480 x 40, centred, one every
// 50 rows from 226), and the configuration screen's tabs and title button.
constexpr Point PlayButton(std::int32_t column)
{
    return Point{326 + 66 * column + 31, 522 + 12};
}
constexpr Point kPlayQuickSave = PlayButton(0);
constexpr Point kPlaySave = PlayButton(2);
constexpr Point kPlayLog = PlayButton(6);
constexpr Point kPlayConfig = PlayButton(8);
constexpr Point kMessage{500, 660};
constexpr Point Choice(std::int32_t item)
{
    return Point{512, 226 + 50 * (item - 1) + 20};
}
// The file screens' plate 0 (464 x 112 at 52, 150).
constexpr Point kFilePlate0{52 + 232, 150 + 56};

// A page's reveal (60 ms a character, the longest line about 35) with a margin, before the
// click that moves on.
constexpr std::uint32_t kPage = 170;
// A scene's opening: fade-in, background transition, the pauses and the first page's reveal.
constexpr std::uint32_t kSceneOpening = 420;

constexpr int kMovieFrames = 6;

// Run 1: boot, the movie, the title, a new game through its three scenes with the back-log, a
// save into slot 1 (the first plate of the first page), a quick save, the choice's second answer, back to the title with the extra
// button enabled, and out through the shut-down dialog.
void PlayStory(Flow& flow)
{
    // The movie's start waits for the boot and the decoder, which take their time on a loaded
    // machine; of frames half a second apart, one falls within its three seconds.
    for (int frame = 1; frame <= kMovieFrames; ++frame) {
        flow.Wait(29);
        flow.Capture("movie " + std::to_string(frame));
    }
    flow.Click({20, 700});   // the movie ends at a click (or has ended); the title fades in
    flow.Capture("title");
    flow.Click(kTitleStart, kSceneOpening);
    flow.Capture("scene 1");
    flow.Click(kPlayLog);
    flow.Capture("back-log");
    flow.Click(kBack);
    flow.Move(kPlaySave, 20);
    flow.Capture("before save");
    flow.Click(kPlaySave);
    flow.Capture("save screen");
    flow.Click(kFilePlate0, kStep / 2);
    flow.Click(kDialogYes);
    flow.Capture("saved");
    flow.Click(kBack);
    for (int page = 2; page <= 5; ++page)
        flow.Click(kMessage, kPage);
    flow.Click(kMessage, kSceneOpening);
    flow.Capture("scene 2");
    flow.Click(kPlayQuickSave, kStep);
    flow.Click(kMessage, kPage);            // page 2
    flow.Click(kMessage, kPage + 60);       // the flash and the shake, page 3
    flow.Click(kMessage, kPage + 150);      // the event picture and the notice, page 4
    flow.Click(kMessage, kStep + 30);       // the choice fades in
    flow.Capture("choice");
    flow.Click(Choice(2), kPage);
    flow.Capture("second answer");
    flow.Click(kMessage, kSceneOpening);
    flow.Capture("scene 3");
    flow.Click(kMessage, kPage);
    flow.Click(kMessage, kPage);
    flow.Click(kMessage, kPage);            // the closing message
    flow.Click(kMessage, kStep + 60);       // the title again, with its call
    flow.Capture("title after story");
    flow.ExitThroughDialog();
}

Flow StoryFlow()
{
    Flow flow;
    PlayStory(flow);
    return flow;
}

// Where the story run leaves its save folder and frames for the runs that follow it under ctest
// (a fixture); unset when a run is started on its own, which then plays the story itself.
fs::path KeptStoryFolder()
{
    const char* folder = std::getenv("TW_FULL_FLOW_KEEP");
    return folder != nullptr ? fs::path(folder) : fs::path();
}

// What the runs after the story start from: its save folder and its frames by pass.
struct StoryState {
    fs::path saves;
    std::map<std::uint32_t, TestCapturedFrame> frames;
};

std::string FrameFileName(std::uint32_t pass)
{
    char name[32];
    std::snprintf(name, sizeof name, "pass%06u.png", unsigned(pass));
    return name;
}

// Run 1 on `game` (a fresh copy of the demo): its result after the shared checks.
TestEngineResult RunStory(const fs::path& game, const Flow& story, bool alwaysCompose)
{
    TestEngineRunner runner(TW_TARNWICK);
    EXPECT_TRUE(runner.Valid());
    story.Apply(runner);
    if (alwaysCompose)
        runner.SetEnvironment("TARNWICK_ALWAYS_COMPOSE", "1");
    TestEngineResult result = runner.Run(game);
    DumpFrames(result.frames, story);
    ExpectCleanEnd(result);
    return result;
}

// The story's save folder put into the save folder of `game` (a fresh copy of the demo), and its
// frames: those the fixture run kept, or those of the story played here on `game` when no run
// kept them. False (with a failure added) when neither gives them.
bool ObtainStory(const fs::path& game, const Flow& story, StoryState* state)
{
    state->saves = game / TestGameSaveFolderName(game);
    const fs::path kept = KeptStoryFolder();
    if (!kept.empty() && fs::exists(kept / "done")) {
        std::error_code error;
        fs::copy(kept / "saves", state->saves, fs::copy_options::recursive, error);
        if (error) {
            ADD_FAILURE() << "cannot copy the kept save folder: " << error.message();
            return false;
        }
        for (const auto& [name, pass] : story.Captures())
            state->frames[pass] = ReadTestPicture(kept / "frames" / FrameFileName(pass));
        return true;
    }
    TestEngineResult result = RunStory(game, story, false);
    state->frames = std::move(result.frames);
    return !::testing::Test::HasFailure() && result.saveFolder == state->saves;
}

// The story's save folder and frames kept for the runs that follow (see KeptStoryFolder).
void KeepStory(const TestEngineResult& result)
{
    const fs::path kept = KeptStoryFolder();
    if (kept.empty())
        return;
    std::error_code error;
    fs::create_directories(kept / "frames", error);
    fs::copy(result.saveFolder, kept / "saves", fs::copy_options::recursive, error);
    ASSERT_FALSE(error) << error.message();
    for (const auto& [pass, frame] : result.frames)
        ASSERT_EQ(WritePngFile((kept / "frames" / FrameFileName(pass)).u16string().c_str(), frame.width, frame.height,
                               frame.pixels.data()),
                  1);
    std::ofstream(kept / "done") << "kept\n";
}

// ---- the runs ----------------------------------------------------------------------------------


TEST(DemoFullFlow, TheStoryFromBootToTheTitleAgain)
{
    const fs::path kept = KeptStoryFolder();
    if (!kept.empty()) {
        std::error_code ignored;
        fs::remove_all(kept, ignored);
    }
    TestTempDir temp("tw_demo_story");
    ASSERT_TRUE(temp.Valid());
    const fs::path game = CopyDemo(temp);
    ASSERT_FALSE(game.empty());
    const Flow flow = StoryFlow();
    const TestEngineResult result = RunStory(game, flow, false);
    const fs::path saves = result.saveFolder;
    ASSERT_FALSE(saves.empty());
    const auto& frames = result.frames;

    // The opening movie: evening bands (never black, never the title's background) in one of
    // the frames.
    int movieFrames = 0;
    for (int frame = 1; frame <= kMovieFrames; ++frame) {
        const TestCapturedFrame* movie = Frame(frames, flow, "movie " + std::to_string(frame));
        movieFrames += !ShowsBackground(movie, game, "bg_title.png") &&
                       ChannelDistance(PixelAt(movie, {20, 700}), 0xFF000000u) > 40 &&
                       ChannelDistance(PixelAt(movie, {1000, 100}), 0xFF000000u) > 40;
    }
    EXPECT_GT(movieFrames, 0);
    const TestCapturedFrame* title = Frame(frames, flow, "title");
    EXPECT_TRUE(ShowsBackground(title, game, "bg_title.png"));

    // Scene 1: the room behind Hana, her name, and the first page with the ruby "ふしぎ" over
    // "不思議" only, in the band above the line (the text from 64, 580 in the message window).
    const TestCapturedFrame* scene1 = Frame(frames, flow, "scene 1");
    const TestCapturedFrame room = ReadTestPicture(game / "cg" / "bg" / "bg_room.png");
    for (const Point point : {Point{20, 100}, Point{980, 200}, Point{150, 300}})
        EXPECT_LE(ChannelDistance(PixelAt(scene1, point), room.At(point.x, point.y)), 3) << point.x << ", " << point.y;
    for (const Point point : {Point{512, 250}, Point{512, 450}})
        EXPECT_GT(ChannelDistance(PixelAt(scene1, point), room.At(point.x, point.y)), 30) << "no character at " << point.x;
    EXPECT_GT(Ink(scene1, 48, 512, 100, 24), 20);            // the name
    EXPECT_GT(Ink(scene1, 64, 592, 600, 24), 300);           // the line
    EXPECT_GT(Ink(scene1, 320, 578, 50, 12), 10);            // the ruby over 不思議
    EXPECT_EQ(Ink(scene1, 64, 578, 240, 12), 0);             // none over the words before it
    // The back-log: its first row holds the page.
    const TestCapturedFrame* log = Frame(frames, flow, "back-log");
    EXPECT_TRUE(ShowsBackground(log, game, "bg_avglog.png"));
    EXPECT_GT(Ink(log, 64, 140, 600, 40), 200);

    // The choice: its two buttons over the sunset, and the second answer's page after it.
    const TestCapturedFrame* choice = Frame(frames, flow, "choice");
    EXPECT_GT(Ink(choice, 272, 226, 480, 40), 100);
    EXPECT_GT(Ink(choice, 272, 276, 480, 40), 100);
    EXPECT_EQ(PixelAt(choice, {273, 246}), PixelAt(choice, {273, 296}));   // both framed alike
    const TestCapturedFrame* answer = Frame(frames, flow, "second answer");
    EXPECT_NE(PixelAt(answer, {273, 246}), PixelAt(choice, {273, 246}));   // the buttons gone
    EXPECT_GT(Ink(answer, 64, 592, 400, 24), 100);
    EXPECT_TRUE(ShowsBackground(Frame(frames, flow, "back-log"), game, "bg_avglog.png"));
    EXPECT_TRUE(ShowsBackground(Frame(frames, flow, "save screen"), game, "bg_save.png"));
    // Back at the title, the extra button is enabled: its look changed, the start button's not.
    const TestCapturedFrame* titleAgain = Frame(frames, flow, "title after story");
    EXPECT_TRUE(ShowsBackground(titleAgain, game, "bg_title.png"));
    const Point extraFill{kTitleExtra.x - 100, kTitleExtra.y}, startFill{kTitleStart.x - 100, kTitleStart.y};
    EXPECT_GT(ChannelDistance(PixelAt(title, extraFill), PixelAt(titleAgain, extraFill)), 20);
    EXPECT_EQ(PixelAt(title, startFill), PixelAt(titleAgain, startFill));

    ExpectSavedSlot(saves, 1, Frame(frames, flow, "before save"));
    ExpectGameData(saves / "gamedata_quick.gd");
    const GxUserDataPerman permanent = ReadPermanent(saves);
    EXPECT_EQ(permanent.m_ShowedCGFlags.count(u"ev_sunset"), 1u);
    EXPECT_EQ(permanent.m_ShowedCGFlags.count(u"ev_panorama"), 1u);
    EXPECT_EQ(permanent.m_ShowedCGFlags.count(u"ev_letter"), 0u);
    EXPECT_EQ(permanent.m_PassedReplayLabels, (std::set<std::u16string>{u"SCENE1", u"SCENE2", u"SCENE3"}));
    EXPECT_NE(permanent.m_ExtraOption & (1u << 10), 0u);
    // The pages shown (5 in scene 1, 4 and the second answer's in scene 2, 4 in scene 3).
    ASSERT_EQ(permanent.m_ReadedMessageFlags.count(u"main"), 1u);
    int read = 0;
    for (std::int32_t line = 0; line < 400; ++line)
        read += permanent.IsMessageRead(u"main", line) ? 1 : 0;
    EXPECT_EQ(read, 14);

    if (!HasFailure())
        KeepStory(result);
}

// The story once more with every frame composed and presented: each captured picture is the one
// the run that skips unchanged frames showed.
TEST(DemoFullFlow, TheStoryShowsTheSamePicturesWhenEveryFrameIsComposed)
{
    TestTempDir temp("tw_demo_compose");
    ASSERT_TRUE(temp.Valid());
    const Flow flow = StoryFlow();
    StoryState skipping;
    {
        TestTempDir first("tw_demo_skipping");
        ASSERT_TRUE(first.Valid());
        const fs::path game = CopyDemo(first);
        ASSERT_FALSE(game.empty());
        ASSERT_TRUE(ObtainStory(game, flow, &skipping));
    }
    const fs::path game = CopyDemo(temp);
    ASSERT_FALSE(game.empty());
    const TestEngineResult composing = RunStory(game, flow, true);
    // Left out as well: Mio, drawn by her motion project, breathes in real time; the saved
    // slot's plate shows the time of the save, and its thumbnail (128 x 96 at 52, 150) the
    // wait mark in the phase of the save click.
    const Rect mio{600, 0, 320, 768};
    const Rect saveTime{200, 150, 240, 30};
    const Rect thumbMark{52 + kWaitMark.left / 8, 150 + kWaitMark.top / 8, kWaitMark.width / 8 + 1, kWaitMark.height / 8 + 1};
    const std::map<std::string, std::vector<Rect>> moving = {
        {"scene 2", {mio}}, {"scene 3", {mio}}, {"second answer", {mio}}, {"saved", {saveTime, thumbMark}}};
    for (const auto& [name, pass] : flow.Captures()) {
        if (name.rfind("movie", 0) == 0)
            continue;   // a moving picture: which frame shows depends on the time taken
        SCOPED_TRACE(name);
        std::vector<Rect> leftOut{kWaitMark};
        if (const auto found = moving.find(name); found != moving.end())
            leftOut.insert(leftOut.end(), found->second.begin(), found->second.end());
        EXPECT_EQ(DifferingPixels(Frame(skipping.frames, flow, name), Frame(composing.frames, flow, name), leftOut), 0u);
    }
}

// ---- the second run: load, configuration, the extras -----------------------------------------

// The configuration screen: its tabs (150 x 40 from 400, 20), its title button, the system page's
// text-speed slider (a 400-wide track at 360, 156 with a 16-wide thumb; -120 to -10, the
// negated wait) and the voice page's scroll-down button.
constexpr Point ConfigTab(std::int32_t tab)
{
    return Point{400 + 150 * tab + 75, 40};
}
constexpr Point kConfigTitle{720 + 64, 704 + 20};
constexpr std::int32_t TextSpeedThumbX(std::int32_t wait)
{
    return 360 + (120 - wait) * (400 - 16) / 110 + 8;
}
constexpr std::int32_t kTextSpeedY = 156 + 12;
constexpr Point kVoiceScrollDown{972 + 20, 640 + 16};
// The galleries' plates (128 x 96, five a row from 64, 104, every 152 across and 120 down).
constexpr Point Plate(std::int32_t index)
{
    return Point{64 + 152 * (index % 5) + 64, 104 + 120 * (index / 5) + 48};
}
// The music room's track buttons (400 x 44 from 120, 120, every 54) and the playing mark's
// middle (a yellow triangle 37 to the left of the track's button).
constexpr Point Track(std::int32_t track)
{
    return Point{120 + 200, 120 + 54 * (track - 1) + 22};
}
constexpr std::uint32_t kPlayingMarkColor = 0xFFFFD060;
constexpr Point PlayingMark(std::int32_t track)
{
    return Point{120 - 37 + 8, 120 + 54 * (track - 1) + 22};
}
// The picture gallery's second page button (120 x 36 at 864, 204), where the panorama's row is.
constexpr Point kGalleryPage2{864 + 60, 204 + 18};
// The debug screen: the script list's first row and the label list's rows (rows of 25 from 108
// inside both lists), and the run button.
constexpr Point kDebugScript0{150, 108 + 12};
constexpr Point DebugLabel(std::int32_t row)
{
    return Point{550, 108 + 25 * row + 12};
}
constexpr Point kDebugRun{864 + 64, 100 + 20};
// The panorama (1600 wide) pans from its left edge to its right: half a second's wait, then
// 30 ms and 8 ms a pixel.
constexpr std::uint32_t kPan = (500 + 30 + 8 * 576) * 60 / 1000 + 120;

void PlayExtras(Flow& flow)
{
    flow.Key("keydown Left Ctrl", 30);
    flow.Key("keyup Left Ctrl", 60);
    flow.Capture("title");
    flow.Click(kTitleLoad);
    flow.Capture("load screen");
    flow.Click(kFilePlate0, kStep / 2);
    flow.Click(kDialogYes, kStep + 60);
    flow.Capture("loaded");
    // The configuration from the play screen: a slider dragged, each tab, the voice page scrolled.
    flow.Click(kPlayConfig);
    flow.Capture("system page");
    flow.Drag({TextSpeedThumbX(60), kTextSpeedY}, {TextSpeedThumbX(20), kTextSpeedY});
    flow.Capture("text speed dragged");
    flow.Click(ConfigTab(1));
    flow.Capture("sound page");
    flow.Click(ConfigTab(2));
    flow.Capture("voice page");
    flow.Click(kVoiceScrollDown, kStep / 2);
    flow.Capture("voice page scrolled");
    flow.Click(ConfigTab(3));
    flow.Capture("game page");
    flow.Click(kBack);
    flow.Capture("back in the game");
    flow.Click(kPlayConfig);
    flow.Click(kConfigTitle, kStep / 2);
    flow.Click(kDialogYes);
    // The picture gallery, the panorama's viewer: the pan to its right end, then a drag.
    flow.Click(kTitleVisual);
    flow.Capture("picture gallery");
    flow.Click(kGalleryPage2, kStep / 2);
    flow.Click(Plate(0), kPan);
    flow.Capture("panned");
    flow.Drag({300, 400}, {500, 400});
    flow.Capture("dragged");
    flow.Click({512, 384});
    flow.Capture("picture gallery again");
    flow.Click(kBack);
    // The replay gallery and scene 1 replayed to its end.
    flow.Click(kTitleEvent);
    flow.Capture("replay gallery");
    flow.Click(Plate(0), kSceneOpening);
    flow.Capture("replay");
    for (int page = 2; page <= 5; ++page)
        flow.Click(kMessage, kPage);
    flow.Click(kMessage, kStep + 30);
    flow.Capture("replay gallery after the replay");
    flow.Click(kBack);
    // The music room: a track played.
    flow.Click(kTitleMusic);
    flow.Capture("music room");
    flow.Click(Track(2));
    flow.Capture("playing");
    flow.Click(kBack);
    // The extra scenario, back to the title at its end.
    flow.Click(kTitleExtra, kSceneOpening);
    flow.Capture("extra");
    flow.Click(kMessage, kPage);
    flow.Click(kMessage, kPage);
    flow.Click(kMessage, kStep + 60);
    flow.Capture("title after the extra");
    // The debug screen: Shift held on the start button; a label run from it.
    flow.Key("keydown Left Shift");
    flow.Click(kTitleStart);
    flow.Key("keyup Left Shift");
    flow.Capture("debug");
    flow.Click(kDebugScript0, kStep / 2);
    flow.Click(DebugLabel(7), kStep / 2);   // "EXTRA", the eighth label by line
    flow.Capture("label chosen");
    flow.Click(kDebugRun, kSceneOpening);
    flow.Capture("label run");
    flow.ExitThroughDialog();
}

TEST(DemoFullFlow, TheSecondRunLoadsConfiguresAndVisitsTheExtras)
{
    TestTempDir temp("tw_demo_extras");
    ASSERT_TRUE(temp.Valid());
    const fs::path game = CopyDemo(temp);
    ASSERT_FALSE(game.empty());
    const Flow story = StoryFlow();
    StoryState state;
    ASSERT_TRUE(ObtainStory(game, story, &state));
    const GxUserConfig before = ReadOptions(state.saves);

    Flow flow;
    PlayExtras(flow);
    TestEngineRunner runner(TW_TARNWICK);
    ASSERT_TRUE(runner.Valid());
    flow.Apply(runner);
    const TestEngineResult result = runner.Run(game);
    DumpFrames(result.frames, flow);
    ExpectCleanEnd(result);
    EXPECT_EQ(result.saveFolder, state.saves);
    const auto& frames = result.frames;
    EXPECT_TRUE(ShowsBackground(Frame(frames, flow, "load screen"), game, "bg_load.png"));
    EXPECT_TRUE(ShowsBackground(Frame(frames, flow, "system page"), game, "bg_config_system.png"));
    EXPECT_TRUE(ShowsBackground(Frame(frames, flow, "sound page"), game, "bg_config_sound.png"));
    EXPECT_TRUE(ShowsBackground(Frame(frames, flow, "voice page"), game, "bg_config_voice.png"));
    EXPECT_TRUE(ShowsBackground(Frame(frames, flow, "game page"), game, "bg_config_game.png"));
    EXPECT_TRUE(ShowsBackground(Frame(frames, flow, "picture gallery"), game, "bg_cgmode.png"));
    EXPECT_TRUE(ShowsBackground(Frame(frames, flow, "picture gallery again"), game, "bg_cgmode.png"));
    EXPECT_TRUE(ShowsBackground(Frame(frames, flow, "replay gallery"), game, "bg_rpmode.png"));
    EXPECT_TRUE(ShowsBackground(Frame(frames, flow, "replay gallery after the replay"), game, "bg_rpmode.png"));
    EXPECT_TRUE(ShowsBackground(Frame(frames, flow, "music room"), game, "bg_bgmmode.png"));
    EXPECT_TRUE(ShowsBackground(Frame(frames, flow, "title after the extra"), game, "bg_title.png"));

    // The saved scene back on the play screen: the picture above the message window as the
    // player saw it when saving (the page's text may show in the read colour).
    const TestCapturedFrame* saved = Frame(state.frames, story, "before save");
    const TestCapturedFrame* loaded = Frame(frames, flow, "loaded");
    EXPECT_EQ(DifferingPixelsIn(saved, loaded, {0, 0, 1024, 500}), 0u);
    // The slider moved on the system page; the voice page's plates moved up by a row.
    EXPECT_GT(DifferingPixelsIn(Frame(frames, flow, "system page"), Frame(frames, flow, "text speed dragged"),
                                {360, 156, 400, 24}),
              300u);
    EXPECT_GT(DifferingPixelsIn(Frame(frames, flow, "voice page"), Frame(frames, flow, "voice page scrolled"),
                                {60, 210, 96, 96}),
              1000u);   // the first plate's face
    EXPECT_GT(Ink(Frame(frames, flow, "back in the game"), 64, 592, 600, 24), 300);

    // The gallery: the sunset's plate unlocked, the letter's locked (the other answer was taken).
    const TestCapturedFrame* gallery = Frame(frames, flow, "picture gallery");
    EXPECT_LE(ChannelDistance(PixelAt(gallery, {64 + 10, 104 + 10}), 0xFF305070u), 3);
    EXPECT_LE(ChannelDistance(PixelAt(gallery, {216 + 10, 104 + 10}), 0xFF202020u), 3);
    // The panorama (1600 wide) panned to its right end, then dragged 200 to the right.
    const TestCapturedFrame panorama = ReadTestPicture(game / "cg" / "ev" / "ev_panorama.png");
    ASSERT_EQ(panorama.width, 1600u);
    const auto shownFrom = [&](const TestCapturedFrame* frame, std::uint32_t offset) {
        int wrong = 0;
        for (std::uint32_t y = 0; y < 768; y += 37)
            for (std::uint32_t x = 0; x < 1024; x += 31)
                wrong += ChannelDistance(PixelAt(frame, {std::int32_t(x), std::int32_t(y)}), panorama.At(x + offset, y)) > 3;
        return wrong;
    };
    EXPECT_EQ(shownFrom(Frame(frames, flow, "panned"), 576), 0);
    EXPECT_EQ(shownFrom(Frame(frames, flow, "dragged"), 376), 0);

    // The replay: scene 1 again, then back in the gallery after its end.
    EXPECT_GT(Ink(Frame(frames, flow, "replay"), 64, 592, 600, 24), 300);
    // The music room: the second track playing, its mark beside it, none beside the first.
    const TestCapturedFrame* playing = Frame(frames, flow, "playing");
    EXPECT_EQ(PixelAt(playing, PlayingMark(2)), kPlayingMarkColor);
    EXPECT_NE(PixelAt(playing, PlayingMark(1)), kPlayingMarkColor);
    // The extra scenario's first page, then the title again.
    EXPECT_GT(Ink(Frame(frames, flow, "extra"), 64, 592, 300, 24), 100);
    // The debug screen lists the script and its labels; the label it ran shows its first page.
    const TestCapturedFrame* chosen = Frame(frames, flow, "label chosen");
    EXPECT_GT(Ink(chosen, 48, 108, 100, 25), 20);
    EXPECT_GT(Ink(chosen, 448, 108 + 25 * 7, 100, 25), 20);
    EXPECT_GT(Ink(Frame(frames, flow, "label run"), 64, 592, 300, 24), 100);

    // The options keep the slower text speed the slider was dragged to.
    const GxUserConfig after = ReadOptions(state.saves);
    EXPECT_EQ(before.m_TextWaitTime, 60);
    EXPECT_LT(after.m_TextWaitTime, 40);
    EXPECT_GT(after.m_TextWaitTime, 10);
}

// Control held from the first pass: the boot goes straight to the title, past the opening movie.
TEST(DemoFullFlow, ControlHeldFromTheStartPassesOverTheOpeningMovie)
{
    TestTempDir temp("tw_demo_control");
    ASSERT_TRUE(temp.Valid());
    const fs::path game = CopyDemo(temp);
    ASSERT_FALSE(game.empty());
    TestEngineRunner runner(TW_TARNWICK);
    ASSERT_TRUE(runner.Valid());
    Flow flow;
    flow.Key("keydown Left Ctrl", 30);
    // While the movie would still play (it runs about three seconds), and after Control is up.
    flow.Capture("held");
    flow.Wait(30);
    flow.Key("keyup Left Ctrl", 60);
    flow.Capture("released");
    flow.ExitThroughDialog();
    flow.Apply(runner);
    const TestEngineResult result = runner.Run(game);
    DumpFrames(result.frames, flow);
    ExpectCleanEnd(result);
    EXPECT_TRUE(ShowsBackground(Frame(result.frames, flow, "held"), game, "bg_title.png"));
    EXPECT_TRUE(ShowsBackground(Frame(result.frames, flow, "released"), game, "bg_title.png"));
}

// A damaged copy of the demo: no music-room table, no image set of the music room's track
// buttons, no script program. The engine still starts, shows its title and screens, logs each
// missing file in error.log, and ends through the shut-down dialog.
TEST(DemoFullFlow, ABrokenCopyStartsLogsWhatIsMissingAndEndsThroughTheDialog)
{
    TestTempDir temp("tw_demo_broken");
    ASSERT_TRUE(temp.Valid());
    const fs::path game = CopyDemo(temp);
    ASSERT_FALSE(game.empty());
    const char* const missing[] = {"data/db_bgmmode.txt", "uigis/ui_bgmname.gis", "bincode/moacode.mwb"};
    for (const char* file : missing)
        ASSERT_TRUE(fs::remove(game / file)) << file;

    TestEngineRunner runner(TW_TARNWICK);
    ASSERT_TRUE(runner.Valid());
    Flow flow;
    flow.Key("keydown Left Ctrl", 30);
    flow.Key("keyup Left Ctrl", 60);
    flow.Capture("title");
    flow.Click(kTitleMusic);
    flow.Capture("music room");
    flow.Click(kBack);
    flow.Capture("title again");
    flow.Click(kTitleStart, 2 * kStep);
    flow.Capture("started");
    flow.ExitThroughDialog();
    flow.Apply(runner);
    const TestEngineResult result = runner.Run(game);
    DumpFrames(result.frames, flow);
    ASSERT_TRUE(result.started);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
    EXPECT_TRUE(ShowsBackground(Frame(result.frames, flow, "title"), game, "bg_title.png"));
    EXPECT_TRUE(ShowsBackground(Frame(result.frames, flow, "music room"), game, "bg_bgmmode.png"));
    EXPECT_TRUE(ShowsBackground(Frame(result.frames, flow, "title again"), game, "bg_title.png"));
    // The start button leaves the title for the play screen, which finds no label to run.
    EXPECT_FALSE(ShowsBackground(Frame(result.frames, flow, "started"), game, "bg_title.png"));
    const std::string errors = result.ErrorLogUtf8();
    for (const char* name : {"db_bgmmode", "ui_bgmname", "moacode.mwb"})
        EXPECT_NE(errors.find(name), std::string::npos) << name << " not named in error.log:\n" << errors;
}

}  // namespace
