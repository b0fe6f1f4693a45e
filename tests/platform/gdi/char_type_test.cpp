#include "platform/gdi/gdi.h"

#include <gtest/gtest.h>

namespace {

WORD TypeOf(char16_t unit)
{
    WORD type = 0xFFFF;
    EXPECT_TRUE(GetStringTypeW(CT_CTYPE3, &unit, 1, &type));
    return type;
}

TEST(GdiCharType, WidthClassOfSingleCharacters)
{
    struct Case {
        char16_t unit;
        WORD expected;
        const char* what;
    };
    const Case cases[] = {
        {u'あ', C3_FULLWIDTH, "hiragana"},
        {u'ア', C3_FULLWIDTH, "katakana"},
        {u'漢', C3_FULLWIDTH, "kanji"},
        {u'Ａ', C3_FULLWIDTH, "full-width Latin"},
        {u'０', C3_FULLWIDTH, "full-width digit"},
        {u'　', C3_FULLWIDTH, "ideographic space"},
        {u'・', C3_FULLWIDTH, "middle dot"},
        {u'α', C3_FULLWIDTH, "Greek, double-byte in code page 932"},
        {u'Б', C3_FULLWIDTH, "Cyrillic, double-byte in code page 932"},
        {u'①', C3_FULLWIDTH, "circled digit, double-byte in code page 932"},
        {u'가', C3_FULLWIDTH, "Hangul, wide but not in code page 932"},
        {u'A', C3_HALFWIDTH, "ASCII letter"},
        {u'~', C3_HALFWIDTH, "ASCII symbol"},
        {0xFF61, C3_HALFWIDTH, "half-width ideographic full stop"},
        {0xFF71, C3_HALFWIDTH, "half-width katakana A"},
        {0xFF9F, C3_HALFWIDTH, "half-width semi-voiced mark"},
        {0x00E9, C3_HALFWIDTH, "Latin-1 letter"},
        {0x0E01, C3_HALFWIDTH, "Thai letter"},
        {0xD83D, C3_HALFWIDTH, "lone surrogate"},
    };
    for (const Case& c : cases) EXPECT_EQ(TypeOf(c.unit), c.expected) << c.what << " U+" << std::hex << int(c.unit);
}

TEST(GdiCharType, WholeBlocksTakeOneClass)
{
    for (char16_t unit = 0xFF61; unit <= 0xFF9F; ++unit) EXPECT_EQ(TypeOf(unit), C3_HALFWIDTH) << std::hex << int(unit);
    for (char16_t unit = 0x3041; unit <= 0x3096; ++unit) EXPECT_EQ(TypeOf(unit), C3_FULLWIDTH) << std::hex << int(unit);
    for (char16_t unit = 0x30A1; unit <= 0x30FA; ++unit) EXPECT_EQ(TypeOf(unit), C3_FULLWIDTH) << std::hex << int(unit);
    for (char16_t unit = 0xFF01; unit <= 0xFF5E; ++unit) EXPECT_EQ(TypeOf(unit), C3_FULLWIDTH) << std::hex << int(unit);
    for (char16_t unit = 0x20; unit < 0x7F; ++unit) EXPECT_EQ(TypeOf(unit), C3_HALFWIDTH) << std::hex << int(unit);
    // Every unit gets exactly one of the two bits.
    std::u16string all;
    for (unsigned unit = 1; unit <= 0xFFFF; ++unit) all.push_back(static_cast<char16_t>(unit));
    std::vector<WORD> types(all.size(), 0);
    ASSERT_TRUE(GetStringTypeW(CT_CTYPE3, all.data(), static_cast<int>(all.size()), types.data()));
    for (std::size_t i = 0; i < types.size(); ++i)
        ASSERT_TRUE(types[i] == C3_HALFWIDTH || types[i] == C3_FULLWIDTH) << std::hex << int(all[i]);
}

TEST(GdiCharType, StringsAndTheirLength)
{
    const char16_t text[] = u"Aあｱ";
    WORD types[5] = {0xEEEE, 0xEEEE, 0xEEEE, 0xEEEE, 0xEEEE};
    ASSERT_TRUE(GetStringTypeW(CT_CTYPE3, text, 2, types));
    EXPECT_EQ(types[0], C3_HALFWIDTH);
    EXPECT_EQ(types[1], C3_FULLWIDTH);
    EXPECT_EQ(types[2], 0xEEEE) << "wrote past the count";

    // A negative count runs to the NUL and types it as well.
    ASSERT_TRUE(GetStringTypeW(CT_CTYPE3, text, -1, types));
    EXPECT_EQ(types[2], C3_HALFWIDTH);
    EXPECT_EQ(types[3], C3_HALFWIDTH);
    EXPECT_EQ(types[4], 0xEEEE);
}

TEST(GdiCharType, BadArgumentsFail)
{
    const char16_t text[] = u"A";
    WORD type = 0xEEEE;
    EXPECT_FALSE(GetStringTypeW(CT_CTYPE3, nullptr, 1, &type));
    EXPECT_FALSE(GetStringTypeW(CT_CTYPE3, text, 1, nullptr));
    EXPECT_FALSE(GetStringTypeW(CT_CTYPE3, text, 0, &type));
    EXPECT_FALSE(GetStringTypeW(CT_CTYPE1, text, 1, &type));
    EXPECT_FALSE(GetStringTypeW(CT_CTYPE2, text, 1, &type));
    EXPECT_EQ(type, 0xEEEE);
}

}  // namespace
