// GxTextureMovie: sizes and coordinates, the clear colour, frame delivery and flips, dynamic and
// managed textures across device loss, locks, and the frame lock around the final release.
#include "foundation/mutex.h"
#include "graphics/d3d_resource.h"
#include "graphics/texture_movie.h"
#include "tests/graphics/textures/textures_fixture.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace texturetest {
namespace {

// What the movie renderer does with each frame: under the frame lock, fill the texture not
// shown, then flip.
void DeliverFrame(GxTextureMovie& movie, D3DCOLOR color)
{
    GxMutexScopedLock frame(movie.GetFrameLock());
    IDirect3DTexture9* next = movie.GetNextTexture();
    ASSERT_NE(next, nullptr);
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(next->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (std::uint32_t y = 0; y < movie.GetImageHeight(); ++y) {
        auto* row = static_cast<std::uint8_t*>(locked.pBits) + std::ptrdiff_t(y) * locked.Pitch;
        for (std::uint32_t x = 0; x < movie.GetImageWidth(); ++x) std::memcpy(row + x * 4, &color, 4);
    }
    next->UnlockRect(0);
    movie.AdvanceCachePos();
}

TEST_F(TextureTest, MovieTextureSizesCoordinatesAndVideoMemory)
{
    CreateDevice();
    GxTextureMovie movie;
    ASSERT_TRUE(movie.Create(u"Opening.WMV", 640, 480, D3DFMT_UNKNOWN, 0, false));
    EXPECT_EQ(movie.GetWidth(), 1024u);
    EXPECT_EQ(movie.GetHeight(), 512u);
    EXPECT_EQ(movie.GetImageWidth(), 640u);
    EXPECT_EQ(movie.GetImageHeight(), 480u);
    EXPECT_FLOAT_EQ(movie.GetU(640.0f), 0.625f);
    EXPECT_FLOAT_EQ(movie.GetV(480.0f), 0.9375f);
    EXPECT_EQ(movie.GetFormat(), GxGraphics::GetRenderTargetFormat());
    EXPECT_EQ(movie.GetPool(), D3DPOOL_MANAGED);
    EXPECT_EQ(movie.GetVideoMemorySize(), 4194304u);
    EXPECT_EQ(movie.GetObjectType(), kObjTypeTexture);
    EXPECT_EQ(movie.GetName(), u"opening.wmv");
    EXPECT_EQ(movie.GetRefCount(), 1u);
    EXPECT_TRUE(GetD3DResourceManage().IsRegistered(&movie));
    ASSERT_NE(movie.GetCurrentTexture(), nullptr);
    ASSERT_NE(movie.GetNextTexture(), nullptr);
    EXPECT_NE(movie.GetCurrentTexture(), movie.GetNextTexture());

    EXPECT_EQ(movie.Release(), 0u);
    EXPECT_FALSE(movie.HasCurrentTexture());
    EXPECT_EQ(movie.GetPool(), D3DPOOL_SCRATCH);
    EXPECT_EQ(movie.GetVideoMemorySize(), 0u);
    EXPECT_FALSE(GetD3DResourceManage().IsRegistered(&movie));
}

TEST_F(TextureTest, MovieFramesFlipIntoViewOverTheClearColor)
{
    CreateDevice();
    GxTextureMovie movie;
    ASSERT_TRUE(movie.Create(u"", 8, 4, D3DFMT_A8R8G8B8, 0xFF000000, false));
    IDirect3DTexture9* first = movie.GetCurrentTexture();
    IDirect3DTexture9* second = movie.GetNextTexture();
    EXPECT_EQ(ReadTexel(first, 7, 3), 0xFF000000u);
    EXPECT_EQ(ReadTexel(second, 0, 0), 0xFF000000u);
    EXPECT_FALSE(movie.IsCurrentFlagged());

    DeliverFrame(movie, 0xFFAA0000);
    EXPECT_EQ(movie.GetCurrentTexture(), second);
    EXPECT_EQ(ReadTexel(movie.GetCurrentTexture(), 4, 2), 0xFFAA0000u);
    EXPECT_EQ(ReadTexel(movie.GetNextTexture(), 4, 2), 0xFF000000u);
    EXPECT_FALSE(movie.IsCurrentFlagged());

    DeliverFrame(movie, 0xFF00BB00);
    EXPECT_EQ(movie.GetCurrentTexture(), first);
    EXPECT_TRUE(movie.IsCurrentFlagged());
    EXPECT_EQ(ReadTexel(movie.GetCurrentTexture(), 0, 0), 0xFF00BB00u);

    EXPECT_EQ(movie.AdvanceCachePos(), 0u);
    EXPECT_EQ(movie.AdvanceCachePos(), 1u);
    EXPECT_EQ(movie.GetCurrentTexture(), first);

    IDirect3DTexture9* shown = nullptr;
    ASSERT_TRUE(movie.GetD3DTexture(&shown));
    EXPECT_EQ(shown, first);
    shown->Release();
    IDirect3DSurface9* surface = nullptr;
    ASSERT_TRUE(movie.GetSurface(&surface));
    surface->Release();
}

TEST_F(TextureTest, MovieLocksAndFills)
{
    CreateDevice();
    GxTextureMovie movie;
    ASSERT_TRUE(movie.Create(u"locks", 4, 4, D3DFMT_A4R4G4B4, 0, false));
    EXPECT_TRUE(movie.Fill(1, 0xFF112233));
    EXPECT_EQ(ReadTexel(movie.GetNextTexture(), 3, 3), 0xF123u);
    EXPECT_FALSE(movie.Fill(2, 0));
    EXPECT_FALSE(movie.LockRect(2, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, false));

    void* bits = nullptr;
    std::uint32_t width = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    const RECT part{1, 0, 4, 2};
    ASSERT_TRUE(movie.LockRect(0, &part, &bits, nullptr, &width, nullptr, &format, true));
    EXPECT_EQ(width, 3u);
    EXPECT_EQ(format, D3DFMT_A4R4G4B4);
    EXPECT_FALSE(movie.LockRect(1, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, false));
    EXPECT_EQ(log.LevelOf(u"Error/Texture LockRect Failed(Name:\"locks\" Size:4,4 Texture Already Locked)"),
              GxDebugListenerBase::kLevelError);
    EXPECT_TRUE(movie.UnlockRect(0));
    EXPECT_FALSE(movie.UnlockRect(0));
}

TEST_F(TextureTest, DynamicMovieTexturesAreRemadeAtResetAndManagedOnesSurvive)
{
    for (const bool dynamicCaps : {true, false}) {
        SCOPED_TRACE(dynamicCaps ? "dynamic textures" : "no dynamic textures");
        adapter = platform::d3d9::DefaultVirtualAdapter();
        if (!dynamicCaps) adapter.caps.Caps2 &= ~DWORD(D3DCAPS2_DYNAMICTEXTURES);
        CreateDevice();
        GxTextureMovie movie;
        ASSERT_TRUE(movie.Create(u"", 16, 16, D3DFMT_A8R8G8B8, 0xFF000000, true));
        EXPECT_EQ(movie.GetPool(), dynamicCaps ? D3DPOOL_DEFAULT : D3DPOOL_MANAGED);
        DeliverFrame(movie, 0xFF808080);
        IDirect3DTexture9* shown = movie.GetCurrentTexture();

        GetD3DResourceManage().NotifyLostDevice();
        EXPECT_EQ(movie.HasCurrentTexture(), !dynamicCaps);
        EXPECT_EQ(movie.GetNextTexture() != nullptr, !dynamicCaps);

        ASSERT_TRUE(GxGraphics::ResetDevice(true, SCRMODE_WINDOW, SCRMODE_WINDOW, nullptr));
        ASSERT_TRUE(movie.HasCurrentTexture());
        if (dynamicCaps) {
            // Made anew and cleared: the shown frame is gone until the next one.
            EXPECT_EQ(ReadTexel(movie.GetCurrentTexture(), 5, 5), 0xFF000000u);
            EXPECT_EQ(ReadTexel(movie.GetNextTexture(), 5, 5), 0xFF000000u);
            EXPECT_FALSE(movie.IsCurrentFlagged());
        } else {
            EXPECT_EQ(movie.GetCurrentTexture(), shown);
            EXPECT_EQ(ReadTexel(movie.GetCurrentTexture(), 5, 5), 0xFF808080u);
        }
        EXPECT_EQ(movie.GetVideoMemorySize(), 16u * 16 * 4 * 2);
        movie.ReleaseAll();
        GxGraphics::Release();
    }
    EXPECT_EQ(log.ErrorsAndWarnings(), 0u);
}

TEST_F(TextureTest, MovieCreateFailureIsLogged)
{
    CreateDevice();
    GxTextureMovie movie;
    EXPECT_FALSE(movie.Create(u"Big", 0x40000000, 0x40000000, D3DFMT_A8R8G8B8, 0, false));
    EXPECT_TRUE(log.Contains(
        u"Error/GxTextureMovie::Create Failed(Type:Texture Name:\"big\" Size:1073741824,1073741824 CachePos:0 "));
    EXPECT_FALSE(movie.HasCurrentTexture());
    EXPECT_FALSE(GetD3DResourceManage().IsRegistered(&movie));
    EXPECT_EQ(movie.GetVideoMemorySize(), 0u);
}

// The renderer holds the frame lock while it copies into the textures; the last release must
// wait for it instead of freeing them under the copy.
TEST_F(TextureTest, MovieFinalReleaseWaitsForTheFrameLock)
{
    CreateDevice();
    GxTextureMovie movie;
    ASSERT_TRUE(movie.Create(u"", 8, 8, D3DFMT_A8R8G8B8, 0xFF000000, false));
    std::atomic<bool> released{false};
    std::thread releaser;
    {
        GxMutexScopedLock frame(movie.GetFrameLock());
        releaser = std::thread([&] {
            movie.Release();
            released = true;
        });
        for (int i = 0; i < 50 && !released; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        EXPECT_FALSE(released);
        // The frame copy goes on under the lock (an assertion here would leave the thread behind).
        IDirect3DTexture9* next = movie.GetNextTexture();
        EXPECT_NE(next, nullptr);
        D3DLOCKED_RECT locked{};
        if (next && SUCCEEDED(next->LockRect(0, &locked, nullptr, 0))) {
            std::memset(locked.pBits, 0x55, 8 * 4);
            next->UnlockRect(0);
        }
        movie.AdvanceCachePos();
    }
    releaser.join();
    EXPECT_TRUE(released);
    EXPECT_FALSE(movie.HasCurrentTexture());
    EXPECT_FALSE(GetD3DResourceManage().IsRegistered(&movie));
}

}  // namespace
}  // namespace texturetest
