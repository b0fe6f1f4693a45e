// The XAudio2 players on the fake clock and the capture sink: fades read back as the voice's
// gain, start and loop positions, loader and format failures, the one-shot from memory and
// the 3D placement.
#include "audio_fixture.h"

#include "media/audio_player_static.h"
#include "media/audio_player_stream.h"
#include "media/wav_data.h"
#include "platform/win32/timer.h"

#include <cmath>
#include <memory>

namespace {

constexpr std::uint32_t kClockStart = 5000;   // the fixture's fake clock

class AudioPlayerTest : public AudioTest {
protected:
    bool PlayStream(GxAudioPlayerStream& player, const std::u16string& name, std::int32_t loopCount = 0,
                    std::uint32_t startMs = 0, std::uint32_t fadeInMs = 0, float volume = 1.0f,
                    std::uint32_t loopStartMs = 0)
    {
        return player.Play(name, loopCount, 0, startMs, fadeInMs, volume, 0, loopStartMs, 0, nullptr, nullptr);
    }
    static float Gain() { return OnlySource().gain; }
};

TEST_F(AudioPlayerTest, FadeInRisesWithTheClockAndEndsAtItsVolume)
{
    WriteRamp("bgm.wav", kRate * 3);
    GxAudioPlayerStream player;
    ASSERT_TRUE(PlayStream(player, u"bgm.wav", 0, 0, 1000, 0.8f));
    EXPECT_FLOAT_EQ(Gain(), 0.0f);
    EXPECT_EQ(player.GetFadeState(), GxAudioPlayerBase::kFadeIn);
    EXPECT_EQ(player.GetPlayStartTime(), kClockStart);
    EXPECT_EQ(player.GetDurationMs(), 3000u);
    platform::SetFakeTime(kClockStart + 500);
    EXPECT_TRUE(player.UpdateFade());
    EXPECT_NEAR(Gain(), 0.4f, 1e-6f);
    EXPECT_EQ(player.GetFadeOverMs(), 0u);
    for (std::uint32_t at : {1000u, 1700u}) {
        platform::SetFakeTime(kClockStart + at);
        EXPECT_TRUE(player.UpdateFade());
        EXPECT_FLOAT_EQ(Gain(), 0.8f);
        EXPECT_EQ(player.GetFadeState(), 0);
    }
    EXPECT_TRUE(player.IsPlaying());
}

TEST_F(AudioPlayerTest, StopFadesOutAndClosesAtTheEnd)
{
    WriteRamp("bgm.wav", kRate * 3);
    GxAudioPlayerStream player;
    ASSERT_TRUE(PlayStream(player, u"bgm.wav"));
    ASSERT_TRUE(player.Stop(2000));
    EXPECT_EQ(player.GetFadeState(), GxAudioPlayerBase::kFadeOut);
    EXPECT_FLOAT_EQ(player.GetFadeEndVolume(), 0.0f);
    platform::SetFakeTime(kClockStart + 1000);
    EXPECT_TRUE(player.UpdateFade());
    EXPECT_NEAR(Gain(), 0.5f, 1e-6f);
    platform::SetFakeTime(kClockStart + 2000);
    EXPECT_TRUE(player.UpdateFade());
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_FALSE(player.HasLoader());
    EXPECT_EQ(SourceVoices(), 0);
    EXPECT_FALSE(player.UpdateFade());

    ASSERT_TRUE(PlayStream(player, u"bgm.wav"));
    EXPECT_TRUE(player.Stop(0));
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(SourceVoices(), 0);
}

TEST_F(AudioPlayerTest, SetVolumeRetargetsARunningFade)
{
    WriteRamp("bgm.wav", kRate * 3);
    GxAudioPlayerStream player;
    // During a fade-in: the new end volume.
    ASSERT_TRUE(PlayStream(player, u"bgm.wav", 0, 0, 1000, 1.0f));
    EXPECT_TRUE(player.SetVolume(0.5f));
    EXPECT_FLOAT_EQ(Gain(), 0.0f);
    platform::SetFakeTime(kClockStart + 1000);
    player.UpdateFade();
    EXPECT_FLOAT_EQ(Gain(), 0.5f);
    // During a fade-out: the new start volume.
    ASSERT_TRUE(player.Stop(1000));
    EXPECT_TRUE(player.SetVolume(0.6f));
    platform::SetFakeTime(kClockStart + 1500);
    player.UpdateFade();
    EXPECT_NEAR(Gain(), 0.3f, 1e-6f);
    EXPECT_EQ(player.GetFadeOverMs(), 0u);
    platform::SetFakeTime(kClockStart + 2300);
    EXPECT_EQ(player.GetFadeOverMs(), 300u);
    // Without a fade: straight to the voice.
    ASSERT_TRUE(PlayStream(player, u"bgm.wav"));
    EXPECT_TRUE(player.SetVolume(0.25f));
    EXPECT_FLOAT_EQ(Gain(), 0.25f);
    EXPECT_FLOAT_EQ(player.GetVolume(), 0.25f);
}

TEST_F(AudioPlayerTest, FadesEndAtOnceWithoutAStartTimeAndFinishOnRequest)
{
    WriteRamp("bgm.wav", kRate * 3);
    GxAudioPlayerStream player;
    platform::SetFakeTime(0);
    ASSERT_TRUE(PlayStream(player, u"bgm.wav", 0, 0, 1000, 1.0f));
    EXPECT_EQ(player.GetFadeState(), 0);   // no start time: no fade to report
    EXPECT_TRUE(player.UpdateFade());
    platform::SetFakeTime(500);
    EXPECT_TRUE(player.UpdateFade());
    EXPECT_FLOAT_EQ(Gain(), 0.0f);   // ended where it was

    platform::SetFakeTime(kClockStart);
    ASSERT_TRUE(PlayStream(player, u"bgm.wav", 0, 0, 1000, 0.9f));
    EXPECT_TRUE(player.FinishFade());
    EXPECT_FLOAT_EQ(Gain(), 0.9f);
    EXPECT_EQ(player.GetFadeState(), 0);
    ASSERT_TRUE(player.Stop(1000));
    EXPECT_TRUE(player.FinishFade());
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(SourceVoices(), 0);
}

TEST_F(AudioPlayerTest, FadesMeasureTimeAcrossTheClockWrap)
{
    WriteRamp("bgm.wav", kRate * 3);
    GxAudioPlayerStream player;
    platform::SetFakeTime(0xFFFFFFFFu - 199);
    ASSERT_TRUE(PlayStream(player, u"bgm.wav", 0, 0, 1000, 1.0f));
    platform::SetFakeTime(300);   // 500 ms later
    EXPECT_TRUE(player.UpdateFade());
    EXPECT_NEAR(Gain(), 0.5f, 1e-6f);
}

TEST_F(AudioPlayerTest, StartAndLoopStartPositionsAreMillisecondsInFrames)
{
    WriteRamp("bgm.wav", kRate * 2);
    GxAudioPlayerStream player;
    // From 1000 ms (frame 44,100), then once more from 0: a loop start beyond the end.
    ASSERT_TRUE(PlayStream(player, u"bgm.wav", 1, 1000, 0, 1.0f, 5000));
    std::vector<std::int32_t> want;
    AppendRamp(want, kRate, kRate * 2);
    AppendRamp(want, 0, kRate * 2);
    Pump(static_cast<std::uint32_t>(want.size()) + 441);
    EXPECT_EQ(FirstDifference(TakeLeft(), want), -1);
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_FALSE(player.UpdateFade());

    // From 500 ms, looping from 1500 ms once.
    ASSERT_TRUE(PlayStream(player, u"bgm.wav", 1, 500, 0, 1.0f, 1500));
    EXPECT_EQ(player.GetLoopCount(), 1);
    want.clear();
    AppendRamp(want, kRate / 2, kRate * 2);
    AppendRamp(want, kRate * 3 / 2, kRate * 2);
    Pump(static_cast<std::uint32_t>(want.size()) + 441);
    EXPECT_EQ(FirstDifference(TakeLeft(), want), -1);
}

TEST_F(AudioPlayerTest, AStartAtOrBeyondTheEndFailsWithThePositionLine)
{
    WriteRamp("se.wav", kRate);   // exactly 1000 ms
    GxWavData sound;
    ASSERT_TRUE(sound.Create(std::u16string(u"se.wav")));
    TakeLog();
    GxAudioPlayerStream stream;
    GxAudioPlayerStatic one;
    for (std::uint32_t startMs : {1000u, 5000u}) {
        EXPECT_FALSE(PlayStream(stream, u"se.wav", 0, startMs));
        EXPECT_FALSE(one.PlayFromFile(u"se.wav", 0, startMs, 0, 1.0f, 0, 0, nullptr, nullptr));
        EXPECT_FALSE(one.PlayFromMemory(&sound, 0, startMs, 0, 1.0f, 0, 0, nullptr, nullptr));
        EXPECT_FALSE(stream.PlayFromMemory(&sound, 0, 0, startMs, 0, 1.0f, 0, 0, 0, nullptr, nullptr));
        EXPECT_EQ(TakeLog(), (std::vector<std::u16string>{
                                 u"GxAudioPlayerStream::PlayFromFile シーク不可能な位置が指定されました(se.wav)\n",
                                 u"GxAudioPlayerStatic::PlayFromFile シーク不可能な位置が指定されました(se.wav)\n",
                                 u"GxAudioPlayerStatic::PlayFromMemory シーク不可能な位置が指定されました\n",
                                 u"GxAudioPlayerStream::PlayFromMemory シーク不可能な位置が指定されました\n"}));
    }
    EXPECT_FALSE(stream.IsPlaying());
    EXPECT_FALSE(one.IsPlaying());
    stream.Close();
    one.Close();
    EXPECT_EQ(SourceVoices(), 0);
}

TEST_F(AudioPlayerTest, UnknownNamesMissingFilesAndRefusedFormatsFail)
{
    Write("music.mp3", SoundBytes(64, 0));
    Write("deep.wav", BuildTestPcmWav(2, kRate, 24, SoundBytes(6 * 100, 0)));
    Write("many.wav", BuildTestPcmWav(9, kRate, 16, SoundBytes(18 * 100, 0)));
    Write("fast.wav", BuildTestPcmWav(2, 4000000000u, 16, SoundBytes(4 * 100, 0)));   // a damaged header
    GxAudioPlayerStream stream;
    GxAudioPlayerStatic one;
    TakeLog();
    for (const char16_t* name : {u"music.mp3", u"missing.wav", u"missing.ogg"}) {
        EXPECT_FALSE(PlayStream(stream, name));
        EXPECT_FALSE(one.Play(std::u16string(name), 0, 0, 0, 1.0f, 0, 0, nullptr, nullptr));
        const std::u16string shown(name);
        std::vector<std::u16string> lines;
        for (const std::u16string& line : TakeLog())
            if (line.rfind(u"GxAudioPlayer", 0) == 0) lines.push_back(line);   // not the loader's own
        EXPECT_EQ(lines, (std::vector<std::u16string>{
                                 u"GxAudioPlayerStream::PlayFromFile ローダー作成に失敗(" + shown + u")\n",
                                 u"GxAudioPlayerStatic::PlayFromFile ローダー作成に失敗(" + shown + u")\n"}));
    }
    const std::u16string refused = u"Error/GxAudio プライマリサウンドバッファのフォーマット設定に失敗しました\n";
    for (const char* name : {"deep.wav", "many.wav", "fast.wav"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(stream.Play(std::string(name), 0, 0, 0, 0, 1.0f, 0, 0, 0, nullptr, nullptr));
        EXPECT_FALSE(one.Play(std::string(name), 0, 0, 0, 1.0f, 0, 0, nullptr, nullptr));
        EXPECT_EQ(TakeLog(), (std::vector<std::u16string>{refused, refused}));
        EXPECT_FALSE(stream.HasLoader());
    }
    EXPECT_EQ(SourceVoices(), 0);
    // The one-shot keeps the base's answers for the play forms that take a loop start.
    EXPECT_FALSE(one.GxAudioPlayerBase::PlayFromFile(u"missing.wav", 0, 0, 0, 0, 1.0f, 0, 0, 0, nullptr, nullptr));
}

TEST_F(AudioPlayerTest, AnOggStreamPlaysThroughItsDecoder)
{
    Write("bgm.ogg", EncodeTestOggVorbis(TestTone(kRate, 2, kRate, 440.0), 2, kRate));
    GxAudioPlayerStream player;
    ASSERT_TRUE(player.PlayFromFile(std::string("bgm.ogg"), 0, 0, 0, 0, 1.0f, 0, 0, 0, nullptr, nullptr));
    EXPECT_EQ(player.GetDurationMs(), 1000u);
    Pump(kRate + 441);
    EXPECT_FALSE(player.IsPlaying());
    const std::vector<std::int32_t> left = TakeLeft();
    int loud = 0;
    for (std::int32_t sample : left) loud += std::abs(sample) > 6000 ? 1 : 0;
    EXPECT_GT(loud, 10000);
}

TEST_F(AudioPlayerTest, TheOneShotPlaysACachedSoundAndReleasesItsVoiceWhenDone)
{
    constexpr std::uint32_t kFrames = 20000;
    WriteRamp("se.wav", kFrames);
    GxWavData sound;
    ASSERT_TRUE(sound.Create(std::u16string(u"se.wav")));
    struct Case {
        std::int32_t loopCount;
        bool endless;
    };
    for (const Case& c : {Case{0, false}, Case{3, false}, Case{-1, true}}) {
        SCOPED_TRACE(c.loopCount);
        GxAudioPlayerStatic player;
        ASSERT_TRUE(player.Play(&sound, c.loopCount, 100, 0, 1.0f, 0, 0, nullptr, nullptr));   // frame 4410
        std::vector<std::int32_t> want;
        AppendRamp(want, 4410, kFrames);
        if (c.endless) AppendRamp(want, 0, kFrames);
        Pump(static_cast<std::uint32_t>(want.size()) + 441, 4410);
        std::vector<std::int32_t> got = TakeLeft();
        if (c.endless) got.resize(want.size());
        EXPECT_EQ(FirstDifference(got, want), -1);
        EXPECT_EQ(player.UpdateFade(), c.endless);
        EXPECT_EQ(SourceVoices(), c.endless ? 1 : 0);
    }
    EXPECT_EQ(SourceVoices(), 0);   // deleting a player stops and releases its sound
}

TEST_F(AudioPlayerTest, OneShotFadesAndCloseWorkOnItsVoice)
{
    WriteRamp("se.wav", kRate * 3);
    GxAudioPlayerStatic player;
    ASSERT_TRUE(player.PlayFromFile(u"se.wav", 0, 0, 1000, 0.8f, 0, 0, nullptr, nullptr));
    platform::SetFakeTime(kClockStart + 500);
    EXPECT_TRUE(player.UpdateFade());
    EXPECT_NEAR(Gain(), 0.4f, 1e-6f);
    platform::SetFakeTime(kClockStart + 1000);
    EXPECT_TRUE(player.UpdateFade());
    ASSERT_TRUE(player.Stop(1000));
    platform::SetFakeTime(kClockStart + 1500);
    EXPECT_TRUE(player.UpdateFade());
    EXPECT_NEAR(Gain(), 0.4f, 1e-6f);
    platform::SetFakeTime(kClockStart + 2000);
    EXPECT_TRUE(player.UpdateFade());
    EXPECT_FALSE(player.IsPlaying());
    EXPECT_EQ(SourceVoices(), 0);
    EXPECT_FALSE(player.UpdateFade());
}

TEST_F(AudioPlayerTest, PlayersCountThemselvesAndPrepareTheirEmitter)
{
    const std::uint32_t before = GetAudioDeviceState().m_PlayerSerial;
    GxAudioPlayerStream stream;
    GxAudioPlayerStatic one;
    EXPECT_EQ(GetAudioDeviceState().m_PlayerSerial, before + 2);
    EXPECT_EQ(stream.GetSerial(), before + 1);
    EXPECT_EQ(one.GetSerial(), before + 2);

    const X3DAUDIO_EMITTER& emitter = stream.GetEmitter();
    const X3DAUDIO_CONE& cone = *emitter.pCone;
    EXPECT_EQ(cone.InnerAngle, 0.0f);
    EXPECT_EQ(cone.OuterAngle, 0.0f);
    EXPECT_EQ(cone.InnerVolume, 0.0f);
    EXPECT_EQ(cone.OuterVolume, 1.0f);
    EXPECT_EQ(cone.InnerLPF, 0.0f);
    EXPECT_EQ(cone.OuterLPF, 1.0f);
    EXPECT_EQ(cone.InnerReverb, 0.0f);
    EXPECT_EQ(cone.OuterReverb, 1.0f);
    EXPECT_EQ(emitter.OrientFront.z, 1.0f);
    EXPECT_EQ(emitter.OrientTop.y, 1.0f);
    EXPECT_EQ(emitter.Position.x + emitter.Position.y + emitter.Position.z, 0.0f);
    EXPECT_EQ(emitter.InnerRadius, 500.0f);
    EXPECT_EQ(emitter.InnerRadiusAngle, 0.0f);
    EXPECT_EQ(emitter.ChannelCount, 2u);
    EXPECT_EQ(emitter.ChannelRadius, 1.0f);
    EXPECT_EQ(emitter.pChannelAzimuths[0] + emitter.pChannelAzimuths[1], 0.0f);
    struct Curve {
        const X3DAUDIO_DISTANCE_CURVE* curve;
        std::vector<X3DAUDIO_DISTANCE_CURVE_POINT> points;
    };
    for (const Curve& c : {Curve{emitter.pVolumeCurve, {{0.0f, 1.0f}, {1.0f, 0.0f}}},
                           Curve{emitter.pLFECurve, {{0.0f, 1.0f}, {0.25f, 0.5f}, {1.0f, 0.0f}}},
                           Curve{emitter.pReverbCurve, {{0.0f, 0.5f}, {0.75f, 1.0f}, {1.0f, 0.0f}}}}) {
        ASSERT_NE(c.curve, nullptr);
        ASSERT_EQ(c.curve->PointCount, c.points.size());
        for (std::size_t i = 0; i < c.points.size(); ++i) {
            EXPECT_EQ(c.curve->pPoints[i].Distance, c.points[i].Distance);
            EXPECT_EQ(c.curve->pPoints[i].DSPSetting, c.points[i].DSPSetting);
        }
    }
    EXPECT_EQ(emitter.pLPFDirectCurve, nullptr);
    EXPECT_EQ(emitter.pLPFReverbCurve, nullptr);
    EXPECT_EQ(emitter.CurveDistanceScaler, 550.0f);
    EXPECT_EQ(emitter.DopplerScaler, 1.0f);
    EXPECT_EQ(stream.GetOutputSettings().DstChannelCount, 2u);
    EXPECT_NE(stream.GetOutputSettings().pMatrixCoefficients, nullptr);
}

class AudioPlayer3DTest : public AudioPlayerTest {
protected:
    void SetUp() override
    {
        m_Use3D = 1;
        AudioPlayerTest::SetUp();
    }
    void Update(GxAudioPlayerBase& player)
    {
        GxAudioDeviceState& audio = GetAudioDeviceState();
        player.Update3D(audio.m_X3DInstance, &audio.m_Listener, 0x3D, 0);
    }
};

TEST_F(AudioPlayer3DTest, TheUpdatePlacesTheSoundFromTheCallersVectors)
{
    WriteRamp("se.wav", kRate);
    GxSoundVector position{100.0f, 0.0f, 0.0f, 0.0f};   // to the listener's right
    GxSoundVector front{0.0f, 0.0f, 1.0f, 0.0f};
    GxAudioPlayerStream player;
    ASSERT_TRUE(player.PlayFromFile(u"se.wav", 0, 0, 0, 0, 1.0f, 0, 0, 1, &position, &front));
    EXPECT_EQ(player.GetOutputSettings().SrcChannelCount, 2u);
    Update(player);
    EXPECT_EQ(player.GetEmitter().Position.x, 100.0f);
    Pump(4410);
    const std::vector<std::int16_t> stereo = TakeStereo();
    ASSERT_EQ(stereo.size(), 4410u * 2);
    // Frame 2000: the ramp value 2000 from both source channels, all on the right, at the
    // volume curve's level for 100 of 550.
    EXPECT_EQ(stereo[2000 * 2], 0);
    const float level = std::sin(0.78539816f * 2.0f) * (1.0f - 100.0f / 550.0f);
    EXPECT_NEAR(stereo[2000 * 2 + 1], 2 * 2000 * level, 2.0);

    // The emitter follows only changes beyond the single-precision epsilon.
    position.y = 5e-8f;
    Update(player);
    EXPECT_EQ(player.GetEmitter().Position.y, 0.0f);
    EXPECT_EQ(player.GetPosition3D().y, 5e-8f);   // the player's copy is always taken
    position.x = 100.0f + 1e-5f;   // one component beyond: the whole vector goes over
    Update(player);
    EXPECT_EQ(player.GetEmitter().Position.x, position.x);
    EXPECT_EQ(player.GetEmitter().Position.y, 5e-8f);
    front = {1.0f, 0.0f, 0.0f, 0.0f};
    Update(player);
    EXPECT_EQ(player.GetEmitter().OrientFront.x, 1.0f);
    EXPECT_EQ(player.GetFront3D().x, 1.0f);
}

TEST_F(AudioPlayer3DTest, WithoutTheFlagTheUpdateChangesNothing)
{
    WriteRamp("se.wav", kRate);
    GxSoundVector position{100.0f, 0.0f, 0.0f, 0.0f};
    GxAudioPlayerStatic player;
    ASSERT_TRUE(player.PlayFromFile(u"se.wav", 0, 0, 0, 1.0f, 0, 0, &position, nullptr));
    Update(player);
    EXPECT_EQ(player.GetEmitter().Position.x, 0.0f);
    Pump(4410);
    const std::vector<std::int16_t> stereo = TakeStereo();
    ASSERT_EQ(stereo.size(), 4410u * 2);
    EXPECT_EQ(stereo[2000 * 2], 2000);
    EXPECT_EQ(stereo[2000 * 2 + 1], 2000);
}

TEST_F(AudioPlayer3DTest, ThePlayFormsThatCopyKeepTheirOwnVectors)
{
    WriteRamp("se.wav", kRate);
    GxSoundVector position{-50.0f, 0.0f, 0.0f, 0.0f};
    GxAudioPlayerStatic player;
    ASSERT_TRUE(player.Play(std::u16string(u"se.wav"), 0, 0, 0, 1.0f, 0, 1, &position, nullptr));
    position.x = 999.0f;   // the player plays with its copy
    Update(player);
    EXPECT_EQ(player.GetEmitter().Position.x, -50.0f);
    EXPECT_EQ(player.GetFront3D().z, 1.0f);
}

}  // namespace
