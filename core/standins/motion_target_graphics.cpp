#include "core/standins/motion_target_graphics.h"

#include "core/standins/avg_standin.h"

#include "foundation/log.h"
#include "graphics/draw2d.h"
#include "graphics/graphics.h"
#include "graphics/surface.h"
#include "graphics/texture.h"

namespace {

constexpr std::uint32_t kTargetWidth = 1024;
constexpr std::uint32_t kTargetHeight = 768;
constexpr std::int32_t kMotionTargetIndex = 1;   // texture 0 holds the screen-change snapshot

GxStandinLayerGraphics& Instance()
{
    static GxStandinLayerGraphics graphics;
    return graphics;
}

}  // namespace

GxStandinLayerGraphics::GxStandinLayerGraphics() = default;

GxStandinLayerGraphics::~GxStandinLayerGraphics() = default;

bool GxStandinLayerGraphics::BeginMotionTarget()
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

void GxStandinLayerGraphics::EndMotionTarget()
{
    if (m_Pushed)
        GxGraphics::PopRenderTarget(0);
    m_Pushed = false;
}

void GxStandinLayerGraphics::DrawMotionTarget(std::uint32_t color0, std::uint32_t color1, std::int32_t preset)
{
    GxTexture* target = GetGlobalRenderTexture(kMotionTargetIndex);
    if (target == nullptr || !target->HasTexture())
        return;
    const float width = static_cast<float>(kTargetWidth);
    const float height = static_cast<float>(kTargetHeight);
    const GxVector2 corners[4] = {{0.0f, 0.0f}, {0.0f, height}, {width, height}, {width, 0.0f}};
    const GxFRect uv{0.0f, 0.0f, target->GetU(width), target->GetV(height)};
    const D3DCOLOR diffuse[4] = {color0, color0, color0, color0};
    const D3DCOLOR specular[4] = {color1, color1, color1, color1};
    DrawQuad2D(target, corners, uv, diffuse, specular, preset);
}

void GxStandinLayerGraphics::ReleaseTargets()
{
    EndMotionTarget();
}

void InstallStandinLayerGraphics()
{
    SetLayerGraphics(&Instance());
}

void ReleaseStandinLayerGraphics()
{
    if (GetLayerGraphics() == &Instance())
        SetLayerGraphics(nullptr);
    Instance().ReleaseTargets();
}
