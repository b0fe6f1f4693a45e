// Glyph rendering for the demo generator's images: the platform's glyph outlines in the Japanese
// gothic face, as coverage bitmaps the image writers place themselves.
#pragma once

#include "platform/gdi/gdi.h"

#include <cstdint>
#include <string>
#include <vector>

// A memory context with the gothic face of the given height (ascent + descent) selected; both
// released on destruction.
class DemoGlyphContext {
public:
    explicit DemoGlyphContext(std::uint32_t height);
    ~DemoGlyphContext();
    DemoGlyphContext(const DemoGlyphContext&) = delete;
    DemoGlyphContext& operator=(const DemoGlyphContext&) = delete;

    // Null when the face could not be had.
    HDC Get() const { return m_Previous ? m_Dc : nullptr; }

private:
    HDC m_Dc = nullptr;
    HFONT m_Font = nullptr;
    HGDIOBJ m_Previous = nullptr;
};

// One glyph: its black box, where the box stands from the pen (x right, y up from the baseline),
// the pen's advance and the box's coverage, 0-255 a pixel, row after row.
struct DemoGlyph {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t originX = 0;
    std::int32_t originY = 0;
    std::int32_t advance = 0;
    std::vector<std::uint8_t> alpha;
};

// False when the glyph cannot be rendered; a glyph with no visible shape (the space) has an
// empty box.
bool RenderDemoGlyph(HDC dc, std::uint32_t code, DemoGlyph* glyph);

struct TestImage;

// Draws `text` in the gothic face of the given height onto `image`, its line centred on
// (centreX, centreY) or, with `centred` false, starting at centreX; each glyph's coverage blends
// the colour (0xRRGGBB) over what is there. Pixels beyond the image are cut. False when a glyph
// cannot be rendered.
bool DrawDemoText(TestImage& image, const std::u16string& text, std::uint32_t height, std::int32_t centreX,
                  std::int32_t centreY, std::uint32_t colour, bool centred = true);
