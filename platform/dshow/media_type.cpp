#include "platform/dshow/media_type.h"

#include <cstdlib>
#include <cstring>

void* CoTaskMemAlloc(SIZE_T size) { return std::malloc(size ? size : 1); }

void CoTaskMemFree(void* memory) { std::free(memory); }

void FreeMediaType(AM_MEDIA_TYPE& type)
{
    if (type.cbFormat != 0 || type.pbFormat) CoTaskMemFree(type.pbFormat);
    type.cbFormat = 0;
    type.pbFormat = nullptr;
    if (type.pUnk) {
        type.pUnk->Release();
        type.pUnk = nullptr;
    }
}

HRESULT CopyMediaType(AM_MEDIA_TYPE* target, const AM_MEDIA_TYPE* source)
{
    if (!target || !source) return E_POINTER;
    if (target == source) return S_OK;
    *target = *source;
    if (source->cbFormat != 0 && source->pbFormat) {
        target->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(source->cbFormat));
        if (!target->pbFormat) {
            target->cbFormat = 0;
            return E_OUTOFMEMORY;
        }
        std::memcpy(target->pbFormat, source->pbFormat, source->cbFormat);
    } else {
        target->cbFormat = 0;
        target->pbFormat = nullptr;
    }
    if (target->pUnk) target->pUnk->AddRef();
    return S_OK;
}

void DeleteMediaType(AM_MEDIA_TYPE* type)
{
    if (!type) return;
    FreeMediaType(*type);
    CoTaskMemFree(type);
}

AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* source)
{
    auto* type = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!type) return nullptr;
    if (FAILED(CopyMediaType(type, source))) {
        CoTaskMemFree(type);
        return nullptr;
    }
    return type;
}

CMediaType::CMediaType() { InitMediaType(); }

CMediaType::CMediaType(const GUID* majorType)
{
    InitMediaType();
    if (majorType) majortype = *majorType;
}

CMediaType::CMediaType(const AM_MEDIA_TYPE& type)
{
    InitMediaType();
    CopyMediaType(this, &type);
}

CMediaType::CMediaType(const CMediaType& type) : AM_MEDIA_TYPE()
{
    InitMediaType();
    CopyMediaType(this, &type);
}

CMediaType& CMediaType::operator=(const AM_MEDIA_TYPE& type)
{
    if (&type != this) {
        FreeMediaType(*this);
        InitMediaType();
        CopyMediaType(this, &type);
    }
    return *this;
}

CMediaType& CMediaType::operator=(const CMediaType& type) { return *this = static_cast<const AM_MEDIA_TYPE&>(type); }

CMediaType::~CMediaType() { FreeMediaType(*this); }

void CMediaType::InitMediaType()
{
    majortype = GUID_NULL;
    subtype = GUID_NULL;
    bFixedSizeSamples = TRUE;
    bTemporalCompression = FALSE;
    lSampleSize = 1;
    formattype = GUID_NULL;
    pUnk = nullptr;
    cbFormat = 0;
    pbFormat = nullptr;
}

bool CMediaType::operator==(const CMediaType& other) const
{
    return majortype == other.majortype && subtype == other.subtype && formattype == other.formattype &&
           cbFormat == other.cbFormat && (cbFormat == 0 || std::memcmp(pbFormat, other.pbFormat, cbFormat) == 0);
}

bool CMediaType::SetFormat(const BYTE* format, ULONG length)
{
    BYTE* buffer = AllocFormatBuffer(length);
    if (!buffer) return false;
    if (length) std::memcpy(buffer, format, length);
    return true;
}

BYTE* CMediaType::AllocFormatBuffer(ULONG length)
{
    if (cbFormat == length && pbFormat) {
        std::memset(pbFormat, 0, length);
        return pbFormat;
    }
    auto* buffer = static_cast<BYTE*>(CoTaskMemAlloc(length));
    if (!buffer) return nullptr;
    std::memset(buffer, 0, length);
    CoTaskMemFree(pbFormat);
    pbFormat = buffer;
    cbFormat = length;
    return buffer;
}

void CMediaType::ResetFormatBuffer()
{
    CoTaskMemFree(pbFormat);
    pbFormat = nullptr;
    cbFormat = 0;
}

bool CMediaType::IsPartiallySpecified() const { return majortype == GUID_NULL || formattype == GUID_NULL; }

bool CMediaType::MatchesPartial(const CMediaType* partial) const
{
    if (!(partial->majortype == GUID_NULL) && !(majortype == partial->majortype)) return false;
    if (!(partial->subtype == GUID_NULL) && !(subtype == partial->subtype)) return false;
    if (!(partial->formattype == GUID_NULL)) {
        if (!(formattype == partial->formattype) || cbFormat != partial->cbFormat) return false;
        if (cbFormat && std::memcmp(pbFormat, partial->pbFormat, cbFormat) != 0) return false;
    }
    return true;
}
