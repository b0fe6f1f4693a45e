#include "media/movie_reader_wmv.h"

#include "media/movie_sample_wmv.h"
#include "platform/dshow/media_seeking.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <optional>
#include <vector>

namespace {

constexpr QWORD kDeliverAhead = 10'000'000;   // one second
constexpr LONG kQueueBatch = 8;
constexpr LONG kQueueList = 10;
// A batch's buffers come back only once its last sample is through downstream: with buffers for
// one batch alone the reader would wait that long for the next one, and its first frame would
// be late. Two batches and two more keep it a batch ahead.
constexpr LONG kPinBuffers = 2 * kQueueBatch + 2;

template <typename T>
void ReleaseAndClear(T*& pointer)
{
    if (pointer) pointer->Release();
    pointer = nullptr;
}

}  // namespace

// --- output pin ----------------------------------------------------------------------------

GxMovieOutputPinWMV::GxMovieOutputPinWMV(GxMovieReaderWMV* filter, CCritSec* lock, HRESULT* result, LPCWSTR name,
                                         WORD stream, const CMediaType& type, LONG bufferSize)
    : CBaseOutputPin(u"GxMovieOutputPinWMV", filter, lock, result, name),
      m_Reader(filter),
      m_StreamNumber(stream),
      m_Type(type),
      m_BufferSize(bufferSize),
      m_BufferCount(kPinBuffers)
{
}

GxMovieOutputPinWMV::~GxMovieOutputPinWMV() = default;

HRESULT GxMovieOutputPinWMV::NonDelegatingQueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    if (riid == IID_IMediaSeeking) return GetInterface(static_cast<IMediaSeeking*>(this), object);
    return CBaseOutputPin::NonDelegatingQueryInterface(riid, object);
}

HRESULT GxMovieOutputPinWMV::GetMediaType(int position, CMediaType* type)
{
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    if (!type) return E_POINTER;
    *type = m_Type;
    return S_OK;
}

HRESULT GxMovieOutputPinWMV::CheckMediaType(const CMediaType* type)
{
    return type && *type == m_Type ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT GxMovieOutputPinWMV::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request)
{
    if (!allocator || !request) return E_POINTER;
    ALLOCATOR_PROPERTIES wanted = *request;
    wanted.cbBuffer = m_BufferSize;
    wanted.cBuffers = m_BufferCount;
    ALLOCATOR_PROPERTIES actual{};
    const HRESULT hr = allocator->SetProperties(&wanted, &actual);
    if (FAILED(hr)) return hr;
    return actual.cbBuffer < wanted.cbBuffer || actual.cBuffers < wanted.cBuffers ? E_OUTOFMEMORY : S_OK;
}

HRESULT GxMovieOutputPinWMV::Active()
{
    const HRESULT hr = CBaseOutputPin::Active();
    if (FAILED(hr)) return hr;
    m_NewSegmentPending = true;
    m_FirstSample = true;
    if (!m_Queue && m_Connected) {
        HRESULT queued = S_OK;
        m_Queue = std::make_unique<COutputQueue>(m_Connected, &queued, FALSE, TRUE, kQueueBatch, TRUE, kQueueList,
                                                 THREAD_PRIORITY_NORMAL);
        if (FAILED(queued)) {
            m_Queue.reset();
            return queued;
        }
    }
    return S_OK;
}

HRESULT GxMovieOutputPinWMV::BreakConnect()
{
    // The queue holds the input pin it was made on.
    m_Queue.reset();
    return CBaseOutputPin::BreakConnect();
}

HRESULT GxMovieOutputPinWMV::DeliverEndOfStream()
{
    if (!m_Queue) return VFW_E_NOT_CONNECTED;
    m_Queue->EOS();
    return S_OK;
}

HRESULT GxMovieOutputPinWMV::DeliverBeginFlush()
{
    if (!m_Queue) return VFW_E_NOT_CONNECTED;
    m_Queue->BeginFlush();
    return S_OK;
}

HRESULT GxMovieOutputPinWMV::DeliverEndFlush()
{
    if (!m_Queue) return VFW_E_NOT_CONNECTED;
    m_Queue->EndFlush();
    m_NewSegmentPending = true;
    return S_OK;
}

