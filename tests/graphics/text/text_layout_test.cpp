// Text layout: width classes, single-byte codes, line splitting and placement.
#include "graphics/text_layout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(TextLayout, WidthClassesFollowTheHalfWidthTable)
{
    struct Case {
        char16_t character;
        std::int32_t widthClass;
    };
    const Case cases[] = {
        {u'A', 1},    {u'~', 1},    {0x007F, 1},       // below 128
        {0xFF71, 1},  {0xFF61, 1},  {0xFF9F, 1},       // half-width katakana
        {u'あ', 2},   {u'ア', 2},   {u'漢', 2},        // kana and kanji
        {0x3000, 2},  {0xFF21, 2},  {0xFF10, 2},       // ideographic space, full-width A and 0
        {0x00E9, 1},                                   // é: one byte nowhere in 932, not wide
    };
    for (const Case& c : cases)
        EXPECT_EQ(CharWidthClass(c.character), c.widthClass) << std::hex << static_cast<int>(c.character);
}

TEST(TextLayout, MeasuresInHalfWidthUnits)
{
    EXPECT_EQ(TextWidthUnits(u""), 0);
    EXPECT_EQ(TextWidthUnits(u"ABC"), 3);
    EXPECT_EQ(TextWidthUnits(u"あいう"), 6);
    EXPECT_EQ(TextWidthUnits(u"Aｱあ"), 4);

    std::int32_t abc = 0;
    for (char16_t c : std::u16string(u"ABC")) abc += CharAdvance(20, c);
    std::int32_t aiu = 0;
    for (char16_t c : std::u16string(u"あいう")) aiu += CharAdvance(20, c);
    EXPECT_EQ(abc, 30);
    EXPECT_EQ(aiu, 60);
    EXPECT_EQ(CharAdvance(15, u'A'), 7);   // truncated
}

TEST(TextLayout, SingleByteCodesOfGridFonts)
{
    struct Case {
        char16_t character;
        std::uint8_t code;
    };
    const Case cases[] = {
        {u'A', 0x41},   {0x0000, 0x00}, {0x0080, 0x80},   // 0 to 128 unchanged
        {0x0081, 0x20}, {0xFF61, 0xA1}, {0xFF9F, 0xDF},   // half-width katakana
        {0xFFA0, 0x20}, {0xF8F0, 0xA0}, {0xF8F1, 0xFD},
        {0xF8F3, 0xFF}, {0xF8F4, 0x20}, {u'あ', 0x20},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ToSingleByteCode(c.character), c.code) << std::hex << static_cast<int>(c.character);
}

TextLayoutLines Split(std::u16string_view text, std::int32_t fontSize, std::int32_t width, char16_t breakChar = u'|')
{
    TextLayoutLines lines;
    SplitTextLayoutLines(fontSize, text, width, breakChar, &lines);
    EXPECT_EQ(lines.lines.size(), lines.widths.size());
    return lines;
}

TEST(TextLayout, SplitsByWidthAndAtTheBreakCharacter)
{
    // 20 + 80 >= 100: the first line ends after eight letters.
    const TextLayoutLines letters = Split(u"ABCDEFGHIJKLMNOP", 20, 100);
    EXPECT_EQ(letters.lines, (std::vector<std::u16string>{u"ABCDEFGH", u"IJKLMNOP"}));
    EXPECT_EQ(letters.widths, (std::vector<std::int32_t>{80, 80}));

    const TextLayoutLines broken = Split(u"AB|CD", 20, 1000);
    EXPECT_EQ(broken.lines, (std::vector<std::u16string>{u"AB", u"CD"}));
    EXPECT_EQ(broken.widths, (std::vector<std::int32_t>{20, 20}));

    // Full-width characters count a whole cell; a line may end mid-word.
    const TextLayoutLines kana = Split(u"あいうえ", 20, 60);
    EXPECT_EQ(kana.lines, (std::vector<std::u16string>{u"あい", u"うえ"}));

    // A trailing break opens no line; a second one leaves an empty line behind.
    EXPECT_EQ(Split(u"AB|", 20, 1000).lines, (std::vector<std::u16string>{u"AB"}));
    EXPECT_EQ(Split(u"AB||", 20, 1000).lines, (std::vector<std::u16string>{u"AB", u""}));
    EXPECT_TRUE(Split(u"", 20, 1000).lines.empty());
    // Text ends at a NUL.
    EXPECT_EQ(Split(std::u16string_view(u"AB\0CD", 5), 20, 1000).lines, (std::vector<std::u16string>{u"AB"}));
}

