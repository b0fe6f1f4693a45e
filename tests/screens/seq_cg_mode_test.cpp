// [Screens] the picture gallery: its index over the gallery rows (counts filled in, totals over
// the first Count names, a missing thumbnail), the pages and plates, the page buttons and the
// wheel, the changes to the viewer and the title, and the percentage text.
#include "screens/seq_cg_mode.h"

#include "core/core.h"
#include "core/scene_generation.h"
#include "core/task_manage.h"
#include "core/task_render_manage.h"
#include "data/data_tables.h"
#include "data/system_config.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "foundation/wide_string.h"
#include "tests/screens/screen_test_support.h"
#include "tests/support/error_log_capture.h"
#include "tests/support/ui/harness/widget_image_set.h"
#include "tests/support/ui/ui_image_set_fixture.h"
#include "ui/task_ui_base.h"
#include "ui/ui_toggle_button.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace screens_test {
namespace {

LayoutRow GalleryWidget(const char16_t* module, const char16_t* name, std::int32_t index = -1, std::int32_t value = 0)
{
    LayoutRow row;
    row.parentName = u"$UI:SeqCGMode";
    row.moduleName = module;
    row.taskName = name;
    row.taskIndex = index;
    row.value = value;
    row.groupId = 1;
    return row;
}

// Plates 0 to 24, page buttons 1 to `pages` (none on unless `onPage`), prev, next and back.
std::vector<LayoutRow> GalleryLayout(std::int32_t pages, std::int32_t onPage = -1)
{
    std::vector<LayoutRow> rows = {GalleryWidget(u"btn", u"btn_back"), GalleryWidget(u"btn", u"btn_prev"),
                                   GalleryWidget(u"btn", u"btn_next")};
    for (std::int32_t i = 0; i < SeqCGMode::kPlateCount; ++i) {
        rows.push_back(GalleryWidget(u"btn", u"btn_cgselect", i));
        rows.back().left = static_cast<float>(100 * (i % 5));
        rows.back().top = static_cast<float>(100 * (i / 5));
    }
    for (std::int32_t p = 1; p <= pages; ++p)
        rows.push_back(GalleryWidget(u"radio", u"btn_pageselect", p, p == onPage ? 1 : 0));
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].id = static_cast<std::int32_t>(i) + 1;
    return rows;
}

// A gallery row with these names (empty ones kept as gaps).
void SetRow(std::int32_t id, std::int32_t group, const std::vector<std::u16string>& names, std::int32_t count,
            const std::u16string& thumbnail = u"th.png")
{
    DBCGModeRow* row = GetDBCGMode().GetRow(id);
    ASSERT_NE(row, nullptr);
    row->m_ID = id;
    row->m_Group = group;
    row->m_Thumbnail = thumbnail;
    for (std::size_t j = 0; j < names.size() && j < 32; ++j)
        row->m_FileName[j] = names[j];
    row->m_Count = count;
}

class CGModeTest : public ::testing::Test {
protected:
    explicit CGModeTest(std::int32_t pages = 3, std::int32_t onPage = -1)
        : m_H({}, {ScreenModule(u"btn", 18), ScreenModule(u"radio", 20)}, GalleryLayout(pages, onPage))
    {
    }
    void SetUp() override
    {
        ASSERT_TRUE(m_H.m_UI.Ok());
        m_H.MakeSystem();
        GxCore& core = m_H.m_UI.Core();
        core.m_UserDataPerman = &m_Perman;
        const std::filesystem::path sets = m_H.m_UI.Folder() / "gis";
        ASSERT_TRUE(WriteTestUIImageSet(sets / "th_cgmode.gis", {{u"th.png", 8, 8}}));
        m_H.m_UI.Config().m_System.m_Folders[GxSystemConfig::kFolderUIGis] = Utf8ToWide(sets.string()) + u"/";
        m_H.m_UI.Config().Refresh();
        m_Screen = new SeqCGMode(m_H.m_UI.Root());
        m_Title = new RecordingSeq(m_H.m_UI.Root(), u"SeqTitle");
        m_Viewer = new RecordingSeq(m_H.m_UI.Root(), u"SeqCGModeView");
    }
    void TearDown() override
    {
        m_H.m_UI.Core().m_UserDataPerman = nullptr;
        ReleaseTestUIImageSets();
        ResetDataTables();
    }
    void Seen(std::initializer_list<const char16_t*> names)
    {
        for (const char16_t* name : names)
            m_Perman.m_ShowedCGFlags[name] = 1;
    }
    // The gallery switched in on slot 0, ready for input.
    void Enter() { m_H.EnterOnSlot0(m_Screen); }
    // The next main-loop pass's change.
    GxSeqBase* Changed() { return m_H.ApplyChanges(); }
    GxTaskUIBase* W(const char16_t* name, std::int32_t index = 0) { return m_Screen->FindWidget(name, index); }
    void Click(const char16_t* name)
    {
        ASSERT_NE(W(name), nullptr);
        W(name)->ReportEvent(1);
        m_Screen->Update(0, 0);
    }
    std::vector<std::int32_t> PlateValues()
    {
        std::vector<std::int32_t> values;
        for (std::int32_t i = 0; i < SeqCGMode::kPlateCount; ++i) {
            if (W(u"btn_cgselect", i)->IsVisible())
                values.push_back(W(u"btn_cgselect", i)->GetValueInt());
        }
        return values;
    }

