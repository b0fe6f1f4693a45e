// Threads, critical sections, events, semaphores and sleeps: the Win32 kernel subset over
// the C++ standard library and POSIX.
#pragma once

#include "platform/win32/win_types.h"

#include <mutex>

// Recursive, as on Windows.
struct CRITICAL_SECTION {
    std::recursive_mutex* impl = nullptr;
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

void InitializeCriticalSection(CRITICAL_SECTION* section);
void EnterCriticalSection(CRITICAL_SECTION* section);
BOOL TryEnterCriticalSection(CRITICAL_SECTION* section);
void LeaveCriticalSection(CRITICAL_SECTION* section);
void DeleteCriticalSection(CRITICAL_SECTION* section);

using LPTHREAD_START_ROUTINE = DWORD (*)(LPVOID parameter);
struct SECURITY_ATTRIBUTES;

constexpr DWORD CREATE_SUSPENDED = 0x4;
constexpr DWORD STILL_ACTIVE = 259;
constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_ABANDONED = 0x80;
constexpr DWORD WAIT_IO_COMPLETION = 0xC0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;
constexpr DWORD ERROR_TOO_MANY_POSTS = 298;

// A thread created with CREATE_SUSPENDED waits at a start gate until ResumeThread.
// The handle stays valid (and the thread joinable) until CloseHandle, whatever the thread does.
// Closing the handle of a running thread lets it run on; closing that of a thread never
// resumed ends it without running its routine.
HANDLE CreateThread(SECURITY_ATTRIBUTES* security, SIZE_T stackSize, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD creationFlags, DWORD* threadId);
// Returns the previous suspend count, or 0xFFFFFFFF on failure.
DWORD ResumeThread(HANDLE thread);
BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode);
BOOL SetThreadPriority(HANDLE thread, int priority);
DWORD GetCurrentThreadId();
// Names the calling (null handle) or given thread for debuggers (cut to the 15 bytes Linux keeps).
void SetThreadDescriptionUtf16(HANDLE thread, LPCWSTR name);

// Threads and child processes (signalled when ended), events and semaphores. Timeouts are in real time, also
// while the fake clock is on.
DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds);
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL waitAll, DWORD milliseconds);

HANDLE CreateEventW(SECURITY_ATTRIBUTES* security, BOOL manualReset, BOOL initialState, LPCWSTR name);
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);
HANDLE CreateSemaphoreW(SECURITY_ATTRIBUTES* security, LONG initialCount, LONG maximumCount, LPCWSTR name);
BOOL ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, LONG* previousCount);

// 0 yields the rest of the time slice. With the fake clock on (timer.h), the sleep advances
// the fake clock instead of waiting.
DWORD SleepEx(DWORD milliseconds, BOOL alertable);
void Sleep(DWORD milliseconds);

namespace platform {

// For deterministic tests of threads woken by events: from the mark on, every SetEvent is
// followed. SettleEvents waits (at most `milliseconds`, real time) until each event set since
// the mark has been taken by a wait and the thread that took it is blocked in a wait again or
// has ended; false on time-out. Only waits of this layer count (not condition variables).
void MarkEventSettle();
bool SettleEvents(DWORD milliseconds);

}  // namespace platform