HRESULT GxMovieOutputPinWMV::DeliverSample(IMediaSample* sample, DWORD flags)
{
    if (!m_Queue) {
        sample->Release();
        return VFW_E_NOT_CONNECTED;
    }
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    if (SUCCEEDED(sample->GetTime(&start, &stop)) && start < 0) sample->SetPreroll(TRUE);
    if (flags & WM_SF_CLEANPOINT) sample->SetSyncPoint(TRUE);
    // Sound streams mark gaps the decoder need not restart at; only the first one counts.
    if (!m_FirstSample && m_Type.majortype == MEDIATYPE_Audio) flags &= ~WM_SF_DISCONTINUITY;
    m_FirstSample = false;
    if (flags & (WM_SF_DISCONTINUITY | WM_SF_DATALOSS)) sample->SetDiscontinuity(TRUE);
    if (m_NewSegmentPending) {
        m_NewSegmentPending = false;
        sample->SetDiscontinuity(TRUE);
        const REFERENCE_TIME end = m_Reader->StopPosition();
        m_Queue->NewSegment(m_Reader->StartPosition(), end < 0 ? kMaxReferenceTime : end, m_Reader->Rate());
    }
    return m_Queue->Receive(sample);
}

HRESULT GxMovieOutputPinWMV::GetCapabilities(DWORD* capabilities)
{
    return MediaTimeGetCapabilities(capabilities);
}

HRESULT GxMovieOutputPinWMV::CheckCapabilities(DWORD* capabilities)
{
    return MediaTimeCheckCapabilities(capabilities);
}

HRESULT GxMovieOutputPinWMV::IsFormatSupported(const GUID* format)
{
    return MediaTimeIsFormatSupported(format);
}

HRESULT GxMovieOutputPinWMV::QueryPreferredFormat(GUID* format)
{
    return MediaTimeQueryPreferredFormat(format);
}

HRESULT GxMovieOutputPinWMV::GetTimeFormat(GUID* format) { return QueryPreferredFormat(format); }

HRESULT GxMovieOutputPinWMV::IsUsingTimeFormat(const GUID* format) { return IsFormatSupported(format); }

HRESULT GxMovieOutputPinWMV::SetTimeFormat(const GUID* format)
{
    return MediaTimeSetTimeFormat(format);
}

HRESULT GxMovieOutputPinWMV::GetDuration(LONGLONG* duration)
{
    if (!duration) return E_POINTER;
    *duration = m_Reader->Duration();
    return S_OK;
}

HRESULT GxMovieOutputPinWMV::GetStopPosition(LONGLONG* stop)
{
    if (!stop) return E_POINTER;
    const REFERENCE_TIME end = m_Reader->StopPosition();
    *stop = end < 0 ? m_Reader->Duration() : end;
    return S_OK;
}

HRESULT GxMovieOutputPinWMV::GetCurrentPosition(LONGLONG* current)
{
    if (!current) return E_POINTER;
    *current = m_Reader->StartPosition();
    return S_OK;
}

HRESULT GxMovieOutputPinWMV::ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                               const GUID* sourceFormat)
{
    return MediaTimeConvertTimeFormat(target, targetFormat, source, sourceFormat);
}

HRESULT GxMovieOutputPinWMV::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags)
{
    const REFERENCE_TIME oldStop = m_Reader->StopPosition();
    const std::optional<REFERENCE_TIME> start = ResolveSeekingPosition(current, currentFlags, m_Reader->StartPosition());
    const std::optional<REFERENCE_TIME> end =
        ResolveSeekingPosition(stop, stopFlags, oldStop < 0 ? m_Reader->Duration() : oldStop);
    const HRESULT hr = m_Reader->Seek(start ? &*start : nullptr, end ? &*end : nullptr);
    if (current && (currentFlags & AM_SEEKING_ReturnTime)) *current = m_Reader->StartPosition();
    if (stop && (stopFlags & AM_SEEKING_ReturnTime)) GetStopPosition(stop);
    return hr;
}

HRESULT GxMovieOutputPinWMV::GetPositions(LONGLONG* current, LONGLONG* stop)
{
    if (current) GetCurrentPosition(current);
    if (stop) GetStopPosition(stop);
    return S_OK;
}

HRESULT GxMovieOutputPinWMV::GetAvailable(LONGLONG* earliest, LONGLONG* latest)
{
    if (earliest) *earliest = 0;
    if (latest) *latest = m_Reader->Duration();
    return S_OK;
}

