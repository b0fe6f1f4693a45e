// GxTextureText: GDI glyphs, grid fonts and packed fonts drawn into level 0.
// Sections: helpers | fonts and buffer | GDI strings | glyphs | grid strings | packed strings | blits
#include "graphics/texture_text.h"

#include "foundation/log.h"
#include "foundation/value_types.h"
#include "foundation/wide_string.h"
#include "graphics/graphics.h"
#include "graphics/text_layout.h"
#include "platform/win32/codepage.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <new>

// ---- helpers ---------------------------------------------------------------------------------

namespace {

constexpr MAT2 kIdentity = {{0, 1}, {0, 0}, {0, 0}, {0, 1}};
// Packed fonts beyond this cell size are refused: their work area would not be reasonable.
constexpr std::uint32_t kMaxPackedCellSize = 1024;

// Grey level 0..64 to alpha: 52 and above are opaque.
const std::array<std::uint8_t, 65>& GrayAlphaTable()
{
    static const std::array<std::uint8_t, 65> table = [] {
        std::array<std::uint8_t, 65> values{};
        for (std::uint32_t level = 0; level <= 64; ++level)
            values[level] = static_cast<std::uint8_t>(std::min<std::uint32_t>(255, level * 255 / 52));
        return values;
    }();
    return table;
}

void Store32(std::uint8_t* at, std::uint32_t value) { std::memcpy(at, &value, 4); }
void Store16(std::uint8_t* at, std::uint16_t value) { std::memcpy(at, &value, 2); }

// The top four bits of red, green and blue in their A4R4G4B4 places.
std::uint16_t Rgb4(D3DCOLOR color)
{
    return static_cast<std::uint16_t>(ConvertA8R8G8B8ToA4R4G4B4(color) & 0x0FFF);
}

// One multibyte character of code page 932 text: its code (lead << 8 | trail) and byte length.
struct MultiByteChar {
    std::uint32_t code = 0;
    std::int32_t length = 0;
};

MultiByteChar NextMultiByteChar(std::string_view text, std::size_t position)
{
    const auto lead = static_cast<std::uint8_t>(text[position]);
    if (IsDBCSLeadByte(lead) && position + 1 < text.size() && text[position + 1] != 0) {
        const auto trail = static_cast<std::uint8_t>(text[position + 1]);
        return {static_cast<std::uint32_t>(lead) << 8 | trail, 2};
    }
    return {lead, 1};
}

// The break character of the 8-bit string drawers: a single-byte character equal to `breakChar`
// (0: none).
bool IsBreakChar(const MultiByteChar& character, char breakChar)
{
    return breakChar != 0 && character.length == 1 && character.code == static_cast<std::uint8_t>(breakChar);
}

// The pen of the wrapped string drawers, which measure characters in half cells: a break character
// or a full line moves it to the start of the next line, and each drawn character moves it on by
// its half cells plus the spacing.
class WrapPen {
public:
    WrapPen(std::int32_t x, std::int32_t y, std::int32_t lineStartX, std::int32_t unitsPerLine, std::int32_t cellSize,
            std::int32_t charSpacing, std::int32_t lineSpacing)
        : m_X(x), m_Y(y), m_LineStartX(lineStartX), m_UnitsPerLine(unitsPerLine), m_CellSize(cellSize),
          m_CharSpacing(charSpacing), m_LineSpacing(lineSpacing)
    {
    }

    // Before each character; false for the break character itself, which is not drawn.
    bool Place(bool isBreak)
    {
        if (isBreak || m_Units >= m_UnitsPerLine) {
            m_Y += m_CellSize + m_LineSpacing;
            m_X = m_LineStartX;
            m_Units = 0;
            if (isBreak) return false;
        }
        return true;
    }
    // After a drawn character `units` half cells wide.
    void Advance(std::int32_t units)
    {
        m_Units += units;
        m_X += (units * m_CellSize) / 2 + m_CharSpacing;
    }
    std::int32_t X() const { return m_X; }
    std::int32_t Y() const { return m_Y; }
    void Report(std::int32_t* endX, std::int32_t* endY) const
    {
        if (endX) *endX = m_X;
        if (endY) *endY = m_Y;
    }

private:
    std::int32_t m_X;
    std::int32_t m_Y;
    std::int32_t m_LineStartX;
    std::int32_t m_UnitsPerLine;
    std::int32_t m_CellSize;
    std::int32_t m_CharSpacing;
    std::int32_t m_LineSpacing;
    std::int32_t m_Units = 0;
};

// The device context of the main window with a font selected for the length of one draw.
class ScopedGlyphFont {
public:
    explicit ScopedGlyphFont(const LOGFONTW& description)
    {
        m_Dc = ::GetDC(GxGraphics::GetWindow());
        if (!m_Dc) return;
        m_Font = CreateFontIndirectW(&description);
        if (m_Font) m_Previous = SelectObject(m_Dc, m_Font);
    }
    ~ScopedGlyphFont()
    {
        if (m_Previous) SelectObject(m_Dc, m_Previous);
        if (m_Font) DeleteObject(m_Font);
        if (m_Dc) ::ReleaseDC(GxGraphics::GetWindow(), m_Dc);
    }
    ScopedGlyphFont(const ScopedGlyphFont&) = delete;
    ScopedGlyphFont& operator=(const ScopedGlyphFont&) = delete;

