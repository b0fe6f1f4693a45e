#include "platform/dshow/audio_renderer.h"

#include "platform/audio/mix_format.h"
#include "platform/audio/mixer.h"
#include "platform/win32/file.h"
#include "platform/win32/sync.h"
#include "platform/win32/user_log.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Data the renderer holds before Receive waits: half a second keeps the mixer fed.
constexpr std::uint32_t kQueuedMilliseconds = 500;
// A sample this close to where the queue ends goes on straight after it: time stamps carry
// rounding, and closing such a gap or overlap would only be heard as a click.
constexpr REFERENCE_TIME kPlacementSlack = kUnitsPerSecond / 100;

WAVEFORMATEX FormatOf(const AM_MEDIA_TYPE& type)
{
    WAVEFORMATEX format{};
    std::memcpy(&format, type.pbFormat, std::min<std::size_t>(type.cbFormat, sizeof(WAVEFORMATEX)));
    return format;
}

// The time `frames` mixed frames take, split so that no frame count overflows the product.
REFERENCE_TIME TimeOfMixedFrames(std::uint64_t frames)
{
    return static_cast<REFERENCE_TIME>(frames / platform::kMixRate * kUnitsPerSecond +
                                       frames % platform::kMixRate * kUnitsPerSecond / platform::kMixRate);
}

}  // namespace

CAudioRendererClock::CAudioRendererClock(std::shared_ptr<std::atomic<std::uint64_t>> frames)
    : CBaseReferenceClock(u"Audio renderer clock"), m_Frames(std::move(frames))
{
}

REFERENCE_TIME CAudioRendererClock::Now()
{
    return TimeOfMixedFrames(m_Frames->load());
}

// --- CAudioInputPin -----------------------------------------------------------------------

CAudioInputPin::CAudioInputPin(CAudioRenderer* renderer, HRESULT* result)
    : CBaseInputPin(u"Audio input pin", renderer, &renderer->m_InterfaceLock, result, u"Audio Input pin"),
      m_Renderer(renderer)
{
}

HRESULT CAudioInputPin::CheckMediaType(const CMediaType* type)
{
    return CAudioRenderer::IsPlayableFormat(*type) ? S_OK : VFW_E_TYPE_NOT_ACCEPTED;
}

HRESULT CAudioInputPin::SetMediaType(const CMediaType* type)
{
    const HRESULT hr = CBaseInputPin::SetMediaType(type);
    if (FAILED(hr)) return hr;
    const WAVEFORMATEX format = FormatOf(*type);
    std::lock_guard<std::mutex> lock(m_Renderer->m_DataLock);
    m_Renderer->m_Format = format;
    m_Renderer->m_Matrix.assign(format.nChannels * 2u, 0.0f);
    platform::DefaultOutputMatrix(format.nChannels, m_Renderer->m_Matrix.data());
    m_Renderer->m_Converter = std::make_unique<platform::RateConverter>(format.nSamplesPerSec);
    return m_Renderer->m_Converter->IsValid() ? S_OK : E_FAIL;
}

HRESULT CAudioInputPin::Receive(IMediaSample* sample)
{
    const HRESULT hr = CBaseInputPin::Receive(sample);
    if (hr != S_OK) return hr;
    return m_Renderer->ReceiveData(sample);
}

HRESULT CAudioInputPin::EndOfStream()
{
    const HRESULT hr = CheckStreaming();
    if (FAILED(hr)) return hr;
    return m_Renderer->ReceiveEndOfStream();
}

HRESULT CAudioInputPin::BeginFlush()
{
    CBaseInputPin::BeginFlush();
    m_Renderer->Flush(true);
    return S_OK;
}

HRESULT CAudioInputPin::EndFlush()
{
    m_Renderer->Flush(false);
    return CBaseInputPin::EndFlush();
}

// --- CAudioRenderer -----------------------------------------------------------------------

