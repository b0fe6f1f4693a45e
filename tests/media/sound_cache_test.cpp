// The sound cache: lookup ignoring the case of A to Z, trimming at its limits, keep flags, and
// two threads at once.
#include "media/sound_cache.h"
#include "tests/media/media_fixture.h"

#include <thread>

namespace {

// 1000 frames of 16-bit stereo: 4000 bytes of data.
SoundBytes SmallWav() { return BuildTestPcmWav(2, 8000, 16, TestPcm16Bytes(TestRamp(1000, 2))); }

}  // namespace

TEST_F(MediaTest, CacheFindsNamesIgnoringCase)
{
    Write("se/Door.wav", SmallWav());
    GxSoundCache cache;
    platform::SetFakeTime(6000);
    GxWavData* first = cache.Acquire(u"se/Door.wav");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->GetUseCount(), 1u);
    platform::SetFakeTime(7000);
    EXPECT_EQ(cache.Acquire(u"SE/DOOR.WAV"), first);
    EXPECT_EQ(first->GetUseCount(), 2u);
    EXPECT_EQ(cache.GetLastUsedTime(u"se/door.wav"), 7000u);
    EXPECT_EQ(cache.GetLastUsedTime(std::string("Se/Door.Wav")), 7000u);
    EXPECT_EQ(cache.GetLastUsedTime(u"other.wav"), 0u);
    EXPECT_EQ(cache.GetLastUsedTime(std::string("other.wav")), 0u);
    EXPECT_EQ(cache.GetCount(), 1u);
    EXPECT_EQ(cache.GetTotalBytes(), 4000u);
    EXPECT_TRUE(cache.Contains(u"SE/door.wav"));

    cache.Release(u"se/door.WAV");
    cache.Release(u"se/door.WAV");
    EXPECT_EQ(first->GetUseCount(), 0u);
    EXPECT_TRUE(cache.Trim());
    EXPECT_FALSE(cache.Trim(0));
    EXPECT_FALSE(cache.Contains(u"se/door.wav"));
    EXPECT_EQ(cache.GetCount(), 0u);
    EXPECT_EQ(cache.GetTotalBytes(), 0u);
}

TEST_F(MediaTest, CacheFailedLoadLeavesItUnchanged)
{
    Write("a.wav", SmallWav());
    Write("bad.wav", SoundBytes(10, 0));
    GxSoundCache cache;
    ASSERT_NE(cache.Acquire(u"a.wav"), nullptr);
    EXPECT_EQ(cache.Acquire(u"bad.wav"), nullptr);
    EXPECT_EQ(cache.Acquire(u"missing.ogg"), nullptr);
    EXPECT_FALSE(cache.Preload(u"bad.wav", true));
    EXPECT_EQ(cache.GetCount(), 1u);
    EXPECT_EQ(cache.GetTotalBytes(), 4000u);
}

TEST_F(MediaTest, CachePreloadAndKeep)
{
    for (const char* name : {"a.wav", "b.wav", "c.wav"})
        Write(name, SmallWav());
    GxSoundCache cache;
    EXPECT_TRUE(cache.Preload(u"a.wav", true));
    EXPECT_TRUE(cache.Preload(u"b.wav", false));
    ASSERT_NE(cache.Acquire(u"c.wav"), nullptr);
    EXPECT_TRUE(cache.Trim());   // only b: a is kept, c in use
    EXPECT_TRUE(cache.Contains(u"a.wav"));
    EXPECT_FALSE(cache.Contains(u"b.wav"));
    EXPECT_TRUE(cache.Contains(u"c.wav"));
    cache.SetKeep(u"A.WAV", false);
    cache.Release(u"c.wav");
    EXPECT_TRUE(cache.Trim());
    EXPECT_EQ(cache.GetCount(), 0u);

    EXPECT_TRUE(cache.Preload(u"a.wav", false));
    cache.Clear();
    EXPECT_EQ(cache.GetCount(), 0u);
    EXPECT_EQ(cache.GetTotalBytes(), 0u);
}

