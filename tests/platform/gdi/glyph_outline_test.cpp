#include "tests/platform/gdi/gdi_fixture.h"

#include <algorithm>

namespace {

using gditest::FetchA;
using gditest::FetchW;
using gditest::Glyph;
using gditest::kIdentity;
using gditest::ScopedFont;

std::size_t RowBytes(const GLYPHMETRICS& m) { return (m.gmBlackBoxX + 3u) & ~3u; }

TEST(GdiGlyph, Gray8BitmapHas65LevelsAndPaddedRows)
{
    ScopedFont font(20);
    ASSERT_TRUE(font.Ok());
    for (char16_t c : {u'あ', u'A', u'漢', u'g', u'｢'}) {
        SCOPED_TRACE(testing::Message() << "U+" << std::hex << int(c));
        const Glyph glyph = FetchW(font.Dc(), c);
        const GLYPHMETRICS& m = glyph.metrics;
        ASSERT_GT(m.gmBlackBoxX, 0u);
        ASSERT_GT(m.gmBlackBoxY, 0u);
        ASSERT_EQ(glyph.bits.size(), RowBytes(m) * m.gmBlackBoxY);
        EXPECT_EQ(RowBytes(m) % 4, 0u);
        BYTE darkest = 0;
        bool partial = false;
        for (std::size_t y = 0; y < m.gmBlackBoxY; ++y) {
            for (std::size_t x = 0; x < RowBytes(m); ++x) {
                const BYTE level = glyph.bits[y * RowBytes(m) + x];
                ASSERT_LE(level, 64) << "at " << x << "," << y;
                if (x >= m.gmBlackBoxX) {
                    ASSERT_EQ(level, 0) << "padding at " << x << "," << y;
                }
                darkest = std::max(darkest, level);
                partial = partial || (level > 0 && level < 64);
            }
        }
        EXPECT_GT(darkest, 32) << "strokes should reach near-full coverage on the 0..64 scale";
        EXPECT_TRUE(partial) << "anti-aliased edges expected";
    }
}

// The text texture puts a glyph's box at (x + origin x, y + ascent - origin y) in a cell of
// the font's height: boxes must stay inside the cell vertically.
TEST(GdiGlyph, BoxesSitInTheCell)
{
    for (LONG height : {12, 16, 20, 24, 40, 64}) {
        ScopedFont font(height);
        ASSERT_TRUE(font.Ok());
        const TEXTMETRICW tm = font.Metrics();
        for (char16_t c : {u'あ', u'A', u'g', u'漢', u'ｧ', u'」', u'Ｑ'}) {
            SCOPED_TRACE(testing::Message() << "height " << height << " U+" << std::hex << int(c));
            GLYPHMETRICS m{};
            ASSERT_NE(GetGlyphOutlineW(font.Dc(), c, GGO_GRAY8_BITMAP, &m, 0, nullptr, &kIdentity), GDI_ERROR);
            const LONG top = tm.tmAscent - m.gmptGlyphOrigin.y;
            const LONG bottom = top + static_cast<LONG>(m.gmBlackBoxY);
            EXPECT_GE(top, -1);
            EXPECT_LE(bottom, tm.tmHeight + 1);
            EXPECT_GE(m.gmptGlyphOrigin.x, -1);
            EXPECT_LE(m.gmptGlyphOrigin.x + static_cast<LONG>(m.gmBlackBoxX), m.gmCellIncX + 1);
        }
    }
}

TEST(GdiGlyph, FullWidthCharactersAdvanceTwiceAsFar)
{
    for (LONG height : {16, 24, 32}) {
        SCOPED_TRACE(height);
        ScopedFont font(height);
        ASSERT_TRUE(font.Ok());
        const Glyph wide = FetchW(font.Dc(), u'あ');
        const Glyph narrow = FetchW(font.Dc(), u'A');
        const Glyph halfKana = FetchW(font.Dc(), 0xFF71);
        EXPECT_LT(narrow.metrics.gmBlackBoxX, wide.metrics.gmBlackBoxX);
        EXPECT_NEAR(narrow.metrics.gmCellIncX * 2, wide.metrics.gmCellIncX, 1);
        EXPECT_NEAR(halfKana.metrics.gmCellIncX * 2, wide.metrics.gmCellIncX, 1);
        EXPECT_LE(wide.metrics.gmCellIncX, height);
        EXPECT_EQ(wide.metrics.gmCellIncY, 0);
    }
}

TEST(GdiGlyph, NarrowFormTakesCodePage932Codes)
{
    ScopedFont font(24);
    ASSERT_TRUE(font.Ok());
    struct Case {
        UINT code;
        char16_t unit;
    };
    const Case cases[] = {{0x82A0, u'あ'}, {0x8ABF, u'漢'}, {0x889F, u'亜'}, {0x41, u'A'}, {0xB1, 0xFF71}, {0x8145, u'・'}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.code);
        const Glyph narrow = FetchA(font.Dc(), c.code);
        const Glyph wide = FetchW(font.Dc(), c.unit);
        ASSERT_GT(wide.result, 0u);
        EXPECT_EQ(narrow.result, wide.result);
        EXPECT_EQ(std::memcmp(&narrow.metrics, &wide.metrics, sizeof wide.metrics), 0);
        EXPECT_EQ(narrow.bits, wide.bits);
    }
}

