#include "platform/dsound/primary_buffer.h"

#include "platform/audio/mix_format.h"
#include "platform/dsound/census.h"
#include "platform/dsound/direct_sound.h"

namespace platform {

DirectSoundPrimaryBuffer::DirectSoundPrimaryBuffer(DirectSoundDevice* device, DWORD flags)
    : m_Flags(flags), m_Device(device)
{
    // The mixer's own output until the engine sets one.
    m_Format.wFormatTag = WAVE_FORMAT_PCM;
    m_Format.nChannels = kMixChannels;
    m_Format.nSamplesPerSec = kMixRate;
    m_Format.wBitsPerSample = 16;
    m_Format.nBlockAlign = kMixChannels * 2;
    m_Format.nAvgBytesPerSec = kMixRate * m_Format.nBlockAlign;
    dsound_detail::AddBuffer(this, {true, flags, 0});
}

DirectSoundPrimaryBuffer::~DirectSoundPrimaryBuffer() { dsound_detail::RemoveBuffer(this); }

HRESULT DirectSoundPrimaryBuffer::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDirectSoundBuffer) {
        *object = static_cast<IDirectSoundBuffer*>(this);
    } else if (riid == IID_IDirectSound3DListener) {
        const HRESULT forced = DirectSoundFaultsNow().queryListener;
        if (FAILED(forced)) return forced;
        if (!(m_Flags & DSBCAPS_CTRL3D)) return E_NOINTERFACE;
        *object = static_cast<IDirectSound3DListener*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG DirectSoundPrimaryBuffer::AddRef() { return ++m_RefCount; }

ULONG DirectSoundPrimaryBuffer::Release()
{
    const ULONG count = --m_RefCount;
    if (count == 0) {
        DirectSoundDevice* device = nullptr;
        {
            std::lock_guard<std::mutex> lock(m_Mutex);
            device = m_Device;
        }
        if (device) device->ForgetPrimary(this);
        delete this;
    }
    return count;
}

void DirectSoundPrimaryBuffer::Detach()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Device = nullptr;
}

HRESULT DirectSoundPrimaryBuffer::GetCaps(DSBCAPS* caps)
{
    if (!caps || caps->dwSize != sizeof(DSBCAPS)) return DSERR_INVALIDPARAM;
    caps->dwFlags = m_Flags;
    caps->dwBufferBytes = 0;
    caps->dwUnlockTransferRate = 0;
    caps->dwPlayCpuOverhead = 0;
    return DS_OK;
}

HRESULT DirectSoundPrimaryBuffer::GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor)
{
    if (playCursor) *playCursor = 0;
    if (writeCursor) *writeCursor = 0;
    return DS_OK;
}

HRESULT DirectSoundPrimaryBuffer::GetFormat(WAVEFORMATEX* format, DWORD sizeAllocated, DWORD* sizeWritten)
{
    if (!format && !sizeWritten) return DSERR_INVALIDPARAM;
    if (format) {
        if (sizeAllocated < sizeof(WAVEFORMATEX)) return DSERR_INVALIDPARAM;
        std::lock_guard<std::mutex> lock(m_Mutex);
        *format = m_Format;
    }
    if (sizeWritten) *sizeWritten = sizeof(WAVEFORMATEX);
    return DS_OK;
}

HRESULT DirectSoundPrimaryBuffer::GetVolume(LONG* volume)
{
    if (!volume) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(m_Mutex);
    *volume = m_Volume;
    return DS_OK;
}

HRESULT DirectSoundPrimaryBuffer::GetPan(LONG* pan)
{
    if (!pan) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(m_Mutex);
    *pan = m_Pan;
    return DS_OK;
}

HRESULT DirectSoundPrimaryBuffer::GetStatus(DWORD* status)
{
    if (!status) return DSERR_INVALIDPARAM;
    *status = 0;
    return DS_OK;
}

