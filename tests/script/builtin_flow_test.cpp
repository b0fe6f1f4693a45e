// [Moa builtins] the flow builtins in running scripts: jumps, calls with their argument,
// returns and exits with the result value, and the labels that cannot be found.
#include "builtin_fixture.h"

#include <gtest/gtest.h>

using namespace moa_test;
using namespace script_test;

namespace {

class MoaFlowBuiltins : public MoaBuiltinTest {};

TEST_F(MoaFlowBuiltins, JumpsCallsAndReturns)
{
    struct Case {
        const char* body;
        const char* printed;
        const char* result;   // the worker's result value at the end
    };
    const Case cases[] = {
        {"GOIF(0, \"nowhere\", \"\")\nPrint(\"next\")", "next\n", "Null"},
        {"GOIF(1, \"@t\", \"@f\")\n*@f\nPrint(\"f\")\n*@t\nPrint(\"t\")", "t\n", "Null"},
        {"GOIF(0, \"@t\", \"@f\")\nEXIT(1)\n*@t\nPrint(\"t\")\n*@f\nPrint(\"f\")", "f\n", "Null"},
        {"GO(\"@end\")\nPrint(\"skipped\")\n*@end\nPrint(\"end\")", "end\n", "Null"},
        {"GOSUB(\"@sub\", 5)\nPrint(RETVAL())\nEXIT(9)\n*@sub\nPrint($_)\nRETURN($_ * 2)", "5\n10\n", "Int:9"},
        {"GOSUB(\"@sub\")\nEXIT()\n*@sub\nPrint(IsArray($_) : \"/\" : ToStr($_) : \"/\")\nRETURN(1)", "0//\n",
         "Null"},
        {"RETURNIF(0, 5)\nPrint(\"on\")\nGOSUB(\"@r\")\nPrint(RETVAL())\nEXIT()\n*@r\nRETURNIF(1, 5)\nPrint(\"no\")",
         "on\n5\n", "Null"},
        {"EXIT(3)\nPrint(\"never\")", "", "Int:3"},
        {"GOSUB(\"@four\")\nGOSUB(\"@none\")\nEXIT(RETVAL())\n*@four\nRETURN(4)\n*@none\nRETURN()", "", "Null"},
        {"GOSUB(\"@four\")\nEXIT(RETVAL())\n*@four\nRETURN(4, 5)", "", "Int:4"},
        {"GOSUBIF(1, \"@s\", \"\", 8)\nGOSUBIF(0, \"@s\", \"\", 9)\nGOSUBIF(0, \"\", \"@s\", 7)\nEXIT(0)\n"
         "*@s\nPrint($_)\nRETURN()",
         "8\n7\n", "Int:0"},
        // The main frame's own RETURN ends the script normally.
        {"RETURN(6)\nPrint(\"never\")", "", "Int:6"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        ASSERT_TRUE(Run(c.body));
        EXPECT_FALSE(m_Worker.IsRunning());
        EXPECT_FALSE(m_Moa.IsErrorStop());
        EXPECT_EQ(U8(DebugLog()), c.printed);
        EXPECT_EQ(Show(m_Worker.GetResult()), c.result);
        EXPECT_TRUE(Lines(GxDebugListenerBase::kLevelError).empty());
        std::filesystem::remove(m_Dir.Join("debug.log"));
    }
}

TEST_F(MoaFlowBuiltins, ALabelThatCannotBeFoundStopsTheScriptNamingTheBuiltinAsCalled)
{
    struct Case {
        const char* call;
        const char* builtin;
        const char* label;
    };
    const Case cases[] = {
        {"GOIF(1, \"nowhere\", \"\")", "goif", "nowhere"},
        {"GO(\"\")", "go", ""},
        {"GO(\"@nowhere\")", "go", "@nowhere"},
        {"GOSUB(\"\")", "gosub", ""},
        {"GOSUB(\"other\", 1)", "gosub", "other"},
        {"GOSUBIF(0, \"MAIN\", \"x\", 1)", "gosubif", "x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call);
        ASSERT_TRUE(Run(std::string("$a = 1\n") + c.call + "\nPrint(\"never\")"));
        const std::string at = "err:[Script=\"main\"/line=3] ";
        EXPECT_EQ(Lines(GxDebugListenerBase::kLevelError),
                  (std::vector<std::string>{
                      at + c.builtin + ":飛び先のラベルが見つかりません[" + c.label + "]\n",
                      at + "関数実行時にエラーが発生したので停止します[builtin:" + c.builtin + "]\n"}));
        EXPECT_TRUE(m_Moa.IsErrorStop());
        EXPECT_FALSE(m_Worker.Step(&m_Binder));
        EXPECT_EQ(U8(DebugLog()), "");
    }
}

}  // namespace
