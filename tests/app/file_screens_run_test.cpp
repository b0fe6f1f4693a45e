// The engine binary saves a game through the save screen and a second run of it loads that game
// through the load screen: title, start, the play screen's "btn_save", page 3, plate 0, yes; then
// the slot's files read back with the data library's readers, the thumbnail against the frame the
// player saw, and the options that carry the page over to the next run, whose load screen opens
// on that page, shows the same thumbnail and brings the saved scene back.
#include "data/user_config.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "foundation/bin_buffer.h"
#include "foundation/wide_string.h"
#include "graphics/png_image.h"
#include "tests/support/engine_runner.h"
#include "tests/support/game_folder.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/image_set_builder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/ui/file_screen_rows.h"
#include "tests/support/ui/message_window_rows.h"
#include "tests/support/ui/system_layer_rows.h"
#include "tests/support/ui/title_rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kThumbWidth = 1024 / 8;
constexpr std::uint32_t kThumbHeight = 768 / 8;
constexpr std::int32_t kThumbLeft = 52;
constexpr std::int32_t kThumbTop = 150;
constexpr std::int32_t kTipLeft = 446;
constexpr std::int32_t kTipTop = 151;

// The user dialog (400 x 200) centred and 120 above the middle: its "yes" on the left.
constexpr int kYesX = (1024 - kSystemDialogWidth) / 2 + 84 + kSystemButtonWidth / 2;
constexpr int kYesY = (768 - kSystemDialogHeight) / 2 - 120 + 120 + kSystemButtonHeight / 2;

// Four quadrants of their own hue, each with gradients and stripes across it, so that the 8 x 8
// blocks differ from their neighbours and a swapped channel or a shifted block shows.
std::uint32_t ScenePixelAt(std::uint32_t x, std::uint32_t y)
{
    const bool right = x >= 512;
    const bool bottom = y >= 384;
    const std::uint32_t red = (right ? 160u : 40u) + (x % 256) / 4;
    const std::uint32_t green = (bottom ? 150u : 30u) + (y % 192) / 3;
    const std::uint32_t blue = (right != bottom ? 170u : 50u) + ((x + 2 * y) % 128) / 2;
    return 0xFF000000u | red << 16 | green << 8 | blue;
}

int ChannelDistance(std::uint32_t a, std::uint32_t b)
{
    int most = 0;
    for (int shift : {0, 8, 16}) {
        const int difference = static_cast<int>((a >> shift) & 0xFFu) - static_cast<int>((b >> shift) & 0xFFu);
        most = std::max(most, std::abs(difference));
    }
    return most;
}

// The mean of the 8 x 8 block (column, row) of a frame, opaque.
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

std::string ReadFileBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A decoded PNG as 0xAARRGGBB values; empty when it does not decode.
TestImage ReadPng(const fs::path& path)
{
    const std::string bytes = ReadFileBytes(path);
    TestImage image;
    std::uint8_t* pixels = DecodePngMemory(bytes.data(), bytes.size(), &image.width, &image.height);
    if (pixels == nullptr)
        return TestImage{};
    image.argb.resize(static_cast<std::size_t>(image.width) * image.height);
    for (std::size_t i = 0; i < image.argb.size(); ++i)
        image.argb[i] = static_cast<std::uint32_t>(pixels[i * 4]) | static_cast<std::uint32_t>(pixels[i * 4 + 1]) << 8 |
                        static_cast<std::uint32_t>(pixels[i * 4 + 2]) << 16 |
                        static_cast<std::uint32_t>(pixels[i * 4 + 3]) << 24;
    FreePngPixels(pixels);
    return image;
}

// Pixels of the thumbnail's place on a file screen that differ from the slot's picture by more
// than 1 in a channel.
int ThumbnailMismatches(const TestCapturedFrame& frame, const TestImage& thumb)
{
    int wrong = 0;
    for (std::uint32_t y = 0; y < kThumbHeight; ++y)
        for (std::uint32_t x = 0; x < kThumbWidth; ++x)
            wrong += ChannelDistance(frame.At(kThumbLeft + x, kThumbTop + y), thumb.At(x, y)) > 1;
    return wrong;
}

// The message window's text region (40, 24, 800, 150 inside the window at (72, 540)).
bool InTextRegion(std::uint32_t x, std::uint32_t y)
{
    return x >= 72 + 40 && x < 72 + 40 + 800 && y >= 540 + 24 && y < 540 + 24 + 150;
}

