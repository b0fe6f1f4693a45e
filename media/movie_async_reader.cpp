#include "media/movie_async_reader.h"

#include "platform/win32/file.h"

#include <cstdint>
#include <new>

namespace {

// A span the stream could write outside of the buffer for.
bool IsBadSpan(LONGLONG position, LONG length, const BYTE* buffer)
{
    return position < 0 || length < 0 || (buffer == nullptr && length > 0);
}

class ListLock {
public:
    explicit ListLock(CRITICAL_SECTION* section) : m_Section(section) { EnterCriticalSection(m_Section); }
    ~ListLock() { LeaveCriticalSection(m_Section); }
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;

private:
    CRITICAL_SECTION* m_Section;
};

HRESULT HResultFromLastError()
{
    const DWORD error = GetLastError();
    if (error == 0)
        return E_FAIL;
    return static_cast<HRESULT>((error & 0xFFFFu) | 0x80070000u);
}

}  // namespace

// --- GxMovieAsyncRequest -------------------------------------------------------------------

void GxMovieAsyncRequest::Request(GxMovieAsyncReader* reader, CAsyncStream* stream, LONGLONG position, LONG length,
                                  BOOL aligned, BYTE* buffer, void* context, DWORD_PTR user)
{
    m_Reader = reader;
    m_Stream = stream;
    m_Position = position;
    m_Length = length;
    m_Aligned = aligned;
    m_Buffer = buffer;
    m_Context = context;
    m_User = user;
    m_Result = VFW_E_TIMEOUT;
}

HRESULT GxMovieAsyncRequest::Complete()
{
    m_Stream->Lock();
    HRESULT hr = m_Stream->SetPointer(m_Position);
    if (hr == S_OK) {
        DWORD got = 0;
        hr = m_Stream->Read(m_Buffer, static_cast<DWORD>(m_Length), m_Aligned, &got);
        if (hr == OLE_S_FIRST && m_Context != nullptr) {
            static_cast<IMediaSample*>(m_Context)->SetDiscontinuity(TRUE);
            hr = S_OK;
        }
        if (SUCCEEDED(hr)) {
            if (got != static_cast<DWORD>(m_Length)) {
                m_Length = static_cast<LONG>(got);
                hr = S_FALSE;
            } else {
                hr = S_OK;
            }
        }
    }
    m_Stream->Unlock();
    m_Result = hr;
    return hr;
}

// --- GxMovieAsyncReader --------------------------------------------------------------------

GxMovieAsyncReader::GxMovieAsyncReader(CAsyncStream* stream)
    : m_Stream(stream),
      m_WorkEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_DoneEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_AllDoneEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr)),
      m_StopEvent(CreateEventW(nullptr, TRUE, FALSE, nullptr))
{
    InitializeCriticalSection(&m_ListLock);
}

GxMovieAsyncReader::~GxMovieAsyncReader()
{
    // The thread goes first, so no request is being read while they are freed.
    CloseThread();
    {
        ListLock lock(&m_ListLock);
        for (GxMovieAsyncRequest* request : m_Work) delete request;
        for (GxMovieAsyncRequest* request : m_Done) delete request;
        m_Work.clear();
        m_Done.clear();
    }
    for (HANDLE event : {m_WorkEvent, m_DoneEvent, m_AllDoneEvent, m_StopEvent}) {
        if (event)
            CloseHandle(event);
    }
    DeleteCriticalSection(&m_ListLock);
}

HRESULT GxMovieAsyncReader::Alignment(LONG* alignment)
{
    if (!alignment)
        return E_POINTER;
    const DWORD value = m_Stream->Alignment();
    *alignment = value == 0 ? 1 : static_cast<LONG>(value);
    return S_OK;
}

bool GxMovieAsyncReader::IsAligned(LONGLONG value)
{
    LONG alignment = 1;
    Alignment(&alignment);
    return value % alignment == 0;
}

HRESULT GxMovieAsyncReader::Request(LONGLONG position, LONG length, BOOL aligned, BYTE* buffer, void* context,
                                    DWORD_PTR user)
{
    if (IsBadSpan(position, length, buffer))
        return E_INVALIDARG;
    if (aligned && (!IsAligned(position) || !IsAligned(length) ||
                    !IsAligned(static_cast<LONGLONG>(reinterpret_cast<std::uintptr_t>(buffer)))))
        return VFW_E_BADALIGN;
    auto* request = new (std::nothrow) GxMovieAsyncRequest;
    if (!request)
        return E_OUTOFMEMORY;
    request->Request(this, m_Stream, position, length, aligned, buffer, context, user);

    ListLock lock(&m_ListLock);
    if (m_Flushing) {
        delete request;
        return VFW_E_WRONG_STATE;
    }
    m_Work.push_back(request);
    SetEvent(m_WorkEvent);
    // A request left queued without a thread is handed back by the next flush or freed with
    // the reader.
    return StartThread();
}

HRESULT GxMovieAsyncReader::StartThread()
{
    if (m_Thread)
        return S_OK;
    ResetEvent(m_StopEvent);
    m_Thread = CreateThread(nullptr, 0, &GxMovieAsyncReader::ThreadMain, this, 0, nullptr);
    return m_Thread ? S_OK : HResultFromLastError();
}

void GxMovieAsyncReader::CloseThread()
{
    if (!m_Thread)
        return;
    SetEvent(m_StopEvent);
    // No limit: the thread only waits for a read in progress to end.
    WaitForSingleObject(m_Thread, INFINITE);
    CloseHandle(m_Thread);
    m_Thread = nullptr;
}

bool GxMovieAsyncReader::HasWorkerThread()
{
    ListLock lock(&m_ListLock);
    return m_Thread != nullptr;
}

