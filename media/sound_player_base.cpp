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
    m_Fade.Clear();
    m_PlayStartTime = 0;
    m_StartMs = 0;
    m_LoopStartMs = 0;
}

LONG GxSoundPlayerBase::PrepareStart(std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume,
                                     std::uint32_t loopStartMs)
{
    const LONG starting = m_Fade.Start(volume, fadeInMs);
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
    m_Fade.FadeOut(GetVolume(), fadeMs);
    return true;
}

bool GxSoundPlayerBase::SetVolume(LONG volume)
{
    return m_Fade.Redirect(volume) || SetBufferVolume(volume);
}

bool GxSoundPlayerBase::FinishFade()
{
    m_Fade.Finish([this](LONG volume) { SetBufferVolume(volume); }, [this] { Close(); });
    return true;
}

bool GxSoundPlayerBase::FadeStep()
{
    m_Fade.Step([this](LONG volume) { SetBufferVolume(volume); }, [this] { Close(); });
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
