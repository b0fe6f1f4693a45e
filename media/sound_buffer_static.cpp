#include "media/sound_buffer_static.h"

#include "foundation/log.h"
#include "media/sound_loader_base.h"

#include <cstring>

GxSoundBufferStatic::GxSoundBufferStatic()
    : GxSoundBufferBase(u"Error/GxSoundBufferStatic::::SetConeAngle OutAngleはInAngle以上である必要があります\n")
{
}

bool GxSoundBufferStatic::Create(GxSoundLoaderBase* loader, bool use3D)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!loader || !loader->IsOpen() || !Device())
        return false;
    Release();
    const std::uint64_t size = loader->GetLength() * loader->GetFormat()->nBlockAlign;
    // Larger than the layer's limit: the creation below refuses it.
    m_Size = size > DSBSIZE_MAX ? DSBSIZE_MAX + 1 : static_cast<DWORD>(size);
    if (FAILED(CreateSecondary(loader, kFlagsStatic, kFlags3D, m_Size, use3D))) {
        LogPrintWarning(u"Error/GxSoundBufferStatic::Create セカンダリバッファ作成に失敗しました\n");
        m_Size = 0;
        m_Format = {};
        return false;
    }
    if (use3D && m_Format.nChannels < 2 && !Query3D()) {
        LogPrintWarning(u"Error/GxSoundBufferStatic::Create IDirectSound3DBufferインタフェースの取得に失敗しました\n");
        Release();
        return false;
    }
    void* data = nullptr;
    DWORD bytes = 0;
    if (FAILED(m_Buffer->Lock(0, m_Size, &data, &bytes, nullptr, nullptr, 0))) {
        LogPrintWarning(u"Error/GxSoundBufferStatic::Create セカンダリバッファのロックに失敗しました\n");
        return false;
    }
    std::uint32_t read = 0;
    if (!loader->Read(data, bytes, &read)) {
        LogPrintWarning(u"Error/GxSoundBufferStatic::Create ファイルの読み込みに失敗しました\n");
        std::memset(data, 0, bytes);
        m_Buffer->Unlock(data, bytes, nullptr, 0);
        return false;
    }
    m_Buffer->Unlock(data, bytes, nullptr, 0);
    return true;
}

bool GxSoundBufferStatic::Play(std::int32_t loopCount, DWORD priority, std::uint32_t startFrame)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Buffer || !Device())
        return false;
    m_Buffer->Stop();
    m_LoopCount = loopCount;
    m_Buffer->SetCurrentPosition(startFrame * m_Format.nBlockAlign);
    const HRESULT result = m_Buffer->Play(0, priority, loopCount == -1 ? DSBPLAY_LOOPING : 0);
    if (FAILED(result)) {
        LogPrintWarning(u"Error/GxSoundBufferStatic::Play 失敗 %x\n", static_cast<unsigned>(result));
        return false;
    }
    return true;
}

bool GxSoundBufferStatic::PlayAt(std::int32_t loopCount, DWORD priority, std::uint32_t startFrame, LONG volume,
                                 LONG pan)
{
    GxMutexScopedLock lock(m_Mutex);
    SetVolume(volume);
    SetPan(pan);
    return Play(loopCount, priority, startFrame);
}

bool GxSoundBufferStatic::Stop()
{
    GxMutexScopedLock lock(m_Mutex);
    return m_Buffer && Device() && SUCCEEDED(m_Buffer->Stop());
}

void GxSoundBufferStatic::Release()
{
    GxMutexScopedLock lock(m_Mutex);
    if (m_Buffer && Device()) m_Buffer->Stop();
    ReleaseInterfaces();
    m_Size = 0;
}
