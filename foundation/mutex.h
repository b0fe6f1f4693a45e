// The engine's lock: one recursive critical section, always taken through GxMutexScopedLock.
#pragma once

#include "foundation/object_base.h"
#include "platform/win32/sync.h"

class GxMutex : public GxObjectNotCopyable {
public:
    GxMutex();
    ~GxMutex() override;

    // Recursive: the holding thread may lock again and must unlock as often.
    void Lock();
    void Unlock();

private:
    CRITICAL_SECTION m_Section;
};

// Locks in the constructor, unlocks in the destructor. A null mutex makes it a no-op.
class GxMutexScopedLock : public GxObjectNotCopyable {
public:
    explicit GxMutexScopedLock(GxMutex* mutex);
    explicit GxMutexScopedLock(GxMutex& mutex);
    ~GxMutexScopedLock() override;

private:
    GxMutex* m_Mutex;
};
