// printf-style formatting with the Windows C runtime's conventions:
// - in a wide format "%s" and "%c" take wide (UTF-16) text, "%S"/"%C" take 8-bit text;
//   in an 8-bit format "%s"/"%c" take 8-bit text, "%S"/"%C" wide text;
// - "%I64d", "%I64u", "%I64x", "%I32d", "%Id" and "%lld" sizes; "%ld" is 32-bit;
// - flags "-+ #0", width and precision (also "*"), conversions d i u o x X c s f F e E g G a A p n%;
// - floating point always uses "." (the C locale), whatever the process locale;
// - "%Iu"/"%zu" are pointer-sized; "%p" is upper-case hexadecimal of full pointer width;
// - 8-bit text in a wide format, and wide text in an 8-bit one, goes through the system code
//   page (932); a precision counts whole characters of the result;
// - a null string prints "(null)"; the "0" flag pads strings and characters with zeros too.
// The "n" conversion is refused (it consumes its pointer and writes nothing), as the secure
// runtime does. Anything else that is not a conversion is written as it stands.
#pragma once

#include "platform/win32/win_types.h"

#include <cstdarg>
#include <cstddef>

// Writes at most `count` units. Returns the length when the text fits (the NUL is written
// only when there is room for it), or -1 when it did not fit: the caller's cue to grow.
int _vsnwprintf(WCHAR* buffer, std::size_t count, const WCHAR* format, va_list args);
int _snwprintf(WCHAR* buffer, std::size_t count, const WCHAR* format, ...);
// The length the text would have, without its NUL.
int _vscwprintf(const WCHAR* format, va_list args);

int _vsnprintf(char* buffer, std::size_t count, const char* format, va_list args);
int _snprintf(char* buffer, std::size_t count, const char* format, ...);
int _vscprintf(const char* format, va_list args);

// Cut-to-fit forms: always terminate (when count > 0); return the length written, or -1
// when the text was cut (a wide cut never leaves the first half of a surrogate pair).
int FormatWideTruncate(WCHAR* buffer, std::size_t count, const WCHAR* format, va_list args);
int FormatNarrowTruncate(char* buffer, std::size_t count, const char* format, va_list args);

// Length of a NUL-terminated wide text.
std::size_t WideLength(const WCHAR* text);
