#include "platform/win32/file.h"
#include "platform/win32/sync.h"
#include "platform/win32/timer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace {

// A thread body that waits for `gate`, then returns `code`.
struct GatedWork {
    HANDLE gate = nullptr;
    DWORD code = 0;
    std::atomic<bool> started{false};
};

DWORD RunGated(LPVOID parameter)
{
    auto* work = static_cast<GatedWork*>(parameter);
    work->started = true;
    WaitForSingleObject(work->gate, INFINITE);
    return work->code;
}

class Win32Sync : public ::testing::Test {
protected:
    void SetUp() override { m_Work.gate = CreateEventW(nullptr, TRUE, FALSE, nullptr); }
    void TearDown() override { CloseHandle(m_Work.gate); }
    GatedWork m_Work;
};

TEST(Win32CriticalSection, IsRecursiveAndExcludesOtherThreads)
{
    CRITICAL_SECTION section;
    InitializeCriticalSection(&section);
    EnterCriticalSection(&section);
    EnterCriticalSection(&section);   // the holder may enter again
    auto otherThreadGets = [&] {
        bool got = false;
        std::thread([&] {
            got = TryEnterCriticalSection(&section);
            if (got) LeaveCriticalSection(&section);
        }).join();
        return got;
    };
    EXPECT_FALSE(otherThreadGets());
    LeaveCriticalSection(&section);
    EXPECT_FALSE(otherThreadGets());   // still held once
    LeaveCriticalSection(&section);
    EXPECT_TRUE(otherThreadGets());
    DeleteCriticalSection(&section);
}

TEST_F(Win32Sync, SuspendedThreadStartsOnlyOnResumeAndOnlyOnce)
{
    m_Work.code = 42;
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, RunGated, &m_Work, CREATE_SUSPENDED, &id);
    ASSERT_NE(thread, nullptr);
    EXPECT_NE(id, 0u);
    EXPECT_EQ(WaitForSingleObject(thread, 20), WAIT_TIMEOUT);
    EXPECT_FALSE(m_Work.started);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, STILL_ACTIVE);

    EXPECT_EQ(ResumeThread(thread), 1u);   // this call started it
    EXPECT_EQ(ResumeThread(thread), 0u);   // a second resume is not "exactly once"
    SetEvent(m_Work.gate);
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    EXPECT_TRUE(m_Work.started);
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 42u);
    EXPECT_TRUE(CloseHandle(thread));
}

TEST_F(Win32Sync, RunningThreadReportsStillActiveAndStaysWaitableAfterItEnds)
{
    m_Work.code = 7;
    HANDLE thread = CreateThread(nullptr, 0, RunGated, &m_Work, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_EQ(ResumeThread(thread), 0u);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, STILL_ACTIVE);
    SetEvent(m_Work.gate);
    // The handle outlives the thread: waiting again, from any thread, still works.
    EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
    DWORD result = WAIT_FAILED;
    std::thread([&] { result = WaitForSingleObject(thread, INFINITE); }).join();
    EXPECT_EQ(result, WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeThread(thread, &code));
    EXPECT_EQ(code, 7u);
    EXPECT_TRUE(CloseHandle(thread));
}

DWORD SignalAfterGate(LPVOID parameter)
{
    auto* events = static_cast<HANDLE*>(parameter);
    WaitForSingleObject(events[0], INFINITE);
    SetEvent(events[1]);
    return 0;
}

TEST_F(Win32Sync, ClosingHandlesOfLiveOrUnstartedThreadsIsSafe)
{
    // A running thread whose handle is closed runs on to its end.
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE events[2] = {m_Work.gate, done};
    HANDLE thread = CreateThread(nullptr, 0, SignalAfterGate, events, 0, nullptr);
    ASSERT_NE(thread, nullptr);
    EXPECT_TRUE(CloseHandle(thread));
    SetEvent(m_Work.gate);
    EXPECT_EQ(WaitForSingleObject(done, INFINITE), WAIT_OBJECT_0);

    // A thread never resumed ends without running its body.
    HANDLE unstarted = CreateThread(nullptr, 0, RunGated, &m_Work, CREATE_SUSPENDED, nullptr);
    ASSERT_NE(unstarted, nullptr);
    EXPECT_TRUE(CloseHandle(unstarted));
    EXPECT_FALSE(m_Work.started);

    // The closed handles are gone for every call.
    EXPECT_FALSE(CloseHandle(thread));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_EQ(ResumeThread(unstarted), 0xFFFFFFFFu);
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    CloseHandle(done);
}

