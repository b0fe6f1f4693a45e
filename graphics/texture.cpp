#include "graphics/texture.h"

#include "foundation/bin_buffer.h"
#include "foundation/file.h"
#include "foundation/log.h"
#include "foundation/value_types.h"
#include "foundation/wide_string.h"
#include "graphics/d3d_names.h"
#include "graphics/graphics.h"
#include "graphics/png_image.h"
#include "platform/d3d9/d3dx_image.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

// Sections: pixel helpers | GxTextureBase | resource | queries | creation | pixels | surfaces and transfers |
// copies | loader thread

// ---- pixel helpers -------------------------------------------------------------------------

namespace {

bool Is32Bit(D3DFORMAT format)
{
    return format == D3DFMT_A8R8G8B8 || format == D3DFMT_X8R8G8B8;
}

bool Is16Bit(D3DFORMAT format)
{
    return format == D3DFMT_A4R4G4B4 || format == D3DFMT_X4R4G4B4;
}

std::uint8_t* RowAt(void* bits, std::int32_t pitch, std::uint32_t row)
{
    return static_cast<std::uint8_t*>(bits) + static_cast<std::ptrdiff_t>(pitch) * row;
}

// Fills `rows` rows of `width` pixels of a 32-bit or 16-bit format.
void FillRows(void* bits, std::int32_t pitch, std::uint32_t firstRow, std::uint32_t rows, std::uint32_t width,
              D3DFORMAT format, D3DCOLOR color)
{
    for (std::uint32_t y = firstRow; y < firstRow + rows; ++y) {
        std::uint8_t* row = RowAt(bits, pitch, y);
        if (Is32Bit(format)) {
            for (std::uint32_t x = 0; x < width; ++x) std::memcpy(row + x * 4, &color, 4);
        } else {
            const std::uint16_t value = ConvertA8R8G8B8ToA4R4G4B4(color);
            for (std::uint32_t x = 0; x < width; ++x) std::memcpy(row + x * 2, &value, 2);
        }
    }
}

IDirect3DDevice9* Device()
{
    return GxGraphics::GetDevice();
}

struct PngPixelsDeleter {
    void operator()(std::uint8_t* pixels) const { FreePngPixels(pixels); }
};
using PngPixels = std::unique_ptr<std::uint8_t, PngPixelsDeleter>;

// Null (logged by the caller) when the file cannot be read or is no PNG.
PngPixels ReadPng(const std::u16string& file, std::uint32_t* width, std::uint32_t* height)
{
    *width = *height = 0;
    GxBinBuffer buffer;
    if (!GxFile::ReadWholeFile(buffer, file) || !buffer.GetData()) return nullptr;
    return PngPixels(DecodePngMemory(buffer.GetData(), buffer.GetSize(), width, height));
}

// Straight-alpha "over" of one BGRA pixel onto another, in integers.
void BlendOver(std::uint8_t* base, const std::uint8_t* over)
{
    const std::int32_t a0 = base[3], a1 = over[3];
    const std::int32_t d = (255 - a0) * a1 + (255 - a1) * a0 + a0 * a1;
    if (d == 0) {
        std::memset(base, 0, 4);
        return;
    }
    for (int c = 0; c < 3; ++c) {
        const std::int32_t c0 = base[c], c1 = over[c];
        base[c] = static_cast<std::uint8_t>(((255 - a1) * c0 * a0 + (255 - a0) * c1 * a1 + c1 * a1 * a0) / d);
    }
    base[3] = static_cast<std::uint8_t>(d / 255);
}

}  // namespace

// ---- GxTextureBase -------------------------------------------------------------------------

std::uint32_t GxTextureBase::PowerOfTwoSize(std::uint32_t value)
{
    if (value < 2) return 1;
    if (value > 0x80000000u) return 0;
    std::uint32_t size = 1;
    while (size < value) size <<= 1;
    return size;
}

void GxTextureBase::CreationSizeFor(std::uint32_t imageWidth, std::uint32_t imageHeight, std::uint32_t* width,
                                    std::uint32_t* height)
{
    *width = PowerOfTwoSize(imageWidth);
    *height = PowerOfTwoSize(imageHeight);
    if (GxGraphics::GetDeviceCaps().SquareOnly || GxGraphics::IsForceSquareTexture())
        *width = *height = std::max(*width, *height);
}

bool GxTextureBase::SetLevelAsRenderTarget(IDirect3DDevice9* device, IDirect3DTexture9* texture, std::uint32_t stage)
{
    if (!device || !texture) return false;
    IDirect3DSurface9* surface = nullptr;
    if (FAILED(texture->GetSurfaceLevel(0, &surface))) return false;
    const HRESULT result = device->SetRenderTarget(stage, surface);
    surface->Release();
    return SUCCEEDED(result);
}

// ---- resource ------------------------------------------------------------------------------

GxTexture::GxTexture() = default;

GxTexture::~GxTexture()
{
    DropEverything([this] { FreeTextures(); });
}

void GxTexture::FreeTextures()
{
    if (m_pTexture) {
        m_pTexture->Release();
        m_pTexture = nullptr;
    }
    if (m_pMemoryTexture) {
        m_pMemoryTexture->Release();
        m_pMemoryTexture = nullptr;
    }
    m_Locked = false;
}

