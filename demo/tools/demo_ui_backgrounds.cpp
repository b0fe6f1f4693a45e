#include "demo/tools/demo_generator.h"
#include "demo/tools/demo_ui_backgrounds.h"

#include "demo/tools/demo_glyphs.h"
#include "demo/tools/demo_ui_kit.h"
#include "tests/support/image_fixtures.h"

#include <cstdio>
#include <system_error>

namespace {

constexpr std::uint32_t kWidth = 1024;
constexpr std::uint32_t kHeight = 768;
constexpr std::uint32_t kTitleHeight = 40;
constexpr std::uint32_t kCaptionHeight = 22;
constexpr std::uint32_t kRuleEnd = 840;

std::uint32_t Mix(std::uint32_t a, std::uint32_t b, std::uint32_t t, std::uint32_t range)
{
    std::uint32_t out = 0xFF000000;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::uint32_t ca = (a >> shift) & 0xFF, cb = (b >> shift) & 0xFF;
        out |= ((ca * (range - t) + cb * t) / range) << shift;
    }
    return out;
}

// The gradient from top to bottom, faint diagonal bands over it, the title over a rule that
// leaves the top right free (the galleries draw their percentage there).
TestImage Picture(const DemoBackground& background, bool* rendered)
{
    TestImage image = TestImage::Solid(kWidth, kHeight, 0xFF000000);
    for (std::uint32_t y = 0; y < kHeight; ++y)
        for (std::uint32_t x = 0; x < kWidth; ++x) {
            std::uint32_t pixel = Mix(background.top, background.bottom, y, kHeight - 1);
            if ((x + y) / 48 % 2 == 0)
                pixel = Mix(pixel & 0xFFFFFF, 0xFFFFFF, 12, 255);
            image.argb[std::size_t(y) * kWidth + x] = pixel;
        }
    for (std::uint32_t y = 70; y < 73; ++y)
        for (std::uint32_t x = 24; x < kRuleEnd; ++x)
            image.argb[std::size_t(y) * kWidth + x] = 0xFFE0E8F0;
    *rendered = DrawDemoText(image, background.title, kTitleHeight, 32, 40, 0xFFFFFF, false);
    for (const DemoCaption& caption : background.captions)
        *rendered = DrawDemoText(image, caption.text, kCaptionHeight, caption.left, caption.top, 0xF0F0FF, false) &&
                    *rendered;
    return image;
}

}  // namespace

bool WriteDemoBackgrounds(const std::filesystem::path& gameFolder, const std::vector<DemoBackground>& backgrounds)
{
    bool written = true;
    for (const DemoBackground& background : backgrounds) {
        bool rendered = true;
        const TestImage image = Picture(background, &rendered);
        if (!rendered) {
            std::fprintf(stderr, "generate_demo: cannot render the texts of %s\n", background.file);
            written = false;
        }
        written = WriteDemoPng(gameFolder / "cg" / "ui" / background.file, image) && written;
    }
    return written;
}

bool WriteDemoPanelImage(const std::filesystem::path& gameFolder, const char* name, std::int32_t width,
                         std::int32_t height, std::uint32_t fill, std::uint32_t line)
{
    return WriteDemoPng(gameFolder / "cg" / "ui" / (std::string(name) + ".png"), DemoFrame(width, height, fill, line));
}
