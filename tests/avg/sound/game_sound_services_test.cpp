// [Game sound] the game's sound services on the real channel managers over the capture sink, one
// run per value of the configuration's back-end flag: the channel map and the twin in use,
// volumes from the player's options, loops as repeats, the music skip and cross-fade, the
// records and their stops, system voices and sounds, volume re-application, the four queries,
// and the saved game's sound rules over these services.
#include "tests/media/sound_fixture.h"

#include "avg/avg_play_state_services.h"
#include "avg/game_sound_services.h"
#include "avg/game_sound_state.h"
#include "core/core.h"
#include "core/task_base.h"
#include "core/task_manage.h"
#include "data/data_tables.h"
#include "data/db_avgchar.h"
#include "data/db_systemvoice.h"
#include "data/user_data.h"
#include "foundation/bin_buffer.h"
#include "foundation/content_text.h"
#include "foundation/random.h"
#include "media/audio_channels.h"
#include "media/sound_channels.h"
#include "tests/avg/sound/sound_record_expect.h"
#include "tests/support/core_config_fixture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct GsXAudio2 {
    static constexpr bool kXAudio2 = true;
    static bool IsPlaying(std::uint32_t channel) { return AudioStreamIsPlaying(channel); }
    static bool OtherIsPlaying(std::uint32_t channel) { return SoundStreamIsPlaying(channel); }
    static std::u16string FileName(std::uint32_t channel) { return AudioStreamGetFileName(channel); }
    static std::int32_t LoopCount(std::uint32_t channel) { return AudioStreamGetLoopCount(channel); }
    static double Volume(std::uint32_t channel) { return AudioStreamGetVolume(channel); }
    static double Pick(double gain, LONG) { return gain; }
    static bool Play(std::uint32_t channel, const std::u16string& file)
    {
        return AudioStreamPlay(channel, file, 0, 0, 0, 1.0f, 0, 0);
    }
    static void Close(std::uint32_t channel) { AudioStreamClose(channel); }
    static std::vector<std::u16string> Statics() { return AudioGetStaticNames(); }
    static std::vector<std::u16string> OtherStatics() { return SoundGetStaticNames(); }
    static bool Update() { return AudioUpdatePlayers(); }
};

struct GsDirectSound {
    static constexpr bool kXAudio2 = false;
    static bool IsPlaying(std::uint32_t channel) { return SoundStreamIsPlaying(channel); }
    static bool OtherIsPlaying(std::uint32_t channel) { return AudioStreamIsPlaying(channel); }
    static std::u16string FileName(std::uint32_t channel) { return SoundStreamGetFileName(channel); }
    static std::int32_t LoopCount(std::uint32_t channel) { return SoundStreamGetLoopCount(channel); }
    static double Volume(std::uint32_t channel) { return SoundStreamGetVolume(channel); }
    static double Pick(double, LONG attenuation) { return attenuation; }
    static bool Play(std::uint32_t channel, const std::u16string& file)
    {
        return SoundStreamPlay(channel, file, 0, 0, 0, 0, 0, 0);
    }
    static void Close(std::uint32_t channel) { SoundStreamClose(channel); }
    static std::vector<std::u16string> Statics() { return SoundGetStaticNames(); }
    static std::vector<std::u16string> OtherStatics() { return AudioGetStaticNames(); }
    static bool Update() { return SoundUpdatePlayers(); }
};

constexpr std::int32_t kVoiceChar = 5;    // its "VoiceVolumeID" is slot 3
constexpr std::int32_t kVoiceSlot = 3;

template <typename Side>
class GameSoundTest : public SoundTest {
protected:
    GameSoundTest() : m_Core(*GxCore::GetInstance()), m_Config(m_Core) {}

