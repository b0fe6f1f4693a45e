// [Moa engine] opening a script at a line in an outside editor: the command template, the
// known editors' line-jump arguments, the ".txt" association read from the (seeded) registry
// stand-in, and the start of the editor without waiting for it.
#include "script/text_editor.h"

#include "foundation/wide_string.h"
#include "platform/win32/registry.h"

#include "tests/support/scoped_environment.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

constexpr char16_t kFileExts[] = u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.txt";

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream stream(path);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
}

// Waits (bounded, so that a broken build fails instead of hanging) until `done` holds.
template <class Done>
bool Eventually(Done done)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

TEST(TextEditorCommand, FillsTheTemplate)
{
    struct Case {
        std::u16string command;
        std::u16string file;
        std::int32_t line;
        std::u16string expected;
    };
    const Case cases[] = {
        {u"notepad.exe \"%file\"", u"scripts/a.txt", 12, u"notepad.exe \"scripts/a.txt\""},
        {u"ed +%line %file:%line", u"a b.txt", 7, u"ed +7 a b.txt:7"},   // no quotes added
        {u"ed %file -c %pos", u"a.txt", 3, u"ed a.txt -c 0"},
        {u"ed -n", u"a.txt", 3, u"ed -n"},                                 // no %file: no file
        {u"ed %file", u"x%line%pos.txt", 5, u"ed x%line%pos.txt"},         // the file last, as given
        {u"ed %LINE %file", u"a.txt", -1, u"ed %LINE a.txt"},
        {u"ed %line", u"a.txt", -1, u"ed -1"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildEditorCommandLine(c.command, c.file, c.line), c.expected) << WideToUtf8(c.command);
}

TEST(TextEditorCommand, KnownEditorsJumpToTheLine)
{
    struct Case {
        std::u16string editor;
        std::u16string arguments;
    };
    const Case cases[] = {
        {u"hidemaru.exe", u"\"s/a.txt\" /jx12,0"},
        {u"sakura.exe", u"-Y=12 -X=0 -- \"s/a.txt\""},
        {u"EmEditor.exe", u"/l 12 \"s/a.txt\""},
        {u"terapad.exe", u"/jl=12 \"s/a.txt\""},
        {u"apsaly.exe", u"/j12 /c0 /d \"s/a.txt\""},
        {u"k2editor.exe", u"\"s/a.txt\" /j12"},
        {u"wzeditor.exe", u"/j12 \"s/a.txt\""},
        {u"GVIM.EXE", u"--remote-tab-silent +12 \"s/a.txt\""},
        {u"notepad.exe", u"\"s/a.txt\""},
        {u"sakura", u"\"s/a.txt\""},   // the whole name must match
        {u"", u"\"s/a.txt\""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(BuildKnownEditorArguments(u"s/a.txt", c.editor, 12), c.arguments) << WideToUtf8(c.editor);
}

class TextEditorAssociation : public ::testing::Test {
protected:
    void SetUp() override { m_Root.Set("/opt/windows"); }
    void TearDown() override { platform::ClearRegistry(); }
    static void Seed(HKEY root, const std::u16string& key, const std::u16string& name, const std::u16string& value)
    {
        platform::SetRegistryValue(root, key, name, REG_SZ, value);
    }

    ScopedEnvironment m_Root{"SystemRoot"};
};

TEST_F(TextEditorAssociation, NothingAssociatedGivesNoEditor)
{
    EXPECT_EQ(FindTextFileEditor(), u"");
    // A type whose command key is missing, and a command of blanks only.
    Seed(HKEY_CLASSES_ROOT, u".txt", u"", u"txtfile");
    EXPECT_EQ(FindTextFileEditor(), u"");
    Seed(HKEY_CLASSES_ROOT, u"txtfile\\shell\\open\\command", u"", u" \t ");
    EXPECT_EQ(FindTextFileEditor(), u"");
}

TEST_F(TextEditorAssociation, TakesTheProgramOfTheTypeCommand)
{
    Seed(HKEY_CLASSES_ROOT, u".txt", u"", u"txtfile");
    struct Case {
        std::u16string command;
        std::u16string program;
    };
    const Case cases[] = {
        {u"\"C:\\Program Files\\sakura\\sakura.exe\" \"%1\"", u"C:\\Program Files\\sakura\\sakura.exe"},
        {u"  %SystemRoot%\\system32\\NOTEPAD.EXE %1  ", u"/opt/windows\\system32\\NOTEPAD.EXE"},
        {u"notepad.exe", u"notepad.exe"},
        {u"\"C:\\unclosed\\ed.exe", u"C:\\unclosed\\ed.exe"},
    };
    for (const Case& c : cases) {
        Seed(HKEY_CLASSES_ROOT, u"txtfile\\shell\\open\\command", u"", c.command);
        EXPECT_EQ(FindTextFileEditor(), c.program) << WideToUtf8(c.command);
    }
}

TEST_F(TextEditorAssociation, TheUsersChoiceWinsOverTheFileType)
{
    Seed(HKEY_CLASSES_ROOT, u".txt", u"", u"txtfile");
    Seed(HKEY_CLASSES_ROOT, u"txtfile\\shell\\open\\command", u"", u"notepad.exe %1");
    Seed(HKEY_CURRENT_USER, kFileExts, u"Application", u"");   // an empty choice is no choice
    EXPECT_EQ(FindTextFileEditor(), u"notepad.exe");

    Seed(HKEY_CURRENT_USER, kFileExts, u"Application", u"gvim.exe");
    Seed(HKEY_CLASSES_ROOT, u"Applications\\gvim.exe\\shell\\open\\command", u"",
         u"\"%SystemRoot%\\vim\\gvim.exe\" --remote \"%1\"");
    EXPECT_EQ(FindTextFileEditor(), u"/opt/windows\\vim\\gvim.exe");
}

// A stand-in editor in its own folder: it writes its process id, waits for the file "go"
// of the test (or the test's folder to go), then writes its arguments (one a line) to
// "args.txt" and ends.
class TextEditorLaunch : public TextEditorAssociation {
protected:
    void SetUp() override
    {
        TextEditorAssociation::SetUp();
        ASSERT_TRUE(m_Dir.Valid());
        m_Folder = m_Dir.Join("editor dir");
        std::filesystem::create_directory(m_Folder);
    }
    std::filesystem::path WriteEditor(const std::string& name, bool gated)
    {
        const std::filesystem::path program = m_Folder / name;
        const std::string at = m_Dir.String() + "/";
        std::ofstream(program) << "#!/bin/sh\necho $$ > '" << at << "pid.tmp' && mv '" << at << "pid.tmp' '" << at
                               << "pid'\n"
                               << (gated ? "while [ ! -e '" + at + "go' ] && [ -d '" + at + "' ]; do sleep 0.01; done\n" : "")
                               << "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << at << "args.tmp'\nmv '" << at
                               << "args.tmp' '" << at << "args.txt'\n";
        chmod(program.c_str(), 0755);
        return program;
    }
    bool Exists(const char* name) const { return access(m_Dir.Join(name).c_str(), F_OK) == 0; }

    TestTempDir m_Dir{"editor"};
    std::filesystem::path m_Folder;
};

TEST_F(TextEditorLaunch, StartsWithoutWaitingAndLeavesNoZombie)
{
    const std::filesystem::path editor = WriteEditor("ed", true);
    EXPECT_TRUE(LaunchEditorProcess(u"\"" + Utf8ToWide(editor.string()) + u"\" \"a b.txt\" -n"));
    ASSERT_TRUE(Eventually([&] { return Exists("pid"); }));
    EXPECT_FALSE(Exists("args.txt"));   // still waiting for "go": the launch did not wait
    const std::string pid = ReadText(m_Dir.Join("pid"));
    std::ofstream(m_Dir.Join("go")) << "";
    ASSERT_TRUE(Eventually([&] { return Exists("args.txt"); }));
    EXPECT_EQ(ReadText(m_Dir.Join("args.txt")), "a b.txt\n-n\n");
    const std::string entry = "/proc/" + pid.substr(0, pid.find('\n'));
    EXPECT_TRUE(Eventually([&] { return access(entry.c_str(), F_OK) != 0; })) << entry << " was not reaped";

    EXPECT_FALSE(LaunchEditorProcess(u"\"" + Utf8ToWide(m_Dir.Join("missing").string()) + u"\" x"));
}

TEST_F(TextEditorLaunch, OpensAnExistingFileInTheAssociatedEditorAtTheLine)
{
    const std::filesystem::path editor = WriteEditor("sakura.exe", false);
    Seed(HKEY_CLASSES_ROOT, u".txt", u"", u"txtfile");
    Seed(HKEY_CLASSES_ROOT, u"txtfile\\shell\\open\\command", u"", u"\"" + Utf8ToWide(editor.string()) + u"\" \"%1\"");
    const std::filesystem::path script = m_Dir.Join("main.txt");

    EXPECT_FALSE(OpenInTextEditor(Utf8ToWide(script.string()), 12));   // missing: nothing started
    EXPECT_FALSE(Exists("pid"));

    std::ofstream(script) << "*MAIN\n";
    EXPECT_TRUE(OpenInTextEditor(Utf8ToWide(script.string()), 12));
    ASSERT_TRUE(Eventually([&] { return Exists("args.txt"); }));
    EXPECT_EQ(ReadText(m_Dir.Join("args.txt")), "-Y=12\n-X=0\n--\n" + script.string() + "\n");
}

}  // namespace
