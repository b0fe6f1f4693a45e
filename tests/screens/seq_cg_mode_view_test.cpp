// [Screens] the picture viewer: which pictures of a row it shows and when it goes back to the
// gallery, the placement codes and their pan, dragging with its clamps and cursors, clicks and
// keys, and a row outside the gallery table.
#include "screens/seq_cg_mode_view.h"

#include "core/core.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "data/data_tables.h"
#include "data/system_config.h"
#include "data/user_data_perman.h"
#include "foundation/wide_string.h"
#include "platform/win32/cursor.h"
#include "tests/screens/screen_test_support.h"
#include "tests/support/error_log_capture.h"
#include "tests/support/image_fixtures.h"
#include "ui/task_ui_base.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace screens_test {
namespace {

class ViewerGallery : public GxSeqBase {
public:
    explicit ViewerGallery(GxTaskBase* owner) : GxSeqBase(owner, u"SeqCGMode") {}
};

class CGModeViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_H.m_UI.Ok());
        m_H.MakeSystem();
        GxCore& core = m_H.m_UI.Core();
        core.m_UserDataPerman = &m_Perman;
        const std::filesystem::path pictures = m_H.m_UI.Folder() / "ev";
        std::filesystem::create_directories(pictures);
        struct Picture {
            const char* name;
            std::uint32_t w, h;
        };
        for (const Picture& p : {Picture{"wide", 1600, 768}, Picture{"small", 400, 300}, Picture{"big", 1200, 900},
                                 Picture{"tall", 1024, 900}, Picture{"exact", 1024, 768}}) {
            ASSERT_TRUE(WriteImageFile((pictures / (std::string(p.name) + ".png")).string(),
                                       BuildPng(PngSpecRgb8(TestImage::Solid(p.w, p.h, 0xFF204060)))));
        }
        m_H.m_UI.Config().m_System.m_Folders[GxSystemConfig::kFolderCGEv] = Utf8ToWide(pictures.string()) + u"/";
        m_H.m_UI.Config().Refresh();
        m_Screen = new SeqCGModeView(m_H.m_UI.Root());
        m_Gallery = new ViewerGallery(m_H.m_UI.Root());
    }
    void TearDown() override
    {
        m_H.m_UI.Core().m_UserDataPerman = nullptr;
        ResetDataTables();
    }
    // Entry j of row 3 holds "name" with the placement "codes" (start|end), both as start-up
    // splits them.
    void SetEntry(std::int32_t j, const char16_t* name, const char16_t* placement = u"|", bool seen = true)
    {
        GetDBCGMode().GetRow(3)->m_FileName[j] = name;
        GetDBCGModePlacement().GetRow(3)->m_FileName[j] = placement;
        if (seen)
            m_Perman.m_ShowedCGFlags[name] = 1;
    }
    void Enter(std::int32_t row = 3) { m_H.EnterOnSlot0(m_Screen, row); }
    GxSeqBase* Current() { return m_H.ApplyChanges(); }
    GxTaskLayer* Layer() { return m_Screen->GetBackgroundLayer(); }
    GxVector3 Pos() { return Layer()->GetPos(); }
    void Press(float x, float y)
    {
        const GxVector2 p(x, y);
        m_Screen->OnMouseLeftDown(&p, 0, 0);
    }
    void Move(float x, float y)
    {
        const GxVector2 p(x, y);
        m_Screen->OnMouseMove(&p, 0);
    }
    void Release(float x, float y)
    {
        const GxVector2 p(x, y);
        m_Screen->OnMouseLeftUp(&p, 0);
        m_Screen->Update(0, 0);
    }
    void Click(float x = 10.0f, float y = 10.0f)
    {
        Press(x, y);
        Release(x, y);
    }
    // The kind of the cursor the screen set last (0 for none or another).
    static std::int32_t Cursor()
    {
        static LPCWSTR const kShapes[] = {IDC_ARROW, IDC_CROSS, IDC_SIZEALL, IDC_SIZENS, IDC_SIZEWE, IDC_NO};
        for (std::int32_t kind = 1; kind <= 6; ++kind) {
            if (GetCursor() == LoadCursorW(nullptr, kShapes[kind - 1]))
                return kind;
        }
        return 0;
    }

    ScreenHarness m_H;
    GxUserDataPerman m_Perman;
    SeqCGModeView* m_Screen = nullptr;
    ViewerGallery* m_Gallery = nullptr;
};

