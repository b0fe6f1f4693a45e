// The "C" locale as a handle, made once: number text is always read and written with "." as the
// decimal point, whatever locale the process runs under.
#pragma once

#include <locale.h>

namespace platform {

// Null when the C library could not make it (callers then use the current locale).
locale_t CLocale();

}  // namespace platform
