#include "files_fixture.h"

#include "foundation/bin_buffer.h"
#include "foundation/file_handle.h"

#include <unistd.h>

#include <cstring>
#include <filesystem>

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string text;
    for (int v : values)
        text.push_back(static_cast<char>(v));
    return text;
}

std::string Numbered(std::size_t size)
{
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>(i);
    return text;
}

}  // namespace

TEST(BinBuffer, AllocateZeroFillsAndReleaseFreesAtZero)
{
    GxBinBuffer buffer;
    EXPECT_EQ(buffer.GetFirstByte(), 0);
    BYTE* data = buffer.Allocate(16);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(buffer.GetSize(), 16u);
    EXPECT_EQ(buffer.GetRefCount(), 1u);
    for (std::uint32_t i = 0; i < 16; ++i)
        EXPECT_EQ(data[i], 0);
    data[0] = 7;
    EXPECT_EQ(buffer.GetFirstByte(), 7);

    buffer.AddRef();
    buffer.Release();
    EXPECT_EQ(buffer.GetData(), data);   // still one user
    buffer.Release();
    EXPECT_EQ(buffer.GetData(), nullptr);
    EXPECT_EQ(buffer.GetSize(), 0u);
    buffer.Release();                     // at 0 nothing happens
    EXPECT_EQ(buffer.GetRefCount(), 0u);

    GxBinBuffer sized(3);
    EXPECT_EQ(sized.GetSize(), 3u);
    EXPECT_EQ(sized.GetRefCount(), 1u);
    EXPECT_EQ(GxBinBuffer::CreateSized(5)->GetSize(), 5u);
}

TEST_F(FilesTest, HandleReadsClampedAtTheEndAndSeeksClamp)
{
    WriteFile("data.bin", Numbered(120));
    GxFileHandle file;
    ASSERT_TRUE(file.Open(u"data.bin"));
    EXPECT_EQ(file.GetSize(), 120u);
    EXPECT_NE(file.GetFileTime(), 0u);

    BYTE buffer[100] = {};
    ASSERT_TRUE(file.Seek(90, 0));
    EXPECT_EQ(file.Read(buffer, 100), 30u);
    EXPECT_EQ(buffer[0], 90);
    EXPECT_EQ(buffer[29], 119);
    EXPECT_TRUE(file.IsAtEnd());
    EXPECT_EQ(file.Read(buffer, 100), 0u);

    struct SeekCase {
        std::int64_t offset;
        int origin;
        std::uint64_t expected;
    } cases[] = {
        {-10, 0, 0}, {10, 2, 120}, {-20, 2, 100}, {5, 0, 5}, {-100, 1, 0}, {INT64_MAX, 1, 120}, {INT64_MIN, 2, 0},
    };
    for (const SeekCase& c : cases) {
        ASSERT_TRUE(file.Seek(40, 0));
        EXPECT_TRUE(file.Seek(c.offset, c.origin));
        EXPECT_EQ(file.Tell(), c.expected) << c.offset << " from " << c.origin;
        EXPECT_EQ(file.IsAtEnd(), c.expected == 120);
    }
    ASSERT_TRUE(file.Seek(-20, 2));
    EXPECT_EQ(file.Read(buffer, 4), 4u);
    EXPECT_EQ(buffer[0], 100);

    EXPECT_FALSE(file.Seek(0, 3));
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(file.Read(buffer, 1), 0u);
    EXPECT_FALSE(file.Open(u"missing.bin"));
}

TEST_F(FilesTest, ReadWholeFileReportsMissingAndShortFiles)
{
    WriteFile("Folder/Text.txt", "hello");
    WriteFile("empty.bin", "");

    GxBinBuffer buffer;
    // Loose names are found without regard to case and with either separator.
    ASSERT_TRUE(GxFile::ReadWholeFile(buffer, u"folder\\TEXT.txt", false, false));
    EXPECT_EQ(ToString(buffer), "hello");

    EXPECT_FALSE(GxFile::ReadWholeFile(buffer, u"none.txt", false, false));
    EXPECT_EQ(ToString(buffer), "hello");   // left untouched
    ASSERT_EQ(m_Log.lines.size(), 1u);
    EXPECT_EQ(m_Log.lines[0], u"File open error or not exist:none.txt\n");
    EXPECT_EQ(m_Log.levels[0], GxDebugListenerBase::kLevelError);

    EXPECT_FALSE(GxFile::ReadWholeFile(buffer, u"none.txt", false, true));
    EXPECT_EQ(m_Log.lines.size(), 1u);   // quiet

    ASSERT_TRUE(GxFile::ReadWholeFile(buffer, u"empty.bin", false, false));
    EXPECT_EQ(buffer.GetSize(), 0u);
    EXPECT_EQ(buffer.GetFirstByte(), 0);

    EXPECT_EQ(GxFile::GetFileSize(u"FOLDER/text.txt"), 5u);
    EXPECT_EQ(GxFile::GetFileSize(u"none.txt"), 0u);
}