HRESULT GxMovieOutputPinWMV::SetRate(double rate) { return m_Reader->SetRateValue(rate); }

HRESULT GxMovieOutputPinWMV::GetRate(double* rate)
{
    if (!rate) return E_POINTER;
    *rate = m_Reader->Rate();
    return S_OK;
}

HRESULT GxMovieOutputPinWMV::GetPreroll(LONGLONG* preroll)
{
    if (!preroll) return E_POINTER;
    *preroll = 0;
    return S_OK;
}

// --- filter --------------------------------------------------------------------------------

GxMovieReaderWMV::GxMovieReaderWMV(REFCLSID clsid, LPCWSTR name, LPUNKNOWN outer, CAsyncStream* stream,
                                   HRESULT* result)
    : GxMovieReader(name, outer, stream, result)
{
    m_Clsid = clsid;
    m_CommandEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    auto* input = new GxMovieStreamInputWMV(stream);
    input->NonDelegatingQueryInterface(IID_IStream, reinterpret_cast<void**>(&m_Input));
    // The reader counts on its callback while it is open; the count this object starts with is
    // its creator's to add, so the construction holds one of its own meanwhile.
    ++m_RefCount;
    const HRESULT hr = Open();
    --m_RefCount;
    if (result) *result = hr;
}

GxMovieReaderWMV::~GxMovieReaderWMV()
{
    // Reached with the reader closed (it counts on this object while open) or never opened.
    ReleaseReader();
    m_Pins.clear();
    ReleaseAndClear(m_Input);
    if (m_CommandEvent) CloseHandle(m_CommandEvent);
}

HRESULT GxMovieReaderWMV::NonDelegatingQueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    if (riid == IID_IWMStatusCallback || riid == IID_IWMReaderCallback)
        return GetInterface(static_cast<IWMReaderCallback*>(this), object);
    if (riid == IID_IWMReaderCallbackAdvanced)
        return GetInterface(static_cast<IWMReaderCallbackAdvanced*>(this), object);
    return GxMovieReader::NonDelegatingQueryInterface(riid, object);
}

int GxMovieReaderWMV::GetPinCount() { return m_PinCount; }

CBasePin* GxMovieReaderWMV::GetPin(int n)
{
    if (n < 0 || n >= m_PinCount) return nullptr;
    auto it = m_Pins.begin();
    std::advance(it, n);
    return it->second.get();
}

