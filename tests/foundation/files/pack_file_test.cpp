#include "files_fixture.h"

#include "foundation/file_handle.h"
#include "foundation/pack_file.h"
#include "foundation/wide_string.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <thread>

namespace {

std::vector<BYTE> Pattern(std::size_t size, unsigned seed)
{
    std::vector<BYTE> bytes(size);
    std::uint32_t state = seed * 2654435761u + 1;
    for (BYTE& b : bytes) {
        state = state * 1664525u + 1013904223u;
        b = static_cast<BYTE>(state >> 24);
    }
    return bytes;
}

std::vector<BYTE> ToVector(const GxBinBuffer& buffer)
{
    return std::vector<BYTE>(buffer.GetData(), buffer.GetData() + buffer.GetSize());
}

}  // namespace

TEST(PackScramble, MatchesTheReferenceAtAnyPositionAndUndoesItself)
{
    const std::vector<BYTE> original = Pattern(20000, 1);
    struct Case {
        std::uint32_t position;
        std::size_t length;
    } cases[] = {{0, 0}, {0, 1}, {0, 20000}, {20, 10}, {5887, 9}, {12345, 17000}, {0xFFFFFFF0u, 64}};
    for (const Case& c : cases) {
        std::vector<BYTE> expected(original.begin(), original.begin() + c.length);
        std::vector<BYTE> actual = expected;
        TestPackBuilder::Scramble(expected.data(), expected.size(), c.position);
        PackScramble(actual.data(), actual.size(), c.position);
        EXPECT_EQ(actual, expected) << "position " << c.position << " length " << c.length;
        PackScramble(actual.data(), actual.size(), c.position);
        EXPECT_TRUE(std::equal(actual.begin(), actual.end(), original.begin())) << "position " << c.position;
    }

    // Scrambling 10 bytes at 20 equals the last 10 of 30 scrambled from 0.
    std::vector<BYTE> whole(original.begin(), original.begin() + 30);
    std::vector<BYTE> tail(original.begin() + 20, original.begin() + 30);
    PackScramble(whole.data(), whole.size(), 0);
    PackScramble(tail.data(), tail.size(), 20);
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), whole.begin() + 20));
}

struct PackForm {
    bool scrambled;
    bool wideNames;
};

class PackReadTest : public FilesTest, public ::testing::WithParamInterface<PackForm> {};

TEST_P(PackReadTest, FindsAndReadsEveryEntry)
{
    const std::vector<BYTE> big = Pattern(20000, 2);   // spans several periods of the scramble
    const std::vector<BYTE> huge = Pattern(600001, 3);   // read and descrambled in several pieces
    TestPackBuilder builder;
    builder.SetScrambled(GetParam().scrambled).SetWideNames(GetParam().wideNames);
    builder.Add(u"data/Image.PNG", "png bytes", 0x0102030405060708ull)
        .Add(u"system/テキスト.txt", "日本語")
        .Add(u"big/blob.bin", big)
        .Add(u"big/huge.bin", huge)
        .Add(u"empty.dat", "");
    ASSERT_TRUE(builder.Write("test.gxp"));
    ASSERT_TRUE(GxFile::AddPackFile(u"test.gxp"));

    for (const char16_t* name : {u"data/Image.PNG", u"DATA\\image.png", u"Data/IMAGE.png", u"system\\テキスト.TXT"})
        EXPECT_EQ(FileExists(name), kFileInPack);
    EXPECT_EQ(FileExists(u"data/image.jpg"), kFileNotFound);
    EXPECT_EQ(GxFile::GetFileSize(u"big\\BLOB.bin"), 20000u);

    GxBinBuffer buffer;
    ASSERT_TRUE(GxFile::ReadWholeFile(buffer, u"Data\\Image.png", false, false));
    EXPECT_EQ(ToString(buffer), "png bytes");
    ASSERT_TRUE(GxFile::ReadWholeFile(buffer, u"system/テキスト.txt", false, false));
    EXPECT_EQ(ToString(buffer), "日本語");
    ASSERT_TRUE(GxFile::ReadWholeFile(buffer, u"big/blob.bin", false, false));
    EXPECT_EQ(ToVector(buffer), big);
    ASSERT_TRUE(GxFile::ReadWholeFile(buffer, u"big/huge.bin", false, false));
    EXPECT_TRUE(ToVector(buffer) == huge);
    ASSERT_TRUE(GxFile::ReadWholeFile(buffer, u"empty.dat", false, false));
    EXPECT_EQ(buffer.GetSize(), 0u);
    EXPECT_TRUE(m_Log.lines.empty());

    // Reads in pieces after seeks are keyed by the position within the file.
    GxFileHandle file;
    ASSERT_TRUE(file.Open(u"big/blob.bin"));
    EXPECT_TRUE(file.IsInPack());
    EXPECT_EQ(file.GetFileTime(), TestPackBuilder::kDefaultFileTime);
    BYTE piece[700];
    for (std::int64_t at : {6000, 5887, 0, 19500}) {
        ASSERT_TRUE(file.Seek(at, 0));
        const std::uint32_t got = file.Read(piece, sizeof(piece));
        ASSERT_EQ(got, std::min<std::uint32_t>(700, 20000 - at));
        EXPECT_TRUE(std::equal(piece, piece + got, big.begin() + at)) << "at " << at;
    }
    EXPECT_TRUE(file.IsAtEnd());
    ASSERT_TRUE(file.Seek(-5, 2));
    EXPECT_EQ(file.Tell(), 19995u);
    ASSERT_TRUE(file.Open(u"big/huge.bin"));
    std::vector<BYTE> rest(huge.size());
    ASSERT_TRUE(file.Seek(77777, 0));
    ASSERT_EQ(file.Read(rest.data(), 400000), 400000u);
    EXPECT_TRUE(std::equal(rest.begin(), rest.begin() + 400000, huge.begin() + 77777));
    ASSERT_TRUE(file.Open(u"data/image.png"));
    EXPECT_EQ(file.GetFileTime(), 0x0102030405060708ull);
    EXPECT_EQ(file.Read(piece, sizeof(piece)), 9u);
}

