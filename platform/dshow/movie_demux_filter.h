// The movie demux and decode filter the graph inserts when it renders a byte-stream pin: its
// input pin reads the movie through the upstream pin's IAsyncReader; once connected it shows
// one output pin per stream it plays, the first video stream as RGB24 ("Video") and the first
// audio stream as 16-bit PCM ("Audio"). One streaming thread reads and decodes in file order and
// queues the units per pin; each output pin delivers its own on a thread of its own, so a
// renderer waiting for a frame's time never holds up the other stream, however far apart the
// file keeps them. Seeking on either output pin restarts all of them from the new position.
#pragma once

#include "platform/dshow/base_pin.h"
#include "platform/dshow/movie_demux.h"

#include <atomic>
#include <deque>
#include <memory>
#include <vector>

class CMovieDemuxFilter;

class CMovieDemuxInputPin final : public CBasePin {
public:
    CMovieDemuxInputPin(CMovieDemuxFilter* filter, CCritSec* lock);
    ~CMovieDemuxInputPin() override;

    // Any subtype of MEDIATYPE_Stream: the content decides, the subtype is only a hint.
    HRESULT CheckMediaType(const CMediaType* type) override;
    // The upstream pin must offer IAsyncReader; asking for it is also what that pin waits for.
    HRESULT CheckConnect(IPin* pin) override;
    HRESULT CompleteConnect(IPin* receivePin) override;
    HRESULT BreakConnect() override;

    IAsyncReader* Reader() const { return m_Reader; }

private:
    CMovieDemuxFilter* m_Demux;
    IAsyncReader* m_Reader = nullptr;   // counted while connected
};

class CMovieDemuxOutputPin final : public CBaseOutputPin, public IMediaSeeking {
public:
    CMovieDemuxOutputPin(CMovieDemuxFilter* filter, CCritSec* lock, LPCWSTR name, const CMediaType& type,
                         LONG bufferSize, LONG buffers);

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    LONG BufferSize() const { return m_BufferSize; }

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
    HRESULT ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                              const GUID* sourceFormat) override;
    HRESULT SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) override;
    HRESULT GetPositions(LONGLONG* current, LONGLONG* stop) override;
    HRESULT GetAvailable(LONGLONG* earliest, LONGLONG* latest) override;
    HRESULT SetRate(double rate) override;
    HRESULT GetRate(double* rate) override;
    HRESULT GetPreroll(LONGLONG* preroll) override;

private:
    CMovieDemuxFilter* m_Demux;
    CMediaType m_Type;
    LONG m_BufferSize;
    LONG m_Buffers;
};

class CMovieDemuxFilter final : public CBaseFilter {
public:
    CMovieDemuxFilter();
    ~CMovieDemuxFilter() override;

    // The factory the graph's decoder registry calls.
    static HRESULT Create(IBaseFilter** filter);

    int GetPinCount() override;
    CBasePin* GetPin(int n) override;
    HRESULT Pause() override;
    HRESULT Stop() override;

    // Positions of the movie, from its start; a stop below 0 is its end.
    HRESULT Seek(const REFERENCE_TIME* start, const REFERENCE_TIME* stop);
    REFERENCE_TIME Duration();
    REFERENCE_TIME StartPosition();
    REFERENCE_TIME StopPosition();
    double Rate();
    HRESULT SetRateValue(double rate);

private:
    friend class CMovieDemuxInputPin;

    // A decoded unit on its way to a pin (times from the movie's start), or the stream's end.
    struct Pending {
        bool end = false;
        REFERENCE_TIME start = 0;
        REFERENCE_TIME stop = 0;
        std::vector<std::uint8_t> bytes;
    };
    // One output pin's queue and delivery thread; the queue lock guards the fields below `pin`.
    struct Lane {
        CMovieDemuxFilter* filter = nullptr;
        CMovieDemuxOutputPin* pin = nullptr;
        std::deque<Pending> items;
        REFERENCE_TIME queued = 0;   // media time the items hold
        bool open = false;           // takes units: connected, and nothing refused
        bool ended = false;          // its end is queued
        bool waiting = false;        // its thread waits for work
        bool woken = false;
        HANDLE work = nullptr;
        HANDLE go = nullptr;
        HANDLE thread = nullptr;
    };

    HRESULT OpenMovie(IAsyncReader* reader, const GUID& subtype);
    void CloseMovie();
    static DWORD ThreadMain(LPVOID self);
    static DWORD LaneMain(LPVOID lane);
    void Stream();
    void Deliver(Lane& lane);
    bool DeliverUnit(Lane& lane, const Pending& unit, bool* discontinuity);
    // Queues for the lane, once the reader may go on; false when it is to stop.
    bool Queue(Lane& lane, Pending&& unit);
    bool ReaderMustWait();          // queue lock held
    void WakeLane(Lane& lane);      // queue lock held
    void WakeReader();              // queue lock held
    void StartThread();   // filter lock held
    void StopThread();

    CCritSec m_FilterLock;
    CMovieDemuxInputPin m_Input;
    std::unique_ptr<platform::MovieDemux> m_Movie;
    std::unique_ptr<CMovieDemuxOutputPin> m_VideoPin;
    std::unique_ptr<CMovieDemuxOutputPin> m_AudioPin;
    std::vector<CMovieDemuxOutputPin*> m_Outputs;
    CCritSec m_PositionLock;
    REFERENCE_TIME m_StartPosition = 0;
    REFERENCE_TIME m_StopPosition = -1;
    double m_Rate = 1.0;
    HANDLE m_Thread = nullptr;
    HANDLE m_Wake = nullptr;
    HANDLE m_Go = nullptr;
    std::atomic<bool> m_Quit{false};
    // Stream time of the run the threads deliver, fixed while they run.
    REFERENCE_TIME m_RunStart = 0;
    REFERENCE_TIME m_RunStop = -1;
    double m_RunRate = 1.0;

    CCritSec m_QueueLock;
    Lane m_Lanes[2];                 // video, audio
    std::size_t m_QueuedBytes = 0;
    HANDLE m_Room = nullptr;         // the reader waits here for room in the lanes
    bool m_ReaderWaiting = false;
    bool m_ReaderWoken = false;
};
