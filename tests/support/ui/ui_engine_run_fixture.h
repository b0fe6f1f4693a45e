// Whole engine runs with the data and widget subsystems installed, as the ui engine-run tests
// need them; the widget services are taken out of the core again at the end. Header-only, for
// test programs (GoogleTest).
#pragma once

#include "tests/support/engine_run_fixture.h"

#include "data/db_uilayout.h"
#include "tests/support/ui/harness/ui_harness.h"
#include "ui/ui_services.h"

#include <functional>

namespace engine_test {

class UIEngineRunTest : public EngineRunTest {
protected:
    void SetUp() override
    {
        EngineRunTest::SetUp();
        UseDataServices();
        InstallUIServices();
    }
    void TearDown() override
    {
        GxCore::GetInstance()->m_WidgetServices = nullptr;
        EngineRunTest::TearDown();
    }

    // At the sequences' creation: the screen `name` (in `screen`) with its widgets from the
    // layout rows and UI events delivered at once, and a probe in the system screen that lets the
    // pointer through, switches to the screen on pass 2 and calls `onPass` with the pass number
    // at step 0 of every update. `beforeScreen` runs first (pooling the image sets).
    void BuildUIScreenWithProbe(const char16_t* name, std::function<void()> beforeScreen, UITestScreen*& screen,
                                std::function<void(int)> onPass)
    {
        m_Module.m_OnCreateSequences = [this, name, beforeScreen, &screen, onPass](GxTaskBase* root) {
            GxCore* core = GxCore::GetInstance();
            if (beforeScreen)
                beforeScreen();
            screen = new UITestScreen(root, name);
            screen->SetInstantUIEventFlag(true);
            DBUILayout::CreateWidgets(nullptr, name, screen, screen);
            auto* probe = new ProbeTask(core->m_TaskManage->FindTask(u"SeqSystem"), u"probe", "probe", nullptr);
            probe->m_ConsumeMouse = 0;
            probe->m_OnUpdate = [this, core, name, onPass](std::int32_t step) {
                if (step != 0)
                    return;
                ++m_Passes;
                if (m_Passes == 2)
                    core->m_TaskManage->ChangeSequenceByName(name, 0, 0);
                onPass(m_Passes);
            };
        };
    }

    // Takes the module's play screen out of the tree at once, for a test that builds the play
    // screen's parts under their names itself (below the module).
    static void RemoveModulePlayScreen()
    {
        GxTaskManage* manage = GxCore::GetInstance()->m_TaskManage;
        if (GxTaskBase* screen = manage->FindTask(u"SeqAvgMain"))
            screen->Remove();
        // Held tasks let go one sweep at a time.
        for (int sweep = 0; sweep < 8 && manage->FindTask(u"$VISUAL:SeqAvgMain") != nullptr; ++sweep)
            manage->SweepRemovedTasks(manage->GetRoot());
    }

    int m_Passes = 0;
};

}  // namespace engine_test
