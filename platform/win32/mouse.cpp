#include "platform/win32/mouse.h"

#include "platform/win32/message.h"
#include "platform/win32/window_registry.h"

#include <SDL.h>

#include <cmath>
#include <mutex>

namespace {

struct MouseState {
    std::mutex mutex;
    HWND capture = nullptr;
    HWND lastWindow = nullptr;
    POINT lastClient{};
    POINT lastScreen{};
    WORD buttons = 0;
};

MouseState& Mouse()
{
    static MouseState state;
    return state;
}

void CaptureSdlMouse(bool on)
{
    // Not every video driver can capture (the headless one cannot); the state is ours anyway.
    if (SDL_WasInit(SDL_INIT_VIDEO)) SDL_CaptureMouse(on ? SDL_TRUE : SDL_FALSE);
}

}  // namespace

HWND SetCapture(HWND window)
{
    if (!window) {
        ReleaseCapture();
        return nullptr;
    }
    if (!IsWindow(window)) return nullptr;
    HWND previous = nullptr;
    {
        MouseState& mouse = Mouse();
        std::lock_guard<std::mutex> lock(mouse.mutex);
        previous = mouse.capture;
        mouse.capture = window;
    }
    CaptureSdlMouse(true);
    return previous;
}

HWND GetCapture()
{
    MouseState& mouse = Mouse();
    std::lock_guard<std::mutex> lock(mouse.mutex);
    return mouse.capture;
}

BOOL ReleaseCapture()
{
    bool held = false;
    {
        MouseState& mouse = Mouse();
        std::lock_guard<std::mutex> lock(mouse.mutex);
        held = mouse.capture != nullptr;
        mouse.capture = nullptr;
    }
    if (held) CaptureSdlMouse(false);
    return TRUE;
}

BOOL GetCursorPos(POINT* point)
{
    if (!point) return FALSE;
    HWND window = nullptr;
    POINT client{};
    {
        MouseState& mouse = Mouse();
        std::lock_guard<std::mutex> lock(mouse.mutex);
        window = mouse.lastWindow;
        client = mouse.lastClient;
        *point = mouse.lastScreen;
    }
    // Follows the window if it moved since: the client point is what was seen.
    if (auto record = platform::FindWindowRecord(window)) *point = POINT{record->x + client.x, record->y + client.y};
    return TRUE;
}

namespace platform {

WORD MouseButtonState()
{
    MouseState& mouse = Mouse();
    std::lock_guard<std::mutex> lock(mouse.mutex);
    return mouse.buttons;
}

int WheelDeltaFromSdl(int y, float preciseY, unsigned int direction)
{
    double notches = preciseY != 0.0f ? static_cast<double>(preciseY) : static_cast<double>(y);
    if (direction == SDL_MOUSEWHEEL_FLIPPED) notches = -notches;
    return static_cast<int>(std::lround(notches * WHEEL_DELTA));
}

void RecordPointer(HWND window, int clientX, int clientY)
{
    POINT screen{clientX, clientY};
    if (auto record = FindWindowRecord(window)) screen = POINT{record->x + clientX, record->y + clientY};
    MouseState& mouse = Mouse();
    std::lock_guard<std::mutex> lock(mouse.mutex);
    mouse.lastWindow = window;
    mouse.lastClient = POINT{clientX, clientY};
    mouse.lastScreen = screen;
}

void SetMouseButton(WORD button, bool down)
{
    MouseState& mouse = Mouse();
    std::lock_guard<std::mutex> lock(mouse.mutex);
    mouse.buttons = down ? static_cast<WORD>(mouse.buttons | button) : static_cast<WORD>(mouse.buttons & ~button);
}

void ResetMouseState()
{
    MouseState& mouse = Mouse();
    std::lock_guard<std::mutex> lock(mouse.mutex);
    mouse.buttons = 0;
}

void ForgetCaptureOf(HWND window)
{
    if (window && GetCapture() == window) ReleaseCapture();
}

}  // namespace platform
