#include "platform/audio/mixer.h"

#include "platform/audio/mix_format.h"
#include "platform/audio/pcm_convert.h"
#include "platform/win32/user_log.h"

#include <SDL.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <chrono>

namespace platform {

namespace {

void SdlPull(void* userdata, Uint8* stream, int length)
{
    static_cast<Mixer*>(userdata)->Render(reinterpret_cast<std::int16_t*>(stream),
                                          static_cast<std::uint32_t>(length) / (kMixChannels * 2));
}

}  // namespace

Mixer& Mixer::Instance()
{
    static Mixer* mixer = new Mixer;   // sources may outlive static destruction
    return *mixer;
}

void Mixer::SetSink(AudioSink sink)
{
    std::lock_guard<std::mutex> open(m_OpenMutex);
    std::lock_guard<std::mutex> lock(m_StateMutex);
    m_ChosenSink = sink;
}

void Mixer::Open()
{
    std::lock_guard<std::mutex> open(m_OpenMutex);
    {
        std::lock_guard<std::mutex> lock(m_StateMutex);
        if (m_OpenCount++ > 0) return;
        m_ActiveSink = m_ChosenSink;
    }
    StartSink();
}

void Mixer::Close()
{
    std::lock_guard<std::mutex> open(m_OpenMutex);
    {
        std::lock_guard<std::mutex> lock(m_StateMutex);
        if (m_OpenCount == 0 || --m_OpenCount > 0) return;
    }
    StopSink();   // unlocked: the sink's thread may be inside Render
    std::lock_guard<std::mutex> lock(m_StateMutex);
    m_Captured.clear();
}

bool Mixer::IsOpen() const
{
    std::lock_guard<std::mutex> lock(m_StateMutex);
    return m_OpenCount > 0;
}

AudioSink Mixer::ActiveSink() const
{
    std::lock_guard<std::mutex> lock(m_StateMutex);
    return m_ActiveSink;
}

void Mixer::StartSink()
{
    AudioSink sink = ActiveSink();
    if (sink == AudioSink::Sdl) {
        bool opened = false;
        if (SDL_InitSubSystem(SDL_INIT_AUDIO) == 0) {
            SDL_AudioSpec want{};
            want.freq = static_cast<int>(kMixRate);
            want.format = AUDIO_S16SYS;
            want.channels = static_cast<Uint8>(kMixChannels);
            want.samples = 1024;
            want.callback = &SdlPull;
            want.userdata = this;
            SDL_AudioSpec have{};
            m_SdlDevice = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);   // SDL converts to the device
            opened = m_SdlDevice != 0;
            if (!opened) SDL_QuitSubSystem(SDL_INIT_AUDIO);
        }
        if (opened) {
            SDL_PauseAudioDevice(m_SdlDevice, 0);
            return;
        }
        LogUserError("audio: no sound device can be opened (%s); sound goes to no device", SDL_GetError());
        std::lock_guard<std::mutex> lock(m_StateMutex);
        m_ActiveSink = sink = AudioSink::Null;
    }
    if (sink == AudioSink::Null) {
        {
            std::lock_guard<std::mutex> lock(m_SinkMutex);
            m_StopNull = false;
        }
        m_NullThread = std::thread([this] { NullSinkLoop(); });
    }
}

void Mixer::StopSink()
{
    if (m_SdlDevice != 0) {
        SDL_CloseAudioDevice(m_SdlDevice);   // waits for a running pull
        m_SdlDevice = 0;
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    }
    if (m_NullThread.joinable()) {
        {
            std::lock_guard<std::mutex> lock(m_SinkMutex);
            m_StopNull = true;
        }
        m_SinkWake.notify_all();
        m_NullThread.join();
    }
}

// Paced by the monotonic clock to absolute deadlines, so lateness does not add up; never by
// the kernel layer's sleeps, which move the fake clock in tests.
void Mixer::NullSinkLoop()
{
    std::vector<std::int16_t> block(kMixBlockFrames * kMixChannels);
    const auto period = std::chrono::microseconds(1000000ull * kMixBlockFrames / kMixRate);
    auto next = std::chrono::steady_clock::now();
    std::unique_lock<std::mutex> lock(m_SinkMutex);
    while (true) {
        next += period;
        if (m_SinkWake.wait_until(lock, next, [this] { return m_StopNull; })) return;
        lock.unlock();
        Render(block.data(), kMixBlockFrames);
        lock.lock();
    }
}

