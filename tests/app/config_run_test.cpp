// The engine binary through the configuration screen: from the title to each tab page, a slider
// dragged on the system and the sound page, an on/off pair and a plate's system-voice switch
// flipped, another sound engine chosen (its restart notice with the lone OK), the voice page's
// plates with their faces scrolled by a row, back to the title and out through the shut-down
// dialog; "userconf.dat" then holds the changed options, and a second run shows them on the
// controls and starts the chosen sound engine.
#include "data/user_config.h"
#include "foundation/bin_buffer.h"
#include "tests/support/engine_runner.h"
#include "tests/support/game_folder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/ui/config_rows.h"
#include "tests/support/ui/system_layer_rows.h"
#include "tests/support/ui/title_rows.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

// The user dialog (400 x 200) centred and 120 above the middle, the lone OK centred along its
// bottom; the shut-down dialog at the same place with yes at the left.
constexpr int kConfigDialogX = (1024 - kSystemDialogWidth) / 2;
constexpr int kConfigDialogY = (768 - kSystemDialogHeight) / 2 - 120;
constexpr int kConfigButtonsY = kConfigDialogY + kSystemDialogHeight - 40 - kSystemButtonHeight / 2;
constexpr int kConfigLoneOkX = kConfigDialogX + (kSystemDialogWidth - kSystemButtonWidth) / 2 + kSystemButtonWidth / 2;
constexpr int kConfigShutdownYesX = kConfigDialogX + 84 + kSystemButtonWidth / 2;
constexpr int kConfigRunFrameBound = 900;   // the run ends by the dialog's yes long before

// Options the first run sets, away from the defaults (a wait of 60 ms and music at 80).
constexpr int kConfigNewTextWait = 30;
constexpr int kConfigNewMusicVolume = 40;

TestGameFolder ConfigGame(const fs::path& path)
{
    TestGameFolder game(path);
    game.SysConf({{"APP_TITLE", "Config Run"}, {"APP_SAVEDIR", "CONFIG_SAVE"}, {"SAVE_TO_MYDOCUMENTS", "0"}})
        .Setting({})
        .Script("*MAIN\nEXIT()\n")
        .StartupFiles();
    AddTitleFiles(game);
    AddConfigFiles(game, 7);
    std::vector<ModuleRow> modules = TitleModuleRows();
    for (const ModuleRow& row : ConfigModuleRows())
        modules.push_back(row);
    std::vector<LayoutRow> layouts = TitleLayoutRows(1);
    for (const LayoutRow& row : ConfigLayoutRows(static_cast<std::int32_t>(layouts.size()) + 1))
        layouts.push_back(row);
    AddSystemLayer(game, modules, layouts);
    game.EmptyTables();
    return game;
}

GxUserConfig ReadStoredOptions(const fs::path& file, bool* ok)
{
    std::ifstream in(file, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    GxUserConfig config;
    *ok = false;
    if (bytes.empty())
        return config;
    GxBinBuffer buffer;
    std::copy(bytes.begin(), bytes.end(), buffer.Allocate(static_cast<std::uint32_t>(bytes.size())));
    *ok = DecodeUserConfig(&config, buffer, nullptr);
    return config;
}

// The colour at a point of a captured frame, 0 when the pass was not captured.
std::uint32_t ConfigPixelAt(const TestEngineResult& result, std::uint32_t pass, int x, int y)
{
    const auto frame = result.frames.find(pass);
    return frame != result.frames.end() ? frame->second.At(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y))
                                        : 0u;
}

void AddConfigPointClick(TestEngineRunner& runner, std::uint32_t pass, int x, int y)
{
    const std::string at = " " + std::to_string(x) + " " + std::to_string(y);
    runner.AddInput(pass, "move" + at);
    runner.AddInput(pass + 1, "ldown" + at);
    runner.AddInput(pass + 2, "lup" + at);
}

