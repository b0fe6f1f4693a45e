// [Moa limits] A script is stepped under a budget per pass, so a loop that never waits yields
// instead of holding the window thread, while a finite script ends as it would have without the
// budget. Growth that would never end (a recursion that never returns, a text or an array that
// doubles) stops the script at a limit with one error line naming it, and memory that runs out
// inside a statement stops the script, never the process.
#include "script/worker_ex.h"

#include "worker_fixture.h"

#include <gtest/gtest.h>

#include <new>

using namespace moa_test;

namespace {

class MoaLimits : public MoaWorkerTest {
protected:
    // Loads script "t" and starts the worker at its first line.
    void Start(const std::string& source)
    {
        m_Assembler.AddScript(u"t", source + "\n");
        ASSERT_TRUE(Load());
        PushFrame(u"t");
    }

    // Steps until the worker stops (at most `limit` steps); the error lines.
    std::vector<std::string> StepToEnd(std::int32_t limit = 1000)
    {
        for (std::int32_t i = 0; i < limit && m_Worker.Step(&m_Binder); ++i) {
        }
        return Lines(GxDebugListenerBase::kLevelError);
    }

    // Moved in: the values here are large.
    void SetLocal(const char16_t* name, GxMoaVariable value)
    {
        GxMoaVariableTable& locals = m_Worker.GetExecStack().back().m_Variables;
        locals.AddLocal(name, GxMoaVariable());
        locals.Find(name)->m_Value = std::move(value);
    }

    static GxMoaVariable Text(std::size_t length)
    {
        GxMoaVariable value;
        value.SetString(std::u16string(length, u'x'));
        return value;
    }

    // An array whose elements nest `depth` levels deep: [[...[1]...]].
    static GxMoaVariable Nested(std::int32_t depth)
    {
        GxMoaVariable value;
        value.SetInt64(1);
        for (std::int32_t i = 0; i < depth; ++i) {
            GxMoaVariable outer;
            outer.SetElement(0, value);
            value = std::move(outer);
        }
        return value;
    }

    // An array of as many elements as a value may hold.
    static GxMoaVariable Full()
    {
        GxMoaVariable value;
        value.MakeArray(kMoaMaxArrayElements);
        return value;
    }

