#include "media/movie_sample_wmv.h"

EncapsulateSample::EncapsulateSample(IMediaSample* sample, const void* owner)
    : CUnknown(u"EncapsulateSample", nullptr), m_Sample(sample), m_Owner(owner)
{
    m_Sample->AddRef();
}

EncapsulateSample::~EncapsulateSample() { m_Sample->Release(); }

HRESULT EncapsulateSample::NonDelegatingQueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    if (riid == IID_INSSBuffer) return GetInterface(static_cast<INSSBuffer*>(this), object);
    if (riid == IID_IEncapsulatedAccess) return GetInterface(static_cast<IEncapsulatedAccess*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(riid, object);
}

HRESULT EncapsulateSample::GetLength(DWORD* length)
{
    if (!length) return E_POINTER;
    *length = static_cast<DWORD>(m_Sample->GetActualDataLength());
    return S_OK;
}

HRESULT EncapsulateSample::SetLength(DWORD length)
{
    if (length > static_cast<DWORD>(m_Sample->GetSize())) return E_INVALIDARG;
    return m_Sample->SetActualDataLength(static_cast<LONG>(length));
}

HRESULT EncapsulateSample::GetMaxLength(DWORD* length)
{
    if (!length) return E_POINTER;
    *length = static_cast<DWORD>(m_Sample->GetSize());
    return S_OK;
}

HRESULT EncapsulateSample::GetBuffer(BYTE** buffer)
{
    if (!buffer) return E_POINTER;
    return m_Sample->GetPointer(buffer);
}

HRESULT EncapsulateSample::GetBufferAndLength(BYTE** buffer, DWORD* length)
{
    if (!buffer || !length) return E_POINTER;
    *length = static_cast<DWORD>(m_Sample->GetActualDataLength());
    return m_Sample->GetPointer(buffer);
}

HRESULT EncapsulateSample::GetMediaSample(IMediaSample** sample)
{
    if (!sample) return E_POINTER;
    m_Sample->AddRef();
    *sample = m_Sample;
    return S_OK;
}