// Reads that continue each other are served from bytes read ahead: files read in the pack's
// order, a file read in small pieces across the read-ahead's edges, two files read in turns,
// seeks back, and a pack put in place of a released one under the same names.
TEST_P(PackReadTest, ReadsInThePacksOrderAndInPiecesStayExact)
{
    const std::size_t sizes[] = {1, 5000, 47000, 131071, 131072, 0, 200000, 3, 70000, 300000, 9};
    auto name = [](std::size_t i) { return u"f" + Utf8ToWide(std::to_string(i)) + u".bin"; };
    auto build = [&](const char* path, unsigned seed, std::vector<std::vector<BYTE>>& contents) {
        TestPackBuilder builder;
        builder.SetScrambled(GetParam().scrambled).SetWideNames(GetParam().wideNames);
        contents.clear();
        for (std::size_t i = 0; i < std::size(sizes); ++i) {
            contents.push_back(Pattern(sizes[i], seed + static_cast<unsigned>(i)));
            builder.Add(name(i), contents.back());
        }
        return builder.Write(path) && GxFile::AddPackFile(Utf8ToWide(path));
    };
    std::vector<std::vector<BYTE>> contents;
    ASSERT_TRUE(build("order.gxp", 100, contents));

    GxBinBuffer buffer;
    for (int pass = 0; pass < 2; ++pass)
        for (std::size_t i = 0; i < contents.size(); ++i) {
            ASSERT_TRUE(GxFile::ReadWholeFile(buffer, name(i), false, false));
            EXPECT_TRUE(ToVector(buffer) == contents[i]) << "file " << i << " pass " << pass;
        }

    // 300000 bytes in pieces of 999: every edge of the read-ahead falls inside a piece.
    GxFileHandle file;
    ASSERT_TRUE(file.Open(name(9)));
    std::vector<BYTE> got(contents[9].size());
    for (std::size_t at = 0; at < got.size();) {
        const std::uint32_t read = file.Read(got.data() + at, 999);
        ASSERT_GT(read, 0u) << "at " << at;
        at += read;
    }
    EXPECT_TRUE(got == contents[9]);

    // Two files in turns, then back over bytes already read.
    GxFileHandle other;
    ASSERT_TRUE(file.Open(name(6)));
    ASSERT_TRUE(other.Open(name(8)));
    std::vector<BYTE> first(contents[6].size()), second(contents[8].size());
    for (std::uint32_t at = 0; at < 70000; at += 7000) {
        ASSERT_EQ(file.Read(first.data() + at, 7000), 7000u);
        ASSERT_EQ(other.Read(second.data() + at, 7000), 7000u);
    }
    EXPECT_TRUE(std::equal(first.begin(), first.begin() + 70000, contents[6].begin()));
    EXPECT_TRUE(second == contents[8]);
    BYTE piece[5000];
    for (std::int64_t at : {60000, 12345, 0}) {
        ASSERT_TRUE(file.Seek(at, 0));
        ASSERT_EQ(file.Read(piece, sizeof(piece)), sizeof(piece));
        EXPECT_TRUE(std::equal(piece, piece + sizeof(piece), contents[6].begin() + at)) << "at " << at;
    }
    file.Close();
    other.Close();

    // The same names and places with other bytes: nothing read ahead from the old pack shows.
    GxFile::ReleasePacks();
    ASSERT_TRUE(build("order2.gxp", 200, contents));
    for (std::size_t i = 0; i < contents.size(); ++i) {
        ASSERT_TRUE(GxFile::ReadWholeFile(buffer, name(i), false, false));
        EXPECT_TRUE(ToVector(buffer) == contents[i]) << "file " << i;
    }
    EXPECT_TRUE(m_Log.lines.empty());
}

