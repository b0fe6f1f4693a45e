// Binary file streams with wide (UTF-16) names, and the runtime's UTF-16LE text mode.
#pragma once

#include "platform/win32/win_types.h"

#include <cstdio>

// Modes: "rb", "wb", "ab", "r+b", "w+b", and "a, ccs=UTF-16LE" / "w, ccs=UTF-16LE" / "r, ccs=UTF-16LE"
// ("+" allowed). A mode without "b" or ccs is binary too, as Linux has no text mode.
// Null, with errno EINVAL, for an unknown mode.
// The name goes through the same path resolution as CreateFileW.
// In a ccs=UTF-16LE write mode, a new or empty file gets the BOM FF FE, and `fputws` writes
// every "\n" as CR LF; in "r, ccs=UTF-16LE" reading starts after the BOM.
std::FILE* _wfopen(const WCHAR* fileName, const WCHAR* mode);
// Writes wide text to a stream opened by _wfopen: translated in a ccs mode, raw UTF-16LE otherwise.
// Returns 0, or -1 on failure.
int fputws(const WCHAR* text, std::FILE* stream);
// Closes a stream from _wfopen (plain fclose works too, but leaks its mode record until reuse).
int fclose_w(std::FILE* stream);
// The descriptor under a stream.
int _fileno(std::FILE* stream);
// Sends a descriptor's written data to the disk: 0, or -1 with errno set.
int _commit(int fd);
