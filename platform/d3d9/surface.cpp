#include "platform/d3d9/surface.h"

#include "platform/d3d9/device.h"
#include "platform/d3d9/direct3d.h"
#include "platform/d3d9/texture.h"
#include "platform/d3d9/trace.h"

#include <cstdio>
#include <cstring>

namespace platform::d3d9 {

bool IsRectInside(const RECT& rect, UINT width, UINT height)
{
    return rect.left >= 0 && rect.top >= 0 && rect.left < rect.right && rect.top < rect.bottom &&
           static_cast<std::int64_t>(rect.right) <= width && static_cast<std::int64_t>(rect.bottom) <= height;
}

Surface::Surface(Device* device, Kind kind, IUnknown* container, DeviceChild* bindOwner)
    : DeviceChild(device),
      m_Kind(kind),
      m_Container(kind == Kind::Standalone ? nullptr : container),
      m_BindOwner(kind == Kind::Standalone ? this : bindOwner)
{
}

HRESULT Surface::Initialise(D3DFORMAT format, UINT width, UINT height, DWORD usage, D3DPOOL pool,
                            D3DMULTISAMPLE_TYPE multiSample, DWORD multiSampleQuality, bool lockable)
{
    m_Desc = {format, D3DRTYPE_SURFACE, usage, pool, multiSample, multiSampleQuality, width, height};
    m_Lockable = lockable;
    m_Locked = false;
    m_DeferredFill = {};
    if (!m_Store.Allocate(format, width, height, m_Device->Adapter().Adapter().pitchPadding)) return E_OUTOFMEMORY;
    return D3D_OK;
}

void Surface::Fill(const RECT& area, DWORD mask, DWORD value)
{
    if (area.right <= area.left || area.bottom <= area.top) return;
    const DWORD every = m_Store.BytesPerPixel() == 2 ? 0xFFFFu : 0xFFFFFFFFu;
    const bool replacesAll = (mask & every) == every;
    const auto covers = [](const RECT& outer, const RECT& inner) {
        return outer.left <= inner.left && outer.top <= inner.top && outer.right >= inner.right &&
               outer.bottom >= inner.bottom;
    };
    DeferredFill& deferred = m_DeferredFill;
    // The same clear again (each frame clears to the same depth): those bits are already due.
    if (deferred.active && covers(deferred.area, area) && ((deferred.value ^ value) & mask) == 0) return;
    if (deferred.active && replacesAll && covers(area, deferred.area)) {
        deferred = {true, area, value & every};
        return;
    }
    if (deferred.active && std::memcmp(&area, &deferred.area, sizeof area) == 0) {
        deferred.value = (deferred.value & ~mask) | (value & mask);
        return;
    }
    if (!deferred.active && replacesAll) {
        deferred = {true, area, value & every};
        return;
    }
    if (deferred.active) WriteDeferredFill();
    FillRows(area, mask, value);
}

void Surface::WriteDeferredFill()
{
    const DeferredFill fill = m_DeferredFill;
    m_DeferredFill = {};
    FillRows(fill.area, 0xFFFFFFFFu, fill.value);
}

void Surface::FillRows(const RECT& area, DWORD mask, DWORD value)
{
    const std::size_t count = static_cast<std::size_t>(area.right - area.left);
    // Each row in a loop of its own width, which the compiler turns into wide stores.
    const auto fillRows = [&](auto unit) {
        using Unit = decltype(unit);
        const Unit keep = static_cast<Unit>(~mask), set = static_cast<Unit>(value & mask);
        for (LONG y = area.top; y < area.bottom; ++y) {
            std::uint8_t* row = m_Store.At(static_cast<UINT>(area.left), static_cast<UINT>(y));
            for (std::size_t x = 0; x < count; ++x) {
                Unit old;
                std::memcpy(&old, row + x * sizeof(Unit), sizeof(Unit));
                const Unit updated = static_cast<Unit>((old & keep) | set);
                std::memcpy(row + x * sizeof(Unit), &updated, sizeof(Unit));
            }
        }
    };
    if (m_Store.BytesPerPixel() == 2)
        fillRows(std::uint16_t{});
    else
        fillRows(DWORD{});
}

void Surface::SetTextureLevel(Texture* texture, UINT level)
{
    m_Texture = texture;
    m_Level = level;
}

HRESULT Surface::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirect3DResource9 || riid == IID_IDirect3DSurface9) {
        *object = static_cast<IDirect3DSurface9*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG Surface::AddRef()
{
    DeviceLock lock(m_Device->Mutex());
    return m_Container ? m_Container->AddRef() : AddChildRef();
}

ULONG Surface::Release()
{
    DeviceLock lock(m_Device->Mutex());
    return m_Container ? m_Container->Release() : ReleaseChildRef();
}

HRESULT Surface::GetDevice(IDirect3DDevice9** device)
{
    if (!device) return D3DERR_INVALIDCALL;
    *device = m_Device;
    m_Device->AddRef();
    return D3D_OK;
}

D3DRESOURCETYPE Surface::GetType()
{
    return D3DRTYPE_SURFACE;
}

HRESULT Surface::GetContainer(REFIID riid, void** container)
{
    if (!container) return D3DERR_INVALIDCALL;
    DeviceLock lock(m_Device->Mutex());
    IUnknown* owner = m_Container ? m_Container : static_cast<IUnknown*>(m_Device);
    return owner->QueryInterface(riid, container);
}

HRESULT Surface::GetDesc(D3DSURFACE_DESC* desc)
{
    if (!desc) return D3DERR_INVALIDCALL;
    DeviceLock lock(m_Device->Mutex());
    *desc = m_Desc;
    return D3D_OK;
}

HRESULT Surface::LockRect(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags)
{
    DeviceLock lock(m_Device->Mutex());
    return Lock(lockedRect, rect, flags);
}

HRESULT Surface::UnlockRect()
{
    DeviceLock lock(m_Device->Mutex());
    return Unlock();
}

HRESULT Surface::GetDC(HDC* dc)
{
    if (dc) *dc = nullptr;
    Trace("GetDC: GDI cannot draw into device surfaces");
    return D3DERR_INVALIDCALL;
}

HRESULT Surface::ReleaseDC(HDC)
{
    return D3DERR_INVALIDCALL;
}

bool Surface::BlocksReset() const
{
    return m_Kind == Kind::Standalone && m_Desc.Pool == D3DPOOL_DEFAULT && ApplicationRefs() > 0;
}

std::string Surface::Describe() const
{
    const char* kind = m_Kind == Kind::TextureLevel  ? "texture level"
                       : m_Kind == Kind::BackBuffer ? "back buffer"
                       : (m_Desc.Usage & D3DUSAGE_RENDERTARGET) ? "render-target surface"
                       : (m_Desc.Usage & D3DUSAGE_DEPTHSTENCIL) ? "depth-stencil surface"
                                                                : "plain surface";
    char text[128];
    std::snprintf(text, sizeof text, "%s %ux%u format %u pool %u", kind, m_Desc.Width, m_Desc.Height,
                  static_cast<unsigned>(m_Desc.Format), static_cast<unsigned>(m_Desc.Pool));
    return text;
}

HRESULT Surface::Lock(D3DLOCKED_RECT* lockedRect, const RECT* rect, DWORD flags)
{
    if (!lockedRect) return D3DERR_INVALIDCALL;
    lockedRect->pBits = nullptr;
    lockedRect->Pitch = 0;
    if (!m_Lockable) {
        Trace("LockRect: %s is not lockable", Describe().c_str());
        return D3DERR_INVALIDCALL;
    }
    if (m_Locked) {
        Trace("LockRect: %s is already locked", Describe().c_str());
        return D3DERR_INVALIDCALL;
    }
    if ((flags & D3DLOCK_DISCARD) && (!(m_Desc.Usage & D3DUSAGE_DYNAMIC) || (flags & D3DLOCK_READONLY))) {
        Trace("LockRect: D3DLOCK_DISCARD needs a dynamic resource and a writable lock");
        return D3DERR_INVALIDCALL;
    }
    RECT area{0, 0, static_cast<LONG>(m_Desc.Width), static_cast<LONG>(m_Desc.Height)};
    if (rect) {
        if (!IsRectInside(*rect, m_Desc.Width, m_Desc.Height)) {
            Trace("LockRect: rectangle (%d,%d)-(%d,%d) is empty or outside %s", rect->left, rect->top, rect->right,
                  rect->bottom, Describe().c_str());
            return D3DERR_INVALIDCALL;
        }
        area = *rect;
    }
    m_Locked = true;
    lockedRect->Pitch = Store().Pitch();
    lockedRect->pBits = m_Store.At(static_cast<UINT>(area.left), static_cast<UINT>(area.top));
    if (m_Texture && !(flags & (D3DLOCK_READONLY | D3DLOCK_NO_DIRTY_UPDATE))) m_Texture->MarkDirty(m_Level, area);
    return D3D_OK;
}

HRESULT Surface::Unlock()
{
    if (!m_Locked) {
        Trace("UnlockRect: %s is not locked", Describe().c_str());
        return D3DERR_INVALIDCALL;
    }
    m_Locked = false;
    return D3D_OK;
}

void Surface::BindToDevice()
{
    if (m_BindOwner) m_BindOwner->Bind();
}

void Surface::UnbindFromDevice()
{
    if (m_BindOwner) m_BindOwner->Unbind();
}

}  // namespace platform::d3d9
