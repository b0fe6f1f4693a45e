// The adapter object: creation, the virtual adapter's reports, and device creation with its
// injected failures and parameter checks.
#include "d3d9_fixture.h"

#include <string>
#include <vector>

using namespace d3d9test;

TEST(Direct3D9Create, AcceptsVersion32WithOrWithoutTheDebugBit)
{
    const struct {
        UINT version;
        bool created;
    } cases[] = {{32, true}, {0x80000020u, true}, {31, false}, {0x80000021u, false}, {0, false}};
    for (const auto& c : cases) {
        IDirect3D9* d3d = Direct3DCreate9(c.version);
        EXPECT_EQ(d3d != nullptr, c.created) << std::hex << c.version;
        if (d3d) {
            EXPECT_EQ(d3d->Release(), 0u);
        }
    }
    platform::d3d9::VirtualAdapter failing = platform::d3d9::DefaultVirtualAdapter();
    failing.failCreate = true;
    platform::d3d9::SetVirtualAdapter(failing);
    EXPECT_EQ(Direct3DCreate9(0x80000020u), nullptr);
    platform::d3d9::ResetVirtualAdapter();
}

TEST_F(D3D9Test, AdapterReportsItsConfiguration)
{
    adapter.description = "Test Card";
    adapter.driver = "test.dll";
    adapter.driverVersion = static_cast<LONGLONG>(0x0008000F00020003ull);   // 8.15.2.3
    adapter.desktopMode = {1600, 900, 75, D3DFMT_X8R8G8B8};
    // Adapter order matters to the engine (the first kept mode wins): keep it per format.
    adapter.modes = {{800, 600, 60, D3DFMT_X8R8G8B8}, {1024, 768, 75, D3DFMT_R5G6B5},
                     {1024, 768, 75, D3DFMT_X8R8G8B8}, {1024, 768, 60, D3DFMT_X8R8G8B8}};
    ASSERT_NE(CreateD3D(), nullptr);

    EXPECT_EQ(d3d->GetAdapterCount(), 1u);
    D3DADAPTER_IDENTIFIER9 id;
    ASSERT_EQ(d3d->GetAdapterIdentifier(0, 0, &id), D3D_OK);
    EXPECT_STREQ(id.Description, "Test Card");
    EXPECT_STREQ(id.Driver, "test.dll");
    EXPECT_EQ(HIWORD(static_cast<DWORD>(id.DriverVersion.HighPart)), 8);
    EXPECT_EQ(LOWORD(static_cast<DWORD>(id.DriverVersion.HighPart)), 15);
    EXPECT_EQ(HIWORD(id.DriverVersion.LowPart), 2);
    EXPECT_EQ(LOWORD(id.DriverVersion.LowPart), 3);

    D3DDISPLAYMODE mode;
    ASSERT_EQ(d3d->GetAdapterDisplayMode(0, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, 1600u);
    EXPECT_EQ(mode.RefreshRate, 75u);

    EXPECT_EQ(d3d->GetAdapterModeCount(0, D3DFMT_X8R8G8B8), 3u);
    EXPECT_EQ(d3d->GetAdapterModeCount(0, D3DFMT_R5G6B5), 1u);
    EXPECT_EQ(d3d->GetAdapterModeCount(0, D3DFMT_X1R5G5B5), 0u);
    std::vector<UINT> rates;
    for (UINT i = 0; i < 3; ++i) {
        ASSERT_EQ(d3d->EnumAdapterModes(0, D3DFMT_X8R8G8B8, i, &mode), D3D_OK);
        rates.push_back(mode.RefreshRate);
    }
    EXPECT_EQ(rates, (std::vector<UINT>{60, 75, 60}));
    EXPECT_EQ(d3d->EnumAdapterModes(0, D3DFMT_X8R8G8B8, 3, &mode), D3DERR_INVALIDCALL);
    EXPECT_EQ(d3d->GetAdapterIdentifier(1, 0, &id), D3DERR_INVALIDCALL);
}

TEST_F(D3D9Test, AdapterFormatAndMultiSampleChecks)
{
    adapter.multiSampleQualityFullScreen[D3DMULTISAMPLE_4_SAMPLES] = 2;   // full screen only
    ASSERT_NE(CreateD3D(), nullptr);
    const D3DFORMAT display = D3DFMT_X8R8G8B8;
    const struct {
        DWORD usage;
        D3DRESOURCETYPE type;
        D3DFORMAT format;
        HRESULT expected;
    } cases[] = {
        {0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3D_OK},
        {0, D3DRTYPE_TEXTURE, D3DFMT_A4R4G4B4, D3D_OK},
        {0, D3DRTYPE_TEXTURE, D3DFMT_X4R4G4B4, D3D_OK},
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8, D3D_OK},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_SURFACE, D3DFMT_D24S8, D3D_OK},
        {D3DUSAGE_DEPTHSTENCIL, D3DRTYPE_TEXTURE, D3DFMT_D24S8, D3DERR_NOTAVAILABLE},
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_R32F, D3DERR_NOTAVAILABLE},
        {D3DUSAGE_RENDERTARGET, D3DRTYPE_TEXTURE, D3DFMT_G16R16F, D3DERR_NOTAVAILABLE},
        {0, D3DRTYPE_TEXTURE, D3DFMT_DXT1, D3DERR_NOTAVAILABLE},
    };
    for (const auto& c : cases)
        EXPECT_EQ(d3d->CheckDeviceFormat(0, D3DDEVTYPE_HAL, display, c.usage, c.type, c.format), c.expected)
            << "format " << c.format << " usage " << c.usage;

    DWORD quality = 99;
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_A8R8G8B8, TRUE, D3DMULTISAMPLE_NONE, &quality),
              D3D_OK);
    EXPECT_EQ(quality, 1u);
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_A8R8G8B8, FALSE, D3DMULTISAMPLE_4_SAMPLES,
                                              &quality),
              D3D_OK);
    EXPECT_EQ(quality, 2u);
    EXPECT_EQ(d3d->CheckDeviceMultiSampleType(0, D3DDEVTYPE_HAL, D3DFMT_A8R8G8B8, TRUE, D3DMULTISAMPLE_4_SAMPLES,
                                              &quality),
              D3DERR_NOTAVAILABLE);
    EXPECT_EQ(quality, 0u);
}

