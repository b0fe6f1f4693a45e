// The XAudio2 stream and one-shot buffers on the capture sink: chunk sizes, the two chunks of
// a start, refills by the buffer's own thread, loops compared frame by frame with the ramp,
// a loader that ends early, and the refill thread's life.
#include "audio_fixture.h"

#include "media/audio_buffer_static.h"
#include "media/audio_buffer_stream.h"
#include "media/sound_loader_wav.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace {

class AudioBufferTest : public AudioTest {
protected:
    std::unique_ptr<GxSoundLoaderWav> OpenRamp(std::uint32_t frames, std::uint16_t channels = 2,
                                               std::uint32_t rate = kRate)
    {
        WriteRamp("ramp.wav", frames, channels, rate);
        auto loader = std::make_unique<GxSoundLoaderWav>();
        EXPECT_TRUE(loader->Open(u"ramp.wav"));
        return loader;
    }

    static UINT32 Queued(IXAudio2SourceVoice* voice)
    {
        XAUDIO2_VOICE_STATE state{};
        voice->GetState(&state);
        return state.BuffersQueued;
    }
};

TEST_F(AudioBufferTest, ChunksAreHalfASecondInWholeFrames)
{
    struct Case {
        std::uint16_t channels;
        std::uint32_t rate;
        std::uint32_t chunk;
    };
    for (const Case& c : {Case{2, 44100, 88200}, Case{1, 22050, 22050}, Case{2, 11025, 22052}}) {
        SCOPED_TRACE(c.rate);
        std::unique_ptr<GxSoundLoaderWav> loader = OpenRamp(30000, c.channels, c.rate);
        GxAudioBufferStream buffer;
        ASSERT_TRUE(buffer.Create(loader.get()));
        EXPECT_EQ(buffer.GetChunkBytes(), c.chunk);
        EXPECT_EQ(buffer.GetCapacity(), c.chunk * 8);
        EXPECT_EQ(buffer.GetTotalBytes(), loader->GetTotalBytes());
        buffer.Close();
        EXPECT_EQ(buffer.GetChunkBytes(), 0u);
        EXPECT_EQ(SourceVoices(), 0);
    }
}

TEST_F(AudioBufferTest, StartQueuesTwoChunksAndTheThreadKeepsTheQueueTopped)
{
    std::unique_ptr<GxSoundLoaderWav> loader = OpenRamp(kRate * 4);
    GxAudioBufferStream buffer;
    EXPECT_FALSE(buffer.Play(0, 0, 0, 0, 1.0f, 0));   // no voice yet
    ASSERT_TRUE(buffer.Create(loader.get()));
    ASSERT_TRUE(buffer.Play(0, 0, 0, 0, 1.0f, 0));
    platform::MixSourceInfo info = OnlySource();
    EXPECT_TRUE(info.started);
    EXPECT_EQ(info.buffersQueued, 2u);
    EXPECT_TRUE(buffer.IsPlaying());

    // Each chunk that ends is replaced: two queued after every half second.
    for (int half = 1; half <= 3; ++half) {
        Pump(kRate / 2);
        EXPECT_EQ(OnlySource().buffersQueued, 2u) << half;
    }
    Pump(kRate * 5 / 2 + 441);
    EXPECT_FALSE(buffer.IsPlaying());
    std::vector<std::int32_t> want;
    AppendRamp(want, 0, kRate * 4);
    EXPECT_EQ(FirstDifference(TakeLeft(), want), -1);
}

TEST_F(AudioBufferTest, StreamsPlayFromTheStartFrameThroughTheirLoopsFrameByFrame)
{
    constexpr std::uint32_t kFrames = 60000;
    constexpr std::uint32_t kStart = 22050;
    constexpr std::uint32_t kLoopStart = 44100;
    struct Case {
        std::int32_t loopCount;
        int passes;   // stretches after the first play
        bool playingAfter;
    };
    for (const Case& c : {Case{0, 0, false}, Case{2, 2, false}, Case{-1, 5, true}}) {
        SCOPED_TRACE(c.loopCount);
        std::unique_ptr<GxSoundLoaderWav> loader = OpenRamp(kFrames);
        GxAudioBufferStream buffer;
        ASSERT_TRUE(buffer.Create(loader.get()));
        ASSERT_TRUE(buffer.Play(c.loopCount, 0, kStart, kLoopStart, 1.0f, 0));
        std::vector<std::int32_t> want;
        AppendRamp(want, kStart, kFrames);
        for (int pass = 0; pass < c.passes; ++pass) AppendRamp(want, kLoopStart, kFrames);
        Pump(static_cast<std::uint32_t>(want.size()) + 4410);
        std::vector<std::int32_t> got = TakeLeft();
        if (c.playingAfter) got.resize(want.size());   // the endless loop goes on: compare what is known
        EXPECT_EQ(FirstDifference(got, want), -1);
        EXPECT_EQ(buffer.IsPlaying(), c.playingAfter);
        buffer.Close();
    }
}

