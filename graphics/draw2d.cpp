// Sections: presets | states and default state | shared pieces | draw routines | cells and
// outlined text | helpers
#include "graphics/draw2d.h"

#include "foundation/log.h"
#include "foundation/matrix.h"
#include "graphics/font_data.h"
#include "graphics/gdi_font_map.h"
#include "graphics/graphics.h"
#include "graphics/light.h"
#include "graphics/text_layout.h"
#include "graphics/texture.h"
#include "graphics/texture_flex.h"
#include "graphics/texture_movie.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr std::uint32_t kStageCount = 8;
constexpr float kHalfPixel = 0.5f;

// The remembered preset per stage; the default state sets every stage to alpha blending.
std::int32_t g_RememberedPreset[kStageCount] = {};

// ---- presets -------------------------------------------------------------------------------

struct PresetStates {
    bool blend;
    DWORD textureOp;
    bool setsAlphaArgument;
    DWORD blendOp;
    DWORD sourceBlend;
    DWORD destBlend;
};

// Index = preset; entry 0 is the fall-back for a remembered 0 and for unknown presets.
constexpr PresetStates kPresets[kBlendPresetLast + 1] = {
    {true, D3DTOP_MODULATE, false, D3DBLENDOP_ADD, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
    {false, D3DTOP_MODULATE, true, D3DBLENDOP_ADD, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
    {true, D3DTOP_MODULATE, true, D3DBLENDOP_ADD, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
    {true, D3DTOP_MODULATE, true, D3DBLENDOP_ADD, D3DBLEND_SRCALPHA, D3DBLEND_ONE},
    {true, D3DTOP_MODULATE2X, true, D3DBLENDOP_ADD, D3DBLEND_SRCALPHA, D3DBLEND_ONE},
    {true, D3DTOP_MODULATE, true, D3DBLENDOP_REVSUBTRACT, D3DBLEND_SRCALPHA, D3DBLEND_ONE},
    {true, D3DTOP_MODULATE, true, D3DBLENDOP_ADD, D3DBLEND_ZERO, D3DBLEND_SRCCOLOR},
    {true, D3DTOP_MODULATE, true, D3DBLENDOP_ADD, D3DBLEND_INVDESTCOLOR, D3DBLEND_INVSRCCOLOR},
    {true, D3DTOP_MODULATE, true, D3DBLENDOP_ADD, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
    {true, D3DTOP_MODULATE, true, D3DBLENDOP_ADD, D3DBLEND_INVDESTCOLOR, D3DBLEND_ONE},
    {true, D3DTOP_MODULATE, false, D3DBLENDOP_SUBTRACT, D3DBLEND_ONE, D3DBLEND_ONE},
};

void ApplyPreset(DWORD stage, std::int32_t preset)
{
    const PresetStates& states = preset >= 1 && preset <= kBlendPresetLast ? kPresets[preset] : kPresets[0];
    GxGraphics::SetRenderStateCached(D3DRS_ALPHABLENDENABLE, states.blend ? TRUE : FALSE);
    GxGraphics::SetTextureStageStateCached(stage, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    GxGraphics::SetTextureStageStateCached(stage, D3DTSS_COLOROP, states.textureOp);
    if (states.setsAlphaArgument) GxGraphics::SetTextureStageStateCached(stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    GxGraphics::SetTextureStageStateCached(stage, D3DTSS_ALPHAOP, states.textureOp);
    GxGraphics::SetRenderStateCached(D3DRS_BLENDOP, states.blendOp);
    GxGraphics::SetRenderStateCached(D3DRS_SRCBLEND, states.sourceBlend);
    GxGraphics::SetRenderStateCached(D3DRS_DESTBLEND, states.destBlend);
}

}  // namespace

void SetBlendMode(std::uint32_t stage, std::int32_t preset)
{
    if (stage >= kStageCount) {
        LogPrint(u"SetBlendMode/Stage %u is out of range\n", stage);
        return;
    }
    if (preset == kBlendRemembered) {
        preset = g_RememberedPreset[stage];
    } else {
        g_RememberedPreset[stage] = preset;
    }
    ApplyPreset(stage, preset);
}

std::int32_t GetBlendMode(std::uint32_t stage)
{
    return stage < kStageCount ? g_RememberedPreset[stage] : 0;
}

// ---- states and default state --------------------------------------------------------------

namespace GxGraphics {

namespace {

// The 2D render states shared by the default state and ResetRenderStates.
void Set2DRenderStates()
{
    SetZEnable(false);
    SetZWriteEnable(false);
    SetAlphaTest(false, 0);
    SetMultiSampleAntialias(true);
    SetSpecularEnable(true);
    SetCullMode(D3DCULL_NONE);
    SetFillMode(D3DFILL_SOLID);
    SetLighting(false);
}

}  // namespace

void SetupDefaultRenderState()
{
    GxRect viewport;
    viewport.right = static_cast<std::int32_t>(GetBackBufferWidth());
    viewport.bottom = static_cast<std::int32_t>(GetBackBufferHeight());
    SetViewport(&viewport);

    for (DWORD stage = 0; stage < kStageCount; ++stage) {
        SetBlendMode(stage, kBlendRemembered);
        SetTextureStageStateCached(stage, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        SetTextureStageStateCached(stage, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
        SetTextureStageStateCached(stage, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        g_RememberedPreset[stage] = kBlendAlpha;
    }

    SetTextureFilter(D3DTEXF_POINT);

    SetRenderStateCached(D3DRS_ALPHABLENDENABLE, TRUE);
    SetRenderStateCached(D3DRS_BLENDOP, D3DBLENDOP_ADD);
    // The target's alpha keeps the larger of source and destination, so drawing translucent
    // pictures onto an opaque target never makes it see-through.
    SetRenderStateCached(D3DRS_SEPARATEALPHABLENDENABLE, TRUE);
    SetRenderStateCached(D3DRS_BLENDOPALPHA, D3DBLENDOP_MAX);
    SetRenderStateCached(D3DRS_COLORVERTEX, TRUE);
    SetRenderStateCached(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_COLOR1);
    SetRenderStateCached(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
    SetRenderStateCached(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
    SetRenderStateCached(D3DRS_EMISSIVEMATERIALSOURCE, D3DMCS_MATERIAL);

    SelectVertexProcessing(0, 0);
    if (IDirect3DDevice9* device = GetDevice()) device->SetVertexShader(nullptr);

    Set2DRenderStates();

    SetDirectionalLight(GxFColor(1.0f, 1.0f, 1.0f, 1.0f), GxVector3(0.0f, -1.0f, 0.0f));
    SetTwoColorLight(GxFColor(0.3f, 0.3f, 0.3f, 0.3f), GxFColor(0.2f, 0.2f, 0.2f, 0.2f), GxVector3(0.0f, 1.0f, 0.0f));
}

void ResetRenderStates()
{
    Set2DRenderStates();
    IDirect3DDevice9* device = GetDevice();
    if (!device) return;
    for (DWORD stage = 0; stage < kStageCount; ++stage) device->SetTexture(stage, nullptr);
    for (UINT stream = 0; stream < 4; ++stream) device->SetStreamSource(stream, nullptr, 0, 0);
}

void SetTextureFilter(D3DTEXTUREFILTERTYPE filter)
{
    IDirect3DDevice9* device = GetDevice();
    if (!device) return;
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
}

void SetZEnable(bool enable)
{
    SetRenderStateCached(D3DRS_ZENABLE, enable ? D3DZB_TRUE : D3DZB_FALSE);
}

void SetZWriteEnable(bool enable)
{
    SetRenderStateCached(D3DRS_ZWRITEENABLE, enable ? TRUE : FALSE);
}

void SetAlphaTest(bool enable, DWORD reference)
{
    if (!enable) {
        SetRenderStateCached(D3DRS_ALPHATESTENABLE, FALSE);
        return;
    }
    SetRenderStateCached(D3DRS_ALPHATESTENABLE, TRUE);
    SetRenderStateCached(D3DRS_ALPHAREF, reference);
    SetRenderStateCached(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
}

void SetMultiSampleAntialias(bool enable)
{
    SetRenderStateCached(D3DRS_MULTISAMPLEANTIALIAS, enable ? TRUE : FALSE);
}

void SetSpecularEnable(bool enable)
{
    SetRenderStateCached(D3DRS_SPECULARENABLE, enable ? TRUE : FALSE);
}

void SetLighting(bool enable)
{
    SetRenderStateCached(D3DRS_LIGHTING, enable ? TRUE : FALSE);
}

void SetCullMode(DWORD mode)
{
    SetRenderStateCached(D3DRS_CULLMODE, mode);
}

void SetFillMode(DWORD mode)
{
    SetRenderStateCached(D3DRS_FILLMODE, mode);
}

void SetTexture(std::uint32_t stage, IDirect3DBaseTexture9* texture)
{
    if (IDirect3DDevice9* device = GetDevice()) device->SetTexture(stage, texture);
}

}  // namespace GxGraphics

// ---- shared pieces -------------------------------------------------------------------------

namespace {

// What a draw needs of a texture object: its device texture and its created size.
struct TextureView {
    IDirect3DTexture9* device = nullptr;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
};

TextureView ViewOf(GxTextureBase* texture)
{
    TextureView view;
    if (auto* plain = dynamic_cast<GxTexture*>(texture)) {
        view.device = plain->GetTexturePointer();
        view.width = plain->GetWidth();
        view.height = plain->GetHeight();
    } else if (auto* movie = dynamic_cast<GxTextureMovie*>(texture)) {
        view.device = movie->GetCurrentTexture();
        view.width = movie->GetWidth();
        view.height = movie->GetHeight();
    }
    return view;
}

// True when every point lies beyond one and the same edge of the viewport; a point on an edge
// is inside.
bool OutsideViewport(const GxVertex2D* vertices, std::size_t count)
{
    const GxRect viewport = GxGraphics::GetViewport();
    const float left = static_cast<float>(viewport.left);
    const float top = static_cast<float>(viewport.top);
    const float right = static_cast<float>(viewport.right);
    const float bottom = static_cast<float>(viewport.bottom);
    bool allLeft = true, allRight = true, allAbove = true, allBelow = true;
    for (std::size_t i = 0; i < count; ++i) {
        allLeft = allLeft && vertices[i].x < left;
        allRight = allRight && vertices[i].x > right;
        allAbove = allAbove && vertices[i].y < top;
        allBelow = allBelow && vertices[i].y > bottom;
    }
    return allLeft || allRight || allAbove || allBelow;
}

void DrawFan(IDirect3DDevice9* device, const GxVertex2D* vertices)
{
    device->DrawPrimitiveUP(D3DPT_TRIANGLEFAN, 2, vertices, sizeof(GxVertex2D));
}

// Preset, texture and vertex format for the draws that follow.
void BeginDraw(IDirect3DDevice9* device, IDirect3DTexture9* texture, std::int32_t preset)
{
    SetBlendMode(0, preset);
    device->SetTexture(0, texture);
    device->SetFVF(kVertex2DFvf);
}

GxVertex2D MakeVertex(float x, float y, D3DCOLOR diffuse, D3DCOLOR specular, float u, float v)
{
    GxVertex2D vertex;
    vertex.x = x;
    vertex.y = y;
    vertex.diffuse = diffuse;
    vertex.specular = specular;
    vertex.u = u;
    vertex.v = v;
    return vertex;
}

// Scale, rotation about the origin, then the position; the half-pixel shift is folded into
// the position.
GxMatrix PlacementMatrix(float x, float y, const GxVector2& scale, const GxVector3& rotation)
{
    GxMatrix matrix;
    matrix.BuildTransformZXY(GxVector3(x - kHalfPixel, y - kHalfPixel, 0.0f), rotation,
                             GxVector3(scale.x, scale.y, 1.0f), GxVector3(0.0f, 0.0f, 0.0f));
    return matrix;
}

GxVector2 Transformed(const GxMatrix& matrix, float x, float y)
{
    GxVector2 point(x, y);
    point.Transform(matrix);
    return point;
}

// Four corners of the local rectangle (x0, y0)-(x1, y1) in fan order, through the matrix.
void TransformQuad(const GxMatrix& matrix, float x0, float y0, float x1, float y1, GxVector2 out[4])
{
    out[0] = Transformed(matrix, x0, y0);
    out[1] = Transformed(matrix, x0, y1);
    out[2] = Transformed(matrix, x1, y1);
    out[3] = Transformed(matrix, x1, y0);
}

// Already-shifted corners with one colour pair; false when culled.
bool FillQuad(GxVertex2D vertices[4], const GxVector2 corners[4], const GxFRect& uv, D3DCOLOR diffuse,
              D3DCOLOR specular)
{
    vertices[0] = MakeVertex(corners[0].x, corners[0].y, diffuse, specular, uv.left, uv.top);
    vertices[1] = MakeVertex(corners[1].x, corners[1].y, diffuse, specular, uv.left, uv.bottom);
    vertices[2] = MakeVertex(corners[2].x, corners[2].y, diffuse, specular, uv.right, uv.bottom);
    vertices[3] = MakeVertex(corners[3].x, corners[3].y, diffuse, specular, uv.right, uv.top);
    return !OutsideViewport(vertices, 4);
}

}  // namespace

// ---- draw routines -------------------------------------------------------------------------

void DrawQuad2D(GxTextureBase* texture, const GxVector2 corners[4], const GxFRect& uv, const D3DCOLOR diffuse[4],
                const D3DCOLOR specular[4], std::int32_t preset)
{
    IDirect3DDevice9* device = GxGraphics::GetDevice();
    if (!device || !corners || !diffuse || !specular) return;
    const float u[4] = {uv.left, uv.left, uv.right, uv.right};
    const float v[4] = {uv.top, uv.bottom, uv.bottom, uv.top};
    GxVertex2D vertices[4];
    for (int i = 0; i < 4; ++i) {
        vertices[i] = MakeVertex(corners[i].x - kHalfPixel, corners[i].y - kHalfPixel, diffuse[i], specular[i], u[i],
                                 v[i]);
    }
    if (OutsideViewport(vertices, 4)) return;
    BeginDraw(device, ViewOf(texture).device, preset);
    DrawFan(device, vertices);
}

void DrawTextureRect2D(GxTextureBase* texture, float x, float y, const GxFRect& source, const GxVector2& scale,
                       const GxVector3& rotation, const GxVector2& pivot, const GxVector2& uvOffset, D3DCOLOR color,
                       D3DCOLOR specular, std::int32_t preset)
{
    IDirect3DDevice9* device = GxGraphics::GetDevice();
    const TextureView view = ViewOf(texture);
    // Without a size there are no texture coordinates to give.
    if (!device || view.width == 0 || view.height == 0) return;

    const float width = std::fabs(source.right - source.left);
    const float height = std::fabs(source.bottom - source.top);
    const float x0 = -pivot.x * width, y0 = -pivot.y * height;
    const float x1 = (1.0f - pivot.x) * width, y1 = (1.0f - pivot.y) * height;
    GxVector2 corners[4];
    TransformQuad(PlacementMatrix(x, y, scale, rotation), x0, y0, x1, y1, corners);

    const float textureWidth = static_cast<float>(view.width);
    const float textureHeight = static_cast<float>(view.height);
    GxFRect uv;
    uv.left = source.left / textureWidth + uvOffset.x;
    uv.top = source.top / textureHeight + uvOffset.y;
    uv.right = source.right / textureWidth + uvOffset.x;
    uv.bottom = source.bottom / textureHeight + uvOffset.y;

    GxVertex2D vertices[4];
    if (!FillQuad(vertices, corners, uv, color, specular)) return;
    BeginDraw(device, view.device, preset);
    DrawFan(device, vertices);
}

void DrawTexture2D(GxTextureFlex* texture, float x, float y, const GxVector2& scale, const GxVector3& rotation,
                   const GxVector2& pivot, D3DCOLOR color, D3DCOLOR specular, std::int32_t preset)
{
    IDirect3DDevice9* device = GxGraphics::GetDevice();
    if (!device || !texture) return;
    IDirect3DTexture9* const* tiles = texture->GetTiles();
    const std::uint32_t tileWidth = texture->GetTileWidth();
    const std::uint32_t tileHeight = texture->GetTileHeight();
    const std::uint32_t imageWidth = texture->GetImageWidth();
    const std::uint32_t imageHeight = texture->GetImageHeight();
    const std::uint32_t columns = texture->GetColumns();
    const std::uint32_t rows = texture->GetRows();
    if (!tiles || tileWidth == 0 || tileHeight == 0 || columns == 0 || rows == 0) return;

    const GxMatrix matrix = PlacementMatrix(x, y, scale, rotation);
    const float pivotX = pivot.x * static_cast<float>(imageWidth);
    const float pivotY = pivot.y * static_cast<float>(imageHeight);

    // Tile corners are transformed once and shared by neighbouring tiles, so their edges meet
    // exactly and no seam shows. Edge tiles end at the image's edge.
    const std::size_t stride = static_cast<std::size_t>(columns) + 1;
    std::vector<GxVector2> grid(stride * (static_cast<std::size_t>(rows) + 1));
    auto edgeX = [&](std::uint32_t column) {
        return static_cast<float>(std::min<std::uint64_t>(std::uint64_t(column) * tileWidth, imageWidth));
    };
    auto edgeY = [&](std::uint32_t row) {
        return static_cast<float>(std::min<std::uint64_t>(std::uint64_t(row) * tileHeight, imageHeight));
    };
    for (std::uint32_t row = 0; row <= rows; ++row) {
        for (std::uint32_t column = 0; column <= columns; ++column) {
            grid[row * stride + column] = Transformed(matrix, edgeX(column) - pivotX, edgeY(row) - pivotY);
        }
    }

    SetBlendMode(0, preset);
    device->SetFVF(kVertex2DFvf);
    for (std::uint32_t row = 0; row < rows; ++row) {
        for (std::uint32_t column = 0; column < columns; ++column) {
            const GxVector2 corners[4] = {grid[row * stride + column], grid[(row + 1) * stride + column],
                                          grid[(row + 1) * stride + column + 1], grid[row * stride + column + 1]};
            GxFRect uv;
            uv.right = (edgeX(column + 1) - edgeX(column)) / static_cast<float>(tileWidth);
            uv.bottom = (edgeY(row + 1) - edgeY(row)) / static_cast<float>(tileHeight);
            GxVertex2D vertices[4];
            if (!FillQuad(vertices, corners, uv, color, specular)) continue;
            device->SetTexture(0, tiles[row * columns + column]);
            DrawFan(device, vertices);
        }
    }
}

void DrawFontDataText(GxFontData* font, std::u16string_view text, float x, float y, const GxVector2& scale,
                      const GxVector3& rotation, const GxVector2& pivot, D3DCOLOR color, D3DCOLOR specular,
                      std::int32_t preset)
{
    IDirect3DDevice9* device = GxGraphics::GetDevice();
    // An unloaded font would draw its cells as blank boxes.
    if (!device || !font || !font->IsLoaded()) return;
    const std::size_t end = text.find(u'\0');
    if (end != std::u16string_view::npos) text = text.substr(0, end);
    if (text.empty()) return;

    const float blockWidth = static_cast<float>(font->GetTextWidth(text));
    const float cellHeight = static_cast<float>(font->GetCharHeight());
    // The pivot point of the text block lands on (x, y).
    const GxMatrix matrix = PlacementMatrix(x, y, scale, rotation);
    const float originX = -pivot.x * blockWidth;
    const float originY = -pivot.y * cellHeight;

    SetBlendMode(0, preset);
    device->SetFVF(kVertex2DFvf);
    device->SetTexture(0, font->GetTexture()->GetTexturePointer());
    float advance = 0.0f;
    for (const char16_t code : text) {
        const float width = static_cast<float>(font->GetCharWidth(code));
        float uvs[4];
        // A code the font does not hold only advances: its cell would be the texture's corner.
        if (font->GetCharUV(uvs, code)) {
            GxVector2 corners[4];
            TransformQuad(matrix, originX + advance, originY, originX + advance + width, originY + cellHeight,
                          corners);
            GxFRect uv;
            uv.left = uvs[0];
            uv.top = uvs[1];
            uv.right = uvs[2];
            uv.bottom = uvs[3];
            GxVertex2D vertices[4];
            if (FillQuad(vertices, corners, uv, color, specular)) DrawFan(device, vertices);
        }
        advance += width;
    }
}

void DrawColorRect2D(const GxFRect& rect, const D3DCOLOR diffuse[5], const D3DCOLOR specular[5], std::int32_t preset)
{
    IDirect3DDevice9* device = GxGraphics::GetDevice();
    if (!device || !diffuse || !specular) return;
    const float centreX = (rect.left + rect.right) * 0.5f;
    const float centreY = (rect.top + rect.bottom) * 0.5f;
    const GxVertex2D points[5] = {
        MakeVertex(rect.left, rect.top, diffuse[0], specular[0], 0.0f, 0.0f),
        MakeVertex(rect.left, rect.bottom, diffuse[1], specular[1], 0.0f, 0.0f),
        MakeVertex(rect.right, rect.bottom, diffuse[2], specular[2], 0.0f, 0.0f),
        MakeVertex(rect.right, rect.top, diffuse[3], specular[3], 0.0f, 0.0f),
        MakeVertex(centreX, centreY, diffuse[4], specular[4], 0.0f, 0.0f),
    };
    if (OutsideViewport(points, 4)) return;
    const GxVertex2D first[4] = {points[0], points[1], points[4], points[3]};
    const GxVertex2D second[4] = {points[4], points[1], points[2], points[3]};
    BeginDraw(device, nullptr, preset);
    DrawFan(device, first);
    DrawFan(device, second);
}

void DrawNcLayerQuad(GxTextureBase* texture, const GxVector3 points[5], const GxVector2 uvs[5],
                     const D3DCOLOR diffuse[5], const D3DCOLOR specular[5], const GxVector2& uvOffset,
                     std::int32_t preset)
{
    IDirect3DDevice9* device = GxGraphics::GetDevice();
    if (!device || !points || !uvs || !diffuse || !specular) return;
    GxVertex2D vertices[5];
    for (int i = 0; i < 5; ++i) {
        vertices[i] = MakeVertex(points[i].x - kHalfPixel, points[i].y - kHalfPixel, diffuse[i], specular[i],
                                 uvs[i].x + uvOffset.x, uvs[i].y + uvOffset.y);
        vertices[i].z = points[i].z;
    }
    if (OutsideViewport(vertices, 5)) return;
    const GxVertex2D first[4] = {vertices[0], vertices[1], vertices[4], vertices[3]};
    const GxVertex2D second[4] = {vertices[4], vertices[1], vertices[2], vertices[3]};
    BeginDraw(device, ViewOf(texture).device, preset);
    DrawFan(device, first);
    DrawFan(device, second);
}

// ---- cells and outlined text ---------------------------------------------------------------

void DrawImageCell2D(const GxImageCell& cell, float x, float y, const GxVector2& scale, const GxVector3& rotation,
                     const GxVector2& pivot, D3DCOLOR color, D3DCOLOR specular, std::int32_t preset)
{
    GxFRect source;
    source.left = static_cast<float>(cell.left);
    source.top = static_cast<float>(cell.top);
    source.right = static_cast<float>(cell.left + cell.width);
    source.bottom = static_cast<float>(cell.top + cell.height);
    DrawTextureRect2D(cell.texture, x, y, source, scale, rotation, pivot, GxVector2(0.0f, 0.0f), color, specular,
                      preset);
}

namespace {

// Outline copies: the four diagonal neighbours first, then the four straight ones.
constexpr float kOutlineOffsets[8][2] = {{-1, -1}, {1, 1}, {1, -1}, {-1, 1}, {1, 0}, {-1, 0}, {0, 1}, {0, -1}};

}  // namespace

void DrawImageCellOutlined2D(const GxImageCell& cell, float x, float y, float distance, D3DCOLOR color,
                             D3DCOLOR specular, D3DCOLOR outlineColor, std::int32_t preset, const GxVector2& scale)
{
    const GxVector3 noRotation(0.0f, 0.0f, 0.0f);
    const GxVector2 noPivot(0.0f, 0.0f);
    for (const auto& offset : kOutlineOffsets) {
        DrawImageCell2D(cell, x + offset[0] * distance, y + offset[1] * distance, scale, noRotation, noPivot,
                        outlineColor, specular, preset);
    }
    DrawImageCell2D(cell, x, y, scale, noRotation, noPivot, color, specular, preset);
}

void GxDrawTextClipped(const GxGlyphRecord& glyph, float x, float y, const GxVector2& scale,
                       const GxVector3& rotation, const GxVector2& pivot, D3DCOLOR color, D3DCOLOR specular,
                       std::int32_t preset)
{
    if (glyph.IsEmpty())
        return;
    const GxImageCell cell{glyph.texture, glyph.x, glyph.y, glyph.width, glyph.height};
    DrawImageCell2D(cell, x, y, scale, rotation, pivot, color, specular, preset);
}

void GxDrawTextClippedEx(const GxGlyphRecord& glyph, float x, float y, float distance, const GxVector2& scale,
                         const GxVector3& rotation, const GxVector2& pivot, D3DCOLOR color, D3DCOLOR specular,
                         std::int32_t preset)
{
    if (glyph.IsEmpty())
        return;
    for (const auto& offset : kOutlineOffsets)
        GxDrawTextClipped(glyph, x + offset[0] * distance, y + offset[1] * distance, scale, rotation, pivot, color,
                          specular, preset);
}

void GxDrawTextOutlined(GxGDIFontMap* font, std::u16string_view text, float x, float y, const GxVector2& scale,
                        D3DCOLOR color, D3DCOLOR specular, D3DCOLOR outlineColor, std::int32_t preset,
                        char16_t breakChar)
{
    if (!font) return;
    constexpr float distance = 1.0f;
    const int copies = font->GetFontSize() < kOutlineFullRingBelowSize ? 8 : 4;
    for (int i = 0; i < copies; ++i) {
        DrawTextGDIFontMap(font, text, x + kOutlineOffsets[i][0] * distance, y + kOutlineOffsets[i][1] * distance,
                           scale, outlineColor, specular, preset, breakChar);
    }
    DrawTextGDIFontMap(font, text, x, y, scale, color, specular, preset, breakChar);
}

// ---- helpers -------------------------------------------------------------------------------

std::uint32_t GxNextPowerOfTwo(std::uint32_t n)
{
    if (n < 2) return 1;
    if (n > 0x80000000u) return 0;
    std::uint32_t power = 1;
    while (power < n) power <<= 1;
    return power;
}
