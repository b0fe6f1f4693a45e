#include "media/audio_buffer_stream.h"

#include "foundation/log.h"
#include "media/sound_devices.h"
#include "media/sound_loader_base.h"
#include "platform/win32/file.h"
#include "platform/win32/sync.h"

#include <algorithm>

namespace {

// Fewer queued buffers than this and the refill thread submits another chunk.
constexpr UINT32 kRefillBelow = 3;

}  // namespace

GxAudioBufferStream::GxAudioBufferStream() = default;

GxAudioBufferStream::~GxAudioBufferStream()
{
    Close();
    if (m_Thread) {
        // The thread may be inside ReadBuffer (a slow pack read): it sees the flag at its next
        // wake-up, and nothing of this object goes before it has ended.
        m_StopThread = true;
        SetEvent(m_Context.GetEvent());
        WaitForSingleObject(m_Thread, INFINITE);
        CloseHandle(m_Thread);
        m_Thread = nullptr;
    }
}

bool GxAudioBufferStream::Create(GxSoundLoaderBase* loader)
{
    GxMutexScopedLock lock(m_Mutex);
    IXAudio2* engine = GetAudioDeviceState().m_Engine;
    if (!loader || !loader->IsOpen() || !engine)
        return false;
    DestroyVoice();   // a voice left from an earlier sound must not play from reused chunks
    m_Loader = loader;
    const WAVEFORMATEX* format = loader->GetFormat();
    m_Format = *format;
    const std::uint32_t block = m_Format.nBlockAlign;
    std::uint64_t chunk = std::uint64_t{m_Format.nSamplesPerSec} * block * 4 / 8;
    if (block != 0) chunk = (chunk + block - 1) / block * block;
    m_ChunkBytes = static_cast<std::uint32_t>(chunk);
    m_Capacity = m_ChunkBytes * 8;
    m_TotalBytes = loader->GetTotalBytes();
    // The voice first: a damaged header's absurd rate or alignment is refused before the chunk
    // buffers are sized from it.
    if (FAILED(engine->CreateSourceVoice(&m_Voice, &m_Format, 0, 2.0f, &m_Context, nullptr, nullptr))) {
        m_Voice = nullptr;
        LogPrintWarning(u"Error/GxAudio プライマリサウンドバッファのフォーマット設定に失敗しました\n");
        return false;
    }
    for (std::vector<BYTE>& buffer : m_Chunks)
        if (buffer.size() < m_ChunkBytes) buffer.resize(m_ChunkBytes);
    if (!m_Thread) {
        m_StopThread = false;
        m_Thread = CreateThread(nullptr, 0, &GxAudioBufferStream::ThreadMain, this, 0, nullptr);
        if (!m_Thread) {
            LogPrintWarning(u"Error/GxAudioBufferStream::Create ストリーム再生スレッドの作成に失敗しました\n");
            return false;
        }
    }
    return true;
}

bool GxAudioBufferStream::Play(std::int32_t loopCount, std::int32_t reserved0, std::uint64_t startFrame,
                               std::uint64_t loopStartFrame, float volume, std::int32_t reservedValue)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Voice)
        return false;
    m_LastVolume = kVolumeUnknown;
    SetVolume(volume);
    SetReserved(reservedValue);
    return Start(loopCount, reserved0, startFrame, loopStartFrame);
}

bool GxAudioBufferStream::Start(std::int32_t loopCount, std::int32_t, std::uint64_t startFrame,
                                std::uint64_t loopStartFrame)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Voice || !m_Loader || !m_Loader->IsOpen())
        return false;
    if (!m_Loader->Seek(startFrame))
        LogPrintWarning(u"Error/GxAudioBufferStream::Play ストリーミング再生シーク失敗\n");
    const std::uint32_t block = m_Format.nBlockAlign;
    m_Position = startFrame * block;
    m_Loader->SetLoopStart(loopStartFrame);
    m_LoopStartBytes = m_Loader->GetLoopStart() * block;
    m_LoopEndBytes = m_Loader->GetLoopEnd() * block;
    m_LoopCount = loopCount;
    ReadBuffer();
    ReadBuffer();
    const HRESULT result = m_Voice->Start(0, XAUDIO2_COMMIT_NOW);
    if (FAILED(result)) {
        LogPrintWarning(u"Error/GxAudioBufferStream::Play 失敗 %x\n", static_cast<unsigned>(result));
        return false;
    }
    return true;
}

bool GxAudioBufferStream::Stop()
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Voice)
        return false;
    SetVolume(0.0f);
    return SUCCEEDED(m_Voice->Stop(0, XAUDIO2_COMMIT_NOW));
}

bool GxAudioBufferStream::IsPlaying()
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Voice)
        return false;
    m_Voice->GetState(&m_State);
    return m_State.BuffersQueued > 0;
}

bool GxAudioBufferStream::SetVolume(float volume)
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Voice)
        return false;
    if (volume == m_LastVolume)
        return true;
    if (FAILED(m_Voice->SetVolume(volume, XAUDIO2_COMMIT_NOW)))
        return false;
    m_LastVolume = volume;
    return true;
}

