#include "tests/platform/dshow/test_filters.h"

#include "platform/win32/file.h"
#include "platform/win32/sync.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace dshow_test {

std::atomic<int> g_LiveFilters{0};
std::atomic<int> g_LiveThreads{0};
EventLog* PassThroughDecoder::s_Log = nullptr;

void EventLog::Add(const std::string& line)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Lines.push_back(line);
}

std::vector<std::string> EventLog::Lines()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Lines;
}

std::vector<std::string> EventLog::Matching(const std::string& prefix)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    std::vector<std::string> lines;
    for (const auto& line : m_Lines) {
        if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line);
    }
    return lines;
}

void EventLog::Clear()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Lines.clear();
}

CMediaType VideoType(const GUID& subtype)
{
    CMediaType type(&MEDIATYPE_Video);
    type.SetSubtype(&subtype);
    type.SetFormatType(&FORMAT_VideoInfo);
    auto* info = reinterpret_cast<VIDEOINFOHEADER*>(type.AllocFormatBuffer(sizeof(VIDEOINFOHEADER)));
    info->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info->bmiHeader.biWidth = kFrameWidth;
    info->bmiHeader.biHeight = kFrameHeight;
    info->bmiHeader.biBitCount = 24;
    info->bmiHeader.biPlanes = 1;
    info->AvgTimePerFrame = kFrameTime;
    return type;
}

CMediaType PcmType(WORD channels, DWORD rate, WORD bits)
{
    CMediaType type(&MEDIATYPE_Audio);
    type.SetSubtype(&MEDIASUBTYPE_PCM);
    type.SetFormatType(&FORMAT_WaveFormatEx);
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = bits;
    format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    type.SetFormat(reinterpret_cast<const BYTE*>(&format), sizeof(format));
    return type;
}

int FrameNumber(IMediaSample* sample)
{
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    int number = 0;
    std::memcpy(&number, data, sizeof(number));
    return number;
}

// --- TestSource ---------------------------------------------------------------------------

TestSourcePin::TestSourcePin(TestSource* source, CCritSec* lock)
    : CBaseOutputPin(u"Test source pin", source, lock, nullptr, u"Out"), m_Source(source)
{
}

HRESULT TestSourcePin::NonDelegatingQueryInterface(REFIID riid, void** object)
{
    if (riid == IID_IMediaSeeking) return GetInterface(static_cast<IMediaSeeking*>(this), object);
    return CBaseOutputPin::NonDelegatingQueryInterface(riid, object);
}

HRESULT TestSourcePin::GetMediaType(int position, CMediaType* type)
{
    if (position < 0) return E_INVALIDARG;
    if (position > 0) return VFW_S_NO_MORE_ITEMS;
    *type = m_Source->m_Config.type;
    return S_OK;
}

HRESULT TestSourcePin::CheckMediaType(const CMediaType* type)
{
    return *type == m_Source->m_Config.type ? S_OK : S_FALSE;
}

HRESULT TestSourcePin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request)
{
    ALLOCATOR_PROPERTIES wanted = *request;
    wanted.cBuffers = std::max<LONG>(wanted.cBuffers, 3);
    wanted.cbBuffer = std::max(wanted.cbBuffer, m_Source->m_Config.bufferSize);
    ALLOCATOR_PROPERTIES actual{};
    const HRESULT hr = allocator->SetProperties(&wanted, &actual);
    if (FAILED(hr)) return hr;
    return actual.cbBuffer < wanted.cbBuffer || actual.cBuffers < wanted.cBuffers ? E_OUTOFMEMORY : S_OK;
}

HRESULT TestSourcePin::GetCapabilities(DWORD* capabilities)
{
    *capabilities = AM_SEEKING_CanSeekAbsolute | AM_SEEKING_CanSeekForwards | AM_SEEKING_CanSeekBackwards |
                    AM_SEEKING_CanGetStopPos | AM_SEEKING_CanGetDuration;
    return S_OK;
}

