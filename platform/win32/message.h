// The message queue: one first-in first-out queue for the process, fed by PostMessageW (from
// any thread) and by the SDL events the pump turns into window messages.
//
// PeekMessageW never blocks. WM_QUIT takes its place in the queue like any other message, so
// messages posted after it stay queued behind it. Key messages carry Win32 virtual-key codes
// and the Win32 lParam layout; mouse messages carry client coordinates as signed 16-bit
// halves and the MK_* key-state word; a class without CS_DBLCLKS never gets double clicks.
#pragma once

#include "platform/win32/window.h"

#include <cstddef>

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
using LPMSG = MSG*;

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;
constexpr UINT PM_NOYIELD = 0x0002;

// Key-state word of mouse messages.
constexpr WORD MK_LBUTTON = 0x0001;
constexpr WORD MK_RBUTTON = 0x0002;
constexpr WORD MK_SHIFT = 0x0004;
constexpr WORD MK_CONTROL = 0x0008;
constexpr WORD MK_MBUTTON = 0x0010;

constexpr int WHEEL_DELTA = 120;
constexpr short GET_WHEEL_DELTA_WPARAM(WPARAM wParam) { return static_cast<short>(HIWORD(wParam)); }
constexpr WORD GET_KEYSTATE_WPARAM(WPARAM wParam) { return LOWORD(wParam); }
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) { return static_cast<WPARAM>(MAKELONG(low, high)); }

// Most messages a queue holds; posting beyond it fails with ERROR_NOT_ENOUGH_QUOTA.
constexpr std::size_t kMessageQueueLimit = 10000;

// A window filter of null takes every message, (HWND)-1 only messages posted without a
// window. Filter bounds of 0 and 0 take every message. With no queued message, a visible
// window that needs painting yields WM_PAINT (once per invalidation).
BOOL PeekMessageW(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
// Waits for a message; 0 for WM_QUIT, -1 for a bad window filter.
BOOL GetMessageW(MSG* message, HWND window, UINT filterMin, UINT filterMax);
// Nothing reads WM_CHAR here, so no character messages are made; returns FALSE.
BOOL TranslateMessage(const MSG* message);
// Calls the target window's procedure; a message without a window is not dispatched (0).
LRESULT DispatchMessageW(const MSG* message);
// A null window posts a message for the thread; a window that does not exist fails.
BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

namespace platform {

// Moves every pending SDL event into the queue as messages (only on the window thread).
void PumpSdlEvents();
std::size_t QueuedMessageCount();

}  // namespace platform
