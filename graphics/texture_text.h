// Text textures: textures whose pixels the CPU writes with text.
//
// GxTextureText rasterises characters into its locked level 0 from GDI glyph outlines, from a
// grid font (cells copied from another texture) or from a packed 4-bit font; the glyph cache
// uses it for its pages. GxTextureTextEx adds a text with a reveal position, a pen, a region
// with wrapping, colours and in-text colour tags, so that a text can be drawn a few characters
// at a time.
//
// Wide and 8-bit forms stand side by side; 8-bit text is in the system code page (932) and is
// walked as multibyte characters, whose width class is their byte length. The grid and packed
// forms take 8-bit text: their wide forms convert and call them.
//
// Glyph boxes overwrite the pixels they cover (no blending) and are clipped to the surface on
// all four sides. Window thread only.
//
// Sections: fonts read by the drawing | GxTextureText | GxTextureTextEx
#pragma once

#include "graphics/texture.h"
#include "platform/gdi/gdi.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// ---- fonts read by the drawing -------------------------------------------------------------

// A fixed grid of cells in another texture, one per 8-bit code from `first` to `last`; other
// codes take cell (0, 0). Owned by the caller.
struct GxGridFontDesc {
    GxTexture* texture = nullptr;
    float offsetX = 0.0f;   // top-left of the grid in the texture
    float offsetY = 0.0f;
    std::uint8_t first = 0;
    std::uint8_t last = 0;
    std::uint32_t cellHeight = 0;
    std::uint32_t cellsPerRow = 0;
    std::uint32_t variableWidth = 0;   // non-zero: widths vary, and cells are drawn 0 wide
    std::uint32_t cellWidth = 0;

    // The cell width when widths are fixed, else 0.
    std::uint32_t GetCellWidth() const { return variableWidth == 0 ? cellWidth : 0; }
};

// A bitmap of 4-bit coverage values, two pixels a byte, the even pixel in the low nibble.
// Glyph g lies at pixel column (g mod half-cells per row) x S/2 and row (g div half-cells per
// row) x S; a half-width glyph is S/2 wide, a full-width one S. Supplied by the caller.
class GxPackedFontSource {
public:
    virtual ~GxPackedFontSource() = default;
    // S: the glyph height in pixels.
    virtual std::uint32_t GetCellSize() const = 0;
    virtual std::uint32_t GetHalfCellsPerRow() const = 0;
    // Pixels per bitmap row.
    virtual std::uint32_t GetRowPitch() const = 0;
    virtual std::uint32_t GetGlyphCount() const = 0;
    // For a one-byte code or a double-byte one (lead << 8 | trail); the glyph count or more
    // means none.
    virtual std::uint32_t GetGlyphIndex(std::uint32_t code) const = 0;
    virtual const std::uint8_t* GetBits() const = 0;
    // Bytes of GetBits; pixels past it read as 0.
    virtual std::size_t GetBitsSize() const = 0;
};

// ---- GxTextureText --------------------------------------------------------------------------

// Packed font effects.
constexpr std::int32_t kPackedEffectPlain = 0;
constexpr std::int32_t kPackedEffectSoft = 1;
constexpr std::int32_t kPackedEffectOutlined = 2;

// The locked level 0 a glyph is drawn into.
struct GxTextSurface {
    std::uint8_t* bits = nullptr;
    std::int32_t pitch = 0;   // bytes per row
    std::int32_t width = 0;
    std::int32_t height = 0;
    D3DFORMAT format = D3DFMT_UNKNOWN;
};

// The visible part of one glyph box, already clipped: `width` x `height` pixels from `source`
// (one value a byte, rows `sourcePitch` bytes apart) to `dest` (rows `destPitch` bytes apart).
// For the soft and outlined packed blits `source` lies inside a zeroed margin of two pixels.
struct GxTextBlitRegion {
    std::uint8_t* dest = nullptr;
    std::int32_t destPitch = 0;
    const std::uint8_t* source = nullptr;
    std::int32_t sourcePitch = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

class GxTextureText : public GxTexture {
public:
    static constexpr std::size_t kInitialBufferSize = 8192;
    // Larger GDI sizes are drawn at this size.
    static constexpr std::int32_t kMaxGlyphSize = 64;
    static constexpr const char16_t* kDefaultFaceName = u"ＭＳ ゴシック";

    GxTextureText();
    ~GxTextureText() override;

    virtual void SetFontName(std::u16string_view face);
    virtual void SetFontName(std::string_view face);
    const std::u16string& GetFontName() const { return m_FaceName; }

