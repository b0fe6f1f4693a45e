// [Menu] frame cells, the strict hit test, hover and choice, colours and columns.
#include "ui_test_support.h"

#include "tests/support/ui/ui_image_set_fixture.h"
#include "ui/task_ui_null.h"
#include "ui/ui_menu.h"

namespace ui_test {
namespace {

class MenuTest : public UIHarnessTest {
protected:
    void TearDown() override { ReleaseTestUIImageSets(); }

    // A 200 x 20 menu at (100, 50) with a client rectangle (10, 2, 150, 16).
    GxTaskUIMenuIs* Menu(std::int32_t items = 3)
    {
        auto* menu = new GxTaskUIMenuIs(Screen(), nullptr, u"menu", 0);
        menu->SetPos(GxVector3(100.0f, 50.0f, 0.0f));
        menu->m_Width = 200;
        menu->m_Height = 20;
        menu->SetClientRect(10, 2, 150, 16);
        for (std::int32_t i = 0; i < items; ++i) {
            const std::u16string n = Utf8ToWide(std::to_string(i));
            menu->AddItem((u"row" + n).c_str(), (u"value" + n).c_str(), 100 + i, (u"about" + n).c_str());
        }
        return menu;
    }
    // The frame cells of set "menu" in the harness folder, named "frame_*.png"; the menu's image
    // name points at them.
    void AddFrame(GxTaskUIMenuIs* menu, bool withFoot = true)
    {
        std::vector<TestUICell> cells = {{u"frame_head.png", 180, 24}, {u"frame_body.png", 180, 24}};
        if (withFoot)
            cells.push_back({u"frame_foot.png", 180, 24});
        ASSERT_FALSE(AddTestUIImageSet(m_Harness.Folder(), "menu", cells).empty());
        menu->SetImageName(Utf8ToWide((m_Harness.Folder() / "menu" / "frame").string()).c_str());
    }
    std::vector<WidgetDrawCall> DrawCalls(GxTaskUIMenuIs* menu, const std::string& call)
    {
        m_Harness.Recorder().Clear();
        menu->Draw(0, 0);
        return m_Harness.Recorder().CallsOf(call);
    }
};

TEST_F(MenuTest, LoadsItsThreeFrameCellsAndTakesItsSizesFromTheBody)
{
    auto* menu = Menu(0);
    menu->m_Width = menu->m_Height = 0;
    menu->SetClientRect(4, 3, 0, 0);
    AddFrame(menu);
    ASSERT_TRUE(menu->LoadImages());
    EXPECT_EQ(menu->m_Width, 180);
    EXPECT_EQ(menu->m_Height, 24);
    EXPECT_EQ(menu->GetClientWidth(), 172);
    EXPECT_EQ(menu->GetClientHeight(), 18);
    EXPECT_EQ(menu->GetHeight(), 48);

    // Without items: the head, and the foot right below it.
    const auto cells = DrawCalls(menu, "DrawImagePattern");
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0].points[0].y, 50.0f);
    EXPECT_EQ(cells[1].points[0].y, 74.0f);
    EXPECT_EQ(cells[1].points[0].x, 100.0f);

    menu->AddItem(u"a", u"", 1, u"");
    menu->AddItem(u"b", u"", 2, u"");
    const auto framed = DrawCalls(menu, "DrawImagePattern");
    ASSERT_EQ(framed.size(), 4u);
    EXPECT_EQ(framed[1].points[0].y, 74.0f);
    EXPECT_EQ(framed[2].points[0].y, 98.0f);
    EXPECT_EQ(framed[3].points[0].y, 122.0f);
    EXPECT_EQ(menu->GetHeight(), 96);
}

TEST_F(MenuTest, AMissingSetOrCellIsLoggedAndFails)
{
    LogCapture log;
    auto* menu = Menu();
    menu->SetImageName(u"nowhere/frame");
    EXPECT_FALSE(menu->LoadImages());
    ASSERT_EQ(log.m_Errors.size(), 1u);
    EXPECT_EQ(log.m_Errors[0], "GxTaskUIMenuIs/ImageSet wasn't Loaded:nowhere.gis [" +
                                   WideToUtf8(menu->GetTaskPath()) + "]\n");

    AddFrame(menu, false);
    EXPECT_FALSE(menu->LoadImages());
    ASSERT_EQ(log.m_Errors.size(), 2u);
    EXPECT_EQ(log.m_Errors[1], "GxTaskUIMenuIs/Image not found:frame_foot.png [" + WideToUtf8(menu->GetTaskPath()) + "]\n");
    // Without its frame the menu still draws its texts.
    EXPECT_TRUE(DrawCalls(menu, "DrawImagePattern").empty());
    EXPECT_FALSE(DrawCalls(menu, "DrawFontMapText").empty());
}

