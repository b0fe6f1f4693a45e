#include "motion/nc_track_eval.h"

#include "foundation/easing.h"
#include "motion/nc_project.h"

namespace {

// Key times move by a cycle in the wrap cases; a damaged file's times can sit near the ends of
// the 32-bit range, so the arithmetic is done wide and stored back wrapped.
std::int32_t Shift(std::int32_t time, std::int64_t by)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::int64_t>(time) + by));
}

float Curve(std::uint32_t mode, float a, float b, float u, float p)
{
    switch (mode) {
    case 1:
        return a + (b - a) * u;
    case 2:
        return GxEasePower(a, b, u, p);
    case 3:
        return GxEaseSineHalfWave(a, b, u, p);
    case 4:
        return GxEaseSineWave(a, b, u, p);
    default:
        return a;
    }
}

GxVector4 Curve(std::uint32_t mode, const GxVector4& a, const GxVector4& b, float u, float p)
{
    switch (mode) {
    case 1:
        return GxVector4(a.x + (b.x - a.x) * u, a.y + (b.y - a.y) * u, a.z + (b.z - a.z) * u, a.w + (b.w - a.w) * u);
    case 2:
        return GxEasePower(a, b, u, p);
    case 3:
        return GxEaseSineHalfWave(a, b, u, p);
    case 4:
        return GxEaseSineWave(a, b, u, p);
    default:
        return a;
    }
}

void Blend(GxNcVector4Key& a, const GxNcVector4Key& b, float u)
{
    a.m_Value = Curve(a.m_InterMode, a.m_Value, b.m_Value, u, a.m_InterParam0);
}

void Blend(GxNcF32Key& a, const GxNcF32Key& b, float u)
{
    a.m_Value = Curve(a.m_InterMode, a.m_Value, b.m_Value, u, a.m_InterParam0);
}

void Blend(GxNcVertexKey& a, const GxNcVertexKey& b, float u)
{
    for (std::size_t k = 0; k < a.m_Value.size(); ++k)
        a.m_Value[k] = Curve(a.m_InterMode, a.m_Value[k], b.m_Value[k], u, a.m_InterParam0);
}

template <typename Key>
constexpr bool kInterpolates = !std::is_same_v<Key, GxNcImageKey> && !std::is_same_v<Key, GxNcVector2Key> &&
                               !std::is_same_v<Key, GxNcU32Key>;

template <typename Key>
std::int32_t Evaluate(const GxNcLayer& layer, const std::vector<Key>& keys, std::int32_t frame, std::int32_t period,
                      std::uint32_t loopMode, const Key& fallback, Key& result)
{
    if (keys.empty() || period == 0) {
        result = fallback;
        return -1;
    }
    // Fold the frame into the cycle (a truncating remainder: a negative frame stays negative).
    std::int32_t cycle = 0;
    if (loopMode == 2) {
        if (layer.m_LastTime < 1) {
            frame = 0;
            cycle = 1;
        } else {
            cycle = layer.m_LastTime;
            frame %= cycle;
        }
    } else {
        cycle = period;
        if (cycle > 0 && loopMode != 0)
            frame %= cycle;
    }

    const std::int32_t last = static_cast<std::int32_t>(keys.size()) - 1;
    const Key& first = keys.front();
    const Key& final = keys.back();
    Key a;
    const Key* b = nullptr;
    Key moved;
    std::int32_t index = 0;
    if (frame < first.m_Time) {
        if (loopMode == 0) {
            result = fallback;
            return -1;
        }
        if constexpr (!kInterpolates<Key>) {
            result = final;
            return last;
        }
        a = final;
        a.m_Time = Shift(a.m_Time, -static_cast<std::int64_t>(cycle));
        b = &first;
        index = last;
    } else if (frame > final.m_Time) {
        if (loopMode == 0 || !kInterpolates<Key>) {
            result = final;
            return last;
        }
        a = final;
        moved = first;
        moved.m_Time = Shift(moved.m_Time, cycle);
        b = &moved;
        index = last;
    } else {
        index = FindNcKeyIndex(keys, frame);
        if constexpr (!kInterpolates<Key>) {
            result = keys[static_cast<std::size_t>(index)];
            return index;
        }
        a = keys[static_cast<std::size_t>(index)];
        const std::size_t next = (static_cast<std::size_t>(index) + 1) % keys.size();
        if (keys[next].m_Time < a.m_Time) {
            moved = keys[next];
            moved.m_Time = Shift(moved.m_Time, cycle);
            b = &moved;
        } else {
            b = &keys[next];
        }
    }

    if constexpr (kInterpolates<Key>) {
        if (a.m_InterMode != 0 && frame != a.m_Time && a.m_Time != b->m_Time) {
            const std::int64_t done = static_cast<std::int64_t>(frame) - a.m_Time;
            const std::int64_t span = static_cast<std::int64_t>(b->m_Time) - a.m_Time;
            Blend(a, *b, static_cast<float>(done) / static_cast<float>(span));
        }
    }
    result = a;
    return index;
}

}  // namespace

