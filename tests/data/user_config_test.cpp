// The player's options: defaults, the volume curves, and "userconf.dat" saved whole or not at
// all and read back in its fixed order.
#include "data_fixture.h"

#include "core/core.h"
#include "data/user_config.h"
#include "foundation/bin_buffer.h"
#include "foundation/content_binary.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <csignal>
#include <fstream>
#include <iterator>
#include <variant>

namespace data_test {
namespace {

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// One stored value: its name and either an S32 or a Bool.
struct Stored {
    const char* name;
    std::variant<std::int32_t, bool> value;
};

// A file's values in their stored order, as a content writer lays them down; `count` cuts it.
std::string WriteGolden(const std::filesystem::path& path, const std::vector<Stored>& values,
                        std::size_t count = SIZE_MAX, const char* header = "BCD")
{
    std::FILE* file = std::fopen(path.string().c_str(), "wb");
    EXPECT_NE(file, nullptr);
    {
        GxContentBinaryWriter writer(file);
        writer.WriteHeader(header, 100);
        for (std::size_t n = 0; n < values.size() && n < count; ++n) {
            if (std::holds_alternative<bool>(values[n].value))
                writer.WriteBool(values[n].name, std::get<bool>(values[n].value));
            else
                writer.WriteS32(values[n].name, std::get<std::int32_t>(values[n].value));
        }
    }
    std::fclose(file);
    return ReadAll(path);
}

// Distinct values for every stored option, in file order.
std::vector<Stored> SampleValues()
{
    std::vector<Stored> v = {
        {"m_ScreenMode", 1}, {"m_TextWaitTime", 61}, {"m_TextLongWaitTime", 481}, {"m_AutoWaitTime", 3001},
        {"m_TextWindowOpacity", 200}, {"m_AllowSkipUnreadText", true}, {"m_FastShowReadedText", false},
        {"m_ChangeColorReadedText", false}, {"m_ChangeColorSelectedMenu", false},
        {"m_KeepAutoModeAfterSelect", true}, {"m_KeepSkipModeAfterSelect", true}, {"m_StopScreenSaver", false},
        {"m_VoiceStopTiming", true}, {"m_WaitVoiceEndOnAutoMode", false}, {"m_NoVoiceSkipMode", true},
        {"m_UseSystemVoice", false}, {"m_SoundEngineMode", 2}, {"m_GameDataPage", 7},
        {"m_LastGameDataFileNum", 42}, {"m_Volume_Master", 91}, {"m_Volume_BGM", 81}, {"m_Volume_BGV", 71},
        {"m_Volume_System", 61}, {"m_Volume_Sound", 51}, {"m_Volume_Movie", 41}, {"m_Volume_RestrainBGM", 31},
        {"m_Volume_VoiceMaster", 21}, {"m_Volume_SystemVoice", 11},
    };
    for (int group = 0; group < 32; ++group) {
        v.push_back({"m_Volume_Voice", group * 3});
        v.push_back({"m_SystemVoice_Activated", group % 3 == 0});
    }
    v.push_back({"m_AsyncThreadNum", 4});
    return v;
}

constexpr std::size_t kValuesBeforeGroups = 28;

void SetSample(GxUserConfig& c)
{
    c.m_ScreenMode = 1;
    c.m_TextWaitTime = 61;
    c.m_TextLongWaitTime = 481;
    c.m_AutoWaitTime = 3001;
    c.m_TextWindowOpacity = 200;
    c.m_AllowSkipUnreadText = true;
    c.m_FastShowReadedText = false;
    c.m_ChangeColorReadedText = false;
    c.m_ChangeColorSelectedMenu = false;
    c.m_KeepAutoModeAfterSelect = true;
    c.m_KeepSkipModeAfterSelect = true;
    c.m_StopScreenSaver = false;
    c.m_VoiceStopTiming = true;
    c.m_WaitVoiceEndOnAutoMode = false;
    c.m_NoVoiceSkipMode = true;
    c.m_UseSystemVoice = false;
    c.m_SoundEngineMode = 2;
    c.m_GameDataPage = 7;
    c.m_LastGameDataFileNum = 42;
    c.m_Volume_Master = 91;
    c.m_Volume_BGM = 81;
    c.m_Volume_BGV = 71;
    c.m_Volume_System = 61;
    c.m_Volume_Sound = 51;
    c.m_Volume_Movie = 41;
    c.m_Volume_RestrainBGM = 31;
    c.m_Volume_VoiceMaster = 21;
    c.m_Volume_SystemVoice = 11;
    for (int group = 0; group < 32; ++group) {
        c.m_Volume_Voice[group] = group * 3;
        c.m_SystemVoice_Activated[group] = group % 3 == 0;
    }
    c.m_AsyncThreadNum = 4;
}

class UserConfigTest : public DataTest {
protected:
    void SetUp() override
    {
        DataTest::SetUp();
        m_Core.m_SaveFolder = Utf8ToWide(m_Temp.Path().string()) + u"/";
        SetBGMRestraintLevel(100);
    }
    void TearDown() override
    {
        SetBGMRestraintLevel(100);
        DataTest::TearDown();
    }
    std::filesystem::path FilePath() const { return m_Temp.Path() / "userconf.dat"; }

