#include "avg/avg_transit_graphics.h"

#include "avg/global_render_target.h"
#include "core/core.h"
#include "core/task_manage.h"
#include "foundation/log.h"
#include "graphics/draw2d.h"
#include "graphics/graphics.h"
#include "graphics/surface.h"
#include "graphics/texture.h"

namespace {

constexpr std::int32_t kCaptureSet = 1;

}  // namespace

bool GxAvgTransitGraphics::CaptureScreenToTexture(GxCore* core)
{
    GxTexture* target = GetGlobalRenderTexture(0);
    if (core == nullptr || core->m_TaskManage == nullptr || !target->HasTexture()) {
        LogPrint(u"CaptureScreenToTexture/no render texture to capture into\n");
        return false;
    }
    SetGlobalCaptureActive(true);
    core->m_RenderSet = kCaptureSet;
    core->ClearRenderLists();
    core->m_TaskManage->RenderAll(0, 0);
    const GxDisplaySettings& settings = GxGraphics::GetDisplaySettings();
    const GxRect viewport{0, 0, static_cast<std::int32_t>(settings.VirtualWidth),
                          static_cast<std::int32_t>(settings.VirtualHeight)};
    // The entry stays pushed even when binding fails, so the pop below always balances it.
    GxGraphics::PushRenderTarget(0, target, GetGlobalDepthStencil(), &viewport);
    core->DrawRenderLists();
    core->ClearRenderLists();
    core->m_RenderSet = 0;
    const bool restored = GxGraphics::PopRenderTarget(0);
    SetGlobalCaptureActive(false);
    return restored;
}

GxTexture* GxAvgTransitGraphics::GetCaptureTexture()
{
    GxTexture* texture = GetGlobalRenderTexture(0);
    return texture != nullptr && texture->HasTexture() ? texture : nullptr;
}

bool GxAvgTransitGraphics::BeginSceneNested()
{
    return ::BeginSceneNested();
}

bool GxAvgTransitGraphics::EndSceneNested()
{
    return ::EndSceneNested();
}

void GxAvgTransitGraphics::ResetRenderStates()
{
    GxGraphics::ResetRenderStates();
}

void GxAvgTransitGraphics::DrawTextureRect2D(GxTexture* texture, float x, float y, const GxFRect& source,
                                             const GxVector2& scale, float rotation, const GxVector2& pivot,
                                             const GxVector2& uvOffset, std::uint32_t color0, std::uint32_t color1,
                                             std::int32_t preset)
{
    ::DrawTextureRect2D(texture, x, y, source, scale, GxVector3(0.0f, 0.0f, rotation), pivot, uvOffset, color0,
                        color1, preset);
}

GxAvgTransitGraphics& GetAvgTransitGraphics()
{
    static GxAvgTransitGraphics graphics;
    return graphics;
}

void InstallAvgTransitGraphics()
{
    SetTransitGraphics(&GetAvgTransitGraphics());
}

void ReleaseAvgTransitGraphics()
{
    if (GetTransitGraphics() == &GetAvgTransitGraphics())
        SetTransitGraphics(nullptr);
}
