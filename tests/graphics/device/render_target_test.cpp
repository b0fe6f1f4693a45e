// [GxGraphics] render-target stacks, swap-chain selection, the scene bracket, clears, the
// cached states, present with device-loss recovery, resets and screen-mode changes.
#include "graphics_device_fixture.h"

#include "foundation/async_job.h"
#include "platform/win32/timer.h"
#include "platform/win32/window.h"

#include <atomic>

namespace {

using namespace graphicstest;

class RenderTargetTest : public GraphicsDeviceTest {
protected:
    void SetUp() override
    {
        GraphicsDeviceTest::SetUp();
        ASSERT_TRUE(Create());
    }
};

void ExpectViewport(const D3DVIEWPORT9& viewport, DWORD x, DWORD y, DWORD width, DWORD height)
{
    EXPECT_EQ(viewport.X, x);
    EXPECT_EQ(viewport.Y, y);
    EXPECT_EQ(viewport.Width, width);
    EXPECT_EQ(viewport.Height, height);
}

TEST_F(RenderTargetTest, PushAndPopOnStageZeroSwitchTargetAndViewport)
{
    SurfaceTarget first = SurfaceTarget::Color(256, 128);
    SurfaceTarget second = SurfaceTarget::Color(64, 64);
    SurfaceTarget depth = SurfaceTarget::Depth(1024, 768);
    ASSERT_NE(first.GetSurfacePointer(), nullptr);

    // No rectangle: the whole target.
    EXPECT_TRUE(GxGraphics::PushRenderTarget(0, &first, &depth, nullptr));
    EXPECT_EQ(BoundRenderTarget(0), first.GetSurfacePointer());
    EXPECT_EQ(BoundDepthStencil(), depth.GetSurfacePointer());
    ExpectViewport(DeviceViewport(), 0, 0, 256, 128);

    // A rectangle: that part only.
    const GxRect part{8, 4, 40, 36};
    EXPECT_TRUE(GxGraphics::PushRenderTarget(0, &second, nullptr, &part));
    EXPECT_EQ(BoundRenderTarget(0), second.GetSurfacePointer());
    EXPECT_EQ(BoundDepthStencil(), GetDefaultSwapChain().GetDepthStencilSurface());
    ExpectViewport(DeviceViewport(), 8, 4, 32, 32);
    EXPECT_EQ(GxGraphics::GetRenderTargetStackSize(0), 2u);

    // Popping returns to the entry below, then to the back buffer with the chain's viewport.
    EXPECT_TRUE(GxGraphics::PopRenderTarget(0));
    EXPECT_EQ(BoundRenderTarget(0), first.GetSurfacePointer());
    EXPECT_EQ(BoundDepthStencil(), depth.GetSurfacePointer());
    ExpectViewport(DeviceViewport(), 0, 0, 256, 128);
    EXPECT_TRUE(GxGraphics::PopRenderTarget(0));
    EXPECT_EQ(BoundRenderTarget(0), DefaultBackBuffer());
    EXPECT_EQ(BoundDepthStencil(), GetDefaultSwapChain().GetDepthStencilSurface());
    ExpectViewport(DeviceViewport(), 0, 0, 1024, 768);

    // Pop on an empty stack sets the defaults and reports their result.
    EXPECT_TRUE(GxGraphics::PopRenderTarget(0));
    EXPECT_EQ(BoundRenderTarget(0), DefaultBackBuffer());
    EXPECT_EQ(GxGraphics::GetRenderTargetStackSize(0), 0u);
}

TEST_F(RenderTargetTest, StageOnePushKeepsTheViewportButSetsTheDepthStencil)
{
    SurfaceTarget color = SurfaceTarget::Color(1024, 768);
    SurfaceTarget depth = SurfaceTarget::Depth(1024, 768);
    const GxRect part{1, 2, 3, 4};
    EXPECT_TRUE(GxGraphics::PushRenderTarget(1, &color, &depth, &part));
    EXPECT_EQ(BoundRenderTarget(1), color.GetSurfacePointer());
    EXPECT_EQ(BoundRenderTarget(0), DefaultBackBuffer());
    EXPECT_EQ(BoundDepthStencil(), depth.GetSurfacePointer());
    ExpectViewport(DeviceViewport(), 0, 0, 1024, 768);

    EXPECT_TRUE(GxGraphics::PopRenderTarget(1));
    EXPECT_EQ(BoundRenderTarget(1), nullptr);
    EXPECT_EQ(BoundDepthStencil(), GetDefaultSwapChain().GetDepthStencilSurface());
}

TEST_F(RenderTargetTest, FailedTargetsAreReportedAndStayPushed)
{
    SurfaceTarget empty(nullptr, 16, 16);
    EXPECT_FALSE(GxGraphics::PushRenderTarget(0, &empty, nullptr, nullptr));
    EXPECT_TRUE(log.Contains(u"SetRenderTarget/Can't set RenderTarget 0\n"));
    EXPECT_EQ(GxGraphics::GetRenderTargetStackSize(0), 1u);
    EXPECT_TRUE(GxGraphics::PopRenderTarget(0));

    // Stages beyond the device's count are refused without touching any stack.
    const std::uint32_t stages = GxGraphics::GetRenderTargetStageCount();
    EXPECT_FALSE(GxGraphics::PushRenderTarget(stages, &empty, nullptr, nullptr));
    EXPECT_FALSE(GxGraphics::PopRenderTarget(stages));
    EXPECT_EQ(GxGraphics::GetRenderTargetStackSize(stages), 0u);
}

TEST_F(RenderTargetTest, SelectingASwapChainEmptiesTheStacks)
{
    SurfaceTarget color = SurfaceTarget::Color(64, 64);
    GxGraphics::PushRenderTarget(0, &color, nullptr, nullptr);
    GxGraphics::PushRenderTarget(2, &color, nullptr, nullptr);

    const GxRect margins{10, 20, 30, 40};
    GetDefaultSwapChain().SetViewportRect(&margins);
    EXPECT_TRUE(GxGraphics::SetSwapChain(nullptr, nullptr));
    EXPECT_EQ(GxGraphics::GetRenderTargetStackSize(0), 0u);
    EXPECT_EQ(GxGraphics::GetRenderTargetStackSize(2), 0u);
    EXPECT_EQ(BoundRenderTarget(0), DefaultBackBuffer());
    ExpectViewport(DeviceViewport(), 10, 20, 20, 20);

    const GxRect given{0, 0, 100, 50};
    EXPECT_TRUE(GxGraphics::SetSwapChain(nullptr, &given));
    ExpectViewport(DeviceViewport(), 0, 0, 100, 50);
    GetDefaultSwapChain().SetViewportRect(nullptr);
}

TEST_F(RenderTargetTest, SceneBracketOpensOneDeviceScene)
{
    EXPECT_TRUE(BeginSceneNested());
    EXPECT_TRUE(BeginSceneNested());   // already open: nothing changes
    EXPECT_EQ(GxGraphics::GetSceneCount(), 1);
    EXPECT_TRUE(EndSceneNested());     // the first end closes the device scene
    EXPECT_EQ(GxGraphics::GetSceneCount(), 0);
    EXPECT_EQ(GxGraphics::GetDevice()->EndScene(), D3DERR_INVALIDCALL);

    // An end without a begin is refused and leaves the bracket usable.
    EXPECT_FALSE(EndSceneNested());
    EXPECT_EQ(GxGraphics::GetSceneCount(), 0);
    EXPECT_TRUE(BeginSceneNested());
    EXPECT_TRUE(EndSceneNested());
}

TEST_F(RenderTargetTest, ClearTargetClearsTheRectangleOrTheViewport)
{
    const RECT area{0, 0, 2, 1};
    EXPECT_TRUE(ClearTarget(D3DCLEAR_TARGET, 0xFF112233, 1.0f, 0, nullptr));
    EXPECT_TRUE(ClearTarget(D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0, &area));
    std::vector<std::uint32_t> pixels;
    UINT width = 0, height = 0;
    ASSERT_TRUE(platform::d3d9::ReadBackBuffer(GxGraphics::GetDevice(), pixels, width, height));
    EXPECT_EQ(pixels[0] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(pixels[1] & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(pixels[2] & 0xFFFFFF, 0x112233u);
    EXPECT_EQ(pixels[width] & 0xFFFFFF, 0x112233u);

    GxGraphics::Release();
    EXPECT_FALSE(ClearTarget(D3DCLEAR_TARGET, 0, 1.0f, 0, nullptr));
}

// The device is changed behind the cache's back, so a skipped call shows as the device keeping
// that value.
TEST_F(RenderTargetTest, CachedStatesSkipRepeatsAndComeBackAfterAReset)
{
    IDirect3DDevice9* device = GxGraphics::GetDevice();
    DWORD value = 0;
    EXPECT_TRUE(GxGraphics::SetRenderStateCached(D3DRS_TEXTUREFACTOR, 0x12345678));
    EXPECT_TRUE(GxGraphics::SetTextureStageStateCached(1, D3DTSS_COLOROP, D3DTOP_ADD));
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0x0BADF00D);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SUBTRACT);

    EXPECT_TRUE(GxGraphics::SetRenderStateCached(D3DRS_TEXTUREFACTOR, 0x12345678));
    EXPECT_TRUE(GxGraphics::SetTextureStageStateCached(1, D3DTSS_COLOROP, D3DTOP_ADD));
    device->GetRenderState(D3DRS_TEXTUREFACTOR, &value);
    EXPECT_EQ(value, 0x0BADF00Du);
    device->GetTextureStageState(1, D3DTSS_COLOROP, &value);
    EXPECT_EQ(value, DWORD{D3DTOP_SUBTRACT});

    // A reset brings back the device's defaults, then the cache's last values.
    EXPECT_TRUE(GxGraphics::ResetDevice(true, SCRMODE_WINDOW, SCRMODE_WINDOW, nullptr));
    device->GetRenderState(D3DRS_TEXTUREFACTOR, &value);
    EXPECT_EQ(value, 0x12345678u);
    device->GetTextureStageState(1, D3DTSS_COLOROP, &value);
    EXPECT_EQ(value, DWORD{D3DTOP_ADD});

    // A new value goes through at once.
    EXPECT_TRUE(GxGraphics::SetRenderStateCached(D3DRS_TEXTUREFACTOR, 7));
    device->GetRenderState(D3DRS_TEXTUREFACTOR, &value);
    EXPECT_EQ(value, 7u);
}

TEST_F(RenderTargetTest, PresentRefusesAnOpenSceneAndWarnsAboutAPushedTarget)
{
    IDirect3DDevice9* device = GxGraphics::GetDevice();
    ASSERT_TRUE(BeginSceneNested());
    EXPECT_FALSE(GxGraphics::Present(nullptr, nullptr, FakeWindow()));
    EXPECT_TRUE(log.Contains(u"BeginScene～EndSceneが完了していないのにPresentが呼ばれました\n"));
    EXPECT_EQ(platform::d3d9::GetPresentCount(device), 0u);
    ASSERT_TRUE(EndSceneNested());

    SurfaceTarget color = SurfaceTarget::Color(64, 64);
    GxGraphics::PushRenderTarget(0, &color, nullptr, nullptr);
    EXPECT_TRUE(GxGraphics::Present(nullptr, nullptr, FakeWindow()));
    EXPECT_TRUE(log.Contains(u"RenderTarget Stack is't empty\n"));
    EXPECT_EQ(platform::d3d9::GetPresentCount(device), 1u);
    GxGraphics::PopRenderTarget(0);

    GxGraphics::Release();
    EXPECT_FALSE(GxGraphics::Present(nullptr, nullptr, FakeWindow()));
}

class ResetRecorder : public GxGraphicsResetListener {
public:
    void OnBeforeReset(std::int32_t newMode, std::int32_t oldMode) override
    {
        calls.push_back({'b', newMode, oldMode});
    }
    void OnAfterReset(std::int32_t newMode, std::int32_t oldMode) override { calls.push_back({'a', newMode, oldMode}); }
    struct Call {
        char which;
        std::int32_t newMode;
        std::int32_t oldMode;
        bool operator==(const Call&) const = default;
    };
    std::vector<Call> calls;
};

std::vector<ResetRecorder::Call> g_HookCalls;
bool BeforeHook(std::int32_t newMode, std::int32_t oldMode)
{
    g_HookCalls.push_back({'B', newMode, oldMode});
    return true;
}
bool AfterHook(std::int32_t newMode, std::int32_t oldMode)
{
    g_HookCalls.push_back({'A', newMode, oldMode});
    return true;
}

// Lost for two polls, then resettable: present sleeps while lost and resets once it can;
// the resources drop and re-create their objects and the targets and states come back.
TEST_F(GraphicsDeviceTest, LostDeviceRecoversInsidePresent)
{
    ResetRecorder listener;
    g_HookCalls.clear();
    platform::d3d9::SetVirtualAdapter(adapter);
    ASSERT_TRUE(GxGraphics::CreateDevice(FakeWindow(), &listener, BeforeHook, AfterHook));
    IDirect3DDevice9* device = GxGraphics::GetDevice();
    CountingResource resource;
    ASSERT_TRUE(resource.Create(u"Target"));
    GxGraphics::SetRenderStateCached(D3DRS_TEXTUREFACTOR, 0x00C0FFEE);

    platform::SetFakeClock(true);
    platform::d3d9::LoseDevice(device, 2);
    for (int frame = 0; frame < 2; ++frame) {
        EXPECT_TRUE(GxGraphics::Present(nullptr, nullptr, FakeWindow()));
        EXPECT_EQ(resource.lost, 0);
    }
    EXPECT_EQ(platform::FakeClockSleepCalls(), 2u);
    EXPECT_EQ(platform::FakeClockSleptMilliseconds(), 20u);
    platform::SetFakeClock(false);

    EXPECT_TRUE(GxGraphics::Present(nullptr, nullptr, FakeWindow()));   // resets here
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(resource.lost, 1);
    EXPECT_EQ(resource.reset, 1);
    EXPECT_NE(resource.surface, nullptr);
    EXPECT_NE(GetDefaultSwapChain().GetD3DSwapChain(), nullptr);
    EXPECT_EQ(BoundRenderTarget(0), DefaultBackBuffer());
    DWORD value = 0;
    device->GetRenderState(D3DRS_TEXTUREFACTOR, &value);
    EXPECT_EQ(value, 0x00C0FFEEu);
    const std::vector<ResetRecorder::Call> listenerCalls{{'b', 0, 0}, {'a', 0, 0}};
    const std::vector<ResetRecorder::Call> hookCalls{{'B', 0, 0}, {'A', 0, 0}};
    EXPECT_EQ(listener.calls, listenerCalls);
    EXPECT_EQ(g_HookCalls, hookCalls);

    const std::uint64_t presented = platform::d3d9::GetPresentCount(device);
    EXPECT_TRUE(GxGraphics::Present(nullptr, nullptr, FakeWindow()));
    EXPECT_EQ(platform::d3d9::GetPresentCount(device), presented + 1);
    resource.Release();
}

TEST_F(RenderTargetTest, FailedResetStillSendsTheResetNotice)
{
    CountingResource resource;
    ASSERT_TRUE(resource.Create(u"Target"));
    // A default-pool surface nobody gives up makes the reset fail.
    SurfaceTarget held = SurfaceTarget::Color(16, 16);

    EXPECT_FALSE(GxGraphics::ResetDevice(true, SCRMODE_WINDOW, SCRMODE_WINDOW, nullptr));
    EXPECT_TRUE(log.Contains(u"Resetでデバイスの復帰に失敗しました\n"));
    EXPECT_EQ(resource.lost, 1);
    EXPECT_EQ(resource.reset, 1);

    // Once it is gone the next reset succeeds.
    held.Drop();
    if (resource.surface) {
        resource.surface->Release();
        resource.surface = nullptr;
    }
    EXPECT_TRUE(GxGraphics::ResetDevice(false, SCRMODE_WINDOW, SCRMODE_WINDOW, nullptr));
    EXPECT_EQ(resource.reset, 2);
    EXPECT_EQ(GxGraphics::GetDevice()->TestCooperativeLevel(), D3D_OK);
    // Not forced on a working device: nothing happens.
    EXPECT_TRUE(GxGraphics::ResetDevice(false, SCRMODE_WINDOW, SCRMODE_WINDOW, nullptr));
    EXPECT_EQ(resource.reset, 2);
    resource.Release();
}

// Loads must not run while resources drop and re-create their device objects: the reset
// waits for the loader pool to run dry before the lost notice.
TEST_F(RenderTargetTest, ResetWaitsOutQueuedLoads)
{
    struct Job : GxAsyncJobBase {
        std::atomic<bool> ran{false};
        void RunJob(GxThread*, GxAsyncJobManage*) override { ran = true; }
    };
    struct Watcher : CountingResource {
        Job* job = nullptr;
        bool jobDoneAtLoss = false;
        void OnLostDevice() override
        {
            CountingResource::OnLostDevice();
            jobDoneAtLoss = job->ran;
        }
    };
    GxAsyncJobManage pool;
    pool.CreateThread(1);
    Job job;
    Watcher watcher;
    watcher.job = &job;
    ASSERT_TRUE(watcher.Create(u"Watcher"));
    GxGraphics::SetResetJobPool(&pool);
    ASSERT_TRUE(pool.AddJob(u"load", &job));
    EXPECT_TRUE(GxGraphics::ResetDevice(true, SCRMODE_WINDOW, SCRMODE_WINDOW, nullptr));
    EXPECT_TRUE(watcher.jobDoneAtLoss);
    GxGraphics::SetResetJobPool(nullptr);
    pool.AsyncShutdown();
    watcher.Release();
}

TEST_F(RenderTargetTest, UnavailableScreenModeChangesNothing)
{
    CountingResource resource;
    ASSERT_TRUE(resource.Create(u"Target"));
    EXPECT_FALSE(GxGraphics::ChangeScreenMode(SCRMODE_FULL640X480));
    EXPECT_FALSE(GxGraphics::ChangeScreenMode(-1));
    EXPECT_FALSE(GxGraphics::ChangeScreenMode(kScreenModeCount));
    EXPECT_EQ(GxGraphics::GetDisplaySettings().CurrentScreenMode, SCRMODE_WINDOW);
    EXPECT_EQ(resource.lost, 0);
    resource.Release();
}

// The "driver internal error" at present must not end the game as if it had succeeded.
class FailingChain : public IDirect3DSwapChain9 {
public:
    HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
    ULONG AddRef() override { return 1; }
    ULONG Release() override { return 1; }
    HRESULT Present(const RECT*, const RECT*, HWND, const RGNDATA*, DWORD) override
    {
        return D3DERR_DRIVERINTERNALERROR;
    }
    HRESULT GetBackBuffer(UINT, D3DBACKBUFFER_TYPE, IDirect3DSurface9** surface) override
    {
        *surface = nullptr;
        return D3DERR_INVALIDCALL;
    }
    HRESULT GetDisplayMode(D3DDISPLAYMODE*) override { return D3DERR_INVALIDCALL; }
    HRESULT GetDevice(IDirect3DDevice9**) override { return D3DERR_INVALIDCALL; }
    HRESULT GetPresentParameters(D3DPRESENT_PARAMETERS*) override { return D3DERR_INVALIDCALL; }
};

class BrokenDriverChain : public GxSwapChain {
public:
    IDirect3DSwapChain9* GetD3DSwapChain() const override { return &m_Chain; }

private:
    mutable FailingChain m_Chain;
};

int g_FatalExitCode = 0;
void RecordFatal(int exitCode)
{
    g_FatalExitCode = exitCode;
}

TEST_F(RenderTargetTest, DriverInternalErrorEndsWithAFailureCode)
{
    BrokenDriverChain chain;
    EXPECT_FALSE(GxGraphics::SetSwapChain(&chain, nullptr));   // no back buffer to draw into
    EXPECT_TRUE(log.Contains(u"SetSwapChain/Can't set BackBuffer\n"));

    g_FatalExitCode = 0;
    GxGraphics::SetFatalErrorHandler(RecordFatal);
    EXPECT_FALSE(GxGraphics::Present(nullptr, nullptr, FakeWindow()));
    EXPECT_TRUE(log.Contains(u"PresentでD3DERR_DRIVERINTERNALERRORが発生しました\n"));
    EXPECT_NE(g_FatalExitCode, 0);

    // Without a handler the process ends at once, still with a failure code.
    GxGraphics::SetFatalErrorHandler(nullptr);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            // The child's own temporary folder goes with it.
            std::error_code ignored;
            fs::remove_all(folder, ignored);
            GxGraphics::Present(nullptr, nullptr, FakeWindow());
        },
        testing::ExitedWithCode(GxGraphics::kDriverErrorExitCode), "");
    GxGraphics::SetSwapChain(nullptr, nullptr);
}

