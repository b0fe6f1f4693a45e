// The value of a layer's key track at a frame: the frame folded into the layer's cycle, the key
// pair around it found by binary search, and the value between the two computed by the earlier
// key's interpolation mode (0 hold, 1 linear, 2 power curve, 3 half sine wave, 4 sine wave,
// others hold). Image, Vector2 and U32 tracks never interpolate: they give the key at or before
// the frame. Each evaluation writes a whole key and returns the index of the key used (the
// earlier key of a pair, the last key in the wrap cases), or -1 when the track's default was
// written.
//
// Loop modes: 0 no folding (the default before the first key, the last key after the last);
// 2 the layer's own m_LastTime as the cycle (frame 0 when it is below 1); any other the
// motion's period.
#pragma once

#include "motion/nc_key.h"

#include <cstdint>
#include <vector>

class GxNcLayer;

// The last key whose time is at or before `frame` in keys sorted by time (0 at or before the
// first, n - 1 at or after the last); 0 when the search finds no pair (unsorted keys). `keys`
// holds at least one key.
template <typename Key>
std::int32_t FindNcKeyIndex(const std::vector<Key>& keys, std::int32_t frame)
{
    const std::int32_t last = static_cast<std::int32_t>(keys.size()) - 1;
    if (frame <= keys.front().m_Time)
        return 0;
    if (frame >= keys.back().m_Time)
        return last;
    std::int32_t lo = 0;
    std::int32_t hi = last;
    while (lo <= hi) {
        const std::int32_t mid = (lo + hi) / 2;
        // mid + 1 stays in range: at mid == last the frame lies before that key's time.
        if (frame < keys[static_cast<std::size_t>(mid)].m_Time)
            hi = mid - 1;
        else if (frame > keys[static_cast<std::size_t>(mid) + 1].m_Time)
            lo = mid + 1;
        else
            return keys[static_cast<std::size_t>(mid) + 1].m_Time == frame ? mid + 1 : mid;
    }
    return 0;
}

// The defaults of empty tracks.
GxNcImageKey DefaultNcImageKey();
GxNcVector4Key DefaultNcVector4Key(const GxVector4& value);
GxNcVector2Key DefaultNcVector2Key(const GxVector2& value);
GxNcF32Key DefaultNcF32Key(float value);
GxNcU32Key DefaultNcU32Key(std::uint32_t value);
GxNcVertexKey DefaultNcVertexKey(const GxVector4& value);

// One track of `layer` (its m_LastTime serves loop mode 2) at `frame`, with the motion's
// `period`; `fallback` is what an empty track or a frame before the first key without looping
// gives.
std::int32_t EvaluateNcTrack(const GxNcLayer& layer, const std::vector<GxNcImageKey>& keys, std::int32_t frame,
                             std::int32_t period, std::uint32_t loopMode, const GxNcImageKey& fallback,
                             GxNcImageKey& result);
std::int32_t EvaluateNcTrack(const GxNcLayer& layer, const std::vector<GxNcVector4Key>& keys, std::int32_t frame,
                             std::int32_t period, std::uint32_t loopMode, const GxNcVector4Key& fallback,
                             GxNcVector4Key& result);
std::int32_t EvaluateNcTrack(const GxNcLayer& layer, const std::vector<GxNcVector2Key>& keys, std::int32_t frame,
                             std::int32_t period, std::uint32_t loopMode, const GxNcVector2Key& fallback,
                             GxNcVector2Key& result);
std::int32_t EvaluateNcTrack(const GxNcLayer& layer, const std::vector<GxNcF32Key>& keys, std::int32_t frame,
                             std::int32_t period, std::uint32_t loopMode, const GxNcF32Key& fallback,
                             GxNcF32Key& result);
std::int32_t EvaluateNcTrack(const GxNcLayer& layer, const std::vector<GxNcU32Key>& keys, std::int32_t frame,
                             std::int32_t period, std::uint32_t loopMode, const GxNcU32Key& fallback,
                             GxNcU32Key& result);
std::int32_t EvaluateNcTrack(const GxNcLayer& layer, const std::vector<GxNcVertexKey>& keys, std::int32_t frame,
                             std::int32_t period, std::uint32_t loopMode, const GxNcVertexKey& fallback,
                             GxNcVertexKey& result);
