#include "platform/wmf/wm_reader.h"

#include "platform/wmf/wm_buffer.h"
#include "platform/wmf/wm_stream_config.h"
#include "platform/win32/file.h"
#include "platform/win32/sync.h"
#include "platform/win32/user_log.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace platform {

namespace {

constexpr int kIoBufferSize = 32 * 1024;
constexpr std::int64_t kProbeBytes = 512 * 1024;
constexpr std::int64_t kAnalyzeMicroseconds = 2'000'000;
constexpr std::size_t kHeaderBytes = 64 * 1024;
constexpr DWORD kMinSampleBuffer = 64 * 1024;
constexpr AVRational kReferenceTimeBase = {1, static_cast<int>(kUnitsPerSecond)};

constexpr GUID kAsfHeaderObject = {0x75B22630, 0x668E, 0x11CF, {0xA6, 0xD9, 0x00, 0xAA, 0x00, 0x62, 0xCE, 0x6C}};
constexpr GUID kAsfFileProperties = {0x8CABDCA1, 0xA947, 0x11CF, {0x8E, 0xE4, 0x00, 0xC0, 0x0C, 0x20, 0x53, 0x65}};

std::uint64_t ReadLe(const std::uint8_t* bytes, int count)
{
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = (value << 8) | bytes[i];
    return value;
}

GUID ReadGuid(const std::uint8_t* bytes)
{
    GUID guid{};
    guid.Data1 = static_cast<DWORD>(ReadLe(bytes, 4));
    guid.Data2 = static_cast<WORD>(ReadLe(bytes + 4, 2));
    guid.Data3 = static_cast<WORD>(ReadLe(bytes + 6, 2));
    std::memcpy(guid.Data4, bytes + 8, 8);
    return guid;
}

// The play length the ASF header gives (play duration less the preroll), or none when the
// header has no file properties or no length beyond the preroll, as live streams write it.
std::optional<QWORD> HeaderDuration(const std::vector<std::uint8_t>& header)
{
    if (header.size() < 30 || !(ReadGuid(header.data()) == kAsfHeaderObject)) return std::nullopt;
    std::size_t offset = 30;
    while (offset + 24 <= header.size()) {
        const GUID id = ReadGuid(header.data() + offset);
        const std::uint64_t size = ReadLe(header.data() + offset + 16, 8);
        if (size < 24 || size > header.size() - offset) return std::nullopt;
        if (id == kAsfFileProperties) {
            if (size < 80) return std::nullopt;
            const std::uint8_t* body = header.data() + offset + 24;
            const QWORD play = ReadLe(body + 40, 8);                  // 100 ns units
            const QWORD preroll = ReadLe(body + 56, 8) * 10'000;      // milliseconds
            // A header written before the end was known holds the preroll alone.
            if (play <= preroll) return std::nullopt;
            return play - preroll;
        }
        offset += static_cast<std::size_t>(size);
    }
    return std::nullopt;
}

CMediaType CompressedType(const AVStream* stream)
{
    const AVCodecParameters* parameters = stream->codecpar;
    const auto extra = static_cast<ULONG>(std::max(parameters->extradata_size, 0));
    CMediaType type;
    if (parameters->codec_type == AVMEDIA_TYPE_VIDEO) {
        type.SetType(&MEDIATYPE_Video);
        const GUID subtype = FourCCGuid(parameters->codec_tag);
        type.SetSubtype(&subtype);
        type.SetFormatType(&FORMAT_VideoInfo);
        type.bTemporalCompression = TRUE;
        BYTE* format = type.AllocFormatBuffer(static_cast<ULONG>(sizeof(VIDEOINFOHEADER)) + extra);
        if (!format) return type;
        VIDEOINFOHEADER info{};
        info.rcSource = {0, 0, parameters->width, parameters->height};
        info.rcTarget = info.rcSource;
        info.dwBitRate = static_cast<DWORD>(std::max<std::int64_t>(parameters->bit_rate, 0));
        if (stream->avg_frame_rate.num > 0 && stream->avg_frame_rate.den > 0)
            info.AvgTimePerFrame =
                av::Api().av_rescale(kUnitsPerSecond, stream->avg_frame_rate.den, stream->avg_frame_rate.num);
        info.bmiHeader.biSize = static_cast<DWORD>(sizeof(BITMAPINFOHEADER) + extra);
        info.bmiHeader.biWidth = parameters->width;
        info.bmiHeader.biHeight = parameters->height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = static_cast<WORD>(parameters->bits_per_coded_sample > 0 ? parameters->bits_per_coded_sample : 24);
        info.bmiHeader.biCompression = parameters->codec_tag;
        std::memcpy(format, &info, sizeof(info));
        if (extra) std::memcpy(format + sizeof(info), parameters->extradata, extra);
    } else {
        type.SetType(&MEDIATYPE_Audio);
        const GUID subtype = FourCCGuid(parameters->codec_tag);
        type.SetSubtype(&subtype);
        type.SetFormatType(&FORMAT_WaveFormatEx);
        BYTE* format = type.AllocFormatBuffer(static_cast<ULONG>(sizeof(WAVEFORMATEX)) + extra);
        if (!format) return type;
        WAVEFORMATEX wave{};
        wave.wFormatTag = static_cast<WORD>(parameters->codec_tag);
        wave.nChannels = static_cast<WORD>(parameters->ch_layout.nb_channels);
        wave.nSamplesPerSec = static_cast<DWORD>(parameters->sample_rate);
        wave.nAvgBytesPerSec = static_cast<DWORD>(std::max<std::int64_t>(parameters->bit_rate, 0) / 8);
        wave.nBlockAlign = static_cast<WORD>(parameters->block_align);
        wave.wBitsPerSample = static_cast<WORD>(parameters->bits_per_coded_sample);
        wave.cbSize = static_cast<WORD>(extra);
        std::memcpy(format, &wave, sizeof(wave));
        if (extra) std::memcpy(format + sizeof(wave), parameters->extradata, extra);
    }
    return type;
}

}  // namespace

