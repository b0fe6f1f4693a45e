// [Moa evaluator] expressions of assembled lines run on a worker: results and stored values of
// every operator, implicit locals, element growth, builtin calls, and the errors of damaged
// opcode lists built by hand.
#include "worker_fixture.h"

#include <gtest/gtest.h>

using namespace moa_test;
using script_test::Int;
using script_test::Str;

namespace {

class MoaEvaluator : public MoaWorkerTest {
protected:
    // Loads script "t" and evaluates its lines in order in one frame; the last line's value,
    // or "fail" at the first line that fails.
    std::string Run(const std::string& source, bool warn = true)
    {
        m_Assembler.AddScript(u"t", source + "\n");
        EXPECT_TRUE(Load());
        PushFrame(u"t");
        GxMoaVariable result;
        const std::int32_t lines = m_Moa.FindScript(u"t")->GetLineCount();
        for (std::int32_t line = 0; line < lines; ++line) {
            GxMoaRunPos end;
            if (!GxMoa::Eval_Token(&m_Moa, &result, &m_Binder, &m_Worker, GxMoaRunPos(line, 0), &end, warn)) {
                return "fail";
            }
        }
        return Show(result);
    }

    // A hand-made list on a frame of script "t" ("$x = 1" loaded), run with Exec_Opcode.
    std::int32_t RunList(std::vector<GxMoaVariable> list, bool withBinder = true)
    {
        if (m_Moa.FindScript(u"t") == nullptr) {
            m_Assembler.AddScript(u"t", "$x = 1\n");
            EXPECT_TRUE(Load());
        }
        if (m_Worker.GetExecStack().empty()) {
            PushFrame(u"t");
        }
        GxMoaExecStackElement& element = m_Worker.GetExecStack().back();
        element.m_OpcodeList = std::move(list);
        element.m_OpcodePos = 0;
        m_Log.Clear();
        return Exec_Opcode(withBinder ? &m_Binder : nullptr, element.m_RunPos.m_pEntity, &m_Moa, &m_Worker, true);
    }

