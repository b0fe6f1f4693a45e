#include "platform/dshow/movie_decoder_filter.h"

#include "platform/win32/user_log.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr CLSID kMovieDecoderClsid = TarnwickDshowGuid(0x2102);
constexpr AVRational kReferenceTimeBase = {1, static_cast<int>(kUnitsPerSecond)};
constexpr REFERENCE_TIME kDefaultFrameTime = kUnitsPerSecond / 25;

// The FOURCC a FOURCC-derived subtype carries, or 0.
DWORD FourCCOf(const GUID& subtype)
{
    const GUID base = FourCCGuid(0);
    return subtype.Data2 == base.Data2 && subtype.Data3 == base.Data3 &&
                   std::memcmp(subtype.Data4, base.Data4, sizeof(base.Data4)) == 0
               ? subtype.Data1
               : 0;
}

}  // namespace

// --- pins ---------------------------------------------------------------------------------

CMovieDecoderInputPin::CMovieDecoderInputPin(CMovieDecoderFilter* filter, CCritSec* lock)
    : CBaseInputPin(u"Movie decoder input", filter, lock, nullptr, u"In"), m_Decoder(filter)
{
}

HRESULT CMovieDecoderInputPin::CheckMediaType(const CMediaType* type)
{
    return CMovieDecoderFilter::CodecOf(*type) != AV_CODEC_ID_NONE ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CMovieDecoderInputPin::SetMediaType(const CMediaType* type)
{
    const HRESULT hr = CBaseInputPin::SetMediaType(type);
    if (FAILED(hr)) return hr;
    return m_Decoder->OpenCodec(*type);
}

HRESULT CMovieDecoderInputPin::BreakConnect()
{
    m_Decoder->CloseCodec();
    return CBaseInputPin::BreakConnect();
}

HRESULT CMovieDecoderInputPin::Receive(IMediaSample* sample)
{
    const HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    return m_Decoder->Decode(sample);
}

HRESULT CMovieDecoderInputPin::EndOfStream()
{
    const HRESULT hr = CBaseInputPin::EndOfStream();
    if (FAILED(hr)) return hr;
    if (!IsFlushing()) m_Decoder->Drain();
    return m_Decoder->m_Output.DeliverEndOfStream();
}

HRESULT CMovieDecoderInputPin::BeginFlush()
{
    CBaseInputPin::BeginFlush();
    return m_Decoder->m_Output.DeliverBeginFlush();
}

HRESULT CMovieDecoderInputPin::EndFlush()
{
    {
        CAutoLock lock(&m_Decoder->m_StreamLock);
        if (m_Decoder->m_Codec) platform::av::Api().avcodec_flush_buffers(m_Decoder->m_Codec.get());
    }
    CBaseInputPin::EndFlush();
    return m_Decoder->m_Output.DeliverEndFlush();
}

HRESULT CMovieDecoderInputPin::NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate)
{
    CBasePin::NewSegment(start, stop, rate);
    return m_Decoder->m_Output.DeliverNewSegment(start, stop, rate);
}

CMovieDecoderOutputPin::CMovieDecoderOutputPin(CMovieDecoderFilter* filter, CCritSec* lock)
    : CBaseOutputPin(u"Movie decoder output", filter, lock, nullptr, u"Out"), m_Decoder(filter)
{
}

HRESULT CMovieDecoderOutputPin::GetMediaType(int position, CMediaType* type)
{
    if (position < 0) return E_INVALIDARG;
    if (position > 0 || !m_Decoder->m_Codec) return VFW_S_NO_MORE_ITEMS;
    *type = m_Decoder->m_OutputType;
    return S_OK;
}

HRESULT CMovieDecoderOutputPin::CheckMediaType(const CMediaType* type)
{
    return m_Decoder->m_Codec && *type == m_Decoder->m_OutputType ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CMovieDecoderOutputPin::DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request)
{
    ALLOCATOR_PROPERTIES wanted = *request;
    wanted.cBuffers = std::max<LONG>(wanted.cBuffers, 3);
    wanted.cbBuffer = std::max(wanted.cbBuffer, m_Decoder->m_BufferSize);
    ALLOCATOR_PROPERTIES actual{};
    const HRESULT hr = allocator->SetProperties(&wanted, &actual);
    if (FAILED(hr)) return hr;
    return actual.cbBuffer < m_Decoder->m_BufferSize ? E_OUTOFMEMORY : S_OK;
}