TEST_F(CGModeViewTest, ShowsTheSeenEntriesInOrderThenReturnsToTheGallery)
{
    SetEntry(0, u"small");
    SetEntry(1, u"big", u"|", false);
    SetEntry(3, u"wide");
    SetEntry(7, u"tall");
    SetEntry(20, u"exact");   // past the row's Count, still shown
    GetDBCGMode().GetRow(3)->m_Count = 4;
    Enter();
    std::vector<std::int32_t> shown{m_Screen->GetEntry()};
    EXPECT_EQ(m_Screen->GetPictureSize().x, 400.0f);
    for (int i = 0; i < 4 && Current() == m_Screen; ++i) {
        Click();
        if (Current() == m_Screen)
            shown.push_back(m_Screen->GetEntry());
    }
    EXPECT_EQ(shown, (std::vector<std::int32_t>{0, 3, 7, 20}));
    EXPECT_EQ(Current(), m_Gallery);
}

TEST_F(CGModeViewTest, MissingFileIsLoggedKeepsThePictureAndIsPassedByTheNextClick)
{
    SetEntry(0, u"small");
    SetEntry(1, u"absent");
    SetEntry(2, u"wide");
    Enter();
    TestErrorLogCapture log;
    Click();
    EXPECT_EQ(m_Screen->GetEntry(), 1);
    EXPECT_NE(std::find(log.Lines().begin(), log.Lines().end(), "画像がありません absent\n"), log.Lines().end());
    EXPECT_EQ(Layer()->GetWidth(), 400);
    Click();
    EXPECT_EQ(m_Screen->GetEntry(), 2);
    EXPECT_EQ(Layer()->GetWidth(), 1600);
}

TEST_F(CGModeViewTest, PlacementCodes)
{
    struct Case {
        const char16_t* code;
        float w, h;
        float x, y;
    };
    const Case cases[] = {
        {u"LT", 1600, 768, 0, 0},     {u"RT", 1600, 768, -576, 0}, {u"RB", 400, 300, 624, 468},
        {u"MM", 400, 300, 312, 234},  {u"MM", 1025, 769, 0, 0},    {u"MM", 1027, 771, -1, -1},
        {u"mm", 400, 300, 0, 0},      {u"R", 400, 300, 624, 0},    {u"", 400, 300, 0, 0},
        {u"XB", 400, 300, 0, 468},
    };
    for (const Case& c : cases) {
        const GxVector3 p = SeqCGModeView::PlacementPos(c.code, c.w, c.h);
        EXPECT_EQ(p.x, c.x) << WideToUtf8(c.code) << " " << c.w;
        EXPECT_EQ(p.y, c.y) << WideToUtf8(c.code) << " " << c.h;
    }
}

TEST_F(CGModeViewTest, PlacementPansAfterAWaitAndAClickCompletesItWithoutAdvancing)
{
    SetEntry(0, u"wide", u"LT|RT");
    SetEntry(1, u"small", u"MM|");
    Enter();
    const auto& actions = Layer()->GetActionList(0);
    ASSERT_EQ(actions.size(), 2u);
    EXPECT_EQ(actions[0].m_ActionType, kActionWait);
    EXPECT_EQ(actions[0].m_TimeTotal, 500);
    EXPECT_EQ(actions[1].m_ActionType, 2);
    EXPECT_EQ(actions[1].m_TimeTotal, 30 + 4608);
    EXPECT_EQ(actions[1].m_End.x, -576.0f);
    EXPECT_EQ(Pos().x, 0.0f);

    Click();
    EXPECT_EQ(m_Screen->GetEntry(), 0);
    EXPECT_TRUE(Layer()->IsActionListEmpty());
    EXPECT_EQ(Pos().x, -576.0f);
    Click();
    EXPECT_EQ(m_Screen->GetEntry(), 1);
    EXPECT_TRUE(Layer()->IsActionListEmpty());   // a start code alone places without a pan
    EXPECT_EQ(Pos().x, 312.0f);
    EXPECT_EQ(Pos().y, 234.0f);
}

TEST_F(CGModeViewTest, PressDragAndReleaseOnlyMovesButComingBackToThePressPointAdvances)
{
    SetEntry(0, u"wide");
    SetEntry(1, u"big");
    Enter();
    Press(500, 300);
    Move(400, 350);
    EXPECT_EQ(Cursor(), 5);
    EXPECT_EQ(Pos().x, -100.0f);
    EXPECT_EQ(Pos().y, 0.0f);   // not taller than the screen
    Move(-900, 300);
    EXPECT_EQ(Pos().x, -576.0f);
    Release(-900, 300);
    EXPECT_EQ(m_Screen->GetEntry(), 0);
    EXPECT_EQ(Cursor(), 1);
    Press(100, 100);
    Move(900, 100);   // from -576: clamped at 0
    EXPECT_EQ(Pos().x, 0.0f);
    Move(100, 100);
    Release(100, 100);
    EXPECT_EQ(m_Screen->GetEntry(), 1);
    EXPECT_EQ(Pos().x, 0.0f);   // no codes: at (0, 0) wherever the drag left the last one
}

