// GxSeqBase: one screen of the game, the folder at the root of the screen's task tree. It runs
// in one of the task manager's two worker slots, tells the manager when it is ready, clears the
// screen behind its widgets, closes the system dialogs when it is left, answers the user dialog
// and offers the input gate that screens ask before acting on a widget event.
#pragma once

#include "core/task_folder.h"

#include <cstdint>
#include <string>

class GxTaskUIBase;
struct DBUILayoutRow;
struct DBUIModuleRow;

// Bits of the input gate's ignore mask.
constexpr std::uint8_t kInputGateIgnoreSuspended = 1;
constexpr std::uint8_t kInputGateIgnoreInactive = 2;
constexpr std::uint8_t kInputGateIgnoreActions = 4;
constexpr std::uint8_t kInputGateIgnoreModal = 8;
constexpr std::uint8_t kInputGateIgnoreNotReady = 16;
constexpr std::uint8_t kInputGateIgnoreChangePending = 32;

// Clear flags of the screen clear: target, depth and stencil.
constexpr std::uint32_t kSeqClearFlags = 7;

class GxSeqBase : public GxTaskFolder {
public:
    // name: the sequence name the manager finds it by (e.g. "SeqTitle").
    GxSeqBase(GxTaskBase* owner, const char16_t* name);
    ~GxSeqBase() override;

    // The folder's leave step, then closes the system dialogs.
    void OnSequenceLeave(std::int32_t worker) override;
    void RefreshSequence(std::int32_t) override;
    // Sets the slot's ready flag once the slot was switched in; while a change is pending on the
    // slot the sequence is waiting to be replaced and stays not ready without a log line.
    int StartMain(std::int32_t step, std::uint64_t elapsed) override;
    // Render list 0, the list's own mode, depth 0, value 0.
    int Render(std::int32_t step, std::uint64_t elapsed) override;
    // Clears the target with the configured clear colour, whatever the value.
    int Draw(std::int32_t value, std::int32_t listIndex) override;
    // The user dialog's buttons.
    int OnUIEvent(GxTaskUIBase* widget, const GxUIEventParam* event) override;

    virtual std::int32_t GetWorkerIndex() const { return m_WorkerIndex; }
    virtual void SetWorkerIndex(std::int32_t index) { m_WorkerIndex = index; }
    // The input gate; ignore switches single tests off (kInputGateIgnore...).
    virtual bool IsWidgetInputAllowed(GxTaskUIBase* widget, std::uint8_t ignore);
    // Not suspended and visible in its whole tree.
    virtual bool IsWidgetActive(GxTaskUIBase* widget);
    virtual bool IsScriptRunnable() { return true; }
    virtual bool IsUIHoldClear1();
    virtual bool IsUIHoldClear2();
    virtual bool IsUIHoldClear3();
    virtual GxTaskUIBase* CreateWidgetFromModule(GxTaskBase* owner, const DBUIModuleRow* row, const char16_t* name,
                                                 std::int32_t index);
    virtual GxTaskUIBase* CreateWidget(GxTaskBase* owner, const DBUILayoutRow* row, const char16_t* name,
                                       std::int32_t index);

    // 0 or 1 while in a worker slot, -1 otherwise.
    std::int32_t m_WorkerIndex = -1;

private:
    bool IsUIHoldClear(int index) const;
};

// A wide string equals a zero-terminated wide text over its whole length.
bool GxWStringEqualsCStr(const std::u16string& text, const char16_t* cstr);
// Code unit by code unit, a shorter prefix first.
bool GxWStringLess(const std::u16string& a, const std::u16string& b);
