// Windows and window classes: creation as the engine does it, activation, the debug window,
// painting, coordinates, styles and the single-instance check.
#include "user_fixture.h"

#include "platform/win32/paint.h"
#include "tests/support/scoped_environment.h"

#include <sys/stat.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

namespace {

using namespace usertest;

TEST_F(UserTest, MainWindowClientAreaIsTheConfiguredSize)
{
    // The window manager draws the frame, so every frame metric is 0 and the screen is the desktop.
    for (int metric : {SM_CXEDGE, SM_CYEDGE, SM_CXFIXEDFRAME, SM_CYFIXEDFRAME, SM_CXBORDER, SM_CYBORDER, SM_CYCAPTION})
        EXPECT_EQ(GetSystemMetrics(metric), 0) << metric;
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1024);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 768);

    HWND window = CreateMainWindow(u"Tarnwick Test", 800, 600);
    ASSERT_NE(window, nullptr);
    RECT client{};
    ASSERT_TRUE(GetClientRect(window, &client));
    EXPECT_EQ(client.right - client.left, 800);
    EXPECT_EQ(client.bottom - client.top, 600);
    RECT outer{};
    ASSERT_TRUE(GetWindowRect(window, &outer));
    EXPECT_EQ(outer.left, 112);   // centred: 1024 / 2 - 800 / 2
    EXPECT_EQ(outer.top, 84);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), 0x80CA0000u);

    // Created hidden; WM_CREATE was sent before CreateWindowExW returned.
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(Seen(WM_CREATE).size(), 1u);
    EXPECT_EQ(GetActiveWindow(), nullptr);

    // Showing activates at once, with exactly WA_ACTIVE, before ShowWindow returns.
    EXPECT_FALSE(ShowWindow(window, SW_SHOW));
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetActiveWindow(), window);
    auto activations = Seen(WM_ACTIVATE);
    ASSERT_EQ(activations.size(), 1u);
    EXPECT_EQ(activations[0].wParam, WPARAM{WA_ACTIVE});
    EXPECT_EQ(Seen(WM_WINDOWPOSCHANGED).size(), 1u);
    // No screen saver or monitor power-off while a window exists.
    EXPECT_FALSE(SDL_IsScreenSaverEnabled());
}

