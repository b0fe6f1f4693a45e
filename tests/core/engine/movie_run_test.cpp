// Movies in the running engine with the process entry's own wiring: a layer of a test screen
// plays a short solid-colour movie from the game's pack into its movie texture, the frame shows
// it where the layer stands, and once it has ended the layer clears. The movie graph runs on a
// manual clock that the test moves one step per pass.
#include "tests/support/engine_run_fixture.h"

#include "core/movie_services.h"
#include "core/task_layer.h"
#include "media/media_services.h"
#include "media/movie_player.h"
#include "media/movie_services.h"
#include "platform/dshow/dshow_layer.h"
#include "platform/dshow/reference_clock.h"
#include "tests/support/movie_fixtures.h"

#include <typeinfo>

namespace engine_test {
namespace {

constexpr char kMovieSysConf[] = "APP_TITLE=Movie Game\nAPP_SAVEDIR=MOVIE_SAVE\nSAVE_TO_MYDOCUMENTS=0\n";
constexpr std::uint32_t kColour = 0x3060C0;
constexpr REFERENCE_TIME kStep = 500'000;   // 50 ms of the movie clock per pass

class MovieRunTest : public EngineRunTest {
protected:
    void SetUp() override
    {
        EngineRunTest::SetUp();
        m_Clock = new platform::ManualReferenceClock(0);
        m_Clock->AddRef();
        platform::SetDshowGraphClock(m_Clock);
    }
    void TearDown() override
    {
        platform::SetDshowGraphClock(nullptr);
        m_Clock->Release();
        EngineRunTest::TearDown();
    }
    void Advance()
    {
        platform::MarkEventSettle();
        m_Clock->Advance(kStep);
        EXPECT_TRUE(platform::SettleEvents(60000));
    }

    platform::ManualReferenceClock* m_Clock = nullptr;
};

bool Near(std::uint32_t pixel, std::uint32_t rgb)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = static_cast<int>((pixel >> shift) & 0xFF);
        const int b = static_cast<int>((rgb >> shift) & 0xFF);
        if (std::abs(a - b) > 2)
            return false;
    }
    return true;
}

TEST_F(MovieRunTest, ALayerPlaysAMovieFromThePackAndClearsAfterItsEnd)
{
    MakeGameFolder(m_Game, GameFolder{kMovieSysConf, std::nullopt});
    TestMovieSpec spec;
    spec.container = TestMovieContainer::Avi;
    spec.picture = TestMoviePicture::Solid;
    spec.solidColour = kColour;
    spec.frames = 10;   // one second
    const MovieBytes movie = BuildTestMovie(spec);
    ASSERT_FALSE(movie.empty());
    TestPackBuilder()
        .SetScrambled(true)
        .Add(kPackedFileName, std::string_view(kPackedFileText))
        .Add(u"movie/solid.avi", std::vector<BYTE>(movie.begin(), movie.end()))
        .Write((m_Game / "system.gxp").string());
    UseEngineServices();

    GxCore* core = GxCore::GetInstance();
    constexpr int kX = 100, kY = 50;
    GxTaskLayer* layer = nullptr;
    bool servicesReal = false;
    bool loaded = false;
    int passes = 0;
    int loadPass = 0;
    int shownPass = 0;
    int endedPass = 0;
    int clearedPass = 0;
    int eventsTaken = -1;
    m_Module.m_OnCreateSequences = [&](GxTaskBase* root) {
        auto* screen = new GxSeqBase(root, u"MovieScreen");
        layer = new GxTaskLayer(screen, u"layer");
        layer->SetPos(GxVector3(kX, kY, 0.0f));
        auto* probe = new ProbeTask(core->m_TaskManage->FindTask(u"SeqSystem"), u"probe", "probe", nullptr);
        probe->m_OnUpdate = [&, core](std::int32_t step) {
            if (step != 0)
                return;
            ++passes;
            if (passes == 2) {
                servicesReal = GetMovieServices() && typeid(*GetMovieServices()) == typeid(GxMovieServices) &&
                               GetMediaServices() && typeid(*GetMediaServices()) == typeid(GxMediaServices);
                core->m_TaskManage->ChangeSequenceByName(u"MovieScreen", 0, 0);
            }
            if (passes == 3) {
                loadPass = passes;
                loaded = layer->LoadMovie(u"movie/solid.avi", 64, 48, 1, 0.0, 0, true, 0);
            }
            if (loadPass && passes > loadPass) {
                auto* player = layer->GetMoviePlayer();
                if (passes == loadPass + 1 && player) {
                    // Two events posted now: the poll takes one on each of the next passes.
                    IMediaEventSink* sink = nullptr;
                    if (SUCCEEDED(player->Graph()->QueryInterface(IID_IMediaEventSink,
                                                                  reinterpret_cast<void**>(&sink)))) {
                        sink->Notify(EC_USERABORT, 0, 0);
                        sink->Notify(EC_USERABORT, 0, 0);
                        sink->Release();
                    }
                }
                if (passes == loadPass + 2 && player) {
                    // One pass later one is left.
                    eventsTaken = 0;
                    LONG code = 0;
                    LONG_PTR p1 = 0, p2 = 0;
                    while (player->GetEvent(&code, &p1, &p2, 0) == S_OK)
                        ++eventsTaken;
                }
                const std::uint32_t pixel = BackBufferPixel(kX + 20, kY + 20);
                if (!shownPass && Near(pixel, kColour))
                    shownPass = passes;
                if (shownPass && !endedPass && !layer->IsMoviePlaying())
                    endedPass = passes;
                if (endedPass && !clearedPass && layer->GetCurrentContent().m_ContentType != kLayerContentMovie &&
                    !Near(pixel, kColour))
                    clearedPass = passes;
                if (!clearedPass)
                    Advance();
            }
        };
    };
    m_Run.SetMaxPasses(120);

    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(servicesReal);
    EXPECT_TRUE(loaded);
    EXPECT_GT(shownPass, loadPass);
    EXPECT_GT(endedPass, shownPass);
    EXPECT_GE(clearedPass, endedPass);
    EXPECT_EQ(eventsTaken, 1);
}

}  // namespace
}  // namespace engine_test
