// The movie demux and decode filter the graph inserts when it renders a byte-stream pin: its
// input pin reads the movie through the upstream pin's IAsyncReader; once connected it shows
// one output pin per stream it plays, the first video stream as RGB24 ("Video") and the first
// audio stream as 16-bit PCM ("Audio"). One streaming thread decodes and delivers both in file
// order; seeking on either output pin restarts it from the new position.
#pragma once

#include "platform/dshow/base_pin.h"
#include "platform/dshow/movie_demux.h"

#include <atomic>
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
    HRESULT OpenMovie(IAsyncReader* reader, const GUID& subtype);
    void CloseMovie();
    static DWORD ThreadMain(LPVOID self);
    void Stream();
    bool DeliverUnit(CMovieDemuxOutputPin* pin, const platform::MovieDemux::Unit& unit, REFERENCE_TIME start,
                     double rate, bool* discontinuity);
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
};
