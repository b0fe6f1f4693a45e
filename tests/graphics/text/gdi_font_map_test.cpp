// The GDI glyph cache: page sizes, cell placement and packing, caching, the external-character
// grid, and a map without a device.
#include "graphics/gdi_font_map.h"

#include "graphics/graphics.h"
#include "graphics/text_layout.h"
#include "graphics/texture_text.h"
#include "text_fixture.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

using texttest::Pixels;
using texttest::ReadPixels;

class GDIFontMapTest : public texttest::TextDeviceTest {};

bool IsZero(const GxGlyphRecord& glyph)
{
    return glyph.texture == nullptr && glyph.x == 0 && glyph.y == 0 && glyph.width == 0 && glyph.height == 0 &&
           glyph.widthClass == 0 && glyph.leftU == 0.0f && glyph.topV == 0.0f && glyph.rightU == 0.0f &&
           glyph.bottomV == 0.0f;
}

TEST_F(GDIFontMapTest, ControlAndPrivateUseCharactersHaveNoGlyph)
{
    GxGDIFontMap map;
    for (char16_t character : {u'\t', u'\n', char16_t(0), char16_t(31), char16_t(0x7F), char16_t(0x80),
                               char16_t(0x9F), char16_t(0xE000), char16_t(0xF8FF)})
        EXPECT_TRUE(IsZero(map.GetGlyph(character))) << std::hex << static_cast<int>(character);
    EXPECT_EQ(map.GetPageCount(), 0u);
    EXPECT_EQ(map.GetCachedGlyphCount(), 0u);
    EXPECT_FALSE(IsZero(map.GetGlyph(0xA0)));   // just past the control range
}

TEST_F(GDIFontMapTest, PageEdgeDependsOnTheFontSize)
{
    struct Case {
        std::int32_t size;
        std::uint32_t edge;
    };
    for (const Case& c : {Case{16, 256}, Case{17, 256}, Case{18, 512}, Case{20, 512}}) {
        GxGDIFontMap map;
        map.SetFont(c.size, nullptr);
        const GxGlyphRecord glyph = map.GetGlyph(u'A');
        ASSERT_NE(glyph.texture, nullptr) << c.size;
        EXPECT_EQ(glyph.texture->GetWidth(), c.edge) << c.size;
        EXPECT_EQ(glyph.texture->GetHeight(), c.edge) << c.size;
        EXPECT_EQ(glyph.texture->GetFormat(), D3DFMT_A4R4G4B4);
        EXPECT_EQ(glyph.texture->GetName(), u"gdifontmap");
    }
}

TEST_F(GDIFontMapTest, CellsAreSizedByWidthClassAndPackedLeftToRight)
{
    GxGDIFontMap map;   // size 16, default face
    EXPECT_EQ(map.GetFontSize(), 16);
    EXPECT_EQ(map.GetFaceName(), u"ＭＳ ゴシック");

    const GxGlyphRecord a = map.GetGlyph(u'A');
    EXPECT_EQ(a.x, 0);
    EXPECT_EQ(a.y, 0);
    EXPECT_EQ(a.width, 8);
    EXPECT_EQ(a.height, 16);
    EXPECT_EQ(a.widthClass, 1);
    EXPECT_FLOAT_EQ(a.rightU, 8.0f / 256.0f);
    EXPECT_FLOAT_EQ(a.bottomV, 16.0f / 256.0f);

    const GxGlyphRecord hiragana = map.GetGlyph(u'あ');
    EXPECT_EQ(hiragana.texture, a.texture);
    EXPECT_EQ(hiragana.x, 8);
    EXPECT_EQ(hiragana.width, 16);
    EXPECT_EQ(hiragana.widthClass, 2);
    EXPECT_FLOAT_EQ(hiragana.leftU, 8.0f / 256.0f);
    EXPECT_FLOAT_EQ(hiragana.rightU, 24.0f / 256.0f);

    const GxGlyphRecord halfKatakana = map.GetGlyph(0xFF71);
    EXPECT_EQ(halfKatakana.width, 8);
    EXPECT_EQ(halfKatakana.x, 24);
}

TEST_F(GDIFontMapTest, CharacterIsRasterisedOnce)
{
    GxGDIFontMap map;
    const GxGlyphRecord first = map.GetGlyph(u'漢');
    ASSERT_NE(first.texture, nullptr);
    const Pixels before = ReadPixels(*first.texture);
    const GxGlyphRecord second = map.GetGlyph(u'漢');
    EXPECT_EQ(second.texture, first.texture);
    EXPECT_EQ(second.x, first.x);
    EXPECT_EQ(map.GetCachedGlyphCount(), 1u);
    EXPECT_EQ(map.GetCurrentPage()->m_PenX, 16);   // advanced once
    EXPECT_EQ(ReadPixels(*first.texture).values, before.values);
}