std::uint32_t GxTexture::Release()
{
    return ReleaseOwned([this] {
        FreeTextures();
        m_Format = D3DFMT_UNKNOWN;
        m_Pool = D3DPOOL_SCRATCH;
        m_Width = m_Height = 0;
        m_ImageWidth = m_ImageHeight = 0;
        m_MipLevels = 0;
        m_ColorKey = 0;
        m_ScaleFilter = true;
    });
}

void GxTexture::OnLostDevice()
{
    GxMutexScopedLock lock(GetResourceLock());
    if (m_Pool != D3DPOOL_DEFAULT || !m_pTexture) return;
    if (m_Locked && !m_pMemoryTexture) m_Locked = false;   // the lock went with the texture
    m_pTexture->Release();
    m_pTexture = nullptr;
}

void GxTexture::OnResetDevice()
{
    GxMutexScopedLock lock(GetResourceLock());
    IDirect3DDevice9* device = Device();
    if (m_Pool != D3DPOOL_DEFAULT || !device) return;
    if (m_ObjectType != kObjTypeTexture && m_ObjectType != kObjTypeRenderTarget) return;
    if (m_pTexture) {
        m_pTexture->Release();
        m_pTexture = nullptr;
    }
    const bool renderTarget = m_ObjectType == kObjTypeRenderTarget;
    const HRESULT result =
        D3DXCreateTexture(device, m_Width, m_Height, renderTarget ? 1 : m_MipLevels,
                          renderTarget ? D3DUSAGE_RENDERTARGET : 0, m_Format, D3DPOOL_DEFAULT, &m_pTexture);
    if (FAILED(result)) {
        m_pTexture = nullptr;
        LogPrint(u"Error/Texture CreateTexture Failed at OnReset Device(Name:\"%s\" Size:%d,%d %s)\n", m_Name.c_str(),
                 int(m_Width), int(m_Height), DescribeD3DError(result).c_str());
        return;
    }
    // A plain texture gets its picture back from the memory twin; a render target starts empty.
    if (!renderTarget) UpdateTexture();
}

std::uint32_t GxTexture::GetVideoMemorySize() const
{
    GxMutexScopedLock lock(GetResourceLock());
    if (m_Pool == D3DPOOL_SYSTEMMEM || m_Pool == D3DPOOL_SCRATCH) return 0;
    const std::uint32_t size = GetFormatBytesPerPixel(m_Format) * m_Width * m_Height;
    return m_MipLevels == 0 ? size + size / 2 : size;
}

bool GxTexture::SetToRenderTarget(std::uint32_t stage)
{
    GxMutexScopedLock lock(GetResourceLock());
    return SetLevelAsRenderTarget(Device(), m_pTexture, stage);
}

// ---- queries -------------------------------------------------------------------------------

D3DFORMAT GxTexture::GetFormat() const
{
    return m_Format;
}

D3DPOOL GxTexture::GetPool() const
{
    return m_Pool;
}

std::uint32_t GxTexture::GetWidth() const
{
    return m_Width;
}

std::uint32_t GxTexture::GetHeight() const
{
    return m_Height;
}

std::uint32_t GxTexture::GetImageWidth() const
{
    return m_ImageWidth;
}

std::uint32_t GxTexture::GetImageHeight() const
{
    return m_ImageHeight;
}

bool GxTexture::IsLocked() const
{
    return m_Locked;
}

IDirect3DTexture9* GxTexture::GetTexturePointer() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_pTexture;
}

bool GxTexture::HasTexture() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_pTexture != nullptr;
}

float GxTexture::GetU(float x) const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_Width ? x / static_cast<float>(m_Width) : 0.0f;
}

float GxTexture::GetV(float y) const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_Height ? y / static_cast<float>(m_Height) : 0.0f;
}

std::uint32_t GxTexture::GetMipLevels() const
{
    return m_MipLevels;
}

D3DCOLOR GxTexture::GetColorKey() const
{
    return m_ColorKey;
}

bool GxTexture::GetScaleFilter() const
{
    return m_ScaleFilter;
}

// ---- creation ------------------------------------------------------------------------------

void GxTexture::ComputeCreationSize()
{
    CreationSizeFor(m_ImageWidth, m_ImageHeight, &m_Width, &m_Height);
}

void GxTexture::StoreLevelDescription()
{
    D3DSURFACE_DESC desc{};
    if (m_pTexture && SUCCEEDED(m_pTexture->GetLevelDesc(0, &desc))) {
        m_Width = desc.Width;
        m_Height = desc.Height;
        m_Format = desc.Format;
        m_Pool = desc.Pool;
    }
}

void GxTexture::FinishCreation()
{
    StoreLevelDescription();
    EnterRegistry();
}

void GxTexture::BeginCreation()
{
    DropEverything([this] { FreeTextures(); });
}

IDirect3DDevice9* GxTexture::BeginSizedCreation(std::u16string_view name, std::uint32_t width, std::uint32_t height,
                                                D3DFORMAT format, std::uint32_t levels, std::int32_t objectType)
{
    BeginCreation();
    m_ImageWidth = width;
    m_ImageHeight = height;
    m_Format = format;
    m_MipLevels = levels;
    SetObjectType(objectType);
    SetName(name);
    IDirect3DDevice9* device = Device();
    if (!device) {
        SetFailed(true);
        return nullptr;
    }
    ComputeCreationSize();
    return device;
}

