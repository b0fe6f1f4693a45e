// The WAV loader: the chunk walk over built files (good, odd and damaged), reading and seeking.
#include "media/sound_loader_wav.h"
#include "tests/media/media_fixture.h"

#include <cstring>

namespace {

const std::u16string kRiffLine = u"Error/GxSoundLoaderWav::Open riffヘッダが見つかりません(s.wav)\n";
const std::u16string kFormatLine =
    u"Error/GxSoundLoaderWav::Open PCMWAVEFORMATヘッダが読み込めませんでした。未対応の形式です(s.wav)\n";
const std::u16string kDataLine = u"Error/GxSoundLoaderWav::Open dataチャンクが見つかりません。ファイルが壊れています(s.wav)\n";

TestWavChunk Data(const SoundBytes& body, std::optional<std::uint32_t> size = {}) { return {"data", body, size}; }
TestWavChunk Other(const char* id, std::size_t size) { return {id, SoundBytes(size, 0x55), {}}; }

const SoundBytes kPcm = TestPcm16Bytes(TestRamp(10, 2));   // 40 bytes

struct WavCase {
    const char* what;
    SoundBytes file;
    std::u16string line;   // empty: opens, with the PCM above as its data
};

std::vector<WavCase> WavCases()
{
    const TestWavChunk fmt = TestFmtChunk(1, 2, 44100, 16);
    SoundBytes shortFile = BuildTestPcmWav(2, 44100, 16, kPcm);
    shortFile.resize(19);
    SoundBytes cutInFormat = BuildTestPcmWav(2, 44100, 16, kPcm);
    cutInFormat.resize(30);
    TestWavChunk alignZero = fmt;
    alignZero.body[12] = alignZero.body[13] = 0;
    TestWavChunk channelsZero = fmt;
    channelsZero.body[2] = channelsZero.body[3] = 0;
    TestWavChunk rateZero = fmt;
    std::memset(rateZero.body.data() + 4, 0, 4);
    return {
        {"plain", BuildTestWav({fmt, Data(kPcm)}), u""},
        {"fmt of 18 bytes", BuildTestWav({TestFmtChunk(1, 2, 44100, 16, 2), Data(kPcm)}), u""},
        {"chunk after data", BuildTestWav({fmt, Data(kPcm), Other("LIST", 12)}), u""},
        {"odd chunk before data, no pad", BuildTestWav({fmt, Other("junk", 3), Data(kPcm)}), u""},
        {"RIFF size 0xFFFFFFFF", BuildTestWav({fmt, Data(kPcm)}, 0xFFFFFFFFu), u""},
        {"LIST before fmt", BuildTestWav({Other("LIST", 4), fmt, Data(kPcm)}), kRiffLine},
        {"shorter than 20 bytes", shortFile, kRiffLine},
        {"not RIFF", [] { SoundBytes b = BuildTestPcmWav(2, 44100, 16, kPcm); b[0] = 'X'; return b; }(), kRiffLine},
        {"format tag 3", BuildTestWav({TestFmtChunk(3, 2, 44100, 32), Data(kPcm)}), kFormatLine},
        {"format tag 0xFFFE", BuildTestWav({TestFmtChunk(0xFFFE, 2, 44100, 16, 24), Data(kPcm)}), kFormatLine},
        {"ends inside the format", cutInFormat, kFormatLine},
        {"block alignment 0", BuildTestWav({alignZero, Data(kPcm)}), kFormatLine},
        {"channels 0", BuildTestWav({channelsZero, Data(kPcm)}), kFormatLine},
        {"rate 0", BuildTestWav({rateZero, Data(kPcm)}), kFormatLine},
        {"no data chunk", BuildTestWav({fmt, Other("LIST", 40)}), kDataLine},
        {"data beyond the RIFF size", BuildTestWav({fmt, Other("LIST", 4), Data(kPcm)}, 4 + 24 + 12), kDataLine},
        // 0xFFFFFFF8 + 8 wraps a 32-bit position back onto the chunk itself.
        {"chunk size that wraps the walk", BuildTestWav({fmt, {"LIST", SoundBytes(8, 0), 0xFFFFFFF8u}, Data(kPcm)}),
         kDataLine},
        {"RIFF size far beyond the file, no data",
         BuildTestWav({fmt, Other("LIST", 4)}, 0xFFFFFFF0u), kDataLine},
    };
}

}  // namespace

