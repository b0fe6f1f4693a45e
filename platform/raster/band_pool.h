// Private to the rasterizer: worker threads that run the row bands of one draw.
#pragma once

#include <functional>

namespace raster::detail {

// Sets the number of threads that draw (the calling thread counts as one).
void SetBandThreads(int count);
int BandThreads();

// Runs job(0) .. job(bandCount - 1), spread over the workers and the calling thread, and
// returns when all have finished. Draws from several threads at once take turns.
void RunBands(int bandCount, const std::function<void(int)>& job);

}  // namespace raster::detail
