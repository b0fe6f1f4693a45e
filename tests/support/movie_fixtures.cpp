#include "tests/support/movie_fixtures.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <numbers>

namespace {

constexpr int kLevelBase = 24;
constexpr int kLevelStep = 16;
constexpr int kLevels = 14;
constexpr int kMarkerRed = 128;

struct FormatContextFree {
    void operator()(AVFormatContext* context) const { avformat_free_context(context); }
};
struct CodecContextFree {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct IoContextFree {
    void operator()(AVIOContext* io) const
    {
        av_freep(&io->buffer);
        avio_context_free(&io);
    }
};
using FormatContextPtr = std::unique_ptr<AVFormatContext, FormatContextFree>;
using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using IoContextPtr = std::unique_ptr<AVIOContext, IoContextFree>;

// The muxer writes here; it seeks back (for the index and header fix-ups) only when the movie keeps
// its play duration in the header.
struct MemoryOutput {
    MovieBytes bytes;
    std::int64_t position = 0;
};

#if LIBAVFORMAT_VERSION_MAJOR >= 61
int WriteBytes(void* opaque, const std::uint8_t* data, int size)
#else
int WriteBytes(void* opaque, std::uint8_t* data, int size)
#endif
{
    auto* output = static_cast<MemoryOutput*>(opaque);
    const auto end = static_cast<std::size_t>(output->position) + static_cast<std::size_t>(size);
    if (output->bytes.size() < end) output->bytes.resize(end);
    std::memcpy(output->bytes.data() + output->position, data, static_cast<std::size_t>(size));
    output->position = static_cast<std::int64_t>(end);
    return size;
}

std::int64_t SeekBytes(void* opaque, std::int64_t offset, int whence)
{
    auto* output = static_cast<MemoryOutput*>(opaque);
    const auto size = static_cast<std::int64_t>(output->bytes.size());
    switch (whence & ~AVSEEK_FORCE) {
    case AVSEEK_SIZE: return size;
    case SEEK_SET: break;
    case SEEK_CUR: offset += output->position; break;
    case SEEK_END: offset += size; break;
    default: return -1;
    }
    if (offset < 0) return -1;
    output->position = offset;
    return offset;
}

void Fail(const char* what)
{
    std::fprintf(stderr, "movie fixture: %s\n", what);
}

struct Stream {
    CodecContextPtr codec;
    AVStream* stream = nullptr;
    std::int64_t nextPts = 0;   // in the codec's time base
    int produced = 0;           // frames (video) or sample frames (audio) given so far
    int total = 0;
    bool video = false;
    bool flushed = false;
    std::vector<std::uint32_t> canvas;   // painted pictures, kept from frame to frame
};

struct Setup {
    const char* muxer;
    AVCodecID video;
    AVPixelFormat pixels;
    AVCodecID audio;
};

Setup SetupOf(TestMovieContainer container)
{
    switch (container) {
    case TestMovieContainer::Avi: return {"avi", AV_CODEC_ID_RAWVIDEO, AV_PIX_FMT_BGR24, AV_CODEC_ID_PCM_S16LE};
    case TestMovieContainer::Mpg: return {"mpeg", AV_CODEC_ID_MPEG1VIDEO, AV_PIX_FMT_YUV420P, AV_CODEC_ID_MP2};
    case TestMovieContainer::Mpa: return {"mp2", AV_CODEC_ID_NONE, AV_PIX_FMT_NONE, AV_CODEC_ID_MP2};
    case TestMovieContainer::Asf: return {"asf", AV_CODEC_ID_WMV2, AV_PIX_FMT_YUV420P, AV_CODEC_ID_WMAV2};
    case TestMovieContainer::Mov: return {"mov", AV_CODEC_ID_RAWVIDEO, AV_PIX_FMT_BGR24, AV_CODEC_ID_PCM_S16LE};
    }
    return {"avi", AV_CODEC_ID_RAWVIDEO, AV_PIX_FMT_BGR24, AV_CODEC_ID_PCM_S16LE};
}

bool OpenCodec(Stream& stream, const AVCodec* codec, AVFormatContext* format)
{
    stream.codec->thread_count = 1;   // the same bytes every time
    if (format->oformat->flags & AVFMT_GLOBALHEADER) stream.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (avcodec_open2(stream.codec.get(), codec, nullptr) < 0) return false;
    stream.stream = avformat_new_stream(format, nullptr);
    if (!stream.stream) return false;
    stream.stream->time_base = stream.codec->time_base;
    return avcodec_parameters_from_context(stream.stream->codecpar, stream.codec.get()) >= 0;
}

bool AddVideo(const TestMovieSpec& spec, const Setup& setup, AVFormatContext* format, Stream& stream)
{
    const AVCodec* codec = avcodec_find_encoder(setup.video);
    if (!codec) return false;
    stream.codec.reset(avcodec_alloc_context3(codec));
    if (!stream.codec) return false;
    AVCodecContext* context = stream.codec.get();
    context->width = spec.width;
    context->height = spec.height;
    context->pix_fmt = setup.pixels;
    context->time_base = {1, spec.framesPerSecond};
    context->framerate = {spec.framesPerSecond, 1};
    context->gop_size = spec.gopSize;
    context->max_b_frames = 0;
    context->bit_rate = spec.videoBitRate;
    if (spec.videoMaxRate > 0) {
        context->rc_max_rate = spec.videoMaxRate;
        context->rc_buffer_size = spec.videoMaxRate;
    }
    // MPEG-1 has no code for rates like 10 per second except these widely read extensions.
    context->strict_std_compliance = FF_COMPLIANCE_UNOFFICIAL;
    stream.video = true;
    stream.total = spec.frames;
    return OpenCodec(stream, codec, format);
}

bool AddAudio(const TestMovieSpec& spec, const Setup& setup, AVFormatContext* format, Stream& stream)
{
    const AVCodec* codec = avcodec_find_encoder(setup.audio);
    if (!codec) return false;
    stream.codec.reset(avcodec_alloc_context3(codec));
    if (!stream.codec) return false;
    AVCodecContext* context = stream.codec.get();
    context->sample_rate = spec.sampleRate;
    av_channel_layout_default(&context->ch_layout, spec.channels);
    context->sample_fmt = setup.audio == AV_CODEC_ID_WMAV2 ? AV_SAMPLE_FMT_FLTP : AV_SAMPLE_FMT_S16;
    context->time_base = {1, spec.sampleRate};
    context->bit_rate = setup.audio == AV_CODEC_ID_PCM_S16LE ? 0 : 64000;
    const double seconds = spec.frames > 0 ? static_cast<double>(spec.frames) / spec.framesPerSecond : 1.0;
    stream.total = static_cast<int>(std::lround(seconds * spec.sampleRate));
    return OpenCodec(stream, codec, format);
}

// Full-range RGB to limited-range BT.601, which MPEG-1 and WMV2 decoders turn back.
void RgbToYuv(int red, int green, int blue, int* planes)
{
    const double luma = 16.0 + (65.481 * red + 128.553 * green + 24.966 * blue) / 255.0;
    const double cb = 128.0 + (-37.797 * red - 74.203 * green + 112.0 * blue) / 255.0;
    const double cr = 128.0 + (112.0 * red - 93.786 * green - 18.214 * blue) / 255.0;
    planes[0] = static_cast<int>(std::lround(luma));
    planes[1] = static_cast<int>(std::lround(cb));
    planes[2] = static_cast<int>(std::lround(cr));
}

// Converts painted pixels, remembering the last colour: painted frames are mostly runs of one
// colour, and the conversion per pixel would dominate the encoding time.
class YuvCache {
public:
    const int* Of(std::uint32_t rgb)
    {
        rgb &= 0xFFFFFFu;
        if (rgb != m_Rgb) {
            m_Rgb = rgb;
            RgbToYuv(static_cast<int>(rgb >> 16), static_cast<int>((rgb >> 8) & 0xFF), static_cast<int>(rgb & 0xFF),
                     m_Planes);
        }
        return m_Planes;
    }

private:
    std::uint32_t m_Rgb = 0xFFFFFFFFu;
    int m_Planes[3] = {0, 0, 0};
};

// The mean of up to four pixels, per channel, rounded.
std::uint32_t MeanColour(const std::uint32_t* pixels, int count)
{
    if (count == 4 && pixels[0] == pixels[1] && pixels[0] == pixels[2] && pixels[0] == pixels[3])
        return pixels[0] & 0xFFFFFFu;
    std::uint32_t result = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        int sum = 0;
        for (int i = 0; i < count; ++i)
            sum += static_cast<int>((pixels[i] >> shift) & 0xFF);
        result |= static_cast<std::uint32_t>((sum + count / 2) / count) << shift;
    }
    return result;
}

// A painted frame into the encoder's frame: BGR24 as is, 4:2:0 with each chroma sample the mean
// of its 2x2 block.
void DrawPainted(const TestMovieSpec& spec, int index, AVFrame* frame, std::vector<std::uint32_t>& argb)
{
    const int width = frame->width;
    const int height = frame->height;
    argb.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    spec.drawFrame(index, argb);
    const std::uint32_t* pixels = argb.data();
    if (frame->format == AV_PIX_FMT_BGR24) {
        for (int y = 0; y < height; ++y) {
            std::uint8_t* row = frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0];
            const std::uint32_t* from = pixels + static_cast<std::ptrdiff_t>(y) * width;
            for (int x = 0; x < width; ++x) {
                row[x * 3] = static_cast<std::uint8_t>(from[x] & 0xFF);
                row[x * 3 + 1] = static_cast<std::uint8_t>((from[x] >> 8) & 0xFF);
                row[x * 3 + 2] = static_cast<std::uint8_t>((from[x] >> 16) & 0xFF);
            }
        }
        return;
    }
    // A row (or pair of rows, for chroma) painted as the one before it is copied.
    const std::size_t rowBytes = static_cast<std::size_t>(width) * sizeof(std::uint32_t);
    YuvCache cache;
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0];
        const std::uint32_t* from = pixels + static_cast<std::ptrdiff_t>(y) * width;
        if (y > 0 && std::memcmp(from, from - width, rowBytes) == 0) {
            std::memcpy(row, row - frame->linesize[0], static_cast<std::size_t>(width));
            continue;
        }
        for (int x = 0; x < width; ++x)
            row[x] = static_cast<std::uint8_t>(cache.Of(from[x])[0]);
    }
    const int chromaWidth = (width + 1) / 2;
    for (int y = 0; y < (height + 1) / 2; ++y) {
        std::uint8_t* cb = frame->data[1] + static_cast<std::ptrdiff_t>(y) * frame->linesize[1];
        std::uint8_t* cr = frame->data[2] + static_cast<std::ptrdiff_t>(y) * frame->linesize[2];
        const std::uint32_t* top = pixels + static_cast<std::ptrdiff_t>(2 * y) * width;
        const std::uint32_t* bottom = 2 * y + 1 < height ? top + width : top;
        if (y > 0 && bottom == top + width && std::memcmp(top, top - 2 * width, 2 * rowBytes) == 0) {
            std::memcpy(cb, cb - frame->linesize[1], static_cast<std::size_t>(chromaWidth));
            std::memcpy(cr, cr - frame->linesize[2], static_cast<std::size_t>(chromaWidth));
            continue;
        }
        for (int x = 0; x < chromaWidth; ++x) {
            const int right = std::min(2 * x + 1, width - 1);
            const std::uint32_t block[4] = {top[2 * x], top[right], bottom[2 * x], bottom[right]};
            const int* planes = cache.Of(MeanColour(block, 4));
            cb[x] = static_cast<std::uint8_t>(planes[1]);
            cr[x] = static_cast<std::uint8_t>(planes[2]);
        }
    }
}