TEST_F(MediaTest, WavOpenTable)
{
    for (const WavCase& item : WavCases()) {
        SCOPED_TRACE(item.what);
        Write("s.wav", item.file);
        GxSoundLoaderWav loader;
        const bool opened = loader.Open(u"s.wav");
        const std::vector<std::u16string> lines = TakeLog();
        if (item.line.empty()) {
            ASSERT_TRUE(opened);
            EXPECT_TRUE(lines.empty());
            EXPECT_EQ(loader.GetTotalBytes(), kPcm.size());
            SoundBytes read(kPcm.size() + 8);
            std::uint32_t got = 0;
            EXPECT_TRUE(loader.Read(read.data(), static_cast<std::uint32_t>(read.size()), &got));
            read.resize(got);
            EXPECT_EQ(read, kPcm);
            EXPECT_TRUE(loader.IsEnd());
        } else {
            EXPECT_FALSE(opened);
            EXPECT_FALSE(loader.IsOpen());
            EXPECT_EQ(lines, std::vector<std::u16string>{item.line});
        }
    }
}

TEST_F(MediaTest, WavMissingFileFailsWithoutLine)
{
    GxSoundLoaderWav loader;
    EXPECT_FALSE(loader.Open(u"missing.wav"));
    EXPECT_TRUE(TakeLog().empty());
}

// A valid file cut at every length: refused with the line of the part that is missing, or
// opened with the bytes that are there once the data chunk's header is whole.
TEST_F(MediaTest, WavCutAtEveryLength)
{
    const SoundBytes full = BuildTestPcmWav(2, 44100, 16, kPcm);
    ASSERT_EQ(full.size(), 44 + kPcm.size());
    for (std::size_t length = 0; length <= full.size(); ++length) {
        SCOPED_TRACE(length);
        Write("s.wav", SoundBytes(full.begin(), full.begin() + length));
        GxSoundLoaderWav loader;
        const bool opened = loader.Open(u"s.wav");
        const std::vector<std::u16string> lines = TakeLog();
        if (length < 20) {
            EXPECT_EQ(lines, std::vector<std::u16string>{kRiffLine});
        } else if (length < 36) {
            EXPECT_EQ(lines, std::vector<std::u16string>{kFormatLine});
        } else if (length < 44) {
            EXPECT_EQ(lines, std::vector<std::u16string>{kDataLine});
        } else {
            ASSERT_TRUE(opened);
            EXPECT_EQ(loader.GetTotalBytes(), length - 44);
            EXPECT_EQ(loader.GetLength(), (length - 44) / 4);
        }
        EXPECT_EQ(opened, length >= 44);
    }
}

// A 60-byte file whose data chunk claims 4 GiB holds 16 bytes of PCM, and that is all it plays.
TEST_F(MediaTest, WavDataSizeBeyondTheFile)
{
    Write("s.wav", BuildTestWav({TestFmtChunk(1, 2, 44100, 16), Data(SoundBytes(16, 7), 0xFFFFFFF0u)}, 0xFFFFFFFFu));
    GxSoundLoaderWav loader;
    ASSERT_TRUE(loader.Open(u"s.wav"));
    EXPECT_EQ(loader.GetTotalBytes(), 16u);
    EXPECT_EQ(loader.GetLength(), 4u);
    EXPECT_FALSE(loader.Seek(5));
}

