// [Moa game host] The game worker through the process entry's host over the core's data objects:
// the configuration's separators and name-image folder (a temporary folder), the saved game's
// name mode and message log, the persistent read flags, and the play screen's message and
// speaker operations, which the host calls for each plain text line.
#include "app/game_worker_host.h"
#include "avg/seq_avg_main.h"
#include "core/core.h"
#include "core/seq_base.h"
#include "data/user_data.h"
#include "data/user_data_perman.h"
#include "tests/support/core_config_fixture.h"
#include "core/task_manage.h"
#include "script/function_binder.h"
#include "script/moa_ex.h"
#include "script/worker_ex.h"
#include "tests/script/moa_log_fixture.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>

using namespace moa_test;

namespace {

std::string U8(const std::u16string& text) { return WideToUtf8(text); }

// The play screen, recording the calls that the host makes of it before it shows them.
class RecordingPlayScreen : public SeqAvgMain {
public:
    explicit RecordingPlayScreen(GxTaskBase* owner) : SeqAvgMain(owner) {}
    void SetMessageText(const std::u16string& text, bool read, bool ignoreKinsoku, std::int32_t word) override
    {
        m_Calls.push_back(U8(FormatWide(u"SetMessageText(%s,%d,%d,%d)", text.c_str(), read ? 1 : 0,
                                        ignoreKinsoku ? 1 : 0, word)));
        SeqAvgMain::SetMessageText(text, read, ignoreKinsoku, word);
    }
    void SetSpeakerName(const std::u16string& name, std::int32_t mode) override
    {
        m_Calls.push_back(U8(FormatWide(u"SetSpeakerName(%s,%d)", name.c_str(), mode)));
        SeqAvgMain::SetSpeakerName(name, mode);
    }
    void ClearSpeakerName() override
    {
        m_Calls.push_back("ClearSpeakerName()");
        SeqAvgMain::ClearSpeakerName();
    }
    std::vector<std::string> m_Calls;
};

class MoaGameHost : public MoaLogTest {
protected:
    void SetUp() override
    {
        MoaLogTest::SetUp();
        m_Core.m_UserData = &m_UserData;
        m_Core.m_UserDataPerman = &m_Perman;
        m_Manage = std::make_unique<GxTaskManage>(&m_Core);
        m_Core.m_TaskManage = m_Manage.get();
        m_Root = new GxTaskBase(m_Manage.get());
        m_Config.m_System.m_Folders[GxSystemConfig::kFolderCGName] = Utf8ToWide(m_Dir.Join("cg/name").string()) + u"/";
        m_Config.Refresh();
        std::filesystem::create_directories(m_Dir.Join("cg/name"));
        std::ofstream(m_Dir.Join("cg/name/花子.png")) << "png";
        m_PreviousHost = SetGameWorkerHost(&m_Host);
    }
    void TearDown() override
    {
        SetGameWorkerHost(m_PreviousHost);
        m_Manage.reset();
        MoaLogTest::TearDown();
    }

    // Script "t" ("*MAIN" on line 0), loaded and started at MAIN.
    void Start(const std::string& body)
    {
        m_Assembler.AddScript(u"t", "*MAIN\n" + body + "\n");
        ASSERT_TRUE(LoadProgram(m_Assembler, m_Moa));
        m_Worker.RebuildScriptEntities();
        ASSERT_TRUE(m_Worker.ResetAndJump(u"MAIN", nullptr));
    }
    // The play screen as the running slot-0 sequence.
    RecordingPlayScreen* StartPlayScreen()
    {
        auto* screen = new RecordingPlayScreen(m_Root);
        EXPECT_TRUE(m_Manage->ChangeSequence(screen, 0, 0, 0));
        m_Manage->ApplySequenceChanges();
        m_Manage->SetWorkerReady(0);
        return screen;
    }
    std::vector<std::string> LogEntries() const
    {
        std::vector<std::string> entries;
        for (const GxMessageLogElement& entry : m_UserData.m_MessageLog) {
            entries.push_back(U8(entry.m_Name) + "|" + U8(entry.m_Message));
        }
        return entries;
    }

