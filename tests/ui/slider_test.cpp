// [Sliders] value and position mapping, the hit area widened by half a thumb, setting values from
// code, track clicks and their glide, drags with event 16 on every move and the linked widget,
// enter and leave, the release, the disabled look of an empty range, the default client
// rectangle, the vertical mirror, the load messages and a track without length.
#include "image_widget_test_support.h"

#include "data/db_uilayout.h"
#include "data/db_uimodule.h"
#include "ui/task_ui_null.h"
#include "ui/ui_slider.h"
#include "ui/widget_factory.h"

#include <cmath>

namespace ui_test {
namespace {

constexpr std::uint32_t kTrackRgb = 0x303030;
constexpr std::uint32_t kTrackNaRgb = 0x505050;

class SliderTest : public ImageWidgetTest {
protected:
    void SetUp() override
    {
        ImageWidgetTest::SetUp();
        ASSERT_TRUE(m_Sets.Add("uigis/sl.gis",
                               {Cell(u"h_off.png", 20, 20, kOffRgb), Cell(u"h_on.png", 20, 20, kOnRgb),
                                Cell(u"h_over.png", 20, 20, kOverRgb), Cell(u"h_na.png", 20, 20, kNaRgb),
                                Cell(u"h_back.png", 220, 20, kTrackRgb), Cell(u"h_backna.png", 220, 20, kTrackNaRgb),
                                Cell(u"v_off.png", 20, 20, kOffRgb), Cell(u"v_back.png", 20, 220, kTrackRgb),
                                Cell(u"wide_off.png", 20, 20, kOffRgb), Cell(u"wide_back.png", 240, 20, kTrackRgb),
                                Cell(u"nothumb_back.png", 240, 20, kTrackRgb)}));
    }

