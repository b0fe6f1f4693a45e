// Text measuring and layout shared by every text path: character width classes (a character
// is font size x class / 2 pixels wide), the single-byte codes of grid fonts, glyph-by-glyph
// drawing from a glyph cache, and a text panel's layout into lines with three alignments.
// Window thread only.
#pragma once

#include "foundation/value_types.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class GxGDIFontMap;

// 1 half-width, 2 full-width.
constexpr std::int32_t kHalfWidthClass = 1;
constexpr std::int32_t kFullWidthClass = 2;

// Below 128 half-width; otherwise the platform's CT_CTYPE3 half-width bit decides, so
// half-width katakana are 1 and kana, kanji and full-width forms 2.
std::int32_t CharWidthClass(char16_t character);
// Sum of the width classes; 0 for an empty string.
std::int32_t TextWidthUnits(std::u16string_view text);
// Pixels one character takes at a font size: (size x class) / 2, truncated.
std::int32_t CharAdvance(std::int32_t fontSize, char16_t character);
// The code page 932 single-byte code under which grid fonts store a character; 0x20 (a space)
// for every character that has none.
std::uint8_t ToSingleByteCode(char16_t character);

// Draws the string cell by cell from the font map's page textures at (x, y), the pen scaled by
// `scale`. Characters without a glyph are skipped but still advance; the break character moves
// the pen to the next line after it was handled. Stops at the first NUL.
// `specular` and `blendPreset` go unchanged to the image-cell drawing.
void DrawTextGDIFontMap(GxGDIFontMap* fontMap, std::u16string_view text, float x, float y, const GxVector2& scale,
                        std::uint32_t color, std::uint32_t specular, std::int32_t blendPreset, char16_t breakChar);

// The lines of one layout and each line's width in pixels; the two lists grow together.
struct TextLayoutLines {
    std::vector<std::u16string> lines;
    std::vector<std::int32_t> widths;
};

enum class GxTextAlign : std::int32_t {
    Left = 0,      // every line at the left edge
    Center = 1,    // every line centred horizontally, from the top
    Centered = 2,  // centred horizontally and the block vertically
    Right = 3,     // every line against the right edge, from the top
};

// Splits the text into lines for a box `width` pixels wide: at the break character (never
// part of a line) and after the character that brings the running width to width - fontSize
// or more. Lines break anywhere between two characters.
void SplitTextLayoutLines(std::int32_t fontSize, std::u16string_view text, std::int32_t width, char16_t breakChar,
                          TextLayoutLines* result);

// Where each line of a split goes inside `rect`, and the rectangle the layout covers (its right
// edge is that of the last line). No lines: (left, top, left, top).
struct TextLayoutPlacement {
    std::vector<GxPoint2> origins;
    GxRect bounds;
};
TextLayoutPlacement PlaceTextLayout(std::int32_t fontSize, const TextLayoutLines& lines, const GxRect& rect,
                                    GxTextAlign align);

// A text panel's string laid out in its client rectangle and drawn line by line with an outline
// (outline copies in `outlineColor`, then the text in `color`). The result is the layout's
// rectangle. Text panels choose by their alignment setting: 1 centre, 2 right, else left;
// DrawTextCentered serves the callers that centre a block both ways.
GxRect DrawTextAlignLeft(GxGDIFontMap* fontMap, std::u16string_view text, const GxRect& rect, std::uint32_t color,
                         std::uint32_t specular, std::uint32_t outlineColor, std::int32_t blendPreset,
                         char16_t breakChar);
GxRect DrawTextAlignCenter(GxGDIFontMap* fontMap, std::u16string_view text, const GxRect& rect, std::uint32_t color,
                           std::uint32_t specular, std::uint32_t outlineColor, std::int32_t blendPreset,
                           char16_t breakChar);
// Line i at (right - its width, top + fontSize x i).
GxRect DrawTextAlignRight(GxGDIFontMap* fontMap, std::u16string_view text, const GxRect& rect, std::uint32_t color,
                          std::uint32_t specular, std::uint32_t outlineColor, std::int32_t blendPreset,
                          char16_t breakChar);
GxRect DrawTextCentered(GxGDIFontMap* fontMap, std::u16string_view text, const GxRect& rect, std::uint32_t color,
                        std::uint32_t specular, std::uint32_t outlineColor, std::int32_t blendPreset,
                        char16_t breakChar);
