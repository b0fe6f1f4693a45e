// The glyph cache of one GDI font face at one pixel size: characters are rasterised on first
// use into 16-bit (A4R4G4B4) page textures, packed row by row, and every later request returns
// the stored cell. Drawing then needs only the page textures and their coordinates.
// Window thread only; no lock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

class GxTexture;
class GxTextureText;

// The cell of one character. The all-zero record (no texture, zero size and coordinates)
// means there is no glyph: callers draw nothing but still advance by the width class.
struct GxGlyphRecord {
    GxTexture* texture = nullptr;   // page or external-character texture; not owned
    std::int32_t x = 0;             // top-left pixel of the cell in that texture
    std::int32_t y = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::int32_t widthClass = 0;    // 1 half-width, 2 full-width
    float leftU = 0.0f;
    float topV = 0.0f;
    float rightU = 0.0f;
    float bottomV = 0.0f;

    bool IsEmpty() const { return texture == nullptr; }
};

// One page: its texture and the pen of the row being filled.
class GxGDIFontMapTextureParam {
public:
    GxGDIFontMapTextureParam();
    virtual ~GxGDIFontMapTextureParam();

    GxGDIFontMapTextureParam(const GxGDIFontMapTextureParam&) = delete;
    GxGDIFontMapTextureParam& operator=(const GxGDIFontMapTextureParam&) = delete;

    std::unique_ptr<GxTextureText> m_Texture;
    std::int32_t m_PenY = 0;   // top of the row being filled
    std::int32_t m_PenX = 0;   // next free column
};

class GxGDIFontMap {
public:
    static constexpr std::int32_t kDefaultFontSize = 16;
    // The default face, written in full-width letters.
    static constexpr const char16_t* kDefaultFaceName = u"ＭＳ ゴシック";
    // Page edges: fonts of this size and above get the larger page.
    static constexpr std::int32_t kSmallPageEdge = 256;
    static constexpr std::int32_t kLargePageEdge = 512;
    static constexpr std::int32_t kLargePageFontSize = 18;

    GxGDIFontMap();
    virtual ~GxGDIFontMap();

    GxGDIFontMap(const GxGDIFontMap&) = delete;
    GxGDIFontMap& operator=(const GxGDIFontMap&) = delete;

    // Clears everything cached, then takes the size and face (null or empty: the default face).
    void SetFont(std::int32_t size, const char16_t* face);
    // Never fails; the worst case is the all-zero record. Control characters (below 32 and
    // 127 to 159) have no glyph; private-use characters come only from the external-character
    // grid. A size that cannot fit a page (below 1, or above the large page) has no glyphs.
    GxGlyphRecord GetGlyph(char16_t character);
    // Drops every page and the external-character texture; size and face stay.
    void Clear();

    // Installs the grid of private-use characters U+E000 onwards: `cellsPerRow` cells of the
    // font size per row. The map owns the texture from then on; Clear deletes it.
    void SetExternalCharTexture(std::unique_ptr<GxTexture> texture, std::uint32_t cellsPerRow);

    std::int32_t GetFontSize() const { return m_FontSize; }
    const std::u16string& GetFaceName() const { return m_FaceName; }
    std::size_t GetPageCount() const { return m_Pages.size(); }
    // Null before the first glyph and after Clear.
    const GxGDIFontMapTextureParam* GetCurrentPage() const { return m_CurrentPage; }
    std::size_t GetCachedGlyphCount() const { return m_Glyphs.size(); }

private:
    GxGlyphRecord ExternalCharGlyph(char16_t character) const;
    GxGlyphRecord RasteriseGlyph(char16_t character);
    // Null when the page texture could not be created.
    GxGDIFontMapTextureParam* OpenPage();
    GxGlyphRecord PlaceGlyph(GxGDIFontMapTextureParam* page, char16_t character);

    std::map<char16_t, GxGlyphRecord> m_Glyphs;
    std::vector<std::unique_ptr<GxGDIFontMapTextureParam>> m_Pages;
    GxGDIFontMapTextureParam* m_CurrentPage = nullptr;
    std::int32_t m_FontSize = kDefaultFontSize;
    std::u16string m_FaceName = kDefaultFaceName;
    std::unique_ptr<GxTexture> m_ExternalCharTexture;
    std::uint32_t m_ExternalCharCellsPerRow = 0;
};
