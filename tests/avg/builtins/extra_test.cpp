// [Adventure builtins] replay labels and event pictures unlocked in the persistent data, the end
// of a replay, notices posted to the system sequence, the jump to the title screen and the extra
// option bits (bit numbers the 32-bit set does not have change nothing).
#include "avg_builtin_fixture.h"

#include "data/data_tables.h"
#include "data/db_cgmode.h"
#include "data/db_rpmode.h"

#include <gtest/gtest.h>

using namespace avg_builtin_test;

namespace {

class AvgExtraBuiltins : public AvgBuiltinTest {
protected:
    void SetUp() override
    {
        AvgBuiltinTest::SetUp();
        ResetDataTables();
    }
    void TearDown() override
    {
        ResetDataTables();
        AvgBuiltinTest::TearDown();
    }

    // The script stops at line 3 on the builtin's message.
    void ExpectStopsWith(const std::string& call, const std::string& builtin, const std::string& message)
    {
        SCOPED_TRACE(call);
        m_Log.Clear();
        ASSERT_TRUE(Run("BUILTIN " + builtin + "\n" + call + "\nPrint(\"never\")"));
        const std::string at = "err:[Script=\"main\"/line=3] ";
        std::string lower = builtin;
        for (char& c : lower)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(Errors(), (std::vector<std::string>{
                                at + lower + ":" + message + "\n",
                                at + "関数実行時にエラーが発生したので停止します[builtin:" + lower + "]\n"}));
    }
};

TEST_F(AvgExtraBuiltins, ReplayLabelsMustMatchTheTableExactly)
{
    GetDBRPMode().GetRow(4)->m_Label = u"ep1";
    GetDBRPMode().GetRow(9)->m_Label = u"ep2";

    ExpectStopsWith("RP.SET(\"EP1\")", "RP.SET", "ラベル名[EP1]はリプレイモード定義と一致しません");
    ExpectStopsWith("RP.SET(\"\")", "RP.SET", "ラベル名を指定してください");
    ExpectStopsWith("RP.SET()", "RP.SET", "ラベル名を指定してください");
    ExpectStopsWith("RP.UNSET(\"\")", "RP.UNSET", "ラベル名を指定してください");
    EXPECT_TRUE(m_Perman.m_PassedReplayLabels.empty());

    m_Log.Clear();
    EXPECT_EQ(Call(u"RP.SET", {Str(u"ep1")}), "Null");
    EXPECT_EQ(m_Perman.m_PassedReplayLabels, (std::set<std::u16string>{u"ep1"}));
    // Unsetting needs no table row and a label never set is no error.
    m_Perman.m_PassedReplayLabels.insert(u"gone");
    EXPECT_EQ(Call(u"RP.UNSET", {Str(u"gone")}), "Null");
    EXPECT_EQ(Call(u"RP.UNSET", {Str(u"never")}), "Null");
    EXPECT_EQ(m_Perman.m_PassedReplayLabels, (std::set<std::u16string>{u"ep1"}));

    EXPECT_EQ(Call(u"RP.SETALL", {}), "Null");
    EXPECT_EQ(m_Perman.m_PassedReplayLabels, (std::set<std::u16string>{u"ep1", u"ep2"}));
    EXPECT_EQ(Call(u"RP.UNSETALL", {}), "Null");
    EXPECT_TRUE(m_Perman.m_PassedReplayLabels.empty());
    EXPECT_TRUE(Errors().empty());
}

TEST_F(AvgExtraBuiltins, PicturesAreFlaggedAloneOrWithTheirRow)
{
    DBCGModeRow* row = GetDBCGMode().GetRow(2);
    row->m_FileName[0] = u"ev01";
    row->m_FileName[1] = u"ev01b";
    row->m_FileName[3] = u"ev01c";
    row->m_Count = 3;
    DBCGModeRow* uncounted = GetDBCGMode().GetRow(5);
    uncounted->m_FileName[0] = u"ev09";

    ExpectStopsWith("CG.SET(\"\")", "CG.SET", "イベント画像名を指定してください");
    ExpectStopsWith("CG.SETGROUP()", "CG.SETGROUP", "イベント画像名を指定してください");
    ExpectStopsWith("CG.SETGROUP(\"ev77\")", "CG.SETGROUP", "定義されていない画像名です");
    EXPECT_TRUE(m_Perman.m_ShowedCGFlags.empty());

    m_Log.Clear();
    // Any name at all, listed or not.
    EXPECT_EQ(Call(u"CG.SET", {Str(u"unlisted")}), "Null");
    EXPECT_EQ(m_Perman.m_ShowedCGFlags.count(u"unlisted"), 1u);
    m_Perman.m_ShowedCGFlags.clear();
    // The row is found by the title whatever the case of its letters, folder and extension aside.
    EXPECT_EQ(Call(u"CG.SETGROUP", {Str(u"cg/ev/EV01.png")}), "Null");
    EXPECT_EQ(m_Perman.m_ShowedCGFlags,
              (std::map<std::u16string, std::int32_t>{{u"ev01", 1}, {u"ev01b", 1}, {u"ev01c", 1}}));
    // A listed row that counts no pictures flags nothing and is no error.
    EXPECT_EQ(Call(u"CG.SETGROUP", {Str(u"ev09")}), "Null");
    EXPECT_EQ(m_Perman.m_ShowedCGFlags.count(u"ev09"), 0u);

    EXPECT_EQ(Call(u"CG.UNSETALL", {}), "Null");
    EXPECT_TRUE(m_Perman.m_ShowedCGFlags.empty());
    EXPECT_EQ(Call(u"CG.SETALL", {}), "Null");
    EXPECT_EQ(m_Perman.m_ShowedCGFlags.size(), 4u);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(AvgExtraBuiltins, NoticesAreOpaqueAndReachTheSystemSequence)
{
    EXPECT_EQ(Call(u"NOTICE.SYS", {Str(u"保存しました"), Str(u"icon_unknown"), Int(0x100000002), Int(0x00123456)}),
              "Null");
    const GxNoticeRequest& sys = m_System->GetLastSystemNotice();
    EXPECT_EQ(sys.m_Text, u"保存しました");
    EXPECT_EQ(sys.m_IconName, u"icon_unknown");   // passed on even when no icon has that name
    EXPECT_EQ(sys.m_Alignment, 2);
    EXPECT_EQ(sys.m_Colour, 0xFF123456u);

    EXPECT_EQ(Call(u"NOTICE.USER", {Str(u"u")}), "Null");
    const GxNoticeRequest& user = m_System->GetLastUserNotice();
    EXPECT_EQ(user.m_Text, u"u");
    EXPECT_EQ(user.m_IconName, u"");
    EXPECT_EQ(user.m_Alignment, 1);
    EXPECT_EQ(user.m_Colour, 0xFFFFFFFFu);
    // An empty text counts as not given.
    EXPECT_EQ(Call(u"NOTICE.USER", {Str(u"v"), Str(u""), Str(u""), Str(u"")}), "Null");
    EXPECT_EQ(m_System->GetLastUserNotice().m_Alignment, 1);
    EXPECT_EQ(m_System->GetLastUserNotice().m_Colour, 0xFFFFFFFFu);

    EXPECT_EQ(m_System->GetSystemNoticeCount(), 1);
    EXPECT_EQ(m_System->GetUserNoticeCount(), 2);
}

TEST_F(AvgExtraBuiltins, JumpToTitleAsksForTheTitleOnSlotZeroOrLogsItsAbsence)
{
    EXPECT_EQ(Call(u"JumpToTitle", {}), "Null");
    EXPECT_NE(ErrorLog().find(u"遷移先のシーケンスが見つかりません(SeqTitle)"), std::u16string::npos);
    EXPECT_FALSE(m_Manage->IsAnyChangePending());

    EnterSequence(u"SeqAvgMain", 0, 0, 0);
    GxSeqBase* title = new GxSeqBase(m_Root, u"SeqTitle");
    EXPECT_EQ(Call(u"JumpToTitle", {}), "Null");
    const GxSeqWorker* slot = m_Manage->GetWorker(0);
    ASSERT_TRUE(slot->m_ChangePending);
    EXPECT_EQ(slot->m_Pending, title);
    EXPECT_EQ(slot->m_PendingParam[0], 0);
    EXPECT_EQ(slot->m_PendingParam[1], 6);
    EXPECT_FALSE(m_Manage->IsChangePending(1));
}

TEST_F(AvgExtraBuiltins, ExtraOptionBitsOnlyBetweenZeroAndThirtyOne)
{
    struct Case {
        const char16_t* name;
        GxMoaVariable args;
        const char* result;
        std::uint32_t after;
    };
    const Case cases[] = {
        {u"GetExtraOption", Arr({Int(5)}), "Int:0", 0},
        {u"SetExtraOption", Arr({Int(5), Int(5)}), "Null", 0x20},
        {u"GetExtraOption", Arr({Int(5)}), "Int:1", 0x20},
        {u"SetExtraOption", Arr({Int(31), Int(-1)}), "Null", 0x80000020},
        {u"GetExtraOption", Arr({Int(31)}), "Int:1", 0x80000020},
        {u"SetExtraOption", Arr({Int(5), Int(0)}), "Null", 0x80000000},
        {u"GetExtraOption", Arr({}), "Int:0", 0x80000000},   // a missing bit number is bit 0
        // Bit numbers the set does not have: nothing changes and nothing is set.
        {u"SetExtraOption", Arr({Int(32), Int(1)}), "Null", 0x80000000},
        {u"SetExtraOption", Arr({Int(-1), Int(1)}), "Null", 0x80000000},
        {u"SetExtraOption", Arr({Int(0x7FFFFFFF), Int(1)}), "Null", 0x80000000},
        {u"GetExtraOption", Arr({Int(63)}), "Int:0", 0x80000000},
        {u"GetExtraOption", Arr({Int(-33)}), "Int:0", 0x80000000},
        // Read in 32 bits: 2^32 + 1 is bit 1.
        {u"SetExtraOption", Arr({Int(0x100000001), Int(1)}), "Null", 0x80000002},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(script_test::U8(c.name) + " " + moa_test::Show(c.args));
        EXPECT_EQ(Call(c.name, c.args), c.result);
        EXPECT_EQ(m_Perman.m_ExtraOption, c.after);
    }
    EXPECT_EQ(Lines(GxDebugListenerBase::kLevelWarning).size(), 5u);
    EXPECT_TRUE(Errors().empty());
}

TEST_F(AvgExtraBuiltins, ReplayEndStopsTheWorkerOnlyDuringAReplay)
{
    const std::string script = "BUILTIN RP.END, SetExtraOption\nRP.END()\nSetExtraOption(3, 1)";
    ASSERT_TRUE(Run(script));
    EXPECT_EQ(m_Perman.m_ExtraOption, 8u);   // the script went on

    m_Perman.m_ExtraOption = 0;
    m_UserData.m_IsReplayMode = true;
    ASSERT_TRUE(Run(script));
    EXPECT_EQ(m_Perman.m_ExtraOption, 0u);
    EXPECT_FALSE(m_Worker.IsRunning());
    EXPECT_TRUE(m_Worker.GetExecStack().empty());
    EXPECT_TRUE(Errors().empty());
    EXPECT_FALSE(m_Moa.IsErrorStop());
}

}  // namespace