void GxTexture::BeginImageCreation(std::u16string_view name, D3DFORMAT format, std::uint32_t levels,
                                   D3DCOLOR colorKey, bool scaleFilter)
{
    BeginCreation();
    m_Format = format != D3DFMT_UNKNOWN ? format : GxGraphics::GetTextureFormat();
    m_MipLevels = levels;
    m_ColorKey = colorKey;
    m_ScaleFilter = scaleFilter;
    SetObjectType(kObjTypeTexture);
    SetName(name);
}

bool GxTexture::CreateLevelTexture(IDirect3DDevice9* device, DWORD usage, D3DPOOL pool, IDirect3DTexture9** texture,
                                   const char16_t* operation, const char16_t* type, std::u16string_view name)
{
    const HRESULT result = D3DXCreateTexture(device, m_Width, m_Height, m_MipLevels, usage, m_Format, pool, texture);
    if (FAILED(result)) {
        *texture = nullptr;
        LogPrint(u"Error/Texture %s Failed(%sName:\"%s\" Size:%d,%d %s)\n", operation, type,
                 std::u16string(name).c_str(), int(m_Width), int(m_Height), DescribeD3DError(result).c_str());
        SetFailed(true);
        return false;
    }
    return true;
}

bool GxTexture::ReadImageFile(const std::u16string& file, GxBinBuffer* buffer)
{
    GxImageInfo info;
    if (!GetImageInfoFromFile(file, &info)) {
        SetFailed(true);
        return false;
    }
    m_ImageWidth = info.width;
    m_ImageHeight = info.height;
    ComputeCreationSize();
    if (!GxFile::ReadWholeFile(*buffer, file) || !buffer->GetData()) {
        SetFailed(true);
        return false;
    }
    return true;
}

bool GxTexture::CreateTexture(std::u16string_view name, std::uint32_t width, std::uint32_t height, D3DFORMAT format,
                              std::uint32_t levels)
{
    GxMutexScopedLock lock(GetResourceLock());
    IDirect3DDevice9* device = BeginSizedCreation(
        name, width, height, format != D3DFMT_UNKNOWN ? format : GxGraphics::GetTextureFormat(), levels,
        kObjTypeTexture);
    if (!device || !CreateLevelTexture(device, 0, D3DPOOL_MANAGED, &m_pTexture, u"CreateTexture", u"", name))
        return false;
    FinishCreation();
    return true;
}

bool GxTexture::CreateRenderTarget(std::u16string_view name, std::uint32_t width, std::uint32_t height,
                                   D3DFORMAT format)
{
    GxMutexScopedLock lock(GetResourceLock());
    IDirect3DDevice9* device = BeginSizedCreation(
        name, width, height, format != D3DFMT_UNKNOWN ? format : GxGraphics::GetRenderTargetFormat(), 1,
        kObjTypeRenderTarget);
    if (!device ||
        !CreateLevelTexture(device, 0, D3DPOOL_SYSTEMMEM, &m_pMemoryTexture, u"CreateRenderTarget",
                            u"Type:MemoryTexture ", name))
        return false;
    if (!CreateLevelTexture(device, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, &m_pTexture, u"CreateRenderTarget",
                            u"Type:Texture ", name)) {
        FreeTextures();
        return false;
    }
    FinishCreation();
    return true;
}

bool GxTexture::CreateBufferedTexture(std::u16string_view name, std::uint32_t width, std::uint32_t height,
                                      D3DFORMAT format)
{
    GxMutexScopedLock lock(GetResourceLock());
    IDirect3DDevice9* device = BeginSizedCreation(
        name, width, height, format != D3DFMT_UNKNOWN ? format : GxGraphics::GetTextureFormat(), 1,
        kObjTypeBufferedTexture);
    if (!device || !CreateLevelTexture(device, 0, D3DPOOL_MANAGED, &m_pTexture, u"CreateBufferedTexture", u"", name))
        return false;
    FinishCreation();
    return true;
}

bool GxTexture::CreateFromImageBytes(const void* data, std::uint32_t size, const char16_t* operation,
                                     const std::u16string& logName, D3DPOOL pool)
{
    // Filtered only when the image must really be stretched to the created size.
    DWORD filter = D3DX_FILTER_NONE;
    if (m_ScaleFilter && (m_Width != m_ImageWidth || m_Height != m_ImageHeight)) filter = D3DX_FILTER_TRIANGLE;
    const HRESULT result =
        D3DXCreateTextureFromFileInMemoryEx(Device(), data, size, m_Width, m_Height, m_MipLevels, 0, m_Format, pool,
                                            filter, D3DX_DEFAULT, m_ColorKey, nullptr, nullptr, &m_pTexture);
    if (FAILED(result)) {
        m_pTexture = nullptr;
        LogPrint(u"Error/Texture %s Failed(Name:\"%s\" Size:%d,%d %s)\n", operation, logName.c_str(), int(m_Width),
                 int(m_Height), DescribeD3DError(result).c_str());
        SetFailed(true);
        return false;
    }
    return true;
}

