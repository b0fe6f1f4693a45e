// One whole sound decoded into memory, shared by the one-shot players through its use count.
#pragma once

#include "media/wave_format.h"

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

class GxWavData {
public:
    // Larger decoded sounds are refused: a damaged file must not make the engine take gigabytes.
    static constexpr std::uint64_t kMaxDataSize = 512ull * 1024 * 1024;

    GxWavData() = default;
    virtual ~GxWavData() = default;
    GxWavData(const GxWavData&) = delete;
    GxWavData& operator=(const GxWavData&) = delete;

    virtual void Reset();
    virtual void AddRef() { ++m_UseCount; }
    // Never deletes, never goes below 0.
    virtual void Release();
    virtual std::uint32_t GetUseCount() const { return m_UseCount; }
    // Frees the data and clears every field.
    virtual void Free();
    // An empty block of `byteCount` zero bytes in the given format; use count + 1.
    virtual bool Create(const std::u16string& name, const WAVEFORMATEX* format, std::uint64_t byteCount);
    virtual bool Create(const std::string& name, const WAVEFORMATEX* format, std::uint64_t byteCount);
    // Decodes the whole file, the loader chosen by its extension (".wav", ".ogg", any case).
    virtual bool Create(const std::u16string& fileName);
    virtual bool Create(const std::string& fileName);
    virtual const WAVEFORMATEX* GetFormat() const { return &m_Format; }
    virtual const BYTE* GetData() const { return m_Data.get(); }
    virtual std::uint64_t GetFrameCount() const { return m_FrameCount; }
    virtual std::uint64_t GetDurationMs() const;
    // Left and right of one frame, chosen by the bits per sample: 8-bit samples as signed bytes
    // times 257, 16-bit as stored, mono as both. False (zeros) past the data.
    virtual bool GetSamplePair(std::uint64_t frame, std::int32_t& left, std::int32_t& right) const;
    virtual void Touch();
    virtual const std::u16string& GetName() const { return m_Name; }
    virtual std::uint64_t GetDataSize() const { return m_DataSize; }
    virtual void SetKeep(bool keep) { m_Keep = keep ? 1 : 0; }
    virtual bool GetKeep() const { return m_Keep != 0; }
    virtual std::uint32_t GetLastUsedTime() const { return m_LastUsedTime; }

private:
    struct FreeBlock {
        void operator()(BYTE* block) const { std::free(block); }
    };

    std::uint64_t m_DataSize = 0;
    std::unique_ptr<BYTE[], FreeBlock> m_Data;
    std::uint32_t m_LastUsedTime = 0;
    alignas(8) WAVEFORMATEX m_Format{};   // packed record: aligned here so its fields are too
    std::u16string m_Name;
    std::uint32_t m_UseCount = 0;
    std::uint64_t m_FrameCount = 0;
    BYTE m_Keep = 0;
};
