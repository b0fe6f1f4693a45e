// [Screens] the boot screen's choice between the opening movie and the title, and the title
// screen: what entering shows and plays, the title call by where the title was reached from, the
// music record, the extra button's unlock, what each button leads to, and what leaving gives back.
#include "screens/seq_boot.h"
#include "screens/seq_title.h"

#include "core/core.h"
#include "core/layer_content.h"
#include "core/task_layer.h"
#include "core/task_manage.h"
#include "data/system_config.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "foundation/wide_string.h"
#include "motion/image_set_pool.h"
#include "platform/win32/keyboard.h"
#include "tests/screens/screen_test_support.h"
#include "tests/support/error_log_capture.h"
#include "tests/support/ui/ui_image_set_fixture.h"
#include "ui/task_ui_base.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace screens_test {
namespace boot_title {

constexpr const char16_t* kTitleButtons[] = {
    u"btn_title_start", u"btn_title_load",   u"btn_title_visual", u"btn_title_event",
    u"btn_title_music", u"btn_title_config", u"btn_title_extra",  u"btn_title_exit",
};

std::vector<LayoutRow> TitleLayout()
{
    std::vector<LayoutRow> rows;
    for (const char16_t* name : kTitleButtons) {
        LayoutRow row;
        row.id = static_cast<std::int32_t>(rows.size()) + 1;
        row.parentName = u"$UI:SeqTitle";
        row.moduleName = u"plate";
        row.taskName = name;
        row.create = 1;
        rows.push_back(row);
    }
    return rows;
}

struct KeyUp {
    ~KeyUp() { platform::ClearVirtualKeyState(); }
};

class BootAndTitle : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_H.m_UI.Ok());
        platform::ClearVirtualKeyState();
        m_H.MakeSystem();
        m_Core = &m_H.m_UI.Core();
        m_PreviousData = m_Core->m_UserData;
        m_Core->m_UserData = &m_Data;
        m_Core->m_UserDataPerman = &m_Perman;
        // The game sound services keep their records in the process's core.
        m_PreviousSoundData = GxCore::GetInstance()->m_UserData;
        GxCore::GetInstance()->m_UserData = &m_Data;
        m_Boot = new SeqBoot(m_H.m_UI.Root());
        m_Title = new SeqTitle(m_H.m_UI.Root());
        for (const char16_t* name : {u"SeqOpening", u"SeqAvgMain", u"SeqDebug", u"SeqLoad", u"SeqCGMode",
                                     u"SeqRPMode", u"SeqBGMMode", u"SeqConfig"})
            m_Targets.push_back(new RecordingSeq(m_H.m_UI.Root(), name));
    }
    void TearDown() override
    {
        m_Core->m_UserData = m_PreviousData;
        m_Core->m_UserDataPerman = nullptr;
        GxCore::GetInstance()->m_UserData = m_PreviousSoundData;
        ReleaseTestUIImageSets();
    }
    GxSystemConfig& System() { return m_H.m_UI.Config().m_System; }
    GxTaskManage& Manage() { return m_H.m_UI.Manage(); }
    RecordingSeq* Target(const char16_t* name)
    {
        for (RecordingSeq* target : m_Targets)
            if (target->GetTaskName() == name)
                return target;
        return nullptr;
    }
    // `sequence` in slot 0 with the request words, switched in and ready.
    void Enter(GxSeqBase* sequence, std::int32_t word0 = 0, std::int32_t word1 = 0)
    {
        ASSERT_TRUE(Manage().ChangeSequence(sequence, 0, word0, word1));
        Manage().ApplySequenceChanges();
        Manage().SetWorkerReady(0);
        ASSERT_EQ(Manage().GetWorker(0)->m_Current, sequence);
    }
    GxSeqBase* Current() { return Manage().GetWorker(0)->m_Current; }
    // A press of the title's button, handled by the title's update, then the change applied.
    void Press(const char16_t* name)
    {
        GxTaskUIBase* button = m_Title->FindWidget(name);
        ASSERT_NE(button, nullptr) << WideToUtf8(name);
        button->ReportEvent(1);
        m_Title->Update(0, 0);
        Manage().ApplySequenceChanges();
    }

    ScreenHarness m_H{{}, {ScreenModule(u"plate", 8)}, TitleLayout()};
    GxCore* m_Core = nullptr;
    GxUserData m_Data;
    GxUserData* m_PreviousData = nullptr;
    GxUserDataPerman m_Perman;
    GxUserData* m_PreviousSoundData = nullptr;
    SeqBoot* m_Boot = nullptr;
    SeqTitle* m_Title = nullptr;
    std::vector<RecordingSeq*> m_Targets;
    KeyUp m_KeyUp;
};