void DrawFrame(const TestMovieSpec& spec, int index, AVFrame* frame, std::vector<std::uint32_t>& canvas)
{
    if (spec.picture == TestMoviePicture::Drawn && spec.drawFrame) {
        DrawPainted(spec, index, frame, canvas);
        return;
    }
    const std::uint32_t colour = TestMovieFrameColour(spec, index);
    const int red = static_cast<int>((colour >> 16) & 0xFF);
    const int green = static_cast<int>((colour >> 8) & 0xFF);
    const int blue = static_cast<int>(colour & 0xFF);
    if (frame->format == AV_PIX_FMT_BGR24) {
        for (int y = 0; y < frame->height; ++y) {
            std::uint8_t* row = frame->data[0] + static_cast<std::ptrdiff_t>(y) * frame->linesize[0];
            for (int x = 0; x < frame->width; ++x) {
                row[x * 3] = static_cast<std::uint8_t>(blue);
                row[x * 3 + 1] = static_cast<std::uint8_t>(green);
                row[x * 3 + 2] = static_cast<std::uint8_t>(red);
            }
        }
        return;
    }
    int planes[3];
    RgbToYuv(red, green, blue, planes);
    for (int plane = 0; plane < 3; ++plane) {
        const int width = plane == 0 ? frame->width : (frame->width + 1) / 2;
        const int height = plane == 0 ? frame->height : (frame->height + 1) / 2;
        for (int y = 0; y < height; ++y)
            std::memset(frame->data[plane] + static_cast<std::ptrdiff_t>(y) * frame->linesize[plane], planes[plane],
                        static_cast<std::size_t>(width));
    }
}

