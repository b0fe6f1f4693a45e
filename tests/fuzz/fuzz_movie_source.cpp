// Fuzz target: movie bytes through the demux and decode filter, read over an in-memory
// IAsyncReader, into null renderers that take at most 30 frames; every stream must end.
#include "platform/dshow/base_pin.h"
#include "platform/dshow/movie_demux_filter.h"
#include "platform/win32/file.h"
#include "platform/win32/sync.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kMaxFrames = 30;

class BytePin final : public CBasePin, public IAsyncReader {
public:
    BytePin(CBaseFilter* source, CCritSec* lock, const std::vector<std::uint8_t>* bytes)
        : CBasePin(u"Fuzz bytes", source, lock, nullptr, u"Out", PINDIR_OUTPUT),
          m_Bytes(bytes)
    {
    }
    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override
    {
        if (riid == IID_IAsyncReader) return GetInterface(static_cast<IAsyncReader*>(this), object);
        return CBasePin::NonDelegatingQueryInterface(riid, object);
    }
    HRESULT GetMediaType(int position, CMediaType* type) override
    {
        if (position != 0) return VFW_S_NO_MORE_ITEMS;
        *type = CMediaType(&MEDIATYPE_Stream);
        return S_OK;
    }
    HRESULT CheckMediaType(const CMediaType* type) override
    {
        return *type->Type() == MEDIATYPE_Stream ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
    }
    HRESULT RequestAllocator(IMemAllocator*, ALLOCATOR_PROPERTIES*, IMemAllocator**) override { return E_NOTIMPL; }
    HRESULT Request(IMediaSample*, DWORD_PTR) override { return E_NOTIMPL; }
    HRESULT WaitForNext(DWORD, IMediaSample**, DWORD_PTR*) override { return E_NOTIMPL; }
    HRESULT SyncReadAligned(IMediaSample*) override { return E_NOTIMPL; }
    HRESULT SyncRead(LONGLONG position, LONG length, BYTE* buffer) override
    {
        const auto size = static_cast<LONGLONG>(m_Bytes->size());
        if (position < 0 || length < 0) return E_INVALIDARG;
        const LONGLONG available = std::clamp<LONGLONG>(size - position, 0, length);
        if (available > 0) std::memcpy(buffer, m_Bytes->data() + position, static_cast<std::size_t>(available));
        return available == length ? S_OK : S_FALSE;
    }
    HRESULT Length(LONGLONG* total, LONGLONG* available) override
    {
        *total = *available = static_cast<LONGLONG>(m_Bytes->size());
        return S_OK;
    }
    HRESULT BeginFlush() override { return S_OK; }
    HRESULT EndFlush() override { return S_OK; }

private:
    const std::vector<std::uint8_t>* m_Bytes;
};

class ByteSource final : public CBaseFilter {
public:
    explicit ByteSource(const std::vector<std::uint8_t>* bytes)
        : CBaseFilter(u"Fuzz source", nullptr, &m_Lock, TarnwickDshowGuid(0x9301)), m_Pin(this, &m_Lock, bytes)
    {
    }
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? &m_Pin : nullptr; }

private:
    CCritSec m_Lock;
    BytePin m_Pin;
};

class NullPin final : public CBaseInputPin {
public:
    NullPin(CBaseFilter* renderer, CCritSec* lock, HANDLE ended)
        : CBaseInputPin(u"Null input", renderer, lock, nullptr, u"In"), m_Ended(ended)
    {
    }
    HRESULT CheckMediaType(const CMediaType*) override { return S_OK; }
    HRESULT Receive(IMediaSample* sample) override
    {
        const HRESULT hr = CBaseInputPin::Receive(sample);
        if (hr != S_OK) return hr;
        BYTE* data = nullptr;
        sample->GetPointer(&data);
        const LONG length = sample->GetActualDataLength();
        if (length > 0) m_Checksum += data[0] + data[length - 1];   // touch both ends of the data
        if (++m_Frames < kMaxFrames) return S_OK;
        SetEvent(m_Ended);
        return E_FAIL;   // enough: the filter stops delivering to this pin
    }
    HRESULT EndOfStream() override
    {
        SetEvent(m_Ended);
        return S_OK;
    }

private:
    HANDLE m_Ended;
    int m_Frames = 0;
    unsigned m_Checksum = 0;
};

class NullRenderer final : public CBaseFilter {
public:
    NullRenderer()
        : CBaseFilter(u"Null renderer", nullptr, &m_Lock, TarnwickDshowGuid(0x9302)),
          m_Ended(CreateEventW(nullptr, TRUE, FALSE, nullptr)), m_Pin(this, &m_Lock, m_Ended)
    {
    }
    ~NullRenderer() override { CloseHandle(m_Ended); }
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? &m_Pin : nullptr; }
    HANDLE Ended() const { return m_Ended; }

private:
    CCritSec m_Lock;
    HANDLE m_Ended;
    NullPin m_Pin;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > (4u << 20)) return 0;
    const std::vector<std::uint8_t> bytes(data, data + size);
    auto* source = new ByteSource(&bytes);
    source->AddRef();
    IBaseFilter* demuxFilter = nullptr;
    CMovieDemuxFilter::Create(&demuxFilter);
    auto* demux = static_cast<CMovieDemuxFilter*>(demuxFilter);
    std::vector<NullRenderer*> renderers;
    if (SUCCEEDED(source->GetPin(0)->Connect(demux->GetPin(0), nullptr))) {
        for (int i = 1; i < demux->GetPinCount(); ++i) {
            auto* renderer = new NullRenderer;
            renderer->AddRef();
            if (SUCCEEDED(demux->GetPin(i)->Connect(renderer->GetPin(0), nullptr)))
                renderers.push_back(renderer);
            else
                renderer->Release();
        }
        for (NullRenderer* renderer : renderers) renderer->Pause();
        // A graph that refuses to start (an allocator the stream's sizes cannot commit, say)
        // runs no streaming thread, so no stream would ever end.
        if (SUCCEEDED(demux->Pause())) {
            for (NullRenderer* renderer : renderers) WaitForSingleObject(renderer->Ended(), INFINITE);
        }
        for (NullRenderer* renderer : renderers) renderer->Stop();
        demux->Stop();
        for (int i = 1; i < demux->GetPinCount(); ++i) demux->GetPin(i)->Disconnect();
        for (NullRenderer* renderer : renderers) renderer->GetPin(0)->Disconnect();
        source->GetPin(0)->Disconnect();
        demux->GetPin(0)->Disconnect();
    }
    for (NullRenderer* renderer : renderers) renderer->Release();
    demux->Release();
    source->Release();
    return 0;
}
