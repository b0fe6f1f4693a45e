// IDirect3DSwapChain9: the device's implicit chain (its references are the device's) or an
// additional chain for another window, with its back buffers and its presenter.
#pragma once

#include "platform/d3d9/device_child.h"
#include "platform/d3d9/presenter.h"
#include "platform/d3d9/surface.h"

#include <memory>
#include <vector>

namespace platform::d3d9 {

class SwapChain final : public IDirect3DSwapChain9, public DeviceChild {
public:
    SwapChain(Device* device, bool implicit);

    // Parameters already validated. (Re)makes the back buffers, zero-filled; surfaces the
    // application may still hold are kept and resized. D3D_OK or E_OUTOFMEMORY.
    HRESULT Initialise(const D3DPRESENT_PARAMETERS& parameters, HWND focusWindow);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride, const RGNDATA* dirtyRegion,
                    DWORD flags) override;
    HRESULT GetBackBuffer(UINT backBuffer, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface) override;
    HRESULT GetDisplayMode(D3DDISPLAYMODE* mode) override;
    HRESULT GetDevice(IDirect3DDevice9** device) override;
    HRESULT GetPresentParameters(D3DPRESENT_PARAMETERS* presentationParameters) override;

    bool BlocksReset() const override;
    std::string Describe() const override;

    // Under the device lock.
    const D3DPRESENT_PARAMETERS& Parameters() const { return m_Parameters; }
    HWND Window() const { return m_Parameters.hDeviceWindow ? m_Parameters.hDeviceWindow : m_FocusWindow; }
    Surface& BackBuffer(UINT index) { return *m_BackBuffers[index]; }
    bool AnyBackBufferLocked() const;
    Presenter& GetPresenter() { return m_Presenter; }

private:
    bool m_Implicit;
    D3DPRESENT_PARAMETERS m_Parameters{};
    HWND m_FocusWindow = nullptr;
    std::vector<std::unique_ptr<Surface>> m_BackBuffers;   // never shrinks: handed-out pointers stay valid
    UINT m_BackBufferCount = 0;
    Presenter m_Presenter;
};

}  // namespace platform::d3d9
