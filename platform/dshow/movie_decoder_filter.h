// The decoder filter the graph inserts for compressed video and audio pins (the Windows Media
// reader filter's): takes a VideoInfo type whose FOURCC or a WaveFormatEx type whose format tag
// FFmpeg can decode (codec data from the format block) and puts out RGB24 bottom-up frames or
// 16-bit PCM, as the movie demux filter does. Time stamps pass through; samples before the
// segment start (preroll) are decoded but not delivered. Decoding runs on the thread that
// delivers to it.
#pragma once

#include "platform/dshow/base_pin.h"
#include "platform/dshow/movie_convert.h"

#include <vector>

class CMovieDecoderFilter;

class CMovieDecoderInputPin final : public CBaseInputPin {
public:
    CMovieDecoderInputPin(CMovieDecoderFilter* filter, CCritSec* lock);

    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT SetMediaType(const CMediaType* type) override;
    HRESULT BreakConnect() override;
    HRESULT Receive(IMediaSample* sample) override;
    HRESULT EndOfStream() override;
    HRESULT BeginFlush() override;
    HRESULT EndFlush() override;
    HRESULT NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

private:
    CMovieDecoderFilter* m_Decoder;
};

class CMovieDecoderOutputPin final : public CBaseOutputPin {
public:
    CMovieDecoderOutputPin(CMovieDecoderFilter* filter, CCritSec* lock);

    HRESULT GetMediaType(int position, CMediaType* type) override;
    HRESULT CheckMediaType(const CMediaType* type) override;
    HRESULT DecideBufferSize(IMemAllocator* allocator, ALLOCATOR_PROPERTIES* request) override;

private:
    CMovieDecoderFilter* m_Decoder;
};

class CMovieDecoderFilter final : public CBaseFilter {
public:
    CMovieDecoderFilter();
    ~CMovieDecoderFilter() override;

    static HRESULT Create(IBaseFilter** filter);
    // The FFmpeg codec for a compressed type, or AV_CODEC_ID_NONE (also for raw video and PCM).
    static AVCodecID CodecOf(const AM_MEDIA_TYPE& type);

    int GetPinCount() override { return 2; }
    CBasePin* GetPin(int n) override;

private:
    friend class CMovieDecoderInputPin;
    friend class CMovieDecoderOutputPin;

    HRESULT OpenCodec(const CMediaType& type);
    void CloseCodec();
    HRESULT Decode(IMediaSample* sample);
    void Drain();
    HRESULT TakeFrames();
    HRESULT DeliverBytes(const std::uint8_t* data, std::size_t size, REFERENCE_TIME start, REFERENCE_TIME stop);

    CCritSec m_FilterLock;
    CCritSec m_StreamLock;   // the decoder, taken by the delivering thread and by flushes
    CMovieDecoderInputPin m_Input;
    CMovieDecoderOutputPin m_Output;
    platform::FfCodec m_Codec;
    platform::FfFrame m_Frame;
    platform::FfPacket m_Packet;
    bool m_Video = false;
    int m_Width = 0;
    int m_Height = 0;
    REFERENCE_TIME m_FrameTime = 0;
    int m_Rate = 0;
    int m_Channels = 0;
    CMediaType m_OutputType;
    LONG m_BufferSize = 0;
    REFERENCE_TIME m_Next = 0;   // where a unit without a time stamp starts
    platform::MovieVideoConverter m_VideoConverter;
    platform::MovieAudioConverter m_AudioConverter;
    std::vector<std::uint8_t> m_Bytes;
};
