#include "media/movie_reader.h"

#include "platform/dshow/mem_allocator.h"
#include "platform/win32/com.h"

#include <limits>

// --- GxMovieReaderOutputPin ----------------------------------------------------------------

GxMovieReaderOutputPin::GxMovieReaderOutputPin(HRESULT* result, GxMovieReader* reader, GxMovieAsyncReader* io,
                                               CCritSec* lock)
    : CBasePin(u"Movie reader output", reader, lock, result, u"Output", PINDIR_OUTPUT), m_Reader(reader), m_Io(io)
{
}

HRESULT GxMovieReaderOutputPin::NonDelegatingQueryInterface(REFIID riid, void** object)
{
    if (!object)
        return E_POINTER;
    if (riid == IID_IAsyncReader) {
        m_QueriedForAsyncReader = true;
        return GetInterface(static_cast<IAsyncReader*>(this), object);
    }
    return CBasePin::NonDelegatingQueryInterface(riid, object);
}

HRESULT GxMovieReaderOutputPin::GetMediaType(int position, CMediaType* type)
{
    if (position < 0)
        return E_INVALIDARG;
    if (position > 0)
        return VFW_S_NO_MORE_ITEMS;
    if (!m_Reader)
        return E_UNEXPECTED;
    if (!type)
        return E_POINTER;
    CAutoLock lock(m_Lock);
    *type = *m_Reader->OutputMediaType();
    return S_OK;
}

HRESULT GxMovieReaderOutputPin::CheckMediaType(const CMediaType* type)
{
    if (!type)
        return E_POINTER;
    CAutoLock lock(m_Lock);
    const CMediaType* own = m_Reader->OutputMediaType();
    if (type->majortype == own->majortype && (own->subtype == GUID_NULL || type->subtype == own->subtype))
        return S_OK;
    return S_FALSE;
}

HRESULT GxMovieReaderOutputPin::CompleteConnect(IPin* receivePin)
{
    if (!m_QueriedForAsyncReader)
        return VFW_E_NO_TRANSPORT;
    return CBasePin::CompleteConnect(receivePin);
}

HRESULT GxMovieReaderOutputPin::BreakConnect()
{
    m_QueriedForAsyncReader = false;
    return CBasePin::BreakConnect();
}

HRESULT GxMovieReaderOutputPin::InitAllocator(IMemAllocator** allocator)
{
    *allocator = nullptr;
    IUnknown* made = nullptr;
    HRESULT hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, 0x1, IID_IUnknown, reinterpret_cast<void**>(&made));
    if (FAILED(hr))
        return hr;
    hr = made->QueryInterface(IID_IMemAllocator, reinterpret_cast<void**>(allocator));
    made->Release();
    return hr;
}

HRESULT GxMovieReaderOutputPin::RequestAllocator(IMemAllocator* preferred, ALLOCATOR_PROPERTIES* properties,
                                                 IMemAllocator** actual)
{
    if (!properties || !actual)
        return E_POINTER;
    *actual = nullptr;
    // Only the alignment is ours to decide.
    if (properties->cbAlign == 0 || !m_Io->IsAligned(properties->cbAlign))
        m_Io->Alignment(&properties->cbAlign);

    ALLOCATOR_PROPERTIES got{};
    HRESULT hr = S_OK;
    if (preferred) {
        hr = preferred->SetProperties(properties, &got);
        if (SUCCEEDED(hr) && m_Io->IsAligned(got.cbAlign)) {
            preferred->AddRef();
            *actual = preferred;
            return S_OK;
        }
    }
    IMemAllocator* allocator = nullptr;
    hr = InitAllocator(&allocator);
    if (FAILED(hr))
        return hr;
    hr = allocator->SetProperties(properties, &got);
    if (SUCCEEDED(hr) && m_Io->IsAligned(got.cbAlign)) {
        *actual = allocator;
        return S_OK;
    }
    allocator->Release();
    return SUCCEEDED(hr) ? VFW_E_BADALIGN : hr;
}

