#include "platform/audio/mixer.h"
#include "platform/audio/rate_converter.h"
#include "platform/win32/com.h"
#include "platform/win32/file.h"
#include "platform/win32/sync.h"
#include "platform/xaudio2/xaudio2.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>
#include <cstdlib>
#include <future>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

using platform::Mixer;

// Records the callbacks, with what GetState says at each buffer end.
class Recorder : public IXAudio2VoiceCallback {
public:
    IXAudio2SourceVoice* voice = nullptr;
    std::mutex mutex;
    std::vector<std::string> calls;
    std::vector<void*> ends;
    std::vector<UINT32> queuedAtEnd;
    std::vector<UINT64> playedAtEnd;
    HANDLE endEvent = nullptr;
    std::function<void()> onEnd;

    void OnVoiceProcessingPassStart(UINT32) override {}
    void OnVoiceProcessingPassEnd() override {}
    void OnStreamEnd() override { Record("stream end"); }
    void OnBufferStart(void*) override { Record("start"); }
    void OnBufferEnd(void* context) override
    {
        XAUDIO2_VOICE_STATE state{};
        if (voice) voice->GetState(&state);   // a callback may ask its own voice
        {
            std::lock_guard<std::mutex> lock(mutex);
            calls.push_back("end");
            ends.push_back(context);
            queuedAtEnd.push_back(state.BuffersQueued);
            playedAtEnd.push_back(state.SamplesPlayed);
        }
        if (onEnd) onEnd();
        if (endEvent) SetEvent(endEvent);
    }
    void OnLoopEnd(void*) override { Record("loop"); }
    void OnVoiceError(void*, HRESULT) override { Record("error"); }
    int EndCount()
    {
        std::lock_guard<std::mutex> lock(mutex);
        return static_cast<int>(ends.size());
    }

private:
    void Record(const char* what)
    {
        std::lock_guard<std::mutex> lock(mutex);
        calls.push_back(what);
    }
};

WAVEFORMATEX Pcm(WORD channels, DWORD rate, WORD bits)
{
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = channels;
    format.nSamplesPerSec = rate;
    format.wBitsPerSample = bits;
    format.nBlockAlign = static_cast<WORD>(channels * bits / 8);
    format.nAvgBytesPerSec = rate * format.nBlockAlign;
    return format;
}

// 16-bit stereo ramps: left rises, right falls, from `seed` on.
std::vector<std::int16_t> StereoRamp(std::size_t frames, int seed)
{
    std::vector<std::int16_t> samples(frames * 2);
    for (std::size_t i = 0; i < frames; ++i) {
        samples[i * 2] = static_cast<std::int16_t>((seed + static_cast<int>(i) * 37) % 65536 - 32768);
        samples[i * 2 + 1] = static_cast<std::int16_t>(32767 - (seed + static_cast<int>(i) * 53) % 65536);
    }
    return samples;
}

XAUDIO2_BUFFER BufferOf(const std::vector<std::int16_t>& samples, void* context = nullptr)
{
    XAUDIO2_BUFFER buffer{};
    buffer.AudioBytes = static_cast<UINT32>(samples.size() * 2);
    buffer.pAudioData = reinterpret_cast<const BYTE*>(samples.data());
    buffer.pContext = context;
    return buffer;
}

HRESULT Submit(IXAudio2SourceVoice* voice, const std::vector<std::int16_t>& samples, void* context = nullptr)
{
    const XAUDIO2_BUFFER buffer = BufferOf(samples, context);
    return voice->SubmitSourceBuffer(&buffer);
}

std::vector<std::int16_t> Slice(const std::vector<std::int16_t>& samples, std::size_t fromFrame, std::size_t toFrame)
{
    return {samples.begin() + static_cast<std::ptrdiff_t>(fromFrame * 2),
            samples.begin() + static_cast<std::ptrdiff_t>(toFrame * 2)};
}

class XAudio2Test : public ::testing::Test {
protected:
    void SetUp() override { Open(platform::AudioSink::Capture); }
    void TearDown() override
    {
        Close();
        platform::SetXAudio2Faults({});
        EXPECT_EQ(Mixer::Instance().SourceCount(), 0u);
        EXPECT_FALSE(Mixer::Instance().IsOpen());
    }

