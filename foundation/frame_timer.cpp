#include "foundation/frame_timer.h"

#include "platform/win32/sync.h"
#include "platform/win32/timer.h"

#include <algorithm>

namespace {

constexpr std::int64_t kCorrectionLimit = 4000;
constexpr std::uint64_t kRateMeasureSpan = 2000000;
// What is left of a frame's wait after the sleep. None: the clock counts whole milliseconds, so
// waking a little after the tick (the scheduler's usual lateness) reads the same value as waking
// on it, and a spin would cost a tenth of a millisecond of a core on every frame of a still
// picture.
constexpr DWORD kSpinMicroseconds = 0;

}  // namespace

GxFrameTimer::GxFrameTimer()
{
    m_Clock = DefaultClock();
    InitFrameTimer();
}

GxFrameTimer::ClockFunction GxFrameTimer::DefaultClock()
{
    return &timeGetTime;
}

void GxFrameTimer::InitFrameTimer()
{
    timeBeginPeriod(1);
    m_FramesPerSecond = 60;
    m_LogicRate = 60;
    m_MeasuredRate = 0.0f;
    m_FrameSkipping = true;
    m_MaximumSteps = 15;
    m_FrameCount = 0;
    m_RateMeasureStart = 0;
    m_RateMeasureStarted = false;
    m_RateMeasureFrames = 0;
    m_WaitSkippedOnce = true;
    m_SkipSuppressedOnce = true;
    ResetFrameTimer();
}

void GxFrameTimer::ResetFrameTimer()
{
    m_Elapsed = 0;
    m_FrameStart = 0;
    m_FrameStarted = false;
    m_Correction = 0;
    m_Carry = 0;
    m_LogicSteps = 1;
}

void GxFrameTimer::ResetTimerResolution()
{
    timeEndPeriod(1);
}

std::uint64_t GxFrameTimer::Now() const
{
    return static_cast<std::uint64_t>(m_Clock()) * 1000;
}

std::uint64_t GxFrameTimer::Since(std::uint64_t now, std::uint64_t start)
{
    // Both are whole milliseconds times 1000; subtracting the 32-bit millisecond values wraps correctly.
    DWORD ms = static_cast<DWORD>(now / 1000) - static_cast<DWORD>(start / 1000);
    return static_cast<std::uint64_t>(ms) * 1000;
}

std::uint64_t GxFrameTimer::WaitFrame()
{
    std::uint64_t now = Now();
    std::int64_t period = m_FramesPerSecond > 0 ? static_cast<std::int64_t>(1000000.0 / m_FramesPerSecond) : 0;
    std::int64_t target = period - m_Correction;

    if (!m_FrameStarted) {
        m_FrameStart = now;
        m_FrameStarted = true;
    }
    if (!m_RateMeasureStarted) {
        m_MeasuredRate = 0.0f;
        m_RateMeasureStart = now;
        m_RateMeasureStarted = true;
        m_RateMeasureFrames = 0;
    }

    std::int64_t passed = static_cast<std::int64_t>(Since(now, m_FrameStart));
    if (m_WaitSkippedOnce || passed >= target || m_FramesPerSecond == 0) {
        SleepEx(0, TRUE);
    } else {
        if (m_Clock == DefaultClock() && !platform::IsFakeClock()) {
            // One sleep to an absolute deadline just short of the first clock value at or past
            // the target; only the last fraction of a millisecond is spun on the clock.
            const auto targetMs = static_cast<DWORD>((target + 999) / 1000);
            platform::SleepUntilClockTime(static_cast<DWORD>(m_FrameStart / 1000) + targetMs, kSpinMicroseconds);
        } else {
            // A clock that is not the system's (a test's) cannot be slept to: it moves only as it
            // is read or as the sleeps of the fake clock add to it.
            std::int64_t remainingMs = (target - passed) / 1000;
            std::int64_t sleepMs = remainingMs * 70 / 100 - 5;
            SleepEx(sleepMs > 0 ? static_cast<DWORD>(sleepMs) : 0, TRUE);
        }
        do {
            now = Now();
        } while (static_cast<std::int64_t>(Since(now, m_FrameStart)) < target);
    }
    m_Elapsed = Since(now, m_FrameStart);

    if (!m_FrameSkipping || m_SkipSuppressedOnce || m_LogicRate <= 0) {
        m_LogicSteps = 1;
        m_Carry = 0;
    } else {
        std::int64_t logicPeriod = static_cast<std::int64_t>(1000000.0 / m_LogicRate);
        std::int64_t elapsed = static_cast<std::int64_t>(m_Elapsed);
        // The steps use the carry before its decay.
        std::int64_t steps = logicPeriod > 0 ? (elapsed + m_Carry) / logicPeriod : 1;
        steps = std::max<std::int64_t>(std::min<std::int64_t>(steps, m_MaximumSteps), 1);
        m_Carry = m_Carry * 90 / 100;
        m_Carry += elapsed - steps * logicPeriod;
        m_Carry = std::min<std::int64_t>(m_Carry, static_cast<std::int64_t>(m_MaximumSteps) * logicPeriod);
        m_LogicSteps = static_cast<std::int32_t>(steps);
    }

    if (m_SkipSuppressedOnce)
        m_Correction = 0;
    else
        m_Correction = std::clamp<std::int64_t>(static_cast<std::int64_t>(m_Elapsed) - target, -kCorrectionLimit,
                                                kCorrectionLimit);

    ++m_FrameCount;
    m_FrameStart = now;
    ++m_RateMeasureFrames;
    m_WaitSkippedOnce = false;
    m_SkipSuppressedOnce = false;

    std::uint64_t measured = Since(now, m_RateMeasureStart);
    if (measured >= kRateMeasureSpan) {
        m_MeasuredRate = static_cast<float>(static_cast<double>(m_RateMeasureFrames) * 1000000.0 /
                                            static_cast<double>(measured));
        m_RateMeasureStart = now;
        m_RateMeasureFrames = 0;
    }
    return m_Elapsed;
}
