// [Spin button] the held down and up parts stepping every 7 updates (by 10 after ten steps), the
// clamped ends, clear, the releases that end a hold, the disabled look, the row geometry, the
// value text in bitmap font 0, the required cells, the sizes, and the button flag without hover
// reports or saved fields of its own.
#include "image_widget_test_support.h"

#include "data/db_uimodule.h"
#include "tests/support/ui/ui_bitmap_font_fixture.h"
#include "ui/ui_spin_button.h"
#include "ui/widget_factory.h"

#include <cmath>

namespace ui_test {
namespace {

using Spin = GxTaskUISpinButtonIs;

// Colours of the parts and their looks.
constexpr std::uint32_t kClearRgb = 0xA02020, kClearOnRgb = 0xA02060, kClearOverRgb = 0xA060A0, kClearNaRgb = 0x602020;
constexpr std::uint32_t kBackRgb = 0x303030, kBackNaRgb = 0x505050;
constexpr std::uint32_t kDownRgb = 0x2020A0, kDownOnRgb = 0x2060A0, kDownOverRgb = 0x20A0A0, kDownNaRgb = 0x202060;
constexpr std::uint32_t kUpRgb = 0x20A020, kUpOnRgb = 0x60A020, kUpOverRgb = 0xA0A020, kUpNaRgb = 0x206020;

class SpinButtonTest : public ImageWidgetTest {
protected:
    void SetUp() override
    {
        ImageWidgetTest::SetUp();
        ASSERT_TRUE(m_Font.Ok());
        ASSERT_TRUE(m_Sets.Add(
            "uigis/spin.gis",
            {Cell(u"n_clear_off.png", 20, 24, kClearRgb), Cell(u"n_clear_on.png", 20, 24, kClearOnRgb),
             Cell(u"n_clear_over.png", 20, 24, kClearOverRgb), Cell(u"n_clear_na.png", 20, 24, kClearNaRgb),
             Cell(u"n_back.png", 60, 24, kBackRgb), Cell(u"n_backna.png", 60, 24, kBackNaRgb),
             Cell(u"n_down_off.png", 24, 24, kDownRgb), Cell(u"n_down_on.png", 24, 24, kDownOnRgb),
             Cell(u"n_down_over.png", 24, 24, kDownOverRgb), Cell(u"n_down_na.png", 24, 24, kDownNaRgb),
             Cell(u"n_up_off.png", 24, 24, kUpRgb), Cell(u"n_up_on.png", 24, 24, kUpOnRgb),
             Cell(u"n_up_over.png", 24, 24, kUpOverRgb), Cell(u"n_up_na.png", 24, 24, kUpNaRgb),
             // only the two required cells
             Cell(u"bare_down_off.png", 24, 24, kDownRgb), Cell(u"bare_up_off.png", 16, 20, kUpRgb),
             Cell(u"noup_down_off.png", 24, 24, kDownRgb), Cell(u"nodown_up_off.png", 24, 24, kUpRgb)}));
    }

    // At (100, 100): clear [100, 120), value field [120, 180), down [180, 204), up [204, 228).
    Spin* Make(double min, double max, double value, const char16_t* image = u"uigis/spin/n")
    {
        auto* spin = new Spin(Screen(), nullptr, nullptr, 0);
        spin->SetImageName(image);
        spin->SetPos(GxVector3(100.0f, 100.0f, 0.0f));
        spin->SetMax(max);
        spin->SetMin(min);
        spin->SetValue(value);
        return Enter(spin);
    }
    // The value after each of `updates` updates, and the updates with an event 16.
    std::vector<double> Hold(Spin* spin, int updates, std::vector<int>* changedAt = nullptr)
    {
        std::vector<double> values;
        for (int update = 0; update < updates; ++update) {
            const std::size_t before = Events(16).size();
            m_Harness.Step(16000);
            values.push_back(spin->GetValue());
            if (changedAt && Events(16).size() > before)
                changedAt->push_back(update);
        }
        return values;
    }