    ScreenHarness m_H;
    GxUserDataPerman m_Perman;
    SeqCGMode* m_Screen = nullptr;
    RecordingSeq* m_Title = nullptr;
    RecordingSeq* m_Viewer = nullptr;
};

TEST_F(CGModeTest, IndexFillsCountsAndCountsOnlyTheFirstCountNames)
{
    SetRow(0, 1, {u"a0", u"", u"a2"}, 0);                         // Count 0: two names, so a2 is past it
    SetRow(1, 1, {u"b0", u"b1", u"b2"}, 5);                       // a Count above the names stays
    SetRow(2, 2, {u"c0", u"c1", u"c2", u"c3"}, 2);                // c2 and c3 hidden
    SetRow(3, 4, {u"", u"d1"}, 1);                                // not valid: no page, no total
    SetRow(4, 1, std::vector<std::u16string>(32, u"e"), 40);     // a Count past the 32 names
    Seen({u"a2", u"b1", u"c3", u"d1", u"e"});
    Enter();

    EXPECT_EQ(GetDBCGMode().GetRow(0)->m_Count, 2);
    EXPECT_EQ(GetDBCGMode().GetRow(1)->m_Count, 5);
    EXPECT_EQ(m_Screen->GetPageCount(), 2);
    EXPECT_EQ(m_Screen->GetPictureTotal(), 1 + 3 + 2 + 32);
    EXPECT_EQ(m_Screen->GetPicturesSeen(), 0 + 1 + 0 + 32);
    const std::int32_t seen[] = {0, 1, 0, 0, 32};
    for (std::int32_t id = 0; id < 5; ++id)
        EXPECT_EQ(m_Screen->GetSeenCount(id), seen[id]) << id;
    EXPECT_EQ(m_Screen->GetPercentText(), u" 86");
}

TEST_F(CGModeTest, PercentageWithoutPicturesIsZero)
{
    Enter();
    EXPECT_EQ(m_Screen->GetPictureTotal(), 0);
    EXPECT_EQ(m_Screen->GetPercentText(), u"  0");
}

TEST_F(CGModeTest, OverlayIsQueuedUnderTheOtherScreensOverlays)
{
    GxCore& core = m_H.m_UI.Core();
    core.ClearRenderLists();
    m_Screen->Render(0, 0);
    const auto& entries = core.GetRenderList(5)->GetEntries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].m_Task, m_Screen);
    EXPECT_EQ(entries[0].m_Depth, 10000.0f);
    EXPECT_EQ(entries[0].m_Value, 2);
}

TEST_F(CGModeTest, MissingThumbnailIsLoggedPerRowOnEveryEntryAndThePlateStaysUsable)
{
    SetRow(0, 0, {u"a0"}, 1, u"gone.png");
    SetRow(1, 0, {u"b0"}, 1);
    Seen({u"a0"});
    TestErrorLogCapture log;
    for (int visit = 0; visit < 2; ++visit) {
        Enter();
        m_H.m_UI.Manage().ChangeSequence(m_Title, 0, 0, 0);
        Changed();
    }
    std::vector<std::string> thumbnails;
    for (const std::string& line : log.Lines()) {
        if (line.find("サムネイル") != std::string::npos)
            thumbnails.push_back(line);
    }
    const std::string line = "CGモードサムネイル gone.png (ID=0)が見つかりません\n";
    EXPECT_EQ(thumbnails, (std::vector<std::string>{line, line}));
    Enter();
    EXPECT_EQ(PlateValues(), (std::vector<std::int32_t>{0, 1}));
    EXPECT_TRUE(W(u"btn_cgselect", 0)->IsEnabled());
    EXPECT_FALSE(W(u"btn_cgselect", 1)->IsEnabled());
}

