// [Drop menu item] an image button with a caption: the factory build with the button flag and the
// caption font from the module row (out-of-range indexes refused), clicks ignored under an active
// shutdown dialog, the press event, the icon and the edged text centred on the item's middle, and
// the load failures with the item's own messages.
#include "image_widget_test_support.h"

#include "data/db_uimodule.h"
#include "tests/support/ui/harness/ui_system_fonts.h"
#include "ui/image_widget_support.h"
#include "ui/task_ui_null.h"
#include "ui/ui_drop_menu_item.h"
#include "ui/ui_named_values.h"
#include "ui/widget_factory.h"

namespace ui_test {
namespace {

class DropMenuItemTest : public ImageWidgetTest {
protected:
    void SetUp() override
    {
        ImageWidgetTest::SetUp();
        ASSERT_TRUE(m_Sets.Add("uigis/drop.gis", {Cell(u"entry_off.png", 160, 40, kOffRgb),
                                                  Cell(u"entry_on.png", 160, 40, kOnRgb),
                                                  Cell(u"entry_over.png", 160, 40, kOverRgb),
                                                  Cell(u"icon.png", 16, 12, kNaRgb)}));
    }
    void TearDown() override { ClearUINamedValues(); }

    // A 160 x 40 item at (100, 200).
    GxTaskUIDropMenuItemIs* Item()
    {
        auto* item = new GxTaskUIDropMenuItemIs(Screen(), nullptr, u"entry", 0);
        item->SetImageName(u"uigis/drop/entry");
        item->SetPos(GxVector3(100.0f, 200.0f, 0.0f));
        return Enter(item);
    }
    std::vector<WidgetDrawCall> Drawn(const std::string& call)
    {
        m_Harness.Recorder().Clear();
        m_Harness.Step(16000);
        return m_Harness.Recorder().CallsOf(call);
    }

    // The six glyph caches at the configured sizes (font 5: 38 pixels).
    UISystemFonts m_Fonts{m_Harness.Config().m_System};
};

TEST_F(DropMenuItemTest, TheFactoryBuildsItAsAButtonWithTheRowsCaptionFont)
{
    DBUIModuleRow row;
    row.m_ID = 7;
    row.m_UIType = kUITypeDropMenuItem;
    row.m_ImageSetName = u"drop";
    row.m_ImageName = u"entry";
    row.m_FontIndex = 2;
    GxTaskUIBase* widget = CreateWidgetFromModuleRow(Screen(), &row, u"drop_entry", -1);
    auto* item = dynamic_cast<GxTaskUIDropMenuItemIs*>(widget);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetTaskType(), 47);
    EXPECT_EQ(item->m_KindFlags & (kKindPushButton | kKindWidget), kKindPushButton | kKindWidget);
    EXPECT_EQ(item->m_ImageSetName, u"uigis/drop.gis");
    EXPECT_EQ(item->m_Caption.m_FontIndex, 2);
    EXPECT_TRUE(item->LoadImages());
    EXPECT_EQ(item->m_Width, 160);
    EXPECT_EQ(item->m_Height, 40);

