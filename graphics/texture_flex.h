// GxTextureFlex: an image of any size held as a grid of 128 x 128 tiles, each its own managed
// Direct3D texture, so no power-of-two size and no single-texture limit applies. Tile (column,
// row) is at index row x columns + column and covers the image pixels from (column x 128,
// row x 128), cut at the image's right and bottom edges; whoever draws it lays the tiles out so.
//
// Managed pool: device loss and reset leave the tiles alone. Every operation holds the object's
// own lock; a deferred load (PrepareAsyncLoad, then the job pool) runs under it on a loader thread.
#pragma once

#include "graphics/d3d_resource.h"
#include "platform/d3d9/d3d9.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class GxTextureFlex : public GxD3DResourceBase {
public:
    static constexpr std::uint32_t kTileSize = 128;

    GxTextureFlex();
    ~GxTextureFlex() override;

    // At zero: every tile goes, every field back to empty, and the resource leaves the registry.
    std::uint32_t Release() override;
    // Bytes per pixel x tile area x tile count.
    std::uint32_t GetVideoMemorySize() const override;

    // The tile array without references (null when empty); GetColumns() x GetRows() entries.
    virtual IDirect3DTexture9* const* GetTiles() const;
    virtual bool HasTiles() const;
    virtual D3DFORMAT GetFormat() const;
    virtual D3DPOOL GetPool() const;
    virtual std::uint32_t GetWidth() const;
    virtual std::uint32_t GetHeight() const;
    virtual std::uint32_t GetImageWidth() const;
    virtual std::uint32_t GetImageHeight() const;
    virtual std::uint32_t GetColumns() const;
    virtual std::uint32_t GetRows() const;
    virtual std::uint32_t GetTileWidth() const;
    virtual std::uint32_t GetTileHeight() const;
    // Always false: tiles are never locked through this object.
    virtual bool IsLocked() const;
    virtual std::uint32_t GetMipLevels() const;
    virtual D3DCOLOR GetColorKey() const;

    // Empty tiles for an image of that size; format 0 means the device's texture format.
    virtual bool CreateTexture(std::u16string_view name, std::uint32_t width, std::uint32_t height, D3DFORMAT format);
    // The image file (archives included) as tiles, unfiltered, with the colour key (0: none).
    virtual bool CreateFromFile(std::u16string_view name, D3DFORMAT format, D3DCOLOR colorKey);
    // Copies a surface at least as large as the image into the tiles.
    virtual bool CopyFromSurface(IDirect3DSurface9* surface);
    // Stores what RunJob will load (name lowered); loads nothing.
    virtual void PrepareAsyncLoad(std::u16string_view name, D3DFORMAT format, D3DCOLOR colorKey);
    virtual bool HasName() const;

    // CreateFromFile with the prepared values, under the object's lock.
    void RunJob(GxThread* thread, GxAsyncJobManage* manager) override;
    // True from the moment a job pool queues this object until its job has run or was
    // cancelled: the owner must not delete it in between.
    bool IsJobInFlight() const;

    // The pool resets a job as it queues it: that is how the object learns a load is pending.
    // Its own resets call the base directly.
    void ResetJob() override;
    void OnCompleted(GxAsyncJobManage* manager) override;
    void OnCancelled(GxAsyncJobManage* manager) override;

private:
    void FreeTiles();

    std::vector<IDirect3DTexture9*> m_Tiles;
    D3DFORMAT m_Format = D3DFMT_UNKNOWN;
    D3DPOOL m_Pool = D3DPOOL_SCRATCH;
    std::uint32_t m_Width = 0;
    std::uint32_t m_Height = 0;
    std::uint32_t m_ImageWidth = 0;
    std::uint32_t m_ImageHeight = 0;
    std::uint32_t m_Columns = 0;
    std::uint32_t m_Rows = 0;
    std::uint32_t m_TileWidth = 0;
    std::uint32_t m_TileHeight = 0;
    std::uint32_t m_MipLevels = 0;
    bool m_Locked = false;
    D3DCOLOR m_ColorKey = 0;
    bool m_JobQueued = false;
};
