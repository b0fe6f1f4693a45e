// [Drop menu] starts closed; any left or right press closes an open one through timed actions.
#include "ui_test_support.h"

#include "ui/task_ui_null.h"
#include "ui/ui_drop_menu.h"

namespace ui_test {
namespace {

class DropMenuTest : public UIHarnessTest {
protected:
    // A 100 x 80 drop menu at (200, 100) with two entries under it.
    GxTaskUIDropMenuIs* Menu()
    {
        auto* menu = new GxTaskUIDropMenuIs(Screen(), nullptr, u"drop", 0);
        menu->SetPos(GxVector3(200.0f, 100.0f, 0.0f));
        menu->m_Width = 100;
        menu->m_Height = 80;
        for (int i = 0; i < 2; ++i) {
            auto* item = new GxTaskUINull(menu, nullptr, u"item", i);
            item->SetPos(GxVector3(0.0f, 20.0f * static_cast<float>(i + 1), 0.0f));
            menu->AddItem(item);
            m_Items.push_back(item);
        }
        return menu;
    }
    // What a screen does to open it.
    void Open(GxTaskUIDropMenuIs* menu)
    {
        menu->Resume();
        menu->SetModalPriority(1);
        menu->SetOpenFlag(true);
        ++m_Harness.UI().m_DialogCount;
    }

    std::vector<GxTaskUINull*> m_Items;
};

TEST_F(DropMenuTest, StartsClosedAndIgnoresPressesWhileClosed)
{
    auto* menu = Menu();
    EXPECT_EQ(menu->GetState(), kTaskSuspended);
    EXPECT_TRUE(menu->GetModalFlag());
    EXPECT_EQ(menu->m_TaskType, 48);
    m_Harness.UI().m_DialogCount = 1;
    EXPECT_EQ(m_Harness.RightDown(10, 10), 0);
    EXPECT_EQ(m_Harness.UI().m_DialogCount, 1);
    EXPECT_TRUE(menu->IsActionListEmpty());
    m_Harness.UI().m_DialogCount = 0;
}

TEST_F(DropMenuTest, AnyLeftOrRightPressClosesItThroughTimedActions)
{
    struct Case {
        const char* what;
        bool right;
        int x, y;
    } cases[] = {{"right press outside", true, 10, 10}, {"left press over it", false, 250, 140}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        m_Items.clear();
        auto* menu = Menu();
        Open(menu);
        m_Items[0]->AddFadeOutAction(0, 1000);   // dropped by the close
        EXPECT_EQ(c.right ? m_Harness.RightDown(c.x, c.y) : m_Harness.LeftDown(c.x, c.y), 0);

        EXPECT_EQ(m_Harness.UI().m_DialogCount, 0);
        EXPECT_EQ(menu->GetModalPriority(), 0);
        EXPECT_FALSE(menu->GetOpenFlag());
        ASSERT_EQ(menu->GetActionList(1).size(), 2u);
        EXPECT_EQ(menu->GetActionList(1)[0].m_ActionType, kActionSuspendChildren);
        EXPECT_EQ(menu->GetActionList(1)[1].m_ActionType, kActionSuspend);
        for (GxTaskUINull* item : m_Items) {
            ASSERT_EQ(item->GetActionList(0).size(), 1u);
            EXPECT_EQ(item->GetActionList(0)[0].m_ActionType, kActionMoveTo);
            EXPECT_EQ(item->GetActionList(0)[0].m_TimeTotal, 150);
        }

        m_Harness.Step(100000);
        EXPECT_LT(m_Items[1]->GetPos().y, 40.0f);   // sliding to the origin
        EXPECT_FALSE(m_Items[1]->IsSuspended());
        m_Harness.Step(60000);
        EXPECT_TRUE(m_Items[0]->IsSuspended());
        EXPECT_TRUE(m_Items[1]->IsSuspended());
        EXPECT_TRUE(menu->IsActive());
        m_Harness.Step(150000);
        EXPECT_TRUE(menu->IsSuspended());
        menu->SetState(kTaskRemoved);
    }
}

TEST_F(DropMenuTest, ClosingWithNoOpenDialogLeavesTheCountAtZero)
{
    auto* menu = Menu();
    menu->Resume();
    m_Harness.UI().m_DialogCount = 0;
    menu->Close();
    EXPECT_EQ(m_Harness.UI().m_DialogCount, 0);
}

TEST_F(DropMenuTest, DrawsNothingAndResetsOnlyItsEventState)
{
    auto* menu = Menu();
    Open(menu);
    menu->m_EventState = 15;
    menu->m_HoverCount = 3;
    menu->ResetEventState();
    EXPECT_EQ(menu->m_EventState, 0);
    EXPECT_EQ(menu->m_HoverCount, 3);
    m_Harness.Recorder().Clear();
    EXPECT_EQ(menu->Draw(0, 0), 0);
    EXPECT_TRUE(m_Harness.Recorder().Calls().empty());
    EXPECT_EQ(m_Harness.MouseMove(250, 140), 0);
    EXPECT_TRUE(menu->IsActionListEmpty());
    m_Harness.UI().m_DialogCount = 0;
}

}  // namespace
}  // namespace ui_test
