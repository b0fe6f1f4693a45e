// [List box] the clamped first row, wheel, hover and selection, help label, drawing and state.
#include "ui_test_support.h"

#include "tests/support/ui/harness/widget_state_io.h"
#include "tests/support/ui/ui_bitmap_font_fixture.h"
#include "ui/ui_list_box.h"

namespace ui_test {
namespace {

class ListBoxTest : public UIHarnessTest {
protected:
    // At (100, 200), 200 x 174 with the client at (6, 4), sized on load: rows of 17 pixels (font
    // size 15), 10 of them visible.
    GxTaskUIListBoxFx* Box(std::int32_t rows)
    {
        auto* box = new GxTaskUIListBoxFx(Screen(), nullptr, u"list", 0);
        box->SetPos(GxVector3(100.0f, 200.0f, 0.0f));
        box->m_Width = 200;
        box->m_Height = 174;
        box->SetClientRect(6, 4, 0, 0);
        box->LoadImages();
        for (std::int32_t i = 0; i < rows; ++i) {
            const std::u16string n = Utf8ToWide(std::to_string(i));
            box->AddItem((u"row" + n).c_str(), u"", 0, (u"key" + n).c_str(), 100 + i, (u"help" + n).c_str());
        }
        return box;
    }
    // The pointer's y over shown row k.
    static int RowY(int k) { return 204 + 17 * k + 8; }
    std::vector<WidgetDrawCall> DrawCalls(GxTaskUIListBoxFx* box, const std::string& call)
    {
        m_Harness.Recorder().Clear();
        box->Draw(0, 0);
        return m_Harness.Recorder().CallsOf(call);
    }
};

TEST_F(ListBoxTest, TheClientAndVisibleRowsFollowTheSizeWithOneMargin)
{
    auto* box = Box(0);
    EXPECT_EQ(box->GetClientWidth(), 194);
    EXPECT_EQ(box->GetClientHeight(), 170);
    EXPECT_EQ(box->GetVisibleRows(), 10);
    EXPECT_EQ(box->m_Width, 200);   // no image: the size stays
    EXPECT_EQ(box->m_TextFontSize, 15);
    EXPECT_EQ(box->m_EdgeColor, 0x80000000u);
}

TEST_F(ListBoxTest, EverySetterHoldsTheValueWithinTheScrollRange)
{
    auto* box = Box(30);
    box->SetValue(25.0);
    EXPECT_EQ(box->GetValue(), 20.0);
    box->SetValueInt(-3);
    EXPECT_EQ(box->GetValue(), 0.0);
    box->SetValueInt(7);
    EXPECT_EQ(box->GetValue(), 7.0);

    auto* few = Box(5);
    few->SetValue(3.0);
    EXPECT_EQ(few->GetValue(), 0.0);
    few->SetValueInt(2);
    EXPECT_EQ(few->GetValue(), 0.0);
    few->SetValueBool(true);
    EXPECT_EQ(few->GetValue(), 0.0);
}

TEST_F(ListBoxTest, EachWheelEventMovesOneRowAndSyncsTheScrollWidget)
{
    auto* box = Box(30);
    auto* scroll = new RecordingWidget(Screen(), nullptr, u"scroll", 0);
    box->SetScrollBar(scroll);
    box->SetValueInt(5);
    m_Harness.MouseMove(150, RowY(1));
    ASSERT_EQ(box->GetHoverIndex(), 6);

    struct Case {
        std::int32_t delta;
        double value;
        std::int32_t hover;
    } cases[] = {
        {240, 4.0, -1},    // two notches, one row up
        {60, 4.0, -1},     // less than a notch: no move
        {-120, 5.0, -1},   // down
    };
    for (const Case& c : cases) {
        scroll->m_Calls.clear();
        EXPECT_EQ(m_Harness.Wheel(150, RowY(1), c.delta), 1) << c.delta;
        EXPECT_EQ(box->GetValue(), c.value) << c.delta;
        EXPECT_EQ(box->GetHoverIndex(), c.hover) << c.delta;
        ASSERT_EQ(scroll->m_Calls.size(), 1u);
        EXPECT_EQ(scroll->m_Calls[0], "SetValueInt " + std::to_string(static_cast<int>(c.value)));
    }
    // The hover stays when the wheel does not move.
    m_Harness.MouseMove(150, RowY(1));
    m_Harness.Wheel(150, RowY(1), 60);
    EXPECT_EQ(box->GetHoverIndex(), 6);
    // Outside the bounds, or with the block flag clear, the wheel goes on.
    EXPECT_EQ(m_Harness.Wheel(50, 50, 120), 0);
    box->SetEventBlockFlag(false);
    EXPECT_EQ(m_Harness.Wheel(150, RowY(1), 120), 0);
    EXPECT_EQ(box->GetValue(), 4.0);
}

TEST_F(ListBoxTest, AClickSelectsARowAndAlwaysReportsEvent15WithTheRowInThePointerField)
{
    Screen()->SetInstantUIEventFlag(true);
    auto* box = Box(3);
    EXPECT_EQ(box->GetSelectedKey(), u"");
    EXPECT_EQ(box->GetSelectedData(), -1);

    EXPECT_EQ(m_Harness.LeftDown(150, RowY(2)), 1);
    EXPECT_EQ(box->GetSelectedIndex(), 2);
    EXPECT_EQ(box->GetHoverIndex(), 2);
    EXPECT_EQ(box->GetSelectedKey(), u"key2");
    EXPECT_EQ(box->GetSelectedData(), 102);
    EXPECT_EQ(box->m_EventState, 15);

    // Below the last row: the selection clears, the event still comes.
    EXPECT_EQ(m_Harness.LeftDown(150, RowY(5)), 1);
    EXPECT_EQ(box->GetSelectedIndex(), -1);
    const auto events = Screen()->EventsOf(15);
    ASSERT_EQ(events.size(), 2u);
    const float expected[2] = {2.0f, -1.0f};
    for (std::size_t n = 0; n < 2; ++n) {
        const GxUIEventParam& e = events[n].event;
        EXPECT_EQ(e.m_Vector[0].x, -1.0f);
        EXPECT_EQ(e.m_Vector[0].y, expected[n]);
        EXPECT_EQ(e.m_Vector[0].z, 0.0f);
        EXPECT_EQ(e.m_Vector[1].x, 100.0f);
        EXPECT_EQ(e.m_Vector[1].y, 200.0f);
        EXPECT_EQ(e.m_Value1, 0);
    }
    // Outside the client rectangle nothing happens.
    EXPECT_EQ(m_Harness.LeftDown(102, RowY(0)), 0);
    EXPECT_EQ(Screen()->EventsOf(15).size(), 2u);
}

TEST_F(ListBoxTest, HoverShowsTheHelpTextAndSkipsRowsThatCannotBeSelected)
{
    auto* box = Box(3);
    auto* label = new RecordingWidget(Screen(), nullptr, u"label", 0);
    box->SetHelpLabel(label);
    box->GetItem(1)->m_Selectable = false;
    box->SetMouseMoveBlockFlag(false);   // a panel blocks moves by default

    EXPECT_EQ(m_Harness.MouseMove(150, RowY(0)), 0);
    EXPECT_EQ(box->GetHoverIndex(), 0);
    EXPECT_EQ(label->GetText(), u"help0");
    box->SetMouseMoveBlockFlag(true);
    EXPECT_EQ(m_Harness.MouseMove(150, RowY(1)), 1);
    EXPECT_EQ(box->GetHoverIndex(), -1);
    EXPECT_EQ(label->GetText(), u"help1");
    m_Harness.LeftDown(150, RowY(1));
    EXPECT_EQ(box->GetSelectedIndex(), -1);
    EXPECT_EQ(m_Harness.MouseMove(150, RowY(7)), 0);
    EXPECT_EQ(label->GetText(), u"");
    EXPECT_EQ(box->GetHoverIndex(), -1);
}

TEST_F(ListBoxTest, ClearEmptiesTheRowsAndResetsEverythingThatPointsIntoThem)
{
    auto* box = Box(20);
    auto* label = new RecordingWidget(Screen(), nullptr, u"label", 0);
    auto* scroll = new RecordingWidget(Screen(), nullptr, u"scroll", 0);
    box->SetHelpLabel(label);
    box->SetScrollBar(scroll);
    box->SetValueInt(6);
    m_Harness.LeftDown(150, RowY(1));
    m_Harness.MouseMove(150, RowY(2));
    ASSERT_EQ(box->GetSelectedIndex(), 7);
    scroll->m_Calls.clear();
    box->Clear();
    EXPECT_EQ(box->GetItemCount(), 0);
    EXPECT_EQ(box->GetSelectedIndex(), -1);
    EXPECT_EQ(box->GetHoverIndex(), -1);
    EXPECT_EQ(box->GetValue(), 0.0);
    EXPECT_EQ(scroll->m_Calls, std::vector<std::string>{"SetMax 0"});
    EXPECT_EQ(label->GetText(), u"");

    // Rows added later move the scroll widget's maximum.
    for (int i = 0; i < 12; ++i)
        box->AddItem(u"r", u"", 0, u"", i, u"");
    EXPECT_EQ(scroll->GetMax(), 2.0);
}

TEST_F(ListBoxTest, RowsAreDrawnInTheirStateColoursOverTheirHighlights)
{
    auto* box = Box(4);
    box->GetItem(0)->m_Selectable = false;
    box->GetItem(1)->m_Highlighted = true;
    box->GetItem(3)->m_Color = 0xFF808080;
    m_Harness.LeftDown(150, RowY(2));   // selected
    m_Harness.MouseMove(150, RowY(3));  // hovered
    const auto rects = DrawCalls(box, "DrawColorRect");
    ASSERT_EQ(rects.size(), 3u);
    const std::uint32_t rectColors[3] = {0x9000FFFF, 0x9000FFFF, 0x4000FFFF};
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(rects[static_cast<std::size_t>(n)].colors[0], rectColors[n]);
        EXPECT_EQ(rects[static_cast<std::size_t>(n)].points[0].x, 106.0f);
        EXPECT_EQ(rects[static_cast<std::size_t>(n)].points[0].y, 204.0f + 17.0f * static_cast<float>(n + 1));
        EXPECT_EQ(rects[static_cast<std::size_t>(n)].points[1].x, 300.0f);
        EXPECT_EQ(rects[static_cast<std::size_t>(n)].points[1].y, 221.0f + 17.0f * static_cast<float>(n + 1));
    }
    const auto texts = DrawCalls(box, "DrawFontMapText");
    ASSERT_EQ(texts.size(), 20u);
    const std::uint32_t bodies[4] = {0xFF806040, 0xFFFFFFFF, 0xFFFFFFFF, 0xFF808080};
    const float edge[4][2] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}};
    for (int row = 0; row < 4; ++row) {
        const float x = 107.0f, y = 205.0f + 17.0f * static_cast<float>(row);
        for (int e = 0; e < 4; ++e) {
            const WidgetDrawCall& c = texts[static_cast<std::size_t>(row * 5 + e)];
            EXPECT_EQ(c.colors[0], 0x80000000u);
            EXPECT_EQ(c.points[0].x, x + edge[e][0]);
            EXPECT_EQ(c.points[0].y, y + edge[e][1]);
        }
        EXPECT_EQ(texts[static_cast<std::size_t>(row * 5 + 4)].colors[0], bodies[row]) << row;
        EXPECT_EQ(texts[static_cast<std::size_t>(row * 5 + 4)].points[0].x, x);
    }
}

