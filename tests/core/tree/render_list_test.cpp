// [TaskRenderManage] ordering by draw mode, and what a list draws.
#include "tree_fixture.h"

#include "tests/support/test_device.h"

using namespace tree_test;

namespace {

// The entries' values, in drawing order.
std::vector<std::int32_t> Order(const GxTaskRenderManage& list)
{
    std::vector<std::int32_t> out;
    for (const GxTaskRenderEntry& e : list.GetEntries())
        out.push_back(e.m_Value);
    return out;
}

}  // namespace

TEST(TaskRenderManage, ModesPlaceNewEntriesByDepth)
{
    struct Case {
        std::int32_t mode;
        std::vector<float> depths;  // queued in this order; each entry's value is its position
        std::vector<std::int32_t> drawn;
    };
    const Case cases[] = {
        {3, {2.0f, 1.0f, 2.0f}, {1, 0, 2}},  // ascending, equal depths in queue order
        {5, {2.0f, 1.0f, 2.0f}, {1, 2, 0}},  // ascending, a new equal depth goes first
        {4, {1.0f, 3.0f, 2.0f}, {1, 2, 0}},  // descending
        {4, {2.0f, 2.0f}, {0, 1}},
        {6, {2.0f, 2.0f, 3.0f}, {2, 1, 0}},  // descending, a new equal depth goes first
        {0, {2.0f, 1.0f, 2.0f}, {1, 0, 2}},  // the list's default: ascending
        {2, {3.0f, 1.0f, 2.0f}, {0, 1, 2}},  // unsorted
        {1, {3.0f, 1.0f}, {0, 1}},
        {7, {3.0f, 1.0f}, {0, 1}},
        {-1, {3.0f, 1.0f}, {0, 1}},
    };
    for (const Case& c : cases) {
        GxTaskRenderManage list;
        for (std::size_t i = 0; i < c.depths.size(); ++i)
            EXPECT_TRUE(list.Add(c.mode, nullptr, c.depths[i], static_cast<std::int32_t>(i)));
        EXPECT_EQ(Order(list), c.drawn) << "mode " << c.mode;
    }

    // A list whose default mode differs sorts mode 0 its own way; mixing modes in one list
    // places each entry by its own test.
    GxTaskRenderManage list;
    list.m_DefaultMode = 4;
    list.Add(0, nullptr, 1.0f, 0);
    list.Add(0, nullptr, 2.0f, 1);
    list.Add(2, nullptr, 9.0f, 2);
    list.Add(3, nullptr, 1.5f, 3);
    EXPECT_EQ(Order(list), (std::vector<std::int32_t>{3, 1, 0, 2}));
}

using RenderListTest = TreeFixture;

TEST_F(RenderListTest, DrawSkipsHiddenTasksAndDrawsRepeatsWithTheirOwnValues)
{
    auto* a = new ProbeTask(&m_Journal, "a", m_Root, nullptr, nullptr, 0);
    auto* hidden = new ProbeTask(&m_Journal, "hidden", m_Root, nullptr, nullptr, 0);
    auto* suspended = new ProbeTask(&m_Journal, "suspended", m_Root, nullptr, nullptr, 0);
    auto* removed = new ProbeTask(&m_Journal, "removed", m_Root, nullptr, nullptr, 0);
    hidden->m_TaskFlags |= kTaskNoDraw;
    GxTaskRenderManage list;
    list.Add(3, a, 1.0f, 7);
    list.Add(3, nullptr, 1.0f, 0);
    list.Add(3, hidden, 1.0f, 0);
    list.Add(3, suspended, 1.0f, 0);
    list.Add(3, removed, 1.0f, 0);
    list.Add(3, a, 2.0f, 8);
    suspended->Suspend();  // after it queued itself
    removed->Remove();
    m_Journal.clear();
    list.Draw(m_Manage.get(), 5);
    EXPECT_EQ(m_Journal, (Journal{"a.Draw7@5", "a.Draw8@5"}));
}

TEST_F(RenderListTest, TasksOfANotReadySlotDrawThroughDrawNotReady)
{
    ProbeSeq* seq = StartSequence(u"SeqA", 0, "seq");
    auto* widget = new ProbeTask(&m_Journal, "w", seq, nullptr, nullptr, 0);
    auto* loose = new ProbeTask(&m_Journal, "loose", m_Root, nullptr, nullptr, 0);  // no sequence
    auto* idle = new ProbeSeq(&m_Journal, "idle", m_Root, u"Idle");                  // in no slot
    GxTaskRenderManage list;
    list.Add(2, widget, 0.0f, 1);
    list.Add(2, loose, 0.0f, 2);
    list.Add(2, idle, 0.0f, 3);

    m_Journal.clear();
    list.Draw(m_Manage.get(), 4);
    EXPECT_EQ(m_Journal, (Journal{"w.DrawNotReady1@4", "loose.Draw2@4", "idle.Draw3@4"}));

    m_Manage->SetWorkerReady(0);
    m_Journal.clear();
    list.Draw(m_Manage.get(), 4);
    EXPECT_EQ(m_Journal, (Journal{"w.Draw1@4", "loose.Draw2@4", "idle.Draw3@4"}));
}

TEST_F(RenderListTest, SequenceQueuesIntoListZeroAndClearsWithTheConfiguredColour)
{
    auto* seq = new GxSeqBase(m_Root, u"SeqA");
    m_Manage->WalkRender(seq, 0, 0);
    const GxTaskRenderManage* list0 = m_Core.GetRenderList(0);
    ASSERT_EQ(list0->GetEntries().size(), 1u);
    const GxTaskRenderEntry& entry = list0->GetEntries()[0];
    EXPECT_EQ(entry.m_Task, seq);
    EXPECT_EQ(entry.m_Depth, 0.0f);
    EXPECT_EQ(entry.m_Value, 0);

    // Render set 1 is separate from the screen's lists.
    m_Core.m_RenderSet = 1;
    m_Manage->WalkRender(seq, 0, 0);
    EXPECT_EQ(m_Core.GetRenderList(0)->GetEntries().size(), 1u);
    EXPECT_EQ(list0->GetEntries().size(), 1u);
    m_Core.ClearRenderLists();
    EXPECT_TRUE(m_Core.GetRenderList(0)->GetEntries().empty());
    EXPECT_EQ(list0->GetEntries().size(), 1u);
    m_Core.m_RenderSet = 0;
    EXPECT_EQ(m_Core.GetRenderList(10), nullptr);
    EXPECT_EQ(m_Core.GetRenderList(-1), nullptr);

    // The clear covers the whole target in the configured colour.
    TestDevice device;
    ASSERT_TRUE(device.Created());
    device.Fill(0xFFABCDEF);
    m_Core.DrawRenderLists();
    EXPECT_EQ(device.Pixel(0, 0), 0xFF000000u);
    EXPECT_EQ(device.Pixel(1023, 767), 0xFF000000u);
    m_Config.m_System.m_ClearColor = 0xFF102030;
    m_Config.Refresh();
    seq->Draw(5, 0);  // whatever the value
    EXPECT_EQ(device.Pixel(0, 0), 0xFF102030u);
    EXPECT_EQ(device.Pixel(1023, 767), 0xFF102030u);
}