    TestSystemBitmapFont m_Font{m_Harness.Folder()};
};

TEST_F(SpinButtonTest, AHeldDownPartStepsEverySevenUpdatesWithOneEventEach)
{
    Spin* spin = Make(0, 99, 5);
    EXPECT_EQ(m_Harness.LeftDown(190, 110), 1);
    EXPECT_EQ(Events(1).size(), 1u);
    EXPECT_EQ(spin->GetValue(), 5.0) << "the value changes in the update";
    std::vector<int> changedAt;
    const std::vector<double> values = Hold(spin, 22, &changedAt);
    EXPECT_EQ(changedAt, (std::vector<int>{0, 7, 14, 21}));
    EXPECT_EQ(values[0], 4.0);
    EXPECT_EQ(values[7], 3.0);
    EXPECT_EQ(values[14], 2.0);
    EXPECT_EQ(values[21], 1.0);
    EXPECT_EQ(values[20], 2.0);
    const UITestEvent change = Events(16).front();
    EXPECT_EQ(change.sender, spin);
    EXPECT_EQ(change.event.m_Vector[0].x, 0.0f) << "sender and code only";
    EXPECT_EQ(spin->m_EventState, 16) << "kept across updates";
}

TEST_F(SpinButtonTest, AfterTenStepsAHeldPartStepsByTen)
{
    Spin* spin = Make(0, 1000, 500);
    m_Harness.Step(16000);   // the press frame need not be 0
    m_Harness.LeftDown(210, 110);
    const std::vector<double> values = Hold(spin, 71);
    EXPECT_EQ(values[0], 501.0);
    EXPECT_EQ(values[62], 509.0);
    EXPECT_EQ(values[63], 510.0);
    EXPECT_EQ(values[69], 510.0);
    EXPECT_EQ(values[70], 520.0);

    // Down at its end stops without further events.
    Spin* low = Make(0, 1000, 15);
    m_Harness.LeftUp(0, 0);
    Screen()->m_Events.clear();
    spin->Hide();
    m_Harness.LeftDown(190, 110);
    std::vector<int> changedAt;
    const std::vector<double> lows = Hold(low, 100, &changedAt);
    EXPECT_EQ(lows.back(), 0.0);
    EXPECT_EQ(changedAt.size(), 11u) << "ten steps of 1, then 5 to 0";
}

TEST_F(SpinButtonTest, AtTheMaximumUpShowsDisabledButTakesAPressThatChangesNothing)
{
    Spin* spin = Make(0, 10, 10);
    m_Harness.Step(16000);
    EXPECT_EQ(Rgb(210, 110), kUpNaRgb);
    EXPECT_EQ(m_Harness.LeftDown(210, 110), 1);
    EXPECT_EQ(Events(1).size(), 1u);
    Hold(spin, 15);
    EXPECT_TRUE(Events(16).empty());
    EXPECT_EQ(spin->GetValue(), 10.0);
    EXPECT_EQ(spin->m_EventState, 1);
    EXPECT_EQ(Rgb(210, 110), kUpNaRgb);

    m_Harness.LeftUp(210, 110);
    spin->SetValue(0.0);
    m_Harness.Step(16000);
    EXPECT_EQ(Rgb(190, 110), kDownNaRgb) << "down at the minimum";
    EXPECT_EQ(Rgb(210, 110), kUpOverRgb) << "the pointer rests on up";
}

TEST_F(SpinButtonTest, ClearSetsZeroInTheNextUpdate)
{
    Spin* spin = Make(-10, 10, 7);
    EXPECT_EQ(m_Harness.LeftDown(110, 110), 1);
    EXPECT_EQ(spin->GetValue(), 7.0);
    m_Harness.Step(16000);
    EXPECT_EQ(spin->GetValue(), 0.0);
    EXPECT_EQ(Events(16).size(), 1u);
    EXPECT_EQ(Rgb(110, 110), kClearOnRgb) << "the pressed look lasts";
    for (int update = 0; update < 14; ++update)
        m_Harness.Step(16000);
    EXPECT_EQ(Rgb(110, 110), kClearOverRgb);

    m_Harness.LeftDown(110, 110);
    m_Harness.Step(16000);
    EXPECT_EQ(Events(1).size(), 2u);
    EXPECT_EQ(Events(16).size(), 1u) << "already 0";
    EXPECT_EQ(spin->GetValue(), 0.0);
}

TEST_F(SpinButtonTest, AReleaseEndsTheHoldWhileMovingOffThePartDoesNot)
{
    Spin* spin = Make(0, 99, 50);
    m_Harness.LeftDown(210, 110);
    m_Harness.MouseMove(600, 600);
    Hold(spin, 8);
    EXPECT_EQ(spin->GetValue(), 52.0);
    EXPECT_TRUE(spin->GetPartState(Spin::kUp).m_Pressed);
    EXPECT_EQ(m_Harness.LeftUp(600, 600), 0);
    EXPECT_FALSE(spin->GetPartState(Spin::kUp).m_Pressed);
    EXPECT_EQ(spin->GetPartState(Spin::kUp).m_PressFrame, -1);
    Hold(spin, 8);
    EXPECT_EQ(spin->GetValue(), 52.0);
}

TEST_F(SpinButtonTest, DisabledItShowsTheFourDisabledCellsAndTakesNoInput)
{
    Spin* spin = Make(0, 99, 50);
    spin->SetEnabled(false);
    for (int x : {110, 190, 210})
        EXPECT_EQ(m_Harness.LeftDown(x, 110), 0) << x;
    m_Harness.Step(16000);
    EXPECT_EQ(spin->GetValue(), 50.0);
    EXPECT_TRUE(Screen()->m_Events.empty());
    EXPECT_EQ(Rgb(110, 110), kClearNaRgb);
    EXPECT_EQ(Rgb(121, 101), kBackNaRgb);
    EXPECT_EQ(Rgb(190, 110), kDownNaRgb);
    EXPECT_EQ(Rgb(210, 110), kUpNaRgb);
}

TEST_F(SpinButtonTest, ThePartsStandInARowAndOnlyTheirRectanglesTakePresses)
{
    Spin* spin = Make(0, 99, 50);
    spin->SetClientRect(500, 500, 1, 1);   // plays no part in input
    EXPECT_EQ(spin->GetPartLeft(Spin::kClear), 0.0f);
    EXPECT_EQ(spin->GetPartLeft(Spin::kBack), 20.0f);
    EXPECT_EQ(spin->GetPartLeft(Spin::kDown), 80.0f);
    EXPECT_EQ(spin->GetPartLeft(Spin::kUp), 104.0f);
    m_Harness.MouseMove(600, 600);
    m_Harness.Step(16000);
    EXPECT_EQ(Rgb(100, 100), kClearRgb);
    EXPECT_EQ(Rgb(121, 101), kBackRgb);
    EXPECT_EQ(Rgb(180, 100), kDownRgb);
    EXPECT_EQ(Rgb(204, 123), kUpRgb);
    struct Case {
        int x, y;
        int consumed;
    };
    for (const Case c : {Case{100, 100, 1}, Case{119, 123, 1}, Case{150, 110, 0}, Case{180, 100, 1},
                         Case{227, 123, 1}, Case{228, 110, 0}, Case{190, 124, 0}, Case{190, 99, 0}}) {
        EXPECT_EQ(m_Harness.LeftDown(c.x, c.y), c.consumed) << c.x << "," << c.y;
        m_Harness.LeftUp(c.x, c.y);
        spin->ResetEventState();
    }
    EXPECT_EQ(Events(1).size(), 4u);
    EXPECT_EQ(Events(1)[0].event.m_Vector[1].x, 100.0f);

    // Hover and press looks of the buttons.
    m_Harness.MouseMove(190, 110);
    m_Harness.Step(16000);
    EXPECT_EQ(Rgb(190, 110), kDownOverRgb);
    m_Harness.LeftDown(190, 110);
    m_Harness.Step(16000);
    EXPECT_EQ(Rgb(190, 110), kDownOnRgb);
    spin->IncLock();
    m_Harness.Step(16000);
    EXPECT_EQ(Rgb(190, 110), kDownRgb) << "behind a closed gate";
}

TEST_F(SpinButtonTest, TheValueTextIsCentredInTheFieldByTheWidthOfZero)
{
    Spin* spin = Make(0, 999, 42);
    spin->m_VisualParam.m_Color0 = GxFColor(1.0f, 0.5f, 0.0f, 1.0f);
    spin->SetAlpha(128);
    spin->SetScale(GxVector3(2.0f, 2.0f, 1.0f));
    m_Harness.Recorder().Clear();
    m_Harness.Step(16000);
    std::vector<WidgetDrawCall> texts = m_Harness.Recorder().CallsOf("DrawBitmapFontText");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, u"42");
    EXPECT_EQ(texts[0].points[0].x, 142.0f);   // (60 - 16) / 2 + 20
    EXPECT_EQ(texts[0].points[0].y, 104.0f);   // (24 - 16) / 2
    EXPECT_EQ(texts[0].colors[0], ColorToArgb(spin->m_VisualParam.m_Color0)) << "no actor alpha";