TEST_F(FilesTest, ReadWholeFileTerminatedAddsTwoZeroBytes)
{
    WriteFile("conf.ini", "A=1");
    GxBinBuffer buffer;
    ASSERT_TRUE(ReadWholeFileTerminated(buffer, u"conf.ini", false));
    ASSERT_EQ(buffer.GetSize(), 5u);
    EXPECT_EQ(std::memcmp(buffer.GetData(), "A=1\0\0", 5), 0);

    EXPECT_FALSE(ReadWholeFileTerminated(buffer, u"missing.ini", false));
    ASSERT_EQ(m_Log.lines.size(), 1u);
    EXPECT_EQ(m_Log.lines[0], u"File open error:missing.ini\n");
    EXPECT_FALSE(ReadWholeFileTerminated(buffer, u"missing.ini", true));
    EXPECT_EQ(m_Log.lines.size(), 1u);
}

// A file whose size leaves no room for the two terminating bytes in a 32-bit buffer must be
// refused, not allocated with a wrapped size and then overrun. Sparse files keep it cheap.
TEST_F(FilesTest, HugeSizesAreRefusedNotWrapped)
{
    const std::filesystem::path nearLimit = m_Folder / "near_limit.bin";
    const std::filesystem::path overLimit = m_Folder / "over_limit.bin";
    WriteFile("near_limit.bin", "");
    WriteFile("over_limit.bin", "");
    ASSERT_EQ(truncate(nearLimit.c_str(), 0xFFFFFFFEll), 0);
    ASSERT_EQ(truncate(overLimit.c_str(), 0x100000001ll), 0);

    EXPECT_EQ(GxFile::GetFileSize(u"near_limit.bin"), 0xFFFFFFFEu);
    GxBinBuffer buffer;
    EXPECT_FALSE(ReadWholeFileTerminated(buffer, u"near_limit.bin", false));
    EXPECT_TRUE(m_Log.Contains(u"File read error:near_limit.bin\n"));

    // Sizes are 32-bit: a larger loose file does not open rather than read truncated.
    GxFileHandle file;
    EXPECT_FALSE(file.Open(u"over_limit.bin"));
    EXPECT_FALSE(GxFile::ReadWholeFile(buffer, u"over_limit.bin", false, false));
    EXPECT_TRUE(m_Log.Contains(u"File open error or not exist:over_limit.bin\n"));
}

TEST_F(FilesTest, LoadFileToBufferChoosesTheEncodingBySignature)
{
    struct Case {
        const char* name;
        std::string bytes;
        bool skipEmpty;
        bool ok;
        std::vector<std::u16string> lines;
    } cases[] = {
        {"crlf.txt", "a\r\n\r\nb", true, true, {u"a", u"b"}},
        {"crlf_keep.txt", "a\r\n\r\nb", false, true, {u"a", u"", u"b"}},
        {"sjis.txt", Bytes({0x95, 0x5C, '\n', 0x82, 0xA0}), false, true, {u"表", u"あ"}},
        // UTF-8 trail bytes look like code page 932 lead bytes; the line feed must survive.
        {"utf8.txt", "\xEF\xBB\xBF\xE3\x81\x82\n\xE3\x81\x84\r\n", false, true, {u"あ", u"い"}},
        {"utf16.txt", Bytes({0xFF, 0xFE, 'x', 0, 0x42, 0x30, '\n', 0, '\f', 0, 'y', 0}), false, true, {u"xあ", u"y"}},
        {"utf16be.txt", Bytes({0xFE, 0xFF, 0, 'x'}), false, false, {}},
        {"empty.txt", "", false, false, {}},
    };
    for (const Case& c : cases) {
        WriteFile(c.name, c.bytes);
        std::vector<std::u16string> lines;
        const std::u16string name(c.name, c.name + std::strlen(c.name));
        EXPECT_EQ(LoadFileToBuffer(lines, name, c.skipEmpty), c.ok) << c.name;
        EXPECT_EQ(lines, c.lines) << c.name;
    }
    std::vector<std::u16string> lines;
    EXPECT_FALSE(LoadFileToBuffer(lines, u"missing.txt", false));
}

TEST_F(FilesTest, LoadTextLinesKeepsBytesAndEmptiesTheList)
{
    WriteFile("techniques.tcl", Bytes({'t', '1', '\r', '\n', '\n', 0x95, 0x5C, '\n'}));
    std::vector<std::string> lines = {"stale"};
    ASSERT_TRUE(LoadTextLines(lines, u"techniques.tcl", true));
    EXPECT_EQ(lines, (std::vector<std::string>{"t1", Bytes({0x95, 0x5C})}));
    EXPECT_FALSE(LoadTextLines(lines, u"missing.tcl", true));
    EXPECT_TRUE(lines.empty());
}

