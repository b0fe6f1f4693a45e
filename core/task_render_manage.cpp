#include "core/task_render_manage.h"

#include "core/seq_base.h"
#include "core/task_manage.h"

#include <cstring>

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

namespace {

// 0: skipped, 1: drawn, 2: drawn as not ready.
std::uint64_t DrawKindOf(const GxTaskRenderEntry& entry, GxTaskManage* manage)
{
    GxTaskBase* task = entry.m_Task;
    if (!task || task->GetState() != kTaskActive || (task->m_TaskFlags & kTaskNoDraw))
        return 0;
    GxSeqBase* sequence = task->GetSequence();
    const std::int32_t worker = sequence ? sequence->GetWorkerIndex() : -1;
    return !sequence || worker < 0 || !manage || manage->IsWorkerReady(worker) ? 1 : 2;
}

}  // namespace

void GxTaskRenderManage::AppendSignature(GxTaskManage* manage, std::vector<std::uint64_t>& words) const
{
    words.push_back(m_Entries.size());
    for (const GxTaskRenderEntry& entry : m_Entries) {
        std::uint32_t depthBits = 0;
        std::memcpy(&depthBits, &entry.m_Depth, sizeof depthBits);
        words.push_back(reinterpret_cast<std::uintptr_t>(entry.m_Task));
        words.push_back((static_cast<std::uint64_t>(depthBits) << 32) | static_cast<std::uint32_t>(entry.m_Value));
        words.push_back(DrawKindOf(entry, manage));
    }
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
