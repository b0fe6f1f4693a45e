// The XAudio2 engine object: creates the mastering voice (which opens the mixer) and source
// voices, and destroys the voices still alive when its last reference goes.
#pragma once

#include "platform/win32/com_object.h"
#include "platform/xaudio2/xaudio2.h"

#include <mutex>
#include <vector>

namespace platform {

class XAudio2MasteringVoiceImpl;
class XAudio2SourceVoiceImpl;

class XAudio2Engine : public ComObject<IXAudio2, IID_IXAudio2> {
public:
    static HRESULT Create(REFIID iid, void** object);

    HRESULT Initialize(UINT32 flags, XAUDIO2_PROCESSOR processor) override;
    HRESULT GetDeviceCount(UINT32* count) override;
    HRESULT GetDeviceDetails(UINT32 index, XAUDIO2_DEVICE_DETAILS* details) override;
    HRESULT CreateSourceVoice(IXAudio2SourceVoice** voice, const WAVEFORMATEX* format, UINT32 flags,
                              float maxFrequencyRatio, IXAudio2VoiceCallback* callback,
                              const XAUDIO2_VOICE_SENDS* sends, const XAUDIO2_EFFECT_CHAIN* effects) override;
    HRESULT CreateMasteringVoice(IXAudio2MasteringVoice** voice, UINT32 inputChannels, UINT32 inputSampleRate,
                                 UINT32 flags, UINT32 deviceIndex, const XAUDIO2_EFFECT_CHAIN* effects) override;

    // Called by the voices' DestroyVoice.
    void ForgetMaster(XAudio2MasteringVoiceImpl* master);
    void ForgetSource(XAudio2SourceVoiceImpl* source);
    bool IsMaster(const IXAudio2Voice* voice);

private:
    XAudio2Engine();
    ~XAudio2Engine() override;

    std::mutex m_Mutex;
    bool m_Initialized = false;
    XAudio2MasteringVoiceImpl* m_Master = nullptr;
    std::vector<XAudio2SourceVoiceImpl*> m_Sources;
};

}  // namespace platform
