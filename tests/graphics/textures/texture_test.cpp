// GxTexture: creation sizes, video memory and release, locks, the pixel operations over the
// 32-bit and 16-bit formats (managed and render-target textures), copies with clipping, image
// files, blended PNG stacks, module resources, device loss, saving and the loader-thread load.
#include "foundation/async_job.h"
#include "foundation/bin_buffer.h"
#include "foundation/file.h"
#include "graphics/d3d_resource.h"
#include "graphics/png_image.h"
#include "graphics/texture.h"
#include "tests/graphics/textures/textures_fixture.h"

#include <climits>
#include <functional>

namespace texturetest {
namespace {

std::uint16_t To4444(std::uint32_t color)
{
    return static_cast<std::uint16_t>(((color >> 16) & 0xF000) | ((color >> 12) & 0x0F00) | ((color >> 8) & 0x00F0) |
                                      ((color >> 4) & 0x000F));
}

// Writes every pixel of level 0 through the texture's own lock (16-bit formats converted).
void WritePixels(GxTexture& texture, const std::function<std::uint32_t(std::uint32_t, std::uint32_t)>& pixel)
{
    void* bits = nullptr;
    std::int32_t pitch = 0;
    std::uint32_t width = 0, height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    ASSERT_TRUE(texture.LockRect(nullptr, &bits, &pitch, &width, &height, &format, false));
    const bool narrow = format == D3DFMT_A4R4G4B4 || format == D3DFMT_X4R4G4B4;
    for (std::uint32_t y = 0; y < height; ++y) {
        auto* row = static_cast<std::uint8_t*>(bits) + std::ptrdiff_t(y) * pitch;
        for (std::uint32_t x = 0; x < width; ++x) {
            const std::uint32_t value = pixel(x, y);
            if (narrow) {
                const std::uint16_t packed = To4444(value);
                std::memcpy(row + x * 2, &packed, 2);
            } else {
                std::memcpy(row + x * 4, &value, 4);
            }
        }
    }
    texture.UnlockRect();
    texture.UpdateTexture();
}

// Every pixel through GetPixel, row by row.
std::vector<std::uint32_t> AllPixels(GxTexture& texture)
{
    std::vector<std::uint32_t> pixels;
    for (std::uint32_t y = 0; y < texture.GetHeight(); ++y)
        for (std::uint32_t x = 0; x < texture.GetWidth(); ++x) pixels.push_back(texture.GetPixel(x, y));
    return pixels;
}

// Channels whose two nibbles are equal survive the 16-bit formats unchanged.
std::uint32_t Pattern(std::uint32_t x, std::uint32_t y)
{
    return 0xFF000000u | ((x & 0xF) * 0x11u) << 16 | ((y & 0xF) * 0x11u) << 8 | 0x77u;
}

// ---- sizes, memory, release ----------------------------------------------------------------

TEST_F(TextureTest, CreationRaisesSizesToPowersOfTwoAndKeepsTheSizeAskedFor)
{
    enum Square { kNone, kSetting, kCaps };
    struct Case {
        std::uint32_t width, height;
        Square square;
        std::uint32_t createdWidth, createdHeight;
    };
    const Case cases[] = {
        {300, 200, kNone, 512, 256}, {300, 200, kSetting, 512, 512}, {300, 200, kCaps, 512, 512},
        {0, 1, kNone, 1, 1},         {1, 1, kNone, 1, 1},            {256, 256, kNone, 256, 256},
        {257, 3, kNone, 512, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << " square " << c.square);
        adapter = platform::d3d9::DefaultVirtualAdapter();
        if (c.square == kCaps) adapter.caps.TextureCaps |= D3DPTEXTURECAPS_SQUAREONLY;
        GxGraphics::GetDisplaySettings().ForceSquareTexture = c.square == kSetting;
        CreateDevice();
        GxTexture texture;
        ASSERT_TRUE(texture.CreateTexture(u"Sized", c.width, c.height, D3DFMT_A8R8G8B8, 1));
        EXPECT_EQ(texture.GetImageWidth(), c.width);
        EXPECT_EQ(texture.GetImageHeight(), c.height);
        EXPECT_EQ(texture.GetWidth(), c.createdWidth);
        EXPECT_EQ(texture.GetHeight(), c.createdHeight);
        texture.ReleaseAll();
        GxGraphics::Release();
    }
}

TEST_F(TextureTest, CoordinatesArePixelsOverTheCreatedSize)
{
    CreateDevice();
    GxTexture texture;
    ASSERT_TRUE(texture.CreateTexture(u"uv", 300, 200, D3DFMT_UNKNOWN, 1));
    EXPECT_FLOAT_EQ(texture.GetU(300.0f), 300.0f / 512.0f);
    EXPECT_FLOAT_EQ(texture.GetV(200.0f), 200.0f / 256.0f);
    EXPECT_EQ(texture.GetFormat(), GxGraphics::GetTextureFormat());   // format 0: the device's
    EXPECT_EQ(texture.GetPool(), D3DPOOL_MANAGED);
}

TEST_F(TextureTest, VideoMemoryCountsMipChainsAndNotTheMemoryTwin)
{
    CreateDevice();
    GxTexture mipmapped, target, buffered;
    ASSERT_TRUE(mipmapped.CreateTexture(u"Mip", 256, 256, D3DFMT_A8R8G8B8, 0));
    ASSERT_TRUE(target.CreateRenderTarget(u"Target", 256, 256, D3DFMT_A8R8G8B8));
    ASSERT_TRUE(buffered.CreateBufferedTexture(u"Buffered", 256, 256, D3DFMT_A8R8G8B8));
    EXPECT_EQ(mipmapped.GetVideoMemorySize(), 393216u);
    EXPECT_EQ(target.GetVideoMemorySize(), 262144u);
    EXPECT_EQ(buffered.GetVideoMemorySize(), 262144u);
    EXPECT_EQ(mipmapped.GetObjectType(), kObjTypeTexture);
    EXPECT_EQ(target.GetObjectType(), kObjTypeRenderTarget);
    EXPECT_EQ(target.GetPool(), D3DPOOL_DEFAULT);
    EXPECT_EQ(buffered.GetObjectType(), kObjTypeBufferedTexture);
    EXPECT_EQ(buffered.GetMipLevels(), 1u);
}

TEST_F(TextureTest, LastReleaseEmptiesAndUnregistersAndReleaseAtZeroDoesNothing)
{
    CreateDevice();
    GxTexture texture;
    ASSERT_TRUE(texture.CreateTexture(u"Some/Name.PNG", 16, 16, D3DFMT_A8R8G8B8, 1));
    EXPECT_EQ(texture.GetName(), u"some/name.png");
    EXPECT_TRUE(GetD3DResourceManage().IsRegistered(&texture));
    EXPECT_EQ(texture.GetRefCount(), 1u);
    EXPECT_EQ(texture.AddRef(), 2u);
    EXPECT_EQ(texture.Release(), 1u);
    EXPECT_TRUE(texture.HasTexture());
    EXPECT_EQ(texture.Release(), 0u);
    EXPECT_FALSE(texture.HasTexture());
    EXPECT_FALSE(GetD3DResourceManage().IsRegistered(&texture));
    EXPECT_TRUE(texture.GetName().empty());
    EXPECT_EQ(texture.GetObjectType(), kObjTypeNone);
    EXPECT_EQ(texture.GetPool(), D3DPOOL_SCRATCH);
    EXPECT_EQ(texture.GetVideoMemorySize(), 0u);
    EXPECT_EQ(texture.Release(), 0u);
    // The emptied object can be created again.
    EXPECT_TRUE(texture.CreateTexture(u"again", 8, 8, D3DFMT_A8R8G8B8, 1));
}

TEST_F(TextureTest, CreationWithoutDeviceFailsQuietly)
{
    LogSetSink(&log);
    GxTexture texture;
    EXPECT_FALSE(texture.CreateTexture(u"none", 8, 8, D3DFMT_A8R8G8B8, 1));
    EXPECT_TRUE(texture.IsFailed());
    EXPECT_FALSE(texture.CreateFromFile(PathOf("none.png"), D3DFMT_UNKNOWN, 1, 0, true));
    EXPECT_EQ(log.ErrorsAndWarnings(), 0u);
}

// ---- locks ---------------------------------------------------------------------------------

TEST_F(TextureTest, SecondLockIsRefusedAndTheFirstStaysUsable)
{
    CreateDevice();
    GxTexture texture;
    ASSERT_TRUE(texture.CreateTexture(u"Locked", 4, 4, D3DFMT_A8R8G8B8, 1));
    EXPECT_FALSE(texture.UnlockRect());

    void* bits = nullptr;
    std::int32_t pitch = 0;
    std::uint32_t width = 0, height = 0;
    const RECT part{1, 1, 3, 4};
    ASSERT_TRUE(texture.LockRect(&part, &bits, &pitch, &width, &height, nullptr, false));
    EXPECT_TRUE(texture.IsLocked());
    EXPECT_EQ(width, 2u);
    EXPECT_EQ(height, 3u);

    void* second = nullptr;
    EXPECT_FALSE(texture.LockRect(nullptr, &second, nullptr, nullptr, nullptr, nullptr, true));
    EXPECT_EQ(log.LevelOf(u"Error/Texture LockRect Failed(Name:\"locked\" Size:4,4 Texture Already Locked)"),
              GxDebugListenerBase::kLevelWarning);

    const std::uint32_t value = 0xFFABCDEF;
    std::memcpy(bits, &value, 4);   // pixel (1, 1) through the first lock
    EXPECT_TRUE(texture.UnlockRect());
    EXPECT_FALSE(texture.IsLocked());
    EXPECT_EQ(texture.GetPixel(1, 1), value);
}

TEST_F(TextureTest, GetPixelOutsideTheTextureIsZeroWithoutMessage)
{
    CreateDevice();
    GxTexture texture;
    ASSERT_TRUE(texture.CreateTexture(u"px", 4, 4, D3DFMT_A8R8G8B8, 1));
    ASSERT_TRUE(texture.Fill(0xFFFFFFFF));
    EXPECT_EQ(texture.GetPixel(3, 3), 0xFFFFFFFFu);
    EXPECT_EQ(texture.GetPixel(4, 0), 0u);
    EXPECT_EQ(texture.GetPixel(0, 4), 0u);
    EXPECT_EQ(texture.GetPixel(UINT32_MAX, UINT32_MAX), 0u);
    EXPECT_EQ(log.ErrorsAndWarnings(), 0u);
}

TEST_F(TextureTest, RenderTargetLockReadsThroughTheMemoryTwin)
{
    CreateDevice();
    GxTexture target;
    ASSERT_TRUE(target.CreateRenderTarget(u"rt", 16, 16, D3DFMT_A8R8G8B8));
    IDirect3DDevice9* device = GxGraphics::GetDevice();
    IDirect3DSurface9* backBuffer = nullptr;
    ASSERT_EQ(device->GetRenderTarget(0, &backBuffer), D3D_OK);
    ASSERT_TRUE(target.SetToRenderTarget(0));
    ASSERT_EQ(device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699, 1.0f, 0), D3D_OK);
    device->SetRenderTarget(0, backBuffer);
    backBuffer->Release();

