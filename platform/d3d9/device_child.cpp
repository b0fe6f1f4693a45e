#include "platform/d3d9/device_child.h"

#include "platform/d3d9/device.h"
#include "platform/d3d9/trace.h"

namespace platform::d3d9 {

ULONG DeviceChild::AddChildRef()
{
    return ++m_RefCount;
}

ULONG DeviceChild::ReleaseChildRef()
{
    if (m_RefCount == 0) {
        Trace("Release of %s, which holds no reference", Describe().c_str());
        return 0;
    }
    const ULONG count = --m_RefCount;
    if (count == 0) DestroyIfUnused();
    return count;
}

void DeviceChild::Bind()
{
    ++m_BindCount;
}

void DeviceChild::Unbind()
{
    if (m_BindCount == 0) return;
    if (--m_BindCount == 0) DestroyIfUnused();
}

void DeviceChild::DestroyIfUnused()
{
    if (m_RefCount == 0 && m_BindCount == 0) m_Device->DestroyChild(this);
}

}  // namespace platform::d3d9
