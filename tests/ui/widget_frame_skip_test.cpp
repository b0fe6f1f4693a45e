// Unchanged frames with widgets, through the core's own frame: a hover, a slider drag and every
// revealed character of a message present a frame; once the message is fully shown and nothing
// moves, no frame is presented for the rest of its click wait.
#include "image_widget_test_support.h"

#include "core/core.h"
#include "graphics/graphics.h"
#include "foundation/wide_string.h"
#include "tests/support/ui/harness/ui_system_fonts.h"
#include "tests/support/ui/message_window_rows.h"
#include "ui/message_window.h"
#include "ui/ui_button.h"
#include "ui/ui_slider.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace ui_test {
namespace {

class WidgetFrameSkipTest : public ImageWidgetTest {
protected:
    void SetUp() override
    {
        ImageWidgetTest::SetUp();
        ASSERT_TRUE(m_Sets.Add("uigis/fs.gis",
                               {Cell(u"go_off.png", 100, 40, kOffRgb), Cell(u"go_on.png", 100, 40, kOnRgb),
                                Cell(u"go_over.png", 100, 40, kOverRgb), Cell(u"go_na.png", 100, 40, kNaRgb),
                                Cell(u"h_off.png", 20, 20, kOffRgb), Cell(u"h_on.png", 20, 20, kOnRgb),
                                Cell(u"h_over.png", 20, 20, kOverRgb), Cell(u"h_back.png", 220, 20, kOffRgb)}));
    }

    // Presents made by `frames` more frames of the core.
    std::uint64_t PresentsOf(int frames)
    {
        GxCore& core = m_Harness.Core();
        const std::uint64_t before = core.m_PresentedFrames;
        for (int i = 0; i < frames; ++i)
            core.Frame();
        return core.m_PresentedFrames - before;
    }
};

TEST_F(WidgetFrameSkipTest, AHoverAndASliderDragPresentAndTheStillPictureDoesNot)
{
    auto* button = new GxTaskUIButtonIs(Screen(), nullptr, nullptr, 0);
    button->SetImageName(u"uigis/fs/go");
    button->SetPos(GxVector3(100.0f, 100.0f, 0.0f));
    Enter(button);
    auto* slider = new GxTaskUIHSliderIs(Screen(), nullptr, nullptr, 0);
    slider->SetImageName(u"uigis/fs/h");
    slider->SetPos(GxVector3(100.0f, 300.0f, 0.0f));
    slider->SetClientRect(10, 0, 200, 20);
    Enter(slider);
    slider->SetValue(50.0);   // the thumb spans x 200 to 220
    PresentsOf(3);
    ASSERT_EQ(PresentsOf(5), 0u);

    struct Case {
        const char* what;
        std::function<void()> change;
    };
    const std::vector<Case> cases = {
        {"pointer onto the button", [&] { m_Harness.MouseMove(150, 120); }},
        {"pointer off the button", [&] { m_Harness.MouseMove(600, 600); }},
        {"slider thumb pressed", [&] { m_Harness.LeftDown(210, 310); }},
        {"slider dragged", [&] { m_Harness.MouseMove(240, 310); }},
        {"slider dragged further", [&] { m_Harness.MouseMove(260, 310); }},
        {"slider released", [&] { m_Harness.LeftUp(260, 310); }},
    };
    for (const Case& c : cases) {
        c.change();
        EXPECT_GE(PresentsOf(1), 1u) << c.what;
        // A look that eases in may take a few frames; then the picture stands still.
        PresentsOf(10);
        EXPECT_EQ(PresentsOf(5), 0u) << c.what;
    }
    EXPECT_GT(slider->GetValue(), 50.0);
}

class MessageFrameSkipTest : public UIHarnessTest {
protected:
    void SetUp() override
    {
        UIHarnessTest::SetUp();
        const std::filesystem::path frames = m_Harness.Folder() / "cg" / "ui";
        ASSERT_TRUE(WriteMessageWindowFrame(frames));
        const std::u16string folder = Utf8ToWide(frames.string()) + u"/";
        ASSERT_TRUE(WriteUITables(m_Harness.Folder(), {MessageWindowModuleRow(folder)},
                                  {MessageWindowLayoutRow(u"SeqUITest")}));
        ASSERT_TRUE(m_Harness.LoadUITables(m_Harness.Folder()));
        m_Harness.CreateWidgets(u"SeqUITest");
        m_Window = dynamic_cast<GxTaskUIMessageWindowFx*>(Manage().FindTask(u"$MESWIN:SeqAvgMain"));
        ASSERT_NE(m_Window, nullptr);
        ASSERT_TRUE(m_Window->LoadImages());
    }