    bool IsValid() const { return m_Dc && m_Font && m_Previous; }
    HDC Dc() const { return m_Dc; }

private:
    HDC m_Dc = nullptr;
    HFONT m_Font = nullptr;
    HGDIOBJ m_Previous = nullptr;
};

// Unlocks level 0 when the draw ends.
class ScopedUnlock {
public:
    explicit ScopedUnlock(GxTexture* texture) : m_Texture(texture) {}
    ~ScopedUnlock() { m_Texture->UnlockRect(); }
    ScopedUnlock(const ScopedUnlock&) = delete;
    ScopedUnlock& operator=(const ScopedUnlock&) = delete;

private:
    GxTexture* m_Texture;
};

// The part of a box at (left, top) of width x height that lies on the surface; false when none.
struct ClippedBox {
    std::int32_t destX = 0, destY = 0;       // first visible pixel on the surface
    std::int32_t sourceX = 0, sourceY = 0;   // the same pixel inside the box
    std::int32_t width = 0, height = 0;
};

bool ClipBox(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height,
             const GxTextSurface& surface, ClippedBox* box)
{
    const std::int64_t x0 = std::max<std::int64_t>(left, 0);
    const std::int64_t y0 = std::max<std::int64_t>(top, 0);
    const std::int64_t x1 = std::min<std::int64_t>(left + width, surface.width);
    const std::int64_t y1 = std::min<std::int64_t>(top + height, surface.height);
    if (x0 >= x1 || y0 >= y1) return false;
    box->destX = static_cast<std::int32_t>(x0);
    box->destY = static_cast<std::int32_t>(y0);
    box->sourceX = static_cast<std::int32_t>(x0 - left);
    box->sourceY = static_cast<std::int32_t>(y0 - top);
    box->width = static_cast<std::int32_t>(x1 - x0);
    box->height = static_cast<std::int32_t>(y1 - y0);
    return true;
}

std::int32_t BytesPerPixel(D3DFORMAT format)
{
    if (format == D3DFMT_A8R8G8B8) return 4;
    if (format == D3DFMT_A4R4G4B4) return 2;
    return 0;
}

}  // namespace

// ---- fonts and buffer --------------------------------------------------------------------------

GxTextureText::GxTextureText()
{
    ResizeBuffer(kInitialBufferSize);
}

GxTextureText::~GxTextureText() = default;

void GxTextureText::SetFontName(std::u16string_view face)
{
    m_FaceName.assign(face);
}

void GxTextureText::SetFontName(std::string_view face)
{
    m_FaceName = MultiByteToWide(face);
}

bool GxTextureText::ResizeBuffer(std::uint32_t bytes)
{
    if (m_Buffer && m_BufferSize >= bytes) return true;
    m_Buffer.reset();
    m_BufferSize = 0;
    m_Buffer.reset(new (std::nothrow) std::uint8_t[bytes == 0 ? 1 : bytes]);
    if (!m_Buffer) {
        LogPrint(u"Error/GxTextureText::ResizeBuffer(%u)に失敗\n", bytes);
        return false;
    }
    m_BufferSize = bytes;
    return true;
}

void GxTextureText::FillLogFont(LOGFONTW* font, std::int32_t size, std::u16string_view face) const
{
    *font = LOGFONTW{};
    font->lfHeight = size;   // positive: the cell height
    font->lfWeight = FW_NORMAL;
    font->lfCharSet = SHIFTJIS_CHARSET;
    font->lfOutPrecision = OUT_DEFAULT_PRECIS;
    font->lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font->lfQuality = DEFAULT_QUALITY;
    font->lfPitchAndFamily = DEFAULT_PITCH;
    const std::size_t length = std::min<std::size_t>(face.size(), LF_FACESIZE - 1);
    for (std::size_t i = 0; i < length; ++i) font->lfFaceName[i] = face[i];
}