GxNcImageKey DefaultNcImageKey()
{
    return GxNcImageKey{};
}

GxNcVector4Key DefaultNcVector4Key(const GxVector4& value)
{
    GxNcVector4Key key;
    key.m_Value = value;
    return key;
}

GxNcVector2Key DefaultNcVector2Key(const GxVector2& value)
{
    GxNcVector2Key key;
    key.m_Value = value;
    return key;
}

GxNcF32Key DefaultNcF32Key(float value)
{
    GxNcF32Key key;
    key.m_Value = value;
    return key;
}

GxNcU32Key DefaultNcU32Key(std::uint32_t value)
{
    GxNcU32Key key;
    key.m_Value = value;
    return key;
}

GxNcVertexKey DefaultNcVertexKey(const GxVector4& value)
{
    GxNcVertexKey key;
    key.m_Value.fill(value);
    return key;
}

std::int32_t EvaluateNcTrack(const GxNcLayer& layer, const std::vector<GxNcImageKey>& keys, std::int32_t frame,
                             std::int32_t period, std::uint32_t loopMode, const GxNcImageKey& fallback,
                             GxNcImageKey& result)
{
    return Evaluate(layer, keys, frame, period, loopMode, fallback, result);
}

std::int32_t EvaluateNcTrack(const GxNcLayer& layer, const std::vector<GxNcVector4Key>& keys, std::int32_t frame,
                             std::int32_t period, std::uint32_t loopMode, const GxNcVector4Key& fallback,
                             GxNcVector4Key& result)
{
    return Evaluate(layer, keys, frame, period, loopMode, fallback, result);
}

std::int32_t EvaluateNcTrack(const GxNcLayer& layer, const std::vector<GxNcVector2Key>& keys, std::int32_t frame,
                             std::int32_t period, std::uint32_t loopMode, const GxNcVector2Key& fallback,
                             GxNcVector2Key& result)
{
    return Evaluate(layer, keys, frame, period, loopMode, fallback, result);
}

std::int32_t EvaluateNcTrack(const GxNcLayer& layer, const std::vector<GxNcF32Key>& keys, std::int32_t frame,
                             std::int32_t period, std::uint32_t loopMode, const GxNcF32Key& fallback,
                             GxNcF32Key& result)
{
    return Evaluate(layer, keys, frame, period, loopMode, fallback, result);
}

std::int32_t EvaluateNcTrack(const GxNcLayer& layer, const std::vector<GxNcU32Key>& keys, std::int32_t frame,
                             std::int32_t period, std::uint32_t loopMode, const GxNcU32Key& fallback,
                             GxNcU32Key& result)
{
    return Evaluate(layer, keys, frame, period, loopMode, fallback, result);
}

std::int32_t EvaluateNcTrack(const GxNcLayer& layer, const std::vector<GxNcVertexKey>& keys, std::int32_t frame,
                             std::int32_t period, std::uint32_t loopMode, const GxNcVertexKey& fallback,
                             GxNcVertexKey& result)
{
    return Evaluate(layer, keys, frame, period, loopMode, fallback, result);
}
