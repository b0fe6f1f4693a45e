// A streamed sound in one DirectSound secondary buffer: a ring of 16 quarter-second chunks
// that DirectSound plays looping, and a notification thread of this buffer's own that refills
// the chunks already played from the loader (back to the loop start as often as the loop
// count asks), writes silence after the data and stops the buffer once it has played out.
// The buffer lock serialises every operation with the refills; the thread takes no other lock.
#pragma once

#include "media/sound_buffer_base.h"

#include <atomic>

class GxSoundBufferStream : public GxSoundBufferBase {
public:
    static constexpr int kChunkCount = 16;
    static constexpr int kMaxRefillChunks = 4;
    static constexpr LONG kVolumeUnknown = 1;        // outside DirectSound's volume range
    static constexpr LONG kPanUnknown = 100000;      // outside DirectSound's pan range

    GxSoundBufferStream();
    ~GxSoundBufferStream() override { Teardown(); }

    // The loader stays its player's, and must outlive the buffer's next Teardown.
    bool Create(GxSoundLoaderBase* loader, bool use3D);
    bool Play(std::int32_t loopCount, DWORD priority, std::uint64_t startFrame, std::uint64_t loopStartFrame);
    bool PlayAt(std::int32_t loopCount, DWORD priority, std::uint64_t startFrame, std::uint64_t loopStartFrame,
                LONG volume, LONG pan);
    bool Stop();
    // The same value as the last one given does not reach DirectSound again.
    bool SetVolume(LONG volume) override;
    bool SetPan(LONG pan) override;
    // Ends the notification thread (without holding the buffer lock while it waits for it),
    // then closes the events and lets the buffer go. Never called with the buffer lock held.
    void Teardown();
    // Silence over the range, then the loader's data, back to the loop start at its end as the
    // loop count allows (a negative count for ever); `loopCountLeft` gets what is left.
    bool FillBuffer(DWORD offset, DWORD bytes, std::uint64_t loopStartFrame, std::int32_t loopCount,
                    DWORD* written, std::int32_t* loopCountLeft, bool* endOfData);
    bool FillSilence(DWORD offset, DWORD bytes);

    std::uint32_t GetChunkBytes() const { return m_ChunkBytes; }
    std::uint32_t GetBufferBytes() const { return m_BufferBytes; }
    std::int32_t GetLoopCount() const { return m_LoopCount; }
    bool HasThread() const { return m_Thread != nullptr; }
    bool IsStopping() const { return m_Stopping; }

private:
    // Steps 2 on of Create, under the buffer lock; on false the caller tears down.
    bool CreateLocked(GxSoundLoaderBase* loader, bool use3D);
    static DWORD ThreadMain(LPVOID parameter);
    void NotificationLoop();
    // True when the thread is done.
    bool NotificationStep();
    BYTE SilenceByte() const { return m_Format.wBitsPerSample == 8 ? BYTE{128} : BYTE{0}; }
    bool RestoreIfLost(const char16_t* warning);
    // Under the buffer lock: a lost buffer restored, then the range locked; false, with the fill's
    // warning, when either fails.
    bool LockForFill(DWORD offset, DWORD bytes, void** first, DWORD* firstBytes, void** second, DWORD* secondBytes);
    // Under the buffer lock: the buffer's `set` only for a value other than `last` (the value
    // the buffer has), which then follows it; a failed call leaves `last` as it was.
    bool SetCachedLevel(LONG value, LONG& last, HRESULT (IDirectSoundBuffer::*set)(LONG));

    DWORD m_ThreadId = 0;
    HANDLE m_Thread = nullptr;
    HANDLE m_NotifyEvent = nullptr;
    HANDLE m_StopEvent = nullptr;
    IDirectSoundNotify* m_Notify = nullptr;
    GxSoundLoaderBase* m_Loader = nullptr;
    std::uint32_t m_BufferBytes = 0;
    std::uint32_t m_ChunkBytes = 0;
    int m_LastChunk = -1;
    DWORD m_LastCursor = 0;
    std::uint64_t m_BytesWritten = 0;
    std::uint64_t m_BytesPlayed = 0;
    bool m_EndOfData = false;
    std::uint64_t m_LoopStartFrame = 0;
    std::uint64_t m_SoundBytes = 0;
    std::int32_t m_LoopCount = 0;
    LONG m_LastVolume = kVolumeUnknown;
    LONG m_LastPan = kPanUnknown;
    std::atomic<bool> m_Stopping{false};
};
