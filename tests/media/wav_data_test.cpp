// Decoded sounds: GxWavData::Create from files and the memory loader over them.
#include "media/sound_loader_memory.h"
#include "media/sound_loader_ogg.h"
#include "media/wav_data.h"
#include "tests/media/media_fixture.h"

TEST_F(MediaTest, WavDataChoosesTheLoaderByExtension)
{
    const SoundBytes pcm = TestPcm16Bytes(TestRamp(1000, 2));
    const SoundBytes wav = BuildTestPcmWav(2, 44100, 16, pcm);
    const SoundBytes ogg = EncodeTestOggVorbis(TestTone(2000, 1, 22050, 500.0), 1, 22050);
    Write("a.wav", wav);
    Write("b.WAV", wav);
    Write("c.ogg", ogg);
    Write("d.OgG", ogg);
    Write("e.mp3", wav);
    Write("noext", wav);
    for (const char16_t* name : {u"a.wav", u"b.WAV"}) {
        GxWavData sound;
        ASSERT_TRUE(sound.Create(std::u16string(name)));
        EXPECT_EQ(SoundBytes(sound.GetData(), sound.GetData() + sound.GetDataSize()), pcm);
        EXPECT_EQ(sound.GetFrameCount(), 1000u);
    }
    for (const char16_t* name : {u"c.ogg", u"d.OgG"}) {
        GxWavData sound;
        ASSERT_TRUE(sound.Create(std::u16string(name)));
        EXPECT_EQ(sound.GetDataSize(), 4000u);
        EXPECT_EQ(sound.GetFrameCount(), 2000u);
        EXPECT_EQ(sound.GetFormat()->nBlockAlign, 2);
        GxSoundLoaderOgg loader;   // the whole sound as a stream reads it
        ASSERT_TRUE(loader.Open(name));
        SoundBytes stream(4000);
        std::uint32_t got = 0;
        loader.Read(stream.data(), 4000, &got);
        EXPECT_EQ(SoundBytes(sound.GetData(), sound.GetData() + sound.GetDataSize()), stream);
    }
    TakeLog();
    for (const char16_t* name : {u"e.mp3", u"noext"}) {
        GxWavData sound;
        EXPECT_FALSE(sound.Create(std::u16string(name)));
        EXPECT_EQ(TakeLog(), std::vector<std::u16string>{u"Error/GxWavData::Create 未対応の形式です(" + std::u16string(name) + u")\n"});
    }
    GxWavData missing;
    EXPECT_FALSE(missing.Create(std::u16string(u"missing.wav")));
    EXPECT_EQ(missing.GetData(), nullptr);
}

TEST_F(MediaTest, WavDataFieldsAfterCreate)
{
    Write("se/Ｄｏｏｒ.WAV", BuildTestPcmWav(2, 8000, 16, TestPcm16Bytes(TestRamp(8000 * 3, 2))));
    platform::SetFakeTime(77777);
    GxWavData sound;
    ASSERT_TRUE(sound.Create(std::string(WideToMultiByte(u"se/Ｄｏｏｒ.WAV"))));
    EXPECT_EQ(sound.GetName(), u"se/Ｄｏｏｒ.wav");
    EXPECT_EQ(sound.GetUseCount(), 1u);
    EXPECT_EQ(sound.GetFrameCount(), 24000u);
    EXPECT_EQ(sound.GetDurationMs(), 3000u);
    EXPECT_EQ(sound.GetLastUsedTime(), 77777u);
    sound.AddRef();
    sound.Release();
    sound.Release();
    sound.Release();
    EXPECT_EQ(sound.GetUseCount(), 0u);
    EXPECT_NE(sound.GetData(), nullptr);   // Release never frees

    std::int32_t left = 0, right = 0;
    ASSERT_TRUE(sound.GetSamplePair(1234, left, right));
    EXPECT_EQ(left, 1234);
    EXPECT_EQ(right, 1234);
    EXPECT_FALSE(sound.GetSamplePair(24000, left, right));

    // A creation over an old sound starts again from nothing.
    const WAVEFORMATEX* format = sound.GetFormat();
    WAVEFORMATEX copy = *format;
    ASSERT_TRUE(sound.Create(std::u16string(u"X"), &copy, 10));
    EXPECT_EQ(sound.GetUseCount(), 1u);
    EXPECT_EQ(sound.GetFrameCount(), 2u);   // 10 / 4
    EXPECT_FALSE(sound.Create(std::u16string(u"x"), nullptr, 10));
    EXPECT_FALSE(sound.Create(std::u16string(u"x"), &copy, 0));
    EXPECT_EQ(sound.GetData(), nullptr);
}