    void* bits = nullptr;
    std::int32_t pitch = 0;
    ASSERT_TRUE(target.LockRect(nullptr, &bits, &pitch, nullptr, nullptr, nullptr, true));
    std::uint32_t value = 0;
    std::memcpy(&value, static_cast<std::uint8_t*>(bits) + pitch * 15 + 15 * 4, 4);
    EXPECT_EQ(value, 0xFF336699u);
    target.UnlockRect();

    IDirect3DSurface9* memory = nullptr;
    ASSERT_TRUE(target.GetMemorySurface(&memory));
    D3DSURFACE_DESC desc{};
    memory->GetDesc(&desc);
    EXPECT_EQ(desc.Pool, D3DPOOL_SYSTEMMEM);
    memory->Release();

    // The picture stretched into a second render target.
    GxTexture copy;
    ASSERT_TRUE(copy.CreateRenderTarget(u"copy", 16, 16, D3DFMT_A8R8G8B8));
    EXPECT_TRUE(copy.StretchFrom(nullptr, &target, nullptr, D3DTEXF_POINT));
    EXPECT_EQ(copy.GetPixel(7, 9), 0xFF336699u);
}

// ---- fill and scroll -----------------------------------------------------------------------

struct PixelCase {
    D3DFORMAT format;
    bool renderTarget;
};

class TexturePixelTest : public TextureTest, public testing::WithParamInterface<PixelCase> {};

// Render targets show the round trip: every read transfers the target into the memory twin,
// so a write that UpdateTexture did not carry into the target would be lost.
TEST_P(TexturePixelTest, FillFillRectAndScrollVertical)
{
    const PixelCase& param = GetParam();
    adapter.renderTargetFormats.push_back(D3DFMT_A4R4G4B4);
    CreateDevice();
    GxTexture texture;
    ASSERT_TRUE(param.renderTarget ? texture.CreateRenderTarget(u"pix", 8, 8, param.format)
                                   : texture.CreateTexture(u"pix", 8, 8, param.format, 1));
    ASSERT_EQ(texture.GetFormat(), param.format);
    const std::uint32_t c1 = 0xFF112233, c2 = 0x88AABBCC, c3 = 0x00445566, c4 = 0xFFDDEEFF, c5 = 0x77000099;

    ASSERT_TRUE(texture.Fill(c1));
    EXPECT_EQ(AllPixels(texture), std::vector<std::uint32_t>(64, c1));

    const RECT spill{2, 1, 20, 3};   // clamped to (2, 1)-(8, 3)
    ASSERT_TRUE(texture.FillRect(&spill, c2));
    const RECT corner{-5, -5, 1, 1};
    ASSERT_TRUE(texture.FillRect(&corner, c3));
    std::vector<std::uint32_t> expected(64, c1);
    for (std::uint32_t y = 1; y < 3; ++y)
        for (std::uint32_t x = 2; x < 8; ++x) expected[y * 8 + x] = c2;
    expected[0] = c3;
    EXPECT_EQ(AllPixels(texture), expected);

    WritePixels(texture, Pattern);
    std::vector<std::uint32_t> before = AllPixels(texture);
    ASSERT_TRUE(texture.ScrollVertical(0, c4));
    EXPECT_EQ(AllPixels(texture), before);

    ASSERT_TRUE(texture.ScrollVertical(2, c4));   // down: rows 0 and 1 take the colour
    for (std::uint32_t y = 0; y < 8; ++y)
        for (std::uint32_t x = 0; x < 8; ++x)
            EXPECT_EQ(texture.GetPixel(x, y), y < 2 ? c4 : Pattern(x, y - 2)) << x << "," << y;

    WritePixels(texture, Pattern);
    ASSERT_TRUE(texture.ScrollVertical(-3, c5));   // up: rows 5 to 7 take the colour
    for (std::uint32_t y = 0; y < 8; ++y)
        for (std::uint32_t x = 0; x < 8; ++x)
            EXPECT_EQ(texture.GetPixel(x, y), y >= 5 ? c5 : Pattern(x, y + 3)) << x << "," << y;

    // A scroll by the height or more fills the whole level and writes nothing outside it.
    for (const std::int32_t rows : {8, 9, -8, -100, INT32_MAX, INT32_MIN}) {
        WritePixels(texture, Pattern);
        ASSERT_TRUE(texture.ScrollVertical(rows, c2)) << rows;
        EXPECT_EQ(AllPixels(texture), std::vector<std::uint32_t>(64, c2)) << rows;
    }
    EXPECT_EQ(log.ErrorsAndWarnings(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Formats, TexturePixelTest,
                         testing::Values(PixelCase{D3DFMT_A8R8G8B8, false}, PixelCase{D3DFMT_A4R4G4B4, false},
                                         PixelCase{D3DFMT_A8R8G8B8, true}, PixelCase{D3DFMT_A4R4G4B4, true}),
                         [](const testing::TestParamInfo<PixelCase>& info) {
                             return std::string(info.param.format == D3DFMT_A8R8G8B8 ? "A8R8G8B8" : "A4R4G4B4") +
                                    (info.param.renderTarget ? "RenderTarget" : "Managed");
                         });

TEST_F(TextureTest, PixelOperationsRefuseFormatsTheyCannotWrite)
{
    CreateDevice();
    GxTexture texture;
    ASSERT_TRUE(texture.CreateTexture(u"luminance", 8, 8, D3DFMT_L8, 1));
    IDirect3DTexture9* raw = texture.GetTexturePointer();
    D3DLOCKED_RECT locked{};
    ASSERT_EQ(raw->LockRect(0, &locked, nullptr, 0), D3D_OK);
    for (int y = 0; y < 8; ++y) std::memset(static_cast<std::uint8_t*>(locked.pBits) + y * locked.Pitch, 0x5A, 8);
    raw->UnlockRect(0);

    const RECT part{0, 0, 4, 4};
    EXPECT_FALSE(texture.Fill(0xFFFFFFFF));
    EXPECT_FALSE(texture.FillRect(&part, 0xFFFFFFFF));
    EXPECT_FALSE(texture.ScrollVertical(3, 0xFFFFFFFF));
    EXPECT_EQ(texture.GetPixel(0, 0), 0u);
    for (std::uint32_t y = 0; y < 8; ++y)
        for (std::uint32_t x = 0; x < 8; ++x) EXPECT_EQ(ReadTexel(raw, x, y), 0x5Au);
    EXPECT_FALSE(texture.IsLocked());
}

// ---- copies --------------------------------------------------------------------------------

// Where a clipped blit puts the source rectangle: source pixel (sx, sy) lands at
// (sx - left + x, sy - top + y) when it lies inside the rectangle, the source and the destination.
std::vector<std::uint32_t> ExpectedCopy(const RECT* rect, std::int32_t x, std::int32_t y, std::int64_t size,
                                        std::uint32_t (*source)(std::uint32_t, std::uint32_t))
{
    const std::int64_t left = rect ? rect->left : 0, top = rect ? rect->top : 0;
    const std::int64_t right = rect ? rect->right : size, bottom = rect ? rect->bottom : size;
    std::vector<std::uint32_t> pixels(std::size_t(size * size), 0);
    for (std::int64_t dy = 0; dy < size; ++dy)
        for (std::int64_t dx = 0; dx < size; ++dx) {
            const std::int64_t sx = dx - x + left, sy = dy - y + top;
            if (sx < std::max<std::int64_t>(left, 0) || sx >= std::min(right, size) ||
                sy < std::max<std::int64_t>(top, 0) || sy >= std::min(bottom, size))
                continue;
            pixels[std::size_t(dy * size + dx)] = source(std::uint32_t(sx), std::uint32_t(sy));
        }
    return pixels;
}

TEST_F(TextureTest, CopyRectFromClipsBothRectanglesToTheirTextures)
{
    CreateDevice();
    GxTexture source;
    ASSERT_TRUE(source.CreateTexture(u"source", 8, 8, D3DFMT_A8R8G8B8, 1));
    WritePixels(source, Pattern);

    struct Case {
        bool whole;
        RECT rect;
        std::int32_t x, y;
    };
    const Case cases[] = {
        {true, {}, 0, 0},
        {false, {2, 2, 6, 6}, 1, 1},
        {false, {0, 0, 8, 8}, 5, 6},              // cut at the destination's right and bottom
        {false, {0, 0, 8, 8}, 9, 0},              // wholly right of the destination
        {false, {0, 0, 8, 8}, 0, 8},              // wholly below
        {false, {0, 0, 8, 8}, -3, -2},            // left of and above the destination
        {false, {-2, -1, 4, 4}, 0, 0},            // the rectangle starts outside the source
        {false, {4, 4, 20, 20}, 0, 0},            // and ends outside it
        {false, {5, 5, 3, 3}, 0, 0},              // inverted
        {false, {0, 0, 8, 8}, INT32_MIN, INT32_MIN},
        {false, {0, 0, 8, 8}, INT32_MAX, INT32_MAX},
        {false, {INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, 2, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "rect " << c.rect.left << "," << c.rect.top << "," << c.rect.right << ","
                                        << c.rect.bottom << " at " << c.x << "," << c.y);
        GxTexture dest;
        ASSERT_TRUE(dest.CreateTexture(u"dest", 8, 8, D3DFMT_A8R8G8B8, 1));
        ASSERT_TRUE(dest.Fill(0));
        EXPECT_TRUE(dest.CopyRectFrom(&source, c.whole ? nullptr : &c.rect, c.x, c.y));
        EXPECT_EQ(AllPixels(dest), ExpectedCopy(c.whole ? nullptr : &c.rect, c.x, c.y, 8, Pattern));
    }
    EXPECT_EQ(log.ErrorsAndWarnings(), 0u);
}

TEST_F(TextureTest, CopyRectFromConvertsBetweenThe32And16BitFormats)
{
    CreateDevice();
    const D3DFORMAT formats[] = {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4};
    for (const D3DFORMAT from : formats) {
        for (const D3DFORMAT to : formats) {
            SCOPED_TRACE(testing::Message() << "from " << from << " to " << to);
            GxTexture source, dest;
            ASSERT_TRUE(source.CreateTexture(u"s", 8, 8, from, 1));
            ASSERT_TRUE(dest.CreateTexture(u"d", 8, 8, to, 1));
            WritePixels(source, Pattern);
            ASSERT_TRUE(dest.Fill(0));
            const RECT rect{1, 2, 5, 7};
            EXPECT_TRUE(dest.CopyRectFrom(&source, &rect, 3, 1));
            EXPECT_EQ(AllPixels(dest), ExpectedCopy(&rect, 3, 1, 8, Pattern));
        }
    }
    GxTexture luminance, dest;
    ASSERT_TRUE(luminance.CreateTexture(u"l", 8, 8, D3DFMT_L8, 1));
    ASSERT_TRUE(dest.CreateTexture(u"d", 8, 8, D3DFMT_A8R8G8B8, 1));
    ASSERT_TRUE(dest.Fill(0x12345678));
    EXPECT_TRUE(dest.CopyRectFrom(&luminance, nullptr, 0, 0));   // no copier for the pair
    EXPECT_EQ(dest.GetPixel(0, 0), 0x12345678u);
    EXPECT_FALSE(dest.CopyRectFrom(nullptr, nullptr, 0, 0));
}

// ---- image files ---------------------------------------------------------------------------

TEST_F(TextureTest, CreateFromFilePlacesTheImageTopLeftOrStretchesIt)
{
    CreateDevice();
    const TestImage image = TestImage::Make(300, 200, [](std::uint32_t x, std::uint32_t y) {
        return 0xFF000000u | (x & 0xFF) << 16 | (y & 0xFF) << 8 | ((x + y) & 0xFF);
    });
    const std::u16string path = WritePng("picture.png", image);

    GxTexture placed;
    ASSERT_TRUE(placed.CreateFromFile(path, D3DFMT_A8R8G8B8, 1, 0, false));
    EXPECT_EQ(placed.GetImageWidth(), 300u);
    EXPECT_EQ(placed.GetImageHeight(), 200u);
    EXPECT_EQ(placed.GetWidth(), 512u);
    EXPECT_EQ(placed.GetHeight(), 256u);
    EXPECT_EQ(placed.GetRefCount(), 1u);
    EXPECT_EQ(placed.GetName(), WideToLowerAscii(path));
    EXPECT_TRUE(GetD3DResourceManage().IsRegistered(&placed));
    const std::pair<std::uint32_t, std::uint32_t> points[] = {{0, 0}, {299, 0}, {17, 123}, {299, 199}};
    for (const auto& [x, y] : points)
        EXPECT_EQ(placed.GetPixel(x, y), image.At(x, y)) << x << "," << y;
    EXPECT_EQ(placed.GetPixel(300, 0), 0u);
    EXPECT_EQ(placed.GetPixel(0, 200), 0u);

    GxTexture stretched;
    ASSERT_TRUE(stretched.CreateFromFile(path, D3DFMT_A8R8G8B8, 1, 0, true));
    EXPECT_EQ(stretched.GetPixel(511, 255) >> 24, 0xFFu);
    EXPECT_TRUE(stretched.GetScaleFilter());
}

TEST_F(TextureTest, CreateFromFileAppliesTheColorKey)
{
    CreateDevice();
    const TestImage image = TestImage::Quadrants(4, 4, 0xFFFF00FF, 0xFF00FF00, 0xFF0000FF, 0xFFFF00FF);
    GxTexture texture;
    ASSERT_TRUE(texture.CreateFromFile(WritePng("keyed.png", image), D3DFMT_A8R8G8B8, 1, 0xFFFF00FF, false));
    EXPECT_EQ(texture.GetColorKey(), 0xFFFF00FFu);
    EXPECT_EQ(texture.GetPixel(0, 0), 0u);
    EXPECT_EQ(texture.GetPixel(3, 0), 0xFF00FF00u);
    EXPECT_EQ(texture.GetPixel(3, 3), 0u);
}

TEST_F(TextureTest, CreateFromFileFailuresLeaveTheObjectEmptyAndUnregistered)
{
    CreateDevice();
    ImageBytes damaged = BuildPng(PngSpecRgba8(TestImage::Solid(8, 8, 0xFF808080)));
    for (std::size_t i = 40; i < damaged.size() - 12; ++i) damaged[i] ^= 0xA5;   // the header survives
    struct Case {
        std::u16string path;
        std::u16string message;
    };
    const Case cases[] = {
        {PathOf("missing.png"), u"Error/GetInfoFromFile Open error"},
        {WriteImage("damaged.png", damaged), u"Error/Texture CreateFromFile Failed(Name:\""},
        {WriteImage("junk.bmp", ImageBytes(16, 0x42)), u"Error/GetInfoFromFile Failed"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.path));
        GxTexture texture;
        EXPECT_FALSE(texture.CreateFromFile(c.path, D3DFMT_UNKNOWN, 1, 0, true));
        EXPECT_TRUE(texture.IsFailed());
        EXPECT_FALSE(texture.HasTexture());
        EXPECT_FALSE(GetD3DResourceManage().IsRegistered(&texture));
        EXPECT_EQ(texture.GetRefCount(), 0u);
        EXPECT_EQ(texture.GetName(), WideToLowerAscii(c.path));   // failed objects keep their name
        EXPECT_TRUE(log.Contains(c.message));
    }
}

TEST_F(TextureTest, ReloadFromFileKeepsRegistrationAndCount)
{
    CreateDevice();
    const std::u16string path = WritePng("reload.png", TestImage::Solid(4, 4, 0xFFFF0000));
    GxTexture texture;
    ASSERT_TRUE(texture.CreateFromFile(path, D3DFMT_A8R8G8B8, 1, 0, false));
    texture.AddRef();
    WritePng("reload.png", TestImage::Solid(4, 4, 0xFF0000FF));
    ASSERT_TRUE(texture.ReloadFromFile());
    EXPECT_EQ(texture.GetPixel(2, 2), 0xFF0000FFu);
    EXPECT_EQ(texture.GetRefCount(), 2u);
    EXPECT_TRUE(GetD3DResourceManage().IsRegistered(&texture));

    std::filesystem::remove(folder / "reload.png");
    EXPECT_FALSE(texture.ReloadFromFile());
    EXPECT_TRUE(texture.IsFailed());
    EXPECT_EQ(texture.GetRefCount(), 2u);
}

TEST_F(TextureTest, CreateFromResourceReadsTheResourceBytes)
{
    CreateDevice();
    GxTexture texture;
    EXPECT_FALSE(texture.CreateFromResource(u"res", nullptr, nullptr, D3DFMT_UNKNOWN, 1, 0, true));
    EXPECT_TRUE(log.Contains(u"Error/Texture CreateFromResource Failed(Resource pointer is null)\n"));
    EXPECT_TRUE(texture.IsFailed());

    const ImageBytes png = BuildPng(PngSpecRgba8(TestImage::Solid(3, 5, 0xFF204060)));
    const GxModuleResourceBlock block{png.data(), DWORD(png.size())};
    ASSERT_TRUE(texture.CreateFromResource(u"Res", nullptr, MakeResourceHandle(&block), D3DFMT_A8R8G8B8, 1, 0, false));
    EXPECT_EQ(texture.GetImageWidth(), 3u);
    EXPECT_EQ(texture.GetImageHeight(), 5u);
    EXPECT_EQ(texture.GetWidth(), 4u);
    EXPECT_EQ(texture.GetHeight(), 8u);
    EXPECT_EQ(texture.GetPixel(2, 4), 0xFF204060u);

    const ImageBytes junk(64, 0x42);
    const GxModuleResourceBlock bad{junk.data(), DWORD(junk.size())};
    EXPECT_FALSE(texture.CreateFromResource(u"bad", nullptr, MakeResourceHandle(&bad), D3DFMT_A8R8G8B8, 1, 0, false));
    EXPECT_TRUE(log.Contains(u"Error/Texture CreateFromResource Failed(Name:\"bad\""));
}

// ---- blended PNG stacks --------------------------------------------------------------------

TEST_F(TextureTest, MultiBlendWithOneFileIsThatImage)
{
    CreateDevice();
    const TestImage image = TestImage::Make(3, 2, [](std::uint32_t x, std::uint32_t y) {
        return (0x40u + 0x50u * x) << 24 | 0x00102030u * (y + 1) | x;
    });
    GxTexture texture;
    ASSERT_TRUE(texture.CreateFromFileMultiBlend(u"One", {WritePng("one.png", image)}, D3DFMT_A8R8G8B8, 1));
    EXPECT_EQ(texture.GetName(), u"one");
    EXPECT_EQ(texture.GetWidth(), 4u);
    for (std::uint32_t y = 0; y < 2; ++y)
        for (std::uint32_t x = 0; x < 3; ++x) EXPECT_EQ(texture.GetPixel(x, y), image.At(x, y)) << x << "," << y;
    EXPECT_EQ(texture.GetPixel(3, 0), 0u);
}

TEST_F(TextureTest, MultiBlendLaysEachFileOverTheFirst)
{
    CreateDevice();
    // Pixel by pixel: half over half, both transparent, opaque over anything, any over transparent.
    const TestImage base = TestImage::Make(4, 1, [](std::uint32_t x, std::uint32_t) {
        const std::uint32_t pixels[] = {0x80C86432, 0x00112233, 0x40FFFFFF, 0x00000000};
        return pixels[x];
    });
    const TestImage over = TestImage::Make(4, 1, [](std::uint32_t x, std::uint32_t) {
        const std::uint32_t pixels[] = {0x400A141E, 0x00445566, 0xFF102030, 0x64506070};
        return pixels[x];
    });
    const TestImage larger = TestImage::Solid(6, 3, 0x00000000);   // transparent, cut to the base
    GxTexture texture;
    ASSERT_TRUE(texture.CreateFromFileMultiBlend(u"stack",
                                                 {WritePng("base.png", base), WritePng("over.png", over),
                                                  PathOf("absent.png"), WritePng("larger.png", larger)},
                                                 D3DFMT_A8R8G8B8, 1));
    EXPECT_EQ(texture.GetPixel(0, 0), 0x9F7B4329u);
    EXPECT_EQ(texture.GetPixel(1, 0), 0u);
    EXPECT_EQ(texture.GetPixel(2, 0), 0xFF102030u);
    EXPECT_EQ(texture.GetPixel(3, 0), 0x64506070u);
    EXPECT_EQ(texture.GetWidth(), 4u);
    EXPECT_EQ(texture.GetHeight(), 1u);
    EXPECT_TRUE(log.Contains(u"Error/Texture CreateFromFileMultiBlend Failed(Name:\"" + PathOf("absent.png")));

    GxTexture narrow;
    ASSERT_TRUE(narrow.CreateFromFileMultiBlend(u"narrow", {PathOf("over.png")}, D3DFMT_A4R4G4B4, 1));
    EXPECT_EQ(narrow.GetPixel(2, 0), 0xFF112233u);   // 0xFF102030 in four bits a channel
}

TEST_F(TextureTest, MultiBlendFailsWithoutAReadableFirstFile)
{
    CreateDevice();
    GxTexture texture;
    EXPECT_FALSE(texture.CreateFromFileMultiBlend(u"none", {}, D3DFMT_A8R8G8B8, 1));
    EXPECT_FALSE(texture.IsFailed());
    EXPECT_FALSE(texture.CreateFromFileMultiBlend(u"missing", {PathOf("missing.png")}, D3DFMT_A8R8G8B8, 1));
    EXPECT_TRUE(texture.IsFailed());
    const std::u16string notPng = WriteImage("picture.png", BuildBmp(TestImage::Solid(2, 2, 0xFF000000), 32));
    EXPECT_FALSE(texture.CreateFromFileMultiBlend(u"bmp", {notPng}, D3DFMT_A8R8G8B8, 1));
    EXPECT_FALSE(texture.HasTexture());
}

// ---- device loss, saving -------------------------------------------------------------------

TEST_F(TextureTest, DeviceResetRebuildsRenderTargetsEmptyAndKeepsManagedTextures)
{
    CreateDevice();
    GxTexture managed, target;
    ASSERT_TRUE(managed.CreateTexture(u"managed", 8, 8, D3DFMT_A8R8G8B8, 1));
    ASSERT_TRUE(target.CreateRenderTarget(u"target", 8, 8, D3DFMT_A8R8G8B8));
    ASSERT_TRUE(managed.Fill(0xFF445566));
    ASSERT_TRUE(target.Fill(0xFF778899));
    ASSERT_EQ(target.GetPixel(1, 1), 0xFF778899u);

    GetD3DResourceManage().NotifyLostDevice();
    EXPECT_FALSE(target.HasTexture());
    EXPECT_TRUE(managed.HasTexture());
    EXPECT_EQ(target.GetPixel(1, 1), 0u);
    EXPECT_FALSE(target.Fill(0));

    ASSERT_TRUE(GxGraphics::ResetDevice(true, SCRMODE_WINDOW, SCRMODE_WINDOW, nullptr));
    EXPECT_TRUE(target.HasTexture());
    EXPECT_EQ(target.GetWidth(), 8u);
    EXPECT_EQ(target.GetPixel(1, 1), 0u);   // the picture is not restored
    EXPECT_EQ(managed.GetPixel(1, 1), 0xFF445566u);
    EXPECT_TRUE(target.Fill(0xFF010203));
    EXPECT_EQ(target.GetPixel(7, 7), 0xFF010203u);
}

TEST_F(TextureTest, SaveToFileWritesThePictureAsPng)
{
    CreateDevice();
    GxTexture target;
    ASSERT_TRUE(target.CreateRenderTarget(u"save", 4, 4, D3DFMT_A8R8G8B8));
    ASSERT_TRUE(target.Fill(0xFF102030));
    const RECT corner{0, 0, 1, 1};
    ASSERT_TRUE(target.FillRect(&corner, 0xFFFFFFFF));
    const std::u16string wide = PathOf("wide.png");
    ASSERT_TRUE(target.SaveToFile(wide.c_str()));
    ASSERT_TRUE(target.SaveToFile((folder / "narrow.png").string().c_str()));
    for (const std::u16string& path : {wide, PathOf("narrow.png")}) {
        GxBinBuffer buffer;
        ASSERT_TRUE(GxFile::ReadWholeFile(buffer, path));
        std::uint32_t width = 0, height = 0;
        std::uint8_t* pixels = DecodePngMemory(buffer.GetData(), buffer.GetSize(), &width, &height);
        ASSERT_NE(pixels, nullptr);
        EXPECT_EQ(width, 4u);
        std::uint32_t first = 0, last = 0;
        std::memcpy(&first, pixels, 4);
        std::memcpy(&last, pixels + 15 * 4, 4);
        EXPECT_EQ(first, 0xFFFFFFFFu);
        EXPECT_EQ(last, 0xFF102030u);
        FreePngPixels(pixels);
    }
    EXPECT_FALSE(target.SaveToFile((folder / "no" / "such" / "folder.png").string().c_str()));
    EXPECT_TRUE(log.Contains(u"Error/Texture SaveToFile Failed(Name:\"save\" Size:4,4 "));
}

// ---- loader thread -------------------------------------------------------------------------

TEST_F(TextureTest, PreparedTextureLoadsOnALoaderThread)
{
    CreateDevice();
    const std::u16string path = WritePng("deferred.png", TestImage::Solid(20, 10, 0xFF00C0FF));
    GxTexture loaded, failing;
    loaded.PrepareAsyncLoad(path, D3DFMT_A8R8G8B8, 1, 0, false);
    failing.PrepareAsyncLoad(PathOf("gone.png"), D3DFMT_A8R8G8B8, 1, 0, false);
    EXPECT_TRUE(loaded.HasName());
    EXPECT_FALSE(loaded.HasTexture());
    EXPECT_EQ(loaded.GetRefCount(), 0u);
    EXPECT_EQ(loaded.GetJobName(), WideToLowerAscii(path));

    GxAsyncJobManage pool;
    pool.CreateThread(1);
    ASSERT_TRUE(pool.AddJob(&loaded));
    ASSERT_TRUE(pool.AddJob(&failing));
    pool.AsyncWaitAll();
    pool.AsyncShutdown();

    EXPECT_TRUE(loaded.IsCompleted());
    EXPECT_FALSE(loaded.IsJobInFlight());
    EXPECT_TRUE(loaded.HasTexture());
    EXPECT_FALSE(loaded.IsFailed());
    EXPECT_EQ(loaded.GetRefCount(), 1u);
    EXPECT_EQ(loaded.GetWidth(), 32u);
    EXPECT_EQ(loaded.GetPixel(19, 9), 0xFF00C0FFu);
    EXPECT_TRUE(GetD3DResourceManage().IsRegistered(&loaded));

    EXPECT_TRUE(failing.IsCompleted());
    EXPECT_TRUE(failing.IsFailed());
    EXPECT_FALSE(failing.HasTexture());
    EXPECT_FALSE(GetD3DResourceManage().IsRegistered(&failing));
}

}  // namespace
}  // namespace texturetest
