// [GxGraphics] device creation: the device report, the mode search, the screen-mode rows, the
// creation fall-backs and the failures that stop or only warn.
#include "graphics_device_fixture.h"

#include "graphics/shader_factory.h"
#include "graphics/texture_factory.h"

#include <cstdlib>

namespace {

using namespace graphicstest;

fs::path GoldenPath()
{
    return fs::path(TW_SOURCE_DIR) / "tests/graphics/device" / "fixtures" / "device.log";
}

std::string ReadBytes(const fs::path& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
}

// The whole report of the fixed adapter, byte for byte (UTF-16LE as the log writes it).
// TARNWICK_UPDATE_GOLDEN=1 rewrites the fixture from this run.
TEST_F(GraphicsDeviceTest, ReportMatchesTheGoldenDeviceLog)
{
    ASSERT_TRUE(Create());
    const std::string written = ReadBytes(deviceLog);
    ASSERT_FALSE(written.empty());
    if (const char* update = std::getenv("TARNWICK_UPDATE_GOLDEN"); update && std::string(update) == "1") {
        std::ofstream(GoldenPath(), std::ios::binary) << written;
    }
    const std::string golden = ReadBytes(GoldenPath());
    ASSERT_FALSE(golden.empty()) << "missing fixture " << GoldenPath();
    EXPECT_TRUE(written == golden) << "device.log differs from " << GoldenPath();
    EXPECT_TRUE(log.lines.empty()) << "a clean creation logs no error";
}

TEST_F(GraphicsDeviceTest, CreationFillsTheStateTheOtherPartsRead)
{
    ASSERT_TRUE(Create());
    EXPECT_NE(GxGraphics::GetDevice(), nullptr);
    EXPECT_EQ(GxGraphics::GetVideoCardName(), u"Tarnwick Test Adapter");
    EXPECT_EQ(GxGraphics::GetDriverName(), u"tw_test.dll");
    EXPECT_EQ(GxGraphics::GetDriverVersion(), u"6.14.10.9000");
    EXPECT_EQ(GxGraphics::GetTextureFormat(), D3DFMT_A8R8G8B8);
    EXPECT_EQ(GxGraphics::GetRenderTargetFormat(), D3DFMT_A8R8G8B8);
    EXPECT_EQ(GxGraphics::GetDepthStencilFormat(), D3DFMT_D24S8);
    EXPECT_EQ(GxGraphics::GetFloatTextureFormat(), D3DFMT_R32F);
    EXPECT_EQ(GxGraphics::GetFloat2TextureFormat(), D3DFMT_UNKNOWN);
    EXPECT_EQ(GxGraphics::GetDeviceCaps().MaxRenderTarget, 4u);
    EXPECT_EQ(GxGraphics::GetRenderTargetStageCount(), 4u);
    EXPECT_EQ(GxGraphics::GetMultiSampleQuality(2, false), 2u);
    EXPECT_EQ(GxGraphics::GetMultiSampleQuality(2, true), 3u);
    EXPECT_EQ(GxGraphics::GetMultiSampleQuality(17, true), 0u);

    // Rows 0 to 3 only; the fixed mode (desktop size) is not among the adapter's modes.
    EXPECT_TRUE(GxGraphics::IsScreenModeAvailable(SCRMODE_WINDOW));
    EXPECT_TRUE(GxGraphics::IsScreenModeAvailable(SCRMODE_WINDOWSIZE));
    EXPECT_TRUE(GxGraphics::IsScreenModeAvailable(SCRMODE_FULLSCREEN));
    EXPECT_FALSE(GxGraphics::IsScreenModeAvailable(SCRMODE_FULLSCREENFIXED));
    for (std::int32_t row = SCRMODE_FULL320X240; row < kScreenModeCount; ++row) {
        EXPECT_FALSE(GxGraphics::IsScreenModeAvailable(row)) << row;
    }
    EXPECT_FALSE(GxGraphics::IsScreenModeAvailable(-1));
    EXPECT_FALSE(GxGraphics::IsScreenModeAvailable(kScreenModeCount));
    EXPECT_STREQ(reinterpret_cast<const char*>(GxGraphics::GetScreenModeName(kScreenModeCount)), "");

    const D3DPRESENT_PARAMETERS& window = *GxGraphics::GetScreenModeParameters(SCRMODE_WINDOW);
    EXPECT_EQ(window.BackBufferWidth, 1024u);
    EXPECT_EQ(window.BackBufferHeight, 768u);
    EXPECT_EQ(window.BackBufferFormat, D3DFMT_X8R8G8B8);
    EXPECT_TRUE(window.Windowed);
    EXPECT_EQ(window.FullScreen_RefreshRateInHz, 0u);
    EXPECT_EQ(window.hDeviceWindow, FakeWindow());
    EXPECT_EQ(window.SwapEffect, D3DSWAPEFFECT_FLIP);
    EXPECT_EQ(window.AutoDepthStencilFormat, D3DFMT_D24S8);
    EXPECT_FALSE(window.EnableAutoDepthStencil);
    const D3DPRESENT_PARAMETERS& desktop = *GxGraphics::GetScreenModeParameters(SCRMODE_WINDOWSIZE);
    EXPECT_EQ(desktop.BackBufferWidth, 1920u);
    EXPECT_EQ(desktop.BackBufferHeight, 1080u);
    const D3DPRESENT_PARAMETERS& full = *GxGraphics::GetScreenModeParameters(SCRMODE_FULLSCREEN);
    EXPECT_FALSE(full.Windowed);
    EXPECT_EQ(full.FullScreen_RefreshRateInHz, 60u);

    EXPECT_EQ(GxGraphics::GetBackBufferWidth(), 1024u);
    EXPECT_EQ(GxGraphics::GetBackBufferHeight(), 768u);
    EXPECT_EQ(GxGraphics::GetSwapChain(), &GetDefaultSwapChain());
    EXPECT_EQ(BoundRenderTarget(0), DefaultBackBuffer());
}

struct ModeCase {
    const char* name;
    std::uint32_t backBufferBits;
    std::uint32_t refreshRate;
    std::vector<D3DDISPLAYMODE> modes;
    bool found;
    UINT refresh;   // of the chosen mode
    D3DFORMAT format;
};

// Which adapter mode becomes the full-screen row.
TEST_F(GraphicsDeviceTest, FullScreenModeSearchPrefersFormatThenRefreshRate)
{
    const ModeCase cases[] = {
        {"16-bit preference still finds the 32-bit mode", 16, 60, {{1024, 768, 60, D3DFMT_X8R8G8B8}}, true, 60,
         D3DFMT_X8R8G8B8},
        {"16-bit preference takes a 16-bit mode first", 16, 60,
         {{1024, 768, 60, D3DFMT_X8R8G8B8}, {1024, 768, 60, D3DFMT_R5G6B5}}, true, 60, D3DFMT_R5G6B5},
        {"requested 60 Hz beats 75 Hz listed first", 32, 60,
         {{1024, 768, 75, D3DFMT_X8R8G8B8}, {1024, 768, 60, D3DFMT_X8R8G8B8}}, true, 60, D3DFMT_X8R8G8B8},
        {"an unlisted rate falls to 70 Hz before 75 Hz", 32, 100,
         {{1024, 768, 75, D3DFMT_X8R8G8B8}, {1024, 768, 70, D3DFMT_X8R8G8B8}}, true, 70, D3DFMT_X8R8G8B8},
        {"no preferred rate: the first kept mode", 32, 60,
         {{1024, 768, 100, D3DFMT_X8R8G8B8}, {1024, 768, 120, D3DFMT_X8R8G8B8}}, true, 100, D3DFMT_X8R8G8B8},
        {"no mode at the requested size", 32, 60, {{800, 600, 60, D3DFMT_X8R8G8B8}}, false, 0, D3DFMT_UNKNOWN},
    };
    for (const ModeCase& c : cases) {
        SCOPED_TRACE(c.name);
        GxGraphics::GetDisplaySettings() = GxDisplaySettings{};
        GxGraphics::GetDisplaySettings().BackBufferBits = c.backBufferBits;
        GxGraphics::GetDisplaySettings().RefreshRate = c.refreshRate;
        adapter.modes = c.modes;
        ASSERT_TRUE(Create());
        EXPECT_EQ(GxGraphics::IsFullScreenModeFound(), c.found);
        EXPECT_EQ(GxGraphics::IsScreenModeAvailable(SCRMODE_FULLSCREEN), c.found);
        const D3DPRESENT_PARAMETERS& row = *GxGraphics::GetScreenModeParameters(SCRMODE_FULLSCREEN);
        EXPECT_EQ(row.FullScreen_RefreshRateInHz, c.refresh);
        EXPECT_EQ(row.BackBufferFormat, c.format);
        if (!c.found) {
            // The empty row can never be chosen later.
            EXPECT_FALSE(GxGraphics::ChangeScreenMode(SCRMODE_FULLSCREEN));
            EXPECT_EQ(GxGraphics::GetDisplaySettings().CurrentScreenMode, SCRMODE_WINDOW);
            EXPECT_TRUE(DeviceLogText().find(u"\tフルスクリーンモードで利用する画面モードが見つかりませんでした\n") !=
                        std::u16string::npos);
        }
        GxGraphics::Release();
    }
}

TEST_F(GraphicsDeviceTest, VSyncIntervalMapsToPresentationIntervals)
{
    const std::pair<std::uint32_t, UINT> cases[] = {
        {0, D3DPRESENT_INTERVAL_IMMEDIATE}, {1, D3DPRESENT_INTERVAL_ONE},   {2, D3DPRESENT_INTERVAL_TWO},
        {3, D3DPRESENT_INTERVAL_THREE},     {4, D3DPRESENT_INTERVAL_FOUR}, {5, D3DPRESENT_INTERVAL_DEFAULT},
    };
    for (const auto& [vsync, interval] : cases) {
        SCOPED_TRACE(vsync);
        GxGraphics::GetDisplaySettings().VSyncInterval = vsync;
        ASSERT_TRUE(Create());
        EXPECT_EQ(GxGraphics::GetScreenModeParameters(SCRMODE_WINDOW)->PresentationInterval, interval);
        EXPECT_EQ(GxGraphics::GetScreenModeParameters(SCRMODE_FULLSCREEN)->PresentationInterval, interval);
        GxGraphics::Release();
    }
}

TEST_F(GraphicsDeviceTest, UnsupportedMultiSamplingIsWrittenBackToZero)
{
    // Four samples only in full screen: not enough for the rows.
    adapter.multiSampleQualityFullScreen[D3DMULTISAMPLE_4_SAMPLES] = 2;
    GxDisplaySettings& settings = GxGraphics::GetDisplaySettings();
    settings.MultiSampleMode = 4;
    settings.SwapEffect = D3DSWAPEFFECT_DISCARD;
    ASSERT_TRUE(Create());
    EXPECT_EQ(settings.MultiSampleMode, 0u);
    for (std::int32_t row : {SCRMODE_WINDOW, SCRMODE_WINDOWSIZE, SCRMODE_FULLSCREEN}) {
        EXPECT_EQ(GxGraphics::GetScreenModeParameters(row)->MultiSampleType, D3DMULTISAMPLE_NONE) << row;
        EXPECT_EQ(GxGraphics::GetScreenModeParameters(row)->MultiSampleQuality, 0u) << row;
    }
}

// Each row asks for a quality level its own kind offers: the full-screen row used to take the
// windowed count and could not be created when full screen offers fewer levels.
TEST_F(GraphicsDeviceTest, FullScreenRowsTakeTheFullScreenQualityCount)
{
    GxDisplaySettings& settings = GxGraphics::GetDisplaySettings();
    settings.MultiSampleMode = 2;   // full screen 2 levels, windowed 3
    settings.SwapEffect = D3DSWAPEFFECT_DISCARD;
    ASSERT_TRUE(Create());
    EXPECT_EQ(settings.MultiSampleMode, 2u);
    EXPECT_EQ(GxGraphics::GetScreenModeParameters(SCRMODE_WINDOW)->MultiSampleType, D3DMULTISAMPLE_2_SAMPLES);
    EXPECT_EQ(GxGraphics::GetScreenModeParameters(SCRMODE_WINDOW)->MultiSampleQuality, 2u);
    EXPECT_EQ(GxGraphics::GetScreenModeParameters(SCRMODE_FULLSCREEN)->MultiSampleType, D3DMULTISAMPLE_2_SAMPLES);
    EXPECT_EQ(GxGraphics::GetScreenModeParameters(SCRMODE_FULLSCREEN)->MultiSampleQuality, 1u);
    EXPECT_TRUE(GxGraphics::ChangeScreenMode(SCRMODE_FULLSCREEN));
}

struct FallbackCase {
    std::vector<unsigned> failing;
    const char16_t* line;
    bool reference;
    bool software;
};

TEST_F(GraphicsDeviceTest, CreationFallsBackThroughDeviceTypes)
{
    const FallbackCase cases[] = {
        {{}, u"\t・Direct3Dを D3DDEVTYPE_HAL - D3DCREATE_MIXED_VERTEXPROCESSING で初期化しました\n", false, false},
        {{0}, u"\t・Direct3Dを D3DDEVTYPE_HAL - D3DCREATE_SOFTWARE_VERTEXPROCESSING で初期化しました\n", false, true},
        {{0, 1}, u"\t・Direct3Dを D3DDEVTYPE_REF - D3DCREATE_MIXED_VERTEXPROCESSING で初期化しました\n", true, true},
        {{0, 1, 2}, u"\t・Direct3Dを D3DDEVTYPE_REF - D3DCREATE_SOFTWARE_VERTEXPROCESSING で初期化しました\n", true,
         true},
    };
    for (const FallbackCase& c : cases) {
        SCOPED_TRACE(c.failing.size());
        fs::remove(deviceLog);
        adapter.failingCreateDeviceAttempts = c.failing;
        ASSERT_TRUE(Create());
        const std::u16string report = DeviceLogText();
        EXPECT_NE(report.find(c.line), std::u16string::npos);
        EXPECT_EQ(report.find(u"\t注意：このモードでは正常に表示されません\n") != std::u16string::npos, c.reference);
        EXPECT_EQ(GxGraphics::IsReferenceRasterizer(), c.reference);
        EXPECT_EQ(GxGraphics::IsSoftwareVertexProcessing(), c.software);
        EXPECT_EQ(GxGraphics::GetDevice()->GetSoftwareVertexProcessing() != FALSE, c.software);
        // The VRAM line follows the device line.
        EXPECT_LT(report.find(c.line), report.find(u"\t・VRAM:取得失敗\n"));
        GxGraphics::Release();
    }
}

TEST_F(GraphicsDeviceTest, AllAttemptsFailingReleasesTheDirect3DObject)
{
    adapter.failingCreateDeviceAttempts = {0, 1, 2, 3};
    adapter.createDeviceFailure = D3DERR_NOTAVAILABLE;
    EXPECT_FALSE(Create());
    EXPECT_EQ(GxGraphics::GetDevice(), nullptr);
    EXPECT_EQ(GxGraphics::GetDirect3D(), nullptr);
    EXPECT_TRUE(log.Contains(u"D3D9 CreateDevice Failed(Code:0x8876086a "));
    EXPECT_TRUE(ShownBox(u"起動できません", u"Direct3Dデバイスの作成に失敗しました(Code:0x8876086a)\n"));
}

// Step by step, what stops creation and what only warns.
TEST_F(GraphicsDeviceTest, CreationFailuresAreLoggedAndBoxed)
{
    // No window.
    EXPECT_FALSE(GxGraphics::CreateDevice(nullptr, nullptr, nullptr, nullptr));
    EXPECT_TRUE(log.Contains(u"Direct3DCreate9 Failed m_hWnd is NULL\n"));
    EXPECT_TRUE(ShownBox(u"起動できません", u"ウインドウハンドルが取得できません"));

    // No Direct3D.
    adapter.failCreate = true;
    EXPECT_FALSE(Create());
    EXPECT_TRUE(log.Contains(u"Direct3DCreate9 Failed\n"));
    EXPECT_TRUE(ShownBox(u"起動できません", u"Direct3Dの初期化に失敗しました\n"));
    adapter.failCreate = false;

    // No adapter identifier: the Direct3D object is given back.
    adapter.failAdapterIdentifier = true;
    EXPECT_FALSE(Create());
    EXPECT_TRUE(log.Contains(u"GetAdapterIdentifierに失敗。ビデオカード情報が取得できません\n"));
    EXPECT_TRUE(log.Contains(u"D3D9 GetAdapterInfo Failed\n"));
    EXPECT_EQ(GxGraphics::GetDirect3D(), nullptr);
    adapter.failAdapterIdentifier = false;

    // No display mode: nothing to build the rows from.
    adapter.failDisplayMode = true;
    EXPECT_FALSE(Create());
    EXPECT_TRUE(log.Contains(u"D3D9 GetAdapterInfo Failed\n"));
    adapter.failDisplayMode = false;
}

TEST_F(GraphicsDeviceTest, UnreadableCapsWarnAndKeepTheDefaults)
{
    adapter.failDeviceCaps = true;
    adapter.windowedRendering = true;
    ASSERT_TRUE(Create());
    EXPECT_TRUE(ShownBox(u"ビデオデバイス情報が取得できません", u"デフォルト設定で起動しますが"));
    EXPECT_NE(DeviceLogText().find(u"ビデオデバイス情報が取得できませんでした\n"), std::u16string::npos);
    const GxDeviceCaps& caps = GxGraphics::GetDeviceCaps();
    EXPECT_EQ(caps.MaxTextureWidth, 2048u);
    EXPECT_EQ(caps.MaxVertexIndex, 0xFFFEu);
    EXPECT_EQ(caps.MaxRenderTarget, 1u);
    EXPECT_TRUE(caps.Pow2);
    EXPECT_FALSE(caps.HwTransformAndLight);
    EXPECT_TRUE(GxGraphics::IsWindowedRenderingPossible());
    EXPECT_EQ(GxGraphics::GetRenderTargetStageCount(), 1u);
}

TEST_F(GraphicsDeviceTest, AdapterWithoutWindowedRenderingStartsFullScreen)
{
    adapter.windowedRendering = false;
    ASSERT_TRUE(Create());
    EXPECT_TRUE(GxGraphics::IsForcedFullScreen());
    EXPECT_EQ(GxGraphics::GetDisplaySettings().CurrentScreenMode, SCRMODE_FULLSCREEN);
    EXPECT_FALSE(GetDefaultSwapChain().GetPresentParameters().Windowed);
    EXPECT_NE(DeviceLogText().find(u"\t・ウインドウモードではアクセラレーションが効きません(強制的にフルスクリーンモードにします)\n"),
              std::u16string::npos);
}

TEST_F(GraphicsDeviceTest, SelectVertexProcessingComparesShaderVersions)
{
    struct Case {
        bool hardwareTnL;
        DWORD vertexShader;
        std::uint32_t major, minor;
        bool software;
    };
    const Case cases[] = {
        {true, D3DVS_VERSION(2, 0), 0, 0, false}, {true, D3DVS_VERSION(2, 0), 2, 0, false},
        {true, D3DVS_VERSION(2, 0), 2, 1, true},  {true, D3DVS_VERSION(2, 0), 3, 0, true},
        {true, 0, 0, 0, true},                    {false, D3DVS_VERSION(3, 0), 1, 1, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.major << "." << c.minor);
        adapter.caps.DevCaps = c.hardwareTnL ? D3DDEVCAPS_HWTRANSFORMANDLIGHT : 0;
        adapter.caps.VertexShaderVersion = c.vertexShader;
        ASSERT_TRUE(Create());
        GxGraphics::SelectVertexProcessing(c.major, c.minor);
        EXPECT_EQ(GxGraphics::GetDevice()->GetSoftwareVertexProcessing() != FALSE, c.software);
        GxGraphics::Release();
    }

    // A device made with software vertex processing keeps it.
    adapter.caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    adapter.caps.VertexShaderVersion = D3DVS_VERSION(3, 0);
    adapter.failingCreateDeviceAttempts = {0};
    ASSERT_TRUE(Create());
    GxGraphics::SelectVertexProcessing(0, 0);
    EXPECT_TRUE(GxGraphics::GetDevice()->GetSoftwareVertexProcessing());
}

TEST_F(GraphicsDeviceTest, ReleaseLogsAndEmptiesTheProcessFactories)
{
    ASSERT_TRUE(Create());
    GxGraphics::CreateEffectPool();
    EXPECT_EQ(GxGraphics::GetEffectPoolName(), u"gx_default");
    EXPECT_TRUE(GxGraphics::IsEffectPoolCreated());
    EXPECT_NE(GxGraphics::GetEffectPool(), nullptr);

    // Leftovers in the factories the engine uses, with nothing registered by hand.
    for (const char16_t* name : {u"left_a", u"left_b", u"left_c"}) {
        ASSERT_NE(GetTextureFactory().Create(name, kTextureKindPlain, 4, 4, 1, D3DFMT_UNKNOWN, 0, false), nullptr);
    }
    for (const char* name : {"one.fx", "two.fx"}) {
        std::ofstream(folder / name) << "technique Plain { pass P0 { } }\n";
        ASSERT_NE(GetShaderFactory().Create(WidePath(folder / name)), nullptr);
    }

    GxGraphics::ReleaseShaders();
    EXPECT_TRUE(log.Contains(u"Warning/GxShaderFactory is not Released(count=2)\n"));
    EXPECT_EQ(GetShaderFactory().GetCount(), 0);
    EXPECT_EQ(GxGraphics::GetEffectPool(), nullptr);
    GxGraphics::Release();
    EXPECT_TRUE(log.Contains(u"Warning/GxTextureFactory is not Released(count=3)\n"));
    EXPECT_FALSE(log.Contains(u"GxTextureFlexFactory"));
    EXPECT_EQ(GetTextureFactory().GetCount(), 0);
    EXPECT_EQ(GetTextureFlexFactory().GetCount(), 0);
    EXPECT_EQ(GxGraphics::GetDevice(), nullptr);
    EXPECT_EQ(GetDefaultSwapChain().GetRefCount(), 0u);
}

}  // namespace
