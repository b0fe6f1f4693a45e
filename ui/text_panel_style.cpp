#include "ui/text_panel_style.h"

#include "core/core_config.h"
#include "core/scene_generation.h"
#include "foundation/content.h"
#include "foundation/log.h"
#include "graphics/system_fonts.h"
#include "ui/image_widget_support.h"
#include "ui/task_ui_base.h"
#include "ui/widget_graphics.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr std::int32_t kUIPointFilter = 1;

GxWidgetTextAlign AlignOf(std::int32_t autoAlign)
{
    switch (autoAlign) {
    case 1:
        return GxWidgetTextAlign::kCenter;
    case 2:
        return GxWidgetTextAlign::kRight;
    default:
        return GxWidgetTextAlign::kLeft;
    }
}

}  // namespace

std::uint32_t FadeUIColor(std::uint32_t argb, std::int32_t alpha255)
{
    const std::uint32_t alpha = static_cast<std::uint32_t>(std::clamp(alpha255, 0, 255));
    const std::uint32_t a = ((argb >> 24) * alpha) / 255u;
    return (a << 24) | (argb & 0x00FFFFFFu);
}

GxUITextPanelStyle::GxUITextPanelStyle(const GxTaskUIBase* widget)
    : m_TextFontSize(GetUIConfig(widget).m_FontSize[2]), m_EdgeColor(GetUISystemEdgeColor(widget))
{
}

void GxUITextPanelStyle::SetStyleFontIndex(const GxTaskUIBase* widget, std::int32_t index)
{
    // Module rows and scripts bring any number; only the six caches have a size.
    if (index < 0 || index >= kSystemFontMapCount) {
        LogPrint(u"GxUITextPanelStyle/Font index out of range:%d [%s]\n", index, widget->GetTaskPath().c_str());
        return;
    }
    m_TextFontIndex = index;
    m_TextFontSize = GetUIConfig(widget).m_FontSize[index];
    GxSceneGeneration::Touch();
}

void GxUITextPanelStyle::DrawPanelText(GxTaskUIBase* widget) const
{
    GxGDIFontMap* fontMap = GetSystemFontMap(m_TextFontIndex);
    if (!fontMap || widget->m_Text.empty())
        return;
    const std::int32_t alpha = widget->m_VisualParam.m_Alpha;
    const GxVector3 origin = widget->GetAbsolutePosition();
    // Whole pixels only: a fractional move leaves the text where it was. Every term is held to a
    // screen's reach, so the rectangle's sums stay inside 32 bits whatever the rows or moves said.
    GxRect rect;
    rect.left = UIPixel(origin.x) + HoldUIExtent(widget->m_ClientLeft);
    rect.top = UIPixel(origin.y) + HoldUIExtent(widget->m_ClientTop);
    rect.right = rect.left + HoldUIExtent(widget->m_ClientWidth);
    rect.bottom = rect.top + HoldUIExtent(widget->m_ClientHeight);
    GxWidgetGraphicsBase* graphics = GetWidgetGraphics();
    graphics->BeginSceneNested();
    graphics->ResetRenderStates();
    graphics->SetTextureFilter(kUIPointFilter);
    graphics->DrawAlignedText(fontMap, widget->m_Text, rect, AlignOf(m_AutoAlign), FadeUIColor(m_TextColor, alpha),
                              0, FadeUIColor(m_EdgeColor, alpha), widget->m_VisualParam.m_BlendMode,
                              GetUILineBreakChar(widget));
    graphics->EndSceneNested();
}

bool GxUITextPanelStyle::WriteStyle(GxContentWriterBase& writer) const
{
    bool ok = writer.WriteS32("m_TextFontIndex", m_TextFontIndex);
    ok = writer.WriteS32("m_TextFontSize", m_TextFontSize) && ok;
    ok = writer.WriteU32("m_TextColor", m_TextColor) && ok;
    ok = writer.WriteU32("m_EdgeColor", m_EdgeColor) && ok;
    ok = writer.WriteBool("m_UseEdge", m_UseEdge) && ok;
    ok = writer.WriteS32("m_AutoAlign", m_AutoAlign) && ok;
    return ok;
}

void GxUITextPanelStyle::ReadStyle(GxContentReaderBase& reader)
{
    ReadUIField(reader, "m_TextFontIndex", m_TextFontIndex);
    ReadUIExtent(reader, "m_TextFontSize", m_TextFontSize);
    ReadUIField(reader, "m_TextColor", m_TextColor);
    ReadUIField(reader, "m_EdgeColor", m_EdgeColor);
    ReadUIField(reader, "m_UseEdge", m_UseEdge);
    ReadUIField(reader, "m_AutoAlign", m_AutoAlign);
    GxSceneGeneration::Touch();
}
