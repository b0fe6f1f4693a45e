// The drawing half of the text layout: glyphs from a glyph cache through the 2D drawing.
#include "graphics/draw2d.h"
#include "graphics/gdi_font_map.h"
#include "graphics/text_layout.h"

void DrawTextGDIFontMap(GxGDIFontMap* fontMap, std::u16string_view text, float x, float y, const GxVector2& scale,
                        std::uint32_t color, std::uint32_t specular, std::int32_t blendPreset, char16_t breakChar)
{
    if (!fontMap) return;
    const std::int32_t fontSize = fontMap->GetFontSize();
    std::int32_t penX = 0;
    std::int32_t penY = 0;
    for (char16_t character : text) {
        if (character == 0) break;
        const GxGlyphRecord glyph = fontMap->GetGlyph(character);
        if (glyph.texture) {
            const GxImageCell cell{glyph.texture, glyph.x, glyph.y, glyph.width, glyph.height};
            DrawImageCell2D(cell, x + scale.x * static_cast<float>(penX), y + scale.y * static_cast<float>(penY),
                            scale, GxVector3(0.0f, 0.0f, 0.0f), GxVector2(0.0f, 0.0f), color, specular, blendPreset);
        }
        // Characters without a glyph still take their width.
        penX += CharAdvance(fontSize, character);
        if (character == breakChar) {
            penX = 0;
            penY += fontSize;
        }
    }
}

namespace {

GxRect DrawTextAligned(GxGDIFontMap* fontMap, std::u16string_view text, const GxRect& rect, std::uint32_t color,
                       std::uint32_t specular, std::uint32_t outlineColor, std::int32_t blendPreset,
                       char16_t breakChar, GxTextAlign align)
{
    if (!fontMap) return GxRect{rect.left, rect.top, rect.left, rect.top};
    const std::int32_t fontSize = fontMap->GetFontSize();
    TextLayoutLines lines;
    SplitTextLayoutLines(fontSize, text, rect.right - rect.left, breakChar, &lines);
    const TextLayoutPlacement placement = PlaceTextLayout(fontSize, lines, rect, align);
    for (std::size_t i = 0; i < lines.lines.size(); ++i) {
        const GxPoint2& origin = placement.origins[i];
        GxDrawTextOutlined(fontMap, lines.lines[i], static_cast<float>(origin.x), static_cast<float>(origin.y),
                           GxVector2(1.0f, 1.0f), color, specular, outlineColor, blendPreset, breakChar);
    }
    return placement.bounds;
}

}  // namespace

GxRect DrawTextAlignLeft(GxGDIFontMap* fontMap, std::u16string_view text, const GxRect& rect, std::uint32_t color,
                         std::uint32_t specular, std::uint32_t outlineColor, std::int32_t blendPreset,
                         char16_t breakChar)
{
    return DrawTextAligned(fontMap, text, rect, color, specular, outlineColor, blendPreset, breakChar,
                           GxTextAlign::Left);
}

GxRect DrawTextAlignCenter(GxGDIFontMap* fontMap, std::u16string_view text, const GxRect& rect, std::uint32_t color,
                           std::uint32_t specular, std::uint32_t outlineColor, std::int32_t blendPreset,
                           char16_t breakChar)
{
    return DrawTextAligned(fontMap, text, rect, color, specular, outlineColor, blendPreset, breakChar,
                           GxTextAlign::Center);
}

GxRect DrawTextAlignRight(GxGDIFontMap* fontMap, std::u16string_view text, const GxRect& rect, std::uint32_t color,
                          std::uint32_t specular, std::uint32_t outlineColor, std::int32_t blendPreset,
                          char16_t breakChar)
{
    return DrawTextAligned(fontMap, text, rect, color, specular, outlineColor, blendPreset, breakChar,
                           GxTextAlign::Right);
}

GxRect DrawTextCentered(GxGDIFontMap* fontMap, std::u16string_view text, const GxRect& rect, std::uint32_t color,
                        std::uint32_t specular, std::uint32_t outlineColor, std::int32_t blendPreset,
                        char16_t breakChar)
{
    return DrawTextAligned(fontMap, text, rect, color, specular, outlineColor, blendPreset, breakChar,
                           GxTextAlign::Centered);
}