TEST_F(CGModeViewTest, DragCursorsFollowThePictureSize)
{
    struct Case {
        const char16_t* name;
        std::int32_t cursor;
        float x, y;
    };
    const Case cases[] = {{u"big", 3, -50, -50}, {u"tall", 4, 0, -50}, {u"small", 6, 0, 0}, {u"exact", 6, 0, 0}};
    for (const Case& c : cases) {
        ResetDataTables();
        SetEntry(0, c.name);
        Enter();
        Press(300, 300);
        Move(250, 250);
        EXPECT_EQ(Cursor(), c.cursor) << WideToUtf8(c.name);
        EXPECT_EQ(Pos().x, c.x) << WideToUtf8(c.name);
        EXPECT_EQ(Pos().y, c.y) << WideToUtf8(c.name);
        m_Screen->OnKeyDown(13, 0);
        m_Screen->Update(0, 0);
        EXPECT_EQ(Cursor(), 1);
        EXPECT_EQ(Current(), m_Gallery);
    }
}

TEST_F(CGModeViewTest, DragDuringAPanCancelsItFromWhereItGot)
{
    SetEntry(0, u"wide", u"LT|RT");
    Enter();
    Layer()->UpdateActions(500 + 2319);   // the wait, then half the pan
    const float reached = Pos().x;
    ASSERT_LT(reached, 0.0f);
    ASSERT_GT(reached, -576.0f);
    Press(500, 300);
    Move(490, 300);
    EXPECT_TRUE(Layer()->IsActionListEmpty());
    EXPECT_EQ(Pos().x, reached - 10.0f);
}

TEST_F(CGModeViewTest, KeysAdvanceAtOnceEvenDuringAPan)
{
    SetEntry(0, u"wide", u"LT|RT");
    SetEntry(1, u"small");
    SetEntry(2, u"big");
    SetEntry(3, u"tall");
    SetEntry(4, u"exact");
    SetEntry(5, u"wide");
    Enter();
    EXPECT_EQ(m_Screen->OnKeyDown(65, 0), 0);
    EXPECT_EQ(m_Screen->OnKeyDown(27, 0), 0);
    m_Screen->Update(0, 0);
    EXPECT_EQ(m_Screen->GetEntry(), 0);
    std::int32_t entry = 0;
    for (WPARAM key : {13, 32, 37, 38, 39}) {
        EXPECT_EQ(m_Screen->OnKeyDown(key, 0), 1) << key;
        m_Screen->Update(0, 0);
        EXPECT_EQ(m_Screen->GetEntry(), ++entry) << key;
    }
    EXPECT_EQ(m_Screen->OnKeyDown(40, 0), 1);
    m_Screen->Update(0, 0);
    EXPECT_EQ(Current(), m_Gallery);

    // Consumed even when the caller cannot take input, and then nothing happens.
    Enter();
    m_Screen->FindWidget(u"null_eventcaller")->SetEnabled(false);
    EXPECT_EQ(m_Screen->OnKeyDown(13, 0), 1);
    m_Screen->Update(0, 0);
    EXPECT_EQ(m_Screen->GetEntry(), 0);
}

TEST_F(CGModeViewTest, RightClickReturnsToTheGallery)
{
    SetEntry(0, u"small");
    Enter();
    m_Screen->OnMouseRightDown(nullptr, 0, 0);
    EXPECT_EQ(Current(), m_Screen);   // handled in the next update
    m_Screen->Update(0, 0);
    EXPECT_EQ(Current(), m_Gallery);
}

TEST_F(CGModeViewTest, RowOutsideTheTableShowsNothingAndTheFirstClickReturns)
{
    for (std::int32_t row : {-1, 200, 5000}) {
        TestErrorLogCapture log;
        Enter(row);
        EXPECT_EQ(m_Screen->GetEntry(), -1) << row;
        EXPECT_EQ(Layer()->GetWidth(), 0);
        Click();
        EXPECT_EQ(Current(), m_Gallery) << row;
    }
}

}  // namespace
}  // namespace screens_test
