#include "core/task_manage.h"

#include "core/bench_marks.h"
#include "core/core.h"
#include "core/scene_generation.h"
#include "core/seq_base.h"
#include "core/shared_asset_manage.h"
#include "core/task_base.h"
#include "foundation/log.h"

namespace {

const char16_t kAlreadyRunning[] = u"既に実行中のシーケンスに遷移することはできません(%s:seqworkindex=%d)\n";

void ClearParams(std::int32_t (&params)[2])
{
    params[0] = 0;
    params[1] = 0;
}

void CopyParams(std::int32_t (&to)[2], const std::int32_t (&from)[2])
{
    to[0] = from[0];
    to[1] = from[1];
}

}  // namespace

GxTaskManage::GxTaskManage(GxCore* core) : m_Core(core) {}

GxTaskManage::~GxTaskManage()
{
    DeleteTree(m_Root);
    m_Root = nullptr;
    m_SystemSequence = nullptr;
    for (GxSeqWorker& worker : m_Workers)
        worker = GxSeqWorker();
    m_TaskIDs.clear();
    m_TaskNames.clear();
}

void GxTaskManage::DeleteTree(GxTaskBase* first)
{
    GxTaskBase* task = first;
    while (task) {
        GxTaskBase* next = task->m_NextSibling;
        DeleteTree(task->m_FirstChild);
        delete task;
        task = next;
    }
}

bool GxTaskManage::SetRoot(GxTaskBase* root)
{
    if (m_Root || !root)
        return false;
    m_Root = root;
    return true;
}

// ---- Registries ------------------------------------------------------------------------------

bool GxTaskManage::RegisterTaskID(GxTaskBase* task, std::uint64_t id)
{
    if (!task)
        return false;
    if (id == 0) {
        LogPrint(u"GxTaskManage::RegisterTaskID/TaskID=0は指定できません(%s)\n", task->m_TaskName.c_str());
        return false;
    }
    if (!m_TaskIDs.emplace(id, task).second) {
        LogPrint(u"GxTaskManage::RegisterTaskID/TaskID重複を検出 (%I64u,%s)\n", static_cast<unsigned long long>(id),
                 task->m_TaskName.c_str());
        return false;
    }
    return true;
}

bool GxTaskManage::UnregisterTaskID(std::uint64_t id, const GxTaskBase* owner)
{
    auto found = m_TaskIDs.find(id);
    if (found == m_TaskIDs.end() || (owner && found->second != owner)) {
        LogPrint(u"GxTaskManage::UnregisterTaskID/TaskID発見できず (%I64u)\n", static_cast<unsigned long long>(id));
        return false;
    }
    m_TaskIDs.erase(found);
    return true;
}

bool GxTaskManage::RegisterTaskName(GxTaskBase* task)
{
    if (!task || task->m_TaskName.empty())
        return false;
    if (!m_TaskNames.emplace(task->m_TaskName, task).second) {
        LogPrint(u"GxTaskManage::RegisterTaskName/TaskName重複を検出 (%s)\n", task->m_TaskName.c_str());
        return false;
    }
    return true;
}

void GxTaskManage::RemoveTaskName(const std::u16string& name, const GxTaskBase* owner)
{
    auto found = m_TaskNames.find(name);
    if (found != m_TaskNames.end() && (!owner || found->second == owner))
        m_TaskNames.erase(found);
}

GxTaskBase* GxTaskManage::FindTaskByName(const std::u16string& name) const
{
    auto found = m_TaskNames.find(name);
    return found == m_TaskNames.end() ? nullptr : found->second;
}

GxTaskBase* GxTaskManage::FindTask(const char16_t* name) const
{
    if (!name)
        return nullptr;
    return FindTaskByName(std::u16string(name));
}

GxTaskBase* GxTaskManage::FindTaskByID(std::uint64_t id) const
{
    auto found = m_TaskIDs.find(id);
    return found == m_TaskIDs.end() ? nullptr : found->second;
}

// ---- Walks -----------------------------------------------------------------------------------

bool GxTaskManage::IsReferenced(const GxTaskBase* task) const
{
    if (task == m_Root || task == m_SystemSequence)
        return true;
    for (const GxSeqWorker& worker : m_Workers) {
        if (task == worker.m_Current || task == worker.m_Pending || task == worker.m_Previous)
            return true;
    }
    return false;
}

