#include "media/audio_player_stream.h"

#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "media/sound_loader_memory.h"
#include "media/sound_loader_open.h"
#include "media/wave_format.h"

#include <new>

GxAudioPlayerStream::~GxAudioPlayerStream() { Close(); }

bool GxAudioPlayerStream::Play(const std::u16string& fileName, std::int32_t loopCount, std::int32_t reserved0,
                               std::uint32_t startMs, std::uint32_t fadeInMs, float volume,
                               std::int32_t reservedValue, std::uint32_t loopStartMs, BYTE use3D,
                               const GxSoundVector* position, const GxSoundVector* front)
{
    CopyVectors(position, front);
    return PlayFromFile(fileName, loopCount, reserved0, startMs, fadeInMs, volume, reservedValue, loopStartMs, use3D,
                        &m_Position, &m_Front);
}

bool GxAudioPlayerStream::Play(const std::string& fileName, std::int32_t loopCount, std::int32_t reserved0,
                               std::uint32_t startMs, std::uint32_t fadeInMs, float volume,
                               std::int32_t reservedValue, std::uint32_t loopStartMs, BYTE use3D,
                               const GxSoundVector* position, const GxSoundVector* front)
{
    return Play(MultiByteToWide(fileName), loopCount, reserved0, startMs, fadeInMs, volume, reservedValue,
                loopStartMs, use3D, position, front);
}

bool GxAudioPlayerStream::Play(GxWavData* sound, std::int32_t loopCount, std::int32_t reserved0,
                               std::uint32_t startMs, std::uint32_t fadeInMs, float volume,
                               std::int32_t reservedValue, std::uint32_t loopStartMs, BYTE use3D,
                               const GxSoundVector* position, const GxSoundVector* front)
{
    CopyVectors(position, front);
    return PlayFromMemory(sound, loopCount, reserved0, startMs, fadeInMs, volume, reservedValue, loopStartMs, use3D,
                          &m_Position, &m_Front);
}

bool GxAudioPlayerStream::PlayFromFile(const std::string& fileName, std::int32_t loopCount, std::int32_t reserved0,
                                       std::uint32_t startMs, std::uint32_t fadeInMs, float volume,
                                       std::int32_t reservedValue, std::uint32_t loopStartMs, BYTE use3D,
                                       const GxSoundVector* position, const GxSoundVector* front)
{
    return PlayFromFile(MultiByteToWide(fileName), loopCount, reserved0, startMs, fadeInMs, volume, reservedValue,
                        loopStartMs, use3D, position, front);
}

bool GxAudioPlayerStream::PlayFromFile(const std::u16string& fileName, std::int32_t loopCount,
                                       std::int32_t reserved0, std::uint32_t startMs, std::uint32_t fadeInMs,
                                       float volume, std::int32_t reservedValue, std::uint32_t loopStartMs,
                                       BYTE use3D, const GxSoundVector* position, const GxSoundVector* front)
{
    Close();
    std::unique_ptr<GxSoundLoaderBase> loader = OpenSoundFileLoader(fileName);
    if (!loader) {
        LogPrintWarning(u"GxAudioPlayerStream::PlayFromFile ローダー作成に失敗(%s)\n", fileName.c_str());
        return false;
    }
    return PlayLoader(std::move(loader), u"GxAudioPlayerStream::PlayFromFile シーク不可能な位置が指定されました(%s)\n",
                      fileName, loopCount, reserved0, startMs, fadeInMs, volume, reservedValue, loopStartMs, use3D,
                      position, front);
}

bool GxAudioPlayerStream::PlayFromMemory(GxWavData* sound, std::int32_t loopCount, std::int32_t reserved0,
                                         std::uint32_t startMs, std::uint32_t fadeInMs, float volume,
                                         std::int32_t reservedValue, std::uint32_t loopStartMs, BYTE use3D,
                                         const GxSoundVector* position, const GxSoundVector* front)
{
    Close();
    std::unique_ptr<GxSoundLoaderMemory> loader(new (std::nothrow) GxSoundLoaderMemory);
    if (!loader) {
        LogPrintWarning(u"GxAudioPlayerStream::PlayFromMemory ローダー作成に失敗\n");
        return false;
    }
    if (!loader->Open(sound))
        return false;
    return PlayLoader(std::move(loader), u"GxAudioPlayerStream::PlayFromMemory シーク不可能な位置が指定されました\n",
                      std::u16string(), loopCount, reserved0, startMs, fadeInMs, volume, reservedValue, loopStartMs,
                      use3D, position, front);
}

bool GxAudioPlayerStream::PlayLoader(std::unique_ptr<GxSoundLoaderBase> loader, const char16_t* positionFormat,
                                     const std::u16string& fileName, std::int32_t loopCount, std::int32_t reserved0,
                                     std::uint32_t startMs, std::uint32_t fadeInMs, float volume,
                                     std::int32_t reservedValue, std::uint32_t loopStartMs, BYTE use3D,
                                     const GxSoundVector* position, const GxSoundVector* front)
{
    if (!m_Buffer.Create(loader.get())) {
        m_Buffer.Close();   // forgets the loader before it goes
        return false;
    }
    m_Loader = std::move(loader);
    m_DurationMs = static_cast<std::uint32_t>(m_Loader->GetDurationMs());
    m_LengthFrames = m_Loader->GetLength();
    const WAVEFORMATEX* format = m_Loader->GetFormat();
    const std::uint64_t startFrame = MillisecondsToFrames(startMs, format->nSamplesPerSec);
    std::uint64_t loopStartFrame = MillisecondsToFrames(loopStartMs, format->nSamplesPerSec);
    if (startFrame >= m_LengthFrames) {
        LogPrintWarning(positionFormat, fileName.c_str());
        return false;
    }
    if (loopStartFrame >= m_LengthFrames) loopStartFrame = 0;
    const float starting =
        PrepareStart(format->nChannels, startMs, fadeInMs, volume, loopStartMs, use3D, position, front);
    return m_Buffer.Play(loopCount, reserved0, startFrame, loopStartFrame, starting, reservedValue);
}

bool GxAudioPlayerStream::Close()
{
    m_Buffer.Close();
    ClearFade();
    if (m_Loader) m_Loader->Close();
    m_Loader.reset();
    return true;
}

bool GxAudioPlayerStream::UpdateFade()
{
    if (!IsPlaying())
        return false;
    return FadeUpdate();
}
