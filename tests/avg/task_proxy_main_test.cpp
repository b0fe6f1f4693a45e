// [Proxy task] The proxy of the play screen forwards the walks to another screen's subtree,
// saves its target by name and links it again when read back; targets that do not exist, and
// targets that hold the proxy itself, are refused.
//
//   root ── SeqOther ── $HOLDER:SeqOther ── c1 ── c1a
//        │                               └─ c2
//        └─ SeqAvgMain ── $ROOT:SeqAvgMain ── $PROXY:SeqAvgMain
#include "avg/task_proxy_main.h"

#include "avg_tree_fixture.h"
#include "core/seq_base.h"
#include "foundation/bin_buffer.h"
#include "foundation/content_binary.h"
#include "foundation/content_text.h"
#include "foundation/wide_string.h"
#include "tests/support/memory_stream.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace avg_test;

namespace {

using CallJournal = std::vector<std::string>;

class ProbeTask : public GxTaskBase {
public:
    ProbeTask(GxTaskBase* parent, const char16_t* name, CallJournal* journal)
        : GxTaskBase(parent, name, nullptr, 0), m_Journal(journal)
    {
    }
    int Update(std::int32_t step, std::uint64_t elapsed) override
    {
        Note("Update", step, static_cast<std::int64_t>(elapsed));
        return 0;
    }
    int Render(std::int32_t step, std::uint64_t elapsed) override
    {
        Note("Render", step, static_cast<std::int64_t>(elapsed));
        return 0;
    }
    void OnSequenceEnter(std::int32_t worker) override { Note("Enter", worker, 0); }
    void OnSequenceLeave(std::int32_t worker) override { Note("Leave", worker, 0); }

private:
    void Note(const char* what, std::int32_t a, std::int64_t b)
    {
        m_Journal->push_back(WideToUtf8(GetTaskName().c_str()) + "." + what + "(" + std::to_string(a) + "," +
                             std::to_string(b) + ")");
    }
    CallJournal* m_Journal;
};

class TaskProxyMainTest : public AvgTreeTest {
protected:
    TaskProxyMainTest()
    {
        m_Other = new GxSeqBase(m_Root, u"SeqOther");
        m_Holder = new ProbeTask(m_Other, u"$HOLDER:SeqOther", &m_Calls);
        ProbeTask* c1 = new ProbeTask(m_Holder, u"c1", &m_Calls);
        new ProbeTask(c1, u"c1a", &m_Calls);
        new ProbeTask(m_Holder, u"c2", &m_Calls);
        m_Play = new GxSeqBase(m_Root, u"SeqAvgMain");
        m_PlayRoot = new GxTaskBase(m_Play, u"$ROOT:SeqAvgMain", nullptr, 0);
        m_Proxy = new AvgTaskProxyMain(m_PlayRoot);
    }

    void ExpectEmpty(const AvgTaskProxyMain& proxy)
    {
        EXPECT_TRUE(proxy.GetReceiveSequenceName().empty());
        EXPECT_TRUE(proxy.GetReceiveTaskName().empty());
        EXPECT_EQ(proxy.GetReceiveSequence(), nullptr);
        EXPECT_EQ(proxy.GetReceiveTask(), nullptr);
    }
    CallJournal TakeCalls()
    {
        CallJournal calls;
        calls.swap(m_Calls);
        return calls;
    }

    // The proxy's state alone, in the text or binary content form.
    static std::string Write(AvgTaskProxyMain& proxy, bool text)
    {
        TestMemoryStream stream;
        std::unique_ptr<GxContentWriterBase> writer;
        if (text)
            writer = std::make_unique<GxContentTextWriter>(stream.File());
        else
            writer = std::make_unique<GxContentBinaryWriter>(stream.File());
        EXPECT_TRUE(proxy.WriteState(*writer));
        writer.reset();
        return stream.Bytes();
    }
    static bool Read(AvgTaskProxyMain& proxy, const std::string& bytes, bool text)
    {
        GxBinBuffer buffer;
        if (!bytes.empty())
            std::memcpy(buffer.Allocate(static_cast<std::uint32_t>(bytes.size())), bytes.data(), bytes.size());
        std::unique_ptr<GxContentReaderBase> reader;
        if (text)
            reader = std::make_unique<GxContentTextReader>(buffer, false);
        else
            reader = std::make_unique<GxContentBinaryReader>(buffer, false);
        return proxy.ReadState(*reader);
    }

