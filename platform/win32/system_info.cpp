#include "platform/win32/system_info.h"

#include "platform/win32/codepage.h"
#include "platform/win32/file.h"

#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace {

constexpr DWORD kPlatformWin32Nt = 2;

void CopyName(WCHAR (&target)[32], const char* name)
{
    std::u16string wide = platform::Utf8ToUtf16(name ? name : "");
    if (wide.size() > 31) wide.resize(31);
    std::memcpy(target, wide.c_str(), (wide.size() + 1) * sizeof(char16_t));
}

SYSTEMTIME ToSystemTime(const tm& fields, long nanoseconds)
{
    SYSTEMTIME time{};
    time.wYear = static_cast<WORD>(fields.tm_year + 1900);
    time.wMonth = static_cast<WORD>(fields.tm_mon + 1);
    time.wDayOfWeek = static_cast<WORD>(fields.tm_wday);
    time.wDay = static_cast<WORD>(fields.tm_mday);
    time.wHour = static_cast<WORD>(fields.tm_hour);
    time.wMinute = static_cast<WORD>(fields.tm_min);
    time.wSecond = static_cast<WORD>(fields.tm_sec);
    time.wMilliseconds = static_cast<WORD>(nanoseconds / 1000000);
    return time;
}

// A change of daylight saving time as Windows states it: month, weekday, which such weekday
// of the month (5 = the last), and the local standard-time hour and minute.
SYSTEMTIME TransitionDate(time_t moment)
{
    tm fields{};
    localtime_r(&moment, &fields);
    SYSTEMTIME date{};
    date.wMonth = static_cast<WORD>(fields.tm_mon + 1);
    date.wDayOfWeek = static_cast<WORD>(fields.tm_wday);
    static const int kDaysInMonth[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const int year = fields.tm_year + 1900;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int daysInMonth = kDaysInMonth[fields.tm_mon] + (fields.tm_mon == 1 && leap ? 1 : 0);
    const bool last = fields.tm_mday + 7 > daysInMonth;
    date.wDay = static_cast<WORD>(last ? 5 : (fields.tm_mday - 1) / 7 + 1);
    // The local time just before the change, in the offset that was in force then.
    const time_t before = moment - 1;
    tm previous{};
    localtime_r(&before, &previous);
    const int minutes = (previous.tm_hour * 60 + previous.tm_min + 1) % (24 * 60);
    date.wHour = static_cast<WORD>(minutes / 60);
    date.wMinute = static_cast<WORD>(minutes % 60);
    return date;
}

// The moment within (from, to] at which tm_isdst changes, found by halving.
time_t FindChange(time_t from, time_t to)
{
    tm fields{};
    localtime_r(&from, &fields);
    const int startDst = fields.tm_isdst;
    while (to - from > 1) {
        const time_t middle = from + (to - from) / 2;
        localtime_r(&middle, &fields);
        if (fields.tm_isdst == startDst)
            from = middle;
        else
            to = middle;
    }
    return to;
}

}  // namespace

BOOL GetVersionExW(OSVERSIONINFOW* info)
{
    if (!info || info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOW)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    info->dwMajorVersion = 6;
    info->dwMinorVersion = 1;
    info->dwBuildNumber = 7601;
    info->dwPlatformId = kPlatformWin32Nt;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    return TRUE;
}

LCID GetSystemDefaultLCID()
{
    const char* locale = nullptr;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value) {
            locale = value;
            break;
        }
    }
    if (!locale) return 1033;
    const std::string tag(locale, std::strcspn(locale, ".@"));   // "ja_JP" of "ja_JP.UTF-8"
    const std::string language = tag.substr(0, tag.find('_'));
    struct Entry {
        const char* tag;
        LCID lcid;
    };
    static const Entry kTable[] = {
        {"ja", 1041},    {"en_GB", 2057}, {"en", 1033},    {"de", 1031},    {"fr_CA", 3084}, {"fr", 1036},
        {"es_MX", 2058}, {"es", 3082},    {"it", 1040},    {"ko", 1042},    {"zh_TW", 1028}, {"zh_HK", 3076},
        {"zh", 2052},    {"ru", 1049},    {"pt_BR", 1046}, {"pt", 2070},    {"nl", 1043},    {"pl", 1045},
        {"sv", 1053},    {"fi", 1035},    {"da", 1030},    {"nb", 1044},    {"cs", 1029},    {"hu", 1038},
        {"tr", 1055},    {"el", 1032},    {"uk", 1058},    {"th", 1054},    {"vi", 1066},    {"id", 1057},
    };
    for (const Entry& entry : kTable)
        if (tag == entry.tag) return entry.lcid;
    for (const Entry& entry : kTable)
        if (language == entry.tag) return entry.lcid;
    return 1033;   // "C", "POSIX" and languages not listed
}

DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* info)
{
    if (!info) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return TIME_ZONE_ID_INVALID;
    }
    *info = TIME_ZONE_INFORMATION{};
    static std::mutex mutex;   // tzset and the tzname/timezone globals are shared
    std::lock_guard<std::mutex> lock(mutex);
    tzset();
    info->Bias = static_cast<LONG>(timezone / 60);
    CopyName(info->StandardName, tzname[0]);
    CopyName(info->DaylightName, tzname[1]);

    const time_t now = time(nullptr);
    tm current{};
    localtime_r(&now, &current);

    // Look for the year's daylight-saving changes a day at a time, then to the second.
    tm yearStart{};
    yearStart.tm_year = current.tm_year;
    yearStart.tm_mday = 1;
    yearStart.tm_isdst = -1;
    time_t day = mktime(&yearStart);
    tm fields{};
    localtime_r(&day, &fields);
    int dst = fields.tm_isdst;
    for (int i = 0; i < 366; ++i) {
        const time_t next = day + 24 * 60 * 60;
        localtime_r(&next, &fields);
        if (fields.tm_isdst != dst) {
            const time_t change = FindChange(day, next);
            tm after{};
            localtime_r(&change, &after);
            if (after.tm_isdst > 0) {
                info->DaylightDate = TransitionDate(change);
                info->DaylightBias = static_cast<LONG>(-(after.tm_gmtoff / 60) - info->Bias);
            } else {
                info->StandardDate = TransitionDate(change);
            }
            dst = fields.tm_isdst;
        }
        day = next;
    }
    if (info->DaylightDate.wMonth == 0 || info->StandardDate.wMonth == 0) {
        info->DaylightDate = SYSTEMTIME{};
        info->StandardDate = SYSTEMTIME{};
        info->DaylightBias = 0;
        return TIME_ZONE_ID_UNKNOWN;
    }
    return current.tm_isdst > 0 ? TIME_ZONE_ID_DAYLIGHT : TIME_ZONE_ID_STANDARD;
}

void GetLocalTime(SYSTEMTIME* time)
{
    if (!time) return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm fields{};
    localtime_r(&now.tv_sec, &fields);
    *time = ToSystemTime(fields, now.tv_nsec);
}

void GetSystemTime(SYSTEMTIME* time)
{
    if (!time) return;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    tm fields{};
    gmtime_r(&now.tv_sec, &fields);
    *time = ToSystemTime(fields, now.tv_nsec);
}

void OutputDebugStringW(LPCWSTR text)
{
    if (!text || !std::getenv("TARNWICK_DEBUG_OUTPUT")) return;
    const std::string utf8 = platform::Utf16ToUtf8(text);
    std::fwrite(utf8.data(), 1, utf8.size(), stderr);
    std::fflush(stderr);
}