    GxCore m_Core;
};

TEST_F(UserConfigTest, ConstructionAndSetDefaults)
{
    GxUserConfig c;
    EXPECT_EQ(c.m_GameDataPage, 0);
    EXPECT_EQ(c.m_LastGameDataFileNum, -1);
    EXPECT_EQ(c.m_PadSetting, 0);
    EXPECT_EQ(c.m_PadAxisBinding, -1);
    EXPECT_EQ(c.m_KeyCodes[63][5], 0);
    EXPECT_EQ(c.m_Volume_BGM, 80);
    EXPECT_EQ(c.m_Volume_Master, 100);
    EXPECT_EQ(c.m_Volume_Voice[31], 100);
    EXPECT_TRUE(c.m_SystemVoice_Activated[0]);
    EXPECT_EQ(c.m_TextWaitTime, 60);
    EXPECT_EQ(c.m_AsyncThreadNum, 2);

    SetSample(c);
    c.m_SoundEngineModeInUse = 2;
    c.m_KeyCodes[3][2] = 65;
    c.m_PadSetting = 5;
    c.m_PadAxisBinding = 2;
    c.SetDefaults();
    EXPECT_EQ(c.m_AsyncThreadNum, 2);
    EXPECT_EQ(c.m_SoundEngineMode, 0);
    EXPECT_EQ(c.m_SoundEngineModeInUse, 0);
    EXPECT_EQ(c.m_Volume_Voice[5], 100);
    EXPECT_EQ(c.m_ScreenMode, 0);
    EXPECT_TRUE(c.m_UseSystemVoice);
    EXPECT_EQ(c.m_GameDataPage, 7);   // left alone
    EXPECT_EQ(c.m_LastGameDataFileNum, 42);
    EXPECT_EQ(c.m_KeyCodes[3][2], 65);
    EXPECT_EQ(c.m_PadSetting, 5);
    EXPECT_EQ(c.m_PadAxisBinding, 2);
}

TEST_F(UserConfigTest, Curves)
{
    struct CurveCase {
        std::int32_t percent;
        std::int32_t attenuation;
    };
    for (const CurveCase& c : std::vector<CurveCase>{{100, 0}, {80, -384}, {50, -1152}, {1, -5760}, {0, -9600},
                                                      {60, -864}, {40, -1536}, {25, -2304},
                                                      {150, 0}, {-5, -9600}})   // bounded
        EXPECT_EQ(VolumeToAttenuation(c.percent), c.attenuation) << c.percent;

    GxUserConfig fresh;
    EXPECT_EQ(fresh.GetBGMAttenuation(), -384);
    EXPECT_FLOAT_EQ(fresh.GetBGMGain(), 0.8f);
    EXPECT_EQ(fresh.GetSoundAttenuation(), 0);
    EXPECT_EQ(fresh.GetBGVAttenuation(true), -9600);
    EXPECT_EQ(fresh.GetBGVAttenuation(false), 0);

    GxUserConfig silent;
    silent.m_Volume_Master = 0;
    for (std::int32_t value : {silent.GetBGMAttenuation(), silent.GetBGVAttenuation(false), silent.GetSoundAttenuation(),
                               silent.GetMovieAttenuation(), silent.GetSystemVoiceAttenuation(),
                               silent.GetVoiceAttenuation(3)})
        EXPECT_EQ(value, -9600);
    EXPECT_EQ(silent.GetBGMGain(), 0.0f);

    GxUserConfig restrained;
    restrained.m_Volume_RestrainBGM = 50;
    SetBGMRestraintLevel(0);
    EXPECT_EQ(restrained.GetBGMAttenuation(), -1536);
    SetBGMRestraintLevel(50);
    EXPECT_EQ(restrained.GetBGMAttenuation(), -864);
    EXPECT_NEAR(restrained.GetBGMGain(), 0.6f, 1e-6);

    GxUserConfig voice;
    voice.m_Volume_Voice[4] = 50;
    voice.m_Volume_VoiceMaster = 50;
    EXPECT_EQ(voice.GetVoiceAttenuation(4), -2304);

    // Values no player can set (a damaged file) stay within the curve.
    GxUserConfig loud;
    loud.m_Volume_Master = 400;
    loud.m_Volume_Sound = -20;
    EXPECT_EQ(loud.GetSoundAttenuation(), -9600);
    loud.m_Volume_Sound = 100;
    EXPECT_EQ(loud.GetSoundAttenuation(), 0);
}

TEST_F(UserConfigTest, VoiceGroupOutsideTheTableCountsAsFullVolume)
{
    GxUserConfig c;
    c.m_Volume_VoiceMaster = 50;
    EXPECT_EQ(c.GetVoiceAttenuation(32), VolumeToAttenuation(50));
    EXPECT_EQ(c.GetVoiceAttenuation(-1), VolumeToAttenuation(50));
    EXPECT_EQ(c.GetCharVoiceAttenuation(80), VolumeToAttenuation(50));
    EXPECT_EQ(c.GetCharVoiceAttenuation(0), VolumeToAttenuation(50));   // row 0: group 0 at 100
}

TEST_F(UserConfigTest, SavedFileFollowsTheStoredOrderAndReadsBack)
{
    GxUserConfig saved;
    SetSample(saved);
    saved.m_KeyCodes[0][0] = 9;   // not stored
    ASSERT_TRUE(SaveUserConfig(&saved, &m_Core));
    const std::string golden = WriteGolden(m_Temp.Path() / "golden.dat", SampleValues());
    EXPECT_EQ(ReadAll(FilePath()), golden);
    EXPECT_FALSE(std::filesystem::exists(m_Temp.Path() / "userconf.dat.tmp"));

    GxUserConfig loaded;
    ASSERT_TRUE(LoadUserConfig(&loaded, &m_Core));
    // Every stored value survived: saving what was loaded gives the golden bytes again.
    std::filesystem::remove(FilePath());
    ASSERT_TRUE(SaveUserConfig(&loaded, &m_Core));
    EXPECT_EQ(ReadAll(FilePath()), golden);
    EXPECT_EQ(loaded.m_KeyCodes[0][0], 0);
    EXPECT_EQ(loaded.m_Volume_Voice[31], 93);
    EXPECT_TRUE(loaded.m_SystemVoice_Activated[30]);
    EXPECT_EQ(loaded.m_SoundEngineModeInUse, 2);
    EXPECT_EQ(m_Log.errors.size(), 0u);

    // A good save replaces the old file whole, a shorter one included.
    GxUserConfig defaults;
    ASSERT_TRUE(SaveUserConfig(&defaults, &m_Core));
    GxUserConfig again;
    SetSample(again);
    ASSERT_TRUE(LoadUserConfig(&again, &m_Core));
    EXPECT_EQ(again.m_Volume_Master, 100);
    EXPECT_EQ(again.m_LastGameDataFileNum, -1);
}

TEST_F(UserConfigTest, ThreadCountIsClampedOnLoad)
{
    for (auto [stored, loaded] : std::vector<std::pair<std::int32_t, std::int32_t>>{{0, 1}, {9, 6}, {-3, 1}, {6, 6}}) {
        std::vector<Stored> values = SampleValues();
        values.back().value = stored;
        WriteGolden(FilePath(), values);
        GxUserConfig c;
        ASSERT_TRUE(LoadUserConfig(&c, &m_Core));
        EXPECT_EQ(c.m_AsyncThreadNum, loaded) << stored;
    }
}

TEST_F(UserConfigTest, VolumesOutOfRangeAreBoundedOnLoad)
{
    std::vector<Stored> values = SampleValues();
    values[19].value = 250;   // m_Volume_Master
    values[20].value = -40;   // m_Volume_BGM
    values[kValuesBeforeGroups].value = 1000;   // group 0
    WriteGolden(FilePath(), values);
    GxUserConfig c;
    ASSERT_TRUE(LoadUserConfig(&c, &m_Core));
    EXPECT_EQ(c.m_Volume_Master, 100);
    EXPECT_EQ(c.m_Volume_BGM, 0);
    EXPECT_EQ(c.m_Volume_Voice[0], 100);
}

TEST_F(UserConfigTest, CutFileKeepsTheValuesBeforeTheCut)
{
    WriteGolden(FilePath(), SampleValues(), kValuesBeforeGroups);
    GxUserConfig c;
    EXPECT_FALSE(LoadUserConfig(&c, &m_Core));
    EXPECT_EQ(c.m_Volume_SystemVoice, 11);
    EXPECT_EQ(c.m_Volume_Master, 91);
    EXPECT_EQ(c.m_Volume_Voice[0], 100);
    EXPECT_EQ(c.m_AsyncThreadNum, 2);
    ASSERT_EQ(m_Log.errors.size(), 1u);
    EXPECT_EQ(m_Log.Count("userconf.dat"), 1);
}

TEST_F(UserConfigTest, RefusedFilesLeaveEveryValue)
{
    struct Case {
        const char* name;
        std::string bytes;
        bool logged;
    };
    const std::string other = WriteGolden(m_Temp.Path() / "other.dat", SampleValues(), SIZE_MAX, "BCX");
    const std::vector<Case> cases = {
        {"text form", "T\nm_ScreenMode=1\n", true},
        {"other header", other, true},
        {"empty", "", false},
    };
    for (const Case& c : cases) {
        m_Log.errors.clear();
        ASSERT_TRUE(WriteFileBytesTo(FilePath(), c.bytes));
        GxUserConfig config;
        EXPECT_FALSE(LoadUserConfig(&config, &m_Core)) << c.name;
        EXPECT_EQ(config.m_ScreenMode, 0) << c.name;
        EXPECT_EQ(config.m_Volume_BGM, 80) << c.name;
        EXPECT_EQ(m_Log.errors.size(), c.logged ? 1u : 0u) << c.name;
    }

    m_Log.errors.clear();
    std::filesystem::remove(FilePath());
    GxUserConfig config;
    EXPECT_FALSE(LoadUserConfig(&config, &m_Core));
    EXPECT_TRUE(m_Log.errors.empty());   // a first start is no error
}

TEST_F(UserConfigTest, FailedSaveKeepsTheEarlierFile)
{
    GxUserConfig first;
    first.m_Volume_BGM = 33;
    ASSERT_TRUE(SaveUserConfig(&first, &m_Core));
    const std::string before = ReadAll(FilePath());

    // A child process whose files cannot grow past 16 bytes: the write fails for real.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{16, 16};
        setrlimit(RLIMIT_FSIZE, &limit);
        m_Log.errors.clear();
        GxUserConfig second;
        second.m_Volume_BGM = 77;
        const bool saved = SaveUserConfig(&second, &m_Core);
        _exit(saved ? 10 : m_Log.Count("userconf.dat") == 1 && m_Log.errors.size() == 1 ? 0 : 11);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);   // 10: reported success; 11: not one log line
    EXPECT_EQ(ReadAll(FilePath()), before);
    EXPECT_FALSE(std::filesystem::exists(m_Temp.Path() / "userconf.dat.tmp"));
}

TEST_F(UserConfigTest, UnwritableFolderFailsWithOneLine)
{
    m_Core.m_SaveFolder = Utf8ToWide((m_Temp.Path() / "missing").string()) + u"/";
    GxUserConfig c;
    EXPECT_FALSE(SaveUserConfig(&c, &m_Core));
    EXPECT_EQ(m_Log.errors.size(), 1u);
}

}  // namespace
}  // namespace data_test
