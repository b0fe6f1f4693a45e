#include "ui/task_ui_base.h"

#include "core/core.h"
#include "core/scene_generation.h"
#include "core/seq_base.h"
#include "core/task_manage.h"
#include "core/task_render_manage.h"
#include "data/db_uilayout.h"
#include "data/db_uimodule.h"
#include "foundation/content.h"
#include "ui/help_tip.h"
#include "ui/image_widget_support.h"

#include <algorithm>
#include <cmath>
#include <limits>

void GxUIDragState::Reset()
{
    m_Pressed = false;
    std::fill(std::begin(m_Start), std::end(m_Start), -1.0f);
    std::fill(std::begin(m_Offset), std::end(m_Offset), 0.0f);
    std::fill(std::begin(m_Values), std::end(m_Values), 0);
}

double ClampToUIRange(double value, double min, double max)
{
    if (std::isnan(value))
        return min;
    if (value < min)
        return min;
    if (value > max)
        return max;
    return value;
}

std::int32_t HoldUIExtent(std::int32_t value)
{
    return std::clamp(value, -kUIMaxExtent, kUIMaxExtent);
}

float HoldUIExtent(float value)
{
    constexpr float kMax = static_cast<float>(kUIMaxExtent);
    return std::isnan(value) ? 0.0f : std::clamp(value, -kMax, kMax);
}

GxVector3 HoldUIExtent(const GxVector3& value)
{
    GxVector3 held = value;
    held.x = HoldUIExtent(value.x);
    held.y = HoldUIExtent(value.y);
    held.z = HoldUIExtent(value.z);
    return held;
}

std::int32_t UIPixel(float value)
{
    return static_cast<std::int32_t>(std::trunc(HoldUIExtent(value)));
}

std::uint32_t PackUIColor(double alpha, std::uint32_t rgb)
{
    const double held = std::clamp(std::isnan(alpha) ? 0.0 : alpha, 0.0, 255.0);
    return (static_cast<std::uint32_t>(held) << 24) | (rgb & 0xFFFFFFu);
}

GxTaskUIBase::GxTaskUIBase(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                           std::int32_t localIndex)
    : GxTaskActor(parent, name, localName, localIndex)
{
    m_KindFlags |= kKindWidget;
}

GxTaskUIBase::~GxTaskUIBase() = default;

// ---- lifecycle and frame -------------------------------------------------------------------

void GxTaskUIBase::OnSequenceEnter(std::int32_t)
{
    LoadImages();
    ResetEventState();
}

void GxTaskUIBase::OnSequenceLeave(std::int32_t)
{
    ClearUIEvents();
    if (m_AutoReleaseImageFlag)
        ReleaseImages();
}

int GxTaskUIBase::Update(std::int32_t, std::uint64_t elapsed)
{
    const bool idleBefore = IsActionListEmpty();
    if (IsActionAnimating())
        GxSceneGeneration::Touch();
    const std::int64_t ms = static_cast<std::int64_t>(elapsed) / 1000;
    UpdateActions(static_cast<std::int32_t>(std::clamp<std::int64_t>(ms, INT32_MIN, INT32_MAX)));
    NoteVisualChange();
    if (!idleBefore && IsActionListEmpty()) {
        GxSeqBase* sequence = GetSequence();
        if (sequence && sequence->IsWidgetInputAllowed(this, kUIActionsEndedGateSkip) &&
            TestEventReportBit(kUIEventActionsEnded)) {
            GxUIEventParam event;
            event.m_Sender = this;
            event.m_Code = kUIEventActionsEnded;
            DispatchEvent(event);
        }
    }
    return 0;
}

int GxTaskUIBase::Render(std::int32_t, std::uint64_t)
{
    NoteVisualChange();
    GxCore* core = m_Manage ? m_Manage->GetCore() : nullptr;
    GxTaskRenderManage* list =
        core ? core->GetRenderList(IsTopMostInTree() ? kUIRenderListTopMost : kUIRenderList) : nullptr;
    if (list)
        list->Add(kRenderModeAscending, this, GetOrderZ(), 0);
    return 0;
}

void GxTaskUIBase::Hide()
{
    GxTaskActor::Hide();
    ResetEventState();
}

void GxTaskUIBase::Show()
{
    GxTaskActor::Show();
    ResetEventState();
}

