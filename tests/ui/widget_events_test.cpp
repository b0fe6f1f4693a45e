// [Widget base] the event path, the end-of-actions event and the sequence lifecycle.
#include "ui_test_support.h"

#include "ui/task_ui_null.h"

#include <functional>

namespace ui_test {
namespace {

class WidgetEventsTest : public UIHarnessTest {
protected:
    GxTaskUINull* Null(GxTaskBase* parent = nullptr)
    {
        return new GxTaskUINull(parent ? parent : Screen(), nullptr, nullptr, 0);
    }
};

TEST_F(WidgetEventsTest, AnEventGoesToTheListenerWhenOneIsSetElseToTheSequence)
{
    auto* listener = new UITestScreen(m_Harness.Root(), u"Listener");
    listener->SetInstantUIEventFlag(true);
    Screen()->SetInstantUIEventFlag(true);
    GxTaskUINull* w = Null();

    EXPECT_TRUE(w->ReportEvent(1));
    ASSERT_EQ(Screen()->EventsOf(1).size(), 1u);
    const UITestEvent event = Screen()->EventsOf(1)[0];
    EXPECT_EQ(event.sender, w);
    EXPECT_EQ(event.event.m_Code, 1);
    EXPECT_EQ(event.event.m_Value1, 0);
    EXPECT_EQ(event.event.m_Vector[0].x, 0.0f);

    w->SetEventListener(listener);
    EXPECT_TRUE(w->ReportEvent(4));
    EXPECT_EQ(listener->EventsOf(4).size(), 1u);
    EXPECT_TRUE(Screen()->EventsOf(4).empty());

    // A refusing, inactive or removed target takes nothing.
    listener->SetAcceptUIEventFlag(false);
    EXPECT_FALSE(w->ReportEvent(4));
    listener->SetAcceptUIEventFlag(true);
    listener->Suspend();
    EXPECT_FALSE(w->ReportEvent(4));
    listener->Resume();
    listener->SetState(kTaskRemoved);
    EXPECT_FALSE(w->ReportEvent(4));
    EXPECT_EQ(listener->EventsOf(4).size(), 1u);
    listener->SetState(kTaskActive);
}

TEST_F(WidgetEventsTest, QueuedEventsReachTheHookInTheSequencesNextUpdate)
{
    GxTaskUINull* w = Null();
    EXPECT_TRUE(w->ReportEvent(9));
    EXPECT_TRUE(Screen()->m_Events.empty());
    EXPECT_EQ(Screen()->GetQueuedUIEventCount(), 1u);
    m_Harness.Step(16000);
    ASSERT_EQ(Screen()->m_Events.size(), 1u);
    EXPECT_EQ(Screen()->m_Events[0].hook, 9);
    EXPECT_EQ(Screen()->m_Events[0].sender, w);
}

TEST_F(WidgetEventsTest, AFadeReportsEvent25OnceInTheUpdateWhereItsActionsEnd)
{
    Screen()->SetInstantUIEventFlag(true);
    GxTaskUINull* w = Null();
    w->AddFadeOutAction(0, 500);
    int reportedIn = -1;
    for (int frame = 1; frame <= 8; ++frame) {
        const bool runningBefore = !w->IsActionListEmpty();
        m_Harness.Step(100000);
        if (runningBefore && w->IsActionListEmpty()) {
            EXPECT_EQ(Screen()->EventsOf(25).size(), 1u) << "frame " << frame;
        }
        if (reportedIn < 0 && !Screen()->EventsOf(25).empty())
            reportedIn = frame;
    }
    EXPECT_EQ(reportedIn, 5);
    ASSERT_EQ(Screen()->EventsOf(25).size(), 1u);
    EXPECT_EQ(Screen()->EventsOf(25)[0].sender, w);
    EXPECT_EQ(w->GetAlpha(), 0);
}

TEST_F(WidgetEventsTest, Event25FollowsTheGateWithVisibilityModalLevelAndSlotSkipped)
{
    Screen()->SetInstantUIEventFlag(true);
    struct Case {
        const char* name;
        std::function<void(GxTaskUINull*)> setUp;
        bool reported;
    };
    const Case cases[] = {
        {"plain", [](GxTaskUINull*) {}, true},
        {"report bit 25 clear", [](GxTaskUINull* w) { w->ClearEventReportBit(25); }, false},
        {"disabled", [](GxTaskUINull* w) { w->SetEnabled(false); }, false},
        {"locked", [](GxTaskUINull* w) { w->IncLock(); }, false},
        {"input hold", [this](GxTaskUINull*) { m_Harness.UI().m_UIHold[0] = 1; }, false},
        {"suspended", [](GxTaskUINull* w) { w->Suspend(); }, false},
        {"hidden", [](GxTaskUINull* w) { w->Hide(); }, true},
        {"below the modal level", [this](GxTaskUINull*) { m_Harness.UI().m_DialogCount = 3; }, true},
        {"slot not ready", [this](GxTaskUINull*) { Manage().GetWorker(0)->m_Ready = false; }, true},
        {"change pending", [this](GxTaskUINull*) { Manage().GetWorker(0)->m_ChangePending = true; }, true},
    };
    for (const Case& c : cases) {
        GxTaskUINull* w = Null();
        w->AddWaitAction(1, 100);
        c.setUp(w);
        Screen()->m_Events.clear();
        w->Update(0, 100000);   // directly: a slot that is not ready runs no updates
        EXPECT_EQ(Screen()->EventsOf(25).size(), c.reported ? 1u : 0u) << c.name;
        m_Harness.UI().m_UIHold[0] = 0;
        m_Harness.UI().m_DialogCount = 0;
        Manage().GetWorker(0)->m_Ready = true;
        Manage().GetWorker(0)->m_ChangePending = false;
        w->Remove();
    }
}

TEST_F(WidgetEventsTest, AWidgetWithoutActionsReportsNothing)
{
    Screen()->SetInstantUIEventFlag(true);
    Null();
    m_Harness.Step(100000);
    m_Harness.Step(100000);
    EXPECT_TRUE(Screen()->EventsOf(25).empty());
}

TEST_F(WidgetEventsTest, EnterLoadsImagesThenResetsLeaveDropsEventsThenReleases)
{
    auto* w = new RecordingWidget(Screen(), nullptr);
    w->m_EventState = 7;
    w->m_HoverCount = 1;
    w->OnSequenceEnter(0);
    EXPECT_EQ(w->m_Calls, (std::vector<std::string>{"LoadImages", "ResetEventState"}));
    EXPECT_EQ(w->m_EventState, 0);
    EXPECT_EQ(w->m_HoverCount, 0);

    w->m_Calls.clear();
    GxUIEventParam event;
    event.m_Code = 3;
    w->SetAcceptUIEventFlag(true);
    ASSERT_TRUE(w->PostUIEvent(w, &event));
    w->OnSequenceLeave(0);
    EXPECT_EQ(w->GetQueuedUIEventCount(), 0u);
    EXPECT_EQ(w->m_Calls, (std::vector<std::string>{"ReleaseImages"}));

    w->m_Calls.clear();
    w->m_AutoReleaseImageFlag = false;
    w->OnSequenceLeave(0);
    EXPECT_TRUE(w->m_Calls.empty());

    for (bool show : {false, true}) {
        w->m_EventState = 8;
        w->m_HoverCount = 2;
        if (show)
            w->Show();
        else
            w->Hide();
        EXPECT_EQ(w->IsVisible(), show);
        EXPECT_EQ(w->m_EventState, 0);
        EXPECT_EQ(w->m_HoverCount, 0);
    }
}

}  // namespace
}  // namespace ui_test
