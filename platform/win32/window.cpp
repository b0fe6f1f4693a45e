#include "platform/win32/window.h"

#include "platform/win32/codepage.h"
#include "platform/win32/cursor.h"
#include "platform/win32/file.h"
#include "platform/win32/instance_lock.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/message.h"
#include "platform/win32/mouse.h"
#include "platform/win32/paint.h"
#include "platform/win32/present_target.h"
#include "platform/win32/window_registry.h"

#include <SDL.h>

#include <algorithm>
#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

namespace {

using platform::WindowClassRecord;
using platform::WindowRecord;

constexpr std::uintptr_t kFirstWindowHandle = 0x10000;
constexpr std::uintptr_t kWindowHandleStep = 0x10;
// Another process's window as FindWindowW reports it: below every handle of ours.
constexpr std::uintptr_t kForeignWindowHandle = 0xF0F0;
constexpr std::uintptr_t kProcessInstance = 0x400000;
constexpr int kDefaultWidth = 640;
constexpr int kDefaultHeight = 480;

struct UserState {
    std::mutex mutex;
    std::map<std::uintptr_t, std::shared_ptr<WindowRecord>> windows;
    std::vector<std::shared_ptr<WindowClassRecord>> classes;
    std::uintptr_t nextHandle = kFirstWindowHandle;
    ATOM nextAtom = 0xC000;
    HWND active = nullptr;
};

UserState& State()
{
    static UserState state;
    return state;
}

std::atomic<unsigned> g_WindowsCreated{0};
std::atomic<unsigned> g_WindowsMapped{0};
std::mutex g_VideoMutex;
std::thread::id g_WindowThread;
bool g_VideoFailureLogged = false;

std::shared_ptr<WindowClassRecord> FindClass(LPCWSTR name)
{
    if (!name) return nullptr;
    UserState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (IS_INTRESOURCE(name)) {
        ATOM atom = static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(name));
        for (auto& c : state.classes)
            if (c->atom == atom) return c;
        return nullptr;
    }
    std::u16string key = platform::LowerAscii(name);
    for (auto& c : state.classes)
        if (c->key == key) return c;
    return nullptr;
}

std::shared_ptr<WindowRecord> RecordOrFail(HWND window)
{
    auto record = platform::FindWindowRecord(window);
    if (!record) SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return record;
}

void Deliver(HWND window, UINT message, WPARAM wParam, LPARAM lParam, bool send)
{
    if (send)
        SendMessageW(window, message, wParam, lParam);
    else
        platform::PostInputMessage(window, message, wParam, lParam);
}

void ShowRecord(WindowRecord& record)
{
    if (record.visible) return;
    record.visible = true;
    record.style |= WS_VISIBLE;
    record.needsPaint = true;
    record.paintOffered = false;
    record.erase = true;
    if (record.sdlWindow) {
        ++g_WindowsMapped;
        SDL_ShowWindow(record.sdlWindow);
    }
}

void ApplyFrame(WindowRecord& record)
{
    if (record.sdlWindow) SDL_SetWindowBordered(record.sdlWindow, (record.style & WS_CAPTION) ? SDL_TRUE : SDL_FALSE);
}

bool SameText(LPCWSTR a, const std::u16string& b)
{
    return platform::LowerAscii(a) == platform::LowerAscii(b);
}

}  // namespace

// --- shared records ---------------------------------------------------------------------------

namespace platform {

std::u16string LowerAscii(std::u16string text)
{
    for (char16_t& unit : text)
        if (unit >= u'A' && unit <= u'Z') unit = static_cast<char16_t>(unit - u'A' + u'a');
    return text;
}

std::u16string ToUtf16(const char* utf8)
{
    if (!utf8 || !*utf8) return {};
    int units = MultiByteToWideChar(CP_UTF8, 0, utf8, -1, nullptr, 0);
    if (units <= 1) return {};
    std::u16string out(static_cast<std::size_t>(units), u'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8, -1, out.data(), units);
    out.resize(static_cast<std::size_t>(units - 1));
    return out;
}

std::string ToUtf8(const std::u16string& text)
{
    if (text.empty()) return {};
    int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr,
                                    nullptr);
    if (bytes <= 0) return {};
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), bytes, nullptr, nullptr);
    return out;
}

