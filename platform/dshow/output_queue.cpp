#include "platform/dshow/output_queue.h"

#include "platform/win32/file.h"

#include <algorithm>
#include <vector>

COutputQueue::COutputQueue(IPin* inputPin, HRESULT* result, BOOL autoDetect, BOOL queue, LONG batchSize,
                           BOOL batchExact, LONG listSize, DWORD priority)
    : m_Pin(inputPin), m_BatchSize(std::max<LONG>(1, batchSize)), m_BatchExact(batchExact != FALSE)
{
    HRESULT hr = S_OK;
    if (!inputPin) hr = E_POINTER;
    if (SUCCEEDED(hr)) {
        m_Pin->AddRef();
        hr = m_Pin->QueryInterface(IID_IMemInputPin, reinterpret_cast<void**>(&m_InputPin));
    }
    m_Queue = queue != FALSE;
    if (SUCCEEDED(hr) && autoDetect) m_Queue = m_InputPin->ReceiveCanBlock() == S_OK;
    // A list shorter than an exact batch would never fill one.
    m_ListSize = std::max(listSize, m_BatchExact ? m_BatchSize : 1);
    if (SUCCEEDED(hr) && m_Queue) {
        m_WorkEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        m_RoomEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        m_IdleEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        m_GoEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        m_Thread = CreateThread(nullptr, 0, &COutputQueue::ThreadMain, this, 0, nullptr);
        if (!m_Thread) hr = E_OUTOFMEMORY;
        else SetThreadPriority(m_Thread, static_cast<int>(priority));
        // Taken first by the thread, so that a settling graph follows it from its start.
        if (m_Thread) SetEvent(m_GoEvent);
    }
    if (result) *result = hr;
}

COutputQueue::~COutputQueue()
{
    if (m_Thread) {
        Lock();
        m_Terminate = true;
        WakeWorker();
        Unlock();
        WaitForSingleObject(m_Thread, INFINITE);
        CloseHandle(m_Thread);
    }
    Lock();
    DropQueued();
    Unlock();
    for (HANDLE event : {m_WorkEvent, m_RoomEvent, m_IdleEvent, m_GoEvent}) {
        if (event) CloseHandle(event);
    }
    if (m_InputPin) m_InputPin->Release();
    if (m_Pin) m_Pin->Release();
}

DWORD COutputQueue::ThreadMain(LPVOID self)
{
    auto* queue = static_cast<COutputQueue*>(self);
    WaitForSingleObject(queue->m_GoEvent, INFINITE);
    queue->Loop();
    return 0;
}

void COutputQueue::Put(const Item& item)
{
    m_Items.push_back(item);
    if (item.kind == Kind::Sample) ++m_QueuedSamples;
    WakeWorker();
}

void COutputQueue::WakeWorker()
{
    // Set only for a thread that waits: a set left for a thread busy downstream would hold up
    // anyone settling the graph until that thread comes back.
    if (m_WorkerWaiting && !m_WorkerWoken) {
        m_WorkerWoken = true;
        SetEvent(m_WorkEvent);
    }
}

void COutputQueue::WakeRoomWaiter()
{
    // One set at a time, taken by the waiter it wakes, which passes it on.
    if (m_RoomWaiters > 0 && !m_RoomSet) {
        m_RoomSet = true;
        SetEvent(m_RoomEvent);
    }
}

void COutputQueue::DropQueued()
{
    for (const Item& item : m_Items) {
        if (item.sample) item.sample->Release();
    }
    m_Items.clear();
    m_QueuedSamples = 0;
    m_SendAnyway = false;
    if (m_RoomEvent) WakeRoomWaiter();
}

void COutputQueue::Loop()
{
    Lock();
    while (!m_Terminate) {
        // Samples at the front go in a batch; a control item goes once the samples before it have.
        LONG leading = 0;
        bool controlAfter = false;
        for (const Item& item : m_Items) {
            if (item.kind != Kind::Sample) {
                controlAfter = true;
                break;
            }
            ++leading;
        }
        if (!m_Items.empty() && m_Items.front().kind != Kind::Sample) {
            const Item item = m_Items.front();
            m_Items.pop_front();
            m_Delivering = true;
            Unlock();
            if (item.kind == Kind::EndOfStream) m_Pin->EndOfStream();
            else m_Pin->NewSegment(item.start, item.stop, item.rate);
            Lock();
        } else if (leading > 0 && (leading >= m_BatchSize || controlAfter || m_SendAnyway || !m_BatchExact)) {
            const LONG count = std::min(leading, m_BatchSize);
            std::vector<IMediaSample*> batch;
            for (LONG i = 0; i < count; ++i) {
                batch.push_back(m_Items.front().sample);
                m_Items.pop_front();
            }
            m_QueuedSamples -= count;
            if (m_QueuedSamples == 0) m_SendAnyway = false;
            WakeRoomWaiter();
            const bool deliver = m_Result == S_OK;
            m_Delivering = true;
            Unlock();
            HRESULT hr = S_OK;
            if (deliver) {
                LONG processed = 0;
                hr = m_InputPin->ReceiveMultiple(batch.data(), count, &processed);
            }
            for (IMediaSample* sample : batch) sample->Release();
            Lock();
            if (deliver && hr != S_OK && !m_Flushing) m_Result = hr;
        } else {
            m_WorkerWaiting = true;
            Unlock();
            WaitForSingleObject(m_WorkEvent, INFINITE);
            Lock();
            m_WorkerWaiting = false;
            m_WorkerWoken = false;
            continue;
        }
        m_Delivering = false;
        if (m_IdleWaiter) {
            m_IdleWaiter = false;
            SetEvent(m_IdleEvent);
        }
    }
    Unlock();
}

