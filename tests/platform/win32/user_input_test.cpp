// SDL events as window messages: mouse, wheel, keys, focus, close, moves and sizes; capture,
// cursors and the key state.
#include "user_fixture.h"

#include "platform/win32/cursor.h"
#include "platform/win32/keyboard.h"

namespace {

using namespace usertest;

class UserInputTest : public UserTest {
protected:
    void SetUp() override
    {
        UserTest::SetUp();
        m_Window = CreateMainWindow(u"Game", 640, 480);
        ASSERT_NE(m_Window, nullptr);
        ShowWindow(m_Window, SW_SHOW);
        Pump();
        Log().clear();
    }

    // The mouse and key messages the procedure saw, in order.
    std::vector<Received> Input()
    {
        std::vector<Received> out;
        for (const Received& r : Log())
            if ((r.message >= WM_MOUSEMOVE && r.message <= WM_MOUSEWHEEL) ||
                (r.message >= WM_KEYDOWN && r.message <= WM_SYSKEYUP))
                out.push_back(r);
        return out;
    }

    HWND m_Window = nullptr;
};

TEST_F(UserInputTest, PressMoveReleaseBecomeMouseMessagesWithClientPointsAndKeys)
{
    PushMotion(m_Window, 10, 20);
    PushButton(m_Window, true, SDL_BUTTON_LEFT, 10, 20);
    PushKey(m_Window, true, SDL_SCANCODE_LSHIFT);
    PushMotion(m_Window, 30, 40);
    PushButton(m_Window, false, SDL_BUTTON_LEFT, 30, 40);
    EXPECT_FALSE(Pump());

    auto input = Input();
    std::vector<UINT> kinds;
    for (auto& r : input) kinds.push_back(r.message);
    EXPECT_EQ(kinds, (std::vector<UINT>{WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_KEYDOWN, WM_MOUSEMOVE, WM_LBUTTONUP}));
    EXPECT_EQ(input[0].wParam, WPARAM{0});
    EXPECT_EQ(input[1].wParam, WPARAM{MK_LBUTTON});
    EXPECT_EQ(input[3].wParam, WPARAM{MK_LBUTTON | MK_SHIFT});
    EXPECT_EQ(input[4].wParam, WPARAM{MK_SHIFT});   // the released button is no longer held
    EXPECT_EQ(GET_X_LPARAM(input[4].lParam), 30);
    EXPECT_EQ(GET_Y_LPARAM(input[4].lParam), 40);
    // Each move inside the client is preceded by WM_SETCURSOR for the client area.
    auto cursor = Seen(WM_SETCURSOR);
    ASSERT_EQ(cursor.size(), 2u);
    EXPECT_EQ(LOWORD(static_cast<DWORD_PTR>(cursor[0].lParam)), HTCLIENT);
}

TEST_F(UserInputTest, MovesOutsideTheClientArriveOnlyWhileCaptured)
{
    struct Case {
        int x, y;
        bool captured;
        bool delivered;
    } cases[] = {
        {-5, 10, false, false}, {640, 10, false, false}, {10, 480, false, false},
        {-5, 10, true, true},   {700, -30, true, true},  {639, 479, false, true},
    };
    for (const Case& c : cases) {
        Log().clear();
        if (c.captured) SetCapture(m_Window);
        PushMotion(m_Window, c.x, c.y);
        Pump();
        ReleaseCapture();
        auto moves = Seen(WM_MOUSEMOVE);
        ASSERT_EQ(moves.size(), c.delivered ? 1u : 0u) << c.x << "," << c.y;
        if (!c.delivered) continue;
        // Signed halves: a point left of or above the client stays negative.
        EXPECT_EQ(GET_X_LPARAM(moves[0].lParam), c.x);
        EXPECT_EQ(GET_Y_LPARAM(moves[0].lParam), c.y);
        EXPECT_EQ(Seen(WM_SETCURSOR).size(), c.captured ? 0u : 1u);
    }
    // A release outside without the capture reaches no window.
    Log().clear();
    PushButton(m_Window, false, SDL_BUTTON_LEFT, -10, -10);
    Pump();
    EXPECT_TRUE(Input().empty());
}

TEST_F(UserInputTest, SecondQuickClickIsAPressUnlessTheClassWantsDoubleClicks)
{
    for (Uint8 clicks : {1, 2, 3}) {
        PushButton(m_Window, true, SDL_BUTTON_LEFT, 5, 5, clicks);
        PushButton(m_Window, false, SDL_BUTTON_LEFT, 5, 5, clicks);
    }
    PushButton(m_Window, true, SDL_BUTTON_RIGHT, 5, 5, 2);
    Pump();
    EXPECT_EQ(Seen(WM_LBUTTONDOWN).size(), 3u);
    EXPECT_EQ(Seen(WM_RBUTTONDOWN).size(), 1u);
    EXPECT_TRUE(Seen(WM_LBUTTONDBLCLK).empty());
    EXPECT_TRUE(Seen(WM_RBUTTONDBLCLK).empty());

    // With CS_DBLCLKS the second click of a pair is the double click.
    platform::ResetUserStateForTesting();
    Log().clear();
    HWND window = CreateMainWindow(u"Debug", 200, 200, CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS);
    ASSERT_NE(window, nullptr);
    ShowWindow(window, SW_SHOW);
    for (Uint8 clicks : {1, 2, 3}) PushButton(window, true, SDL_BUTTON_LEFT, 5, 5, clicks);
    Pump();
    EXPECT_EQ(SeenMessages({WM_LBUTTONDOWN, WM_LBUTTONDBLCLK}),
              (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONDBLCLK, WM_LBUTTONDOWN}));
}