TEST(Win32Handles, BadHandlesFailWithoutCrashing)
{
    HANDLE bad[] = {nullptr, INVALID_HANDLE_VALUE, reinterpret_cast<HANDLE>(0x12345678)};
    DWORD code = 0;
    for (HANDLE handle : bad) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_FALSE(CloseHandle(handle));
        EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
        EXPECT_EQ(WaitForSingleObject(handle, 0), WAIT_FAILED);
        EXPECT_FALSE(SetEvent(handle));
        EXPECT_FALSE(ReleaseSemaphore(handle, 1, nullptr));
        EXPECT_FALSE(GetExitCodeThread(handle, &code));
        EXPECT_EQ(ResumeThread(handle), 0xFFFFFFFFu);
    }
    // A handle of the wrong kind is as bad as none.
    HANDLE semaphore = CreateSemaphoreW(nullptr, 0, 1, nullptr);
    EXPECT_FALSE(SetEvent(semaphore));
    EXPECT_EQ(ResumeThread(semaphore), 0xFFFFFFFFu);
    EXPECT_TRUE(CloseHandle(semaphore));
    EXPECT_EQ(CreateThread(nullptr, 0, nullptr, nullptr, 0, nullptr), nullptr);
}

TEST(Win32Events, AutoResetWakesOneWaitManualResetStaysSignalled)
{
    HANDLE automatic = CreateEventW(nullptr, FALSE, TRUE, nullptr);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(automatic, 0), WAIT_TIMEOUT);   // the wait took the signal

    HANDLE manual = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);
    SetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
    ResetEvent(manual);
    EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_TIMEOUT);

    // A waiter on another thread is woken by SetEvent.
    DWORD result = WAIT_FAILED;
    std::thread waiter([&] { result = WaitForSingleObject(automatic, INFINITE); });
    SetEvent(automatic);
    waiter.join();
    EXPECT_EQ(result, WAIT_OBJECT_0);
    CloseHandle(automatic);
    CloseHandle(manual);
}

TEST(Win32Events, WaitForMultipleObjectsAnyAndAll)
{
    HANDLE events[3] = {CreateEventW(nullptr, TRUE, FALSE, nullptr), CreateEventW(nullptr, FALSE, FALSE, nullptr),
                        CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_TIMEOUT);
    SetEvent(events[2]);
    SetEvent(events[1]);
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0 + 1);   // lowest index first
    EXPECT_EQ(WaitForMultipleObjects(3, events, FALSE, 0), WAIT_OBJECT_0 + 2);
    // All: nothing is taken until every object is signalled.
    SetEvent(events[1]);
    EXPECT_EQ(WaitForMultipleObjects(3, events, TRUE, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(events[1], 0), WAIT_OBJECT_0);   // still signalled before
    SetEvent(events[0]);
    SetEvent(events[1]);
    EXPECT_EQ(WaitForMultipleObjects(3, events, TRUE, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(events[1], 0), WAIT_TIMEOUT);   // the auto-reset one was taken

    HANDLE twice[2] = {events[0], events[0]};
    EXPECT_EQ(WaitForMultipleObjects(2, twice, TRUE, 0), WAIT_FAILED);
    EXPECT_EQ(WaitForMultipleObjects(0, events, FALSE, 0), WAIT_FAILED);
    for (HANDLE event : events) CloseHandle(event);
}

TEST(Win32Semaphores, CountUpToTheMaximum)
{
    EXPECT_EQ(CreateSemaphoreW(nullptr, 3, 2, nullptr), nullptr);
    EXPECT_EQ(CreateSemaphoreW(nullptr, 0, 0, nullptr), nullptr);
    HANDLE semaphore = CreateSemaphoreW(nullptr, 1, 2, nullptr);
    ASSERT_NE(semaphore, nullptr);
    EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_TIMEOUT);
    LONG previous = -1;
    EXPECT_TRUE(ReleaseSemaphore(semaphore, 2, &previous));
    EXPECT_EQ(previous, 0);
    EXPECT_FALSE(ReleaseSemaphore(semaphore, 1, &previous));
    EXPECT_EQ(GetLastError(), ERROR_TOO_MANY_POSTS);
    EXPECT_FALSE(ReleaseSemaphore(semaphore, 0, nullptr));
    EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(semaphore, 0), WAIT_TIMEOUT);
    CloseHandle(semaphore);
}

TEST(Win32Sleep, FakeClockTakesTheSleepsAndZeroStillCounts)
{
    platform::SetFakeClock(true, 5000);
    EXPECT_EQ(SleepEx(10, TRUE), 0u);
    SleepEx(0, TRUE);
    Sleep(2);
    EXPECT_EQ(timeGetTime(), 5012u);
    EXPECT_EQ(platform::FakeClockSleptMilliseconds(), 12u);
    EXPECT_EQ(platform::FakeClockSleepCalls(), 3u);
    platform::SetFakeClock(false);
    EXPECT_EQ(SleepEx(0, TRUE), 0u);   // a real yield returns at once
}

}  // namespace
