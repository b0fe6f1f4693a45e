#include "platform/win32/codepage.h"
#include "platform/win32/file.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

std::u16string ToWide(UINT codePage, const std::string& bytes)
{
    const int needed = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::u16string wide(static_cast<std::size_t>(needed), u'\0');
    const int written = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), needed);
    EXPECT_EQ(written, needed);
    return wide;
}

std::string ToNarrow(UINT codePage, const std::u16string& wide, BOOL* usedDefault = nullptr)
{
    const int needed =
        WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, usedDefault);
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    const int written = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), bytes.data(),
                                            needed, nullptr, usedDefault);
    EXPECT_EQ(written, needed);
    return bytes;
}

// Characters whose mapping tells CP932 from JIS Shift_JIS and from a broken trail-byte scan.
TEST(Win32CodePage, Cp932RoundTripsThePathAndVendorCharacters)
{
    struct Case {
        const char* bytes;
        std::u16string wide;
    };
    const Case cases[] = {
        {"\x5C", u"\\"},           // a backslash, not a yen sign
        {"\x7E", u"~"},            // a tilde, not an overline
        {"\x95\x5C", u"\u8868"},   // 表: trail byte 0x5C
        {"data\\\x95\x5C.txt", u"data\\\u8868.txt"},
        {"\x87\x40", u"\u2460"},   // ①, a vendor row
        {"\xB1", u"\uFF71"},       // half-width katakana
        {"\x82\xA0\x83\x41", u"\u3042\u30A2"},
    };
    for (UINT codePage : {CP_ACP, CP_OEMCP, 932u}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(c.bytes);
            EXPECT_EQ(ToWide(codePage, c.bytes), c.wide);
            EXPECT_EQ(ToNarrow(codePage, c.wide), c.bytes);
        }
    }
}

TEST(Win32CodePage, InvalidBytesAreReplacedWithoutFailingTheString)
{
    struct Case {
        std::string bytes;
        std::u16string wide;
    };
    const Case cases[] = {
        {"a\xFF" "b", u"a\u30FBb"},
        {"\x81\x20x", u"\u30FB x"},   // a lead byte with a trail byte that cannot follow it
        {"ab\x81", u"ab\u30FB"},      // a lead byte cut off at the end
        {"\x80\xA0", u"\u30FB\u30FB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(ToWide(932, c.bytes), c.wide);
    }
}

TEST(Win32CodePage, UnmappableUnitsBecomeTheDefaultCharacter)
{
    BOOL usedDefault = FALSE;
    EXPECT_EQ(ToNarrow(932, u"a\u00E9b", &usedDefault), "a?b");
    EXPECT_TRUE(usedDefault);
    const char16_t loneSurrogate[] = {u'x', 0xDC00, u'y'};
    EXPECT_EQ(ToNarrow(932, std::u16string(loneSurrogate, 3), &usedDefault), "x?y");
    EXPECT_EQ(ToNarrow(932, u"\u3042", &usedDefault), "\x82\xA0");
    EXPECT_FALSE(usedDefault);

    char out[8] = {};
    EXPECT_EQ(WideCharToMultiByte(932, 0, u"\u00E9!", 2, out, sizeof out, "*", nullptr), 2);
    EXPECT_EQ(std::string(out, 2), "*!");
}

TEST(Win32CodePage, Utf8RoundTripsEverythingAndReplacesBrokenInput)
{
    const char16_t text[] = {u'A', 0x00E9, 0x8868, 0xD83D, 0xDE00, u'z'};   // 😀 as a surrogate pair
    const std::u16string wide(text, 6);
    const std::string utf8 = "A\xC3\xA9\xE8\xA1\xA8\xF0\x9F\x98\x80z";
    EXPECT_EQ(ToNarrow(CP_UTF8, wide), utf8);
    EXPECT_EQ(ToWide(CP_UTF8, utf8), wide);

    EXPECT_EQ(ToWide(CP_UTF8, "a\xFF" "b"), u"a\uFFFDb");
    EXPECT_EQ(ToWide(CP_UTF8, "a\xE8\xA1"), u"a\uFFFD");           // cut-off sequence: one replacement
    EXPECT_EQ(ToWide(CP_UTF8, "\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");   // an encoded surrogate is not UTF-8
    const char16_t lone[] = {0xD800, u'a'};
    EXPECT_EQ(ToNarrow(CP_UTF8, std::u16string(lone, 2)), "\xEF\xBF\xBD" "a");

    // UTF-8 takes no default character.
    BOOL used = FALSE;
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, u"a", 1, nullptr, 0, nullptr, &used), 0);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
}

