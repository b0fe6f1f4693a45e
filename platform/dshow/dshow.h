// The DirectShow subset the movie player and its filters use: result and event codes, media
// types and formats, and the interfaces of pins, filters, samples, allocators, clocks and the
// filter graph. Our own declarations; identifiers the layer does not share with files on disk
// are of our choosing.
#pragma once

#include "platform/audio/wave_format.h"
#include "platform/win32/unknown.h"

#include <cstdint>

using REFERENCE_TIME = LONGLONG;   // 100 ns units
using REFTIME = double;            // seconds
using OAFilterState = LONG;
using OAEVENT = LONG_PTR;
using BSTR = WCHAR*;

constexpr REFERENCE_TIME kUnitsPerSecond = 10'000'000;
constexpr REFERENCE_TIME kMaxReferenceTime = 0x7FFFFFFFFFFFFFFFLL;

// Result codes. The ones with a fixed value are those files and callers compare with.
constexpr HRESULT VFW_E_BADALIGN = static_cast<HRESULT>(0x8004020Eu);
constexpr HRESULT VFW_E_WRONG_STATE = static_cast<HRESULT>(0x80040227u);
constexpr HRESULT VFW_E_TYPE_NOT_ACCEPTED = static_cast<HRESULT>(0x8004022Au);
constexpr HRESULT VFW_E_TIMEOUT = static_cast<HRESULT>(0x8004022Eu);
constexpr HRESULT VFW_E_NO_TRANSPORT = static_cast<HRESULT>(0x80040266u);
constexpr HRESULT OLE_S_FIRST = 0x00040000;
constexpr HRESULT VFW_S_NO_MORE_ITEMS = 0x00040103;
constexpr HRESULT VFW_S_PARTIAL_RENDER = 0x00040242;
constexpr HRESULT VFW_E_NOT_CONNECTED = static_cast<HRESULT>(0x80040209u);
constexpr HRESULT VFW_E_ALREADY_CONNECTED = static_cast<HRESULT>(0x80040204u);
constexpr HRESULT VFW_E_NO_ACCEPTABLE_TYPES = static_cast<HRESULT>(0x80040207u);
constexpr HRESULT VFW_E_INVALID_DIRECTION = static_cast<HRESULT>(0x80040208u);
constexpr HRESULT VFW_E_NO_ALLOCATOR = static_cast<HRESULT>(0x8004020Au);
constexpr HRESULT VFW_E_SIZENOTSET = static_cast<HRESULT>(0x80040212u);
constexpr HRESULT VFW_E_NOT_COMMITTED = static_cast<HRESULT>(0x80040211u);
constexpr HRESULT VFW_E_BUFFERS_OUTSTANDING = static_cast<HRESULT>(0x80040213u);
constexpr HRESULT VFW_E_NOT_STOPPED = static_cast<HRESULT>(0x80040224u);
constexpr HRESULT VFW_E_CANNOT_RENDER = static_cast<HRESULT>(0x80040218u);
constexpr HRESULT VFW_E_NOT_IN_GRAPH = static_cast<HRESULT>(0x8004025Fu);
constexpr HRESULT VFW_E_DUPLICATE_NAME = static_cast<HRESULT>(0x8004025Du);
constexpr HRESULT VFW_S_DUPLICATE_NAME = 0x0004022D;
constexpr HRESULT VFW_E_RUNTIME_ERROR = static_cast<HRESULT>(0x8004020Bu);
constexpr HRESULT VFW_E_ALREADY_COMMITTED = static_cast<HRESULT>(0x8004020Du);
constexpr HRESULT VFW_E_BUFFER_OVERFLOW = static_cast<HRESULT>(0x8004020Cu);
constexpr HRESULT VFW_E_SAMPLE_TIME_NOT_SET = static_cast<HRESULT>(0x80040249u);
constexpr HRESULT VFW_E_MEDIA_TIME_NOT_SET = static_cast<HRESULT>(0x80040251u);
constexpr HRESULT VFW_E_SAMPLE_REJECTED_EOS = static_cast<HRESULT>(0x80040250u);
constexpr HRESULT VFW_S_NO_STOP_TIME = 0x00040270;
constexpr HRESULT VFW_E_NO_CLOCK = static_cast<HRESULT>(0x80040213u + 0x40);
constexpr HRESULT VFW_E_NOT_FOUND = static_cast<HRESULT>(0x80040216u);

