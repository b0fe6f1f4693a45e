#include "platform/dshow/movie_demux.h"

#include "platform/win32/user_log.h"

#include <algorithm>
#include <climits>

namespace platform {

namespace {

constexpr int kIoBufferSize = 32 * 1024;
// A small movie opens on what the first reads bring; a damaged one cannot make us read it all.
constexpr std::int64_t kProbeBytes = 512 * 1024;
constexpr std::int64_t kAnalyzeMicroseconds = 2'000'000;
constexpr REFERENCE_TIME kDefaultFrameTime = kUnitsPerSecond / 25;
constexpr int kKeyFrameSearchPackets = 256;
constexpr int kSeekAttempts = 8;
constexpr std::int64_t kEndScanBytes = 1024 * 1024;
constexpr int kEndScanPackets = 20000;
constexpr AVRational kReferenceTimeBase = {1, static_cast<int>(kUnitsPerSecond)};

std::string ErrorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av::Api().av_strerror(code, text, sizeof(text));
    return text;
}

}  // namespace

MovieDemux::~MovieDemux() = default;

int MovieDemux::ReadPacket(void* opaque, std::uint8_t* buffer, int size)
{
    auto* self = static_cast<MovieDemux*>(opaque);
    if (self->m_Quit && self->m_Quit->load()) return AVERROR_EXIT;
    const std::int64_t remaining = self->m_Size - self->m_Position;
    if (remaining <= 0 || size <= 0) return AVERROR_EOF;
    const int length = static_cast<int>(std::min<std::int64_t>(size, remaining));
    const int got = self->m_Read(self->m_Position, length, buffer);
    if (got < 0) return AVERROR(EIO);
    if (got == 0) return AVERROR_EOF;
    self->m_Position += std::min(got, length);
    return std::min(got, length);
}

std::int64_t MovieDemux::SeekBytes(void* opaque, std::int64_t offset, int whence)
{
    auto* self = static_cast<MovieDemux*>(opaque);
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE: return self->m_Size;
    case SEEK_SET: break;
    case SEEK_CUR: offset += self->m_Position; break;
    case SEEK_END: offset += self->m_Size; break;
    default: return -1;
    }
    if (offset < 0) return -1;
    self->m_Position = offset;
    return offset;
}

int MovieDemux::Interrupt(void* opaque)
{
    auto* self = static_cast<MovieDemux*>(opaque);
    return self->m_Quit && self->m_Quit->load() ? 1 : 0;
}

bool MovieDemux::OpenInput(const AVInputFormat* format)
{
    const av::AvLibrary& ff = av::Api();
    m_Position = 0;
    if (ff.avio_seek(m_Io.get(), 0, SEEK_SET) < 0) return false;
    m_Io->error = 0;
    m_Io->eof_reached = 0;
    AVFormatContext* context = ff.avformat_alloc_context();
    if (!context) return false;
    context->pb = m_Io.get();
    context->flags |= AVFMT_FLAG_CUSTOM_IO;
    context->probesize = kProbeBytes;
    context->max_analyze_duration = kAnalyzeMicroseconds;
    context->interrupt_callback = {&MovieDemux::Interrupt, this};
    const int opened = ff.avformat_open_input(&context, nullptr, format, nullptr);   // frees the context on failure
    if (opened < 0) return false;
    m_Input.reset(context);
    // A read failing while the streams are looked at still leaves what the headers said.
    if (ff.avformat_find_stream_info(m_Input.get(), nullptr) < 0 && m_Input->nb_streams == 0) {
        m_Input.reset();
        return false;
    }
    return true;
}

bool MovieDemux::OpenDecoder(Decoder& decoder, int index)
{
    const av::AvLibrary& ff = av::Api();
    AVStream* stream = m_Input->streams[index];
    const AVCodec* codec = ff.avcodec_find_decoder(stream->codecpar->codec_id);
    if (!codec) return false;
    FfCodec context(ff.avcodec_alloc_context3(codec));
    if (!context || ff.avcodec_parameters_to_context(context.get(), stream->codecpar) < 0) return false;
    context->thread_count = 1;   // the same output on every run
    context->pkt_timebase = stream->time_base;
    if (ff.avcodec_open2(context.get(), codec, nullptr) < 0) return false;
    decoder.codec = std::move(context);
    decoder.index = index;
    decoder.timeBase = stream->time_base;
    return true;
}

