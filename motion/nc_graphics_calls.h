// The graphics calls that motion and pattern drawing make, behind one replaceable object so
// that tests can record them. The built-in object forwards to the graphics layer.
#pragma once

#include "foundation/value_types.h"
#include "platform/d3d9/d3d9.h"

#include <cstdint>

class GxTextureBase;

class GxNcGraphicsCalls {
public:
    virtual ~GxNcGraphicsCalls() = default;

    virtual void SetTextureFilter(D3DTEXTUREFILTERTYPE filter);
    virtual void SetCullMode(DWORD mode);
    virtual void DrawNcLayerQuad(GxTextureBase* texture, const GxVector3 points[5], const GxVector2 uvs[5],
                                 const D3DCOLOR diffuse[5], const D3DCOLOR specular[5], const GxVector2& uvOffset,
                                 std::int32_t preset);
    virtual void DrawQuad2D(GxTextureBase* texture, const GxVector2 corners[4], const GxFRect& uv,
                            const D3DCOLOR diffuse[4], const D3DCOLOR specular[4], std::int32_t preset);
};

// Not owned; null restores the built-in object. Returns the previous one (null for the built-in).
GxNcGraphicsCalls* SetNcGraphicsCalls(GxNcGraphicsCalls* calls);
// Never null.
GxNcGraphicsCalls& GetNcGraphicsCalls();
