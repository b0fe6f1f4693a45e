#include "graphics/texture_movie.h"

#include "foundation/log.h"
#include "foundation/value_types.h"
#include "graphics/d3d_names.h"
#include "graphics/graphics.h"
#include "platform/d3d9/d3dx_image.h"

#include <cstring>

GxTextureMovie::GxTextureMovie() = default;

GxTextureMovie::~GxTextureMovie()
{
    GxMutexScopedLock frame(m_FrameLock);
    DropEverything([this] { FreeTextures(); });
}

void GxTextureMovie::FreeTextures()
{
    for (IDirect3DTexture9*& texture : m_pTextures) {
        if (texture) texture->Release();
        texture = nullptr;
    }
    m_Flags[0] = m_Flags[1] = false;
    m_Locked = false;
}

std::uint32_t GxTextureMovie::Release()
{
    // The renderer may be copying a frame into these textures on its own thread.
    GxMutexScopedLock frame(m_FrameLock);
    return ReleaseOwned([this] {
        FreeTextures();
        m_CachePos = 0;
        m_Format = D3DFMT_UNKNOWN;
        m_Pool = D3DPOOL_SCRATCH;
        m_Width = m_Height = 0;
        m_ImageWidth = m_ImageHeight = 0;
        m_MipLevels = 0;
        m_Usage = 0;
    });
}

void GxTextureMovie::ReleaseAll()
{
    GxMutexScopedLock frame(m_FrameLock);
    GxTextureBase::ReleaseAll();
}

void GxTextureMovie::OnLostDevice()
{
    GxMutexScopedLock frame(m_FrameLock);
    if (m_Pool == D3DPOOL_DEFAULT) FreeTextures();
}

void GxTextureMovie::OnResetDevice()
{
    GxMutexScopedLock frame(m_FrameLock);
    if (m_Pool != D3DPOOL_DEFAULT || !GxGraphics::GetDevice()) return;
    FreeTextures();
    MakeTextures(true);
}

std::uint32_t GxTextureMovie::GetVideoMemorySize() const
{
    if (m_Pool == D3DPOOL_SYSTEMMEM || m_Pool == D3DPOOL_SCRATCH) return 0;
    return GetFormatBytesPerPixel(m_Format) * m_Width * m_Height * 2;
}

bool GxTextureMovie::SetToRenderTarget(std::uint32_t stage)
{
    return SetLevelAsRenderTarget(GxGraphics::GetDevice(), GetCurrentTexture(), stage);
}

D3DFORMAT GxTextureMovie::GetFormat() const
{
    return m_Format;
}

D3DPOOL GxTextureMovie::GetPool() const
{
    return m_Pool;
}

std::uint32_t GxTextureMovie::GetWidth() const
{
    return m_Width;
}

std::uint32_t GxTextureMovie::GetHeight() const
{
    return m_Height;
}

std::uint32_t GxTextureMovie::GetImageWidth() const
{
    return m_ImageWidth;
}

std::uint32_t GxTextureMovie::GetImageHeight() const
{
    return m_ImageHeight;
}

bool GxTextureMovie::IsLocked() const
{
    return m_Locked;
}

IDirect3DTexture9* GxTextureMovie::GetCurrentTexture() const
{
    return m_pTextures[m_CachePos.load() & 1];
}

bool GxTextureMovie::HasCurrentTexture() const
{
    return GetCurrentTexture() != nullptr;
}

float GxTextureMovie::GetU(float x) const
{
    return m_Width ? x / static_cast<float>(m_Width) : 0.0f;
}

float GxTextureMovie::GetV(float y) const
{
    return m_Height ? y / static_cast<float>(m_Height) : 0.0f;
}

IDirect3DTexture9* GxTextureMovie::GetNextTexture() const
{
    return m_pTextures[(m_CachePos.load() + 1) & 1];
}

bool GxTextureMovie::IsCurrentFlagged() const
{
    return m_Flags[m_CachePos.load() & 1];
}

IDirect3DTexture9* GxTextureMovie::TextureAt(std::uint32_t index) const
{
    return index < 2 ? m_pTextures[index] : nullptr;
}

bool GxTextureMovie::MakeTextures(bool restore)
{
    IDirect3DDevice9* device = GxGraphics::GetDevice();
    for (std::uint32_t index = 0; index < 2; ++index) {
        const HRESULT result =
            D3DXCreateTexture(device, m_Width, m_Height, 1, m_Usage, m_Format, m_Pool, &m_pTextures[index]);
        if (FAILED(result)) {
            m_pTextures[index] = nullptr;
            if (restore) {
                LogPrint(u"Error/GxTextureMovie::Restore Failed(Size:%d,%d CachePos:%d %s)\n", int(m_Width),
                         int(m_Height), int(index), DescribeD3DError(result).c_str());
            } else {
                LogPrint(u"Error/GxTextureMovie::Create Failed(Type:Texture Name:\"%s\" Size:%d,%d CachePos:%d %s)\n",
                         m_Name.c_str(), int(m_Width), int(m_Height), int(index), DescribeD3DError(result).c_str());
            }
            return false;
        }
        Fill(index, m_ClearColor);
    }
    return true;
}

