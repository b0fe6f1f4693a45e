#include "platform/xaudio2/xaudio2.h"

#include "platform/win32/com.h"
#include "platform/xaudio2/census.h"
#include "platform/xaudio2/engine.h"

#include <mutex>

namespace platform {

namespace xaudio2_detail {

std::atomic<int> g_Engines{0};
std::atomic<int> g_MasteringVoices{0};
std::atomic<int> g_SourceVoices{0};

}  // namespace xaudio2_detail

namespace {

std::mutex& FaultMutex()
{
    static std::mutex mutex;
    return mutex;
}

XAudio2Faults& Faults()
{
    static XAudio2Faults faults;
    return faults;
}

}  // namespace

void RegisterXAudio2Classes()
{
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterComClass(CLSID_XAudio2, &XAudio2Engine::Create);
        RegisterComClass(CLSID_XAudio2_Debug, &XAudio2Engine::Create);
    });
}

void SetXAudio2Faults(const XAudio2Faults& faults)
{
    std::lock_guard<std::mutex> lock(FaultMutex());
    Faults() = faults;
}

XAudio2Faults XAudio2FaultsNow()
{
    std::lock_guard<std::mutex> lock(FaultMutex());
    return Faults();
}

XAudio2Census XAudio2Objects()
{
    return {xaudio2_detail::g_Engines.load(), xaudio2_detail::g_MasteringVoices.load(),
            xaudio2_detail::g_SourceVoices.load()};
}

}  // namespace platform

HRESULT XAudio2Create(IXAudio2** engine, UINT32 flags, XAUDIO2_PROCESSOR processor)
{
    if (!engine) return E_POINTER;
    *engine = nullptr;
    const HRESULT forced = platform::XAudio2FaultsNow().create;
    if (FAILED(forced)) return forced;
    platform::RegisterXAudio2Classes();
    const CLSID& clsid = (flags & XAUDIO2_DEBUG_ENGINE) ? CLSID_XAudio2_Debug : CLSID_XAudio2;
    IXAudio2* created = nullptr;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXAudio2, reinterpret_cast<void**>(&created));
    if (FAILED(hr)) return hr;
    hr = created->Initialize(flags, processor);
    if (FAILED(hr)) {
        created->Release();
        return hr;
    }
    *engine = created;
    return S_OK;
}