    UISystemFonts m_Fonts{m_Harness.Config().m_System};
    GxTaskUIMessageWindowFx* m_Window = nullptr;
};

TEST_F(MessageFrameSkipTest, EveryRevealedCharacterPresentsAndTheWaitAfterTheLastOneDoesNot)
{
    GxCore& core = m_Harness.Core();
    for (int i = 0; i < 3; ++i)
        core.Frame();
    // Ten characters at 50 a second: one every 20 ms, a little more than a frame.
    m_Harness.Config().m_User.m_TextWaitTime = 20;
    m_Harness.Config().Refresh();
    m_Window->SetText(u"あいうえおかきくけこ", true, false, false, false);
    std::size_t shown = 0;
    int frames = 0;
    while (!m_Window->IsClickWaiting() && frames < 200) {
        const std::uint64_t before = core.m_PresentedFrames;
        core.Frame();
        ++frames;
        // A frame that shows another character is presented.
        if (m_Window->GetShowCharCount() != shown) {
            EXPECT_EQ(core.m_PresentedFrames, before + 1) << frames;
            shown = m_Window->GetShowCharCount();
        }
    }
    ASSERT_TRUE(m_Window->IsClickWaiting());
    EXPECT_EQ(shown, 10u);
    // The frame that ended the reveal may still be drawing; from then on nothing changes.
    core.Frame();
    const std::uint64_t waiting = core.m_PresentedFrames;
    for (int i = 0; i < 30; ++i)
        core.Frame();
    EXPECT_EQ(core.m_PresentedFrames, waiting);
}

TEST_F(MessageFrameSkipTest, ARevealComposesOnlyItsRowsAndShowsWhatAWholeComposeWould)
{
    GxCore& core = m_Harness.Core();
    for (int i = 0; i < 3; ++i)
        core.Frame();
    // Slow enough that a frame stretched by the checks below rarely shows more than one character.
    m_Harness.Config().m_User.m_TextWaitTime = 300;
    m_Harness.Config().Refresh();
    // A mark far from the window, left alone by frames that compose only the window or the
    // reveal's rows.
    const RECT corner{0, 0, 4, 4};
    ASSERT_TRUE(ClearTarget(D3DCLEAR_TARGET, 0xFFFF00FFu, 1.0f, 0, &corner));
    // A new text replaces the old one inside the window.
    m_Window->SetText(u"あいう%rえお", true, false, false, false);
    core.Frame();
    EXPECT_EQ(m_Harness.Pixel(1, 1) & 0xFFFFFF, 0xFF00FFu);
    int partial = 0;
    for (int frame = 0; frame < 600 && !m_Window->IsClickWaiting(); ++frame) {
        const std::size_t shown = m_Window->GetShowCharCount();
        core.Frame();
        if (m_Window->GetShowCharCount() == shown)
            continue;
        const std::vector<std::uint32_t> composed = m_Harness.ReadFrame();
        if ((m_Harness.Pixel(1, 1) & 0xFFFFFF) == 0xFF00FF)
            ++partial;
        // Everything drawn again over the whole screen: the window's rows are the same picture.
        core.DrawRenderLists();
        const std::vector<std::uint32_t> whole = m_Harness.ReadFrame();
        ASSERT_EQ(composed.size(), whole.size());
        std::size_t differing = 0;
        for (std::size_t i = 0; i < whole.size(); ++i) {
            const std::size_t x = i % 1024, y = i / 1024;
            if (x >= 4 || y >= 4)
                differing += composed[i] != whole[i] ? 1 : 0;
        }
        EXPECT_EQ(differing, 0u) << frame;
        ASSERT_TRUE(ClearTarget(D3DCLEAR_TARGET, 0xFFFF00FFu, 1.0f, 0, &corner));
    }
    EXPECT_TRUE(m_Window->IsClickWaiting());
    // Reveals are composed in part (not the line break, nor the last character with its click-wait
    // mark); on a loaded machine one frame may take several characters, so only one is certain.
    EXPECT_GE(partial, 1);
}

}  // namespace
}  // namespace ui_test
