#include "motion/nc_graphics_calls.h"

#include "graphics/draw2d.h"

namespace {

GxNcGraphicsCalls* g_Calls = nullptr;

}  // namespace

void GxNcGraphicsCalls::SetTextureFilter(D3DTEXTUREFILTERTYPE filter)
{
    GxGraphics::SetTextureFilter(filter);
}

void GxNcGraphicsCalls::SetCullMode(DWORD mode)
{
    GxGraphics::SetCullMode(mode);
}

void GxNcGraphicsCalls::DrawNcLayerQuad(GxTextureBase* texture, const GxVector3 points[5], const GxVector2 uvs[5],
                                        const D3DCOLOR diffuse[5], const D3DCOLOR specular[5],
                                        const GxVector2& uvOffset, std::int32_t preset)
{
    ::DrawNcLayerQuad(texture, points, uvs, diffuse, specular, uvOffset, preset);
}

void GxNcGraphicsCalls::DrawQuad2D(GxTextureBase* texture, const GxVector2 corners[4], const GxFRect& uv,
                                   const D3DCOLOR diffuse[4], const D3DCOLOR specular[4], std::int32_t preset)
{
    ::DrawQuad2D(texture, corners, uv, diffuse, specular, preset);
}

GxNcGraphicsCalls* SetNcGraphicsCalls(GxNcGraphicsCalls* calls)
{
    GxNcGraphicsCalls* previous = g_Calls;
    g_Calls = calls;
    return previous;
}

GxNcGraphicsCalls& GetNcGraphicsCalls()
{
    static GxNcGraphicsCalls builtIn;
    return g_Calls != nullptr ? *g_Calls : builtIn;
}
