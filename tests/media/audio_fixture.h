// Shared fixture of the XAudio2 buffer and player tests: the XAudio2 back end opened on the
// capture sink, ramp sounds whose every sample names its frame, and a pump that advances the
// mixer in small steps and, after each, waits until the refill threads wait again.
#pragma once

#include "media_fixture.h"

#include "media/sound_devices.h"
#include "platform/audio/mixer.h"
#include "platform/win32/sync.h"
#include "platform/xaudio2/xaudio2.h"

#include <algorithm>
#include <cstdint>
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
