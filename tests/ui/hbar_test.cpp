// [Horizontal bar] the fill clipped to the value's part of the client width, clamping, glides
// over time and a glide started during another, the range setters, the top cell's fallback, the
// load failures, enter and leave, the click it never consumes, no automatic help, a pattern index
// outside the middle cell, and the saved state.
#include "image_widget_test_support.h"

#include "data/db_uimodule.h"
#include "ui/ui_hbar.h"
#include "ui/widget_factory.h"

namespace ui_test {
namespace {

constexpr std::uint32_t kBackRgb = 0x303030;
constexpr std::uint32_t kMidRgb = 0x20C0C0;
constexpr std::uint32_t kCapRgb = 0xE0E020;

class HBarTest : public ImageWidgetTest {
protected:
    void SetUp() override
    {
        ImageWidgetTest::SetUp();
        // The top cells are small caps at the left, so the fill shows beside them.
        ASSERT_TRUE(m_Sets.Add("uigis/bar.gis",
                               {Cell(u"hp_back.png", 220, 20, kBackRgb), Cell(u"hp_mid.png", 220, 20, kMidRgb),
                                Cell(u"hp_on.png", 4, 4, kCapRgb), Cell(u"hp_off.png", 4, 4, kOffRgb),
                                Cell(u"off_back.png", 220, 20, kBackRgb), Cell(u"off_mid.png", 220, 20, kMidRgb),
                                Cell(u"off_off.png", 4, 4, kOffRgb), Cell(u"bare_mid.png", 220, 20, kMidRgb),
                                Cell(u"nomid_back.png", 220, 20, kBackRgb), Cell(u"nomid_on.png", 4, 4, kCapRgb)}));
    }

