#include "platform/win32/process.h"

#include "platform/win32/codepage.h"
#include "platform/win32/file.h"
#include "platform/win32/handle_table.h"

#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <system_error>
#include <thread>

extern char** environ;

namespace {

// Shared by the process handle, the thread handle and the thread that reaps the child;
// guarded by WaitMutex().
struct ProcessState {
    pid_t pid = 0;
    bool ended = false;
    DWORD exitCode = STILL_ACTIVE;
};

class ProcessObject : public platform::WaitableObject {
public:
    explicit ProcessObject(std::shared_ptr<ProcessState> state) : m_State(std::move(state)) {}
    bool IsSignalled() const override { return m_State->ended; }
    const ProcessState& State() const { return *m_State; }

private:
    std::shared_ptr<ProcessState> m_State;
};

// The child's main thread: it ends with the child.
class ProcessThreadObject : public platform::WaitableObject {
public:
    explicit ProcessThreadObject(std::shared_ptr<ProcessState> state) : m_State(std::move(state)) {}
    bool IsSignalled() const override { return m_State->ended; }

private:
    std::shared_ptr<ProcessState> m_State;
};

BOOL FailWith(DWORD error)
{
    SetLastError(error);
    return FALSE;
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

bool IsRegularFile(const std::string& path)
{
    struct stat info{};
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// The native path of the program, or empty when there is none of that name.
std::string FindProgram(const std::u16string& name)
{
    if (name.empty()) return {};
    if (name.find_first_of(u"/\\") != std::u16string::npos) {
        bool found = false;
        std::string path = platform::ResolvePath(name, false, found);
        return found && IsRegularFile(path) ? path : std::string();
    }
    bool found = false;
    std::string local = platform::ResolvePath(name, false, found);
    if (found && IsRegularFile(local)) return local.front() == '/' ? local : "./" + local;
    const char* searchPath = std::getenv("PATH");
    if (!searchPath) return {};
    const std::string utf8 = platform::Utf16ToUtf8(name);
    std::string folders = searchPath;
    std::size_t start = 0;
    while (start <= folders.size()) {
        std::size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        const std::string folder = end > start ? folders.substr(start, end - start) : std::string(".");
        const std::string candidate = folder + "/" + utf8;
        if (IsRegularFile(candidate) && access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return {};
}

DWORD ExitCodeFromStatus(int status)
{
    if (WIFEXITED(status)) return static_cast<DWORD>(WEXITSTATUS(status));
    if (WIFSIGNALED(status)) return 128 + static_cast<DWORD>(WTERMSIG(status));
    return 0;
}

// Waits for the child in the background so that it is reaped as soon as it ends, also when
// every handle to it is closed by then.
void ReapChild(std::shared_ptr<ProcessState> state)
{
    int status = 0;
    pid_t result = 0;
    do {
        result = waitpid(state->pid, &status, 0);
    } while (result < 0 && errno == EINTR);
    {
        std::lock_guard<std::mutex> lock(platform::WaitMutex());
        state->exitCode = result == state->pid ? ExitCodeFromStatus(status) : 0;
        state->ended = true;
    }
    platform::NotifyWaiters();
}

}  // namespace

BOOL CreateProcessW(LPCWSTR applicationName, LPWSTR commandLine, SECURITY_ATTRIBUTES*, SECURITY_ATTRIBUTES*, BOOL,
                    DWORD, LPVOID environment, LPCWSTR currentDirectory, STARTUPINFOW*,
                    PROCESS_INFORMATION* processInformation)
{
    if ((!applicationName && !commandLine) || environment || currentDirectory || !processInformation)
        return FailWith(ERROR_INVALID_PARAMETER);
    std::vector<std::u16string> words = platform::SplitCommandLine(commandLine ? commandLine : u"");
    const std::u16string program = applicationName ? std::u16string(applicationName)
                                                   : (words.empty() ? std::u16string() : words.front());
    if (words.empty()) words.push_back(program);

    const std::string path = FindProgram(program);
    if (path.empty() || access(path.c_str(), X_OK) != 0) return FailWith(ERROR_FILE_NOT_FOUND);

    std::vector<std::string> arguments;
    arguments.reserve(words.size());
    for (const std::u16string& word : words) arguments.push_back(platform::Utf16ToUtf8(word));
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    // The child starts with no blocked signals, whatever threads of the engine block.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t noSignals;
    sigemptyset(&noSignals);
    posix_spawnattr_setsigmask(&attributes, &noSignals);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK);
    auto state = std::make_shared<ProcessState>();
    const int error = posix_spawn(&state->pid, path.c_str(), nullptr, &attributes, argv.data(), environ);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) return FailWith(ERROR_FILE_NOT_FOUND);

    try {
        std::thread(ReapChild, state).detach();
    } catch (const std::system_error&) {
        // Without a reaper the child would linger as a zombie: end it now.
        kill(state->pid, SIGKILL);
        waitpid(state->pid, nullptr, 0);
        return FailWith(ERROR_NOT_ENOUGH_MEMORY);
    }
    processInformation->hProcess = platform::AddHandle(std::make_shared<ProcessObject>(state));
    processInformation->hThread = platform::AddHandle(std::make_shared<ProcessThreadObject>(state));
    processInformation->dwProcessId = static_cast<DWORD>(state->pid);
    processInformation->dwThreadId = static_cast<DWORD>(state->pid);
    return TRUE;
}

BOOL GetExitCodeProcess(HANDLE process, DWORD* exitCode)
{
    auto object = platform::FindHandleAs<ProcessObject>(process);
    if (!object) return FailWith(ERROR_INVALID_HANDLE);
    if (!exitCode) return FailWith(ERROR_INVALID_PARAMETER);
    std::lock_guard<std::mutex> lock(platform::WaitMutex());
    *exitCode = object->State().ended ? object->State().exitCode : STILL_ACTIVE;
    return TRUE;
}

namespace platform {

std::vector<std::u16string> SplitCommandLine(std::u16string_view line)
{
    std::vector<std::u16string> words;
    std::size_t i = 0;
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i >= line.size()) return words;

    // The program: quotes group, backslashes are plain characters.
    std::u16string program;
    bool quoted = false;
    for (; i < line.size(); ++i) {
        const char16_t c = line[i];
        if (c == u'"') {
            quoted = !quoted;
        } else if (IsBlank(c) && !quoted) {
            break;
        } else {
            program += c;
        }
    }
    words.push_back(std::move(program));

    while (true) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i >= line.size()) break;
        std::u16string word;
        quoted = false;
        while (i < line.size()) {
            const char16_t c = line[i];
            if (c == u'\\') {
                std::size_t count = 0;
                while (i < line.size() && line[i] == u'\\') {
                    ++count;
                    ++i;
                }
                if (i < line.size() && line[i] == u'"') {
                    word.append(count / 2, u'\\');
                    if (count % 2 == 1) {
                        word += u'"';
                        ++i;
                    }
                    // An even count leaves the quote to the next round, where it toggles.
                } else {
                    word.append(count, u'\\');
                }
            } else if (c == u'"') {
                if (quoted && i + 1 < line.size() && line[i + 1] == u'"') {
                    word += u'"';
                    i += 2;
                } else {
                    quoted = !quoted;
                    ++i;
                }
            } else if (IsBlank(c) && !quoted) {
                break;
            } else {
                word += c;
                ++i;
            }
        }
        words.push_back(std::move(word));
    }
    return words;
}

}  // namespace platform
