// Code-page conversion. Code page 0 (and 1, 3 and 932) is CP932 over iconv ("CP932", never
// "SHIFT_JIS", which turns 0x5C into a yen sign); 65001 is UTF-8, converted here directly;
// any other page goes to iconv as "CP<n>".
// Invalid input never fails the whole string: a bad byte becomes U+30FB (Windows' default
// character for 932 is "・"; U+FFFD for UTF-8 and other pages); an unmappable unit becomes '?'.
#pragma once

#include "platform/win32/win_types.h"

#include <string>
#include <string_view>

constexpr UINT CP_ACP = 0;
constexpr UINT CP_OEMCP = 1;
constexpr UINT CP_UTF8 = 65001;

// A source length of -1 converts up to and including the NUL. A destination length of 0
// returns the units (or bytes) needed. Returns 0 on failure (buffer too small, unknown page).
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR source, int sourceBytes, LPWSTR destination,
                        int destinationUnits);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR source, int sourceUnits, LPSTR destination,
                        int destinationBytes, LPCSTR defaultChar, BOOL* usedDefaultChar);
UINT GetACP();
BOOL IsDBCSLeadByte(BYTE testChar);
BOOL IsDBCSLeadByteEx(UINT codePage, BYTE testChar);
LPSTR CharNextExA(WORD codePage, LPCSTR current, DWORD flags);

namespace platform {

// UTF-8 <-> UTF-16 with the substitutions above (code page 65001); used for OS paths and texts.
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

}  // namespace platform
