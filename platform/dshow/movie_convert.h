// What the movie filters put out: RGB24 frames with bottom-up rows padded to 4 bytes (blue,
// green, red) and interleaved 16-bit PCM; the media types of both and the FFmpeg conversions
// that make them from any decoded frame.
#pragma once

#include "platform/dshow/ffmpeg_handles.h"
#include "platform/dshow/media_type.h"

#include <cstdint>
#include <vector>

namespace platform {

// The largest picture a movie stream may have; bigger ones are refused as damaged.
constexpr int kMaxMovieDimension = 8192;
// The mixer takes at most two channels from a movie; more are mixed down.
constexpr int kMaxMovieChannels = 2;
// The highest sample rate a movie's sound may have; a higher one is refused as damaged, since the
// sound buffers are sized from it.
constexpr int kMaxMovieSampleRate = 384000;

LONG MovieRowBytes(int width);
CMediaType MovieVideoType(int width, int height, REFERENCE_TIME frameTime);
CMediaType MoviePcmType(int rate, int channels);

class MovieVideoConverter {
public:
    // Writes `frame` scaled to width x height as bottom-up RGB24 rows into `out`; false when
    // the frame cannot be converted or `size` is too small.
    bool Convert(const AVFrame* frame, int width, int height, std::uint8_t* out, std::size_t size);

private:
    FfScale m_Scale;
};

class MovieAudioConverter {
public:
    MovieAudioConverter() = default;
    // A layout is kept only after a conversion, which FFmpeg being loaded came before.
    ~MovieAudioConverter()
    {
        if (m_InRate != 0) av::Api().av_channel_layout_uninit(&m_InLayout);
    }
    MovieAudioConverter(const MovieAudioConverter&) = delete;
    MovieAudioConverter& operator=(const MovieAudioConverter&) = delete;
    // Appends `frame` as interleaved 16-bit samples at `rate` with `channels` channels.
    bool Convert(const AVFrame* frame, int rate, int channels, std::vector<std::uint8_t>& out);

private:
    FfResample m_Resample;
    int m_InRate = 0;
    int m_InFormat = -1;
    AVChannelLayout m_InLayout{};
};

}  // namespace platform