    GxUserData m_UserData;
    GxUserDataPerman m_Perman;
    GxCore m_Core;
    TestCoreConfig m_Config{m_Core};   // after the core: taken out before it
    std::unique_ptr<GxTaskManage> m_Manage;
    GxTaskBase* m_Root = nullptr;
    GxGameWorkerHost m_Host{&m_Core};
    GxMoaEx m_Moa;
    GxMoaWorkerEx m_Worker{&m_Moa};
    GxMoaFunctionBinder m_Binder;
    MoaAssembler m_Assembler;
    GxGameWorkerHostBase* m_PreviousHost = nullptr;
};

TEST_F(MoaGameHost, MessagesReachThePlayScreenTheLogAndTheReadFlags)
{
    RecordingPlayScreen* screen = StartPlayScreen();
    Start("花子「こんにちは」\n太郎「やあ」\nただの地の文 100%\n花子「こんにちは」");
    // The default mode 2 names only a speaker whose image exists; the fourth line repeats the
    // first one's text on another line.
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(m_Worker.Step(&m_Binder));
    }
    EXPECT_EQ(screen->m_Calls, (std::vector<std::string>{
                                   "SetSpeakerName(花子,2)", "SetMessageText(「こんにちは」,0,0,0)",
                                   "SetSpeakerName(,2)", "SetMessageText(太郎「やあ」,0,0,0)",
                                   "ClearSpeakerName()", "SetMessageText(ただの地の文 100%,0,0,0)",
                                   "SetSpeakerName(花子,2)", "SetMessageText(「こんにちは」,0,0,0)",
                               }));
    EXPECT_EQ(LogEntries(), (std::vector<std::string>{"花子|「こんにちは」", "|太郎「やあ」", "|ただの地の文 100%",
                                                      "花子|「こんにちは」"}));
    // Line keys 2 to 5: bits 2 to 5 of the script's first word.
    EXPECT_EQ(m_Perman.m_ReadedMessageFlags, (std::map<std::u16string, GxFlagBits>{{u"t", {0x3Cu}}}));

    // Again from the start: read, and logged again. Mode 1 names 太郎 without an image.
    m_UserData.m_NameIdentifyMode = 1;
    m_UserData.m_IgnoreKinsoku = true;
    screen->m_Calls.clear();
    ASSERT_TRUE(m_Worker.ResetAndJump(u"MAIN", nullptr));
    EXPECT_TRUE(m_Worker.Step(&m_Binder));
    EXPECT_TRUE(m_Worker.Step(&m_Binder));
    EXPECT_EQ(screen->m_Calls, (std::vector<std::string>{
                                   "SetSpeakerName(花子,1)", "SetMessageText(「こんにちは」,1,1,0)",
                                   "SetSpeakerName(太郎,1)", "SetMessageText(「やあ」,1,1,0)",
                               }));
    EXPECT_EQ(m_UserData.m_MessageLog.size(), 6u);
    EXPECT_TRUE(m_UserData.m_MessageLog.back().m_IgnoreKinsoku);
    EXPECT_EQ(m_Moa.GetErrorCount(), 0);
}

TEST_F(MoaGameHost, WithoutThePlayScreenNothingCrashes)
{
    // A task of that name that is not the play screen counts as none, as does a core without a
    // task manager.
    new GxSeqBase(m_Root, u"SeqAvgMain");
    Start("花子「こんにちは」\n$a = 1");
    EXPECT_FALSE(m_Host.HasPlayScreen());
    EXPECT_TRUE(m_Worker.Step(&m_Binder));
    m_Core.m_TaskManage = nullptr;
    ASSERT_TRUE(m_Worker.ResetAndJump(u"MAIN", nullptr));
    EXPECT_TRUE(m_Worker.Step(&m_Binder));
    EXPECT_TRUE(m_Worker.Step(&m_Binder));
    EXPECT_EQ(LogEntries(), (std::vector<std::string>{"花子|「こんにちは」", "花子|「こんにちは」"}));
    EXPECT_TRUE(m_Perman.IsMessageRead(u"t", 2));
    EXPECT_EQ(DebugLog(), u"");
}

TEST_F(MoaGameHost, TheDataObjectsKeepTheNewestLogEntriesAndCaseSensitiveFlags)
{
    for (int i = 0; i < 105; ++i) {
        m_UserData.AddMessageLog(u"n", FormatWide(u"m%d", i), false, false);
    }
    ASSERT_EQ(m_UserData.m_MessageLog.size(), 100u);
    EXPECT_EQ(m_UserData.m_MessageLog.front().m_Message, u"m5");
    EXPECT_EQ(m_UserData.m_MessageLog.back().m_Message, u"m104");
    EXPECT_TRUE(m_UserData.m_MessageLog.back().m_ShowNameByText);

    m_Perman.SetPermanentFlag(u"a", 0);
    EXPECT_TRUE(m_Perman.IsMessageRead(u"a", 0));
    EXPECT_FALSE(m_Perman.IsMessageRead(u"A", 0));
    EXPECT_FALSE(m_Perman.IsMessageRead(u"a", 1));
    EXPECT_FALSE(m_Perman.IsMessageRead(u"b", 0));

    EXPECT_EQ(GxSystemConfig().m_SpeakerDelimiters, u"\u300C\uFF08");
    EXPECT_EQ(GxSystemConfig().m_Folders[GxSystemConfig::kFolderCGName], u"cg/name/");
    EXPECT_EQ(GxCoreConfig().m_NameImageFolder, u"cg/name/");
    EXPECT_EQ(GxUserData().m_NameIdentifyMode, 2);
    EXPECT_FALSE(GxUserData().m_IgnoreKinsoku);

    InstallGameWorkerHost();
    EXPECT_NE(dynamic_cast<GxGameWorkerHost*>(GetGameWorkerHost()), nullptr);
}

}  // namespace
