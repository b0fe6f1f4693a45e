#include "core/shared_asset_manage.h"

#include "foundation/async_job.h"
#include "foundation/log.h"

#include "tests/support/error_log_capture.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

namespace {

// Records every deletion and step as "scope/table/name" so tests see what went and in which order.
struct AssetJournal {
    std::vector<std::string> deleted;
    std::vector<std::string> stepped;
};

class JournalAsset : public GxSharedStepAsset {
public:
    JournalAsset(AssetJournal& journal, std::string tag) : m_Journal(journal), m_Tag(std::move(tag)) {}
    ~JournalAsset() override { m_Journal.deleted.push_back(m_Tag); }
    void Step() override { m_Journal.stepped.push_back(m_Tag); }

private:
    AssetJournal& m_Journal;
    std::string m_Tag;
};

std::string Tag(int scope, int table, const char* name)
{
    return std::to_string(scope) + "/" + std::to_string(table) + "/" + name;
}

// One asset in every table of a scope, so a release shows up in the journal.
void FillScope(GxSharedScope& scope, int number, AssetJournal& journal)
{
    for (int table = 0; table < GxSharedScope::kTableCount; ++table) {
        auto asset = std::make_unique<JournalAsset>(journal, Tag(number, table, "a"));
        if (table < GxSharedScope::kFirstStepTable)
            ASSERT_TRUE(scope.AddAsset(table, u"a", std::move(asset)));
        else
            ASSERT_TRUE(scope.AddStepAsset(table, u"a", std::move(asset)));
    }
}

std::set<int> ReleasedScopes(const AssetJournal& journal)
{
    std::set<int> scopes;
    for (const std::string& tag : journal.deleted) scopes.insert(tag[0] - '0');
    return scopes;
}

// The engine's four scopes, as game start-up and the adventure module make them, each holding
// one asset per table.
class EngineScopes : public ::testing::Test {
protected:
    void SetUp() override
    {
        CreateStartupSharedScopes(m_Manage);
        CreateAvgSharedScope(m_Manage);
        for (int number = 0; number <= 3; ++number) FillScope(*m_Manage.GetScope(number), number, m_Journal);
    }

