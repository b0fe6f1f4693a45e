// The engine binary on a game that walks the whole main road from the title's start button: a
// fade-in, a background, a character, music,
// an effect and a voice, a named message, a plain line with a speaker, a "TEXT" block with its own
// voice, a movie waited for to its end, a choice of two, the quick save and the back-log opened
// by the wheel. Frames are captured at settled moments only (passes run on the real clock); after
// the shut-down "permanent.dat" and the quick save are read back.
#include "data/save_records.h"
#include "data/saved_file_reader.h"
#include "data/saved_script.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "foundation/bin_buffer.h"
#include "foundation/content.h"
#include "foundation/file.h"
#include "foundation/wide_string.h"
#include "script/moa.h"
#include "script/worker.h"
#include "tests/support/engine_runner.h"
#include "tests/support/game_folder.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/image_set_builder.h"
#include "tests/support/movie_fixtures.h"
#include "tests/support/temp_dir.h"
#include "tests/support/ui/message_window_rows.h"
#include "tests/support/ui/title_rows.h"
#include "tests/support/ui/ui_layout_builder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace main_road_run {

constexpr std::uint32_t kDefaultBackground = 0xFF000000u;
constexpr std::uint32_t kBackground = 0xFF305070u;
constexpr std::uint32_t kStand = 0xFFC08040u;
// Tall enough that the middle of the character stands above the message window.
constexpr int kStandWidth = 200;
constexpr int kStandHeight = 600;
constexpr std::uint32_t kErrorImage = 0xFFFF00FFu;
constexpr std::uint32_t kChoiceImage = 0xFFC08020u;
constexpr std::uint32_t kVoicePlayImage = 0xFF20C0C0u;
constexpr std::uint32_t kLogBackground = 0xFF503018u;
constexpr std::uint32_t kMovieRgb = 0xC02040u;
// The choice buttons' module: 601 x 40 pixels; the message window's frame starts at y 540.
constexpr int kChoiceWidth = 601;
constexpr int kChoiceHeight = 40;
constexpr int kMessageTop = 540;
// The back-log's rows: text windows 800 x 100 at (50, 10 + 120 i), replay buttons at (900, same).
constexpr int kLogRows = 5;

// Pixels in the rectangle that differ from `plain`.
int Ink(const TestCapturedFrame& frame, std::uint32_t left, std::uint32_t top, std::uint32_t width,
        std::uint32_t height, std::uint32_t plain)
{
    int ink = 0;
    for (std::uint32_t y = top; y < top + height; ++y)
        for (std::uint32_t x = left; x < left + width; ++x)
            ink += frame.At(x, y) != plain;
    return ink;
}

bool NearRgb(std::uint32_t argb, std::uint32_t rgb)
{
    for (int shift : {0, 8, 16}) {
        const int a = static_cast<int>((argb >> shift) & 0xFF), b = static_cast<int>((rgb >> shift) & 0xFF);
        if (a - b > 8 || b - a > 8)
            return false;
    }
    return true;
}

// The music record of a saved game. The loader restores the sound part only into a running play
// screen, so it is reached here the way the loader reaches it: past the values, the script's
// in-game variables (save class 3) and the main worker.
GxSoundPlayParam ReadSavedMusic(const std::filesystem::path& file)
{
    GxSoundPlayParam music;
    GxBinBuffer bytes;
    if (!GxFile::ReadWholeFile(bytes, Utf8ToWide(file.string())))
        return music;
    const std::unique_ptr<GxContentReaderBase> reader = OpenSavedFileReader(bytes, "TGD", "BGD");
    if (!reader)
        return music;
    GxUserData values;
    values.ReadValues(*reader, u"");
    GxSavedDataScript script;
    script.Moa().ResetAndReadVariables(*reader, 3);
    script.MainWorker().ClearAndReadScriptVariables(*reader, 3);
    script.MainWorker().Read(*reader);
    music.Read(*reader);
    return music;
}

