// 2D drawing: every routine writes pre-transformed vertices (x, y, z, rhw, diffuse, specular,
// u, v) straight to the device as triangle fans from memory, after selecting one of ten blend
// presets for texture stage 0 and binding its texture (or none). Textured routines shift their
// vertices by -0.5 pixel so that texel centres fall on pixel centres; colour rectangles do not.
// Quads that lie wholly outside the viewport on one side are not sent at all.
//
// Also here: the blend presets with their per-stage memory, the default render state set once
// after the device is made, the small state setters, and the outlined image-cell and text
// drawing. Window thread only.
//
// Sections: vertex and presets | states | draw routines | cells and outlined text | helpers
#pragma once

#include "foundation/value_types.h"
#include "platform/d3d9/d3d9.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

class GxFontData;
class GxGDIFontMap;
struct GxGlyphRecord;
class GxTexture;
class GxTextureBase;
class GxTextureFlex;

// ---- vertex and presets --------------------------------------------------------------------

struct GxVertex2D {
    float x = 0.0f;   // screen pixels
    float y = 0.0f;
    float z = 0.0f;
    float rhw = 1.0f;
    D3DCOLOR diffuse = 0;
    D3DCOLOR specular = 0;   // added to the result: specular is on in the default state
    float u = 0.0f;
    float v = 0.0f;
};
static_assert(sizeof(GxVertex2D) == 32, "the vertex format is 32 bytes");

// D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_SPECULAR | D3DFVF_TEX1.
constexpr DWORD kVertex2DFvf = 0x1C4;

// Blend presets. 0 re-applies the stage's remembered preset.
enum GxBlendPreset : std::int32_t {
    kBlendRemembered = 0,
    kBlendOpaque = 1,          // blending off
    kBlendAlpha = 2,           // source alpha over the target
    kBlendAdd = 3,             // target + source x alpha
    kBlendAdd2X = 4,           // as 3 with texture x vertex colour doubled
    kBlendSubtract = 5,        // target - source x alpha
    kBlendMultiply = 6,        // target x source colour
    kBlendExclusion = 7,
    kBlendAlphaSame = 8,       // the states of preset 2
    kBlendScreen = 9,
    kBlendSourceMinusTarget = 10,
};
constexpr std::int32_t kBlendPresetLast = 10;

// Sets the preset's states for the stage (0 to 7); preset 0 re-applies the stage's remembered
// preset, any other is remembered. A preset outside 1 to 10 (or a remembered 0) gives plain
// alpha blending. A stage outside 0 to 7 is logged and ignored.
void SetBlendMode(std::uint32_t stage, std::int32_t preset);
// The stage's remembered preset (0 for a stage out of range).
std::int32_t GetBlendMode(std::uint32_t stage);

// ---- states --------------------------------------------------------------------------------

namespace GxGraphics {

// The full default state, once after the device is made: viewport, presets and stage states,
// point filtering, blending with alpha maximum, material sources, no vertex shader, the 2D
// render states and the default lights. Device creation calls it.
void SetupDefaultRenderState();

// Z off, alpha test off, multisample antialias on, specular on, no culling, solid fill,
// lighting off; no texture on stages 0 to 7, no vertex stream on streams 0 to 3.
void ResetRenderStates();

// Sampler 0 magnification and minification filter, sent to the device every time (not
// cached); it stays until changed, and a device reset drops it back to point filtering.
void SetTextureFilter(D3DTEXTUREFILTERTYPE filter);

void SetZEnable(bool enable);
void SetZWriteEnable(bool enable);
// On: alpha test with reference `reference` and D3DCMP_GREATEREQUAL.
void SetAlphaTest(bool enable, DWORD reference);
void SetMultiSampleAntialias(bool enable);
void SetSpecularEnable(bool enable);
void SetLighting(bool enable);
void SetCullMode(DWORD mode);   // D3DCULL
void SetFillMode(DWORD mode);   // D3DFILLMODE
// Binds the device texture (null: none) on the stage.
void SetTexture(std::uint32_t stage, IDirect3DBaseTexture9* texture);

}  // namespace GxGraphics

// ---- draw routines -------------------------------------------------------------------------

// Textures are GxTexture (and its text variants) or GxTextureMovie (its current frame); null,
// or one without a device texture, draws untextured.

// One quad; corners in fan order: left-top, left-bottom, right-bottom, right-top. `uv` is (left
// u, top v, right u, bottom v); corner i takes diffuse[i] and specular[i].
void DrawQuad2D(GxTextureBase* texture, const GxVector2 corners[4], const GxFRect& uv, const D3DCOLOR diffuse[4],
                const D3DCOLOR specular[4], std::int32_t preset);

