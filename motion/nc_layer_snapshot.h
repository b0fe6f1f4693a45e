// One layer of a motion evaluated at a frame: its evaluated keys, its matrices and effective
// blend mode, and the five points of its quad (left top, left bottom, right bottom, right top,
// centre) in output coordinates with their texture coordinates and colours. A layer that shows
// another motion of the project owns that motion's snapshot. Records are rebuilt in place from
// frame to frame; a copy is deep.
#pragma once

#include "foundation/matrix.h"
#include "foundation/value_types.h"
#include "motion/nc_key.h"

#include <array>
#include <cstdint>
#include <memory>

class GxNcLayer;
class GxNcMotionSnapShotEx;
class GxNcProject;

class GxNcLayerSnapShotEx {
public:
    GxNcLayerSnapShotEx();
    virtual ~GxNcLayerSnapShotEx();
    GxNcLayerSnapShotEx(const GxNcLayerSnapShotEx& other);
    GxNcLayerSnapShotEx& operator=(const GxNcLayerSnapShotEx& other);

    // Tracks 0 to 9 of `layer` at `frame` (the eleventh is never evaluated); stores frame, period
    // and layer.
    void Evaluate(const GxNcLayer& layer, std::int32_t frame, std::uint32_t loopMode, std::int32_t period);
    // Colours, points, texture coordinates and the nested motion (built while `depth` > 0) from
    // the evaluated keys and the world matrix.
    void BuildGeometry(GxNcProject* project, const GxVector4& offset, std::int32_t depth, const GxFColor& color);

    std::int32_t m_Frame = 0;
    std::int32_t m_Period = 0;
    const GxNcLayer* m_pLayer = nullptr;
    std::unique_ptr<GxNcMotionSnapShotEx> m_pNested;
    GxNcImageKey m_Image;
    GxNcVector4Key m_Position;
    GxNcVector4Key m_Scale;
    GxNcVector4Key m_Rotation;   // degrees
    GxNcVector4Key m_Pivot;
    GxNcVector2Key m_ScaleFactor;
    GxNcF32Key m_Opacity;
    GxNcU32Key m_Visibility;
    GxNcVertexKey m_VertexOffset;
    GxNcVertexKey m_VertexColor;
    std::uint32_t m_BlendMode = 0;
    GxMatrix m_LocalMatrix;
    GxMatrix m_WorldMatrix;
    std::array<GxVector4, 5> m_Points{};
    std::array<GxVector2, 5> m_UVs{};
    std::array<GxFColor, 5> m_Colors;
};
