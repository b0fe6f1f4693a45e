// [UI state] ending the auto and skip modes, and the reset walk of the widgets' event states.
#include "ui_test_support.h"

#include "ui/task_ui_null.h"

namespace ui_test {
namespace {

class UIManageTest : public UIHarnessTest {
protected:
    // A play-screen folder holding its mode button under a local name.
    RecordingWidget* Button(GxTaskBase* holder, const char16_t* name)
    {
        return new RecordingWidget(holder, nullptr, name, 0);
    }
};

TEST_F(UIManageTest, EndingAModeClearsItsButtonOnlyWhenTheModeWasOn)
{
    struct Mode {
        const char16_t* button;
        bool GxUIManage::*flag;
        void (GxUIManage::*end)(GxTaskBase*);
    };
    const Mode modes[] = {{u"btn_auto", &GxUIManage::m_AutoMode, &GxUIManage::EndAutoMode},
                          {u"btn_skip", &GxUIManage::m_SkipMode, &GxUIManage::EndSkipMode}};
    for (const Mode& mode : modes) {
        GxUIManage ui;
        auto* holder = new GxTaskActor(Screen(), nullptr, nullptr, 0);
        RecordingWidget* button = Button(holder, mode.button);
        RecordingWidget* other = Button(holder, mode.button == std::u16string(u"btn_auto") ? u"btn_skip" : u"btn_auto");

        (ui.*mode.end)(holder);   // already off: the button is left alone
        EXPECT_TRUE(button->m_Calls.empty());

        ui.*mode.flag = true;
        (ui.*mode.end)(nullptr);   // no task: the mode goes off, no widget is touched
        EXPECT_FALSE(ui.*mode.flag);
        EXPECT_TRUE(button->m_Calls.empty());

        ui.*mode.flag = true;
        button->SetValueBool(true);
        button->m_Calls.clear();
        (ui.*mode.end)(holder);
        EXPECT_FALSE(ui.*mode.flag);
        EXPECT_EQ(button->m_Calls, (std::vector<std::string>{"SetValueBool false"}));
        EXPECT_FALSE(button->GetValueBool());
        EXPECT_TRUE(other->m_Calls.empty());

        // A task without the button: the mode goes off and nothing else happens.
        auto* empty = new GxTaskActor(Screen(), nullptr, nullptr, 0);
        LogCapture log;
        ui.*mode.flag = true;
        (ui.*mode.end)(empty);
        EXPECT_FALSE(ui.*mode.flag);
        EXPECT_TRUE(log.m_Errors.empty());
    }
}

TEST_F(UIManageTest, TheResetWalkVisitsChildrenBeforeParentsAndTheFollowingSiblings)
{
    std::vector<std::string> journal;
    auto widget = [&](GxTaskBase* parent, const char16_t* name) {
        auto* w = new RecordingWidget(parent, name);
        w->m_Journal = &journal;
        w->m_EventState = 1;
        w->m_HoverCount = 1;
        return w;
    };
    RecordingWidget* before = widget(Screen(), u"before");
    RecordingWidget* a = widget(Screen(), u"a");
    widget(a, u"a1");
    auto* folder = new GxTaskActor(a, u"folder", nullptr, 0);   // no widget, but walked through
    widget(folder, u"a2");
    RecordingWidget* b = widget(Screen(), u"b");
    widget(b, u"b1");

    GxUIManage::ResetEventStateTree(a);
    EXPECT_EQ(journal, (std::vector<std::string>{"a1", "a2", "a", "b1", "b"}));
    EXPECT_EQ(a->m_EventState, 0);
    EXPECT_EQ(b->m_HoverCount, 0);
    EXPECT_EQ(before->m_EventState, 1);   // before the given task: not visited

    // A tree without widgets is left as it is.
    auto* plain = new GxTaskActor(Screen(), u"plain", nullptr, 0);
    new GxTaskActor(plain, nullptr, nullptr, 0);
    journal.clear();
    GxUIManage::ResetEventStateTree(plain);
    EXPECT_TRUE(journal.empty());
    GxUIManage::ResetEventStateTree(nullptr);
}

TEST_F(UIManageTest, ANewStateIsAllZero)
{
    const GxUIManage ui;
    EXPECT_EQ(ui.m_DialogCount, 0);
    EXPECT_FALSE(ui.m_AutoMode);
    EXPECT_FALSE(ui.m_SkipMode);
    EXPECT_EQ(ui.m_PlayCounter, 0);
    EXPECT_FALSE(ui.m_PlayFlag1);
    EXPECT_FALSE(ui.m_PlayFlag2);
    for (std::int32_t hold : ui.m_UIHold) EXPECT_EQ(hold, 0);
    // The holds 1-3 reach the sequences' hold tests through the core.
    m_Harness.UI().m_UIHold[2] = 1;
    EXPECT_TRUE(Screen()->IsUIHoldClear1());
    EXPECT_FALSE(Screen()->IsUIHoldClear2());
    EXPECT_TRUE(Screen()->IsUIHoldClear3());
}

}  // namespace
}  // namespace ui_test
