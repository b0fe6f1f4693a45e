#include "media/audio_player_static.h"

#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "media/sound_loader_memory.h"
#include "media/sound_loader_open.h"
#include "media/wave_format.h"

#include <new>

GxAudioPlayerStatic::~GxAudioPlayerStatic() { Close(); }

bool GxAudioPlayerStatic::Play(const std::u16string& fileName, std::int32_t loopCount, std::uint32_t startMs,
                               std::uint32_t fadeInMs, float volume, std::int32_t reservedValue, BYTE use3D,
                               const GxSoundVector* position, const GxSoundVector* front)
{
    CopyVectors(position, front);
    return PlayFromFile(fileName, loopCount, startMs, fadeInMs, volume, reservedValue, use3D, &m_Position,
                        &m_Front);
}

bool GxAudioPlayerStatic::Play(const std::string& fileName, std::int32_t loopCount, std::uint32_t startMs,
                               std::uint32_t fadeInMs, float volume, std::int32_t reservedValue, BYTE use3D,
                               const GxSoundVector* position, const GxSoundVector* front)
{
    return Play(MultiByteToWide(fileName), loopCount, startMs, fadeInMs, volume, reservedValue, use3D, position,
                front);
}

bool GxAudioPlayerStatic::Play(GxWavData* sound, std::int32_t loopCount, std::uint32_t startMs,
                               std::uint32_t fadeInMs, float volume, std::int32_t reservedValue, BYTE use3D,
                               const GxSoundVector* position, const GxSoundVector* front)
{
    CopyVectors(position, front);
    return PlayFromMemory(sound, loopCount, startMs, fadeInMs, volume, reservedValue, use3D, &m_Position, &m_Front);
}

bool GxAudioPlayerStatic::PlayFromFile(const std::string& fileName, std::int32_t loopCount, std::uint32_t startMs,
                                       std::uint32_t fadeInMs, float volume, std::int32_t reservedValue, BYTE use3D,
                                       const GxSoundVector* position, const GxSoundVector* front)
{
    return PlayFromFile(MultiByteToWide(fileName), loopCount, startMs, fadeInMs, volume, reservedValue, use3D,
                        position, front);
}

bool GxAudioPlayerStatic::PlayFromFile(const std::u16string& fileName, std::int32_t loopCount,
                                       std::uint32_t startMs, std::uint32_t fadeInMs, float volume,
                                       std::int32_t reservedValue, BYTE use3D, const GxSoundVector* position,
                                       const GxSoundVector* front)
{
    std::unique_ptr<GxSoundLoaderBase> loader = OpenSoundFileLoader(fileName);
    if (!loader) {
        LogPrintWarning(u"GxAudioPlayerStatic::PlayFromFile ローダー作成に失敗(%s)\n", fileName.c_str());
        return false;
    }
    return PlayLoader(std::move(loader), u"GxAudioPlayerStatic::PlayFromFile シーク不可能な位置が指定されました(%s)\n",
                      fileName, loopCount, startMs, fadeInMs, volume, reservedValue, use3D, position, front);
}

bool GxAudioPlayerStatic::PlayFromMemory(GxWavData* sound, std::int32_t loopCount, std::uint32_t startMs,
                                         std::uint32_t fadeInMs, float volume, std::int32_t reservedValue,
                                         BYTE use3D, const GxSoundVector* position, const GxSoundVector* front)
{
    std::unique_ptr<GxSoundLoaderMemory> loader(new (std::nothrow) GxSoundLoaderMemory);
    if (!loader) {
        LogPrintWarning(u"GxAudioPlayerStatic::PlayFromMemory ローダー作成に失敗\n");
        return false;
    }
    if (!loader->Open(sound))
        return false;
    return PlayLoader(std::move(loader), u"GxAudioPlayerStatic::PlayFromMemory シーク不可能な位置が指定されました\n",
                      std::u16string(), loopCount, startMs, fadeInMs, volume, reservedValue, use3D, position, front);
}

bool GxAudioPlayerStatic::PlayLoader(std::unique_ptr<GxSoundLoaderBase> loader, const char16_t* positionFormat,
                                     const std::u16string& fileName, std::int32_t loopCount, std::uint32_t startMs,
                                     std::uint32_t fadeInMs, float volume, std::int32_t reservedValue, BYTE use3D,
                                     const GxSoundVector* position, const GxSoundVector* front)
{
    if (!m_Buffer.Create(loader.get()))
        return false;
    m_DurationMs = static_cast<std::uint32_t>(loader->GetDurationMs());
    m_LengthFrames = loader->GetLength();
    alignas(8) const WAVEFORMATEX format = *loader->GetFormat();
    loader->Close();
    loader.reset();   // the buffer holds the whole sound now
    const std::uint64_t startFrame = MillisecondsToFrames(startMs, format.nSamplesPerSec);
    if (startFrame >= m_LengthFrames) {
        LogPrintWarning(positionFormat, fileName.c_str());
        return false;
    }
    const float starting = PrepareStart(format.nChannels, startMs, fadeInMs, volume, 0, use3D, position, front);
    return m_Buffer.Play(loopCount, XAUDIO2_COMMIT_NOW, static_cast<std::uint32_t>(startFrame), starting,
                         reservedValue);
}

bool GxAudioPlayerStatic::Close()
{
    const bool stopped = m_Buffer.Stop();
    ClearFade();
    m_Buffer.ReleaseVoice();
    return stopped;
}

bool GxAudioPlayerStatic::UpdateFade()
{
    if (!IsPlaying()) {
        if (m_Buffer.GetSize() > 0) m_Buffer.ReleaseVoice();
        return false;
    }
    return FadeUpdate();
}