WmReader::WmReader() : m_Wake(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}

WmReader::~WmReader()
{
    if (m_Thread.joinable()) {
        Post({Command::Quit});
        // Released by the last callback on its own thread: that thread ends by itself.
        if (m_Thread.get_id() == std::this_thread::get_id())
            m_Thread.detach();
        else
            m_Thread.join();
    }
    if (m_Advanced) m_Advanced->Release();
    if (m_Callback) m_Callback->Release();
    if (m_Stream) m_Stream->Release();
    if (m_Wake) CloseHandle(m_Wake);
}

HRESULT WmReader::QueryInterface(REFIID riid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IWMReader) {
        *object = static_cast<IWMReader*>(this);
    } else if (riid == IID_IWMReaderAdvanced) {
        *object = static_cast<IWMReaderAdvanced*>(this);
    } else if (riid == IID_IWMReaderAdvanced2) {
        *object = static_cast<IWMReaderAdvanced2*>(this);
    } else if (riid == IID_IWMProfile) {
        *object = static_cast<IWMProfile*>(this);
    } else if (riid == IID_IWMHeaderInfo) {
        *object = static_cast<IWMHeaderInfo*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG WmReader::AddRef() { return ++m_RefCount; }

ULONG WmReader::Release()
{
    const ULONG count = --m_RefCount;
    if (count == 0) delete this;
    return count;
}

float WmReader::AcceptedRate(float rate)
{
    if (!std::isfinite(rate) || rate <= 0.0f) return 1.0f;
    return std::clamp(rate, 0.1f, 10.0f);
}

// --- commands -----------------------------------------------------------------------------

void WmReader::WakeThread()
{
    // One set at a time, also while the thread runs: it takes the set before anything it calls
    // back may block (TakeWake), so that a settling graph follows the thread from a command on
    // and no set lies around while the thread waits elsewhere.
    if (!m_ThreadWoken) {
        m_ThreadWoken = true;
        SetEvent(m_Wake);
    }
}

void WmReader::TakeWake(std::unique_lock<std::mutex>& lock)
{
    if (m_ThreadWoken) WaitForWake(lock);   // set: returns at once
}

void WmReader::WaitForWake(std::unique_lock<std::mutex>& lock)
{
    lock.unlock();
    WaitForSingleObject(m_Wake, INFINITE);
    lock.lock();
    m_ThreadWoken = false;
}

void WmReader::Post(const Request& request)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Requests.push_back(request);
    WakeThread();
}

