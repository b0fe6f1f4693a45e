// Text textures: GDI glyphs (levels, clipping, wrapping, 8-bit forms), grid strings and packed
// 4-bit fonts (plain, soft, outlined) over synthetic fonts.
#include "graphics/texture_text.h"

#include "text_fixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using texttest::Pixels;
using texttest::ReadPixels;

class TextureTextTest : public texttest::TextDeviceTest {
protected:
    // A cleared text texture of the format.
    void Make(GxTextureText& texture, std::uint32_t width, std::uint32_t height, D3DFORMAT format,
              D3DCOLOR fill = 0)
    {
        ASSERT_TRUE(texture.CreateTexture(u"text", width, height, format, 1));
        ASSERT_TRUE(texture.Fill(fill));
    }
};

// ---- GDI glyphs ---------------------------------------------------------------------------------

TEST_F(TextureTextTest, GlyphLevelsBecomeAlphaWithTheColourAndOverwriteTheBox)
{
    GxTextureText texture;
    Make(texture, 64, 64, D3DFMT_A8R8G8B8, 0xFF00FF00);
    std::int32_t endX = 0;
    std::int32_t endY = 0;
    ASSERT_TRUE(texture.DrawString(u"あ", 4, 6, 24, 0x80336699, &endX, &endY));
    EXPECT_EQ(endX, 4 + 24);
    EXPECT_EQ(endY, 6);

    const Pixels pixels = ReadPixels(texture);
    std::size_t opaque = 0;
    std::size_t cleared = 0;
    for (std::uint32_t value : pixels.values) {
        if (value == 0xFF00FF00) continue;
        // The box is written, not blended: every changed pixel carries the colour's RGB and the
        // alpha of its level, even where the level is 0.
        EXPECT_EQ(value & 0x00FFFFFF, 0x336699u);
        opaque += (value >> 24) == 0xFF;
        cleared += (value >> 24) == 0;
    }
    EXPECT_GT(opaque, 40u);
    EXPECT_GT(cleared, 10u);
}

TEST_F(TextureTextTest, GrayLevelTableMakesFiftyTwoAndAboveOpaque)
{
    GxTextureText texture;
    const std::uint8_t levels[] = {0, 1, 26, 51, 52, 64, 200};
    std::uint32_t out32[7] = {};
    std::uint16_t out16[7] = {};
    GxTextBlitRegion region;
    region.source = levels;
    region.sourcePitch = 7;
    region.width = 7;
    region.height = 1;
    region.dest = reinterpret_cast<std::uint8_t*>(out32);
    region.destPitch = sizeof out32;
    texture.BlitGray8To32(region, 0x12ABCDEF);
    EXPECT_EQ(out32[0], 0x00ABCDEFu);
    EXPECT_EQ(out32[1], 0x04ABCDEFu);   // 255 / 52 = 4
    EXPECT_EQ(out32[2], 0x7FABCDEFu);   // 26 * 255 / 52 = 127
    EXPECT_EQ(out32[3], 0xFAABCDEFu);   // 250
    EXPECT_EQ(out32[4], 0xFFABCDEFu);
    EXPECT_EQ(out32[5], 0xFFABCDEFu);
    EXPECT_EQ(out32[6], 0xFFABCDEFu);   // out-of-range levels count as 64

    region.dest = reinterpret_cast<std::uint8_t*>(out16);
    region.destPitch = sizeof out16;
    texture.BlitGray8To16(region, 0x12ABCDEF);
    EXPECT_EQ(out16[0], 0x0ACEu);
    EXPECT_EQ(out16[2], 0x7ACEu);
    EXPECT_EQ(out16[4], 0xFACEu);
}

TEST_F(TextureTextTest, SizesAboveSixtyFourAreDrawnAtSixtyFour)
{
    GxTextureText large;
    GxTextureText reference;
    Make(large, 128, 128, D3DFMT_A8R8G8B8);
    Make(reference, 128, 128, D3DFMT_A8R8G8B8);
    std::int32_t endX = 0;
    ASSERT_TRUE(large.DrawString(u"A", 0, 0, 80, 0xFFFFFFFF, &endX, nullptr));
    EXPECT_EQ(endX, 32);
    ASSERT_TRUE(reference.DrawString(u"A", 0, 0, 64, 0xFFFFFFFF, nullptr, nullptr));
    EXPECT_EQ(ReadPixels(large).values, ReadPixels(reference).values);
}

