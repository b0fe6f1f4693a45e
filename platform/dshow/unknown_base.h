// CUnknown, the reference-counted base of the filters, pins and allocators written on this
// layer, and the filter lock types. A CUnknown's count starts at 0 when it is made with `new`:
// its first user adds the first reference (ComObject, used by the simpler platform objects,
// starts at 1 instead).
#pragma once

#include "platform/dshow/dshow.h"

#include <atomic>
#include <mutex>
#include <string>

struct INonDelegatingUnknown {
    virtual HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) = 0;
    virtual ULONG NonDelegatingAddRef() = 0;
    virtual ULONG NonDelegatingRelease() = 0;

protected:
    ~INonDelegatingUnknown() = default;
};

// Hands `unknown` out as the answer to a query, with one reference added.
HRESULT GetInterface(IUnknown* unknown, void** object);

class CUnknown : public INonDelegatingUnknown {
public:
    // `outer` is the aggregating object; the engine never aggregates, so it is kept only to
    // route the counts.
    CUnknown(LPCWSTR name, LPUNKNOWN outer);
    CUnknown(const CUnknown&) = delete;
    CUnknown& operator=(const CUnknown&) = delete;
    virtual ~CUnknown();

    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;
    ULONG NonDelegatingAddRef() override;
    ULONG NonDelegatingRelease() override;

    IUnknown* GetOwner() const { return m_Owner; }
    ULONG RefCount() const { return m_RefCount.load(); }
    const std::u16string& ObjectName() const { return m_ObjectName; }

protected:
    std::atomic<ULONG> m_RefCount{0};

private:
    // The object's own IUnknown identity, routed to the non-delegating calls.
    struct Inner final : IUnknown {
        CUnknown* self = nullptr;
        HRESULT QueryInterface(REFIID riid, void** object) override { return self->NonDelegatingQueryInterface(riid, object); }
        ULONG AddRef() override { return self->NonDelegatingAddRef(); }
        ULONG Release() override { return self->NonDelegatingRelease(); }
    };
    Inner m_Inner;
    IUnknown* m_Owner;
    std::u16string m_ObjectName;
};

// The IUnknown of a class deriving from CUnknown and one or more interfaces: every call goes
// to the owner (the object itself unless aggregated).
#define DECLARE_IUNKNOWN                                                                           \
    HRESULT QueryInterface(REFIID riid, void** object) override                                  \
    {                                                                                              \
        return GetOwner()->QueryInterface(riid, object);                                           \
    }                                                                                              \
    ULONG AddRef() override { return GetOwner()->AddRef(); }                                       \
    ULONG Release() override { return GetOwner()->Release(); }

// A recursive lock, as the platform's critical sections are.
class CCritSec {
public:
    void Lock() { m_Mutex.lock(); }
    void Unlock() { m_Mutex.unlock(); }

private:
    std::recursive_mutex m_Mutex;
};

class CAutoLock {
public:
    explicit CAutoLock(CCritSec* lock) : m_Lock(lock) { m_Lock->Lock(); }
    ~CAutoLock() { m_Lock->Unlock(); }
    CAutoLock(const CAutoLock&) = delete;
    CAutoLock& operator=(const CAutoLock&) = delete;

private:
    CCritSec* m_Lock;
};
