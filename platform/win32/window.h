// Windows, window classes and window procedures: the Win32 user subset over SDL2.
//
// Every window lives on the window thread. Frame and caption metrics are 0 because the
// window manager draws the decorations, so a window's size is its client size. Screen
// coordinates are defined as the window's position plus client coordinates, so that
// ClientToScreen and ScreenToClient round-trip exactly (Wayland has no global coordinates).
// Headless (SDL_VIDEODRIVER=dummy) everything works the same; tests drive input by pushing
// SDL events, which the message pump (message.h) turns into messages.
#pragma once

#include "platform/win32/win_types.h"

#include <string>

struct SDL_Window;

using WNDPROC = LRESULT (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Resource and atom names.
inline LPCWSTR MAKEINTRESOURCEW(WORD id) { return reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(id)); }
inline bool IS_INTRESOURCE(LPCWSTR name) { return (reinterpret_cast<ULONG_PTR>(name) >> 16) == 0; }
inline LPCWSTR MAKEINTATOM(ATOM atom) { return MAKEINTRESOURCEW(atom); }

// Class styles.
constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;

// Window styles.
constexpr DWORD WS_OVERLAPPED = 0x00000000u;
constexpr DWORD WS_POPUP = 0x80000000u;
constexpr DWORD WS_CHILD = 0x40000000u;
constexpr DWORD WS_MINIMIZE = 0x20000000u;
constexpr DWORD WS_VISIBLE = 0x10000000u;
constexpr DWORD WS_DISABLED = 0x08000000u;
constexpr DWORD WS_MAXIMIZE = 0x01000000u;
constexpr DWORD WS_CAPTION = 0x00C00000u;
constexpr DWORD WS_BORDER = 0x00800000u;
constexpr DWORD WS_DLGFRAME = 0x00400000u;
constexpr DWORD WS_VSCROLL = 0x00200000u;
constexpr DWORD WS_HSCROLL = 0x00100000u;
constexpr DWORD WS_SYSMENU = 0x00080000u;
constexpr DWORD WS_THICKFRAME = 0x00040000u;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000u;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000u;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000u);

// ShowWindow commands.
constexpr int SW_HIDE = 0;
constexpr int SW_SHOWNORMAL = 1;
constexpr int SW_NORMAL = 1;
constexpr int SW_SHOWMINIMIZED = 2;
constexpr int SW_SHOWMAXIMIZED = 3;
constexpr int SW_MAXIMIZE = 3;
constexpr int SW_SHOWNOACTIVATE = 4;
constexpr int SW_SHOW = 5;
constexpr int SW_MINIMIZE = 6;
constexpr int SW_SHOWMINNOACTIVE = 7;
constexpr int SW_SHOWNA = 8;
constexpr int SW_RESTORE = 9;

// System metrics.
constexpr int SM_CXSCREEN = 0;
constexpr int SM_CYSCREEN = 1;
constexpr int SM_CYCAPTION = 4;
constexpr int SM_CXBORDER = 5;
constexpr int SM_CYBORDER = 6;
constexpr int SM_CXFIXEDFRAME = 7;
constexpr int SM_CYFIXEDFRAME = 8;
constexpr int SM_CXEDGE = 45;
constexpr int SM_CYEDGE = 46;

// Window long values.
constexpr int GWL_STYLE = -16;
constexpr int GWL_EXSTYLE = -20;

// SetWindowPos.
inline HWND const HWND_TOP = nullptr;
inline HWND const HWND_BOTTOM = reinterpret_cast<HWND>(static_cast<std::intptr_t>(1));
inline HWND const HWND_TOPMOST = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1));
inline HWND const HWND_NOTOPMOST = reinterpret_cast<HWND>(static_cast<std::intptr_t>(-2));
constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOACTIVATE = 0x0010;
constexpr UINT SWP_FRAMECHANGED = 0x0020;
constexpr UINT SWP_SHOWWINDOW = 0x0040;
constexpr UINT SWP_HIDEWINDOW = 0x0080;

// Window messages.
constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_ACTIVATE = 0x0006;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_ERASEBKGND = 0x0014;
constexpr UINT WM_SETCURSOR = 0x0020;
constexpr UINT WM_WINDOWPOSCHANGED = 0x0047;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MBUTTONDBLCLK = 0x0209;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_USER = 0x0400;

// WM_ACTIVATE low word.
constexpr WORD WA_INACTIVE = 0;
constexpr WORD WA_ACTIVE = 1;
constexpr WORD WA_CLICKACTIVE = 2;

// WM_SYSCOMMAND commands.
constexpr WPARAM SC_CLOSE = 0xF060;
constexpr WPARAM SC_KEYMENU = 0xF100;
constexpr WPARAM SC_SCREENSAVE = 0xF140;
constexpr WPARAM SC_MONITORPOWER = 0xF170;

// WM_SETCURSOR hit-test code.
constexpr WORD HTCLIENT = 1;

