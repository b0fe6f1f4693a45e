// The Ogg Vorbis loader over files encoded in the test: format, exact lengths and seeks, the
// failure lines, damaged files, and the same files inside a scrambled pack.
#include "media/sound_loader_ogg.h"
#include "media/sound_loader_wav.h"
#include "tests/media/media_fixture.h"

#include <vorbis/vorbisfile.h>

#include <cstring>

namespace {

struct MemorySource {
    const SoundBytes* bytes;
    std::size_t position = 0;
};

// ov_pcm_total of encoded bytes, read straight from memory.
ogg_int64_t PcmTotalOf(const SoundBytes& bytes)
{
    MemorySource source{&bytes};
    ov_callbacks callbacks{};
    callbacks.read_func = [](void* out, size_t size, size_t count, void* data) -> size_t {
        auto* source = static_cast<MemorySource*>(data);
        const std::size_t n = std::min(size * count, source->bytes->size() - source->position);
        std::memcpy(out, source->bytes->data() + source->position, n);
        source->position += n;
        return n / size;
    };
    callbacks.seek_func = [](void* data, ogg_int64_t offset, int origin) -> int {
        auto* source = static_cast<MemorySource*>(data);
        const ogg_int64_t base = origin == 0 ? 0 : origin == 1 ? ogg_int64_t(source->position) : ogg_int64_t(source->bytes->size());
        source->position = std::size_t(std::clamp<ogg_int64_t>(base + offset, 0, ogg_int64_t(source->bytes->size())));
        return 0;
    };
    callbacks.tell_func = [](void* data) -> long { return long(static_cast<MemorySource*>(data)->position); };
    OggVorbis_File file;
    if (ov_open_callbacks(&source, &file, nullptr, 0, callbacks) != 0)
        return -1;
    const ogg_int64_t total = ov_pcm_total(&file, -1);
    ov_clear(&file);
    return total;
}

SoundBytes ReadAll(GxSoundLoaderBase& loader, std::uint32_t chunk = 4096)
{
    SoundBytes all;
    SoundBytes buffer(chunk);
    for (int guard = 0; guard < 100000 && !loader.IsEnd(); ++guard) {
        std::uint32_t got = 0;
        if (!loader.Read(buffer.data(), chunk, &got))
            break;
        all.insert(all.end(), buffer.begin(), buffer.begin() + got);
        if (got == 0 && loader.GetType() != GxSoundLoaderBase::kTypeOgg)
            break;
    }
    return all;
}

// Fails every seek and counts the closes of its source.
class FailingSeekOgg : public GxSoundLoaderOgg {
public:
    ~FailingSeekOgg() override { Close(); }
    int closes = 0;
    bool failSeeks = true;

protected:
    bool SeekSource(std::int64_t offset, int origin) override
    {
        return failSeeks ? false : GxSoundLoaderOgg::SeekSource(offset, origin);
    }
    void CloseSource() override
    {
        ++closes;
        GxSoundLoaderOgg::CloseSource();
    }
};

struct Encoded {
    std::uint16_t channels;
    std::uint32_t rate;
    std::uint32_t frames;
    SoundBytes bytes;
};

const std::vector<Encoded>& EncodedFiles()
{
    static const std::vector<Encoded> files = [] {
        std::vector<Encoded> list;
        list.push_back({2, 44100, 44100, EncodeTestOggVorbis(TestTone(44100, 2, 44100, 440.0), 2, 44100)});
        list.push_back({1, 22050, 11025, EncodeTestOggVorbis(TestTone(11025, 1, 22050, 300.0), 1, 22050)});
        return list;
    }();
    return files;
}

}  // namespace

TEST_F(MediaTest, OggEncoderGivesExactFrameCounts)
{
    for (std::uint32_t frames : {1u, 1000u, 4096u, 4097u, 12345u}) {
        SCOPED_TRACE(frames);
        const SoundBytes bytes = EncodeTestOggVorbis(TestRamp(frames, 2, true), 2, 32000);
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(PcmTotalOf(bytes), frames);
    }
}

