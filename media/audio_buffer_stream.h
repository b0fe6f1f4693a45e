// A streamed sound on one XAudio2 source voice: four half-second chunk buffers used in turn,
// two queued at the start, and a refill thread of this object's own that tops the queue up
// whenever the voice finishes a buffer. Every operation takes the buffer's own lock; callers
// holding the channel lock take it before this one, and the refill thread takes only this one.
#pragma once

#include "foundation/mutex.h"
#include "media/audio_voice_context.h"
#include "media/wave_format.h"
#include "platform/xaudio2/xaudio2.h"

#include <atomic>
#include <cstdint>
#include <vector>

class GxSoundLoaderBase;

class GxAudioBufferStream {
public:
    static constexpr int kChunkCount = 4;
    static constexpr float kVolumeUnknown = 3.0f;

    GxAudioBufferStream();
    // Closes, then ends the refill thread (stop flag, wake, join) before anything is freed.
    virtual ~GxAudioBufferStream();
    GxAudioBufferStream(const GxAudioBufferStream&) = delete;
    GxAudioBufferStream& operator=(const GxAudioBufferStream&) = delete;

    virtual bool Play(std::int32_t loopCount, std::int32_t reserved0, std::uint64_t startFrame,
                      std::uint64_t loopStartFrame, float volume, std::int32_t reservedValue);
    virtual bool Start(std::int32_t loopCount, std::int32_t reserved0, std::uint64_t startFrame,
                       std::uint64_t loopStartFrame);
    virtual bool Stop();
    // Buffers still queued on the voice.
    virtual bool IsPlaying();
    virtual bool SetVolume(float volume);
    virtual float GetVolume();
    // Reserved: no effect, they only tell whether a voice exists.
    virtual bool SetReserved(std::int32_t value);
    virtual bool SetReserved2(std::int32_t value);
    virtual std::uint32_t GetCapacity() const;
    virtual std::uint64_t GetTotalBytes() const;
    virtual std::int32_t GetLoopCount() const;

    // The loader stays its player's. Makes the voice and, the first time, the refill thread.
    bool Create(GxSoundLoaderBase* loader);
    // Destroys the voice; the thread and the chunk buffers stay for the next sound.
    void Close();
    // Fills at most one chunk buffer from the loader and submits it; see the .cpp.
    bool ReadBuffer();
    void DestroyVoice();

    IXAudio2SourceVoice* GetVoice() const { return m_Voice; }
    std::uint32_t GetChunkBytes() const { return m_ChunkBytes; }
    bool HasThread() const { return m_Thread != nullptr; }

private:
    static DWORD ThreadMain(LPVOID parameter);
    void RefillLoop();

    GxMutex m_Mutex;
    IXAudio2SourceVoice* m_Voice = nullptr;
    XAUDIO2_BUFFER m_Record{};
    GxSoundLoaderBase* m_Loader = nullptr;
    std::uint32_t m_Capacity = 0;
    std::uint64_t m_TotalBytes = 0;
    std::uint32_t m_ChunkBytes = 0;
    HANDLE m_Thread = nullptr;
    std::atomic<bool> m_StopThread{false};
    std::uint64_t m_LoopStartBytes = 0;
    std::uint64_t m_LoopEndBytes = 0;
    std::int32_t m_LoopCount = 0;
    float m_LastVolume = kVolumeUnknown;
    std::vector<BYTE> m_Chunks[kChunkCount];
    int m_NextChunk = 0;
    std::uint64_t m_Position = 0;
    GxAudioVoiceContext m_Context;
    alignas(8) WAVEFORMATEX m_Format{};   // packed record: aligned here so its fields are too
    XAUDIO2_VOICE_STATE m_State{};
};
