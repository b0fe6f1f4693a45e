// One frame of text drawn through the glyph cache and the 2D drawing, compared with a reference
// picture made with the installed IPAGothic. Font versions shift anti-aliasing a little, so the
// comparison has a tolerance; the structure checks below do not depend on the font's shapes.
//
// TARNWICK_UPDATE_GOLDEN=1 writes the reference anew (look at it before keeping it).
#include "graphics/draw2d.h"
#include "graphics/gdi_font_map.h"
#include "graphics/png_image.h"
#include "graphics/text_layout.h"
#include "text_fixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using texttest::Pixels;
using texttest::ReadPixels;

constexpr D3DCOLOR kBackground = 0xFF203040;

std::filesystem::path GoldenPath()
{
    return std::filesystem::path(TW_SOURCE_DIR) / "tests/graphics/text" / "golden" / "text_frame.png";
}

class TextFrameTest : public texttest::TextDeviceTest {
protected:
    void SetUp() override
    {
        texttest::TextDeviceTest::SetUp();
        GxGraphics::SetupDefaultRenderState();
    }
};

// Renders the frame into a 256 x 128 render target and reads it back.
Pixels RenderFrame(GxRect* layout)
{
    GxTexture target;
    EXPECT_TRUE(target.CreateRenderTarget(u"textframe", 256, 128, D3DFMT_A8R8G8B8));
    const GxRect whole{0, 0, 256, 128};
    EXPECT_TRUE(GxGraphics::PushRenderTarget(0, &target, nullptr, &whole));

    GxGDIFontMap map;
    map.SetFont(20, nullptr);
    EXPECT_TRUE(BeginSceneNested());
    ClearTarget(D3DCLEAR_TARGET, kBackground, 1.0f, 0, nullptr);
    const GxRect box{8, 24, 248, 104};
    *layout = DrawTextCentered(&map, u"Tarnwick|テキスト描画 ｱｲｳ", box, 0xFFFFFFFF, 0, 0xFF000000, kBlendAlpha, u'|');
    EXPECT_TRUE(EndSceneNested());
    const Pixels pixels = ReadPixels(target);
    GxGraphics::PopRenderTarget(0);
    return pixels;
}

