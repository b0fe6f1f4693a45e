// GxTextureTextEx: a text revealed into the texture a few characters at a time, with a pen, a
// wrapping region and colour tags.
#include "graphics/texture_text.h"

#include "graphics/text_layout.h"

#include <algorithm>

std::uint32_t ColorTagHandler(GxTextureTextEx* texture, const char16_t* text, char16_t tagEnd)
{
    static constexpr D3DCOLOR kColors[8] = {0xFF000000, 0xFF0000FF, 0xFF00FF00, 0xFFFF0000,
                                            0xFF00FFFF, 0xFFFF00FF, 0xFFFFFF00, 0xFFFFFFFF};
    if (!text) return 0;
    std::uint32_t read = 0;
    // An unclosed tag ends with the text; never read past its NUL.
    while (text[read] != 0) {
        const char16_t unit = text[read++];
        if (unit == tagEnd) break;
        if (!texture) continue;
        if (unit == u'-')
            texture->SetCurrentColor(texture->GetDefaultColor());
        else if (unit >= u'0' && unit <= u'7')
            texture->SetCurrentColor(kColors[unit - u'0']);
    }
    return read;
}

GxTextureTextEx::GxTextureTextEx() = default;

GxTextureTextEx::~GxTextureTextEx() = default;

bool GxTextureTextEx::CreateTexture(std::u16string_view name, std::uint32_t width, std::uint32_t height,
                                    D3DFORMAT format, std::uint32_t levels)
{
    const bool created = GxTextureText::CreateTexture(name, width, height, format, levels);
    if (created) SetRegion(nullptr);
    return created;
}

void GxTextureTextEx::SetRegion(const RECT* region)
{
    if (region)
        m_Region = *region;
    else
        m_Region = RECT{0, 0, static_cast<LONG>(GetWidth()), static_cast<LONG>(GetHeight())};
}

void GxTextureTextEx::SetColor(D3DCOLOR color)
{
    m_DefaultColor = color;
    m_CurrentColor = color;
}

void GxTextureTextEx::SetSecondColor(D3DCOLOR color)
{
    m_SecondColor = color;
}

void GxTextureTextEx::UseGDIFont(std::int32_t size)
{
    m_FontSource = kTextSourceGDI;
    m_FontSize = size;
}

void GxTextureTextEx::UseGridFont(const GxGridFontDesc* font)
{
    m_FontSource = kTextSourceGrid;
    m_GridFont = font;
}

void GxTextureTextEx::UsePackedFont(const GxPackedFontSource* font, std::int32_t effect)
{
    m_FontSource = kTextSourcePacked;
    m_PackedFont = font;
    m_PackedEffect = effect;
}

void GxTextureTextEx::SetControlChars(char16_t lineBreak, char16_t tagStart, char16_t tagEnd)
{
    m_LineBreakChar = lineBreak;
    m_TagStartChar = tagStart;
    m_TagEndChar = tagEnd;
}

void GxTextureTextEx::SetSpacing(std::int32_t charSpacing, std::int32_t lineSpacing)
{
    m_CharSpacing = charSpacing;
    m_LineSpacing = lineSpacing;
}

void GxTextureTextEx::SetTagHandler(GxTextTagHandler handler)
{
    m_TagHandler = handler;
}

void GxTextureTextEx::SetText(std::u16string_view text)
{
    m_Text.assign(text);
    m_ProcessPos = 0;
}

void GxTextureTextEx::AppendText(std::u16string_view text)
{
    m_Text.append(text);
}

void GxTextureTextEx::ClearText()
{
    m_Text.clear();
    m_ProcessPos = 0;
}

void GxTextureTextEx::SetPen(std::int32_t x, std::int32_t y)
{
    m_PenX = x;
    m_PenY = y;
}

void GxTextureTextEx::GetPen(std::int32_t* x, std::int32_t* y) const
{
    if (x) *x = m_PenX;
    if (y) *y = m_PenY;
}

void GxTextureTextEx::SetProcessPos(std::uint32_t position)
{
    m_ProcessPos = static_cast<std::uint32_t>(std::min<std::size_t>(position, m_Text.size()));
}

std::uint32_t GxTextureTextEx::Remaining() const
{
    return m_ProcessPos < m_Text.size() ? static_cast<std::uint32_t>(m_Text.size() - m_ProcessPos) : 0;
}

