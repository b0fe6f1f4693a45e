#include "graphics/text_layout.h"

#include "platform/gdi/gdi.h"

#include <algorithm>

std::int32_t CharWidthClass(char16_t character)
{
    if (character < 128) return kHalfWidthClass;
    WORD type = 0;
    if (!GetStringTypeW(CT_CTYPE3, &character, 1, &type)) return kFullWidthClass;
    return (type & C3_HALFWIDTH) ? kHalfWidthClass : kFullWidthClass;
}

std::int32_t TextWidthUnits(std::u16string_view text)
{
    std::int32_t units = 0;
    for (char16_t character : text) units += CharWidthClass(character);
    return units;
}

std::int32_t CharAdvance(std::int32_t fontSize, char16_t character)
{
    return (fontSize * CharWidthClass(character)) / 2;
}

std::uint8_t ToSingleByteCode(char16_t character)
{
    if (character <= 128) return static_cast<std::uint8_t>(character);
    if (character >= 0xFF61 && character <= 0xFF9F) return static_cast<std::uint8_t>(character - 0xFEC0);
    if (character >= 0xF8F1 && character <= 0xF8F3) return static_cast<std::uint8_t>(character - 0xF8F1 + 0xFD);
    if (character == 0xF8F0) return 0xA0;
    return 0x20;
}

void SplitTextLayoutLines(std::int32_t fontSize, std::u16string_view text, std::int32_t width, char16_t breakChar,
                          TextLayoutLines* result)
{
    result->lines.clear();
    result->widths.clear();
    std::size_t line = 0;
    std::int32_t running = 0;
    for (char16_t character : text) {
        if (character == 0) break;
        if (result->lines.size() <= line) {
            result->lines.emplace_back();
            result->widths.push_back(0);
        }
        if (character == breakChar) {
            ++line;
            running = 0;
            continue;
        }
        running += CharAdvance(fontSize, character);
        result->lines[line].push_back(character);
        result->widths[line] = std::max(result->widths[line], running);
        if (fontSize + running >= width) {
            ++line;
            running = 0;
        }
    }
}

TextLayoutPlacement PlaceTextLayout(std::int32_t fontSize, const TextLayoutLines& lines, const GxRect& rect,
                                    GxTextAlign align)
{
    TextLayoutPlacement placement;
    const std::int32_t width = rect.right - rect.left;
    const std::int32_t height = rect.bottom - rect.top;
    const std::size_t count = lines.lines.size();
    if (count == 0) {
        placement.bounds = GxRect{rect.left, rect.top, rect.left, rect.top};
        return placement;
    }

    std::int32_t top = rect.top;
    if (align == GxTextAlign::Centered) {
        // An empty last line (the text ended in a break) does not count towards the block.
        const std::size_t counted = lines.lines.back().empty() ? count - 1 : count;
        const std::int32_t block = fontSize * static_cast<std::int32_t>(counted);
        top = rect.top + (height - block) / 2;
    }
    placement.origins.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        std::int32_t left = rect.left;
        if (align == GxTextAlign::Right)
            left = rect.left + width - lines.widths[i];
        else if (align != GxTextAlign::Left)
            left = rect.left + (width - lines.widths[i]) / 2;
        placement.origins.push_back(GxPoint2{left, top + fontSize * static_cast<std::int32_t>(i)});
    }
    const GxPoint2& first = placement.origins.front();
    const GxPoint2& last = placement.origins.back();
    placement.bounds = GxRect{first.x, first.y, last.x + lines.widths.back(), last.y + fontSize};
    return placement;
}