HRESULT TestSourcePin::CheckCapabilities(DWORD* capabilities)
{
    DWORD own = 0;
    GetCapabilities(&own);
    *capabilities &= own;
    return S_OK;
}

HRESULT TestSourcePin::IsFormatSupported(const GUID* format)
{
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : S_FALSE;
}

HRESULT TestSourcePin::QueryPreferredFormat(GUID* format)
{
    *format = TIME_FORMAT_MEDIA_TIME;
    return S_OK;
}

HRESULT TestSourcePin::GetTimeFormat(GUID* format) { return QueryPreferredFormat(format); }

HRESULT TestSourcePin::IsUsingTimeFormat(const GUID* format) { return IsFormatSupported(format); }

HRESULT TestSourcePin::SetTimeFormat(const GUID* format)
{
    return *format == TIME_FORMAT_MEDIA_TIME ? S_OK : E_INVALIDARG;
}

HRESULT TestSourcePin::GetDuration(LONGLONG* duration)
{
    *duration = m_Source->Duration();
    return S_OK;
}

HRESULT TestSourcePin::GetStopPosition(LONGLONG* stop)
{
    *stop = m_Source->StopPosition();
    return S_OK;
}

HRESULT TestSourcePin::GetCurrentPosition(LONGLONG* current)
{
    *current = m_Source->StartPosition();
    return S_OK;
}

HRESULT TestSourcePin::ConvertTimeFormat(LONGLONG* target, const GUID*, LONGLONG source, const GUID*)
{
    *target = source;
    return S_OK;
}

HRESULT TestSourcePin::SetPositions(LONGLONG* current, DWORD currentFlags, LONGLONG* stop, DWORD stopFlags)
{
    auto resolve = [](LONGLONG* value, DWORD flags, REFERENCE_TIME now) -> std::optional<LONGLONG> {
        switch (flags & AM_SEEKING_PositioningBitsMask) {
        case AM_SEEKING_AbsolutePositioning: return *value;
        case AM_SEEKING_RelativePositioning:
        case AM_SEEKING_IncrementalPositioning: return now + *value;
        default: return std::nullopt;
        }
    };
    const auto start = current ? resolve(current, currentFlags, m_Source->StartPosition()) : std::nullopt;
    const auto end = stop ? resolve(stop, stopFlags, m_Source->StopPosition()) : std::nullopt;
    const HRESULT hr = m_Source->Seek(start ? &*start : nullptr, end ? &*end : nullptr);
    if (current && (currentFlags & AM_SEEKING_ReturnTime)) *current = m_Source->StartPosition();
    if (stop && (stopFlags & AM_SEEKING_ReturnTime)) *stop = m_Source->StopPosition();
    return hr;
}

HRESULT TestSourcePin::GetPositions(LONGLONG* current, LONGLONG* stop)
{
    if (current) *current = m_Source->StartPosition();
    if (stop) *stop = m_Source->StopPosition();
    return S_OK;
}

HRESULT TestSourcePin::GetAvailable(LONGLONG* earliest, LONGLONG* latest)
{
    if (earliest) *earliest = 0;
    if (latest) *latest = m_Source->Duration();
    return S_OK;
}

HRESULT TestSourcePin::SetRate(double rate)
{
    if (rate <= 0.0) return E_INVALIDARG;
    m_Source->SetRateValue(rate);
    return S_OK;
}

HRESULT TestSourcePin::GetRate(double* rate)
{
    *rate = m_Source->Rate();
    return S_OK;
}

HRESULT TestSourcePin::GetPreroll(LONGLONG* preroll)
{
    *preroll = 0;
    return S_OK;
}

TestSource::TestSource(SourceConfig config, EventLog* log, const char* name)
    : CBaseFilter(u"Test source", nullptr, &m_FilterLock, TarnwickDshowGuid(0x9101)),
      m_Config(std::move(config)),
      m_Log(log),
      m_LogName(name),
      m_Pin(this, &m_FilterLock)
{
    ++g_LiveFilters;
    if (!m_Config.fill) {
        m_Config.fill = [](int index, BYTE* data, LONG size) {
            std::memset(data, 0, static_cast<std::size_t>(size));
            std::memcpy(data, &index, sizeof(index));
            return size;
        };
    }
}

