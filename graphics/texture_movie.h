// GxTextureMovie: the texture that shows a playing movie. Two textures of one size: the movie
// renderer copies each decoded frame into the one not shown (GetNextTexture) and flips
// (AdvanceCachePos), so the frame just written becomes the one shown (GetCurrentTexture).
//
// The frame lock guards the pair: the renderer holds it around lock, copy, unlock and flip on
// its own thread, and device loss, reset and the final release take it too, so a frame is never
// written into a texture that is being released or made anew. The other operations take no lock:
// the index of the shown texture is one 32-bit value that drawing reads as it is.
#pragma once

#include "foundation/mutex.h"
#include "graphics/texture.h"
#include "platform/d3d9/d3d9.h"

#include <atomic>
#include <cstdint>
#include <string_view>

class GxTextureMovie : public GxTextureBase {
public:
    GxTextureMovie();
    ~GxTextureMovie() override;

    // Under the frame lock. At zero both textures go and every field is back to empty.
    std::uint32_t Release() override;
    // Frame lock first, then the resource lock, as Release takes them.
    void ReleaseAll() override;
    // Under the frame lock: dynamic (default-pool) textures are dropped at loss and made anew,
    // filled with the clear colour, at reset; managed ones stay.
    void OnLostDevice() override;
    void OnResetDevice() override;
    // Both textures; 0 for the system-memory pool and when empty.
    std::uint32_t GetVideoMemorySize() const override;

    // Binds level 0 of the shown texture.
    bool SetToRenderTarget(std::uint32_t stage) override;

    virtual D3DFORMAT GetFormat() const;
    virtual D3DPOOL GetPool() const;
    std::uint32_t GetWidth() const override;
    std::uint32_t GetHeight() const override;
    virtual std::uint32_t GetImageWidth() const;
    virtual std::uint32_t GetImageHeight() const;
    virtual bool IsLocked() const;
    // The shown texture, without a reference.
    virtual IDirect3DTexture9* GetCurrentTexture() const;
    virtual bool HasCurrentTexture() const;
    virtual float GetU(float x) const;
    virtual float GetV(float y) const;
    // The texture not shown, without a reference.
    virtual IDirect3DTexture9* GetNextTexture() const;
    // Whether the shown texture was flipped away from before.
    virtual bool IsCurrentFlagged() const;

    // Two textures at the powers of two of the frame size, filled with the clear colour. Format
    // 0 means the device's render-target format. `dynamic` asks for dynamic default-pool
    // textures (when the device has them), otherwise they are managed.
    virtual bool Create(std::u16string_view name, std::uint32_t width, std::uint32_t height, D3DFORMAT format,
                        D3DCOLOR clearColor, bool dynamic);
    // Texture `index` (0 or 1), whichever is shown.
    virtual bool Fill(std::uint32_t index, D3DCOLOR color);
    virtual bool LockRect(std::uint32_t index, const RECT* rect, void** bits, std::int32_t* pitch,
                          std::uint32_t* width, std::uint32_t* height, D3DFORMAT* format, bool readOnly);
    virtual bool UnlockRect(std::uint32_t index);
    // Flags the shown texture, shows the other one; returns the index that was shown.
    virtual std::uint32_t AdvanceCachePos();
    // With a reference added; null when there is none.
    virtual bool GetSurface(IDirect3DSurface9** surface);
    virtual bool GetD3DTexture(IDirect3DTexture9** texture);

    // The frame lock the movie renderer holds around each frame copy and flip.
    GxMutex& GetFrameLock() { return m_FrameLock; }

private:
    IDirect3DTexture9* TextureAt(std::uint32_t index) const;
    void FreeTextures();
    // Both textures at the stored size, filled with the clear colour; `restore` picks the message.
    bool MakeTextures(bool restore);

    std::atomic<std::uint32_t> m_CachePos{0};
    IDirect3DTexture9* m_pTextures[2] = {nullptr, nullptr};
    bool m_Flags[2] = {false, false};
    D3DFORMAT m_Format = D3DFMT_UNKNOWN;
    D3DPOOL m_Pool = D3DPOOL_SCRATCH;
    D3DCOLOR m_ClearColor = 0;
    std::uint32_t m_Width = 0;
    std::uint32_t m_Height = 0;
    std::uint32_t m_ImageWidth = 0;
    std::uint32_t m_ImageHeight = 0;
    std::uint32_t m_MipLevels = 0;
    bool m_Locked = false;
    DWORD m_Usage = 0;
    GxMutex m_FrameLock;
};