TEST_F(ListBoxTest, IconsAndSubItemsStandAtTheirOffsetsAndColumns)
{
    TestSystemBitmapFont icons(m_Harness.Folder() / "font");
    ASSERT_TRUE(icons.Ok());
    auto* box = Box(0);
    GxListBoxItem* row = box->AddItem(u"main", u"ab", 0, u"", 1, u"");
    row->m_Offset = GxVector2(2.0f, 3.0f);
    for (int j = 0; j < 3; ++j)
        AddSubItem(row, (u"c" + Utf8ToWide(std::to_string(j))).c_str())->m_Color = 0xFF00FF00;
    row->m_SubItems[2].m_Offset = GxVector2(1.0f, 0.0f);
    box->AddColumn(50);
    box->AddColumn(30);

    const auto icon = DrawCalls(box, "DrawBitmapFontText");
    ASSERT_EQ(icon.size(), 1u);
    EXPECT_EQ(icon[0].text, u"ab");
    EXPECT_EQ(icon[0].points[0].x, 109.0f);
    EXPECT_EQ(icon[0].points[0].y, 208.0f + 0.0f);   // (15 - 16 + 2) / 2 = 0
    const auto texts = DrawCalls(box, "DrawFontMapText");
    ASSERT_EQ(texts.size(), 20u);
    EXPECT_EQ(texts[4].points[0].x, 125.0f);   // two icon characters of 8
    EXPECT_EQ(texts[4].points[0].y, 208.0f);
    const float columns[3] = {157.0f, 187.0f, 188.0f};
    for (int j = 0; j < 3; ++j) {
        const WidgetDrawCall& c = texts[static_cast<std::size_t>(9 + 5 * j)];
        EXPECT_EQ(c.points[0].x, columns[j]) << j;
        EXPECT_EQ(c.points[0].y, 205.0f);   // without the row's offset
        EXPECT_EQ(c.colors[0], 0xFF00FF00u);
    }
}

