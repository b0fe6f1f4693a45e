#include "platform/dshow/movie_demux_filter.h"

#include "platform/dshow/media_seeking.h"
#include "platform/win32/file.h"
#include "platform/win32/sync.h"
#include "platform/win32/user_log.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace {

constexpr CLSID kMovieDemuxClsid = TarnwickDshowGuid(0x2101);
constexpr LONG kVideoBuffers = 3;
constexpr LONG kAudioBuffers = 4;
// What each stream should have decoded and queued before the reader waits, and the most the
// queues may hold whatever the streams need (a file may keep them a second or more apart).
constexpr REFERENCE_TIME kReadyAhead = kUnitsPerSecond / 2;
constexpr std::size_t kMaxQueuedBytes = 64u << 20;

// The FFmpeg demuxer to try when probing the content finds none.
const char* DemuxerHint(const GUID& subtype)
{
    if (subtype == MEDIASUBTYPE_Avi) return "avi";
    if (subtype == MEDIASUBTYPE_MPEG1System || subtype == MEDIASUBTYPE_MPEG1VideoCD) return "mpeg";
    if (subtype == MEDIASUBTYPE_MPEG1Video || subtype == MEDIASUBTYPE_MPEG2_VIDEO) return "mpegvideo";
    if (subtype == MEDIASUBTYPE_MPEG1Audio) return "mp3";   // FFmpeg's MPEG audio demuxer reads layers I to III
    if (subtype == MEDIASUBTYPE_QTMovie) return "mov";
    if (subtype == MEDIASUBTYPE_WAVE) return "wav";
    if (subtype == MEDIASUBTYPE_Asf) return "asf";
    return nullptr;
}

}  // namespace

// --- CMovieDemuxInputPin ------------------------------------------------------------------

CMovieDemuxInputPin::CMovieDemuxInputPin(CMovieDemuxFilter* filter, CCritSec* lock)
    : CBasePin(u"Movie demux input", filter, lock, nullptr, u"Input", PINDIR_INPUT), m_Demux(filter)
{
}

CMovieDemuxInputPin::~CMovieDemuxInputPin()
{
    if (m_Reader) m_Reader->Release();
}

