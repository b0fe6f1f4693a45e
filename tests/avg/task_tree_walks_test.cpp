// [Task tree walks] One small tree of plain tasks, actors and layers of types 1 and 2:
//
//   root ── P1 ── L1 (type 1)
//        │     └─ A1 (actor)
//        ├─ L2 (type 2) ── L3 (type 1)
//        └─ L4 (type 2)
//
// The layers record which of their operations the walks call, in order.
#include "avg/task_tree_walks.h"

#include "avg_tree_fixture.h"
#include "core/task_actor.h"
#include "core/task_layer.h"
#include "foundation/wide_string.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace avg_test;

namespace {

using WalkJournal = std::vector<std::string>;

class RecordingLayer : public GxTaskLayer {
public:
    RecordingLayer(GxTaskBase* owner, const char16_t* name, std::int32_t type, WalkJournal* journal)
        : GxTaskLayer(owner, name), m_Journal(journal)
    {
        SetLayerType(type);
    }
    void ResetLayer() override
    {
        Note("reset");
        GxTaskLayer::ResetLayer();
    }
    bool ClearContent(std::int32_t fadeMs) override
    {
        Note("clear" + std::to_string(fadeMs));
        return GxTaskLayer::ClearContent(fadeMs);
    }
    bool EndTransit() override
    {
        Note("end");
        return GxTaskLayer::EndTransit();
    }
    bool IsInTransit() const override
    {
        Note("test");
        return m_Answer;
    }

    bool m_Answer = false;

private:
    void Note(const std::string& what) const { m_Journal->push_back(WideToUtf8(GetTaskName().c_str()) + "." + what); }
    WalkJournal* m_Journal;
};

class TaskTreeWalksTest : public AvgTreeTest {
protected:
    TaskTreeWalksTest()
    {
        m_P1 = new GxTaskBase(m_Root, u"P1", nullptr, 0);
        m_L1 = new RecordingLayer(m_P1, u"L1", 1, &m_Walked);
        m_A1 = new GxTaskActor(m_P1, u"A1", nullptr, 0);
        m_L2 = new RecordingLayer(m_Root, u"L2", 2, &m_Walked);
        m_L3 = new RecordingLayer(m_L2, u"L3", 1, &m_Walked);
        m_L4 = new RecordingLayer(m_Root, u"L4", 2, &m_Walked);
    }
    GxTaskBase* First() const { return m_Root->m_FirstChild; }
    WalkJournal Take()
    {
        WalkJournal walked;
        walked.swap(m_Walked);
        return walked;
    }

