#include "ui/ui_slider.h"

#include "core/scene_generation.h"
#include "data/db_uimodule.h"
#include "foundation/easing.h"
#include "foundation/log.h"
#include "motion/crammed_image_set.h"
#include "ui/image_widget_support.h"
#include "ui/widget_graphics.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr const char16_t* kSliderSuffixes[GxTaskUISliderIs::kCellCount] = {
    u"_off.png", u"_on.png", u"_over.png", u"_na.png", u"_back.png", u"_backna.png"};
// The glide's curve: the gap left after a step is t^(1 - 4a).
constexpr float kGlideEase = -20.0f;

}  // namespace

GxTaskUISliderIs::GxTaskUISliderIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                   std::int32_t localIndex, Axis axis)
    : GxTaskUIBase(parent, name, localName, localIndex), m_Axis(axis)
{
    m_TaskType = axis == Axis::kHorizontal ? kUITypeHSlider : kUITypeVSlider;
    m_Max = 100.0;
    m_Min = 0.0;
    m_DragStartValue = m_Value;
}

GxTaskUISliderIs::~GxTaskUISliderIs() = default;

GxTaskUIHSliderIs::GxTaskUIHSliderIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                     std::int32_t localIndex)
    : GxTaskUISliderIs(parent, name, localName, localIndex, Axis::kHorizontal)
{
}

GxTaskUIHSliderIs::~GxTaskUIHSliderIs() = default;

GxTaskUIVSliderIs::GxTaskUIVSliderIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                     std::int32_t localIndex)
    : GxTaskUISliderIs(parent, name, localName, localIndex, Axis::kVertical)
{
}

GxTaskUIVSliderIs::~GxTaskUIVSliderIs() = default;

const char16_t* GxTaskUISliderIs::ClassName() const
{
    return m_Axis == Axis::kHorizontal ? u"GxTaskUIHSliderIs" : u"GxTaskUIVSliderIs";
}

// ---- value and position --------------------------------------------------------------------

std::int32_t GxTaskUISliderIs::GetTrackLength() const
{
    return m_Axis == Axis::kHorizontal ? m_ClientWidth : m_ClientHeight;
}

bool GxTaskUISliderIs::HasTrack() const
{
    return GetTrackLength() > 0 && m_Min != m_Max;
}

double GxTaskUISliderIs::ValueToPosition(double value) const
{
    if (!HasTrack())
        return 0.0;
    const double length = GetTrackLength();
    const double position = (value - m_Min) / (m_Max - m_Min) * length;
    return std::isnan(position) ? 0.0 : std::clamp(position, 0.0, length);
}

double GxTaskUISliderIs::PositionToValue(double position) const
{
    if (m_Min == m_Max || position < 0.0)
        return m_Min;
    // A track of no length has no pixel to map: the value stays.
    if (GetTrackLength() <= 0)
        return m_Value;
    const double length = GetTrackLength();
    if (position > length)
        return m_Max;
    return position / length * (m_Max - m_Min) + m_Min;
}

double GxTaskUISliderIs::PixelsToValueDelta(double pixels) const
{
    if (!HasTrack())
        return 0.0;
    return pixels / (GetTrackLength() / (m_Max - m_Min));
}

double GxTaskUISliderIs::ClampToRange(double value) const
{
    if (value < m_Min)
        return m_Min;
    if (value > m_Max)
        return m_Max;
    return value;
}

void GxTaskUISliderIs::StoreClamped(double value)
{
    SetValueDirect(ClampToRange(std::isnan(value) ? m_Min : value));
}

void GxTaskUISliderIs::SetValue(double value)
{
    StoreClamped(value);
    m_ThumbTarget = GxVector4();
    Along(m_ThumbTarget) = static_cast<float>(ValueToPosition(m_Value));
    m_ThumbDrawn = m_ThumbTarget;
    GxSceneGeneration::Touch();
}

void GxTaskUISliderIs::SetMax(double max)
{
    m_Max = max;
    m_Value = ClampToRange(m_Value);
    SetValue(m_Value);
}

void GxTaskUISliderIs::SetMin(double min)
{
    m_Min = min;
    m_Value = ClampToRange(m_Value);
    SetValue(m_Value);
}