TEST_F(UserTest, WindowClassesRejectBadRegistrationsAndCreations)
{
    WNDCLASSEXW good{};
    good.cbSize = sizeof good;
    good.lpfnWndProc = RecordingProc;
    good.lpszClassName = u"Game";
    ATOM atom = RegisterClassExW(&good);
    ASSERT_NE(atom, 0);

    WNDCLASSEXW sameNameOtherCase = good;
    sameNameOtherCase.lpszClassName = u"GAME";
    EXPECT_EQ(RegisterClassExW(&sameNameOtherCase), 0);
    EXPECT_EQ(GetLastError(), ERROR_CLASS_ALREADY_EXISTS);

    WNDCLASSEXW noProcedure = good;
    noProcedure.lpfnWndProc = nullptr;
    noProcedure.lpszClassName = u"Other";
    EXPECT_EQ(RegisterClassExW(&noProcedure), 0);
    WNDCLASSEXW wrongSize = good;
    wrongSize.cbSize = 12;
    wrongSize.lpszClassName = u"Other";
    EXPECT_EQ(RegisterClassExW(&wrongSize), 0);
    EXPECT_EQ(RegisterClassExW(nullptr), 0);

    EXPECT_EQ(CreateWindowExW(0, u"Missing", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
    EXPECT_EQ(GetLastError(), ERROR_CANNOT_FIND_WND_CLASS);
    EXPECT_EQ(CreateWindowExW(0, u"game", u"", WS_CHILD, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);

    // By atom and by name in any case; the class cannot go while it has a window.
    HWND window = CreateWindowExW(0, MAKEINTATOM(atom), u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(UnregisterClassW(u"game", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_CLASS_HAS_WINDOWS);
    EXPECT_TRUE(DestroyWindow(window));
    EXPECT_TRUE(UnregisterClassW(u"game", nullptr));
    EXPECT_FALSE(UnregisterClassW(u"game", nullptr));
}

LRESULT RefuseCreation(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) return -1;
    return RecordingProc(window, message, wParam, lParam);
}

LRESULT DestroyAgainOnDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_DESTROY) DestroyWindow(window);
    return RecordingProc(window, message, wParam, lParam);
}

TEST_F(UserTest, DestroyingAWindowTellsItAndInvalidatesTheHandle)
{
    WNDCLASSEXW refusing{};
    refusing.cbSize = sizeof refusing;
    refusing.lpfnWndProc = RefuseCreation;
    refusing.lpszClassName = u"Refusing";
    ASSERT_NE(RegisterClassExW(&refusing), 0);
    EXPECT_EQ(CreateWindowExW(0, u"Refusing", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr), nullptr);
    Log().clear();

    // Destroying again from inside WM_DESTROY must not recurse.
    WNDCLASSEXW reentrant = refusing;
    reentrant.lpfnWndProc = DestroyAgainOnDestroy;
    reentrant.lpszClassName = u"Reentrant";
    ASSERT_NE(RegisterClassExW(&reentrant), 0);
    HWND window = CreateWindowExW(0, u"Reentrant", u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(ShowWindow(window, SW_SHOW) == FALSE);
    SetCapture(window);
    ASSERT_TRUE(DestroyWindow(window));
    EXPECT_EQ(Seen(WM_DESTROY).size(), 1u);
    EXPECT_EQ(Seen(WM_NCDESTROY).size(), 1u);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(GetActiveWindow(), nullptr);
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(platform::GetSdlWindow(window), nullptr);
    EXPECT_FALSE(PostMessageW(window, WM_USER, 0, 0));
    EXPECT_EQ(SendMessageW(window, WM_USER, 0, 0), 0);
    EXPECT_FALSE(DestroyWindow(window));
}

TEST_F(UserTest, DebugWindowStaysHiddenAndAnswersSentMessages)
{
    WNDCLASSEXW debugClass{};
    debugClass.cbSize = sizeof debugClass;
    debugClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    debugClass.lpfnWndProc = RecordingProc;
    debugClass.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    debugClass.lpszClassName = u"DebugWindow";
    ASSERT_NE(RegisterClassExW(&debugClass), 0);
    EXPECT_NE(GetStockObject(BLACK_BRUSH), nullptr);
    EXPECT_NE(GetStockObject(WHITE_BRUSH), GetStockObject(BLACK_BRUSH));

    HWND main = CreateMainWindow();
    ASSERT_NE(main, nullptr);
    ShowWindow(main, SW_SHOW);
    HWND debug = CreateWindowExW(0, u"DebugWindow", u"DebugWindow", 0x80F40000u, 0, 0, 240, 320, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(debug, nullptr);
    EXPECT_TRUE(UpdateWindow(debug));
    EXPECT_FALSE(IsWindowVisible(debug));
    EXPECT_TRUE(Seen(WM_PAINT).empty());   // nothing to paint while hidden

    // Sent messages reach the procedure before SendMessageW returns.
    Log().clear();
    SendMessageW(debug, WM_CLOSE, 0, 0);
    ASSERT_EQ(Seen(WM_CLOSE).size(), 1u);
    EXPECT_EQ(Seen(WM_CLOSE)[0].window, debug);

    // Shown without activation, the main window keeps the focus.
    Log().clear();
    debug = CreateWindowExW(0, u"DebugWindow", u"DebugWindow", 0x80F40000u, 0, 0, 240, 320, nullptr, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
    ShowWindow(debug, SW_SHOWNOACTIVATE);
    EXPECT_TRUE(IsWindowVisible(debug));
    EXPECT_EQ(GetActiveWindow(), main);
    EXPECT_TRUE(Seen(WM_ACTIVATE).empty());
}

LRESULT PaintWithText(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_PAINT) {
        PAINTSTRUCT paint{};
        HDC dc = BeginPaint(window, &paint);
        RECT area = paint.rcPaint;
        EXPECT_EQ(DrawTextW(dc, u"line one\nline two", -1, &area, DT_WORDBREAK), 32);
        EndPaint(window, &paint);
    }
    return RecordingProc(window, message, wParam, lParam);
}

TEST_F(UserTest, PaintingIsOfferedOncePerInvalidation)
{
    HWND window = CreateMainWindow();
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);
    // A procedure that never validates would keep a Windows pump busy; here WM_PAINT comes once.
    Log().clear();
    EXPECT_FALSE(Pump());
    EXPECT_EQ(Seen(WM_PAINT).size(), 1u);
    EXPECT_FALSE(Pump());
    EXPECT_EQ(Seen(WM_PAINT).size(), 1u);
    MSG msg{};
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE));

    // Invalidated again: one more; UpdateWindow paints at once only while something is invalid.
    InvalidateRect(window, nullptr, TRUE);
    EXPECT_TRUE(UpdateWindow(window));
    EXPECT_EQ(Seen(WM_PAINT).size(), 2u);
    ValidateRect(window, nullptr);
    UpdateWindow(window);
    EXPECT_FALSE(Pump());
    EXPECT_EQ(Seen(WM_PAINT).size(), 2u);

    // A paint context records the text drawn into it.
    WNDCLASSEXW painting{};
    painting.cbSize = sizeof painting;
    painting.lpfnWndProc = PaintWithText;
    painting.lpszClassName = u"Painting";
    ASSERT_NE(RegisterClassExW(&painting), 0);
    HWND text = CreateWindowExW(0, u"Painting", u"", WS_POPUP | WS_VISIBLE, 0, 0, 240, 320, nullptr, nullptr, nullptr,
                                nullptr);
    ASSERT_NE(text, nullptr);
    UpdateWindow(text);
    EXPECT_EQ(platform::GetPaintedText(text), u"line one\nline two");
    EXPECT_EQ(DrawTextW(nullptr, u"x", -1, nullptr, 0), 0);
}

TEST_F(UserTest, CaptionTakesWideTextAndReachesSdl)
{
    HWND window = CreateMainWindow(u"Game");
    ASSERT_NE(window, nullptr);
    const char16_t* caption = u"ゲーム FPS 59.90/60";
    ASSERT_TRUE(SetWindowTextW(window, caption));
    EXPECT_STREQ(SDL_GetWindowTitle(platform::GetSdlWindow(window)), "ゲーム FPS 59.90/60");
    WCHAR buffer[8];
    EXPECT_EQ(GetWindowTextW(window, buffer, 8), 7);
    EXPECT_EQ(std::u16string(buffer), std::u16string(caption).substr(0, 7));
    EXPECT_FALSE(SetWindowTextW(nullptr, u"x"));
}

TEST_F(UserTest, ScreenAndClientCoordinatesRoundTrip)
{
    HWND window = CreateMainWindow(u"Game", 640, 480);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);
    for (POINT client : {POINT{0, 0}, POINT{639, 479}, POINT{-20, 700}}) {
        POINT point = client;
        ASSERT_TRUE(ClientToScreen(window, &point));
        ASSERT_TRUE(ScreenToClient(window, &point));
        EXPECT_EQ(point.x, client.x);
        EXPECT_EQ(point.y, client.y);
    }
    // The cursor position is where the last mouse event was: back through ScreenToClient it is
    // that event's client point, also after the window moved.
    PushMotion(window, 321, 123);
    Pump();
    SetWindowPos(window, HWND_NOTOPMOST, 40, 50, 0, 0, SWP_NOSIZE);
    POINT cursor{};
    ASSERT_TRUE(GetCursorPos(&cursor));
    EXPECT_EQ(cursor.x, 40 + 321);
    ASSERT_TRUE(ScreenToClient(window, &cursor));
    EXPECT_EQ(cursor.x, 321);
    EXPECT_EQ(cursor.y, 123);
    EXPECT_FALSE(GetCursorPos(nullptr));
}

