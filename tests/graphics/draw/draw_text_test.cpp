// Golden frames of text: bitmap-font strings (placement, pivot, scale, codes outside the font,
// an image that is not a power of two) and the outline passes of glyph-cache text.
#include "draw_fixture.h"

#include "graphics/font_data.h"
#include "graphics/gdi_font_map.h"
#include "tests/support/image_fixtures.h"

#include <fstream>

namespace drawtest {
namespace {

constexpr D3DCOLOR kBackground = 0xFF000000;

// Pixel (x, y) of cell `index` in the digit image: every pixel of the image different.
std::uint32_t DigitPixel(int index, int x, int y)
{
    return Pack(255, 20 + index * 20, x * 10, y * 7);
}

class DrawTextTest : public DrawTest {
protected:
    // Digits 0 to 9 in 22 x 32 cells, 5 a row, in a 110 x 64 image: not a power of two.
    void LoadDigits(GxFontData& font)
    {
        TestImage image;
        image.width = 110;
        image.height = 64;
        image.argb.resize(110 * 64);
        for (int y = 0; y < 64; ++y)
            for (int x = 0; x < 110; ++x) image.argb[y * 110 + x] = DigitPixel((y / 32) * 5 + x / 22, x % 22, y % 32);
        const fs::path path = Folder() / "digits.png";
        const ImageBytes bytes = BuildPng(PngSpecRgba8(image));
        std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        ASSERT_TRUE(font.CreateGrid(u"digits", Utf8ToWide(path.string()), u'0', u'9', 22, 32, 5));
    }

    // The cell of `digit` drawn with its top-left at (left, top), each texel `scale` pixels.
    void ExpectDigit(const Frame& frame, int digit, int left, int top, int scale = 1)
    {
        for (int y = 0; y < 32 * scale; ++y) {
            for (int x = 0; x < 22 * scale; ++x) {
                ASSERT_EQ(frame.At(left + x, top + y), DigitPixel(digit, x / scale, y / scale))
                    << "digit " << digit << " texel " << x / scale << ", " << y / scale;
            }
        }
    }
};

TEST_F(DrawTextTest, BitmapFontTextPlacesEachCellAtItsAdvance)
{
    GxFontData font;
    LoadDigits(font);
    Clear(kBackground);
    // 'A' is outside the font: it takes the default width and draws nothing; the NUL ends the text.
    const std::u16string text(u"07A9\0" u"5", 6);
    DrawFontDataText(&font, text, 100, 100, GxVector2(1, 1), GxVector3(0, 0, 0), GxVector2(0, 0), 0xFFFFFFFF, 0,
                     kBlendOpaque);
    Frame frame = ReadFrame();
    ExpectDigit(frame, 0, 100, 100);
    ExpectDigit(frame, 7, 122, 100);
    for (int x = 144; x < 166; ++x) ASSERT_EQ(frame.At(x, 116), kBackground) << x;
    ExpectDigit(frame, 9, 166, 100);
    EXPECT_EQ(frame.At(188, 116), kBackground);
    EXPECT_EQ(frame.At(100, 132), kBackground);

    // Twice the size, pivoted at the block's bottom-right corner: the block ends at (500, 600).
    Clear(kBackground);
    DrawFontDataText(&font, u"35", 500, 600, GxVector2(2, 2), GxVector3(0, 0, 0), GxVector2(1, 1), 0xFFFFFFFF, 0,
                     kBlendOpaque);
    frame = ReadFrame();
    ExpectDigit(frame, 3, 500 - 88, 600 - 64, 2);
    ExpectDigit(frame, 5, 500 - 44, 600 - 64, 2);
    EXPECT_EQ(frame.At(500, 599), kBackground);
    EXPECT_EQ(frame.At(499, 600), kBackground);

    // Nothing for an empty text or a font without an image.
    Clear(kBackground);
    DrawFontDataText(&font, u"", 10, 10, GxVector2(1, 1), GxVector3(0, 0, 0), GxVector2(0, 0), 0xFFFFFFFF, 0,
                     kBlendOpaque);
    GxFontData empty;
    DrawFontDataText(&empty, u"0", 10, 10, GxVector2(1, 1), GxVector3(0, 0, 0), GxVector2(0, 0), 0xFFFFFFFF, 0,
                     kBlendOpaque);
    frame = ReadFrame();
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 50; ++x) ASSERT_EQ(frame.At(x, y), kBackground);
}

// Each outline copy adds the glyph's coverage to green: with a vertex alpha of 15, a texel of
// coverage 17k adds exactly k (white texels, additive preset), so the frame is the sum of the
// glyph shifted to every copy's place.
TEST_F(DrawTextTest, OutlinedTextDrawsEightCopiesBelowSize20AndFourAbove)
{
    constexpr D3DCOLOR outline = 0x0F00FF00;
    constexpr D3DCOLOR text = 0x0F000000;   // adds nothing: only the outline copies show
    const int diagonal[4][2] = {{-1, -1}, {1, 1}, {1, -1}, {-1, 1}};
    const int straight[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const std::int32_t size : {16, 24}) {
        SCOPED_TRACE(size);
        GxGDIFontMap fonts;
        fonts.SetFont(size, nullptr);
        const GxGlyphRecord glyph = fonts.GetGlyph(u'W');
        ASSERT_NE(glyph.texture, nullptr) << "no glyph: is a font installed?";
        auto coverage = [&](int x, int y) {
            if (x < 0 || y < 0 || x >= glyph.width || y >= glyph.height) return 0;
            const int alpha = int(glyph.texture->GetPixel(glyph.x + x, glyph.y + y) >> 24);
            EXPECT_EQ(alpha % 17, 0);
            return alpha / 17;
        };

        Clear(kBackground);
        constexpr int left = 200, top = 200;
        GxDrawTextOutlined(&fonts, u"W", left, top, GxVector2(1, 1), text, 0, outline, kBlendAdd, u'\n');
        const Frame frame = ReadFrame();
        int failures = 0;
        for (int y = -2; y < glyph.height + 2 && failures < 5; ++y) {
            for (int x = -2; x < glyph.width + 2 && failures < 5; ++x) {
                int expected = 0;
                for (const auto& o : diagonal) expected += coverage(x - o[0], y - o[1]);
                if (size < 20)
                    for (const auto& o : straight) expected += coverage(x - o[0], y - o[1]);
                const int green = int((frame.At(left + x, top + y) >> 8) & 255);
                if (green != expected) {
                    ++failures;
                    ADD_FAILURE() << "pixel " << x << ", " << y << ": " << green << ", expected " << expected;
                }
            }
        }
    }
}

}  // namespace
}  // namespace drawtest
