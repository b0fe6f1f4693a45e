// GxCore: the main window, its window procedure, the cursor and the main loop.
#include "core/core.h"

#include "core/input.h"
#include "core/media_services.h"
#include "core/scene_generation.h"
#include "graphics/graphics.h"
#include "core/task_manage.h"
#include "core/unattended_run.h"
#include "foundation/log.h"
#include "foundation/value_types.h"
#include "platform/win32/cursor.h"
#include "platform/win32/message.h"
#include "platform/win32/mouse.h"
#include "platform/win32/paint.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr WORD kMainIconResource = 101;
constexpr DWORD kWindowedStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// A point from the signed 16-bit halves of a mouse message, scaled to the virtual screen.
GxVector2 MessagePoint(LPARAM lParam, float sx, float sy)
{
    const auto x = static_cast<SHORT>(LOWORD(static_cast<DWORD>(lParam)));
    const auto y = static_cast<SHORT>(HIWORD(static_cast<DWORD>(lParam)));
    return GxVector2(static_cast<float>(x) * sx, static_cast<float>(y) * sy);
}

// Truncated toward zero and kept within 32 bits.
LONG TruncateCoordinate(double value)
{
    if (std::isnan(value))
        return 0;
    const double limit = static_cast<double>(std::numeric_limits<LONG>::max());
    return static_cast<LONG>(std::clamp(value, -limit, limit));
}

}  // namespace

bool GxCore::CreateMainWindow()
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = StaticWindowProc;
    windowClass.hInstance = m_Instance;
    windowClass.hIcon = LoadIconW(m_Instance, MAKEINTRESOURCEW(kMainIconResource));
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = m_WindowTitle.c_str();
    if (!RegisterClassExW(&windowClass)) {
        LogPrint(u"GxCore::CreateMainWindow/RegisterClassExW Failed(%s)\n", m_WindowTitle.c_str());
        return false;
    }

    const GxDisplaySettings& settings = GxGraphics::GetDisplaySettings();
    int width = static_cast<int>(settings.BackBufferWidth);
    int height = static_cast<int>(settings.BackBufferHeight);
    DWORD style = WS_POPUP;
    if (settings.ScreenMode == 0) {
        style = kWindowedStyle;
        width += GetSystemMetrics(SM_CXEDGE) + GetSystemMetrics(SM_CXFIXEDFRAME) + GetSystemMetrics(SM_CXBORDER);
        height += GetSystemMetrics(SM_CYEDGE) + GetSystemMetrics(SM_CYFIXEDFRAME) + GetSystemMetrics(SM_CYBORDER) +
                  GetSystemMetrics(SM_CYCAPTION);
        width = std::min(width, GetSystemMetrics(SM_CXSCREEN));
        height = std::min(height, GetSystemMetrics(SM_CYSCREEN));
    }
    const int x = std::max(0, GetSystemMetrics(SM_CXSCREEN) / 2 - width / 2);
    const int y = std::max(0, GetSystemMetrics(SM_CYSCREEN) / 2 - height / 2);

    HWND window = CreateWindowExW(0, m_WindowTitle.c_str(), m_WindowTitle.c_str(), style, x, y, width, height, nullptr,
                                  nullptr, m_Instance, nullptr);
    if (window == nullptr) {
        LogPrint(u"GxCore::CreateMainWindow/CreateWindowExW Failed(%s)\n", m_WindowTitle.c_str());
        return false;
    }
    m_MainWindow = window;
    SetCursor(windowClass.hCursor);
    UpdateWindow(window);
    ShowWindow(window, SW_SHOW);
    m_WindowCreated = true;
    return true;
}

LRESULT GxCore::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return GetInstance()->WindowProc(window, message, wParam, lParam);
}

bool GxCore::DispatchMouse(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND window = m_MainWindow;
    const bool isRelease = message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP;
    // A release reaches the tasks only when the press happened in the window.
    const bool captured = isRelease && window != nullptr && GetCapture() == window;
    if (isRelease && !captured)
        return false;

    RECT client{};
    GetClientRect(window, &client);
    const LONG width = client.right - client.left;
    const LONG height = client.bottom - client.top;
    // A minimised window has no client area to map from.
    const bool mappable = width > 0 && height > 0 && m_TaskManage != nullptr;
    const float sx = mappable ? static_cast<float>(kVirtualScreenWidth / width) : 0.0f;
    const float sy = mappable ? static_cast<float>(kVirtualScreenHeight / height) : 0.0f;
    const GxVector2 point = MessagePoint(lParam, sx, sy);
    const auto keys = static_cast<std::uint32_t>(wParam);

    switch (message) {
    case WM_MOUSEMOVE:
        if (mappable)
            m_TaskManage->OnMouseMove(&point, keys);
        break;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        if (!mappable)
            return false;
        SetCapture(window);
        if (message == WM_LBUTTONDOWN)
            m_TaskManage->OnMouseLeftDown(&point, keys);
        else if (message == WM_RBUTTONDOWN)
            m_TaskManage->OnMouseRightDown(&point, keys);
        else
            m_TaskManage->OnMouseMiddleDown(&point, keys);
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
        if (mappable) {
            if (message == WM_LBUTTONUP)
                m_TaskManage->OnMouseLeftUp(&point, keys);
            else if (message == WM_RBUTTONUP)
                m_TaskManage->OnMouseRightUp(&point, keys);
            else
                m_TaskManage->OnMouseMiddleUp(&point, keys);
        }
        ReleaseCapture();
        break;
    case WM_LBUTTONDBLCLK:
        if (mappable)
            m_TaskManage->OnMouseLeftDoubleClick(&point, keys);
        break;
    case WM_RBUTTONDBLCLK:
        if (mappable)
            m_TaskManage->OnMouseRightDoubleClick(&point, keys);
        break;
    case WM_MBUTTONDBLCLK:
        if (mappable)
            m_TaskManage->OnMouseMiddleDoubleClick(&point, keys);
        break;
    case WM_MOUSEWHEEL: {
        if (!mappable)
            return false;
        // The message's own point is in screen coordinates: read the cursor instead.
        const POINT cursor = GetCursorClientPos();
        const GxVector2 wheelPoint(static_cast<float>(cursor.x), static_cast<float>(cursor.y));
        const auto delta = static_cast<SHORT>(HIWORD(static_cast<DWORD>(wParam)));
        m_TaskManage->OnMouseWheel(&wheelPoint, delta, LOWORD(static_cast<DWORD>(wParam)));
        break;
    }
    default:
        return false;
    }
    return mappable;
}

