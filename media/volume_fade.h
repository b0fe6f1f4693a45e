// The volume fade of a sound player, in its back end's volume unit: a ramp from a start to an end
// volume over a span of timeGetTime milliseconds. A fade-in starts and a fade-out ends at
// `Silence::kValue` (a type, since not every compiler takes a float as a template argument).
// The player applies the volumes; a fade-out closes it at its end. Both back ends' player bases
// keep one.
#pragma once

#include "platform/win32/timer.h"

#include <cstdint>

template <class Volume, class Silence>
struct GxVolumeFade {
    static constexpr Volume kSilent = Silence::kValue;

    // The players' kFadeNone, kFadeIn and kFadeOut.
    static constexpr int kNone = 0;
    static constexpr int kIn = 1;
    static constexpr int kOut = 2;

    void Clear() { *this = GxVolumeFade(); }

    // A play's fade: with `fadeInMs` a fade-in from silence to `volume`, else none; returns the
    // volume the buffer starts at.
    Volume Start(Volume volume, std::uint32_t fadeInMs)
    {
        if (fadeInMs == 0) {
            m_StartTime = 0;
            m_StartVolume = m_EndVolume = volume;
            m_Duration = 0;
            m_State = kNone;
            return volume;
        }
        m_StartTime = timeGetTime();
        m_EndVolume = volume;
        m_StartVolume = kSilent;
        m_Duration = fadeInMs;
        m_State = kIn;
        return kSilent;
    }

    // A fade-out from `current` to silence over `fadeMs`.
    void FadeOut(Volume current, std::uint32_t fadeMs)
    {
        m_StartTime = timeGetTime();
        m_StartVolume = current;
        m_EndVolume = kSilent;
        m_Duration = fadeMs;
        m_State = kOut;
    }

    // A volume set during a fade-in becomes its end volume, during a fade-out its start volume;
    // false without a fade (the volume is then the buffer's).
    bool Redirect(Volume volume)
    {
        if (m_State == kIn) {
            m_EndVolume = volume;
            return true;
        }
        if (m_State == kOut) {
            m_StartVolume = volume;
            return true;
        }
        return false;
    }

    // A running fade ends now: `apply` gets its end volume, and a fade-out calls `close`.
    template <class Apply, class Close>
    void Finish(Apply apply, Close close)
    {
        if (m_State == kNone)
            return;
        const bool fadingOut = m_State == kOut;
        m_State = kNone;
        apply(m_EndVolume);
        if (fadingOut)
            close();
    }

    // One step: `apply` gets the volume along the ramp, or Finish at the end of the span; a fade
    // without a start time or span just stops.
    template <class Apply, class Close>
    void Step(Apply apply, Close close)
    {
        if (m_State == kNone)
            return;
        if (m_StartTime == 0 || m_Duration == 0) {
            m_State = kNone;
            return;
        }
        // The clock wraps: the elapsed time is the unsigned difference.
        const std::uint32_t elapsed = timeGetTime() - m_StartTime;
        if (elapsed >= m_Duration) {
            Finish(apply, close);
            return;
        }
        const float t = static_cast<float>(elapsed) / static_cast<float>(m_Duration);
        apply(static_cast<Volume>(static_cast<float>(m_EndVolume - m_StartVolume) * t +
                                  static_cast<float>(m_StartVolume)));
    }

    std::uint32_t m_StartTime = 0;
    Volume m_EndVolume = kSilent;
    Volume m_StartVolume = kSilent;
    std::uint32_t m_Duration = 0;
    int m_State = kNone;
};
