// [Engine] whole runs with the data services installed, on a game folder with its own
// "system/sysconf.ini" and "setting.ini": what the configuration sets shows in the running engine
// (window title, save folder, packs, font sizes, the error picture), and the player's options are
// saved at shut-down and read back, with the sound-engine choice, at the next start.
#include "tests/support/engine_run_fixture.h"

#include "core/task_layer.h"
#include "data/system_config.h"
#include "data/user_config.h"
#include "foundation/bin_buffer.h"
#include "graphics/font_data.h"
#include "graphics/gdi_font_map.h"
#include "graphics/system_fonts.h"
#include "tests/support/game_folder.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/pack_builder.h"
#include "tests/support/ui/system_layer_rows.h"

namespace engine_test {
namespace {

constexpr char16_t kPackOnlyFile[] = u"data/only_in_pack.txt";
constexpr char kPackOnlyText[] = "found in the third pack";
constexpr std::uint32_t kConfiguredErrorColour = 0xFF3070A0;
constexpr std::uint32_t kDefaultErrorColour = 0xFFA07030;
constexpr char kXAudio2Line[] = "サウンドエンジンにXAudio2が選択されました";
constexpr char kDirectSoundLine[] = "サウンドエンジンにDirectSoundが選択されました";

// A ".fmp" table of two codes from 'A' (widths 5 and 9) over a 16 x 16 image, cells 16 high.
std::string MessageFontTable()
{
    std::string bytes(96 + 2 * 8, '\0');
    const auto put32 = [&](std::size_t offset, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            bytes[offset + i] = static_cast<char>(value >> (8 * i));
    };
    put32(16, 'A');
    put32(20, 'B');
    put32(40, 7);
    put32(44, 16);
    put32(52, 16);
    put32(56, 16);
    bytes[96 + 4] = 5;
    bytes[104 + 0] = 5;
    bytes[104 + 4] = 9;
    return bytes;
}

class ConfigurationRunTest : public EngineRunTest {
protected:
    void SetUp() override
    {
        EngineRunTest::SetUp();
        m_Documents = m_Home / "Documents";
        m_Save = m_Documents / "CONF_SAVE";
        fs::create_directories(m_Documents);
        TestGameFolder game(m_Game);
        // "setting.ini" moves the save folder to the documents folder against "system/sysconf.ini".
        game.SysConf({{"APP_TITLE", "Configured Game"},
                      {"APP_SAVEDIR", "CONF_SAVE"},
                      {"SAVE_TO_MYDOCUMENTS", "0"},
                      {"PACK_FILE_03", "extra.gxp"},
                      {"FONTSIZE_2", "30"},
                      {"MESWIN_TEXT_BUILTINFONTNAME", "msgfont"},
                      {"FILE_CG_ERROR", "cg/sys/broken.png"}})
            .Setting({{"SaveToMyDocuments", "1"}, {"SkipSlightError", "0"}});
        // The system layer's rows: without them its missing-row lines would count as errors and
        // bring up the status line over the probed picture.
        AddSystemLayer(game)
            .EmptyTables()
            .Pack("extra.gxp", TestPackBuilder().Add(kPackOnlyFile, std::string_view(kPackOnlyText)))
            .Png("cg/sys/broken.png", TestImage::Solid(64, 64, kConfiguredErrorColour))
            .Png("cg/error.png", TestImage::Solid(64, 64, kDefaultErrorColour))
            .Png("fonts/msgfont.png", TestImage::Solid(16, 16, 0xFFFFFFFF))
            .File("fonts/msgfont.fmp", MessageFontTable());
        ASSERT_TRUE(game.Ok());
    }

    void TearDown() override
    {
        SetBGMRestraintLevel(100);
        EngineRunTest::TearDown();
    }

    std::string DeviceLog() const { return ReadLog(m_Save / "device.log"); }

