// Shared set-up of the window and message tests: a headless SDL, a private lock folder, a
// recording window procedure, and helpers that push SDL events and pump them as the engine does.
#pragma once

#include "platform/win32/file.h"
#include "platform/win32/message.h"
#include "platform/win32/mouse.h"
#include "platform/win32/window.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace usertest {

struct Received {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Every message any recording procedure saw, in order.
inline std::vector<Received>& Log()
{
    static std::vector<Received> log;
    return log;
}

inline LRESULT RecordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Log().push_back({window, message, wParam, lParam});
    return DefWindowProcW(window, message, wParam, lParam);
}

// The messages of one kind the procedures saw.
inline std::vector<Received> Seen(UINT message)
{
    std::vector<Received> out;
    for (const Received& r : Log())
        if (r.message == message) out.push_back(r);
    return out;
}

inline std::vector<UINT> SeenMessages(std::initializer_list<UINT> only)
{
    std::vector<UINT> out;
    for (const Received& r : Log())
        for (UINT m : only)
            if (r.message == m) out.push_back(m);
    return out;
}

class UserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        char folder[] = "/tmp/tw-user-test-XXXXXX";
        ASSERT_NE(mkdtemp(folder), nullptr);
        m_LockFolder = folder;
        platform::SetWindowLockFolder(m_LockFolder);
        platform::ResetUserStateForTesting();
        Log().clear();
    }

    void TearDown() override
    {
        platform::ResetUserStateForTesting();
        Log().clear();
        std::filesystem::remove_all(m_LockFolder);
    }

    // The main window as the engine makes it: class styles without double clicks, the windowed
    // style, the size grown by the frame metrics, clamped and centred.
    HWND CreateMainWindow(const char16_t* title = u"Tarnwick Test", int width = 800, int height = 600,
                          UINT classStyle = CS_HREDRAW | CS_VREDRAW)
    {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.style = classStyle;
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = title;
        if (!RegisterClassExW(&windowClass)) return nullptr;
        int outerWidth = width + GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXFIXEDFRAME) + GetSystemMetrics(SM_CXBORDER);
        int outerHeight = height + GetSystemMetrics(SM_CYEDGE) + GetSystemMetrics(SM_CYFIXEDFRAME) +
                          GetSystemMetrics(SM_CYBORDER) + GetSystemMetrics(SM_CYCAPTION);
        outerWidth = std::min(outerWidth, GetSystemMetrics(SM_CXSCREEN));
        outerHeight = std::min(outerHeight, GetSystemMetrics(SM_CYSCREEN));
        int x = std::max(0, GetSystemMetrics(SM_CXSCREEN) / 2 - outerWidth / 2);
        int y = std::max(0, GetSystemMetrics(SM_CYSCREEN) / 2 - outerHeight / 2);
        return CreateWindowExW(0, title, title, 0x80CA0000u, x, y, outerWidth, outerHeight, nullptr, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    }

    // One pass of the engine's pump: peek without removing, get, translate, dispatch; stops
    // at the quit message. Returns whether the quit message came.
    static bool Pump()
    {
        MSG msg{};
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) {
            bool quit = GetMessageW(&msg, nullptr, 0, 0) == 0;
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            if (quit) return true;
        }
        return false;
    }

    static unsigned int SdlId(HWND window) { return SDL_GetWindowID(platform::GetSdlWindow(window)); }

    static void PushWindowEvent(HWND window, Uint8 kind, int data1 = 0, int data2 = 0)
    {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = SdlId(window);
        e.window.event = kind;
        e.window.data1 = data1;
        e.window.data2 = data2;
        SDL_PushEvent(&e);
    }

    static void PushMotion(HWND window, int x, int y)
    {
        SDL_Event e{};
        e.type = SDL_MOUSEMOTION;
        e.motion.windowID = SdlId(window);
        e.motion.x = x;
        e.motion.y = y;
        SDL_PushEvent(&e);
    }

    static void PushButton(HWND window, bool down, Uint8 button, int x, int y, Uint8 clicks = 1)
    {
        SDL_Event e{};
        e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
        e.button.windowID = SdlId(window);
        e.button.button = button;
        e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.button.clicks = clicks;
        e.button.x = x;
        e.button.y = y;
        SDL_PushEvent(&e);
    }

    static void PushKey(HWND window, bool down, SDL_Scancode scancode, SDL_Keycode sym = 0, bool repeat = false)
    {
        SDL_Event e{};
        e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
        e.key.windowID = SdlId(window);
        e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat ? 1 : 0;
        e.key.keysym.scancode = scancode;
        e.key.keysym.sym = sym ? sym : SDL_GetKeyFromScancode(scancode);
        SDL_PushEvent(&e);
    }

    std::string m_LockFolder;
};

}  // namespace usertest