TEST_F(GDIFontMapTest, GlyphPixelsStayInsideTheirCells)
{
    GxGDIFontMap map;
    map.SetFont(24, nullptr);
    const std::u16string text = u"Ajg_Wあ漢字ｱ";
    std::vector<GxGlyphRecord> cells;
    for (char16_t character : text) cells.push_back(map.GetGlyph(character));
    ASSERT_EQ(map.GetPageCount(), 1u);
    const Pixels page = ReadPixels(*cells.front().texture);

    std::size_t opaque = 0;
    for (std::uint32_t y = 0; y < page.height; ++y) {
        for (std::uint32_t x = 0; x < page.width; ++x) {
            const std::uint32_t value = page.At(x, y);
            if ((value >> 12) == 0) continue;   // transparent
            bool inside = false;
            for (const GxGlyphRecord& cell : cells)
                inside |= static_cast<std::int32_t>(x) >= cell.x && static_cast<std::int32_t>(x) < cell.x + cell.width &&
                          static_cast<std::int32_t>(y) >= cell.y && static_cast<std::int32_t>(y) < cell.y + cell.height;
            EXPECT_TRUE(inside) << "ink at " << x << "," << y;
            EXPECT_EQ(value & 0x0FFF, 0x0FFFu) << "glyphs are white";
            opaque += (value >> 12) == 0xF;
        }
    }
    EXPECT_GT(opaque, 100u);
}

// At size 20 the installed gothic's "|" and "ギ" reach a row above their cell; on the page that
// row belongs to the cell above, which must keep its pixels.
TEST_F(GDIFontMapTest, AGlyphReachingPastItsCellLeavesItsNeighboursAlone)
{
    GxGDIFontMap map;
    map.SetFont(20, nullptr);
    std::vector<GxGlyphRecord> above;
    for (char16_t c = u'\u4E00'; map.GetCurrentPage() == nullptr || map.GetCurrentPage()->m_PenY == 0; ++c)
        above.push_back(map.GetGlyph(c));
    ASSERT_GT(above.size(), 20u);
    GxTexture* page = above.front().texture;
    ASSERT_NE(page, nullptr);
    const Pixels before = ReadPixels(*page);

    std::vector<GxGlyphRecord> below;
    for (char16_t c : std::u16string(u"|ギ|漢ギ|"))
        below.push_back(map.GetGlyph(c));
    ASSERT_EQ(below.front().y, 20);
    ASSERT_EQ(below.back().texture, page);
    const Pixels after = ReadPixels(*page);

    for (std::uint32_t y = 0; y < 20; ++y)
        for (std::uint32_t x = 0; x < after.width; ++x)
            ASSERT_EQ(after.At(x, y), before.At(x, y)) << "pixel " << x << "," << y << " of the row above";
    // Each glyph of the lower row drew its ink, all of it inside its own cell.
    for (const GxGlyphRecord& cell : below) {
        std::size_t inside = 0;
        for (std::int32_t y = cell.y; y < cell.y + cell.height; ++y)
            for (std::int32_t x = cell.x; x < cell.x + cell.width; ++x)
                inside += (after.At(static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y)) >> 12) != 0;
        EXPECT_GT(inside, 10u) << "cell at " << cell.x;
    }
}

TEST_F(GDIFontMapTest, PacksFifteenRowsOfFifteenCellsOnASmallPage)
{
    GxGDIFontMap map;   // size 16: 256-pixel pages
    // Fifteen full-width cells per row (pen x 240 + 16 reaches the edge), fifteen rows (pen y
    // 240 + 16 does not fit): 225 kanji on the first page.
    const GxTexture* firstPage = nullptr;
    for (char16_t character = 0x4E00; character < 0x4E00 + 225; ++character) {
        const GxGlyphRecord glyph = map.GetGlyph(character);
        ASSERT_NE(glyph.texture, nullptr);
        if (!firstPage) firstPage = glyph.texture;
        EXPECT_EQ(glyph.texture, firstPage);
        const std::int32_t index = character - 0x4E00;
        EXPECT_EQ(glyph.x, 16 * (index % 15));
        EXPECT_EQ(glyph.y, 16 * (index / 15));
    }
    EXPECT_EQ(map.GetPageCount(), 1u);

    const GxGlyphRecord next = map.GetGlyph(0x4E00 + 225);
    EXPECT_NE(next.texture, firstPage);
    EXPECT_EQ(next.x, 0);
    EXPECT_EQ(next.y, 0);
    EXPECT_EQ(map.GetPageCount(), 2u);
    // The full page keeps serving its glyphs.
    EXPECT_EQ(map.GetGlyph(0x4E00).texture, firstPage);
}

