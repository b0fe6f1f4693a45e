// EncapsulateSample: a delivery buffer of a Windows Media output pin's allocator seen as an
// INSSBuffer, so that the Windows Media reader writes a stream's compressed data straight into
// the buffer that goes downstream. IEncapsulatedAccess gives the media sample back, and tells
// which filter wrapped it.
#pragma once

#include "platform/dshow/unknown_base.h"
#include "platform/wmf/wmf.h"

// {7F2A6C31-0B94-4E58-A3D1-5C86E1F20B47}
inline constexpr IID IID_IEncapsulatedAccess = {0x7F2A6C31, 0x0B94, 0x4E58, {0xA3, 0xD1, 0x5C, 0x86, 0xE1, 0xF2, 0x0B, 0x47}};

struct IEncapsulatedAccess : IUnknown {
    // The wrapped sample with one reference for the caller.
    virtual HRESULT GetMediaSample(IMediaSample** sample) = 0;
    // The filter that wrapped it (not counted).
    virtual const void* Owner() = 0;
};

class EncapsulateSample : public CUnknown, public INSSBuffer, public IEncapsulatedAccess {
public:
    // Holds a reference to `sample` until the last reference to the wrapper goes.
    EncapsulateSample(IMediaSample* sample, const void* owner);
    ~EncapsulateSample() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    HRESULT GetLength(DWORD* length) override;
    // Beyond the sample's size it fails and the length stays.
    HRESULT SetLength(DWORD length) override;
    HRESULT GetMaxLength(DWORD* length) override;
    HRESULT GetBuffer(BYTE** buffer) override;
    HRESULT GetBufferAndLength(BYTE** buffer, DWORD* length) override;

    HRESULT GetMediaSample(IMediaSample** sample) override;
    const void* Owner() override { return m_Owner; }

private:
    IMediaSample* m_Sample;
    const void* m_Owner;
};
