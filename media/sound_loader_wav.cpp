#include "media/sound_loader_wav.h"

#include "foundation/log.h"

#include <algorithm>
#include <cstring>

namespace {

std::uint16_t U16(const BYTE* bytes) { return static_cast<std::uint16_t>(bytes[0] | bytes[1] << 8); }

std::uint32_t U32(const BYTE* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

}  // namespace

GxSoundLoaderWav::~GxSoundLoaderWav() { Close(); }

void GxSoundLoaderWav::Close()
{
    m_File.Close();
    m_DataOffset = 0;
    m_DataSize = 0;
    m_Remaining = 0;
    m_LoopStart = 0;
    m_Format = WAVEFORMATEX{};
}

bool GxSoundLoaderWav::Open(const std::u16string& fileName)
{
    Close();
    if (!m_File.Open(fileName))
        return false;

    BYTE header[20];
    if (m_File.Read(header, sizeof(header)) != sizeof(header) || std::memcmp(header, "RIFF", 4) != 0 ||
        std::memcmp(header + 8, "WAVE", 4) != 0 || std::memcmp(header + 12, "fmt ", 4) != 0) {
        Close();
        LogPrintWarning(u"Error/GxSoundLoaderWav::Open riffヘッダが見つかりません(%s)\n", fileName.c_str());
        return false;
    }
    const std::uint64_t riffSize = U32(header + 4);
    const std::uint64_t fmtSize = U32(header + 16);

    // Block alignment, channels or rate 0 would divide by zero or give empty chunks further on.
    BYTE pcm[16];
    const bool whole = m_File.Read(pcm, sizeof(pcm)) == sizeof(pcm);
    if (!whole || U16(pcm) != WAVE_FORMAT_PCM || U16(pcm + 2) == 0 || U32(pcm + 4) == 0 || U16(pcm + 12) == 0) {
        Close();
        LogPrintWarning(u"Error/GxSoundLoaderWav::Open PCMWAVEFORMATヘッダが読み込めませんでした。未対応の形式です(%s)\n",
                        fileName.c_str());
        return false;
    }
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = U16(pcm + 2);
    format.nSamplesPerSec = U32(pcm + 4);
    format.nAvgBytesPerSec = U32(pcm + 8);
    format.nBlockAlign = U16(pcm + 12);
    format.wBitsPerSample = U16(pcm + 14);
    format.cbSize = 0;

    // 64-bit positions, so no size can wrap the walk; odd chunks get no pad byte (stored files
    // rely on the walk landing right after them).
    const std::uint64_t fileSize = m_File.GetSize();
    const std::uint64_t end = std::min(riffSize + 8, fileSize);
    std::uint64_t position = 20 + fmtSize;
    while (position + 8 <= end) {
        BYTE chunk[8];
        if (!m_File.Seek(static_cast<std::int64_t>(position), 0) || m_File.Read(chunk, sizeof(chunk)) != sizeof(chunk))
            break;
        const std::uint64_t size = U32(chunk + 4);
        if (std::memcmp(chunk, "data", 4) == 0) {
            m_Format = format;
            m_DataOffset = position + 8;
            // A data size beyond the end of the file plays what the file holds.
            m_DataSize = std::min(size, fileSize - m_DataOffset);
            m_Remaining = m_DataSize;
            return true;
        }
        const std::uint64_t next = position + 8 + size;
        if (next <= position)
            break;
        position = next;
    }
    Close();
    LogPrintWarning(u"Error/GxSoundLoaderWav::Open dataチャンクが見つかりません。ファイルが壊れています(%s)\n",
                    fileName.c_str());
    return false;
}

bool GxSoundLoaderWav::Read(void* destination, std::uint32_t bytes, std::uint32_t* bytesRead)
{
    if (bytesRead != nullptr)
        *bytesRead = 0;
    if (!IsOpen())
        return false;
    const std::uint32_t wanted = static_cast<std::uint32_t>(std::min<std::uint64_t>(bytes, m_Remaining));
    const std::uint32_t got = wanted == 0 ? 0 : m_File.Read(destination, wanted);
    m_Remaining -= got;
    if (bytesRead != nullptr)
        *bytesRead = got;
    return true;
}

bool GxSoundLoaderWav::Seek(std::uint64_t frame)
{
    if (!IsOpen())
        return false;
    std::uint64_t offset = 0;
    if (__builtin_mul_overflow(frame, static_cast<std::uint64_t>(m_Format.nBlockAlign), &offset) || offset > m_DataSize)
        return false;
    if (!m_File.Seek(static_cast<std::int64_t>(m_DataOffset + offset), 0))
        return false;
    m_Remaining = m_DataSize - offset;
    return true;
}

std::uint64_t GxSoundLoaderWav::Tell()
{
    if (m_Format.nBlockAlign == 0)
        return 0;
    return (m_DataSize - m_Remaining) / m_Format.nBlockAlign;
}

std::uint64_t GxSoundLoaderWav::GetLength() const
{
    return m_Format.nBlockAlign == 0 ? 0 : m_DataSize / m_Format.nBlockAlign;
}

std::uint64_t GxSoundLoaderWav::GetLoopStart() const { return m_LoopStart > GetLoopEnd() ? 0 : m_LoopStart; }

std::uint64_t GxSoundLoaderWav::GetDurationMs() const
{
    if (m_Format.nBlockAlign == 0 || m_Format.nSamplesPerSec == 0)
        return 0;
    return GetLength() * 1000 / m_Format.nSamplesPerSec;
}
