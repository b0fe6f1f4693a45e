// The two sound back ends: the XAudio2 engine with its mastering voice and, on request,
// X3DAudio; the DirectSound 8 device with its primary buffer and, on request, the 3D listener.
// Each is one process-wide state with its channel lock, enabled and 3D flags, player serial
// counter, decoded-sound cache and listener records. Start-up opens both (XAudio2 first) and
// ignores the results; shut-down closes DirectSound first.
#pragma once

#include "foundation/mutex.h"
#include "media/sound_cache.h"
#include "platform/dsound/dsound.h"
#include "platform/xaudio2/x3daudio.h"
#include "platform/xaudio2/xaudio2.h"

#include <cstdint>

struct GxAudioDeviceState {
    GxMutex m_ChannelLock;
    IXAudio2* m_Engine = nullptr;
    IXAudio2MasteringVoice* m_MasteringVoice = nullptr;
    std::int32_t m_ComCount = 0;
    BYTE m_Enabled = 0;
    BYTE m_Use3D = 0;
    X3DAUDIO_HANDLE m_X3DInstance{};
    X3DAUDIO_VECTOR m_RequestedPosition{};
    X3DAUDIO_VECTOR m_RequestedFront{};
    X3DAUDIO_VECTOR m_RequestedTop{};
    X3DAUDIO_LISTENER m_Listener{};
    X3DAUDIO_CONE m_ListenerCone{};
    std::uint32_t m_PlayerSerial = 0;
    GxSoundCache m_Cache;
};

// Four floats, the fourth always 0.
struct GxSoundVector {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float w = 0.0f;
};

struct GxSoundDeviceState {
    GxMutex m_ChannelLock;
    IDirectSound8* m_Device = nullptr;
    IDirectSound* m_DirectSound = nullptr;
    IDirectSoundBuffer* m_PrimaryBuffer = nullptr;
    IDirectSound3DListener* m_Listener = nullptr;
    std::int32_t m_ComCount = 0;
    BYTE m_Enabled = 0;
    BYTE m_Use3D = 0;
    GxSoundVector m_RequestedPosition;
    GxSoundVector m_RequestedFront;
    GxSoundVector m_RequestedTop;
    GxSoundVector m_AppliedPosition;
    GxSoundVector m_AppliedFront;
    GxSoundVector m_AppliedTop;
    std::uint32_t m_PlayerSerial = 0;
    GxSoundCache m_Cache;
};

// Created on first use, alive until exit.
GxAudioDeviceState& GetAudioDeviceState();
GxSoundDeviceState& GetSoundDeviceState();

bool InitAudioDevice(BYTE use3D);
bool InitAudio3D();
void AudioShutdownDevice();
bool SoundInitDevice(HWND window, BYTE use3D);
void SoundShutdownDevice();