    void Open(platform::AudioSink sink)
    {
        Mixer::Instance().SetSink(sink);
        ASSERT_EQ(XAudio2Create(&m_Engine, 0, XAUDIO2_DEFAULT_PROCESSOR), S_OK);
        ASSERT_EQ(m_Engine->CreateMasteringVoice(&m_Master, XAUDIO2_DEFAULT_CHANNELS, XAUDIO2_DEFAULT_SAMPLERATE, 0, 0, nullptr),
                  S_OK);
    }
    void Close()
    {
        if (m_Master) m_Master->DestroyVoice();
        m_Master = nullptr;
        if (m_Engine) m_Engine->Release();   // destroys voices the test left
        m_Engine = nullptr;
    }

    IXAudio2SourceVoice* Voice(const WAVEFORMATEX& format, Recorder* recorder = nullptr)
    {
        IXAudio2SourceVoice* voice = nullptr;
        EXPECT_EQ(m_Engine->CreateSourceVoice(&voice, &format, 0, 2.0f, recorder, nullptr, nullptr), S_OK);
        if (recorder) recorder->voice = voice;
        return voice;
    }

    std::vector<std::int16_t> Play(std::uint32_t frames)
    {
        Mixer::Instance().Advance(frames);
        return Mixer::Instance().TakeCaptured();
    }

    IXAudio2* m_Engine = nullptr;
    IXAudio2MasteringVoice* m_Master = nullptr;
};

TEST(XAudio2Engine, CreatesThroughComAndReleasesAFailedEngine)
{
    platform::RegisterXAudio2Classes();
    for (const CLSID& clsid : {CLSID_XAudio2, CLSID_XAudio2_Debug}) {
        IXAudio2* engine = nullptr;
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXAudio2, reinterpret_cast<void**>(&engine)), S_OK);
        EXPECT_EQ(engine->Initialize(0, XAUDIO2_DEFAULT_PROCESSOR), S_OK);
        EXPECT_EQ(engine->Release(), 0u);
    }

    IXAudio2* engine = nullptr;
    ASSERT_EQ(XAudio2Create(&engine, XAUDIO2_DEBUG_ENGINE, XAUDIO2_DEFAULT_PROCESSOR), S_OK);
    EXPECT_EQ(platform::XAudio2Objects().engines, 1);
    engine->Release();

    platform::XAudio2Faults faults;
    faults.initialize = E_OUTOFMEMORY;
    platform::SetXAudio2Faults(faults);
    EXPECT_EQ(XAudio2Create(&engine, 0, XAUDIO2_DEFAULT_PROCESSOR), E_OUTOFMEMORY);
    EXPECT_EQ(engine, nullptr);
    EXPECT_EQ(platform::XAudio2Objects().engines, 0);

    platform::SetXAudio2Faults({});
    platform::SetComFaults({S_OK, {{CLSID_XAudio2, REGDB_E_CLASSNOTREG}}});
    EXPECT_EQ(XAudio2Create(&engine, 0, XAUDIO2_DEFAULT_PROCESSOR), REGDB_E_CLASSNOTREG);
    platform::SetComFaults({});
    EXPECT_EQ(platform::XAudio2Objects().engines, 0);
}

TEST_F(XAudio2Test, MasteringVoiceAndDeviceDetails)
{
    XAUDIO2_VOICE_DETAILS details{};
    m_Master->GetVoiceDetails(&details);
    EXPECT_EQ(details.InputChannels, 2u);
    EXPECT_EQ(details.InputSampleRate, 44100u);
    DWORD mask = 0;
    ASSERT_EQ(m_Master->GetChannelMask(&mask), S_OK);
    EXPECT_EQ(mask, 0x3u);

    XAUDIO2_DEVICE_DETAILS device{};
    ASSERT_EQ(m_Engine->GetDeviceDetails(0, &device), S_OK);
    EXPECT_EQ(device.OutputFormat.Format.nChannels, 2);
    EXPECT_EQ(device.OutputFormat.dwChannelMask, 0x3u);
    for (auto [channels, channelMask] : {std::pair<WORD, DWORD>{8, 0x63F}, {9, 0x73F}}) {
        platform::XAudio2Faults faults;
        faults.outputChannels = channels;
        faults.outputChannelMask = channelMask;
        platform::SetXAudio2Faults(faults);
        ASSERT_EQ(m_Engine->GetDeviceDetails(0, &device), S_OK);
        EXPECT_EQ(device.OutputFormat.Format.nChannels, channels);
        EXPECT_EQ(device.OutputFormat.dwChannelMask, channelMask);
    }
    platform::XAudio2Faults faults;
    faults.getDeviceDetails = E_FAIL;
    faults.createSourceVoice = E_OUTOFMEMORY;
    platform::SetXAudio2Faults(faults);
    EXPECT_EQ(m_Engine->GetDeviceDetails(0, &device), E_FAIL);
    IXAudio2SourceVoice* voice = nullptr;
    const WAVEFORMATEX format = Pcm(2, 44100, 16);
    EXPECT_EQ(m_Engine->CreateSourceVoice(&voice, &format, 0, 2.0f, nullptr, nullptr, nullptr), E_OUTOFMEMORY);
    EXPECT_EQ(voice, nullptr);
}

