// CMediaType: an AM_MEDIA_TYPE that owns its format block, and the helpers that free, copy
// and compare media types.
#pragma once

#include "platform/dshow/dshow.h"

class CMediaType : public AM_MEDIA_TYPE {
public:
    CMediaType();
    explicit CMediaType(const GUID* majorType);
    CMediaType(const AM_MEDIA_TYPE& type);   // NOLINT: copies, as the platform's does
    CMediaType(const CMediaType& type);
    CMediaType& operator=(const AM_MEDIA_TYPE& type);
    CMediaType& operator=(const CMediaType& type);
    ~CMediaType();

    bool operator==(const CMediaType& other) const;
    bool operator!=(const CMediaType& other) const { return !(*this == other); }

    const GUID* Type() const { return &majortype; }
    void SetType(const GUID* type) { majortype = *type; }
    const GUID* Subtype() const { return &subtype; }
    void SetSubtype(const GUID* type) { subtype = *type; }
    const GUID* FormatType() const { return &formattype; }
    void SetFormatType(const GUID* type) { formattype = *type; }
    ULONG FormatLength() const { return cbFormat; }
    BYTE* Format() const { return pbFormat; }
    // Copies `length` bytes in as the format block; false when out of memory.
    bool SetFormat(const BYTE* format, ULONG length);
    // A zeroed format block of `length` bytes (null when out of memory).
    BYTE* AllocFormatBuffer(ULONG length);
    void ResetFormatBuffer();
    bool IsValid() const { return !(majortype == GUID_NULL); }
    // Everything equal except what this type leaves open (GUID_NULL major or subtype).
    bool MatchesPartial(const CMediaType* partial) const;
    bool IsPartiallySpecified() const;
    void InitMediaType();
};

void FreeMediaType(AM_MEDIA_TYPE& type);
HRESULT CopyMediaType(AM_MEDIA_TYPE* target, const AM_MEDIA_TYPE* source);
void DeleteMediaType(AM_MEDIA_TYPE* type);
AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* source);