    void SetUp() override
    {
        SoundTest::SetUp();
        for (const char* name : {"bgm/a.wav", "bgm/b.wav", "bgv/a.wav", "se/a.wav", "voice/a.wav", "voice/b.wav",
                                 "voice/sys/hello.wav", "voice/sys2/hi.wav", "sounds/sys/push.wav",
                                 "sounds/sys/close.wav"})
            WriteRamp(name, kRate * 2);
        m_Config.m_System.m_SoundEngineXAudio2 = Side::kXAudio2;
        GxUserConfig& options = m_Config.m_User;
        options.m_Volume_Master = 50;
        options.m_Volume_BGM = 100;
        options.m_Volume_BGV = 80;
        options.m_Volume_Sound = 70;
        options.m_Volume_VoiceMaster = 80;
        options.m_Volume_SystemVoice = 60;
        options.m_Volume_Voice[0] = 40;
        options.m_Volume_Voice[kVoiceSlot] = 90;
        options.m_UseSystemVoice = true;
        m_Config.Refresh();
        m_PreviousData = m_Core.m_UserData;
        m_Core.m_UserData = &m_Data;
        GetDBAvgChar().GetRow(kVoiceChar)->m_VoiceVolumeID = kVoiceSlot;
        ResetGameSoundState();
    }
    void TearDown() override
    {
        *GetDBAvgChar().GetRow(kVoiceChar) = DBAvgCharRow{};
        for (std::int32_t row = 0; row < DBSystemVoice::kRows; ++row) {
            DBSystemVoiceRow* entry = GetDBSystemVoice().GetRow(row);
            entry->m_VoicePath.clear();
            for (std::u16string& name : entry->m_VoiceFileName)
                name.clear();
        }
        ResetGameSoundState();
        m_Core.m_UserData = m_PreviousData;
        AudioStopAllStatic();
        SoundStopAllStatic();
        SoundTest::TearDown();
    }

    // The back end's unit of a volume given as a percent of full.
    static double Expected(std::int32_t percent)
    {
        return Side::Pick(percent / 100.0, VolumeToAttenuation(percent));
    }
    static void ExpectVolume(std::uint32_t channel, double expected)
    {
        EXPECT_NEAR(Side::Volume(channel), expected, 1e-5) << "channel " << channel;
    }
    static void ExpectRecord(const GxSoundPlayParam& record, const GxSoundPlayParam& expected)
    {
        avg_test::ExpectSoundRecord(record, expected);
    }
    static std::vector<std::uint32_t> Playing()
    {
        std::vector<std::uint32_t> channels;
        for (std::uint32_t channel = 0; channel < 32; ++channel)
            if (Side::IsPlaying(channel))
                channels.push_back(channel);
        return channels;
    }
    bool Logged(const std::u16string& line)
    {
        for (const std::u16string& logged : m_Log.lines)
            if (logged == line)
                return true;
        return false;
    }
    static void Later(std::uint32_t milliseconds) { platform::AdvanceFakeTime(milliseconds); }

    GxCore& m_Core;
    TestCoreConfig m_Config;
    GxUserData m_Data;
    GxUserData* m_PreviousData = nullptr;
};

using GameSoundSides = ::testing::Types<GsXAudio2, GsDirectSound>;
TYPED_TEST_SUITE(GameSoundTest, GameSoundSides);