TEST_F(XAudio2Test, SixteenBitStereoAtTheMixRateIsBitExactAndGainScales)
{
    const auto ramp = StereoRamp(1000, 5);
    IXAudio2SourceVoice* voice = Voice(Pcm(2, 44100, 16));
    ASSERT_EQ(Submit(voice, ramp), S_OK);
    ASSERT_EQ(voice->Start(0, 0), S_OK);
    const auto out = Play(1200);
    EXPECT_EQ(Slice(out, 0, 1000), ramp);
    EXPECT_EQ(Slice(out, 1000, 1200), std::vector<std::int16_t>(400, 0));   // exact length

    ASSERT_EQ(voice->SetVolume(0.5f), S_OK);
    ASSERT_EQ(Submit(voice, ramp), S_OK);
    const auto half = Play(1000);
    for (std::size_t i = 0; i < ramp.size(); ++i) EXPECT_NEAR(half[i], ramp[i] / 2.0, 1.0) << i;
    voice->DestroyVoice();
}

TEST_F(XAudio2Test, EightBitMonoAtHalfRateIsCentredAndDoubled)
{
    // 128 is silence; a step to 192 after it shows where the sound starts and ends.
    std::vector<std::uint8_t> samples(2000, 128);
    std::fill(samples.begin() + 500, samples.end(), 192);
    IXAudio2SourceVoice* voice = Voice(Pcm(1, 22050, 8));
    XAUDIO2_BUFFER buffer{};
    buffer.AudioBytes = static_cast<UINT32>(samples.size());
    buffer.pAudioData = samples.data();
    ASSERT_EQ(voice->SubmitSourceBuffer(&buffer), S_OK);
    ASSERT_EQ(voice->Start(0, 0), S_OK);
    const auto out = Play(5000);
    std::size_t first = out.size();
    std::size_t last = 0;
    for (std::size_t f = 0; f < out.size() / 2; ++f) {
        EXPECT_EQ(out[f * 2], out[f * 2 + 1]) << f;
        if (out[f * 2] > 8192) {   // past half of the step (0.5 of full scale)
            first = std::min(first, f);
            last = f;
        }
    }
    // The converter's filter is centred: the step comes out where it went in, at twice the
    // frame count; a buffer's last frames leave the filter within 16 source frames after
    // they were handed in.
    EXPECT_EQ(out[0], 0);
    EXPECT_NEAR(static_cast<double>(first), 1000.0, 2.0);
    EXPECT_NEAR(static_cast<double>(last + 1 - first), 3000.0, 4.0);
    for (std::size_t f = last + 40; f < out.size() / 2; ++f) EXPECT_NEAR(out[f * 2], 0, 1) << f;
    voice->DestroyVoice();
}