TEST(TextLayout, PlacesLinesForEachAlignment)
{
    const GxRect rect{100, 50, 300, 250};   // W = 200, H = 200
    const TextLayoutLines lines = Split(u"ABCD|AB", 20, 200);   // widths 40 and 20

    const TextLayoutPlacement left = PlaceTextLayout(20, lines, rect, GxTextAlign::Left);
    ASSERT_EQ(left.origins.size(), 2u);
    EXPECT_EQ(left.origins[0].x, 100);
    EXPECT_EQ(left.origins[0].y, 50);
    EXPECT_EQ(left.origins[1].x, 100);
    EXPECT_EQ(left.origins[1].y, 70);
    // The right edge is the last line's, not the widest one's.
    EXPECT_EQ(left.bounds.left, 100);
    EXPECT_EQ(left.bounds.top, 50);
    EXPECT_EQ(left.bounds.right, 120);
    EXPECT_EQ(left.bounds.bottom, 90);

    const TextLayoutPlacement center = PlaceTextLayout(20, lines, rect, GxTextAlign::Center);
    EXPECT_EQ(center.origins[0].x, 180);   // 100 + (200 - 40) / 2
    EXPECT_EQ(center.origins[1].x, 190);
    EXPECT_EQ(center.origins[0].y, 50);
    EXPECT_EQ(center.bounds.left, 180);
    EXPECT_EQ(center.bounds.right, 210);

    const TextLayoutPlacement centered = PlaceTextLayout(20, lines, rect, GxTextAlign::Centered);
    EXPECT_EQ(centered.origins[0].y, 50 + (200 - 40) / 2);
    EXPECT_EQ(centered.origins[1].y, 50 + (200 - 40) / 2 + 20);
    EXPECT_EQ(centered.bounds.bottom, 50 + (200 - 40) / 2 + 40);

    // Right-aligned: each line ends at the right edge, lines from the top.
    const TextLayoutPlacement right = PlaceTextLayout(20, lines, rect, GxTextAlign::Right);
    EXPECT_EQ(right.origins[0].x, 260);   // 100 + 200 - 40
    EXPECT_EQ(right.origins[1].x, 280);
    EXPECT_EQ(right.origins[0].y, 50);
    EXPECT_EQ(right.origins[1].y, 70);
    EXPECT_EQ(right.bounds.right, 300);
}

TEST(TextLayout, CenteredBlockIgnoresAnEmptyLastLine)
{
    const GxRect rect{0, 0, 200, 101};
    // Both texts show one line of text, so both are centred as one line: (101 - 20) / 2.
    for (std::u16string_view text : {std::u16string_view(u"AB|"), std::u16string_view(u"AB||")}) {
        const TextLayoutPlacement placed = PlaceTextLayout(20, Split(text, 20, 200), rect, GxTextAlign::Centered);
        ASSERT_FALSE(placed.origins.empty());
        EXPECT_EQ(placed.origins[0].y, 40) << std::string(text.begin(), text.end());
    }
}

TEST(TextLayout, EmptyTextCoversNothing)
{
    const GxRect rect{10, 20, 110, 220};
    for (GxTextAlign align : {GxTextAlign::Left, GxTextAlign::Center, GxTextAlign::Centered}) {
        const TextLayoutPlacement placed = PlaceTextLayout(16, Split(u"", 16, 100), rect, align);
        EXPECT_TRUE(placed.origins.empty());
        EXPECT_EQ(placed.bounds.left, 10);
        EXPECT_EQ(placed.bounds.top, 20);
        EXPECT_EQ(placed.bounds.right, 10);
        EXPECT_EQ(placed.bounds.bottom, 20);
    }
}

}  // namespace
