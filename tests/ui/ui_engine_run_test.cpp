// [Engine] a whole run with the data and widget services installed as the process entry installs
// them: the core makes the real UI state through the widget services, a screen builds its widgets
// from the game folder's layout rows, a fade reports to the screen's hook 25, the modal level
// closes the gate for the widgets below it, and the shut-down deletes everything.
#include "tests/support/ui/ui_engine_run_fixture.h"

#include "tests/support/game_folder.h"
#include "tests/support/ui/harness/ui_harness.h"
#include "tests/support/ui/ui_layout_builder.h"
#include "ui/task_ui_base.h"
#include "ui/task_ui_null.h"
#include "ui/ui_manage.h"
#include "ui/ui_services.h"

#include <typeinfo>

namespace engine_test {
namespace {

class UIRunTest : public UIEngineRunTest {
protected:
    void SetUp() override
    {
        UIEngineRunTest::SetUp();
        m_Run.SetMaxPasses(60);
    }
};

TEST_F(UIRunTest, AScreenBuildsItsWidgetsFromTheGameFolderAndTheyReportAndObeyTheModalLevel)
{
    TestGameFolder game(m_Game);
    game.SysConf({{"APP_TITLE", "UI Test"}, {"APP_SAVEDIR", "ENGINE_SAVE"}, {"SAVE_TO_MYDOCUMENTS", "0"}});
    AddUITables(game,
                {{1, 1, u"null_mod", u"", u"", 100, 40}},
                {{1, u"UIScreen", u"null_mod", u"btn_start", -1, 1, 1, 1, 100.0f, 200.0f},
                 {2, u"UIScreen", u"null_mod", u"btn_local", 0},
                 {3, u"btn_start", u"null_mod", u"btn_inner", -1}});
    game.EmptyTables();
    ASSERT_TRUE(game.Ok());

    GxCore* core = GxCore::GetInstance();
    UITestScreen* screen = nullptr;
    bool realServices = false;
    bool built = false, reported = false, gated = false, fadeStarted = false;
    GxTaskUIBase* start = nullptr;
    int passes = 0;
    m_Module.m_OnCreateSequences = [&](GxTaskBase* root) {
        realServices = core->m_WidgetServices == &GetUIServices() && core->m_UIManage != nullptr;
        screen = new UITestScreen(root, u"UIScreen");
        screen->SetInstantUIEventFlag(true);
        DBUILayout::CreateWidgets(nullptr, u"UIScreen", screen, screen);
        auto* probe = new ProbeTask(core->m_TaskManage->FindTask(u"SeqSystem"), u"probe", "probe", nullptr);
        probe->m_OnUpdate = [&, core](std::int32_t step) {
            if (step != 0)
                return;
            if (++passes == 2)
                core->m_TaskManage->ChangeSequenceByName(u"UIScreen", 0, 0);
            if (!core->m_TaskManage->IsWorkerReady(0) || core->m_TaskManage->GetWorker(0)->m_Current != screen)
                return;
            if (!fadeStarted) {
                start = static_cast<GxTaskUIBase*>(core->m_TaskManage->FindTask(u"btn_start"));
                built = start && typeid(*start) == typeid(GxTaskUINull) && start->GetParent() == screen &&
                        screen->FindTaskLocal(u"btn_local", 0) != nullptr &&
                        core->m_TaskManage->FindTask(u"btn_inner") == nullptr && start->GetWidth() == 100 &&
                        start->m_VisualParam.m_Pos.y == 200.0f;
                if (start)
                    start->AddFadeOutAction(0, 100);
                fadeStarted = true;
                return;
            }
            if (!reported && !screen->EventsOf(25).empty()) {
                reported = screen->EventsOf(25)[0].sender == start;
                auto* ui = static_cast<GxUIManage*>(core->m_UIManage);
                const bool openBefore = screen->IsWidgetInputAllowed(start, 0);
                ui->m_DialogCount = 1;
                const bool closedBelow = !screen->IsWidgetInputAllowed(start, 0);
                start->SetModalFlag(true);
                start->SetModalPriority(1);
                const bool openAtLevel = screen->IsWidgetInputAllowed(start, 0);
                ui->m_DialogCount = 0;
                gated = openBefore && closedBelow && openAtLevel;
                core->RequestQuit();
            }
        };
    };

    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(realServices);
    EXPECT_TRUE(built);
    EXPECT_TRUE(reported);
    EXPECT_TRUE(gated);
    // The shut-down gave the UI state back to the services that made it.
    EXPECT_EQ(core->m_UIManage, nullptr);
    const std::string log = ReadLog(m_Game / "ENGINE_SAVE" / "error.log");
    // Every widget of the screen found its module (the play screen of the module is not this test's).
    EXPECT_EQ(log.find(":UIScreen"), std::string::npos) << log;
}

}  // namespace
}  // namespace engine_test
