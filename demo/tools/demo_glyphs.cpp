#include "demo/tools/demo_glyphs.h"

#include "tests/support/image_fixtures.h"

#include <algorithm>

namespace {

constexpr MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
constexpr std::uint32_t kGrayLevels = 64;

}  // namespace

DemoGlyphContext::DemoGlyphContext(std::uint32_t height)
{
    LOGFONTW description{};
    description.lfHeight = static_cast<LONG>(height);   // positive: ascent + descent
    description.lfWeight = FW_NORMAL;
    description.lfCharSet = SHIFTJIS_CHARSET;           // the Japanese gothic
    description.lfQuality = ANTIALIASED_QUALITY;
    m_Dc = GetDC(nullptr);
    m_Font = CreateFontIndirectW(&description);
    if (m_Dc && m_Font) m_Previous = SelectObject(m_Dc, m_Font);
}

DemoGlyphContext::~DemoGlyphContext()
{
    if (m_Previous) SelectObject(m_Dc, m_Previous);
    if (m_Font) DeleteObject(m_Font);
    if (m_Dc) ReleaseDC(nullptr, m_Dc);
}

bool RenderDemoGlyph(HDC dc, std::uint32_t code, DemoGlyph* glyph)
{
    *glyph = DemoGlyph{};
    GLYPHMETRICS metrics{};
    const DWORD size = GetGlyphOutlineW(dc, code, GGO_GRAY8_BITMAP, &metrics, 0, nullptr, &kIdentity);
    if (size == GDI_ERROR) return false;
    glyph->advance = metrics.gmCellIncX;
    if (size == 0) return true;
    std::vector<std::uint8_t> levels(size);
    if (GetGlyphOutlineW(dc, code, GGO_GRAY8_BITMAP, &metrics, size, levels.data(), &kIdentity) == GDI_ERROR)
        return false;
    const std::int64_t width = metrics.gmBlackBoxX;
    const std::int64_t height = metrics.gmBlackBoxY;
    // Rows are padded to four bytes; a short buffer would be a faulty renderer, not a glyph.
    const std::int64_t pitch = (width + 3) & ~std::int64_t{3};
    if (pitch * height > static_cast<std::int64_t>(levels.size())) return false;
    glyph->width = static_cast<std::int32_t>(width);
    glyph->height = static_cast<std::int32_t>(height);
    glyph->originX = metrics.gmptGlyphOrigin.x;
    glyph->originY = metrics.gmptGlyphOrigin.y;
    glyph->alpha.resize(static_cast<std::size_t>(width * height));
    for (std::int64_t y = 0; y < height; ++y)
        for (std::int64_t x = 0; x < width; ++x) {
            const std::uint32_t level = levels[static_cast<std::size_t>(y * pitch + x)];
            glyph->alpha[static_cast<std::size_t>(y * width + x)] =
                static_cast<std::uint8_t>(std::min(level, kGrayLevels) * 255 / kGrayLevels);
        }
    return true;
}

namespace {

// Source-over of a coverage-weighted colour on one ARGB pixel.
std::uint32_t Blend(std::uint32_t under, std::uint32_t colour, std::uint32_t coverage)
{
    const std::uint32_t underAlpha = under >> 24;
    const std::uint32_t outAlpha = coverage + underAlpha * (255 - coverage) / 255;
    if (outAlpha == 0)
        return 0;
    std::uint32_t out = outAlpha << 24;
    for (int shift = 0; shift <= 16; shift += 8) {
        const std::uint32_t top = (colour >> shift) & 0xFF;
        const std::uint32_t bottom = (under >> shift) & 0xFF;
        const std::uint32_t value = (top * coverage + bottom * underAlpha * (255 - coverage) / 255) / outAlpha;
        out |= std::min<std::uint32_t>(value, 255) << shift;
    }
    return out;
}

}  // namespace

bool DrawDemoText(TestImage& image, const std::u16string& text, std::uint32_t height, std::int32_t centreX,
                  std::int32_t centreY, std::uint32_t colour, bool centred)
{
    const DemoGlyphContext context(height);
    TEXTMETRICW metrics{};
    if (!context.Get() || !GetTextMetricsW(context.Get(), &metrics))
        return false;
    std::vector<DemoGlyph> glyphs(text.size());
    std::int64_t width = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!RenderDemoGlyph(context.Get(), text[i], &glyphs[i]))
            return false;
        width += glyphs[i].advance;
    }
    std::int64_t pen = centred ? centreX - width / 2 : centreX;
    const std::int64_t baseline = centreY - std::int64_t{metrics.tmHeight} / 2 + metrics.tmAscent;
    for (const DemoGlyph& glyph : glyphs) {
        for (std::int64_t y = 0; y < glyph.height; ++y)
            for (std::int64_t x = 0; x < glyph.width; ++x) {
                const std::int64_t px = pen + glyph.originX + x;
                const std::int64_t py = baseline - glyph.originY + y;
                if (px < 0 || py < 0 || px >= image.width || py >= image.height)
                    continue;
                const std::uint32_t coverage = glyph.alpha[static_cast<std::size_t>(y * glyph.width + x)];
                std::uint32_t& pixel = image.argb[static_cast<std::size_t>(py * image.width + px)];
                pixel = Blend(pixel, colour & 0xFFFFFF, coverage);
            }
        pen += glyph.advance;
    }
    return true;
}
