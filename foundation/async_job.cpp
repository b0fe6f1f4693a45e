#include "foundation/async_job.h"

#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "platform/win32/sync.h"
#include "platform/win32/timer.h"

#include <chrono>

namespace {

// An idle loader looks at the queue at least this often even without a wake-up.
constexpr std::uint32_t kIdleWaitMilliseconds = 100;

}  // namespace

GxAsyncJobBase::GxAsyncJobBase()
{
    ResetJob();
}

GxAsyncJobBase::~GxAsyncJobBase() = default;

bool GxAsyncJobBase::IsRunning() const
{
    GxMutexScopedLock lock(m_JobLock);
    return m_Running;
}

bool GxAsyncJobBase::IsCompleted() const
{
    GxMutexScopedLock lock(m_JobLock);
    return m_Completed;
}

bool GxAsyncJobBase::IsCancelled() const
{
    GxMutexScopedLock lock(m_JobLock);
    return m_Cancelled;
}

bool GxAsyncJobBase::IsFinished() const
{
    GxMutexScopedLock lock(m_JobLock);
    return m_Completed || m_Cancelled;
}

std::uint32_t GxAsyncJobBase::GetCompletionTime() const
{
    GxMutexScopedLock lock(m_JobLock);
    return m_CompletionTime;
}

void GxAsyncJobBase::ResetJob()
{
    GxMutexScopedLock lock(m_JobLock);
    m_Running = false;
    m_Completed = false;
    m_Cancelled = false;
    m_CompletionTime = 0;
}

std::u16string GxAsyncJobBase::GetJobName() const
{
    return {};
}

void GxAsyncJobBase::OnCompleted(GxAsyncJobManage*)
{
    GxMutexScopedLock lock(m_JobLock);
    m_Running = false;
    m_Completed = true;
    m_CompletionTime = timeGetTime();
}

void GxAsyncJobBase::OnCancelled(GxAsyncJobManage*)
{
    GxMutexScopedLock lock(m_JobLock);
    m_Cancelled = true;
}

void GxAsyncJobBase::OnStarted()
{
    GxMutexScopedLock lock(m_JobLock);
    m_Running = true;
}

std::uint32_t GxAsyncWorker::WorkerLoop(GxThread* thread, std::uintptr_t argument)
{
    GxAsyncJobManage* manager = reinterpret_cast<GxAsyncJobManage*>(argument);
    if (!manager || thread->IsStopRequested()) return 0;
    do {
        const std::uint64_t serial = manager->GetWakeSerial();
        GxAsyncJobEntry* entry = manager->TakeNextJob();
        // A taken entry is touched by no one else until FinishJob.
        if (entry && entry->job) {
            GxAsyncJobBase* job = entry->job;
            job->OnStarted();
            job->RunJob(thread, manager);
            // Completed before the entry is marked done: once the entry is done the queue may
            // drop it, and a waiter may free the job.
            job->OnCompleted(manager);
            manager->FinishJob(entry);
            thread->IncrementJobCount();
            SleepEx(2, TRUE);
        } else {
            manager->WaitForWork(serial, kIdleWaitMilliseconds);
        }
    } while (!thread->IsStopRequested());
    return 0;
}

GxAsyncJobManage::~GxAsyncJobManage()
{
    AsyncShutdown();
}

void GxAsyncJobManage::CreateThread(std::int32_t count, bool stopped)
{
    if (count <= 0) {
        LogPrintDebug(u"GxAsyncJobManage::CreateThread スレッド数に0は設定できません\n");
        return;
    }
    AsyncShutdown();

    {
        GxMutexScopedLock lock(m_Lock);
        m_Stopped = stopped;
        m_ThreadCount = count;
        for (std::int32_t i = 0; i < count; ++i) {
            m_Threads.push_back(std::make_unique<GxThread>());
            m_Workers.push_back(std::make_unique<GxAsyncWorker>());
        }
    }
    for (std::int32_t i = 0; i < count; ++i) {
        auto delegate = std::make_unique<GxThreadDelegate<GxAsyncWorker>>(m_Workers[i].get(), &GxAsyncWorker::WorkerLoop);
        GxThread& thread = *m_Threads[i];
        // A thread that cannot be created leaves that worker idle; the others still serve the queue.
        if (thread.Create(FormatWide(u"AsyncWorker%d", i), std::move(delegate)))
            thread.Resume(reinterpret_cast<std::uintptr_t>(this));
    }
}

bool GxAsyncJobManage::AddJob(GxAsyncJobBase* job)
{
    if (!job) {
        LogPrint(u"GxAsyncJobManage::AddJob/ジョブがありません\n");
        return false;
    }
    return AddJob(job->GetJobName(), job);
}