INSTANTIATE_TEST_SUITE_P(AllForms, PackReadTest,
                         ::testing::Values(PackForm{false, false}, PackForm{true, false}, PackForm{false, true},
                                           PackForm{true, true}),
                         [](const auto& info) {
                             return std::string(info.param.scrambled ? "Scrambled" : "Plain") +
                                    (info.param.wideNames ? "Utf16Names" : "NarrowNames");
                         });

TEST_F(FilesTest, PackLookupOrderAndNameRules)
{
    TestPackBuilder first;
    first.Add(u"shared.txt", "first pack").Add(u"Dup.txt", "first entry").Add(u"dup.TXT", "second entry");
    first.Add(u"dir\\stored.txt", "backslash in the index");
    first.Add(std::u16string(521, u'n'), "longest").Add(std::u16string(522, u'm'), "too long");
    TestPackBuilder second;
    second.SetScrambled(true).Add(u"shared.txt", "second pack").Add(u"only_second.txt", "two");
    ASSERT_TRUE(first.Write("first.gxp"));
    ASSERT_TRUE(second.Write("second.gxp"));
    ASSERT_TRUE(GxFile::AddPackFile(u"first.gxp"));
    ASSERT_TRUE(GxFile::AddPackFile(u"second.gxp"));

    GxBinBuffer buffer;
    ASSERT_TRUE(GxFile::ReadWholeFile(buffer, u"SHARED.txt", false, false));
    EXPECT_EQ(ToString(buffer), "first pack");
    ASSERT_TRUE(GxFile::ReadWholeFile(buffer, u"only_second.txt", false, false));
    EXPECT_EQ(ToString(buffer), "two");
    ASSERT_TRUE(GxFile::ReadWholeFile(buffer, u"DUP.txt", false, false));
    EXPECT_EQ(ToString(buffer), "first entry");   // names that normalise alike: the first stays

    // Index names are not separator-normalised, so a "\" stored in the index is never found.
    EXPECT_EQ(FileExists(u"dir\\stored.txt"), kFileNotFound);
    EXPECT_EQ(FileExists(u"dir/stored.txt"), kFileNotFound);
    EXPECT_EQ(FileExists(std::u16string(521, u'N')), kFileInPack);
    EXPECT_EQ(FileExists(std::u16string(522, u'm')), kFileNotFound);

    // A loose file beats every pack.
    WriteFile("Shared.txt", "loose");
    EXPECT_EQ(FileExists(u"shared.txt"), kFileOnDisk);
    ASSERT_TRUE(GxFile::ReadWholeFile(buffer, u"shared.txt", false, false));
    EXPECT_EQ(ToString(buffer), "loose");

    GxFile::ReleasePacks();
    EXPECT_EQ(FileExists(u"only_second.txt"), kFileNotFound);
}

