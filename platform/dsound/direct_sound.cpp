#include "platform/dsound/direct_sound.h"

#include "platform/audio/mix_format.h"
#include "platform/audio/mixer.h"
#include "platform/dsound/census.h"
#include "platform/dsound/primary_buffer.h"
#include "platform/dsound/secondary_buffer.h"
#include "platform/win32/window.h"

#include <algorithm>
#include <utility>

namespace platform {

namespace {

constexpr DWORD kPrimaryFlags = DSBCAPS_PRIMARYBUFFER | DSBCAPS_CTRL3D | DSBCAPS_CTRLVOLUME | DSBCAPS_CTRLPAN |
                                DSBCAPS_LOCHARDWARE | DSBCAPS_LOCSOFTWARE | DSBCAPS_STICKYFOCUS | DSBCAPS_GLOBALFOCUS |
                                DSBCAPS_GETCURRENTPOSITION2;
constexpr DWORD kSecondaryFlags = DSBCAPS_STATIC | DSBCAPS_LOCHARDWARE | DSBCAPS_LOCSOFTWARE | DSBCAPS_CTRL3D |
                                  DSBCAPS_CTRLFREQUENCY | DSBCAPS_CTRLPAN | DSBCAPS_CTRLVOLUME |
                                  DSBCAPS_CTRLPOSITIONNOTIFY | DSBCAPS_STICKYFOCUS | DSBCAPS_GLOBALFOCUS |
                                  DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_MUTE3DATMAXDISTANCE | DSBCAPS_LOCDEFER;

}  // namespace

HRESULT DirectSoundDevice::Create(REFIID iid, void** object)
{
    const HRESULT forced = DirectSoundFaultsNow().create;
    if (FAILED(forced)) return forced;
    auto* device = new DirectSoundDevice;
    const HRESULT hr = device->QueryInterface(iid, object);
    device->Release();
    return hr;
}

DirectSoundDevice::DirectSoundDevice() { dsound_detail::CountDevice(1); }

DirectSoundDevice::~DirectSoundDevice()
{
    std::vector<DirectSoundSecondaryBuffer*> secondaries;
    DirectSoundPrimaryBuffer* primary = nullptr;
    bool initialized = false;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        secondaries.swap(m_Secondaries);
        primary = std::exchange(m_Primary, nullptr);
        initialized = m_Initialized;
    }
    for (DirectSoundSecondaryBuffer* secondary : secondaries) secondary->Detach();
    if (primary) primary->Detach();
    if (initialized) Mixer::Instance().Close();
    dsound_detail::CountDevice(-1);
}

HRESULT DirectSoundDevice::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IDirectSound) {
        const HRESULT forced = DirectSoundFaultsNow().queryDirectSound;
        if (FAILED(forced)) return forced;
    } else if (riid != IID_IUnknown && riid != IID_IDirectSound8) {
        return E_NOINTERFACE;
    }
    AddRef();
    *object = static_cast<IDirectSound8*>(this);
    return S_OK;
}

ULONG DirectSoundDevice::AddRef() { return ++m_RefCount; }

ULONG DirectSoundDevice::Release()
{
    const ULONG count = --m_RefCount;
    if (count == 0) delete this;
    return count;
}

HRESULT DirectSoundDevice::Initialize(LPCGUID device)
{
    const HRESULT forced = DirectSoundFaultsNow().initialize;
    if (FAILED(forced)) return forced;
    if (device && *device != GUID_NULL) return DSERR_NODRIVER;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (m_Initialized) return DSERR_ALREADYINITIALIZED;
        m_Initialized = true;
    }
    Mixer::Instance().Open();
    return DS_OK;
}

// A software mixer: every rate and layout the mixer converts, no hardware buffers or memory.
HRESULT DirectSoundDevice::GetCaps(DSCAPS* caps)
{
    const HRESULT forced = DirectSoundFaultsNow().getCaps;
    if (FAILED(forced)) return forced;
    if (!caps || caps->dwSize != sizeof(DSCAPS)) return DSERR_INVALIDPARAM;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (!m_Initialized) return DSERR_UNINITIALIZED;
    }
    *caps = {};
    caps->dwSize = sizeof(DSCAPS);
    caps->dwFlags = DSCAPS_PRIMARYMONO | DSCAPS_PRIMARYSTEREO | DSCAPS_PRIMARY8BIT | DSCAPS_PRIMARY16BIT |
                    DSCAPS_CONTINUOUSRATE | DSCAPS_SECONDARYMONO | DSCAPS_SECONDARYSTEREO | DSCAPS_SECONDARY8BIT |
                    DSCAPS_SECONDARY16BIT;
    caps->dwMinSecondarySampleRate = kMinSourceRate;
    caps->dwMaxSecondarySampleRate = kMaxSourceRate;
    caps->dwPrimaryBuffers = 1;
    return DS_OK;
}

