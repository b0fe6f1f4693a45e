// IDirect3DTexture9: a chain of levels, each a Surface, with the dirty region that
// UpdateTexture copies (kept in level-0 coordinates).
#pragma once

#include "platform/d3d9/device_child.h"
#include "platform/d3d9/surface.h"

#include <memory>
#include <vector>

namespace platform::d3d9 {

class Texture final : public IDirect3DTexture9, public DeviceChild {
public:
    explicit Texture(Device* device);

    // `levels` is already resolved (never 0). D3D_OK or E_OUTOFMEMORY.
    HRESULT Initialise(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool);

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;
    HRESULT GetDevice(IDirect3DDevice9** device) override;
    D3DRESOURCETYPE GetType() override;
    DWORD GetLevelCount() override;
    HRESULT GetLevelDesc(UINT level, D3DSURFACE_DESC* desc) override;
    HRESULT GetSurfaceLevel(UINT level, IDirect3DSurface9** surface) override;
    HRESULT LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags) override;
    HRESULT UnlockRect(UINT level) override;
    HRESULT AddDirtyRect(const RECT* dirtyRect) override;

    bool BlocksReset() const override;
    std::string Describe() const override;

    // Under the device lock.
    UINT LevelCount() const { return static_cast<UINT>(m_Levels.size()); }
    Surface& Level(UINT level) { return *m_Levels[level]; }
    D3DPOOL Pool() const { return m_Pool; }
    DWORD Usage() const { return m_Usage; }
    D3DFORMAT Format() const { return m_Format; }
    bool AnyLevelLocked() const;
    void MarkDirty(UINT level, const RECT& rect);
    // Hands out the dirty region and forgets it; false when nothing is dirty.
    bool TakeDirty(RECT& dirty);

private:
    std::vector<std::unique_ptr<Surface>> m_Levels;
    D3DFORMAT m_Format = D3DFMT_UNKNOWN;
    D3DPOOL m_Pool = D3DPOOL_DEFAULT;
    DWORD m_Usage = 0;
    bool m_Dirty = false;
    RECT m_DirtyRect{};
};

}  // namespace platform::d3d9
