// The services the core and the layers call, as the running engine installs them (no test
// double anywhere): which interface has a real implementation after start-up, a screen change
// that fades the captured old screen over the new one, and a layer that labels a missing
// picture. Every picture is read back from the engine's own device.
//
// Installed by the engine itself after start-up:
//   - transition graphics (GxTransitGraphicsBase): the adventure module's GxAvgTransitGraphics,
//     capturing into "GlobalRenderTexture0" with "GlobalDepthStencil";
//   - layer graphics (GxLayerGraphicsBase): the adventure module's GxAvgLayerGraphics (motion
//     projects through the second render texture), with the error-image label drawn by the
//     default system glyph cache;
//   - the device's two hooks into the core: the loader pool waited out before a reset and the
//     fatal-error handler; its default drawing state and factories need no hook;
//   - the six system glyph caches at the configured sizes; the configured error picture.
// Installed by the process entry's wiring (InstallEngineServices), which the first test runs:
//   - motion projects and image sets (GxMotionServicesBase): motion/'s GxMotionServices;
//   - the data tables and the configuration (GxDataServicesBase): data/'s GxDataServices;
//   - the sound devices and the movie start-up, poll and shut-down (GxMediaServicesBase): media/'s
//     GxMediaServices;
//   - the movie slots the layers reach (GxMovieServicesBase): media/'s GxMovieServices (a layer
//     plays a movie in movie_run_test.cpp);
//   - the widgets and the UI state (GxWidgetServicesBase): ui/'s GxUIServices (tests/ui runs the
//     engine with them, ui_engine_run_test.cpp);
//   - the game's start-up, reset and picture look-up (GxGameServicesBase): avg/'s
//     GxAvgGameServices;
//   - what a loaded game stops (GxPlayStateServicesBase): avg/'s GxAvgPlayStateServices.
#include "tests/support/engine_run_fixture.h"

#include "core/layer_graphics.h"
#include "core/seq_transit_base.h"
#include "core/shared_asset_manage.h"
#include "avg/avg_game_services.h"
#include "avg/avg_play_state_services.h"
#include "avg/avg_layer_graphics.h"
#include "avg/avg_transit_graphics.h"
#include "avg/global_render_target.h"
#include "core/task_layer.h"
#include "core/transit_graphics.h"
#include "graphics/gdi_font_map.h"
#include "graphics/surface.h"
#include "graphics/system_fonts.h"
#include "graphics/texture.h"
#include "tests/support/image_fixtures.h"

#include <cmath>
#include <typeinfo>

namespace engine_test {
namespace {

constexpr char kServicesSysConf[] = "APP_TITLE=Services Game\nAPP_SAVEDIR=SERVICES_SAVE\nSAVE_TO_MYDOCUMENTS=0\n"
                            "FONTSIZE_0=12\n";

// A transition screen that clears to its own colour and notes the fade rate of every fade it
// draws.
class ColourScreen : public GxSeqTransitBase {
public:
    ColourScreen(GxTaskBase* owner, const char16_t* name, D3DCOLOR colour)
        : GxSeqTransitBase(owner, name), m_Colour(colour)
    {
    }
    int Draw(std::int32_t value, std::int32_t listIndex) override
    {
        if (value == 0) {
            ClearTarget(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL, m_Colour, 1.0f, 0, nullptr);
            return 0;
        }
        if (value == kTransitDrawValue && IsInTransit())
            m_LastFadeRate = m_TransitParam.GetRate();
        return GxSeqTransitBase::Draw(value, listIndex);
    }

