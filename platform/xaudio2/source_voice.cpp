#include "platform/xaudio2/source_voice.h"

#include "platform/audio/mix_format.h"
#include "platform/audio/mixer.h"
#include "platform/audio/pcm_convert.h"
#include "platform/win32/user_log.h"
#include "platform/xaudio2/census.h"
#include "platform/xaudio2/engine.h"

#include <algorithm>

namespace platform {

XAudio2SourceVoiceImpl::XAudio2SourceVoiceImpl(XAudio2Engine* engine, const WAVEFORMATEX& format,
                                               IXAudio2VoiceCallback* callback)
    : m_Engine(engine),
      m_Format(format),
      m_Callback(callback),
      m_Matrix(format.nChannels * 2u),
      m_Converter(format.nSamplesPerSec)
{
    DefaultOutputMatrix(format.nChannels, m_Matrix.data());
    ++xaudio2_detail::g_SourceVoices;
    Mixer::Instance().AddSource(this);
}

XAudio2SourceVoiceImpl::~XAudio2SourceVoiceImpl() { --xaudio2_detail::g_SourceVoices; }

void XAudio2SourceVoiceImpl::GetVoiceDetails(XAUDIO2_VOICE_DETAILS* details)
{
    if (!details) return;
    details->CreationFlags = 0;
    details->InputChannels = m_Format.nChannels;
    details->InputSampleRate = m_Format.nSamplesPerSec;
}

HRESULT XAudio2SourceVoiceImpl::SetVolume(float volume, UINT32)
{
    m_Volume.store(volume);
    return S_OK;
}

void XAudio2SourceVoiceImpl::GetVolume(float* volume)
{
    if (volume) *volume = m_Volume.load();
}

HRESULT XAudio2SourceVoiceImpl::SetOutputMatrix(IXAudio2Voice* destination, UINT32 sourceChannels,
                                                UINT32 destinationChannels, const float* matrix, UINT32)
{
    if (!matrix || sourceChannels != m_Format.nChannels || destinationChannels != kMixChannels) return E_INVALIDARG;
    if (destination && m_Engine && !m_Engine->IsMaster(destination)) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(m_Mutex);
    for (UINT32 s = 0; s < sourceChannels; ++s) {
        for (UINT32 d = 0; d < destinationChannels; ++d) m_Matrix[s * 2 + d] = matrix[sourceChannels * d + s];
    }
    return S_OK;
}

void XAudio2SourceVoiceImpl::DestroyVoice()
{
    if (!Mixer::Instance().RemoveSource(this)) {
        LogUserError("XAudio2: a voice cannot be destroyed from its own callback");
        return;
    }
    if (m_Engine) m_Engine->ForgetSource(this);
    delete this;
}

void XAudio2SourceVoiceImpl::DestroyFromEngine()
{
    Mixer::Instance().RemoveSource(this);
    delete this;
}

HRESULT XAudio2SourceVoiceImpl::Start(UINT32, UINT32)
{
    const HRESULT forced = XAudio2FaultsNow().start;
    if (FAILED(forced)) return forced;
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Started = true;
    return S_OK;
}

HRESULT XAudio2SourceVoiceImpl::Stop(UINT32, UINT32)
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    m_Started = false;
    return S_OK;
}

HRESULT XAudio2SourceVoiceImpl::SubmitSourceBuffer(const XAUDIO2_BUFFER* buffer, const void*)
{
    const HRESULT forced = XAudio2FaultsNow().submitSourceBuffer;
    if (FAILED(forced)) return forced;
    if (!buffer || !buffer->pAudioData || buffer->AudioBytes == 0) return E_INVALIDARG;
    const std::uint32_t block = m_Format.nBlockAlign;
    if (buffer->AudioBytes % block != 0) return E_INVALIDARG;
    const std::uint32_t total = buffer->AudioBytes / block;
    const std::uint64_t playEnd =
        buffer->PlayLength ? std::uint64_t{buffer->PlayBegin} + buffer->PlayLength : std::uint64_t{total};
    if (buffer->PlayBegin >= total || playEnd > total || playEnd <= buffer->PlayBegin) return E_INVALIDARG;
    if (buffer->LoopCount > XAUDIO2_MAX_LOOP_COUNT && buffer->LoopCount != XAUDIO2_LOOP_INFINITE) return E_INVALIDARG;
    Queued queued{*buffer, buffer->PlayBegin, static_cast<std::uint32_t>(playEnd), buffer->LoopCount, false};
    if (buffer->LoopCount > 0) {
        // The loop region may start before PlayBegin; it must end after it.
        const std::uint64_t loopEnd =
            buffer->LoopLength ? std::uint64_t{buffer->LoopBegin} + buffer->LoopLength : std::uint64_t{total};
        if (buffer->LoopBegin >= total || loopEnd > total || loopEnd <= buffer->PlayBegin) return E_INVALIDARG;
        queued.end = static_cast<std::uint32_t>(loopEnd);
    }
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (m_Queue.size() >= XAUDIO2_MAX_QUEUED_BUFFERS) return XAUDIO2_E_INVALID_CALL;
    m_Queue.push_back(queued);
    return S_OK;
}

HRESULT XAudio2SourceVoiceImpl::FlushSourceBuffers()
{
    std::lock_guard<std::mutex> lock(m_Mutex);
    auto keep = m_Queue.begin();
    if (keep != m_Queue.end() && keep->begun) ++keep;
    for (auto it = keep; it != m_Queue.end(); ++it) {
        void* context = it->buffer.pContext;
        if (m_Callback) m_Pending.push_back([callback = m_Callback, context] { callback->OnBufferEnd(context); });
    }
    m_Queue.erase(keep, m_Queue.end());
    return S_OK;
}

