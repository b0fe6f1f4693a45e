// The asynchronous reader behind the movie reader's IAsyncReader: read requests are queued on a
// work list, served in order by one worker thread of its own and handed back through a done
// list. Synchronous reads are served on the caller's thread; the stream lock keeps every
// seek-and-read pair whole.
#pragma once

#include "media/async_stream.h"
#include "platform/win32/sync.h"

#include <deque>

class GxMovieAsyncReader;

// One read: where, how much, into which buffer, and what it gave.
class GxMovieAsyncRequest {
public:
    void Request(GxMovieAsyncReader* reader, CAsyncStream* stream, LONGLONG position, LONG length, BOOL aligned,
                 BYTE* buffer, void* context, DWORD_PTR user);
    // Seeks and reads under the stream lock; S_FALSE when fewer bytes came than asked.
    HRESULT Complete();

    HRESULT Result() const { return m_Result; }
    LONGLONG Position() const { return m_Position; }
    LONG Length() const { return m_Length; }
    void* Context() const { return m_Context; }
    DWORD_PTR User() const { return m_User; }

private:
    GxMovieAsyncReader* m_Reader = nullptr;
    CAsyncStream* m_Stream = nullptr;
    LONGLONG m_Position = 0;
    LONG m_Length = 0;
    BOOL m_Aligned = FALSE;
    BYTE* m_Buffer = nullptr;
    void* m_Context = nullptr;   // the caller's media sample, or null
    DWORD_PTR m_User = 0;
    HRESULT m_Result = VFW_E_TIMEOUT;   // until completed
};

class GxMovieAsyncReader {
public:
    // Reads `stream`, which it does not own.
    explicit GxMovieAsyncReader(CAsyncStream* stream);
    // Stops the worker thread and frees every request left.
    ~GxMovieAsyncReader();
    GxMovieAsyncReader(const GxMovieAsyncReader&) = delete;
    GxMovieAsyncReader& operator=(const GxMovieAsyncReader&) = delete;

    // Queues a read; the worker thread starts with the first one. VFW_E_BADALIGN for an aligned
    // request off the stream's alignment, VFW_E_WRONG_STATE while flushing.
    HRESULT Request(LONGLONG position, LONG length, BOOL aligned, BYTE* buffer, void* context, DWORD_PTR user);
    // The oldest completed request: VFW_E_TIMEOUT when none completes within `timeout` ms,
    // VFW_E_WRONG_STATE when a flush left nothing to hand back. A short read counts as S_OK only
    // when it ends at the end of the stream, else E_FAIL.
    HRESULT WaitForNext(DWORD timeout, void** context, DWORD_PTR* user, LONG* actual);
    HRESULT SyncReadAligned(LONGLONG position, LONG length, BYTE* buffer, LONG* actual, void* context);
    HRESULT SyncRead(LONGLONG position, LONG length, BYTE* buffer);
    HRESULT Length(LONGLONG* total, LONGLONG* available);
    HRESULT Alignment(LONG* alignment);
    // A multiple of the stream's alignment.
    bool IsAligned(LONGLONG value);

    // Queued requests go to the done list; returns once none is being read.
    HRESULT BeginFlush();
    HRESULT EndFlush();

    CAsyncStream* Stream() const { return m_Stream; }
    // Test seam: whether the worker thread exists.
    bool HasWorkerThread();

private:
    static DWORD ThreadMain(LPVOID self);
    HRESULT StartThread();   // list lock held
    void CloseThread();
    void ProcessRequests();
    // List lock held by these four.
    GxMovieAsyncRequest* TakeWorkItem();
    GxMovieAsyncRequest* TakeDoneItem();
    void PutDoneItem(GxMovieAsyncRequest* request);

    CAsyncStream* m_Stream;
    CRITICAL_SECTION m_ListLock;
    bool m_Flushing = false;
    std::deque<GxMovieAsyncRequest*> m_Work;
    std::deque<GxMovieAsyncRequest*> m_Done;
    HANDLE m_WorkEvent;      // manual reset: the work list holds requests
    HANDLE m_DoneEvent;      // manual reset: the done list holds requests (or a flush releases waiters)
    int m_InProgress = 0;
    bool m_WaitingForFlush = false;
    HANDLE m_AllDoneEvent;   // auto reset: the last request in progress finished during a flush
    HANDLE m_StopEvent;      // manual reset
    HANDLE m_Thread = nullptr;
};
