// The XAudio2 subset: an engine, its mastering voice and source voices that play queued PCM
// buffers from the caller's memory through the process's mixer.
#pragma once

#include "platform/audio/wave_format.h"
#include "platform/win32/unknown.h"

#include <cstdint>

using UINT32 = std::uint32_t;
using UINT64 = std::uint64_t;
using XAUDIO2_PROCESSOR = UINT32;

inline constexpr CLSID CLSID_XAudio2 = {0x4c9b6dde, 0x6809, 0x46e6, {0xa2, 0x78, 0x9b, 0x6a, 0x97, 0x58, 0x86, 0x70}};
inline constexpr CLSID CLSID_XAudio2_Debug = {0x715bdd1a, 0xaa82, 0x436b, {0xb0, 0xfa, 0x6a, 0xce, 0xa3, 0x9b, 0xd0, 0xa1}};
inline constexpr IID IID_IXAudio2 = {0x8BCF1F58, 0x9FE7, 0x4583, {0x8A, 0xC6, 0xE2, 0xAD, 0xC4, 0x65, 0xC8, 0xBB}};

constexpr UINT32 XAUDIO2_DEBUG_ENGINE = 0x1;
constexpr XAUDIO2_PROCESSOR XAUDIO2_DEFAULT_PROCESSOR = 0x1;
constexpr UINT32 XAUDIO2_DEFAULT_CHANNELS = 0;
constexpr UINT32 XAUDIO2_DEFAULT_SAMPLERATE = 0;
constexpr UINT32 XAUDIO2_END_OF_STREAM = 0x40;
constexpr UINT32 XAUDIO2_MAX_LOOP_COUNT = 254;
constexpr UINT32 XAUDIO2_LOOP_INFINITE = 255;
constexpr UINT32 XAUDIO2_MAX_QUEUED_BUFFERS = 64;
constexpr UINT32 XAUDIO2_COMMIT_NOW = 0;

constexpr HRESULT XAUDIO2_E_INVALID_CALL = static_cast<HRESULT>(0x88960001u);
constexpr HRESULT XAUDIO2_E_DEVICE_INVALIDATED = static_cast<HRESULT>(0x88960004u);

enum XAUDIO2_DEVICE_ROLE : UINT32 {
    NotDefaultDevice = 0x0,
    DefaultConsoleDevice = 0x1,
    DefaultMultimediaDevice = 0x2,
    DefaultCommunicationsDevice = 0x4,
    DefaultGameDevice = 0x8,
    GlobalDefaultDevice = 0xf,
};

struct XAUDIO2_DEVICE_DETAILS {
    WCHAR DeviceID[256];
    WCHAR DisplayName[256];
    XAUDIO2_DEVICE_ROLE Role;
    WAVEFORMATEXTENSIBLE OutputFormat;
};

struct XAUDIO2_VOICE_DETAILS {
    UINT32 CreationFlags;
    UINT32 InputChannels;
    UINT32 InputSampleRate;
};

struct XAUDIO2_BUFFER {
    UINT32 Flags;
    UINT32 AudioBytes;
    const BYTE* pAudioData;
    UINT32 PlayBegin;    // frames
    UINT32 PlayLength;   // 0: to the end of the buffer
    UINT32 LoopBegin;
    UINT32 LoopLength;   // 0 with a loop count: to the end of the buffer
    UINT32 LoopCount;    // 0 once, 1..254 repeats, 255 for ever
    void* pContext;
};

struct XAUDIO2_VOICE_STATE {
    void* pCurrentBufferContext;
    UINT32 BuffersQueued;   // the buffer playing and those waiting
    UINT64 SamplesPlayed;
};

// Called on the mixer's thread with no lock of the layer held.
struct IXAudio2VoiceCallback {
    virtual void OnVoiceProcessingPassStart(UINT32 bytesRequired) = 0;
    virtual void OnVoiceProcessingPassEnd() = 0;
    virtual void OnStreamEnd() = 0;
    virtual void OnBufferStart(void* bufferContext) = 0;
    virtual void OnBufferEnd(void* bufferContext) = 0;
    virtual void OnLoopEnd(void* bufferContext) = 0;
    virtual void OnVoiceError(void* bufferContext, HRESULT error) = 0;

protected:
    ~IXAudio2VoiceCallback() = default;   // owned by the caller
};

