#include "media/audio_buffer_static.h"

#include "foundation/log.h"
#include "media/sound_devices.h"
#include "media/sound_loader_base.h"

#include <cstring>
#include <limits>

GxAudioBufferStatic::~GxAudioBufferStatic() { ReleaseVoice(); }

void GxAudioBufferStatic::ReleaseVoice()
{
    GxMutexScopedLock lock(m_Mutex);
    if (m_Voice) {
        m_Voice->DestroyVoice();
        m_Voice = nullptr;
    }
    m_Size = 0;
    m_Record = {};
}

bool GxAudioBufferStatic::Create(GxSoundLoaderBase* loader)
{
    GxMutexScopedLock lock(m_Mutex);
    IXAudio2* engine = GetAudioDeviceState().m_Engine;
    if (!loader || !loader->IsOpen() || !engine)
        return false;
    ReleaseVoice();
    const std::uint64_t total = loader->GetTotalBytes();
    // One XAudio2 buffer holds at most 4 GiB; the decoded-sound limit keeps sounds far below it.
    if (total > std::numeric_limits<std::uint32_t>::max()) {
        LogPrintWarning(u"Error/GxAudioBufferStatic::Create ファイルの読み込みに失敗しました\n");
        return false;
    }
    const std::uint32_t size = static_cast<std::uint32_t>(total);
    alignas(8) WAVEFORMATEX format = *loader->GetFormat();
    if (m_Data.size() < size) m_Data.resize(size);
    std::uint32_t got = 0;
    if (!loader->Read(m_Data.data(), size, &got)) {
        LogPrintWarning(u"Error/GxAudioBufferStatic::Create ファイルの読み込みに失敗しました\n");
        return false;
    }
    if (got < size) std::memset(m_Data.data() + got, 0, size - got);   // no bytes of an earlier sound
    if (FAILED(engine->CreateSourceVoice(&m_Voice, &format, 0, 2.0f, nullptr, nullptr, nullptr))) {
        m_Voice = nullptr;
        LogPrintWarning(u"Error/GxAudio プライマリサウンドバッファのフォーマット設定に失敗しました\n");
        return false;
    }
    m_Size = size;
    m_Record.AudioBytes = size;
    m_Record.pAudioData = m_Data.data();
    return true;
}

bool GxAudioBufferStatic::Play(std::int32_t loopCount, UINT32 operationSet, std::uint32_t startFrame, float volume,
                               std::int32_t reservedValue)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Voice)
        return false;
    SetVolume(volume);
    SetReserved(reservedValue);
    return Start(loopCount, operationSet, startFrame);
}

bool GxAudioBufferStatic::Start(std::int32_t loopCount, UINT32 operationSet, std::uint32_t startFrame)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Voice)
        return false;
    m_LoopCount = loopCount;
    m_Record.Flags = XAUDIO2_END_OF_STREAM;
    m_Record.PlayBegin = startFrame;
    m_Record.LoopCount = loopCount == -1 ? XAUDIO2_LOOP_INFINITE : 0;
    if (FAILED(m_Voice->SubmitSourceBuffer(&m_Record, nullptr))) {
        m_Voice->DestroyVoice();
        m_Voice = nullptr;
        return false;
    }
    const HRESULT result = m_Voice->Start(0, operationSet);
    if (FAILED(result)) {
        LogPrintWarning(u"Error/GxAudioBufferStatic::Play 失敗 %x\n", static_cast<unsigned>(result));
        return false;
    }
    return true;
}

bool GxAudioBufferStatic::Stop()
{
    GxMutexScopedLock lock(m_Mutex);
    if (!IsPlaying())
        return true;   // nothing left to stop
    return SUCCEEDED(m_Voice->Stop(0, XAUDIO2_COMMIT_NOW));
}

bool GxAudioBufferStatic::IsPlaying()
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Voice)
        return false;
    XAUDIO2_VOICE_STATE state{};
    m_Voice->GetState(&state);
    return state.BuffersQueued > 0;
}

bool GxAudioBufferStatic::SetVolume(float volume)
{
    GxMutexScopedLock lock(m_Mutex);
    return m_Voice && SUCCEEDED(m_Voice->SetVolume(volume, XAUDIO2_COMMIT_NOW));
}

float GxAudioBufferStatic::GetVolume()
{
    GxMutexScopedLock lock(m_Mutex);
    float volume = 0.0f;
    if (m_Voice) m_Voice->GetVolume(&volume);
    return volume;
}
