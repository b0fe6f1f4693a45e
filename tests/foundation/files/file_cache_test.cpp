#include "files_fixture.h"

#include "platform/win32/timer.h"

#include <filesystem>

namespace {

std::unique_ptr<GxBinBuffer> Filled(std::uint32_t size, BYTE value)
{
    auto buffer = GxBinBuffer::CreateSized(size);
    for (std::uint32_t i = 0; i < size; ++i)
        buffer->GetData()[i] = value;
    return buffer;
}

bool Holds(GxFileCache& cache, const std::u16string& key)
{
    GxMutexScopedLock lock(cache.GetLock());
    return cache.Find(key, 1) != nullptr;
}

}  // namespace

// The cache orders by the millisecond clock, so these tests run on the fake clock.
class FileCacheTest : public FilesTest {
protected:
    void SetUp() override
    {
        FilesTest::SetUp();
        platform::SetFakeClock(true, 1000);
        m_Cache.SetEnabled(true);
    }
    void TearDown() override
    {
        platform::SetFakeClock(false);
        FilesTest::TearDown();
    }
    // Each store one millisecond after the previous, so the order of calls is the age order.
    bool Store(const std::u16string& key, std::uint32_t size)
    {
        platform::AdvanceFakeTime(1);
        return m_Cache.Add(key, *Filled(size, static_cast<BYTE>(size)), 1);
    }

    GxFileCache m_Cache;
};

TEST_F(FileCacheTest, EvictionFreesAtLeastAQuarterOfTheBudget)
{
    struct Case {
        std::uint32_t capacity, entrySize, entries, newSize, expectedTotal, evicted;
    } cases[] = {
        {100, 30, 3, 30, 90, 1},    // target max(30, 25): one entry goes
        {400, 90, 4, 50, 230, 2},   // target max(50, 100): 90 freed is not enough, two go
        {100, 20, 2, 80, 80, 2},    // fewer bytes cached than the target: all go
    };
    for (const Case& c : cases) {
        GxFileCache cache;
        cache.SetEnabled(true);
        cache.SetCapacity(c.capacity);
        cache.SetMaxFileSize(c.capacity);
        for (std::uint32_t i = 0; i < c.entries; ++i) {
            platform::AdvanceFakeTime(1);
            ASSERT_TRUE(cache.Add(u"k" + std::u16string(1, static_cast<char16_t>(u'0' + i)), *Filled(c.entrySize, 1), 1));
        }
        platform::AdvanceFakeTime(1);
        ASSERT_TRUE(cache.Add(u"new", *Filled(c.newSize, 2), 1));
        EXPECT_EQ(cache.GetTotalSize(), c.expectedTotal) << "capacity " << c.capacity;
        for (std::uint32_t i = 0; i < c.entries; ++i)
            EXPECT_EQ(Holds(cache, u"k" + std::u16string(1, static_cast<char16_t>(u'0' + i))), i >= c.evicted)
                << "capacity " << c.capacity << " entry " << i;
        EXPECT_TRUE(Holds(cache, u"new"));
    }
}

TEST_F(FileCacheTest, AHitRefreshesLastUseAndEqualAgesGoInKeyOrder)
{
    m_Cache.SetCapacity(100);
    m_Cache.SetMaxFileSize(100);
    ASSERT_TRUE(Store(u"a", 30));
    ASSERT_TRUE(Store(u"b", 30));
    ASSERT_TRUE(Store(u"c", 30));
    platform::AdvanceFakeTime(1);
    EXPECT_TRUE(Holds(m_Cache, u"a"));   // now the most recently used
    ASSERT_TRUE(Store(u"d", 30));
    EXPECT_TRUE(Holds(m_Cache, u"a"));
    EXPECT_FALSE(Holds(m_Cache, u"b"));

    GxFileCache sameTime;
    sameTime.SetEnabled(true);
    sameTime.SetCapacity(100);
    sameTime.SetMaxFileSize(100);
    for (const char16_t* key : {u"m", u"c", u"x"})
        ASSERT_TRUE(sameTime.Add(key, *Filled(30, 0), 1));   // one clock value for all
    ASSERT_TRUE(sameTime.Add(u"new", *Filled(30, 0), 1));
    EXPECT_FALSE(Holds(sameTime, u"c"));
    EXPECT_TRUE(Holds(sameTime, u"m"));
    EXPECT_TRUE(Holds(sameTime, u"x"));
}

