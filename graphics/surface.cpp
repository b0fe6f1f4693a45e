#include "graphics/surface.h"

#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "graphics/d3d_names.h"
#include "graphics/graphics.h"
#include "platform/d3d9/d3dx_image.h"

GxSurface::GxSurface() = default;

GxSurface::~GxSurface()
{
    DropEverything([this] { FreeSurface(); });
}

void GxSurface::FreeSurface()
{
    if (m_pSurface) {
        m_pSurface->Release();
        m_pSurface = nullptr;
    }
}

void GxSurface::StoreDescription()
{
    D3DSURFACE_DESC desc{};
    if (m_pSurface && SUCCEEDED(m_pSurface->GetDesc(&desc))) {
        m_Width = desc.Width;
        m_Height = desc.Height;
        m_Pool = desc.Pool;
        m_Format = desc.Format;
    }
}

std::uint32_t GxSurface::Release()
{
    return ReleaseOwned([this] {
        FreeSurface();
        m_Format = D3DFMT_UNKNOWN;
        m_Pool = D3DPOOL_SCRATCH;
        m_Width = m_Height = 0;
        m_ImageWidth = m_ImageHeight = 0;
    });
}

void GxSurface::OnLostDevice()
{
    GxMutexScopedLock lock(GetResourceLock());
    if (m_Pool != D3DPOOL_SCRATCH) FreeSurface();
}

void GxSurface::OnResetDevice()
{
    GxMutexScopedLock lock(GetResourceLock());
    if (m_Pool == D3DPOOL_SCRATCH || m_ObjectType == kObjTypeNone) return;
    IDirect3DDevice9* device = GxGraphics::GetDevice();
    if (!device) return;
    FreeSurface();
    HRESULT result = E_FAIL;
    switch (m_ObjectType) {
    case kObjTypeRenderTarget:
        result = device->CreateRenderTarget(m_Width, m_Height, m_Format, D3DMULTISAMPLE_NONE, 0, TRUE, &m_pSurface,
                                            nullptr);
        break;
    case kObjTypeDepthStencil:
        result = device->CreateDepthStencilSurface(m_Width, m_Height, m_Format, D3DMULTISAMPLE_NONE, 0, TRUE,
                                                   &m_pSurface, nullptr);
        break;
    case kObjTypeSurface:
        result = device->CreateOffscreenPlainSurface(m_Width, m_Height, m_Format, m_Pool, &m_pSurface, nullptr);
        break;
    default:
        break;
    }
    if (FAILED(result)) {
        m_pSurface = nullptr;
        LogPrint(u"Error/Surface OnReset Failed(Name:\"%s\" Size:%d,%d %s)\n", m_Name.c_str(), int(m_Width),
                 int(m_Height), DescribeD3DError(result).c_str());
    }
}

std::uint32_t GxSurface::GetVideoMemorySize() const
{
    GxMutexScopedLock lock(GetResourceLock());
    if (m_Pool == D3DPOOL_SYSTEMMEM || m_Pool == D3DPOOL_SCRATCH) return 0;
    return GetFormatBytesPerPixel(m_Format) * m_Width * m_Height;
}

bool GxSurface::SetToRenderTarget(std::uint32_t stage)
{
    GxMutexScopedLock lock(GetResourceLock());
    IDirect3DDevice9* device = GxGraphics::GetDevice();
    if (!device || !m_pSurface) return false;
    return SUCCEEDED(device->SetRenderTarget(stage, m_pSurface));
}

D3DFORMAT GxSurface::GetFormat() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_Format;
}

D3DPOOL GxSurface::GetPool() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_Pool;
}

std::uint32_t GxSurface::GetWidth() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_Width;
}

std::uint32_t GxSurface::GetHeight() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_Height;
}

std::uint32_t GxSurface::GetImageWidth() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_ImageWidth;
}

std::uint32_t GxSurface::GetImageHeight() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_ImageHeight;
}

bool GxSurface::IsLocked() const
{
    return false;
}

IDirect3DSurface9* GxSurface::GetSurfacePointer() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_pSurface;
}

