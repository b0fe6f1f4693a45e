// Drawing through DrawPrimitiveUP with the engine's vertex format, checked per pixel against
// a formula: the half-pixel coverage rule with texel-exact sampling, and the alpha-blend
// preset with separate alpha MAX.
#include "d3d9_fixture.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

using namespace d3d9test;

namespace {

struct Vertex {   // D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1, 32 bytes
    float x, y, z, rhw;
    D3DCOLOR diffuse, specular;
    float u, v;
};
static_assert(sizeof(Vertex) == 32);
constexpr DWORD kFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1;

// The engine's quad: corners TL, BL, BR, TR moved by -0.5, as one fan of two triangles.
void DrawQuad(IDirect3DDevice9* device, float left, float top, float right, float bottom, D3DCOLOR diffuse,
              D3DCOLOR specular = 0)
{
    const Vertex fan[4] = {
        {left - 0.5f, top - 0.5f, 0, 1, diffuse, specular, 0, 0},
        {left - 0.5f, bottom - 0.5f, 0, 1, diffuse, specular, 0, 1},
        {right - 0.5f, bottom - 0.5f, 0, 1, diffuse, specular, 1, 1},
        {right - 0.5f, top - 0.5f, 0, 1, diffuse, specular, 1, 0},
    };
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, fan, sizeof(Vertex)), D3D_OK);
}

int Channel(std::uint32_t argb, int shift)
{
    return static_cast<int>((argb >> shift) & 0xFF);
}

void ExpectNear(std::uint32_t actual, std::uint32_t expected, int x, int y)
{
    for (int shift = 0; shift < 32; shift += 8)
        ASSERT_LE(std::abs(Channel(actual, shift) - Channel(expected, shift)), 1)
            << "pixel " << x << "," << y << std::hex << " actual " << actual << " expected " << expected;
}

}  // namespace

TEST_F(D3D9Test, DrawHalfPixelShiftedQuadCoversExactlyItsPixels)
{
    CreateDevice(32, 32);
    // A 16x16 texture whose texels all differ, drawn 10x10 at (10,10): pixel (10+i, 10+j)
    // must show texel (i, j) with point sampling, and nothing outside 10..19 is touched.
    IDirect3DTexture9* texture = MakeTexture(16, 16, 0, D3DPOOL_MANAGED);
    IDirect3DSurface9* level = Level0(texture);
    FillSurface32(level, [](UINT x, UINT y) { return 0xFF000000u | (x << 16) | (y << 8) | 0x40; });
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF202020, 1.0f, 0), D3D_OK);
    device->SetFVF(kFvf);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetTexture(0, texture);
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    const Vertex fan[4] = {
        {9.5f, 9.5f, 0, 1, 0xFFFFFFFF, 0, 0, 0},
        {9.5f, 19.5f, 0, 1, 0xFFFFFFFF, 0, 0, 10.0f / 16},
        {19.5f, 19.5f, 0, 1, 0xFFFFFFFF, 0, 10.0f / 16, 10.0f / 16},
        {19.5f, 9.5f, 0, 1, 0xFFFFFFFF, 0, 10.0f / 16, 0},
    };
    ASSERT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, fan, sizeof(Vertex)), D3D_OK);
    ASSERT_EQ(device->EndScene(), D3D_OK);

    std::vector<std::uint32_t> frame;
    UINT width = 0, height = 0;
    ASSERT_TRUE(platform::d3d9::ReadBackBuffer(device, frame, width, height));
    ASSERT_EQ(width, 32u);
    for (UINT y = 0; y < height; ++y)
        for (UINT x = 0; x < width; ++x) {
            const bool inside = x >= 10 && x < 20 && y >= 10 && y < 20;
            const std::uint32_t expected =
                inside ? 0xFF000000u | ((x - 10) << 16) | ((y - 10) << 8) | 0x40 : 0xFF202020u;
            ASSERT_EQ(frame[y * width + x], expected) << x << "," << y;
        }
    device->SetTexture(0, nullptr);
    level->Release();
    texture->Release();
}

