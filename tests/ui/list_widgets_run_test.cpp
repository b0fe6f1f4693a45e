// [Engine] the list widgets in a whole run: a screen built from layout rows, driven by scripted
// input through the window: the wheel scrolls a list box one row, a click on a menu row reaches
// the screen as event 15, and a right press anywhere closes an opened drop menu.
#include "tests/support/ui/ui_engine_run_fixture.h"

#include "tests/support/game_folder.h"
#include "tests/support/ui/harness/ui_harness.h"
#include "tests/support/ui/ui_layout_builder.h"
#include "ui/ui_drop_menu.h"
#include "ui/ui_list_box.h"
#include "ui/ui_manage.h"
#include "ui/ui_menu.h"
#include "ui/ui_services.h"

namespace engine_test {
namespace {

class ListWidgetsRunTest : public UIEngineRunTest {
protected:
    void SetUp() override
    {
        UIEngineRunTest::SetUp();
        m_Run.SetMaxPasses(140);
    }
};

TEST_F(ListWidgetsRunTest, ScriptedWheelClickAndRightPressReachTheListWidgets)
{
    TestGameFolder game(m_Game);
    game.SysConf({{"APP_TITLE", "UI Test"}, {"APP_SAVEDIR", "ENGINE_SAVE"}, {"SAVE_TO_MYDOCUMENTS", "0"}});
    AddUITables(game,
                {{1, 50, u"list_mod", u"", u"", 200, 174, 6, 4, 0, 0, 0, 1},
                 {2, 40, u"menu_mod", u"", u"", 200, 20, 10, 2, 150, 16, 0, 1},
                 {3, 48, u"drop_mod", u"", u"", 100, 80}},
                {{1, u"ListScreen", u"list_mod", u"list", -1, 1, 1, 1, 100.0f, 100.0f},
                 {2, u"ListScreen", u"menu_mod", u"menu", -1, 1, 1, 1, 400.0f, 100.0f},
                 {3, u"ListScreen", u"drop_mod", u"drop", -1, 1, 1, 1, 700.0f, 100.0f}});
    game.EmptyTables();
    ASSERT_TRUE(game.Ok());
    // The screen is in and ready well before pass 60.
    ASSERT_TRUE(m_Run.ParseInputScript("60 move 150 150\n"
                                       "61 wheel 2\n"
                                       "64 ldown 420 125\n"
                                       "65 lup 420 125\n"
                                       "70 rdown 10 10\n"
                                       "71 rup 10 10\n",
                                       nullptr));

    GxCore* core = GxCore::GetInstance();
    UITestScreen* screen = nullptr;
    GxTaskUIListBoxFx* list = nullptr;
    GxTaskUIMenuIs* menu = nullptr;
    GxTaskUIDropMenuIs* drop = nullptr;
    bool readyBeforeInput = false, filled = false, opened = false, menuReported = false;
    double valueAfterWheel = -1.0;
    int closedAt = -1, pressAt = -1;
    BuildUIScreenWithProbe(u"ListScreen", nullptr, screen, [&, core](int passes) {
        if (!core->m_TaskManage->IsWorkerReady(0) || core->m_TaskManage->GetWorker(0)->m_Current != screen)
            return;
        auto* ui = static_cast<GxUIManage*>(core->m_UIManage);
        if (!filled) {
            list = static_cast<GxTaskUIListBoxFx*>(core->m_TaskManage->FindTask(u"list"));
            menu = static_cast<GxTaskUIMenuIs*>(core->m_TaskManage->FindTask(u"menu"));
            drop = static_cast<GxTaskUIDropMenuIs*>(core->m_TaskManage->FindTask(u"drop"));
            if (!list || !menu || !drop)
                return;
            for (int i = 0; i < 30; ++i)
                list->AddItem(u"row", u"", 0, u"", i, u"");
            list->SetValueInt(5);
            for (int i = 0; i < 3; ++i)
                menu->AddItem(u"item", u"", i, u"");
            readyBeforeInput = core->m_UnattendedRun->GetPassCount() < 60;
            filled = true;
            return;
        }
        if (valueAfterWheel < 0.0 && core->m_UnattendedRun->GetPassCount() > 62)
            valueAfterWheel = list->GetValue();
        if (!opened && !screen->EventsOf(15).empty()) {
            const UITestEvent e = screen->EventsOf(15)[0];
            menuReported = e.sender == menu && e.event.m_Value1 == 0;
            // What a screen does to open its drop menu.
            drop->Resume();
            drop->SetModalPriority(1);
            drop->SetOpenFlag(true);
            ++ui->m_DialogCount;
            opened = true;
        }
        if (opened && pressAt < 0 && !drop->GetOpenFlag())
            pressAt = passes;
        if (pressAt >= 0 && closedAt < 0 && drop->IsSuspended()) {
            closedAt = passes;
            core->RequestQuit();
        }
    });

    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(readyBeforeInput);
    EXPECT_EQ(valueAfterWheel, 4.0);
    EXPECT_TRUE(menuReported);
    ASSERT_GE(pressAt, 0);
    ASSERT_GE(closedAt, 0);
    // 300 ms of 17 ms frames.
    EXPECT_LE(closedAt - pressAt, 19);
    EXPECT_EQ(core->m_UIManage, nullptr);
}

}  // namespace
}  // namespace engine_test