// False when the message window's frame cannot be written (the folder keeps its own errors).
bool BuildMainRoadGame(TestGameFolder& game)
{
    // Lines from 0 (read flags count from 1): the named message at 10, the plain line at 11, the
    // "TEXT" statement at 12, the choice at 19; "FIRST"'s message at 21, "SECOND"'s at 24. Speakers
    // show as text: the names have no images.
    game.SysConf({{"APP_TITLE", "Main Road"}, {"APP_SAVEDIR", "ROAD_SAVE"}, {"SAVE_TO_MYDOCUMENTS", "0"}})
        .Setting({{"ErrorStopNotFound_BGM", "1"}, {"ErrorStopNotFound_SE", "1"}, {"ErrorStopNotFound_VO", "1"}})
        .Table(u"db_avgchar.txt",
               TestTableBuilder().Row({u"1", u"hero", u"0", u"cg/stand/hero/", u"", u"voice/hero/", u"0", u""}))
        .Table(u"db_bgmmode.txt", TestTableBuilder().Row({u"1", u"Theme", u"theme.wav", std::u16string(u"500"), u"0"}))
        .Script("*MAIN\n"
                "BUILTIN BG, STAND, ENDSTAND, TEXT, ENDTEXT, BGM, SE, VO, MSGN, MSG, MV, MV.WA, SEL, SEL.GO, "
                "SetNameIdentifyMode, FIN\n"
                "SetNameIdentifyMode(3) : FIN(1000)\n"
                "BG(\"room\", 500)\n"
                "STAND(\"hero\", \"M\", \"B\", \"\", 0)\n"
                "a\n"
                "endstand()\n"
                "BGM(\"theme\")\n"
                "SE(\"click\")\n"
                "VO(\"hero_001\")\n"
                "MSGN(\"Hero\", \"Hello.\")\n"
                "Hero「Second line.」\n"
                "TEXT(\"Hero\", \"hero_002\")\n"
                "First row.\n"
                "Second row.\n"
                "endtext()\n"
                "MV(\"clip\", 0, 1024, 768, 1)\n"
                "MV.WA()\n"
                "SEL.GO(\"FIRST\", \"SECOND\")\n"
                "SEL(\"one\", \"two\")\n"
                "*FIRST\n"
                "MSG(\"first\")\n"
                "EXIT()\n"
                "*SECOND\n"
                "MSG(\"second\")\n"
                "EXIT()\n")
        .Png("cg/bg/黒.png", TestImage::Solid(1024, 768, kDefaultBackground))
        .Png("cg/bg/room.png", TestImage::Solid(1024, 768, kBackground))
        .Png("cg/stand/hero/a.png", TestImage::Solid(kStandWidth, kStandHeight, kStand))
        .Png("cg/error.png", TestImage::Solid(32, 32, kErrorImage))
        .Png("cg/ui/bg_avglog.png", TestImage::Solid(1024, 768, kLogBackground))
        .Wav("bgms/theme.wav", 3000)
        .Wav("sounds/se/click.wav", 200)
        .Wav("voice/hero/hero_001.wav", 1000)
        .Wav("voice/hero/hero_002.wav", 1000);
    TestMovieSpec clip;
    clip.picture = TestMoviePicture::Solid;
    clip.solidColour = kMovieRgb;
    clip.frames = 30;   // three seconds at ten frames a second
    game.Movie("movies/clip.avi", clip).StartupFiles();
    // The choice buttons and the other image buttons (replay, quick save) draw images of their own
    // colours.
    game.Png("uigis/avgmain.png", TestImage::Solid(kChoiceWidth, kChoiceHeight, kChoiceImage))
        .ImageSet("uigis/ui_avgmain.gis", OnePatternImageSet(u"avgmain.png", u"sel_off.png", kChoiceWidth, kChoiceHeight))
        .Png("uigis/common.png", TestImage::Solid(40, 20, kVoicePlayImage))
        .ImageSet("uigis/ui_common.gis", OnePatternImageSet(u"common.png", u"vp_off.png", 40, 20));

    std::vector<ModuleRow> modules = {
        MessageWindowModuleRow(),
        NameWindowModuleRow(),
        {3, 18, u"btn_select0", u"ui_avgmain", u"sel", kChoiceWidth, kChoiceHeight, 0, 0, kChoiceWidth, kChoiceHeight, 0, 2},
        {4, 1, u"mod_button", u"", u"", 40, 20, 0, 0, 40, 20},
        {5, 10, u"mod_logwindow", u"", u"", 800, 100, 0, 0, 800, 100, 0, 2},
        {6, 18, u"mod_imagebutton", u"ui_common", u"vp", 40, 20, 0, 0, 40, 20},
    };
    std::vector<LayoutRow> layout = {
        MessageWindowLayoutRow(u"SeqAvgMain"),
        NameWindowLayoutRow(),
        // On the message window, at (800, 10) and (800, 40) inside it.
        {3, u"$MESWIN:SeqAvgMain", u"mod_imagebutton", u"btn_qsave", 0, 1, 1, 1, 800.0f, 10.0f, 1.0f},
        {4, u"$MESWIN:SeqAvgMain", u"mod_button", u"btn_log", 0, 1, 1, 1, 800.0f, 40.0f, 1.0f},
    };
    std::int32_t id = 5;
    for (int i = 0; i < kLogRows; ++i) {
        const float top = 10.0f + 120.0f * static_cast<float>(i);
        layout.push_back({id++, u"$UI:SeqAvgLog", u"mod_logwindow", u"tip_logwindow", i, 1, 1, 1, 50.0f, top});
        layout.push_back({id++, u"$UI:SeqAvgLog", u"mod_imagebutton", u"btn_voiceplay", i, 1, 1, 1, 900.0f, top});
    }
    layout.push_back({id++, u"$UI:SeqAvgLog", u"mod_button", u"btn_back", 0, 1, 1, 1, 900.0f, 700.0f});
    AppendTitleRows(modules, layout);
    AddUITables(game, modules, layout);
    AddTitleFiles(game);
    game.EmptyTables();
    return WriteMessageWindowFrame(game.Path() / "cg" / "ui");
}

