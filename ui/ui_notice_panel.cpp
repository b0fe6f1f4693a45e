#include "ui/ui_notice_panel.h"

#include "graphics/gdi_font_map.h"
#include "graphics/system_fonts.h"
#include "graphics/text_layout.h"
#include "ui/image_widget_support.h"
#include "ui/ui_layer_param.h"
#include "ui/widget_graphics.h"

#include <algorithm>

namespace {

constexpr std::int32_t kUIPointFilter = 1;
constexpr std::int32_t kNoticeMargin = 8;
constexpr std::int32_t kNoticeMoveTime = 250;

}  // namespace

GxTaskUINoticePanelFx::GxTaskUINoticePanelFx(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                             std::int32_t localIndex)
    : GxTaskUITextPanelFx(parent, name, localName, localIndex)
{
    m_TaskType = kUITypeNoticePanelFx;
    m_EventBlockFlag = false;
    m_MouseMoveBlockFlag = false;
}

GxTaskUINoticePanelFx::~GxTaskUINoticePanelFx() = default;

void GxTaskUINoticePanelFx::QueueShowActions(std::int32_t hold, GxTaskUINoticePanelFx* panel)
{
    if (!panel)
        return;
    panel->ClearActions();
    panel->SetAlpha(0);
    panel->Show();
    const float restX = static_cast<float>(kUIScreenWidth - (panel->GetWidth() + kNoticeMargin));
    const float z = panel->GetPos().z;
    panel->SetPos(GxVector3(restX, static_cast<float>(-panel->GetHeight()), z));
    const float rest[4] = {restX, static_cast<float>(kNoticeMargin), z, 0.0f};
    panel->AddAction(rest, kNoticeMoveTime, kInterEaseOut);
    panel->AddFadeInAction(1, kNoticeMoveTime);
    panel->AddWaitAction(0, hold);
    panel->AddWaitAction(1, hold);
    const float away[4] = {static_cast<float>(kUIScreenWidth), static_cast<float>(kNoticeMargin), z, 0.0f};
    panel->AddAction(away, kNoticeMoveTime, kInterEaseIn);
    panel->AddFadeOutAction(1, kNoticeMoveTime);
    panel->AddHideAction();
}

GxNoticeTextLayout GxTaskUINoticePanelFx::LayoutText(const std::u16string& text, std::int32_t size,
                                                     std::int32_t width, char16_t lineBreak)
{
    // 64-bit pens: a saved font size can be any 32-bit number.
    GxNoticeTextLayout layout;
    const std::int64_t s = size;
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int64_t maxX = 0;
    std::int64_t maxY = 0;
    for (const char16_t c : text) {
        if (c == lineBreak) {
            x = 0;
            y += s;
            continue;
        }
        maxX = std::max(maxX, x);
        maxY = std::max(maxY, y);
        layout.m_Glyphs.push_back({c, static_cast<std::int32_t>(x), static_cast<std::int32_t>(y)});
        x += CharWidthClass(c) * s / 2;
        if (x + s >= width) {
            x = 0;
            y += s;
        }
    }
    layout.m_BlockWidth = static_cast<std::int32_t>(std::clamp<std::int64_t>(maxX + s, INT32_MIN, width));
    layout.m_BlockHeight = static_cast<std::int32_t>(std::clamp<std::int64_t>(maxY + s, INT32_MIN, INT32_MAX));
    return layout;
}

int GxTaskUINoticePanelFx::Draw(std::int32_t step, std::int32_t pass)
{
    if (!IsUIWidgetDrawn(this))
        return 0;
    GxTaskUIPanelFx::Draw(step, pass);

    GxWidgetGraphicsBase* graphics = GetWidgetGraphics();
    graphics->BeginSceneNested();
    graphics->ResetRenderStates();
    graphics->SetTextureFilter(kUIPointFilter);
    const GxVector3 origin = GetAbsolutePosition();
    const std::int32_t alpha = std::clamp(m_VisualParam.m_Alpha, 0, 255);
    std::int32_t areaLeft = m_ClientLeft;
    std::int32_t areaTop = m_ClientTop;
    std::int32_t areaWidth = m_ClientWidth;
    const std::int32_t areaHeight = m_ClientHeight;
    std::int32_t iconWidth = 0;
    std::int32_t iconHeight = 0;
    if (m_Icon && GetUICellSize(m_Icon, &iconWidth, &iconHeight)) {
        std::int32_t x = (areaWidth - iconWidth) / 2 + areaLeft;
        std::int32_t y = (areaHeight - iconHeight) / 2 + areaTop;
        if (m_IconPlacement == kNoticeIconLeft) {
            x = areaLeft;
            areaLeft += iconWidth;
            areaWidth -= iconWidth;
        } else if (m_IconPlacement == kNoticeIconTop) {
            y = areaTop;
            areaTop += iconHeight;
        }
        const std::uint32_t white = (static_cast<std::uint32_t>(alpha) << 24) | 0xFFFFFFu;
        MakeUILayerParam(m_Icon, 1.0f, 1.0f,
                         GxVector3(origin.x + static_cast<float>(x), origin.y + static_cast<float>(y), 0.0f), white);
    }

    GxGDIFontMap* fontMap = GetSystemFontMap(m_TextFontIndex);
    if (fontMap && !m_Text.empty()) {
        const GxNoticeTextLayout layout = LayoutText(m_Text, m_TextFontSize, areaWidth, GetUILineBreakChar(this));
        const GxVector2 scale(m_VisualParam.m_Scale.x, m_VisualParam.m_Scale.y);
        const std::uint32_t textColor = FadeUIColor(m_TextColor, alpha);
        const std::uint32_t edgeColor = FadeUIColor(m_EdgeColor, alpha);
        const std::int32_t blend = m_VisualParam.m_BlendMode;
        const std::int64_t left = (static_cast<std::int64_t>(areaWidth) - layout.m_BlockWidth) / 2 + areaLeft;
        const std::int64_t top = (static_cast<std::int64_t>(areaHeight) - layout.m_BlockHeight) / 2 + areaTop;
        for (const GxNoticeTextLayout::Glyph& g : layout.m_Glyphs) {
            const GxGlyphRecord glyph = fontMap->GetGlyph(g.m_Char);
            if (glyph.IsEmpty())
                continue;
            const float x = origin.x + scale.x * static_cast<float>(left + g.m_X);
            const float y = origin.y + scale.y * static_cast<float>(top + g.m_Y);
            if (m_UseEdge)
                graphics->DrawGlyphRing(glyph, x, y, 1.0f, scale, edgeColor, 0, blend);
            graphics->DrawGlyphRecord(glyph, x, y, scale, textColor, 0, blend);
        }
    }
    graphics->EndSceneNested();
    return 0;
}
