// Unchanged frames: a frame whose picture would be the one last presented is neither drawn nor
// presented; every kind of change to the picture presents again; and a scripted run that fades,
// shakes and switches screens shows the same pictures whether unchanged frames are skipped or
// composed anyway.
#include "tests/support/engine_run_fixture.h"

#include "core/scene_generation.h"
#include "core/seq_transit_base.h"
#include "core/task_actor.h"
#include "core/task_layer.h"
#include "core/task_render_manage.h"
#include "core/unattended_run.h"
#include "graphics/png_image.h"
#include "platform/crt/numeric.h"
#include "platform/d3d9/device_control.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>

namespace engine_test {
namespace {

// Queues itself into render list 5 at a depth the test sets, and counts its draws.
class DrawnTask : public GxTaskBase {
public:
    using GxTaskBase::GxTaskBase;
    int Render(std::int32_t, std::uint64_t) override
    {
        m_Manage->GetCore()->GetRenderList(5)->Add(kRenderModeAscending, this, m_Depth, m_Value);
        return 0;
    }
    int Draw(std::int32_t, std::int32_t) override
    {
        ++m_Draws;
        return 0;
    }
    float m_Depth = 1.0f;
    std::int32_t m_Value = 0;
    int m_Draws = 0;
};

class FrameSkipTest : public CoreFixture {
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        m_Screen = StartSequence(u"SeqScreen");
        m_Task = new DrawnTask(m_Screen, u"drawn", nullptr, 0);
        m_Actor = new GxTaskActor(m_Screen, u"actor", nullptr, 0);
        m_Layer = new GxTaskLayer(m_Screen, u"layer");
        m_Core->Frame();
        m_Core->Frame();   // settles: nothing changes from here on
        m_Presents = m_Core->m_PresentedFrames;
    }

    // Presents made by one more frame.
    std::uint64_t PresentsOfNextFrame()
    {
        m_Core->Frame();
        const std::uint64_t made = m_Core->m_PresentedFrames - m_Presents;
        m_Presents = m_Core->m_PresentedFrames;
        return made;
    }

