// [Screens] the title's music on the real channel managers over the capture sink, once per value
// of the back-end flag: an empty name fades the music out over a second and clears its record,
// the name already recorded changes nothing, any other name cross-fades on the back end chosen
// at start-up (never on the other) at the music volume of that back end, and is recorded.
#include "tests/media/sound_fixture.h"

#include "avg/game_sound_services.h"
#include "avg/game_sound_state.h"
#include "core/core.h"
#include "data/system_config.h"
#include "data/user_config.h"
#include "data/user_data.h"
#include "media/audio_channels.h"
#include "media/sound_channels.h"
#include "screens/screen_music.h"
#include "tests/support/core_config_fixture.h"

#include <string>
#include <vector>

namespace screens_test {
namespace title_music {

struct TitleXAudio2 {
    static constexpr bool kXAudio2 = true;
    static bool IsPlaying(std::uint32_t channel) { return AudioStreamIsPlaying(channel); }
    static bool OtherIsPlaying(std::uint32_t channel) { return SoundStreamIsPlaying(channel); }
    static std::u16string FileName(std::uint32_t channel) { return AudioStreamGetFileName(channel); }
    static std::int32_t LoopCount(std::uint32_t channel) { return AudioStreamGetLoopCount(channel); }
    static double Volume(std::uint32_t channel) { return AudioStreamGetVolume(channel); }
    static double MusicVolume(const GxUserConfig& options) { return options.GetBGMGain(); }
    static bool Update() { return AudioUpdatePlayers(); }
};

struct TitleDirectSound {
    static constexpr bool kXAudio2 = false;
    static bool IsPlaying(std::uint32_t channel) { return SoundStreamIsPlaying(channel); }
    static bool OtherIsPlaying(std::uint32_t channel) { return AudioStreamIsPlaying(channel); }
    static std::u16string FileName(std::uint32_t channel) { return SoundStreamGetFileName(channel); }
    static std::int32_t LoopCount(std::uint32_t channel) { return SoundStreamGetLoopCount(channel); }
    static double Volume(std::uint32_t channel) { return SoundStreamGetVolume(channel); }
    static double MusicVolume(const GxUserConfig& options) { return options.GetBGMAttenuation(); }
    static bool Update() { return SoundUpdatePlayers(); }
};

template <typename Side>
class TitleMusic : public SoundTest {
protected:
    TitleMusic() : m_Core(*GxCore::GetInstance()), m_Config(m_Core) {}

    void SetUp() override
    {
        SoundTest::SetUp();
        for (const char* name : {"bgms/title.wav", "bgms/game.wav"})
            WriteRamp(name, kRate * 4);
        m_Config.m_System.m_SoundEngineXAudio2 = Side::kXAudio2;
        m_Config.m_User.m_Volume_Master = 50;
        m_Config.m_User.m_Volume_BGM = 80;
        m_Config.Refresh();
        m_PreviousData = m_Core.m_UserData;
        m_Core.m_UserData = &m_Data;
        ResetGameSoundState();
    }
    void TearDown() override
    {
        ResetGameSoundState();
        m_Core.m_UserData = m_PreviousData;
        AudioStopAllStatic();
        SoundStopAllStatic();
        SoundTest::TearDown();
    }
    std::vector<std::uint32_t> Playing() const
    {
        std::vector<std::uint32_t> channels;
        for (std::uint32_t channel = 0; channel < 32; ++channel)
            if (Side::IsPlaying(channel))
                channels.push_back(channel);
        return channels;
    }
    bool OtherPlays() const
    {
        for (std::uint32_t channel = 0; channel < 32; ++channel)
            if (Side::OtherIsPlaying(channel))
                return true;
        return false;
    }
    // Past every fade.
    static void Settle()
    {
        platform::AdvanceFakeTime(1100);
        Side::Update();
    }
    // The music channel (0 or 1) that holds the title's track; 32 when none does.
    std::uint32_t TitleChannel() const
    {
        for (std::uint32_t channel : {0u, 1u})
            if (Side::FileName(channel) == u"bgms/title.wav")
                return channel;
        return 32;
    }
    // The title's entry with its configuration's name and loop position.
    void EnterTitle(const std::u16string& name)
    {
        m_Config.m_System.m_BgmNameTitle = name;
        m_Config.m_System.m_BgmLoopTitle = 1500;
        PlayScreenMusic(&m_Core, m_Config.m_System.m_BgmNameTitle, m_Config.m_System.m_BgmLoopTitle);
    }

