#include "foundation/log.h"

#include "foundation/mutex.h"
#include "foundation/wide_string.h"
#include "platform/crt/printf.h"
#include "platform/crt/wide_stdio.h"
#include "platform/win32/file.h"
#include "platform/win32/message_box.h"

#include <cstdarg>
#include <string>

namespace {

constexpr std::size_t kListenerUnits = 1024;
constexpr std::size_t kTaggedBytes = 1024;
constexpr std::size_t kErrorBoxUnits = 522;

struct LogState {
    GxMutex lock;
    std::u16string errorPath;
    std::u16string debugPath;
    std::u16string devicePath;
    std::int32_t errorCount = 0;
    GxDebugListenerBase* listener = nullptr;
    bool warningsMuted = false;
};

// Never destroyed, so that threads still logging while the process exits find it intact.
LogState& State()
{
    static LogState* state = new LogState;
    return *state;
}

void AppendToFile(const std::u16string& path, const char16_t* text)
{
    if (path.empty()) return;
    std::FILE* file = _wfopen(path.c_str(), u"a, ccs=UTF-16LE");
    if (!file) return;   // a log never fails its caller
    fputws(text, file);
    fclose_w(file);
}

// Wide messages: the whole text to the file, at most 1023 units to the listener.
void PrintWide(std::u16string LogState::*path, std::int32_t level, bool count, const char16_t* format, va_list args)
{
    LogState& state = State();
    GxMutexScopedLock lock(state.lock);
    if (count) ++state.errorCount;
    const std::u16string& filePath = state.*path;
    if (!filePath.empty()) {
        va_list copy;
        va_copy(copy, args);
        std::u16string text = FormatWideV(format, copy);
        va_end(copy);
        AppendToFile(filePath, text.c_str());
    }
    if (state.listener) {
        char16_t buffer[kListenerUnits];
        va_list copy;
        va_copy(copy, args);
        FormatWideBufferV(buffer, kListenerUnits, format, copy);
        va_end(copy);
        state.listener->Output(buffer, level);
    }
}

void SetPath(std::u16string LogState::*path, const char16_t* value)
{
    LogState& state = State();
    GxMutexScopedLock lock(state.lock);
    state.*path = value ? value : u"";
}

void DeleteAt(std::u16string LogState::*path)
{
    LogState& state = State();
    GxMutexScopedLock lock(state.lock);
    if (!(state.*path).empty()) DeleteFileW((state.*path).c_str());
}

}  // namespace

void LogSetErrorFile(const char16_t* path)
{
    SetPath(&LogState::errorPath, path);
}

void LogSetDebugFile(const char16_t* path)
{
    SetPath(&LogState::debugPath, path);
}

void LogSetDeviceFile(const char16_t* path)
{
    SetPath(&LogState::devicePath, path);
}

void LogDeleteErrorFile()
{
    DeleteAt(&LogState::errorPath);
}

void LogDeleteDebugFile()
{
    DeleteAt(&LogState::debugPath);
}

void LogDeleteDeviceFile()
{
    DeleteAt(&LogState::devicePath);
}

bool LogResetErrorCount()
{
    LogState& state = State();
    GxMutexScopedLock lock(state.lock);
    state.errorCount = 0;
    return true;
}

std::int32_t LogGetErrorCount()
{
    LogState& state = State();
    GxMutexScopedLock lock(state.lock);
    return state.errorCount;
}

void LogSetSink(GxDebugListenerBase* listener)
{
    LogState& state = State();
    GxMutexScopedLock lock(state.lock);
    state.listener = listener;
}

void LogSetWarningsMuted(bool muted)
{
    LogState& state = State();
    GxMutexScopedLock lock(state.lock);
    state.warningsMuted = muted;
}

void LogPrint(const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    PrintWide(&LogState::errorPath, GxDebugListenerBase::kLevelError, true, format, args);
    va_end(args);
}

void LogPrintWarning(const char16_t* format, ...)
{
    LogState& state = State();
    // Held across the check and the print, so a concurrent unmute cannot split the decision.
    GxMutexScopedLock lock(state.lock);
    if (state.warningsMuted) return;
    va_list args;
    va_start(args, format);
    PrintWide(&LogState::errorPath, GxDebugListenerBase::kLevelWarning, true, format, args);
    va_end(args);
}

void LogPrintDebug(const char16_t* format, ...)
{
    va_list args;
    va_start(args, format);
    PrintWide(&LogState::debugPath, GxDebugListenerBase::kLevelDebug, false, format, args);
    va_end(args);
}

void LogPrintDevice(const char16_t* format, ...)
{
    LogState& state = State();
    GxMutexScopedLock lock(state.lock);
    if (state.devicePath.empty()) return;
    va_list args;
    va_start(args, format);
    std::u16string text = FormatWideV(format, args);
    va_end(args);
    AppendToFile(state.devicePath, text.c_str());
}

void LogPrintTagged(const char* format, ...)
{
    LogState& state = State();
    GxMutexScopedLock lock(state.lock);
    ++state.errorCount;

    char buffer[kTaggedBytes];
    va_list args;
    va_start(args, format);
    if (format)
        FormatNarrowTruncate(buffer, kTaggedBytes, format, args);
    else
        buffer[0] = '\0';
    va_end(args);

    if (state.errorPath.empty() && !state.listener) return;
    std::u16string text = MultiByteToWide(buffer);
    AppendToFile(state.errorPath, text.c_str());
    if (state.listener) state.listener->Output(text.c_str(), GxDebugListenerBase::kLevelError);
}

int ShowErrorBox(const char16_t* caption, const char16_t* format, ...)
{
    char16_t buffer[kErrorBoxUnits];
    va_list args;
    va_start(args, format);
    FormatWideBufferV(buffer, kErrorBoxUnits, format, args);
    va_end(args);
    return MessageBoxW(nullptr, buffer, caption, MB_ICONINFORMATION);
}
