#include "media/sound_buffer_base.h"

#include "foundation/log.h"
#include "media/sound_devices.h"
#include "media/sound_loader_base.h"

IDirectSound8* GxSoundBufferBase::Device() { return GetSoundDeviceState().m_Device; }

HRESULT GxSoundBufferBase::CreateSecondary(GxSoundLoaderBase* loader, DWORD flags, DWORD flags3D, DWORD bytes,
                                           bool use3D)
{
    m_Format = *loader->GetFormat();
    const bool with3D = use3D && m_Format.nChannels < 2;
    DSBUFFERDESC description{};
    description.dwSize = sizeof(DSBUFFERDESC);
    description.dwFlags = with3D ? flags3D : flags;
    description.dwBufferBytes = bytes;
    description.lpwfxFormat = &m_Format;
    description.guid3DAlgorithm = GUID_NULL;
    const HRESULT result = Device()->CreateSoundBuffer(&description, &m_Buffer, nullptr);
    if (FAILED(result)) m_Buffer = nullptr;
    return result;
}

bool GxSoundBufferBase::Query3D()
{
    if (FAILED(m_Buffer->QueryInterface(IID_IDirectSound3DBuffer, reinterpret_cast<void**>(&m_Buffer3D)))) {
        m_Buffer3D = nullptr;
        return false;
    }
    m_Params = {};
    m_Params.dwSize = sizeof(DS3DBUFFER);
    m_Buffer3D->GetAllParameters(&m_Params);
    m_Params.flMinDistance = kMinDistance;
    m_Params.flMaxDistance = kMaxDistance;
    return true;
}

void GxSoundBufferBase::ReleaseInterfaces()
{
    if (m_Buffer3D) m_Buffer3D->Release();
    m_Buffer3D = nullptr;
    if (m_Buffer) m_Buffer->Release();
    m_Buffer = nullptr;
    m_Format = {};
}

bool GxSoundBufferBase::SetVolume(LONG volume)
{
    GxMutexScopedLock lock(m_Mutex);
    return m_Buffer && Device() && SUCCEEDED(m_Buffer->SetVolume(volume));
}

bool GxSoundBufferBase::SetPan(LONG pan)
{
    GxMutexScopedLock lock(m_Mutex);
    return m_Buffer && Device() && SUCCEEDED(m_Buffer->SetPan(pan));
}

bool GxSoundBufferBase::GetVolume(LONG* volume)
{
    GxMutexScopedLock lock(m_Mutex);
    return volume && m_Buffer && Device() && SUCCEEDED(m_Buffer->GetVolume(volume));
}

bool GxSoundBufferBase::GetPan(LONG* pan)
{
    GxMutexScopedLock lock(m_Mutex);
    return pan && m_Buffer && Device() && SUCCEEDED(m_Buffer->GetPan(pan));
}

bool GxSoundBufferBase::IsPlaying()
{
    GxMutexScopedLock lock(m_Mutex);
    DWORD status = 0;
    if (!m_Buffer || !Device() || FAILED(m_Buffer->GetStatus(&status)))
        return false;
    return (status & (DSBSTATUS_PLAYING | DSBSTATUS_LOOPING)) != 0;
}

bool GxSoundBufferBase::SetPosition(const D3DVECTOR& position)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Buffer3D) return false;
    m_Params.vPosition = position;
    return true;
}

bool GxSoundBufferBase::GetPosition(D3DVECTOR* position)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Buffer3D || !position) return false;
    *position = m_Params.vPosition;
    return true;
}

bool GxSoundBufferBase::SetMinDistance(float distance)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Buffer3D) return false;
    m_Params.flMinDistance = distance;
    return true;
}

bool GxSoundBufferBase::GetMinDistance(float* distance)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Buffer3D || !distance) return false;
    *distance = m_Params.flMinDistance;
    return true;
}

bool GxSoundBufferBase::SetMaxDistance(float distance)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Buffer3D) return false;
    m_Params.flMaxDistance = distance;
    return true;
}

bool GxSoundBufferBase::GetMaxDistance(float* distance)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Buffer3D || !distance) return false;
    *distance = m_Params.flMaxDistance;
    return true;
}

bool GxSoundBufferBase::SetConeAngle(DWORD insideAngle, DWORD outsideAngle)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Buffer3D) return false;
    if (outsideAngle < insideAngle) {
        LogPrintWarning(m_ConeAngleWarning);
        return false;
    }
    m_Params.dwInsideConeAngle = insideAngle;
    m_Params.dwOutsideConeAngle = outsideAngle;
    return true;
}

bool GxSoundBufferBase::GetConeAngles(DWORD* insideAngle, DWORD* outsideAngle)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Buffer3D || !insideAngle || !outsideAngle) return false;
    *insideAngle = m_Params.dwInsideConeAngle;
    *outsideAngle = m_Params.dwOutsideConeAngle;
    return true;
}

bool GxSoundBufferBase::SetConeOrientation(const D3DVECTOR& orientation)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Buffer3D) return false;
    m_Params.vConeOrientation = orientation;
    return true;
}

bool GxSoundBufferBase::GetConeOrientation(D3DVECTOR* orientation)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Buffer3D || !orientation) return false;
    *orientation = m_Params.vConeOrientation;
    return true;
}

bool GxSoundBufferBase::SetConeOutsideVolume(LONG volume)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Buffer3D) return false;
    m_Params.lConeOutsideVolume = volume;
    return true;
}

bool GxSoundBufferBase::SetVelocity(const D3DVECTOR& velocity)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Buffer3D) return false;
    m_Params.vVelocity = velocity;
    return true;
}

bool GxSoundBufferBase::SetMode(DWORD mode)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Buffer3D) return false;
    m_Params.dwMode = mode;
    return true;
}

bool GxSoundBufferBase::Apply3D(bool immediate)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Buffer3D) return false;
    return SUCCEEDED(m_Buffer3D->SetAllParameters(&m_Params, immediate ? DS3D_IMMEDIATE : DS3D_DEFERRED));
}
