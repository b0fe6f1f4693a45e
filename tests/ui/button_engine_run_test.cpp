// [Engine] buttons and sliders in a whole run: a screen built from the game folder's layout rows,
// its image sets in the pool, and scripted mouse input through the window: a click reaches the
// screen's hook 1 with the button flag, a drag on the slider reports 16 on every move and changes
// its value, and a release outside the window still ends the drag (the press captured the
// pointer).
#include "tests/support/ui/ui_engine_run_fixture.h"

#include "motion/image_set_pool.h"
#include "tests/support/game_folder.h"
#include "tests/support/ui/harness/ui_harness.h"
#include "tests/support/ui/harness/widget_image_set.h"
#include "tests/support/ui/ui_layout_builder.h"
#include "ui/ui_button.h"
#include "ui/ui_services.h"
#include "ui/ui_slider.h"

namespace engine_test {
namespace {

class ButtonRunTest : public UIEngineRunTest {
protected:
    void SetUp() override
    {
        UIEngineRunTest::SetUp();
        m_Run.SetMaxPasses(80);
    }
};

TEST_F(ButtonRunTest, AClickAndADragOnWidgetsFromLayoutRowsReachTheScreen)
{
    TestGameFolder game(m_Game);
    game.SysConf({{"APP_TITLE", "Button Test"}, {"APP_SAVEDIR", "ENGINE_SAVE"}, {"SAVE_TO_MYDOCUMENTS", "0"}});
    AddUITables(game,
                {{1, 18, u"btn_mod", u"e2e", u"ok"}, {2, 30, u"sl_mod", u"e2e", u"s", 0, 0, 10, 0, 200, 20}},
                {{1, u"UIScreen", u"btn_mod", u"btn_ok", -1, 1, 1, 1, 100.0f, 100.0f},
                 {2, u"UIScreen", u"sl_mod", u"sl_volume", -1, 1, 1, 1, 100.0f, 300.0f, 0.0f, 0, u"", u"", 0, 0, 0,
                  100}});
    game.EmptyTables();
    ASSERT_TRUE(game.Ok());
    TestUIImageSets sets(m_Game);
    ASSERT_TRUE(sets.Write("uigis/e2e.gis", {TestUICell{u"ok_off.png", 120, 40, 0xFF2040C0},
                                             TestUICell{u"s_off.png", 20, 20, 0xFFE0E0E0},
                                             TestUICell{u"s_back.png", 220, 20, 0xFF303060}}));
    std::string error;
    ASSERT_TRUE(m_Run.ParseInputScript("20 move 150 120\n"
                                       "21 ldown 150 120\n"
                                       "22 lup 150 120\n"
                                       "24 ldown 110 310\n"   // the thumb, at value 0
                                       "25 move 160 310\n"
                                       "26 move 210 310\n"
                                       "27 move 1100 900\n"   // outside the window, still captured
                                       "28 lup 1100 900\n"
                                       "30 move 300 310\n",
                                       &error))
        << error;

    GxCore* core = GxCore::GetInstance();
    UITestScreen* screen = nullptr;
    GxTaskUISliderIs* slider = nullptr;
    bool imagesLoaded = false, pressedAfterOutsideMove = false, releasedAfterOutsideUp = true;
    double valueAfterDrag = -1.0;
    std::vector<UITestEvent> clicks, changes;   // copied before the shut-down deletes the screen
    bool clickerIsButton = false;
    const auto poolSets = [] { GetImageSetPool().AddImageSet(u"uigis/e2e.gis"); };
    BuildUIScreenWithProbe(u"UIScreen", poolSets, screen, [&, core](int passes) {
        slider = static_cast<GxTaskUISliderIs*>(core->m_TaskManage->FindTask(u"sl_volume"));
        auto* button = static_cast<GxTaskUIButtonIs*>(core->m_TaskManage->FindTask(u"btn_ok"));
        if (passes == 15)
            imagesLoaded = button && button->GetStateImage(0) && slider && slider->GetCell(GxTaskUISliderIs::kTrack);
        if (passes == 29) {
            valueAfterDrag = slider ? slider->GetValue() : -1.0;
            releasedAfterOutsideUp = slider && !slider->IsPressed();
        }
        if (passes == 28)
            pressedAfterOutsideMove = slider && slider->IsPressed();
        if (passes == 40) {
            clicks = screen->EventsOf(1);
            changes = screen->EventsOf(16);
            clickerIsButton = clicks.size() == 1 && clicks[0].sender == button &&
                              (button->m_KindFlags & kKindPushButton) != 0;
            GetImageSetPool().ReleaseAllImageSets();
            core->RequestQuit();
        }
    });

    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(imagesLoaded);
    EXPECT_EQ(clicks.size(), 1u);
    EXPECT_TRUE(clickerIsButton) << "the screen's hook sees the button flag of the sender";

    // Three moves while pressed, three reports; the last one outside the window holds the maximum.
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0].event.m_Vector[0].x, 160.0f);
    EXPECT_EQ(changes[2].event.m_Vector[0].x, 1100.0f);
    EXPECT_TRUE(pressedAfterOutsideMove);
    EXPECT_TRUE(releasedAfterOutsideUp) << "the release outside the window ended the drag";
    EXPECT_EQ(valueAfterDrag, 100.0);
    const std::string log = ReadLog(m_Game / "ENGINE_SAVE" / "error.log");
    EXPECT_EQ(log.find("GxTaskUI"), std::string::npos) << log;
}

}  // namespace
}  // namespace engine_test