    static GxMoaVariable Op(std::int32_t opcode)
    {
        GxMoaVariable v;
        v.SetOpcode(opcode);
        return v;
    }
};

struct EvalCase {
    const char* source;
    const char* result;
    const char16_t* variable;   // checked afterwards when set
    const char* stored;
};

const EvalCase kEvalCases[] = {
    {"$r = 'abc' + 1", "Int:1", nullptr, nullptr},
    {"$r = 'ab' : 1", "Str:ab1", nullptr, nullptr},
    {"$r = 1 == 1.0", "Int:1", nullptr, nullptr},
    {"$r = 2 != 2", "Int:0", nullptr, nullptr},
    {"$r = 3 > 2", "Int:1", nullptr, nullptr},
    {"$r = 2 >= 3", "Int:0", nullptr, nullptr},
    {"$r = 'a' < 'b'", "Int:1", nullptr, nullptr},
    {"$r = 2 <= 2", "Int:1", nullptr, nullptr},
    {"$r = 2 * 3 - 10 / 4", "Int:4", nullptr, nullptr},
    {"$r = 7 % 3 + 0.5", "Float:1.500000", nullptr, nullptr},
    {"$r = 7 / 0", "Null", u"r", "Null"},
    {"$r = 7 % 0", "Null", nullptr, nullptr},
    {"$r = 1.0 / 0.0", "Null", nullptr, nullptr},
    {"$r = +'abc'", "Str:abc", nullptr, nullptr},
    {"$r = -'3'", "Int:-3", nullptr, nullptr},
    {"$r = ~0", "Int:-1", nullptr, nullptr},
    {"$r = !0", "Int:1", nullptr, nullptr},
    {"$r = 6 & 3 | 8 ^ 1", "Int:11", nullptr, nullptr},
    {"$r = 1 << 4 >> 2", "Int:4", nullptr, nullptr},
    {"$r = 0.5 && 1", "Int:0", nullptr, nullptr},
    {"$r = 'abc' || 0", "Int:0", nullptr, nullptr},
    {"$r = 2 || 0", "Int:1", nullptr, nullptr},
    {"$r = ARRAY(1, 'a', NULL)", "Array[Int:1,Str:a,Null]", nullptr, nullptr},
    {"$a = $b = 4", "Int:4", u"b", "Int:4"},
    {"$a = ARRAY(1, 2, 3)\n$r = $a[10]", "Null", u"a", "Array[Int:1,Int:2,Int:3,Null,Null,Null,Null,Null,Null,Null,Null]"},
    {"$a = ARRAY(1, 2)\n$r = $a[-1]", "Array[Int:1,Int:2]", nullptr, nullptr},
    {"$a = 'text'\n$a[2] = 5", "Int:5", u"a", "Array[Null,Null,Int:5]"},
    {"$a = 2.5\n$a++", "Float:2.500000", u"a", "Int:3"},
    {"$n++", "Null", u"n", "Int:1"},
    {"$a = '7'\n$a--", "Str:7", u"a", "Int:6"},
    {"$a = ARRAY(1)\n$a[0]++", "Int:1", u"a", "Array[Int:2]"},
    {"$a = 5\n$a += 2", "Int:7", u"a", "Int:7"},
    {"$a = 'x'\n$a := 2", "Str:x2", u"a", "Str:x2"},
    {"$a = 5\n$a -= 2", "Int:3", nullptr, nullptr},
    {"$a = 5\n$a *= 2", "Int:10", nullptr, nullptr},
    {"$a = 5\n$a /= 0", "Null", u"a", "Null"},
    {"$a = 5\n$a %= 3", "Int:2", nullptr, nullptr},
    {"$a = 6\n$a &= 3", "Int:2", nullptr, nullptr},
    {"$a = 6\n$a |= 1", "Int:7", nullptr, nullptr},
    {"$a = 6\n$a ^= 2", "Int:4", nullptr, nullptr},
    {"$a[1] += 3", "Int:3", u"a", "Array[Null,Int:3]"},
    {"$r = f(1, 'b', 2.5)", "Int:1", nullptr, nullptr},
    {"$r = 2000000000\n$r = $a[$r]", "Null", u"a", "Null"},
};

TEST_F(MoaEvaluator, OperatorsAssignmentsAndStoredValues)
{
    for (const EvalCase& c : kEvalCases) {
        SCOPED_TRACE(c.source);
        m_Moa.Clear();
        m_Worker.ResetStacks();
        m_Assembler = MoaAssembler();
        for (const char16_t* name : {u"go", u"gosub", u"return", u"exit", u"f", u"fail"}) {
            m_Assembler.AddBuiltin(name);
        }
        EXPECT_EQ(Run(c.source, false), c.result);
        if (c.variable != nullptr) {
            EXPECT_EQ(Var(c.variable), c.stored);
        }
        EXPECT_EQ(m_Moa.GetErrorCount(), 0);
    }
}

TEST_F(MoaEvaluator, UndefinedNamesBecomeLocalsOfTheFrameWithAWarningWhenAsked)
{
    ASSERT_EQ(Run("$y = $x + 1"), "Int:1");
    EXPECT_EQ(Lines(GxDebugListenerBase::kLevelWarning),
              (std::vector<std::string>{"warn:[Script=\"t\"/line=1] 未定義の変数 $x を使用しました[pc=0]\n",
                                        "warn:[Script=\"t\"/line=1] 未定義の変数 $y を使用しました[pc=5]\n"}));
    GxMoaVariableTable& locals = m_Worker.GetExecStack().back().m_Variables;
    ASSERT_NE(locals.Find(u"x"), nullptr);
    EXPECT_EQ(locals.Find(u"x")->m_Scope, 1);
    EXPECT_EQ(Show(locals.Find(u"y")->m_Value), "Int:1");

    // The next evaluation in the frame finds both: no further warning.
    m_Log.Clear();
    GxMoaVariable result;
    EXPECT_TRUE(GxMoa::Eval_Token(&m_Moa, &result, &m_Binder, &m_Worker, GxMoaRunPos(0, 0), nullptr, true));
    EXPECT_TRUE(m_Log.At(GxDebugListenerBase::kLevelWarning).empty());
}

TEST_F(MoaEvaluator, WarnSwitchOffCreatesSilently)
{
    ASSERT_EQ(Run("$y = $x[2]", false), "Null");
    EXPECT_TRUE(m_Log.At(GxDebugListenerBase::kLevelWarning).empty());
    EXPECT_EQ(Var(u"x"), "Array[Null,Null,Null]");
}

TEST_F(MoaEvaluator, ElementAssignmentBelowZeroOrPastTheBoundStopsTheScript)
{
    for (const char* source : {"$a[-1] = 1", "$a[2000000000] = 1", "$a[-1] += 1", "$a[-3]++"}) {
        SCOPED_TRACE(source);
        m_Moa.Clear();
        m_Moa.ResetRunState();
        m_Worker.ResetStacks();
        m_Assembler = MoaAssembler();
        EXPECT_EQ(Run(source), "fail");
        EXPECT_TRUE(m_Moa.IsErrorStop());
        const auto errors = Lines(GxDebugListenerBase::kLevelError);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_NE(errors[0].find("変数の要素 $a["), std::string::npos) << errors[0];
    }
    EXPECT_NE(Lines(GxDebugListenerBase::kLevelError)[0].find("OPC_AFTER_* 変数の要素 $a[-3] に代入できません[pc="),
              std::string::npos);
}

TEST_F(MoaEvaluator, AssignToElementMinusOneNamesTheIndex)
{
    EXPECT_EQ(Run("$a[-1] = 1"), "fail");
    EXPECT_EQ(Lines(GxDebugListenerBase::kLevelError),
              (std::vector<std::string>{"err:[Script=\"t\"/line=1] OPC_ASSIGN 変数の要素 $a[-1] に代入できません[pc=5]\n"}));
}

TEST_F(MoaEvaluator, LogicalOrRunsItsRightSideAndFailingBuiltinsStop)
{
    EXPECT_EQ(Run("$r = 1 || f(9)"), "Int:1");
    EXPECT_EQ(m_Calls, (std::vector<std::string>{"Array[Int:9]"}));

    m_Moa.Clear();
    m_Worker.ResetStacks();
    m_Assembler = MoaAssembler();
    m_Assembler.AddBuiltin(u"fail");
    EXPECT_EQ(Run("$r = fail(1)"), "fail");
    EXPECT_TRUE(m_Moa.IsErrorStop());
    EXPECT_EQ(Lines(GxDebugListenerBase::kLevelError),
              (std::vector<std::string>{"err:[Script=\"t\"/line=1] 関数実行時にエラーが発生したので停止します[builtin:fail]\n"}));
}

TEST_F(MoaEvaluator, EvalTokenOnAStoppedWorker)
{
    GxMoaVariable result;
    EXPECT_FALSE(GxMoa::Eval_Token(&m_Moa, &result, &m_Binder, &m_Worker, GxMoaRunPos(0, 0), nullptr, true));
    EXPECT_TRUE(m_Moa.IsErrorStop());
    EXPECT_EQ(Lines(GxDebugListenerBase::kLevelError),
              (std::vector<std::string>{"err:[Script=\"*\"/line=0] GxMoa::Eval_Token 実行中ではないWorkerを計算しようとしました\n"}));
    EXPECT_EQ(Exec_Opcode(&m_Binder, nullptr, &m_Moa, &m_Worker, true), 1);
}

TEST_F(MoaEvaluator, HandMadeListsReportTheirFaults)
{
    struct ListCase {
        std::vector<GxMoaVariable> list;
        bool binder;
        std::int32_t result;
        const char* error;   // the first error line; "" for none
    };
    const GxMoaVariable x = Str(u"x");
    const ListCase cases[] = {
        {{}, true, 1, ""},
        {{Op(2), Int(5)}, true, 1, ""},
        {{Op(21)}, true, 0, "err:[Script=\"t\"/line=1] Exec_IsValueLastTwo 計算スタックに必要なパラメータが積まれていません[pc=0]\n"},
        {{Op(28)}, true, 0, "err:[Script=\"t\"/line=1] Exec_IsValueLastOne 計算スタックに必要なパラメータが積まれていません[pc=0]\n"},
        {{Op(2), Op(3)}, true, 0, "err:[Script=\"t\"/line=1] Exec_PushStack 計算スタックに積むパラメータが不足しています[pc=0]\n"},
        {{Int(1)}, true, 0, "err:[Script=\"t\"/line=1] Exec_Opcode Opcodeではないパラメータを演算しようとしました[pc=0]\n"},
        {{Op(52)}, true, 0, "err:[Script=\"t\"/line=1] Exec_Opcode 不正な演算コードです[pc=0]\n"},
        {{Op(8)}, true, 0, "err:[Script=\"t\"/line=1] OPC_ALTER_VAR 単体でこのコードは実行できません[pc=0]\n"},
        {{Op(9)}, true, 0, "err:[Script=\"t\"/line=1] OPC_ALTER_VARARY 単体でこのコードは実行できません[pc=0]\n"},
        {{Op(12), Int(0), Op(10), Int(0), Str(u"f")}, false, 0,
         "err:[Script=\"t\"/line=1] OPC_CALL_BUILTIN 組み込み関数ポインタが設定されていません[pc=2]\n"},
        {{Op(2), Int(1), Op(42), Int(8), x}, true, 1, "err:[Script=\"t\"/line=1] OPC_ASSIGN Opecodeが壊れています[pc=2]\n"},
        {{Op(2), Int(1), Op(43), Int(8), x}, true, 1, "err:[Script=\"t\"/line=1] OPC_ASSIGN_* Opecodeが壊れています[pc=2]\n"},
        {{Op(40), Int(8), x}, true, 1, "err:[Script=\"t\"/line=1] OPC_AFTER_* Opecodeが壊れています[pc=0]\n"},
        // Damaged lists: an instruction cut off by the end, negative counts.
        {{Op(2), Int(1), Op(42), Op(8)}, true, 0, "err:[Script=\"t\"/line=1] Exec_Opcode 不正な演算コードです[pc=2]\n"},
        {{Op(12), Int(-1), Op(10), Int(0), Str(u"f")}, true, 0, "err:[Script=\"t\"/line=1] Exec_Opcode 不正な演算コードです[pc=2]\n"},
        {{Op(12), Int(-5), Op(13)}, true, 0, "err:[Script=\"t\"/line=1] Exec_Opcode 不正な演算コードです[pc=2]\n"},
        {{Op(12), Int(2000000000), Op(13)}, true, 0, "err:[Script=\"t\"/line=1] Exec_Opcode 不正な演算コードです[pc=2]\n"},
        {{Op(12), Int(3), Op(13)}, true, 0,
         "err:[Script=\"t\"/line=1] Exec_IsValueLastOne 計算スタックに必要なパラメータが積まれていません[pc=2]\n"},
    };
    for (const ListCase& c : cases) {
        SCOPED_TRACE(c.error);
        m_Worker.GetValueStack().clear();
        EXPECT_EQ(RunList(c.list, c.binder), c.result);
        const auto errors = Lines(GxDebugListenerBase::kLevelError);
        EXPECT_EQ(errors.empty() ? std::string() : errors[0], c.error);
    }
    // The broken assignments store nothing.
    EXPECT_EQ(Var(u"x"), "absent");
}

TEST_F(MoaEvaluator, DamagedPositionsAndRepeatedRuns)
{
    EXPECT_EQ(RunList({Op(2), Int(1)}), 1);
    GxMoaExecStackElement& element = m_Worker.GetExecStack().back();
    // A finished list run again gives 0 without a message.
    EXPECT_EQ(Exec_Opcode(&m_Binder, element.m_RunPos.m_pEntity, &m_Moa, &m_Worker, true), 0);
    EXPECT_TRUE(m_Log.At(GxDebugListenerBase::kLevelError).empty());
    element.m_OpcodePos = -4;
    EXPECT_EQ(Exec_Opcode(&m_Binder, element.m_RunPos.m_pEntity, &m_Moa, &m_Worker, true), 0);
    EXPECT_EQ(Lines(GxDebugListenerBase::kLevelError),
              (std::vector<std::string>{"err:[Script=\"t\"/line=1] Exec_Opcode 不正な演算コードです[pc=-4]\n"}));
}

TEST_F(MoaEvaluator, AStackWithoutAFrameReportsInsteadOfCreating)
{
    m_Assembler.AddScript(u"t", "$x = 1\n");
    ASSERT_TRUE(Load());
    PushFrame(u"t", MOA_BLOCK_IF);
    EXPECT_FALSE(GxMoa::Eval_Token(&m_Moa, nullptr, &m_Binder, &m_Worker, GxMoaRunPos(0, 0), nullptr, true));
    EXPECT_TRUE(m_Moa.IsErrorStop());
    EXPECT_EQ(m_Log.At(GxDebugListenerBase::kLevelError).size(), 1u);
}

TEST_F(MoaEvaluator, BuiltinsThatMoveTheStackDuringAnExpression)
{
    m_Assembler.AddScript(u"t", "*MAIN\n$r = return(5) + 1\n$g = gosub('sub') + 1\n*sub\n$q = exit(7) + 2\n");
    ASSERT_TRUE(Load());
    ASSERT_TRUE(m_Worker.ResetAndJump(u"MAIN", nullptr));
    ASSERT_TRUE(m_Worker.Call(u"MAIN", nullptr));
    GxMoaVariable result;
    // The return removes the very frame being evaluated: the statement ends there.
    EXPECT_TRUE(GxMoa::Eval_Token(&m_Moa, &result, &m_Binder, &m_Worker, GxMoaRunPos(1, 0), nullptr, true));
    ASSERT_EQ(m_Worker.GetExecStack().size(), 1u);
    EXPECT_EQ(m_Worker.GetExecStack()[0].m_Variables.Find(u"r"), nullptr);
    EXPECT_EQ(Show(m_Worker.GetResult()), "Int:5");

    // A call pushes a frame above; the evaluation finishes in the caller's frame.
    EXPECT_TRUE(GxMoa::Eval_Token(&m_Moa, &result, &m_Binder, &m_Worker, GxMoaRunPos(2, 0), nullptr, true));
    ASSERT_EQ(m_Worker.GetExecStack().size(), 2u);
    ASSERT_NE(m_Worker.GetExecStack()[0].m_Variables.Find(u"g"), nullptr);
    EXPECT_EQ(m_Worker.GetExecStack()[1].m_Variables.Find(u"g"), nullptr);
    EXPECT_EQ(m_Worker.GetExecStack()[1].m_RunPos.m_Line, 3);

    EXPECT_TRUE(GxMoa::Eval_Token(&m_Moa, &result, &m_Binder, &m_Worker, GxMoaRunPos(4, 0), nullptr, true));
    EXPECT_FALSE(m_Worker.IsRunning());
    EXPECT_TRUE(m_Worker.GetValueStack().empty());
    EXPECT_EQ(Show(m_Worker.GetResult()), "Int:7");
    EXPECT_EQ(m_Moa.GetErrorCount(), 0);
}

}  // namespace
