// What the two DirectSound buffers share: the buffer lock, the secondary buffer with its wave
// format and, for a mono sound asked for with 3D, the 3D interface with a stored copy of its
// parameter block that the setters change and Apply3D hands over. Without the DirectSound
// device every operation fails quietly.
#pragma once

#include "foundation/mutex.h"
#include "media/wave_format.h"
#include "platform/dsound/dsound.h"

#include <cstdint>

class GxSoundLoaderBase;

class GxSoundBufferBase {
public:
    static constexpr DWORD kFlagsStatic = 0x581E0;
    static constexpr DWORD kFlagsStream = 0x581C0;
    static constexpr DWORD kFlags3D = 0x381B8;
    static constexpr float kMinDistance = 100.0f;
    static constexpr float kMaxDistance = 500.0f;

    // `coneAngleWarning` is the line a refused cone angle logs.
    explicit GxSoundBufferBase(const char16_t* coneAngleWarning) : m_ConeAngleWarning(coneAngleWarning) {}
    virtual ~GxSoundBufferBase() = default;
    GxSoundBufferBase(const GxSoundBufferBase&) = delete;
    GxSoundBufferBase& operator=(const GxSoundBufferBase&) = delete;

    virtual bool SetVolume(LONG volume);
    virtual bool SetPan(LONG pan);
    bool GetVolume(LONG* volume);
    bool GetPan(LONG* pan);
    // DSBSTATUS_PLAYING or DSBSTATUS_LOOPING.
    bool IsPlaying();

    bool Has3D() const { return m_Buffer3D != nullptr; }
    bool SetPosition(const D3DVECTOR& position);
    bool GetPosition(D3DVECTOR* position);
    bool SetMinDistance(float distance);
    bool GetMinDistance(float* distance);
    bool SetMaxDistance(float distance);
    bool GetMaxDistance(float* distance);
    // An outside angle smaller than the inside one is refused with a warning.
    bool SetConeAngle(DWORD insideAngle, DWORD outsideAngle);
    bool GetConeAngles(DWORD* insideAngle, DWORD* outsideAngle);
    bool SetConeOrientation(const D3DVECTOR& orientation);
    bool GetConeOrientation(D3DVECTOR* orientation);
    bool SetConeOutsideVolume(LONG volume);
    bool SetVelocity(const D3DVECTOR& velocity);
    bool SetMode(DWORD mode);
    // The whole stored block, at once or deferred until the listener commits.
    bool Apply3D(bool immediate);

    IDirectSoundBuffer* GetSoundBuffer() const { return m_Buffer; }
    const WAVEFORMATEX& GetFormat() const { return m_Format; }

protected:
    static IDirectSound8* Device();
    // The secondary buffer in the loader's format; a stereo sound never gets 3D. The lock is held.
    HRESULT CreateSecondary(GxSoundLoaderBase* loader, DWORD flags, DWORD flags3D, DWORD bytes, bool use3D);
    // Queries the 3D interface and takes its parameters with the engine's distances.
    bool Query3D();
    // Releases the 3D interface and the buffer and clears the format; the lock is held.
    void ReleaseInterfaces();

    GxMutex m_Mutex;
    IDirectSoundBuffer* m_Buffer = nullptr;
    alignas(8) WAVEFORMATEX m_Format{};   // packed record: aligned here so its fields are too
    IDirectSound3DBuffer* m_Buffer3D = nullptr;
    DS3DBUFFER m_Params{};
    const char16_t* m_ConeAngleWarning;
};