void FillTone(const TestMovieSpec& spec, Stream& stream, AVFrame* frame)
{
    const int channels = spec.channels;
    for (int i = 0; i < frame->nb_samples; ++i) {
        const double t = static_cast<double>(stream.produced + i) / spec.sampleRate;
        const double at = t * spec.framesPerSecond;
        const bool sounding = spec.beepFrames <= 0 || (at >= spec.beepFrom && at < spec.beepFrom + spec.beepFrames);
        double value = 0.0;
        if (spec.sound)
            value = std::clamp(spec.sound(t), -1.0, 1.0);
        else if (sounding)
            value = 0.4 * std::sin(2.0 * std::numbers::pi * spec.toneHertz * t);
        for (int c = 0; c < channels; ++c) {
            if (frame->format == AV_SAMPLE_FMT_FLTP)
                reinterpret_cast<float*>(frame->data[c])[i] = static_cast<float>(value);
            else
                reinterpret_cast<std::int16_t*>(frame->data[0])[i * channels + c] =
                    static_cast<std::int16_t>(std::lround(value * 32767.0));
        }
    }
}

// Hands every packet the encoder has ready to the muxer.
bool Drain(Stream& stream, AVFormatContext* format, AVPacket* packet)
{
    while (true) {
        const int result = avcodec_receive_packet(stream.codec.get(), packet);
        if (result == AVERROR(EAGAIN) || result == AVERROR_EOF) return true;
        if (result < 0) return false;
        // Raw video packets carry no duration; QuickTime's edit list would then leave the last frame out.
        if (stream.video && packet->duration == 0) packet->duration = 1;
        av_packet_rescale_ts(packet, stream.codec->time_base, stream.stream->time_base);
        packet->stream_index = stream.stream->index;
        if (av_interleaved_write_frame(format, packet) < 0) return false;
    }
}