    // Three characters, truncated to whole pixels; the parts are drawn as pure translations.
    spin->SetValue(7.5);   // "%.0f" rounds to even: "8"
    spin->SetPos(GxVector3(100.7f, 100.0f, 0.0f));
    m_Harness.Recorder().Clear();
    m_Harness.Step(16000);
    texts = m_Harness.Recorder().CallsOf("DrawBitmapFontText");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].text, u"8");
    EXPECT_EQ(texts[0].points[0].x, 146.0f);   // trunc(100.7 + 46)
    const std::vector<WidgetDrawCall> parts = m_Harness.Recorder().CallsOf("DrawImagePattern");
    ASSERT_EQ(parts.size(), 4u);
    EXPECT_FLOAT_EQ(parts[0].points[0].x, 120.7f) << "background first";
    EXPECT_FLOAT_EQ(parts[1].points[0].x, 180.7f) << "then down";
    EXPECT_FLOAT_EQ(parts[2].points[0].x, 204.7f) << "then up";
    EXPECT_FLOAT_EQ(parts[3].points[0].x, 100.7f) << "then clear";
}

TEST_F(SpinButtonTest, TheDownAndUpCellsAreRequired)
{
    struct Case {
        const char16_t* image;
        const char* message;
    };
    for (const Case c : {Case{u"uigis/spin/nodown", "GxTaskUISpinButtonIs/Image not found:nodown_down_off.png ["},
                         Case{u"uigis/spin/noup", "GxTaskUISpinButtonIs/Image not found:noup_up_off.png ["},
                         Case{u"uigis/none/n", "GxTaskUISpinButtonIs/ImageSet wasn't Loaded:uigis/none.gis ["}}) {
        m_Log.m_Errors.clear();
        Spin* spin = Make(0, 10, 0, c.image);
        ASSERT_EQ(m_Log.m_Errors.size(), 1u) << c.message;
        EXPECT_EQ(m_Log.m_Errors[0].rfind(c.message, 0), 0u) << m_Log.m_Errors[0];
        EXPECT_FALSE(spin->LoadImages());
        EXPECT_EQ(spin->m_Width, 0);
        m_Harness.Step(16000);   // draws what it has without failing
    }
}