std::vector<std::uint32_t> LoadGolden(std::uint32_t* width, std::uint32_t* height)
{
    std::ifstream file(GoldenPath(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    std::uint8_t* decoded = DecodePngMemory(bytes.data(), bytes.size(), width, height);
    if (!decoded) return {};
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(*width) * *height);
    std::memcpy(pixels.data(), decoded, pixels.size() * 4);
    FreePngPixels(decoded);
    return pixels;
}

int Channel(std::uint32_t value, int shift)
{
    return static_cast<int>((value >> shift) & 0xFF);
}

TEST_F(TextFrameTest, CentredTextMatchesTheReference)
{
    GxRect layout;
    const Pixels frame = RenderFrame(&layout);
    ASSERT_EQ(frame.width, 256u);
    ASSERT_EQ(frame.height, 128u);

    // Two lines of size 20 centred in the box: "Tarnwick" is 80 pixels wide at x 88, the second
    // line (six full-width, four half-width characters) 160 at x 48; the block starts at y 44.
    EXPECT_EQ(layout.left, 88);
    EXPECT_EQ(layout.top, 44);
    EXPECT_EQ(layout.right, 48 + 160);
    EXPECT_EQ(layout.bottom, 84);

    // Ink (text and its outline) only inside the two lines' boxes, grown by the outline.
    std::size_t white = 0;
    for (std::uint32_t y = 0; y < frame.height; ++y)
        for (std::uint32_t x = 0; x < frame.width; ++x) {
            const std::uint32_t value = frame.At(x, y) | 0xFF000000;
            if (value == kBackground) continue;
            const bool firstLine = x + 1 >= 88 && x < 88 + 80 + 1 && y + 1 >= 44 && y < 64 + 1;
            const bool secondLine = x + 1 >= 48 && x < 48 + 160 + 1 && y + 1 >= 64 && y < 84 + 1;
            EXPECT_TRUE(firstLine || secondLine) << "ink at " << x << "," << y;
            white += value == 0xFFFFFFFF;
        }
    EXPECT_GT(white, 300u);

    if (std::getenv("TARNWICK_UPDATE_GOLDEN")) {
        std::filesystem::create_directories(GoldenPath().parent_path());
        ASSERT_EQ(WritePngFile(GoldenPath().u16string().c_str(), frame.width, frame.height, frame.values.data()), 1);
    }
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    const std::vector<std::uint32_t> golden = LoadGolden(&width, &height);
    ASSERT_FALSE(golden.empty()) << "no reference at " << GoldenPath();
    ASSERT_EQ(width, frame.width);
    ASSERT_EQ(height, frame.height);

    // Anti-aliasing may drift between font builds; shapes and positions may not.
    std::size_t far = 0;
    long long total = 0;
    for (std::size_t i = 0; i < golden.size(); ++i) {
        int worst = 0;
        for (int shift : {0, 8, 16}) {
            const int difference = std::abs(Channel(golden[i], shift) - Channel(frame.values[i], shift));
            worst = std::max(worst, difference);
            total += difference;
        }
        far += worst > 48;
    }
    EXPECT_LE(far, golden.size() / 100) << "pixels far from the reference";
    EXPECT_LE(total / static_cast<long long>(golden.size() * 3), 4) << "mean difference per channel";
}

// The horizontal and vertical extent of the pixels that differ from the background.
struct InkBox {
    std::int32_t left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
};

InkBox FindInk(const Pixels& pixels, std::uint32_t fromX, std::uint32_t toX, std::uint32_t fromY, std::uint32_t toY)
{
    InkBox box;
    for (std::uint32_t y = fromY; y < toY; ++y)
        for (std::uint32_t x = fromX; x < toX; ++x) {
            if ((pixels.At(x, y) | 0xFF000000) == kBackground) continue;
            box.left = std::min<std::int32_t>(box.left, x);
            box.top = std::min<std::int32_t>(box.top, y);
            box.right = std::max<std::int32_t>(box.right, x);
            box.bottom = std::max<std::int32_t>(box.bottom, y);
        }
    return box;
}

TEST_F(TextFrameTest, GlyphByGlyphDrawingAdvancesAndBreaksThePen)
{
    GxTexture target;
    ASSERT_TRUE(target.CreateRenderTarget(u"glyphs", 256, 128, D3DFMT_A8R8G8B8));
    const GxRect whole{0, 0, 256, 128};
    ASSERT_TRUE(GxGraphics::PushRenderTarget(0, &target, nullptr, &whole));
    GxGDIFontMap map;
    map.SetFont(20, nullptr);
    ASSERT_TRUE(BeginSceneNested());
    ClearTarget(D3DCLEAR_TARGET, kBackground, 1.0f, 0, nullptr);
    // The tab has no glyph but takes its width; "|" ends the line after its own cell.
    DrawTextGDIFontMap(&map, u"H\tH|H", 10.0f, 10.0f, GxVector2(1.0f, 1.0f), 0xFFFFFFFF, 0, kBlendAlpha, u'|');
    // Scaled twice as wide: the pen and the cells stretch together.
    DrawTextGDIFontMap(&map, u"HH", 10.0f, 80.0f, GxVector2(2.0f, 1.0f), 0xFFFFFFFF, 0, kBlendAlpha, u'|');
    ASSERT_TRUE(EndSceneNested());
    const Pixels pixels = ReadPixels(target);
    GxGraphics::PopRenderTarget(0);

    const InkBox first = FindInk(pixels, 0, 20, 0, 40);
    const InkBox second = FindInk(pixels, 30, 40, 0, 40);
    const InkBox third = FindInk(pixels, 0, 20, 30, 60);
    ASSERT_GE(first.right, 0);
    ASSERT_GE(second.right, 0);
    ASSERT_GE(third.right, 0);
    EXPECT_EQ(second.left - first.left, 20);     // H, tab, H
    EXPECT_EQ(second.top, first.top);
    EXPECT_EQ(third.left, first.left);           // back to the start of the line
    EXPECT_EQ(third.top - first.top, 20);
    EXPECT_EQ(FindInk(pixels, 20, 30, 0, 40).right, -1);   // nothing drawn for the tab
    const InkBox bar = FindInk(pixels, 40, 256, 0, 60);   // "|" has a glyph: drawn in its own cell
    EXPECT_GE(bar.left, 40);
    EXPECT_LE(bar.right, 49);

    const InkBox wideFirst = FindInk(pixels, 0, 30, 70, 110);
    const InkBox wideSecond = FindInk(pixels, 30, 60, 70, 110);
    ASSERT_GE(wideSecond.right, 0);
    EXPECT_EQ(wideSecond.left - wideFirst.left, 20);
    EXPECT_EQ((wideFirst.right - wideFirst.left + 1), 2 * (first.right - first.left + 1));
}

}  // namespace
