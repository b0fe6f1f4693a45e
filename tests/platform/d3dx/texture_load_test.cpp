// Textures and surfaces from image files: placement, resampling, colour key, format
// conversion, mip chains, sizes, and surface-to-surface copies.
#include "tests/platform/d3dx/d3dx_fixture.h"

#include <cstring>

namespace {

std::uint32_t Gradient(std::uint32_t x, std::uint32_t y)
{
    return 0xFF000000u | ((x & 0xFF) << 16) | ((y & 0xFF) << 8) | ((x + y) & 0xFF);
}

struct TextureRef {
    IDirect3DTexture9* texture = nullptr;
    ~TextureRef()
    {
        if (texture) texture->Release();
    }
};

}  // namespace

TEST_F(D3dxTest, UnfilteredImageSitsTopLeftWithTransparentPadding)
{
    const TestImage image = TestImage::Make(300, 200, Gradient);
    const ImageBytes png = BuildPng(PngSpecRgb8(image));
    TextureRef ref;
    D3DXIMAGE_INFO info{};
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(m_Device, png.data(), UINT(png.size()), 512, 256, 1, 0,
                                                  D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_DEFAULT, 0,
                                                  &info, nullptr, &ref.texture),
              D3D_OK);
    EXPECT_EQ(info.Width, 300u);
    EXPECT_EQ(info.Height, 200u);
    const TestImage level = ReadLevel(ref.texture);
    ASSERT_EQ(level.width, 512u);
    ASSERT_EQ(level.height, 256u);
    for (std::uint32_t y = 0; y < 256; ++y)
        for (std::uint32_t x = 0; x < 512; ++x) {
            const std::uint32_t expected = (x < 300 && y < 200) ? image.At(x, y) : 0u;
            ASSERT_EQ(level.At(x, y), expected) << x << "," << y;
        }
}

TEST_F(D3dxTest, TriangleFilterFillsTheWholeTexture)
{
    const TestImage image = TestImage::Quadrants(300, 200, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x80FFFFFF);
    const ImageBytes png = BuildPng(PngSpecRgba8(image));
    TextureRef ref;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(m_Device, png.data(), UINT(png.size()), 512, 256, 1, 0,
                                                  D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_TRIANGLE, D3DX_DEFAULT,
                                                  0, nullptr, nullptr, &ref.texture),
              D3D_OK);
    const TestImage level = ReadLevel(ref.texture);
    // Each quadrant is stretched over a quarter of the texture; the corners keep their colour.
    EXPECT_EQ(level.At(0, 0), 0xFFFF0000u);
    EXPECT_EQ(level.At(128, 64), 0xFFFF0000u);
    EXPECT_EQ(level.At(511, 0), 0xFF00FF00u);
    EXPECT_EQ(level.At(0, 255), 0xFF0000FFu);
    EXPECT_EQ(level.At(384, 192), 0x80FFFFFFu);
    EXPECT_EQ(level.At(511, 255), 0x80FFFFFFu);
    for (std::uint32_t p : level.argb) ASSERT_NE(p >> 24, 0u) << "no transparent padding anywhere";
    // The seam between quadrants is blended, not copied.
    const std::uint32_t seam = level.At(255, 64);
    EXPECT_NE(seam, 0xFFFF0000u);
    EXPECT_NE(seam, 0xFF00FF00u);
}