TEST_F(BootAndTitle, BootChoosesTheOpeningOnlyWithAMovieNamedAndControlUp)
{
    struct Case {
        const char16_t* movie;
        bool control;
        const char16_t* expected;
    };
    for (const Case& c : {Case{u"op.mpg", false, u"SeqOpening"}, Case{u"op.mpg", true, u"SeqTitle"},
                          Case{u"", false, u"SeqTitle"}, Case{u"", true, u"SeqTitle"}}) {
        System().m_MovNameOpening = c.movie;
        platform::SetVirtualKeyDown(VK_CONTROL, c.control);
        Enter(m_Boot);
        m_Boot->Update(0, 0);
        Manage().ApplySequenceChanges();
        ASSERT_NE(Current(), nullptr);
        EXPECT_EQ(Current()->GetTaskName(), c.expected) << WideToUtf8(c.movie) << " control " << c.control;
        platform::ClearVirtualKeyState();
    }
}

TEST_F(BootAndTitle, BootResetsTheGameAndRetriesAMissingTargetEveryFrame)
{
    m_Data.m_BGMPlayParam.m_FileName = u"bgms/keep.ogg";
    System().m_MovNameOpening = u"op.mpg";
    RecordingSeq* opening = Target(u"SeqOpening");
    m_Targets.erase(std::find(m_Targets.begin(), m_Targets.end(), opening));
    delete opening;
    Enter(m_Boot);
    // Sounds keep playing through the reset: the music record stays.
    EXPECT_EQ(m_Data.m_BGMPlayParam.m_FileName, u"bgms/keep.ogg");

    TestErrorLogCapture log;
    for (int frame = 0; frame < 2; ++frame) {
        m_Boot->Update(0, 0);
        Manage().ApplySequenceChanges();
    }
    EXPECT_EQ(Current(), m_Boot);
    const std::string line = "遷移先のシーケンスが見つかりません(SeqOpening)\n";
    EXPECT_EQ(std::count(log.Lines().begin(), log.Lines().end(), line), 2);
}

TEST_F(BootAndTitle, TitleCallPlaysFromTheBootScreensAndFromAGameButNotOnAReturn)
{
    struct Case {
        const char16_t* from;
        std::int32_t word1;
        bool call;
    };
    for (const Case& c : {Case{u"SeqBoot", 0, true}, Case{u"SeqOpening", 0, true}, Case{u"SeqAvgMain", 6, true},
                          Case{u"SeqConfig", 5, false}, Case{u"SeqLoad", 4, false}, Case{u"SeqCGMode", 0, false}}) {
        GxSeqBase* from = c.from == std::u16string(u"SeqBoot") ? static_cast<GxSeqBase*>(m_Boot) : Target(c.from);
        Enter(from);
        m_H.m_Sound.m_Calls.clear();
        Enter(m_Title, 0, c.word1);
        const bool called = std::count(m_H.m_Sound.m_Calls.begin(), m_H.m_Sound.m_Calls.end(), "voice 1") == 1;
        EXPECT_EQ(called, c.call) << WideToUtf8(c.from);
    }
}

TEST_F(BootAndTitle, TitleMusicIsRecordedOnceAndAnEmptyNameStopsIt)
{
    System().m_BgmNameTitle = u"title.ogg";
    System().m_BgmLoopTitle = 1234;
    Enter(m_Boot);
    Enter(m_Title);
    const GxSoundPlayParam& record = m_Data.m_BGMPlayParam;
    EXPECT_EQ(record.m_FileName, System().m_Folders[GxSystemConfig::kFolderBgms] + u"title.ogg");
    EXPECT_EQ(record.m_Loop, 0);
    EXPECT_EQ(record.m_StartSeekPosTime, 0u);
    EXPECT_EQ(record.m_LoopPosTime, 1234u);
    EXPECT_EQ(record.m_FadeInTime, 50);

    // Coming back with the same music recorded leaves the record as it is.
    Press(u"btn_title_config");
    m_Data.m_BGMPlayParam.m_FadeInTime = 7;
    Enter(m_Title, 0, 5);
    EXPECT_EQ(m_Data.m_BGMPlayParam.m_FadeInTime, 7);

    System().m_BgmNameTitle.clear();
    Enter(Target(u"SeqConfig"));
    Enter(m_Title, 0, 5);
    EXPECT_TRUE(m_Data.m_BGMPlayParam.m_FileName.empty());
}