TestSource::~TestSource()
{
    m_StreamThread.Stop();
    --g_LiveFilters;
}

REFERENCE_TIME TestSource::StartPosition()
{
    CAutoLock lock(&m_PositionLock);
    return m_StartPosition;
}

REFERENCE_TIME TestSource::StopPosition()
{
    CAutoLock lock(&m_PositionLock);
    return m_StopPosition < 0 ? Duration() : m_StopPosition;
}

double TestSource::Rate()
{
    CAutoLock lock(&m_PositionLock);
    return m_Rate;
}

void TestSource::SetRateValue(double rate)
{
    CAutoLock lock(&m_PositionLock);
    m_Rate = rate;
}

HRESULT TestSource::Pause()
{
    CAutoLock lock(&m_FilterLock);
    const bool wasStopped = m_State == State_Stopped;
    const HRESULT hr = CBaseFilter::Pause();
    if (SUCCEEDED(hr) && wasStopped) StartThread();
    return hr;
}

HRESULT TestSource::Stop()
{
    CAutoLock lock(&m_FilterLock);
    m_StreamThread.RequestQuit();
    const HRESULT hr = CBaseFilter::Stop();   // the decommit lets a thread waiting for a buffer go
    m_StreamThread.Stop();
    return hr;
}

HRESULT TestSource::Seek(const LONGLONG* start, const LONGLONG* stop)
{
    CAutoLock lock(&m_FilterLock);
    {
        CAutoLock position(&m_PositionLock);
        if (stop) m_StopPosition = *stop;
        if (!start) return S_OK;
        m_StartPosition = std::max<LONGLONG>(0, *start);
    }
    ++m_Seeks;
    if (!m_StreamThread.Running()) return S_OK;
    // A new start while streaming: flush downstream, then stream again from it.
    m_StreamThread.RequestQuit();
    m_Pin.DeliverBeginFlush();
    m_StreamThread.Stop();
    m_Pin.DeliverEndFlush();
    StartThread();
    return S_OK;
}

void TestSource::StartThread()
{
    m_StreamThread.Start([this] { Stream(); }, &g_LiveThreads);
}

void TestSource::Stream()
{
    const REFERENCE_TIME start = StartPosition();
    const REFERENCE_TIME stop = StopPosition();
    const double rate = Rate();
    const REFERENCE_TIME duration = m_Config.duration;
    m_Pin.DeliverNewSegment(start, stop, rate);
    bool ended = true;
    for (int index = static_cast<int>((start + duration - 1) / duration); index < m_Config.count; ++index) {
        if (index * duration >= stop) break;
        if (m_StreamThread.Quitting()) {
            ended = false;
            break;
        }
        IMediaSample* sample = nullptr;
        if (FAILED(m_Pin.GetDeliveryBuffer(&sample, nullptr, nullptr, 0))) {
            ended = false;
            break;
        }
        BYTE* data = nullptr;
        sample->GetPointer(&data);
        sample->SetActualDataLength(m_Config.fill(index, data, sample->GetSize()));
        REFERENCE_TIME from = static_cast<REFERENCE_TIME>((index * duration - start) / rate);
        REFERENCE_TIME to = static_cast<REFERENCE_TIME>(((index + 1) * duration - start) / rate);
        sample->SetTime(&from, &to);
        const HRESULT hr = m_Pin.Deliver(sample);
        sample->Release();
        if (hr != S_OK) {
            ended = false;
            break;
        }
    }
    if (ended && !m_StreamThread.Quitting()) m_Pin.DeliverEndOfStream();
    m_StreamThread.ParkUntilQuit();
}

// --- PassThroughDecoder -------------------------------------------------------------------

DecoderInputPin::DecoderInputPin(PassThroughDecoder* decoder, CCritSec* lock)
    : CBaseInputPin(u"Decoder input", decoder, lock, nullptr, u"In"), m_Decoder(decoder)
{
}