TYPED_TEST(GameSoundTest, EachPlayReachesItsChannelWithItsLoopVolumeAndRecord)
{
    using Side = TypeParam;
    GxUserData& data = this->m_Data;
    data.m_BGMPlayParam.m_CharID = 7;
    EXPECT_TRUE(PlayBgm(u"bgm/a.wav", 3, 0, 0, 0, false));
    EXPECT_EQ(Side::FileName(0), u"bgm/a.wav");
    EXPECT_EQ(Side::LoopCount(0), 2);
    this->ExpectVolume(0, Side::Pick(this->m_Config.m_User.GetBGMGain(), this->m_Config.m_User.GetBGMAttenuation()));
    this->ExpectRecord(data.m_BGMPlayParam, {u"bgm/a.wav", 3, 0, 0, 0, 7});

    // Endless (0) reaches the channel as -1; BGV 80 x master 50 is 40 %.
    EXPECT_TRUE(PlayBgv(u"bgv/a.wav", 0, 0, 0, 0));
    EXPECT_EQ(Side::FileName(2), u"bgv/a.wav");
    EXPECT_EQ(Side::LoopCount(2), -1);
    this->ExpectVolume(2, Side::Pick(0.4, -1536));
    this->ExpectRecord(data.m_BGVPlayParam, {u"bgv/a.wav", 0, 0, 0, 0, 0});

    EXPECT_TRUE(PlaySeChannel(2, u"se/a.wav", 1, 0, 0, 0));
    EXPECT_EQ(Side::FileName(6), u"se/a.wav");
    EXPECT_EQ(Side::LoopCount(6), 0);
    this->ExpectVolume(6, this->Expected(35));
    this->ExpectRecord(data.m_SEPlayParam[2], {u"se/a.wav", 1, 0, 0, 0, 0});

    // The character's slot 90 x voice master 80 x master 50: 36 %.
    EXPECT_TRUE(PlayVoiceChannel(1, u"voice/a.wav", kVoiceChar));
    EXPECT_EQ(Side::FileName(11), u"voice/a.wav");
    EXPECT_EQ(Side::LoopCount(11), 0);
    this->ExpectVolume(11, this->Expected(36));
    this->ExpectRecord(data.m_VoicePlayParam[1], {u"voice/a.wav", 1, 0, 0, 0, kVoiceChar});

    EXPECT_TRUE(PlayBacklogVoice(kVoiceChar, 3, u"voice/b.wav"));
    EXPECT_EQ(Side::FileName(13), u"voice/b.wav");
    this->ExpectVolume(13, this->Expected(36));
    EXPECT_TRUE(data.m_VoicePlayParam[3].m_FileName.empty()) << "a back-log voice keeps no record";

    platform::SetFakeTime(4321);
    EXPECT_TRUE(PlayConfigSeSample(u"se/a.wav"));
    EXPECT_TRUE(PlayConfigVoiceSample(u"voice/b.wav", kVoiceSlot));
    EXPECT_TRUE(PlayConfigSystemVoiceSample(u"voice/a.wav"));
    EXPECT_EQ(Side::FileName(8), u"se/a.wav");
    this->ExpectVolume(8, this->Expected(35));
    EXPECT_EQ(Side::FileName(14), u"voice/b.wav");
    this->ExpectVolume(14, this->Expected(36));
    EXPECT_EQ(Side::FileName(16), u"voice/a.wav");
    this->ExpectVolume(16, this->Expected(30));
    const GxConfigSampleState& sample = GetConfigSampleState();
    EXPECT_EQ(sample.m_Name, u"voice/b.wav");
    EXPECT_TRUE(sample.m_Active);
    EXPECT_EQ(sample.m_Slot, kVoiceSlot);
    EXPECT_EQ(sample.m_StartTime, 4321u);

    EXPECT_EQ(this->Playing(), (std::vector<std::uint32_t>{0, 2, 6, 8, 11, 13, 14, 16}));
    for (std::uint32_t channel = 0; channel < 32; ++channel)
        EXPECT_FALSE(Side::OtherIsPlaying(channel)) << "the other back end's channel " << channel;

    // Slots beyond the four are refused and change nothing.
    EXPECT_FALSE(PlaySeChannel(4, u"se/a.wav", 1, 0, 0, 0));
    EXPECT_FALSE(PlayVoiceChannel(-1, u"voice/a.wav", kVoiceChar));
    EXPECT_EQ(this->Playing().size(), 8u);
}

TYPED_TEST(GameSoundTest, TheQueriesAnswerForTheirChannelSets)
{
    using Side = TypeParam;
    struct QueryCase {
        std::uint32_t channel;
        bool bgm, bgv, se, voice;
    };
    const QueryCase cases[] = {
        {0, true, false, false, false},  {1, true, false, false, false},  {2, false, true, false, false},
        {3, false, true, false, false},  {4, false, false, true, false},  {8, false, false, true, false},
        {9, false, false, false, false}, {10, false, false, false, true}, {14, false, false, false, true},
        {15, false, false, false, false}, {17, false, false, false, false},
    };
    for (const QueryCase& c : cases) {
        ASSERT_TRUE(Side::Play(c.channel, u"se/a.wav"));
        EXPECT_EQ(IsBgmPlaying(), c.bgm) << c.channel;
        EXPECT_EQ(IsBgvPlaying(), c.bgv) << c.channel;
        EXPECT_EQ(IsSePlaying(), c.se) << c.channel;
        EXPECT_EQ(IsVoicePlaying(), c.voice) << c.channel;
        Side::Close(c.channel);
    }
}

