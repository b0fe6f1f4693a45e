// [TaskBase] links, states, names, ids, deletion by the sweep and the saved state.
#include "tree_fixture.h"

#include "foundation/bin_buffer.h"
#include "foundation/content_binary.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

using namespace tree_test;

namespace {

std::vector<GxTaskBase*> Children(GxTaskBase* parent)
{
    std::vector<GxTaskBase*> out;
    for (GxTaskBase* t = parent->m_FirstChild; t; t = t->m_NextSibling)
        out.push_back(t);
    return out;
}

// Writes one record through a binary writer into memory and gives back its bytes.
template <typename WriteFn>
std::string WriteRecord(WriteFn write)
{
    char* data = nullptr;
    std::size_t size = 0;
    std::FILE* file = open_memstream(&data, &size);
    {
        GxContentBinaryWriter writer(file);
        writer.WriteHeader("TASK", 1);
        write(writer);
    }
    std::fclose(file);
    std::string bytes(data, size);
    std::free(data);
    return bytes;
}

void Fill(GxBinBuffer& buffer, const std::string& bytes)
{
    std::memcpy(buffer.Allocate(static_cast<std::uint32_t>(bytes.size())), bytes.data(), bytes.size());
}

}  // namespace

using TaskBaseTest = TreeFixture;

TEST_F(TaskBaseTest, ChildrenKeepCreationOrderAndLinksAreRepairedOnDelete)
{
    auto* parent = new GxTaskFolder(m_Root, u"P", nullptr, 0);
    auto* a = new GxTaskBase(parent, nullptr, nullptr, 0);
    auto* b = new GxTaskBase(parent, nullptr, nullptr, 0);
    auto* c = new GxTaskBase(parent, nullptr, nullptr, 0);
    EXPECT_EQ(Children(parent), (std::vector<GxTaskBase*>{a, b, c}));
    EXPECT_EQ(parent->m_ChildCount, 3);
    EXPECT_EQ(parent->m_LastChild, c);

    delete b;  // middle: neighbours joined
    EXPECT_EQ(a->m_NextSibling, c);
    EXPECT_EQ(c->m_PrevSibling, a);
    delete a;  // first: parent's first child moves on
    EXPECT_EQ(parent->m_FirstChild, c);
    EXPECT_EQ(c->m_PrevSibling, nullptr);
    delete c;  // last
    EXPECT_EQ(parent->m_FirstChild, nullptr);
    EXPECT_EQ(parent->m_LastChild, nullptr);
    EXPECT_EQ(parent->m_ChildCount, 0);
}

TEST_F(TaskBaseTest, ManagerAndOwningSequenceComeFromTheParent)
{
    auto* seq = new GxSeqBase(m_Root, u"SeqA");
    auto* panel = new GxTaskFolder(seq, u"panel", nullptr, 0);
    auto* button = new GxTaskBase(panel, u"button", nullptr, 0);
    EXPECT_EQ(button->GetManage(), m_Manage.get());
    EXPECT_EQ(button->GetSequence(), seq);
    EXPECT_EQ(seq->GetSequence(), seq);
    EXPECT_EQ(m_Root->GetSequence(), nullptr);
    EXPECT_EQ(m_Manage->GetRoot(), m_Root);

    // A second root-form task does not replace the manager's root.
    GxTaskBase loose(m_Manage.get());
    EXPECT_EQ(m_Manage->GetRoot(), m_Root);
}

TEST_F(TaskBaseTest, RemoveTakesDescendantsFirstAndHooksRunOnlyOnChange)
{
    auto* folder = new ProbeFolder(&m_Journal, "F", m_Root, nullptr, nullptr, 0);
    auto* a = new ProbeFolder(&m_Journal, "A", folder, nullptr, nullptr, 0);
    new ProbeTask(&m_Journal, "A1", a, nullptr, nullptr, 0);
    auto* b = new ProbeTask(&m_Journal, "B", folder, nullptr, nullptr, 0);

    b->Resume();   // active: nothing
    b->Suspend();
    b->Suspend();  // suspended: nothing
    b->Resume();
    EXPECT_EQ(m_Journal, (Journal{"B.OnSuspend", "B.OnResume"}));

    m_Journal.clear();
    folder->Remove();
    EXPECT_EQ(m_Journal, (Journal{"A1.OnRemove", "A.OnRemove", "B.OnRemove", "F.OnRemove"}));
    m_Journal.clear();
    folder->Remove();
    folder->Resume();
    folder->Suspend();
    EXPECT_TRUE(m_Journal.empty());
    EXPECT_TRUE(folder->IsRemoved());
}

