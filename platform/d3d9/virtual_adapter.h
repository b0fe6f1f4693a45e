// The adapter that Direct3DCreate9 describes: identification, desktop mode, mode list, caps,
// supported formats, multi-sampling, and failures a test can inject. Each adapter object
// takes a copy of the configuration current when Direct3DCreate9 is called.
#pragma once

#include "platform/d3d9/d3d9_types.h"

#include <string>
#include <vector>

namespace platform::d3d9 {

struct VirtualAdapter {
    std::string description;
    std::string driver;
    std::string deviceName;
    LONGLONG driverVersion = 0;   // high part: product, version; low part: sub-version, build
    DWORD vendorId = 0;
    DWORD deviceId = 0;

    D3DDISPLAYMODE desktopMode{};
    std::vector<D3DDISPLAYMODE> modes;   // in the adapter's order; listed per format
    D3DCAPS9 caps{};

    // Formats usable as textures and plain surfaces, as render targets, as depth-stencil.
    std::vector<D3DFORMAT> textureFormats;
    std::vector<D3DFORMAT> renderTargetFormats;
    std::vector<D3DFORMAT> depthStencilFormats;
    // Quality-level count per D3DMULTISAMPLE_TYPE; 0 means the type is not supported.
    DWORD multiSampleQualityFullScreen[17] = {};
    DWORD multiSampleQualityWindowed[17] = {};

    bool windowedRendering = true;   // CheckDeviceType for a windowed device succeeds
    HMONITOR monitor = nullptr;
    UINT pitchPadding = 0;   // extra bytes at the end of every row of new surfaces

    // Injected failures.
    bool failCreate = false;   // Direct3DCreate9 returns null
    bool failAdapterIdentifier = false;
    bool failDisplayMode = false;
    bool failDeviceCaps = false;
    std::vector<unsigned> failingCreateDeviceAttempts;   // 0-based, counted per adapter object
    HRESULT createDeviceFailure = D3DERR_NOTAVAILABLE;
};

// The built-in adapter: a 1920x1080 X8R8G8B8 desktop (the real desktop mode when a display is
// there), 60 Hz X8R8G8B8 modes from 640x480 up (1024x768 among them), and the caps of the
// software rasterizer.
VirtualAdapter DefaultVirtualAdapter();

// Used by the next Direct3DCreate9 calls until reset.
void SetVirtualAdapter(const VirtualAdapter& adapter);
void ResetVirtualAdapter();
VirtualAdapter CurrentVirtualAdapter();

}  // namespace platform::d3d9
