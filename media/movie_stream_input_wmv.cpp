#include "media/movie_stream_input_wmv.h"

#include <cstring>
#include <new>

GxMovieStreamInputWMV::GxMovieStreamInputWMV(CAsyncStream* stream, LONGLONG stored)
    : CUnknown(u"GxMovieStreamInputWMV", nullptr), m_Stream(stream), m_Stored(stored)
{
}

HRESULT GxMovieStreamInputWMV::NonDelegatingQueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    if (riid == IID_IStream) return GetInterface(static_cast<IStream*>(this), object);
    return CUnknown::NonDelegatingQueryInterface(riid, object);
}

HRESULT GxMovieStreamInputWMV::Read(void* buffer, ULONG count, ULONG* read)
{
    DWORD got = 0;
    if (m_Stream->Read(static_cast<BYTE*>(buffer), count, FALSE, &got) != S_OK) got = 0;
    if (read) *read = got;
    return S_OK;
}

HRESULT GxMovieStreamInputWMV::Seek(LARGE_INTEGER move, DWORD, ULARGE_INTEGER* newPosition)
{
    // Every seek the reader makes is absolute, so the origin is not looked at.
    m_Stream->SetPointer(move.QuadPart);
    if (newPosition) newPosition->QuadPart = static_cast<ULONGLONG>(m_Stored);
    return S_OK;
}

HRESULT GxMovieStreamInputWMV::Stat(STATSTG* stat, DWORD)
{
    if (!stat) return STG_E_INVALIDPOINTER;
    std::memset(stat, 0, sizeof(*stat));
    stat->type = STGTY_STREAM;
    stat->cbSize.QuadPart = static_cast<ULONGLONG>(m_Stored);
    return S_OK;
}

HRESULT GxMovieStreamInputWMV::Clone(IStream** stream)
{
    if (!stream) return STG_E_INVALIDPOINTER;
    auto* copy = new (std::nothrow) GxMovieStreamInputWMV(m_Stream, m_Stored);
    if (!copy) {
        *stream = nullptr;
        return STG_E_INSUFFICIENTMEMORY;
    }
    return copy->NonDelegatingQueryInterface(IID_IStream, reinterpret_cast<void**>(stream));
}

HRESULT GxMovieStreamInputWMV::Write(const void*, ULONG, ULONG*) { return E_NOTIMPL; }
HRESULT GxMovieStreamInputWMV::SetSize(ULARGE_INTEGER) { return E_NOTIMPL; }
HRESULT GxMovieStreamInputWMV::CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) { return E_NOTIMPL; }
HRESULT GxMovieStreamInputWMV::Commit(DWORD) { return E_NOTIMPL; }
HRESULT GxMovieStreamInputWMV::Revert() { return E_NOTIMPL; }
HRESULT GxMovieStreamInputWMV::LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return E_NOTIMPL; }
HRESULT GxMovieStreamInputWMV::UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) { return E_NOTIMPL; }
