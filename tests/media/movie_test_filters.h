// What the movie filter tests feed and join them with: a media sample over a buffer of the
// test's own, a byte stream in memory (any alignment, a read that can be held), and a parser
// for raw frames (a 12-byte header of width, height and count, then bottom-up RGB24 frames)
// that pulls through IAsyncReader and pushes frames to a video renderer.
#pragma once

#include "media/async_stream.h"
#include "platform/dshow/base_pin.h"
#include "platform/win32/sync.h"
#include "tests/support/test_stream_thread.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace movietest {

inline constexpr GUID kRawFramesSubtype = TarnwickDshowGuid(0x9A01);
constexpr REFERENCE_TIME kFrameTime = kUnitsPerSecond / 10;

LONG RowPitch(LONG width);
// A raw-frame file: frame f, pixel (x, y) from the top has blue x*16+f, green y*16+f, red 0x80+f.
std::vector<BYTE> RawFrameFile(LONG width, LONG height, int count);
// Frame `index` of such a file as bottom-up rows (the sample bytes).
std::vector<BYTE> RawFrame(LONG width, LONG height, int index);

// An IMediaSample over a vector the test owns; the buffer starts `offset` bytes past a 16-byte
// boundary.
class TestSample final : public IMediaSample {
public:
    explicit TestSample(LONG size, std::size_t offset = 0);

    BYTE* Data() { return m_Storage.data() + m_Offset; }
    void SetSpan(LONGLONG position, LONGLONG length);   // times of a byte span

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override { return ++m_RefCount; }
    ULONG Release() override { return --m_RefCount; }
    HRESULT GetPointer(BYTE** buffer) override;
    LONG GetSize() override { return m_Size; }
    HRESULT GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) override;
    HRESULT SetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) override;
    HRESULT IsSyncPoint() override { return S_OK; }
    HRESULT SetSyncPoint(BOOL) override { return S_OK; }
    HRESULT IsPreroll() override { return S_FALSE; }
    HRESULT SetPreroll(BOOL) override { return S_OK; }
    LONG GetActualDataLength() override { return m_Actual; }
    HRESULT SetActualDataLength(LONG length) override;
    HRESULT GetMediaType(AM_MEDIA_TYPE** type) override;
    HRESULT SetMediaType(AM_MEDIA_TYPE*) override { return S_OK; }
    HRESULT IsDiscontinuity() override { return m_Discontinuity ? S_OK : S_FALSE; }
    HRESULT SetDiscontinuity(BOOL discontinuity) override;
    HRESULT GetMediaTime(LONGLONG*, LONGLONG*) override { return VFW_E_MEDIA_TIME_NOT_SET; }
    HRESULT SetMediaTime(LONGLONG*, LONGLONG*) override { return S_OK; }

private:
    std::vector<BYTE> m_Storage;
    std::size_t m_Offset;
    LONG m_Size;
    LONG m_Actual = -1;   // not set yet
    REFERENCE_TIME m_Start = 0;
    REFERENCE_TIME m_End = 0;
    bool m_Discontinuity = false;
    ULONG m_RefCount = 1;
};

// Bytes in memory with a chosen alignment. With `HoldReads`, every Read signals `Entered` and
// waits for `Release` first, so a test can keep a read in progress.
class MemoryStream final : public CAsyncStream {
public:
    MemoryStream(std::vector<BYTE> bytes, DWORD alignment);
    ~MemoryStream() override;

    void HoldReads(bool hold) { m_Hold = hold; }
    HANDLE Entered() const { return m_Entered; }
    void Release() { SetEvent(m_Released); }
    // Reads that returned, and the worker threads' ends seen (each reading thread counts once).
    int Reads() const { return m_Reads.load(); }
    static std::atomic<int> s_ReaderThreadsEnded;

    HRESULT SetPointer(LONGLONG position) override;
    HRESULT Read(BYTE* buffer, DWORD count, BOOL aligned, DWORD* bytesRead) override;
    LONGLONG Size(LONGLONG* available) override;
    DWORD Alignment() override { return m_Alignment; }
    void Lock() override { m_Lock.lock(); }
    void Unlock() override { m_Lock.unlock(); }

private:
    std::vector<BYTE> m_Bytes;
    DWORD m_Alignment;
    std::uint64_t m_Position = 0;
    std::recursive_mutex m_Lock;
    std::atomic<bool> m_Hold{false};
    std::atomic<int> m_Reads{0};
    HANDLE m_Entered;    // auto reset
    HANDLE m_Released;   // auto reset
};

// --- the raw-frame parser ------------------------------------------------------------------

class RawFrameParser;

class RawParserInput final : public CBasePin {
public:
    RawParserInput(RawFrameParser* parser, CCritSec* lock);
    HRESULT CheckMediaType(const CMediaType* type) override;
    // Asks the output pin for IAsyncReader (unless told not to) and reads the header.
    HRESULT CheckConnect(IPin* pin) override;
    HRESULT CompleteConnect(IPin* receivePin) override;
    HRESULT BreakConnect() override;

private:
    RawFrameParser* m_Parser;
};

class RawParserOutput final : public CBaseOutputPin {
public:
    RawParserOutput(RawFrameParser* parser, CCritSec* lock);
    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;

private:
    RawFrameParser* m_Parser;
};

class RawFrameParser final : public CBaseFilter {
public:
    explicit RawFrameParser(bool askForReader = true);
    ~RawFrameParser() override;

    int GetPinCount() override { return 2; }
    CBasePin* GetPin(int n) override;
    HRESULT Pause() override;
    HRESULT Stop() override;

    // The decoder factory the graph uses.
    static HRESULT Create(IBaseFilter** filter);
    static std::atomic<int> s_Live;        // parsers alive
    static std::atomic<int> s_LiveThreads;

    IAsyncReader* Reader() const { return m_Reader; }
    RawParserInput& Input() { return m_Input; }
    LONG Width() const { return m_Width; }
    LONG Height() const { return m_Height; }
    int Count() const { return m_Count; }

private:
    friend class RawParserInput;
    friend class RawParserOutput;
    void Stream();

    CCritSec m_FilterLock;
    bool m_AskForReader;
    RawParserInput m_Input;
    RawParserOutput m_Output;
    IAsyncReader* m_Reader = nullptr;   // counted while connected
    LONG m_Width = 0;
    LONG m_Height = 0;
    int m_Count = 0;
    TestStreamThread m_StreamThread;
};

}  // namespace movietest
