#include "foundation/profile.h"

#include "platform/win32/timer.h"

double GetPerfTime()
{
    LARGE_INTEGER count{};
    LARGE_INTEGER frequency{};
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    if (frequency.QuadPart <= 0) return 0.0;
    return static_cast<double>(count.QuadPart) * 10000.0 / static_cast<double>(frequency.QuadPart);
}

void GxProfileEx::Init()
{
    for (GxProfileSlot& slot : m_Slots) slot = GxProfileSlot{};
    for (GxProfileMark& mark : m_Marks) mark = GxProfileMark{};
    Reset();
}

void GxProfileEx::Reset()
{
    m_StartTime = GetPerfTime();
    m_LastTime = m_StartTime;
    m_SpareTime = 0.0;
    for (GxProfileSlot& slot : m_Slots) slot.inUse = false;
    for (GxProfileMark& mark : m_Marks) mark.inUse = false;
}