    CallJournal m_Calls;
    GxSeqBase* m_Other;
    ProbeTask* m_Holder;
    GxSeqBase* m_Play;
    GxTaskBase* m_PlayRoot;
    AvgTaskProxyMain* m_Proxy;
};

TEST_F(TaskProxyMainTest, WithATargetTheWalksReachItsChildrenWithTheSameArguments)
{
    EXPECT_EQ(m_Proxy->GetTaskName(), u"$PROXY:SeqAvgMain");
    ExpectEmpty(*m_Proxy);
    // Without a target nothing is reached.
    EXPECT_EQ(m_Proxy->Update(0, 16000), 0);
    EXPECT_EQ(m_Proxy->Render(0, 16000), 0);
    m_Proxy->OnSequenceEnter(0);
    m_Proxy->OnSequenceLeave(0);
    EXPECT_TRUE(TakeCalls().empty());

    m_Proxy->SetTarget(u"SeqOther", u"$HOLDER:SeqOther");
    EXPECT_EQ(m_Proxy->GetReceiveSequence(), m_Other);
    EXPECT_EQ(m_Proxy->GetReceiveTask(), m_Holder);
    EXPECT_EQ(m_Proxy->GetReceiveSequenceName(), u"SeqOther");
    EXPECT_EQ(m_Proxy->GetReceiveTaskName(), u"$HOLDER:SeqOther");
    EXPECT_EQ(m_Proxy->Update(2, 33000), 0);
    EXPECT_EQ(TakeCalls(), (CallJournal{"c1.Update(2,33000)", "c1a.Update(2,33000)", "c2.Update(2,33000)"}));
    EXPECT_EQ(m_Proxy->Render(1, 7), 0);
    EXPECT_EQ(TakeCalls(), (CallJournal{"c1.Render(1,7)", "c1a.Render(1,7)", "c2.Render(1,7)"}));
    // Enter and leave pass worker -1, whatever slot the play screen runs in.
    m_Proxy->OnSequenceEnter(1);
    EXPECT_EQ(TakeCalls(), (CallJournal{"c1.Enter(-1,0)", "c1a.Enter(-1,0)", "c2.Enter(-1,0)"}));
    m_Proxy->OnSequenceLeave(0);
    EXPECT_EQ(TakeCalls(), (CallJournal{"c1.Leave(-1,0)", "c1a.Leave(-1,0)", "c2.Leave(-1,0)"}));

    // The manager's own walk over the play screen reaches the other subtree through the proxy.
    m_Manage->WalkUpdate(m_Play, 0, 5);
    EXPECT_EQ(TakeCalls(), (CallJournal{"c1.Update(0,5)", "c1a.Update(0,5)", "c2.Update(0,5)"}));

    m_Proxy->ClearTarget();
    ExpectEmpty(*m_Proxy);
    m_Proxy->Update(0, 1);
    EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(TaskProxyMainTest, AMissingOrEnclosingTargetIsLoggedWithBothNamesAndClearsTheProxy)
{
    struct Case {
        const char16_t* sequence;
        const char16_t* task;
        const char* line;   // null: cleared without a line
    };
    const Case cases[] = {
        {u"", u"", nullptr},
        {u"SeqOther", u"$MISSING", "AvgTaskProxyMainにタスクを設定できませんでした(SeqOther/$MISSING)\n"},
        {u"SeqGone", u"$HOLDER:SeqOther", "AvgTaskProxyMainにタスクを設定できませんでした(SeqGone/$HOLDER:SeqOther)\n"},
        {u"SeqOther", u"", "AvgTaskProxyMainにタスクを設定できませんでした(SeqOther/)\n"},
        // The proxy's own ancestors and the proxy itself: the walks would come back to it.
        {u"SeqAvgMain", u"$ROOT:SeqAvgMain",
         "AvgTaskProxyMainにタスクを設定できませんでした(SeqAvgMain/$ROOT:SeqAvgMain)\n"},
        {u"SeqAvgMain", u"SeqAvgMain", "AvgTaskProxyMainにタスクを設定できませんでした(SeqAvgMain/SeqAvgMain)\n"},
        {u"SeqAvgMain", u"$PROXY:SeqAvgMain",
         "AvgTaskProxyMainにタスクを設定できませんでした(SeqAvgMain/$PROXY:SeqAvgMain)\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(WideToUtf8(c.task));
        m_Proxy->SetTarget(u"SeqOther", u"$HOLDER:SeqOther");
        ASSERT_EQ(m_Proxy->GetReceiveTask(), m_Holder);
        m_Log.Clear();
        m_Proxy->SetTarget(c.sequence, c.task);
        ExpectEmpty(*m_Proxy);
        if (c.line)
            EXPECT_EQ(m_Log.Lines(), std::vector<std::string>{c.line});
        else
            EXPECT_TRUE(m_Log.Lines().empty());
        EXPECT_EQ(m_Proxy->Update(0, 1), 0);
        m_Proxy->Render(0, 1);
    }
    EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(TaskProxyMainTest, ATargetDeletedAfterItWasSetIsNoLongerReached)
{
    ProbeTask* spare = new ProbeTask(m_Other, u"$SPARE:SeqOther", &m_Calls);
    new ProbeTask(spare, u"s1", &m_Calls);
    m_Proxy->SetTarget(u"SeqOther", u"$SPARE:SeqOther");
    m_Proxy->Update(0, 1);
    EXPECT_EQ(TakeCalls(), (CallJournal{"s1.Update(0,1)"}));
    spare->Remove();
    // Children go first, each after its hold is released.
    for (int sweep = 0; sweep < 4; ++sweep)
        m_Manage->SweepRemovedTasks(m_Root);
    ASSERT_EQ(m_Manage->FindTask(u"$SPARE:SeqOther"), nullptr);
    m_Proxy->Update(0, 1);
    m_Proxy->Render(0, 1);
    m_Proxy->OnSequenceLeave(0);
    EXPECT_TRUE(TakeCalls().empty());
}

TEST_F(TaskProxyMainTest, TheStateRoundTripsInBothFormsAndLinksTheTargetAgainByName)
{
    for (bool text : {true, false}) {
        SCOPED_TRACE(text ? "text" : "binary");
        m_Proxy->SetTarget(u"SeqOther", u"$HOLDER:SeqOther");
        const std::string saved = Write(*m_Proxy, text);
        m_Proxy->ClearTarget();

        AvgTaskProxyMain* restored = new AvgTaskProxyMain(m_PlayRoot, text ? u"$PROXY:text" : u"$PROXY:binary");
        EXPECT_TRUE(Read(*restored, saved, text));
        EXPECT_EQ(restored->GetReceiveSequence(), m_Other);
        EXPECT_EQ(restored->GetReceiveTask(), m_Holder);
        EXPECT_EQ(restored->GetReceiveSequenceName(), u"SeqOther");
        EXPECT_EQ(restored->GetReceiveTaskName(), u"$HOLDER:SeqOther");

        // Two empty names clear a target without a line.
        EXPECT_TRUE(Read(*restored, Write(*m_Proxy, text), text));
        ExpectEmpty(*restored);
        EXPECT_TRUE(m_Log.Lines().empty());
        // A target that is gone by the time the state is read: logged, dropped, the read succeeds.
        m_Holder->RegisterTaskName(u"$HOLDER:Renamed");
        EXPECT_TRUE(Read(*restored, saved, text));
        ExpectEmpty(*restored);
        EXPECT_EQ(m_Log.Lines(),
                  std::vector<std::string>{"AvgTaskProxyMainにタスクを設定できませんでした(SeqOther/$HOLDER:SeqOther)\n"});
        m_Log.Clear();
        m_Holder->RegisterTaskName(u"$HOLDER:SeqOther");

        // Damaged states fail to read and leave the proxy without a target.
        for (std::size_t keep : {std::size_t{0}, saved.size() / 2}) {
            SCOPED_TRACE(keep);
            restored->SetTarget(u"SeqOther", u"$HOLDER:SeqOther");
            EXPECT_FALSE(Read(*restored, saved.substr(0, keep), text));
            EXPECT_EQ(restored->GetReceiveTask(), nullptr);
            restored->Update(0, 1);
        }
        m_Log.Clear();
    }
    EXPECT_TRUE(TakeCalls().empty());
}

}  // namespace