bool WmReader::CommandWaiting()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return !m_Requests.empty();
}

HRESULT WmReader::Open(LPCWSTR, IWMReaderCallback*, void*) { return E_NOTIMPL; }

HRESULT WmReader::OpenStream(IStream* stream, IWMReaderCallback* callback, void* context)
{
    if (!stream || !callback) return E_INVALIDARG;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (m_Callback) return NS_E_INVALID_REQUEST;   // one file per reader
        stream->AddRef();
        m_Stream = stream;
        callback->AddRef();
        m_Callback = callback;
        if (FAILED(callback->QueryInterface(IID_IWMReaderCallbackAdvanced, reinterpret_cast<void**>(&m_Advanced))))
            m_Advanced = nullptr;
        m_Context = context;
    }
    if (!m_Thread.joinable()) m_Thread = std::thread([this] { ThreadMain(); });
    Post({Command::Open});
    return S_OK;
}

HRESULT WmReader::Start(QWORD start, QWORD, float rate, void*)
{
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (!m_Callback) return NS_E_INVALID_REQUEST;
        m_Rate = AcceptedRate(rate);
    }
    Post({Command::Start, start});
    return S_OK;
}

HRESULT WmReader::Stop()
{
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (!m_Callback) return NS_E_INVALID_REQUEST;
    }
    Post({Command::Stop});
    return S_OK;
}

HRESULT WmReader::Close()
{
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (!m_Callback) return NS_E_INVALID_REQUEST;
    }
    Post({Command::Close});
    return S_OK;
}

HRESULT WmReader::Pause() { return E_NOTIMPL; }

HRESULT WmReader::Resume() { return E_NOTIMPL; }

HRESULT WmReader::SetUserProvidedClock(BOOL userClock)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_UserClock = userClock != FALSE;
    return S_OK;
}

HRESULT WmReader::GetUserProvidedClock(BOOL* userClock)
{
    if (!userClock) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_Mutex);
    *userClock = m_UserClock ? TRUE : FALSE;
    return S_OK;
}

HRESULT WmReader::DeliverTime(QWORD time)
{
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        if (!m_UserClock) return NS_E_INVALID_REQUEST;
        m_DeliverTime = time;
        m_OnTimeDue = true;
        WakeThread();
    }
    return S_OK;
}

WmReader::StreamInfo* WmReader::StreamOf(WORD number)
{
    for (StreamInfo& info : m_Streams)
        if (info.number == number) return &info;
    return nullptr;
}

HRESULT WmReader::GetStreamSelected(WORD stream, WMT_STREAM_SELECTION* selection)
{
    if (!selection) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_Mutex);
    const StreamInfo* info = StreamOf(stream);
    if (!info) return NS_E_NO_STREAM;
    *selection = info->selected ? WMT_ON : WMT_OFF;
    return S_OK;
}

HRESULT WmReader::SetReceiveStreamSamples(WORD stream, BOOL receive)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    StreamInfo* info = StreamOf(stream);
    if (!info) return NS_E_NO_STREAM;
    info->receive = receive != FALSE;
    return S_OK;
}

HRESULT WmReader::GetReceiveStreamSamples(WORD stream, BOOL* receive)
{
    if (!receive) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_Mutex);
    const StreamInfo* info = StreamOf(stream);
    if (!info) return NS_E_NO_STREAM;
    *receive = info->receive ? TRUE : FALSE;
    return S_OK;
}

HRESULT WmReader::SetAllocateForStream(WORD stream, BOOL allocate)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    StreamInfo* info = StreamOf(stream);
    if (!info) return NS_E_NO_STREAM;
    info->allocate = allocate != FALSE;
    return S_OK;
}

