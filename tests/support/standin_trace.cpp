#include "tests/support/standin_trace.h"

#include <atomic>
#include <mutex>

namespace {

struct TraceState {
    std::mutex mutex;
    std::atomic<bool> enabled{false};
    std::vector<std::u16string> events;
};

TraceState& State()
{
    static TraceState state;
    return state;
}

}  // namespace

namespace GxStandinTrace {

void SetEnabled(bool enabled)
{
    State().enabled = enabled;
}

bool IsEnabled()
{
    return State().enabled;
}

void Record(std::u16string_view event)
{
    TraceState& state = State();
    if (!state.enabled)
        return;
    std::lock_guard<std::mutex> lock(state.mutex);
    state.events.emplace_back(event);
}

std::vector<std::u16string> GetEvents()
{
    TraceState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.events;
}

void Clear()
{
    TraceState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.events.clear();
}

}  // namespace GxStandinTrace
