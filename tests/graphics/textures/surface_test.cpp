// GxSurface: the creation kinds with their default formats, pools and types, video memory,
// device loss and reset per pool, image files, and stretching between surfaces.
#include "graphics/d3d_resource.h"
#include "graphics/surface.h"
#include "tests/graphics/textures/textures_fixture.h"

#include <functional>

namespace texturetest {
namespace {

TEST_F(TextureTest, SurfaceCreationKindsTakeTheirDefaultsPoolsAndTypes)
{
    CreateDevice();
    struct Case {
        const char* label;
        std::function<bool(GxSurface&)> create;
        D3DFORMAT format;
        D3DPOOL pool;
        std::int32_t type;
        std::uint32_t videoMemory;
    };
    const std::uint32_t bytes = 64 * 32 * 4;
    const Case cases[] = {
        {"plain", [](GxSurface& s) { return s.CreateSurface(u"Plain", 64, 32, D3DFMT_UNKNOWN); },
         GxGraphics::GetTextureFormat(), D3DPOOL_DEFAULT, kObjTypeSurface, bytes},
        {"scratch", [](GxSurface& s) { return s.CreateScratch(std::string_view("Scratch"), 64, 32, D3DFMT_UNKNOWN); },
         GxGraphics::GetTextureFormat(), D3DPOOL_SCRATCH, kObjTypeSurface, 0},
        {"system memory", [](GxSurface& s) { return s.CreateSystemMemory(u"Sys", 64, 32, D3DFMT_X8R8G8B8); },
         D3DFMT_X8R8G8B8, D3DPOOL_SYSTEMMEM, kObjTypeSurface, 0},
        {"depth", [](GxSurface& s) { return s.CreateDepthStencil(u"Depth", 64, 32, D3DFMT_UNKNOWN, D3DMULTISAMPLE_NONE, 0); },
         GxGraphics::GetDepthStencilFormat(), D3DPOOL_DEFAULT, kObjTypeDepthStencil, bytes},
        {"target", [](GxSurface& s) { return s.CreateRenderTarget(u"Target", 64, 32, D3DFMT_UNKNOWN, D3DMULTISAMPLE_NONE, 0); },
         GxGraphics::GetRenderTargetFormat(), D3DPOOL_DEFAULT, kObjTypeRenderTarget, bytes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        GxSurface surface;
        EXPECT_FALSE(surface.IsLocked());
        ASSERT_TRUE(c.create(surface));
        EXPECT_EQ(surface.GetFormat(), c.format);
        EXPECT_EQ(surface.GetPool(), c.pool);
        EXPECT_EQ(surface.GetObjectType(), c.type);
        EXPECT_EQ(surface.GetWidth(), 64u);
        EXPECT_EQ(surface.GetImageHeight(), 32u);
        EXPECT_EQ(surface.GetVideoMemorySize(), c.videoMemory);
        EXPECT_EQ(surface.GetRefCount(), 1u);
        EXPECT_TRUE(GetD3DResourceManage().IsRegistered(&surface));
        EXPECT_FALSE(surface.IsLocked());
        EXPECT_EQ(surface.Release(), 0u);
        EXPECT_EQ(surface.GetSurfacePointer(), nullptr);
        EXPECT_FALSE(GetD3DResourceManage().IsRegistered(&surface));
        EXPECT_TRUE(surface.GetName().empty());
        EXPECT_FALSE(surface.IsLocked());
    }
    GxSurface screen;
    ASSERT_TRUE(screen.CreateRenderTarget(u"screen", 1024, 768, D3DFMT_X8R8G8B8, D3DMULTISAMPLE_NONE, 0));
    EXPECT_EQ(screen.GetVideoMemorySize(), 3145728u);
}

TEST_F(TextureTest, SurfaceCreationFailureIsLoggedAndLeavesTheObjectEmpty)
{
    CreateDevice();
    GxSurface surface;
    EXPECT_FALSE(surface.CreateSurface(u"Huge", 0x40000000, 0x40000000, D3DFMT_A8R8G8B8));
    EXPECT_TRUE(log.Contains(u"Error/Surface CreateSurface Failed(Name:\"Huge\" Size:1073741824,1073741824 "));
    EXPECT_TRUE(surface.IsFailed());
    EXPECT_EQ(surface.GetName(), u"huge");
    EXPECT_FALSE(GetD3DResourceManage().IsRegistered(&surface));
    EXPECT_FALSE(surface.CreateRenderTarget(u"Odd", 8, 8, D3DFMT_L8, D3DMULTISAMPLE_NONE, 0));
    EXPECT_TRUE(log.Contains(u"Error/Surface CreateRenderTarget Failed(Name:\"Odd\" Size:8,8 "));
}

TEST_F(TextureTest, SurfacesAcrossDeviceLossAndReset)
{
    adapter.multiSampleQualityWindowed[D3DMULTISAMPLE_2_SAMPLES] = 1;
    adapter.multiSampleQualityFullScreen[D3DMULTISAMPLE_2_SAMPLES] = 1;
    CreateDevice();
    GxSurface multisampled, scratch, system, depth;
    ASSERT_TRUE(multisampled.CreateRenderTarget(u"ms", 32, 16, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_2_SAMPLES, 0));
    ASSERT_TRUE(scratch.CreateScratch(u"scratch", 8, 8, D3DFMT_A8R8G8B8));
    ASSERT_TRUE(system.CreateSystemMemory(u"system", 8, 8, D3DFMT_A8R8G8B8));
    ASSERT_TRUE(depth.CreateDepthStencil(u"depth", 32, 16, D3DFMT_D16, D3DMULTISAMPLE_NONE, 0));
    D3DSURFACE_DESC desc{};
    multisampled.GetSurfacePointer()->GetDesc(&desc);
    EXPECT_EQ(desc.MultiSampleType, D3DMULTISAMPLE_2_SAMPLES);

    IDirect3DSurface9* scratchBefore = scratch.GetSurfacePointer();
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(system.GetSurfacePointer()->LockRect(&locked, nullptr, 0), D3D_OK);
    std::memset(locked.pBits, 0x7F, 4);
    system.GetSurfacePointer()->UnlockRect();

    GetD3DResourceManage().NotifyLostDevice();
    EXPECT_EQ(multisampled.GetSurfacePointer(), nullptr);
    EXPECT_EQ(system.GetSurfacePointer(), nullptr);
    EXPECT_EQ(depth.GetSurfacePointer(), nullptr);
    EXPECT_EQ(scratch.GetSurfacePointer(), scratchBefore);

    ASSERT_TRUE(GxGraphics::ResetDevice(true, SCRMODE_WINDOW, SCRMODE_WINDOW, nullptr));
    ASSERT_NE(multisampled.GetSurfacePointer(), nullptr);
    multisampled.GetSurfacePointer()->GetDesc(&desc);
    EXPECT_EQ(desc.MultiSampleType, D3DMULTISAMPLE_NONE);
    EXPECT_EQ(desc.Width, 32u);
    EXPECT_EQ(desc.Format, D3DFMT_A8R8G8B8);
    EXPECT_EQ(desc.Usage & D3DUSAGE_RENDERTARGET, D3DUSAGE_RENDERTARGET);
    ASSERT_NE(depth.GetSurfacePointer(), nullptr);
    depth.GetSurfacePointer()->GetDesc(&desc);
    EXPECT_EQ(desc.Format, D3DFMT_D16);
    EXPECT_EQ(scratch.GetSurfacePointer(), scratchBefore);
    ASSERT_NE(system.GetSurfacePointer(), nullptr);
    system.GetSurfacePointer()->GetDesc(&desc);
    EXPECT_EQ(desc.Pool, D3DPOOL_SYSTEMMEM);
    ASSERT_EQ(system.GetSurfacePointer()->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    EXPECT_EQ(*static_cast<std::uint32_t*>(locked.pBits), 0u);   // made anew, empty
    system.GetSurfacePointer()->UnlockRect();
    EXPECT_EQ(log.ErrorsAndWarnings(), 0u);
}

TEST_F(TextureTest, SurfaceFromFileAndStretch)
{
    CreateDevice();
    const TestImage image = TestImage::Quadrants(6, 4, 0xFF110000, 0xFF002200, 0xFF000033, 0xFF444444);
    GxSurface picture;
    ASSERT_TRUE(picture.CreateFromFile(WritePng("quad.png", image), D3DFMT_UNKNOWN, 0));
    EXPECT_EQ(picture.GetImageWidth(), 6u);
    EXPECT_EQ(picture.GetWidth(), 6u);
    EXPECT_EQ(picture.GetPool(), D3DPOOL_SCRATCH);
    EXPECT_EQ(picture.GetObjectType(), kObjTypeSurface);
    EXPECT_EQ(picture.GetVideoMemorySize(), 0u);

    GxSurface missing;
    EXPECT_FALSE(missing.CreateFromFile(std::string_view((folder / "missing.png").string()), D3DFMT_UNKNOWN, 0));
    EXPECT_TRUE(missing.IsFailed());
    EXPECT_FALSE(GetD3DResourceManage().IsRegistered(&missing));

    // Stretching needs default-pool surfaces: a cleared render target into a larger one, read
    // back through a PNG file.
    GxSurface target, larger;
    ASSERT_TRUE(target.CreateRenderTarget(u"t", 4, 4, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0));
    ASSERT_TRUE(larger.CreateRenderTarget(u"l", 8, 8, D3DFMT_A8R8G8B8, D3DMULTISAMPLE_NONE, 0));
    IDirect3DDevice9* device = GxGraphics::GetDevice();
    IDirect3DSurface9* backBuffer = nullptr;
    device->GetRenderTarget(0, &backBuffer);
    ASSERT_TRUE(target.SetToRenderTarget(0));
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF5A6B7C, 1.0f, 0);
    device->SetRenderTarget(0, backBuffer);
    backBuffer->Release();
    EXPECT_TRUE(larger.StretchFrom(nullptr, &target, nullptr, D3DTEXF_POINT));
    EXPECT_FALSE(larger.StretchFrom(nullptr, nullptr, nullptr, D3DTEXF_POINT));

    const std::u16string saved = PathOf("larger.png");
    ASSERT_TRUE(larger.SaveToFile(saved.c_str()));
    GxSurface reloaded;
    ASSERT_TRUE(reloaded.CreateFromFile(saved, D3DFMT_A8R8G8B8, 0));
    EXPECT_EQ(reloaded.GetImageWidth(), 8u);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(reloaded.GetSurfacePointer()->LockRect(&locked, nullptr, D3DLOCK_READONLY), D3D_OK);
    const auto* row = static_cast<const std::uint8_t*>(locked.pBits) + 7 * locked.Pitch;
    std::uint32_t corner = 0;
    std::memcpy(&corner, row + 7 * 4, 4);
    EXPECT_EQ(corner, 0xFF5A6B7Cu);
    reloaded.GetSurfacePointer()->UnlockRect();

    IDirect3DSurface9* referenced = nullptr;
    ASSERT_TRUE(reloaded.GetD3DSurface(&referenced));
    EXPECT_EQ(referenced, reloaded.GetSurfacePointer());
    referenced->Release();
}

}  // namespace
}  // namespace texturetest
