// [SeqControl] change requests, the switch between sequences, and what a sequence does as it
// starts, leaves and answers the user dialog; the input gate.
#include "tree_fixture.h"

#include "core/module_core_base.h"
#include "core/shared_asset_manage.h"

#include <functional>

using namespace tree_test;

namespace {

// Records the worker index the sequence holds while its hooks run.
class IndexSeq : public ProbeSeq {
public:
    IndexSeq(Journal* journal, std::string label, GxTaskBase* owner, const char16_t* name)
        : ProbeSeq(journal, std::move(label), owner, name)
    {
    }
    void OnSequenceEnter(std::int32_t worker) override
    {
        Note("Enter" + std::to_string(worker) + "@" + std::to_string(GetWorkerIndex()));
        if (m_RequestOnEnter)
            m_Manage->ChangeSequence(m_RequestOnEnter, worker, 0, 0);
    }
    void OnSequenceLeave(std::int32_t worker) override
    {
        Note("Leave" + std::to_string(worker) + "@" + std::to_string(GetWorkerIndex()));
        GxSeqBase::OnSequenceLeave(worker);
        if (m_RequestOnLeave)
            m_Manage->ChangeSequence(m_RequestOnLeave, worker, 0, 0);
    }
    GxSeqBase* m_RequestOnEnter = nullptr;
    GxSeqBase* m_RequestOnLeave = nullptr;
};

class NotedAsset : public GxSharedAsset {
public:
    explicit NotedAsset(Journal* journal) : m_Journal(journal) {}
    ~NotedAsset() override { m_Journal->push_back("scope1.Release"); }
    Journal* m_Journal;
};

class RestoreModule : public GxModuleCoreBase {
public:
    explicit RestoreModule(std::int32_t result) : m_Result(result) {}
    const char16_t* GetModuleName() override { return u"TEST"; }
    void Attach(GxCore*) override {}
    void AfterReset() override {}
    void Initialize() override {}
    void BeforeReset() override {}
    void RegisterBuiltins(GxMoaFunctionBinder*) override {}
    void CreateSequences(GxTaskBase*) override {}
    void OnBootTitle() override {}
    void BeforeLoadGame() override {}
    std::int32_t RestoreSequence() override { return m_Result; }
    void LoadConfigPage(std::int32_t) override {}
    void StoreConfigPage(std::int32_t) override {}
    void ResetConfig() override {}
    bool WriteGameData(GxContentWriterBase*, const char16_t*) override { return true; }
    bool ReadGameData(GxContentReaderBase*, const char16_t*, bool) override { return true; }
    bool WritePermanentData(GxContentWriterBase*) override { return true; }
    bool ReadPermanentData(GxContentReaderBase*) override { return true; }
    bool WriteUserConfig(GxContentWriterBase*) override { return true; }
    bool ReadUserConfig(GxContentReaderBase*) override { return true; }
    std::int32_t m_Result;
};

}  // namespace

class SeqControlTest : public TreeFixture {
protected:
    SeqControlTest() { m_Core.m_SharedAssets = &m_Shared; }
    ~SeqControlTest() override { m_Core.m_SharedAssets = nullptr; }

    IndexSeq* MakeSeq(const char16_t* name, const std::string& label)
    {
        return new IndexSeq(&m_Journal, label, m_Root, name);
    }
    void AddScopeOneAsset()
    {
        GxSharedScope* scope = m_Shared.CreateScope(1);
        ASSERT_NE(scope, nullptr);
        ASSERT_TRUE(scope->AddAsset(0, u"asset", std::make_unique<NotedAsset>(&m_Journal)));
    }
    const GxSeqWorker& Slot(std::int32_t k) { return *m_Manage->GetWorker(k); }

    GxSharedAssetManage m_Shared;
};

