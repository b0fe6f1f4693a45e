// The engine binary on a game whose "MAIN" holds four text lines with speakers: the title's start
// button starts a new game, "MAIN" shows the background and fades the play screen in, which shows
// the first page with the speaker's name image; two scripted clicks, each once its page is whole, move on
// twice. Frames are captured through the unattended-run variables; after the shut-down
// "permanent.dat" holds the read flags of the three lines shown and not of the fourth.
#include "data/user_data_perman.h"
#include "foundation/wide_string.h"
#include "tests/support/engine_runner.h"
#include "tests/support/game_folder.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/temp_dir.h"
#include "tests/support/ui/message_window_rows.h"
#include "tests/support/ui/title_rows.h"
#include "tests/support/ui/ui_layout_builder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kBackground = 0xFF305070u;
constexpr std::uint32_t kNameImage = 0xFF00C000u;

TEST(PlayScreenGameRun, TheGameShowsItsLinesWithSpeakersAndRemembersWhichWereRead)
{
    TestTempDir folder("tw_play_run");
    ASSERT_TRUE(folder.Valid());
    TestGameFolder game(folder.Join("game"));
    // "MAIN" is line 1: the text lines are lines 5 to 8. 花子 has a name image, 太郎 none.
    game.SysConf({{"APP_TITLE", "Play Run"}, {"APP_SAVEDIR", "PLAY_SAVE"}, {"SAVE_TO_MYDOCUMENTS", "0"}})
        .Table(u"db_avgchar.txt", TestTableBuilder().Row({u"1", u"花子"}).Row({u"2", u"太郎"}))
        .Script("*MAIN\nBUILTIN BG, FIN\nBG(\"黒\", 0)\nFIN(1000)\n花子「いち」\n花子「にい」\n太郎「さん」\n花子「よん」\nEXIT()\n")
        .Png("cg/bg/黒.png", TestImage::Solid(1024, 768, kBackground))
        .Png("cg/name/花子.png", TestImage::Solid(120, 30, kNameImage))
        .StartupFiles();
    std::vector<ModuleRow> modules = PlayScreenModuleRows();
    std::vector<LayoutRow> layouts = PlayScreenLayoutRows();
    AppendTitleRows(modules, layouts);
    AddUITables(game, modules, layouts);
    AddTitleFiles(game);
    game.EmptyTables();
    ASSERT_TRUE(game.Ok()) << game.Errors().front();
    ASSERT_TRUE(WriteMessageWindowFrame(game.Path() / "cg" / "ui"));

    TestEngineRunner runner(TW_TARNWICK);
    ASSERT_TRUE(runner.Valid());
    // The title shows by pass 50; its start button, then the title's fade-out and the script's
    // fade-in (1000 ms, at least 60 passes) take the game to about pass 160; a short page then
    // shows in well under 40. Later passes only make the clicks safer: a slower machine gets
    // there sooner.
    runner.SetMaxFrames(300);
    AddTitleClick(runner, 60, u"btn_title_start");
    runner.AddInput(210, "ldown 512 300");
    runner.AddInput(211, "lup 512 300");
    runner.AddInput(260, "ldown 512 300");
    runner.AddInput(261, "lup 512 300");
    runner.SetCapturePasses({205, 299});
    const TestEngineResult result = runner.Run(game.Path());
    ASSERT_TRUE(result.started);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
    EXPECT_EQ(result.ErrorLogUtf8().find("err:"), std::string::npos) << result.ErrorLogUtf8();

    // The first page after the fade-in.
    ASSERT_EQ(result.frames.count(205), 1u);
    const TestCapturedFrame& first = result.frames.at(205);
    ASSERT_EQ(first.width, 1024u);
    ASSERT_EQ(first.height, 768u);
    EXPECT_EQ(first.At(10, 10), kBackground);
    EXPECT_EQ(first.At(1000, 300), kBackground);
    EXPECT_EQ(first.At(72 + 10, 480 + 10), kNameImage);   // image only: a new game's name mode
    // Glyphs in the text area of the window (frame at 72, 540; text from 40, 24 inside it).
    int ink = 0;
    for (std::uint32_t y = 540 + 24; y < 540 + 24 + 40; ++y)
        for (std::uint32_t x = 72 + 40; x < 72 + 40 + 200; ++x)
            ink += first.At(x, y) != kMessageFrameColor;
    EXPECT_GT(ink, 20);

    // The third line's speaker has no image: the name window is empty at the end.
    ASSERT_EQ(result.frames.count(299), 1u);
    EXPECT_EQ(result.frames.at(299).At(72 + 10, 480 + 10), kBackground);

    GxUserDataPerman flags;
    ASSERT_FALSE(result.saveFolder.empty());
    ASSERT_TRUE(LoadPermanentData(&flags, Utf8ToWide((result.saveFolder / "permanent.dat").string())));
    for (std::int32_t line = 5; line <= 7; ++line)
        EXPECT_TRUE(flags.IsMessageRead(u"main", line)) << line;
    EXPECT_FALSE(flags.IsMessageRead(u"main", 8));
}

}  // namespace
