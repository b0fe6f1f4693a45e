#include "platform/d3d9/direct3d.h"

#include "platform/d3d9/device.h"
#include "platform/d3d9/format_info.h"
#include "platform/d3d9/trace.h"

#include <algorithm>
#include <cstring>

namespace platform::d3d9 {

namespace {

constexpr UINT kMaxBackBufferSize = 16384;

bool Contains(const std::vector<D3DFORMAT>& formats, D3DFORMAT format)
{
    return std::find(formats.begin(), formats.end(), format) != formats.end();
}

// The display format a back-buffer format is shown in.
D3DFORMAT DisplayFormatOf(D3DFORMAT backBufferFormat)
{
    switch (backBufferFormat) {
    case D3DFMT_A8R8G8B8: return D3DFMT_X8R8G8B8;
    case D3DFMT_A1R5G5B5: return D3DFMT_X1R5G5B5;
    default: return backBufferFormat;
    }
}

bool IsPresentationInterval(UINT interval)
{
    return interval == D3DPRESENT_INTERVAL_DEFAULT || interval == D3DPRESENT_INTERVAL_ONE ||
           interval == D3DPRESENT_INTERVAL_TWO || interval == D3DPRESENT_INTERVAL_THREE ||
           interval == D3DPRESENT_INTERVAL_FOUR || interval == D3DPRESENT_INTERVAL_IMMEDIATE;
}

void CopyText(char* destination, std::size_t size, const std::string& text)
{
    const std::size_t length = std::min(text.size(), size - 1);
    std::memcpy(destination, text.data(), length);
    destination[length] = '\0';
}

}  // namespace

Direct3D::Direct3D(const VirtualAdapter& adapter) : m_Adapter(adapter) {}

HRESULT Direct3D::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDirect3D9) {
        *object = static_cast<IDirect3D9*>(this);
        AddRef();
        return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
}

ULONG Direct3D::AddRef()
{
    return ++m_RefCount;
}

ULONG Direct3D::Release()
{
    ULONG count = m_RefCount.load();
    do {
        if (count == 0) return 0;
    } while (!m_RefCount.compare_exchange_weak(count, count - 1));
    if (count == 1) delete this;
    return count - 1;
}

UINT Direct3D::GetAdapterCount()
{
    return 1;
}

HRESULT Direct3D::GetAdapterIdentifier(UINT adapter, DWORD flags, D3DADAPTER_IDENTIFIER9* identifier)
{
    if (adapter != D3DADAPTER_DEFAULT || !identifier || m_Adapter.failAdapterIdentifier) return D3DERR_INVALIDCALL;
    std::memset(identifier, 0, sizeof *identifier);
    CopyText(identifier->Driver, sizeof identifier->Driver, m_Adapter.driver);
    CopyText(identifier->Description, sizeof identifier->Description, m_Adapter.description);
    CopyText(identifier->DeviceName, sizeof identifier->DeviceName, m_Adapter.deviceName);
    identifier->DriverVersion.QuadPart = m_Adapter.driverVersion;
    identifier->VendorId = m_Adapter.vendorId;
    identifier->DeviceId = m_Adapter.deviceId;
    identifier->WHQLLevel = (flags & 2) ? 1 : 0;   // D3DENUM_WHQL_LEVEL asks for it
    return D3D_OK;
}

UINT Direct3D::GetAdapterModeCount(UINT adapter, D3DFORMAT format)
{
    if (adapter != D3DADAPTER_DEFAULT) return 0;
    return static_cast<UINT>(std::count_if(m_Adapter.modes.begin(), m_Adapter.modes.end(),
                                           [&](const D3DDISPLAYMODE& mode) { return mode.Format == format; }));
}

