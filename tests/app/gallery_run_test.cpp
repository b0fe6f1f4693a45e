// The engine binary through the galleries and the music room, from the title, on a game whose
// "permanent.dat" (written beforehand with the data library) holds one shown picture and one
// passed replay label: the picture gallery shows the seen plate's thumbnail, a locked plate and
// the share seen; the viewer shows the wide picture, a click ends its pan at the right edge and a
// drag moves it back; the replay gallery starts the replay's scene, whose "RP.END" comes back to
// it; the music room plays a track and points at it. Frames are captured at settled moments only.
#include "data/user_data_perman.h"
#include "foundation/wide_string.h"
#include "tests/support/engine_runner.h"
#include "tests/support/game_folder.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/temp_dir.h"
#include "tests/support/ui/gallery_rows.h"
#include "tests/support/ui/message_window_rows.h"
#include "tests/support/ui/system_layer_rows.h"
#include "tests/support/ui/title_rows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace gallery_run {

namespace fs = std::filesystem;

constexpr std::uint32_t kSeenThumbnail = 0xFF30C060u;
constexpr std::uint32_t kLockedThumbnail = 0xFFC03060u;   // must never show: its plate is locked
constexpr std::uint32_t kReplayThumbnail = 0xFF3060C0u;
constexpr std::uint32_t kOtherReplayThumbnail = 0xFFC0C030u;
constexpr std::uint32_t kSceneColor = 0xFF604020u;
// The replayed label as the replay table and the saved flags write it.
constexpr char16_t kSceneLabel[] = u"RP_SCENE";
constexpr std::uint32_t kWhite = 0xFFFFFFFFu;
// The wide picture: 1600 x 768, its red channel the column / 8, green and blue fixed.
constexpr std::uint32_t kWideWidth = 1600;
constexpr std::uint32_t kWideGreen = 0x90;
constexpr std::uint32_t kWideBlue = 0x40;
// The share seen: "%3d" in 22-pixel cells from (868, 56).
constexpr std::uint32_t kPercentX = 868;
constexpr std::uint32_t kPercentY = 56;
constexpr std::uint32_t kDigitWidth = 22;

std::uint32_t WidePixel(std::uint32_t x, std::uint32_t)
{
    return 0xFF000000u | ((x / 8) << 16) | (kWideGreen << 8) | kWideBlue;
}

// The picture's column / 8 at a screen pixel, or -1 when the pixel is not the picture's.
int WideBlock(std::uint32_t argb)
{
    const std::uint32_t green = (argb >> 8) & 0xFF, blue = argb & 0xFF;
    if (green + 4 < kWideGreen || green > kWideGreen + 4 || blue + 4 < kWideBlue || blue > kWideBlue + 4)
        return -1;
    return static_cast<int>((argb >> 16) & 0xFF);
}

// A picture-gallery row: ID, Group, Thumbnail, 32 names, Count.
std::vector<std::u16string> CGRow(const char16_t* id, const char16_t* thumbnail, std::vector<std::u16string> names)
{
    std::vector<std::u16string> row = {id, u"0", thumbnail};
    names.resize(32);
    row.insert(row.end(), names.begin(), names.end());
    row.push_back(u"0");   // counted at the gallery's entry
    return row;
}

std::uint32_t PlateCenterX(std::int32_t plate)
{
    return static_cast<std::uint32_t>(GalleryPlateLeft(plate) + kGalleryPlateWidth / 2);
}

std::uint32_t PlateCenterY(std::int32_t plate)
{
    return static_cast<std::uint32_t>(GalleryPlateTop(plate) + kGalleryPlateHeight / 2);
}

void AddGalleryClick(TestEngineRunner& runner, std::uint32_t pass, const std::u16string& name)
{
    AddClick(runner, pass, GalleryButtonLeft(name) + kGalleryButtonWidth / 2,
             GalleryButtonTop(name) + kGalleryButtonHeight / 2);
}

