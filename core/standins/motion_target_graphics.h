// Stand-in for the game start-up's layer graphics until the global render targets exist: motion
// projects draw into a render texture of the virtual screen with a depth-stencil of its own,
// which is then put over the screen. The game start-up installs the one object and the game
// reset takes it out and frees its device resources. Other stand-in drawing of the start-up
// (the error-image label) belongs in this same object.
#pragma once

#include "core/layer_graphics.h"

#include <memory>

class GxSurface;

class GxStandinLayerGraphics : public GxLayerGraphicsBase {
public:
    GxStandinLayerGraphics();
    ~GxStandinLayerGraphics() override;

    // Pushes the render texture with the depth-stencil (made on first use) and clears the
    // target to transparent black; false, with nothing pushed, when they cannot be made.
    bool BeginMotionTarget() override;
    void EndMotionTarget() override;
    // The part of the render texture that the virtual screen covers, over (0, 0) to (1024, 768).
    void DrawMotionTarget(std::uint32_t color0, std::uint32_t color1, std::int32_t preset) override;

    // Frees the render texture and the depth-stencil.
    void ReleaseTargets();

private:
    std::unique_ptr<GxTexture> m_pTarget;
    std::unique_ptr<GxSurface> m_pDepth;
    bool m_Pushed = false;
};

// Installs the process's one object as the layer graphics (again is harmless).
void InstallStandinLayerGraphics();
// Takes it out again, when it is the one installed, and frees its targets.
void ReleaseStandinLayerGraphics();