bool BuildFileGame(TestGameFolder& game)
{
    // The second page makes sure the click on "btn_save" does not move the script on.
    game.SysConf({{"APP_TITLE", "File Screens"}, {"APP_SAVEDIR", "FILE_SAVE"}, {"SAVE_TO_MYDOCUMENTS", "0"}})
        .Script("*MAIN\n"
                "BUILTIN BG, FIN\n"
                "BG(\"quad\", 0)\n"
                "FIN(300)\n"
                "The scene to keep.\n"
                "The next page.\n"
                "EXIT()\n")
        .Png("cg/bg/quad.png", TestImage::Make(1024, 768, &ScenePixelAt))
        .StartupFiles();
    TestImageSetSpec avgMain = OnePatternImageSet(u"ui.png", u"avgmain/button.png", 8, 8);
    avgMain.origins.push_back(avgMain.origins.front());
    avgMain.origins.back().fileName = u"select_off.png";
    game.ImageSet("uigis/ui_avgmain.gis", avgMain);
    std::vector<ModuleRow> modules = TitleModuleRows();
    for (ModuleRow row : PlayScreenModuleRows()) {
        // The choice buttons, which the saved game records, take their cells from the play
        // screen's resident image set.
        if (row.name == u"btn_select0") {
            row.imageSet = u"ui_avgmain";
            row.image = u"select";
        }
        modules.push_back(row);
    }
    for (const ModuleRow& row : PlayFileButtonModuleRows())
        modules.push_back(row);
    for (const ModuleRow& row : FileScreenModuleRows())
        modules.push_back(row);
    std::vector<LayoutRow> layouts = PlayScreenLayoutRows();
    for (const std::vector<LayoutRow>& more :
         {TitleLayoutRows(), PlayFileButtonLayoutRows(), FileScreenLayoutRows()})
        layouts.insert(layouts.end(), more.begin(), more.end());
    for (std::size_t i = 0; i < layouts.size(); ++i)
        layouts[i].id = static_cast<std::int32_t>(i) + 1;
    AddSystemLayer(game, modules, layouts);
    AddTitleFiles(game);
    AddFileScreenFiles(game);
    game.EmptyTables();
    return WriteMessageWindowFrame(game.Path() / "cg" / "ui") && WritePlayFileButtonImages(game.Path() / "cg" / "ui");
}

