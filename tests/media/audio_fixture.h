// Shared fixture of the XAudio2 buffer and player tests: the XAudio2 back end opened on the
// capture sink, ramp sounds whose every sample names its frame, a pump that advances the
// mixer in small steps and, after each, waits until the refill threads wait again, and a
// loader that ends early or holds a read until the test lets it go.
#pragma once

#include "media_fixture.h"

#include "media/sound_devices.h"
#include "media/sound_loader_base.h"
#include "platform/audio/mixer.h"
#include "platform/win32/sync.h"
#include "platform/xaudio2/xaudio2.h"

#include <algorithm>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

class AudioTest : public MediaTest {
protected:
    static constexpr std::uint32_t kRate = 44100;

    void SetUp() override
    {
        MediaTest::SetUp();
        platform::Mixer::Instance().SetSink(platform::AudioSink::Capture);
        ASSERT_TRUE(InitAudioDevice(m_Use3D));
        platform::Mixer::Instance().TakeCaptured();
    }
    void TearDown() override
    {
        AudioShutdownDevice();
        platform::SetXAudio2Faults({});
        platform::Mixer::Instance().TakeCaptured();
        const platform::XAudio2Census census = platform::XAudio2Objects();
        EXPECT_EQ(census.engines + census.masteringVoices + census.sourceVoices, 0);
        MediaTest::TearDown();
    }

    // A 16-bit WAV whose samples are the frame index mod 32768 on every channel.
    void WriteRamp(const std::string& name, std::uint32_t frames, std::uint16_t channels = 2,
                   std::uint32_t rate = kRate)
    {
        Write(name, BuildTestPcmWav(channels, rate, 16, TestPcm16Bytes(TestRamp(frames, channels))));
    }

    // Mixes `frames` frames in steps of `step`, letting the refill threads catch up after each.
    void Pump(std::uint32_t frames, std::uint32_t step = 441)
    {
        while (frames > 0) {
            const std::uint32_t now = std::min(frames, step);
            platform::MarkEventSettle();
            platform::Mixer::Instance().Advance(now);
            ASSERT_TRUE(platform::SettleEvents(60000));
            frames -= now;
        }
    }

    // The left channel of everything mixed since the last call.
    static std::vector<std::int32_t> TakeLeft()
    {
        const std::vector<std::int16_t> captured = platform::Mixer::Instance().TakeCaptured();
        std::vector<std::int32_t> left;
        for (std::size_t i = 0; i + 1 < captured.size(); i += 2) left.push_back(captured[i]);
        return left;
    }
    static std::vector<std::int16_t> TakeStereo() { return platform::Mixer::Instance().TakeCaptured(); }

    // The ramp's values from frame `from` up to `to` (not included), appended.
    static void AppendRamp(std::vector<std::int32_t>& out, std::uint64_t from, std::uint64_t to)
    {
        for (std::uint64_t frame = from; frame < to; ++frame) out.push_back(static_cast<std::int32_t>(frame % 32768));
    }

    // The first frame where the two differ, or -1 (the shorter is padded with silence).
    static long long FirstDifference(const std::vector<std::int32_t>& got, const std::vector<std::int32_t>& want)
    {
        const std::size_t count = std::max(got.size(), want.size());
        for (std::size_t i = 0; i < count; ++i) {
            const std::int32_t a = i < got.size() ? got[i] : 0;
            const std::int32_t b = i < want.size() ? want[i] : 0;
            if (a != b) return static_cast<long long>(i);
        }
        return -1;
    }

    static platform::MixSourceInfo OnlySource()
    {
        const std::vector<platform::MixSourceInfo> sources = platform::Mixer::Instance().Sources();
        EXPECT_EQ(sources.size(), 1u);
        return sources.empty() ? platform::MixSourceInfo{} : sources[0];
    }
    static int SourceVoices() { return platform::XAudio2Objects().sourceVoices; }

    BYTE m_Use3D = 0;
};

// A PCM source of 44.1 kHz stereo ramp frames that announces `announced` frames but delivers
// only `delivered`; a read can be held inside the loader until the test lets it go.
class ShortLoader : public GxSoundLoaderBase {
public:
    ShortLoader(std::uint64_t announced, std::uint64_t delivered) : m_Announced(announced), m_Delivered(delivered)
    {
        m_Format.wFormatTag = WAVE_FORMAT_PCM;
        m_Format.nChannels = 2;
        m_Format.nSamplesPerSec = 44100;
        m_Format.wBitsPerSample = 16;
        m_Format.nBlockAlign = 4;
        m_Format.nAvgBytesPerSec = 44100 * 4;
    }
    bool IsOpen() const override { return true; }
    bool Read(void* destination, std::uint32_t bytes, std::uint32_t* bytesRead) override
    {
        {
            std::unique_lock<std::mutex> lock(m_Mutex);
            ++m_ReadsStarted;
            m_Changed.notify_all();
            m_Changed.wait(lock, [this] { return !m_Hold; });
        }
        auto* out = static_cast<std::int16_t*>(destination);
        std::uint32_t frames = 0;
        while (frames < bytes / 4 && m_Frame < m_Delivered) {
            out[frames * 2] = out[frames * 2 + 1] = static_cast<std::int16_t>(m_Frame % 32768);
            ++m_Frame;
            ++frames;
        }
        if (bytesRead) *bytesRead = frames * 4;
        std::lock_guard<std::mutex> lock(m_Mutex);
        ++m_ReadsFinished;
        return true;
    }
    bool Seek(std::uint64_t frame) override
    {
        if (failSeek) return false;
        m_Frame = frame;
        return true;
    }
    std::uint64_t Tell() override { return m_Frame; }
    bool IsEnd() const override { return false; }   // it never admits the early end
    const WAVEFORMATEX* GetFormat() const override { return &m_Format; }
    std::uint64_t GetLength() const override { return m_Announced; }
    std::uint64_t GetTotalBytes() const override { return m_Announced * 4; }
    void SetLoopStart(std::uint64_t frame) override { m_LoopStart = frame; }
    std::uint64_t GetLoopStart() const override { return m_LoopStart; }
    std::uint64_t GetLoopEnd() const override { return m_Announced; }
    std::uint64_t GetDurationMs() const override { return m_Announced * 1000 / 44100; }

    bool failSeek = false;

    void Hold()
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Hold = true;
    }
    void Release()
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Hold = false;
        m_Changed.notify_all();
    }
    void WaitForReads(int count)
    {
        std::unique_lock<std::mutex> lock(m_Mutex);
        m_Changed.wait(lock, [&] { return m_ReadsStarted >= count; });
    }
    int ReadsStarted()
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_ReadsStarted;
    }
    int ReadsFinished()
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        return m_ReadsFinished;
    }

private:
    std::uint64_t m_Announced;
    std::uint64_t m_Delivered;
    std::uint64_t m_Frame = 0;
    std::uint64_t m_LoopStart = 0;
    alignas(8) WAVEFORMATEX m_Format{};
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    bool m_Hold = false;
    int m_ReadsStarted = 0;
    int m_ReadsFinished = 0;
};