TEST_F(SeqControlTest, RefusedRequestsLogTheirLineAndChangeNothing)
{
    IndexSeq* running = MakeSeq(u"Seq0", "s0");
    ASSERT_TRUE(m_Manage->ChangeSequence(running, 0, 0, 0));
    m_Manage->ApplySequenceChanges();
    IndexSeq* target = MakeSeq(u"SeqA", "a");
    auto* panel = new GxTaskFolder(m_Root, u"Panel", nullptr, 0);
    auto* sameName = new GxSeqBase(m_Root, u"Seq0");  // its name registration is refused, the name stays
    m_Log.Clear();

    struct Case {
        GxTaskBase* task;
        std::int32_t worker;
        const char* line;  // null: no line
    };
    const Case cases[] = {
        {nullptr, 0, nullptr},
        {target, 2, "指定されたワーカーインデックスでは実行できませんありません(SeqA:seqworkindex=2)\n"},
        {target, -1, "指定されたワーカーインデックスでは実行できませんありません(SeqA:seqworkindex=-1)\n"},
        {panel, 0, "指定されたタスクはシーケンスタスクではありません(Panel)\n"},
        {running, 1, "既に実行中のシーケンスに遷移することはできません(Seq0:seqworkindex=0)\n"},
        {running, 0, "既に実行中のシーケンスに遷移することはできません(Seq0:seqworkindex=0)\n"},
        {sameName, 0, "Can not change the same sequence(Seq0)\n"},
    };
    for (const Case& c : cases) {
        m_Log.Clear();
        EXPECT_FALSE(m_Manage->ChangeSequence(c.task, c.worker, 1, 2));
        if (c.line) {
            ASSERT_EQ(m_Log.m_Errors.size(), 1u) << c.line;
            EXPECT_EQ(m_Log.m_Errors[0], c.line);
        } else {
            EXPECT_TRUE(m_Log.m_Errors.empty());
        }
        for (std::int32_t k : {0, 1}) {
            EXPECT_FALSE(Slot(k).m_ChangePending);
            EXPECT_EQ(Slot(k).m_Pending, nullptr);
        }
        EXPECT_TRUE(Slot(0).m_Switched);
    }

    // The name forms.
    m_Log.Clear();
    EXPECT_FALSE(m_Manage->ChangeSequenceByName(u"", 0, 0));
    EXPECT_FALSE(m_Manage->ChangeSequenceByName(u"Nope", 0, 0));
    EXPECT_FALSE(m_Manage->ChangeSequenceByCName(u"seqa", 0, 0, 0));
    EXPECT_FALSE(m_Manage->ChangeSequenceByCName(nullptr, 0, 0, 0));
    EXPECT_EQ(m_Log.m_Errors, (std::vector<std::string>{"名前のないタスクは遷移先のシーケンスに指定できません\n",
                                                        "遷移先のシーケンスが見つかりません(Nope)\n",
                                                        "遷移先のシーケンスが見つかりません(seqa)\n",
                                                        "遷移先のシーケンスが見つかりません()\n"}));
    EXPECT_TRUE(m_Manage->ChangeSequenceByName(u"SeqA", 0, 9));
    EXPECT_EQ(Slot(0).m_PendingParam[0], 0);
    EXPECT_EQ(Slot(0).m_PendingParam[1], 9);
    EXPECT_TRUE(m_Manage->ChangeSequenceByCName(u"SeqA", 0, 4, 5));
    EXPECT_EQ(Slot(0).m_PendingParam[0], 4);
}

TEST_F(SeqControlTest, TheSwitchRunsLeaveScopesAndEnterInOrderAndTheLastRequestWins)
{
    AddScopeOneAsset();
    IndexSeq* a = MakeSeq(u"SeqA", "a");
    IndexSeq* b = MakeSeq(u"SeqB", "b");
    IndexSeq* c = MakeSeq(u"SeqC", "c");
    auto* child = new ProbeTask(&m_Journal, "aChild", a, nullptr, nullptr, 0);
    ASSERT_TRUE(m_Manage->ChangeSequence(a, 0, 1, 2));
    m_Manage->ApplySequenceChanges();
    m_Manage->SetWorkerReady(0);
    (void)child;
    m_Shared.CreateScope(1)->AddAsset(0, u"asset", std::make_unique<NotedAsset>(&m_Journal));
    m_Journal.clear();

    ASSERT_TRUE(m_Manage->ChangeSequence(b, 0, 3, 4));
    EXPECT_FALSE(Slot(0).m_Switched);
    EXPECT_FALSE(Slot(0).m_Ready);
    EXPECT_TRUE(Slot(0).m_ChangePending);
    EXPECT_TRUE(m_Manage->IsAnyChangePending());
    ASSERT_TRUE(m_Manage->ChangeSequence(c, 0, 5, 6));
    EXPECT_EQ(Slot(0).m_Current, a);  // nothing switches before the next pass

    m_Manage->ApplySequenceChanges();
    EXPECT_EQ(m_Journal, (Journal{"a.Leave0@0", "aChild.Leave0", "scope1.Release", "c.Enter0@0"}));
    const GxSeqWorker& slot = Slot(0);
    EXPECT_EQ(slot.m_Current, c);
    EXPECT_EQ(slot.m_CurrentName, u"SeqC");
    EXPECT_EQ(slot.m_CurrentParam[0], 5);
    EXPECT_EQ(slot.m_CurrentParam[1], 6);
    EXPECT_EQ(slot.m_Previous, a);
    EXPECT_EQ(slot.m_PreviousName, u"SeqA");
    EXPECT_EQ(slot.m_PreviousParam[1], 2);
    EXPECT_EQ(slot.m_Pending, nullptr);
    EXPECT_TRUE(slot.m_PendingName.empty());
    EXPECT_TRUE(slot.m_Switched);
    EXPECT_FALSE(slot.m_Ready);
    EXPECT_FALSE(slot.m_ChangePending);
    EXPECT_EQ(a->GetWorkerIndex(), -1);
    EXPECT_EQ(b->GetWorkerIndex(), -1);
    EXPECT_EQ(c->GetWorkerIndex(), 0);
}

