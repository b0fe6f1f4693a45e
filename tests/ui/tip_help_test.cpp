// [Help tip] measuring and sizing in 16-pixel steps, placement at the pointer with flips and
// clamps, hiding at a pointer move, the tiled frame, the defaults, the saved values, the missing
// set and cell, and the automatic help of a hovered widget showing it in the frame.
#include "image_widget_test_support.h"

#include "core/core_config.h"
#include "data/db_uimodule.h"
#include "ui/ui_panel.h"
#include "ui/ui_tip_help.h"
#include "ui/widget_factory.h"

namespace ui_test {
namespace {

constexpr std::uint32_t kFrameRgb = 0x30A050;

class TipHelpTest : public ImageWidgetTest {
protected:
    void SetUp() override
    {
        ImageWidgetTest::SetUp();
        ASSERT_TRUE(m_Sets.Add("uigis/tip.gis", {Cell(u"frame.png", 64, 64, kFrameRgb)}));
    }
    GxTaskUITipHelpIs* Make(std::int32_t fontSize = 16)
    {
        auto* tip = new GxTaskUITipHelpIs(Screen(), u"tip_help", nullptr, 0);
        tip->m_TextFontSize = fontSize;
        return Enter(tip);
    }
};

TEST_F(TipHelpTest, TheTipMeasuresItsTextAndSizesItselfInSixteenPixelSteps)
{
    struct Case {
        const char16_t* text;
        std::int32_t lineWidth;
        std::int32_t width, count, tipWidth, tipHeight;
    };
    const Case cases[] = {
        {u"AB", 320, 32, 0, 48, 32},
        {u"AB|", 320, 32, 0, 48, 32},     // a trailing break measures as absent
        {u"AB\n", 320, 32, 0, 48, 32},
        {u"A|B", 320, 24, 1, 48, 48},     // (3 x 16 + 15) / 16 = 3 rows
        {u"AB\nCDEF", 320, 48, 1, 64, 48},
        {u"ABCD", 40, 32, 1, 48, 48},     // C wraps and adds nothing to the width
        {u"あいうえお", 320, 96, 0, 112, 32},
        {u"", 320, 0, 0, 32, 32},
    };
    GxTaskUITipHelpIs* tip = Make();
    for (const Case& c : cases) {
        tip->SetNewLineWidth(c.lineWidth);
        tip->Show();
        tip->SetText(c.text);
        std::int32_t width = -1;
        EXPECT_EQ(tip->MeasureText(&width), c.count) << WideToUtf8(c.text);
        EXPECT_EQ(width, c.width) << WideToUtf8(c.text);
        EXPECT_EQ(tip->GetWidth(), c.tipWidth) << WideToUtf8(c.text);
        EXPECT_EQ(tip->GetHeight(), c.tipHeight) << WideToUtf8(c.text);
        EXPECT_EQ(tip->IsVisible(), c.text[0] != 0) << "an empty text hides the tip";
    }
}

TEST_F(TipHelpTest, PlaceAtFlipsAtTheScreenEdgesOnTheAbsolutePositionThenClamps)
{
    struct Case {
        float pointerX, pointerY;
        float x, y;
    };
    const Case cases[] = {
        {300, 200, 276, 224},
        {1000, 100, 928, 124},   // would cross the right edge: left of the pointer
        {100, 750, 76, 694},     // would cross the bottom: above the pointer
        {10, 10, 0, 34},         // a negative position clamps to 0
        {2000, 2000, 928, 736},  // flipped and still outside: held on the screen
    };
    GxTaskUITipHelpIs* tip = Make();
    tip->SetPadding(8);
    tip->m_Width = 96;
    tip->m_Height = 32;
    for (const Case& c : cases) {
        const float pointer[4] = {c.pointerX, c.pointerY, 0.0f, 0.0f};
        EXPECT_EQ(tip->PlaceAt(pointer), 0);
        EXPECT_EQ(tip->GetPos().x, c.x) << c.pointerX << "," << c.pointerY;
        EXPECT_EQ(tip->GetPos().y, c.y) << c.pointerX << "," << c.pointerY;
    }
}

TEST_F(TipHelpTest, APointerMoveHidesTheTipOnlyWithAutoHideAndIsNeverConsumed)
{
    GxTaskUITipHelpIs* tip = Make();
    tip->SetText(u"AB");
    tip->Show();
    const GxVector2 point(5.0f, 5.0f);
    tip->m_AutoHide = false;
    EXPECT_EQ(tip->OnMouseMove(&point, 0), 0);
    EXPECT_TRUE(tip->IsVisible());
    tip->SetText(u"");
    EXPECT_FALSE(tip->IsVisible()) << "without auto-hide only an empty text hides it";

    tip->m_AutoHide = true;
    tip->SetText(u"AB");
    tip->Show();
    EXPECT_EQ(tip->OnMouseMove(&point, 0), 0);
    EXPECT_FALSE(tip->IsVisible());
}

TEST_F(TipHelpTest, TheFrameIsTiledFromSixteenPixelSquaresEachClippedToItsSquare)
{
    GxTaskUITipHelpIs* tip = Make();
    tip->SetImageName(u"uigis/tip/frame");
    ASSERT_TRUE(tip->LoadImages());
    tip->SetText(u"AB");   // 48 x 32: 2 rows of 3
    tip->SetPos(GxVector3(100.0f, 200.0f, 0.0f));
    tip->Show();
    m_Harness.Recorder().Clear();
    m_Harness.Step(16000);
    const std::vector<WidgetDrawCall> tiles = m_Harness.Recorder().CallsOf("DrawImagePatternClipped");
    ASSERT_EQ(tiles.size(), 6u);
    const std::int32_t sources[6][2] = {{0, 0}, {16, 0}, {48, 0}, {0, 48}, {16, 48}, {48, 48}};
    for (std::size_t i = 0; i < 6; ++i) {
        const std::int32_t row = static_cast<std::int32_t>(i) / 3;
        const std::int32_t column = static_cast<std::int32_t>(i) % 3;
        EXPECT_EQ(tiles[i].clip.left, sources[i][0]) << i;
        EXPECT_EQ(tiles[i].clip.top, sources[i][1]) << i;
        EXPECT_EQ(tiles[i].clip.right, sources[i][0] + 16) << i;
        EXPECT_EQ(tiles[i].clip.bottom, sources[i][1] + 16) << i;
        // The square lands on its tile.
        EXPECT_EQ(tiles[i].points[0].x, 100.0f + 16.0f * column) << i;
        EXPECT_EQ(tiles[i].points[0].y, 200.0f + 16.0f * row) << i;
    }
    EXPECT_EQ(Rgb(100, 200), kFrameRgb);
    EXPECT_EQ(Rgb(147, 231), kFrameRgb);
    EXPECT_NE(Rgb(148, 200), kFrameRgb);
    EXPECT_NE(Rgb(100, 232), kFrameRgb);
    // Edge, then body, per glyph, at (p + x, p).
    const std::vector<WidgetDrawCall> bodies = m_Harness.Recorder().CallsOf("DrawGlyphRecord");
    ASSERT_EQ(bodies.size(), 2u);
    EXPECT_EQ(bodies[1].points[0].x, 100.0f + 8.0f + 8.0f);
    EXPECT_EQ(bodies[1].points[0].y, 200.0f + 8.0f);
    EXPECT_EQ(m_Harness.Recorder().CallsOf("DrawGlyphRing").size(), 2u);

    // A pattern index at or past the count draws no frame, only the text.
    tip->SetPatternIndex(1);
    m_Harness.Recorder().Clear();
    m_Harness.Step(16000);
    EXPECT_TRUE(m_Harness.Recorder().CallsOf("DrawImagePatternClipped").empty());
    EXPECT_EQ(m_Harness.Recorder().CallsOf("DrawGlyphRecord").size(), 2u);
}

TEST_F(TipHelpTest, DefaultsSavedValuesAndMissingImages)
{
    const GxCoreConfig& config = m_Harness.Core().GetConfig();
    auto* tip = new GxTaskUITipHelpIs(Screen(), nullptr, nullptr, 0);
    EXPECT_EQ(tip->GetTaskType(), 45);
    EXPECT_EQ(tip->m_TextFontIndex, 1);
    EXPECT_EQ(tip->m_TextFontSize, config.m_FontSize[1]);
    EXPECT_EQ(tip->m_EdgeColor, 0x80000000u);
    EXPECT_EQ(tip->GetNewLineWidth(), 320);
    EXPECT_EQ(tip->GetPadding(), 8);
    EXPECT_TRUE(tip->GetModalFlag());
    EXPECT_EQ(tip->GetModalPriority(), 0);
    EXPECT_FALSE(tip->GetEventBlockFlag());
    EXPECT_TRUE(tip->m_AutoHide);
    EXPECT_TRUE(tip->LoadImages()) << "no frame named: nothing to load";

    tip->SetTextFontIndex(6);
    EXPECT_EQ(tip->m_TextFontIndex, 1);
    ASSERT_EQ(m_Log.m_Errors.size(), 1u);

    tip->SetImageName(u"uigis/nothere/frame");
    EXPECT_FALSE(tip->LoadImages());
    tip->SetImageName(u"uigis/tip/nothere");
    EXPECT_FALSE(tip->LoadImages());
    ASSERT_EQ(m_Log.m_Errors.size(), 3u);
    const std::string path = WideToUtf8(tip->GetTaskPath());
    EXPECT_EQ(m_Log.m_Errors[1], "GxTaskUITipHelpIs/ImageSet wasn't Loaded:uigis/nothere.gis [" + path + "]\n");
    EXPECT_EQ(m_Log.m_Errors[2], "GxTaskUITipHelpIs/Image not found:nothere [" + path + "]\n");

    tip->SetImageName(u"uigis/tip/frame");
    tip->m_PatternIndex = 3;
    tip->SetTextFontIndex(4);
    tip->SetTextColor(0xFF010203);
    tip->SetEdgeColor(0xFF040506);
    tip->m_UseEdge = false;
    tip->SetNewLineWidth(200);
    tip->m_AutoHide = false;
    tip->SetPadding(5);
    GxTaskUITipHelpIs* into = Make();
    ASSERT_TRUE(into->SetImageName(u"uigis/tip/frame") && into->LoadImages());
    ASSERT_NE(into->GetCell(), nullptr);
    ASSERT_TRUE(RoundTrip(tip, into));
    EXPECT_EQ(into->m_ImageName, u"frame");
    EXPECT_EQ(into->m_ImageSetName, u"uigis/tip.gis");
    EXPECT_EQ(into->GetPatternIndex(), 3);
    EXPECT_EQ(into->m_TextFontIndex, 4);
    EXPECT_EQ(into->m_TextFontSize, config.m_FontSize[4]);
    EXPECT_EQ(into->m_TextColor, 0xFF010203u);
    EXPECT_EQ(into->m_EdgeColor, 0xFF040506u);
    EXPECT_FALSE(into->m_UseEdge);
    EXPECT_EQ(into->GetNewLineWidth(), 200);
    EXPECT_FALSE(into->m_AutoHide);
    EXPECT_EQ(into->GetPadding(), 5);
    EXPECT_EQ(into->GetCell(), nullptr) << "the read forgets the cell";

    DBUIModuleRow row;
    row.m_UIType = kUITypeTipHelpIs;
    row.m_FontIndex = 2;
    row.m_ImageSetName = u"tip";
    row.m_ImageName = u"frame";
    auto* built = dynamic_cast<GxTaskUITipHelpIs*>(CreateWidgetFromModuleRow(Screen(), &row, u"t", 0));
    ASSERT_NE(built, nullptr);
    EXPECT_EQ(built->m_TextFontIndex, 2);
    EXPECT_EQ(built->m_ImageSetName, config.m_UIImageSetFolder + u"tip.gis");
    EXPECT_EQ(built->m_ImageName, u"frame");
}

TEST_F(TipHelpTest, TheAutomaticHelpOfAHoveredWidgetShowsTheTipAtThePointerInTheFrame)
{
    GxTaskUITipHelpIs* tip = Make();
    tip->SetImageName(u"uigis/tip/frame");
    ASSERT_TRUE(tip->LoadImages());
    tip->Suspend();
    tip->Hide();
    tip->SetTopMostFlag(true);
    auto* panel = new GxTaskUIPanelFx(Screen(), nullptr, nullptr, 0);
    panel->SetPos(GxVector3(100.0f, 100.0f, 0.0f));
    panel->m_Width = 200;
    panel->m_Height = 100;
    panel->m_AutoHelpTime = 100;
    panel->SetDescript(u"AB");
    m_Harness.MouseMove(150, 150);
    m_Harness.Step(200000);
    EXPECT_TRUE(tip->IsActive());
    EXPECT_TRUE(tip->IsVisible());
    EXPECT_EQ(tip->GetText(), u"AB");
    EXPECT_EQ(tip->GetPos().x, 126.0f);
    EXPECT_EQ(tip->GetPos().y, 174.0f);
    m_Harness.Step(16000);
    EXPECT_EQ(Rgb(126, 174), kFrameRgb);
    EXPECT_EQ(Rgb(173, 205), kFrameRgb);
    EXPECT_NE(Rgb(125, 174), kFrameRgb);

    // The next move hides it.
    m_Harness.MouseMove(151, 150);
    EXPECT_FALSE(tip->IsVisible());
}

}  // namespace
}  // namespace ui_test