TEST_F(TextureTextTest, SpacesAdvanceWithoutDrawing)
{
    GxTextureText texture;
    Make(texture, 64, 32, D3DFMT_A8R8G8B8);
    std::int32_t endX = 0;
    ASSERT_TRUE(texture.DrawString(u" 　 ", 2, 0, 16, 0xFFFFFFFF, &endX, nullptr));
    EXPECT_EQ(endX, 2 + 8 + 16 + 8);
    ASSERT_TRUE(texture.DrawString(std::string_view(" \x81\x40"), 0, 0, 16, 0xFFFFFFFF, &endX, nullptr));
    EXPECT_EQ(endX, 8 + 16);
    EXPECT_EQ(ReadPixels(texture).CountNot(0), 0u);
}

// A glyph box that starts left of the surface or above it must be cut there: at x < 0 it would
// otherwise land at the end of the row above, at y < 0 before the locked level.
TEST_F(TextureTextTest, GlyphBoxesAreClippedOnAllFourSides)
{
    const D3DCOLOR sentinel = 0x12345678;
    struct Case {
        std::int32_t x, y;
        std::uint32_t minX, maxX, minY, maxY;   // where ink may appear
    };
    const Case cases[] = {
        {-5, 20, 0, 7, 20, 47},     // left
        {20, -12, 20, 47, 0, 15},   // top
        {60, 20, 60, 63, 20, 47},   // right
        {20, 56, 20, 47, 56, 63},   // bottom
        {-6, -10, 0, 7, 0, 15},     // corner
    };
    for (const Case& c : cases) {
        GxTextureText texture;
        Make(texture, 64, 64, D3DFMT_A8R8G8B8, sentinel);
        ASSERT_TRUE(texture.DrawString(u"W", c.x, c.y, 24, 0xFFFFFFFF, nullptr, nullptr));
        const Pixels pixels = ReadPixels(texture);
        std::size_t changed = 0;
        for (std::uint32_t y = 0; y < 64; ++y)
            for (std::uint32_t x = 0; x < 64; ++x) {
                if (pixels.At(x, y) == sentinel) continue;
                ++changed;
                EXPECT_TRUE(x >= c.minX && x <= c.maxX && y >= c.minY && y <= c.maxY)
                    << "pixel " << x << "," << y << " for a glyph at " << c.x << "," << c.y;
            }
        EXPECT_GT(changed, 0u) << c.x << "," << c.y;
    }
}

TEST_F(TextureTextTest, SixteenBitSurfacesTakeTheTopFourBits)
{
    GxTextureText texture;
    Make(texture, 32, 32, D3DFMT_A4R4G4B4);
    ASSERT_TRUE(texture.DrawString(u"A", 0, 0, 16, 0xFF3A6C9F, nullptr, nullptr));
    const Pixels pixels = ReadPixels(texture);
    std::size_t opaque = 0;
    for (std::uint32_t value : pixels.values) {
        if (value == 0) continue;
        EXPECT_EQ(value & 0x0FFF, 0x369u);
        opaque += (value >> 12) == 0xF;
    }
    EXPECT_GT(opaque, 10u);
}

TEST_F(TextureTextTest, UnhandledFormatsDrawNothing)
{
    GxTextureText texture;
    ASSERT_TRUE(texture.CreateTexture(u"x8", 32, 32, D3DFMT_X8R8G8B8, 1));
    ASSERT_TRUE(texture.Fill(0));
    EXPECT_TRUE(texture.DrawString(u"A", 0, 0, 16, 0xFFFFFFFF, nullptr, nullptr));
    EXPECT_EQ(ReadPixels(texture).CountNot(0), 0u);
}