    // Each draw returns false only when there is no device texture (grid and packed forms also
    // for a missing or empty font); out pointers may be null. The end position is where the
    // next character would go.
    virtual bool DrawString(std::u16string_view text, std::int32_t x, std::int32_t y, std::int32_t size,
                            D3DCOLOR color, std::int32_t* endX, std::int32_t* endY);
    virtual bool DrawString(std::string_view text, std::int32_t x, std::int32_t y, std::int32_t size, D3DCOLOR color,
                            std::int32_t* endX, std::int32_t* endY);
    // One character at the top-left of `cell` with every pixel kept inside the cell: glyph-cache
    // pages pack cells edge to edge, and a box reaching past its cell would erase a neighbour.
    virtual bool DrawCharInCell(char16_t character, const RECT& cell, std::int32_t size, D3DCOLOR color);
    // Wraps after `unitsPerLine` width units and at a half-width break character (not drawn);
    // new lines start at `lineStartX`, `size + lineSpacing` lower.
    virtual bool DrawStringWrapped(std::u16string_view text, std::int32_t x, std::int32_t y, std::int32_t lineStartX,
                                   std::int32_t size, std::int32_t unitsPerLine, D3DCOLOR color,
                                   std::int32_t charSpacing, std::int32_t lineSpacing, std::int32_t* endX,
                                   std::int32_t* endY, char16_t breakChar);
    virtual bool DrawStringWrapped(std::string_view text, std::int32_t x, std::int32_t y, std::int32_t lineStartX,
                                   std::int32_t size, std::int32_t unitsPerLine, D3DCOLOR color,
                                   std::int32_t charSpacing, std::int32_t lineSpacing, std::int32_t* endX,
                                   std::int32_t* endY, char breakChar);

    virtual bool DrawGridString(std::u16string_view text, const GxGridFontDesc* font, std::int32_t x, std::int32_t y,
                                std::int32_t* endX, std::int32_t* endY);
    virtual bool DrawGridString(std::string_view text, const GxGridFontDesc* font, std::int32_t x, std::int32_t y,
                                std::int32_t* endX, std::int32_t* endY);
    // Counts characters (not width units) against `charsPerLine`; lines are cell height +
    // `lineSpacing` apart.
    virtual bool DrawGridStringWrapped(std::u16string_view text, const GxGridFontDesc* font, std::int32_t x,
                                       std::int32_t y, std::int32_t lineStartX, std::int32_t charsPerLine,
                                       std::int32_t charSpacing, std::int32_t lineSpacing, std::int32_t* endX,
                                       std::int32_t* endY, char16_t breakChar);
    virtual bool DrawGridStringWrapped(std::string_view text, const GxGridFontDesc* font, std::int32_t x,
                                       std::int32_t y, std::int32_t lineStartX, std::int32_t charsPerLine,
                                       std::int32_t charSpacing, std::int32_t lineSpacing, std::int32_t* endX,
                                       std::int32_t* endY, char breakChar);

    // `effect`: kPackedEffectPlain, Soft or Outlined; `secondColor` is the outline's colour.
    virtual bool DrawPackedString(std::u16string_view text, const GxPackedFontSource* font, std::int32_t x,
                                  std::int32_t y, D3DCOLOR color, std::int32_t* endX, std::int32_t* endY,
                                  std::int32_t effect, D3DCOLOR secondColor);
    virtual bool DrawPackedString(std::string_view text, const GxPackedFontSource* font, std::int32_t x,
                                  std::int32_t y, D3DCOLOR color, std::int32_t* endX, std::int32_t* endY,
                                  std::int32_t effect, D3DCOLOR secondColor);
    virtual bool DrawPackedStringWrapped(std::u16string_view text, const GxPackedFontSource* font, std::int32_t x,
                                         std::int32_t y, std::int32_t lineStartX, std::int32_t unitsPerLine,
                                         D3DCOLOR color, std::int32_t charSpacing, std::int32_t lineSpacing,
                                         std::int32_t* endX, std::int32_t* endY, char16_t breakChar,
                                         std::int32_t effect, D3DCOLOR secondColor);
    virtual bool DrawPackedStringWrapped(std::string_view text, const GxPackedFontSource* font, std::int32_t x,
                                         std::int32_t y, std::int32_t lineStartX, std::int32_t unitsPerLine,
                                         D3DCOLOR color, std::int32_t charSpacing, std::int32_t lineSpacing,
                                         std::int32_t* endX, std::int32_t* endY, char breakChar,
                                         std::int32_t effect, D3DCOLOR secondColor);

