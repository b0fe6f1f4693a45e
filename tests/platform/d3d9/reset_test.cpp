// Device loss and Reset: the loss simulator's sequence, Reset refused while DEFAULT-pool
// resources live, and what a successful Reset restores and keeps.
#include "d3d9_fixture.h"
#include "device_states_check.h"

#include <vector>

using namespace d3d9test;

TEST_F(D3D9Test, LossSimulatorDrivesTestCooperativeLevel)
{
    CreateDevice(32, 32);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(platform::d3d9::GetPresentCount(device), 1u);

    platform::d3d9::LoseDevice(device, 2);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);
    D3DPRESENT_PARAMETERS parameters = WindowedParameters(32, 32);
    EXPECT_EQ(device->Reset(&parameters), D3DERR_DEVICELOST);   // not resettable yet
    std::vector<HRESULT> answers;
    for (int i = 0; i < 4; ++i) answers.push_back(device->TestCooperativeLevel());
    EXPECT_EQ(answers, (std::vector<HRESULT>{D3DERR_DEVICELOST, D3DERR_DEVICELOST, D3DERR_DEVICENOTRESET,
                                             D3DERR_DEVICENOTRESET}));
    // Drawing calls go on quietly while lost.
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);

    ASSERT_EQ(device->Reset(&parameters), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    EXPECT_EQ(platform::d3d9::GetPresentCount(device), 2u);

    // A loss with no waiting time is resettable at once.
    platform::d3d9::LoseDevice(device, 0);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device->Reset(&parameters), D3D_OK);
}

TEST_F(D3D9Test, ResetWaitsForDefaultResourcesAndRestoresDefaults)
{
    CreateDevice(64, 48);
    IDirect3DTexture9* renderTexture = MakeTexture(16, 16, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT);
    IDirect3DTexture9* managed = MakeTexture(4, 4, 0, D3DPOOL_MANAGED);
    IDirect3DSurface9* scratch = nullptr;
    ASSERT_EQ(device->CreateOffscreenPlainSurface(4, 4, D3DFMT_A8R8G8B8, D3DPOOL_SCRATCH, &scratch, nullptr), D3D_OK);
    IDirect3DSurface9* managedLevel = Level0(managed);
    FillSurface32(managedLevel, [](UINT x, UINT y) { return 0x80000000u | (y << 4) | x; });
    FillSurface32(scratch, [](UINT, UINT) { return 0x12345678u; });
    IDirect3DSurface9* heldBackBuffer = nullptr;   // the implicit back buffer may be held across Reset
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &heldBackBuffer), D3D_OK);

    // Change what the engine changes, and more.
    IDirect3DSurface9* renderSurface = Level0(renderTexture);
    ASSERT_EQ(device->SetRenderTarget(0, renderSurface), D3D_OK);
    ASSERT_EQ(device->SetTexture(0, managed), D3D_OK);
    ASSERT_EQ(device->SetFVF(0x1C4), D3D_OK);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_BLENDOPALPHA, D3DBLENDOP_MAX);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE2X);
    device->SetTextureStageState(3, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(5, D3DTSS_TEXCOORDINDEX, 0);
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    ASSERT_EQ(device->BeginScene(), D3D_OK);

    D3DPRESENT_PARAMETERS parameters = WindowedParameters(32, 24);
    EXPECT_EQ(device->Reset(&parameters), D3DERR_INVALIDCALL);   // the render texture is still held
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3DERR_DEVICELOST);

    renderSurface->Release();
    EXPECT_EQ(renderTexture->Release(), 0u);   // still bound as render target 0: the device holds it
    ASSERT_EQ(device->Reset(&parameters), D3D_OK);
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);

    ExpectDirect3DDefaults(device);
    IDirect3DSurface9* target = nullptr;
    ASSERT_EQ(device->GetRenderTarget(0, &target), D3D_OK);
    EXPECT_EQ(target, heldBackBuffer);
    target->Release();
    D3DSURFACE_DESC desc;
    ASSERT_EQ(heldBackBuffer->GetDesc(&desc), D3D_OK);
    EXPECT_EQ(desc.Width, 32u);
    EXPECT_EQ(desc.Height, 24u);
    D3DVIEWPORT9 viewport;
    device->GetViewport(&viewport);
    EXPECT_EQ(viewport.X, 0u);
    EXPECT_EQ(viewport.Width, 32u);
    EXPECT_EQ(viewport.Height, 24u);
    IDirect3DSurface9* depth = nullptr;
    EXPECT_EQ(device->GetDepthStencilSurface(&depth), D3DERR_NOTFOUND);
    EXPECT_EQ(device->BeginScene(), D3D_OK);   // the open scene ended with the reset
    EXPECT_EQ(device->EndScene(), D3D_OK);

    // MANAGED, SYSTEMMEM and SCRATCH contents survive.
    EXPECT_EQ(ReadPixel32(managedLevel, 3, 2), 0x80000023u);
    EXPECT_EQ(ReadPixel32(scratch, 1, 1), 0x12345678u);

    heldBackBuffer->Release();
    managedLevel->Release();
    managed->Release();
    scratch->Release();
}

