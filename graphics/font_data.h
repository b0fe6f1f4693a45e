// GxFontData: a bitmap font. One texture holds the glyphs; a range of UTF-16 code units from
// `first` to `last` has one cell (x, y, width) each, all cells one height. Made as a fixed grid
// over an image (CreateGrid, CreateGridFromResource) or from a ".fmp" file with its own table
// (CreateFromFile).
//
// ".fmp" layout (little-endian): a 96-byte header (first code at 16, last code at 20, default
// width at 40, cell height at 44, texture width and height at 52 and 56, a UTF-16 name of 15
// units and a NUL at 64), then one 8-byte entry per code (x, y, width as u16, one unused u16).
//
// Font images are loaded unscaled: an image that is not a power of two sits at the top left of
// its texture, so cell positions in image pixels address the texture directly.
// Window thread only.
#pragma once

#include "graphics/standins/module_resource.h"
#include "graphics/texture.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The header as stored in the file.
struct GxFontDataHeader {
    std::uint8_t reserved0[16] = {};
    std::uint32_t first = 0;
    std::uint32_t last = 0;
    std::uint8_t reserved1[16] = {};
    std::uint32_t defaultWidth = 0;
    std::uint32_t cellHeight = 0;
    std::uint32_t reserved2 = 0;
    std::uint32_t textureWidth = 0;
    std::uint32_t textureHeight = 0;
    std::uint32_t reserved3 = 0;
    char16_t name[16] = {};
};
static_assert(sizeof(GxFontDataHeader) == 96, "the font header is 96 bytes");

struct GxFontDataEntry {
    std::uint16_t x = 0;       // left pixel of the cell
    std::uint16_t y = 0;       // top pixel
    std::uint16_t width = 0;   // pixels
    std::uint16_t unused = 0;
};
static_assert(sizeof(GxFontDataEntry) == 8, "a font entry is 8 bytes");

class GxFontData {
public:
    static constexpr std::size_t kHeaderSize = 96;
    static constexpr std::size_t kEntrySize = 8;
    static constexpr std::size_t kNameUnits = 15;

    GxFontData();
    virtual ~GxFontData();

    GxFontData(const GxFontData&) = delete;
    GxFontData& operator=(const GxFontData&) = delete;

    // Header zeroed, table freed, texture released. Any time.
    virtual void Clear();

    // A grid of `cellsPerRow` cells per row, codes first to last in reading order. The image
    // load is not checked (IsLoaded tells); false only for a range or grid that cannot be held
    // (first > last, a code above 0xFFFF, no cells per row, a cell position beyond 16 bits).
    virtual bool CreateGrid(std::u16string_view name, std::u16string_view imageFile, std::uint32_t first,
                            std::uint32_t last, std::uint32_t cellWidth, std::uint32_t cellHeight,
                            std::uint32_t cellsPerRow);
    virtual bool CreateGrid(std::string_view name, std::string_view imageFile, std::uint32_t first,
                            std::uint32_t last, std::uint32_t cellWidth, std::uint32_t cellHeight,
                            std::uint32_t cellsPerRow);
    virtual bool CreateGridFromResource(std::u16string_view name, HMODULE module, HRSRC resource, std::uint32_t first,
                                        std::uint32_t last, std::uint32_t cellWidth, std::uint32_t cellHeight,
                                        std::uint32_t cellsPerRow, D3DCOLOR colorKey);
    virtual bool CreateGridFromResource(std::string_view name, HMODULE module, HRSRC resource, std::uint32_t first,
                                        std::uint32_t last, std::uint32_t cellWidth, std::uint32_t cellHeight,
                                        std::uint32_t cellsPerRow, D3DCOLOR colorKey);
    // The image, then the font file (archives included). A missing image or file, a file
    // shorter than its header and table, or a header whose range cannot be held is refused
    // with one error line and leaves the font empty.
    virtual bool CreateFromFile(std::u16string_view fontFile, std::u16string_view imageFile);
    virtual bool CreateFromFile(std::string_view fontFile, std::string_view imageFile);

    virtual GxTexture* GetTexture();
    virtual bool IsLoaded() const;

    bool HasChar(char16_t code) const;
    // The cell's width, or the default width outside the range.
    std::uint32_t GetCharWidth(char16_t code) const;
    // Sum over every code unit; 0 for an empty string.
    std::uint32_t GetTextWidth(std::u16string_view text) const;
    // (left u, top v, right u, bottom v) of the cell, the bottom from the font's cell height;
    // outside the range all four are 0 and the result false.
    bool GetCharUV(float uv[4], char16_t code) const;
    std::uint32_t GetDefaultWidth() const { return m_Header.defaultWidth; }
    std::uint32_t GetCharHeight() const { return m_Header.cellHeight; }
    std::uint32_t GetFirstCode() const { return m_Header.first; }
    std::uint32_t GetLastCode() const { return m_Header.last; }
    std::u16string GetName() const;
    const GxFontDataHeader& GetHeader() const { return m_Header; }
    // Null when the table is empty.
    const GxFontDataEntry* GetEntry(char16_t code) const;

private:
    // The header's range and table for a grid; false (logged) when they cannot be held.
    bool BuildGrid(std::u16string_view name, std::uint32_t first, std::uint32_t last, std::uint32_t cellWidth,
                   std::uint32_t cellHeight, std::uint32_t cellsPerRow);

    GxFontDataHeader m_Header;
    std::vector<GxFontDataEntry> m_Entries;
    GxTexture m_Texture;
};