    // The set-up of the cases: at (100, 300), client (10, 0, 200, 20), thumb 20 x 20, range 0..100.
    template <class Slider = GxTaskUIHSliderIs>
    Slider* Make(const char16_t* image = u"uigis/sl/h")
    {
        auto* slider = new Slider(Screen(), nullptr, nullptr, 0);
        slider->SetImageName(image);
        slider->SetPos(GxVector3(100.0f, 300.0f, 0.0f));
        if (std::is_same_v<Slider, GxTaskUIHSliderIs>)
            slider->SetClientRect(10, 0, 200, 20);
        else
            slider->SetClientRect(0, 10, 20, 200);
        return Enter(slider);
    }
};

TEST_F(SliderTest, TheHitAreaIsTheClientRectangleWidenedByHalfAThumbAlongTheTrack)
{
    GxTaskUIHSliderIs* slider = Make();
    EXPECT_EQ(slider->m_ThumbWidth, 20);
    EXPECT_EQ(slider->m_Width, 220);
    const float origin[2] = {100.0f, 300.0f};
    struct Case {
        float x, y;
        bool inside;
    };
    for (const Case c : {Case{100, 300, true}, Case{319.5f, 319.5f, true}, Case{99.5f, 310, false},
                         Case{320, 310, false}, Case{200, 299.5f, false}, Case{200, 320, false}})
        EXPECT_EQ(slider->HitTestClient(origin, c.x, c.y), c.inside) << c.x << "," << c.y;
}

TEST_F(SliderTest, AValueFromCodeIsClampedAndMovesTheThumbAtOnceWithoutAnEvent)
{
    GxTaskUIHSliderIs* slider = Make();
    slider->SetValue(150.0);
    EXPECT_EQ(slider->GetValue(), 100.0);
    EXPECT_EQ(slider->GetThumbTarget(), 200.0f);
    EXPECT_EQ(slider->GetThumbDrawn(), 200.0f);
    EXPECT_EQ(slider->GetGlideCounter(), 0);
    slider->SetValueInt(25);
    EXPECT_EQ(slider->GetThumbTarget(), 50.0f);
    slider->SetValue(-3.0);
    EXPECT_EQ(slider->GetValue(), 0.0);
    slider->SetValue(std::nan(""));
    EXPECT_EQ(slider->GetValue(), 0.0);
    m_Harness.Step(16000);
    EXPECT_TRUE(Events(16).empty());

    // Max and min move the value into the new range.
    slider->SetValue(80.0);
    slider->SetMax(60.0);
    EXPECT_EQ(slider->GetValue(), 60.0);
    EXPECT_EQ(slider->GetThumbTarget(), 200.0f);
    slider->SetMin(70.0);
    EXPECT_EQ(slider->GetValue(), 60.0) << "raised to the minimum only when below it; else lowered to the maximum";
    EXPECT_EQ(slider->PositionToValue(-1.0), 70.0);
}

TEST_F(SliderTest, ATrackClickSetsTheValueAtOnceAndTheThumbGlidesThere)
{
    GxTaskUIHSliderIs* slider = Make();
    EXPECT_EQ(m_Harness.LeftDown(315, 310), 1);
    EXPECT_EQ(slider->GetValue(), 100.0);
    m_Harness.LeftUp(315, 310);
    EXPECT_EQ(m_Harness.LeftDown(102, 310), 1);
    EXPECT_EQ(slider->GetValue(), 0.0);
    m_Harness.LeftUp(102, 310);
    slider->ResetEventState();   // stops the glide: the thumb drawn at its target
    EXPECT_EQ(slider->GetThumbDrawn(), 0.0f);
    Screen()->m_Events.clear();

    auto* linked = new GxTaskUINull(Screen(), nullptr, nullptr, 0);
    slider->SetLinkedWidget(linked);
    EXPECT_EQ(m_Harness.LeftDown(160, 310), 1);
    EXPECT_EQ(slider->GetValue(), 25.0);
    EXPECT_EQ(linked->GetValue(), 25.0);
    ASSERT_EQ(Events(16).size(), 1u);
    EXPECT_EQ(Events(16)[0].event.m_Vector[0].x, 160.0f);
    EXPECT_EQ(Events(16)[0].event.m_Vector[1].y, 300.0f);
    EXPECT_EQ(slider->GetThumbTarget(), 50.0f);
    EXPECT_EQ(slider->GetThumbDrawn(), 0.0f);
    EXPECT_TRUE(slider->IsPressed()) << "a drag may follow at once";

    m_Harness.Step(16000);
    EXPECT_EQ(slider->GetThumbDrawn(), 0.0f) << "t = 1 leaves the thumb where it was";
    m_Harness.Step(16000);
    EXPECT_NEAR(slider->GetThumbDrawn(), 50.0f - 50.0f * std::pow(0.99f, 81.0f), 1e-3f);
    for (int update = 3; update <= 100; ++update)
        m_Harness.Step(16000);
    EXPECT_EQ(slider->GetGlideCounter(), 0);
    EXPECT_EQ(slider->GetThumbDrawn(), 50.0f);

    // A click beside the thumb: half values land on whole pixels here.
    m_Harness.LeftUp(160, 310);
    m_Harness.LeftDown(191, 310);
    EXPECT_EQ(slider->GetValue(), 40.5);
    EXPECT_EQ(slider->GetThumbTarget(), 81.0f);
    EXPECT_EQ(slider->GetGlideCounter(), 100);
}

TEST_F(SliderTest, ADragMovesByPixelsFromItsOriginAndReportsEveryMove)
{
    GxTaskUIHSliderIs* slider = Make();
    auto* linked = new GxTaskUINull(Screen(), nullptr, nullptr, 0);
    slider->SetLinkedWidget(linked);
    slider->SetValue(50.0);   // the thumb spans x 200 to 220
    EXPECT_EQ(m_Harness.LeftDown(200, 310), 1);
    EXPECT_EQ(slider->GetValue(), 50.0) << "a press on the thumb changes nothing";
    EXPECT_TRUE(Events(16).empty());
    EXPECT_TRUE(slider->IsPressed());

    EXPECT_EQ(m_Harness.MouseMove(201, 310), 0) << "moves are passed on";
    EXPECT_EQ(slider->GetValue(), 50.5);
    EXPECT_EQ(linked->GetValue(), 51.0);
    EXPECT_EQ(slider->GetThumbTarget(), 101.0f);
    EXPECT_EQ(slider->GetThumbDrawn(), 101.0f);
    m_Harness.MouseMove(201, 500);   // off the widget, same x: no change, still reported
    EXPECT_EQ(slider->GetValue(), 50.5);
    m_Harness.MouseMove(100, 310);
    EXPECT_EQ(slider->GetValue(), 0.0) << "clamped";
    EXPECT_EQ(Events(16).size(), 3u);
    EXPECT_EQ(linked->GetValue(), 0.0);

    // Moving W pixels spans the whole range before the clamp.
    slider->SetMax(1000.0);
    slider->SetMin(-1000.0);
    m_Harness.LeftUp(100, 310);
    slider->SetValue(0.0);   // thumb at 100 px: x 210
    m_Harness.LeftDown(210, 310);
    m_Harness.MouseMove(410, 310);
    EXPECT_EQ(slider->GetValue(), 2000.0 - 1000.0);

    // Any release ends the drag and is passed on, also far outside and behind a closed gate.
    m_Harness.UI().m_DialogCount = 1;
    EXPECT_EQ(m_Harness.LeftUp(900, 700), 0);
    EXPECT_FALSE(slider->IsPressed());
    m_Harness.UI().m_DialogCount = 0;
    const std::size_t reported = Events(16).size();
    m_Harness.MouseMove(300, 310);
    EXPECT_EQ(Events(16).size(), reported);
}

TEST_F(SliderTest, EnterAndLeaveAndTheDrawState)
{
    GxTaskUIHSliderIs* slider = Make();
    EXPECT_EQ(m_Harness.MouseMove(150, 310), 0);
    m_Harness.MouseMove(151, 310);
    EXPECT_EQ(Events(7).size(), 1u);
    m_Harness.Step(16000);
    EXPECT_EQ(slider->GetDrawState(), 2);
    EXPECT_EQ(Rgb(115, 310), kOverRgb) << "the thumb at 0, its hover cell";

    m_Harness.LeftDown(110, 310);   // on the thumb
    m_Harness.MouseMove(110, 500);
    m_Harness.Step(16000);
    EXPECT_TRUE(Events(8).empty()) << "no leave while pressed";
    EXPECT_EQ(slider->GetDrawState(), 1);
    EXPECT_EQ(Rgb(115, 310), kOnRgb);
    m_Harness.LeftUp(110, 500);
    m_Harness.Step(16000);
    ASSERT_EQ(Events(8).size(), 1u);
    EXPECT_EQ(Events(8)[0].event.m_Vector[0].y, 500.0f);
    EXPECT_EQ(slider->GetDrawState(), 0);
    EXPECT_EQ(Rgb(115, 310), kOffRgb);
    EXPECT_EQ(Rgb(300, 310), kTrackRgb);

    slider->SetMouseMoveBlockFlag(true);
    EXPECT_EQ(m_Harness.MouseMove(150, 310), 1);
    slider->SetEventBlockFlag(false);
    EXPECT_EQ(m_Harness.LeftDown(150, 310), 0);
}

TEST_F(SliderTest, AnEmptyRangeShowsTheDisabledCellsAndMapsEverythingToTheMinimum)
{
    GxTaskUIHSliderIs* slider = Make();
    // A layout row without a Max: 0..0, the same look.
    DBUILayoutRow row;
    row.m_Visible = 1;
    row.m_Enabled = 1;
    row.m_Value = 30;
    row.m_Left = 100.0f;
    row.m_Top = 300.0f;
    slider->ApplyLayoutRecord(&row);
    EXPECT_EQ(slider->GetMax(), 0.0);
    EXPECT_EQ(slider->GetValue(), 0.0);
    m_Harness.Step(16000);
    EXPECT_EQ(Rgb(300, 310), kTrackNaRgb);
    EXPECT_EQ(Rgb(115, 310), kNaRgb);
    m_Harness.LeftDown(250, 310);
    m_Harness.MouseMove(300, 310);
    EXPECT_EQ(slider->GetValue(), 0.0);
    EXPECT_EQ(slider->PositionToValue(150.0), 0.0);
    EXPECT_EQ(slider->PixelsToValueDelta(50.0), 0.0);
    EXPECT_EQ(slider->GetThumbTarget(), 0.0f);
}

TEST_F(SliderTest, TheDefaultClientRectangleAndTheThumbPlacement)
{
    auto* margin = new GxTaskUIHSliderIs(Screen(), nullptr, nullptr, 0);
    margin->SetImageName(u"uigis/sl/wide");
    margin->m_ClientLeft = 4;
    EXPECT_TRUE(margin->LoadImages());
    EXPECT_EQ(margin->m_ClientWidth, 232);
    EXPECT_EQ(margin->m_ClientHeight, 20);
    auto* bare = new GxTaskUIHSliderIs(Screen(), nullptr, nullptr, 0);
    bare->SetImageName(u"uigis/sl/wide");
    EXPECT_TRUE(bare->LoadImages());
    EXPECT_EQ(bare->m_ClientWidth, 230) << "half a thumb short";
    margin->Remove();
    bare->Remove();

    // The thumb centred on its place along the track and across it.
    GxTaskUIHSliderIs* slider = Make();
    slider->SetValue(25.0);
    m_Harness.Recorder().Clear();
    m_Harness.Step(16000);
    const std::vector<WidgetDrawCall> draws = m_Harness.Recorder().CallsOf("DrawImagePattern");
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].points[0].x, 100.0f) << "the track";
    EXPECT_EQ(draws[1].points[0].x, 100.0f + 10.0f + 50.0f - 10.0f);
    EXPECT_EQ(draws[1].points[0].y, 300.0f);
    EXPECT_EQ(Rgb(150, 310), kOffRgb);
    EXPECT_EQ(Rgb(149, 310), kTrackRgb);
}

