// Shared set-up for the graphics device tests: a fixed virtual adapter, the logs captured
// (device.log in a temporary folder, error and warning lines through the log listener), a
// device made on demand, and small resources that count what the registry sends them.
#pragma once

#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "graphics/d3d_resource.h"
#include "graphics/graphics.h"
#include "graphics/swap_chain.h"
#include "platform/d3d9/device_control.h"
#include "platform/d3d9/virtual_adapter.h"
#include "platform/win32/message_box.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace graphicstest {

namespace fs = std::filesystem;

inline HWND FakeWindow()
{
    return reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x1234));
}

inline std::u16string WidePath(const fs::path& path)
{
    return Utf8ToWide(path.string());
}

// The adapter of the device report: a 1920x1080 desktop and three modes, none of them at the
// desktop's size, with every capability value fixed here.
inline platform::d3d9::VirtualAdapter FixedAdapter()
{
    platform::d3d9::VirtualAdapter adapter;
    adapter.description = "Tarnwick Test Adapter";
    adapter.driver = "tw_test.dll";
    adapter.deviceName = "\\\\.\\DISPLAY1";
    adapter.driverVersion = static_cast<LONGLONG>((6ull << 48) | (14ull << 32) | (10ull << 16) | 9000ull);
    adapter.desktopMode = {1920, 1080, 60, D3DFMT_X8R8G8B8};
    adapter.modes = {{1024, 768, 75, D3DFMT_X8R8G8B8}, {1024, 768, 60, D3DFMT_X8R8G8B8}, {640, 480, 60, D3DFMT_X8R8G8B8}};

    D3DCAPS9& caps = adapter.caps;
    caps.DeviceType = D3DDEVTYPE_HAL;
    caps.Caps = D3DCAPS_READ_SCANLINE;
    caps.Caps2 = D3DCAPS2_DYNAMICTEXTURES | D3DCAPS2_CANAUTOGENMIPMAP | D3DCAPS2_FULLSCREENGAMMA;
    caps.Caps3 = D3DCAPS3_ALPHA_FULLSCREEN_FLIP_OR_DISCARD | D3DCAPS3_COPY_TO_VIDMEM | D3DCAPS3_COPY_TO_SYSTEMMEM;
    caps.PresentationIntervals = D3DPRESENT_INTERVAL_CAPS_ALL;
    caps.DevCaps = D3DDEVCAPS_EXECUTESYSTEMMEMORY | D3DDEVCAPS_TEXTUREVIDEOMEMORY | D3DDEVCAPS_DRAWPRIMTLVERTEX |
                   D3DDEVCAPS_HWTRANSFORMANDLIGHT | D3DDEVCAPS_HWRASTERIZATION | D3DDEVCAPS_PUREDEVICE;
    caps.PrimitiveMiscCaps = D3DPMISCCAPS_CULLNONE | D3DPMISCCAPS_COLORWRITEENABLE | D3DPMISCCAPS_BLENDOP |
                             D3DPMISCCAPS_SEPARATEALPHABLEND;
    caps.RasterCaps = D3DPRASTERCAPS_DITHER | D3DPRASTERCAPS_ZTEST | D3DPRASTERCAPS_DEPTHBIAS;
    caps.ZCmpCaps = 0xFF;
    caps.SrcBlendCaps = 0x1FFF;
    caps.DestBlendCaps = 0x1FFF;
    caps.AlphaCmpCaps = 0xFF;
    caps.ShadeCaps = D3DPSHADECAPS_COLORGOURAUDRGB | D3DPSHADECAPS_ALPHAGOURAUDBLEND;
    caps.TextureCaps = D3DPTEXTURECAPS_PERSPECTIVE | D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_ALPHA |
                       D3DPTEXTURECAPS_NONPOW2CONDITIONAL | D3DPTEXTURECAPS_MIPMAP | D3DPTEXTURECAPS_CUBEMAP;
    caps.TextureOpCaps = D3DTEXOPCAPS_DISABLE | D3DTEXOPCAPS_SELECTARG1 | D3DTEXOPCAPS_SELECTARG2 |
                         D3DTEXOPCAPS_MODULATE | D3DTEXOPCAPS_MODULATE2X | D3DTEXOPCAPS_ADD | D3DTEXOPCAPS_SUBTRACT |
                         D3DTEXOPCAPS_LERP;
    caps.MaxTextureWidth = 4096;
    caps.MaxTextureHeight = 4096;
    caps.MaxTextureRepeat = 8192;
    caps.MaxTextureAspectRatio = 4096;
    caps.MaxAnisotropy = 16;
    caps.MaxVertexBlendMatrices = 4;
    caps.MaxVertexBlendMatrixIndex = 0;
    caps.StretchRectFilterCaps = D3DPTFILTERCAPS_MINFPOINT | D3DPTFILTERCAPS_MAGFPOINT | D3DPTFILTERCAPS_MINFLINEAR;
    caps.MaxVertexW = 1e10f;
    caps.GuardBandLeft = -32768.0f;
    caps.GuardBandTop = -32768.0f;
    caps.GuardBandRight = 32768.0f;
    caps.GuardBandBottom = 32768.0f;
    caps.MaxPointSize = 64.0f;
    caps.MaxVertexIndex = 0xFFFFFF;
    caps.MaxStreams = 16;
    caps.MaxStreamStride = 255;
    caps.NumSimultaneousRTs = 4;
    caps.MaxTextureBlendStages = 8;
    caps.MaxSimultaneousTextures = 8;
    caps.MaxActiveLights = 8;
    caps.VertexShaderVersion = D3DVS_VERSION(2, 0);
    caps.PixelShaderVersion = D3DPS_VERSION(2, 0);
    caps.MaxVertexShaderConst = 256;
    caps.PixelShader1xMaxValue = 1.0f;
    caps.VS20Caps.DynamicFlowControlDepth = 24;
    caps.VS20Caps.StaticFlowControlDepth = 4;
    caps.MaxVShaderInstructionsExecuted = 65535;
    caps.MaxPShaderInstructionsExecuted = 512;

    adapter.textureFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4};
    adapter.renderTargetFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R32F};
    adapter.depthStencilFormats = {D3DFMT_D24S8, D3DFMT_D16};
    adapter.multiSampleQualityFullScreen[D3DMULTISAMPLE_NONE] = 1;
    adapter.multiSampleQualityWindowed[D3DMULTISAMPLE_NONE] = 1;
    adapter.multiSampleQualityFullScreen[D3DMULTISAMPLE_2_SAMPLES] = 2;
    adapter.multiSampleQualityWindowed[D3DMULTISAMPLE_2_SAMPLES] = 3;
    adapter.windowedRendering = true;
    adapter.monitor = reinterpret_cast<HMONITOR>(static_cast<std::uintptr_t>(0x10001));
    return adapter;
}

