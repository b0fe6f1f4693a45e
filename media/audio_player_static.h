// A one-shot player: the whole sound copied into one buffer, played from a start position,
// once or (loop count -1) for ever from the start. It keeps no loader and takes no loop start.
#pragma once

#include "media/audio_buffer_static.h"
#include "media/audio_player_base.h"

#include <memory>

class GxAudioPlayerStatic : public GxAudioPlayerBase {
public:
    GxAudioPlayerStatic() = default;
    ~GxAudioPlayerStatic() override;

    // The base's play operations (with a loop start) keep their false answers here.
    using GxAudioPlayerBase::Play;
    using GxAudioPlayerBase::PlayFromFile;
    using GxAudioPlayerBase::PlayFromMemory;

    virtual bool Play(const std::u16string& fileName, std::int32_t loopCount, std::uint32_t startMs,
                      std::uint32_t fadeInMs, float volume, std::int32_t reservedValue, BYTE use3D,
                      const GxSoundVector* position, const GxSoundVector* front);
    virtual bool Play(const std::string& fileName, std::int32_t loopCount, std::uint32_t startMs,
                      std::uint32_t fadeInMs, float volume, std::int32_t reservedValue, BYTE use3D,
                      const GxSoundVector* position, const GxSoundVector* front);
    virtual bool Play(GxWavData* sound, std::int32_t loopCount, std::uint32_t startMs, std::uint32_t fadeInMs,
                      float volume, std::int32_t reservedValue, BYTE use3D, const GxSoundVector* position,
                      const GxSoundVector* front);
    virtual bool PlayFromFile(const std::u16string& fileName, std::int32_t loopCount, std::uint32_t startMs,
                              std::uint32_t fadeInMs, float volume, std::int32_t reservedValue, BYTE use3D,
                              const GxSoundVector* position, const GxSoundVector* front);
    virtual bool PlayFromFile(const std::string& fileName, std::int32_t loopCount, std::uint32_t startMs,
                              std::uint32_t fadeInMs, float volume, std::int32_t reservedValue, BYTE use3D,
                              const GxSoundVector* position, const GxSoundVector* front);
    virtual bool PlayFromMemory(GxWavData* sound, std::int32_t loopCount, std::uint32_t startMs,
                                std::uint32_t fadeInMs, float volume, std::int32_t reservedValue, BYTE use3D,
                                const GxSoundVector* position, const GxSoundVector* front);

    // Stops the sound and releases the voice; the result is the stop's.
    bool Close() override;
    bool Stop(std::uint32_t fadeMs) override { return FadeStop(fadeMs); }
    bool SetVolume(float volume) override { return FadeSetVolume(volume); }
    float GetVolume() override { return m_Buffer.GetVolume(); }
    std::int32_t GetLoopCount() override { return m_Buffer.GetLoopCount(); }
    bool IsPlaying() override { return m_Buffer.IsPlaying(); }
    bool FinishFade() override { return FadeFinish(); }
    // Releases the voice once the sound has ended.
    bool UpdateFade() override;

    GxAudioBufferStatic& GetBuffer() { return m_Buffer; }

protected:
    bool SetBufferVolume(float volume) override { return m_Buffer.SetVolume(volume); }
    IXAudio2SourceVoice* GetBufferVoice() const override { return m_Buffer.GetVoice(); }

private:
    // Steps 3 on of a play: copies the sound, deletes the loader, checks the start and plays.
    bool PlayLoader(std::unique_ptr<GxSoundLoaderBase> loader, const char16_t* positionFormat,
                    const std::u16string& fileName, std::int32_t loopCount, std::uint32_t startMs,
                    std::uint32_t fadeInMs, float volume, std::int32_t reservedValue, BYTE use3D,
                    const GxSoundVector* position, const GxSoundVector* front);

    GxAudioBufferStatic m_Buffer;
};
