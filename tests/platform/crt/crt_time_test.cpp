#include "platform/crt/crt_time.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

// Runs each test in a fixed time zone (Japan, no daylight saving) and puts the old one back.
class CrtTime : public testing::Test {
protected:
    void SetUp() override
    {
        if (const char* tz = std::getenv("TZ")) m_OldZone = tz;
        setenv("TZ", "JST-9", 1);
        tzset();
    }
    void TearDown() override
    {
        platform::SetFakeCalendarTime(0);
        if (m_OldZone) setenv("TZ", m_OldZone->c_str(), 1);
        else unsetenv("TZ");
        tzset();
    }

    std::optional<std::string> m_OldZone;
};

}  // namespace

TEST_F(CrtTime, FakeCalendarTimeAndBack)
{
    platform::SetFakeCalendarTime(978307200);
    __time64_t out = 0;
    EXPECT_EQ(_time64(&out), 978307200);
    EXPECT_EQ(out, 978307200);
    EXPECT_EQ(_time64(nullptr), 978307200);
    platform::SetFakeCalendarTime(0);
    EXPECT_GT(_time64(nullptr), 1700000000);   // a real clock again
}

TEST_F(CrtTime, LocalFieldsAsTheRuntimeGivesThem)
{
    struct Case {
        __time64_t time;
        int year, mon, mday, hour, min, sec, wday, yday;
    };
    const Case cases[] = {
        {978307200, 101, 0, 1, 9, 0, 0, 1, 0},        // 2001-01-01 00:00 UTC, a Monday
        {1735603200, 124, 11, 31, 9, 0, 0, 2, 365},   // last day of a leap year
        {0, 70, 0, 1, 9, 0, 0, 4, 0},
        {32535215999, 1101, 0, 1, 8, 59, 59, 4, 0},   // the last second of the range
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.time);
        std::tm tm{};
        ASSERT_EQ(_localtime64_s(&tm, &c.time), 0);
        EXPECT_EQ(tm.tm_year, c.year);
        EXPECT_EQ(tm.tm_mon, c.mon);
        EXPECT_EQ(tm.tm_mday, c.mday);
        EXPECT_EQ(tm.tm_hour, c.hour);
        EXPECT_EQ(tm.tm_min, c.min);
        EXPECT_EQ(tm.tm_sec, c.sec);
        EXPECT_EQ(tm.tm_wday, c.wday);
        EXPECT_EQ(tm.tm_yday, c.yday);

        std::tm back = tm;
        EXPECT_EQ(_mktime64(&back), c.time);
    }
    std::tm utc{};
    const __time64_t t = 978307200;
    ASSERT_EQ(_gmtime64_s(&utc, &t), 0);
    EXPECT_EQ(utc.tm_hour, 0);
    EXPECT_EQ(utc.tm_mday, 1);
}

TEST_F(CrtTime, OutOfRangeAndNullArguments)
{
    std::tm tm{};
    for (const __time64_t bad : {__time64_t{-1}, __time64_t{32535216000}}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(_localtime64_s(&tm, &bad), EINVAL);
        EXPECT_EQ(tm.tm_year, -1);
        EXPECT_EQ(tm.tm_mday, -1);
        EXPECT_EQ(_gmtime64_s(&tm, &bad), EINVAL);
    }
    EXPECT_EQ(_localtime64_s(&tm, nullptr), EINVAL);
    const __time64_t t = 0;
    EXPECT_EQ(_localtime64_s(nullptr, &t), EINVAL);
    EXPECT_EQ(_mktime64(nullptr), -1);

    std::tm before1970{};
    before1970.tm_year = 60;
    before1970.tm_mday = 1;
    EXPECT_EQ(_mktime64(&before1970), -1);

    std::tm overflowing{};   // 2001-01-32 normalises to 1 February
    overflowing.tm_year = 101;
    overflowing.tm_mday = 32;
    overflowing.tm_isdst = -1;
    EXPECT_EQ(_mktime64(&overflowing), 978307200 + 31 * 86400 - 9 * 3600);
    EXPECT_EQ(overflowing.tm_mon, 1);
    EXPECT_EQ(overflowing.tm_mday, 1);
}
