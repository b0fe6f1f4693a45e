// [Screens] the quick-load screen: the wait of 31 updates, the load of the quick save on the
// 32nd, the resume of the sequence the game data names, and what happens without a file, with a
// damaged one or with no sequence named.
#include "screens/seq_quick_load.h"

#include "core/core.h"
#include "core/task_manage.h"
#include "data/user_data.h"
#include "tests/screens/screen_test_support.h"
#include "tests/support/error_log_capture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

namespace screens_test {
namespace quick_load {

class SeqResumed : public GxSeqBase {
public:
    explicit SeqResumed(GxTaskBase* owner) : GxSeqBase(owner, u"SeqAvgMain") {}
    void OnSequenceEnter(std::int32_t worker) override
    {
        GxSeqBase::OnSequenceEnter(worker);
        m_Words[0] = m_Manage->GetWorker(worker)->m_CurrentParam[0];
        m_Words[1] = m_Manage->GetWorker(worker)->m_CurrentParam[1];
    }
    std::int32_t m_Words[2] = {-1, -1};
};

class QuickLoad : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_H.m_UI.Ok());
        m_H.MakeSystem();
        m_Core = &m_H.m_UI.Core();
        m_PreviousData = m_Core->m_UserData;
        m_Core->m_UserData = &m_Data;
        m_Data.m_SystemConfig = &m_H.m_UI.Config().m_System;
        std::filesystem::create_directories(m_H.m_UI.Folder() / "save");
        m_Core->m_SaveFolder = (m_H.m_UI.Folder() / "save").u16string() + u"/";
        m_Screen = new SeqQuickLoad(m_H.m_UI.Root());
        m_Resumed = new SeqResumed(m_H.m_UI.Root());
        ASSERT_TRUE(Manage().ChangeSequence(m_Screen, 0, 0, 0));
        Manage().ApplySequenceChanges();
        Manage().SetWorkerReady(0);
    }
    void TearDown() override
    {
        m_Core->m_UserData = m_PreviousData;
        m_Core->m_SaveFolder.clear();
    }
    GxTaskManage& Manage() { return m_H.m_UI.Manage(); }
    std::u16string QuickSavePath() { return m_Core->m_SaveFolder + u"gamedata_quick.gd"; }
    // Updates the screen `count` times, applying changes after each.
    void Updates(int count)
    {
        for (int i = 0; i < count; ++i) {
            m_Screen->Update(0, 0);
            Manage().ApplySequenceChanges();
        }
    }

    ScreenHarness m_H;
    GxCore* m_Core = nullptr;
    GxUserData m_Data;
    GxUserData* m_PreviousData = nullptr;
    SeqQuickLoad* m_Screen = nullptr;
    SeqResumed* m_Resumed = nullptr;
};

TEST_F(QuickLoad, TheThirtySecondUpdateLoadsTheQuickSaveAndResumesItsSequence)
{
    m_Data.SetRestoreSequence(u"SeqAvgMain");
    m_Data.m_GameDataTitle = u"saved";
    ASSERT_TRUE(SaveGameData(&m_Data, QuickSavePath(), true));
    m_Data.m_GameDataTitle = u"live";

    Updates(31);
    EXPECT_EQ(m_Data.m_GameDataTitle, u"live");
    EXPECT_EQ(Manage().GetWorker(0)->m_Current, m_Screen);
    Updates(1);
    EXPECT_EQ(m_Data.m_GameDataTitle, u"saved");
    EXPECT_EQ(Manage().GetWorker(0)->m_Current, m_Resumed);
    EXPECT_EQ(m_Resumed->m_Words[0], 0);
    EXPECT_EQ(m_Resumed->m_Words[1], 2);
}

TEST_F(QuickLoad, WithoutAQuickSaveTheCurrentGamesSequenceIsResumed)
{
    m_Data.SetRestoreSequence(u"SeqAvgMain");
    m_Data.m_GameDataTitle = u"live";
    Updates(32);
    EXPECT_EQ(m_Data.m_GameDataTitle, u"live");
    EXPECT_EQ(Manage().GetWorker(0)->m_Current, m_Resumed);
}

TEST_F(QuickLoad, ADamagedQuickSaveIsLoggedByNameAndTheGameStillResumes)
{
    {
        std::ofstream file(std::filesystem::path(QuickSavePath()), std::ios::binary);
        file << "BGD\x01garbage";
    }
    m_Data.SetRestoreSequence(u"SeqAvgMain");
    TestErrorLogCapture log;
    Updates(32);
    const auto named = std::count_if(log.Lines().begin(), log.Lines().end(), [](const std::string& line) {
        return line.rfind("LoadGameData", 0) == 0 && line.find("gamedata_quick.gd") != std::string::npos;
    });
    EXPECT_EQ(named, 1) << ::testing::PrintToString(log.Lines());
}

TEST_F(QuickLoad, AnEmptySequenceNameIsLoggedOnEveryUpdateWhileTheScreenStays)
{
    m_Data.SetRestoreSequence(u"");
    TestErrorLogCapture log;
    Updates(34);
    const std::string line = "名前のないタスクは遷移先のシーケンスに指定できません\n";
    EXPECT_EQ(std::count(log.Lines().begin(), log.Lines().end(), line), 3);
    EXPECT_EQ(Manage().GetWorker(0)->m_Current, m_Screen);
}

}  // namespace quick_load
}  // namespace screens_test
