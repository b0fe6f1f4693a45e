#include "tests/platform/gdi/gdi_fixture.h"

#include <thread>

namespace {

using gditest::Description;
using gditest::FetchW;
using gditest::Glyph;
using gditest::ScopedFont;

LONG HeightOf(HDC dc)
{
    TEXTMETRICW m{};
    return GetTextMetricsW(dc, &m) ? m.tmHeight : -1;
}

TEST(GdiDeviceContext, SelectReturnsThePreviousFontAndRestores)
{
    HDC dc = GetDC(nullptr);
    ASSERT_NE(dc, nullptr);
    EXPECT_EQ(HeightOf(dc), 16) << "a new context starts with the stock font";

    const LOGFONTW large = Description(40);
    const LOGFONTW small = Description(12);
    HFONT first = CreateFontIndirectW(&large);
    HFONT second = CreateFontIndirectW(&small);
    ASSERT_TRUE(first && second);
    HGDIOBJ stock = SelectObject(dc, first);
    ASSERT_NE(stock, nullptr);
    EXPECT_EQ(HeightOf(dc), 40);
    EXPECT_EQ(SelectObject(dc, second), reinterpret_cast<HGDIOBJ>(first));
    EXPECT_EQ(HeightOf(dc), 12);
    EXPECT_EQ(SelectObject(dc, stock), reinterpret_cast<HGDIOBJ>(second));
    EXPECT_EQ(HeightOf(dc), 16);

    EXPECT_TRUE(DeleteObject(first));
    EXPECT_TRUE(DeleteObject(second));
    EXPECT_FALSE(DeleteObject(second)) << "deleted twice";
    EXPECT_EQ(SelectObject(dc, first), nullptr) << "a deleted font cannot be selected";
    EXPECT_EQ(HeightOf(dc), 16);
    EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
}

TEST(GdiDeviceContext, FontDeletedWhileSelectedStaysUsableThere)
{
    HDC dc = GetDC(nullptr);
    const LOGFONTW description = Description(40);
    HFONT font = CreateFontIndirectW(&description);
    HGDIOBJ stock = SelectObject(dc, font);
    ASSERT_TRUE(DeleteObject(font));
    EXPECT_EQ(HeightOf(dc), 40);
    EXPECT_GT(FetchW(dc, u'あ').result, 0u);
    EXPECT_EQ(SelectObject(dc, stock), reinterpret_cast<HGDIOBJ>(font));
    EXPECT_EQ(HeightOf(dc), 16);
    EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
}

TEST(GdiDeviceContext, StockFontSurvivesDeletion)
{
    HDC dc = GetDC(nullptr);
    const LOGFONTW description = Description(20);
    HFONT font = CreateFontIndirectW(&description);
    HGDIOBJ stock = SelectObject(dc, font);
    EXPECT_TRUE(DeleteObject(stock));
    EXPECT_EQ(SelectObject(dc, stock), reinterpret_cast<HGDIOBJ>(font));
    EXPECT_EQ(HeightOf(dc), 16);
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
}

TEST(GdiDeviceContext, BadHandlesFailCleanly)
{
    HDC dc = GetDC(nullptr);
    HDC other = GetDC(reinterpret_cast<HWND>(static_cast<std::uintptr_t>(0x40)));
    ASSERT_TRUE(dc && other);
    EXPECT_NE(dc, other);
    const LOGFONTW description = Description(20);
    HFONT font = CreateFontIndirectW(&description);
    ASSERT_NE(font, nullptr);

    EXPECT_EQ(ReleaseDC(nullptr, other), 1);
    EXPECT_EQ(ReleaseDC(nullptr, other), 0) << "released twice";
    HDC reopened = GetDC(nullptr);
    EXPECT_NE(reopened, other) << "handles are never reused";

    TEXTMETRICW tm{};
    TEXTMETRICA tma{};
    for (HDC bad : {HDC{}, other, reinterpret_cast<HDC>(font)}) {
        EXPECT_FALSE(GetTextMetricsW(bad, &tm));
        EXPECT_FALSE(GetTextMetricsA(bad, &tma));
        EXPECT_EQ(SelectObject(bad, font), nullptr);
    }
    EXPECT_FALSE(GetTextMetricsW(dc, nullptr));
    EXPECT_FALSE(GetTextMetricsA(dc, nullptr));
    EXPECT_EQ(SelectObject(dc, HGDIOBJ{}), nullptr);
    EXPECT_EQ(SelectObject(dc, reinterpret_cast<HGDIOBJ>(dc)), nullptr) << "a context is not a font";
    EXPECT_FALSE(DeleteObject(HGDIOBJ{}));
    EXPECT_FALSE(DeleteObject(reinterpret_cast<HGDIOBJ>(dc)));
    EXPECT_EQ(ReleaseDC(nullptr, reinterpret_cast<HDC>(font)), 0);
    EXPECT_EQ(HeightOf(dc), 16) << "the context is unharmed";

    EXPECT_TRUE(DeleteObject(font));
    EXPECT_EQ(ReleaseDC(nullptr, dc), 1);
    EXPECT_EQ(ReleaseDC(nullptr, reopened), 1);
}

TEST(GdiDeviceContext, FontsOfOneFaceKeepTheirOwnSize)
{
    const Glyph alone = [] {
        ScopedFont font(18);
        return FetchW(font.Dc(), u'あ');
    }();
    ScopedFont small(18);
    ScopedFont large(36);
    ASSERT_TRUE(small.Ok() && large.Ok());
    for (int round = 0; round < 2; ++round) {
        const Glyph glyph = FetchW(small.Dc(), u'あ');
        EXPECT_EQ(glyph.metrics.gmBlackBoxX, alone.metrics.gmBlackBoxX);
        EXPECT_EQ(glyph.bits, alone.bits);
        EXPECT_GT(FetchW(large.Dc(), u'あ').metrics.gmBlackBoxX, alone.metrics.gmBlackBoxX);
    }
}

// Fonts of different sizes share one FreeType face; a loader thread and the window thread
// drawing at once must each get their own size's glyphs.
TEST(GdiDeviceContext, ThreadsDrawingAtOnceGetTheirOwnGlyphs)
{
    const std::u16string text = u"漢字仮名交じり文の描画試験、東西南北春夏秋冬ABCxyz";
    auto render = [&](LONG height) {
        ScopedFont font(height);
        std::vector<Glyph> glyphs;
        for (char16_t c : text) glyphs.push_back(FetchW(font.Dc(), c));
        return glyphs;
    };
    const std::vector<Glyph> expected18 = render(18);
    const std::vector<Glyph> expected30 = render(30);
    auto check = [&](LONG height, const std::vector<Glyph>& expected, int& mismatches) {
        for (int round = 0; round < 20; ++round) {
            const std::vector<Glyph> got = render(height);
            for (std::size_t i = 0; i < got.size(); ++i)
                if (got[i].bits != expected[i].bits || got[i].metrics.gmBlackBoxX != expected[i].metrics.gmBlackBoxX)
                    ++mismatches;
        }
    };
    int mismatches18 = 0;
    int mismatches30 = 0;
    std::thread other([&] { check(30, expected30, mismatches30); });
    check(18, expected18, mismatches18);
    other.join();
    EXPECT_EQ(mismatches18, 0);
    EXPECT_EQ(mismatches30, 0);
}

}  // namespace
