// Shared fixture of the DirectSound buffer, player and channel tests: both back ends opened on
// the capture sink (the XAudio2 one by AudioTest), DirectSound on a hidden window, with the
// ramp sounds and the settling pump of AudioTest.
#pragma once

#include "audio_fixture.h"

#include "platform/dsound/dsound.h"
#include "platform/win32/window.h"

#include <cstdlib>

class SoundTest : public AudioTest {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        AudioTest::SetUp();
        platform::ResetUserStateForTesting();
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
            return DefWindowProcW(window, message, wParam, lParam);
        };
        windowClass.lpszClassName = u"SoundTest";
        ASSERT_NE(RegisterClassExW(&windowClass), 0);
        m_Window = CreateWindowExW(0, u"SoundTest", u"SoundTest", WS_POPUP, 0, 0, 320, 240, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_Window, nullptr);
        ASSERT_TRUE(SoundInitDevice(m_Window, m_SoundUse3D));
        platform::ResetDirectSoundCallCounts();
        platform::Mixer::Instance().TakeCaptured();
        TakeLog();
    }
    void TearDown() override
    {
        SoundShutdownDevice();
        // The XAudio2 cache outlives its device: its last-use times must not reach the next test.
        GetAudioDeviceState().m_Cache.Clear();
        platform::SetDirectSoundFaults({});
        EXPECT_EQ(platform::DirectSoundObjects().secondaryBuffers, 0);
        platform::ResetUserStateForTesting();
        AudioTest::TearDown();
    }

    // A WAV of 8-bit samples: the frame index mod 256 on every channel.
    void WriteRamp8(const std::string& name, std::uint32_t frames, std::uint16_t channels, std::uint32_t rate)
    {
        SoundBytes pcm;
        for (std::uint32_t frame = 0; frame < frames; ++frame)
            for (std::uint16_t channel = 0; channel < channels; ++channel) pcm.push_back(static_cast<BYTE>(frame));
        Write(name, BuildTestPcmWav(channels, rate, 8, pcm));
    }

    static int SetVolumeCalls() { return platform::DirectSoundCallCounts().setVolume; }

    HWND m_Window = nullptr;
    BYTE m_SoundUse3D = 0;
};
