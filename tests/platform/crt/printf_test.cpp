#include "platform/crt/printf.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace {

// Measures, then formats into a buffer of exactly the measured size plus the NUL: the way the
// engine's growing formatter uses the pair.
std::u16string FormatW(const WCHAR* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = _vscwprintf(format, measure);
    va_end(measure);
    std::u16string out;
    if (length >= 0) {
        out.assign(static_cast<std::size_t>(length) + 1, u'#');
        const int written = _vsnwprintf(out.data(), out.size(), format, args);
        EXPECT_EQ(written, length);
        EXPECT_EQ(out[static_cast<std::size_t>(length)], u'\0');
        out.resize(static_cast<std::size_t>(length));
    }
    va_end(args);
    return out;
}

std::string FormatA(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    va_list measure;
    va_copy(measure, args);
    const int length = _vscprintf(format, measure);
    va_end(measure);
    std::string out;
    if (length >= 0) {
        out.assign(static_cast<std::size_t>(length) + 1, '#');
        EXPECT_EQ(_vsnprintf(out.data(), out.size(), format, args), length);
        out.resize(static_cast<std::size_t>(length));
    }
    va_end(args);
    return out;
}

int MeasureW(const WCHAR* format, ...)
{
    va_list args;
    va_start(args, format);
    const int length = _vscwprintf(format, args);
    va_end(args);
    return length;
}

int TruncateW(WCHAR* buffer, std::size_t count, const WCHAR* format, ...)
{
    va_list args;
    va_start(args, format);
    const int result = FormatWideTruncate(buffer, count, format, args);
    va_end(args);
    return result;
}

int TruncateA(char* buffer, std::size_t count, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const int result = FormatNarrowTruncate(buffer, count, format, args);
    va_end(args);
    return result;
}

}  // namespace

TEST(CrtPrintf, WideStringTitleLine)
{
    EXPECT_EQ(FormatW(u"%s FPS %2.2f/%d", u"Game", 59.9, 60), u"Game FPS 59.90/60");
}