bool GxTextureText::LockSurface(GxTextSurface* surface)
{
    void* bits = nullptr;
    std::int32_t pitch = 0;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
    if (!LockRect(nullptr, &bits, &pitch, &width, &height, &format, false)) return false;
    surface->bits = static_cast<std::uint8_t*>(bits);
    surface->pitch = pitch;
    surface->width = static_cast<std::int32_t>(width);
    surface->height = static_cast<std::int32_t>(height);
    surface->format = format;
    return true;
}

// ---- GDI strings ---------------------------------------------------------------------------------

bool GxTextureText::DrawString(std::u16string_view text, std::int32_t x, std::int32_t y, std::int32_t size,
                               D3DCOLOR color, std::int32_t* endX, std::int32_t* endY)
{
    return DrawStringWrapped(text, x, y, x, size, INT32_MAX, color, 0, 0, endX, endY, 0);
}

bool GxTextureText::DrawString(std::string_view text, std::int32_t x, std::int32_t y, std::int32_t size,
                               D3DCOLOR color, std::int32_t* endX, std::int32_t* endY)
{
    return DrawStringWrapped(text, x, y, x, size, INT32_MAX, color, 0, 0, endX, endY, 0);
}

bool GxTextureText::DrawStringWrapped(std::u16string_view text, std::int32_t x, std::int32_t y,
                                      std::int32_t lineStartX, std::int32_t size, std::int32_t unitsPerLine,
                                      D3DCOLOR color, std::int32_t charSpacing, std::int32_t lineSpacing,
                                      std::int32_t* endX, std::int32_t* endY, char16_t breakChar)
{
    if (!HasTexture()) return false;
    size = std::min(size, kMaxGlyphSize);
    WrapPen pen(x, y, lineStartX, unitsPerLine, size, charSpacing, lineSpacing);
    LOGFONTW description;
    FillLogFont(&description, size, m_FaceName);
    ScopedGlyphFont font(description);
    GxTextSurface surface;
    if (font.IsValid() && LockSurface(&surface)) {
        ScopedUnlock unlock(this);
        for (char16_t character : text) {
            if (character == 0) break;
            const std::int32_t widthClass = CharWidthClass(character);
            if (!pen.Place(breakChar != 0 && widthClass == kHalfWidthClass && character == breakChar)) continue;
            DrawGlyph(font.Dc(), surface, character, pen.X(), pen.Y(), size, color, nullptr);
            pen.Advance(widthClass);
        }
    }
    pen.Report(endX, endY);
    return true;
}

bool GxTextureText::DrawStringWrapped(std::string_view text, std::int32_t x, std::int32_t y,
                                      std::int32_t lineStartX, std::int32_t size, std::int32_t unitsPerLine,
                                      D3DCOLOR color, std::int32_t charSpacing, std::int32_t lineSpacing,
                                      std::int32_t* endX, std::int32_t* endY, char breakChar)
{
    if (!HasTexture()) return false;
    size = std::min(size, kMaxGlyphSize);
    WrapPen pen(x, y, lineStartX, unitsPerLine, size, charSpacing, lineSpacing);
    LOGFONTW description;
    FillLogFont(&description, size, m_FaceName);
    ScopedGlyphFont font(description);
    GxTextSurface surface;
    if (font.IsValid() && LockSurface(&surface)) {
        ScopedUnlock unlock(this);
        for (std::size_t position = 0; position < text.size() && text[position] != 0;) {
            const MultiByteChar character = NextMultiByteChar(text, position);
            position += static_cast<std::size_t>(character.length);
            if (!pen.Place(IsBreakChar(character, breakChar))) continue;
            DrawGlyph(font.Dc(), surface, character.code, pen.X(), pen.Y(), size, color, nullptr);
            pen.Advance(character.length);
        }
    }
    pen.Report(endX, endY);
    return true;
}