CAudioRenderer::CAudioRenderer(HRESULT* result)
    : CBaseFilter(u"Audio renderer", nullptr, &m_InterfaceLock, CLSID_AudioRender),
      m_ClockFrames(std::make_shared<std::atomic<std::uint64_t>>(0)),
      m_OwnClock(new CAudioRendererClock(m_ClockFrames)),
      m_RoomEvent(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
    m_OwnClock->NonDelegatingAddRef();
    HRESULT hr = S_OK;
    m_InputPin = std::make_unique<CAudioInputPin>(this, &hr);
    if (result) *result = m_RoomEvent ? hr : E_OUTOFMEMORY;
    platform::Mixer::Instance().Open();
    platform::Mixer::Instance().AddSource(this);
}

CAudioRenderer::~CAudioRenderer()
{
    platform::Mixer::Instance().RemoveSource(this);
    platform::Mixer::Instance().Close();
    m_InputPin.reset();
    m_OwnClock->NonDelegatingRelease();
    CloseHandle(m_RoomEvent);
}

HRESULT CAudioRenderer::NonDelegatingQueryInterface(REFIID riid, void** object)
{
    if (riid == IID_IBasicAudio) return GetInterface(static_cast<IBasicAudio*>(this), object);
    if (riid == IID_IReferenceClock) return m_OwnClock->NonDelegatingQueryInterface(riid, object);
    return CBaseFilter::NonDelegatingQueryInterface(riid, object);
}

CBasePin* CAudioRenderer::GetPin(int n) { return n == 0 ? m_InputPin.get() : nullptr; }

bool CAudioRenderer::IsPlayableFormat(const AM_MEDIA_TYPE& type)
{
    if (!(type.majortype == MEDIATYPE_Audio) || !(type.subtype == MEDIASUBTYPE_PCM)) return false;
    if (!(type.formattype == FORMAT_WaveFormatEx) || !type.pbFormat || type.cbFormat < sizeof(PCMWAVEFORMAT)) return false;
    WAVEFORMATEX format = FormatOf(type);
    format.cbSize = 0;
    return platform::IsMixableFormat(format);
}

IReferenceClock* CAudioRenderer::Clock()
{
    m_OwnClock->NonDelegatingAddRef();
    return m_OwnClock;
}

std::uint64_t CAudioRenderer::FramesRendered() const
{
    std::lock_guard<std::mutex> lock(m_DataLock);
    return m_FramesRendered;
}

void CAudioRenderer::WakeProducer()
{
    if (m_ProducerWaiting && !m_ProducerWoken) {
        m_ProducerWoken = true;
        SetEvent(m_RoomEvent);
    }
}

HRESULT CAudioRenderer::Stop()
{
    CAutoLock lock(&m_InterfaceLock);
    {
        std::lock_guard<std::mutex> data(m_DataLock);
        m_Running = false;
        m_Stopped = true;
        m_Queued.clear();
        m_QueueEnd = 0;
        m_EndOfStream = false;
        m_EndOfStreamSent = false;
        if (m_Converter) m_Converter->Reset();
        WakeProducer();
    }
    return CBaseFilter::Stop();
}

HRESULT CAudioRenderer::Pause()
{
    CAutoLock lock(&m_InterfaceLock);
    const HRESULT hr = CBaseFilter::Pause();
    std::lock_guard<std::mutex> data(m_DataLock);
    m_Running = false;
    m_Stopped = false;
    return hr;
}

HRESULT CAudioRenderer::Run(REFERENCE_TIME start)
{
    CAutoLock lock(&m_InterfaceLock);
    const HRESULT hr = CBaseFilter::Run(start);
    std::lock_guard<std::mutex> data(m_DataLock);
    m_Running = SUCCEEDED(hr);
    m_Stopped = false;
    m_RunStart = start;
    return hr;
}

REFERENCE_TIME CAudioRenderer::PlayingTime() const
{
    return TimeOfMixedFrames(m_ClockFrames->load()) - m_RunStart;
}

