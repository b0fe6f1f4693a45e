// [Text panels] the client rectangle in whole pixels, the alignment each setting picks, the text
// without an image, the actor alpha on text and edge, the font gate and the six saved values.
// [Auto-hide panel] the alpha per frame in each mode, the one enter event, the saved mode.
// [Notice panel] the show sequence, the hand-made layout (centring, breaks, wrapping), the icon
// placements, and the icon drawing through MakeUILayerParam.
#include "image_widget_test_support.h"

#include "core/core_config.h"
#include "data/db_uimodule.h"
#include "ui/ui_auto_hide_panel.h"
#include "ui/ui_layer_param.h"
#include "ui/ui_notice_panel.h"
#include "ui/ui_text_panel_fx.h"
#include "ui/ui_text_panel_is.h"
#include "ui/widget_factory.h"

namespace ui_test {
namespace {

class TextPanelTest : public ImageWidgetTest {
protected:
    void SetUp() override
    {
        ImageWidgetTest::SetUp();
        ASSERT_TRUE(m_Sets.Add("uigis/panel.gis", {Cell(u"plate.png", 160, 60, kOffRgb), Cell(u"icon.png", 32, 32, kOnRgb)}));
    }
    template <class Panel>
    Panel* Make(const char16_t* text)
    {
        auto* panel = new Panel(Screen(), nullptr, nullptr, 0);
        panel->SetPos(GxVector3(100.0f, 50.0f, 0.0f));
        panel->m_Width = 160;
        panel->m_Height = 60;
        panel->SetClientRect(4, 6, 120, 40);
        panel->SetText(text);
        return Enter(panel);
    }
    std::vector<WidgetDrawCall> Draw(const char* call)
    {
        m_Harness.Recorder().Clear();
        m_Harness.Step(16000);
        return m_Harness.Recorder().CallsOf(call);
    }
};

template <class Panel>
void CheckRectangleAndAlignment(Panel* panel,
                                const std::function<std::vector<WidgetDrawCall>(const char*)>& draw)
{
    struct Case {
        std::int32_t autoAlign;
        GxWidgetTextAlign align;
    };
    const Case cases[] = {{1, GxWidgetTextAlign::kCenter}, {2, GxWidgetTextAlign::kRight},
                          {0, GxWidgetTextAlign::kLeft},   {3, GxWidgetTextAlign::kLeft},
                          {-1, GxWidgetTextAlign::kLeft}};
    for (const Case& c : cases) {
        panel->SetAutoAlign(c.autoAlign);
        const std::vector<WidgetDrawCall> texts = draw("DrawAlignedText");
        ASSERT_EQ(texts.size(), 1u);
        EXPECT_EQ(texts[0].index, static_cast<std::int32_t>(c.align)) << c.autoAlign;
        EXPECT_EQ(texts[0].text, u"名前|B");
        EXPECT_EQ(texts[0].clip.left, 104);
        EXPECT_EQ(texts[0].clip.top, 56);
        EXPECT_EQ(texts[0].clip.right, 224);
        EXPECT_EQ(texts[0].clip.bottom, 96);
    }
}

TEST_F(TextPanelTest, BothPanelsDrawTheirTextInTheClientRectangleByTheAlignmentSetting)
{
    auto draw = [this](const char* call) { return Draw(call); };
    auto* fx = Make<GxTaskUITextPanelFx>(u"名前|B");
    EXPECT_EQ(fx->GetAutoAlign(), 1);
    CheckRectangleAndAlignment(fx, draw);
    fx->Remove();
    auto* is = Make<GxTaskUITextPanelIs>(u"名前|B");
    CheckRectangleAndAlignment(is, draw);
    // With its cell the image-set panel draws the pattern first, then the text.
    is->SetImageName(u"uigis/panel/plate");
    ASSERT_TRUE(is->LoadImages());
    m_Harness.Recorder().Clear();
    m_Harness.Step(16000);
    std::vector<std::string> order;
    for (const WidgetDrawCall& call : m_Harness.Recorder().Calls())
        if (call.call == "DrawImagePattern" || call.call == "DrawAlignedText")
            order.push_back(call.call);
    EXPECT_EQ(order, (std::vector<std::string>{"DrawImagePattern", "DrawAlignedText"}));
}

TEST_F(TextPanelTest, TheTextMovesByWholePixelsOnlyAndIgnoresTheActorScale)
{
    auto* panel = Make<GxTaskUITextPanelFx>(u"A");
    panel->SetScale(GxVector3(2.0f, 2.0f, 1.0f));
    panel->SetPos(GxVector3(100.4f, 50.9f, 0.0f));
    std::vector<WidgetDrawCall> texts = Draw("DrawAlignedText");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].clip.left, 104);
    EXPECT_EQ(texts[0].clip.top, 56);
    EXPECT_EQ(texts[0].clip.right - texts[0].clip.left, 120) << "unscaled";
    panel->SetPos(GxVector3(101.0f, 51.0f, 0.0f));
    texts = Draw("DrawAlignedText");
    EXPECT_EQ(texts[0].clip.left, 105);
    EXPECT_EQ(texts[0].clip.top, 57);
}

