// What a screen transition needs from the graphics layer and the adventure module's screen
// snapshot: the capture into the first global render texture, the nested scene bracket, the 2D
// state reset and the texture-rectangle draw. The game module's start-up installs its own and its
// reset takes it out again; without one (tests that install none) captures and fade drawing do
// nothing.
#pragma once

#include "foundation/value_types.h"

#include <cstdint>

class GxCore;
class GxTexture;

class GxTransitGraphicsBase {
public:
    virtual ~GxTransitGraphicsBase() = default;

    // Draws the current task trees, 1024 by 768, into the first "GlobalRenderTexture0".
    virtual bool CaptureScreenToTexture(GxCore* core) = 0;
    // The texture that receives the capture; null when it does not exist.
    virtual GxTexture* GetCaptureTexture() = 0;
    virtual bool BeginSceneNested() = 0;
    virtual bool EndSceneNested() = 0;
    // The default 2D render states, no texture and no vertex stream bound.
    virtual void ResetRenderStates() = 0;
    // A part of a texture (source in texels: left, top, right, bottom) placed at (x, y), scaled
    // and rotated about the pivot (fractions of the quad), with a blend preset.
    virtual void DrawTextureRect2D(GxTexture* texture, float x, float y, const GxFRect& source, const GxVector2& scale,
                                   float rotation, const GxVector2& pivot, const GxVector2& uvOffset,
                                   std::uint32_t color0, std::uint32_t color1, std::int32_t preset) = 0;
};

// Not owned; null removes it. Returns the previous one.
GxTransitGraphicsBase* SetTransitGraphics(GxTransitGraphicsBase* graphics);
GxTransitGraphicsBase* GetTransitGraphics();