// Spaces, control characters, codes that are no character and characters the font lacks
// have nothing to draw: an empty box, a result of 0, and the buffer left alone.
TEST(GdiGlyph, NothingToDrawGivesAnEmptyBox)
{
    ScopedFont font(20);
    ASSERT_TRUE(font.Ok());
    auto expectEmpty = [&](auto call, UINT code) {
        SCOPED_TRACE(testing::Message() << std::hex << code);
        GLYPHMETRICS m{};
        m.gmBlackBoxX = m.gmBlackBoxY = 99;
        EXPECT_EQ(call(font.Dc(), code, GGO_GRAY8_BITMAP, &m, 0, nullptr, &kIdentity), 0u);
        EXPECT_EQ(m.gmBlackBoxX, 0u);
        EXPECT_EQ(m.gmBlackBoxY, 0u);
        BYTE buffer[64];
        std::fill(std::begin(buffer), std::end(buffer), 0xEE);
        EXPECT_EQ(call(font.Dc(), code, GGO_GRAY8_BITMAP, &m, sizeof buffer, buffer, &kIdentity), 0u);
        EXPECT_TRUE(std::all_of(std::begin(buffer), std::end(buffer), [](BYTE b) { return b == 0xEE; }));
    };
    for (UINT c : {0x20u, 0x3000u, 0x00u, 0x09u, 0x0Au, 0x0Du, 0x1Fu, 0x7Fu, 0x85u, 0x9Fu, 0xFFFFu, 0xFDD0u, 0xD800u,
                   0x110000u})
        expectEmpty(GetGlyphOutlineW, c);
    // Lone lead byte, bad trail bytes, unassigned double-byte code, beyond 16 bits.
    for (UINT c : {0x20u, 0x8140u, 0x09u, 0x81u, 0x8100u, 0x817Fu, 0x82FFu, 0x8540u, 0x10041u})
        expectEmpty(GetGlyphOutlineA, c);
}

TEST(GdiGlyph, MetricsFormMatchesTheBitmapForm)
{
    ScopedFont font(32);
    ASSERT_TRUE(font.Ok());
    for (char16_t c : {u'あ', u'A', u' '}) {
        const Glyph glyph = FetchW(font.Dc(), c);
        GLYPHMETRICS m{};
        BYTE untouched = 0xEE;
        EXPECT_EQ(GetGlyphOutlineW(font.Dc(), c, GGO_METRICS, &m, 1, &untouched, &kIdentity), 0u);
        EXPECT_EQ(std::memcmp(&m, &glyph.metrics, sizeof m), 0) << std::hex << int(c);
        EXPECT_EQ(untouched, 0xEE);
    }
}

TEST(GdiGlyph, BadRequestsFailCleanly)
{
    ScopedFont font(20);
    ASSERT_TRUE(font.Ok());
    const HDC dc = font.Dc();
    GLYPHMETRICS m{};
    const DWORD size = GetGlyphOutlineW(dc, u'あ', GGO_GRAY8_BITMAP, &m, 0, nullptr, &kIdentity);
    ASSERT_NE(size, GDI_ERROR);
    ASSERT_GT(size, 1u);
    std::vector<BYTE> buffer(size, 0xEE);

    EXPECT_EQ(GetGlyphOutlineW(dc, u'あ', GGO_GRAY8_BITMAP, &m, size - 1, buffer.data(), &kIdentity), GDI_ERROR);
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](BYTE b) { return b == 0xEE; })) << "short buffer written";
    EXPECT_EQ(GetGlyphOutlineW(dc, u'あ', GGO_GRAY8_BITMAP, nullptr, size, buffer.data(), &kIdentity), GDI_ERROR);
    EXPECT_EQ(GetGlyphOutlineW(dc, u'あ', GGO_GRAY8_BITMAP, &m, size, buffer.data(), nullptr), GDI_ERROR);
    const MAT2 doubled = {{0, 2}, {0, 0}, {0, 0}, {0, 2}};
    EXPECT_EQ(GetGlyphOutlineW(dc, u'あ', GGO_GRAY8_BITMAP, &m, size, buffer.data(), &doubled), GDI_ERROR);
    for (UINT format : {GGO_BITMAP, GGO_NATIVE, GGO_BEZIER, GGO_GRAY2_BITMAP, GGO_GRAY4_BITMAP,
                        GGO_GRAY8_BITMAP | GGO_GLYPH_INDEX, GGO_GRAY8_BITMAP | GGO_UNHINTED, 99u})
        EXPECT_EQ(GetGlyphOutlineW(dc, u'あ', format, &m, size, buffer.data(), &kIdentity), GDI_ERROR) << format;

    HDC released = GetDC(nullptr);
    ReleaseDC(nullptr, released);
    for (HDC bad : {HDC{}, released, reinterpret_cast<HDC>(static_cast<std::uintptr_t>(0x1238))}) {
        EXPECT_EQ(GetGlyphOutlineW(bad, u'あ', GGO_GRAY8_BITMAP, &m, size, buffer.data(), &kIdentity), GDI_ERROR);
        EXPECT_EQ(GetGlyphOutlineA(bad, 0x82A0, GGO_GRAY8_BITMAP, &m, size, buffer.data(), &kIdentity), GDI_ERROR);
    }
}

}  // namespace