    // Without a row the caption uses font 5; a row index outside the six caches is refused.
    for (const std::int32_t index : {-1, 6, 1000}) {
        LogCapture log;
        auto* fresh = new GxTaskUIDropMenuItemIs(Screen(), nullptr, u"fresh", index);
        EXPECT_EQ(fresh->m_Caption.m_FontIndex, 5);
        row.m_FontIndex = index;
        fresh->ApplyModuleRecord(&row);
        EXPECT_EQ(fresh->m_Caption.m_FontIndex, 5) << index;
        ASSERT_EQ(log.m_Errors.size(), 1u) << index;
        EXPECT_EQ(log.m_Errors[0], "GxTaskUIDropMenuItemIs/Font index out of range:" + std::to_string(index) + " [" +
                                       WideToUtf8(fresh->GetTaskPath()) + "]\n");
    }
}

TEST_F(DropMenuItemTest, AClickReportsPointerAndPositionWithoutKeysAndShowsThePressedCell)
{
    GxTaskUIDropMenuItemIs* item = Item();
    EXPECT_EQ(m_Harness.LeftDown(150, 210, true, 0x9), 1);
    const std::vector<UITestEvent> presses = Events(1);
    ASSERT_EQ(presses.size(), 1u);
    EXPECT_EQ(presses[0].sender, item);
    EXPECT_EQ(presses[0].event.m_Vector[0].x, 150.0f);
    EXPECT_EQ(presses[0].event.m_Vector[0].y, 210.0f);
    EXPECT_EQ(presses[0].event.m_Vector[1].x, 100.0f);
    EXPECT_EQ(presses[0].event.m_Vector[1].y, 200.0f);
    EXPECT_EQ(presses[0].event.m_Value, 0) << "an item's press carries no key flags";
    EXPECT_EQ(presses[0].event.m_Flag, 0);
    EXPECT_EQ(item->GetPressFrames(), kButtonPressFrames);
    m_Harness.Step(16000);
    EXPECT_EQ(item->m_ImageIndex, 1);
    EXPECT_EQ(Rgb(150, 210), kOnRgb);
}

TEST_F(DropMenuItemTest, AnActiveShutdownDialogBlocksClicksButNotHover)
{
    struct Case {
        const char* what;
        bool dialog;
        bool active;
        bool blocked;
    };
    const Case cases[] = {{"no dialog", false, false, false},
                          {"dialog open", true, true, true},
                          {"dialog closed", true, false, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        GxTaskUINull* dialog = nullptr;
        if (c.dialog) {
            dialog = new GxTaskUINull(Screen(), u"dlg_shutdown", nullptr, 0);
            if (!c.active)
                dialog->SetState(kTaskSuspended);
        }
        GxTaskUIDropMenuItemIs* item = Item();
        Screen()->m_Events.clear();

        EXPECT_EQ(m_Harness.MouseMove(150, 210), 0);
        EXPECT_EQ(m_Harness.LeftDown(150, 210), c.blocked ? 0 : 1);
        m_Harness.MouseMove(10, 10);
        m_Harness.Step(16000);
        EXPECT_EQ(Events(7).size(), 1u);
        EXPECT_EQ(Events(8).size(), 1u);
        EXPECT_EQ(Events(1).size(), c.blocked ? 0u : 1u);
        EXPECT_EQ(item->GetPressFrames(), c.blocked ? 0 : kButtonPressFrames - 1);

        item->Remove();
        if (dialog)
            dialog->Remove();
        m_Harness.Step(16000);
    }
}

TEST_F(DropMenuItemTest, TheCaptionIconAndEdgedTextAreCentredOnTheItemsMiddle)
{
    GxNcOriginImage* icon = FindUICell(FindUIImageSet(u"uigis/drop.gis"), u"icon.png");
    ASSERT_NE(icon, nullptr);
    ASSERT_TRUE(AddUINamedValue(u"star", icon));
    GxTaskUIDropMenuItemIs* item = Item();
    item->m_Caption.m_Text = u"Load";
    item->m_Caption.m_IconName = u"star";
    item->m_Caption.m_Color = 0xFF80C0FFu;
    item->m_Caption.m_Offset = GxVector2(10.0f, 2.0f);
    item->SetImageAlpha(128);
    const std::uint32_t edgeColor = m_Harness.Config().m_System.m_SystemEdgeColor;

    // Anchor (100, 200 + 40 / 2); the icon is centred on the offset, white, preset 2, full alpha.
    const std::vector<WidgetDrawCall> patterns = Drawn("DrawImagePattern");
    ASSERT_EQ(patterns.size(), 2u);
    EXPECT_EQ(patterns[0].colors[0], 0x80FFFFFFu) << "the cell at the image alpha";
    EXPECT_EQ(patterns[1].points[0].x, 102.0f);
    EXPECT_EQ(patterns[1].points[0].y, 222.0f);
    EXPECT_EQ(patterns[1].colors[0], 0xFFFFFFFFu);
    EXPECT_EQ(patterns[1].colors[1], 0u);
    EXPECT_EQ(patterns[1].preset, 2);
    EXPECT_EQ(patterns[1].index, 0);

    // Font 5 is 38 high: the text is raised by 19, drawn four times in the edge colour, then once.
    const std::vector<WidgetDrawCall> texts = m_Harness.Recorder().CallsOf("DrawFontMapText");
    ASSERT_EQ(texts.size(), 5u);
    const float x = 110.0f, y = 222.0f - 19.0f;
    const float edges[4][2] = {{1, 1}, {-1, 1}, {1, -1}, {-1, -1}};
    for (int e = 0; e < 4; ++e) {
        EXPECT_EQ(texts[e].points[0].x, x + edges[e][0]) << e;
        EXPECT_EQ(texts[e].points[0].y, y + edges[e][1]) << e;
        EXPECT_EQ(texts[e].colors[0], edgeColor) << e;
        EXPECT_EQ(texts[e].colors[1], 0u) << e;
    }
    EXPECT_EQ(texts[4].points[0].x, x);
    EXPECT_EQ(texts[4].points[0].y, y);
    EXPECT_EQ(texts[4].points[1].x, 1.0f);
    EXPECT_EQ(texts[4].colors[0], 0xFF80C0FFu);
    EXPECT_EQ(texts[4].colors[1], 0u);
    EXPECT_EQ(texts[4].text, u"Load");

    // The row's font moves the text: font 1 is 15 high, raised by 7.
    ASSERT_TRUE(item->SetCaptionFontIndex(1));
    const std::vector<WidgetDrawCall> smaller = Drawn("DrawFontMapText");
    ASSERT_EQ(smaller.size(), 5u);
    EXPECT_EQ(smaller[4].points[0].y, 215.0f);
}

TEST_F(DropMenuItemTest, WithoutTextOrAFoundIconOnlyTheCellIsDrawn)
{
    struct Case {
        const char16_t* text;
        const char16_t* icon;
        std::int32_t fontIndex;
        std::size_t texts;
    };
    const Case cases[] = {{u"", u"", 5, 0u},
                          {u"", u"missing", 5, 0u},
                          {u"Save", u"missing", 5, 5u},
                          {u"Save", u"", 9, 0u}};   // an index set from outside finds no cache
    GxTaskUIDropMenuItemIs* item = Item();
    for (const Case& c : cases) {
        item->m_Caption.m_Text = c.text;
        item->m_Caption.m_IconName = c.icon;
        item->m_Caption.m_FontIndex = c.fontIndex;
        EXPECT_EQ(Drawn("DrawImagePattern").size(), 1u) << WideToUtf8(c.text) << "/" << WideToUtf8(c.icon);
        EXPECT_EQ(m_Harness.Recorder().CallsOf("DrawFontMapText").size(), c.texts) << WideToUtf8(c.text);
    }
}

TEST_F(DropMenuItemTest, AMissingSetOrNormalCellIsLoggedWithTheItemsName)
{
    auto* noSet = new GxTaskUIDropMenuItemIs(Screen(), u"item_noset", nullptr, 0);
    noSet->SetImageName(u"uigis/none/entry");
    EXPECT_FALSE(noSet->LoadImages());
    auto* noCell = new GxTaskUIDropMenuItemIs(Screen(), u"item_nocell", nullptr, 0);
    noCell->SetImageName(u"uigis/drop/gone");
    EXPECT_FALSE(noCell->LoadImages());
    ASSERT_EQ(m_Log.m_Errors.size(), 2u);
    EXPECT_EQ(m_Log.m_Errors[0], "GxTaskUIDropMenuItemIs/ImageSet wasn't Loaded:uigis/none.gis [" +
                                     WideToUtf8(noSet->GetTaskPath()) + "]\n");
    EXPECT_EQ(m_Log.m_Errors[1], "GxTaskUIDropMenuItemIs/Image not found:gone_off.png [" +
                                     WideToUtf8(noCell->GetTaskPath()) + "]\n");
    EXPECT_EQ(noCell->GetStateImage(kButtonImageNormal), nullptr);
}

}  // namespace
}  // namespace ui_test