void GxTaskManage::SweepRemovedTasks(GxTaskBase* first)
{
    GxTaskBase* task = first;
    while (task) {
        GxTaskBase* next = task->m_NextSibling;
        task->m_TaskFlags &= ~(kTaskEndUpdateLevel | kTaskStepFlag27);
        SweepRemovedTasks(task->m_FirstChild);
        // A sequence still held by a worker slot (or the root) stays until the manager lets go of it.
        if (task->GetState() == kTaskRemoved && task->m_ChildCount == 0 && !IsReferenced(task)) {
            if (task->GetHoldCount() > 0)
                task->ReleaseHold();
            else
                delete task;
        }
        task = next;
    }
}

void GxTaskManage::WalkLifecycle(GxTaskBase* first, std::int32_t worker, bool enter)
{
    for (GxTaskBase* task = first; task; task = task->m_NextSibling) {
        if (task->m_GlobalState != kTaskRemoved) {
            if (enter)
                task->OnSequenceEnter(worker);
            else
                task->OnSequenceLeave(worker);
            if (task->m_GlobalState != kTaskRemoved)
                WalkLifecycle(task->m_FirstChild, worker, enter);
        }
        if (task->m_TaskFlags & kTaskEndOfChain)
            break;
    }
}

void GxTaskManage::WalkSequenceEnter(GxTaskBase* first, std::int32_t worker)
{
    WalkLifecycle(first, worker, true);
}

void GxTaskManage::WalkSequenceLeave(GxTaskBase* first, std::int32_t worker)
{
    WalkLifecycle(first, worker, false);
}

template <typename Call>
void GxTaskManage::WalkUpdateWith(GxTaskBase* first, std::uint32_t skipBit, std::uint32_t noChildrenBit,
                                  const Call& call)
{
    for (GxTaskBase* task = first; task; task = task->m_NextSibling) {
        if (task->m_GlobalState == kTaskActive && !(task->m_TaskFlags & skipBit)) {
            call(task);
            if (task->m_GlobalState == kTaskActive && !(task->m_TaskFlags & (skipBit | noChildrenBit)))
                WalkUpdateWith(task->m_FirstChild, skipBit, noChildrenBit, call);
            if (task->m_TaskFlags & kTaskEndUpdateLevel)
                break;
        }
        if (task->m_TaskFlags & kTaskEndOfChain)
            break;
    }
}

void GxTaskManage::WalkUpdate(GxTaskBase* first, std::int32_t step, std::uint64_t elapsed)
{
    WalkUpdateWith(first, kTaskSkipUpdate, kTaskNoUpdateChildren,
                   [&](GxTaskBase* task) { task->Update(step, elapsed); });
}

void GxTaskManage::WalkUpdateNotReady(GxTaskBase* first, std::int32_t step, std::uint64_t elapsed)
{
    WalkUpdateWith(first, kTaskSkipNotReady, kTaskNoNotReadyChildren,
                   [&](GxTaskBase* task) { task->StartMain(step, elapsed); });
}

void GxTaskManage::WalkRender(GxTaskBase* first, std::int32_t step, std::uint64_t elapsed)
{
    for (GxTaskBase* task = first; task; task = task->m_NextSibling) {
        if (task->m_GlobalState == kTaskActive && !(task->m_TaskFlags & kTaskSkipRender)) {
            task->Render(step, elapsed);
            if (task->m_GlobalState == kTaskActive && !(task->m_TaskFlags & (kTaskSkipRender | kTaskNoRenderChildren)))
                WalkRender(task->m_FirstChild, step, elapsed);
        }
        if (task->m_TaskFlags & kTaskEndOfChain)
            break;
    }
}

template <typename Call>
int GxTaskManage::WalkListener(GxTaskBase* first, std::uint32_t skipBit, std::uint32_t noChildrenBit,
                               const Call& call)
{
    for (GxTaskBase* task = first; task; task = task->m_NextSibling) {
        if (task->m_GlobalState == kTaskActive && !(task->m_InputFlags & skipBit)) {
            if (!(task->m_InputFlags & noChildrenBit)) {
                if (int result = WalkListener(task->m_FirstChild, skipBit, noChildrenBit, call))
                    return result;
            }
            if (int result = call(task))
                return result;
        }
        if (task->m_TaskFlags & kTaskEndOfChain)
            break;
    }
    return 0;
}