void GxTextureTextEx::CharBox(char16_t character, std::int32_t* width, std::int32_t* height) const
{
    *width = 0;
    *height = 0;
    switch (m_FontSource) {
    case kTextSourceGDI:
        *width = (CharWidthClass(character) * m_FontSize) / 2;
        *height = m_FontSize;
        break;
    case kTextSourceGrid:
        if (m_GridFont) {
            *width = static_cast<std::int32_t>(m_GridFont->GetCellWidth());
            *height = static_cast<std::int32_t>(m_GridFont->cellHeight);
        }
        break;
    case kTextSourcePacked:
        if (m_PackedFont) {
            const auto cellSize = static_cast<std::int32_t>(m_PackedFont->GetCellSize());
            *width = (CharWidthClass(character) * cellSize) / 2;
            *height = cellSize;
        }
        break;
    default:
        break;
    }
}

void GxTextureTextEx::DrawChar(char16_t character)
{
    const std::u16string_view one(&character, 1);
    switch (m_FontSource) {
    case kTextSourceGDI:
        DrawString(one, m_PenX, m_PenY, m_FontSize, m_CurrentColor, nullptr, nullptr);
        break;
    case kTextSourceGrid:
        DrawGridString(one, m_GridFont, m_PenX, m_PenY, nullptr, nullptr);
        break;
    case kTextSourcePacked:
        DrawPackedString(one, m_PackedFont, m_PenX, m_PenY, m_CurrentColor, nullptr, nullptr, m_PackedEffect,
                         m_SecondColor);
        break;
    default:
        break;
    }
}

std::uint32_t GxTextureTextEx::ProcessSteps(std::uint32_t count, bool tagged)
{
    while (count > 0 && m_ProcessPos < m_Text.size()) {
        const char16_t character = m_Text[m_ProcessPos];
        if (tagged && m_TagHandler && character == m_TagStartChar) {
            const std::uint32_t consumed = m_TagHandler(this, m_Text.c_str() + m_ProcessPos + 1, m_TagEndChar);
            // Whatever the handler claims, the position never passes the end of the text.
            const std::size_t next = static_cast<std::size_t>(m_ProcessPos) + 1 + consumed;
            m_ProcessPos = static_cast<std::uint32_t>(std::min(next, m_Text.size()));
            continue;
        }
        std::int32_t width = 0;
        std::int32_t height = 0;
        CharBox(character, &width, &height);
        if (character == m_LineBreakChar) {
            m_PenX = m_Region.left;
            m_PenY += m_LineSpacing + height;
            ++m_ProcessPos;
            continue;
        }
        if (m_CharSpacing + m_PenX + width > m_Region.right) {
            m_PenX = m_Region.left;
            m_PenY += m_LineSpacing + height;
        }
        DrawChar(character);
        ++m_ProcessPos;
        m_PenX += m_CharSpacing + width;
        --count;
    }
    return Remaining();
}

std::uint32_t GxTextureTextEx::Process(std::uint32_t count)
{
    return ProcessSteps(count, false);
}

void GxTextureTextEx::ProcessAll()
{
    while (Process(1) != 0) {
    }
}

std::uint32_t GxTextureTextEx::ProcessTagged(std::uint32_t count)
{
    return ProcessSteps(count, true);
}

void GxTextureTextEx::ProcessTaggedAll()
{
    while (ProcessTagged(1) != 0) {
    }
}

void GxTextureTextEx::DrawText(std::u16string_view text)
{
    SetText(text);
    ProcessAll();
}

void GxTextureTextEx::DrawTextAt(std::u16string_view text, std::int32_t x, std::int32_t y)
{
    SetPen(x, y);
    DrawText(text);
}

void GxTextureTextEx::Reset()
{
    m_Text.clear();
    m_PenX = m_Region.left;
    m_PenY = m_Region.top;
    m_ProcessPos = 0;
    FillRect(&m_Region, 0);
}

void GxTextureTextEx::ResetAndDrawText(std::u16string_view text)
{
    Reset();
    DrawText(text);
}

void GxTextureTextEx::ResetAndDrawTextAt(std::u16string_view text, std::int32_t x, std::int32_t y)
{
    Reset();
    DrawTextAt(text, x, y);
}
