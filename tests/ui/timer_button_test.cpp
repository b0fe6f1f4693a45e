// [Timer button] the value counting up per update within the range, the fill clipped to the
// progress, the click taken only while auto-enabled (the modes), clamping and the range setters,
// the not-enabled look, the alphas it draws at, the cell fallbacks and messages, a pattern index
// outside the fill cell, and the saved state.
#include "image_widget_test_support.h"

#include "data/db_uimodule.h"
#include "ui/ui_timer_button.h"
#include "ui/widget_factory.h"

namespace ui_test {
namespace {

constexpr std::uint32_t kTimerBackRgb = 0x303030;
constexpr std::uint32_t kTimerBackNaRgb = 0x505050;
constexpr std::uint32_t kFillRgb = 0x20C0C0;

class TimerButtonTest : public ImageWidgetTest {
protected:
    void SetUp() override
    {
        ImageWidgetTest::SetUp();
        // The face is a small badge at the top left; back and fill cover the button.
        ASSERT_TRUE(m_Sets.Add("uigis/tm.gis",
                               {Cell(u"go_off.png", 4, 4, kOffRgb), Cell(u"go_on.png", 4, 4, kOnRgb),
                                Cell(u"go_over.png", 4, 4, kOverRgb), Cell(u"go_na.png", 4, 4, kNaRgb),
                                Cell(u"go_back.png", 220, 40, kTimerBackRgb), Cell(u"go_backna.png", 220, 40, kTimerBackNaRgb),
                                Cell(u"go_mid.png", 220, 40, kFillRgb),
                                // fallbacks: no "_on", "_na", "_backna"
                                Cell(u"fb_off.png", 4, 4, kOffRgb), Cell(u"fb_over.png", 4, 4, kOverRgb),
                                Cell(u"fb_back.png", 220, 40, kTimerBackRgb), Cell(u"nofill_off.png", 4, 4, kOffRgb),
                                Cell(u"noface_back.png", 220, 40, kTimerBackRgb)}));
    }

    // At (100, 100), 220 x 40, client (10, 0, 200, 40), range 0..100.
    GxTaskUITimerButtonIs* Button(const char16_t* image = u"uigis/tm/go")
    {
        auto* button = new GxTaskUITimerButtonIs(Screen(), nullptr, nullptr, 0);
        button->SetImageName(image);
        button->SetPos(GxVector3(100.0f, 100.0f, 0.0f));
        button->m_Width = 220;
        button->m_Height = 40;
        button->SetClientRect(10, 0, 200, 40);
        button->SetMax(100.0);
        return Enter(button);
    }
    std::vector<WidgetDrawCall> Fills() { return m_Harness.Recorder().CallsOf("DrawImagePatternClipped"); }
};

TEST_F(TimerButtonTest, ItChargesPerUpdateFillsWithTheProgressAndTakesAClickOnceCharged)
{
    GxTaskUITimerButtonIs* button = Button();
    button->m_AutoCountUpValue = 1.0;
    m_Harness.Recorder().Clear();
    for (int update = 1; update <= 99; ++update) {
        m_Harness.Recorder().Clear();
        m_Harness.Step(16000);
        ASSERT_EQ(button->GetValue(), static_cast<double>(update));
        ASSERT_FALSE(button->IsAutoEnabled()) << update;
        if (update == 50) {
            const std::vector<WidgetDrawCall> fills = Fills();
            ASSERT_EQ(fills.size(), 1u);
            EXPECT_EQ(fills[0].clip.left, 10);
            EXPECT_EQ(fills[0].clip.right, 110);
            EXPECT_EQ(fills[0].clip.bottom, 40);
            EXPECT_EQ(fills[0].points[0].x, 110.0f);
            EXPECT_EQ(Rgb(150, 120), kFillRgb);
            EXPECT_EQ(Rgb(250, 120), kTimerBackNaRgb) << "not yet enabled: the disabled background";
            EXPECT_EQ(Rgb(101, 101), kNaRgb);
        }
    }
    EXPECT_EQ(m_Harness.LeftDown(150, 120), 0) << "not charged";
    EXPECT_TRUE(Events(1).empty());
    m_Harness.Recorder().Clear();
    m_Harness.Step(16000);
    EXPECT_EQ(button->GetValue(), 100.0);
    EXPECT_TRUE(Fills().empty()) << "no fill at exactly 100";
    EXPECT_EQ(Rgb(150, 120), kTimerBackRgb);
    EXPECT_EQ(Rgb(101, 101), kOffRgb);
    EXPECT_EQ(m_Harness.LeftDown(150, 120, true, 0x9), 1);
    const std::vector<UITestEvent> clicks = Events(1);
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].event.m_Value, 0) << "no key flags";
    m_Harness.Step(16000);
    EXPECT_EQ(button->GetValue(), 100.0) << "held at the maximum";
    EXPECT_EQ(button->GetImageIndex(), 1);
}