void GxTaskUIBase::ResetEventState()
{
    if (m_EventState != 0 || m_HoverCount != 0)
        GxSceneGeneration::Touch();   // hover and press looks end
    m_EventState = 0;
    m_HoverCount = 0;
    m_HelpCounter = 0;
}

void GxTaskUIBase::ApplyModuleRecord(const DBUIModuleRow* row)
{
    if (!row)
        return;
    m_ModuleID = row->m_ID;
    m_Width = row->m_Width;
    m_Height = row->m_Height;
    m_ClientLeft = row->m_ClientLeft;
    m_ClientTop = row->m_ClientTop;
    m_ClientWidth = row->m_ClientWidth;
    m_ClientHeight = row->m_ClientHeight;
    m_ShapeType = row->m_ShapeType;
    m_AnimeSpeed = row->m_AnimeSpeed;
    GxSceneGeneration::Touch();
}

void GxTaskUIBase::ApplyLayoutRecord(const DBUILayoutRow* row)
{
    if (!row)
        return;
    m_VisualParam.m_Visible = row->m_Visible != 0;
    m_Enabled = row->m_Enabled != 0;
    SetMax(row->m_Max);
    SetMin(row->m_Min);
    SetValueInt(row->m_Value);
    m_GroupID = row->m_GroupID;
    SetText(row->m_Text.c_str());
    m_Label = row->m_Label;
    m_SystemSoundID = row->m_SystemSoundID;
    m_AutoHelpTime = row->m_AutoHelpTime;
    m_Descript = row->m_Descript;
    m_VisualParam.m_Pos.x = row->m_Left;
    m_VisualParam.m_Pos.y = row->m_Top;
    m_VisualParam.m_OrderZ = row->m_OrderZ;
    GxSceneGeneration::Touch();
}

// ---- value, texts, sizes -------------------------------------------------------------------

namespace {

// Truncation toward zero, held inside the 32-bit range: values come from saved games unchecked.
std::int32_t Truncate(double value)
{
    if (std::isnan(value))
        return 0;
    return static_cast<std::int32_t>(std::clamp(std::trunc(value), -2147483648.0, 2147483647.0));
}

}  // namespace

void GxTaskUIBase::SetValueBool(bool value)
{
    SetValueDirect(value ? 1.0 : 0.0);
}

void GxTaskUIBase::SetValueInt(std::int32_t value)
{
    SetValueDirect(static_cast<double>(value));
}

void GxTaskUIBase::SetValue(double value)
{
    SetValueDirect(value);
}

void GxTaskUIBase::SetValueDirect(double value)
{
    if (m_Value != value)
        GxSceneGeneration::Touch();
    m_Value = value;
}

void GxTaskUIBase::SetValueInRange(double value)
{
    SetValueDirect(ClampToUIRange(value, m_Min, m_Max));
}

std::int32_t GxTaskUIBase::GetValueInt() const
{
    return Truncate(m_Value);
}

std::int32_t GxTaskUIBase::GetValueRounded() const
{
    const auto truncate = Truncate;
    if (m_Max > 0.0 && m_Min >= 0.0)
        return std::min(truncate(m_Value + 0.5), truncate(m_Max));
    if (m_Max < 0.0 && m_Min <= 0.0)
        return std::max(truncate(m_Value - 0.5), truncate(m_Min));
    return truncate(m_Value);
}

void GxTaskUIBase::SetWidth(std::int32_t width)
{
    m_Width = width;
    GxSceneGeneration::Touch();
}

void GxTaskUIBase::SetHeight(std::int32_t height)
{
    m_Height = height;
    GxSceneGeneration::Touch();
}

void GxTaskUIBase::SetClientRect(std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height)
{
    m_ClientLeft = left;
    m_ClientTop = top;
    m_ClientWidth = width;
    m_ClientHeight = height;
    GxSceneGeneration::Touch();
}

void GxTaskUIBase::SetText(const char16_t* text)
{
    m_Text = text ? text : u"";
    GxSceneGeneration::Touch();
}

void GxTaskUIBase::SetLabel(const char16_t* text)
{
    m_Label = text ? text : u"";
    GxSceneGeneration::Touch();
}

void GxTaskUIBase::SetDescript(const char16_t* text)
{
    m_Descript = text ? text : u"";
}

// ---- flags ---------------------------------------------------------------------------------

void GxTaskUIBase::SetEventReportBit(std::int32_t bit)
{
    if (bit >= 0 && bit < 32)
        m_EventReportFlags |= 1u << bit;
}

