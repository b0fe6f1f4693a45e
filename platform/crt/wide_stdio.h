// Binary file streams with wide (UTF-16) names, and the runtime's UTF-16LE text mode.
#pragma once

#include "platform/win32/win_types.h"

#include <cstdio>

// Modes: "rb", "wb", "ab", "r+b", "w+b", and "a, ccs=UTF-16LE" / "w, ccs=UTF-16LE" / "r, ccs=UTF-16LE".
// The name goes through the same path resolution as CreateFileW.
// In a ccs=UTF-16LE write mode, a new or empty file gets the BOM FF FE, and `fputws` writes
// every "\n" as CR LF.
std::FILE* _wfopen(const WCHAR* fileName, const WCHAR* mode);
// Writes wide text to a stream opened by _wfopen: translated in a ccs mode, raw UTF-16LE otherwise.
int fputws(const WCHAR* text, std::FILE* stream);
// Closes a stream from _wfopen (plain fclose works too, but leaks its mode record until reuse).
int fclose_w(std::FILE* stream);