TEST_F(GDIFontMapTest, SetFontAndClearDropEveryPage)
{
    GxGDIFontMap map;
    map.GetGlyph(u'A');
    map.GetGlyph(u'B');
    ASSERT_EQ(map.GetPageCount(), 1u);

    map.SetFont(20, u"IPAGothic");
    EXPECT_EQ(map.GetPageCount(), 0u);
    EXPECT_EQ(map.GetCachedGlyphCount(), 0u);
    EXPECT_EQ(map.GetCurrentPage(), nullptr);
    EXPECT_EQ(map.GetFaceName(), u"IPAGothic");
    const GxGlyphRecord b = map.GetGlyph(u'B');
    EXPECT_EQ(b.x, 0);
    EXPECT_EQ(b.y, 0);
    EXPECT_EQ(b.width, 10);

    map.SetFont(20, u"");
    EXPECT_EQ(map.GetFaceName(), u"ＭＳ ゴシック");

    map.Clear();
    EXPECT_EQ(map.GetPageCount(), 0u);
    EXPECT_EQ(map.GetFontSize(), 20);   // size and face stay
}

TEST_F(GDIFontMapTest, PrivateUseCharactersComeFromTheExternalGrid)
{
    GxGDIFontMap map;
    auto grid = std::make_unique<GxTexture>();
    ASSERT_TRUE(grid->CreateTexture(u"gaiji", 256, 128, D3DFMT_A8R8G8B8, 1));
    GxTexture* gridTexture = grid.get();
    map.SetExternalCharTexture(std::move(grid), 8);

    const GxGlyphRecord glyph = map.GetGlyph(0xE009);   // index 9: column 1, row 1
    EXPECT_EQ(glyph.texture, gridTexture);
    EXPECT_EQ(glyph.x, 16);
    EXPECT_EQ(glyph.y, 16);
    EXPECT_EQ(glyph.width, 16);
    EXPECT_EQ(glyph.height, 16);
    EXPECT_EQ(glyph.widthClass, 2);
    EXPECT_FLOAT_EQ(glyph.leftU, 16.0f / 256.0f);
    EXPECT_FLOAT_EQ(glyph.topV, 16.0f / 128.0f);
    EXPECT_FLOAT_EQ(glyph.rightU, 32.0f / 256.0f);
    EXPECT_FLOAT_EQ(glyph.bottomV, 32.0f / 128.0f);
    EXPECT_EQ(map.GetPageCount(), 0u);   // never rasterised

    map.Clear();   // deletes the grid
    EXPECT_TRUE(IsZero(map.GetGlyph(0xE009)));
}

TEST_F(GDIFontMapTest, SizesThatCannotFitAPageHaveNoGlyphs)
{
    for (std::int32_t size : {0, -16, 512, 4000}) {
        GxGDIFontMap map;
        map.SetFont(size, nullptr);
        EXPECT_TRUE(IsZero(map.GetGlyph(u'A'))) << size;
        EXPECT_EQ(map.GetPageCount(), 0u) << size;
    }
    GxGDIFontMap largest;
    largest.SetFont(511, nullptr);
    EXPECT_EQ(largest.GetGlyph(u'A').height, 511);
}

// Without a device no page texture can be made: glyphs must be "none", not records pointing at
// an empty texture (which would draw as solid boxes), and nothing may stay cached.
TEST(GDIFontMapWithoutDevice, GivesNoGlyphAndCachesNothing)
{
    ASSERT_EQ(GxGraphics::GetDevice(), nullptr);
    GxGDIFontMap map;
    const GxGlyphRecord glyph = map.GetGlyph(u'A');
    EXPECT_TRUE(IsZero(glyph));
    EXPECT_EQ(map.GetPageCount(), 0u);
    EXPECT_EQ(map.GetCachedGlyphCount(), 0u);
}

TEST_F(GDIFontMapTest, FailedPageIsNotKeptAndALaterRequestSucceeds)
{
    GxGDIFontMap map;
    GxGraphics::Release();
    EXPECT_TRUE(IsZero(map.GetGlyph(u'A')));
    EXPECT_EQ(map.GetPageCount(), 0u);

    platform::d3d9::SetVirtualAdapter(adapter);
    ASSERT_TRUE(GxGraphics::CreateDevice(texttest::FakeWindow(), nullptr, nullptr, nullptr));
    const GxGlyphRecord glyph = map.GetGlyph(u'A');
    ASSERT_NE(glyph.texture, nullptr);
    EXPECT_TRUE(glyph.texture->HasTexture());
    EXPECT_EQ(map.GetPageCount(), 1u);
}

}  // namespace
