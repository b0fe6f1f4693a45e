// GxTaskBase: a node of the task tree that every screen, layer and widget lives in.
// A task has a 64-bit TaskID, a global name, a local name with an index, a state, a hold count
// that delays its deletion and two words of walk flags. The manager's walks call its virtual
// operations once per logic step and on input events; the sweep at the start of a step deletes
// removed tasks, children before parents.
#pragma once

#include "core/task_listener.h"
#include "foundation/value_types.h"

#include <cstdint>
#include <string>

class GxTaskManage;
class GxSeqBase;
class GxTaskFolder;
class GxContentWriterBase;
class GxContentReaderBase;

// m_TaskFlags bits.
constexpr std::uint32_t kTaskSkipUpdate = 0x2;           // update walk skips the subtree
constexpr std::uint32_t kTaskSkipNotReady = 0x4;         // not-ready update walk skips the subtree
constexpr std::uint32_t kTaskSkipRender = 0x8;           // render walk skips the subtree
constexpr std::uint32_t kTaskNoDraw = 0x10;              // queued but not drawn
constexpr std::uint32_t kTaskNoUpdateChildren = 0x200;
constexpr std::uint32_t kTaskNoNotReadyChildren = 0x400;
constexpr std::uint32_t kTaskNoRenderChildren = 0x800;
constexpr std::uint32_t kTaskEndOfChain = 0x100000;      // no later sibling is visited (every walk but the sweep)
constexpr std::uint32_t kTaskEndUpdateLevel = 0x2000000; // ends the update walks at this level; per step
constexpr std::uint32_t kTaskStepFlag27 = 0x8000000;     // cleared every step

// m_InputFlags bits: skip the task and its subtree / do not visit its children.
constexpr std::uint32_t kInputSkipWindow = 0x4;
constexpr std::uint32_t kInputSkipMouse = 0x8;
constexpr std::uint32_t kInputSkipKeyInput = 0x10;
constexpr std::uint32_t kInputSkipKeyAction = 0x20;
constexpr std::uint32_t kInputSkipNet = 0x40;
constexpr std::uint32_t kInputNoWindowChildren = 0x400;
constexpr std::uint32_t kInputNoMouseChildren = 0x800;
constexpr std::uint32_t kInputNoKeyInputChildren = 0x1000;
constexpr std::uint32_t kInputNoNetChildren = 0x4000;

// m_KindFlags: one bit per class in the chain.
constexpr std::uint32_t kKindFolder = 0x2;
constexpr std::uint32_t kKindSequence = 0x4;
constexpr std::uint32_t kKindWidget = 0x8;
constexpr std::uint32_t kKindActor = 0x10;
constexpr std::uint32_t kKindLayer = 0x20;
constexpr std::uint32_t kKindTransitSequence = 0x40;
constexpr std::uint32_t kKindPushButton = 0x80;

// m_GlobalState values.
constexpr std::int32_t kTaskActive = 1;
constexpr std::int32_t kTaskSuspended = 2;
constexpr std::int32_t kTaskRemoved = 3;

