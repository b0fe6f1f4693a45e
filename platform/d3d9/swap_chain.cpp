#include "platform/d3d9/swap_chain.h"

#include "platform/d3d9/device.h"
#include "platform/d3d9/direct3d.h"
#include "platform/d3d9/trace.h"

#include <cstdio>

namespace platform::d3d9 {

SwapChain::SwapChain(Device* device, bool implicit) : DeviceChild(device), m_Implicit(implicit) {}

HRESULT SwapChain::Initialise(const D3DPRESENT_PARAMETERS& parameters, HWND focusWindow)
{
    m_Parameters = parameters;
    m_FocusWindow = focusWindow;
    const bool lockable = (parameters.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER) != 0;
    for (UINT i = 0; i < parameters.BackBufferCount; ++i) {
        if (i == m_BackBuffers.size())
            m_BackBuffers.push_back(
                std::make_unique<Surface>(m_Device, Surface::Kind::BackBuffer, this, m_Implicit ? nullptr : this));
        const HRESULT result = m_BackBuffers[i]->Initialise(
            parameters.BackBufferFormat, parameters.BackBufferWidth, parameters.BackBufferHeight, D3DUSAGE_RENDERTARGET,
            D3DPOOL_DEFAULT, parameters.MultiSampleType, parameters.MultiSampleQuality, lockable);
        if (FAILED(result)) return result;
    }
    m_BackBufferCount = parameters.BackBufferCount;
    if (m_Implicit) m_Presenter.ApplyDisplayMode(Window(), parameters.Windowed != FALSE);
    return D3D_OK;
}

HRESULT SwapChain::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirect3DSwapChain9) {
        *object = static_cast<IDirect3DSwapChain9*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG SwapChain::AddRef()
{
    DeviceLock lock(m_Device->Mutex());
    return m_Implicit ? m_Device->AddRef() : AddChildRef();
}

ULONG SwapChain::Release()
{
    DeviceLock lock(m_Device->Mutex());
    return m_Implicit ? m_Device->Release() : ReleaseChildRef();
}

HRESULT SwapChain::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                           const RGNDATA* /*dirtyRegion*/, DWORD /*flags*/)
{
    DeviceLock lock(m_Device->Mutex());
    if (m_Device->IsLost()) return D3DERR_DEVICELOST;
    if ((sourceRect || destRect) && m_Parameters.SwapEffect != D3DSWAPEFFECT_COPY) {
        Trace("Present: rectangles need D3DSWAPEFFECT_COPY");
        return D3DERR_INVALIDCALL;
    }
    if (sourceRect && !IsRectInside(*sourceRect, m_Parameters.BackBufferWidth, m_Parameters.BackBufferHeight))
        return D3DERR_INVALIDCALL;
    if (destRect && (destRect->left >= destRect->right || destRect->top >= destRect->bottom)) return D3DERR_INVALIDCALL;
    const HWND window = destWindowOverride ? destWindowOverride : Window();
    m_Presenter.Present(m_BackBuffers[0]->Store(), window, sourceRect, destRect);
    return D3D_OK;
}

HRESULT SwapChain::GetBackBuffer(UINT backBuffer, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface)
{
    DeviceLock lock(m_Device->Mutex());
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (type != D3DBACKBUFFER_TYPE_MONO || backBuffer >= m_BackBufferCount) return D3DERR_INVALIDCALL;
    *surface = m_BackBuffers[backBuffer].get();
    AddRef();
    return D3D_OK;
}

HRESULT SwapChain::GetDisplayMode(D3DDISPLAYMODE* mode)
{
    DeviceLock lock(m_Device->Mutex());
    if (!mode) return D3DERR_INVALIDCALL;
    const D3DDISPLAYMODE& desktop = m_Device->Adapter().Adapter().desktopMode;
    if (m_Parameters.Windowed) {
        *mode = desktop;
        return D3D_OK;
    }
    mode->Width = m_Parameters.BackBufferWidth;
    mode->Height = m_Parameters.BackBufferHeight;
    mode->RefreshRate = m_Parameters.FullScreen_RefreshRateInHz ? m_Parameters.FullScreen_RefreshRateInHz : desktop.RefreshRate;
    mode->Format = m_Parameters.BackBufferFormat == D3DFMT_A8R8G8B8 ? D3DFMT_X8R8G8B8
                   : m_Parameters.BackBufferFormat == D3DFMT_A1R5G5B5 ? D3DFMT_X1R5G5B5
                                                                       : m_Parameters.BackBufferFormat;
    return D3D_OK;
}

HRESULT SwapChain::GetDevice(IDirect3DDevice9** device)
{
    if (!device) return D3DERR_INVALIDCALL;
    *device = m_Device;
    m_Device->AddRef();
    return D3D_OK;
}

HRESULT SwapChain::GetPresentParameters(D3DPRESENT_PARAMETERS* presentationParameters)
{
    DeviceLock lock(m_Device->Mutex());
    if (!presentationParameters) return D3DERR_INVALIDCALL;
    *presentationParameters = m_Parameters;
    return D3D_OK;
}

bool SwapChain::BlocksReset() const
{
    return !m_Implicit && ApplicationRefs() > 0;
}

std::string SwapChain::Describe() const
{
    char text[96];
    std::snprintf(text, sizeof text, "%s swap chain %ux%u", m_Implicit ? "implicit" : "additional",
                  m_Parameters.BackBufferWidth, m_Parameters.BackBufferHeight);
    return text;
}

bool SwapChain::AnyBackBufferLocked() const
{
    for (const auto& surface : m_BackBuffers)
        if (surface->IsLocked()) return true;
    return false;
}

}  // namespace platform::d3d9
