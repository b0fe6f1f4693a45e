// The engine binary on a game begun from the title's start button, whose "MAIN" shows the
// background, fades the play screen in and shows a named message, a plain text line and a choice
// of two: the scripted clicks move through the pages once each is whole, Space hides the message
// window and a click shows it again (frames captured before and after), and a click on the second
// choice button, at the place the play screen computes for it, takes the script to its label.
// After the shut-down "permanent.dat" holds the read flags of the second label's message, not of
// the first's, and the choice as taken.
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

constexpr std::uint32_t kChoiceBackground = 0xFF305070u;
// The choice buttons' module: 601 x 40 pixels.
constexpr int kChoiceWidth = 601;
constexpr int kChoiceHeight = 40;
// The message window's frame (its layout row) starts at y 540.
constexpr int kMessageTop = 540;

TEST(ChoiceGameRun, MessagesHideAndShowAndTheSecondChoiceIsTaken)
{
    TestTempDir folder("tw_choice_run");
    ASSERT_TRUE(folder.Valid());
    TestGameFolder game(folder.Join("game"));
    // Lines from 0: "MAIN", the declarations, the background and fade-in, the named message (3),
    // the plain line (4), the labels (5), the choice (6); "FIRST" at 7 with its message at 8;
    // "SECOND" at 10, message at 11.
    game.SysConf({{"APP_TITLE", "Choice Run"}, {"APP_SAVEDIR", "CHOICE_SAVE"}, {"SAVE_TO_MYDOCUMENTS", "0"}})
        .Table(u"db_avgchar.txt", TestTableBuilder().Row({u"1", u"花子"}))
        .Script("*MAIN\n"
                "BUILTIN BG, FIN, MSGN, MSG, SEL, SEL.GO\n"
                "BG(\"黒\", 0) : FIN(1000)\n"
                "MSGN(\"花子\", \"いち\")\n"
                "plain\n"
                "SEL.GO(\"FIRST\", \"SECOND\")\n"
                "SEL(\"one\", \"two\")\n"
                "*FIRST\n"
                "MSG(\"first\")\n"
                "EXIT()\n"
                "*SECOND\n"
                "MSG(\"second\")\n"
                "EXIT()\n")
        .Png("cg/bg/黒.png", TestImage::Solid(1024, 768, kChoiceBackground))
        .StartupFiles();
    std::vector<ModuleRow> modules = PlayScreenModuleRows(kChoiceWidth, kChoiceHeight);
    std::vector<LayoutRow> layouts = PlayScreenLayoutRows();
    AppendTitleRows(modules, layouts);
    AddUITables(game, modules, layouts);
    AddTitleFiles(game);
    game.EmptyTables();
    ASSERT_TRUE(game.Ok()) << game.Errors().front();
    ASSERT_TRUE(WriteMessageWindowFrame(game.Path() / "cg" / "ui"));

    // The column of two rows of height + 10 is centred above the window; the buttons slide in to
    // the screen's centre.
    const int step = kChoiceHeight + 10;
    const int firstTop = (kMessageTop - 2 * step) / 2;
    const int secondX = (1024 - kChoiceWidth) / 2 + kChoiceWidth / 2;
    const int secondY = firstTop + step + kChoiceHeight / 2;

    TestEngineRunner runner(TW_TARNWICK);
    ASSERT_TRUE(runner.Valid());
    // The title shows by pass 50; its start button and fade-out take at most 30 passes more, the
    // script's fade-in at least 60 and a short page well under 40 more; later passes only make
    // the input safer on a slow machine.
    runner.SetMaxFrames(500);
    AddTitleClick(runner, 60, u"btn_title_start");
    runner.AddInput(210, "ldown 512 300");   // the named message is whole: on to the plain line
    runner.AddInput(211, "lup 512 300");
    runner.AddInput(260, "keydown Space");    // the window hides
    runner.AddInput(261, "keyup Space");
    runner.AddInput(270, "ldown 512 300");   // and shows again, the page unchanged
    runner.AddInput(271, "lup 512 300");
    runner.AddInput(310, "ldown 512 300");   // the plain line ends: the labels, then the choice
    runner.AddInput(311, "lup 512 300");
    const std::string choice = std::to_string(secondX) + " " + std::to_string(secondY);
    runner.AddInput(380, "ldown " + choice);
    runner.AddInput(381, "lup " + choice);
    runner.SetCapturePasses({255, 265, 275});
    const TestEngineResult result = runner.Run(game.Path());
    ASSERT_TRUE(result.started);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
    EXPECT_EQ(result.ErrorLogUtf8().find("err:"), std::string::npos) << result.ErrorLogUtf8();

    // The window's frame: shown, hidden by Space, shown again by the click.
    const std::uint32_t frameX = 72 + 5, frameY = kMessageTop + 5;
    for (const auto& [pass, shown] : {std::pair{255u, true}, {265u, false}, {275u, true}}) {
        ASSERT_EQ(result.frames.count(pass), 1u) << pass;
        EXPECT_EQ(result.frames.at(pass).At(frameX, frameY), shown ? kMessageFrameColor : kChoiceBackground) << pass;
    }

    GxUserDataPerman flags;
    ASSERT_FALSE(result.saveFolder.empty());
    ASSERT_TRUE(LoadPermanentData(&flags, Utf8ToWide((result.saveFolder / "permanent.dat").string())));
    EXPECT_TRUE(flags.IsMessageRead(u"main", 4));
    EXPECT_TRUE(flags.IsMessageRead(u"main", 5));
    EXPECT_TRUE(flags.IsMessageRead(u"main", 12));
    EXPECT_FALSE(flags.IsMessageRead(u"main", 9));
    EXPECT_TRUE(flags.IsMenuSelected(u"main:7", 2));
    EXPECT_FALSE(flags.IsMenuSelected(u"main:7", 1));
}

}  // namespace
