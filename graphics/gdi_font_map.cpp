#include "graphics/gdi_font_map.h"

#include "graphics/text_layout.h"
#include "graphics/texture.h"
#include "graphics/texture_text.h"

GxGDIFontMapTextureParam::GxGDIFontMapTextureParam() = default;

GxGDIFontMapTextureParam::~GxGDIFontMapTextureParam() = default;

GxGDIFontMap::GxGDIFontMap() = default;

GxGDIFontMap::~GxGDIFontMap()
{
    Clear();
}

void GxGDIFontMap::SetFont(std::int32_t size, const char16_t* face)
{
    Clear();
    m_FontSize = size;
    m_FaceName = (face && face[0] != 0) ? face : kDefaultFaceName;
}

void GxGDIFontMap::Clear()
{
    m_Glyphs.clear();
    m_CurrentPage = nullptr;
    m_Pages.clear();
    m_ExternalCharTexture.reset();
    m_ExternalCharCellsPerRow = 0;
}

void GxGDIFontMap::SetExternalCharTexture(std::unique_ptr<GxTexture> texture, std::uint32_t cellsPerRow)
{
    m_ExternalCharTexture = std::move(texture);
    m_ExternalCharCellsPerRow = m_ExternalCharTexture ? cellsPerRow : 0;
}

GxGlyphRecord GxGDIFontMap::GetGlyph(char16_t character)
{
    if (character < 32 || (character >= 127 && character <= 159)) return {};
    if (character >= 0xE000 && character <= 0xF8FF) return ExternalCharGlyph(character);
    const auto found = m_Glyphs.find(character);
    if (found != m_Glyphs.end()) return found->second;
    return RasteriseGlyph(character);
}

GxGlyphRecord GxGDIFontMap::ExternalCharGlyph(char16_t character) const
{
    GxGlyphRecord record;
    if (!m_ExternalCharTexture || !m_ExternalCharTexture->HasTexture() || m_ExternalCharCellsPerRow == 0)
        return record;
    const std::uint32_t index = character - 0xE000u;
    const auto column = static_cast<std::int32_t>(index % m_ExternalCharCellsPerRow);
    const auto row = static_cast<std::int32_t>(index / m_ExternalCharCellsPerRow);
    record.texture = m_ExternalCharTexture.get();
    record.x = m_FontSize * column;
    record.y = m_FontSize * row;
    record.width = m_FontSize;
    record.height = m_FontSize;
    record.widthClass = kFullWidthClass;
    const auto width = static_cast<float>(m_ExternalCharTexture->GetWidth());
    const auto height = static_cast<float>(m_ExternalCharTexture->GetHeight());
    record.leftU = static_cast<float>(record.x) / width;
    record.topV = static_cast<float>(record.y) / height;
    record.rightU = static_cast<float>(record.x + m_FontSize) / width;
    record.bottomV = static_cast<float>(record.y + m_FontSize) / height;
    return record;
}

GxGlyphRecord GxGDIFontMap::RasteriseGlyph(char16_t character)
{
    // A cell that cannot fit on a page would open a new page for every glyph.
    if (m_FontSize < 1 || m_FontSize >= kLargePageEdge) return {};
    GxGDIFontMapTextureParam* page = m_CurrentPage;
    if (!page || page->m_PenY + m_FontSize >= static_cast<std::int32_t>(page->m_Texture->GetHeight())) {
        page = OpenPage();
        // Without a page texture there is no glyph; the next request tries again.
        if (!page) return {};
    }
    const GxGlyphRecord record = PlaceGlyph(page, character);
    m_Glyphs.emplace(character, record);
    return record;
}

GxGDIFontMapTextureParam* GxGDIFontMap::OpenPage()
{
    const std::int32_t edge = m_FontSize >= kLargePageFontSize ? kLargePageEdge : kSmallPageEdge;
    auto page = std::make_unique<GxGDIFontMapTextureParam>();
    page->m_Texture = std::make_unique<GxTextureText>();
    if (!page->m_Texture->CreateTexture(u"GDIFontMap", static_cast<std::uint32_t>(edge),
                                        static_cast<std::uint32_t>(edge), D3DFMT_A4R4G4B4, 1))
        return nullptr;
    page->m_Texture->SetFontName(m_FaceName);
    m_Pages.push_back(std::move(page));
    m_CurrentPage = m_Pages.back().get();
    return m_CurrentPage;
}

GxGlyphRecord GxGDIFontMap::PlaceGlyph(GxGDIFontMapTextureParam* page, char16_t character)
{
    GxTextureText* texture = page->m_Texture.get();
    GxGlyphRecord record;
    record.widthClass = CharWidthClass(character);
    record.x = page->m_PenX;
    record.y = page->m_PenY;
    record.width = (m_FontSize * record.widthClass) / 2;
    record.height = m_FontSize;
    record.leftU = texture->GetU(static_cast<float>(record.x));
    record.topV = texture->GetV(static_cast<float>(record.y));
    record.rightU = texture->GetU(static_cast<float>(record.x + record.width));
    record.bottomV = texture->GetV(static_cast<float>(record.y + record.height));
    record.texture = texture;
    const RECT cell{record.x, record.y, record.x + record.width, record.y + record.height};
    texture->DrawCharInCell(character, cell, m_FontSize, 0xFFFFFFFF);
    page->m_PenX += record.width;
    if (page->m_PenX + m_FontSize >= static_cast<std::int32_t>(texture->GetWidth())) {
        page->m_PenX = 0;
        page->m_PenY += m_FontSize;
    }
    return record;
}
