#include "motion/nc_motion_snapshot.h"

#include "foundation/log.h"
#include "motion/crammed_image_set.h"
#include "graphics/texture.h"
#include "motion/nc_graphics_calls.h"
#include "motion/nc_project.h"

#include <algorithm>
#include <limits>

namespace {

constexpr float kDegreesToRadians = 0.017453292f;

void DrawLayers(const GxNcMotionSnapShotEx& snapshot, const GxMatrix& matrix, float alpha, const GxFColor& color,
                const GxFColor& color1, std::uint32_t blend, std::uint32_t filter)
{
    const GxNcMotion& motion = *snapshot.m_pMotion;
    const std::size_t count = std::min(motion.m_LayerList.size(), snapshot.m_Layers.size());
    const GxFColor tint(color.r, color.g, color.b, color.a * alpha);
    const D3DCOLOR second = ColorToArgb(color1);
    const D3DCOLOR specular[5] = {second, second, second, second, second};
    GxNcGraphicsCalls& calls = GetNcGraphicsCalls();
    // The first layer of the list ends on top.
    for (std::size_t i = count; i-- > 0;) {
        const GxNcLayer& layer = *motion.m_LayerList[i];
        const GxNcLayerSnapShotEx& record = snapshot.m_Layers[i];
        if (layer.m_EditVisible == 0 || layer.m_LayerType == 1 || layer.m_LayerType == 2)
            continue;
        if (record.m_Image.m_ImageSetName.empty() && record.m_Image.m_MotionGroupName.empty())
            continue;
        if (record.m_Visibility.m_Value == 0)
            continue;
        if (record.m_pNested) {
            // A nested motion keeps its layers' own filters.
            GxNcMotionSnapShotEx::Draw(record.m_pNested.get(), matrix, alpha, color, color1, blend, 0);
            continue;
        }
        const GxNcOriginImage* image = record.m_Image.m_pOriginImage;
        const std::int32_t index = record.m_Image.m_PatternIndex;
        if (image == nullptr || index < 0 || static_cast<std::size_t>(index) >= image->m_PatternArray.size())
            continue;
        const GxNcCrammedImage* atlas = image->m_PatternArray[static_cast<std::size_t>(index)].m_pCrammedImage;
        if (atlas == nullptr)
            continue;

        GxVector3 points[5];
        GxVector2 uvs[5];
        D3DCOLOR diffuse[5];
        for (std::size_t k = 0; k < 5; ++k) {
            const GxVector4& point = record.m_Points[k];
            GxVector3(point.x, point.y, point.z).TransformTo(matrix, points[k]);
            uvs[k] = record.m_UVs[k];
            GxFColor vertex;
            record.m_Colors[k].Mul(tint, vertex);
            diffuse[k] = ColorToArgb(vertex);
        }
        calls.SetTextureFilter(static_cast<D3DTEXTUREFILTERTYPE>(filter != 0 ? filter : layer.m_FilterMode));
        calls.SetCullMode(D3DCULL_NONE);
        const std::int32_t preset = static_cast<std::int32_t>(blend != 0 ? blend : record.m_BlendMode);
        calls.DrawNcLayerQuad(atlas->m_pTexture, points, uvs, diffuse, specular, GxVector2(0.0f, 0.0f), preset);
    }
}

}  // namespace

GxNcMotionSnapShotEx::GxNcMotionSnapShotEx()
    : m_BoundsMin(std::numeric_limits<float>::max(), std::numeric_limits<float>::max(),
                  std::numeric_limits<float>::max()),
      m_BoundsMax(-std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
                  -std::numeric_limits<float>::max())
{
}

GxNcMotionSnapShotEx::~GxNcMotionSnapShotEx() = default;

