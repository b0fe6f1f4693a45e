#include "ui/text_window.h"

#include "core/scene_generation.h"
#include "core/seq_base.h"
#include "data/db_uimodule.h"
#include "data/system_config.h"
#include "foundation/log.h"
#include "graphics/gdi_font_map.h"
#include "graphics/system_fonts.h"
#include "graphics/text_layout.h"
#include "ui/message_window.h"
#include "ui/widget_config.h"
#include "ui/widget_graphics.h"

#include <algorithm>

namespace {

constexpr std::int32_t kShadowPreset = 2;
constexpr float kShadowOffset = 2.0f;

std::uint32_t ScaleAlpha(std::uint32_t argb, float factor)
{
    const float alpha = static_cast<float>(argb >> 24) * factor;
    const auto scaled = static_cast<std::uint32_t>(std::clamp(alpha, 0.0f, 255.0f));
    return (scaled << 24) | (argb & 0xFFFFFFu);
}

GxGDIFontMap* FontMapOf(std::int32_t index)
{
    return index >= 0 && index < kUITextFontCount ? GetSystemFontMap(index) : nullptr;
}

}  // namespace

GxTaskUITextWindowFx::GxTaskUITextWindowFx(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                           std::int32_t localIndex)
    : GxTaskUIPanelFx(parent, name, localName, localIndex), GxTextStepper(GxTextStepStyle::kTextWindow)
{
    m_TaskType = kUITypeTextWindow;
    const GxSystemConfig& config = GetWidgetSystemConfig(this);
    m_TextFontSize = config.m_FontSize[2];
    m_RubyFontSize = config.m_FontSize[0];
    m_TextTotalHeight = config.m_FontSize[2] + 1;
    m_RubyMarginHeight = config.m_FontSize[0];
    m_TextColor = config.m_SystemTextColor0;
    m_ShadowColor = config.m_SystemShadowColor;
}

GxTaskUITextWindowFx::~GxTaskUITextWindowFx() = default;

std::uint32_t GxTaskUITextWindowFx::GetDefaultTextColor() const
{
    return GetWidgetSystemConfig(this).m_SystemTextColor0;
}

void GxTaskUITextWindowFx::ApplyModuleRecord(const DBUIModuleRow* row)
{
    GxTaskUIPanelFx::ApplyModuleRecord(row);
    if (!row)
        return;
    SetTextFont(row->m_FontIndex);
    SetTextRegion(row->m_ClientLeft, row->m_ClientTop, row->m_ClientWidth, row->m_ClientHeight);
}

bool GxTaskUITextWindowFx::SetTextFont(std::int32_t index)
{
    if (index < 0 || index >= kUITextFontCount) {
        LogPrint(u"GxTaskUITextWindowFx/SetTextFont: no font %d [%s]\n", index, GetTaskPath().c_str());
        return false;
    }
    m_TextFontIndex = index;
    m_TextFontSize = GetWidgetFontSize(this, index);
    GxSceneGeneration::Touch();
    return true;
}

bool GxTaskUITextWindowFx::SetRubyFont(std::int32_t index)
{
    if (index < 0 || index >= kUITextFontCount) {
        LogPrint(u"GxTaskUITextWindowFx/SetRubyFont: no font %d [%s]\n", index, GetTaskPath().c_str());
        return false;
    }
    m_RubyFontIndex = index;
    m_RubyFontSize = GetWidgetFontSize(this, index);
    GxSceneGeneration::Touch();
    return true;
}

void GxTaskUITextWindowFx::ShowText()
{
    m_VisibleText = true;
    GxSceneGeneration::Touch();
}

void GxTaskUITextWindowFx::HideText()
{
    m_VisibleText = false;
    GxSceneGeneration::Touch();
}

void GxTaskUITextWindowFx::ShowRubyLine()
{
    m_RubyLine = true;
    GxSceneGeneration::Touch();
}

void GxTaskUITextWindowFx::HideRubyLine()
{
    m_RubyLine = false;
    GxSceneGeneration::Touch();
}

void GxTaskUITextWindowFx::SetText(const char16_t* text)
{
    SetText(text, false, false);
}

void GxTaskUITextWindowFx::SetText(const char16_t* text, bool ignoreKinsoku, bool disableAutoNewline)
{
    ClearText();
    m_IgnoreKinsoku = ignoreKinsoku;
    m_DisenableAutoNewline = disableAutoNewline;
    m_WindowText = text ? text : u"";
    m_TextColor = GetWidgetSystemConfig(this).m_SystemTextColor0;
    ShowAll();
}