// The primary buffer's memory is the mixer's, never the caller's.
HRESULT DirectSoundPrimaryBuffer::Lock(DWORD, DWORD, void**, DWORD*, void**, DWORD*, DWORD) { return DSERR_INVALIDCALL; }
HRESULT DirectSoundPrimaryBuffer::Play(DWORD, DWORD, DWORD) { return DS_OK; }
HRESULT DirectSoundPrimaryBuffer::SetCurrentPosition(DWORD) { return DSERR_INVALIDCALL; }

HRESULT DirectSoundPrimaryBuffer::SetFormat(const WAVEFORMATEX* format)
{
    const HRESULT forced = DirectSoundFaultsNow().setFormat;
    if (FAILED(forced)) return forced;
    if (!format) return DSERR_INVALIDPARAM;
    if (!IsMixableFormat(*format)) return DSERR_BADFORMAT;
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_Device) return DSERR_UNINITIALIZED;
    m_Format = *format;
    m_Format.cbSize = 0;
    return DS_OK;
}

HRESULT DirectSoundPrimaryBuffer::SetVolume(LONG volume)
{
    if (!(m_Flags & DSBCAPS_CTRLVOLUME)) return DSERR_CONTROLUNAVAIL;
    if (volume < DSBVOLUME_MIN || volume > DSBVOLUME_MAX) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Volume = volume;
    return DS_OK;
}

HRESULT DirectSoundPrimaryBuffer::SetPan(LONG pan)
{
    if (!(m_Flags & DSBCAPS_CTRLPAN)) return DSERR_CONTROLUNAVAIL;
    if (pan < DSBPAN_LEFT || pan > DSBPAN_RIGHT) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Pan = pan;
    return DS_OK;
}

HRESULT DirectSoundPrimaryBuffer::Stop() { return DS_OK; }
HRESULT DirectSoundPrimaryBuffer::Unlock(void*, DWORD, void*, DWORD) { return DSERR_INVALIDCALL; }
HRESULT DirectSoundPrimaryBuffer::Restore() { return DS_OK; }

HRESULT DirectSoundPrimaryBuffer::GetPosition(D3DVECTOR* position)
{
    if (!position) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(m_Mutex);
    *position = m_Applied.position;
    return DS_OK;
}

HRESULT DirectSoundPrimaryBuffer::GetOrientation(D3DVECTOR* front, D3DVECTOR* top)
{
    if (!front || !top) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(m_Mutex);
    *front = m_Applied.front;
    *top = m_Applied.top;
    return DS_OK;
}

HRESULT DirectSoundPrimaryBuffer::SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply)
{
    if (apply != DS3D_IMMEDIATE && apply != DS3D_DEFERRED) return DSERR_INVALIDPARAM;
    dsound_detail::Count(dsound_detail::Counter::ListenerSetPosition);
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Deferred.position = {x, y, z};
    if (apply == DS3D_IMMEDIATE) m_Applied.position = m_Deferred.position;
    return DS_OK;
}

HRESULT DirectSoundPrimaryBuffer::SetOrientation(D3DVALUE xFront, D3DVALUE yFront, D3DVALUE zFront, D3DVALUE xTop,
                                                 D3DVALUE yTop, D3DVALUE zTop, DWORD apply)
{
    if (apply != DS3D_IMMEDIATE && apply != DS3D_DEFERRED) return DSERR_INVALIDPARAM;
    dsound_detail::Count(dsound_detail::Counter::ListenerSetOrientation);
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Deferred.front = {xFront, yFront, zFront};
    m_Deferred.top = {xTop, yTop, zTop};
    if (apply == DS3D_IMMEDIATE) {
        m_Applied.front = m_Deferred.front;
        m_Applied.top = m_Deferred.top;
    }
    return DS_OK;
}

HRESULT DirectSoundPrimaryBuffer::CommitDeferredSettings()
{
    dsound_detail::Count(dsound_detail::Counter::Commit);
    DirectSoundDevice* device = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Applied = m_Deferred;
        device = m_Device;
    }
    if (device) device->CommitBuffers();
    return DS_OK;
}

}  // namespace platform
