// The DirectSound players on the fake clock and the capture sink: fades read back as the
// buffer's attenuation, start and loop positions, the failure lines of both players, the
// one-shot from memory, the 3D pass-through and a re-play while the old sound's refill is held.
#include "sound_fixture.h"

#include "media/sound_player_static.h"
#include "media/sound_player_stream.h"
#include "media/wav_data.h"
#include "platform/win32/timer.h"

#include <atomic>
#include <memory>
#include <thread>

namespace {

constexpr std::uint32_t kClockStart = 5000;   // the fixture's fake clock

class SoundPlayerTest : public SoundTest {
protected:
    static bool PlayStream(GxSoundPlayerStream& player, const std::u16string& name, std::int32_t loopCount = 0,
                           std::uint32_t startMs = 0, std::uint32_t fadeInMs = 0, LONG volume = 0,
                           std::uint32_t loopStartMs = 0)
    {
        return player.Play(name, loopCount, 0, startMs, fadeInMs, volume, 0, loopStartMs, 0, nullptr, nullptr);
    }
    static LONG Volume(GxSoundPlayerBase& player) { return player.GetVolume(); }
};

TEST_F(SoundPlayerTest, FadeInRisesLinearlyInHundredthsOfADecibel)
{
    WriteRamp("bgm.wav", kRate * 3);
    GxSoundPlayerStream player;
    ASSERT_TRUE(PlayStream(player, u"bgm.wav", 0, 0, 2000, -1000));
    EXPECT_EQ(Volume(player), -6400);
    EXPECT_EQ(player.GetFadeState(), GxSoundPlayerBase::kFadeIn);
    EXPECT_EQ(player.GetPlayStartTime(), kClockStart);
    platform::SetFakeTime(kClockStart + 500);
    EXPECT_TRUE(player.UpdateFade());
    EXPECT_EQ(Volume(player), -5050);
    platform::SetFakeTime(kClockStart + 1001);   // t = 0.5005: -3697.3 truncated towards zero
    EXPECT_TRUE(player.UpdateFade());
    EXPECT_EQ(Volume(player), -3697);
    for (std::uint32_t at : {2000u, 2600u}) {
        platform::SetFakeTime(kClockStart + at);
        EXPECT_TRUE(player.UpdateFade());
        EXPECT_EQ(Volume(player), -1000);
        EXPECT_EQ(player.GetFadeState(), 0);
    }
    EXPECT_TRUE(player.IsPlaying());
}

TEST_F(SoundPlayerTest, StopClosesAtOnceOrFadesOutFromTheCurrentVolume)
{
    WriteRamp("bgm.wav", kRate * 3);
    GxSoundPlayerStream player;
    ASSERT_TRUE(PlayStream(player, u"bgm.wav", 0, 0, 0, -400));
    EXPECT_TRUE(player.Stop(0));
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_FALSE(player.GetBuffer().HasThread());
    EXPECT_FALSE(player.HasLoader());

    ASSERT_TRUE(PlayStream(player, u"bgm.wav", 0, 0, 0, -400));
    ASSERT_TRUE(player.Stop(1000));
    EXPECT_EQ(player.GetFadeState(), GxSoundPlayerBase::kFadeOut);
    EXPECT_EQ(player.GetFadeStartVolume(), -400);
    platform::SetFakeTime(kClockStart + 250);
    EXPECT_TRUE(player.UpdateFade());
    EXPECT_EQ(Volume(player), -1900);
    platform::SetFakeTime(kClockStart + 1000);
    EXPECT_TRUE(player.UpdateFade());
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(platform::DirectSoundObjects().secondaryBuffers, 0);
}

TEST_F(SoundPlayerTest, SetVolumeMovesTheEndOfAFadeInAndTheStartOfAFadeOut)
{
    WriteRamp("bgm.wav", kRate * 3);
    GxSoundPlayerStream player;
    ASSERT_TRUE(PlayStream(player, u"bgm.wav", 0, 0, 1000, 0));
    EXPECT_TRUE(player.SetVolume(-2000));
    EXPECT_EQ(Volume(player), -6400);   // the buffer is not touched
    EXPECT_EQ(player.GetFadeEndVolume(), -2000);
    platform::SetFakeTime(kClockStart + 1000);
    player.UpdateFade();
    EXPECT_EQ(Volume(player), -2000);

    ASSERT_TRUE(player.Stop(1000));
    EXPECT_TRUE(player.SetVolume(-1000));
    EXPECT_EQ(player.GetFadeStartVolume(), -1000);
    platform::SetFakeTime(kClockStart + 1500);
    player.UpdateFade();
    EXPECT_EQ(Volume(player), -3700);
    // Without a fade the value goes straight to the buffer.
    GxSoundPlayerStatic one;
    ASSERT_TRUE(one.PlayFromFile(u"bgm.wav", 0, 0, 0, 0, 0, 0, 0));
    EXPECT_TRUE(one.SetVolume(-300));
    EXPECT_EQ(Volume(one), -300);
    EXPECT_TRUE(one.FinishFade());
}

TEST_F(SoundPlayerTest, StartAndLoopStartPositionsAreMillisecondsInFrames)
{
    constexpr std::uint32_t kFrames = 60000;
    WriteRamp("bgm.wav", kFrames);
    GxSoundPlayerStream player;
    // Start 500 ms, loop start 1000 ms; then a loop start beyond the end loops from the start.
    struct Case {
        std::uint32_t loopStartMs;
        std::uint32_t loopFrame;
    };
    for (const Case& c : {Case{1000, 44100}, Case{9000, 0}}) {
        SCOPED_TRACE(c.loopStartMs);
        ASSERT_TRUE(PlayStream(player, u"bgm.wav", 1, 500, 0, 0, c.loopStartMs));
        std::vector<std::int32_t> want;
        AppendRamp(want, 22050, kFrames);
        AppendRamp(want, c.loopFrame, kFrames);
        Pump(static_cast<std::uint32_t>(want.size()) + 44100);
        EXPECT_EQ(FirstDifference(TakeLeft(), want), -1);
        EXPECT_FALSE(player.IsPlaying());
    }
    player.Close();
}

TEST_F(SoundPlayerTest, PlaysThatCannotStartLogTheirLineAndLeaveNothingPlaying)
{
    WriteRamp("long.wav", kRate * 8);
    WriteRamp("empty.wav", 0);
    Write("music.mp3", SoundBytes(64, 0));
    Write("deep.wav", BuildTestPcmWav(2, kRate, 24, SoundBytes(6 * 100, 1)));
    GxWavData sound;
    ASSERT_TRUE(sound.Create(std::u16string(u"long.wav")));
    GxSoundPlayerStream stream;
    GxSoundPlayerStatic one;
    TakeLog();
    struct Case {
        const char16_t* name;
        std::uint32_t startMs;
        std::u16string streamLine;
        std::u16string staticLine;
    };
    const Case cases[] = {
        {u"long.wav", 10000, u"GxSoundPlayerStream::PlayFromFile シーク不可能な位置が指定されました(long.wav)\n",
         u"GxSoundPlayerStatic::PlayFromFile シーク不可能な位置が指定されました(long.wav)\n"},
        {u"music.mp3", 0, u"GxSoundPlayerStream::PlayFromFile ローダー作成に失敗(music.mp3)\n",
         u"GxSoundPlayerStatic::PlayFromFile ローダー作成に失敗(music.mp3)\n"},
        {u"empty.wav", 0, u"GxSoundPlayerStream::PlayFromFile 長さ0のファイルを再生しようとしました(empty.wav)\n",
         u"GxSoundPlayerStatic::PlayFromFile 長さ0のファイルを再生しようとしました(empty.wav)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name, c.name + 3));
        EXPECT_FALSE(PlayStream(stream, c.name, 0, c.startMs));
        EXPECT_FALSE(one.PlayFromFile(std::u16string(c.name), 0, 0, c.startMs, 0, 0, 0, 0));
        std::vector<std::u16string> lines;
        for (const std::u16string& line : TakeLog())
            if (line.rfind(u"GxSoundPlayer", 0) == 0) lines.push_back(line);   // not the loader's own
        EXPECT_EQ(lines, (std::vector<std::u16string>{c.streamLine, c.staticLine}));
    }
    EXPECT_FALSE(stream.PlayFromMemory(&sound, 0, 0, 8000, 0, 0, 0, 0, 0));
    EXPECT_FALSE(one.PlayFromMemory(&sound, 0, 0, 8000, 0, 0, 0, 0));
    EXPECT_EQ(TakeLog(), (std::vector<std::u16string>{
                             u"GxSoundPlayerStream::PlayFromMemory シーク不可能な位置が指定されました\n",
                             u"GxSoundPlayerStatic::PlayFromMemory シーク不可能な位置が指定されました\n"}));
    EXPECT_FALSE(PlayStream(stream, u"deep.wav"));
    EXPECT_FALSE(one.PlayFromFile(std::string("deep.wav"), 0, 0, 0, 0, 0, 0, 0));
    const std::vector<std::u16string> lines = TakeLog();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind(u"Error/GxSoundBufferStream::Create セカンダリバッファ作成に失敗しました ", 0), 0u);
    EXPECT_EQ(lines[1], u"Error/GxSoundBufferStatic::Create セカンダリバッファ作成に失敗しました\n");
    EXPECT_FALSE(stream.IsPlaying());
    EXPECT_FALSE(stream.HasLoader());
    EXPECT_FALSE(one.IsPlaying());
    EXPECT_EQ(platform::DirectSoundObjects().secondaryBuffers, 0);
}

TEST_F(SoundPlayerTest, TheOneShotPlaysFromMemoryAndLetsItsBufferGoWhenDone)
{
    constexpr std::uint32_t kFrames = 20000;
    WriteRamp("se.wav", kFrames);
    GxWavData sound;
    ASSERT_TRUE(sound.Create(std::u16string(u"se.wav")));
    const std::uint32_t before = GetSoundDeviceState().m_PlayerSerial;
    GxSoundPlayerStatic one;
    EXPECT_EQ(one.GetPlayerSerial(), before + 1);
    ASSERT_TRUE(one.PlayFromMemory(&sound, 0, 0, 100, 0, 0, 0, 0));
    EXPECT_EQ(one.GetLengthFrames(), kFrames);
    Pump(kFrames);
    std::vector<std::int32_t> want;
    AppendRamp(want, 4410, kFrames);
    EXPECT_EQ(FirstDifference(TakeLeft(), want), -1);
    EXPECT_FALSE(one.IsPlaying());
    EXPECT_EQ(platform::DirectSoundObjects().secondaryBuffers, 1);
    EXPECT_FALSE(one.UpdateFade());
    EXPECT_EQ(platform::DirectSoundObjects().secondaryBuffers, 0);
}

TEST_F(SoundPlayerTest, ThreeDimensionalCallsPassToAMonoBufferAndSkipUnchangedValues)
{
    WriteRamp("mono.wav", 20000, 1);
    GxSoundPlayerStatic one;
    const GxSoundVector position{1.0f, 2.0f, 3.0f, 0.0f};
    const GxSoundVector facing{0.0f, 1.0f, 0.0f, 0.0f};
    ASSERT_TRUE(one.PlayFromFileWith3D(u"mono.wav", 0, 0, 0, 0, 0, 0, 1, &position, &facing));
    GxSoundVector orientation;
    one.Get3DOrientation(&orientation);
    EXPECT_EQ(orientation.y, 1.0f);
    float distance = 0.0f;
    EXPECT_TRUE(one.SetMinDistance(100.0f + 1e-5f));   // beyond the epsilon: stored
    EXPECT_TRUE(one.GetMinDistance(&distance));
    EXPECT_EQ(distance, 100.0f + 1e-5f);
    EXPECT_TRUE(one.SetMaxDistance(500.0f + 5e-8f));   // rounds to 500 in single precision: skipped
    EXPECT_TRUE(one.GetMaxDistance(&distance));
    EXPECT_EQ(distance, 500.0f);
    EXPECT_FALSE(one.SetConeAngle(90, 45));
    EXPECT_TRUE(one.SetConeAngle(45, 90));
    one.Set3DSources(&position, &facing);
    one.Apply3DParams(true);
    D3DVECTOR placed{};
    EXPECT_TRUE(one.Get3DPosition(&placed));
    EXPECT_EQ(placed.z, 3.0f);
    EXPECT_TRUE(one.GetConeOrientation(&placed));
    EXPECT_EQ(placed.y, 1.0f);
    // A stereo stream has no 3D interface: the calls answer false.
    WriteRamp("stereo.wav", 20000);
    GxSoundPlayerStream stream;
    ASSERT_TRUE(PlayStream(stream, u"stereo.wav"));
    EXPECT_FALSE(stream.SetMinDistance(5.0f));
    EXPECT_FALSE(stream.Get3DPosition(&placed));
    EXPECT_EQ(placed.x, 0.0f);
}

// A new play on a stream player while the notification thread of its old sound is held inside
// a refill's read: the teardown waits for that thread, without the buffer lock, before the old
// loader goes; the new sound then plays.
TEST_F(SoundPlayerTest, ReplayingWhileTheOldRefillIsHeldWaitsForItAndFreesNothingEarly)
{
    WriteRamp("next.wav", 30000);
    GxSoundPlayerStream player;
    auto held = std::make_unique<ShortLoader>(kRate * 10, kRate * 10);
    ShortLoader* loader = held.get();
    GxSoundBufferStream& buffer = player.GetBuffer();
    ASSERT_TRUE(buffer.Create(loader, false));
    ASSERT_TRUE(buffer.Play(0, 0, 0, 0));
    const int readsOfPlay = loader->ReadsStarted();
    loader->Hold();
    platform::Mixer::Instance().Advance(kRate / 4 + kRate / 8 + 441);
    loader->WaitForReads(readsOfPlay + 1);
    std::thread helper([&] {
        while (!buffer.IsStopping()) std::this_thread::yield();
        loader->Release();
    });
    ASSERT_TRUE(PlayStream(player, u"next.wav"));
    helper.join();
    EXPECT_EQ(loader->ReadsFinished(), loader->ReadsStarted());
    held.reset();   // the old thread has ended: nothing reads this loader any more
    TakeLeft();
    Pump(30000 + 44100);
    std::vector<std::int32_t> want;
    AppendRamp(want, 0, 30000);
    EXPECT_EQ(FirstDifference(TakeLeft(), want), -1);
}

}  // namespace