TEST_F(D3dxTest, SizeFromTheFileAndMipChainByBox)
{
    // Width and height 0 take the image's size raised to powers of two.
    const ImageBytes png = BuildPng(PngSpecRgba8(TestImage::Solid(300, 200, 0xFF102030)));
    {
        TextureRef ref;
        ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(m_Device, png.data(), UINT(png.size()), 0, 0, 1, 0,
                                                      D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_DEFAULT,
                                                      0, nullptr, nullptr, &ref.texture),
                  D3D_OK);
        D3DSURFACE_DESC desc{};
        ref.texture->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Width, 512u);
        EXPECT_EQ(desc.Height, 256u);
    }
    // Levels 0: the full chain, each level the rounded mean of the four texels above it.
    const TestImage image{4, 2, {0xFF000000, 0xFF0000FF, 0x00FF0000, 0x10FF0000,
                                 0xFF000001, 0xFF000002, 0x20FF0000, 0x00FF0000}};
    const ImageBytes small = BuildPng(PngSpecRgba8(image));
    TextureRef ref;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(m_Device, small.data(), UINT(small.size()), 4, 2, 0, 0,
                                                  D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_DEFAULT, 0,
                                                  nullptr, nullptr, &ref.texture),
              D3D_OK);
    ASSERT_EQ(ref.texture->GetLevelCount(), 3u);
    const TestImage level1 = ReadLevel(ref.texture, 1);
    ASSERT_EQ(level1.width, 2u);
    ASSERT_EQ(level1.height, 1u);
    // Blue (0 + 0xFF + 1 + 2) / 4 rounds to 0x41; alpha (0 + 0x10 + 0x20 + 0) / 4 is 0x0C.
    EXPECT_EQ(level1.At(0, 0), 0xFF000041u);
    EXPECT_EQ(level1.At(1, 0), 0x0CFF0000u);
    const TestImage level2 = ReadLevel(ref.texture, 2);
    EXPECT_EQ(level2.At(0, 0), 0x86800021u);
}

TEST_F(D3dxTest, ColorKeyAndFormatConversion)
{
    const TestImage image{3, 1, {0xFF00FF00, 0xFF8F7E6D, 0xFE00FF00}};
    const ImageBytes png = BuildPng(PngSpecRgba8(image));
    struct Case {
        D3DFORMAT format;
        std::vector<std::uint32_t> expected;   // after nibble doubling for 16-bit formats
        std::uint32_t rgbMask;
    };
    const std::vector<Case> cases = {
        // Only the exact key goes: 0xFE00FF00 differs in alpha and stays.
        {D3DFMT_A8R8G8B8, {0x00000000, 0xFF8F7E6D, 0xFE00FF00}, 0xFFFFFFFF},
        {D3DFMT_X8R8G8B8, {0x00000000, 0x008F7E6D, 0x0000FF00}, 0x00FFFFFF},
        // Four bits by truncation: 0x8F -> 0x8, 0x7E -> 0x7, 0x6D -> 0x6; 0xFE -> 0xF.
        {D3DFMT_A4R4G4B4, {0x00000000, 0xFF887766, 0xFF00FF00}, 0xFFFFFFFF},
        {D3DFMT_X4R4G4B4, {0x00000000, 0x00887766, 0x0000FF00}, 0x00FFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<unsigned>(c.format));
        TextureRef ref;
        ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(m_Device, png.data(), UINT(png.size()), 4, 1, 1, 0, c.format,
                                                      D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_DEFAULT, 0xFF00FF00,
                                                      nullptr, nullptr, &ref.texture),
                  D3D_OK);
        const TestImage level = ReadLevel(ref.texture);
        for (std::size_t i = 0; i < c.expected.size(); ++i)
            EXPECT_EQ(level.argb[i] & c.rgbMask, c.expected[i]) << i;
    }
    // The scratch-surface path keys the same way.
    TestImage pixels;
    ASSERT_EQ(LoadFile(png, pixels, 0xFF00FF00), D3D_OK);
    EXPECT_EQ(pixels.argb, (std::vector<std::uint32_t>{0x00000000, 0xFF8F7E6D, 0xFE00FF00}));
}

TEST_F(D3dxTest, CreateTextureKeepsSizesAndCountsLevels)
{
    struct Case {
        UINT width, height, levels;
        DWORD usage;
        D3DPOOL pool;
        UINT expectedLevels;
    };
    for (const Case& c : {Case{256, 64, 0, 0, D3DPOOL_MANAGED, 9}, Case{256, 64, 1, 0, D3DPOOL_MANAGED, 1},
                          Case{128, 128, 1, D3DUSAGE_RENDERTARGET, D3DPOOL_DEFAULT, 1},
                          Case{64, 32, 0, 0, D3DPOOL_SYSTEMMEM, 7}}) {
        TextureRef ref;
        ASSERT_EQ(D3DXCreateTexture(m_Device, c.width, c.height, c.levels, c.usage, D3DFMT_A8R8G8B8, c.pool,
                                    &ref.texture),
                  D3D_OK);
        D3DSURFACE_DESC desc{};
        ref.texture->GetLevelDesc(0, &desc);
        EXPECT_EQ(desc.Width, c.width);
        EXPECT_EQ(desc.Height, c.height);
        EXPECT_EQ(desc.Pool, c.pool);
        EXPECT_EQ(ref.texture->GetLevelCount(), c.expectedLevels);
    }
    IDirect3DTexture9* texture = reinterpret_cast<IDirect3DTexture9*>(0x1);
    EXPECT_EQ(D3DXCreateTexture(nullptr, 4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture), D3DERR_INVALIDCALL);
    EXPECT_EQ(texture, nullptr);
}