TEST_F(SeqControlTest, BothSlotsSwitchSlotOneFirstAndOnlySlotZeroReleasesScopes)
{
    AddScopeOneAsset();
    IndexSeq* one = MakeSeq(u"SeqOne", "one");
    IndexSeq* zero = MakeSeq(u"SeqZero", "zero");
    ASSERT_TRUE(m_Manage->ChangeSequence(one, 1, 0, 0));
    m_Manage->ApplySequenceChanges();
    EXPECT_EQ(m_Journal, (Journal{"one.Enter1@1"}));
    EXPECT_EQ(m_Shared.GetScope(1)->GetAssetCount(0), 1u);

    IndexSeq* other = MakeSeq(u"SeqOther", "other");
    ASSERT_TRUE(m_Manage->ChangeSequence(zero, 0, 0, 0));
    ASSERT_TRUE(m_Manage->ChangeSequence(other, 1, 0, 0));
    m_Journal.clear();
    m_Manage->ApplySequenceChanges();
    EXPECT_EQ(m_Journal, (Journal{"one.Leave1@1", "other.Enter1@1", "scope1.Release", "zero.Enter0@0"}));
}

TEST_F(SeqControlTest, OneSequenceIsNeverPendingInBothSlots)
{
    IndexSeq* x = MakeSeq(u"SeqX", "x");
    ASSERT_TRUE(m_Manage->ChangeSequence(x, 0, 0, 0));
    m_Log.Clear();
    EXPECT_FALSE(m_Manage->ChangeSequence(x, 1, 0, 0));
    ASSERT_EQ(m_Log.m_Errors.size(), 1u);
    EXPECT_EQ(m_Log.m_Errors[0], "既に実行中のシーケンスに遷移することはできません(SeqX:seqworkindex=0)\n");
    EXPECT_FALSE(Slot(1).m_ChangePending);

    m_Manage->ApplySequenceChanges();
    m_Journal.clear();
    m_Manage->UpdateAll(0, 0);
    EXPECT_EQ(m_Journal, (Journal{"x.StartMain"}));
    EXPECT_EQ(Slot(1).m_Current, nullptr);

    // Should a request reach the switch anyway, the switch refuses it and the slot keeps its
    // sequence, taking input again.
    IndexSeq* y = MakeSeq(u"SeqY", "y");
    ASSERT_TRUE(m_Manage->ChangeSequence(y, 1, 0, 0));
    m_Manage->ApplySequenceChanges();
    GxSeqWorker* slot1 = m_Manage->GetWorker(1);
    slot1->m_Pending = x;
    slot1->m_PendingName = u"SeqX";
    slot1->m_ChangePending = true;
    slot1->m_Switched = false;
    m_Log.Clear();
    m_Journal.clear();
    m_Manage->ApplySequenceChanges();
    EXPECT_TRUE(m_Journal.empty());
    ASSERT_EQ(m_Log.m_Errors.size(), 1u);
    EXPECT_EQ(m_Log.m_Errors[0], "既に実行中のシーケンスに遷移することはできません(SeqX:seqworkindex=0)\n");
    EXPECT_EQ(slot1->m_Current, y);
    EXPECT_TRUE(slot1->m_Switched);
    EXPECT_FALSE(slot1->m_ChangePending);
    EXPECT_EQ(x->GetWorkerIndex(), 0);
}