void XAudio2SourceVoiceImpl::GetState(XAUDIO2_VOICE_STATE* state)
{
    if (!state) return;
    std::lock_guard<std::mutex> lock(m_Mutex);
    state->pCurrentBufferContext = m_Queue.empty() ? nullptr : m_Queue.front().buffer.pContext;
    state->BuffersQueued = static_cast<UINT32>(m_Queue.size());
    state->SamplesPlayed = m_SamplesPlayed;
}

void XAudio2SourceVoiceImpl::Convert(const Queued& queued, std::uint32_t frames, float* out) const
{
    const BYTE* data = queued.buffer.pAudioData + std::size_t{queued.position} * m_Format.nBlockAlign;
    ConvertPcmToStereo(data, m_Format.wBitsPerSample, m_Format.nChannels, frames, m_Levels.data(), out,
                       m_AddToMix ? MixWrite::Add : MixWrite::Over);
}

// Voice lock held. A buffer's frames count as played once handed on; its end comes with its
// last frame.
std::uint32_t XAudio2SourceVoiceImpl::Pull(float* out, std::uint32_t maxFrames, MixEvents& events)
{
    std::uint32_t done = 0;
    IXAudio2VoiceCallback* callback = m_Callback;
    while (done < maxFrames && !m_Queue.empty()) {
        Queued& queued = m_Queue.front();
        void* context = queued.buffer.pContext;
        if (!queued.begun) {
            queued.begun = true;
            if (callback) events.push_back([callback, context] { callback->OnBufferStart(context); });
        }
        const std::uint32_t take = std::min(maxFrames - done, queued.end - queued.position);
        Convert(queued, take, out + std::size_t{done} * 2);
        queued.position += take;
        done += take;
        m_SamplesPlayed += take;
        if (queued.position < queued.end) break;
        if (queued.loopsLeft > 0) {
            if (queued.loopsLeft != XAUDIO2_LOOP_INFINITE) --queued.loopsLeft;
            const std::uint32_t total = queued.buffer.AudioBytes / m_Format.nBlockAlign;
            queued.position = queued.buffer.LoopBegin;
            if (queued.loopsLeft > 0) {
                queued.end = queued.buffer.LoopLength ? queued.buffer.LoopBegin + queued.buffer.LoopLength : total;
            } else {
                queued.end = queued.buffer.PlayLength ? queued.buffer.PlayBegin + queued.buffer.PlayLength : total;
                if (queued.end <= queued.position) queued.end = queued.position;   // nothing after the loop
            }
            if (callback) events.push_back([callback, context] { callback->OnLoopEnd(context); });
            if (queued.position < queued.end) continue;
        }
        const bool endOfStream = (queued.buffer.Flags & XAUDIO2_END_OF_STREAM) != 0;
        m_Queue.pop_front();
        if (callback) {
            events.push_back([callback, context] { callback->OnBufferEnd(context); });
            if (endOfStream) events.push_back([callback] { callback->OnStreamEnd(); });
        }
    }
    return done;
}

void XAudio2SourceVoiceImpl::MixInto(float* mix, std::uint32_t frames, MixEvents& events)
{
    const float gain = m_Volume.load();
    std::lock_guard<std::mutex> lock(m_Mutex);
    if (!m_Pending.empty()) {
        for (auto& event : m_Pending) events.push_back(std::move(event));
        m_Pending.clear();
    }
    if (!m_Started) return;
    IXAudio2VoiceCallback* callback = m_Callback;
    if (callback) {
        const UINT32 bytes = frames * m_Format.nBlockAlign;
        events.push_back([callback, bytes] { callback->OnVoiceProcessingPassStart(bytes); });
    }
    // The gain and the sample scale go into the levels: one multiply per sample and side.
    const float scale = gain / (m_Format.wBitsPerSample == 16 ? 32768.0f : 128.0f);
    m_Levels.resize(m_Matrix.size());
    for (std::size_t i = 0; i < m_Matrix.size(); ++i) m_Levels[i] = m_Matrix[i] * scale;
    if (m_Format.nSamplesPerSec == kMixRate) {
        // At the mix rate the frames go straight into the mix.
        m_AddToMix = true;
        const std::uint32_t got = Pull(mix, frames, events);
        (void)got;
    } else {
        m_AddToMix = false;
        m_Scratch.resize(std::size_t{frames} * 2);
        m_Converter.Produce(m_Scratch.data(), frames,
                            [&](float* out, std::uint32_t maxFrames) { return Pull(out, maxFrames, events); });
        for (std::size_t i = 0; i < m_Scratch.size(); ++i) mix[i] += m_Scratch[i];
    }
    if (callback) events.push_back([callback] { callback->OnVoiceProcessingPassEnd(); });
}

MixSourceInfo XAudio2SourceVoiceImpl::Info() const
{
    MixSourceInfo info;
    info.kind = "XAudio2 source voice";
    info.gain = m_Volume.load();
    std::lock_guard<std::mutex> lock(m_Mutex);
    info.started = m_Started;
    info.framesPlayed = m_SamplesPlayed;
    info.buffersQueued = static_cast<std::uint32_t>(m_Queue.size());
    return info;
}

}  // namespace platform
