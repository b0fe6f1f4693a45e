#include "graphics/texture_flex.h"

#include "foundation/log.h"
#include "graphics/d3d_names.h"
#include "graphics/graphics.h"
#include "platform/d3d9/d3dx_image.h"

#include <algorithm>

namespace {

// 16,384 tiles are an image of 16,384 x 16,384 pixels (1 GiB at 4 bytes a pixel); beyond that
// the sizes no longer fit the 32-bit video-memory sums.
constexpr std::uint64_t kMaxTiles = 16384;

}  // namespace

GxTextureFlex::GxTextureFlex() = default;

GxTextureFlex::~GxTextureFlex()
{
    DropEverything([this] { FreeTiles(); });
}

void GxTextureFlex::FreeTiles()
{
    for (IDirect3DTexture9* tile : m_Tiles)
        if (tile) tile->Release();
    m_Tiles.clear();
}

std::uint32_t GxTextureFlex::Release()
{
    return ReleaseOwned([this] {
        FreeTiles();
        m_Format = D3DFMT_UNKNOWN;
        m_Pool = D3DPOOL_SCRATCH;
        m_Width = m_Height = 0;
        m_ImageWidth = m_ImageHeight = 0;
        m_Columns = m_Rows = 0;
        m_TileWidth = m_TileHeight = 0;
        m_MipLevels = 0;
        m_Locked = false;
        m_ColorKey = 0;
    });
}

std::uint32_t GxTextureFlex::GetVideoMemorySize() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return GetFormatBytesPerPixel(m_Format) * m_TileWidth * m_TileHeight * m_Columns * m_Rows;
}

IDirect3DTexture9* const* GxTextureFlex::GetTiles() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_Tiles.empty() ? nullptr : m_Tiles.data();
}

bool GxTextureFlex::HasTiles() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return !m_Tiles.empty();
}

D3DFORMAT GxTextureFlex::GetFormat() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_Format;
}

D3DPOOL GxTextureFlex::GetPool() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_Pool;
}

std::uint32_t GxTextureFlex::GetWidth() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_Width;
}

std::uint32_t GxTextureFlex::GetHeight() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_Height;
}

std::uint32_t GxTextureFlex::GetImageWidth() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_ImageWidth;
}

std::uint32_t GxTextureFlex::GetImageHeight() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_ImageHeight;
}

std::uint32_t GxTextureFlex::GetColumns() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_Columns;
}

std::uint32_t GxTextureFlex::GetRows() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_Rows;
}

std::uint32_t GxTextureFlex::GetTileWidth() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_TileWidth;
}

std::uint32_t GxTextureFlex::GetTileHeight() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_TileHeight;
}

bool GxTextureFlex::IsLocked() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_Locked;
}

std::uint32_t GxTextureFlex::GetMipLevels() const
{
    return m_MipLevels;
}

D3DCOLOR GxTextureFlex::GetColorKey() const
{
    return m_ColorKey;
}

bool GxTextureFlex::CreateTexture(std::u16string_view name, std::uint32_t width, std::uint32_t height,
                                  D3DFORMAT format)
{
    GxMutexScopedLock lock(GetResourceLock());
    DropEverything([this] { FreeTiles(); });
    m_Format = format != D3DFMT_UNKNOWN ? format : GxGraphics::GetTextureFormat();
    m_Pool = D3DPOOL_MANAGED;
    m_MipLevels = 1;
    m_Locked = false;
    SetObjectType(kObjTypeFlexTexture);
    SetName(name);
    IDirect3DDevice9* device = GxGraphics::GetDevice();
    if (!device) {
        SetFailed(true);
        return false;
    }
    m_Width = m_ImageWidth = width;
    m_Height = m_ImageHeight = height;
    const std::uint64_t columns = (std::uint64_t(width) + kTileSize - 1) / kTileSize;
    const std::uint64_t rows = (std::uint64_t(height) + kTileSize - 1) / kTileSize;
    auto fail = [&](HRESULT result) {
        LogPrint(u"Error/FlexTexture CreateTexture Failed(Name:\"%s\" Size:%d,%d %s)\n", std::u16string(name).c_str(),
                 int(width), int(height), DescribeD3DError(result).c_str());
        FreeTiles();
        m_Columns = m_Rows = 0;
        m_TileWidth = m_TileHeight = 0;
        SetFailed(true);
        return false;
    };
    if (columns * rows > kMaxTiles) return fail(E_OUTOFMEMORY);
    m_Columns = std::uint32_t(columns);
    m_Rows = std::uint32_t(rows);
    m_TileWidth = m_TileHeight = kTileSize;
    m_Tiles.assign(std::size_t(columns * rows), nullptr);
    for (IDirect3DTexture9*& tile : m_Tiles) {
        const HRESULT result =
            D3DXCreateTexture(device, kTileSize, kTileSize, 1, 0, m_Format, D3DPOOL_MANAGED, &tile);
        if (FAILED(result)) {
            tile = nullptr;
            return fail(result);
        }
    }
    EnterRegistry();
    return true;
}

