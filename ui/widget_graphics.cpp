#include "ui/widget_graphics.h"

#include "graphics/draw2d.h"
#include "graphics/graphics.h"
#include "graphics/text_layout.h"
#include "graphics/gdi_font_map.h"
#include "graphics/texture.h"
#include "graphics/texture_flex.h"
#include "motion/nc_pattern_draw.h"

namespace {

GxWidgetGraphicsBase g_BuiltIn;
GxWidgetGraphicsBase* g_Installed = nullptr;

}  // namespace

void GxWidgetGraphicsBase::ResetRenderStates()
{
    GxGraphics::ResetRenderStates();
}

bool GxWidgetGraphicsBase::BeginSceneNested()
{
    return ::BeginSceneNested();
}

bool GxWidgetGraphicsBase::EndSceneNested()
{
    return ::EndSceneNested();
}

void GxWidgetGraphicsBase::SetTextureFilter(std::int32_t filter)
{
    GxGraphics::SetTextureFilter(static_cast<D3DTEXTUREFILTERTYPE>(filter));
}

void GxWidgetGraphicsBase::DrawTexture(GxTexture* texture, float x, float y, const GxVector2& scale,
                                       std::uint32_t color, std::uint32_t specular, std::int32_t preset)
{
    if (!texture)
        return;
    const GxFRect source{0.0f, 0.0f, static_cast<float>(texture->GetImageWidth()),
                         static_cast<float>(texture->GetImageHeight())};
    ::DrawTextureRect2D(texture, x, y, source, scale, GxVector3(0.0f, 0.0f, 0.0f), GxVector2(0.0f, 0.0f),
                        GxVector2(0.0f, 0.0f), color, specular, preset);
}

void GxWidgetGraphicsBase::DrawFlexTexture(GxTextureFlex* texture, float x, float y, const GxVector2& scale,
                                           const GxVector3& rotation, const GxVector2& pivot, std::uint32_t color,
                                           std::uint32_t specular, std::int32_t preset)
{
    DrawTexture2D(texture, x, y, scale, rotation, pivot, color, specular, preset);
}

void GxWidgetGraphicsBase::DrawImagePattern(const GxNcOriginImage* image, std::int32_t index, const GxMatrix& matrix,
                                            float alpha, const GxFColor& color, const GxFColor& color1,
                                            std::int32_t preset)
{
    DrawCrammedImagePatternNoClip(image, index, matrix, alpha, color, color1, preset);
}

void GxWidgetGraphicsBase::DrawImagePatternClipped(const GxNcOriginImage* image, std::int32_t index,
                                                   const GxRect& clip, const GxMatrix& matrix, float alpha,
                                                   const GxFColor& color, const GxFColor& color1, std::int32_t preset)
{
    DrawCrammedImagePattern(image, index, clip, matrix, alpha, color, color1, preset);
}

void GxWidgetGraphicsBase::DrawGlyph(const GxImageCell& cell, float x, float y, const GxVector2& scale,
                                     std::uint32_t color, std::uint32_t specular, std::int32_t preset)
{
    DrawImageCell2D(cell, x, y, scale, GxVector3(0.0f, 0.0f, 0.0f), GxVector2(0.0f, 0.0f), color, specular, preset);
}

void GxWidgetGraphicsBase::DrawGlyphOutlined(const GxImageCell& cell, float x, float y, float distance,
                                             std::uint32_t color, std::uint32_t specular, std::uint32_t outlineColor,
                                             std::int32_t preset, const GxVector2& scale)
{
    DrawImageCellOutlined2D(cell, x, y, distance, color, specular, outlineColor, preset, scale);
}

void GxWidgetGraphicsBase::DrawGlyphRecord(const GxGlyphRecord& glyph, float x, float y, const GxVector2& scale,
                                           std::uint32_t color, std::uint32_t specular, std::int32_t preset)
{
    GxDrawTextClipped(glyph, x, y, scale, GxVector3(0.0f, 0.0f, 0.0f), GxVector2(0.0f, 0.0f), color, specular, preset);
}

void GxWidgetGraphicsBase::DrawGlyphRing(const GxGlyphRecord& glyph, float x, float y, float distance,
                                         const GxVector2& scale, std::uint32_t color, std::uint32_t specular,
                                         std::int32_t preset)
{
    GxDrawTextClippedEx(glyph, x, y, distance, scale, GxVector3(0.0f, 0.0f, 0.0f), GxVector2(0.0f, 0.0f), color,
                        specular, preset);
}

GxRect GxWidgetGraphicsBase::DrawAlignedText(GxGDIFontMap* fontMap, std::u16string_view text, const GxRect& rect,
                                             GxWidgetTextAlign align, std::uint32_t color, std::uint32_t specular,
                                             std::uint32_t outlineColor, std::int32_t preset, char16_t breakChar)
{
    switch (align) {
    case GxWidgetTextAlign::kCenter:
        return DrawTextAlignCenter(fontMap, text, rect, color, specular, outlineColor, preset, breakChar);
    case GxWidgetTextAlign::kRight:
        return DrawTextAlignRight(fontMap, text, rect, color, specular, outlineColor, preset, breakChar);
    case GxWidgetTextAlign::kCentered:
        return DrawTextCentered(fontMap, text, rect, color, specular, outlineColor, preset, breakChar);
    default:
        return DrawTextAlignLeft(fontMap, text, rect, color, specular, outlineColor, preset, breakChar);
    }
}

void GxWidgetGraphicsBase::DrawFontMapText(GxGDIFontMap* fontMap, std::u16string_view text, float x, float y,
                                           const GxVector2& scale, std::uint32_t color, std::uint32_t specular,
                                           std::int32_t preset, char16_t breakChar)
{
    DrawTextGDIFontMap(fontMap, text, x, y, scale, color, specular, preset, breakChar);
}

void GxWidgetGraphicsBase::DrawBitmapFontText(GxFontData* font, std::u16string_view text, float x, float y,
                                              const GxVector2& scale, std::uint32_t color, std::uint32_t specular,
                                              std::int32_t preset)
{
    DrawFontDataText(font, text, x, y, scale, GxVector3(0.0f, 0.0f, 0.0f), GxVector2(0.0f, 0.0f), color, specular,
                     preset);
}

void GxWidgetGraphicsBase::DrawColorRect(const GxFRect& rect, std::uint32_t color, std::int32_t preset)
{
    const D3DCOLOR diffuse[5] = {color, color, color, color, color};
    const D3DCOLOR specular[5] = {0, 0, 0, 0, 0};
    DrawColorRect2D(rect, diffuse, specular, preset);
}

GxWidgetGraphicsBase* SetWidgetGraphics(GxWidgetGraphicsBase* graphics)
{
    GxWidgetGraphicsBase* previous = g_Installed;
    g_Installed = graphics;
    return previous;
}

GxWidgetGraphicsBase* GetWidgetGraphics()
{
    return g_Installed ? g_Installed : &g_BuiltIn;
}
