// [Screens] the music room: the track count, stepping over tracks without a button, play, stop
// and choosing a track, the music record, the playing tip, and going back.
#include "screens/seq_bgm_mode.h"

#include "core/core.h"
#include "core/task_manage.h"
#include "data/data_tables.h"
#include "data/system_config.h"
#include "data/user_data.h"
#include "foundation/wide_string.h"
#include "tests/screens/screen_test_support.h"
#include "tests/support/table_builder.h"
#include "ui/task_ui_base.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace screens_test {
namespace {

LayoutRow MusicWidget(const char16_t* module, const char16_t* name, std::int32_t index, std::int32_t group,
                      float left = 0.0f, float top = 0.0f)
{
    LayoutRow row;
    row.parentName = u"$UI:SeqBGMMode";
    row.moduleName = module;
    row.taskName = name;
    row.taskIndex = index;
    row.groupId = group;
    row.left = left;
    row.top = top;
    row.sound = 3;
    return row;
}

// Select buttons for tracks 1 to 7 and one for the out-of-table index 60.
std::vector<LayoutRow> MusicLayout()
{
    std::vector<LayoutRow> rows = {
        MusicWidget(u"btn", u"btn_back", -1, 0),         MusicWidget(u"radio", u"btn_bgmplay", 0, 2),
        MusicWidget(u"radio", u"btn_bgmstop", 0, 2),    MusicWidget(u"btn", u"btn_bgmprev", -1, 0),
        MusicWidget(u"btn", u"btn_bgmnext", -1, 0),     MusicWidget(u"panel", u"tip_playing", 0, 0),
        MusicWidget(u"radio", u"btn_bgmselect", 60, 1, 500.0f, 500.0f)};
    for (std::int32_t t = 1; t <= 7; ++t)
        rows.push_back(MusicWidget(u"radio", u"btn_bgmselect", t, 1, 200.0f, 40.0f * static_cast<float>(t)));
    for (std::size_t i = 0; i < rows.size(); ++i)
        rows[i].id = static_cast<std::int32_t>(i) + 1;
    return rows;
}

class MusicTarget : public GxSeqBase {
public:
    explicit MusicTarget(GxTaskBase* owner) : GxSeqBase(owner, u"SeqTitle") {}
};

class BGMModeTest : public ::testing::Test {
protected:
    BGMModeTest()
        : m_H({}, {ScreenModule(u"btn", 18), ScreenModule(u"radio", 20), ScreenModule(u"panel", 8)}, MusicLayout())
    {
    }
    void SetUp() override
    {
        ASSERT_TRUE(m_H.m_UI.Ok());
        m_H.MakeSystem();
        // The sound services keep their records in the process core's game data.
        m_PreviousData = GxCore::GetInstance()->m_UserData;
        GxCore::GetInstance()->m_UserData = &m_Data;
        m_Screen = new SeqBGMMode(m_H.m_UI.Root());
        m_Title = new MusicTarget(m_H.m_UI.Root());
        // Tracks 1 to 5, row 6 empty, row 7 set but past the count; track 3 has no button.
        TestTableBuilder table;
        const std::pair<const char16_t*, const char16_t*> rows[] = {
            {u"m1", u"1"}, {u"m2", u"2"}, {u"m3", u"0"}, {u"m4", u"4"}, {u"m5", u"5"}, {u"", u"6"}, {u"m7", u"7"}};
        std::int32_t id = 1;
        for (const auto& [file, button] : rows) {
            table.Row({std::u16string(1, static_cast<char16_t>(u'0' + id)), u"name", file, u"1500", button});
            ++id;
        }
        const std::filesystem::path path = m_H.m_UI.Folder() / "bgm.txt";
        ASSERT_TRUE(table.Write(path));
        ASSERT_TRUE(GetDBBGMMode().LoadTable(path.u16string()));
    }
    void TearDown() override
    {
        GxCore::GetInstance()->m_UserData = m_PreviousData;
        ResetDataTables();
    }
    void Enter()
    {
        GxTaskManage& manage = m_H.m_UI.Manage();
        ASSERT_TRUE(manage.ChangeSequence(m_Title, 0, 0, 0));
        manage.ApplySequenceChanges();
        m_H.EnterOnSlot0(m_Screen);
    }
    GxTaskUIBase* W(const char16_t* name, std::int32_t index = 0) { return m_Screen->FindWidget(name, index); }
    int Send(const char16_t* name, std::int32_t index = 0)
    {
        GxUIEventParam event;
        event.m_Sender = W(name, index);
        event.m_Code = 1;
        return m_Screen->OnUIEvent(W(name, index), &event);
    }
    GxSoundPlayParam& Record() { return m_Data.m_BGMPlayParam; }
    std::u16string Path(const char16_t* file)
    {
        return m_H.m_UI.Core().m_SystemConfig->m_Folders[GxSystemConfig::kFolderBgms] + file;
    }

