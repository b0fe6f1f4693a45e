// Each reader against files built independently by the fixture builders: exact pixels for the
// lossless formats, a tolerance for JPEG, and refusal of every damaged file.
#include "tests/platform/d3dx/d3dx_fixture.h"
#include "platform/d3d9/image_decode.h"

#include <zlib.h>

#include <functional>
#include <string>

namespace {

std::uint32_t Pattern(std::uint32_t x, std::uint32_t y)
{
    // Distinct in every channel, alpha included, so a swapped or shifted channel shows.
    return (std::uint32_t(0x40 + x * 9 + y) << 24) | (std::uint32_t(x * 23 + 1) << 16) | (std::uint32_t(y * 29 + 2) << 8) |
           std::uint32_t((x ^ y) * 7 + 3);
}

std::uint32_t OpaquePattern(std::uint32_t x, std::uint32_t y)
{
    return Pattern(x, y) | 0xFF000000u;
}

ImageBytes Row(std::initializer_list<int> bytes)
{
    ImageBytes row;
    for (int b : bytes) row.push_back(std::uint8_t(b));
    return row;
}

struct ReaderCase {
    std::string name;
    std::function<ImageBytes()> build;
    TestImage expected;
};

std::vector<ReaderCase> LosslessCases()
{
    const TestImage pattern = TestImage::Make(11, 7, Pattern);
    const TestImage opaque = TestImage::Make(11, 7, OpaquePattern);
    std::vector<ReaderCase> cases;
    cases.push_back({"png rgba 8-bit", [=] { return BuildPng(PngSpecRgba8(pattern)); }, pattern});
    cases.push_back({"png rgb 8-bit", [=] { return BuildPng(PngSpecRgb8(pattern)); }, opaque});
    cases.push_back({"png adam7", [=] {
                         PngSpec spec = PngSpecRgba8(pattern);
                         spec.interlaced = true;
                         return BuildPng(spec);
                     },
                     pattern});
    // Palette of four, tRNS of two: the entries past the list are opaque.
    cases.push_back({"png palette with short tRNS", [] {
                         PngSpec spec{2, 2, 8, kPngPalette, false, {Row({0, 1}), Row({2, 3})}, {}, {}};
                         spec.palette = Row({255, 0, 0, 0, 255, 0, 0, 0, 255, 9, 8, 7});
                         spec.trns = Row({0x00, 0x80});
                         return BuildPng(spec);
                     },
                     TestImage{2, 2, {0x00FF0000u, 0x8000FF00u, 0xFF0000FFu, 0xFF090807u}}});
    cases.push_back({"png grey 1-bit", [] {
                         return BuildPng(PngSpec{9, 1, 1, kPngGrey, false, {Row({0b10110010, 0b10000000})}, {}, {}});
                     },
                     TestImage{9, 1, {0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF000000, 0xFF000000,
                                      0xFFFFFFFF, 0xFF000000, 0xFFFFFFFF}}});
    cases.push_back({"png grey with alpha", [] {
                         return BuildPng(PngSpec{3, 1, 8, kPngGreyAlpha, false, {Row({0x10, 0xFF, 0x80, 0x40, 0xF0, 0x00})}, {}, {}});
                     },
                     TestImage{3, 1, {0xFF101010, 0x40808080, 0x00F0F0F0}}});
    cases.push_back({"png rgba 16-bit keeps the high bytes", [] {
                         return BuildPng(PngSpec{2, 1, 16, kPngRgba, false,
                                                 {Row({0x12, 0xFF, 0x34, 0x00, 0x56, 0x80, 0x78, 0x01,
                                                       0xFE, 0x01, 0x00, 0xFF, 0x01, 0x00, 0xFF, 0xFF})},
                                                 {}, {}});
                     },
                     TestImage{2, 1, {0x78123456, 0xFFFE0001}}});
    cases.push_back({"tga 24-bit bottom-left", [=] { return BuildTga(pattern, {24, false, false}); }, opaque});
    cases.push_back({"tga 32-bit run-length top-left", [] {
                         TestImage runs = TestImage::Quadrants(9, 5, 0x80FF0000, 0xFF00FF00, 0x000000FF, 0xFF123456);
                         runs.argb[3] = 0x11223344;   // a lone pixel between runs
                         return BuildTga(runs, {32, true, true});
                     },
                     [] {
                         TestImage runs = TestImage::Quadrants(9, 5, 0x80FF0000, 0xFF00FF00, 0x000000FF, 0xFF123456);
                         runs.argb[3] = 0x11223344;
                         return runs;
                     }()});
    cases.push_back({"bmp 24-bit width 3 with row padding",
                     [] { return BuildBmp(TestImage::Make(3, 4, OpaquePattern), 24); },
                     TestImage::Make(3, 4, OpaquePattern)});
    cases.push_back({"bmp 32-bit keeps alpha", [=] { return BuildBmp(pattern, 32); }, pattern});
    cases.push_back({"bmp 8-bit palette", [] { return BuildBmp8(3, 2, {0, 1, 2, 2, 1, 0}, {0x102030, 0xFFFFFF, 0x00FF00}); },
                     TestImage{3, 2, {0xFF102030, 0xFFFFFFFF, 0xFF00FF00, 0xFF00FF00, 0xFFFFFFFF, 0xFF102030}}});
    cases.push_back({"dds a8r8g8b8", [=] { return BuildDdsArgb(pattern); }, pattern});
    return cases;
}

// Three 8x8 DXT files: every block's colours known from its end points.
std::uint32_t Dxt5Alpha(int index)
{
    static const std::uint32_t kAlphas[8] = {255, 0, 219, 182, 146, 109, 73, 36};
    return kAlphas[index];
}

}  // namespace