HRESULT WmReader::GetAllocateForStream(WORD stream, BOOL* allocate)
{
    if (!allocate) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_Mutex);
    const StreamInfo* info = StreamOf(stream);
    if (!info) return NS_E_NO_STREAM;
    *allocate = info->allocate ? TRUE : FALSE;
    return S_OK;
}

HRESULT WmReader::GetMaxStreamSampleSize(WORD stream, DWORD* size)
{
    if (!size) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_Mutex);
    const StreamInfo* info = StreamOf(stream);
    if (!info) return NS_E_NO_STREAM;
    *size = info->maxSize;
    return S_OK;
}

HRESULT WmReader::GetStreamCount(DWORD* count)
{
    if (!count) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_Opened) return NS_E_INVALID_REQUEST;
    *count = static_cast<DWORD>(m_Streams.size());
    return S_OK;
}

HRESULT WmReader::GetStream(DWORD index, IWMStreamConfig** config)
{
    if (!config) return E_POINTER;
    *config = nullptr;
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_Opened) return NS_E_INVALID_REQUEST;
    if (index >= m_Streams.size()) return E_INVALIDARG;
    const StreamInfo& info = m_Streams[index];
    *config = new WmStreamConfig(info.number, info.name, info.type);
    return S_OK;
}

HRESULT WmReader::GetAttributeByName(WORD* stream, LPCWSTR name, WMT_ATTR_DATATYPE* type, BYTE* value, WORD* length)
{
    if (!stream || !name || !type || !length) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_Opened) return NS_E_INVALID_REQUEST;
    if (*stream != 0 || std::u16string_view(name) != u"Duration" || !m_Duration) return ASF_E_NOTFOUND;
    *type = WMT_TYPE_QWORD;
    if (!value) {
        *length = sizeof(QWORD);
        return S_OK;
    }
    if (*length < sizeof(QWORD)) {
        *length = sizeof(QWORD);
        return ASF_E_BUFFERTOOSMALL;
    }
    std::memcpy(value, &*m_Duration, sizeof(QWORD));
    *length = sizeof(QWORD);
    return S_OK;
}

// --- the reader thread --------------------------------------------------------------------

void WmReader::Status(WMT_STATUS status, HRESULT result)
{
    IWMReaderCallback* callback = nullptr;
    void* context = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        callback = m_Callback;
        context = m_Context;
        if (callback) callback->AddRef();
    }
    if (!callback) return;
    callback->OnStatus(status, result, WMT_TYPE_DWORD, nullptr, context);
    callback->Release();
}

void WmReader::ThreadMain()
{
    while (true) {
        Request request;
        {
            std::unique_lock<std::mutex> lock(m_Mutex);
            while (m_Requests.empty()) WaitForWake(lock);
            request = m_Requests.front();
            m_Requests.pop_front();
        }
        switch (request.command) {
        case Command::Open: Status(WMT_OPENED, DoOpen()); break;
        case Command::Start: DoStart(request.start); break;
        case Command::Stop: Status(WMT_STOPPED, S_OK); break;
        case Command::Close: {
            m_Input.reset();
            m_Io.reset();
            // The reader lets go of the callback before it reports the close: nothing is called
            // back after it, and every command from then on is refused.
            IWMReaderCallback* callback = nullptr;
            IWMReaderCallbackAdvanced* advanced = nullptr;
            IStream* stream = nullptr;
            void* context = nullptr;
            {
                std::lock_guard<std::mutex> lock(m_Mutex);
                std::swap(callback, m_Callback);
                std::swap(advanced, m_Advanced);
                std::swap(stream, m_Stream);
                context = m_Context;
                m_Opened = false;
                m_Requests.clear();
            }
            if (callback) callback->OnStatus(WMT_CLOSED, S_OK, WMT_TYPE_DWORD, nullptr, context);
            if (advanced) advanced->Release();
            if (callback) callback->Release();
            if (stream) stream->Release();
            return;
        }
        case Command::Quit:
            m_Input.reset();
            m_Io.reset();
            return;
        }
    }
}