TEST_F(TextPanelTest, TheActorAlphaScalesTextAndEdgeAndTheBlendPresetIsTheActors)
{
    auto* panel = Make<GxTaskUITextPanelFx>(u"A");
    panel->SetTextColor(0xFF112233);
    panel->SetEdgeColor(0x80445566);
    panel->SetBlendMode(3);
    std::vector<WidgetDrawCall> texts = Draw("DrawAlignedText");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].colors[0], 0xFF112233u);
    EXPECT_EQ(texts[0].colors[2], 0x80445566u);
    EXPECT_EQ(texts[0].preset, 3);
    panel->SetAlpha(0);
    texts = Draw("DrawAlignedText");
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].colors[0], 0x00112233u);
    EXPECT_EQ(texts[0].colors[2], 0x00445566u);
    panel->SetAlpha(51);   // a fifth
    texts = Draw("DrawAlignedText");
    EXPECT_EQ(texts[0].colors[0] >> 24, 51u);
    EXPECT_EQ(texts[0].colors[2] >> 24, 25u);
}

TEST_F(TextPanelTest, TheRightAlignedTextEndsAtTheRectanglesRightEdgeInTheFrame)
{
    auto* panel = Make<GxTaskUITextPanelFx>(u"WW");
    panel->SetTextColor(0xFFFFFFFF);
    panel->SetAutoAlign(2);
    Draw("DrawAlignedText");
    // Some text pixel lies in the right half of the 120-pixel rectangle, none in the left third.
    auto litBetween = [this](int from, int to) {
        UINT width = 0;
        const std::vector<std::uint32_t> frame = m_Harness.ReadFrame(&width);
        for (int y = 56; y < 96; ++y)
            for (int x = from; x < to; ++x)
                if ((frame[std::size_t(y) * width + x] & 0xFFFFFF) == 0xFFFFFF)
                    return true;
        return false;
    };
    EXPECT_TRUE(litBetween(164, 224));
    EXPECT_FALSE(litBetween(104, 144));
    panel->SetAutoAlign(0);
    Draw("DrawAlignedText");
    EXPECT_TRUE(litBetween(104, 144));
    EXPECT_FALSE(litBetween(184, 224));
}

TEST_F(TextPanelTest, FontIndexesOutsideTheCachesAreRefusedAndTheSixValuesAreSaved)
{
    const GxCoreConfig& config = m_Harness.Core().GetConfig();
    auto* from = Make<GxTaskUITextPanelIs>(u"AB");
    EXPECT_EQ(from->GetTaskType(), 17);
    EXPECT_EQ(from->m_TextFontIndex, 2);
    EXPECT_EQ(from->m_TextFontSize, config.m_FontSize[2]);
    EXPECT_EQ(from->m_EdgeColor, 0x80000000u);
    from->SetFontIndex(6);
    from->SetFontIndex(-1);
    EXPECT_EQ(from->m_TextFontIndex, 2);
    EXPECT_EQ(m_Log.m_Errors.size(), 2u);
    from->SetFontIndex(4);
    EXPECT_EQ(from->m_TextFontSize, config.m_FontSize[4]);
    from->SetTextColor(0xFF010203);
    from->SetEdgeColor(0xFF040506);
    from->m_UseEdge = false;
    from->SetAutoAlign(2);

    auto* into = Make<GxTaskUITextPanelIs>(u"");
    into->SetImageName(u"uigis/panel/plate");
    ASSERT_TRUE(into->LoadImages());
    into->m_EventState = 7;
    ASSERT_TRUE(RoundTrip(from, into));
    EXPECT_EQ(into->m_TextFontIndex, 4);
    EXPECT_EQ(into->m_TextFontSize, config.m_FontSize[4]);
    EXPECT_EQ(into->m_TextColor, 0xFF010203u);
    EXPECT_EQ(into->m_EdgeColor, 0xFF040506u);
    EXPECT_FALSE(into->m_UseEdge);
    EXPECT_EQ(into->GetAutoAlign(), 2);
    EXPECT_EQ(into->GetText(), u"AB");
    EXPECT_EQ(into->GetCell(), nullptr) << "the read forgets the cell";
    EXPECT_EQ(into->m_EventState, 0);

    // The module row's font goes through the same gate; a saved index out of range draws nothing.
    DBUIModuleRow row;
    row.m_UIType = kUITypeTextPanelFx;
    row.m_FontIndex = 5;
    auto* built = dynamic_cast<GxTaskUITextPanelFx*>(CreateWidgetFromModuleRow(Screen(), &row, u"t", 0));
    ASSERT_NE(built, nullptr);
    EXPECT_EQ(built->m_TextFontIndex, 5);
    into->m_TextFontIndex = 9;
    from->Remove();
    built->Remove();
    EXPECT_TRUE(Draw("DrawAlignedText").empty());
}

