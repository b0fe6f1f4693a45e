// [Screens] what every screen shares, on a small screen built on it: the subtree and the layout
// rows it takes, the update's event order, the render entries and the clear, the handler pattern,
// changes by name with their request words, raw clicks and questions through the system layer.
#include "screens/screen_base.h"

#include "core/core.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "core/task_render_manage.h"
#include "foundation/wide_string.h"
#include "graphics/draw2d.h"
#include "graphics/graphics.h"
#include "tests/screens/screen_test_support.h"
#include "tests/support/error_log_capture.h"
#include "ui/task_ui_base.h"
#include "ui/ui_manage.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace screens_test {
namespace {

constexpr char16_t kScreenName[] = u"SeqCheck";

class SeqCheck : public GxScreenBase {
public:
    SeqCheck(GxTaskBase* owner, RenderStyle style) : GxScreenBase(owner, kScreenName, style) {}

    using GxScreenBase::AskUser;
    using GxScreenBase::ChangeScreen;
    using GxScreenBase::ReportRawClick;

    std::vector<std::u16string> m_Seen;    // every name the handler compared
    std::vector<std::u16string> m_Acted;   // the names it acted on

protected:
    bool OnWidgetEvent(GxTaskUIBase*, const std::u16string& name, const GxUIEventParam*) override
    {
        m_Seen.push_back(name);
        if (name == u"btn_a" || name == u"btn_b") {
            m_Acted.push_back(name);
            return true;
        }
        return false;
    }
};

LayoutRow Plate(const char16_t* parent, const char16_t* name, std::int32_t create = 1)
{
    LayoutRow row;
    row.id = 1;
    row.parentName = parent;
    row.moduleName = u"plate";
    row.taskName = name;
    row.create = create;
    return row;
}

std::vector<LayoutRow> CheckLayout()
{
    std::vector<LayoutRow> rows = {Plate(u"$UI:SeqCheck", u"btn_a"), Plate(u"$UI:SeqCheck", u"btn_b"),
                                   Plate(u"$UI:SeqCheck", u"btn_x"), Plate(u"$UI:SeqCheck", u"btn_unmade", 0),
                                   Plate(u"$UI:SeqOther", u"btn_elsewhere")};
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].id = static_cast<std::int32_t>(i) + 1;
    rows[2].left = 300.0f;
    return rows;
}

class ScreenConventions : public ::testing::Test {
protected:
    void Make(GxScreenBase::RenderStyle style = GxScreenBase::RenderStyle::kPlain)
    {
        ASSERT_TRUE(m_H.m_UI.Ok());
        m_System = m_H.MakeSystem();
        m_Screen = new SeqCheck(m_H.m_UI.Root(), style);
    }
    // The check screen in slot 0, switched in and ready.
    void RunInSlotZero()
    {
        GxTaskManage& manage = m_H.m_UI.Manage();
        ASSERT_TRUE(manage.ChangeSequence(m_Screen, 0, 0, 0));
        manage.ApplySequenceChanges();
        manage.SetWorkerReady(0);
        ASSERT_EQ(manage.GetWorker(0)->m_Current, m_Screen);
    }
    GxTaskUIBase* Widget(const char16_t* name) { return m_Screen->FindWidget(name); }

    ScreenHarness m_H{{}, {ScreenModule(u"plate", 8)}, CheckLayout()};
    SeqSystem* m_System = nullptr;
    SeqCheck* m_Screen = nullptr;
};

TEST_F(ScreenConventions, ConstructionBuildsTheSubtreeAndOnlyTheFoldersCreatedRows)
{
    Make();
    GxTaskManage& manage = m_H.m_UI.Manage();
    GxTaskBase* root = manage.FindTask(u"$ROOT:SeqCheck");
    GxTaskBase* ui = manage.FindTask(u"$UI:SeqCheck");
    auto* background = dynamic_cast<GxTaskLayer*>(manage.FindTask(u"$BGLAYER:SeqCheck"));
    ASSERT_NE(root, nullptr);
    ASSERT_NE(ui, nullptr);
    ASSERT_NE(background, nullptr);
    EXPECT_EQ(root->GetParent(), m_Screen);
    EXPECT_EQ(ui->GetParent(), root);
    EXPECT_EQ(background->GetParent(), root);
    EXPECT_EQ(background->m_VisualParam.m_OrderZ, -10.0f);
    EXPECT_TRUE(m_Screen->GetAcceptUIEventFlag());

    for (const char16_t* made : {u"btn_a", u"btn_b", u"btn_x"}) {
        ASSERT_NE(Widget(made), nullptr) << WideToUtf8(made);
        EXPECT_EQ(Widget(made)->GetParent(), ui);
    }
    EXPECT_EQ(manage.FindTask(u"btn_unmade"), nullptr);
    EXPECT_EQ(manage.FindTask(u"btn_elsewhere"), nullptr);
}

