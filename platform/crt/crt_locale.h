// Locale objects and locale-aware lower-casing.
#pragma once

#include "platform/win32/win_types.h"

#include <cstddef>

struct __crt_locale_data;
using _locale_t = __crt_locale_data*;

constexpr int MSVC_LC_ALL = 0;

// Accepts "Japanese_Japan.932", "C" and "" (others too, all mapped to the same rules).
// Null for a category outside LC_ALL (0) .. LC_TIME (5) or a null name.
_locale_t _create_locale(int category, const char* locale);
void _free_locale(_locale_t locale);

// The one lower-case mapping of the engine, the same for every locale: A-Z, full-width
// Ａ-Ｚ, and the simple lower-case mapping of the Basic Multilingual Plane.
WCHAR _towlower_l(WCHAR c, _locale_t locale);
WCHAR _towupper_l(WCHAR c, _locale_t locale);
// In place; returns 0, or EINVAL for a null text or one not terminated within `size` units
// (the text is then left empty).
int _wcslwr_s_l(WCHAR* text, std::size_t size, _locale_t locale);
