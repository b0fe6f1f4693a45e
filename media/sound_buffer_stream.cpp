#include "media/sound_buffer_stream.h"

#include "foundation/log.h"
#include "media/sound_loader_base.h"
#include "platform/win32/file.h"
#include "platform/win32/sync.h"

#include <cstring>

GxSoundBufferStream::GxSoundBufferStream()
    : GxSoundBufferBase(u"Error/GxSoundBufferStream::SetConeAngle OutAngleはInAngle以上である必要があります\n")
{
}

bool GxSoundBufferStream::Create(GxSoundLoaderBase* loader, bool use3D)
{
    Teardown();
    if (CreateLocked(loader, use3D))
        return true;
    Teardown();
    return false;
}

bool GxSoundBufferStream::CreateLocked(GxSoundLoaderBase* loader, bool use3D)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!loader || !loader->IsOpen() || !Device())
        return false;
    const WAVEFORMATEX* format = loader->GetFormat();
    const std::uint32_t block = format->nBlockAlign;
    std::uint64_t chunk = std::uint64_t{format->nSamplesPerSec} * block * 4 / 16;
    if (block != 0) chunk -= chunk % block;
    // A damaged header's absurd rate must not wrap the ring size: the creation refuses it.
    if (chunk * kChunkCount > DSBSIZE_MAX) chunk = 0;
    m_ChunkBytes = static_cast<std::uint32_t>(chunk);
    m_BufferBytes = m_ChunkBytes * kChunkCount;
    m_SoundBytes = loader->GetLength() * block;
    const HRESULT created = CreateSecondary(loader, kFlagsStream, kFlags3D, m_BufferBytes, use3D);
    if (FAILED(created)) {
        LogPrintWarning(u"Error/GxSoundBufferStream::Create セカンダリバッファ作成に失敗しました %x\n",
                        static_cast<unsigned>(created));
        m_Format = {};
        m_ChunkBytes = m_BufferBytes = 0;
        return false;
    }
    m_Loader = loader;
    if (FAILED(m_Buffer->QueryInterface(IID_IDirectSoundNotify, reinterpret_cast<void**>(&m_Notify))))
        m_Notify = nullptr;
    bool failed = false;
    if (use3D && m_Format.nChannels < 2 && !Query3D()) {
        LogPrintWarning(u"Error/GxSoundBufferStream::Create IDirectSound3DBufferインタフェースの取得に失敗しました\n");
        failed = true;
    }
    if (!failed) {
        m_NotifyEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        m_StopEvent = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        DSBPOSITIONNOTIFY positions[kChunkCount];
        for (int i = 0; i < kChunkCount; ++i) positions[i] = {m_ChunkBytes / 2 + i * m_ChunkBytes, m_NotifyEvent};
        if (!m_Notify || !m_NotifyEvent || !m_StopEvent ||
            FAILED(m_Notify->SetNotificationPositions(kChunkCount, positions))) {
            LogPrintWarning(u"Error/GxSoundBufferStream::Create IDirectSoundNotify通知位置の設定に失敗しました\n");
            failed = true;
        }
    }
    if (!failed) {
        m_Thread = CreateThread(nullptr, 0, &GxSoundBufferStream::ThreadMain, this, 0, &m_ThreadId);
        if (!m_Thread) {
            LogPrintWarning(u"Error/GxSoundBufferStream::Create ストリーム再生スレッドの作成に失敗しました\n");
            failed = true;
        }
    }
    return !failed;
}

bool GxSoundBufferStream::RestoreIfLost(const char16_t* warning)
{
    DWORD status = 0;
    if (SUCCEEDED(m_Buffer->GetStatus(&status)) && (status & DSBSTATUS_BUFFERLOST) &&
        FAILED(m_Buffer->Restore())) {
        LogPrintWarning(warning);
        return false;
    }
    return true;
}

bool GxSoundBufferStream::Play(std::int32_t loopCount, DWORD priority, std::uint64_t startFrame,
                               std::uint64_t loopStartFrame)
{
    {
        GxMutexScopedLock lock(m_Mutex);
        if (!Device() || !m_Buffer || !m_Loader || !m_Loader->IsOpen())
            return false;
        m_Buffer->Stop();
        if (!RestoreIfLost(u"Error/GxSoundBufferStream::Play RestoreBufferに失敗\n"))
            return false;
        if (!m_Loader->Seek(startFrame))
            LogPrintWarning(u"Error/GxSoundBufferStream::Play ストリーミング再生シーク失敗\n");
        m_LastChunk = -1;
        m_BytesWritten = m_BytesPlayed = 0;
        m_LastCursor = 0;
        m_EndOfData = false;
        m_Loader->SetLoopStart(loopStartFrame);
        m_LoopStartFrame = loopStartFrame;
        m_SoundBytes = m_Loader->GetLength() * m_Format.nBlockAlign;
        m_LoopCount = loopCount;
        m_Buffer->SetCurrentPosition(0);
        DWORD written = 0;
        bool end = false;
        if (FillBuffer(0, m_BufferBytes, loopStartFrame, loopCount, &written, &m_LoopCount, &end)) {
            // The end flag of the first fill counts too: a sound shorter than the ring has ended.
            m_EndOfData = end;
            m_BytesWritten += written;
            const HRESULT result = m_Buffer->Play(0, priority, DSBPLAY_LOOPING);
            if (FAILED(result)) {
                LogPrintWarning(u"Error/GxSoundBufferStream::Play 失敗 %x\n", static_cast<unsigned>(result));
                return false;
            }
            return true;
        }
        LogPrintWarning(u"Error/GxSoundBufferStream::Play FillBuffer失敗\n");
    }
    Teardown();
    return false;
}