// Window styles and sizes as the screen-mode changes set them.
TEST_F(GraphicsDeviceTest, ScreenModeChangeResetsAndRestylesTheWindow)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.lpszClassName = u"GraphicsDeviceTest";
    ASSERT_NE(RegisterClassExW(&windowClass), 0);
    HWND window = CreateWindowExW(0, u"GraphicsDeviceTest", u"Game", WS_POPUP | WS_VISIBLE, 0, 0, 1024, 768, nullptr, nullptr,
                                  nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ResetRecorder listener;
    platform::d3d9::SetVirtualAdapter(adapter);
    ASSERT_TRUE(GxGraphics::CreateDevice(window, &listener, nullptr, nullptr));

    EXPECT_TRUE(GxGraphics::ChangeScreenMode(SCRMODE_FULLSCREEN));
    EXPECT_EQ(GxGraphics::GetDisplaySettings().CurrentScreenMode, SCRMODE_FULLSCREEN);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), WS_VISIBLE);
    RECT rect{};
    GetWindowRect(window, &rect);
    EXPECT_EQ(rect.left, 0);
    EXPECT_EQ(rect.top, 0);
    EXPECT_EQ(rect.right - rect.left, 1024);
    EXPECT_EQ(rect.bottom - rect.top, 768);
    EXPECT_FALSE(GetDefaultSwapChain().GetPresentParameters().Windowed);

    EXPECT_TRUE(GxGraphics::ChangeScreenMode(SCRMODE_WINDOWSIZE));
    EXPECT_EQ(GxGraphics::GetBackBufferWidth(), 1920u);
    EXPECT_EQ(GxGraphics::GetBackBufferHeight(), 1080u);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), 0x10CA0000u);
    // The default chain follows the new back buffer, so its depth buffer is never too small.
    EXPECT_EQ(GetDefaultSwapChain().GetWidth(), 1920u);
    D3DSURFACE_DESC depth{};
    GetDefaultSwapChain().GetDepthStencilSurface()->GetDesc(&depth);
    EXPECT_EQ(depth.Width, 1920u);

    const std::vector<ResetRecorder::Call> calls{{'b', 2, 0}, {'a', 2, 0}, {'b', 1, 2}, {'a', 1, 2}};
    EXPECT_EQ(listener.calls, calls);

    // A windowed client of the virtual size, centred on the screen.
    GxGraphics::SetWindowStyle(true, 0, 0, false);
    GetWindowRect(window, &rect);
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(rect.right - rect.left, std::min(1024, screenWidth));
    EXPECT_EQ(rect.left, std::max(screenWidth / 2 - (rect.right - rect.left) / 2, 0));
    EXPECT_EQ(rect.top, std::max(screenHeight / 2 - (rect.bottom - rect.top) / 2, 0));

    // Keeping the position changes the size only.
    GxGraphics::SetWindowStyle(true, 320, 200, true);
    RECT kept{};
    GetWindowRect(window, &kept);
    EXPECT_EQ(kept.left, rect.left);
    EXPECT_EQ(kept.top, rect.top);
    EXPECT_EQ(kept.right - kept.left, std::min(320, screenWidth));

    GxGraphics::Release();
    platform::ResetUserStateForTesting();
}

}  // namespace
