#include "media/sound_player_base.h"

#include "media/sound_buffer_base.h"
#include "platform/win32/timer.h"

#include <cmath>

namespace {

constexpr float kDistanceEpsilon = 1.1920929e-7f;

bool SameVector(const D3DVECTOR& a, const D3DVECTOR& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

D3DVECTOR ToVector(const GxSoundVector& vector) { return {vector.x, vector.y, vector.z}; }

}  // namespace

GxSoundPlayerBase::GxSoundPlayerBase() { ++GetSoundDeviceState().m_PlayerSerial; }

std::uint32_t GxSoundPlayerBase::GetPlayerSerial() const { return GetSoundDeviceState().m_PlayerSerial; }

bool GxSoundPlayerBase::SetBufferVolume(LONG volume) { return Buffer()->SetVolume(volume); }

LONG GxSoundPlayerBase::GetVolume()
{
    LONG volume = kSilence;
    Buffer()->GetVolume(&volume);
    return volume;
}

void GxSoundPlayerBase::ClearFade()
{
    m_FadeStartTime = 0;
    m_FadeDuration = 0;
    m_PlayStartTime = 0;
    m_StartMs = 0;
    m_LoopStartMs = 0;
    m_FadeState = kFadeNone;
    m_FadeEndVolume = kSilence;
    m_FadeStartVolume = kSilence;
}

LONG GxSoundPlayerBase::PrepareStart(std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume,
                                     std::uint32_t loopStartMs)
{
    LONG starting = volume;
    if (fadeInMs == 0) {
        m_FadeStartTime = 0;
        m_FadeEndVolume = m_FadeStartVolume = volume;
        m_FadeDuration = 0;
        m_FadeState = kFadeNone;
    } else {
        m_FadeStartTime = timeGetTime();
        m_FadeEndVolume = volume;
        m_FadeStartVolume = kSilence;
        m_FadeDuration = fadeInMs;
        m_FadeState = kFadeIn;
        starting = kSilence;
    }
    m_PlayStartTime = timeGetTime();
    m_StartMs = startMs;
    m_LoopStartMs = loopStartMs;
    return starting;
}

void GxSoundPlayerBase::Store3D(const GxSoundVector* position, const GxSoundVector* orientation)
{
    if (position) m_Position = *position;
    if (orientation) m_Orientation = *orientation;
}

bool GxSoundPlayerBase::Stop(std::uint32_t fadeMs)
{
    if (fadeMs == 0)
        return Close();
    m_FadeStartVolume = GetVolume();
    m_FadeStartTime = timeGetTime();
    m_FadeEndVolume = kSilence;
    m_FadeDuration = fadeMs;
    m_FadeState = kFadeOut;
    return true;
}

bool GxSoundPlayerBase::SetVolume(LONG volume)
{
    if (m_FadeState == kFadeIn) {
        m_FadeEndVolume = volume;
        return true;
    }
    if (m_FadeState == kFadeOut) {
        m_FadeStartVolume = volume;
        return true;
    }
    return SetBufferVolume(volume);
}

bool GxSoundPlayerBase::FinishFade()
{
    if (m_FadeState != kFadeNone) {
        const bool fadingOut = m_FadeState == kFadeOut;
        SetBufferVolume(m_FadeEndVolume);
        m_FadeState = kFadeNone;
        if (fadingOut) Close();
    }
    return true;
}

bool GxSoundPlayerBase::FadeStep()
{
    if (m_FadeState == kFadeNone)
        return true;
    if (m_FadeStartTime == 0 || m_FadeDuration == 0) {
        m_FadeState = kFadeNone;
        return true;
    }
    // The clock wraps: the elapsed time is the unsigned difference.
    const std::uint32_t elapsed = timeGetTime() - m_FadeStartTime;
    if (elapsed >= m_FadeDuration) {
        const bool fadingOut = m_FadeState == kFadeOut;
        m_FadeState = kFadeNone;
        SetBufferVolume(m_FadeEndVolume);
        if (fadingOut) Close();
        return true;
    }
    const float t = static_cast<float>(elapsed) / static_cast<float>(m_FadeDuration);
    const float volume = static_cast<float>(m_FadeEndVolume - m_FadeStartVolume) * t + static_cast<float>(m_FadeStartVolume);
    SetBufferVolume(static_cast<LONG>(volume));
    return true;
}

bool GxSoundPlayerBase::Set3DPosition(const D3DVECTOR& position)
{
    D3DVECTOR current{};
    if (Buffer()->GetPosition(&current) && SameVector(current, position))
        return true;
    return Buffer()->SetPosition(position);
}

bool GxSoundPlayerBase::Get3DPosition(D3DVECTOR* position)
{
    if (!position) return false;
    *position = {0.0f, 0.0f, 0.0f};
    return Buffer()->GetPosition(position);
}

bool GxSoundPlayerBase::SetConeOrientation(const D3DVECTOR& orientation)
{
    D3DVECTOR current{};
    if (Buffer()->GetConeOrientation(&current) && SameVector(current, orientation))
        return true;
    return Buffer()->SetConeOrientation(orientation);
}

bool GxSoundPlayerBase::GetConeOrientation(D3DVECTOR* orientation)
{
    if (!orientation) return false;
    *orientation = {0.0f, 0.0f, 0.0f};
    return Buffer()->GetConeOrientation(orientation);
}

void GxSoundPlayerBase::Get3DOrientation(GxSoundVector* orientation) const
{
    if (!orientation) return;
    *orientation = m_Orientation;
    orientation->w = 0.0f;
}

bool GxSoundPlayerBase::SetMinDistance(float distance)
{
    float current = 0.0f;
    if (Buffer()->GetMinDistance(&current) && std::fabs(current - distance) <= kDistanceEpsilon)
        return true;
    return Buffer()->SetMinDistance(distance);
}

bool GxSoundPlayerBase::GetMinDistance(float* distance) { return Buffer()->GetMinDistance(distance); }

bool GxSoundPlayerBase::SetMaxDistance(float distance)
{
    float current = 0.0f;
    if (Buffer()->GetMaxDistance(&current) && std::fabs(current - distance) <= kDistanceEpsilon)
        return true;
    return Buffer()->SetMaxDistance(distance);
}

bool GxSoundPlayerBase::GetMaxDistance(float* distance) { return Buffer()->GetMaxDistance(distance); }

bool GxSoundPlayerBase::SetConeAngle(DWORD insideAngle, DWORD outsideAngle)
{
    return Buffer()->SetConeAngle(insideAngle, outsideAngle);
}

bool GxSoundPlayerBase::GetConeAngles(DWORD* insideAngle, DWORD* outsideAngle)
{
    return Buffer()->GetConeAngles(insideAngle, outsideAngle);
}

void GxSoundPlayerBase::Set3DSources(const GxSoundVector* position, const GxSoundVector* orientation)
{
    m_PositionSource = position;
    m_OrientationSource = orientation;
}

void GxSoundPlayerBase::Apply3DParams(bool immediate)
{
    if (m_PositionSource) {
        m_Position = *m_PositionSource;
        Set3DPosition(ToVector(m_Position));
    }
    if (m_OrientationSource) {
        m_Orientation = *m_OrientationSource;
        SetConeOrientation(ToVector(m_Orientation));
    }
    Buffer()->Apply3D(immediate);
}
