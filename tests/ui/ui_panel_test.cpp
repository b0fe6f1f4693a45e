// [Image panels] sizes from the image, the client rectangle rule, missing sets and cells, the
// shared hover and click, what the two draws hand to the drawing, and the image-set panel's state.
#include "ui_test_support.h"

#include "foundation/wide_string.h"
#include "motion/image_set_pool.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/image_set_builder.h"
#include "tests/support/ui/harness/widget_state_io.h"
#include "data/db_uimodule.h"
#include "ui/ui_panel.h"
#include "ui/widget_factory.h"

#include <filesystem>

namespace ui_test {
namespace {

namespace fs = std::filesystem;

bool WriteSolidPng(const fs::path& path, std::uint32_t width, std::uint32_t height, std::uint32_t argb)
{
    TestImage image;
    image.width = width;
    image.height = height;
    image.argb.assign(std::size_t(width) * height, argb);
    return WriteImageFile(path.string(), BuildPng(PngSpecRgba8(image)));
}

class PanelTest : public UIHarnessTest {
protected:
    void SetUp() override
    {
        UIHarnessTest::SetUp();
        Screen()->SetInstantUIEventFlag(true);
    }
    void TearDown() override
    {
        if (!m_SetName.empty())
            GetImageSetPool().ReleaseImageSet(m_SetName);
    }

    std::u16string Path(const char* name) const { return Utf8ToWide((m_Harness.Folder() / name).string()); }

    // "<folder>/parts.gis": one atlas holding the cell "btn.png", one pattern of 64 x 32.
    void PoolImageSet()
    {
        ASSERT_TRUE(WriteSolidPng(m_Harness.Folder() / "atlas.png", 64, 32, 0xFF336699));
        ASSERT_TRUE(WriteImageSetFile((m_Harness.Folder() / "parts.gis").string(),
                                      OnePatternImageSet(u"atlas.png", u"btn.png", 64, 32), TestContentForm::kText));
        m_SetName = Path("parts.gis");
        ASSERT_NE(GetImageSetPool().AddImageSet(m_SetName), nullptr);
    }

    GxTaskUIPanelFx* PanelFx() { return new GxTaskUIPanelFx(Screen(), nullptr, nullptr, 0); }
    GxTaskUIPanelIs* PanelIs() { return new GxTaskUIPanelIs(Screen(), nullptr, nullptr, 0); }