bool BuildGalleryGame(TestGameFolder& game)
{
    // "ev_wide" pans from its left edge to its right; "ev_unseen" and "ev_locked" were never shown.
    game.SysConf({{"APP_TITLE", "Gallery Run"}, {"APP_SAVEDIR", "GALLERY_SAVE"}, {"SAVE_TO_MYDOCUMENTS", "0"}})
        .Table(u"db_cgmode.txt", TestTableBuilder()
                                     .Row(CGRow(u"0", u"th_cg01.png", {u"ev_wide|LT|RT", u"ev_unseen"}))
                                     .Row(CGRow(u"1", u"th_cg02.png", {u"ev_locked"})))
        .Table(u"db_rpmode.txt", TestTableBuilder()
                                     .Row({u"0", u"0", u"th_rp01.png", kSceneLabel, u""})
                                     .Row({u"1", u"0", u"th_rp02.png", u"RP_OTHER", u""}))
        .Table(u"db_bgmmode.txt", TestTableBuilder()
                                      .Row({u"1", u"one", u"track1.wav", u"0", u"1"})
                                      .Row({u"2", u"two", u"track2.wav", u"0", u"2"})
                                      .Row({u"3", u"three", u"track3.wav", u"0", u"3"}))
        .Script("*MAIN\n"
                "BUILTIN BG, RP.END, JumpToTitle\n"
                "JumpToTitle()\n"
                "*RP_SCENE\n"
                "BG(\"replay\", 0)\n"
                "The replayed scene.\n"
                "RP.END()\n"
                "*RP_OTHER\n"
                "RP.END()\n")
        .Png("cg/bg/replay.png", TestImage::Solid(1024, 768, kSceneColor))
        .Png("cg/ev/ev_wide.png", TestImage::Make(kWideWidth, 768, &WidePixel))
        .Png("cg/ev/ev_unseen.png", TestImage::Solid(1024, 768, 0xFF000080u))
        .Png("cg/ev/ev_locked.png", TestImage::Solid(1024, 768, 0xFF800000u))
        .Wav("bgms/track1.wav", 3000)
        .Wav("bgms/track2.wav", 3000)
        .Wav("bgms/track3.wav", 3000)
        .StartupFiles();
    std::vector<ModuleRow> modules = TitleModuleRows();
    for (const ModuleRow& row : GalleryModuleRows())
        modules.push_back(row);
    for (const ModuleRow& row : PlayScreenModuleRows())
        modules.push_back(row);
    std::vector<LayoutRow> layouts = TitleLayoutRows(1);
    for (const std::vector<LayoutRow>& screen :
         {CGModeLayoutRows(1), RPModeLayoutRows(1), BGMModeLayoutRows(1, 3), PlayScreenLayoutRows()})
        layouts.insert(layouts.end(), screen.begin(), screen.end());
    for (std::size_t i = 0; i < layouts.size(); ++i)
        layouts[i].id = static_cast<std::int32_t>(i) + 1;
    AddSystemLayer(game, modules, layouts);
    AddTitleFiles(game);
    AddGalleryFiles(game, {{u"th_cg01.png", kSeenThumbnail}, {u"th_cg02.png", kLockedThumbnail}},
                    {{u"th_rp01.png", kReplayThumbnail}, {u"th_rp02.png", kOtherReplayThumbnail}});
    game.EmptyTables();
    if (!WriteMessageWindowFrame(game.Path() / "cg" / "ui"))
        return false;
    // What earlier play left: the wide picture shown, the scene's label passed.
    GxUserDataPerman perman;
    perman.m_ShowedCGFlags[u"ev_wide"] = 1;
    perman.m_PassedReplayLabels.insert(kSceneLabel);
    std::error_code error;
    fs::create_directories(game.Path() / "GALLERY_SAVE", error);
    return SavePermanentData(&perman, Utf8ToWide((game.Path() / "GALLERY_SAVE" / "permanent.dat").string()), true);
}