// Event codes.
constexpr LONG EC_COMPLETE = 1;
constexpr LONG EC_USERABORT = 2;
constexpr LONG EC_ERRORABORT = 3;

// Seeking.
constexpr DWORD AM_SEEKING_CanSeekAbsolute = 0x1;
constexpr DWORD AM_SEEKING_CanSeekForwards = 0x2;
constexpr DWORD AM_SEEKING_CanSeekBackwards = 0x4;
constexpr DWORD AM_SEEKING_CanGetStopPos = 0x10;
constexpr DWORD AM_SEEKING_CanGetDuration = 0x20;
static_assert((AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanSeekForwards | AM_SEEKING_CanSeekBackwards |
               AM_SEEKING_CanGetStopPos | AM_SEEKING_CanGetDuration) == 55);

constexpr DWORD AM_SEEKING_NoPositioning = 0x0;
constexpr DWORD AM_SEEKING_AbsolutePositioning = 0x1;
constexpr DWORD AM_SEEKING_RelativePositioning = 0x2;
constexpr DWORD AM_SEEKING_IncrementalPositioning = 0x3;
constexpr DWORD AM_SEEKING_PositioningBitsMask = 0x3;
constexpr DWORD AM_SEEKING_ReturnTime = 0x8;

// Filter states.
enum FILTER_STATE : LONG { State_Stopped = 0, State_Paused = 1, State_Running = 2 };
enum PIN_DIRECTION : LONG { PINDIR_INPUT = 0, PINDIR_OUTPUT = 1 };

// Sample properties of IMediaSample2-style flags kept by our samples.
constexpr DWORD AM_SAMPLE_SPLICEPOINT = 0x1;
constexpr DWORD AM_SAMPLE_PREROLL = 0x2;
constexpr DWORD AM_SAMPLE_DATADISCONTINUITY = 0x4;

