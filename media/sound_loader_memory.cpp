#include "media/sound_loader_memory.h"

#include "media/wav_data.h"

#include <algorithm>
#include <cstring>

bool GxSoundLoaderMemory::Open(GxWavData* sound)
{
    if (sound == nullptr || sound->GetData() == nullptr || sound->GetDataSize() == 0)
        return false;
    Close();
    m_Format = *sound->GetFormat();
    m_Sound = sound;
    m_Offset = 0;
    m_TotalBytes = sound->GetDataSize();
    m_Remaining = m_TotalBytes;
    sound->Touch();
    return true;
}

void GxSoundLoaderMemory::Close()
{
    m_Offset = 0;
    m_TotalBytes = 0;
    m_Remaining = 0;
    m_Sound = nullptr;
    m_LoopStart = 0;
    m_Format = WAVEFORMATEX{};
}

bool GxSoundLoaderMemory::Read(void* destination, std::uint32_t bytes, std::uint32_t* bytesRead)
{
    if (bytesRead != nullptr)
        *bytesRead = 0;
    if (m_Sound == nullptr)
        return false;
    const std::uint32_t count = static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes, m_Remaining));
    if (count > 0)
        std::memcpy(destination, m_Sound->GetData() + m_Offset, count);
    m_Offset += count;
    m_Remaining -= count;
    if (bytesRead != nullptr)
        *bytesRead = count;
    m_Sound->Touch();
    return true;
}

bool GxSoundLoaderMemory::Seek(std::uint64_t frame)
{
    if (m_Sound == nullptr)
        return false;
    std::uint64_t offset = 0;
    if (__builtin_mul_overflow(frame, static_cast<std::uint64_t>(m_Format.nBlockAlign), &offset) ||
        offset > m_TotalBytes)
        return false;
    m_Offset = offset;
    m_Remaining = m_TotalBytes - offset;
    m_Sound->Touch();
    return true;
}

std::uint64_t GxSoundLoaderMemory::Tell() { return m_Format.nBlockAlign == 0 ? 0 : m_Offset / m_Format.nBlockAlign; }

std::uint64_t GxSoundLoaderMemory::GetLength() const
{
    return m_Format.nBlockAlign == 0 ? 0 : m_TotalBytes / m_Format.nBlockAlign;
}

std::uint64_t GxSoundLoaderMemory::GetDurationMs() const
{
    if (m_Format.nSamplesPerSec == 0)
        return 0;
    return GetLength() * 1000 / m_Format.nSamplesPerSec;
}
