// The global render target: what the game start-up makes for screen captures, rule transitions,
// motion projects and save thumbnails, and the game reset releases. Two system-memory surfaces
// and two render-target textures of the virtual screen size (both textures named
// "GlobalRenderTexture0"; the first receives every capture, the second the motion projects), the
// depth stencil "GlobalDepthStencil", the rule surface, the thumbnail buffer and the capture
// flag. Device resources: they survive a device loss like every other. Window thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class GxSurface;
class GxTexture;

constexpr std::int32_t kGlobalRenderTextureCount = 2;
constexpr std::int32_t kGlobalSystemSurfaceCount = 2;

void CreateGlobalRenderTarget();
void ReleaseGlobalRenderTarget();

// Null for an index outside 0 to 1; empty objects outside start-up .. reset.
GxTexture* GetGlobalRenderTexture(std::int32_t index);
GxSurface* GetGlobalSystemSurface(std::int32_t index);
GxSurface* GetGlobalDepthStencil();
// One ARGB value per thumbnail pixel, an eighth of the screen each way; empty when released.
std::vector<std::uint8_t>& GetThumbnailBuffer();
bool IsGlobalCaptureActive();
void SetGlobalCaptureActive(bool active);

// The rule image of a background transition: the named file as it is (no folder, no extension
// added) in 32-bit colour with alpha; an empty name, or a file that cannot be read, gives a
// blank surface of the virtual screen size. Always the one rule surface.
GxSurface* GetRuleSurface(const std::u16string& name);
