#include "foundation/async_job.h"
#include "foundation/log.h"
#include "foundation/mutex.h"
#include "foundation/object_base.h"
#include "foundation/thread.h"
#include "platform/win32/timer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// Polls until the condition holds; the bound is only a guard against a hung test.
bool WaitUntil(const std::function<bool()>& condition)
{
    for (int i = 0; i < 20000; ++i) {
        if (condition()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return condition();
}

class Gate {
public:
    void Open()
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Open = true;
        m_Changed.notify_all();
    }
    void Pass()
    {
        std::unique_lock<std::mutex> lock(m_Mutex);
        m_Changed.wait(lock, [this] { return m_Open; });
    }

private:
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    bool m_Open = false;
};

class TestJob : public GxAsyncJobBase {
public:
    explicit TestJob(std::u16string name, Gate* gate = nullptr, std::vector<std::u16string>* order = nullptr,
                     std::mutex* orderMutex = nullptr)
        : m_Name(std::move(name)), m_Gate(gate), m_Order(order), m_OrderMutex(orderMutex)
    {
    }
    std::u16string GetJobName() const override { return m_Name; }
    void RunJob(GxThread*, GxAsyncJobManage*) override
    {
        ++runs;
        if (m_Order) {
            std::lock_guard<std::mutex> lock(*m_OrderMutex);
            m_Order->push_back(m_Name);
        }
        if (m_Gate) m_Gate->Pass();
    }
    void OnCancelled(GxAsyncJobManage* manager) override
    {
        ++cancelCalls;
        GxAsyncJobBase::OnCancelled(manager);
    }

    std::atomic<int> runs{0};
    std::atomic<int> cancelCalls{0};

private:
    std::u16string m_Name;
    Gate* m_Gate;
    std::vector<std::u16string>* m_Order;
    std::mutex* m_OrderMutex;
};

class DebugLines : public GxDebugListenerBase {
public:
    int Output(const char16_t* text, std::int32_t level) override
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (level == kLevelDebug) m_Lines.push_back(text);
        return 0;
    }
    std::vector<std::u16string> Lines()
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_Lines;
    }

private:
    std::mutex m_Mutex;
    std::vector<std::u16string> m_Lines;
};

struct ScopedSink {
    explicit ScopedSink(GxDebugListenerBase* sink) { LogSetSink(sink); }
    ~ScopedSink() { LogSetSink(nullptr); }
};

TEST(Mutex, IsRecursiveAndExcludesOtherThreads)
{
    GxMutex mutex;
    {
        GxMutexScopedLock outer(mutex);
        GxMutexScopedLock inner(&mutex);   // the holder may lock again
    }
    int counter = 0;
    auto work = [&] {
        for (int i = 0; i < 20000; ++i) {
            GxMutexScopedLock lock(mutex);
            ++counter;
        }
    };
    std::thread a(work);
    std::thread b(work);
    a.join();
    b.join();
    EXPECT_EQ(counter, 40000);
    GxMutexScopedLock none(static_cast<GxMutex*>(nullptr));
}

TEST(ObjectRefCount, ReleaseNeverGoesBelowZeroNorDeletes)
{
    GxObjectRefCountNotAutoDelete object;
    EXPECT_EQ(object.GetRefCount(), 1u);
    EXPECT_EQ(object.AddRef(), 2u);
    EXPECT_EQ(object.Release(), 1u);
    EXPECT_EQ(object.Release(), 0u);
    EXPECT_EQ(object.Release(), 0u);   // stays at 0 and the object stays usable
    object.AddRef();
    object.AddRef();
    object.ReleaseAll();
    EXPECT_EQ(object.GetRefCount(), 0u);
}

