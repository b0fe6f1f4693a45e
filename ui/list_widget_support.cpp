#include "ui/list_widget_support.h"

#include "core/core.h"
#include "core/seq_base.h"
#include "core/task_manage.h"
#include "data/system_config.h"
#include "foundation/content.h"
#include "foundation/file.h"
#include "foundation/log.h"
#include "graphics/system_fonts.h"
#include "ui/task_ui_base.h"

namespace {

GxCore* CoreOf(const GxTaskUIBase* widget)
{
    GxTaskManage* manage = widget ? widget->GetManage() : nullptr;
    GxCore* core = manage ? manage->GetCore() : nullptr;
    return core ? core : GxCore::GetInstance();
}

}  // namespace

bool WidgetTakesInput(GxTaskUIBase* widget)
{
    GxSeqBase* sequence = widget ? widget->GetSequence() : nullptr;
    return sequence && sequence->IsWidgetInputAllowed(widget, 0);
}

bool WidgetIsShown(GxTaskUIBase* widget)
{
    GxSeqBase* sequence = widget ? widget->GetSequence() : nullptr;
    return sequence && sequence->IsWidgetActive(widget);
}

GxGDIFontMap* WidgetFontMap(std::int32_t index)
{
    return GetSystemFontMap(index);
}

GxFontData* WidgetBitmapFont(std::int32_t index)
{
    return GetSystemBitmapFont(index);
}

bool IsWidgetFontIndex(std::int32_t index, const char16_t* who)
{
    if (index >= 0 && index < kSystemFontMapCount)
        return true;
    LogPrint(u"%s/font index out of range:%d\n", who, index);
    return false;
}

std::int32_t WidgetFontSize(const GxTaskUIBase* widget, std::int32_t index)
{
    GxCore* core = CoreOf(widget);
    if (!core || index < 0 || index >= kCoreConfigFontSizeCount)
        return 0;
    return core->GetConfig().m_FontSize[index];
}

std::uint32_t WidgetSystemEdgeColor(const GxTaskUIBase* widget)
{
    GxCore* core = CoreOf(widget);
    if (core && core->m_SystemConfig)
        return core->m_SystemConfig->m_SystemEdgeColor;
    return GxSystemConfig().m_SystemEdgeColor;
}

std::u16string WidgetImageSetFolder(const GxTaskUIBase* widget)
{
    GxCore* core = CoreOf(widget);
    return core ? core->GetConfig().m_UIImageSetFolder : std::u16string(u"uigis/");
}

void SplitImageSetPath(const std::u16string& path, std::u16string& setName, std::u16string& cellName)
{
    setName = RemoveTrailingSeparator(GetFolderFromPath(path)) + u".gis";
    cellName = GetFileNameFromPath(path);
}

bool ReadStateS32(GxContentReaderBase& reader, const char* name, std::int32_t& field)
{
    std::int32_t value = field;
    if (!reader.ReadS32(name, &value))
        return false;
    field = value;
    return true;
}

bool ReadStateU32(GxContentReaderBase& reader, const char* name, std::uint32_t& field)
{
    std::uint32_t value = field;
    if (!reader.ReadU32(name, &value))
        return false;
    field = value;
    return true;
}

bool ReadStateBool(GxContentReaderBase& reader, const char* name, bool& field)
{
    bool value = field;
    if (!reader.ReadBool(name, &value))
        return false;
    field = value;
    return true;
}
