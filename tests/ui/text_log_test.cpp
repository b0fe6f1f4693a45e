// [Text log] the line limit, auto scroll, crossout, scroll sync, drawing and the saved list.
#include "ui_test_support.h"

#include "data/db_uilayout.h"
#include "tests/support/ui/harness/widget_state_io.h"
#include "tests/support/ui/ui_bitmap_font_fixture.h"
#include "ui/ui_text_log.h"

#include <cstring>

namespace ui_test {
namespace {

class TextLogTest : public UIHarnessTest {
protected:
    // At (100, 200) with the client at (8, 4); text font 1 (size 15), icon font 0.
    GxTaskUITextLogFx* Log(std::int32_t elements = 0)
    {
        auto* log = new GxTaskUITextLogFx(Screen(), nullptr, u"log", 0);
        log->SetPos(GxVector3(100.0f, 200.0f, 0.0f));
        log->m_Width = 300;
        log->m_Height = 200;
        log->SetClientRect(8, 4, 284, 192);
        for (std::int32_t i = 0; i < elements; ++i)
            log->AddElement((u"line" + Utf8ToWide(std::to_string(i))).c_str(), u"", 0xFF00FF00);
        return log;
    }
    std::vector<WidgetDrawCall> DrawCalls(GxTaskUITextLogFx* log, const std::string& call)
    {
        m_Harness.Recorder().Clear();
        log->Draw(0, 0);
        return m_Harness.Recorder().CallsOf(call);
    }
    // The y of each drawn line (of its first glyph body).
    std::vector<float> LineYs(GxTaskUITextLogFx* log)
    {
        std::vector<float> ys;
        for (const WidgetDrawCall& c : DrawCalls(log, "DrawGlyphRecord"))
            if (ys.empty() || ys.back() != c.points[0].y)
                ys.push_back(c.points[0].y);
        return ys;
    }
};

TEST_F(TextLogTest, TheLineLimitPushesOutTheOldestAndZeroMeansNoLimit)
{
    auto* log = Log(101);
    EXPECT_EQ(log->GetElementCount(), 100);
    EXPECT_EQ(log->GetElements().front().m_Text, u"line1");
    EXPECT_EQ(log->GetElements().back().m_TextColor, 0xFF00FF00u);
    EXPECT_EQ(log->GetElements().back().m_Link, u"");

    auto* endless = new GxTaskUITextLogFx(Screen(), nullptr, u"endless", 0);
    endless->SetMaxLine(0);
    for (int i = 0; i < 150; ++i)
        endless->AddElement(u"x", u"", 0);
    EXPECT_EQ(endless->GetElementCount(), 150);
    endless->SetMaxLine(20);
    EXPECT_EQ(endless->GetElementCount(), 150);   // not trimmed at once
    endless->TrimElements(20);
    EXPECT_EQ(endless->GetElementCount(), 20);
    endless->TrimElements(0);
    EXPECT_EQ(endless->GetElementCount(), 20);
}

TEST_F(TextLogTest, AutoScrollKeepsTheNewestLinesInViewAndTellsTheScrollWidget)
{
    auto* log = Log();
    auto* scroll = new RecordingWidget(Screen(), nullptr, u"scroll", 0);
    log->SetScrollBar(scroll);
    for (int i = 0; i < 10; ++i)
        log->AddElement(u"x", u"", 0);
    EXPECT_EQ(log->GetValue(), 0.0);
    for (int i = 10; i < 20; ++i) {
        scroll->m_Calls.clear();
        log->AddElement(u"x", u"", 0);
    }
    EXPECT_EQ(log->GetValue(), 4.0);
    EXPECT_EQ(scroll->m_Calls, (std::vector<std::string>{"SetMax 19", "SetValueInt 4"}));
    EXPECT_EQ(LineYs(log).size(), 16u);   // lines 4 to 19

    // Without auto scroll neither value moves.
    log->SetAutoScroll(false);
    scroll->m_Calls.clear();
    log->AddElement(u"x", u"", 0);
    EXPECT_EQ(log->GetValue(), 4.0);
    EXPECT_EQ(scroll->m_Calls, std::vector<std::string>{"SetMax 20"});
}

TEST_F(TextLogTest, SetTextAppendsAndALayoutRowGivesTheFirstLineEvenWhenEmpty)
{
    auto* log = Log();
    DBUILayoutRow row;
    log->ApplyLayoutRecord(&row);
    ASSERT_EQ(log->GetElementCount(), 1);
    EXPECT_EQ(log->GetElements()[0].m_Text, u"");
    log->SetText(u"one");
    log->SetText(u"two");
    ASSERT_EQ(log->GetElementCount(), 3);
    EXPECT_EQ(log->GetElements()[2].m_Text, u"two");
    EXPECT_EQ(log->GetElements()[2].m_Icon, u"");
}

TEST_F(TextLogTest, CrossoutDropsOneElementPerUpdateAndCarriesTheRestOver)
{
    auto* log = Log(3);
    auto* scroll = new RecordingWidget(Screen(), nullptr, u"scroll", 0);
    log->SetScrollBar(scroll);
    log->SetAutoCrossout(true);
    log->SetCrossoutWaitTime(1000);
    log->Update(0, 3000000);
    EXPECT_EQ(log->GetElementCount(), 2);
    EXPECT_EQ(log->GetCrossoutCount(), 2000);
    EXPECT_EQ(log->GetElements().front().m_Text, u"line1");
    EXPECT_EQ(scroll->GetMax(), 1.0);
    log->Update(0, 0);
    EXPECT_EQ(log->GetElementCount(), 1);
    log->Update(0, 0);
    EXPECT_EQ(log->GetElementCount(), 0);
    log->Update(0, 5000000);   // an empty log gathers no time
    EXPECT_EQ(log->GetCrossoutCount(), 0);

    // Adding to the empty log starts the time afresh: the first crossout is a full wait later.
    log->AddElement(u"new", u"", 0);
    EXPECT_EQ(log->GetCrossoutCount(), 0);
    log->Update(0, 999000);
    EXPECT_EQ(log->GetElementCount(), 1);
    log->Update(0, 1000);
    EXPECT_EQ(log->GetElementCount(), 0);
}

TEST_F(TextLogTest, LinesStartAtTheValueAndNoneAreDrawnOutsideTheLog)
{
    auto* log = Log(5);
    log->SetAutoScroll(false);
    struct Case {
        std::int32_t value, maxView;
        std::size_t lines;
    } cases[] = {
        {0, 16, 5}, {3, 16, 2}, {5, 16, 0}, {9, 16, 0}, {-1, 16, 0}, {0, 0, 1}, {0, 1, 1}, {1, 3, 3},
    };
    for (const Case& c : cases) {
        log->SetValueInt(c.value);
        log->SetMaxView(c.maxView);
        EXPECT_EQ(LineYs(log).size(), c.lines) << c.value << " " << c.maxView;
    }
}

TEST_F(TextLogTest, EachLineHasItsIconThenItsGlyphsWithTheirEdge)
{
    TestSystemBitmapFont icons(m_Harness.Folder() / "font");
    ASSERT_TRUE(icons.Ok());
    auto* log = Log();
    log->SetTextColor(0xFF102030);
    log->SetEdgeColor(0xFF405060);
    log->AddElement(u"xy", u"ab", 0xFF00FF00);
    log->AddElement(u"z", u"", 0xFF00FF00);
    log->SetAlpha(128);

    const auto iconCalls = DrawCalls(log, "DrawBitmapFontText");
    ASSERT_EQ(iconCalls.size(), 1u);
    EXPECT_EQ(iconCalls[0].text, u"ab");
    EXPECT_EQ(iconCalls[0].points[0].x, 108.0f);
    EXPECT_EQ(iconCalls[0].points[0].y, 204.0f);
    EXPECT_EQ(iconCalls[0].colors[0], 0xFFFFFFFFu);

    m_Harness.Recorder().Clear();
    log->Draw(0, 0);
    std::vector<WidgetDrawCall> glyphs;
    for (const WidgetDrawCall& c : m_Harness.Recorder().Calls())
        if (c.call == "DrawGlyphRing" || c.call == "DrawGlyphRecord")
            glyphs.push_back(c);
    ASSERT_EQ(glyphs.size(), 6u);
    const float xs[3] = {124.0f, 132.0f, 108.0f};
    const float ys[3] = {204.0f, 204.0f, 219.0f};
    for (int n = 0; n < 3; ++n) {
        const WidgetDrawCall& ring = glyphs[static_cast<std::size_t>(2 * n)];
        const WidgetDrawCall& body = glyphs[static_cast<std::size_t>(2 * n + 1)];
        EXPECT_EQ(ring.call, "DrawGlyphRing");
        EXPECT_EQ(body.call, "DrawGlyphRecord");
        EXPECT_EQ(body.points[0].x, xs[n]) << n;
        EXPECT_EQ(body.points[0].y, ys[n]) << n;
        EXPECT_EQ(ring.points[0].x, xs[n]);
        // The log's colours, under the actor's alpha; the element's colour is not used.
        EXPECT_EQ(body.colors[0], 0x80102030u);
        EXPECT_EQ(ring.colors[0], 0x80405060u);
    }

    // Without the edge the bodies are still drawn.
    log->m_UseEdge = false;
    EXPECT_TRUE(DrawCalls(log, "DrawGlyphRing").empty());
    EXPECT_EQ(DrawCalls(log, "DrawGlyphRecord").size(), 3u);
}

TEST_F(TextLogTest, TheStateKeepsEveryValueAndTheElementsThenSyncsTheScrollWidget)
{
    for (TestContentForm form : {TestContentForm::kText, TestContentForm::kBinary}) {
        auto* log = Log();
        log->SetMaxView(2);
        log->AddElement(u"first", u"i1", 0xFF010203);
        log->AddElement(u"second", u"", 0xFF040506);
        log->AddElement(u"third", u"", 0xFF070809);
        log->SetFontIndex(2);
        log->SetMaxLine(7);
        log->SetAutoCrossout(true);
        log->SetCrossoutWaitTime(1234);
        log->m_CrossoutCount = 55;
        bool written = false;
        const std::string bytes = SaveTaskState(*log, form, &written);
        ASSERT_TRUE(written);

        auto* copy = Log(4);
        auto* scroll = new RecordingWidget(Screen(), nullptr, u"scroll", 0);
        copy->SetScrollBar(scroll);
        int errors = -1;
        EXPECT_TRUE(LoadTaskState(*copy, form, bytes, &errors));
        EXPECT_EQ(errors, 0);
        ASSERT_EQ(copy->GetElementCount(), 3);
        EXPECT_EQ(copy->GetElements()[0].m_Icon, u"i1");
        EXPECT_EQ(copy->GetElements()[2].m_Text, u"third");
        EXPECT_EQ(copy->GetElements()[1].m_TextColor, 0xFF040506u);
        EXPECT_EQ(copy->m_TextFontIndex, 2);
        EXPECT_EQ(copy->m_TextFontSize, 23);
        EXPECT_EQ(copy->GetMaxLine(), 7);
        EXPECT_EQ(copy->GetMaxView(), 2);
        EXPECT_TRUE(copy->GetAutoCrossout());
        EXPECT_EQ(copy->GetCrossoutWaitTime(), 1234);
        EXPECT_EQ(copy->GetCrossoutCount(), 55);
        EXPECT_EQ(copy->GetValue(), 1.0);
        EXPECT_EQ(scroll->m_Calls, (std::vector<std::string>{"SetMax 2", "SetValueInt 1"}));

        // An empty saved log gives the scroll widget a maximum of 0.
        auto* empty = Log();
        empty->Clear();
        const std::string none = SaveTaskState(*empty, form);
        scroll->m_Calls.clear();
        EXPECT_TRUE(LoadTaskState(*copy, form, none));
        EXPECT_EQ(copy->GetElementCount(), 0);
        EXPECT_EQ(scroll->m_Calls, (std::vector<std::string>{"SetMax 0", "SetValueInt 0"}));
    }
}

TEST_F(TextLogTest, AHugeSavedElementCountFailsAtTheFirstMissingElement)
{
    auto* log = Log(3);
    // The count after the list's name, raised far beyond the data.
    std::string text = SaveTaskState(*log, TestContentForm::kText);
    const std::string listLine = "GxTextLogElement\t\t3\t{";
    const std::size_t at = text.find(listLine);
    ASSERT_NE(at, std::string::npos);
    text.replace(at, listLine.size(), "GxTextLogElement\t\t4000000000\t{");

    std::string binary = SaveTaskState(*log, TestContentForm::kBinary);
    // The binary form stores the list begin as its type code (32) and the count, big-endian,
    // before the first element's text.
    const std::size_t first = binary.find("line0");
    ASSERT_NE(first, std::string::npos);
    const std::size_t begin = binary.rfind(std::string("\x20\x00\x00\x00\x03", 5), first);
    ASSERT_NE(begin, std::string::npos);
    binary.replace(begin + 1, 4, std::string("\xEE\x6B\x28\x00", 4));   // 4000000000

    const std::pair<TestContentForm, std::string> damaged[] = {{TestContentForm::kText, text},
                                                               {TestContentForm::kBinary, binary}};
    for (const auto& [form, bytes] : damaged) {
        auto* copy = Log();
        int errors = 0;
        EXPECT_FALSE(LoadTaskState(*copy, form, bytes, &errors));
        EXPECT_GT(errors, 0);
        EXPECT_EQ(copy->GetElementCount(), 3);
    }
}

TEST_F(TextLogTest, FontIndexesOutsideTheSystemFontsAreRefused)
{
    LogCapture capture;
    auto* log = Log();
    log->SetFontIndex(6);
    log->SetIconFontIndex(11);
    EXPECT_EQ(log->m_TextFontIndex, 1);
    EXPECT_EQ(log->m_IconFontIndex, 0);
    EXPECT_EQ(capture.m_Errors.size(), 2u);
    log->SetFontIndex(0);
    EXPECT_EQ(log->m_TextFontSize, 11);
}

}  // namespace
}  // namespace ui_test
