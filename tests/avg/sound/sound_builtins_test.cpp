// [Adventure builtins] music, background voice, effects and voices on the real channel manager
// over the capture sink, read back through its queries and the game data's sound records: the
// arguments and their defaults, the folders and look-ups, the missing files that stop the script
// only under their developer switches, the aliases, and the wait registrations.
#include "tests/media/sound_fixture.h"

#include "avg/avg_builtin.h"
#include "avg/game_sound_services.h"
#include "avg/game_sound_state.h"
#include "core/core.h"
#include "data/data_tables.h"
#include "data/db_avgchar.h"
#include "data/db_bgmmode.h"
#include "data/user_data.h"
#include "foundation/wide_string.h"
#include "media/audio_channels.h"
#include "script/function_binder.h"
#include "script/moa_ex.h"
#include "script/variable.h"
#include "script/worker.h"
#include "tests/avg/builtin_call.h"
#include "tests/avg/sound/sound_record_expect.h"
#include "tests/support/core_config_fixture.h"

#include <initializer_list>
#include <string>
#include <vector>

namespace {

constexpr std::int32_t kHeroRow = 3;
constexpr std::uint32_t kThemeLoopPos = 1234;

GxMoaVariable SbInt(std::int64_t value)
{
    GxMoaVariable variable;
    variable.SetInt64(value);
    return variable;
}

GxMoaVariable SbStr(const std::u16string& value)
{
    GxMoaVariable variable;
    variable.SetString(value);
    return variable;
}

class SoundBuiltinTest : public SoundTest {
protected:
    SoundBuiltinTest() : m_Core(*GxCore::GetInstance()), m_Config(m_Core) {}

    void SetUp() override
    {
        SoundTest::SetUp();
        for (const char* name : {"bgms/theme.wav", "sounds/bgvs/rain.wav", "sounds/se/door.wav", "sounds/se/bell.wav",
                                 "voices/hero/v001.wav"})
            WriteRamp(name, kRate * 2);
        // Two files of the probe's first extension.
        const SoundBytes ogg = EncodeTestOggVorbis(TestRamp(kRate, 2), 2, kRate);
        ASSERT_FALSE(ogg.empty());
        Write("bgms/other.ogg", ogg);
        Write("voices/hero/v002.ogg", ogg);
        m_PreviousData = m_Core.m_UserData;
        m_Core.m_UserData = &m_Data;
        ResetDataTables();
        GetDBAvgChar().GetRow(kHeroRow)->m_CharName = u"hero";
        GetDBAvgChar().GetRow(kHeroRow)->m_VoicePath = u"voices/hero/";
        // The loop position is looked up by the exact file name with its extension.
        GetDBBGMMode().GetRow(0)->m_FileName = u"theme";
        GetDBBGMMode().GetRow(0)->m_LoopPosTime = 99;
        GetDBBGMMode().GetRow(4)->m_FileName = u"theme.wav";
        GetDBBGMMode().GetRow(4)->m_LoopPosTime = kThemeLoopPos;
        ResetGameSoundState();
        m_Avg.RegisterBuiltins(&m_Binder);
        TakeLog();
    }
    void TearDown() override
    {
        StopBgm(0);
        StopBgv(0);
        StopAllSeChannels();
        StopAllVoiceChannels();
        ResetDataTables();
        ResetGameSoundState();
        m_Core.m_UserData = m_PreviousData;
        SoundTest::TearDown();
    }

    // The builtin by its registered name; false when it failed.
    bool Call(const std::u16string& name, std::initializer_list<GxMoaVariable> values = {})
    {
        return avg_test::CallBuiltin(m_Binder, m_Worker, name, values);
    }
    void SetSwitches(bool on)
    {
        m_Config.m_System.m_ErrorStopNotFound_BGM = on;
        m_Config.m_System.m_ErrorStopNotFound_BGV = on;
        m_Config.m_System.m_ErrorStopNotFound_SE = on;
        m_Config.m_System.m_ErrorStopNotFound_VO = on;
    }
    // Lines logged since the last call that contain `part`.
    std::vector<std::u16string> LinesWith(const std::u16string& part)
    {
        std::vector<std::u16string> found;
        for (const std::u16string& line : TakeLog())
            if (line.find(part) != std::u16string::npos)
                found.push_back(line);
        return found;
    }
    static std::vector<std::uint32_t> Playing()
    {
        std::vector<std::uint32_t> channels;
        for (std::uint32_t channel = 0; channel < 32; ++channel)
            if (AudioStreamIsPlaying(channel))
                channels.push_back(channel);
        return channels;
    }
    static void ExpectRecord(const GxSoundPlayParam& record, const GxSoundPlayParam& expected)
    {
        avg_test::ExpectSoundRecord(record, expected);
    }
    static void Later(std::uint32_t ms)
    {
        platform::AdvanceFakeTime(ms);
        AudioUpdatePlayers();
    }

