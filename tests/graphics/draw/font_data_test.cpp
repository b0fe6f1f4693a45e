// Bitmap fonts: ".fmp" files built here byte by byte with their PNG images, grid fonts, the
// measuring and texture coordinates, and the refusal of damaged files.
#include "draw_fixture.h"

#include "graphics/font_data.h"
#include "tests/support/image_fixtures.h"

#include <fstream>

namespace drawtest {
namespace {

struct FmpEntry {
    std::uint16_t x, y, width;
};

// The 96-byte header and the entries, little-endian; `entries` may hold fewer or more than
// the range says.
ImageBytes BuildFmp(std::uint32_t first, std::uint32_t last, std::uint32_t defaultWidth, std::uint32_t cellHeight,
                    std::uint32_t textureWidth, std::uint32_t textureHeight, std::u16string_view name,
                    const std::vector<FmpEntry>& entries)
{
    ImageBytes bytes(96 + entries.size() * 8, 0);
    auto put32 = [&](std::size_t offset, std::uint32_t value) {
        for (int i = 0; i < 4; ++i) bytes[offset + i] = std::uint8_t(value >> (8 * i));
    };
    auto put16 = [&](std::size_t offset, std::uint16_t value) {
        bytes[offset] = std::uint8_t(value);
        bytes[offset + 1] = std::uint8_t(value >> 8);
    };
    std::fill(bytes.begin(), bytes.begin() + 16, 0xAB);   // not read
    put32(16, first);
    put32(20, last);
    put32(40, defaultWidth);
    put32(44, cellHeight);
    put32(52, textureWidth);
    put32(56, textureHeight);
    for (std::size_t i = 0; i < name.size() && i < 16; ++i) put16(64 + 2 * i, name[i]);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        put16(96 + 8 * i, entries[i].x);
        put16(96 + 8 * i + 2, entries[i].y);
        put16(96 + 8 * i + 4, entries[i].width);
        put16(96 + 8 * i + 6, 0xEEEE);
    }
    return bytes;
}

class FontDataTest : public DrawTest {
protected:
    std::u16string Write(const std::string& fileName, const ImageBytes& bytes)
    {
        const fs::path path = Folder() / fileName;
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return Utf8ToWide(path.string());
    }
    std::u16string WritePng(const std::string& fileName, std::uint32_t width, std::uint32_t height)
    {
        TestImage image;
        image.width = width;
        image.height = height;
        image.argb.assign(std::size_t(width) * height, 0xFF808080u);
        return Write(fileName, BuildPng(PngSpecRgba8(image)));
    }
};

TEST_F(FontDataTest, FontFileGivesWidthsTextWidthsAndCellCoordinates)
{
    const std::u16string image = WritePng("abc.png", 64, 32);
    const std::u16string file = Write(
        "abc.fmp", BuildFmp(0x41, 0x43, 7, 16, 64, 32, u"テストfont", {{0, 0, 5}, {5, 0, 9}, {20, 16, 12}}));
    GxFontData font;
    ASSERT_TRUE(font.CreateFromFile(file, image));
    EXPECT_TRUE(font.IsLoaded());
    EXPECT_EQ(font.GetName(), u"テストfont");
    EXPECT_EQ(font.GetCharHeight(), 16u);
    EXPECT_EQ(font.GetDefaultWidth(), 7u);

    EXPECT_TRUE(font.HasChar(u'A'));
    EXPECT_TRUE(font.HasChar(u'C'));
    EXPECT_FALSE(font.HasChar(u'@'));
    EXPECT_FALSE(font.HasChar(u'D'));
    EXPECT_EQ(font.GetCharWidth(u'B'), 9u);
    EXPECT_EQ(font.GetCharWidth(u'D'), 7u);   // outside: the default width
    EXPECT_EQ(font.GetCharWidth(u'\x0141'), 7u);   // the low byte is 0x41, the code is not
    EXPECT_EQ(font.GetTextWidth(u"ABCz"), 5u + 9u + 12u + 7u);
    EXPECT_EQ(font.GetTextWidth(u""), 0u);

    float uv[4];
    ASSERT_TRUE(font.GetCharUV(uv, u'C'));
    EXPECT_FLOAT_EQ(uv[0], 20.0f / 64);
    EXPECT_FLOAT_EQ(uv[1], 16.0f / 32);
    EXPECT_FLOAT_EQ(uv[2], 32.0f / 64);
    EXPECT_FLOAT_EQ(uv[3], 32.0f / 32);   // bottom from the font's cell height
    EXPECT_FALSE(font.GetCharUV(uv, u'Z'));
    EXPECT_EQ(uv[0] + uv[1] + uv[2] + uv[3], 0.0f);

    // The 8-bit form reaches the same files.
    GxFontData narrow;
    EXPECT_TRUE(narrow.CreateFromFile(WideToUtf8(file), WideToUtf8(image)));
    EXPECT_EQ(narrow.GetCharWidth(u'A'), 5u);

    font.Clear();
    EXPECT_FALSE(font.IsLoaded());
    EXPECT_FALSE(font.HasChar(0));
    EXPECT_EQ(font.GetTextWidth(u"AB"), 0u);
}

TEST_F(FontDataTest, DamagedOrMissingFontFilesAreRefusedWithTheErrorLine)
{
    const std::u16string image = WritePng("font.png", 64, 32);
    const ImageBytes good = BuildFmp(0x41, 0x43, 7, 16, 64, 32, u"f", {{0, 0, 5}, {5, 0, 9}, {20, 16, 12}});
    struct Case {
        const char* name;
        ImageBytes bytes;
    };
    const Case cases[] = {
        {"shorter than the header", ImageBytes(good.begin(), good.begin() + 95)},
        {"header only", ImageBytes(good.begin(), good.begin() + 96)},
        {"table cut inside the last entry", ImageBytes(good.begin(), good.end() - 1)},
        {"first above last", BuildFmp(0x43, 0x41, 7, 16, 64, 32, u"f", {{0, 0, 5}, {5, 0, 9}, {20, 16, 12}})},
        {"range wrapping the entry count", BuildFmp(1, 0, 7, 16, 64, 32, u"f", {})},
        {"codes beyond 16 bits", BuildFmp(0xFFFF, 0x10001, 7, 16, 64, 32, u"f", {{0, 0, 5}, {0, 0, 5}, {0, 0, 5}})},
        {"huge range", BuildFmp(0, 0xFFFFFFFFu, 7, 16, 64, 32, u"f", {{0, 0, 5}})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        errors.lines.clear();
        const std::u16string file = Write("bad.fmp", c.bytes);
        GxFontData font;
        EXPECT_FALSE(font.CreateFromFile(file, image));
        EXPECT_TRUE(errors.Contains(u"Error/GxFontData CreateFromFile Failed(Name:\"" + file + u"\")"));
        EXPECT_FALSE(font.IsLoaded());
        EXPECT_EQ(font.GetTextWidth(u"A"), 0u);
    }

    // A missing font file or image.
    const std::u16string file = Write("good.fmp", good);
    GxFontData font;
    EXPECT_FALSE(font.CreateFromFile(Utf8ToWide((Folder() / "missing.fmp").string()), image));
    EXPECT_FALSE(font.CreateFromFile(file, Utf8ToWide((Folder() / "missing.png").string())));
    EXPECT_TRUE(errors.Contains(u"Error/GxFontData CreateFromFile Failed(Name:\"" + file + u"\")"));
    EXPECT_FALSE(font.IsLoaded());

    // A failure leaves nothing of an earlier font behind.
    ASSERT_TRUE(font.CreateFromFile(file, image));
    EXPECT_FALSE(font.CreateFromFile(Write("bad.fmp", ImageBytes(good.begin(), good.begin() + 100)), image));
    EXPECT_FALSE(font.HasChar(u'A'));
    EXPECT_FALSE(font.IsLoaded());
}

TEST_F(FontDataTest, GridFontLaysCellsOutInReadingOrder)
{
    const std::u16string image = WritePng("digits.png", 110, 64);
    GxFontData font;
    ASSERT_TRUE(font.CreateGrid(u"FONT22NUM_with_a_long_name", image, 48, 57, 22, 32, 5));
    EXPECT_TRUE(font.IsLoaded());
    EXPECT_EQ(font.GetName(), u"FONT22NUM_with_");   // 15 units kept
    const GxFontDataEntry* seven = font.GetEntry(u'7');
    ASSERT_NE(seven, nullptr);
    EXPECT_EQ(seven->x, 44);
    EXPECT_EQ(seven->y, 32);
    EXPECT_EQ(seven->width, 22);
    EXPECT_EQ(font.GetCharWidth(u'A'), 22u);
    EXPECT_EQ(font.GetTextWidth(u"0729"), 88u);

    // The image is 110 wide in a 128-wide texture and is not stretched, so coordinates are
    // image pixels over the texture size.
    EXPECT_EQ(font.GetTexture()->GetWidth(), 128u);
    float uv[4];
    ASSERT_TRUE(font.GetCharUV(uv, u'9'));
    EXPECT_FLOAT_EQ(uv[0], 88.0f / 128);
    EXPECT_FLOAT_EQ(uv[2], 110.0f / 128);
    EXPECT_FLOAT_EQ(uv[1], 0.5f);
    EXPECT_FLOAT_EQ(uv[3], 1.0f);

    // The 8-bit form.
    GxFontData narrow;
    ASSERT_TRUE(narrow.CreateGrid(std::string("digits"), WideToUtf8(image), 48, 57, 22, 32, 5));
    EXPECT_EQ(narrow.GetEntry(u'7')->x, 44);
}

TEST_F(FontDataTest, GridFontCoordinatesFollowTheTextureSize)
{
    const std::u16string image = WritePng("wide.png", 256, 128);
    GxFontData font;
    ASSERT_TRUE(font.CreateGrid(u"wide", image, 0x20, 0x7F, 32, 32, 8));
    float uv[4];
    ASSERT_TRUE(font.GetCharUV(uv, char16_t(0x20 + 8)));   // first cell of the second row
    EXPECT_FLOAT_EQ(uv[1], 0.25f);
    EXPECT_FLOAT_EQ(uv[3], 0.5f);
    EXPECT_FLOAT_EQ(uv[0], 0.0f);
    EXPECT_FLOAT_EQ(uv[2], 0.125f);
}

TEST_F(FontDataTest, GridFontKeepsItsTableWhenTheImageFailsAndRefusesGridsItCannotHold)
{
    GxFontData font;
    EXPECT_TRUE(font.CreateGrid(u"nofile", Utf8ToWide((Folder() / "none.png").string()), 48, 57, 22, 32, 5));
    EXPECT_FALSE(font.IsLoaded());
    EXPECT_EQ(font.GetEntry(u'7')->x, 44);

    struct Case {
        const char* name;
        std::uint32_t first, last, cellWidth, cellHeight, perRow;
    };
    const Case refused[] = {
        {"no cells per row", 48, 57, 22, 32, 0},
        {"first above last", 57, 48, 22, 32, 5},
        {"codes beyond 16 bits", 0xFFF0, 0x10010, 8, 8, 16},
        {"cells beyond 16-bit positions", 0, 4095, 2000, 8, 64},
    };
    const std::u16string image = WritePng("grid.png", 16, 16);
    for (const Case& c : refused) {
        SCOPED_TRACE(c.name);
        errors.lines.clear();
        EXPECT_FALSE(font.CreateGrid(u"bad", image, c.first, c.last, c.cellWidth, c.cellHeight, c.perRow));
        EXPECT_TRUE(errors.Contains(u"Error/GxFontData CreateGrid Failed"));
        EXPECT_FALSE(font.HasChar(char16_t(c.first)));
        EXPECT_FALSE(font.IsLoaded());
    }
}

TEST_F(FontDataTest, GridFontFromAModuleResource)
{
    TestImage picture;
    picture.width = picture.height = 16;
    picture.argb.assign(256, 0xFF00FF00u);
    const ImageBytes png = BuildPng(PngSpecRgba8(picture));
    const GxModuleResourceBlock block{png.data(), DWORD(png.size())};
    GxFontData font;
    ASSERT_TRUE(font.CreateGridFromResource(u"resource_font", nullptr, MakeResourceHandle(&block), 0x30, 0x33, 8, 8,
                                            2, 0));
    EXPECT_TRUE(font.IsLoaded());
    EXPECT_EQ(font.GetEntry(u'3')->x, 8);
    EXPECT_EQ(font.GetEntry(u'3')->y, 8);
}

}  // namespace
}  // namespace drawtest