    ScreenHarness m_H;
    GxUserData m_Data;
    GxUserData* m_PreviousData = nullptr;
    SeqBGMMode* m_Screen = nullptr;
    MusicTarget* m_Title = nullptr;
};

TEST_F(BGMModeTest, EnteringStopsTheMusicCountsTracksAndShowsTheStoppedState)
{
    Record().m_FileName = u"bgms/old";
    W(u"btn_bgmselect", 2)->SetValueBool(true);
    W(u"btn_bgmplay")->SetValueBool(true);
    Enter();
    EXPECT_TRUE(Record().m_FileName.empty());
    EXPECT_EQ(m_Screen->GetTrackCount(), 5);
    EXPECT_EQ(m_Screen->GetCurrentTrack(), 0);
    EXPECT_FALSE(W(u"btn_bgmselect", 2)->GetValueBool());
    EXPECT_TRUE(W(u"btn_bgmstop")->GetValueBool());
    EXPECT_FALSE(W(u"btn_bgmplay")->GetValueBool());
    EXPECT_FALSE(W(u"tip_playing")->IsVisible());
}

TEST_F(BGMModeTest, PrevAndNextWrapAndSkipTracksWithoutAButton)
{
    Enter();
    struct Step {
        const char16_t* button;
        std::int32_t track;
    };
    const Step steps[] = {{u"btn_bgmnext", 1}, {u"btn_bgmnext", 2}, {u"btn_bgmnext", 4}, {u"btn_bgmnext", 5},
                          {u"btn_bgmnext", 1}, {u"btn_bgmprev", 5}, {u"btn_bgmprev", 4}, {u"btn_bgmprev", 2}};
    for (const Step& s : steps) {
        EXPECT_EQ(Send(s.button), 1);
        EXPECT_EQ(m_Screen->GetCurrentTrack(), s.track) << WideToUtf8(s.button);
        EXPECT_TRUE(W(u"btn_bgmselect", s.track)->GetValueBool());
        EXPECT_TRUE(W(u"btn_bgmplay")->GetValueBool());
        EXPECT_EQ(Record().m_FileName, Path(u"m") + static_cast<char16_t>(u'0' + s.track));
    }
    // Played with no fade, endless, from the start, at the row's loop position.
    EXPECT_EQ(Record().m_Loop, 0);
    EXPECT_EQ(Record().m_StartSeekPosTime, 0u);
    EXPECT_EQ(Record().m_LoopPosTime, 1500u);
    EXPECT_EQ(Record().m_FadeInTime, 0);
}

TEST_F(BGMModeTest, PlaySelectAndStop)
{
    Enter();
    EXPECT_EQ(Send(u"btn_bgmplay"), 1);   // no track yet: the first with a button
    EXPECT_EQ(m_Screen->GetCurrentTrack(), 1);
    EXPECT_TRUE(W(u"btn_bgmselect", 1)->GetValueBool());
    EXPECT_EQ(Record().m_FileName, Path(u"m1"));

    EXPECT_EQ(Send(u"btn_bgmselect", 3), 0);   // its own button plays a track the steps skip
    EXPECT_EQ(m_Screen->GetCurrentTrack(), 3);
    EXPECT_EQ(Record().m_FileName, Path(u"m3"));
    EXPECT_TRUE(W(u"btn_bgmplay")->GetValueBool());

    Record().m_Loop = 9;   // a restart would write the record again
    Send(u"btn_bgmselect", 3);
    EXPECT_EQ(Record().m_Loop, 9);

    EXPECT_EQ(Send(u"btn_bgmstop"), 1);
    EXPECT_TRUE(Record().m_FileName.empty());
    W(u"btn_bgmstop")->SetValueBool(true);   // as the radio button's own click leaves it
    Send(u"btn_bgmstop");
    EXPECT_FALSE(W(u"tip_playing")->IsVisible());
    Send(u"btn_bgmplay");
    EXPECT_EQ(Record().m_FileName, Path(u"m3"));
    EXPECT_EQ(Record().m_Loop, 0);

    // An index outside the table changes nothing.
    EXPECT_EQ(Send(u"btn_bgmselect", 60), 0);
    EXPECT_EQ(m_Screen->GetCurrentTrack(), 3);
}

TEST_F(BGMModeTest, PlayingTipSitsBesideTheCurrentSelectButton)
{
    Enter();
    W(u"btn_bgmstop")->SetValueBool(false);
    Send(u"btn_bgmselect", 4);
    ASSERT_TRUE(W(u"tip_playing")->IsVisible());
    EXPECT_EQ(W(u"tip_playing")->GetPos().x, 200.0f - 37.0f);
    EXPECT_EQ(W(u"tip_playing")->GetPos().y, 160.0f);
}

TEST_F(BGMModeTest, NothingMovesWithoutTracksInTheTable)
{
    ResetDataTables();
    Enter();
    EXPECT_EQ(m_Screen->GetTrackCount(), 0);
    Send(u"btn_bgmnext");
    Send(u"btn_bgmprev");
    Send(u"btn_bgmplay");
    EXPECT_EQ(m_Screen->GetCurrentTrack(), 0);
    EXPECT_TRUE(Record().m_FileName.empty());
}

TEST_F(BGMModeTest, OnlyBackPlaysASoundAndReturnsToThePreviousScreen)
{
    Enter();
    Send(u"btn_bgmnext");
    EXPECT_TRUE(m_H.m_Sound.m_Calls.empty());
    EXPECT_EQ(m_Screen->OnMouseRightDown(nullptr, 0, 0), 0);
    m_Screen->Update(0, 0);
    EXPECT_EQ(m_H.m_Sound.m_Calls, (std::vector<std::string>{"sound 0 3"}));
    GxTaskManage& manage = m_H.m_UI.Manage();
    manage.ApplySequenceChanges();
    EXPECT_EQ(manage.GetWorker(0)->m_Current, m_Title);
    EXPECT_EQ(Record().m_FileName, Path(u"m1"));   // leaving keeps the music
}

}  // namespace
}  // namespace screens_test
