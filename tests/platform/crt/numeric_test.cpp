#include "platform/crt/numeric.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdint>
#include <limits>
#include <string>

TEST(CrtNumeric, StrtolIsThirtyTwoBitAndSaturates)
{
    struct Case {
        const char* text;
        int base;
        std::int32_t value;
        std::size_t consumed;
    };
    const Case cases[] = {
        {"4294967295", 10, INT32_MAX, 10},
        {"-4294967295", 10, INT32_MIN, 11},
        {"2147483647", 10, INT32_MAX, 10},
        {"2147483648", 10, INT32_MAX, 10},
        {"-2147483648", 10, INT32_MIN, 11},
        {"-2147483649", 10, INT32_MIN, 11},
        {"99999999999999999999999999", 10, INT32_MAX, 26},   // beyond 64 bits too
        {"  \t+12abc", 10, 12, 6},
        {"-0", 10, 0, 2},
        {"abc", 10, 0, 0},
        {"-", 10, 0, 0},
        {"", 10, 0, 0},
        {"1A", 16, 26, 2},
        {"0x1A", 16, 26, 4},
        {"0x", 16, 0, 1},   // the "0" alone
        {"0x1A", 0, 26, 4},
        {"010", 0, 8, 3},
        {"z", 36, 35, 1},
        {"12", 1, 0, 0},   // no such base
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text) + " base " + std::to_string(c.base));
        char* end = nullptr;
        EXPECT_EQ(msvc::strtol(c.text, &end, c.base), c.value);
        EXPECT_EQ(static_cast<std::size_t>(end - c.text), c.consumed);
    }
    errno = 0;
    msvc::strtol("4294967295", nullptr, 10);
    EXPECT_EQ(errno, ERANGE);
}

TEST(CrtNumeric, StrtoulIsThirtyTwoBitAndNegatesInRange)
{
    struct Case {
        const char* text;
        std::uint32_t value;
    };
    const Case cases[] = {
        {"4294967295", 0xFFFFFFFFu},
        {"4294967296", 0xFFFFFFFFu},
        {"-1", 0xFFFFFFFFu},
        {"-4294967295", 1u},
        {"-4294967296", 0xFFFFFFFFu},
        {"123456789012345678901234", 0xFFFFFFFFu},
        {" 42 ", 42u},
        {"x", 0u},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(msvc::strtoul(c.text, nullptr, 10), c.value);
    }
}

TEST(CrtNumeric, SixtyFourBitParsesSaturate)
{
    EXPECT_EQ(_strtoi64("9223372036854775807", nullptr, 10), INT64_MAX);
    EXPECT_EQ(_strtoi64("9223372036854775808", nullptr, 10), INT64_MAX);
    EXPECT_EQ(_strtoi64("-9223372036854775808", nullptr, 10), INT64_MIN);
    EXPECT_EQ(_strtoi64("-9223372036854775809", nullptr, 10), INT64_MIN);
    EXPECT_EQ(_strtoi64("-12345678901", nullptr, 10), -12345678901);
    EXPECT_EQ(_strtoui64("18446744073709551615", nullptr, 10), UINT64_MAX);
    EXPECT_EQ(_strtoui64("18446744073709551616", nullptr, 10), UINT64_MAX);
    EXPECT_EQ(_strtoui64("-1", nullptr, 10), UINT64_MAX);
    char* end = nullptr;
    const char text[] = "7fffffffffffffffff!";
    EXPECT_EQ(_strtoi64(text, &end, 16), INT64_MAX);
    EXPECT_EQ(*end, '!');
}

TEST(CrtNumeric, AtoiAndWideForms)
{
    EXPECT_EQ(msvc::atoi("4294967295"), INT32_MAX);
    EXPECT_EQ(msvc::atoi("-17x"), -17);
    EXPECT_EQ(msvc::atoi(nullptr), 0);
    EXPECT_EQ(msvc::_wtoi(u"  -4294967295"), INT32_MIN);
    EXPECT_EQ(msvc::_wtoi64(u"-9223372036854775809"), INT64_MIN);
    EXPECT_EQ(msvc::_wtoi64(u"5000000000"), 5000000000);
    EXPECT_EQ(msvc::wcstoul(u"-1", nullptr, 10), 0xFFFFFFFFu);
    WCHAR* end = nullptr;
    const WCHAR text[] = u"0x7Fあ";
    EXPECT_EQ(msvc::wcstol(text, &end, 16), 0x7F);
    EXPECT_EQ(end, text + 4);
    // Only ASCII digits count.
    EXPECT_EQ(msvc::_wtoi(u"１２"), 0);
}

TEST(CrtNumeric, FloatsReadWithADotWhateverTheLocale)
{
    EXPECT_DOUBLE_EQ(msvc::atof("1.5"), 1.5);
    EXPECT_DOUBLE_EQ(msvc::atof("1,5"), 1.0);
    EXPECT_DOUBLE_EQ(msvc::atof("0.100000"), 0.1);
    EXPECT_DOUBLE_EQ(msvc::atof("abc"), 0.0);
    EXPECT_DOUBLE_EQ(msvc::atof(nullptr), 0.0);
    char* end = nullptr;
    const char text[] = "  -2.5e3x";
    EXPECT_DOUBLE_EQ(msvc::strtod(text, &end), -2500.0);
    EXPECT_EQ(*end, 'x');

    WCHAR* wideEnd = nullptr;
    const WCHAR wide[] = u" 3.25あ";
    EXPECT_DOUBLE_EQ(msvc::wcstod(wide, &wideEnd), 3.25);
    EXPECT_EQ(wideEnd, wide + 5);
    const WCHAR none[] = u"あ1";
    EXPECT_DOUBLE_EQ(msvc::wcstod(none, &wideEnd), 0.0);
    EXPECT_EQ(wideEnd, none);
    EXPECT_DOUBLE_EQ(msvc::_wtof(u"-0.125"), -0.125);
}

TEST(CrtNumeric, RandIsTheRuntimesGenerator)
{
    EXPECT_EQ(msvc::kRandMax, 32767);
    msvc::srand(1);
    EXPECT_EQ(msvc::rand(), 41);
    EXPECT_EQ(msvc::rand(), 18467);
    EXPECT_EQ(msvc::rand(), 6334);
    msvc::srand(12345);
    const int first = msvc::rand();
    msvc::srand(12345);
    EXPECT_EQ(msvc::rand(), first);
    for (int i = 0; i < 1000; ++i) {
        const int r = msvc::rand();
        ASSERT_GE(r, 0);
        ASSERT_LE(r, msvc::kRandMax);
    }
}

TEST(CrtNumeric, RandStartsFromSeedOne)
{
    // A fresh process, so no other test has moved the generator.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(msvc::rand() == 41 && msvc::rand() == 18467 ? 0 : 1), testing::ExitedWithCode(0), "");
}