// User error codes (GetLastError).
constexpr DWORD ERROR_INVALID_WINDOW_HANDLE = 1400;
constexpr DWORD ERROR_CANNOT_FIND_WND_CLASS = 1407;
constexpr DWORD ERROR_CLASS_ALREADY_EXISTS = 1410;
constexpr DWORD ERROR_CLASS_DOES_NOT_EXIST = 1411;
constexpr DWORD ERROR_CLASS_HAS_WINDOWS = 1412;
constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
constexpr DWORD ERROR_RESOURCE_NAME_NOT_FOUND = 1814;
constexpr DWORD ERROR_NOT_ENOUGH_QUOTA = 1816;

struct WNDCLASSEXW {
    UINT cbSize;
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
    HICON hIconSm;
};

// The lParam of WM_CREATE.
struct CREATESTRUCTW {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCWSTR lpszName;
    LPCWSTR lpszClass;
    DWORD dwExStyle;
};

// The process's own module handle for a null name; other names are not loaded modules.
HMODULE GetModuleHandleW(LPCWSTR moduleName);
// The executable carries no icon resources: always null (the class simply has no icon).
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);

// Class names compare without regard to ASCII case. A class needs a procedure and a name.
ATOM RegisterClassExW(const WNDCLASSEXW* windowClass);
BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance);

// Top-level windows only (WS_CHILD fails). The window starts hidden unless WS_VISIBLE is set;
// WM_CREATE is sent before the call returns, and -1 from it fails the creation.
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
// Sends WM_DESTROY then WM_NCDESTROY, releases the capture and the activation it held.
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);

// SW_SHOW, SW_SHOWNORMAL and SW_RESTORE activate the window (WM_ACTIVATE is sent at once);
// SW_SHOWNOACTIVATE and SW_SHOWNA do not; hiding the active window deactivates it.
// Returns whether the window was visible before.
BOOL ShowWindow(HWND window, int command);
// Sends WM_PAINT when the window is visible and has something to paint.
BOOL UpdateWindow(HWND window);
BOOL IsWindowVisible(HWND window);
BOOL IsIconic(HWND window);

// The window that has the keyboard focus among ours (null when none).
HWND GetActiveWindow();
HWND GetForegroundWindow();

BOOL SetWindowTextW(HWND window, LPCWSTR text);
int GetWindowTextW(HWND window, LPWSTR text, int maxCount);

// A minimised window has an empty client rectangle.
BOOL GetClientRect(HWND window, RECT* rect);
BOOL GetWindowRect(HWND window, RECT* rect);
BOOL ClientToScreen(HWND window, POINT* point);
BOOL ScreenToClient(HWND window, POINT* point);

// GWL_STYLE and GWL_EXSTYLE. A style without WS_CAPTION has no decorations.
LONG GetWindowLongW(HWND window, int index);
LONG SetWindowLongW(HWND window, int index, LONG value);
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);

// SM_CXSCREEN/SM_CYSCREEN give the desktop size of the first display; the frame, edge,
// border and caption metrics are 0.
int GetSystemMetrics(int index);

// Finds a top-level window by class name and/or caption (each compared without regard to
// ASCII case). A class name also finds a window of that class in another process: the result
// is then a non-null handle that no call here can use.
HWND FindWindowW(LPCWSTR className, LPCWSTR windowName);

// WM_CLOSE destroys the window; WM_SYSCOMMAND SC_CLOSE sends WM_CLOSE; WM_PAINT validates;
// WM_SETCURSOR in the client sets the class cursor; everything else answers 0.
LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Calls the window procedure at once; 0 for a window that does not exist.
LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

namespace platform {

// Starts SDL video once (on the calling thread, which becomes the window thread) and keeps
// the screen saver off while the engine runs. False when no video driver can start.
bool EnsureVideo();
// The SDL video driver in use ("x11", "wayland", "offscreen", "dummy" ...); empty before video
// has started.
std::string VideoDriverName();
// Whether the caller is the window thread (true before video has started).
bool IsWindowThread();
// SDL windows made, and hidden windows shown, since the process started: a window is made and
// mapped once, whatever presents its frames.
unsigned WindowCreationCount();
unsigned WindowMapCount();
// The SDL window behind a window handle (null for none), for presentation.
SDL_Window* GetSdlWindow(HWND window);
// The window whose SDL window has this id.
HWND FindWindowBySdlId(unsigned int sdlWindowId);

// Folder of the per-class lock files that let FindWindowW see other processes' windows
// (default: $XDG_RUNTIME_DIR, else the private folder "tarnwick-<uid>" under $TMPDIR or /tmp).
void SetWindowLockFolder(const std::string& folder);

// For tests: destroys every window without messages, forgets every class, empties the
// message queue and resets the capture, activation, cursor, key and mouse state.
void ResetUserStateForTesting();

}  // namespace platform