TEST_F(AudioBufferTest, AChunkCrossingTheLoopEndIsCompletedFromTheLoopStartInTheSameCall)
{
    // 30000 frames, chunks of 22050: the second chunk holds the last 7950 frames, then 14100
    // from the loop start, as a second submit of the same call.
    std::unique_ptr<GxSoundLoaderWav> loader = OpenRamp(30000);
    GxAudioBufferStream buffer;
    ASSERT_TRUE(buffer.Create(loader.get()));
    ASSERT_TRUE(buffer.Play(1, 0, 0, 10000, 1.0f, 0));
    EXPECT_EQ(OnlySource().buffersQueued, 3u);
    std::vector<std::int32_t> want;
    AppendRamp(want, 0, 30000);
    AppendRamp(want, 10000, 30000);
    Pump(static_cast<std::uint32_t>(want.size()) + 441);
    EXPECT_EQ(FirstDifference(TakeLeft(), want), -1);
    EXPECT_FALSE(buffer.IsPlaying());
}

TEST_F(AudioBufferTest, ShortLoopStretchesStayIntactForSeconds)
{
    constexpr std::uint32_t kFrames = 30000;
    for (std::uint32_t stretch : {2205u, 13230u}) {   // 0.05 s and 0.3 s
        SCOPED_TRACE(stretch);
        std::unique_ptr<GxSoundLoaderWav> loader = OpenRamp(kFrames);
        GxAudioBufferStream buffer;
        ASSERT_TRUE(buffer.Create(loader.get()));
        ASSERT_TRUE(buffer.Play(-1, 0, 0, kFrames - stretch, 1.0f, 0));
        // No submit may go past the voice's queue, however short the stretch.
        EXPECT_LE(OnlySource().buffersQueued, XAUDIO2_MAX_QUEUED_BUFFERS);
        Pump(kRate * 3);
        std::vector<std::int32_t> want;
        AppendRamp(want, 0, kFrames);
        while (want.size() < kRate * 3) AppendRamp(want, kFrames - stretch, kFrames);
        want.resize(kRate * 3);
        EXPECT_EQ(FirstDifference(TakeLeft(), want), -1);
        EXPECT_TRUE(buffer.IsPlaying());
        buffer.Close();
    }
}

TEST_F(AudioBufferTest, ATinyLoopStretchFillsTheQueueWithoutOverrunningIt)
{
    std::unique_ptr<GxSoundLoaderWav> loader = OpenRamp(1000);
    GxAudioBufferStream buffer;
    ASSERT_TRUE(buffer.Create(loader.get()));
    ASSERT_TRUE(buffer.Play(-1, 0, 0, 990, 1.0f, 0));   // a ten-frame loop
    EXPECT_EQ(OnlySource().buffersQueued, XAUDIO2_MAX_QUEUED_BUFFERS);
    Pump(441, 441);
    std::vector<std::int32_t> want;
    AppendRamp(want, 0, 1000);
    EXPECT_EQ(FirstDifference(TakeLeft(), std::vector<std::int32_t>(want.begin(), want.begin() + 441)), -1);
}

TEST_F(AudioBufferTest, ALoaderThatStopsEarlyPlaysOutWhatIsQueued)
{
    ShortLoader loader(kRate * 3, 30000);
    GxAudioBufferStream buffer;
    ASSERT_TRUE(buffer.Create(&loader));
    ASSERT_TRUE(buffer.Play(0, 0, 0, 0, 1.0f, 0));
    Pump(kRate * 2);
    std::vector<std::int32_t> want;
    AppendRamp(want, 0, 30000);
    EXPECT_EQ(FirstDifference(TakeLeft(), want), -1);
    EXPECT_FALSE(buffer.IsPlaying());
}