TEST_F(TimerButtonTest, NoCountUpKeepsTheValueAndAnEmptyRangeDrawsNoFill)
{
    GxTaskUITimerButtonIs* button = Button();
    button->SetValue(40.0);
    for (int update = 0; update < 5; ++update)
        m_Harness.Step(16000);
    EXPECT_EQ(button->GetValue(), 40.0);
    EXPECT_EQ(Fills().size(), 5u);
    button->SetMax(40.0);
    button->SetMin(40.0);
    m_Harness.Recorder().Clear();
    m_Harness.Step(16000);
    EXPECT_EQ(button->GetProgress(), 0.0);
    EXPECT_TRUE(Fills().empty());

    // A negative step counts down to the minimum.
    GxTaskUITimerButtonIs* down = Button();
    down->SetValue(3.0);
    down->m_AutoCountUpValue = -2.0;
    m_Harness.Step(16000);
    m_Harness.Step(16000);
    EXPECT_EQ(down->GetValue(), 0.0);
}

TEST_F(TimerButtonTest, TheSettersClampToTheRange)
{
    GxTaskUITimerButtonIs* button = Button();
    button->SetValue(150.0);
    EXPECT_EQ(button->GetValue(), 100.0);
    button->SetValueInt(-3);
    EXPECT_EQ(button->GetValue(), 0.0);
    button->SetValueBool(true);
    EXPECT_EQ(button->GetValue(), 1.0);
    button->SetValue(20.0);
    button->SetMin(50.0);
    EXPECT_EQ(button->GetValue(), 50.0);
    button->SetMax(45.0);
    EXPECT_EQ(button->GetValue(), 45.0);
}

TEST_F(TimerButtonTest, TheModesDecideWhenItIsEnabled)
{
    GxTaskUITimerButtonIs* button = Button();
    struct Case {
        std::int32_t mode;
        double value;
        bool enabled;
    };
    for (const Case c : {Case{1, 100, true}, Case{1, 99, false}, Case{2, 0, true}, Case{2, 1, false},
                         Case{3, 99, true}, Case{3, 100, false}, Case{4, 1, true}, Case{4, 0, false},
                         Case{0, 0, true}, Case{7, 50, true}, Case{-1, 100, true}}) {
        button->m_AutoEnableMode = c.mode;
        button->SetValue(c.value);
        EXPECT_EQ(button->IsAutoEnabled(), c.enabled) << "mode " << c.mode << " at " << c.value;
    }
}

TEST_F(TimerButtonTest, NotEnabledItShowsTheDisabledCellsIgnoresPressesButReportsHover)
{
    GxTaskUITimerButtonIs* button = Button();
    button->SetValue(30.0);
    m_Harness.MouseMove(150, 120);
    EXPECT_EQ(m_Harness.LeftDown(150, 120), 0);
    m_Harness.Step(16000);
    EXPECT_EQ(Rgb(101, 101), kNaRgb);
    EXPECT_EQ(Rgb(250, 120), kTimerBackNaRgb);
    m_Harness.MouseMove(10, 10);
    m_Harness.Step(16000);
    EXPECT_EQ(Events(7).size(), 1u);
    EXPECT_EQ(Events(8).size(), 1u);
    EXPECT_TRUE(Events(1).empty());

    // A disabled widget looks the same even when charged.
    button->SetValue(100.0);
    button->SetEnabled(false);
    m_Harness.Step(16000);
    EXPECT_EQ(Rgb(101, 101), kNaRgb);
    EXPECT_EQ(Rgb(250, 120), kTimerBackNaRgb);
}