struct IXAudio2Voice {
    virtual void GetVoiceDetails(XAUDIO2_VOICE_DETAILS* details) = 0;
    // A linear gain, applied from the next mix block.
    virtual HRESULT SetVolume(float volume, UINT32 operationSet = XAUDIO2_COMMIT_NOW) = 0;
    virtual void GetVolume(float* volume) = 0;
    // `matrix[destinationChannels... ]`: the level of source channel s in output channel d is
    // matrix[sourceChannels * d + s].
    virtual HRESULT SetOutputMatrix(IXAudio2Voice* destination, UINT32 sourceChannels, UINT32 destinationChannels,
                                    const float* matrix, UINT32 operationSet = XAUDIO2_COMMIT_NOW) = 0;
    // Synchronous: on return no mix step uses the voice and none of its callbacks runs.
    virtual void DestroyVoice() = 0;

protected:
    ~IXAudio2Voice() = default;
};

struct IXAudio2MasteringVoice : IXAudio2Voice {
    virtual HRESULT GetChannelMask(DWORD* channelMask) = 0;

protected:
    ~IXAudio2MasteringVoice() = default;
};

struct IXAudio2SourceVoice : IXAudio2Voice {
    virtual HRESULT Start(UINT32 flags = 0, UINT32 operationSet = XAUDIO2_COMMIT_NOW) = 0;
    // Pauses: the queue and the position stay.
    virtual HRESULT Stop(UINT32 flags = 0, UINT32 operationSet = XAUDIO2_COMMIT_NOW) = 0;
    // Plays from the caller's memory, which must stay valid until the buffer's OnBufferEnd.
    virtual HRESULT SubmitSourceBuffer(const XAUDIO2_BUFFER* buffer, const void* bufferWma = nullptr) = 0;
    // Drops the buffers not yet begun (each gets its OnBufferEnd from the next mix step); the
    // buffer that has begun plays on.
    virtual HRESULT FlushSourceBuffers() = 0;
    virtual void GetState(XAUDIO2_VOICE_STATE* state) = 0;

protected:
    ~IXAudio2SourceVoice() = default;
};

struct XAUDIO2_EFFECT_CHAIN;
struct XAUDIO2_VOICE_SENDS;

struct IXAudio2 : IUnknown {
    virtual HRESULT Initialize(UINT32 flags = 0, XAUDIO2_PROCESSOR processor = XAUDIO2_DEFAULT_PROCESSOR) = 0;
    virtual HRESULT GetDeviceCount(UINT32* count) = 0;
    virtual HRESULT GetDeviceDetails(UINT32 index, XAUDIO2_DEVICE_DETAILS* details) = 0;
    virtual HRESULT CreateSourceVoice(IXAudio2SourceVoice** voice, const WAVEFORMATEX* format, UINT32 flags = 0,
                                      float maxFrequencyRatio = 2.0f, IXAudio2VoiceCallback* callback = nullptr,
                                      const XAUDIO2_VOICE_SENDS* sends = nullptr,
                                      const XAUDIO2_EFFECT_CHAIN* effects = nullptr) = 0;
    virtual HRESULT CreateMasteringVoice(IXAudio2MasteringVoice** voice, UINT32 inputChannels = XAUDIO2_DEFAULT_CHANNELS,
                                         UINT32 inputSampleRate = XAUDIO2_DEFAULT_SAMPLERATE, UINT32 flags = 0,
                                         UINT32 deviceIndex = 0, const XAUDIO2_EFFECT_CHAIN* effects = nullptr) = 0;

protected:
    ~IXAudio2() = default;
};

// CoCreateInstance of the class (the debug class with XAUDIO2_DEBUG_ENGINE), then Initialize;
// an engine whose Initialize fails is released.
HRESULT XAudio2Create(IXAudio2** engine, UINT32 flags = 0, XAUDIO2_PROCESSOR processor = XAUDIO2_DEFAULT_PROCESSOR);

namespace platform {

// Registers both XAudio2 classes with COM (XAudio2Create does it too).
void RegisterXAudio2Classes();

// Test seam: forced results (S_OK: none) and the output format GetDeviceDetails reports.
struct XAudio2Faults {
    HRESULT create = S_OK;
    HRESULT initialize = S_OK;
    HRESULT createMasteringVoice = S_OK;
    HRESULT createSourceVoice = S_OK;
    HRESULT getDeviceDetails = S_OK;
    HRESULT submitSourceBuffer = S_OK;
    HRESULT start = S_OK;
    WORD outputChannels = 2;
    DWORD outputChannelMask = SPEAKER_STEREO;
};
void SetXAudio2Faults(const XAudio2Faults& faults);
XAudio2Faults XAudio2FaultsNow();

// Live engines and voices (mastering and source), for tests.
struct XAudio2Census {
    int engines = 0;
    int masteringVoices = 0;
    int sourceVoices = 0;
};
XAudio2Census XAudio2Objects();

}  // namespace platform
