// [Adventure builtins] preparing a choice: labels that must exist (all stored, each missing one
// reported with its item number), jumps and calls, visibility and enabling of given items only,
// the cancel item and the choice's key; arguments past the tenth are ignored.
#include "avg_builtin_fixture.h"

#include <gtest/gtest.h>

using namespace avg_builtin_test;

namespace {

class AvgChoiceBuiltins : public AvgBuiltinTest {
protected:
    GxSelectMenuItem& Item(std::size_t i) { return m_UserData.m_SelectMenuItemList.at(i); }
};

TEST_F(AvgChoiceBuiltins, LabelsAreStoredEvenWhenOneIsMissing)
{
    Item(2).m_Label = u"old";
    Item(2).m_UseGosub = true;
    Item(5).m_Label = u"old";
    Item(5).m_BeforeSelected = true;
    ASSERT_TRUE(Run("BUILTIN SEL.GO\n"
                    "SEL.GO(\"A\", \"\", \"missing\", \"@b\", \"nowhere\")\n"
                    "Print(\"never\")\n"
                    "*A\n"
                    "*@b"));
    const std::string at = "err:[Script=\"main\"/line=3] ";
    EXPECT_EQ(Errors(), (std::vector<std::string>{
                            at + "sel.go:選択肢[3]のラベル[missing]は存在しません\n",
                            at + "sel.go:選択肢[5]のラベル[nowhere]は存在しません\n",
                            at + "関数実行時にエラーが発生したので停止します[builtin:sel.go]\n"}));
    const char16_t* labels[] = {u"", u"A", u"", u"missing", u"@b", u"nowhere", u"", u"", u"", u"", u""};
    for (std::size_t i = 0; i < std::size(labels); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Item(i).m_Label, labels[i]);
        EXPECT_FALSE(Item(i).m_UseGosub);
    }
    EXPECT_TRUE(Item(5).m_BeforeSelected);
}

TEST_F(AvgChoiceBuiltins, CallsAreMarkedOnlyWhereALabelIsGiven)
{
    Item(2).m_UseGosub = true;
    ASSERT_TRUE(Run("BUILTIN SEL.GOSUB\nSEL.GOSUB(\"A\", \"\", \"MAIN\")\nEXIT()\n*A"));
    EXPECT_TRUE(Errors().empty());
    EXPECT_TRUE(Item(1).m_UseGosub);
    EXPECT_FALSE(Item(2).m_UseGosub);
    EXPECT_TRUE(Item(3).m_UseGosub);
    EXPECT_EQ(Item(3).m_Label, u"MAIN");
    EXPECT_FALSE(Item(4).m_UseGosub);

    // "SEL.GO" on the same items turns the calls back into jumps.
    EXPECT_EQ(Call(u"SEL.GO", {Str(u"A")}), "Null");
    EXPECT_FALSE(Item(1).m_UseGosub);
    EXPECT_FALSE(Item(3).m_UseGosub);
    EXPECT_EQ(Item(3).m_Label, u"");
}

TEST_F(AvgChoiceBuiltins, FlagsChangeOnlyForGivenItems)
{
    Item(5).m_Visible = false;
    Item(5).m_Enable = false;
    const GxMoaVariable args = Arr({Int(1), Null(), Int(0), Str(u""), Int(0x100000000), Str(u"0")});
    EXPECT_EQ(Call(u"SEL.VISIBLE", args), "Null");
    EXPECT_EQ(Call(u"SEL.ENABLE", args), "Null");
    const bool expected[] = {true, true, true, false, true, true, false, true, true, true, true};
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(Item(i).m_Visible, expected[i]);
        EXPECT_EQ(Item(i).m_Enable, expected[i]);
    }

    // Eleven values: the eleventh addresses no item.
    GxMoaVariable eleven;
    eleven.MakeArray(11);
    for (std::int32_t i = 0; i < 11; ++i)
        eleven.SetElement(i, Int(0));
    EXPECT_EQ(Call(u"SEL.VISIBLE", eleven), "Null");
    EXPECT_EQ(m_UserData.m_SelectMenuItemList.size(), 11u);
    EXPECT_TRUE(Item(0).m_Visible);
    for (std::size_t i = 1; i <= 10; ++i)
        EXPECT_FALSE(Item(i).m_Visible) << i;
}

TEST_F(AvgChoiceBuiltins, CancelItemAndKey)
{
    struct Case {
        GxMoaVariable args;
        std::int32_t cancel;
    };
    const Case cases[] = {
        {Arr({Int(4)}), 4}, {Arr({}), 0}, {Arr({Int(0x100000003)}), 3}, {Arr({Str(u"")}), 0}, {Arr({Int(-1)}), -1},
    };
    for (const Case& c : cases) {
        m_UserData.m_CancelSelectNum = 9;
        EXPECT_EQ(Call(u"SEL.CANCEL", c.args), "Null");
        EXPECT_EQ(m_UserData.m_CancelSelectNum, c.cancel);
    }
    EXPECT_EQ(Call(u"SEL.HASH", {Str(u"chapter1:choice")}), "Null");
    EXPECT_EQ(m_UserData.m_SelectHash, u"chapter1:choice");
    EXPECT_EQ(Call(u"SEL.HASH", {}), "Null");
    EXPECT_EQ(m_UserData.m_SelectHash, u"");
}

}  // namespace
