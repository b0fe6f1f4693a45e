// [TaskFolder] local names and the UI event queue.
#include "tree_fixture.h"

using namespace tree_test;

namespace {

// Counts handler calls per code; code 5 re-posts its own event, code 6 empties the queue.
class EventFolder : public GxTaskFolder {
public:
    explicit EventFolder(GxTaskBase* parent) : GxTaskFolder(parent, u"events", nullptr, 0)
    {
        SetAcceptUIEventFlag(true);
    }
    int OnUIEvent(GxTaskUIBase*, const GxUIEventParam* e) override { return Record(1, e); }
    int OnUIEventCode2(GxTaskUIBase*, const GxUIEventParam* e) override
    {
        // Posting from a handler: handled in the same pass.
        if (e->m_Value == 0) {
            GxUIEventParam next = *e;
            next.m_Value = 1;
            PostUIEvent(nullptr, &next);
        }
        return Record(2, e);
    }
    int OnUIEventCode5(GxTaskUIBase*, const GxUIEventParam* e) override
    {
        PostUIEvent(nullptr, e);
        return Record(5, e);
    }
    int OnUIEventCode6(GxTaskUIBase*, const GxUIEventParam* e) override
    {
        ClearUIEvents();
        return Record(6, e);
    }
    int OnUIEventCode26(GxTaskUIBase*, const GxUIEventParam* e) override { return Record(26, e); }

    int Record(int code, const GxUIEventParam* e)
    {
        m_Seen.push_back(code);
        m_LastW = e->m_Vector[0].w;
        return 10;
    }
    std::vector<int> m_Seen;
    float m_LastW = -1.0f;
};

GxUIEventParam Event(std::int32_t code)
{
    GxUIEventParam e;
    e.m_Code = code;
    e.m_Vector[0] = GxVector3(1.0f, 2.0f, 3.0f);
    e.m_Vector[0].w = 7.0f;
    return e;
}

}  // namespace

using TaskFolderTest = TreeFixture;

TEST_F(TaskFolderTest, LocalNamesMapNameAndIndexToTheFirstHolder)
{
    auto* folder = new GxTaskFolder(m_Root, u"menu", nullptr, 0);
    auto* plain = new GxTaskBase(folder, nullptr, nullptr, 0);  // not a folder: names go past it
    auto* btn0 = new GxTaskBase(plain, nullptr, u"btn", 0);
    auto* btn1 = new GxTaskBase(folder, nullptr, u"btn", 1);
    EXPECT_EQ(folder->FindTaskLocal(u"btn", 0), btn0);
    EXPECT_EQ(folder->FindTaskLocal(u"btn", 1), btn1);
    EXPECT_EQ(folder->FindTaskLocal(u"BTN", 0), nullptr);
    EXPECT_TRUE(m_Log.m_Errors.empty());

    auto* dup = new GxTaskBase(folder, nullptr, u"btn", 1);
    EXPECT_EQ(folder->FindTaskLocal(u"btn", 1), btn1);
    ASSERT_EQ(m_Log.m_Errors.size(), 1u);
    EXPECT_EQ(m_Log.m_Errors[0], "GxTaskFolder::RegisterTaskLocalName/TaskLocalNameまたはIndex重複を検出 menu (btn,1)\n");
    delete dup;  // refused: the holder stays
    EXPECT_EQ(folder->FindTaskLocal(u"btn", 1), btn1);

    // Renaming moves the entry; the last index of a name takes the name with it.
    EXPECT_TRUE(btn1->SetTaskLocalName(u"ok", 0));
    EXPECT_EQ(folder->FindTaskLocal(u"btn", 1), nullptr);
    EXPECT_EQ(folder->FindTaskLocal(u"ok", 0), btn1);
    delete btn0;
    EXPECT_EQ(folder->m_LocalTasks.count(u"btn"), 0u);
    EXPECT_FALSE(folder->UnregisterTaskLocalName(u"btn", 0));
    EXPECT_FALSE(folder->UnregisterTaskLocalName(u"ok", 5));

    m_Log.Clear();
    EXPECT_EQ(folder->FindTaskLocal(u"btn", 0), nullptr);
    EXPECT_TRUE(m_Log.m_Errors.empty());
    EXPECT_EQ(folder->GetTaskLocal(u"btn", 0), nullptr);
    EXPECT_EQ(folder->GetTaskLocal(std::u16string(u"btn"), 0), nullptr);
    ASSERT_EQ(m_Log.m_Errors.size(), 2u);
    EXPECT_EQ(m_Log.m_Errors[0], "GxTaskFolder::GetTaskLocal/ローカルタスクが存在しません menu:btn[0]\n");
    EXPECT_EQ(folder->GetTaskLocal(u"ok", 0), btn1);
}

