// GxWidgetGraphicsBase: every drawing call a widget makes, in one place. The base forwards to the
// graphics layer's 2D drawing and text and to the motion layer's image-set patterns; tests
// install one that records each call (and may still draw). Window thread only.
#pragma once

#include "foundation/matrix.h"
#include "foundation/value_types.h"

#include <cstdint>
#include <string_view>

class GxFontData;
class GxGDIFontMap;
class GxTexture;
class GxTextureFlex;
struct GxGlyphRecord;
struct GxImageCell;
struct GxNcOriginImage;

// How DrawAlignedText lays a text out in its rectangle (the text panels' alignment setting).
enum class GxWidgetTextAlign : std::int32_t {
    kLeft = 0,
    kCenter = 1,     // every line centred, from the top
    kCentered = 2,   // centred, and the block centred vertically
    kRight = 3,      // every line against the right edge, from the top
};

class GxWidgetGraphicsBase {
public:
    virtual ~GxWidgetGraphicsBase() = default;

    // The default 2D render states, and the nested scene bracket.
    virtual void ResetRenderStates();
    virtual bool BeginSceneNested();
    virtual bool EndSceneNested();
    // Sampler 0's filter (1: point sampling).
    virtual void SetTextureFilter(std::int32_t filter);

    // A whole texture (its image part) with its top left at (x, y), scaled.
    virtual void DrawTexture(GxTexture* texture, float x, float y, const GxVector2& scale, std::uint32_t color,
                             std::uint32_t specular, std::int32_t preset);
    // A whole loose-image texture at (x, y): scaled, rotated (radians) about the pivot.
    virtual void DrawFlexTexture(GxTextureFlex* texture, float x, float y, const GxVector2& scale,
                                 const GxVector3& rotation, const GxVector2& pivot, std::uint32_t color,
                                 std::uint32_t specular, std::int32_t preset);
    // Pattern `index` of an image-set origin image placed by `matrix`, whole or cut to `clip`
    // (origin-image pixels: left, top, right, bottom).
    virtual void DrawImagePattern(const GxNcOriginImage* image, std::int32_t index, const GxMatrix& matrix, float alpha,
                                  const GxFColor& color, const GxFColor& color1, std::int32_t preset);
    virtual void DrawImagePatternClipped(const GxNcOriginImage* image, std::int32_t index, const GxRect& clip,
                                         const GxMatrix& matrix, float alpha, const GxFColor& color,
                                         const GxFColor& color1, std::int32_t preset);
    // One glyph cell, and the same with its eight outline copies `distance` pixels away.
    virtual void DrawGlyph(const GxImageCell& cell, float x, float y, const GxVector2& scale, std::uint32_t color,
                           std::uint32_t specular, std::int32_t preset);
    virtual void DrawGlyphOutlined(const GxImageCell& cell, float x, float y, float distance, std::uint32_t color,
                                   std::uint32_t specular, std::uint32_t outlineColor, std::int32_t preset,
                                   const GxVector2& scale);
    // One glyph of a glyph cache at (x, y), scaled, no rotation; and the same glyph only at the
    // eight points `distance` away (an outline ring without its centre).
    virtual void DrawGlyphRecord(const GxGlyphRecord& glyph, float x, float y, const GxVector2& scale,
                                 std::uint32_t color, std::uint32_t specular, std::int32_t preset);
    virtual void DrawGlyphRing(const GxGlyphRecord& glyph, float x, float y, float distance, const GxVector2& scale,
                               std::uint32_t color, std::uint32_t specular, std::int32_t preset);
    // A text laid out in `rect` with an outline; returns the rectangle the layout covers.
    virtual GxRect DrawAlignedText(GxGDIFontMap* fontMap, std::u16string_view text, const GxRect& rect,
                                   GxWidgetTextAlign align, std::uint32_t color, std::uint32_t specular,
                                   std::uint32_t outlineColor, std::int32_t preset, char16_t breakChar);
    // A text from (x, y) through a glyph cache, or with a bitmap font.
    virtual void DrawFontMapText(GxGDIFontMap* fontMap, std::u16string_view text, float x, float y,
                                 const GxVector2& scale, std::uint32_t color, std::uint32_t specular,
                                 std::int32_t preset, char16_t breakChar);
    virtual void DrawBitmapFontText(GxFontData* font, std::u16string_view text, float x, float y,
                                    const GxVector2& scale, std::uint32_t color, std::uint32_t specular,
                                    std::int32_t preset);
    // An untextured rectangle in one colour.
    virtual void DrawColorRect(const GxFRect& rect, std::uint32_t color, std::int32_t preset);
};

// Not owned; null restores the built-in base. Returns the previous one (null for the base).
GxWidgetGraphicsBase* SetWidgetGraphics(GxWidgetGraphicsBase* graphics);
// Never null.
GxWidgetGraphicsBase* GetWidgetGraphics();