HRESULT DirectSoundDevice::SetCooperativeLevel(HWND window, DWORD level)
{
    const DirectSoundFaults faults = DirectSoundFaultsNow();
    if (level == DSSCL_PRIORITY && FAILED(faults.cooperativePriority)) return faults.cooperativePriority;
    if (level == DSSCL_NORMAL && FAILED(faults.cooperativeNormal)) return faults.cooperativeNormal;
    if (!window || !IsWindow(window)) return DSERR_INVALIDPARAM;
    if (level < DSSCL_NORMAL || level > DSSCL_WRITEPRIMARY) return DSERR_INVALIDPARAM;
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_Initialized) return DSERR_UNINITIALIZED;
    m_Level = level;
    return DS_OK;
}

// Nothing to gather in our memory; the level rule is kept.
HRESULT DirectSoundDevice::Compact()
{
    dsound_detail::Count(dsound_detail::Counter::Compact);
    const HRESULT forced = DirectSoundFaultsNow().compact;
    if (FAILED(forced)) return forced;
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_Initialized) return DSERR_UNINITIALIZED;
    if (m_Level < DSSCL_PRIORITY) return DSERR_PRIOLEVELNEEDED;
    return DS_OK;
}

HRESULT DirectSoundDevice::CreateSoundBuffer(const DSBUFFERDESC* description, IDirectSoundBuffer** buffer, LPUNKNOWN outer)
{
    if (!buffer) return DSERR_INVALIDPARAM;
    *buffer = nullptr;
    if (!description || description->dwSize != sizeof(DSBUFFERDESC)) return DSERR_INVALIDPARAM;
    if (outer) return CLASS_E_NOAGGREGATION;
    const DWORD flags = description->dwFlags;
    const DirectSoundFaults faults = DirectSoundFaultsNow();
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (!m_Initialized) return DSERR_UNINITIALIZED;
        if (m_Level == 0) return DSERR_PRIOLEVELNEEDED;
    }
    if ((flags & DSBCAPS_LOCHARDWARE) && (flags & DSBCAPS_LOCSOFTWARE)) return DSERR_INVALIDPARAM;

    if (flags & DSBCAPS_PRIMARYBUFFER) {
        if (FAILED(faults.createPrimary)) return faults.createPrimary;
        if ((flags & ~kPrimaryFlags) || description->dwBufferBytes != 0 || description->lpwfxFormat)
            return DSERR_INVALIDPARAM;
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (m_Primary) {
            m_Primary->AddRef();
        } else {
            m_Primary = new DirectSoundPrimaryBuffer(this, flags);
        }
        *buffer = m_Primary;
        return DS_OK;
    }

    if (FAILED(faults.createSecondary)) return faults.createSecondary;
    if (flags & ~kSecondaryFlags) return DSERR_INVALIDPARAM;
    // 3D panning belongs to the listener: a 3D buffer has no pan and only one channel.
    if ((flags & DSBCAPS_CTRL3D) && (flags & DSBCAPS_CTRLPAN)) return DSERR_INVALIDPARAM;
    const WAVEFORMATEX* format = description->lpwfxFormat;
    if (!format) return DSERR_INVALIDPARAM;
    if (!IsMixableFormat(*format)) return DSERR_BADFORMAT;
    if ((flags & DSBCAPS_CTRL3D) && format->nChannels != 1) return DSERR_INVALIDPARAM;
    const DWORD bytes = description->dwBufferBytes;
    if (bytes < DSBSIZE_MIN || bytes > DSBSIZE_MAX || bytes % format->nBlockAlign != 0) return DSERR_INVALIDPARAM;

    WAVEFORMATEX kept = *format;
    kept.cbSize = 0;
    auto* created = new DirectSoundSecondaryBuffer(this, flags, bytes, kept);
    if (!created->IsValid()) {
        created->Detach();
        created->Release();
        return DSERR_GENERIC;
    }
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Secondaries.push_back(created);
    *buffer = created;
    return DS_OK;
}

void DirectSoundDevice::ForgetPrimary(DirectSoundPrimaryBuffer* primary)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_Primary == primary) m_Primary = nullptr;
}

void DirectSoundDevice::ForgetSecondary(DirectSoundSecondaryBuffer* secondary)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Secondaries.erase(std::remove(m_Secondaries.begin(), m_Secondaries.end(), secondary), m_Secondaries.end());
}

void DirectSoundDevice::CommitBuffers()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    for (DirectSoundSecondaryBuffer* secondary : m_Secondaries) secondary->CommitDeferred();
}

}  // namespace platform