bool GxTextureText::DrawCharInCell(char16_t character, const RECT& cell, std::int32_t size, D3DCOLOR color)
{
    if (!HasTexture()) return false;
    size = std::min(size, kMaxGlyphSize);
    LOGFONTW description;
    FillLogFont(&description, size, m_FaceName);
    ScopedGlyphFont font(description);
    GxTextSurface surface;
    if (!font.IsValid() || !LockSurface(&surface)) return true;
    ScopedUnlock unlock(this);
    const std::int32_t bytesPerPixel = BytesPerPixel(surface.format);
    const std::int32_t left = std::max<std::int32_t>(cell.left, 0);
    const std::int32_t top = std::max<std::int32_t>(cell.top, 0);
    const std::int32_t right = std::min<std::int32_t>(cell.right, surface.width);
    const std::int32_t bottom = std::min<std::int32_t>(cell.bottom, surface.height);
    if (bytesPerPixel == 0 || !surface.bits || left >= right || top >= bottom) return true;
    // The cell as a surface of its own: the glyph's clipping then stops at the cell's edges.
    GxTextSurface inCell = surface;
    inCell.bits += static_cast<std::ptrdiff_t>(top) * surface.pitch + static_cast<std::ptrdiff_t>(left) * bytesPerPixel;
    inCell.width = right - left;
    inCell.height = bottom - top;
    DrawGlyph(font.Dc(), inCell, character, cell.left - left, cell.top - top, size, color, nullptr);
    return true;
}

// ---- glyphs ---------------------------------------------------------------------------------------

void GxTextureText::DrawGlyph(HDC dc, const GxTextSurface& surface, std::uint32_t code, std::int32_t x,
                              std::int32_t y, std::int32_t /*size*/, D3DCOLOR color, GLYPHMETRICS* metrics)
{
    DrawGlyphOutline(GetGlyphOutlineA, dc, surface, code, code == 0x20 || code == 0x8140, x, y, color, metrics);
}

void GxTextureText::DrawGlyph(HDC dc, const GxTextSurface& surface, char16_t character, std::int32_t x,
                              std::int32_t y, std::int32_t /*size*/, D3DCOLOR color, GLYPHMETRICS* metrics)
{
    DrawGlyphOutline(GetGlyphOutlineW, dc, surface, character, character == 0x20 || character == 0x3000, x, y, color,
                     metrics);
}

void GxTextureText::DrawGlyphOutline(GlyphOutlineFunction getOutline, HDC dc, const GxTextSurface& surface,
                                     UINT character, bool blank, std::int32_t x, std::int32_t y, D3DCOLOR color,
                                     GLYPHMETRICS* metrics)
{
    TEXTMETRICW text{};
    GLYPHMETRICS glyph{};
    if (metrics) *metrics = glyph;
    if (!m_Buffer || !GetTextMetricsW(dc, &text)) return;
    std::memset(m_Buffer.get(), 0, m_BufferSize);
    DWORD result = getOutline(dc, character, GGO_GRAY8_BITMAP, &glyph, static_cast<DWORD>(m_BufferSize),
                              m_Buffer.get(), &kIdentity);
    if (result == GDI_ERROR) {
        // A glyph larger than the buffer: grow it and ask again.
        const DWORD needed = getOutline(dc, character, GGO_GRAY8_BITMAP, &glyph, 0, nullptr, &kIdentity);
        if (needed != GDI_ERROR && needed > m_BufferSize && ResizeBuffer(needed)) {
            std::memset(m_Buffer.get(), 0, m_BufferSize);
            result = getOutline(dc, character, GGO_GRAY8_BITMAP, &glyph, static_cast<DWORD>(m_BufferSize),
                                m_Buffer.get(), &kIdentity);
        }
    }
    if (metrics) *metrics = glyph;
    if (result == GDI_ERROR || blank) return;
    DrawGlyphBitmap(result, glyph, text, surface, x, y, color);
}

bool GxTextureText::DrawGlyphBitmap(DWORD result, const GLYPHMETRICS& glyph, const TEXTMETRICW& text,
                                    const GxTextSurface& surface, std::int32_t x, std::int32_t y, D3DCOLOR color)
{
    const std::int64_t width = glyph.gmBlackBoxX;
    const std::int64_t height = glyph.gmBlackBoxY;
    const std::int64_t sourcePitch = (width + 3) & ~std::int64_t{3};
    // Never read past what the outline call wrote.
    if (width == 0 || height == 0 || sourcePitch * height > static_cast<std::int64_t>(result) ||
        sourcePitch * height > static_cast<std::int64_t>(m_BufferSize))
        return false;
    const std::int32_t bytesPerPixel = BytesPerPixel(surface.format);
    if (bytesPerPixel == 0 || !surface.bits) return false;

    // Clipped on all four sides: a glyph with a negative left bearing at x 0, or one reaching
    // above the ascent at y 0, must not write before its row or the locked level.
    const std::int64_t left = static_cast<std::int64_t>(x) + glyph.gmptGlyphOrigin.x;
    const std::int64_t top = static_cast<std::int64_t>(y) + text.tmAscent - glyph.gmptGlyphOrigin.y;
    ClippedBox box;
    if (!ClipBox(left, top, width, height, surface, &box)) return false;

    GxTextBlitRegion region;
    region.dest = surface.bits + static_cast<std::ptrdiff_t>(box.destY) * surface.pitch +
                  static_cast<std::ptrdiff_t>(box.destX) * bytesPerPixel;
    region.destPitch = surface.pitch;
    region.source = m_Buffer.get() + static_cast<std::ptrdiff_t>(box.sourceY) * sourcePitch + box.sourceX;
    region.sourcePitch = static_cast<std::int32_t>(sourcePitch);
    region.width = box.width;
    region.height = box.height;
    if (surface.format == D3DFMT_A8R8G8B8)
        BlitGray8To32(region, color);
    else
        BlitGray8To16(region, color);
    return true;
}

