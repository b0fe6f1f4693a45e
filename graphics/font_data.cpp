#include "graphics/font_data.h"

#include "foundation/bin_buffer.h"
#include "foundation/file.h"
#include "foundation/log.h"
#include "foundation/wide_string.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::uint32_t kLastCode = 0xFFFF;

std::uint32_t ReadU32(const BYTE* data)
{
    return std::uint32_t(data[0]) | (std::uint32_t(data[1]) << 8) | (std::uint32_t(data[2]) << 16) |
           (std::uint32_t(data[3]) << 24);
}

std::uint16_t ReadU16(const BYTE* data)
{
    return static_cast<std::uint16_t>(data[0] | (data[1] << 8));
}

// A header read field by field, so the file's byte order holds whatever the host's.
GxFontDataHeader ReadHeader(const BYTE* data)
{
    GxFontDataHeader header;
    std::memcpy(header.reserved0, data, sizeof(header.reserved0));
    header.first = ReadU32(data + 16);
    header.last = ReadU32(data + 20);
    std::memcpy(header.reserved1, data + 24, sizeof(header.reserved1));
    header.defaultWidth = ReadU32(data + 40);
    header.cellHeight = ReadU32(data + 44);
    header.reserved2 = ReadU32(data + 48);
    header.textureWidth = ReadU32(data + 52);
    header.textureHeight = ReadU32(data + 56);
    header.reserved3 = ReadU32(data + 60);
    for (std::size_t i = 0; i < 16; ++i) header.name[i] = static_cast<char16_t>(ReadU16(data + 64 + 2 * i));
    // The name is kept terminated even when the file's is not.
    header.name[GxFontData::kNameUnits] = u'\0';
    return header;
}

}  // namespace

GxFontData::GxFontData() = default;

GxFontData::~GxFontData()
{
    Clear();
}

void GxFontData::Clear()
{
    m_Header = GxFontDataHeader{};
    m_Entries.clear();
    m_Entries.shrink_to_fit();
    m_Texture.Release();
}

bool GxFontData::BuildGrid(std::u16string_view name, std::uint32_t first, std::uint32_t last, std::uint32_t cellWidth,
                           std::uint32_t cellHeight, std::uint32_t cellsPerRow)
{
    // Cells are stored as 16-bit positions; a grid that does not fit would address the wrong
    // pixels, and no cells per row has no layout at all.
    bool fits = first <= last && last <= kLastCode && cellsPerRow != 0 && cellWidth <= 0xFFFF;
    if (fits) {
        const std::uint64_t count = std::uint64_t(last) - first + 1;
        const std::uint64_t columns = std::min<std::uint64_t>(count, cellsPerRow);
        const std::uint64_t rows = (count + cellsPerRow - 1) / cellsPerRow;
        fits = (columns - 1) * cellWidth <= 0xFFFF && (rows - 1) * std::uint64_t(cellHeight) <= 0xFFFF;
    }
    if (!fits) {
        LogPrint(u"Error/GxFontData CreateGrid Failed(Name:\"%s\" Code:%u-%u Cell:%ux%u PerRow:%u)\n",
                 std::u16string(name).c_str(), first, last, cellWidth, cellHeight, cellsPerRow);
        return false;
    }

    m_Header.first = first;
    m_Header.last = last;
    m_Header.defaultWidth = cellWidth;
    m_Header.cellHeight = cellHeight;
    const std::size_t units = std::min(name.size(), kNameUnits);
    std::copy_n(name.data(), units, m_Header.name);
    m_Header.name[units] = u'\0';

    m_Entries.assign(std::size_t(last - first) + 1, GxFontDataEntry{});
    for (std::size_t i = 0; i < m_Entries.size(); ++i) {
        m_Entries[i].x = static_cast<std::uint16_t>((i % cellsPerRow) * cellWidth);
        m_Entries[i].y = static_cast<std::uint16_t>((i / cellsPerRow) * cellHeight);
        m_Entries[i].width = static_cast<std::uint16_t>(cellWidth);
    }
    return true;
}

bool GxFontData::CreateGrid(std::u16string_view name, std::u16string_view imageFile, std::uint32_t first,
                            std::uint32_t last, std::uint32_t cellWidth, std::uint32_t cellHeight,
                            std::uint32_t cellsPerRow)
{
    Clear();
    if (!BuildGrid(name, first, last, cellWidth, cellHeight, cellsPerRow)) return false;
    // Unscaled, so a grid over an image that is not a power of two keeps its pixel positions.
    // A failed load keeps the table; IsLoaded reports it.
    m_Texture.CreateFromFile(imageFile, D3DFMT_UNKNOWN, 1, 0, false);
    m_Header.textureWidth = m_Texture.GetWidth();
    m_Header.textureHeight = m_Texture.GetHeight();
    return true;
}