TEST_F(UserInputTest, WheelNotchesGiveSignedMultiplesOf120)
{
    struct Case {
        int y;
        float precise;
        Uint32 direction;
        short expected;
    } cases[] = {
        {1, 0.0f, SDL_MOUSEWHEEL_NORMAL, 120},  {-2, 0.0f, SDL_MOUSEWHEEL_NORMAL, -240},
        {1, 0.0f, SDL_MOUSEWHEEL_FLIPPED, -120}, {0, 0.5f, SDL_MOUSEWHEEL_NORMAL, 60},
        {500, 0.0f, SDL_MOUSEWHEEL_NORMAL, 32767},
    };
    PushKey(m_Window, true, SDL_SCANCODE_LCTRL);
    PushButton(m_Window, true, SDL_BUTTON_RIGHT, 1, 1);
    for (const Case& c : cases) {
        SDL_Event e{};
        e.type = SDL_MOUSEWHEEL;
        e.wheel.windowID = SdlId(m_Window);
        e.wheel.y = c.y;
        e.wheel.preciseY = c.precise;
        e.wheel.direction = c.direction;
        SDL_PushEvent(&e);
    }
    Pump();
    auto wheels = Seen(WM_MOUSEWHEEL);
    ASSERT_EQ(wheels.size(), std::size(cases));
    for (std::size_t i = 0; i < wheels.size(); ++i) {
        EXPECT_EQ(GET_WHEEL_DELTA_WPARAM(wheels[i].wParam), cases[i].expected) << i;
        EXPECT_EQ(GET_KEYSTATE_WPARAM(wheels[i].wParam), MK_CONTROL | MK_RBUTTON) << i;
    }
}

TEST_F(UserInputTest, KeysBecomeVirtualKeysWithTheWin32KeyData)
{
    struct Case {
        SDL_Scancode scancode;
        SDL_Keycode sym;
        int virtualKey;
        unsigned scan;
        bool extended;
    } cases[] = {
        {SDL_SCANCODE_RETURN, SDLK_RETURN, VK_RETURN, 0x1C, false},
        {SDL_SCANCODE_RIGHT, SDLK_RIGHT, VK_RIGHT, 0x4D, true},
        {SDL_SCANCODE_DOWN, SDLK_DOWN, VK_DOWN, 0x50, true},
        {SDL_SCANCODE_KP_ENTER, SDLK_KP_ENTER, VK_RETURN, 0x1C, true},
        {SDL_SCANCODE_KP_7, SDLK_KP_7, VK_NUMPAD0 + 7, 0x47, false},
        {SDL_SCANCODE_Q, SDLK_a, 'A', 0x10, false},   // a French layout: the letter decides
        {SDL_SCANCODE_1, SDLK_AMPERSAND, '1', 0x02, false},
        {SDL_SCANCODE_F11, SDLK_F11, VK_F11, 0x57, false},
        {SDL_SCANCODE_INTERNATIONAL3, 0, VK_OEM_5, 0x7D, false},
    };
    for (const Case& c : cases) {
        Log().clear();
        PushKey(m_Window, true, c.scancode, c.sym);
        PushKey(m_Window, true, c.scancode, c.sym, true);
        PushKey(m_Window, false, c.scancode, c.sym);
        Pump();
        auto input = Input();
        ASSERT_EQ(input.size(), 3u) << c.scancode;
        EXPECT_EQ(input[0].message, WM_KEYDOWN);
        EXPECT_EQ(input[1].message, WM_KEYDOWN);
        EXPECT_EQ(input[2].message, WM_KEYUP);
        for (auto& r : input) {
            EXPECT_EQ(r.wParam, static_cast<WPARAM>(c.virtualKey)) << c.scancode;
            auto data = static_cast<DWORD>(r.lParam);
            EXPECT_EQ(data & 0xFFFFu, 1u);
            EXPECT_EQ((data >> 16) & 0xFFu, c.scan) << c.scancode;
            EXPECT_EQ(((data >> 24) & 1u) != 0, c.extended) << c.scancode;
        }
        // Previous state (bit 30): clear on the first press, set on the repeat and the release;
        // transition (bit 31) only on the release.
        EXPECT_EQ(static_cast<DWORD>(input[0].lParam) >> 30, 0u);
        EXPECT_EQ(static_cast<DWORD>(input[1].lParam) >> 30, 1u);
        EXPECT_EQ(static_cast<DWORD>(input[2].lParam) >> 30, 3u);
    }
}

