#include "ui/text_window_base.h"

#include "core/scene_generation.h"
#include "core/seq_base.h"
#include "data/db_uimodule.h"
#include "foundation/log.h"
#include "graphics/gdi_font_map.h"
#include "graphics/system_fonts.h"
#include "graphics/text_layout.h"
#include "ui/widget_config.h"
#include "ui/widget_graphics.h"

#include <algorithm>

GxTaskUITextWindowBase::GxTaskUITextWindowBase(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                               std::int32_t localIndex, GxTextStepStyle style,
                                               const char16_t* className)
    : GxTaskUIPanelFx(parent, name, localName, localIndex), GxTextStepper(style), m_ClassName(className)
{
}

GxTaskUITextWindowBase::~GxTaskUITextWindowBase() = default;

std::uint32_t GxTaskUITextWindowBase::ScaleAlpha(std::uint32_t argb, float factor)
{
    const float alpha = static_cast<float>(argb >> 24) * factor;
    const auto scaled = static_cast<std::uint32_t>(std::clamp(alpha, 0.0f, 255.0f));
    return (scaled << 24) | (argb & 0xFFFFFFu);
}

GxGDIFontMap* GxTaskUITextWindowBase::FontMapOf(std::int32_t index)
{
    return index >= 0 && index < kUITextFontCount ? GetSystemFontMap(index) : nullptr;
}

void GxTaskUITextWindowBase::ApplyModuleRecord(const DBUIModuleRow* row)
{
    GxTaskUIPanelFx::ApplyModuleRecord(row);
    if (!row)
        return;
    SetTextFont(row->m_FontIndex);
    SetTextRegion(row->m_ClientLeft, row->m_ClientTop, row->m_ClientWidth, row->m_ClientHeight);
}

bool GxTaskUITextWindowBase::SetTextFont(std::int32_t index)
{
    if (index < 0 || index >= kUITextFontCount) {
        LogPrint(u"%s/SetTextFont: no font %d [%s]\n", m_ClassName, index, GetTaskPath().c_str());
        return false;
    }
    m_TextFontIndex = index;
    m_TextFontSize = GetWidgetFontSize(this, index);
    GxSceneGeneration::Touch();
    return true;
}

bool GxTaskUITextWindowBase::SetRubyFont(std::int32_t index)
{
    if (index < 0 || index >= kUITextFontCount) {
        LogPrint(u"%s/SetRubyFont: no font %d [%s]\n", m_ClassName, index, GetTaskPath().c_str());
        return false;
    }
    m_RubyFontIndex = index;
    m_RubyFontSize = GetWidgetFontSize(this, index);
    GxSceneGeneration::Touch();
    return true;
}

void GxTaskUITextWindowBase::ShowText()
{
    m_VisibleText = true;
    GxSceneGeneration::Touch();
}

void GxTaskUITextWindowBase::HideText()
{
    m_VisibleText = false;
    GxSceneGeneration::Touch();
}

void GxTaskUITextWindowBase::SetTextRegion(std::int32_t left, std::int32_t top, std::int32_t width,
                                           std::int32_t height)
{
    m_TextRegionLeft = left;
    m_TextRegionTop = top;
    m_TextRegionWidth = width;
    m_TextRegionHeight = height;
    GxSceneGeneration::Touch();
}

bool GxTaskUITextWindowBase::StepChar()
{
    // A revealed character (and a ruby reading over it, which may wrap onto the next row) stays
    // within the rows the pen was on before and after the step; a new page moves the generation
    // on its own.
    const std::int64_t before = m_CursorY;
    const bool stopped = GxTextStepper::StepChar();
    const std::int64_t first = std::min<std::int64_t>(before, m_CursorY);
    const std::int64_t last = std::max<std::int64_t>(before, m_CursorY);
    const std::int64_t top = static_cast<std::int64_t>(m_TextRegionTop) + first;
    const std::int64_t bottom = static_cast<std::int64_t>(m_TextRegionTop) + last + 2 * std::int64_t{m_TextTotalHeight} +
                                m_RubyMarginHeight + m_TextFontSize;
    if (top > -65536 && bottom < 65536)
        TouchDrawnBand(static_cast<std::int32_t>(top), static_cast<std::int32_t>(bottom));
    else
        TouchDrawnArea();
    return stopped;
}

void GxTaskUITextWindowBase::NewPage()
{
    GxTextStepper::NewPage();
    // The page's text is drawn inside the window.
    TouchDrawnArea();
}

int GxTaskUITextWindowBase::Draw(std::int32_t value, std::int32_t listIndex)
{
    GxTaskUIPanelFx::Draw(value, listIndex);
    GxSeqBase* sequence = GetSequence();
    if (!m_VisibleText || !sequence || !sequence->IsWidgetActive(this))
        return 0;
    GxWidgetGraphicsBase* graphics = GetWidgetGraphics();
    graphics->BeginSceneNested();
    graphics->ResetRenderStates();
    const float alpha = static_cast<float>(m_VisualParam.m_Alpha) / 255.0f;
    const GxVector3 origin = GetAbsolutePosition();
    const GxVector2 scale(m_VisualParam.m_Scale.x, m_VisualParam.m_Scale.y);
    DrawWindowText(alpha, origin, scale);
    graphics->EndSceneNested();
    return 0;
}

void GxTaskUITextWindowBase::DrawRubies(float alpha, const GxVector3& origin, const GxVector2& scale,
                                        std::int32_t wrapPitch)
{
    GxGDIFontMap* fontMap = FontMapOf(m_RubyFontIndex);
    if (!fontMap)
        return;
    GxWidgetGraphicsBase* graphics = GetWidgetGraphics();
    const std::uint32_t textColor = ScaleAlpha(m_TextColor, alpha);
    const std::uint32_t shadowColor = ScaleAlpha(m_ShadowColor, alpha);
    const std::int32_t preset = m_VisualParam.m_BlendMode;
    for (const GxRubyInfo& ruby : m_Rubies) {
        // 64-bit pens: the widths and anchors are the laid-out (or saved) ones, of any size.
        std::int64_t x = static_cast<std::int64_t>(UIPixel(ruby.m_OffsetPos.x)) +
                         (static_cast<std::int64_t>(ruby.m_RubyUnderCharWidth) - ruby.m_RubyCharWidth) / 2;
        std::int64_t y = UIPixel(ruby.m_OffsetPos.y);
        const auto wrap = [&] {
            if (m_TextRegionWidth <= m_RubyFontSize + x) {
                x = 0;
                y += wrapPitch;
            }
        };
        wrap();
        for (char16_t c : ruby.m_Text) {
            const float gx = static_cast<float>(m_TextRegionLeft + x + m_RubyFontSize);
            const float gy = static_cast<float>(m_TextRegionTop + y);
            x += CharWidthClass(c) * static_cast<std::int64_t>(m_RubyFontSize) / 2;
            wrap();
            const GxGlyphRecord glyph = fontMap->GetGlyph(c);
            if (glyph.IsEmpty())
                continue;
            if (m_UseShadow)
                graphics->DrawGlyphRecord(glyph, origin.x + scale.x * (gx + 1), origin.y + scale.y * (gy + 1), scale,
                                          shadowColor, 0, preset);
            graphics->DrawGlyphRecord(glyph, origin.x + scale.x * gx, origin.y + scale.y * gy, scale, textColor, 0,
                                      preset);
        }
    }
}
