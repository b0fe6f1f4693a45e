// The frame and the main-loop pass: logic passes with the elapsed time in the first only, early
// stops, key actions from the input state, the lists of the last pass drawn, and the order of a
// pass (sequence switch, pump, audio every fourth pass, movie poll, frame).
#include "tests/support/engine_fixture.h"

#include "core/debug_window.h"
#include "core/task_render_manage.h"
#include "platform/win32/paint.h"

namespace engine_test {
namespace {

// Queues itself into render list 5 in every logic pass, with the pass as its value.
class QueueingTask : public ProbeTask {
public:
    using ProbeTask::ProbeTask;
    int Render(std::int32_t step, std::uint64_t) override
    {
        m_Manage->GetCore()->GetRenderList(5)->Add(kRenderModeAscending, this, 1.0f, step);
        return 0;
    }
    int Draw(std::int32_t value, std::int32_t list) override
    {
        m_Draws.push_back({value, list});
        return 0;
    }
    std::vector<std::pair<std::int32_t, std::int32_t>> m_Draws;
};

class FrameTest : public CoreFixture {
protected:
    void SetUp() override
    {
        CoreFixture::SetUp();
        m_Screen = StartSequence(u"SeqScreen");
        m_Task = new QueueingTask(m_Screen, u"task", "task", &m_Journal);
        m_Task->m_RecordUpdates = true;
        // 50 ms frames at 60 logic steps per second: three logic passes per frame.
        SteppingClock::step = 50;
        m_Core->Frame();   // the first frame never waits and runs one pass
        m_Journal.clear();
    }
    void TearDown() override
    {
        GxInput::ClearKeyBindings();
        GxInput::ClearAllDeviceStates();
        CoreFixture::TearDown();
    }

