#include "media/sound_player_stream.h"

#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "media/sound_loader_memory.h"
#include "media/sound_loader_open.h"
#include "media/wave_format.h"

bool GxSoundPlayerStream::Play(const std::u16string& fileName, std::int32_t loopCount, std::int32_t reserved0,
                               std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume,
                               std::int32_t reservedValue, std::uint32_t loopStartMs, BYTE use3D,
                               const GxSoundVector* position, const GxSoundVector* orientation)
{
    Store3D(position, orientation);
    return PlayFromFile(fileName, loopCount, reserved0, startMs, fadeInMs, volume, reservedValue, loopStartMs, use3D);
}

bool GxSoundPlayerStream::Play(const std::string& fileName, std::int32_t loopCount, std::int32_t reserved0,
                               std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume,
                               std::int32_t reservedValue, std::uint32_t loopStartMs, BYTE use3D,
                               const GxSoundVector* position, const GxSoundVector* orientation)
{
    return Play(MultiByteToWide(fileName), loopCount, reserved0, startMs, fadeInMs, volume, reservedValue,
                loopStartMs, use3D, position, orientation);
}

bool GxSoundPlayerStream::PlayFromMemoryWith3D(GxWavData* sound, std::int32_t loopCount, std::int32_t reserved0,
                                               std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume,
                                               std::int32_t reservedValue, std::uint32_t loopStartMs, BYTE use3D,
                                               const GxSoundVector* position, const GxSoundVector* orientation)
{
    Store3D(position, orientation);
    return PlayFromMemory(sound, loopCount, reserved0, startMs, fadeInMs, volume, reservedValue, loopStartMs,
                          use3D);
}

bool GxSoundPlayerStream::PlayFromFile(const std::u16string& fileName, std::int32_t loopCount,
                                       std::int32_t reserved0, std::uint32_t startMs, std::uint32_t fadeInMs,
                                       LONG volume, std::int32_t, std::uint32_t loopStartMs, BYTE use3D)
{
    Close();
    std::unique_ptr<GxSoundLoaderBase> loader = OpenSoundFileLoader(fileName);
    if (!loader) {
        LogPrintWarning(u"GxSoundPlayerStream::PlayFromFile ローダー作成に失敗(%s)\n", fileName.c_str());
        return false;
    }
    if (loader->GetLength() == 0) {
        LogPrintWarning(u"GxSoundPlayerStream::PlayFromFile 長さ0のファイルを再生しようとしました(%s)\n",
                        fileName.c_str());
        return false;
    }
    return PlayLoader(std::move(loader), u"GxSoundPlayerStream::PlayFromFile シーク不可能な位置が指定されました(%s)\n",
                      fileName, loopCount, reserved0, startMs, fadeInMs, volume, loopStartMs, use3D);
}

bool GxSoundPlayerStream::PlayFromMemory(GxWavData* sound, std::int32_t loopCount, std::int32_t reserved0,
                                         std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume, std::int32_t,
                                         std::uint32_t loopStartMs, BYTE use3D)
{
    Close();
    auto loader = std::make_unique<GxSoundLoaderMemory>();
    if (!loader->Open(sound)) {
        LogPrintWarning(u"GxSoundPlayerStream::PlayFromMemory ローダー作成に失敗\n");
        return false;
    }
    return PlayLoader(std::move(loader), u"GxSoundPlayerStream::PlayFromMemory シーク不可能な位置が指定されました\n",
                      std::u16string(), loopCount, reserved0, startMs, fadeInMs, volume, loopStartMs, use3D);
}

bool GxSoundPlayerStream::PlayLoader(std::unique_ptr<GxSoundLoaderBase> loader, const char16_t* positionWarning,
                                     const std::u16string& fileName, std::int32_t loopCount, std::int32_t reserved0,
                                     std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume,
                                     std::uint32_t loopStartMs, BYTE use3D)
{
    if (!m_Buffer.Create(loader.get(), use3D != 0)) {
        loader->Close();
        return false;
    }
    m_Loader = std::move(loader);
    m_LengthFrames = m_Loader->GetLength();
    m_DurationMs = m_Loader->GetDurationMs();
    const std::uint32_t rate = m_Loader->GetFormat()->nSamplesPerSec;
    const std::uint64_t startFrame = MillisecondsToFrames(startMs, rate);
    std::uint64_t loopStartFrame = MillisecondsToFrames(loopStartMs, rate);
    if (loopStartFrame >= m_LengthFrames) loopStartFrame = 0;
    if (startFrame >= m_LengthFrames) {
        LogPrintWarning(positionWarning, fileName.c_str());
        Close();
        return false;
    }
    const LONG starting = PrepareStart(startMs, fadeInMs, volume, loopStartMs);
    m_HasLoopStart = loopStartMs != 0 ? 1 : 0;
    return m_Buffer.PlayAt(loopCount, static_cast<DWORD>(reserved0), startFrame, loopStartFrame, starting,
                           DSBPAN_CENTER);
}

bool GxSoundPlayerStream::Close()
{
    const bool stopped = m_Buffer.Stop();
    m_Buffer.Teardown();   // the thread has ended: nothing reads the loader any more
    if (m_Loader) m_Loader->Close();
    m_Loader.reset();
    ClearFade();
    return stopped;
}

bool GxSoundPlayerStream::UpdateFade()
{
    if (!IsPlaying())
        return false;
    return FadeStep();
}
