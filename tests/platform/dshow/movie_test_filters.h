// Filters for the movie filter tests: a source whose one pin offers a movie's bytes in memory
// through IAsyncReader (and, like the engine's reader pin, refuses a connection from a pin that
// never asked for that interface), and an RGB24 renderer that keeps a copy of every frame.
#pragma once

#include "platform/dshow/base_pin.h"
#include "platform/dshow/base_renderer.h"

#include <atomic>
#include <cstdint>
#include <mutex>
#include <vector>

namespace dshow_test {

class MemoryReaderSource;

class MemoryReaderPin final : public CBasePin, public IAsyncReader {
public:
    MemoryReaderPin(MemoryReaderSource* source, CCritSec* lock, const GUID& subtype);

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT CompleteConnect(IPin* receivePin) override;
    HRESULT BreakConnect() override;

    HRESULT RequestAllocator(IMemAllocator* preferred, ALLOCATOR_PROPERTIES* properties, IMemAllocator** actual) override;
    HRESULT Request(IMediaSample* sample, DWORD_PTR user) override;
    HRESULT WaitForNext(DWORD timeout, IMediaSample** sample, DWORD_PTR* user) override;
    HRESULT SyncReadAligned(IMediaSample* sample) override;
    HRESULT SyncRead(LONGLONG position, LONG length, BYTE* buffer) override;
    HRESULT Length(LONGLONG* total, LONGLONG* available) override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;

private:
    MemoryReaderSource* m_Source;
    GUID m_Subtype;
    bool m_ReaderAsked = false;
};

class MemoryReaderSource final : public CBaseFilter {
public:
    MemoryReaderSource(std::vector<std::uint8_t> bytes, const GUID& subtype);
    ~MemoryReaderSource() override;
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? &m_Pin : nullptr; }
    const std::vector<std::uint8_t>& Bytes() const { return m_Bytes; }
    // From now on a read that reaches `offset` fails, as a broken medium would.
    void FailReadsFrom(LONGLONG offset) { m_FailFrom = offset; }
    LONGLONG FailFrom() const { return m_FailFrom; }

private:
    CCritSec m_FilterLock;
    std::vector<std::uint8_t> m_Bytes;
    std::atomic<LONGLONG> m_FailFrom{-1};
    MemoryReaderPin m_Pin;
};

class FrameCaptureRenderer final : public CBaseVideoRenderer {
public:
    struct Frame {
        std::vector<std::uint8_t> bytes;
        REFERENCE_TIME start = 0;
    };

    FrameCaptureRenderer();
    ~FrameCaptureRenderer() override;

    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT SetMediaType(const CMediaType* type) override;
    HRESULT DoRenderSample(IMediaSample* sample) override;

    std::vector<Frame> Frames();
    void ClearFrames();
    LONG Width() const { return m_Width; }
    LONG Height() const { return m_Height; }

private:
    std::mutex m_Mutex;
    std::vector<Frame> m_Frames;
    LONG m_Width = 0;
    LONG m_Height = 0;
};

}  // namespace dshow_test