TEST_F(XAudio2Test, QueuedBuffersPlayInOrderAndEndAfterTheirLastFrame)
{
    const auto a = StereoRamp(300, 1);
    const auto b = StereoRamp(500, 2);
    const auto c = StereoRamp(700, 3);
    Recorder recorder;
    IXAudio2SourceVoice* voice = Voice(Pcm(2, 44100, 16), &recorder);
    int contexts[3] = {};
    XAUDIO2_BUFFER first = BufferOf(a, &contexts[0]);
    XAUDIO2_BUFFER second = BufferOf(b, &contexts[1]);
    second.Flags = XAUDIO2_END_OF_STREAM;   // does not stop the third
    XAUDIO2_BUFFER third = BufferOf(c, &contexts[2]);
    for (const XAUDIO2_BUFFER* buffer : {&first, &second, &third}) ASSERT_EQ(voice->SubmitSourceBuffer(buffer), S_OK);
    XAUDIO2_VOICE_STATE state{};
    voice->GetState(&state);
    EXPECT_EQ(state.BuffersQueued, 3u);
    EXPECT_EQ(state.pCurrentBufferContext, &contexts[0]);
    ASSERT_EQ(voice->Start(0, 0), S_OK);

    std::vector<std::int16_t> out;
    for (int step = 0; step < 32; ++step) {   // each end comes with the step that mixed its last frame
        const auto part = Play(50);
        out.insert(out.end(), part.begin(), part.end());
    }
    std::vector<std::int16_t> expected = a;
    expected.insert(expected.end(), b.begin(), b.end());
    expected.insert(expected.end(), c.begin(), c.end());
    EXPECT_EQ(Slice(out, 0, 1500), expected);
    EXPECT_EQ(recorder.ends, (std::vector<void*>{&contexts[0], &contexts[1], &contexts[2]}));
    EXPECT_EQ(recorder.queuedAtEnd, (std::vector<UINT32>{2, 1, 0}));
    EXPECT_EQ(recorder.playedAtEnd, (std::vector<UINT64>{300, 800, 1500}));
    EXPECT_EQ(recorder.calls, (std::vector<std::string>{"start", "end", "start", "end", "stream end", "start", "end"}));
    voice->DestroyVoice();
}

TEST_F(XAudio2Test, LoopsRepeatTheWholeBufferAfterTheFirstPass)
{
    const auto ramp = StereoRamp(400, 9);
    IXAudio2SourceVoice* voice = Voice(Pcm(2, 44100, 16));
    XAUDIO2_BUFFER buffer = BufferOf(ramp);
    buffer.PlayBegin = 150;
    buffer.LoopCount = XAUDIO2_LOOP_INFINITE;
    ASSERT_EQ(voice->SubmitSourceBuffer(&buffer), S_OK);
    ASSERT_EQ(voice->Start(0, 0), S_OK);
    const auto out = Play(250 + 400 + 400);
    EXPECT_EQ(Slice(out, 0, 250), Slice(ramp, 150, 400));
    EXPECT_EQ(Slice(out, 250, 650), ramp);
    EXPECT_EQ(Slice(out, 650, 1050), ramp);
    XAUDIO2_VOICE_STATE state{};
    voice->GetState(&state);
    EXPECT_EQ(state.BuffersQueued, 1u);   // for ever
    voice->DestroyVoice();

    voice = Voice(Pcm(2, 44100, 16));
    buffer.LoopCount = 0;
    ASSERT_EQ(voice->SubmitSourceBuffer(&buffer), S_OK);
    ASSERT_EQ(voice->Start(0, 0), S_OK);
    const auto once = Play(500);
    EXPECT_EQ(Slice(once, 0, 250), Slice(ramp, 150, 400));
    EXPECT_EQ(Slice(once, 250, 500), std::vector<std::int16_t>(500, 0));
    voice->GetState(&state);
    EXPECT_EQ(state.BuffersQueued, 0u);
    voice->DestroyVoice();
}

TEST_F(XAudio2Test, StopKeepsThePositionAndVolumeAppliesFromTheNextBlock)
{
    const auto ramp = StereoRamp(2000, 4);
    IXAudio2SourceVoice* voice = Voice(Pcm(2, 44100, 16));
    ASSERT_EQ(Submit(voice, ramp), S_OK);
    ASSERT_EQ(voice->Start(0, 0), S_OK);
    auto out = Play(441);
    ASSERT_EQ(voice->Stop(0, 0), S_OK);
    const auto silent = Play(441);
    EXPECT_EQ(silent, std::vector<std::int16_t>(882, 0));
    ASSERT_EQ(voice->Start(0, 0), S_OK);
    const auto resumed = Play(441);
    out.insert(out.end(), resumed.begin(), resumed.end());
    EXPECT_EQ(out, Slice(ramp, 0, 882));

    ASSERT_EQ(voice->SetVolume(0.123f), S_OK);
    float volume = 0.0f;
    voice->GetVolume(&volume);
    EXPECT_EQ(volume, 0.123f);
    const auto quiet = Play(441);
    for (std::size_t i = 0; i < quiet.size(); ++i) EXPECT_NEAR(quiet[i], ramp[882 * 2 + i] * 0.123, 1.0) << i;
    voice->DestroyVoice();
}

