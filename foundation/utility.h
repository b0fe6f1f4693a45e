// Small shared helpers.
#pragma once

#include <cstdint>

// Whether the text from its start is a number: 1 decimal integer (optional sign, at least one
// digit), 2 hexadecimal (0x or 0X and at least one hex digit, no sign), 0 neither. `length`
// receives the units that form the number (0 for 0). Scanning stops at `end` (null: at the
// NUL) or at the first unit that does not fit.
int ClassifyNumberWide(const char16_t* text, std::int32_t* length, const char16_t* end);

// Degrees to radians, the single-precision factor widened.
inline constexpr double kDegToRad = 0.01745329238474369;

// Truncation toward zero that saturates instead of overflowing; NaN gives 0 (values may come
// from saved games).
std::int32_t TruncToInt(double value);