TEST_F(D3D9Test, DrawAlphaBlendPresetOverACheckerMatchesTheFormula)
{
    CreateDevice(16, 16);
    IDirect3DSurface9* target = nullptr;
    ASSERT_EQ(device->CreateRenderTarget(16, 16, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE, &target, nullptr), D3D_OK);
    auto checker = [](UINT x, UINT y) { return ((x / 4 + y / 4) & 1) ? 0xFFE0C0A0u : 0x40204060u; };
    FillSurface32(target, checker);
    // Texel: a horizontal alpha gradient over a fixed colour.
    IDirect3DTexture9* texture = MakeTexture(16, 16, 0, D3DPOOL_MANAGED);
    IDirect3DSurface9* level = Level0(texture);
    auto texel = [](UINT x, UINT) { return (x * 17u) << 24 | 0x00FF8040u; };
    FillSurface32(level, texel);

    // The engine's default state and preset 2 (alpha blending, alpha kept by MAX).
    ASSERT_EQ(device->SetRenderTarget(0, target), D3D_OK);
    device->SetFVF(kFvf);
    device->SetTexture(0, texture);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    device->SetRenderState(D3DRS_LIGHTING, FALSE);
    device->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
    device->SetRenderState(D3DRS_SEPARATEALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_BLENDOPALPHA, D3DBLENDOP_MAX);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetRenderState(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    const D3DCOLOR diffuse = 0xC0FFFF80, specular = 0x00100000;
    ASSERT_EQ(device->BeginScene(), D3D_OK);
    DrawQuad(device, 0, 0, 16, 16, diffuse, specular);
    ASSERT_EQ(device->EndScene(), D3D_OK);

    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const std::uint32_t t = texel(static_cast<UINT>(x), static_cast<UINT>(y));
            const std::uint32_t d = checker(static_cast<UINT>(x), static_cast<UINT>(y));
            const double as = Channel(t, 24) / 255.0 * Channel(diffuse, 24) / 255.0;
            std::uint32_t expected = 0;
            for (int shift = 0; shift < 24; shift += 8) {
                const double cs = std::min(1.0, Channel(t, shift) / 255.0 * Channel(diffuse, shift) / 255.0 +
                                                    Channel(specular, shift) / 255.0);
                const double c = cs * as + Channel(d, shift) / 255.0 * (1.0 - as);
                expected |= static_cast<std::uint32_t>(std::lround(std::min(1.0, c) * 255.0)) << shift;
            }
            const double alpha = std::max(as, Channel(d, 24) / 255.0);
            expected |= static_cast<std::uint32_t>(std::lround(alpha * 255.0)) << 24;
            ExpectNear(ReadPixel32(target, x, y), expected, x, y);
        }
    device->SetTexture(0, nullptr);
    level->Release();
    texture->Release();
    target->Release();
}

// The translated states are kept between draws: render, texture stage and sampler states
// changed between two draws each take effect on the second.
TEST_F(D3D9Test, StatesChangedBetweenDrawsTakeEffect)
{
    CreateDevice(8, 8);
    IDirect3DTexture9* texture = MakeTexture(2, 2, 0, D3DPOOL_MANAGED);
    IDirect3DSurface9* level = Level0(texture);
    FillSurface32(level, [](UINT x, UINT) { return x == 0 ? 0xFF0000FFu : 0xFFFF0000u; });
    device->SetFVF(kFvf);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    std::vector<std::uint32_t> frame;
    UINT width = 0, height = 0;
    auto drawAndRead = [&](D3DCOLOR diffuse) {
        device->BeginScene();
        DrawQuad(device, 0, 0, 8, 8, diffuse);   // texels u 0..1 across 8 pixels: blue, then red
        device->EndScene();
        platform::d3d9::ReadBackBuffer(device, frame, width, height);
        return frame.empty() ? 0u : frame[3 * 8 + 3];   // pixel (3, 3): texel 0 while point-sampled
    };
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
    EXPECT_EQ(drawAndRead(0xFF00FF00), 0xFF00FF00u);   // no texture: diffuse
    device->SetRenderState(D3DRS_COLORWRITEENABLE, D3DCOLORWRITEENABLE_RED | D3DCOLORWRITEENABLE_ALPHA);
    EXPECT_EQ(drawAndRead(0xFFFF0000), 0xFFFFFF00u);   // red written, green kept
    device->SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
    device->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF0000FF);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    EXPECT_EQ(drawAndRead(0xFF00FF00), 0xFF0000FFu);   // the factor
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTexture(0, texture);
    EXPECT_EQ(drawAndRead(0xFFFFFFFF), 0xFF0000FFu);   // texel 0
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    EXPECT_NE(drawAndRead(0xFFFFFFFF), 0xFF0000FFu);   // blended with texel 1
    device->SetTexture(0, nullptr);
    level->Release();
    texture->Release();
}

TEST_F(D3D9Test, DrawRefusesWhatItCannotDraw)
{
    CreateDevice(16, 16);
    const Vertex fan[4] = {};
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);   // needs transforms this layer does not have
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, fan, sizeof(Vertex)), D3DERR_INVALIDCALL);
    device->SetFVF(kFvf);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, fan, 16), D3DERR_INVALIDCALL);   // stride below 32
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_LINELIST, 1, fan, sizeof(Vertex)), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, nullptr, sizeof(Vertex)), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 0, fan, sizeof(Vertex)), D3D_OK);

    // While lost nothing is drawn.
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0), D3D_OK);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    platform::d3d9::LoseDevice(device, 0);
    DrawQuad(device, 0, 0, 16, 16, 0xFFFFFFFF);
    std::vector<std::uint32_t> frame;
    UINT width = 0, height = 0;
    ASSERT_TRUE(platform::d3d9::ReadBackBuffer(device, frame, width, height));
    EXPECT_EQ(frame[8 * width + 8], 0xFF000000u);
}

TEST_F(D3D9Test, PresentIsHeadlessAndTheBackBufferReadsBack)
{
    CreateDevice(8, 4);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0x00336699, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
    const RECT part{0, 0, 4, 4};
    EXPECT_EQ(device->Present(&part, nullptr, nullptr, nullptr), D3DERR_INVALIDCALL);   // rectangles need COPY
    EXPECT_EQ(platform::d3d9::GetPresentCount(device), 1u);
    std::vector<std::uint32_t> frame;
    UINT width = 0, height = 0;
    ASSERT_TRUE(platform::d3d9::ReadBackBuffer(device, frame, width, height));
    EXPECT_EQ(width, 8u);
    EXPECT_EQ(height, 4u);
    // X8R8G8B8: the alpha written is dropped and reads as opaque.
    EXPECT_TRUE(std::all_of(frame.begin(), frame.end(), [](std::uint32_t p) { return p == 0xFF336699u; }));
}