TEST_F(MenuTest, OnlyPointsStrictlyInsideTheBodyRowsHit)
{
    auto* menu = Menu(3);
    const float origin[2] = {100.0f, 50.0f};
    struct Case {
        float x, y;
        bool hit;
    } cases[] = {
        {111.0f, 75.0f, true},    // first row
        {110.0f, 75.0f, false},   // lx = 0
        {111.0f, 70.0f, false},   // ly = 0: the head's border
        {111.0f, 60.0f, false},   // the head
        {259.0f, 75.0f, true},
        {260.0f, 75.0f, false},   // lx = client width
        {111.0f, 129.0f, true},   // the last row
        {111.0f, 130.0f, false},  // the foot
    };
    for (const Case& c : cases)
        EXPECT_EQ(menu->HitTestClient(origin, c.x, c.y), c.hit) << c.x << "," << c.y;
    menu->ClearItems();
    EXPECT_FALSE(menu->HitTestClient(origin, 111.0f, 75.0f));
    EXPECT_EQ(menu->GetHeight(), 40);
}

TEST_F(MenuTest, AClickChoosesARowAndReportsItEveryTime)
{
    Screen()->SetInstantUIEventFlag(true);
    auto* menu = Menu(3);
    EXPECT_EQ(menu->GetSelectedText(), u"");
    EXPECT_EQ(menu->GetSelectedID(), -1);

    EXPECT_EQ(m_Harness.LeftDown(120, 95), 1);   // row 1
    EXPECT_EQ(m_Harness.LeftDown(120, 95), 1);   // again
    const auto events = Screen()->EventsOf(15);
    ASSERT_EQ(events.size(), 2u);
    for (const UITestEvent& e : events) {
        EXPECT_EQ(e.sender, menu);
        EXPECT_EQ(e.event.m_Value1, 1);
        EXPECT_EQ(e.event.m_Vector[0].x, 120.0f);
        EXPECT_EQ(e.event.m_Vector[0].y, 95.0f);
        EXPECT_EQ(e.event.m_Vector[1].x, 100.0f);
        EXPECT_EQ(e.event.m_Vector[1].y, 50.0f);
    }
    EXPECT_EQ(menu->GetSelectedIndex(), 1);
    EXPECT_EQ(menu->GetSelectedText(), u"value1");
    EXPECT_EQ(menu->GetSelectedID(), 101);
    EXPECT_EQ(menu->m_EventState, 15);

    // Outside the rows nothing changes; with the block flag clear the click goes on.
    EXPECT_EQ(m_Harness.LeftDown(120, 60), 0);
    EXPECT_EQ(menu->GetSelectedIndex(), 1);
    menu->SetEventBlockFlag(false);
    EXPECT_EQ(m_Harness.LeftDown(120, 115), 0);
    EXPECT_EQ(menu->GetSelectedIndex(), 2);
    EXPECT_EQ(Screen()->EventsOf(15).size(), 3u);
}

TEST_F(MenuTest, ADisabledRowShowsItsDescriptionButCannotBeHoveredOrChosen)
{
    Screen()->SetInstantUIEventFlag(true);
    auto* menu = Menu(3);
    auto* description = new GxTaskUINull(Screen(), nullptr, u"descript", 0);
    menu->SetDescriptionWidget(description);
    menu->GetItem(2)->m_Enabled = 0;

    EXPECT_EQ(m_Harness.MouseMove(120, 95), 0);   // the move block flag is clear
    EXPECT_EQ(menu->GetHoverIndex(), 1);
    EXPECT_EQ(description->GetText(), u"about1");
    menu->SetMouseMoveBlockFlag(true);
    EXPECT_EQ(m_Harness.MouseMove(120, 115), 1);
    EXPECT_EQ(menu->GetHoverIndex(), -1);
    EXPECT_EQ(description->GetText(), u"about2");
    EXPECT_TRUE(DrawCalls(menu, "DrawColorRect").empty());

    m_Harness.LeftDown(120, 75);
    EXPECT_EQ(menu->GetSelectedIndex(), 0);
    EXPECT_EQ(m_Harness.LeftDown(120, 115), 0);
    EXPECT_EQ(menu->GetSelectedIndex(), -1);
    EXPECT_EQ(menu->GetHoverIndex(), -1);
    EXPECT_EQ(Screen()->EventsOf(15).size(), 1u);

    EXPECT_EQ(m_Harness.MouseMove(500, 500), 0);
    EXPECT_EQ(description->GetText(), u"");
}

