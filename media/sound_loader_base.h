// The interface of the sound decoders: PCM out of a source, positioned in sample frames.
#pragma once

#include "media/wave_format.h"

#include <cstdint>

class GxSoundLoaderBase {
public:
    static constexpr int kTypeMemory = 1;
    static constexpr int kTypeWav = 2;
    static constexpr int kTypeOgg = 4;

    virtual ~GxSoundLoaderBase() = default;
    // Harmless when not open.
    virtual void Close() {}
    virtual bool IsOpen() const = 0;
    // Copies up to `bytes` bytes; `bytesRead` (may be null) gets the count copied.
    virtual bool Read(void* destination, std::uint32_t bytes, std::uint32_t* bytesRead) = 0;
    virtual bool Seek(std::uint64_t frame) = 0;
    virtual std::uint64_t Tell() = 0;
    virtual bool IsEnd() const = 0;
    virtual const WAVEFORMATEX* GetFormat() const = 0;
    virtual std::uint64_t GetLength() const = 0;
    virtual std::uint64_t GetTotalBytes() const = 0;
    virtual void SetLoopStart(std::uint64_t frame) = 0;
    // 0 when the stored start lies beyond the loop end.
    virtual std::uint64_t GetLoopStart() const = 0;
    virtual std::uint64_t GetLoopEnd() const = 0;
    virtual std::uint64_t GetDurationMs() const = 0;
    virtual int GetType() const { return 0; }
};
