#include "platform/dshow/movie_convert.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/opt.h>
}

#include <cstring>

namespace platform {

LONG MovieRowBytes(int width) { return (static_cast<LONG>(width) * 3 + 3) & ~3; }

CMediaType MovieVideoType(int width, int height, REFERENCE_TIME frameTime)
{
    CMediaType type(&MEDIATYPE_Video);
    type.SetSubtype(&MEDIASUBTYPE_RGB24);
    type.SetFormatType(&FORMAT_VideoInfo);
    type.bFixedSizeSamples = TRUE;
    type.lSampleSize = static_cast<ULONG>(MovieRowBytes(width) * height);
    VIDEOINFOHEADER info{};
    info.rcSource = {0, 0, width, height};
    info.rcTarget = info.rcSource;
    info.AvgTimePerFrame = frameTime;
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;   // positive: rows bottom-up
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biSizeImage = type.lSampleSize;
    type.SetFormat(reinterpret_cast<const BYTE*>(&info), sizeof(info));
    return type;
}

CMediaType MoviePcmType(int rate, int channels)
{
    CMediaType type(&MEDIATYPE_Audio);
    type.SetSubtype(&MEDIASUBTYPE_PCM);
    type.SetFormatType(&FORMAT_WaveFormatEx);
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels);
    format.nSamplesPerSec = static_cast<DWORD>(rate);
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(channels * 2);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    type.bFixedSizeSamples = TRUE;
    type.lSampleSize = format.nBlockAlign;
    type.SetFormat(reinterpret_cast<const BYTE*>(&format), sizeof(format));
    return type;
}

bool MovieVideoConverter::Convert(const AVFrame* frame, int width, int height, std::uint8_t* out, std::size_t size)
{
    const av::AvLibrary& ff = av::Api();
    const LONG stride = MovieRowBytes(width);
    if (!frame || frame->width <= 0 || frame->height <= 0 || width <= 0 || height <= 0) return false;
    if (size < static_cast<std::size_t>(stride) * static_cast<std::size_t>(height)) return false;
    m_Scale.reset(ff.sws_getCachedContext(m_Scale.release(), frame->width, frame->height,
                                          static_cast<AVPixelFormat>(frame->format), width, height, AV_PIX_FMT_BGR24,
                                          SWS_POINT | SWS_ACCURATE_RND | SWS_BITEXACT, nullptr, nullptr, nullptr));
    if (!m_Scale) return false;
    // A negative stride from the last row writes the picture bottom-up.
    std::uint8_t* planes[4] = {out + static_cast<std::ptrdiff_t>(height - 1) * stride, nullptr, nullptr, nullptr};
    const int strides[4] = {-stride, 0, 0, 0};
    for (int y = 0; y < height; ++y)   // the row padding stays zero
        std::memset(out + static_cast<std::ptrdiff_t>(y) * stride + width * 3, 0, static_cast<std::size_t>(stride - width * 3));
    return ff.sws_scale(m_Scale.get(), frame->data, frame->linesize, 0, frame->height, planes, strides) == height;
}

bool MovieAudioConverter::Convert(const AVFrame* frame, int rate, int channels, std::vector<std::uint8_t>& out)
{
    const av::AvLibrary& ff = av::Api();
    if (!frame || frame->nb_samples <= 0 || frame->sample_rate <= 0 || frame->ch_layout.nb_channels <= 0) return false;
    if (!m_Resample || frame->sample_rate != m_InRate || frame->format != m_InFormat ||
        ff.av_channel_layout_compare(&frame->ch_layout, &m_InLayout) != 0) {
        AVChannelLayout outLayout{};
        ff.av_channel_layout_default(&outLayout, channels);
        AVChannelLayout inLayout{};
        if (ff.av_channel_layout_copy(&inLayout, &frame->ch_layout) < 0) return false;
        SwrContext* context = nullptr;
        const int made = ff.swr_alloc_set_opts2(&context, &outLayout, AV_SAMPLE_FMT_S16, rate, &inLayout,
                                                static_cast<AVSampleFormat>(frame->format), frame->sample_rate, 0,
                                                nullptr);
        ff.av_channel_layout_uninit(&outLayout);
        ff.av_channel_layout_uninit(&inLayout);
        m_Resample.reset(context);
        if (made < 0 || !m_Resample || ff.swr_init(m_Resample.get()) < 0) {
            m_Resample.reset();
            return false;
        }
        m_InRate = frame->sample_rate;
        m_InFormat = frame->format;
        ff.av_channel_layout_uninit(&m_InLayout);
        if (ff.av_channel_layout_copy(&m_InLayout, &frame->ch_layout) < 0) return false;
    }
    const int room = ff.swr_get_out_samples(m_Resample.get(), frame->nb_samples);
    if (room <= 0) return true;
    const std::size_t start = out.size();
    out.resize(start + static_cast<std::size_t>(room) * static_cast<std::size_t>(channels) * 2);
    std::uint8_t* target = out.data() + start;
    const int converted = ff.swr_convert(m_Resample.get(), &target, room,
                                         const_cast<const std::uint8_t**>(frame->extended_data), frame->nb_samples);
    if (converted < 0) {
        out.resize(start);
        return false;
    }
    out.resize(start + static_cast<std::size_t>(converted) * static_cast<std::size_t>(channels) * 2);
    return true;
}

}  // namespace platform
