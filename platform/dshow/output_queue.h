// COutputQueue: delivers samples, end of stream and new segments to an input pin in the order
// they were given, on a thread of its own (or directly on the caller's). Receive takes over the
// caller's reference to the sample. A flush drops what is queued.
#pragma once

#include "platform/dshow/unknown_base.h"
#include "platform/win32/sync.h"

#include <deque>

constexpr LONG DEFAULTCACHE = 10;

class COutputQueue : public CCritSec {
public:
    // `autoDetect` queues only when the input pin says its Receive can block; otherwise
    // `queue` decides. With `batchExact` samples go downstream only in whole batches, unless
    // an end of stream, a new segment or SendAnyway comes after them. The queue holds at most
    // `listSize` samples; Receive waits for room beyond that.
    COutputQueue(IPin* inputPin, HRESULT* result, BOOL autoDetect = TRUE, BOOL queue = TRUE, LONG batchSize = 1,
                 BOOL batchExact = FALSE, LONG listSize = DEFAULTCACHE, DWORD priority = THREAD_PRIORITY_NORMAL);
    ~COutputQueue();
    COutputQueue(const COutputQueue&) = delete;
    COutputQueue& operator=(const COutputQueue&) = delete;

    HRESULT Receive(IMediaSample* sample);
    HRESULT ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed);
    void EOS();
    void NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate);
    void BeginFlush();
    void EndFlush();
    void SendAnyway();
    BOOL IsIdle();
    // Clears a failure the input pin returned, so that delivery goes on.
    void Reset();

private:
    enum class Kind { Sample, EndOfStream, Segment };
    struct Item {
        Kind kind;
        IMediaSample* sample;
        REFERENCE_TIME start;
        REFERENCE_TIME stop;
        double rate;
    };

    static DWORD ThreadMain(LPVOID self);
    void Loop();
    void Put(const Item& item);        // lock held
    void DropQueued();                 // lock held
    void WakeWorker();                 // lock held
    void WakeRoomWaiter();             // lock held
    void DeliverDirect(const Item& item);

    IPin* m_Pin;                       // counted
    IMemInputPin* m_InputPin = nullptr;   // counted
    bool m_Queue;
    LONG m_BatchSize;
    bool m_BatchExact;
    LONG m_ListSize;
    std::deque<Item> m_Items;
    LONG m_QueuedSamples = 0;
    bool m_SendAnyway = false;
    bool m_Flushing = false;
    bool m_Terminate = false;
    bool m_Delivering = false;
    int m_RoomWaiters = 0;
    bool m_RoomSet = false;             // m_RoomEvent set and not yet taken
    bool m_WorkerWaiting = false;
    bool m_WorkerWoken = false;
    bool m_IdleWaiter = false;
    HRESULT m_Result = S_OK;
    HANDLE m_WorkEvent = nullptr;
    HANDLE m_RoomEvent = nullptr;
    HANDLE m_IdleEvent = nullptr;
    HANDLE m_GoEvent = nullptr;
    HANDLE m_Thread = nullptr;
};