    std::int32_t Steps(std::int32_t budget)
    {
        return m_Worker.StepWithinBudget(&m_Binder, [] { return true; }, budget);
    }
};

TEST_F(MoaLimits, AFiniteScriptEndsTheSameUnderAnyBudget)
{
    Start("$a = 1\n*@skip\n$b = $a + 2\ngosub(\"@twice\", $b)\nf($a, $b)\nexit()\n*@twice\nf($_ * 2)\nreturn()");
    for (const std::int32_t budget : {kMoaStepsPerPass, 2, 1}) {
        SCOPED_TRACE(budget);
        m_Worker.ResetStacks();
        PushFrame(u"t");
        m_Calls.clear();
        std::int32_t steps = 0;
        std::int32_t passes = 0;
        while (m_Worker.IsRunning() && passes < 100) {
            steps += Steps(budget);
            ++passes;
        }
        // The same statements each time: the budget only cuts them into passes.
        EXPECT_EQ(m_Calls, (std::vector<std::string>{"Array[Int:6]", "Array[Int:1,Int:3]"}));
        EXPECT_EQ(steps, 7);
        EXPECT_EQ(passes, (steps + budget - 1) / budget);
    }
    EXPECT_TRUE(Lines(GxDebugListenerBase::kLevelError).empty());
}

TEST_F(MoaLimits, AnEndlessLoopYieldsAtTheBudgetAndGoesOnInTheNextPass)
{
    Start("*@loop\n$n = $n + 1\ngo(\"@loop\")");
    EXPECT_EQ(Steps(kMoaStepsPerPass), kMoaStepsPerPass);
    EXPECT_TRUE(m_Worker.IsRunning());
    EXPECT_EQ(Var(u"n"), "Int:" + std::to_string(kMoaStepsPerPass / 2));
    EXPECT_EQ(Steps(10), 10);
    EXPECT_EQ(Var(u"n"), "Int:" + std::to_string(kMoaStepsPerPass / 2 + 5));
    // The caller's test comes before every step.
    std::int32_t asked = 0;
    EXPECT_EQ(m_Worker.StepWithinBudget(&m_Binder, [&] { return ++asked < 4; }), 3);
    EXPECT_EQ(asked, 4);
    EXPECT_EQ(m_Worker.StepWithinBudget(&m_Binder, [] { return false; }), 0);
}

TEST_F(MoaLimits, ARecursionStopsAtTheDeepestExecStack)
{
    Start("*@deeper\nf()");
    // Far deeper than any script goes, and still allowed.
    for (std::int32_t depth = 1; depth < kMoaMaxExecStackDepth; ++depth) {
        ASSERT_TRUE(m_Worker.Call(u"@deeper", nullptr)) << depth;
    }
    EXPECT_TRUE(Lines(GxDebugListenerBase::kLevelError).empty());
    EXPECT_FALSE(m_Worker.Call(u"@deeper", nullptr));
    EXPECT_EQ(m_Worker.GetExecStack().size(), static_cast<std::size_t>(kMoaMaxExecStackDepth));
    EXPECT_TRUE(m_Moa.IsErrorStop());
    EXPECT_EQ(Lines(GxDebugListenerBase::kLevelError),
              (std::vector<std::string>{"err:[Script=\"t\"/line=1] the exec stack has reached its limit of 200000 blocks\n"}));
    // A return makes room again.
    m_Moa.ResetRunState();
    EXPECT_TRUE(m_Worker.Return(nullptr));
    EXPECT_TRUE(m_Worker.Call(u"@deeper", nullptr));
}

TEST_F(MoaLimits, TextAndArraysStopGrowingAtTheirLimits)
{
    const std::string textLine = "a text would pass the limit of 4194304 characters";
    const std::string elementsLine = "an array would pass the limit of 1048576 elements";
    const std::string nestingLine = "arrays would nest deeper than the limit of 200 levels";
    struct Case {
        const char* source;
        GxMoaVariable (*start)();   // $v before the line
        std::string errorLine;      // empty: the line runs
    };
    const Case cases[] = {
        {"$v = $v : $v", [] { return Text(kMoaMaxTextLength / 2); }, ""},
        {"$w = $v : $v : \"x\"", [] { return Text(kMoaMaxTextLength / 2); }, textLine},
        {"$v := $v", [] { return Text(kMoaMaxTextLength / 2 + 1); }, textLine},
        {"$v[0] = $v", [] { return Nested(kMoaMaxArrayNesting - 1); }, ""},
        {"$v[0] = $v", [] { return Nested(kMoaMaxArrayNesting); }, nestingLine},
        {"$w = ARRAY(1, $v)", [] { return Nested(kMoaMaxArrayNesting); }, nestingLine},
        {"$w[0] = $v", Full, elementsLine},
        {"$w[1048576] = 1", [] { return GxMoaVariable(); }, elementsLine},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        m_Moa.Clear();
        m_Moa.ResetRunState();
        m_Worker.ResetStacks();
        m_Assembler = MoaAssembler();
        Start(c.source);
        SetLocal(u"v", c.start());
        const std::vector<std::string> errors = StepToEnd();
        if (c.errorLine.empty()) {
            EXPECT_TRUE(errors.empty()) << errors.front();
            EXPECT_FALSE(m_Moa.IsErrorStop());
        } else {
            ASSERT_FALSE(errors.empty());
            EXPECT_NE(errors.front().find(c.errorLine), std::string::npos) << errors.front();
            EXPECT_TRUE(m_Moa.IsErrorStop());
        }
    }
}

TEST_F(MoaLimits, MemoryThatRunsOutInsideAStatementStopsOnlyTheScript)
{
    AddBuiltin(u"exhaust", [](GxMoaVariable&, GxMoaWorker*, GxMoaVariable&) -> bool { throw std::bad_alloc(); });
    Start("$a = 1\nexhaust()\n$b = 2");
    GxMoaWorkerEx gameWorker(&m_Moa);
    gameWorker.RebuildScriptEntities();
    for (GxMoaWorker* worker : {static_cast<GxMoaWorker*>(&m_Worker), static_cast<GxMoaWorker*>(&gameWorker)}) {
        SCOPED_TRACE(worker == &m_Worker ? "worker" : "game worker");
        m_Moa.ResetRunState();
        m_Log.Clear();
        worker->ResetStacks();
        GxMoaExecStackElement& frame = worker->GetExecStack().emplace_back();
        frame.m_BlockType = MOA_BLOCK_FRAME;
        frame.m_RunPos.m_Line = 0;
        frame.m_RunPos.m_Pos = 0;
        frame.m_RunPos.m_ScriptName = u"t";
        EXPECT_TRUE(worker->Step(&m_Binder));
        EXPECT_FALSE(worker->Step(&m_Binder));
        EXPECT_TRUE(m_Moa.IsErrorStop());
        EXPECT_FALSE(worker->IsRunning());
        EXPECT_TRUE(worker->GetValueStack().empty());
        EXPECT_EQ(Lines(GxDebugListenerBase::kLevelError),
                  (std::vector<std::string>{"err:[Script=\"t\"/line=2] memory ran out inside a statement; the script stops\n"}));
        EXPECT_FALSE(worker->Step(&m_Binder));
    }
}

}  // namespace
