#include "ui/ui_hbar.h"

#include "core/scene_generation.h"
#include "data/db_uimodule.h"
#include "foundation/content.h"
#include "foundation/log.h"
#include "motion/crammed_image_set.h"
#include "ui/image_widget_support.h"
#include "ui/ui_panel.h"
#include "ui/ui_timer_button.h"
#include "ui/widget_graphics.h"

#include <algorithm>
#include <cmath>

namespace {

// The part of a running glide that has passed, as the drawing blends it (wide arithmetic: a
// saved state may hold any times).
float GlideProgress(std::int32_t total, std::int32_t left)
{
    return static_cast<float>(static_cast<std::int64_t>(total) - left) / static_cast<float>(total);
}

}  // namespace

GxTaskUIHBarIs::GxTaskUIHBarIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                               std::int32_t localIndex)
    : GxTaskUIBase(parent, name, localName, localIndex)
{
    m_TaskType = kUITypeHBar;
    m_EventBlockFlag = false;
}

GxTaskUIHBarIs::~GxTaskUIHBarIs() = default;

// ---- value and glide -----------------------------------------------------------------------

double GxTaskUIHBarIs::Clamped(double value) const
{
    return ClampToUIRange(value, m_Min, m_Max);
}

void GxTaskUIHBarIs::SetValue(double value)
{
    SetValueDirect(Clamped(value));
    FinishGlide();
}

void GxTaskUIHBarIs::SetMax(double max)
{
    m_Max = max;
    SetValueDirect(Clamped(m_Value));
    m_OldValue = Clamped(m_OldValue);
    GxSceneGeneration::Touch();
}

void GxTaskUIHBarIs::SetMin(double min)
{
    m_Min = min;
    SetValueDirect(Clamped(m_Value));
    m_OldValue = Clamped(m_OldValue);
    GxSceneGeneration::Touch();
}

void GxTaskUIHBarIs::SetValueGlide(double value, std::int32_t milliseconds)
{
    SetValueDirect(Clamped(value));
    if (IsGlideRunning()) {
        const float t = GlideProgress(m_ChangeTimeTotal, m_ChangeTimeLeft);
        m_OldValue = (1.0 - t) * m_OldValue + t * m_Value;
    }
    m_ChangeTimeLeft = milliseconds;
    m_ChangeTimeTotal = milliseconds;
    GxSceneGeneration::Touch();
}

void GxTaskUIHBarIs::FinishGlide()
{
    m_OldValue = m_Value;
    m_ChangeTimeLeft = 0;
    m_ChangeTimeTotal = 0;
    GxSceneGeneration::Touch();
}

double GxTaskUIHBarIs::GetShownValue() const
{
    if (!IsGlideRunning())
        return m_Value;
    const float t = GlideProgress(m_ChangeTimeTotal, m_ChangeTimeLeft);
    return (1.0 - t) * m_OldValue + t * m_Value;
}

std::int32_t GxTaskUIHBarIs::GetFilledWidth() const
{
    if (m_Max == m_Min)
        return 0;
    double fraction = (GetShownValue() - m_Min) / (m_Max - m_Min);
    // A saved state can hold a value outside its range; the fill stays within the bar.
    if (!(fraction > 0.0))
        return 0;
    if (fraction > 1.0)
        fraction = 1.0;
    return static_cast<std::int32_t>(fraction * static_cast<double>(m_ClientWidth));
}

std::int32_t GxTaskUIHBarIs::GetPatternCount() const
{
    return m_MiddleCell ? static_cast<std::int32_t>(m_MiddleCell->m_PatternArray.size()) : 0;
}

// ---- frame ---------------------------------------------------------------------------------

int GxTaskUIHBarIs::Update(std::int32_t step, std::uint64_t elapsed)
{
    GxTaskUIBase::Update(step, elapsed);
    bool running = false;
    if (m_ChangeTimeTotal != 0) {
        const std::int64_t left =
            static_cast<std::int64_t>(m_ChangeTimeLeft) - static_cast<std::int64_t>(elapsed / 1000u);
        if (left > 0) {
            m_ChangeTimeLeft = static_cast<std::int32_t>(left);
            running = true;
        }
        GxSceneGeneration::Touch();
    }
    if (!running) {
        m_ChangeTimeLeft = 0;
        m_ChangeTimeTotal = 0;
        m_OldValue = m_Value;
    }

    if (m_HoverCount != 0 && !m_DragState.m_Pressed) {
        const GxVector2 cursor = GetUICursor(this);
        const GxVector3 position = GetAbsolutePosition();
        const float origin[2] = {position.x, position.y};
        if (!HitTestBounds(origin, cursor.x, cursor.y)) {
            m_HoverCount = 0;
            m_EventState = kUIEventLeave;
            GxSceneGeneration::Touch();
            if (IsUIInputOpen(this) && TestEventReportBit(kUIEventLeave))
                DispatchEvent(MakeUIMouseEvent(this, kUIEventLeave, cursor));
        }
    }
    return 0;
}

