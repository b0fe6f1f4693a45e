// [Engine] the play screen's state and a notice in a running engine: a game folder, the data and
// widget services installed, a test module that builds the play-screen parts in a screen of its
// own. Mid-run the game is saved, the name window emptied and the game loaded through
// SaveGameData and LoadGameData; a later frame shows the name again. A notice queued at the
// start is at rest at the top right in a frame taken during its hold.
#include "tests/support/ui/ui_engine_run_fixture.h"

#include "data/user_data.h"
#include "foundation/wide_string.h"
#include "tests/support/game_folder.h"
#include "tests/support/ui/harness/play_screen_tree.h"
#include "tests/support/ui/harness/ui_harness.h"
#include "tests/support/ui/ui_layout_builder.h"
#include "ui/ui_notice_panel.h"
#include "ui/ui_services.h"
#include "ui/ui_text_panel_fx.h"

#include <string>
#include <vector>

namespace engine_test {
namespace {

class PlayScreenRunTest : public UIEngineRunTest {};

// White pixels inside the rectangle of a frame.
int Ink(const std::vector<std::uint32_t>& frame, UINT width, int left, int top, int right, int bottom)
{
    int ink = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            ink += (frame[static_cast<std::size_t>(y) * width + x] & 0xFFFFFF) == 0xFFFFFF;
    return ink;
}

TEST_F(PlayScreenRunTest, ASavedGameBringsTheWindowsBackAndANoticeRestsAtTheTopRight)
{
    TestGameFolder game(m_Game);
    game.SysConf({{"APP_TITLE", "Play Test"}, {"APP_SAVEDIR", "PLAY_SAVE"}, {"SAVE_TO_MYDOCUMENTS", "0"}});
    game.EmptyTables();
    ASSERT_TRUE(game.Ok());
    const std::u16string slot = Utf8ToWide((m_Temp.Path() / "gamedata001.gd").string());

    GxCore* core = GxCore::GetInstance();
    UITestScreen* screen = nullptr;
    PlayScreenTree tree;
    GxTaskUINoticePanelFx* notice = nullptr;
    int passes = 0;
    bool saved = false, loaded = false;
    GxVector3 noticeAtHold;
    std::vector<std::uint32_t> emptied, restored, hold;
    UINT width = 0, height = 0;
    m_Module.m_OnCreateSequences = [&](GxTaskBase* root) {
        RemoveModulePlayScreen();
        screen = new UITestScreen(root, u"SeqPlayRun");
        tree = BuildPlayScreenTree(screen, {});
        tree.nameWindow->SetPos(GxVector3(100.0f, 500.0f, 0.0f));
        tree.nameWindow->SetClientRect(0, 0, 200, 40);
        tree.nameWindow->SetText(u"NAME");
        notice = new GxTaskUINoticePanelFx(screen, u"notice", nullptr, 0);
        notice->SetWidth(300);
        notice->SetHeight(40);
        notice->SetClientRect(0, 0, 300, 40);
        notice->SetText(u"NOTICE");
        notice->Hide();
        auto* probe = new ProbeTask(core->m_TaskManage->FindTask(u"SeqSystem"), u"probe", "probe", nullptr);
        probe->m_OnUpdate = [&, core](std::int32_t step) {
            if (step != 0)
                return;
            ++passes;
            if (passes == 2)
                core->m_TaskManage->ChangeSequenceByName(u"SeqPlayRun", 0, 0);
            if (passes == 5)
                GxTaskUINoticePanelFx::QueueShowActions(1500, notice);
            if (passes == 40) {   // about 600 ms into the show: in its hold
                noticeAtHold = notice->GetPos();
                platform::d3d9::ReadBackBuffer(GxGraphics::GetDevice(), hold, width, height);
            }
            if (passes == 50) {
                saved = SaveGameData(core->m_UserData, slot, true);
                tree.nameWindow->SetText(u"");
            }
            if (passes == 52)
                platform::d3d9::ReadBackBuffer(GxGraphics::GetDevice(), emptied, width, height);
            if (passes == 53)
                loaded = LoadGameData(core->m_UserData, slot, true);
            if (passes == 56)
                platform::d3d9::ReadBackBuffer(GxGraphics::GetDevice(), restored, width, height);
        };
    };
    m_Run.SetMaxPasses(60);
    EXPECT_EQ(Run(), 0);

    EXPECT_TRUE(saved);
    EXPECT_TRUE(loaded);
    ASSERT_EQ(width, 1024u);
    EXPECT_EQ(noticeAtHold.x, 716.0f);
    EXPECT_EQ(noticeAtHold.y, 8.0f);
    ASSERT_EQ(hold.size(), std::size_t(1024) * height);
    EXPECT_GT(Ink(hold, width, 716, 8, 1016, 48), 20) << "the notice's text at rest";
    EXPECT_EQ(Ink(hold, width, 0, 8, 700, 48), 0);
    ASSERT_EQ(emptied.size(), restored.size());
    EXPECT_EQ(Ink(emptied, width, 100, 500, 300, 540), 0);
    EXPECT_GT(Ink(restored, width, 100, 500, 300, 540), 20) << "the name window's text is back";
}

}  // namespace
}  // namespace engine_test