TEST_F(D3D9Test, AdapterInjectedFailures)
{
    adapter.failAdapterIdentifier = true;
    adapter.failDeviceCaps = true;
    adapter.windowedRendering = false;
    ASSERT_NE(CreateD3D(), nullptr);
    D3DADAPTER_IDENTIFIER9 id;
    D3DCAPS9 caps;
    EXPECT_TRUE(FAILED(d3d->GetAdapterIdentifier(0, 0, &id)));
    EXPECT_TRUE(FAILED(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps)));
    EXPECT_TRUE(FAILED(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, TRUE)));
    EXPECT_EQ(d3d->CheckDeviceType(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, D3DFMT_X8R8G8B8, FALSE), D3D_OK);
    // Without windowed rendering only a full-screen device can be made.
    D3DPRESENT_PARAMETERS parameters = WindowedParameters(64, 64);
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, FakeWindow(), 0x86, &parameters, &device), D3DERR_INVALIDCALL);
    EXPECT_EQ(device, nullptr);
}

TEST_F(D3D9Test, AdapterCapsOfTheSoftwareRasterizer)
{
    ASSERT_NE(CreateD3D(), nullptr);
    D3DCAPS9 caps;
    ASSERT_EQ(d3d->GetDeviceCaps(0, D3DDEVTYPE_HAL, &caps), D3D_OK);
    EXPECT_EQ(caps.NumSimultaneousRTs, 4u);
    EXPECT_EQ(caps.MaxTextureWidth, 8192u);
    EXPECT_EQ(caps.MaxSimultaneousTextures, 8u);
    EXPECT_TRUE(caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT);
    EXPECT_FALSE(caps.DevCaps & D3DDEVCAPS_TEXTURESYSTEMMEMORY);
    EXPECT_TRUE(caps.Caps2 & D3DCAPS2_DYNAMICTEXTURES);
    EXPECT_TRUE(caps.TextureCaps & D3DPTEXTURECAPS_POW2);
    EXPECT_FALSE(caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY);
    EXPECT_TRUE(caps.PrimitiveMiscCaps & D3DPMISCCAPS_SEPARATEALPHABLEND);
    EXPECT_EQ(caps.VertexShaderVersion, 0xFFFE0000u);
}