// ---- auto-hide

TEST_F(TextPanelTest, AutoHideAlphaFollowsThePointerInEachMode)
{
    auto* panel = Make<GxTaskUIAutoHidePanelFx>(u"");
    EXPECT_EQ(panel->GetTaskType(), 12);
    EXPECT_FALSE(panel->m_EventBlockFlag);
    EXPECT_EQ(panel->m_AutoHideMode, 1);
    m_Harness.SetCursor(150, 70);   // inside the client rectangle (104-224, 56-96)
    std::vector<std::int32_t> alphas;
    for (int frame = 0; frame < 9; ++frame) {
        m_Harness.Step(16000);
        alphas.push_back(panel->GetAlpha());
    }
    EXPECT_EQ(alphas, (std::vector<std::int32_t>{223, 191, 159, 127, 95, 63, 31, 0, 0}));
    m_Harness.SetCursor(102, 52);   // in the bounds, outside the client rectangle
    m_Harness.Step(16000);
    m_Harness.Step(16000);
    EXPECT_EQ(panel->GetAlpha(), 64);

    panel->m_AutoHideMode = 2;
    m_Harness.Step(16000);
    EXPECT_EQ(panel->GetAlpha(), 32);
    m_Harness.SetCursor(150, 70);
    m_Harness.Step(16000);
    EXPECT_EQ(panel->GetAlpha(), 64);

    panel->m_AutoHideMode = 3;
    for (int frame = 0; frame < 3; ++frame)
        m_Harness.Step(16000);
    EXPECT_EQ(panel->GetAlpha(), 64);
}

TEST_F(TextPanelTest, AutoHideReportsEnteringOnceNeverLeavingAndKeepsItsModeInTheSave)
{
    auto* panel = Make<GxTaskUIAutoHidePanelFx>(u"");
    panel->m_AutoHelpTime = 0;
    panel->SetDescript(u"help");
    auto* tip = new RecordingWidget(Screen(), u"tip_help");
    m_Harness.MouseMove(150, 70);
    m_Harness.Step(16000);
    m_Harness.MouseMove(500, 500);
    m_Harness.Step(16000);
    m_Harness.MouseMove(150, 70);
    m_Harness.Step(16000);
    EXPECT_EQ(Events(7).size(), 1u);
    EXPECT_TRUE(Events(8).empty());
    EXPECT_TRUE(tip->m_Calls.empty()) << "no automatic help";
    panel->ResetEventState();
    m_Harness.MouseMove(151, 70);
    EXPECT_EQ(Events(7).size(), 2u);

    panel->m_AutoHideMode = 2;
    auto* into = Make<GxTaskUIAutoHidePanelFx>(u"");
    ASSERT_TRUE(RoundTrip(panel, into));
    EXPECT_EQ(into->m_AutoHideMode, 2);
}

// ---- notice

