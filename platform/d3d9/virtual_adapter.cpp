#include "platform/d3d9/virtual_adapter.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <mutex>
#include <optional>

namespace platform::d3d9 {

namespace {

std::mutex g_AdapterMutex;
std::optional<VirtualAdapter> g_Adapter;   // empty: the built-in adapter

D3DCAPS9 SoftwareRasterizerCaps()
{
    D3DCAPS9 caps{};
    caps.DeviceType = D3DDEVTYPE_HAL;
    caps.Caps2 = D3DCAPS2_DYNAMICTEXTURES;
    caps.Caps3 = D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD | D3DCAPS3_COPY_TO_VIDMEM | D3DCAPS3_COPY_TO_SYSTEMMEM;
    caps.PresentationIntervals = D3DPRESENT_INTERVAL_CAPS_ALL;
    caps.DevCaps = D3DDEVCAPS_EXECUTESYSTEMMEMORY | D3DDEVCAPS_TLVERTEXSYSTEMMEMORY | D3DDEVCAPS_TEXTUREVIDEOMEMORY |
                   D3DDEVCAPS_DRAWPRIMTLVERTEX | D3DDEVCAPS_CANRENDERAFTERFLIP | D3DDEVCAPS_DRAWPRIMITIVES2 |
                   D3DDEVCAPS_DRAWPRIMITIVES2EX | D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_HWRASTERIZATION;
    caps.PrimitiveMiscCaps = D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_CULLCW | D3DPMISCCAPS_CULLCCW |
                             D3DPMISCCAPS_COLORWRITEENABLE | D3DPMISCCAPS_CLIPTLVERTS | D3DPMISCCAPS_TSSARGTEMP |
                             D3DPMISCCAPS_BLENDOP | D3DPMISCCAPS_SEPARATEALPHABLEND |
                             D3DPMISCCAPS_MRTINDEPENDENTBITDEPTHS;
    const DWORD blendCaps = 0x1FFF;   // ZERO .. BOTHINVSRCALPHA
    caps.SrcBlendCaps = blendCaps;
    caps.DestBlendCaps = blendCaps;
    caps.AlphaCmpCaps = 0xFF;   // every D3DCMP function
    caps.ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_SPECULARGOURAUDRGB | D3DPSHADECAPS_ALPHAGOURAUDBLEND;
    caps.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_ALPHA |
                       D3DPTEXTURECAPS_NONPOW2CONDITIONAL | D3DPTEXTURECAPS_MIPMAP;
    caps.TextureFilterCaps =
        D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MAGFLINEAR;
    caps.TextureAddressCaps = D3DPTADDRESSCAPS_WRAP | D3DPTADDRESSCAPS_CLAMP | D3DPTADDRESSCAPS_INDEPENDENTUV;
    caps.MaxTextureWidth = 8192;
    caps.MaxTextureHeight = 8192;
    caps.MaxTextureRepeat = 8192;
    caps.MaxTextureAspectRatio = 8192;
    caps.MaxAnisotropy = 1;
    caps.MaxVertexW = 1e10f;
    caps.GuardBandLeft = -1e8f;
    caps.GuardBandTop = -1e8f;
    caps.GuardBandRight = 1e8f;
    caps.GuardBandBottom = 1e8f;
    caps.FVFCaps = 8 | D3DFVFCAPS_DONOTSTRIPELEMENTS;
    caps.TextureOpCaps = 0x7FF;   // DISABLE .. ADDSMOOTH
    caps.MaxTextureBlendStages = 8;
    caps.MaxSimultaneousTextures = 8;
    caps.MaxActiveLights = 8;
    caps.MaxPointSize = 1.0f;
    caps.MaxPrimitiveCount = 0xFFFFF;
    caps.MaxVertexIndex = 0xFFFFFF;
    caps.MaxStreams = 16;
    caps.MaxStreamStride = 255;
    caps.VertexShaderVersion = D3DVS_VERSION(0, 0);
    caps.PixelShaderVersion = D3DPS_VERSION(0, 0);
    caps.NumberOfAdaptersInGroup = 1;
    caps.NumSimultaneousRTs = 4;
    caps.StretchRectFilterCaps =
        D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MINFLINEAR | D3DPTFILTERCAPS_MAGFLINEAR;
    return caps;
}

// The real desktop when SDL shows windows on a display.
bool ReadDesktopFromSdl(D3DDISPLAYMODE& mode)
{
    if (!SDL_WasInit(SDL_INIT_VIDEO)) return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0) return false;
    SDL_DisplayMode desktop;
    if (SDL_GetDesktopDisplayMode(0, &desktop) != 0 || desktop.w <= 0 || desktop.h <= 0) return false;
    mode.Width = static_cast<UINT>(desktop.w);
    mode.Height = static_cast<UINT>(desktop.h);
    mode.RefreshRate = desktop.refresh_rate > 0 ? static_cast<UINT>(desktop.refresh_rate) : 60;
    mode.Format = D3DFMT_X8R8G8B8;
    return true;
}

}  // namespace