// ---- grid strings ---------------------------------------------------------------------------------

std::int32_t GxTextureText::DrawGridChar(const GxGridFontDesc& font, std::uint8_t code, std::int32_t x,
                                         std::int32_t y)
{
    std::uint32_t column = 0;
    std::uint32_t row = 0;
    if (code >= font.first && code <= font.last) {
        const std::uint32_t index = code - font.first;
        column = index % font.cellsPerRow;
        row = index / font.cellsPerRow;
    }
    const std::uint32_t width = font.GetCellWidth();
    if (width > 0) {
        const float left = static_cast<float>(width * column) + font.offsetX;
        const float top = static_cast<float>(font.cellHeight * row) + font.offsetY;
        const RECT source{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(left + width),
                          static_cast<LONG>(top + font.cellHeight)};
        CopyRectFrom(font.texture, &source, x, y);
    }
    return static_cast<std::int32_t>(width);
}

namespace {

bool IsUsableGridFont(const GxGridFontDesc* font)
{
    return font && font->texture && font->cellsPerRow != 0 && font->texture->HasTexture();
}

}  // namespace

bool GxTextureText::DrawGridString(std::u16string_view text, const GxGridFontDesc* font, std::int32_t x,
                                   std::int32_t y, std::int32_t* endX, std::int32_t* endY)
{
    return DrawGridString(std::string_view(WideToMultiByte(text)), font, x, y, endX, endY);
}

bool GxTextureText::DrawGridString(std::string_view text, const GxGridFontDesc* font, std::int32_t x,
                                   std::int32_t y, std::int32_t* endX, std::int32_t* endY)
{
    if (!HasTexture() || !IsUsableGridFont(font)) return false;
    std::int32_t penX = x;
    for (char byte : text) {
        if (byte == 0) break;
        penX += DrawGridChar(*font, static_cast<std::uint8_t>(byte), penX, y);
    }
    if (endX) *endX = penX;
    if (endY) *endY = y;
    return true;
}

bool GxTextureText::DrawGridStringWrapped(std::u16string_view text, const GxGridFontDesc* font, std::int32_t x,
                                          std::int32_t y, std::int32_t lineStartX, std::int32_t charsPerLine,
                                          std::int32_t charSpacing, std::int32_t lineSpacing, std::int32_t* endX,
                                          std::int32_t* endY, char16_t breakChar)
{
    return DrawGridStringWrapped(std::string_view(WideToMultiByte(text)), font, x, y, lineStartX, charsPerLine,
                                 charSpacing, lineSpacing, endX, endY,
                                 static_cast<char>(ToSingleByteCode(breakChar)));
}

bool GxTextureText::DrawGridStringWrapped(std::string_view text, const GxGridFontDesc* font, std::int32_t x,
                                          std::int32_t y, std::int32_t lineStartX, std::int32_t charsPerLine,
                                          std::int32_t charSpacing, std::int32_t lineSpacing, std::int32_t* endX,
                                          std::int32_t* endY, char breakChar)
{
    if (!HasTexture() || !IsUsableGridFont(font)) return false;
    const std::int32_t lineHeight = static_cast<std::int32_t>(font->cellHeight) + lineSpacing;
    std::int32_t penX = x;
    std::int32_t penY = y;
    std::int32_t count = 0;
    for (char byte : text) {
        if (byte == 0) break;
        const bool isBreak = breakChar != 0 && byte == breakChar;
        if (isBreak || count >= charsPerLine) {
            penY += lineHeight;
            penX = lineStartX;
            count = 0;
            if (isBreak) continue;
        }
        penX += DrawGridChar(*font, static_cast<std::uint8_t>(byte), penX, penY) + charSpacing;
        ++count;
    }
    if (endX) *endX = penX;
    if (endY) *endY = penY;
    return true;
}

// ---- packed strings -------------------------------------------------------------------------------

