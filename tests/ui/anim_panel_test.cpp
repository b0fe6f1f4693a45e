// [Animated panel] the pattern steps on the update counts that are multiples of the speed and
// wraps, speed 0 and a cell without patterns stay, a click is reported and passed on, entering
// again keeps the index, the saved state sets it, and its own image lookup and messages.
#include "image_widget_test_support.h"

#include "data/db_uimodule.h"
#include "ui/ui_anim_panel.h"
#include "ui/ui_button.h"
#include "ui/widget_factory.h"

namespace ui_test {
namespace {

constexpr std::uint32_t kAnimRgb = 0x40A0E0;

class AnimPanelTest : public ImageWidgetTest {
protected:
    void SetUp() override
    {
        ImageWidgetTest::SetUp();
        TestUICell three = Cell(u"run.png", 40, 30, kAnimRgb);
        three.patterns = 3;
        TestUICell none = Cell(u"empty.png", 40, 30, kAnimRgb);
        none.patterns = 0;
        ASSERT_TRUE(m_Sets.Add("uigis/anim.gis", {three, none}));
    }

    GxTaskUIAnimePanelIs* Panel(const char16_t* image = u"uigis/anim/run")
    {
        auto* panel = new GxTaskUIAnimePanelIs(Screen(), nullptr, nullptr, 0);
        panel->SetImageName(image);
        panel->SetPos(GxVector3(100.0f, 100.0f, 0.0f));
        return panel;
    }
};

TEST_F(AnimPanelTest, ThePatternStepsEverySpeedUpdatesAndWraps)
{
    GxTaskUIAnimePanelIs* panel = Enter(Panel());
    ASSERT_EQ(panel->GetPatternCount(), 3);
    EXPECT_EQ(panel->GetAnimeSpeed(), 2);
    std::vector<std::int32_t> seen;
    for (int update = 0; update < 6; ++update) {
        m_Harness.Step(16000);
        seen.push_back(panel->GetPatternIndex());
    }
    EXPECT_EQ(seen, (std::vector<std::int32_t>{1, 1, 2, 2, 0, 0}));
    EXPECT_EQ(Rgb(110, 110), kAnimRgb);

    // Speed 1 steps on every update; speed 0 never.
    GxTaskUIAnimePanelIs* fast = Enter(Panel());
    fast->SetAnimeSpeed(1);
    GxTaskUIAnimePanelIs* still = Enter(Panel());
    still->SetAnimeSpeed(0);
    still->SetPatternIndex(2);
    for (int update = 0; update < 4; ++update)
        m_Harness.Step(16000);
    EXPECT_EQ(fast->GetPatternIndex(), 1);   // 0 -> 1 -> 2 -> 0 -> 1
    EXPECT_EQ(still->GetPatternIndex(), 2);
}

TEST_F(AnimPanelTest, ACellWithoutPatternsNeverStepsAndDrawsNothing)
{
    GxTaskUIAnimePanelIs* panel = Panel(u"uigis/anim/empty");
    panel->m_Width = 40;
    panel->m_Height = 30;
    Enter(panel);
    ASSERT_NE(panel->GetCell(), nullptr);
    EXPECT_EQ(panel->GetPatternCount(), 0);
    for (int update = 0; update < 4; ++update)
        m_Harness.Step(16000);
    EXPECT_EQ(panel->GetPatternIndex(), 0);
    EXPECT_NE(Rgb(110, 110), kAnimRgb);
}

TEST_F(AnimPanelTest, ASavedIndexOutsideTheCellStepsBackIntoIt)
{
    GxTaskUIAnimePanelIs* panel = Enter(Panel());
    panel->SetPatternIndex(7);
    m_Harness.Step(16000);
    EXPECT_GE(panel->GetPatternIndex(), 0);
    EXPECT_LT(panel->GetPatternIndex(), 3);
    panel->SetPatternIndex(-4);
    m_Harness.Step(16000);
    m_Harness.Step(16000);
    EXPECT_GE(panel->GetPatternIndex(), 0);
    EXPECT_LT(panel->GetPatternIndex(), 3);
}

TEST_F(AnimPanelTest, AClickIsReportedAndPassedOnToTheWidgetBehind)
{
    // The input walk reaches the earlier sibling first.
    GxTaskUIAnimePanelIs* panel = Enter(Panel());
    auto* behind = new GxTaskUIButtonIs(Screen(), nullptr, nullptr, 0);
    ASSERT_TRUE(m_Sets.Add("uigis/btn.gis", {Cell(u"ok_off.png", 40, 30, kOffRgb)}));
    behind->SetImageName(u"uigis/btn/ok");
    behind->SetPos(GxVector3(100.0f, 100.0f, 0.0f));
    Enter(behind);
    EXPECT_FALSE(panel->GetEventBlockFlag());

    EXPECT_EQ(m_Harness.LeftDown(110, 110), 1);   // the button behind takes it
    const std::vector<UITestEvent> clicks = Events(1);
    ASSERT_EQ(clicks.size(), 2u);
    EXPECT_EQ(clicks[0].sender, panel);
    EXPECT_EQ(clicks[1].sender, behind);
}

TEST_F(AnimPanelTest, EnteringAgainKeepsTheIndexAndTheSavedStateSetsIt)
{
    GxTaskUIAnimePanelIs* panel = Enter(Panel());
    m_Harness.Step(16000);
    ASSERT_EQ(panel->GetPatternIndex(), 1);
    panel->OnSequenceEnter(0);
    EXPECT_EQ(panel->GetPatternIndex(), 1);

    panel->SetPatternIndex(2);
    GxTaskUIAnimePanelIs* copy = Panel(u"uigis/anim/empty");
    ASSERT_TRUE(RoundTrip(panel, copy));
    EXPECT_EQ(copy->GetPatternIndex(), 2);
    EXPECT_EQ(copy->m_ImageName, u"run");
    EXPECT_EQ(copy->GetCell(), nullptr) << "looked up again at the next load";
    EXPECT_TRUE(copy->LoadImages());
}

TEST_F(AnimPanelTest, ItsOwnLookupLooksUpAnEmptyNameAndSizesOnlyAFoundCell)
{
    GxTaskUIAnimePanelIs* empty = Panel(u"uigis/anim/");
    empty->m_Width = 50;
    empty->m_ClientLeft = 5;
    EXPECT_FALSE(empty->LoadImages());
    ASSERT_EQ(m_Log.m_Errors.size(), 1u);
    EXPECT_EQ(m_Log.m_Errors[0].rfind("GxTaskUIAnimePanelIs/Image not found:.png[", 0), 0u) << m_Log.m_Errors[0];
    EXPECT_EQ(empty->m_ClientWidth, 0) << "no client rule without a cell";

    GxTaskUIAnimePanelIs* noSet = Panel(u"uigis/none/run");
    EXPECT_FALSE(noSet->LoadImages());
    ASSERT_EQ(m_Log.m_Errors.size(), 2u);
    EXPECT_EQ(m_Log.m_Errors[1].rfind("GxTaskUIAnimePanelIs/ImageSet wasn't Loaded:uigis/none.gis[", 0), 0u)
        << m_Log.m_Errors[1];

    GxTaskUIAnimePanelIs* found = Panel();
    found->m_ClientLeft = 5;
    found->m_ClientTop = 2;
    EXPECT_TRUE(found->LoadImages());
    EXPECT_EQ(found->m_Width, 40);
    EXPECT_EQ(found->m_Height, 30);
    EXPECT_EQ(found->m_ClientWidth, 30);
    EXPECT_EQ(found->m_ClientHeight, 26);
}

TEST_F(AnimPanelTest, TheFactoryBuildsTypeSixteen)
{
    DBUIModuleRow row;
    row.m_ID = 3;
    row.m_UIType = kUITypeAnimePanel;
    row.m_ImageSetName = u"anim";
    row.m_ImageName = u"run";
    auto* panel = dynamic_cast<GxTaskUIAnimePanelIs*>(CreateWidgetFromModuleRow(Screen(), &row, u"anim", -1));
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(panel->GetTaskType(), 16);
    EXPECT_EQ(panel->m_ImageSetName, u"uigis/anim.gis");
    EXPECT_TRUE(panel->LoadImages());
}

}  // namespace
}  // namespace ui_test
