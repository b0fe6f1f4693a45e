#include "platform/dsound/dsound.h"

#include "platform/dsound/census.h"
#include "platform/dsound/direct_sound.h"
#include "platform/win32/com.h"

#include <algorithm>
#include <mutex>
#include <utility>

namespace platform {

namespace {

struct LayerState {
    std::mutex mutex;
    DirectSoundFaults faults;
    DirectSoundCounters counters;
    int devices = 0;
    std::vector<std::pair<const void*, DirectSoundBufferInfo>> buffers;
};

LayerState& State()
{
    static LayerState* state = new LayerState;   // buffers may outlive static destruction
    return *state;
}

}  // namespace

namespace dsound_detail {

void AddBuffer(const void* buffer, const DirectSoundBufferInfo& info)
{
    LayerState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.buffers.emplace_back(buffer, info);
}

void RemoveBuffer(const void* buffer)
{
    LayerState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.buffers.erase(std::remove_if(state.buffers.begin(), state.buffers.end(),
                                       [&](const auto& entry) { return entry.first == buffer; }),
                        state.buffers.end());
}

void CountDevice(int delta)
{
    LayerState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.devices += delta;
}

void Count(Counter counter)
{
    LayerState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    switch (counter) {
    case Counter::SetVolume: ++state.counters.setVolume; break;
    case Counter::Compact: ++state.counters.compact; break;
    case Counter::ListenerSetPosition: ++state.counters.listenerSetPosition; break;
    case Counter::ListenerSetOrientation: ++state.counters.listenerSetOrientation; break;
    case Counter::Commit: ++state.counters.commitDeferredSettings; break;
    }
}

}  // namespace dsound_detail

void RegisterDirectSoundClasses()
{
    static std::once_flag once;
    std::call_once(once, [] { RegisterComClass(CLSID_DirectSound8, &DirectSoundDevice::Create); });
}

void SetDirectSoundFaults(const DirectSoundFaults& faults)
{
    LayerState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.faults = faults;
}

DirectSoundFaults DirectSoundFaultsNow()
{
    LayerState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.faults;
}

DirectSoundCounters DirectSoundCallCounts()
{
    LayerState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.counters;
}

void ResetDirectSoundCallCounts()
{
    LayerState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.counters = {};
}

DirectSoundCensus DirectSoundObjects()
{
    LayerState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    DirectSoundCensus census;
    census.devices = state.devices;
    for (const auto& entry : state.buffers) {
        census.buffers.push_back(entry.second);
        if (entry.second.primary) ++census.primaryBuffers;
        else ++census.secondaryBuffers;
    }
    return census;
}

}  // namespace platform
