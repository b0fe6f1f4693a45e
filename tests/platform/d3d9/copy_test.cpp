// Clears and copies: viewport-clipped clears and their refusals, GetRenderTargetData,
// UpdateTexture with dirty regions, StretchRect pool rules.
#include "d3d9_fixture.h"
#include "platform/d3d9/surface.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

using namespace d3d9test;

namespace {

constexpr std::uint32_t kRed = 0xFFFF0000, kBlue = 0xFF0000FF, kGreen = 0xFF00FF00;

}  // namespace

TEST_F(D3D9Test, ClearIsClippedToTheViewportAndTheRectangles)
{
    CreateDevice();
    IDirect3DSurface9* target = nullptr;
    ASSERT_EQ(device->CreateRenderTarget(16, 16, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE, &target, nullptr), D3D_OK);
    ASSERT_EQ(device->SetRenderTarget(0, target), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, kRed, 1.0f, 0), D3D_OK);

    const D3DVIEWPORT9 viewport{4, 4, 8, 8, 0.0f, 1.0f};   // pixels 4..11
    ASSERT_EQ(device->SetViewport(&viewport), D3D_OK);
    const D3DRECT rects[] = {{0, 0, 6, 6}, {10, 10, 40, 40}, {7, 2, 3, 9} /* inverted: nothing */};
    ASSERT_EQ(device->Clear(3, rects, D3DCLEAR_TARGET, kBlue, 1.0f, 0), D3D_OK);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const bool first = x >= 4 && x < 6 && y >= 4 && y < 6;
            const bool second = x >= 10 && x < 12 && y >= 10 && y < 12;
            ASSERT_EQ(ReadPixel32(target, x, y), first || second ? kBlue : kRed) << x << "," << y;
        }
    // No rectangles: the whole viewport.
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, kGreen, 1.0f, 0), D3D_OK);
    EXPECT_EQ(ReadPixel32(target, 4, 4), kGreen);
    EXPECT_EQ(ReadPixel32(target, 11, 11), kGreen);
    EXPECT_EQ(ReadPixel32(target, 12, 11), kRed);
    EXPECT_EQ(ReadPixel32(target, 3, 4), kRed);

    // Refusals change nothing.
    const struct {
        const char* name;
        DWORD count;
        const D3DRECT* rects;
        DWORD flags;
        float z;
    } refused[] = {
        {"depth without a depth surface", 0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 1.0f},
        {"stencil without a depth surface", 0, nullptr, D3DCLEAR_STENCIL, 1.0f},
        {"count without rectangles", 2, nullptr, D3DCLEAR_TARGET, 1.0f},
        {"rectangles without a count", 0, rects, D3DCLEAR_TARGET, 1.0f},
        {"no flags", 0, nullptr, 0, 1.0f},
    };
    for (const auto& c : refused)
        EXPECT_EQ(device->Clear(c.count, c.rects, c.flags, kBlue, c.z, 0), D3DERR_INVALIDCALL) << c.name;
    EXPECT_EQ(ReadPixel32(target, 4, 4), kGreen);

    IDirect3DSurface9* noStencil = nullptr;
    ASSERT_EQ(device->CreateDepthStencilSurface(16, 16, D3DFMT_D24X8, D3DMULTISAMPLE_NONE, 0, TRUE, &noStencil, nullptr),
              D3D_OK);
    ASSERT_EQ(device->SetDepthStencilSurface(noStencil), D3D_OK);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_STENCIL, kBlue, 1.0f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_ZBUFFER, 0, 1.5f, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(ReadPixel32(target, 4, 4), kGreen);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, kBlue, 1.0f, 0), D3D_OK);
    EXPECT_EQ(ReadPixel32(target, 4, 4), kBlue);

    IDirect3DSurface9* withStencil = nullptr;
    ASSERT_EQ(device->CreateDepthStencilSurface(16, 16, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, TRUE, &withStencil, nullptr),
              D3D_OK);
    ASSERT_EQ(device->SetDepthStencilSurface(withStencil), D3D_OK);
    EXPECT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, kRed, 0.5f, 3), D3D_OK);
    EXPECT_EQ(device->SetDepthStencilSurface(nullptr), D3D_OK);
    IDirect3DSurface9* current = nullptr;
    EXPECT_EQ(device->GetDepthStencilSurface(&current), D3DERR_NOTFOUND);
    withStencil->Release();
    noStencil->Release();
    target->Release();
}

