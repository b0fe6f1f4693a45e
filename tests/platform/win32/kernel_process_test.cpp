#include "platform/win32/codepage.h"
#include "platform/win32/environment.h"
#include "platform/win32/file.h"
#include "platform/win32/process.h"
#include "platform/win32/registry.h"
#include "platform/win32/sync.h"

#include "tests/support/scoped_environment.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream stream(path);
    std::stringstream text;
    text << stream.rdbuf();
    return text.str();
}

void WriteScript(const std::filesystem::path& path, const std::string& body, bool executable = true)
{
    std::ofstream(path) << "#!/bin/sh\n" << body;
    chmod(path.c_str(), executable ? 0755 : 0644);
}

// Starts `commandLine`; false when creation failed.
bool Start(const std::u16string& commandLine, PROCESS_INFORMATION& info)
{
    std::u16string line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    return CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                          &startup, &info) != FALSE;
}

// A child waiting for the file "go" in `folder` before it exits with 7.
std::filesystem::path WriteGatedScript(const TestTempDir& folder)
{
    const std::filesystem::path script = folder.Join("gated.sh");
    // It also ends once the folder is gone, so that a failed test leaves no child behind.
    WriteScript(script, "while [ ! -e '" + folder.Join("go").string() + "' ] && [ -d '" + folder.String() +
                            "' ]; do sleep 0.01; done\nexit 7\n");
    return script;
}

TEST(Win32CommandLine, SplitsByTheWindowsRules)
{
    struct Case {
        std::u16string line;
        std::vector<std::u16string> words;
    };
    const Case cases[] = {
        {u"prog a b", {u"prog", u"a", u"b"}},
        {u"  prog\t a  ", {u"prog", u"a"}},
        {u"\"C:/Program Files/x.exe\" \"a b\" c", {u"C:/Program Files/x.exe", u"a b", u"c"}},
        {u"C:\\tools\\x.exe a\\b", {u"C:\\tools\\x.exe", u"a\\b"}},   // backslashes stay
        {u"\"C:\\dir\\\" x", {u"C:\\dir\\", u"x"}},                     // the program ends at its quote
        {u"p a\\\"b", {u"p", u"a\"b"}},                                 // 1 backslash + quote: a quote
        {u"p a\\\\\"b c\"", {u"p", u"a\\b c"}},                         // 2 + quote: one, quote opens
        {u"p a\\\\\\\"b", {u"p", u"a\\\"b"}},                           // 3 + quote
        {u"p \"a\"\"b\"", {u"p", u"a\"b"}},                             // doubled quote inside quotes
        {u"p \"\"", {u"p", u""}},                                       // an empty quoted word
        {u"p ab\"c d\"e", {u"p", u"abc de"}},
        {u"", {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(platform::SplitCommandLine(c.line), c.words) << platform::Utf16ToUtf8(c.line);
}

TEST(Win32Process, RunsAProgramWithItsArgumentsAndGivesItsExitCode)
{
    TestTempDir folder;
    const std::filesystem::path spaced = folder.Join("with space");
    std::filesystem::create_directory(spaced);
    const std::filesystem::path record = folder.Join("args.txt");
    WriteScript(spaced / "tool.exe", "for a in \"$@\"; do echo \"[$a]\"; done > '" + record.string() + "'\nexit 3\n");

    // Upper case and backslashes: the program is found like a file.
    std::u16string program = platform::Utf8ToUtf16(spaced.string()) + u"\\TOOL.EXE";
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(Start(u"\"" + program + u"\" \"a b\" -x \"q\\\"uote\"", info));
    EXPECT_NE(info.hProcess, nullptr);
    EXPECT_NE(info.hThread, nullptr);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(info.hThread, 0), WAIT_OBJECT_0);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, 3u);
    EXPECT_FALSE(GetExitCodeProcess(info.hThread, &code));   // a thread handle is not a process
    EXPECT_TRUE(CloseHandle(info.hThread));
    EXPECT_TRUE(CloseHandle(info.hProcess));
    EXPECT_EQ(ReadText(record), "[a b]\n[-x]\n[q\"uote]\n");
}

TEST(Win32Process, ARunningChildIsStillActiveUntilItEnds)
{
    TestTempDir folder;
    const std::filesystem::path script = WriteGatedScript(folder);
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(Start(platform::Utf8ToUtf16(script.string()), info));
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 10), WAIT_TIMEOUT);
    std::ofstream(folder.Join("go")) << "";
    EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
    ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, 7u);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