bool CAudioRenderer::WaitForRoom(std::unique_lock<std::mutex>& lock, std::size_t limit)
{
    // Waits while the mixer has enough; a flush or a stop lets go at once.
    while (!m_Flushing && !m_Stopped && m_Queued.size() >= limit) {
        m_ProducerWaiting = true;
        lock.unlock();
        WaitForSingleObject(m_RoomEvent, INFINITE);
        lock.lock();
        m_ProducerWaiting = false;
        m_ProducerWoken = false;
    }
    return !m_Flushing && !m_Stopped && !m_EndOfStream;
}

HRESULT CAudioRenderer::ReceiveData(IMediaSample* sample)
{
    BYTE* data = nullptr;
    sample->GetPointer(&data);
    const LONG length = sample->GetActualDataLength();
    if (!data || length <= 0) return S_OK;
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    const bool timed = SUCCEEDED(sample->GetTime(&start, &stop));
    std::unique_lock<std::mutex> lock(m_DataLock);
    const std::size_t block = std::max<std::size_t>(1, m_Format.nBlockAlign);
    const std::size_t rate = std::max<std::size_t>(1, m_Format.nSamplesPerSec);
    const std::size_t limit = rate * kQueuedMilliseconds / 1000 * block;
    const auto refused = [this] {
        if (m_Flushing) return S_FALSE;
        if (m_Stopped) return VFW_E_WRONG_STATE;
        return VFW_E_SAMPLE_REJECTED_EOS;
    };
    if (!WaitForRoom(lock, limit)) return refused();
    const BYTE* bytes = data;
    std::size_t frames = static_cast<std::size_t>(length) / block;
    if (timed) {
        // Each sample is placed at its time: a gap before it is played as silence, and what
        // lies before the data already queued, or before what the mixer plays now while this
        // renderer runs the clock, is cut off as too late.
        REFERENCE_TIME at = m_QueueEnd;
        if (m_Running && m_Clock == static_cast<IReferenceClock*>(m_OwnClock)) at = std::max(at, PlayingTime());
        const REFERENCE_TIME gap = start - at;
        if (gap > kPlacementSlack) {
            auto silence = static_cast<std::size_t>(gap * static_cast<REFERENCE_TIME>(rate) / kUnitsPerSecond);
            const BYTE quiet = m_Format.wBitsPerSample == 8 ? 0x80 : 0x00;
            while (silence > 0) {
                if (!WaitForRoom(lock, limit)) return refused();
                const std::size_t room = limit > m_Queued.size() ? (limit - m_Queued.size()) / block : 0;
                const std::size_t count = std::min(silence, std::max<std::size_t>(room, 1));
                m_Queued.insert(m_Queued.end(), count * block, quiet);
                silence -= count;
            }
            at = start;
        } else if (gap < -kPlacementSlack) {
            const auto late = static_cast<std::size_t>(-gap * static_cast<REFERENCE_TIME>(rate) / kUnitsPerSecond);
            const std::size_t cut = std::min(frames, late);
            bytes += cut * block;
            frames -= cut;
        }
        m_QueueEnd = at;
    }
    m_Queued.insert(m_Queued.end(), bytes, bytes + frames * block);
    m_QueueEnd += static_cast<REFERENCE_TIME>(frames) * kUnitsPerSecond / static_cast<REFERENCE_TIME>(rate);
    return S_OK;
}

HRESULT CAudioRenderer::ReceiveEndOfStream()
{
    std::lock_guard<std::mutex> lock(m_DataLock);
    if (m_Flushing || m_Stopped) return S_OK;
    m_EndOfStream = true;
    return S_OK;   // reported by the mix step that plays the last frame
}

void CAudioRenderer::Flush(bool begin)
{
    std::lock_guard<std::mutex> lock(m_DataLock);
    m_Flushing = begin;
    if (begin) {
        // Stream time starts again from 0 with the new segment.
        m_Queued.clear();
        m_QueueEnd = 0;
        m_EndOfStream = false;
        m_EndOfStreamSent = false;
        if (m_Converter) m_Converter->Reset();
        WakeProducer();
    }
}