TEST_F(ListBoxTest, ARowHeightOfZeroOrLessShowsNoRowsAndFindsNoRowUnderThePointer)
{
    Screen()->SetInstantUIEventFlag(true);
    auto* box = new GxTaskUIListBoxFx(Screen(), nullptr, u"list", 0);
    box->SetPos(GxVector3(100.0f, 200.0f, 0.0f));
    box->m_Width = 200;
    box->m_Height = 174;
    box->m_TextFontSize = -2;
    box->LoadImages();
    EXPECT_EQ(box->GetVisibleRows(), 0);
    box->AddItem(u"a", u"", 0, u"", 1, u"");
    m_Harness.MouseMove(150, 210);
    EXPECT_EQ(box->GetHoverIndex(), -1);
    m_Harness.LeftDown(150, 210);
    EXPECT_EQ(box->GetSelectedIndex(), -1);
}

TEST_F(ListBoxTest, OutOfRangeIndexesAreRefusedWithALogLine)
{
    LogCapture log;
    auto* box = Box(2);
    EXPECT_EQ(box->GetItem(2), nullptr);
    EXPECT_EQ(box->GetColumn(0), nullptr);
    box->SetFontIndex(-1);
    EXPECT_EQ(box->m_TextFontIndex, 1);
    EXPECT_EQ(log.m_Errors.size(), 3u);
    box->SetFontIndex(2);
    EXPECT_EQ(box->m_TextFontSize, 23);
}

TEST_F(ListBoxTest, TheStateKeepsTheFontAndColoursButNoRows)
{
    for (TestContentForm form : {TestContentForm::kText, TestContentForm::kBinary}) {
        auto* box = Box(3);
        box->SetFontIndex(3);
        box->SetTextColor(0xFF112233);
        box->SetEdgeColor(0xFF445566);
        box->m_UseEdge = false;
        bool written = false;
        const std::string bytes = SaveTaskState(*box, form, &written);
        EXPECT_TRUE(written);
        auto* copy = Box(0);
        int errors = -1;
        EXPECT_TRUE(LoadTaskState(*copy, form, bytes, &errors));
        EXPECT_EQ(errors, 0);
        EXPECT_EQ(copy->m_TextFontIndex, 3);
        EXPECT_EQ(copy->m_TextFontSize, 24);
        EXPECT_EQ(copy->m_TextColor, 0xFF112233u);
        EXPECT_EQ(copy->m_EdgeColor, 0xFF445566u);
        EXPECT_FALSE(copy->m_UseEdge);
        EXPECT_EQ(copy->GetItemCount(), 0);
    }
}

}  // namespace
}  // namespace ui_test
