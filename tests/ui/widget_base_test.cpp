// [Widget base] defaults, value rounding, hit tests, the tests over the widget tree, lock,
// centring, render lists, the colour alpha, automatic help.
#include "ui_test_support.h"

#include "ui/task_ui_null.h"
#include "ui/ui_services.h"

#include <algorithm>

#include <cstdint>

namespace ui_test {
namespace {

class WidgetBaseTest : public UIHarnessTest {
protected:
    GxTaskUINull* Null(GxTaskBase* parent, const char16_t* name = nullptr)
    {
        return new GxTaskUINull(parent ? parent : Screen(), name, nullptr, 0);
    }
};

TEST_F(WidgetBaseTest, ANewWidgetTakesInputReportsEverythingAndNeverShowsHelp)
{
    GxTaskUINull* w = Null(nullptr);
    EXPECT_TRUE(w->IsEnabled());
    EXPECT_EQ(w->GetValue(), 0.0);
    EXPECT_EQ(w->GetChange(), 1.0);
    for (std::int32_t bit = 0; bit < 32; ++bit)
        EXPECT_TRUE(w->TestEventReportBit(bit)) << bit;
    EXPECT_TRUE(w->GetEventBlockFlag());
    EXPECT_FALSE(w->GetMouseMoveBlockFlag());
    EXPECT_EQ(w->m_AutoHelpTime, -1);
    EXPECT_EQ(w->GetAnimeSpeed(), 2);
    EXPECT_EQ(w->GetImageAlpha(), 255);
    EXPECT_TRUE(w->m_AutoReleaseImageFlag);
    EXPECT_EQ(w->GetTaskType(), kUITypeNull);
    EXPECT_TRUE(w->m_KindFlags & kKindWidget);
    EXPECT_EQ(w->m_DragState.m_Start[0], -1.0f);
    EXPECT_FALSE(w->m_DragState.m_Pressed);
    // A hovered widget without a help time never counts.
    w->m_HoverCount = 1;
    const float pointer[2] = {1.0f, 2.0f};
    w->UpdateAutoHelp(5000000000ull, pointer);
    EXPECT_EQ(w->GetHelpCounter(), 0);
}

TEST_F(WidgetBaseTest, RoundedValueFollowsTheSideOfZeroTheRangeLiesOn)
{
    struct Case {
        double value, min, max;
        std::int32_t rounded;
    };
    const Case cases[] = {
        {2.6, 0, 2, 2},     // held at the top of the range
        {-2.6, -5, -1, -3}, // away from zero below it
        {2.6, -5, 5, 2},    // spanning zero: truncated
        {0.5, 0, 10, 1},
        {1.4, 0, 10, 1},
        {-0.5, -10, -1, -1},
        {-7.0, -5, -1, -5}, // held at the bottom of the range
        {7.9, 1, 0, 7},     // max 0: truncated
        {-7.9, 0, 0, -7},
    };
    for (const Case& c : cases) {
        GxTaskUINull* w = Null(nullptr);
        w->m_Value = c.value;
        w->m_Min = c.min;
        w->m_Max = c.max;
        EXPECT_EQ(w->GetValueRounded(), c.rounded) << c.value << " in " << c.min << ".." << c.max;
    }
}

TEST_F(WidgetBaseTest, ValueChangesGoThroughSetValue)
{
    auto* w = new RecordingWidget(Screen(), nullptr);
    w->AddValueInt(3);
    w->AddValue(0.5);
    EXPECT_EQ(w->GetValue(), 3.5);
    EXPECT_EQ(w->GetValueInt(), 3);
    EXPECT_TRUE(w->GetValueBool());
    w->SetValue(-0.9);
    EXPECT_EQ(w->GetValueInt(), 0);
    EXPECT_FALSE(w->GetValueBool());
    EXPECT_EQ(std::count(w->m_Calls.begin(), w->m_Calls.end(), "SetValue"), 3);
}

TEST_F(WidgetBaseTest, TheRightAndBottomEdgesAreOutsideBothRectangles)
{
    GxTaskUINull* w = Null(nullptr);
    w->m_Width = 100;
    w->m_Height = 50;
    w->SetClientRect(10, 5, 20, 30);
    const float origin[2] = {200.0f, 100.0f};
    struct Case {
        float x, y;
        bool bounds, client;
    };
    const Case cases[] = {
        {200, 100, true, false},     {299.5f, 149.5f, true, false}, {300, 120, false, false},
        {250, 150, false, false},    {199.9f, 120, false, false},   {210, 105, true, true},
        {229.9f, 134.9f, true, true}, {230, 120, true, false},       {215, 135, true, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(w->HitTestBounds(origin, c.x, c.y), c.bounds) << c.x << "," << c.y;
        EXPECT_EQ(w->HitTestClient(origin, c.x, c.y), c.client) << c.x << "," << c.y;
    }
}

TEST_F(WidgetBaseTest, TreeTestsStopAtTheFirstAncestorThatIsNoWidget)
{
    GxTaskUINull* top = Null(nullptr);
    auto* actor = new GxTaskActor(top, nullptr, nullptr, 0);   // no widget: the chain ends here
    GxTaskUINull* middle = Null(actor);
    GxTaskUINull* leaf = Null(middle);
    top->Hide();
    top->SetEnabled(false);
    top->IncLock();
    top->SetTopMostFlag(true);
    top->SetModalFlag(true);
    top->SetModalPriority(9);
    top->AddWaitAction(0, 100);
    EXPECT_TRUE(leaf->IsVisibleInTree());
    EXPECT_TRUE(leaf->IsEnabledInTree());
    EXPECT_FALSE(leaf->IsLockedInTree());
    EXPECT_FALSE(leaf->IsTopMostInTree());
    EXPECT_TRUE(leaf->IsActionIdleInTree());
    EXPECT_EQ(leaf->GetModalPriorityInTree(), 0);

    middle->Hide();
    middle->SetEnabled(false);
    middle->IncLock();
    middle->SetTopMostFlag(true);
    middle->AddWaitAction(1, 100);
    EXPECT_FALSE(leaf->IsVisibleInTree());
    EXPECT_FALSE(leaf->IsEnabledInTree());
    EXPECT_TRUE(leaf->IsLockedInTree());
    EXPECT_TRUE(leaf->IsTopMostInTree());
    EXPECT_FALSE(leaf->IsActionIdleInTree());

    // Alphas multiply down the chain: 128 over 128 is 64 (64.25 truncated).
    middle->SetAlpha(128);
    leaf->SetAlpha(128);
    EXPECT_EQ(leaf->GetAlphaInTree(), 64);
    actor->SetAlpha(0);   // not a widget: not in the product
    EXPECT_EQ(leaf->GetAlphaInTree(), 64);
}

TEST_F(WidgetBaseTest, ModalPriorityInTreeIsTheLargestAmongModalWidgetsAndNeverNegative)
{
    struct Case {
        bool parentModal;
        std::int32_t parentPriority;
        bool childModal;
        std::int32_t childPriority;
        std::int32_t expected;
    };
    const Case cases[] = {
        {false, 5, false, 7, 0}, {true, 5, false, 7, 5}, {false, 5, true, 7, 7},
        {true, 9, true, 7, 9},   {true, -3, true, -1, 0},
    };
    for (const Case& c : cases) {
        GxTaskUINull* parent = Null(nullptr);
        GxTaskUINull* child = Null(parent);
        parent->SetModalFlag(c.parentModal);
        parent->SetModalPriority(c.parentPriority);
        child->SetModalFlag(c.childModal);
        child->SetModalPriority(c.childPriority);
        EXPECT_EQ(child->GetModalPriorityInTree(), c.expected);
    }
    EXPECT_EQ(GetUIServices().GetModalPriorityInTree(nullptr), 0);
}

TEST_F(WidgetBaseTest, LockCountsDownToZeroAndALockedAncestorClosesTheGate)
{
    GxTaskUINull* parent = Null(nullptr);
    GxTaskUINull* child = Null(parent);
    parent->DecLock();
    EXPECT_EQ(parent->GetLockCount(), 0);
    EXPECT_TRUE(Screen()->IsWidgetInputAllowed(child, 0));
    parent->IncLock();
    parent->IncLock();
    EXPECT_FALSE(Screen()->IsWidgetInputAllowed(child, 0));
    EXPECT_FALSE(Screen()->IsWidgetInputAllowed(child, 0xFF));   // never skipped
    parent->DecLock();
    EXPECT_EQ(parent->GetLockCount(), 1);
    EXPECT_FALSE(Screen()->IsWidgetInputAllowed(child, 0));
    parent->ClearLock();
    EXPECT_TRUE(Screen()->IsWidgetInputAllowed(child, 0));

    // The modal level refuses widgets below it.
    m_Harness.UI().m_DialogCount = 2;
    child->SetModalFlag(true);
    child->SetModalPriority(1);
    EXPECT_FALSE(Screen()->IsWidgetInputAllowed(child, 0));
    child->SetModalPriority(2);
    EXPECT_TRUE(Screen()->IsWidgetInputAllowed(child, 0));
    m_Harness.UI().m_UIHold[0] = 1;
    EXPECT_FALSE(Screen()->IsWidgetInputAllowed(child, 0));
}

TEST_F(WidgetBaseTest, CentringUsesTheParentActorOrTheVirtualScreenInIntegers)
{
    struct Case {
        std::int32_t parentWidth;   // -1: the parent is no actor
        std::int32_t width, offset;
        float x;
    };
    const Case cases[] = {
        {-1, 200, 5, 417.0f}, {-1, 1025, 0, 0.0f},   // (1024 - 1025) / 2 truncates to 0
        {300, 200, 0, 50.0f}, {199, 200, 0, 0.0f},  {197, 200, -1, -2.0f},
    };
    for (const Case& c : cases) {
        GxTaskBase* parent = Screen();
        if (c.parentWidth >= 0) {
            GxTaskUINull* box = Null(nullptr);
            box->m_Width = c.parentWidth;
            box->m_Height = c.parentWidth;
            parent = box;
        }
        GxTaskUINull* w = Null(parent);
        w->m_Width = c.width;
        w->m_Height = c.width;
        w->CenterX(c.offset);
        w->CenterY(c.offset);
        EXPECT_EQ(w->m_VisualParam.m_Pos.x, c.x) << c.parentWidth << " " << c.width;
        if (c.parentWidth < 0)
            EXPECT_EQ(w->m_VisualParam.m_Pos.y, static_cast<float>((768 - c.width) / 2 + c.offset));
        else
            EXPECT_EQ(w->m_VisualParam.m_Pos.y, c.x);
    }
}

TEST_F(WidgetBaseTest, WidgetsAreQueuedInList5OrInList7UnderATopMostWidget)
{
    GxTaskUINull* plain = Null(nullptr);
    plain->SetOrderZ(12.5f);
    GxTaskUINull* top = Null(nullptr);
    top->SetTopMostFlag(true);
    top->SetOrderZ(3.0f);
    GxTaskUINull* underTop = Null(top);
    underTop->SetOrderZ(1.0f);
    m_Harness.Step(16000);

    const auto& list5 = m_Harness.Core().GetRenderList(5)->GetEntries();
    const auto& list7 = m_Harness.Core().GetRenderList(7)->GetEntries();
    ASSERT_EQ(list5.size(), 1u);
    EXPECT_EQ(list5[0].m_Task, plain);
    EXPECT_EQ(list5[0].m_Depth, 12.5f);
    EXPECT_EQ(list5[0].m_Value, 0);
    ASSERT_EQ(list7.size(), 2u);
    // Ascending depth.
    EXPECT_EQ(list7[0].m_Task, underTop);
    EXPECT_EQ(list7[1].m_Task, top);
}

// Saved games bring alphas back unchecked: the packed colour keeps its colour channels.
TEST_F(WidgetBaseTest, DrawColourHoldsTheAlphaProductWithinOneByte)
{
    struct Case {
        std::int32_t actorAlpha, imageAlpha;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {255, 255, 0xFF123456}, {128, 255, 0x80123456}, {255, 128, 0x80123456},
        {300, 400, 0xFF123456}, {255, -5, 0x00123456},  {-255, 255, 0x00123456},
    };
    for (const Case& c : cases) {
        GxTaskUINull* w = Null(nullptr);
        w->SetAlpha(c.actorAlpha);
        w->SetImageAlpha(c.imageAlpha);
        EXPECT_EQ(w->GetDrawColor(0xAB123456), c.expected) << c.actorAlpha << " " << c.imageAlpha;
    }
}

TEST_F(WidgetBaseTest, HelpTipShowsOnceWhenTheHoverTimeIsReachedAndAgainAfterLeaving)
{
    auto* tip = new RecordingWidget(Screen(), u"tip_help");
    tip->Suspend();
    tip->Hide();
    GxTaskUINull* w = Null(nullptr);
    w->m_AutoHelpTime = 500;
    w->SetDescript(u"押すと始まります");
    w->m_HoverCount = 1;
    const float pointer[2] = {300.0f, 200.0f};
    auto shows = [&] { return std::count_if(tip->m_Calls.begin(), tip->m_Calls.end(),
                                            [](const std::string& c) { return c.rfind("SetText", 0) == 0; }); };

    w->UpdateAutoHelp(200000, pointer);
    w->UpdateAutoHelp(200000, pointer);
    EXPECT_EQ(shows(), 0);
    w->UpdateAutoHelp(200000, pointer);   // 600 >= 500
    EXPECT_EQ(shows(), 1);
    EXPECT_EQ(tip->GetText(), u"押すと始まります");
    EXPECT_TRUE(tip->IsActive());
    EXPECT_TRUE(tip->IsVisible());
    w->UpdateAutoHelp(200000, pointer);
    EXPECT_EQ(shows(), 1);

    // Leaving restarts the count.
    w->m_HoverCount = 0;
    w->UpdateAutoHelp(200000, pointer);
    EXPECT_EQ(w->GetHelpCounter(), 0);
    w->m_HoverCount = 1;
    w->UpdateAutoHelp(499000, pointer);
    EXPECT_EQ(shows(), 1);
    w->UpdateAutoHelp(1000, pointer);
    EXPECT_EQ(shows(), 2);

    // The counter stops at one day.
    w->UpdateAutoHelp(1000000000000ull, pointer);
    EXPECT_EQ(w->GetHelpCounter(), kAutoHelpCounterLimit);
    w->UpdateAutoHelp(1000000000000ull, pointer);
    EXPECT_EQ(w->GetHelpCounter(), kAutoHelpCounterLimit);
    EXPECT_EQ(shows(), 2);
}

TEST_F(WidgetBaseTest, WithoutAHelpTipTheAutomaticHelpShowsNothing)
{
    GxTaskUINull* w = Null(nullptr);
    w->m_AutoHelpTime = 0;
    w->m_HoverCount = 1;
    const float pointer[2] = {0.0f, 0.0f};
    w->UpdateAutoHelp(0, pointer);   // 0 >= 0: would show, but no "tip_help" exists
    EXPECT_EQ(w->GetHelpCounter(), 0);
}

}  // namespace
}  // namespace ui_test