void GxTaskUIBase::ClearEventReportBit(std::int32_t bit)
{
    if (bit >= 0 && bit < 32)
        m_EventReportFlags &= ~(1u << bit);
}

bool GxTaskUIBase::TestEventReportBit(std::int32_t bit) const
{
    return bit >= 0 && bit < 32 && (m_EventReportFlags & (1u << bit)) != 0;
}

void GxTaskUIBase::SetImageAlpha(std::int32_t alpha)
{
    m_ImageAlpha = alpha;
    GxSceneGeneration::Touch();
}

void GxTaskUIBase::CenterX(std::int32_t offset)
{
    const std::int32_t width = m_Parent && (m_Parent->m_KindFlags & kKindActor)
                                   ? static_cast<const GxTaskActor*>(m_Parent)->GetWidth()
                                   : kUIScreenWidth;
    m_VisualParam.m_Pos.x = static_cast<float>((width - GetWidth()) / 2 + offset);
}

void GxTaskUIBase::CenterY(std::int32_t offset)
{
    const std::int32_t height = m_Parent && (m_Parent->m_KindFlags & kKindActor)
                                    ? static_cast<const GxTaskActor*>(m_Parent)->GetHeight()
                                    : kUIScreenHeight;
    m_VisualParam.m_Pos.y = static_cast<float>((height - GetHeight()) / 2 + offset);
}

// ---- tree tests and lock -------------------------------------------------------------------

const GxTaskUIBase* GxTaskUIBase::WidgetParentOf(const GxTaskUIBase* task)
{
    const GxTaskBase* parent = task->GetParent();
    return parent && (parent->m_KindFlags & kKindWidget) ? static_cast<const GxTaskUIBase*>(parent) : nullptr;
}

void GxTaskUIBase::TouchDrawnArea() const
{
    TouchDrawnBand(0, m_Height);
}

void GxTaskUIBase::TouchDrawnBand(std::int32_t bandTop, std::int32_t bandBottom) const
{
    // Shadows, edges and rounding reach a little past the bounds.
    constexpr float kMargin = 8.0f;
    for (const GxTaskBase* task = this; task != nullptr && (task->m_KindFlags & kKindActor); task = task->GetParent()) {
        const GxActorVisualParam& visual = static_cast<const GxTaskActor*>(task)->m_VisualParam;
        if (visual.m_Scale.x != 1.0f || visual.m_Scale.y != 1.0f || visual.m_Rot.x != 0.0f || visual.m_Rot.y != 0.0f ||
            visual.m_Rot.z != 0.0f) {
            GxSceneGeneration::Touch();
            return;
        }
    }
    const GxVector3 at = GetWorldPos();
    const float left = std::floor(at.x - kMargin);
    const float top = std::floor(at.y + static_cast<float>(bandTop) - kMargin);
    const float right = std::ceil(at.x + static_cast<float>(m_Width) + kMargin);
    const float bottom = std::ceil(at.y + static_cast<float>(bandBottom) + kMargin);
    // Far off the screen or without a size: anywhere.
    if (!(left > -65536.0f && top > -65536.0f && right < 65536.0f && bottom < 65536.0f) || m_Width <= 0 || m_Height <= 0 ||
        bandBottom <= bandTop) {
        GxSceneGeneration::Touch();
        return;
    }
    GxSceneGeneration::TouchRect(GxSceneRect{static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
                                             static_cast<std::int32_t>(right), static_cast<std::int32_t>(bottom)});
}

bool GxTaskUIBase::IsVisibleInTree() const
{
    for (const GxTaskUIBase* w = this; w; w = WidgetParentOf(w))
        if (!w->IsVisible())
            return false;
    return true;
}

bool GxTaskUIBase::IsEnabledInTree() const
{
    for (const GxTaskUIBase* w = this; w; w = WidgetParentOf(w))
        if (!w->IsEnabled())
            return false;
    return true;
}

bool GxTaskUIBase::IsActionIdleInTree() const
{
    for (const GxTaskUIBase* w = this; w; w = WidgetParentOf(w))
        if (!w->IsActionListEmpty())
            return false;
    return true;
}

std::int32_t GxTaskUIBase::GetModalPriorityInTree() const
{
    std::int32_t priority = 0;
    for (const GxTaskUIBase* w = this; w; w = WidgetParentOf(w))
        if (w->m_ModalFlag)
            priority = std::max(priority, w->m_ModalPriority);
    return priority;
}

