// Child processes: the Win32 kernel subset over posix_spawn. A process and its main thread are
// two handles of the handle table, both signalled when the child ends, so WaitForSingleObject
// and CloseHandle take them like any other kernel handle.
#pragma once

#include "platform/win32/sync.h"
#include "platform/win32/win_types.h"

#include <string>
#include <string_view>
#include <vector>

constexpr DWORD NORMAL_PRIORITY_CLASS = 0x20;

struct STARTUPINFOW {
    DWORD cb = 0;
    LPWSTR lpReserved = nullptr;
    LPWSTR lpDesktop = nullptr;
    LPWSTR lpTitle = nullptr;
    DWORD dwX = 0;
    DWORD dwY = 0;
    DWORD dwXSize = 0;
    DWORD dwYSize = 0;
    DWORD dwXCountChars = 0;
    DWORD dwYCountChars = 0;
    DWORD dwFillAttribute = 0;
    DWORD dwFlags = 0;
    WORD wShowWindow = 0;
    WORD cbReserved2 = 0;
    BYTE* lpReserved2 = nullptr;
    HANDLE hStdInput = nullptr;
    HANDLE hStdOutput = nullptr;
    HANDLE hStdError = nullptr;
};

struct PROCESS_INFORMATION {
    HANDLE hProcess = nullptr;
    HANDLE hThread = nullptr;
    DWORD dwProcessId = 0;
    DWORD dwThreadId = 0;
};

// The program is the application name when given, else the first word of the command line;
// the arguments are the rest of the command line, split by the Windows rules. A program name
// with a folder is found like a file (case-insensitive, "\" as "/"); a bare name is looked for
// in the current folder, then along PATH. The child gets this process's environment and
// folder (an environment or folder of its own is not supported: ERROR_INVALID_PARAMETER),
// and no handles of the handle table. A program that cannot be found or started (missing, not
// executable, not a program) fails with ERROR_FILE_NOT_FOUND. Creation flags and
// start-up information are accepted and otherwise ignored. The child is reaped when it ends,
// whether or not its handles are still open.
BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, SECURITY_ATTRIBUTES* processAttributes,
                    SECURITY_ATTRIBUTES* threadAttributes, BOOL inheritHandles, DWORD creationFlags,
                    LPVOID environment, LPCWSTR currentDirectory, STARTUPINFOW* startupInfo,
                    PROCESS_INFORMATION* processInformation);
// STILL_ACTIVE while the child runs; afterwards its exit status, or 128 + the signal number
// when a signal ended it. Takes the process handle (not the thread handle).
BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode);

namespace platform {

// The words of a Windows command line. The first word (the program) ends at the first blank
// outside quotes and takes backslashes literally; in later words 2n backslashes before a quote
// give n backslashes and the quote opens or closes a quoted part, 2n+1 give n and a literal
// quote, other backslashes stay, and "" inside a quoted part is one literal quote.
std::vector<std::u16string> SplitCommandLine(std::u16string_view commandLine);

}  // namespace platform
