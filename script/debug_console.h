// GxDebugConsoleOutputEx: the process's one log listener; keeps the last 20 error, warning and
// debug lines for the on-screen debug status line. Loader threads log too, so the queue has its
// own lock and the drawing reads a copy taken under it.
#pragma once

#include "foundation/log.h"
#include "foundation/mutex.h"

#include <cstddef>
#include <deque>
#include <string>

class GxDebugConsoleOutputEx : public GxDebugListenerBase {
public:
    static constexpr std::size_t kMaxLines = 20;

    // Any thread (under the log lock); the level is not kept.
    int Output(const char16_t* text, std::int32_t level) override;
    // The lines, oldest first, as one consistent copy.
    std::deque<std::u16string> GetLines() const;

private:
    mutable GxMutex m_Mutex;
    std::deque<std::u16string> m_Lines;
};

// The one console of the process, registered with LogSetSink by the game start-up.
GxDebugConsoleOutputEx& GetDebugConsoleOutput();