TEST_F(MediaTest, OggFormatAndLengths)
{
    for (const Encoded& file : EncodedFiles()) {
        SCOPED_TRACE(file.rate);
        ASSERT_EQ(PcmTotalOf(file.bytes), file.frames);
        Write("s.ogg", file.bytes);
        GxSoundLoaderOgg loader;
        ASSERT_TRUE(loader.Open(u"s.ogg"));
        const WAVEFORMATEX* format = loader.GetFormat();
        EXPECT_EQ(format->wFormatTag, 1);
        EXPECT_EQ(format->nChannels, file.channels);
        EXPECT_EQ(format->nSamplesPerSec, file.rate);
        EXPECT_EQ(format->nBlockAlign, file.channels * 2);
        EXPECT_EQ(format->nAvgBytesPerSec, file.rate * file.channels * 2);
        EXPECT_EQ(format->wBitsPerSample, 16);
        EXPECT_EQ(format->cbSize, 0);
        EXPECT_EQ(loader.GetLength(), file.frames);
        EXPECT_EQ(loader.GetLoopEnd(), file.frames);
        EXPECT_EQ(loader.GetTotalBytes(), std::uint64_t(file.frames) * file.channels * 2);
        EXPECT_EQ(loader.GetDurationMs(), std::uint64_t(file.frames) * 1000 / file.rate);
        EXPECT_EQ(loader.GetType(), 4);

        const SoundBytes whole = ReadAll(loader, 3000);
        EXPECT_TRUE(loader.IsEnd());
        EXPECT_EQ(whole.size(), loader.GetTotalBytes());
        std::uint32_t got = 1;
        EXPECT_TRUE(loader.Read(SoundBytes(16).data(), 16, &got));
        EXPECT_EQ(got, 0u);

        const std::uint32_t align = file.channels * 2;
        for (std::uint64_t frame : {std::uint64_t(0), std::uint64_t(1), std::uint64_t(777), std::uint64_t(file.frames / 2)}) {
            SCOPED_TRACE(frame);
            ASSERT_TRUE(loader.Seek(frame));
            EXPECT_FALSE(loader.IsEnd());
            EXPECT_EQ(loader.Tell(), frame);
            const SoundBytes rest = ReadAll(loader, 1000);
            ASSERT_EQ(rest.size(), whole.size() - frame * align);
            EXPECT_TRUE(std::equal(rest.begin(), rest.end(), whole.begin() + std::ptrdiff_t(frame * align)));
        }
        loader.SetLoopStart(file.frames + 1);
        EXPECT_EQ(loader.GetLoopStart(), 0u);
    }
}

TEST_F(MediaTest, OggFailureLines)
{
    GxSoundLoaderOgg loader;
    EXPECT_FALSE(loader.Open(u"missing.ogg"));
    EXPECT_EQ(TakeLog(), std::vector<std::u16string>{u"Error/GxSoundLoaderOgg::Open ファイルのオープンに失敗しました(missing.ogg)\n"});

    Write("s.ogg", BuildTestPcmWav(1, 8000, 16, SoundBytes(400, 1)));
    EXPECT_FALSE(loader.Open(u"s.ogg"));
    EXPECT_FALSE(loader.IsOpen());
    EXPECT_EQ(TakeLog(), std::vector<std::u16string>{u"Error/GxSoundLoaderOgg::OpenStream ファイルのオープンに失敗しました\n"});
}

TEST_F(MediaTest, OggSourceThatCannotSeekIsRefused)
{
    Write("s.ogg", EncodedFiles()[1].bytes);
    FailingSeekOgg loader;
    EXPECT_FALSE(loader.Open(u"s.ogg"));
    EXPECT_FALSE(loader.IsOpen());
    const std::vector<std::u16string> lines = TakeLog();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines.front(), u"Error/GxSoundLoaderOgg::CallbackSeek Failed\n");
    EXPECT_EQ(lines.back(), u"Error/GxSoundLoaderOgg::OpenStream シーク可能なファイルではありません\n");
    EXPECT_EQ(loader.closes, 1);
}

