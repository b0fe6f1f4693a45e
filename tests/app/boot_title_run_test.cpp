// The engine binary from its boot screen: the opening movie (a solid-colour clip in a pack) and
// its skip by a click or by Ctrl held at start-up, the title and its start, exit and extra
// buttons, the play screen's quick save and quick load, the script's way back to the title, and
// the debug screen started with Shift held. Frames are captured at settled moments only (passes
// run on the real clock and every screen fades for 400 ms); the player's files are read back
// after the run.
#include "data/user_config.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "foundation/bin_buffer.h"
#include "foundation/wide_string.h"
#include "tests/support/engine_runner.h"
#include "tests/support/game_folder.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/image_set_builder.h"
#include "tests/support/movie_fixtures.h"
#include "tests/support/pack_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/ui/message_window_rows.h"
#include "tests/support/ui/system_layer_rows.h"
#include "tests/support/ui/title_rows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

namespace boot_title_run {

namespace fs = std::filesystem;

constexpr std::uint32_t kMovieRgb = 0xC02040u;
constexpr std::uint32_t kSceneColor = 0xFF305070u;
constexpr std::uint32_t kDebugSceneColor = 0xFF507030u;
constexpr std::uint32_t kExtraSceneColor = 0xFF703050u;
constexpr char kSaveDir[] = "BOOT_SAVE";

// The shut-down dialog (400 x 200) centred and 120 above the middle, its yes along the bottom.
constexpr int kDialogX = (1024 - kSystemDialogWidth) / 2;
constexpr int kDialogY = (768 - kSystemDialogHeight) / 2 - 120;
constexpr int kYesX = kDialogX + 84 + kSystemButtonWidth / 2;
constexpr int kYesY = kDialogY + 120 + kSystemButtonHeight / 2;

// The debug screen: two 200 x 200 list boxes with their sliders and a column of image panels.
// Font 1 is 15 pixels high by default: rows are 17 pixels apart.
constexpr int kScriptListX = 50;
constexpr int kLabelListX = 300;
constexpr int kListY = 50;
constexpr int kListRow = 17;
constexpr int kDebugButtonX = 600;
struct DebugButton {
    const char16_t* name;
    int top;
    std::uint32_t color;
};
const DebugButton kDebugButtons[] = {
    {u"btn_runlabel", 50, 0xFF20A020},
    {u"btn_editlabel", 100, 0xFFA02020},
    {u"btn_back", 150, 0xFF2020A0},
};

// Lines from 0: "MAIN" shows its scene over the opaque fade of a new game, then waits on a
// message; a click on it goes back to the title. "DEBUGSCENE" and "EXTRA" show scenes of their
// own; the labels stand in line order MAIN, DEBUGSCENE, EXTRA.
constexpr char kScript[] =
    "*MAIN\n"
    "BUILTIN BG, FIN, MSG, JumpToTitle\n"
    "BG(\"scene\", 0)\n"
    "FIN(0)\n"
    "MSG(\"hello\")\n"
    "JumpToTitle()\n"
    "MSG(\"gone\")\n"
    "*DEBUGSCENE\n"
    "BG(\"debug\", 0)\n"
    "FIN(0)\n"
    "MSG(\"debug\")\n"
    "*EXTRA\n"
    "BG(\"extra\", 0)\n"
    "FIN(0)\n"
    "MSG(\"extra\")\n";

bool NearRgb(std::uint32_t argb, std::uint32_t rgb)
{
    for (int shift : {0, 8, 16}) {
        const int a = static_cast<int>((argb >> shift) & 0xFF), b = static_cast<int>((rgb >> shift) & 0xFF);
        if (a - b > 8 || b - a > 8)
            return false;
    }
    return true;
}

std::vector<ModuleRow> DebugModuleRows()
{
    // A list box and a vertical slider beside it, both 200 high.
    ModuleRow list;
    list.type = 50;
    list.name = u"list_debug";
    list.w = 200;
    list.h = 200;
    list.font = 1;
    ModuleRow slider = list;
    slider.type = 31;
    slider.name = u"vsld_debug";
    slider.w = 16;
    slider.imageSet = u"ui_debug";   // the screen's own set
    slider.image = u"vsld";
    std::vector<ModuleRow> rows = {list, slider};
    for (const DebugButton& button : kDebugButtons) {
        ModuleRow row;
        row.type = 8;
        row.name = button.name;
        row.imageSet = u"cg/ui/";
        row.image = button.name;
        row.w = 100;
        row.h = 40;
        row.font = 1;
        rows.push_back(row);
    }
    return rows;
}

std::vector<LayoutRow> DebugLayoutRows(std::int32_t firstID)
{
    auto row = [&firstID](const char16_t* module, const char16_t* name, int left, int top) {
        LayoutRow layout;
        layout.id = firstID++;
        layout.parentName = u"$UI:SeqDebug";
        layout.moduleName = module;
        layout.taskName = name;
        layout.left = static_cast<float>(left);
        layout.top = static_cast<float>(top);
        return layout;
    };
    std::vector<LayoutRow> rows = {
        row(u"list_debug", u"lbox_scriptselect", kScriptListX, kListY),
        row(u"vsld_debug", u"vsld_scriptselect", kScriptListX + 210, kListY),
        row(u"list_debug", u"lbox_labelselect", kLabelListX, kListY),
        row(u"vsld_debug", u"vsld_labelselect", kLabelListX + 210, kListY),
    };
    for (const DebugButton& button : kDebugButtons)
        rows.push_back(row(button.name, button.name, kDebugButtonX, button.top));
    return rows;
}

// The whole game: title, play screen with its quick buttons, debug screen and system layer.
// `opening`: the opening movie is named (and packed); `setting`: lines of "setting.ini".
TestGameFolder BuildGame(const fs::path& path, bool opening, const TestIniKeys& setting = {})
{
    TestGameFolder game(path);
    TestIniKeys sysconf = {{"APP_TITLE", "Boot Title"},
                           {"APP_SAVEDIR", kSaveDir},
                           {"SAVE_TO_MYDOCUMENTS", "0"},
                           {"LABEL_NAME_EXTRA", "EXTRA"}};
    if (opening) {
        // Twenty seconds, raw pictures and no sound: far longer than any run waits for it. Its
        // pictures land in the layer's 1024 x 768 texture at their own size, from the top left.
        TestMovieSpec clip;
        clip.width = 32;
        clip.height = 24;
        clip.picture = TestMoviePicture::Solid;
        clip.solidColour = kMovieRgb;
        clip.frames = 200;
        const MovieBytes movie = BuildTestMovie(clip);
        game.Pack("movies.gxp", TestPackBuilder().Add(u"movies/opening.avi", std::vector<BYTE>(movie.begin(), movie.end())));
        sysconf.push_back({"MOV_NAME_OPENING", "opening.avi"});
        sysconf.push_back({"PACK_FILE_00", "movies.gxp"});
    }
    game.SysConf(sysconf)
        .Setting(setting)
        .Script(kScript)
        .Png("cg/bg/黒.png", TestImage::Solid(1024, 768, 0xFF000000u))
        .Png("cg/bg/scene.png", TestImage::Solid(1024, 768, kSceneColor))
        .Png("cg/bg/debug.png", TestImage::Solid(1024, 768, kDebugSceneColor))
        .Png("cg/bg/extra.png", TestImage::Solid(1024, 768, kExtraSceneColor))
        .Png("uigis/debug.png", TestImage::Solid(8, 8, 0xFF808080))
        .ImageSet("uigis/ui_debug.gis", OnePatternImageSet(u"debug.png", u"vsld_off.png", 8, 8))
        .StartupFiles();
    for (const DebugButton& button : kDebugButtons)
        game.Png("cg/ui/" + WideToUtf8(button.name) + ".png", TestImage::Solid(100, 40, button.color));
    AddTitleFiles(game);
    AddQuickButtonFiles(game);

    std::vector<ModuleRow> modules = TitleModuleRows();
    for (const std::vector<ModuleRow>& more : {PlayScreenModuleRows(), QuickButtonModuleRows(), DebugModuleRows()})
        modules.insert(modules.end(), more.begin(), more.end());
    std::vector<LayoutRow> layouts = TitleLayoutRows(1);
    for (LayoutRow row : PlayScreenLayoutRows()) {
        row.id = static_cast<std::int32_t>(layouts.size()) + 1;
        layouts.push_back(row);
    }
    for (auto more : {QuickButtonLayoutRows, DebugLayoutRows}) {
        const std::vector<LayoutRow> rows = more(static_cast<std::int32_t>(layouts.size()) + 1);
        layouts.insert(layouts.end(), rows.begin(), rows.end());
    }
    AddSystemLayer(game, modules, layouts);
    game.EmptyTables().Png("cg/ui/meswin.png",
                           TestImage::Solid(kMessageFrameWidth, kMessageFrameHeight, kMessageFrameColor));
    return game;
}

std::vector<unsigned char> ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// The error log's lines but those of the choice buttons, whose module has no image set (the game
// shows no choice).
std::string UnexpectedErrors(const TestEngineResult& result)
{
    std::istringstream lines(result.ErrorLogUtf8());
    std::string line, unexpected;
    while (std::getline(lines, line))
        if (!line.empty() && line.find("[/btn_select[") == std::string::npos)
            unexpected += line + "\n";
    return unexpected;
}

bool ShowsTitle(const TestCapturedFrame& frame)
{
    return frame.At(10, 10) == kTitleBackgroundColor &&
           frame.At(TitleButtonCenterX(u"btn_title_start"), TitleButtonCenterY(u"btn_title_start")) ==
               FindTitleButton(u"btn_title_start")->color;
}

TEST(BootTitleRun, OpeningTitleGameQuickLoadAndBackToTheTitleThenExitThroughTheDialog)
{
    TestTempDir folder("tw_boot_title_run");
    ASSERT_TRUE(folder.Valid());
    const TestGameFolder game = BuildGame(folder.Join("game"), true);
    ASSERT_TRUE(game.Ok()) << game.Errors().front();

    // Passes are at most 60 a second, so each wait below outlasts a 400 ms fade.
    TestEngineRunner runner(TW_TARNWICK);
    ASSERT_TRUE(runner.Valid());
    runner.SetMaxFrames(1000);
    const std::vector<std::uint32_t> moviePasses = {30, 45, 60};
    AddClick(runner, 80, 200, 300);                  // skips the movie
    AddTitleClick(runner, 140, u"btn_title_start");  // title settled at 130
    AddClick(runner, 230, kQuickButtonCenterX, kQuickSaveCenterY);
    AddClick(runner, 260, kQuickButtonCenterX, kQuickLoadCenterY);
    // The quick load waits 32 updates, then the play screen fades in again.
    AddClick(runner, 380, 200, 650);                 // the message ends: back to the title
    AddClick(runner, 400, 200, 650);                 // in case the first only completed the text
    AddTitleClick(runner, 480, u"btn_title_exit");
    AddClick(runner, 530, kYesX, kYesY);
    std::vector<std::uint32_t> capture = {130, 220, 370, 470, 520, 990};
    // The quick-load screen draws nothing of the game while it waits.
    const std::vector<std::uint32_t> waitPasses = {270, 275, 280, 285, 290, 295, 300, 305};
    for (const std::vector<std::uint32_t>& more : {moviePasses, waitPasses})
        capture.insert(capture.end(), more.begin(), more.end());
    runner.SetCapturePasses(capture);
    const TestEngineResult result = runner.Run(game.Path());
    ASSERT_TRUE(result.started);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
    EXPECT_EQ(UnexpectedErrors(result), "");
    EXPECT_EQ(result.frames.count(990), 0u) << "the dialog's yes did not end the run";
    for (std::uint32_t pass : {130, 220, 370, 470, 520})
        ASSERT_EQ(result.frames.count(pass), 1u) << pass << "\n" << result.ErrorLogUtf8();

    bool movieSeen = false;
    for (std::uint32_t pass : moviePasses)
        movieSeen = movieSeen || (result.frames.count(pass) && NearRgb(result.frames.at(pass).At(10, 10), kMovieRgb));
    EXPECT_TRUE(movieSeen);

    EXPECT_TRUE(ShowsTitle(result.frames.at(130)));
    EXPECT_EQ(result.frames.at(220).At(10, 10), kSceneColor);
    EXPECT_EQ(result.frames.at(220).At(kQuickButtonCenterX, kQuickLoadCenterY), kQuickLoadButtonColor);
    bool waitSeen = false;
    for (std::uint32_t pass : waitPasses)
        waitSeen = waitSeen || (result.frames.count(pass) && result.frames.at(pass).At(10, 10) == 0xFF000000u);
    EXPECT_TRUE(waitSeen);
    EXPECT_EQ(result.frames.at(370).At(10, 10), kSceneColor);   // the quick load resumed it
    EXPECT_TRUE(ShowsTitle(result.frames.at(470)));
    // The shut-down dialog over the title.
    EXPECT_EQ(result.frames.at(520).At(kDialogX + 4, kDialogY + 4), kShutdownDialogColor);
    EXPECT_EQ(result.frames.at(520).At(kYesX, kYesY), kYesButtonColor);

    ASSERT_FALSE(result.saveFolder.empty());
    const std::vector<unsigned char> quick = ReadBytes(result.saveFolder / "gamedata_quick.gd");
    ASSERT_FALSE(quick.empty());
    EXPECT_EQ(quick[0], 'B');
    GxUserData data;
    EXPECT_TRUE(LoadGameData(&data, Utf8ToWide((result.saveFolder / "gamedata_quick.gd").string()), true));

    // Written by the shut-down and readable again.
    const std::vector<unsigned char> userconf = ReadBytes(result.saveFolder / "userconf.dat");
    ASSERT_FALSE(userconf.empty());
    GxBinBuffer configBytes;
    std::copy(userconf.begin(), userconf.end(), configBytes.Allocate(static_cast<std::uint32_t>(userconf.size())));
    GxUserConfig config;
    EXPECT_TRUE(DecodeUserConfig(&config, configBytes, nullptr));
    GxUserDataPerman permanent;
    EXPECT_TRUE(LoadPermanentData(&permanent, Utf8ToWide((result.saveFolder / "permanent.dat").string())));
}

// Without the unlock bit the extra button takes no click; Ctrl held skips the movie.
TEST(BootTitleRun, CtrlHeldAtStartUpSkipsTheOpeningMovie)
{
    TestTempDir folder("tw_boot_title_ctrl");
    ASSERT_TRUE(folder.Valid());
    const TestGameFolder game = BuildGame(folder.Join("game"), true);
    ASSERT_TRUE(game.Ok()) << game.Errors().front();

    TestEngineRunner runner(TW_TARNWICK);
    ASSERT_TRUE(runner.Valid());
    runner.SetMaxFrames(130);
    runner.AddInput(0, "keydown Left Ctrl");
    runner.AddInput(40, "keyup Left Ctrl");
    AddTitleClick(runner, 60, u"btn_title_extra");
    const std::vector<std::uint32_t> capture = {1, 2, 3, 5, 10, 20, 30, 50, 120};
    runner.SetCapturePasses(capture);
    const TestEngineResult result = runner.Run(game.Path());
    ASSERT_TRUE(result.started);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
    EXPECT_EQ(UnexpectedErrors(result), "");
    for (std::uint32_t pass : capture) {
        ASSERT_EQ(result.frames.count(pass), 1u) << pass;
        EXPECT_FALSE(NearRgb(result.frames.at(pass).At(10, 10), kMovieRgb)) << pass;
    }
    EXPECT_TRUE(ShowsTitle(result.frames.at(50)));
    EXPECT_TRUE(ShowsTitle(result.frames.at(120)));   // the locked extra button did nothing
}

TEST(BootTitleRun, ShiftAndTheDebugFlagOpenTheDebugScreenWhichStartsTheGameAtAChosenLabel)
{
    TestTempDir folder("tw_boot_title_debug");
    ASSERT_TRUE(folder.Valid());
    const TestGameFolder game = BuildGame(folder.Join("game"), false, {{"DebugModeFlag", "1"}});
    ASSERT_TRUE(game.Ok()) << game.Errors().front();

    TestEngineRunner runner(TW_TARNWICK);
    ASSERT_TRUE(runner.Valid());
    runner.SetMaxFrames(260);
    runner.AddInput(50, "keydown Left Shift");
    AddTitleClick(runner, 60, u"btn_title_start");
    runner.AddInput(70, "keyup Left Shift");
    AddClick(runner, 110, kScriptListX + 20, kListY + kListRow / 2);               // "main"
    AddClick(runner, 130, kLabelListX + 20, kListY + kListRow + kListRow / 2);     // DEBUGSCENE
    AddClick(runner, 150, kDebugButtonX + 50, kDebugButtons[0].top + 20);          // run
    runner.SetCapturePasses({105, 250});
    const TestEngineResult result = runner.Run(game.Path());
    ASSERT_TRUE(result.started);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
    EXPECT_EQ(UnexpectedErrors(result), "");
    ASSERT_EQ(result.frames.count(105), 1u);
    ASSERT_EQ(result.frames.count(250), 1u);
    // The debug screen's buttons, no title.
    const TestCapturedFrame& debug = result.frames.at(105);
    EXPECT_EQ(debug.At(kDebugButtonX + 50, kDebugButtons[2].top + 20), kDebugButtons[2].color);
    EXPECT_NE(debug.At(10, 10), kTitleBackgroundColor);
    EXPECT_EQ(result.frames.at(250).At(10, 10), kDebugSceneColor) << result.ErrorLogUtf8();
}

TEST(BootTitleRun, TheUnlockedExtraButtonStartsTheExtraScene)
{
    TestTempDir folder("tw_boot_title_extra");
    ASSERT_TRUE(folder.Valid());
    const TestGameFolder game = BuildGame(folder.Join("game"), false);
    ASSERT_TRUE(game.Ok()) << game.Errors().front();
    GxUserDataPerman unlocked;
    unlocked.m_ExtraOption = 1u << 10;
    const fs::path saveFolder = game.Path() / kSaveDir;
    fs::create_directories(saveFolder);
    ASSERT_TRUE(SavePermanentData(&unlocked, Utf8ToWide((saveFolder / "permanent.dat").string()), true));

    TestEngineRunner runner(TW_TARNWICK);
    ASSERT_TRUE(runner.Valid());
    runner.SetMaxFrames(150);
    AddTitleClick(runner, 60, u"btn_title_extra");
    runner.SetCapturePasses({50, 140});
    const TestEngineResult result = runner.Run(game.Path());
    ASSERT_TRUE(result.started);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
    EXPECT_EQ(UnexpectedErrors(result), "");
    ASSERT_EQ(result.frames.count(50), 1u);
    ASSERT_EQ(result.frames.count(140), 1u);
    EXPECT_EQ(result.frames.at(50).At(TitleButtonCenterX(u"btn_title_extra"), TitleButtonCenterY(u"btn_title_extra")),
              FindTitleButton(u"btn_title_extra")->color);
    EXPECT_EQ(result.frames.at(140).At(10, 10), kExtraSceneColor) << result.ErrorLogUtf8();
}

}  // namespace boot_title_run
