#include "foundation/frame_timer.h"
#include "foundation/profile.h"
#include "platform/win32/timer.h"

#include <gtest/gtest.h>

namespace {

// Reads the fake clock and moves it on by 1 ms, so the timer's spin on the clock comes to an end.
DWORD AdvancingClock()
{
    DWORD now = timeGetTime();
    platform::AdvanceFakeTime(1);
    return now;
}

constexpr DWORD kStart = 100000;

class FrameTimerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        platform::SetFakeClock(true, kStart);
        m_Timer.InitFrameTimer();
    }
    void TearDown() override { platform::SetFakeClock(false); }

    // A frame `ms` after the previous one; longer than the period, so nothing waits.
    std::uint64_t FrameAfter(DWORD ms)
    {
        platform::AdvanceFakeTime(ms);
        return m_Timer.WaitFrame();
    }

    GxFrameTimer m_Timer;
};

TEST_F(FrameTimerTest, FirstFrameNeitherWaitsNorSkips)
{
    m_Timer.SetClock(&AdvancingClock);
    DWORD slept = platform::FakeClockSleptMilliseconds();
    EXPECT_EQ(m_Timer.WaitFrame(), 0u);
    EXPECT_EQ(platform::FakeClockSleptMilliseconds(), slept);
    EXPECT_EQ(m_Timer.GetLogicSteps(), 1);
    EXPECT_EQ(m_Timer.GetCorrection(), 0);
    EXPECT_EQ(m_Timer.GetFrameCount(), 1u);
}

TEST_F(FrameTimerTest, SleepsSeventyPercentLessFiveThenSpinsOutThePeriod)
{
    struct Case {
        DWORD passedMs;
        DWORD sleptMs;
    };
    // Period 16,666 us. Remaining 16,666: 16 * 70 / 100 - 5 = 6 ms. Remaining 6,666: 6 * 70 / 100 - 5 < 0.
    for (const Case& c : {Case{0, 6}, Case{10, 0}}) {
        m_Timer.InitFrameTimer();
        m_Timer.SetClock(&AdvancingClock);
        platform::SetFakeTime(kStart);
        m_Timer.WaitFrame();
        platform::SetFakeTime(kStart + c.passedMs);
        DWORD slept = platform::FakeClockSleptMilliseconds();
        EXPECT_EQ(m_Timer.WaitFrame(), 17000u) << c.passedMs;   // first whole ms at or past 16,666 us
        EXPECT_EQ(platform::FakeClockSleptMilliseconds() - slept, c.sleptMs) << c.passedMs;
    }
}

TEST_F(FrameTimerTest, ResetMakesTheNextFrameWaitAFullPeriod)
{
    m_Timer.SetClock(&AdvancingClock);
    m_Timer.WaitFrame();
    platform::AdvanceFakeTime(500);   // e.g. a movie played
    m_Timer.ResetFrameTimer();
    EXPECT_EQ(m_Timer.WaitFrame(), 17000u);
}

TEST_F(FrameTimerTest, StepsUseTheCarryBeforeItDecays)
{
    m_Timer.WaitFrame();
    EXPECT_EQ(FrameAfter(40), 40000u);
    EXPECT_EQ(m_Timer.GetLogicSteps(), 2);        // 40,000 / 16,666
    EXPECT_EQ(m_Timer.GetCarry(), 6668);          // 40,000 - 33,332
    EXPECT_EQ(m_Timer.GetCorrection(), 4000);     // 23,334 over target, clamped

    // (27,000 + 6,668) / 16,666 = 2; with the carry decayed first (6,001) it would be 1.
    FrameAfter(27);
    EXPECT_EQ(m_Timer.GetLogicSteps(), 2);
    EXPECT_EQ(m_Timer.GetCarry(), 6001 + 27000 - 33332);   // negative: the carry has no lower bound

    // A 10 s stall: steps capped at 15, the carry capped at 15 periods.
    FrameAfter(10000);
    EXPECT_EQ(m_Timer.GetLogicSteps(), 15);
    EXPECT_EQ(m_Timer.GetCarry(), 15 * 16666);
}

TEST_F(FrameTimerTest, CorrectionShortensTheNextTarget)
{
    m_Timer.WaitFrame();
    FrameAfter(60);
    ASSERT_EQ(m_Timer.GetCorrection(), 4000);
    // Target is now 12,666 us: a 13 ms frame is past it, so it does not wait, and stores +334.
    m_Timer.SetClock(&AdvancingClock);
    platform::AdvanceFakeTime(13);
    EXPECT_EQ(m_Timer.WaitFrame(), 13000u);
    EXPECT_EQ(m_Timer.GetCorrection(), 334);
}

TEST_F(FrameTimerTest, FrameSkippingOffAndMaximumStepsZero)
{
    m_Timer.SetFrameSkipping(false);
    m_Timer.WaitFrame();
    FrameAfter(100);
    EXPECT_EQ(m_Timer.GetLogicSteps(), 1);
    EXPECT_EQ(m_Timer.GetCarry(), 0);

    m_Timer.SetFrameSkipping(true);
    m_Timer.SetMaximumSteps(0);
    FrameAfter(100);
    EXPECT_EQ(m_Timer.GetLogicSteps(), 1);
    EXPECT_LE(m_Timer.GetCarry(), 0);
}

TEST_F(FrameTimerTest, RateIsMeasuredOnlyAfterTwoSeconds)
{
    m_Timer.WaitFrame();
    for (int i = 1; i < 100; ++i) FrameAfter(20);   // 1,980 ms into the measurement
    EXPECT_EQ(m_Timer.GetMeasuredRate(), 0.0f);
    FrameAfter(20);                                 // 2,000 ms, 101 frames counted
    EXPECT_FLOAT_EQ(m_Timer.GetMeasuredRate(), 50.5f);
    FrameAfter(20);
    EXPECT_FLOAT_EQ(m_Timer.GetMeasuredRate(), 50.5f);   // a new measurement has begun
}

TEST_F(FrameTimerTest, MillisecondClockWrapIsHarmless)
{
    m_Timer.SetClock(&AdvancingClock);
    platform::SetFakeTime(0xFFFFFFFAu);
    m_Timer.WaitFrame();
    // The wait crosses the wrap: it must neither stall nor see a huge frame.
    EXPECT_EQ(m_Timer.WaitFrame(), 17000u);
    EXPECT_EQ(m_Timer.GetLogicSteps(), 1);

    m_Timer.SetClock(nullptr);   // back to the plain clock
    platform::SetFakeTime(0xFFFFFFF0u);
    m_Timer.InitFrameTimer();
    m_Timer.WaitFrame();
    EXPECT_EQ(FrameAfter(40), 40000u);
    EXPECT_EQ(m_Timer.GetLogicSteps(), 2);
}

TEST(Profile, ResetStartsFromThePerformanceCounter)
{
    platform::SetFakeClock(true, 5000);
    EXPECT_DOUBLE_EQ(GetPerfTime(), 50000.0);   // 5,000 ms in units of 0.1 ms
    GxProfileEx profile;
    profile.Init();
    EXPECT_DOUBLE_EQ(profile.GetStartTime(), 50000.0);
    EXPECT_DOUBLE_EQ(profile.GetLastTime(), 50000.0);
    EXPECT_FALSE(profile.GetSlot(0).inUse);
    EXPECT_FALSE(profile.GetMark(GxProfileEx::kSlotCount - 1).inUse);
    platform::SetFakeClock(false);
}

}  // namespace