    D3DCOLOR m_Colour;
    float m_LastFadeRate = -1.0f;
};

int Channel(std::uint32_t argb, int shift)
{
    return static_cast<int>((argb >> shift) & 0xFF);
}

TEST_F(EngineRunTest, AfterStartUpEveryServiceTheCoreAndTheLayersCallIsTheEnginesOwn)
{
    MakeGameFolder(m_Game, GameFolder{kServicesSysConf, std::nullopt});
    UseEngineServices();
    GxCore* core = GxCore::GetInstance();
    bool checked = false;
    m_Module.m_OnCreateSequences = [&](GxTaskBase*) {
        auto* probe = new ProbeTask(core->m_TaskManage->FindTask(u"SeqSystem"), u"probe", "probe", nullptr);
        probe->m_OnUpdate = [&, core](std::int32_t) {
            if (checked || !core->m_Initialized)
                return;
            checked = true;
            ASSERT_NE(GetMotionServices(), nullptr);
            EXPECT_EQ(typeid(*GetMotionServices()), typeid(GxMotionServices));
            ASSERT_NE(GetDataServices(), nullptr);
            EXPECT_EQ(typeid(*GetDataServices()), typeid(GxDataServices));
            // The script engine exists from the start-up on, its binder handed to the modules.
            EXPECT_NE(GetScriptInstance(), nullptr);
            ASSERT_NE(GetGameServices(), nullptr);
            EXPECT_EQ(typeid(*GetGameServices()), typeid(GxAvgGameServices));
            EXPECT_EQ(typeid(GetPlayStateServices()), typeid(GxAvgPlayStateServices));
            EXPECT_EQ(GetTransitGraphics(), &GetAvgTransitGraphics());
            EXPECT_NE(GetAvgTransitGraphics().GetCaptureTexture(), nullptr);
            EXPECT_EQ(GetAvgTransitGraphics().GetCaptureTexture(), GetGlobalRenderTexture(0));
            for (std::int32_t n : {0, 1}) {
                GxTexture* texture = GetGlobalRenderTexture(n);
                ASSERT_NE(texture, nullptr);
                EXPECT_TRUE(texture->HasTexture()) << n;
                EXPECT_EQ(texture->GetFormat(), D3DFMT_A8R8G8B8) << n;
                EXPECT_GE(texture->GetWidth(), 1024u) << n;
                EXPECT_GE(texture->GetHeight(), 768u) << n;
            }
            EXPECT_NE(GetGlobalDepthStencil()->GetSurfacePointer(), nullptr);

            GxLayerGraphicsBase* layerGraphics = GetLayerGraphics();
            // The game's own: motion projects through global render texture 1, the rest (the
            // error-image label among it) the built-in drawing.
            EXPECT_EQ(typeid(*layerGraphics), typeid(GxAvgLayerGraphics));

            IDirect3DDevice9* device = GxGraphics::GetDevice();
            ASSERT_NE(device, nullptr);
            DWORD cull = 0;
            device->GetRenderState(D3DRS_CULLMODE, &cull);
            EXPECT_EQ(cull, static_cast<DWORD>(D3DCULL_NONE));   // the default drawing state is set
            EXPECT_NE(GxGraphics::GetFatalErrorHandler(), nullptr);
            EXPECT_EQ(GxGraphics::GetResetJobPool(), &core->m_SharedAssets->GetJobManage());

            const std::int32_t sizes[kSystemFontMapCount] = {12, 15, 23, 24, 22, 38};
            for (std::int32_t n = 0; n < kSystemFontMapCount; ++n)
                EXPECT_EQ(GetSystemFontMap(n)->GetFontSize(), sizes[n]) << n;
            EXPECT_EQ(Utf8(core->GetConfig().m_ErrorImageFile), "cg/error.png");
        };
    };
    m_Run.SetMaxPasses(3);

    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(checked);
    // The game reset takes the module's graphics out before the render target goes.
    EXPECT_EQ(GetTransitGraphics(), nullptr);
    EXPECT_EQ(typeid(*GetLayerGraphics()), typeid(GxLayerGraphicsBase));
    EXPECT_FALSE(GetGlobalRenderTexture(0)->HasTexture());
}

// Screen A (one colour) changes to screen B (another) with the configured 400 ms: each frame of
// the fade shows A's captured picture with alpha 1 - rate over B's clear, blend preset 2.
TEST_F(EngineRunTest, HalfWayThroughAScreenChangeTheFrameBlendsTheOldScreenOverTheNew)
{
    MakeGameFolder(m_Game, GameFolder{kServicesSysConf, std::nullopt});
    GxCore* core = GxCore::GetInstance();
    constexpr D3DCOLOR kOld = 0xFFC04010;
    constexpr D3DCOLOR kNew = 0xFF2080F0;
    ColourScreen* screenB = nullptr;
    struct Sample {
        float rate;
        std::uint32_t pixel;
    };
    std::vector<Sample> samples;
    int passes = 0;
    bool fadeOver = false;
    m_Module.m_OnCreateSequences = [&](GxTaskBase* root) {
        new ColourScreen(root, u"ScreenA", kOld);
        screenB = new ColourScreen(root, u"ScreenB", kNew);
        auto* probe = new ProbeTask(core->m_TaskManage->FindTask(u"SeqSystem"), u"probe", "probe", nullptr);
        probe->m_OnUpdate = [&, core](std::int32_t step) {
            if (step != 0)
                return;
            ++passes;
            // The back buffer still holds the last frame, drawn with the rate B noted then.
            if (screenB->m_LastFadeRate >= 0.0f) {
                samples.push_back({screenB->m_LastFadeRate, BackBufferPixel(512, 384)});
                screenB->m_LastFadeRate = -1.0f;
            }
            if (passes == 2)
                core->m_TaskManage->ChangeSequenceByName(u"ScreenA", 0, 0);
            if (passes == 5)
                core->m_TaskManage->ChangeSequenceByName(u"ScreenB", 0, 0);
            fadeOver = passes > 6 && !screenB->IsInTransit() && core->m_TaskManage->IsWorkerReady(0);
        };
    };
    m_Run.SetMaxPasses(40);

    EXPECT_EQ(Run(), 0);
    ASSERT_GE(samples.size(), 10u);
    const Sample* middle = &samples.front();
    for (const Sample& sample : samples) {
        if (std::fabs(sample.rate - 0.5f) < std::fabs(middle->rate - 0.5f))
            middle = &sample;
    }
    ASSERT_NEAR(middle->rate, 0.5f, 0.05f);
    // ColorToArgb's alpha, then source alpha over the target.
    const int alpha = static_cast<int>((1.0f - middle->rate) * 255.0f);
    for (int shift : {16, 8, 0}) {
        const int expected = (Channel(kOld, shift) * alpha + Channel(kNew, shift) * (255 - alpha)) / 255;
        EXPECT_NEAR(Channel(middle->pixel, shift), expected, 2) << "channel at bit " << shift;
    }
    // The first fade frame is almost all the old screen, and the fade ends on the new one.
    EXPECT_LT(samples.front().rate, 0.1f);
    EXPECT_NEAR(Channel(samples.front().pixel, 16), Channel(kOld, 16), 0.1 * 255);
    EXPECT_TRUE(fadeOver);
}

// A layer asked for a picture that does not exist shows the configured error picture and the
// requested name in white at its world position + (32, 64).
TEST_F(EngineRunTest, ALayerWithAMissingPictureShowsTheErrorPictureLabelledWithTheName)
{
    MakeGameFolder(m_Game, GameFolder{kServicesSysConf, std::nullopt});
    constexpr std::uint32_t kErrorColour = 0xFF204060;
    fs::create_directories(m_Game / "cg");
    ASSERT_TRUE(WriteImageFile((m_Game / "cg" / "error.png").string(),
                               BuildPng(PngSpecRgba8(TestImage::Solid(128, 128, kErrorColour)))));
    GxCore* core = GxCore::GetInstance();
    constexpr int kX = 100, kY = 50;
    std::vector<std::uint32_t> frame;
    UINT width = 0, height = 0;
    bool loaded = true;
    int passes = 0;
    m_Module.m_OnCreateSequences = [&](GxTaskBase* root) {
        auto* screen = new GxSeqBase(root, u"LayerScreen");
        auto* layer = new GxTaskLayer(screen, u"layer");
        layer->SetPos(GxVector3(kX, kY, 0.0f));
        loaded = layer->LoadFlexImage(u"cg/missing.png", 0);
        auto* probe = new ProbeTask(core->m_TaskManage->FindTask(u"SeqSystem"), u"probe", "probe", nullptr);
        probe->m_OnUpdate = [&, core](std::int32_t step) {
            if (step != 0)
                return;
            if (++passes == 2)
                core->m_TaskManage->ChangeSequenceByName(u"LayerScreen", 0, 0);
            if (passes == 5)
                platform::d3d9::ReadBackBuffer(GxGraphics::GetDevice(), frame, width, height);
        };
    };
    m_Run.SetMaxPasses(6);

    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(loaded);   // the error picture itself loaded
    ASSERT_EQ(width, 1024u);
    ASSERT_EQ(frame.size(), std::size_t{1024} * 768);
    auto at = [&](int x, int y) { return frame[static_cast<std::size_t>(y) * width + static_cast<std::size_t>(x)]; };
    auto bright = [&](int x, int y) {
        const std::uint32_t p = at(x, y);
        return Channel(p, 16) > 0xC0 && Channel(p, 8) > 0xC0 && Channel(p, 0) > 0xC0;
    };
    auto countBright = [&](int left, int top, int right, int bottom) {
        int count = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                count += bright(x, y) ? 1 : 0;
        return count;
    };

    EXPECT_EQ(at(kX + 2, kY + 2), kErrorColour);          // the picture at the layer's position
    EXPECT_EQ(at(kX + 127, kY + 127), kErrorColour);
    EXPECT_EQ(at(kX - 1, kY + 2) & 0xFFFFFFu, 0u);        // the screen's clear around it
    // "cg/missing.png" at font size 12: 14 half-width characters of 6 pixels, 12 rows high.
    const int labelLeft = kX + 32, labelTop = kY + 64;
    EXPECT_GT(countBright(labelLeft, labelTop, labelLeft + 84, labelTop + 12), 60);
    EXPECT_EQ(countBright(kX, kY, kX + 128, labelTop - 2), 0);            // nothing above the label
    EXPECT_EQ(countBright(kX, labelTop, labelLeft - 1, labelTop + 12), 0);   // nor left of it
    EXPECT_EQ(countBright(kX, labelTop + 14, kX + 128, kY + 128), 0);       // nor below it
}

}  // namespace
}  // namespace engine_test