TEST_F(XAudio2Test, OutputMatrixIsApplied)
{
    const auto ramp = StereoRamp(300, 6);
    IXAudio2SourceVoice* voice = Voice(Pcm(2, 44100, 16));
    // Level of source s in output d at [2 * d + s]: left gets the right source, right gets half of the left.
    const float matrix[4] = {0.0f, 1.0f, 0.5f, 0.0f};
    ASSERT_EQ(voice->SetOutputMatrix(m_Master, 2, 2, matrix), S_OK);
    EXPECT_EQ(voice->SetOutputMatrix(m_Master, 1, 2, matrix), E_INVALIDARG);
    ASSERT_EQ(Submit(voice, ramp), S_OK);
    ASSERT_EQ(voice->Start(0, 0), S_OK);
    const auto out = Play(300);
    for (std::size_t f = 0; f < 300; ++f) {
        EXPECT_EQ(out[f * 2], ramp[f * 2 + 1]);
        EXPECT_NEAR(out[f * 2 + 1], ramp[f * 2] / 2.0, 1.0);
    }
    voice->DestroyVoice();
}

// One voice of the mix worked out the plain way: each source frame's channels times the matrix,
// the gain and the sample scale, summed from zero in channel order; looped for ever.
struct PlainVoice {
    WAVEFORMATEX format{};
    std::vector<std::uint8_t> data;
    std::vector<float> levels;   // [channel * 2 + side]
    std::size_t position = 0;    // frame
    std::unique_ptr<platform::RateConverter> converter;

    void Next(float* left, float* right)
    {
        const std::size_t channels = format.nChannels;
        const std::uint8_t* frame = data.data() + position * format.nBlockAlign;
        float l = 0.0f;
        float r = 0.0f;
        for (std::size_t c = 0; c < channels; ++c) {
            float value;
            if (format.wBitsPerSample == 16) {
                std::int16_t sample;
                std::memcpy(&sample, frame + c * 2, 2);
                value = static_cast<float>(sample);
            } else {
                value = static_cast<float>(static_cast<int>(frame[c]) - 128);
            }
            l += value * levels[c * 2];
            r += value * levels[c * 2 + 1];
        }
        *left = l;
        *right = r;
        position = (position + 1) % (data.size() / format.nBlockAlign);
    }
};