    GxSeqBase* m_Screen = nullptr;
    DrawnTask* m_Task = nullptr;
    GxTaskActor* m_Actor = nullptr;
    GxTaskLayer* m_Layer = nullptr;
    std::uint64_t m_Presents = 0;
    int m_MovieFrames = 0;
};

TEST_F(FrameSkipTest, AnUnchangedFrameIsNeitherDrawnNorPresented)
{
    const int draws = m_Task->m_Draws;
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(PresentsOfNextFrame(), 0u);
    EXPECT_EQ(m_Task->m_Draws, draws);

    // Composing is forced on: every frame draws and presents.
    m_Core->m_AlwaysCompose = true;
    EXPECT_EQ(PresentsOfNextFrame(), 1u);
    EXPECT_EQ(PresentsOfNextFrame(), 1u);
    EXPECT_EQ(m_Task->m_Draws, draws + 2);
}

TEST_F(FrameSkipTest, EveryKindOfChangeToThePicturePresentsOnce)
{
    struct Case {
        const char* what;
        std::function<void()> change;
    };
    const std::vector<Case> cases = {
        {"actor parameter through a setter", [&] { m_Actor->SetPos(GxVector3(5.0f, 6.0f, 0.0f)); }},
        {"actor parameter written directly", [&] { m_Actor->m_VisualParam.m_Alpha = 10; }},
        {"layer parameter written directly", [&] { m_Layer->m_VisualParam.m_Visible = false; }},
        {"layer content", [&] { m_Layer->LoadSolidColor(0xFF00FF00, 0); }},
        {"layer content cleared", [&] { m_Layer->ClearContent(0); }},
        {"layer shake stopped", [&] { m_Layer->StopShake(); }},
        {"render entry depth", [&] { m_Task->m_Depth = 2.0f; }},
        {"render entry value", [&] { m_Task->m_Value = 7; }},
        {"task suspended", [&] { m_Task->m_TaskFlags |= kTaskNoDraw; }},
        {"task made", [&] { new GxTaskBase(m_Screen, nullptr, nullptr, 0); }},
        {"window exposed", [&] { m_Core->WindowProc(m_Core->m_MainWindow, WM_PAINT, 0, 0); }},
        {"window moved or resized", [&] { m_Core->WindowProc(m_Core->m_MainWindow, WM_WINDOWPOSCHANGED, 0, 0); }},
        {"another frame source", [&] { GxSceneGeneration::Touch(); }},
    };
    MakeMainWindow(1024, 768);
    PresentsOfNextFrame();
    for (const Case& c : cases) {
        c.change();
        EXPECT_EQ(PresentsOfNextFrame(), 1u) << c.what;
        EXPECT_EQ(PresentsOfNextFrame(), 0u) << c.what;
    }

    // A sequence switch: the new screen's lists differ, and the switch itself moves the generation.
    auto* next = new GxSeqBase(m_Root, u"SeqNext");
    PresentsOfNextFrame();
    m_Manage->ChangeSequence(next, 0, 0, 0);
    m_Manage->ApplySequenceChanges();
    EXPECT_EQ(PresentsOfNextFrame(), 1u);
}

TEST_F(FrameSkipTest, RunningAnimationsPresentEveryFrameUntilTheyEnd)
{
    // 17 ms frames at 60 logic passes a second: one pass per frame.
    struct Case {
        const char* what;
        std::function<void()> start;
    };
    const std::vector<Case> cases = {
        {"actor fade", [&] { m_Actor->AddFadeInAction(0, 50); }},
        {"layer shake", [&] { m_Layer->StartShake(GxVector3(4.0f, 4.0f, 0.0f), 50); }},
        {"layer cross-fade", [&] { m_Layer->LoadSolidColor(0xFF0000FF, 50); }},
        // A movie shows another frame on every frame while it is the layer's content (one that
        // stays after its end, cleared by the test after four frames).
        {"movie frames",
         [&] {
             m_Layer->GetCurrentContent().m_ContentType = kLayerContentMovie;
             m_Layer->GetCurrentContent().m_MovieAutoDisappear = false;
             m_MovieFrames = 4;
         }},
    };
    for (const Case& c : cases) {
        c.start();
        int presented = 0;
        for (int i = 0; i < 20; ++i) {
            presented += static_cast<int>(PresentsOfNextFrame());
            if (m_MovieFrames > 0 && --m_MovieFrames == 0)
                m_Layer->ClearContent(0);
        }
        // About 50 / 17 frames of animation, then the picture stands still.
        EXPECT_GE(presented, 3) << c.what;
        EXPECT_LE(presented, 6) << c.what;
        EXPECT_EQ(PresentsOfNextFrame(), 0u) << c.what;
    }
}

TEST_F(FrameSkipTest, AWaitActionPresentsNothingUntilItEnds)
{
    // A notice held on screen: the wait runs 150 ms, then the hide that follows it.
    m_Actor->AddWaitAction(0, 150);
    m_Actor->AddHideAction();
    int presented = 0;
    for (int i = 0; i < 6; ++i)
        presented += static_cast<int>(PresentsOfNextFrame());
    EXPECT_EQ(presented, 0);
    for (int i = 0; i < 10; ++i)
        presented += static_cast<int>(PresentsOfNextFrame());
    EXPECT_EQ(presented, 1);
    EXPECT_FALSE(m_Actor->IsVisible());
}

TEST_F(FrameSkipTest, AScreenTransitionPresentsUntilItsFadeEnds)
{
    // The screen enters with its fade running; it becomes ready when the fade is over.
    auto* screen = new GxSeqTransitBase(m_Root, u"SeqFading");
    m_Manage->ChangeSequence(screen, 0, 0, 0);
    m_Manage->ApplySequenceChanges();
    screen->StartTransit(60);
    int presented = 0;
    for (int i = 0; i < 20; ++i)
        presented += static_cast<int>(PresentsOfNextFrame());
    EXPECT_GE(presented, 3);
    EXPECT_EQ(PresentsOfNextFrame(), 0u);
}

// ---- whole runs ----------------------------------------------------------------------------

// A layer drawn as a square of its colour at its world position, with its alpha; the shake and
// the fade move it.
class SquareLayer : public GxTaskLayer {
public:
    SquareLayer(GxTaskBase* owner, const char16_t* name, D3DCOLOR rgb) : GxTaskLayer(owner, name), m_Rgb(rgb) {}
    int Draw(std::int32_t, std::int32_t) override
    {
        const GxVector3 at = GetWorldPos();
        const RECT rect{static_cast<LONG>(at.x), static_cast<LONG>(at.y), static_cast<LONG>(at.x) + 200,
                        static_cast<LONG>(at.y) + 150};
        const D3DCOLOR color = (static_cast<D3DCOLOR>(m_VisualParam.m_Alpha & 0xFF) << 24) | m_Rgb;
        // The alpha goes into the colour's red so that a fade shows in the picture.
        ClearTarget(1, color ^ (static_cast<D3DCOLOR>(m_VisualParam.m_Alpha & 0xFF) << 16), 1.0f, 0, &rect);
        return 0;
    }
    D3DCOLOR m_Rgb;
};

class ComposeRunTest : public EngineRunTest {
protected:
    // Back buffer hashes seen at the top of each pass (the picture of the pass before) in one run.
    std::vector<std::size_t> CaptureRun(bool alwaysCompose)
    {
        ScopedEnv compose("TARNWICK_ALWAYS_COMPOSE", alwaysCompose ? std::optional<std::string>("1") : std::nullopt);
        GxCore* core = GxCore::GetInstance();
        std::vector<std::size_t> pictures;
        m_Module.m_OnInitialize = [] { msvc::srand(1); };
        m_Module.m_OnCreateSequences = [&, core](GxTaskBase* root) {
            GxTaskManage* manage = core->m_TaskManage;
            auto* first = new GxSeqBase(root, u"SeqFirst");
            auto* second = new GxSeqBase(root, u"SeqSecond");
            auto* fading = new SquareLayer(first, u"fading", 0x0000FF);
            auto* shaking = new SquareLayer(second, u"shaking", 0x00FF00);
            shaking->SetPos(GxVector3(300.0f, 200.0f, 0.0f));
            // The resident sequence's tasks run in every pass, whatever screen is shown.
            auto* watcher = new ProbeTask(manage->FindTask(u"SeqSystem"), u"watcher", "watcher", nullptr);
            watcher->m_OnUpdate = [&, core, manage, first, second, fading, shaking](std::int32_t) {
                std::vector<std::uint32_t> pixels;
                UINT width = 0, height = 0;
                if (platform::d3d9::ReadBackBuffer(GxGraphics::GetDevice(), pixels, width, height)) {
                    const std::string_view bytes(reinterpret_cast<const char*>(pixels.data()),
                                                 pixels.size() * sizeof(std::uint32_t));
                    pictures.push_back(std::hash<std::string_view>{}(bytes));
                    // The picture presented by the frame of the pass before this one.
                    const std::uint32_t current = core->m_UnattendedRun->GetPassCount() - 1;
                    if (current > 0)
                        m_Presented[current - 1] = OpaqueHash(pixels);
                }
                const std::uint32_t pass = core->m_PassCounter - m_FirstPass;
                if (pass == 3) {
                    manage->ChangeSequence(first, 0, 0, 0);
                } else if (pass == 6) {
                    fading->AddFadeInAction(0, 120);
                } else if (pass == 20) {
                    manage->ChangeSequence(second, 0, 0, 0);
                } else if (pass == 24) {
                    shaking->StartShake(GxVector3(10.0f, 8.0f, 0.0f), 150);
                } else if (pass == 40) {
                    manage->ChangeSequence(first, 0, 0, 0);
                }
            };
        };
        // The run before left the window system's state behind.
        platform::ResetUserStateForTesting();
        m_FirstPass = core->m_PassCounter;
        m_Run.SetMaxPasses(60);
        const std::uint64_t presentsBefore = core->m_PresentedFrames;
        EXPECT_EQ(Run(), 0);
        m_Presents = core->m_PresentedFrames - presentsBefore;
        return pictures;
    }
    // A picture's hash with every alpha made opaque, as a captured frame has it.
    static std::size_t OpaqueHash(std::vector<std::uint32_t> pixels)
    {
        for (std::uint32_t& pixel : pixels)
            pixel |= 0xFF000000u;
        const std::string_view bytes(reinterpret_cast<const char*>(pixels.data()), pixels.size() * sizeof(std::uint32_t));
        return std::hash<std::string_view>{}(bytes);
    }

