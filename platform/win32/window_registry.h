// The user layer's own records of window classes and windows (internal to platform/win32).
//
// The table itself is guarded by a mutex so that any thread may look a handle up (PostMessageW);
// the fields of a window record are read and changed on the window thread only.
#pragma once

#include "platform/win32/user_log.h"
#include "platform/win32/window.h"

#include <memory>
#include <string>
#include <vector>

struct SDL_Window;

namespace platform {

struct WindowClassRecord {
    ATOM atom = 0;
    std::u16string name;
    std::u16string key;   // name with ASCII letters lowered
    UINT style = 0;
    WNDPROC procedure = nullptr;
    HINSTANCE instance = nullptr;
    HCURSOR cursor = nullptr;
    HBRUSH background = nullptr;
    int windowCount = 0;
};

struct WindowRecord {
    HWND handle = nullptr;
    std::shared_ptr<WindowClassRecord> windowClass;
    WNDPROC procedure = nullptr;
    DWORD style = 0;
    DWORD exStyle = 0;
    std::u16string title;
    SDL_Window* sdlWindow = nullptr;   // owned; destroyed with the record
    unsigned int sdlId = 0;
    int x = 0, y = 0, width = 0, height = 0;   // client area in screen coordinates
    bool visible = false;
    bool minimized = false;
    bool needsPaint = false;     // invalid until validated
    bool paintOffered = false;   // WM_PAINT already handed out for this invalidation
    bool erase = false;
    bool pointerInside = false;
    bool destroying = false;
    std::u16string paintedText;
};

std::u16string LowerAscii(std::u16string text);
std::u16string ToUtf16(const char* utf8);
std::string ToUtf8(const std::u16string& text);

std::shared_ptr<WindowRecord> FindWindowRecord(HWND window);
std::vector<std::shared_ptr<WindowRecord>> AllWindowRecords();

// Activation: the one window among ours that has the focus. With `send` the WM_ACTIVATE
// messages are sent at once (ShowWindow), else posted (focus events from the pump).
HWND ActiveWindowState();
void ActivateWindow(HWND window, bool send);
void DeactivateWindow(HWND window, bool send);

// Posts a message made by the pump. False (and a log line) when the queue is full.
bool PostInputMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Drops every queued message (for tests).
void ClearMessageQueue();
// Mouse and capture state (for tests and for a destroyed window).
void ResetMouseState();
void ForgetCaptureOf(HWND window);
void ResetCursorState();

}  // namespace platform

namespace platform {

// The pointer as the pump last saw it: the window under it (or holding the capture) and the
// client point there; and the buttons held.
void RecordPointer(HWND window, int clientX, int clientY);
void SetMouseButton(WORD button, bool down);

}  // namespace platform
