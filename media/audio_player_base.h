// One sound playing under XAudio2: the volume fades, run by the multimedia timer, and the 3D
// placement through X3DAudio. Every operation has a harmless default here; the stream player
// and the one-shot player give them their effect.
#pragma once

#include "media/sound_devices.h"
#include "media/sound_loader_base.h"
#include "media/volume_fade.h"
#include "platform/xaudio2/x3daudio.h"
#include "platform/xaudio2/xaudio2.h"

#include <cstdint>
#include <memory>
#include <string>

class GxWavData;

class GxAudioPlayerBase {
public:
    static constexpr int kFadeNone = 0;
    static constexpr int kFadeIn = 1;
    static constexpr int kFadeOut = 2;
    // Source channels the output matrix has room for (the mixer takes up to eight).
    static constexpr std::uint32_t kMaxSourceChannels = 8;

    // Raises the back end's player serial counter and takes its new value as this player's.
    GxAudioPlayerBase();
    virtual ~GxAudioPlayerBase() = default;
    GxAudioPlayerBase(const GxAudioPlayerBase&) = delete;
    GxAudioPlayerBase& operator=(const GxAudioPlayerBase&) = delete;

    virtual std::uint32_t GetSerial() const { return m_Serial; }
    // The forms without "From" copy the caller's position and front first and play with the
    // copies.
    virtual bool Play(const std::u16string&, std::int32_t, std::int32_t, std::uint32_t, std::uint32_t, float,
                      std::int32_t, std::uint32_t, BYTE, const GxSoundVector*, const GxSoundVector*)
    {
        return false;
    }
    virtual bool Play(const std::string&, std::int32_t, std::int32_t, std::uint32_t, std::uint32_t, float,
                      std::int32_t, std::uint32_t, BYTE, const GxSoundVector*, const GxSoundVector*)
    {
        return false;
    }
    virtual bool Play(GxWavData*, std::int32_t, std::int32_t, std::uint32_t, std::uint32_t, float, std::int32_t,
                      std::uint32_t, BYTE, const GxSoundVector*, const GxSoundVector*)
    {
        return false;
    }
    virtual bool PlayFromFile(const std::u16string&, std::int32_t, std::int32_t, std::uint32_t, std::uint32_t, float,
                              std::int32_t, std::uint32_t, BYTE, const GxSoundVector*, const GxSoundVector*)
    {
        return false;
    }
    virtual bool PlayFromFile(const std::string&, std::int32_t, std::int32_t, std::uint32_t, std::uint32_t, float,
                              std::int32_t, std::uint32_t, BYTE, const GxSoundVector*, const GxSoundVector*)
    {
        return false;
    }
    virtual bool PlayFromMemory(GxWavData*, std::int32_t, std::int32_t, std::uint32_t, std::uint32_t, float,
                                std::int32_t, std::uint32_t, BYTE, const GxSoundVector*, const GxSoundVector*)
    {
        return false;
    }
    virtual bool Close() { return false; }
    virtual bool Stop(std::uint32_t) { return false; }
    virtual bool SetVolume(float) { return false; }
    virtual bool SetReserved(std::int32_t) { return false; }
    virtual float GetVolume() { return 0.0f; }
    virtual std::int32_t GetReserved() { return 0; }
    // Milliseconds since the running fade's end; 0 without a fade or while it lasts.
    virtual std::uint32_t GetFadeOverMs() const;
    virtual float GetFadeEndVolume() const { return m_Fade.m_EndVolume; }
    virtual std::int32_t GetLoopCount() { return 0; }
    virtual bool IsPlaying() { return false; }
    virtual int GetFadeState() const { return m_Fade.m_StartTime != 0 ? m_Fade.m_State : kFadeNone; }
    virtual std::uint32_t GetPlayStartTime() const { return m_PlayStartTime; }
    virtual std::uint32_t GetDurationMs() const { return m_DurationMs; }
    virtual bool FinishFade() { return false; }
    virtual bool UpdateFade() { return false; }

    // Recomputes the output matrix from the caller's position and front; only with the 3D flag.
    // The changed flag is not needed: the emitter is compared here.
    void Update3D(const X3DAUDIO_HANDLE instance, const X3DAUDIO_LISTENER* listener, std::uint32_t flags,
                  BYTE changed);

    const X3DAUDIO_EMITTER& GetEmitter() const { return m_Emitter; }
    const X3DAUDIO_DSP_SETTINGS& GetOutputSettings() const { return m_Output; }
    const GxSoundVector& GetPosition3D() const { return m_Position; }
    const GxSoundVector& GetFront3D() const { return m_Front; }

protected:
    // What the players give the shared fade and 3D code.
    virtual bool SetBufferVolume(float) { return false; }
    virtual IXAudio2SourceVoice* GetBufferVoice() const { return nullptr; }

    // The fade behaviour both players share.
    // 0 closes at once; otherwise a fade-out from the present volume, closing at its end.
    bool FadeStop(std::uint32_t fadeMs);
    // During a fade-in the volume becomes the end volume, during a fade-out the start volume.
    bool FadeSetVolume(float volume);
    bool FadeFinish();
    // Step 2 on of the fade service, for a player still playing.
    bool FadeUpdate();

    void ClearFade();
    // Steps 6 to 9 of a play: 3D output, stored values and the fade; returns the volume the
    // buffer starts at.
    float PrepareStart(std::uint32_t channels, std::uint32_t startMs, std::uint32_t fadeInMs, float volume,
                       std::uint32_t loopStartMs, BYTE use3D, const GxSoundVector* position,
                       const GxSoundVector* front);
    void CopyVectors(const GxSoundVector* position, const GxSoundVector* front);

    struct Silence {
        static constexpr float kValue = 0.0f;
    };
    GxVolumeFade<float, Silence> m_Fade;
    std::uint32_t m_PlayStartTime = 0;
    std::uint32_t m_StartMs = 0;
    std::uint32_t m_LoopStartMs = 0;
    std::uint32_t m_DurationMs = 0;
    std::uint64_t m_LengthFrames = 0;
    GxSoundVector m_Position{0.0f, 0.0f, 0.0f, 0.0f};
    GxSoundVector m_Front{0.0f, 0.0f, 1.0f, 0.0f};
    GxSoundVector m_Top{0.0f, 1.0f, 0.0f, 0.0f};
    const GxSoundVector* m_PositionSource = nullptr;
    const GxSoundVector* m_FrontSource = nullptr;
    float m_Matrix[kMaxSourceChannels * 2] = {};
    X3DAUDIO_DSP_SETTINGS m_Output{};
    X3DAUDIO_CONE m_Cone{};
    X3DAUDIO_DISTANCE_CURVE_POINT m_VolumePoints[2] = {};
    X3DAUDIO_DISTANCE_CURVE_POINT m_LowFrequencyPoints[3] = {};
    X3DAUDIO_DISTANCE_CURVE_POINT m_ReverbPoints[3] = {};
    X3DAUDIO_DISTANCE_CURVE m_VolumeCurve{};
    X3DAUDIO_DISTANCE_CURVE m_LowFrequencyCurve{};
    X3DAUDIO_DISTANCE_CURVE m_ReverbCurve{};
    float m_Azimuths[2] = {};
    X3DAUDIO_EMITTER m_Emitter{};
    BYTE m_Use3D = 1;
    std::uint32_t m_Serial = 0;
};
