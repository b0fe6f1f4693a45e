#include "script/script_compiler.h"

#include "foundation/file.h"
#include "foundation/log.h"
#include "platform/win32/file.h"
#include "platform/win32/process.h"
#include "platform/win32/sync.h"

#include <string>

std::u16string BuildCompilerCommandLine()
{
    // The folders are named below the current folder; it may come with or without its
    // trailing separator.
    const std::u16string folder = AppendPathSeparator(GetCurrentFolder());
    // The program path is quoted as well: an install folder with a blank would otherwise split
    // into another program and stray arguments.
    std::u16string line = u"\"";
    line += GetFullPath(u"moacgui.exe");
    line += u"\" \"" + folder + u"scripts\" \"" + folder + u"bincode\" -a -mc";
    return line;
}

int CompileScripts()
{
    std::u16string commandLine = BuildCompilerCommandLine();
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                        nullptr, &startup, &process)) {
        LogPrint(u"スクリプトコンパイラの起動に失敗しました\n");
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    GetExitCodeProcess(process.hProcess, &exitCode);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (exitCode != 0)
        LogPrint(u"コンパイル時にエラーが発生したため古いスクリプトを実行しています\n");
    return static_cast<int>(exitCode);
}
