// The demo generator's sounds, opening movie and pack, read back the way the engine reads them:
// the pack through the engine's file access (scrambled, the packed files gone from the folder),
// the movie's streams as FFmpeg's probe finds them, every sound through the engine's decoders;
// and the generator writing the same bytes on every run.
#include "foundation/bin_buffer.h"
#include "foundation/file.h"
#include "foundation/wide_string.h"
#include "media/sound_loader_open.h"
#include "tests/support/temp_dir.h"

extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/mem.h>
}

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

const fs::path kGame = TW_DEMO_GAME;

std::vector<char> ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Whether the story (its scripts or tables) names the file, so that the generator must have
// written and packed it.
bool StoryNames(const std::string& stem)
{
    for (const char* folder : {"scripts", "tables"}) {
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(fs::path(TW_DEMO_SOURCE) / folder, error)) {
            const std::vector<char> bytes = ReadBytes(entry.path());
            if (std::string(bytes.begin(), bytes.end()).find(stem) != std::string::npos)
                return true;
        }
    }
    return false;
}

// The engine reads the game's files by names relative to the game folder.
class DemoContent : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_Previous = fs::current_path();
        fs::current_path(kGame);
        s_PackAdded = GxFile::AddPackFile(u"demo00.gxp");
    }
    static void TearDownTestSuite()
    {
        GxFile::ReleasePacks();
        fs::current_path(s_Previous);
    }
    static inline fs::path s_Previous;
    static inline bool s_PackAdded = false;
};

TEST_F(DemoContent, ThePackIsScrambledAndHoldsTheMovieAndOneScenesPictures)
{
    const std::vector<char> pack = ReadBytes(kGame / "demo00.gxp");
    ASSERT_GE(pack.size(), 48u);
    std::uint32_t scrambled = 0;
    std::memcpy(&scrambled, pack.data() + 20, 4);
    EXPECT_NE(scrambled, 0u);
    ASSERT_TRUE(s_PackAdded);

    std::vector<std::u16string> names = {u"movies/opening.mpg"};
    for (const char* picture : {"cg/bg/bg_street.png", "cg/ev/ev_sunset.png"}) {
        EXPECT_FALSE(fs::exists(kGame / picture)) << picture << " is left loose";
        if (StoryNames(fs::path(picture).stem().string()))
            names.push_back(Utf8ToWide(picture));
    }
    EXPECT_FALSE(fs::exists(kGame / "movies" / "opening.mpg"));
    for (const std::u16string& name : names) {
        SCOPED_TRACE(WideToUtf8(name));
        EXPECT_EQ(FileExists(name), kFileInPack);
        GxBinBuffer buffer;
        ASSERT_TRUE(GxFile::ReadWholeFile(buffer, name));
        ASSERT_GE(buffer.GetSize(), 8u);
        if (name.ends_with(u".png")) {
            EXPECT_EQ(std::memcmp(buffer.GetData(), "\x89PNG\r\n\x1a\n", 8), 0);
        }
    }
}

// FFmpeg reading the movie's bytes as the engine got them from the pack.
struct MemoryInput {
    const std::uint8_t* data = nullptr;
    std::int64_t size = 0;
    std::int64_t position = 0;
};

int ReadPacket(void* opaque, std::uint8_t* to, int size)
{
    auto* input = static_cast<MemoryInput*>(opaque);
    const std::int64_t count = std::min<std::int64_t>(size, input->size - input->position);
    if (count <= 0)
        return AVERROR_EOF;
    std::memcpy(to, input->data + input->position, static_cast<std::size_t>(count));
    input->position += count;
    return static_cast<int>(count);
}

std::int64_t SeekInput(void* opaque, std::int64_t offset, int whence)
{
    auto* input = static_cast<MemoryInput*>(opaque);
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE: return input->size;
    case SEEK_SET: break;
    case SEEK_CUR: offset += input->position; break;
    case SEEK_END: offset += input->size; break;
    default: return -1;
    }
    if (offset < 0 || offset > input->size)
        return -1;
    input->position = offset;
    return offset;
}

