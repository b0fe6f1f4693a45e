// The debug text window: a small hidden window of 32 text lines, shown and hidden with F11 and
// closed (only hidden) at shut-down. Window thread only.
#pragma once

#include "platform/win32/window.h"

#include <cstdint>

constexpr std::int32_t kDebugWindowLineCount = 32;
constexpr std::int32_t kDebugWindowLineUnits = 262;   // 261 characters and the terminating zero

struct GxDebugWindowState {
    HWND m_Window = nullptr;
    bool m_Shown = false;
    bool m_Changed = false;   // the lines changed since the last paint
    char16_t m_Lines[kDebugWindowLineCount][kDebugWindowLineUnits] = {};
};

GxDebugWindowState& GetDebugWindowState();

// Clears the shown and changed flags and every line (done before the window is made).
void ResetDebugWindowState();
// Class and window "DebugWindow", 240 by 320 at (0, 0), not shown. True when a window was made.
bool CreateDebugWindow(HINSTANCE instance);
void HideDebugWindow();
// Joins the lines (a line that should break ends in a line feed itself) and draws them
// word-wrapped into the client area; clears the changed flag.
void PaintDebugWindow();
LRESULT DebugWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Stores line `index` (0 to 31), cut to 261 characters, and marks the window for repainting.
// False for an index out of range or a null text.
bool SetDebugWindowLine(std::int32_t index, const char16_t* text);
