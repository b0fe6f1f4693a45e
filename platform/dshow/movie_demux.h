// The FFmpeg side of the movie demux filter: opens a movie through a byte reader, picks its
// first video and first audio stream, and hands out decoded units in file order, the video as
// RGB24 bottom-up frames and the audio as 16-bit PCM, with times from the movie's start.
#pragma once

#include "platform/dshow/ffmpeg_handles.h"
#include "platform/dshow/movie_convert.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

namespace platform {

class MovieDemux {
public:
    // Reads up to `length` bytes at `position`: the count read, 0 at the end, below 0 on failure.
    using ReadFunction = std::function<int(std::int64_t position, int length, std::uint8_t* buffer)>;

    enum class Kind { Video, Audio };
    enum class Step { Unit, End, Interrupted };
    struct Unit {
        Kind kind = Kind::Video;
        REFERENCE_TIME start = 0;   // from the movie's start
        REFERENCE_TIME stop = 0;
        const std::uint8_t* data = nullptr;
        std::size_t size = 0;
    };

    MovieDemux() = default;
    ~MovieDemux();
    MovieDemux(const MovieDemux&) = delete;
    MovieDemux& operator=(const MovieDemux&) = delete;

    // Opens the movie of `size` bytes; `hint` names the FFmpeg demuxer to try when probing
    // finds none (may be null). `quit` ends a read in progress when set. False with one line
    // through LogUserError when FFmpeg cannot open it or it has neither video nor audio.
    bool Open(ReadFunction read, std::int64_t size, const char* hint, const std::atomic<bool>* quit);

    bool HasVideo() const { return m_Video.codec != nullptr; }
    bool HasAudio() const { return m_Audio.codec != nullptr; }
    int Width() const { return m_Width; }
    int Height() const { return m_Height; }
    REFERENCE_TIME FrameTime() const { return m_FrameTime; }
    int SampleRate() const { return m_Rate; }
    int Channels() const { return m_Channels; }
    REFERENCE_TIME Duration() const { return m_Duration; }
    std::size_t VideoFrameBytes() const;

    // Goes back to the key frame at or before `position` (the start of the file when the
    // movie cannot seek by time); the decoders start afresh.
    void Seek(REFERENCE_TIME position);
    // The next decoded unit; its data stays valid until the next call.
    Step Next(Unit* unit);
    // True once a read or decode error cut the movie short (the units before it were given).
    bool Failed() const { return m_Failed; }

private:
    struct Decoder {
        FfCodec codec;
        int index = -1;
        AVRational timeBase{0, 1};
        REFERENCE_TIME next = 0;   // where the following unit starts when it has no time stamp
        bool drained = false;
        bool flushSent = false;
    };

    static int ReadPacket(void* opaque, std::uint8_t* buffer, int size);
    static std::int64_t SeekBytes(void* opaque, std::int64_t offset, int whence);
    static int Interrupt(void* opaque);
    bool OpenInput(const AVInputFormat* format);
    bool OpenDecoder(Decoder& decoder, int index);
    REFERENCE_TIME ScanEnd();
    bool SeekBefore(REFERENCE_TIME position);
    bool LandsOnKeyFrame(REFERENCE_TIME position);
    void SeekToStart();
    bool TakeFrame(Decoder& decoder, Unit* unit);
    REFERENCE_TIME TimeOf(const Decoder& decoder, std::int64_t pts) const;

    ReadFunction m_Read;
    std::int64_t m_Size = 0;
    std::int64_t m_Position = 0;
    const std::atomic<bool>* m_Quit = nullptr;
    FfIo m_Io;
    FfInput m_Input;
    FfFrame m_Frame;
    FfPacket m_Packet;
    Decoder m_Video;
    Decoder m_Audio;
    Decoder* m_Pending = nullptr;   // a decoder that may hold more frames
    bool m_Draining = false;
    bool m_Failed = false;
    REFERENCE_TIME m_StartTime = 0;   // the file's first time stamp
    REFERENCE_TIME m_Duration = 0;
    int m_Width = 0;
    int m_Height = 0;
    REFERENCE_TIME m_FrameTime = 0;
    int m_Rate = 0;
    int m_Channels = 0;
    MovieVideoConverter m_VideoConverter;
    MovieAudioConverter m_AudioConverter;
    std::vector<std::uint8_t> m_Bytes;
};

}  // namespace platform