TEST_F(D3dxTest, ReadersDecodeLosslessFilesExactly)
{
    for (const ReaderCase& c : LosslessCases()) {
        SCOPED_TRACE(c.name);
        TestImage pixels;
        ASSERT_EQ(LoadFile(c.build(), pixels), D3D_OK);
        ASSERT_EQ(pixels.width, c.expected.width);
        ASSERT_EQ(pixels.height, c.expected.height);
        for (std::size_t i = 0; i < pixels.argb.size(); ++i)
            ASSERT_EQ(pixels.argb[i], c.expected.argb[i]) << "texel " << i;
    }
}

TEST_F(D3dxTest, ReadersRefuseEveryCutShortFile)
{
    // A file stopped anywhere before its end must fail cleanly: no reader may read past the
    // data or hand back a half-filled picture.
    std::vector<ReaderCase> cases = LosslessCases();
    cases.push_back({"jpeg", [] { return BuildJpeg(TestImage::Make(16, 16, OpaquePattern), 90, false); }, {}});
    cases.push_back({"dxt5", [] { return BuildDdsBlocks("DXT5", 4, 4, Dxt5Block(255, 0, 0, 0xF800, 0x001F, 0)); }, {}});
    for (const ReaderCase& c : cases) {
        SCOPED_TRACE(c.name);
        const ImageBytes file = c.build();
        for (std::size_t length = 0; length < file.size(); ++length) {
            ImageBytes cut(file.begin(), file.begin() + std::ptrdiff_t(length));
            cut.reserve(cut.size() + 1);   // data() stays valid for length 0
            IDirect3DTexture9* texture = nullptr;
            const HRESULT result = D3DXCreateTextureFromFileInMemoryEx(
                m_Device, cut.data(), UINT(cut.size()), 0, 0, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED,
                D3DX_FILTER_NONE, D3DX_DEFAULT, 0, nullptr, nullptr, &texture);
            ASSERT_TRUE(FAILED(result)) << "length " << length;
            ASSERT_EQ(texture, nullptr);
        }
    }
}

