#include "script/debug_console.h"

int GxDebugConsoleOutputEx::Output(const char16_t* text, std::int32_t)
{
    GxMutexScopedLock lock(m_Mutex);
    m_Lines.emplace_back(text != nullptr ? text : u"");
    if (m_Lines.size() > kMaxLines)
        m_Lines.pop_front();
    return 0;
}

std::deque<std::u16string> GxDebugConsoleOutputEx::GetLines() const
{
    GxMutexScopedLock lock(m_Mutex);
    return m_Lines;
}

GxDebugConsoleOutputEx& GetDebugConsoleOutput()
{
    // Never destroyed: the log may still hold it while other statics go away at exit.
    static GxDebugConsoleOutputEx* const console = new GxDebugConsoleOutputEx;
    return *console;
}
