// IDirect3DSurface9: a plain, render-target or depth-stencil surface on its own, a level of a
// texture, a back buffer of a swap chain, or the device's automatic depth-stencil surface.
// Levels and back buffers share their container's reference count, as in Direct3D.
#pragma once

#include "platform/d3d9/device_child.h"
#include "platform/d3d9/pixel_store.h"

namespace platform::d3d9 {

class Texture;

class Surface final : public IDirect3DSurface9, public DeviceChild {
public:
    enum class Kind { Standalone, TextureLevel, BackBuffer, AutoDepthStencil };

    // `container` receives AddRef and Release for every kind but Standalone (the texture, the
    // swap chain or the device); `bindOwner` counts bindings (null: the device owns it).
    Surface(Device* device, Kind kind, IUnknown* container, DeviceChild* bindOwner);

    // Allocates zero-filled pixels. Returns D3D_OK, or E_OUTOFMEMORY when they cannot be had.
    HRESULT Initialise(D3DFORMAT format, UINT width, UINT height, DWORD usage, D3DPOOL pool,
                       D3DMULTISAMPLE_TYPE multiSample, DWORD multiSampleQuality, bool lockable);
    void SetTextureLevel(Texture* texture, UINT level);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice9** device) override;
    D3DRESOURCETYPE GetType() override;
    HRESULT GetContainer(REFIID riid, void** container) override;
    HRESULT GetDesc(D3DSURFACE_DESC* desc) override;
    HRESULT LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect() override;
    HRESULT GetDC(HDC* dc) override;
    HRESULT ReleaseDC(HDC dc) override;

    bool BlocksReset() const override;
    std::string Describe() const override;

    // Under the device lock.
    HRESULT Lock(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags);
    HRESULT Unlock();
    bool IsLocked() const { return m_Locked; }
    Kind GetKind() const { return m_Kind; }
    const D3DSURFACE_DESC& Desc() const { return m_Desc; }
    // The pixels, with any deferred fill written first.
    PixelStore& Store()
    {
        if (m_DeferredFill.active) WriteDeferredFill();
        return m_Store;
    }
    // Sets the bits of `mask` to those of `value` in every pixel of `area` (inside the surface),
    // in units of the pixel's width. Depth and stencil are cleared at every composed frame but
    // read by nothing that draws (the raster core has no depth test), so a fill that replaces
    // every bit of an area is only remembered; the next one over it replaces it, and any other
    // use of the pixels writes it first. A surface cleared each frame is then never touched.
    void Fill(const RECT& area, DWORD mask, DWORD value);
    Texture* ContainerTexture() const { return m_Texture; }
    void BindToDevice();
    void UnbindFromDevice();

private:
    Kind m_Kind;
    IUnknown* m_Container;
    DeviceChild* m_BindOwner;
    Texture* m_Texture = nullptr;
    UINT m_Level = 0;
    D3DSURFACE_DESC m_Desc{};
    void WriteDeferredFill();
    void FillRows(const RECT& area, DWORD mask, DWORD value);

    struct DeferredFill {
        bool active = false;
        RECT area{};
        DWORD value = 0;
    };
    PixelStore m_Store;
    DeferredFill m_DeferredFill;
    bool m_Lockable = false;
    bool m_Locked = false;
};

// True when `rect` lies inside a width x height area and is neither empty nor inverted.
bool IsRectInside(const RECT& rect, UINT width, UINT height);

}  // namespace platform::d3d9