bool GxSurface::Create(const char16_t* operation, std::u16string_view name, std::uint32_t width, std::uint32_t height,
                       D3DFORMAT format, D3DPOOL pool, Kind kind, D3DMULTISAMPLE_TYPE multiSample,
                       DWORD multiSampleQuality)
{
    GxMutexScopedLock lock(GetResourceLock());
    DropEverything([this] { FreeSurface(); });
    m_Width = m_ImageWidth = width;
    m_Height = m_ImageHeight = height;
    if (format == D3DFMT_UNKNOWN) {
        switch (kind) {
        case Kind::Plain: format = GxGraphics::GetTextureFormat(); break;
        case Kind::DepthStencil: format = GxGraphics::GetDepthStencilFormat(); break;
        case Kind::RenderTarget: format = GxGraphics::GetRenderTargetFormat(); break;
        }
    }
    m_Format = format;
    m_Pool = pool;
    SetObjectType(kind == Kind::Plain          ? kObjTypeSurface
                  : kind == Kind::DepthStencil ? kObjTypeDepthStencil
                                               : kObjTypeRenderTarget);
    SetName(name);

    IDirect3DDevice9* device = GxGraphics::GetDevice();
    if (!device) {
        SetFailed(true);
        return false;
    }
    HRESULT result = E_FAIL;
    switch (kind) {
    case Kind::Plain:
        result = device->CreateOffscreenPlainSurface(width, height, format, pool, &m_pSurface, nullptr);
        break;
    case Kind::DepthStencil:
        result = device->CreateDepthStencilSurface(width, height, format, multiSample, multiSampleQuality, TRUE,
                                                   &m_pSurface, nullptr);
        break;
    case Kind::RenderTarget:
        // Direct3D refuses lockable multisampled targets; only plain ones are made lockable.
        result = device->CreateRenderTarget(width, height, format, multiSample, multiSampleQuality,
                                            multiSample == D3DMULTISAMPLE_NONE ? TRUE : FALSE, &m_pSurface, nullptr);
        break;
    }
    if (FAILED(result)) {
        m_pSurface = nullptr;
        LogPrint(u"Error/Surface %s Failed(Name:\"%s\" Size:%d,%d %s)\n", operation, std::u16string(name).c_str(),
                 int(width), int(height), DescribeD3DError(result).c_str());
        SetFailed(true);
        return false;
    }
    StoreDescription();
    EnterRegistry();
    return true;
}

bool GxSurface::CreateSurface(std::u16string_view name, std::uint32_t width, std::uint32_t height, D3DFORMAT format)
{
    return Create(u"CreateSurface", name, width, height, format, D3DPOOL_DEFAULT, Kind::Plain, D3DMULTISAMPLE_NONE,
                  0);
}

bool GxSurface::CreateSurface(std::string_view name, std::uint32_t width, std::uint32_t height, D3DFORMAT format)
{
    return CreateSurface(std::u16string_view(MultiByteToWide(name)), width, height, format);
}

bool GxSurface::CreateScratch(std::u16string_view name, std::uint32_t width, std::uint32_t height, D3DFORMAT format)
{
    return Create(u"CreateScratch", name, width, height, format, D3DPOOL_SCRATCH, Kind::Plain, D3DMULTISAMPLE_NONE,
                  0);
}

bool GxSurface::CreateScratch(std::string_view name, std::uint32_t width, std::uint32_t height, D3DFORMAT format)
{
    return CreateScratch(std::u16string_view(MultiByteToWide(name)), width, height, format);
}

bool GxSurface::CreateSystemMemory(std::u16string_view name, std::uint32_t width, std::uint32_t height,
                                   D3DFORMAT format)
{
    return Create(u"CreateSystemMemory", name, width, height, format, D3DPOOL_SYSTEMMEM, Kind::Plain,
                  D3DMULTISAMPLE_NONE, 0);
}

bool GxSurface::CreateSystemMemory(std::string_view name, std::uint32_t width, std::uint32_t height, D3DFORMAT format)
{
    return CreateSystemMemory(std::u16string_view(MultiByteToWide(name)), width, height, format);
}

bool GxSurface::CreateDepthStencil(std::u16string_view name, std::uint32_t width, std::uint32_t height,
                                   D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample, DWORD multiSampleQuality)
{
    return Create(u"CreateDepthStencil", name, width, height, format, D3DPOOL_DEFAULT, Kind::DepthStencil,
                  multiSample, multiSampleQuality);
}

bool GxSurface::CreateDepthStencil(std::string_view name, std::uint32_t width, std::uint32_t height, D3DFORMAT format,
                                   D3DMULTISAMPLE_TYPE multiSample, DWORD multiSampleQuality)
{
    return CreateDepthStencil(std::u16string_view(MultiByteToWide(name)), width, height, format, multiSample,
                              multiSampleQuality);
}