    // One glyph from the font selected into `dc`, its box placed at (x + origin x,
    // y + ascent - origin y). The 8-bit form takes a code page 932 code (lead << 8 | trail).
    // Spaces are not drawn. `metrics` (may be null) receives the glyph's metrics.
    virtual void DrawGlyph(HDC dc, const GxTextSurface& surface, std::uint32_t code, std::int32_t x, std::int32_t y,
                           std::int32_t size, D3DCOLOR color, GLYPHMETRICS* metrics);
    virtual void DrawGlyph(HDC dc, const GxTextSurface& surface, char16_t character, std::int32_t x, std::int32_t y,
                           std::int32_t size, D3DCOLOR color, GLYPHMETRICS* metrics);

    // Grows the drawing buffer to at least `bytes` (it never shrinks); false, logged, when the
    // memory cannot be had (the buffer is then empty).
    virtual bool ResizeBuffer(std::uint32_t bytes);
    std::size_t GetBufferSize() const { return m_BufferSize; }

    // The font description the GDI drawing asks for: cell height `size`, normal weight, the face.
    virtual void FillLogFont(LOGFONTW* font, std::int32_t size, std::u16string_view face) const;

    // Grey levels 0..64 to alpha (52 and above opaque) with the colour's RGB.
    virtual void BlitGray8To32(const GxTextBlitRegion& region, D3DCOLOR color);
    virtual void BlitGray8To16(const GxTextBlitRegion& region, D3DCOLOR color);
    // Packed 4-bit values: plain coverage, a softened copy, or the glyph in `color` over a rim in
    // `secondColor`.
    virtual void BlitPackedTo32(const GxTextBlitRegion& region, D3DCOLOR color);
    virtual void BlitPackedTo16(const GxTextBlitRegion& region, D3DCOLOR color);
    virtual void BlitPackedSoftTo32(const GxTextBlitRegion& region, D3DCOLOR color);
    virtual void BlitPackedSoftTo16(const GxTextBlitRegion& region, D3DCOLOR color);
    virtual void BlitPackedOutlinedTo32(const GxTextBlitRegion& region, D3DCOLOR color, D3DCOLOR secondColor);
    virtual void BlitPackedOutlinedTo16(const GxTextBlitRegion& region, D3DCOLOR color, D3DCOLOR secondColor);

protected:
    // Draws one packed glyph (index below the glyph count) of `halfCells` half cells at (x, y).
    void DrawPackedGlyph(const GxTextSurface& surface, const GxPackedFontSource& font, std::uint32_t glyph,
                         std::int32_t halfCells, std::int32_t x, std::int32_t y, D3DCOLOR color, std::int32_t effect,
                         D3DCOLOR secondColor);
    // Copies one grid cell of the code to (x, y); returns the cell width.
    std::int32_t DrawGridChar(const GxGridFontDesc& font, std::uint8_t code, std::int32_t x, std::int32_t y);
    // Locks level 0 whole; false when it cannot.
    bool LockSurface(GxTextSurface* surface);

private:
    using GlyphOutlineFunction = DWORD (*)(HDC, UINT, UINT, GLYPHMETRICS*, DWORD, LPVOID, const MAT2*);

    // The body of both DrawGlyph forms, reading the outline through `getOutline` (the 8-bit or
    // the wide one); a `blank` character gets its metrics but is not drawn.
    void DrawGlyphOutline(GlyphOutlineFunction getOutline, HDC dc, const GxTextSurface& surface, UINT character,
                          bool blank, std::int32_t x, std::int32_t y, D3DCOLOR color, GLYPHMETRICS* metrics);
    bool DrawGlyphBitmap(DWORD result, const GLYPHMETRICS& glyph, const TEXTMETRICW& text,
                         const GxTextSurface& surface, std::int32_t x, std::int32_t y, D3DCOLOR color);

    std::unique_ptr<std::uint8_t[]> m_Buffer;
    std::size_t m_BufferSize = 0;
    std::u16string m_FaceName = kDefaultFaceName;
};

// ---- GxTextureTextEx ------------------------------------------------------------------------

class GxTextureTextEx;

// Called with the text after a tag start character; returns the code units it consumed
// (up to and including the tag end character). The text ends at its NUL.
using GxTextTagHandler = std::uint32_t (*)(GxTextureTextEx* texture, const char16_t* text, char16_t tagEnd);

// "-" restores the default colour; "0" to "7" pick black, blue, green, red, cyan, magenta,
// yellow and white; other units are ignored. Stops at the end of the text.
std::uint32_t ColorTagHandler(GxTextureTextEx* texture, const char16_t* text, char16_t tagEnd);

// Where GxTextureTextEx takes its glyphs from.
constexpr std::int32_t kTextSourceNone = 0;
constexpr std::int32_t kTextSourceGDI = 1;
constexpr std::int32_t kTextSourceGrid = 2;
constexpr std::int32_t kTextSourcePacked = 3;

class GxTextureTextEx : public GxTextureText {
public:
    GxTextureTextEx();
    ~GxTextureTextEx() override;