bool GxTexture::CreateFromFile(std::u16string_view name, D3DFORMAT format, std::uint32_t levels, D3DCOLOR colorKey,
                               bool scaleFilter)
{
    GxMutexScopedLock lock(GetResourceLock());
    BeginImageCreation(name, format, levels, colorKey, scaleFilter);
    if (!Device()) return false;

    const std::u16string file(name);
    GxBinBuffer buffer;
    if (!ReadImageFile(file, &buffer)) return false;
    if (!CreateFromImageBytes(buffer.GetData(), buffer.GetSize(), u"CreateFromFile", file, D3DPOOL_MANAGED))
        return false;
    FinishCreation();
    return true;
}

bool GxTexture::ReloadFromFile()
{
    GxMutexScopedLock lock(GetResourceLock());
    GxAsyncJobBase::ResetJob();
    m_Failed = false;
    if (!Device()) {
        SetFailed(true);
        return false;
    }
    const std::u16string file = m_Name;
    GxBinBuffer buffer;
    if (!ReadImageFile(file, &buffer)) return false;
    if (m_pTexture) {
        if (m_pTexture == GetLockTarget()) m_Locked = false;
        m_pTexture->Release();
        m_pTexture = nullptr;
    }
    const D3DPOOL pool = m_Pool == D3DPOOL_SCRATCH ? D3DPOOL_MANAGED : m_Pool;
    if (!CreateFromImageBytes(buffer.GetData(), buffer.GetSize(), u"ReloadFromFile", m_Name, pool)) return false;
    StoreLevelDescription();
    return true;
}

bool GxTexture::CreateFromResource(std::u16string_view name, HMODULE module, HRSRC resource, D3DFORMAT format,
                                   std::uint32_t levels, D3DCOLOR colorKey, bool scaleFilter)
{
    GxMutexScopedLock lock(GetResourceLock());
    BeginImageCreation(name, format, levels, colorKey, scaleFilter);
    if (!Device()) {
        SetFailed(true);
        return false;
    }
    if (!resource) {
        LogPrint(u"Error/Texture CreateFromResource Failed(Resource pointer is null)\n");
        SetFailed(true);
        return false;
    }
    const void* data = LockResource(LoadResource(module, resource));
    const std::uint32_t size = data ? SizeofResource(module, resource) : 0;
    GxImageInfo info;
    GetImageInfoFromMemory(data, size, &info);
    m_ImageWidth = info.width;
    m_ImageHeight = info.height;
    ComputeCreationSize();
    if (!CreateFromImageBytes(data, size, u"CreateFromResource", m_Name, D3DPOOL_MANAGED)) return false;
    FinishCreation();
    return true;
}

bool GxTexture::CreateFromFileMultiBlend(std::u16string_view name, const std::vector<std::u16string>& files,
                                         D3DFORMAT format, std::uint32_t levels)
{
    GxMutexScopedLock lock(GetResourceLock());
    if (!Device() || files.empty()) return false;
    GxImageInfo info;
    if (!GetImageInfoFromFile(files[0], &info)) {
        SetFailed(true);
        return false;
    }
    std::uint32_t baseWidth = 0, baseHeight = 0;
    PngPixels base = ReadPng(files[0], &baseWidth, &baseHeight);
    if (!base) {
        LogPrint(u"Error/Texture CreateFromFileMultiBlend Failed(Name:\"%s\")\n", files[0].c_str());
        SetFailed(true);
        return false;
    }
    for (std::size_t i = 1; i < files.size(); ++i) {
        std::uint32_t width = 0, height = 0;
        PngPixels overlay = ReadPng(files[i], &width, &height);
        if (!overlay) {
            LogPrint(u"Error/Texture CreateFromFileMultiBlend Failed(Name:\"%s\")\n", files[i].c_str());
            continue;
        }
        const std::uint32_t columns = std::min(baseWidth, width), rows = std::min(baseHeight, height);
        for (std::uint32_t y = 0; y < rows; ++y)
            for (std::uint32_t x = 0; x < columns; ++x)
                BlendOver(base.get() + (std::size_t(y) * baseWidth + x) * 4,
                          overlay.get() + (std::size_t(y) * width + x) * 4);
    }

    if (!CreateTexture(name, baseWidth, baseHeight, format, levels)) return false;
    D3DLOCKED_RECT locked{};
    if (FAILED(m_pTexture->LockRect(0, &locked, nullptr, 0))) return false;
    const std::uint32_t columns = std::min(m_Width, baseWidth), rows = std::min(m_Height, baseHeight);
    for (std::uint32_t y = 0; y < rows; ++y) {
        const std::uint8_t* from = base.get() + std::size_t(y) * baseWidth * 4;
        std::uint8_t* to = RowAt(locked.pBits, locked.Pitch, y);
        if (m_Format == D3DFMT_A8R8G8B8) {
            std::memcpy(to, from, std::size_t(columns) * 4);
        } else if (m_Format == D3DFMT_A4R4G4B4) {
            for (std::uint32_t x = 0; x < columns; ++x) {
                std::uint32_t pixel;
                std::memcpy(&pixel, from + x * 4, 4);
                const std::uint16_t value = ConvertA8R8G8B8ToA4R4G4B4(pixel);
                std::memcpy(to + x * 2, &value, 2);
            }
        }
    }
    m_pTexture->UnlockRect(0);
    return true;
}

// ---- pixels --------------------------------------------------------------------------------

bool GxTexture::Fill(D3DCOLOR color)
{
    return FillRect(nullptr, color);
}