// Encodes the next frame of the stream (or flushes it once every frame is given).
bool Step(const TestMovieSpec& spec, Stream& stream, AVFormatContext* format, AVPacket* packet)
{
    AVCodecContext* context = stream.codec.get();
    if (stream.produced >= stream.total) {
        stream.flushed = true;
        if (avcodec_send_frame(context, nullptr) < 0) return false;
        return Drain(stream, format, packet);
    }
    FramePtr frame(av_frame_alloc());
    if (!frame) return false;
    if (stream.video) {
        frame->format = context->pix_fmt;
        frame->width = context->width;
        frame->height = context->height;
    } else {
        frame->format = context->sample_fmt;
        frame->sample_rate = context->sample_rate;
        if (av_channel_layout_copy(&frame->ch_layout, &context->ch_layout) < 0) return false;
        const int size = context->frame_size > 0 ? context->frame_size : spec.sampleRate / 10;
        frame->nb_samples = std::min(size, stream.total - stream.produced);
        // Fixed-size encoders take a short last frame only when they say so; pad it with silence.
        if (context->frame_size > 0 && !(context->codec->capabilities & AV_CODEC_CAP_VARIABLE_FRAME_SIZE))
            frame->nb_samples = context->frame_size;
    }
    if (av_frame_get_buffer(frame.get(), 0) < 0) return false;
    if (stream.video) {
        DrawFrame(spec, stream.produced, frame.get(), stream.canvas);
        frame->pts = stream.produced;
        stream.produced += 1;
    } else {
        av_samples_set_silence(frame->data, 0, frame->nb_samples, spec.channels, context->sample_fmt);
        const int real = std::min(frame->nb_samples, stream.total - stream.produced);
        const int kept = frame->nb_samples;
        frame->nb_samples = real;
        FillTone(spec, stream, frame.get());
        frame->nb_samples = kept;
        frame->pts = stream.produced;
        stream.produced += real;
    }
    if (avcodec_send_frame(context, frame.get()) < 0) return false;
    return Drain(stream, format, packet);
}

double StreamTime(const Stream& stream)
{
    return static_cast<double>(stream.produced) * av_q2d(stream.codec->time_base);
}

}  // namespace

std::string TestMovieExtension(TestMovieContainer container)
{
    switch (container) {
    case TestMovieContainer::Avi: return ".avi";
    case TestMovieContainer::Mpg: return ".mpg";
    case TestMovieContainer::Mpa: return ".mpa";
    case TestMovieContainer::Asf: return ".wmv";
    case TestMovieContainer::Mov: return ".mov";
    }
    return ".avi";
}

