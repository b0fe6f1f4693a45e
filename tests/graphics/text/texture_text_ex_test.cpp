// GxTextureTextEx: revealing a text step by step, wrapping in the region, colour tags and their
// bounds, and resetting.
#include "graphics/texture_text.h"

#include "text_fixture.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace {

using texttest::Pixels;
using texttest::ReadPixels;

class TextureTextExTest : public texttest::TextDeviceTest {
protected:
    void Make(GxTextureTextEx& texture, std::uint32_t width = 128, std::uint32_t height = 64)
    {
        ASSERT_TRUE(texture.CreateTexture(u"textex", width, height, D3DFMT_A8R8G8B8, 1));
        ASSERT_TRUE(texture.Fill(0));
    }
    // The colours of the opaque pixels in the rectangle; 0 when none or when they differ.
    static std::uint32_t InkColor(const Pixels& pixels, std::uint32_t left, std::uint32_t top, std::uint32_t right,
                                  std::uint32_t bottom)
    {
        std::uint32_t color = 0;
        for (std::uint32_t y = top; y < bottom; ++y)
            for (std::uint32_t x = left; x < right; ++x) {
                const std::uint32_t value = pixels.At(x, y);
                if ((value >> 24) != 0xFF) continue;
                if (color != 0 && color != value) return 0;
                color = value;
            }
        return color;
    }
};

TEST_F(TextureTextExTest, CreationSetsTheRegionToTheWholeTexture)
{
    GxTextureTextEx texture;
    Make(texture, 100, 50);   // created at 128 x 64
    EXPECT_EQ(texture.GetRegion().right, 128);
    EXPECT_EQ(texture.GetRegion().bottom, 64);
    const RECT region{4, 8, 40, 60};
    texture.SetRegion(&region);
    EXPECT_EQ(texture.GetRegion().left, 4);
    texture.SetRegion(nullptr);
    EXPECT_EQ(texture.GetRegion().left, 0);
    EXPECT_EQ(texture.GetRegion().right, 128);
}

TEST_F(TextureTextExTest, ProcessCountsVisibleCharactersAndSkipsLineBreaks)
{
    GxTextureTextEx texture;
    Make(texture);
    texture.SetText(u"AB\nCD");
    EXPECT_EQ(texture.Process(3), 1u);   // A, B, C drawn; the line feed is not counted
    EXPECT_EQ(texture.GetProcessPos(), 4u);
    std::int32_t x = 0;
    std::int32_t y = 0;
    texture.GetPen(&x, &y);
    EXPECT_EQ(x, 8);
    EXPECT_EQ(y, 16);
    const Pixels pixels = ReadPixels(texture);
    EXPECT_GT(pixels.CountNot(0), 0u);
    EXPECT_EQ(InkColor(pixels, 8, 16, 128, 64), 0u);   // D not yet drawn

    EXPECT_EQ(texture.Process(5), 0u);
    EXPECT_EQ(texture.Process(1), 0u);   // nothing left
}

TEST_F(TextureTextExTest, WrapsAtTheRegionsRightEdgeWithSpacing)
{
    GxTextureTextEx texture;
    Make(texture);
    const RECT region{2, 0, 30, 64};
    texture.SetRegion(&region);
    texture.UseGDIFont(16);
    texture.SetSpacing(1, 3);
    texture.SetPen(2, 0);
    texture.DrawText(u"ABCD");
    // A at 2, B at 11, C at 20 (1 + 20 + 8 = 29 fits), D: 1 + 29 + 8 > 30 goes to the next line.
    std::int32_t x = 0;
    std::int32_t y = 0;
    texture.GetPen(&x, &y);
    EXPECT_EQ(x, 2 + 9);
    EXPECT_EQ(y, 19);
}

TEST_F(TextureTextExTest, ColourTagsChangeTheCurrentColourAndDrawNothing)
{
    GxTextureTextEx texture;
    Make(texture);
    texture.SetColor(0xFF808080);
    texture.SetText(u"\x01" u"3\x01" u"A\x01-\x01" u"B");
    texture.ProcessTaggedAll();
    EXPECT_EQ(texture.GetCurrentColor(), 0xFF808080u);   // restored by "-"
    std::int32_t x = 0;
    texture.GetPen(&x, nullptr);
    EXPECT_EQ(x, 16);   // only A and B took room
    const Pixels pixels = ReadPixels(texture);
    EXPECT_EQ(InkColor(pixels, 0, 0, 8, 16), 0xFFFF0000u);
    EXPECT_EQ(InkColor(pixels, 8, 0, 16, 16), 0xFF808080u);

    // Every digit, and units that mean nothing.
    const D3DCOLOR colors[8] = {0xFF000000, 0xFF0000FF, 0xFF00FF00, 0xFFFF0000,
                                0xFF00FFFF, 0xFFFF00FF, 0xFFFFFF00, 0xFFFFFFFF};
    for (char16_t digit = u'0'; digit <= u'7'; ++digit) {
        const char16_t tag[] = {u'x', digit, u'?', 1, u'5', 0};
        EXPECT_EQ(ColorTagHandler(&texture, tag, 1), 4u);
        EXPECT_EQ(texture.GetCurrentColor(), colors[digit - u'0']);
    }
}

TEST_F(TextureTextExTest, UntaggedProcessingDrawsTagCharactersAsText)
{
    GxTextureTextEx texture;
    Make(texture);
    texture.SetText(u"\x01" u"3\x01");
    EXPECT_EQ(texture.Process(10), 0u);
    EXPECT_EQ(texture.GetCurrentColor(), 0xFFFFFFFFu);
    std::int32_t x = 0;
    texture.GetPen(&x, nullptr);
    EXPECT_EQ(x, 24);
}

