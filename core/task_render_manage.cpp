#include "core/task_render_manage.h"

#include "core/seq_base.h"
#include "core/task_manage.h"

namespace {

// Whether a new entry of depth goes before existing entry e in a sorted mode.
bool GoesBefore(std::int32_t mode, float existing, float depth)
{
    switch (mode) {
    case kRenderModeAscending: return existing > depth;
    case kRenderModeDescending: return existing < depth;
    case kRenderModeAscendingFirst: return existing >= depth;
    case kRenderModeDescendingFirst: return existing <= depth;
    default: return false;
    }
}

}  // namespace

bool GxTaskRenderManage::Add(std::int32_t mode, GxTaskBase* task, float depth, std::int32_t value)
{
    if (mode == kRenderModeDefault)
        mode = m_DefaultMode;
    GxTaskRenderEntry entry;
    entry.m_Task = task;
    entry.m_Depth = depth;
    entry.m_Value = value;

    auto place = m_Entries.end();
    if (mode >= kRenderModeAscending && mode <= kRenderModeDescendingFirst) {
        for (auto it = m_Entries.begin(); it != m_Entries.end(); ++it) {
            if (GoesBefore(mode, it->m_Depth, depth)) {
                place = it;
                break;
            }
        }
    }
    m_Entries.insert(place, entry);
    return true;
}

void GxTaskRenderManage::Draw(GxTaskManage* manage, std::int32_t listIndex)
{
    // By index: a draw that queues into this list must not invalidate the walk.
    for (std::size_t i = 0; i < m_Entries.size(); ++i) {
        const GxTaskRenderEntry entry = m_Entries[i];
        GxTaskBase* task = entry.m_Task;
        if (!task || task->GetState() != kTaskActive || (task->m_TaskFlags & kTaskNoDraw))
            continue;
        GxSeqBase* sequence = task->GetSequence();
        const std::int32_t worker = sequence ? sequence->GetWorkerIndex() : -1;
        if (!sequence || worker < 0 || !manage || manage->IsWorkerReady(worker))
            task->Draw(entry.m_Value, listIndex);
        else
            task->DrawNotReady(entry.m_Value, listIndex);
    }
}
