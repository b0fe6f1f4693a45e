#include "platform/win32/message_box.h"
#include "platform/win32/system_info.h"

#include "tests/support/scoped_environment.h"

#include <gtest/gtest.h>

#include <time.h>

#include <cstdlib>
#include <optional>
#include <string>

namespace {

TEST(Win32MessageBox, HeadlessBoxWritesToStderrAndAnswersAtOnce)
{
    platform::SetMessageBoxHeadless(true);
    platform::ClearShownMessageBoxes();
    testing::internal::CaptureStderr();
    EXPECT_EQ(MessageBoxW(nullptr, u"\u65E2\u306B\u8D77\u52D5\u4E2D\u3067\u3059", u"Tarnwick", MB_ICONINFORMATION),
              IDOK);
    EXPECT_EQ(MessageBoxW(nullptr, u"Continue?", u"Q", MB_YESNO), IDYES);
    EXPECT_EQ(MessageBoxW(nullptr, nullptr, nullptr, MB_OK), IDOK);
    const std::string output = testing::internal::GetCapturedStderr();
    EXPECT_NE(output.find("Tarnwick: \xE6\x97\xA2\xE3\x81\xAB\xE8\xB5\xB7\xE5\x8B\x95\xE4\xB8\xAD\xE3\x81\xA7\xE3\x81\x99\n"),
              std::string::npos);

    const auto& shown = platform::ShownMessageBoxes();
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown[0].caption, u"Tarnwick");
    EXPECT_EQ(shown[0].text, u"\u65E2\u306B\u8D77\u52D5\u4E2D\u3067\u3059");
    EXPECT_EQ(shown[0].type, MB_ICONINFORMATION);
    EXPECT_EQ(shown[2].text, u"");
    platform::ClearShownMessageBoxes();
    EXPECT_TRUE(platform::ShownMessageBoxes().empty());
}

TEST(Win32SystemInfo, VersionIsWindows7AndNeedsTheSizeField)
{
    OSVERSIONINFOW info{};
    EXPECT_FALSE(GetVersionExW(&info));
    EXPECT_FALSE(GetVersionExW(nullptr));
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExW(&info));
    EXPECT_EQ(info.dwMajorVersion, 6u);
    EXPECT_EQ(info.dwMinorVersion, 1u);
}

TEST(Win32SystemInfo, LocaleIdentifierFollowsTheEnvironment)
{
    ScopedEnvironment all("LC_ALL"), messages("LC_MESSAGES"), lang("LANG");
    struct Case {
        const char* all;
        const char* messages;
        const char* lang;
        LCID lcid;
    };
    const Case cases[] = {
        {nullptr, nullptr, "ja_JP.UTF-8", 1041},
        {nullptr, nullptr, "ja", 1041},
        {nullptr, nullptr, "en_US.UTF-8", 1033},
        {nullptr, nullptr, "en_GB.UTF-8", 2057},
        {nullptr, nullptr, "de_AT@euro", 1031},
        {nullptr, nullptr, "C.UTF-8", 1033},
        {nullptr, nullptr, nullptr, 1033},
        {nullptr, "ja_JP.eucJP", "en_US.UTF-8", 1041},   // LC_MESSAGES before LANG
        {"fr_FR.UTF-8", "ja_JP.UTF-8", "ja_JP.UTF-8", 1036},   // LC_ALL before both
    };
    for (const Case& c : cases) {
        all.Set(c.all);
        messages.Set(c.messages);
        lang.Set(c.lang);
        EXPECT_EQ(GetSystemDefaultLCID(), c.lcid) << (c.lang ? c.lang : "(none)");
    }
}

TEST(Win32SystemInfo, TimeZoneBiasNamesAndDaylightRules)
{
    ScopedEnvironment tz("TZ");
    struct Case {
        const char* tz;
        LONG bias;
        const char16_t* standardName;
        LONG daylightBias;
        SYSTEMTIME daylightDate;   // month, weekday, occurrence (5 = last), hour
        SYSTEMTIME standardDate;
    };
    const Case cases[] = {
        {"JST-9", -540, u"JST", 0, {}, {}},
        {"UTC0", 0, u"UTC", 0, {}, {}},
        {"EST5EDT,M3.2.0,M11.1.0", 300, u"EST", -60, {0, 3, 0, 2, 2, 0, 0, 0}, {0, 11, 0, 1, 2, 0, 0, 0}},
        {"CET-1CEST,M3.5.0,M10.5.0/3", -60, u"CET", -60, {0, 3, 0, 5, 2, 0, 0, 0}, {0, 10, 0, 5, 3, 0, 0, 0}},
        {"ACST-9:30ACDT,M10.1.0,M4.1.0/3", -570, u"ACST", -60, {0, 10, 0, 1, 2, 0, 0, 0}, {0, 4, 0, 1, 3, 0, 0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tz);
        tz.Set(c.tz);
        TIME_ZONE_INFORMATION info{};
        const DWORD id = GetTimeZoneInformation(&info);
        EXPECT_EQ(info.Bias, c.bias);
        EXPECT_EQ(std::u16string(info.StandardName), c.standardName);
        EXPECT_EQ(info.DaylightBias, c.daylightBias);
        EXPECT_EQ(info.DaylightDate.wMonth, c.daylightDate.wMonth);
        EXPECT_EQ(info.DaylightDate.wDay, c.daylightDate.wDay);
        EXPECT_EQ(info.DaylightDate.wDayOfWeek, 0);
        EXPECT_EQ(info.DaylightDate.wHour, c.daylightDate.wHour);
        EXPECT_EQ(info.StandardDate.wMonth, c.standardDate.wMonth);
        EXPECT_EQ(info.StandardDate.wDay, c.standardDate.wDay);
        EXPECT_EQ(info.StandardDate.wHour, c.standardDate.wHour);
        if (c.daylightBias == 0)
            EXPECT_EQ(id, TIME_ZONE_ID_UNKNOWN);
        else
            EXPECT_TRUE(id == TIME_ZONE_ID_STANDARD || id == TIME_ZONE_ID_DAYLIGHT);
    }
    EXPECT_EQ(GetTimeZoneInformation(nullptr), TIME_ZONE_ID_INVALID);
}

TEST(Win32SystemInfo, LocalAndSystemTimeDifferByTheBias)
{
    ScopedEnvironment tz("TZ");
    tz.Set("JST-9");
    tzset();
    SYSTEMTIME local{}, utc{};
    GetSystemTime(&utc);
    GetLocalTime(&local);
    const int minutesUtc = utc.wHour * 60 + utc.wMinute;
    const int minutesLocal = local.wHour * 60 + local.wMinute;
    const int difference = ((minutesLocal - minutesUtc) % 1440 + 1440) % 1440;
    EXPECT_TRUE(difference == 540 || difference == 541) << difference;   // a minute may turn between the reads
    EXPECT_GE(utc.wYear, 2024);
    EXPECT_GE(local.wMonth, 1);
    EXPECT_LE(local.wMonth, 12);
    EXPECT_LE(local.wDayOfWeek, 6);
}

}  // namespace