// GUIDs: FOURCC-derived media types follow the usual {fourcc-0000-0010-8000-00AA00389B71}.
constexpr GUID FourCCGuid(DWORD fourcc)
{
    return {fourcc, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}
constexpr DWORD MakeFourCC(char a, char b, char c, char d)
{
    return static_cast<DWORD>(static_cast<BYTE>(a)) | (static_cast<DWORD>(static_cast<BYTE>(b)) << 8) |
           (static_cast<DWORD>(static_cast<BYTE>(c)) << 16) | (static_cast<DWORD>(static_cast<BYTE>(d)) << 24);
}
// Our own identifiers: one family, told apart by the first field.
constexpr GUID TarnwickDshowGuid(DWORD id)
{
    return {id, 0x7A31, 0x4C2E, {0x9D, 0x05, 0x3B, 0x61, 0x2F, 0x84, 0xC0, 0x17}};
}


inline constexpr GUID MEDIATYPE_Video = FourCCGuid(MakeFourCC('v', 'i', 'd', 's'));
inline constexpr GUID MEDIATYPE_Audio = FourCCGuid(MakeFourCC('a', 'u', 'd', 's'));
inline constexpr GUID MEDIATYPE_Stream = TarnwickDshowGuid(0x0001);

inline constexpr GUID MEDIASUBTYPE_PCM = FourCCGuid(WAVE_FORMAT_PCM);
inline constexpr GUID MEDIASUBTYPE_Avi = TarnwickDshowGuid(0x0101);
inline constexpr GUID MEDIASUBTYPE_MPEG1System = TarnwickDshowGuid(0x0102);
inline constexpr GUID MEDIASUBTYPE_MPEG1Video = TarnwickDshowGuid(0x0103);
inline constexpr GUID MEDIASUBTYPE_MPEG1VideoCD = TarnwickDshowGuid(0x0104);
inline constexpr GUID MEDIASUBTYPE_QTMovie = TarnwickDshowGuid(0x0105);
inline constexpr GUID MEDIASUBTYPE_MPEG1Audio = TarnwickDshowGuid(0x0106);
inline constexpr GUID MEDIASUBTYPE_WAVE = TarnwickDshowGuid(0x0107);
inline constexpr GUID MEDIASUBTYPE_Asf = TarnwickDshowGuid(0x0108);
inline constexpr GUID MEDIASUBTYPE_MPEG2_VIDEO = TarnwickDshowGuid(0x0109);
inline constexpr GUID MEDIASUBTYPE_RGB24 = TarnwickDshowGuid(0x0110);
inline constexpr GUID MEDIASUBTYPE_RGB32 = TarnwickDshowGuid(0x0111);

inline constexpr GUID FORMAT_None = TarnwickDshowGuid(0x0201);
inline constexpr GUID FORMAT_VideoInfo = TarnwickDshowGuid(0x0202);
inline constexpr GUID FORMAT_WaveFormatEx = TarnwickDshowGuid(0x0203);

inline constexpr GUID TIME_FORMAT_NONE = GUID_NULL;
inline constexpr GUID TIME_FORMAT_MEDIA_TIME = TarnwickDshowGuid(0x0301);

inline constexpr IID IID_IPin = TarnwickDshowGuid(0x1001);
inline constexpr IID IID_IBaseFilter = TarnwickDshowGuid(0x1002);
inline constexpr IID IID_IMediaFilter = TarnwickDshowGuid(0x1003);
inline constexpr IID IID_IEnumPins = TarnwickDshowGuid(0x1004);
inline constexpr IID IID_IMediaSample = TarnwickDshowGuid(0x1005);
inline constexpr IID IID_IMemAllocator = TarnwickDshowGuid(0x1006);
inline constexpr IID IID_IMemInputPin = TarnwickDshowGuid(0x1007);
inline constexpr IID IID_IReferenceClock = TarnwickDshowGuid(0x1008);
inline constexpr IID IID_IMediaSeeking = TarnwickDshowGuid(0x1009);
inline constexpr IID IID_IQualProp = TarnwickDshowGuid(0x100A);
inline constexpr IID IID_IQualityControl = TarnwickDshowGuid(0x100B);
inline constexpr IID IID_IMediaEventSink = TarnwickDshowGuid(0x100C);
inline constexpr IID IID_IFilterGraph = TarnwickDshowGuid(0x100D);
inline constexpr IID IID_IGraphBuilder = TarnwickDshowGuid(0x100E);
inline constexpr IID IID_IMediaControl = TarnwickDshowGuid(0x100F);
inline constexpr IID IID_IMediaPosition = TarnwickDshowGuid(0x1010);
inline constexpr IID IID_IMediaEvent = TarnwickDshowGuid(0x1011);
inline constexpr IID IID_IMediaEventEx = TarnwickDshowGuid(0x1012);
inline constexpr IID IID_IBasicAudio = TarnwickDshowGuid(0x1013);
inline constexpr IID IID_IAsyncReader = {0x56A868AA, 0x0AD4, 0x11CE, {0xB0, 0x3A, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

inline constexpr CLSID CLSID_FilterGraph = TarnwickDshowGuid(0x2001);
inline constexpr CLSID CLSID_MemoryAllocator = TarnwickDshowGuid(0x2002);
inline constexpr CLSID CLSID_AudioRender = TarnwickDshowGuid(0x2003);

// Media types and formats.
struct AM_MEDIA_TYPE {
    GUID majortype;
    GUID subtype;
    BOOL bFixedSizeSamples;
    BOOL bTemporalCompression;
    ULONG lSampleSize;
    GUID formattype;
    IUnknown* pUnk;
    ULONG cbFormat;
    BYTE* pbFormat;   // allocated with CoTaskMemAlloc
};

struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};

constexpr DWORD BI_RGB = 0;

struct VIDEOINFOHEADER {
    RECT rcSource;
    RECT rcTarget;
    DWORD dwBitRate;
    DWORD dwBitErrorRate;
    REFERENCE_TIME AvgTimePerFrame;
    BITMAPINFOHEADER bmiHeader;
};

struct ALLOCATOR_PROPERTIES {
    LONG cBuffers;
    LONG cbBuffer;
    LONG cbAlign;
    LONG cbPrefix;
};

struct Quality {
    LONG Type;   // 0 famine, 1 flood
    LONG Proportion;
    REFERENCE_TIME Late;
    REFERENCE_TIME TimeStamp;
};

struct IBaseFilter;
struct IFilterGraph;
struct IPin;

constexpr int MAX_PIN_NAME = 128;
constexpr int MAX_FILTER_NAME = 128;

struct PIN_INFO {
    IBaseFilter* pFilter;   // counted: the caller releases it
    PIN_DIRECTION dir;
    WCHAR achName[MAX_PIN_NAME];
};

struct FILTER_INFO {
    WCHAR achName[MAX_FILTER_NAME];
    IFilterGraph* pGraph;   // counted when present
};

// Memory for media type formats and event parameters.
void* CoTaskMemAlloc(SIZE_T size);
void CoTaskMemFree(void* memory);

// --- interfaces -------------------------------------------------------------------------

struct IMediaSample : IUnknown {
    virtual HRESULT GetPointer(BYTE** buffer) = 0;
    virtual LONG GetSize() = 0;
    virtual HRESULT GetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) = 0;
    virtual HRESULT SetTime(REFERENCE_TIME* start, REFERENCE_TIME* end) = 0;
    virtual HRESULT IsSyncPoint() = 0;
    virtual HRESULT SetSyncPoint(BOOL isSyncPoint) = 0;
    virtual HRESULT IsPreroll() = 0;
    virtual HRESULT SetPreroll(BOOL isPreroll) = 0;
    virtual LONG GetActualDataLength() = 0;
    virtual HRESULT SetActualDataLength(LONG length) = 0;
    virtual HRESULT GetMediaType(AM_MEDIA_TYPE** type) = 0;
    virtual HRESULT SetMediaType(AM_MEDIA_TYPE* type) = 0;
    virtual HRESULT IsDiscontinuity() = 0;
    virtual HRESULT SetDiscontinuity(BOOL discontinuity) = 0;
    virtual HRESULT GetMediaTime(LONGLONG* start, LONGLONG* end) = 0;
    virtual HRESULT SetMediaTime(LONGLONG* start, LONGLONG* end) = 0;
};

struct IMemAllocator : IUnknown {
    virtual HRESULT SetProperties(ALLOCATOR_PROPERTIES* request, ALLOCATOR_PROPERTIES* actual) = 0;
    virtual HRESULT GetProperties(ALLOCATOR_PROPERTIES* properties) = 0;
    virtual HRESULT Commit() = 0;
    virtual HRESULT Decommit() = 0;
    // Blocks while every buffer is out (unless AM_GBF_NOWAIT); a Decommit frees the waiter
    // with VFW_E_NOT_COMMITTED.
    virtual HRESULT GetBuffer(IMediaSample** sample, REFERENCE_TIME* start, REFERENCE_TIME* end, DWORD flags) = 0;
    virtual HRESULT ReleaseBuffer(IMediaSample* sample) = 0;
};
constexpr DWORD AM_GBF_NOWAIT = 0x4;

struct IMemInputPin : IUnknown {
    virtual HRESULT GetAllocator(IMemAllocator** allocator) = 0;
    virtual HRESULT NotifyAllocator(IMemAllocator* allocator, BOOL readOnly) = 0;
    virtual HRESULT GetAllocatorRequirements(ALLOCATOR_PROPERTIES* properties) = 0;
    virtual HRESULT Receive(IMediaSample* sample) = 0;
    virtual HRESULT ReceiveMultiple(IMediaSample** samples, LONG count, LONG* processed) = 0;
    virtual HRESULT ReceiveCanBlock() = 0;
};

struct IAsyncReader : IUnknown {
    virtual HRESULT RequestAllocator(IMemAllocator* preferred, ALLOCATOR_PROPERTIES* properties,
                                     IMemAllocator** actual) = 0;
    virtual HRESULT Request(IMediaSample* sample, DWORD_PTR user) = 0;
    virtual HRESULT WaitForNext(DWORD timeout, IMediaSample** sample, DWORD_PTR* user) = 0;
    virtual HRESULT SyncReadAligned(IMediaSample* sample) = 0;
    virtual HRESULT SyncRead(LONGLONG position, LONG length, BYTE* buffer) = 0;
    virtual HRESULT Length(LONGLONG* total, LONGLONG* available) = 0;
    virtual HRESULT BeginFlush() = 0;
    virtual HRESULT EndFlush() = 0;
};

struct IPin : IUnknown {
    // Output pins: agree a type with `receivePin` and connect to it.
    virtual HRESULT Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) = 0;
    // Input pins: accept or refuse the connection the output pin offers.
    virtual HRESULT ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) = 0;
    virtual HRESULT Disconnect() = 0;
    virtual HRESULT ConnectedTo(IPin** pin) = 0;
    virtual HRESULT ConnectionMediaType(AM_MEDIA_TYPE* type) = 0;
    virtual HRESULT QueryPinInfo(PIN_INFO* info) = 0;
    virtual HRESULT QueryDirection(PIN_DIRECTION* direction) = 0;
    virtual HRESULT QueryAccept(const AM_MEDIA_TYPE* type) = 0;
    virtual HRESULT EndOfStream() = 0;
    virtual HRESULT BeginFlush() = 0;
    virtual HRESULT EndFlush() = 0;
    virtual HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) = 0;
};