// ---- hit tests -----------------------------------------------------------------------------

bool GxTaskUISliderIs::HitTestClient(const float* origin, float x, float y) const
{
    const float left = origin[0] + static_cast<float>(m_ClientLeft);
    const float top = origin[1] + static_cast<float>(m_ClientTop);
    const float width = static_cast<float>(m_ClientWidth);
    const float height = static_cast<float>(m_ClientHeight);
    if (m_Axis == Axis::kHorizontal) {
        const float half = static_cast<float>(m_ThumbWidth / 2);
        return left - half <= x && x < left + width + half && top <= y && y < top + height;
    }
    const float half = static_cast<float>(m_ThumbHeight / 2);
    return left <= x && x < left + width && top - half <= y && y < top + height + half;
}

bool GxTaskUISliderIs::HitTestThumb(const float* origin, float x, float y) const
{
    if (!HitTestClient(origin, x, y))
        return false;
    if (m_Axis == Axis::kHorizontal) {
        const float centre = origin[0] + static_cast<float>(m_ClientLeft) + m_ThumbTarget.x;
        const float half = static_cast<float>(m_ThumbWidth / 2);
        return centre - half <= x && x <= centre + half;
    }
    const float centre = origin[1] + static_cast<float>(m_ClientTop) + m_ThumbTarget.y;
    const float half = static_cast<float>(m_ThumbHeight / 2);
    return centre - half <= y && y <= centre + half;
}

// ---- input ---------------------------------------------------------------------------------

void GxTaskUISliderIs::ReportMouse(std::int32_t code, const GxVector2& point)
{
    m_EventState = code;
    if (TestEventReportBit(code))
        DispatchEvent(MakeUIMouseEvent(this, code, point));
}

void GxTaskUISliderIs::ReportChange(const GxVector2& point)
{
    ReportMouse(kUIEventValueChanged, point);
    if (m_LinkedWidget)
        m_LinkedWidget->SetValueInt(GetValueRounded());
}

void GxTaskUISliderIs::BeginPress(const GxVector2& point)
{
    m_DragState.m_Pressed = true;
    m_DragState.m_Start[0] = point.x;   // the press point
    m_DragState.m_Start[1] = point.y;
    m_DragState.m_Start[2] = point.x;   // the drag origin
    m_DragState.m_Start[3] = point.y;
    m_DragState.m_Values[2] = m_UpdateCount;
    m_DragStartValue = m_Value;
}

int GxTaskUISliderIs::OnMouseMove(const GxVector2* point, std::uint32_t)
{
    if (!IsUIInputOpen(this))
        return 0;
    const GxVector3 position = GetAbsolutePosition();
    if (m_DragState.m_Pressed) {
        const float origin = m_Axis == Axis::kHorizontal ? m_DragState.m_Start[2] : m_DragState.m_Start[3];
        StoreClamped(m_DragStartValue + PixelsToValueDelta(static_cast<double>(Along(*point)) - origin));
        Along(m_ThumbTarget) = static_cast<float>(ValueToPosition(m_Value));
        m_ThumbDrawn = m_ThumbTarget;
        GxSceneGeneration::Touch();
        // Every move of a drag reports, changed or not.
        ReportChange(*point);
    } else if (m_HoverCount == 0 && HitTestClient(&position.x, point->x, point->y)) {
        m_HoverCount = 1;
        GxSceneGeneration::Touch();
        ReportMouse(kUIEventEnter, *point);
    }
    return m_MouseMoveBlockFlag && HitTestClient(&position.x, point->x, point->y) ? 1 : 0;
}

int GxTaskUISliderIs::OnMouseLeftDown(const GxVector2* point, std::uint32_t, std::int32_t)
{
    if (!IsUIInputOpen(this))
        return 0;
    const GxVector3 position = GetAbsolutePosition();
    if (!HitTestClient(&position.x, point->x, point->y))
        return 0;
    if (HitTestThumb(&position.x, point->x, point->y)) {
        BeginPress(*point);
    } else {
        const double start = m_Axis == Axis::kHorizontal ? position.x + static_cast<float>(m_ClientLeft)
                                                         : position.y + static_cast<float>(m_ClientTop);
        StoreClamped(PositionToValue(static_cast<double>(Along(*point)) - start));
        // The target jumps to whole pixels; the drawn thumb glides after it.
        Along(m_ThumbTarget) = std::trunc(static_cast<float>(ValueToPosition(m_Value)));
        m_GlideCounter = kSliderGlideFrames;
        BeginPress(*point);
        ReportChange(*point);
    }
    GxSceneGeneration::Touch();
    return m_EventBlockFlag ? 1 : 0;
}

