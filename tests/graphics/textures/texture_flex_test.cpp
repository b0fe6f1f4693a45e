// GxTextureFlex: the tile grid, where image pixels land in the tiles, video memory, failures,
// release and the loader-thread load.
#include "foundation/async_job.h"
#include "graphics/d3d_resource.h"
#include "graphics/texture_flex.h"
#include "tests/graphics/textures/textures_fixture.h"

namespace texturetest {
namespace {

std::uint32_t Landmark(std::uint32_t x, std::uint32_t y)
{
    return 0xFF000000u | (x & 0xFF) << 16 | (y & 0xFF) << 8 | (x >> 8) << 4 | (y >> 8);
}

TEST_F(TextureTest, FlexGridCoversTheImageIn128PixelTiles)
{
    CreateDevice();
    struct Case {
        std::uint32_t width, height, columns, rows;
    };
    const Case cases[] = {{1280, 720, 10, 6}, {128, 128, 1, 1}, {129, 1, 2, 1}, {1, 300, 1, 3}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        GxTextureFlex flex;
        ASSERT_TRUE(flex.CreateTexture(u"Grid", c.width, c.height, D3DFMT_UNKNOWN));
        EXPECT_EQ(flex.GetColumns(), c.columns);
        EXPECT_EQ(flex.GetRows(), c.rows);
        EXPECT_EQ(flex.GetWidth(), c.width);
        EXPECT_EQ(flex.GetImageHeight(), c.height);
        EXPECT_EQ(flex.GetTileWidth(), 128u);
        EXPECT_EQ(flex.GetTileHeight(), 128u);
        EXPECT_EQ(flex.GetFormat(), GxGraphics::GetTextureFormat());
        EXPECT_EQ(flex.GetPool(), D3DPOOL_MANAGED);
        EXPECT_EQ(flex.GetObjectType(), kObjTypeFlexTexture);
        EXPECT_EQ(flex.GetName(), u"grid");
        EXPECT_FALSE(flex.IsLocked());
        ASSERT_TRUE(flex.HasTiles());
        for (std::uint32_t i = 0; i < c.columns * c.rows; ++i) {
            D3DSURFACE_DESC desc{};
            ASSERT_EQ(flex.GetTiles()[i]->GetLevelDesc(0, &desc), D3D_OK);
            EXPECT_EQ(desc.Width, 128u);
            EXPECT_EQ(desc.Height, 128u);
        }
        EXPECT_EQ(flex.GetVideoMemorySize(), 4u * 128 * 128 * c.columns * c.rows);
    }
}

TEST_F(TextureTest, FlexFromFileFillsEachTileFromItsPartOfTheImage)
{
    CreateDevice();
    const TestImage image = TestImage::Make(1280, 720, Landmark);
    GxTextureFlex flex;
    ASSERT_TRUE(flex.CreateFromFile(WritePng("wide.png", image), D3DFMT_A8R8G8B8, 0));
    ASSERT_EQ(flex.GetColumns(), 10u);
    ASSERT_EQ(flex.GetRows(), 6u);
    EXPECT_EQ(flex.GetVideoMemorySize(), 3932160u);
    EXPECT_EQ(flex.GetRefCount(), 1u);
    EXPECT_TRUE(GetD3DResourceManage().IsRegistered(&flex));

    IDirect3DTexture9* const* tiles = flex.GetTiles();
    auto tile = [&](std::uint32_t column, std::uint32_t row) { return tiles[row * 10 + column]; };
    EXPECT_EQ(ReadTexel(tile(0, 0), 0, 0), image.At(0, 0));
    EXPECT_EQ(ReadTexel(tile(3, 2), 5, 6), image.At(3 * 128 + 5, 2 * 128 + 6));
    EXPECT_EQ(ReadTexel(tile(9, 4), 127, 127), image.At(1279, 639));
    // The bottom row receives 80 rows of pixels; the rest of its tiles stays as created.
    EXPECT_EQ(ReadTexel(tile(9, 5), 127, 79), image.At(1279, 719));
    EXPECT_EQ(ReadTexel(tile(0, 5), 0, 79), image.At(0, 719));
    EXPECT_EQ(ReadTexel(tile(9, 5), 0, 80), 0u);
    EXPECT_EQ(ReadTexel(tile(4, 5), 64, 127), 0u);
}

TEST_F(TextureTest, FlexPartialLastColumnAndColorKey)
{
    CreateDevice();
    const TestImage image = TestImage::Make(129, 1, [](std::uint32_t x, std::uint32_t) {
        return x == 128 ? 0xFF00FF00u : 0xFFFF00FFu;
    });
    GxTextureFlex flex;
    ASSERT_TRUE(flex.CreateFromFile(WritePng("strip.png", image), D3DFMT_A8R8G8B8, 0xFFFF00FF));
    EXPECT_EQ(flex.GetColorKey(), 0xFFFF00FFu);
    ASSERT_EQ(flex.GetColumns(), 2u);
    EXPECT_EQ(ReadTexel(flex.GetTiles()[0], 5, 0), 0u);   // keyed out
    EXPECT_EQ(ReadTexel(flex.GetTiles()[1], 0, 0), 0xFF00FF00u);
    EXPECT_EQ(ReadTexel(flex.GetTiles()[1], 1, 0), 0u);
}

TEST_F(TextureTest, FlexFailuresAndRelease)
{
    CreateDevice();
    GxTextureFlex flex;
    EXPECT_FALSE(flex.CreateFromFile(PathOf("missing.png"), D3DFMT_UNKNOWN, 0));
    EXPECT_TRUE(flex.IsFailed());
    EXPECT_FALSE(flex.HasTiles());
    EXPECT_FALSE(GetD3DResourceManage().IsRegistered(&flex));
    EXPECT_TRUE(log.Contains(u"Error/GetInfoFromFile Open error"));

    // More tiles than the video-memory sums can count.
    EXPECT_FALSE(flex.CreateTexture(u"Vast", 100000, 100000, D3DFMT_A8R8G8B8));
    EXPECT_TRUE(log.Contains(u"Error/FlexTexture CreateTexture Failed(Name:\"Vast\" Size:100000,100000 "));
    EXPECT_FALSE(flex.HasTiles());
    EXPECT_EQ(flex.GetColumns(), 0u);
    EXPECT_EQ(flex.GetVideoMemorySize(), 0u);

    ASSERT_TRUE(flex.CreateTexture(u"Kept", 200, 100, D3DFMT_A8R8G8B8));
    flex.AddRef();
    EXPECT_EQ(flex.Release(), 1u);
    EXPECT_TRUE(flex.HasTiles());
    EXPECT_EQ(flex.Release(), 0u);
    EXPECT_FALSE(flex.HasTiles());
    EXPECT_EQ(flex.GetTiles(), nullptr);
    EXPECT_EQ(flex.GetColumns(), 0u);
    EXPECT_EQ(flex.GetTileWidth(), 0u);
    EXPECT_EQ(flex.GetPool(), D3DPOOL_SCRATCH);
    EXPECT_EQ(flex.GetObjectType(), kObjTypeNone);
    EXPECT_TRUE(flex.GetName().empty());
    EXPECT_FALSE(GetD3DResourceManage().IsRegistered(&flex));
    EXPECT_EQ(flex.Release(), 0u);

    // Device loss leaves managed tiles alone.
    ASSERT_TRUE(flex.CreateTexture(u"Kept", 200, 100, D3DFMT_A8R8G8B8));
    IDirect3DTexture9* first = flex.GetTiles()[0];
    ASSERT_TRUE(GxGraphics::ResetDevice(true, SCRMODE_WINDOW, SCRMODE_WINDOW, nullptr));
    EXPECT_EQ(flex.GetTiles()[0], first);
}

TEST_F(TextureTest, PreparedFlexTextureLoadsOnALoaderThread)
{
    CreateDevice();
    const std::u16string path = WritePng("later.png", TestImage::Solid(300, 20, 0xFF123456));
    GxTextureFlex flex;
    flex.PrepareAsyncLoad(path, D3DFMT_A8R8G8B8, 0);
    EXPECT_TRUE(flex.HasName());
    EXPECT_FALSE(flex.HasTiles());
    GxAsyncJobManage pool;
    pool.CreateThread(1);
    ASSERT_TRUE(pool.AddJob(&flex));
    pool.AsyncWaitAll();
    pool.AsyncShutdown();
    EXPECT_TRUE(flex.IsCompleted());
    EXPECT_FALSE(flex.IsJobInFlight());
    EXPECT_FALSE(flex.IsFailed());
    EXPECT_EQ(flex.GetRefCount(), 1u);
    ASSERT_EQ(flex.GetColumns(), 3u);
    EXPECT_EQ(ReadTexel(flex.GetTiles()[2], 43, 19), 0xFF123456u);
}

}  // namespace
}  // namespace texturetest
