#include "platform/xaudio2/engine.h"

#include "platform/audio/mix_format.h"
#include "platform/xaudio2/census.h"
#include "platform/xaudio2/mastering_voice.h"
#include "platform/xaudio2/source_voice.h"

#include <algorithm>
#include <utility>

namespace platform {

HRESULT XAudio2Engine::Create(REFIID iid, void** object)
{
    auto* engine = new XAudio2Engine;
    const HRESULT hr = engine->QueryInterface(iid, object);
    engine->Release();
    return hr;
}

XAudio2Engine::XAudio2Engine() { ++xaudio2_detail::g_Engines; }

XAudio2Engine::~XAudio2Engine()
{
    std::vector<XAudio2SourceVoiceImpl*> sources;
    XAudio2MasteringVoiceImpl* master = nullptr;
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        sources.swap(m_Sources);
        master = std::exchange(m_Master, nullptr);
    }
    for (XAudio2SourceVoiceImpl* source : sources) {
        source->Detach();
        source->DestroyFromEngine();
    }
    if (master) {
        master->Detach();
        master->DestroyVoice();
    }
    --xaudio2_detail::g_Engines;
}

HRESULT XAudio2Engine::Initialize(UINT32, XAUDIO2_PROCESSOR)
{
    const HRESULT forced = XAudio2FaultsNow().initialize;
    if (FAILED(forced)) return forced;
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Initialized = true;
    return S_OK;
}

HRESULT XAudio2Engine::GetDeviceCount(UINT32* count)
{
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT XAudio2Engine::GetDeviceDetails(UINT32 index, XAUDIO2_DEVICE_DETAILS* details)
{
    const XAudio2Faults faults = XAudio2FaultsNow();
    if (FAILED(faults.getDeviceDetails)) return faults.getDeviceDetails;
    if (!details) return E_POINTER;
    if (index != 0) return E_INVALIDARG;
    *details = {};
    const char16_t name[] = u"Default output";
    std::copy(std::begin(name), std::end(name), details->DisplayName);
    std::copy(std::begin(name), std::end(name), details->DeviceID);
    details->Role = GlobalDefaultDevice;
    WAVEFORMATEX& format = details->OutputFormat.Format;
    format.wFormatTag = 0xFFFE;   // extensible
    format.nChannels = faults.outputChannels;
    format.nSamplesPerSec = kMixRate;
    format.wBitsPerSample = 32;
    format.nBlockAlign = static_cast<WORD>(format.nChannels * 4);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;
    format.cbSize = sizeof(WAVEFORMATEXTENSIBLE) - sizeof(WAVEFORMATEX);
    details->OutputFormat.Samples.wValidBitsPerSample = 32;
    details->OutputFormat.dwChannelMask = faults.outputChannelMask;
    return S_OK;
}

HRESULT XAudio2Engine::CreateMasteringVoice(IXAudio2MasteringVoice** voice, UINT32, UINT32, UINT32, UINT32 deviceIndex,
                                            const XAUDIO2_EFFECT_CHAIN*)
{
    if (!voice) return E_POINTER;
    *voice = nullptr;
    const HRESULT forced = XAudio2FaultsNow().createMasteringVoice;
    if (FAILED(forced)) return forced;
    if (deviceIndex != 0) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_Initialized || m_Master) return XAUDIO2_E_INVALID_CALL;
    m_Master = new XAudio2MasteringVoiceImpl(this);
    *voice = m_Master;
    return S_OK;
}

HRESULT XAudio2Engine::CreateSourceVoice(IXAudio2SourceVoice** voice, const WAVEFORMATEX* format, UINT32, float,
                                         IXAudio2VoiceCallback* callback, const XAUDIO2_VOICE_SENDS*,
                                         const XAUDIO2_EFFECT_CHAIN*)
{
    if (!voice) return E_POINTER;
    *voice = nullptr;
    const HRESULT forced = XAudio2FaultsNow().createSourceVoice;
    if (FAILED(forced)) return forced;
    if (!format || !IsMixableFormat(*format)) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_Master) return XAUDIO2_E_INVALID_CALL;
    auto* created = new XAudio2SourceVoiceImpl(this, *format, callback);
    if (!created->IsValid()) {
        created->DestroyFromEngine();
        return E_FAIL;
    }
    m_Sources.push_back(created);
    *voice = created;
    return S_OK;
}

void XAudio2Engine::ForgetMaster(XAudio2MasteringVoiceImpl* master)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_Master == master) m_Master = nullptr;
}

void XAudio2Engine::ForgetSource(XAudio2SourceVoiceImpl* source)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Sources.erase(std::remove(m_Sources.begin(), m_Sources.end(), source), m_Sources.end());
}

bool XAudio2Engine::IsMaster(const IXAudio2Voice* voice)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    return m_Master && voice == static_cast<const IXAudio2Voice*>(m_Master);
}

}  // namespace platform
