// Shared set-up of the GxInput tests: a headless active window, the device log in a temporary
// file, error lines kept from the log listener, and helpers that push SDL input (keys, mouse) and
// drive SDL virtual joysticks as pads.
#pragma once

#include "core/input.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"
#include "platform/dinput/dinput.h"
#include "platform/win32/message.h"
#include "platform/win32/window.h"
#include "tests/support/temp_dir.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace inputtest {

inline LRESULT PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

class ErrorLines : public GxDebugListenerBase {
public:
    int Output(const char16_t* text, std::int32_t level) override
    {
        if (level == kLevelError) m_Lines.push_back(WideToUtf8(text));
        return 0;
    }
    std::vector<std::string> m_Lines;
};

// The SDL value that the pad layer scales to `value` in the range -1000..1000.
inline Sint16 SdlAxis(int value)
{
    return static_cast<Sint16>(std::lround((value + 1000) * 65535.0 / 2000.0) - 32768);
}

class InputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        platform::ResetUserStateForTesting();
        platform::SetDirectInputFaults({});
        // Joysticks up before the pads are attached, so that start-up finds them.
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER), 0) << SDL_GetError();
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = PlainProc;
        windowClass.lpszClassName = u"GxInputTest";
        ASSERT_NE(RegisterClassExW(&windowClass), 0);
        m_Window = CreateWindowExW(0, u"GxInputTest", u"GxInputTest", WS_POPUP, 0, 0, 320, 240, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_Window, nullptr);
        ShowWindow(m_Window, SW_SHOW);
        LogSetDeviceFile(Utf8ToWide(m_LogPath.string()).c_str());
        LogSetSink(&m_Errors);
    }

    void TearDown() override
    {
        GxInput::ReleaseDevices();
        for (SDL_Joystick* j : m_Pads) SDL_JoystickClose(j);
        for (int index = SDL_NumJoysticks() - 1; index >= 0; --index)
            if (SDL_JoystickIsVirtual(index)) SDL_JoystickDetachVirtual(index);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        LogSetSink(nullptr);
        LogSetDeviceFile(u"");
        platform::SetDirectInputFaults({});
        platform::ResetUserStateForTesting();
    }

    // Start-up as the engine does it, then the activation the window reports.
    void Start()
    {
        ASSERT_TRUE(InitDirectInput(m_Window));
        GxInput::OnActivate(true);
    }

    // A virtual joystick read as a plain pad: lX, lY, lZ, lRx, lRy, lRz, 16 buttons, 2 hats.
    SDL_Joystick* AttachPad()
    {
        int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_UNKNOWN, 6, 16, 2);
        EXPECT_GE(index, 0) << SDL_GetError();
        SDL_Joystick* joystick = SDL_JoystickOpen(index);
        EXPECT_NE(joystick, nullptr) << SDL_GetError();
        m_Pads.push_back(joystick);
        return joystick;
    }

    static void PushKey(bool down, SDL_Scancode scancode)
    {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.scancode = scancode;
        SDL_PushEvent(&e);
    }

    // The window gains or loses the focus, as the message pump sees it.
    void PushFocus(bool gained)
    {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = SDL_GetWindowID(platform::GetSdlWindow(m_Window));
        e.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
        SDL_PushEvent(&e);
        MSG msg{};
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }

    // The device log as written (the file turns "\n" into "\r\n").
    std::u16string DeviceLog() const
    {
        std::ifstream in(m_LogPath, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        std::size_t start = (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') ? 2 : 0;
        std::u16string text;
        for (std::size_t i = start; i + 1 < bytes.size(); i += 2)
            text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                                 (static_cast<unsigned char>(bytes[i + 1]) << 8)));
        return text;
    }

    static GxInputDeviceState& Record(std::int32_t n) { return *GxInput::GetDeviceState(n); }
    static GxInputDeviceState& Actions() { return *GxInput::GetActionState(); }

    HWND m_Window = nullptr;
    TestTempDir m_Temp{"tw_input"};
    std::filesystem::path m_LogPath = m_Temp.Join("device.log");
    ErrorLines m_Errors;
    std::vector<SDL_Joystick*> m_Pads;
};

}  // namespace inputtest