TEST_F(D3D9Test, CreateDeviceFailsTheChosenAttempts)
{
    // The engine's fall-back order: HAL mixed, HAL software, REF mixed, REF software.
    const struct {
        D3DDEVTYPE type;
        DWORD flags;
    } attempts[] = {{D3DDEVTYPE_HAL, 0x86}, {D3DDEVTYPE_HAL, 0x26}, {D3DDEVTYPE_REF, 0x86}, {D3DDEVTYPE_REF, 0x26}};
    adapter.failingCreateDeviceAttempts = {0, 1};
    adapter.createDeviceFailure = D3DERR_NOTAVAILABLE;
    ASSERT_NE(CreateD3D(), nullptr);
    std::vector<HRESULT> results;
    for (const auto& attempt : attempts) {
        D3DPRESENT_PARAMETERS parameters = WindowedParameters(32, 32);
        const HRESULT result = d3d->CreateDevice(0, attempt.type, FakeWindow(), attempt.flags, &parameters, &device);
        results.push_back(result);
        if (SUCCEEDED(result)) break;
    }
    EXPECT_EQ(results, (std::vector<HRESULT>{D3DERR_NOTAVAILABLE, D3DERR_NOTAVAILABLE, D3D_OK}));
    ASSERT_NE(device, nullptr);
    D3DDEVICE_CREATION_PARAMETERS creation;
    ASSERT_EQ(device->GetCreationParameters(&creation), D3D_OK);
    EXPECT_EQ(creation.DeviceType, D3DDEVTYPE_REF);
    EXPECT_EQ(creation.BehaviorFlags, 0x86u);
}

TEST_F(D3D9Test, CreateDeviceRefusesUnusableParameters)
{
    ASSERT_NE(CreateD3D(), nullptr);
    auto windowed = [] { return WindowedParameters(64, 64); };
    const struct {
        const char* name;
        D3DPRESENT_PARAMETERS parameters;
        DWORD flags;
    } cases[] = {
        {"empty screen-mode row", D3DPRESENT_PARAMETERS{}, 0x86},
        {"zero height", [&] { auto p = windowed(); p.BackBufferHeight = 0; return p; }(), 0x86},
        {"refresh rate in a window", [&] { auto p = windowed(); p.FullScreen_RefreshRateInHz = 60; return p; }(), 0x86},
        {"no such full-screen mode",
         [&] { auto p = windowed(); p.Windowed = FALSE; p.BackBufferWidth = 1000; p.BackBufferHeight = 700; return p; }(),
         0x86},
        {"four back buffers", [&] { auto p = windowed(); p.BackBufferCount = 4; return p; }(), 0x86},
        {"16-bit back buffer over a 32-bit desktop",
         [&] { auto p = windowed(); p.BackBufferFormat = D3DFMT_R5G6B5; return p; }(), 0x86},
        {"unknown interval", [&] { auto p = windowed(); p.PresentationInterval = 3; return p; }(), 0x86},
        {"two vertex-processing modes", windowed(), 0xA6},
        {"no vertex-processing mode", windowed(), 0x06},
    };
    for (const auto& c : cases) {
        D3DPRESENT_PARAMETERS parameters = c.parameters;
        EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, FakeWindow(), c.flags, &parameters, &device), D3DERR_INVALIDCALL)
            << c.name;
        EXPECT_EQ(device, nullptr) << c.name;
    }
    D3DPRESENT_PARAMETERS parameters = windowed();
    parameters.hDeviceWindow = nullptr;
    EXPECT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, nullptr, 0x86, &parameters, &device), D3DERR_INVALIDCALL);

    // What Direct3D fills in is written back.
    parameters = windowed();
    parameters.BackBufferCount = 0;
    parameters.BackBufferFormat = D3DFMT_UNKNOWN;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, FakeWindow(), 0x86, &parameters, &device), D3D_OK);
    EXPECT_EQ(parameters.BackBufferCount, 1u);
    EXPECT_EQ(parameters.BackBufferFormat, adapter.desktopMode.Format);
}

TEST_F(D3D9Test, FullScreenDeviceUsesAListedMode)
{
    ASSERT_NE(CreateD3D(), nullptr);
    D3DPRESENT_PARAMETERS parameters = WindowedParameters(1024, 768);
    parameters.Windowed = FALSE;
    parameters.FullScreen_RefreshRateInHz = 60;
    ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, FakeWindow(), 0x86, &parameters, &device), D3D_OK);
    D3DDISPLAYMODE mode;
    ASSERT_EQ(device->GetDisplayMode(0, &mode), D3D_OK);
    EXPECT_EQ(mode.Width, 1024u);
    EXPECT_EQ(mode.Height, 768u);
    EXPECT_EQ(mode.RefreshRate, 60u);
}
