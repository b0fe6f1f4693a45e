#include "core/standins/motion_target_graphics.h"

#include "foundation/log.h"
#include "graphics/draw2d.h"
#include "graphics/graphics.h"
#include "graphics/surface.h"
#include "graphics/texture.h"

namespace {

constexpr std::uint32_t kTargetWidth = 1024;
constexpr std::uint32_t kTargetHeight = 768;

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
    IDirect3DDevice9* device = GxGraphics::GetDevice();
    if (device == nullptr)
        return false;
    if (!m_pTarget) {
        auto target = std::make_unique<GxTexture>();
        auto depth = std::make_unique<GxSurface>();
        if (!target->CreateRenderTarget(u"$MotionTarget", kTargetWidth, kTargetHeight, D3DFMT_A8R8G8B8) ||
            !depth->CreateDepthStencil(u"$MotionDepth", kTargetWidth, kTargetHeight, D3DFMT_UNKNOWN,
                                       D3DMULTISAMPLE_NONE, 0)) {
            LogPrint(u"GxStandinLayerGraphics/motion render target not made\n");
            return false;
        }
        m_pTarget = std::move(target);
        m_pDepth = std::move(depth);
    }
    if (!GxGraphics::PushRenderTarget(0, m_pTarget.get(), m_pDepth.get(), nullptr))
        return false;
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
    if (!m_pTarget)
        return;
    const float width = static_cast<float>(kTargetWidth);
    const float height = static_cast<float>(kTargetHeight);
    const GxVector2 corners[4] = {{0.0f, 0.0f}, {0.0f, height}, {width, height}, {width, 0.0f}};
    const GxFRect uv{0.0f, 0.0f, m_pTarget->GetU(width), m_pTarget->GetV(height)};
    const D3DCOLOR diffuse[4] = {color0, color0, color0, color0};
    const D3DCOLOR specular[4] = {color1, color1, color1, color1};
    DrawQuad2D(m_pTarget.get(), corners, uv, diffuse, specular, preset);
}

void GxStandinLayerGraphics::ReleaseTargets()
{
    EndMotionTarget();
    m_pTarget.reset();
    m_pDepth.reset();
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
