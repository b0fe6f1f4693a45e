#include "tests/platform/dshow/movie_test_filters.h"

#include "tests/platform/dshow/test_filters.h"

#include <algorithm>
#include <cstring>

namespace dshow_test {

// --- MemoryReaderSource -------------------------------------------------------------------

MemoryReaderPin::MemoryReaderPin(MemoryReaderSource* source, CCritSec* lock, const GUID& subtype)
    : CBasePin(u"Memory reader pin", source, lock, nullptr, u"Out", PINDIR_OUTPUT), m_Source(source),
      m_Subtype(subtype)
{
}

HRESULT MemoryReaderPin::NonDelegatingQueryInterface(REFIID riid, void** object)
{
    if (riid == IID_IAsyncReader) {
        m_ReaderAsked = true;
        return GetInterface(static_cast<IAsyncReader*>(this), object);
    }
    return CBasePin::NonDelegatingQueryInterface(riid, object);
}

HRESULT MemoryReaderPin::GetMediaType(int position, CMediaType* type)
{
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    *type = CMediaType(&MEDIATYPE_Stream);
    type->SetSubtype(&m_Subtype);
    return S_OK;
}

HRESULT MemoryReaderPin::CheckMediaType(const CMediaType* type)
{
    return *type->Type() == MEDIATYPE_Stream ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT MemoryReaderPin::CompleteConnect(IPin*) { return m_ReaderAsked ? S_OK : VFW_E_NO_TRANSPORT; }

HRESULT MemoryReaderPin::BreakConnect()
{
    m_ReaderAsked = false;
    return S_OK;
}

HRESULT MemoryReaderPin::RequestAllocator(IMemAllocator*, ALLOCATOR_PROPERTIES*, IMemAllocator**) { return E_NOTIMPL; }

HRESULT MemoryReaderPin::Request(IMediaSample*, DWORD_PTR) { return E_NOTIMPL; }

HRESULT MemoryReaderPin::WaitForNext(DWORD, IMediaSample**, DWORD_PTR*) { return E_NOTIMPL; }

HRESULT MemoryReaderPin::SyncReadAligned(IMediaSample*) { return E_NOTIMPL; }

HRESULT MemoryReaderPin::SyncRead(LONGLONG position, LONG length, BYTE* buffer)
{
    const std::vector<std::uint8_t>& bytes = m_Source->Bytes();
    const auto size = static_cast<LONGLONG>(bytes.size());
    if (position < 0 || length < 0 || !buffer) return E_INVALIDARG;
    const LONGLONG failFrom = m_Source->FailFrom();
    if (failFrom >= 0 && position + length > failFrom) return E_FAIL;
    const LONGLONG available = std::clamp<LONGLONG>(size - position, 0, length);
    if (available > 0) std::memcpy(buffer, bytes.data() + position, static_cast<std::size_t>(available));
    return available == length ? S_OK : S_FALSE;
}

HRESULT MemoryReaderPin::Length(LONGLONG* total, LONGLONG* available)
{
    if (!total || !available) return E_POINTER;
    *total = *available = static_cast<LONGLONG>(m_Source->Bytes().size());
    return S_OK;
}

HRESULT MemoryReaderPin::BeginFlush() { return S_OK; }

HRESULT MemoryReaderPin::EndFlush() { return S_OK; }

MemoryReaderSource::MemoryReaderSource(std::vector<std::uint8_t> bytes, const GUID& subtype)
    : CBaseFilter(u"Memory reader", nullptr, &m_FilterLock, TarnwickDshowGuid(0x9201)), m_Bytes(std::move(bytes)),
      m_Pin(this, &m_FilterLock, subtype)
{
    ++g_LiveFilters;
}

MemoryReaderSource::~MemoryReaderSource() { --g_LiveFilters; }

// --- FrameCaptureRenderer -----------------------------------------------------------------

FrameCaptureRenderer::FrameCaptureRenderer()
    : CBaseVideoRenderer(TarnwickDshowGuid(0x9202), u"Frame capture renderer", nullptr, nullptr)
{
    ++g_LiveFilters;
}

FrameCaptureRenderer::~FrameCaptureRenderer() { --g_LiveFilters; }

HRESULT FrameCaptureRenderer::CheckMediaType(const CMediaType* type)
{
    if (!(type->majortype == MEDIATYPE_Video) || !(type->subtype == MEDIASUBTYPE_RGB24)) return E_FAIL;
    if (!(type->formattype == FORMAT_VideoInfo) || type->cbFormat < sizeof(VIDEOINFOHEADER)) return E_INVALIDARG;
    return S_OK;
}

HRESULT FrameCaptureRenderer::SetMediaType(const CMediaType* type)
{
    const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(type->Format());
    m_Width = info->bmiHeader.biWidth;
    m_Height = info->bmiHeader.biHeight;
    return S_OK;
}

HRESULT FrameCaptureRenderer::DoRenderSample(IMediaSample* sample)
{
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    Frame frame;
    frame.bytes.assign(data, data + sample->GetActualDataLength());
    REFERENCE_TIME end = 0;
    sample->GetTime(&frame.start, &end);
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Frames.push_back(std::move(frame));
    return S_OK;
}

std::vector<FrameCaptureRenderer::Frame> FrameCaptureRenderer::Frames()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Frames;
}

void FrameCaptureRenderer::ClearFrames()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Frames.clear();
}

}  // namespace dshow_test
