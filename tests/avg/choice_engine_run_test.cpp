// The engine run whole in this process with every subsystem's real services and the capture
// sink: a named message, a plain line and a choice of two, clicked through; pressing the second
// choice button plays its system sound, which is heard in the mixed output only after the click.
#include "tests/support/engine_run_fixture.h"

#include "data/user_data_perman.h"
#include "media/media_services.h"
#include "platform/audio/mixer.h"
#include "platform/d3d9/virtual_adapter.h"
#include "tests/support/game_folder.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/sound_fixtures.h"
#include "tests/support/ui/message_window_rows.h"
#include "tests/support/ui/ui_layout_builder.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace engine_test {
namespace {

constexpr std::uint32_t kMixRate = 44100;

// The real media services; after each pass's movie tick the capture sink mixes the pass's 17 ms
// and the pass is noted when anything was heard.
class ListeningMediaServices : public GxMediaServices {
public:
    void MovieSlotTickAll() override
    {
        GxMediaServices::MovieSlotTickAll();
        platform::Mixer& mixer = platform::Mixer::Instance();
        mixer.Advance(kMixRate * 17 / 1000);
        const std::vector<std::int16_t> mixed = mixer.TakeCaptured();
        if (std::any_of(mixed.begin(), mixed.end(), [](std::int16_t s) { return std::abs(s) > 1000; }))
            m_HeardAt.push_back(m_Pass);
        ++m_Pass;
    }
    std::vector<std::uint32_t> m_HeardAt;
    std::uint32_t m_Pass = 0;
};

class ChoiceEngineRunTest : public EngineRunTest {
protected:
    void TearDown() override
    {
        platform::d3d9::ResetVirtualAdapter();
        EngineRunTest::TearDown();
    }
};

TEST_F(ChoiceEngineRunTest, PressingAChoicePlaysItsSystemSound)
{
    TestGameFolder game(m_Game);
    game.SysConf({{"APP_TITLE", "Choice Sound"}, {"APP_SAVEDIR", "CHOICE_SAVE"}, {"SAVE_TO_MYDOCUMENTS", "0"}})
        .Table(u"db_avgchar.txt", TestTableBuilder().Row({u"1", u"花子"}))
        .Script("*MAIN\n"
                "BUILTIN MSGN, MSG, SEL, SEL.GO\n"
                "MSGN(\"花子\", \"いち\")\n"
                "plain\n"
                "SEL.GO(\"FIRST\", \"SECOND\")\n"
                "SEL(\"one\", \"two\")\n"
                "*FIRST\n"
                "MSG(\"first\")\n"
                "EXIT()\n"
                "*SECOND\n"
                "MSG(\"second\")\n"
                "EXIT()\n")
        .Png("cg/bg/黒.png", TestImage::Solid(1024, 768, 0xFF305070u))
        .StartupFiles();
    const SoundBytes push = BuildTestPcmWav(2, kMixRate, 16, TestPcm16Bytes(TestTone(kMixRate / 2, 2, kMixRate, 440.0)));
    game.File("sounds/sys/push.wav", std::string_view(reinterpret_cast<const char*>(push.data()), push.size()));
    AddUITables(game, PlayScreenModuleRows(), PlayScreenLayoutRows());
    game.EmptyTables();
    ASSERT_TRUE(game.Ok()) << game.Errors().front();
    ASSERT_TRUE(WriteMessageWindowFrame(m_Game / "cg" / "ui"));

    platform::Mixer::Instance().SetSink(platform::AudioSink::Capture);
    UseEngineServices();
    // The stand-in boot starts "MAIN" at once, with no title to go through.
    SetGameScreensBuilder(&standin_screens::Build);
    ListeningMediaServices media;
    SetMediaServices(&media);
    // The second button's centre: rows of 50 pixels centred above the window at 540.
    std::string error;
    ASSERT_TRUE(m_Run.ParseInputScript("110 ldown 512 300\n111 lup 512 300\n"
                                       "160 ldown 512 300\n161 lup 512 300\n"
                                       "230 ldown 511 290\n231 lup 511 290\n",
                                       &error))
        << error;
    m_Run.SetMaxPasses(260);

    EXPECT_EQ(Run(), 0);

    ASSERT_FALSE(media.m_HeardAt.empty());
    EXPECT_GE(media.m_HeardAt.front(), 230u);
    EXPECT_EQ(ReadLog(m_Game / "CHOICE_SAVE" / "error.log").find("err:"), std::string::npos);
}

}  // namespace
}  // namespace engine_test