VirtualAdapter DefaultVirtualAdapter()
{
    VirtualAdapter adapter;
    adapter.description = "Tarnwick Software Rasterizer";
    adapter.driver = "tarnwick_raster";
    adapter.deviceName = "\\\\.\\DISPLAY1";
    adapter.driverVersion = static_cast<LONGLONG>(0x0001000000000000ull);   // 1.0.0.0
    adapter.desktopMode = {1920, 1080, 60, D3DFMT_X8R8G8B8};
    ReadDesktopFromSdl(adapter.desktopMode);

    static const UINT kSizes[][2] = {{640, 480},   {800, 600},   {1024, 768},  {1280, 720},
                                     {1280, 800},  {1280, 960},  {1280, 1024}, {1920, 1080}};
    for (const auto& size : kSizes) adapter.modes.push_back({size[0], size[1], 60, D3DFMT_X8R8G8B8});
    const D3DDISPLAYMODE& desktop = adapter.desktopMode;
    const bool listed = std::any_of(adapter.modes.begin(), adapter.modes.end(), [&](const D3DDISPLAYMODE& mode) {
        return mode.Width == desktop.Width && mode.Height == desktop.Height && mode.RefreshRate == desktop.RefreshRate;
    });
    if (!listed) {
        const auto place = std::find_if(adapter.modes.begin(), adapter.modes.end(), [&](const D3DDISPLAYMODE& mode) {
            return mode.Width > desktop.Width || (mode.Width == desktop.Width && mode.Height > desktop.Height);
        });
        adapter.modes.insert(place, desktop);
    }

    adapter.caps = SoftwareRasterizerCaps();
    adapter.textureFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_X4R4G4B4, D3DFMT_A1R5G5B5,
                              D3DFMT_X1R5G5B5, D3DFMT_R5G6B5,   D3DFMT_A8,       D3DFMT_L8};
    adapter.renderTargetFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5};
    adapter.depthStencilFormats = {D3DFMT_D24S8, D3DFMT_D24X8, D3DFMT_D24X4S4, D3DFMT_D16, D3DFMT_D15S1, D3DFMT_D32};
    adapter.multiSampleQualityFullScreen[D3DMULTISAMPLE_NONE] = 1;
    adapter.multiSampleQualityWindowed[D3DMULTISAMPLE_NONE] = 1;
    adapter.monitor = reinterpret_cast<HMONITOR>(static_cast<std::uintptr_t>(0x10001));
    return adapter;
}

void SetVirtualAdapter(const VirtualAdapter& adapter)
{
    std::lock_guard<std::mutex> lock(g_AdapterMutex);
    g_Adapter = adapter;
}

void ResetVirtualAdapter()
{
    std::lock_guard<std::mutex> lock(g_AdapterMutex);
    g_Adapter.reset();
}

VirtualAdapter CurrentVirtualAdapter()
{
    {
        std::lock_guard<std::mutex> lock(g_AdapterMutex);
        if (g_Adapter) return *g_Adapter;
    }
    return DefaultVirtualAdapter();
}

}  // namespace platform::d3d9