    fs::path m_Documents;
    fs::path m_Save;
};

TEST_F(ConfigurationRunTest, WhatTheConfigurationSetsShowsInTheRunningEngine)
{
    GxCore* core = GxCore::GetInstance();
    constexpr int kX = 200, kY = 100;
    std::string packed;
    std::int32_t fontSize = 0;
    std::uint32_t builtinWidth = 0;
    std::uint32_t errorPixel = 0;
    int passes = 0;
    m_Module.m_OnInitialize = [&] {
        GxBinBuffer buffer;
        if (GxFile::ReadWholeFile(buffer, kPackOnlyFile))
            packed.assign(reinterpret_cast<const char*>(buffer.GetData()), buffer.GetSize());
        fontSize = GetSystemFontMap(2)->GetFontSize();
        // The message window's built-in font from "fonts/" + its configured name.
        GxFontData* builtin = GetSystemBitmapFont(kBuiltinMessageFontIndex);
        if (builtin->IsLoaded() && builtin->HasChar(u'B'))
            builtinWidth = builtin->GetCharWidth(u'B');
    };
    m_Module.m_OnCreateSequences = [&](GxTaskBase* root) {
        auto* screen = new GxSeqBase(root, u"LayerScreen");
        auto* layer = new GxTaskLayer(screen, u"layer");
        layer->SetPos(GxVector3(kX, kY, 0.0f));
        layer->LoadFlexImage(u"cg/missing.png", 0);
        auto* probe = new ProbeTask(core->m_TaskManage->FindTask(u"SeqSystem"), u"probe", "probe", nullptr);
        probe->m_OnUpdate = [&, core](std::int32_t step) {
            if (step != 0)
                return;
            if (++passes == 2)
                core->m_TaskManage->ChangeSequenceByName(u"LayerScreen", 0, 0);
            if (passes == 5)
                errorPixel = BackBufferPixel(kX + 2, kY + 2);
        };
    };
    m_Run.SetMaxPasses(6);

    EXPECT_EQ(Run(), 0);

    EXPECT_EQ(WindowText(core->m_MainWindow), "Configured Game");
    EXPECT_EQ(ShownBoxes(),
              (std::vector<std::string>{"Configured Game|ドキュメントにセーブフォルダ[CONF_SAVE]を作成しました。"}));
    EXPECT_TRUE(fs::is_directory(m_Save));
    EXPECT_FALSE(fs::exists(m_Game / "CONF_SAVE"));
    EXPECT_EQ(Utf8(core->GetSaveDir()), m_Save.string() + "/");
    EXPECT_EQ(core->GetSaveDir(), core->m_SaveFolder);
    EXPECT_EQ(packed, kPackOnlyText);
    EXPECT_EQ(fontSize, 30);
    EXPECT_EQ(builtinWidth, 9u);
    EXPECT_EQ(errorPixel, kConfiguredErrorColour);
    // The options of a first start: mode 0 picks XAudio2 on the reported Windows 6.1.
    const std::string deviceLog = DeviceLog();
    EXPECT_NE(deviceLog.find(kXAudio2Line), std::string::npos) << deviceLog;
    EXPECT_EQ(deviceLog.find(kDirectSoundLine), std::string::npos) << deviceLog;
}

TEST_F(ConfigurationRunTest, TheOptionsAreSavedAtShutDownAndReadAtTheNextStart)
{
    GxCore* core = GxCore::GetInstance();
    struct Seen {
        std::int32_t bgmVolume = -1;
        std::int32_t engineMode = -1;
        std::int32_t engineModeInUse = -1;
        bool xaudio2 = false;
        std::int32_t restraint = -1;
        bool savedBeforeReset = false;
        bool configuredAtReset = false;
    };
    Seen seen;
    m_Module.m_OnCreateSequences = [&](GxTaskBase*) {
        // After the start-up read the options and chose the engine.
        GxUserConfig* options = core->m_UserConfig;
        ASSERT_NE(options, nullptr);
        seen.bgmVolume = options->m_Volume_BGM;
        seen.engineMode = options->m_SoundEngineMode;
        seen.engineModeInUse = options->m_SoundEngineModeInUse;
        seen.xaudio2 = core->m_SystemConfig->m_SoundEngineXAudio2;
        seen.restraint = GetBGMRestraintLevel();
        options->m_Volume_BGM = 37;
        options->m_SoundEngineMode = 1;
    };
    m_Module.m_OnBeforeReset = [&] {
        seen.savedBeforeReset = fs::is_regular_file(m_Save / "userconf.dat");
        seen.configuredAtReset = core->m_SystemConfig != nullptr && core->m_UserConfig != nullptr;
        SetBGMRestraintLevel(40);   // the reset lifts it again
    };
    m_Run.SetMaxPasses(3);

    SetBGMRestraintLevel(20);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(seen.bgmVolume, 80);
    EXPECT_EQ(seen.engineMode, 0);
    EXPECT_TRUE(seen.xaudio2);
    EXPECT_EQ(seen.restraint, 100);
    EXPECT_TRUE(seen.savedBeforeReset);
    EXPECT_TRUE(seen.configuredAtReset);
    EXPECT_EQ(GetBGMRestraintLevel(), 100);
    EXPECT_EQ(core->m_UserConfig, nullptr);
    EXPECT_EQ(core->m_SystemConfig, nullptr);

    // The second start reads the changed volume and chooses DirectSound by the saved option.
    seen = Seen{};
    platform::ResetUserStateForTesting();
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(seen.bgmVolume, 37);
    EXPECT_EQ(seen.engineMode, 1);
    EXPECT_EQ(seen.engineModeInUse, 1);
    EXPECT_FALSE(seen.xaudio2);
    const std::string deviceLog = DeviceLog();
    EXPECT_NE(deviceLog.find(kDirectSoundLine), std::string::npos) << deviceLog;
    EXPECT_EQ(deviceLog.find(kXAudio2Line), std::string::npos) << deviceLog;   // emptied at each start
}

// The core alone: nothing reads the game's files, the built-in values stand and no options are
// kept.
TEST_F(ConfigurationRunTest, WithoutDataServicesTheEngineRunsOnTheBuiltInValues)
{
    SetDataServices(nullptr);
    GxCore* core = GxCore::GetInstance();
    bool packed = true;
    bool withoutObjects = false;
    m_Module.m_OnInitialize = [&] {
        packed = FileExists(kPackOnlyFile) != kFileNotFound;
        withoutObjects = core->m_SystemConfig == nullptr && core->m_UserConfig == nullptr;
    };
    m_Run.SetMaxPasses(2);

    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(WindowText(core->m_MainWindow), "Tarnwick");
    EXPECT_EQ(Utf8(core->GetSaveDir()), (m_Documents / "Tarnwick_SAVE").string() + "/");
    EXPECT_TRUE(core->GetConfig() == GxCoreConfig{});
    EXPECT_FALSE(packed);
    EXPECT_TRUE(withoutObjects);
    EXPECT_FALSE(fs::exists(m_Documents / "Tarnwick_SAVE" / "userconf.dat"));
    EXPECT_EQ(ReadLog(m_Documents / "Tarnwick_SAVE" / "device.log").find("サウンドエンジン"), std::string::npos);
}

}  // namespace
}  // namespace engine_test
