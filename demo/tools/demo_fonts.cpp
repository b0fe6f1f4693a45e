#include "demo/tools/demo_fonts.h"

#include "demo/tools/demo_glyphs.h"
#include "tests/support/image_fixtures.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <system_error>
#include <vector>

namespace {

// The grids the start-up reads: codes first to last in reading order, cellsPerRow cells a row.
struct GridFont {
    const char* name;
    std::uint32_t first;
    std::uint32_t last;
    std::uint32_t cellWidth;
    std::uint32_t cellHeight;
    std::uint32_t cellsPerRow;
};

constexpr GridFont kGridFonts[] = {
    {"FONT16SYS", 32, 126, 8, 16, 16},
    {"FONT8NUM", 32, 57, 8, 16, 7},
    {"FONT22NUM", 48, 57, 22, 32, 5},
};

// Transparent white, so filtering at a glyph's edge blends towards white rather than black.
constexpr std::uint32_t kClear = 0x00FFFFFF;

// Draws `code` into the cell at (left, top): its box centred across the cell, its baseline at the
// font's ascent, so a line of glyphs shares one baseline. Pixels outside the cell are dropped.
bool DrawGlyph(HDC dc, LONG ascent, std::uint32_t code, const GridFont& font, std::uint32_t left,
               std::uint32_t top, TestImage& image)
{
    DemoGlyph glyph;
    if (!RenderDemoGlyph(dc, code, &glyph)) return false;
    const std::int64_t x0 = (std::int64_t{font.cellWidth} - glyph.width) / 2;
    const std::int64_t y0 = std::int64_t{ascent} - glyph.originY;
    for (std::int64_t y = 0; y < glyph.height; ++y) {
        for (std::int64_t x = 0; x < glyph.width; ++x) {
            const std::int64_t cellX = x0 + x;
            const std::int64_t cellY = y0 + y;
            if (cellX < 0 || cellY < 0 || cellX >= font.cellWidth || cellY >= font.cellHeight) continue;
            const std::uint32_t alpha = glyph.alpha[static_cast<std::size_t>(y * glyph.width + x)];
            image.argb[std::size_t(top + cellY) * image.width + left + cellX] = alpha << 24 | 0xFFFFFF;
        }
    }
    return true;
}

bool WriteGridFont(const GridFont& font, const std::filesystem::path& folder)
{
    const DemoGlyphContext context(font.cellHeight);
    TEXTMETRICW textMetrics{};
    if (!context.Get() || !GetTextMetricsW(context.Get(), &textMetrics)) {
        std::fprintf(stderr, "generate_demo: no font for %s\n", font.name);
        return false;
    }
    // The font's line may be a pixel off the cell height; centre it in the cell.
    const LONG ascent = textMetrics.tmAscent + (LONG(font.cellHeight) - textMetrics.tmHeight) / 2;
    const std::uint32_t count = font.last - font.first + 1;
    const std::uint32_t rows = (count + font.cellsPerRow - 1) / font.cellsPerRow;
    TestImage image = TestImage::Solid(font.cellsPerRow * font.cellWidth, rows * font.cellHeight, kClear);
    for (std::uint32_t i = 0; i < count; ++i) {
        if (!DrawGlyph(context.Get(), ascent, font.first + i, font, (i % font.cellsPerRow) * font.cellWidth,
                       (i / font.cellsPerRow) * font.cellHeight, image)) {
            std::fprintf(stderr, "generate_demo: cannot render code %u of %s\n", font.first + i, font.name);
            return false;
        }
    }
    const std::filesystem::path path = folder / (std::string(font.name) + ".png");
    return WriteImageFile(path.string(), BuildPng(PngSpecRgba8(image)));
}

}  // namespace

bool WriteDemoFonts(const std::filesystem::path& gameFolder)
{
    const std::filesystem::path folder = gameFolder / "fonts";
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) return false;
    bool written = true;
    for (const GridFont& font : kGridFonts) written = WriteGridFont(font, folder) && written;
    return written;
}
