#include "platform/win32/timer.h"

#include <time.h>

#include <atomic>
#include <cstdint>

namespace {

// The millisecond clock starts here rather than at 0, which callers read as "not started".
constexpr std::uint64_t kClockBaseMilliseconds = 0x10000;
constexpr LONGLONG kCounterFrequency = 1000000;   // the performance counter counts microseconds

std::atomic<bool> g_FakeClock{false};
std::atomic<std::uint64_t> g_FakeMilliseconds{1000};
std::atomic<DWORD> g_FakeSleptMilliseconds{0};
std::atomic<DWORD> g_FakeSleepCalls{0};

std::uint64_t MonotonicMicroseconds()
{
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000u;
}

}  // namespace

DWORD timeGetTime()
{
    if (g_FakeClock.load(std::memory_order_acquire)) return static_cast<DWORD>(g_FakeMilliseconds.load());
    static const std::uint64_t start = MonotonicMicroseconds() / 1000u;
    return static_cast<DWORD>(MonotonicMicroseconds() / 1000u - start + kClockBaseMilliseconds);
}

UINT timeBeginPeriod(UINT) { return TIMERR_NOERROR; }

UINT timeEndPeriod(UINT) { return TIMERR_NOERROR; }

BOOL QueryPerformanceCounter(LARGE_INTEGER* count)
{
    if (!count) return FALSE;
    const std::uint64_t microseconds =
        g_FakeClock.load(std::memory_order_acquire) ? g_FakeMilliseconds.load() * 1000u : MonotonicMicroseconds();
    count->QuadPart = static_cast<LONGLONG>(microseconds);
    return TRUE;
}

BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency)
{
    if (!frequency) return FALSE;
    frequency->QuadPart = kCounterFrequency;
    return TRUE;
}

namespace platform {

void SetFakeClock(bool enabled, DWORD startMilliseconds)
{
    g_FakeMilliseconds = startMilliseconds;
    g_FakeSleptMilliseconds = 0;
    g_FakeSleepCalls = 0;
    g_FakeClock.store(enabled, std::memory_order_release);
}

bool IsFakeClock() { return g_FakeClock.load(std::memory_order_acquire); }

void SetFakeTime(DWORD milliseconds) { g_FakeMilliseconds = milliseconds; }

void AdvanceFakeTime(DWORD milliseconds) { g_FakeMilliseconds += milliseconds; }

DWORD FakeClockSleptMilliseconds() { return g_FakeSleptMilliseconds; }

DWORD FakeClockSleepCalls() { return g_FakeSleepCalls; }

void RecordFakeSleep(DWORD milliseconds)
{
    g_FakeSleptMilliseconds += milliseconds;
    ++g_FakeSleepCalls;
    g_FakeMilliseconds += milliseconds;
}

}  // namespace platform