int WmReader::ReadPacket(void* opaque, std::uint8_t* buffer, int size)
{
    auto* self = static_cast<WmReader*>(opaque);
    ULONG read = 0;
    if (FAILED(self->m_Stream->Read(buffer, static_cast<ULONG>(std::max(size, 0)), &read))) return AVERROR(EIO);
    if (read == 0) return AVERROR_EOF;
    read = std::min<ULONG>(read, static_cast<ULONG>(size));
    self->m_Position += read;
    return static_cast<int>(read);
}

std::int64_t WmReader::SeekBytes(void* opaque, std::int64_t offset, int whence)
{
    // The stream takes absolute positions only and cannot say how long it is.
    auto* self = static_cast<WmReader*>(opaque);
    switch (whence & ~AVSEEK_FORCE) {
    case SEEK_SET: break;
    case SEEK_CUR: offset += self->m_Position; break;
    default: return -1;
    }
    if (offset < 0) return -1;
    LARGE_INTEGER move{};
    move.QuadPart = offset;
    if (FAILED(self->m_Stream->Seek(move, STREAM_SEEK_SET, nullptr))) return -1;
    self->m_Position = offset;
    return offset;
}

bool WmReader::OpenInput()
{
    const av::AvLibrary& ff = av::Api();
    m_Input.reset();
    m_Io.reset();
    LARGE_INTEGER zero{};
    if (FAILED(m_Stream->Seek(zero, STREAM_SEEK_SET, nullptr))) return false;
    m_Position = 0;
    auto* buffer = static_cast<std::uint8_t*>(ff.av_malloc(kIoBufferSize));
    if (!buffer) return false;
    m_Io.reset(
        ff.avio_alloc_context(buffer, kIoBufferSize, 0, this, &WmReader::ReadPacket, nullptr, &WmReader::SeekBytes));
    if (!m_Io) {
        ff.av_free(buffer);
        return false;
    }
    AVFormatContext* context = ff.avformat_alloc_context();
    if (!context) return false;
    context->pb = m_Io.get();
    context->flags |= AVFMT_FLAG_CUSTOM_IO;
    context->probesize = kProbeBytes;
    context->max_analyze_duration = kAnalyzeMicroseconds;
    if (ff.avformat_open_input(&context, nullptr, ff.av_find_input_format("asf"), nullptr) < 0) return false;
    m_Input.reset(context);
    // A read failing while the streams are looked at still leaves what the headers said.
    if (ff.avformat_find_stream_info(m_Input.get(), nullptr) < 0 && m_Input->nb_streams == 0) {
        m_Input.reset();
        return false;
    }
    return true;
}

