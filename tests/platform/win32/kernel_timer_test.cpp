#include "platform/win32/timer.h"

#include <gtest/gtest.h>

namespace {

TEST(Win32Timer, RealClockIsNeverZeroEarlyAndDoesNotGoBack)
{
    platform::SetFakeClock(false);
    const DWORD first = timeGetTime();
    EXPECT_GE(first, 0x10000u);   // "not started" is 0 for the frame timer
    EXPECT_LT(timeGetTime() - first, 60000u);

    LARGE_INTEGER frequency{}, before{}, after{};
    EXPECT_TRUE(QueryPerformanceFrequency(&frequency));
    EXPECT_EQ(frequency.QuadPart, 1000000);
    EXPECT_TRUE(QueryPerformanceCounter(&before));
    EXPECT_TRUE(QueryPerformanceCounter(&after));
    EXPECT_GE(after.QuadPart, before.QuadPart);
    EXPECT_FALSE(QueryPerformanceCounter(nullptr));
    EXPECT_FALSE(QueryPerformanceFrequency(nullptr));
    EXPECT_EQ(timeBeginPeriod(1), TIMERR_NOERROR);
    EXPECT_EQ(timeEndPeriod(1), TIMERR_NOERROR);
}

TEST(Win32Timer, FakeClockDrivesBothClocksAndWrapsLikeWindows)
{
    platform::SetFakeClock(true);
    EXPECT_TRUE(platform::IsFakeClock());
    EXPECT_EQ(timeGetTime(), 1000u);
    platform::AdvanceFakeTime(16);
    EXPECT_EQ(timeGetTime(), 1016u);
    LARGE_INTEGER counter{};
    QueryPerformanceCounter(&counter);
    EXPECT_EQ(counter.QuadPart, 1016000);

    // The millisecond clock wraps at 2^32; the performance counter runs on.
    platform::SetFakeTime(0xFFFFFFF0u);
    platform::AdvanceFakeTime(0x20);
    EXPECT_EQ(timeGetTime(), 0x10u);
    QueryPerformanceCounter(&counter);
    EXPECT_EQ(counter.QuadPart, 0x100000010LL * 1000);

    platform::SetFakeClock(false);
    EXPECT_FALSE(platform::IsFakeClock());
    EXPECT_GE(timeGetTime(), 0x10000u);
}

}  // namespace