TEST(Win32Process, AChildWhoseHandlesWereClosedIsReapedWhenItEnds)
{
    TestTempDir folder;
    const std::filesystem::path script = WriteGatedScript(folder);
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(Start(platform::Utf8ToUtf16(script.string()), info));
    EXPECT_TRUE(CloseHandle(info.hThread));
    EXPECT_TRUE(CloseHandle(info.hProcess));
    EXPECT_FALSE(CloseHandle(info.hProcess));
    std::ofstream(folder.Join("go")) << "";
    // A zombie keeps its /proc entry for good; a reaped child loses it. The bound only keeps a
    // broken build from hanging.
    const std::string entry = "/proc/" + std::to_string(info.dwProcessId);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (access(entry.c_str(), F_OK) == 0 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_NE(access(entry.c_str(), F_OK), 0) << "child " << info.dwProcessId << " was not reaped";
}

TEST(Win32Process, AProgramThatCannotBeStartedFails)
{
    TestTempDir folder;
    WriteScript(folder.Join("plain.txt"), "exit 0\n", false);
    const std::filesystem::path garbage = folder.Join("garbage.exe");
    std::ofstream(garbage) << "\x7f\x01not a program";
    chmod(garbage.c_str(), 0755);
    struct Case {
        std::u16string line;
        DWORD error;
    };
    const Case cases[] = {
        {u"\"" + platform::Utf8ToUtf16(folder.Join("missing.exe").string()) + u"\" -a", ERROR_FILE_NOT_FOUND},
        {u"tarnwick-no-such-program-anywhere", ERROR_FILE_NOT_FOUND},
        {platform::Utf8ToUtf16(folder.Join("plain.txt").string()), ERROR_FILE_NOT_FOUND},   // not executable
        {u"", ERROR_FILE_NOT_FOUND},
        {platform::Utf8ToUtf16(garbage.string()), ERROR_FILE_NOT_FOUND},
        {platform::Utf8ToUtf16(folder.String()), ERROR_FILE_NOT_FOUND},   // a folder
    };
    for (const Case& c : cases) {
        PROCESS_INFORMATION info{};
        SetLastError(0);
        EXPECT_FALSE(Start(c.line, info)) << platform::Utf16ToUtf8(c.line);
        EXPECT_EQ(GetLastError(), c.error) << platform::Utf16ToUtf8(c.line);
        EXPECT_EQ(info.hProcess, nullptr);
    }
}

TEST(Win32Process, ABareNameIsFoundAlongThePath)
{
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(Start(u"sh -c \"exit 5\"", info));
    EXPECT_EQ(WaitForSingleObject(info.hProcess, INFINITE), WAIT_OBJECT_0);
    DWORD code = 0;
    ASSERT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, 5u);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

class Win32Registry : public ::testing::Test {
protected:
    void TearDown() override { platform::ClearRegistry(); }

    // The text of a value, or "<error N>".
    static std::u16string Query(HKEY key, const char16_t* name, DWORD* type = nullptr)
    {
        BYTE buffer[2048] = {};
        DWORD size = sizeof(buffer);
        const LSTATUS status = RegQueryValueExW(key, name, nullptr, type, buffer, &size);
        if (status != ERROR_SUCCESS) return u"<error " + platform::Utf8ToUtf16(std::to_string(status)) + u">";
        return std::u16string(reinterpret_cast<const char16_t*>(buffer));
    }
};

TEST_F(Win32Registry, AnswersNotFoundUntilSeeded)
{
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u".txt", 0, KEY_READ, &key), static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(key, nullptr);
}

TEST_F(Win32Registry, ReadsSeededValuesWithoutRegardToCase)
{
    platform::SetRegistryValue(HKEY_CLASSES_ROOT, u".txt", u"", REG_SZ, u"txtfile");
    platform::SetRegistryValue(HKEY_CURRENT_USER, u"Software\\Tarnwick\\Editor", u"Command", REG_EXPAND_SZ,
                               u"%SystemRoot%\\x.exe");
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, u".TXT", 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(Query(key, nullptr), u"txtfile");
    EXPECT_EQ(Query(key, u""), u"txtfile");
    EXPECT_EQ(Query(key, u"Other"), u"<error 2>");
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);
    EXPECT_EQ(RegCloseKey(key), static_cast<LSTATUS>(ERROR_INVALID_HANDLE));

    // The same name under the other root is another key; parents exist; a child opens below them.
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u".txt", 0, KEY_READ, &key), static_cast<LSTATUS>(ERROR_FILE_NOT_FOUND));
    HKEY parent = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, u"software\\TARNWICK", 0, KEY_READ, &parent), ERROR_SUCCESS);
    ASSERT_EQ(RegOpenKeyExW(parent, u"editor", 0, KEY_READ, &key), ERROR_SUCCESS);
    DWORD type = 0;
    EXPECT_EQ(Query(key, u"command", &type), u"%SystemRoot%\\x.exe");
    EXPECT_EQ(type, REG_EXPAND_SZ);

    // Sizes are in bytes with the NUL; a short buffer is refused with the size needed.
    DWORD size = 0;
    EXPECT_EQ(RegQueryValueExW(key, u"Command", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
    EXPECT_EQ(size, 38u);
    BYTE small[8] = {};
    size = sizeof(small);
    EXPECT_EQ(RegQueryValueExW(key, u"Command", nullptr, nullptr, small, &size), static_cast<LSTATUS>(ERROR_MORE_DATA));
    EXPECT_EQ(size, 38u);
    RegCloseKey(key);
    RegCloseKey(parent);
}

TEST(Win32Environment, ExpandsKnownNamesAndKeepsTheRest)
{
    ScopedEnvironment root("TW_TEST_ROOT");
    root.Set("/opt/wïn");
    ScopedEnvironment missing("TW_TEST_MISSING");
    missing.Unset();
    struct Case {
        std::u16string source;
        std::u16string expanded;
    };
    const Case cases[] = {
        {u"%TW_TEST_ROOT%/bin", u"/opt/wïn/bin"},
        {u"a%TW_TEST_MISSING%b", u"a%TW_TEST_MISSING%b"},
        {u"%TW_TEST_MISSING%TW_TEST_ROOT%", u"%TW_TEST_MISSING/opt/wïn"},
        {u"100%", u"100%"},
        {u"%%", u"%%"},
        {u"", u""},
    };
    for (const Case& c : cases) {
        char16_t buffer[1024] = {};
        const DWORD needed = ExpandEnvironmentStringsW(c.source.c_str(), buffer, 1024);
        EXPECT_EQ(std::u16string(buffer), c.expanded) << platform::Utf16ToUtf8(c.source);
        EXPECT_EQ(needed, c.expanded.size() + 1);
    }
    char16_t small[4] = {u'x', 0, 0, 0};
    EXPECT_EQ(ExpandEnvironmentStringsW(u"%TW_TEST_ROOT%", small, 4), 9u);
    EXPECT_EQ(small[0], u'x');   // nothing written into a buffer too small
}

}  // namespace
