// Owning handles for the FFmpeg objects the movie filters keep, each with its own free function.
// A handle holds an object only once FFmpeg is loaded, so its deleter can call through the table.
#pragma once

#include "platform/av/av_library.h"

#include <memory>

namespace platform {

struct FfInputFree {
    void operator()(AVFormatContext* context) const { av::Api().avformat_close_input(&context); }
};
struct FfCodecFree {
    void operator()(AVCodecContext* context) const { av::Api().avcodec_free_context(&context); }
};
struct FfFrameFree {
    void operator()(AVFrame* frame) const { av::Api().av_frame_free(&frame); }
};
struct FfPacketFree {
    void operator()(AVPacket* packet) const { av::Api().av_packet_free(&packet); }
};
struct FfIoFree {
    void operator()(AVIOContext* io) const
    {
        av::Api().av_freep(&io->buffer);   // the buffer may have been replaced by FFmpeg; free the current one
        av::Api().avio_context_free(&io);
    }
};
struct FfScaleFree {
    void operator()(SwsContext* context) const { av::Api().sws_freeContext(context); }
};
struct FfResampleFree {
    void operator()(SwrContext* context) const { av::Api().swr_free(&context); }
};

using FfInput = std::unique_ptr<AVFormatContext, FfInputFree>;
using FfCodec = std::unique_ptr<AVCodecContext, FfCodecFree>;
using FfFrame = std::unique_ptr<AVFrame, FfFrameFree>;
using FfPacket = std::unique_ptr<AVPacket, FfPacketFree>;
using FfIo = std::unique_ptr<AVIOContext, FfIoFree>;
using FfScale = std::unique_ptr<SwsContext, FfScaleFree>;
using FfResample = std::unique_ptr<SwrContext, FfResampleFree>;

}  // namespace platform
