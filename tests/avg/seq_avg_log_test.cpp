// [Back-log screen] on the headless UI harness, with a layout of five rows and the paging
// buttons: its tasks, the last page on entering, row texts with and without a speaker, voice
// buttons only for entries with voices, paging by buttons and wheel within the log, "btn_back"
// by wheel and right click (only when the input gate allows), voice replay and the way back.
#include "avg/seq_avg_log.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "data/user_data.h"
#include "tests/support/ui/harness/ui_harness.h"
#include "tests/support/ui/harness/ui_system_fonts.h"
#include "tests/support/ui/ui_layout_builder.h"
#include "ui/task_ui_null.h"
#include "ui/text_window.h"
#include "ui/ui_manage.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int kRows = 5;

// The voices the screen asked to play again, as "char/slot/file".
class RecordingLog : public SeqAvgLog {
public:
    using SeqAvgLog::SeqAvgLog;
    std::vector<std::string> m_Voices;

protected:
    void PlayLogVoice(std::int32_t charID, std::int32_t slot, const std::u16string& file) override
    {
        m_Voices.push_back(std::to_string(charID) + "/" + std::to_string(slot) + "/" +
                           std::string(file.begin(), file.end()));
    }
};

class SeqAvgLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Harness.Ok());
        std::vector<LayoutRow> layout;
        std::int32_t id = 1;
        for (int i = 0; i < kRows; ++i) {
            layout.push_back({id++, u"$UI:SeqAvgLog", u"mod_logwindow", u"tip_logwindow", i, 1, 1, 1, 50.0f,
                              10.0f + 120.0f * i});
            layout.push_back({id++, u"$UI:SeqAvgLog", u"mod_button", u"btn_voiceplay", i, 1, 1, 1, 900.0f,
                              10.0f + 120.0f * i});
        }
        float x = 0.0f;
        for (const char16_t* button : {u"btn_b", u"btn_bb", u"btn_f", u"btn_ff", u"btn_back"}) {
            layout.push_back({id++, u"$UI:SeqAvgLog", u"mod_button", button, 0, 1, 1, 1, x, 700.0f});
            x += 100.0f;
        }
        // A row of another screen stays out.
        layout.push_back({id++, u"$UI:SeqOther", u"mod_button", u"btn_other", 0});
        ASSERT_TRUE(WriteUITables(m_Harness.Folder(),
                                  {{1, kUITypeTextWindow, u"mod_logwindow", u"", u"", 800, 100, 0, 0, 800, 100},
                                   {2, 1, u"mod_button", u"", u"", 40, 20}},
                                  layout));
        ASSERT_TRUE(m_Harness.LoadUITables(m_Harness.Folder()));
        m_Log = new RecordingLog(m_Harness.Root());

        // The play screen's message window with its mode buttons, both on.
        auto* window = new GxTaskUINull(m_Harness.Root(), u"$MESWIN:SeqAvgMain", nullptr, 0);
        m_Skip = new GxTaskUINull(window, nullptr, u"btn_skip", 0);
        m_Auto = new GxTaskUINull(window, nullptr, u"btn_auto", 0);
        m_Skip->SetValueBool(true);
        m_Auto->SetValueBool(true);
    }

    GxUserData& Data() { return *m_Harness.Core().m_UserData; }

    // Entries "m0" … with the speaker "Hero" on even ones and a voice in slot 2 on every third.
    void FillLog(int count)
    {
        Data().m_MessageLog.clear();
        for (int i = 0; i < count; ++i) {
            GxMessageLogElement entry;
            entry.m_Name = i % 2 == 0 ? u"Hero" : u"";
            entry.m_Message = u"m" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10));
            if (i % 3 == 0) {
                entry.m_VoiceFileName[2] = u"voices/v" + std::u16string(1, static_cast<char16_t>(u'0' + i % 10));
                entry.m_VoiceCharID[2] = i;
            }
            Data().m_MessageLog.push_back(entry);
        }
    }

    // Switched into slot 0 after the harness's screen, and ready.
    void Enter()
    {
        ASSERT_TRUE(m_Harness.Manage().ChangeSequence(m_Log, 0, 0, 0));
        m_Harness.Manage().ApplySequenceChanges();
        m_Harness.Step(0);
        ASSERT_TRUE(m_Harness.Manage().IsWorkerReady(0));
    }

    GxTaskUIBase* Widget(const char16_t* name, std::int32_t index)
    {
        auto* ui = dynamic_cast<GxTaskFolder*>(m_Harness.Manage().FindTask(u"$UI:SeqAvgLog"));
        return ui != nullptr ? dynamic_cast<GxTaskUIBase*>(ui->FindTaskLocal(name, index)) : nullptr;
    }
    std::u16string RowText(int row)
    {
        auto* window = dynamic_cast<GxTaskUITextWindowFx*>(Widget(u"tip_logwindow", row));
        return window != nullptr ? window->GetText() : u"<none>";
    }
    bool VoiceShown(int row) { return Widget(u"btn_voiceplay", row)->IsVisible(); }

    // A click notification of the widget handed to the screen's handler; its result.
    int Press(const char16_t* name, std::int32_t index = 0)
    {
        GxTaskUIBase* widget = Widget(name, index);
        EXPECT_NE(widget, nullptr);
        GxUIEventParam event;
        event.m_Sender = widget;
        event.m_Code = 1;
        return m_Log->OnUIEvent(widget, &event);
    }

    UIHarness m_Harness;
    UISystemFonts m_Fonts{m_Harness.Config().m_System};
    RecordingLog* m_Log = nullptr;
    GxTaskUIBase* m_Skip = nullptr;
    GxTaskUIBase* m_Auto = nullptr;
};

