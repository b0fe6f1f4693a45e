// Filters written on the base classes for the graph tests: a push source with seeking (numbered
// RGB24 frames, an "encoded" video type, or PCM), a pass-through decoder, a video renderer that
// records frame numbers, and a sink pin that records what an output queue delivers.
#pragma once

#include "platform/dshow/base_pin.h"
#include "platform/dshow/base_renderer.h"
#include "tests/support/test_stream_thread.h"

#include <atomic>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace dshow_test {

// The graph's names are ASCII.
inline std::string Utf8(const std::u16string& text) { return std::string(text.begin(), text.end()); }
inline std::vector<std::string> Utf8(const std::vector<std::u16string>& lines)
{
    std::vector<std::string> out;
    for (const auto& line : lines) out.push_back(Utf8(line));
    return out;
}

// What the filters saw, in order, across threads.
class EventLog {
public:
    void Add(const std::string& line);
    std::vector<std::string> Lines();
    std::vector<std::string> Matching(const std::string& prefix);
    void Clear();

private:
    std::mutex m_Mutex;
    std::vector<std::string> m_Lines;
};

// Live test filters and streaming threads, for the no-leftovers checks.
extern std::atomic<int> g_LiveFilters;
extern std::atomic<int> g_LiveThreads;

inline constexpr GUID kEncodedVideo = TarnwickDshowGuid(0x9001);
constexpr LONG kFrameWidth = 4;
constexpr LONG kFrameHeight = 2;
constexpr REFERENCE_TIME kFrameTime = kUnitsPerSecond / 10;   // 100 ms

CMediaType VideoType(const GUID& subtype);
CMediaType PcmType(WORD channels, DWORD rate, WORD bits);

struct SourceConfig {
    CMediaType type;
    LONG bufferSize = kFrameWidth * kFrameHeight * 3;
    int count = 5;
    REFERENCE_TIME duration = kFrameTime;   // of one sample
    // Fills sample `index`; returns its data length. Numbered frames by default.
    std::function<LONG(int index, BYTE* data, LONG size)> fill;
};

class TestSource;

class TestSourcePin final : public CBaseOutputPin, public IMediaSeeking {
public:
    TestSourcePin(TestSource* source, CCritSec* lock);

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;

    HRESULT GetCapabilities(DWORD* capabilities) override;
    HRESULT CheckCapabilities(DWORD* capabilities) override;
    HRESULT IsFormatSupported(const GUID* format) override;
    HRESULT QueryPreferredFormat(GUID* format) override;
    HRESULT GetTimeFormat(GUID* format) override;
    HRESULT IsUsingTimeFormat(const GUID* format) override;
    HRESULT SetTimeFormat(const GUID* format) override;
    HRESULT GetDuration(LONGLONG* duration) override;
    HRESULT GetStopPosition(LONGLONG* stop) override;
    HRESULT GetCurrentPosition(LONGLONG* current) override;
    HRESULT ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source, const GUID* sourceFormat) override;
    HRESULT SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) override;
    HRESULT GetPositions(LONGLONG* current, LONGLONG* stop) override;
    HRESULT GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
    HRESULT SetRate(double rate) override;
    HRESULT GetRate(double* rate) override;
    HRESULT GetPreroll(LONGLONG* preroll) override;

private:
    TestSource* m_Source;
};

class TestSource final : public CBaseFilter {
public:
    TestSource(SourceConfig config, EventLog* log, const char* name);
    ~TestSource() override;

    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? &m_Pin : nullptr; }
    HRESULT Pause() override;
    HRESULT Stop() override;

    REFERENCE_TIME Duration() const { return m_Config.duration * m_Config.count; }
    SourceConfig& Config() { return m_Config; }
    // Start and stop positions; a change of the start while active restarts the stream.
    HRESULT Seek(const LONGLONG* start, const LONGLONG* stop);
    REFERENCE_TIME StartPosition();
    REFERENCE_TIME StopPosition();
    double Rate();
    void SetRateValue(double rate);
    int SeekCount() const { return m_Seeks.load(); }

private:
    friend class TestSourcePin;
    void Stream();
    void StartThread();   // filter lock held

    CCritSec m_FilterLock;
    SourceConfig m_Config;
    EventLog* m_Log;
    std::string m_LogName;
    TestSourcePin m_Pin;
    CCritSec m_PositionLock;
    REFERENCE_TIME m_StartPosition = 0;
    REFERENCE_TIME m_StopPosition = -1;   // the end
    double m_Rate = 1.0;
    std::atomic<int> m_Seeks{0};
    TestStreamThread m_StreamThread;
};

class PassThroughDecoder;

class DecoderInputPin final : public CBaseInputPin {
public:
    DecoderInputPin(PassThroughDecoder* decoder, CCritSec* lock);
    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT Receive(IMediaSample* sample) override;
    HRESULT EndOfStream() override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;
    HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

private:
    PassThroughDecoder* m_Decoder;
};

class DecoderOutputPin final : public CBaseOutputPin {
public:
    DecoderOutputPin(PassThroughDecoder* decoder, CCritSec* lock);
    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;

private:
    PassThroughDecoder* m_Decoder;
};

// Takes "encoded" video and puts out the same bytes as RGB24.
class PassThroughDecoder final : public CBaseFilter {
public:
    explicit PassThroughDecoder(EventLog* log);
    ~PassThroughDecoder() override;
    int GetPinCount() override { return 2; }
    CBasePin* GetPin(int n) override;

    // The log the decoders made through the registry write to.
    static EventLog* s_Log;
    static HRESULT Create(IBaseFilter** filter);

private:
    friend class DecoderInputPin;
    friend class DecoderOutputPin;
    CCritSec m_FilterLock;
    EventLog* m_Log;
    DecoderInputPin m_Input;
    DecoderOutputPin m_Output;
};

class RecordingRenderer final : public CBaseVideoRenderer {
public:
    explicit RecordingRenderer(EventLog* log);
    ~RecordingRenderer() override;

    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT SetMediaType(const CMediaType* type) override;
    HRESULT DoRenderSample(IMediaSample* sample) override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;
    HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

    std::vector<int> Frames();
    // Stream time at which each frame was drawn.
    std::vector<REFERENCE_TIME> DrawTimes();
    LONG Width() const { return m_Width; }
    LONG Height() const { return m_Height; }

private:
    EventLog* m_Log;
    std::mutex m_Mutex;
    std::vector<int> m_Frames;
    std::vector<REFERENCE_TIME> m_DrawTimes;
    LONG m_Width = 0;
    LONG m_Height = 0;
};

// A filter with one input pin that records samples (their first int), segments and ends.
class RecordingSink;

class RecordingSinkPin final : public CBaseInputPin {
public:
    RecordingSinkPin(RecordingSink* sink, CCritSec* lock);
    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT Receive(IMediaSample* sample) override;
    HRESULT EndOfStream() override;
    HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;

private:
    RecordingSink* m_Sink;
};

class RecordingSink final : public CBaseFilter {
public:
    explicit RecordingSink(EventLog* log);
    ~RecordingSink() override;
    int GetPinCount() override { return 1; }
    CBasePin* GetPin(int n) override { return n == 0 ? &m_Pin : nullptr; }
    RecordingSinkPin& Pin() { return m_Pin; }
    EventLog* Log() { return m_Log; }

private:
    CCritSec m_FilterLock;
    EventLog* m_Log;
    RecordingSinkPin m_Pin;
};

int FrameNumber(IMediaSample* sample);

}  // namespace dshow_test