TYPED_TEST(GameSoundTest, MusicSkipsOnlyTheSameFileAndOtherwiseCrossFades)
{
    using Side = TypeParam;
    GxUserData& data = this->m_Data;
    ASSERT_TRUE(PlayBgm(u"bgm/a.wav", 0, 0, 0, 0, false));
    // The same name with the flag: untouched, even with another loop and fade.
    EXPECT_TRUE(PlayBgm(u"bgm/a.wav", 2, 10, 20, 500, true));
    this->ExpectRecord(data.m_BGMPlayParam, {u"bgm/a.wav", 0, 0, 0, 0, 0});
    EXPECT_EQ(this->Playing(), (std::vector<std::uint32_t>{0}));
    // Without the flag the same file plays again: channel 0 fades out under the new one on 1.
    EXPECT_TRUE(PlayBgm(u"bgm/a.wav", 2, 0, 0, 500, false));
    EXPECT_EQ(this->Playing(), (std::vector<std::uint32_t>{0, 1}));
    EXPECT_EQ(Side::LoopCount(1), 1);
    // Another name with the flag is not skipped.
    EXPECT_TRUE(PlayBgm(u"bgm/b.wav", 0, 100, 50, 300, true));
    this->ExpectRecord(data.m_BGMPlayParam, {u"bgm/b.wav", 0, 100, 50, 300, 0});
    EXPECT_EQ(Side::FileName(0), u"bgm/b.wav");
    EXPECT_EQ(Side::LoopCount(0), -1);
    // The fades end on the service: channel 1 stops, the new music stays.
    this->Later(600);
    EXPECT_TRUE(Side::Update());
    EXPECT_EQ(this->Playing(), (std::vector<std::uint32_t>{0}));
    // An exactly equal name only: another spelling of the path plays.
    PlayBgm(u"bgm/B.wav", 0, 0, 0, 0, true);
    EXPECT_EQ(data.m_BGMPlayParam.m_FileName, u"bgm/B.wav");
}

