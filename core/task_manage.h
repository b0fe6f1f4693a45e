// GxTaskManage: owns the task tree and everything that visits it: the TaskID and TaskName
// registries, the tree root, the resident system sequence, the two sequence worker slots with
// their change requests, the per-step walks and the listener entries the window procedure calls.
//
// Walk order: update and render visit slot 1, slot 0, then the system sequence, parents before
// children. Input visits the system sequence, then slot 1, then slot 0 (a slot only while it is
// switched), children before parents, stopping at the first task that consumes the event.
#pragma once

#include "core/task_listener.h"

#include <cstdint>
#include <map>
#include <string>

class GxCore;
class GxTaskBase;
class GxSeqBase;

// One sequence worker slot.
struct GxSeqWorker {
    GxSeqBase* m_Current = nullptr;
    std::u16string m_CurrentName;
    std::int32_t m_CurrentParam[2] = {0, 0};
    bool m_ChangePending = false;
    // Input reaches the slot only while set; cleared by a request and by the release.
    bool m_Switched = false;
    // Set by the sequence's StartMain; while clear the slot is updated through StartMain and
    // drawn through DrawNotReady.
    bool m_Ready = false;
    GxSeqBase* m_Pending = nullptr;
    std::u16string m_PendingName;
    std::int32_t m_PendingParam[2] = {0, 0};
    // What the last switch took out, for screens that return where they came from.
    GxSeqBase* m_Previous = nullptr;
    std::u16string m_PreviousName;
    std::int32_t m_PreviousParam[2] = {0, 0};
};

constexpr std::int32_t kSeqWorkerCount = 2;