template <typename Call>
int GxTaskManage::DispatchListener(std::uint32_t skipBit, std::uint32_t noChildrenBit, const Call& call)
{
    if (m_SystemSequence) {
        if (int result = WalkListener(m_SystemSequence, skipBit, noChildrenBit, call))
            return result;
    }
    for (std::int32_t k = kSeqWorkerCount - 1; k >= 0; --k) {
        const GxSeqWorker& worker = m_Workers[k];
        if (worker.m_Switched && worker.m_Current) {
            if (int result = WalkListener(worker.m_Current, skipBit, noChildrenBit, call))
                return result;
        }
    }
    return 0;
}

int GxTaskManage::WalkKeyAction(GxTaskBase* first, const GxInputDeviceState* actionState, std::int32_t step,
                                std::uint64_t elapsed)
{
    return WalkListener(first, kInputSkipKeyAction, 0,
                        [&](GxTaskBase* task) { return task->OnKeyAction(actionState, step, elapsed); });
}

int GxTaskManage::WalkKeyActionEx(GxTaskBase* first, const GxVector3* axis, std::int32_t device, std::int32_t key,
                                  std::int32_t step, std::uint64_t elapsed)
{
    return WalkListener(first, kInputSkipKeyAction, 0, [&](GxTaskBase* task) {
        return task->OnKeyActionEx(axis, device, key, step, elapsed);
    });
}

// ---- Listener entries ------------------------------------------------------------------------

int GxTaskManage::OnWindowActivate()
{
    return DispatchListener(kInputSkipWindow, kInputNoWindowChildren,
                            [](GxTaskBase* task) { return task->OnWindowActivate(); });
}

int GxTaskManage::OnWindowDeactivate()
{
    return DispatchListener(kInputSkipWindow, kInputNoWindowChildren,
                            [](GxTaskBase* task) { return task->OnWindowDeactivate(); });
}

int GxTaskManage::OnWindowClose()
{
    return DispatchListener(kInputSkipWindow, kInputNoWindowChildren,
                            [](GxTaskBase* task) { return task->OnWindowClose(); });
}

int GxTaskManage::OnWindowEvent(std::int32_t a, std::int32_t b)
{
    return DispatchListener(kInputSkipWindow, kInputNoWindowChildren,
                            [&](GxTaskBase* task) { return task->OnWindowEvent(a, b); });
}

int GxTaskManage::OnMouseMove(const GxVector2* point, std::uint32_t keys)
{
    return DispatchListener(kInputSkipMouse, kInputNoMouseChildren,
                            [&](GxTaskBase* task) { return task->OnMouseMove(point, keys); });
}

int GxTaskManage::OnMouseWheel(const GxVector2* point, std::int32_t delta, std::uint32_t keys)
{
    return DispatchListener(kInputSkipMouse, kInputNoMouseChildren,
                            [&](GxTaskBase* task) { return task->OnMouseWheel(point, delta, keys); });
}

int GxTaskManage::OnMouseLeftDown(const GxVector2* point, std::uint32_t keys)
{
    return DispatchListener(kInputSkipMouse, kInputNoMouseChildren,
                            [&](GxTaskBase* task) { return task->OnMouseLeftDown(point, keys, 0); });
}

int GxTaskManage::OnMouseLeftDoubleClick(const GxVector2* point, std::uint32_t keys)
{
    return DispatchListener(kInputSkipMouse, kInputNoMouseChildren,
                            [&](GxTaskBase* task) { return task->OnMouseLeftDown(point, keys, 1); });
}

int GxTaskManage::OnMouseLeftUp(const GxVector2* point, std::uint32_t keys)
{
    return DispatchListener(kInputSkipMouse, kInputNoMouseChildren,
                            [&](GxTaskBase* task) { return task->OnMouseLeftUp(point, keys); });
}

int GxTaskManage::OnMouseRightDown(const GxVector2* point, std::uint32_t keys)
{
    return DispatchListener(kInputSkipMouse, kInputNoMouseChildren,
                            [&](GxTaskBase* task) { return task->OnMouseRightDown(point, keys, 0); });
}

int GxTaskManage::OnMouseRightDoubleClick(const GxVector2* point, std::uint32_t keys)
{
    return DispatchListener(kInputSkipMouse, kInputNoMouseChildren,
                            [&](GxTaskBase* task) { return task->OnMouseRightDown(point, keys, 1); });
}