TEST_F(UserTest, StyleAndPositionChangesReachTheWindow)
{
    HWND window = CreateMainWindow(u"Game", 640, 480);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);
    Log().clear();
    // Full screen as the graphics layer asks for it: the popup style alone, top-most, at (0, 0).
    SetWindowLongW(window, GWL_STYLE, static_cast<LONG>(WS_VISIBLE));
    EXPECT_TRUE(SetWindowPos(window, HWND_TOPMOST, 0, 0, 1024, 768, SWP_FRAMECHANGED));
    RECT client{};
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 1024);
    EXPECT_EQ(client.bottom, 768);
    EXPECT_EQ(static_cast<DWORD>(GetWindowLongW(window, GWL_STYLE)), WS_VISIBLE);
    EXPECT_EQ(Seen(WM_WINDOWPOSCHANGED).size(), 1u);
    // The SDL echo of our own change is not news.
    EXPECT_FALSE(Pump());
    EXPECT_EQ(Seen(WM_WINDOWPOSCHANGED).size(), 1u);
    // Nothing changed: nothing sent.
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 1024, 768, 0);
    EXPECT_EQ(Seen(WM_WINDOWPOSCHANGED).size(), 1u);
}

TEST_F(UserTest, FindWindowSeesOurWindowsByClassOrCaption)
{
    EXPECT_EQ(FindWindowW(u"Game", nullptr), nullptr);
    HWND window = CreateMainWindow(u"Game");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(FindWindowW(u"Game", nullptr), window);
    EXPECT_EQ(FindWindowW(u"GAME", nullptr), window);
    EXPECT_EQ(FindWindowW(nullptr, u"game"), window);
    EXPECT_EQ(FindWindowW(u"Other", nullptr), nullptr);
    DestroyWindow(window);
    EXPECT_EQ(FindWindowW(u"Game", nullptr), nullptr);
}

