#include "platform/dshow/mem_allocator.h"

#include "platform/dshow/media_type.h"
#include "platform/win32/file.h"
#include "platform/win32/sync.h"

#include <cstring>

// --- CMediaSample -------------------------------------------------------------------------

CMediaSample::CMediaSample(LPCWSTR, CBaseAllocator* allocator, HRESULT* result, BYTE* buffer, LONG length)
    : m_Buffer(buffer), m_BufferSize(length), m_Allocator(allocator)
{
    if (result) *result = allocator ? S_OK : E_POINTER;
}

CMediaSample::~CMediaSample()
{
    if (m_MediaType) DeleteMediaType(m_MediaType);
}

HRESULT CMediaSample::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IMediaSample) return GetInterface(this, object);
    return E_NOINTERFACE;
}

ULONG CMediaSample::AddRef() { return ++m_RefCount; }

ULONG CMediaSample::Release()
{
    const ULONG count = --m_RefCount;
    if (count == 0) {
        ResetProperties();
        m_Allocator->ReleaseBuffer(this);
    }
    return count;
}

void CMediaSample::ResetProperties()
{
    m_Flags = 0;
    m_TimeValid = false;
    m_StopValid = false;
    m_MediaTimeValid = false;
    m_ActualLength = m_BufferSize;
    if (m_MediaType) {
        DeleteMediaType(m_MediaType);
        m_MediaType = nullptr;
    }
}

HRESULT CMediaSample::SetPointer(BYTE* buffer, LONG length)
{
    if (length < 0) return E_INVALIDARG;
    m_Buffer = buffer;
    m_BufferSize = length;
    m_ActualLength = length;
    return S_OK;
}

HRESULT CMediaSample::GetPointer(BYTE** buffer)
{
    if (!buffer) return E_POINTER;
    *buffer = m_Buffer;
    return S_OK;
}

LONG CMediaSample::GetSize() { return m_BufferSize; }

HRESULT CMediaSample::GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end)
{
    if (!start || !end) return E_POINTER;
    if (!m_TimeValid) return VFW_E_SAMPLE_TIME_NOT_SET;
    *start = m_Start;
    *end = m_StopValid ? m_End : m_Start + 1;
    return m_StopValid ? S_OK : VFW_S_NO_STOP_TIME;
}

HRESULT CMediaSample::SetTime(REFERENCE_TIME* start, REFERENCE_TIME* end)
{
    if (!start) {
        m_TimeValid = false;
        m_StopValid = false;
        return S_OK;
    }
    m_Start = *start;
    m_TimeValid = true;
    m_StopValid = end != nullptr;
    if (end) m_End = *end;
    return S_OK;
}

HRESULT CMediaSample::IsSyncPoint() { return (m_Flags & AM_SAMPLE_SPLICEPOINT) ? S_OK : S_FALSE; }

HRESULT CMediaSample::SetSyncPoint(BOOL isSyncPoint)
{
    m_Flags = isSyncPoint ? (m_Flags | AM_SAMPLE_SPLICEPOINT) : (m_Flags & ~AM_SAMPLE_SPLICEPOINT);
    return S_OK;
}

HRESULT CMediaSample::IsPreroll() { return (m_Flags & AM_SAMPLE_PREROLL) ? S_OK : S_FALSE; }

HRESULT CMediaSample::SetPreroll(BOOL isPreroll)
{
    m_Flags = isPreroll ? (m_Flags | AM_SAMPLE_PREROLL) : (m_Flags & ~AM_SAMPLE_PREROLL);
    return S_OK;
}

LONG CMediaSample::GetActualDataLength() { return m_ActualLength; }

HRESULT CMediaSample::SetActualDataLength(LONG length)
{
    if (length < 0 || length > m_BufferSize) return VFW_E_BUFFER_OVERFLOW;
    m_ActualLength = length;
    return S_OK;
}

HRESULT CMediaSample::GetMediaType(AM_MEDIA_TYPE** type)
{
    if (!type) return E_POINTER;
    *type = nullptr;
    if (!m_MediaType) return S_FALSE;
    *type = CreateMediaType(m_MediaType);
    return *type ? S_OK : E_OUTOFMEMORY;
}

HRESULT CMediaSample::SetMediaType(AM_MEDIA_TYPE* type)
{
    if (m_MediaType) {
        DeleteMediaType(m_MediaType);
        m_MediaType = nullptr;
    }
    if (!type) return S_OK;
    m_MediaType = CreateMediaType(type);
    return m_MediaType ? S_OK : E_OUTOFMEMORY;
}

HRESULT CMediaSample::IsDiscontinuity() { return (m_Flags & AM_SAMPLE_DATADISCONTINUITY) ? S_OK : S_FALSE; }