TEST(TextLines, LineEndsFormFeedsNulAndTheCounter)
{
    const std::u16string text = u"one\r\n\r\ntwo\fX\n\f\r\nthree";
    const char16_t* cursor = text.data();
    std::vector<std::u16string> lines;
    std::u16string line;
    int lineCount = 0;
    while (ReadTextLineWide(cursor, text.data() + text.size(), line, lineCount))
        lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::u16string>{u"one", u"", u"twoX", u"", u"three"}));
    EXPECT_EQ(lineCount, 4);

    const char narrow[] = "a\nb\0c\n";
    const char* at = narrow;
    std::vector<std::string> narrowLines;
    std::string narrowLine;
    lineCount = 0;
    while (ReadTextLine(at, narrow + sizeof(narrow) - 1, narrowLine, lineCount))
        narrowLines.push_back(narrowLine);
    EXPECT_EQ(narrowLines, (std::vector<std::string>{"a", "b"}));   // the NUL ends the text
    EXPECT_EQ(lineCount, 1);

    // A lead byte at the very end never reads past it.
    const char lead[] = {'x', '\x82'};
    at = lead;
    ASSERT_TRUE(ReadTextLine(at, lead + 2, narrowLine, lineCount));
    EXPECT_EQ(narrowLine, std::string(lead, 2));
    EXPECT_EQ(at, lead + 2);
}

TEST(Paths, ExtensionsNamesAndFolders)
{
    struct Case {
        std::u16string path, extension, name, title, folder;
    } cases[] = {
        {u"dir.x/name", u"", u"name", u"name", u"dir.x/"},
        {u"image.PNG", u".PNG", u"image.PNG", u"image", u""},
        {u"a\\b.c\\file.tar.gz", u".gz", u"file.tar.gz", u"file", u"a\\b.c\\"},
        {u"C:name.txt", u".txt", u"name.txt", u"name", u"C:"},
        {u"trailing.", u".", u"trailing.", u"trailing", u""},
        {u"folder/", u"", u"", u"", u"folder/"},
        {u"", u"", u"", u"", u""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GetFileExtension(c.path), c.extension);
        EXPECT_EQ(GetFileNameFromPath(c.path), c.name);
        EXPECT_EQ(GetFileTitleFromPath(c.path), c.title);
        EXPECT_EQ(GetFolderFromPath(c.path), c.folder);
    }
    EXPECT_TRUE(HasFileExtension(u"a.PNG", u".png"));
    EXPECT_FALSE(HasFileExtension(u"a.png", u"png"));
    EXPECT_FALSE(HasFileExtension(u"a.png", u".ｐｎｇ"));

    EXPECT_EQ(ChangeFileExtension(u"dir/a.b.png", u".dds"), u"dir/a.b.dds");
    EXPECT_EQ(ChangeFileExtension(u"dir.x/name", u".png"), u"dir.x/name.png");

    EXPECT_EQ(CombinePath(u"", u"name", u'/'), u"name");
    EXPECT_EQ(CombinePath(u"save/", u"name", u'/'), u"save/name");
    EXPECT_EQ(CombinePath(u"save\\", u"name", u'/'), u"save\\name");
    EXPECT_EQ(CombinePath(u"save", u"name", u'\\'), u"save\\name");
    EXPECT_EQ(AppendPathSeparator(u"", u'/'), u"");
    EXPECT_EQ(AppendPathSeparator(u"save", u'/'), u"save/");
    EXPECT_EQ(AppendPathSeparator(u"save\\", u'/'), u"save\\");
    EXPECT_EQ(RemoveTrailingSeparator(u"save/"), u"save");
    EXPECT_EQ(RemoveTrailingSeparator(u"save"), u"save");
    EXPECT_EQ(ReplaceWideChar(u"a\\b\\c", u'\\', u'/'), u"a/b/c");
}

TEST_F(FilesTest, FoldersAndTheCurrentFolder)
{
    const std::u16string current = GetCurrentFolder();
    const std::string expected = std::filesystem::current_path().string();
    EXPECT_EQ(current, std::u16string(expected.begin(), expected.end()));
    EXPECT_EQ(current.find(u'\\'), std::u16string::npos);
    EXPECT_EQ(GetFullPath(u"x.txt"), current + u"/x.txt");

    EXPECT_FALSE(FolderExists(u"save"));
    EXPECT_TRUE(CreateFolder(u"save"));
    EXPECT_TRUE(FolderExists(u"save"));
    EXPECT_FALSE(CreateFolder(u"save"));
    EXPECT_FALSE(CreateFolder(u"missing/inner"));   // one level only

    WriteFile("save/game.gd", "x");
    EXPECT_FALSE(FolderExists(u"save/game.gd"));
    EXPECT_TRUE(OpenFileRead(u"save/game.gd"));
    EXPECT_FALSE(OpenFileRead(u"save/other.gd"));
}