HRESULT GxMovieReaderOutputPin::SampleSpan(IMediaSample* sample, LONGLONG* position, LONG* length, BYTE** buffer)
{
    if (!sample)
        return E_POINTER;
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    HRESULT hr = sample->GetTime(&start, &stop);
    if (FAILED(hr))
        return hr;
    const LONGLONG from = start / kUnitsPerSecond;
    LONGLONG count = 0;
    if (__builtin_sub_overflow(stop, start, &count))
        return E_INVALIDARG;
    count /= kUnitsPerSecond;
    if (from < 0 || count < 0)
        return E_INVALIDARG;

    LONGLONG total = 0;
    LONGLONG available = 0;
    m_Io->Length(&total, &available);
    if (from + count > total) {
        // The end may lie on a coarser alignment than the file's size.
        LONG alignment = 1;
        m_Io->Alignment(&alignment);
        const LONGLONG end = (total + alignment - 1) / alignment * alignment;
        if (from + count > end) {
            count = end - from;
            if (count < 0)
                return E_INVALIDARG;   // starts past the end
            REFERENCE_TIME newStop = end * kUnitsPerSecond;
            sample->SetTime(&start, &newStop);
        }
    }
    // The worker writes `count` bytes into the sample's buffer: it must hold them.
    if (count > sample->GetSize() || count > std::numeric_limits<LONG>::max())
        return E_INVALIDARG;
    hr = sample->GetPointer(buffer);
    if (FAILED(hr))
        return hr;
    *position = from;
    *length = static_cast<LONG>(count);
    return S_OK;
}

HRESULT GxMovieReaderOutputPin::Request(IMediaSample* sample, DWORD_PTR user)
{
    LONGLONG position = 0;
    LONG length = 0;
    BYTE* buffer = nullptr;
    const HRESULT hr = SampleSpan(sample, &position, &length, &buffer);
    if (FAILED(hr))
        return hr;
    return m_Io->Request(position, length, TRUE, buffer, sample, user);
}

HRESULT GxMovieReaderOutputPin::WaitForNext(DWORD timeout, IMediaSample** sample, DWORD_PTR* user)
{
    if (!sample || !user)
        return E_POINTER;
    void* context = nullptr;
    LONG actual = 0;
    const HRESULT hr = m_Io->WaitForNext(timeout, &context, user, &actual);
    auto* done = static_cast<IMediaSample*>(context);
    if (SUCCEEDED(hr) && done)
        done->SetActualDataLength(actual);
    *sample = done;
    return hr;
}

HRESULT GxMovieReaderOutputPin::SyncReadAligned(IMediaSample* sample)
{
    LONGLONG position = 0;
    LONG length = 0;
    BYTE* buffer = nullptr;
    HRESULT hr = SampleSpan(sample, &position, &length, &buffer);
    if (FAILED(hr))
        return hr;
    LONG actual = 0;
    hr = m_Io->SyncReadAligned(position, length, buffer, &actual, sample);
    sample->SetActualDataLength(actual);
    return hr;
}

HRESULT GxMovieReaderOutputPin::SyncRead(LONGLONG position, LONG length, BYTE* buffer)
{
    return m_Io->SyncRead(position, length, buffer);
}

HRESULT GxMovieReaderOutputPin::Length(LONGLONG* total, LONGLONG* available)
{
    return m_Io->Length(total, available);
}

HRESULT GxMovieReaderOutputPin::BeginFlush() { return m_Io->BeginFlush(); }

HRESULT GxMovieReaderOutputPin::EndFlush() { return m_Io->EndFlush(); }

// --- GxMovieReader -------------------------------------------------------------------------

GxMovieReader::GxMovieReader(LPCWSTR name, LPUNKNOWN outer, CAsyncStream* stream, HRESULT* result)
    : CBaseFilter(name, outer, &m_FilterLock, CLSID_GxMovieReader),
      m_Io(stream),
      m_OutputPin(result, this, &m_Io, &m_FilterLock)
{
}

GxMovieReader::~GxMovieReader() = default;

CBasePin* GxMovieReader::GetPin(int n) { return n == 0 ? &m_OutputPin : nullptr; }

void GxMovieReader::SetOutputMediaType(const CMediaType& type)
{
    CAutoLock lock(&m_FilterLock);
    m_MediaType = type;
}
