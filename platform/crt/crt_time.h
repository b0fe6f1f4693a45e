// Calendar time with 64-bit seconds.
#pragma once

#include <cstdint>
#include <ctime>

using __time64_t = std::int64_t;

__time64_t _time64(__time64_t* out);
// Local-time fields as the runtime gives them (tm_year since 1900, tm_mon 0-11,
// tm_wday Sunday 0, tm_yday 0-365). Returns 0 on success; EINVAL for a null argument or a
// time outside 1970-01-01 .. 3000-12-31 23:59:59 UTC, the fields then all -1.
int _localtime64_s(std::tm* result, const __time64_t* time);
int _gmtime64_s(std::tm* result, const __time64_t* time);
// Normalises the fields; -1 when the time is outside the range above.
__time64_t _mktime64(std::tm* time);

namespace platform {
// For tests: a fixed calendar time (0 turns the fake off).
void SetFakeCalendarTime(__time64_t seconds);
}