// The clock is 32-bit and wraps after 49.7 days; a file stored just before the wrap is still
// the oldest one after it.
TEST_F(FileCacheTest, AgeOrderSurvivesTheClockWrap)
{
    m_Cache.SetCapacity(100);
    m_Cache.SetMaxFileSize(100);
    platform::SetFakeTime(0xFFFFFFF0u);
    ASSERT_TRUE(Store(u"before", 30));
    platform::AdvanceFakeTime(0x20);
    ASSERT_TRUE(Store(u"after1", 30));
    ASSERT_TRUE(Store(u"after2", 30));
    ASSERT_TRUE(Store(u"after3", 30));
    EXPECT_FALSE(Holds(m_Cache, u"before"));
    EXPECT_TRUE(Holds(m_Cache, u"after1"));
}

TEST_F(FileCacheTest, SizeLimitsDisablingAndReplacement)
{
    m_Cache.SetCapacity(100);
    m_Cache.SetMaxFileSize(40);
    EXPECT_TRUE(Store(u"exact", 40));
    EXPECT_FALSE(Store(u"over", 41));
    EXPECT_EQ(m_Cache.GetTotalSize(), 40u);

    // A new offer of a key replaces the old entry, and removes it even when it is not kept.
    EXPECT_TRUE(Store(u"exact", 10));
    EXPECT_EQ(m_Cache.GetTotalSize(), 10u);
    EXPECT_FALSE(Store(u"exact", 50));
    EXPECT_EQ(m_Cache.GetTotalSize(), 0u);

    ASSERT_TRUE(Store(u"kept", 10));
    m_Cache.SetEnabled(false);
    {
        GxMutexScopedLock lock(m_Cache.GetLock());
        EXPECT_EQ(m_Cache.Find(u"kept", 1), nullptr);
    }
    EXPECT_FALSE(Store(u"kept", 10));
    EXPECT_EQ(m_Cache.GetTotalSize(), 0u);

    m_Cache.SetEnabled(true);
    ASSERT_TRUE(Store(u"timed", 10));
    GxMutexScopedLock lock(m_Cache.GetLock());
    EXPECT_EQ(m_Cache.Find(u"timed", 2), nullptr);   // another file time misses
    ASSERT_NE(m_Cache.Find(u"timed", 1), nullptr);
    EXPECT_EQ(m_Cache.Find(u"timed", 1)->GetData()[0], 10);
    EXPECT_TRUE(m_Cache.Remove(u"timed"));
    EXPECT_FALSE(m_Cache.Remove(u"timed"));
}

TEST_F(FileCacheTest, ReadWholeFileUsesTheCacheWhileTheFileTimeHolds)
{
    GxFile::SetCacheCapacity(1000);
    GxFile::SetCacheMaxFileSize(100);
    GxFile::SetCacheEnabled(true);
    GxFileCache& cache = GxFile::GetCache();

    WriteFile("Dir/A.txt", "first");
    const std::filesystem::path path = m_Folder / "Dir/A.txt";
    const auto stamp = std::filesystem::last_write_time(path);
    GxBinBuffer buffer;
    ASSERT_TRUE(GxFile::ReadWholeFile(buffer, u"Dir/A.txt", true, false));
    EXPECT_EQ(cache.GetTotalSize(), 5u);

    // Same time, new bytes: the cached copy is what comes back.
    WriteFile("Dir/A.txt", "other");
    std::filesystem::last_write_time(path, stamp);
    ASSERT_TRUE(GxFile::ReadWholeFile(buffer, u"dir/a.TXT", true, false));
    EXPECT_EQ(ToString(buffer), "first");

    // A new last-write time misses and replaces the entry.
    WriteFile("Dir/A.txt", "changed!");
    std::filesystem::last_write_time(path, stamp + std::chrono::seconds(5));
    ASSERT_TRUE(GxFile::ReadWholeFile(buffer, u"DIR/A.TXT", true, false));
    EXPECT_EQ(ToString(buffer), "changed!");
    EXPECT_EQ(cache.GetTotalSize(), 8u);

    // The key lowers A-Z only; the other separator makes a second key.
    ASSERT_TRUE(GxFile::ReadWholeFile(buffer, u"dir\\a.txt", true, false));
    EXPECT_EQ(cache.GetTotalSize(), 16u);

    // Without useCache nothing is stored or found.
    GxFile::ClearCache();
    ASSERT_TRUE(GxFile::ReadWholeFile(buffer, u"dir/a.txt", false, false));
    EXPECT_EQ(cache.GetTotalSize(), 0u);
}