// --- CMovieDecoderFilter ------------------------------------------------------------------

CMovieDecoderFilter::CMovieDecoderFilter()
    : CBaseFilter(u"Movie decoder", nullptr, &m_FilterLock, kMovieDecoderClsid), m_Input(this, &m_FilterLock),
      m_Output(this, &m_FilterLock)
{
}

CMovieDecoderFilter::~CMovieDecoderFilter() = default;

HRESULT CMovieDecoderFilter::Create(IBaseFilter** filter)
{
    if (!filter) return E_POINTER;
    auto* decoder = new CMovieDecoderFilter;
    decoder->AddRef();
    *filter = decoder;
    return S_OK;
}

CBasePin* CMovieDecoderFilter::GetPin(int n)
{
    if (n == 0) return &m_Input;
    if (n == 1) return &m_Output;
    return nullptr;
}

AVCodecID CMovieDecoderFilter::CodecOf(const AM_MEDIA_TYPE& type)
{
    // FFmpeg is opened with the first stream offered; without it no type is taken.
    const platform::av::AvLibrary* loaded = platform::av::Load();
    if (!loaded) return AV_CODEC_ID_NONE;
    const platform::av::AvLibrary& ff = *loaded;
    AVCodecID id = AV_CODEC_ID_NONE;
    if (type.majortype == MEDIATYPE_Video && type.formattype == FORMAT_VideoInfo && type.pbFormat &&
        type.cbFormat >= sizeof(VIDEOINFOHEADER)) {
        VIDEOINFOHEADER info;
        std::memcpy(&info, type.pbFormat, sizeof(info));
        const DWORD fourcc = FourCCOf(type.subtype) ? FourCCOf(type.subtype) : info.bmiHeader.biCompression;
        const AVCodecTag* const tags[] = {ff.avformat_get_riff_video_tags(), nullptr};
        if (fourcc != BI_RGB) id = ff.av_codec_get_id(tags, fourcc);
        const LONG height = info.bmiHeader.biHeight < 0 ? -info.bmiHeader.biHeight : info.bmiHeader.biHeight;
        if (info.bmiHeader.biWidth <= 0 || height <= 0 || info.bmiHeader.biWidth > platform::kMaxMovieDimension ||
            height > platform::kMaxMovieDimension || id == AV_CODEC_ID_RAWVIDEO)
            id = AV_CODEC_ID_NONE;
    } else if (type.majortype == MEDIATYPE_Audio && type.formattype == FORMAT_WaveFormatEx && type.pbFormat &&
               type.cbFormat >= sizeof(WAVEFORMATEX)) {
        WAVEFORMATEX format;
        std::memcpy(&format, type.pbFormat, sizeof(format));
        const AVCodecTag* const tags[] = {ff.avformat_get_riff_audio_tags(), nullptr};
        if (format.wFormatTag != WAVE_FORMAT_PCM) id = ff.av_codec_get_id(tags, format.wFormatTag);
        if (format.nChannels == 0 || format.nSamplesPerSec == 0 ||
            format.nSamplesPerSec > static_cast<DWORD>(platform::kMaxMovieSampleRate) ||
            format.cbSize > type.cbFormat - sizeof(WAVEFORMATEX))
            id = AV_CODEC_ID_NONE;
    }
    if (id != AV_CODEC_ID_NONE && !ff.avcodec_find_decoder(id)) id = AV_CODEC_ID_NONE;
    return id;
}