int GxTaskUISliderIs::OnMouseLeftUp(const GxVector2*, std::uint32_t)
{
    if (m_DragState.m_Pressed)
        GxSceneGeneration::Touch();
    m_DragState.m_Pressed = false;
    return 0;
}

// ---- frame ---------------------------------------------------------------------------------

int GxTaskUISliderIs::Update(std::int32_t step, std::uint64_t elapsed)
{
    GxTaskUIBase::Update(step, elapsed);
    const GxVector2 cursor = GetUICursor(this);
    const GxVector3 position = GetAbsolutePosition();
    const bool open = IsUIInputOpen(this);
    if (m_HoverCount != 0 && !m_DragState.m_Pressed && !HitTestClient(&position.x, cursor.x, cursor.y)) {
        m_HoverCount = 0;
        m_EventState = kUIEventLeave;
        GxSceneGeneration::Touch();
        if (open && TestEventReportBit(kUIEventLeave))
            DispatchEvent(MakeUIMouseEvent(this, kUIEventLeave, cursor));
    }
    if (m_GlideCounter != 0) {
        const float t = static_cast<float>(m_GlideCounter) / static_cast<float>(kSliderGlideFrames);
        m_ThumbDrawn = GxEasePower(m_ThumbTarget, m_ThumbDrawn, t, kGlideEase);
        m_ThumbDrawn.w = 0.0f;
        --m_GlideCounter;
        GxSceneGeneration::Touch();
    } else {
        m_ThumbDrawn = m_ThumbTarget;
    }
    std::int32_t state = 0;
    if (open)
        state = m_DragState.m_Pressed ? 1 : m_HoverCount != 0 ? 2 : 0;
    if (state != m_DrawState) {
        m_DrawState = state;
        GxSceneGeneration::Touch();
    }
    UpdateAutoHelp(elapsed, &cursor.x);
    ++m_UpdateCount;
    return 0;
}

int GxTaskUISliderIs::Draw(std::int32_t, std::int32_t)
{
    if (!IsUIWidgetDrawn(this))
        return 0;
    const GxVector3 position = GetAbsolutePosition();
    GxVector3 offset;
    if (m_Axis == Axis::kHorizontal) {
        offset.x = std::trunc(static_cast<float>(m_ClientLeft) + m_ThumbDrawn.x - static_cast<float>(m_ThumbWidth / 2));
        offset.y = static_cast<float>(m_ClientHeight / 2 - m_ThumbHeight / 2 + m_ClientTop);
    } else {
        offset.x = static_cast<float>(m_ClientWidth / 2 - m_ThumbWidth / 2 + m_ClientLeft);
        offset.y = std::trunc(static_cast<float>(m_ClientTop) + m_ThumbDrawn.y - static_cast<float>(m_ThumbHeight / 2));
    }
    offset.z = m_ThumbDrawn.z;
    const GxMatrix track = MakeUITransform(*this, position, m_VisualParam.m_CenterPos);
    const GxMatrix thumb = MakeUITransform(
        *this, GxVector3(position.x + offset.x, position.y + offset.y, position.z + offset.z), GxVector3());

    const GxNcOriginImage* trackCell = m_Cells[kTrackDisabled];
    const GxNcOriginImage* thumbCell = m_Cells[kThumbDisabled];
    if (IsEnabled() && m_Min < m_Max) {
        trackCell = m_Cells[kTrack];
        const std::int32_t state = std::clamp(m_DrawState, 0, 2);
        thumbCell = m_Cells[state] ? m_Cells[state] : m_Cells[kThumbNormal];
    }
    GxWidgetGraphicsBase* graphics = GetWidgetGraphics();
    graphics->BeginSceneNested();
    graphics->ResetRenderStates();
    graphics->SetTextureFilter(1);   // point sampling
    const float alpha = std::clamp(static_cast<float>(GetAlpha()) / 255.0f, 0.0f, 1.0f);
    DrawUICell(*this, trackCell, m_PatternIndex, track, alpha);
    DrawUICell(*this, thumbCell, m_PatternIndex, thumb, alpha);
    graphics->EndSceneNested();
    return 0;
}

