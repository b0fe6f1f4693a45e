// [Image button] sizes from the normal cell, the press and its 15-update pressed look, hover and
// leave, the input gate, the client edges, the block flags, the disabled look, the cell
// fallbacks, the load failures, the button flag, the alpha it draws at, and the saved state.
#include "image_widget_test_support.h"

#include "data/db_uimodule.h"
#include "ui/task_ui_null.h"
#include "ui/ui_button.h"
#include "ui/widget_factory.h"

namespace ui_test {
namespace {

class ButtonTest : public ImageWidgetTest {
protected:
    void SetUp() override
    {
        ImageWidgetTest::SetUp();
        ASSERT_TRUE(m_Sets.Add("uigis/btn.gis", {Cell(u"ok_off.png", 200, 60, kOffRgb), Cell(u"ok_on.png", 200, 60, kOnRgb),
                                                 Cell(u"ok_over.png", 200, 60, kOverRgb),
                                                 Cell(u"ok_na.png", 200, 60, kNaRgb),
                                                 // no "_on", no "_na"
                                                 Cell(u"noon_off.png", 40, 20, kOffRgb),
                                                 Cell(u"noon_over.png", 40, 20, kOverRgb),
                                                 // no "_over"
                                                 Cell(u"nohover_off.png", 40, 20, kOffRgb),
                                                 Cell(u"nohover_on.png", 40, 20, kOnRgb),
                                                 // the normal cell only
                                                 Cell(u"bare_off.png", 40, 20, kOffRgb)}));
    }

    // A button at (x, y) under `parent` (the screen when null) with the cells of `image`.
    GxTaskUIButtonIs* Button(const char16_t* image = u"uigis/btn/ok", GxTaskBase* parent = nullptr, float x = 100.0f,
                             float y = 100.0f)
    {
        auto* button = new GxTaskUIButtonIs(parent ? parent : Screen(), nullptr, nullptr, 0);
        button->SetImageName(image);
        button->SetPos(GxVector3(x, y, 0.0f));
        return button;
    }
};

TEST_F(ButtonTest, SizesComeFromTheNormalCellUnlessTheModuleRowGaveThem)
{
    GxTaskUIButtonIs* fromCell = Button();
    fromCell->m_ClientLeft = 10;
    fromCell->m_ClientTop = 5;
    EXPECT_TRUE(Enter(fromCell)->LoadImages());
    EXPECT_EQ(fromCell->m_Width, 200);
    EXPECT_EQ(fromCell->m_Height, 60);
    EXPECT_EQ(fromCell->m_ClientWidth, 180);
    EXPECT_EQ(fromCell->m_ClientHeight, 50);

    GxTaskUIButtonIs* fromRow = Button();
    fromRow->m_Width = 120;
    fromRow->m_Height = 30;
    fromRow->m_ClientWidth = 90;
    Enter(fromRow);
    EXPECT_EQ(fromRow->m_Width, 120);
    EXPECT_EQ(fromRow->m_Height, 30);
    EXPECT_EQ(fromRow->m_ClientWidth, 90);
    EXPECT_EQ(fromRow->m_ClientHeight, 30);
}

TEST_F(ButtonTest, TheFactoryBuildsItWithTheButtonFlagAndTheUIImageSetFolder)
{
    DBUIModuleRow row;
    row.m_ID = 4;
    row.m_UIType = kUITypeButton;
    row.m_ImageSetName = u"btn";
    row.m_ImageName = u"ok";
    GxTaskUIBase* widget = CreateWidgetFromModuleRow(Screen(), &row, u"btn_ok", -1);
    ASSERT_NE(widget, nullptr);
    auto* button = dynamic_cast<GxTaskUIButtonIs*>(widget);
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetTaskType(), 18);
    EXPECT_EQ(button->m_KindFlags & (kKindPushButton | kKindWidget), kKindPushButton | kKindWidget);
    EXPECT_EQ(button->m_ImageSetName, u"uigis/btn.gis");
    EXPECT_EQ(button->m_ImageName, u"ok");
    EXPECT_TRUE(button->LoadImages());