TEST_F(TaskBaseTest, TaskPathJoinsNameLocalNameIndexAndType)
{
    auto* folder = new GxTaskFolder(m_Root, u"F", nullptr, 0);
    auto* task = new GxTaskBase(folder, u"A", u"btn", 2);
    task->SetTaskType(18);
    EXPECT_EQ(task->GetTaskPath(), u"A/btn[2]:18");
    EXPECT_EQ(GxTaskBase(nullptr, nullptr, nullptr, 0).GetTaskPath(), u"/[0]:0");
}

TEST_F(TaskBaseTest, TaskIDRegistersOnceAndRefusesZeroChangesAndDuplicates)
{
    auto* first = new GxTaskBase(m_Root, u"first", nullptr, 0);
    auto* second = new GxTaskBase(m_Root, u"second", nullptr, 0);
    first->SetTaskID(5);
    EXPECT_EQ(m_Manage->FindTaskByID(5), first);

    first->SetTaskID(6);
    EXPECT_EQ(first->GetTaskID(), 5u);
    EXPECT_EQ(m_Manage->FindTaskByID(6), nullptr);
    ASSERT_EQ(m_Log.m_Errors.size(), 1u);
    EXPECT_EQ(m_Log.m_Errors[0], "GxTaskBase::SetTaskID/TaskIDは後から変更できませんTaskID=5->6\n");

    m_Log.Clear();
    second->SetTaskID(5);
    EXPECT_EQ(m_Manage->FindTaskByID(5), first);
    ASSERT_EQ(m_Log.m_Errors.size(), 1u);
    EXPECT_EQ(m_Log.m_Errors[0], "GxTaskManage::RegisterTaskID/TaskID重複を検出 (5,second)\n");

    m_Log.Clear();
    auto* third = new GxTaskBase(m_Root, u"third", nullptr, 0);
    third->SetTaskID(0);
    ASSERT_EQ(m_Log.m_Errors.size(), 1u);
    EXPECT_EQ(m_Log.m_Errors[0], "GxTaskManage::RegisterTaskID/TaskID=0は指定できません(third)\n");

    // The refused duplicate going away must not take the holder's entry with it.
    delete second;
    EXPECT_EQ(m_Manage->FindTaskByID(5), first);
    delete first;
    EXPECT_EQ(m_Manage->FindTaskByID(5), nullptr);

    m_Log.Clear();
    EXPECT_FALSE(m_Manage->UnregisterTaskID(77));
    ASSERT_EQ(m_Log.m_Errors.size(), 1u);
    EXPECT_EQ(m_Log.m_Errors[0], "GxTaskManage::UnregisterTaskID/TaskID発見できず (77)\n");
}

TEST_F(TaskBaseTest, TaskNamesAreCaseSensitiveAndDuplicatesKeepTheFirst)
{
    auto* lower = new GxTaskBase(m_Root, u"seqtitle", nullptr, 0);
    auto* upper = new GxTaskBase(m_Root, u"SeqTitle", nullptr, 0);
    EXPECT_EQ(m_Manage->FindTask(u"seqtitle"), lower);
    EXPECT_EQ(m_Manage->FindTask(u"SeqTitle"), upper);
    EXPECT_EQ(m_Manage->FindTask(u"SEQTITLE"), nullptr);
    EXPECT_TRUE(m_Log.m_Errors.empty());

    auto* copy = new GxTaskBase(m_Root, u"SeqTitle", nullptr, 0);
    EXPECT_EQ(m_Manage->FindTask(u"SeqTitle"), upper);
    ASSERT_EQ(m_Log.m_Errors.size(), 1u);
    EXPECT_EQ(m_Log.m_Errors[0], "GxTaskManage::RegisterTaskName/TaskName重複を検出 (SeqTitle)\n");
    delete copy;  // refused: the holder stays findable
    EXPECT_EQ(m_Manage->FindTask(u"SeqTitle"), upper);

    // A new name replaces the old one in the registry.
    EXPECT_TRUE(upper->RegisterTaskName(u"SeqConfig"));
    EXPECT_EQ(m_Manage->FindTask(u"SeqTitle"), nullptr);
    EXPECT_EQ(m_Manage->FindTask(u"SeqConfig"), upper);
    EXPECT_FALSE(upper->RegisterTaskName(u""));
    EXPECT_EQ(m_Manage->FindTask(u"SeqConfig"), nullptr);

    // Without a manager nothing registers.
    GxTaskBase loose(nullptr, nullptr, nullptr, 0);
    EXPECT_FALSE(loose.RegisterTaskName(u"loose"));
    EXPECT_EQ(m_Manage->FindTask(u"loose"), nullptr);
}