std::shared_ptr<WindowRecord> FindWindowRecord(HWND window)
{
    if (!window) return nullptr;
    UserState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    auto it = state.windows.find(reinterpret_cast<std::uintptr_t>(window));
    return it == state.windows.end() ? nullptr : it->second;
}

std::vector<std::shared_ptr<WindowRecord>> AllWindowRecords()
{
    UserState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    std::vector<std::shared_ptr<WindowRecord>> out;
    for (auto& [handle, record] : state.windows) out.push_back(record);
    return out;
}

HWND ActiveWindowState()
{
    UserState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.active;
}

void ActivateWindow(HWND window, bool send)
{
    HWND previous = nullptr;
    {
        UserState& state = State();
        std::lock_guard<std::mutex> lock(state.mutex);
        if (state.active == window || !state.windows.count(reinterpret_cast<std::uintptr_t>(window))) return;
        previous = state.active;
        state.active = window;
    }
    if (previous) {
        ForgetCaptureOf(previous);
        Deliver(previous, WM_ACTIVATE, WA_INACTIVE, reinterpret_cast<LPARAM>(window), send);
    }
    Deliver(window, WM_ACTIVATE, WA_ACTIVE, reinterpret_cast<LPARAM>(previous), send);
}

void DeactivateWindow(HWND window, bool send)
{
    {
        UserState& state = State();
        std::lock_guard<std::mutex> lock(state.mutex);
        if (state.active != window || !window) return;
        state.active = nullptr;
    }
    // Keys and buttons held while the focus leaves are never seen going up.
    ForgetCaptureOf(window);
    ClearVirtualKeyState();
    ResetMouseState();
    // The low word alone: a deactivation is always exactly WA_INACTIVE.
    Deliver(window, WM_ACTIVATE, WA_INACTIVE, 0, send);
}

bool IsWindowThread()
{
    std::lock_guard<std::mutex> lock(g_VideoMutex);
    return g_WindowThread == std::thread::id() || g_WindowThread == std::this_thread::get_id();
}

void LogUserError(const char* format, ...)
{
    char line[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    std::fprintf(stderr, "[platform] %s\n", line);
}

bool EnsureVideo()
{
    std::lock_guard<std::mutex> lock(g_VideoMutex);
    if (SDL_WasInit(SDL_INIT_VIDEO)) return true;
    // Closing the window asks the engine (WM_CLOSE); it never quits SDL by itself.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // The click that activates the window is also a click, as on Windows.
    SDL_SetHint(SDL_HINT_MOUSE_FOCUS_CLICKTHROUGH, "1");
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
        if (!g_VideoFailureLogged) LogUserError("SDL video cannot start: %s", SDL_GetError());
        g_VideoFailureLogged = true;
        return false;
    }
    g_WindowThread = std::this_thread::get_id();
    // No screen-saver or monitor power-off while the engine runs.
    SDL_DisableScreenSaver();
    return true;
}

std::string VideoDriverName()
{
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver ? driver : "";
}

unsigned WindowCreationCount() { return g_WindowsCreated.load(); }

unsigned WindowMapCount() { return g_WindowsMapped.load(); }

SDL_Window* GetSdlWindow(HWND window)
{
    auto record = FindWindowRecord(window);
    return record ? record->sdlWindow : nullptr;
}

HWND FindWindowBySdlId(unsigned int sdlWindowId)
{
    if (sdlWindowId == 0) return nullptr;
    UserState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    for (auto& [handle, record] : state.windows)
        if (record->sdlId == sdlWindowId) return record->handle;
    return nullptr;
}

void SetWindowLockFolder(const std::string& folder) { SetClassLockFolder(folder); }

