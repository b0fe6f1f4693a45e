#include "platform/crt/wide_stdio.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

class CrtWideStdio : public testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "tw_crt_XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        m_Folder = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(m_Folder); }

    // The wide name of a file in the test folder (ASCII names only).
    std::u16string Wide(const std::string& name) const
    {
        const std::string full = m_Folder + "/" + name;
        return std::u16string(full.begin(), full.end());
    }
    Bytes Read(const std::string& name) const
    {
        std::ifstream in(m_Folder + "/" + name, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    void Write(const std::string& name, const Bytes& bytes) const
    {
        std::ofstream out(m_Folder + "/" + name, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
    bool AppendLine(const std::string& name, const char16_t* text) const
    {
        std::FILE* f = _wfopen(Wide(name).c_str(), u"a, ccs=UTF-16LE");
        if (!f) return false;
        const bool ok = fputws(text, f) == 0;
        return fclose_w(f) == 0 && ok;
    }

    std::string m_Folder;
};

}  // namespace

TEST_F(CrtWideStdio, AppendTextModeWritesBomOnceAndCrLf)
{
    ASSERT_TRUE(AppendLine("error.log", u"A\n"));
    EXPECT_EQ(Read("error.log"), (Bytes{0xFF, 0xFE, 'A', 0, 0x0D, 0, 0x0A, 0}));
    ASSERT_TRUE(AppendLine("error.log", u"表\n"));   // U+8868
    EXPECT_EQ(Read("error.log"), (Bytes{0xFF, 0xFE, 'A', 0, 0x0D, 0, 0x0A, 0, 0x68, 0x88, 0x0D, 0, 0x0A, 0}));
}

TEST_F(CrtWideStdio, EmptyExistingFileGetsBomButNonEmptyDoesNot)
{
    Write("empty.log", {});
    ASSERT_TRUE(AppendLine("empty.log", u"x"));
    EXPECT_EQ(Read("empty.log"), (Bytes{0xFF, 0xFE, 'x', 0}));

    Write("old.log", {'o', 0});   // not even a BOM: appended to as it stands
    ASSERT_TRUE(AppendLine("old.log", u"y"));
    EXPECT_EQ(Read("old.log"), (Bytes{'o', 0, 'y', 0}));
}

TEST_F(CrtWideStdio, WriteTextModeTruncatesAndReadTextModeSkipsBom)
{
    Write("t.txt", {1, 2, 3, 4, 5, 6});
    std::FILE* f = _wfopen(Wide("t.txt").c_str(), u"w, ccs=UTF-16LE");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(fputws(u"a\r\nb", f), 0);   // every LF gains a CR, even one after a CR
    EXPECT_EQ(fclose_w(f), 0);
    EXPECT_EQ(Read("t.txt"), (Bytes{0xFF, 0xFE, 'a', 0, 0x0D, 0, 0x0D, 0, 0x0A, 0, 'b', 0}));

    f = _wfopen(Wide("t.txt").c_str(), u"r, ccs=UTF-16LE");
    ASSERT_NE(f, nullptr);
    unsigned char first[2] = {};
    EXPECT_EQ(std::fread(first, 1, 2, f), 2u);
    EXPECT_EQ(first[0], 'a');
    fclose_w(f);

    Write("nobom.txt", {'z', 0});
    f = _wfopen(Wide("nobom.txt").c_str(), u"r, ccs=UTF-16LE");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::fread(first, 1, 2, f), 2u);
    EXPECT_EQ(first[0], 'z');
    fclose_w(f);
}

TEST_F(CrtWideStdio, BinaryModesAreUntranslated)
{
    std::FILE* f = _wfopen(Wide("raw.bin").c_str(), u"wb");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(fputws(u"\n", f), 0);
    const unsigned char bytes[3] = {0x0A, 0x00, 0x0D};
    EXPECT_EQ(std::fwrite(bytes, 1, 3, f), 3u);
    EXPECT_EQ(std::fflush(f), 0);
    EXPECT_EQ(std::fclose(f), 0);
    EXPECT_EQ(Read("raw.bin"), (Bytes{0x0A, 0x00, 0x0A, 0x00, 0x0D}));

    f = _wfopen(Wide("raw.bin").c_str(), u"ab");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(std::fputc(7, f), 7);
    fclose_w(f);
    f = _wfopen(Wide("raw.bin").c_str(), u"rb");
    ASSERT_NE(f, nullptr);
    unsigned char all[8] = {};
    EXPECT_EQ(std::fread(all, 1, sizeof(all), f), 6u);
    EXPECT_EQ(all[5], 7);
    fclose_w(f);
}

TEST_F(CrtWideStdio, NamesResolveWithoutCaseAndWithBackslashes)
{
    std::filesystem::create_directory(m_Folder + "/system");
    Write("system/sysconf.ini", {'o', 'k'});
    std::FILE* f = _wfopen(Wide("SYSTEM\\SysConf.INI").c_str(), u"rb");
    ASSERT_NE(f, nullptr);
    char text[3] = {};
    EXPECT_EQ(std::fread(text, 1, 2, f), 2u);
    EXPECT_STREQ(text, "ok");
    fclose_w(f);

    // A new file goes into the existing folder whatever case the name gives it.
    ASSERT_TRUE(AppendLine("System\\new.log", u"n"));
    EXPECT_EQ(Read("system/new.log"), (Bytes{0xFF, 0xFE, 'n', 0}));
}

TEST_F(CrtWideStdio, BadArgumentsFailCleanly)
{
    const std::u16string name = Wide("x.bin");
    for (const char16_t* mode : {u"", u"q", u"rbb", u"rb, ccs=UTF-16LE", u"a, ccs=UTF-8", u"a, xyz", u"rあ"}) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(mode)));
        errno = 0;
        EXPECT_EQ(_wfopen(name.c_str(), mode), nullptr);
        EXPECT_EQ(errno, EINVAL);
    }
    EXPECT_EQ(_wfopen(nullptr, u"rb"), nullptr);
    EXPECT_EQ(_wfopen(name.c_str(), nullptr), nullptr);
    EXPECT_EQ(_wfopen(u"", u"rb"), nullptr);
    EXPECT_EQ(_wfopen(name.c_str(), u"rb"), nullptr);   // missing
    EXPECT_FALSE(std::filesystem::exists(m_Folder + "/x.bin"));
    EXPECT_EQ(fputws(static_cast<const WCHAR*>(nullptr), stdout), -1);
    EXPECT_EQ(fputws(u"x", nullptr), -1);
    EXPECT_EQ(fclose_w(nullptr), EOF);
}
