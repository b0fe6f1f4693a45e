#include "platform/win32/sync.h"

#include "platform/win32/codepage.h"
#include "platform/win32/file.h"
#include "platform/win32/handle_table.h"
#include "platform/win32/timer.h"

#include <pthread.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace {

// --- critical sections ------------------------------------------------------------------

// A section used without InitializeCriticalSection is created on first use rather than crashing.
std::recursive_mutex* SectionMutex(CRITICAL_SECTION* section)
{
    std::atomic_ref<std::recursive_mutex*> impl(section->impl);
    std::recursive_mutex* mutex = impl.load(std::memory_order_acquire);
    if (mutex) return mutex;
    auto* created = new std::recursive_mutex;
    if (impl.compare_exchange_strong(mutex, created, std::memory_order_acq_rel)) return created;
    delete created;
    return mutex;
}

// --- settling -----------------------------------------------------------------------------

// Events set since the mark and not yet taken by a wait, and the threads that took one and
// have not blocked in a wait again (nor ended). Guarded by WaitMutex().
struct SettleState {
    bool marked = false;
    std::set<const void*> untaken;
    std::set<std::thread::id> busy;
};

SettleState& Settle()
{
    static SettleState* state = new SettleState;
    return *state;
}

bool SettleQuiet() { return Settle().untaken.empty() && Settle().busy.empty(); }

// WaitMutex() held. True when the change may let SettleEvents return.
bool SettleThreadBlocks()
{
    return Settle().busy.erase(std::this_thread::get_id()) > 0;
}

// --- threads ------------------------------------------------------------------------------

std::atomic<DWORD> g_NextThreadId{1};
thread_local DWORD t_ThreadId = 0;

// Shared by the thread's handle object and the running thread; guarded by WaitMutex().
struct ThreadState {
    DWORD suspendCount = 0;
    bool abandoned = false;   // handle closed before the thread was ever resumed
    bool ended = false;
    DWORD exitCode = STILL_ACTIVE;
};

class ThreadObject : public platform::WaitableObject {
public:
    ThreadObject(std::shared_ptr<ThreadState> state, DWORD id) : m_State(std::move(state)), m_Id(id) {}

    ~ThreadObject() override
    {
        if (!m_Thread.joinable()) return;
        bool ended = false;
        {
            std::lock_guard<std::mutex> lock(platform::WaitMutex());
            if (m_State->suspendCount > 0) m_State->abandoned = true;
            ended = m_State->ended || m_State->abandoned;
        }
        platform::NotifyWaiters();
        // A thread that ended (or never will start) is joined; a running one goes on detached.
        if (ended && m_Thread.get_id() != std::this_thread::get_id())
            m_Thread.join();
        else
            m_Thread.detach();
    }

    bool IsSignalled() const override { return m_State->ended; }

    ThreadState& State() { return *m_State; }
    std::thread& Thread() { return m_Thread; }
    DWORD Id() const { return m_Id; }

private:
    std::shared_ptr<ThreadState> m_State;
    std::thread m_Thread;
    DWORD m_Id;
};

void RunThread(std::shared_ptr<ThreadState> state, LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD id)
{
    t_ThreadId = id;
    {
        std::unique_lock<std::mutex> lock(platform::WaitMutex());
        platform::WaitCondition().wait(lock, [&] { return state->suspendCount == 0 || state->abandoned; });
        if (state->suspendCount > 0) {
            state->exitCode = 0;
            state->ended = true;
            return;
        }
    }
    const DWORD exitCode = start(parameter);
    {
        std::lock_guard<std::mutex> lock(platform::WaitMutex());
        state->exitCode = exitCode;
        state->ended = true;
        SettleThreadBlocks();   // an ended thread counts as settled
    }
    platform::NotifyWaiters();
}

// --- events and semaphores --------------------------------------------------------------

class EventObject : public platform::WaitableObject {
public:
    EventObject(bool manualReset, bool signalled) : m_ManualReset(manualReset), m_Signalled(signalled) {}
    ~EventObject() override
    {
        // Dropped unlocked (see WaitForMultipleObjects): a set that nobody can take any more
        // must not hold SettleEvents up.
        bool changed = false;
        {
            std::lock_guard<std::mutex> lock(platform::WaitMutex());
            changed = Settle().untaken.erase(this) > 0;
        }
        if (changed) platform::NotifyWaiters();
    }
    bool IsSignalled() const override { return m_Signalled; }
    void Acquire() override
    {
        if (!m_ManualReset) m_Signalled = false;
    }
    void Set(bool signalled) { m_Signalled = signalled; }

private:
    bool m_ManualReset;
    bool m_Signalled;
};