int GxTaskUIHBarIs::Draw(std::int32_t, std::int32_t)
{
    if (!IsUIWidgetDrawn(this))
        return 0;
    GxWidgetGraphicsBase* graphics = GetWidgetGraphics();
    graphics->BeginSceneNested();
    graphics->ResetRenderStates();
    graphics->SetTextureFilter(1);   // point sampling
    const GxActorVisualParam& visual = m_VisualParam;
    const float alpha = std::clamp(static_cast<float>(visual.m_Alpha) / 255.0f, 0.0f, 1.0f);
    const GxVector3 position = GetAbsolutePosition();
    const GxMatrix transform = MakeUITransform(*this, position, visual.m_CenterPos);
    DrawUICell(*this, m_BackCell, m_PatternIndex, transform, alpha);

    // An index outside the middle cell's patterns draws no fill.
    if (m_MiddleCell && m_PatternIndex >= 0 &&
        static_cast<std::size_t>(m_PatternIndex) < m_MiddleCell->m_PatternArray.size()) {
        const GxNcPattern& pattern = m_MiddleCell->m_PatternArray[static_cast<std::size_t>(m_PatternIndex)];
        const GxVector3 at = FillOrigin(position, m_ClientLeft, m_ClientTop, pattern);
        const GxRect clip = FillClip(m_ClientLeft, m_ClientTop, GetFilledWidth(), m_ClientHeight);
        graphics->DrawImagePatternClipped(m_MiddleCell, m_PatternIndex, clip,
                                          MakeUITransform(*this, at, visual.m_CenterPos), alpha, visual.m_Color0,
                                          visual.m_Color1, visual.m_BlendMode);
    }

    DrawUICell(*this, m_TopCell, m_PatternIndex, transform, alpha);
    graphics->EndSceneNested();
    return 0;
}

// ---- input ---------------------------------------------------------------------------------

int GxTaskUIHBarIs::OnMouseMove(const GxVector2* point, std::uint32_t)
{
    return UIPanelMouseMove(this, point);
}

int GxTaskUIHBarIs::OnMouseLeftDown(const GxVector2* point, std::uint32_t, std::int32_t)
{
    return UIPanelLeftDown(this, point);
}

// ---- images --------------------------------------------------------------------------------

void GxTaskUIHBarIs::ApplyModuleRecord(const DBUIModuleRow* row)
{
    GxTaskUIBase::ApplyModuleRecord(row);
    if (!row)
        return;
    m_ImageSetName = UIImageSetFileOf(this, *row);
    m_ImageName = row->m_ImageName;
}

bool GxTaskUIHBarIs::SetImageName(const char16_t* path)
{
    SplitUIImagePath(path ? path : u"", &m_ImageSetName, &m_ImageName);
    return true;
}

bool GxTaskUIHBarIs::LoadImages()
{
    GxNcCrammedImageSet* set = FindUIImageSet(m_ImageSetName);
    if (!set) {
        LogPrint(u"GxTaskUIHBarIs/ImageSet wasn't Loaded:%s [%s]\n", m_ImageSetName.c_str(), GetTaskPath().c_str());
        return false;
    }
    GxSceneGeneration::Touch();
    m_TopCell = FindUICell(set, m_ImageName + u"_on.png");
    if (!m_TopCell)
        m_TopCell = FindUICell(set, m_ImageName + u"_off.png");
    m_MiddleCell = FindUICell(set, m_ImageName + u"_mid.png");
    m_BackCell = FindUICell(set, m_ImageName + u"_back.png");
    if (!m_MiddleCell) {
        LogPrint(u"GxTaskUIHBarIs/Image not found:%s [%s]\n", (m_ImageName + u"_mid.png").c_str(),
                 GetTaskPath().c_str());
        return false;
    }
    TakeUICellSize(this, m_MiddleCell);
    ApplyClientRectRule(this);
    return true;
}

void GxTaskUIHBarIs::ReleaseImages()
{
    m_TopCell = nullptr;
    m_MiddleCell = nullptr;
    m_BackCell = nullptr;
    GxSceneGeneration::Touch();
}

// ---- saved state ---------------------------------------------------------------------------

bool GxTaskUIHBarIs::WriteState(GxContentWriterBase& writer)
{
    GxTaskUIBase::WriteState(writer);
    writer.WriteWString("m_ImageName", m_ImageName);
    writer.WriteWString("m_ImageSetName", m_ImageSetName);
    writer.WriteS32("m_ImageIndex", m_ImageIndex);
    writer.WriteS32("m_PatternIndex", m_PatternIndex);
    writer.WriteF64("m_OldValue", m_OldValue);
    writer.WriteS32("m_ChangeTimeLeft", m_ChangeTimeLeft);
    writer.WriteS32("m_ChangeTimeTotal", m_ChangeTimeTotal);
    return writer.GetErrorCount() == 0;
}

bool GxTaskUIHBarIs::ReadState(GxContentReaderBase& reader)
{
    GxTaskUIBase::ReadState(reader);
    ReadUIField(reader, "m_ImageName", m_ImageName);
    ReadUIField(reader, "m_ImageSetName", m_ImageSetName);
    ReadUIField(reader, "m_ImageIndex", m_ImageIndex);
    ReadUIField(reader, "m_PatternIndex", m_PatternIndex);
    double old = m_OldValue;
    if (reader.ReadF64("m_OldValue", &old))
        m_OldValue = old;
    ReadUIField(reader, "m_ChangeTimeLeft", m_ChangeTimeLeft);
    ReadUIField(reader, "m_ChangeTimeTotal", m_ChangeTimeTotal);
    ReleaseImages();
    ResetEventState();
    return reader.GetErrorCount() == 0;
}
