// Owning handles for the FFmpeg objects the movie filters keep, each with its own free function.
#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

#include <memory>

namespace platform {

struct FfInputFree {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct FfCodecFree {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct FfFrameFree {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct FfPacketFree {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FfIoFree {
    void operator()(AVIOContext* io) const
    {
        av_freep(&io->buffer);   // the buffer may have been replaced by FFmpeg; free the current one
        avio_context_free(&io);
    }
};
struct FfScaleFree {
    void operator()(SwsContext* context) const { sws_freeContext(context); }
};
struct FfResampleFree {
    void operator()(SwrContext* context) const { swr_free(&context); }
};

using FfInput = std::unique_ptr<AVFormatContext, FfInputFree>;
using FfCodec = std::unique_ptr<AVCodecContext, FfCodecFree>;
using FfFrame = std::unique_ptr<AVFrame, FfFrameFree>;
using FfPacket = std::unique_ptr<AVPacket, FfPacketFree>;
using FfIo = std::unique_ptr<AVIOContext, FfIoFree>;
using FfScale = std::unique_ptr<SwsContext, FfScaleFree>;
using FfResample = std::unique_ptr<SwrContext, FfResampleFree>;

}  // namespace platform