int GxTaskManage::OnMouseRightUp(const GxVector2* point, std::uint32_t keys)
{
    return DispatchListener(kInputSkipMouse, kInputNoMouseChildren,
                            [&](GxTaskBase* task) { return task->OnMouseRightUp(point, keys); });
}

int GxTaskManage::OnMouseMiddleDown(const GxVector2* point, std::uint32_t keys)
{
    return DispatchListener(kInputSkipMouse, kInputNoMouseChildren,
                            [&](GxTaskBase* task) { return task->OnMouseMiddleDown(point, keys, 0); });
}

int GxTaskManage::OnMouseMiddleDoubleClick(const GxVector2* point, std::uint32_t keys)
{
    return DispatchListener(kInputSkipMouse, kInputNoMouseChildren,
                            [&](GxTaskBase* task) { return task->OnMouseMiddleDown(point, keys, 1); });
}

int GxTaskManage::OnMouseMiddleUp(const GxVector2* point, std::uint32_t keys)
{
    return DispatchListener(kInputSkipMouse, kInputNoMouseChildren,
                            [&](GxTaskBase* task) { return task->OnMouseMiddleUp(point, keys); });
}

int GxTaskManage::OnKeyDown(WPARAM wParam, LPARAM lParam)
{
    return DispatchListener(kInputSkipKeyInput, kInputNoKeyInputChildren,
                            [&](GxTaskBase* task) { return task->OnKeyDown(wParam, lParam); });
}

int GxTaskManage::OnKeyUp(WPARAM wParam, LPARAM lParam)
{
    return DispatchListener(kInputSkipKeyInput, kInputNoKeyInputChildren,
                            [&](GxTaskBase* task) { return task->OnKeyUp(wParam, lParam); });
}

int GxTaskManage::OnKeyInput3(std::int32_t a, std::int32_t b)
{
    return DispatchListener(kInputSkipKeyInput, kInputNoKeyInputChildren,
                            [&](GxTaskBase* task) { return task->OnKeyInput3(a, b); });
}

int GxTaskManage::OnKeyInput4(std::int32_t a, std::int32_t b, std::int32_t c)
{
    return DispatchListener(kInputSkipKeyInput, kInputNoKeyInputChildren,
                            [&](GxTaskBase* task) { return task->OnKeyInput4(a, b, c); });
}

int GxTaskManage::OnNetEvent1(std::int32_t a)
{
    return DispatchListener(kInputSkipNet, kInputNoNetChildren, [&](GxTaskBase* task) { return task->OnNetEvent1(a); });
}

int GxTaskManage::OnNetEvent2(std::int32_t a)
{
    return DispatchListener(kInputSkipNet, kInputNoNetChildren, [&](GxTaskBase* task) { return task->OnNetEvent2(a); });
}

int GxTaskManage::OnNetEvent3(std::int32_t a, std::int32_t b)
{
    return DispatchListener(kInputSkipNet, kInputNoNetChildren,
                            [&](GxTaskBase* task) { return task->OnNetEvent3(a, b); });
}

int GxTaskManage::OnNetEvent4(std::int32_t a, std::int32_t b)
{
    return DispatchListener(kInputSkipNet, kInputNoNetChildren,
                            [&](GxTaskBase* task) { return task->OnNetEvent4(a, b); });
}

int GxTaskManage::OnNetEvent5(std::int32_t a, std::int32_t b)
{
    return DispatchListener(kInputSkipNet, kInputNoNetChildren,
                            [&](GxTaskBase* task) { return task->OnNetEvent5(a, b); });
}

int GxTaskManage::DispatchKeyAction(const GxInputDeviceState* actionState, std::int32_t step, std::uint64_t elapsed)
{
    return DispatchListener(kInputSkipKeyAction, 0,
                            [&](GxTaskBase* task) { return task->OnKeyAction(actionState, step, elapsed); });
}

int GxTaskManage::DispatchKeyActionEx(const GxVector3* axis, std::int32_t device, std::int32_t key, std::int32_t step,
                                      std::uint64_t elapsed)
{
    return DispatchListener(kInputSkipKeyAction, 0, [&](GxTaskBase* task) {
        return task->OnKeyActionEx(axis, device, key, step, elapsed);
    });
}