TEST_F(ScreenConventions, UpdateHandlesEveryEventOfTheFrameInOrderThenCountsTheFrame)
{
    Make();
    const std::int32_t frames = m_Screen->m_UpdateCount;
    Widget(u"btn_b")->ReportEvent(1);
    Widget(u"btn_a")->ReportEvent(1);
    EXPECT_TRUE(m_Screen->m_Seen.empty());
    EXPECT_EQ(m_Screen->Update(0, 0), 0);
    EXPECT_EQ(m_Screen->m_Acted, (std::vector<std::u16string>{u"btn_b", u"btn_a"}));
    EXPECT_EQ(m_Screen->m_UpdateCount, frames + 1);
    EXPECT_EQ(m_Screen->Update(0, 0), 0);
    EXPECT_EQ(m_Screen->m_Acted.size(), 2u);
}

struct Entry {
    std::int32_t list;
    float depth;
    std::int32_t tag;
    bool operator==(const Entry&) const = default;
};

std::vector<Entry> EntriesOf(GxCore& core, const GxTaskBase* task)
{
    std::vector<Entry> found;
    for (std::int32_t list = 0; list < kRenderListCount; ++list) {
        for (const GxTaskRenderEntry& e : core.GetRenderList(list)->GetEntries()) {
            if (e.m_Task == task)
                found.push_back({list, e.m_Depth, e.m_Value});
        }
    }
    return found;
}

TEST_F(ScreenConventions, RenderQueuesTheClearTheTransitionAndTheOverlay)
{
    struct Case {
        GxScreenBase::RenderStyle style;
        bool transit;
        std::vector<Entry> entries;
    };
    const Case cases[] = {
        {GxScreenBase::RenderStyle::kPlain, false, {{0, 0.0f, 0}}},
        {GxScreenBase::RenderStyle::kPlain, true, {{0, 0.0f, 0}, {9, 0.0f, 1}}},
        {GxScreenBase::RenderStyle::kOverlay, false, {{0, 0.0f, 0}, {5, 13000.0f, 2}}},
        {GxScreenBase::RenderStyle::kOverlay, true, {{0, 0.0f, 0}, {5, 13000.0f, 2}, {9, 0.0f, 1}}},
    };
    ASSERT_TRUE(m_H.m_UI.Ok());
    GxCore& core = m_H.m_UI.Core();
    for (const Case& c : cases) {
        auto* screen = new SeqCheck(m_H.m_UI.Root(), c.style);
        if (c.transit)
            screen->StartTransit(400);
        core.ClearRenderLists();
        EXPECT_EQ(screen->Render(0, 0), 0);
        EXPECT_EQ(EntriesOf(core, screen), c.entries) << static_cast<int>(c.style) << c.transit;
        core.ClearRenderLists();
        screen->Remove();
        m_H.m_UI.Manage().SweepRemovedTasks(m_H.m_UI.Manage().GetRoot());
    }
}

TEST_F(ScreenConventions, DrawTagZeroClearsToTheConfiguredColourAndOtherTagsDoNot)
{
    Make(GxScreenBase::RenderStyle::kOverlay);
    m_H.m_UI.Config().m_System.m_ClearColor = 0xFF336699;
    m_H.m_UI.Config().Refresh();
    BeginSceneNested();
    ClearTarget(kSeqClearFlags, 0xFF000000, 1.0f, 0, nullptr);
    // Tag 2 puts the 2D states back (depth test off).
    GxGraphics::SetZEnable(true);
    EXPECT_EQ(m_Screen->Draw(2, 5), 0);
    DWORD depthTest = 1;
    GxGraphics::GetDevice()->GetRenderState(D3DRS_ZENABLE, &depthTest);
    EXPECT_EQ(depthTest, 0u);
    EXPECT_EQ(m_Screen->Draw(7, 0), 0);
    EndSceneNested();
    EXPECT_EQ(m_H.m_UI.Pixel(10, 10), 0xFF000000u);
    BeginSceneNested();
    EXPECT_EQ(m_Screen->Draw(0, 0), 0);
    EndSceneNested();
    EXPECT_EQ(m_H.m_UI.Pixel(10, 10), 0xFF336699u);
}