TEST_F(D3D9Test, RenderTargetToSystemMemoryToTextureRoundTrip)
{
    CreateDevice();
    IDirect3DTexture9* renderTexture = MakeTexture(8, 8, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT);
    IDirect3DTexture9* memoryTexture = MakeTexture(8, 8, 0, D3DPOOL_SYSTEMMEM);
    IDirect3DSurface9* renderSurface = Level0(renderTexture);
    IDirect3DSurface9* memorySurface = Level0(memoryTexture);

    // Draw into the render texture (a clear), read it back into system memory.
    ASSERT_EQ(device->SetRenderTarget(0, renderSurface), D3D_OK);
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, kRed, 1.0f, 0), D3D_OK);
    ASSERT_EQ(device->GetRenderTargetData(renderSurface, memorySurface), D3D_OK);
    EXPECT_EQ(ReadPixel32(memorySurface, 7, 7), kRed);

    // Change the memory copy and send it back.
    FillSurface32(memorySurface, [](UINT x, UINT y) { return 0xFF000000u | (y << 8) | x; });
    ASSERT_EQ(memoryTexture->AddDirtyRect(nullptr), D3D_OK);
    ASSERT_EQ(renderTexture->AddDirtyRect(nullptr), D3D_OK);
    ASSERT_EQ(device->UpdateTexture(memoryTexture, renderTexture), D3D_OK);

    IDirect3DSurface9* check = nullptr;
    ASSERT_EQ(device->CreateOffscreenPlainSurface(8, 8, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &check, nullptr), D3D_OK);
    ASSERT_EQ(device->GetRenderTargetData(renderSurface, check), D3D_OK);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) ASSERT_EQ(ReadPixel32(check, x, y), 0xFF000000u | (y << 8) | x);

    // Refusals: wrong pools, sizes, sources.
    IDirect3DTexture9* managed = MakeTexture(8, 8, 0, D3DPOOL_MANAGED);
    IDirect3DTexture9* smaller = MakeTexture(4, 4, 0, D3DPOOL_SYSTEMMEM);
    IDirect3DSurface9* managedSurface = Level0(managed);
    IDirect3DSurface9* smallerSurface = Level0(smaller);
    EXPECT_EQ(device->GetRenderTargetData(renderSurface, managedSurface), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->GetRenderTargetData(renderSurface, smallerSurface), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->GetRenderTargetData(memorySurface, check), D3DERR_INVALIDCALL);   // not a render target
    EXPECT_EQ(device->UpdateTexture(managed, renderTexture), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->UpdateTexture(memoryTexture, managed), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->UpdateTexture(smaller, renderTexture), D3DERR_INVALIDCALL);

    IDirect3DSurface9* backBuffer = nullptr;
    ASSERT_EQ(device->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &backBuffer), D3D_OK);
    ASSERT_EQ(device->SetRenderTarget(0, backBuffer), D3D_OK);
    for (IUnknown* object : std::initializer_list<IUnknown*>{backBuffer, managedSurface, smallerSurface, managed, smaller,
                                                             check, renderSurface, memorySurface, renderTexture,
                                                             memoryTexture})
        object->Release();
}

