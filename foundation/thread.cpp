#include "foundation/thread.h"

#include "foundation/log.h"
#include "platform/win32/file.h"
#include "platform/win32/sync.h"

GxThread::~GxThread()
{
    Close();
}

DWORD GxThread::ThreadEntry(LPVOID parameter)
{
    GxThread* self = static_cast<GxThread*>(parameter);
    GxThreadDelegateBase* delegate = nullptr;
    std::uintptr_t argument = 0;
    {
        GxMutexScopedLock lock(self->m_Lock);
        if (!self->m_Abandoned) delegate = self->m_Delegate.get();
        argument = self->m_Argument;
    }
    // The delegate stays alive: Close waits for this thread before deleting it.
    std::uint32_t exitCode = delegate ? delegate->Run(self, argument) : 0;

    GxMutexScopedLock lock(self->m_Lock);
    if (self->m_StopRequested) {
        self->m_StopRequested = false;
        self->m_EndedOnRequest = true;
    } else {
        self->m_Ended = true;
    }
    self->m_ExitCode = exitCode;
    // The handle is left alone: its owner waits on it and closes it.
    return exitCode;
}

bool GxThread::Create(const std::u16string& name, std::unique_ptr<GxThreadDelegateBase> delegate)
{
    GxMutexScopedLock lock(m_Lock);
    if (m_Handle) return false;
    m_Delegate = std::move(delegate);
    m_Name = name;
    ResetRunState();
    DWORD id = 0;
    m_Handle = CreateThread(nullptr, 0, &GxThread::ThreadEntry, this, CREATE_SUSPENDED, &id);
    if (!m_Handle) {
        LogPrint(u"GxThread::Create/スレッドを作成できません(%s)\n", m_Name.c_str());
        return false;
    }
    m_ThreadId = id;
    SetThreadDescriptionUtf16(m_Handle, m_Name.c_str());
    return true;
}

bool GxThread::Resume(std::uintptr_t argument)
{
    GxMutexScopedLock lock(m_Lock);
    if (!m_Handle) return false;
    m_Argument = argument;
    DWORD previous = ResumeThread(m_Handle);
    if (previous == 1) m_Started = true;
    return previous == 1;
}

bool GxThread::Wait()
{
    HANDLE handle = nullptr;
    {
        GxMutexScopedLock lock(m_Lock);
        // A thread that was never started would never end: refuse rather than block for good.
        if (!m_Handle || !m_Started) return false;
        handle = m_Handle;
        if (m_ThreadId == GetCurrentThreadId()) return false;
    }
    // Without the lock: the thread takes it once more on its way out.
    WaitForSingleObject(handle, INFINITE);
    return true;
}

void GxThread::RequestStop()
{
    GxMutexScopedLock lock(m_Lock);
    if (!m_Handle) return;
    DWORD code = 0;
    if (GetExitCodeThread(m_Handle, &code) && code == STILL_ACTIVE) m_StopRequested = true;
}

void GxThread::Close()
{
    HANDLE handle = nullptr;
    {
        GxMutexScopedLock lock(m_Lock);
        handle = m_Handle;
        if (handle && m_ThreadId == GetCurrentThreadId()) {
            // Closing from inside the thread would delete the running delegate.
            LogPrint(u"GxThread::Close/スレッド自身からは閉じられません(%s)\n", m_Name.c_str());
            return;
        }
        if (handle) {
            if (!m_Started) {
                m_Abandoned = true;
                if (ResumeThread(handle) == 1) m_Started = true;
            } else {
                DWORD code = 0;
                if (GetExitCodeThread(handle, &code) && code == STILL_ACTIVE) m_StopRequested = true;
            }
        }
    }
    // The delegate and this object must outlive the thread, so wait before releasing them.
    if (handle) WaitForSingleObject(handle, INFINITE);

    GxMutexScopedLock lock(m_Lock);
    if (m_Handle) CloseHandle(m_Handle);
    m_Handle = nullptr;
    m_ThreadId = 0;
    m_Delegate.reset();
    ResetRunState();
}

void GxThread::ResetRunState()
{
    m_Argument = 0;
    m_Ended = false;
    m_StopRequested = false;
    m_EndedOnRequest = false;
    m_ExitCode = 0;
    m_JobsDone = 0;
    m_Started = false;
    m_Abandoned = false;
}

bool GxThread::IsStopRequested()
{
    GxMutexScopedLock lock(m_Lock);
    return m_StopRequested;
}

void GxThread::IncrementJobCount()
{
    GxMutexScopedLock lock(m_Lock);
    ++m_JobsDone;
}

std::u16string GxThread::GetName()
{
    GxMutexScopedLock lock(m_Lock);
    return m_Name;
}

bool GxThread::HasThread()
{
    GxMutexScopedLock lock(m_Lock);
    return m_Handle != nullptr;
}

bool GxThread::IsEnded()
{
    GxMutexScopedLock lock(m_Lock);
    return m_Ended;
}

bool GxThread::IsEndedOnRequest()
{
    GxMutexScopedLock lock(m_Lock);
    return m_EndedOnRequest;
}

std::uint32_t GxThread::GetExitCode()
{
    GxMutexScopedLock lock(m_Lock);
    return m_ExitCode;
}

std::uint32_t GxThread::GetJobCount()
{
    GxMutexScopedLock lock(m_Lock);
    return m_JobsDone;
}