    AssetJournal m_Journal;   // outlives the manager, whose scopes write to it when deleted
    GxSharedAssetManage m_Manage;
};

TEST_F(EngineScopes, MainScreenChangeReleasesScopesThatDoNotNameTheNewScreen)
{
    struct Case {
        const char16_t* entering;
        std::set<int> released;
    };
    const Case cases[] = {
        {u"SeqTitle", {1, 3}},
        {u"SeqConfig", {1}},        // named by scopes 2 and 3
        {u"SeqAvgMain", {1, 2}},
        {u"SeqAvgLog", {1, 2}},
        {u"seqtitle", {1, 2, 3}},   // names compare with case
        {u"SeqTitle ", {1, 2, 3}},
        {u"", {1, 2, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.entering, c.entering + std::char_traits<char16_t>::length(c.entering)));
        m_Journal.deleted.clear();
        for (int number = 0; number <= 3; ++number) {
            GxSharedScope& scope = *m_Manage.GetScope(number);
            scope.Release();
            FillScope(scope, number, m_Journal);
        }
        m_Journal.deleted.clear();

        m_Manage.OnSequenceChange(c.entering);

        EXPECT_EQ(ReleasedScopes(m_Journal), c.released);
        for (int number = 0; number <= 3; ++number) {
            const std::size_t expected = c.released.count(number) ? 0u : 1u;
            for (int table = 0; table < GxSharedScope::kTableCount; ++table)
                EXPECT_EQ(m_Manage.GetScope(number)->GetAssetCount(table), expected) << number << "/" << table;
        }
    }
}

TEST_F(EngineScopes, StartupScopesCarryTheirNameListsAndTwoLoaders)
{
    EXPECT_EQ(m_Manage.GetJobManage().GetThreadCount(), 2);
    EXPECT_TRUE(m_Manage.GetScope(0)->GetSequenceNames().empty());
    EXPECT_TRUE(m_Manage.GetScope(1)->GetSequenceNames().empty());
    const std::set<std::u16string> system = {u"SeqBoot",   u"SeqTitle",     u"SeqOpening", u"SeqConfig",
                                             u"SeqSave",   u"SeqLoad",      u"SeqCGMode",  u"SeqCGModeView",
                                             u"SeqRPMode", u"SeqBGMMode",   u"SeqDebug"};
    const std::set<std::u16string> avg = {u"SeqConfig",  u"SeqSave",   u"SeqLoad",
                                          u"SeqAvgMain", u"SeqAvgLog", u"SeqDebug"};
    EXPECT_EQ(m_Manage.GetScope(2)->GetSequenceNames(), system);
    EXPECT_EQ(m_Manage.GetScope(3)->GetSequenceNames(), avg);
    EXPECT_EQ(m_Manage.GetScope(4), nullptr);
}

TEST_F(EngineScopes, ReleaseAllEmptiesEveryScopeIncludingZeroAndKeepsNames)
{
    m_Manage.ReleaseAll();

    EXPECT_EQ(ReleasedScopes(m_Journal), (std::set<int>{0, 1, 2, 3}));
    EXPECT_EQ(m_Journal.deleted.size(), 4u * GxSharedScope::kTableCount);
    EXPECT_TRUE(m_Manage.GetScope(2)->HasSequenceName(u"SeqTitle"));
    EXPECT_TRUE(m_Manage.GetScope(3)->HasSequenceName(u"SeqAvgMain"));
    m_Journal.deleted.clear();
    m_Manage.ReleaseAll();   // nothing left to delete, nothing deleted twice
    EXPECT_TRUE(m_Journal.deleted.empty());
}

TEST(SharedScope, ReleaseDeletesTableByTableInNameOrderAndSteppingSkipsPlainTables)
{
    AssetJournal journal;
    GxSharedScope scope(nullptr);
    // Added out of order; the maps keep code-unit order ("B" < "a").
    ASSERT_TRUE(scope.AddStepAsset(4, u"z", std::make_unique<JournalAsset>(journal, "4z")));
    ASSERT_TRUE(scope.AddStepAsset(4, u"B", std::make_unique<JournalAsset>(journal, "4B")));
    ASSERT_TRUE(scope.AddStepAsset(3, u"m", std::make_unique<JournalAsset>(journal, "3m")));
    ASSERT_TRUE(scope.AddAsset(1, u"b", std::make_unique<JournalAsset>(journal, "1b")));
    ASSERT_TRUE(scope.AddAsset(1, u"a", std::make_unique<JournalAsset>(journal, "1a")));
    ASSERT_TRUE(scope.AddAsset(0, u"x", std::make_unique<JournalAsset>(journal, "0x")));

    scope.UpdateAssets();
    EXPECT_EQ(journal.stepped, (std::vector<std::string>{"3m", "4B", "4z"}));

    scope.Release();
    EXPECT_EQ(journal.deleted, (std::vector<std::string>{"0x", "1a", "1b", "3m", "4B", "4z"}));
    for (int table = 0; table < GxSharedScope::kTableCount; ++table) EXPECT_EQ(scope.GetAssetCount(table), 0u);
}

TEST(SharedScope, AssetsAndNamesAreCheckedOnTheWayIn)
{
    TestErrorLogCapture errors;
    AssetJournal journal;
    {
        GxSharedScope scope(nullptr);
        // Wrong table kinds and numbers are refused and the asset handed in is not leaked.
        EXPECT_FALSE(scope.AddAsset(3, u"a", std::make_unique<JournalAsset>(journal, "plain-in-step-table")));
        EXPECT_FALSE(scope.AddStepAsset(2, u"a", std::make_unique<JournalAsset>(journal, "step-in-plain-table")));
        EXPECT_FALSE(scope.AddAsset(-1, u"a", std::make_unique<JournalAsset>(journal, "table-1")));
        EXPECT_FALSE(scope.AddStepAsset(5, u"a", std::make_unique<JournalAsset>(journal, "table5")));
        EXPECT_FALSE(scope.AddAsset(0, u"a", nullptr));
        EXPECT_EQ(journal.deleted.size(), 4u);
        EXPECT_EQ(errors.Lines().size(), 5u);
        EXPECT_EQ(scope.FindAsset(7, u"a"), nullptr);
        EXPECT_EQ(scope.GetAssetCount(-3), 0u);

        // A second asset under one name replaces (and frees) the first.
        journal.deleted.clear();
        ASSERT_TRUE(scope.AddAsset(0, u"a", std::make_unique<JournalAsset>(journal, "first")));
        ASSERT_TRUE(scope.AddAsset(0, u"a", std::make_unique<JournalAsset>(journal, "second")));
        EXPECT_EQ(journal.deleted, (std::vector<std::string>{"first"}));
        EXPECT_NE(scope.FindAsset(0, u"a"), nullptr);

        scope.AddSequenceName(u"SeqTitle");
        scope.AddSequenceName(u"SeqTitle");
        scope.AddSequenceName(nullptr);
        scope.AddSequenceName(u"");
        EXPECT_EQ(scope.GetSequenceNames().size(), 1u);
        EXPECT_EQ(errors.Lines().size(), 7u);
    }
    // The scope's destructor released what it held.
    EXPECT_EQ(journal.deleted, (std::vector<std::string>{"first", "second"}));
}

TEST(SharedAssetManage, CreateScopeGrowsTheTableAndReplacesAnExistingScope)
{
    TestErrorLogCapture errors;
    AssetJournal journal;
    GxSharedAssetManage manage;
    EXPECT_EQ(manage.GetScopeCount(), 5);
    for (int number = 0; number < 5; ++number) EXPECT_EQ(manage.GetScope(number), nullptr);

    GxSharedScope* far = manage.CreateScope(8);
    ASSERT_NE(far, nullptr);
    EXPECT_EQ(manage.GetScopeCount(), 9);
    EXPECT_EQ(manage.GetScope(8), far);
    for (int number = 0; number < 8; ++number) EXPECT_EQ(manage.GetScope(number), nullptr);
    EXPECT_EQ(manage.GetScope(9), nullptr);
    EXPECT_EQ(manage.GetScope(-1), nullptr);
    EXPECT_EQ(far->GetJobManage(), &manage.GetJobManage());

    FillScope(*far, 8, journal);
    far->AddSequenceName(u"SeqTitle");
    GxSharedScope* again = manage.CreateScope(8);
    EXPECT_EQ(journal.deleted.size(), static_cast<std::size_t>(GxSharedScope::kTableCount));
    EXPECT_EQ(manage.GetScope(8), again);
    EXPECT_TRUE(again->GetSequenceNames().empty());
    EXPECT_EQ(manage.GetScopeCount(), 9);

    EXPECT_EQ(manage.CreateScope(-2), nullptr);
    EXPECT_EQ(errors.Lines().size(), 1u);

    // A change skips the empty numbers and still reaches scope 8.
    FillScope(*again, 8, journal);
    journal.deleted.clear();
    manage.OnSequenceChange(u"SeqTitle");
    EXPECT_EQ(journal.deleted.size(), static_cast<std::size_t>(GxSharedScope::kTableCount));
}

TEST(SharedAssetManage, UpdateScopesStepsScopesInNumberOrder)
{
    AssetJournal journal;
    GxSharedAssetManage manage;
    manage.CreateScope(3);
    manage.CreateScope(0);
    ASSERT_TRUE(manage.GetScope(3)->AddStepAsset(3, u"a", std::make_unique<JournalAsset>(journal, "s3")));
    ASSERT_TRUE(manage.GetScope(0)->AddStepAsset(4, u"a", std::make_unique<JournalAsset>(journal, "s0")));
    manage.UpdateScopes();
    EXPECT_EQ(journal.stepped, (std::vector<std::string>{"s0", "s3"}));
}

// The loader holds job A until queued job B is cancelled, so the release can be checked to
// come after the cancel and after the running job has finished.
class HeldJob : public GxAsyncJobBase {
public:
    void RunJob(GxThread*, GxAsyncJobManage*) override
    {
        std::unique_lock<std::mutex> lock(m_Mutex);
        m_Started = true;
        m_Changed.notify_all();
        m_Changed.wait(lock, [this] { return m_Released; });
        m_Finished = true;
    }
    void WaitStarted()
    {
        std::unique_lock<std::mutex> lock(m_Mutex);
        m_Changed.wait(lock, [this] { return m_Started; });
    }
    void ReleaseRun()
    {
        std::lock_guard<std::mutex> lock(m_Mutex);
        m_Released = true;
        m_Changed.notify_all();
    }
    std::atomic<bool> m_Finished{false};

private:
    std::mutex m_Mutex;
    std::condition_variable m_Changed;
    bool m_Started = false;
    bool m_Released = false;
};

class QueuedJob : public GxAsyncJobBase {
public:
    explicit QueuedJob(HeldJob& held) : m_Held(held) {}
    void RunJob(GxThread*, GxAsyncJobManage*) override { m_Ran = true; }
    void OnCancelled(GxAsyncJobManage* manager) override
    {
        GxAsyncJobBase::OnCancelled(manager);
        m_Held.ReleaseRun();
    }
    std::atomic<bool> m_Ran{false};

private:
    HeldJob& m_Held;
};

class FinishedCheckAsset : public GxSharedAsset {
public:
    FinishedCheckAsset(const HeldJob& job, int& deletedAfterJob, int& deleted)
        : m_Job(job), m_DeletedAfterJob(deletedAfterJob), m_Deleted(deleted)
    {
    }
    ~FinishedCheckAsset() override
    {
        ++m_Deleted;
        if (m_Job.m_Finished) ++m_DeletedAfterJob;
    }

private:
    const HeldJob& m_Job;
    int& m_DeletedAfterJob;
    int& m_Deleted;
};

TEST(SharedAssetManage, ScreenChangeAndReleaseAllCancelQueuedJobsAndWaitForTheRunningOne)
{
    for (bool releaseAll : {false, true}) {
        SCOPED_TRACE(releaseAll ? "ReleaseAll" : "OnSequenceChange");
        HeldJob running;
        QueuedJob queued(running);
        int deleted = 0;
        int deletedAfterJob = 0;
        {
            GxSharedAssetManage manage;
            manage.GetJobManage().CreateThread(1, false);
            GxSharedScope* scope = manage.CreateScope(1);
            ASSERT_TRUE(scope->AddAsset(0, u"tex", std::make_unique<FinishedCheckAsset>(running, deletedAfterJob, deleted)));

            ASSERT_TRUE(manage.GetJobManage().AddJob(u"running", &running));
            ASSERT_TRUE(manage.GetJobManage().AddJob(u"queued", &queued));
            running.WaitStarted();

            if (releaseAll)
                manage.ReleaseAll();
            else
                manage.OnSequenceChange(u"SeqTitle");

            EXPECT_EQ(deleted, 1);
            EXPECT_EQ(deletedAfterJob, 1);
            EXPECT_TRUE(queued.IsCancelled());
            EXPECT_FALSE(queued.m_Ran);
            EXPECT_FALSE(manage.GetJobManage().HasPendingJobs());
        }
    }
}

TEST(SharedAssetManage, DestructionStopsTheLoadersAndFreesEveryScope)
{
    AssetJournal journal;
    {
        GxSharedAssetManage manage;
        CreateStartupSharedScopes(manage);
        FillScope(*manage.GetScope(0), 0, journal);
        FillScope(*manage.GetScope(2), 2, journal);
    }
    EXPECT_EQ(ReleasedScopes(journal), (std::set<int>{0, 2}));
    EXPECT_EQ(journal.deleted.size(), 2u * GxSharedScope::kTableCount);
}

}  // namespace
