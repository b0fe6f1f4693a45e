// GxTaskRenderManage: one render list. The render walk queues tasks with a depth; the frame
// draws each list in its own sorted order. Entries are plain pointers: tasks are deleted only by
// the sweep at the start of a logic step, before the lists are rebuilt.
#pragma once

#include <cstdint>
#include <vector>

class GxTaskBase;
class GxTaskManage;

struct GxTaskRenderEntry {
    GxTaskBase* m_Task = nullptr;
    float m_Depth = 0.0f;
    std::int32_t m_Value = 0;
    std::uint32_t m_Reserved = 0;
};

// Draw modes of Add.
constexpr std::int32_t kRenderModeDefault = 0;     // the list's default mode
constexpr std::int32_t kRenderModeAppend = 2;      // no sorting (1 and above 6 append too)
constexpr std::int32_t kRenderModeAscending = 3;   // ascending depth, after equal depths
constexpr std::int32_t kRenderModeDescending = 4;  // descending, after equal depths
constexpr std::int32_t kRenderModeAscendingFirst = 5;   // ascending, before equal depths
constexpr std::int32_t kRenderModeDescendingFirst = 6;  // descending, before equal depths

constexpr std::int32_t kRenderListCount = 10;

class GxTaskRenderManage {
public:
    GxTaskRenderManage() = default;
    virtual ~GxTaskRenderManage() = default;

    // Places a new entry as the mode says; always true.
    bool Add(std::int32_t mode, GxTaskBase* task, float depth, std::int32_t value);
    // Draws the entries in order: skips null, inactive and no-draw tasks, and uses DrawNotReady
    // for a task whose sequence sits in a worker slot that is not ready.
    void Draw(GxTaskManage* manage, std::int32_t listIndex);
    void Clear() { m_Entries.clear(); }
    // Appends what Draw would do, entry by entry (task, depth, value and how it is drawn), so
    // that two frames with equal words draw the same tasks the same way.
    void AppendSignature(GxTaskManage* manage, std::vector<std::uint64_t>& words) const;

    const std::vector<GxTaskRenderEntry>& GetEntries() const { return m_Entries; }

    std::vector<GxTaskRenderEntry> m_Entries;
    std::int32_t m_DefaultMode = kRenderModeAscending;
};
