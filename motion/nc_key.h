// The key records of a motion project's tracks: each gives a value at a time (whole frames).
// A track is the keys of one kind in file order; the evaluation expects ascending m_Time.
#pragma once

#include "foundation/value_types.h"

#include <array>
#include <cstdint>
#include <string>
#include <type_traits>

struct GxNcOriginImage;
class GxNcMotion;

// Track 0: what a layer shows from this key on: a pattern of an image of a crammed image set,
// a plain rectangle, or another motion of the same project.
struct GxNcImageKey {
    std::int32_t m_Time = 0;
    std::u16string m_ImageSetName;
    std::u16string m_ImageFileName;
    std::u16string m_MotionGroupName;
    std::u16string m_MotionName;
    std::int32_t m_PatternIndex = 0;
    std::int32_t m_Width = 0;
    std::int32_t m_Height = 0;
    GxNcOriginImage* m_pOriginImage = nullptr;   // resolved after loading; not owned
    GxNcMotion* m_pMotion = nullptr;             // resolved after loading; not owned
    std::int32_t m_OffsetFrame = 0;
    std::uint32_t m_LoopMode = 1;   // non-zero: the nested motion wraps
    std::uint32_t m_InterMode = 0;
    float m_InterParam0 = 0.0f;
    float m_InterParam1 = 0.0f;
    std::uint32_t m_Selected = 0;
};

// A value at a time. Unsigned keys switch, the others interpolate by default.
template <typename T>
struct GxNcValueKey {
    std::int32_t m_Time = 0;
    T m_Value{};
    std::uint32_t m_InterMode = std::is_same_v<T, std::uint32_t> ? 0u : 1u;
    float m_InterParam0 = 0.0f;
    float m_InterParam1 = 0.0f;
    std::uint32_t m_Selected = 0;
};

using GxNcVector4Key = GxNcValueKey<GxVector4>;
using GxNcVector2Key = GxNcValueKey<GxVector2>;
using GxNcF32Key = GxNcValueKey<float>;
using GxNcU32Key = GxNcValueKey<std::uint32_t>;

// Tracks 8 and 9: one value per point of the layer quad (left top, left bottom, right bottom,
// right top, centre).
struct GxNcVertexKey {
    std::int32_t m_Time = 0;
    std::array<GxVector4, 5> m_Value{};
    std::uint32_t m_InterMode = 1;
    float m_InterParam0 = 0.0f;
    float m_InterParam1 = 0.0f;
    std::uint32_t m_Selected = 0;
    std::uint32_t m_SelectedLocalFlags = 0;
};

struct GxNcSoundKey {
    std::int32_t m_Time = 0;
    std::u16string m_SoundName;
    std::uint32_t m_InterMode = 0;
    std::uint32_t m_Selected = 0;
};

struct GxNcEventKey {
    std::int32_t m_Time = 0;
    std::int32_t m_EventID = 0;
    std::u16string m_Param;
    std::uint32_t m_AfterCallFlag = 0;   // stored before m_Param in the file
    std::uint32_t m_InterMode = 0;
    float m_InterParam0 = 0.0f;
    float m_InterParam1 = 0.0f;
    std::uint32_t m_Selected = 0;
};