// A large index: every name is found through collisions and wrapped probes, and names that
// differ in one unit, or in length, are not.
TEST_F(FilesTest, EveryNameOfALargeIndexIsFoundAndNoOther)
{
    TestPackBuilder builder;
    constexpr int kCount = 5000;
    for (int i = 0; i < kCount; ++i)
        builder.Add(u"Dir/F" + Utf8ToWide(std::to_string(i)) + u".bin", std::to_string(i));
    ASSERT_TRUE(builder.Write("large.gxp"));
    GxPackFileHeaderCache pack;
    ASSERT_TRUE(pack.Load(u"large.gxp"));
    int wrong = 0;
    for (int i = 0; i < kCount; ++i) {
        const std::u16string number = Utf8ToWide(std::to_string(i));
        const GxPackFileEntry* entry = pack.Find(u"dir\\f" + number + u".BIN");
        if (entry == nullptr || entry->m_Name != u"Dir/F" + number + u".bin")
            ++wrong;
        for (const std::u16string& absent : {u"dir/f" + number + u".bix", u"dir/f" + number + u".bin2",
                                             u"dir/f" + number + u".bi", u"dir/f" + number})
            if (pack.Find(absent) != nullptr)
                ++wrong;
    }
    EXPECT_EQ(wrong, 0);
    EXPECT_EQ(pack.Find(u""), nullptr);
    pack.Clear();
    EXPECT_EQ(pack.Find(u"dir/f1.bin"), nullptr);
}

// Every damaged pack is refused with a log line, without reading outside what was loaded;
// a good pack registered afterwards still works.
TEST_F(FilesTest, DamagedPacksAreRefused)
{
    TestPackBuilder builder;
    builder.Add(u"a.txt", "alpha").Add(u"b.txt", "bravo");
    TestPackBuilder wide;
    wide.SetWideNames(true).Add(u"w.txt", "wide");

    using Image = TestPackBuilder::Image;
    struct Case {
        const char* what;
        const TestPackBuilder* source;
        void (*damage)(Image&);
    } cases[] = {
        {"short header", &builder, [](Image& i) { i.bytes.resize(30); }},
        {"index past the end", &builder, [](Image& i) { PutU32(i.bytes, 28, static_cast<std::uint32_t>(i.bytes.size())); }},
        {"index size all ones", &builder, [](Image& i) { PutU32(i.bytes, 28, 0xFFFFFFFFu); }},
        {"count beyond the index", &builder, [](Image& i) { PutU32(i.bytes, 24, 3); }},
        {"count all ones", &builder, [](Image& i) { PutU32(i.bytes, 24, 0xFFFFFFFFu); }},
        {"entry length 0", &builder, [](Image& i) { PutU32(i.bytes, i.entryOffsets[0], 0); }},
        {"entry length 32", &builder, [](Image& i) { PutU32(i.bytes, i.entryOffsets[0], 32); }},
        {"entry length past the index", &builder, [](Image& i) { PutU32(i.bytes, i.entryOffsets[1], 1000); }},
        {"unterminated name", &builder,
         [](Image& i) { i.bytes[i.entryOffsets[1] - 1] = 'x'; }},
        {"unterminated wide name", &wide,
         [](Image& i) { i.bytes[i.dataStart - 1] = 'x'; }},
        {"data past the end", &builder, [](Image& i) { PutU64(i.bytes, i.entryOffsets[1] + 24, 6); }},
        {"offset wraps", &builder, [](Image& i) { PutU64(i.bytes, i.entryOffsets[1] + 24, ~0ull - 2); }},
        {"size past the end", &builder, [](Image& i) { PutU32(i.bytes, i.entryOffsets[0] + 4, 0xFFFFFFFFu); }},
        {"data start past the end", &builder, [](Image& i) { PutU64(i.bytes, 40, 1u << 20); }},
    };
    for (bool scrambled : {false, true}) {
        for (const Case& c : cases) {
            TestPackBuilder source = *c.source;
            source.SetScrambled(scrambled);
            Image image = source.BuildUnscrambled();
            c.damage(image);
            if (scrambled && image.bytes.size() >= image.dataStart)
                source.ScrambleImage(image);
            ASSERT_TRUE(WriteBytesToFile("damaged.gxp", image.bytes));
            m_Log.lines.clear();
            EXPECT_FALSE(GxFile::AddPackFile(u"damaged.gxp")) << c.what << (scrambled ? " (scrambled)" : "");
            EXPECT_FALSE(m_Log.lines.empty()) << c.what;
            EXPECT_EQ(FileExists(u"a.txt"), kFileNotFound) << c.what;
        }
    }
    EXPECT_FALSE(GxFile::AddPackFile(u"no_such.gxp"));

    ASSERT_TRUE(builder.Write("good.gxp"));
    ASSERT_TRUE(GxFile::AddPackFile(u"good.gxp"));
    GxBinBuffer buffer;
    ASSERT_TRUE(GxFile::ReadWholeFile(buffer, u"b.txt", false, false));
    EXPECT_EQ(ToString(buffer), "bravo");
}