TEST_F(TaskBaseTest, LocalNameOutsideAnyFolderIsRefused)
{
    auto* bare = new GxTaskBase(m_Root, nullptr, nullptr, 0);
    auto* task = new GxTaskBase(bare, nullptr, u"btn", 3);
    EXPECT_TRUE(task->GetTaskLocalName().empty());
    ASSERT_EQ(m_Log.m_Errors.size(), 1u);
    EXPECT_EQ(m_Log.m_Errors[0], "GxTaskBase::SetTaskLocalName/フォルダタスク下にありません (btn,3)\n");
}

TEST_F(TaskBaseTest, SweepDeletesRemovedTasksAfterTheirHoldCountRunsDown)
{
    struct Case {
        std::int32_t hold;
        int deletedAtSweep;
    };
    for (const Case& c : {Case{1, 2}, Case{0, 1}, Case{3, 4}}) {
        bool deleted = false;
        auto* task = new ProbeTask(nullptr, "t", m_Root, nullptr, nullptr, 0);
        task->m_Deleted = &deleted;
        task->Remove();
        task->SetHoldCount(c.hold);
        int sweep = 0;
        while (!deleted && sweep < 10) {
            ++sweep;
            m_Manage->SweepRemovedTasks(m_Root);
        }
        EXPECT_EQ(sweep, c.deletedAtSweep) << "hold " << c.hold;
    }
}

TEST_F(TaskBaseTest, RemovedParentWaitsForItsChildrenAndSweepClearsStepFlags)
{
    bool parentDeleted = false;
    bool childDeleted = false;
    bool siblingDeleted = false;
    auto* sibling = new ProbeTask(nullptr, "s", m_Root, nullptr, nullptr, 0);
    auto* parent = new ProbeFolder(nullptr, "p", m_Root, nullptr, nullptr, 0);
    auto* child = new ProbeTask(nullptr, "c", parent, nullptr, nullptr, 0);
    parent->m_Deleted = &parentDeleted;
    child->m_Deleted = &childDeleted;
    sibling->m_Deleted = &siblingDeleted;
    child->SetHoldCount(2);
    parent->SetHoldCount(0);
    sibling->SetHoldCount(0);
    sibling->m_TaskFlags = kTaskEndUpdateLevel | kTaskStepFlag27 | kTaskSkipRender | kTaskEndOfChain;

    parent->Remove();
    sibling->Remove();
    m_Manage->SweepRemovedTasks(m_Root);  // sibling goes at once; its stop bit does not end the sweep
    EXPECT_TRUE(siblingDeleted);
    EXPECT_FALSE(childDeleted);
    m_Manage->SweepRemovedTasks(m_Root);
    EXPECT_FALSE(childDeleted);
    EXPECT_FALSE(parentDeleted);
    m_Manage->SweepRemovedTasks(m_Root);  // child gone; parent goes in the same sweep, after it
    EXPECT_TRUE(childDeleted);
    EXPECT_TRUE(parentDeleted);

    auto* kept = new GxTaskBase(m_Root, nullptr, nullptr, 0);
    kept->m_TaskFlags = kTaskEndUpdateLevel | kTaskStepFlag27 | kTaskSkipRender;
    m_Manage->SweepRemovedTasks(m_Root);
    EXPECT_EQ(kept->m_TaskFlags, kTaskSkipRender);
}

TEST_F(TaskBaseTest, StateRoundTripReRegistersTheTaskID)
{
    auto* folder = new GxTaskFolder(m_Root, u"F", nullptr, 0);
    folder->SetTaskID(9);
    folder->SetState(kTaskSuspended);
    folder->SetAcceptUIEventFlag(true);
    const std::string saved = WriteRecord([&](GxContentWriterBase& w) { EXPECT_TRUE(folder->WriteState(w)); });

    auto* other = new GxTaskFolder(m_Root, u"G", nullptr, 0);
    other->SetTaskID(4);
    GxUIEventParam event;
    event.m_Code = 1;
    other->SetAcceptUIEventFlag(true);
    other->PostUIEvent(nullptr, &event);

    delete folder;  // frees id 9 for the task that reads it back
    GxBinBuffer buffer;
    Fill(buffer, saved);
    GxContentBinaryReader reader(buffer, true);
    std::uint32_t version = 0;
    ASSERT_TRUE(reader.ReadHeader("TASK", &version));
    EXPECT_TRUE(other->ReadState(reader));
    EXPECT_EQ(other->GetTaskID(), 9u);
    EXPECT_EQ(other->GetState(), kTaskSuspended);
    EXPECT_TRUE(other->GetAcceptUIEventFlag());
    EXPECT_EQ(m_Manage->FindTaskByID(9), other);
    EXPECT_EQ(m_Manage->FindTaskByID(4), nullptr);
    EXPECT_EQ(other->GetQueuedUIEventCount(), 0u);
}

