#include "ui/text_window.h"

#include "core/scene_generation.h"
#include "data/system_config.h"
#include "graphics/gdi_font_map.h"
#include "ui/widget_config.h"
#include "ui/widget_graphics.h"

#include <algorithm>
#include <cstdint>


namespace {

constexpr std::int32_t kShadowPreset = 2;
constexpr float kShadowOffset = 2.0f;

}  // namespace

GxTaskUITextWindowFx::GxTaskUITextWindowFx(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                           std::int32_t localIndex)
    : GxTaskUITextWindowBase(parent, name, localName, localIndex, GxTextStepStyle::kTextWindow,
                             u"GxTaskUITextWindowFx")
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

bool GxTaskUITextWindowFx::ShowAll()
{
    do {
        StepChar();
    } while (GetRemainingChars() != 0);
    return false;
}

void GxTaskUITextWindowFx::LineReturn()
{
    const std::int64_t y = static_cast<std::int64_t>(m_CursorY) + m_TextTotalHeight + (m_RubyLine ? m_RubyFontSize : 0);
    m_CursorY = static_cast<std::int32_t>(std::clamp<std::int64_t>(y, INT32_MIN, INT32_MAX));
    m_CursorX = 0;
}

void GxTaskUITextWindowFx::DrawWindowText(float alpha, const GxVector3& origin, const GxVector2& scale)
{
    if (m_RubyLine)
        DrawRubies(alpha, origin, scale, m_TextTotalHeight + m_RubyFontSize);
    GxGDIFontMap* fontMap = FontMapOf(m_TextFontIndex);
    if (!fontMap)
        return;
    GxWidgetGraphicsBase* graphics = GetWidgetGraphics();
    const auto screenX = [&](float gx) { return origin.x + scale.x * gx; };
    const auto screenY = [&](float gy) { return origin.y + scale.y * gy; };
    const std::uint32_t shadowColor = ScaleAlpha(m_ShadowColor, alpha);
    const std::int32_t preset = m_VisualParam.m_BlendMode;
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
