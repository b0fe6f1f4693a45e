// The primary buffer: the device's output format (kept, since the mixer has its own) and, with
// DSBCAPS_CTRL3D, the 3D listener. One per device; a second request hands out the same one.
#pragma once

#include "platform/dsound/dsound.h"

#include <atomic>
#include <mutex>

namespace platform {

class DirectSoundDevice;

class DirectSoundPrimaryBuffer : public IDirectSoundBuffer, public IDirectSound3DListener {
public:
    DirectSoundPrimaryBuffer(DirectSoundDevice* device, DWORD flags);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetCaps(DSBCAPS* caps) override;
    HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) override;
    HRESULT GetFormat(WAVEFORMATEX* format, DWORD sizeAllocated, DWORD* sizeWritten) override;
    HRESULT GetVolume(LONG* volume) override;
    HRESULT GetPan(LONG* pan) override;
    HRESULT GetStatus(DWORD* status) override;
    HRESULT Lock(DWORD offset, DWORD bytes, void** audioPtr1, DWORD* audioBytes1, void** audioPtr2, DWORD* audioBytes2,
                 DWORD flags) override;
    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override;
    HRESULT SetCurrentPosition(DWORD position) override;
    HRESULT SetFormat(const WAVEFORMATEX* format) override;
    HRESULT SetVolume(LONG volume) override;
    HRESULT SetPan(LONG pan) override;
    HRESULT Stop() override;
    HRESULT Unlock(void* audioPtr1, DWORD audioBytes1, void* audioPtr2, DWORD audioBytes2) override;
    HRESULT Restore() override;

    HRESULT GetPosition(D3DVECTOR* position) override;
    HRESULT GetOrientation(D3DVECTOR* front, D3DVECTOR* top) override;
    HRESULT SetPosition(D3DVALUE x, D3DVALUE y, D3DVALUE z, DWORD apply) override;
    HRESULT SetOrientation(D3DVALUE xFront, D3DVALUE yFront, D3DVALUE zFront, D3DVALUE xTop, D3DVALUE yTop,
                           D3DVALUE zTop, DWORD apply) override;
    HRESULT CommitDeferredSettings() override;

    // The device goes first.
    void Detach();

private:
    virtual ~DirectSoundPrimaryBuffer();

    struct Listener {
        D3DVECTOR position{0.0f, 0.0f, 0.0f};
        D3DVECTOR front{0.0f, 0.0f, 1.0f};
        D3DVECTOR top{0.0f, 1.0f, 0.0f};
    };

    std::atomic<ULONG> m_RefCount{1};
    const DWORD m_Flags;
    std::mutex m_Mutex;
    DirectSoundDevice* m_Device;
    WAVEFORMATEX m_Format{};
    LONG m_Volume = 0;
    LONG m_Pan = 0;
    Listener m_Applied;
    Listener m_Deferred;
};

}  // namespace platform