TYPED_TEST(GameSoundTest, StopsHitTheirChannelsAndRecords)
{
    using Side = TypeParam;
    GxUserData& data = this->m_Data;
    const auto playAll = [&] {
        PlayBgm(u"bgm/a.wav", 0, 0, 0, 0, false);
        PlayBgv(u"bgv/a.wav", 0, 0, 0, 0);
        for (std::int32_t slot = 0; slot < 4; ++slot) {
            PlaySeChannel(slot, u"se/a.wav", 0, 0, 0, 0);
            PlayVoiceChannel(slot, u"voice/a.wav", kVoiceChar);
        }
    };
    playAll();
    StopBgm(0);
    StopBgv(0);
    EXPECT_TRUE(data.m_BGMPlayParam.m_FileName.empty());
    EXPECT_TRUE(data.m_BGVPlayParam.m_FileName.empty());
    StopSeChannel(1, 0);
    StopVoiceChannel(2);
    EXPECT_EQ(this->Playing(), (std::vector<std::uint32_t>{4, 6, 7, 10, 11, 13}));
    EXPECT_TRUE(data.m_SEPlayParam[1].m_FileName.empty());
    EXPECT_EQ(data.m_SEPlayParam[2].m_FileName, u"se/a.wav");
    EXPECT_TRUE(data.m_VoicePlayParam[2].m_FileName.empty());

    // The menu's voice stop leaves the records; the full one clears them.
    EXPECT_TRUE(StopVoiceChannels(0));
    EXPECT_EQ(data.m_VoicePlayParam[0].m_FileName, u"voice/a.wav");
    EXPECT_TRUE(StopAllSeChannels());
    EXPECT_TRUE(this->Playing().empty());
    for (std::int32_t slot = 0; slot < 4; ++slot)
        EXPECT_TRUE(data.m_SEPlayParam[slot].m_FileName.empty()) << slot;
    EXPECT_TRUE(StopAllVoiceChannels());
    this->ExpectRecord(data.m_VoicePlayParam[0], {});

    // A fade keeps the channel until the service sees its end.
    playAll();
    StopSeChannel(0, 300);
    StopBgm(300);
    EXPECT_TRUE(Side::IsPlaying(4));
    EXPECT_TRUE(IsBgmPlaying());
    this->Later(400);
    Side::Update();
    EXPECT_FALSE(Side::IsPlaying(4));
    EXPECT_FALSE(IsBgmPlaying());
    EXPECT_TRUE(Side::IsPlaying(2));

    // Extra voices: channels 17 to 25 stop, the nine records clear.
    ASSERT_TRUE(Side::Play(17, u"voice/a.wav"));
    ASSERT_TRUE(Side::Play(25, u"voice/a.wav"));
    *GetExtraVoiceRecord(0) = {u"voice/a.wav", 0, 4, 0};
    *GetExtraVoiceRecord(8) = {u"voice/a.wav", 0, 2, 0};
    EXPECT_TRUE(StopExtraVoiceChannels());
    EXPECT_FALSE(Side::IsPlaying(17));
    EXPECT_FALSE(Side::IsPlaying(25));
    for (std::int32_t index = 0; index < kExtraVoiceRecordCount; ++index) {
        const GxExtraVoiceRecord& record = *GetExtraVoiceRecord(index);
        EXPECT_TRUE(record.m_Name.empty() && record.m_Playing == 0 && record.m_Slot == -1 && record.m_Loop == 0)
            << index;
    }

    // The configuration samples close 3, 8, 14, 16 and 25 and nothing else.
    StopAllSeChannels();
    StopAllVoiceChannels();
    for (const std::uint32_t channel : {3u, 8u, 14u, 16u, 25u})
        ASSERT_TRUE(Side::Play(channel, u"se/a.wav"));
    ASSERT_TRUE(PlayConfigVoiceSample(u"voice/a.wav", 1));
    EXPECT_TRUE(StopConfigSamples());
    EXPECT_EQ(this->Playing(), (std::vector<std::uint32_t>{2}));
    const GxConfigSampleState& sample = GetConfigSampleState();
    EXPECT_TRUE(sample.m_Name.empty() && !sample.m_Active && sample.m_Slot == -1 && sample.m_StartTime == 0);
}

TYPED_TEST(GameSoundTest, AVoiceReplaysFromItsRecordOnly)
{
    using Side = TypeParam;
    EXPECT_FALSE(ReplayVoiceChannel(0));
    EXPECT_TRUE(this->Playing().empty());
    ASSERT_TRUE(PlayVoiceChannel(0, u"voice/b.wav", kVoiceChar));
    EXPECT_TRUE(StopVoiceChannels(0));
    EXPECT_FALSE(IsVoicePlaying());
    EXPECT_TRUE(ReplayVoiceChannel(0));
    EXPECT_EQ(Side::FileName(10), u"voice/b.wav");
    this->ExpectVolume(10, this->Expected(36));
    this->ExpectRecord(this->m_Data.m_VoicePlayParam[0], {u"voice/b.wav", 1, 0, 0, 0, kVoiceChar});
    EXPECT_FALSE(ReplayVoiceChannel(4));
}