void ResetUserStateForTesting()
{
    std::vector<std::shared_ptr<WindowRecord>> windows;
    {
        UserState& state = State();
        std::lock_guard<std::mutex> lock(state.mutex);
        for (auto& [handle, record] : state.windows) windows.push_back(record);
        state.windows.clear();
        state.classes.clear();
        state.active = nullptr;
    }
    for (auto& record : windows)
        if (record->sdlWindow) {
            SDL_DestroyWindow(record->sdlWindow);
            record->sdlWindow = nullptr;
        }
    ReleaseAllClassLocks();
    ClearMessageQueue();
    ResetMouseState();
    RecordPointer(nullptr, 0, 0);
    ForgetCaptureOf(GetCapture());
    ClearVirtualKeyState();
    ResetCursorState();
}

}  // namespace platform

// --- modules and classes ------------------------------------------------------------------

HMODULE GetModuleHandleW(LPCWSTR moduleName)
{
    if (moduleName) {
        SetLastError(ERROR_MOD_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(kProcessInstance);
}

HICON LoadIconW(HINSTANCE, LPCWSTR)
{
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
}

ATOM RegisterClassExW(const WNDCLASSEXW* windowClass)
{
    if (!windowClass || windowClass->cbSize != sizeof(WNDCLASSEXW) || !windowClass->lpfnWndProc ||
        !windowClass->lpszClassName || IS_INTRESOURCE(windowClass->lpszClassName) || !*windowClass->lpszClassName) {
        platform::LogUserError("RegisterClassExW: the class needs its size, a procedure and a name");
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    auto record = std::make_shared<WindowClassRecord>();
    record->name = windowClass->lpszClassName;
    record->key = platform::LowerAscii(record->name);
    record->style = windowClass->style;
    record->procedure = windowClass->lpfnWndProc;
    record->instance = windowClass->hInstance;
    record->cursor = windowClass->hCursor;
    record->background = windowClass->hbrBackground;

    UserState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    for (auto& c : state.classes)
        if (c->key == record->key) {
            SetLastError(ERROR_CLASS_ALREADY_EXISTS);
            return 0;
        }
    if (state.nextAtom == 0xFFFF) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    record->atom = state.nextAtom++;
    state.classes.push_back(record);
    return record->atom;
}

BOOL UnregisterClassW(LPCWSTR className, HINSTANCE)
{
    auto record = FindClass(className);
    if (!record) {
        SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
        return FALSE;
    }
    UserState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (record->windowCount > 0) {
        SetLastError(ERROR_CLASS_HAS_WINDOWS);
        return FALSE;
    }
    state.classes.erase(std::remove(state.classes.begin(), state.classes.end(), record), state.classes.end());
    return TRUE;
}

// --- windows ------------------------------------------------------------------------------

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param)
{
    auto windowClass = FindClass(className);
    if (!windowClass) {
        platform::LogUserError("CreateWindowExW: no window class \"%s\"",
                               IS_INTRESOURCE(className) || !className ? "(atom)"
                                                                      : platform::ToUtf8(className).c_str());
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (style & WS_CHILD) {
        platform::LogUserError("CreateWindowExW: child windows are not supported");
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (!platform::EnsureVideo()) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }

    auto record = std::make_shared<WindowRecord>();
    record->windowClass = windowClass;
    record->procedure = windowClass->procedure;
    record->style = style & ~WS_VISIBLE;
    record->exStyle = exStyle;
    record->title = windowName ? windowName : u"";

    Uint32 flags = SDL_WINDOW_HIDDEN;
    if (!(style & WS_CAPTION)) flags |= SDL_WINDOW_BORDERLESS;
    if (style & WS_THICKFRAME) flags |= SDL_WINDOW_RESIZABLE;
    int sdlX = x == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : x;
    int sdlY = x == CW_USEDEFAULT ? static_cast<int>(SDL_WINDOWPOS_UNDEFINED) : y;
    int sdlWidth = width == CW_USEDEFAULT ? kDefaultWidth : std::max(width, 1);
    int sdlHeight = width == CW_USEDEFAULT ? kDefaultHeight : std::max(height, 1);
    record->sdlWindow = SDL_CreateWindow(platform::ToUtf8(record->title).c_str(), sdlX, sdlY, sdlWidth, sdlHeight, flags);
    if (!record->sdlWindow) {
        platform::LogUserError("CreateWindowExW: SDL cannot create the window: %s", SDL_GetError());
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    ++g_WindowsCreated;
    // Still hidden: whatever re-creation a renderer needs happens before the window is mapped.
    platform::PreparePresentTarget(record->sdlWindow);
    record->sdlId = SDL_GetWindowID(record->sdlWindow);
    SDL_GetWindowPosition(record->sdlWindow, &record->x, &record->y);
    SDL_GetWindowSize(record->sdlWindow, &record->width, &record->height);

    HWND handle = nullptr;
    bool firstOfClass = false;
    {
        UserState& state = State();
        std::lock_guard<std::mutex> lock(state.mutex);
        handle = reinterpret_cast<HWND>(state.nextHandle);
        state.nextHandle += kWindowHandleStep;
        record->handle = handle;
        state.windows[reinterpret_cast<std::uintptr_t>(handle)] = record;
        firstOfClass = windowClass->windowCount++ == 0;
    }
    if (firstOfClass) platform::AcquireClassLock(windowClass->key);

    CREATESTRUCTW create{};
    create.lpCreateParams = param;
    create.hInstance = instance;
    create.hMenu = menu;
    create.hwndParent = parent;
    create.cx = record->width;
    create.cy = record->height;
    create.x = record->x;
    create.y = record->y;
    create.style = static_cast<LONG>(style);
    create.lpszName = record->title.c_str();
    create.lpszClass = windowClass->name.c_str();
    create.dwExStyle = exStyle;
    if (SendMessageW(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(handle);
        return nullptr;
    }
    if (style & WS_VISIBLE) ShowWindow(handle, SW_SHOW);
    return handle;
}

BOOL DestroyWindow(HWND window)
{
    auto record = RecordOrFail(window);
    if (!record) return FALSE;
    if (record->destroying) return TRUE;   // again from inside its own WM_DESTROY
    record->destroying = true;
    SendMessageW(window, WM_DESTROY, 0, 0);
    SendMessageW(window, WM_NCDESTROY, 0, 0);

    bool lastOfClass = false;
    {
        UserState& state = State();
        std::lock_guard<std::mutex> lock(state.mutex);
        state.windows.erase(reinterpret_cast<std::uintptr_t>(window));
        if (state.active == window) state.active = nullptr;
        lastOfClass = --record->windowClass->windowCount == 0;
    }
    if (lastOfClass) platform::ReleaseClassLock(record->windowClass->key);
    platform::ForgetCaptureOf(window);
    if (record->sdlWindow) {
        SDL_DestroyWindow(record->sdlWindow);
        record->sdlWindow = nullptr;
    }
    return TRUE;
}

BOOL IsWindow(HWND window) { return platform::FindWindowRecord(window) ? TRUE : FALSE; }

BOOL ShowWindow(HWND window, int command)
{
    auto record = RecordOrFail(window);
    if (!record) return FALSE;
    BOOL wasVisible = record->visible ? TRUE : FALSE;
    bool wasMinimized = record->minimized;
    switch (command) {
    case SW_HIDE:
        if (!record->visible) return wasVisible;
        record->visible = false;
        record->style &= ~WS_VISIBLE;
        if (record->sdlWindow) SDL_HideWindow(record->sdlWindow);
        platform::DeactivateWindow(window, true);
        break;
    case SW_SHOWNOACTIVATE:
    case SW_SHOWNA:
        ShowRecord(*record);
        break;
    case SW_SHOW:
    case SW_SHOWNORMAL:
    case SW_SHOWMAXIMIZED:
    case SW_RESTORE:
        ShowRecord(*record);
        if (record->minimized && command != SW_SHOW) {
            record->minimized = false;
            if (record->sdlWindow) SDL_RestoreWindow(record->sdlWindow);
        }
        platform::ActivateWindow(window, true);
        break;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
        ShowRecord(*record);
        record->minimized = true;
        if (record->sdlWindow) SDL_MinimizeWindow(record->sdlWindow);
        if (command == SW_MINIMIZE) platform::DeactivateWindow(window, true);
        if (command == SW_SHOWMINIMIZED) platform::ActivateWindow(window, true);
        break;
    default:
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (wasVisible != (record->visible ? TRUE : FALSE) || wasMinimized != record->minimized)
        SendMessageW(window, WM_WINDOWPOSCHANGED, 0, 0);
    return wasVisible;
}

BOOL UpdateWindow(HWND window)
{
    auto record = RecordOrFail(window);
    if (!record) return FALSE;
    if (record->visible && record->needsPaint) {
        record->paintOffered = true;
        SendMessageW(window, WM_PAINT, 0, 0);
    }
    return TRUE;
}

BOOL IsWindowVisible(HWND window)
{
    auto record = platform::FindWindowRecord(window);
    return record && record->visible ? TRUE : FALSE;
}

BOOL IsIconic(HWND window)
{
    auto record = platform::FindWindowRecord(window);
    return record && record->minimized ? TRUE : FALSE;
}

HWND GetActiveWindow() { return platform::ActiveWindowState(); }
HWND GetForegroundWindow() { return platform::ActiveWindowState(); }

BOOL SetWindowTextW(HWND window, LPCWSTR text)
{
    auto record = RecordOrFail(window);
    if (!record) return FALSE;
    record->title = text ? text : u"";
    if (record->sdlWindow) SDL_SetWindowTitle(record->sdlWindow, platform::ToUtf8(record->title).c_str());
    return TRUE;
}

int GetWindowTextW(HWND window, LPWSTR text, int maxCount)
{
    auto record = RecordOrFail(window);
    if (!record || !text || maxCount <= 0) return 0;
    int count = std::min(static_cast<int>(record->title.size()), maxCount - 1);
    std::copy_n(record->title.data(), count, text);
    text[count] = u'\0';
    return count;
}

BOOL GetClientRect(HWND window, RECT* rect)
{
    auto record = RecordOrFail(window);
    if (!record || !rect) return FALSE;
    if (record->minimized)
        *rect = RECT{0, 0, 0, 0};
    else
        *rect = RECT{0, 0, record->width, record->height};
    return TRUE;
}

BOOL GetWindowRect(HWND window, RECT* rect)
{
    auto record = RecordOrFail(window);
    if (!record || !rect) return FALSE;
    *rect = RECT{record->x, record->y, record->x + record->width, record->y + record->height};
    return TRUE;
}

BOOL ClientToScreen(HWND window, POINT* point)
{
    auto record = RecordOrFail(window);
    if (!record || !point) return FALSE;
    point->x += record->x;
    point->y += record->y;
    return TRUE;
}

BOOL ScreenToClient(HWND window, POINT* point)
{
    auto record = RecordOrFail(window);
    if (!record || !point) return FALSE;
    point->x -= record->x;
    point->y -= record->y;
    return TRUE;
}

LONG GetWindowLongW(HWND window, int index)
{
    auto record = RecordOrFail(window);
    if (!record) return 0;
    if (index == GWL_STYLE) return static_cast<LONG>(record->style);
    if (index == GWL_EXSTYLE) return static_cast<LONG>(record->exStyle);
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
}

LONG SetWindowLongW(HWND window, int index, LONG value)
{
    auto record = RecordOrFail(window);
    if (!record) return 0;
    LONG previous = 0;
    if (index == GWL_STYLE) {
        previous = static_cast<LONG>(record->style);
        // Visibility changes only through ShowWindow.
        record->style = (static_cast<DWORD>(value) & ~WS_VISIBLE) | (record->visible ? WS_VISIBLE : 0);
        ApplyFrame(*record);
    } else if (index == GWL_EXSTYLE) {
        previous = static_cast<LONG>(record->exStyle);
        record->exStyle = static_cast<DWORD>(value);
    } else {
        SetLastError(ERROR_INVALID_PARAMETER);
    }
    return previous;
}

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags)
{
    auto record = RecordOrFail(window);
    if (!record) return FALSE;
    bool changed = false;
    if (!(flags & SWP_NOMOVE) && (record->x != x || record->y != y)) {
        record->x = x;
        record->y = y;
        if (record->sdlWindow) SDL_SetWindowPosition(record->sdlWindow, x, y);
        changed = true;
    }
    if (!(flags & SWP_NOSIZE)) {
        width = std::max(width, 0);
        height = std::max(height, 0);
        if (record->width != width || record->height != height) {
            record->width = width;
            record->height = height;
            if (record->sdlWindow) SDL_SetWindowSize(record->sdlWindow, std::max(width, 1), std::max(height, 1));
            changed = true;
        }
    }
    if (!(flags & SWP_NOZORDER) && record->sdlWindow) {
        if (insertAfter == HWND_TOPMOST) SDL_SetWindowAlwaysOnTop(record->sdlWindow, SDL_TRUE);
        if (insertAfter == HWND_NOTOPMOST) SDL_SetWindowAlwaysOnTop(record->sdlWindow, SDL_FALSE);
    }
    if (flags & SWP_FRAMECHANGED) ApplyFrame(*record);
    if (flags & SWP_SHOWWINDOW) ShowWindow(window, (flags & SWP_NOACTIVATE) ? SW_SHOWNA : SW_SHOW);
    if (flags & SWP_HIDEWINDOW) ShowWindow(window, SW_HIDE);
    if (changed) SendMessageW(window, WM_WINDOWPOSCHANGED, 0, 0);
    return TRUE;
}

int GetSystemMetrics(int index)
{
    switch (index) {
    case SM_CXSCREEN:
    case SM_CYSCREEN: {
        if (!platform::EnsureVideo()) return 0;
        SDL_DisplayMode mode{};
        if (SDL_GetDesktopDisplayMode(0, &mode) != 0) return 0;
        return index == SM_CXSCREEN ? mode.w : mode.h;
    }
    default:
        // The window manager draws frames and captions outside the client area.
        return 0;
    }
}

HWND FindWindowW(LPCWSTR className, LPCWSTR windowName)
{
    ATOM atom = className && IS_INTRESOURCE(className) ? static_cast<ATOM>(reinterpret_cast<ULONG_PTR>(className)) : 0;
    for (auto& record : platform::AllWindowRecords()) {
        if (className && (atom ? record->windowClass->atom != atom : !SameText(className, record->windowClass->name)))
            continue;
        if (windowName && !SameText(windowName, record->title)) continue;
        return record->handle;
    }
    // Another process's window can only be seen by its class.
    if (className && !atom && !windowName && platform::IsClassLockedElsewhere(platform::LowerAscii(className)))
        return reinterpret_cast<HWND>(kForeignWindowHandle);
    return nullptr;
}

LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0u) == SC_CLOSE) SendMessageW(window, WM_CLOSE, 0, 0);
        return 0;
    case WM_PAINT:
        ValidateRect(window, nullptr);
        return 0;
    case WM_ERASEBKGND:
        return 1;
    case WM_SETCURSOR: {
        auto record = platform::FindWindowRecord(window);
        if (!record || LOWORD(static_cast<DWORD_PTR>(lParam)) != HTCLIENT) return FALSE;
        SetCursor(record->windowClass->cursor);
        return TRUE;
    }
    default:
        return 0;
    }
}

LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto record = RecordOrFail(window);
    if (!record || !record->procedure) return 0;
    return record->procedure(window, message, wParam, lParam);
}