    std::u16string m_SetName;
};

TEST_F(PanelTest, TheFactoryBuildsBothPanels)
{
    GxTaskUIBase* fx = NewWidgetOfType(8, Screen(), u"fx", -1);
    GxTaskUIBase* is = NewWidgetOfType(15, Screen(), u"is", -1);
    ASSERT_NE(dynamic_cast<GxTaskUIPanelFx*>(fx), nullptr);
    ASSERT_NE(dynamic_cast<GxTaskUIPanelIs*>(is), nullptr);
    EXPECT_EQ(fx->GetTaskType(), 8);
    EXPECT_EQ(is->GetTaskType(), 15);
    EXPECT_TRUE(fx->m_MouseMoveBlockFlag);
    EXPECT_TRUE(is->m_MouseMoveBlockFlag);
}

TEST_F(PanelTest, ModuleRowsNameTheImageOfEachPanel)
{
    DBUIModuleRow row;
    row.m_ImageSetName = u"cg/ui/";
    row.m_ImageName = u"frame";
    row.m_Width = 12;
    GxTaskUIPanelFx* fx = PanelFx();
    fx->ApplyModuleRecord(&row);
    EXPECT_EQ(fx->GetImagePath(), u"cg/ui/frame.png");   // the set name serves as a folder
    EXPECT_EQ(fx->m_Width, 12);
    row.m_ImageSetName = u"ui_common";
    GxTaskUIPanelIs* is = PanelIs();
    is->ApplyModuleRecord(&row);
    EXPECT_EQ(is->m_ImageSetName, u"uigis/ui_common.gis");
    EXPECT_EQ(is->m_ImageName, u"frame");
    row.m_ImageName.clear();
    fx->ApplyModuleRecord(&row);
    EXPECT_EQ(fx->GetImagePath(), u"");
    // A path without a folder names a set of no name.
    is->SetImageName(u"alone");
    EXPECT_EQ(is->m_ImageSetName, u".gis");
    EXPECT_EQ(is->m_ImageName, u"alone");
}

TEST_F(PanelTest, TheLooseImagePanelTakesItsSizeFromTheTexture)
{
    ASSERT_TRUE(WriteSolidPng(m_Harness.Folder() / "frame.png", 880, 200, 0xFF204060));
    GxTaskUIPanelFx* panel = PanelFx();
    panel->SetClientRect(40, 24, 0, 150);
    ASSERT_TRUE(panel->SetImageName(Path("frame.png").c_str()));
    EXPECT_TRUE(panel->LoadImages());
    EXPECT_EQ(panel->m_Width, 880);
    EXPECT_EQ(panel->m_Height, 200);
    EXPECT_EQ(panel->m_ClientWidth, 800);    // 880 - 2 x 40
    EXPECT_EQ(panel->m_ClientHeight, 150);   // a given size stays

    // A second load gives the first texture back before it holds the new one.
    EXPECT_TRUE(panel->LoadImages());
    panel->ReleaseImages();
    EXPECT_EQ(panel->GetTexture(), nullptr);

    // A missing image: false, size 0, and nothing logged by the panel itself.
    LogCapture log;
    GxTaskUIPanelFx* missing = PanelFx();
    missing->SetImageName(Path("none.png").c_str());
    EXPECT_FALSE(missing->LoadImages());
    EXPECT_EQ(missing->m_Width, 0);
    EXPECT_EQ(missing->m_Height, 0);
    for (const std::string& line : log.m_Errors)
        EXPECT_EQ(line.find("GxTaskUIPanel"), std::string::npos) << line;

    // No path: false, and the size from the module row stays.
    GxTaskUIPanelFx* empty = PanelFx();
    empty->m_Width = 30;
    empty->m_Height = 20;
    EXPECT_FALSE(empty->LoadImages());
    EXPECT_EQ(empty->m_Width, 30);
    EXPECT_EQ(empty->m_ClientWidth, 30);
}

TEST_F(PanelTest, TheImageSetPanelFindsItsCellAndLogsWhatIsMissing)
{
    PoolImageSet();
    GxTaskUIPanelIs* panel = PanelIs();
    panel->SetClientRect(4, 2, 0, 0);
    ASSERT_TRUE(panel->SetImageName(Path("parts/btn").c_str()));
    EXPECT_EQ(panel->m_ImageSetName, m_SetName);
    EXPECT_EQ(panel->m_ImageName, u"btn");
    EXPECT_TRUE(panel->LoadImages());
    EXPECT_EQ(panel->m_Width, 64);
    EXPECT_EQ(panel->m_Height, 32);
    EXPECT_EQ(panel->m_ClientLeft, 4);
    EXPECT_EQ(panel->m_ClientTop, 2);
    EXPECT_EQ(panel->m_ClientWidth, 56);
    EXPECT_EQ(panel->m_ClientHeight, 28);
    EXPECT_EQ(panel->GetPatternCount(), 1);

    // A size given beforehand wins over the pattern's.
    GxTaskUIPanelIs* sized = PanelIs();
    sized->m_Width = 10;
    sized->SetImageName(Path("parts/btn").c_str());
    EXPECT_TRUE(sized->LoadImages());
    EXPECT_EQ(sized->m_Width, 10);
    EXPECT_EQ(sized->m_Height, 32);

    // No name: no cell and 0 x 0 at every load.
    GxTaskUIPanelIs* empty = PanelIs();
    empty->m_Width = 50;
    EXPECT_TRUE(empty->LoadImages());
    EXPECT_EQ(empty->m_Width, 0);
    EXPECT_EQ(empty->m_Height, 0);
    EXPECT_EQ(empty->GetPatternCount(), 0);

    LogCapture log;
    GxTaskUIPanelIs* noSet = PanelIs();
    noSet->SetImageName(Path("other/btn").c_str());
    EXPECT_FALSE(noSet->LoadImages());
    GxTaskUIPanelIs* noCell = PanelIs();
    noCell->SetImageName(Path("parts/gone").c_str());
    EXPECT_FALSE(noCell->LoadImages());
    EXPECT_EQ(noCell->GetCell(), nullptr);
    ASSERT_EQ(log.m_Errors.size(), 2u);
    EXPECT_EQ(log.m_Errors[0], "GxTaskUIPanelIs/ImageSet wasn't Loaded:" + WideToUtf8(Path("other.gis")) + " [" +
                                   WideToUtf8(noSet->GetTaskPath()) + "]\n");
    EXPECT_EQ(log.m_Errors[1], "GxTaskUIPanelIs/Image not found:gone [" + WideToUtf8(noCell->GetTaskPath()) + "]\n");

    // Neither draws anything.
    m_Harness.Recorder().Clear();
    noSet->Draw(0, 0);
    noCell->Draw(0, 0);
    EXPECT_TRUE(m_Harness.Recorder().Calls().empty());
}

TEST_F(PanelTest, HoverAndClickReportOverTheWholeBounds)
{
    GxTaskUIPanelFx* panel = PanelFx();
    panel->SetPos(GxVector3(100, 100, 0));
    panel->m_Width = 50;
    panel->m_Height = 40;
    panel->SetClientRect(20, 20, 10, 10);   // the client rectangle plays no part

    EXPECT_EQ(m_Harness.MouseMove(102, 102), 1);   // inside the bounds, outside the client rectangle
    EXPECT_EQ(m_Harness.MouseMove(110, 110), 1);
    ASSERT_EQ(Screen()->EventsOf(7).size(), 1u);
    EXPECT_EQ(Screen()->EventsOf(7)[0].event.m_Vector[0].x, 102.0f);
    EXPECT_EQ(Screen()->EventsOf(7)[0].event.m_Vector[1].x, 100.0f);
    EXPECT_EQ(panel->m_EventState, 7);

    // Leaving is noticed by the update, not by the move; not while a drag holds the press.
    m_Harness.MouseMove(300, 300);
    panel->m_DragState.m_Pressed = true;
    m_Harness.Step(16000);
    EXPECT_TRUE(Screen()->EventsOf(8).empty());
    panel->m_DragState.m_Pressed = false;
    m_Harness.Step(16000);
    m_Harness.Step(16000);
    ASSERT_EQ(Screen()->EventsOf(8).size(), 1u);
    EXPECT_EQ(Screen()->EventsOf(8)[0].event.m_Vector[0].x, 300.0f);
    EXPECT_EQ(panel->m_HoverCount, 0);

    struct Case {
        const char* what;
        bool reportBit;
        bool block;
        int consumed;
        size_t reported;
    };
    const Case cases[] = {
        {"reported and consumed", true, true, 1, 1},
        {"report bit cleared", false, true, 0, 0},
        {"reported and passed on", true, false, 0, 1},
    };
    for (const Case& c : cases) {
        Screen()->m_Events.clear();
        if (c.reportBit)
            panel->SetEventReportBit(1);
        else
            panel->ClearEventReportBit(1);
        panel->SetEventBlockFlag(c.block);
        EXPECT_EQ(m_Harness.LeftDown(149, 139), c.consumed) << c.what;
        EXPECT_EQ(Screen()->EventsOf(1).size(), c.reported) << c.what;
        EXPECT_EQ(panel->m_EventState, 1) << c.what;
    }
    Screen()->m_Events.clear();
    panel->SetEventReportBit(1);
    EXPECT_EQ(m_Harness.LeftDown(150, 120), 0);   // the right edge is outside
    EXPECT_TRUE(Screen()->EventsOf(1).empty());
}

TEST_F(PanelTest, TheDrawsHandTheirColoursTransformAndPresetToTheDrawing)
{
    ASSERT_TRUE(WriteSolidPng(m_Harness.Folder() / "frame.png", 16, 8, 0xFFFFFFFF));
    GxTaskUIPanelFx* fx = PanelFx();
    fx->SetImageName(Path("frame.png").c_str());
    ASSERT_TRUE(fx->LoadImages());
    fx->SetPos(GxVector3(10, 20, 0));
    fx->m_VisualParam.m_Alpha = 128;
    fx->m_ImageAlpha = 128;
    fx->m_VisualParam.m_Rot = GxVector3(0, 0, 90);
    fx->m_VisualParam.m_Scale = GxVector3(2, 3, 1);
    fx->m_VisualParam.m_CenterPos = GxVector3(0.5f, 0.25f, 0);
    fx->m_VisualParam.m_BlendMode = 4;
    fx->m_VisualParam.m_Color1 = ColorFromArgb(0xFF000000);

    PoolImageSet();
    GxTaskUIPanelIs* is = PanelIs();
    is->SetImageName(Path("parts/btn").c_str());
    ASSERT_TRUE(is->LoadImages());
    is->SetPos(GxVector3(30, 40, 0));
    is->m_VisualParam.m_Alpha = 128;
    is->m_ImageAlpha = 0;   // not the image-set panel's business
    is->m_VisualParam.m_BlendMode = 3;

    m_Harness.Recorder().Clear();
    fx->Draw(0, 0);
    is->Draw(0, 0);
    const auto textures = m_Harness.Recorder().CallsOf("DrawFlexTexture");
    ASSERT_EQ(textures.size(), 1u);
    EXPECT_EQ(textures[0].points[0].x, 10.0f);
    EXPECT_EQ(textures[0].points[0].y, 20.0f);
    EXPECT_EQ(textures[0].points[1].x, 2.0f);
    EXPECT_EQ(textures[0].points[1].y, 3.0f);
    EXPECT_EQ(textures[0].points[2].x, 0.5f);
    EXPECT_FLOAT_EQ(textures[0].rotation.z, 90 * 0.017453292f);
    EXPECT_EQ(textures[0].colors[0] >> 24, 64u);    // 255 x 128 x 128 / 255 / 255
    EXPECT_EQ(textures[0].colors[1] >> 24, 128u);   // colour 1 takes the actor alpha only
    EXPECT_EQ(textures[0].preset, 4);
    const auto patterns = m_Harness.Recorder().CallsOf("DrawImagePattern");
    ASSERT_EQ(patterns.size(), 1u);
    EXPECT_EQ(patterns[0].points[0].x, 30.0f);
    EXPECT_EQ(patterns[0].points[0].y, 40.0f);
    EXPECT_EQ(patterns[0].colors[0] >> 24, 128u);
    EXPECT_EQ(patterns[0].preset, 3);
    EXPECT_EQ(m_Harness.Recorder().CallsOf("BeginSceneNested").size(), 2u);
    EXPECT_EQ(m_Harness.Recorder().CallsOf("EndSceneNested").size(), 2u);

    // Hidden in the tree: nothing.
    m_Harness.Recorder().Clear();
    fx->Hide();
    is->Hide();
    fx->Draw(0, 0);
    is->Draw(0, 0);
    EXPECT_TRUE(m_Harness.Recorder().Calls().empty());
}

TEST_F(PanelTest, TheImageSetPanelStateRoundTripsAndReadingForgetsTheCell)
{
    PoolImageSet();
    for (TestContentForm form : {TestContentForm::kText, TestContentForm::kBinary}) {
        GxTaskUIPanelIs* written = PanelIs();
        written->SetImageName(Path("parts/btn").c_str());
        written->SetPatternIndex(3);
        bool ok = false;
        const std::string bytes = SaveTaskState(*written, form, &ok);
        EXPECT_TRUE(ok);

        GxTaskUIPanelIs* read = PanelIs();
        read->SetImageName(Path("parts/btn").c_str());
        ASSERT_TRUE(read->LoadImages());
        read->m_EventState = 7;
        read->m_HoverCount = 1;
        read->m_ImageName.clear();
        EXPECT_TRUE(LoadTaskState(*read, form, bytes));
        EXPECT_EQ(read->m_ImageName, u"btn");
        EXPECT_EQ(read->m_ImageSetName, m_SetName);
        EXPECT_EQ(read->GetPatternIndex(), 3);
        EXPECT_EQ(read->GetCell(), nullptr);
        EXPECT_EQ(read->m_EventState, 0);
        EXPECT_EQ(read->m_HoverCount, 0);
        EXPECT_TRUE(read->LoadImages());
        EXPECT_NE(read->GetCell(), nullptr);
    }
}

}  // namespace
}  // namespace ui_test