bool GxTexture::FillRect(const RECT* rect, D3DCOLOR color)
{
    GxMutexScopedLock lock(GetResourceLock());
    if (!m_pTexture || !Device()) return false;
    // Other formats (8-bit, compressed) have no pixel layout these loops could write.
    if (!Is32Bit(m_Format) && !Is16Bit(m_Format)) return false;
    RECT area{0, 0, LONG(m_Width), LONG(m_Height)};
    if (rect) {
        area.left = std::clamp<LONG>(rect->left, 0, LONG(m_Width));
        area.right = std::clamp<LONG>(rect->right, 0, LONG(m_Width));
        area.top = std::clamp<LONG>(rect->top, 0, LONG(m_Height));
        area.bottom = std::clamp<LONG>(rect->bottom, 0, LONG(m_Height));
    }
    void* bits = nullptr;
    std::int32_t pitch = 0;
    std::uint32_t width = 0, height = 0;
    if (!LockRect(rect ? &area : nullptr, &bits, &pitch, &width, &height, nullptr, false)) return false;
    FillRows(bits, pitch, 0, height, width, m_Format, color);
    UnlockRect();
    UpdateTexture();
    return true;
}

bool GxTexture::FillRectScaled(const RECT* rect, D3DCOLOR color)
{
    if (!rect) return FillRect(nullptr, color);
    GxMutexScopedLock lock(GetResourceLock());
    const float width = static_cast<float>(m_Width), height = static_cast<float>(m_Height);
    const RECT scaled{static_cast<LONG>(GetU(static_cast<float>(rect->left)) * width),
                      static_cast<LONG>(GetV(static_cast<float>(rect->top)) * height),
                      static_cast<LONG>(GetU(static_cast<float>(rect->right)) * width),
                      static_cast<LONG>(GetV(static_cast<float>(rect->bottom)) * height)};
    return FillRect(&scaled, color);
}

bool GxTexture::ScrollVertical(std::int32_t rows, D3DCOLOR color)
{
    GxMutexScopedLock lock(GetResourceLock());
    if (!m_pTexture || !Device()) return false;
    if (!Is32Bit(m_Format) && !Is16Bit(m_Format)) return false;
    void* bits = nullptr;
    std::int32_t pitch = 0;
    if (!LockRect(nullptr, &bits, &pitch, nullptr, nullptr, nullptr, false)) return false;
    // A scroll by the height or more leaves no row to move: the whole level takes the colour.
    const std::uint32_t n =
        static_cast<std::uint32_t>(std::min<std::int64_t>(std::abs(std::int64_t(rows)), std::int64_t(m_Height)));
    const std::size_t rowBytes = std::size_t(m_Width) * (Is32Bit(m_Format) ? 4 : 2);
    if (rows < 0) {
        for (std::uint32_t r = n; r < m_Height; ++r) std::memmove(RowAt(bits, pitch, r - n), RowAt(bits, pitch, r), rowBytes);
        FillRows(bits, pitch, m_Height - n, n, m_Width, m_Format, color);
    } else if (rows > 0) {
        for (std::uint32_t r = m_Height - n; r-- > 0;) std::memmove(RowAt(bits, pitch, r + n), RowAt(bits, pitch, r), rowBytes);
        FillRows(bits, pitch, 0, n, m_Width, m_Format, color);
    }
    UnlockRect();
    UpdateTexture();
    return true;
}

bool GxTexture::StretchFrom(const RECT* destRect, GxTexture* source, const RECT* sourceRect,
                            D3DTEXTUREFILTERTYPE filter)
{
    GxMutexScopedLock lock(GetResourceLock());
    IDirect3DDevice9* device = Device();
    if (!device || !source || !m_pTexture || !source->m_pTexture) return false;
    IDirect3DSurface9* from = nullptr;
    IDirect3DSurface9* to = nullptr;
    HRESULT result = source->m_pTexture->GetSurfaceLevel(0, &from);
    if (SUCCEEDED(result)) result = m_pTexture->GetSurfaceLevel(0, &to);
    if (SUCCEEDED(result)) result = device->StretchRect(from, sourceRect, to, destRect, filter);
    if (from) from->Release();
    if (to) to->Release();
    return SUCCEEDED(result);
}

IDirect3DTexture9* GxTexture::GetLockTarget() const
{
    // A default-pool texture cannot be locked: its pixels are reached through the memory twin.
    return (m_Pool == D3DPOOL_DEFAULT && m_pMemoryTexture) ? m_pMemoryTexture : m_pTexture;
}

bool GxTexture::LockRect(const RECT* rect, void** bits, std::int32_t* pitch, std::uint32_t* width,
                         std::uint32_t* height, D3DFORMAT* format, bool readOnly)
{
    GxMutexScopedLock lock(GetResourceLock());
    if (!m_pTexture || !Device()) return false;
    if (m_Locked) {
        LogPrintWarning(u"Error/Texture LockRect Failed(Name:\"%s\" Size:%d,%d Texture Already Locked)\n",
                        m_Name.c_str(), int(m_Width), int(m_Height));
        return false;
    }
    TransferRenderTargetToMemory();
    D3DLOCKED_RECT locked{};
    const HRESULT result = GetLockTarget()->LockRect(0, &locked, rect, readOnly ? D3DLOCK_READONLY : 0);
    if (FAILED(result)) {
        LogPrintWarning(u"Error/Texture LockRect Failed(Name:\"%s\" Size:%d,%d %s)\n", m_Name.c_str(), int(m_Width),
                        int(m_Height), DescribeD3DError(result).c_str());
        return false;
    }
    m_Locked = true;
    if (bits) *bits = locked.pBits;
    if (pitch) *pitch = locked.Pitch;
    if (format) *format = m_Format;
    if (width) *width = rect ? std::uint32_t(rect->right - rect->left) : m_Width;
    if (height) *height = rect ? std::uint32_t(rect->bottom - rect->top) : m_Height;
    return true;
}

