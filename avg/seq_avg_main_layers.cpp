// SeqAvgMain: the layer resets, the background transition by a rule image, the captures into the
// global render target and the save thumbnail.
#include "avg/seq_avg_main.h"

#include "avg/avg_transit_graphics.h"
#include "avg/global_render_target.h"
#include "avg/snapshot_pixels.h"
#include "avg/task_tree_walks.h"
#include "core/core.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "data/data_tables.h"
#include "data/db_avgchar.h"
#include "foundation/log.h"
#include "graphics/graphics.h"
#include "graphics/surface.h"
#include "graphics/texture.h"
#include "media/movie_slots.h"
#include "ui/message_window.h"
#include "ui/ui_manage.h"

#include <cstring>
#include <vector>

namespace {

// A texture's level 0 locked for the scope; Ok() tells whether the lock took.
class ScopedTextureLock {
public:
    ScopedTextureLock(GxTexture* texture, bool readOnly) : m_Texture(texture)
    {
        void* bits = nullptr;
        std::int32_t pitch = 0;
        if (m_Texture == nullptr || !m_Texture->HasTexture() ||
            !m_Texture->LockRect(nullptr, &bits, &pitch, &m_Width, &m_Height, nullptr, readOnly)) {
            m_Texture = nullptr;
            return;
        }
        m_Bits = static_cast<std::uint8_t*>(bits);
        m_Pitch = pitch;
    }
    ~ScopedTextureLock()
    {
        if (m_Texture != nullptr)
            m_Texture->UnlockRect();
    }
    ScopedTextureLock(const ScopedTextureLock&) = delete;
    ScopedTextureLock& operator=(const ScopedTextureLock&) = delete;

    bool Ok() const { return m_Texture != nullptr && m_Bits != nullptr; }
    GxConstPixels Const() const { return {m_Bits, m_Pitch, m_Width, m_Height}; }
    GxPixels Mutable() const { return {m_Bits, m_Pitch, m_Width, m_Height}; }

private:
    GxTexture* m_Texture = nullptr;
    std::uint8_t* m_Bits = nullptr;
    std::ptrdiff_t m_Pitch = 0;
    std::uint32_t m_Width = 0;
    std::uint32_t m_Height = 0;
};

// A surface locked read-only for the scope.
class ScopedSurfaceLock {
public:
    explicit ScopedSurfaceLock(GxSurface* surface)
        : m_Surface(surface != nullptr ? surface->GetSurfacePointer() : nullptr)
    {
        D3DSURFACE_DESC desc{};
        D3DLOCKED_RECT locked{};
        if (m_Surface == nullptr || FAILED(m_Surface->GetDesc(&desc)) ||
            FAILED(m_Surface->LockRect(&locked, nullptr, D3DLOCK_READONLY)) || locked.pBits == nullptr) {
            m_Surface = nullptr;
            return;
        }
        m_Pixels = {static_cast<const std::uint8_t*>(locked.pBits), locked.Pitch, desc.Width, desc.Height};
    }
    ~ScopedSurfaceLock()
    {
        if (m_Surface != nullptr)
            m_Surface->UnlockRect();
    }
    ScopedSurfaceLock(const ScopedSurfaceLock&) = delete;
    ScopedSurfaceLock& operator=(const ScopedSurfaceLock&) = delete;

    bool Ok() const { return m_Surface != nullptr; }
    const GxConstPixels& Pixels() const { return m_Pixels; }

private:
    IDirect3DSurface9* m_Surface = nullptr;
    GxConstPixels m_Pixels;
};

void ResetFixedLayer(GxTaskLayer* layer, float orderZ, bool visible)
{
    if (layer == nullptr)
        return;
    layer->ClearActions();
    layer->m_VisualParam.Reset();
    layer->ResetLayer();
    layer->SetOrderZ(orderZ);
    if (visible)
        layer->Show();
    else
        layer->Hide();
}

}  // namespace

// ---- clearing ----------------------------------------------------------------------------------

void SeqAvgMain::ClearAllLayers(bool endAuto, bool endSkip)
{
    MovieSlotStopAll();
    if (GxTaskLayer* visual = FindLayer(u"$VISUAL:SeqAvgMain")) {
        visual->StopShake();
        visual->ClearActions();
        visual->m_VisualParam.Reset();
    }
    ResetFixedLayer(FindLayer(u"$BGLAYER:SeqAvgMain"), kBgOrderZ, true);
    ResetFixedLayer(FindLayer(u"$BGWLAYER:SeqAvgMain"), kBgwOrderZ, false);
    ResetFixedLayer(FindLayer(u"$MOVIELAYER:SeqAvgMain"), kMovieOrderZ, true);
    const struct {
        const char16_t* name;
        float orderZ;
    } overlays[] = {{u"$GLOBALFLASH:SeqAvgMain", kFlashOrderZ}, {u"$GLOBALFADE:SeqAvgMain", kFadeOrderZ}};
    for (const auto& overlay : overlays) {
        if (GxTaskLayer* layer = FindLayer(overlay.name)) {
            layer->ClearActions();
            layer->SetOrderZ(overlay.orderZ);
            layer->SetAlpha(0);
            layer->Show();
        }
    }
    EndBgTransition();

    if (GxTaskFolder* stand = GetStandFolder()) {
        DBAvgChar& characters = GetDBAvgChar();
        for (std::int32_t id = 0; id < characters.GetMaxRows(); ++id) {
            const DBAvgCharRow* row = characters.GetRow(id);
            if (row == nullptr || row->m_CharName.empty() || row->m_CharName == u"*")
                continue;
            if (auto* layer = dynamic_cast<GxTaskLayer*>(stand->FindTaskLocal(row->m_CharName, 0))) {
                layer->ResetLayer();
                layer->ClearActions();
                layer->m_VisualParam.Reset();
            }
        }
    }
    HideStandFirstSubLayers();

    if (GxUIManage* ui = GetUI()) {
        if (endAuto && ui->m_AutoMode)
            ui->EndAutoMode(m_MessageWindow);
        if (endSkip && ui->m_SkipMode)
            ui->EndSkipMode(m_MessageWindow);
    }
    if (m_MessageWindow != nullptr)
        m_MessageWindow->ClearText();
}