TEST_F(TaskBaseTest, ReadingIdZeroLeavesNoIdAndADamagedRecordChangesNothing)
{
    auto* task = new GxTaskBase(m_Root, u"T", nullptr, 0);
    task->SetTaskID(3);
    const std::string zero = WriteRecord([](GxContentWriterBase& w) {
        w.WriteU32("m_GlobalState", 1);
        w.WriteS64("m_TaskID", 0);
    });
    GxBinBuffer buffer;
    Fill(buffer, zero);
    {
        GxContentBinaryReader reader(buffer, false);
        std::uint32_t version = 0;
        ASSERT_TRUE(reader.ReadHeader("TASK", &version));
        EXPECT_TRUE(task->ReadState(reader));
    }
    EXPECT_EQ(task->GetTaskID(), 0u);
    EXPECT_EQ(m_Manage->FindTaskByID(3), nullptr);

    // Cut short: the read fails and the task keeps what it had.
    task->SetTaskID(8);
    task->SetState(kTaskSuspended);
    const std::string full = WriteRecord([](GxContentWriterBase& w) {
        w.WriteU32("m_GlobalState", 1);
        w.WriteS64("m_TaskID", 12);
    });
    const std::string header = WriteRecord([](GxContentWriterBase&) {});
    GxBinBuffer damaged;
    Fill(damaged, full.substr(0, header.size() + 2));
    GxContentBinaryReader reader(damaged, false);
    std::uint32_t version = 0;
    ASSERT_TRUE(reader.ReadHeader("TASK", &version));
    EXPECT_FALSE(task->ReadState(reader));
    EXPECT_EQ(task->GetState(), kTaskSuspended);
    EXPECT_EQ(task->GetTaskID(), 8u);
    EXPECT_EQ(m_Manage->FindTaskByID(8), task);
}

// A task reads its state while it is in the tree: a stored state or id it cannot have there is
// damage, counted, and the live value stays, so a flipped bit cannot make the sweep delete it.
TEST_F(TaskBaseTest, AStoredStateOrIdTheLiveTaskCannotHaveIsDamageAndTheLiveValueStays)
{
    auto* task = new GxTaskFolder(m_Root, u"T", nullptr, 0);
    auto* other = new GxTaskBase(m_Root, nullptr, nullptr, 0);
    task->SetTaskID(5);
    other->SetTaskID(7);
    const struct {
        std::uint32_t state;
        std::int64_t id;
        std::int32_t errors;
        std::int32_t stateAfter;
        std::uint64_t idAfter;
    } cases[] = {
        {kTaskSuspended, 5, 0, kTaskSuspended, 5},
        {kTaskActive, 6, 0, kTaskActive, 6},   // a free id is taken
        {kTaskRemoved, 6, 1, kTaskActive, 6},
        {0, 6, 1, kTaskActive, 6},
        {4, 6, 1, kTaskActive, 6},
        {0xFFFFFFFFu, 6, 1, kTaskActive, 6},
        {kTaskActive, 7, 1, kTaskActive, 6},   // another task's id
        {kTaskRemoved, 7, 2, kTaskActive, 6},
    };
    for (const auto& c : cases) {
        task->SetState(kTaskActive);
        const std::string saved = WriteRecord([&](GxContentWriterBase& w) {
            w.WriteU32("m_GlobalState", c.state);
            w.WriteS64("m_TaskID", c.id);
            w.WriteBool("m_AcceptUIEventFlag", false);
            w.WriteBool("m_InstantUIEventFlag", false);
        });
        GxBinBuffer buffer;
        Fill(buffer, saved);
        GxContentBinaryReader reader(buffer, false);
        std::uint32_t version = 0;
        ASSERT_TRUE(reader.ReadHeader("TASK", &version));
        EXPECT_EQ(task->ReadState(reader), c.errors == 0) << c.state << " " << c.id;
        EXPECT_EQ(reader.GetErrorCount(), c.errors) << c.state << " " << c.id;
        EXPECT_EQ(task->GetState(), c.stateAfter) << c.state << " " << c.id;
        EXPECT_EQ(task->GetTaskID(), c.idAfter) << c.state << " " << c.id;
        EXPECT_EQ(m_Manage->FindTaskByID(c.idAfter), task);
        EXPECT_EQ(m_Manage->FindTaskByID(7), other);
    }
    m_Manage->SweepRemovedTasks(m_Root);
    m_Manage->SweepRemovedTasks(m_Root);
    EXPECT_EQ(Children(m_Root), (std::vector<GxTaskBase*>{task, other}));
}