TEST_F(TimerButtonTest, TheFillDrawsAtTheActorAlphaAndTheOthersWithTheImageAlpha)
{
    GxTaskUITimerButtonIs* button = Button();
    button->SetValue(50.0);
    button->SetAlpha(102);
    button->SetImageAlpha(128);
    m_Harness.Recorder().Clear();
    m_Harness.Step(16000);
    const std::vector<WidgetDrawCall> fills = Fills();
    ASSERT_EQ(fills.size(), 1u);
    EXPECT_EQ(fills[0].colors[0] >> 24, 102u);
    const std::vector<WidgetDrawCall> cells = m_Harness.Recorder().CallsOf("DrawImagePattern");
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0].colors[0] >> 24, 51u);   // 128 x 102 / 255 / 255
    EXPECT_EQ(cells[1].colors[0] >> 24, 51u);
}

TEST_F(TimerButtonTest, MissingCellsFallBackAndTheMessagesNameTheTimerButton)
{
    GxTaskUITimerButtonIs* button = Button(u"uigis/tm/fb");
    EXPECT_EQ(button->GetStateImage(kButtonImagePressed), button->GetStateImage(kButtonImageHover));
    EXPECT_EQ(button->GetStateImage(kButtonImageDisabled), button->GetStateImage(kButtonImageNormal));
    EXPECT_EQ(button->GetStateImage(kTimerImageBackNa), button->GetStateImage(kTimerImageBack));
    EXPECT_NE(button->GetStateImage(kTimerImageBack), nullptr);
    EXPECT_EQ(button->GetStateImage(kTimerImageFill), nullptr);
    EXPECT_TRUE(m_Log.m_Errors.empty());

    GxTaskUITimerButtonIs* noFace = Button(u"uigis/tm/noface");
    EXPECT_FALSE(noFace->LoadImages());
    ASSERT_FALSE(m_Log.m_Errors.empty());
    EXPECT_EQ(m_Log.m_Errors.back().rfind("GxTaskUITimerButtonIs/Image not found:noface_off.png [", 0), 0u)
        << m_Log.m_Errors.back();
    GxTaskUITimerButtonIs* noSet = Button(u"uigis/none/go");
    EXPECT_FALSE(noSet->LoadImages());
    EXPECT_EQ(m_Log.m_Errors.back().rfind("GxTaskUITimerButtonIs/ImageSet wasn't Loaded:uigis/none.gis [", 0), 0u)
        << m_Log.m_Errors.back();
}

TEST_F(TimerButtonTest, APatternIndexOutsideTheFillCellDrawsNoFill)
{
    GxTaskUITimerButtonIs* button = Button();
    button->SetValue(50.0);
    for (std::int32_t index : {1, 99999, -2}) {
        button->m_PatternIndex = index;
        m_Harness.Recorder().Clear();
        m_Harness.Step(16000);
        EXPECT_TRUE(Fills().empty()) << index;
        EXPECT_NE(Rgb(150, 120), kFillRgb) << index;
    }
}

TEST_F(TimerButtonTest, TheSavedStateAddsTheModeAndTheCountUp)
{
    GxTaskUITimerButtonIs* button = Button();
    button->m_AutoEnableMode = 3;
    button->m_AutoCountUpValue = -0.5;
    button->SetValue(42.0);
    auto* copy = new GxTaskUITimerButtonIs(Screen(), nullptr, nullptr, 0);
    ASSERT_TRUE(RoundTrip(button, copy));
    EXPECT_EQ(copy->m_AutoEnableMode, 3);
    EXPECT_EQ(copy->m_AutoCountUpValue, -0.5);
    EXPECT_EQ(copy->GetValue(), 42.0);
    EXPECT_EQ(copy->m_ImageName, u"go");
}

TEST_F(TimerButtonTest, TheFactoryBuildsTypeTwentyThree)
{
    DBUIModuleRow row;
    row.m_ID = 7;
    row.m_UIType = kUITypeTimerButton;
    row.m_ImageSetName = u"tm";
    row.m_ImageName = u"go";
    auto* button = dynamic_cast<GxTaskUITimerButtonIs*>(CreateWidgetFromModuleRow(Screen(), &row, u"go", -1));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetTaskType(), 23);
    EXPECT_EQ(button->m_AutoEnableMode, 1);
    EXPECT_EQ(button->m_AutoCountUpValue, 0.0);
    EXPECT_TRUE(button->LoadImages());
}

}  // namespace
}  // namespace ui_test
