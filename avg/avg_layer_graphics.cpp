#include "avg/avg_layer_graphics.h"

#include "avg/global_render_target.h"
#include "graphics/draw2d.h"
#include "graphics/graphics.h"
#include "graphics/surface.h"
#include "graphics/texture.h"

namespace {

constexpr std::int32_t kMotionTargetIndex = 1;   // texture 0 holds the screen captures

}  // namespace

bool GxAvgLayerGraphics::BeginMotionTarget()
{
    GxTexture* target = GetGlobalRenderTexture(kMotionTargetIndex);
    if (GxGraphics::GetDevice() == nullptr || target == nullptr || !target->HasTexture())
        return false;
    if (!GxGraphics::PushRenderTarget(0, target, GetGlobalDepthStencil(), nullptr)) {
        GxGraphics::PopRenderTarget(0);   // the entry stays pushed when binding fails
        return false;
    }
    m_Pushed = true;
    ClearTarget(D3DCLEAR_TARGET, 0x00000000, 1.0f, 0, nullptr);
    return true;
}

void GxAvgLayerGraphics::EndMotionTarget()
{
    if (m_Pushed)
        GxGraphics::PopRenderTarget(0);
    m_Pushed = false;
}

void GxAvgLayerGraphics::DrawMotionTarget(std::uint32_t color0, std::uint32_t color1, std::int32_t preset)
{
    GxTexture* target = GetGlobalRenderTexture(kMotionTargetIndex);
    if (target == nullptr || !target->HasTexture())
        return;
    const GxDisplaySettings& settings = GxGraphics::GetDisplaySettings();
    const float width = static_cast<float>(settings.VirtualWidth);
    const float height = static_cast<float>(settings.VirtualHeight);
    const GxVector2 corners[4] = {{0.0f, 0.0f}, {0.0f, height}, {width, height}, {width, 0.0f}};
    const GxFRect uv{0.0f, 0.0f, target->GetU(width), target->GetV(height)};
    const D3DCOLOR diffuse[4] = {color0, color0, color0, color0};
    const D3DCOLOR specular[4] = {color1, color1, color1, color1};
    DrawQuad2D(target, corners, uv, diffuse, specular, preset);
}

GxAvgLayerGraphics& GetAvgLayerGraphics()
{
    static GxAvgLayerGraphics graphics;
    return graphics;
}

void InstallAvgLayerGraphics()
{
    SetLayerGraphics(&GetAvgLayerGraphics());
}

void ReleaseAvgLayerGraphics()
{
    if (GetLayerGraphics() == &GetAvgLayerGraphics())
        SetLayerGraphics(nullptr);
    GetAvgLayerGraphics().EndMotionTarget();
}
