#include "platform/crt/numeric.h"

#include "platform/crt/c_locale.h"

#include <atomic>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <limits>
#include <locale.h>
#include <string>

namespace {

// The digits of one integer text: its sign, its magnitude (saturated at 2^64-1) and where it ends.
struct ParsedInteger {
    bool valid = false;      // at least one digit
    bool negative = false;
    bool overflow = false;   // the magnitude did not fit in 64 bits
    std::uint64_t magnitude = 0;
    std::size_t length = 0;  // units consumed, 0 when not valid
};

template <typename CharT>
bool IsSpace(CharT c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

template <typename CharT>
int DigitValue(CharT c)
{
    if (c >= '0' && c <= '9') return static_cast<int>(c - '0');
    if (c >= 'a' && c <= 'z') return static_cast<int>(c - 'a') + 10;
    if (c >= 'A' && c <= 'Z') return static_cast<int>(c - 'A') + 10;
    return 99;
}

// Leading blanks, a sign, "0x" for base 16 (or base 0), then digits of the base.
template <typename CharT>
ParsedInteger ParseInteger(const CharT* text, int base)
{
    ParsedInteger out;
    if (!text || base < 0 || base == 1 || base > 36) return out;
    std::size_t i = 0;
    while (IsSpace(text[i])) ++i;
    if (text[i] == '+' || text[i] == '-') {
        out.negative = text[i] == '-';
        ++i;
    }
    const bool hexPrefix = text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X') && DigitValue(text[i + 2]) < 16;
    if (base == 0) base = hexPrefix ? 16 : (text[i] == '0' ? 8 : 10);
    if (base == 16 && hexPrefix) i += 2;
    const std::uint64_t limit = std::numeric_limits<std::uint64_t>::max();
    for (; DigitValue(text[i]) < base; ++i) {
        const auto digit = static_cast<std::uint64_t>(DigitValue(text[i]));
        out.valid = true;
        if (out.overflow || out.magnitude > (limit - digit) / static_cast<std::uint64_t>(base)) {
            out.overflow = true;
            out.magnitude = limit;
        } else {
            out.magnitude = out.magnitude * static_cast<std::uint64_t>(base) + digit;
        }
    }
    out.length = out.valid ? i : 0;
    return out;
}

template <typename CharT>
void SetEnd(const CharT* text, CharT** end, std::size_t length)
{
    if (end) *end = const_cast<CharT*>(text) + length;
}

// Saturates at the bounds of a signed type whose minimum has magnitude `maxMagnitude + 1`.
template <typename T, typename CharT>
T ToSigned(const CharT* text, CharT** end, int base)
{
    const ParsedInteger p = ParseInteger(text, base);
    SetEnd(text, end, p.length);
    if (!p.valid) {
        if (base < 0 || base == 1 || base > 36) errno = EINVAL;
        return 0;
    }
    const auto maxPositive = static_cast<std::uint64_t>(std::numeric_limits<T>::max());
    if (!p.negative) {
        if (p.overflow || p.magnitude > maxPositive) {
            errno = ERANGE;
            return std::numeric_limits<T>::max();
        }
        return static_cast<T>(p.magnitude);
    }
    if (p.overflow || p.magnitude > maxPositive + 1) {
        errno = ERANGE;
        return std::numeric_limits<T>::min();
    }
    if (p.magnitude == maxPositive + 1) return std::numeric_limits<T>::min();
    return static_cast<T>(-static_cast<T>(p.magnitude));
}

// Out of range gives the maximum; a minus sign negates in the unsigned type ("-1" is all ones).
template <typename T, typename CharT>
T ToUnsigned(const CharT* text, CharT** end, int base)
{
    const ParsedInteger p = ParseInteger(text, base);
    SetEnd(text, end, p.length);
    if (!p.valid) {
        if (base < 0 || base == 1 || base > 36) errno = EINVAL;
        return 0;
    }
    if (p.overflow || p.magnitude > std::numeric_limits<T>::max()) {
        errno = ERANGE;
        return std::numeric_limits<T>::max();
    }
    const T value = static_cast<T>(p.magnitude);
    return p.negative ? static_cast<T>(T{0} - value) : value;
}

using platform::CLocale;

double ParseDouble(const char* text, char** end)
{
    if (!text) {
        if (end) *end = nullptr;
        return 0.0;
    }
    if (const locale_t c = CLocale()) return strtod_l(text, end, c);
    return std::strtod(text, end);
}

}  // namespace

namespace msvc {

std::int32_t strtol(const char* text, char** end, int base) { return ToSigned<std::int32_t>(text, end, base); }
std::uint32_t strtoul(const char* text, char** end, int base) { return ToUnsigned<std::uint32_t>(text, end, base); }
std::int32_t atoi(const char* text) { return ToSigned<std::int32_t>(text, static_cast<char**>(nullptr), 10); }
double atof(const char* text) { return ParseDouble(text, nullptr); }
double strtod(const char* text, char** end) { return ParseDouble(text, end); }

std::int32_t wcstol(const WCHAR* text, WCHAR** end, int base) { return ToSigned<std::int32_t>(text, end, base); }
std::uint32_t wcstoul(const WCHAR* text, WCHAR** end, int base) { return ToUnsigned<std::uint32_t>(text, end, base); }
std::int32_t _wtoi(const WCHAR* text) { return ToSigned<std::int32_t>(text, static_cast<WCHAR**>(nullptr), 10); }
std::int64_t _wtoi64(const WCHAR* text) { return ToSigned<std::int64_t>(text, static_cast<WCHAR**>(nullptr), 10); }

// Only ASCII can be part of a number, so the wide text's ASCII head is parsed as 8-bit text and
// the end maps back one unit per byte.
double wcstod(const WCHAR* text, WCHAR** end)
{
    if (!text) {
        if (end) *end = nullptr;
        return 0.0;
    }
    std::string ascii;
    for (const WCHAR* p = text; *p && *p < 0x80; ++p) ascii.push_back(static_cast<char>(*p));
    char* narrowEnd = nullptr;
    const double value = ParseDouble(ascii.c_str(), &narrowEnd);
    if (end) *end = const_cast<WCHAR*>(text) + (narrowEnd - ascii.c_str());
    return value;
}

double _wtof(const WCHAR* text) { return wcstod(text, nullptr); }

namespace {
std::atomic<std::uint32_t> g_RandSeed{1};
}

void srand(unsigned int seed) { g_RandSeed.store(seed, std::memory_order_relaxed); }

int rand()
{
    std::uint32_t seed = g_RandSeed.load(std::memory_order_relaxed);
    std::uint32_t next;
    do {
        next = seed * 214013u + 2531011u;
    } while (!g_RandSeed.compare_exchange_weak(seed, next, std::memory_order_relaxed));
    return static_cast<int>((next >> 16) & 0x7FFFu);
}

}  // namespace msvc

std::int64_t _strtoi64(const char* text, char** end, int base) { return ToSigned<std::int64_t>(text, end, base); }
std::uint64_t _strtoui64(const char* text, char** end, int base) { return ToUnsigned<std::uint64_t>(text, end, base); }
