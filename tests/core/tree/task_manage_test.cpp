// [TaskManage] walks over the sequences and their trees, and the listener entries.
#include "tree_fixture.h"

#include <algorithm>
#include <functional>

using namespace tree_test;

namespace {

const GxVector2 kPoint(10.0f, 20.0f);

}  // namespace

// A system sequence and a sequence in each slot, each with a panel holding a button:
//   sys > sysPanel > sysButton,  s1 (slot 1) > p1 > b1,  s0 (slot 0) > p0 > b0
class TaskManageTest : public TreeFixture {
protected:
    TaskManageTest()
    {
        m_Sys = MakeSystem();
        m_SysPanel = new ProbeFolder(&m_Journal, "sysPanel", m_Sys, nullptr, nullptr, 0);
        m_SysButton = new ProbeTask(&m_Journal, "sysButton", m_SysPanel, nullptr, nullptr, 0);
        m_S0 = StartSequence(u"Seq0", 0, "s0");
        m_P0 = new ProbeFolder(&m_Journal, "p0", m_S0, nullptr, nullptr, 0);
        m_B0 = new ProbeTask(&m_Journal, "b0", m_P0, nullptr, nullptr, 0);
        m_S1 = StartSequence(u"Seq1", 1, "s1");
        m_P1 = new ProbeFolder(&m_Journal, "p1", m_S1, nullptr, nullptr, 0);
        m_B1 = new ProbeTask(&m_Journal, "b1", m_P1, nullptr, nullptr, 0);
        m_Manage->SetWorkerReady(0);
        m_Manage->SetWorkerReady(1);
        m_Journal.clear();
    }

    SystemSeq* m_Sys;
    ProbeFolder* m_SysPanel;
    ProbeTask* m_SysButton;
    ProbeSeq *m_S0, *m_S1;
    ProbeFolder *m_P0, *m_P1;
    ProbeTask *m_B0, *m_B1;
};

TEST_F(TaskManageTest, UpdateAndRenderVisitSlotOneSlotZeroThenTheSystemParentsFirst)
{
    m_Manage->UpdateAll(0, 0);
    EXPECT_EQ(m_Journal, (Journal{"s1.Update", "p1.Update", "b1.Update", "s0.Update", "p0.Update", "b0.Update",
                                  "sys.Update", "sysPanel.Update", "sysButton.Update"}));
    m_Journal.clear();
    m_Manage->RenderAll(0, 0);
    EXPECT_EQ(m_Journal, (Journal{"s1.Render", "p1.Render", "b1.Render", "s0.Render", "p0.Render", "b0.Render",
                                  "sys.Render", "sysPanel.Render", "sysButton.Render"}));
}

TEST_F(TaskManageTest, InputGoesSystemFirstDeepestFirstAndStopsAtTheConsumer)
{
    EXPECT_EQ(m_Manage->OnMouseLeftDown(&kPoint, 0), 0);
    EXPECT_EQ(m_Journal, (Journal{"sysButton.LeftDown0", "sysPanel.LeftDown0", "sys.LeftDown0", "b1.LeftDown0",
                                  "p1.LeftDown0", "s1.LeftDown0", "b0.LeftDown0", "p0.LeftDown0", "s0.LeftDown0"}));

    // A button inside a panel consumes the press before the panel sees it.
    m_Journal.clear();
    m_B1->m_Consume = {"LeftDown"};
    EXPECT_EQ(m_Manage->OnMouseLeftDoubleClick(&kPoint, 0), 1);
    EXPECT_EQ(m_Journal, (Journal{"sysButton.LeftDown1", "sysPanel.LeftDown1", "sys.LeftDown1", "b1.LeftDown1"}));

    // The manager's own three-argument press operation does not walk.
    m_Journal.clear();
    GxTaskMouseListenerBase& asListener = *m_Manage;
    EXPECT_EQ(asListener.OnMouseLeftDown(&kPoint, 0, 0), 0);
    EXPECT_TRUE(m_Journal.empty());
}

TEST_F(TaskManageTest, SuspendedSubtreeTakesPartInNoWalk)
{
    m_P1->Suspend();
    m_Journal.clear();
    m_Manage->UpdateAll(0, 0);
    m_Manage->RenderAll(0, 0);
    m_Manage->OnMouseMove(&kPoint, 0);
    m_Manage->OnKeyDown(0, 0);
    m_Manage->DispatchKeyAction(nullptr, 0, 0);
    for (const std::string& call : m_Journal) {
        EXPECT_EQ(call.rfind("p1.", 0), std::string::npos) << call;
        EXPECT_EQ(call.rfind("b1.", 0), std::string::npos) << call;
    }
    EXPECT_EQ(std::count(m_Journal.begin(), m_Journal.end(), "s1.Update"), 1);
}

