// Environment strings of the process.
#pragma once

#include "platform/win32/win_types.h"

// Replaces every %NAME% of `source` by the variable's value (UTF-8 in the environment);
// an unknown name, an empty one ("%%") and a "%" without its closing one stay as written.
// Returns the units needed with the NUL; the text is written only when `size` holds them all.
// 0 for a null source.
DWORD ExpandEnvironmentStringsW(LPCWSTR source, LPWSTR destination, DWORD size);