void SeqAvgMain::SetStandFirstSubLayersVisible(bool visible)
{
    GxTaskFolder* stand = GetStandFolder();
    if (stand == nullptr)
        return;
    for (GxTaskBase* child = stand->m_FirstChild; child != nullptr; child = child->m_NextSibling) {
        auto* layer = (child->m_KindFlags & kKindLayer) != 0 ? dynamic_cast<GxTaskLayer*>(child) : nullptr;
        if (layer == nullptr || layer->GetContent(0).GetSubLayerCount() < 1)
            continue;
        if (visible)
            layer->ShowSubLayer(0);
        else
            layer->HideSubLayer(0);
    }
}

void SeqAvgMain::ShowStandFirstSubLayers()
{
    SetStandFirstSubLayersVisible(true);
}

void SeqAvgMain::HideStandFirstSubLayers()
{
    SetStandFirstSubLayersVisible(false);
}

void SeqAvgMain::ShowBgwLayer()
{
    if (GxTaskLayer* layer = FindLayer(u"$BGWLAYER:SeqAvgMain"))
        layer->Show();
}

void SeqAvgMain::HideBgwLayer()
{
    if (GxTaskLayer* layer = FindLayer(u"$BGWLAYER:SeqAvgMain"))
        layer->Hide();
}

// ---- background transition ---------------------------------------------------------------------

bool SeqAvgMain::StartBgTransition(const std::u16string& rule, std::int32_t ms, bool resetStands,
                                   const std::u16string& newBackground)
{
    m_RuleSurface = GetRuleSurface(rule);
    m_BgTransit.m_Transit = true;
    m_BgTransit.m_TransitTimeLeft = ms;
    m_BgTransit.m_TransitTimeTotal = ms;
    m_RuleFailureLogged = false;
    if (resetStands) {
        if (GxTaskFolder* stand = GetStandFolder())
            ResetLayersOfType(stand->m_FirstChild, 0);
    }
    if (GxTaskLayer* transit = FindLayer(u"$BGTRANSIT:SeqAvgMain"))
        transit->Show();
    if (GxTaskLayer* background = FindLayer(u"$BGLAYER:SeqAvgMain"))
        background->LoadFlexImage(newBackground, 0);
    return true;
}

bool SeqAvgMain::EndBgTransition()
{
    if (!m_BgTransit.m_Transit)
        return false;
    m_BgTransit.m_Transit = false;
    m_BgTransit.m_TransitTimeLeft = 0;
    if (GxTaskLayer* transit = FindLayer(u"$BGTRANSIT:SeqAvgMain"))
        transit->Hide();
    return true;
}

void SeqAvgMain::ApplyRuleTransition(GxTexture* target, float rate)
{
    const GxDisplaySettings& display = GxGraphics::GetDisplaySettings();
    ScopedTextureLock captured(GetGlobalRenderTexture(0), true);
    ScopedSurfaceLock ruleLock(m_RuleSurface);
    ScopedTextureLock written(target, false);
    if (!captured.Ok() || !ruleLock.Ok() || !written.Ok()) {
        if (!m_RuleFailureLogged)
            LogPrint(u"SeqAvgMain::ApplyRuleTransition/no captured screen, rule or transition texture to use\n");
        m_RuleFailureLogged = true;
        return;
    }
    ApplyRuleTransitionPixels(captured.Const(), ruleLock.Pixels(), written.Mutable(), display.VirtualWidth,
                              display.VirtualHeight, rate);
}

// ---- captures ----------------------------------------------------------------------------------

bool SeqAvgMain::CaptureScreenToTexture(GxCore* core)
{
    return GetAvgTransitGraphics().CaptureScreenToTexture(core);
}

bool SeqAvgMain::CaptureSnapshot()
{
    CaptureScreenToTexture(GetCore());
    GxTexture* texture = GetGlobalRenderTexture(0);
    if (texture == nullptr || !texture->HasTexture() || !texture->TransferRenderTargetToMemory())
        LogPrint(u"SeqAvgMain::CaptureSnapshot/no render texture to copy\n");
    return true;
}

void SeqAvgMain::CaptureThumbnail()
{
    ShowBgwLayer();
    ShowStandFirstSubLayers();
    CaptureSnapshot();
    HideBgwLayer();
    HideStandFirstSubLayers();
    BuildThumbnail();
}

bool SeqAvgMain::BuildThumbnail()
{
    const GxDisplaySettings& display = GxGraphics::GetDisplaySettings();
    std::vector<std::uint8_t>& buffer = GetThumbnailBuffer();
    ScopedTextureLock captured(GetGlobalRenderTexture(0), true);
    std::vector<std::uint32_t> values(buffer.size() / sizeof(std::uint32_t));
    if (!captured.Ok() ||
        !BuildThumbnailPixels(captured.Const(), display.VirtualWidth, display.VirtualHeight, values.data(),
                              values.size())) {
        LogPrint(u"SeqAvgMain::BuildThumbnail/no captured screen or thumbnail buffer\n");
        return false;
    }
    std::memcpy(buffer.data(), values.data(), values.size() * sizeof(std::uint32_t));
    return true;
}