TEST_F(FilesTest, PackShrunkAfterLoadingGivesAReadError)
{
    TestPackBuilder builder;
    builder.SetScrambled(true).Add(u"a.txt", "alpha").Add(u"b.txt", "bravo");
    const TestPackBuilder::Image image = builder.Build();
    ASSERT_TRUE(WriteBytesToFile("shrink.gxp", image.bytes));
    ASSERT_TRUE(GxFile::AddPackFile(u"shrink.gxp"));
    ASSERT_EQ(truncate("shrink.gxp", static_cast<off_t>(image.bytes.size() - 2)), 0);

    GxBinBuffer buffer;
    EXPECT_FALSE(GxFile::ReadWholeFile(buffer, u"b.txt", false, false));
    EXPECT_EQ(buffer.GetSize(), 5u);   // stays allocated at the file's size
    ASSERT_EQ(m_Log.lines.size(), 1u);
    EXPECT_EQ(m_Log.lines[0], u"File read error:b.txt\n");
    EXPECT_FALSE(GxFile::ReadWholeFile(buffer, u"b.txt", false, true));
    EXPECT_EQ(m_Log.lines.size(), 1u);
}

// An entry of 0xFFFFFFFE bytes fits a (sparse) pack, but not a terminated 32-bit buffer.
TEST_F(FilesTest, HugePackEntryIsRefusedForTerminatedReads)
{
    TestPackBuilder builder;
    builder.Add(u"huge.ini", "x");
    TestPackBuilder::Image image = builder.BuildUnscrambled();
    PutU32(image.bytes, image.entryOffsets[0] + 4, 0xFFFFFFFEu);
    ASSERT_TRUE(WriteBytesToFile("huge.gxp", image.bytes));
    ASSERT_EQ(truncate("huge.gxp", static_cast<off_t>(image.dataStart + 0xFFFFFFFEull)), 0);
    ASSERT_TRUE(GxFile::AddPackFile(u"huge.gxp"));

    EXPECT_EQ(GxFile::GetFileSize(u"HUGE.ini"), 0xFFFFFFFEu);
    GxBinBuffer buffer;
    EXPECT_FALSE(ReadWholeFileTerminated(buffer, u"huge.ini", false));
    EXPECT_TRUE(m_Log.Contains(u"File read error:huge.ini\n"));
}

TEST_F(FilesTest, ThreadsReadPackedFilesAtOnce)
{
    TestPackBuilder builder;
    builder.SetScrambled(true);
    std::vector<std::vector<BYTE>> contents;
    for (int i = 0; i < 8; ++i) {
        contents.push_back(Pattern(3000 + i * 500, 10 + i));
        builder.Add(std::u16string{u'f', static_cast<char16_t>(u'0' + i)} + u".bin", contents.back());
    }
    ASSERT_TRUE(builder.Write("threads.gxp"));
    ASSERT_TRUE(GxFile::AddPackFile(u"threads.gxp"));
    GxFile::SetCacheCapacity(12000);   // small enough to evict while the threads run
    GxFile::SetCacheMaxFileSize(1 << 20);
    GxFile::SetCacheEnabled(true);

    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            GxBinBuffer buffer;
            for (int round = 0; round < 20; ++round) {
                const int i = (round + t) % 8;
                const std::u16string name = std::u16string{u'F', static_cast<char16_t>(u'0' + i)} + u".bin";
                if (!GxFile::ReadWholeFile(buffer, name, (round & 1) != 0, false) || ToVector(buffer) != contents[i])
                    ++failures;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_LE(GxFile::GetCache().GetTotalSize(), 12000u);
}