namespace {

bool IsUsablePackedFont(const GxPackedFontSource* font)
{
    return font && font->GetCellSize() >= 2 && font->GetCellSize() <= kMaxPackedCellSize &&
           font->GetHalfCellsPerRow() != 0 && font->GetGlyphCount() != 0 && font->GetBits() != nullptr;
}

}  // namespace

void GxTextureText::DrawPackedGlyph(const GxTextSurface& surface, const GxPackedFontSource& font,
                                    std::uint32_t glyph, std::int32_t halfCells, std::int32_t x, std::int32_t y,
                                    D3DCOLOR color, std::int32_t effect, D3DCOLOR secondColor)
{
    const std::int32_t bytesPerPixel = BytesPerPixel(surface.format);
    if (bytesPerPixel == 0 || !surface.bits) return;
    const std::int32_t cellSize = static_cast<std::int32_t>(font.GetCellSize());
    const std::int32_t width = cellSize / 2 * halfCells;
    const std::int32_t height = cellSize;
    ClippedBox box;
    if (!ClipBox(x, y, width, height, surface, &box)) return;

    // The glyph's 4-bit values, one a byte, inside a zeroed margin of two pixels that the soft
    // and outlined filters read.
    const std::uint32_t workBytes = 2u * static_cast<std::uint32_t>((cellSize + 4) * (cellSize + 4));
    if (!ResizeBuffer(workBytes)) return;
    const std::int32_t stride = width + 4;
    std::uint8_t* work = m_Buffer.get();
    std::memset(work, 0, static_cast<std::size_t>(stride) * (height + 4));
    const std::uint8_t* bits = font.GetBits();
    const std::uint64_t bitsSize = font.GetBitsSize();
    const std::uint64_t pitch = font.GetRowPitch();
    const std::uint64_t sourceX = static_cast<std::uint64_t>(glyph % font.GetHalfCellsPerRow()) * (cellSize / 2);
    const std::uint64_t sourceY = static_cast<std::uint64_t>(glyph / font.GetHalfCellsPerRow()) * cellSize;
    for (std::int32_t row = 0; row < height; ++row) {
        std::uint8_t* out = work + static_cast<std::size_t>(row + 2) * stride + 2;
        for (std::int32_t column = 0; column < width; ++column) {
            const std::uint64_t pixel = (sourceY + row) * pitch + sourceX + column;
            const std::uint64_t byte = pixel / 2;
            if (byte >= bitsSize) continue;   // past the bitmap: reads as 0
            out[column] = static_cast<std::uint8_t>((bits[byte] >> ((pixel & 1) ? 4 : 0)) & 0xF);
        }
    }

    GxTextBlitRegion region;
    region.dest = surface.bits + static_cast<std::ptrdiff_t>(box.destY) * surface.pitch +
                  static_cast<std::ptrdiff_t>(box.destX) * bytesPerPixel;
    region.destPitch = surface.pitch;
    region.source = work + static_cast<std::size_t>(box.sourceY + 2) * stride + box.sourceX + 2;
    region.sourcePitch = stride;
    region.width = box.width;
    region.height = box.height;
    const bool is32 = surface.format == D3DFMT_A8R8G8B8;
    switch (effect) {
    case kPackedEffectSoft:
        is32 ? BlitPackedSoftTo32(region, color) : BlitPackedSoftTo16(region, color);
        break;
    case kPackedEffectOutlined:
        is32 ? BlitPackedOutlinedTo32(region, color, secondColor) : BlitPackedOutlinedTo16(region, color, secondColor);
        break;
    default:
        is32 ? BlitPackedTo32(region, color) : BlitPackedTo16(region, color);
        break;
    }
}

bool GxTextureText::DrawPackedString(std::u16string_view text, const GxPackedFontSource* font, std::int32_t x,
                                     std::int32_t y, D3DCOLOR color, std::int32_t* endX, std::int32_t* endY,
                                     std::int32_t effect, D3DCOLOR secondColor)
{
    return DrawPackedString(std::string_view(WideToMultiByte(text)), font, x, y, color, endX, endY, effect,
                            secondColor);
}

bool GxTextureText::DrawPackedString(std::string_view text, const GxPackedFontSource* font, std::int32_t x,
                                     std::int32_t y, D3DCOLOR color, std::int32_t* endX, std::int32_t* endY,
                                     std::int32_t effect, D3DCOLOR secondColor)
{
    return DrawPackedStringWrapped(text, font, x, y, x, INT32_MAX, color, 0, 0, endX, endY, 0, effect, secondColor);
}

