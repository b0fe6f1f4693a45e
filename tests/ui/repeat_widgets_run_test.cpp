// [Engine] the held widgets in a whole run: a press button and a spin button built from the game
// folder's layout rows, held through scripted window input over several passes. The press button
// delivers one event 16 per update held and its value drops to 0 at the release; the spin button
// steps every 7 updates and the last frame shows its value in system bitmap font 0.
#include "tests/support/ui/ui_engine_run_fixture.h"

#include "motion/image_set_pool.h"
#include "tests/support/game_folder.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/ui/harness/ui_harness.h"
#include "tests/support/ui/harness/widget_image_set.h"
#include "tests/support/ui/ui_layout_builder.h"
#include "ui/ui_press_button.h"
#include "ui/ui_services.h"
#include "ui/ui_spin_button.h"

namespace engine_test {
namespace {

constexpr std::uint32_t kFieldRgb = 0x303060;

class RepeatWidgetsRunTest : public UIEngineRunTest {
protected:
    void SetUp() override
    {
        UIEngineRunTest::SetUp();
        m_Run.SetMaxPasses(80);
    }
};

TEST_F(RepeatWidgetsRunTest, HeldPressAndSpinButtonsRepeatAcrossPasses)
{
    TestGameFolder game(m_Game);
    game.SysConf({{"APP_TITLE", "Repeat Test"}, {"APP_SAVEDIR", "ENGINE_SAVE"}, {"SAVE_TO_MYDOCUMENTS", "0"}});
    AddUITables(game, {{1, 22, u"press_mod", u"e2e", u"rep"}, {2, 24, u"spin_mod", u"e2e", u"n"}},
                {{1, u"UIScreen", u"press_mod", u"btn_repeat", -1, 1, 1, 1, 100.0f, 100.0f},
                 {2, u"UIScreen", u"spin_mod", u"spin_count", -1, 1, 1, 1, 100.0f, 300.0f, 0.0f, 0, u"", u"", 0, 5, 0,
                  99}});
    game.EmptyTables();
    ASSERT_TRUE(game.Ok());
    // The engine's start-up makes bitmap font 0 from this grid in the fonts folder: white 8 x 16 cells.
    fs::create_directories(m_Game / "fonts");
    ASSERT_TRUE(WriteImageFile((m_Game / "fonts" / "FONT16SYS.png").string(),
                               BuildPng(PngSpecRgba8(TestImage::Solid(16 * 8, 6 * 16, 0xFFFFFFFF)))));
    TestUIImageSets sets(m_Game);
    ASSERT_TRUE(sets.Write("uigis/e2e.gis", {TestUICell{u"rep_off.png", 100, 40, 0xFF2040C0},
                                             TestUICell{u"n_clear_off.png", 20, 24, 0xFFA02020},
                                             TestUICell{u"n_back.png", 60, 24, 0xFF000000 | kFieldRgb},
                                             TestUICell{u"n_down_off.png", 24, 24, 0xFF2020A0},
                                             TestUICell{u"n_up_off.png", 24, 24, 0xFF20A020}}));
    std::string error;
    // The press button from pass 20 to 26; the spin's down part (x 180 to 204) from 30 to 52.
    ASSERT_TRUE(m_Run.ParseInputScript("20 ldown 150 120\n"
                                       "26 lup 150 120\n"
                                       "30 ldown 190 310\n"
                                       "52 lup 190 310\n",
                                       &error))
        << error;

    GxCore* core = GxCore::GetInstance();
    UITestScreen* screen = nullptr;
    std::vector<UITestEvent> presses, repeats;
    std::vector<double> pressValues(80, -1.0), spinValues(80, -1.0);
    std::uint32_t textPixel = 0, fieldPixel = 0;
    const auto poolSets = [] { GetImageSetPool().AddImageSet(u"uigis/e2e.gis"); };
    BuildUIScreenWithProbe(u"UIScreen", poolSets, screen, [&, core](int passes) {
        auto* press = static_cast<GxTaskUIPressButtonIs*>(core->m_TaskManage->FindTask(u"btn_repeat"));
        auto* spin = static_cast<GxTaskUISpinButtonIs*>(core->m_TaskManage->FindTask(u"spin_count"));
        if (passes < 80) {
            pressValues[static_cast<std::size_t>(passes)] = press ? press->GetValue() : -1.0;
            spinValues[static_cast<std::size_t>(passes)] = spin ? spin->GetValue() : -1.0;
        }
        if (passes == 29) {
            presses = screen->EventsOf(1);
            repeats = screen->EventsOf(16);
            screen->m_Events.clear();
        }
        if (passes == 60) {
            // "1" in the value field: x = (60 - 8) / 2 + 20, y = (24 - 16) / 2.
            textPixel = BackBufferPixel(100 + 46 + 4, 300 + 4 + 8) & 0xFFFFFF;
            fieldPixel = BackBufferPixel(100 + 22, 300 + 12) & 0xFFFFFF;
        }
        if (passes == 62) {
            repeats.insert(repeats.end(), screen->m_Events.begin(), screen->m_Events.end());
            GetImageSetPool().ReleaseAllImageSets();
            core->RequestQuit();
        }
    });

    EXPECT_EQ(Run(), 0);
    ASSERT_EQ(presses.size(), 1u);
    // Held from the update of pass 20 through that of pass 25: six repeats, the value counting them.
    std::size_t pressRepeats = 0;
    for (const UITestEvent& e : repeats)
        pressRepeats += e.event.m_Code == 16 && e.sender == presses[0].sender;
    EXPECT_EQ(pressRepeats, 6u);
    double highest = 0.0;
    for (int pass = 20; pass < 27; ++pass)
        highest = std::max(highest, pressValues[static_cast<std::size_t>(pass)]);
    EXPECT_EQ(highest, 6.0);
    EXPECT_EQ(pressValues[28], 0.0) << "0 after the release";

    // The spin: 5 -> 4, 3, 2, 1 over the 22 updates held, one event 16 each.
    std::size_t spinSteps = 0;
    for (const UITestEvent& e : repeats)
        spinSteps += e.event.m_Code == 16 && e.sender != presses[0].sender;
    EXPECT_EQ(spinSteps, 4u);
    EXPECT_EQ(spinValues[58], 1.0);
    EXPECT_EQ(textPixel, 0xFFFFFFu) << "the value text";
    EXPECT_EQ(fieldPixel, kFieldRgb);
    const std::string log = ReadLog(m_Game / "ENGINE_SAVE" / "error.log");
    EXPECT_EQ(log.find("GxTaskUI"), std::string::npos) << log;
}

}  // namespace
}  // namespace engine_test