class GxTaskManage : public GxTaskWindowListenerBase,
                     public GxTaskMouseListenerBase,
                     public GxTaskKeyInputListenerBase,
                     public GxTaskNetListenerBase {
public:
    explicit GxTaskManage(GxCore* core);
    GxTaskManage(const GxTaskManage&) = delete;
    GxTaskManage& operator=(const GxTaskManage&) = delete;

    // Listener entries: system sequence, slot 1, slot 0; the first non-zero result.
    int OnWindowActivate() override;
    int OnWindowDeactivate() override;
    int OnWindowClose() override;
    int OnWindowEvent(std::int32_t a, std::int32_t b) override;
    // Deletes the whole tree under the root.
    virtual ~GxTaskManage();

    int OnMouseMove(const GxVector2* point, std::uint32_t keys) override;
    int OnMouseWheel(const GxVector2* point, std::int32_t delta, std::uint32_t keys) override;
    int OnMouseLeftUp(const GxVector2* point, std::uint32_t keys) override;
    int OnMouseRightUp(const GxVector2* point, std::uint32_t keys) override;
    int OnMouseMiddleUp(const GxVector2* point, std::uint32_t keys) override;
    // The interface's three press operations keep their default (0): presses and double clicks
    // come in through the plain entries below.
    using GxTaskMouseListenerBase::OnMouseLeftDown;
    using GxTaskMouseListenerBase::OnMouseRightDown;
    using GxTaskMouseListenerBase::OnMouseMiddleDown;
    int OnMouseLeftDown(const GxVector2* point, std::uint32_t keys);
    int OnMouseLeftDoubleClick(const GxVector2* point, std::uint32_t keys);
    int OnMouseRightDown(const GxVector2* point, std::uint32_t keys);
    int OnMouseRightDoubleClick(const GxVector2* point, std::uint32_t keys);
    int OnMouseMiddleDown(const GxVector2* point, std::uint32_t keys);
    int OnMouseMiddleDoubleClick(const GxVector2* point, std::uint32_t keys);

    int OnKeyDown(WPARAM wParam, LPARAM lParam) override;
    int OnKeyUp(WPARAM wParam, LPARAM lParam) override;
    int OnKeyInput3(std::int32_t a, std::int32_t b) override;
    int OnKeyInput4(std::int32_t a, std::int32_t b, std::int32_t c) override;

    int OnNetEvent1(std::int32_t a) override;
    int OnNetEvent2(std::int32_t a) override;
    int OnNetEvent3(std::int32_t a, std::int32_t b) override;
    int OnNetEvent4(std::int32_t a, std::int32_t b) override;
    int OnNetEvent5(std::int32_t a, std::int32_t b) override;

    int DispatchKeyAction(const GxInputDeviceState* actionState, std::int32_t step, std::uint64_t elapsed);
    int DispatchKeyActionEx(const GxVector3* axis, std::int32_t device, std::int32_t key, std::int32_t step,
                            std::uint64_t elapsed);

    // Registries. Names compare by UTF-16 code units (case matters).
    bool RegisterTaskID(GxTaskBase* task, std::uint64_t id);
    // With an owner, an entry that belongs to another task is left alone (false).
    bool UnregisterTaskID(std::uint64_t id, const GxTaskBase* owner = nullptr);
    bool RegisterTaskName(GxTaskBase* task);
    // Erases the name's entry when it belongs to owner (any task when owner is null).
    void RemoveTaskName(const std::u16string& name, const GxTaskBase* owner = nullptr);
    GxTaskBase* FindTaskByName(const std::u16string& name) const;
    GxTaskBase* FindTask(const char16_t* name) const;
    GxTaskBase* FindTaskByID(std::uint64_t id) const;

    GxCore* GetCore() const { return m_Core; }
    GxTaskBase* GetRoot() const { return m_Root; }
    // Adopts root when there is none yet; true when adopted.
    bool SetRoot(GxTaskBase* root);
    GxSeqBase* GetSystemSequence() const { return m_SystemSequence; }
    void SetSystemSequence(GxSeqBase* sequence) { m_SystemSequence = sequence; }

    // Walks over a sibling chain starting at first (null does nothing).
    void SweepRemovedTasks(GxTaskBase* first);
    void WalkSequenceEnter(GxTaskBase* first, std::int32_t worker);
    void WalkSequenceLeave(GxTaskBase* first, std::int32_t worker);
    void WalkUpdate(GxTaskBase* first, std::int32_t step, std::uint64_t elapsed);
    void WalkUpdateNotReady(GxTaskBase* first, std::int32_t step, std::uint64_t elapsed);
    void WalkRender(GxTaskBase* first, std::int32_t step, std::uint64_t elapsed);
    int WalkKeyAction(GxTaskBase* first, const GxInputDeviceState* actionState, std::int32_t step,
                      std::uint64_t elapsed);
    int WalkKeyActionEx(GxTaskBase* first, const GxVector3* axis, std::int32_t device, std::int32_t key,
                        std::int32_t step, std::uint64_t elapsed);

    // Per-step entries of the frame.
    void UpdateAll(std::int32_t step, std::uint64_t elapsed);
    void RenderAll(std::int32_t step, std::uint64_t elapsed);

    // Set by a widget so that no further logic pass runs in this frame.
    void SetStopRequest(bool stop) { m_StopRequest = stop; }
    bool IsStopRequested() const { return m_StopRequest; }

    // Sequence control. A request is recorded and applied at the top of the next main-loop pass.
    bool ChangeSequence(GxTaskBase* task, std::int32_t worker, std::int32_t param1, std::int32_t param2);
    bool ChangeSequenceByName(const std::u16string& name, std::int32_t worker, std::int32_t param2);
    bool ChangeSequenceByCName(const char16_t* name, std::int32_t worker, std::int32_t param1, std::int32_t param2);
    // Slot 1, then slot 0.
    void ApplySequenceChanges();
    // Shut-down: both slots leave and are emptied, slot 1 first.
    void ReleaseSequences();

    // Null for an index other than 0 or 1.
    GxSeqWorker* GetWorker(std::int32_t worker);
    const GxSeqWorker* GetWorker(std::int32_t worker) const;
    bool IsWorkerReady(std::int32_t worker) const;
    bool IsWorkerSwitched(std::int32_t worker) const;
    bool IsChangePending(std::int32_t worker) const;
    // True when a change is pending on either slot.
    bool IsAnyChangePending() const;
    // Sets the slot's ready flag (the sequence's start step).
    void SetWorkerReady(std::int32_t worker);
    // True once a sequence other than the boot sequence has entered slot 0 (the first screen).
    bool HasScreenEntered() const { return m_ScreenEntered; }

private:
    template <typename Call>
    int WalkListener(GxTaskBase* first, std::uint32_t skipBit, std::uint32_t noChildrenBit, const Call& call);
    template <typename Call>
    int DispatchListener(std::uint32_t skipBit, std::uint32_t noChildrenBit, const Call& call);
    template <typename Call>
    void WalkUpdateWith(GxTaskBase* first, std::uint32_t skipBit, std::uint32_t noChildrenBit, const Call& call);
    void WalkLifecycle(GxTaskBase* first, std::int32_t worker, bool enter);
    // True while the manager still points at the task: the root, the system sequence, or a
    // slot's current, pending or previous sequence. The sweep leaves such a task alone.
    bool IsReferenced(const GxTaskBase* task) const;
    void ApplySequenceChange(std::int32_t worker);
    void DeleteTree(GxTaskBase* first);

    std::map<std::uint64_t, GxTaskBase*> m_TaskIDs;
    std::map<std::u16string, GxTaskBase*> m_TaskNames;
    GxCore* m_Core = nullptr;
    GxTaskBase* m_Root = nullptr;
    GxSeqBase* m_SystemSequence = nullptr;
    GxSeqWorker m_Workers[kSeqWorkerCount];
    // Accepted requests per slot, so a switch notices a request made by its own leave hooks.
    std::uint32_t m_RequestCount[kSeqWorkerCount] = {0, 0};
    bool m_StopRequest = false;
    bool m_ScreenEntered = false;
};
