// The message queue: the quit path, filters, dispatch, overflow and posting from other threads.
#include "user_fixture.h"

#include <thread>

namespace {

using namespace usertest;

LRESULT QuitOnDestroy(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    RecordingProc(window, message, wParam, lParam);
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return message == WM_CLOSE ? 0 : DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(UserTest, PostedDestroyEndsThePumpAndLeavesLaterMessagesQueued)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = QuitOnDestroy;
    windowClass.lpszClassName = u"Game";
    ASSERT_NE(RegisterClassExW(&windowClass), 0);
    HWND window = CreateWindowExW(0, u"Game", u"Game", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(window, nullptr);

    // Posting WM_DESTROY only asks: the window is still there afterwards.
    ASSERT_TRUE(PostMessageW(window, WM_DESTROY, 0, 0));
    ASSERT_TRUE(PostMessageW(window, WM_USER + 1, 0, 0));
    EXPECT_TRUE(IsWindow(window));

    // First pass: WM_DESTROY, the procedure queues WM_QUIT behind WM_USER + 1; the pump goes on
    // to WM_USER + 1, then sees the quit and stops.
    EXPECT_TRUE(Pump());
    EXPECT_EQ(SeenMessages({WM_DESTROY, WM_USER + 1}), (std::vector<UINT>{WM_DESTROY, WM_USER + 1}));
    EXPECT_TRUE(IsWindow(window));

    // A quit first among several waiting messages leaves the others queued.
    PostQuitMessage(3);
    PostMessageW(window, WM_USER + 2, 0, 0);
    PostMessageW(nullptr, WM_USER + 3, 0, 0);
    MSG msg{};
    EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), FALSE);
    EXPECT_EQ(msg.message, WM_QUIT);
    EXPECT_EQ(msg.wParam, WPARAM{3});
    EXPECT_EQ(platform::QueuedMessageCount(), 2u);
    EXPECT_FALSE(Pump());
    EXPECT_EQ(Seen(WM_USER + 2).size(), 1u);
    EXPECT_TRUE(Seen(WM_USER + 3).empty());   // posted without a window: not dispatched
    EXPECT_EQ(platform::QueuedMessageCount(), 0u);
}

TEST_F(UserTest, PeekNeverBlocksAndFiltersByWindowAndRange)
{
    MSG msg{};
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE));   // empty: returns at once
    EXPECT_FALSE(PeekMessageW(nullptr, nullptr, 0, 0, PM_REMOVE));

    HWND a = CreateMainWindow(u"A");
    HWND b = CreateMainWindow(u"B");
    ASSERT_TRUE(a && b);
    PostMessageW(a, WM_USER + 1, 11, 0);
    PostMessageW(b, WM_USER + 2, 22, 0);
    PostMessageW(nullptr, WM_USER + 3, 33, 0);

    struct Case {
        HWND window;
        UINT low, high;
        UINT expected;   // 0: none
    } cases[] = {
        {nullptr, 0, 0, WM_USER + 1},
        {b, 0, 0, WM_USER + 2},
        {reinterpret_cast<HWND>(static_cast<std::intptr_t>(-1)), 0, 0, WM_USER + 3},
        {nullptr, WM_USER + 2, WM_USER + 3, WM_USER + 2},
        {a, WM_USER + 2, WM_USER + 3, 0},
    };
    for (const Case& c : cases) {
        BOOL found = PeekMessageW(&msg, c.window, c.low, c.high, PM_NOREMOVE);
        EXPECT_EQ(found != FALSE, c.expected != 0);
        if (found) {
            EXPECT_EQ(msg.message, c.expected);
        }
    }
    EXPECT_EQ(platform::QueuedMessageCount(), 3u);   // PM_NOREMOVE took nothing

    ASSERT_TRUE(PeekMessageW(&msg, b, 0, 0, PM_REMOVE));
    EXPECT_EQ(msg.wParam, WPARAM{22});
    EXPECT_EQ(platform::QueuedMessageCount(), 2u);
    // A bad window filter is an error, not a wait.
    EXPECT_EQ(GetMessageW(&msg, reinterpret_cast<HWND>(0x1234), 0, 0), -1);
}

TEST_F(UserTest, DispatchGoesOnlyToLiveWindows)
{
    HWND window = CreateMainWindow();
    ASSERT_NE(window, nullptr);
    MSG msg{};
    msg.hwnd = nullptr;
    msg.message = WM_USER;
    EXPECT_EQ(DispatchMessageW(&msg), 0);
    EXPECT_EQ(DispatchMessageW(nullptr), 0);
    EXPECT_TRUE(Seen(WM_USER).empty());

    // A message still queued for a window destroyed meanwhile reaches nobody.
    PostMessageW(window, WM_USER, 0, 0);
    DestroyWindow(window);
    EXPECT_FALSE(Pump());
    EXPECT_TRUE(Seen(WM_USER).empty());

    EXPECT_FALSE(PostMessageW(reinterpret_cast<HWND>(0x5678), WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_WINDOW_HANDLE);
}

TEST_F(UserTest, AFullQueueRefusesPostsButNeverTheQuit)
{
    for (std::size_t i = 0; i < kMessageQueueLimit; ++i) ASSERT_TRUE(PostMessageW(nullptr, WM_USER, i, 0));
    EXPECT_FALSE(PostMessageW(nullptr, WM_USER, 0, 0));
    EXPECT_EQ(GetLastError(), ERROR_NOT_ENOUGH_QUOTA);
    PostQuitMessage(0);
    EXPECT_EQ(platform::QueuedMessageCount(), kMessageQueueLimit + 1);
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.message, WM_QUIT);
}

TEST_F(UserTest, GetMessageWaitsForAPostFromAnotherThread)
{
    std::thread poster([] { PostMessageW(nullptr, WM_USER + 7, 7, 0); });
    MSG msg{};
    EXPECT_EQ(GetMessageW(&msg, nullptr, 0, 0), TRUE);
    EXPECT_EQ(msg.message, WM_USER + 7);
    poster.join();
}

}  // namespace