TEST_F(TextPanelTest, NoticeSlidesInHoldsAndSlidesOutThenHidesAndReports25)
{
    auto* notice = Make<GxTaskUINoticePanelFx>(u"");
    EXPECT_EQ(notice->GetTaskType(), 13);
    EXPECT_FALSE(notice->m_EventBlockFlag);
    EXPECT_FALSE(notice->m_MouseMoveBlockFlag);
    notice->m_Width = 300;
    notice->Hide();
    GxTaskUINoticePanelFx::QueueShowActions(1500, notice);
    EXPECT_TRUE(notice->IsVisible());
    EXPECT_EQ(notice->GetAlpha(), 0);
    EXPECT_EQ(notice->GetPos().x, 716.0f);
    EXPECT_EQ(notice->GetPos().y, -60.0f);

    m_Harness.Step(125000);
    EXPECT_GT(notice->GetPos().y, -26.0f) << "ease-out: past the middle at half time";
    EXPECT_GT(notice->GetAlpha(), 0);
    m_Harness.Step(125000);
    EXPECT_EQ(notice->GetPos().x, 716.0f);
    EXPECT_EQ(notice->GetPos().y, 8.0f);
    EXPECT_EQ(notice->GetAlpha(), 255);
    m_Harness.Step(1400000);
    EXPECT_EQ(notice->GetPos().x, 716.0f);
    EXPECT_TRUE(Events(25).empty());
    m_Harness.Step(100000);
    m_Harness.Step(125000);
    EXPECT_LT(notice->GetPos().x - 716.0f, 154.0f) << "ease-in: short of the middle at half time";
    m_Harness.Step(125000);
    m_Harness.Step(16000);
    EXPECT_EQ(notice->GetPos().x, 1024.0f);
    EXPECT_EQ(notice->GetPos().y, 8.0f);
    EXPECT_EQ(notice->GetAlpha(), 0);
    EXPECT_FALSE(notice->IsVisible());
    EXPECT_EQ(Events(25).size(), 1u);
}

TEST_F(TextPanelTest, NoticeLayoutCentresBreaksAndWrapsByItsOwnRule)
{
    struct Placed {
        std::int32_t x, y;
    };
    struct Case {
        const char16_t* text;
        std::int32_t size, width;
        std::int32_t blockWidth, blockHeight;
        std::vector<Placed> glyphs;
    };
    const Case cases[] = {
        {u"あいう", 23, 200, 69, 23, {{0, 0}, {23, 0}, {46, 0}}},
        {u"A||B", 20, 200, 20, 60, {{0, 0}, {0, 40}}},                    // an empty line between
        {u"ABCDEFGHIJ", 20, 100, 90, 40,                                   // 80 + 20 reaches 100
         {{0, 0}, {10, 0}, {20, 0}, {30, 0}, {40, 0}, {50, 0}, {60, 0}, {70, 0}, {0, 20}, {10, 20}}},
        {u"あいうえお", 40, 100, 80, 120, {{0, 0}, {40, 0}, {0, 40}, {40, 40}, {0, 80}}},
    };
    for (const Case& c : cases) {
        const GxNoticeTextLayout layout = GxTaskUINoticePanelFx::LayoutText(c.text, c.size, c.width, u'|');
        EXPECT_EQ(layout.m_BlockWidth, c.blockWidth) << WideToUtf8(c.text);
        EXPECT_EQ(layout.m_BlockHeight, c.blockHeight) << WideToUtf8(c.text);
        ASSERT_EQ(layout.m_Glyphs.size(), c.glyphs.size()) << WideToUtf8(c.text);
        for (std::size_t i = 0; i < c.glyphs.size(); ++i) {
            EXPECT_EQ(layout.m_Glyphs[i].m_X, c.glyphs[i].x) << WideToUtf8(c.text) << " " << i;
            EXPECT_EQ(layout.m_Glyphs[i].m_Y, c.glyphs[i].y) << WideToUtf8(c.text) << " " << i;
        }
    }
}