TEST(MainRoadGameRun, AGamePlaysFromItsFirstLabelToTheBackLogAndSavesWhatItShowed)
{
    TestTempDir folder("tw_main_road");
    ASSERT_TRUE(folder.Valid());
    TestGameFolder game(folder.Join("game"));
    ASSERT_TRUE(BuildMainRoadGame(game));
    ASSERT_TRUE(game.Ok()) << game.Errors().front();

    // The column of two rows of height + 10 is centred above the message window.
    const int step = kChoiceHeight + 10;
    const int firstTop = (kMessageTop - 2 * step) / 2;
    const int choiceLeft = (1024 - kChoiceWidth) / 2;
    const std::string choice =
        std::to_string(choiceLeft + kChoiceWidth / 2) + " " + std::to_string(firstTop + step + kChoiceHeight / 2);

    // Passes are at most 60 a second: the title shows by pass 50, its start button and fade-out
    // take at most 30 passes more, the script's fade-in at least 60 and a short page well under
    // 40 more. The movie starts at the third click and lasts three seconds, at most 180 passes;
    // a slow machine gets there in fewer, so it is looked for in several frames soon after.
    TestEngineRunner runner(TW_TARNWICK);
    ASSERT_TRUE(runner.Valid());
    runner.SetTimeoutSeconds(240);
    runner.SetMaxFrames(940);
    AddTitleClick(runner, 60, u"btn_title_start");
    runner.AddInput(240, "ldown 512 300");   // "Hello." is whole: on to the plain line
    runner.AddInput(241, "lup 512 300");
    runner.AddInput(320, "ldown 512 300");   // the plain line ends: the "TEXT" block
    runner.AddInput(321, "lup 512 300");
    runner.AddInput(400, "ldown 512 300");   // the block ends: the movie
    runner.AddInput(401, "lup 512 300");
    const std::vector<std::uint32_t> moviePasses = {420, 435, 450, 465};
    runner.AddInput(720, "ldown " + choice);   // long after the movie and the buttons' slide
    runner.AddInput(721, "lup " + choice);
    runner.AddInput(800, "ldown 882 560");     // "btn_qsave" while "second" shows
    runner.AddInput(801, "lup 882 560");
    runner.AddInput(820, "wheel 1");           // the back-log
    std::vector<std::uint32_t> capture = {230, 710, 900};
    capture.insert(capture.end(), moviePasses.begin(), moviePasses.end());
    runner.SetCapturePasses(capture);
    const TestEngineResult result = runner.Run(game.Path());
    ASSERT_TRUE(result.started);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
    EXPECT_EQ(result.ErrorLogUtf8().find("err:"), std::string::npos) << result.ErrorLogUtf8();
    for (std::uint32_t pass : capture)
        ASSERT_EQ(result.frames.count(pass), 1u) << pass;

    // "Hello." after the fade-in: the background at a free point, the character at the middle of
    // its rectangle (centred, its foot on the bottom), glyphs in the text area and the speaker's
    // name in the name window.
    const TestCapturedFrame& hello = result.frames.at(230);
    EXPECT_EQ(hello.At(10, 10), kBackground);
    const int standLeft = (1024 - kStandWidth) / 2, standTop = 768 - kStandHeight;
    EXPECT_EQ(hello.At(standLeft + kStandWidth / 2, standTop + kStandHeight / 2), kStand);
    EXPECT_EQ(hello.At(standLeft - 2, standTop + kStandHeight / 2), kBackground);
    EXPECT_EQ(hello.At(standLeft + kStandWidth / 2, standTop - 2), kBackground);
    EXPECT_GT(Ink(hello, 72 + 40, kMessageTop + 24, 200, 40, kMessageFrameColor), 20);
    EXPECT_GT(Ink(hello, 72, 480, 200, 40, kBackground), 20);

    bool movieSeen = false;
    for (std::uint32_t pass : moviePasses)
        movieSeen = movieSeen || NearRgb(result.frames.at(pass).At(32, 24), kMovieRgb);
    EXPECT_TRUE(movieSeen);

    // The choice: both buttons' images at their computed rectangles.
    const TestCapturedFrame& menu = result.frames.at(710);
    for (int row = 0; row < 2; ++row) {
        const int top = firstTop + step * row;
        EXPECT_EQ(menu.At(choiceLeft + 5, top + 5), kChoiceImage) << row;
        EXPECT_EQ(menu.At(choiceLeft + kChoiceWidth - 5, top + kChoiceHeight - 5), kChoiceImage) << row;
    }
    EXPECT_EQ(menu.At(choiceLeft + 5, firstTop - 5), kBackground);

    // The back-log: its picture outside the rows, glyphs in the four rows with entries, and the
    // replay button only on the rows of the messages that kept a voice: the voice of "VO" was
    // pending when "Hello." showed, the "TEXT" block has its own, and the clicks that ended the
    // other pages emptied the pending slots.
    const TestCapturedFrame& log = result.frames.at(900);
    EXPECT_EQ(log.At(10, 750), kLogBackground);
    for (int row = 0; row < kLogRows; ++row) {
        const std::uint32_t top = 10 + 120 * row;
        const int ink = Ink(log, 50, top, 400, 60, kLogBackground);
        if (row < 4)
            EXPECT_GT(ink, 20) << row;
        else
            EXPECT_EQ(ink, 0) << row;
        EXPECT_EQ(log.At(910, top + 10) == kVoicePlayImage, row == 0 || row == 2) << row;
    }

    GxUserDataPerman flags;
    ASSERT_FALSE(result.saveFolder.empty());
    ASSERT_TRUE(LoadPermanentData(&flags, Utf8ToWide((result.saveFolder / "permanent.dat").string())));
    for (std::int32_t line : {11, 12, 13, 25})
        EXPECT_TRUE(flags.IsMessageRead(u"main", line)) << line;
    EXPECT_FALSE(flags.IsMessageRead(u"main", 22));
    EXPECT_TRUE(flags.IsMenuSelected(u"main:20", 2));
    EXPECT_FALSE(flags.IsMenuSelected(u"main:20", 1));

    GxUserData data;
    ASSERT_TRUE(LoadGameData(&data, Utf8ToWide((result.saveFolder / "gamedata_quick.gd").string()), true));
    struct Entry {
        const char16_t* name;
        const char16_t* message;
        const char16_t* voice;
    };
    const Entry entries[] = {{u"Hero", u"Hello.", u"voice/hero/hero_001.wav"},
                             {u"Hero", u"「Second line.」", u""},
                             {u"Hero", u"First row.%rSecond row.", u"voice/hero/hero_002.wav"},
                             {u"", u"second", u""}};
    ASSERT_EQ(data.m_MessageLog.size(), std::size(entries));
    for (std::size_t i = 0; i < std::size(entries); ++i) {
        const GxMessageLogElement& entry = data.m_MessageLog[i];
        EXPECT_EQ(WideToUtf8(entry.m_Name), WideToUtf8(entries[i].name)) << i;
        EXPECT_EQ(WideToUtf8(entry.m_Message), WideToUtf8(entries[i].message)) << i;
        EXPECT_EQ(WideToUtf8(entry.m_VoiceFileName[0]), WideToUtf8(entries[i].voice)) << i;
        EXPECT_EQ(entry.m_VoiceCharID[0], *entries[i].voice != 0 ? 1 : 0) << i;
        for (int slot = 1; slot < GxMessageLogElement::kVoiceSlots; ++slot)
            EXPECT_TRUE(entry.m_VoiceFileName[slot].empty()) << i << "/" << slot;
    }
    // The music still plays at the quick save: endless, from the music table's loop position.
    const GxSoundPlayParam music = ReadSavedMusic(result.saveFolder / "gamedata_quick.gd");
    EXPECT_EQ(WideToUtf8(music.m_FileName), "bgms/theme.wav");
    EXPECT_EQ(music.m_Loop, 0);
    EXPECT_EQ(music.m_LoopPosTime, 500u);
}

}  // namespace main_road_run