TEST_F(MediaTest, WavDataSamplePairByBits)
{
    WAVEFORMATEX format{};
    format.wFormatTag = 1;
    format.nChannels = 1;
    format.nSamplesPerSec = 8000;
    format.nBlockAlign = 1;
    format.wBitsPerSample = 8;
    GxWavData mono;
    ASSERT_TRUE(mono.Create(std::u16string(u"m"), &format, 4));
    std::int32_t left = 0, right = 0;
    ASSERT_TRUE(mono.GetSamplePair(0, left, right));   // zero-filled byte
    EXPECT_EQ(left, 0);
    EXPECT_EQ(right, 0);
    EXPECT_EQ(mono.GetDurationMs(), 0u);   // 4 frames at 8 kHz
}

// The sound is announced as 4 GiB but holds a few bytes: only those are allocated.
TEST_F(MediaTest, WavDataAllocatesOnlyWhatTheFileHolds)
{
    SoundBytes file = BuildTestWav({TestFmtChunk(1, 1, 8000, 8), TestWavChunk{"data", SoundBytes(16, 0x80), 0xFFFFFFF0u}},
                                   0xFFFFFFFFu);
    Write("big.wav", file);
    GxWavData sound;
    ASSERT_TRUE(sound.Create(std::u16string(u"big.wav")));
    EXPECT_EQ(sound.GetDataSize(), 16u);

    WAVEFORMATEX format = *sound.GetFormat();
    TakeLog();
    GxWavData huge;
    EXPECT_FALSE(huge.Create(std::u16string(u"huge"), &format, GxWavData::kMaxDataSize + 1));
    EXPECT_EQ(TakeLog(), std::vector<std::u16string>{u"Error/GxWavData::Create バッファの確保に失敗しました(huge)\n"});
}

TEST_F(MediaTest, MemoryLoader)
{
    GxSoundLoaderMemory loader;
    EXPECT_FALSE(loader.Open(nullptr));
    GxWavData empty;
    EXPECT_FALSE(loader.Open(&empty));
    EXPECT_FALSE(loader.IsOpen());
    EXPECT_FALSE(loader.IsEnd());

    const SoundBytes pcm = TestPcm16Bytes(TestRamp(100, 2, true));
    Write("m.wav", BuildTestPcmWav(2, 8000, 16, pcm));
    GxWavData sound;
    ASSERT_TRUE(sound.Create(std::u16string(u"m.wav")));
    platform::SetFakeTime(10000);
    ASSERT_TRUE(loader.Open(&sound));
    EXPECT_EQ(sound.GetLastUsedTime(), 10000u);
    EXPECT_EQ(loader.GetType(), 1);
    EXPECT_EQ(loader.GetLength(), 100u);
    EXPECT_EQ(loader.GetTotalBytes(), pcm.size());
    EXPECT_EQ(loader.GetDurationMs(), 12u);

    SoundBytes read(pcm.size() + 4);
    std::uint32_t got = 0;
    platform::SetFakeTime(11000);
    ASSERT_TRUE(loader.Read(read.data(), 40, &got));
    EXPECT_EQ(got, 40u);
    EXPECT_EQ(loader.Tell(), 10u);
    EXPECT_EQ(sound.GetLastUsedTime(), 11000u);
    ASSERT_TRUE(loader.Read(read.data() + 40, 1000, &got));
    EXPECT_EQ(got, pcm.size() - 40);
    read.resize(pcm.size());
    EXPECT_EQ(read, pcm);
    EXPECT_TRUE(loader.IsEnd());

    platform::SetFakeTime(12000);
    ASSERT_TRUE(loader.Seek(100));
    EXPECT_TRUE(loader.IsEnd());
    EXPECT_EQ(sound.GetLastUsedTime(), 12000u);
    EXPECT_FALSE(loader.Seek(101));
    ASSERT_TRUE(loader.Seek(99));
    std::int16_t last[2] = {};
    ASSERT_TRUE(loader.Read(last, 4, &got));
    EXPECT_EQ(last[0], 99);
    EXPECT_EQ(last[1], -99);

    sound.AddRef();
    loader.Close();
    EXPECT_FALSE(loader.IsOpen());
    EXPECT_EQ(loader.GetTotalBytes(), 0u);
    EXPECT_EQ(sound.GetUseCount(), 2u);   // not released by the loader
    EXPECT_NE(sound.GetData(), nullptr);
}
