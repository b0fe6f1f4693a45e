// The debug text window: hidden at birth, painted as its joined lines, hidden (not destroyed) by
// a close, shown and hidden with Alt+F11.
#include "tests/support/engine_fixture.h"

#include "core/debug_window.h"
#include "platform/win32/keyboard.h"
#include "platform/win32/paint.h"

namespace engine_test {
namespace {

class DebugWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        platform::SetWindowLockFolder(m_Temp.Path().string());
        platform::ResetUserStateForTesting();
        ResetDebugWindowState();
        ASSERT_TRUE(CreateDebugWindow(GetModuleHandleW(nullptr)));
        m_Window = GetDebugWindowState().m_Window;
    }
    void TearDown() override
    {
        GetDebugWindowState().m_Window = nullptr;
        ResetDebugWindowState();
        platform::ResetUserStateForTesting();
    }

    TempFolder m_Temp;
    HWND m_Window = nullptr;
};

TEST_F(DebugWindowTest, IsMadeHiddenAndPaintsItsLinesJoinedAndCut)
{
    EXPECT_FALSE(IsWindowVisible(m_Window));
    EXPECT_FALSE(GetDebugWindowState().m_Shown);

    const std::u16string longLine(300, u'x');
    SetDebugWindowLine(0, u"first\n");
    SetDebugWindowLine(5, longLine.c_str());
    SetDebugWindowLine(31, u"last");
    EXPECT_FALSE(SetDebugWindowLine(32, u"out of range"));
    EXPECT_FALSE(SetDebugWindowLine(-1, u"out of range"));
    // No separator is added between lines; each gives at most 261 characters.
    GetDebugWindowState().m_Lines[7][kDebugWindowLineUnits - 1] = u'y';   // a line without its zero
    for (int i = 0; i < kDebugWindowLineUnits - 1; ++i)
        GetDebugWindowState().m_Lines[7][i] = u'z';
    PaintDebugWindow();
    EXPECT_EQ(platform::GetPaintedText(m_Window),
              u"first\n" + std::u16string(261, u'x') + std::u16string(261, u'z') + u"last");
    EXPECT_FALSE(GetDebugWindowState().m_Changed);
}

TEST_F(DebugWindowTest, CloseHidesAndAltF11Toggles)
{
    SendMessageW(m_Window, WM_SYSKEYDOWN, VK_F11, 0);
    EXPECT_TRUE(IsWindowVisible(m_Window));
    EXPECT_TRUE(GetDebugWindowState().m_Shown);
    SendMessageW(m_Window, WM_SYSKEYDOWN, VK_F11, 0);
    EXPECT_FALSE(IsWindowVisible(m_Window));
    EXPECT_FALSE(GetDebugWindowState().m_Shown);

    SendMessageW(m_Window, WM_SYSKEYDOWN, VK_F11, 0);
    EXPECT_EQ(SendMessageW(m_Window, WM_CLOSE, 0, 0), 0);
    EXPECT_TRUE(IsWindow(m_Window));
    EXPECT_FALSE(IsWindowVisible(m_Window));
    EXPECT_FALSE(GetDebugWindowState().m_Shown);
    // Other keys do nothing.
    SendMessageW(m_Window, WM_SYSKEYDOWN, VK_F10, 0);
    EXPECT_FALSE(IsWindowVisible(m_Window));
}

}  // namespace
}  // namespace engine_test
