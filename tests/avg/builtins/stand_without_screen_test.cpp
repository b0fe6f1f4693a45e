// [Adventure builtins] the standing-character, text and wait builtins with no play screen: the
// character builtins report their layer missing, clearing every character is no failure, the
// waits still register what needs no layer, and a text block is still read, flagged and logged.
#include "avg_builtin_fixture.h"

#include <gtest/gtest.h>

using namespace avg_builtin_test;

namespace {

using AvgStandWithoutScreen = AvgBuiltinTest;

TEST_F(AvgStandWithoutScreen, CharacterBuiltinsReportTheMissingLayer)
{
    const char16_t* longMessage[] = {u"SP.LCG", u"SP.LNC", u"SP.WA", u"SP.SHAKE", u"SP.SHAKE_END",
                                     u"SP.SUB", u"SP.ACT_MOVE", u"SP.ACT_FINISH"};
    const char16_t* shortMessage[] = {u"SP.COLOR", u"SP.ALPHA", u"SP.BLEND", u"STAND"};
    std::vector<std::string> expected;
    for (const char16_t* builtin : longMessage) {
        EXPECT_EQ(Call(builtin, {Str(u"hero")}), "false");
        expected.push_back("err:[Script=\"\"/line=0] " + WideToUtf8(WideToLowerAscii(builtin)) +
                           ":レイヤーが見つかりません。命令が間違っているかキャラ名[hero]は未定義です\n");
    }
    for (const char16_t* builtin : shortMessage) {
        EXPECT_EQ(Call(builtin, {Str(u"hero")}), "false");
        expected.push_back("err:[Script=\"\"/line=0] " + WideToUtf8(WideToLowerAscii(builtin)) +
                           ":レイヤーが見つかりません。キャラ名[hero]は未定義です\n");
    }
    EXPECT_EQ(Errors(), expected);

    m_Log.Clear();
    EXPECT_EQ(Call(u"SP.CLEARALL", {}), "Null");
    EXPECT_TRUE(Errors().empty());
}

TEST_F(AvgStandWithoutScreen, WaitsAndTextNeedNoScreen)
{
    EXPECT_EQ(Call(u"WA.CLICK", {Int(0), Int(8)}), "Null");
    EXPECT_EQ(m_UserData.m_Hold_WaitClick, 11);
    EXPECT_EQ(Call(u"WA.TIME", {Int(-5), Int(1)}), "Null");
    EXPECT_EQ(m_UserData.m_Hold_WaitTime, 15);
    EXPECT_EQ(m_UserData.m_Hold_WaitTime_TimeLeft, -5);
    EXPECT_TRUE(m_UserData.m_HideWindowByCommandFlag);
    m_UserData.m_HideWindowByCommandFlag = false;
    EXPECT_EQ(Call(u"WA.LAYER", {Int(1)}), "Null");   // no visual tree: nothing acts
    EXPECT_EQ(m_UserData.m_Hold_EndOfLayerActionAll, 0);
    EXPECT_FALSE(m_UserData.m_HideWindowByCommandFlag);

    ASSERT_TRUE(Run("BUILTIN text, endtext\nTEXT(\"\")\nfirst\nsecond\nendtext()"));
    EXPECT_TRUE(Errors().empty());
    ASSERT_EQ(m_UserData.m_MessageLog.size(), 1u);
    EXPECT_EQ(m_UserData.m_MessageLog.back().m_Name, u"");
    EXPECT_EQ(m_UserData.m_MessageLog.back().m_Message, u"first%rsecond");
    EXPECT_TRUE(m_Perman.IsMessageRead(u"main", 3));
}

}  // namespace