TEST_F(DemoContent, TheOpeningMovieIsScreenSizedAboutThreeSecondsWithSound)
{
    ASSERT_TRUE(s_PackAdded);
    GxBinBuffer movie;
    ASSERT_TRUE(GxFile::ReadWholeFile(movie, u"movies/opening.mpg"));
    EXPECT_LT(movie.GetSize(), 1024u * 1024u);

    MemoryInput input{movie.GetData(), movie.GetSize(), 0};
    constexpr int kBufferSize = 4096;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kBufferSize));
    ASSERT_NE(buffer, nullptr);
    AVIOContext* io = avio_alloc_context(buffer, kBufferSize, 0, &input, &ReadPacket, nullptr, &SeekInput);
    ASSERT_NE(io, nullptr);
    AVFormatContext* format = avformat_alloc_context();
    format->pb = io;
    ASSERT_EQ(avformat_open_input(&format, nullptr, nullptr, nullptr), 0);
    ASSERT_GE(avformat_find_stream_info(format, nullptr), 0);
    int width = 0;
    int height = 0;
    int sampleRate = 0;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVCodecParameters* codec = format->streams[i]->codecpar;
        if (codec->codec_type == AVMEDIA_TYPE_VIDEO) {
            width = codec->width;
            height = codec->height;
        } else if (codec->codec_type == AVMEDIA_TYPE_AUDIO) {
            sampleRate = codec->sample_rate;
        }
    }
    const double seconds = static_cast<double>(format->duration) / AV_TIME_BASE;
    avformat_close_input(&format);
    av_freep(&io->buffer);
    avio_context_free(&io);
    EXPECT_EQ(width, 1024);
    EXPECT_EQ(height, 768);
    EXPECT_GT(sampleRate, 0);   // a rate the probe found, or the sound would not play
    EXPECT_NEAR(seconds, 3.0, 0.25);
}

TEST_F(DemoContent, EverySoundDecodes)
{
    std::vector<std::string> names = {"sounds/se/se_chime.wav", "sounds/se/se_door.wav", "sounds/se/se_flash.wav",
                                      "voices/sys/title_hana.ogg", "voices/sys/title_mio.ogg",
                                      "voices/sys/exit_hana.ogg", "voices/sys/exit_mio.ogg",
                                      "sounds/test/test_se.wav", "sounds/test/test_sysvoice.ogg"};
    for (int n = 1; n <= 8; ++n) {
        names.push_back("voices/hana/hana_00" + std::to_string(n) + ".ogg");
        names.push_back("voices/mio/mio_00" + std::to_string(n) + ".ogg");
    }
    for (int n = 1; n <= 7; ++n)
        names.push_back("sounds/test/vo_0" + std::to_string(n) + ".ogg");
    std::vector<std::string> music;
    for (int n = 1; n <= 5; ++n)
        music.push_back("bgms/bgm0" + std::to_string(n) + ".ogg");
    names.insert(names.end(), music.begin(), music.end());

    std::uintmax_t total = 0;
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        std::error_code error;
        total += fs::file_size(kGame / name, error);
        const auto loader = OpenSoundFileLoader(Utf8ToWide(name));
        ASSERT_NE(loader, nullptr);
        EXPECT_GT(loader->GetLength(), 0u);
        // Voices 0.6 to 1.5 s; music long enough to loop back to 1 s from its end.
        if (name.starts_with("voices/hana") || name.starts_with("voices/mio")) {
            EXPECT_GE(loader->GetDurationMs(), 590u);
            EXPECT_LE(loader->GetDurationMs(), 1510u);
        }
    }
    for (const std::string& name : music) {
        SCOPED_TRACE(name);
        const auto loader = OpenSoundFileLoader(Utf8ToWide(name));
        ASSERT_NE(loader, nullptr);
        EXPECT_GE(loader->GetDurationMs(), 4000u);
        EXPECT_LE(loader->GetDurationMs(), 6500u);
        EXPECT_EQ(loader->GetFormat()->nChannels, 2);
    }
    EXPECT_LT(total, 3u * 1024u * 1024u);
}

std::map<std::string, std::vector<char>> FolderFiles(const fs::path& folder)
{
    std::map<std::string, std::vector<char>> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), folder).generic_string()] = ReadBytes(entry.path());
    return files;
}

TEST(DemoGenerator, WritesTheSameBytesOnEveryRun)
{
    TestTempDir first("demo_a");
    TestTempDir second("demo_b");
    ASSERT_FALSE(first.Path().empty());
    ASSERT_FALSE(second.Path().empty());
    for (const TestTempDir* folder : {&first, &second}) {
        const std::string command = std::string("\"") + TW_GENERATE_DEMO + "\" \"" + TW_DEMO_SOURCE + "\" \"" +
                                    folder->Path().string() + "\" > /dev/null";
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    const auto a = FolderFiles(first.Path());
    const auto b = FolderFiles(second.Path());
    EXPECT_TRUE(a.count("demo00.gxp"));
    EXPECT_TRUE(a.count("bgms/bgm01.ogg"));
    ASSERT_EQ(a.size(), b.size());
    for (const auto& [name, bytes] : a) {
        const auto other = b.find(name);
        ASSERT_NE(other, b.end()) << name;
        EXPECT_TRUE(bytes == other->second) << name << " differs between runs";
    }
}

}  // namespace
