// [Engine] the message line's road without the script engine: a whole engine run on a game folder
// with the message window's rows and frame, a play-screen stand-in that drives the window as the
// play screen does (letter margin, SetText per line, Advance on a click and the next line when
// it finishes the page), scripted clicks and a bounded run. The last frame shows the second line.
#include "tests/support/ui/ui_engine_run_fixture.h"

#include "data/system_config.h"
#include "tests/support/game_folder.h"
#include "tests/support/ui/harness/ui_harness.h"
#include "tests/support/ui/message_window_rows.h"
#include "tests/support/ui/ui_layout_builder.h"
#include "ui/message_window.h"
#include "ui/ui_services.h"

#include <string>
#include <vector>

namespace engine_test {
namespace {

struct Line {
    std::u16string text;
    bool read;
};

// Drives the window from its click reports, as the play screen drives it from clicks. Its window
// has a name of its own: the module's play screen "SeqAvgMain" exists beside it.
class PlayScreenStandin : public UITestScreen {
public:
    PlayScreenStandin(GxTaskBase* owner, std::vector<Line> lines)
        : UITestScreen(owner, u"SeqMessageRun"), m_Lines(std::move(lines))
    {
        SetInstantUIEventFlag(true);
    }

    void Start(GxCore* core)
    {
        m_Window = dynamic_cast<GxTaskUIMessageWindowFx*>(core->m_TaskManage->FindTask(u"$MESWIN:SeqMessageRun"));
        if (!m_Window)
            return;
        m_Window->SetLetterMarginWidth(core->m_SystemConfig->m_MesWinLetterMarginWidth);
        ShowLine(0);
    }

    int OnUIEvent(GxTaskUIBase* sender, const GxUIEventParam* event) override
    {
        UITestScreen::OnUIEvent(sender, event);
        if (sender == m_Window && m_Window->Advance() && m_Line + 1 < m_Lines.size())
            ShowLine(m_Line + 1);
        return 1;
    }

    GxTaskUIMessageWindowFx* m_Window = nullptr;
    std::size_t m_Line = 0;

private:
    void ShowLine(std::size_t index)
    {
        m_Line = index;
        m_Window->SetText(m_Lines[index].text.c_str(), true, m_Lines[index].read, false, false);
    }

    std::vector<Line> m_Lines;
};

class MessageWindowRunTest : public UIEngineRunTest {};

TEST_F(MessageWindowRunTest, AClickFinishesTheFirstLineAndTheReadSecondLineShowsWhole)
{
    TestGameFolder game(m_Game);
    game.SysConf({{"APP_TITLE", "Message Test"}, {"APP_SAVEDIR", "MESSAGE_SAVE"}, {"SAVE_TO_MYDOCUMENTS", "0"}});
    LayoutRow window = MessageWindowLayoutRow(u"SeqMessageRun");
    window.taskName = u"$MESWIN:SeqMessageRun";
    AddUITables(game, {MessageWindowModuleRow()}, {window});
    game.EmptyTables();
    ASSERT_TRUE(game.Ok());
    ASSERT_TRUE(WriteMessageWindowFrame(m_Game / "cg" / "ui"));
    const std::u16string second = u"かきくけこさ";

    GxCore* core = GxCore::GetInstance();
    PlayScreenStandin* screen = nullptr;
    int passes = 0;
    bool secondLineSeen = false;
    std::uint32_t shownAtFirstPass = 0;   // characters of the second line in its first pass
    std::vector<std::uint32_t> frame;
    UINT width = 0, height = 0;
    m_Module.m_OnCreateSequences = [&](GxTaskBase* root) {
        screen = new PlayScreenStandin(root, {{u"あいう", false}, {second, true}});
        DBUILayout::CreateWidgets(nullptr, u"SeqMessageRun", screen, screen);
        screen->Start(core);
        auto* probe = new ProbeTask(core->m_TaskManage->FindTask(u"SeqSystem"), u"probe", "probe", nullptr);
        probe->m_ConsumeMouse = 0;   // the clicks are the window's
        probe->m_OnUpdate = [&, core](std::int32_t step) {
            if (step != 0)
                return;
            if (++passes == 2)
                core->m_TaskManage->ChangeSequenceByName(u"SeqMessageRun", 0, 0);
            if (passes == 55)
                platform::d3d9::ReadBackBuffer(GxGraphics::GetDevice(), frame, width, height);
            if (screen->m_Line == 1 && !secondLineSeen) {
                secondLineSeen = true;
                shownAtFirstPass = screen->m_Window->GetShowCharCount();
            }
        };
    };
    // The first line (three characters at 60 ms, 17 ms passes) is waiting for its click by pass 40.
    std::string error;
    ASSERT_TRUE(m_Run.ParseInputScript("40 move 300 600\n40 ldown 300 600\n41 lup 300 600\n", &error)) << error;
    m_Run.SetMaxPasses(60);

    EXPECT_EQ(Run(), 0);   // the screen went with the engine: only what the probe kept is left
    EXPECT_TRUE(secondLineSeen);
    EXPECT_EQ(shownAtFirstPass, second.size());

    // A late frame: every character of the second line in its cell at 112 + 27 n, 575.
    ASSERT_EQ(width, 1024u);
    ASSERT_EQ(frame.size(), std::size_t(1024) * height);
    const auto pixel = [&](int x, int y) { return frame[static_cast<std::size_t>(y) * width + x] & 0xFFFFFF; };
    for (std::size_t n = 0; n < second.size(); ++n) {
        const int left = 112 + 27 * static_cast<int>(n);
        int ink = 0;
        for (int y = 575; y < 598; ++y)
            for (int x = left; x < left + 23; ++x)
                ink += pixel(x, y) != (kMessageFrameColor & 0xFFFFFF);
        EXPECT_GT(ink, 10) << "character " << n;
    }
    // Past the line, only the frame.
    EXPECT_EQ(pixel(112 + 27 * 7, 585), kMessageFrameColor & 0xFFFFFF);
}

}  // namespace
}  // namespace engine_test
