// Calendar fields and the date-time text of a 64-bit calendar time, in local time.
#pragma once

#include <cstdint>
#include <string>

std::int32_t GxTimeGetYear(std::int64_t time);
std::int32_t GxTimeGetMonth(std::int64_t time);     // 1..12
std::int32_t GxTimeGetDay(std::int64_t time);       // 1..31
std::int32_t GxTimeGetHour(std::int64_t time);
std::int32_t GxTimeGetMinute(std::int64_t time);
std::int32_t GxTimeGetSecond(std::int64_t time);
std::int32_t GxTimeGetWeekDay(std::int64_t time);   // Sunday 0
std::int32_t GxTimeGetYearDay(std::int64_t time);   // 1 January 0

// "2001/01/01 09:05:03"
std::u16string FormatDateTime(std::int64_t time);
std::u16string FormatCurrentDateTime();