bool GxTexture::UnlockRect()
{
    GxMutexScopedLock lock(GetResourceLock());
    if (!m_pTexture || !Device() || !m_Locked) return false;
    GetLockTarget()->UnlockRect(0);
    m_Locked = false;
    return true;
}

// ---- surfaces and transfers ----------------------------------------------------------------

bool GxTexture::GetSurface(IDirect3DSurface9** surface)
{
    if (!surface) return false;
    GxMutexScopedLock lock(GetResourceLock());
    *surface = nullptr;
    if (!m_pTexture) return false;
    if (FAILED(m_pTexture->GetSurfaceLevel(0, surface))) {
        *surface = nullptr;
        return false;
    }
    return true;
}

bool GxTexture::GetMemorySurface(IDirect3DSurface9** surface)
{
    if (!surface) return false;
    GxMutexScopedLock lock(GetResourceLock());
    *surface = nullptr;
    IDirect3DTexture9* texture = m_pMemoryTexture;
    if (!texture && m_Pool == D3DPOOL_MANAGED) texture = m_pTexture;
    if (!texture) return false;
    if (FAILED(texture->GetSurfaceLevel(0, surface))) {
        *surface = nullptr;
        return false;
    }
    return true;
}

bool GxTexture::GetD3DTexture(IDirect3DTexture9** texture)
{
    if (!texture) return false;
    GxMutexScopedLock lock(GetResourceLock());
    *texture = m_pTexture;
    if (!m_pTexture) return false;
    m_pTexture->AddRef();
    return true;
}

bool GxTexture::GetMemoryTexture(IDirect3DTexture9** texture)
{
    if (!texture) return false;
    GxMutexScopedLock lock(GetResourceLock());
    if (m_pMemoryTexture) {
        *texture = m_pMemoryTexture;
        m_pMemoryTexture->AddRef();
        return true;
    }
    if (m_Pool == D3DPOOL_MANAGED) return GetD3DTexture(texture);
    *texture = nullptr;
    return false;
}

bool GxTexture::GetDC(HDC* dc)
{
    if (!dc) return false;
    GxMutexScopedLock lock(GetResourceLock());
    IDirect3DSurface9* surface = nullptr;
    if (!GetMemorySurface(&surface)) return false;
    const HRESULT result = surface->GetDC(dc);
    surface->Release();
    return SUCCEEDED(result);
}

void GxTexture::ReleaseDC(HDC dc)
{
    GxMutexScopedLock lock(GetResourceLock());
    IDirect3DSurface9* surface = nullptr;
    if (!dc || !GetMemorySurface(&surface)) return;
    surface->ReleaseDC(dc);
    surface->Release();
}

bool GxTexture::TransferRenderTargetToMemory()
{
    GxMutexScopedLock lock(GetResourceLock());
    IDirect3DDevice9* device = Device();
    if (!device || !m_pTexture || !m_pMemoryTexture || m_ObjectType != kObjTypeRenderTarget) return false;
    IDirect3DSurface9* target = nullptr;
    IDirect3DSurface9* memory = nullptr;
    HRESULT result = m_pTexture->GetSurfaceLevel(0, &target);
    if (FAILED(result)) {
        LogPrintWarning(u"Error/Texture TransferRenderTargetToMemory GetSurfaceLevel Failed(Type:m_pTexture "
                        u"Name:\"%s\" Size:%d,%d %s)\n",
                        m_Name.c_str(), int(m_Width), int(m_Height), DescribeD3DError(result).c_str());
        return false;
    }
    result = m_pMemoryTexture->GetSurfaceLevel(0, &memory);
    if (FAILED(result)) {
        LogPrintWarning(u"Error/Texture TransferRenderTargetToMemory GetSurfaceLevel Failed(Type:m_pMemoryTexture "
                        u"Name:\"%s\" Size:%d,%d %s)\n",
                        m_Name.c_str(), int(m_Width), int(m_Height), DescribeD3DError(result).c_str());
        target->Release();
        return false;
    }
    result = device->GetRenderTargetData(target, memory);
    target->Release();
    memory->Release();
    if (FAILED(result)) {
        LogPrintWarning(u"Error/Texture TransferRenderTargetToMemory GetRenderTargetData Failed(Type:m_pMemoryTexture "
                        u"Name:\"%s\" Size:%d,%d %s)\n",
                        m_Name.c_str(), int(m_Width), int(m_Height), DescribeD3DError(result).c_str());
        return false;
    }
    return true;
}

