// The adventure module's layer graphics: motion projects draw into the second global render
// texture with the global depth stencil, which is then put over the screen. The rest of the
// drawing (the error-image label among it) is the core's built-in one. The game start-up
// installs the one object and the game reset takes it out before the textures go.
#pragma once

#include "core/layer_graphics.h"

class GxAvgLayerGraphics : public GxLayerGraphicsBase {
public:
    // Pushes the render texture with the depth stencil and clears it to transparent black; false,
    // with nothing pushed, while the global render target does not exist.
    bool BeginMotionTarget() override;
    void EndMotionTarget() override;
    // The part of the render texture that the virtual screen covers, over the whole screen.
    void DrawMotionTarget(std::uint32_t color0, std::uint32_t color1, std::int32_t preset) override;

private:
    bool m_Pushed = false;
};

// Installs the process's one object as the layer graphics (again is harmless).
void InstallAvgLayerGraphics();
// Takes it out again, when it is the one installed, popping a target a draw left pushed.
void ReleaseAvgLayerGraphics();
GxAvgLayerGraphics& GetAvgLayerGraphics();