// Random voices (8 and 16 bits; mono, stereo and six channels; at the mix rate and resampled up
// and down; random gains, some negative; straight, panned and crossed matrices), mixed in blocks
// of odd sizes, give the very samples of the plain sums, converted the same way, clipped once.
TEST_F(XAudio2Test, MixOfRandomVoicesIsSampleExactToThePlainSums)
{
    std::mt19937 random(53);
    auto pick = [&](std::initializer_list<int> values) {
        return *(values.begin() + std::uniform_int_distribution<std::size_t>(0, values.size() - 1)(random));
    };
    std::uniform_real_distribution<float> unit(0.0f, 1.0f);
    std::vector<PlainVoice> plain(14);
    std::vector<IXAudio2SourceVoice*> voices;
    for (PlainVoice& voice : plain) {
        const auto channels = static_cast<WORD>(pick({1, 2, 2, 2, 6}));
        const auto bits = static_cast<WORD>(pick({8, 16, 16}));
        const auto rate = static_cast<DWORD>(pick({44100, 44100, 44100, 22050, 48000, 11025}));
        voice.format = Pcm(channels, rate, bits);
        const std::size_t frames = std::uniform_int_distribution<std::size_t>(200, 2000)(random);
        for (std::size_t i = 0; i < frames * channels; ++i) {
            if (bits == 16) {
                const auto sample = static_cast<std::int16_t>(std::uniform_int_distribution<int>(-6000, 6000)(random));
                voice.data.push_back(static_cast<std::uint8_t>(sample & 0xFF));
                voice.data.push_back(static_cast<std::uint8_t>((sample >> 8) & 0xFF));
            } else {
                voice.data.push_back(static_cast<std::uint8_t>(std::uniform_int_distribution<int>(80, 176)(random)));
            }
        }
        // A stereo voice's cross levels are each zero half the time: straight, bleeding one way, panned.
        std::vector<float> matrix(channels * 2u);   // [channel * 2 + side]
        for (WORD c = 0; c < channels; ++c) {
            for (int side = 0; side < 2; ++side) {
                const bool cross = channels == 2 && c != side;
                matrix[c * 2 + side] = cross && unit(random) < 0.5f ? 0.0f : unit(random);
            }
        }
        const float volume = unit(random) * 2.0f - 0.5f;
        const float scale = volume / (bits == 16 ? 32768.0f : 128.0f);
        for (float level : matrix) voice.levels.push_back(level * scale);
        if (rate != 44100) voice.converter = std::make_unique<platform::RateConverter>(rate);

        IXAudio2SourceVoice* source = Voice(voice.format);
        std::vector<float> byDestination(matrix.size());
        for (WORD c = 0; c < channels; ++c) {
            for (int side = 0; side < 2; ++side) byDestination[channels * side + c] = matrix[c * 2 + side];
        }
        ASSERT_EQ(source->SetOutputMatrix(m_Master, channels, 2, byDestination.data()), S_OK);
        ASSERT_EQ(source->SetVolume(volume), S_OK);
        XAUDIO2_BUFFER buffer{};
        buffer.AudioBytes = static_cast<UINT32>(voice.data.size());
        buffer.pAudioData = voice.data.data();
        buffer.LoopCount = XAUDIO2_LOOP_INFINITE;
        ASSERT_EQ(source->SubmitSourceBuffer(&buffer), S_OK);
        ASSERT_EQ(source->Start(0, 0), S_OK);
        voices.push_back(source);
    }

    std::vector<std::int16_t> out;
    std::vector<std::int16_t> expected;
    for (std::uint32_t frames : {1000u, 441u, 7u, 1500u, 333u, 1u}) {
        const auto part = Play(frames);
        out.insert(out.end(), part.begin(), part.end());
        for (std::uint32_t left = frames; left > 0;) {   // the mixer's blocks
            const std::uint32_t block = std::min(left, 441u);
            left -= block;
            std::vector<float> mix(block * 2u, 0.0f);
            std::vector<float> converted(block * 2u);
            for (PlainVoice& voice : plain) {
                if (!voice.converter) {
                    for (std::uint32_t f = 0; f < block; ++f) {
                        float l, r;
                        voice.Next(&l, &r);
                        mix[f * 2] += l;
                        mix[f * 2 + 1] += r;
                    }
                    continue;
                }
                voice.converter->Produce(converted.data(), block, [&](float* to, std::uint32_t count) {
                    for (std::uint32_t f = 0; f < count; ++f) voice.Next(&to[f * 2], &to[f * 2 + 1]);
                    return count;
                });
                for (std::size_t i = 0; i < mix.size(); ++i) mix[i] += converted[i];
            }
            for (float value : mix) {
                const float scaled = std::nearbyint(value * 32768.0f);
                expected.push_back(static_cast<std::int16_t>(std::clamp(scaled, -32768.0f, 32767.0f)));
            }
        }
    }
    ASSERT_EQ(out.size(), expected.size());
    const auto loud = std::count_if(out.begin(), out.end(), [](std::int16_t s) { return s == 32767 || s == -32768; });
    EXPECT_GT(loud, 0);                                        // the clip is reached,
    EXPECT_LT(static_cast<std::size_t>(loud), out.size() / 4);   // but most samples are sums
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (out[i] != expected[i]) {
            ADD_FAILURE() << "first difference at sample " << i << ": " << out[i] << " for " << expected[i];
            break;
        }
    }
    for (IXAudio2SourceVoice* voice : voices) voice->DestroyVoice();
}

TEST_F(XAudio2Test, FlushDropsPendingBuffersAndKeepsTheOnePlaying)
{
    const auto a = StereoRamp(600, 1);
    const auto b = StereoRamp(600, 2);
    Recorder recorder;
    IXAudio2SourceVoice* voice = Voice(Pcm(2, 44100, 16), &recorder);
    int contexts[2] = {};
    ASSERT_EQ(Submit(voice, a, &contexts[0]), S_OK);
    ASSERT_EQ(Submit(voice, b, &contexts[1]), S_OK);
    ASSERT_EQ(voice->Start(0, 0), S_OK);
    auto out = Play(300);
    ASSERT_EQ(voice->FlushSourceBuffers(), S_OK);
    XAUDIO2_VOICE_STATE state{};
    voice->GetState(&state);
    EXPECT_EQ(state.BuffersQueued, 1u);
    const auto rest = Play(600);
    out.insert(out.end(), rest.begin(), rest.end());
    EXPECT_EQ(Slice(out, 0, 600), a);
    EXPECT_EQ(Slice(out, 600, 900), std::vector<std::int16_t>(600, 0));
    EXPECT_EQ(recorder.ends, (std::vector<void*>{&contexts[1], &contexts[0]}));
    voice->DestroyVoice();
}