// Each walk with its "skip the subtree" and "not the children" bits; the bits of the other walks
// change nothing for it.
TEST_F(TaskManageTest, EveryWalkHonoursItsOwnParticipationBits)
{
    constexpr std::uint32_t kAllTaskBits = kTaskSkipUpdate | kTaskSkipNotReady | kTaskSkipRender |
                                           kTaskNoUpdateChildren | kTaskNoNotReadyChildren | kTaskNoRenderChildren;
    constexpr std::uint32_t kAllInputBits = kInputSkipWindow | kInputSkipMouse | kInputSkipKeyInput |
                                            kInputSkipKeyAction | kInputSkipNet | kInputNoWindowChildren |
                                            kInputNoMouseChildren | kInputNoKeyInputChildren | kInputNoNetChildren;
    struct Case {
        const char* op;
        bool inputFlags;  // bits live in m_InputFlags rather than m_TaskFlags
        std::uint32_t skip;
        std::uint32_t noChildren;  // 0: children are always visited
        std::function<void(GxTaskManage&, GxTaskBase*)> walk;
    };
    const std::vector<Case> cases = {
        {"Update", false, kTaskSkipUpdate, kTaskNoUpdateChildren,
         [](GxTaskManage& m, GxTaskBase* t) { m.WalkUpdate(t, 0, 0); }},
        {"StartMain", false, kTaskSkipNotReady, kTaskNoNotReadyChildren,
         [](GxTaskManage& m, GxTaskBase* t) { m.WalkUpdateNotReady(t, 0, 0); }},
        {"Render", false, kTaskSkipRender, kTaskNoRenderChildren,
         [](GxTaskManage& m, GxTaskBase* t) { m.WalkRender(t, 0, 0); }},
        {"Activate", true, kInputSkipWindow, kInputNoWindowChildren,
         [](GxTaskManage& m, GxTaskBase*) { m.OnWindowActivate(); }},
        {"Move", true, kInputSkipMouse, kInputNoMouseChildren,
         [](GxTaskManage& m, GxTaskBase*) { m.OnMouseMove(&kPoint, 0); }},
        {"KeyDown", true, kInputSkipKeyInput, kInputNoKeyInputChildren,
         [](GxTaskManage& m, GxTaskBase*) { m.OnKeyDown(0, 0); }},
        {"KeyAction", true, kInputSkipKeyAction, 0,
         [](GxTaskManage& m, GxTaskBase*) { m.DispatchKeyAction(nullptr, 0, 0); }},
        {"Net", true, kInputSkipNet, kInputNoNetChildren, [](GxTaskManage& m, GxTaskBase*) { m.OnNetEvent1(0); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.op);
        std::uint32_t& flags = c.inputFlags ? m_P0->m_InputFlags : m_P0->m_TaskFlags;
        auto visited = [&](std::uint32_t bits) {
            flags = bits;
            m_Journal.clear();
            c.walk(*m_Manage, m_S0);
            flags = 0;
            std::vector<std::string> out;
            for (const std::string& call : m_Journal) {
                if (call == std::string("p0.") + c.op || call == std::string("b0.") + c.op)
                    out.push_back(call.substr(0, 2));
            }
            std::sort(out.begin(), out.end());  // listener walks go children first
            return out;
        };
        const std::uint32_t others = (c.inputFlags ? kAllInputBits : kAllTaskBits) & ~(c.skip | c.noChildren);
        EXPECT_EQ(visited(others), (std::vector<std::string>{"b0", "p0"}));
        EXPECT_TRUE(visited(c.skip).empty());
        if (c.noChildren) {
            EXPECT_EQ(visited(c.noChildren), (std::vector<std::string>{"p0"}));
        }
    }
}

TEST_F(TaskManageTest, EndOfLevelBitEndsLaterSiblingsUntilTheNextSweep)
{
    auto* second = new ProbeTask(&m_Journal, "second", m_P0, nullptr, nullptr, 0);
    auto* third = new ProbeTask(&m_Journal, "third", m_P0, nullptr, nullptr, 0);
    new ProbeTask(&m_Journal, "child", m_B0, nullptr, nullptr, 0);
    (void)third;
    m_B0->m_OnUpdate = [](ProbeTask* self) { self->m_TaskFlags |= kTaskEndUpdateLevel; };
    m_Manage->WalkUpdate(m_S0, 0, 0);
    EXPECT_EQ(m_Journal, (Journal{"s0.Update", "p0.Update", "b0.Update", "child.Update"}));

    // Render is not stopped by it.
    m_Journal.clear();
    m_Manage->WalkRender(m_P0, 0, 0);
    EXPECT_EQ(std::count(m_Journal.begin(), m_Journal.end(), "second.Render"), 1);

    m_B0->m_OnUpdate = nullptr;
    m_Manage->SweepRemovedTasks(m_Root);
    m_Journal.clear();
    m_Manage->WalkUpdate(m_P0, 0, 0);
    EXPECT_EQ(std::count(m_Journal.begin(), m_Journal.end(), "second.Update"), 1);
    EXPECT_EQ(std::count(m_Journal.begin(), m_Journal.end(), "third.Update"), 1);
    (void)second;
}

TEST_F(TaskManageTest, ASequenceEndsTheWalkOfItsSiblings)
{
    // The system sequence is the root's first child; the screens follow it.
    m_Manage->WalkRender(m_Sys, 0, 0);
    EXPECT_EQ(m_Journal, (Journal{"sys.Render", "sysPanel.Render", "sysButton.Render"}));
    m_Sys->Suspend();
    m_Journal.clear();
    m_Manage->WalkRender(m_Sys, 0, 0);
    EXPECT_TRUE(m_Journal.empty());
}

TEST_F(TaskManageTest, EnterAndLeaveWalksSkipOnlyRemovedTasks)
{
    m_P0->Suspend();
    m_B0->Remove();
    m_Journal.clear();
    m_Manage->WalkSequenceLeave(m_S0, 0);
    m_Manage->WalkSequenceEnter(m_S0, 1);
    EXPECT_EQ(m_Journal, (Journal{"s0.Leave0", "p0.Leave0", "s0.Enter1", "p0.Enter1"}));
}

TEST_F(TaskManageTest, OnlySwitchedSlotsTakeInput)
{
    auto* next = new ProbeSeq(&m_Journal, "next", m_Root, u"Next");
    ASSERT_TRUE(m_Manage->ChangeSequence(next, 1, 0, 0));
    m_Journal.clear();
    m_Manage->OnWindowActivate();
    EXPECT_EQ(m_Journal, (Journal{"sysButton.Activate", "sysPanel.Activate", "sys.Activate", "b0.Activate",
                                  "p0.Activate", "s0.Activate"}));
}
