// The mastering voice: the mixer's stereo output at the mix rate. It keeps the mixer open.
#pragma once

#include "platform/xaudio2/xaudio2.h"

namespace platform {

class XAudio2Engine;

class XAudio2MasteringVoiceImpl : public IXAudio2MasteringVoice {
public:
    explicit XAudio2MasteringVoiceImpl(XAudio2Engine* engine);
    virtual ~XAudio2MasteringVoiceImpl();

    void GetVoiceDetails(XAUDIO2_VOICE_DETAILS* details) override;
    HRESULT SetVolume(float volume, UINT32 operationSet) override;
    void GetVolume(float* volume) override;
    HRESULT SetOutputMatrix(IXAudio2Voice* destination, UINT32 sourceChannels, UINT32 destinationChannels,
                            const float* matrix, UINT32 operationSet) override;
    void DestroyVoice() override;
    HRESULT GetChannelMask(DWORD* channelMask) override;

    void Detach() { m_Engine = nullptr; }

private:
    XAudio2Engine* m_Engine;
    float m_Volume = 1.0f;
};

}  // namespace platform
