#include "foundation/wide_string.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Pieces = std::vector<std::u16string>;

TEST(WideString, CompareFoldsOnlyAsciiLetters)
{
    EXPECT_EQ(WideCompare(u"TEXTURE_BG01.PNG", u"texture_bg01.png"), 0);
    EXPECT_NE(WideCompare(u"Ａ", u"ａ"), 0);   // full-width letters are not folded
    EXPECT_LT(WideCompare(u"abc", u"abd"), 0);
    EXPECT_LT(WideCompare(u"ab", u"ABC"), 0);
    // Folding happens before ordering: 'B' (0x42) sorts after 'a' (0x61).
    EXPECT_GT(WideCompare(u"B", u"a"), 0);
    EXPECT_LT(WideCompare(u"[", u"a"), 0);   // '[' (0x5B) sorts below 'a', not above 'A'

    EXPECT_EQ(CompareWideNoCase(u"Name", u"nAME"), 0);
    EXPECT_EQ(CompareWideNoCase(u"abc", u"ABD"), u'c' - u'd');
    EXPECT_EQ(CompareWideNoCase(u"a", u""), u'a');
    EXPECT_EQ(CompareWideNoCase(nullptr, u""), 0);
}

TEST(WideString, SearchesReturnMinusOneWhenNothingIsFound)
{
    EXPECT_EQ(WideFind(u"abcabc", u"bc"), 1);
    EXPECT_EQ(WideFind(u"abcabc", u"bc", 2), 4);
    EXPECT_EQ(WideFind(u"abcabc", u"x"), -1);
    EXPECT_EQ(WideFind(u"abc", u"a", 10), -1);

    EXPECT_EQ(WideFindFirstOf(u"path/to\\file", u"/\\"), 4);
    EXPECT_EQ(WideFindFirstOf(u"path/to\\file", u"/\\", 5), 7);
    EXPECT_EQ(WideFindFirstOf(u"abc", u"/"), -1);

    EXPECT_EQ(WideFindLastOf(u"path/to\\file", u"/\\"), 7);
    EXPECT_EQ(WideFindLastOf(u"path/to\\file", u"/\\", 6), 4);
    EXPECT_EQ(WideFindLastOf(u"path/to\\file", u"/\\", 3), -1);
    EXPECT_EQ(WideFindLastOf(u"", u"/", -1), -1);

    EXPECT_EQ(WideCharAt(u"abc", 1), u"b");
    EXPECT_EQ(WideCharAt(u"abc", 3), u"");
    EXPECT_EQ(WideCharAt(u"abc", -1), u"");
}

TEST(WideString, CaseMappingTouchesOnlyAscii)
{
    EXPECT_EQ(WideToLowerAscii(u"ABC xyz ÄＡ"), u"abc xyz ÄＡ");
    EXPECT_EQ(WideToUpperAscii(u"abc XYZ äａ"), u"ABC XYZ äａ");
    EXPECT_EQ(PassThroughWideString(u"same"), u"same");
}

TEST(WideString, TrimModes)
{
    struct Case {
        const char16_t* text;
        int mode;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u" \t a b \r\n", 0, u" \t a b \r\n"},
        {u" \t a b \r\n", 1, u"a b \r\n"},
        {u" \t a b \r\n", 2, u" \t a b"},
        {u" \t a b \r\n", 3, u"a b"},
        {u"\x01" u"a\x1f", 3, u"a"},   // every unit up to 0x20 counts, control codes too
        {u"   ", 3, u""},
        {u" a\r\n", 4, u" a"},         // mode 4 drops only CR and LF
        {u"\n\r\tx \r", 4, u"\tx "},
        {u"\r\n", 4, u""},
        {u" a\r\n", 9, u" a"},         // any other mode behaves as 4
    };
    for (const Case& c : cases) EXPECT_EQ(TrimWide(c.text, c.mode), c.expected) << "mode " << c.mode;

    Pieces list{u" a ", u"\tb"};
    TrimWideAll(list, 3);
    EXPECT_EQ(list, (Pieces{u"a", u"b"}));
}

