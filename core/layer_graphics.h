// GxLayerGraphicsBase: what layer contents and layers ask of the graphics layer: new texture
// objects and the 2D drawing of one content. The base makes real texture objects, draws through
// the graphics layer's 2D routines and labels a missing picture with the default system glyph
// cache; only the motion-project render target does nothing until motion projects exist. Tests
// install a recording one (whose textures may be subclasses that pretend to load).
#pragma once

#include "foundation/value_types.h"

#include <cstdint>
#include <string>

class GxTexture;
class GxTextureBase;
class GxTextureFlex;
class GxTextureMovie;

class GxLayerGraphicsBase {
public:
    virtual ~GxLayerGraphicsBase() = default;

    // Empty objects; the caller owns them and fills them with their own creation operations.
    virtual GxTexture* NewTexture();
    virtual GxTextureFlex* NewTextureFlex();
    virtual GxTextureMovie* NewTextureMovie();

    // The default 2D render states, and the nested scene bracket around one content.
    virtual void ResetRenderStates();
    virtual bool BeginSceneNested();
    virtual bool EndSceneNested();

    // A flex texture tile by tile at (x, y), scaled and rotated (radians, applied Z, X, Y) about
    // the pivot (fractions of the image).
    virtual void DrawTexture2D(GxTextureFlex* texture, float x, float y, const GxVector2& scale,
                               const GxVector3& rotation, const GxVector2& pivot, std::uint32_t color0,
                               std::uint32_t color1, std::int32_t preset);
    // A part of a texture or movie texture (source in pixels: left, top, right, bottom) at (x, y).
    virtual void DrawTextureRect2D(GxTextureBase* texture, float x, float y, const GxFRect& source,
                                   const GxVector2& scale, const GxVector3& rotation, const GxVector2& pivot,
                                   std::uint32_t color0, std::uint32_t color1, std::int32_t preset);
    // An untextured quad in one colour (the second colour for the second vertex colours).
    virtual void DrawSolidRect(const GxFRect& rect, std::uint32_t color0, std::uint32_t color1, std::int32_t preset);

    // Motion projects draw into the second global render texture first: push it (with the global
    // depth-stencil) and clear it to transparent black; false when it cannot be used, and then
    // nothing is drawn. EndMotionTarget pops it; DrawMotionTarget puts the part of it that the
    // virtual screen covers over the whole screen.
    virtual bool BeginMotionTarget() { return false; }
    virtual void EndMotionTarget() {}
    virtual void DrawMotionTarget(std::uint32_t /*color0*/, std::uint32_t /*color1*/, std::int32_t /*preset*/) {}

    // One line of text with the engine's default GDI glyph cache, its top left at (x, y).
    virtual void DrawLabel(const std::u16string& text, float x, float y, std::uint32_t color, std::int32_t preset);
};

// Not owned; null restores the built-in base. Returns the previous one (null for the base).
GxLayerGraphicsBase* SetLayerGraphics(GxLayerGraphicsBase* graphics);
// Never null.
GxLayerGraphicsBase* GetLayerGraphics();
