#include "ui/ui_tip_help.h"

#include "core/core_config.h"
#include "core/scene_generation.h"
#include "data/db_uimodule.h"
#include "foundation/content.h"
#include "foundation/log.h"
#include "graphics/gdi_font_map.h"
#include "graphics/system_fonts.h"
#include "graphics/text_layout.h"
#include "motion/crammed_image_set.h"
#include "ui/image_widget_support.h"
#include "ui/text_panel_style.h"
#include "ui/widget_graphics.h"

#include <algorithm>

namespace {

constexpr std::int32_t kUIPointFilter = 1;
constexpr std::int32_t kTipTile = 16;
constexpr std::int32_t kTipPointerOffset = 24;
constexpr std::int32_t kTipFlipOffset = 48;
constexpr char16_t kLineFeed = u'\n';

// The pattern square of frame row or column `i` of `count`: first 0, last 3, between 1.
std::int32_t TileSource(std::int32_t i, std::int32_t count)
{
    if (i == 0)
        return 0;
    return i == count - 1 ? 3 : 1;
}

}  // namespace

GxTaskUITipHelpIs::GxTaskUITipHelpIs(GxTaskBase* parent, const char16_t* name, const char16_t* localName,
                                     std::int32_t localIndex)
    : GxTaskUIBase(parent, name, localName, localIndex)
{
    m_TaskType = kUITypeTipHelpIs;
    m_EventBlockFlag = false;
    m_ModalFlag = true;
    m_ModalPriority = 0;
    m_TextFontSize = GetUIConfig(this).m_FontSize[1];
    m_EdgeColor = GetUISystemEdgeColor(this);
}

GxTaskUITipHelpIs::~GxTaskUITipHelpIs() = default;

void GxTaskUITipHelpIs::SetTextFontIndex(std::int32_t index)
{
    if (index < 0 || index >= kSystemFontMapCount) {
        LogPrint(u"GxTaskUITipHelpIs/Font index out of range:%d [%s]\n", index, GetTaskPath().c_str());
        return;
    }
    m_TextFontIndex = index;
    m_TextFontSize = GetUIConfig(this).m_FontSize[index];
    GxSceneGeneration::Touch();
}

void GxTaskUITipHelpIs::ApplyModuleRecord(const DBUIModuleRow* row)
{
    GxTaskUIBase::ApplyModuleRecord(row);
    if (!row)
        return;
    SetTextFontIndex(row->m_FontIndex);
    m_ImageSetName = UIImageSetFileOf(this, *row);
    m_ImageName = row->m_ImageName;
}

bool GxTaskUITipHelpIs::SetImageName(const char16_t* path)
{
    SplitUIImagePath(path ? path : u"", &m_ImageSetName, &m_ImageName);
    return true;
}

bool GxTaskUITipHelpIs::LoadImages()
{
    m_Cell = nullptr;
    if (m_ImageName.empty())
        return true;
    GxNcCrammedImageSet* set = FindUIImageSet(m_ImageSetName);
    if (!set) {
        LogPrint(u"GxTaskUITipHelpIs/ImageSet wasn't Loaded:%s [%s]\n", m_ImageSetName.c_str(),
                 GetTaskPath().c_str());
        return false;
    }
    m_Cell = FindUICell(set, m_ImageName + u".png");
    if (!m_Cell) {
        LogPrint(u"GxTaskUITipHelpIs/Image not found:%s [%s]\n", m_ImageName.c_str(), GetTaskPath().c_str());
        return false;
    }
    GxSceneGeneration::Touch();
    return true;
}

std::int32_t GxTaskUITipHelpIs::GetPatternCount() const
{
    return m_Cell ? static_cast<std::int32_t>(m_Cell->m_PatternArray.size()) : 0;
}

std::int32_t GxTaskUITipHelpIs::MeasureText(std::int32_t* width) const
{
    const char16_t lineBreak = GetUILineBreakChar(this);
    // 64-bit: the size and line width may come from a saved game.
    const std::int64_t s = m_TextFontSize;
    std::int64_t x = 0;
    std::int64_t widest = 0;
    std::int32_t count = 0;
    for (const char16_t c : m_Text) {
        if (c == lineBreak || c == kLineFeed) {
            ++count;
            x = 0;
            continue;
        }
        x += CharWidthClass(c) * s / 2;
        if (m_NewLineWidth <= s + x) {
            ++count;
            x = 0;
        }
        widest = std::max(widest, s + x);
    }
    if (x == 0 && count > 0)
        --count;
    if (width)
        *width = static_cast<std::int32_t>(std::clamp<std::int64_t>(widest, INT32_MIN, INT32_MAX));
    return count;
}