TEST(WideString, UnquoteKeepsBackslashesAndHonoursEscapes)
{
    struct Case {
        const char16_t* text;
        std::int32_t position;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"plain text", 0, u"plain text"},
        {u"key=value", 3, u"=value"},
        {u"\"abc\" rest", 0, u"abc"},
        {u"\"no closing quote", 0, u"no closing quote"},
        {u"\"a\\\"b\" rest", 0, u"a\\\"b"},    // \" does not close
        {u"'it\\'s' rest", 0, u"it\\'s"},      // \' escapes inside single quotes
        {u"\"a'b\"", 0, u"a'b"},               // the other kind of quote is ordinary text
        {u"'a\"b'", 0, u"a\"b"},
        {u"'a\\\"b'", 0, u"a\\\"b"},
        {u"\"a\\\\\"b\"", 0, u"a\\\\\"b"},     // a backslash before \" does not cancel it
        {u"x = \"v\"", 4, u"v"},
        {u"\"\"", 0, u""},
        {u"abc", 3, u""},
        {u"abc", -1, u""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(UnquoteWide(c.text, c.position), c.expected) << "position " << c.position;
}

TEST(WideString, ReplaceAllResumesAfterTheInsertedText)
{
    EXPECT_EQ(ReplaceAllWide(u"aXa", u"a", u"aa"), u"aaXaa");   // would never end if it rescanned
    EXPECT_EQ(ReplaceAllWide(u"aaa", u"aa", u"b"), u"ba");
    EXPECT_EQ(ReplaceAllWide(u"a\\b\\c", u"\\", u"/"), u"a/b/c");
    EXPECT_EQ(ReplaceAllWide(u"abc", u"", u"x"), u"abc");
}

TEST(WideString, SplitAndJoin)
{
    Pieces list{u"stale"};
    EXPECT_EQ(SplitWide(list, u"a,b,", u","), 3);
    EXPECT_EQ(list, (Pieces{u"a", u"b", u""}));
    EXPECT_EQ(SplitWide(list, u",,", u","), 3);
    EXPECT_EQ(list, (Pieces{u"", u"", u""}));
    EXPECT_EQ(SplitWide(list, u"a::b", u"::"), 2);
    EXPECT_EQ(list, (Pieces{u"a", u"b"}));
    EXPECT_EQ(SplitWide(list, u"a,b", u""), 1);
    EXPECT_EQ(list, (Pieces{u"a,b"}));
    EXPECT_EQ(SplitWide(list, u"", u","), 1);
    EXPECT_EQ(list, (Pieces{u""}));

    EXPECT_EQ(SplitWideFields(list, u"a,b,c,d,e,f", u",", 3), 3);
    EXPECT_EQ(list, (Pieces{u"a", u"b", u"c"}));
    EXPECT_EQ(SplitWideFields(list, u"abc", u",", 3), 3);
    EXPECT_EQ(list, (Pieces{u"abc", u"", u""}));
    EXPECT_EQ(SplitWideFields(list, u"a,", u",", 3), 3);
    EXPECT_EQ(list, (Pieces{u"a", u"", u""}));
    EXPECT_EQ(SplitWideFields(list, u"a,b", u",", 0), 0);
    EXPECT_TRUE(list.empty());

    EXPECT_EQ(JoinWideStrings(Pieces{u"a", u"", u"c"}, u", "), u"a, , c");
    EXPECT_EQ(JoinWideStrings(Pieces{}, u","), u"");
}

TEST(WideString, CodePageConversion)
{
    const std::u16string japanese = u"日本語テキスト";
    EXPECT_EQ(Utf8ToWide(WideToUtf8(japanese)), japanese);
    EXPECT_EQ(WideToUtf8(u"あ"), "\xE3\x81\x82");

    // The 8-bit code page is 932: "あ" is 82 A0.
    EXPECT_EQ(MultiByteToWide("\x82\xA0"), u"あ");
    EXPECT_EQ(WideToMultiByte(u"あA"), "\x82\xA0" "A");

    // Conversion stops at the first NUL; nothing to convert gives an empty string.
    EXPECT_EQ(MultiByteToWide(std::string("ab\0cd", 5)), u"ab");
    EXPECT_EQ(WideToUtf8(std::u16string(u"x\0y", 3)), "x");
    EXPECT_EQ(MultiByteToWide(""), u"");
    EXPECT_EQ(Utf8ToWide(std::string("\0z", 2)), u"");
}

TEST(WideString, FormatGrowsUntilTheTextAndItsNulFit)
{
    // Lengths around the first buffer of 256 units, where an off-by-one would cut the text.
    for (std::size_t length : {0u, 1u, 255u, 256u, 257u, 511u, 512u, 4000u}) {
        std::u16string expected(length, u'x');
        EXPECT_EQ(FormatWide(u"%s", expected.c_str()), expected) << length;
    }
    EXPECT_EQ(FormatWide(u"%s=%d (%S)", u"名前", -12, "narrow"), u"名前=-12 (narrow)");
    EXPECT_EQ(FormatNarrowToWide("%s:%d", "\x82\xA0", 7), u"あ:7");
    std::string longNarrow(1000, 'n');
    EXPECT_EQ(FormatNarrowToWide("%s", longNarrow.c_str()), std::u16string(1000, u'n'));
    EXPECT_EQ(IntToWideString(-2147483647 - 1), u"-2147483648");
    EXPECT_EQ(FloatToWideString(1.5), u"1.500000");
}

TEST(WideString, FormatBufferCutsAndTerminates)
{
    char16_t buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), u'#');
    EXPECT_EQ(FormatWideBuffer(buffer, 8, u"%s", u"0123456789"), -1);
    EXPECT_EQ(std::u16string(buffer), u"0123456");
    EXPECT_EQ(FormatWideBuffer(buffer, 8, u"%d", 42), 2);
    EXPECT_EQ(std::u16string(buffer), u"42");

    char16_t copy[8];
    EXPECT_EQ(CopyWideString(copy, u"abc"), copy);
    EXPECT_EQ(std::u16string(copy), u"abc");
}

}  // namespace