TEST_F(BootAndTitle, ExtraButtonFollowsTheUnlockBitOnEachEntry)
{
    Enter(m_Title);
    EXPECT_FALSE(m_Title->FindWidget(u"btn_title_extra")->IsEnabled());
    m_Perman.m_ExtraOption = 0x400;
    Enter(Target(u"SeqConfig"));
    Enter(m_Title);
    EXPECT_TRUE(m_Title->FindWidget(u"btn_title_extra")->IsEnabled());
    m_Perman.m_ExtraOption = 0x3FF;
    Enter(Target(u"SeqConfig"));
    Enter(m_Title);
    EXPECT_FALSE(m_Title->FindWidget(u"btn_title_extra")->IsEnabled());
}

TEST_F(BootAndTitle, ButtonsLeadToTheirScreensWithTheirWords)
{
    struct Case {
        const char16_t* button;
        const char16_t* screen;
        std::int32_t word1;
    };
    for (const Case& c : {Case{u"btn_title_load", u"SeqLoad", 0}, Case{u"btn_title_visual", u"SeqCGMode", 0},
                          Case{u"btn_title_event", u"SeqRPMode", 0}, Case{u"btn_title_music", u"SeqBGMMode", 0},
                          Case{u"btn_title_config", u"SeqConfig", 0}}) {
        Enter(m_Title);
        Press(c.button);
        ASSERT_EQ(Current(), Target(c.screen)) << WideToUtf8(c.button);
        EXPECT_EQ(Target(c.screen)->m_Words[0], 0);
        EXPECT_EQ(Target(c.screen)->m_Words[1], c.word1);
    }
}

TEST_F(BootAndTitle, StartGoesToTheDebugScreenOnlyWithTheDebugSwitchAndShift)
{
    struct Case {
        bool debug;
        bool shift;
        const char16_t* screen;
    };
    for (const Case& c : {Case{true, true, u"SeqDebug"}, Case{false, true, u"SeqAvgMain"},
                          Case{true, false, u"SeqAvgMain"}, Case{false, false, u"SeqAvgMain"}}) {
        System().m_DebugModeFlag = c.debug;
        m_H.m_UI.Config().Refresh();
        platform::SetVirtualKeyDown(VK_SHIFT, c.shift);
        Enter(m_Title);
        TestErrorLogCapture log;
        Press(u"btn_title_start");
        platform::ClearVirtualKeyState();
        ASSERT_EQ(Current(), Target(c.screen)) << c.debug << c.shift;
        if (Current() == Target(u"SeqAvgMain")) {
            EXPECT_EQ(Target(u"SeqAvgMain")->m_Words[1], 1);
            // No program here: the missing start label is logged and the game is entered anyway.
            const std::string line = "スクリプトにラベル MAIN が存在しないため実行できません\n";
            EXPECT_EQ(std::count(log.Lines().begin(), log.Lines().end(), line), 1);
        }
    }
}

TEST_F(BootAndTitle, ExitAsksTheShutdownQuestion)
{
    Enter(m_Title);
    Press(u"btn_title_exit");
    EXPECT_TRUE(m_H.m_System->IsShutdownDialogActive());
    EXPECT_EQ(Current(), m_Title);
}

TEST_F(BootAndTitle, EnteringShowsTheBackgroundAndTakesTheImageSetThatLeavingGivesBack)
{
    const std::filesystem::path sets = m_H.m_UI.Folder() / "uigis";
    const std::u16string pooled = AddTestUIImageSet(sets, "ui_title", {});
    ASSERT_FALSE(pooled.empty());
    ASSERT_TRUE(GetImageSetPool().ReleaseImageSet(pooled));
    const std::size_t before = GetImageSetPool().GetCount();
    System().m_Folders[GxSystemConfig::kFolderUIGis] = sets.u16string() + u"/";
    m_H.m_UI.Config().Refresh();

    Enter(m_Title);
    EXPECT_EQ(GetImageSetPool().GetCount(), before + 1);
    GxTaskLayer* background = m_Title->GetBackgroundLayer();
    EXPECT_NE(background->GetCurrentContent().m_ContentFileName.find(u"bg_title.png"), std::u16string::npos);

    Press(u"btn_title_load");
    EXPECT_EQ(GetImageSetPool().GetCount(), before);
    EXPECT_TRUE(background->GetContent(0).m_ContentFileName.empty());
    EXPECT_TRUE(background->GetContent(1).m_ContentFileName.empty());
}

}  // namespace boot_title
}  // namespace screens_test
