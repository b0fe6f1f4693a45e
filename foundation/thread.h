// A worker thread object that runs a bound member function.
#pragma once

#include "foundation/mutex.h"
#include "platform/win32/win_types.h"

#include <cstdint>
#include <memory>
#include <string>

class GxThread;

class GxThreadDelegateBase {
public:
    virtual ~GxThreadDelegateBase() = default;
    // Runs on the new thread; the result is the thread's exit code.
    virtual std::uint32_t Run(GxThread* thread, std::uintptr_t argument) = 0;
};

template <class T>
class GxThreadDelegate : public GxThreadDelegateBase {
public:
    using Function = std::uint32_t (T::*)(GxThread* thread, std::uintptr_t argument);

    GxThreadDelegate() = default;
    GxThreadDelegate(T* object, Function function) : m_Object(object), m_Function(function) {}

    std::uint32_t Run(GxThread* thread, std::uintptr_t argument) override
    {
        if (!m_Object || !m_Function) return 0;
        return (m_Object->*m_Function)(thread, argument);
    }

    virtual void Bind(T* object, Function function)
    {
        m_Object = object;
        m_Function = function;
    }

private:
    T* m_Object = nullptr;
    Function m_Function = nullptr;
};

// The OS thread stays joinable until Close: it never releases its own handle, so Wait and
// Close never touch a released (or reused) handle.
class GxThread {
public:
    GxThread() = default;
    virtual ~GxThread();

    GxThread(const GxThread&) = delete;
    GxThread& operator=(const GxThread&) = delete;

    // Waits for a started thread to end (asking it to stop first), then releases the handle
    // and the delegate and clears the state. A never-started thread is ended without running.
    virtual void Close();
    // Creates the OS thread suspended. False (the delegate is dropped) when a thread already exists.
    virtual bool Create(const std::u16string& name, std::unique_ptr<GxThreadDelegateBase> delegate);
    // Starts the suspended thread with the argument; true when this call started it.
    virtual bool Resume(std::uintptr_t argument);
    // Blocks until the started thread has ended; false when there is no started thread.
    virtual bool Wait();
    // Sets the stop request while the thread is alive.
    virtual void RequestStop();

    bool IsStopRequested();
    void IncrementJobCount();

    std::u16string GetName();
    bool HasThread();
    bool IsEnded();
    bool IsEndedOnRequest();
    std::uint32_t GetExitCode();
    std::uint32_t GetJobCount();

private:
    static DWORD ThreadEntry(LPVOID parameter);
    // The argument, the flags, the exit code and the job count back to their values before a run.
    void ResetRunState();

    GxMutex m_Lock;
    HANDLE m_Handle = nullptr;
    DWORD m_ThreadId = 0;
    std::u16string m_Name;
    std::unique_ptr<GxThreadDelegateBase> m_Delegate;
    std::uintptr_t m_Argument = 0;
    bool m_Ended = false;
    bool m_StopRequested = false;
    bool m_EndedOnRequest = false;
    std::uint32_t m_ExitCode = 0;
    std::uint32_t m_JobsDone = 0;
    bool m_Started = false;     // resumed at least once
    bool m_Abandoned = false;   // closed before it was started: the entry skips the delegate
};
