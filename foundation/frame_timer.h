// Paces the main loop: waits out each frame's share of time, measures the frame, decides how
// many logic passes it must run (frame skipping) and measures the frame rate.
// All times are microseconds taken from the 32-bit millisecond clock; differences are taken
// in unsigned 32-bit milliseconds first, so the clock's wrap after 2^32 ms is harmless.
#pragma once

#include "platform/win32/win_types.h"

#include <cstdint>

class GxFrameTimer {
public:
    using ClockFunction = DWORD (*)();

    // InitFrameTimer.
    GxFrameTimer();

    // Timer resolution 1 ms, 60 frames and 60 logic passes per second, frame skipping on,
    // at most 15 steps; the first WaitFrame neither waits nor skips.
    void InitFrameTimer();
    // A fresh period from the next frame on (after the window moved, or a movie played).
    void ResetFrameTimer();
    // Waits for the frame and returns its length in microseconds.
    std::uint64_t WaitFrame();
    void ResetTimerResolution();

    std::int32_t GetLogicSteps() const { return m_LogicSteps; }
    float GetMeasuredRate() const { return m_MeasuredRate; }
    // Frames counted into the running rate measurement; 0 right after a measurement completed.
    std::uint64_t GetRateMeasureFrames() const { return m_RateMeasureFrames; }
    std::uint64_t GetElapsed() const { return m_Elapsed; }
    std::uint64_t GetFrameCount() const { return m_FrameCount; }
    std::int64_t GetCorrection() const { return m_Correction; }
    std::int64_t GetCarry() const { return m_Carry; }
    std::int32_t GetFramesPerSecond() const { return m_FramesPerSecond; }
    std::int32_t GetLogicRate() const { return m_LogicRate; }
    std::int32_t GetMaximumSteps() const { return m_MaximumSteps; }
    bool IsFrameSkipping() const { return m_FrameSkipping; }

    void SetFramesPerSecond(std::int32_t fps) { m_FramesPerSecond = fps; }
    void SetLogicRate(std::int32_t rate) { m_LogicRate = rate; }
    void SetMaximumSteps(std::int32_t steps) { m_MaximumSteps = steps; }
    void SetFrameSkipping(bool on) { m_FrameSkipping = on; }

    // The millisecond clock read by WaitFrame (timeGetTime unless a test supplies its own).
    void SetClock(ClockFunction clock) { m_Clock = clock ? clock : DefaultClock(); }

private:
    static ClockFunction DefaultClock();
    std::uint64_t Now() const;
    static std::uint64_t Since(std::uint64_t now, std::uint64_t start);

    bool m_WaitSkippedOnce = true;
    std::uint64_t m_Elapsed = 0;
    std::uint64_t m_FrameStart = 0;
    bool m_FrameStarted = false;
    std::int32_t m_FramesPerSecond = 60;
    std::int64_t m_Correction = 0;
    std::uint64_t m_FrameCount = 0;
    std::uint64_t m_RateMeasureStart = 0;
    bool m_RateMeasureStarted = false;
    std::uint64_t m_RateMeasureFrames = 0;
    float m_MeasuredRate = 0.0f;
    bool m_FrameSkipping = true;
    std::int32_t m_LogicSteps = 1;
    std::int32_t m_LogicRate = 60;
    std::int32_t m_MaximumSteps = 15;
    std::int64_t m_Carry = 0;
    bool m_SkipSuppressedOnce = true;
    ClockFunction m_Clock = nullptr;
};