TEST_F(SpinButtonTest, TheSizesAreTheSumOfThePartsAndTheFieldsHeight)
{
    Spin* spin = Make(0, 10, 0);
    EXPECT_EQ(spin->m_Width, 128);
    EXPECT_EQ(spin->m_Height, 24);
    EXPECT_EQ(spin->m_ClientWidth, 60);
    EXPECT_EQ(spin->m_ClientHeight, 24);

    spin->ReleaseImages();
    EXPECT_EQ(spin->GetPartWidth(Spin::kBack), 0.0f);
    EXPECT_EQ(spin->GetCell(Spin::kBack, Spin::kNormal), nullptr);
    spin->Remove();

    // Without clear and background: their widths are 0 and the sizes stay.
    Spin* bare = Make(0, 10, 0, u"uigis/spin/bare");
    EXPECT_TRUE(m_Log.m_Errors.empty());
    EXPECT_EQ(bare->GetPartWidth(Spin::kClear), 0.0f);
    EXPECT_EQ(bare->GetPartLeft(Spin::kUp), 24.0f);
    EXPECT_EQ(bare->GetPartHeight(Spin::kUp), 20.0f);
    EXPECT_EQ(bare->m_Width, 0);
    EXPECT_EQ(bare->GetCell(Spin::kDown, Spin::kDisabled), bare->GetCell(Spin::kDown, Spin::kNormal));
    EXPECT_EQ(bare->GetCell(Spin::kUp, Spin::kPressed), nullptr);
    m_Harness.Step(16000);   // the first one is gone
    EXPECT_EQ(m_Harness.LeftDown(101, 110), 1) << "down starts at 100";
    EXPECT_EQ(m_Harness.LeftDown(139, 110), 1) << "up ends at 140";
    EXPECT_EQ(m_Harness.LeftDown(140, 110), 0);

}

TEST_F(SpinButtonTest, ItIsAButtonWithoutHoverReportsOrSavedFieldsOfItsOwn)
{
    DBUIModuleRow row;
    row.m_ID = 8;
    row.m_UIType = kUITypeSpinButton;
    row.m_ImageSetName = u"spin";
    row.m_ImageName = u"n";
    auto* spin = dynamic_cast<Spin*>(CreateWidgetFromModuleRow(Screen(), &row, u"spin", -1));
    ASSERT_NE(spin, nullptr);
    EXPECT_EQ(spin->GetTaskType(), 24);
    EXPECT_NE(spin->m_KindFlags & kKindPushButton, 0u);
    spin->SetPos(GxVector3(100.0f, 100.0f, 0.0f));
    spin->m_AutoHelpTime = 0;
    spin->SetMax(10.0);
    Enter(spin);
    EXPECT_EQ(spin->m_Width, 128);
    m_Harness.MouseMove(190, 110);
    m_Harness.Step(16000);
    m_Harness.MouseMove(600, 600);
    m_Harness.Step(16000);
    EXPECT_TRUE(Screen()->m_Events.empty());
    EXPECT_EQ(spin->GetHoverCount(), 0);

    spin->SetValue(6.0);
    auto* copy = new Spin(Screen(), nullptr, nullptr, 0);
    ASSERT_TRUE(RoundTrip(spin, copy));
    EXPECT_EQ(copy->GetValue(), 6.0);
    EXPECT_TRUE(copy->m_ImageName.empty()) << "the image names are not saved";
}

}  // namespace
}  // namespace ui_test