TEST_F(SliderTest, TheVerticalSliderIsTheSameOnTheOtherAxis)
{
    auto* slider = Make<GxTaskUIVSliderIs>(u"uigis/sl/v");
    EXPECT_EQ(slider->GetTaskType(), 31);
    EXPECT_EQ(slider->m_Height, 220);
    const float origin[2] = {100.0f, 300.0f};
    EXPECT_TRUE(slider->HitTestClient(origin, 100.0f, 300.0f)) << "half a thumb above the track";
    EXPECT_FALSE(slider->HitTestClient(origin, 100.0f, 299.5f));
    EXPECT_TRUE(slider->HitTestClient(origin, 119.0f, 519.5f));
    EXPECT_FALSE(slider->HitTestClient(origin, 120.0f, 400.0f));

    EXPECT_EQ(m_Harness.LeftDown(110, 360), 1);   // 50 px down a 200 px track
    EXPECT_EQ(slider->GetValue(), 25.0);
    EXPECT_EQ(slider->GetThumbTarget(), 50.0f);
    EXPECT_EQ(slider->m_ThumbTarget.x, 0.0f);
    m_Harness.MouseMove(110, 460);
    EXPECT_EQ(slider->GetValue(), 75.0);
    m_Harness.LeftUp(110, 460);
    EXPECT_EQ(Events(16).size(), 2u);

    m_Harness.Recorder().Clear();
    m_Harness.Step(16000);
    const std::vector<WidgetDrawCall> draws = m_Harness.Recorder().CallsOf("DrawImagePattern");
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[1].points[0].x, 100.0f);
    EXPECT_EQ(draws[1].points[0].y, 300.0f + 10.0f + 150.0f - 10.0f);

    auto* bare = new GxTaskUIVSliderIs(Screen(), nullptr, nullptr, 0);
    bare->SetImageName(u"uigis/sl/v");
    EXPECT_TRUE(bare->LoadImages());
    EXPECT_EQ(bare->m_ClientHeight, 210);
    EXPECT_EQ(bare->m_ClientWidth, 20);
}