HRESULT CMediaSample::SetDiscontinuity(BOOL discontinuity)
{
    m_Flags = discontinuity ? (m_Flags | AM_SAMPLE_DATADISCONTINUITY) : (m_Flags & ~AM_SAMPLE_DATADISCONTINUITY);
    return S_OK;
}

HRESULT CMediaSample::GetMediaTime(LONGLONG* start, LONGLONG* end)
{
    if (!start || !end) return E_POINTER;
    if (!m_MediaTimeValid) return VFW_E_MEDIA_TIME_NOT_SET;
    *start = m_MediaStart;
    *end = m_MediaEnd;
    return S_OK;
}

HRESULT CMediaSample::SetMediaTime(LONGLONG* start, LONGLONG* end)
{
    if (!start || !end) {
        m_MediaTimeValid = false;
        return S_OK;
    }
    m_MediaStart = *start;
    m_MediaEnd = *end;
    m_MediaTimeValid = true;
    return S_OK;
}

// --- CBaseAllocator -----------------------------------------------------------------------

CBaseAllocator::CBaseAllocator(LPCWSTR name, LPUNKNOWN outer, HRESULT* result)
    : CUnknown(name, outer), m_FreeEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
    if (result) *result = m_FreeEvent ? S_OK : E_OUTOFMEMORY;
}

CBaseAllocator::~CBaseAllocator()
{
    if (m_FreeEvent) CloseHandle(m_FreeEvent);
}

HRESULT CBaseAllocator::NonDelegatingQueryInterface(REFIID riid, void** object)
{
    if (riid == IID_IMemAllocator) return GetInterface(static_cast<IMemAllocator*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(riid, object);
}

HRESULT CBaseAllocator::SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual)
{
    if (!request || !actual) return E_POINTER;
    CAutoLock lock(&m_Lock);
    if (m_Committed) return VFW_E_ALREADY_COMMITTED;
    if (m_Outstanding > 0) return VFW_E_BUFFERS_OUTSTANDING;
    if (request->cBuffers < 0 || request->cbBuffer < 0 || request->cbPrefix < 0) return E_INVALIDARG;
    const LONG align = request->cbAlign == 0 ? 1 : request->cbAlign;
    if (align < 0 || (align & (align - 1)) != 0) return VFW_E_BADALIGN;
    m_Count = request->cBuffers;
    m_Size = request->cbBuffer;
    m_Alignment = align;
    m_Prefix = request->cbPrefix;
    m_Changed = true;
    *actual = {m_Count, m_Size, m_Alignment, m_Prefix};
    return S_OK;
}

HRESULT CBaseAllocator::GetProperties(ALLOCATOR_PROPERTIES* properties)
{
    if (!properties) return E_POINTER;
    CAutoLock lock(&m_Lock);
    *properties = {m_Count, m_Size, m_Alignment, m_Prefix};
    return S_OK;
}

HRESULT CBaseAllocator::Alloc()
{
    if (m_Count <= 0 || m_Size <= 0 || m_Alignment <= 0) return VFW_E_SIZENOTSET;
    m_Changed = false;
    return S_OK;
}

HRESULT CBaseAllocator::Commit()
{
    CAutoLock lock(&m_Lock);
    if (m_Committed) return S_OK;
    if (m_DecommitPending) {
        // Buffers still out from before the Decommit: keep the memory they point into.
        m_DecommitPending = false;
        m_Committed = true;
        return S_OK;
    }
    if (m_All.empty() || m_Changed) {
        const HRESULT hr = Alloc();
        if (FAILED(hr)) return hr;
    }
    m_Committed = true;
    return S_OK;
}

HRESULT CBaseAllocator::Decommit()
{
    CAutoLock lock(&m_Lock);
    if (!m_Committed) return S_OK;
    m_Committed = false;
    if (m_Outstanding == 0) {
        Free();
    } else {
        m_DecommitPending = true;
    }
    WakeWaiter();
    return S_OK;
}

void CBaseAllocator::WakeWaiter()
{
    // One set at a time, taken by the waiter it wakes (which passes it on when it can): a set
    // made while that waiter was on its way back would lie around for nobody.
    if (m_Waiting > 0 && !m_WakeSet) {
        m_WakeSet = true;
        SetEvent(m_FreeEvent);
    }
}