TEST_F(CGModeTest, PagesListTheirRowsAscendingAndOnlyTheFirstTwentyFive)
{
    SetRow(0, 0, {u"z"}, 1);
    SetRow(5, 0, {u""}, 3);           // not valid, but Count is set: listed on its page
    SetRow(7, 0, {u"y"}, 0);          // Count filled in
    SetRow(9, -1, {u"n"}, 1);
    for (std::int32_t id = 100; id < 130; ++id)
        SetRow(id, 2, {u"p" + std::u16string(1, static_cast<char16_t>(u'A' + id - 100))}, 1);
    Seen({u"z", u"pB"});
    Enter();

    EXPECT_EQ(m_Screen->GetCurrentPage(), 0);
    EXPECT_EQ(PlateValues(), (std::vector<std::int32_t>{0, 5, 7}));
    EXPECT_TRUE(W(u"btn_cgselect", 0)->IsEnabled());
    EXPECT_FALSE(W(u"btn_cgselect", 2)->IsEnabled());
    EXPECT_EQ(W(u"btn_cgselect", 3)->GetValueInt(), 0);

    Click(u"btn_next");   // page 1: empty
    Click(u"btn_next");
    EXPECT_EQ(m_Screen->GetCurrentPage(), 2);
    EXPECT_TRUE(W(u"btn_pageselect", 2)->GetValueBool());
    EXPECT_FALSE(W(u"btn_pageselect", 1)->GetValueBool());
    std::vector<std::int32_t> first25;
    for (std::int32_t id = 100; id < 125; ++id)
        first25.push_back(id);
    EXPECT_EQ(PlateValues(), first25);
    EXPECT_FALSE(W(u"btn_cgselect", 0)->IsEnabled());
    EXPECT_TRUE(W(u"btn_cgselect", 1)->IsEnabled());
}

TEST_F(CGModeTest, PrevAndNextWrapAndThePageLivesInTheRadioButtons)
{
    SetRow(0, 1, {u"a"}, 1);
    SetRow(1, 3, {u"b"}, 1);
    Enter();
    struct Step {
        const char16_t* button;
        std::int32_t page;
    };
    const Step steps[] = {{u"btn_prev", 3}, {u"btn_next", 1}, {u"btn_prev", 3}, {u"btn_prev", 2}};
    for (const Step& s : steps) {
        Click(s.button);
        EXPECT_EQ(m_Screen->GetCurrentPage(), s.page) << WideToUtf8(s.button);
    }
    // Chosen by its own radio button, then kept over a visit elsewhere.
    static_cast<GxTaskUIRadioButtonIs*>(W(u"btn_pageselect", 3))->Select();
    W(u"btn_pageselect", 3)->ReportEvent(1);
    m_Screen->Update(0, 0);
    EXPECT_EQ(m_Screen->GetCurrentPage(), 3);
    EXPECT_EQ(PlateValues(), (std::vector<std::int32_t>{1}));
    m_H.m_UI.Manage().ChangeSequence(m_Title, 0, 0, 0);
    Changed();
    Enter();
    EXPECT_EQ(m_Screen->GetCurrentPage(), 3);
}

TEST_F(CGModeTest, WithoutPagesPrevGoesToZeroAndNextToOne)
{
    SetRow(0, 0, {u"a"}, 1);
    Enter();
    EXPECT_EQ(m_Screen->GetPageCount(), 0);
    Click(u"btn_prev");
    EXPECT_EQ(m_Screen->GetCurrentPage(), 0);
    Click(u"btn_next");
    EXPECT_EQ(m_Screen->GetCurrentPage(), 1);
    EXPECT_TRUE(PlateValues().empty());
}

TEST_F(CGModeTest, WheelNeedsAFullNotchAndIsNeverConsumed)
{
    SetRow(0, 1, {u"a"}, 1);
    SetRow(1, 2, {u"b"}, 1);
    SetRow(2, 3, {u"c"}, 1);
    Enter();
    struct Case {
        std::int32_t delta;
        std::int32_t page;
    };
    const Case cases[] = {{119, 0}, {-119, 0}, {120, 3}, {240, 2}, {-120, 3}, {-360, 1}};
    for (const Case& c : cases) {
        EXPECT_EQ(m_Screen->OnMouseWheel(nullptr, c.delta, 0), 0);
        m_Screen->Update(0, 0);
        EXPECT_EQ(m_Screen->GetCurrentPage(), c.page) << c.delta;
    }
    // The gate is asked of "btn_prev" for both directions.
    W(u"btn_prev")->SetEnabled(false);
    EXPECT_EQ(m_Screen->OnMouseWheel(nullptr, -120, 0), 0);
    m_Screen->Update(0, 0);
    EXPECT_EQ(m_Screen->GetCurrentPage(), 1);
}

TEST_F(CGModeTest, PlateOpensTheViewerOnItsRow)
{
    SetRow(0, 0, {u"a"}, 1);
    SetRow(42, 0, {u"b"}, 1);
    Seen({u"b"});
    Enter();
    ASSERT_EQ(PlateValues(), (std::vector<std::int32_t>{0, 42}));
    W(u"btn_cgselect", 1)->ReportEvent(1);
    m_Screen->Update(0, 0);
    EXPECT_EQ(Changed(), m_Viewer);
    EXPECT_EQ(m_Viewer->m_Words[0], 42);
    EXPECT_EQ(m_Viewer->m_Words[1], 0);
}