    // At (100, 100), client (10, 0, 200, 20), range 0..100.
    GxTaskUIHBarIs* Bar(const char16_t* image = u"uigis/bar/hp")
    {
        auto* bar = new GxTaskUIHBarIs(Screen(), nullptr, nullptr, 0);
        bar->SetImageName(image);
        bar->SetPos(GxVector3(100.0f, 100.0f, 0.0f));
        bar->SetClientRect(10, 0, 200, 20);
        bar->SetMax(100.0);
        return Enter(bar);
    }
    std::vector<WidgetDrawCall> Fills() { return m_Harness.Recorder().CallsOf("DrawImagePatternClipped"); }
    void Frame()
    {
        m_Harness.Recorder().Clear();
        m_Harness.Step(0);
    }
};

TEST_F(HBarTest, TheFillIsTheValuesPartOfTheClientWidthFromTheClientLeft)
{
    GxTaskUIHBarIs* bar = Bar();
    EXPECT_EQ(bar->m_Width, 220);
    EXPECT_EQ(bar->m_Height, 20);
    struct Case {
        double min, max, value;
        std::int32_t filled;
    };
    for (const Case c : {Case{0, 100, 25, 50}, Case{0, 100, 0, 0}, Case{0, 100, 100, 200}, Case{50, 50, 50, 0},
                         Case{-100, 100, 0, 100}, Case{0, 3, 1, 66}}) {
        bar->SetMin(-1000.0);
        bar->SetMax(c.max);
        bar->SetMin(c.min);
        bar->SetValue(c.value);
        Frame();
        const std::vector<WidgetDrawCall> fills = Fills();
        ASSERT_EQ(fills.size(), 1u) << c.value;
        EXPECT_EQ(fills[0].clip.left, 10) << c.value;
        EXPECT_EQ(fills[0].clip.top, 0) << c.value;
        EXPECT_EQ(fills[0].clip.right, 10 + c.filled) << c.min << ".." << c.max << " at " << c.value;
        EXPECT_EQ(fills[0].clip.bottom, 20) << c.value;
        EXPECT_EQ(fills[0].points[0].x, 110.0f) << "the pattern starts at the client left";
        EXPECT_EQ(fills[0].points[0].y, 100.0f);
    }

    // In the frame: back, then the fill from the client left, the cap on top.
    bar->SetMin(0.0);
    bar->SetMax(100.0);
    bar->SetValue(25.0);
    Frame();
    EXPECT_EQ(Rgb(101, 101), kCapRgb);
    EXPECT_EQ(Rgb(105, 110), kBackRgb);
    EXPECT_EQ(Rgb(110, 110), kMidRgb);
    EXPECT_EQ(Rgb(159, 110), kMidRgb);
    EXPECT_EQ(Rgb(160, 110), kBackRgb);
}

TEST_F(HBarTest, SetValueClampsAndEndsAGlide)
{
    GxTaskUIHBarIs* bar = Bar();
    bar->SetValueGlide(60.0, 1000);
    ASSERT_TRUE(bar->IsGliding());
    bar->SetValue(150.0);
    EXPECT_EQ(bar->GetValue(), 100.0);
    EXPECT_FALSE(bar->IsGliding());
    EXPECT_EQ(bar->m_OldValue, 100.0);
    EXPECT_EQ(bar->m_ChangeTimeTotal, 0);
    bar->SetValueInt(-5);
    EXPECT_EQ(bar->GetValue(), 0.0);
    bar->SetValueBool(true);
    EXPECT_EQ(bar->GetValue(), 1.0);
}

TEST_F(HBarTest, AGlideMovesTheShownValueOverItsTimeAndEnds)
{
    GxTaskUIHBarIs* bar = Bar();
    bar->SetValue(20.0);
    bar->SetValueGlide(80.0, 1000);
    EXPECT_EQ(bar->GetValue(), 80.0);
    EXPECT_EQ(bar->GetShownValue(), 20.0);
    m_Harness.Step(500000);
    EXPECT_TRUE(bar->IsGliding());
    EXPECT_EQ(bar->GetShownValue(), 50.0);
    ASSERT_EQ(Fills().empty(), false);
    EXPECT_EQ(Fills().back().clip.right, 10 + 100);
    m_Harness.Step(499999);   // 499 ms: 1 ms left
    EXPECT_TRUE(bar->IsGliding());
    m_Harness.Step(1000);
    EXPECT_FALSE(bar->IsGliding());
    EXPECT_EQ(bar->GetShownValue(), 80.0);
    EXPECT_EQ(bar->m_OldValue, 80.0);

    // No time: the new value at once.
    bar->SetValueGlide(30.0, 0);
    EXPECT_FALSE(bar->IsGliding());
    EXPECT_EQ(bar->GetShownValue(), 30.0);

    // A glide past its end.
    bar->SetValueGlide(90.0, 100);
    m_Harness.Step(5000000);
    EXPECT_FALSE(bar->IsGliding());
    EXPECT_EQ(bar->GetShownValue(), 90.0);

    bar->SetValueIntGlide(10, 1000);
    bar->FinishGlide();
    EXPECT_EQ(bar->GetShownValue(), 10.0);
}

TEST_F(HBarTest, AGlideStartedDuringAnotherStartsFromTheValueShown)
{
    GxTaskUIHBarIs* bar = Bar();
    bar->SetValue(20.0);
    bar->SetValueGlide(80.0, 1000);
    m_Harness.Step(500000);
    ASSERT_EQ(bar->GetShownValue(), 50.0);
    bar->SetValueGlide(80.0, 1000);
    EXPECT_EQ(bar->m_OldValue, 50.0);
    EXPECT_EQ(bar->GetShownValue(), 50.0);
    m_Harness.Step(500000);
    EXPECT_EQ(bar->GetShownValue(), 65.0);
}

TEST_F(HBarTest, TheRangeSettersBringTheValueAndTheGlideStartIntoTheRange)
{
    GxTaskUIHBarIs* bar = Bar();
    bar->SetValue(50.0);
    bar->m_OldValue = 10.0;
    bar->SetMin(20.0);
    EXPECT_EQ(bar->GetValue(), 50.0);
    EXPECT_EQ(bar->m_OldValue, 20.0);
    bar->m_OldValue = 90.0;
    bar->SetMax(40.0);
    EXPECT_EQ(bar->GetValue(), 40.0);
    EXPECT_EQ(bar->m_OldValue, 40.0);
}

TEST_F(HBarTest, TheTopCellFallsBackToOffAndTheMiddleCellIsRequired)
{
    GxTaskUIHBarIs* withOff = Bar(u"uigis/bar/off");
    ASSERT_NE(withOff->GetTopCell(), nullptr);
    GxTaskUIHBarIs* bare = Bar(u"uigis/bar/bare");
    EXPECT_EQ(bare->GetTopCell(), nullptr);
    EXPECT_EQ(bare->GetBackCell(), nullptr);
    EXPECT_NE(bare->GetMiddleCell(), nullptr);
    withOff->Hide();
    bare->SetValue(50.0);
    Frame();
    EXPECT_EQ(m_Harness.Recorder().CallsOf("DrawImagePattern").size(), 0u) << "back and top are missing";
    EXPECT_EQ(Fills().size(), 1u);
    EXPECT_EQ(Rgb(111, 101), kMidRgb);
    bare->Hide();
    withOff->Show();
    Frame();
    EXPECT_EQ(Rgb(101, 101), kOffRgb);
    EXPECT_TRUE(m_Log.m_Errors.empty());

    withOff->Hide();
    GxTaskUIHBarIs* noMid = Bar(u"uigis/bar/nomid");
    EXPECT_FALSE(noMid->LoadImages());
    ASSERT_FALSE(m_Log.m_Errors.empty());
    EXPECT_EQ(m_Log.m_Errors.back().rfind("GxTaskUIHBarIs/Image not found:nomid_mid.png [", 0), 0u)
        << m_Log.m_Errors.back();
    Frame();
    EXPECT_EQ(m_Harness.Recorder().CallsOf("DrawImagePattern").size(), 2u) << "back and top still drawn";
    EXPECT_TRUE(Fills().empty());
    EXPECT_EQ(Rgb(101, 101), kCapRgb);
    EXPECT_EQ(Rgb(150, 110), kBackRgb);

    m_Log.m_Errors.clear();
    GxTaskUIHBarIs* noSet = Bar(u"uigis/none/hp");
    EXPECT_FALSE(noSet->LoadImages());
    ASSERT_FALSE(m_Log.m_Errors.empty());
    EXPECT_EQ(m_Log.m_Errors.back().rfind("GxTaskUIHBarIs/ImageSet wasn't Loaded:uigis/none.gis [", 0), 0u)
        << m_Log.m_Errors.back();
}

TEST_F(HBarTest, ItReportsEnterAndLeaveOnceAndAClickItNeverConsumesWithoutHelp)
{
    GxTaskUIHBarIs* bar = Bar();
    bar->m_AutoHelpTime = 0;
    m_Harness.MouseMove(150, 110);
    m_Harness.MouseMove(160, 110);
    for (int update = 0; update < 3; ++update)
        m_Harness.Step(16000);
    EXPECT_EQ(Events(7).size(), 1u);
    EXPECT_EQ(bar->GetHelpCounter(), 0) << "no automatic help";
    EXPECT_EQ(m_Harness.LeftDown(150, 110), 0);
    EXPECT_EQ(Events(1).size(), 1u);
    m_Harness.MouseMove(10, 10);
    m_Harness.Step(16000);
    m_Harness.Step(16000);
    const std::vector<UITestEvent> leaves = Events(8);
    ASSERT_EQ(leaves.size(), 1u);
    EXPECT_EQ(leaves[0].event.m_Vector[0].x, 10.0f);
    EXPECT_EQ(leaves[0].event.m_Vector[1].x, 100.0f);
}

TEST_F(HBarTest, APatternIndexOutsideTheMiddleCellDrawsNoFill)
{
    GxTaskUIHBarIs* bar = Bar();
    bar->SetValue(50.0);
    EXPECT_EQ(bar->GetPatternCount(), 1);
    for (std::int32_t index : {1, 1000, -1}) {
        bar->SetPatternIndex(index);
        Frame();
        EXPECT_TRUE(Fills().empty()) << index;
        EXPECT_NE(Rgb(150, 110), kMidRgb) << index;
    }
}

TEST_F(HBarTest, TheSavedStateCarriesItsSevenValues)
{
    GxTaskUIHBarIs* bar = Bar();
    bar->m_ImageIndex = 3;
    bar->SetValue(20.0);
    bar->SetValueGlide(70.0, 800);
    m_Harness.Step(300000);
    bar->SetPatternIndex(0);
    auto* copy = new GxTaskUIHBarIs(Screen(), nullptr, nullptr, 0);
    ASSERT_TRUE(RoundTrip(bar, copy));
    EXPECT_EQ(copy->m_ImageName, u"hp");
    EXPECT_EQ(copy->m_ImageSetName, u"uigis/bar.gis");
    EXPECT_EQ(copy->GetImageIndex(), 3);
    EXPECT_EQ(copy->m_OldValue, 20.0);
    EXPECT_EQ(copy->m_ChangeTimeLeft, 500);
    EXPECT_EQ(copy->m_ChangeTimeTotal, 800);
    EXPECT_EQ(copy->GetValue(), 70.0);
    EXPECT_EQ(copy->GetMiddleCell(), nullptr);
    EXPECT_TRUE(copy->LoadImages());
}

TEST_F(HBarTest, TheFactoryBuildsTypeFortyOne)
{
    DBUIModuleRow row;
    row.m_ID = 5;
    row.m_UIType = kUITypeHBar;
    row.m_ImageSetName = u"bar";
    row.m_ImageName = u"hp";
    auto* bar = dynamic_cast<GxTaskUIHBarIs*>(CreateWidgetFromModuleRow(Screen(), &row, u"hp", -1));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->GetTaskType(), 41);
    EXPECT_FALSE(bar->GetEventBlockFlag());
    EXPECT_TRUE(bar->LoadImages());
}

}  // namespace
}  // namespace ui_test