    // A path names the set by its last folder and the cells by its file name.
    EXPECT_TRUE(button->SetImageName(u"gis/menu/start"));
    EXPECT_EQ(button->m_ImageSetName, u"gis/menu.gis");
    EXPECT_EQ(button->m_ImageName, u"start");
}

TEST_F(ButtonTest, APressReportsOnceWithPointerPositionKeysAndTheDoubleClickFlag)
{
    GxTaskUIButtonIs* button = Enter(Button());
    EXPECT_EQ(m_Harness.LeftDown(150, 120, false, 0x9), 1);
    EXPECT_EQ(m_Harness.LeftDown(150, 120, true, 0x1), 1);
    m_Harness.Step(16000);
    const std::vector<UITestEvent> presses = Events(1);
    ASSERT_EQ(presses.size(), 2u);
    const GxUIEventParam& first = presses[0].event;
    EXPECT_EQ(presses[0].sender, button);
    EXPECT_EQ(first.m_Code, 1);
    EXPECT_EQ(first.m_Value1, 0);
    EXPECT_EQ(first.m_Vector[0].x, 150.0f);
    EXPECT_EQ(first.m_Vector[0].y, 120.0f);
    EXPECT_EQ(first.m_Vector[0].z, 0.0f);
    EXPECT_EQ(first.m_Vector[1].x, 100.0f);
    EXPECT_EQ(first.m_Vector[1].y, 100.0f);
    EXPECT_EQ(first.m_Value, 0x9);
    EXPECT_EQ(first.m_Flag, 0);
    EXPECT_EQ(presses[1].event.m_Value, 0x1);
    EXPECT_EQ(presses[1].event.m_Flag, 1);
}

TEST_F(ButtonTest, ThePressedCellShowsForFifteenUpdatesEvenWhenThePointerLeavesAtOnce)
{
    GxTaskUIButtonIs* button = Enter(Button());
    m_Harness.MouseMove(150, 120);
    EXPECT_EQ(Events(7).size(), 1u);
    m_Harness.LeftDown(150, 120);
    m_Harness.MouseMove(10, 10);
    for (int update = 1; update <= 15; ++update) {
        m_Harness.Step(16000);
        EXPECT_EQ(button->GetImageIndex(), 1) << "update " << update;
        EXPECT_EQ(Rgb(150, 120), kOnRgb) << "update " << update;
    }
    EXPECT_EQ(Events(8).size(), 1u);   // the first update found the pointer outside
    m_Harness.Step(16000);
    EXPECT_EQ(button->GetImageIndex(), 0);
    EXPECT_EQ(Rgb(150, 120), kOffRgb);

    // With the pointer still over it, the hover cell follows the pressed look.
    m_Harness.MouseMove(150, 120);
    m_Harness.LeftDown(150, 120);
    for (int update = 1; update <= 15; ++update)
        m_Harness.Step(16000);
    EXPECT_EQ(button->GetImageIndex(), 1);
    m_Harness.Step(16000);
    EXPECT_EQ(button->GetImageIndex(), 2);
    EXPECT_EQ(Rgb(150, 120), kOverRgb);
}

TEST_F(ButtonTest, BehindAClosedGateItShowsNormalReportsNothingAndConsumesNothing)
{
    struct Case {
        const char* name;
        std::function<void(GxTaskUIButtonIs*, GxTaskUINull*)> close;
    };
    const Case cases[] = {
        {"modal level", [this](GxTaskUIButtonIs*, GxTaskUINull*) { m_Harness.UI().m_DialogCount = 1; }},
        {"lock", [](GxTaskUIButtonIs* b, GxTaskUINull*) { b->IncLock(); }},
        {"disabled ancestor", [](GxTaskUIButtonIs*, GxTaskUINull* parent) { parent->SetEnabled(false); }},
    };
    for (const Case& c : cases) {
        auto* parent = new GxTaskUINull(Screen(), nullptr, nullptr, 0);
        GxTaskUIButtonIs* button = Enter(Button(u"uigis/btn/ok", parent));
        m_Harness.MouseMove(150, 120);   // hovered while the gate was open
        Screen()->m_Events.clear();
        c.close(button, parent);

        EXPECT_EQ(m_Harness.MouseMove(160, 120), 0) << c.name;
        EXPECT_EQ(m_Harness.LeftDown(160, 120), 0) << c.name;
        m_Harness.Step(16000);
        EXPECT_EQ(button->GetImageIndex(), 0) << c.name;
        EXPECT_EQ(Rgb(150, 120), kOffRgb) << c.name;
        m_Harness.MouseMove(10, 10);
        m_Harness.Step(16000);
        EXPECT_EQ(button->GetHoverCount(), 0) << c.name;
        EXPECT_TRUE(Screen()->m_Events.empty()) << c.name << ": not even the leave";

        m_Harness.UI().m_DialogCount = 0;
        parent->Remove();
        m_Harness.Step(16000);
    }
}

TEST_F(ButtonTest, TheRightAndBottomEdgesOfTheClientRectangleAreOutside)
{
    GxTaskUIButtonIs* button = Enter(Button());
    button->m_ClientLeft = 10;
    button->m_ClientTop = 5;
    button->m_ClientWidth = 180;
    button->m_ClientHeight = 50;
    struct Case {
        int x, y;
        int consumed;
    };
    for (const Case c : {Case{110, 105, 1}, Case{289, 154, 1}, Case{290, 120, 0}, Case{150, 155, 0},
                         Case{109, 120, 0}, Case{150, 104, 0}})
        EXPECT_EQ(m_Harness.LeftDown(c.x, c.y), c.consumed) << c.x << "," << c.y;
    EXPECT_EQ(Events(1).size(), 2u);
}

TEST_F(ButtonTest, TheBlockFlagsDecideWhatIsConsumed)
{
    GxTaskUIButtonIs* button = Enter(Button());
    // A move is passed on by default, and the enter is reported once.
    EXPECT_EQ(m_Harness.MouseMove(150, 120), 0);
    EXPECT_EQ(m_Harness.MouseMove(151, 120), 0);
    EXPECT_EQ(Events(7).size(), 1u);
    button->SetMouseMoveBlockFlag(true);
    EXPECT_EQ(m_Harness.MouseMove(152, 120), 1) << "already inside";
    EXPECT_EQ(m_Harness.MouseMove(10, 10), 0);

    button->SetEventBlockFlag(false);
    EXPECT_EQ(m_Harness.LeftDown(150, 120), 0);
    EXPECT_EQ(Events(1).size(), 1u) << "reported and passed on";
    button->SetEventBlockFlag(true);
    button->ClearEventReportBit(1);
    EXPECT_EQ(m_Harness.LeftDown(150, 120), 0) << "an unreported press is never consumed";
    EXPECT_EQ(Events(1).size(), 1u);
}

TEST_F(ButtonTest, ADisabledButtonShowsItsDisabledCellOrItsNormalOneAndTakesNoInput)
{
    GxTaskUIButtonIs* withNa = Enter(Button());
    GxTaskUIButtonIs* withoutNa = Enter(Button(u"uigis/btn/noon", nullptr, 400.0f));
    withNa->SetEnabled(false);
    withoutNa->SetEnabled(false);
    EXPECT_EQ(m_Harness.MouseMove(150, 120), 0);
    EXPECT_EQ(m_Harness.LeftDown(150, 120), 0);
    EXPECT_EQ(m_Harness.LeftDown(410, 110), 0);
    m_Harness.Step(16000);
    EXPECT_EQ(Rgb(150, 120), kNaRgb);
    EXPECT_EQ(Rgb(410, 110), kOffRgb);
    EXPECT_TRUE(Screen()->m_Events.empty());
}

TEST_F(ButtonTest, MissingCellsFallBack)
{
    GxTaskUIButtonIs* noOn = Enter(Button(u"uigis/btn/noon"));
    EXPECT_EQ(noOn->GetStateImage(1), noOn->GetStateImage(2)) << "the pressed look is the hover cell";
    EXPECT_NE(noOn->GetStateImage(1), nullptr);
    EXPECT_EQ(noOn->GetStateImage(3), noOn->GetStateImage(0)) << "disabled: the normal cell";

    GxTaskUIButtonIs* bare = Enter(Button(u"uigis/btn/bare"));
    EXPECT_EQ(bare->GetStateImage(1), nullptr) << "no hover cell to fall back on";
    EXPECT_EQ(bare->GetStateImage(2), nullptr);
    noOn->Remove();
    bare->Remove();

    // No hover cell: hovering shows the normal one.
    GxTaskUIButtonIs* noHover = Enter(Button(u"uigis/btn/nohover"));
    m_Harness.MouseMove(110, 110);
    m_Harness.Step(16000);
    EXPECT_EQ(noHover->GetImageIndex(), 2);
    EXPECT_EQ(Rgb(110, 110), kOffRgb);
}

TEST_F(ButtonTest, AMissingSetOrNormalCellIsLoggedAndTheButtonStillTakesInput)
{
    auto* noSet = new GxTaskUIButtonIs(Screen(), u"btn_noset", nullptr, 0);
    noSet->SetImageName(u"uigis/none/ok");
    noSet->SetPos(GxVector3(100.0f, 100.0f, 0.0f));
    noSet->m_ClientWidth = 50;
    noSet->m_ClientHeight = 20;
    EXPECT_FALSE(noSet->LoadImages());
    auto* noCell = new GxTaskUIButtonIs(Screen(), u"btn_nocell", nullptr, 0);
    noCell->SetImageName(u"uigis/btn/missing");
    noCell->SetPos(GxVector3(300.0f, 100.0f, 0.0f));
    EXPECT_FALSE(noCell->LoadImages());
    ASSERT_EQ(m_Log.m_Errors.size(), 2u);
    EXPECT_EQ(m_Log.m_Errors[0], "GxTaskUIButtonIs/ImageSet wasn't Loaded:uigis/none.gis [" +
                                     WideToUtf8(noSet->GetTaskPath()) + "]\n");
    EXPECT_EQ(m_Log.m_Errors[1], "GxTaskUIButtonIs/Image not found:missing_off.png [" +
                                     WideToUtf8(noCell->GetTaskPath()) + "]\n");

    EXPECT_EQ(m_Harness.LeftDown(110, 110), 1);
    EXPECT_EQ(Events(1).size(), 1u);
    m_Harness.Step(16000);
    EXPECT_TRUE(m_Harness.Recorder().CallsOf("DrawImagePattern").empty());
}

TEST_F(ButtonTest, TheCellIsDrawnAtTheImageAlphaTimesTheActorAlpha)
{
    GxTaskUIButtonIs* button = Enter(Button());
    struct Case {
        std::int32_t imageAlpha, actorAlpha;
        std::uint32_t color;
    };
    for (const Case c : {Case{255, 255, 0xFFFFFFFF}, Case{128, 255, 0x80FFFFFF}, Case{255, 128, 0x80FFFFFF},
                         Case{128, 128, 0x40FFFFFF}, Case{0, 255, 0x00FFFFFF}}) {
        button->SetImageAlpha(c.imageAlpha);
        button->SetAlpha(c.actorAlpha);
        m_Harness.Recorder().Clear();
        m_Harness.Step(16000);
        const std::vector<WidgetDrawCall> draws = m_Harness.Recorder().CallsOf("DrawImagePattern");
        ASSERT_EQ(draws.size(), 1u);
        EXPECT_EQ(draws[0].colors[0], c.color) << c.imageAlpha << " x " << c.actorAlpha;
        EXPECT_EQ(draws[0].points[0].x, 100.0f);
        EXPECT_EQ(draws[0].preset, 2);
    }
}

TEST_F(ButtonTest, TheSavedStateHoldsTheNamesAndIndexesAndAReadStartsWithoutCells)
{
    GxTaskUIButtonIs* from = Enter(Button(u"uigis/btn/noon", nullptr, 500.0f));
    from->m_ImageIndex = 2;
    from->m_PatternIndex = 1;
    GxTaskUIButtonIs* into = Enter(Button());
    m_Harness.MouseMove(150, 120);
    m_Harness.LeftDown(150, 120);
    ASSERT_EQ(into->GetHoverCount(), 1);
    ASSERT_TRUE(RoundTrip(from, into));
    EXPECT_EQ(into->m_ImageName, u"noon");
    EXPECT_EQ(into->m_ImageSetName, u"uigis/btn.gis");
    EXPECT_EQ(into->m_PatternIndex, 1);
    EXPECT_EQ(into->GetImageIndex(), 0) << "the event state is reset after the read";
    EXPECT_EQ(into->GetHoverCount(), 0);
    EXPECT_EQ(into->m_EventState, 0);
    EXPECT_EQ(into->GetPressFrames(), 0);
    for (std::int32_t slot = 0; slot < kButtonImageSlotCount; ++slot)
        EXPECT_EQ(into->GetStateImage(slot), nullptr);
    EXPECT_TRUE(into->LoadImages()) << "the next enter loads the read names";
}

}  // namespace
}  // namespace ui_test