TEST_F(CGModeTest, RightClickGoesBackToTheTitleAndDropsTheQueue)
{
    Enter();
    EXPECT_EQ(m_Screen->OnMouseRightDown(nullptr, 0, 0), 0);
    W(u"btn_next")->ReportEvent(1);
    m_Screen->Update(0, 0);
    EXPECT_EQ(m_Screen->GetQueuedUIEventCount(), 0u);
    EXPECT_EQ(m_Screen->GetCurrentPage(), 0);   // the queued next was dropped
    EXPECT_EQ(Changed(), m_Title);
    EXPECT_EQ(m_Title->m_Words[1], 0);

    // Not while the back button cannot take input.
    Enter();
    W(u"btn_back")->SetEnabled(false);
    m_Screen->OnMouseRightDown(nullptr, 0, 0);
    m_Screen->Update(0, 0);
    EXPECT_EQ(Changed(), m_Screen);
}

TEST_F(CGModeTest, GalleryMusicStartsStaysOrStops)
{
    // The sound services keep their records in the process core's game data.
    struct ProcessData {
        GxUserData data;
        GxUserData* previous = GxCore::GetInstance()->m_UserData;
        ProcessData() { GxCore::GetInstance()->m_UserData = &data; }
        ~ProcessData() { GxCore::GetInstance()->m_UserData = previous; }
    } process;
    GxUserData& data = process.data;
    GxSystemConfig& config = m_H.m_UI.Config().m_System;
    config.m_BgmNameCGMode = u"gallery";
    config.m_BgmLoopCGMode = 700;
    Enter();
    const std::u16string path = config.m_Folders[GxSystemConfig::kFolderBgms] + u"gallery";
    GxSoundPlayParam& record = data.m_BGMPlayParam;
    EXPECT_EQ(record.m_FileName, path);
    EXPECT_EQ(record.m_Loop, 0);
    EXPECT_EQ(record.m_StartSeekPosTime, 0u);
    EXPECT_EQ(record.m_LoopPosTime, 700u);
    EXPECT_EQ(record.m_FadeInTime, 50);

    record.m_Loop = 9;   // the recorded path is left playing: the record is not written again
    m_H.m_UI.Manage().ChangeSequence(m_Title, 0, 0, 0);
    Changed();
    Enter();
    EXPECT_EQ(record.m_Loop, 9);

    config.m_BgmNameCGMode.clear();
    m_H.m_UI.Manage().ChangeSequence(m_Title, 0, 0, 0);
    Changed();
    Enter();
    EXPECT_TRUE(record.m_FileName.empty());
}

}  // namespace
}  // namespace screens_test

namespace screens_test {
namespace {

TEST_F(CGModeTest, TheOverlaysOwnDrawingMovesTheSceneGeneration)
{
    // Both on page 0, the page shown while no page button is on.
    SetRow(0, 0, {u"a", u"b"}, 2);
    SetRow(1, 0, {u"c"}, 1);
    Seen({u"a"});
    Enter();
    ASSERT_EQ(PlateValues(), (std::vector<std::int32_t>{0, 1}));
    m_Screen->Render(0, 0);
    const std::uint64_t settled = GxSceneGeneration::Get();
    m_Screen->Update(0, 0);
    m_Screen->Render(0, 0);
    EXPECT_EQ(GxSceneGeneration::Get(), settled);

    // The glow of a pointed-at unlocked plate pulses: every pass is another picture, until the
    // pointer leaves.
    GxTaskUIBase* plate = W(u"btn_cgselect", 0);
    plate->m_HoverCount = 1;
    for (int i = 0; i < 3; ++i) {
        const std::uint64_t before = GxSceneGeneration::Get();
        m_Screen->Update(0, 0);
        m_Screen->Render(0, 0);
        EXPECT_NE(GxSceneGeneration::Get(), before) << i;
    }
    plate->m_HoverCount = 0;
    m_Screen->Render(0, 0);
    const std::uint64_t left = GxSceneGeneration::Get();
    m_Screen->Update(0, 0);
    m_Screen->Render(0, 0);
    EXPECT_EQ(GxSceneGeneration::Get(), left);
    // A locked plate draws no glow.
    W(u"btn_cgselect", 1)->m_HoverCount = 1;
    m_Screen->Update(0, 0);
    m_Screen->Render(0, 0);
    EXPECT_EQ(GxSceneGeneration::Get(), left);
}

}  // namespace
}  // namespace screens_test