// ---- Per-step entries ------------------------------------------------------------------------

void GxTaskManage::UpdateAll(std::int32_t step, std::uint64_t elapsed)
{
    for (std::int32_t k = kSeqWorkerCount - 1; k >= 0; --k) {
        const GxSeqWorker& worker = m_Workers[k];
        if (!worker.m_Current)
            continue;
        if (worker.m_Ready)
            WalkUpdate(worker.m_Current, step, elapsed);
        else
            WalkUpdateNotReady(worker.m_Current, step, elapsed);
    }
    if (m_SystemSequence)
        WalkUpdate(m_SystemSequence, step, elapsed);
}

void GxTaskManage::RenderAll(std::int32_t step, std::uint64_t elapsed)
{
    for (std::int32_t k = kSeqWorkerCount - 1; k >= 0; --k) {
        if (m_Workers[k].m_Current)
            WalkRender(m_Workers[k].m_Current, step, elapsed);
    }
    if (m_SystemSequence)
        WalkRender(m_SystemSequence, step, elapsed);
}

// ---- Sequence control ------------------------------------------------------------------------

GxSeqWorker* GxTaskManage::GetWorker(std::int32_t worker)
{
    return worker >= 0 && worker < kSeqWorkerCount ? &m_Workers[worker] : nullptr;
}

const GxSeqWorker* GxTaskManage::GetWorker(std::int32_t worker) const
{
    return worker >= 0 && worker < kSeqWorkerCount ? &m_Workers[worker] : nullptr;
}

bool GxTaskManage::IsWorkerReady(std::int32_t worker) const
{
    const GxSeqWorker* slot = GetWorker(worker);
    return slot && slot->m_Ready;
}

bool GxTaskManage::IsWorkerSwitched(std::int32_t worker) const
{
    const GxSeqWorker* slot = GetWorker(worker);
    return slot && slot->m_Switched;
}

bool GxTaskManage::IsChangePending(std::int32_t worker) const
{
    const GxSeqWorker* slot = GetWorker(worker);
    return slot && slot->m_ChangePending;
}

bool GxTaskManage::IsAnyChangePending() const
{
    return m_Workers[0].m_ChangePending || m_Workers[1].m_ChangePending;
}

void GxTaskManage::SetWorkerReady(std::int32_t worker)
{
    GxSeqWorker* slot = GetWorker(worker);
    if (slot == nullptr)
        return;
    if (!slot->m_Ready) {
        // A slot that is not ready draws its sequence's tasks another way.
        GxSceneGeneration::Touch();
        GxBenchMarks::Mark("ready", slot->m_CurrentName);
    }
    slot->m_Ready = true;
}

bool GxTaskManage::ChangeSequence(GxTaskBase* task, std::int32_t worker, std::int32_t param1, std::int32_t param2)
{
    if (!task)
        return false;
    const std::u16string& name = task->m_TaskName;
    if (worker != 0 && worker != 1) {
        LogPrint(u"指定されたワーカーインデックスでは実行できませんありません(%s:seqworkindex=%d)\n", name.c_str(), worker);
        return false;
    }
    if (!(task->m_KindFlags & kKindSequence)) {
        LogPrint(u"指定されたタスクはシーケンスタスクではありません(%s)\n", name.c_str());
        return false;
    }
    GxSeqBase* sequence = static_cast<GxSeqBase*>(task);
    const std::int32_t running = sequence->GetWorkerIndex();
    if (running != -1) {
        LogPrint(kAlreadyRunning, name.c_str(), running);
        return false;
    }
    // A sequence waiting to enter the other slot counts as running there: one sequence in both
    // slots would be switched in twice and walked twice.
    const std::int32_t other = 1 - worker;
    if (m_Workers[other].m_ChangePending && m_Workers[other].m_Pending == sequence) {
        LogPrint(kAlreadyRunning, name.c_str(), other);
        return false;
    }
    GxSeqWorker& slot = m_Workers[worker];
    if (name == slot.m_CurrentName) {
        LogPrint(u"Can not change the same sequence(%s)\n", name.c_str());
        return false;
    }
    slot.m_Pending = sequence;
    slot.m_PendingName = name;
    slot.m_PendingParam[0] = param1;
    slot.m_PendingParam[1] = param2;
    slot.m_Switched = false;
    slot.m_Ready = false;
    slot.m_ChangePending = true;
    ++m_RequestCount[worker];
    return true;
}

