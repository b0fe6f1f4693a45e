#include "graphics/swap_chain.h"

#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "graphics/d3d_names.h"
#include "graphics/graphics.h"

#include <climits>
#include <cstring>
#include <optional>

GxSwapChain::GxSwapChain() = default;

GxSwapChain::~GxSwapChain()
{
    ReleaseAll();
}

void GxSwapChain::ReleaseDeviceObjects()
{
    if (m_DepthStencil) {
        m_DepthStencil->Release();
        m_DepthStencil = nullptr;
    }
    if (m_SwapChain) {
        m_SwapChain->Release();
        m_SwapChain = nullptr;
    }
}

std::uint32_t GxSwapChain::Release()
{
    if (m_RefCount == 0) return 0;
    --m_RefCount;
    if (m_RefCount > 0) return m_RefCount;
    ReleaseDeviceObjects();
    m_Width = 0;
    m_Height = 0;
    m_Default = false;
    m_ObjectType = kObjTypeNone;
    m_Name.clear();
    m_Failed = false;
    ResetJob();
    UnregisterD3DResource(this);
    return 0;
}

void GxSwapChain::SetMarginsAndViewport(const GxRect* margins)
{
    m_Margins = margins ? *margins : GxRect{};
    SetViewportRect(nullptr);
}

void GxSwapChain::SetViewportRect(const GxRect* rect)
{
    if (rect) {
        m_ViewportRect = *rect;
        return;
    }
    m_ViewportRect.left = m_Margins.left;
    m_ViewportRect.top = m_Margins.top;
    m_ViewportRect.right = static_cast<std::int32_t>(m_Width) - m_Margins.right;
    m_ViewportRect.bottom = static_cast<std::int32_t>(m_Height) - m_Margins.bottom;
}

bool GxSwapChain::CreateDepthStencil()
{
    IDirect3DDevice9* device = GxGraphics::GetDevice();
    if (!device) return false;
    const HRESULT result = device->CreateDepthStencilSurface(
        m_Width, m_Height, GxGraphics::GetDepthStencilFormat(), m_PresentParameters.MultiSampleType,
        m_PresentParameters.MultiSampleQuality, TRUE, &m_DepthStencil, nullptr);
    if (FAILED(result)) m_DepthStencil = nullptr;
    return SUCCEEDED(result);
}

bool GxSwapChain::CreateDefault(const GxRect* margins)
{
    ReleaseAll();
    IDirect3DDevice9* device = GxGraphics::GetDevice();
    if (!device) return false;

    m_SwapChain = nullptr;
    m_PresentParameters = D3DPRESENT_PARAMETERS{};
    HRESULT result = device->GetSwapChain(0, &m_SwapChain);
    if (SUCCEEDED(result)) result = m_SwapChain->GetPresentParameters(&m_PresentParameters);
    if (FAILED(result)) {
        const std::u16string text = DescribeD3DError(result);
        LogPrint(u"Error/GxSwapChain CreateDefault Failed(%s)\n", text.c_str());
        ReleaseDeviceObjects();
        return false;
    }

    m_Width = m_PresentParameters.BackBufferWidth;
    m_Height = m_PresentParameters.BackBufferHeight;
    m_Default = true;
    SetMarginsAndViewport(margins);
    m_ObjectType = kObjTypeSwapChain;
    m_Name.clear();
    CreateDepthStencil();   // drawing without depth still works

    EnterRegistry();
    return true;
}

bool GxSwapChain::Create(std::u16string_view name, const D3DPRESENT_PARAMETERS& parameters, const GxRect* margins)
{
    ReleaseAll();
    m_PresentParameters = parameters;
    m_Width = parameters.BackBufferWidth;
    m_Height = parameters.BackBufferHeight;
    m_Default = false;
    SetMarginsAndViewport(margins);
    m_ObjectType = kObjTypeSwapChain;
    m_Name = WideToLowerAscii(name);

    IDirect3DDevice9* device = GxGraphics::GetDevice();
    if (!device) return false;

    const HRESULT result = device->CreateAdditionalSwapChain(&m_PresentParameters, &m_SwapChain);
    if (FAILED(result)) {
        m_SwapChain = nullptr;
        const std::u16string text = DescribeD3DError(result);
        const std::u16string shownName(name);
        LogPrint(u"Error/GxSwapChain CreateAdditionalSwapChain Failed(Name:\"%s\" Size:%d,%d %s)\n",
                 shownName.c_str(), static_cast<int>(m_Width), static_cast<int>(m_Height), text.c_str());
        return false;
    }

    CreateDepthStencil();
    EnterRegistry();
    return true;
}

bool GxSwapChain::Create(std::string_view name, const D3DPRESENT_PARAMETERS& parameters, const GxRect* margins)
{
    return Create(std::u16string_view(MultiByteToWide(name)), parameters, margins);
}

bool GxSwapChain::CreateForWindow(std::u16string_view name, HWND window, std::uint32_t width, std::uint32_t height,
                                  const GxRect* margins)
{
    D3DPRESENT_PARAMETERS parameters{};
    if (const D3DPRESENT_PARAMETERS* row =
            GxGraphics::GetScreenModeParameters(GxGraphics::GetDisplaySettings().CurrentScreenMode)) {
        parameters = *row;
    }
    parameters.BackBufferWidth = width;
    parameters.BackBufferHeight = height;
    parameters.Windowed = TRUE;
    if (window) parameters.hDeviceWindow = window;
    return Create(name, parameters, margins);
}

