// Wide (UTF-16) strings: comparison without regard to the case of A-Z, searching, trimming,
// unquoting, splitting, code-page conversion and printf-style formatting.
// Positions and lengths count UTF-16 units; "not found" is -1.
#pragma once

#include "platform/win32/codepage.h"

#include <cstdarg>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Code page of the engine's 8-bit text (INI files, 8-bit content text, 8-bit pack names,
// narrow log formats): the system's 8-bit code page.
constexpr UINT kTextCodePage = CP_ACP;

// Comparison and search.
// Lexical comparison with A-Z equal to a-z: negative, 0 or positive.
int WideCompare(std::u16string_view a, std::u16string_view b);
// NUL-terminated texts: the difference of the first unequal folded units, 0 when equal.
int CompareWideNoCase(const char16_t* a, const char16_t* b);
std::int32_t WideFind(std::u16string_view text, std::u16string_view pattern, std::int32_t start = 0);
std::int32_t WideFindFirstOf(std::u16string_view text, std::u16string_view set, std::int32_t start = 0);
// Searches backwards from start; -1 starts at the last unit.
std::int32_t WideFindLastOf(std::u16string_view text, std::u16string_view set, std::int32_t start = -1);
// The unit at index as a one-unit string, empty when index is outside the text.
std::u16string WideCharAt(std::u16string_view text, std::int32_t index);

// Transformation.
std::u16string PassThroughWideString(std::u16string_view text);
std::u16string WideToLowerAscii(std::u16string_view text);
std::u16string WideToUpperAscii(std::u16string_view text);
// Searching resumes after each inserted replacement; an empty `from` changes nothing.
std::u16string ReplaceAllWide(std::u16string_view text, std::u16string_view from, std::u16string_view to);
// Mode 0 unchanged; 1 leading units <= 0x20 removed; 2 trailing; 3 both; any other mode:
// leading and trailing CR and LF only.
std::u16string TrimWide(std::u16string_view text, int mode);
// The quoted text starting at position (quotes removed, backslashes kept), or the text from
// position on when no quote opens there.
std::u16string UnquoteWide(std::u16string_view text, std::int32_t position);
// Copies a NUL-terminated text with its NUL; returns the destination.
char16_t* CopyWideString(char16_t* destination, const char16_t* source);

// Lists of strings.
// n separators give n + 1 pieces, empty ones included; returns the number of pieces.
int SplitWide(std::vector<std::u16string>& list, std::u16string_view text, std::u16string_view separator);
// Exactly n pieces (missing ones empty); text after the n-th separator is dropped; returns n.
int SplitWideFields(std::vector<std::u16string>& list, std::u16string_view text, std::u16string_view separator,
                    int n);
std::u16string JoinWideStrings(const std::vector<std::u16string>& list, std::u16string_view separator);
void TrimWideAll(std::vector<std::u16string>& list, int mode);

// Code-page conversion, up to the first NUL; a failed or empty conversion gives an empty string.
std::string WideToMultiByte(std::u16string_view text);
std::string WideToUtf8(std::u16string_view text);
std::u16string MultiByteToWide(std::string_view text);
std::u16string Utf8ToWide(std::string_view text);

// Formatting. In a wide format "%s" takes a wide (char16_t) string: pass `.c_str()`.
std::u16string FormatWide(const char16_t* format, ...);
std::u16string FormatWideV(const char16_t* format, va_list args);
// 8-bit format and arguments; the result goes through MultiByteToWide.
std::u16string FormatNarrowToWide(const char* format, ...);
std::u16string FormatNarrowToWideV(const char* format, va_list args);
// Into a caller's buffer of `length` units, cut to fit and always terminated (length > 0).
// Returns the length written, or -1 when the text was cut.
int FormatWideBuffer(char16_t* buffer, std::size_t length, const char16_t* format, ...);
int FormatWideBufferV(char16_t* buffer, std::size_t length, const char16_t* format, va_list args);
std::u16string IntToWideString(std::int32_t value);
std::u16string FloatToWideString(double value);