TEST_F(TextureTextTest, EightBitFormsMatchTheWideOnes)
{
    GxTextureText wide;
    GxTextureText narrow;
    Make(wide, 128, 32, D3DFMT_A8R8G8B8);
    Make(narrow, 128, 32, D3DFMT_A8R8G8B8);
    std::int32_t wideEnd = 0;
    std::int32_t narrowEnd = 0;
    ASSERT_TRUE(wide.DrawString(u"Aあｱ漢", 1, 2, 20, 0xFFFF8000, &wideEnd, nullptr));
    // "Aあｱ漢" in code page 932.
    ASSERT_TRUE(narrow.DrawString(std::string_view("A\x82\xA0\xB1\x8A\xBF"), 1, 2, 20, 0xFFFF8000, &narrowEnd,
                                  nullptr));
    EXPECT_EQ(wideEnd, 1 + 10 + 20 + 10 + 20);
    EXPECT_EQ(narrowEnd, wideEnd);
    EXPECT_EQ(ReadPixels(narrow).values, ReadPixels(wide).values);
}

TEST_F(TextureTextTest, WrappedStringsBreakByUnitsAndAtTheBreakCharacter)
{
    struct Case {
        std::u16string text;
        std::int32_t unitsPerLine;
        char16_t breakChar;
        std::int32_t endX, endY;
    };
    // Start (5, 3), new lines at x 1, size 16, spacing 2 between characters and 4 between lines.
    const Case cases[] = {
        {u"ABCD", 4, u'|', 5 + 4 * 10, 3},                  // fills the line exactly
        {u"ABCDE", 4, u'|', 1 + 10, 3 + 20},                 // the fifth goes to the next line
        {u"AB|C", 100, u'|', 1 + 10, 3 + 20},                // the break is not drawn
        {u"あいう", 4, u'|', 1 + 18, 3 + 20},                // full-width counts two units
        {u"AあB", 100, u'あ', 5 + 10 + 18 + 10, 3},          // a full-width break is plain text
    };
    for (const Case& c : cases) {
        GxTextureText texture;
        Make(texture, 128, 64, D3DFMT_A8R8G8B8);
        std::int32_t endX = 0;
        std::int32_t endY = 0;
        ASSERT_TRUE(texture.DrawStringWrapped(c.text, 5, 3, 1, 16, c.unitsPerLine, 0xFFFFFFFF, 2, 4, &endX, &endY,
                                              c.breakChar));
        EXPECT_EQ(endX, c.endX) << std::string(c.text.begin(), c.text.end());
        EXPECT_EQ(endY, c.endY) << std::string(c.text.begin(), c.text.end());
    }

    // The 8-bit form counts byte lengths and breaks at a one-byte code.
    GxTextureText texture;
    Make(texture, 128, 64, D3DFMT_A8R8G8B8);
    std::int32_t endX = 0;
    std::int32_t endY = 0;
    ASSERT_TRUE(texture.DrawStringWrapped(std::string_view("A\n\x82\xA0\x82\xA2\x82\xA4"), 0, 0, 0, 16, 4,
                                          0xFFFFFFFF, 0, 0, &endX, &endY, '\n'));
    EXPECT_EQ(endX, 16);   // あい fill the second line, う opens the third
    EXPECT_EQ(endY, 32);
}

TEST_F(TextureTextTest, NothingIsDrawnWithoutADeviceTexture)
{
    GxTextureText texture;   // never created
    std::int32_t endX = -1;
    EXPECT_FALSE(texture.DrawString(u"A", 0, 0, 16, 0xFFFFFFFF, &endX, nullptr));
    EXPECT_EQ(endX, -1);
    EXPECT_FALSE(texture.DrawString(std::string_view("A"), 0, 0, 16, 0xFFFFFFFF, nullptr, nullptr));
    EXPECT_FALSE(texture.DrawStringWrapped(u"A", 0, 0, 0, 16, 4, 0xFFFFFFFF, 0, 0, nullptr, nullptr, u'|'));
}

