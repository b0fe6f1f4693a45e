// A secondary buffer: a byte ring in our memory that the mixer reads at mix time from the play
// cursor, once or looping, with volume and pan, position notifications and stored 3D
// parameters.
#pragma once

#include "platform/audio/mix_source.h"
#include "platform/audio/rate_converter.h"
#include "platform/dsound/dsound.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace platform {

class DirectSoundDevice;

class DirectSoundSecondaryBuffer : public IDirectSoundBuffer,
                                   public IDirectSound3DBuffer,
                                   public IDirectSoundNotify,
                                   public MixSource {
public:
    // `format` must be mixable and `bytes` a whole number of frames; the device checks both.
    DirectSoundSecondaryBuffer(DirectSoundDevice* device, DWORD flags, DWORD bytes, const WAVEFORMATEX& format);

    bool IsValid() const { return m_Converter.IsValid(); }

    HRESULT QueryInterface(REFIID riid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    HRESULT GetCaps(DSBCAPS* caps) override;
    HRESULT GetCurrentPosition(DWORD* playCursor, DWORD* writeCursor) override;
    HRESULT GetFormat(WAVEFORMATEX* format, DWORD sizeAllocated, DWORD* sizeWritten) override;
    HRESULT GetVolume(LONG* volume) override;
    HRESULT GetPan(LONG* pan) override;
    HRESULT GetStatus(DWORD* status) override;
    HRESULT Lock(DWORD offset, DWORD bytes, void** audioPtr1, DWORD* audioBytes1, void** audioPtr2, DWORD* audioBytes2,
                 DWORD flags) override;
    HRESULT Play(DWORD reserved, DWORD priority, DWORD flags) override;
    HRESULT SetCurrentPosition(DWORD position) override;
    HRESULT SetFormat(const WAVEFORMATEX* format) override;
    HRESULT SetVolume(LONG volume) override;
    HRESULT SetPan(LONG pan) override;
    HRESULT Stop() override;
    HRESULT Unlock(void* audioPtr1, DWORD audioBytes1, void* audioPtr2, DWORD audioBytes2) override;
    HRESULT Restore() override;

    HRESULT GetAllParameters(DS3DBUFFER* parameters) override;
    HRESULT SetAllParameters(const DS3DBUFFER* parameters, DWORD apply) override;

    HRESULT SetNotificationPositions(DWORD count, const DSBPOSITIONNOTIFY* positions) override;

    void MixInto(float* mix, std::uint32_t frames, MixEvents& events) override;
    MixSourceInfo Info() const override;

    // The device's CommitDeferredSettings.
    void CommitDeferred();
    // The device goes first: off the mix, and every later call that needs it fails.
    void Detach();

private:
    ~DirectSoundSecondaryBuffer();

    // Buffer lock held.
    std::uint32_t Pull(float* out, std::uint32_t maxFrames, MixEvents& events);
    void UpdateLevels();
    void RaiseStopEvents(MixEvents& events) const;
    DWORD WriteCursorLocked() const;

    std::atomic<ULONG> m_RefCount{1};
    const DWORD m_Flags;
    const WAVEFORMATEX m_Format;
    const DWORD m_Size;
    const std::uint32_t m_Block;       // source bytes of one mix block, rounded up to frames
    std::vector<BYTE> m_Data;

    mutable std::mutex m_Mutex;        // everything below; never held while an event is set
    DirectSoundDevice* m_Device;
    bool m_Playing = false;
    bool m_Looping = false;
    DWORD m_PlayCursor = 0;
    std::uint64_t m_FramesPlayed = 0;
    LONG m_Volume = 0;
    LONG m_Pan = 0;
    std::vector<float> m_Matrix;       // [channel * 2 + side], unity gains
    std::vector<float> m_Levels;       // the matrix with volume, pan and sample scale
    std::vector<DSBPOSITIONNOTIFY> m_Notifications;
    DS3DBUFFER m_Applied3D{};
    DS3DBUFFER m_Deferred3D{};
    bool m_Has3DDeferred = false;
    RateConverter m_Converter;
    std::vector<float> m_Scratch;
};

}  // namespace platform