    // The captured picture of `pass` in `folder`, hashed; 0 when it is missing or not 1024 x 768.
    static std::size_t CapturedHash(const fs::path& folder, std::uint32_t pass)
    {
        char name[32];
        std::snprintf(name, sizeof name, "pass%06u.png", pass);
        std::ifstream in(folder / name, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        std::uint32_t width = 0, height = 0;
        std::uint8_t* decoded = DecodePngMemory(bytes.data(), bytes.size(), &width, &height);
        if (decoded == nullptr)
            return 0;
        std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
        std::memcpy(pixels.data(), decoded, pixels.size() * sizeof(std::uint32_t));
        FreePngPixels(decoded);
        return width == 1024 && height == 768 ? OpaqueHash(pixels) : 0;
    }

    std::uint64_t m_Presents = 0;
    std::map<std::uint32_t, std::size_t> m_Presented;
};

TEST_F(ComposeRunTest, CapturedFramesAreThePicturesPresentedWithOrWithoutComposingEveryFrame)
{
    MakeGameFolder(m_Game, GameFolder{});
    // Passes in a fade, in a still stretch (not composed again when skipping), in a shake, and
    // the last pass of the run.
    ASSERT_TRUE(m_Run.ParseCapturePasses("8, 16,17,30,59", nullptr));
    std::map<std::uint32_t, std::size_t> captured[2];
    for (const bool composing : {false, true}) {
        const fs::path folder = m_Temp.Path() / (composing ? "composing" : "skipping");
        fs::create_directories(folder);
        m_Run.SetCaptureFolder(folder.string());
        m_Presented.clear();
        CaptureRun(composing);
        for (const std::uint32_t pass : m_Run.GetCapturePasses()) {
            captured[composing][pass] = CapturedHash(folder, pass);
            EXPECT_NE(captured[composing][pass], 0u) << pass;
            if (pass < 59) {
                EXPECT_EQ(captured[composing][pass], m_Presented[pass]) << pass;
            }
        }
        EXPECT_FALSE(fs::exists(folder / "pass000009.png"));
    }
    EXPECT_EQ(captured[0], captured[1]);
    EXPECT_NE(captured[0][8], captured[0][30]);
}

TEST_F(ComposeRunTest, SkippingUnchangedFramesShowsTheSamePicturesAsComposingEveryFrame)
{
    MakeGameFolder(m_Game, GameFolder{});
    const std::vector<std::size_t> skipping = CaptureRun(false);
    const std::uint64_t skippingPresents = m_Presents;
    const std::vector<std::size_t> composing = CaptureRun(true);
    ASSERT_GT(skipping.size(), 40u);
    EXPECT_EQ(skipping, composing);
    // The run changes its picture in fewer frames than it has.
    EXPECT_LT(skippingPresents, m_Presents);
    EXPECT_GE(std::set<std::size_t>(skipping.begin(), skipping.end()).size(), 5u);
}

TEST_F(EngineRunTest, ADeviceResetPresentsOnceAndTheStillPictureThenPresentsNoMore)
{
    MakeGameFolder(m_Game, GameFolder{});
    GxCore* core = GxCore::GetInstance();
    std::map<std::uint32_t, std::uint64_t> presents;   // at the top of each pass's update
    m_Module.m_OnCreateSequences = [&, core](GxTaskBase*) {
        GxTaskManage* manage = core->m_TaskManage;
        auto* watcher = new ProbeTask(manage->FindTask(u"SeqSystem"), u"watcher", "watcher", nullptr);
        watcher->m_OnUpdate = [&, core](std::int32_t) {
            const std::uint32_t pass = core->m_UnattendedRun->GetPassCount() - 1;
            presents[pass] = core->m_PresentedFrames;
            if (pass == 30) {
                const std::int32_t mode = GxGraphics::GetDisplaySettings().CurrentScreenMode;
                EXPECT_TRUE(GxGraphics::ResetDevice(true, mode, mode, nullptr));
            }
        };
    };
    m_Run.SetMaxPasses(45);
    EXPECT_EQ(Run(), 0);
    // Settled well before the reset: nothing presented from pass 20 to 30.
    ASSERT_EQ(presents.count(20), 1u);
    ASSERT_EQ(presents.count(44), 1u);
    EXPECT_EQ(presents[30], presents[20]);
    // The reset's frame presents, the still picture after it does not.
    EXPECT_EQ(presents[31], presents[30] + 1);
    EXPECT_EQ(presents[44], presents[31]);
}

TEST_F(EngineRunTest, TheMainWindowIsMadeAndMappedOnce)
{
    MakeGameFolder(m_Game, GameFolder{});
    const unsigned made = platform::WindowCreationCount();
    const unsigned mapped = platform::WindowMapCount();
    HWND seen = nullptr;
    m_Module.m_OnInitialize = [&] { seen = GxCore::GetInstance()->m_MainWindow; };
    m_Run.SetMaxPasses(30);
    EXPECT_EQ(Run(), 0);
    ASSERT_NE(seen, nullptr);
    // The debug window is made hidden with the main window; only the main window is shown.
    EXPECT_LE(platform::WindowCreationCount() - made, 2u);
    EXPECT_EQ(platform::WindowMapCount() - mapped, 1u);
}

}  // namespace
}  // namespace engine_test