TEST_F(XAudio2Test, RefusesFormatsTheMixerCannotPlay)
{
    struct Case {
        const char* name;
        WAVEFORMATEX format;
    };
    auto with = [](WAVEFORMATEX format, auto change) {
        change(format);
        return format;
    };
    const Case cases[] = {
        {"tag", with(Pcm(2, 44100, 16), [](WAVEFORMATEX& f) { f.wFormatTag = 3; })},
        {"no channels", with(Pcm(1, 44100, 16), [](WAVEFORMATEX& f) { f.nChannels = 0; })},
        {"nine channels", Pcm(9, 44100, 16)},
        {"24 bits", Pcm(2, 44100, 24)},
        {"block alignment", with(Pcm(2, 44100, 16), [](WAVEFORMATEX& f) { f.nBlockAlign = 2; })},
        {"rate too low", Pcm(2, 999, 16)},
        {"rate too high", Pcm(2, 200001, 16)},
    };
    for (const Case& c : cases) {
        IXAudio2SourceVoice* voice = nullptr;
        EXPECT_LT(m_Engine->CreateSourceVoice(&voice, &c.format, 0, 2.0f, nullptr, nullptr, nullptr), 0) << c.name;
        EXPECT_EQ(voice, nullptr) << c.name;
    }
    for (const WAVEFORMATEX& good : {Pcm(8, 1000, 8), Pcm(6, 200000, 16)}) {
        IXAudio2SourceVoice* voice = Voice(good);
        ASSERT_NE(voice, nullptr);
        voice->DestroyVoice();
    }
    EXPECT_EQ(platform::XAudio2Objects().sourceVoices, 0);
}

TEST_F(XAudio2Test, SubmitChecksItsBufferAndFaults)
{
    const auto ramp = StereoRamp(100, 1);
    IXAudio2SourceVoice* voice = Voice(Pcm(2, 44100, 16));
    XAUDIO2_BUFFER buffer = BufferOf(ramp);
    buffer.AudioBytes = 3;   // not whole frames
    EXPECT_EQ(voice->SubmitSourceBuffer(&buffer), E_INVALIDARG);
    buffer = BufferOf(ramp);
    buffer.PlayBegin = 100;
    EXPECT_EQ(voice->SubmitSourceBuffer(&buffer), E_INVALIDARG);
    buffer = BufferOf(ramp);
    buffer.LoopCount = 1;
    buffer.LoopBegin = 50;
    buffer.LoopLength = 51;
    EXPECT_EQ(voice->SubmitSourceBuffer(&buffer), E_INVALIDARG);
    EXPECT_EQ(voice->SubmitSourceBuffer(nullptr), E_INVALIDARG);

    platform::XAudio2Faults faults;
    faults.submitSourceBuffer = E_OUTOFMEMORY;
    faults.start = E_FAIL;
    platform::SetXAudio2Faults(faults);
    EXPECT_EQ(Submit(voice, ramp), E_OUTOFMEMORY);
    EXPECT_EQ(voice->Start(0, 0), E_FAIL);
    const auto sources = Mixer::Instance().Sources();
    ASSERT_EQ(sources.size(), 1u);
    EXPECT_FALSE(sources[0].started);
    EXPECT_EQ(sources[0].buffersQueued, 0u);
    voice->DestroyVoice();
}

TEST_F(XAudio2Test, DestroyVoiceWaitsForARunningCallbackAndNoneFollows)
{
    const auto ramp = StereoRamp(200, 1);
    Recorder recorder;
    IXAudio2SourceVoice* voice = Voice(Pcm(2, 44100, 16), &recorder);
    std::promise<void> entered;
    std::promise<void> release;
    std::atomic<bool> destroyed{false};
    std::atomic<bool> destroyedWhileRunning{false};
    recorder.onEnd = [&] {
        if (recorder.EndCount() != 1) return;
        entered.set_value();
        release.get_future().wait();
        destroyedWhileRunning = destroyed.load();
    };
    ASSERT_EQ(Submit(voice, ramp), S_OK);
    ASSERT_EQ(Submit(voice, ramp), S_OK);
    ASSERT_EQ(voice->Start(0, 0), S_OK);
    std::thread mixing([&] { Mixer::Instance().Advance(441); });   // both buffers end in this block
    entered.get_future().wait();
    std::thread destroying([&] {
        voice->DestroyVoice();
        destroyed = true;
    });
    while (Mixer::Instance().SourceCount() != 0) std::this_thread::yield();   // now waiting
    release.set_value();
    destroying.join();
    mixing.join();
    EXPECT_FALSE(destroyedWhileRunning);
    EXPECT_EQ(recorder.EndCount(), 1);   // the second buffer's end never came
    Play(441);
    EXPECT_EQ(recorder.EndCount(), 1);
}