HRESULT CMovieDemuxInputPin::CheckMediaType(const CMediaType* type)
{
    return *type->Type() == MEDIATYPE_Stream ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CMovieDemuxInputPin::CheckConnect(IPin* pin)
{
    const HRESULT hr = CBasePin::CheckConnect(pin);
    if (FAILED(hr)) return hr;
    if (m_Reader) return S_OK;
    if (FAILED(pin->QueryInterface(IID_IAsyncReader, reinterpret_cast<void**>(&m_Reader)))) {
        m_Reader = nullptr;
        return VFW_E_NO_TRANSPORT;
    }
    return S_OK;
}

HRESULT CMovieDemuxInputPin::CompleteConnect(IPin*)
{
    if (!m_Reader) return VFW_E_NO_TRANSPORT;
    return m_Demux->OpenMovie(m_Reader, m_MediaType.subtype);
}

HRESULT CMovieDemuxInputPin::BreakConnect()
{
    m_Demux->CloseMovie();
    if (m_Reader) {
        m_Reader->Release();
        m_Reader = nullptr;
    }
    return S_OK;
}

// --- CMovieDemuxOutputPin -----------------------------------------------------------------

CMovieDemuxOutputPin::CMovieDemuxOutputPin(CMovieDemuxFilter* filter, CCritSec* lock, LPCWSTR name,
                                           const CMediaType& type, LONG bufferSize, LONG buffers)
    : CBaseOutputPin(u"Movie demux output", filter, lock, nullptr, name), m_Demux(filter), m_Type(type),
      m_BufferSize(bufferSize), m_Buffers(buffers)
{
}

HRESULT CMovieDemuxOutputPin::NonDelegatingQueryInterface(REFIID riid, void** object)
{
    if (riid == IID_IMediaSeeking) return GetInterface(static_cast<IMediaSeeking*>(this), object);
    return CBaseOutputPin::NonDelegatingQueryInterface(riid, object);
}

HRESULT CMovieDemuxOutputPin::GetMediaType(int position, CMediaType* type)
{
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    *type = m_Type;
    return S_OK;
}

HRESULT CMovieDemuxOutputPin::CheckMediaType(const CMediaType* type)
{
    return *type == m_Type ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CMovieDemuxOutputPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request)
{
    ALLOCATOR_PROPERTIES wanted = *request;
    wanted.cBuffers = std::max(wanted.cBuffers, m_Buffers);
    wanted.cbBuffer = std::max(wanted.cbBuffer, m_BufferSize);
    ALLOCATOR_PROPERTIES actual{};
    const HRESULT hr = allocator->SetProperties(&wanted, &actual);
    if (FAILED(hr)) return hr;
    return actual.cbBuffer < m_BufferSize || actual.cBuffers < 1 ? E_OUTOFMEMORY : S_OK;
}

HRESULT CMovieDemuxOutputPin::GetCapabilities(DWORD* capabilities)
{
    return MediaTimeGetCapabilities(capabilities);
}

HRESULT CMovieDemuxOutputPin::CheckCapabilities(DWORD* capabilities)
{
    return MediaTimeCheckCapabilities(capabilities);
}

HRESULT CMovieDemuxOutputPin::IsFormatSupported(const GUID* format)
{
    return MediaTimeIsFormatSupported(format);
}

HRESULT CMovieDemuxOutputPin::QueryPreferredFormat(GUID* format)
{
    return MediaTimeQueryPreferredFormat(format);
}

HRESULT CMovieDemuxOutputPin::GetTimeFormat(GUID* format) { return QueryPreferredFormat(format); }

HRESULT CMovieDemuxOutputPin::IsUsingTimeFormat(const GUID* format) { return IsFormatSupported(format); }

HRESULT CMovieDemuxOutputPin::SetTimeFormat(const GUID* format)
{
    return MediaTimeSetTimeFormat(format);
}

HRESULT CMovieDemuxOutputPin::GetDuration(LONGLONG* duration)
{
    if (!duration) return E_POINTER;
    *duration = m_Demux->Duration();
    return S_OK;
}

HRESULT CMovieDemuxOutputPin::GetStopPosition(LONGLONG* stop)
{
    if (!stop) return E_POINTER;
    *stop = m_Demux->StopPosition();
    return S_OK;
}

HRESULT CMovieDemuxOutputPin::GetCurrentPosition(LONGLONG* current)
{
    if (!current) return E_POINTER;
    *current = m_Demux->StartPosition();
    return S_OK;
}

HRESULT CMovieDemuxOutputPin::ConvertTimeFormat(LONGLONG* target, const GUID* targetFormat, LONGLONG source,
                                                const GUID* sourceFormat)
{
    return MediaTimeConvertTimeFormat(target, targetFormat, source, sourceFormat);
}

HRESULT CMovieDemuxOutputPin::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags)
{
    const std::optional<REFERENCE_TIME> start = ResolveSeekingPosition(current, currentFlags, m_Demux->StartPosition());
    const std::optional<REFERENCE_TIME> end = ResolveSeekingPosition(stop, stopFlags, m_Demux->StopPosition());
    const HRESULT hr = m_Demux->Seek(start ? &*start : nullptr, end ? &*end : nullptr);
    if (current && (currentFlags & AM_SEEKING_ReturnTime)) *current = m_Demux->StartPosition();
    if (stop && (stopFlags & AM_SEEKING_ReturnTime)) *stop = m_Demux->StopPosition();
    return hr;
}

HRESULT CMovieDemuxOutputPin::GetPositions(LONGLONG* current, LONGLONG* stop)
{
    if (current) *current = m_Demux->StartPosition();
    if (stop) *stop = m_Demux->StopPosition();
    return S_OK;
}

HRESULT CMovieDemuxOutputPin::GetAvailable(LONGLONG* earliest, LONGLONG* latest)
{
    if (earliest) *earliest = 0;
    if (latest) *latest = m_Demux->Duration();
    return S_OK;
}

HRESULT CMovieDemuxOutputPin::SetRate(double rate) { return m_Demux->SetRateValue(rate); }

HRESULT CMovieDemuxOutputPin::GetRate(double* rate)
{
    if (!rate) return E_POINTER;
    *rate = m_Demux->Rate();
    return S_OK;
}

