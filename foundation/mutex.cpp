#include "foundation/mutex.h"

GxMutex::GxMutex()
{
    InitializeCriticalSection(&m_Section);
}

GxMutex::~GxMutex()
{
    DeleteCriticalSection(&m_Section);
}

void GxMutex::Lock()
{
    EnterCriticalSection(&m_Section);
}

void GxMutex::Unlock()
{
    LeaveCriticalSection(&m_Section);
}

GxMutexScopedLock::GxMutexScopedLock(GxMutex* mutex) : m_Mutex(mutex)
{
    if (m_Mutex) m_Mutex->Lock();
}

GxMutexScopedLock::GxMutexScopedLock(GxMutex& mutex) : GxMutexScopedLock(&mutex) {}

GxMutexScopedLock::~GxMutexScopedLock()
{
    if (m_Mutex) m_Mutex->Unlock();
}