TEST_F(D3D9Test, ResetIsBlockedByEveryKindOfDefaultResource)
{
    CreateDevice(32, 32);
    D3DPRESENT_PARAMETERS parameters = WindowedParameters(32, 32);
    IDirect3DSurface9 *renderSurface = nullptr, *depth = nullptr, *plain = nullptr;
    IDirect3DSwapChain9* chain = nullptr;
    ASSERT_EQ(device->CreateRenderTarget(8, 8, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE, &renderSurface, nullptr),
              D3D_OK);
    ASSERT_EQ(device->CreateDepthStencilSurface(8, 8, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, TRUE, &depth, nullptr),
              D3D_OK);
    ASSERT_EQ(device->CreateOffscreenPlainSurface(8, 8, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &plain, nullptr), D3D_OK);
    D3DPRESENT_PARAMETERS chainParameters = WindowedParameters(16, 16);
    ASSERT_EQ(device->CreateAdditionalSwapChain(&chainParameters, &chain), D3D_OK);
    IDirect3DTexture9* dynamic = MakeTexture(8, 8, D3DUSAGE_DYNAMIC, D3DPOOL_DEFAULT);
    IDirect3DTexture9* system = MakeTexture(8, 8, 0, D3DPOOL_SYSTEMMEM);   // never blocks

    for (IUnknown* blocker : std::initializer_list<IUnknown*>{renderSurface, depth, plain, chain, dynamic}) {
        EXPECT_EQ(device->Reset(&parameters), D3DERR_INVALIDCALL);
        blocker->Release();
    }
    EXPECT_EQ(device->Reset(&parameters), D3D_OK);
    system->Release();
}

TEST_F(D3D9Test, ResetChecksItsParameters)
{
    CreateDevice(32, 32);
    D3DPRESENT_PARAMETERS empty{};
    EXPECT_EQ(device->Reset(&empty), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    D3DPRESENT_PARAMETERS parameters = WindowedParameters(48, 16);
    parameters.EnableAutoDepthStencil = TRUE;
    parameters.AutoDepthStencilFormat = D3DFMT_D24S8;
    ASSERT_EQ(device->Reset(&parameters), D3D_OK);
    IDirect3DSurface9* depth = nullptr;
    ASSERT_EQ(device->GetDepthStencilSurface(&depth), D3D_OK);
    D3DSURFACE_DESC desc;
    depth->GetDesc(&desc);
    EXPECT_EQ(desc.Width, 48u);
    EXPECT_EQ(desc.Format, D3DFMT_D24S8);
    DWORD zEnable = 0;
    device->GetRenderState(D3DRS_ZENABLE, &zEnable);
    EXPECT_EQ(zEnable, static_cast<DWORD>(D3DZB_TRUE));
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 0, 1.0f, 0), D3D_OK);
    depth->Release();
}
