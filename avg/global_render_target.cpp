#include "avg/global_render_target.h"

#include "graphics/graphics.h"
#include "graphics/surface.h"
#include "graphics/texture.h"

namespace {

constexpr std::uint32_t kThumbnailScale = 8;
constexpr std::uint32_t kThumbnailBytesPerPixel = 4;

struct GlobalRenderTarget {
    GxSurface systemSurfaces[kGlobalSystemSurfaceCount];
    // Separate objects on purpose: the two share one name.
    GxTexture textures[kGlobalRenderTextureCount];
    GxSurface depthStencil;
    GxSurface ruleSurface;
    std::vector<std::uint8_t> thumbnail;
    bool capturing = false;
};

GlobalRenderTarget& Target()
{
    static GlobalRenderTarget target;
    return target;
}

void MakeBlankRuleSurface(GxSurface& surface)
{
    const GxDisplaySettings& settings = GxGraphics::GetDisplaySettings();
    surface.CreateScratch(u"", settings.VirtualWidth, settings.VirtualHeight, D3DFMT_A8R8G8B8);
}

}  // namespace

void CreateGlobalRenderTarget()
{
    const GxDisplaySettings& settings = GxGraphics::GetDisplaySettings();
    const std::uint32_t width = settings.VirtualWidth;
    const std::uint32_t height = settings.VirtualHeight;
    GlobalRenderTarget& target = Target();
    for (GxSurface& surface : target.systemSurfaces)
        surface.CreateSystemMemory(u"", width, height, D3DFMT_X8R8G8B8);
    for (GxTexture& texture : target.textures)
        texture.CreateRenderTarget(u"GlobalRenderTexture0", width, height, D3DFMT_A8R8G8B8);
    target.depthStencil.CreateDepthStencil(u"GlobalDepthStencil", target.textures[0].GetWidth(),
                                           target.textures[0].GetHeight(), GxGraphics::GetDepthStencilFormat(),
                                           D3DMULTISAMPLE_NONE, 0);
    target.thumbnail.assign(static_cast<std::size_t>(width / kThumbnailScale) * (height / kThumbnailScale) *
                                kThumbnailBytesPerPixel,
                            0);
    target.capturing = false;
}

void ReleaseGlobalRenderTarget()
{
    GlobalRenderTarget& target = Target();
    for (GxSurface& surface : target.systemSurfaces)
        surface.ReleaseAll();
    for (GxTexture& texture : target.textures)
        texture.ReleaseAll();
    target.depthStencil.ReleaseAll();
    target.ruleSurface.ReleaseAll();
    target.capturing = false;
    target.thumbnail.clear();
    target.thumbnail.shrink_to_fit();
}

GxTexture* GetGlobalRenderTexture(std::int32_t index)
{
    if (index < 0 || index >= kGlobalRenderTextureCount)
        return nullptr;
    return &Target().textures[index];
}

GxSurface* GetGlobalSystemSurface(std::int32_t index)
{
    if (index < 0 || index >= kGlobalSystemSurfaceCount)
        return nullptr;
    return &Target().systemSurfaces[index];
}

GxSurface* GetGlobalDepthStencil()
{
    return &Target().depthStencil;
}

std::vector<std::uint8_t>& GetThumbnailBuffer()
{
    return Target().thumbnail;
}

bool IsGlobalCaptureActive()
{
    return Target().capturing;
}

void SetGlobalCaptureActive(bool active)
{
    Target().capturing = active;
}

GxSurface* GetRuleSurface(const std::u16string& name)
{
    GxSurface& surface = Target().ruleSurface;
    if (name.empty()) {
        MakeBlankRuleSurface(surface);
        return &surface;
    }
    // An undecodable rule image would leave no surface for the transition to lock: the loader has
    // logged it, and the transition becomes a plain cross-fade over a blank rule.
    if (!surface.CreateFromFile(name, D3DFMT_A8R8G8B8, 0))
        MakeBlankRuleSurface(surface);
    return &surface;
}
