// The mixer through the capture sink against a plain loop that sums the same 16-bit buffers
// times a gain into float and clips to 16 bits, and a memcpy of the output as the floor.
// Counter "realtime": seconds of sound mixed per second of run. The mixer's cases also report
// "x_plain", their ratio to the plain loop's block measured beside each of their blocks.
#include "platform/audio/mixer.h"
#include "platform/xaudio2/xaudio2.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

constexpr std::uint32_t kBlock = 441;   // 10 ms
constexpr std::size_t kSourceFrames = 44100;

std::vector<std::int16_t> Signal(std::size_t frames, int seed)
{
    std::vector<std::int16_t> samples(frames * 2);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = static_cast<std::int16_t>(std::lround(12000.0 * std::sin(0.01 * static_cast<double>(i + seed))));
    }
    return samples;
}

// The reference: every voice's block times its gain summed into float, then clipped to 16 bits.
class PlainMix {
public:
    explicit PlainMix(std::size_t voices) : m_Mix(kBlock * 2), m_Out(kBlock * 2)
    {
        for (std::size_t v = 0; v < voices; ++v) m_Signals.push_back(Signal(kSourceFrames, static_cast<int>(v) * 97));
    }

    void Block()
    {
        std::fill(m_Mix.begin(), m_Mix.end(), 0.0f);
        for (std::size_t v = 0; v < m_Signals.size(); ++v) {
            const float gain = 0.5f + 0.01f * static_cast<float>(v);
            const std::int16_t* in = m_Signals[v].data() + m_Position * 2;
            for (std::size_t i = 0; i < m_Mix.size(); ++i) m_Mix[i] += static_cast<float>(in[i]) * (gain / 32768.0f);
        }
        for (std::size_t i = 0; i < m_Mix.size(); ++i) {
            m_Out[i] = static_cast<std::int16_t>(std::clamp(std::nearbyint(m_Mix[i] * 32768.0f), -32768.0f, 32767.0f));
        }
        benchmark::DoNotOptimize(m_Out.data());
        m_Position = (m_Position + kBlock) % (kSourceFrames - kBlock);
    }

private:
    std::vector<std::vector<std::int16_t>> m_Signals;
    std::vector<float> m_Mix;
    std::vector<std::int16_t> m_Out;
    std::size_t m_Position = 0;
};

void PlainLoop(benchmark::State& state)
{
    PlainMix plain(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) plain.Block();
    state.counters["realtime"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBlock / 44100.0,
                                                    benchmark::Counter::kIsRate);
}

void MixerCapture(benchmark::State& state, DWORD rate)
{
    const auto voices = static_cast<std::size_t>(state.range(0));
    platform::Mixer::Instance().SetSink(platform::AudioSink::Capture);
    IXAudio2* engine = nullptr;
    IXAudio2MasteringVoice* master = nullptr;
    if (FAILED(XAudio2Create(&engine, 0, XAUDIO2_DEFAULT_PROCESSOR)) ||
        FAILED(engine->CreateMasteringVoice(&master, XAUDIO2_DEFAULT_CHANNELS, XAUDIO2_DEFAULT_SAMPLERATE, 0, 0, nullptr))) {
        state.SkipWithError("no engine");
        return;
    }
    WAVEFORMATEX format{WAVE_FORMAT_PCM, 2, rate, rate * 4, 4, 16, 0};
    std::vector<std::vector<std::int16_t>> signals;
    std::vector<IXAudio2SourceVoice*> sources;
    for (std::size_t v = 0; v < voices; ++v) {
        signals.push_back(Signal(kSourceFrames, static_cast<int>(v) * 97));
        IXAudio2SourceVoice* voice = nullptr;
        engine->CreateSourceVoice(&voice, &format, 0, 2.0f, nullptr, nullptr, nullptr);
        XAUDIO2_BUFFER buffer{};
        buffer.AudioBytes = static_cast<UINT32>(signals.back().size() * 2);
        buffer.pAudioData = reinterpret_cast<const BYTE*>(signals.back().data());
        buffer.LoopCount = XAUDIO2_LOOP_INFINITE;
        voice->SubmitSourceBuffer(&buffer);
        voice->SetVolume(0.5f + 0.01f * static_cast<float>(v));
        voice->Start(0, 0);
        sources.push_back(voice);
    }
    // Each iteration also mixes the plain loop's block for as many voices, untimed, right after
    // its own: "x_plain" is the median of the iterations' ratios, which the host's slow drifts
    // between benchmarks leave alone.
    PlainMix plain(voices);
    using Clock = std::chrono::steady_clock;
    std::vector<double> ratios;
    for (auto _ : state) {
        const Clock::time_point start = Clock::now();
        platform::Mixer::Instance().Advance(kBlock);
        benchmark::DoNotOptimize(platform::Mixer::Instance().TakeCaptured());
        const Clock::time_point mixed = Clock::now();
        state.PauseTiming();
        const Clock::time_point plainStart = Clock::now();
        plain.Block();
        const std::chrono::duration<double> reference = Clock::now() - plainStart;
        state.ResumeTiming();
        const std::chrono::duration<double> mixer = mixed - start;
        if (reference.count() > 0) ratios.push_back(mixer.count() / reference.count());
    }
    state.counters["realtime"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBlock / 44100.0,
                                                    benchmark::Counter::kIsRate);
    if (!ratios.empty()) {
        std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
        state.counters["x_plain"] = ratios[ratios.size() / 2];
    }
    for (IXAudio2SourceVoice* voice : sources) voice->DestroyVoice();
    master->DestroyVoice();
    engine->Release();
}

void MixerAtMixRate(benchmark::State& state) { MixerCapture(state, 44100); }
void MixerResampled(benchmark::State& state) { MixerCapture(state, 22050); }

void OutputCopy(benchmark::State& state)
{
    std::vector<std::int16_t> from(kBlock * 2, 3);
    std::vector<std::int16_t> to(kBlock * 2);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), to.size() * 2);
        benchmark::DoNotOptimize(to.data());
    }
    state.counters["realtime"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBlock / 44100.0,
                                                    benchmark::Counter::kIsRate);
}

}  // namespace

BENCHMARK(PlainLoop)->Arg(8)->Arg(32)->Arg(48);
BENCHMARK(MixerAtMixRate)->Arg(8)->Arg(32)->Arg(48);
BENCHMARK(MixerResampled)->Arg(8)->Arg(32)->Arg(48);
BENCHMARK(OutputCopy);
