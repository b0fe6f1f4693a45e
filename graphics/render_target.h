// What the render-target stacks hold: a colour target (a texture or a surface that can make
// itself the render target of a stage), a depth target and a viewport rectangle.
#pragma once

#include "foundation/value_types.h"
#include "platform/d3d9/d3d9.h"

#include <cstdint>

// Implemented by the resources that can be drawn into (GxTexture, GxSurface).
class GxRenderTargetBase {
public:
    virtual ~GxRenderTargetBase() = default;

    // Binds the resource's surface as the device render target of the stage; false when it
    // holds none or Direct3D refuses.
    virtual bool SetToRenderTarget(std::uint32_t stage) = 0;
    // The size as Direct3D created it: the viewport of a stage-0 target without a rectangle.
    virtual std::uint32_t GetWidth() const = 0;
    virtual std::uint32_t GetHeight() const = 0;
    // The device surface without a reference, for a target that serves as a depth-stencil
    // buffer; null for targets that cannot.
    virtual IDirect3DSurface9* GetSurfacePointer() const { return nullptr; }
};

// Held by value; holds no references on its targets.
struct GxRenderTargetEntry {
    GxRenderTargetBase* m_Color = nullptr;
    GxRenderTargetBase* m_Depth = nullptr;
    GxRect m_Viewport;   // all zero: the whole target
};
