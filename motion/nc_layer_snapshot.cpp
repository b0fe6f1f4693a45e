#include "motion/nc_layer_snapshot.h"

#include "motion/crammed_image_set.h"
#include "motion/nc_motion_snapshot.h"
#include "motion/nc_project.h"
#include "motion/nc_track_eval.h"

#include <algorithm>
#include <limits>

namespace {

const GxNcImageKey kDefaultImage = DefaultNcImageKey();
const GxNcVector4Key kZero4 = DefaultNcVector4Key(GxVector4(0.0f, 0.0f, 0.0f, 0.0f));
const GxNcVector4Key kOne4 = DefaultNcVector4Key(GxVector4(1.0f, 1.0f, 1.0f, 1.0f));
const GxNcVector2Key kOne2 = DefaultNcVector2Key(GxVector2(1.0f, 1.0f));
const GxNcF32Key kOpaque = DefaultNcF32Key(1.0f);
const GxNcU32Key kVisible = DefaultNcU32Key(1);
const GxNcVertexKey kNoOffsets = DefaultNcVertexKey(GxVector4(0.0f, 0.0f, 0.0f, 0.0f));
const GxNcVertexKey kWhite = DefaultNcVertexKey(GxVector4(1.0f, 1.0f, 1.0f, 1.0f));

const GxVector2 kDefaultUVs[5] = {{0.0f, 0.0f}, {0.0f, 1.0f}, {1.0f, 1.0f}, {1.0f, 0.0f}, {0.5f, 0.5f}};

void SetRectangle(std::array<GxVector4, 5>& points, float halfWidth, float halfHeight)
{
    points[0] = GxVector4(-halfWidth, -halfHeight, 0.0f, 0.0f);
    points[1] = GxVector4(-halfWidth, halfHeight, 0.0f, 0.0f);
    points[2] = GxVector4(halfWidth, halfHeight, 0.0f, 0.0f);
    points[3] = GxVector4(halfWidth, -halfHeight, 0.0f, 0.0f);
    points[4] = GxVector4(0.0f, 0.0f, 0.0f, 0.0f);
}

// The frame of the nested motion; wide arithmetic, so that damaged key times cannot overflow.
std::int32_t NestedFrame(const GxNcLayer& layer, const GxNcImageKey& key, std::int32_t frame,
                         const GxNcMotion& nested)
{
    std::int64_t f = frame;
    if (layer.m_LoopMode == 2)
        f %= std::max<std::int32_t>(layer.m_LastTime, 1);
    std::int64_t n = static_cast<std::int64_t>(key.m_OffsetFrame) - key.m_Time + f;
    if (n < 0)
        n = 0;
    if (key.m_LoopMode != 0)
        n %= std::max<std::int32_t>(nested.m_EndTime, 1);
    return static_cast<std::int32_t>(std::min<std::int64_t>(n, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

GxNcLayerSnapShotEx::GxNcLayerSnapShotEx()
    : m_Image(kDefaultImage),
      m_Position(kZero4),
      m_Scale(kOne4),
      m_Rotation(kZero4),
      m_Pivot(kZero4),
      m_ScaleFactor(kOne2),
      m_Opacity(kOpaque),
      m_Visibility(kVisible),
      m_VertexOffset(kNoOffsets),
      m_VertexColor(kWhite)
{
    m_Colors.fill(GxFColor(0.0f, 0.0f, 0.0f, 0.0f));
}

GxNcLayerSnapShotEx::~GxNcLayerSnapShotEx() = default;

GxNcLayerSnapShotEx::GxNcLayerSnapShotEx(const GxNcLayerSnapShotEx& other)
{
    *this = other;
}

GxNcLayerSnapShotEx& GxNcLayerSnapShotEx::operator=(const GxNcLayerSnapShotEx& other)
{
    if (this == &other)
        return *this;
    m_Frame = other.m_Frame;
    m_Period = other.m_Period;
    m_pLayer = other.m_pLayer;
    m_pNested = other.m_pNested ? std::make_unique<GxNcMotionSnapShotEx>(*other.m_pNested) : nullptr;
    m_Image = other.m_Image;
    m_Position = other.m_Position;
    m_Scale = other.m_Scale;
    m_Rotation = other.m_Rotation;
    m_Pivot = other.m_Pivot;
    m_ScaleFactor = other.m_ScaleFactor;
    m_Opacity = other.m_Opacity;
    m_Visibility = other.m_Visibility;
    m_VertexOffset = other.m_VertexOffset;
    m_VertexColor = other.m_VertexColor;
    m_BlendMode = other.m_BlendMode;
    m_LocalMatrix = other.m_LocalMatrix;
    m_WorldMatrix = other.m_WorldMatrix;
    m_Points = other.m_Points;
    m_UVs = other.m_UVs;
    m_Colors = other.m_Colors;
    return *this;
}

void GxNcLayerSnapShotEx::Evaluate(const GxNcLayer& layer, std::int32_t frame, std::uint32_t loopMode,
                                   std::int32_t period)
{
    m_Frame = frame;
    m_Period = period;
    m_pLayer = &layer;
    EvaluateNcTrack(layer, layer.m_ImageKeys, frame, period, loopMode, kDefaultImage, m_Image);
    EvaluateNcTrack(layer, layer.m_PositionKeys, frame, period, loopMode, kZero4, m_Position);
    EvaluateNcTrack(layer, layer.m_ScaleKeys, frame, period, loopMode, kOne4, m_Scale);
    EvaluateNcTrack(layer, layer.m_RotationKeys, frame, period, loopMode, kZero4, m_Rotation);
    EvaluateNcTrack(layer, layer.m_PivotKeys, frame, period, loopMode, kZero4, m_Pivot);
    EvaluateNcTrack(layer, layer.m_ScaleFactorKeys, frame, period, loopMode, kOne2, m_ScaleFactor);
    EvaluateNcTrack(layer, layer.m_OpacityKeys, frame, period, loopMode, kOpaque, m_Opacity);
    EvaluateNcTrack(layer, layer.m_VisibilityKeys, frame, period, loopMode, kVisible, m_Visibility);
    EvaluateNcTrack(layer, layer.m_VertexOffsetKeys, frame, period, loopMode, kNoOffsets, m_VertexOffset);
    EvaluateNcTrack(layer, layer.m_VertexColorKeys, frame, period, loopMode, kWhite, m_VertexColor);
}

void GxNcLayerSnapShotEx::BuildGeometry(GxNcProject* project, const GxVector4& offset, std::int32_t depth,
                                        const GxFColor& color)
{
    for (std::size_t k = 0; k < 5; ++k) {
        const GxVector4& value = m_VertexColor.m_Value[k];
        m_Colors[k] = GxFColor(value.x * color.r, value.y * color.g, value.z * color.b,
                               value.w * m_Opacity.m_Value * color.a);
    }

    const GxNcOriginImage* image = m_Image.m_pOriginImage;
    const std::int32_t index = m_Image.m_PatternIndex;
    bool nestedBuilt = false;
    if (image != nullptr && index >= 0 && static_cast<std::size_t>(index) < image->m_PatternArray.size()) {
        const GxNcPattern& pattern = image->m_PatternArray[static_cast<std::size_t>(index)];
        const float left = static_cast<float>(pattern.m_CrammedOffsetLeft);
        const float top = static_cast<float>(pattern.m_CrammedOffsetTop);
        const float width = static_cast<float>(pattern.m_CrammedWidth);
        const float height = static_cast<float>(pattern.m_CrammedHeight);
        m_Points[0] = GxVector4(left, top, 0.0f, 0.0f);
        m_Points[1] = GxVector4(left, top + height, 0.0f, 0.0f);
        m_Points[2] = GxVector4(left + width, top + height, 0.0f, 0.0f);
        m_Points[3] = GxVector4(left + width, top, 0.0f, 0.0f);
        m_Points[4] = GxVector4(left + width * 0.5f, top + height * 0.5f, 0.0f, 0.0f);
        if (pattern.m_pCrammedImage != nullptr && pattern.m_pCrammedImage->m_pTexture != nullptr) {
            const GxFRect& uv = pattern.m_CrammedRawUV;
            m_UVs[0] = GxVector2(uv.left, uv.top);
            m_UVs[1] = GxVector2(uv.left, uv.bottom);
            m_UVs[2] = GxVector2(uv.right, uv.bottom);
            m_UVs[3] = GxVector2(uv.right, uv.top);
            m_UVs[4] = GxVector2((uv.left + uv.right) * 0.5f, (uv.top + uv.bottom) * 0.5f);
        } else {
            std::copy(std::begin(kDefaultUVs), std::end(kDefaultUVs), m_UVs.begin());
        }
        // The pattern's centre comes to the layer's origin.
        for (std::size_t k = 0; k < 5; ++k) {
            m_Points[k].x += m_VertexOffset.m_Value[k].x - pattern.m_CenterPosX;
            m_Points[k].y += m_VertexOffset.m_Value[k].y - pattern.m_CenterPosY;
        }
    } else if (!m_Image.m_ImageSetName.empty()) {
        // Named but not available: a placeholder square shows where it would be.
        SetRectangle(m_Points, 32.0f, 32.0f);
        std::copy(std::begin(kDefaultUVs), std::end(kDefaultUVs), m_UVs.begin());
    } else {
        SetRectangle(m_Points, static_cast<float>(m_Image.m_Width) / 2.0f, static_cast<float>(m_Image.m_Height) / 2.0f);
        std::copy(std::begin(kDefaultUVs), std::end(kDefaultUVs), m_UVs.begin());
        if (!m_Image.m_MotionGroupName.empty() && depth > 0 && project != nullptr && m_pLayer != nullptr) {
            GxNcMotion* nested = GxFindNamePair(*project, m_Image.m_MotionGroupName, m_Image.m_MotionName);
            if (nested != nullptr) {
                if (!m_pNested)
                    m_pNested = std::make_unique<GxNcMotionSnapShotEx>();
                m_pNested->Create(project, nested, NestedFrame(*m_pLayer, m_Image, m_Frame, *nested), offset,
                                  &m_WorldMatrix, m_Colors[0], depth - 1);
                nestedBuilt = true;
            }
        }
    }
    if (!nestedBuilt)
        m_pNested.reset();

    for (GxVector4& point : m_Points) {
        GxVector3 moved;
        GxVector3(point.x, point.y, point.z).TransformTo(m_WorldMatrix, moved);
        point = GxVector4(moved.x + offset.x, moved.y + offset.y, moved.z + offset.z, 0.0f);
    }
}
