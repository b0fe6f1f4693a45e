#include "platform/win32/paint.h"

#include "platform/win32/file.h"
#include "platform/win32/window_registry.h"

#include <cstdint>
#include <iterator>

namespace {

// A paint context is its window's handle moved by this offset (window handles are multiples of 16).
constexpr std::uintptr_t kContextOffset = 8;

struct StockObject {
    int index;
};
StockObject g_StockObjects[] = {{0}, {1}, {2}, {3}, {4}, {5}};

std::shared_ptr<platform::WindowRecord> WindowOfContext(HDC dc)
{
    auto value = reinterpret_cast<std::uintptr_t>(dc);
    if ((value & 0xFu) != kContextOffset) return nullptr;
    return platform::FindWindowRecord(reinterpret_cast<HWND>(value - kContextOffset));
}

template <class Change>
BOOL ForWindows(HWND window, Change change)
{
    if (!window) {
        for (auto& record : platform::AllWindowRecords()) change(*record);
        return TRUE;
    }
    auto record = platform::FindWindowRecord(window);
    if (!record) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    change(*record);
    return TRUE;
}

}  // namespace

HGDIOBJ GetStockObject(int index)
{
    if (index < 0 || index >= static_cast<int>(std::size(g_StockObjects))) return nullptr;
    return reinterpret_cast<HGDIOBJ>(&g_StockObjects[index]);
}

BOOL InvalidateRect(HWND window, const RECT*, BOOL erase)
{
    return ForWindows(window, [erase](platform::WindowRecord& record) {
        record.needsPaint = true;
        record.paintOffered = false;
        if (erase) record.erase = true;
    });
}

BOOL ValidateRect(HWND window, const RECT*)
{
    return ForWindows(window, [](platform::WindowRecord& record) {
        record.needsPaint = false;
        record.paintOffered = false;
    });
}

HDC BeginPaint(HWND window, PAINTSTRUCT* paint)
{
    auto record = platform::FindWindowRecord(window);
    if (!record || !paint) {
        SetLastError(record ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
    }
    *paint = PAINTSTRUCT{};
    paint->hdc = reinterpret_cast<HDC>(reinterpret_cast<std::uintptr_t>(window) + kContextOffset);
    paint->fErase = record->erase ? TRUE : FALSE;
    GetClientRect(window, &paint->rcPaint);
    record->needsPaint = false;
    record->paintOffered = false;
    record->erase = false;
    return paint->hdc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT*) { return IsWindow(window); }

int DrawTextW(HDC dc, LPCWSTR text, int count, RECT*, UINT)
{
    auto record = WindowOfContext(dc);
    if (!record || !text) return 0;
    std::u16string drawn = count < 0 ? std::u16string(text) : std::u16string(text, static_cast<std::size_t>(count));
    record->paintedText = drawn;
    if (drawn.empty()) return 0;
    int lines = 1;
    for (char16_t unit : drawn)
        if (unit == u'\n') ++lines;
    return lines * 16;
}

namespace platform {

std::u16string GetPaintedText(HWND window)
{
    auto record = FindWindowRecord(window);
    return record ? record->paintedText : std::u16string();
}

}  // namespace platform
