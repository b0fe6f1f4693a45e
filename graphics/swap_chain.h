// GxSwapChain: one Direct3D 9 swap chain as a device resource, either the device's own chain
// (the default swap chain) or an additional chain for another window or size, with its own
// depth-stencil surface, margins that shrink the drawing area and a viewport rectangle.
// Also the video-memory probe for the device report.
#pragma once

#include "foundation/value_types.h"
#include "graphics/d3d_resource.h"
#include "platform/d3d9/d3d9.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class GxSwapChain : public GxD3DResourceBase {
public:
    GxSwapChain();
    ~GxSwapChain() override;

    // Takes no lock: swap chains live on the window thread.
    std::uint32_t Release() override;
    void OnLostDevice() override;
    void OnResetDevice() override;
    // (bytes per pixel of the back buffer + of the depth format) x width x height.
    std::uint32_t GetVideoMemorySize() const override;

    // Without a reference.
    virtual IDirect3DSwapChain9* GetD3DSwapChain() const;
    virtual IDirect3DSurface9* GetDepthStencilSurface() const;
    virtual const D3DPRESENT_PARAMETERS& GetPresentParameters() const;
    virtual D3DFORMAT GetFormat() const;
    virtual D3DFORMAT GetDepthStencilFormat() const;
    virtual std::uint32_t GetWidth() const;
    virtual std::uint32_t GetHeight() const;
    // Wraps the device's chain 0. A failed depth-stencil surface does not stop the creation.
    virtual bool CreateDefault(const GxRect* margins);
    // A windowed copy of the current screen mode's row at the given size, for `window` when given.
    virtual bool CreateForWindow(std::u16string_view name, HWND window, std::uint32_t width, std::uint32_t height,
                                 const GxRect* margins);
    virtual bool Create(std::u16string_view name, const D3DPRESENT_PARAMETERS& parameters, const GxRect* margins);
    virtual bool Create(std::string_view name, const D3DPRESENT_PARAMETERS& parameters, const GxRect* margins);
    // The rectangle given, or the one the margins leave when null.
    virtual void SetViewportRect(const GxRect* rect);

    bool IsDefault() const { return m_Default; }
    const GxRect& GetMargins() const { return m_Margins; }
    const GxRect& GetViewportRect() const { return m_ViewportRect; }

private:
    void SetMarginsAndViewport(const GxRect* margins);
    bool CreateDepthStencil();
    void ReleaseDeviceObjects();

    IDirect3DSwapChain9* m_SwapChain = nullptr;
    IDirect3DSurface9* m_DepthStencil = nullptr;
    D3DPRESENT_PARAMETERS m_PresentParameters{};
    std::uint32_t m_Width = 0;
    std::uint32_t m_Height = 0;
    bool m_Default = false;
    GxRect m_Margins;
    GxRect m_ViewportRect;
};

// The device's own chain: created with the device, released at graphics shut-down.
GxSwapChain& GetDefaultSwapChain();

// Video memory in MiB of the display adapter that drives `monitor`: S_OK with the value, or
// E_FAIL (and 0) when no display device reports one.
HRESULT QueryVideoMemory(HMONITOR monitor, std::uint32_t* megabytes);

// What the video-memory probe can see of the machine: the DirectDraw devices with their
// monitors, the display devices, and the DxDiag display-device records. Linux has neither
// DirectDraw nor DxDiag, so by default the probe sees nothing and fails; a test may describe a
// machine here.
struct GxVideoMemoryProbeSource {
    struct DirectDrawDevice {
        HMONITOR monitor = nullptr;
        std::string driverName;
    };
    struct DisplayDevice {
        std::string deviceName;
        std::string deviceId;
        DWORD stateFlags = 0;   // kDisplayDeviceAttachedToDesktop, kDisplayDeviceMirroringDriver
    };
    struct DxDiagDevice {
        std::u16string keyDeviceId;     // "szKeyDeviceID"
        std::u16string displayMemory;   // "szDisplayMemoryEnglish", e.g. "512 MB"
    };
    std::vector<DirectDrawDevice> directDrawDevices;
    std::vector<DisplayDevice> displayDevices;
    bool dxDiagAvailable = false;
    std::vector<DxDiagDevice> dxDiagDevices;
};
constexpr DWORD kDisplayDeviceAttachedToDesktop = 0x1;
constexpr DWORD kDisplayDeviceMirroringDriver = 0x8;
// Null: nothing to see (the default).
void SetVideoMemoryProbeSource(const GxVideoMemoryProbeSource* source);