    GxCore& m_Core;
    TestCoreConfig m_Config;
    GxUserData m_Data;
    GxUserData* m_PreviousData = nullptr;
    GxMoaEx m_Moa;
    GxMoaWorker m_Worker{&m_Moa};
    GxMoaFunctionBinder m_Binder;
    AvgBuiltin m_Avg{GxCore::GetInstance()};
};

TEST_F(SoundBuiltinTest, MusicPlaysFromItsFolderWithTheTableLoopPositionAndStops)
{
    // Defaults: endless, the table's loop position for "theme.wav", no fade.
    ASSERT_TRUE(Call(u"BGM", {SbStr(u"theme")}));
    ExpectRecord(m_Data.m_BGMPlayParam, {u"bgms/theme.wav", 0, 0, kThemeLoopPos, 0, 0});
    EXPECT_EQ(AudioStreamGetFileName(0), u"bgms/theme.wav");
    EXPECT_EQ(AudioStreamGetLoopCount(0), -1);

    // The same file with skip 1 leaves the music untouched, whatever the other arguments say.
    ASSERT_TRUE(Call(u"BGM", {SbStr(u"theme"), SbInt(500), SbInt(3), SbInt(7), SbInt(1)}));
    ExpectRecord(m_Data.m_BGMPlayParam, {u"bgms/theme.wav", 0, 0, kThemeLoopPos, 0, 0});
    EXPECT_EQ(Playing(), (std::vector<std::uint32_t>{0}));

    // A given loop position wins over the table; the fade keeps its low 32 bits; a name without
    // a table row gets 0.
    ASSERT_TRUE(Call(u"BGM", {SbStr(u"theme"), SbInt(0x100000000LL + 300), SbInt(2), SbInt(0x100000000LL + 40)}));
    ExpectRecord(m_Data.m_BGMPlayParam, {u"bgms/theme.wav", 2, 0, 40, 300, 0});
    EXPECT_EQ(Playing(), (std::vector<std::uint32_t>{0, 1}));
    EXPECT_EQ(AudioStreamGetLoopCount(1), 1);
    ASSERT_TRUE(Call(u"BGM", {SbStr(u"other")}));
    ExpectRecord(m_Data.m_BGMPlayParam, {u"bgms/other.ogg", 0, 0, 0, 0, 0});

    // No file: the music stops at once and its record is cleared.
    ASSERT_TRUE(Call(u"BGM"));
    EXPECT_FALSE(IsBgmPlaying());
    ExpectRecord(m_Data.m_BGMPlayParam, {});

    // A fade given with no file fades the music out over it.
    ASSERT_TRUE(Call(u"BGM", {SbStr(u"theme")}));
    ASSERT_TRUE(Call(u"BGM", {SbStr(u""), SbInt(300)}));
    EXPECT_TRUE(IsBgmPlaying());
    EXPECT_TRUE(m_Data.m_BGMPlayParam.m_FileName.empty());
    Later(400);
    EXPECT_FALSE(IsBgmPlaying());
}

TEST_F(SoundBuiltinTest, BackgroundVoiceUsesItsOwnFolderAndNoTable)
{
    GetDBBGMMode().GetRow(1)->m_FileName = u"rain.wav";
    GetDBBGMMode().GetRow(1)->m_LoopPosTime = 555;
    ASSERT_TRUE(Call(u"BGV", {SbStr(u"rain"), SbInt(0), SbInt(1)}));
    ExpectRecord(m_Data.m_BGVPlayParam, {u"sounds/bgvs/rain.wav", 1, 0, 0, 0, 0});
    EXPECT_EQ(AudioStreamGetFileName(2), u"sounds/bgvs/rain.wav");
    EXPECT_EQ(AudioStreamGetLoopCount(2), 0);
    ASSERT_TRUE(Call(u"BGV", {SbStr(u"rain"), SbInt(20), SbInt(0), SbInt(800)}));
    ExpectRecord(m_Data.m_BGVPlayParam, {u"sounds/bgvs/rain.wav", 0, 0, 800, 20, 0});
    ASSERT_TRUE(Call(u"BGV"));
    EXPECT_FALSE(IsBgvPlaying());
    ExpectRecord(m_Data.m_BGVPlayParam, {});
}

TEST_F(SoundBuiltinTest, EffectsPlayOnTheirSlotsOnceByDefaultAndStopWithTheFade)
{
    // "SE_2" with a file and no loop: one play (the channel gets 0) on channel 6.
    ASSERT_TRUE(Call(u"SE_2", {SbStr(u"door")}));
    ExpectRecord(m_Data.m_SEPlayParam[2], {u"sounds/se/door.wav", 1, 0, 0, 0, 0});
    EXPECT_EQ(AudioStreamGetFileName(6), u"sounds/se/door.wav");
    EXPECT_EQ(AudioStreamGetLoopCount(6), 0);

    // Loop 0 is endless; the loop position keeps its low 32 bits; the fade is a plain read.
    ASSERT_TRUE(Call(u"SE_3", {SbStr(u"bell"), SbStr(u"25"), SbInt(0), SbInt(0x100000000LL + 70)}));
    ExpectRecord(m_Data.m_SEPlayParam[3], {u"sounds/se/bell.wav", 0, 0, 70, 25, 0});
    EXPECT_EQ(AudioStreamGetLoopCount(7), -1);
    ASSERT_TRUE(Call(u"SE_1", {SbStr(u"bell"), SbInt(0), SbInt(4)}));
    EXPECT_EQ(AudioStreamGetLoopCount(5), 3);

    // "SE" without a file stops slot 0, fading over argument 1; the other slots play on.
    ASSERT_TRUE(Call(u"SE", {SbStr(u"bell"), SbInt(0), SbInt(0)}));
    ASSERT_TRUE(Call(u"SE", {SbStr(u""), SbInt(300)}));
    EXPECT_TRUE(m_Data.m_SEPlayParam[0].m_FileName.empty());
    EXPECT_TRUE(AudioStreamIsPlaying(4));
    Later(400);
    EXPECT_EQ(Playing(), (std::vector<std::uint32_t>{5, 6, 7}));
    ASSERT_TRUE(Call(u"SE_3"));
    EXPECT_EQ(Playing(), (std::vector<std::uint32_t>{5, 6}));
}

TEST_F(SoundBuiltinTest, VoicesAreFoundThroughTheCharacterRowsAndStop)
{
    ASSERT_TRUE(Call(u"VO", {SbStr(u"v001")}));
    ExpectRecord(m_Data.m_VoicePlayParam[0], {u"voices/hero/v001.wav", 1, 0, 0, 0, kHeroRow});
    EXPECT_EQ(AudioStreamGetFileName(10), u"voices/hero/v001.wav");
    ASSERT_TRUE(Call(u"VO_3", {SbStr(u"v002")}));
    ExpectRecord(m_Data.m_VoicePlayParam[3], {u"voices/hero/v002.ogg", 1, 0, 0, 0, kHeroRow});
    EXPECT_EQ(AudioStreamGetFileName(13), u"voices/hero/v002.ogg");
    EXPECT_EQ(AudioStreamGetLoopCount(13), 0);
    ASSERT_TRUE(Call(u"VO_0"));
    EXPECT_EQ(Playing(), (std::vector<std::uint32_t>{13}));
    ExpectRecord(m_Data.m_VoicePlayParam[0], {});

    // The first character row is never searched.
    *GetDBAvgChar().GetRow(kHeroRow) = DBAvgCharRow{};
    GetDBAvgChar().GetRow(0)->m_VoicePath = u"voices/hero/";
    ASSERT_TRUE(Call(u"VO_1", {SbStr(u"v001")}));
    EXPECT_TRUE(m_Data.m_VoicePlayParam[1].m_FileName.empty());
}

TEST_F(SoundBuiltinTest, AliasesActLikeTheirNamesakes)
{
    // The same calls through "SE" and "SE_0", "VO" and "VO_0" leave the same channel and record.
    struct Pair {
        const char16_t* plain;
        const char16_t* alias;
        const char16_t* file;
        std::uint32_t channel;
    };
    for (const Pair& pair : {Pair{u"SE", u"SE_0", u"door", 4}, Pair{u"VO", u"VO_0", u"v002", 10}}) {
        SCOPED_TRACE(WideToUtf8(pair.plain));
        std::vector<std::u16string> files;
        std::vector<std::int32_t> loops;
        std::vector<GxSoundPlayParam> records;
        for (const char16_t* name : {pair.plain, pair.alias}) {
            ASSERT_TRUE(Call(name, {SbStr(pair.file), SbInt(10), SbInt(3), SbInt(5)}));
            files.push_back(AudioStreamGetFileName(pair.channel));
            loops.push_back(AudioStreamGetLoopCount(pair.channel));
            records.push_back(pair.channel == 4 ? m_Data.m_SEPlayParam[0] : m_Data.m_VoicePlayParam[0]);
            ASSERT_TRUE(Call(name));
            EXPECT_FALSE(AudioStreamIsPlaying(pair.channel));
        }
        EXPECT_EQ(files[0], files[1]);
        EXPECT_FALSE(files[0].empty());
        EXPECT_EQ(loops[0], loops[1]);
        ExpectRecord(records[1], records[0]);
    }
}

TEST_F(SoundBuiltinTest, MissingFilesStopTheScriptOnlyUnderTheirSwitches)
{
    struct Case {
        const char16_t* builtin;
        const char16_t* name;
        const char16_t* message;   // with the path, or the voice name
    };
    const Case cases[] = {
        {u"BGM", u"none", u"BGMファイルが見つかりません[bgms/none]"},
        {u"BGV", u"none", u"BGVファイルが見つかりません[sounds/bgvs/none]"},
        {u"SE", u"none", u"SEファイルが見つかりません[sounds/se/none]"},
        {u"SE_2", u"none", u"SEファイルが見つかりません[sounds/se/none]"},
        {u"VO", u"none", u"ボイスファイルが見つかりません[none]"},
        {u"VO_3", u"none", u"ボイスファイルが見つかりません[none]"},
    };
    ASSERT_TRUE(Call(u"BGM", {SbStr(u"theme")}));
    for (const bool on : {false, true}) {
        SetSwitches(on);
        for (const Case& c : cases) {
            SCOPED_TRACE(WideToUtf8(c.builtin) + (on ? " on" : " off"));
            EXPECT_EQ(Call(c.builtin, {SbStr(c.name)}), !on);
            EXPECT_EQ(LinesWith(c.message).size(), on ? 1u : 0u);
        }
        // Nothing else started or stopped: the music plays on with its record.
        EXPECT_EQ(Playing(), (std::vector<std::uint32_t>{0}));
        EXPECT_EQ(m_Data.m_BGMPlayParam.m_FileName, u"bgms/theme.wav");
    }
    // A switch covers only its own kind.
    SetSwitches(false);
    m_Config.m_System.m_ErrorStopNotFound_BGV = true;
    EXPECT_TRUE(Call(u"BGM", {SbStr(u"none")}));
    EXPECT_TRUE(Call(u"SE", {SbStr(u"none")}));
    EXPECT_FALSE(Call(u"BGV", {SbStr(u"none")}));
}

TEST_F(SoundBuiltinTest, WaitsStoreTheirBitsAndTheHideFlag)
{
    using Hold = std::int32_t GxUserData::*;
    struct Wait {
        const char16_t* name;
        Hold hold;
    };
    const Wait waits[] = {{u"BGM.WA", &GxUserData::m_Hold_EndOfBGM},
                          {u"BGV.WA", &GxUserData::m_Hold_EndOfBGV},
                          {u"SE.WA", &GxUserData::m_Hold_EndOfSE},
                          {u"VO.WA", &GxUserData::m_Hold_EndOfVoice}};
    for (const Wait& wait : waits) {
        SCOPED_TRACE(WideToUtf8(wait.name));
        m_Data.Reset();
        // Registered at once, with nothing playing; the defaults are 15 and no hiding.
        ASSERT_TRUE(Call(wait.name));
        EXPECT_EQ(m_Data.*wait.hold, 15);
        EXPECT_FALSE(m_Data.m_HideWindowByCommandFlag);
        // Given bits always get bit 0; 0 and "" do not hide.
        ASSERT_TRUE(Call(wait.name, {SbInt(0), SbInt(2)}));
        EXPECT_EQ(m_Data.*wait.hold, 3);
        ASSERT_TRUE(Call(wait.name, {SbInt(0), SbInt(7)}));
        EXPECT_EQ(m_Data.*wait.hold, 7);
        ASSERT_TRUE(Call(wait.name, {SbStr(u""), SbInt(0x100000008LL)}));
        EXPECT_EQ(m_Data.*wait.hold, 9);
        EXPECT_FALSE(m_Data.m_HideWindowByCommandFlag);
        ASSERT_TRUE(Call(wait.name, {SbInt(1)}));
        EXPECT_EQ(m_Data.*wait.hold, 15);
        EXPECT_TRUE(m_Data.m_HideWindowByCommandFlag);
    }
}

TEST_F(SoundBuiltinTest, VoiceWaitEmptiesThePendingVoiceSlots)
{
    ASSERT_TRUE(Call(u"VO", {SbStr(u"v001")}));
    ASSERT_TRUE(Call(u"VO_2", {SbStr(u"v002")}));
    ASSERT_TRUE(Call(u"VO.WA"));
    EXPECT_EQ(m_Data.m_Hold_EndOfVoice, 15);
    for (const GxSoundPlayParam& slot : m_Data.m_VoicePlayParam)
        ExpectRecord(slot, {});
    // The voices already started play on: the wait is for them.
    EXPECT_EQ(Playing(), (std::vector<std::uint32_t>{10, 12}));
}

}  // namespace