TEST(CrtPrintf, IntegerWidthFlagsAndPrecision)
{
    struct Case {
        const char16_t* format;
        int value;
        const char16_t* expected;
    };
    const Case cases[] = {
        {u"%d", 0, u"0"},
        {u"%d", std::numeric_limits<int>::min(), u"-2147483648"},
        {u"%i", -7, u"-7"},
        {u"%u", -1, u"4294967295"},
        {u"[%5d]", 42, u"[   42]"},
        {u"[%-5d]", 42, u"[42   ]"},
        {u"[%05d]", -42, u"[-0042]"},
        {u"[%-05d]", 42, u"[42   ]"},
        {u"%+d", 5, u"+5"},
        {u"% d", 5, u" 5"},
        {u"%+ d", 5, u"+5"},
        {u"%.3d", 7, u"007"},
        {u"[%08.3d]", 7, u"[     007]"},   // a precision turns the 0 flag off
        {u"[%.0d]", 0, u"[]"},
        {u"%x", 255, u"ff"},
        {u"%X", 0xBEEF, u"BEEF"},
        {u"%08X", 0xBEEF, u"0000BEEF"},
        {u"%08X", -1, u"FFFFFFFF"},
        {u"%02x", 5, u"05"},
        {u"%02x", 0x1a, u"1a"},
        {u"%04X", 0x12345, u"12345"},
        {u"%#x", 255, u"0xff"},
        {u"%#X", 255, u"0XFF"},
        {u"%#x", 0, u"0"},
        {u"%#010x", 255, u"0x000000ff"},
        {u"%o", 8, u"10"},
        {u"%#o", 8, u"010"},
        {u"%#o", 0, u"0"},
        {u"%hd", 70000, u"4464"},
        {u"%hu", -1, u"65535"},
        {u"%hhd", 200, u"-56"},
        {u"%ld", -1, u"-1"},
        {u"%lu", -1, u"4294967295"},
        {u"%I32d", -3, u"-3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.format, c.format + std::char_traits<char16_t>::length(c.format)));
        EXPECT_EQ(FormatW(c.format, c.value), c.expected);
    }
}

TEST(CrtPrintf, StarWidthAndPrecisionComeFromArguments)
{
    EXPECT_EQ(FormatW(u"[%*d]", 5, 42), u"[   42]");
    EXPECT_EQ(FormatW(u"[%*d]", -5, 42), u"[42   ]");   // a negative width left-aligns
    EXPECT_EQ(FormatW(u"[%.*d]", 4, 42), u"[0042]");
    EXPECT_EQ(FormatW(u"[%.*d]", -1, 42), u"[42]");   // a negative precision is none
    EXPECT_EQ(FormatW(u"[%*.*f]", 8, 2, 3.14159), u"[    3.14]");
    EXPECT_EQ(FormatW(u"[%-*s]", 4, u"ab"), u"[ab  ]");
}

TEST(CrtPrintf, SixtyFourBitSizes)
{
    EXPECT_EQ(FormatW(u"%I64u", std::numeric_limits<std::uint64_t>::max()), u"18446744073709551615");
    EXPECT_EQ(FormatW(u"%I64d", std::numeric_limits<std::int64_t>::min()), u"-9223372036854775808");
    EXPECT_EQ(FormatW(u"%I64x", std::uint64_t{0x123456789ABCDEF0}), u"123456789abcdef0");
    EXPECT_EQ(FormatW(u"%lld", std::int64_t{-5000000000}), u"-5000000000");
    EXPECT_EQ(FormatW(u"%llu", std::uint64_t{5000000000}), u"5000000000");
    EXPECT_EQ(FormatW(u"%Iu", std::size_t{5000000000}), u"5000000000");
    EXPECT_EQ(FormatW(u"%zu", std::size_t{5000000000}), u"5000000000");
    // The arguments after a 64-bit one are still read from the right place.
    EXPECT_EQ(FormatW(u"%I64d|%d|%I64u", std::int64_t{-1}, 7, std::uint64_t{9}), u"-1|7|9");
    EXPECT_EQ(FormatA("%02x\t%s\t%I64d\n", 7, "m_TaskID", std::int64_t{-12345678901}), "07\tm_TaskID\t-12345678901\n");
}

TEST(CrtPrintf, FloatingPoint)
{
    struct Case {
        const char* format;
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {"%f", 0.1, "0.100000"},
        {"%f", 3.14159265, "3.141593"},
        {"%f", 0.0000001, "0.000000"},
        {"%f", -0.0, "-0.000000"},
        {"%f", 1e20, "100000000000000000000.000000"},
        {"%.0f", 2.5, "2"},
        {"%#.0f", 3.0, "3."},
        {"%2.2f", 59.9, "59.90"},
        {"[%8.3f]", 3.14159, "[   3.142]"},
        {"[%-8.2f]", 3.14159, "[3.14    ]"},
        {"[%08.2f]", -3.14159, "[-0003.14]"},
        {"[%+08.2f]", 3.14159, "[+0003.14]"},
        {"%+.1f", 2.0, "+2.0"},
        {"% .1f", 2.0, " 2.0"},
        {"%e", 12345.678, "1.234568e+04"},
        {"%E", 0.000123, "1.230000E-04"},
        {"%g", 0.0001, "0.0001"},
        {"%g", 1234567.0, "1.23457e+06"},
        {"%G", 1e-10, "1E-10"},
        {"%a", 1.0, "0x1p+0"},
        {"[%010a]", 1.0, "[0x00001p+0]"},
        {"[%08f]", std::numeric_limits<double>::infinity(), "[     inf]"},   // no zeros in front of inf
        {"%F", std::numeric_limits<double>::infinity(), "INF"},
        {"%lf", 1.5, "1.500000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.format);
        EXPECT_EQ(FormatA(c.format, c.value), c.expected);
        const std::u16string wideFormat(c.format, c.format + std::char_traits<char>::length(c.format));
        const std::u16string wideExpected(c.expected, c.expected + std::char_traits<char>::length(c.expected));
        EXPECT_EQ(FormatW(wideFormat.c_str(), c.value), wideExpected);
    }
    EXPECT_EQ(FormatA("%Lf", 1.25L), "1.250000");
    EXPECT_EQ(FormatA("%f|%d", 0.5, 3), "0.500000|3");
}

TEST(CrtPrintf, StringsTakeTheFormatsOwnWidthUnlessSized)
{
    // Wide format: %s and %ls are wide, %S and %hs 8-bit.
    EXPECT_EQ(FormatW(u"%s|%ls|%ws|%S|%hs", u"a", u"b", u"c", "d", "e"), u"a|b|c|d|e");
    // 8-bit format: %s and %hs are 8-bit, %S and %ls wide.
    EXPECT_EQ(FormatA("%s|%hs|%S|%ls", "a", "b", u"c", u"d"), "a|b|c|d");
    EXPECT_EQ(FormatW(u"[%6s][%-6s][%.2s]", u"abc", u"abc", u"abc"), u"[   abc][abc   ][ab]");
    EXPECT_EQ(FormatA("[%6s][%-6s][%.2s]", "abc", "abc", "abc"), "[   abc][abc   ][ab]");
    EXPECT_EQ(FormatW(u"[%05s]", u"ab"), u"[000ab]");
    EXPECT_EQ(FormatW(u"%s", u""), u"");
    EXPECT_EQ(FormatW(u"日本%s語", u"の"), u"日本の語");
}

TEST(CrtPrintf, PrecisionLimitsReadingOfUnterminatedText)
{
    const char16_t wide[3] = {u'x', u'y', u'z'};   // no NUL: only the precision bounds the read
    const char narrow[3] = {'x', 'y', 'z'};
    EXPECT_EQ(FormatW(u"%.3s", wide), u"xyz");
    EXPECT_EQ(FormatA("%.3s", narrow), "xyz");
    EXPECT_EQ(FormatA("%.2S", wide), "xy");
}

TEST(CrtPrintf, CrossWidthStringsUseTheSystemCodePage)
{
    const char hyo[] = "\x95\x5c";   // U+8868 in CP932, its second byte is "\"
    EXPECT_EQ(FormatW(u"[%S]", hyo), u"[表]");
    EXPECT_EQ(FormatA("[%S]", u"表"), std::string("[") + hyo + "]");
    // Precision counts whole characters, never half of a double-byte one.
    EXPECT_EQ(FormatW(u"[%.1S]", "\x95\x5cx"), u"[表]");
    EXPECT_EQ(FormatA("[%.1S]", u"表x"), "[]");
    EXPECT_EQ(FormatA("[%.3S]", u"表x"), std::string("[") + hyo + "x]");
}

TEST(CrtPrintf, NullStringsPrintNull)
{
    const char16_t* nullWide = nullptr;
    const char* nullNarrow = nullptr;
    EXPECT_EQ(FormatW(u"%s|%S", nullWide, nullNarrow), u"(null)|(null)");
    EXPECT_EQ(FormatA("%s|%S", nullNarrow, nullWide), "(null)|(null)");
    EXPECT_EQ(FormatW(u"[%8s][%.2s]", nullWide, nullWide), u"[  (null)][(n]");
}

TEST(CrtPrintf, CharactersAndPercent)
{
    EXPECT_EQ(FormatW(u"%c%c%C", u'あ', u'b', 'c'), u"あbc");
    EXPECT_EQ(FormatA("%c%hc%C", 'a', 'b', u'c'), "abc");
    EXPECT_EQ(FormatW(u"[%3c][%-3c]", u'x', u'y'), u"[  x][y  ]");
    EXPECT_EQ(FormatW(u"100%%"), u"100%");
    EXPECT_EQ(FormatA("%d%%", 50), "50%");
}

TEST(CrtPrintf, PointerIsFullWidthUpperHex)
{
    void* pointer = reinterpret_cast<void*>(std::uintptr_t{0xBEEF});
    EXPECT_EQ(FormatA("%p", pointer), std::string(sizeof(void*) * 2 - 4, '0') + "BEEF");
}

TEST(CrtPrintf, BadConversionsStayVisibleAndNWritesNothing)
{
    EXPECT_EQ(FormatW(u"a%yb"), u"a%yb");
    EXPECT_EQ(FormatW(u"a%-5kb"), u"a%-5kb");
    EXPECT_EQ(FormatW(u"end%"), u"end%");
    EXPECT_EQ(FormatA("end%5"), "end%5");
    int count = 77;
    // "%n" consumes its pointer, so the next argument is still the right one.
    EXPECT_EQ(FormatW(u"%d%n%d", 1, &count, 2), u"12");
    EXPECT_EQ(count, 77);
}

TEST(CrtPrintf, DidNotFitSignalAndExactFit)
{
    std::vector<WCHAR> buffer(8, u'#');
    // Room for the text and its NUL.
    EXPECT_EQ(_snwprintf(buffer.data(), 6, u"%s", u"abcde"), 5);
    EXPECT_EQ(std::u16string(buffer.data(), 6), std::u16string(u"abcde\0", 6));

    // Exactly fits without its NUL: the length comes back and nothing is written after it.
    std::fill(buffer.begin(), buffer.end(), u'#');
    EXPECT_EQ(_snwprintf(buffer.data(), 5, u"%s", u"abcde"), 5);
    EXPECT_EQ(std::u16string(buffer.data(), 6), u"abcde#");

    // Too long: -1, and no unit written past the count.
    std::fill(buffer.begin(), buffer.end(), u'#');
    EXPECT_EQ(_snwprintf(buffer.data(), 3, u"%d", 123456), -1);
    EXPECT_EQ(std::u16string(buffer.data(), 4), u"123#");

    std::fill(buffer.begin(), buffer.end(), u'#');
    EXPECT_EQ(_snwprintf(buffer.data(), 0, u"x"), -1);
    EXPECT_EQ(buffer[0], u'#');
    EXPECT_EQ(_snwprintf(buffer.data(), 0, u""), 0);

    char narrow[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(_snprintf(narrow, 3, "%s", "abcd"), -1);
    EXPECT_EQ(std::string(narrow, 4), "abc#");
    EXPECT_EQ(_snprintf(narrow, 3, "%s", "abc"), 3);
    EXPECT_EQ(_snprintf(nullptr, 0, "%d", 12345), 5);   // the length needed
    EXPECT_EQ(_snprintf(nullptr, 4, "%d", 1), -1);
}

TEST(CrtPrintf, GrowingBufferLoopEndsWithTheWholeText)
{
    const std::u16string longText(3000, u'x');
    std::vector<WCHAR> buffer(256);
    while (_snwprintf(buffer.data(), buffer.size(), u"<%s>", longText.c_str()) < 0) buffer.resize(buffer.size() * 2);
    EXPECT_EQ(buffer.size(), 4096u);
    EXPECT_EQ(std::u16string(buffer.data()), u"<" + longText + u">");
}

TEST(CrtPrintf, HugeWidthIsCountedNotWritten)
{
    WCHAR buffer[4] = {u'#', u'#', u'#', u'#'};
    EXPECT_EQ(_snwprintf(buffer, 3, u"%1000000000d", 5), -1);
    EXPECT_EQ(std::u16string(buffer, 4), u"   #");
    EXPECT_EQ(MeasureW(u"%1000000000d|%1000000000f", 5, 1.0), 2000000001);
}

TEST(CrtPrintf, TruncatingFormsCutAndTerminate)
{
    WCHAR wide[8];
    EXPECT_EQ(TruncateW(wide, 8, u"%s", u"abcdefghij"), -1);
    EXPECT_EQ(std::u16string(wide), u"abcdefg");
    EXPECT_EQ(TruncateW(wide, 8, u"%s", u"abcdefg"), 7);
    EXPECT_EQ(std::u16string(wide), u"abcdefg");
    EXPECT_EQ(TruncateW(wide, 8, u"%s", u"abcdefgh"), -1);
    EXPECT_EQ(std::u16string(wide), u"abcdefg");
    // A cut between the two halves of a surrogate pair drops the lone first half.
    EXPECT_EQ(TruncateW(wide, 4, u"ab%s", u"\U0001F600"), -1);
    EXPECT_EQ(std::u16string(wide), u"ab");
    EXPECT_EQ(TruncateW(wide, 1, u"abc"), -1);
    EXPECT_EQ(wide[0], u'\0');

    char narrow[1024];
    const std::string longText(3000, 'y');
    EXPECT_EQ(TruncateA(narrow, sizeof(narrow), "%s", longText.c_str()), -1);
    EXPECT_EQ(std::string(narrow), longText.substr(0, 1023));
    EXPECT_EQ(TruncateA(narrow, sizeof(narrow), "%d", 42), 2);
    EXPECT_STREQ(narrow, "42");
}

TEST(CrtPrintf, WideLengthCountsUnits)
{
    EXPECT_EQ(WideLength(u"\U0001F600ab"), 4u);
    EXPECT_EQ(WideLength(u""), 0u);
    EXPECT_EQ(WideLength(nullptr), 0u);
}