bool GxTextureMovie::Create(std::u16string_view name, std::uint32_t width, std::uint32_t height, D3DFORMAT format,
                            D3DCOLOR clearColor, bool dynamic)
{
    GxMutexScopedLock frame(m_FrameLock);
    DropEverything([this] { FreeTextures(); });
    m_CachePos = 0;
    m_ImageWidth = width;
    m_ImageHeight = height;
    CreationSizeFor(width, height, &m_Width, &m_Height);
    m_ClearColor = clearColor;
    m_Format = format != D3DFMT_UNKNOWN ? format : GxGraphics::GetRenderTargetFormat();
    m_MipLevels = 1;
    SetObjectType(kObjTypeTexture);
    m_Locked = false;
    SetName(name);
    if (!GxGraphics::GetDevice()) return false;

    if (dynamic && GxGraphics::GetDeviceCaps().DynamicTextures) {
        m_Pool = D3DPOOL_DEFAULT;
        m_Usage = D3DUSAGE_DYNAMIC;
    } else {
        m_Pool = D3DPOOL_MANAGED;
        m_Usage = 0;
    }
    if (!MakeTextures(false)) {
        FreeTextures();
        m_Pool = D3DPOOL_SCRATCH;
        return false;
    }
    D3DSURFACE_DESC desc{};
    if (SUCCEEDED(m_pTextures[0]->GetLevelDesc(0, &desc))) {
        m_Width = desc.Width;
        m_Height = desc.Height;
        m_Format = desc.Format;
        m_Pool = desc.Pool;
    }
    EnterRegistry();
    return true;
}

bool GxTextureMovie::Fill(std::uint32_t index, D3DCOLOR color)
{
    if (!GxGraphics::GetDevice() || !TextureAt(index)) return false;
    // Other formats (8-bit, compressed) have no pixel layout these loops could write.
    const bool wide = m_Format == D3DFMT_A8R8G8B8 || m_Format == D3DFMT_X8R8G8B8;
    const bool narrow = m_Format == D3DFMT_A4R4G4B4 || m_Format == D3DFMT_X4R4G4B4;
    if (!wide && !narrow) return false;
    void* bits = nullptr;
    std::int32_t pitch = 0;
    if (!LockRect(index, nullptr, &bits, &pitch, nullptr, nullptr, nullptr, false)) return false;
    const std::uint16_t value = ConvertA8R8G8B8ToA4R4G4B4(color);
    for (std::uint32_t y = 0; y < m_Height; ++y) {
        std::uint8_t* row = static_cast<std::uint8_t*>(bits) + static_cast<std::ptrdiff_t>(pitch) * y;
        for (std::uint32_t x = 0; x < m_Width; ++x) {
            if (wide) std::memcpy(row + x * 4, &color, 4);
            else std::memcpy(row + x * 2, &value, 2);
        }
    }
    UnlockRect(index);
    return true;
}

bool GxTextureMovie::LockRect(std::uint32_t index, const RECT* rect, void** bits, std::int32_t* pitch,
                              std::uint32_t* width, std::uint32_t* height, D3DFORMAT* format, bool readOnly)
{
    IDirect3DTexture9* texture = TextureAt(index);
    if (!texture || !GxGraphics::GetDevice()) return false;
    if (m_Locked) {
        LogPrint(u"Error/Texture LockRect Failed(Name:\"%s\" Size:%d,%d Texture Already Locked)\n", m_Name.c_str(),
                 int(m_Width), int(m_Height));
        return false;
    }
    D3DLOCKED_RECT locked{};
    const HRESULT result = texture->LockRect(0, &locked, rect, readOnly ? D3DLOCK_READONLY : 0);
    if (FAILED(result)) {
        LogPrint(u"Error/Texture LockRect Failed(Name:\"%s\" Size:%d,%d %s)\n", m_Name.c_str(), int(m_Width),
                 int(m_Height), DescribeD3DError(result).c_str());
        return false;
    }
    m_Locked = true;
    if (format) *format = m_Format;
    if (width) *width = rect ? std::uint32_t(rect->right - rect->left) : m_Width;
    if (height) *height = rect ? std::uint32_t(rect->bottom - rect->top) : m_Height;
    if (bits) *bits = locked.pBits;
    if (pitch) *pitch = locked.Pitch;
    return true;
}

bool GxTextureMovie::UnlockRect(std::uint32_t index)
{
    IDirect3DTexture9* texture = TextureAt(index);
    if (!texture || !GxGraphics::GetDevice() || !m_Locked) return false;
    texture->UnlockRect(0);
    m_Locked = false;
    return true;
}

std::uint32_t GxTextureMovie::AdvanceCachePos()
{
    const std::uint32_t shown = m_CachePos.load() & 1;
    m_Flags[shown] = true;
    m_CachePos = (shown + 1) & 1;
    return shown;
}

bool GxTextureMovie::GetSurface(IDirect3DSurface9** surface)
{
    if (!surface) return false;
    *surface = nullptr;
    IDirect3DTexture9* texture = GetCurrentTexture();
    if (!texture || FAILED(texture->GetSurfaceLevel(0, surface))) {
        *surface = nullptr;
        return false;
    }
    return true;
}

bool GxTextureMovie::GetD3DTexture(IDirect3DTexture9** texture)
{
    if (!texture) return false;
    *texture = GetCurrentTexture();
    if (!*texture) return false;
    (*texture)->AddRef();
    return true;
}
