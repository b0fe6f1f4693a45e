// [GxSwapChain] the default and additional chains, their margins, memory sizes and device
// loss; the video-memory probe.
#include "graphics_device_fixture.h"

namespace {

using namespace graphicstest;

class SwapChainTest : public GraphicsDeviceTest {
protected:
    void SetUp() override
    {
        GraphicsDeviceTest::SetUp();
        ASSERT_TRUE(Create());
    }
};

TEST_F(SwapChainTest, DefaultChainWithMarginsAndItsMemorySize)
{
    GxSwapChain& chain = GetDefaultSwapChain();
    const GxRect margins{10, 20, 30, 40};
    ASSERT_TRUE(chain.CreateDefault(&margins));
    EXPECT_TRUE(chain.IsDefault());
    EXPECT_EQ(chain.GetRefCount(), 1u);
    EXPECT_EQ(chain.GetObjectType(), kObjTypeSwapChain);
    const GxRect& viewport = chain.GetViewportRect();
    EXPECT_EQ(viewport.left, 10);
    EXPECT_EQ(viewport.top, 20);
    EXPECT_EQ(viewport.right, 994);
    EXPECT_EQ(viewport.bottom, 728);

    // X8R8G8B8 back buffer with a D24S8 depth format.
    EXPECT_EQ(chain.GetFormat(), D3DFMT_X8R8G8B8);
    EXPECT_EQ(chain.GetDepthStencilFormat(), D3DFMT_D24S8);
    EXPECT_EQ(chain.GetVideoMemorySize(), 6291456u);
    EXPECT_EQ(GetD3DResourceManage().GetTotalVideoMemory(), 6291456u);

    // The default render target keeps to the margins.
    EXPECT_TRUE(GxGraphics::SetRenderTarget(0, nullptr));
    const D3DVIEWPORT9 device = DeviceViewport();
    EXPECT_EQ(device.X, 10u);
    EXPECT_EQ(device.Y, 20u);
    EXPECT_EQ(device.Width, 984u);
    EXPECT_EQ(device.Height, 708u);

    EXPECT_EQ(chain.Release(), 0u);
    EXPECT_FALSE(GetD3DResourceManage().IsRegistered(&chain));
    EXPECT_EQ(chain.GetD3DSwapChain(), nullptr);
    EXPECT_EQ(chain.Release(), 0u);   // a second release does nothing
    EXPECT_EQ(GetD3DResourceManage().GetTotalVideoMemory(), 0u);
}

TEST_F(SwapChainTest, AdditionalChainSurvivesADeviceReset)
{
    GxSwapChain chain;
    const GxRect margins{1, 2, 3, 4};
    ASSERT_TRUE(chain.CreateForWindow(u"Sub Window", nullptr, 320, 240, &margins));
    EXPECT_FALSE(chain.IsDefault());
    EXPECT_EQ(chain.GetName(), u"sub window");
    EXPECT_EQ(chain.GetWidth(), 320u);
    EXPECT_TRUE(chain.GetPresentParameters().Windowed);
    EXPECT_EQ(chain.GetViewportRect().right, 317);
    EXPECT_NE(chain.GetDepthStencilSurface(), nullptr);
    EXPECT_TRUE(GetD3DResourceManage().IsRegistered(&chain));

    ASSERT_TRUE(GxGraphics::SetSwapChain(&chain, nullptr));
    const D3DVIEWPORT9 viewport = DeviceViewport();
    EXPECT_EQ(viewport.X, 1u);
    EXPECT_EQ(viewport.Width, 316u);

    EXPECT_TRUE(GxGraphics::ResetDevice(true, SCRMODE_WINDOW, SCRMODE_WINDOW, nullptr));
    EXPECT_NE(chain.GetD3DSwapChain(), nullptr);
    EXPECT_NE(chain.GetDepthStencilSurface(), nullptr);
    EXPECT_EQ(chain.GetWidth(), 320u);
    EXPECT_TRUE(GxGraphics::Present(nullptr, nullptr, nullptr));

    GxGraphics::SetSwapChain(nullptr, nullptr);
    EXPECT_EQ(chain.Release(), 0u);
    EXPECT_EQ(chain.GetName(), u"");
}

TEST_F(SwapChainTest, FailedCreationIsLoggedAndNotRegistered)
{
    GxSwapChain chain;
    D3DPRESENT_PARAMETERS parameters = *GxGraphics::GetScreenModeParameters(SCRMODE_WINDOW);
    parameters.BackBufferWidth = 0;
    parameters.BackBufferHeight = 0;
    EXPECT_FALSE(chain.Create("Broken", parameters, nullptr));
    EXPECT_TRUE(log.Contains(u"Error/GxSwapChain CreateAdditionalSwapChain Failed(Name:\"Broken\" Size:0,0 "));
    EXPECT_FALSE(GetD3DResourceManage().IsRegistered(&chain));
    EXPECT_EQ(chain.GetRefCount(), 0u);

    GxGraphics::Release();
    EXPECT_FALSE(chain.CreateDefault(nullptr));
}

TEST(VideoMemoryProbe, FindsTheAdapterOfTheMonitor)
{
    const HMONITOR monitor = reinterpret_cast<HMONITOR>(static_cast<std::uintptr_t>(0x10001));
    GxVideoMemoryProbeSource source;
    source.directDrawDevices = {{reinterpret_cast<HMONITOR>(static_cast<std::uintptr_t>(0x20002)), "\\\\.\\DISPLAY2"},
                                {monitor, "\\\\.\\DISPLAY1"}};
    source.displayDevices = {
        {"\\\\.\\DISPLAY1", "PCI\\VEN_MIRROR", kDisplayDeviceAttachedToDesktop | kDisplayDeviceMirroringDriver},
        {"\\\\.\\DISPLAY1", "PCI\\VEN_1234&DEV_0001", kDisplayDeviceAttachedToDesktop},
        {"\\\\.\\DISPLAY2", "PCI\\VEN_5678&DEV_0002", kDisplayDeviceAttachedToDesktop},
    };
    source.dxDiagAvailable = true;
    source.dxDiagDevices = {{u"PCI\\VEN_1234&DEV_0001&SUBSYS", u"512 MB"},
                            {u"PCI\\VEN_5678&DEV_0002&SUBSYS", u"2048.0 MB"},
                            {u"PCI\\VEN_MIRROR", u"64 MB"}};
    std::uint32_t megabytes = 99;

    // Nothing to see on this platform by default.
    SetVideoMemoryProbeSource(nullptr);
    EXPECT_EQ(QueryVideoMemory(monitor, &megabytes), E_FAIL);
    EXPECT_EQ(megabytes, 0u);

    SetVideoMemoryProbeSource(&source);
    EXPECT_EQ(QueryVideoMemory(monitor, &megabytes), S_OK);
    EXPECT_EQ(megabytes, 512u);

    // A monitor DirectDraw does not list: every record matches, the last one wins.
    EXPECT_EQ(QueryVideoMemory(nullptr, &megabytes), S_OK);
    EXPECT_EQ(megabytes, 64u);

    // No record for the device found.
    source.dxDiagDevices = {{u"PCI\\VEN_5678&DEV_0002", u"2048 MB"}};
    SetVideoMemoryProbeSource(&source);
    EXPECT_EQ(QueryVideoMemory(monitor, &megabytes), E_FAIL);
    EXPECT_EQ(megabytes, 0u);

    // No DxDiag at all.
    source.dxDiagAvailable = false;
    SetVideoMemoryProbeSource(&source);
    EXPECT_EQ(QueryVideoMemory(nullptr, &megabytes), E_FAIL);
    SetVideoMemoryProbeSource(nullptr);
}

TEST_F(GraphicsDeviceTest, ReportShowsTheProbedVideoMemory)
{
    GxVideoMemoryProbeSource source;
    source.dxDiagAvailable = true;
    source.dxDiagDevices = {{u"PCI\\VEN_1234", u"1024 MB"}};
    SetVideoMemoryProbeSource(&source);
    ASSERT_TRUE(Create());
    EXPECT_EQ(GxGraphics::GetVideoMemoryMB(), 1024u);
    EXPECT_NE(DeviceLogText().find(u"\t・VRAM:1024MByte\n"), std::u16string::npos);
}

}  // namespace
