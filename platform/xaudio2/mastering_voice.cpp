#include "platform/xaudio2/mastering_voice.h"

#include "platform/audio/mix_format.h"
#include "platform/audio/mixer.h"
#include "platform/xaudio2/census.h"
#include "platform/xaudio2/engine.h"

namespace platform {

XAudio2MasteringVoiceImpl::XAudio2MasteringVoiceImpl(XAudio2Engine* engine) : m_Engine(engine)
{
    Mixer::Instance().Open();
    ++xaudio2_detail::g_MasteringVoices;
}

XAudio2MasteringVoiceImpl::~XAudio2MasteringVoiceImpl()
{
    Mixer::Instance().Close();
    --xaudio2_detail::g_MasteringVoices;
}

void XAudio2MasteringVoiceImpl::GetVoiceDetails(XAUDIO2_VOICE_DETAILS* details)
{
    if (!details) return;
    details->CreationFlags = 0;
    details->InputChannels = kMixChannels;
    details->InputSampleRate = kMixRate;
}

// The output level of the whole mix is not used by the engine; the value is kept for GetVolume.
HRESULT XAudio2MasteringVoiceImpl::SetVolume(float volume, UINT32)
{
    m_Volume = volume;
    return S_OK;
}

void XAudio2MasteringVoiceImpl::GetVolume(float* volume)
{
    if (volume) *volume = m_Volume;
}

HRESULT XAudio2MasteringVoiceImpl::SetOutputMatrix(IXAudio2Voice*, UINT32, UINT32, const float*, UINT32)
{
    return XAUDIO2_E_INVALID_CALL;   // the mastering voice sends nowhere
}

void XAudio2MasteringVoiceImpl::DestroyVoice()
{
    if (m_Engine) m_Engine->ForgetMaster(this);
    delete this;
}

HRESULT XAudio2MasteringVoiceImpl::GetChannelMask(DWORD* channelMask)
{
    if (!channelMask) return E_POINTER;
    *channelMask = SPEAKER_STEREO;
    return S_OK;
}

}  // namespace platform