bool GxTexture::UpdateTexture()
{
    GxMutexScopedLock lock(GetResourceLock());
    IDirect3DDevice9* device = Device();
    if (!device || !m_pTexture || !m_pMemoryTexture) return false;
    m_pMemoryTexture->AddDirtyRect(nullptr);
    m_pTexture->AddDirtyRect(nullptr);
    const HRESULT result = device->UpdateTexture(m_pMemoryTexture, m_pTexture);
    if (FAILED(result)) {
        LogPrintWarning(u"Error/Texture UpdateTexture Failed(Name:\"%s\" Size:%d,%d %s)\n", m_Name.c_str(),
                        int(m_Width), int(m_Height), DescribeD3DError(result).c_str());
        return false;
    }
    return true;
}

bool GxTexture::SaveToFile(const char16_t* path)
{
    GxMutexScopedLock lock(GetResourceLock());
    if (!path || !Device() || !m_pTexture) return false;
    TransferRenderTargetToMemory();
    const HRESULT result = D3DXSaveTextureToFileW(path, D3DXIFF_PNG, GetLockTarget(), nullptr);
    if (FAILED(result)) {
        LogPrint(u"Error/Texture SaveToFile Failed(Name:\"%s\" Size:%d,%d %s)\n", m_Name.c_str(), int(m_Width),
                 int(m_Height), DescribeD3DError(result).c_str());
        return false;
    }
    return true;
}

bool GxTexture::SaveToFile(const char* path)
{
    if (!path) return false;
    return SaveToFile(MultiByteToWide(path).c_str());
}

D3DCOLOR GxTexture::GetPixel(std::uint32_t x, std::uint32_t y)
{
    GxMutexScopedLock lock(GetResourceLock());
    if (!Device() || !m_pTexture || x >= m_Width || y >= m_Height) return 0;
    if (!Is32Bit(m_Format) && !Is16Bit(m_Format)) return 0;
    TransferRenderTargetToMemory();
    const RECT one{LONG(x), LONG(y), LONG(x) + 1, LONG(y) + 1};
    D3DLOCKED_RECT locked{};
    IDirect3DTexture9* target = GetLockTarget();
    const HRESULT result = target->LockRect(0, &locked, &one, D3DLOCK_READONLY);
    if (FAILED(result)) {
        LogPrintWarning(u"Error/Texture GetPixel Failed(Name:\"%s\" Size:%d,%d %s)\n", m_Name.c_str(), int(m_Width),
                        int(m_Height), DescribeD3DError(result).c_str());
        return 0;
    }
    D3DCOLOR color = 0;
    if (Is32Bit(m_Format)) {
        std::memcpy(&color, locked.pBits, 4);
    } else {
        std::uint16_t value;
        std::memcpy(&value, locked.pBits, 2);
        color = ConvertA4R4G4B4ToA8R8G8B8(value);
    }
    target->UnlockRect(0);
    return color;
}

// ---- copies --------------------------------------------------------------------------------

bool GxTexture::CopyRectFrom(GxTexture* source, const RECT* sourceRect, std::int32_t x, std::int32_t y)
{
    GxMutexScopedLock lock(GetResourceLock());
    if (!source) return false;
    // The source is read without its lock, as a drawing helper on the window thread does.
    const std::int64_t sourceWidth = source->m_Width, sourceHeight = source->m_Height;
    std::int64_t left = 0, top = 0, right = sourceWidth, bottom = sourceHeight;
    if (sourceRect) {
        left = sourceRect->left;
        top = sourceRect->top;
        right = std::min<std::int64_t>(sourceRect->right, sourceWidth);
        bottom = std::min<std::int64_t>(sourceRect->bottom, sourceHeight);
    }
    // Clipping keeps the mapping: whatever is cut off one side of the source moves the
    // destination by as much, and the other way round.
    std::int64_t destX = x, destY = y;
    if (left < 0) {
        destX -= left;
        left = 0;
    }
    if (top < 0) {
        destY -= top;
        top = 0;
    }
    if (destX < 0) {
        left -= destX;
        destX = 0;
    }
    if (destY < 0) {
        top -= destY;
        destY = 0;
    }
    const std::int64_t width = std::min(right - left, std::int64_t(m_Width) - destX);
    const std::int64_t height = std::min(bottom - top, std::int64_t(m_Height) - destY);
    if (width <= 0 || height <= 0) return true;

    const RECT clipped{LONG(left), LONG(top), LONG(left + width), LONG(top + height)};
    const D3DFORMAT sourceFormat = source->m_Format;
    if (Is32Bit(m_Format) && Is32Bit(sourceFormat)) {
        CopyRect32To32(source, clipped, std::int32_t(destX), std::int32_t(destY));
    } else if (Is32Bit(m_Format) && Is16Bit(sourceFormat)) {
        CopyRect16To32(source, clipped, std::int32_t(destX), std::int32_t(destY));
    } else if (Is16Bit(m_Format) && Is32Bit(sourceFormat)) {
        CopyRect32To16(source, clipped, std::int32_t(destX), std::int32_t(destY));
    } else if (Is16Bit(m_Format) && Is16Bit(sourceFormat)) {
        CopyRect16To16(source, clipped, std::int32_t(destX), std::int32_t(destY));
    }
    return true;
}