TEST_F(ScreenConventions, HandlerTakesThePlayScreensAnswerThenPlaysButtonsThenMatchesNames)
{
    Make();
    RecordingScreenSound& sound = m_H.m_Sound;
    GxUIEventParam event{};

    // The play screen's own question: the base answers and closes it; the screen does nothing.
    m_System->ShowUserDialog(u"SeqAvgMain_USERDIALOG", m_Screen, u"?", 3);
    sound.m_Calls.clear();
    EXPECT_EQ(m_Screen->OnUIEvent(m_H.Child(u"dlg_user", u"btn_dlguser_yes"), &event), 0);
    EXPECT_TRUE(m_Screen->m_Seen.empty());
    EXPECT_FALSE(m_System->IsUserDialogActive());
    EXPECT_EQ(sound.m_Calls, std::vector<std::string>{"sound 3 -1"});

    // A button plays its sound first, whether or not the screen knows its name.
    struct Case {
        const char16_t* name;
        bool button;
        int result;
        std::vector<std::string> sounds;
    };
    const Case cases[] = {
        {u"btn_a", true, 1, {"sound 0 4"}},
        {u"btn_a", false, 1, {}},
        {u"btn_x", true, 0, {"sound 0 4"}},
        {u"btn_x", false, 0, {}},
    };
    for (const Case& c : cases) {
        GxTaskUIBase* widget = Widget(c.name);
        widget->SetSystemSoundID(4);
        if (c.button)
            widget->m_KindFlags |= kKindPushButton;
        else
            widget->m_KindFlags &= ~kKindPushButton;
        sound.m_Calls.clear();
        m_Screen->m_Acted.clear();
        EXPECT_EQ(m_Screen->OnUIEvent(widget, &event), c.result) << WideToUtf8(c.name) << c.button;
        EXPECT_EQ(sound.m_Calls, c.sounds) << WideToUtf8(c.name) << c.button;
        EXPECT_EQ(m_Screen->m_Acted.size(), c.result == 1 ? 1u : 0u);
    }
}

TEST_F(ScreenConventions, ChangesGoByNameWithTheirRequestWordsAndAMissingScreenIsLoggedEachTime)
{
    Make();
    RunInSlotZero();
    GxTaskManage& manage = m_H.m_UI.Manage();
    TestErrorLogCapture log;

    EXPECT_FALSE(m_Screen->ChangeScreen(u"SeqNowhere"));
    EXPECT_FALSE(m_Screen->ChangeScreen(u"SeqNowhere"));
    manage.ApplySequenceChanges();
    const std::string line = "遷移先のシーケンスが見つかりません(SeqNowhere)\n";
    EXPECT_EQ(std::count(log.Lines().begin(), log.Lines().end(), line), 2);
    EXPECT_EQ(manage.GetWorker(0)->m_Current, m_Screen);

    auto* target = new RecordingSeq(m_H.m_UI.Root(), u"SeqTarget");
    EXPECT_TRUE(m_Screen->ChangeScreen(u"SeqTarget", 0, 6));
    manage.ApplySequenceChanges();
    EXPECT_EQ(manage.GetWorker(0)->m_Current, target);
    EXPECT_EQ(target->m_Words[0], 0);
    EXPECT_EQ(target->m_Words[1], 6);
}

TEST_F(ScreenConventions, RawClicksBecomeEventsOnlyWithoutDialogsAndThroughTheInputGate)
{
    Make();
    RunInSlotZero();
    GxTaskUIBase* caller = Widget(u"btn_a");
    GxUIManage& ui = m_H.m_UI.UI();

    ui.m_DialogCount = 1;
    EXPECT_EQ(m_Screen->ReportRawClick(caller, 2), 0);
    ui.m_DialogCount = 0;
    caller->Suspend();
    EXPECT_EQ(m_Screen->ReportRawClick(caller, 2), 0);
    caller->Resume();
    ui.m_UIHold[0] = 1;
    EXPECT_EQ(m_Screen->ReportRawClick(caller, 2), 0);
    ui.m_UIHold[0] = 0;
    m_Screen->Update(0, 0);
    EXPECT_TRUE(m_Screen->m_Seen.empty());

    EXPECT_EQ(m_Screen->ReportRawClick(caller, 1), 1);
    m_Screen->Update(0, 0);
    EXPECT_EQ(m_Screen->m_Acted, std::vector<std::u16string>{u"btn_a"});
}

TEST_F(ScreenConventions, QuestionsGoThroughTheSystemLayerAndTheAnswerComesBack)
{
    Make();
    RunInSlotZero();
    ASSERT_TRUE(m_Screen->AskUser(u"SeqCheck_CONFIRM", u"Sure?", 3));
    EXPECT_TRUE(m_System->IsUserDialogActive());
    EXPECT_EQ(m_System->GetUserDialogTag(), u"SeqCheck_CONFIRM");
    EXPECT_EQ(m_System->GetUserDialogOpener(), m_Screen);
    m_H.Child(u"dlg_user", u"btn_dlguser_yes")->ReportEvent(1);
    m_Screen->Update(0, 0);
    EXPECT_EQ(m_Screen->m_Seen, std::vector<std::u16string>{u"btn_dlguser_yes"});
    // Answers to other questions are the screen's own: the dialog stays until it closes it.
    EXPECT_TRUE(m_System->IsUserDialogActive());
}

}  // namespace
}  // namespace screens_test
