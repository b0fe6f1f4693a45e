// What every seekable pin of ours answers the same way: positions in media time (100 ns units)
// only, seeking absolute, forwards and backwards, with a stop position and a duration.
#pragma once

#include "platform/dshow/dshow.h"

#include <optional>

HRESULT MediaTimeGetCapabilities(DWORD* capabilities);
// The asked bits kept where they are ours: S_OK all, S_FALSE some, E_FAIL none.
HRESULT MediaTimeCheckCapabilities(DWORD* capabilities);
HRESULT MediaTimeIsFormatSupported(const GUID* format);
HRESULT MediaTimeQueryPreferredFormat(GUID* format);
HRESULT MediaTimeSetTimeFormat(const GUID* format);
// Media time to media time (a null format counts as media time).
HRESULT MediaTimeConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                   const GUID* sourceFormat);
// One position of SetPositions: absolute as given, relative and incremental from `now`; none
// without a value or for "no positioning".
std::optional<REFERENCE_TIME> ResolveSeekingPosition(const LONGLONG* value, DWORD flags, REFERENCE_TIME now);