TEST_F(SeqControlTest, ARequestFromALeaveHookWaitsForTheNextPass)
{
    IndexSeq* a = MakeSeq(u"SeqA", "a");
    IndexSeq* b = MakeSeq(u"SeqB", "b");
    IndexSeq* c = MakeSeq(u"SeqC", "c");
    ASSERT_TRUE(m_Manage->ChangeSequence(a, 0, 0, 0));
    m_Manage->ApplySequenceChanges();
    a->m_RequestOnLeave = c;
    b->m_RequestOnEnter = nullptr;
    ASSERT_TRUE(m_Manage->ChangeSequence(b, 0, 0, 0));
    m_Journal.clear();
    m_Manage->ApplySequenceChanges();
    EXPECT_EQ(Slot(0).m_Current, b);
    EXPECT_EQ(Slot(0).m_Pending, c);
    EXPECT_TRUE(Slot(0).m_ChangePending);
    EXPECT_FALSE(Slot(0).m_Switched);
    m_Manage->ApplySequenceChanges();
    EXPECT_EQ(Slot(0).m_Current, c);
    EXPECT_EQ(m_Journal, (Journal{"a.Leave0@0", "b.Enter0@0", "b.Leave0@0", "c.Enter0@0"}));
}

TEST_F(SeqControlTest, TheSweepKeepsARemovedSequenceWhileASlotHoldsIt)
{
    bool deleted = false;
    IndexSeq* a = MakeSeq(u"SeqA", "a");
    a->m_Deleted = &deleted;
    ASSERT_TRUE(m_Manage->ChangeSequence(a, 0, 0, 0));
    m_Manage->ApplySequenceChanges();
    a->Remove();
    for (int i = 0; i < 4; ++i)
        m_Manage->SweepRemovedTasks(m_Root);
    EXPECT_FALSE(deleted);  // current

    ASSERT_TRUE(m_Manage->ChangeSequence(MakeSeq(u"SeqB", "b"), 0, 0, 0));
    m_Manage->ApplySequenceChanges();
    for (int i = 0; i < 4; ++i)
        m_Manage->SweepRemovedTasks(m_Root);
    EXPECT_FALSE(deleted);  // previous
    EXPECT_EQ(Slot(0).m_Previous, a);

    ASSERT_TRUE(m_Manage->ChangeSequence(MakeSeq(u"SeqC", "c"), 0, 0, 0));
    m_Manage->ApplySequenceChanges();
    m_Manage->SweepRemovedTasks(m_Root);
    m_Manage->SweepRemovedTasks(m_Root);
    EXPECT_TRUE(deleted);
    EXPECT_EQ(m_Manage->FindTask(u"SeqA"), nullptr);
}

TEST_F(SeqControlTest, ReleaseLeavesOnlySwitchedSlotsAndEmptiesBoth)
{
    IndexSeq* a = MakeSeq(u"SeqA", "a");
    IndexSeq* b = MakeSeq(u"SeqB", "b");
    IndexSeq* waiting = MakeSeq(u"SeqW", "w");
    ASSERT_TRUE(m_Manage->ChangeSequence(a, 0, 0, 0));
    ASSERT_TRUE(m_Manage->ChangeSequence(b, 1, 0, 0));
    m_Manage->ApplySequenceChanges();
    ASSERT_TRUE(m_Manage->ChangeSequence(waiting, 1, 0, 0));  // slot 1 no longer switched
    m_Journal.clear();
    m_Manage->ReleaseSequences();
    EXPECT_EQ(m_Journal, (Journal{"a.Leave-1@0"}));
    for (std::int32_t k : {0, 1}) {
        EXPECT_EQ(Slot(k).m_Current, nullptr);
        EXPECT_TRUE(Slot(k).m_CurrentName.empty());
        EXPECT_FALSE(Slot(k).m_Switched);
        EXPECT_FALSE(Slot(k).m_Ready);
        EXPECT_FALSE(Slot(k).m_ChangePending);
    }
    EXPECT_EQ(Slot(1).m_Pending, waiting);
    EXPECT_EQ(a->GetWorkerIndex(), -1);
    EXPECT_EQ(b->GetWorkerIndex(), -1);
}