HRESULT DecoderInputPin::CheckMediaType(const CMediaType* type)
{
    m_Decoder->m_Log->Add("decoder.CheckMediaType");
    return type->majortype == MEDIATYPE_Video && type->subtype == kEncodedVideo ? S_OK : S_FALSE;
}

HRESULT DecoderInputPin::Receive(IMediaSample* sample)
{
    HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    IMediaSample* out = nullptr;
    hr = m_Decoder->m_Output.GetDeliveryBuffer(&out, nullptr, nullptr, 0);
    if (FAILED(hr)) return hr;
    BYTE* from = nullptr;
    BYTE* to = nullptr;
    sample->GetPointer(&from);
    out->GetPointer(&to);
    const LONG length = std::min(sample->GetActualDataLength(), out->GetSize());
    std::memcpy(to, from, static_cast<std::size_t>(length));
    out->SetActualDataLength(length);
    REFERENCE_TIME start = 0;
    REFERENCE_TIME end = 0;
    if (SUCCEEDED(sample->GetTime(&start, &end))) out->SetTime(&start, &end);
    hr = m_Decoder->m_Output.Deliver(out);
    out->Release();
    return hr;
}

HRESULT DecoderInputPin::EndOfStream()
{
    m_Decoder->m_Log->Add("decoder.EndOfStream");
    return m_Decoder->m_Output.DeliverEndOfStream();
}

HRESULT DecoderInputPin::BeginFlush()
{
    m_Decoder->m_Log->Add("decoder.BeginFlush");
    CBaseInputPin::BeginFlush();
    return m_Decoder->m_Output.DeliverBeginFlush();
}

HRESULT DecoderInputPin::EndFlush()
{
    m_Decoder->m_Log->Add("decoder.EndFlush");
    CBaseInputPin::EndFlush();
    return m_Decoder->m_Output.DeliverEndFlush();
}

HRESULT DecoderInputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate)
{
    m_Decoder->m_Log->Add("decoder.NewSegment " + std::to_string(start));
    CBaseInputPin::NewSegment(start, stop, rate);
    return m_Decoder->m_Output.DeliverNewSegment(start, stop, rate);
}

DecoderOutputPin::DecoderOutputPin(PassThroughDecoder* decoder, CCritSec* lock)
    : CBaseOutputPin(u"Decoder output", decoder, lock, nullptr, u"Out"), m_Decoder(decoder)
{
}

HRESULT DecoderOutputPin::GetMediaType(int position, CMediaType* type)
{
    if (position < 0) return E_INVALIDARG;
    if (position > 0 || !m_Decoder->m_Input.IsConnected()) return VFW_S_NO_MORE_ITEMS;
    *type = m_Decoder->m_Input.CurrentMediaType();
    type->SetSubtype(&MEDIASUBTYPE_RGB24);
    return S_OK;
}

HRESULT DecoderOutputPin::CheckMediaType(const CMediaType* type)
{
    return type->subtype == MEDIASUBTYPE_RGB24 ? S_OK : S_FALSE;
}

HRESULT DecoderOutputPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request)
{
    m_Decoder->m_Log->Add("decoder.DecideBufferSize");
    ALLOCATOR_PROPERTIES wanted = *request;
    wanted.cBuffers = std::max<LONG>(wanted.cBuffers, 2);
    wanted.cbBuffer = std::max<LONG>(wanted.cbBuffer, kFrameWidth * kFrameHeight * 3);
    ALLOCATOR_PROPERTIES actual{};
    return allocator->SetProperties(&wanted, &actual);
}

PassThroughDecoder::PassThroughDecoder(EventLog* log)
    : CBaseFilter(u"Pass-through decoder", nullptr, &m_FilterLock, TarnwickDshowGuid(0x9102)),
      m_Log(log),
      m_Input(this, &m_FilterLock),
      m_Output(this, &m_FilterLock)
{
    ++g_LiveFilters;
}

PassThroughDecoder::~PassThroughDecoder() { --g_LiveFilters; }