TEST_F(SeqAvgLogTest, ConstructionBuildsItsTasksAndTheLayoutRowsOfItsFolder)
{
    GxTaskManage& manage = m_Harness.Manage();
    EXPECT_EQ(manage.FindTask(u"SeqAvgLog"), m_Log);
    ASSERT_NE(manage.FindTask(u"$ROOT:SeqAvgLog"), nullptr);
    EXPECT_EQ(manage.FindTask(u"$ROOT:SeqAvgLog")->GetParent(), m_Log);
    EXPECT_EQ(manage.FindTask(u"$UI:SeqAvgLog")->GetParent(), manage.FindTask(u"$ROOT:SeqAvgLog"));
    auto* background = dynamic_cast<GxTaskLayer*>(manage.FindTask(u"$BGLAYER:SeqAvgLog"));
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(background->GetParent(), manage.FindTask(u"$ROOT:SeqAvgLog"));
    EXPECT_EQ(background->GetOrderZ(), -10.0f);
    EXPECT_TRUE(m_Log->GetAcceptUIEventFlag());
    for (int i = 0; i < kRows; ++i) {
        EXPECT_NE(dynamic_cast<GxTaskUITextWindowFx*>(Widget(u"tip_logwindow", i)), nullptr) << i;
        EXPECT_NE(Widget(u"btn_voiceplay", i), nullptr) << i;
    }
    for (const char16_t* button : {u"btn_b", u"btn_bb", u"btn_f", u"btn_ff", u"btn_back"})
        EXPECT_NE(Widget(button, 0), nullptr);
    EXPECT_EQ(manage.FindTask(u"btn_other"), nullptr);
}

