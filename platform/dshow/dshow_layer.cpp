#include "platform/dshow/dshow_layer.h"

#include "platform/dshow/filter_graph.h"
#include "platform/dshow/mem_allocator.h"
#include "platform/dshow/movie_decoder_filter.h"
#include "platform/dshow/movie_demux_filter.h"
#include "platform/win32/com.h"

#include <algorithm>
#include <mutex>

namespace platform {

namespace {

struct LayerState {
    std::mutex mutex;
    std::vector<std::pair<std::u16string, DshowFilterFactory>> decoders;
    IReferenceClock* clock = nullptr;
    DshowFaults faults;
    int addFilterCalls = 0;
};

LayerState& State()
{
    static LayerState* state = new LayerState;   // outlives graphs released at exit
    return *state;
}

}  // namespace

void RegisterDshowClasses()
{
    static std::once_flag once;
    std::call_once(once, [] {
        RegisterComClass(CLSID_FilterGraph, &CFilterGraph::Create);
        RegisterComClass(CLSID_MemoryAllocator, &CMemAllocator::Create);
        // What Render inserts for a byte stream (the movie demux and decode filter) and for a
        // compressed video or audio pin (the movie decoder).
        RegisterDshowDecoder(u"Movie Demux", &CMovieDemuxFilter::Create);
        RegisterDshowDecoder(u"Movie Decoder", &CMovieDecoderFilter::Create);
    });
}

void RegisterDshowDecoder(const std::u16string& name, DshowFilterFactory factory)
{
    LayerState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    for (auto& entry : state.decoders) {
        if (entry.first == name) {
            entry.second = factory;
            return;
        }
    }
    state.decoders.emplace_back(name, factory);
}

void UnregisterDshowDecoder(const std::u16string& name)
{
    LayerState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.decoders.erase(std::remove_if(state.decoders.begin(), state.decoders.end(),
                                        [&](const auto& entry) { return entry.first == name; }),
                         state.decoders.end());
}

std::vector<std::pair<std::u16string, DshowFilterFactory>> DshowDecoders()
{
    LayerState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    return state.decoders;
}

void SetDshowGraphClock(IReferenceClock* clock)
{
    LayerState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (clock) clock->AddRef();
    if (state.clock) state.clock->Release();
    state.clock = clock;
}

IReferenceClock* DshowGraphClock()
{
    LayerState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    if (state.clock) state.clock->AddRef();
    return state.clock;
}

void SetDshowFaults(const DshowFaults& faults)
{
    LayerState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    state.faults = faults;
    state.addFilterCalls = 0;
}

HRESULT DshowAddFilterFault()
{
    LayerState& state = State();
    std::lock_guard<std::mutex> lock(state.mutex);
    ++state.addFilterCalls;
    if (state.faults.failAddFilterAt > 0 && state.addFilterCalls == state.faults.failAddFilterAt)
        return state.faults.addFilterResult;
    return S_OK;
}

}  // namespace platform
