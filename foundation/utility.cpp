#include "foundation/utility.h"

#include <cmath>
#include <limits>

namespace {

bool IsDigit(char16_t c)
{
    return c >= u'0' && c <= u'9';
}

bool IsHexDigit(char16_t c)
{
    return IsDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

}  // namespace

int ClassifyNumberWide(const char16_t* text, std::int32_t* length, const char16_t* end)
{
    auto at = [&](std::int32_t i) -> char16_t {
        if (!text || (end && text + i >= end)) return u'\0';
        return text[i];
    };
    int kind = 0;
    std::int32_t units = 0;
    if (at(0) == u'0' && (at(1) == u'x' || at(1) == u'X')) {
        std::int32_t i = 2;
        while (IsHexDigit(at(i))) ++i;
        if (i > 2) {
            kind = 2;
            units = i;
        }
    } else {
        std::int32_t i = (at(0) == u'+' || at(0) == u'-') ? 1 : 0;
        std::int32_t digitsFrom = i;
        while (IsDigit(at(i))) ++i;
        if (i > digitsFrom) {
            kind = 1;
            units = i;
        }
    }
    if (length) *length = units;
    return kind;
}

std::int32_t TruncToInt(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483647.0)
        return std::numeric_limits<std::int32_t>::max();
    if (value <= -2147483648.0)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}