LRESULT GxCore::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_ACTIVATE:
        GxInput::OnActivate(wParam != 0);
        m_Active = wParam != 0;
        if (m_TaskManage != nullptr) {
            if (m_Active)
                m_TaskManage->OnWindowActivate();
            else
                m_TaskManage->OnWindowDeactivate();
        }
        break;
    case WM_PAINT:
        // Exposed (shown, uncovered, resized): the next frame presents again.
        GxSceneGeneration::Touch();
        ValidateRect(window, nullptr);
        return 0;
    case WM_CLOSE:
        // A task may hold the close back, e.g. to ask first.
        if (m_TaskManage == nullptr || m_TaskManage->OnWindowClose() == 0)
            RequestQuit();
        return 0;
    case WM_SETCURSOR:
        return OnSetCursor() ? 1 : 0;
    case WM_WINDOWPOSCHANGED:
        GxSceneGeneration::Touch();   // moved, resized, minimised or restored
        m_FrameTimer.ResetFrameTimer();
        break;
    case WM_KEYDOWN:
        if (m_TaskManage != nullptr)
            m_TaskManage->OnKeyDown(wParam, lParam);
        break;
    case WM_KEYUP:
        if (m_TaskManage != nullptr)
            m_TaskManage->OnKeyUp(wParam, lParam);
        break;
    case WM_SYSCOMMAND:
        // Neither the screen saver nor monitor power-saving starts while the engine runs.
        if (wParam == SC_SCREENSAVE || wParam == SC_MONITORPOWER)
            return 0;
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
    case WM_MOUSEWHEEL:
        DispatchMouse(message, wParam, lParam);
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool GxCore::OnSetCursor()
{
    switch (m_CursorKind) {
    case 0:
    case 4:
        SetCursor(nullptr);
        return true;
    case 1:
        SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        return true;
    case 2: {
        const std::int32_t mode = GxGraphics::GetDisplaySettings().CurrentScreenMode;
        SetCursor(mode == 0 || mode == 1 ? LoadCursorW(nullptr, IDC_ARROW) : nullptr);
        return true;
    }
    case 3:
        return true;
    default:
        return false;
    }
}

void GxCore::SetCursorShape(std::int32_t kind)
{
    static LPCWSTR const kShapes[] = {nullptr, IDC_ARROW, IDC_CROSS, IDC_SIZEALL, IDC_SIZENS, IDC_SIZEWE, IDC_NO};
    if (kind < 0 || kind > 6) {
        LogPrint(u"GxCore::SetCursorShape/unknown cursor shape %d\n", kind);
        return;
    }
    SetCursor(kind == 0 ? nullptr : LoadCursorW(nullptr, kShapes[kind]));
}

POINT GxCore::GetCursorClientPos()
{
    POINT point{};
    GetCursorPos(&point);
    if (m_MainWindow != nullptr)
        ScreenToClient(m_MainWindow, &point);
    RECT client{};
    GetClientRect(m_MainWindow, &client);
    const LONG width = client.right - client.left;
    const LONG height = client.bottom - client.top;
    if (width <= 0 || height <= 0)
        return POINT{0, 0};
    return POINT{TruncateCoordinate(kVirtualScreenWidth / width * point.x),
                 TruncateCoordinate(kVirtualScreenHeight / height * point.y)};
}

void GxCore::MainLoop()
{
    while (RunMainLoopPass()) {
    }
}

bool GxCore::RunMainLoopPass()
{
    // An interrupt or the end of an unattended run quits through the usual message.
    if (TakeQuitSignal())
        RequestQuit();
    if (m_UnattendedRun != nullptr && m_UnattendedRun->BeforePass(m_MainWindow))
        RequestQuit();

    if (m_TaskManage != nullptr)
        m_TaskManage->ApplySequenceChanges();

    // Never blocks: with nothing waiting the frame's own wait paces the loop. A quit message
    // leaves the later messages queued; this pass still runs its frame.
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
        if (GetMessageW(&message, nullptr, 0, 0) == 0)
            m_Quit = true;
        TranslateMessage(&message);
        DispatchMessageW(&message);
        if (m_Quit)
            break;
    }

    GxMediaServicesBase* media = GetMediaServices();
    if ((m_PassCounter & 3u) == 0 && media) {
        media->AudioUpdatePlayers();
        media->SoundUpdatePlayers();
        media->AudioUpdate3D();
        media->SoundUpdate3D();
    }
    ++m_PassCounter;
    if (media)
        media->MovieSlotTickAll();
    Frame();
    if (m_UnattendedRun != nullptr)
        m_UnattendedRun->AfterPass();
    return !m_Quit;
}