void COutputQueue::DeliverDirect(const Item& item)
{
    switch (item.kind) {
    case Kind::Sample: {
        Lock();
        const HRESULT before = m_Result;
        Unlock();
        const HRESULT hr = before == S_OK ? m_InputPin->Receive(item.sample) : before;
        item.sample->Release();
        CAutoLock lock(this);
        if (hr != S_OK && !m_Flushing) m_Result = hr;
        break;
    }
    case Kind::EndOfStream: m_Pin->EndOfStream(); break;
    case Kind::Segment: m_Pin->NewSegment(item.start, item.stop, item.rate); break;
    }
}

HRESULT COutputQueue::Receive(IMediaSample* sample)
{
    LONG processed = 0;
    return ReceiveMultiple(&sample, 1, &processed);
}

HRESULT COutputQueue::ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed)
{
    if (processed) *processed = 0;
    if (!samples) return E_POINTER;
    if (!m_Queue) {
        // Delivered unlocked: a flush from another thread must reach a Receive that blocks.
        HRESULT hr = S_OK;
        for (LONG i = 0; i < count; ++i) {
            Lock();
            const bool flushing = m_Flushing;
            Unlock();
            if (flushing) {
                samples[i]->Release();
                hr = S_FALSE;
                continue;
            }
            DeliverDirect({Kind::Sample, samples[i], 0, 0, 0.0});
            CAutoLock lock(this);
            if (m_Result != S_OK) hr = m_Result;
        }
        if (processed) *processed = count;
        return hr;
    }
    Lock();
    for (LONG i = 0; i < count; ++i) {
        while (!m_Flushing && !m_Terminate && m_QueuedSamples >= m_ListSize) {
            ++m_RoomWaiters;
            Unlock();
            WaitForSingleObject(m_RoomEvent, INFINITE);
            Lock();
            --m_RoomWaiters;
            m_RoomSet = false;
            if (m_QueuedSamples < m_ListSize) WakeRoomWaiter();
        }
        if (m_Flushing || m_Result != S_OK) {
            samples[i]->Release();
            continue;
        }
        Put({Kind::Sample, samples[i], 0, 0, 0.0});
    }
    if (processed) *processed = count;
    const HRESULT hr = m_Flushing ? S_FALSE : m_Result;
    Unlock();
    return hr;
}

void COutputQueue::EOS()
{
    Lock();
    const bool flushing = m_Flushing;
    if (!flushing && m_Queue) Put({Kind::EndOfStream, nullptr, 0, 0, 0.0});
    Unlock();
    if (!flushing && !m_Queue) m_Pin->EndOfStream();
}

void COutputQueue::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate)
{
    Lock();
    const bool flushing = m_Flushing;
    if (!flushing) m_Result = S_OK;   // a new segment starts a new run of deliveries
    if (!flushing && m_Queue) Put({Kind::Segment, nullptr, start, stop, rate});
    Unlock();
    if (!flushing && !m_Queue) m_Pin->NewSegment(start, stop, rate);
}

void COutputQueue::BeginFlush()
{
    {
        CAutoLock lock(this);
        m_Flushing = true;
        DropQueued();
    }
    // Downstream first lets go of a thread that blocks in it.
    m_Pin->BeginFlush();
}

void COutputQueue::EndFlush()
{
    Lock();
    if (m_Queue) {
        while (m_Delivering) {
            m_IdleWaiter = true;
            Unlock();
            WaitForSingleObject(m_IdleEvent, INFINITE);
            Lock();
        }
    }
    DropQueued();
    m_Result = S_OK;
    Unlock();
    m_Pin->EndFlush();
    CAutoLock lock(this);
    m_Flushing = false;
}

void COutputQueue::SendAnyway()
{
    CAutoLock lock(this);
    if (!m_Queue || m_QueuedSamples == 0) return;
    m_SendAnyway = true;
    WakeWorker();
}

BOOL COutputQueue::IsIdle()
{
    CAutoLock lock(this);
    return m_Items.empty() && !m_Delivering;
}

void COutputQueue::Reset()
{
    CAutoLock lock(this);
    m_Result = S_OK;
}