    // The region becomes the whole created texture.
    bool CreateTexture(std::u16string_view name, std::uint32_t width, std::uint32_t height, D3DFORMAT format,
                       std::uint32_t levels) override;

    // Null: the whole texture.
    virtual void SetRegion(const RECT* region);
    // Sets the default and the current colour.
    virtual void SetColor(D3DCOLOR color);
    virtual void SetSecondColor(D3DCOLOR color);
    virtual void UseGDIFont(std::int32_t size);
    // Not owned.
    virtual void UseGridFont(const GxGridFontDesc* font);
    virtual void UsePackedFont(const GxPackedFontSource* font, std::int32_t effect);
    virtual void SetControlChars(char16_t lineBreak, char16_t tagStart, char16_t tagEnd);
    virtual void SetSpacing(std::int32_t charSpacing, std::int32_t lineSpacing);
    // Null: tags are drawn as text.
    virtual void SetTagHandler(GxTextTagHandler handler);
    // Also rewinds the process position.
    virtual void SetText(std::u16string_view text);
    virtual void AppendText(std::u16string_view text);
    virtual void ClearText();
    virtual void SetPen(std::int32_t x, std::int32_t y);
    virtual void GetPen(std::int32_t* x, std::int32_t* y) const;
    // Clamped to the text's length.
    virtual void SetProcessPos(std::uint32_t position);
    // Draws up to `count` visible characters from the process position; line breaks (and, in
    // the tagged form, tags) are not counted. Returns the code units left.
    virtual std::uint32_t Process(std::uint32_t count);
    virtual void ProcessAll();
    virtual std::uint32_t ProcessTagged(std::uint32_t count);
    virtual void ProcessTaggedAll();
    // SetText, then everything; the At forms move the pen first.
    virtual void DrawText(std::u16string_view text);
    virtual void DrawTextAt(std::u16string_view text, std::int32_t x, std::int32_t y);
    // Empties the text, puts the pen at the region's top-left and clears the region to
    // transparent black.
    virtual void Reset();
    virtual void ResetAndDrawText(std::u16string_view text);
    virtual void ResetAndDrawTextAt(std::u16string_view text, std::int32_t x, std::int32_t y);

    // The colour the next character is drawn in; tag handlers change it.
    D3DCOLOR GetCurrentColor() const { return m_CurrentColor; }
    void SetCurrentColor(D3DCOLOR color) { m_CurrentColor = color; }
    D3DCOLOR GetDefaultColor() const { return m_DefaultColor; }
    const std::u16string& GetText() const { return m_Text; }
    std::uint32_t GetProcessPos() const { return m_ProcessPos; }
    const RECT& GetRegion() const { return m_Region; }
    std::int32_t GetFontSource() const { return m_FontSource; }

private:
    std::uint32_t ProcessSteps(std::uint32_t count, bool tagged);
    std::uint32_t Remaining() const;
    // The box one character takes with the current font source.
    void CharBox(char16_t character, std::int32_t* width, std::int32_t* height) const;
    void DrawChar(char16_t character);

    std::u16string m_Text;
    std::uint32_t m_ProcessPos = 0;
    std::int32_t m_PenX = 0;
    std::int32_t m_PenY = 0;
    std::int32_t m_FontSize = 16;
    std::int32_t m_FontSource = kTextSourceGDI;
    std::int32_t m_CharSpacing = 0;
    std::int32_t m_LineSpacing = 0;
    std::int32_t m_PackedEffect = kPackedEffectPlain;
    D3DCOLOR m_DefaultColor = 0xFFFFFFFF;
    D3DCOLOR m_CurrentColor = 0xFFFFFFFF;
    D3DCOLOR m_SecondColor = 0xFF000000;
    const GxGridFontDesc* m_GridFont = nullptr;
    const GxPackedFontSource* m_PackedFont = nullptr;
    char16_t m_LineBreakChar = u'\n';
    char16_t m_TagStartChar = 1;
    char16_t m_TagEndChar = 1;
    RECT m_Region{0, 0, 0, 0};
    GxTextTagHandler m_TagHandler = ColorTagHandler;
};
