// Reads PCM already decoded into a GxWavData; every read and seek marks the sound as used.
#pragma once

#include "media/sound_loader_base.h"

class GxWavData;

class GxSoundLoaderMemory : public GxSoundLoaderBase {
public:
    GxSoundLoaderMemory() = default;
    ~GxSoundLoaderMemory() override { Close(); }
    GxSoundLoaderMemory(const GxSoundLoaderMemory&) = delete;
    GxSoundLoaderMemory& operator=(const GxSoundLoaderMemory&) = delete;

    // False for a null sound or one without data. The sound is not retained.
    bool Open(GxWavData* sound);

    // Clears the fields; the sound is not released.
    void Close() override;
    bool IsOpen() const override { return m_Sound != nullptr; }
    bool Read(void* destination, std::uint32_t bytes, std::uint32_t* bytesRead) override;
    bool Seek(std::uint64_t frame) override;
    std::uint64_t Tell() override;
    bool IsEnd() const override { return IsOpen() && m_Remaining == 0; }
    const WAVEFORMATEX* GetFormat() const override { return &m_Format; }
    std::uint64_t GetLength() const override;
    std::uint64_t GetTotalBytes() const override { return m_TotalBytes; }
    void SetLoopStart(std::uint64_t frame) override { m_LoopStart = frame; }
    std::uint64_t GetLoopStart() const override { return m_LoopStart > GetLoopEnd() ? 0 : m_LoopStart; }
    std::uint64_t GetLoopEnd() const override { return GetLength(); }
    std::uint64_t GetDurationMs() const override;
    int GetType() const override { return kTypeMemory; }

private:
    std::uint64_t m_Offset = 0;
    std::uint64_t m_TotalBytes = 0;
    std::uint64_t m_Remaining = 0;
    GxWavData* m_Sound = nullptr;
    std::uint64_t m_LoopStart = 0;
    alignas(8) WAVEFORMATEX m_Format{};   // packed record: aligned here so its fields are too
};