bool GxSurface::CreateRenderTarget(std::u16string_view name, std::uint32_t width, std::uint32_t height,
                                   D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample, DWORD multiSampleQuality)
{
    return Create(u"CreateRenderTarget", name, width, height, format, D3DPOOL_DEFAULT, Kind::RenderTarget,
                  multiSample, multiSampleQuality);
}

bool GxSurface::CreateRenderTarget(std::string_view name, std::uint32_t width, std::uint32_t height, D3DFORMAT format,
                                   D3DMULTISAMPLE_TYPE multiSample, DWORD multiSampleQuality)
{
    return CreateRenderTarget(std::u16string_view(MultiByteToWide(name)), width, height, format, multiSample,
                              multiSampleQuality);
}

bool GxSurface::CreateFromFile(std::u16string_view name, D3DFORMAT format, D3DCOLOR colorKey)
{
    GxMutexScopedLock lock(GetResourceLock());
    DropEverything([this] { FreeSurface(); });
    m_Width = m_ImageWidth = 0;
    m_Height = m_ImageHeight = 0;
    m_Format = format != D3DFMT_UNKNOWN ? format : GxGraphics::GetTextureFormat();
    m_Pool = D3DPOOL_SCRATCH;
    SetObjectType(kObjTypeSurface);
    SetName(name);
    if (!GxGraphics::GetDevice()) {
        SetFailed(true);
        return false;
    }
    IDirect3DSurface9* surface = nullptr;
    GxImageInfo info;
    if (!CreateScratchSurfaceFromFile(std::u16string(name), &surface, m_Format, &info, colorKey)) {
        // The loader hands out a surface it made even when the load into it failed.
        if (surface) surface->Release();
        SetFailed(true);
        return false;
    }
    m_pSurface = surface;
    m_ImageWidth = info.width;
    m_ImageHeight = info.height;
    StoreDescription();
    EnterRegistry();
    return true;
}

bool GxSurface::CreateFromFile(std::string_view name, D3DFORMAT format, D3DCOLOR colorKey)
{
    return CreateFromFile(std::u16string_view(MultiByteToWide(name)), format, colorKey);
}

bool GxSurface::StretchFrom(const RECT* destRect, GxSurface* source, const RECT* sourceRect,
                            D3DTEXTUREFILTERTYPE filter)
{
    GxMutexScopedLock lock(GetResourceLock());
    IDirect3DDevice9* device = GxGraphics::GetDevice();
    if (!device || !source || !m_pSurface || !source->m_pSurface) return false;
    const RECT wholeDest{0, 0, LONG(m_Width), LONG(m_Height)};
    const RECT wholeSource{0, 0, LONG(source->m_Width), LONG(source->m_Height)};
    return SUCCEEDED(device->StretchRect(source->m_pSurface, sourceRect ? sourceRect : &wholeSource, m_pSurface,
                                         destRect ? destRect : &wholeDest, filter));
}

bool GxSurface::GetD3DSurface(IDirect3DSurface9** surface)
{
    if (!surface) return false;
    GxMutexScopedLock lock(GetResourceLock());
    *surface = m_pSurface;
    if (!m_pSurface) return false;
    m_pSurface->AddRef();
    return true;
}

bool GxSurface::GetDC(HDC* dc)
{
    GxMutexScopedLock lock(GetResourceLock());
    if (!dc || !m_pSurface) return false;
    return SUCCEEDED(m_pSurface->GetDC(dc));
}

void GxSurface::ReleaseDC(HDC dc)
{
    GxMutexScopedLock lock(GetResourceLock());
    if (dc && m_pSurface) m_pSurface->ReleaseDC(dc);
}

bool GxSurface::SaveToFile(const char16_t* path)
{
    GxMutexScopedLock lock(GetResourceLock());
    if (!path || !m_pSurface) return false;
    return SUCCEEDED(D3DXSaveSurfaceToFileW(path, D3DXIFF_PNG, m_pSurface, nullptr, nullptr));
}

bool GxSurface::SaveToFile(const char* path)
{
    GxMutexScopedLock lock(GetResourceLock());
    if (!path || !m_pSurface) return false;
    return SUCCEEDED(D3DXSaveSurfaceToFileA(path, D3DXIFF_PNG, m_pSurface, nullptr, nullptr));
}