TEST_F(AudioBufferTest, FailedSeeksAreLoggedAndPlaybackGoesOnWhereTheLoaderStands)
{
    ShortLoader loader(30000, 30000);
    loader.failSeek = true;
    GxAudioBufferStream buffer;
    ASSERT_TRUE(buffer.Create(&loader));
    TakeLog();
    // The start seek fails: the loader's own frames from 0, as many as the position leaves.
    // The wrap to the loop start fails too: that refill ends, and so does the sound.
    ASSERT_TRUE(buffer.Play(1, 0, 1000, 0, 1.0f, 0));
    Pump(kRate);
    std::vector<std::int32_t> want;
    AppendRamp(want, 0, 29000);
    EXPECT_EQ(FirstDifference(TakeLeft(), want), -1);
    EXPECT_FALSE(buffer.IsPlaying());
    const std::vector<std::u16string> lines = TakeLog();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], u"Error/GxAudioBufferStream::Play ストリーミング再生シーク失敗\n");
    for (std::size_t i = 1; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], u"Error/GxAudioBufferStream::ReadBuffer ストリーミング再生シーク失敗\n");
}

TEST_F(AudioBufferTest, TheStreamRemembersItsVolumeUntilPlayAndStopSilencesFirst)
{
    std::unique_ptr<GxSoundLoaderWav> loader = OpenRamp(kRate * 2);
    GxAudioBufferStream buffer;
    ASSERT_TRUE(buffer.Create(loader.get()));
    ASSERT_TRUE(buffer.Play(0, 0, 0, 0, 0.5f, 0));
    IXAudio2SourceVoice* voice = buffer.GetVoice();
    voice->SetVolume(0.2f);   // behind the buffer's back
    EXPECT_TRUE(buffer.SetVolume(0.5f));
    EXPECT_FLOAT_EQ(OnlySource().gain, 0.2f);   // the same value is not sent again
    EXPECT_TRUE(buffer.SetVolume(0.7f));
    EXPECT_FLOAT_EQ(buffer.GetVolume(), 0.7f);
    ASSERT_TRUE(buffer.Play(0, 0, 0, 0, 0.7f, 0));   // Play forgets the last value
    EXPECT_FLOAT_EQ(OnlySource().gain, 0.7f);
    EXPECT_TRUE(buffer.Stop());
    platform::MixSourceInfo info = OnlySource();
    EXPECT_FALSE(info.started);
    EXPECT_FLOAT_EQ(info.gain, 0.0f);
    EXPECT_TRUE(buffer.SetReserved(5));
    buffer.Close();
    EXPECT_FALSE(buffer.SetReserved(5));
    EXPECT_EQ(buffer.GetLoopCount(), 0);
}

TEST_F(AudioBufferTest, OneRefillThreadServesEverySoundOfTheBuffer)
{
    std::unique_ptr<GxSoundLoaderWav> loader = OpenRamp(kRate);
    GxAudioBufferStream buffer;
    EXPECT_FALSE(buffer.HasThread());
    for (int sound = 0; sound < 3; ++sound) {
        ASSERT_TRUE(buffer.Create(loader.get()));
        ASSERT_TRUE(buffer.Play(0, 0, 0, 0, 1.0f, 0));
        EXPECT_TRUE(buffer.HasThread());
        Pump(kRate + 441);
        std::vector<std::int32_t> want;
        AppendRamp(want, 0, kRate);
        EXPECT_EQ(FirstDifference(TakeLeft(), want), -1) << sound;
        buffer.Close();
        EXPECT_TRUE(buffer.HasThread());
        EXPECT_EQ(SourceVoices(), 0);
    }
}

// Destroying the buffer while its thread is inside a slow read waits for the read to end and
// for the thread to leave; ASan sees any touch of the freed buffer.
TEST_F(AudioBufferTest, DestructionWaitsForTheRefillThreadWithoutALimit)
{
    ShortLoader loader(kRate * 10, kRate * 10);
    auto buffer = std::make_unique<GxAudioBufferStream>();
    ASSERT_TRUE(buffer->Create(&loader));
    ASSERT_TRUE(buffer->Play(0, 0, 0, 0, 1.0f, 0));
    EXPECT_EQ(loader.ReadsStarted(), 2);
    loader.Hold();
    platform::Mixer::Instance().Advance(kRate / 2);   // the first chunk ends: the thread reads
    loader.WaitForReads(3);
    std::thread destroyer([&] { buffer.reset(); });
    loader.Release();
    destroyer.join();
    EXPECT_EQ(loader.ReadsFinished(), loader.ReadsStarted());
    EXPECT_EQ(SourceVoices(), 0);
    TakeLeft();
}

