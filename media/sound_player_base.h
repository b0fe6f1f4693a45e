// One sound playing under DirectSound: the volume fades in hundredths of a decibel, run by the
// multimedia timer, the start and loop positions and the 3D placement. Every operation has a
// harmless default here; the stream player and the one-shot player give them their effect.
#pragma once

#include "media/sound_devices.h"
#include "media/volume_fade.h"
#include "platform/dsound/dsound.h"

#include <cstdint>
#include <string>

class GxWavData;
class GxSoundBufferBase;

class GxSoundPlayerBase {
public:
    static constexpr int kFadeNone = 0;
    static constexpr int kFadeIn = 1;
    static constexpr int kFadeOut = 2;
    // Fades start from and end at this attenuation.
    static constexpr LONG kSilence = -6400;

    // Raises the back end's player serial counter.
    GxSoundPlayerBase();
    virtual ~GxSoundPlayerBase() = default;
    GxSoundPlayerBase(const GxSoundPlayerBase&) = delete;
    GxSoundPlayerBase& operator=(const GxSoundPlayerBase&) = delete;

    // The back end's counter of players ever constructed.
    std::uint32_t GetPlayerSerial() const;

    virtual bool Close() { return false; }
    // 0 closes at once; otherwise a fade-out from the present volume, closing at its end.
    virtual bool Stop(std::uint32_t fadeMs);
    // During a fade-in the volume becomes the end volume, during a fade-out the start volume.
    virtual bool SetVolume(LONG volume);
    virtual LONG GetVolume();
    virtual bool IsPlaying() { return false; }
    virtual int GetFadeState() const { return m_Fade.m_StartTime != 0 ? m_Fade.m_State : kFadeNone; }
    virtual bool FinishFade();
    // The fade step of the channel manager's service; false once the sound no longer plays.
    virtual bool UpdateFade() { return false; }

    // Skip unchanged values, else pass them to the buffer (false without 3D).
    bool Set3DPosition(const D3DVECTOR& position);
    bool Get3DPosition(D3DVECTOR* position);
    bool SetConeOrientation(const D3DVECTOR& orientation);
    bool GetConeOrientation(D3DVECTOR* orientation);
    void Get3DOrientation(GxSoundVector* orientation) const;
    bool SetMinDistance(float distance);
    bool GetMinDistance(float* distance);
    bool SetMaxDistance(float distance);
    bool GetMaxDistance(float* distance);
    bool SetConeAngle(DWORD insideAngle, DWORD outsideAngle);
    bool GetConeAngles(DWORD* insideAngle, DWORD* outsideAngle);
    // Copies the caller's position and orientation when their sources are set, then hands the
    // buffer's 3D block to DirectSound.
    void Apply3DParams(bool immediate);
    // Four floats of the caller's, read at every 3D update; null for none.
    void Set3DSources(const GxSoundVector* position, const GxSoundVector* orientation);

    LONG GetFadeEndVolume() const { return m_Fade.m_EndVolume; }
    LONG GetFadeStartVolume() const { return m_Fade.m_StartVolume; }
    std::uint32_t GetPlayStartTime() const { return m_PlayStartTime; }
    std::uint64_t GetLengthFrames() const { return m_LengthFrames; }

protected:
    virtual GxSoundBufferBase* Buffer() = 0;
    bool SetBufferVolume(LONG volume);
    // The fade rule without the playing test.
    bool FadeStep();
    // Steps 7 and 8 of a play: the stored values and the fade; the volume the buffer starts at.
    LONG PrepareStart(std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume, std::uint32_t loopStartMs);
    void Store3D(const GxSoundVector* position, const GxSoundVector* orientation);
    void ClearFade();

    struct Silence {
        static constexpr LONG kValue = kSilence;
    };
    GxVolumeFade<LONG, Silence> m_Fade;
    std::uint32_t m_PlayStartTime = 0;
    std::uint32_t m_StartMs = 0;
    std::uint32_t m_LoopStartMs = 0;
    BYTE m_HasLoopStart = 0;
    std::uint64_t m_LengthFrames = 0;
    std::uint64_t m_DurationMs = 0;
    GxSoundVector m_Position{0.0f, 0.0f, 0.0f, 0.0f};
    GxSoundVector m_Orientation{0.0f, 0.0f, 1.0f, 0.0f};
    GxSoundVector m_Extra{0.0f, 0.0f, 1.0f, 0.0f};
    const GxSoundVector* m_PositionSource = nullptr;
    const GxSoundVector* m_OrientationSource = nullptr;
};
