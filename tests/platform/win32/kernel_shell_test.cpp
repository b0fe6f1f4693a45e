#include "platform/win32/shell.h"

#include "tests/support/scoped_environment.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

namespace fs = std::filesystem;

namespace {

class Win32DocumentsFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/tw_kernel_home_XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        m_Home = pattern;
        m_HomeVariable.Set(m_Home);
        m_ConfigVariable.Unset();
        m_DataVariable.Unset();
        fs::create_directory(m_Home + "/.config");
    }
    void TearDown() override { fs::remove_all(m_Home); }

    void WriteUserDirs(const std::string& text, const std::string& folder = "/.config")
    {
        fs::create_directories(m_Home + folder);
        std::ofstream(m_Home + folder + "/user-dirs.dirs") << text;
    }

    static std::u16string Documents(HRESULT expected = S_OK)
    {
        char16_t path[MAX_PATH];
        path[0] = u'#';
        EXPECT_EQ(SHGetFolderPathW(nullptr, CSIDL_PERSONAL, nullptr, SHGFP_TYPE_CURRENT, path), expected);
        return path;
    }

    std::u16string Home() const { return fs::path(m_Home).u16string(); }

    std::string m_Home;
    ScopedEnvironment m_HomeVariable{"HOME"};
    ScopedEnvironment m_ConfigVariable{"XDG_CONFIG_HOME"};
    ScopedEnvironment m_DataVariable{"XDG_DATA_HOME"};
};

TEST_F(Win32DocumentsFolder, ReadsTheXdgDocumentsEntry)
{
    struct Case {
        const char* file;
        std::u16string expected;   // after the home folder
    };
    const Case cases[] = {
        {"# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_DOCUMENTS_DIR=\"$HOME/\xE6\x96\x87\xE6\x9B\xB8\"\n",
         u"/\u6587\u66F8"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\"\"\n", u"/My \"Docs\""},
        {"#XDG_DOCUMENTS_DIR=\"$HOME/commented\"\n", u"/Documents"},
        {"XDG_DOCUMENTS_DIR=\"relative/not/allowed\"\n", u"/Documents"},
        {"XDG_DOCUMENTS_DIR=\"$HOME/unterminated\n", u"/Documents"},
    };
    fs::create_directory(m_Home + "/Documents");
    fs::create_directory(m_Home + "/\xE6\x96\x87\xE6\x9B\xB8");
    fs::create_directory(m_Home + "/My \"Docs\"");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        WriteUserDirs(c.file);
        EXPECT_EQ(Documents(), Home() + c.expected);
    }

    // An absolute entry, trailing separator dropped.
    fs::create_directories(m_Home + "/srv/docs");
    WriteUserDirs("XDG_DOCUMENTS_DIR=\"" + m_Home + "/srv/docs/\"\n");
    EXPECT_EQ(Documents(), Home() + u"/srv/docs");
}

TEST_F(Win32DocumentsFolder, FallsBackToHomeDocumentsAndFailsWithoutHome)
{
    fs::create_directory(m_Home + "/Documents");
    EXPECT_EQ(Documents(), Home() + u"/Documents");   // no user-dirs.dirs at all

    // XDG_CONFIG_HOME moves the file.
    fs::create_directory(m_Home + "/Elsewhere");
    WriteUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/Elsewhere\"\n", "/cfg");
    m_ConfigVariable.Set(m_Home + "/cfg");
    EXPECT_EQ(Documents(), Home() + u"/Elsewhere");

    m_HomeVariable.Unset();
    EXPECT_EQ(Documents(E_FAIL), u"");
    m_HomeVariable.Set("");
    EXPECT_EQ(Documents(E_FAIL), u"");

    // A path that would not fit the caller's MAX_PATH buffer is refused, not overrun.
    m_HomeVariable.Set("/" + std::string(300, 'h'));
    m_ConfigVariable.Unset();
    EXPECT_EQ(Documents(E_FAIL), u"");

    char16_t path[MAX_PATH];
    EXPECT_EQ(SHGetFolderPathW(nullptr, 0x2B, nullptr, 0, path), E_INVALIDARG);
}

// Without a documents folder the data folder stands in, made with every missing level.
TEST_F(Win32DocumentsFolder, MissingDocumentsFolderGivesTheDataFolder)
{
    m_DataVariable.Unset();
    EXPECT_EQ(Documents(), Home() + u"/.local/share");
    EXPECT_TRUE(fs::is_directory(m_Home + "/.local/share"));
    EXPECT_FALSE(fs::exists(m_Home + "/Documents")) << "the documents folder is not made";

    // A named documents folder that is missing falls back the same way.
    WriteUserDirs("XDG_DOCUMENTS_DIR=\"$HOME/Gone\"\n");
    m_DataVariable.Set(m_Home + "/deep/data/");
    EXPECT_EQ(Documents(), Home() + u"/deep/data");
    EXPECT_TRUE(fs::is_directory(m_Home + "/deep/data"));

    m_DataVariable.Set("relative/data");   // only absolute values count
    EXPECT_EQ(Documents(), Home() + u"/.local/share");

    // A file where a folder level should be: the folder cannot be made.
    std::ofstream(m_Home + "/blocked") << "x";
    m_DataVariable.Set(m_Home + "/blocked/data");
    EXPECT_EQ(Documents(E_FAIL), u"");

    // Once it exists the documents folder wins again.
    fs::create_directory(m_Home + "/Gone");
    EXPECT_EQ(Documents(), Home() + u"/Gone");
}

}  // namespace
