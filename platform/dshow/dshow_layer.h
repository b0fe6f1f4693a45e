// The layer's registrations and test seams: its COM classes, the decoder filters the graph
// may insert while rendering, the manual clock every new graph takes, and injected failures.
#pragma once

#include "platform/dshow/dshow.h"

#include <string>
#include <utility>
#include <vector>

namespace platform {

// CLSID_FilterGraph and CLSID_MemoryAllocator with the COM class registry, and the movie filters
// with the decoder registry; safe to call often.
void RegisterDshowClasses();

// Makes a new decoder filter with one reference for the caller.
using DshowFilterFactory = HRESULT (*)(IBaseFilter** filter);

// Decoders are tried in registration order after the filters already in the graph. A later
// registration under the same name replaces the earlier one.
void RegisterDshowDecoder(const std::u16string& name, DshowFilterFactory factory);
void UnregisterDshowDecoder(const std::u16string& name);
std::vector<std::pair<std::u16string, DshowFilterFactory>> DshowDecoders();

// Every graph made from now on runs on `clock` (counted while installed); null goes back to
// the audio renderer's clock or the system clock.
void SetDshowGraphClock(IReferenceClock* clock);
IReferenceClock* DshowGraphClock();   // counted, or null

// Test seam: the n-th IFilterGraph::AddFilter from now on (1 = the next) fails with `result`.
struct DshowFaults {
    int failAddFilterAt = 0;
    HRESULT addFilterResult = E_FAIL;
};
void SetDshowFaults(const DshowFaults& faults);
// Counts one AddFilter; its forced result, or S_OK.
HRESULT DshowAddFilterFault();

}  // namespace platform