struct IEnumPins : IUnknown {
    virtual HRESULT Next(ULONG count, IPin** pins, ULONG* fetched) = 0;
    virtual HRESULT Skip(ULONG count) = 0;
    virtual HRESULT Reset() = 0;
};

struct IReferenceClock : IUnknown {
    virtual HRESULT GetTime(REFERENCE_TIME* time) = 0;
    // Sets `event` (an event handle) once the clock reaches base + stream time.
    virtual HRESULT AdviseTime(REFERENCE_TIME baseTime, REFERENCE_TIME streamTime, HANDLE event,
                               DWORD_PTR* cookie) = 0;
    virtual HRESULT AdvisePeriodic(REFERENCE_TIME start, REFERENCE_TIME period, HANDLE semaphore,
                                   DWORD_PTR* cookie) = 0;
    virtual HRESULT Unadvise(DWORD_PTR cookie) = 0;
};

struct IMediaFilter : IUnknown {
    virtual HRESULT GetClassID(CLSID* clsid) = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT Pause() = 0;
    virtual HRESULT Run(REFERENCE_TIME start) = 0;
    virtual HRESULT GetState(DWORD timeout, FILTER_STATE* state) = 0;
    virtual HRESULT SetSyncSource(IReferenceClock* clock) = 0;
    virtual HRESULT GetSyncSource(IReferenceClock** clock) = 0;
};

