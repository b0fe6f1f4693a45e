// The engine binary on a game begun from the title's start button, whose "MAIN" shows the
// background, fades the play screen in, places a character with a "STAND" block, moves it to
// the left edge and waits for the move, then shows a "TEXT" block with the character's voice and
// waits a moment after the click that ends it. "setting.ini" turns a missing voice into a script
// error, so a voice that was not found would leave an "err:" line. Frames are captured once the
// move and the message have settled; after the shut-down "permanent.dat" holds the read flag of
// the "TEXT" line.
#include "data/user_data_perman.h"
#include "foundation/wide_string.h"
#include "tests/support/engine_runner.h"
#include "tests/support/game_folder.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/sound_fixtures.h"
#include "tests/support/temp_dir.h"
#include "tests/support/table_builder.h"
#include "tests/support/ui/message_window_rows.h"
#include "tests/support/ui/title_rows.h"
#include "tests/support/ui/ui_layout_builder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

constexpr std::uint32_t kStandRunBackground = 0xFF305070u;
constexpr std::uint32_t kStandRunCharacter = 0xFFC08040u;

TEST(StandTextGameRun, TheCharacterMovesAndSpeaksWithItsVoice)
{
    TestTempDir folder("tw_stand_run");
    ASSERT_TRUE(folder.Valid());
    TestGameFolder game(folder.Join("game"));
    SoundBytes pcm(44100 * 4, 0);
    const SoundBytes wav = BuildTestPcmWav(2, 44100, 16, pcm);
    // Lines from 0: the "TEXT" statement is line 8, so its read key is 9.
    game.SysConf({{"APP_TITLE", "Stand Run"}, {"APP_SAVEDIR", "STAND_SAVE"}, {"SAVE_TO_MYDOCUMENTS", "0"}})
        .Setting({{"ErrorStopNotFound_VO", "1"}})
        .Table(u"db_avgchar.txt",
               TestTableBuilder().Row({u"1", u"hero", u"1", u"cg/stand/hero_", u"", u"voice/hero/", u"0"}))
        .Script("*MAIN\n"
                "BUILTIN bg, fin, stand, endstand, text, endtext, sp.act_move, sp.wa, wa.time\n"
                "BG(\"黒\", 0) : FIN(1000)\n"
                "STAND(\"hero\", \"M\", \"B\", \"\", 0)\n"
                "a\n"
                "endstand()\n"
                "SP.ACT_MOVE(\"hero\", \"L\", \"N\", 300)\n"
                "SP.WA(\"hero\")\n"
                "TEXT(\"hero\", \"v001\")\n"
                "hello\n"
                "endtext()\n"
                "WA.TIME(100)\n"
                "EXIT()\n")
        .Png("cg/bg/黒.png", TestImage::Solid(1024, 768, kStandRunBackground))
        .Png("cg/stand/hero_a.png", TestImage::Solid(200, 400, kStandRunCharacter))
        .File("voice/hero/v001.wav", std::string(wav.begin(), wav.end()))
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
    // The title shows by pass 50; after its start button and its fade-out (400 ms) the script's
    // fade-in takes 1000 ms (at least 60 passes), the move 300 ms more: by pass 240 all are over
    // and the message waits for its click.
    runner.SetMaxFrames(350);
    AddTitleClick(runner, 60, u"btn_title_start");
    runner.AddInput(250, "ldown 512 300");
    runner.AddInput(251, "lup 512 300");
    runner.SetCapturePasses({240});
    const TestEngineResult result = runner.Run(game.Path());
    ASSERT_TRUE(result.started);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
    EXPECT_EQ(result.ErrorLogUtf8().find("err:"), std::string::npos) << result.ErrorLogUtf8();

    // At the left edge, its foot on the bottom: x 0 to 199, y from 768 - 400 = 368.
    ASSERT_EQ(result.frames.count(240), 1u);
    const TestCapturedFrame& frame = result.frames.at(240);
    ASSERT_EQ(frame.width, 1024u);
    EXPECT_EQ(frame.At(10, 380), kStandRunCharacter);
    EXPECT_EQ(frame.At(10, 360), kStandRunBackground);
    EXPECT_EQ(frame.At(450, 380), kStandRunBackground);   // where "M" had put it

    GxUserDataPerman flags;
    ASSERT_FALSE(result.saveFolder.empty());
    ASSERT_TRUE(LoadPermanentData(&flags, Utf8ToWide((result.saveFolder / "permanent.dat").string())));
    EXPECT_TRUE(flags.IsMessageRead(u"main", 9));
}

}  // namespace
