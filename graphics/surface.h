// GxSurface: one Direct3D 9 surface as a device resource: an off-screen plain surface (default,
// scratch or system-memory pool), a depth-stencil surface, a render-target surface, or an image
// file loaded into a scratch surface. Serves as an off-screen render target with its depth buffer
// and as a staging surface for image data.
//
// GxSurfaceBase is the common base of surfaces and textures: a device resource that can be made
// the render target of a stage.
#pragma once

#include "graphics/d3d_resource.h"
#include "graphics/render_target.h"
#include "platform/d3d9/d3d9.h"

#include <cstdint>
#include <string>
#include <string_view>

class GxSurfaceBase : public GxD3DResourceBase, public GxRenderTargetBase {
public:
    GxSurfaceBase() = default;
    ~GxSurfaceBase() override = default;
};

class GxSurface : public GxSurfaceBase {
public:
    GxSurface();
    ~GxSurface() override;

    std::uint32_t Release() override;
    // Drops every surface but scratch ones.
    void OnLostDevice() override;
    // Makes the dropped surface anew, empty; a multisampled render target comes back plain.
    void OnResetDevice() override;
    // 0 for the system-memory and scratch pools.
    std::uint32_t GetVideoMemorySize() const override;

    bool SetToRenderTarget(std::uint32_t stage) override;

    virtual D3DFORMAT GetFormat() const;
    virtual D3DPOOL GetPool() const;
    std::uint32_t GetWidth() const override;
    std::uint32_t GetHeight() const override;
    virtual std::uint32_t GetImageWidth() const;
    virtual std::uint32_t GetImageHeight() const;
    // Surfaces are never locked through this object.
    virtual bool IsLocked() const;
    // Without a reference.
    IDirect3DSurface9* GetSurfacePointer() const override;

    // Format 0 takes the device's default for the kind (texture, depth-stencil or render-target
    // format). The 8-bit names are converted from the system code page.
    virtual bool CreateSurface(std::u16string_view name, std::uint32_t width, std::uint32_t height, D3DFORMAT format);
    virtual bool CreateSurface(std::string_view name, std::uint32_t width, std::uint32_t height, D3DFORMAT format);
    virtual bool CreateScratch(std::u16string_view name, std::uint32_t width, std::uint32_t height, D3DFORMAT format);
    virtual bool CreateScratch(std::string_view name, std::uint32_t width, std::uint32_t height, D3DFORMAT format);
    virtual bool CreateSystemMemory(std::u16string_view name, std::uint32_t width, std::uint32_t height,
                                    D3DFORMAT format);
    virtual bool CreateSystemMemory(std::string_view name, std::uint32_t width, std::uint32_t height, D3DFORMAT format);
    virtual bool CreateDepthStencil(std::u16string_view name, std::uint32_t width, std::uint32_t height,
                                    D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample, DWORD multiSampleQuality);
    virtual bool CreateDepthStencil(std::string_view name, std::uint32_t width, std::uint32_t height, D3DFORMAT format,
                                    D3DMULTISAMPLE_TYPE multiSample, DWORD multiSampleQuality);
    virtual bool CreateRenderTarget(std::u16string_view name, std::uint32_t width, std::uint32_t height,
                                    D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample, DWORD multiSampleQuality);
    virtual bool CreateRenderTarget(std::string_view name, std::uint32_t width, std::uint32_t height, D3DFORMAT format,
                                    D3DMULTISAMPLE_TYPE multiSample, DWORD multiSampleQuality);
    // The image file (archives included) in a scratch surface of its own size, unfiltered.
    virtual bool CreateFromFile(std::u16string_view name, D3DFORMAT format, D3DCOLOR colorKey);
    virtual bool CreateFromFile(std::string_view name, D3DFORMAT format, D3DCOLOR colorKey);

    // Null rectangles mean the whole surface. The source is not locked.
    virtual bool StretchFrom(const RECT* destRect, GxSurface* source, const RECT* sourceRect,
                             D3DTEXTUREFILTERTYPE filter);
    // With a reference added; null when empty.
    virtual bool GetD3DSurface(IDirect3DSurface9** surface);
    virtual bool GetDC(HDC* dc);
    virtual void ReleaseDC(HDC dc);
    // PNG of the whole surface.
    virtual bool SaveToFile(const char16_t* path);
    virtual bool SaveToFile(const char* path);

private:
    enum class Kind { Plain, DepthStencil, RenderTarget };
    bool Create(const char16_t* operation, std::u16string_view name, std::uint32_t width, std::uint32_t height,
                D3DFORMAT format, D3DPOOL pool, Kind kind, D3DMULTISAMPLE_TYPE multiSample, DWORD multiSampleQuality);
    void FreeSurface();
    void StoreDescription();

    IDirect3DSurface9* m_pSurface = nullptr;
    D3DFORMAT m_Format = D3DFMT_UNKNOWN;
    D3DPOOL m_Pool = D3DPOOL_SCRATCH;
    std::uint32_t m_Width = 0;
    std::uint32_t m_Height = 0;
    std::uint32_t m_ImageWidth = 0;
    std::uint32_t m_ImageHeight = 0;
};