HRESULT GxMovieReaderWMV::Open()
{
    ReleaseReader();
    if (FAILED(WMCreateReader(nullptr, 0, &m_Reader)) || !m_Reader) {
        m_Reader = nullptr;
        return E_FAIL;
    }
    IWMReaderAdvanced2* advanced = nullptr;
    if (FAILED(m_Reader->QueryInterface(IID_IWMReaderAdvanced2, reinterpret_cast<void**>(&advanced))) || !advanced) {
        ReleaseReader();
        return E_NOINTERFACE;
    }
    {
        CAutoLock lock(&m_CallbackLock);
        m_Waiting = Wait::Open;
        ResetEvent(m_CommandEvent);
    }
    HRESULT hr = advanced->OpenStream(m_Input, static_cast<IWMReaderCallback*>(this), nullptr);
    if (FAILED(hr)) {
        advanced->Release();
        ReleaseReader();
        return hr;
    }
    WaitForSingleObject(m_CommandEvent, INFINITE);
    {
        CAutoLock lock(&m_CallbackLock);
        hr = m_CommandResult;
    }
    if (FAILED(hr)) {
        advanced->Release();
        ReleaseReader();
        return hr;
    }

    // From here on the reader is open: a failure closes it again, so that it lets go of this
    // object before the creator deletes it.
    const auto fail = [&](HRESULT failure) {
        advanced->Release();
        Shutdown();
        m_Pins.clear();
        m_PinCount = 0;
        return failure;
    };
    IWMProfile* profile = nullptr;
    if (FAILED(m_Reader->QueryInterface(IID_IWMProfile, reinterpret_cast<void**>(&profile))) || !profile)
        return fail(E_NOINTERFACE);
    DWORD count = 0;
    if (FAILED(profile->GetStreamCount(&count)) || count == 0) {
        profile->Release();
        return fail(E_INVALIDARG);
    }
    for (DWORD i = 0; i < count; ++i) {
        IWMStreamConfig* config = nullptr;
        if (FAILED(profile->GetStream(i, &config)) || !config) continue;
        WORD number = 0;
        WMT_STREAM_SELECTION selection = WMT_OFF;
        if (FAILED(config->GetStreamNumber(&number)) || FAILED(advanced->GetStreamSelected(number, &selection)) ||
            selection == WMT_OFF) {
            config->Release();
            continue;
        }
        advanced->SetReceiveStreamSamples(number, TRUE);
        advanced->SetAllocateForStream(number, TRUE);
        WORD length = 0;
        std::u16string name;
        if (SUCCEEDED(config->GetStreamName(nullptr, &length)) && length > 0) {
            std::vector<WCHAR> text(length);
            if (SUCCEEDED(config->GetStreamName(text.data(), &length))) name.assign(text.data());
        }
        CMediaType type;
        IWMMediaProps* props = nullptr;
        if (SUCCEEDED(config->QueryInterface(IID_IWMMediaProps, reinterpret_cast<void**>(&props))) && props) {
            DWORD size = 0;
            if (SUCCEEDED(props->GetMediaType(nullptr, &size)) && size >= sizeof(WM_MEDIA_TYPE)) {
                std::vector<std::max_align_t> block((size + sizeof(std::max_align_t) - 1) / sizeof(std::max_align_t));
                auto* wmType = reinterpret_cast<WM_MEDIA_TYPE*>(block.data());
                if (SUCCEEDED(props->GetMediaType(wmType, &size))) type = *wmType;
            }
            props->Release();
        }
        config->Release();
        DWORD maxSize = 0;
        advanced->GetMaxStreamSampleSize(number, &maxSize);
        HRESULT pinResult = S_OK;
        m_Pins[number] = std::make_unique<GxMovieOutputPinWMV>(this, FilterLock(), &pinResult, name.c_str(), number,
                                                               type, static_cast<LONG>(maxSize));
    }
    profile->Release();
    m_PinCount = static_cast<int>(m_Pins.size());
    advanced->SetUserProvidedClock(TRUE);

    IWMHeaderInfo* header = nullptr;
    if (SUCCEEDED(m_Reader->QueryInterface(IID_IWMHeaderInfo, reinterpret_cast<void**>(&header))) && header) {
        WORD streamNumber = 0;
        WMT_ATTR_DATATYPE type = WMT_TYPE_QWORD;
        QWORD value = 0;
        WORD length = sizeof(value);
        if (SUCCEEDED(header->GetAttributeByName(&streamNumber, u"Duration", &type, reinterpret_cast<BYTE*>(&value),
                                                 &length)) &&
            length == sizeof(QWORD))
            m_Duration = static_cast<REFERENCE_TIME>(value);
        header->Release();
    }
    advanced->Release();
    return S_OK;
}

void GxMovieReaderWMV::ReleaseReader()
{
    // The reader's last release waits for its thread, which lets go of the callback.
    ReleaseAndClear(m_Reader);
}

void GxMovieReaderWMV::Shutdown()
{
    if (!m_Reader) return;
    {
        CAutoLock lock(&m_CallbackLock);
        m_Waiting = Wait::Close;
        ResetEvent(m_CommandEvent);
    }
    if (SUCCEEDED(m_Reader->Close())) WaitForSingleObject(m_CommandEvent, INFINITE);
    {
        CAutoLock lock(&m_CallbackLock);
        m_Waiting = Wait::None;
    }
    m_Started = false;
    ReleaseReader();
}

HRESULT GxMovieReaderWMV::StartReader()
{
    if (!m_Reader) return VFW_E_WRONG_STATE;
    {
        CAutoLock lock(&m_CallbackLock);
        m_EndOfFile = false;
    }
    REFERENCE_TIME start = 0;
    double rate = 1.0;
    {
        CAutoLock lock(&m_PositionLock);
        start = m_StartPosition;
        rate = m_Rate;
    }
    // The reader takes rates of 1 to 10 either way; anything beyond is held at the limit.
    if (rate > 10.0) rate = 10.0;
    if (rate < -10.0) rate = -10.0;
    const HRESULT hr = m_Reader->Start(static_cast<QWORD>(std::max<REFERENCE_TIME>(0, start)), 0,
                                       static_cast<float>(rate), nullptr);
    m_Started = SUCCEEDED(hr);
    return hr;
}