TEST_F(TaskFolderTest, EventsAreDroppedQueuedOrHandledAtOnceByTheFlags)
{
    auto* folder = new EventFolder(m_Root);
    GxUIEventParam e = Event(1);

    folder->SetAcceptUIEventFlag(false);
    EXPECT_FALSE(folder->PostUIEvent(nullptr, &e));
    EXPECT_EQ(folder->GetQueuedUIEventCount(), 0u);

    folder->SetAcceptUIEventFlag(true);
    EXPECT_TRUE(folder->PostUIEvent(nullptr, &e));
    EXPECT_TRUE(folder->m_Seen.empty());
    folder->Update(0, 0);
    EXPECT_EQ(folder->m_Seen, (std::vector<int>{1}));
    EXPECT_EQ(folder->m_LastW, 0.0f);  // the queued copy has no fourth component

    folder->SetInstantUIEventFlag(true);
    EXPECT_TRUE(folder->PostUIEvent(nullptr, &e));
    EXPECT_EQ(folder->m_Seen, (std::vector<int>{1, 1}));
    EXPECT_EQ(folder->GetQueuedUIEventCount(), 0u);

    // Leaving the sequence drops what is still queued.
    folder->SetInstantUIEventFlag(false);
    folder->PostUIEvent(nullptr, &e);
    folder->OnSequenceLeave(0);
    EXPECT_EQ(folder->GetQueuedUIEventCount(), 0u);
}

TEST_F(TaskFolderTest, CodesPickTheirHandlerAndOthersAreConsumedUnhandled)
{
    auto* folder = new EventFolder(m_Root);
    for (std::int32_t code : {0, 1, 26, 27, -3, 2}) {
        GxUIEventParam e = Event(code);
        folder->PostUIEvent(nullptr, &e);
    }
    // Code 2 posts one more code-2 event while the queue is being handled.
    EXPECT_EQ(folder->ProcessUIEvents(nullptr), 40);
    EXPECT_EQ(folder->m_Seen, (std::vector<int>{1, 26, 2, 2}));
    EXPECT_EQ(folder->GetQueuedUIEventCount(), 0u);
    EXPECT_EQ(folder->ProcessUIEvents(nullptr), 0);

    // Another listener can be named.
    auto* other = new EventFolder(m_Root);
    GxUIEventParam e = Event(26);
    EXPECT_EQ(folder->DispatchUIEvent(&e, other), 10);
    EXPECT_EQ(other->m_Seen, (std::vector<int>{26}));
}

TEST_F(TaskFolderTest, AHandlerThatKeepsPostingDoesNotHoldTheFrame)
{
    auto* folder = new EventFolder(m_Root);
    GxUIEventParam e = Event(5);
    folder->PostUIEvent(nullptr, &e);
    folder->Update(0, 0);
    EXPECT_EQ(folder->m_Seen.size(), static_cast<std::size_t>(GxTaskFolder::kUIEventsPerProcess));
    EXPECT_EQ(folder->GetQueuedUIEventCount(), 1u);  // carried to the next update
    EXPECT_EQ(m_Log.m_Warnings.size(), 1u);
    folder->Update(0, 0);
    EXPECT_EQ(folder->m_Seen.size(), 2u * GxTaskFolder::kUIEventsPerProcess);
}

TEST_F(TaskFolderTest, AHandlerMayEmptyTheQueueWhileItIsHandled)
{
    auto* folder = new EventFolder(m_Root);
    for (std::int32_t code : {6, 1, 1}) {
        GxUIEventParam e = Event(code);
        folder->PostUIEvent(nullptr, &e);
    }
    EXPECT_EQ(folder->ProcessUIEvents(nullptr), 10);
    EXPECT_EQ(folder->m_Seen, (std::vector<int>{6}));
}