TYPED_TEST(GameSoundTest, VolumesAreAppliedAgainToWhatPlays)
{
    using Side = TypeParam;
    GxUserData& data = this->m_Data;
    // Both music channels play, as during a cross-fade.
    ASSERT_TRUE(Side::Play(0, u"bgm/a.wav"));
    ASSERT_TRUE(Side::Play(1, u"bgm/b.wav"));
    for (const std::uint32_t channel : {2u, 3u, 5u, 8u, 15u, 16u, 17u, 18u, 19u})
        ASSERT_TRUE(Side::Play(channel, u"se/a.wav"));
    ASSERT_TRUE(PlayVoiceChannel(0, u"voice/a.wav", kVoiceChar));
    ASSERT_TRUE(PlayVoiceChannel(2, u"voice/a.wav", kVoiceChar));
    data.m_VoicePlayParam[2].m_CharID = 200;   // a saved game's row beyond the table
    ASSERT_TRUE(PlayConfigVoiceSample(u"voice/b.wav", 0));
    GetExtraVoiceRecord(0)->m_Slot = -1;
    GetExtraVoiceRecord(1)->m_Slot = 0;
    GetExtraVoiceRecord(2)->m_Slot = kVoiceSlot;
    const double before1 = Side::Volume(1);

    GxUserConfig& options = this->m_Config.m_User;
    options.m_Volume_Master = 100;
    options.m_Volume_BGM = 60;
    ApplyBgmVolume();
    this->ExpectVolume(0, Side::Pick(options.GetBGMGain(), options.GetBGMAttenuation()));
    this->ExpectVolume(1, before1);

    ApplyBgvVolume(false);
    this->ExpectVolume(2, this->Expected(80));
    this->ExpectVolume(3, this->Expected(80));
    ApplyBgvVolume(true);
    this->ExpectVolume(3, Side::Pick(0.0, -9600));

    ApplySeVolume();
    this->ExpectVolume(5, this->Expected(70));
    this->ExpectVolume(8, this->Expected(70));
    ApplySystemVoiceVolume();
    this->ExpectVolume(15, this->Expected(60));
    this->ExpectVolume(16, this->Expected(60));

    // Voices: slot 90 x 80 x 100; the row beyond the table counts its slot as full (80 %) with a
    // warning; the sample uses its own slot 0 (40 %).
    this->TakeLog();
    ApplyVoiceVolume();
    this->ExpectVolume(10, this->Expected(72));
    this->ExpectVolume(12, this->Expected(80));
    this->ExpectVolume(14, this->Expected(32));
    EXPECT_FALSE(this->TakeLog().empty());

    // Extra voices: no slot and slot 0 both take slot 0.
    ApplyExtraVoiceVolume();
    this->ExpectVolume(17, this->Expected(32));
    this->ExpectVolume(18, this->Expected(32));
    this->ExpectVolume(19, this->Expected(72));
}

TYPED_TEST(GameSoundTest, SystemVoicesComeFromActivatedSpeakersThatHaveTheNumber)
{
    using Side = TypeParam;
    DBSystemVoice& table = GetDBSystemVoice();
    table.GetRow(2)->m_VoicePath = u"voice/sys";
    table.GetRow(2)->m_VoiceFileName[3] = u"hello";
    table.GetRow(4)->m_VoicePath = u"voice/sys2";
    table.GetRow(4)->m_VoiceFileName[3] = u"hi";
    table.GetRow(5)->m_VoicePath = u"voice/sys2";
    table.GetRow(5)->m_VoiceFileName[3] = u"unheard";   // its speaker is not activated
    table.GetRow(2)->m_VoiceFileName[5] = u"missing";
    GxUserConfig& options = this->m_Config.m_User;
    std::fill(std::begin(options.m_SystemVoice_Activated), std::end(options.m_SystemVoice_Activated), false);
    options.m_SystemVoice_Activated[2] = true;
    options.m_SystemVoice_Activated[4] = true;

    for (const std::int32_t id : {0, -1, -100, 24, 1})
        EXPECT_FALSE(PlaySystemVoice(id)) << id;
    EXPECT_TRUE(this->Playing().empty());

    // A fixed seed gives a fixed pick among the two.
    GxRandomSeed(99);
    ASSERT_TRUE(PlaySystemVoice(3));
    const std::u16string first = Side::FileName(15);
    EXPECT_TRUE(first == u"voice/sys/hello.wav" || first == u"voice/sys2/hi.wav") << WideToUtf8(first);
    this->ExpectVolume(15, this->Expected(30));
    GxRandomSeed(99);
    ASSERT_TRUE(PlaySystemVoice(3));
    EXPECT_EQ(Side::FileName(15), first);
    options.m_SystemVoice_Activated[2] = false;
    ASSERT_TRUE(PlaySystemVoice(3));
    EXPECT_EQ(Side::FileName(15), u"voice/sys2/hi.wav");

    options.m_UseSystemVoice = false;
    EXPECT_FALSE(PlaySystemVoice(3));
    options.m_UseSystemVoice = true;

    // A missing file is logged only under the developer switch.
    options.m_SystemVoice_Activated[2] = true;
    this->TakeLog();
    EXPECT_FALSE(PlaySystemVoice(5));
    EXPECT_TRUE(this->TakeLog().empty());
    this->m_Config.m_System.m_ErrorStopNotFound_VO = true;
    EXPECT_FALSE(PlaySystemVoice(5));
    EXPECT_TRUE(this->Logged(u"システムボイスが見つかりません SystemVoiceID=5 (voice/sys/missing)\n"));
}

