// [Moa statements] Step over assembled scripts: labels, text lines, expression statements,
// IF / ELSE IF / ELSE chains, declarations, the statements it refuses, damaged positions, and
// a whole program run to its end with test jump builtins.
#include "script/moa_names.h"
#include "worker_fixture.h"

#include <gtest/gtest.h>

using namespace moa_test;
using namespace script_test;

namespace {

class MoaStep : public MoaWorkerTest {
protected:
    // Script "t" (its first line "*MAIN"), loaded and started at MAIN.
    void Start(const std::string& body)
    {
        m_Assembler.AddScript(u"t", "*MAIN\n" + body + "\n");
        ASSERT_TRUE(Load());
        ASSERT_TRUE(m_Worker.ResetAndJump(u"MAIN", nullptr));
    }
    // Steps until Step returns false; the number of true results (at most 1000).
    int StepAll()
    {
        int steps = 0;
        while (steps < 1000 && m_Worker.Step(&m_Binder)) {
            ++steps;
        }
        return steps;
    }
    GxMoaScript& Script() { return *m_Moa.FindScript(u"t"); }
    std::vector<GxMoaToken>& Tokens(std::int32_t line) { return Script().m_Lines[static_cast<std::size_t>(line)].m_Tokens; }
    std::string Local(const char16_t* name)
    {
        if (m_Worker.GetExecStack().empty()) {
            return "stopped";
        }
        const GxMoaVariableSet* found = m_Worker.GetExecStack()[0].m_Variables.Find(name);
        return found != nullptr ? Show(found->m_Value) : "absent";
    }
};

TEST_F(MoaStep, LabelAndExpressionInOneCallAndTextLinesPrintedTogether)
{
    Start("$x = 1\nfirst 100% %s line\nsecond line\n$y = 2\n$z = 3");
    // The label line's token and the next line's tokens on one line.
    for (GxMoaToken& token : Tokens(1)) {
        Tokens(0).push_back(token);
    }
    Tokens(1).clear();
    EXPECT_TRUE(m_Worker.Step(&m_Binder));
    EXPECT_EQ(Local(u"x"), "Int:1");
    EXPECT_EQ(Local(u"y"), "absent");
    EXPECT_TRUE(m_Worker.Step(&m_Binder));
    EXPECT_EQ(Local(u"y"), "Int:2");
    EXPECT_EQ(U8(DebugLog()), "first 100% %s line\nsecond line\n");
    EXPECT_TRUE(m_Worker.Step(&m_Binder));
    // The end of the script: both stacks emptied.
    m_Worker.GetValueStack().push_back(Int(1));
    EXPECT_FALSE(m_Worker.Step(&m_Binder));
    EXPECT_FALSE(m_Worker.IsRunning());
    EXPECT_TRUE(m_Worker.GetValueStack().empty());
    EXPECT_FALSE(m_Worker.Step(&m_Binder));
    EXPECT_EQ(m_Moa.GetErrorCount(), 0);
}

TEST_F(MoaStep, IfElseChains)
{
    struct Case {
        const char* setup;
        const char* taken;
    };
    const Case cases[] = {
        {"$c = 1", "Int:1"},   {"$c = 2", "Int:2"},   {"$c = 3", "Int:3"},     {"$c = NULL", "Int:3"},
        {"$c = 0.5", "Int:3"}, {"$c = '2'", "Int:2"}, {"$c = 'abc'", "Int:3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setup);
        m_Moa.Clear();
        m_Assembler = MoaAssembler();
        Start(std::string(c.setup) +
              "\nIF ($c == 1) {\n$r = 1\n} ELSE IF ($c == 2) {\n$r = 2\n} ELSE {\n$r = 3\n}\n$done = $r\n$end = 1");
        // setup, IF, the block's statement, its "}" passing what follows, $done, $end.
        int steps = 0;
        while (steps < 100 && Local(u"end") == "absent" && m_Worker.Step(&m_Binder)) {
            ++steps;
        }
        EXPECT_EQ(steps, 6);
        EXPECT_EQ(Local(u"done"), c.taken);
    }
    // IF false without ELSE lands after its "}" and returns true; truth of Null and 0.
    for (const char* condition : {"0", "NULL", "'x'"}) {
        m_Moa.Clear();
        m_Assembler = MoaAssembler();
        Start(std::string("IF (") + condition + ") {\n$a = 1\n}\n$b = 2");
        EXPECT_TRUE(m_Worker.Step(&m_Binder));
        EXPECT_EQ(m_Worker.GetLine(nullptr), 4) << condition;
        EXPECT_EQ(StepAll(), 1);
        EXPECT_EQ(m_Moa.GetErrorCount(), 0);
    }
}

TEST_F(MoaStep, ATakenIfPassesItsElseAtTheClosingBrace)
{
    Start("IF (1) {\n$a = 1\n} ELSE {\n$a = 2\n}\n$b = $a\nEXIT_HERE()");
    m_Assembler.AddBuiltin(u"EXIT_HERE");
    EXPECT_TRUE(m_Worker.Step(&m_Binder));   // IF
    EXPECT_TRUE(m_Worker.Step(&m_Binder));   // $a = 1
    EXPECT_TRUE(m_Worker.Step(&m_Binder));   // "}" passes the ELSE
    EXPECT_EQ(m_Worker.GetLine(nullptr), 6);
    EXPECT_TRUE(m_Worker.Step(&m_Binder));
    EXPECT_EQ(Local(u"b"), "Int:1");
}

TEST_F(MoaStep, RefusedStatements)
{
    struct Case {
        const char* body;
        const char* error;
        bool result;   // of the step that meets it
    };
    const Case cases[] = {
        {"IF (fail()) {\n}", "err:[Script=\"t\"/line=2] 条件式が評価できません\n", false},
        {"ELSE {\n}", "err:[Script=\"t\"/line=3] 不正なELSE文です\n", true},
        {"WHILE (1) {\n}", "err:[Script=\"t\"/line=3] 未実装の制御構造です[", true},
        {"; 1", "err:[Script=\"t\"/line=2] 処理できないトークンです[", false},
        {"$a = fail()", "err:[Script=\"t\"/line=2] 関数実行時にエラーが発生したので停止します[builtin:fail]\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        m_Moa.Clear();
        m_Moa.ResetRunState();
        m_Assembler = MoaAssembler();
        m_Assembler.AddBuiltin(u"fail");
        Start(c.body);
        EXPECT_EQ(m_Worker.Step(&m_Binder), c.result);
        EXPECT_TRUE(m_Moa.IsErrorStop());
        const auto errors = Lines(GxDebugListenerBase::kLevelError);
        ASSERT_FALSE(errors.empty());
        EXPECT_EQ(errors.back().substr(0, std::string(c.error).size()), c.error);
        // Stopped until the flag is reset.
        const std::int32_t line = m_Worker.GetLine(nullptr);
        EXPECT_FALSE(m_Worker.Step(&m_Binder));
        EXPECT_EQ(m_Worker.GetLine(nullptr), line);
    }
    EXPECT_EQ(Lines(GxDebugListenerBase::kLevelError).back(),
              "err:[Script=\"t\"/line=2] 関数実行時にエラーが発生したので停止します[builtin:fail]\n");
}

TEST_F(MoaStep, WhileStopsUntilTheRunStateIsReset)
{
    Start("WHILE (1) {\n$a = 1\n}");
    EXPECT_TRUE(m_Worker.Step(&m_Binder));
    EXPECT_TRUE(m_Moa.IsErrorStop());
    EXPECT_FALSE(m_Worker.Step(&m_Binder));
    m_Moa.ResetRunState();
    EXPECT_TRUE(m_Worker.Step(&m_Binder));
    EXPECT_EQ(Local(u"a"), "Int:1");
}

TEST_F(MoaStep, BlockEndOfAnotherKindStaysPut)
{
    Start("IF (1) {\n}\n$a = 1");
    Tokens(2)[0].m_Int = 5;
    EXPECT_TRUE(m_Worker.Step(&m_Binder));
    EXPECT_TRUE(m_Worker.Step(&m_Binder));
    EXPECT_TRUE(m_Moa.IsErrorStop());
    EXPECT_EQ(m_Worker.GetLine(nullptr), 2);
    const auto errors = Lines(GxDebugListenerBase::kLevelError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("err:[Script=\"t\"/line=3] 未実装のブロック終端です[", 0), 0u) << errors[0];
}

TEST_F(MoaStep, UnknownWordsDeclarationsAndBreakpoints)
{
    Start("bg.show(1)\n$a = 1\nGLOBAL INGAME $g = 2\n$b = $g\n$c = 1");
    EXPECT_TRUE(m_Worker.Step(&m_Binder));   // word skipped, then $a
    EXPECT_EQ(Lines(GxDebugListenerBase::kLevelWarning).at(0),
              "warn:[Script=\"t\"/line=3] 不明な単語を発見。スキップされます[bg.show]\n");
    EXPECT_EQ(Local(u"a"), "Int:1");
    EXPECT_TRUE(m_Worker.Step(&m_Binder));   // the declaration line alone
    EXPECT_EQ(Local(u"b"), "absent");
    EXPECT_TRUE(m_Worker.Step(&m_Binder));
    EXPECT_EQ(Local(u"b"), "Int:2");
    Tokens(5)[0].m_Kind = MOA_TOKEN_BREAKPOINT;
    EXPECT_TRUE(m_Worker.Step(&m_Binder));
    EXPECT_TRUE(m_Moa.IsBreak());
    EXPECT_FALSE(m_Moa.IsErrorStop());
}

TEST_F(MoaStep, PositionsThatMakeNoProgressEndTheScript)
{
    Start("$a = 1\n$b = 2");
    m_Worker.GetExecStack().back().m_RunPos.m_Pos = -1;
    EXPECT_FALSE(m_Worker.Step(&m_Binder));
    EXPECT_FALSE(m_Worker.IsRunning());

    ASSERT_TRUE(m_Worker.ResetAndJump(u"MAIN", nullptr));
    Tokens(1)[0].m_Kind = MOA_TOKEN_SCRIPT_END;
    EXPECT_FALSE(m_Worker.Step(&m_Binder));
    EXPECT_FALSE(m_Worker.IsRunning());

    // An element whose script is unknown.
    PushFrame(u"nope");
    m_Log.Clear();
    EXPECT_FALSE(m_Worker.Step(&m_Binder));
    EXPECT_TRUE(m_Moa.IsErrorStop());
    EXPECT_EQ(Lines(GxDebugListenerBase::kLevelError),
              (std::vector<std::string>{"err:[Script=\"nope\"/line=1] スクリプトが見つからないので実行できません\n"}));
}

TEST_F(MoaStep, DamagedBlockLinksNeverHang)
{
    Start("IF (0) {\n$a = 1\n} ELSE IF (0) {\n$a = 2\n}\n$b = 1");
    // The "{" of the IF points back at the IF itself, the ELSE IF's condition before it.
    Tokens(1)[4].SetLink(0, GxMoaRunPos(1, 0));
    EXPECT_FALSE(m_Worker.Step(&m_Binder));
    ASSERT_TRUE(m_Worker.ResetAndJump(u"MAIN", nullptr));
    Tokens(1)[4].SetLink(0, GxMoaRunPos(3, 0));
    Tokens(3)[1].SetLink(1, GxMoaRunPos(1, 2));
    EXPECT_FALSE(m_Worker.Step(&m_Binder));
    EXPECT_FALSE(m_Worker.IsRunning());
}

TEST_F(MoaStep, AProgramRunToItsEnd)
{
    m_Assembler.AddScript(u"main",
                          "GLOBAL INGAME $total = 10\n"
                          "EXTERN PERMAN $seen[3]\n"
                          "STATIC INGAME $calls = 0\n"
                          "*MAIN\n"
                          "Start of the run\n"
                          "$i = 0\n"
                          "*loop\n"
                          "$i++\n"
                          "gosub('@add', $i)\n"
                          "IF ($i < 3) {\n"
                          "go('loop')\n"
                          "} ELSE IF ($i == 3) {\n"
                          "$seen[0] = 'three'\n"
                          "} ELSE {\n"
                          "$seen[1] = 'never'\n"
                          "}\n"
                          "gosub('helper')\n"
                          "Done with 100%\n"
                          "$back = retval()\n"
                          "$total += $back[2]\n"
                          "exit('end')\n"
                          "*@add\n"
                          "$total += $_\n"
                          "$calls++\n"
                          "return()\n");
    m_Assembler.AddScript(u"other", "STATIC INGAME $s[2]\n*helper\n$s[2] = $total\nreturn($s)\n");
    AddBuiltin(u"retval", [](GxMoaVariable&, GxMoaWorker* w, GxMoaVariable& result) {
        result = w->GetResult();
        return true;
    });
    ASSERT_TRUE(Load());
    ASSERT_TRUE(m_Worker.ResetAndJumpToScript(u"main", u"MAIN", nullptr));
    int steps = 0;
    while (m_Worker.Step(&m_Binder)) {
        ASSERT_LT(++steps, 1000);
    }
    EXPECT_FALSE(m_Worker.IsRunning());
    EXPECT_EQ(Show(m_Worker.GetVariableTable().Find(u"total")->m_Value), "Int:32");
    EXPECT_EQ(Show(m_Moa.GetVariableTable().Find(u"seen")->m_Value), "Array[Str:three,Null,Null]");
    EXPECT_EQ(Show(m_Worker.FindScriptEntity(u"main")->GetVariableTable().Find(u"calls")->m_Value), "Int:3");
    EXPECT_EQ(Show(m_Worker.FindScriptEntity(u"other")->GetVariableTable().Find(u"s")->m_Value),
              "Array[Null,Null,Int:16]");
    EXPECT_EQ(Show(m_Worker.GetResult()), "Str:end");
    EXPECT_EQ(U8(DebugLog()), "Start of the run\nDone with 100%\n");
    EXPECT_EQ(m_Moa.GetErrorCount(), 0);
    for (const std::string& line : Lines(GxDebugListenerBase::kLevelError)) {
        ADD_FAILURE() << line;
    }
}

}  // namespace
