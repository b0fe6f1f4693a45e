// Painting: update regions, paint contexts, word-wrapped text and stock brushes.
//
// Drawing goes through the graphics device, not GDI, so a paint context records what is drawn
// into it instead of rasterising: the text last drawn into a window can be read back.
#pragma once

#include "platform/win32/window.h"

#include <string>

struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};

constexpr UINT DT_TOP = 0x0000;
constexpr UINT DT_LEFT = 0x0000;
constexpr UINT DT_CENTER = 0x0001;
constexpr UINT DT_RIGHT = 0x0002;
constexpr UINT DT_VCENTER = 0x0004;
constexpr UINT DT_BOTTOM = 0x0008;
constexpr UINT DT_WORDBREAK = 0x0010;
constexpr UINT DT_SINGLELINE = 0x0020;
constexpr UINT DT_NOCLIP = 0x0100;

constexpr int WHITE_BRUSH = 0;
constexpr int LTGRAY_BRUSH = 1;
constexpr int GRAY_BRUSH = 2;
constexpr int DKGRAY_BRUSH = 3;
constexpr int BLACK_BRUSH = 4;
constexpr int NULL_BRUSH = 5;

// Stock brushes 0 to 5; anything else is null.
HGDIOBJ GetStockObject(int index);

// A null rectangle means the whole client area; a null window means every window.
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND window, const RECT* rect);
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);
// A count of -1 takes the text up to its NUL. Returns the height of the text (16 units a line).
int DrawTextW(HDC dc, LPCWSTR text, int count, RECT* rect, UINT format);

namespace platform {

// The text last drawn into the window's paint context.
std::u16string GetPaintedText(HWND window);

}  // namespace platform
