#include "platform/d3d9/texture.h"

#include "platform/d3d9/device.h"
#include "platform/d3d9/trace.h"

#include <algorithm>
#include <cstdio>

namespace platform::d3d9 {

Texture::Texture(Device* device) : DeviceChild(device) {}

HRESULT Texture::Initialise(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool)
{
    m_Format = format;
    m_Pool = pool;
    m_Usage = usage;
    // Render-target textures (DEFAULT, not dynamic) are drawn into, never locked.
    const bool lockable = pool != D3DPOOL_DEFAULT || (usage & D3DUSAGE_DYNAMIC);
    for (UINT i = 0; i < levels; ++i) {
        auto level = std::make_unique<Surface>(m_Device, Surface::Kind::TextureLevel, this, this);
        level->SetTextureLevel(this, i);
        const HRESULT result = level->Initialise(format, std::max(1u, width >> i), std::max(1u, height >> i), usage,
                                                 pool, D3DMULTISAMPLE_NONE, 0, lockable);
        if (FAILED(result)) return result;
        m_Levels.push_back(std::move(level));
    }
    // A new texture counts as dirty as a whole.
    m_Dirty = true;
    m_DirtyRect = {0, 0, static_cast<LONG>(width), static_cast<LONG>(height)};
    return D3D_OK;
}

HRESULT Texture::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirect3DResource9 || riid == IID_IDirect3DBaseTexture9 ||
        riid == IID_IDirect3DTexture9) {
        *object = static_cast<IDirect3DTexture9*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG Texture::AddRef()
{
    DeviceLock lock(m_Device->Mutex());
    return AddChildRef();
}

ULONG Texture::Release()
{
    DeviceLock lock(m_Device->Mutex());
    return ReleaseChildRef();
}

HRESULT Texture::GetDevice(IDirect3DDevice9** device)
{
    if (!device) return D3DERR_INVALIDCALL;
    *device = m_Device;
    m_Device->AddRef();
    return D3D_OK;
}

D3DRESOURCETYPE Texture::GetType()
{
    return D3DRTYPE_TEXTURE;
}

DWORD Texture::GetLevelCount()
{
    DeviceLock lock(m_Device->Mutex());
    return LevelCount();
}

HRESULT Texture::GetLevelDesc(UINT level, D3DSURFACE_DESC* desc)
{
    DeviceLock lock(m_Device->Mutex());
    if (!desc || level >= LevelCount()) return D3DERR_INVALIDCALL;
    *desc = Level(level).Desc();
    return D3D_OK;
}

HRESULT Texture::GetSurfaceLevel(UINT level, IDirect3DSurface9** surface)
{
    DeviceLock lock(m_Device->Mutex());
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (level >= LevelCount()) return D3DERR_INVALIDCALL;
    *surface = &Level(level);
    AddChildRef();
    return D3D_OK;
}

HRESULT Texture::LockRect(UINT level, D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags)
{
    DeviceLock lock(m_Device->Mutex());
    if (level >= LevelCount()) {
        if (lockedRect) *lockedRect = {};
        return D3DERR_INVALIDCALL;
    }
    return Level(level).Lock(lockedRect, rect, flags);
}

HRESULT Texture::UnlockRect(UINT level)
{
    DeviceLock lock(m_Device->Mutex());
    if (level >= LevelCount()) return D3DERR_INVALIDCALL;
    return Level(level).Unlock();
}

HRESULT Texture::AddDirtyRect(const RECT* dirtyRect)
{
    DeviceLock lock(m_Device->Mutex());
    const D3DSURFACE_DESC& top = Level(0).Desc();
    if (!dirtyRect) {
        MarkDirty(0, RECT{0, 0, static_cast<LONG>(top.Width), static_cast<LONG>(top.Height)});
        return D3D_OK;
    }
    if (!IsRectInside(*dirtyRect, top.Width, top.Height)) return D3DERR_INVALIDCALL;
    MarkDirty(0, *dirtyRect);
    return D3D_OK;
}

bool Texture::BlocksReset() const
{
    return m_Pool == D3DPOOL_DEFAULT && ApplicationRefs() > 0;
}

std::string Texture::Describe() const
{
    const D3DSURFACE_DESC& top = m_Levels.empty() ? D3DSURFACE_DESC{} : m_Levels.front()->Desc();
    char text[128];
    std::snprintf(text, sizeof text, "%stexture %ux%u format %u pool %u",
                  (m_Usage & D3DUSAGE_RENDERTARGET) ? "render-target " : "", top.Width, top.Height,
                  static_cast<unsigned>(m_Format), static_cast<unsigned>(m_Pool));
    return text;
}

bool Texture::AnyLevelLocked() const
{
    return std::any_of(m_Levels.begin(), m_Levels.end(), [](const auto& level) { return level->IsLocked(); });
}

void Texture::MarkDirty(UINT level, const RECT& rect)
{
    // Scaled up to level 0, where the dirty region lives.
    const RECT scaled{rect.left << level, rect.top << level, rect.right << level, rect.bottom << level};
    const D3DSURFACE_DESC& top = Level(0).Desc();
    RECT clipped{std::max<LONG>(scaled.left, 0), std::max<LONG>(scaled.top, 0),
                 std::min<LONG>(scaled.right, static_cast<LONG>(top.Width)),
                 std::min<LONG>(scaled.bottom, static_cast<LONG>(top.Height))};
    if (clipped.left >= clipped.right || clipped.top >= clipped.bottom) return;
    if (!m_Dirty) {
        m_DirtyRect = clipped;
        m_Dirty = true;
        return;
    }
    m_DirtyRect.left = std::min(m_DirtyRect.left, clipped.left);
    m_DirtyRect.top = std::min(m_DirtyRect.top, clipped.top);
    m_DirtyRect.right = std::max(m_DirtyRect.right, clipped.right);
    m_DirtyRect.bottom = std::max(m_DirtyRect.bottom, clipped.bottom);
}

bool Texture::TakeDirty(RECT& dirty)
{
    if (!m_Dirty) return false;
    dirty = m_DirtyRect;
    m_Dirty = false;
    return true;
}

}  // namespace platform::d3d9