bool MovieDemux::Open(ReadFunction read, std::int64_t size, const char* hint, const std::atomic<bool>* quit)
{
    m_Read = std::move(read);
    m_Size = std::max<std::int64_t>(0, size);
    m_Quit = quit;
    // FFmpeg is opened with the first movie; without it no movie can be read.
    const av::AvLibrary* loaded = av::Load();
    if (!loaded) {
        LogUserError("Movie: FFmpeg cannot read the file as a movie (%lld bytes)", static_cast<long long>(m_Size));
        return false;
    }
    const av::AvLibrary& ff = *loaded;
    auto* buffer = static_cast<std::uint8_t*>(ff.av_malloc(kIoBufferSize));
    if (!buffer) return false;
    m_Io.reset(ff.avio_alloc_context(buffer, kIoBufferSize, 0, this, &MovieDemux::ReadPacket, nullptr,
                                     &MovieDemux::SeekBytes));
    if (!m_Io) {
        ff.av_free(buffer);
        return false;
    }
    bool opened = OpenInput(nullptr);
    if (!opened && hint) {
        if (const AVInputFormat* format = ff.av_find_input_format(hint)) opened = OpenInput(format);
    }
    if (!opened) {
        LogUserError("Movie: FFmpeg cannot read the file as a movie (%lld bytes)", static_cast<long long>(m_Size));
        return false;
    }
    // The first video stream and the first audio stream; every other stream is skipped.
    for (unsigned i = 0; i < m_Input->nb_streams; ++i) {
        AVStream* stream = m_Input->streams[i];
        const AVCodecParameters* parameters = stream->codecpar;
        bool used = false;
        if (parameters->codec_type == AVMEDIA_TYPE_VIDEO && !HasVideo() &&
            !(stream->disposition & AV_DISPOSITION_ATTACHED_PIC) && parameters->width > 0 && parameters->height > 0 &&
            parameters->width <= kMaxMovieDimension && parameters->height <= kMaxMovieDimension) {
            used = OpenDecoder(m_Video, static_cast<int>(i));
            if (used) {
                m_Width = parameters->width;
                m_Height = parameters->height;
                const AVRational rate = ff.av_guess_frame_rate(m_Input.get(), stream, nullptr);
                m_FrameTime = rate.num > 0 && rate.den > 0 ? ff.av_rescale(kUnitsPerSecond, rate.den, rate.num) : 0;
                if (m_FrameTime <= 0 || m_FrameTime > kUnitsPerSecond * 10) m_FrameTime = kDefaultFrameTime;
            }
        } else if (parameters->codec_type == AVMEDIA_TYPE_AUDIO && !HasAudio() && parameters->sample_rate > 0 &&
                   parameters->sample_rate <= kMaxMovieSampleRate && parameters->ch_layout.nb_channels > 0) {
            used = OpenDecoder(m_Audio, static_cast<int>(i));
            if (used) {
                m_Rate = parameters->sample_rate;
                m_Channels = std::min(parameters->ch_layout.nb_channels, kMaxMovieChannels);
            }
        }
        if (!used) stream->discard = AVDISCARD_ALL;
    }
    if (!HasVideo() && !HasAudio()) {
        LogUserError("Movie: the file holds no video or audio stream that can be decoded");
        m_Input.reset();
        return false;
    }
    m_StartTime = m_Input->start_time != AV_NOPTS_VALUE
                      ? ff.av_rescale_q(m_Input->start_time, AV_TIME_BASE_Q, kReferenceTimeBase)
                      : 0;
    if (m_Input->duration != AV_NOPTS_VALUE && m_Input->duration > 0)
        m_Duration = ff.av_rescale_q(m_Input->duration, AV_TIME_BASE_Q, kReferenceTimeBase);
    for (const Decoder* decoder : {&m_Video, &m_Audio}) {
        if (!decoder->codec) continue;
        const AVStream* stream = m_Input->streams[decoder->index];
        if (stream->duration != AV_NOPTS_VALUE && stream->duration > 0)
            m_Duration = std::max(m_Duration, ff.av_rescale_q(stream->duration, stream->time_base, kReferenceTimeBase));
    }
    m_Frame.reset(ff.av_frame_alloc());
    m_Packet.reset(ff.av_packet_alloc());
    if (!m_Frame || !m_Packet) {
        m_Input.reset();
        return false;
    }
    // Without a length in the headers FFmpeg guesses from the last time stamp it finds, which
    // in a small MPEG file can be a whole packet of pictures short; the packets near the end
    // give the real end.
    if (m_Input->duration_estimation_method != AVFMT_DURATION_FROM_STREAM) m_Duration = std::max(m_Duration, ScanEnd());
    return true;
}