TEST_F(SeqControlTest, StartMainMakesASwitchedSlotReady)
{
    IndexSeq* idle = MakeSeq(u"SeqIdle", "idle");
    idle->StartMain(0, 0);
    EXPECT_TRUE(m_Log.m_Errors.empty());

    IndexSeq* a = MakeSeq(u"SeqA", "a");
    new ProbeTask(&m_Journal, "aChild", a, nullptr, nullptr, 0);
    ASSERT_TRUE(m_Manage->ChangeSequence(a, 0, 0, 0));
    m_Manage->ApplySequenceChanges();
    m_Journal.clear();
    m_Manage->UpdateAll(0, 0);  // not ready: StartMain for the whole tree
    EXPECT_EQ(m_Journal, (Journal{"a.StartMain", "aChild.StartMain"}));
    EXPECT_TRUE(Slot(0).m_Ready);
    m_Journal.clear();
    m_Manage->UpdateAll(0, 0);
    EXPECT_EQ(m_Journal, (Journal{"a.Update", "aChild.Update"}));

    // A request takes the slot out of the running walks until the switch; the leaving sequence
    // waits without becoming ready and without an error line.
    ASSERT_TRUE(m_Manage->ChangeSequence(idle, 0, 0, 0));
    m_Log.Clear();
    m_Journal.clear();
    m_Manage->UpdateAll(0, 0);
    EXPECT_EQ(m_Journal, (Journal{"a.StartMain", "aChild.StartMain"}));
    EXPECT_FALSE(Slot(0).m_Ready);
    EXPECT_TRUE(m_Log.m_Errors.empty()) << m_Log.m_Errors[0];

    // A slot that is neither switched in nor waiting for a change is out of order.
    m_Manage->ApplySequenceChanges();
    m_Manage->GetWorker(0)->m_Switched = false;
    m_Manage->UpdateAll(0, 0);
    ASSERT_EQ(m_Log.m_Errors.size(), 1u);
    EXPECT_EQ(m_Log.m_Errors[0], "GxTaskManage::StartMain/シーケンスの準備ができていません seqworkindex=0\n");
}

TEST_F(SeqControlTest, ARequestFromAHookBeforeTheStartStepIsNoError)
{
    // A first screen that asks for its successor as it enters (before its start step), and a
    // leave hook that redirects the switch: the sequence in the slot meanwhile gets its start
    // step with the change pending, and the change is applied on the next pass.
    for (const bool fromLeave : {false, true}) {
        SCOPED_TRACE(fromLeave ? "leave hook" : "enter hook");
        const std::u16string tag = fromLeave ? u"L" : u"E";
        IndexSeq* boot = MakeSeq((u"SeqBoot" + tag).c_str(), "boot");
        IndexSeq* next = MakeSeq((u"SeqNext" + tag).c_str(), "next");
        if (fromLeave) {
            IndexSeq* first = MakeSeq((u"SeqFirst" + tag).c_str(), "first");
            ASSERT_TRUE(m_Manage->ChangeSequence(first, 0, 0, 0));
            m_Manage->ApplySequenceChanges();
            first->m_RequestOnLeave = next;
        } else {
            boot->m_RequestOnEnter = next;
        }
        ASSERT_TRUE(m_Manage->ChangeSequence(boot, 0, 0, 0));
        m_Log.Clear();
        m_Manage->ApplySequenceChanges();
        EXPECT_EQ(Slot(0).m_Current, boot);
        EXPECT_TRUE(Slot(0).m_ChangePending);
        m_Manage->UpdateAll(0, 0);
        EXPECT_FALSE(Slot(0).m_Ready);
        m_Manage->ApplySequenceChanges();
        EXPECT_EQ(Slot(0).m_Current, next);
        m_Manage->UpdateAll(0, 0);
        EXPECT_TRUE(Slot(0).m_Ready);
        EXPECT_TRUE(m_Log.m_Errors.empty()) << m_Log.m_Errors[0];
    }
}

