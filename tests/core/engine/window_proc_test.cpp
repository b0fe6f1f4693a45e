// The main window's procedure: mouse points mapped to the virtual screen from the current client
// size, capture between press and release, the close request, swallowed system commands, the
// cursor kinds and the quit request.
#include "tests/support/engine_fixture.h"

#include "graphics/graphics.h"
#include "platform/win32/cursor.h"
#include "platform/win32/mouse.h"

namespace engine_test {
namespace {

class WindowProcTest : public CoreFixture {
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        GxSeqBase* screen = StartSequence(u"SeqScreen");
        m_Panel = new ProbeTask(screen, u"panel", "panel", &m_Journal);
        m_Button = new ProbeTask(m_Panel, u"button", "button", &m_Journal);
    }

    // Whether the queue holds a message of this kind (every message is taken out).
    static bool DrainFor(UINT wanted)
    {
        bool found = false;
        MSG message{};
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            found = found || message.message == wanted;
        return found;
    }

    ProbeTask* m_Panel = nullptr;
    ProbeTask* m_Button = nullptr;
};

TEST_F(WindowProcTest, MousePointsAreMappedFromTheCurrentClientSize)
{
    struct Case {
        int width, height, x, y;
        const char* expected;
    };
    const Case cases[] = {
        {640, 480, 320, 240, "button.LeftDown 512,384"},
        {2048, 1536, 1000, 500, "button.LeftDown 500,250"},
        {1024, 768, -10, 20, "button.LeftDown -10,20"},   // signed 16-bit halves
    };
    HWND window = MakeMainWindow(cases[0].width, cases[0].height);
    for (const Case& c : cases) {
        // Resized between messages: every message reads the client area afresh.
        SetWindowPos(window, nullptr, 0, 0, c.width, c.height, SWP_NOMOVE | SWP_NOZORDER);
        m_Journal.clear();
        Mouse(WM_LBUTTONDOWN, c.x, c.y, MK_LBUTTON);
        Mouse(WM_LBUTTONUP, c.x, c.y);
        ASSERT_EQ(m_Journal.size(), 2u) << c.width;
        EXPECT_EQ(m_Journal[0], c.expected);   // the deepest task consumed it; the panel saw nothing
    }
}

TEST_F(WindowProcTest, AReleaseReachesTheTasksOnlyAfterAPressInTheWindow)
{
    HWND window = MakeMainWindow(1024, 768);
    Mouse(WM_LBUTTONUP, 10, 10);   // the press happened elsewhere
    EXPECT_TRUE(m_Journal.empty());

    Mouse(WM_LBUTTONDOWN, 10, 10);
    EXPECT_EQ(GetCapture(), window);
    Mouse(WM_LBUTTONUP, 2000, -50);   // released outside the client area
    EXPECT_EQ(GetCapture(), nullptr);
    EXPECT_EQ(m_Journal, (std::vector<std::string>{"button.LeftDown 10,10", "button.LeftUp 2000,-50"}));

    m_Journal.clear();
    m_Core->WindowProc(window, WM_LBUTTONDBLCLK, 0, MAKELPARAM(4, 8));
    EXPECT_EQ(GetCapture(), nullptr);   // a double click takes no capture
    Mouse(WM_RBUTTONDOWN, 1, 2);
    Mouse(WM_RBUTTONUP, 3, 4);
    EXPECT_EQ(m_Journal, (std::vector<std::string>{"button.LeftDouble 4,8", "button.RightDown 1,2", "button.RightUp 3,4"}));
}

TEST_F(WindowProcTest, AnEmptyClientAreaMapsNoMouseMessage)
{
    HWND window = MakeMainWindow(1024, 768);
    Mouse(WM_LBUTTONDOWN, 10, 10);
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOZORDER);
    m_Journal.clear();
    Mouse(WM_MOUSEMOVE, 5, 5);
    Mouse(WM_LBUTTONUP, 5, 5);
    EXPECT_TRUE(m_Journal.empty());
    EXPECT_EQ(GetCapture(), nullptr);   // the capture is not left behind
}

TEST_F(WindowProcTest, TheWheelPointIsTheCursorTruncatedToWholeVirtualPixels)
{
    HWND window = MakeMainWindow(1000, 700);
    // The pump learns the cursor from a motion event.
    SDL_Event motion{};
    motion.type = SDL_MOUSEMOTION;
    motion.motion.windowID = SDL_GetWindowID(platform::GetSdlWindow(window));
    motion.motion.x = 333;
    motion.motion.y = 250;
    SDL_PushEvent(&motion);
    MSG message{};
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageW(&message);
    const POINT cursor = m_Core->GetCursorClientPos();
    EXPECT_EQ(cursor.x, 340);   // 333 * 1024 / 1000 = 340.99
    EXPECT_EQ(cursor.y, 274);   // 250 * 768 / 700 = 274.29

    m_Journal.clear();
    // The message's own point (screen coordinates) is not used.
    m_Core->WindowProc(window, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, static_cast<WORD>(-240)), MAKELPARAM(9999, 9999));
    EXPECT_EQ(m_Journal, (std::vector<std::string>{"button.Wheel 340,274 -240 4"}));
}