void GxNcMotionSnapShotEx::Create(GxNcProject* project, GxNcMotion* motion, std::int32_t frame,
                                  const GxVector4& offset, const GxMatrix* parent, const GxFColor& color,
                                  std::int32_t depth)
{
    if (motion == nullptr)
        return;
    m_pMotion = motion;
    m_Offset = offset;
    m_Frame = frame;
    m_Period = std::max<std::int32_t>(motion->m_EndTime, 1);
    const std::size_t count = motion->m_LayerList.size();
    if (m_Layers.size() < count)
        m_Layers.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const GxNcLayer& layer = *motion->m_LayerList[i];
        m_Layers[i].Evaluate(layer, frame, layer.m_LoopMode, m_Period);
    }
    if (const auto* root = static_cast<const GxNcLayerNode*>(motion->m_LayerTree.GetRoot()))
        CreateCombinedParam_Sub(root, 1, parent != nullptr ? *parent : GxMatrix());
    for (std::size_t i = 0; i < count; ++i)
        m_Layers[i].BuildGeometry(project, offset, depth, color);
}

void GxNcMotionSnapShotEx::CreateCombinedParam_Sub(const GxNcLayerNode* node, std::uint32_t parentBlend,
                                                   const GxMatrix& parent)
{
    // A run of siblings with what their parent passes down. Walked without recursion: a damaged
    // file may nest the tree as deep as it has bytes.
    struct Run {
        const GxNcLayerNode* node;
        std::uint32_t blend;
        GxMatrix matrix;
    };
    std::vector<Run> pending;
    pending.push_back(Run{node, parentBlend, parent});
    const std::size_t count = m_pMotion != nullptr ? std::min(m_pMotion->m_LayerList.size(), m_Layers.size()) : 0;
    while (!pending.empty()) {
        Run run = pending.back();
        pending.pop_back();
        const GxNcLayerNode* current = run.node;
        if (current == nullptr)
            continue;
        if (current->m_LayerIndex < 0 || static_cast<std::size_t>(current->m_LayerIndex) >= count) {
            // The rest of this run of siblings is skipped; the enclosing run goes on.
            LogPrint(u"GxNcMotionSnapShotEx::CreateCombinedParam_Sub/Layer:%s Tree is not prepared\n",
                     current->m_LayerName.c_str());
            continue;
        }
        GxNcLayerSnapShotEx& record = m_Layers[static_cast<std::size_t>(current->m_LayerIndex)];
        const GxVector4& pivot = record.m_Pivot.m_Value;
        const GxVector4& scale = record.m_Scale.m_Value;
        const GxVector2& factor = record.m_ScaleFactor.m_Value;
        const GxVector4& rotation = record.m_Rotation.m_Value;
        const GxVector4& position = record.m_Position.m_Value;
        record.m_LocalMatrix.BuildTransformXYZ(
            GxVector3(position.x, position.y, position.z),
            GxVector3(rotation.x * kDegreesToRadians, rotation.y * kDegreesToRadians, rotation.z * kDegreesToRadians),
            GxVector3(scale.x * factor.x, scale.y * factor.y, scale.z), GxVector3(pivot.x, pivot.y, pivot.z));
        record.m_WorldMatrix = record.m_LocalMatrix * run.matrix;
        const std::uint32_t own = m_pMotion->m_LayerList[static_cast<std::size_t>(current->m_LayerIndex)]->m_BlendMode;
        record.m_BlendMode = own != 0 ? own : run.blend;
        // The node's subtree before its next sibling.
        if (current->m_NextSibling != nullptr)
            pending.push_back(Run{static_cast<const GxNcLayerNode*>(current->m_NextSibling), run.blend, run.matrix});
        if (current->m_FirstChild != nullptr)
            pending.push_back(
                Run{static_cast<const GxNcLayerNode*>(current->m_FirstChild), record.m_BlendMode, record.m_WorldMatrix});
    }
}

void GxNcMotionSnapShotEx::Draw(const GxNcMotionSnapShotEx* snapshot, const GxMatrix& matrix, float alpha,
                                const GxFColor& color, const GxFColor& color1, std::uint32_t blend,
                                std::uint32_t filter)
{
    if (snapshot == nullptr || snapshot->m_pMotion == nullptr || snapshot->m_pMotion->m_LayerList.empty())
        return;
    DrawLayers(*snapshot, matrix, alpha, color, color1, blend, filter);
}