TEST_F(D3dxTest, DefaultPoolTextureIsFilledThroughSystemMemory)
{
    const TestImage image = TestImage::Make(8, 8, Gradient);
    const ImageBytes png = BuildPng(PngSpecRgba8(image));
    TextureRef ref;
    ASSERT_EQ(D3DXCreateTextureFromFileInMemoryEx(m_Device, png.data(), UINT(png.size()), 8, 8, 1,
                                                  D3DUSAGE_RENDERTARGET, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT,
                                                  D3DX_FILTER_NONE, D3DX_DEFAULT, 0, nullptr, nullptr, &ref.texture),
              D3D_OK);
    // A render target cannot be locked: read it back through system memory.
    IDirect3DSurface9* level = nullptr;
    ASSERT_EQ(ref.texture->GetSurfaceLevel(0, &level), D3D_OK);
    IDirect3DSurface9* copy = nullptr;
    ASSERT_EQ(m_Device->CreateOffscreenPlainSurface(8, 8, D3DFMT_A8R8G8B8, D3DPOOL_SYSTEMMEM, &copy, nullptr), D3D_OK);
    ASSERT_EQ(m_Device->GetRenderTargetData(level, copy), D3D_OK);
    EXPECT_EQ(ReadSurface(copy).argb, image.argb);
    copy->Release();
    level->Release();
}

TEST_F(D3dxTest, SurfaceToSurfaceCopiesRectanglesWithConversion)
{
    IDirect3DSurface9* source = MakeSurface(8, 8, D3DFMT_A8R8G8B8);
    const TestImage image = TestImage::Make(8, 8, Gradient);
    {
        D3DLOCKED_RECT locked{};
        ASSERT_EQ(source->LockRect(&locked, nullptr, 0), D3D_OK);
        for (std::uint32_t y = 0; y < 8; ++y)
            std::memcpy(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch, &image.argb[y * 8], 32);
        source->UnlockRect();
    }
    // A 3x2 tile from (2,1) into the middle of a 16-bit surface.
    IDirect3DSurface9* tile = MakeSurface(5, 4, D3DFMT_A4R4G4B4);
    const RECT from{2, 1, 5, 3}, to{1, 1, 4, 3};
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(tile, nullptr, &to, source, nullptr, &from, D3DX_FILTER_NONE, 0), D3D_OK);
    const TestImage result = ReadSurface(tile);
    for (std::uint32_t y = 0; y < 4; ++y)
        for (std::uint32_t x = 0; x < 5; ++x) {
            std::uint32_t expected = 0;
            if (x >= 1 && x < 4 && y >= 1 && y < 3) {
                const std::uint32_t p = image.At(x + 1, y);
                for (int shift = 0; shift < 32; shift += 8) expected |= (((p >> shift) & 0xF0) >> 4) * 17 << shift;
            }
            EXPECT_EQ(result.At(x, y), expected) << x << "," << y;
        }

    // The same surface as source and destination, the areas overlapping.
    const RECT first{0, 0, 4, 4}, shifted{2, 2, 6, 6};
    ASSERT_EQ(D3DXLoadSurfaceFromSurface(source, nullptr, &shifted, source, nullptr, &first, D3DX_FILTER_NONE, 0),
              D3D_OK);
    const TestImage moved = ReadSurface(source);
    for (std::uint32_t y = 0; y < 4; ++y)
        for (std::uint32_t x = 0; x < 4; ++x) EXPECT_EQ(moved.At(x + 2, y + 2), image.At(x, y)) << x << "," << y;

    const RECT outside{6, 6, 9, 9};
    EXPECT_EQ(D3DXLoadSurfaceFromSurface(tile, nullptr, nullptr, source, nullptr, &outside, D3DX_FILTER_NONE, 0),
              D3DERR_INVALIDCALL);
    tile->Release();
    source->Release();
}
