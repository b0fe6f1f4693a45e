// RIFF WAVE files with PCM as stored: 8-bit stays unsigned, the mixer converts.
#pragma once

#include "foundation/file_handle.h"
#include "media/sound_loader_base.h"

#include <string>

class GxSoundLoaderWav : public GxSoundLoaderBase {
public:
    GxSoundLoaderWav() = default;
    ~GxSoundLoaderWav() override;
    GxSoundLoaderWav(const GxSoundLoaderWav&) = delete;
    GxSoundLoaderWav& operator=(const GxSoundLoaderWav&) = delete;

    // Loose file first, then the packs. A file that cannot be opened fails without a line.
    bool Open(const std::u16string& fileName);

    void Close() override;
    bool IsOpen() const override { return m_File.IsOpen(); }
    bool Read(void* destination, std::uint32_t bytes, std::uint32_t* bytesRead) override;
    bool Seek(std::uint64_t frame) override;
    std::uint64_t Tell() override;
    bool IsEnd() const override { return m_Remaining == 0; }
    const WAVEFORMATEX* GetFormat() const override { return &m_Format; }
    std::uint64_t GetLength() const override;
    std::uint64_t GetTotalBytes() const override { return m_DataSize; }
    void SetLoopStart(std::uint64_t frame) override { m_LoopStart = frame; }
    std::uint64_t GetLoopStart() const override;
    std::uint64_t GetLoopEnd() const override { return GetLength(); }
    std::uint64_t GetDurationMs() const override;
    int GetType() const override { return kTypeWav; }

private:
    GxFileHandle m_File;
    std::uint64_t m_DataOffset = 0;
    std::uint64_t m_DataSize = 0;
    std::uint64_t m_Remaining = 0;
    std::uint64_t m_LoopStart = 0;
    alignas(8) WAVEFORMATEX m_Format{};   // packed record: aligned here so its fields are too
};
