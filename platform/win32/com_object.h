// ComObject: the IUnknown part that the platform's simple COM objects share. It serves
// IUnknown and the interfaces named by `kOwnIds` (none, or the object's own); the count starts
// at 1 for the creator, and the Release that brings it to 0 deletes the object.
#pragma once

#include "platform/win32/unknown.h"

#include <atomic>

namespace platform {

template <typename Interface, const IID&... kOwnIds>
class ComObject : public Interface {
public:
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT QueryInterface(REFIID riid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!Serves(riid)) return E_NOINTERFACE;
        AddRef();
        *object = static_cast<Interface*>(this);
        return S_OK;
    }
    ULONG AddRef() override { return ++m_RefCount; }
    ULONG Release() override
    {
        const ULONG count = --m_RefCount;
        if (count == 0) delete this;
        return count;
    }

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

private:
    static bool Serves(REFIID riid) { return riid == IID_IUnknown || (... || (riid == kOwnIds)); }

    std::atomic<ULONG> m_RefCount{1};
};

}  // namespace platform