class SemaphoreObject : public platform::WaitableObject {
public:
    SemaphoreObject(LONG count, LONG maximum) : m_Count(count), m_Maximum(maximum) {}
    bool IsSignalled() const override { return m_Count > 0; }
    void Acquire() override { --m_Count; }
    // False when the count would pass the maximum.
    bool Release(LONG count, LONG* previous)
    {
        if (count > m_Maximum - m_Count) return false;
        if (previous) *previous = m_Count;
        m_Count += count;
        return true;
    }

private:
    LONG m_Count;
    LONG m_Maximum;
};

}  // namespace

void InitializeCriticalSection(CRITICAL_SECTION* section)
{
    if (section) section->impl = new std::recursive_mutex;
}

void EnterCriticalSection(CRITICAL_SECTION* section)
{
    if (section) SectionMutex(section)->lock();
}

BOOL TryEnterCriticalSection(CRITICAL_SECTION* section)
{
    return section && SectionMutex(section)->try_lock() ? TRUE : FALSE;
}

void LeaveCriticalSection(CRITICAL_SECTION* section)
{
    if (section && section->impl) section->impl->unlock();
}

void DeleteCriticalSection(CRITICAL_SECTION* section)
{
    if (!section) return;
    delete section->impl;
    section->impl = nullptr;
}

HANDLE CreateThread(SECURITY_ATTRIBUTES*, SIZE_T, LPTHREAD_START_ROUTINE start, LPVOID parameter,
                    DWORD creationFlags, DWORD* threadId)
{
    if (!start) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto state = std::make_shared<ThreadState>();
    state->suspendCount = (creationFlags & CREATE_SUSPENDED) ? 1 : 0;
    const DWORD id = g_NextThreadId.fetch_add(1);
    auto object = std::make_shared<ThreadObject>(state, id);
    try {
        object->Thread() = std::thread(RunThread, state, start, parameter, id);
    } catch (const std::system_error&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    if (threadId) *threadId = id;
    return platform::AddHandle(std::move(object));
}

DWORD ResumeThread(HANDLE thread)
{
    auto object = platform::FindHandleAs<ThreadObject>(thread);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0xFFFFFFFFu;
    }
    DWORD previous = 0;
    {
        std::lock_guard<std::mutex> lock(platform::WaitMutex());
        ThreadState& state = object->State();
        previous = state.suspendCount;
        if (state.suspendCount > 0) --state.suspendCount;
    }
    if (previous == 1) platform::NotifyWaiters();
    return previous;
}

BOOL GetExitCodeThread(HANDLE thread, DWORD* exitCode)
{
    auto object = platform::FindHandleAs<ThreadObject>(thread);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!exitCode) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    std::lock_guard<std::mutex> lock(platform::WaitMutex());
    *exitCode = object->State().ended ? object->State().exitCode : STILL_ACTIVE;
    return TRUE;
}

BOOL SetThreadPriority(HANDLE thread, int)
{
    // Priorities are left to the Linux scheduler.
    if (platform::FindHandleAs<ThreadObject>(thread)) return TRUE;
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
}

DWORD GetCurrentThreadId()
{
    if (t_ThreadId == 0) t_ThreadId = g_NextThreadId.fetch_add(1);
    return t_ThreadId;
}

void SetThreadDescriptionUtf16(HANDLE thread, LPCWSTR name)
{
    if (!name) return;
    std::string utf8 = platform::Utf16ToUtf8(name);
    std::size_t cut = utf8.size() < 15 ? utf8.size() : 15;
    while (cut > 0 && cut < utf8.size() && (static_cast<unsigned char>(utf8[cut]) & 0xC0) == 0x80) --cut;
    utf8.resize(cut);
    if (!thread) {
        pthread_setname_np(pthread_self(), utf8.c_str());
        return;
    }
    auto object = platform::FindHandleAs<ThreadObject>(thread);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return;
    }
    std::lock_guard<std::mutex> lock(platform::WaitMutex());
    if (!object->State().ended && object->Thread().joinable())
        pthread_setname_np(object->Thread().native_handle(), utf8.c_str());
}

namespace {

// WaitMutex() held: the calling thread took `object`'s signal.
void TakeForSettle(const platform::WaitableObject* object)
{
    if (Settle().untaken.erase(object) > 0) Settle().busy.insert(std::this_thread::get_id());
}

}  // namespace

DWORD WaitForSingleObject(HANDLE object, DWORD milliseconds)
{
    return WaitForMultipleObjects(1, &object, TRUE, milliseconds);
}

