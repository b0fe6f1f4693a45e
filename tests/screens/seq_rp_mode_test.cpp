// [Screens] the replay gallery: its index over the replay rows (unlocked by passed labels,
// pages over every row), the pages and plates, the replay-mode flag, starting a replay and
// going back to the title.
#include "screens/seq_rp_mode.h"

#include "core/core.h"
#include "core/task_manage.h"
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

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace screens_test {
namespace {

LayoutRow ReplayWidget(const char16_t* module, const char16_t* name, std::int32_t index = -1)
{
    LayoutRow row;
    row.parentName = u"$UI:SeqRPMode";
    row.moduleName = module;
    row.taskName = name;
    row.taskIndex = index;
    row.groupId = 1;
    return row;
}

std::vector<LayoutRow> ReplayLayout()
{
    std::vector<LayoutRow> rows = {ReplayWidget(u"btn", u"btn_back"), ReplayWidget(u"btn", u"btn_prev"),
                                   ReplayWidget(u"btn", u"btn_next")};
    for (std::int32_t i = 0; i < SeqRPMode::kPlateCount; ++i)
        rows.push_back(ReplayWidget(u"btn", u"btn_rpselect", i));
    for (std::int32_t p = 1; p <= 3; ++p)
        rows.push_back(ReplayWidget(u"radio", u"btn_pageselect", p));
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].id = static_cast<std::int32_t>(i) + 1;
    return rows;
}

void SetReplayRow(std::int32_t id, std::int32_t group, const char16_t* label, const char16_t* thumbnail = u"th.png")
{
    DBRPModeRow* row = GetDBRPMode().GetRow(id);
    ASSERT_NE(row, nullptr);
    row->m_ID = id;
    row->m_Group = group;
    row->m_Label = label;
    row->m_Thumbnail = thumbnail;
}

class RPModeTest : public ::testing::Test {
protected:
    RPModeTest() : m_H({}, {ScreenModule(u"btn", 18), ScreenModule(u"radio", 20)}, ReplayLayout()) {}
    void SetUp() override
    {
        ASSERT_TRUE(m_H.m_UI.Ok());
        m_H.MakeSystem();
        m_H.m_UI.Core().m_UserDataPerman = &m_Perman;
        const std::filesystem::path sets = m_H.m_UI.Folder() / "gis";
        ASSERT_TRUE(WriteTestUIImageSet(sets / "th_rpmode.gis", {{u"th.png", 8, 8}}));
        m_H.m_UI.Config().m_System.m_Folders[GxSystemConfig::kFolderUIGis] = Utf8ToWide(sets.string()) + u"/";
        m_H.m_UI.Config().Refresh();
        m_Screen = new SeqRPMode(m_H.m_UI.Root());
        m_Title = new RecordingSeq(m_H.m_UI.Root(), u"SeqTitle");
        m_Play = new RecordingSeq(m_H.m_UI.Root(), u"SeqAvgMain");
    }
    void TearDown() override
    {
        m_H.m_UI.Core().m_UserDataPerman = nullptr;
        ReleaseTestUIImageSets();
        ResetDataTables();
    }
    void Enter() { m_H.EnterOnSlot0(m_Screen); }
    GxSeqBase* Changed() { return m_H.ApplyChanges(); }
    GxTaskUIBase* W(const char16_t* name, std::int32_t index = 0) { return m_Screen->FindWidget(name, index); }
    void Click(const char16_t* name, std::int32_t index = 0)
    {
        ASSERT_NE(W(name, index), nullptr);
        W(name, index)->ReportEvent(1);
        m_Screen->Update(0, 0);
    }
    std::vector<std::int32_t> PlateValues()
    {
        std::vector<std::int32_t> values;
        for (std::int32_t i = 0; i < SeqRPMode::kPlateCount; ++i) {
            if (W(u"btn_rpselect", i)->IsVisible())
                values.push_back(W(u"btn_rpselect", i)->GetValueInt());
        }
        return values;
    }
    bool ReplayMode() { return m_H.m_UI.Core().m_UserData->m_IsReplayMode; }

    ScreenHarness m_H;
    GxUserDataPerman m_Perman;
    SeqRPMode* m_Screen = nullptr;
    RecordingSeq* m_Title = nullptr;
    RecordingSeq* m_Play = nullptr;
};

TEST_F(RPModeTest, IndexCountsValidRowsAndUnlocksByExactLabel)
{
    SetReplayRow(1, 0, u"RP_A");
    SetReplayRow(2, 0, u"RP_B");
    SetReplayRow(3, 1, u"");           // listed on page 1, locked, not in the total
    SetReplayRow(150, 3, u"", u"");   // pages go over every row
    SetReplayRow(4, 1, u"RP_C", u"gone.png");
    m_Perman.m_PassedReplayLabels = {u"RP_A", u"rp_b", u"RP_C"};
    TestErrorLogCapture log;
    Enter();

    EXPECT_TRUE(ReplayMode());
    EXPECT_EQ(m_Screen->GetPageCount(), 3);
    EXPECT_EQ(m_Screen->GetSceneTotal(), 3);
    EXPECT_EQ(m_Screen->GetScenesUnlocked(), 2);
    EXPECT_EQ(m_Screen->GetPercentText(), u" 66");
    EXPECT_TRUE(m_Screen->IsUnlocked(1));
    EXPECT_FALSE(m_Screen->IsUnlocked(2));
    EXPECT_TRUE(m_Screen->IsUnlocked(4));
    std::vector<std::string> thumbnails;
    for (const std::string& line : log.Lines()) {
        if (line.find("サムネイル") != std::string::npos)
            thumbnails.push_back(line);
    }
    EXPECT_EQ(thumbnails, (std::vector<std::string>{"リプレイモードサムネイル gone.png (ID=4)が見つかりません\n"}));

    // Page 0 at the first visit: every Group 0 row, absent ones too, the first 25.
    EXPECT_EQ(m_Screen->GetCurrentPage(), 0);
    std::vector<std::int32_t> page0 = {0, 1, 2};
    for (std::int32_t id = 5; page0.size() < 25; ++id)
        page0.push_back(id);
    EXPECT_EQ(PlateValues(), page0);
    EXPECT_FALSE(W(u"btn_rpselect", 0)->IsEnabled());
    EXPECT_TRUE(W(u"btn_rpselect", 1)->IsEnabled());

    Click(u"btn_next");
    EXPECT_EQ(m_Screen->GetCurrentPage(), 1);
    EXPECT_EQ(PlateValues(), (std::vector<std::int32_t>{3, 4}));
    EXPECT_FALSE(W(u"btn_rpselect", 0)->IsEnabled());
    EXPECT_TRUE(W(u"btn_rpselect", 1)->IsEnabled());
    Click(u"btn_prev");
    EXPECT_EQ(m_Screen->GetCurrentPage(), 3);
    EXPECT_EQ(PlateValues(), (std::vector<std::int32_t>{150}));
}

TEST_F(RPModeTest, NoScenesReadsZero)
{
    Enter();
    EXPECT_EQ(m_Screen->GetSceneTotal(), 0);
    EXPECT_EQ(m_Screen->GetPercentText(), u"  0");
}

TEST_F(RPModeTest, PlateStartsTheReplayInReplayModeAndTheGalleryKeepsItsPage)
{
    SetReplayRow(0, 2, u"RP_NOWHERE");
    m_Perman.m_PassedReplayLabels = {u"RP_NOWHERE"};
    Enter();
    Click(u"btn_next");
    Click(u"btn_next");
    ASSERT_EQ(m_Screen->GetCurrentPage(), 2);
    TestErrorLogCapture log;
    Click(u"btn_rpselect", 0);
    // The test program has no such label: logged, and the play screen is still asked for.
    EXPECT_NE(std::find(log.Lines().begin(), log.Lines().end(),
                        "スクリプトにラベル RP_NOWHERE が存在しないため実行できません\n"),
              log.Lines().end());
    EXPECT_EQ(Changed(), m_Play);
    EXPECT_EQ(m_Play->m_Words[0], 1);
    EXPECT_EQ(m_Play->m_Words[1], 0);
    EXPECT_TRUE(ReplayMode());

    // The play screen's end of the replay comes back to the page chosen before.
    m_H.m_UI.Manage().ChangeSequenceByCName(u"SeqRPMode", 0, 0, 0);
    EXPECT_EQ(Changed(), m_Screen);
    EXPECT_EQ(m_Screen->GetCurrentPage(), 2);
    EXPECT_EQ(PlateValues(), (std::vector<std::int32_t>{0}));
    EXPECT_TRUE(ReplayMode());
}

TEST_F(RPModeTest, BackClearsReplayModeAndGoesToTheTitle)
{
    Enter();
    ASSERT_TRUE(ReplayMode());
    EXPECT_EQ(m_Screen->OnMouseRightDown(nullptr, 0, 0), 0);
    W(u"btn_next")->ReportEvent(1);
    m_Screen->Update(0, 0);
    EXPECT_FALSE(ReplayMode());
    EXPECT_EQ(m_Screen->GetCurrentPage(), 0);   // the queued next was dropped
    EXPECT_EQ(Changed(), m_Title);
    EXPECT_EQ(m_Title->m_Words[1], 0);
}

TEST_F(RPModeTest, WheelTurnsPagesByWholeNotches)
{
    SetReplayRow(0, 2, u"A");
    Enter();
    const std::pair<std::int32_t, std::int32_t> steps[] = {{-100, 0}, {-120, 1}, {120, 2}, {120, 1}};
    for (const auto& [delta, page] : steps) {
        EXPECT_EQ(m_Screen->OnMouseWheel(nullptr, delta, 0), 0);
        m_Screen->Update(0, 0);
        EXPECT_EQ(m_Screen->GetCurrentPage(), page) << delta;
    }
}

}  // namespace
}  // namespace screens_test
