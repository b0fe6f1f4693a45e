// Hooks on a running device: the device-loss simulator, back-buffer read-back for headless
// runs and the present count.
#pragma once

#include "platform/d3d9/d3d9.h"

#include <cstdint>
#include <vector>

namespace platform::d3d9 {

// The device becomes lost: TestCooperativeLevel answers D3DERR_DEVICELOST for the next
// `lostPolls` calls, then D3DERR_DEVICENOTRESET until a Reset succeeds.
void LoseDevice(IDirect3DDevice9* device, unsigned lostPolls);

// Copies back buffer 0 of the implicit swap chain as 0xAARRGGBB values, row by row.
bool ReadBackBuffer(IDirect3DDevice9* device, std::vector<std::uint32_t>& argb, UINT& width, UINT& height);

// Presents that reached the presenter (refused presents do not count).
std::uint64_t GetPresentCount(IDirect3DDevice9* device);

// Confines draws and clears into `surface` (a back buffer) to `rect` until it is called with a
// null rect; draws into other targets are not affected. For composing only the changed part of a
// frame over the picture kept in the back buffer.
void SetSurfaceClip(IDirect3DDevice9* device, IDirect3DSurface9* surface, const RECT* rect);

}  // namespace platform::d3d9
