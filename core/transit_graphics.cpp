#include "core/transit_graphics.h"

#include "core/standins/avg_standin.h"
#include "graphics/draw2d.h"
#include "graphics/graphics.h"
#include "graphics/texture.h"

namespace {

GxTransitGraphicsBase* g_TransitGraphics = nullptr;

}  // namespace

GxTransitGraphicsBase* SetTransitGraphics(GxTransitGraphicsBase* graphics)
{
    GxTransitGraphicsBase* previous = g_TransitGraphics;
    g_TransitGraphics = graphics;
    return previous;
}

GxTransitGraphicsBase* GetTransitGraphics()
{
    return g_TransitGraphics;
}

bool GxTransitGraphics::CaptureScreenToTexture(GxCore* core)
{
    return ::CaptureScreenToTexture(core);
}

GxTexture* GxTransitGraphics::GetCaptureTexture()
{
    GxTexture* texture = GetGlobalRenderTexture(0);
    return texture != nullptr && texture->HasTexture() ? texture : nullptr;
}

bool GxTransitGraphics::BeginSceneNested()
{
    return ::BeginSceneNested();
}

bool GxTransitGraphics::EndSceneNested()
{
    return ::EndSceneNested();
}

void GxTransitGraphics::ResetRenderStates()
{
    GxGraphics::ResetRenderStates();
}

void GxTransitGraphics::DrawTextureRect2D(GxTexture* texture, float x, float y, const GxFRect& source,
                                          const GxVector2& scale, float rotation, const GxVector2& pivot,
                                          const GxVector2& uvOffset, std::uint32_t color0, std::uint32_t color1,
                                          std::int32_t preset)
{
    ::DrawTextureRect2D(texture, x, y, source, scale, GxVector3(0.0f, 0.0f, rotation), pivot, uvOffset, color0,
                        color1, preset);
}

GxTransitGraphics& GetEngineTransitGraphics()
{
    static GxTransitGraphics graphics;
    return graphics;
}
