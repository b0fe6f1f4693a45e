#include "media/sound_player_static.h"

#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "media/sound_loader_memory.h"
#include "media/sound_loader_open.h"
#include "media/wave_format.h"

bool GxSoundPlayerStatic::PlayFromFile(const std::string& fileName, std::int32_t loopCount, std::int32_t reserved0,
                                       std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume,
                                       std::int32_t reservedValue, BYTE use3D)
{
    return PlayFromFile(MultiByteToWide(fileName), loopCount, reserved0, startMs, fadeInMs, volume, reservedValue,
                        use3D);
}

bool GxSoundPlayerStatic::PlayFromFile(const std::u16string& fileName, std::int32_t loopCount,
                                       std::int32_t reserved0, std::uint32_t startMs, std::uint32_t fadeInMs,
                                       LONG volume, std::int32_t, BYTE use3D)
{
    Close();
    std::unique_ptr<GxSoundLoaderBase> loader = OpenSoundFileLoader(fileName);
    if (!loader) {
        LogPrintWarning(u"GxSoundPlayerStatic::PlayFromFile ローダー作成に失敗(%s)\n", fileName.c_str());
        return false;
    }
    if (loader->GetLength() == 0) {
        LogPrintWarning(u"GxSoundPlayerStatic::PlayFromFile 長さ0のファイルを再生しようとしました(%s)\n",
                        fileName.c_str());
        return false;
    }
    return PlayLoader(loader.get(), u"GxSoundPlayerStatic::PlayFromFile シーク不可能な位置が指定されました(%s)\n",
                      fileName, loopCount, reserved0, startMs, fadeInMs, volume, use3D);
}

bool GxSoundPlayerStatic::PlayFromMemory(GxWavData* sound, std::int32_t loopCount, std::int32_t reserved0,
                                         std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume, std::int32_t,
                                         BYTE use3D)
{
    Close();
    GxSoundLoaderMemory loader;
    if (!loader.Open(sound)) {
        LogPrintWarning(u"GxSoundPlayerStatic::PlayFromMemory ローダー作成に失敗\n");
        return false;
    }
    return PlayLoader(&loader, u"GxSoundPlayerStatic::PlayFromMemory シーク不可能な位置が指定されました\n",
                      std::u16string(), loopCount, reserved0, startMs, fadeInMs, volume, use3D);
}

bool GxSoundPlayerStatic::PlayFromFileWith3D(const std::u16string& fileName, std::int32_t loopCount,
                                             std::int32_t reserved0, std::uint32_t startMs, std::uint32_t fadeInMs,
                                             LONG volume, std::int32_t reservedValue, BYTE use3D,
                                             const GxSoundVector* position, const GxSoundVector* orientation)
{
    Store3D(position, orientation);
    return PlayFromFile(fileName, loopCount, reserved0, startMs, fadeInMs, volume, reservedValue, use3D);
}

bool GxSoundPlayerStatic::PlayFromMemoryWith3D(GxWavData* sound, std::int32_t loopCount, std::int32_t reserved0,
                                               std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume,
                                               std::int32_t reservedValue, BYTE use3D,
                                               const GxSoundVector* position, const GxSoundVector* orientation)
{
    Store3D(position, orientation);
    return PlayFromMemory(sound, loopCount, reserved0, startMs, fadeInMs, volume, reservedValue, use3D);
}

bool GxSoundPlayerStatic::PlayLoader(GxSoundLoaderBase* loader, const char16_t* positionWarning,
                                     const std::u16string& fileName, std::int32_t loopCount, std::int32_t reserved0,
                                     std::uint32_t startMs, std::uint32_t fadeInMs, LONG volume, BYTE use3D)
{
    if (!m_Buffer.Create(loader, use3D != 0))
        return false;
    m_LengthFrames = loader->GetLength();
    m_DurationMs = loader->GetDurationMs();
    const std::uint64_t startFrame = MillisecondsToFrames(startMs, loader->GetFormat()->nSamplesPerSec);
    if (startFrame >= m_LengthFrames) {
        LogPrintWarning(positionWarning, fileName.c_str());
        m_Buffer.Release();
        return false;
    }
    const LONG starting = PrepareStart(startMs, fadeInMs, volume, 0);
    return m_Buffer.PlayAt(loopCount, static_cast<DWORD>(reserved0), static_cast<std::uint32_t>(startFrame), starting,
                           DSBPAN_CENTER);
}

bool GxSoundPlayerStatic::Close()
{
    const bool stopped = m_Buffer.Stop();
    m_Buffer.Release();
    ClearFade();
    return stopped;
}

bool GxSoundPlayerStatic::UpdateFade()
{
    if (!IsPlaying()) {
        if (m_Buffer.GetSoundBuffer()) m_Buffer.Release();
        return false;
    }
    return FadeStep();
}