TEST_F(D3D9Test, UpdateTextureCopiesOnlyTheDirtyRegion)
{
    CreateDevice();
    IDirect3DTexture9* source = MakeTexture(16, 16, 0, D3DPOOL_SYSTEMMEM, D3DFMT_A8R8G8B8, 0);
    IDirect3DTexture9* dest = MakeTexture(16, 16, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, D3DFMT_A8R8G8B8, 1);
    ASSERT_EQ(device->UpdateTexture(source, dest), D3D_OK);   // the new texture is dirty as a whole

    D3DLOCKED_RECT locked;
    const RECT marked{2, 2, 3, 3};
    ASSERT_EQ(source->LockRect(0, &locked, &marked, 0), D3D_OK);   // marks (2,2) dirty
    *static_cast<std::uint32_t*>(locked.pBits) = kRed;
    source->UnlockRect(0);
    const RECT quiet{9, 9, 10, 10};
    ASSERT_EQ(source->LockRect(0, &locked, &quiet, D3DLOCK_NO_DIRTY_UPDATE), D3D_OK);
    *static_cast<std::uint32_t*>(locked.pBits) = kBlue;
    source->UnlockRect(0);
    ASSERT_EQ(device->UpdateTexture(source, dest), D3D_OK);

    IDirect3DSurface9* check = nullptr;
    ASSERT_EQ(device->CreateOffscreenPlainSurface(16, 16, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &check, nullptr), D3D_OK);
    IDirect3DSurface9* destSurface = Level0(dest);
    ASSERT_EQ(device->GetRenderTargetData(destSurface, check), D3D_OK);
    EXPECT_EQ(ReadPixel32(check, 2, 2), kRed);
    EXPECT_EQ(ReadPixel32(check, 9, 9), 0u);   // changed without marking it dirty

    // A locked level blocks the update.
    ASSERT_EQ(source->LockRect(0, &locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(device->UpdateTexture(source, dest), D3DERR_INVALIDCALL);
    source->UnlockRect(0);
    ASSERT_EQ(device->UpdateTexture(source, dest), D3D_OK);   // the whole lock made it all dirty
    ASSERT_EQ(device->GetRenderTargetData(destSurface, check), D3D_OK);
    EXPECT_EQ(ReadPixel32(check, 9, 9), kBlue);
    destSurface->Release();
    check->Release();
    source->Release();
    dest->Release();
}

TEST_F(D3D9Test, StretchRectFollowsPoolRules)
{
    CreateDevice();
    IDirect3DSurface9 *plain = nullptr, *target = nullptr;
    ASSERT_EQ(device->CreateOffscreenPlainSurface(2, 2, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, &plain, nullptr), D3D_OK);
    ASSERT_EQ(device->CreateRenderTarget(4, 4, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0, TRUE, &target, nullptr), D3D_OK);
    FillSurface32(plain, [](UINT x, UINT y) { return x == y ? kRed : kBlue; });

    ASSERT_EQ(device->StretchRect(plain, nullptr, target, nullptr, D3DTEXF_POINT), D3D_OK);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(ReadPixel32(target, x, y), x / 2 == y / 2 ? kRed : kBlue) << x << "," << y;

    IDirect3DTexture9* managed = MakeTexture(4, 4, 0, D3DPOOL_MANAGED);
    IDirect3DSurface9* managedSurface = Level0(managed);
    const RECT left{0, 0, 2, 4}, overlapping{1, 0, 3, 4}, right{2, 0, 4, 4}, outside{0, 0, 5, 4};
    EXPECT_EQ(device->StretchRect(managedSurface, nullptr, target, nullptr, D3DTEXF_NONE), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->StretchRect(target, nullptr, managedSurface, nullptr, D3DTEXF_NONE), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->StretchRect(plain, nullptr, target, nullptr, D3DTEXF_ANISOTROPIC), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->StretchRect(target, &left, target, &overlapping, D3DTEXF_NONE), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->StretchRect(target, &left, target, &outside, D3DTEXF_NONE), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->StretchRect(target, &left, target, &right, D3DTEXF_LINEAR), D3D_OK);   // disjoint halves
    managedSurface->Release();
    managed->Release();
    target->Release();
    plain->Release();
}

// Depth clears write the packed value into the cleared rectangle only, in each format's width,
// and a stencil clear leaves the depth bits alone.
TEST_F(D3D9Test, DepthClearsFillTheirRectangleInTheFormatsWidth)
{
    CreateDevice();
    struct Case {
        D3DFORMAT format;
        DWORD flags;
        float z;
        DWORD stencil;
        std::uint32_t expected;
    } cases[] = {{D3DFMT_D16, D3DCLEAR_ZBUFFER, 0.5f, 0, 32768u},
                 {D3DFMT_D24S8, D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, 1.0f, 0x1A5, 0xFFFFFFA5u},
                 {D3DFMT_D24S8, D3DCLEAR_STENCIL, 1.0f, 7, 7u}};
    for (const Case& c : cases) {
        IDirect3DSurface9* depth = nullptr;
        ASSERT_EQ(device->CreateDepthStencilSurface(64, 64, c.format, D3DMULTISAMPLE_NONE, 0, FALSE, &depth, nullptr),
                  D3D_OK);
        ASSERT_EQ(device->SetDepthStencilSurface(depth), D3D_OK);
        const D3DRECT area = {3, 2, 13, 6};
        ASSERT_EQ(device->Clear(1, &area, c.flags, 0, c.z, c.stencil), D3D_OK);
        ASSERT_EQ(device->SetDepthStencilSurface(nullptr), D3D_OK);
        platform::d3d9::PixelStore& store = static_cast<platform::d3d9::Surface*>(depth)->Store();
        for (UINT y = 0; y < 16; ++y) {
            for (UINT x = 0; x < 16; ++x) {
                std::uint32_t value = 0;
                std::memcpy(&value, store.At(x, y), static_cast<std::size_t>(store.BytesPerPixel()));
                const bool inside = x >= 3 && x < 13 && y >= 2 && y < 6;
                ASSERT_EQ(value, inside ? c.expected : 0u) << c.format << " at " << x << "," << y;
            }
        }
        depth->Release();
    }
}

// A run of clears leaves the depth surface as clearing each one at once would: clears that replace
// every bit are held back, and those that follow (the same again, a wider one, a stencil-only one,
// another rectangle) must still meet the pixels in the right order.
TEST_F(D3D9Test, DepthClearRunsLeaveThePixelsOfEachClearInTurn)
{
    CreateDevice();
    struct Clear {
        D3DRECT area;
        DWORD flags;
        float z;
        DWORD stencil;
    };
    constexpr DWORD kBoth = D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL;
    const D3DRECT whole = {0, 0, 16, 16}, inner = {2, 2, 10, 8}, other = {6, 4, 14, 12};
    const std::vector<std::vector<Clear>> runs = {
        {{whole, kBoth, 1.0f, 5}, {inner, kBoth, 1.0f, 5}, {whole, D3DCLEAR_STENCIL, 0.0f, 9}},
        {{whole, kBoth, 1.0f, 5}, {inner, kBoth, 0.5f, 3}},
        {{inner, kBoth, 0.5f, 3}, {whole, kBoth, 1.0f, 1}, {other, D3DCLEAR_STENCIL, 0.0f, 2}},
        {{inner, kBoth, 0.5f, 3}, {inner, D3DCLEAR_ZBUFFER, 0.25f, 0}, {other, kBoth, 0.0f, 4}},
        {{other, D3DCLEAR_STENCIL, 0.0f, 6}, {inner, kBoth, 1.0f, 7}},
    };
    for (std::size_t run = 0; run < runs.size(); ++run) {
        IDirect3DSurface9* depth = nullptr;
        ASSERT_EQ(device->CreateDepthStencilSurface(16, 16, D3DFMT_D24S8, D3DMULTISAMPLE_NONE, 0, FALSE, &depth, nullptr),
                  D3D_OK);
        ASSERT_EQ(device->SetDepthStencilSurface(depth), D3D_OK);
        std::uint32_t expected[16][16] = {};
        for (const Clear& clear : runs[run]) {
            ASSERT_EQ(device->Clear(1, &clear.area, clear.flags, 0, clear.z, clear.stencil), D3D_OK);
            const std::uint32_t depthBits = static_cast<std::uint32_t>(std::lround(clear.z * 16777215.0)) << 8;
            for (LONG y = clear.area.y1; y < clear.area.y2; ++y)
                for (LONG x = clear.area.x1; x < clear.area.x2; ++x) {
                    std::uint32_t& pixel = expected[y][x];
                    if (clear.flags & D3DCLEAR_ZBUFFER) pixel = (pixel & 0xFFu) | depthBits;
                    if (clear.flags & D3DCLEAR_STENCIL) pixel = (pixel & 0xFFFFFF00u) | (clear.stencil & 0xFFu);
                }
        }
        ASSERT_EQ(device->SetDepthStencilSurface(nullptr), D3D_OK);
        platform::d3d9::PixelStore& store = static_cast<platform::d3d9::Surface*>(depth)->Store();
        for (UINT y = 0; y < 16; ++y)
            for (UINT x = 0; x < 16; ++x) {
                std::uint32_t value = 0;
                std::memcpy(&value, store.At(x, y), sizeof value);
                ASSERT_EQ(value, expected[y][x]) << "run " << run << " at " << x << "," << y;
            }
        depth->Release();
    }
}