// The source rectangle (texels: left, top, right, bottom) of a texture at (x, y), scaled and
// rotated (radians, applied Z, X, Y) about the pivot (fractions of the quad). `uvOffset` is
// added to every texture coordinate. `color` fills the diffuse and `specular` the specular
// field of every vertex.
void DrawTextureRect2D(GxTextureBase* texture, float x, float y, const GxFRect& source, const GxVector2& scale,
                       const GxVector3& rotation, const GxVector2& pivot, const GxVector2& uvOffset, D3DCOLOR color,
                       D3DCOLOR specular, std::int32_t preset);

// A whole flex texture tile by tile; pivot in fractions of the image.
void DrawTexture2D(GxTextureFlex* texture, float x, float y, const GxVector2& scale, const GxVector3& rotation,
                   const GxVector2& pivot, D3DCOLOR color, D3DCOLOR specular, std::int32_t preset);

// A string with a bitmap font from (x, y); pivot in fractions of the text block (its width by
// the cell height). Stops at the first NUL.
void DrawFontDataText(GxFontData* font, std::u16string_view text, float x, float y, const GxVector2& scale,
                      const GxVector3& rotation, const GxVector2& pivot, D3DCOLOR color, D3DCOLOR specular,
                      std::int32_t preset);

// An untextured, unshifted rectangle split at its centre: colours 0 to 3 at left-top,
// left-bottom, right-bottom, right-top, colour 4 at the centre.
void DrawColorRect2D(const GxFRect& rect, const D3DCOLOR diffuse[5], const D3DCOLOR specular[5], std::int32_t preset);

// One motion-project layer: points 0 to 3 are the corners in the order of DrawColorRect2D and
// point 4 the centre (x, y, z; w is not read); four triangles around the centre.
void DrawNcLayerQuad(GxTextureBase* texture, const GxVector3 points[5], const GxVector2 uvs[5],
                     const D3DCOLOR diffuse[5], const D3DCOLOR specular[5], const GxVector2& uvOffset,
                     std::int32_t preset);

// ---- cells and outlined text ---------------------------------------------------------------

// A pixel rectangle in a texture.
struct GxImageCell {
    GxTexture* texture = nullptr;
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// The cell's rectangle through DrawTextureRect2D with no UV offset.
void DrawImageCell2D(const GxImageCell& cell, float x, float y, const GxVector2& scale, const GxVector3& rotation,
                     const GxVector2& pivot, D3DCOLOR color, D3DCOLOR specular, std::int32_t preset);

// The cell eight times shifted by (±d, ±d), (±d, 0), (0, ±d) in the outline colour, then once
// unshifted in `color`.
void DrawImageCellOutlined2D(const GxImageCell& cell, float x, float y, float distance, D3DCOLOR color,
                             D3DCOLOR specular, D3DCOLOR outlineColor, std::int32_t preset, const GxVector2& scale);

// One glyph of a glyph cache as a sprite with its top left at (x, y); a record without a texture
// draws nothing.
void GxDrawTextClipped(const GxGlyphRecord& glyph, float x, float y, const GxVector2& scale,
                       const GxVector3& rotation, const GxVector2& pivot, D3DCOLOR color, D3DCOLOR specular,
                       std::int32_t preset);
// The same glyph at the eight points `distance` away from (x, y) in x, in y or in both: an
// outline ring. The glyph at (x, y) itself is left to the caller.
void GxDrawTextClippedEx(const GxGlyphRecord& glyph, float x, float y, float distance, const GxVector2& scale,
                         const GxVector3& rotation, const GxVector2& pivot, D3DCOLOR color, D3DCOLOR specular,
                         std::int32_t preset);

// Text through the glyph cache with a one-pixel outline: copies at the four diagonal neighbours
// (and, for fonts below size 20, at the four straight ones too) in the outline colour, then the
// text in `color`.
void GxDrawTextOutlined(GxGDIFontMap* font, std::u16string_view text, float x, float y, const GxVector2& scale,
                        D3DCOLOR color, D3DCOLOR specular, D3DCOLOR outlineColor, std::int32_t preset,
                        char16_t breakChar);
// Font sizes below this get eight outline copies, the others four.
constexpr std::int32_t kOutlineFullRingBelowSize = 20;

// ---- helpers -------------------------------------------------------------------------------

// 1 for n below 2; the smallest power of two not below n; 0 for n above 2^31.
std::uint32_t GxNextPowerOfTwo(std::uint32_t n);

// Calls op(source element, destination element) on `count` pairs, stepping both by `stride`
// bytes.
template <typename Operation>
void GxTransformArray(const void* source, void* destination, std::size_t stride, std::size_t count,
                      Operation operation)
{
    const auto* from = static_cast<const unsigned char*>(source);
    auto* to = static_cast<unsigned char*>(destination);
    for (std::size_t i = 0; i < count; ++i, from += stride, to += stride) operation(from, to);
}
