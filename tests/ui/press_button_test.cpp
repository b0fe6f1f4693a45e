// [Press button] the repeat while held (event 16 on the update counts after the press, the value
// counting the repeats), intervals 3 and 0, the repeat outside the button and behind a closed
// gate, which releases end it, the event-state reset and the state read, the image index with
// the gate tested first, and the saved interval.
#include "image_widget_test_support.h"

#include "core/task_base.h"
#include "data/db_uimodule.h"
#include "ui/task_ui_null.h"
#include "ui/ui_press_button.h"
#include "ui/widget_factory.h"

namespace ui_test {
namespace {

// Takes every left button release that reaches it.
class ReleaseEater : public GxTaskUINull {
public:
    using GxTaskUINull::GxTaskUINull;
    int OnMouseLeftUp(const GxVector2*, std::uint32_t) override { return ++m_Eaten, 1; }
    int m_Eaten = 0;
};

class PressButtonTest : public ImageWidgetTest {
protected:
    void SetUp() override
    {
        ImageWidgetTest::SetUp();
        ASSERT_TRUE(m_Sets.Add("uigis/btn.gis", {Cell(u"up_off.png", 100, 40, kOffRgb), Cell(u"up_on.png", 100, 40, kOnRgb),
                                                 Cell(u"up_over.png", 100, 40, kOverRgb)}));
    }

    // At (100, 100), 100 x 40.
    GxTaskUIPressButtonIs* Button(std::int32_t interval = 1)
    {
        auto* button = new GxTaskUIPressButtonIs(Screen(), nullptr, nullptr, 0);
        button->SetImageName(u"uigis/btn/up");
        button->SetPos(GxVector3(100.0f, 100.0f, 0.0f));
        button->m_EventIntervalFrame = interval;
        return Enter(button);
    }
    // The updates (counted from 0) in which an event 16 came, over `updates` updates.
    std::vector<int> RepeatUpdates(int updates)
    {
        std::vector<int> at;
        for (int update = 0; update < updates; ++update) {
            const std::size_t before = Events(16).size();
            m_Harness.Step(16000);
            if (Events(16).size() > before)
                at.push_back(update);
        }
        return at;
    }
};

TEST_F(PressButtonTest, HeldItRepeatsEveryUpdateAndItsValueCountsUntilTheRelease)
{
    GxTaskUIPressButtonIs* button = Button();
    m_Harness.MouseMove(150, 120);
    EXPECT_EQ(m_Harness.LeftDown(150, 120, true, 0x9), 1);
    EXPECT_EQ(button->GetValue(), 0.0) << "the value changes in the updates";
    EXPECT_EQ(RepeatUpdates(5), (std::vector<int>{0, 1, 2, 3, 4}));
    EXPECT_EQ(button->GetValue(), 5.0);
    const std::vector<UITestEvent> presses = Events(1);
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0].event.m_Value, 0) << "no key flags";
    EXPECT_EQ(presses[0].event.m_Flag, 0) << "no double-click flag";
    const UITestEvent repeat = Events(16).front();
    EXPECT_EQ(repeat.sender, button);
    EXPECT_EQ(repeat.event.m_Vector[0].x, 150.0f);
    EXPECT_EQ(repeat.event.m_Vector[0].y, 120.0f);
    EXPECT_EQ(repeat.event.m_Vector[1].x, 100.0f);
    EXPECT_EQ(Rgb(150, 120), kOnRgb);

    EXPECT_EQ(m_Harness.LeftUp(150, 120), 0);
    EXPECT_EQ(button->GetValue(), 0.0);
    EXPECT_TRUE(RepeatUpdates(3).empty());
    EXPECT_EQ(button->GetImageIndex(), 2) << "hovered again";
}

TEST_F(PressButtonTest, TheIntervalSpacesTheRepeatsAndZeroRepeatsNothing)
{
    GxTaskUIPressButtonIs* three = Button(3);
    m_Harness.Step(16000);   // the press frame need not be 0
    m_Harness.Step(16000);
    m_Harness.LeftDown(150, 120);
    EXPECT_EQ(RepeatUpdates(8), (std::vector<int>{0, 3, 6}));
    EXPECT_EQ(three->GetValue(), 3.0);
    m_Harness.LeftUp(150, 120);
    three->Remove();

    GxTaskUIPressButtonIs* none = Button(0);
    m_Harness.MouseMove(150, 120);
    m_Harness.LeftDown(150, 120);
    EXPECT_TRUE(RepeatUpdates(6).empty());
    EXPECT_EQ(Events(1).size(), 2u);
    EXPECT_EQ(none->GetImageIndex(), 1) << "pressed while held";
    EXPECT_EQ(Rgb(150, 120), kOnRgb);
    m_Harness.LeftUp(150, 120);
    m_Harness.Step(16000);
    EXPECT_EQ(none->GetImageIndex(), 2);
}

