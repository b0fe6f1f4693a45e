// The DirectSound 8 device: capabilities of a software mixer, the cooperative level, and the
// buffers it creates. Initialize opens the process's mixer; the last reference closes it and
// cuts its buffers off the mix (a buffer still referenced then fails every call that needs it).
#pragma once

#include "platform/dsound/dsound.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace platform {

class DirectSoundPrimaryBuffer;
class DirectSoundSecondaryBuffer;

class DirectSoundDevice : public IDirectSound8 {
public:
    static HRESULT Create(REFIID iid, void** object);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT CreateSoundBuffer(const DSBUFFERDESC* description, IDirectSoundBuffer** buffer, LPUNKNOWN outer) override;
    HRESULT GetCaps(DSCAPS* caps) override;
    HRESULT SetCooperativeLevel(HWND window, DWORD level) override;
    HRESULT Compact() override;
    HRESULT Initialize(LPCGUID device) override;

    // Called by the buffers as they go.
    void ForgetPrimary(DirectSoundPrimaryBuffer* primary);
    void ForgetSecondary(DirectSoundSecondaryBuffer* secondary);
    // The listener's CommitDeferredSettings: every buffer's deferred 3D parameters.
    void CommitBuffers();

private:
    DirectSoundDevice();
    virtual ~DirectSoundDevice();

    std::atomic<ULONG> m_RefCount{1};
    std::mutex m_Mutex;
    bool m_Initialized = false;
    DWORD m_Level = 0;
    DirectSoundPrimaryBuffer* m_Primary = nullptr;
    std::vector<DirectSoundSecondaryBuffer*> m_Secondaries;
};

}  // namespace platform
