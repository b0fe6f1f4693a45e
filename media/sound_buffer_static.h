// A whole sound in one DirectSound secondary buffer, filled once from a loader: the one-shot
// sounds. It loops only for a loop count of -1, from the start of the buffer.
#pragma once

#include "media/sound_buffer_base.h"

class GxSoundBufferStatic : public GxSoundBufferBase {
public:
    GxSoundBufferStatic();
    ~GxSoundBufferStatic() override { Release(); }

    // Copies the whole sound out of the loader, which the caller may then delete.
    bool Create(GxSoundLoaderBase* loader, bool use3D);
    bool Play(std::int32_t loopCount, DWORD priority, std::uint32_t startFrame);
    bool PlayAt(std::int32_t loopCount, DWORD priority, std::uint32_t startFrame, LONG volume, LONG pan);
    bool Stop();
    // Stops, then lets the 3D interface and the buffer go.
    void Release();
    std::int32_t GetLoopCount() const { return m_LoopCount; }
    DWORD GetSize() const { return m_Size; }

private:
    DWORD m_Size = 0;
    std::int32_t m_LoopCount = 0;
};