bool GxFontData::CreateGrid(std::string_view name, std::string_view imageFile, std::uint32_t first,
                            std::uint32_t last, std::uint32_t cellWidth, std::uint32_t cellHeight,
                            std::uint32_t cellsPerRow)
{
    return CreateGrid(MultiByteToWide(name), MultiByteToWide(imageFile), first, last, cellWidth, cellHeight,
                      cellsPerRow);
}

bool GxFontData::CreateGridFromResource(std::u16string_view name, HMODULE module, HRSRC resource,
                                        std::uint32_t first, std::uint32_t last, std::uint32_t cellWidth,
                                        std::uint32_t cellHeight, std::uint32_t cellsPerRow, D3DCOLOR colorKey)
{
    Clear();
    if (!BuildGrid(name, first, last, cellWidth, cellHeight, cellsPerRow)) return false;
    m_Texture.CreateFromResource(name, module, resource, D3DFMT_UNKNOWN, 1, colorKey, false);
    m_Header.textureWidth = m_Texture.GetWidth();
    m_Header.textureHeight = m_Texture.GetHeight();
    return true;
}

bool GxFontData::CreateGridFromResource(std::string_view name, HMODULE module, HRSRC resource, std::uint32_t first,
                                        std::uint32_t last, std::uint32_t cellWidth, std::uint32_t cellHeight,
                                        std::uint32_t cellsPerRow, D3DCOLOR colorKey)
{
    return CreateGridFromResource(MultiByteToWide(name), module, resource, first, last, cellWidth, cellHeight,
                                  cellsPerRow, colorKey);
}

bool GxFontData::CreateFromFile(std::u16string_view fontFile, std::u16string_view imageFile)
{
    Clear();
    const std::u16string fontName(fontFile);
    auto fail = [&]() {
        LogPrint(u"Error/GxFontData CreateFromFile Failed(Name:\"%s\")\n", fontName.c_str());
        Clear();
        return false;
    };

    if (!m_Texture.CreateFromFile(imageFile, D3DFMT_UNKNOWN, 1, 0, false)) return fail();

    GxBinBuffer buffer;
    if (!GxFile::ReadWholeFile(buffer, fontName) || !buffer.GetData()) return fail();
    const BYTE* data = buffer.GetData();
    const std::uint64_t size = buffer.GetSize();

    // The file has no length field of its own: the header's range decides the table's size,
    // so the range is checked before anything is allocated or copied.
    if (size < kHeaderSize) return fail();
    const GxFontDataHeader header = ReadHeader(data);
    if (header.first > header.last || header.last > kLastCode) return fail();
    const std::uint64_t count = std::uint64_t(header.last) - header.first + 1;
    if (size < kHeaderSize + count * kEntrySize) return fail();

    m_Header = header;
    m_Entries.resize(static_cast<std::size_t>(count));
    for (std::size_t i = 0; i < m_Entries.size(); ++i) {
        const BYTE* entry = data + kHeaderSize + i * kEntrySize;
        m_Entries[i].x = ReadU16(entry);
        m_Entries[i].y = ReadU16(entry + 2);
        m_Entries[i].width = ReadU16(entry + 4);
        m_Entries[i].unused = ReadU16(entry + 6);
    }
    return true;
}

bool GxFontData::CreateFromFile(std::string_view fontFile, std::string_view imageFile)
{
    return CreateFromFile(MultiByteToWide(fontFile), MultiByteToWide(imageFile));
}

GxTexture* GxFontData::GetTexture()
{
    return &m_Texture;
}

bool GxFontData::IsLoaded() const
{
    return m_Texture.HasTexture();
}

bool GxFontData::HasChar(char16_t code) const
{
    return !m_Entries.empty() && code >= m_Header.first && code <= m_Header.last;
}

const GxFontDataEntry* GxFontData::GetEntry(char16_t code) const
{
    return HasChar(code) ? &m_Entries[code - m_Header.first] : nullptr;
}

std::uint32_t GxFontData::GetCharWidth(char16_t code) const
{
    const GxFontDataEntry* entry = GetEntry(code);
    return entry ? entry->width : m_Header.defaultWidth;
}

std::uint32_t GxFontData::GetTextWidth(std::u16string_view text) const
{
    std::uint32_t width = 0;
    for (const char16_t code : text) width += GetCharWidth(code);
    return width;
}

bool GxFontData::GetCharUV(float uv[4], char16_t code) const
{
    const GxFontDataEntry* entry = GetEntry(code);
    if (!entry) {
        std::fill_n(uv, 4, 0.0f);
        return false;
    }
    uv[0] = m_Texture.GetU(static_cast<float>(entry->x));
    uv[1] = m_Texture.GetV(static_cast<float>(entry->y));
    uv[2] = m_Texture.GetU(static_cast<float>(entry->x + entry->width));
    uv[3] = m_Texture.GetV(static_cast<float>(entry->y) + static_cast<float>(m_Header.cellHeight));
    return true;
}

std::u16string GxFontData::GetName() const
{
    return std::u16string(m_Header.name);
}
