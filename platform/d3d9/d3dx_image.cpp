#include "platform/d3d9/d3dx_image.h"

#include "platform/d3d9/format_info.h"
#include "platform/d3d9/image_decode.h"
#include "platform/d3d9/image_transform.h"
#include "platform/raster/raster.h"
#include "platform/win32/codepage.h"
#include "platform/win32/file.h"

#include <algorithm>
#include <bit>
#include <string>

using namespace platform::d3dx;

namespace {

// Releases a COM object at the end of the scope.
template <typename Interface>
class ComRef {
public:
    ComRef() = default;
    ~ComRef()
    {
        if (m_Object) m_Object->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;

    Interface** Out() { return &m_Object; }
    Interface* Get() const { return m_Object; }
    Interface* operator->() const { return m_Object; }
    Interface* Detach()
    {
        Interface* object = m_Object;
        m_Object = nullptr;
        return object;
    }

private:
    Interface* m_Object = nullptr;
};

bool IsValidFilter(DWORD filter)
{
    const DWORD kind = filter & 0xFF;
    return filter == D3DX_DEFAULT || (kind >= D3DX_FILTER_NONE && kind <= D3DX_FILTER_BOX);
}

UINT FullChainLevels(UINT width, UINT height)
{
    return static_cast<UINT>(std::bit_width(std::max(width, height)));
}

UINT ResolveSize(UINT requested, UINT imageSize)
{
    if (requested == 0 || requested == D3DX_DEFAULT) return std::bit_ceil(imageSize);
    if (requested == D3DX_DEFAULT_NONPOW2 || requested == D3DX_FROM_FILE) return imageSize;
    return requested;
}

D3DFORMAT ResolveFormat(D3DFORMAT requested, const ImageHeader& header)
{
    if (requested != D3DFMT_UNKNOWN && requested != D3DFMT_FROM_FILE) return requested;
    // Every device takes the two 32-bit formats; the file's own may not be among its formats.
    return header.hasAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
}

bool HasAlphaChannel(D3DFORMAT format)
{
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_A1R5G5B5 || format == D3DFMT_A4R4G4B4 ||
           format == D3DFMT_A8 || format == D3DFMT_A2R10G10B10;
}

bool IsRectIn(const RECT& rect, UINT width, UINT height)
{
    return rect.left >= 0 && rect.top >= 0 && rect.left < rect.right && rect.top < rect.bottom &&
           static_cast<UINT>(rect.right) <= width && static_cast<UINT>(rect.bottom) <= height;
}

void FillInfo(const ImageHeader& header, D3DXIMAGE_INFO* info)
{
    if (!info) return;
    info->Width = header.width;
    info->Height = header.height;
    info->Depth = 1;
    info->MipLevels = header.mipLevels;
    info->Format = header.format;
    info->ResourceType = D3DRTYPE_TEXTURE;
    info->ImageFileFormat = header.fileFormat;
}

bool Decode(LPCVOID data, UINT size, ArgbImage& image, ImageHeader& header)
{
    DecodedImage decoded;
    if (!DecodeImage({static_cast<const std::uint8_t*>(data), size}, decoded)) return false;
    header = decoded.header;
    image.width = header.width;
    image.height = header.height;
    image.pixels = std::move(decoded.argb);
    return true;
}

raster::Image ArgbView(const ArgbImage& image)
{
    return {reinterpret_cast<std::uint8_t*>(const_cast<std::uint32_t*>(image.pixels.data())),
            static_cast<int>(image.width * 4), static_cast<int>(image.width), static_cast<int>(image.height),
            raster::PixelFormat::A8R8G8B8};
}

raster::Image LockedView(const D3DLOCKED_RECT& locked, D3DFORMAT format, UINT width, UINT height)
{
    return {static_cast<std::uint8_t*>(locked.pBits), locked.Pitch, static_cast<int>(width),
            static_cast<int>(height), platform::d3d9::DescribeFormat(format).raster};
}

// Converts `image` into a locked area of width x height: the image at the top left, clipped,
// and transparent black beyond it. Sizes that match make a plain conversion.
void WriteLocked(const D3DLOCKED_RECT& locked, D3DFORMAT format, UINT width, UINT height, const ArgbImage& image)
{
    const raster::Image target = LockedView(locked, format, width, height);
    const int w = static_cast<int>(std::min<UINT>(width, image.width));
    const int h = static_cast<int>(std::min<UINT>(height, image.height));
    const raster::Rect overlap{0, 0, w, h};
    raster::Blit(target, overlap, ArgbView(image), overlap, raster::Filter::Point);
    raster::Fill(target, raster::Rect{w, 0, static_cast<int>(width), h}, 0);
    raster::Fill(target, raster::Rect{0, h, static_cast<int>(width), static_cast<int>(height)}, 0);
}

// The texels a filter makes for a width x height area; unfiltered placement needs no copy.
bool NeedsResize(const ArgbImage& source, UINT width, UINT height, DWORD filter)
{
    return (filter & 0xFF) != D3DX_FILTER_NONE && (source.width != width || source.height != height);
}

HRESULT CheckFormat(D3DFORMAT format)
{
    if (platform::d3d9::IsColorFormat(format)) return D3D_OK;
    Trace("pixel format %u cannot be converted", static_cast<unsigned>(format));
    return D3DERR_INVALIDCALL;
}

// The pixels of `rect`; a render target that cannot be locked is read through a copy in
// system memory.
HRESULT ReadSurface(IDirect3DSurface9* surface, const RECT& rect, ArgbImage& image)
{
    D3DSURFACE_DESC desc{};
    HRESULT result = surface->GetDesc(&desc);
    if (FAILED(result)) return result;
    result = CheckFormat(desc.Format);
    if (FAILED(result)) return result;
    image.width = static_cast<std::uint32_t>(rect.right - rect.left);
    image.height = static_cast<std::uint32_t>(rect.bottom - rect.top);
    if (!AllocatePixels(image.pixels, image.width, image.height)) return E_OUTOFMEMORY;

    IDirect3DSurface9* readable = surface;
    ComRef<IDirect3DSurface9> copy;
    D3DLOCKED_RECT locked{};
    result = surface->LockRect(&locked, &rect, D3DLOCK_READONLY);
    if (FAILED(result) && (desc.Usage & D3DUSAGE_RENDERTARGET)) {
        ComRef<IDirect3DDevice9> device;
        result = surface->GetDevice(device.Out());
        if (SUCCEEDED(result))
            result = device->CreateOffscreenPlainSurface(desc.Width, desc.Height, desc.Format, D3DPOOL_SYSTEMMEM,
                                                         copy.Out(), nullptr);
        if (SUCCEEDED(result)) result = device->GetRenderTargetData(surface, copy.Get());
        if (SUCCEEDED(result)) {
            readable = copy.Get();
            result = readable->LockRect(&locked, &rect, D3DLOCK_READONLY);
        }
    }
    if (FAILED(result)) {
        Trace("the source surface cannot be read (0x%08x)", static_cast<unsigned>(result));
        return result;
    }
    const raster::Rect all{0, 0, static_cast<int>(image.width), static_cast<int>(image.height)};
    raster::Blit(ArgbView(image), all, LockedView(locked, desc.Format, image.width, image.height), all,
                 raster::Filter::Point);
    readable->UnlockRect();
    return D3D_OK;
}

// `rect`, or the whole surface when it is null.
RECT RectOrWhole(const RECT* rect, const D3DSURFACE_DESC& desc)
{
    return rect ? *rect : RECT{0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
}

// The pixels of `srcRect` (null: the whole surface), which must lie inside the surface;
// `format` receives the surface's format.
HRESULT ReadSourceRect(IDirect3DSurface9* surface, const RECT* srcRect, ArgbImage& image, D3DFORMAT* format)
{
    D3DSURFACE_DESC desc{};
    const HRESULT result = surface->GetDesc(&desc);
    if (FAILED(result)) return result;
    const RECT rect = RectOrWhole(srcRect, desc);
    if (!IsRectIn(rect, desc.Width, desc.Height)) {
        Trace("source rectangle outside the surface");
        return D3DERR_INVALIDCALL;
    }
    *format = desc.Format;
    return ReadSurface(surface, rect, image);
}

// `source` (already keyed) placed or resampled into `destRect` (null: all) of the surface.
HRESULT LoadSurface(IDirect3DSurface9* surface, const RECT* destRect, const ArgbImage& source, DWORD filter)
{
    D3DSURFACE_DESC desc{};
    HRESULT result = surface->GetDesc(&desc);
    if (FAILED(result)) return result;
    result = CheckFormat(desc.Format);
    if (FAILED(result)) return result;
    const RECT rect = RectOrWhole(destRect, desc);
    if (!IsRectIn(rect, desc.Width, desc.Height)) {
        Trace("destination rectangle outside the surface");
        return D3DERR_INVALIDCALL;
    }
    const UINT width = static_cast<UINT>(rect.right - rect.left), height = static_cast<UINT>(rect.bottom - rect.top);
    ArgbImage resized;
    if (NeedsResize(source, width, height, filter) && !ResizeImage(source, width, height, filter, resized))
        return E_OUTOFMEMORY;
    D3DLOCKED_RECT locked{};
    result = surface->LockRect(&locked, &rect, 0);
    if (FAILED(result)) {
        Trace("the destination surface cannot be locked (0x%08x)", static_cast<unsigned>(result));
        return result;
    }
    WriteLocked(locked, desc.Format, width, height, resized.pixels.empty() ? source : resized);
    surface->UnlockRect();
    return D3D_OK;
}

// Level 0 from `image` placed or resampled by `filter`, lower levels by the box chain unless
// `mipFilter` is NONE.
HRESULT FillTexture(IDirect3DTexture9* texture, ArgbImage image, DWORD filter, DWORD mipFilter)
{
    const DWORD levels = mipFilter == D3DX_FILTER_NONE ? 1 : texture->GetLevelCount();
    D3DSURFACE_DESC top{};
    HRESULT result = texture->GetLevelDesc(0, &top);
    if (FAILED(result)) return result;
    // The chain is built from the whole of level 0; a single level takes the image as it is.
    ArgbImage current;
    if (levels > 1 || NeedsResize(image, top.Width, top.Height, filter)) {
        if (!ResizeImage(image, top.Width, top.Height, filter, current)) return E_OUTOFMEMORY;
    } else {
        current = std::move(image);
    }
    image = ArgbImage{};
    for (DWORD level = 0; level < levels; ++level) {
        if (level > 0) {
            ArgbImage next;
            if (!HalveImage(current, next)) return E_OUTOFMEMORY;
            current = std::move(next);
        }
        D3DSURFACE_DESC desc{};
        result = texture->GetLevelDesc(level, &desc);
        if (FAILED(result)) return result;
        if (level > 0 && (desc.Width != current.width || desc.Height != current.height)) {
            Trace("texture level %u has an unexpected size", level);
            return D3DERR_INVALIDCALL;
        }
        D3DLOCKED_RECT locked{};
        result = texture->LockRect(level, &locked, nullptr, 0);
        if (FAILED(result)) {
            Trace("texture level %u cannot be locked (0x%08x)", level, static_cast<unsigned>(result));
            return result;
        }
        WriteLocked(locked, desc.Format, desc.Width, desc.Height, current);
        texture->UnlockRect(level);
    }
    return D3D_OK;
}

HRESULT SavePng(LPCWSTR destFile, D3DXIMAGE_FILEFORMAT destFormat, IDirect3DSurface9* surface, const RECT* srcRect)
{
    if (!destFile || !surface) return D3DERR_INVALIDCALL;
    if (destFormat != D3DXIFF_PNG) {
        Trace("only PNG files can be written");
        return D3DERR_INVALIDCALL;
    }
    ArgbImage image;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    const HRESULT result = ReadSourceRect(surface, srcRect, image, &format);
    if (FAILED(result)) return result;
    const std::string path = platform::ResolvePath(destFile, true);
    const bool written = WritePng(path.c_str(), image.pixels.data(), image.width, image.height, HasAlphaChannel(format));
    platform::ForgetFolderListing(path);
    if (!written) return E_FAIL;
    return D3D_OK;
}

}  // namespace

HRESULT D3DXCreateTexture(IDirect3DDevice9* device, UINT width, UINT height, UINT mipLevels, DWORD usage,
                          D3DFORMAT format, D3DPOOL pool, IDirect3DTexture9** texture)
{
    if (texture) *texture = nullptr;
    if (!device || !texture) return D3DERR_INVALIDCALL;
    width = std::max(width, 1u);
    height = std::max(height, 1u);
    const UINT full = FullChainLevels(width, height);
    const UINT levels = (mipLevels == 0 || mipLevels == D3DX_DEFAULT) ? full : std::min(mipLevels, full);
    if (format == D3DFMT_UNKNOWN) format = D3DFMT_A8R8G8B8;
    return device->CreateTexture(width, height, levels, usage, format, pool, texture, nullptr);
}

HRESULT D3DXCreateTextureFromFileInMemoryEx(IDirect3DDevice9* device, LPCVOID data, UINT dataSize, UINT width,
                                            UINT height, UINT mipLevels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                                            DWORD filter, DWORD mipFilter, D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo,
                                            PALETTEENTRY*, IDirect3DTexture9** texture)
{
    if (texture) *texture = nullptr;
    if (!device || !data || dataSize == 0 || !texture) return D3DERR_INVALIDCALL;
    if (!IsValidFilter(filter) || !IsValidFilter(mipFilter)) {
        Trace("unknown filter 0x%x or mip filter 0x%x", filter, mipFilter);
        return D3DERR_INVALIDCALL;
    }
    ArgbImage image;
    ImageHeader header;
    if (!Decode(data, dataSize, image, header)) return D3DXERR_INVALIDDATA;
    FillInfo(header, srcInfo);
    ApplyColorKey(image, colorKey);

    width = ResolveSize(width, header.width);
    height = ResolveSize(height, header.height);
    format = ResolveFormat(format, header);
    HRESULT result = CheckFormat(format);
    if (FAILED(result)) return result;
    const UINT full = FullChainLevels(width, height);
    UINT levels = mipLevels == D3DX_FROM_FILE ? header.mipLevels : mipLevels;
    levels = (levels == 0 || levels == D3DX_DEFAULT) ? full : std::min(levels, full);

    // Textures that cannot be locked are filled through a copy in system memory.
    const bool staged = pool == D3DPOOL_DEFAULT && !(usage & D3DUSAGE_DYNAMIC);
    ComRef<IDirect3DTexture9> filled;
    result = D3DXCreateTexture(device, width, height, levels, staged ? 0 : usage, format,
                               staged ? D3DPOOL_SYSTEMMEM : pool, filled.Out());
    if (FAILED(result)) {
        Trace("a %ux%u texture of format %u cannot be created (0x%08x)", width, height,
              static_cast<unsigned>(format), static_cast<unsigned>(result));
        return result;
    }
    result = FillTexture(filled.Get(), std::move(image), filter, mipFilter);
    if (FAILED(result)) return result;
    if (!staged) {
        *texture = filled.Detach();
        return D3D_OK;
    }
    ComRef<IDirect3DTexture9> target;
    result = D3DXCreateTexture(device, width, height, levels, usage, format, pool, target.Out());
    if (SUCCEEDED(result)) result = device->UpdateTexture(filled.Get(), target.Get());
    if (FAILED(result)) return result;
    *texture = target.Detach();
    return D3D_OK;
}

HRESULT D3DXGetImageInfoFromFileInMemory(LPCVOID data, UINT dataSize, D3DXIMAGE_INFO* srcInfo)
{
    if (!data || dataSize == 0 || !srcInfo) return D3DERR_INVALIDCALL;
    ImageHeader header;
    if (!ReadImageHeader({static_cast<const std::uint8_t*>(data), dataSize}, header)) return D3DXERR_INVALIDDATA;
    FillInfo(header, srcInfo);
    return D3D_OK;
}

HRESULT D3DXLoadSurfaceFromFileInMemory(IDirect3DSurface9* destSurface, const PALETTEENTRY*, const RECT* destRect,
                                        LPCVOID data, UINT dataSize, const RECT* srcRect, DWORD filter,
                                        D3DCOLOR colorKey, D3DXIMAGE_INFO* srcInfo)
{
    if (!destSurface || !data || dataSize == 0) return D3DERR_INVALIDCALL;
    if (!IsValidFilter(filter)) {
        Trace("unknown filter 0x%x", filter);
        return D3DERR_INVALIDCALL;
    }
    ArgbImage image;
    ImageHeader header;
    if (!Decode(data, dataSize, image, header)) return D3DXERR_INVALIDDATA;
    FillInfo(header, srcInfo);
    if (srcRect) {
        if (!IsRectIn(*srcRect, image.width, image.height)) {
            Trace("source rectangle outside the image");
            return D3DERR_INVALIDCALL;
        }
        image = CropImage(image, *srcRect);
    }
    ApplyColorKey(image, colorKey);
    return LoadSurface(destSurface, destRect, image, filter);
}

HRESULT D3DXLoadSurfaceFromSurface(IDirect3DSurface9* destSurface, const PALETTEENTRY*, const RECT* destRect,
                                   IDirect3DSurface9* srcSurface, const PALETTEENTRY*, const RECT* srcRect,
                                   DWORD filter, D3DCOLOR colorKey)
{
    if (!destSurface || !srcSurface) return D3DERR_INVALIDCALL;
    if (!IsValidFilter(filter)) {
        Trace("unknown filter 0x%x", filter);
        return D3DERR_INVALIDCALL;
    }
    // Read everything first, so that the source may be the destination.
    ArgbImage image;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    const HRESULT result = ReadSourceRect(srcSurface, srcRect, image, &format);
    if (FAILED(result)) return result;
    ApplyColorKey(image, colorKey);
    return LoadSurface(destSurface, destRect, image, filter);
}

HRESULT D3DXSaveTextureToFileW(LPCWSTR destFile, D3DXIMAGE_FILEFORMAT destFormat, IDirect3DBaseTexture9* srcTexture,
                               const PALETTEENTRY*)
{
    if (!destFile || !srcTexture) return D3DERR_INVALIDCALL;
    ComRef<IDirect3DTexture9> texture;
    HRESULT result = srcTexture->QueryInterface(IID_IDirect3DTexture9, reinterpret_cast<void**>(texture.Out()));
    if (FAILED(result)) {
        Trace("only 2D textures can be saved");
        return D3DERR_INVALIDCALL;
    }
    ComRef<IDirect3DSurface9> level0;
    result = texture->GetSurfaceLevel(0, level0.Out());
    if (FAILED(result)) return result;
    return SavePng(destFile, destFormat, level0.Get(), nullptr);
}

HRESULT D3DXSaveSurfaceToFileW(LPCWSTR destFile, D3DXIMAGE_FILEFORMAT destFormat, IDirect3DSurface9* srcSurface,
                               const PALETTEENTRY*, const RECT* srcRect)
{
    return SavePng(destFile, destFormat, srcSurface, srcRect);
}

HRESULT D3DXSaveSurfaceToFileA(LPCSTR destFile, D3DXIMAGE_FILEFORMAT destFormat, IDirect3DSurface9* srcSurface,
                               const PALETTEENTRY* srcPalette, const RECT* srcRect)
{
    if (!destFile) return D3DERR_INVALIDCALL;
    const int units = MultiByteToWideChar(CP_ACP, 0, destFile, -1, nullptr, 0);
    if (units <= 0) return D3DERR_INVALIDCALL;
    std::u16string wide(static_cast<std::size_t>(units), u'\0');
    if (MultiByteToWideChar(CP_ACP, 0, destFile, -1, wide.data(), units) <= 0) return D3DERR_INVALIDCALL;
    return D3DXSaveSurfaceToFileW(wide.c_str(), destFormat, srcSurface, srcPalette, srcRect);
}
