// A whole sound in memory on one XAudio2 source voice, submitted as one buffer: the one-shot
// sounds. It loops only for a loop count of -1 (for ever, from the start of the sound).
#pragma once

#include "foundation/mutex.h"
#include "media/wave_format.h"
#include "platform/xaudio2/xaudio2.h"

#include <cstdint>
#include <vector>

class GxSoundLoaderBase;

class GxAudioBufferStatic {
public:
    GxAudioBufferStatic() = default;
    virtual ~GxAudioBufferStatic();
    GxAudioBufferStatic(const GxAudioBufferStatic&) = delete;
    GxAudioBufferStatic& operator=(const GxAudioBufferStatic&) = delete;

    // Destroys the voice and clears the size and the buffer record; the sound's bytes stay.
    virtual void ReleaseVoice();
    // Copies the whole sound out of the loader, which the caller may then delete.
    virtual bool Create(GxSoundLoaderBase* loader);
    virtual bool Play(std::int32_t loopCount, UINT32 operationSet, std::uint32_t startFrame, float volume,
                      std::int32_t reservedValue);
    virtual bool Start(std::int32_t loopCount, UINT32 operationSet, std::uint32_t startFrame);
    virtual bool Stop();
    virtual bool IsPlaying();
    virtual bool SetVolume(float volume);
    virtual float GetVolume();
    // Reserved: no effect.
    virtual bool Reserved() { return true; }
    virtual bool SetReserved(std::int32_t) { return true; }
    virtual std::uint32_t GetSize() const { return m_Size; }
    virtual std::uint32_t GetBufferSize() const { return m_Size; }
    virtual std::int32_t GetLoopCount() const { return m_Voice ? m_LoopCount : 0; }

    IXAudio2SourceVoice* GetVoice() const { return m_Voice; }

private:
    GxMutex m_Mutex;
    IXAudio2SourceVoice* m_Voice = nullptr;
    std::uint32_t m_Size = 0;
    XAUDIO2_BUFFER m_Record{};
    std::int32_t m_LoopCount = 0;
    std::vector<BYTE> m_Data;
};