DWORD GxMovieAsyncReader::ThreadMain(LPVOID self)
{
    auto* reader = static_cast<GxMovieAsyncReader*>(self);
    const HANDLE events[] = {reader->m_StopEvent, reader->m_WorkEvent};
    for (;;) {
        const DWORD woken = WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (woken != WAIT_OBJECT_0 + 1)
            return 0;
        reader->ProcessRequests();
    }
}

void GxMovieAsyncReader::ProcessRequests()
{
    for (;;) {
        GxMovieAsyncRequest* request = nullptr;
        {
            ListLock lock(&m_ListLock);
            request = TakeWorkItem();
            if (!request)
                return;
            ++m_InProgress;
        }
        // Read without the list lock, so other threads may queue and wait meanwhile.
        request->Complete();
        {
            ListLock lock(&m_ListLock);
            PutDoneItem(request);
            if (--m_InProgress == 0 && m_WaitingForFlush)
                SetEvent(m_AllDoneEvent);
        }
    }
}

GxMovieAsyncRequest* GxMovieAsyncReader::TakeWorkItem()
{
    if (m_Work.empty()) {
        ResetEvent(m_WorkEvent);
        return nullptr;
    }
    GxMovieAsyncRequest* request = m_Work.front();
    m_Work.pop_front();
    if (m_Work.empty())
        ResetEvent(m_WorkEvent);
    return request;
}

GxMovieAsyncRequest* GxMovieAsyncReader::TakeDoneItem()
{
    GxMovieAsyncRequest* request = nullptr;
    if (!m_Done.empty()) {
        request = m_Done.front();
        m_Done.pop_front();
    }
    // A flush keeps the event set so that every waiter is released, until a flush waits.
    if (m_Done.empty() && (!m_Flushing || m_WaitingForFlush))
        ResetEvent(m_DoneEvent);
    return request;
}

void GxMovieAsyncReader::PutDoneItem(GxMovieAsyncRequest* request)
{
    m_Done.push_back(request);
    SetEvent(m_DoneEvent);
}

HRESULT GxMovieAsyncReader::WaitForNext(DWORD timeout, void** context, DWORD_PTR* user, LONG* actual)
{
    if (!context || !user || !actual)
        return E_POINTER;
    *context = nullptr;
    *user = 0;
    *actual = 0;
    for (;;) {
        if (WaitForSingleObject(m_DoneEvent, timeout) != WAIT_OBJECT_0)
            return VFW_E_TIMEOUT;
        GxMovieAsyncRequest* request = nullptr;
        {
            ListLock lock(&m_ListLock);
            request = TakeDoneItem();
            if (!request && m_Flushing && !m_WaitingForFlush)
                return VFW_E_WRONG_STATE;
        }
        if (!request)
            continue;
        HRESULT hr = request->Result();
        if (hr == S_FALSE) {
            // Fewer bytes are normal only at the end of the stream.
            const LONGLONG total = m_Stream->Size();
            hr = request->Position() + request->Length() == total ? S_OK : E_FAIL;
        }
        *context = request->Context();
        *user = request->User();
        *actual = request->Length();
        delete request;
        return hr;
    }
}

HRESULT GxMovieAsyncReader::SyncReadAligned(LONGLONG position, LONG length, BYTE* buffer, LONG* actual, void* context)
{
    if (!actual)
        return E_POINTER;
    *actual = 0;
    if (IsBadSpan(position, length, buffer))
        return E_INVALIDARG;
    if (!IsAligned(position) || !IsAligned(length) ||
        !IsAligned(static_cast<LONGLONG>(reinterpret_cast<std::uintptr_t>(buffer))))
        return VFW_E_BADALIGN;
    GxMovieAsyncRequest request;
    request.Request(this, m_Stream, position, length, TRUE, buffer, context, 0);
    const HRESULT hr = request.Complete();
    *actual = request.Length();
    return hr;
}

HRESULT GxMovieAsyncReader::SyncRead(LONGLONG position, LONG length, BYTE* buffer)
{
    if (IsBadSpan(position, length, buffer))
        return E_INVALIDARG;
    if (IsAligned(position) && IsAligned(length) &&
        IsAligned(static_cast<LONGLONG>(reinterpret_cast<std::uintptr_t>(buffer)))) {
        LONG unused = 0;
        return SyncReadAligned(position, length, buffer, &unused, nullptr);
    }
    GxMovieAsyncRequest request;
    request.Request(this, m_Stream, position, length, FALSE, buffer, nullptr, 0);
    return request.Complete();
}

HRESULT GxMovieAsyncReader::Length(LONGLONG* total, LONGLONG* available)
{
    if (!total || !available)
        return E_POINTER;
    *total = m_Stream->Size(available);
    return S_OK;
}

HRESULT GxMovieAsyncReader::BeginFlush()
{
    {
        ListLock lock(&m_ListLock);
        m_Flushing = true;
        while (GxMovieAsyncRequest* request = TakeWorkItem()) PutDoneItem(request);
        if (m_InProgress == 0) {
            SetEvent(m_DoneEvent);
            return S_OK;
        }
        m_WaitingForFlush = true;
    }
    // Wait without the list lock, so the requests in progress can come back.
    for (;;) {
        WaitForSingleObject(m_AllDoneEvent, INFINITE);
        ListLock lock(&m_ListLock);
        if (m_InProgress == 0) {
            m_WaitingForFlush = false;
            SetEvent(m_DoneEvent);
            return S_OK;
        }
    }
}

HRESULT GxMovieAsyncReader::EndFlush()
{
    ListLock lock(&m_ListLock);
    m_Flushing = false;
    if (!m_Done.empty())
        SetEvent(m_DoneEvent);
    else
        ResetEvent(m_DoneEvent);
    return S_OK;
}
