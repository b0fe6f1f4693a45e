// The adventure module's transition graphics: the screen capture into the first global render
// texture (through render set 1, leaving the frame's own render lists alone) and the fade through
// the graphics layer's 2D drawing. The game start-up installs the one object and the game reset
// takes it out before the global render target is released.
#pragma once

#include "core/transit_graphics.h"

class GxAvgTransitGraphics : public GxTransitGraphicsBase {
public:
    // False, with nothing drawn, while the capture texture does not exist; otherwise the result of
    // restoring the previous render target.
    bool CaptureScreenToTexture(GxCore* core) override;
    GxTexture* GetCaptureTexture() override;
    bool BeginSceneNested() override;
    bool EndSceneNested() override;
    void ResetRenderStates() override;
    void DrawTextureRect2D(GxTexture* texture, float x, float y, const GxFRect& source, const GxVector2& scale,
                           float rotation, const GxVector2& pivot, const GxVector2& uvOffset, std::uint32_t color0,
                           std::uint32_t color1, std::int32_t preset) override;
};

GxAvgTransitGraphics& GetAvgTransitGraphics();
void InstallAvgTransitGraphics();
// Takes it out again when it is the one installed.
void ReleaseAvgTransitGraphics();