// At 1024 entries a new sound first trims the unused, unkept ones; the rest stay.
TEST_F(MediaTest, CacheTrimsAtItsEntryLimit)
{
    Write("s.wav", BuildTestPcmWav(1, 8000, 8, SoundBytes(4, 0x80)));
    GxSoundCache cache;
    // Copies under many names: the cache keys by name, the file is the same.
    for (std::uint32_t i = 0; i < GxSoundCache::kMaxEntries; ++i)
        std::filesystem::copy_file(m_Folder.Join("s.wav"), m_Folder.Join("s" + std::to_string(i) + ".wav"));
    std::filesystem::copy_file(m_Folder.Join("s.wav"), m_Folder.Join("new.wav"));
    for (std::uint32_t i = 0; i < GxSoundCache::kMaxEntries; ++i) {
        const std::u16string name = W("s" + std::to_string(i) + ".wav");
        if (i % 3 == 0)
            ASSERT_NE(cache.Acquire(name), nullptr);   // in use
        else
            ASSERT_TRUE(cache.Preload(name, i % 3 == 1));   // kept, or free to go
    }
    ASSERT_EQ(cache.GetCount(), GxSoundCache::kMaxEntries);
    ASSERT_NE(cache.Acquire(u"new.wav"), nullptr);
    const std::uint32_t left = (GxSoundCache::kMaxEntries + 2) / 3 + (GxSoundCache::kMaxEntries + 1) / 3;
    EXPECT_EQ(cache.GetCount(), left + 1);
    EXPECT_EQ(cache.GetTotalBytes(), (left + 1) * 4u);
    EXPECT_TRUE(cache.Contains(u"s0.wav"));
    EXPECT_TRUE(cache.Contains(u"s1.wav"));
    EXPECT_FALSE(cache.Contains(u"s2.wav"));
}

// Past 20 MiB the same happens, and the new sound joins even when nothing could go.
TEST_F(MediaTest, CacheTrimsAtItsSizeLimitAndAddsAnyway)
{
    const std::uint32_t bytes = 8 * 1024 * 1024;
    Write("big.wav", BuildTestPcmWav(1, 44100, 8, SoundBytes(bytes, 0x80)));
    for (const char* name : {"b1.wav", "b2.wav", "b3.wav", "b4.wav"})
        std::filesystem::copy_file(m_Folder.Join("big.wav"), m_Folder.Join(name));
    GxSoundCache cache;
    ASSERT_TRUE(cache.Preload(u"b1.wav", false));
    ASSERT_NE(cache.Acquire(u"b2.wav"), nullptr);
    ASSERT_NE(cache.Acquire(u"b3.wav"), nullptr);   // 24 MiB > 20 MiB: b1 goes first
    EXPECT_FALSE(cache.Contains(u"b1.wav"));
    EXPECT_EQ(cache.GetTotalBytes(), 2ull * bytes);
    ASSERT_NE(cache.Acquire(u"b4.wav"), nullptr);   // nothing to trim, added over the limit
    EXPECT_EQ(cache.GetCount(), 3u);
    EXPECT_EQ(cache.GetTotalBytes(), 3ull * bytes);
}

TEST_F(MediaTest, CacheFromTwoThreads)
{
    for (const char* name : {"a.wav", "b.wav", "c.wav", "d.wav"})
        Write(name, SmallWav());
    GxSoundCache cache;
    auto work = [&cache](const std::u16string& mine, const std::u16string& shared) {
        for (int i = 0; i < 200; ++i) {
            GxWavData* sound = cache.Acquire(i % 2 ? mine : shared);
            if (sound != nullptr)
                cache.Release(sound->GetName());
            cache.Contains(shared);
            if (i % 10 == 0)
                cache.Trim();
        }
    };
    std::thread first(work, u"a.wav", u"c.wav");
    std::thread second(work, u"b.wav", u"C.WAV");
    first.join();
    second.join();
    EXPECT_LE(cache.GetCount(), 3u);
    cache.Trim();
    EXPECT_EQ(cache.GetCount(), 0u);
    EXPECT_EQ(cache.GetTotalBytes(), 0u);
}
