// Code-page conversion over iconv. Code page 0 (and 932) is CP932, 65001 is UTF-8.
// Invalid input never fails the whole string: a bad byte becomes U+30FB (Windows' default
// character for 932 is "・"); an unmappable unit becomes '?'.
#pragma once

#include "platform/win32/win_types.h"

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