TEST_F(SliderTest, LoadFailuresAreLoggedPerClassAndKeepWhatWasFound)
{
    auto* noSet = new GxTaskUIHSliderIs(Screen(), u"sl_noset", nullptr, 0);
    noSet->SetImageName(u"uigis/none/h");
    EXPECT_FALSE(noSet->LoadImages());
    auto* noThumb = new GxTaskUIVSliderIs(Screen(), u"sl_nothumb", nullptr, 0);
    noThumb->SetImageName(u"uigis/sl/nothumb");
    EXPECT_FALSE(noThumb->LoadImages());
    EXPECT_NE(noThumb->GetCell(GxTaskUISliderIs::kTrack), nullptr);
    ASSERT_EQ(m_Log.m_Errors.size(), 2u);
    EXPECT_EQ(m_Log.m_Errors[0],
              "GxTaskUIHSliderIs/ImageSet wasn't Loaded:uigis/none.gis [" + WideToUtf8(noSet->GetTaskPath()) + "]\n");
    EXPECT_EQ(m_Log.m_Errors[1],
              "GxTaskUIVSliderIs/Image not found:nothumb_off.png [" + WideToUtf8(noThumb->GetTaskPath()) + "]\n");

    DBUIModuleRow row;
    row.m_UIType = kUITypeHSlider;
    row.m_ImageSetName = u"sl";
    row.m_ImageName = u"h";
    GxTaskUIBase* built = CreateWidgetFromModuleRow(Screen(), &row, u"s", 0);
    ASSERT_NE(dynamic_cast<GxTaskUIHSliderIs*>(built), nullptr);
    EXPECT_EQ(built->GetMax(), 100.0);
    EXPECT_TRUE(built->LoadImages());
    row.m_UIType = kUITypeVSlider;
    EXPECT_NE(dynamic_cast<GxTaskUIVSliderIs*>(CreateWidgetFromModuleRow(Screen(), &row, u"s", 1)), nullptr);
}