TYPED_TEST(GameSoundTest, SystemSoundsCutTheVoiceThenPlayTheVoiceAndTheOneShot)
{
    using Side = TypeParam;
    GetDBSystemVoice().GetRow(0)->m_VoicePath = u"voice/sys";
    GetDBSystemVoice().GetRow(0)->m_VoiceFileName[3] = u"hello";
    this->m_Config.m_User.m_SystemVoice_Activated[0] = true;

    // Sound 0 fades the system voice out (200 ms) before the next voice starts on it.
    ASSERT_TRUE(Side::Play(15, u"voice/a.wav"));
    EXPECT_TRUE(PlaySystemSound(0, 0));
    EXPECT_TRUE(Side::IsPlaying(15));
    this->Later(250);
    Side::Update();
    EXPECT_FALSE(Side::IsPlaying(15)) << "the 200 ms fade ended";
    EXPECT_EQ(Side::Statics(), std::vector<std::u16string>{u"sounds/sys/push.wav"});
    EXPECT_TRUE(Side::OtherStatics().empty());

    this->Later(10);
    EXPECT_TRUE(PlaySystemSound(0, 3));
    EXPECT_EQ(Side::FileName(15), u"voice/sys/hello.wav");
    this->ExpectVolume(15, this->Expected(30));
    EXPECT_EQ(Side::Statics().size(), 2u);

    // -1: the voice only; other sounds leave the system voice alone.
    EXPECT_TRUE(StopAllStaticSounds());
    this->Later(10);
    EXPECT_TRUE(PlaySystemSound(-1, 0));
    EXPECT_TRUE(Side::Statics().empty());
    EXPECT_TRUE(PlaySystemSound(3, 0));
    EXPECT_EQ(Side::Statics(), std::vector<std::u16string>{u"sounds/sys/close.wav"});
    this->Later(250);
    Side::Update();
    EXPECT_TRUE(Side::IsPlaying(15));

    // A number from data outside the ten sounds plays nothing and says so.
    this->TakeLog();
    for (const std::int32_t id : {10, 15, 16, -2, 1000000}) {
        this->Later(10);
        EXPECT_TRUE(PlaySystemSound(id, 0)) << id;
    }
    EXPECT_EQ(Side::Statics().size(), 1u);
    EXPECT_EQ(this->TakeLog().size(), 5u);
}

// A play-screen part in the task tree makes the game data carry its sound state.
class GsPlayScreenTree {
public:
    explicit GsPlayScreenTree(GxCore& core) : m_Core(core), m_Previous(core.m_TaskManage)
    {
        m_Manage = std::make_unique<GxTaskManage>(&core);
        core.m_TaskManage = m_Manage.get();
        auto* root = new GxTaskBase(m_Manage.get());
        new GxTaskBase(root, u"$VISUAL:SeqAvgMain", nullptr, 0);
    }
    ~GsPlayScreenTree()
    {
        m_Manage.reset();
        m_Core.m_TaskManage = m_Previous;
    }

private:
    GxCore& m_Core;
    GxTaskManage* m_Previous;
    std::unique_ptr<GxTaskManage> m_Manage;
};

