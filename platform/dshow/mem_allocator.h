// Media samples and the memory allocator that lends them out. A sample whose count falls to 0
// goes back to its allocator; GetBuffer blocks while every buffer is out, and Decommit frees
// such a waiter with a failure.
#pragma once

#include "platform/dshow/unknown_base.h"

#include <atomic>
#include <memory>
#include <vector>

class CBaseAllocator;

class CMediaSample : public IMediaSample {
public:
    CMediaSample(LPCWSTR name, CBaseAllocator* allocator, HRESULT* result, BYTE* buffer = nullptr, LONG length = 0);
    virtual ~CMediaSample();
    CMediaSample(const CMediaSample&) = delete;
    CMediaSample& operator=(const CMediaSample&) = delete;

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;   // at 0 the sample returns to its allocator

    HRESULT SetPointer(BYTE* buffer, LONG length);
    HRESULT GetPointer(BYTE** buffer) override;
    LONG GetSize() override;
    HRESULT GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) override;
    HRESULT SetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) override;
    HRESULT IsSyncPoint() override;
    HRESULT SetSyncPoint(BOOL isSyncPoint) override;
    HRESULT IsPreroll() override;
    HRESULT SetPreroll(BOOL isPreroll) override;
    LONG GetActualDataLength() override;
    HRESULT SetActualDataLength(LONG length) override;
    HRESULT GetMediaType(AM_MEDIA_TYPE** type) override;
    HRESULT SetMediaType(AM_MEDIA_TYPE* type) override;
    HRESULT IsDiscontinuity() override;
    HRESULT SetDiscontinuity(BOOL discontinuity) override;
    HRESULT GetMediaTime(LONGLONG* start, LONGLONG* end) override;
    HRESULT SetMediaTime(LONGLONG* start, LONGLONG* end) override;

    // Clears what a sample carries between two loans.
    void ResetProperties();

protected:
    friend class CBaseAllocator;
    BYTE* m_Buffer;
    LONG m_BufferSize;
    LONG m_ActualLength = 0;
    DWORD m_Flags = 0;
    bool m_TimeValid = false;
    bool m_StopValid = false;
    REFERENCE_TIME m_Start = 0;
    REFERENCE_TIME m_End = 0;
    bool m_MediaTimeValid = false;
    LONGLONG m_MediaStart = 0;
    LONGLONG m_MediaEnd = 0;
    AM_MEDIA_TYPE* m_MediaType = nullptr;
    CBaseAllocator* m_Allocator;
    std::atomic<ULONG> m_RefCount{0};
};

class CBaseAllocator : public CUnknown, public IMemAllocator {
public:
    CBaseAllocator(LPCWSTR name, LPUNKNOWN outer, HRESULT* result);
    ~CBaseAllocator() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    HRESULT SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) override;
    HRESULT GetProperties(ALLOCATOR_PROPERTIES* properties) override;
    HRESULT Commit() override;
    HRESULT Decommit() override;
    HRESULT GetBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* end, DWORD flags) override;
    HRESULT ReleaseBuffer(IMediaSample* sample) override;

    // Test seam: the threads waiting in GetBuffer now.
    int WaitingCount();

protected:
    virtual HRESULT Alloc();   // makes the samples once the properties are set
    virtual void Free() = 0;   // frees them once every buffer is back after a Decommit
    void WakeWaiter();   // lock held

    CCritSec m_Lock;
    std::vector<CMediaSample*> m_Free;
    std::vector<std::unique_ptr<CMediaSample>> m_All;
    LONG m_Count = 0;
    LONG m_Size = 0;
    LONG m_Alignment = 0;
    LONG m_Prefix = 0;
    bool m_Changed = false;     // properties set since the last Alloc
    bool m_Committed = false;
    bool m_DecommitPending = false;
    LONG m_Outstanding = 0;
    int m_Waiting = 0;
    bool m_WakeSet = false;     // m_FreeEvent set and not yet taken
    HANDLE m_FreeEvent;         // auto reset: a buffer came back or the allocator was decommitted
};

class CMemAllocator : public CBaseAllocator {
public:
    CMemAllocator(LPCWSTR name, LPUNKNOWN outer, HRESULT* result);
    ~CMemAllocator() override;

    HRESULT SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) override;
    // The class factory behind CoCreateInstance(CLSID_MemoryAllocator, ...).
    static HRESULT Create(REFIID iid, void** object);

private:
    HRESULT Alloc() override;
    void Free() override;

    std::unique_ptr<BYTE[]> m_Memory;
};
