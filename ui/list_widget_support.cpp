#include "ui/list_widget_support.h"

#include "core/core.h"
#include "core/scene_generation.h"
#include "core/seq_base.h"
#include "core/task_manage.h"
#include "data/system_config.h"
#include "foundation/content.h"
#include "foundation/file.h"
#include "foundation/log.h"
#include "graphics/system_fonts.h"
#include "ui/image_widget_support.h"
#include "ui/task_ui_base.h"
#include "ui/widget_graphics.h"

namespace {

GxCore* CoreOf(const GxTaskUIBase* widget)
{
    GxTaskManage* manage = widget ? widget->GetManage() : nullptr;
    GxCore* core = manage ? manage->GetCore() : nullptr;
    return core ? core : GxCore::GetInstance();
}

}  // namespace

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

bool IsWidgetListIndex(std::size_t size, std::int32_t index, const GxTaskUIBase* widget, const char16_t* who)
{
    if (index >= 0 && static_cast<std::size_t>(index) < size)
        return true;
    LogPrint(u"%s index out of range:%d [%s]\n", who, index, widget ? widget->GetTaskPath().c_str() : u"");
    return false;
}

GxWidgetGraphicsBase* BeginListWidgetDraw(GxTaskUIBase* widget)
{
    if (!IsUIWidgetDrawn(widget))
        return nullptr;
    GxWidgetGraphicsBase* g = GetWidgetGraphics();
    g->BeginSceneNested();
    g->ResetRenderStates();
    g->SetTextureFilter(1);   // point filtering
    return g;
}

void DrawOutlinedRowText(GxGDIFontMap* font, const std::u16string& text, float x, float y, std::uint32_t outline,
                         std::uint32_t first, std::uint32_t second, std::int32_t preset)
{
    static constexpr float kOffsets[4][2] = {{1.0f, 1.0f}, {-1.0f, 1.0f}, {1.0f, -1.0f}, {-1.0f, -1.0f}};
    if (!font || text.empty())
        return;
    GxWidgetGraphicsBase* g = GetWidgetGraphics();
    const GxVector2 unit(1.0f, 1.0f);
    for (const auto& offset : kOffsets)
        g->DrawFontMapText(font, text, x + offset[0], y + offset[1], unit, outline, 0, preset, u'\n');
    g->DrawFontMapText(font, text, x, y, unit, first, second, preset, u'\n');
}

void GxWidgetTextLook::InitTextLook(const GxTaskUIBase* widget)
{
    m_TextFontSize = WidgetFontSize(widget, m_TextFontIndex);
    m_EdgeColor = WidgetSystemEdgeColor(widget);
}

bool GxWidgetTextLook::SetTextLookFont(const GxTaskUIBase* widget, std::int32_t index, const char16_t* who)
{
    if (!IsWidgetFontIndex(index, who))
        return false;
    m_TextFontIndex = index;
    m_TextFontSize = WidgetFontSize(widget, index);
    GxSceneGeneration::Touch();
    return true;
}

bool GxWidgetTextLook::WriteTextLook(GxContentWriterBase& writer) const
{
    bool ok = writer.WriteS32("m_TextFontIndex", m_TextFontIndex);
    ok = writer.WriteS32("m_TextFontSize", m_TextFontSize) && ok;
    ok = writer.WriteU32("m_TextColor", m_TextColor) && ok;
    ok = writer.WriteU32("m_EdgeColor", m_EdgeColor) && ok;
    ok = writer.WriteBool("m_UseEdge", m_UseEdge) && ok;
    return ok;
}

void GxWidgetTextLook::ReadTextLook(GxContentReaderBase& reader, const char16_t* who)
{
    std::int32_t fontIndex = m_TextFontIndex;
    if (ReadUIField(reader, "m_TextFontIndex", fontIndex) && IsWidgetFontIndex(fontIndex, who))
        m_TextFontIndex = fontIndex;
    ReadUIExtent(reader, "m_TextFontSize", m_TextFontSize);
    ReadUIField(reader, "m_TextColor", m_TextColor);
    ReadUIField(reader, "m_EdgeColor", m_EdgeColor);
    ReadUIField(reader, "m_UseEdge", m_UseEdge);
}