HRESULT GxMovieReaderWMV::StopReader()
{
    if (!m_Reader) return VFW_E_WRONG_STATE;
    {
        CAutoLock lock(&m_CallbackLock);
        m_Waiting = Wait::Stop;
        ResetEvent(m_CommandEvent);
    }
    HRESULT hr = m_Reader->Stop();
    if (SUCCEEDED(hr)) {
        WaitForSingleObject(m_CommandEvent, INFINITE);
        CAutoLock lock(&m_CallbackLock);
        hr = m_CommandResult;
    } else {
        CAutoLock lock(&m_CallbackLock);
        m_Waiting = Wait::None;
    }
    m_Started = false;
    return hr;
}

HRESULT GxMovieReaderWMV::Pause()
{
    CAutoLock lock(FilterLock());
    const bool wasStopped = m_State == State_Stopped;
    const HRESULT hr = CBaseFilter::Pause();
    if (SUCCEEDED(hr) && wasStopped) StartReader();
    return hr;
}

HRESULT GxMovieReaderWMV::Stop()
{
    CAutoLock lock(FilterLock());
    // The decommit frees a reader thread waiting for a buffer; the flush one waiting for room
    // in a queue.
    const HRESULT hr = CBaseFilter::Stop();
    if (m_Started) {
        for (auto& [number, pin] : m_Pins) pin->DeliverBeginFlush();
        StopReader();
        for (auto& [number, pin] : m_Pins) pin->DeliverEndFlush();
    }
    return hr;
}

HRESULT GxMovieReaderWMV::Seek(const REFERENCE_TIME* start, const REFERENCE_TIME* stop)
{
    if (!start) {
        if (stop) {
            CAutoLock lock(&m_PositionLock);
            m_StopPosition = *stop;
        }
        return S_OK;
    }
    CAutoLock filter(FilterLock());
    if (m_Started) {
        for (auto& [number, pin] : m_Pins) pin->DeliverBeginFlush();
        StopReader();
        {
            CAutoLock lock(&m_CallbackLock);
            m_EndOfFile = false;
        }
        for (auto& [number, pin] : m_Pins) pin->DeliverEndFlush();
    }
    {
        CAutoLock lock(&m_PositionLock);
        m_StartPosition = std::max<REFERENCE_TIME>(0, *start);
        if (stop) m_StopPosition = *stop;
    }
    if (m_State != State_Stopped) return StartReader();
    return S_OK;
}

HRESULT GxMovieReaderWMV::SetRateValue(double rate)
{
    if (rate == 0.0 || !std::isfinite(rate)) return E_INVALIDARG;
    CAutoLock lock(&m_PositionLock);
    m_Rate = rate;
    return S_OK;
}

REFERENCE_TIME GxMovieReaderWMV::StartPosition()
{
    CAutoLock lock(&m_PositionLock);
    return m_StartPosition;
}

REFERENCE_TIME GxMovieReaderWMV::StopPosition()
{
    CAutoLock lock(&m_PositionLock);
    return m_StopPosition;
}

double GxMovieReaderWMV::Rate()
{
    CAutoLock lock(&m_PositionLock);
    return m_Rate;
}

QWORD GxMovieReaderWMV::DeliveryTime()
{
    CAutoLock lock(&m_CallbackLock);
    return m_DeliveryTime;
}

bool GxMovieReaderWMV::EndOfFile()
{
    CAutoLock lock(&m_CallbackLock);
    return m_EndOfFile;
}

GxMovieOutputPinWMV* GxMovieReaderWMV::PinOf(WORD stream)
{
    const auto it = m_Pins.find(stream);
    return it == m_Pins.end() ? nullptr : it->second.get();
}

void GxMovieReaderWMV::EndAllStreams()
{
    if (m_EndOfFile) return;
    m_EndOfFile = true;
    for (auto& [number, pin] : m_Pins) pin->DeliverEndOfStream();
}

void GxMovieReaderWMV::Deliver(QWORD time)
{
    m_DeliveryTime = time;
    IWMReaderAdvanced* advanced = nullptr;
    if (m_Reader && SUCCEEDED(m_Reader->QueryInterface(IID_IWMReaderAdvanced, reinterpret_cast<void**>(&advanced)))) {
        advanced->DeliverTime(time);
        advanced->Release();
    }
}