TEST_F(SeqAvgLogTest, EnteringShowsTheLastPageEndsTheModesAndShowsItsPicture)
{
    FillLog(12);
    m_Harness.UI().m_SkipMode = true;
    m_Harness.UI().m_AutoMode = true;
    Enter();
    EXPECT_EQ(m_Log->GetTopRow(), 7);
    const char16_t* expected[kRows] = {u"m7", u"【Hero】%rm8", u"m9", u"【Hero】%rm0", u"m1"};
    const bool voices[kRows] = {false, false, true, false, false};
    for (int i = 0; i < kRows; ++i) {
        EXPECT_EQ(RowText(i), expected[i]) << i;
        EXPECT_EQ(VoiceShown(i), voices[i]) << i;
    }
    EXPECT_FALSE(m_Harness.UI().m_SkipMode);
    EXPECT_FALSE(m_Harness.UI().m_AutoMode);
    EXPECT_FALSE(m_Skip->GetValueBool());
    EXPECT_FALSE(m_Auto->GetValueBool());

    auto* background = dynamic_cast<GxTaskLayer*>(m_Harness.Manage().FindTask(u"$BGLAYER:SeqAvgLog"));
    EXPECT_EQ(background->GetCurrentContent().m_ContentFileName, u"cg/ui/bg_avglog.png");
    EXPECT_FALSE(background->IsInTransit());
    // Leaving releases it.
    m_Harness.Manage().ChangeSequenceByName(u"SeqUITest", 0, 0);
    m_Harness.Manage().ApplySequenceChanges();
    EXPECT_EQ(background->GetCurrentContent().m_ContentFileName, u"");
}

TEST_F(SeqAvgLogTest, AShortLogStartsAtItsFirstEntryAndLeavesTheRestEmpty)
{
    FillLog(3);
    Data().m_MessageLog[1].m_DisenableAutoNewline = true;
    Data().m_MessageLog[1].m_ShowNameByText = false;
    Data().m_MessageLog[2].m_ShowNameByText = true;
    // Stale contents from an earlier visit are cleared.
    for (int i = 0; i < kRows; ++i) {
        Widget(u"btn_voiceplay", i)->Show();
        dynamic_cast<GxTaskUITextWindowFx*>(Widget(u"tip_logwindow", i))->SetText(u"old", false, false);
    }
    Enter();
    EXPECT_EQ(m_Log->GetTopRow(), 0);
    EXPECT_EQ(RowText(0), u"【Hero】%rm0");
    EXPECT_EQ(RowText(1), u"m1");
    EXPECT_EQ(RowText(3), u"");
    EXPECT_EQ(RowText(4), u"");
    const bool voices[kRows] = {true, false, false, false, false};
    for (int i = 0; i < kRows; ++i)
        EXPECT_EQ(VoiceShown(i), voices[i]) << i;
    // The entry's two flags, in their order, reach the window.
    auto* row1 = dynamic_cast<GxTaskUITextWindowFx*>(Widget(u"tip_logwindow", 1));
    auto* row2 = dynamic_cast<GxTaskUITextWindowFx*>(Widget(u"tip_logwindow", 2));
    EXPECT_TRUE(row1->m_IgnoreKinsoku);
    EXPECT_FALSE(row1->m_DisenableAutoNewline);
    EXPECT_FALSE(row2->m_IgnoreKinsoku);
    EXPECT_TRUE(row2->m_DisenableAutoNewline);

    // Nothing to page through: every paging input leaves the top row alone.
    for (const char16_t* button : {u"btn_b", u"btn_bb", u"btn_f", u"btn_ff"})
        EXPECT_EQ(Press(button), 0);
    EXPECT_EQ(m_Harness.Wheel(10, 10, 120), 0);
    EXPECT_EQ(m_Log->GetTopRow(), 0);
}

