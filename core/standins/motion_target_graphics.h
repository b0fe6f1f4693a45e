// Stand-in for the game module's layer graphics: motion projects draw into the second global
// render texture with the global depth-stencil (both made by the game start-up), which is then
// put over the screen. The game start-up installs the one object and the game reset takes it
// out. The rest of the drawing (the error-image label among it) is the built-in base's.
#pragma once

#include "core/layer_graphics.h"

class GxStandinLayerGraphics : public GxLayerGraphicsBase {
public:
    GxStandinLayerGraphics();
    ~GxStandinLayerGraphics() override;

    // Pushes the render texture with the depth-stencil and clears the target to transparent
    // black; false, with nothing pushed, while the game's render targets do not exist.
    bool BeginMotionTarget() override;
    void EndMotionTarget() override;
    // The part of the render texture that the virtual screen covers, over (0, 0) to (1024, 768).
    void DrawMotionTarget(std::uint32_t color0, std::uint32_t color1, std::int32_t preset) override;

    // Pops the target if a draw left it pushed.
    void ReleaseTargets();

private:
    bool m_Pushed = false;
};

// Installs the process's one object as the layer graphics (again is harmless).
void InstallStandinLayerGraphics();
// Takes it out again, when it is the one installed, and frees its targets.
void ReleaseStandinLayerGraphics();
