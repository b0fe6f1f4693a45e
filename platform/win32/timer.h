// The millisecond clock, timer resolution and the performance counter, with a fake clock
// for tests.
#pragma once

#include "platform/win32/win_types.h"

constexpr UINT TIMERR_NOERROR = 0;

// 32-bit milliseconds, monotonic, wrapping at 2^32; never 0 in the first seconds of a run.
DWORD timeGetTime();
UINT timeBeginPeriod(UINT period);   // no effect on Linux
UINT timeEndPeriod(UINT period);
BOOL QueryPerformanceCounter(LARGE_INTEGER* count);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* frequency);

namespace platform {

// Sleeps until `marginMicroseconds` before timeGetTime reaches `clockMs` (at most 2^31 ms ahead;
// a value already reached returns at once), with one sleep to an absolute monotonic deadline so
// the scheduler's lateness does not add up. The caller reads the clock past the margin.
void SleepUntilClockTime(DWORD clockMs, DWORD marginMicroseconds);

// Fake clock for tests: while on, timeGetTime returns the fake value, the performance
// counter counts the fake time in microseconds (frequency 1,000,000), and SleepEx adds its
// milliseconds to the fake clock instead of waiting.
void SetFakeClock(bool enabled, DWORD startMilliseconds = 1000);
bool IsFakeClock();
void SetFakeTime(DWORD milliseconds);
void AdvanceFakeTime(DWORD milliseconds);
// Total of the milliseconds passed to SleepEx since the fake clock was turned on, and the count of calls.
DWORD FakeClockSleptMilliseconds();
DWORD FakeClockSleepCalls();
// SleepEx's share of the fake clock: counts the call and advances the time.
void RecordFakeSleep(DWORD milliseconds);

}  // namespace platform