TEST_F(WindowProcTest, ACloseRequestQuitsOnlyWhenNoTaskConsumesIt)
{
    HWND window = MakeMainWindow(1024, 768);
    m_Button->m_CloseAnswers = {1};
    EXPECT_EQ(m_Core->WindowProc(window, WM_CLOSE, 0, 0), 0);
    EXPECT_FALSE(DrainFor(WM_DESTROY));
    EXPECT_TRUE(IsWindow(window));

    EXPECT_EQ(m_Core->WindowProc(window, WM_CLOSE, 0, 0), 0);
    // The quit road: the destroy message, answered with the quit message.
    MSG message{};
    ASSERT_TRUE(PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE));
    EXPECT_EQ(message.message, WM_DESTROY);
    EXPECT_EQ(message.hwnd, window);
    DispatchMessageW(&message);
    EXPECT_TRUE(DrainFor(WM_QUIT));
    EXPECT_TRUE(IsWindow(window));   // the window itself is never destroyed
}

TEST_F(WindowProcTest, ScreenSaverAndMonitorPowerCommandsAreSwallowed)
{
    HWND window = MakeMainWindow(1024, 768);
    EXPECT_EQ(m_Core->WindowProc(window, WM_SYSCOMMAND, SC_SCREENSAVE, 0), 0);
    EXPECT_EQ(m_Core->WindowProc(window, WM_SYSCOMMAND, SC_MONITORPOWER, 2), 0);
    EXPECT_TRUE(m_Journal.empty());
    // Any other command takes the default road: the close command becomes a close request.
    m_Core->WindowProc(window, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(m_Journal, (std::vector<std::string>{"button.Close", "panel.Close"}));
}

TEST_F(WindowProcTest, ActivationReachesTheTasksAndSetsTheActiveFlag)
{
    HWND window = MakeMainWindow(1024, 768);
    m_Journal.clear();
    m_Core->WindowProc(window, WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(m_Core->m_Active);
    m_Core->WindowProc(window, WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(m_Core->m_Active);
    EXPECT_EQ(m_Journal, (std::vector<std::string>{"button.Activate", "panel.Activate", "button.Deactivate",
                                                   "panel.Deactivate"}));
}

TEST_F(WindowProcTest, CursorKindsSetTheCursorAndAnswerTheSetCursorMessage)
{
    HWND window = MakeMainWindow(1024, 768);
    HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
    HCURSOR cross = LoadCursorW(nullptr, IDC_CROSS);
    struct Case {
        std::int32_t kind;
        std::int32_t screenMode;
        LRESULT answer;
        HCURSOR cursor;
    };
    const Case cases[] = {
        {0, 0, 1, nullptr}, {1, 0, 1, arrow}, {2, 1, 1, arrow},  {2, 2, 1, nullptr},
        {3, 0, 1, cross},   {4, 0, 1, nullptr}, {5, 0, 0, cross}, {-1, 0, 0, cross},
    };
    for (const Case& c : cases) {
        SetCursor(cross);
        m_Core->m_CursorKind = c.kind;
        GxGraphics::GetDisplaySettings().CurrentScreenMode = c.screenMode;
        EXPECT_EQ(m_Core->WindowProc(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, 0)),
                  c.answer)
            << c.kind;
        EXPECT_EQ(GetCursor(), c.cursor) << c.kind << " in mode " << c.screenMode;
    }
    GxGraphics::GetDisplaySettings().CurrentScreenMode = 0;

    m_Core->SetCursorShape(5);
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEWE));
    m_Core->SetCursorShape(7);   // not a shape: nothing changes
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEWE));
    m_Core->SetCursorShape(0);
    EXPECT_EQ(GetCursor(), nullptr);
}

TEST_F(WindowProcTest, AQuitRequestWithoutAMainWindowStillEndsTheLoop)
{
    // A failed window creation must not leave the loop waiting for a destroy message that no
    // window procedure would ever answer.
    m_Core->m_MainWindow = nullptr;
    m_Core->RequestQuit();
    EXPECT_FALSE(m_Core->RunMainLoopPass());
    EXPECT_TRUE(m_Core->m_Quit);
}

}  // namespace
}  // namespace engine_test