TEST_F(MediaTest, WavReadsSamplesAsStored)
{
    SoundBytes eight;
    for (int i = 0; i < 256; ++i)
        eight.push_back(static_cast<std::uint8_t>(i));
    const SoundBytes sixteen = TestPcm16Bytes(TestRamp(300, 2, true));
    for (const auto& [bits, channels, pcm] :
         {std::tuple<std::uint16_t, std::uint16_t, SoundBytes>{8, 1, eight}, {16, 2, sixteen}}) {
        SCOPED_TRACE(bits);
        Write("s.wav", BuildTestPcmWav(channels, 22050, bits, pcm));
        GxSoundLoaderWav loader;
        ASSERT_TRUE(loader.Open(u"s.wav"));
        const WAVEFORMATEX* format = loader.GetFormat();
        EXPECT_EQ(format->wFormatTag, 1);
        EXPECT_EQ(format->nChannels, channels);
        EXPECT_EQ(format->nSamplesPerSec, 22050u);
        EXPECT_EQ(format->nBlockAlign, channels * bits / 8);
        EXPECT_EQ(format->wBitsPerSample, bits);
        EXPECT_EQ(format->cbSize, 0);
        EXPECT_EQ(loader.GetType(), 2);
        SoundBytes read(pcm.size());
        std::uint32_t got = 0;
        ASSERT_TRUE(loader.Read(read.data(), 100, &got));
        EXPECT_EQ(got, 100u);
        ASSERT_TRUE(loader.Read(read.data() + 100, static_cast<std::uint32_t>(read.size()), &got));
        EXPECT_EQ(got, pcm.size() - 100);
        EXPECT_EQ(read, pcm);
    }
}

TEST_F(MediaTest, WavPositions)
{
    const std::uint32_t frames = 44100 / 2;
    Write("s.wav", BuildTestPcmWav(2, 44100, 16, TestPcm16Bytes(TestRamp(frames, 2))));
    GxSoundLoaderWav loader;
    ASSERT_TRUE(loader.Open(u"s.wav"));
    EXPECT_EQ(loader.GetLength(), frames);
    EXPECT_EQ(loader.GetTotalBytes(), frames * 4u);
    EXPECT_EQ(loader.GetDurationMs(), 500u);
    EXPECT_EQ(loader.GetLoopEnd(), frames);
    loader.SetLoopStart(100);
    EXPECT_EQ(loader.GetLoopStart(), 100u);
    loader.SetLoopStart(frames + 1);
    EXPECT_EQ(loader.GetLoopStart(), 0u);

    ASSERT_TRUE(loader.Seek(1234));
    EXPECT_EQ(loader.Tell(), 1234u);
    std::int16_t sample[2] = {};
    ASSERT_TRUE(loader.Read(sample, 4, nullptr));
    EXPECT_EQ(sample[0], 1234);
    EXPECT_EQ(loader.Tell(), 1235u);

    ASSERT_TRUE(loader.Seek(frames));
    EXPECT_TRUE(loader.IsEnd());
    std::uint32_t got = 99;
    EXPECT_TRUE(loader.Read(sample, 4, &got));
    EXPECT_EQ(got, 0u);
    EXPECT_FALSE(loader.Seek(frames + 1));
    EXPECT_FALSE(loader.Seek(~std::uint64_t{0}));   // frame x alignment would overflow
    loader.Close();
    EXPECT_FALSE(loader.IsOpen());
    EXPECT_FALSE(loader.Read(sample, 4, &got));
}

TEST(MediaFrames, MillisecondsToFramesIsExact)
{
    EXPECT_EQ(MillisecondsToFrames(1000, 44100), 44100u);
    EXPECT_EQ(MillisecondsToFrames(1, 44100), 44u);
    EXPECT_EQ(MillisecondsToFrames(0xFFFFFFFFu, 0xFFFFFFFFu), 0xFFFFFFFFull * 0xFFFFFFFFull / 1000);
}