TEST_F(XAudio2Test, DestroyVoiceFromItsOwnCallbackIsRefused)
{
    const auto ramp = StereoRamp(100, 1);
    Recorder recorder;
    IXAudio2SourceVoice* voice = Voice(Pcm(2, 44100, 16), &recorder);
    recorder.onEnd = [&] { voice->DestroyVoice(); };
    ASSERT_EQ(Submit(voice, ramp), S_OK);
    ASSERT_EQ(voice->Start(0, 0), S_OK);
    Play(441);
    EXPECT_EQ(Mixer::Instance().SourceCount(), 1u);
    recorder.onEnd = nullptr;
    voice->DestroyVoice();
}

// The waiter's thread of a refill loop: counts wake-ups, ends on a stop flag.
struct Waiter {
    HANDLE event = nullptr;
    std::atomic<int> wakes{0};
    std::atomic<bool> stop{false};
};

DWORD WaitLoop(LPVOID parameter)
{
    auto* waiter = static_cast<Waiter*>(parameter);
    while (WaitForSingleObject(waiter->event, INFINITE) == WAIT_OBJECT_0 && !waiter->stop) ++waiter->wakes;
    return 0;
}

TEST_F(XAudio2Test, SettleWaitsUntilTheWokenThreadWaitsAgain)
{
    Waiter waiter;
    waiter.event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    HANDLE thread = CreateThread(nullptr, 0, &WaitLoop, &waiter, 0, nullptr);
    const auto ramp = StereoRamp(100, 1);
    Recorder recorder;
    recorder.endEvent = waiter.event;
    IXAudio2SourceVoice* voice = Voice(Pcm(2, 44100, 16), &recorder);
    for (int round = 1; round <= 3; ++round) {
        ASSERT_EQ(Submit(voice, ramp), S_OK);
        ASSERT_EQ(voice->Start(0, 0), S_OK);
        platform::MarkEventSettle();
        Mixer::Instance().Advance(441);
        ASSERT_TRUE(platform::SettleEvents(60000));
        EXPECT_EQ(waiter.wakes.load(), round);
    }
    voice->DestroyVoice();
    waiter.stop = true;
    SetEvent(waiter.event);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    CloseHandle(waiter.event);
    Mixer::Instance().TakeCaptured();
}

class XAudio2DeviceTest : public XAudio2Test {
protected:
    void SetUp() override {}
};

// A smoke test of the real-time sinks: a fifth of a second ends in well under the time-out.
TEST_F(XAudio2DeviceTest, SdlSinkAndItsFallbackPlayInRealTime)
{
    const char* saved = std::getenv("SDL_AUDIODRIVER");
    const std::string driver = saved ? saved : "";
    for (const char* name : {"dummy", "no-such-driver"}) {
        setenv("SDL_AUDIODRIVER", name, 1);
        Open(platform::AudioSink::Sdl);
        EXPECT_EQ(Mixer::Instance().ActiveSink(),
                  std::string(name) == "dummy" ? platform::AudioSink::Sdl : platform::AudioSink::Null);
        const auto ramp = StereoRamp(8820, 1);
        Recorder recorder;
        recorder.endEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        IXAudio2SourceVoice* voice = Voice(Pcm(2, 44100, 16), &recorder);
        ASSERT_EQ(Submit(voice, ramp), S_OK);
        ASSERT_EQ(voice->Start(0, 0), S_OK);
        EXPECT_EQ(WaitForSingleObject(recorder.endEvent, 30000), WAIT_OBJECT_0) << name;
        voice->DestroyVoice();
        CloseHandle(recorder.endEvent);
        Close();
    }
    if (saved) {
        setenv("SDL_AUDIODRIVER", driver.c_str(), 1);
    } else {
        unsetenv("SDL_AUDIODRIVER");
    }
}

}  // namespace
