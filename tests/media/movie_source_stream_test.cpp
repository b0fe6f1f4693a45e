// The movie source stream: opening from disk or a pack, seeking, reading (cut at the end,
// failing on a file that shrank), sizes and the transfer-rate throttle on the fake clock.
#include "media/movie_source_stream.h"
#include "tests/media/media_fixture.h"

#include <filesystem>

namespace {

std::vector<BYTE> Pattern(std::size_t size, int seed)
{
    std::vector<BYTE> bytes(size);
    for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<BYTE>(i * 7 + seed);
    return bytes;
}

class MovieSourceStreamTest : public MediaTest {
protected:
    void WriteFile(const std::string& name, const std::vector<BYTE>& bytes)
    {
        ASSERT_TRUE(WriteBytesToFile(m_Folder.Join(name).string(), bytes));
    }
};

TEST_F(MovieSourceStreamTest, OpensFromDiskFirstThenFromPacks)
{
    TestPackBuilder pack;
    pack.SetScrambled(true).Add(u"both.mpg", Pattern(300, 1)).Add(u"packed.mpg", Pattern(200, 2));
    ASSERT_TRUE(pack.Write(m_Folder.Join("movies.gxp").string()));
    ASSERT_TRUE(GxFile::AddPackFile(u"movies.gxp"));
    WriteFile("both.mpg", Pattern(100, 3));

    struct Case {
        const char16_t* name;
        bool open;
        LONGLONG size;
        int seed;
    };
    for (const Case& c : {Case{u"both.mpg", true, 100, 3}, {u"packed.mpg", true, 200, 2}, {u"missing.mpg", false, 0, 0}}) {
        SCOPED_TRACE(std::string(c.name, c.name + std::char_traits<char16_t>::length(c.name)));
        GxMovieSourceFilterFile stream(c.name);
        EXPECT_EQ(stream.IsOpen(), c.open);
        LONGLONG available = -1;
        EXPECT_EQ(stream.Size(&available), c.size);
        EXPECT_EQ(available, c.size);
        std::vector<BYTE> got(static_cast<std::size_t>(c.size) + 8, 0);
        DWORD read = 99;
        if (c.open) {
            ASSERT_EQ(stream.SetPointer(0), S_OK);
            EXPECT_EQ(stream.Read(got.data(), static_cast<DWORD>(got.size()), FALSE, &read), S_OK);
            EXPECT_EQ(read, static_cast<DWORD>(c.size));
            got.resize(read);
            EXPECT_EQ(got, Pattern(static_cast<std::size_t>(c.size), c.seed));
        } else {
            // A closed stream refuses every seek and read.
            EXPECT_EQ(stream.SetPointer(0), S_FALSE);
            EXPECT_EQ(stream.Read(got.data(), 4, FALSE, &read), S_FALSE);
            EXPECT_EQ(read, 0u);
        }
    }
}

TEST_F(MovieSourceStreamTest, SeeksUpToTheSizeAndReadsCutAtTheEnd)
{
    WriteFile("clip.avi", Pattern(1000, 5));
    GxMovieSourceFilterFile stream(u"clip.avi");
    ASSERT_TRUE(stream.IsOpen());
    EXPECT_EQ(stream.Alignment(), 1u);
    struct Seek {
        LONGLONG position;
        HRESULT expected;
    };
    for (const Seek& s : {Seek{0, S_OK}, {999, S_OK}, {1000, S_OK}, {1001, S_FALSE}, {-1, S_FALSE}}) {
        EXPECT_EQ(stream.SetPointer(s.position), s.expected) << s.position;
    }

    ASSERT_EQ(stream.SetPointer(990), S_OK);
    std::vector<BYTE> got(100, 0);
    DWORD read = 0;
    EXPECT_EQ(stream.Read(got.data(), 100, FALSE, &read), S_OK);
    EXPECT_EQ(read, 10u);
    const std::vector<BYTE> all = Pattern(1000, 5);
    EXPECT_TRUE(std::equal(got.begin(), got.begin() + 10, all.begin() + 990));
    // The position moved to the end: nothing more comes, and that is no failure.
    EXPECT_EQ(stream.Read(got.data(), 100, FALSE, &read), S_OK);
    EXPECT_EQ(read, 0u);

    // Reads go on from where the last one ended.
    ASSERT_EQ(stream.SetPointer(100), S_OK);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(stream.Read(got.data(), 4, FALSE, &read), S_OK);
        EXPECT_TRUE(std::equal(got.begin(), got.begin() + 4, all.begin() + 100 + i * 4));
    }
    stream.Lock();   // the stream lock is the one the reader holds around a seek and read
    EXPECT_EQ(stream.SetPointer(0), S_OK);
    stream.Unlock();
}