void Mixer::AddSource(MixSource* source)
{
    std::lock_guard<std::mutex> lock(m_StateMutex);
    m_Sources.push_back({source, m_NextId++});
}

bool Mixer::RemoveSource(MixSource* source)
{
    {
        std::lock_guard<std::mutex> lock(m_StateMutex);
        if (m_RunningCallbackOf == source && m_CallbackThread == std::this_thread::get_id()) return false;
    }
    {
        std::lock_guard<std::mutex> step(m_StepMutex);
        std::lock_guard<std::mutex> lock(m_StateMutex);
        m_Sources.erase(std::remove_if(m_Sources.begin(), m_Sources.end(),
                                       [&](const Entry& entry) { return entry.source == source; }),
                        m_Sources.end());
    }
    std::unique_lock<std::mutex> lock(m_StateMutex);
    m_StateChanged.wait(lock, [&] { return m_RunningCallbackOf != source; });
    return true;
}

void Mixer::Render(std::int16_t* out, std::uint32_t frames)
{
    while (frames > 0) {
        const std::uint32_t block = std::min(frames, kMixBlockFrames);
        RenderBlock(out, block);
        out += block * kMixChannels;
        frames -= block;
    }
}

void Mixer::RenderBlock(std::int16_t* out, std::uint32_t frames)
{
    std::vector<Raised> raised;
    {
        std::lock_guard<std::mutex> step(m_StepMutex);
        {
            std::lock_guard<std::mutex> lock(m_StateMutex);
            m_StepSources.assign(m_Sources.begin(), m_Sources.end());
        }
        // Nothing to mix: silence, without the mix buffer and its conversion.
        if (m_StepSources.empty()) {
            std::memset(out, 0, static_cast<std::size_t>(frames) * kMixChannels * sizeof(std::int16_t));
            return;
        }
        m_Mix.assign(static_cast<std::size_t>(frames) * kMixChannels, 0.0f);
        for (const Entry& entry : m_StepSources) {
            MixEvents events;
            entry.source->MixInto(m_Mix.data(), frames, events);
            if (!events.empty()) raised.push_back({entry, std::move(events)});
        }
        ClipToPcm16(m_Mix.data(), out, m_Mix.size());
    }
    RunEvents(raised);
}

bool Mixer::IsLive(const Entry& entry) const
{
    return std::any_of(m_Sources.begin(), m_Sources.end(),
                       [&](const Entry& live) { return live.source == entry.source && live.id == entry.id; });
}

// Each callback runs with no lock of the layer held; RemoveSource waits for a running one and
// drops those of a source removed meanwhile.
void Mixer::RunEvents(std::vector<Raised>& raised)
{
    for (Raised& item : raised) {
        for (auto& event : item.events) {
            {
                std::lock_guard<std::mutex> lock(m_StateMutex);
                if (!IsLive(item.entry)) break;
                m_RunningCallbackOf = item.entry.source;
                m_CallbackThread = std::this_thread::get_id();
            }
            event();
            {
                std::lock_guard<std::mutex> lock(m_StateMutex);
                m_RunningCallbackOf = nullptr;
            }
            m_StateChanged.notify_all();
        }
    }
}

void Mixer::Advance(std::uint32_t frames)
{
    if (ActiveSink() != AudioSink::Capture || !IsOpen()) {
        LogUserError("audio: Advance needs the open capture sink");
        return;
    }
    std::vector<std::int16_t> block(static_cast<std::size_t>(frames) * kMixChannels);
    Render(block.data(), frames);
    std::lock_guard<std::mutex> lock(m_StateMutex);
    m_Captured.insert(m_Captured.end(), block.begin(), block.end());
}

std::vector<std::int16_t> Mixer::TakeCaptured()
{
    std::lock_guard<std::mutex> lock(m_StateMutex);
    return std::exchange(m_Captured, {});
}

std::vector<MixSourceInfo> Mixer::Sources() const
{
    std::lock_guard<std::mutex> lock(m_StateMutex);   // a source is not removed meanwhile
    std::vector<MixSourceInfo> infos;
    for (const Entry& entry : m_Sources) infos.push_back(entry.source->Info());
    return infos;
}

std::size_t Mixer::SourceCount() const
{
    std::lock_guard<std::mutex> lock(m_StateMutex);
    return m_Sources.size();
}

}  // namespace platform
