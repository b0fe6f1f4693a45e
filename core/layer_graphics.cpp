#include "core/layer_graphics.h"

#include "graphics/draw2d.h"
#include "graphics/graphics.h"
#include "graphics/system_fonts.h"
#include "graphics/text_layout.h"
#include "graphics/texture.h"
#include "graphics/texture_flex.h"
#include "graphics/texture_movie.h"

namespace {

GxLayerGraphicsBase g_BuiltIn;
GxLayerGraphicsBase* g_Installed = nullptr;

}  // namespace

GxTexture* GxLayerGraphicsBase::NewTexture()
{
    return new GxTexture();
}

GxTextureFlex* GxLayerGraphicsBase::NewTextureFlex()
{
    return new GxTextureFlex();
}

GxTextureMovie* GxLayerGraphicsBase::NewTextureMovie()
{
    return new GxTextureMovie();
}

void GxLayerGraphicsBase::ResetRenderStates()
{
    GxGraphics::ResetRenderStates();
}

bool GxLayerGraphicsBase::BeginSceneNested()
{
    return ::BeginSceneNested();
}

bool GxLayerGraphicsBase::EndSceneNested()
{
    return ::EndSceneNested();
}

void GxLayerGraphicsBase::DrawTexture2D(GxTextureFlex* texture, float x, float y, const GxVector2& scale,
                                        const GxVector3& rotation, const GxVector2& pivot, std::uint32_t color0,
                                        std::uint32_t color1, std::int32_t preset)
{
    ::DrawTexture2D(texture, x, y, scale, rotation, pivot, color0, color1, preset);
}

void GxLayerGraphicsBase::DrawTextureRect2D(GxTextureBase* texture, float x, float y, const GxFRect& source,
                                            const GxVector2& scale, const GxVector3& rotation, const GxVector2& pivot,
                                            std::uint32_t color0, std::uint32_t color1, std::int32_t preset)
{
    ::DrawTextureRect2D(texture, x, y, source, scale, rotation, pivot, GxVector2(0.0f, 0.0f), color0, color1, preset);
}

void GxLayerGraphicsBase::DrawSolidRect(const GxFRect& rect, std::uint32_t color0, std::uint32_t color1,
                                        std::int32_t preset)
{
    const GxVector2 corners[4] = {GxVector2(rect.left, rect.top), GxVector2(rect.left, rect.bottom),
                                  GxVector2(rect.right, rect.bottom), GxVector2(rect.right, rect.top)};
    const D3DCOLOR diffuse[4] = {color0, color0, color0, color0};
    const D3DCOLOR specular[4] = {color1, color1, color1, color1};
    DrawQuad2D(nullptr, corners, GxFRect(), diffuse, specular, preset);
}

void GxLayerGraphicsBase::DrawLabel(const std::u16string& text, float x, float y, std::uint32_t color,
                                    std::int32_t preset)
{
    DrawTextGDIFontMap(GetSystemFontMap(kDefaultSystemFontMap), text, x, y, GxVector2(1.0f, 1.0f), color, 0, preset,
                       u'\n');
}

GxLayerGraphicsBase* SetLayerGraphics(GxLayerGraphicsBase* graphics)
{
    GxLayerGraphicsBase* previous = g_Installed;
    g_Installed = graphics;
    return previous;
}

GxLayerGraphicsBase* GetLayerGraphics()
{
    return g_Installed ? g_Installed : &g_BuiltIn;
}