TEST_F(MovieSourceStreamTest, AReadOfAFileThatShrankOnDiskFails)
{
    WriteFile("shrinking.mpg", Pattern(1000, 9));
    GxMovieSourceFilterFile stream(u"shrinking.mpg");
    ASSERT_TRUE(stream.IsOpen());
    std::filesystem::resize_file(m_Folder.Join("shrinking.mpg"), 500);
    std::vector<BYTE> got(100, 0);
    DWORD read = 0;
    ASSERT_EQ(stream.SetPointer(450), S_OK);
    EXPECT_EQ(stream.Read(got.data(), 100, FALSE, &read), S_FALSE);
    EXPECT_EQ(read, 50u);   // what the file still had
    ASSERT_EQ(stream.SetPointer(800), S_OK);
    EXPECT_EQ(stream.Read(got.data(), 100, FALSE, &read), S_FALSE);
    EXPECT_EQ(read, 0u);
}

TEST_F(MovieSourceStreamTest, TheUnlimitedRateNeverSleepsAndHasEverythingAvailable)
{
    WriteFile("fast.mpg", Pattern(4000, 1));
    GxMovieSourceFilterFile stream(u"fast.mpg");
    ASSERT_TRUE(stream.IsOpen());
    // No time has passed on the fake clock: still the whole file is there at once.
    LONGLONG available = 0;
    EXPECT_EQ(stream.Size(&available), 4000);
    EXPECT_EQ(available, 4000);
    std::vector<BYTE> got(1000);
    DWORD read = 0;
    for (int i = 0; i < 4; ++i) ASSERT_EQ(stream.Read(got.data(), 1000, FALSE, &read), S_OK);
    EXPECT_EQ(platform::FakeClockSleepCalls(), 0u);
}

TEST_F(MovieSourceStreamTest, ALimitedRateWaitsUntilEachReadIsDue)
{
    WriteFile("slow.mpg", Pattern(4000, 1));
    GxMovieSourceFilterFile stream(u"slow.mpg", 10);   // 10 bytes per millisecond
    ASSERT_TRUE(stream.IsOpen());
    LONGLONG available = -1;
    EXPECT_EQ(stream.Size(&available), 4000);
    EXPECT_EQ(available, 0);
    platform::AdvanceFakeTime(30);
    stream.Size(&available);
    EXPECT_EQ(available, 300);

    std::vector<BYTE> got(1000);
    DWORD read = 0;
    ASSERT_EQ(stream.Read(got.data(), 1000, FALSE, &read), S_OK);   // due at 100 ms, 30 passed
    EXPECT_EQ(platform::FakeClockSleptMilliseconds(), 70u);
    ASSERT_EQ(stream.Read(got.data(), 200, FALSE, &read), S_OK);    // due at 120 ms
    EXPECT_EQ(platform::FakeClockSleptMilliseconds(), 90u);
    platform::AdvanceFakeTime(1000);
    stream.Size(&available);
    EXPECT_EQ(available, 4000);   // never more than the file
}

}  // namespace