HRESULT CMovieDecoderFilter::OpenCodec(const CMediaType& type)
{
    const platform::av::AvLibrary& ff = platform::av::Api();
    CAutoLock lock(&m_StreamLock);
    CloseCodec();
    const AVCodecID id = CodecOf(type);
    if (id == AV_CODEC_ID_NONE) return VFW_E_TYPE_NOT_ACCEPTED;
    const AVCodec* codec = ff.avcodec_find_decoder(id);
    if (!codec) return VFW_E_TYPE_NOT_ACCEPTED;
    platform::FfCodec context(ff.avcodec_alloc_context3(codec));
    if (!context) return E_OUTOFMEMORY;
    const BYTE* extra = nullptr;
    std::size_t extraSize = 0;
    m_Video = type.majortype == MEDIATYPE_Video;
    if (m_Video) {
        VIDEOINFOHEADER info;
        std::memcpy(&info, type.pbFormat, sizeof(info));
        m_Width = info.bmiHeader.biWidth;
        m_Height = info.bmiHeader.biHeight < 0 ? -info.bmiHeader.biHeight : info.bmiHeader.biHeight;
        m_FrameTime = info.AvgTimePerFrame > 0 ? info.AvgTimePerFrame : kDefaultFrameTime;
        context->width = m_Width;
        context->height = m_Height;
        context->codec_tag = FourCCOf(type.subtype) ? FourCCOf(type.subtype) : info.bmiHeader.biCompression;
        context->bits_per_coded_sample = info.bmiHeader.biBitCount;
        extra = type.pbFormat + sizeof(VIDEOINFOHEADER);
        extraSize = type.cbFormat - sizeof(VIDEOINFOHEADER);
        m_OutputType = platform::MovieVideoType(m_Width, m_Height, m_FrameTime);
        m_BufferSize = platform::MovieRowBytes(m_Width) * m_Height;
    } else {
        WAVEFORMATEX format;
        std::memcpy(&format, type.pbFormat, sizeof(format));
        m_Rate = static_cast<int>(format.nSamplesPerSec);
        m_Channels = std::min<int>(format.nChannels, platform::kMaxMovieChannels);
        context->sample_rate = m_Rate;
        ff.av_channel_layout_default(&context->ch_layout, format.nChannels);
        context->block_align = format.nBlockAlign;
        context->bit_rate = static_cast<std::int64_t>(format.nAvgBytesPerSec) * 8;
        context->bits_per_coded_sample = format.wBitsPerSample;
        context->codec_tag = format.wFormatTag;
        extra = type.pbFormat + sizeof(WAVEFORMATEX);
        extraSize = format.cbSize;
        m_OutputType = platform::MoviePcmType(m_Rate, m_Channels);
        m_BufferSize = std::max(m_Rate / 4, 1) * m_Channels * 2;
    }
    if (extraSize > 0) {
        context->extradata =
            static_cast<std::uint8_t*>(ff.av_mallocz(extraSize + AV_INPUT_BUFFER_PADDING_SIZE));
        if (!context->extradata) return E_OUTOFMEMORY;
        std::memcpy(context->extradata, extra, extraSize);
        context->extradata_size = static_cast<int>(extraSize);
    }
    context->thread_count = 1;   // the same output on every run
    context->pkt_timebase = kReferenceTimeBase;
    if (ff.avcodec_open2(context.get(), codec, nullptr) < 0) {
        platform::LogUserError("Movie decoder: FFmpeg cannot open the %s codec", ff.avcodec_get_name(id));
        return VFW_E_TYPE_NOT_ACCEPTED;
    }
    m_Frame.reset(ff.av_frame_alloc());
    m_Packet.reset(ff.av_packet_alloc());
    if (!m_Frame || !m_Packet) return E_OUTOFMEMORY;
    m_Codec = std::move(context);
    m_Next = 0;
    return S_OK;
}

void CMovieDecoderFilter::CloseCodec()
{
    CAutoLock lock(&m_StreamLock);
    m_Codec.reset();
}