CBasePin* PassThroughDecoder::GetPin(int n)
{
    if (n == 0) return &m_Input;
    if (n == 1) return &m_Output;
    return nullptr;
}

HRESULT PassThroughDecoder::Create(IBaseFilter** filter)
{
    auto* decoder = new PassThroughDecoder(s_Log);
    decoder->AddRef();
    *filter = decoder;
    return S_OK;
}

// --- RecordingRenderer --------------------------------------------------------------------

RecordingRenderer::RecordingRenderer(EventLog* log)
    : CBaseVideoRenderer(TarnwickDshowGuid(0x9103), u"Recording renderer", nullptr, nullptr), m_Log(log)
{
    ++g_LiveFilters;
}

RecordingRenderer::~RecordingRenderer() { --g_LiveFilters; }

HRESULT RecordingRenderer::CheckMediaType(const CMediaType* type)
{
    m_Log->Add("renderer.CheckMediaType");
    if (!(type->formattype == FORMAT_VideoInfo)) return E_INVALIDARG;
    if (!(type->majortype == MEDIATYPE_Video) || !(type->subtype == MEDIASUBTYPE_RGB24)) return E_FAIL;
    return S_OK;
}

HRESULT RecordingRenderer::SetMediaType(const CMediaType* type)
{
    m_Log->Add("renderer.SetMediaType");
    const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(type->Format());
    m_Width = info->bmiHeader.biWidth;
    m_Height = info->bmiHeader.biHeight;
    return S_OK;
}

HRESULT RecordingRenderer::DoRenderSample(IMediaSample* sample)
{
    REFERENCE_TIME now = 0;
    StreamTime(&now);
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Frames.push_back(FrameNumber(sample));
    m_DrawTimes.push_back(now);
    return S_OK;
}

HRESULT RecordingRenderer::BeginFlush()
{
    m_Log->Add("renderer.BeginFlush");
    return CBaseVideoRenderer::BeginFlush();
}

HRESULT RecordingRenderer::EndFlush()
{
    m_Log->Add("renderer.EndFlush");
    return CBaseVideoRenderer::EndFlush();
}

HRESULT RecordingRenderer::NewSegment(REFERENCE_TIME start, REFERENCE_TIME, double)
{
    m_Log->Add("renderer.NewSegment " + std::to_string(start));
    return S_OK;
}

std::vector<int> RecordingRenderer::Frames()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Frames;
}

std::vector<REFERENCE_TIME> RecordingRenderer::DrawTimes()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_DrawTimes;
}

// --- RecordingSink ------------------------------------------------------------------------

RecordingSinkPin::RecordingSinkPin(RecordingSink* sink, CCritSec* lock)
    : CBaseInputPin(u"Recording sink pin", sink, lock, nullptr, u"In"), m_Sink(sink)
{
}

HRESULT RecordingSinkPin::CheckMediaType(const CMediaType*) { return S_OK; }

HRESULT RecordingSinkPin::Receive(IMediaSample* sample)
{
    m_Sink->Log()->Add("sample " + std::to_string(FrameNumber(sample)));
    return S_OK;
}

HRESULT RecordingSinkPin::EndOfStream()
{
    m_Sink->Log()->Add("eos");
    return S_OK;
}

HRESULT RecordingSinkPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME, double)
{
    m_Sink->Log()->Add("segment " + std::to_string(start));
    return S_OK;
}

HRESULT RecordingSinkPin::BeginFlush()
{
    m_Sink->Log()->Add("begin flush");
    return CBaseInputPin::BeginFlush();
}

HRESULT RecordingSinkPin::EndFlush()
{
    m_Sink->Log()->Add("end flush");
    return CBaseInputPin::EndFlush();
}

RecordingSink::RecordingSink(EventLog* log)
    : CBaseFilter(u"Recording sink", nullptr, &m_FilterLock, TarnwickDshowGuid(0x9104)), m_Log(log), m_Pin(this, &m_FilterLock)
{
    ++g_LiveFilters;
}

RecordingSink::~RecordingSink() { --g_LiveFilters; }

}  // namespace dshow_test