bool GxAsyncJobManage::AddJob(const std::u16string& name, GxAsyncJobBase* job)
{
    if (!job) {
        LogPrint(u"GxAsyncJobManage::AddJob/ジョブがありません(%s)\n", name.c_str());
        return false;
    }
    {
        GxMutexScopedLock lock(m_Lock);
        job->ResetJob();
        m_Queue.push_back(GxAsyncJobEntry{name, job, false, false});
    }
    WakeWorkers();
    return true;
}

std::uint64_t GxAsyncJobManage::GetWakeSerial()
{
    std::lock_guard<std::mutex> lock(m_WakeLock);
    return m_WakeSerial;
}

void GxAsyncJobManage::WaitForWork(std::uint64_t seen, std::uint32_t timeoutMs)
{
    std::unique_lock<std::mutex> lock(m_WakeLock);
    m_Wake.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return m_WakeSerial != seen; });
}

void GxAsyncJobManage::WakeWorkers()
{
    {
        std::lock_guard<std::mutex> lock(m_WakeLock);
        ++m_WakeSerial;
    }
    m_Wake.notify_all();
}

bool GxAsyncJobManage::HasPendingJobs()
{
    GxMutexScopedLock lock(m_Lock);
    return !m_Queue.empty();
}

void GxAsyncJobManage::AsyncWaitAll()
{
    for (;;) {
        {
            GxMutexScopedLock lock(m_Lock);
            if (m_Queue.empty()) return;
            if (m_Stopped || !HasLiveThread()) {
                LogPrintDebug(u"GxAsyncJobManage::AsyncWaitAll/ワーカーが動いていないため待機しません\n");
                return;
            }
        }
        SleepEx(10, TRUE);
    }
}

bool GxAsyncJobManage::HasLiveThread()
{
    for (auto& thread : m_Threads)
        if (thread->HasThread()) return true;
    return false;
}

void GxAsyncJobManage::RemoveFinishedFront()
{
    while (!m_Queue.empty() && m_Queue.front().IsFinished()) {
        m_Queue.pop_front();
        if (m_Next > 0) --m_Next;
    }
}

void GxAsyncJobManage::CancelFromNext()
{
    for (std::size_t i = m_Next; i < m_Queue.size(); ++i) {
        GxAsyncJobEntry& entry = m_Queue[i];
        if (entry.cancelled || !entry.job) continue;
        entry.job->OnCancelled(this);
        entry.job = nullptr;
        entry.cancelled = true;
    }
}

void GxAsyncJobManage::CancelPendingJobs()
{
    GxMutexScopedLock lock(m_Lock);
    CancelFromNext();
    RemoveFinishedFront();
}

GxAsyncJobEntry* GxAsyncJobManage::TakeNextJob()
{
    GxMutexScopedLock lock(m_Lock);
    RemoveFinishedFront();
    if (m_Stopped) return nullptr;
    while (m_Next < m_Queue.size()) {
        GxAsyncJobEntry& entry = m_Queue[m_Next];
        ++m_Next;
        if (!entry.IsFinished()) return &entry;
    }
    return nullptr;
}

void GxAsyncJobManage::FinishJob(GxAsyncJobEntry* entry)
{
    if (!entry) return;
    GxMutexScopedLock lock(m_Lock);
    entry->done = true;
    entry->job = nullptr;
}

void GxAsyncJobManage::AsyncShutdown()
{
    std::vector<std::unique_ptr<GxThread>> threads;
    std::vector<std::unique_ptr<GxAsyncWorker>> workers;
    bool hasThreads = false;
    {
        GxMutexScopedLock lock(m_Lock);
        hasThreads = !m_Threads.empty();
    }
    if (hasThreads) {
        CancelPendingJobs();
        AsyncWaitAll();
        // Not under the manager's lock: the loaders need it to take their last entries.
        for (auto& thread : m_Threads) thread->RequestStop();
        WakeWorkers();
        for (auto& thread : m_Threads) thread->Wait();
        GxMutexScopedLock lock(m_Lock);
        threads.swap(m_Threads);
        workers.swap(m_Workers);
        m_ThreadCount = 0;
    }
    threads.clear();   // each thread has ended, so its delegate and worker can go
    workers.clear();

    GxMutexScopedLock lock(m_Lock);
    // Jobs still queued hear that they will never run, rather than wait for good.
    CancelFromNext();
    m_Queue.clear();
    m_Next = 0;
    m_Stopped = true;
}

std::int32_t GxAsyncJobManage::GetThreadCount()
{
    GxMutexScopedLock lock(m_Lock);
    return m_ThreadCount;
}

bool GxAsyncJobManage::IsStopped()
{
    GxMutexScopedLock lock(m_Lock);
    return m_Stopped;
}