HRESULT WmReader::DoOpen()
{
    // The header's play duration, read before FFmpeg takes the stream.
    std::vector<std::uint8_t> header(kHeaderBytes);
    std::size_t got = 0;
    LARGE_INTEGER zero{};
    if (SUCCEEDED(m_Stream->Seek(zero, STREAM_SEEK_SET, nullptr))) {
        while (got < header.size()) {
            ULONG read = 0;
            if (FAILED(m_Stream->Read(header.data() + got, static_cast<ULONG>(header.size() - got), &read)) || read == 0)
                break;
            got += std::min<std::size_t>(read, header.size() - got);
        }
    }
    header.resize(got);
    // FFmpeg is opened with the first file; without it no file can be read.
    if (!av::Load() || !OpenInput()) {
        LogUserError("Windows Media: the stream is not an ASF file FFmpeg can read");
        return NS_E_INVALID_DATA;
    }
    std::vector<StreamInfo> streams;
    bool video = false;
    bool audio = false;
    for (unsigned i = 0; i < m_Input->nb_streams; ++i) {
        const AVStream* stream = m_Input->streams[i];
        const AVCodecParameters* parameters = stream->codecpar;
        if (parameters->codec_type != AVMEDIA_TYPE_VIDEO && parameters->codec_type != AVMEDIA_TYPE_AUDIO) continue;
        StreamInfo info;
        info.index = static_cast<int>(i);
        info.number = static_cast<WORD>(stream->id >= 1 && stream->id <= 127 ? stream->id : static_cast<int>(i) + 1);
        info.video = parameters->codec_type == AVMEDIA_TYPE_VIDEO;
        // The first video stream and the first audio stream play; the others are only listed.
        bool& taken = info.video ? video : audio;
        info.selected = !taken;
        taken = true;
        info.name = info.video ? u"Video" : u"Audio";
        info.name += u" " + std::u16string(1, static_cast<char16_t>(u'0' + info.number % 10));
        info.type = CompressedType(stream);
        const std::int64_t picture = static_cast<std::int64_t>(parameters->width) * parameters->height * 3;
        info.maxSize = static_cast<DWORD>(std::clamp<std::int64_t>(info.video ? picture + 4096 : 0, kMinSampleBuffer,
                                                                   64 * 1024 * 1024));
        streams.push_back(std::move(info));
    }
    if (streams.empty()) {
        LogUserError("Windows Media: the file has no video or audio stream");
        m_Input.reset();
        return NS_E_NO_STREAM;
    }
    m_Packet.reset(av::Api().av_packet_alloc());
    if (!m_Packet) return E_OUTOFMEMORY;
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Streams = std::move(streams);
    m_Duration = HeaderDuration(header);
    m_Opened = true;
    return S_OK;
}

void WmReader::DoStart(QWORD start)
{
    const av::AvLibrary& ff = av::Api();
    bool ready = m_Input != nullptr;
    const auto target = static_cast<std::int64_t>(std::min<QWORD>(start, static_cast<QWORD>(INT64_MAX)));
    if (ready) {
        // From the start, and wherever the index cannot take us, the file is read again from its
        // first byte; what lies before the target is dropped below.
        const bool seeked =
            target > 0 && ff.av_seek_frame(m_Input.get(), -1, ff.av_rescale_q(target, kReferenceTimeBase, AV_TIME_BASE_Q),
                                           AVSEEK_FLAG_BACKWARD) >= 0;
        if (!seeked) ready = OpenInput();
    }
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_DeliverTime = start;
        m_OnTimeDue = false;
    }
    Status(WMT_STARTED, ready ? S_OK : NS_E_INVALID_REQUEST);
    if (!ready) {
        Status(WMT_END_OF_FILE, S_OK);
        return;
    }
    std::vector<Held> held;
    std::vector<WORD> started;
    while (true) {
        if (CommandWaiting()) return;
        const int result = ff.av_read_frame(m_Input.get(), m_Packet.get());
        if (result < 0) {
            // A read the stream failed leaves its error on the context, FFmpeg reports it as an end.
            if (m_Io->error < 0 || (result != AVERROR_EOF && !ff.avio_feof(m_Io.get()))) {
                LogUserError("Windows Media: reading the file failed in the middle");
                Status(WMT_ERROR, NS_E_INVALID_DATA);
            }
            Status(WMT_END_OF_FILE, S_OK);
            return;
        }
        const StreamInfo* info = nullptr;
        {
            std::lock_guard<std::mutex> lock(m_Mutex);
            for (const StreamInfo& candidate : m_Streams)
                if (candidate.index == m_Packet->stream_index && candidate.selected && candidate.receive) info = &candidate;
        }
        if (!info) {
            ff.av_packet_unref(m_Packet.get());
            continue;
        }
        const AVStream* stream = m_Input->streams[m_Packet->stream_index];
        const std::int64_t pts = m_Packet->pts != AV_NOPTS_VALUE ? m_Packet->pts : m_Packet->dts;
        const QWORD time = static_cast<QWORD>(
            std::max<std::int64_t>(0, pts == AV_NOPTS_VALUE ? 0 : ff.av_rescale_q(pts, stream->time_base, kReferenceTimeBase)));
        const QWORD duration = static_cast<QWORD>(
            std::max<std::int64_t>(0, ff.av_rescale_q(m_Packet->duration, stream->time_base, kReferenceTimeBase)));
        const bool key = (m_Packet->flags & AV_PKT_FLAG_KEY) != 0;
        const WORD number = info->number;
        if (static_cast<std::int64_t>(time) < target) {
            // Before the target: sound is dropped; pictures since the last key frame are kept,
            // so that decoding can start there.
            if (info->video) {
                if (key) held.clear();
                if (key || !held.empty())
                    held.push_back({number, time, duration, key,
                                    std::vector<std::uint8_t>(m_Packet->data, m_Packet->data + m_Packet->size)});
            }
            ff.av_packet_unref(m_Packet.get());
            continue;
        }
        // The first sample of each stream after a start is a discontinuity.
        const auto flagsOf = [&started](WORD stream, bool cleanPoint) {
            DWORD flags = cleanPoint ? WM_SF_CLEANPOINT : 0;
            if (std::find(started.begin(), started.end(), stream) == started.end()) {
                started.push_back(stream);
                flags |= WM_SF_DISCONTINUITY;
            }
            return flags;
        };
        bool delivered = true;
        for (const Held& sample : held) {
            delivered = delivered && DeliverSample(sample.number, sample.time, sample.duration,
                                                   flagsOf(sample.number, sample.key), sample.bytes.data(),
                                                   sample.bytes.size());
        }
        held.clear();
        delivered = delivered && DeliverSample(number, time, duration, flagsOf(number, key), m_Packet->data,
                                               static_cast<std::size_t>(m_Packet->size));
        ff.av_packet_unref(m_Packet.get());
        if (!delivered) return;
    }
}