struct Runner {
    std::atomic<bool> ran{false};
    std::uint32_t ReturnDouble(GxThread*, std::uintptr_t argument)
    {
        ran = true;
        return static_cast<std::uint32_t>(argument * 2);
    }
    std::uint32_t LoopUntilStopped(GxThread* thread, std::uintptr_t)
    {
        ran = true;
        while (!thread->IsStopRequested()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return 7;
    }
};

std::unique_ptr<GxThreadDelegateBase> Bind(Runner& runner, std::uint32_t (Runner::*function)(GxThread*, std::uintptr_t))
{
    return std::make_unique<GxThreadDelegate<Runner>>(&runner, function);
}

TEST(Thread, StaysJoinableAfterEndingOnItsOwn)
{
    Runner runner;
    GxThread thread;
    EXPECT_FALSE(thread.Wait());   // no thread yet
    ASSERT_TRUE(thread.Create(u"Worker", Bind(runner, &Runner::ReturnDouble)));
    EXPECT_EQ(thread.GetName(), u"Worker");
    EXPECT_TRUE(thread.Resume(21));
    EXPECT_FALSE(thread.Resume(21));   // only the first resume starts it
    EXPECT_TRUE(thread.Wait());
    EXPECT_TRUE(thread.IsEnded());
    EXPECT_FALSE(thread.IsEndedOnRequest());
    EXPECT_EQ(thread.GetExitCode(), 42u);

    // The ended thread never released its own handle: waiting again is safe, and a second
    // Create is refused until Close.
    EXPECT_TRUE(thread.HasThread());
    EXPECT_TRUE(thread.Wait());
    Runner other;
    EXPECT_FALSE(thread.Create(u"Again", Bind(other, &Runner::ReturnDouble)));
    thread.Close();
    EXPECT_FALSE(thread.HasThread());
    EXPECT_EQ(thread.GetExitCode(), 0u);
    EXPECT_TRUE(thread.Create(u"Again", Bind(other, &Runner::ReturnDouble)));
    EXPECT_TRUE(thread.Resume(1));
    EXPECT_TRUE(thread.Wait());
    EXPECT_EQ(thread.GetExitCode(), 2u);
}

TEST(Thread, StopRequestEndsALoopingDelegate)
{
    Runner runner;
    GxThread thread;
    thread.RequestStop();   // no thread: nothing to stop
    EXPECT_FALSE(thread.IsStopRequested());
    ASSERT_TRUE(thread.Create(u"Looper", Bind(runner, &Runner::LoopUntilStopped)));
    thread.Resume(0);
    ASSERT_TRUE(WaitUntil([&] { return runner.ran.load(); }));
    thread.RequestStop();
    EXPECT_TRUE(thread.Wait());
    EXPECT_TRUE(thread.IsEndedOnRequest());
    EXPECT_FALSE(thread.IsEnded());
    EXPECT_FALSE(thread.IsStopRequested());   // consumed when the delegate returned
    EXPECT_EQ(thread.GetExitCode(), 7u);
    thread.RequestStop();   // ended: the request is not set again
    EXPECT_FALSE(thread.IsStopRequested());
}

TEST(Thread, ClosingBeforeOrDuringTheRunIsSafe)
{
    Runner neverStarted;
    {
        GxThread thread;
        ASSERT_TRUE(thread.Create(u"Idle", Bind(neverStarted, &Runner::ReturnDouble)));
        EXPECT_FALSE(thread.Wait());   // would block for good on a thread that never starts
        thread.Close();
        EXPECT_FALSE(thread.HasThread());
    }
    EXPECT_FALSE(neverStarted.ran);

    // Destroyed while its delegate still runs: the destructor stops it and waits before freeing.
    Runner looping;
    {
        GxThread thread;
        ASSERT_TRUE(thread.Create(u"Busy", Bind(looping, &Runner::LoopUntilStopped)));
        thread.Resume(0);
        ASSERT_TRUE(WaitUntil([&] { return looping.ran.load(); }));
    }
}

class AsyncPoolTest : public ::testing::Test {
protected:
    void SetUp() override { platform::SetFakeClock(false); }
};

TEST_F(AsyncPoolTest, RunsJobsOldestFirstAndMarksThemCompleted)
{
    std::vector<std::u16string> order;
    std::mutex orderMutex;
    TestJob a(u"a", nullptr, &order, &orderMutex);
    TestJob b(u"b", nullptr, &order, &orderMutex);
    TestJob c(u"c", nullptr, &order, &orderMutex);
    GxAsyncJobManage pool;
    pool.CreateThread(1);
    ASSERT_TRUE(pool.AddJob(&a));
    ASSERT_TRUE(pool.AddJob(&b));
    ASSERT_TRUE(pool.AddJob(&c));
    pool.AsyncWaitAll();
    EXPECT_FALSE(pool.HasPendingJobs());
    EXPECT_EQ(order, (std::vector<std::u16string>{u"a", u"b", u"c"}));
    for (TestJob* job : {&a, &b, &c}) {
        EXPECT_TRUE(job->IsCompleted());
        EXPECT_TRUE(job->IsFinished());
        EXPECT_FALSE(job->IsRunning());
        EXPECT_FALSE(job->IsCancelled());
        EXPECT_NE(job->GetCompletionTime(), 0u);
    }
    EXPECT_FALSE(pool.AddJob(nullptr));

    // Adding a job again resets it first.
    pool.AddJob(&a);
    pool.AsyncWaitAll();
    EXPECT_EQ(a.runs, 2);
}

TEST_F(AsyncPoolTest, CancelTouchesOnlyJobsNotYetHandedOut)
{
    Gate gate;
    TestJob running(u"running", &gate);
    TestJob taken(u"taken");
    TestJob queued(u"queued");
    GxAsyncJobManage pool;
    pool.CreateThread(1);
    pool.AddJob(&running);
    ASSERT_TRUE(WaitUntil([&] { return running.IsRunning(); }));

    // The one loader is held inside `running`; this thread plays a second loader.
    pool.AddJob(&taken);
    pool.AddJob(&queued);
    GxAsyncJobEntry* entry = pool.TakeNextJob();
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry->name, u"taken");
    EXPECT_EQ(entry->job, &taken);