void GxTaskUITipHelpIs::SetText(const char16_t* text)
{
    GxTaskUIBase::SetText(text);
    std::int32_t width = 0;
    const std::int64_t count = MeasureText(&width);
    const std::int64_t s = m_TextFontSize;
    const std::int64_t p = m_Padding;
    const std::int64_t columns = std::max<std::int64_t>(2, (s + 2 * p + width - 1) / kTipTile);
    const std::int64_t rows = std::max<std::int64_t>(2, ((count + 2) * s + 2 * p - 1) / kTipTile);
    // Held to sizes the screen can show: a saved padding or font size can be anything.
    m_Width = static_cast<std::int32_t>(std::min<std::int64_t>(columns, 1 << 20) * kTipTile);
    m_Height = static_cast<std::int32_t>(std::min<std::int64_t>(rows, 1 << 20) * kTipTile);
    if (m_Text.empty())
        Hide();
    GxSceneGeneration::Touch();
}

int GxTaskUITipHelpIs::PlaceAt(const float* pointer)
{
    if (!pointer)
        return 0;
    GxVector3 position = GetPos();
    position.x = pointer[0] - static_cast<float>(kTipPointerOffset);
    position.y = pointer[1] + static_cast<float>(kTipPointerOffset);
    SetPos(position);
    const float width = static_cast<float>(m_Width);
    const float height = static_cast<float>(m_Height);
    const GxVector3 absolute = GetAbsolutePosition();
    if (absolute.x + width > static_cast<float>(kUIScreenWidth))
        position.x = position.x - width + static_cast<float>(kTipFlipOffset);
    if (absolute.y + height > static_cast<float>(kUIScreenHeight))
        position.y = position.y - height - static_cast<float>(kTipFlipOffset);
    position.x = std::max(position.x, 0.0f);
    position.y = std::max(position.y, 0.0f);
    if (width + position.x > static_cast<float>(kUIScreenWidth))
        position.x = static_cast<float>(kUIScreenWidth) - width;
    if (position.y + height > static_cast<float>(kUIScreenHeight))
        position.y = static_cast<float>(kUIScreenHeight) - height;
    SetPos(position);
    GxSceneGeneration::Touch();
    return 0;
}

int GxTaskUITipHelpIs::OnMouseMove(const GxVector2*, std::uint32_t)
{
    if (IsUIInputOpen(this) && m_AutoHide && IsVisible()) {
        Hide();
        GxSceneGeneration::Touch();
    }
    return 0;
}

