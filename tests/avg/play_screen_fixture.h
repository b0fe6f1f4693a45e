// The play screen on the headless UI harness: the message window, the name window, the choice
// buttons' module and the window's child buttons as layout and module rows read by the real table
// reader, characters set in the character table, the global render target and the module's
// transition graphics, and the engine core's task manager lent to the harness's (the module
// services find the play screen through it). The screen counts its skip and auto steps.
#pragma once

#include "avg/avg_transit_graphics.h"
#include "avg/global_render_target.h"
#include "avg/seq_avg_main.h"
#include "core/core.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "data/data_tables.h"
#include "data/db_avgchar.h"
#include "data/user_data_perman.h"
#include "platform/win32/keyboard.h"
#include "tests/support/error_log_capture.h"
#include "tests/support/ui/harness/ui_harness.h"
#include "tests/support/ui/message_window_rows.h"
#include "tests/support/ui/ui_layout_builder.h"
#include "ui/message_window.h"
#include "ui/task_ui_base.h"
#include "ui/ui_manage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace play_screen_test {

class CountingPlayScreen : public SeqAvgMain {
public:
    using SeqAvgMain::SeqAvgMain;
    void StepSkip() override { ++m_Skips; }
    void StepAuto(std::int32_t ms) override { m_AutoSteps.push_back(ms); }
    int OnUIEvent(GxTaskUIBase*, const GxUIEventParam*) override { return m_UIEventResult; }
    using SeqAvgMain::GetChoiceButton;
    using SeqAvgMain::GetWindowButton;

    int m_Skips = 0;
    int m_UIEventResult = 0;
    std::vector<std::int32_t> m_AutoSteps;
};

inline std::vector<ModuleRow> PlayScreenModules()
{
    return {
        MessageWindowModuleRow(),
        {2, 11, u"tip_namewindow", u"", u"", 200, 40, 0, 0, 200, 40, 0, 2},
        {3, 21, u"btn_select0", u"", u"", 601, 40, 0, 0, 601, 40, 0, 2},
        {4, 1, u"null_mod", u"", u"", 10, 10},
    };
}

inline std::vector<LayoutRow> PlayScreenLayouts()
{
    LayoutRow message = MessageWindowLayoutRow(u"SeqAvgMain");
    message.orderZ = 15000.0f;
    std::vector<LayoutRow> rows = {message};
    rows.push_back({2, u"SeqAvgMain", u"tip_namewindow", u"$NAMEWIN:SeqAvgMain", -1, 1, 1, 1, 72.0f, 500.0f, 15001.0f});
    std::int32_t id = 3;
    for (const char16_t* child : {u"icon_wait", u"btn_save", u"btn_load", u"btn_qsave", u"btn_qload", u"btn_rend",
                                  u"btn_auto", u"btn_skip"})
        rows.push_back({id++, u"$MESWIN:SeqAvgMain", u"null_mod", child, 0});
    return rows;
}

class PlayScreenTest : public ::testing::Test {
protected:
    PlayScreenTest()
        : m_Core(*GxCore::GetInstance()), m_PreviousManage(m_Core.m_TaskManage), m_PreviousUI(m_Core.m_UIManage),
          m_PreviousData(m_Core.m_UserData)
    {
    }
    void SetUp() override
    {
        ASSERT_TRUE(m_Harness.Ok());
        m_Core.m_TaskManage = &m_Harness.Manage();
        m_Core.m_UIManage = &m_Harness.UI();
        m_Core.m_UserData = m_Harness.Core().m_UserData;
        m_Harness.Core().m_UserDataPerman = &m_Perman;
        CreateGlobalRenderTarget();
        InstallAvgTransitGraphics();
        platform::ClearVirtualKeyState();
    }
    void TearDown() override
    {
        platform::ClearVirtualKeyState();
        ReleaseAvgTransitGraphics();
        ReleaseGlobalRenderTarget();
        ResetDataTables();
        m_Core.m_TaskManage = m_PreviousManage;
        m_Core.m_UIManage = m_PreviousUI;
        m_Core.m_UserData = m_PreviousData;
    }

    // The tables, the characters by row, then the screen (not entered).
    CountingPlayScreen* Build(const std::vector<ModuleRow>& modules = PlayScreenModules(),
                              const std::vector<LayoutRow>& layouts = PlayScreenLayouts(),
                              const std::vector<std::u16string>& characters = {u"hero", u"heroine"})
    {
        EXPECT_TRUE(WriteUITables(m_Harness.Folder(), modules, layouts));
        EXPECT_TRUE(m_Harness.LoadUITables(m_Harness.Folder()));
        for (std::size_t i = 0; i < characters.size(); ++i)
            GetDBAvgChar().GetRow(static_cast<std::int32_t>(i) + 1)->m_CharName = characters[i];
        m_Screen = new CountingPlayScreen(m_Harness.Root());
        return m_Screen;
    }
    // The screen in slot 0, switched in and ready.
    void Enter()
    {
        ASSERT_TRUE(m_Harness.Manage().ChangeSequence(m_Screen, 0, 0, 0));
        m_Harness.Manage().ApplySequenceChanges();
        m_Harness.Step(0);
        ASSERT_TRUE(m_Harness.Manage().IsWorkerReady(0));
    }

    GxTaskBase* Find(const char16_t* name) { return m_Harness.Manage().FindTask(name); }
    GxTaskLayer* Layer(const char16_t* name) { return dynamic_cast<GxTaskLayer*>(Find(name)); }
    GxUserData& Data() { return *m_Harness.Core().m_UserData; }
    GxUIManage& UI() { return m_Harness.UI(); }

    GxCore& m_Core;
    GxTaskManage* m_PreviousManage;
    GxUIManage* m_PreviousUI;
    GxUserData* m_PreviousData;
    TestErrorLogCapture m_Log;
    UIHarness m_Harness;
    GxUserDataPerman m_Perman;
    CountingPlayScreen* m_Screen = nullptr;
};

}  // namespace play_screen_test