struct IBaseFilter : IMediaFilter {
    virtual HRESULT EnumPins(IEnumPins** pins) = 0;
    virtual HRESULT FindPin(LPCWSTR id, IPin** pin) = 0;
    virtual HRESULT QueryFilterInfo(FILTER_INFO* info) = 0;
    // The graph calls this as it takes the filter in (null when it lets it go); not counted.
    virtual HRESULT JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) = 0;
};

struct IMediaSeeking : IUnknown {
    virtual HRESULT GetCapabilities(DWORD* capabilities) = 0;
    virtual HRESULT CheckCapabilities(DWORD* capabilities) = 0;
    virtual HRESULT IsFormatSupported(const GUID* format) = 0;
    virtual HRESULT QueryPreferredFormat(GUID* format) = 0;
    virtual HRESULT GetTimeFormat(GUID* format) = 0;
    virtual HRESULT IsUsingTimeFormat(const GUID* format) = 0;
    virtual HRESULT SetTimeFormat(const GUID* format) = 0;
    virtual HRESULT GetDuration(LONGLONG* duration) = 0;
    virtual HRESULT GetStopPosition(LONGLONG* stop) = 0;
    virtual HRESULT GetCurrentPosition(LONGLONG* current) = 0;
    virtual HRESULT ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                      const GUID* sourceFormat) = 0;
    virtual HRESULT SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags) = 0;
    virtual HRESULT GetPositions(LONGLONG* current, LONGLONG* stop) = 0;
    virtual HRESULT GetAvailable(LONGLONG* earliest, LONGLONG* latest) = 0;
    virtual HRESULT SetRate(double rate) = 0;
    virtual HRESULT GetRate(double* rate) = 0;
    virtual HRESULT GetPreroll(LONGLONG* preroll) = 0;
};