bool GxTaskManage::ChangeSequenceByName(const std::u16string& name, std::int32_t worker, std::int32_t param2)
{
    if (name.empty()) {
        LogPrint(u"名前のないタスクは遷移先のシーケンスに指定できません\n");
        return false;
    }
    GxTaskBase* task = FindTaskByName(name);
    if (!task) {
        LogPrint(u"遷移先のシーケンスが見つかりません(%s)\n", name.c_str());
        return false;
    }
    return ChangeSequence(task, worker, 0, param2);
}

bool GxTaskManage::ChangeSequenceByCName(const char16_t* name, std::int32_t worker, std::int32_t param1,
                                         std::int32_t param2)
{
    GxTaskBase* task = FindTask(name);
    if (!task) {
        LogPrint(u"遷移先のシーケンスが見つかりません(%s)\n", name ? name : u"");
        return false;
    }
    return ChangeSequence(task, worker, param1, param2);
}

void GxTaskManage::ApplySequenceChanges()
{
    ApplySequenceChange(1);
    ApplySequenceChange(0);
}

void GxTaskManage::ApplySequenceChange(std::int32_t k)
{
    GxSeqWorker& slot = m_Workers[k];
    if (!slot.m_ChangePending)
        return;

    GxSeqBase* incoming = slot.m_Pending;
    const std::u16string incomingName = slot.m_PendingName;
    std::int32_t incomingParam[2];
    CopyParams(incomingParam, slot.m_PendingParam);

    // The sequence may have entered the other slot since it was requested.
    if (incoming && incoming->GetWorkerIndex() != -1) {
        LogPrint(kAlreadyRunning, incomingName.c_str(), incoming->GetWorkerIndex());
        slot.m_Pending = nullptr;
        slot.m_PendingName.clear();
        ClearParams(slot.m_PendingParam);
        slot.m_ChangePending = false;
        // The old sequence stays and takes input again; it becomes ready through its start step.
        slot.m_Switched = slot.m_Current != nullptr;
        return;
    }

    slot.m_Previous = slot.m_Current;
    slot.m_PreviousName = slot.m_CurrentName;
    CopyParams(slot.m_PreviousParam, slot.m_CurrentParam);

    // The pending fields stay set through the leave walk: a leaving screen looks at what enters.
    const std::uint32_t requestsBefore = m_RequestCount[k];
    if (slot.m_Current) {
        WalkSequenceLeave(slot.m_Current, k);
        slot.m_Current->SetWorkerIndex(-1);
    }
    const bool requestedMeanwhile = m_RequestCount[k] != requestsBefore;

    if (k == 0 && m_Core && m_Core->m_SharedAssets)
        m_Core->m_SharedAssets->OnSequenceChange(incomingName);

    slot.m_Current = incoming;
    slot.m_CurrentName = incomingName;
    CopyParams(slot.m_CurrentParam, incomingParam);
    if (requestedMeanwhile) {
        // A leave hook asked for another change: it stays pending for the next pass, and like
        // any request it keeps input away from the slot until then.
        slot.m_Switched = false;
    } else {
        slot.m_Pending = nullptr;
        slot.m_PendingName.clear();
        ClearParams(slot.m_PendingParam);
        slot.m_ChangePending = false;
        slot.m_Switched = true;
    }

    if (incoming) {
        incoming->SetWorkerIndex(k);
        WalkSequenceEnter(incoming, k);
        if (k == 0 && incomingName != u"SeqBoot")
            m_ScreenEntered = true;
    }
    GxSceneGeneration::Touch();
    GxBenchMarks::Mark("enter", incomingName);
}

void GxTaskManage::ReleaseSequences()
{
    for (std::int32_t k = kSeqWorkerCount - 1; k >= 0; --k) {
        GxSeqWorker& slot = m_Workers[k];
        if (slot.m_Current) {
            if (slot.m_Switched)
                WalkSequenceLeave(slot.m_Current, -1);
            // Even a slot waiting for a change lets go of its sequence.
            slot.m_Current->SetWorkerIndex(-1);
        }
        slot.m_Current = nullptr;
        slot.m_CurrentName.clear();
        ClearParams(slot.m_CurrentParam);
        slot.m_ChangePending = false;
        slot.m_Switched = false;
        slot.m_Ready = false;
    }
}