TEST_F(UserInputTest, KeysWithAltAreSystemKeysAndTheKeyStateFollows)
{
    PushKey(m_Window, true, SDL_SCANCODE_LALT);
    PushKey(m_Window, true, SDL_SCANCODE_F11);
    PushKey(m_Window, false, SDL_SCANCODE_F11);
    PushKey(m_Window, false, SDL_SCANCODE_LALT);
    PushKey(m_Window, true, SDL_SCANCODE_F11);
    Pump();
    std::vector<UINT> kinds;
    for (auto& r : Input()) kinds.push_back(r.message);
    EXPECT_EQ(kinds,
              (std::vector<UINT>{WM_SYSKEYDOWN, WM_SYSKEYDOWN, WM_SYSKEYUP, WM_SYSKEYUP, WM_KEYDOWN}));
    EXPECT_EQ(Input()[1].wParam, WPARAM{VK_F11});
    EXPECT_NE(static_cast<DWORD>(Input()[1].lParam) & (1u << 29), 0u);   // context code: Alt held

    EXPECT_LT(GetKeyState(VK_F11), 0);
    EXPECT_GE(GetKeyState(VK_SHIFT), 0);
    PushKey(m_Window, true, SDL_SCANCODE_RSHIFT);
    Pump();
    EXPECT_LT(GetKeyState(VK_SHIFT), 0);
    EXPECT_LT(GetKeyState(VK_RSHIFT), 0);
    EXPECT_GE(GetKeyState(VK_LSHIFT), 0);
}

TEST_F(UserInputTest, FocusChangesActivateWithOneAndZero)
{
    PushWindowEvent(m_Window, SDL_WINDOWEVENT_FOCUS_GAINED);   // already active: no news
    PushWindowEvent(m_Window, SDL_WINDOWEVENT_FOCUS_LOST);
    Pump();
    auto activations = Seen(WM_ACTIVATE);
    ASSERT_EQ(activations.size(), 1u);
    EXPECT_EQ(activations[0].wParam, WPARAM{0});   // exactly WA_INACTIVE, no minimised word
    EXPECT_EQ(GetActiveWindow(), nullptr);

    // Losing the focus ends a capture and forgets held keys.
    PushWindowEvent(m_Window, SDL_WINDOWEVENT_FOCUS_GAINED);
    PushKey(m_Window, true, SDL_SCANCODE_LCTRL);
    Pump();
    SetCapture(m_Window);
    PushWindowEvent(m_Window, SDL_WINDOWEVENT_FOCUS_LOST);
    Pump();
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_GE(GetKeyState(VK_CONTROL), 0);
    activations = Seen(WM_ACTIVATE);
    ASSERT_EQ(activations.size(), 3u);
    EXPECT_EQ(activations[1].wParam, WPARAM{WA_ACTIVE});
    EXPECT_EQ(activations[2].wParam, WPARAM{WA_INACTIVE});
}

TEST_F(UserInputTest, CloseRequestsBecomeCloseMessages)
{
    PushWindowEvent(m_Window, SDL_WINDOWEVENT_CLOSE);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    // The recording procedure passes WM_CLOSE on to DefWindowProcW, which destroys the window
    // at the first one; the second then has no window left to reach.
    Pump();
    EXPECT_EQ(Seen(WM_CLOSE).size(), 1u);
    EXPECT_FALSE(IsWindow(m_Window));
}