DWORD WaitForMultipleObjects(DWORD count, const HANDLE* objects, BOOL waitAll, DWORD milliseconds)
{
    if (count == 0 || count > MAXIMUM_WAIT_OBJECTS || !objects) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    // Declared before the lock so that the last reference to an object is dropped unlocked.
    std::vector<std::shared_ptr<platform::WaitableObject>> waitables;
    for (DWORD i = 0; i < count; ++i) {
        auto waitable = platform::FindHandleAs<platform::WaitableObject>(objects[i]);
        if (!waitable) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
        for (const auto& earlier : waitables) {
            if (waitAll && earlier == waitable) {   // one object twice cannot be taken twice at once
                SetLastError(ERROR_INVALID_PARAMETER);
                return WAIT_FAILED;
            }
        }
        waitables.push_back(std::move(waitable));
    }

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    std::unique_lock<std::mutex> lock(platform::WaitMutex());
    while (true) {
        if (waitAll) {
            bool all = true;
            for (const auto& waitable : waitables) all = all && waitable->IsSignalled();
            if (all) {
                for (const auto& waitable : waitables) {
                    waitable->Acquire();
                    TakeForSettle(waitable.get());
                }
                return WAIT_OBJECT_0;
            }
        } else {
            for (DWORD i = 0; i < count; ++i) {
                if (waitables[i]->IsSignalled()) {
                    waitables[i]->Acquire();
                    TakeForSettle(waitables[i].get());
                    return WAIT_OBJECT_0 + i;
                }
            }
        }
        if (milliseconds == 0) return WAIT_TIMEOUT;
        if (SettleThreadBlocks()) platform::NotifyWaiters();
        if (milliseconds == INFINITE) {
            platform::WaitCondition().wait(lock);
        } else if (platform::WaitCondition().wait_until(lock, deadline) == std::cv_status::timeout) {
            milliseconds = 0;   // look once more, then time out
        }
    }
}

HANDLE CreateEventW(SECURITY_ATTRIBUTES*, BOOL manualReset, BOOL initialState, LPCWSTR)
{
    return platform::AddHandle(std::make_shared<EventObject>(manualReset != FALSE, initialState != FALSE));
}

namespace {

BOOL SetEventState(HANDLE event, bool signalled)
{
    auto object = platform::FindHandleAs<EventObject>(event);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> lock(platform::WaitMutex());
        object->Set(signalled);
        if (Settle().marked) {
            if (signalled) {
                Settle().untaken.insert(object.get());
            } else {
                Settle().untaken.erase(object.get());
            }
        }
    }
    if (signalled) platform::NotifyWaiters();
    return TRUE;
}

}  // namespace

BOOL SetEvent(HANDLE event) { return SetEventState(event, true); }

BOOL ResetEvent(HANDLE event) { return SetEventState(event, false); }

HANDLE CreateSemaphoreW(SECURITY_ATTRIBUTES*, LONG initialCount, LONG maximumCount, LPCWSTR)
{
    if (maximumCount <= 0 || initialCount < 0 || initialCount > maximumCount) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return platform::AddHandle(std::make_shared<SemaphoreObject>(initialCount, maximumCount));
}

BOOL ReleaseSemaphore(HANDLE semaphore, LONG releaseCount, LONG* previousCount)
{
    auto object = platform::FindHandleAs<SemaphoreObject>(semaphore);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (releaseCount <= 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    {
        std::lock_guard<std::mutex> lock(platform::WaitMutex());
        if (!object->Release(releaseCount, previousCount)) {
            SetLastError(ERROR_TOO_MANY_POSTS);
            return FALSE;
        }
    }
    platform::NotifyWaiters();
    return TRUE;
}

DWORD SleepEx(DWORD milliseconds, BOOL)
{
    // No APCs are queued in this layer, so an alertable sleep is a plain one.
    if (platform::IsFakeClock()) {
        platform::RecordFakeSleep(milliseconds);
        std::this_thread::yield();
        return 0;
    }
    if (milliseconds == 0) {
        std::this_thread::yield();
    } else if (milliseconds == INFINITE) {
        while (true) std::this_thread::sleep_for(std::chrono::hours(24));
    } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }
    return 0;
}

void Sleep(DWORD milliseconds) { SleepEx(milliseconds, FALSE); }

namespace platform {

void MarkEventSettle()
{
    std::lock_guard<std::mutex> lock(WaitMutex());
    Settle().marked = true;
    Settle().untaken.clear();
    Settle().busy.clear();
}

bool SettleEvents(DWORD milliseconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    std::unique_lock<std::mutex> lock(WaitMutex());
    // The settling thread may itself have taken an event since the mark (a command it waited
    // for): from here on it waits too.
    Settle().busy.erase(std::this_thread::get_id());
    return WaitCondition().wait_until(lock, deadline, [] { return SettleQuiet(); });
}

}  // namespace platform
