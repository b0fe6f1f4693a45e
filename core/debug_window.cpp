#include "core/debug_window.h"

#include "platform/win32/cursor.h"
#include "platform/win32/file.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/paint.h"

#include <string>

namespace {

constexpr char16_t kDebugWindowName[] = u"DebugWindow";
constexpr DWORD kDebugWindowStyle = WS_POPUP | WS_CAPTION | WS_VSCROLL | WS_HSCROLL | WS_THICKFRAME;

}  // namespace

GxDebugWindowState& GetDebugWindowState()
{
    static GxDebugWindowState state;
    return state;
}

void ResetDebugWindowState()
{
    GxDebugWindowState& state = GetDebugWindowState();
    state.m_Shown = false;
    state.m_Changed = false;
    for (auto& line : state.m_Lines)
        line[0] = u'\0';
}

bool CreateDebugWindow(HINSTANCE instance)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = DebugWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszClassName = kDebugWindowName;
    // A class left registered by an earlier start-up in this process is used as it is.
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    HWND window = CreateWindowExW(0, kDebugWindowName, kDebugWindowName, kDebugWindowStyle, 0, 0, 240, 320, nullptr,
                                  nullptr, instance, nullptr);
    GetDebugWindowState().m_Window = window;
    if (window == nullptr)
        return false;
    UpdateWindow(window);
    return true;
}

void HideDebugWindow()
{
    GxDebugWindowState& state = GetDebugWindowState();
    if (state.m_Window == nullptr)
        return;
    ShowWindow(state.m_Window, SW_HIDE);
    UpdateWindow(state.m_Window);
    state.m_Shown = false;
}

void PaintDebugWindow()
{
    GxDebugWindowState& state = GetDebugWindowState();
    if (state.m_Window == nullptr)
        return;
    std::u16string text;
    for (const auto& line : state.m_Lines) {
        // At most 261 units of a line, even one written without its terminating zero.
        std::size_t length = 0;
        while (length < kDebugWindowLineUnits - 1 && line[length] != u'\0')
            ++length;
        text.append(line, length);
    }
    PAINTSTRUCT paint{};
    HDC dc = BeginPaint(state.m_Window, &paint);
    RECT client{};
    GetClientRect(state.m_Window, &client);
    DrawTextW(dc, text.c_str(), -1, &client, DT_WORDBREAK);
    EndPaint(state.m_Window, &paint);
    state.m_Changed = false;
}

LRESULT DebugWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    GxDebugWindowState& state = GetDebugWindowState();
    switch (message) {
    case WM_CLOSE:
        // Closing only hides: the window lives as long as the process.
        ShowWindow(window, SW_HIDE);
        UpdateWindow(window);
        state.m_Shown = false;
        return 0;
    case WM_DESTROY:
        return 0;
    case WM_PAINT:
        PaintDebugWindow();
        break;
    case WM_SYSKEYDOWN:
        if (wParam == static_cast<WPARAM>(VK_F11)) {
            if (!state.m_Shown) {
                ShowWindow(window, SW_SHOWNOACTIVATE);
                UpdateWindow(window);
                state.m_Shown = true;
            } else {
                HideDebugWindow();
            }
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool SetDebugWindowLine(std::int32_t index, const char16_t* text)
{
    if (index < 0 || index >= kDebugWindowLineCount || text == nullptr)
        return false;
    GxDebugWindowState& state = GetDebugWindowState();
    char16_t* line = state.m_Lines[index];
    std::int32_t n = 0;
    for (; n < kDebugWindowLineUnits - 1 && text[n] != u'\0'; ++n)
        line[n] = text[n];
    line[n] = u'\0';
    state.m_Changed = true;
    return true;
}