// The error log has no line containing `text`.
::testing::AssertionResult LogLacks(const std::string& log, const std::string& text)
{
    if (log.find(text) == std::string::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "\"" << text << "\" in the error log:\n" << log;
}

// Main-loop passes of the run. A pass takes at least a sixtieth of a second, so 45 passes are
// longer than any screen change (400 ms fades) however slow the machine; the viewer's click comes
// well before its pan (500 ms wait, then 4.6 s) can end by itself, which would return it to the
// gallery.
constexpr std::uint32_t kVisualClick = 60;
constexpr std::uint32_t kPictureGallery = 110;
constexpr std::uint32_t kPlateClick = 112;
constexpr std::uint32_t kViewerClick = 160;
constexpr std::uint32_t kPanEnded = 180;
constexpr std::uint32_t kDrag = 190;
constexpr std::uint32_t kDragged = 210;
constexpr std::uint32_t kViewerRightClick = 220;
constexpr std::uint32_t kPictureBack = 270;
constexpr std::uint32_t kEventClick = 320;
constexpr std::uint32_t kReplayGallery = 370;
constexpr std::uint32_t kReplayPlateClick = 372;
constexpr std::uint32_t kReplayScene = 440;
constexpr std::uint32_t kSceneClick = 450;
constexpr std::uint32_t kSceneClickAgain = 465;
constexpr std::uint32_t kReplayBack = 520;
constexpr std::uint32_t kMusicClick = 572;
constexpr std::uint32_t kTrackClick = 622;
constexpr std::uint32_t kTrackPlaying = 650;
constexpr std::uint32_t kMusicBack = 660;
constexpr std::uint32_t kTitleAgain = 710;
constexpr std::uint32_t kLastPass = 730;

void ExpectPercentShown(const TestCapturedFrame& frame, const char* what)
{
    // " 33" and " 50": no digit in the first cell, one in each of the others.
    const std::uint32_t y = kPercentY + 16;
    EXPECT_NE(frame.At(kPercentX + kDigitWidth / 2, y), kWhite) << what;
    EXPECT_EQ(frame.At(kPercentX + kDigitWidth + kDigitWidth / 2, y), kWhite) << what;
    EXPECT_EQ(frame.At(kPercentX + 2 * kDigitWidth + kDigitWidth / 2, y), kWhite) << what;
}

TEST(GalleryRun, TitleToPictureGalleryViewerReplayAndMusicRoom)
{
    TestTempDir folder("tw_gallery_run");
    ASSERT_TRUE(folder.Valid());
    TestGameFolder game(folder.Join("game"));
    ASSERT_TRUE(BuildGalleryGame(game));
    ASSERT_TRUE(game.Ok()) << game.Errors().front();

    TestEngineRunner runner(TW_TARNWICK);
    ASSERT_TRUE(runner.Valid());
    runner.SetMaxFrames(kLastPass);
    runner.SetCapturePasses(
        {kPictureGallery, kPanEnded, kDragged, kReplayGallery, kReplayScene, kReplayBack, kTrackPlaying, kTitleAgain});
    AddTitleClick(runner, kVisualClick, u"btn_title_visual");
    AddClick(runner, kPlateClick, PlateCenterX(0), PlateCenterY(0));
    AddClick(runner, kViewerClick, 512, 300);
    runner.AddInput(kDrag, "move 300 300");
    runner.AddInput(kDrag + 1, "ldown 300 300");
    runner.AddInput(kDrag + 2, "move 500 300");
    runner.AddInput(kDrag + 3, "lup 500 300");
    runner.AddInput(kViewerRightClick, "rdown 500 300");
    runner.AddInput(kViewerRightClick + 1, "rup 500 300");
    AddGalleryClick(runner, kPictureBack, u"btn_back");
    AddTitleClick(runner, kEventClick, u"btn_title_event");
    AddClick(runner, kReplayPlateClick, PlateCenterX(0), PlateCenterY(0));
    // The first click may only complete the line; a second one after the scene has ended lands
    // on no widget of the gallery.
    AddClick(runner, kSceneClick, 512, 300);
    AddClick(runner, kSceneClickAgain, 512, 300);
    AddGalleryClick(runner, kReplayBack + 2, u"btn_back");
    AddTitleClick(runner, kMusicClick, u"btn_title_music");
    const std::int32_t trackLeft = MusicButtonLeft(u"btn_bgmselect", 2);
    const std::int32_t trackTop = MusicButtonTop(u"btn_bgmselect", 2);
    AddClick(runner, kTrackClick, trackLeft + kGalleryButtonWidth / 2, trackTop + kGalleryButtonHeight / 2);
    AddGalleryClick(runner, kMusicBack, u"btn_back");
    const TestEngineResult result = runner.Run(game.Path());
    ASSERT_TRUE(result.started);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
    const std::string log = result.ErrorLogUtf8();

    for (const char* text : {"サムネイル", "画像がありません", "スクリプトにラベル", "track2.wav", "重複"})
        EXPECT_TRUE(LogLacks(log, text));
    for (std::uint32_t pass :
         {kPictureGallery, kPanEnded, kDragged, kReplayGallery, kReplayScene, kReplayBack, kTrackPlaying, kTitleAgain})
        ASSERT_EQ(result.frames.count(pass), 1u) << pass;

    // The picture gallery: the seen plate's thumbnail, the locked plate's pattern, no third plate.
    const TestCapturedFrame& pictures = result.frames.at(kPictureGallery);
    EXPECT_EQ(pictures.At(10, 10), kCGModeBackgroundColor);
    EXPECT_EQ(pictures.At(PlateCenterX(0), PlateCenterY(0)), kSeenThumbnail);
    EXPECT_EQ(pictures.At(PlateCenterX(1), PlateCenterY(1)), kLockedCGPlateColor);
    EXPECT_EQ(pictures.At(PlateCenterX(2), PlateCenterY(2)), kCGModeBackgroundColor);
    ExpectPercentShown(pictures, "pictures");
    // Each plate's "seen/count" ("1/2", "0/1": three 8-pixel cells) right-aligned under it.
    for (std::int32_t plate : {0, 1}) {
        const std::uint32_t right = static_cast<std::uint32_t>(GalleryPlateLeft(plate) + kGalleryPlateWidth);
        const std::uint32_t y = static_cast<std::uint32_t>(GalleryPlateTop(plate) + kGalleryPlateHeight + 1 + 8);
        EXPECT_EQ(pictures.At(right - 4, y), kWhite) << plate;
        EXPECT_EQ(pictures.At(right - 20, y), kWhite) << plate;
        EXPECT_EQ(pictures.At(right - 28, y), kCGModeBackgroundColor) << plate;
    }

    // The viewer: the click ended the pan at the right edge (x -576); the drag of 200 moved the
    // picture back to x -376.
    const TestCapturedFrame& panned = result.frames.at(kPanEnded);
    EXPECT_EQ(WideBlock(panned.At(4, 300)), 576 / 8);
    EXPECT_EQ(WideBlock(panned.At(1019, 300)), (kWideWidth - 1) / 8);
    EXPECT_EQ(WideBlock(panned.At(1019, 10)), (kWideWidth - 1) / 8);
    const TestCapturedFrame& dragged = result.frames.at(kDragged);
    EXPECT_EQ(WideBlock(dragged.At(4, 300)), 376 / 8);
    EXPECT_EQ(WideBlock(dragged.At(1019, 300)), (376 + 1019) / 8);

    // The replay gallery, the replayed scene, and the gallery again after its "RP.END".
    const TestCapturedFrame& replays = result.frames.at(kReplayGallery);
    EXPECT_EQ(replays.At(10, 10), kRPModeBackgroundColor);
    EXPECT_EQ(replays.At(PlateCenterX(0), PlateCenterY(0)), kReplayThumbnail);
    EXPECT_EQ(replays.At(PlateCenterX(1), PlateCenterY(1)), kLockedRPPlateColor);
    ExpectPercentShown(replays, "replays");
    EXPECT_EQ(result.frames.at(kReplayScene).At(10, 10), kSceneColor);
    const TestCapturedFrame& back = result.frames.at(kReplayBack);
    EXPECT_EQ(back.At(10, 10), kRPModeBackgroundColor);
    EXPECT_EQ(back.At(PlateCenterX(0), PlateCenterY(0)), kReplayThumbnail);

    // The music room: the second track's button on and the marker 37 pixels to its left.
    const TestCapturedFrame& music = result.frames.at(kTrackPlaying);
    EXPECT_EQ(music.At(10, 10), kBGMModeBackgroundColor);
    EXPECT_EQ(music.At(trackLeft + kGalleryButtonWidth / 2, trackTop + kGalleryButtonHeight / 2),
              kMusicButtonOnColor);
    EXPECT_EQ(music.At(trackLeft + kPlayingTipOffsetX + kPlayingTipSize / 2, trackTop + kPlayingTipSize / 2),
              kPlayingTipColor);
    const std::int32_t firstTop = MusicButtonTop(u"btn_bgmselect", 1);
    EXPECT_EQ(music.At(trackLeft + kPlayingTipOffsetX + kPlayingTipSize / 2, firstTop + kPlayingTipSize / 2),
              kBGMModeBackgroundColor);
    EXPECT_EQ(result.frames.at(kTitleAgain).At(10, 10), kTitleBackgroundColor);

    // The shut-down wrote the flags back.
    GxUserDataPerman flags;
    ASSERT_FALSE(result.saveFolder.empty());
    ASSERT_TRUE(LoadPermanentData(&flags, Utf8ToWide((result.saveFolder / "permanent.dat").string())));
    EXPECT_EQ(flags.m_ShowedCGFlags.count(u"ev_wide"), 1u);
    EXPECT_EQ(flags.m_PassedReplayLabels.count(kSceneLabel), 1u);
}

}  // namespace gallery_run