HRESULT CMovieDecoderFilter::Decode(IMediaSample* sample)
{
    const platform::av::AvLibrary& ff = platform::av::Api();
    CAutoLock lock(&m_StreamLock);
    if (!m_Codec) return VFW_E_NOT_CONNECTED;
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    const LONG length = sample->GetActualDataLength();
    if (!data || length <= 0) return S_OK;
    if (ff.av_new_packet(m_Packet.get(), length) < 0) return E_OUTOFMEMORY;
    std::memcpy(m_Packet->data, data, static_cast<std::size_t>(length));
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    m_Packet->pts = SUCCEEDED(sample->GetTime(&start, &stop)) ? start : AV_NOPTS_VALUE;
    if (sample->IsSyncPoint() == S_OK) m_Packet->flags |= AV_PKT_FLAG_KEY;
    if (sample->IsDiscontinuity() == S_OK && m_Packet->pts != AV_NOPTS_VALUE) m_Next = m_Packet->pts;
    // A damaged sample is skipped; the stream goes on with the next one.
    const int sent = ff.avcodec_send_packet(m_Codec.get(), m_Packet.get());
    ff.av_packet_unref(m_Packet.get());
    if (sent < 0) return S_OK;
    return TakeFrames();
}

void CMovieDecoderFilter::Drain()
{
    const platform::av::AvLibrary& ff = platform::av::Api();
    CAutoLock lock(&m_StreamLock);
    if (!m_Codec) return;
    if (ff.avcodec_send_packet(m_Codec.get(), nullptr) >= 0) TakeFrames();
    ff.avcodec_flush_buffers(m_Codec.get());
}

HRESULT CMovieDecoderFilter::TakeFrames()
{
    const platform::av::AvLibrary& ff = platform::av::Api();
    while (true) {
        const int result = ff.avcodec_receive_frame(m_Codec.get(), m_Frame.get());
        if (result < 0) return S_OK;
        const REFERENCE_TIME start =
            m_Frame->best_effort_timestamp != AV_NOPTS_VALUE ? m_Frame->best_effort_timestamp : m_Next;
        REFERENCE_TIME stop = start + m_FrameTime;
        bool made = false;
        if (m_Video) {
            m_Bytes.resize(static_cast<std::size_t>(m_BufferSize));
            made = m_VideoConverter.Convert(m_Frame.get(), m_Width, m_Height, m_Bytes.data(), m_Bytes.size());
        } else {
            m_Bytes.clear();
            made = m_AudioConverter.Convert(m_Frame.get(), m_Rate, m_Channels, m_Bytes) && !m_Bytes.empty();
            const auto frames = static_cast<std::int64_t>(m_Bytes.size() / (static_cast<std::size_t>(m_Channels) * 2));
            stop = start + ff.av_rescale(frames, kUnitsPerSecond, m_Rate);
        }
        ff.av_frame_unref(m_Frame.get());
        if (!made) continue;
        m_Next = stop;
        if (start < 0) continue;   // preroll: decoded to reach the segment start, not shown
        const HRESULT hr = DeliverBytes(m_Bytes.data(), m_Bytes.size(), start, stop);
        if (FAILED(hr)) return hr;
    }
}

HRESULT CMovieDecoderFilter::DeliverBytes(const std::uint8_t* data, std::size_t size, REFERENCE_TIME start,
                                          REFERENCE_TIME stop)
{
    const std::size_t block = m_Video ? 1 : static_cast<std::size_t>(m_Channels) * 2;
    REFERENCE_TIME from = start;
    while (size > 0) {
        IMediaSample* sample = nullptr;
        HRESULT hr = m_Output.GetDeliveryBuffer(&sample, nullptr, nullptr, 0);
        if (FAILED(hr) || !sample) return FAILED(hr) ? hr : E_FAIL;
        BYTE* target = nullptr;
        sample->GetPointer(&target);
        const std::size_t chunk = std::min(size, static_cast<std::size_t>(sample->GetSize()) / block * block);
        if (chunk == 0) {
            sample->Release();
            return E_FAIL;
        }
        std::memcpy(target, data, chunk);
        sample->SetActualDataLength(static_cast<LONG>(chunk));
        REFERENCE_TIME to = m_Video ? stop : from + static_cast<REFERENCE_TIME>(chunk / block) * kUnitsPerSecond / m_Rate;
        sample->SetTime(&from, &to);
        sample->SetSyncPoint(TRUE);
        hr = m_Output.Deliver(sample);
        sample->Release();
        if (hr != S_OK) return hr;
        data += chunk;
        size -= chunk;
        from = to;
    }
    return S_OK;
}