    WalkJournal m_Walked;
    GxTaskBase* m_P1;
    RecordingLayer* m_L1;
    GxTaskActor* m_A1;
    RecordingLayer* m_L2;
    RecordingLayer* m_L3;
    RecordingLayer* m_L4;
};

TEST_F(TaskTreeWalksTest, LayerWalksVisitChildrenBeforeTheirParentAndFilterByType)
{
    ResetLayersOfType(First(), 0);
    EXPECT_EQ(Take(), (WalkJournal{"L1.reset", "L3.reset", "L2.reset", "L4.reset"}));
    ResetLayersOfType(First(), 1);
    EXPECT_EQ(Take(), (WalkJournal{"L1.reset", "L3.reset"}));
    ResetLayersOfType(First(), 2);
    EXPECT_EQ(Take(), (WalkJournal{"L2.reset", "L4.reset"}));
    ClearLayersWithFade(First(), 300, 2);
    EXPECT_EQ(Take(), (WalkJournal{"L2.clear300", "L4.clear300"}));
    ClearLayersWithFade(First(), 0, 0);
    EXPECT_EQ(Take(), (WalkJournal{"L1.clear0", "L3.clear0", "L2.clear0", "L4.clear0"}));
    FinishLayerTransitions(First());
    EXPECT_EQ(Take(), (WalkJournal{"L1.end", "L3.end", "L2.end", "L4.end"}));
}

TEST_F(TaskTreeWalksTest, TreeFormsActOnTheRootAfterItsChildrenButNotOnItsSiblings)
{
    ResetLayerTree(m_L2);
    EXPECT_EQ(Take(), (WalkJournal{"L3.reset", "L2.reset"}));
    FinishLayerTreeTransitions(m_L2);
    EXPECT_EQ(Take(), (WalkJournal{"L3.end", "L2.end"}));
    // A plain root: only the layers below it.
    ResetLayerTree(m_Root);
    EXPECT_EQ(Take(), (WalkJournal{"L1.reset", "L3.reset", "L2.reset", "L4.reset"}));

    ResetLayerTree(nullptr);
    ResetLayersOfType(nullptr, 0);
    ClearLayersWithFade(nullptr, 100, 0);
    FinishLayerTransitions(nullptr);
    FinishLayerTreeTransitions(nullptr);
    FinishActionsInTree(nullptr);
    FinishTaskTreeActions(nullptr);
    EXPECT_TRUE(Take().empty());
    EXPECT_FALSE(IsAnyLayerInTransition(nullptr));
    EXPECT_FALSE(IsLayerTreeInTransition(nullptr));
    EXPECT_FALSE(IsAnyActorActing(nullptr));
    EXPECT_FALSE(IsTaskTreeActing(nullptr));
}

TEST_F(TaskTreeWalksTest, TheTransitionTestsStopAtTheFirstLayerThatAnswersTrue)
{
    EXPECT_FALSE(IsAnyLayerInTransition(First()));
    EXPECT_EQ(Take(), (WalkJournal{"L1.test", "L3.test", "L2.test", "L4.test"}));
    m_L3->m_Answer = true;
    EXPECT_TRUE(IsAnyLayerInTransition(First()));
    EXPECT_EQ(Take(), (WalkJournal{"L1.test", "L3.test"}));
    m_L3->m_Answer = false;
    m_L2->m_Answer = true;
    EXPECT_TRUE(IsLayerTreeInTransition(m_L2));
    EXPECT_EQ(Take(), (WalkJournal{"L3.test", "L2.test"}));
    // The tree form does not look past its root.
    m_L2->m_Answer = false;
    m_L4->m_Answer = true;
    EXPECT_FALSE(IsLayerTreeInTransition(m_L2));
    EXPECT_TRUE(IsLayerTreeInTransition(m_Root));
    // A plain chain without layers.
    GxTaskBase* plain = new GxTaskBase(m_A1, u"plain", nullptr, 0);
    EXPECT_FALSE(IsAnyLayerInTransition(plain));
}

TEST_F(TaskTreeWalksTest, ActorWalksFinishAndTestBothActionLists)
{
    EXPECT_FALSE(IsAnyActorActing(First()));
    EXPECT_FALSE(IsTaskTreeActing(m_Root));
    // An action on the second list counts as much as one on the first.
    m_A1->AddWaitAction(1, 100);
    EXPECT_TRUE(IsAnyActorActing(First()));
    EXPECT_TRUE(IsTaskTreeActing(m_P1));
    EXPECT_FALSE(IsTaskTreeActing(m_L2));

    m_A1->AddFadeOutAction(0, 200);
    m_L3->AddFadeOutAction(0, 200);
    m_L4->AddFadeOutAction(1, 200);
    FinishTaskTreeActions(m_L2);
    EXPECT_EQ(m_L3->GetAlpha(), 0);
    EXPECT_TRUE(m_L3->IsActionListEmpty());
    EXPECT_FALSE(m_A1->IsActionListEmpty());
    EXPECT_FALSE(m_L4->IsActionListEmpty());
    FinishActionsInTree(First());
    EXPECT_EQ(m_A1->GetAlpha(), 0);
    EXPECT_EQ(m_L4->GetAlpha(), 0);
    EXPECT_FALSE(IsTaskTreeActing(m_Root));
}

TEST_F(TaskTreeWalksTest, AChildlessActorRootWithOneActionIsActing)
{
    GxTaskActor* alone = new GxTaskActor(m_Root, u"alone", nullptr, 0);
    EXPECT_FALSE(IsTaskTreeActing(alone));
    alone->AddWaitAction(0, 50);
    EXPECT_TRUE(IsTaskTreeActing(alone));
    FinishTaskTreeActions(alone);
    EXPECT_FALSE(IsTaskTreeActing(alone));
}

}  // namespace