// Asks a child process whether a window of the class exists.
bool ChildFindsWindow(const char16_t* className)
{
    int answer[2];
    EXPECT_EQ(pipe(answer), 0);
    pid_t child = fork();
    if (child == 0) {
        char found = FindWindowW(className, nullptr) ? 'y' : 'n';
        _exit(write(answer[1], &found, 1) == 1 ? 0 : 2);
    }
    close(answer[1]);
    char found = 0;
    EXPECT_EQ(read(answer[0], &found, 1), 1);
    close(answer[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    return found == 'y';
}

TEST_F(UserTest, FindWindowSeesAnotherProcessWithTheSameTitle)
{
    const char16_t* title = u"ゲーム/Single";
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    // The child is forked first and waits; the window appears in this process meanwhile.
    int answer[2];
    ASSERT_EQ(pipe(answer), 0);
    pid_t child = fork();
    if (child == 0) {
        char go = 0;
        if (read(start[0], &go, 1) != 1) _exit(3);
        char found = FindWindowW(title, nullptr) ? 'y' : 'n';
        char other = FindWindowW(u"Some other title", nullptr) ? 'y' : 'n';
        char both[2] = {found, other};
        _exit(write(answer[1], both, 2) == 2 ? 0 : 2);
    }
    close(answer[1]);
    HWND window = CreateMainWindow(title);
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(write(start[1], "g", 1), 1);
    char both[2] = {0, 0};
    EXPECT_EQ(read(answer[0], both, 2), 2);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(both[0], 'y');
    EXPECT_EQ(both[1], 'n');
    close(start[0]);
    close(start[1]);
    close(answer[0]);

    // Once the window is gone, the class is free again for another process.
    DestroyWindow(window);
    EXPECT_FALSE(ChildFindsWindow(title));
}

// Without a session runtime folder the lock goes to a private folder of this user under the
// temporary folder; a shared folder of that name is not trusted. Lock files go with their window.
TEST_F(UserTest, WindowLocksStayPerUserAndGoWithTheirWindow)
{
    ScopedEnvironment runtime("XDG_RUNTIME_DIR");
    ScopedEnvironment temp("TMPDIR");
    runtime.Unset();
    temp.Set(m_LockFolder);
    platform::SetWindowLockFolder("");
    const std::string folder = m_LockFolder + "/tarnwick-" + std::to_string(getuid());

    HWND window = CreateMainWindow(u"Private Lock");
    ASSERT_NE(window, nullptr);
    struct stat info {};
    ASSERT_EQ(stat(folder.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0700u);
    EXPECT_EQ(info.st_uid, getuid());
    EXPECT_FALSE(std::filesystem::is_empty(folder));
    EXPECT_TRUE(ChildFindsWindow(u"Private Lock"));
    DestroyWindow(window);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    EXPECT_FALSE(ChildFindsWindow(u"Private Lock"));

    // Opened to everyone: no lock is taken there.
    ASSERT_EQ(chmod(folder.c_str(), 0777), 0);
    window = CreateMainWindow(u"Shared Lock");
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(std::filesystem::is_empty(folder));
    DestroyWindow(window);
    platform::SetWindowLockFolder(m_LockFolder);
}

}  // namespace