struct IQualProp : IUnknown {
    virtual HRESULT get_FramesDroppedInRenderer(int* frames) = 0;
    virtual HRESULT get_FramesDrawn(int* frames) = 0;
    virtual HRESULT get_AvgFrameRate(int* rate) = 0;   // hundredths of frames per second
    virtual HRESULT get_Jitter(int* jitter) = 0;
    virtual HRESULT get_AvgSyncOffset(int* offset) = 0;
    virtual HRESULT get_DevSyncOffset(int* deviation) = 0;
};

struct IQualityControl : IUnknown {
    virtual HRESULT Notify(IBaseFilter* self, Quality quality) = 0;
    virtual HRESULT SetSink(IQualityControl* sink) = 0;
};

struct IMediaEventSink : IUnknown {
    virtual HRESULT Notify(LONG code, LONG_PTR param1, LONG_PTR param2) = 0;
};

struct IFilterGraph : IUnknown {
    virtual HRESULT AddFilter(IBaseFilter* filter, LPCWSTR name) = 0;
    virtual HRESULT RemoveFilter(IBaseFilter* filter) = 0;
    virtual HRESULT FindFilterByName(LPCWSTR name, IBaseFilter** filter) = 0;
    virtual HRESULT ConnectDirect(IPin* output, IPin* input, const AM_MEDIA_TYPE* type) = 0;
    virtual HRESULT Disconnect(IPin* pin) = 0;
};

struct IGraphBuilder : IFilterGraph {
    virtual HRESULT Connect(IPin* output, IPin* input) = 0;
    virtual HRESULT Render(IPin* output) = 0;
};

struct IMediaControl : IUnknown {
    virtual HRESULT Run() = 0;
    virtual HRESULT Pause() = 0;
    virtual HRESULT Stop() = 0;
    virtual HRESULT GetState(LONG timeout, OAFilterState* state) = 0;
};

struct IMediaPosition : IUnknown {
    virtual HRESULT get_Duration(REFTIME* length) = 0;
    virtual HRESULT put_CurrentPosition(REFTIME time) = 0;
    virtual HRESULT get_CurrentPosition(REFTIME* time) = 0;
    virtual HRESULT get_StopTime(REFTIME* time) = 0;
    virtual HRESULT put_StopTime(REFTIME time) = 0;
    virtual HRESULT put_Rate(double rate) = 0;
    virtual HRESULT get_Rate(double* rate) = 0;
};

struct IMediaEvent : IUnknown {
    virtual HRESULT GetEventHandle(OAEVENT* event) = 0;
    // Takes the oldest event; E_ABORT when none comes within `timeout` ms (0 never waits).
    virtual HRESULT GetEvent(LONG* code, LONG_PTR* param1, LONG_PTR* param2, LONG timeout) = 0;
    virtual HRESULT WaitForCompletion(LONG timeout, LONG* code) = 0;
    virtual HRESULT FreeEventParams(LONG code, LONG_PTR param1, LONG_PTR param2) = 0;
};

struct IBasicAudio : IUnknown {
    // Hundredths of a decibel, -10,000 to 0.
    virtual HRESULT put_Volume(LONG volume) = 0;
    virtual HRESULT get_Volume(LONG* volume) = 0;
    virtual HRESULT put_Balance(LONG balance) = 0;
    virtual HRESULT get_Balance(LONG* balance) = 0;
};