TEST_F(TextPanelTest, NoticeDrawsTheIconAndCentresTheTextInWhatTheIconLeaves)
{
    auto* notice = Make<GxTaskUINoticePanelFx>(u"あいう");
    notice->SetClientRect(0, 0, 200, 60);
    ASSERT_EQ(notice->m_TextFontSize, 23);
    std::vector<WidgetDrawCall> bodies = Draw("DrawGlyphRecord");
    ASSERT_EQ(bodies.size(), 3u);
    EXPECT_EQ(bodies[0].points[0].x, 100.0f + 65.0f);
    EXPECT_EQ(bodies[0].points[0].y, 50.0f + 18.0f);
    EXPECT_EQ(m_Harness.Recorder().CallsOf("DrawGlyphRing").size(), 3u);
    notice->m_UseEdge = false;
    EXPECT_TRUE(Draw("DrawGlyphRing").empty()) << "the notice consults the edge flag";

    // The icon's cell, from a hidden panel that looks it up.
    auto* holder = new GxTaskUIPanelIs(Screen(), nullptr, nullptr, 0);
    holder->Hide();
    holder->SetImageName(u"uigis/panel/icon");
    ASSERT_TRUE(holder->LoadImages());
    notice->m_Icon = holder->GetCell();
    notice->SetText(u"あ");
    notice->SetAlpha(128);
    struct Case {
        std::int32_t placement;
        GxVector2 icon;     // relative to the panel
        GxVector2 glyph;
    };
    const Case cases[] = {
        {0, {84, 14}, {88, 18}},                    // centred; the text area unchanged
        {1, {0, 14}, {32 + (168 - 23) / 2, 18}},    // text in 168 pixels, 32 from the left
        {2, {84, 0}, {88, 32 + (60 - 23) / 2}},     // the area's top moves down by 32
    };
    for (const Case& c : cases) {
        notice->m_IconPlacement = c.placement;
        const std::vector<WidgetDrawCall> icons = Draw("DrawImagePattern");
        ASSERT_EQ(icons.size(), 1u) << c.placement;
        EXPECT_EQ(icons[0].points[0].x, 100.0f + c.icon.x) << c.placement;
        EXPECT_EQ(icons[0].points[0].y, 50.0f + c.icon.y) << c.placement;
        EXPECT_EQ(icons[0].colors[0], 0x80FFFFFFu);
        EXPECT_EQ(icons[0].preset, 2);
        bodies = m_Harness.Recorder().CallsOf("DrawGlyphRecord");
        ASSERT_EQ(bodies.size(), 1u);
        EXPECT_EQ(bodies[0].points[0].x, 100.0f + c.glyph.x) << c.placement;
        EXPECT_EQ(bodies[0].points[0].y, 50.0f + c.glyph.y) << c.placement;
    }
    notice->m_Icon = nullptr;
}

// The combine operation as MakeUILayerParam hands it over.
class CombineRecorder : public GxWidgetGraphicsBase {
public:
    CombineRecorder() { m_Previous = SetWidgetGraphics(this); }
    ~CombineRecorder() override { SetWidgetGraphics(m_Previous); }
    void DrawImagePattern(const GxNcOriginImage* image, std::int32_t index, const GxMatrix& matrix, float alpha,
                          const GxFColor& color, const GxFColor& color1, std::int32_t preset) override
    {
        ++m_Count;
        m_Image = image;
        m_Index = index;
        m_Matrix = matrix;
        m_Alpha = alpha;
        m_Color = ColorToArgb(color);
        m_Color1 = ColorToArgb(color1);
        m_Preset = preset;
    }
    GxWidgetGraphicsBase* m_Previous = nullptr;
    int m_Count = 0;
    const GxNcOriginImage* m_Image = nullptr;
    std::int32_t m_Index = -1;
    GxMatrix m_Matrix;
    float m_Alpha = 0.0f;
    std::uint32_t m_Color = 0, m_Color1 = 1;
    std::int32_t m_Preset = 0;
};

TEST_F(TextPanelTest, MakeUILayerParamScalesThenTranslatesWithTheColourFactorOneAndMode2)
{
    // The icon's cell, from a hidden panel that looks it up.
    auto* holder = new GxTaskUIPanelIs(Screen(), nullptr, nullptr, 0);
    holder->Hide();
    holder->SetImageName(u"uigis/panel/icon");
    ASSERT_TRUE(holder->LoadImages());
    CombineRecorder combine;
    MakeUILayerParam(holder->GetCell(), 2.0f, 3.0f, GxVector3(10.0f, 20.0f, 0.0f), 0x80FF0000);
    ASSERT_EQ(combine.m_Count, 1);
    EXPECT_EQ(combine.m_Image, holder->GetCell());
    EXPECT_EQ(combine.m_Index, 0);
    const float expected[16] = {2, 0, 0, 0, 0, 3, 0, 0, 0, 0, 1, 0, 10, 20, 0, 1};
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(combine.m_Matrix.m[i], expected[i]) << i;
    EXPECT_EQ(combine.m_Alpha, 1.0f);
    EXPECT_EQ(combine.m_Color, 0x80FF0000u);
    EXPECT_EQ(combine.m_Color1, 0u);
    EXPECT_EQ(combine.m_Preset, 2);
    MakeUILayerParam(nullptr, 1.0f, 1.0f, GxVector3(), 0xFFFFFFFF);
    EXPECT_EQ(combine.m_Count, 1);
}

}  // namespace
}  // namespace ui_test