// A horizontal slider's thumb at `value` and the track where `old` would put it.
void ExpectConfigThumb(const TestEngineResult& result, std::uint32_t pass, const std::u16string& folder,
                 const std::u16string& name, double value, double old)
{
    const int y = ConfigCenterY(folder, name);
    EXPECT_EQ(ConfigPixelAt(result, pass, ConfigThumbCenterX(folder, name, value), y), kConfigThumbColor)
        << "pass " << pass << " value " << value;
    EXPECT_EQ(ConfigPixelAt(result, pass, ConfigThumbCenterX(folder, name, old), y), kConfigTrackColor)
        << "pass " << pass << " value " << old;
}

std::uint32_t ConfigWidgetPixel(const TestEngineResult& result, std::uint32_t pass, const std::u16string& folder,
                       const std::u16string& name, std::int32_t index)
{
    return ConfigPixelAt(result, pass, ConfigCenterX(folder, name, index), ConfigCenterY(folder, name, index));
}

// The face's colour at plate i's top-left corner, the plate's own further in.
void ExpectConfigPlate(const TestEngineResult& result, std::uint32_t pass, std::int32_t plate, std::int32_t faceID)
{
    const int left = ConfigLeft(kConfigVoice, u"tip_voiceplate", plate);
    const int top = ConfigTop(kConfigVoice, u"tip_voiceplate", plate);
    const int face = kConfigFaceSize / 2;
    EXPECT_EQ(ConfigPixelAt(result, pass, left + face, top + face), ConfigFaceColor(faceID))
        << "pass " << pass << " plate " << plate;
    EXPECT_EQ(ConfigPixelAt(result, pass, left + kConfigPlateWidth - face, top + kConfigPlateHeight - face),
              kConfigPlateColor)
        << "pass " << pass << " plate " << plate;
}