TEST_F(TextureTextTest, FontDescriptionAndBuffer)
{
    GxTextureText texture;
    EXPECT_EQ(texture.GetFontName(), u"ＭＳ ゴシック");
    EXPECT_EQ(texture.GetBufferSize(), 8192u);

    LOGFONTW font;
    texture.FillLogFont(&font, 24, u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghij");
    EXPECT_EQ(font.lfHeight, 24);
    EXPECT_EQ(font.lfWidth, 0);
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_EQ(font.lfItalic, 0);
    EXPECT_EQ(font.lfFaceName[30], u'e');
    EXPECT_EQ(font.lfFaceName[31], 0);   // cut to fit, always terminated

    EXPECT_TRUE(texture.ResizeBuffer(100));
    EXPECT_EQ(texture.GetBufferSize(), 8192u);   // never shrinks
    EXPECT_TRUE(texture.ResizeBuffer(20000));
    EXPECT_EQ(texture.GetBufferSize(), 20000u);

    texture.SetFontName(std::string_view("\x82\x6C\x82\x72 \x96\xBE\x92\xA9"));   // "ＭＳ 明朝"
    EXPECT_EQ(texture.GetFontName(), u"ＭＳ 明朝");
}

// ---- grid strings -------------------------------------------------------------------------------

class GridStringTest : public TextureTextTest {
protected:
    void SetUp() override
    {
        TextureTextTest::SetUp();
        // 8x8 cells, four per row, each filled with a colour naming its cell.
        ASSERT_TRUE(source.CreateTexture(u"grid", 32, 32, D3DFMT_A8R8G8B8, 1));
        for (LONG row = 0; row < 4; ++row)
            for (LONG column = 0; column < 4; ++column) {
                const RECT cell{column * 8, row * 8, column * 8 + 8, row * 8 + 8};
                ASSERT_TRUE(source.FillRect(&cell, CellColor(column, row)));
            }
        font.texture = &source;
        font.first = '0';
        font.last = '9';
        font.cellHeight = 8;
        font.cellsPerRow = 4;
        font.cellWidth = 8;
    }
    void TearDown() override
    {
        source.ReleaseAll();
        TextureTextTest::TearDown();
    }
    static D3DCOLOR CellColor(std::int32_t column, std::int32_t row) { return 0xFF000000u | (row << 8) | column; }

    GxTexture source;
    GxGridFontDesc font;
};

TEST_F(GridStringTest, CopiesTheCellOfEachCode)
{
    GxTextureText texture;
    Make(texture, 64, 32, D3DFMT_A8R8G8B8);
    std::int32_t endX = 0;
    std::int32_t endY = 0;
    ASSERT_TRUE(texture.DrawGridString(std::string_view("5A9"), &font, 2, 4, &endX, &endY));
    EXPECT_EQ(endX, 2 + 24);
    EXPECT_EQ(endY, 4);
    const Pixels pixels = ReadPixels(texture);
    EXPECT_EQ(pixels.At(2, 4), CellColor(1, 1));    // '5': index 5
    EXPECT_EQ(pixels.At(9, 11), CellColor(1, 1));
    EXPECT_EQ(pixels.At(10, 4), CellColor(0, 0));   // outside the range: cell 0
    EXPECT_EQ(pixels.At(18, 4), CellColor(1, 2));   // '9': index 9
    EXPECT_EQ(pixels.At(26, 4), 0u);
    EXPECT_EQ(pixels.At(2, 12), 0u);

    // The wide form converts to code page 932 first.
    GxTextureText wide;
    Make(wide, 64, 32, D3DFMT_A8R8G8B8);
    ASSERT_TRUE(wide.DrawGridString(u"5A9", &font, 2, 4, nullptr, nullptr));
    EXPECT_EQ(ReadPixels(wide).values, pixels.values);
}

TEST_F(GridStringTest, WrapsByCharacterCount)
{
    GxTextureText texture;
    Make(texture, 64, 64, D3DFMT_A8R8G8B8);
    std::int32_t endX = 0;
    std::int32_t endY = 0;
    ASSERT_TRUE(texture.DrawGridStringWrapped(u"012|3", &font, 0, 0, 4, 2, 1, 3, &endX, &endY, u'|'));
    const Pixels pixels = ReadPixels(texture);
    EXPECT_EQ(pixels.At(0, 0), CellColor(0, 0));
    EXPECT_EQ(pixels.At(9, 0), CellColor(1, 0));    // after one pixel of spacing
    EXPECT_EQ(pixels.At(4, 11), CellColor(2, 0));   // third character: next line, 8 + 3 lower
    EXPECT_EQ(pixels.At(4, 22), CellColor(3, 0));   // after the break
    EXPECT_EQ(endX, 4 + 9);
    EXPECT_EQ(endY, 22);
}

TEST_F(GridStringTest, RefusesMissingOrEmptyFonts)
{
    GxTextureText texture;
    Make(texture, 32, 32, D3DFMT_A8R8G8B8);
    EXPECT_FALSE(texture.DrawGridString(u"1", nullptr, 0, 0, nullptr, nullptr));
    GxGridFontDesc noRow = font;
    noRow.cellsPerRow = 0;   // would divide by zero
    EXPECT_FALSE(texture.DrawGridString(u"1", &noRow, 0, 0, nullptr, nullptr));
    EXPECT_FALSE(texture.DrawGridStringWrapped(u"1", &noRow, 0, 0, 0, 2, 0, 0, nullptr, nullptr, u'|'));
    GxTexture empty;
    GxGridFontDesc noTexture = font;
    noTexture.texture = &empty;
    EXPECT_FALSE(texture.DrawGridString(u"1", &noTexture, 0, 0, nullptr, nullptr));

    // Variable-width grids give cells 0 pixels wide.
    GxGridFontDesc variable = font;
    variable.variableWidth = 1;
    std::int32_t endX = -1;
    EXPECT_TRUE(texture.DrawGridString(u"123", &variable, 3, 0, &endX, nullptr));
    EXPECT_EQ(endX, 3);
    EXPECT_EQ(ReadPixels(texture).CountNot(0), 0u);
}

// ---- packed fonts -----------------------------------------------------------------------------

// A synthetic packed font: cell size 8 (half-width glyphs 4 x 8), four half cells per row,
// 16 pixels a row. Codes 'A', 'B' and 'C' are glyphs 0, 1, 2; the double-byte code 0x8260
// ("Ａ") is the full-width glyph 4 (half cells 0 and 1 of the second row).
class TestPackedFont : public GxPackedFontSource {
public:
    TestPackedFont() : bits(16 * 16 / 2, 0) {}
    std::uint32_t GetCellSize() const override { return 8; }
    std::uint32_t GetHalfCellsPerRow() const override { return 4; }
    std::uint32_t GetRowPitch() const override { return 16; }
    std::uint32_t GetGlyphCount() const override { return glyphCount; }
    std::uint32_t GetGlyphIndex(std::uint32_t code) const override
    {
        if (code >= 'A' && code <= 'C') return code - 'A';
        if (code == 0x8260) return 4;
        return 0xFFFFFFFF;
    }
    const std::uint8_t* GetBits() const override { return bits.data(); }
    std::size_t GetBitsSize() const override { return bits.size(); }

    void Set(std::uint32_t x, std::uint32_t y, std::uint8_t value)
    {
        const std::uint32_t pixel = y * 16 + x;
        std::uint8_t& byte = bits[pixel / 2];
        byte = (pixel & 1) ? static_cast<std::uint8_t>((byte & 0x0F) | value << 4)
                           : static_cast<std::uint8_t>((byte & 0xF0) | value);
    }

    std::vector<std::uint8_t> bits;
    std::uint32_t glyphCount = 5;
};

class PackedStringTest : public TextureTextTest {};

TEST_F(PackedStringTest, PlainGlyphsCopyTheirCoverage)
{
    TestPackedFont font;
    font.Set(4 + 1, 2, 15);   // glyph 'B' (half cell 1): pixel (1, 2)
    font.Set(4 + 2, 2, 6);
    GxTextureText texture;
    Make(texture, 32, 16, D3DFMT_A8R8G8B8, 0xFF0000FF);
    std::int32_t endX = 0;
    std::int32_t endY = 0;
    ASSERT_TRUE(texture.DrawPackedString(std::string_view("AB"), &font, 3, 1, 0xFF102030, &endX, &endY,
                                         kPackedEffectPlain, 0));
    EXPECT_EQ(endX, 3 + 8);
    EXPECT_EQ(endY, 1);
    const Pixels pixels = ReadPixels(texture);
    EXPECT_EQ(pixels.At(3 + 4 + 1, 1 + 2), 0xFF102030u);
    EXPECT_EQ(pixels.At(3 + 4 + 2, 1 + 2), 0x66102030u);
    EXPECT_EQ(pixels.At(3, 1), 0x00102030u);        // inside a glyph box: overwritten
    EXPECT_EQ(pixels.At(3 + 8, 1), 0xFF0000FFu);    // past the boxes
    EXPECT_EQ(pixels.At(3, 1 + 8), 0xFF0000FFu);

    GxTextureText sixteen;
    Make(sixteen, 32, 16, D3DFMT_A4R4G4B4);
    ASSERT_TRUE(sixteen.DrawPackedString(u"AB", &font, 3, 1, 0xFF102030, nullptr, nullptr, kPackedEffectPlain, 0));
    const Pixels small = ReadPixels(sixteen);
    EXPECT_EQ(small.At(3 + 4 + 1, 1 + 2), 0xF123u);
    EXPECT_EQ(small.At(3 + 4 + 2, 1 + 2), 0x6123u);
}

TEST_F(PackedStringTest, SoftEffectSpreadsTheCoverage)
{
    TestPackedFont font;
    font.Set(6, 8 + 3, 15);   // full-width glyph 4 ("Ａ"), second glyph row: pixel (6, 3)
    GxTextureText texture;
    Make(texture, 32, 16, D3DFMT_A8R8G8B8);
    ASSERT_TRUE(texture.DrawPackedString(std::string_view("\x82\x60"), &font, 0, 0, 0xFFFFFFFF, nullptr, nullptr,
                                         kPackedEffectSoft, 0));
    const Pixels pixels = ReadPixels(texture);
    EXPECT_EQ(pixels.At(6, 3) >> 24, 15u * 0x11);   // (2 x 15) / 2
    EXPECT_EQ(pixels.At(7, 3) >> 24, 3u * 0x11);    // (15 / 2) / 2
    EXPECT_EQ(pixels.At(6, 2) >> 24, 3u * 0x11);
    EXPECT_EQ(pixels.At(7, 4) >> 24, 1u * 0x11);    // (15 / 4) / 2
    EXPECT_EQ(pixels.At(8, 3) >> 24, 0u);
    EXPECT_EQ(pixels.At(6, 3) & 0xFFFFFF, 0xFFFFFFu);
}

TEST_F(PackedStringTest, OutlinedEffectDrawsARimInTheSecondColour)
{
    TestPackedFont font;
    font.Set(0 + 3, 4, 15);   // glyph 'A': pixel (3, 4)
    GxTextureText texture;
    Make(texture, 16, 16, D3DFMT_A8R8G8B8);
    ASSERT_TRUE(texture.DrawPackedString(u"A", &font, 0, 0, 0xFFFFFFFF, nullptr, nullptr, kPackedEffectOutlined,
                                         0xFF000000));
    const Pixels pixels = ReadPixels(texture);
    EXPECT_EQ(pixels.At(3, 4), 0xFFFFFFFFu);             // the glyph in its colour
    EXPECT_EQ(pixels.At(2, 4), 0x77000000u);             // neighbour: (15) / 2 = 7, second colour
    EXPECT_EQ(pixels.At(2, 3), 0x77000000u);             // diagonal neighbours count fully
    EXPECT_EQ(pixels.At(1, 4), 0x33000000u);             // two steps: (15 / 2) / 2 = 3
    EXPECT_EQ(pixels.At(1, 3), 0x00000000u);

    GxTextureText sixteen;
    Make(sixteen, 16, 16, D3DFMT_A4R4G4B4);
    ASSERT_TRUE(sixteen.DrawPackedString(u"A", &font, 0, 0, 0xFFFF0000, nullptr, nullptr, kPackedEffectOutlined,
                                         0xFF0000FF));
    const Pixels small = ReadPixels(sixteen);
    EXPECT_EQ(small.At(3, 4), 0xFF00u);
    EXPECT_EQ(small.At(2, 4), 0x700Fu);
}

TEST_F(PackedStringTest, SkipsUnknownGlyphsAndNeverReadsPastTheBitmap)
{
    TestPackedFont font;
    font.glyphCount = 2;   // 'C' (glyph 2) is past the count
    font.Set(8 + 1, 1, 15);
    GxTextureText texture;
    Make(texture, 64, 32, D3DFMT_A8R8G8B8, 0xFF00FF00);
    std::int32_t endX = 0;
    ASSERT_TRUE(texture.DrawPackedString(u"C?", &font, 0, 0, 0xFFFFFFFF, &endX, nullptr, kPackedEffectPlain, 0));
    EXPECT_EQ(endX, 8);   // both advance
    EXPECT_EQ(ReadPixels(texture).CountNot(0xFF00FF00), 0u);

    // A bitmap cut short: the missing rows read as 0 (the sanitizer would see an over-read).
    TestPackedFont cut;
    cut.bits.resize(16 * 3 / 2);
    cut.Set(1, 1, 15);
    ASSERT_TRUE(texture.DrawPackedString(u"A", &cut, 0, 0, 0xFFFFFFFF, nullptr, nullptr, kPackedEffectOutlined,
                                         0xFF000000));
    EXPECT_EQ(ReadPixels(texture).At(1, 1), 0xFFFFFFFFu);
}

TEST_F(PackedStringTest, ClipsAndWraps)
{
    TestPackedFont font;
    for (std::uint32_t y = 0; y < 8; ++y)
        for (std::uint32_t x = 0; x < 4; ++x) font.Set(x, y, 15);   // 'A' solid
    GxTextureText texture;
    Make(texture, 16, 16, D3DFMT_A8R8G8B8);
    for (auto [x, y] : {std::pair{-2, -3}, std::pair{14, 13}})
        ASSERT_TRUE(texture.DrawPackedString(u"A", &font, x, y, 0xFFFFFFFF, nullptr, nullptr, kPackedEffectSoft, 0));
    const Pixels pixels = ReadPixels(texture);
    EXPECT_EQ(pixels.CountNot(0), 2u * 5 + 2u * 3);   // 2 x 5 at the top left, 2 x 3 at the bottom right

    std::int32_t endX = 0;
    std::int32_t endY = 0;
    GxTextureText wrapped;
    Make(wrapped, 64, 64, D3DFMT_A8R8G8B8);
    ASSERT_TRUE(wrapped.DrawPackedStringWrapped(u"AAA|A", &font, 1, 1, 2, 2, 0xFFFFFFFF, 1, 2, &endX, &endY, u'|',
                                                kPackedEffectPlain, 0));
    EXPECT_EQ(endX, 2 + 5);
    EXPECT_EQ(endY, 1 + 10 + 10);
    const Pixels lines = ReadPixels(wrapped);
    EXPECT_EQ(lines.At(1, 1), 0xFFFFFFFFu);
    EXPECT_EQ(lines.At(6, 1), 0xFFFFFFFFu);   // 1 + 4 + 1 spacing
    EXPECT_EQ(lines.At(2, 11), 0xFFFFFFFFu);
    EXPECT_EQ(lines.At(2, 21), 0xFFFFFFFFu);

    EXPECT_FALSE(wrapped.DrawPackedString(u"A", nullptr, 0, 0, 0, nullptr, nullptr, 0, 0));
    TestPackedFont none;
    none.glyphCount = 0;
    EXPECT_FALSE(wrapped.DrawPackedString(u"A", &none, 0, 0, 0, nullptr, nullptr, 0, 0));
}

}  // namespace
