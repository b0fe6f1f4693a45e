// Message boxes. Headless (no display, or in tests) the text goes to stderr and the box
// answers IDOK at once.
#pragma once

#include "platform/win32/win_types.h"

#include <string>
#include <vector>

constexpr UINT MB_OK = 0x0;
constexpr UINT MB_OKCANCEL = 0x1;
constexpr UINT MB_YESNO = 0x4;
constexpr UINT MB_ICONERROR = 0x10;
constexpr UINT MB_ICONHAND = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONWARNING = 0x30;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONINFORMATION = 0x40;
constexpr UINT MB_TOPMOST = 0x40000;
constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type);

namespace platform {

struct MessageBoxRecord {
    std::u16string text;
    std::u16string caption;
    UINT type = 0;
};

// For tests: the boxes shown since the last clear, and headless mode on or off
// (on by default when SDL_VIDEODRIVER is "dummy" or "offscreen", or no display is set).
const std::vector<MessageBoxRecord>& ShownMessageBoxes();
void ClearShownMessageBoxes();
void SetMessageBoxHeadless(bool headless);

}  // namespace platform