TEST(ConfigRun, ThePagesChangeTheOptionsAndTheNextRunShowsThem)
{
    TestTempDir folder("tw_config_run");
    ASSERT_TRUE(folder.Valid());
    const TestGameFolder game = ConfigGame(folder.Join("game"));
    ASSERT_TRUE(game.Ok()) << game.Errors().front();
    const GxUserConfig defaults;
    const double textSpeed = -defaults.m_TextWaitTime;
    const double music = defaults.m_Volume_BGM;
    ASSERT_FALSE(defaults.m_AllowSkipUnreadText);

    TestEngineRunner runner(TW_TARNWICK);
    ASSERT_TRUE(runner.Valid());
    runner.SetMaxFrames(kConfigRunFrameBound);
    runner.SetTimeoutSeconds(200);
    // Each screen change is waited out (400 ms of fade, far fewer passes); every capture comes
    // well after the step before it.
    AddTitleClick(runner, 60, u"btn_title_config");
    AddConfigSliderDrag(runner, 120, kConfigSystem, u"hsld_textspeed", textSpeed, -kConfigNewTextWait);
    AddConfigClick(runner, 128, kConfigSystem, u"btn_on", 2);
    AddConfigClick(runner, 145, kConfigTop, u"btn_tabconf_sound");
    AddConfigSliderDrag(runner, 170, kConfigSound, u"hsld_vol_bgm", music, kConfigNewMusicVolume);
    AddConfigClick(runner, 185, kConfigSound, u"btn_directsound", 4);
    AddConfigPointClick(runner, 213, kConfigLoneOkX, kConfigButtonsY);
    AddConfigClick(runner, 230, kConfigTop, u"btn_tabconf_game");
    AddConfigClick(runner, 250, kConfigTop, u"btn_tabconf_voice");
    AddConfigClick(runner, 272, kConfigVoice, u"btn_systemvoice", 0);
    AddConfigClick(runner, 280, kConfigVoice, u"btn_scrolldown_voice");
    AddConfigClick(runner, 310, kConfigTop, u"btn_back");
    AddTitleClick(runner, 380, u"btn_title_exit");
    AddConfigPointClick(runner, 410, kConfigShutdownYesX, kConfigButtonsY);
    runner.SetCapturePasses({110, 136, 165, 180, 205, 225, 245, 270, 278, 300, 370, 400});
    const TestEngineResult result = runner.Run(game.Path());
    ASSERT_TRUE(result.started);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
    EXPECT_EQ(result.frames.size(), 12u);

    // The system page: its background, its tab on, the text-speed thumb at the default; then
    // dragged, and the first switch turned on.
    EXPECT_EQ(ConfigPixelAt(result, 110, 5, 700), kConfigBackgroundColors[0]);
    EXPECT_EQ(ConfigWidgetPixel(result, 110, kConfigTop, u"btn_tabconf_system", 0), kConfigTabOnColor);
    EXPECT_EQ(ConfigWidgetPixel(result, 110, kConfigTop, u"btn_tabconf_sound", 0), kConfigTabOffColor);
    ExpectConfigThumb(result, 110, kConfigSystem, u"hsld_textspeed", textSpeed, -kConfigNewTextWait);
    EXPECT_EQ(ConfigWidgetPixel(result, 110, kConfigSystem, u"btn_off", 2), kConfigSwitchOnColor);
    ExpectConfigThumb(result, 136, kConfigSystem, u"hsld_textspeed", -kConfigNewTextWait, textSpeed);
    EXPECT_EQ(ConfigWidgetPixel(result, 136, kConfigSystem, u"btn_on", 2), kConfigSwitchOnColor);
    EXPECT_EQ(ConfigWidgetPixel(result, 136, kConfigSystem, u"btn_off", 2), kConfigSwitchOffColor);

    // The sound page, the music slider dragged; the other engine shows the restart notice with
    // the OK alone, centred; OK closes it.
    EXPECT_EQ(ConfigPixelAt(result, 165, 5, 700), kConfigBackgroundColors[1]);
    EXPECT_EQ(ConfigWidgetPixel(result, 165, kConfigTop, u"btn_tabconf_sound", 0), kConfigTabOnColor);
    EXPECT_EQ(ConfigWidgetPixel(result, 165, kConfigSound, u"btn_soundauto", 4), kConfigSwitchOnColor);
    ExpectConfigThumb(result, 180, kConfigSound, u"hsld_vol_bgm", kConfigNewMusicVolume, music);
    // A corner of the dialog over nothing else of the page.
    const int cornerX = kConfigDialogX + kSystemDialogWidth - 4;
    const int cornerY = kConfigDialogY + kSystemDialogHeight - 4;
    EXPECT_EQ(ConfigPixelAt(result, 205, cornerX, cornerY), kUserDialogColor);
    EXPECT_EQ(ConfigPixelAt(result, 205, kConfigLoneOkX, kConfigButtonsY), kOkButtonColor);
    EXPECT_EQ(ConfigPixelAt(result, 205, kConfigShutdownYesX, kConfigButtonsY), kUserDialogColor);
    EXPECT_EQ(ConfigPixelAt(result, 225, cornerX, cornerY), kConfigBackgroundColors[1]);
    EXPECT_EQ(ConfigWidgetPixel(result, 225, kConfigSound, u"btn_directsound", 4), kConfigSwitchOnColor);
    EXPECT_EQ(ConfigWidgetPixel(result, 225, kConfigSound, u"btn_soundauto", 4), kConfigSwitchOffColor);

    // The game page: its background and no control of the other pages.
    EXPECT_EQ(ConfigPixelAt(result, 245, 5, 700), kConfigBackgroundColors[3]);
    EXPECT_EQ(ConfigWidgetPixel(result, 245, kConfigSound, u"btn_directsound", 4), kConfigBackgroundColors[3]);

    // The voice page: six plates of seven rows with their faces and the scroll controls; one
    // row down, faces 2 to 6 on plates 0 to 4 and no sixth plate.
    EXPECT_EQ(ConfigPixelAt(result, 270, 5, 700), kConfigBackgroundColors[2]);
    for (std::int32_t plate = 0; plate < 6; ++plate)
        ExpectConfigPlate(result, 270, plate, plate);
    EXPECT_EQ(ConfigWidgetPixel(result, 270, kConfigVoice, u"btn_scrollup_voice", 0), kConfigButtonColor);
    EXPECT_EQ(ConfigWidgetPixel(result, 270, kConfigVoice, u"btn_scrolldown_voice", 0), kConfigButtonColor);
    const int scrollX = ConfigCenterX(kConfigVoice, u"hsld_scroll_voice");
    const int scrollTop = ConfigTop(kConfigVoice, u"hsld_scroll_voice") + kConfigSliderMargin;
    const int scrollBottom = scrollTop + kConfigScrollHeight - 2 * kConfigSliderMargin;
    EXPECT_EQ(ConfigPixelAt(result, 270, scrollX, scrollTop), kConfigThumbColor);
    EXPECT_EQ(ConfigPixelAt(result, 270, scrollX, scrollBottom - 1), kConfigTrackColor);
    // The first plate's system-voice switch turned off, stored at once.
    EXPECT_EQ(ConfigWidgetPixel(result, 270, kConfigVoice, u"btn_systemvoice", 0), kConfigSwitchOnColor);
    EXPECT_EQ(ConfigWidgetPixel(result, 278, kConfigVoice, u"btn_systemvoice", 0), kConfigSwitchOffColor);
    for (std::int32_t plate = 0; plate < 5; ++plate)
        ExpectConfigPlate(result, 300, plate, plate + 2);
    EXPECT_EQ(ConfigWidgetPixel(result, 300, kConfigVoice, u"tip_voiceplate", 5), kConfigBackgroundColors[2]);
    EXPECT_EQ(ConfigPixelAt(result, 300, scrollX, scrollBottom - 1), kConfigThumbColor);

    // Back at the title; then its exit button's shut-down dialog, whose yes ended the run.
    EXPECT_EQ(ConfigPixelAt(result, 370, 5, 700), kTitleBackgroundColor);
    const std::u16string config = u"btn_title_config";
    EXPECT_EQ(ConfigPixelAt(result, 370, TitleButtonCenterX(config), TitleButtonCenterY(config)),
              FindTitleButton(config)->color);
    EXPECT_EQ(ConfigPixelAt(result, 400, kConfigShutdownYesX, kConfigButtonsY), kYesButtonColor);
    EXPECT_NE(result.DeviceLogUtf8().find("サウンドエンジンにXAudio2が選択されました"), std::string::npos)
        << result.DeviceLogUtf8();

    bool ok = false;
    const GxUserConfig stored = ReadStoredOptions(result.saveFolder / "userconf.dat", &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(stored.m_TextWaitTime, kConfigNewTextWait);
    EXPECT_EQ(stored.m_TextLongWaitTime, 8 * kConfigNewTextWait);
    EXPECT_TRUE(stored.m_AllowSkipUnreadText);
    EXPECT_FALSE(stored.m_SystemVoice_Activated[0]);
    EXPECT_TRUE(stored.m_SystemVoice_Activated[1]);
    EXPECT_EQ(stored.m_Volume_BGM, kConfigNewMusicVolume);
    EXPECT_EQ(stored.m_SoundEngineMode, 1);

    // The next run starts the chosen engine and shows the stored values on both pages.
    runner.ClearInput();
    AddTitleClick(runner, 60, u"btn_title_config");
    AddConfigClick(runner, 120, kConfigTop, u"btn_tabconf_sound");
    runner.AddInput(160, "close");
    AddConfigPointClick(runner, 190, kConfigShutdownYesX, kConfigButtonsY);
    runner.SetCapturePasses({110, 150});
    const TestEngineResult again = runner.Run(game.Path());
    ASSERT_TRUE(again.started);
    EXPECT_FALSE(again.timedOut);
    EXPECT_EQ(again.exitCode, 0) << again.stderrText;
    EXPECT_NE(again.DeviceLogUtf8().find("サウンドエンジンにDirectSoundが選択されました"), std::string::npos)
        << again.DeviceLogUtf8();
    ExpectConfigThumb(again, 110, kConfigSystem, u"hsld_textspeed", -kConfigNewTextWait, textSpeed);
    EXPECT_EQ(ConfigWidgetPixel(again, 110, kConfigSystem, u"btn_on", 2), kConfigSwitchOnColor);
    ExpectConfigThumb(again, 150, kConfigSound, u"hsld_vol_bgm", kConfigNewMusicVolume, music);
    EXPECT_EQ(ConfigWidgetPixel(again, 150, kConfigSound, u"btn_directsound", 4), kConfigSwitchOnColor);
}

}  // namespace
