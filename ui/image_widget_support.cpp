#include "ui/image_widget_support.h"

#include "core/core.h"
#include "core/core_config.h"
#include "core/seq_base.h"
#include "core/task_actor.h"
#include "core/task_manage.h"
#include "data/db_uimodule.h"
#include "data/system_config.h"
#include "foundation/content.h"
#include "foundation/file.h"
#include "motion/crammed_image_set.h"
#include "motion/image_set_pool.h"
#include "ui/task_ui_base.h"
#include "ui/ui_panel.h"
#include "ui/widget_graphics.h"

namespace {

GxCore* CoreOf(const GxTaskBase* task)
{
    return task && task->GetManage() ? task->GetManage()->GetCore() : nullptr;
}

}  // namespace

bool IsUIInputOpen(GxTaskUIBase* widget)
{
    GxSeqBase* sequence = widget ? widget->GetSequence() : nullptr;
    return sequence && sequence->IsWidgetInputAllowed(widget, 0);
}

bool IsUIWidgetDrawn(GxTaskUIBase* widget)
{
    GxSeqBase* sequence = widget ? widget->GetSequence() : nullptr;
    return sequence && sequence->IsWidgetActive(widget);
}

GxVector2 GetUICursor(const GxTaskBase* task)
{
    GxCore* core = CoreOf(task);
    if (!core)
        return GxVector2(0.0f, 0.0f);
    const POINT cursor = core->GetCursorClientPos();
    return GxVector2(static_cast<float>(cursor.x), static_cast<float>(cursor.y));
}

const GxCoreConfig& GetUIConfig(const GxTaskBase* task)
{
    static const GxCoreConfig kBuiltIn;
    const GxCore* core = CoreOf(task);
    return core ? core->GetConfig() : kBuiltIn;
}

GxUIEventParam MakeUIMouseEvent(GxTaskUIBase* sender, std::int32_t code, const GxVector2& pointer)
{
    GxUIEventParam event;
    event.m_Sender = sender;
    event.m_Code = code;
    event.m_Vector[0] = GxVector3(pointer.x, pointer.y, 0.0f);
    event.m_Vector[1] = sender->GetAbsolutePosition();
    return event;
}

std::u16string UIImageSetFileOf(const GxTaskBase* task, const DBUIModuleRow& row)
{
    return GetUIConfig(task).m_UIImageSetFolder + row.m_ImageSetName + u".gis";
}

void SplitUIImagePath(const std::u16string& path, std::u16string* imageSetName, std::u16string* imageName)
{
    *imageSetName = RemoveTrailingSeparator(GetFolderFromPath(path)) + u".gis";
    *imageName = GetFileNameFromPath(path);
}

GxNcCrammedImageSet* FindUIImageSet(const std::u16string& name)
{
    return GetImageSetPool().GetImageSet(name);
}

GxNcOriginImage* FindUICell(GxNcCrammedImageSet* imageSet, const std::u16string& name)
{
    return imageSet ? imageSet->FindOriginImage(name) : nullptr;
}

bool GetUICellSize(const GxNcOriginImage* cell, std::int32_t* width, std::int32_t* height)
{
    if (!cell || cell->m_PatternArray.empty())
        return false;
    *width = cell->m_PatternArray[0].m_Width;
    *height = cell->m_PatternArray[0].m_Height;
    return true;
}

bool TakeUICellSize(GxTaskUIBase* widget, const GxNcOriginImage* cell)
{
    std::int32_t width = 0, height = 0;
    if (!GetUICellSize(cell, &width, &height))
        return false;
    if (widget->m_Width == 0)
        widget->m_Width = width;
    if (widget->m_Height == 0)
        widget->m_Height = height;
    return true;
}

GxMatrix MakeUITransform(const GxTaskActor& actor, const GxVector3& position, const GxVector3& pivot)
{
    const GxActorVisualParam& visual = actor.m_VisualParam;
    const GxVector3 rotation(visual.m_Rot.x * kUIDegreesToRadians, visual.m_Rot.y * kUIDegreesToRadians,
                             visual.m_Rot.z * kUIDegreesToRadians);
    GxMatrix transform;
    transform.BuildTransformXYZ(position, rotation, visual.m_Scale, pivot);
    return transform;
}

void DrawUICell(const GxTaskActor& actor, const GxNcOriginImage* cell, std::int32_t index, const GxMatrix& transform,
                float alpha)
{
    if (!cell || index < 0 || static_cast<std::size_t>(index) >= cell->m_PatternArray.size())
        return;
    const GxActorVisualParam& visual = actor.m_VisualParam;
    GetWidgetGraphics()->DrawImagePattern(cell, index, transform, alpha, visual.m_Color0, visual.m_Color1,
                                          visual.m_BlendMode);
}

namespace {

const GxSystemConfig& SystemConfigOf(const GxTaskBase* task)
{
    static const GxSystemConfig kBuiltIn;
    const GxCore* core = CoreOf(task);
    return core && core->m_SystemConfig ? *core->m_SystemConfig : kBuiltIn;
}

}  // namespace

char16_t GetUILineBreakChar(const GxTaskBase* task)
{
    return SystemConfigOf(task).m_LineBreakChar;
}

std::uint32_t GetUISystemEdgeColor(const GxTaskBase* task)
{
    return SystemConfigOf(task).m_SystemEdgeColor;
}

bool ReadUIField(GxContentReaderBase& reader, const char* name, bool& field)
{
    bool value = field;
    if (!reader.ReadBool(name, &value))
        return false;
    field = value;
    return true;
}

bool ReadUIField(GxContentReaderBase& reader, const char* name, std::int32_t& field)
{
    std::int32_t value = field;
    if (!reader.ReadS32(name, &value))
        return false;
    field = value;
    return true;
}

bool ReadUIExtent(GxContentReaderBase& reader, const char* name, std::int32_t& field)
{
    if (!ReadUIField(reader, name, field))
        return false;
    field = HoldUIExtent(field);
    return true;
}

bool ReadUIField(GxContentReaderBase& reader, const char* name, std::uint32_t& field)
{
    std::uint32_t value = field;
    if (!reader.ReadU32(name, &value))
        return false;
    field = value;
    return true;
}

bool ReadUIField(GxContentReaderBase& reader, const char* name, double& field)
{
    double value = field;
    if (!reader.ReadF64(name, &value))
        return false;
    field = value;
    return true;
}

bool ReadUIField(GxContentReaderBase& reader, const char* name, std::u16string& field)
{
    const std::int32_t errors = reader.GetErrorCount();
    std::u16string value = reader.ReadWString(name);
    if (reader.GetErrorCount() != errors)
        return false;
    field = std::move(value);
    return true;
}
