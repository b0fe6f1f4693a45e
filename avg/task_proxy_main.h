// AvgTaskProxyMain: a task of the play screen ("$PROXY:SeqAvgMain") that lets a subtree living
// elsewhere in the task tree be updated, rendered and told of sequence changes as if it were part
// of the play screen. The target is named by a sequence name and a task name, which are saved
// with the task's state and looked up again when it is read back.
#pragma once

#include "core/task_base.h"

#include <cstdint>
#include <string>

class AvgTaskProxyMain : public GxTaskBase {
public:
    explicit AvgTaskProxyMain(GxTaskBase* parent, const char16_t* name = u"$PROXY:SeqAvgMain");
    ~AvgTaskProxyMain() override;

    // Each reaches the children of the receiving task, when one is set; 0.
    int Update(std::int32_t step, std::uint64_t elapsed) override;
    int Render(std::int32_t step, std::uint64_t elapsed) override;
    // Both hand the receiving task's children worker -1, whatever the proxy's own slot.
    void OnSequenceEnter(std::int32_t worker) override;
    void OnSequenceLeave(std::int32_t worker) override;
    void EnterTarget();
    void LeaveTarget();
    // The task part, then "m_ReceiveSequenceName" and "m_ReceiveTaskName".
    bool WriteState(GxContentWriterBase& writer) override;
    // As written, then SetTarget with the two names; true when the reader counted no error (a
    // target that no longer exists is only logged).
    bool ReadState(GxContentReaderBase& reader) override;

    // Both names empty clear the target. Otherwise both are looked up by task name; a missing
    // one, or a receiving task whose subtree holds this proxy (the walks would never end), is
    // logged with both names and clears the target.
    void SetTarget(const std::u16string& sequenceName, const std::u16string& taskName);
    void ClearTarget();

    const std::u16string& GetReceiveSequenceName() const { return m_ReceiveSequenceName; }
    const std::u16string& GetReceiveTaskName() const { return m_ReceiveTaskName; }
    GxTaskBase* GetReceiveSequence() const { return m_ReceiveSequence; }
    GxTaskBase* GetReceiveTask() const { return m_ReceiveTask; }

private:
    // The receiving task while the registry still holds it under its name: a target deleted
    // since it was set is never reached.
    GxTaskBase* LiveTarget() const;
    bool IsInSubtreeOf(const GxTaskBase* task) const;

    std::u16string m_ReceiveSequenceName;
    std::u16string m_ReceiveTaskName;
    // Not owned; set together with both names, or all four empty.
    GxTaskBase* m_ReceiveSequence = nullptr;
    GxTaskBase* m_ReceiveTask = nullptr;
};