// Data lock held: queued PCM to stereo float at the source rate, with the gain.
std::uint32_t CAudioRenderer::Pull(float* out, std::uint32_t maxFrames)
{
    const std::uint32_t block = m_Format.nBlockAlign;
    const std::uint32_t channels = m_Format.nChannels;
    const bool sixteen = m_Format.wBitsPerSample == 16;
    const std::uint32_t frames = std::min<std::uint32_t>(maxFrames, static_cast<std::uint32_t>(m_Queued.size() / block));
    const float scale = m_Gain / (sixteen ? 32768.0f : 128.0f);
    auto byte = m_Queued.begin();
    for (std::uint32_t f = 0; f < frames; ++f) {
        float left = 0.0f;
        float right = 0.0f;
        for (std::uint32_t c = 0; c < channels; ++c) {
            float value = 0.0f;
            if (sixteen) {
                const auto low = static_cast<std::uint16_t>(*byte++);
                const auto high = static_cast<std::uint16_t>(*byte++);
                value = static_cast<float>(static_cast<std::int16_t>(static_cast<std::uint16_t>(low | (high << 8))));
            } else {
                value = static_cast<float>(static_cast<int>(*byte++) - 128);
            }
            left += value * m_Matrix[c * 2] * scale;
            right += value * m_Matrix[c * 2 + 1] * scale;
        }
        out[f * 2] = left;
        out[f * 2 + 1] = right;
    }
    m_Queued.erase(m_Queued.begin(), byte);
    m_FramesRendered += frames;
    return frames;
}

void CAudioRenderer::MixInto(float* mix, std::uint32_t frames, platform::MixEvents& events)
{
    std::lock_guard<std::mutex> lock(m_DataLock);
    if (!m_Running) return;
    // The clock runs with the mixer while the filter runs, sound or silence.
    m_ClockFrames->fetch_add(frames);
    CAudioRendererClock* clock = m_OwnClock;
    events.push_back([clock] { clock->TriggerDueAdvises(); });
    if (m_Converter && m_Format.nBlockAlign) {
        m_Scratch.assign(std::size_t{frames} * 2, 0.0f);
        m_Converter->Produce(m_Scratch.data(), frames, [&](float* out, std::uint32_t maxFrames) { return Pull(out, maxFrames); });
        for (std::size_t i = 0; i < m_Scratch.size(); ++i) mix[i] += m_Scratch[i];
    }
    WakeProducer();
    if (m_EndOfStream && !m_EndOfStreamSent && m_Queued.empty()) {
        m_EndOfStreamSent = true;
        events.push_back([this] { NotifyEvent(EC_COMPLETE, S_OK, 0); });
    }
}

platform::MixSourceInfo CAudioRenderer::Info() const
{
    platform::MixSourceInfo info;
    info.kind = "DirectShow audio renderer";
    std::lock_guard<std::mutex> lock(m_DataLock);
    info.started = m_Running;
    info.gain = m_Gain;
    info.framesPlayed = m_FramesRendered;
    return info;
}

HRESULT CAudioRenderer::put_Volume(LONG volume)
{
    if (volume < -10000 || volume > 0) return E_INVALIDARG;
    std::lock_guard<std::mutex> lock(m_DataLock);
    m_Volume = volume;
    m_Gain = static_cast<float>(std::pow(10.0, volume / 2000.0));
    return S_OK;
}

HRESULT CAudioRenderer::get_Volume(LONG* volume)
{
    if (!volume) return E_POINTER;
    std::lock_guard<std::mutex> lock(m_DataLock);
    *volume = m_Volume;
    return S_OK;
}

HRESULT CAudioRenderer::put_Balance(LONG balance) { return balance == 0 ? S_OK : E_NOTIMPL; }

HRESULT CAudioRenderer::get_Balance(LONG* balance)
{
    if (!balance) return E_POINTER;
    *balance = 0;
    return S_OK;
}
