// The channel manager of both back ends, one table of cases run on each (gains for the
// XAudio2 twin, attenuations for the DirectSound one) on the capture sink and the fake clock:
// refusals, the one-shot limit and re-start guard, the music cross-fade, fades seen by the
// per-frame service, shut-down and the 3D services.
#include "sound_fixture.h"

#include "media/audio_channels.h"
#include "media/sound_channels.h"
#include "platform/win32/timer.h"

namespace {

struct AudioSide {
    using Volume = float;
    static constexpr float kFull = 1.0f;
    static constexpr float kQuiet = 0.5f;
    static constexpr float kSilent = 0.0f;
    static auto& State() { return GetAudioDeviceState(); }
    static bool Play(std::uint32_t channel, const std::u16string& name, std::int32_t loopCount = 0,
                     std::uint32_t fadeInMs = 0, float volume = kFull, std::uint32_t startMs = 0)
    {
        return AudioStreamPlay(channel, name, loopCount, startMs, fadeInMs, volume, 0, 0);
    }
    static bool Close(std::uint32_t channel) { return AudioStreamClose(channel); }
    static bool Stop(std::uint32_t channel, std::uint32_t fadeMs) { return AudioStreamStop(channel, fadeMs); }
    static bool SetVolume(std::uint32_t channel, float volume) { return AudioStreamSetVolume(channel, volume); }
    static bool IsPlaying(std::uint32_t channel) { return AudioStreamIsPlaying(channel); }
    static bool StopBgm(std::uint32_t fadeMs) { return AudioStopBgmChannels(fadeMs); }
    static bool Crossfade(const std::u16string& name, std::uint32_t fadeMs)
    {
        return AudioPlayBgmCrossfade(name, 0, 0, fadeMs, kFull, 0, 0);
    }
    static bool PlayStatic(std::uint32_t* serial, const std::u16string& name, std::uint32_t startMs = 0)
    {
        return AudioPlayStatic(serial, name, 0, startMs, 0, kFull, 0);
    }
    static bool StopAllStatic() { return AudioStopAllStatic(); }
    static bool Update() { return AudioUpdatePlayers(); }
    static void Update3D() { AudioUpdate3D(); }
    static std::u16string FileName(std::uint32_t channel) { return AudioStreamGetFileName(channel); }
    static std::int32_t LoopCount(std::uint32_t channel) { return AudioStreamGetLoopCount(channel); }
    static float GetVolume(std::uint32_t channel) { return AudioStreamGetVolume(channel); }
    static std::vector<std::u16string> StaticNames() { return AudioGetStaticNames(); }
};

struct SoundSide {
    using Volume = LONG;
    static constexpr LONG kFull = 0;
    static constexpr LONG kQuiet = -600;
    static constexpr LONG kSilent = -6400;
    static auto& State() { return GetSoundDeviceState(); }
    static bool Play(std::uint32_t channel, const std::u16string& name, std::int32_t loopCount = 0,
                     std::uint32_t fadeInMs = 0, LONG volume = kFull, std::uint32_t startMs = 0)
    {
        return SoundStreamPlay(channel, name, loopCount, startMs, fadeInMs, volume, 0, 0);
    }
    static bool Close(std::uint32_t channel) { return SoundStreamClose(channel); }
    static bool Stop(std::uint32_t channel, std::uint32_t fadeMs) { return SoundStreamStop(channel, fadeMs); }
    static bool SetVolume(std::uint32_t channel, LONG volume) { return SoundStreamSetVolume(channel, volume); }
    static bool IsPlaying(std::uint32_t channel) { return SoundStreamIsPlaying(channel); }
    static bool StopBgm(std::uint32_t fadeMs) { return SoundStopBgmChannels(fadeMs); }
    static bool Crossfade(const std::u16string& name, std::uint32_t fadeMs)
    {
        return SoundPlayBgmCrossfade(name, 0, 0, fadeMs, kFull, 0, 0);
    }
    static bool PlayStatic(std::uint32_t* serial, const std::u16string& name, std::uint32_t startMs = 0)
    {
        return SoundPlayStatic(serial, name, 0, startMs, 0, kFull, 0);
    }
    static bool StopAllStatic() { return SoundStopAllStatic(); }
    static bool Update() { return SoundUpdatePlayers(); }
    static void Update3D() { SoundUpdate3D(); }
    static std::u16string FileName(std::uint32_t channel) { return SoundStreamGetFileName(channel); }
    static std::int32_t LoopCount(std::uint32_t channel) { return SoundStreamGetLoopCount(channel); }
    static LONG GetVolume(std::uint32_t channel) { return SoundStreamGetVolume(channel); }
    static std::vector<std::u16string> StaticNames() { return SoundGetStaticNames(); }
};

template <typename Side>
class SoundChannelTest : public SoundTest {
protected:
    void SetUp() override
    {
        SoundTest::SetUp();
        WriteRamp("bgm_a.wav", kRate * 5);
        WriteRamp("bgm_b.wav", kRate * 5);
        WriteRamp("bgm_c.wav", kRate * 5);
        WriteRamp("se.wav", 20000);
    }
    static int LiveObjects()
    {
        return platform::XAudio2Objects().sourceVoices + platform::DirectSoundObjects().secondaryBuffers;
    }
    static void Later(std::uint32_t milliseconds) { platform::AdvanceFakeTime(milliseconds); }
};

using Sides = ::testing::Types<AudioSide, SoundSide>;
TYPED_TEST_SUITE(SoundChannelTest, Sides);

TYPED_TEST(SoundChannelTest, ADisabledBackEndRefusesEverythingAndCreatesNothing)
{
    using Side = TypeParam;
    auto& state = Side::State();
    state.m_Enabled = 0;
    const std::uint32_t serial = state.m_PlayerSerial;
    const std::uint32_t cached = state.m_Cache.GetCount();
    std::uint32_t out = 77;
    EXPECT_FALSE(Side::Play(3, u"bgm_a.wav"));
    EXPECT_FALSE(Side::Close(3));
    EXPECT_FALSE(Side::Stop(3, 0));
    EXPECT_FALSE(Side::SetVolume(3, Side::kQuiet));
    EXPECT_FALSE(Side::IsPlaying(3));
    EXPECT_FALSE(Side::StopBgm(100));
    EXPECT_FALSE(Side::Crossfade(u"bgm_a.wav", 100));
    EXPECT_FALSE(Side::PlayStatic(&out, u"se.wav"));
    EXPECT_FALSE(Side::StopAllStatic());
    EXPECT_FALSE(Side::Update());
    Side::Update3D();
    EXPECT_EQ(out, 77u);
    EXPECT_EQ(state.m_PlayerSerial, serial);
    EXPECT_EQ(state.m_Cache.GetCount(), cached);
    EXPECT_EQ(this->LiveObjects(), 0);
    state.m_Enabled = 1;
}

TYPED_TEST(SoundChannelTest, ChannelThirtyTwoIsRefused)
{
    using Side = TypeParam;
    EXPECT_FALSE(Side::Play(32, u"bgm_a.wav"));
    EXPECT_FALSE(Side::Close(32));
    EXPECT_FALSE(Side::Stop(32, 0));
    EXPECT_FALSE(Side::SetVolume(32, Side::kQuiet));
    EXPECT_FALSE(Side::IsPlaying(32));
    EXPECT_EQ(this->LiveObjects(), 0);
    EXPECT_TRUE(Side::Play(31, u"bgm_a.wav", 2));
    EXPECT_TRUE(Side::IsPlaying(31));
    EXPECT_EQ(Side::FileName(31), u"bgm_a.wav");
    EXPECT_EQ(Side::LoopCount(31), 2);
    EXPECT_TRUE(Side::Close(31));
    EXPECT_FALSE(Side::IsPlaying(31));
    EXPECT_EQ(Side::FileName(31), u"");
    EXPECT_EQ(this->LiveObjects(), 0);
}

TYPED_TEST(SoundChannelTest, OneShotsAreLimitedToSixteenAndReapedByTheService)
{
    using Side = TypeParam;
    auto& state = Side::State();
    for (int i = 0; i < 16; ++i) {
        std::uint32_t serial = 0;
        ASSERT_TRUE(Side::PlayStatic(&serial, u"se.wav")) << i;
        EXPECT_EQ(serial, state.m_PlayerSerial);
        this->Later(4);
    }
    const std::uint32_t serial = state.m_PlayerSerial;
    std::uint32_t out = 0;
    EXPECT_FALSE(Side::PlayStatic(&out, u"se.wav"));   // the 17th leaves no trace
    EXPECT_EQ(out, 0u);
    EXPECT_EQ(state.m_PlayerSerial, serial);
    EXPECT_EQ(Side::StaticNames().size(), 16u);
    EXPECT_TRUE(Side::Update());
    EXPECT_EQ(Side::StaticNames().size(), 16u);   // all still playing
    this->Pump(20000 + 441);
    EXPECT_TRUE(Side::Update());
    EXPECT_TRUE(Side::StaticNames().empty());
    EXPECT_TRUE(Side::PlayStatic(nullptr, u"se.wav"));
    EXPECT_EQ(Side::StaticNames(), std::vector<std::u16string>{u"se.wav"});

    // A start beyond the end fails, but the player stays listed until the next service.
    this->Later(4);
    EXPECT_FALSE(Side::PlayStatic(nullptr, u"se.wav", 60000));
    EXPECT_EQ(Side::StaticNames().size(), 2u);
    EXPECT_TRUE(Side::Update());
    EXPECT_EQ(Side::StaticNames().size(), 1u);
    // A sound the cache cannot load is refused without a player.
    EXPECT_FALSE(Side::PlayStatic(nullptr, u"missing.wav"));
    EXPECT_EQ(Side::StaticNames().size(), 1u);
    EXPECT_TRUE(Side::StopAllStatic());
    EXPECT_TRUE(Side::StaticNames().empty());
    EXPECT_EQ(this->LiveObjects(), 0);
}

TYPED_TEST(SoundChannelTest, TheSameSoundWithinFourMillisecondsPlaysOnce)
{
    using Side = TypeParam;
    platform::SetFakeTime(0xFFFFFFFEu);   // the guard's difference is taken across the clock's wrap
    ASSERT_TRUE(Side::PlayStatic(nullptr, u"se.wav"));
    this->Later(3);
    EXPECT_FALSE(Side::PlayStatic(nullptr, u"se.wav"));
    this->Later(1);
    EXPECT_TRUE(Side::PlayStatic(nullptr, u"se.wav"));
    EXPECT_EQ(Side::StaticNames().size(), 2u);
}

TYPED_TEST(SoundChannelTest, TheMusicCrossFadeAlternatesBetweenChannelsZeroAndOne)
{
    using Side = TypeParam;
    ASSERT_TRUE(Side::Crossfade(u"bgm_a.wav", 1000));
    EXPECT_EQ(Side::FileName(0), u"bgm_a.wav");
    EXPECT_FALSE(Side::IsPlaying(1));
    EXPECT_EQ(Side::GetVolume(0), Side::kSilent);   // fading in
    this->Later(1000);
    Side::Update();
    EXPECT_EQ(Side::GetVolume(0), Side::kFull);

    ASSERT_TRUE(Side::Crossfade(u"bgm_b.wav", 1000));
    EXPECT_EQ(Side::FileName(1), u"bgm_b.wav");
    EXPECT_EQ(Side::GetVolume(1), Side::kSilent);
    EXPECT_TRUE(Side::IsPlaying(0));   // fading out
    this->Later(999);
    Side::Update();
    EXPECT_TRUE(Side::IsPlaying(0));
    this->Later(1);
    Side::Update();
    EXPECT_FALSE(Side::IsPlaying(0));
    EXPECT_EQ(Side::GetVolume(1), Side::kFull);

    ASSERT_TRUE(Side::Crossfade(u"bgm_c.wav", 500));   // back to channel 0
    EXPECT_EQ(Side::FileName(0), u"bgm_c.wav");
    EXPECT_TRUE(Side::IsPlaying(1));
    // Both playing: channel 1 fades out and channel 0 restarts at once with the new music.
    ASSERT_TRUE(Side::Crossfade(u"bgm_a.wav", 500));
    EXPECT_EQ(Side::FileName(0), u"bgm_a.wav");
    EXPECT_EQ(Side::GetVolume(0), Side::kSilent);
    EXPECT_TRUE(Side::IsPlaying(1));
    this->Later(500);
    Side::Update();
    EXPECT_FALSE(Side::IsPlaying(1));
    EXPECT_TRUE(Side::StopBgm(0));
    EXPECT_FALSE(Side::IsPlaying(0));
    EXPECT_EQ(this->LiveObjects(), 0);
}

TYPED_TEST(SoundChannelTest, StopsAndVolumesTakeEffectThroughTheService)
{
    using Side = TypeParam;
    ASSERT_TRUE(Side::Play(5, u"bgm_a.wav"));
    EXPECT_TRUE(Side::Stop(5, 0));
    EXPECT_FALSE(Side::IsPlaying(5));

    ASSERT_TRUE(Side::Play(5, u"bgm_a.wav"));
    EXPECT_TRUE(Side::Stop(5, 100));
    this->Later(200);
    EXPECT_TRUE(Side::IsPlaying(5));   // until the service sees the fade end
    EXPECT_TRUE(Side::Update());
    EXPECT_FALSE(Side::IsPlaying(5));

    ASSERT_TRUE(Side::Play(6, u"bgm_a.wav", -1, 1000, Side::kFull));
    EXPECT_TRUE(Side::SetVolume(6, Side::kQuiet));
    EXPECT_EQ(Side::GetVolume(6), Side::kSilent);   // the fade's end moved, not the volume
    this->Later(1000);
    Side::Update();
    EXPECT_EQ(Side::GetVolume(6), Side::kQuiet);
    EXPECT_TRUE(Side::SetVolume(6, Side::kFull));
    EXPECT_EQ(Side::GetVolume(6), Side::kFull);
    EXPECT_EQ(Side::LoopCount(6), -1);
}

TYPED_TEST(SoundChannelTest, ShutDownClosesEveryChannelAndDeletesEveryOneShot)
{
    using Side = TypeParam;
    ASSERT_TRUE(Side::Play(0, u"bgm_a.wav"));
    ASSERT_TRUE(Side::Play(17, u"bgm_b.wav"));
    ASSERT_TRUE(Side::PlayStatic(nullptr, u"se.wav"));
    EXPECT_EQ(this->LiveObjects(), 3);
    SoundShutdownDevice();
    AudioShutdownDevice();
    EXPECT_EQ(this->LiveObjects(), 0);
    EXPECT_TRUE(Side::StaticNames().empty());
}

class SoundChannel3DTest : public SoundTest {
protected:
    SoundChannel3DTest()
    {
        m_Use3D = 1;
        m_SoundUse3D = 1;
    }
};

TEST_F(SoundChannel3DTest, TheDirectSoundServiceSendsOnlyChangedVectorsAndCommitsOnce)
{
    GxSoundDeviceState& sound = GetSoundDeviceState();
    ASSERT_NE(sound.m_Listener, nullptr);
    platform::ResetDirectSoundCallCounts();
    SoundUpdate3D();
    platform::DirectSoundCounters counts = platform::DirectSoundCallCounts();
    EXPECT_EQ(counts.listenerSetPosition + counts.listenerSetOrientation, 0);
    EXPECT_EQ(counts.commitDeferredSettings, 1);
    sound.m_RequestedPosition.x = 1e-9f;   // any difference counts
    sound.m_RequestedTop.z = 0.5f;
    SoundUpdate3D();
    counts = platform::DirectSoundCallCounts();
    EXPECT_EQ(counts.listenerSetPosition, 1);
    EXPECT_EQ(counts.listenerSetOrientation, 1);
    EXPECT_EQ(counts.commitDeferredSettings, 2);
    EXPECT_EQ(sound.m_AppliedTop.z, 0.5f);
    D3DVECTOR position{};
    sound.m_Listener->GetPosition(&position);
    EXPECT_EQ(position.x, 1e-9f);
    // 3D off: nothing at all.
    sound.m_Use3D = 0;
    SoundUpdate3D();
    EXPECT_EQ(platform::DirectSoundCallCounts().commitDeferredSettings, 2);
    sound.m_Use3D = 1;
}

TEST_F(SoundChannel3DTest, TheXAudio2ServiceIgnoresChangesWithinTheEpsilon)
{
    GxAudioDeviceState& audio = GetAudioDeviceState();
    audio.m_RequestedPosition.x = 1e-8f;
    AudioUpdate3D();
    EXPECT_EQ(audio.m_Listener.Position.x, 0.0f);
    audio.m_RequestedPosition.x = 1e-6f;
    AudioUpdate3D();
    EXPECT_EQ(audio.m_Listener.Position.x, 1e-6f);
    audio.m_RequestedPosition.x = 0.0f;
}

}  // namespace