bool WmReader::DeliverSample(WORD number, QWORD time, QWORD duration, DWORD flags, const std::uint8_t* data,
                             std::size_t size)
{
    IWMReaderCallbackAdvanced* advanced = nullptr;
    void* context = nullptr;
    bool allocate = false;
    {
        std::unique_lock<std::mutex> lock(m_Mutex);
        // With the user's clock nothing goes past the last time given; reaching it says so once.
        while (m_UserClock && time > m_DeliverTime && m_Requests.empty()) {
            if (m_OnTimeDue && m_Advanced) {
                m_OnTimeDue = false;
                const QWORD reached = m_DeliverTime;
                IWMReaderCallbackAdvanced* callback = m_Advanced;
                void* callbackContext = m_Context;
                callback->AddRef();
                lock.unlock();
                callback->OnTime(reached, callbackContext);
                callback->Release();
                lock.lock();
                continue;
            }
            WaitForWake(lock);
        }
        if (!m_Requests.empty()) return false;
        TakeWake(lock);
        advanced = m_Advanced;
        context = m_Context;
        if (!advanced) return true;   // only stream samples are given, and only to the advanced callback
        advanced->AddRef();
        if (const StreamInfo* info = StreamOf(number)) allocate = info->allocate;
    }
    INSSBuffer* buffer = nullptr;
    if (allocate) {
        if (FAILED(advanced->AllocateForStream(number, static_cast<DWORD>(size), &buffer, context))) buffer = nullptr;
    } else {
        buffer = new WmBuffer(static_cast<DWORD>(size));
    }
    BYTE* target = nullptr;
    DWORD room = 0;
    if (buffer && SUCCEEDED(buffer->GetBuffer(&target)) && SUCCEEDED(buffer->GetMaxLength(&room)) && room >= size) {
        if (size) std::memcpy(target, data, size);
        buffer->SetLength(static_cast<DWORD>(size));
        advanced->OnStreamSample(number, time, duration, flags, buffer, context);
    }
    if (buffer) buffer->Release();
    advanced->Release();
    return true;
}

}  // namespace platform

HRESULT WMCreateReader(IUnknown* unknown, DWORD rights, IWMReader** reader)
{
    if (!reader) return E_POINTER;
    *reader = nullptr;
    if (unknown || rights != 0) return E_INVALIDARG;
    *reader = new platform::WmReader;
    return S_OK;
}
