#include "media/wav_data.h"

#include "foundation/file.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "media/sound_loader_ogg.h"
#include "media/sound_loader_wav.h"
#include "platform/win32/timer.h"

#include <cstring>
#include <limits>

void GxWavData::Reset()
{
    m_DataSize = 0;
    m_Data.reset();
    m_LastUsedTime = 0;
    m_Format = WAVEFORMATEX{};
    m_Name.clear();
    m_UseCount = 0;
    m_FrameCount = 0;
    m_Keep = 0;
}

void GxWavData::Release()
{
    if (m_UseCount > 0)
        --m_UseCount;
}

void GxWavData::Free() { Reset(); }

bool GxWavData::Create(const std::u16string& name, const WAVEFORMATEX* format, std::uint64_t byteCount)
{
    Free();
    // Block alignment 0 would leave the frame count undefined; no loader gives it.
    if (format == nullptr || byteCount == 0 || format->nBlockAlign == 0)
        return false;
    BYTE* block = nullptr;
    if (byteCount <= kMaxDataSize && byteCount <= std::numeric_limits<std::size_t>::max())
        block = static_cast<BYTE*>(std::calloc(static_cast<std::size_t>(byteCount), 1));
    if (block == nullptr) {
        LogPrintWarning(u"Error/GxWavData::Create バッファの確保に失敗しました(%s)\n", name.c_str());
        return false;
    }
    m_Format = *format;
    m_Data.reset(block);
    m_DataSize = byteCount;
    m_FrameCount = byteCount / format->nBlockAlign;
    AddRef();
    m_Name = WideToLowerAscii(name);
    Touch();
    return true;
}

bool GxWavData::Create(const std::string& name, const WAVEFORMATEX* format, std::uint64_t byteCount)
{
    return Create(MultiByteToWide(name), format, byteCount);
}

bool GxWavData::Create(const std::u16string& fileName)
{
    const std::u16string extension = WideToLowerAscii(GetFileExtension(fileName));
    std::unique_ptr<GxSoundLoaderBase> loader;
    bool opened = false;
    if (extension == u".wav") {
        auto wav = std::make_unique<GxSoundLoaderWav>();
        opened = wav->Open(fileName);
        loader = std::move(wav);
    } else if (extension == u".ogg") {
        auto ogg = std::make_unique<GxSoundLoaderOgg>();
        opened = ogg->Open(fileName);
        loader = std::move(ogg);
    } else {
        LogPrintWarning(u"Error/GxWavData::Create 未対応の形式です(%s)\n", fileName.c_str());
        return false;
    }
    if (!opened)
        return false;
    if (!Create(fileName, loader->GetFormat(), loader->GetTotalBytes()))
        return false;
    // One read of the whole data; a source that ends early leaves zeros after what it held.
    std::uint32_t got = 0;
    loader->Read(m_Data.get(), static_cast<std::uint32_t>(m_DataSize), &got);
    m_Name = WideToLowerAscii(fileName);
    Touch();
    loader->Close();
    return true;
}

bool GxWavData::Create(const std::string& fileName) { return Create(MultiByteToWide(fileName)); }

std::uint64_t GxWavData::GetDurationMs() const
{
    if (m_Format.nSamplesPerSec == 0)
        return 0;
    return m_FrameCount * 1000 / m_Format.nSamplesPerSec;
}

bool GxWavData::GetSamplePair(std::uint64_t frame, std::int32_t& left, std::int32_t& right) const
{
    left = 0;
    right = 0;
    if (m_Data == nullptr || frame >= m_FrameCount)
        return false;
    const BYTE* sample = m_Data.get() + frame * m_Format.nBlockAlign;
    const bool eightBit = m_Format.wBitsPerSample == 8;
    const std::uint32_t width = eightBit ? 1 : 2;
    const bool stereo = m_Format.nChannels >= 2 && m_Format.nBlockAlign >= 2 * width;
    if (!eightBit && m_Format.nBlockAlign < 2)
        return false;
    auto value = [&](const BYTE* at) -> std::int32_t {
        if (eightBit)
            return static_cast<std::int32_t>(static_cast<std::int8_t>(at[0])) * 257;
        return static_cast<std::int16_t>(static_cast<std::uint16_t>(at[0] | at[1] << 8));
    };
    left = value(sample);
    right = stereo ? value(sample + width) : left;
    return true;
}

void GxWavData::Touch() { m_LastUsedTime = timeGetTime(); }
