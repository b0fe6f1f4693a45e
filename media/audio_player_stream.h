// A stream channel's player: a file (loose or in a pack) streamed through its own stream
// buffer, which keeps its refill thread for the player's whole life.
#pragma once

#include "media/audio_buffer_stream.h"
#include "media/audio_player_base.h"
#include "media/sound_loader_base.h"

#include <memory>

class GxAudioPlayerStream : public GxAudioPlayerBase {
public:
    GxAudioPlayerStream() = default;
    ~GxAudioPlayerStream() override;

    bool Play(const std::u16string& fileName, std::int32_t loopCount, std::int32_t reserved0, std::uint32_t startMs,
              std::uint32_t fadeInMs, float volume, std::int32_t reservedValue, std::uint32_t loopStartMs, BYTE use3D,
              const GxSoundVector* position, const GxSoundVector* front) override;
    bool Play(const std::string& fileName, std::int32_t loopCount, std::int32_t reserved0, std::uint32_t startMs,
              std::uint32_t fadeInMs, float volume, std::int32_t reservedValue, std::uint32_t loopStartMs, BYTE use3D,
              const GxSoundVector* position, const GxSoundVector* front) override;
    bool Play(GxWavData* sound, std::int32_t loopCount, std::int32_t reserved0, std::uint32_t startMs,
              std::uint32_t fadeInMs, float volume, std::int32_t reservedValue, std::uint32_t loopStartMs, BYTE use3D,
              const GxSoundVector* position, const GxSoundVector* front) override;
    bool PlayFromFile(const std::u16string& fileName, std::int32_t loopCount, std::int32_t reserved0,
                      std::uint32_t startMs, std::uint32_t fadeInMs, float volume, std::int32_t reservedValue,
                      std::uint32_t loopStartMs, BYTE use3D, const GxSoundVector* position,
                      const GxSoundVector* front) override;
    bool PlayFromFile(const std::string& fileName, std::int32_t loopCount, std::int32_t reserved0,
                      std::uint32_t startMs, std::uint32_t fadeInMs, float volume, std::int32_t reservedValue,
                      std::uint32_t loopStartMs, BYTE use3D, const GxSoundVector* position,
                      const GxSoundVector* front) override;
    bool PlayFromMemory(GxWavData* sound, std::int32_t loopCount, std::int32_t reserved0, std::uint32_t startMs,
                        std::uint32_t fadeInMs, float volume, std::int32_t reservedValue, std::uint32_t loopStartMs,
                        BYTE use3D, const GxSoundVector* position, const GxSoundVector* front) override;

    // Destroys the voice and deletes the loader; the refill thread stays.
    bool Close() override;
    bool Stop(std::uint32_t fadeMs) override { return FadeStop(fadeMs); }
    bool SetVolume(float volume) override { return FadeSetVolume(volume); }
    float GetVolume() override { return m_Buffer.GetVolume(); }
    std::int32_t GetLoopCount() override { return m_Buffer.GetLoopCount(); }
    bool IsPlaying() override { return m_Buffer.IsPlaying(); }
    bool FinishFade() override { return FadeFinish(); }
    bool UpdateFade() override;

    GxAudioBufferStream& GetBuffer() { return m_Buffer; }
    bool HasLoader() const { return m_Loader != nullptr; }

protected:
    bool SetBufferVolume(float volume) override { return m_Buffer.SetVolume(volume); }
    IXAudio2SourceVoice* GetBufferVoice() const override { return m_Buffer.GetVoice(); }

private:
    // Steps 3 on of a play, with the loader open.
    bool PlayLoader(std::unique_ptr<GxSoundLoaderBase> loader, const char16_t* positionFormat,
                    const std::u16string& fileName, std::int32_t loopCount, std::int32_t reserved0,
                    std::uint32_t startMs, std::uint32_t fadeInMs, float volume, std::int32_t reservedValue,
                    std::uint32_t loopStartMs, BYTE use3D, const GxSoundVector* position, const GxSoundVector* front);

    std::unique_ptr<GxSoundLoaderBase> m_Loader;
    // Declared last: destroyed first, so the refill thread has ended before the loader goes.
    GxAudioBufferStream m_Buffer;
};