float GxAudioBufferStream::GetVolume()
{
    GxMutexScopedLock lock(m_Mutex);
    float volume = 0.0f;
    if (m_Voice) m_Voice->GetVolume(&volume);
    return volume;
}

bool GxAudioBufferStream::SetReserved(std::int32_t)
{
    GxMutexScopedLock lock(m_Mutex);
    return m_Voice != nullptr;
}

bool GxAudioBufferStream::SetReserved2(std::int32_t)
{
    GxMutexScopedLock lock(m_Mutex);
    return m_Voice != nullptr;
}

std::uint32_t GxAudioBufferStream::GetCapacity() const { return m_Capacity; }

std::uint64_t GxAudioBufferStream::GetTotalBytes() const { return m_TotalBytes; }

std::int32_t GxAudioBufferStream::GetLoopCount() const { return m_Voice ? m_LoopCount : 0; }

void GxAudioBufferStream::Close()
{
    GxMutexScopedLock lock(m_Mutex);
    m_Capacity = 0;
    m_TotalBytes = 0;
    m_ChunkBytes = 0;
    DestroyVoice();
    m_LastVolume = kVolumeUnknown;
    m_LoopStartBytes = 0;
    m_LoopEndBytes = 0;
    m_LoopCount = 0;
    m_Position = 0;
    m_Record = {};
    m_Format = {};
    m_State = {};
    m_Loader = nullptr;
    m_NextChunk = 0;
}

void GxAudioBufferStream::DestroyVoice()
{
    GxMutexScopedLock lock(m_Mutex);
    if (!m_Voice)
        return;
    Stop();
    m_Voice->FlushSourceBuffers();
    m_Voice->DestroyVoice();   // synchronous: no mix step reads the chunk buffers after this
    m_Voice = nullptr;
}

// One call fills one chunk buffer. Its pieces (the rest of the stream up to the loop end, then
// stretches from the loop start) go at increasing offsets into that chunk buffer, each submitted
// on its own, and the next call takes the next chunk buffer. The refill rule (fewer than three
// buffers queued) means the buffer written here is never one the voice still holds; the queue
// limit of the voice bounds the pieces of one call when the loop stretch is tiny.
bool GxAudioBufferStream::ReadBuffer()
{
    GxMutexScopedLock lock(m_Mutex);
    if (m_ChunkBytes == 0 || !m_Voice || !m_Loader)
        return true;
    const std::uint32_t block = m_Format.nBlockAlign;
    XAUDIO2_VOICE_STATE state{};
    m_Voice->GetState(&state);
    UINT32 queued = state.BuffersQueued;
    BYTE* chunk = m_Chunks[m_NextChunk].data();
    std::uint32_t submitted = 0;
    while (submitted < m_ChunkBytes && queued < XAUDIO2_MAX_QUEUED_BUFFERS) {
        if (m_Position >= m_TotalBytes || m_Loader->IsEnd()) {
            if (m_LoopCount != 0) {
                if (!m_Loader->Seek(m_LoopStartBytes / block)) {
                    LogPrintWarning(u"Error/GxAudioBufferStream::ReadBuffer ストリーミング再生シーク失敗\n");
                    break;
                }
                m_Position = m_LoopStartBytes;
                if (m_LoopCount > 0) --m_LoopCount;
            }
        }
        const std::uint64_t limit = m_LoopCount != 0 ? m_LoopEndBytes : m_TotalBytes;
        const std::uint64_t left = limit > m_Position ? limit - m_Position : 0;
        const std::uint32_t want =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(left, m_ChunkBytes - submitted));
        if (want == 0)
            break;
        std::uint32_t got = 0;
        if (!m_Loader->Read(chunk + submitted, want, &got) || got == 0)
            break;
        got = std::min(got, want);
        m_Position += got;
        m_Record = {};
        m_Record.Flags = XAUDIO2_END_OF_STREAM;
        m_Record.AudioBytes = got;
        m_Record.pAudioData = chunk + submitted;
        submitted += got;
        if (FAILED(m_Voice->SubmitSourceBuffer(&m_Record, nullptr)))
            break;
        ++queued;
    }
    if (submitted > 0)
        m_NextChunk = (m_NextChunk + 1) % kChunkCount;
    return true;
}

DWORD GxAudioBufferStream::ThreadMain(LPVOID parameter)
{
    static_cast<GxAudioBufferStream*>(parameter)->RefillLoop();
    return 0;
}

void GxAudioBufferStream::RefillLoop()
{
    SetThreadDescriptionUtf16(nullptr, u"tw_audio_refill");
    for (;;) {
        if (WaitForSingleObject(m_Context.GetEvent(), INFINITE) != WAIT_OBJECT_0)
            return;
        if (m_StopThread)
            return;
        GxMutexScopedLock lock(m_Mutex);
        if (!m_Voice)
            continue;
        m_Voice->GetState(&m_State);
        if (m_State.BuffersQueued < kRefillBelow)
            ReadBuffer();
    }
}