TEST_F(MediaTest, OggCloseClosesTheSourceOnce)
{
    Write("s.ogg", EncodedFiles()[1].bytes);
    FailingSeekOgg loader;
    loader.failSeeks = false;
    ASSERT_TRUE(loader.Open(u"s.ogg"));
    loader.Close();
    EXPECT_EQ(loader.closes, 1);
    EXPECT_FALSE(loader.IsOpen());
    loader.Close();
    EXPECT_EQ(loader.closes, 1);
    ASSERT_TRUE(loader.Open(u"s.ogg"));
    ASSERT_TRUE(loader.Open(u"s.ogg"));   // an open loader closes first
    EXPECT_EQ(loader.closes, 2);
}

// Cut at several lengths or changed inside a middle page: each opens and reads to an end, or is
// refused with its line; none hangs.
TEST_F(MediaTest, OggDamagedFiles)
{
    const SoundBytes& good = EncodedFiles()[0].bytes;
    std::vector<SoundBytes> damaged;
    for (std::size_t length : {std::size_t(0), std::size_t(27), std::size_t(58), std::size_t(200), std::size_t(4000),
                               good.size() / 2, good.size() - 1})
        damaged.emplace_back(good.begin(), good.begin() + std::ptrdiff_t(std::min(length, good.size())));
    for (std::size_t offset : {good.size() / 2, good.size() / 3, good.size() - 100}) {
        SoundBytes changed = good;
        for (std::size_t i = 0; i < 32; ++i)
            changed[offset + i] ^= 0x5A;
        damaged.push_back(changed);
    }
    for (std::size_t i = 0; i < damaged.size(); ++i) {
        SCOPED_TRACE(i);
        Write("s.ogg", damaged[i]);
        GxSoundLoaderOgg loader;
        if (loader.Open(u"s.ogg")) {
            const SoundBytes all = ReadAll(loader);
            EXPECT_TRUE(loader.IsEnd());
            EXPECT_LE(all.size(), good.size() * 40);
        } else {
            const std::vector<std::u16string> lines = TakeLog();
            ASSERT_FALSE(lines.empty());
            EXPECT_EQ(lines.back().rfind(u"Error/GxSoundLoaderOgg::OpenStream", 0), 0u);
        }
    }
}

TEST_F(MediaTest, SoundsInsideAScrambledPackReadLikeFilesOnDisk)
{
    const SoundBytes wav = BuildTestPcmWav(2, 22050, 16, TestPcm16Bytes(TestRamp(5000, 2, true)));
    const SoundBytes& ogg = EncodedFiles()[1].bytes;
    Write("disk.wav", wav);
    Write("disk.ogg", ogg);
    TestPackBuilder pack;
    pack.SetScrambled(true)
        .Add(u"packed.wav", std::vector<BYTE>(wav.begin(), wav.end()))
        .Add(u"packed.ogg", std::vector<BYTE>(ogg.begin(), ogg.end()));
    ASSERT_TRUE(pack.Write(m_Folder.Join("sounds.gxp").string()));
    ASSERT_TRUE(GxFile::AddPackFile(u"sounds.gxp"));

    GxSoundLoaderWav diskWav, packedWav;
    ASSERT_TRUE(diskWav.Open(u"disk.wav"));
    ASSERT_TRUE(packedWav.Open(u"packed.wav"));
    EXPECT_EQ(ReadAll(packedWav), ReadAll(diskWav));
    ASSERT_TRUE(diskWav.Seek(1000) && packedWav.Seek(1000));
    EXPECT_EQ(ReadAll(packedWav), ReadAll(diskWav));

    GxSoundLoaderOgg diskOgg, packedOgg;
    ASSERT_TRUE(diskOgg.Open(u"disk.ogg"));
    ASSERT_TRUE(packedOgg.Open(u"packed.ogg"));
    EXPECT_EQ(packedOgg.GetLength(), diskOgg.GetLength());
    EXPECT_EQ(ReadAll(packedOgg), ReadAll(diskOgg));
    ASSERT_TRUE(diskOgg.Seek(3000) && packedOgg.Seek(3000));
    EXPECT_EQ(ReadAll(packedOgg), ReadAll(diskOgg));
}
