// GxMovieReaderWMV ("FileReader" for ".wmv" and ".asf" movies): a source filter that drives a
// Windows Media reader over the movie's source stream and offers the file's compressed streams
// on its output pins, one GxMovieOutputPinWMV per selected stream, for DirectShow's decoders.
// The reader is paced by the filter: it may deliver at most one second beyond the last time it
// reported.
#pragma once

#include "media/movie_reader.h"
#include "media/movie_stream_input_wmv.h"
#include "platform/dshow/output_queue.h"
#include "platform/win32/file.h"
#include "platform/win32/sync.h"
#include "platform/wmf/wmf.h"

#include <map>
#include <memory>

// {187463A0-5BB7-11D3-ACBE-0080C75E246E}
inline constexpr CLSID CLSID_WMAsfReader = {0x187463A0, 0x5BB7, 0x11D3, {0xAC, 0xBE, 0x00, 0x80, 0xC7, 0x5E, 0x24, 0x6E}};

class GxMovieReaderWMV;

class GxMovieOutputPinWMV : public CBaseOutputPin, public IMediaSeeking {
public:
    GxMovieOutputPinWMV(GxMovieReaderWMV* filter, CCritSec* lock, HRESULT* result, LPCWSTR name, WORD stream,
                        const CMediaType& type, LONG bufferSize);
    ~GxMovieOutputPinWMV() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;
    HRESULT Active() override;
    HRESULT BreakConnect() override;

    // Through the output queue.
    HRESULT DeliverEndOfStream();
    HRESULT DeliverBeginFlush();
    HRESULT DeliverEndFlush();
    // Sets the sample's flags from the reader's and queues it; takes over no reference.
    HRESULT DeliverSample(IMediaSample* sample, DWORD flags);

    WORD StreamNumber() const { return m_StreamNumber; }
    LONG BufferSize() const { return m_BufferSize; }
    bool HasQueue() const { return m_Queue != nullptr; }

    // IMediaSeeking: times in 100 ns units, media time only.
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
    // A rate of 0 is refused: sample times are divided by it.
    HRESULT SetRate(double rate) override;
    HRESULT GetRate(double* rate) override;
    HRESULT GetPreroll(LONGLONG* preroll) override;

private:
    GxMovieReaderWMV* m_Reader;
    WORD m_StreamNumber;
    CMediaType m_Type;
    LONG m_BufferSize;
    LONG m_BufferCount;
    std::unique_ptr<COutputQueue> m_Queue;
    bool m_NewSegmentPending = false;
    bool m_FirstSample = false;
};

class GxMovieReaderWMV : public GxMovieReader, public IWMReaderCallback, public IWMReaderCallbackAdvanced {
public:
    // Opens the file at once; `result` is the open's result (a failure leaves no pins and no
    // reader). `stream` stays the caller's.
    GxMovieReaderWMV(REFCLSID clsid, LPCWSTR name, LPUNKNOWN outer, CAsyncStream* stream, HRESULT* result);
    ~GxMovieReaderWMV() override;

    DECLARE_IUNKNOWN
    HRESULT NonDelegatingQueryInterface(REFIID riid, void** object) override;

    int GetPinCount() override;
    CBasePin* GetPin(int n) override;
    // Closes the reader and waits for it to report the close.
    void Shutdown() override;

    HRESULT Pause() override;
    HRESULT Stop() override;

    // IWMStatusCallback / IWMReaderCallback
    HRESULT OnStatus(WMT_STATUS status, HRESULT result, WMT_ATTR_DATATYPE type, BYTE* value, void* context) override;
    HRESULT OnSample(DWORD output, QWORD time, QWORD duration, DWORD flags, INSSBuffer* sample, void* context) override;
    // IWMReaderCallbackAdvanced
    HRESULT OnStreamSample(WORD stream, QWORD time, QWORD duration, DWORD flags, INSSBuffer* sample,
                           void* context) override;
    HRESULT OnTime(QWORD time, void* context) override;
    HRESULT OnStreamSelection(WORD count, WORD* streams, WMT_STREAM_SELECTION* selections, void* context) override;
    HRESULT OnOutputPropsChanged(DWORD output, WM_MEDIA_TYPE* type, void* context) override;
    HRESULT AllocateForStream(WORD stream, DWORD size, INSSBuffer** buffer, void* context) override;
    HRESULT AllocateForOutput(DWORD output, DWORD size, INSSBuffer** buffer, void* context) override;

    // Positions in 100 ns units under the position lock; a stop below 0 is the end of the file.
    REFERENCE_TIME StartPosition();
    REFERENCE_TIME StopPosition();
    double Rate();
    REFERENCE_TIME Duration() const { return m_Duration; }
    // A new start while running flushes every pin and restarts the reader from it; a new stop
    // alone is stored.
    HRESULT Seek(const REFERENCE_TIME* start, const REFERENCE_TIME* stop);
    HRESULT SetRateValue(double rate);
    // The next time the reader may deliver to.
    QWORD DeliveryTime();
    bool EndOfFile();

private:
    enum class Wait { None, Open, Stop, Close };

    HRESULT Open();
    HRESULT StartReader();
    HRESULT StopReader();
    void ReleaseReader();
    void EndAllStreams();   // callback lock held
    void Deliver(QWORD time);   // callback lock held
    GxMovieOutputPinWMV* PinOf(WORD stream);

    IWMReader* m_Reader = nullptr;
    IStream* m_Input = nullptr;
    std::map<WORD, std::unique_ptr<GxMovieOutputPinWMV>> m_Pins;
    int m_PinCount = 0;
    CCritSec m_CallbackLock;
    HANDLE m_CommandEvent = nullptr;   // manual reset
    Wait m_Waiting = Wait::None;
    HRESULT m_CommandResult = S_OK;
    bool m_EndOfFile = false;
    CCritSec m_PositionLock;
    REFERENCE_TIME m_StartPosition = 0;
    REFERENCE_TIME m_StopPosition = -1;
    double m_Rate = 1.0;
    REFERENCE_TIME m_Duration = 0;
    QWORD m_DeliveryTime = 0;
    bool m_Started = false;
};