TEST(FileScreensRun, ASavedGameComesBackThroughTheLoadScreenOfTheNextRun)
{
    TestTempDir folder("tw_file_screens_run");
    ASSERT_TRUE(folder.Valid());
    TestGameFolder game(folder.Join("game"));
    ASSERT_TRUE(BuildFileGame(game));
    ASSERT_TRUE(game.Ok()) << game.Errors().front();

    TestEngineRunner runner(TW_TARNWICK);
    ASSERT_TRUE(runner.Valid());
    runner.SetTimeoutSeconds(180);

    // ---- the first run: save into slot 17 --------------------------------------------------
    // Every step waits out the 400 ms fades (24 passes) with room to spare; the passes only
    // make the steps safer: a slower machine gets there sooner.
    constexpr std::uint32_t kStart = 50;
    constexpr std::uint32_t kBeforeSave = 170;   // the play screen settled, its page whole
    constexpr std::uint32_t kSave = kBeforeSave + 1;
    constexpr std::uint32_t kPage = 240;
    constexpr std::uint32_t kPlate = 270;
    constexpr std::uint32_t kYes = 310;
    constexpr std::uint32_t kSaved = 350;
    AddTitleClick(runner, kStart, u"btn_title_start");
    AddClick(runner, kSave, kPlaySaveLeft + kPlayButtonWidth / 2, kPlayButtonTop + kPlayButtonHeight / 2);
    AddFilePageClick(runner, kPage, 3);
    AddFilePlateClick(runner, kPlate, 0);
    AddClick(runner, kYes, kYesX, kYesY);
    runner.SetCapturePasses({kBeforeSave, kSaved});
    runner.SetMaxFrames(kSaved + 10);
    const TestEngineResult first = runner.Run(game.Path());
    ASSERT_TRUE(first.started);
    ASSERT_FALSE(first.timedOut);
    ASSERT_EQ(first.exitCode, 0) << first.stderrText;
    EXPECT_EQ(first.ErrorLogUtf8(), "");
    ASSERT_FALSE(first.saveFolder.empty());
    ASSERT_EQ(first.frames.count(kBeforeSave), 1u);
    const TestCapturedFrame& scene = first.frames.at(kBeforeSave);
    ASSERT_EQ(scene.width, 1024u);
    ASSERT_EQ(scene.height, 768u);
    // The play screen, uncovered, with its page: the picture and the message window.
    EXPECT_EQ(scene.At(10, 10), ScenePixelAt(10, 10));
    EXPECT_EQ(scene.At(1000, 400), ScenePixelAt(1000, 400));
    EXPECT_EQ(scene.At(80, 545), kMessageFrameColor);
    EXPECT_EQ(scene.At(kPlaySaveLeft + 4, kPlayButtonTop + 4), kPlaySaveButtonColor);

    // The slot's game data in the binary form, naming the play screen.
    const fs::path saves = first.saveFolder;
    const std::string data = ReadFileBytes(saves / "gamedata017.gd");
    ASSERT_FALSE(data.empty());
    EXPECT_EQ(data[0], 'B');
    GxGameDataHeader header;
    ASSERT_TRUE(ReadGameDataHeader((saves / "gamedata017.gd").u16string(), &header));
    EXPECT_TRUE(header.m_Valid);
    EXPECT_FALSE(header.m_SaveTime.empty());
    EXPECT_EQ(WideToUtf8(header.m_RestoreSequence), "SeqAvgMain");

    // The thumbnail: each pixel the mean of its 8 x 8 block of what the player saw.
    const TestImage thumb = ReadPng(saves / "thumb017.png");
    ASSERT_EQ(thumb.width, kThumbWidth);
    ASSERT_EQ(thumb.height, kThumbHeight);
    int wrong = 0;
    for (std::uint32_t row = 0; row < kThumbHeight; ++row)
        for (std::uint32_t column = 0; column < kThumbWidth; ++column) {
            const std::uint32_t pixel = thumb.At(column, row);
            wrong += (pixel >> 24) != 0xFFu || ChannelDistance(pixel, BlockMean(scene, column, row)) > 1;
        }
    EXPECT_EQ(wrong, 0);

    // The options hold the page and the newest slot; the persistent flags were written.
    const std::string configBytes = ReadFileBytes(saves / "userconf.dat");
    ASSERT_FALSE(configBytes.empty());
    GxBinBuffer buffer;
    std::copy(configBytes.begin(), configBytes.end(),
              buffer.Allocate(static_cast<std::uint32_t>(configBytes.size())));
    GxUserConfig options;
    ASSERT_TRUE(DecodeUserConfig(&options, buffer, nullptr));
    EXPECT_EQ(options.m_GameDataPage, 2);
    EXPECT_EQ(options.m_LastGameDataFileNum, 17);
    GxUserDataPerman permanent;
    EXPECT_TRUE(LoadPermanentData(&permanent, (saves / "permanent.dat").u16string()));

    // The save screen after the save: page 3 on, the new slot's tip and picture on plate 0.
    ASSERT_EQ(first.frames.count(kSaved), 1u);
    const TestCapturedFrame& saved = first.frames.at(kSaved);
    EXPECT_EQ(saved.At(FilePageCenterX(3), FilePageCenterY()), kPageOnColor);
    EXPECT_EQ(saved.At(FilePageCenterX(1), FilePageCenterY()), kPageOffColor);
    EXPECT_EQ(saved.At(kTipLeft + 1, kTipTop + 1), kNewTipColor);
    EXPECT_EQ(saved.At(kTipLeft + kNewTipSize - 2, kTipTop + 1), kNewTipColor);
    EXPECT_NE(saved.At(kTipLeft - 2, kTipTop + 1), kNewTipColor);
    EXPECT_EQ(ThumbnailMismatches(saved, thumb), 0);
    EXPECT_EQ(saved.At(kThumbLeft + kThumbWidth + 4, kThumbTop + kThumbHeight + 4), kFilePlateColor);

    // ---- the second run on the same save folder: load slot 17 ---------------------------
    runner.ClearInput();
    constexpr std::uint32_t kOpenLoad = 50;
    constexpr std::uint32_t kLoadShown = 130;
    constexpr std::uint32_t kLoadPlate = 140;
    constexpr std::uint32_t kLoadYes = 170;
    constexpr std::uint32_t kLoaded = 280;
    AddTitleClick(runner, kOpenLoad, u"btn_title_load");
    AddFilePlateClick(runner, kLoadPlate, 0);
    AddClick(runner, kLoadYes, kYesX, kYesY);
    runner.SetCapturePasses({kLoadShown, kLoaded});
    runner.SetMaxFrames(kLoaded + 10);
    const TestEngineResult second = runner.Run(game.Path());
    ASSERT_TRUE(second.started);
    ASSERT_FALSE(second.timedOut);
    ASSERT_EQ(second.exitCode, 0) << second.stderrText;
    EXPECT_EQ(second.ErrorLogUtf8(), "");
    EXPECT_EQ(second.saveFolder, first.saveFolder);

    // The load screen opens on the page of the last visit, with the slot's picture and tip.
    ASSERT_EQ(second.frames.count(kLoadShown), 1u);
    const TestCapturedFrame& load = second.frames.at(kLoadShown);
    EXPECT_EQ(load.At(10, 700), kLoadBackgroundColor);
    EXPECT_EQ(load.At(FilePageCenterX(3), FilePageCenterY()), kPageOnColor);
    EXPECT_EQ(load.At(FilePageCenterX(1), FilePageCenterY()), kPageOffColor);
    EXPECT_EQ(load.At(kTipLeft + 1, kTipTop + 1), kNewTipColor);
    EXPECT_EQ(ThumbnailMismatches(load, thumb), 0);

    // Its plate and "yes" bring the saved scene back on the play screen.
    ASSERT_EQ(second.frames.count(kLoaded), 1u);
    const TestCapturedFrame& loaded = second.frames.at(kLoaded);
    // A page already read shows in the read colour: the glyphs stand where they stood, the
    // rest of the frame is what the player saw when saving.
    int differing = 0;
    int recoloured = 0;
    for (std::uint32_t y = 0; y < 768; ++y)
        for (std::uint32_t x = 0; x < 1024; ++x) {
            const std::uint32_t now = loaded.At(x, y);
            const std::uint32_t then = scene.At(x, y);
            if (ChannelDistance(now, then) <= 1)
                continue;
            if (InTextRegion(x, y) && now != kMessageFrameColor && then != kMessageFrameColor)
                ++recoloured;
            else
                ++differing;
        }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(recoloured, 100);
}

}  // namespace
