// The asynchronous job pool: loader threads that take jobs from a first-in first-out queue.
// Lock order: the manager's lock before a job's lock; a job never takes the manager's lock.
#pragma once

#include "foundation/mutex.h"
#include "foundation/thread.h"

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class GxAsyncJobManage;

// The job interface; every flag is read and written under the job's own lock, so the window
// thread may poll a job while a loader works on it.
class GxAsyncJobBase {
public:
    GxAsyncJobBase();
    virtual ~GxAsyncJobBase();

    GxAsyncJobBase(const GxAsyncJobBase&) = delete;
    GxAsyncJobBase& operator=(const GxAsyncJobBase&) = delete;

    virtual bool IsRunning() const;
    virtual bool IsCompleted() const;
    virtual bool IsCancelled() const;
    // Completed or cancelled.
    virtual bool IsFinished() const;
    // The millisecond clock when the job completed.
    virtual std::uint32_t GetCompletionTime() const;
    // Back to idle: clears the flags and the completion time.
    virtual void ResetJob();
    virtual std::u16string GetJobName() const;
    // The work, run on a loader thread outside the manager's lock.
    virtual void RunJob(GxThread* thread, GxAsyncJobManage* manager) = 0;
    virtual void OnCompleted(GxAsyncJobManage* manager);
    virtual void OnCancelled(GxAsyncJobManage* manager);
    virtual void OnStarted();

protected:
    // Also the lock of whatever derives from the job (a device resource uses it as its own).
    GxMutex& GetJobLock() const { return m_JobLock; }

private:
    mutable GxMutex m_JobLock;
    bool m_Running = false;
    bool m_Completed = false;
    bool m_Cancelled = false;
    std::uint32_t m_CompletionTime = 0;
};

// One element of the queue. Finished (done or cancelled) entries no longer refer to their job.
struct GxAsyncJobEntry {
    std::u16string name;
    GxAsyncJobBase* job = nullptr;   // not owned
    bool done = false;
    bool cancelled = false;

    bool IsFinished() const { return done || cancelled; }
};

// Holds no state: its member function is the loop each loader thread runs.
class GxAsyncWorker {
public:
    // argument: the GxAsyncJobManage the thread serves.
    std::uint32_t WorkerLoop(GxThread* thread, std::uintptr_t argument);
};

class GxAsyncJobManage {
public:
    GxAsyncJobManage() = default;
    virtual ~GxAsyncJobManage();

    GxAsyncJobManage(const GxAsyncJobManage&) = delete;
    GxAsyncJobManage& operator=(const GxAsyncJobManage&) = delete;

    // Stops any earlier threads, then starts `count` loader threads "AsyncWorker%d".
    // A count below 1 is refused with a debug log line and changes nothing.
    void CreateThread(std::int32_t count, bool stopped = false);
    // Resets the job and queues it at the back, under the job's name. False for a null job.
    bool AddJob(GxAsyncJobBase* job);
    bool AddJob(const std::u16string& name, GxAsyncJobBase* job);
    // Any entry in the queue, finished entries not yet removed included.
    bool HasPendingJobs();
    // Waits, 10 ms at a time, until the queue is empty. Returns at once when no loader thread
    // could empty it (none running, or the pool is stopped).
    void AsyncWaitAll();
    // Cancels every entry not yet handed out; entries already taken run to their end.
    void CancelPendingJobs();
    // For the loader threads: the next unfinished entry, or null. The caller runs its job
    // outside the lock and then calls FinishJob.
    GxAsyncJobEntry* TakeNextJob();
    // Marks a taken entry done and drops its job reference.
    void FinishJob(GxAsyncJobEntry* entry);
    // Cancels what is queued, lets the loaders run dry, stops and frees them; the pool is
    // stopped afterwards.
    void AsyncShutdown();

    std::int32_t GetThreadCount();
    bool IsStopped();
    // For the loader threads: a count that moves whenever there may be work (a job queued) or a
    // stop to notice; WaitForWork sleeps until it differs from `seen`, or at most `timeoutMs`.
    // Idle loaders sleep instead of polling the queue.
    std::uint64_t GetWakeSerial();
    void WaitForWork(std::uint64_t seen, std::uint32_t timeoutMs);

private:
    bool HasLiveThread();
    void WakeWorkers();
    void RemoveFinishedFront();
    void CancelFromNext();

    GxMutex m_Lock;
    std::int32_t m_ThreadCount = 0;
    std::vector<std::unique_ptr<GxThread>> m_Threads;
    std::vector<std::unique_ptr<GxAsyncWorker>> m_Workers;
    std::deque<GxAsyncJobEntry> m_Queue;
    std::uint32_t m_Next = 0;
    bool m_Stopped = true;
    std::mutex m_WakeLock;
    std::condition_variable m_Wake;
    std::uint64_t m_WakeSerial = 0;
};
