// Sections: lifetime; presentation, loss and reset; resources; copies; targets and scenes;
// clears; states; drawing; hooks.
#include "platform/d3d9/device.h"

#include "platform/d3d9/direct3d.h"
#include "platform/d3d9/format_info.h"
#include "platform/d3d9/texture.h"
#include "platform/d3d9/trace.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace platform::d3d9 {

namespace {

RECT WholeRect(const D3DSURFACE_DESC& desc)
{
    return {0, 0, static_cast<LONG>(desc.Width), static_cast<LONG>(desc.Height)};
}

bool Intersect(RECT& rect, const RECT& clip)
{
    rect.left = std::max(rect.left, clip.left);
    rect.top = std::max(rect.top, clip.top);
    rect.right = std::min(rect.right, clip.right);
    rect.bottom = std::min(rect.bottom, clip.bottom);
    return rect.left < rect.right && rect.top < rect.bottom;
}

bool Overlaps(const RECT& a, const RECT& b)
{
    RECT common = a;
    return Intersect(common, b);
}

bool IsPowerOfTwo(UINT value)
{
    return value != 0 && (value & (value - 1)) == 0;
}

UINT FullChainLevels(UINT width, UINT height)
{
    UINT levels = 1;
    for (UINT size = std::max(width, height); size > 1; size >>= 1) ++levels;
    return levels;
}

// Rows of `rect` from one store to another of the same format and large enough.
void CopyRows(PixelStore& destination, PixelStore& source, const RECT& rect)
{
    const std::size_t bytes = static_cast<std::size_t>(rect.right - rect.left) * source.BytesPerPixel();
    for (LONG y = rect.top; y < rect.bottom; ++y)
        std::memcpy(destination.At(static_cast<UINT>(rect.left), static_cast<UINT>(y)),
                    source.At(static_cast<UINT>(rect.left), static_cast<UINT>(y)), bytes);
}

raster::Rect ToRasterRect(const RECT& rect)
{
    return {rect.left, rect.top, rect.right, rect.bottom};
}

// Where each part of a pre-transformed vertex sits, from the vertex format.
struct VertexLayout {
    UINT size = 0;
    int diffuse = -1;
    int specular = -1;
    UINT texCoordSets = 0;
    int texCoord[8] = {};
    int texCoordFloats[8] = {};
};

bool ParseVertexFormat(DWORD fvf, VertexLayout& layout)
{
    if ((fvf & D3DFVF_POSITION_MASK) != D3DFVF_XYZRHW) return false;   // no transform pipeline here
    UINT offset = 16;
    if (fvf & D3DFVF_NORMAL) offset += 12;
    if (fvf & D3DFVF_PSIZE) offset += 4;
    if (fvf & D3DFVF_DIFFUSE) {
        layout.diffuse = static_cast<int>(offset);
        offset += 4;
    }
    if (fvf & D3DFVF_SPECULAR) {
        layout.specular = static_cast<int>(offset);
        offset += 4;
    }
    layout.texCoordSets = (fvf & D3DFVF_TEXCOUNT_MASK) >> D3DFVF_TEXCOUNT_SHIFT;
    if (layout.texCoordSets > 8) return false;
    for (UINT set = 0; set < layout.texCoordSets; ++set) {
        static const int kFloats[4] = {2, 3, 4, 1};
        const int floats = kFloats[(fvf >> (16 + set * 2)) & 3];
        layout.texCoord[set] = static_cast<int>(offset);
        layout.texCoordFloats[set] = floats;
        offset += static_cast<UINT>(floats) * 4;
    }
    layout.size = offset;
    return true;
}

template <typename T>
T ReadField(const std::uint8_t* vertex, int offset)
{
    T value;
    std::memcpy(&value, vertex + offset, sizeof value);
    return value;
}

// The cell of state `type` in a state table (a row of one for the render states); null when the
// row or the type is out of range. Type 0 names no state.
template <std::size_t Types>
DWORD* StateCell(DWORD (&table)[Types], DWORD type)
{
    return type != 0 && type < Types ? &table[type] : nullptr;
}

template <std::size_t Rows, std::size_t Types>
DWORD* StateCell(DWORD (&table)[Rows][Types], DWORD row, DWORD type)
{
    return row < Rows ? StateCell(table[row], type) : nullptr;
}

HRESULT StoreState(DWORD* cell, DWORD value)
{
    if (!cell) return D3DERR_INVALIDCALL;
    *cell = value;
    return D3D_OK;
}

HRESULT LoadState(const DWORD* cell, DWORD* value)
{
    if (!value || !cell) return D3DERR_INVALIDCALL;
    *value = *cell;
    return D3D_OK;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Lifetime

HRESULT Device::Create(Direct3D* direct3d, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                       const D3DPRESENT_PARAMETERS& parameters, Device** device)
{
    auto* created = new Device(direct3d, deviceType, focusWindow, behaviorFlags);
    HRESULT result;
    {
        DeviceLock lock(created->m_Mutex);
        result = created->BuildImplicitObjects(parameters);
    }
    if (FAILED(result)) {
        created->Release();
        return result == E_OUTOFMEMORY ? D3DERR_OUTOFVIDEOMEMORY : result;
    }
    *device = created;
    return D3D_OK;
}

Device::Device(Direct3D* direct3d, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags)
    : m_Mutex(std::make_shared<std::recursive_mutex>()), m_Direct3D(direct3d)
{
    m_Direct3D->AddRef();
    m_Creation = {D3DADAPTER_DEFAULT, deviceType, focusWindow, behaviorFlags};
    m_SoftwareVertexProcessing = (behaviorFlags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) ? TRUE : FALSE;
    m_RenderTargets.assign(std::max<DWORD>(1, m_Direct3D->Adapter().caps.NumSimultaneousRTs), nullptr);
    SetDefaultStates(m_States, false);
    m_DrawStateStale = true;
}

Device::~Device()
{
    m_AutoDepthStencil.reset();
    m_ImplicitChain.reset();
    m_Direct3D->Release();
}

HRESULT Device::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirect3DDevice9) {
        *object = static_cast<IDirect3DDevice9*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG Device::AddRef()
{
    DeviceLock lock(m_Mutex);
    return ++m_RefCount;
}

ULONG Device::Release()
{
    DeviceLock lock(m_Mutex);
    if (m_RefCount == 0) return 0;
    const ULONG count = --m_RefCount;
    if (count == 0) {
        // Bindings are the device's own references: drop them so that released resources go.
        m_InFinalRelease = true;
        UnbindAll();
        m_InFinalRelease = false;
        if (m_Children.empty())
            delete this;
        else
            Trace("device released while %zu resources are alive; it lives until they are released",
                  m_Children.size());
    }
    return count;
}

template <typename Object>
void Device::Adopt(Object* object)
{
    m_Children.insert(object);
}

void Device::DestroyChild(DeviceChild* child)
{
    if (m_Children.erase(child) == 0) return;
    delete child;
    if (m_RefCount == 0 && m_Children.empty() && !m_InFinalRelease) delete this;
}

Surface* Device::OwnSurface(IDirect3DSurface9* surface) const
{
    auto* own = static_cast<Surface*>(surface);
    return own && own->OwnerDevice() == this ? own : nullptr;
}

Texture* Device::OwnTexture(IDirect3DBaseTexture9* texture) const
{
    auto* own = static_cast<Texture*>(texture);
    return own && own->OwnerDevice() == this ? own : nullptr;
}

HRESULT Device::GetDirect3D(IDirect3D9** direct3d)
{
    if (!direct3d) return D3DERR_INVALIDCALL;
    *direct3d = m_Direct3D;
    m_Direct3D->AddRef();
    return D3D_OK;
}

HRESULT Device::GetDeviceCaps(D3DCAPS9* caps)
{
    if (!caps) return D3DERR_INVALIDCALL;
    *caps = m_Direct3D->Adapter().caps;
    caps->DeviceType = m_Creation.DeviceType;
    caps->AdapterOrdinal = D3DADAPTER_DEFAULT;
    return D3D_OK;
}

HRESULT Device::GetCreationParameters(D3DDEVICE_CREATION_PARAMETERS* parameters)
{
    if (!parameters) return D3DERR_INVALIDCALL;
    *parameters = m_Creation;
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Presentation, loss and reset

HRESULT Device::BuildImplicitObjects(const D3DPRESENT_PARAMETERS& parameters)
{
    if (!m_ImplicitChain) m_ImplicitChain = std::make_unique<SwapChain>(this, true);
    HRESULT result = m_ImplicitChain->Initialise(parameters, m_Creation.hFocusWindow);
    if (FAILED(result)) return result;
    if (parameters.EnableAutoDepthStencil) {
        if (!m_AutoDepthStencil)
            m_AutoDepthStencil = std::make_unique<Surface>(this, Surface::Kind::AutoDepthStencil, this, nullptr);
        result = m_AutoDepthStencil->Initialise(parameters.AutoDepthStencilFormat, parameters.BackBufferWidth,
                                                parameters.BackBufferHeight, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT,
                                                parameters.MultiSampleType, parameters.MultiSampleQuality,
                                                DescribeFormat(parameters.AutoDepthStencilFormat).lockableDepth);
        if (FAILED(result)) return result;
    }
    RestoreDefaults();
    return D3D_OK;
}

void Device::RestoreDefaults()
{
    const D3DPRESENT_PARAMETERS& parameters = m_ImplicitChain->Parameters();
    UnbindAll();
    SetRenderTargetSlot(0, &m_ImplicitChain->BackBuffer(0));
    if (parameters.EnableAutoDepthStencil) SetDepthStencilSlot(m_AutoDepthStencil.get());
    SetFullViewport();
    SetDefaultStates(m_States, parameters.EnableAutoDepthStencil != FALSE);
    m_DrawStateStale = true;
    m_Fvf = 0;
    m_InScene = false;
}

void Device::UnbindAll()
{
    for (DWORD i = 0; i < m_RenderTargets.size(); ++i) SetRenderTargetSlot(i, nullptr);
    SetDepthStencilSlot(nullptr);
    for (DWORD stage = 0; stage < kSamplerCount; ++stage) SetTextureSlot(stage, nullptr);
}

bool Device::IsLost()
{
    // A full-screen device is lost while its window is minimised, and resettable once restored.
    const D3DPRESENT_PARAMETERS& parameters = m_ImplicitChain->Parameters();
    const bool minimised =
        !parameters.Windowed && m_ImplicitChain->GetPresenter().IsMinimised(m_ImplicitChain->Window());
    if (minimised && m_LossState == LossState::Operational) {
        m_LossState = LossState::Lost;
        m_LostByWindow = true;
        m_LostPolls = 0;
    } else if (!minimised && m_LossState == LossState::Lost && m_LostByWindow) {
        m_LossState = LossState::NotReset;
        m_LostByWindow = false;
    }
    return m_LossState != LossState::Operational;
}

void Device::Lose(unsigned lostPolls)
{
    DeviceLock lock(m_Mutex);
    m_LossState = LossState::Lost;
    m_LostPolls = lostPolls;
    m_LostByWindow = false;
}

HRESULT Device::TestCooperativeLevel()
{
    DeviceLock lock(m_Mutex);
    IsLost();
    switch (m_LossState) {
    case LossState::Operational: return D3D_OK;
    case LossState::Lost:
        if (m_LostByWindow) return D3DERR_DEVICELOST;
        if (m_LostPolls > 0) {
            --m_LostPolls;
            return D3DERR_DEVICELOST;
        }
        m_LossState = LossState::NotReset;
        return D3DERR_DEVICENOTRESET;
    case LossState::NotReset: return D3DERR_DEVICENOTRESET;
    }
    return D3D_OK;
}

HRESULT Device::Reset(D3DPRESENT_PARAMETERS* presentationParameters)
{
    DeviceLock lock(m_Mutex);
    if (!presentationParameters) return D3DERR_INVALIDCALL;
    if (IsLost() && m_LossState == LossState::Lost && (m_LostByWindow || m_LostPolls > 0)) return D3DERR_DEVICELOST;

    // Any refusal leaves the device lost, waiting for a Reset that succeeds.
    D3DPRESENT_PARAMETERS parameters = *presentationParameters;
    if (FAILED(m_Direct3D->ValidatePresentParameters(parameters))) {
        m_LossState = LossState::NotReset;
        return D3DERR_INVALIDCALL;
    }
    bool blocked = false;
    for (DeviceChild* child : m_Children) {
        if (child->BlocksReset()) {
            Trace("Reset refused: %s is still alive", child->Describe().c_str());
            blocked = true;
        }
    }
    if (m_ImplicitChain->AnyBackBufferLocked() || (m_AutoDepthStencil && m_AutoDepthStencil->IsLocked())) {
        Trace("Reset refused: a back buffer or the depth-stencil surface is locked");
        blocked = true;
    }
    if (blocked) {
        m_LossState = LossState::NotReset;
        return D3DERR_INVALIDCALL;
    }
    UnbindAll();   // resources only the device still held go now
    const HRESULT result = BuildImplicitObjects(parameters);
    if (FAILED(result)) {
        m_LossState = LossState::NotReset;
        return result == E_OUTOFMEMORY ? D3DERR_OUTOFVIDEOMEMORY : result;
    }
    *presentationParameters = parameters;
    m_LossState = LossState::Operational;
    m_LostPolls = 0;
    m_LostByWindow = false;
    return D3D_OK;
}

HRESULT Device::Present(const RECT* sourceRect, const RECT* destRect, HWND destWindowOverride,
                        const RGNDATA* dirtyRegion)
{
    DeviceLock lock(m_Mutex);
    return m_ImplicitChain->Present(sourceRect, destRect, destWindowOverride, dirtyRegion, 0);
}

HRESULT Device::GetDisplayMode(UINT swapChain, D3DDISPLAYMODE* mode)
{
    DeviceLock lock(m_Mutex);
    if (swapChain != 0) return D3DERR_INVALIDCALL;
    return m_ImplicitChain->GetDisplayMode(mode);
}

HRESULT Device::CreateAdditionalSwapChain(D3DPRESENT_PARAMETERS* presentationParameters,
                                          IDirect3DSwapChain9** swapChain)
{
    DeviceLock lock(m_Mutex);
    if (!presentationParameters || !swapChain) return D3DERR_INVALIDCALL;
    *swapChain = nullptr;
    if (!m_ImplicitChain->Parameters().Windowed || !presentationParameters->Windowed) {
        Trace("CreateAdditionalSwapChain: only windowed devices and chains");
        return D3DERR_INVALIDCALL;
    }
    D3DPRESENT_PARAMETERS parameters = *presentationParameters;
    const HRESULT valid = m_Direct3D->ValidatePresentParameters(parameters);
    if (FAILED(valid)) return valid;
    auto* chain = new SwapChain(this, false);
    const HRESULT result = chain->Initialise(parameters, m_Creation.hFocusWindow);
    if (FAILED(result)) {
        delete chain;
        return D3DERR_OUTOFVIDEOMEMORY;
    }
    Adopt(chain);
    *presentationParameters = parameters;
    *swapChain = chain;
    return D3D_OK;
}

HRESULT Device::GetSwapChain(UINT swapChain, IDirect3DSwapChain9** result)
{
    DeviceLock lock(m_Mutex);
    if (!result) return D3DERR_INVALIDCALL;
    *result = nullptr;
    if (swapChain != 0) return D3DERR_INVALIDCALL;
    *result = m_ImplicitChain.get();
    AddRef();   // the implicit chain's references are the device's
    return D3D_OK;
}

UINT Device::GetNumberOfSwapChains()
{
    return 1;
}

HRESULT Device::GetBackBuffer(UINT swapChain, UINT backBuffer, D3DBACKBUFFER_TYPE type, IDirect3DSurface9** surface)
{
    DeviceLock lock(m_Mutex);
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    if (swapChain != 0) return D3DERR_INVALIDCALL;
    return m_ImplicitChain->GetBackBuffer(backBuffer, type, surface);
}

// ---------------------------------------------------------------------------------------------
// Resources

HRESULT Device::CreateTexture(UINT width, UINT height, UINT levels, DWORD usage, D3DFORMAT format, D3DPOOL pool,
                              IDirect3DTexture9** texture, HANDLE* sharedHandle)
{
    DeviceLock lock(m_Mutex);
    if (!texture) return D3DERR_INVALIDCALL;
    *texture = nullptr;
    auto refuse = [&](const char* why) {
        Trace("CreateTexture %ux%u format %u usage 0x%x pool %u refused: %s", width, height,
              static_cast<unsigned>(format), usage, static_cast<unsigned>(pool), why);
        return D3DERR_INVALIDCALL;
    };
    const D3DCAPS9& caps = m_Direct3D->Adapter().caps;
    if (sharedHandle) return refuse("shared resources are not supported");
    if (width == 0 || height == 0 || width > caps.MaxTextureWidth || height > caps.MaxTextureHeight)
        return refuse("size out of range");
    if (pool > D3DPOOL_SCRATCH) return refuse("unknown pool");
    if (usage & ~(D3DUSAGE_RENDERTARGET | D3DUSAGE_DYNAMIC)) return refuse("unsupported usage");
    if ((usage & D3DUSAGE_RENDERTARGET) && (pool != D3DPOOL_DEFAULT || (usage & D3DUSAGE_DYNAMIC)))
        return refuse("render targets are DEFAULT-pool and not dynamic");
    if ((usage & D3DUSAGE_DYNAMIC) && (pool == D3DPOOL_MANAGED || pool == D3DPOOL_SCRATCH ||
                                       !(caps.Caps2 & D3DCAPS2_DYNAMICTEXTURES)))
        return refuse("dynamic textures are not possible here");
    if (pool == D3DPOOL_SCRATCH) {
        // Scratch textures are plain memory: any colour format, no device limits.
        if (!IsColorFormat(format)) return refuse("format cannot be stored");
    } else {
        if (!m_Direct3D->SupportsFormat(usage & D3DUSAGE_RENDERTARGET, format) || !IsColorFormat(format))
            return refuse("format not supported");
        if ((caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) && width != height) return refuse("textures must be square");
        if ((caps.TextureCaps & D3DPTEXTURECAPS_POW2) && (!IsPowerOfTwo(width) || !IsPowerOfTwo(height))) {
            if (!(caps.TextureCaps & D3DPTEXTURECAPS_NONPOW2CONDITIONAL)) return refuse("sizes must be powers of two");
            if (levels != 1) return refuse("a non-power-of-two texture has exactly one level");
        }
    }
    const UINT fullChain = FullChainLevels(width, height);
    if (levels == 0) levels = fullChain;
    if (levels > fullChain) return refuse("more levels than the size allows");

    auto* created = new Texture(this);
    if (FAILED(created->Initialise(width, height, levels, usage, format, pool))) {
        delete created;
        Trace("CreateTexture %ux%u: out of memory", width, height);
        return pool == D3DPOOL_DEFAULT ? D3DERR_OUTOFVIDEOMEMORY : E_OUTOFMEMORY;
    }
    Adopt(created);
    *texture = created;
    return D3D_OK;
}

HRESULT Device::CreateRenderTarget(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                   DWORD multiSampleQuality, BOOL lockable, IDirect3DSurface9** surface,
                                   HANDLE* sharedHandle)
{
    DeviceLock lock(m_Mutex);
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    const D3DCAPS9& caps = m_Direct3D->Adapter().caps;
    const DWORD qualities = m_Direct3D->MultiSampleQualities(multiSample, m_ImplicitChain->Parameters().Windowed);
    if (sharedHandle || width == 0 || height == 0 || width > caps.MaxTextureWidth || height > caps.MaxTextureHeight ||
        !m_Direct3D->SupportsFormat(D3DUSAGE_RENDERTARGET, format) || qualities == 0 ||
        multiSampleQuality >= qualities || (multiSample != D3DMULTISAMPLE_NONE && lockable)) {
        Trace("CreateRenderTarget %ux%u format %u refused", width, height, static_cast<unsigned>(format));
        return D3DERR_INVALIDCALL;
    }
    return CreateStandaloneSurface(format, width, height, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, multiSample,
                                   multiSampleQuality, lockable != FALSE, D3DERR_OUTOFVIDEOMEMORY, surface);
}

HRESULT Device::CreateDepthStencilSurface(UINT width, UINT height, D3DFORMAT format, D3DMULTISAMPLE_TYPE multiSample,
                                          DWORD multiSampleQuality, BOOL /*discard*/, IDirect3DSurface9** surface,
                                          HANDLE* sharedHandle)
{
    DeviceLock lock(m_Mutex);
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    const D3DCAPS9& caps = m_Direct3D->Adapter().caps;
    const DWORD qualities = m_Direct3D->MultiSampleQualities(multiSample, m_ImplicitChain->Parameters().Windowed);
    if (sharedHandle || width == 0 || height == 0 || width > caps.MaxTextureWidth || height > caps.MaxTextureHeight ||
        !m_Direct3D->SupportsFormat(D3DUSAGE_DEPTHSTENCIL, format) || qualities == 0 ||
        multiSampleQuality >= qualities) {
        Trace("CreateDepthStencilSurface %ux%u format %u refused", width, height, static_cast<unsigned>(format));
        return D3DERR_INVALIDCALL;
    }
    return CreateStandaloneSurface(format, width, height, D3DUSAGE_DEPTHSTENCIL, D3DPOOL_DEFAULT, multiSample,
                                   multiSampleQuality, DescribeFormat(format).lockableDepth, D3DERR_OUTOFVIDEOMEMORY,
                                   surface);
}

HRESULT Device::CreateOffscreenPlainSurface(UINT width, UINT height, D3DFORMAT format, D3DPOOL pool,
                                            IDirect3DSurface9** surface, HANDLE* sharedHandle)
{
    DeviceLock lock(m_Mutex);
    if (!surface) return D3DERR_INVALIDCALL;
    *surface = nullptr;
    const D3DCAPS9& caps = m_Direct3D->Adapter().caps;
    const bool formatOk = pool == D3DPOOL_SCRATCH ? IsColorFormat(format)
                                                  : IsColorFormat(format) && m_Direct3D->SupportsFormat(0, format);
    const bool sizeOk = width != 0 && height != 0 &&
                        (pool == D3DPOOL_SCRATCH || (width <= caps.MaxTextureWidth && height <= caps.MaxTextureHeight));
    if (sharedHandle || pool == D3DPOOL_MANAGED || pool > D3DPOOL_SCRATCH || !formatOk || !sizeOk) {
        Trace("CreateOffscreenPlainSurface %ux%u format %u pool %u refused", width, height,
              static_cast<unsigned>(format), static_cast<unsigned>(pool));
        return D3DERR_INVALIDCALL;
    }
    return CreateStandaloneSurface(format, width, height, 0, pool, D3DMULTISAMPLE_NONE, 0, true,
                                   pool == D3DPOOL_DEFAULT ? D3DERR_OUTOFVIDEOMEMORY : E_OUTOFMEMORY, surface);
}

HRESULT Device::CreateStandaloneSurface(D3DFORMAT format, UINT width, UINT height, DWORD usage, D3DPOOL pool,
                                        D3DMULTISAMPLE_TYPE multiSample, DWORD multiSampleQuality, bool lockable,
                                        HRESULT outOfMemory, IDirect3DSurface9** surface)
{
    auto* created = new Surface(this, Surface::Kind::Standalone, nullptr, nullptr);
    if (FAILED(created->Initialise(format, width, height, usage, pool, multiSample, multiSampleQuality, lockable))) {
        delete created;
        return outOfMemory;
    }
    Adopt(created);
    *surface = created;
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Copies

HRESULT Device::UpdateTexture(IDirect3DBaseTexture9* sourceTexture, IDirect3DBaseTexture9* destTexture)
{
    DeviceLock lock(m_Mutex);
    Texture* source = OwnTexture(sourceTexture);
    Texture* dest = OwnTexture(destTexture);
    auto refuse = [](const char* why) {
        Trace("UpdateTexture refused: %s", why);
        return D3DERR_INVALIDCALL;
    };
    if (!source || !dest) return refuse("not textures of this device");
    if (source->Pool() != D3DPOOL_SYSTEMMEM || dest->Pool() != D3DPOOL_DEFAULT)
        return refuse("the source must be SYSTEMMEM and the destination DEFAULT");
    if (source->Format() != dest->Format()) return refuse("formats differ");
    const D3DSURFACE_DESC& sourceTop = source->Level(0).Desc();
    const D3DSURFACE_DESC& destTop = dest->Level(0).Desc();
    if (sourceTop.Width != destTop.Width || sourceTop.Height != destTop.Height) return refuse("sizes differ");
    if (source->LevelCount() < dest->LevelCount()) return refuse("the source has fewer levels");
    if (source->AnyLevelLocked() || dest->AnyLevelLocked()) return refuse("a level is locked");

    RECT dirty;
    if (!source->TakeDirty(dirty)) return D3D_OK;   // nothing changed since the last update
    for (UINT level = 0; level < dest->LevelCount(); ++level) {
        Surface& to = dest->Level(level);
        const LONG scale = 1L << level;
        RECT area{dirty.left / scale, dirty.top / scale, (dirty.right + scale - 1) / scale,
                  (dirty.bottom + scale - 1) / scale};
        if (!Intersect(area, WholeRect(to.Desc()))) continue;
        CopyRows(to.Store(), source->Level(level).Store(), area);
    }
    return D3D_OK;
}

HRESULT Device::GetRenderTargetData(IDirect3DSurface9* renderTarget, IDirect3DSurface9* destSurface)
{
    DeviceLock lock(m_Mutex);
    Surface* source = OwnSurface(renderTarget);
    Surface* dest = OwnSurface(destSurface);
    auto refuse = [](const char* why) {
        Trace("GetRenderTargetData refused: %s", why);
        return D3DERR_INVALIDCALL;
    };
    if (!source || !dest) return refuse("not surfaces of this device");
    const D3DSURFACE_DESC& from = source->Desc();
    const D3DSURFACE_DESC& to = dest->Desc();
    if (!(from.Usage & D3DUSAGE_RENDERTARGET) || from.MultiSampleType != D3DMULTISAMPLE_NONE)
        return refuse("the source is not a plain render target");
    if (to.Pool != D3DPOOL_SYSTEMMEM) return refuse("the destination is not in SYSTEMMEM");
    if (from.Width != to.Width || from.Height != to.Height || from.Format != to.Format)
        return refuse("sizes or formats differ");
    if (source->IsLocked() || dest->IsLocked()) return refuse("a surface is locked");
    if (m_LossState != LossState::Operational) return D3DERR_DEVICELOST;
    CopyRows(dest->Store(), source->Store(), WholeRect(from));
    return D3D_OK;
}

HRESULT Device::StretchRect(IDirect3DSurface9* sourceSurface, const RECT* sourceRect, IDirect3DSurface9* destSurface,
                            const RECT* destRect, D3DTEXTUREFILTERTYPE filter)
{
    DeviceLock lock(m_Mutex);
    Surface* source = OwnSurface(sourceSurface);
    Surface* dest = OwnSurface(destSurface);
    auto refuse = [](const char* why) {
        Trace("StretchRect refused: %s", why);
        return D3DERR_INVALIDCALL;
    };
    if (!source || !dest) return refuse("not surfaces of this device");
    if (filter != D3DTEXF_NONE && filter != D3DTEXF_POINT && filter != D3DTEXF_LINEAR) return refuse("filter");
    const D3DSURFACE_DESC& from = source->Desc();
    const D3DSURFACE_DESC& to = dest->Desc();
    if (from.Pool != D3DPOOL_DEFAULT || to.Pool != D3DPOOL_DEFAULT) return refuse("both surfaces must be DEFAULT-pool");
    // Render targets (surfaces, texture levels, back buffers) and plain off-screen surfaces.
    auto usable = [](const Surface& surface) {
        return (surface.Desc().Usage & D3DUSAGE_RENDERTARGET) ||
               (surface.GetKind() == Surface::Kind::Standalone && surface.Desc().Usage == 0);
    };
    if (!usable(*source) || !usable(*dest)) return refuse("only render targets and plain surfaces");
    const RECT sourceArea = sourceRect ? *sourceRect : WholeRect(from);
    const RECT destArea = destRect ? *destRect : WholeRect(to);
    if (!IsRectInside(sourceArea, from.Width, from.Height) || !IsRectInside(destArea, to.Width, to.Height))
        return refuse("rectangle empty or outside");
    if (source == dest && Overlaps(sourceArea, destArea)) return refuse("overlapping copy within one surface");
    if (source->IsLocked() || dest->IsLocked()) return refuse("a surface is locked");
    raster::Blit(dest->Store().Image(), ToRasterRect(destArea), source->Store().Image(), ToRasterRect(sourceArea),
                 filter == D3DTEXF_LINEAR ? raster::Filter::Linear : raster::Filter::Point);
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Targets and scenes

void Device::SetRenderTargetSlot(DWORD index, Surface* surface)
{
    if (surface) surface->BindToDevice();   // before the old one goes: it may be the same
    Surface* old = m_RenderTargets[index];
    m_RenderTargets[index] = surface;
    if (old) old->UnbindFromDevice();
}

void Device::SetDepthStencilSlot(Surface* surface)
{
    if (surface) surface->BindToDevice();
    Surface* old = m_DepthStencil;
    m_DepthStencil = surface;
    if (old) old->UnbindFromDevice();
}

void Device::SetTextureSlot(DWORD stage, Texture* texture)
{
    if (texture) texture->Bind();
    Texture* old = m_Textures[stage];
    m_Textures[stage] = texture;
    if (old) old->Unbind();
}

void Device::SetFullViewport()
{
    const D3DSURFACE_DESC& target = m_RenderTargets[0]->Desc();
    m_Viewport = {0, 0, target.Width, target.Height, 0.0f, 1.0f};
}

HRESULT Device::SetRenderTarget(DWORD index, IDirect3DSurface9* renderTarget)
{
    DeviceLock lock(m_Mutex);
    if (index >= m_RenderTargets.size()) return D3DERR_INVALIDCALL;
    Surface* surface = OwnSurface(renderTarget);
    if (renderTarget && !surface) return D3DERR_INVALIDCALL;
    if (!surface && index == 0) {
        Trace("SetRenderTarget: render target 0 cannot be null");
        return D3DERR_INVALIDCALL;
    }
    if (surface && !(surface->Desc().Usage & D3DUSAGE_RENDERTARGET)) {
        Trace("SetRenderTarget: %s is not a render target", surface->Describe().c_str());
        return D3DERR_INVALIDCALL;
    }
    SetRenderTargetSlot(index, surface);
    if (index == 0) SetFullViewport();   // Direct3D's rule: a new target 0 gets a whole viewport
    return D3D_OK;
}

HRESULT Device::GetRenderTarget(DWORD index, IDirect3DSurface9** renderTarget)
{
    DeviceLock lock(m_Mutex);
    if (!renderTarget) return D3DERR_INVALIDCALL;
    *renderTarget = nullptr;
    if (index >= m_RenderTargets.size()) return D3DERR_INVALIDCALL;
    if (!m_RenderTargets[index]) return D3DERR_NOTFOUND;
    *renderTarget = m_RenderTargets[index];
    (*renderTarget)->AddRef();
    return D3D_OK;
}

HRESULT Device::SetDepthStencilSurface(IDirect3DSurface9* depthStencil)
{
    DeviceLock lock(m_Mutex);
    Surface* surface = OwnSurface(depthStencil);
    if (depthStencil && (!surface || !(surface->Desc().Usage & D3DUSAGE_DEPTHSTENCIL))) {
        Trace("SetDepthStencilSurface: not a depth-stencil surface of this device");
        return D3DERR_INVALIDCALL;
    }
    SetDepthStencilSlot(surface);
    return D3D_OK;
}

HRESULT Device::GetDepthStencilSurface(IDirect3DSurface9** depthStencil)
{
    DeviceLock lock(m_Mutex);
    if (!depthStencil) return D3DERR_INVALIDCALL;
    *depthStencil = m_DepthStencil;
    if (!m_DepthStencil) return D3DERR_NOTFOUND;
    m_DepthStencil->AddRef();
    return D3D_OK;
}

HRESULT Device::BeginScene()
{
    DeviceLock lock(m_Mutex);
    if (m_InScene) {
        Trace("BeginScene inside a scene");
        return D3DERR_INVALIDCALL;
    }
    m_InScene = true;
    return D3D_OK;
}

HRESULT Device::EndScene()
{
    DeviceLock lock(m_Mutex);
    if (!m_InScene) {
        Trace("EndScene without BeginScene");
        return D3DERR_INVALIDCALL;
    }
    m_InScene = false;
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Clears

HRESULT Device::Clear(DWORD count, const D3DRECT* rects, DWORD flags, D3DCOLOR color, float z, DWORD stencil)
{
    DeviceLock lock(m_Mutex);
    auto refuse = [](const char* why) {
        Trace("Clear refused: %s", why);
        return D3DERR_INVALIDCALL;
    };
    if ((count > 0) != (rects != nullptr)) return refuse("rectangle count and array disagree");
    if (flags == 0 || (flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL))) return refuse("flags");
    if (flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) {
        if (!m_DepthStencil) return refuse("no depth-stencil surface");
        if ((flags & D3DCLEAR_STENCIL) && !DescribeFormat(m_DepthStencil->Desc().Format).stencil)
            return refuse("the depth format has no stencil");
        if ((flags & D3DCLEAR_ZBUFFER) && !(z >= 0.0f && z <= 1.0f)) return refuse("z outside 0..1");
    }
    if (m_LossState != LossState::Operational) return D3D_OK;

    const RECT viewport{static_cast<LONG>(m_Viewport.X), static_cast<LONG>(m_Viewport.Y),
                        static_cast<LONG>(m_Viewport.X + m_Viewport.Width),
                        static_cast<LONG>(m_Viewport.Y + m_Viewport.Height)};
    const DWORD areaCount = count == 0 ? 1 : count;
    for (DWORD i = 0; i < areaCount; ++i) {
        RECT area = viewport;
        if (count > 0 && !Intersect(area, RECT{rects[i].x1, rects[i].y1, rects[i].x2, rects[i].y2})) continue;
        if (flags & D3DCLEAR_TARGET) {
            for (Surface* target : m_RenderTargets) {
                RECT part = area;
                if (target && Intersect(part, WholeRect(target->Desc())) && ClipToSurface(target, part))
                    raster::Fill(target->Store().Image(), ToRasterRect(part), color);
            }
        }
        if (flags & (D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) {
            RECT part = area;
            // The depth buffer goes with the back buffer it is drawn with.
            if (Intersect(part, WholeRect(m_DepthStencil->Desc())) &&
                (m_RenderTargets.empty() || ClipToSurface(m_RenderTargets[0], part)))
                ClearDepthStencil(part, flags, z, stencil);
        }
    }
    return D3D_OK;
}

HRESULT Device::ClearDepthStencil(const RECT& area, DWORD flags, float z, DWORD stencil)
{
    // Packed value and the bits each part owns, per depth format.
    DWORD depthBits = 0, depthMask = 0, stencilBits = 0, stencilMask = 0;
    const auto scaled = [z](double maximum) { return static_cast<DWORD>(std::lround(static_cast<double>(z) * maximum)); };
    switch (m_DepthStencil->Desc().Format) {
    case D3DFMT_D16:
    case D3DFMT_D16_LOCKABLE: depthBits = scaled(65535.0), depthMask = 0xFFFF; break;
    case D3DFMT_D15S1:
        depthBits = scaled(32767.0) << 1, depthMask = 0xFFFE, stencilBits = stencil & 1, stencilMask = 0x1;
        break;
    case D3DFMT_D24S8:
        depthBits = scaled(16777215.0) << 8, depthMask = 0xFFFFFF00, stencilBits = stencil & 0xFF, stencilMask = 0xFF;
        break;
    case D3DFMT_D24X8: depthBits = scaled(16777215.0) << 8, depthMask = 0xFFFFFFFF; break;
    case D3DFMT_D24X4S4:
        depthBits = scaled(16777215.0) << 8, depthMask = 0xFFFFFF00, stencilBits = stencil & 0xF, stencilMask = 0xF;
        break;
    case D3DFMT_D24FS8:
        depthBits = std::bit_cast<DWORD>(z) & 0xFFFFFF00, depthMask = 0xFFFFFF00, stencilBits = stencil & 0xFF,
        stencilMask = 0xFF;
        break;
    case D3DFMT_D32F_LOCKABLE: depthBits = std::bit_cast<DWORD>(z), depthMask = 0xFFFFFFFF; break;
    default: depthBits = scaled(4294967295.0), depthMask = 0xFFFFFFFF; break;
    }
    const DWORD mask = ((flags & D3DCLEAR_ZBUFFER) ? depthMask : 0) | ((flags & D3DCLEAR_STENCIL) ? stencilMask : 0);
    const DWORD value = (depthBits & depthMask) | (stencilBits & stencilMask);
    m_DepthStencil->Fill(area, mask, value);
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// States

HRESULT Device::SetViewport(const D3DVIEWPORT9* viewport)
{
    DeviceLock lock(m_Mutex);
    if (!viewport) return D3DERR_INVALIDCALL;
    const D3DSURFACE_DESC& target = m_RenderTargets[0]->Desc();
    const std::uint64_t right = static_cast<std::uint64_t>(viewport->X) + viewport->Width;
    const std::uint64_t bottom = static_cast<std::uint64_t>(viewport->Y) + viewport->Height;
    if (right > target.Width || bottom > target.Height) {
        Trace("SetViewport (%u,%u %ux%u) exceeds the %ux%u render target", viewport->X, viewport->Y, viewport->Width,
              viewport->Height, target.Width, target.Height);
        return D3DERR_INVALIDCALL;
    }
    if (!(viewport->MinZ >= 0.0f && viewport->MinZ <= 1.0f && viewport->MaxZ >= 0.0f && viewport->MaxZ <= 1.0f))
        return D3DERR_INVALIDCALL;
    m_Viewport = *viewport;
    return D3D_OK;
}

HRESULT Device::GetViewport(D3DVIEWPORT9* viewport)
{
    DeviceLock lock(m_Mutex);
    if (!viewport) return D3DERR_INVALIDCALL;
    *viewport = m_Viewport;
    return D3D_OK;
}

HRESULT Device::SetRenderState(D3DRENDERSTATETYPE state, DWORD value)
{
    DeviceLock lock(m_Mutex);
    m_DrawStateStale = true;
    return StoreState(StateCell(m_States.render, state), value);
}

HRESULT Device::GetRenderState(D3DRENDERSTATETYPE state, DWORD* value)
{
    DeviceLock lock(m_Mutex);
    return LoadState(StateCell(m_States.render, state), value);
}

HRESULT Device::SetTexture(DWORD stage, IDirect3DBaseTexture9* texture)
{
    DeviceLock lock(m_Mutex);
    if (stage >= kSamplerCount) return D3DERR_INVALIDCALL;
    Texture* own = OwnTexture(texture);
    if (texture && !own) return D3DERR_INVALIDCALL;
    if (own && own->Pool() == D3DPOOL_SCRATCH) {
        Trace("SetTexture: scratch textures cannot be bound");
        return D3DERR_INVALIDCALL;
    }
    if (own && own->Pool() == D3DPOOL_SYSTEMMEM &&
        !(m_Direct3D->Adapter().caps.DevCaps & D3DDEVCAPS_TEXTURESYSTEMMEMORY)) {
        Trace("SetTexture: the device cannot sample system-memory textures");
        return D3DERR_INVALIDCALL;
    }
    SetTextureSlot(stage, own);
    return D3D_OK;
}

HRESULT Device::GetTexture(DWORD stage, IDirect3DBaseTexture9** texture)
{
    DeviceLock lock(m_Mutex);
    if (!texture || stage >= kSamplerCount) return D3DERR_INVALIDCALL;
    *texture = m_Textures[stage];
    if (*texture) (*texture)->AddRef();
    return D3D_OK;
}

HRESULT Device::GetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD* value)
{
    DeviceLock lock(m_Mutex);
    return LoadState(StateCell(m_States.stage, stage, type), value);
}

HRESULT Device::SetTextureStageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type, DWORD value)
{
    DeviceLock lock(m_Mutex);
    m_DrawStateStale = true;
    return StoreState(StateCell(m_States.stage, stage, type), value);
}

HRESULT Device::GetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD* value)
{
    DeviceLock lock(m_Mutex);
    return LoadState(StateCell(m_States.sampler, sampler, type), value);
}

HRESULT Device::SetSamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type, DWORD value)
{
    DeviceLock lock(m_Mutex);
    m_DrawStateStale = true;
    return StoreState(StateCell(m_States.sampler, sampler, type), value);
}

HRESULT Device::SetSoftwareVertexProcessing(BOOL software)
{
    DeviceLock lock(m_Mutex);
    // Only a mixed device can switch; the others keep the processing they were made with.
    const DWORD flags = m_Creation.BehaviorFlags;
    if ((flags & D3DCREATE_HARDWARE_VERTEXPROCESSING) && software) return D3DERR_INVALIDCALL;
    if ((flags & D3DCREATE_SOFTWARE_VERTEXPROCESSING) && !software) return D3DERR_INVALIDCALL;
    m_SoftwareVertexProcessing = software ? TRUE : FALSE;
    return D3D_OK;
}

BOOL Device::GetSoftwareVertexProcessing()
{
    DeviceLock lock(m_Mutex);
    return m_SoftwareVertexProcessing;
}

HRESULT Device::SetFVF(DWORD fvf)
{
    DeviceLock lock(m_Mutex);
    m_Fvf = fvf;
    return D3D_OK;
}

HRESULT Device::GetFVF(DWORD* fvf)
{
    DeviceLock lock(m_Mutex);
    if (!fvf) return D3DERR_INVALIDCALL;
    *fvf = m_Fvf;
    return D3D_OK;
}

HRESULT Device::SetVertexShader(IDirect3DVertexShader9* shader)
{
    // Shaders cannot be made on this device, so only "none" is valid.
    return shader ? D3DERR_INVALIDCALL : D3D_OK;
}

HRESULT Device::GetVertexShader(IDirect3DVertexShader9** shader)
{
    if (!shader) return D3DERR_INVALIDCALL;
    *shader = nullptr;
    return D3D_OK;
}

HRESULT Device::SetPixelShader(IDirect3DPixelShader9* shader)
{
    return shader ? D3DERR_INVALIDCALL : D3D_OK;
}

HRESULT Device::GetPixelShader(IDirect3DPixelShader9** shader)
{
    if (!shader) return D3DERR_INVALIDCALL;
    *shader = nullptr;
    return D3D_OK;
}

HRESULT Device::SetStreamSource(UINT streamNumber, IDirect3DVertexBuffer9* streamData, UINT /*offsetInBytes*/,
                                UINT /*stride*/)
{
    // Vertex buffers cannot be made on this device: only unbinding is valid.
    if (streamNumber >= m_Direct3D->Adapter().caps.MaxStreams || streamData) return D3DERR_INVALIDCALL;
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Drawing

HRESULT Device::DrawPrimitiveUP(D3DPRIMITIVETYPE primitiveType, UINT primitiveCount, const void* vertexStreamZeroData,
                                UINT vertexStreamZeroStride)
{
    DeviceLock lock(m_Mutex);   // held for the whole draw: no texture changes while it is sampled
    if (!vertexStreamZeroData || vertexStreamZeroStride == 0) return D3DERR_INVALIDCALL;
    if (primitiveType != D3DPT_TRIANGLELIST && primitiveType != D3DPT_TRIANGLESTRIP &&
        primitiveType != D3DPT_TRIANGLEFAN) {
        Trace("DrawPrimitiveUP: only triangles are drawn (primitive type %u)", static_cast<unsigned>(primitiveType));
        return D3DERR_INVALIDCALL;
    }
    if (primitiveCount == 0) return D3D_OK;
    if (primitiveCount > m_Direct3D->Adapter().caps.MaxPrimitiveCount) return D3DERR_INVALIDCALL;
    VertexLayout layout;
    if (!ParseVertexFormat(m_Fvf, layout)) {
        Trace("DrawPrimitiveUP: vertex format 0x%x is not pre-transformed", m_Fvf);
        return D3DERR_INVALIDCALL;
    }
    if (vertexStreamZeroStride < layout.size) {
        Trace("DrawPrimitiveUP: stride %u below the %u-byte vertex", vertexStreamZeroStride, layout.size);
        return D3DERR_INVALIDCALL;
    }
#ifndef NDEBUG
    if (!m_InScene) Trace("DrawPrimitiveUP outside BeginScene/EndScene");
#endif
    if (m_LossState != LossState::Operational) return D3D_OK;

    const std::size_t vertexCount = primitiveType == D3DPT_TRIANGLELIST ? std::size_t{primitiveCount} * 3
                                                                         : std::size_t{primitiveCount} + 2;
    const DWORD texCoordIndex = m_States.stage[0][D3DTSS_TEXCOORDINDEX] & 0xFFFF;
    const bool hasTexCoord = texCoordIndex < layout.texCoordSets;
    m_Vertices.resize(vertexCount);
    const auto* bytes = static_cast<const std::uint8_t*>(vertexStreamZeroData);
    for (std::size_t i = 0; i < vertexCount; ++i) {
        const std::uint8_t* in = bytes + i * vertexStreamZeroStride;
        raster::Vertex& out = m_Vertices[i];
        out.x = ReadField<float>(in, 0);
        out.y = ReadField<float>(in, 4);
        out.z = ReadField<float>(in, 8);
        out.rhw = ReadField<float>(in, 12);
        out.diffuse = layout.diffuse >= 0 ? ReadField<DWORD>(in, layout.diffuse) : 0xFFFFFFFFu;
        out.specular = layout.specular >= 0 ? ReadField<DWORD>(in, layout.specular) : 0u;
        out.u = hasTexCoord ? ReadField<float>(in, layout.texCoord[texCoordIndex]) : 0.0f;
        out.v = hasTexCoord && layout.texCoordFloats[texCoordIndex] > 1
                    ? ReadField<float>(in, layout.texCoord[texCoordIndex] + 4)
                    : 0.0f;
    }

    // Members, not locals: only the bound stages' images are written, nothing is cleared per draw.
    const raster::Image* textures[kStageCount] = {};
    for (DWORD stage = 0; stage < kStageCount; ++stage) {
        if (!m_Textures[stage]) continue;
        m_TextureImages[stage] = m_Textures[stage]->Level(0).Store().Image();
        textures[stage] = &m_TextureImages[stage];
    }
    if (m_DrawStateStale) {
        m_DrawState = TranslateStates(m_States, textures);
        m_DrawStateStale = false;
    }
    for (DWORD stage = 0; stage < kStageCount; ++stage) m_DrawState.stages[stage].texture = textures[stage];
    const raster::DrawState& state = m_DrawState;
    Surface& target = *m_RenderTargets[0];
    RECT viewport{static_cast<LONG>(m_Viewport.X), static_cast<LONG>(m_Viewport.Y),
                  static_cast<LONG>(m_Viewport.X + m_Viewport.Width),
                  static_cast<LONG>(m_Viewport.Y + m_Viewport.Height)};
    if (!Intersect(viewport, WholeRect(target.Desc())) || !ClipToSurface(&target, viewport)) return D3D_OK;
    raster::DrawPrimitive(target.Store().Image(), ToRasterRect(viewport), state,
                          static_cast<raster::Primitive>(primitiveType), primitiveCount, m_Vertices.data());
    return D3D_OK;
}

// ---------------------------------------------------------------------------------------------
// Hooks

bool Device::ClipToSurface(const Surface* target, RECT& area) const
{
    if (!m_ClipSurface || target != m_ClipSurface) return true;
    return Intersect(area, m_SurfaceClip);
}

void Device::SetSurfaceClip(IDirect3DSurface9* surface, const RECT* rect)
{
    DeviceLock lock(m_Mutex);
    // Every surface comes from this layer.
    m_ClipSurface = rect ? static_cast<const Surface*>(surface) : nullptr;
    if (rect) m_SurfaceClip = *rect;
}

bool Device::ReadBackBuffer(std::vector<std::uint32_t>& argb, UINT& width, UINT& height)
{
    DeviceLock lock(m_Mutex);
    PixelStore& store = m_ImplicitChain->BackBuffer(0).Store();
    const raster::Image image = store.Image();
    width = store.Width();
    height = store.Height();
    argb.resize(static_cast<std::size_t>(width) * height);
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x)
            argb[static_cast<std::size_t>(y) * width + x] = raster::ReadPixel(image, static_cast<int>(x), static_cast<int>(y));
    return true;
}

std::uint64_t Device::PresentCount()
{
    DeviceLock lock(m_Mutex);
    return m_ImplicitChain->GetPresenter().PresentCount();
}

}  // namespace platform::d3d9