struct LoggedLine {
    std::u16string text;
    std::int32_t level;
};

// Every error, warning and debug line while installed.
class LogCapture : public GxDebugListenerBase {
public:
    int Output(const char16_t* text, std::int32_t level) override
    {
        lines.push_back({text, level});
        return 0;
    }
    bool Contains(std::u16string_view part) const
    {
        for (const LoggedLine& line : lines) {
            if (line.text.find(part) != std::u16string::npos) return true;
        }
        return false;
    }
    std::size_t Count(std::u16string_view part) const
    {
        std::size_t count = 0;
        for (const LoggedLine& line : lines) count += line.text.find(part) != std::u16string::npos ? 1 : 0;
        return count;
    }
    std::vector<LoggedLine> lines;
};

// A registered resource that owns one DEFAULT-pool render-target surface (so that a reset
// fails while it holds one) and counts the notices.
class CountingResource : public GxD3DResourceBase {
public:
    ~CountingResource() override { ReleaseAll(); }

    bool Create(std::u16string_view name)
    {
        ReleaseAll();
        if (!MakeSurface()) return false;
        SetName(name);
        SetObjectType(kObjTypeRenderTarget);
        RegisterD3DResource(this);
        AddRef();
        return true;
    }
    // Registered without any device object.
    void CreateEmpty(std::int32_t type, std::u16string_view name)
    {
        SetName(name);
        SetObjectType(type);
        RegisterD3DResource(this);
        AddRef();
    }
    std::uint32_t Release() override
    {
        GxMutexScopedLock lock(GetResourceLock());
        if (m_RefCount == 0) return 0;
        if (GxD3DResourceBase::Release() > 0) return m_RefCount;
        ++freed;
        DropSurface();
        SetObjectType(kObjTypeNone);
        m_Name.clear();
        unregistered = UnregisterD3DResource(this);
        return 0;
    }
    void OnLostDevice() override
    {
        ++lost;
        DropSurface();
    }
    void OnResetDevice() override
    {
        ++reset;
        MakeSurface();
    }
    std::uint32_t GetVideoMemorySize() const override { return videoMemory; }

    IDirect3DSurface9* surface = nullptr;
    int lost = 0;
    int reset = 0;
    int freed = 0;
    bool unregistered = false;
    std::uint32_t videoMemory = 0;

private:
    bool MakeSurface()
    {
        IDirect3DDevice9* device = GxGraphics::GetDevice();
        if (!device) return false;
        return SUCCEEDED(device->CreateRenderTarget(32, 32, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE, &surface,
                                                    nullptr));
    }
    void DropSurface()
    {
        if (surface) surface->Release();
        surface = nullptr;
    }
};

// A colour or depth target over one device surface, as a texture or a surface resource is.
class SurfaceTarget : public GxRenderTargetBase {
public:
    SurfaceTarget(IDirect3DSurface9* surface, std::uint32_t width, std::uint32_t height)
        : m_Surface(surface), m_Width(width), m_Height(height)
    {
    }
    ~SurfaceTarget() override
    {
        if (m_Surface) m_Surface->Release();
    }
    SurfaceTarget(const SurfaceTarget&) = delete;
    SurfaceTarget& operator=(const SurfaceTarget&) = delete;