    GxSeqBase* m_Screen = nullptr;
    QueueingTask* m_Task = nullptr;
};

TEST_F(FrameTest, LogicPassesGetTheElapsedTimeInTheFirstPassOnly)
{
    m_Core->Frame();
    EXPECT_EQ(m_Journal, (std::vector<std::string>{"task.Update 0 50000", "task.Update 1 0", "task.Update 2 0"}));
    // Only the last pass's lists are drawn.
    ASSERT_EQ(m_Task->m_Draws.size(), 2u);
    EXPECT_EQ(m_Task->m_Draws.back(), std::make_pair(2, 5));
}

TEST_F(FrameTest, APendingSequenceChangeOrAStopRequestEndsTheLogicOfTheFrame)
{
    auto* next = new GxSeqBase(m_Root, u"SeqNext");
    m_Task->m_OnUpdate = [&](std::int32_t step) {
        if (step == 0)
            m_Manage->ChangeSequence(next, 0, 0, 0);
    };
    m_Core->Frame();
    EXPECT_EQ(m_Journal, (std::vector<std::string>{"task.Update 0 50000"}));
    // The change waits for the top of the next main-loop pass.
    EXPECT_EQ(m_Manage->GetWorker(0)->m_Current, m_Screen);
    m_Core->RunMainLoopPass();
    EXPECT_EQ(m_Manage->GetWorker(0)->m_Current, next);

    // A stop request set in a pass ends the frame after that pass, and is cleared for the next.
    m_Manage->ChangeSequence(m_Screen, 0, 0, 0);
    m_Manage->ApplySequenceChanges();
    m_Manage->SetWorkerReady(0);
    m_Journal.clear();
    m_Task->m_OnUpdate = [&](std::int32_t step) {
        if (step == 1)
            m_Manage->SetStopRequest(true);
    };
    m_Core->Frame();
    EXPECT_EQ(m_Journal, (std::vector<std::string>{"task.Update 0 50000", "task.Update 1 0"}));
    m_Task->m_OnUpdate = nullptr;
    m_Journal.clear();
    m_Core->Frame();
    EXPECT_EQ(m_Journal.size(), 3u);
}

TEST_F(FrameTest, KeyActionsAndActiveAxesReachTheTasksInEveryPass)
{
    m_Task->m_RecordUpdates = false;
    // A held key bound to an action, and an active axis on the mouse record (no device polls them).
    constexpr std::int32_t kKeyReturn = 0x1C;
    GxInput::BindKey(kKeyReturn, 5, 1);
    GxInput::GetDeviceState(kInputKeyboard)->m_Down.Set(kKeyReturn);
    GxInput::GetDeviceState(kInputMouse)->m_AxisActive[0] = 1;
    m_Core->Frame();
    EXPECT_EQ(m_Journal, (std::vector<std::string>{"task.KeyAction 0 50000", "task.KeyActionEx 1 0 0",
                                                   "task.KeyAction 1 0", "task.KeyActionEx 1 0 1",
                                                   "task.KeyAction 2 0", "task.KeyActionEx 1 0 2"}));
}

TEST_F(FrameTest, APassAppliesChangesPumpsAndUpdatesAudioEveryFourthPass)
{
    MakeMainWindow(1024, 768);
    SteppingClock::step = 17;
    m_Core->m_PassCounter = 2;
    GxStandinTrace::Clear();
    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE(m_Core->RunMainLoopPass());
    const std::vector<std::string> events = Trace();
    std::vector<int> audioPasses;
    for (int pass = 0, i = 0; i < static_cast<int>(events.size()); ++i) {
        if (events[i] == "MovieSlotTickAll")
            ++pass;
        if (events[i] == "AudioUpdatePlayers") {
            audioPasses.push_back(pass);
            EXPECT_TRUE(InOrder(std::vector<std::string>(events.begin() + i, events.end()),
                                {"AudioUpdatePlayers", "SoundUpdatePlayers", "AudioUpdate3D", "SoundUpdate3D",
                                 "MovieSlotTickAll"}));
        }
    }
    // Counters 2 to 7: only counter 4, the third pass, is a multiple of four.
    EXPECT_EQ(audioPasses, (std::vector<int>{2}));
    EXPECT_EQ(std::count(events.begin(), events.end(), "MovieSlotTickAll"), 6);
    EXPECT_EQ(m_Core->m_PassCounter, 8u);
}

TEST_F(FrameTest, AQuitMessageEndsThePumpButThePassStillRunsItsFrame)
{
    HWND window = MakeMainWindow(1024, 768);
    m_Task->m_RecordUpdates = false;
    PostQuitMessage(0);
    PostMessageW(window, WM_KEYDOWN, 0x41, 0);   // waits behind the quit message
    GxStandinTrace::Clear();
    EXPECT_FALSE(m_Core->RunMainLoopPass());
    EXPECT_EQ(Trace().back(), "MovieSlotTickAll");
    EXPECT_EQ(m_Task->m_Draws.size(), 2u);   // the setup frame and this one
    EXPECT_EQ(platform::QueuedMessageCount(), 1u);
    EXPECT_TRUE(m_Journal.empty());
}

TEST_F(FrameTest, TheDebugWindowIsRepaintedWhenItsLinesChanged)
{
    ResetDebugWindowState();
    ASSERT_TRUE(CreateDebugWindow(GetModuleHandleW(nullptr)));
    HWND debugWindow = GetDebugWindowState().m_Window;
    ShowWindow(debugWindow, SW_SHOWNOACTIVATE);
    ValidateRect(debugWindow, nullptr);
    SetDebugWindowLine(0, u"fps 60\n");
    SetDebugWindowLine(1, u"tasks 3");
    m_Core->Frame();
    EXPECT_EQ(platform::GetPaintedText(debugWindow), u"fps 60\ntasks 3");
    EXPECT_FALSE(GetDebugWindowState().m_Changed);
    GetDebugWindowState().m_Window = nullptr;
}

}  // namespace
}  // namespace engine_test