HRESULT GxMovieReaderWMV::OnStatus(WMT_STATUS status, HRESULT result, WMT_ATTR_DATATYPE, BYTE*, void*)
{
    CAutoLock lock(&m_CallbackLock);
    const auto finish = [&](Wait command) {
        if (m_Waiting != command) return;
        m_CommandResult = result;
        m_Waiting = Wait::None;
        SetEvent(m_CommandEvent);
    };
    switch (status) {
    case WMT_ERROR: NotifyEvent(EC_ERRORABORT, result, 0); break;
    case WMT_OPENED: finish(Wait::Open); break;
    case WMT_END_OF_FILE:
    case WMT_END_OF_STREAMING: EndAllStreams(); break;
    case WMT_STARTED: Deliver(static_cast<QWORD>(StartPosition()) + kDeliverAhead); break;
    case WMT_STOPPED: finish(Wait::Stop); break;
    case WMT_CLOSED: finish(Wait::Close); break;
    default: break;
    }
    return S_OK;
}

HRESULT GxMovieReaderWMV::OnSample(DWORD, QWORD, QWORD, DWORD, INSSBuffer*, void*) { return S_FALSE; }

HRESULT GxMovieReaderWMV::OnStreamSample(WORD stream, QWORD time, QWORD duration, DWORD flags, INSSBuffer* buffer,
                                         void*)
{
    GxMovieOutputPinWMV* pin = PinOf(stream);
    if (!pin) return E_INVALIDARG;
    IEncapsulatedAccess* access = nullptr;
    if (!buffer || FAILED(buffer->QueryInterface(IID_IEncapsulatedAccess, reinterpret_cast<void**>(&access))))
        return E_NOINTERFACE;
    IMediaSample* sample = nullptr;
    const bool ours = access->Owner() == this && SUCCEEDED(access->GetMediaSample(&sample));
    access->Release();
    if (!ours) return E_NOINTERFACE;
    REFERENCE_TIME start = 0;
    double rate = 1.0;
    {
        CAutoLock lock(&m_PositionLock);
        start = m_StartPosition;
        rate = m_Rate;
    }
    const double from = static_cast<double>(static_cast<REFERENCE_TIME>(time) - start);
    REFERENCE_TIME sampleStart = static_cast<REFERENCE_TIME>(from / rate);
    REFERENCE_TIME sampleStop = static_cast<REFERENCE_TIME>((from + static_cast<double>(duration)) / rate);
    sample->SetTime(&sampleStart, &sampleStop);
    return pin->DeliverSample(sample, flags);
}

HRESULT GxMovieReaderWMV::OnTime(QWORD time, void*)
{
    CAutoLock lock(&m_CallbackLock);
    if (m_EndOfFile) return S_FALSE;
    const REFERENCE_TIME stop = StopPosition();
    if (stop >= 0 && static_cast<REFERENCE_TIME>(time) >= stop) {
        EndAllStreams();
        return S_OK;
    }
    Deliver(time + kDeliverAhead);
    return S_OK;
}

HRESULT GxMovieReaderWMV::OnStreamSelection(WORD, WORD*, WMT_STREAM_SELECTION*, void*) { return S_OK; }

HRESULT GxMovieReaderWMV::OnOutputPropsChanged(DWORD, WM_MEDIA_TYPE*, void*) { return S_OK; }

HRESULT GxMovieReaderWMV::AllocateForStream(WORD stream, DWORD size, INSSBuffer** buffer, void*)
{
    if (!buffer) return E_POINTER;
    *buffer = nullptr;
    GxMovieOutputPinWMV* pin = PinOf(stream);
    if (!pin) return E_INVALIDARG;
    IMediaSample* sample = nullptr;
    HRESULT hr = pin->GetDeliveryBuffer(&sample, nullptr, nullptr, 0);
    if (FAILED(hr)) return hr;
    if (static_cast<DWORD>(sample->GetSize()) < size) {
        sample->Release();
        return E_FAIL;
    }
    auto* wrapped = new (std::nothrow) EncapsulateSample(sample, this);
    sample->Release();
    if (!wrapped) return E_OUTOFMEMORY;
    return wrapped->NonDelegatingQueryInterface(IID_INSSBuffer, reinterpret_cast<void**>(buffer));
}

HRESULT GxMovieReaderWMV::AllocateForOutput(DWORD, DWORD, INSSBuffer**, void*) { return E_NOTIMPL; }