bool GxTaskUIBase::IsTopMostInTree() const
{
    for (const GxTaskUIBase* w = this; w; w = WidgetParentOf(w))
        if (w->m_TopMostFlag)
            return true;
    return false;
}

std::int32_t GxTaskUIBase::GetAlphaInTree() const
{
    double alpha = GetAlpha();
    for (const GxTaskUIBase* w = WidgetParentOf(this); w; w = WidgetParentOf(w))
        alpha = w->GetAlpha() * alpha / 255.0;
    return Truncate(alpha);
}

void GxTaskUIBase::IncLock()
{
    if (m_LockCount < std::numeric_limits<std::int32_t>::max())   // a saved count may be at the top
        ++m_LockCount;
}

void GxTaskUIBase::DecLock()
{
    if (m_LockCount >= 1)
        --m_LockCount;
}

bool GxTaskUIBase::IsLockedInTree() const
{
    for (const GxTaskUIBase* w = this; w; w = WidgetParentOf(w))
        if (w->m_LockCount > 0)
            return true;
    return false;
}

// ---- hit tests, help and events ------------------------------------------------------------

bool GxTaskUIBase::HitTestClient(const float* origin, float x, float y) const
{
    const float left = origin[0] + static_cast<float>(m_ClientLeft);
    const float top = origin[1] + static_cast<float>(m_ClientTop);
    return left <= x && x < left + static_cast<float>(m_ClientWidth) && top <= y &&
           y < top + static_cast<float>(m_ClientHeight);
}

bool GxTaskUIBase::HitTestBounds(const float* origin, float x, float y) const
{
    return origin[0] <= x && x < origin[0] + static_cast<float>(m_Width) && origin[1] <= y &&
           y < origin[1] + static_cast<float>(m_Height);
}

void GxTaskUIBase::UpdateAutoHelp(std::uint64_t elapsed, const float* pointer)
{
    if (m_HoverCount == 0 || m_AutoHelpTime == -1) {
        m_HelpCounter = 0;
        return;
    }
    const std::int64_t ms = static_cast<std::int64_t>(elapsed) / 1000;
    if (m_HelpCounter < m_AutoHelpTime && m_HelpCounter + ms >= m_AutoHelpTime) {
        const float place[4] = {pointer[0], pointer[1], 0.0f, 0.0f};
        ShowHelpTip(m_Manage, m_Descript.c_str(), place);
    }
    m_HelpCounter = static_cast<std::int32_t>(std::min<std::int64_t>(m_HelpCounter + ms, kAutoHelpCounterLimit));
}

bool GxTaskUIBase::ReportEvent(std::int32_t code)
{
    GxUIEventParam event;
    event.m_Sender = this;
    event.m_Code = code;
    return DispatchEvent(event);
}

bool GxTaskUIBase::DispatchEvent(const GxUIEventParam& event)
{
    GxTaskFolder* target = m_EventListener ? m_EventListener : GetSequence();
    if (!target || target->IsRemoved() || target->IsSuspended())
        return false;
    return target->PostUIEvent(this, &event);
}

std::uint32_t GxTaskUIBase::GetDrawColor(std::uint32_t rgb) const
{
    return PackUIColor(static_cast<double>(GetAlphaInTree()) * m_ImageAlpha / 255.0, rgb);
}

// ---- saved state ---------------------------------------------------------------------------