TEST_F(D3dxTest, ReadersRefuseDataThatIsNoImage)
{
    const std::vector<std::pair<std::string, ImageBytes>> cases = {
        {"text", {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!', '!', '!', '!', '!', '!', '!'}},
        {"png signature, no chunks", {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 0}},
        {"bmp with unknown header size", [] {
             ImageBytes bmp = BuildBmp(TestImage::Solid(2, 2, 0xFF000000), 24);
             bmp[14] = 41;
             return bmp;
         }()},
        {"bmp run-length", [] {
             ImageBytes bmp = BuildBmp(TestImage::Solid(2, 2, 0xFF000000), 24);
             bmp[30] = 1;
             return bmp;
         }()},
        {"dds cube map", [] {
             ImageBytes dds = BuildDdsArgb(TestImage::Solid(4, 4, 0));
             dds[113] = 0x02;   // caps2 0x200
             return dds;
         }()},
        {"dds unknown four-character code", BuildDdsBlocks("ATI2", 4, 4, ImageBytes(16))},
        {"image larger than any texture", [] {
             ImageBytes tga = BuildTga(TestImage::Solid(1, 1, 0xFFFFFFFF), {24, true, false});
             tga[12] = 0xFF;   // 65535 x 1 declared, one pixel present
             tga[13] = 0xFF;
             return tga;
         }()},
    };
    for (const auto& [name, file] : cases) {
        SCOPED_TRACE(name);
        D3DXIMAGE_INFO info{};
        TestImage pixels;
        EXPECT_TRUE(FAILED(LoadFile(file, pixels)));
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(D3DXCreateTextureFromFileInMemoryEx(m_Device, file.data(), UINT(file.size()), 0, 0, 1, 0,
                                                      D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, D3DX_FILTER_NONE, D3DX_DEFAULT,
                                                      0, &info, nullptr, &texture),
                  D3DXERR_INVALIDDATA);
        EXPECT_EQ(texture, nullptr);
    }
}

TEST_F(D3dxTest, DxtBlocksDecodeToTheirEndPointsAndInterpolants)
{
    // 8x8 = four blocks each. White 0xFFFF and black 0x0000 as end points.
    const std::uint16_t white = 0xFFFF, black = 0x0000, red = 0xF800, blue = 0x001F;
    ImageBytes dxt1;
    for (const ImageBytes& block :
         {Dxt1Block(red, black, 0x00000000),             // solid red
          Dxt1Block(white, black, 0xE4E4E4E4),           // four-colour mode: indices 0,1,2,3 per row
          Dxt1Block(black, white, 0xE4E4E4E4),           // three-colour mode: index 3 transparent
          Dxt1Block(blue, blue, 0xFFFFFFF0)})            // equal end points: three-colour mode too
        dxt1.insert(dxt1.end(), block.begin(), block.end());
    TestImage pixels;
    ASSERT_EQ(LoadFile(BuildDdsBlocks("DXT1", 8, 8, dxt1), pixels), D3D_OK);
    EXPECT_EQ(pixels.At(1, 1), 0xFFFF0000u);
    EXPECT_EQ(pixels.At(4, 0), 0xFFFFFFFFu);
    EXPECT_EQ(pixels.At(5, 0), 0xFF000000u);
    EXPECT_TRUE(NearArgb(0xFFAAAAAA, pixels.At(6, 0), 1));
    EXPECT_TRUE(NearArgb(0xFF555555, pixels.At(7, 0), 1));
    EXPECT_TRUE(NearArgb(0xFF808080, pixels.At(2, 4), 1));
    EXPECT_EQ(pixels.At(3, 4), 0x00000000u) << "the 1-bit alpha texel";
    EXPECT_EQ(pixels.At(4, 4), 0xFF0000FFu);
    EXPECT_EQ(pixels.At(7, 7), 0x00000000u);

    // DXT3: alpha nibble n on texel n of every block, green colour.
    ImageBytes dxt3;
    for (int b = 0; b < 4; ++b) {
        const ImageBytes block = Dxt3Block(0xFEDCBA9876543210ull, 0x07E0, 0x07E0, 0);
        dxt3.insert(dxt3.end(), block.begin(), block.end());
    }
    ASSERT_EQ(LoadFile(BuildDdsBlocks("DXT3", 8, 8, dxt3), pixels), D3D_OK);
    for (std::uint32_t texel = 0; texel < 16; ++texel)
        EXPECT_EQ(pixels.At(4 + texel % 4, 4 + texel / 4), ((texel * 17) << 24) | 0x0000FF00u) << texel;

    // DXT5: eight-alpha mode (index k on texel k) and six-alpha mode with its 0 and 255.
    std::uint64_t ramp = 0;
    for (int texel = 0; texel < 8; ++texel) ramp |= std::uint64_t(texel) << (3 * texel);
    ImageBytes dxt5;
    for (const ImageBytes& block : {Dxt5Block(255, 0, ramp, red, red, 0), Dxt5Block(0, 255, ramp, red, red, 0),
                                    Dxt5Block(255, 0, ramp, red, red, 0), Dxt5Block(255, 0, ramp, red, red, 0)})
        dxt5.insert(dxt5.end(), block.begin(), block.end());
    ASSERT_EQ(LoadFile(BuildDdsBlocks("DXT5", 8, 8, dxt5), pixels), D3D_OK);
    for (int texel = 0; texel < 8; ++texel)
        EXPECT_TRUE(NearArgb((Dxt5Alpha(texel) << 24) | 0xFF0000, pixels.At(texel % 4, texel / 4), 1)) << texel;
    EXPECT_EQ(pixels.At(4 + 2, 1) >> 24, 0u) << "six-alpha mode, index 6";
    EXPECT_EQ(pixels.At(4 + 3, 1) >> 24, 255u) << "six-alpha mode, index 7";
    EXPECT_TRUE(NearArgb(0x33FF0000, pixels.At(4 + 2, 0), 1)) << "six-alpha mode, index 2 = (4*0 + 255) / 5";
}

TEST_F(D3dxTest, JpegDecodesWithinTolerance)
{
    const TestImage quadrants = TestImage::Quadrants(16, 16, 0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF);
    TestImage pixels;
    ASSERT_EQ(LoadFile(BuildJpeg(quadrants, 95, false), pixels), D3D_OK);
    // Quadrant centres, away from the chroma bleeding at the edges.
    for (auto [x, y] : {std::pair{3u, 3u}, {12u, 3u}, {3u, 12u}, {12u, 12u}})
        EXPECT_TRUE(NearArgb(quadrants.At(x, y), pixels.At(x, y), 12)) << x << "," << y;

    const TestImage levels = TestImage::Quadrants(16, 16, 0xFF202020, 0xFF606060, 0xFFA0A0A0, 0xFFE0E0E0);
    ASSERT_EQ(LoadFile(BuildJpeg(levels, 95, true), pixels), D3D_OK);
    for (auto [x, y] : {std::pair{3u, 3u}, {12u, 3u}, {3u, 12u}, {12u, 12u}})
        EXPECT_TRUE(NearArgb(levels.At(x, y), pixels.At(x, y), 3)) << x << "," << y;
}

TEST_F(D3dxTest, ImageInfoReportsEachFormat)
{
    struct InfoCase {
        const char* name;
        ImageBytes file;
        D3DXIMAGE_FILEFORMAT fileFormat;
        D3DFORMAT format;
    };
    const TestImage image = TestImage::Make(13, 5, Pattern);
    const std::vector<InfoCase> cases = {
        {"png", BuildPng(PngSpecRgba8(image)), D3DXIFF_PNG, D3DFMT_A8R8G8B8},
        {"jpeg", BuildJpeg(image, 80, false), D3DXIFF_JPG, D3DFMT_X8R8G8B8},
        {"bmp", BuildBmp(image, 24), D3DXIFF_BMP, D3DFMT_R8G8B8},
        {"tga", BuildTga(image, {32, false, false}), D3DXIFF_TGA, D3DFMT_A8R8G8B8},
        {"dds", BuildDdsArgb(image), D3DXIFF_DDS, D3DFMT_A8R8G8B8},
        // The header alone is enough to know the size; loading it fails (see above).
        {"dds header only", BuildDdsBlocks("DXT1", 13, 5, {}), D3DXIFF_DDS, D3DFMT_DXT1},
    };
    for (const InfoCase& c : cases) {
        SCOPED_TRACE(c.name);
        D3DXIMAGE_INFO info{};
        ASSERT_EQ(D3DXGetImageInfoFromFileInMemory(c.file.data(), UINT(c.file.size()), &info), D3D_OK);
        EXPECT_EQ(info.Width, 13u);
        EXPECT_EQ(info.Height, 5u);
        EXPECT_EQ(info.Depth, 1u);
        EXPECT_EQ(info.MipLevels, 1u);
        EXPECT_EQ(info.ImageFileFormat, c.fileFormat);
        EXPECT_EQ(info.Format, c.format);
        EXPECT_EQ(info.ResourceType, D3DRTYPE_TEXTURE);
    }
    const ImageBytes headerOnly = BuildDdsBlocks("DXT1", 13, 5, {});
    TestImage pixels;
    IDirect3DSurface9* surface = MakeSurface(13, 5, D3DFMT_A8R8G8B8);
    EXPECT_EQ(D3DXLoadSurfaceFromFileInMemory(surface, nullptr, nullptr, headerOnly.data(), UINT(headerOnly.size()),
                                              nullptr, D3DX_FILTER_NONE, 0, nullptr),
              D3DXERR_INVALIDDATA);
    surface->Release();
    const char garbage[] = "definitely not an image file";
    D3DXIMAGE_INFO info{};
    EXPECT_EQ(D3DXGetImageInfoFromFileInMemory(garbage, sizeof garbage, &info), D3DXERR_INVALIDDATA);
    EXPECT_EQ(D3DXGetImageInfoFromFileInMemory(garbage, 0, &info), D3DERR_INVALIDCALL);
}

namespace {

// A PNG chunk: length, name, body, CRC.
ImageBytes Chunk(const char* name, const ImageBytes& body, std::uint32_t declaredLength)
{
    ImageBytes out;
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(declaredLength >> shift));
    out.insert(out.end(), name, name + 4);
    out.insert(out.end(), body.begin(), body.end());
    const std::uint32_t crc = std::uint32_t(crc32(crc32(0, reinterpret_cast<const Bytef*>(name), 4), body.data(),
                                                  uInt(body.size())));
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(std::uint8_t(crc >> shift));
    return out;
}

// `file` with `extra` placed right after the IHDR chunk.
ImageBytes AfterHeader(ImageBytes file, const ImageBytes& extra)
{
    constexpr std::size_t kSignatureAndHeader = 8 + 25;
    file.insert(file.begin() + kSignatureAndHeader, extra.begin(), extra.end());
    return file;
}

std::uint32_t Noise(std::uint32_t x, std::uint32_t y)
{
    std::uint32_t v = x * 0x9E3779B1u ^ (y + 0x7F4A7C15u) * 0x85EBCA77u;
    v ^= v >> 15;
    return v * 0x2C1B3C6Du;
}

}  // namespace

TEST_F(D3dxTest, PngChunksCannotMakeTheReaderReserveWhatTheFileLacks)
{
    using namespace platform::d3dx;
    constexpr std::size_t kSmall = std::size_t(1) << 20;
    const ImageBytes tiny = BuildPng(PngSpecRgba8(TestImage::Make(1, 1, Pattern)));
    const ImageBytes header(tiny.begin(), tiny.begin() + 33);

    // 41 bytes: the signature, IHDR, and a chunk head announcing 0x70000000 bytes that never come.
    for (const char* name : {"sPLT", "iCCP", "zTXt", "tEXt", "prVt", "IDAT"}) {
        ImageBytes file = header;
        const ImageBytes head = Chunk(name, {}, 0x70000000);
        file.insert(file.end(), head.begin(), head.begin() + 8);
        ASSERT_EQ(file.size(), 41u);
        ImageHeader info;
        std::vector<std::uint32_t> pixels;
        std::size_t peak = ~std::size_t(0);
        EXPECT_FALSE(ReadPngCounted({file.data(), file.size()}, info, &pixels, &peak)) << name;
        EXPECT_LT(peak, kSmall) << name;
    }

    // The chunks the engine never reads are skipped, whatever they hold.
    const TestImage image = TestImage::Make(5, 4, Pattern);
    const ImageBytes garbage(3000, 0xA5);
    const ImageBytes dressed = AfterHeader(
        BuildPng(PngSpecRgba8(image)),
        [&] {
            ImageBytes extra;
            for (const char* name : {"sPLT", "iCCP", "zTXt", "iTXt", "tEXt", "gAMA", "prVt"}) {
                const ImageBytes chunk = Chunk(name, garbage, std::uint32_t(garbage.size()));
                extra.insert(extra.end(), chunk.begin(), chunk.end());
            }
            return extra;
        }());
    ImageHeader info;
    std::vector<std::uint32_t> pixels;
    ASSERT_TRUE(ReadPng({dressed.data(), dressed.size()}, info, &pixels));
    EXPECT_EQ(pixels, image.argb);

    // Image data itself is not bounded by the chunk limit: one IDAT of several MiB still reads.
    const TestImage noisy = TestImage::Make(1024, 1024, Noise);
    const ImageBytes big = BuildPng(PngSpecRgba8(noisy));
    ASSERT_GT(big.size(), std::size_t(4) << 20);
    std::size_t peak = 0;
    ASSERT_TRUE(ReadPngCounted({big.data(), big.size()}, info, &pixels, &peak));
    EXPECT_EQ(pixels, noisy.argb);
    EXPECT_LT(peak, kSmall);
}