void GxSwapChain::OnLostDevice()
{
    if (!m_Default && m_SwapChain) m_SwapChain->GetPresentParameters(&m_PresentParameters);
    ReleaseDeviceObjects();
}

void GxSwapChain::OnResetDevice()
{
    IDirect3DDevice9* device = GxGraphics::GetDevice();
    if (!device) return;
    ReleaseDeviceObjects();

    if (!m_Default) {
        const HRESULT result = device->CreateAdditionalSwapChain(&m_PresentParameters, &m_SwapChain);
        if (FAILED(result)) {
            m_SwapChain = nullptr;
            const std::u16string text = DescribeD3DError(result);
            LogPrint(u"Error/GxSwapChain OnReset Failed(Name:\"%s\" Size:%d,%d %s)\n", m_Name.c_str(),
                     static_cast<int>(m_Width), static_cast<int>(m_Height), text.c_str());
            return;
        }
    } else {
        HRESULT result = device->GetSwapChain(0, &m_SwapChain);
        if (SUCCEEDED(result)) result = m_SwapChain->GetPresentParameters(&m_PresentParameters);
        if (FAILED(result)) {
            ReleaseDeviceObjects();
            const std::u16string text = DescribeD3DError(result);
            LogPrint(u"Error/GxSwapChain OnReset Failed(DefaultChain Size:%d,%d %s)\n", static_cast<int>(m_Width),
                     static_cast<int>(m_Height), text.c_str());
            return;
        }
        // A screen-mode change may give the device chain another size: follow it, so that the
        // depth-stencil surface is never smaller than the back buffer it is used with.
        const UINT width = m_PresentParameters.BackBufferWidth;
        const UINT height = m_PresentParameters.BackBufferHeight;
        if (width != 0 && height != 0 && (width != m_Width || height != m_Height)) {
            m_Width = width;
            m_Height = height;
            SetViewportRect(nullptr);
        }
    }
    CreateDepthStencil();
}

std::uint32_t GxSwapChain::GetVideoMemorySize() const
{
    return (GetFormatBytesPerPixel(GetFormat()) + GetFormatBytesPerPixel(GetDepthStencilFormat())) * m_Width * m_Height;
}

IDirect3DSwapChain9* GxSwapChain::GetD3DSwapChain() const
{
    return m_SwapChain;
}

IDirect3DSurface9* GxSwapChain::GetDepthStencilSurface() const
{
    return m_DepthStencil;
}

const D3DPRESENT_PARAMETERS& GxSwapChain::GetPresentParameters() const
{
    return m_PresentParameters;
}

D3DFORMAT GxSwapChain::GetFormat() const
{
    return m_PresentParameters.BackBufferFormat;
}

D3DFORMAT GxSwapChain::GetDepthStencilFormat() const
{
    return m_PresentParameters.AutoDepthStencilFormat;
}

std::uint32_t GxSwapChain::GetWidth() const
{
    return m_Width;
}

std::uint32_t GxSwapChain::GetHeight() const
{
    return m_Height;
}

GxSwapChain& GetDefaultSwapChain()
{
    static GxSwapChain chain;
    return chain;
}

// ---- video-memory probe ------------------------------------------------------------------

namespace {

std::optional<GxVideoMemoryProbeSource> g_ProbeSource;

// The leading decimal integer of a text, as atoi reads it; negative values count as 0.
std::uint32_t LeadingInteger(const std::string& text)
{
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    unsigned long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + static_cast<unsigned>(text[i] - '0');
        if (value > UINT_MAX) value = UINT_MAX;
    }
    return negative ? 0 : static_cast<std::uint32_t>(value);
}

}  // namespace

void SetVideoMemoryProbeSource(const GxVideoMemoryProbeSource* source)
{
    if (source) {
        g_ProbeSource = *source;
    } else {
        g_ProbeSource.reset();
    }
}

HRESULT QueryVideoMemory(HMONITOR monitor, std::uint32_t* megabytes)
{
    if (megabytes) *megabytes = 0;
    const GxVideoMemoryProbeSource source = g_ProbeSource.value_or(GxVideoMemoryProbeSource{});

    // The display device of the monitor, through the DirectDraw driver name.
    std::u16string identifier;
    const GxVideoMemoryProbeSource::DirectDrawDevice* directDraw = nullptr;
    for (const auto& device : source.directDrawDevices) {
        if (device.monitor == monitor) directDraw = &device;
    }
    if (directDraw) {
        const std::string driverName = directDraw->driverName.substr(0, 512);
        for (const auto& display : source.displayDevices) {
            if ((display.stateFlags & kDisplayDeviceAttachedToDesktop) != 0 &&
                (display.stateFlags & kDisplayDeviceMirroringDriver) == 0 && display.deviceName == driverName) {
                identifier = MultiByteToWide(display.deviceId);
                break;
            }
        }
    }

    if (!source.dxDiagAvailable) return E_FAIL;
    bool found = false;
    std::uint32_t value = 0;
    for (const auto& device : source.dxDiagDevices) {
        // An empty identifier is found in every record, so the last record wins.
        if (device.keyDeviceId.find(identifier) == std::u16string::npos) continue;
        std::string memory = WideToMultiByte(device.displayMemory);
        if (memory.size() > 255) memory.resize(255);
        value = LeadingInteger(memory);
        found = true;
    }
    if (!found) return E_FAIL;
    if (megabytes) *megabytes = value;
    return S_OK;
}
