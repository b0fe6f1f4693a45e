// [Text button] the centring of one line, line breaks, wrapping at the client width, the edge
// before the body per glyph, the alphas of image and text, the font index and its refusals, and
// the six saved values.
#include "image_widget_test_support.h"

#include "core/core_config.h"
#include "data/db_uimodule.h"
#include "ui/ui_text_button.h"
#include "ui/widget_factory.h"

namespace ui_test {
namespace {

class TextButtonTest : public ImageWidgetTest {
protected:
    void SetUp() override
    {
        ImageWidgetTest::SetUp();
        ASSERT_TRUE(m_Sets.Add("uigis/txt.gis", {Cell(u"plate_off.png", 120, 40, kOffRgb)}));
    }

    // A text button at (100, 200): font size 24, client left 10, client width 100.
    GxTaskUITextButtonIs* Make(const char16_t* text, std::int32_t align = 1)
    {
        auto* button = new GxTaskUITextButtonIs(Screen(), nullptr, nullptr, 0);
        button->SetImageName(u"uigis/txt/plate");
        button->SetPos(GxVector3(100.0f, 200.0f, 0.0f));
        button->SetClientRect(10, 4, 100, 30);
        button->m_TextFontSize = 24;
        button->SetAutoAlign(align);
        button->SetText(text);
        return Enter(button);
    }
    // Where each glyph body was drawn, relative to the widget.
    std::vector<GxVector2> Bodies()
    {
        std::vector<GxVector2> places;
        for (const WidgetDrawCall& call : m_Harness.Recorder().CallsOf("DrawGlyphRecord"))
            places.emplace_back(call.points[0].x - 100.0f, call.points[0].y - 200.0f);
        return places;
    }
    void Draw()
    {
        m_Harness.Recorder().Clear();
        m_Harness.Step(16000);
    }
};

TEST_F(TextButtonTest, OneLineIsCentredAndALineBreakStartsEveryLineAtTheClientLeft)
{
    struct Case {
        const char16_t* text;
        std::int32_t align;
        std::vector<GxVector2> places;
    };
    const Case cases[] = {
        {u"AB", 1, {{48, 4}, {60, 4}}},     // W = 24, offset (100 - 24) / 2 = 38
        {u"AB", 2, {{48, 4}, {60, 4}}},
        {u"AB", 0, {{10, 4}, {22, 4}}},
        {u"A|B", 1, {{10, 4}, {10, 28}}},
        {u"あ", 1, {{48, 4}}},                // full width: 24 wide
    };
    for (const Case& c : cases) {
        GxTaskUITextButtonIs* button = Make(c.text, c.align);
        Draw();
        const std::vector<GxVector2> places = Bodies();
        ASSERT_EQ(places.size(), c.places.size()) << WideToUtf8(c.text);
        for (std::size_t i = 0; i < places.size(); ++i) {
            EXPECT_EQ(places[i].x, c.places[i].x) << WideToUtf8(c.text) << " align " << c.align << " glyph " << i;
            EXPECT_EQ(places[i].y, c.places[i].y) << WideToUtf8(c.text) << " align " << c.align << " glyph " << i;
        }
        button->Remove();
    }
}

TEST_F(TextButtonTest, AWiderTextWrapsAtTheClientWidthAndKeepsTheFirstLinesOffset)
{
    // Eight half-width glyphs: W = 96, offset 2; the seventh brings the pen to 84, and 84 + 24
    // reaches the client width.
    GxTaskUITextButtonIs* first = Make(u"ABCDEFGH");
    Draw();
    std::vector<GxVector2> places = Bodies();
    ASSERT_EQ(places.size(), 8u);
    EXPECT_EQ(places[0].x, 12.0f);
    EXPECT_EQ(places[6].x, 84.0f);
    EXPECT_EQ(places[6].y, 4.0f);
    EXPECT_EQ(places[7].x, 12.0f);
    EXPECT_EQ(places[7].y, 28.0f);

    // Wider than the client: offset 0.
    first->Remove();
    Make(u"ABCDEFGHIJ");
    Draw();
    places = Bodies();
    ASSERT_EQ(places.size(), 10u);
    EXPECT_EQ(places[0].x, 10.0f);
    EXPECT_EQ(places[7].x, 10.0f);
    EXPECT_EQ(places[7].y, 28.0f);
}

TEST_F(TextButtonTest, EachGlyphGetsItsEdgeThenItsBodyAndTheActorColoursDoNotTintIt)
{
    GxTaskUITextButtonIs* button = Make(u"AB");
    button->SetTextColor(0xFFFFFF00);
    button->SetEdgeColor(0xFF102030);
    button->SetColor0(ColorFromArgb(0xFFFF0000));
    button->SetBlendMode(3);
    Draw();
    std::vector<std::string> order;
    for (const WidgetDrawCall& call : m_Harness.Recorder().Calls())
        if (call.call == "DrawGlyphRing" || call.call == "DrawGlyphRecord")
            order.push_back(call.call);
    EXPECT_EQ(order, (std::vector<std::string>{"DrawGlyphRing", "DrawGlyphRecord", "DrawGlyphRing", "DrawGlyphRecord"}));
    const std::vector<WidgetDrawCall> rings = m_Harness.Recorder().CallsOf("DrawGlyphRing");
    EXPECT_EQ(rings[0].distance, 1.0f);
    EXPECT_EQ(rings[0].colors[0], 0xFF102030u);
    EXPECT_EQ(rings[0].preset, 3);
    const std::vector<WidgetDrawCall> bodies = m_Harness.Recorder().CallsOf("DrawGlyphRecord");
    EXPECT_EQ(bodies[0].colors[0], 0xFFFFFF00u);
    EXPECT_EQ(bodies[0].colors[1], 0u);

    button->m_UseEdge = false;
    Draw();
    EXPECT_TRUE(m_Harness.Recorder().CallsOf("DrawGlyphRing").empty());
    EXPECT_EQ(m_Harness.Recorder().CallsOf("DrawGlyphRecord").size(), 2u);
}

TEST_F(TextButtonTest, TheImageTakesTheActorAlphaOnlyAndTheTextItsOwnTimesTheActors)
{
    GxTaskUITextButtonIs* button = Make(u"A");
    button->SetImageAlpha(128);
    Draw();
    ASSERT_EQ(m_Harness.Recorder().CallsOf("DrawImagePattern").size(), 1u);
    EXPECT_EQ(m_Harness.Recorder().CallsOf("DrawImagePattern")[0].colors[0], 0xFFFFFFFFu);

    button->SetAlpha(128);
    button->SetTextColor(0xFFFFFFFF);
    button->SetEdgeColor(0x80000000);
    Draw();
    EXPECT_EQ(m_Harness.Recorder().CallsOf("DrawImagePattern")[0].colors[0], 0x80FFFFFFu);
    EXPECT_EQ(m_Harness.Recorder().CallsOf("DrawGlyphRecord")[0].colors[0], 0x80FFFFFFu);
    EXPECT_EQ(m_Harness.Recorder().CallsOf("DrawGlyphRing")[0].colors[0], 0x40000000u);

    // An empty text draws the image only.
    button->SetText(u"");
    Draw();
    EXPECT_EQ(m_Harness.Recorder().CallsOf("DrawImagePattern").size(), 1u);
    EXPECT_TRUE(m_Harness.Recorder().CallsOf("DrawGlyphRecord").empty());
}

TEST_F(TextButtonTest, TheFontIndexTakesItsConfiguredSizeAndRefusesIndexesWithoutACache)
{
    const GxCoreConfig& config = m_Harness.Core().GetConfig();
    GxTaskUITextButtonIs* button = Make(u"A");
    auto* fresh = new GxTaskUITextButtonIs(Screen(), u"txt_fresh", nullptr, 0);
    EXPECT_EQ(fresh->m_TextFontIndex, 2);
    EXPECT_EQ(fresh->m_TextFontSize, config.m_FontSize[2]);
    EXPECT_EQ(fresh->m_TextColor, 0xFFFFFFFFu);
    EXPECT_EQ(fresh->m_EdgeColor, 0x80000000u);
    EXPECT_TRUE(fresh->m_UseEdge);
    EXPECT_EQ(fresh->GetAutoAlign(), 1);

    button->SetFontIndex(5);
    EXPECT_EQ(button->m_TextFontIndex, 5);
    EXPECT_EQ(button->m_TextFontSize, config.m_FontSize[5]);
    for (std::int32_t bad : {6, -1, 1000})
        fresh->SetFontIndex(bad);
    EXPECT_EQ(fresh->m_TextFontIndex, 2);
    EXPECT_EQ(fresh->m_TextFontSize, config.m_FontSize[2]);
    ASSERT_EQ(m_Log.m_Errors.size(), 3u);
    EXPECT_EQ(m_Log.m_Errors[0], "GxTaskUITextButtonIs/Font index out of range:6 [" +
                                     WideToUtf8(fresh->GetTaskPath()) + "]\n");

    // The module row's font index goes through the same gate.
    DBUIModuleRow row;
    row.m_UIType = kUITypeTextButton;
    row.m_FontIndex = 3;
    auto* built = dynamic_cast<GxTaskUITextButtonIs*>(CreateWidgetFromModuleRow(Screen(), &row, u"t", 0));
    ASSERT_NE(built, nullptr);
    EXPECT_EQ(built->m_TextFontIndex, 3);
    row.m_FontIndex = 77;
    built = dynamic_cast<GxTaskUITextButtonIs*>(CreateWidgetFromModuleRow(Screen(), &row, u"t", 1));
    ASSERT_NE(built, nullptr);
    EXPECT_EQ(built->m_TextFontIndex, 2);
    EXPECT_EQ(m_Log.m_Errors.size(), 4u);
}

TEST_F(TextButtonTest, TheSixValuesAreSavedAndASavedIndexWithoutACacheDrawsNoText)
{
    GxTaskUITextButtonIs* from = Make(u"AB", 0);
    from->SetFontIndex(4);
    from->m_TextFontSize = 30;
    from->SetTextColor(0xFF010203);
    from->SetEdgeColor(0xFF040506);
    from->m_UseEdge = false;
    GxTaskUITextButtonIs* into = Make(u"", 1);
    ASSERT_TRUE(RoundTrip(from, into));
    EXPECT_EQ(into->m_TextFontIndex, 4);
    EXPECT_EQ(into->m_TextFontSize, 30) << "taken as read, not looked up again";
    EXPECT_EQ(into->m_TextColor, 0xFF010203u);
    EXPECT_EQ(into->m_EdgeColor, 0xFF040506u);
    EXPECT_FALSE(into->m_UseEdge);
    EXPECT_EQ(into->GetAutoAlign(), 0);
    EXPECT_EQ(into->GetText(), u"AB");
    from->Remove();

    // A damaged save: any index, any size.
    into->m_TextFontIndex = 9;
    into->m_TextFontSize = 0x7FFFFFFF;
    into->LoadImages();
    Draw();
    EXPECT_TRUE(m_Harness.Recorder().CallsOf("DrawGlyphRecord").empty());
    EXPECT_EQ(m_Harness.Recorder().CallsOf("DrawImagePattern").size(), 1u);
    into->m_TextFontIndex = 1;
    Draw();
    EXPECT_EQ(m_Harness.Recorder().CallsOf("DrawGlyphRecord").size(), 2u) << "a huge size wraps every glyph";
}

}  // namespace
}  // namespace ui_test
