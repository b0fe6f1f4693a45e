// Shared set-up of the DirectInput tests: a headless SDL, an active window for the foreground
// cooperative level, a DirectInput object, and helpers to push SDL input events.
#pragma once

#include "platform/dinput/dinput.h"
#include "platform/win32/message.h"
#include "platform/win32/window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

namespace dinputtest {

inline LRESULT PlainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return DefWindowProcW(window, message, wParam, lParam);
}

class DirectInputTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        platform::ResetUserStateForTesting();
        platform::SetDirectInputFaults({});
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = PlainProc;
        windowClass.lpszClassName = u"InputTest";
        ASSERT_NE(RegisterClassExW(&windowClass), 0);
        m_Window = CreateWindowExW(0, u"InputTest", u"InputTest", WS_POPUP, 0, 0, 320, 240, nullptr, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(m_Window, nullptr);
        ShowWindow(m_Window, SW_SHOW);   // active: foreground devices may be acquired
        void* object = nullptr;
        ASSERT_EQ(DirectInput8Create(GetModuleHandleW(nullptr), DIRECTINPUT_VERSION, IID_IDirectInput8W, &object,
                                     nullptr),
                  DI_OK);
        m_Input = static_cast<IDirectInput8W*>(object);
    }

    void TearDown() override
    {
        if (m_Input) m_Input->Release();
        platform::SetDirectInputFaults({});
        platform::ResetUserStateForTesting();
    }

    // A device made ready as the engine does it: data format, non-exclusive foreground, acquired.
    IDirectInputDevice8W* OpenDevice(REFGUID guid, const DIDATAFORMAT& format)
    {
        IDirectInputDevice8W* device = nullptr;
        EXPECT_EQ(m_Input->CreateDevice(guid, &device, nullptr), DI_OK);
        if (!device) return nullptr;
        EXPECT_EQ(device->SetDataFormat(&format), DI_OK);
        EXPECT_EQ(device->SetCooperativeLevel(m_Window, DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
        EXPECT_EQ(device->Acquire(), DI_OK);
        return device;
    }

    // The window's messages as the pump sees them (focus changes take effect here).
    static void Pump()
    {
        MSG msg{};
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }

    void PushFocus(bool gained)
    {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = SDL_GetWindowID(platform::GetSdlWindow(m_Window));
        e.window.event = gained ? SDL_WINDOWEVENT_FOCUS_GAINED : SDL_WINDOWEVENT_FOCUS_LOST;
        SDL_PushEvent(&e);
        Pump();
    }

    static void PushKey(bool down, SDL_Scancode scancode)
    {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.keysym.scancode = scancode;
        SDL_PushEvent(&e);
    }

    IDirectInput8W* m_Input = nullptr;
    HWND m_Window = nullptr;
};

// Releases a COM object at the end of a scope.
template <class T>
struct Released {
    T* object;
    ~Released()
    {
        if (object) object->Release();
    }
    T* operator->() const { return object; }
};

}  // namespace dinputtest
