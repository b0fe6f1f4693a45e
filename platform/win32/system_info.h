// Operating-system version, locale and time zone.
#pragma once

#include "platform/win32/win_types.h"

struct OSVERSIONINFOW {
    DWORD dwOSVersionInfoSize;
    DWORD dwMajorVersion;
    DWORD dwMinorVersion;
    DWORD dwBuildNumber;
    DWORD dwPlatformId;
    WCHAR szCSDVersion[128];
};

// Reports Windows 6.1 (7); fails when the size field is not set.
BOOL GetVersionExW(OSVERSIONINFOW* info);
// 1041 when LANG/LC_ALL/LC_MESSAGES is Japanese, else the LCID of the language (1033 for English).
LCID GetSystemDefaultLCID();

struct TIME_ZONE_INFORMATION {
    LONG Bias;   // minutes, UTC = local time + bias
    WCHAR StandardName[32];
    SYSTEMTIME StandardDate;
    LONG StandardBias;
    WCHAR DaylightName[32];
    SYSTEMTIME DaylightDate;
    LONG DaylightBias;
};
constexpr DWORD TIME_ZONE_ID_UNKNOWN = 0;
constexpr DWORD TIME_ZONE_ID_STANDARD = 1;
constexpr DWORD TIME_ZONE_ID_DAYLIGHT = 2;
constexpr DWORD TIME_ZONE_ID_INVALID = 0xFFFFFFFFu;

DWORD GetTimeZoneInformation(TIME_ZONE_INFORMATION* info);
void GetLocalTime(SYSTEMTIME* time);
void GetSystemTime(SYSTEMTIME* time);
// Debugger output: written to stderr when TARNWICK_DEBUG_OUTPUT is set, else dropped.
void OutputDebugStringW(LPCWSTR text);