    static SurfaceTarget Color(std::uint32_t width, std::uint32_t height)
    {
        IDirect3DSurface9* surface = nullptr;
        GxGraphics::GetDevice()->CreateRenderTarget(width, height, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, FALSE,
                                                    &surface, nullptr);
        return SurfaceTarget(surface, width, height);
    }
    static SurfaceTarget Depth(std::uint32_t width, std::uint32_t height)
    {
        IDirect3DSurface9* surface = nullptr;
        GxGraphics::GetDevice()->CreateDepthStencilSurface(width, height, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, TRUE,
                                                           &surface, nullptr);
        return SurfaceTarget(surface, width, height);
    }
    SurfaceTarget(SurfaceTarget&& other) noexcept
        : m_Surface(other.m_Surface), m_Width(other.m_Width), m_Height(other.m_Height)
    {
        other.m_Surface = nullptr;
    }

    bool SetToRenderTarget(std::uint32_t stage) override
    {
        return m_Surface && SUCCEEDED(GxGraphics::GetDevice()->SetRenderTarget(stage, m_Surface));
    }
    std::uint32_t GetWidth() const override { return m_Width; }
    std::uint32_t GetHeight() const override { return m_Height; }
    IDirect3DSurface9* GetSurfacePointer() const override { return m_Surface; }
    void Drop()
    {
        if (m_Surface) m_Surface->Release();
        m_Surface = nullptr;
    }

private:
    IDirect3DSurface9* m_Surface;
    std::uint32_t m_Width;
    std::uint32_t m_Height;
};

class GraphicsDeviceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        deviceLog = folder / "device.log";
        LogSetDeviceFile(WidePath(deviceLog).c_str());
        LogSetSink(&log);
        adapter = FixedAdapter();
        GxGraphics::GetDisplaySettings() = GxDisplaySettings{};
        platform::SetMessageBoxHeadless(true);
        platform::ClearShownMessageBoxes();
    }

    void TearDown() override
    {
        GxGraphics::Release();
        GxGraphics::SetFatalErrorHandler(nullptr);
        GxGraphics::GetDisplaySettings() = GxDisplaySettings{};
        platform::d3d9::ResetVirtualAdapter();
        SetVideoMemoryProbeSource(nullptr);
        platform::ClearShownMessageBoxes();
        LogSetSink(nullptr);
        LogSetDeviceFile(u"");
    }

    bool Create(HWND window = FakeWindow())
    {
        platform::d3d9::SetVirtualAdapter(adapter);
        return GxGraphics::CreateDevice(window, nullptr, nullptr, nullptr);
    }

    // The device report as written, without its byte-order mark and with "\r\n" read as "\n".
    std::u16string DeviceLogText() const
    {
        std::ifstream file(deviceLog, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        std::u16string text;
        for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
            text.push_back(static_cast<char16_t>(static_cast<std::uint8_t>(bytes[i]) |
                                                 (static_cast<std::uint8_t>(bytes[i + 1]) << 8)));
        }
        if (!text.empty() && text.front() == u'\xFEFF') text.erase(0, 1);
        return ReplaceAllWide(text, u"\r\n", u"\n");
    }

    bool ShownBox(std::u16string_view caption, std::u16string_view textPart) const
    {
        for (const platform::MessageBoxRecord& box : platform::ShownMessageBoxes()) {
            if (box.caption == caption && box.text.find(textPart) != std::u16string::npos) return true;
        }
        return false;
    }

    static D3DVIEWPORT9 DeviceViewport()
    {
        D3DVIEWPORT9 viewport{};
        GxGraphics::GetDevice()->GetViewport(&viewport);
        return viewport;
    }

    static IDirect3DSurface9* BoundRenderTarget(DWORD stage)
    {
        IDirect3DSurface9* surface = nullptr;
        GxGraphics::GetDevice()->GetRenderTarget(stage, &surface);
        if (surface) surface->Release();   // compared by address only
        return surface;
    }

    static IDirect3DSurface9* BoundDepthStencil()
    {
        IDirect3DSurface9* surface = nullptr;
        GxGraphics::GetDevice()->GetDepthStencilSurface(&surface);
        if (surface) surface->Release();
        return surface;
    }

    static IDirect3DSurface9* DefaultBackBuffer()
    {
        IDirect3DSurface9* surface = nullptr;
        GetDefaultSwapChain().GetD3DSwapChain()->GetBackBuffer(0, D3DBACKBUFFER_TYPE_MONO, &surface);
        if (surface) surface->Release();
        return surface;
    }

    TestTempDir temp{"tw_graphics_device"};
    fs::path folder = temp.Path();
    fs::path deviceLog;
    LogCapture log;
    platform::d3d9::VirtualAdapter adapter;
};

}  // namespace graphicstest
