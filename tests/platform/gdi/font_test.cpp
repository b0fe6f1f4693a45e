#include "tests/platform/gdi/gdi_fixture.h"

#include <climits>

namespace {

using gditest::Description;
using gditest::FetchW;
using gditest::ScopedFont;

TEST(GdiFont, PositiveHeightIsTheCellHeight)
{
    for (LONG height : {12, 16, 17, 20, 24, 32, 64}) {
        SCOPED_TRACE(height);
        ScopedFont font(height);
        ASSERT_TRUE(font.Ok());
        const TEXTMETRICW m = font.Metrics();
        EXPECT_EQ(m.tmHeight, height);
        EXPECT_EQ(m.tmAscent + m.tmDescent, m.tmHeight);
        EXPECT_GT(m.tmAscent, m.tmDescent);
        EXPECT_GT(m.tmDescent, 0);
        EXPECT_GE(m.tmInternalLeading, 0);
        EXPECT_LE(m.tmInternalLeading, height / 4);
        EXPECT_GT(m.tmAveCharWidth, 0);
        EXPECT_GE(m.tmMaxCharWidth, m.tmAveCharWidth);
        EXPECT_EQ(m.tmCharSet, SHIFTJIS_CHARSET);
        EXPECT_TRUE(m.tmPitchAndFamily & TMPF_TRUETYPE);
    }
}

TEST(GdiFont, NegativeHeightIsTheEmSize)
{
    for (LONG em : {16, 20, 32}) {
        SCOPED_TRACE(em);
        ScopedFont font(-em);
        ASSERT_TRUE(font.Ok());
        const TEXTMETRICW m = font.Metrics();
        EXPECT_EQ(m.tmHeight - m.tmInternalLeading, em);
        EXPECT_GE(m.tmHeight, em);
        EXPECT_EQ(m.tmAscent + m.tmDescent, m.tmHeight);

        // The same face at cell height = this font's height gets the same em.
        ScopedFont byCell(m.tmHeight);
        const TEXTMETRICW c = byCell.Metrics();
        EXPECT_NEAR(c.tmHeight - c.tmInternalLeading, em, 1);
    }
}

TEST(GdiFont, NarrowMetricsMatchTheWideOnes)
{
    ScopedFont font(24);
    ASSERT_TRUE(font.Ok());
    const TEXTMETRICW w = font.Metrics();
    TEXTMETRICA a{};
    ASSERT_TRUE(GetTextMetricsA(font.Dc(), &a));
    EXPECT_EQ(a.tmHeight, w.tmHeight);
    EXPECT_EQ(a.tmAscent, w.tmAscent);
    EXPECT_EQ(a.tmDescent, w.tmDescent);
    EXPECT_EQ(a.tmInternalLeading, w.tmInternalLeading);
    EXPECT_EQ(a.tmAveCharWidth, w.tmAveCharWidth);
    EXPECT_EQ(a.tmMaxCharWidth, w.tmMaxCharWidth);
    EXPECT_EQ(a.tmWeight, w.tmWeight);
    EXPECT_EQ(a.tmCharSet, w.tmCharSet);
}

// Whatever name the engine or a game gives, Japanese must come out: the system face names
// stand for the installed Japanese gothic, and with the Japanese character set a face without
// kana is passed over.
TEST(GdiFont, FaceNamesResolveToAFaceWithJapanese)
{
    const std::u16string_view faces[] = {u"ＭＳ ゴシック", u"MS Gothic", u"ms gothic", u"ＭＳ Ｐゴシック",
                                         u"ＭＳ 明朝",     u"MS Mincho", u"",          u"DejaVu Sans",
                                         u"No Such Face Anywhere"};
    for (std::u16string_view face : faces) {
        SCOPED_TRACE(testing::Message() << "face #" << (&face - faces));
        ScopedFont font(Description(20, face));
        ASSERT_TRUE(font.Ok());
        for (char16_t c : {u'あ', u'カ', u'漢', u'ｱ'}) {
            const gditest::Glyph glyph = FetchW(font.Dc(), c);
            EXPECT_GT(glyph.result, 0u) << "no glyph for U+" << std::hex << int(c);
            EXPECT_GT(glyph.metrics.gmBlackBoxX, 0u);
        }
    }
}

TEST(GdiFont, FaceNameNeedNotEndInNul)
{
    LOGFONTW description = Description(16);
    for (WCHAR& unit : description.lfFaceName) unit = u'Ｍ';
    ScopedFont font(description);
    ASSERT_TRUE(font.Ok());
    EXPECT_EQ(font.Metrics().tmHeight, 16);
}

TEST(GdiFont, UnusableDescriptionsAreRefused)
{
    EXPECT_EQ(CreateFontIndirectW(nullptr), nullptr);
    for (LONG height : {5000, -5000, INT_MIN, INT_MAX}) {
        const LOGFONTW description = Description(height);
        EXPECT_EQ(CreateFontIndirectW(&description), nullptr) << height;
    }
    // A height of 0 asks for the default size rather than failing.
    const LOGFONTW zero = Description(0);
    HFONT font = CreateFontIndirectW(&zero);
    ASSERT_NE(font, nullptr);
    EXPECT_TRUE(DeleteObject(font));
}

}  // namespace