TEST_F(MenuTest, RowsAreDrawnInTheirColourPairsOverFourShadows)
{
    auto* menu = Menu(4);
    menu->GetItem(0)->m_Enabled = 0;
    menu->GetItem(1)->m_Highlighted = 1;
    m_Harness.LeftDown(120, 135);   // row 3 selected
    m_Harness.MouseMove(120, 115);  // row 2 hovered
    const auto texts = DrawCalls(menu, "DrawFontMapText");
    ASSERT_EQ(texts.size(), 20u);
    const std::uint32_t pairs[4][2] = {
        {0xFF80A0FF, 0}, {0xFF80A0FF, 0xFF202020}, {0xFFFFFFFF, 0xFF202020}, {0xFF80A0FF, 0xFF202020}};
    const float shadow[4][2] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}};
    for (int row = 0; row < 4; ++row) {
        const float x = 110.0f, y = 50.0f + 20.0f * static_cast<float>(row + 1) + 2.0f;
        for (int s = 0; s < 4; ++s) {
            const WidgetDrawCall& c = texts[static_cast<std::size_t>(row * 5 + s)];
            EXPECT_EQ(c.colors[0], 0xD0000000u);
            EXPECT_EQ(c.colors[1], 0u);
            EXPECT_EQ(c.points[0].x, x + shadow[s][0]);
            EXPECT_EQ(c.points[0].y, y + shadow[s][1]);
        }
        const WidgetDrawCall& body = texts[static_cast<std::size_t>(row * 5 + 4)];
        EXPECT_EQ(body.colors[0], pairs[row][0]) << row;
        EXPECT_EQ(body.colors[1], pairs[row][1]) << row;
        EXPECT_EQ(body.points[0].x, x);
        EXPECT_EQ(body.points[0].y, y);
        EXPECT_EQ(body.points[1].x, 1.0f);
    }
    const auto bars = DrawCalls(menu, "DrawColorRect");
    ASSERT_EQ(bars.size(), 1u);
    EXPECT_EQ(bars[0].colors[0], 0x80FFFFFFu);
    EXPECT_EQ(bars[0].points[0].x, 110.0f);
    EXPECT_EQ(bars[0].points[0].y, 110.0f);
    EXPECT_EQ(bars[0].points[1].x, 260.0f);
    EXPECT_EQ(bars[0].points[1].y, 130.0f);

    // A plain row is white with no second colour.
    menu->ClearSelection();
    const auto plain = DrawCalls(menu, "DrawFontMapText");
    EXPECT_EQ(plain[9].colors[0], 0xFFFFFFFFu);
    EXPECT_EQ(plain[9].colors[1], 0u);
}

TEST_F(MenuTest, SubItemsBeyondTheColumnsKeepTheLastColumn)
{
    auto* menu = Menu(0);
    GxUIMenuItem* item = menu->AddItem(u"main", u"", 1, u"");
    item->m_Offset = GxVector2(3.0f, 1.0f);
    for (int j = 0; j < 5; ++j) {
        GxUIMenuItem sub;
        sub.m_Label = u"s" + Utf8ToWide(std::to_string(j));
        item->m_SubItems.push_back(sub);
    }
    item->m_SubItems[4].m_Offset = GxVector2(0.0f, 5.0f);
    menu->AddColumn(40);
    menu->AddColumn(30);
    menu->AddColumn(20);
    const auto texts = DrawCalls(menu, "DrawFontMapText");
    ASSERT_EQ(texts.size(), 30u);
    const float expectedX[6] = {113.0f, 150.0f, 180.0f, 200.0f, 200.0f, 200.0f};
    for (int t = 0; t < 6; ++t)
        EXPECT_EQ(texts[static_cast<std::size_t>(t * 5 + 4)].points[0].x, expectedX[t]) << t;
    EXPECT_EQ(texts[4].points[0].y, 73.0f);        // the item's own offset
    EXPECT_EQ(texts[9].points[0].y, 72.0f);        // sub-items ignore it
    EXPECT_EQ(texts[29].points[0].y, 77.0f);
}

TEST_F(MenuTest, AfterClearItemsTheStaleSelectionReadsAsNone)
{
    LogCapture log;
    auto* menu = Menu(3);
    m_Harness.LeftDown(120, 115);
    ASSERT_EQ(menu->GetSelectedID(), 102);
    menu->ClearItems();
    EXPECT_EQ(menu->GetSelectedIndex(), 2);   // kept, as callers expect
    EXPECT_EQ(menu->GetSelectedText(), u"");
    EXPECT_EQ(menu->GetSelectedID(), -1);
    EXPECT_EQ(menu->GetItem(0), nullptr);
    EXPECT_EQ(menu->GetColumn(-1), nullptr);
    menu->SetFontIndex(6);
    EXPECT_EQ(menu->GetFontIndex(), 1);
    EXPECT_EQ(log.m_Errors.size(), 3u);
    menu->SetFontIndex(5);
    EXPECT_EQ(menu->GetFontIndex(), 5);
}

}  // namespace
}  // namespace ui_test