bool GxTextureText::DrawPackedStringWrapped(std::u16string_view text, const GxPackedFontSource* font,
                                            std::int32_t x, std::int32_t y, std::int32_t lineStartX,
                                            std::int32_t unitsPerLine, D3DCOLOR color, std::int32_t charSpacing,
                                            std::int32_t lineSpacing, std::int32_t* endX, std::int32_t* endY,
                                            char16_t breakChar, std::int32_t effect, D3DCOLOR secondColor)
{
    return DrawPackedStringWrapped(std::string_view(WideToMultiByte(text)), font, x, y, lineStartX, unitsPerLine,
                                   color, charSpacing, lineSpacing, endX, endY,
                                   static_cast<char>(ToSingleByteCode(breakChar)), effect, secondColor);
}

bool GxTextureText::DrawPackedStringWrapped(std::string_view text, const GxPackedFontSource* font, std::int32_t x,
                                            std::int32_t y, std::int32_t lineStartX, std::int32_t unitsPerLine,
                                            D3DCOLOR color, std::int32_t charSpacing, std::int32_t lineSpacing,
                                            std::int32_t* endX, std::int32_t* endY, char breakChar,
                                            std::int32_t effect, D3DCOLOR secondColor)
{
    if (!HasTexture() || !IsUsablePackedFont(font)) return false;
    const std::int32_t cellSize = static_cast<std::int32_t>(font->GetCellSize());
    const std::uint32_t glyphCount = font->GetGlyphCount();
    WrapPen pen(x, y, lineStartX, unitsPerLine, cellSize, charSpacing, lineSpacing);
    GxTextSurface surface;
    if (LockSurface(&surface)) {
        ScopedUnlock unlock(this);
        for (std::size_t position = 0; position < text.size() && text[position] != 0;) {
            const MultiByteChar character = NextMultiByteChar(text, position);
            position += static_cast<std::size_t>(character.length);
            if (!pen.Place(IsBreakChar(character, breakChar))) continue;
            const std::uint32_t glyph = font->GetGlyphIndex(character.code);
            if (glyph < glyphCount)
                DrawPackedGlyph(surface, *font, glyph, character.length, pen.X(), pen.Y(), color, effect,
                                secondColor);
            pen.Advance(character.length);
        }
    }
    pen.Report(endX, endY);
    return true;
}

// ---- blits -----------------------------------------------------------------------------------------

void GxTextureText::BlitGray8To32(const GxTextBlitRegion& region, D3DCOLOR color)
{
    const auto& alpha = GrayAlphaTable();
    const std::uint32_t rgb = color & 0x00FFFFFF;
    for (std::int32_t row = 0; row < region.height; ++row) {
        const std::uint8_t* source = region.source + static_cast<std::ptrdiff_t>(row) * region.sourcePitch;
        std::uint8_t* dest = region.dest + static_cast<std::ptrdiff_t>(row) * region.destPitch;
        for (std::int32_t column = 0; column < region.width; ++column) {
            const std::uint32_t level = std::min<std::uint32_t>(source[column], 64);
            Store32(dest + column * 4, static_cast<std::uint32_t>(alpha[level]) << 24 | rgb);
        }
    }
}

void GxTextureText::BlitGray8To16(const GxTextBlitRegion& region, D3DCOLOR color)
{
    const auto& alpha = GrayAlphaTable();
    const std::uint16_t rgb = Rgb4(color);
    for (std::int32_t row = 0; row < region.height; ++row) {
        const std::uint8_t* source = region.source + static_cast<std::ptrdiff_t>(row) * region.sourcePitch;
        std::uint8_t* dest = region.dest + static_cast<std::ptrdiff_t>(row) * region.destPitch;
        for (std::int32_t column = 0; column < region.width; ++column) {
            const std::uint32_t level = std::min<std::uint32_t>(source[column], 64);
            Store16(dest + column * 2, static_cast<std::uint16_t>((alpha[level] >> 4) << 12 | rgb));
        }
    }
}