TEST_F(AudioBufferTest, AStaticBufferHoldsTheWholeSoundInOneSubmit)
{
    constexpr std::uint32_t kFrames = 20000;
    struct Case {
        std::int32_t loopCount;
        bool endless;
    };
    for (const Case& c : {Case{0, false}, Case{3, false}, Case{-1, true}}) {
        SCOPED_TRACE(c.loopCount);
        std::unique_ptr<GxSoundLoaderWav> loader = OpenRamp(kFrames);
        GxAudioBufferStatic buffer;
        ASSERT_TRUE(buffer.Create(loader.get()));
        loader.reset();   // the buffer keeps its own copy
        EXPECT_EQ(buffer.GetSize(), kFrames * 4);
        ASSERT_TRUE(buffer.Play(c.loopCount, 0, 5000, 1.0f, 0));
        EXPECT_EQ(OnlySource().buffersQueued, 1u);
        EXPECT_EQ(buffer.GetLoopCount(), c.loopCount);
        std::vector<std::int32_t> want;
        AppendRamp(want, 5000, kFrames);
        if (c.endless) {
            AppendRamp(want, 0, kFrames);
            AppendRamp(want, 0, kFrames);
        }
        Pump(static_cast<std::uint32_t>(want.size()) + 441, 4410);
        std::vector<std::int32_t> got = TakeLeft();
        if (c.endless) got.resize(want.size());
        EXPECT_EQ(FirstDifference(got, want), -1);
        EXPECT_EQ(buffer.IsPlaying(), c.endless);
        buffer.ReleaseVoice();
        EXPECT_EQ(buffer.GetSize(), 0u);
        EXPECT_EQ(SourceVoices(), 0);
    }
}

TEST_F(AudioBufferTest, AStaticBufferWhoseSubmitFailsLosesItsVoice)
{
    std::unique_ptr<GxSoundLoaderWav> loader = OpenRamp(1000);
    GxAudioBufferStatic buffer;
    ASSERT_TRUE(buffer.Create(loader.get()));
    platform::XAudio2Faults faults;
    faults.submitSourceBuffer = E_FAIL;
    platform::SetXAudio2Faults(faults);
    EXPECT_FALSE(buffer.Play(0, 0, 0, 1.0f, 0));
    EXPECT_EQ(buffer.GetVoice(), nullptr);
    EXPECT_EQ(SourceVoices(), 0);
    EXPECT_FALSE(buffer.Play(0, 0, 0, 1.0f, 0));
}

TEST_F(AudioBufferTest, VoiceStartFailuresAreLoggedWithTheirResult)
{
    std::unique_ptr<GxSoundLoaderWav> loader = OpenRamp(kRate);
    GxAudioBufferStream stream;
    GxAudioBufferStatic one;
    ASSERT_TRUE(stream.Create(loader.get()));
    ASSERT_TRUE(one.Create(loader.get()));
    TakeLog();
    platform::XAudio2Faults faults;
    faults.start = E_FAIL;
    platform::SetXAudio2Faults(faults);
    EXPECT_FALSE(stream.Play(0, 0, 0, 0, 1.0f, 0));
    EXPECT_FALSE(one.Play(0, 0, 0, 1.0f, 0));
    EXPECT_EQ(TakeLog(), (std::vector<std::u16string>{u"Error/GxAudioBufferStream::Play 失敗 80004005\n",
                                                      u"Error/GxAudioBufferStatic::Play 失敗 80004005\n"}));
    stream.Close();
    one.ReleaseVoice();
}

TEST_F(AudioBufferTest, StaticSetVolumeReachesTheVoiceEveryTime)
{
    std::unique_ptr<GxSoundLoaderWav> loader = OpenRamp(1000);
    GxAudioBufferStatic buffer;
    EXPECT_FALSE(buffer.SetVolume(0.5f));
    ASSERT_TRUE(buffer.Create(loader.get()));
    EXPECT_TRUE(buffer.SetVolume(0.5f));
    buffer.GetVoice()->SetVolume(0.2f);
    EXPECT_TRUE(buffer.SetVolume(0.5f));
    EXPECT_FLOAT_EQ(OnlySource().gain, 0.5f);
    EXPECT_FLOAT_EQ(buffer.GetVolume(), 0.5f);
}

TEST_F(AudioBufferTest, BuffersRefuseClosedLoadersAndAMissingEngine)
{
    GxSoundLoaderWav closed;
    GxAudioBufferStream stream;
    GxAudioBufferStatic one;
    EXPECT_FALSE(stream.Create(&closed));
    EXPECT_FALSE(one.Create(&closed));
    std::unique_ptr<GxSoundLoaderWav> loader = OpenRamp(1000);
    AudioShutdownDevice();
    EXPECT_FALSE(stream.Create(loader.get()));
    EXPECT_FALSE(one.Create(loader.get()));
    EXPECT_FALSE(stream.HasThread());
}

}  // namespace
