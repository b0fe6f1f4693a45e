// Device state: defaults, viewport and render-target rules, scenes, texture binding,
// vertex processing, and the one device lock under several threads.
#include "d3d9_fixture.h"
#include "device_states_check.h"

#include <thread>
#include <vector>

using namespace d3d9test;

namespace {

D3DVIEWPORT9 Viewport(IDirect3DDevice9* device)
{
    D3DVIEWPORT9 viewport{};
    device->GetViewport(&viewport);
    return viewport;
}

}  // namespace

TEST_F(D3D9Test, DeviceStartsWithDirect3DDefaults)
{
    CreateDevice();
    ExpectDirect3DDefaults(device);
    // Out-of-range state numbers are refused, not stored out of bounds.
    EXPECT_EQ(device->SetRenderState(static_cast<D3DRENDERSTATETYPE>(210), 1), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTextureStageState(8, D3DTSS_COLOROP, D3DTOP_ADD), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTextureStageState(0, static_cast<D3DTEXTURESTAGESTATETYPE>(33), 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetSamplerState(16, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderState(D3DRS_BLENDOPALPHA, D3DBLENDOP_MAX), D3D_OK);
}

TEST_F(D3D9Test, ViewportMustFitTheTargetAndRenderTarget0ResetsIt)
{
    CreateDevice(64, 48);
    const D3DVIEWPORT9 whole = Viewport(device);
    EXPECT_EQ(whole.Width, 64u);
    EXPECT_EQ(whole.Height, 48u);
    EXPECT_EQ(whole.MaxZ, 1.0f);

    const D3DVIEWPORT9 inside{8, 8, 16, 16, 0.0f, 1.0f};
    EXPECT_EQ(device->SetViewport(&inside), D3D_OK);
    const D3DVIEWPORT9 tooWide{60, 0, 5, 10, 0.0f, 1.0f};
    EXPECT_EQ(device->SetViewport(&tooWide), D3DERR_INVALIDCALL);
    const D3DVIEWPORT9 overflowing{0xFFFFFFF0u, 0, 0x20, 10, 0.0f, 1.0f};
    EXPECT_EQ(device->SetViewport(&overflowing), D3DERR_INVALIDCALL);
    EXPECT_EQ(Viewport(device).X, 8u);

    IDirect3DTexture9* target = MakeTexture(32, 16, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT);
    IDirect3DSurface9* surface = Level0(target);
    // Stage 1 is bookkeeping only: the viewport stays.
    EXPECT_EQ(device->SetRenderTarget(1, surface), D3D_OK);
    EXPECT_EQ(Viewport(device).X, 8u);
    EXPECT_EQ(device->SetRenderTarget(0, surface), D3D_OK);
    const D3DVIEWPORT9 reset = Viewport(device);
    EXPECT_EQ(reset.X, 0u);
    EXPECT_EQ(reset.Y, 0u);
    EXPECT_EQ(reset.Width, 32u);
    EXPECT_EQ(reset.Height, 16u);
    // A viewport that fitted the back buffer no longer fits this target.
    const D3DVIEWPORT9 backBufferSized{0, 0, 64, 48, 0.0f, 1.0f};
    EXPECT_EQ(device->SetViewport(&backBufferSized), D3DERR_INVALIDCALL);

    EXPECT_EQ(device->SetRenderTarget(0, nullptr), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderTarget(4, surface), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetRenderTarget(1, nullptr), D3D_OK);
    IDirect3DSurface9* plain = nullptr;
    ASSERT_EQ(device->CreateOffscreenPlainSurface(8, 8, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &plain, nullptr), D3D_OK);
    EXPECT_EQ(device->SetRenderTarget(0, plain), D3DERR_INVALIDCALL);

    IDirect3DSurface9* backBuffer = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    EXPECT_EQ(device->SetRenderTarget(0, backBuffer), D3D_OK);
    EXPECT_EQ(Viewport(device).Width, 64u);
    IDirect3DSurface9* current = nullptr;
    ASSERT_EQ(device->GetRenderTarget(0, &current), D3D_OK);
    EXPECT_EQ(current, backBuffer);
    EXPECT_EQ(device->GetRenderTarget(1, &current), D3DERR_NOTFOUND);
    backBuffer->Release();
    backBuffer->Release();
    plain->Release();
    surface->Release();
    target->Release();
}

TEST_F(D3D9Test, ScenesDoNotNest)
{
    CreateDevice();
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->EndScene(), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->BeginScene(), D3D_OK);
    EXPECT_EQ(device->EndScene(), D3D_OK);
}

TEST_F(D3D9Test, TextureBindingFollowsPoolRules)
{
    CreateDevice();
    IDirect3DTexture9* managed = MakeTexture(8, 8, 0, D3DPOOL_MANAGED);
    IDirect3DTexture9* scratch = MakeTexture(8, 8, 0, D3DPOOL_SCRATCH);
    IDirect3DTexture9* system = MakeTexture(8, 8, 0, D3DPOOL_SYSTEMMEM);
    EXPECT_EQ(device->SetTexture(0, managed), D3D_OK);
    EXPECT_EQ(device->SetTexture(0, scratch), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetTexture(0, system), D3DERR_INVALIDCALL);   // no D3DDEVCAPS_TEXTURESYSTEMMEMORY
    EXPECT_EQ(device->SetTexture(16, managed), D3DERR_INVALIDCALL);
    IDirect3DBaseTexture9* bound = nullptr;
    ASSERT_EQ(device->GetTexture(0, &bound), D3D_OK);
    EXPECT_EQ(bound, managed);
    bound->Release();

    // The binding keeps the texture usable after the application's last Release.
    EXPECT_EQ(managed->Release(), 0u);
    ASSERT_EQ(device->GetTexture(0, &bound), D3D_OK);
    EXPECT_EQ(bound->GetType(), D3DRTYPE_TEXTURE);
    bound->Release();
    EXPECT_EQ(device->SetTexture(0, nullptr), D3D_OK);
    scratch->Release();
    system->Release();

    // With the cap, system-memory textures can be sampled.
    device->Release();
    device = nullptr;
    d3d->Release();
    adapter.caps.DevCaps |= D3DDEVCAPS_TEXTURESYSTEMMEMORY;
    CreateDevice();
    system = MakeTexture(8, 8, 0, D3DPOOL_SYSTEMMEM);
    EXPECT_EQ(device->SetTexture(0, system), D3D_OK);
    EXPECT_EQ(device->SetTexture(0, nullptr), D3D_OK);
    system->Release();
}

TEST_F(D3D9Test, SoftwareVertexProcessingFollowsCreationFlags)
{
    const struct {
        DWORD flags;
        BOOL initial;
        HRESULT setOn;
        HRESULT setOff;
    } cases[] = {
        {D3DCREATE_MIXED_VERTEXPROCESSING, FALSE, D3D_OK, D3D_OK},
        {D3DCREATE_SOFTWARE_VERTEXPROCESSING, TRUE, D3D_OK, D3DERR_INVALIDCALL},
        {D3DCREATE_HARDWARE_VERTEXPROCESSING, FALSE, D3DERR_INVALIDCALL, D3D_OK},
    };
    ASSERT_NE(CreateD3D(), nullptr);
    for (const auto& c : cases) {
        D3DPRESENT_PARAMETERS parameters = WindowedParameters(16, 16);
        IDirect3DDevice9* created = nullptr;
        ASSERT_EQ(d3d->CreateDevice(0, D3DDEVTYPE_HAL, FakeWindow(), c.flags, &parameters, &created), D3D_OK);
        EXPECT_EQ(created->GetSoftwareVertexProcessing(), c.initial) << c.flags;
        EXPECT_EQ(created->SetSoftwareVertexProcessing(TRUE), c.setOn) << c.flags;
        EXPECT_EQ(created->SetSoftwareVertexProcessing(FALSE), c.setOff) << c.flags;
        EXPECT_EQ(created->Release(), 0u);
    }
}

TEST_F(D3D9Test, OnlyNullShadersAndStreamsAreAccepted)
{
    CreateDevice();
    EXPECT_EQ(device->SetVertexShader(nullptr), D3D_OK);
    EXPECT_EQ(device->SetPixelShader(nullptr), D3D_OK);
    for (UINT stream = 0; stream < 4; ++stream) EXPECT_EQ(device->SetStreamSource(stream, nullptr, 0, 0), D3D_OK);
    EXPECT_EQ(device->SetStreamSource(16, nullptr, 0, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetFVF(0x1C4), D3D_OK);
    DWORD fvf = 0;
    device->GetFVF(&fvf);
    EXPECT_EQ(fvf, 0x1C4u);
}

TEST_F(D3D9Test, LoaderThreadsAndTheWindowThreadShareTheDevice)
{
    // Loader threads create, fill and release textures while the window thread binds and
    // clears: the device lock keeps the shared registries consistent.
    CreateDevice(32, 32);
    std::vector<std::thread> loaders;
    for (int t = 0; t < 3; ++t) {
        loaders.emplace_back([this, t] {
            for (int i = 0; i < 100; ++i) {
                IDirect3DTexture9* texture = nullptr;
                if (device->CreateTexture(16, 16, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr) != D3D_OK)
                    continue;
                D3DLOCKED_RECT locked;
                if (texture->LockRect(0, &locked, nullptr, 0) == D3D_OK) {
                    static_cast<std::uint32_t*>(locked.pBits)[0] = static_cast<std::uint32_t>(t * 1000 + i);
                    texture->UnlockRect(0);
                }
                texture->Release();
            }
        });
    }
    IDirect3DTexture9* shared = MakeTexture(16, 16, 0, D3DPOOL_MANAGED);
    for (int i = 0; i < 200; ++i) {
        device->SetTexture(0, (i & 1) ? shared : nullptr);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000u | static_cast<DWORD>(i), 1.0f, 0);
    }
    for (auto& loader : loaders) loader.join();
    device->SetTexture(0, nullptr);
    EXPECT_EQ(shared->Release(), 0u);
}