REFERENCE_TIME MovieDemux::ScanEnd()
{
    const av::AvLibrary& ff = av::Api();
    const std::int64_t from = std::max<std::int64_t>(0, m_Size - kEndScanBytes);
    if (ff.av_seek_frame(m_Input.get(), -1, from, AVSEEK_FLAG_BYTE) < 0) return 0;
    REFERENCE_TIME end = 0;
    for (int packets = 0; packets < kEndScanPackets; ++packets) {
        if (ff.av_read_frame(m_Input.get(), m_Packet.get()) < 0) break;
        for (const Decoder* decoder : {&m_Video, &m_Audio}) {
            if (!decoder->codec || m_Packet->stream_index != decoder->index) continue;
            const std::int64_t ts = m_Packet->pts != AV_NOPTS_VALUE ? m_Packet->pts : m_Packet->dts;
            if (ts == AV_NOPTS_VALUE) continue;
            REFERENCE_TIME length = ff.av_rescale_q(m_Packet->duration, decoder->timeBase, kReferenceTimeBase);
            if (decoder == &m_Video && length <= 0) length = m_FrameTime;
            end = std::max(end, TimeOf(*decoder, ts) + std::max<REFERENCE_TIME>(0, length));
        }
        ff.av_packet_unref(m_Packet.get());
    }
    return end;
}

std::size_t MovieDemux::VideoFrameBytes() const
{
    return static_cast<std::size_t>(MovieRowBytes(m_Width)) * static_cast<std::size_t>(m_Height);
}

REFERENCE_TIME MovieDemux::TimeOf(const Decoder& decoder, std::int64_t pts) const
{
    return av::Api().av_rescale_q(pts, decoder.timeBase, kReferenceTimeBase) - m_StartTime;
}

bool MovieDemux::SeekBefore(REFERENCE_TIME position)
{
    const av::AvLibrary& ff = av::Api();
    const std::int64_t target = ff.av_rescale_q(position + m_StartTime, kReferenceTimeBase, AV_TIME_BASE_Q);
    return ff.avformat_seek_file(m_Input.get(), -1, INT64_MIN, target, target, 0) >= 0;
}

bool MovieDemux::LandsOnKeyFrame(REFERENCE_TIME position)
{
    const av::AvLibrary& ff = av::Api();
    // Time-stamp searches (MPEG program streams) land on any picture; decoding has to start at
    // a key frame no later than the target.
    for (int packets = 0; packets < kKeyFrameSearchPackets; ++packets) {
        if (ff.av_read_frame(m_Input.get(), m_Packet.get()) < 0) return false;
        const bool video = m_Packet->stream_index == m_Video.index;
        const bool key = (m_Packet->flags & AV_PKT_FLAG_KEY) != 0;
        const std::int64_t pts = m_Packet->pts != AV_NOPTS_VALUE ? m_Packet->pts : m_Packet->dts;
        ff.av_packet_unref(m_Packet.get());
        if (!video) continue;
        return key && (pts == AV_NOPTS_VALUE || TimeOf(m_Video, pts) <= position);
    }
    return false;
}

void MovieDemux::SeekToStart()
{
    const av::AvLibrary& ff = av::Api();
    if (SeekBefore(0)) return;
    if (ff.av_seek_frame(m_Input.get(), -1, 0, AVSEEK_FLAG_BYTE) < 0) ff.avio_seek(m_Io.get(), 0, SEEK_SET);
}

