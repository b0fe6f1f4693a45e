// [Toggle and radio buttons] the value flipped before event 1, double clicks, the auto toggle,
// the image index from value, hover and gate, the six cells and their fallback chain, the
// disabled looks, Select within parent and group, the load messages and the saved flag.
#include "image_widget_test_support.h"

#include "data/db_uimodule.h"
#include "ui/task_ui_null.h"
#include "ui/ui_toggle_button.h"
#include "ui/widget_factory.h"

namespace ui_test {
namespace {

// A listener that notes the sender's value as each event 1 arrives.
class ValueProbe : public UITestScreen {
public:
    using UITestScreen::UITestScreen;
    int OnUIEvent(GxTaskUIBase* sender, const GxUIEventParam* event) override
    {
        m_Values.push_back(sender->GetValue());
        return UITestScreen::OnUIEvent(sender, event);
    }
    std::vector<double> m_Values;
};

class ToggleButtonTest : public ImageWidgetTest {
protected:
    void SetUp() override
    {
        ImageWidgetTest::SetUp();
        ASSERT_TRUE(m_Sets.Add("uigis/tgl.gis",
                               {Cell(u"all_off.png", 40, 20, kOffRgb), Cell(u"all_on.png", 40, 20, kOnRgb),
                                Cell(u"all_over.png", 40, 20, kOverRgb), Cell(u"all_na.png", 40, 20, kNaRgb),
                                Cell(u"all_onover.png", 40, 20, kOnOverRgb), Cell(u"all_onna.png", 40, 20, kOnNaRgb),
                                Cell(u"two_off.png", 40, 20, kOffRgb), Cell(u"two_over.png", 40, 20, kOverRgb),
                                Cell(u"na_off.png", 40, 20, kOffRgb), Cell(u"na_on.png", 40, 20, kOnRgb),
                                Cell(u"na_na.png", 40, 20, kNaRgb), Cell(u"off_off.png", 40, 20, kOffRgb),
                                Cell(u"off_on.png", 40, 20, kOnRgb)}));
    }

