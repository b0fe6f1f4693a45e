// The process-wide log: "error.log", "debug.log" and "device.log" (UTF-16LE text, appended),
// an error counter, a switch that mutes warnings and one optional listener.
// Callers write the whole line, ending in "\n". Any thread may log.
#pragma once

#include <cstdint>

// Sees every error, warning and debug message as it is written, already cut to 1023 units.
// Called on the logging thread with the log lock held: it must not wait for another thread
// that may be logging.
class GxDebugListenerBase {
public:
    static constexpr std::int32_t kLevelWarning = 0;
    static constexpr std::int32_t kLevelError = 1;
    static constexpr std::int32_t kLevelDebug = 2;

    virtual ~GxDebugListenerBase() = default;
    // The result is not used.
    virtual int Output(const char16_t* text, std::int32_t level) = 0;
};

void LogSetErrorFile(const char16_t* path);
void LogSetDebugFile(const char16_t* path);
void LogSetDeviceFile(const char16_t* path);
// Delete the file at the stored path; a missing file is ignored.
void LogDeleteErrorFile();
void LogDeleteDebugFile();
void LogDeleteDeviceFile();
bool LogResetErrorCount();
std::int32_t LogGetErrorCount();
// Not owned: whoever registers the listener keeps it alive until it is replaced or cleared.
void LogSetSink(GxDebugListenerBase* listener);
void LogSetWarningsMuted(bool muted);

// Error: counts, "error.log", listener level 1.
void LogPrint(const char16_t* format, ...);
// Warning: as an error with listener level 0; dropped entirely while warnings are muted.
void LogPrintWarning(const char16_t* format, ...);
// Error with an 8-bit format and 8-bit arguments, cut to 1023 bytes before conversion.
void LogPrintTagged(const char* format, ...);
// Trace: "debug.log", listener level 2, not counted.
void LogPrintDebug(const char16_t* format, ...);
// Device report: "device.log" only; not counted, no listener.
void LogPrintDevice(const char16_t* format, ...);
// Modal information box with no owner, text cut to 521 units; writes no log. Returns the box's result.
int ShowErrorBox(const char16_t* caption, const char16_t* format, ...);