TEST(Win32CodePage, LengthsAndBuffersFollowTheWindowsContract)
{
    // -1 counts the NUL; an explicit length does not add one.
    EXPECT_EQ(MultiByteToWideChar(932, 0, "\x95\x5C" "a", -1, nullptr, 0), 3);
    EXPECT_EQ(MultiByteToWideChar(932, 0, "\x95\x5C" "a", 3, nullptr, 0), 2);
    EXPECT_EQ(WideCharToMultiByte(932, 0, u"\u8868a", -1, nullptr, 0, nullptr, nullptr), 4);

    char16_t wide[4] = {u'#', u'#', u'#', u'#'};
    EXPECT_EQ(MultiByteToWideChar(932, 0, "abc", -1, wide, 4), 4);
    EXPECT_EQ(std::u16string(wide), u"abc");

    // Too small: fails and writes nothing past the given length.
    char16_t small[4] = {u'#', u'#', u'#', u'#'};
    EXPECT_EQ(MultiByteToWideChar(932, 0, "abcdef", -1, small, 2), 0);
    EXPECT_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
    EXPECT_EQ(small[2], u'#');
    char narrow[4] = {'#', '#', '#', '#'};
    EXPECT_EQ(WideCharToMultiByte(932, 0, u"\u8868\u8868", 2, narrow, 3, nullptr, nullptr), 0);
    EXPECT_EQ(narrow[3], '#');

    struct Bad {
        UINT codePage;
        const char* source;
        int length;
    };
    for (const Bad& bad : {Bad{932, "a", 0}, Bad{932, nullptr, -1}, Bad{932, "a", -2}, Bad{12345, "a", 1}}) {
        SetLastError(ERROR_SUCCESS);
        EXPECT_EQ(MultiByteToWideChar(bad.codePage, 0, bad.source, bad.length, nullptr, 0), 0);
        EXPECT_EQ(GetLastError(), ERROR_INVALID_PARAMETER);
    }
}

TEST(Win32CodePage, LeadBytesAndCharacterSteps)
{
    struct Case {
        BYTE byte;
        bool lead;
    };
    for (const Case& c : {Case{0x5C, false}, Case{0x80, false}, Case{0x81, true}, Case{0x9F, true}, Case{0xA0, false},
                          Case{0xDF, false}, Case{0xE0, true}, Case{0xFC, true}, Case{0xFD, false}}) {
        EXPECT_EQ(IsDBCSLeadByte(c.byte) != FALSE, c.lead) << int(c.byte);
        EXPECT_EQ(IsDBCSLeadByteEx(932, c.byte) != FALSE, c.lead) << int(c.byte);
    }
    EXPECT_FALSE(IsDBCSLeadByteEx(CP_UTF8, 0x81));

    // Stepping over 表 must not stop on its trail byte, which is a backslash.
    const char text[] = "\x95\x5C\\x\x81";
    const char* p = text;
    p = CharNextExA(932, p, 0);
    EXPECT_EQ(p, text + 2);
    p = CharNextExA(932, p, 0);
    EXPECT_EQ(p, text + 3);
    p = CharNextExA(932, p, 0);
    EXPECT_EQ(p, text + 4);
    p = CharNextExA(932, p, 0);   // a lead byte before the NUL steps one byte, never over the end
    EXPECT_EQ(p, text + 5);
    EXPECT_EQ(CharNextExA(932, p, 0), p);
    EXPECT_EQ(GetACP(), 932u);
}

// iconv descriptors are not safe to share: many threads converting at once must all be right.
TEST(Win32CodePage, ConcurrentConversionsStayCorrect)
{
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&failures] {
            for (int i = 0; i < 300; ++i) {
                if (ToWide(932, "x\x95\x5C\x87\x40y") != u"x\u8868\u2460y") ++failures;
                if (ToNarrow(932, u"\u3042\u00E9\\") != "\x82\xA0?\\") ++failures;
            }
        });
    }
    for (std::thread& thread : threads) thread.join();
    EXPECT_EQ(failures, 0);
}

}  // namespace