void MovieDemux::Seek(REFERENCE_TIME position)
{
    if (!m_Input) return;
    m_Pending = nullptr;
    m_Draining = false;
    m_Failed = false;
    m_Io->error = 0;   // a read ended by a stop leaves its error behind
    m_Io->eof_reached = 0;
    for (Decoder* decoder : {&m_Video, &m_Audio}) {
        if (!decoder->codec) continue;
        av::Api().avcodec_flush_buffers(decoder->codec.get());
        decoder->drained = false;
        decoder->flushSent = false;
        decoder->next = 0;
    }
    // Further back each time until decoding can start cleanly; the caller drops what lies
    // before the target. Failing that, from the start.
    REFERENCE_TIME back = 0;
    for (int attempt = 0; attempt < kSeekAttempts && position - back > 0; ++attempt) {
        const REFERENCE_TIME aim = position - back;
        if (!SeekBefore(aim)) break;
        if (!HasVideo() || LandsOnKeyFrame(position)) {
            if (SeekBefore(aim)) {
                for (Decoder* decoder : {&m_Video, &m_Audio}) decoder->next = aim;
                return;
            }
            break;
        }
        back = back == 0 ? kUnitsPerSecond / 2 : back * 2;
    }
    SeekToStart();
}

bool MovieDemux::TakeFrame(Decoder& decoder, Unit* unit)
{
    const av::AvLibrary& ff = av::Api();
    while (true) {
        const int result = ff.avcodec_receive_frame(decoder.codec.get(), m_Frame.get());
        if (result == AVERROR_EOF) decoder.drained = true;
        if (result < 0) return false;
        const std::int64_t pts = m_Frame->best_effort_timestamp;
        // A frame without a time stamp follows the one before it.
        const REFERENCE_TIME start = pts != AV_NOPTS_VALUE ? TimeOf(decoder, pts) : decoder.next;
        bool made = false;
        if (&decoder == &m_Video) {
            m_Bytes.resize(VideoFrameBytes());
            made = m_VideoConverter.Convert(m_Frame.get(), m_Width, m_Height, m_Bytes.data(), m_Bytes.size());
            unit->kind = Kind::Video;
            unit->stop = start + m_FrameTime;
        } else {
            m_Bytes.clear();
            made = m_AudioConverter.Convert(m_Frame.get(), m_Rate, m_Channels, m_Bytes) && !m_Bytes.empty();
            const auto frames = static_cast<std::int64_t>(m_Bytes.size() / (static_cast<std::size_t>(m_Channels) * 2));
            unit->kind = Kind::Audio;
            unit->stop = start + ff.av_rescale(frames, kUnitsPerSecond, m_Rate);
        }
        ff.av_frame_unref(m_Frame.get());
        if (!made) continue;
        unit->start = start;
        unit->data = m_Bytes.data();
        unit->size = m_Bytes.size();
        decoder.next = unit->stop;
        return true;
    }
}

MovieDemux::Step MovieDemux::Next(Unit* unit)
{
    const av::AvLibrary& ff = av::Api();
    if (!m_Input) return Step::End;
    while (true) {
        if (m_Quit && m_Quit->load()) return Step::Interrupted;
        if (m_Pending) {
            if (TakeFrame(*m_Pending, unit)) return Step::Unit;
            m_Pending = nullptr;
            continue;
        }
        if (m_Draining) {
            for (Decoder* decoder : {&m_Video, &m_Audio}) {
                if (!decoder->codec || decoder->drained) continue;
                if (!decoder->flushSent) {
                    ff.avcodec_send_packet(decoder->codec.get(), nullptr);
                    decoder->flushSent = true;
                }
                m_Pending = decoder;
                decoder->drained = true;   // what it still holds comes now, then it is done
                break;
            }
            if (!m_Pending) return Step::End;
            continue;
        }
        const int result = ff.av_read_frame(m_Input.get(), m_Packet.get());
        if (result < 0) {
            if (result == AVERROR_EXIT || (m_Quit && m_Quit->load())) return Step::Interrupted;
            // A read the stream failed leaves its error on the context, FFmpeg reports it as an end.
            if (m_Io->error < 0 || (result != AVERROR_EOF && !ff.avio_feof(m_Io.get()))) {
                m_Failed = true;
                LogUserError("Movie: reading the file failed in the middle (%s)", ErrorText(result).c_str());
            }
            m_Draining = true;
            continue;
        }
        Decoder* decoder = nullptr;
        if (m_Video.codec && m_Packet->stream_index == m_Video.index) decoder = &m_Video;
        if (m_Audio.codec && m_Packet->stream_index == m_Audio.index) decoder = &m_Audio;
        // A damaged packet is skipped; the decoder carries on with the next one.
        if (decoder && ff.avcodec_send_packet(decoder->codec.get(), m_Packet.get()) >= 0) m_Pending = decoder;
        ff.av_packet_unref(m_Packet.get());
    }
}

}  // namespace platform