namespace {

// Locks the source rectangle read-only and the destination rectangle of the same size at (x, y)
// on level 0 of both textures, runs `copyRow` for each row, and unlocks both.
template <typename CopyRow>
bool CopyLocked(IDirect3DTexture9* from, IDirect3DTexture9* to, const RECT& sourceRect, std::int32_t x,
                std::int32_t y, CopyRow copyRow)
{
    if (!from || !to) return false;
    const LONG width = sourceRect.right - sourceRect.left, height = sourceRect.bottom - sourceRect.top;
    D3DLOCKED_RECT source{}, dest{};
    if (FAILED(from->LockRect(0, &source, &sourceRect, D3DLOCK_READONLY))) return false;
    const RECT destRect{x, y, x + width, y + height};
    if (FAILED(to->LockRect(0, &dest, &destRect, 0))) {
        from->UnlockRect(0);
        return false;
    }
    for (LONG row = 0; row < height; ++row)
        copyRow(RowAt(dest.pBits, dest.Pitch, row), RowAt(source.pBits, source.Pitch, row), std::uint32_t(width));
    to->UnlockRect(0);
    from->UnlockRect(0);
    return true;
}

}  // namespace

bool GxTexture::CopyRect32To32(GxTexture* source, const RECT& sourceRect, std::int32_t x, std::int32_t y)
{
    GxMutexScopedLock lock(GetResourceLock());
    if (!source) return false;
    return CopyLocked(source->m_pTexture, m_pTexture, sourceRect, x, y,
                      [](std::uint8_t* to, const std::uint8_t* from, std::uint32_t width) {
                          std::memcpy(to, from, std::size_t(width) * 4);
                      });
}

bool GxTexture::CopyRect16To16(GxTexture* source, const RECT& sourceRect, std::int32_t x, std::int32_t y)
{
    GxMutexScopedLock lock(GetResourceLock());
    if (!source) return false;
    return CopyLocked(source->m_pTexture, m_pTexture, sourceRect, x, y,
                      [](std::uint8_t* to, const std::uint8_t* from, std::uint32_t width) {
                          std::memcpy(to, from, std::size_t(width) * 2);
                      });
}

bool GxTexture::CopyRect32To16(GxTexture* source, const RECT& sourceRect, std::int32_t x, std::int32_t y)
{
    GxMutexScopedLock lock(GetResourceLock());
    if (!source) return false;
    return CopyLocked(source->m_pTexture, m_pTexture, sourceRect, x, y,
                      [](std::uint8_t* to, const std::uint8_t* from, std::uint32_t width) {
                          for (std::uint32_t i = 0; i < width; ++i) {
                              std::uint32_t pixel;
                              std::memcpy(&pixel, from + i * 4, 4);
                              const std::uint16_t value = ConvertA8R8G8B8ToA4R4G4B4(pixel);
                              std::memcpy(to + i * 2, &value, 2);
                          }
                      });
}

bool GxTexture::CopyRect16To32(GxTexture* source, const RECT& sourceRect, std::int32_t x, std::int32_t y)
{
    GxMutexScopedLock lock(GetResourceLock());
    if (!source) return false;
    return CopyLocked(source->m_pTexture, m_pTexture, sourceRect, x, y,
                      [](std::uint8_t* to, const std::uint8_t* from, std::uint32_t width) {
                          for (std::uint32_t i = 0; i < width; ++i) {
                              std::uint16_t value;
                              std::memcpy(&value, from + i * 2, 2);
                              const std::uint32_t pixel = ConvertA4R4G4B4ToA8R8G8B8(value);
                              std::memcpy(to + i * 4, &pixel, 4);
                          }
                      });
}

// ---- loader thread -------------------------------------------------------------------------

void GxTexture::PrepareAsyncLoad(std::u16string_view name, D3DFORMAT format, std::uint32_t levels, D3DCOLOR colorKey,
                                 bool scaleFilter)
{
    GxMutexScopedLock lock(GetResourceLock());
    GxAsyncJobBase::ResetJob();
    m_Failed = false;
    SetName(name);
    m_Format = format;
    m_MipLevels = levels;
    m_ColorKey = colorKey;
    m_ScaleFilter = scaleFilter;
}

bool GxTexture::HasName() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return !m_Name.empty();
}

void GxTexture::RunJob(GxThread*, GxAsyncJobManage*)
{
    GxMutexScopedLock lock(GetResourceLock());
    const std::u16string name = m_Name;
    // References taken while the load was pending (a second request for the name) stay with
    // their holders; the load's own creation adds the one of the request that prepared it.
    std::uint32_t held = m_RefCount;
    if (m_pTexture && held > 0) --held;   // the earlier creation's own reference is made anew
    m_RefCount = 0;
    CreateFromFile(name, m_Format, m_MipLevels, m_ColorKey, m_ScaleFilter);
    m_RefCount += held;
}

bool GxTexture::IsJobInFlight() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_JobQueued;
}

void GxTexture::ResetJob()
{
    GxMutexScopedLock lock(GetResourceLock());
    GxAsyncJobBase::ResetJob();
    m_JobQueued = true;
}

void GxTexture::OnCompleted(GxAsyncJobManage* manager)
{
    GxMutexScopedLock lock(GetResourceLock());
    GxAsyncJobBase::OnCompleted(manager);
    m_JobQueued = false;
}

void GxTexture::OnCancelled(GxAsyncJobManage* manager)
{
    GxMutexScopedLock lock(GetResourceLock());
    GxAsyncJobBase::OnCancelled(manager);
    m_JobQueued = false;
}