namespace {

// The packed filters, on a value with its neighbours in the zeroed margin.
std::uint32_t SoftValue(const std::uint8_t* at, std::ptrdiff_t pitch)
{
    const std::uint32_t diagonal = at[-pitch - 1] / 4 + at[-pitch + 1] / 4 + at[pitch - 1] / 4 + at[pitch + 1] / 4;
    const std::uint32_t axis = at[-pitch] / 2 + at[pitch] / 2 + at[-1] / 2 + at[1] / 2;
    return std::min<std::uint32_t>((diagonal + axis + 2u * at[0]) / 2, 15);
}

std::uint32_t SpreadValue(const std::uint8_t* at, std::ptrdiff_t pitch)
{
    const std::uint32_t far = at[-2 * pitch] / 2 + at[2 * pitch] / 2 + at[-2] / 2 + at[2] / 2;
    const std::uint32_t near = at[-pitch - 1] + at[-pitch] + at[-pitch + 1] + at[-1] + at[1] + at[pitch - 1] +
                               at[pitch] + at[pitch + 1];
    return std::min<std::uint32_t>((far + near + 2u * at[0]) / 2, 15);
}

// The glyph's own value v mixes the colour over the second colour, channel by channel.
std::uint32_t MixRgb(std::uint32_t value, D3DCOLOR color, D3DCOLOR second)
{
    std::uint32_t rgb = 0;
    for (std::uint32_t shift : {16u, 8u, 0u}) {
        const std::uint32_t a = (color >> shift) & 0xFF;
        const std::uint32_t b = (second >> shift) & 0xFF;
        rgb |= ((value * a + (15 - value) * b) / 15) << shift;
    }
    return rgb;
}

template <typename Pixel>
void ForEachPackedPixel(const GxTextBlitRegion& region, Pixel pixel)
{
    for (std::int32_t row = 0; row < region.height; ++row) {
        const std::uint8_t* source = region.source + static_cast<std::ptrdiff_t>(row) * region.sourcePitch;
        std::uint8_t* dest = region.dest + static_cast<std::ptrdiff_t>(row) * region.destPitch;
        for (std::int32_t column = 0; column < region.width; ++column) pixel(source + column, dest, column);
    }
}

}  // namespace

void GxTextureText::BlitPackedTo32(const GxTextBlitRegion& region, D3DCOLOR color)
{
    const std::uint32_t rgb = color & 0x00FFFFFF;
    ForEachPackedPixel(region, [&](const std::uint8_t* at, std::uint8_t* dest, std::int32_t column) {
        Store32(dest + column * 4, static_cast<std::uint32_t>(at[0] & 0xF) * 0x11u << 24 | rgb);
    });
}

void GxTextureText::BlitPackedTo16(const GxTextBlitRegion& region, D3DCOLOR color)
{
    const std::uint16_t rgb = Rgb4(color);
    ForEachPackedPixel(region, [&](const std::uint8_t* at, std::uint8_t* dest, std::int32_t column) {
        Store16(dest + column * 2, static_cast<std::uint16_t>((at[0] & 0xF) << 12 | rgb));
    });
}

void GxTextureText::BlitPackedSoftTo32(const GxTextBlitRegion& region, D3DCOLOR color)
{
    const std::uint32_t rgb = color & 0x00FFFFFF;
    const std::ptrdiff_t pitch = region.sourcePitch;
    ForEachPackedPixel(region, [&](const std::uint8_t* at, std::uint8_t* dest, std::int32_t column) {
        Store32(dest + column * 4, SoftValue(at, pitch) * 0x11u << 24 | rgb);
    });
}

void GxTextureText::BlitPackedSoftTo16(const GxTextBlitRegion& region, D3DCOLOR color)
{
    const std::uint16_t rgb = Rgb4(color);
    const std::ptrdiff_t pitch = region.sourcePitch;
    ForEachPackedPixel(region, [&](const std::uint8_t* at, std::uint8_t* dest, std::int32_t column) {
        Store16(dest + column * 2, static_cast<std::uint16_t>(SoftValue(at, pitch) << 12 | rgb));
    });
}

void GxTextureText::BlitPackedOutlinedTo32(const GxTextBlitRegion& region, D3DCOLOR color, D3DCOLOR secondColor)
{
    const std::ptrdiff_t pitch = region.sourcePitch;
    ForEachPackedPixel(region, [&](const std::uint8_t* at, std::uint8_t* dest, std::int32_t column) {
        const std::uint32_t rgb = MixRgb(at[0] & 0xF, color, secondColor);
        Store32(dest + column * 4, SpreadValue(at, pitch) * 0x11u << 24 | rgb);
    });
}

void GxTextureText::BlitPackedOutlinedTo16(const GxTextBlitRegion& region, D3DCOLOR color, D3DCOLOR secondColor)
{
    const std::ptrdiff_t pitch = region.sourcePitch;
    ForEachPackedPixel(region, [&](const std::uint8_t* at, std::uint8_t* dest, std::int32_t column) {
        const std::uint32_t rgb = MixRgb(at[0] & 0xF, color, secondColor);
        Store16(dest + column * 2, static_cast<std::uint16_t>(SpreadValue(at, pitch) << 12 | Rgb4(rgb)));
    });
}
