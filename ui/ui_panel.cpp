#include "ui/ui_panel.h"

#include "core/core.h"
#include "core/scene_generation.h"
#include "core/seq_base.h"
#include "core/task_manage.h"
#include "data/db_uimodule.h"
#include "foundation/content.h"
#include "foundation/file.h"
#include "foundation/log.h"
#include "foundation/matrix.h"
#include "graphics/texture_factory.h"
#include "graphics/texture_flex.h"
#include "motion/crammed_image_set.h"
#include "motion/image_set_pool.h"
#include "ui/image_widget_support.h"
#include "ui/widget_graphics.h"

namespace {

constexpr std::int32_t kUIPointFilter = 1;

// The pointer in virtual-screen pixels, or (0, 0) without a core.
GxVector3 CursorOf(const GxTaskUIBase* widget)
{
    GxTaskManage* manage = widget->GetManage();
    GxCore* core = manage ? manage->GetCore() : nullptr;
    if (!core)
        return GxVector3(0.0f, 0.0f, 0.0f);
    const POINT point = core->GetCursorClientPos();
    return GxVector3(static_cast<float>(point.x), static_cast<float>(point.y), 0.0f);
}

bool InputAllowed(GxTaskUIBase* widget)
{
    GxSeqBase* sequence = widget->GetSequence();
    return sequence && sequence->IsWidgetInputAllowed(widget, 0);
}

bool IsDrawable(GxTaskUIBase* widget)
{
    GxSeqBase* sequence = widget->GetSequence();
    return sequence && sequence->IsWidgetActive(widget);
}

// The record of a panel event: the pointer, then the widget's absolute position.
bool Report(GxTaskUIBase* widget, std::int32_t code, const GxVector3& pointer, const GxVector3& origin)
{
    GxUIEventParam event;
    event.m_Sender = widget;
    event.m_Code = code;
    event.m_Vector[0] = pointer;
    event.m_Vector[1] = origin;
    return widget->DispatchEvent(event);
}

}  // namespace

int UIPanelUpdate(GxTaskUIBase* widget, std::int32_t step, std::uint64_t elapsed)
{
    widget->GxTaskUIBase::Update(step, elapsed);
    const GxVector3 pointer = CursorOf(widget);
    const GxVector3 origin = widget->GetAbsolutePosition();
    const float at[2] = {origin.x, origin.y};
    if (widget->m_HoverCount != 0 && !widget->m_DragState.m_Pressed &&
        !widget->HitTestBounds(at, pointer.x, pointer.y)) {
        widget->m_HoverCount = 0;
        widget->m_EventState = kUIEventLeave;
        GxSceneGeneration::Touch();
        if (InputAllowed(widget) && widget->TestEventReportBit(kUIEventLeave))
            Report(widget, kUIEventLeave, pointer, origin);
    }
    const float point[2] = {pointer.x, pointer.y};
    widget->UpdateAutoHelp(elapsed, point);
    return 0;
}

int UIPanelMouseMove(GxTaskUIBase* widget, const GxVector2* point)
{
    if (!point || !InputAllowed(widget))
        return 0;
    const GxVector3 origin = widget->GetAbsolutePosition();
    const float at[2] = {origin.x, origin.y};
    const bool inside = widget->HitTestBounds(at, point->x, point->y);
    if (widget->m_HoverCount == 0 && inside) {
        widget->m_HoverCount = 1;
        widget->m_EventState = kUIEventEnter;
        GxSceneGeneration::Touch();
        if (widget->TestEventReportBit(kUIEventEnter))
            Report(widget, kUIEventEnter, GxVector3(point->x, point->y, 0.0f), origin);
    }
    return widget->m_MouseMoveBlockFlag && inside ? 1 : 0;
}

int UIPanelLeftDown(GxTaskUIBase* widget, const GxVector2* point)
{
    if (!point || !InputAllowed(widget))
        return 0;
    const GxVector3 origin = widget->GetAbsolutePosition();
    const float at[2] = {origin.x, origin.y};
    if (!widget->HitTestBounds(at, point->x, point->y))
        return 0;
    widget->m_EventState = kUIEventClick;
    GxSceneGeneration::Touch();
    if (!widget->TestEventReportBit(kUIEventClick))
        return 0;
    Report(widget, kUIEventClick, GxVector3(point->x, point->y, 0.0f), origin);
    return widget->m_EventBlockFlag ? 1 : 0;
}

