// Cursors: the system cursor shapes over SDL system cursors. SetCursor(NULL) hides the cursor
// over our windows. Without a cursor-capable video driver (headless) only the state is kept.
#pragma once

#include "platform/win32/window.h"

inline LPCWSTR const IDC_ARROW = MAKEINTRESOURCEW(32512);
inline LPCWSTR const IDC_IBEAM = MAKEINTRESOURCEW(32513);
inline LPCWSTR const IDC_WAIT = MAKEINTRESOURCEW(32514);
inline LPCWSTR const IDC_CROSS = MAKEINTRESOURCEW(32515);
inline LPCWSTR const IDC_SIZENWSE = MAKEINTRESOURCEW(32642);
inline LPCWSTR const IDC_SIZENESW = MAKEINTRESOURCEW(32643);
inline LPCWSTR const IDC_SIZEWE = MAKEINTRESOURCEW(32644);
inline LPCWSTR const IDC_SIZENS = MAKEINTRESOURCEW(32645);
inline LPCWSTR const IDC_SIZEALL = MAKEINTRESOURCEW(32646);
inline LPCWSTR const IDC_NO = MAKEINTRESOURCEW(32648);
inline LPCWSTR const IDC_HAND = MAKEINTRESOURCEW(32649);

// System cursors only (a null instance and one of the IDC_* names); anything else is null.
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);
// Returns the previous cursor.
HCURSOR SetCursor(HCURSOR cursor);
HCURSOR GetCursor();

namespace platform {

// The SDL_SystemCursor value behind a cursor handle, -1 for null or an unknown handle.
int SystemCursorShape(HCURSOR cursor);
// Whether the cursor is shown over our windows.
bool IsCursorShown();

}  // namespace platform
