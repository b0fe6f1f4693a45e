#include "script/text_editor.h"

#include "foundation/file.h"
#include "foundation/wide_string.h"
#include "platform/win32/environment.h"
#include "platform/win32/file.h"
#include "platform/win32/process.h"
#include "platform/win32/registry.h"

#include <algorithm>
#include <string>
#include <string_view>

namespace {

constexpr DWORD kValueBufferBytes = 2048;
constexpr DWORD kExpandUnits = 1024;

void ReplaceAll(std::u16string& text, std::u16string_view from, const std::u16string& to)
{
    for (std::size_t at = text.find(from); at != std::u16string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

std::u16string Decimal(std::int64_t value)
{
    const std::string digits = std::to_string(value);
    return std::u16string(digits.begin(), digits.end());
}

// A text value of an open key (null name: the default value); false when it cannot be read.
bool QueryText(HKEY key, const char16_t* name, std::u16string& text)
{
    constexpr std::size_t kUnits = kValueBufferBytes / sizeof(char16_t);
    char16_t buffer[kUnits + 1] = {};
    DWORD size = kValueBufferBytes;
    if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
        return false;
    // The stored text may lack its NUL; the extra unit ends it in any case.
    buffer[std::min<std::size_t>(size / sizeof(char16_t), kUnits)] = 0;
    text = buffer;
    return true;
}

// The value of the key below the root; false when the key or the value is missing.
bool ReadValue(HKEY root, const std::u16string& subKey, const char16_t* name, std::u16string& text)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    const bool read = QueryText(key, name, text);
    RegCloseKey(key);
    return read;
}

bool IsTrimmed(char16_t c) { return c <= 0x20; }

}  // namespace

std::u16string BuildEditorCommandLine(const std::u16string& command, const std::u16string& file, std::int32_t line)
{
    std::u16string result = command;
    ReplaceAll(result, u"%line", Decimal(line));
    ReplaceAll(result, u"%pos", u"0");
    ReplaceAll(result, u"%file", file);
    return result;
}

bool LaunchEditorProcess(const std::u16string& commandLine)
{
    std::u16string line = commandLine;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr,
                        &startup, &process))
        return false;
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return true;
}

std::u16string FindTextFileEditor()
{
    std::u16string commandKey;
    std::u16string application;
    if (ReadValue(HKEY_CURRENT_USER, u"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\FileExts\\.txt",
                  u"Application", application) &&
        !application.empty()) {
        commandKey = u"Applications\\" + application + u"\\shell\\open\\command";
    } else {
        HKEY typeKey = nullptr;
        if (RegOpenKeyExW(HKEY_CLASSES_ROOT, u".txt", 0, KEY_READ, &typeKey) != ERROR_SUCCESS)
            return {};
        std::u16string fileType;
        QueryText(typeKey, nullptr, fileType);
        RegCloseKey(typeKey);
        commandKey = fileType + u"\\shell\\open\\command";
    }

    std::u16string command;
    if (!ReadValue(HKEY_CLASSES_ROOT, commandKey, nullptr, command))
        return {};
    std::size_t first = 0;
    while (first < command.size() && IsTrimmed(command[first])) ++first;
    std::size_t last = command.size();
    while (last > first && IsTrimmed(command[last - 1])) --last;
    command = command.substr(first, last - first);
    if (command.empty())
        return {};

    std::u16string program;
    if (command.front() == u'"') {
        const std::size_t close = command.find(u'"', 1);
        program = command.substr(1, close == std::u16string::npos ? std::u16string::npos : close - 1);
    } else {
        program = command.substr(0, command.find(u' '));
    }

    char16_t expanded[kExpandUnits] = {};
    const DWORD needed = ExpandEnvironmentStringsW(program.c_str(), expanded, kExpandUnits);
    if (needed == 0 || needed > kExpandUnits)
        return {};
    return expanded;
}

std::u16string BuildKnownEditorArguments(const std::u16string& file, const std::u16string& editorName,
                                         std::int32_t line)
{
    std::u16string name = editorName;
    for (char16_t& c : name)
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    const std::u16string n = Decimal(line);
    const std::u16string quoted = u"\"" + file + u"\"";
    if (name == u"hidemaru.exe") return quoted + u" /jx" + n + u",0";
    if (name == u"sakura.exe") return u"-Y=" + n + u" -X=0 -- " + quoted;
    if (name == u"emeditor.exe") return u"/l " + n + u" " + quoted;
    if (name == u"terapad.exe") return u"/jl=" + n + u" " + quoted;
    if (name == u"apsaly.exe") return u"/j" + n + u" /c0 /d " + quoted;
    if (name == u"k2editor.exe") return quoted + u" /j" + n;
    if (name == u"wzeditor.exe") return u"/j" + n + u" " + quoted;
    if (name == u"gvim.exe") return u"--remote-tab-silent +" + n + u" " + quoted;
    return quoted;
}

bool OpenInTextEditor(const std::u16string& file, std::int32_t line)
{
    if (FileExists(file) == kFileNotFound)
        return false;
    const std::u16string editor = FindTextFileEditor();
    const std::size_t cut = editor.find_last_of(u"\\/:");
    const std::u16string editorName = cut == std::u16string::npos ? editor : editor.substr(cut + 1);
    // The association's quotes were dropped with its arguments; a path with a blank gets them
    // back, or the command line would split it into another program and stray arguments.
    const bool quote = editor.find_first_of(u" \t") != std::u16string::npos;
    const std::u16string program = quote ? u"\"" + editor + u"\"" : editor;
    return LaunchEditorProcess(program + u" " + BuildKnownEditorArguments(file, editorName, line));
}