    template <class Widget = GxTaskUIToggleButtonIs>
    Widget* Make(const char16_t* image = u"uigis/tgl/all", GxTaskBase* parent = nullptr, float x = 100.0f,
                 float y = 100.0f)
    {
        auto* widget = new Widget(parent ? parent : Screen(), nullptr, nullptr, 0);
        widget->SetImageName(image);
        widget->SetPos(GxVector3(x, y, 0.0f));
        return Enter(widget);
    }
};

TEST_F(ToggleButtonTest, AClickFlipsTheValueBeforeTheEventIsDelivered)
{
    auto* probe = new ValueProbe(m_Harness.Root(), u"Probe");
    probe->SetInstantUIEventFlag(true);
    GxTaskUIToggleButtonIs* toggle = Make();
    toggle->SetEventListener(probe);
    EXPECT_EQ(m_Harness.LeftDown(110, 110), 1);
    EXPECT_EQ(m_Harness.LeftDown(110, 110), 1);
    EXPECT_EQ(probe->m_Values, (std::vector<double>{1.0, 0.0}));

    // A double click is two presses: two flips, two events.
    m_Harness.LeftDown(110, 110);
    m_Harness.LeftDown(110, 110, true);
    EXPECT_EQ(probe->m_Values, (std::vector<double>{1.0, 0.0, 1.0, 0.0}));
    const std::vector<UITestEvent> events = probe->EventsOf(1);
    ASSERT_EQ(events.size(), 4u);
    EXPECT_EQ(events[3].event.m_Flag, 0) << "the toggle leaves the key flags and double-click flag out";
    EXPECT_EQ(events[3].event.m_Vector[0].x, 110.0f);

    // Without the auto toggle only the event.
    toggle->SetAutoToggleFlag(false);
    EXPECT_FALSE(toggle->GetAutoToggleFlag());
    m_Harness.LeftDown(110, 110);
    EXPECT_EQ(probe->m_Values.back(), 0.0);
    EXPECT_EQ(probe->EventsOf(1).size(), 5u);
    EXPECT_EQ(toggle->GetPressFrames(), 0) << "no pressed look";
}

TEST_F(ToggleButtonTest, TheImageFollowsValueHoverAndGate)
{
    GxTaskUIToggleButtonIs* toggle = Make();
    struct Case {
        bool on, hovered, gateOpen;
        std::int32_t index;
        std::uint32_t rgb;
    };
    const Case cases[] = {{true, true, true, 4, kOnOverRgb},  {true, false, true, 1, kOnRgb},
                          {true, true, false, 1, kOnRgb},     {false, true, true, 2, kOverRgb},
                          {false, false, true, 0, kOffRgb},   {false, true, false, 0, kOffRgb}};
    for (const Case& c : cases) {
        toggle->SetValueBool(c.on);
        m_Harness.MouseMove(c.hovered ? 110 : 10, 110);
        m_Harness.UI().m_DialogCount = c.gateOpen ? 0 : 1;
        m_Harness.Step(16000);
        EXPECT_EQ(toggle->GetImageIndex(), c.index) << c.on << c.hovered << c.gateOpen;
        EXPECT_EQ(Rgb(110, 110), c.rgb) << c.on << c.hovered << c.gateOpen;
        m_Harness.UI().m_DialogCount = 0;
        m_Harness.MouseMove(10, 110);
        m_Harness.Step(16000);
    }
}

TEST_F(ToggleButtonTest, TheFallbackChainRunsInOrder)
{
    // Only "_off" and "_over": on shows "_over", and an off button shows "_off" under the pointer.
    GxTaskUIToggleButtonIs* two = Make(u"uigis/tgl/two");
    EXPECT_EQ(two->GetStateImage(4), two->GetStateImage(1)) << "on hover takes the on slot after its fallback";
    EXPECT_EQ(two->GetStateImage(2), two->GetStateImage(0));
    EXPECT_EQ(two->GetStateImage(5), two->GetStateImage(0));
    two->SetValueBool(true);
    m_Harness.Step(16000);
    EXPECT_EQ(Rgb(110, 110), kOverRgb);
    m_Harness.MouseMove(110, 110);
    m_Harness.Step(16000);
    EXPECT_EQ(Rgb(110, 110), kOverRgb);
    two->SetValueBool(false);
    m_Harness.Step(16000);
    EXPECT_EQ(two->GetImageIndex(), 2);
    EXPECT_EQ(Rgb(110, 110), kOffRgb);
}

TEST_F(ToggleButtonTest, ADisabledOnButtonShowsOnnaElseNaElseOff)
{
    struct Case {
        const char16_t* image;
        std::uint32_t onRgb, offRgb;
    };
    const Case cases[] = {{u"uigis/tgl/all", kOnNaRgb, kNaRgb},
                          {u"uigis/tgl/na", kNaRgb, kNaRgb},
                          {u"uigis/tgl/off", kOffRgb, kOffRgb}};
    for (const Case& c : cases) {
        GxTaskUIToggleButtonIs* toggle = Make(c.image);
        toggle->SetEnabled(false);
        toggle->SetValueBool(true);
        m_Harness.Step(16000);
        EXPECT_EQ(Rgb(110, 110), c.onRgb) << WideToUtf8(c.image);
        toggle->SetValueBool(false);
        m_Harness.Step(16000);
        EXPECT_EQ(Rgb(110, 110), c.offRgb) << WideToUtf8(c.image);
        EXPECT_EQ(m_Harness.LeftDown(110, 110), 0);
        toggle->Remove();
        m_Harness.Step(16000);
    }
}

TEST_F(ToggleButtonTest, SelectSwitchesOffTheRadioButtonsOfItsGroupUnderItsParentOnly)
{
    auto* parent = new GxTaskUINull(Screen(), nullptr, nullptr, 0);
    auto* other = new GxTaskUINull(Screen(), nullptr, nullptr, 0);
    auto* clicked = Make<GxTaskUIRadioButtonIs>(u"uigis/tgl/all", parent);
    auto* hidden = Make<GxTaskUIRadioButtonIs>(u"uigis/tgl/all", parent, 200.0f);
    auto* disabled = Make<GxTaskUIRadioButtonIs>(u"uigis/tgl/all", parent, 300.0f);
    auto* otherGroup = Make<GxTaskUIRadioButtonIs>(u"uigis/tgl/all", parent, 400.0f);
    auto* toggle = Make<GxTaskUIToggleButtonIs>(u"uigis/tgl/all", parent, 500.0f);
    auto* elsewhere = Make<GxTaskUIRadioButtonIs>(u"uigis/tgl/all", other, 600.0f);
    for (GxTaskUIBase* w : std::initializer_list<GxTaskUIBase*>{clicked, hidden, disabled, toggle, elsewhere}) {
        w->SetGroupID(3);
        w->SetValueBool(true);
    }
    otherGroup->SetGroupID(4);
    otherGroup->SetValueBool(true);
    clicked->SetValueBool(false);
    hidden->Hide();
    disabled->SetEnabled(false);
    EXPECT_EQ(clicked->GetTaskType(), 20);

    EXPECT_EQ(m_Harness.LeftDown(110, 110), 1);
    EXPECT_TRUE(clicked->GetValueBool());
    EXPECT_FALSE(hidden->GetValueBool());
    EXPECT_FALSE(disabled->GetValueBool());
    EXPECT_TRUE(otherGroup->GetValueBool());
    EXPECT_TRUE(toggle->GetValueBool()) << "a toggle of the group is no radio button";
    EXPECT_TRUE(elsewhere->GetValueBool()) << "another parent";

    // A click on a radio button that is on keeps it on and still reports.
    EXPECT_EQ(m_Harness.LeftDown(110, 110), 1);
    EXPECT_TRUE(clicked->GetValueBool());
    EXPECT_EQ(Events(1).size(), 2u);
    EXPECT_TRUE(elsewhere->Select());
    EXPECT_TRUE(clicked->GetValueBool());
}

TEST_F(ToggleButtonTest, LoadFailuresUseTheSharedMessages)
{
    auto* noSet = new GxTaskUIToggleButtonIs(Screen(), u"tgl_noset", nullptr, 0);
    noSet->SetImageName(u"uigis/none/all");
    EXPECT_FALSE(noSet->LoadImages());
    auto* noCell = new GxTaskUIRadioButtonIs(Screen(), u"tgl_nocell", nullptr, 0);
    noCell->SetImageName(u"uigis/tgl/gone");
    EXPECT_FALSE(noCell->LoadImages());
    ASSERT_EQ(m_Log.m_Errors.size(), 2u);
    EXPECT_EQ(m_Log.m_Errors[0], "GxTaskUI::LoadImage()/ImageSet wasn't Loaded:uigis/none.gis [" +
                                     WideToUtf8(noSet->GetTaskPath()) + "]\n");
    EXPECT_EQ(m_Log.m_Errors[1],
              "GxTaskUI::LoadImage()/Image not found:gone_off.png [" + WideToUtf8(noCell->GetTaskPath()) + "]\n");
}

TEST_F(ToggleButtonTest, TheFactoryBuildsBothAndTheAutoToggleFlagIsSaved)
{
    DBUIModuleRow row;
    row.m_UIType = kUITypeToggleButton;
    EXPECT_NE(dynamic_cast<GxTaskUIToggleButtonIs*>(CreateWidgetFromModuleRow(Screen(), &row, u"t", 0)), nullptr);
    row.m_UIType = kUITypeRadioButton;
    GxTaskUIBase* radio = CreateWidgetFromModuleRow(Screen(), &row, u"r", 0);
    ASSERT_NE(dynamic_cast<GxTaskUIRadioButtonIs*>(radio), nullptr);
    EXPECT_NE(radio->m_KindFlags & kKindPushButton, 0u);

    GxTaskUIToggleButtonIs* from = Make();
    from->SetAutoToggleFlag(false);
    from->SetValueBool(true);
    GxTaskUIToggleButtonIs* into = Make();
    ASSERT_TRUE(RoundTrip(from, into));
    EXPECT_FALSE(into->GetAutoToggleFlag());
    EXPECT_TRUE(into->GetValueBool());
    EXPECT_EQ(into->GetStateImage(0), nullptr);
}

}  // namespace
}  // namespace ui_test