bool GxTextureFlex::CreateFromFile(std::u16string_view name, D3DFORMAT format, D3DCOLOR colorKey)
{
    GxMutexScopedLock lock(GetResourceLock());
    DropEverything([this] { FreeTiles(); });
    m_ColorKey = colorKey;
    m_Format = format != D3DFMT_UNKNOWN ? format : GxGraphics::GetTextureFormat();
    if (!GxGraphics::GetDevice()) {
        SetFailed(true);
        return false;
    }
    IDirect3DSurface9* scratch = nullptr;
    GxImageInfo info;
    bool ok = CreateScratchSurfaceFromFile(std::u16string(name), &scratch, m_Format, &info, colorKey);
    if (ok) {
        D3DSURFACE_DESC desc{};
        ok = SUCCEEDED(scratch->GetDesc(&desc)) && CreateTexture(name, desc.Width, desc.Height, m_Format) &&
             CopyFromSurface(scratch);
    }
    // The loader hands out a surface it made even when the load into it failed.
    if (scratch) scratch->Release();
    if (!ok) {
        SetFailed(true);
        return false;
    }
    SetName(name);
    return true;
}

bool GxTextureFlex::CopyFromSurface(IDirect3DSurface9* surface)
{
    GxMutexScopedLock lock(GetResourceLock());
    D3DSURFACE_DESC desc{};
    if (!surface || FAILED(surface->GetDesc(&desc))) return false;
    const std::int64_t surfaceWidth = desc.Width, surfaceHeight = desc.Height;
    for (std::uint32_t row = 0; row < m_Rows; ++row) {
        for (std::uint32_t column = 0; column < m_Columns; ++column) {
            const std::int64_t left = std::int64_t(column) * kTileSize, top = std::int64_t(row) * kTileSize;
            const std::int64_t width = std::min<std::int64_t>(m_TileWidth, surfaceWidth - left);
            const std::int64_t height = std::min<std::int64_t>(m_TileHeight, surfaceHeight - top);
            if (width <= 0 || height <= 0) return false;   // the surface is smaller than the image
            IDirect3DSurface9* tile = nullptr;
            if (FAILED(m_Tiles[std::size_t(row) * m_Columns + column]->GetSurfaceLevel(0, &tile))) return false;
            const RECT from{LONG(left), LONG(top), LONG(left + width), LONG(top + height)};
            const RECT to{0, 0, LONG(width), LONG(height)};
            const HRESULT result =
                D3DXLoadSurfaceFromSurface(tile, nullptr, &to, surface, nullptr, &from, D3DX_FILTER_NONE, 0);
            tile->Release();
            if (FAILED(result)) return false;
        }
    }
    return true;
}

void GxTextureFlex::PrepareAsyncLoad(std::u16string_view name, D3DFORMAT format, D3DCOLOR colorKey)
{
    GxMutexScopedLock lock(GetResourceLock());
    GxAsyncJobBase::ResetJob();
    m_Failed = false;
    SetName(name);
    m_Format = format;
    m_ColorKey = colorKey;
}

bool GxTextureFlex::HasName() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return !m_Name.empty();
}

void GxTextureFlex::RunJob(GxThread*, GxAsyncJobManage*)
{
    GxMutexScopedLock lock(GetResourceLock());
    const std::u16string name = m_Name;
    // References taken while the load was pending stay with their holders (see GxTexture).
    std::uint32_t held = m_RefCount;
    if (!m_Tiles.empty() && held > 0) --held;
    m_RefCount = 0;
    CreateFromFile(name, m_Format, m_ColorKey);
    m_RefCount += held;
}

bool GxTextureFlex::IsJobInFlight() const
{
    GxMutexScopedLock lock(GetResourceLock());
    return m_JobQueued;
}

void GxTextureFlex::ResetJob()
{
    GxMutexScopedLock lock(GetResourceLock());
    GxAsyncJobBase::ResetJob();
    m_JobQueued = true;
}

void GxTextureFlex::OnCompleted(GxAsyncJobManage* manager)
{
    GxMutexScopedLock lock(GetResourceLock());
    GxAsyncJobBase::OnCompleted(manager);
    m_JobQueued = false;
}

void GxTextureFlex::OnCancelled(GxAsyncJobManage* manager)
{
    GxMutexScopedLock lock(GetResourceLock());
    GxAsyncJobBase::OnCancelled(manager);
    m_JobQueued = false;
}