bool GxSoundBufferStream::PlayAt(std::int32_t loopCount, DWORD priority, std::uint64_t startFrame,
                                 std::uint64_t loopStartFrame, LONG volume, LONG pan)
{
    {
        GxMutexScopedLock lock(m_Mutex);
        m_LastVolume = kVolumeUnknown;
        m_LastPan = kPanUnknown;
        SetVolume(volume);
        SetPan(pan);
    }
    return Play(loopCount, priority, startFrame, loopStartFrame);
}

bool GxSoundBufferStream::Stop()
{
    // Without the buffer lock, like the teardown it precedes: the notification thread may hold
    // it inside a slow refill. Only the calling thread changes the buffer pointer.
    return m_Buffer && Device() && SUCCEEDED(m_Buffer->Stop());
}

bool GxSoundBufferStream::SetVolume(LONG volume)
{
    return SetCachedLevel(volume, m_LastVolume, &IDirectSoundBuffer::SetVolume);
}

bool GxSoundBufferStream::SetPan(LONG pan)
{
    return SetCachedLevel(pan, m_LastPan, &IDirectSoundBuffer::SetPan);
}

bool GxSoundBufferStream::SetCachedLevel(LONG value, LONG& last, HRESULT (IDirectSoundBuffer::*set)(LONG))
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Buffer || !Device())
        return false;
    if (value == last)
        return true;
    if (FAILED((m_Buffer->*set)(value)))
        return false;
    last = value;
    return true;
}

bool GxSoundBufferStream::FillBuffer(DWORD offset, DWORD bytes, std::uint64_t loopStartFrame,
                                     std::int32_t loopCount, DWORD* written, std::int32_t* loopCountLeft,
                                     bool* endOfData)
{
    GxMutexScopedLock lock(m_Mutex);
    *written = 0;
    *loopCountLeft = loopCount;
    *endOfData = false;
    if (!Device() || !m_Buffer || !m_Loader)
        return false;
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0;
    DWORD secondBytes = 0;
    if (!LockForFill(offset, bytes, &first, &firstBytes, &second, &secondBytes))
        return false;
    // Our ranges are whole chunks inside the ring: one piece.
    BYTE* data = static_cast<BYTE*>(first);
    const DWORD size = firstBytes;
    std::memset(data, SilenceByte(), size);
    std::uint32_t got = 0;
    if (!m_Loader->Read(data, size, &got)) {
        m_Buffer->Unlock(first, firstBytes, second, secondBytes);
        LogPrintWarning(u"Error/GxSoundBufferStream::FillBuffer Readに失敗\n");
        return false;
    }
    DWORD done = got < size ? got : size;
    if (done == size) {
        if (m_Loader->IsEnd()) {
            if (loopCount != 0) {
                if (!m_Loader->Seek(loopStartFrame))
                    LogPrintWarning(u"Error/GxSoundBufferStream::FillBuffer Seek(3)に失敗\n");
                if (loopCount > 0) --loopCount;
            } else {
                *endOfData = true;
            }
        }
    } else if (loopCount == 0) {
        *endOfData = true;
    } else {
        for (;;) {
            if (m_Loader->IsEnd() && loopCount > 0) --loopCount;
            if (!m_Loader->Seek(loopStartFrame)) {
                LogPrintWarning(u"Error/GxSoundBufferStream::FillBuffer Seek(2)に失敗\n");
                break;
            }
            std::uint32_t more = 0;
            if (!m_Loader->Read(data + done, size - done, &more)) {
                LogPrintWarning(u"Error/GxSoundBufferStream::FillBuffer Read(2)に失敗\n");
                break;
            }
            done += more < size - done ? more : size - done;
            if (more == 0 || done >= size || loopCount == 0)
                break;
        }
    }
    m_Buffer->Unlock(first, firstBytes, second, secondBytes);
    *written = done;
    *loopCountLeft = loopCount;
    return true;
}

bool GxSoundBufferStream::FillSilence(DWORD offset, DWORD bytes)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!Device() || !m_Buffer)
        return false;
    void* first = nullptr;
    void* second = nullptr;
    DWORD firstBytes = 0;
    DWORD secondBytes = 0;
    if (!LockForFill(offset, bytes, &first, &firstBytes, &second, &secondBytes))
        return false;
    std::memset(first, SilenceByte(), firstBytes);
    if (second) std::memset(second, SilenceByte(), secondBytes);
    m_Buffer->Unlock(first, firstBytes, second, secondBytes);
    return true;
}

