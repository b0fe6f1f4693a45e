#include "platform/win32/timer.h"

#include <time.h>

#include <cerrno>

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

std::uint64_t ClockStartMilliseconds()
{
    static const std::uint64_t start = MonotonicMicroseconds() / 1000u;
    return start;
}

DWORD ClockAt(std::uint64_t monotonicMilliseconds)
{
    return static_cast<DWORD>(monotonicMilliseconds - ClockStartMilliseconds() + kClockBaseMilliseconds);
}

}  // namespace

DWORD timeGetTime()
{
    if (g_FakeClock.load(std::memory_order_acquire)) return static_cast<DWORD>(g_FakeMilliseconds.load());
    return ClockAt(MonotonicMicroseconds() / 1000u);
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

void SleepUntilClockTime(DWORD clockMs, DWORD marginMicroseconds)
{
    if (IsFakeClock()) return;
    const std::uint64_t nowMs = MonotonicMicroseconds() / 1000u;
    const auto ahead = static_cast<std::int32_t>(clockMs - ClockAt(nowMs));
    if (ahead <= 0) return;
    // The clock turns to clockMs at the start of that monotonic millisecond.
    const std::uint64_t deadline = (nowMs + static_cast<std::uint64_t>(ahead)) * 1000u;
    if (deadline <= marginMicroseconds) return;
    const std::uint64_t wake = deadline - marginMicroseconds;
    timespec until{};
    until.tv_sec = static_cast<time_t>(wake / 1000000u);
    until.tv_nsec = static_cast<long>(wake % 1000000u) * 1000;
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr) == EINTR) {
    }
}

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
