#include "platform/gdi/gdi_object_table.h"

#include "platform/gdi/font_system.h"

namespace platform::gdi {

GdiObjectTable& GdiObjectTable::Get()
{
    static GdiObjectTable table;
    return table;
}

// The font system is made first so that it outlives the fonts held here.
GdiObjectTable::GdiObjectTable() { FontSystem::Get(); }

std::uintptr_t GdiObjectTable::NextValue(std::uintptr_t tag)
{
    ++m_Count;
    return (m_Count << 8) | tag;
}

HDC GdiObjectTable::AddContext()
{
    const std::uintptr_t value = NextValue(kContextTag);
    DeviceContext& context = m_Contexts[value];
    context.fontHandle = StockFont();
    context.font = FindFont(context.fontHandle);
    return reinterpret_cast<HDC>(value);
}

bool GdiObjectTable::RemoveContext(HDC dc) { return m_Contexts.erase(reinterpret_cast<std::uintptr_t>(dc)) > 0; }

DeviceContext* GdiObjectTable::FindContext(HDC dc)
{
    auto found = m_Contexts.find(reinterpret_cast<std::uintptr_t>(dc));
    return found == m_Contexts.end() ? nullptr : &found->second;
}

HGDIOBJ GdiObjectTable::AddFont(std::shared_ptr<Font> font)
{
    const std::uintptr_t value = NextValue(kFontTag);
    m_Fonts.emplace(value, std::move(font));
    return reinterpret_cast<HGDIOBJ>(value);
}

bool GdiObjectTable::RemoveFont(HGDIOBJ handle)
{
    if (handle && handle == m_StockFont) return true;
    return m_Fonts.erase(reinterpret_cast<std::uintptr_t>(handle)) > 0;
}

std::shared_ptr<Font> GdiObjectTable::FindFont(HGDIOBJ handle)
{
    auto found = m_Fonts.find(reinterpret_cast<std::uintptr_t>(handle));
    return found == m_Fonts.end() ? nullptr : found->second;
}

HGDIOBJ GdiObjectTable::StockFont()
{
    if (!m_StockFontTried) {
        m_StockFontTried = true;
        LOGFONTW description{};
        description.lfHeight = 16;
        description.lfWeight = FW_NORMAL;
        description.lfCharSet = SHIFTJIS_CHARSET;
        if (std::shared_ptr<Font> font = Font::Create(description)) m_StockFont = AddFont(std::move(font));
    }
    return m_StockFont;
}

}  // namespace platform::gdi