TEST_F(SliderTest, ATrackWithoutLengthMapsNothingAndIsLogged)
{
    auto* slider = new GxTaskUIHSliderIs(Screen(), u"sl_flat", nullptr, 0);
    slider->SetImageName(u"uigis/sl/h");
    slider->SetPos(GxVector3(100.0f, 300.0f, 0.0f));
    slider->m_Width = 20;
    slider->m_ClientLeft = 10;   // 20 - 2 x 10: no track
    slider->SetValue(40.0);
    Enter(slider);
    EXPECT_EQ(slider->GetTrackLength(), 0);
    ASSERT_EQ(m_Log.m_Errors.size(), 1u);
    EXPECT_EQ(m_Log.m_Errors[0], "GxTaskUIHSliderIs/No track to slide on:h [" + WideToUtf8(slider->GetTaskPath()) + "]\n");
    EXPECT_EQ(slider->GetThumbTarget(), 0.0f);
    EXPECT_EQ(slider->PixelsToValueDelta(10.0), 0.0);
    EXPECT_EQ(m_Harness.LeftDown(112, 310), 1);   // the widened hit area is all there is
    m_Harness.MouseMove(150, 310);
    EXPECT_EQ(slider->GetValue(), 40.0);
    EXPECT_EQ(slider->GetThumbTarget(), 0.0f);
    EXPECT_FALSE(std::isnan(slider->GetThumbDrawn()));
    EXPECT_EQ(slider->GetValueRounded(), 40);
}

}  // namespace
}  // namespace ui_test
