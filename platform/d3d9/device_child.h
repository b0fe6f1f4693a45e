// Locking and lifetime shared by the device and its resources.
//
// One recursive mutex per device serialises every device and resource method. A resource
// keeps its device alive; the device keeps a binding count on every resource it has bound
// (render targets, depth-stencil, textures), separate from the application's references, so
// that a bound resource outlives its last Release until it is unbound, and so that Reset can
// tell resources the application still holds from those only the device holds.
#pragma once

#include "platform/d3d9/d3d9.h"

#include <memory>
#include <mutex>
#include <string>

namespace platform::d3d9 {

class Device;

using DeviceMutex = std::shared_ptr<std::recursive_mutex>;

// Holds the mutex by shared ownership, so that a method whose Release destroys the device
// still unlocks a live mutex.
class DeviceLock {
public:
    explicit DeviceLock(DeviceMutex mutex) : m_Mutex(std::move(mutex)) { m_Mutex->lock(); }
    ~DeviceLock() { m_Mutex->unlock(); }
    DeviceLock(const DeviceLock&) = delete;
    DeviceLock& operator=(const DeviceLock&) = delete;

private:
    DeviceMutex m_Mutex;
};

class DeviceChild {
public:
    explicit DeviceChild(Device* device) : m_Device(device) {}
    virtual ~DeviceChild() = default;
    DeviceChild(const DeviceChild&) = delete;
    DeviceChild& operator=(const DeviceChild&) = delete;

    Device* OwnerDevice() const { return m_Device; }
    ULONG ApplicationRefs() const { return m_RefCount; }

    // A DEFAULT-pool object the application still holds: Reset must refuse.
    virtual bool BlocksReset() const = 0;
    virtual std::string Describe() const = 0;

    // All under the device lock. The last of both counts destroys the object.
    ULONG AddChildRef();
    ULONG ReleaseChildRef();
    void Bind();
    void Unbind();

protected:
    Device* m_Device;

private:
    void DestroyIfUnused();

    ULONG m_RefCount = 1;   // created with the creator's reference
    ULONG m_BindCount = 0;
};

}  // namespace platform::d3d9