// ---- state and images ----------------------------------------------------------------------

void GxTaskUISliderIs::ResetEventState()
{
    GxTaskUIBase::ResetEventState();
    m_DragState.Reset();
    m_GlideCounter = 0;
    m_DragStartValue = m_Value;
    m_ThumbDrawn = m_ThumbTarget;
    GxSceneGeneration::Touch();
}

void GxTaskUISliderIs::ApplyModuleRecord(const DBUIModuleRow* row)
{
    if (!row)
        return;
    GxTaskUIBase::ApplyModuleRecord(row);
    m_ImageSetName = UIImageSetFileOf(this, *row);
    m_ImageName = row->m_ImageName;
}

bool GxTaskUISliderIs::SetImageName(const char16_t* path)
{
    SplitUIImagePath(path ? path : u"", &m_ImageSetName, &m_ImageName);
    return true;
}

bool GxTaskUISliderIs::LoadImages()
{
    GxNcCrammedImageSet* imageSet = FindUIImageSet(m_ImageSetName);
    if (!imageSet) {
        LogPrint(u"%s/ImageSet wasn't Loaded:%s [%s]\n", ClassName(), m_ImageSetName.c_str(), GetTaskPath().c_str());
        return false;
    }
    GxSceneGeneration::Touch();
    for (std::int32_t cell = 0; cell < kCellCount; ++cell)
        m_Cells[cell] = FindUICell(imageSet, m_ImageName + kSliderSuffixes[cell]);
    if (!m_Cells[kThumbNormal]) {
        LogPrint(u"%s/Image not found:%s [%s]\n", ClassName(), (m_ImageName + kSliderSuffixes[kThumbNormal]).c_str(),
                 GetTaskPath().c_str());
        return false;
    }
    if (!m_Cells[kThumbPressed])
        m_Cells[kThumbPressed] = m_Cells[kThumbHover];
    if (!m_Cells[kThumbDisabled])
        m_Cells[kThumbDisabled] = m_Cells[kThumbNormal];
    if (!m_Cells[kTrackDisabled])
        m_Cells[kTrackDisabled] = m_Cells[kTrack];

    TakeUICellSize(this, m_Cells[kTrack]);
    m_ThumbWidth = 0;
    m_ThumbHeight = 0;
    GetUICellSize(m_Cells[kThumbNormal], &m_ThumbWidth, &m_ThumbHeight);
    // Without a client rectangle the track runs inside the margins, or half a thumb short of the
    // widget's far end when there is no margin on its axis.
    if (m_Axis == Axis::kHorizontal) {
        if (m_ClientWidth == 0)
            m_ClientWidth = m_ClientLeft != 0 ? m_Width - 2 * m_ClientLeft : m_Width - m_ThumbWidth / 2;
        if (m_ClientHeight == 0)
            m_ClientHeight = m_Height - 2 * m_ClientTop;
    } else {
        if (m_ClientWidth == 0)
            m_ClientWidth = m_Width - 2 * m_ClientLeft;
        if (m_ClientHeight == 0)
            m_ClientHeight = m_ClientTop != 0 ? m_Height - 2 * m_ClientTop : m_Height - m_ThumbHeight / 2;
    }
    // A track of no length cannot map a pointer to a value: clicks and drags leave it alone.
    if (GetTrackLength() <= 0 && m_Min != m_Max)
        LogPrint(u"%s/No track to slide on:%s [%s]\n", ClassName(), m_ImageName.c_str(), GetTaskPath().c_str());
    m_ThumbTarget = GxVector4();
    Along(m_ThumbTarget) = static_cast<float>(ValueToPosition(m_Value));
    m_ThumbDrawn = m_ThumbTarget;
    return true;
}

void GxTaskUISliderIs::ReleaseImages()
{
    std::fill(std::begin(m_Cells), std::end(m_Cells), nullptr);
    GxSceneGeneration::Touch();
}