TEST_F(PressButtonTest, TheRepeatGoesOnOutsideAndBehindAClosedGateWithoutReports)
{
    GxTaskUIPressButtonIs* button = Button();
    m_Harness.LeftDown(150, 120);
    m_Harness.MouseMove(10, 10);
    EXPECT_EQ(RepeatUpdates(2).size(), 2u);
    EXPECT_EQ(button->GetValue(), 2.0);

    button->IncLock();
    EXPECT_TRUE(RepeatUpdates(3).empty()) << "reports skipped";
    EXPECT_EQ(button->GetValue(), 5.0) << "the value still counts";
    EXPECT_EQ(button->GetImageIndex(), 0) << "the gate decides the image first";
    button->DecLock();
    EXPECT_EQ(RepeatUpdates(1).size(), 1u) << "not delayed";
    EXPECT_EQ(button->GetValue(), 6.0);
    EXPECT_EQ(button->GetImageIndex(), 1);
}

TEST_F(PressButtonTest, OnlyAReleaseThatReachesItEndsTheRepeat)
{
    auto* eater = new ReleaseEater(Screen(), nullptr, nullptr, 0);
    GxTaskUIPressButtonIs* button = Button();
    m_Harness.LeftDown(150, 120);
    m_Harness.Step(16000);
    EXPECT_EQ(m_Harness.LeftUp(150, 120), 1);
    ASSERT_EQ(eater->m_Eaten, 1);
    EXPECT_TRUE(button->IsRepeating());
    m_Harness.Step(16000);
    EXPECT_EQ(button->GetValue(), 2.0);

    eater->Remove();
    m_Harness.Step(16000);
    EXPECT_EQ(m_Harness.LeftUp(900, 700), 0) << "far outside, still not consumed";
    EXPECT_FALSE(button->IsRepeating());
    EXPECT_EQ(button->GetValue(), 0.0);
    EXPECT_EQ(button->GetPressFrame(), -1);

    // A press outside does not start one; one behind a closed gate neither.
    EXPECT_EQ(m_Harness.LeftDown(10, 10), 0);
    button->IncLock();
    EXPECT_EQ(m_Harness.LeftDown(150, 120), 0);
    EXPECT_FALSE(button->IsRepeating());
}

TEST_F(PressButtonTest, AnEventStateResetKeepsTheRepeatAndAStateReadEndsIt)
{
    GxTaskUIPressButtonIs* button = Button(2);
    m_Harness.LeftDown(150, 120);
    m_Harness.Step(16000);
    button->ResetEventState();
    EXPECT_TRUE(button->IsRepeating());
    m_Harness.Step(16000);
    m_Harness.Step(16000);
    EXPECT_EQ(button->GetValue(), 2.0);

    auto* copy = new GxTaskUIPressButtonIs(Screen(), nullptr, nullptr, 0);
    copy->m_EventIntervalFrame = 9;
    ASSERT_TRUE(RoundTrip(button, copy));
    EXPECT_EQ(copy->m_EventIntervalFrame, 2);
    EXPECT_EQ(copy->GetValue(), 0.0) << "the saved count is not kept";
    EXPECT_EQ(copy->m_ImageName, u"up");
    ASSERT_TRUE(RoundTrip(button, button));
    EXPECT_FALSE(button->IsRepeating());
    EXPECT_EQ(button->GetValue(), 0.0);
}

TEST_F(PressButtonTest, TheFactoryBuildsTypeTwentyTwoWithTheButtonFlag)
{
    DBUIModuleRow row;
    row.m_ID = 6;
    row.m_UIType = kUITypePressButton;
    row.m_ImageSetName = u"btn";
    row.m_ImageName = u"up";
    auto* button = dynamic_cast<GxTaskUIPressButtonIs*>(CreateWidgetFromModuleRow(Screen(), &row, u"up", -1));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetTaskType(), 22);
    EXPECT_NE(button->m_KindFlags & kKindPushButton, 0u);
    EXPECT_EQ(button->m_EventIntervalFrame, 1);
    EXPECT_TRUE(button->LoadImages());
}

}  // namespace
}  // namespace ui_test
