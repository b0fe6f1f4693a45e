#include "platform/dshow/media_seeking.h"

HRESULT MediaTimeGetCapabilities(DWORD* capabilities)
{
    if (!capabilities) return E_POINTER;
    *capabilities = AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanSeekForwards | AM_SEEKING_CanSeekBackwards |
                    AM_SEEKING_CanGetStopPos | AM_SEEKING_CanGetDuration;
    return S_OK;
}

HRESULT MediaTimeCheckCapabilities(DWORD* capabilities)
{
    if (!capabilities) return E_POINTER;
    DWORD own = 0;
    MediaTimeGetCapabilities(&own);
    const DWORD asked = *capabilities;
    *capabilities &= own;
    return *capabilities == asked ? S_OK : (*capabilities ? S_FALSE : E_FAIL);
}

HRESULT MediaTimeIsFormatSupported(const GUID* format)
{
    if (!format) return E_POINTER;
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : S_FALSE;
}

HRESULT MediaTimeQueryPreferredFormat(GUID* format)
{
    if (!format) return E_POINTER;
    *format = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
}

HRESULT MediaTimeSetTimeFormat(const GUID* format)
{
    if (!format) return E_POINTER;
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : E_INVALIDARG;
}

HRESULT MediaTimeConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                   const GUID* sourceFormat)
{
    if (!target) return E_POINTER;
    const auto media = [](const GUID* format) { return !format || *format == TIME_FORMAT_MEDIA_TIME; };
    if (!media(targetFormat) || !media(sourceFormat)) return E_INVALIDARG;
    *target = source;
    return S_OK;
}

std::optional<REFERENCE_TIME> ResolveSeekingPosition(const LONGLONG* value, DWORD flags, REFERENCE_TIME now)
{
    if (!value) return std::nullopt;
    switch (flags & AM_SEEKING_PositioningBitsMask) {
    case AM_SEEKING_AbsolutePositioning: return *value;
    case AM_SEEKING_RelativePositioning:
    case AM_SEEKING_IncrementalPositioning: return now + *value;
    default: return std::nullopt;
    }
}