HRESULT Direct3D::EnumAdapterModes(UINT adapter, D3DFORMAT format, UINT mode, D3DDISPLAYMODE* displayMode)
{
    if (adapter != D3DADAPTER_DEFAULT || !displayMode) return D3DERR_INVALIDCALL;
    UINT index = 0;
    for (const D3DDISPLAYMODE& candidate : m_Adapter.modes) {
        if (candidate.Format != format) continue;
        if (index++ == mode) {
            *displayMode = candidate;
            return D3D_OK;
        }
    }
    return D3DERR_INVALIDCALL;
}

HRESULT Direct3D::GetAdapterDisplayMode(UINT adapter, D3DDISPLAYMODE* mode)
{
    if (adapter != D3DADAPTER_DEFAULT || !mode || m_Adapter.failDisplayMode) return D3DERR_INVALIDCALL;
    *mode = m_Adapter.desktopMode;
    return D3D_OK;
}

HRESULT Direct3D::CheckDeviceType(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat,
                                  D3DFORMAT backBufferFormat, BOOL windowed)
{
    if (adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    if (deviceType != D3DDEVTYPE_HAL && deviceType != D3DDEVTYPE_REF) return D3DERR_NOTAVAILABLE;
    if (!IsDisplayFormat(adapterFormat)) return D3DERR_NOTAVAILABLE;
    if (backBufferFormat != D3DFMT_UNKNOWN &&
        (!IsBackBufferFormat(backBufferFormat) || DisplayFormatOf(backBufferFormat) != adapterFormat))
        return D3DERR_NOTAVAILABLE;
    if (windowed) {
        if (!m_Adapter.windowedRendering || adapterFormat != m_Adapter.desktopMode.Format) return D3DERR_NOTAVAILABLE;
        return D3D_OK;
    }
    return GetAdapterModeCount(adapter, adapterFormat) > 0 ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::CheckDeviceFormat(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT adapterFormat, DWORD usage,
                                   D3DRESOURCETYPE resourceType, D3DFORMAT checkFormat)
{
    if (adapter != D3DADAPTER_DEFAULT || !IsDisplayFormat(adapterFormat)) return D3DERR_INVALIDCALL;
    if (deviceType != D3DDEVTYPE_HAL && deviceType != D3DDEVTYPE_REF) return D3DERR_NOTAVAILABLE;
    if (resourceType != D3DRTYPE_TEXTURE && resourceType != D3DRTYPE_SURFACE) return D3DERR_NOTAVAILABLE;
    if (usage & ~(D3DUSAGE_RENDERTARGET | D3DUSAGE_DEPTHSTENCIL | D3DUSAGE_DYNAMIC)) return D3DERR_NOTAVAILABLE;
    if ((usage & D3DUSAGE_DEPTHSTENCIL) && resourceType != D3DRTYPE_SURFACE) return D3DERR_NOTAVAILABLE;
    return SupportsFormat(usage, checkFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT Direct3D::CheckDeviceMultiSampleType(UINT adapter, D3DDEVTYPE deviceType, D3DFORMAT surfaceFormat,
                                            BOOL windowed, D3DMULTISAMPLE_TYPE multiSampleType, DWORD* qualityLevels)
{
    if (qualityLevels) *qualityLevels = 0;
    if (adapter != D3DADAPTER_DEFAULT || multiSampleType > D3DMULTISAMPLE_16_SAMPLES) return D3DERR_INVALIDCALL;
    if (deviceType != D3DDEVTYPE_HAL && deviceType != D3DDEVTYPE_REF) return D3DERR_NOTAVAILABLE;
    if (!Contains(m_Adapter.renderTargetFormats, surfaceFormat) && !Contains(m_Adapter.depthStencilFormats, surfaceFormat))
        return D3DERR_NOTAVAILABLE;
    const DWORD qualities = MultiSampleQualities(multiSampleType, windowed != FALSE);
    if (qualities == 0) return D3DERR_NOTAVAILABLE;
    if (qualityLevels) *qualityLevels = qualities;
    return D3D_OK;
}

HRESULT Direct3D::GetDeviceCaps(UINT adapter, D3DDEVTYPE deviceType, D3DCAPS9* caps)
{
    if (adapter != D3DADAPTER_DEFAULT || !caps || m_Adapter.failDeviceCaps) return D3DERR_INVALIDCALL;
    if (deviceType != D3DDEVTYPE_HAL && deviceType != D3DDEVTYPE_REF) return D3DERR_NOTAVAILABLE;
    *caps = m_Adapter.caps;
    caps->DeviceType = deviceType;
    caps->AdapterOrdinal = adapter;
    return D3D_OK;
}

HMONITOR Direct3D::GetAdapterMonitor(UINT adapter)
{
    return adapter == D3DADAPTER_DEFAULT ? m_Adapter.monitor : nullptr;
}

HRESULT Direct3D::CreateDevice(UINT adapter, D3DDEVTYPE deviceType, HWND focusWindow, DWORD behaviorFlags,
                               D3DPRESENT_PARAMETERS* presentationParameters, IDirect3DDevice9** device)
{
    unsigned attempt;
    {
        std::lock_guard<std::mutex> lock(m_AttemptMutex);
        attempt = m_CreateAttempts++;
    }
    if (!device) return D3DERR_INVALIDCALL;
    *device = nullptr;
    if (!presentationParameters || adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    if (deviceType != D3DDEVTYPE_HAL && deviceType != D3DDEVTYPE_REF) return D3DERR_INVALIDCALL;
    const DWORD processing = behaviorFlags & (D3DCREATE_SOFTWARE_VERTEXPROCESSING |
                                              D3DCREATE_HARDWARE_VERTEXPROCESSING | D3DCREATE_MIXED_VERTEXPROCESSING);
    if (processing != D3DCREATE_SOFTWARE_VERTEXPROCESSING && processing != D3DCREATE_HARDWARE_VERTEXPROCESSING &&
        processing != D3DCREATE_MIXED_VERTEXPROCESSING) {
        Trace("CreateDevice: exactly one vertex-processing flag is needed (flags 0x%x)", behaviorFlags);
        return D3DERR_INVALIDCALL;
    }
    if (!focusWindow && !presentationParameters->hDeviceWindow) {
        Trace("CreateDevice: no window");
        return D3DERR_INVALIDCALL;
    }
    const auto& failing = m_Adapter.failingCreateDeviceAttempts;
    if (std::find(failing.begin(), failing.end(), attempt) != failing.end()) return m_Adapter.createDeviceFailure;

    D3DPRESENT_PARAMETERS parameters = *presentationParameters;
    const HRESULT valid = ValidatePresentParameters(parameters);
    if (FAILED(valid)) return valid;
    Device* created = nullptr;
    const HRESULT result = Device::Create(this, deviceType, focusWindow, behaviorFlags, parameters, &created);
    if (FAILED(result)) return result;
    *presentationParameters = parameters;
    *device = created;
    return D3D_OK;
}

HRESULT Direct3D::ValidatePresentParameters(D3DPRESENT_PARAMETERS& parameters) const
{
    auto refuse = [](const char* why) {
        Trace("present parameters refused: %s", why);
        return D3DERR_INVALIDCALL;
    };
    if (parameters.BackBufferWidth == 0 || parameters.BackBufferHeight == 0) return refuse("zero-sized back buffer");
    if (parameters.BackBufferWidth > kMaxBackBufferSize || parameters.BackBufferHeight > kMaxBackBufferSize)
        return refuse("back buffer too large");
    if (parameters.BackBufferCount == 0) parameters.BackBufferCount = 1;
    if (parameters.BackBufferCount > D3DPRESENT_BACK_BUFFERS_MAX) return refuse("too many back buffers");
    if (parameters.SwapEffect < D3DSWAPEFFECT_DISCARD || parameters.SwapEffect > D3DSWAPEFFECT_COPY)
        return refuse("unknown swap effect");
    if (parameters.SwapEffect == D3DSWAPEFFECT_COPY && parameters.BackBufferCount != 1)
        return refuse("D3DSWAPEFFECT_COPY with several back buffers");
    if (!IsPresentationInterval(parameters.PresentationInterval)) return refuse("unknown presentation interval");

    const bool windowed = parameters.Windowed != FALSE;
    const DWORD qualities = MultiSampleQualities(parameters.MultiSampleType, windowed);
    if (qualities == 0 || parameters.MultiSampleQuality >= qualities) return refuse("multi-sampling not supported");
    if (parameters.MultiSampleType != D3DMULTISAMPLE_NONE &&
        (parameters.SwapEffect != D3DSWAPEFFECT_DISCARD || (parameters.Flags & D3DPRESENTFLAG_LOCKABLE_BACKBUFFER)))
        return refuse("multi-sampling needs D3DSWAPEFFECT_DISCARD and no lockable back buffer");

    if (windowed) {
        if (!m_Adapter.windowedRendering) return refuse("the adapter cannot render in a window");
        if (parameters.FullScreen_RefreshRateInHz != 0) return refuse("a refresh rate in windowed mode");
        if (parameters.BackBufferFormat == D3DFMT_UNKNOWN) parameters.BackBufferFormat = m_Adapter.desktopMode.Format;
        if (!IsBackBufferFormat(parameters.BackBufferFormat) ||
            DisplayFormatOf(parameters.BackBufferFormat) != m_Adapter.desktopMode.Format)
            return refuse("back-buffer format does not match the desktop");
    } else {
        if (!IsBackBufferFormat(parameters.BackBufferFormat)) return refuse("not a back-buffer format");
        const D3DFORMAT display = DisplayFormatOf(parameters.BackBufferFormat);
        const bool found = std::any_of(m_Adapter.modes.begin(), m_Adapter.modes.end(), [&](const D3DDISPLAYMODE& mode) {
            return mode.Width == parameters.BackBufferWidth && mode.Height == parameters.BackBufferHeight &&
                   mode.Format == display &&
                   (parameters.FullScreen_RefreshRateInHz == 0 ||
                    mode.RefreshRate == parameters.FullScreen_RefreshRateInHz);
        });
        if (!found) return refuse("no such full-screen mode");
    }
    if (parameters.EnableAutoDepthStencil &&
        !Contains(m_Adapter.depthStencilFormats, parameters.AutoDepthStencilFormat))
        return refuse("unsupported automatic depth-stencil format");
    return D3D_OK;
}

bool Direct3D::SupportsFormat(DWORD usage, D3DFORMAT format) const
{
    if (usage & D3DUSAGE_DEPTHSTENCIL) return Contains(m_Adapter.depthStencilFormats, format);
    if (usage & D3DUSAGE_RENDERTARGET) return Contains(m_Adapter.renderTargetFormats, format);
    return Contains(m_Adapter.textureFormats, format);
}

DWORD Direct3D::MultiSampleQualities(D3DMULTISAMPLE_TYPE type, bool windowed) const
{
    if (type > D3DMULTISAMPLE_16_SAMPLES) return 0;
    const DWORD qualities =
        windowed ? m_Adapter.multiSampleQualityWindowed[type] : m_Adapter.multiSampleQualityFullScreen[type];
    // No multi-sampling is always possible.
    return type == D3DMULTISAMPLE_NONE ? std::max<DWORD>(qualities, 1) : qualities;
}

}  // namespace platform::d3d9

IDirect3D9* Direct3DCreate9(UINT sdkVersion)
{
    using namespace platform::d3d9;
    if ((sdkVersion & ~0x80000000u) != D3D_SDK_VERSION) {
        Trace("Direct3DCreate9: SDK version 0x%x is not 32", sdkVersion);
        return nullptr;
    }
    const VirtualAdapter adapter = CurrentVirtualAdapter();
    if (adapter.failCreate) return nullptr;
    return new Direct3D(adapter);
}