void ApplyClientRectRule(GxTaskUIBase* widget)
{
    if (widget->m_ClientWidth == 0)
        widget->m_ClientWidth = widget->m_Width - 2 * widget->m_ClientLeft;
    if (widget->m_ClientHeight == 0)
        widget->m_ClientHeight = widget->m_Height - 2 * widget->m_ClientTop;
}

// ---- GxTaskUIPanelFx -----------------------------------------------------------------------

GxTaskUIPanelFx::GxTaskUIPanelFx(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                 std::int32_t localIndex)
    : GxTaskUIBase(parent, name, localName, localIndex)
{
    m_MouseMoveBlockFlag = true;
    m_TaskType = kUITypePanelFx;
}

GxTaskUIPanelFx::~GxTaskUIPanelFx()
{
    GxTaskUIPanelFx::ReleaseImages();
}

void GxTaskUIPanelFx::ApplyModuleRecord(const DBUIModuleRow* row)
{
    GxTaskUIBase::ApplyModuleRecord(row);
    if (!row)
        return;
    m_ImagePath = row->m_ImageName.empty() ? std::u16string() : row->m_ImageSetName + row->m_ImageName + u".png";
}

bool GxTaskUIPanelFx::SetImageName(const char16_t* name)
{
    m_ImagePath = name ? name : u"";
    return true;
}

bool GxTaskUIPanelFx::LoadImages()
{
    bool loaded = false;
    if (!m_ImagePath.empty()) {
        // The factory logs an image it cannot load.
        GxTextureFlex* texture = GetTextureFlexFactory().Create(m_ImagePath, 1, 0, 0, D3DFMT_UNKNOWN);
        ReleaseImages();
        m_Texture = texture;
        if (m_Texture) {
            m_Width = static_cast<std::int32_t>(m_Texture->GetImageWidth());
            m_Height = static_cast<std::int32_t>(m_Texture->GetImageHeight());
            loaded = true;
        } else {
            m_Width = 0;
            m_Height = 0;
        }
    } else {
        ReleaseImages();
    }
    ApplyClientRectRule(this);
    GxSceneGeneration::Touch();
    return loaded;
}

void GxTaskUIPanelFx::ReleaseImages()
{
    if (!m_Texture)
        return;
    GetTextureFlexFactory().Release(m_Texture);
    m_Texture = nullptr;
}

int GxTaskUIPanelFx::Draw(std::int32_t, std::int32_t)
{
    if (!m_Texture || !IsDrawable(this))
        return 0;
    GxWidgetGraphicsBase* graphics = GetWidgetGraphics();
    graphics->BeginSceneNested();
    graphics->ResetRenderStates();
    graphics->SetTextureFilter(kUIPointFilter);
    const GxActorVisualParam& visual = m_VisualParam;
    const GxVector3 origin = GetAbsolutePosition();
    GxFColor color0 = visual.m_Color0;
    color0.a = color0.a * static_cast<float>(visual.m_Alpha) * static_cast<float>(m_ImageAlpha) / 255.0f / 255.0f;
    GxFColor color1 = visual.m_Color1;
    color1.a = color1.a * static_cast<float>(visual.m_Alpha) / 255.0f;
    const GxVector3 rotation(visual.m_Rot.x * kUIDegreesToRadians, visual.m_Rot.y * kUIDegreesToRadians,
                             visual.m_Rot.z * kUIDegreesToRadians);
    graphics->DrawFlexTexture(m_Texture, origin.x, origin.y, GxVector2(visual.m_Scale.x, visual.m_Scale.y), rotation,
                              GxVector2(visual.m_CenterPos.x, visual.m_CenterPos.y), ColorToArgb(color0),
                              ColorToArgb(color1), visual.m_BlendMode);
    graphics->EndSceneNested();
    return 0;
}

// ---- GxTaskUIPanelIs -----------------------------------------------------------------------

GxTaskUIPanelIs::GxTaskUIPanelIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                 std::int32_t localIndex)
    : GxTaskUIBase(parent, name, localName, localIndex)
{
    m_MouseMoveBlockFlag = true;
    m_TaskType = kUITypePanelIs;
}

GxTaskUIPanelIs::~GxTaskUIPanelIs() = default;

