// The streaming thread of the test filters (the graph tests' source, the movie tests' parser): it
// starts on a go event, so that a graph's settle follows it to its first wait, counts itself live
// until its work returns, and its work parks on a wake event until told to quit. Header only: the
// platform test programs do not link the fixture library.
#pragma once

#include "platform/win32/file.h"
#include "platform/win32/sync.h"

#include <atomic>
#include <functional>
#include <utility>

// How long a test waits for a graph to settle into a state: long enough for a loaded machine.
inline constexpr DWORD kSettleMs = 60000;

class TestStreamThread {
public:
    TestStreamThread() = default;
    TestStreamThread(const TestStreamThread&) = delete;
    TestStreamThread& operator=(const TestStreamThread&) = delete;
    ~TestStreamThread() { Stop(); }

    // `work` on a thread of its own, counted in `live` from now until it returns.
    void Start(std::function<void()> work, std::atomic<int>* live)
    {
        m_Quit = false;
        m_Work = std::move(work);
        m_Live = live;
        m_Go = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        m_Wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        ++*m_Live;
        m_Thread = CreateThread(nullptr, 0, &TestStreamThread::Main, this, 0, nullptr);
        SetEvent(m_Go);   // so that a settle follows the thread to its first wait
    }

    // Asks the work to end, wakes it and joins the thread; nothing without one.
    void Stop()
    {
        if (!m_Thread)
            return;
        m_Quit = true;
        SetEvent(m_Wake);
        WaitForSingleObject(m_Thread, INFINITE);
        CloseHandle(m_Thread);
        CloseHandle(m_Go);
        CloseHandle(m_Wake);
        m_Thread = m_Go = m_Wake = nullptr;
    }

    void RequestQuit() { m_Quit = true; }
    bool Quitting() const { return m_Quit; }
    bool Running() const { return m_Thread != nullptr; }
    // For the work once it has nothing more to deliver: waits until Stop.
    void ParkUntilQuit()
    {
        while (!m_Quit)
            WaitForSingleObject(m_Wake, INFINITE);
    }

private:
    static DWORD Main(LPVOID self)
    {
        auto* thread = static_cast<TestStreamThread*>(self);
        WaitForSingleObject(thread->m_Go, INFINITE);
        thread->m_Work();
        --*thread->m_Live;
        return 0;
    }

    std::function<void()> m_Work;
    std::atomic<int>* m_Live = nullptr;
    HANDLE m_Thread = nullptr;
    HANDLE m_Go = nullptr;
    HANDLE m_Wake = nullptr;
    std::atomic<bool> m_Quit{false};
};
