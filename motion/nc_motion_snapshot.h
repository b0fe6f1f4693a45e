// A motion of a project evaluated at one frame: one GxNcLayerSnapShotEx per layer of the motion,
// in layer-list order, with the layer tree's matrices and blend modes applied and nested
// motions built to a given depth. The owner keeps one snapshot and rebuilds it every frame with
// Create; the layer records only ever grow, so the storage is reused. Window thread only.
#pragma once

#include "core/layer_content.h"
#include "foundation/matrix.h"
#include "foundation/value_types.h"
#include "motion/nc_layer_snapshot.h"

#include <cstdint>
#include <vector>

class GxNcLayerNode;
class GxNcMotion;
class GxNcProject;

class GxNcMotionSnapShotEx : public GxNcMotionSnapShotBase {
public:
    GxNcMotionSnapShotEx();
    ~GxNcMotionSnapShotEx() override;
    GxNcMotionSnapShotEx(const GxNcMotionSnapShotEx&) = default;
    GxNcMotionSnapShotEx& operator=(const GxNcMotionSnapShotEx&) = default;

    // Rebuilds the snapshot for `motion` of `project` at `frame`: every point ends as (point
    // through the layer's world matrix under `parent`) + `offset`, every colour times `color`;
    // nested motions are built `depth` levels deep. A null motion leaves everything as it was;
    // a null parent is the identity.
    void Create(GxNcProject* project, GxNcMotion* motion, std::int32_t frame, const GxVector4& offset,
                const GxMatrix* parent, const GxFColor& color, std::int32_t depth);
    // Local and world matrices and effective blend modes of `node`, the siblings after it and
    // their subtrees. An unbound node is logged and ends its run of siblings.
    void CreateCombinedParam_Sub(const GxNcLayerNode* node, std::uint32_t parentBlend, const GxMatrix& parent);

    // Draws the motion's layers last to first: each point through `matrix`, each colour times
    // `color` with its alpha times `alpha`, `color1` as the second colour. A non-zero `blend` or
    // `filter` replaces the layers' own (a nested motion keeps its own filter). A null or
    // never-built snapshot draws nothing.
    static void Draw(const GxNcMotionSnapShotEx* snapshot, const GxMatrix& matrix, float alpha, const GxFColor& color,
                     const GxFColor& color1, std::uint32_t blend, std::uint32_t filter);

    std::int32_t m_Frame = 0;
    std::int32_t m_Period = 1;
    GxNcMotion* m_pMotion = nullptr;   // not owned
    GxVector3 m_BoundsMin;             // kept empty: nothing fills the box yet
    GxVector3 m_BoundsMax;
    GxVector4 m_Offset;
    std::vector<GxNcLayerSnapShotEx> m_Layers;   // record i: layer i of the motion
};