    GxCore& m_Core;
    TestCoreConfig m_Config;
    GxUserData m_Data;
    GxUserData* m_PreviousData = nullptr;
};

using TitleMusicSides = ::testing::Types<TitleXAudio2, TitleDirectSound>;
TYPED_TEST_SUITE(TitleMusic, TitleMusicSides);

TYPED_TEST(TitleMusic, EachNameCaseReachesTheBackEndChosenAtStartUp)
{
    using Side = TypeParam;
    enum class Before { Nothing, GameMusic, TitleMusic };
    struct MusicCase {
        const char* what;
        Before before;
        const char16_t* name;
        // The record after entering and what the channels do.
        const char16_t* recorded;
        std::size_t playing;   // music channels sounding right after entering
        std::size_t settled;   // once a second's fades are over
    };
    const MusicCase cases[] = {
        {"a new title track in silence", Before::Nothing, u"title.wav", u"bgms/title.wav", 1, 1},
        {"over the game's music: cross-faded", Before::GameMusic, u"title.wav", u"bgms/title.wav", 2, 1},
        {"the title's track already recorded", Before::TitleMusic, u"title.wav", u"bgms/title.wav", 1, 1},
        {"no name: the music fades out", Before::GameMusic, u"", u"", 1, 0},
    };
    for (const MusicCase& c : cases) {
        SCOPED_TRACE(c.what);
        AudioStopAllStatic();
        SoundStopAllStatic();
        this->m_Data.m_BGMPlayParam = GxSoundPlayParam{};
        if (c.before == Before::GameMusic) {
            ASSERT_TRUE(PlayBgm(u"bgms/game.wav", 2, 0, 0, 0, false));
        }
        if (c.before == Before::TitleMusic)
            this->EnterTitle(u"title.wav");
        this->Settle();
        // A mark that only a new record or a stop overwrites.
        this->m_Data.m_BGMPlayParam.m_FadeInTime = 7;
        const std::vector<std::uint32_t> before = this->Playing();

        this->EnterTitle(c.name);
        const GxSoundPlayParam& record = this->m_Data.m_BGMPlayParam;
        EXPECT_EQ(record.m_FileName, c.recorded);
        EXPECT_EQ(this->Playing().size(), c.playing);
        EXPECT_FALSE(this->OtherPlays());
        if (c.before == Before::TitleMusic) {
            EXPECT_EQ(record.m_FadeInTime, 7);
            EXPECT_EQ(this->Playing(), before);   // not started again
        } else if (*c.name != 0) {
            // Endless from the start, the loop position kept, a 50 ms cross-fade.
            EXPECT_EQ(record.m_Loop, 0);
            EXPECT_EQ(record.m_StartSeekPosTime, 0u);
            EXPECT_EQ(record.m_LoopPosTime, 1500u);
            EXPECT_EQ(record.m_FadeInTime, 50);
            const std::uint32_t channel = this->TitleChannel();
            ASSERT_LT(channel, 2u);
            EXPECT_EQ(Side::LoopCount(channel), -1);
        }
        // The stop takes its second: still sounding halfway, gone after it.
        if (*c.name == 0) {
            platform::AdvanceFakeTime(500);
            Side::Update();
            EXPECT_EQ(this->Playing().size(), c.playing);
        }
        this->Settle();
        EXPECT_EQ(this->Playing().size(), c.settled);
        if (c.settled != 0) {
            // Faded in to the music volume of the back end.
            const std::uint32_t channel = this->TitleChannel();
            ASSERT_LT(channel, 2u);
            EXPECT_TRUE(Side::IsPlaying(channel));
            EXPECT_NEAR(Side::Volume(channel), Side::MusicVolume(this->m_Config.m_User), 1e-5);
        }
    }
}

}  // namespace title_music
}  // namespace screens_test
