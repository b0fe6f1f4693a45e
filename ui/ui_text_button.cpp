#include "ui/ui_text_button.h"

#include "core/core_config.h"
#include "core/scene_generation.h"
#include "data/db_uimodule.h"
#include "foundation/content.h"
#include "foundation/log.h"
#include "graphics/gdi_font_map.h"
#include "graphics/system_fonts.h"
#include "graphics/text_layout.h"
#include "ui/image_widget_support.h"
#include "ui/widget_graphics.h"

#include <algorithm>

namespace {

// The colour with its alpha times the actor's (0 to 1), packed again.
std::uint32_t FadeColor(std::uint32_t argb, float alpha)
{
    GxFColor color = ColorFromArgb(argb);
    color.a *= alpha;
    return ColorToArgb(color);
}

}  // namespace

GxTaskUITextButtonIs::GxTaskUITextButtonIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                           std::int32_t localIndex)
    : GxTaskUIButtonIs(parent, name, localName, localIndex), GxUITextPanelStyle(this)
{
    m_TaskType = kUITypeTextButton;
}

GxTaskUITextButtonIs::~GxTaskUITextButtonIs() = default;

void GxTaskUITextButtonIs::SetFontIndex(std::int32_t index)
{
    // Module rows and scripts bring any number; only the six caches have a size.
    if (index < 0 || index >= kSystemFontMapCount) {
        LogPrint(u"GxTaskUITextButtonIs/Font index out of range:%d [%s]\n", index, GetTaskPath().c_str());
        return;
    }
    m_TextFontIndex = index;
    m_TextFontSize = GetUIConfig(this).m_FontSize[index];
    GxSceneGeneration::Touch();
}

void GxTaskUITextButtonIs::ApplyModuleRecord(const DBUIModuleRow* row)
{
    if (!row)
        return;
    GxTaskUIButtonIs::ApplyModuleRecord(row);
    SetFontIndex(row->m_FontIndex);
}

int GxTaskUITextButtonIs::Draw(std::int32_t, std::int32_t)
{
    if (!IsUIWidgetDrawn(this))
        return 0;
    const float alpha = static_cast<float>(GetAlpha()) / 255.0f;
    OpenDraw();
    DrawCell(IsEnabled() ? GetIndexedImage() : m_StateImages[kButtonImageDisabled], alpha);
    DrawText(std::clamp(alpha, 0.0f, 1.0f));
    CloseDraw();
    return 0;
}

void GxTaskUITextButtonIs::DrawText(float alpha)
{
    GxGDIFontMap* fontMap = GetSystemFontMap(m_TextFontIndex);
    if (!fontMap || m_Text.empty())
        return;
    const std::uint32_t textColor = FadeColor(m_TextColor, alpha);
    const std::uint32_t edgeColor = FadeColor(m_EdgeColor, alpha);
    const char16_t lineBreak = GetUILineBreakChar(this);
    // 64-bit pen arithmetic: a saved size can be any 32-bit number.
    const std::int64_t size = m_TextFontSize;
    const std::int64_t clientWidth = m_ClientWidth;

    // Only a text without a line break is centred; a break makes the line as wide as the client.
    std::int64_t width = clientWidth;
    if (m_AutoAlign != 0) {
        width = 0;
        for (const char16_t c : m_Text) {
            if (c == lineBreak) {
                width = clientWidth;
                break;
            }
            width += CharWidthClass(c) * size / 2;
        }
    }
    width = std::min(width, clientWidth);
    const std::int64_t offset = (clientWidth - width) / 2;

    const GxVector3 position = GetAbsolutePosition();
    const GxVector2 scale(m_VisualParam.m_Scale.x, m_VisualParam.m_Scale.y);
    GxWidgetGraphicsBase* graphics = GetWidgetGraphics();
    std::int64_t penX = 0;
    std::int64_t lineY = 0;
    for (const char16_t c : m_Text) {
        if (c == lineBreak) {
            penX = 0;
            lineY += size;
            continue;
        }
        const GxGlyphRecord glyph = fontMap->GetGlyph(c);
        const float localX = static_cast<float>(offset + m_ClientLeft + penX);
        const float localY = static_cast<float>(m_ClientTop + lineY);
        const float x = position.x + scale.x * localX;
        const float y = position.y + scale.y * localY;
        penX += CharWidthClass(c) * size / 2;
        if (size + penX >= clientWidth) {
            penX = 0;
            lineY += size;
        }
        if (glyph.IsEmpty())
            continue;   // control characters: no glyph, but the pen moved
        // The edge's eight copies, then the body, per character.
        if (m_UseEdge)
            graphics->DrawGlyphRing(glyph, x, y, 1.0f, scale, edgeColor, 0, m_VisualParam.m_BlendMode);
        graphics->DrawGlyphRecord(glyph, x, y, scale, textColor, 0, m_VisualParam.m_BlendMode);
    }
}

bool GxTaskUITextButtonIs::WriteState(GxContentWriterBase& writer)
{
    bool ok = GxTaskUIButtonIs::WriteState(writer);
    ok = WriteStyle(writer) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxTaskUITextButtonIs::ReadState(GxContentReaderBase& reader)
{
    GxTaskUIButtonIs::ReadState(reader);
    ReadStyle(reader);
    return reader.GetErrorCount() == 0;
}