std::uint32_t TestMovieFrameColour(const TestMovieSpec& spec, int index)
{
    if (spec.picture == TestMoviePicture::Solid) return spec.solidColour;
    const auto blue = static_cast<std::uint32_t>(kLevelBase + kLevelStep * (index % kLevels));
    const auto green = static_cast<std::uint32_t>(kLevelBase + kLevelStep * ((index / kLevels) % kLevels));
    return (static_cast<std::uint32_t>(kMarkerRed) << 16) | (green << 8) | blue;
}

int TestMovieFrameNumber(std::uint8_t blue, std::uint8_t green, std::uint8_t red)
{
    constexpr int kSlack = kLevelStep / 2 - 1;
    if (std::abs(red - kMarkerRed) > kSlack) return -1;
    const auto level = [](int value) {
        const int step = static_cast<int>(std::lround(static_cast<double>(value - kLevelBase) / kLevelStep));
        if (step < 0 || step >= kLevels || std::abs(value - (kLevelBase + step * kLevelStep)) > kSlack) return -1;
        return step;
    };
    const int low = level(blue);
    const int high = level(green);
    if (low < 0 || high < 0) return -1;
    return high * kLevels + low;
}

MovieBytes BuildTestMovie(const TestMovieSpec& spec)
{
    av_log_set_level(AV_LOG_ERROR);   // the muxers' advice about compliance is not a failure
    const Setup setup = SetupOf(spec.container);
    const bool withVideo = setup.video != AV_CODEC_ID_NONE && spec.frames > 0;
    const int audioStreams = spec.container == TestMovieContainer::Mpa ? std::max(1, spec.audioStreams)
                                                                       : std::clamp(spec.audioStreams, 0, 2);
    if (spec.width <= 0 || spec.height <= 0 || spec.framesPerSecond <= 0 || spec.sampleRate <= 0 ||
        spec.channels <= 0 || (!withVideo && audioStreams == 0)) {
        Fail("nothing to encode");
        return {};
    }
    AVFormatContext* raw = nullptr;
    if (avformat_alloc_output_context2(&raw, nullptr, setup.muxer, nullptr) < 0 || !raw) {
        Fail("no muxer");
        return {};
    }
    FormatContextPtr format(raw);
    MemoryOutput output;
    constexpr int kIoBufferSize = 4096;
    auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferSize));
    if (!buffer) return {};
    IoContextPtr io(avio_alloc_context(buffer, kIoBufferSize, 1, &output, nullptr, &WriteBytes,
                                       spec.playDuration ? &SeekBytes : nullptr));
    if (!io) {
        av_free(buffer);
        return {};
    }
    if (!spec.playDuration) io->seekable = 0;   // written as a live stream: no duration in the header
    format->pb = io.get();
    format->flags |= AVFMT_FLAG_BITEXACT;

    std::vector<Stream> streams(static_cast<std::size_t>((withVideo ? 1 : 0) + audioStreams));
    std::size_t next = 0;
    if (withVideo && !AddVideo(spec, setup, format.get(), streams[next++])) {
        Fail("the video encoder refused the movie settings");
        return {};
    }
    for (int i = 0; i < audioStreams; ++i) {
        if (!AddAudio(spec, setup, format.get(), streams[next++])) {
            Fail("the audio encoder refused the movie settings");
            return {};
        }
    }
    // A program stream is paced by its mux rate; with a ceiling on the video rate, room for the
    // ceiling (and the sound), so large key frames reach the decoder in time.
    AVDictionary* muxOptions = nullptr;
    if (spec.container == TestMovieContainer::Mpg && spec.videoMaxRate > 0)
        av_dict_set_int(&muxOptions, "muxrate", 2LL * spec.videoMaxRate, 0);
    const int header = avformat_write_header(format.get(), &muxOptions);
    av_dict_free(&muxOptions);
    if (header < 0) {
        Fail("the muxer refused the streams");
        return {};
    }
    PacketPtr packet(av_packet_alloc());
    if (!packet) return {};
    // Always feed the stream that is furthest behind, so the muxer interleaves little.
    while (true) {
        Stream* behind = nullptr;
        for (Stream& stream : streams) {
            if (stream.flushed) continue;
            if (!behind || StreamTime(stream) < StreamTime(*behind)) behind = &stream;
        }
        if (!behind) break;
        if (!Step(spec, *behind, format.get(), packet.get())) {
            Fail("encoding failed");
            return {};
        }
    }
    if (av_write_trailer(format.get()) < 0) {
        Fail("the muxer could not finish");
        return {};
    }
    avio_flush(io.get());
    format->pb = nullptr;
    return std::move(output.bytes);
}