TEST_F(UserInputTest, MovesResizesAndMinimisingReportPositionChanges)
{
    PushWindowEvent(m_Window, SDL_WINDOWEVENT_MOVED, 5, 6);
    PushWindowEvent(m_Window, SDL_WINDOWEVENT_MOVED, 5, 6);   // same place: nothing new
    PushWindowEvent(m_Window, SDL_WINDOWEVENT_SIZE_CHANGED, 320, 240);
    Pump();
    EXPECT_EQ(Seen(WM_WINDOWPOSCHANGED).size(), 2u);
    RECT rect{};
    GetWindowRect(m_Window, &rect);
    EXPECT_EQ(rect.left, 5);
    EXPECT_EQ(rect.right, 5 + 320);

    // Minimised, the client area is empty, and no mouse message arrives.
    PushWindowEvent(m_Window, SDL_WINDOWEVENT_MINIMIZED);
    PushMotion(m_Window, 10, 10);
    Pump();
    EXPECT_EQ(Seen(WM_WINDOWPOSCHANGED).size(), 3u);
    GetClientRect(m_Window, &rect);
    EXPECT_EQ(rect.right, 0);
    EXPECT_EQ(rect.bottom, 0);
    EXPECT_TRUE(IsIconic(m_Window));
    EXPECT_TRUE(Seen(WM_MOUSEMOVE).empty());

    PushWindowEvent(m_Window, SDL_WINDOWEVENT_RESTORED);
    Pump();
    EXPECT_EQ(Seen(WM_WINDOWPOSCHANGED).size(), 4u);
    GetClientRect(m_Window, &rect);
    EXPECT_EQ(rect.right, 320);
}

TEST_F(UserInputTest, CaptureBelongsToOneLiveWindow)
{
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(SetCapture(m_Window), nullptr);
    EXPECT_EQ(GetCapture(), m_Window);
    EXPECT_EQ(SetCapture(reinterpret_cast<HWND>(0x4321)), nullptr);   // not a window: refused
    EXPECT_EQ(GetCapture(), m_Window);
    EXPECT_TRUE(ReleaseCapture());
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_TRUE(ReleaseCapture());   // releasing nothing is fine
}

TEST_F(UserInputTest, CursorKindsAreSdlSystemCursorsAndNullHides)
{
    struct Case {
        LPCWSTR name;
        SDL_SystemCursor shape;
    } cases[] = {
        {IDC_ARROW, SDL_SYSTEM_CURSOR_ARROW},   {IDC_CROSS, SDL_SYSTEM_CURSOR_CROSSHAIR},
        {IDC_SIZEALL, SDL_SYSTEM_CURSOR_SIZEALL}, {IDC_SIZENS, SDL_SYSTEM_CURSOR_SIZENS},
        {IDC_SIZEWE, SDL_SYSTEM_CURSOR_SIZEWE}, {IDC_NO, SDL_SYSTEM_CURSOR_NO},
    };
    for (const Case& c : cases) {
        HCURSOR cursor = LoadCursorW(nullptr, c.name);
        ASSERT_NE(cursor, nullptr);
        EXPECT_EQ(platform::SystemCursorShape(cursor), c.shape);
        SetCursor(cursor);
        EXPECT_EQ(GetCursor(), cursor);
        EXPECT_TRUE(platform::IsCursorShown());
        EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_ENABLE);
    }
    HCURSOR previous = SetCursor(nullptr);
    EXPECT_EQ(platform::SystemCursorShape(previous), SDL_SYSTEM_CURSOR_NO);
    EXPECT_FALSE(platform::IsCursorShown());
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);

    EXPECT_EQ(LoadCursorW(nullptr, MAKEINTRESOURCEW(101)), nullptr);
    EXPECT_EQ(LoadCursorW(GetModuleHandleW(nullptr), IDC_ARROW), nullptr);
    EXPECT_EQ(SetCursor(reinterpret_cast<HCURSOR>(&previous)), nullptr);   // not a cursor: refused
    EXPECT_EQ(GetCursor(), nullptr);

    // The default answer to WM_SETCURSOR in the client sets the class cursor (none here).
    EXPECT_EQ(DefWindowProcW(m_Window, WM_SETCURSOR, 0, MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)), TRUE);
}

}  // namespace