bool GxTaskUIBase::WriteState(GxContentWriterBase& writer)
{
    GxTaskActor::WriteState(writer);   // its result is not the widget's
    bool ok = true;
    ok = writer.WriteBool("m_Enabled", m_Enabled) && ok;
    ok = writer.WriteF64("m_Value", m_Value) && ok;
    ok = writer.WriteF64("m_Max", m_Max) && ok;
    ok = writer.WriteF64("m_Min", m_Min) && ok;
    ok = writer.WriteF64("m_Change", m_Change) && ok;
    ok = writer.WriteS32("m_GroupID", m_GroupID) && ok;
    ok = writer.WriteS32("m_ModuleID", m_ModuleID) && ok;
    ok = writer.WriteWString("m_Text", m_Text) && ok;
    ok = writer.WriteWString("m_Label", m_Label) && ok;
    ok = writer.WriteS32("m_SystemSoundID", m_SystemSoundID) && ok;
    ok = writer.WriteS32("m_AutoHelpTime", m_AutoHelpTime) && ok;
    ok = writer.WriteWString("m_Descript", m_Descript) && ok;
    ok = writer.WriteS32("m_Width", m_Width) && ok;
    ok = writer.WriteS32("m_Height", m_Height) && ok;
    ok = writer.WriteS32("m_ClientLeft", m_ClientLeft) && ok;
    ok = writer.WriteS32("m_ClientTop", m_ClientTop) && ok;
    ok = writer.WriteS32("m_ClientWidth", m_ClientWidth) && ok;
    ok = writer.WriteS32("m_ClientHeight", m_ClientHeight) && ok;
    ok = writer.WriteS32("m_ShapeType", m_ShapeType) && ok;
    ok = writer.WriteS32("m_AnimeSpeed", m_AnimeSpeed) && ok;
    ok = writer.WriteBool("m_ModalFlag", m_ModalFlag) && ok;
    ok = writer.WriteS32("m_ModalPriority", m_ModalPriority) && ok;
    ok = writer.WriteBool("m_TopMostFlag", m_TopMostFlag) && ok;
    ok = writer.WriteS32("m_ImageAlpha", m_ImageAlpha) && ok;
    ok = writer.WriteS32("m_EventState", m_EventState) && ok;
    ok = writer.WriteS32("m_HoverCount", m_HoverCount) && ok;
    ok = writer.WriteU32("m_EventReportFlags", m_EventReportFlags) && ok;
    ok = writer.WriteBool("m_EventBlockFlag", m_EventBlockFlag) && ok;
    ok = writer.WriteBool("m_MouseMoveBlockFlag", m_MouseMoveBlockFlag) && ok;
    ok = writer.WriteBool("m_AutoReleaseImageFlag", m_AutoReleaseImageFlag) && ok;
    ok = writer.WriteS32("m_LockCount", m_LockCount) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxTaskUIBase::ReadState(GxContentReaderBase& reader)
{
    GxTaskActor::ReadState(reader);   // the error count tells
    m_VisualParam.m_Pos = HoldUIExtent(m_VisualParam.m_Pos);
    ReadUIField(reader, "m_Enabled", m_Enabled);
    ReadUIField(reader, "m_Value", m_Value);
    ReadUIField(reader, "m_Max", m_Max);
    ReadUIField(reader, "m_Min", m_Min);
    ReadUIField(reader, "m_Change", m_Change);
    ReadUIField(reader, "m_GroupID", m_GroupID);
    ReadUIField(reader, "m_ModuleID", m_ModuleID);
    ReadUIField(reader, "m_Text", m_Text);
    ReadUIField(reader, "m_Label", m_Label);
    ReadUIField(reader, "m_SystemSoundID", m_SystemSoundID);
    ReadUIField(reader, "m_AutoHelpTime", m_AutoHelpTime);
    ReadUIField(reader, "m_Descript", m_Descript);
    ReadUIExtent(reader, "m_Width", m_Width);
    ReadUIExtent(reader, "m_Height", m_Height);
    ReadUIExtent(reader, "m_ClientLeft", m_ClientLeft);
    ReadUIExtent(reader, "m_ClientTop", m_ClientTop);
    ReadUIExtent(reader, "m_ClientWidth", m_ClientWidth);
    ReadUIExtent(reader, "m_ClientHeight", m_ClientHeight);
    ReadUIField(reader, "m_ShapeType", m_ShapeType);
    ReadUIField(reader, "m_AnimeSpeed", m_AnimeSpeed);
    ReadUIField(reader, "m_ModalFlag", m_ModalFlag);
    ReadUIField(reader, "m_ModalPriority", m_ModalPriority);
    ReadUIField(reader, "m_TopMostFlag", m_TopMostFlag);
    ReadUIField(reader, "m_ImageAlpha", m_ImageAlpha);
    ReadUIField(reader, "m_EventState", m_EventState);
    ReadUIField(reader, "m_HoverCount", m_HoverCount);
    ReadUIField(reader, "m_EventReportFlags", m_EventReportFlags);
    ReadUIField(reader, "m_EventBlockFlag", m_EventBlockFlag);
    ReadUIField(reader, "m_MouseMoveBlockFlag", m_MouseMoveBlockFlag);
    ReadUIField(reader, "m_AutoReleaseImageFlag", m_AutoReleaseImageFlag);
    ReadUIField(reader, "m_LockCount", m_LockCount);
    m_HelpCounter = 0;
    m_DragState.Reset();
    GxSceneGeneration::Touch();
    return reader.GetErrorCount() == 0;
}