void GxTaskUIPanelIs::ApplyModuleRecord(const DBUIModuleRow* row)
{
    GxTaskUIBase::ApplyModuleRecord(row);
    if (!row)
        return;
    GxTaskManage* manage = GetManage();
    GxCore* core = manage ? manage->GetCore() : nullptr;
    const std::u16string folder = core ? core->GetConfig().m_UIImageSetFolder : GxCoreConfig().m_UIImageSetFolder;
    m_ImageSetName = folder + row->m_ImageSetName + u".gis";
    m_ImageName = row->m_ImageName;
}

bool GxTaskUIPanelIs::SetImageName(const char16_t* path)
{
    const std::u16string text = path ? path : u"";
    m_ImageSetName = RemoveTrailingSeparator(GetFolderFromPath(text)) + u".gis";
    m_ImageName = GetFileNameFromPath(text);
    return true;
}

bool GxTaskUIPanelIs::LoadImages()
{
    if (m_ImageName.empty()) {
        m_Cell = nullptr;
        m_Width = 0;
        m_Height = 0;
    } else {
        GxNcCrammedImageSet* set = GetImageSetPool().GetImageSet(m_ImageSetName);
        if (!set) {
            LogPrint(u"GxTaskUIPanelIs/ImageSet wasn't Loaded:%s [%s]\n", m_ImageSetName.c_str(),
                     GetTaskPath().c_str());
            return false;
        }
        m_Cell = set->FindOriginImage(m_ImageName + u".png");
        if (!m_Cell) {
            LogPrint(u"GxTaskUIPanelIs/Image not found:%s [%s]\n", m_ImageName.c_str(), GetTaskPath().c_str());
            return false;
        }
        TakeUICellSize(this, m_Cell);
    }
    ApplyClientRectRule(this);
    GxSceneGeneration::Touch();
    return true;
}

std::int32_t GxTaskUIPanelIs::GetPatternCount() const
{
    return m_Cell ? static_cast<std::int32_t>(m_Cell->m_PatternArray.size()) : 0;
}

int GxTaskUIPanelIs::Draw(std::int32_t, std::int32_t)
{
    if (!IsDrawable(this) || !m_Cell)
        return 0;
    const GxActorVisualParam& visual = m_VisualParam;
    const GxVector3 rotation(visual.m_Rot.x * kUIDegreesToRadians, visual.m_Rot.y * kUIDegreesToRadians,
                             visual.m_Rot.z * kUIDegreesToRadians);
    GxMatrix transform;
    transform.BuildTransformXYZ(GetAbsolutePosition(), rotation, visual.m_Scale, visual.m_CenterPos);
    GxWidgetGraphicsBase* graphics = GetWidgetGraphics();
    graphics->BeginSceneNested();
    graphics->ResetRenderStates();
    graphics->SetTextureFilter(kUIPointFilter);
    graphics->DrawImagePattern(m_Cell, m_PatternIndex, transform, static_cast<float>(visual.m_Alpha) / 255.0f,
                               visual.m_Color0, visual.m_Color1, visual.m_BlendMode);
    graphics->EndSceneNested();
    return 0;
}

bool GxTaskUIPanelIs::WriteState(GxContentWriterBase& writer)
{
    GxTaskUIBase::WriteState(writer);
    writer.WriteWString("m_ImageName", m_ImageName);
    writer.WriteWString("m_ImageSetName", m_ImageSetName);
    writer.WriteS32("m_PatternIndex", m_PatternIndex);
    return writer.GetErrorCount() == 0;
}

bool GxTaskUIPanelIs::ReadState(GxContentReaderBase& reader)
{
    GxTaskUIBase::ReadState(reader);
    std::int32_t errors = reader.GetErrorCount();
    std::u16string name = reader.ReadWString("m_ImageName");
    if (reader.GetErrorCount() == errors)
        m_ImageName = std::move(name);
    errors = reader.GetErrorCount();
    std::u16string set = reader.ReadWString("m_ImageSetName");
    if (reader.GetErrorCount() == errors)
        m_ImageSetName = std::move(set);
    std::int32_t index = m_PatternIndex;
    if (reader.ReadS32("m_PatternIndex", &index))
        m_PatternIndex = index;
    ReleaseImages();
    ResetEventState();
    return reader.GetErrorCount() == 0;
}
