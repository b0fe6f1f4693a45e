#include "platform/d3d9/device_control.h"

#include "platform/d3d9/device.h"

namespace platform::d3d9 {

// Every IDirect3DDevice9 comes from this layer, so the cast is safe.

void LoseDevice(IDirect3DDevice9* device, unsigned lostPolls)
{
    if (device) static_cast<Device*>(device)->Lose(lostPolls);
}

bool ReadBackBuffer(IDirect3DDevice9* device, std::vector<std::uint32_t>& argb, UINT& width, UINT& height)
{
    return device && static_cast<Device*>(device)->ReadBackBuffer(argb, width, height);
}

std::uint64_t GetPresentCount(IDirect3DDevice9* device)
{
    return device ? static_cast<Device*>(device)->PresentCount() : 0;
}

void SetSurfaceClip(IDirect3DDevice9* device, IDirect3DSurface9* surface, const RECT* rect)
{
    if (device) static_cast<Device*>(device)->SetSurfaceClip(surface, rect);
}

}  // namespace platform::d3d9