void GxTaskUITextWindowFx::ClearText()
{
    m_WindowText.clear();
    NewPage();
    m_RubyMode = false;
    m_ProcessPos = 0;
    GxSceneGeneration::Touch();
}

void GxTaskUITextWindowFx::SetTextRegion(std::int32_t left, std::int32_t top, std::int32_t width,
                                         std::int32_t height)
{
    m_TextRegionLeft = left;
    m_TextRegionTop = top;
    m_TextRegionWidth = width;
    m_TextRegionHeight = height;
    GxSceneGeneration::Touch();
}

bool GxTaskUITextWindowFx::ShowAll()
{
    do {
        StepChar();
    } while (GetRemainingChars() != 0);
    return false;
}

bool GxTaskUITextWindowFx::StepChar()
{
    GxSceneGeneration::Touch();
    return GxTextStepper::StepChar();
}

void GxTaskUITextWindowFx::LineReturn()
{
    m_CursorY += m_TextTotalHeight + (m_RubyLine ? m_RubyFontSize : 0);
    m_CursorX = 0;
}

void GxTaskUITextWindowFx::NewPage()
{
    GxTextStepper::NewPage();
    GxSceneGeneration::Touch();
}

int GxTaskUITextWindowFx::Draw(std::int32_t value, std::int32_t listIndex)
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
    const auto screenX = [&](float gx) { return origin.x + scale.x * gx; };
    const auto screenY = [&](float gy) { return origin.y + scale.y * gy; };
    const std::uint32_t textColor = ScaleAlpha(m_TextColor, alpha);
    const std::uint32_t shadowColor = ScaleAlpha(m_ShadowColor, alpha);
    const std::int32_t preset = m_VisualParam.m_BlendMode;

    GxGDIFontMap* rubyFont = FontMapOf(m_RubyFontIndex);
    if (m_RubyLine && rubyFont) {
        for (const GxRubyInfo& ruby : m_Rubies) {
            std::int32_t x = static_cast<std::int32_t>(ruby.m_OffsetPos.x) +
                             (ruby.m_RubyUnderCharWidth - ruby.m_RubyCharWidth) / 2;
            std::int32_t y = static_cast<std::int32_t>(ruby.m_OffsetPos.y);
            const auto wrap = [&] {
                if (m_TextRegionWidth <= m_RubyFontSize + x) {
                    x = 0;
                    y += m_TextTotalHeight + m_RubyFontSize;
                }
            };
            wrap();
            for (char16_t c : ruby.m_Text) {
                const float gx = static_cast<float>(m_TextRegionLeft + x + m_RubyFontSize);
                const float gy = static_cast<float>(m_TextRegionTop + y);
                x += CharWidthClass(c) * m_RubyFontSize / 2;
                wrap();
                const GxGlyphRecord glyph = rubyFont->GetGlyph(c);
                if (glyph.IsEmpty())
                    continue;
                if (m_UseShadow)
                    graphics->DrawGlyphRecord(glyph, screenX(gx + 1), screenY(gy + 1), scale, shadowColor, 0, preset);
                graphics->DrawGlyphRecord(glyph, screenX(gx), screenY(gy), scale, textColor, 0, preset);
            }
        }
    }

    if (GxGDIFontMap* fontMap = FontMapOf(m_TextFontIndex)) {
        const float margin = m_RubyLine ? static_cast<float>(m_RubyMarginHeight) : 0.0f;
        for (const GxShowChar& shown : m_ShowChars) {
            const GxGlyphRecord glyph = fontMap->GetGlyph(static_cast<char16_t>(shown.m_Char));
            if (glyph.IsEmpty())
                continue;
            const float gx = static_cast<float>(m_TextRegionLeft) + shown.m_OffsetPos.x;
            const float gy = static_cast<float>(m_TextRegionTop) + shown.m_OffsetPos.y + margin;
            if (m_UseShadow)
                graphics->DrawGlyphRecord(glyph, screenX(gx + kShadowOffset), screenY(gy + kShadowOffset), scale,
                                          shadowColor, 0, kShadowPreset);
            graphics->DrawGlyphRecord(glyph, screenX(gx), screenY(gy), scale, ScaleAlpha(shown.m_Color, alpha), 0,
                                      preset);
        }
    }
    graphics->EndSceneNested();
    return 0;
}