TEST_F(SeqAvgLogTest, ButtonsAndWheelPageWithinTheLog)
{
    FillLog(12);
    Enter();
    struct Step {
        const char16_t* button;   // null: the wheel
        std::int32_t delta;
        std::int32_t top;
    };
    const Step steps[] = {
        {u"btn_b", 0, 6},  {u"btn_bb", 0, 2}, {u"btn_bb", 0, 0},  {u"btn_b", 0, 0},  {nullptr, 120, 0},
        {nullptr, -120, 1}, {nullptr, -60, 1}, {nullptr, -360, 2}, {u"btn_f", 0, 3}, {u"btn_ff", 0, 7},
        {u"btn_f", 0, 7},   {nullptr, 240, 6}, {u"btn_ff", 0, 7}, {nullptr, 119, 7},
    };
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        const Step& step = steps[i];
        SCOPED_TRACE(i);
        // Neither the paging buttons nor the wheel are consumed.
        if (step.button != nullptr)
            EXPECT_EQ(Press(step.button), 0);
        else
            EXPECT_EQ(m_Harness.Wheel(10, 10, step.delta), 0);
        EXPECT_EQ(m_Log->GetTopRow(), step.top);
    }
    EXPECT_EQ(RowText(0), u"m7");
    EXPECT_FALSE(m_Harness.Manage().IsAnyChangePending());
}

TEST_F(SeqAvgLogTest, BackReturnsToThePreviousScreenFromTheButtonTheWheelOrARightClick)
{
    FillLog(12);
    Enter();
    // The button itself: the only consumed name; queued events are dropped.
    GxUIEventParam queued;
    queued.m_Sender = Widget(u"btn_f", 0);
    queued.m_Code = 1;
    m_Log->PostUIEvent(queued.m_Sender, &queued);
    EXPECT_EQ(Press(u"btn_back"), 1);
    EXPECT_EQ(m_Log->GetQueuedUIEventCount(), 0u);
    const GxSeqWorker* slot = m_Harness.Manage().GetWorker(0);
    ASSERT_TRUE(slot->m_ChangePending);
    EXPECT_EQ(slot->m_PendingName, u"SeqUITest");
    m_Harness.Manage().ApplySequenceChanges();

    // Turning the wheel down on the last page and a right click press it through the queue.
    for (int way = 0; way < 2; ++way) {
        SCOPED_TRACE(way);
        Enter();
        EXPECT_EQ(way == 0 ? m_Harness.Wheel(10, 10, -120) : m_Harness.RightDown(10, 10), 0);
        EXPECT_EQ(m_Log->GetQueuedUIEventCount(), 1u);
        m_Harness.Step(0);
        EXPECT_EQ(m_Harness.Manage().GetWorker(0)->m_PendingName, u"SeqUITest");
        m_Harness.Manage().ApplySequenceChanges();
    }

    // While the input gate refuses the button, nothing is pressed.
    Enter();
    Widget(u"btn_back", 0)->SetEnabled(false);
    EXPECT_EQ(m_Harness.Wheel(10, 10, -120), 0);
    EXPECT_EQ(m_Harness.RightDown(10, 10), 0);
    EXPECT_EQ(m_Log->GetQueuedUIEventCount(), 0u);

    // Without a previous screen on the slot, "btn_back" changes nothing but is still consumed.
    m_Harness.Manage().GetWorker(0)->m_PreviousName.clear();
    EXPECT_EQ(Press(u"btn_back"), 1);
    EXPECT_FALSE(m_Harness.Manage().IsAnyChangePending());
}

TEST_F(SeqAvgLogTest, AVoiceButtonReplaysTheVoicesOfItsRowsEntryInSlotOrder)
{
    FillLog(12);
    GxMessageLogElement& entry = Data().m_MessageLog[9];   // row 2 of the last page
    entry.m_VoiceFileName[0] = u"voices/first";
    entry.m_VoiceCharID[0] = 1;
    entry.m_VoiceFileName[3] = u"voices/last";
    entry.m_VoiceCharID[3] = 3;
    Enter();
    EXPECT_EQ(Press(u"btn_voiceplay", 2), 0);
    EXPECT_EQ(m_Log->m_Voices, (std::vector<std::string>{"1/0/voices/first", "9/2/voices/v9", "3/3/voices/last"}));
    // A row past the log's end has no entry to replay.
    m_Log->m_Voices.clear();
    FillLog(2);
    m_Log->RefreshLogPage();
    EXPECT_EQ(Press(u"btn_voiceplay", 4), 0);
    EXPECT_TRUE(m_Log->m_Voices.empty());
}

}  // namespace