int GxTaskUITipHelpIs::Draw(std::int32_t, std::int32_t)
{
    if (!IsUIWidgetDrawn(this))
        return 0;
    GxWidgetGraphicsBase* graphics = GetWidgetGraphics();
    graphics->BeginSceneNested();
    graphics->ResetRenderStates();
    graphics->SetTextureFilter(kUIPointFilter);
    const GxVector3 origin = GetAbsolutePosition();
    const GxActorVisualParam& visual = m_VisualParam;

    if (m_Cell && m_PatternIndex >= 0 && m_PatternIndex < GetPatternCount()) {
        const std::int32_t rows = m_Height / kTipTile;
        const std::int32_t columns = m_Width / kTipTile;
        const float alpha = static_cast<float>(visual.m_Alpha) / 255.0f;
        for (std::int32_t r = 0; r < rows; ++r) {
            for (std::int32_t c = 0; c < columns; ++c) {
                const std::int32_t sourceX = kTipTile * TileSource(c, columns);
                const std::int32_t sourceY = kTipTile * TileSource(r, rows);
                const GxRect square{sourceX, sourceY, sourceX + kTipTile, sourceY + kTipTile};
                // The cut square is drawn where the matrix puts the pattern's corner.
                GxMatrix matrix;
                matrix.SetTranslationXYZ(origin.x + static_cast<float>(kTipTile * c),
                                         origin.y + static_cast<float>(kTipTile * r), 0.0f);
                graphics->DrawImagePatternClipped(m_Cell, m_PatternIndex, square, matrix, alpha, visual.m_Color0,
                                                  visual.m_Color1, visual.m_BlendMode);
            }
        }
    }

    GxGDIFontMap* fontMap = GetSystemFontMap(m_TextFontIndex);
    if (fontMap) {
        const char16_t lineBreak = GetUILineBreakChar(this);
        const std::int32_t alpha = visual.m_Alpha;
        const std::uint32_t textColor = FadeUIColor(m_TextColor, alpha);
        const std::uint32_t edgeColor = FadeUIColor(m_EdgeColor, alpha);
        const GxVector2 scale(visual.m_Scale.x, visual.m_Scale.y);
        const std::int64_t s = m_TextFontSize;
        const std::int64_t p = m_Padding;
        std::int64_t x = 0;
        std::int64_t line = 0;
        for (const char16_t c : m_Text) {
            if (c == lineBreak || c == kLineFeed) {
                x = 0;
                ++line;
                continue;
            }
            const GxGlyphRecord glyph = fontMap->GetGlyph(c);
            if (!glyph.IsEmpty()) {
                const float gx = origin.x + scale.x * static_cast<float>(p + x);
                const float gy = origin.y + scale.y * static_cast<float>(s * line + p);
                if (m_UseEdge)
                    graphics->DrawGlyphRing(glyph, gx, gy, 1.0f, scale, edgeColor, 0, visual.m_BlendMode);
                graphics->DrawGlyphRecord(glyph, gx, gy, scale, textColor, 0, visual.m_BlendMode);
            }
            x += CharWidthClass(c) * s / 2;
            if (m_NewLineWidth <= s + x) {
                x = 0;
                ++line;
            }
        }
    }
    graphics->EndSceneNested();
    return 0;
}

bool GxTaskUITipHelpIs::WriteState(GxContentWriterBase& writer)
{
    bool ok = GxTaskUIBase::WriteState(writer);
    ok = writer.WriteWString("m_ImageName", m_ImageName) && ok;
    ok = writer.WriteWString("m_ImageSetName", m_ImageSetName) && ok;
    ok = writer.WriteS32("m_PatternIndex", m_PatternIndex) && ok;
    ok = writer.WriteS32("m_TextFontIndex", m_TextFontIndex) && ok;
    ok = writer.WriteS32("m_TextFontSize", m_TextFontSize) && ok;
    ok = writer.WriteU32("m_TextColor", m_TextColor) && ok;
    ok = writer.WriteU32("m_EdgeColor", m_EdgeColor) && ok;
    ok = writer.WriteBool("m_UseEdge", m_UseEdge) && ok;
    ok = writer.WriteS32("m_NewLineWidth", m_NewLineWidth) && ok;
    ok = writer.WriteBool("m_AutoHide", m_AutoHide) && ok;
    ok = writer.WriteS32("m_Padding", m_Padding) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxTaskUITipHelpIs::ReadState(GxContentReaderBase& reader)
{
    GxTaskUIBase::ReadState(reader);
    ReadUIField(reader, "m_ImageName", m_ImageName);
    ReadUIField(reader, "m_ImageSetName", m_ImageSetName);
    ReadUIField(reader, "m_PatternIndex", m_PatternIndex);
    ReadUIField(reader, "m_TextFontIndex", m_TextFontIndex);
    ReadUIExtent(reader, "m_TextFontSize", m_TextFontSize);
    ReadUIField(reader, "m_TextColor", m_TextColor);
    ReadUIField(reader, "m_EdgeColor", m_EdgeColor);
    ReadUIField(reader, "m_UseEdge", m_UseEdge);
    ReadUIExtent(reader, "m_NewLineWidth", m_NewLineWidth);
    ReadUIField(reader, "m_AutoHide", m_AutoHide);
    ReadUIExtent(reader, "m_Padding", m_Padding);
    ReleaseImages();
    ResetEventState();
    GxSceneGeneration::Touch();
    return reader.GetErrorCount() == 0;
}
