// The process's kernel handles: files, threads, child processes, events and semaphores behind
// opaque HANDLE values. Objects are shared, so a handle closed on one thread stays usable by a
// call that already looked it up on another. Handle values are never reused.
#pragma once

#include "platform/win32/win_types.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <typeinfo>

namespace platform {

class KernelObject {
public:
    virtual ~KernelObject() = default;
};

// Threads, processes, events and semaphores. Their state is read and changed only under WaitMutex();
// every change that may signal calls NotifyWaiters.
class WaitableObject : public KernelObject {
public:
    virtual bool IsSignalled() const = 0;
    // Takes the signal of a satisfied wait (auto-reset events, semaphores).
    virtual void Acquire() {}
};

std::mutex& WaitMutex();
std::condition_variable& WaitCondition();
void NotifyWaiters();

HANDLE AddHandle(std::shared_ptr<KernelObject> object);
std::shared_ptr<KernelObject> FindHandle(HANDLE handle);
// Removes the handle; the object dies when its last user lets it go. False for a bad handle.
bool RemoveHandle(HANDLE handle);

template <class T>
std::shared_ptr<T> FindHandleAs(HANDLE handle)
{
    std::shared_ptr<KernelObject> object = FindHandle(handle);
    // The object is most often of the very type asked for (every read of a file): that needs
    // no walk of the class tree.
    if (object && typeid(*object) == typeid(T)) return std::static_pointer_cast<T>(std::move(object));
    return std::dynamic_pointer_cast<T>(std::move(object));
}

}  // namespace platform
