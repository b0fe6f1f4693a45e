// FFmpeg's libraries, opened when a movie or a rate conversion first needs them: linked into the
// executable they would bring over a hundred shared libraries into every start of the engine.
// The headers still give the types, macros and inline functions; every FFmpeg function the
// engine calls goes through the table, filled from the libraries of the headers' major versions.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

// The functions the engine calls, by the library that exports them; a call to another FFmpeg
// function needs its line here.
#define TW_AV_UTIL_FUNCTIONS(X)     \
    X(av_channel_layout_compare)    \
    X(av_channel_layout_copy)       \
    X(av_channel_layout_default)    \
    X(av_channel_layout_uninit)     \
    X(av_frame_alloc)               \
    X(av_frame_free)                \
    X(av_frame_unref)               \
    X(av_free)                      \
    X(av_freep)                     \
    X(av_log_set_level)             \
    X(av_malloc)                    \
    X(av_mallocz)                   \
    X(av_rescale)                   \
    X(av_rescale_q)                 \
    X(av_strerror)

#define TW_AV_RESAMPLE_FUNCTIONS(X) \
    X(swr_alloc_set_opts2)          \
    X(swr_close)                    \
    X(swr_convert)                  \
    X(swr_free)                     \
    X(swr_get_out_samples)          \
    X(swr_init)

#define TW_AV_CODEC_FUNCTIONS(X)      \
    X(av_new_packet)                  \
    X(av_packet_alloc)                \
    X(av_packet_free)                 \
    X(av_packet_unref)                \
    X(avcodec_alloc_context3)         \
    X(avcodec_find_decoder)           \
    X(avcodec_flush_buffers)          \
    X(avcodec_free_context)           \
    X(avcodec_get_name)               \
    X(avcodec_open2)                  \
    X(avcodec_parameters_to_context)  \
    X(avcodec_receive_frame)          \
    X(avcodec_send_packet)

#define TW_AV_FORMAT_FUNCTIONS(X)     \
    X(av_codec_get_id)                \
    X(av_find_input_format)           \
    X(av_guess_frame_rate)            \
    X(av_read_frame)                  \
    X(av_seek_frame)                  \
    X(avformat_alloc_context)         \
    X(avformat_close_input)           \
    X(avformat_find_stream_info)      \
    X(avformat_get_riff_audio_tags)   \
    X(avformat_get_riff_video_tags)   \
    X(avformat_open_input)            \
    X(avformat_seek_file)             \
    X(avio_alloc_context)             \
    X(avio_context_free)              \
    X(avio_feof)                      \
    X(avio_seek)

#define TW_AV_SCALE_FUNCTIONS(X) \
    X(sws_freeContext)           \
    X(sws_getCachedContext)      \
    X(sws_scale)

namespace platform::av {

// One pointer per function, typed from FFmpeg's own declaration and named like it.
struct AvLibrary {
#define TW_AV_MEMBER(name) decltype(&::name) name = nullptr;
    TW_AV_UTIL_FUNCTIONS(TW_AV_MEMBER)
    TW_AV_RESAMPLE_FUNCTIONS(TW_AV_MEMBER)
    TW_AV_CODEC_FUNCTIONS(TW_AV_MEMBER)
    TW_AV_FORMAT_FUNCTIONS(TW_AV_MEMBER)
    TW_AV_SCALE_FUNCTIONS(TW_AV_MEMBER)
#undef TW_AV_MEMBER
};

// Opens libavutil and libswresample, all a sound's rate conversion needs, on the first call
// from any thread. The table, or nullptr when a library or one of its functions is missing
// (one log line, the first time).
const AvLibrary* LoadResampler();
// The same for every library the movie filters use (the resampler's two included).
const AvLibrary* Load();
// The table, for code that runs after a successful load of the libraries it calls.
const AvLibrary& Api();

}  // namespace platform::av