// A tag left open at the end of the text must end with the text: the handler may not read past
// it, and the position may not pass the end (the remaining count would wrap and the loop of
// ProcessTaggedAll would never end).
TEST_F(TextureTextExTest, UnclosedTagStopsAtTheEndOfTheText)
{
    GxTextureTextEx texture;
    Make(texture);
    texture.SetColor(0xFF123456);
    texture.SetText(u"AB\x01" u"3");
    EXPECT_EQ(texture.ProcessTagged(5), 0u);
    EXPECT_EQ(texture.GetProcessPos(), 4u);
    EXPECT_EQ(texture.GetCurrentColor(), 0xFFFF0000u);

    texture.SetText(u"A\x01");
    texture.ProcessTaggedAll();
    EXPECT_EQ(texture.GetProcessPos(), 2u);

    EXPECT_EQ(ColorTagHandler(&texture, u"12", 1), 2u);
    EXPECT_EQ(ColorTagHandler(&texture, u"", 1), 0u);
    EXPECT_EQ(ColorTagHandler(nullptr, u"3\x01", 1), 2u);

    // A handler that claims more than there is cannot push the position past the end either.
    texture.SetTagHandler([](GxTextureTextEx*, const char16_t*, char16_t) -> std::uint32_t { return 0xFFFFFFF0u; });
    texture.SetText(u"\x01" u"ABC");
    EXPECT_EQ(texture.ProcessTagged(1), 0u);
    EXPECT_EQ(texture.GetProcessPos(), 4u);
    texture.ProcessTaggedAll();
}

TEST_F(TextureTextExTest, ControlCharactersCanBeChanged)
{
    GxTextureTextEx texture;
    Make(texture);
    texture.SetControlChars(u'|', u'[', u']');
    texture.SetText(u"A|[6]B");
    texture.ProcessTaggedAll();
    std::int32_t x = 0;
    std::int32_t y = 0;
    texture.GetPen(&x, &y);
    EXPECT_EQ(x, 8);
    EXPECT_EQ(y, 16);
    EXPECT_EQ(texture.GetCurrentColor(), 0xFFFFFF00u);
}

TEST_F(TextureTextExTest, ResetClearsTheRegionAndRewinds)
{
    GxTextureTextEx texture;
    Make(texture, 64, 64);
    ASSERT_TRUE(texture.Fill(0xFFFFFFFF));
    const RECT region{8, 8, 40, 40};
    texture.SetRegion(&region);
    texture.ResetAndDrawText(u"");
    const Pixels pixels = ReadPixels(texture);
    EXPECT_EQ(pixels.At(8, 8), 0u);
    EXPECT_EQ(pixels.At(39, 39), 0u);
    EXPECT_EQ(pixels.At(7, 8), 0xFFFFFFFFu);
    EXPECT_EQ(pixels.At(40, 39), 0xFFFFFFFFu);
    std::int32_t x = 0;
    std::int32_t y = 0;
    texture.GetPen(&x, &y);
    EXPECT_EQ(x, 8);
    EXPECT_EQ(y, 8);

    texture.ResetAndDrawTextAt(u"AB", 20, 10);
    texture.GetPen(&x, &y);
    EXPECT_EQ(x, 36);
    EXPECT_EQ(texture.GetText(), u"AB");
    texture.AppendText(u"C");
    EXPECT_EQ(texture.Process(10), 0u);
    texture.GetPen(&x, nullptr);
    EXPECT_EQ(x, 8 + 8);   // C wrapped: 36 + 8 > 40
    texture.ClearText();
    EXPECT_EQ(texture.GetProcessPos(), 0u);
    texture.SetText(u"ABC");
    texture.SetProcessPos(99);
    EXPECT_EQ(texture.GetProcessPos(), 3u);
}

TEST_F(TextureTextExTest, GridAndPackedSourcesMeasureWithTheirCells)
{
    GxTexture source;
    ASSERT_TRUE(source.CreateTexture(u"grid", 32, 32, D3DFMT_A8R8G8B8, 1));
    ASSERT_TRUE(source.Fill(0xFF00FF00));
    GxGridFontDesc grid;
    grid.texture = &source;
    grid.first = '0';
    grid.last = '9';
    grid.cellWidth = 6;
    grid.cellHeight = 10;
    grid.cellsPerRow = 4;

    GxTextureTextEx texture;
    Make(texture);
    texture.UseGridFont(&grid);
    texture.DrawTextAt(u"12\n3", 0, 0);
    std::int32_t x = 0;
    std::int32_t y = 0;
    texture.GetPen(&x, &y);
    EXPECT_EQ(x, 6);
    EXPECT_EQ(y, 10);
    const Pixels pixels = ReadPixels(texture);
    EXPECT_EQ(pixels.At(11, 9), 0xFF00FF00u);
    EXPECT_EQ(pixels.At(12, 0), 0u);
    EXPECT_EQ(pixels.At(5, 19), 0xFF00FF00u);

    // No source: the text is walked but nothing is drawn.
    GxTextureTextEx none;
    Make(none);
    none.UseGridFont(nullptr);
    none.DrawText(u"123");
    EXPECT_EQ(none.GetProcessPos(), 3u);
    EXPECT_EQ(ReadPixels(none).CountNot(0), 0u);
    source.ReleaseAll();
}

}  // namespace