HRESULT CBaseAllocator::GetBuffer(IMediaSample** sample, REFERENCE_TIME*, REFERENCE_TIME*, DWORD flags)
{
    if (!sample) return E_POINTER;
    *sample = nullptr;
    m_Lock.Lock();
    while (true) {
        if (!m_Committed) {
            // Pass the wake-up on: every waiter must learn of the Decommit.
            WakeWaiter();
            m_Lock.Unlock();
            return VFW_E_NOT_COMMITTED;
        }
        if (!m_Free.empty()) break;
        if (flags & AM_GBF_NOWAIT) {
            m_Lock.Unlock();
            return VFW_E_TIMEOUT;
        }
        ++m_Waiting;
        m_Lock.Unlock();
        WaitForSingleObject(m_FreeEvent, INFINITE);
        m_Lock.Lock();
        --m_Waiting;
        m_WakeSet = false;
    }
    CMediaSample* taken = m_Free.back();
    m_Free.pop_back();
    ++m_Outstanding;
    if (!m_Free.empty()) WakeWaiter();
    m_Lock.Unlock();
    NonDelegatingAddRef();   // a sample out keeps its allocator
    taken->ResetProperties();
    taken->m_RefCount = 1;
    *sample = taken;
    return S_OK;
}

HRESULT CBaseAllocator::ReleaseBuffer(IMediaSample* sample)
{
    auto* returned = static_cast<CMediaSample*>(sample);
    {
        CAutoLock lock(&m_Lock);
        m_Free.push_back(returned);
        --m_Outstanding;
        WakeWaiter();
        if (m_DecommitPending && m_Outstanding == 0) {
            m_DecommitPending = false;
            Free();
        }
    }
    NonDelegatingRelease();
    return S_OK;
}

int CBaseAllocator::WaitingCount()
{
    CAutoLock lock(&m_Lock);
    return m_Waiting;
}

// --- CMemAllocator ------------------------------------------------------------------------

CMemAllocator::CMemAllocator(LPCWSTR name, LPUNKNOWN outer, HRESULT* result) : CBaseAllocator(name, outer, result) {}

CMemAllocator::~CMemAllocator()
{
    CAutoLock lock(&m_Lock);
    Free();
}

HRESULT CMemAllocator::Create(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    HRESULT hr = S_OK;
    auto* allocator = new CMemAllocator(u"Memory allocator", nullptr, &hr);
    if (FAILED(hr)) {
        delete allocator;
        return hr;
    }
    hr = allocator->NonDelegatingQueryInterface(iid, object);
    if (FAILED(hr)) delete allocator;
    return hr;
}

HRESULT CMemAllocator::SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual)
{
    if (!request || !actual) return E_POINTER;
    ALLOCATOR_PROPERTIES adjusted = *request;
    // Each buffer with its prefix fills whole alignment units, so every buffer stays aligned.
    const LONG align = adjusted.cbAlign == 0 ? 1 : adjusted.cbAlign;
    if (align > 0 && (align & (align - 1)) == 0 && adjusted.cbBuffer > 0 && adjusted.cbPrefix >= 0) {
        const long long whole = (static_cast<long long>(adjusted.cbBuffer) + adjusted.cbPrefix + align - 1) / align * align;
        if (whole > 0x7FFFFFFF) return E_OUTOFMEMORY;
        adjusted.cbBuffer = static_cast<LONG>(whole - adjusted.cbPrefix);
    }
    return CBaseAllocator::SetProperties(&adjusted, actual);
}

HRESULT CMemAllocator::Alloc()
{
    const HRESULT hr = CBaseAllocator::Alloc();
    if (FAILED(hr)) return hr;
    if (m_Outstanding > 0) return VFW_E_BUFFERS_OUTSTANDING;
    Free();
    const long long stride = static_cast<long long>(m_Size) + m_Prefix;
    const long long total = stride * m_Count + m_Alignment;
    if (total > (1LL << 31)) return E_OUTOFMEMORY;
    m_Memory.reset(new (std::nothrow) BYTE[static_cast<std::size_t>(total)]);
    if (!m_Memory) return E_OUTOFMEMORY;
    // The first prefix starts where the first buffer after it lands on the alignment.
    const auto base = reinterpret_cast<std::uintptr_t>(m_Memory.get()) + static_cast<std::uintptr_t>(m_Prefix);
    const std::uintptr_t offset = (m_Alignment - base % m_Alignment) % m_Alignment;
    BYTE* first = m_Memory.get() + offset + m_Prefix;
    for (LONG i = 0; i < m_Count; ++i) {
        HRESULT sampleResult = S_OK;
        auto sample = std::make_unique<CMediaSample>(u"Memory sample", this, &sampleResult, first + stride * i, m_Size);
        m_Free.push_back(sample.get());
        m_All.push_back(std::move(sample));
    }
    return S_OK;
}

void CMemAllocator::Free()
{
    m_Free.clear();
    m_All.clear();
    m_Memory.reset();
}
