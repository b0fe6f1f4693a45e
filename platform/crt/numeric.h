// The Windows C runtime's numeric conversions and random generator, where they differ from
// glibc: `long` is 32-bit, RAND_MAX is 32767, numbers always read with "." as the decimal point.
#pragma once

#include "platform/win32/win_types.h"

#include <cstdint>
#include <cstdlib>

namespace msvc {

// <cstdlib> makes RAND_MAX a macro (glibc's 2^31-1), which would swallow the name below; use
// kRandMax in code, as msvc::RAND_MAX cannot be spelled wherever <cstdlib> is included.
#pragma push_macro("RAND_MAX")
#undef RAND_MAX
constexpr int RAND_MAX = 32767;
constexpr int kRandMax = RAND_MAX;
#pragma pop_macro("RAND_MAX")

// Base 10 (or the given base) like strtol with a 32-bit long: saturates at INT32_MIN/INT32_MAX.
std::int32_t strtol(const char* text, char** end, int base);
// Like strtoul with a 32-bit unsigned long: overflow gives 0xFFFFFFFF; "-1" gives 4294967295.
std::uint32_t strtoul(const char* text, char** end, int base);
std::int32_t atoi(const char* text);
double atof(const char* text);
double strtod(const char* text, char** end);

std::int32_t wcstol(const WCHAR* text, WCHAR** end, int base);
std::uint32_t wcstoul(const WCHAR* text, WCHAR** end, int base);
double wcstod(const WCHAR* text, WCHAR** end);
std::int32_t _wtoi(const WCHAR* text);
std::int64_t _wtoi64(const WCHAR* text);
double _wtof(const WCHAR* text);

// The generator: seed = seed * 214013 + 2531011, result (seed >> 16) & 0x7FFF; initial seed 1.
// One generator for the process, as the runtime's per-thread state is only used on the window thread.
void srand(unsigned int seed);
int rand();

}  // namespace msvc

// Saturating 64-bit parses.
std::int64_t _strtoi64(const char* text, char** end, int base);
std::uint64_t _strtoui64(const char* text, char** end, int base);