TYPED_TEST(GameSoundTest, TheSavedSoundStateKeepsWhatLastsAndALoadRestartsIt)
{
    using Side = TypeParam;
    GxUserData& data = this->m_Data;
    data.m_Core = &this->m_Core;
    GsPlayScreenTree tree(this->m_Core);
    InstallAvgPlayStateServices();

    ASSERT_TRUE(PlayBgm(u"bgm/a.wav", 0, 100, 200, 0, false));
    ASSERT_TRUE(PlayBgv(u"bgv/a.wav", 0, 0, 0, 0));
    Side::Close(2);   // the background voice has ended
    ASSERT_TRUE(PlaySeChannel(0, u"se/a.wav", 2, 0, 0, 0));
    ASSERT_TRUE(PlaySeChannel(1, u"se/a.wav", 0, 300, 0, 400));
    ASSERT_TRUE(PlayVoiceChannel(3, u"voice/a.wav", kVoiceChar));

    char* text = nullptr;
    std::size_t size = 0;
    std::FILE* file = open_memstream(&text, &size);
    {
        GxContentTextWriter writer(file);
        writer.WriteHeader("SOUND", 1);
        EXPECT_TRUE(data.WriteSoundState(writer));
    }
    std::fclose(file);
    const std::string saved(text, size);
    std::free(text);
    EXPECT_TRUE(data.m_BGVPlayParam.m_FileName.empty());
    EXPECT_TRUE(data.m_SEPlayParam[0].m_FileName.empty()) << "two plays end by themselves";
    EXPECT_EQ(saved.find("bgv/a.wav"), std::string::npos);
    const std::size_t music = saved.find("bgm/a.wav");
    const std::size_t effect = saved.find("se/a.wav");
    const std::size_t voice = saved.find("voice/a.wav");
    ASSERT_NE(voice, std::string::npos);
    EXPECT_TRUE(music < effect && effect < voice);

    // Something else plays when the game is loaded: all of it stops.
    StopAllSeChannels();
    ASSERT_TRUE(PlayBgv(u"bgv/a.wav", 0, 0, 0, 0));
    ASSERT_TRUE(PlaySeChannel(3, u"se/a.wav", 0, 0, 0, 0));
    ASSERT_TRUE(Side::Play(20, u"voice/b.wav"));
    ASSERT_TRUE(PlaySystemSound(3, 0));
    GetExtraVoiceRecord(3)->m_Slot = 5;

    GxBinBuffer bytes;
    std::memcpy(bytes.Allocate(static_cast<std::uint32_t>(saved.size())), saved.data(), saved.size());
    GxContentTextReader reader(bytes, false);
    std::uint32_t version = 0;
    ASSERT_TRUE(reader.ReadHeader("SOUND", &version));
    EXPECT_TRUE(data.ReadSoundState(reader));
    SetPlayStateServices(nullptr);

    EXPECT_TRUE(Side::Statics().empty());
    EXPECT_EQ(GetExtraVoiceRecord(3)->m_Slot, -1);
    // The music fades in again (1000 ms) on a free channel; the lasting effect without a fade;
    // no voice.
    EXPECT_EQ(this->Playing(), (std::vector<std::uint32_t>{0, 5}));
    EXPECT_EQ(Side::FileName(0), u"bgm/a.wav");
    EXPECT_EQ(Side::LoopCount(0), -1);
    this->ExpectRecord(data.m_BGMPlayParam, {u"bgm/a.wav", 0, 100, 200, 1000, 0});
    this->ExpectRecord(data.m_SEPlayParam[1], {u"se/a.wav", 0, 300, 400, 0, 0});
    this->ExpectVolume(5, this->Expected(35));
    this->ExpectRecord(data.m_VoicePlayParam[3], {u"voice/a.wav", 1, 0, 0, 0, kVoiceChar});
    EXPECT_TRUE(data.m_BGVPlayParam.m_FileName.empty());
}

}  // namespace
