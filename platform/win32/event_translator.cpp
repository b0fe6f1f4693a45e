#include "platform/win32/event_translator.h"

#include "platform/win32/keyboard.h"
#include "platform/win32/message.h"
#include "platform/win32/mouse.h"
#include "platform/win32/window_registry.h"

#include <SDL.h>

#include <algorithm>
#include <climits>

namespace {

using platform::PostInputMessage;

short ClampShort(long value) { return static_cast<short>(std::clamp<long>(value, SHRT_MIN, SHRT_MAX)); }

LPARAM PointLParam(POINT point)
{
    return MAKELPARAM(static_cast<WORD>(ClampShort(point.x)), static_cast<WORD>(ClampShort(point.y)));
}

WORD KeyStateWord()
{
    WORD keys = platform::MouseButtonState();
    if (platform::IsVirtualKeyDown(VK_SHIFT)) keys |= MK_SHIFT;
    if (platform::IsVirtualKeyDown(VK_CONTROL)) keys |= MK_CONTROL;
    return keys;
}

// The window that gets a mouse event: the capture holder, else the window the event names.
struct MouseTarget {
    std::shared_ptr<platform::WindowRecord> record;
    POINT client{};
    bool captured = false;
    bool inside = false;
};

MouseTarget FindMouseTarget(unsigned int sdlWindowId, int x, int y)
{
    MouseTarget target;
    HWND eventWindow = platform::FindWindowBySdlId(sdlWindowId);
    HWND capture = GetCapture();
    HWND window = capture ? capture : eventWindow;
    target.record = platform::FindWindowRecord(window);
    if (!target.record) return target;
    target.captured = capture == window;
    target.client = POINT{x, y};
    if (eventWindow && eventWindow != window) {
        // Reported against another of our windows: go through screen coordinates.
        ClientToScreen(eventWindow, &target.client);
        ScreenToClient(window, &target.client);
    }
    const auto& r = *target.record;
    target.inside = !r.minimized && target.client.x >= 0 && target.client.y >= 0 && target.client.x < r.width &&
                    target.client.y < r.height;
    platform::RecordPointer(window, target.client.x, target.client.y);
    return target;
}

void TranslateWindowEvent(const SDL_WindowEvent& event)
{
    HWND window = platform::FindWindowBySdlId(event.windowID);
    auto record = platform::FindWindowRecord(window);
    if (!record) return;
    switch (event.event) {
    case SDL_WINDOWEVENT_FOCUS_GAINED:
        platform::ActivateWindow(window, false);
        break;
    case SDL_WINDOWEVENT_FOCUS_LOST:
        platform::DeactivateWindow(window, false);
        break;
    case SDL_WINDOWEVENT_CLOSE:
        PostInputMessage(window, WM_CLOSE, 0, 0);
        break;
    case SDL_WINDOWEVENT_MOVED:
        // Our own SetWindowPos already told the window; only outside changes are news.
        if (record->x != event.data1 || record->y != event.data2) {
            record->x = event.data1;
            record->y = event.data2;
            PostInputMessage(window, WM_WINDOWPOSCHANGED, 0, 0);
        }
        break;
    case SDL_WINDOWEVENT_RESIZED:
    case SDL_WINDOWEVENT_SIZE_CHANGED:
        if (record->width != event.data1 || record->height != event.data2) {
            record->width = std::max(event.data1, 0);
            record->height = std::max(event.data2, 0);
            record->needsPaint = true;
            record->paintOffered = false;
            PostInputMessage(window, WM_WINDOWPOSCHANGED, 0, 0);
        }
        break;
    case SDL_WINDOWEVENT_MINIMIZED:
        if (!record->minimized) {
            record->minimized = true;
            PostInputMessage(window, WM_WINDOWPOSCHANGED, 0, 0);
        }
        break;
    case SDL_WINDOWEVENT_MAXIMIZED:
    case SDL_WINDOWEVENT_RESTORED:
        if (record->minimized) {
            record->minimized = false;
            record->needsPaint = true;
            record->paintOffered = false;
            PostInputMessage(window, WM_WINDOWPOSCHANGED, 0, 0);
        }
        break;
    case SDL_WINDOWEVENT_EXPOSED:
        record->needsPaint = true;
        record->paintOffered = false;
        break;
    case SDL_WINDOWEVENT_ENTER:
        record->pointerInside = true;
        break;
    case SDL_WINDOWEVENT_LEAVE:
        record->pointerInside = false;
        break;
    default:
        break;
    }
}

int StateKeyOf(SDL_Scancode scancode, int virtualKey)
{
    switch (scancode) {
    case SDL_SCANCODE_LSHIFT: return VK_LSHIFT;
    case SDL_SCANCODE_RSHIFT: return VK_RSHIFT;
    case SDL_SCANCODE_LCTRL: return VK_LCONTROL;
    case SDL_SCANCODE_RCTRL: return VK_RCONTROL;
    case SDL_SCANCODE_LALT: return VK_LMENU;
    case SDL_SCANCODE_RALT: return VK_RMENU;
    default: return virtualKey;
    }
}

void TranslateKey(const SDL_KeyboardEvent& event)
{
    HWND window = platform::FindWindowBySdlId(event.windowID);
    if (!window) window = GetActiveWindow();
    if (!window) return;
    int virtualKey = platform::VirtualKeyFromSdl(event.keysym.scancode, event.keysym.sym);
    if (virtualKey == 0) return;
    bool down = event.type == SDL_KEYDOWN;
    int stateKey = StateKeyOf(event.keysym.scancode, virtualKey);
    bool wasDown = platform::IsVirtualKeyDown(stateKey) || event.repeat != 0;
    // Alt counts as held for its own press and for its own release.
    bool altBefore = platform::IsVirtualKeyDown(VK_MENU);
    platform::SetVirtualKeyDown(stateKey, down);
    bool alt = (down ? platform::IsVirtualKeyDown(VK_MENU) : altBefore) || (event.keysym.mod & KMOD_ALT);
    bool control = platform::IsVirtualKeyDown(VK_CONTROL) || (event.keysym.mod & KMOD_CTRL);
    bool system = (alt && !control) || virtualKey == VK_F10;

    BYTE scan = platform::ScanCodeFromSdl(event.keysym.scancode);
    DWORD flags = 1u;                                   // repeat count
    flags |= static_cast<DWORD>(scan & 0x7Fu) << 16;   // scan code
    if (scan & 0x80u) flags |= 1u << 24;               // extended key
    if (alt) flags |= 1u << 29;                          // context code
    if (!down || wasDown) flags |= 1u << 30;             // previous key state
    if (!down) flags |= 1u << 31;                        // transition state
    UINT message = down ? (system ? WM_SYSKEYDOWN : WM_KEYDOWN) : (system ? WM_SYSKEYUP : WM_KEYUP);
    PostInputMessage(window, message, static_cast<WPARAM>(virtualKey), static_cast<LPARAM>(flags));
}

void TranslateMotion(const SDL_MouseMotionEvent& event)
{
    MouseTarget target = FindMouseTarget(event.windowID, event.x, event.y);
    if (!target.record || (!target.inside && !target.captured)) return;
    HWND window = target.record->handle;
    if (!target.captured)
        PostInputMessage(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    PostInputMessage(window, WM_MOUSEMOVE, KeyStateWord(), PointLParam(target.client));
}

void TranslateButton(const SDL_MouseButtonEvent& event)
{
    WORD button = 0;
    UINT downMessage = 0, upMessage = 0, doubleMessage = 0;
    switch (event.button) {
    case SDL_BUTTON_LEFT:
        button = MK_LBUTTON, downMessage = WM_LBUTTONDOWN, upMessage = WM_LBUTTONUP, doubleMessage = WM_LBUTTONDBLCLK;
        break;
    case SDL_BUTTON_RIGHT:
        button = MK_RBUTTON, downMessage = WM_RBUTTONDOWN, upMessage = WM_RBUTTONUP, doubleMessage = WM_RBUTTONDBLCLK;
        break;
    case SDL_BUTTON_MIDDLE:
        button = MK_MBUTTON, downMessage = WM_MBUTTONDOWN, upMessage = WM_MBUTTONUP, doubleMessage = WM_MBUTTONDBLCLK;
        break;
    default:
        return;
    }
    bool down = event.type == SDL_MOUSEBUTTONDOWN;
    platform::SetMouseButton(button, down);
    MouseTarget target = FindMouseTarget(event.windowID, event.x, event.y);
    if (!target.record || (!target.inside && !target.captured)) return;
    UINT message = upMessage;
    if (down) {
        // Only a class that asks for double clicks gets them; for any other a second click is a press.
        bool doubleClick = (target.record->windowClass->style & CS_DBLCLKS) && event.clicks >= 2 && event.clicks % 2 == 0;
        message = doubleClick ? doubleMessage : downMessage;
    }
    PostInputMessage(target.record->handle, message, KeyStateWord(), PointLParam(target.client));
}

void TranslateWheel(const SDL_MouseWheelEvent& event)
{
    HWND window = GetCapture();
    if (!window) window = platform::FindWindowBySdlId(event.windowID);
    if (!window) window = GetActiveWindow();
    if (!window || !IsWindow(window)) return;
    int delta = platform::WheelDeltaFromSdl(event.y, event.preciseY, event.direction);
    if (delta == 0) return;
    POINT screen{};
    GetCursorPos(&screen);
    WPARAM wParam = MAKEWPARAM(KeyStateWord(), static_cast<WORD>(ClampShort(delta)));
    PostInputMessage(window, WM_MOUSEWHEEL, wParam, PointLParam(screen));
}

}  // namespace

namespace platform {

void TranslateSdlEvent(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_QUIT: {
        // A quit request from outside (a signal): ask the active (or first shown) window to close.
        HWND window = GetActiveWindow();
        if (!window)
            for (auto& record : AllWindowRecords())
                if (record->visible) {
                    window = record->handle;
                    break;
                }
        if (window) PostInputMessage(window, WM_CLOSE, 0, 0);
        break;
    }
    case SDL_WINDOWEVENT:
        TranslateWindowEvent(event.window);
        break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        TranslateKey(event.key);
        break;
    case SDL_MOUSEMOTION:
        TranslateMotion(event.motion);
        break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
        TranslateButton(event.button);
        break;
    case SDL_MOUSEWHEEL:
        TranslateWheel(event.wheel);
        break;
    case SDL_DROPFILE:
    case SDL_DROPTEXT:
        SDL_free(event.drop.file);   // taken off the queue here, so freed here
        break;
    default:
        break;
    }
}

}  // namespace platform