    pool.CancelPendingJobs();
    EXPECT_TRUE(queued.IsCancelled());
    EXPECT_EQ(queued.cancelCalls, 1);
    EXPECT_FALSE(taken.IsCancelled());
    EXPECT_FALSE(running.IsCancelled());
    pool.CancelPendingJobs();   // a cancelled entry is not cancelled twice
    EXPECT_EQ(queued.cancelCalls, 1);

    entry->job->OnStarted();
    entry->job->RunJob(nullptr, &pool);
    entry->job->OnCompleted(&pool);
    pool.FinishJob(entry);
    // Finished entries behind the unfinished `running` stay in the queue.
    EXPECT_TRUE(pool.HasPendingJobs());

    gate.Open();
    pool.AsyncWaitAll();
    EXPECT_FALSE(pool.HasPendingJobs());
    EXPECT_TRUE(running.IsCompleted());
    EXPECT_TRUE(taken.IsCompleted());
    EXPECT_EQ(queued.runs, 0);
    EXPECT_FALSE(queued.IsCompleted());
}

TEST_F(AsyncPoolTest, ShutdownCancelsQueuedJobsAndFinishesTheRunningOne)
{
    Gate gate;
    TestJob running(u"running", &gate);
    TestJob queued(u"queued");
    GxAsyncJobManage pool;
    pool.CreateThread(1);
    EXPECT_FALSE(pool.IsStopped());
    pool.AddJob(&running);
    ASSERT_TRUE(WaitUntil([&] { return running.IsRunning(); }));
    pool.AddJob(&queued);   // the one loader is busy, so this stays queued
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        gate.Open();
    });
    pool.AsyncShutdown();
    release.join();
    EXPECT_TRUE(running.IsCompleted());
    EXPECT_FALSE(running.IsCancelled());
    EXPECT_EQ(queued.runs, 0);
    EXPECT_TRUE(queued.IsCancelled());
    EXPECT_TRUE(pool.IsStopped());
    EXPECT_EQ(pool.GetThreadCount(), 0);

    // After shut-down nothing is handed out, and waiting does not hang on jobs no loader will take.
    TestJob late(u"late");
    pool.AddJob(&late);
    EXPECT_EQ(pool.TakeNextJob(), nullptr);
    pool.AsyncWaitAll();
    EXPECT_TRUE(pool.HasPendingJobs());
    pool.AsyncShutdown();   // the job still queued hears it will never run
    EXPECT_TRUE(late.IsCancelled());
    EXPECT_FALSE(pool.HasPendingJobs());
}

TEST_F(AsyncPoolTest, ZeroThreadsIsRefusedAndKeepsTheRunningPool)
{
    DebugLines lines;
    ScopedSink sink(&lines);
    GxAsyncJobManage pool;
    pool.CreateThread(2);
    pool.CreateThread(0);
    ASSERT_FALSE(lines.Lines().empty());
    EXPECT_EQ(lines.Lines()[0], u"GxAsyncJobManage::CreateThread スレッド数に0は設定できません\n");
    EXPECT_EQ(pool.GetThreadCount(), 2);
    EXPECT_FALSE(pool.IsStopped());
    TestJob job(u"after");
    pool.AddJob(&job);
    pool.AsyncWaitAll();
    EXPECT_TRUE(job.IsCompleted());
}

TEST_F(AsyncPoolTest, WaitAllOnAnEmptyQueueDoesNotSleep)
{
    platform::SetFakeClock(true);
    DWORD callsBefore = platform::FakeClockSleepCalls();
    GxAsyncJobManage pool;
    pool.AsyncWaitAll();
    EXPECT_EQ(platform::FakeClockSleepCalls(), callsBefore);
    platform::SetFakeClock(false);
}

TEST_F(AsyncPoolTest, StoppedPoolHandsOutNothing)
{
    TestJob job(u"held");
    GxAsyncJobManage pool;
    pool.CreateThread(1, true);
    pool.AddJob(&job);
    EXPECT_EQ(pool.TakeNextJob(), nullptr);
    pool.AsyncWaitAll();   // returns: a stopped pool would never drain
    EXPECT_EQ(job.runs, 0);
    pool.CancelPendingJobs();
    EXPECT_TRUE(job.IsCancelled());
    EXPECT_FALSE(pool.HasPendingJobs());
}

}  // namespace