class GxTaskBase : public GxTaskListenerBase,
                   public GxTaskWindowListenerBase,
                   public GxTaskMouseListenerBase,
                   public GxTaskKeyInputListenerBase,
                   public GxTaskKeyActionListenerBase,
                   public GxTaskNetListenerBase {
public:
    // Appends itself to parent's children and takes parent's manager. A null name or local name
    // registers nothing.
    GxTaskBase(GxTaskBase* parent, const char16_t* name, const char16_t* localName, std::int32_t localIndex);
    // The root form: becomes manage's tree root when it has none yet.
    explicit GxTaskBase(GxTaskManage* manage);
    GxTaskBase(const GxTaskBase&) = delete;
    GxTaskBase& operator=(const GxTaskBase&) = delete;

    virtual void OnResume() {}
    virtual void OnSuspend() {}
    virtual void OnRemove() {}
    virtual void OnSequenceEnter(std::int32_t /*worker*/) {}
    virtual void OnSequenceLeave(std::int32_t /*worker*/) {}
    virtual void ReservedHook1() {}
    virtual void ReservedHook2() {}
    // Recomputes the cached owning sequence; the argument is not used.
    virtual void RefreshSequence(std::int32_t);
    virtual void ReservedHook3() {}
    virtual void ReservedHook4() {}
    virtual void ReservedHook5() {}
    virtual int Update(std::int32_t step, std::uint64_t elapsed);
    // Used instead of Update while the owning sequence's slot is not ready.
    virtual int StartMain(std::int32_t step, std::uint64_t elapsed);
    // Queues the task into render lists.
    virtual int Render(std::int32_t step, std::uint64_t elapsed);
    // value: the number given when queuing; listIndex: the render list being drawn (0 to 9).
    // Draw runs only when the picture may have changed: a task whose drawing depends on state of
    // its own moves the scene generation when that state changes (core/scene_generation.h).
    virtual int Draw(std::int32_t value, std::int32_t listIndex);
    // Used instead of Draw while the task's sequence sits in a slot that is not ready.
    virtual int DrawNotReady(std::int32_t value, std::int32_t listIndex);
    virtual int ReservedQuery(std::int32_t) { return 0; }
    virtual ~GxTaskBase();

    // Refused (with a log line) once an id is set.
    virtual void SetTaskID(std::uint64_t id);
    virtual std::uint64_t GetTaskID() const { return m_TaskID; }
    virtual const std::u16string& GetTaskName() const { return m_TaskName; }
    // Replaces the global name; false when the task has no manager, the name is empty or taken.
    virtual bool RegisterTaskName(const char16_t* name);
    virtual const std::u16string& GetTaskLocalName() const { return m_TaskLocalName; }
    virtual std::int32_t GetTaskLocalIndex() const { return m_TaskLocalIndex; }
    // Registers with the nearest enclosing folder; false outside any folder, for an empty name
    // or a taken name and index.
    virtual bool SetTaskLocalName(const char16_t* localName, std::int32_t index);
    // "name/local[index]:type"
    virtual std::u16string GetTaskPath() const;
    virtual std::int32_t GetState() const { return m_GlobalState; }
    virtual void SetState(std::int32_t state) { m_GlobalState = state; }
    virtual bool IsActive() const { return m_GlobalState == kTaskActive; }
    virtual bool IsSuspended() const { return m_GlobalState == kTaskSuspended; }
    virtual bool IsRemoved() const { return m_GlobalState == kTaskRemoved; }
    virtual void Resume();
    virtual void Suspend();
    // Removes every descendant first, then the task.
    virtual void Remove();
    virtual void ResumeChildren();
    virtual void SuspendChildren();
    virtual void RemoveChildren();
    virtual std::int32_t GetTaskType() const { return m_TaskType; }
    virtual void SetTaskType(std::int32_t type) { m_TaskType = type; }
    virtual std::int32_t GetHoldCount() const { return m_HoldCount; }
    virtual void SetHoldCount(std::int32_t count) { m_HoldCount = count; }
    virtual void ReleaseHold();
    virtual GxSeqBase* GetSequence() const { return m_Sequence; }
    virtual GxVector3 GetPos() const { return GxVector3(0.0f, 0.0f, 0.0f); }
    virtual GxVector3 GetWorldPos() const { return GxVector3(0.0f, 0.0f, 0.0f); }
    virtual GxVector3 GetScale() const { return GxVector3(1.0f, 1.0f, 1.0f); }
    virtual GxVector3 GetRot() const { return GxVector3(0.0f, 0.0f, 0.0f); }
    virtual GxVector3 GetCenterPos() const { return GxVector3(0.0f, 0.0f, 0.0f); }
    // "m_GlobalState" (U32), "m_TaskID" (S64); derived classes append their own fields.
    virtual bool WriteState(GxContentWriterBase& writer);
    virtual bool ReadState(GxContentReaderBase& reader);

    GxTaskManage* GetManage() const { return m_Manage; }
    GxTaskBase* GetParent() const { return m_Parent; }
    // The nearest ancestor that is a folder, or null.
    GxTaskFolder* FindEnclosingFolder() const;

    // Fields are read and set directly by the walks, the render lists and derived classes.
    std::uint32_t m_TaskFlags = 0;
    std::uint32_t m_InputFlags = 0;
    std::int32_t m_GlobalState = kTaskActive;
    std::int32_t m_TaskType = 0;
    std::uint32_t m_KindFlags = 0;
    std::int32_t m_ChildCount = 0;
    GxTaskManage* m_Manage = nullptr;
    GxTaskBase* m_Parent = nullptr;
    GxTaskBase* m_FirstChild = nullptr;
    GxTaskBase* m_LastChild = nullptr;
    GxTaskBase* m_PrevSibling = nullptr;
    GxTaskBase* m_NextSibling = nullptr;
    std::u16string m_TaskName;
    std::u16string m_TaskLocalName;
    std::int32_t m_TaskLocalIndex = 0;
    std::uint64_t m_TaskID = 0;
    std::int32_t m_UpdateCount = 0;
    std::int32_t m_HoldCount = 1;
    GxSeqBase* m_Sequence = nullptr;

protected:
    // The nearest ancestor (from the parent up) that is a sequence, or null.
    GxSeqBase* FindOwningSequence() const;

private:
    void Unlink();
};