bool GxSoundBufferStream::LockForFill(DWORD offset, DWORD bytes, void** first, DWORD* firstBytes, void** second,
                                      DWORD* secondBytes)
{
    if (!RestoreIfLost(u"Error/GxSoundBufferStream::FillBuffer RestoreBufferに失敗\n"))
        return false;
    if (FAILED(m_Buffer->Lock(offset, bytes, first, firstBytes, second, secondBytes, 0))) {
        LogPrintWarning(u"Error/GxSoundBufferStream::FillBuffer Lockに失敗\n");
        return false;
    }
    return true;
}

DWORD GxSoundBufferStream::ThreadMain(LPVOID parameter)
{
    static_cast<GxSoundBufferStream*>(parameter)->NotificationLoop();
    return 0;
}

void GxSoundBufferStream::NotificationLoop()
{
    SetThreadDescriptionUtf16(nullptr, u"tw_sound_notify");
    // The stop event first: when both are set, the stop wins.
    const HANDLE events[2] = {m_StopEvent, m_NotifyEvent};
    for (;;) {
        const DWORD woke = WaitForMultipleObjects(2, events, FALSE, INFINITE);
        if (woke != WAIT_OBJECT_0 + 1 || m_Stopping)
            return;
        if (NotificationStep())
            return;
    }
}

bool GxSoundBufferStream::NotificationStep()
{
    GxMutexScopedLock lock(m_Mutex);
    // A teardown may have begun while this thread waited for the lock.
    if (m_Stopping || !m_Buffer)
        return true;
    DWORD status = 0;
    if (FAILED(m_Buffer->GetStatus(&status)) || !(status & DSBSTATUS_PLAYING))
        return false;
    DWORD cursor = 0;
    if (FAILED(m_Buffer->GetCurrentPosition(&cursor, nullptr)))
        return false;
    m_BytesPlayed += cursor >= m_LastCursor ? cursor - m_LastCursor : cursor + m_BufferBytes - m_LastCursor;
    m_LastCursor = cursor;

    const int target = static_cast<int>((cursor / m_ChunkBytes + kChunkCount - 1) % kChunkCount);
    int first = 0;
    int count = 0;
    if (m_LastChunk < 0) {
        if (target == 0) count = 1;
    } else if (target != m_LastChunk) {
        count = (target - m_LastChunk + kChunkCount) % kChunkCount;
        if (count > kMaxRefillChunks) count = kMaxRefillChunks;
        first = (target - count + 1 + kChunkCount) % kChunkCount;
    }
    if (count > 0) m_LastChunk = target;
    for (int i = 0; i < count; ++i) {
        const DWORD offset = static_cast<DWORD>((first + i) % kChunkCount) * m_ChunkBytes;
        if (m_EndOfData) {
            FillSilence(offset, m_ChunkBytes);
            continue;
        }
        DWORD written = 0;
        bool end = false;
        if (!FillBuffer(offset, m_ChunkBytes, m_LoopStartFrame, m_LoopCount, &written, &m_LoopCount, &end)) {
            m_Buffer->Stop();
            return true;
        }
        m_BytesWritten += written;
        if (end) m_EndOfData = true;
    }
    if (m_EndOfData && m_BytesPlayed > m_BytesWritten) {
        m_Buffer->Stop();
        return true;
    }
    return false;
}

void GxSoundBufferStream::Teardown()
{
    // Only the calling thread changes these members, so none of this needs the buffer lock,
    // which the notification thread may hold inside a slow refill. No limit on the wait: the
    // loader and the buffer go only once the thread has ended.
    if (m_Buffer && Device()) m_Buffer->Stop();
    m_Stopping = true;
    if (m_StopEvent) SetEvent(m_StopEvent);
    if (m_Thread) {
        Sleep(0);
        WaitForSingleObject(m_Thread, INFINITE);
        CloseHandle(m_Thread);
    }
    GxMutexScopedLock lock(m_Mutex);
    m_Thread = nullptr;
    m_ThreadId = 0;
    if (m_NotifyEvent) CloseHandle(m_NotifyEvent);
    if (m_StopEvent) CloseHandle(m_StopEvent);
    m_NotifyEvent = m_StopEvent = nullptr;
    if (m_Notify) m_Notify->Release();
    m_Notify = nullptr;
    ReleaseInterfaces();
    m_Loader = nullptr;
    m_BufferBytes = m_ChunkBytes = 0;
    m_LastChunk = -1;
    m_LastCursor = 0;
    m_BytesWritten = m_BytesPlayed = 0;
    m_EndOfData = false;
    m_LoopStartFrame = 0;
    m_SoundBytes = 0;
    m_LoopCount = 0;
    m_LastVolume = kVolumeUnknown;
    m_LastPan = kPanUnknown;
    m_Params = {};
    m_Params.dwSize = sizeof(DS3DBUFFER);
    m_Stopping = false;
}