TEST_F(SeqControlTest, LeavingClosesTheSystemDialogsItOwns)
{
    SystemSeq* sys = MakeSystem();
    auto* tip = new GxTaskBase(sys, u"tip_help", nullptr, 0);
    auto* shutdown = new GxTaskBase(sys, u"dlg_shutdown", nullptr, 0);
    auto* user = new GxTaskBase(sys, u"dlg_user", nullptr, 0);
    IndexSeq* a = MakeSeq(u"SeqA", "a");
    IndexSeq* b = MakeSeq(u"SeqB", "b");
    ASSERT_TRUE(m_Manage->ChangeSequence(a, 0, 0, 0));
    m_Manage->ApplySequenceChanges();

    struct Case {
        const char* name;
        bool shutdownUp;
        bool userUp;
        GxSeqBase* opener;
        Journal closes;
    };
    const Case cases[] = {
        {"both up, opened here", true, true, a, {"sys.CloseShutdown", "sys.CloseUser"}},
        {"user dialog of another screen", true, true, b, {"sys.CloseShutdown"}},
        {"nothing up", false, false, a, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        shutdown->SetState(c.shutdownUp ? kTaskActive : kTaskSuspended);
        user->SetState(c.userUp ? kTaskActive : kTaskSuspended);
        tip->SetState(kTaskActive);
        sys->m_Opener = c.opener;
        m_Journal.clear();
        a->OnSequenceLeave(0);
        Journal closes;
        for (const std::string& call : m_Journal) {
            if (call.rfind("sys.", 0) == 0)
                closes.push_back(call);
        }
        EXPECT_EQ(closes, c.closes);
        EXPECT_TRUE(tip->IsSuspended());
    }
}

TEST_F(SeqControlTest, UserDialogButtonsAnswerOnlyForThePlayScreensDialog)
{
    SystemSeq* sys = MakeSystem();
    auto* dialog = new GxTaskFolder(sys, u"dlg_user", nullptr, 0);
    auto* otherPanel = new GxTaskFolder(sys, u"dlg_other", nullptr, 0);
    IndexSeq* seq = MakeSeq(u"SeqAvgMain", "main");
    struct Case {
        GxTaskBase* parent;
        const char16_t* tag;
        const char16_t* button;
        int consumed;
        std::int32_t answer;  // -1: untouched
    };
    const Case cases[] = {
        {dialog, u"SeqAvgMain_USERDIALOG", u"btn_dlguser_yes", 1, 1},
        {dialog, u"SeqAvgMain_USERDIALOG", u"btn_dlguser_ok", 1, 1},
        {dialog, u"SeqAvgMain_USERDIALOG", u"btn_dlguser_no", 1, 0},
        {dialog, u"SeqAvgMain_USERDIALOG", u"btn_dlguser_cancel", 1, 0},
        {dialog, u"SeqAvgMain_USERDIALOG", u"btn_other", 0, -1},
        {dialog, u"SeqTitle_USERDIALOG", u"btn_dlguser_ok", 0, -1},
        {otherPanel, u"SeqAvgMain_USERDIALOG", u"btn_dlguser_ok", 0, -1},
    };
    for (const Case& c : cases) {
        auto* button = new GxTaskUIBase(c.parent, nullptr, c.button, 0);
        sys->m_Tag = c.tag;
        m_UserData.m_LastDialogResult = -1;
        m_Journal.clear();
        GxUIEventParam event;
        event.m_Code = 99;  // not looked at
        EXPECT_EQ(seq->OnUIEvent(button, &event), c.consumed) << WideToUtf8(c.button);
        EXPECT_EQ(m_UserData.m_LastDialogResult, c.answer);
        EXPECT_EQ(m_Journal, c.consumed ? Journal{"sys.CloseUser+sound"} : Journal{});
        delete button;
    }
}

TEST_F(SeqControlTest, InputGateTestsInOrderWithItsIgnoreBits)
{
    IndexSeq* seq = MakeSeq(u"SeqA", "a");
    ASSERT_TRUE(m_Manage->ChangeSequence(seq, 0, 0, 0));
    m_Manage->ApplySequenceChanges();
    auto* widget = new GxTaskUIBase(seq, u"w");
    GxSeqWorker* slot = m_Manage->GetWorker(0);

    struct Case {
        const char* name;
        std::function<void()> setup;
        std::uint8_t ignore;
        bool allowed;
    };
    const Case cases[] = {
        {"all clear", [] {}, 0, true},
        {"suspended", [&] { widget->SetState(kTaskSuspended); }, 0, false},
        {"suspended, bit 1 only", [&] { widget->SetState(kTaskSuspended); }, 1, false},
        {"suspended, bits 1 and 2", [&] { widget->SetState(kTaskSuspended); }, 3, true},
        {"hidden", [&] { widget->m_Visible = false; }, 0, false},
        {"hidden, bit 2", [&] { widget->m_Visible = false; }, 2, true},
        {"disabled", [&] { widget->m_Enabled = false; }, 0xFF, false},
        {"locked", [&] { widget->m_Locked = true; }, 0xFF, false},
        {"running actions", [&] { widget->m_ActionsEmpty = false; }, 0, false},
        {"running actions, bit 4", [&] { widget->m_ActionsEmpty = false; }, 4, true},
        {"below the open dialogs", [&] { m_UI.m_DialogCount = 2; widget->m_ModalPriority = 1; }, 0, false},
        {"below the open dialogs, bit 8", [&] { m_UI.m_DialogCount = 2; widget->m_ModalPriority = 1; }, 8, true},
        {"at the open dialogs", [&] { m_UI.m_DialogCount = 2; widget->m_ModalPriority = 2; }, 0, true},
        {"no dialog open", [&] { widget->m_ModalPriority = -5; }, 0, true},
        {"slot not ready", [&] { slot->m_Ready = false; }, 0, false},
        {"slot not ready, bit 16", [&] { slot->m_Ready = false; }, 16, true},
        {"change pending", [&] { slot->m_ChangePending = true; }, 16, false},
        {"change pending, bit 32", [&] { slot->m_ChangePending = true; }, 32, true},
        {"UI hold 0", [&] { m_UI.m_UIHold[0] = 1; }, 0xFF, false},
        {"UI hold 1", [&] { m_UI.m_UIHold[1] = 1; }, 0, true},
    };
    for (const Case& c : cases) {
        widget->SetState(kTaskActive);
        widget->m_Visible = true;
        widget->m_Enabled = true;
        widget->m_Locked = false;
        widget->m_ActionsEmpty = true;
        widget->m_ModalPriority = 0;
        m_UI = GxUIManage();
        slot->m_Ready = true;
        slot->m_ChangePending = false;
        c.setup();
        EXPECT_EQ(seq->IsWidgetInputAllowed(widget, c.ignore), c.allowed) << c.name;
    }
    EXPECT_FALSE(seq->IsUIHoldClear1());
    EXPECT_TRUE(seq->IsUIHoldClear2());

    // The resident system sequence sits in no slot and is never waiting for one.
    SystemSeq* sys = MakeSystem();
    auto* dialogButton = new GxTaskUIBase(sys, u"btn");
    m_UI = GxUIManage();
    EXPECT_TRUE(sys->IsWidgetInputAllowed(dialogButton, 0));
    EXPECT_FALSE(sys->IsWidgetInputAllowed(nullptr, 0xFF));
}

TEST_F(SeqControlTest, CoreRestoresTheSavedSequenceUnlessAModuleChose)
{
    IndexSeq* a = MakeSeq(u"SeqA", "a");
    m_UserData.m_RestoreSequence = u"SeqA";
    EXPECT_EQ(m_Core.ChangeSequenceByName(), 0);
    EXPECT_EQ(Slot(0).m_Pending, a);
    EXPECT_EQ(Slot(0).m_PendingParam[0], 0);
    EXPECT_EQ(Slot(0).m_PendingParam[1], 2);

    m_Log.Clear();
    m_UserData.m_RestoreSequence.clear();
    EXPECT_EQ(m_Core.ChangeSequenceByName(), 0);
    EXPECT_EQ(m_Log.m_Errors, (std::vector<std::string>{"名前のないタスクは遷移先のシーケンスに指定できません\n"}));

    RestoreModule silent(0);
    RestoreModule chooser(7);
    m_Core.m_ModuleList.SetModule(0, &silent);
    m_Core.m_ModuleList.SetModule(2, &chooser);
    m_Log.Clear();
    EXPECT_EQ(m_Core.ChangeSequenceByName(), 7);
    EXPECT_TRUE(m_Log.m_Errors.empty());
}

TEST_F(SeqControlTest, WidgetsAreBuiltThroughTheWidgetServices)
{
    IndexSeq* seq = MakeSeq(u"SeqA", "a");
    GxTaskUIBase* built = seq->CreateWidget(seq, nullptr, u"btn_start", 2);
    ASSERT_NE(built, nullptr);
    EXPECT_EQ(built->GetParent(), seq);
    EXPECT_EQ(m_Manage->FindTask(u"btn_start"), built);

    m_Core.m_WidgetServices = nullptr;
    EXPECT_EQ(seq->CreateWidgetFromModule(seq, nullptr, u"btn_none", 0), nullptr);
    EXPECT_EQ(m_Log.m_Errors.size(), 1u);
    m_Core.m_WidgetServices = &m_Widgets;
}
