#include "demo/tools/demo_generator.h"
#include "demo/tools/demo_play_screen.h"

#include "demo/tools/demo_glyphs.h"
#include "foundation/wide_string.h"
#include "tests/support/image_fixtures.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <system_error>

namespace {

// The window look: a dark, see-through fill inside a light line. The frame sizes are the layout's
// (demo/tables/db_uilayout.txt places them).
constexpr std::uint32_t kWindowFill = 0xC0101828;
constexpr std::uint32_t kWindowLine = 0xFFB0C0E0;
constexpr std::uint32_t kMessageWidth = 960;
constexpr std::uint32_t kMessageHeight = 192;
constexpr std::uint32_t kNameWidth = 200;
constexpr std::uint32_t kNameHeight = 40;
// The name images cover the name window; the name starts at its text area's left.
constexpr std::int32_t kNameLeft = 16;
constexpr std::uint32_t kNameGlyphHeight = 24;
// The speakers of demo/scripts/*.moa. Every speaker needs a name image: a new game names its
// speakers by image only.
constexpr const char16_t* kSpeakers[] = {u"花子"};

constexpr std::uint32_t kErrorCell = 8;
constexpr std::uint32_t kErrorSize = 64;

// A framed window: fill inside a two-pixel line.
TestImage Frame(std::uint32_t width, std::uint32_t height)
{
    TestImage image = TestImage::Solid(width, height, kWindowFill);
    for (std::uint32_t y = 0; y < height; ++y)
        for (std::uint32_t x = 0; x < width; ++x)
            if (x < 2 || y < 2 || x + 2 >= width || y + 2 >= height)
                image.argb[std::size_t(y) * width + x] = kWindowLine;
    return image;
}

// Magenta and black squares: a missing picture must stand out.
TestImage ErrorPicture()
{
    TestImage image = TestImage::Solid(kErrorSize, kErrorSize, 0xFF000000);
    for (std::uint32_t y = 0; y < kErrorSize; ++y)
        for (std::uint32_t x = 0; x < kErrorSize; ++x)
            if ((x / kErrorCell + y / kErrorCell) % 2 == 0)
                image.argb[std::size_t(y) * kErrorSize + x] = 0xFFFF00FF;
    return image;
}

// The name in white on a clear image of the name window's size, on one baseline, centred
// vertically; glyphs beyond the image are cut.
bool NamePicture(const std::u16string& name, TestImage* image)
{
    const DemoGlyphContext context(kNameGlyphHeight);
    TEXTMETRICW metrics{};
    if (!context.Get() || !GetTextMetricsW(context.Get(), &metrics))
        return false;
    *image = TestImage::Solid(kNameWidth, kNameHeight, 0x00FFFFFF);
    const std::int64_t baseline = (std::int64_t{kNameHeight} - metrics.tmHeight) / 2 + metrics.tmAscent;
    std::int64_t pen = kNameLeft;
    for (const char16_t code : name) {
        DemoGlyph glyph;
        if (!RenderDemoGlyph(context.Get(), code, &glyph))
            return false;
        for (std::int64_t y = 0; y < glyph.height; ++y)
            for (std::int64_t x = 0; x < glyph.width; ++x) {
                const std::int64_t px = pen + glyph.originX + x;
                const std::int64_t py = baseline - glyph.originY + y;
                if (px < 0 || py < 0 || px >= kNameWidth || py >= kNameHeight)
                    continue;
                const std::uint32_t alpha = glyph.alpha[static_cast<std::size_t>(y * glyph.width + x)];
                image->argb[static_cast<std::size_t>(py * kNameWidth + px)] = alpha << 24 | 0xFFFFFF;
            }
        pen += glyph.advance;
    }
    return true;
}

}  // namespace

bool WriteDemoPlayScreen(const std::filesystem::path& gameFolder)
{
    const std::filesystem::path cg = gameFolder / "cg";
    bool written = WriteDemoPng(cg / "bg" / "黒.png", TestImage::Solid(1024, 768, 0xFF000000));
    written = WriteDemoPng(cg / "error.png", ErrorPicture()) && written;
    written = WriteDemoPng(cg / "ui" / "msgwin.png", Frame(kMessageWidth, kMessageHeight)) && written;
    written = WriteDemoPng(cg / "ui" / "namewin.png", Frame(kNameWidth, kNameHeight)) && written;
    for (const char16_t* speaker : kSpeakers) {
        TestImage name;
        const std::string file = WideToUtf8(speaker) + ".png";
        if (!NamePicture(speaker, &name)) {
            std::fprintf(stderr, "generate_demo: cannot render the name image %s\n", file.c_str());
            written = false;
            continue;
        }
        written = WriteDemoPng(cg / "name" / file, name) && written;
    }
    return written;
}