HRESULT CMovieDemuxOutputPin::GetPreroll(LONGLONG* preroll)
{
    if (!preroll) return E_POINTER;
    *preroll = 0;
    return S_OK;
}

// --- CMovieDemuxFilter --------------------------------------------------------------------

CMovieDemuxFilter::CMovieDemuxFilter()
    : CBaseFilter(u"Movie demux", nullptr, &m_FilterLock, kMovieDemuxClsid), m_Input(this, &m_FilterLock)
{
}

CMovieDemuxFilter::~CMovieDemuxFilter()
{
    StopThread();
}

HRESULT CMovieDemuxFilter::Create(IBaseFilter** filter)
{
    if (!filter) return E_POINTER;
    auto* demux = new CMovieDemuxFilter;
    demux->AddRef();
    *filter = demux;
    return S_OK;
}

int CMovieDemuxFilter::GetPinCount() { return 1 + static_cast<int>(m_Outputs.size()); }

CBasePin* CMovieDemuxFilter::GetPin(int n)
{
    if (n == 0) return &m_Input;
    if (n < 1 || n > static_cast<int>(m_Outputs.size())) return nullptr;
    return m_Outputs[static_cast<std::size_t>(n - 1)];
}

HRESULT CMovieDemuxFilter::OpenMovie(IAsyncReader* reader, const GUID& subtype)
{
    CAutoLock lock(&m_FilterLock);
    CloseMovie();
    LONGLONG total = 0;
    LONGLONG available = 0;
    if (FAILED(reader->Length(&total, &available)) || total <= 0) {
        platform::LogUserError("Movie: the stream reports no length");
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    auto movie = std::make_unique<platform::MovieDemux>();
    // Reads never pass the length, so a short read (S_FALSE) cannot leave bytes unset.
    auto read = [reader](std::int64_t position, int length, std::uint8_t* buffer) {
        return FAILED(reader->SyncRead(position, length, buffer)) ? -1 : length;
    };
    if (!movie->Open(read, total, DemuxerHint(subtype), &m_Quit)) return VFW_E_TYPE_NOT_ACCEPTED;
    if (movie->HasVideo()) {
        const auto bytes = static_cast<LONG>(movie->VideoFrameBytes());
        m_VideoPin = std::make_unique<CMovieDemuxOutputPin>(
            this, &m_FilterLock, u"Video", platform::MovieVideoType(movie->Width(), movie->Height(), movie->FrameTime()),
            bytes, kVideoBuffers);
        m_Outputs.push_back(m_VideoPin.get());
    }
    if (movie->HasAudio()) {
        // A quarter of a second per buffer, in whole sample frames.
        const LONG block = movie->Channels() * 2;
        const LONG bytes = std::max<LONG>(block, movie->SampleRate() / 4 * block);
        m_AudioPin = std::make_unique<CMovieDemuxOutputPin>(this, &m_FilterLock, u"Audio",
                                                            platform::MoviePcmType(movie->SampleRate(), movie->Channels()),
                                                            bytes, kAudioBuffers);
        m_Outputs.push_back(m_AudioPin.get());
    }
    m_Movie = std::move(movie);
    CAutoLock position(&m_PositionLock);
    m_StartPosition = 0;
    m_StopPosition = -1;
    return S_OK;
}

void CMovieDemuxFilter::CloseMovie()
{
    CAutoLock lock(&m_FilterLock);
    StopThread();
    // Output pins that something downstream still holds stay until the filter goes.
    for (CMovieDemuxOutputPin* pin : m_Outputs)
        if (pin->IsConnected()) return;
    m_Outputs.clear();
    m_VideoPin.reset();
    m_AudioPin.reset();
    m_Movie.reset();
}

HRESULT CMovieDemuxFilter::Pause()
{
    CAutoLock lock(&m_FilterLock);
    const bool wasStopped = m_State == State_Stopped;
    const HRESULT hr = CBaseFilter::Pause();
    if (SUCCEEDED(hr) && wasStopped) StartThread();
    return hr;
}

HRESULT CMovieDemuxFilter::Stop()
{
    CAutoLock lock(&m_FilterLock);
    m_Quit = true;
    const HRESULT hr = CBaseFilter::Stop();   // the decommit frees a thread waiting for a buffer
    StopThread();
    return hr;
}

HRESULT CMovieDemuxFilter::Seek(const REFERENCE_TIME* start, const REFERENCE_TIME* stop)
{
    CAutoLock lock(&m_FilterLock);
    {
        CAutoLock position(&m_PositionLock);
        if (stop) m_StopPosition = *stop;
        if (!start) return S_OK;
        m_StartPosition = std::max<REFERENCE_TIME>(0, *start);
    }
    if (!m_Thread) return S_OK;
    // A new start while streaming: flush downstream, then stream again from it.
    m_Quit = true;
    for (CMovieDemuxOutputPin* pin : m_Outputs)
        if (pin->IsConnected()) pin->DeliverBeginFlush();
    StopThread();
    for (CMovieDemuxOutputPin* pin : m_Outputs)
        if (pin->IsConnected()) pin->DeliverEndFlush();
    StartThread();
    return S_OK;
}

REFERENCE_TIME CMovieDemuxFilter::Duration()
{
    CAutoLock lock(&m_PositionLock);
    return m_Movie ? m_Movie->Duration() : 0;
}

REFERENCE_TIME CMovieDemuxFilter::StartPosition()
{
    CAutoLock lock(&m_PositionLock);
    return m_StartPosition;
}

REFERENCE_TIME CMovieDemuxFilter::StopPosition()
{
    CAutoLock lock(&m_PositionLock);
    if (m_StopPosition >= 0) return m_StopPosition;
    return m_Movie ? m_Movie->Duration() : 0;
}

double CMovieDemuxFilter::Rate()
{
    CAutoLock lock(&m_PositionLock);
    return m_Rate;
}

HRESULT CMovieDemuxFilter::SetRateValue(double rate)
{
    if (!(rate > 0.0) || rate > 1000.0) return E_INVALIDARG;
    CAutoLock lock(&m_PositionLock);
    m_Rate = rate;
    return S_OK;
}

void CMovieDemuxFilter::StartThread()
{
    if (!m_Movie) return;
    m_Quit = false;
    {
        CAutoLock lock(&m_PositionLock);
        m_RunStart = m_StartPosition;
        m_RunStop = m_StopPosition;
        m_RunRate = m_Rate;
    }
    m_Wake = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    m_Go = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    m_Room = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    CMovieDemuxOutputPin* pins[2] = {m_VideoPin.get(), m_AudioPin.get()};
    for (int i = 0; i < 2; ++i) {
        Lane& lane = m_Lanes[i];
        lane.filter = this;
        lane.pin = pins[i];
        lane.items.clear();
        lane.queued = 0;
        lane.open = lane.pin && lane.pin->IsConnected();
        lane.ended = false;
        lane.waiting = lane.woken = false;
        if (!lane.open) continue;
        lane.work = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        lane.go = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        lane.thread = CreateThread(nullptr, 0, &CMovieDemuxFilter::LaneMain, &lane, 0, nullptr);
        SetEvent(lane.go);   // taken first, so that tests can settle on the thread's work
    }
    m_QueuedBytes = 0;
    m_ReaderWaiting = m_ReaderWoken = false;
    m_Thread = CreateThread(nullptr, 0, &CMovieDemuxFilter::ThreadMain, this, 0, nullptr);
    SetEvent(m_Go);
}

void CMovieDemuxFilter::StopThread()
{
    if (!m_Thread) return;
    m_Quit = true;
    {
        CAutoLock lock(&m_QueueLock);
        WakeReader();
        for (Lane& lane : m_Lanes)
            if (lane.thread) WakeLane(lane);
    }
    SetEvent(m_Wake);
    WaitForSingleObject(m_Thread, INFINITE);
    for (Lane& lane : m_Lanes) {
        if (!lane.thread) continue;
        WaitForSingleObject(lane.thread, INFINITE);
        for (HANDLE* handle : {&lane.thread, &lane.work, &lane.go}) {
            CloseHandle(*handle);
            *handle = nullptr;
        }
        lane.items.clear();
        lane.open = false;
    }
    m_QueuedBytes = 0;
    for (HANDLE* handle : {&m_Thread, &m_Wake, &m_Go, &m_Room}) {
        CloseHandle(*handle);
        *handle = nullptr;
    }
}

DWORD CMovieDemuxFilter::ThreadMain(LPVOID self)
{
    auto* filter = static_cast<CMovieDemuxFilter*>(self);
    WaitForSingleObject(filter->m_Go, INFINITE);
    filter->Stream();
    return 0;
}

DWORD CMovieDemuxFilter::LaneMain(LPVOID lane)
{
    auto* own = static_cast<Lane*>(lane);
    WaitForSingleObject(own->go, INFINITE);
    own->filter->Deliver(*own);
    return 0;
}

void CMovieDemuxFilter::WakeLane(Lane& lane)
{
    // Set only for a thread that waits, so that no set lies around for nobody to take.
    if (lane.waiting && !lane.woken) {
        lane.woken = true;
        SetEvent(lane.work);
    }
}

void CMovieDemuxFilter::WakeReader()
{
    if (m_ReaderWaiting && !m_ReaderWoken) {
        m_ReaderWoken = true;
        SetEvent(m_Room);
    }
}

bool CMovieDemuxFilter::ReaderMustWait()
{
    // The reader goes on while any stream still taking units holds less than it should have
    // ready, so that one stream far ahead in the file never starves the other; past the byte
    // limit it waits whatever happens.
    if (m_QueuedBytes >= kMaxQueuedBytes) return true;
    bool any = false;
    for (const Lane& lane : m_Lanes) {
        if (!lane.open || lane.ended) continue;
        if (lane.queued < kReadyAhead) return false;
        any = true;
    }
    return any;
}

bool CMovieDemuxFilter::Queue(Lane& lane, Pending&& unit)
{
    CAutoLock lock(&m_QueueLock);
    while (!unit.end && !m_Quit && lane.open && ReaderMustWait()) {
        m_ReaderWaiting = true;
        m_QueueLock.Unlock();
        WaitForSingleObject(m_Room, INFINITE);
        m_QueueLock.Lock();
        m_ReaderWaiting = m_ReaderWoken = false;
    }
    if (m_Quit) return false;
    if (!lane.open) return true;   // refused downstream: dropped
    if (unit.end) lane.ended = true;
    lane.queued += unit.stop - unit.start;
    m_QueuedBytes += unit.bytes.size();
    lane.items.push_back(std::move(unit));
    WakeLane(lane);
    return true;
}

void CMovieDemuxFilter::Deliver(Lane& lane)
{
    CMovieDemuxOutputPin* pin = lane.pin;
    pin->DeliverNewSegment(m_RunStart, m_RunStop >= 0 ? m_RunStop : kMaxReferenceTime, m_RunRate);
    bool discontinuity = true;
    while (true) {
        Pending unit;
        {
            CAutoLock lock(&m_QueueLock);
            while (!m_Quit && lane.items.empty()) {
                lane.waiting = true;
                m_QueueLock.Unlock();
                WaitForSingleObject(lane.work, INFINITE);
                m_QueueLock.Lock();
                lane.waiting = lane.woken = false;
            }
            if (m_Quit) return;
            unit = std::move(lane.items.front());
            lane.items.pop_front();
            lane.queued -= unit.stop - unit.start;
            m_QueuedBytes -= unit.bytes.size();
            WakeReader();
        }
        if (unit.end) {
            pin->DeliverEndOfStream();
            continue;   // nothing follows; waits for the stop
        }
        if (DeliverUnit(lane, unit, &discontinuity) || m_Quit) continue;
        // The pin downstream refused the sample (stopping, or broken): nothing more goes to it.
        CAutoLock lock(&m_QueueLock);
        lane.open = false;
        for (const Pending& dropped : lane.items) m_QueuedBytes -= dropped.bytes.size();
        lane.items.clear();
        lane.queued = 0;
        WakeReader();
    }
}

bool CMovieDemuxFilter::DeliverUnit(Lane& lane, const Pending& unit, bool* discontinuity)
{
    CMovieDemuxOutputPin* pin = lane.pin;
    const std::uint8_t* data = unit.bytes.data();
    std::size_t size = unit.bytes.size();
    REFERENCE_TIME from = unit.start;
    const bool audio = pin == m_AudioPin.get();
    const std::size_t block = audio ? static_cast<std::size_t>(m_Movie->Channels()) * 2 : 1;
    const auto chunkLimit = static_cast<std::size_t>(pin->BufferSize()) / block * block;
    while (size > 0 && !m_Quit) {
        IMediaSample* sample = nullptr;
        if (FAILED(pin->GetDeliveryBuffer(&sample, nullptr, nullptr, 0)) || !sample) return false;
        BYTE* target = nullptr;
        sample->GetPointer(&target);
        const std::size_t chunk = std::min({size, chunkLimit, static_cast<std::size_t>(sample->GetSize())});
        std::memcpy(target, data, chunk);
        sample->SetActualDataLength(static_cast<LONG>(chunk));
        REFERENCE_TIME to = unit.stop;
        if (audio) to = from + static_cast<REFERENCE_TIME>(chunk / block) * kUnitsPerSecond / m_Movie->SampleRate();
        REFERENCE_TIME sampleStart = static_cast<REFERENCE_TIME>(static_cast<double>(from - m_RunStart) / m_RunRate);
        REFERENCE_TIME sampleStop = static_cast<REFERENCE_TIME>(static_cast<double>(to - m_RunStart) / m_RunRate);
        sample->SetTime(&sampleStart, &sampleStop);
        sample->SetSyncPoint(TRUE);
        sample->SetDiscontinuity(*discontinuity ? TRUE : FALSE);
        *discontinuity = false;
        const HRESULT hr = pin->Deliver(sample);
        sample->Release();
        if (FAILED(hr)) return false;
        data += chunk;
        size -= chunk;
        from = to;
    }
    return true;
}

void CMovieDemuxFilter::Stream()
{
    const REFERENCE_TIME start = m_RunStart;
    const REFERENCE_TIME stop = m_RunStop;
    m_Movie->Seek(start);
    bool interrupted = false;
    const auto taking = [this] {
        CAutoLock lock(&m_QueueLock);
        for (const Lane& lane : m_Lanes)
            if (lane.open && !lane.ended) return true;
        return false;
    };
    while (!m_Quit && taking()) {
        platform::MovieDemux::Unit unit;
        const platform::MovieDemux::Step step = m_Movie->Next(&unit);
        if (step == platform::MovieDemux::Step::Interrupted) {
            interrupted = true;
            break;
        }
        if (step == platform::MovieDemux::Step::End) break;
        const bool audio = unit.kind == platform::MovieDemux::Kind::Audio;
        Lane& lane = m_Lanes[audio ? 1 : 0];
        {
            CAutoLock lock(&m_QueueLock);
            if (!lane.open || lane.ended) continue;
        }
        if (unit.stop <= start) continue;   // decoded only to reach the target
        Pending pending;
        if (stop >= 0 && unit.start >= stop) {
            pending.end = true;
            if (!Queue(lane, std::move(pending))) break;
            continue;
        }
        const std::uint8_t* data = unit.data;
        std::size_t size = unit.size;
        REFERENCE_TIME from = unit.start;
        if (audio && from < start) {
            // Sound before the target is cut off in whole sample frames.
            const std::size_t block = static_cast<std::size_t>(m_Movie->Channels()) * 2;
            const auto frames = static_cast<std::size_t>((start - from) * m_Movie->SampleRate() / kUnitsPerSecond);
            const std::size_t skip = std::min(size / block, frames) * block;
            data += skip;
            size -= skip;
            from = start;
        }
        pending.start = from;
        pending.stop = std::max(from, unit.stop);
        pending.bytes.assign(data, data + size);
        if (!Queue(lane, std::move(pending))) break;
    }
    // The end of the file, a stop position or a failure in the middle: every stream ends, so
    // the graph hears EC_COMPLETE whatever happened.
    if (!interrupted && !m_Quit) {
        for (Lane& lane : m_Lanes) {
            bool open = false;
            {
                CAutoLock lock(&m_QueueLock);
                open = lane.open && !lane.ended;
            }
            if (open) Queue(lane, Pending{true, 0, 0, {}});
        }
    }
    while (!m_Quit) WaitForSingleObject(m_Wake, INFINITE);
}
