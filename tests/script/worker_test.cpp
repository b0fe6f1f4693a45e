// [Moa worker] jumps, calls and returns on the exec stack, the worker's variables and script
// entities, its dump, and its saved form, whole and damaged.
#include "worker_fixture.h"

#include <gtest/gtest.h>

using namespace moa_test;
using namespace script_test;

namespace {

class MoaWorker : public MoaWorkerTest {
protected:
    void LoadTwoScripts()
    {
        m_Assembler.AddScript(u"main",
                              "GLOBAL INGAME $g = 5\nGLOBAL PERMAN $gp[2]\nSTATIC INGAME $s = 'x'\n*MAIN\n$a = 1\n*@loc\n"
                              "$b = 2\n\n\n*other\n");
        m_Assembler.AddScript(u"sub", "STATIC PERMAN $t = 3\n*@loc\n$c = 3\n*subl\n");
        ASSERT_TRUE(Load());
    }
};

TEST_F(MoaWorker, ConstructionAndEmptyStackQueries)
{
    EXPECT_EQ(m_Worker.GetName(), u"MAIN_WORKER");
    EXPECT_FALSE(m_Worker.IsRunning());
    EXPECT_EQ(m_Worker.GetLine(nullptr), -1);
    EXPECT_EQ(m_Worker.GetLastLine(nullptr), -1);
    EXPECT_EQ(m_Worker.GetScriptName(nullptr), u"");
    EXPECT_EQ(m_Worker.GetTopExecStackElement(), nullptr);
    EXPECT_FALSE(m_Worker.Return(nullptr));
    EXPECT_FALSE(m_Worker.Jump(u"MAIN", nullptr));   // no program yet
}

TEST_F(MoaWorker, JumpPlacesAFrameAndKeepsItsLocals)
{
    LoadTwoScripts();
    EXPECT_FALSE(m_Worker.Jump(u"nowhere", nullptr));
    EXPECT_FALSE(m_Worker.IsRunning());
    ASSERT_TRUE(m_Worker.Jump(u"MAIN", nullptr));
    ASSERT_EQ(m_Worker.GetExecStack().size(), 1u);
    GxMoaExecStackElement& frame = m_Worker.GetExecStack()[0];
    EXPECT_EQ(frame.m_BlockType, MOA_BLOCK_FRAME);
    EXPECT_EQ(frame.m_RunPos.m_Line, 3);
    EXPECT_EQ(frame.m_RunPos.m_Pos, 0);
    EXPECT_EQ(m_Worker.GetScriptName(nullptr), u"main");
    EXPECT_EQ(frame.m_RunPos.m_pEntity, m_Worker.FindScriptEntity(u"main"));

    frame.m_Variables.AddLocal(u"keep", Int(1));
    frame.m_OpcodeList.push_back(Int(1));
    PushFrame(u"main", MOA_BLOCK_IF);
    PushFrame(u"main", MOA_BLOCK_WHILE);
    // "@" labels are looked up in the frame's own script.
    ASSERT_TRUE(m_Worker.Jump(u"@loc", nullptr));
    ASSERT_EQ(m_Worker.GetExecStack().size(), 1u);
    EXPECT_EQ(m_Worker.GetLine(nullptr), 5);
    EXPECT_NE(frame.m_Variables.Find(u"keep"), nullptr);
    EXPECT_TRUE(frame.m_OpcodeList.empty());

    GxMoaVariableTable table(1);
    table.AddLocal(u"given", Int(2));
    ASSERT_TRUE(m_Worker.Jump(u"other", &table));
    EXPECT_EQ(frame.m_Variables.Find(u"keep"), nullptr);
    EXPECT_NE(frame.m_Variables.Find(u"given"), nullptr);
}

TEST_F(MoaWorker, CallReturnExitAndTheScriptJumps)
{
    LoadTwoScripts();
    ASSERT_TRUE(m_Worker.ResetAndJump(u"MAIN", nullptr));
    GxMoaVariableSet argument(u"_", 1, Int(9));
    ASSERT_TRUE(m_Worker.Call(u"subl", &argument));
    ASSERT_EQ(m_Worker.GetExecStack().size(), 2u);
    EXPECT_EQ(m_Worker.GetScriptName(nullptr), u"sub");
    EXPECT_EQ(Show(m_Worker.GetExecStack()[1].m_Variables.Find(u"_")->m_Value), "Int:9");
    PushFrame(u"sub", MOA_BLOCK_ELSE);
    // Return pops the control block and the frame, nothing below.
    const GxMoaVariable value = Int(4);
    EXPECT_TRUE(m_Worker.Return(&value));
    ASSERT_EQ(m_Worker.GetExecStack().size(), 1u);
    EXPECT_EQ(m_Worker.GetScriptName(nullptr), u"main");
    EXPECT_EQ(Show(m_Worker.GetResult()), "Int:4");
    EXPECT_FALSE(m_Worker.Return(nullptr));
    EXPECT_FALSE(m_Worker.IsRunning());
    EXPECT_EQ(Show(m_Worker.GetResult()), "Null");

    ASSERT_TRUE(m_Worker.ResetAndJump(u"MAIN", nullptr));
    m_Worker.GetValueStack().push_back(Int(1));
    const GxMoaVariable exitValue = Str(u"bye");
    m_Worker.Exit(&exitValue);
    EXPECT_FALSE(m_Worker.IsRunning());
    EXPECT_TRUE(m_Worker.GetValueStack().empty());
    EXPECT_EQ(Show(m_Worker.GetResult()), "Str:bye");

    // The script jumps: "@" labels of the named script; the frame is replaced or kept below.
    ASSERT_TRUE(m_Worker.ResetAndJump(u"MAIN", nullptr));
    ASSERT_TRUE(m_Worker.CallInScript(u"@loc", u"sub", nullptr));
    ASSERT_EQ(m_Worker.GetExecStack().size(), 2u);
    EXPECT_EQ(m_Worker.GetLine(nullptr), 1);
    ASSERT_TRUE(m_Worker.JumpToScript(u"@loc", u"main", &argument));
    ASSERT_EQ(m_Worker.GetExecStack().size(), 2u);
    EXPECT_EQ(m_Worker.GetLine(nullptr), 5);
    EXPECT_FALSE(m_Worker.JumpToScript(u"@none", u"main", nullptr));
    EXPECT_EQ(m_Worker.GetExecStack().size(), 2u);

    // Script name first in these two.
    m_Worker.GetVariableTable().Find(u"g")->m_Value = Int(50);
    ASSERT_TRUE(m_Worker.ResetAndJumpToScript(u"sub", u"@loc", nullptr));
    EXPECT_EQ(m_Worker.GetExecStack().size(), 1u);
    EXPECT_EQ(Var(u"g"), "Int:50");
    ASSERT_TRUE(m_Worker.Restart(u"main", u"@loc", nullptr));
    EXPECT_EQ(m_Worker.GetScriptName(nullptr), u"main");
    EXPECT_EQ(Var(u"g"), "Int:5");
    m_Worker.Stop();
    EXPECT_FALSE(m_Worker.IsRunning());
}

TEST_F(MoaWorker, EntitiesVariablesLinesAndReports)
{
    LoadTwoScripts();
    ASSERT_EQ(m_Worker.GetScriptEntities().size(), 2u);
    EXPECT_EQ(Show(m_Worker.GetVariableTable().Find(u"g")->m_Value), "Int:5");
    EXPECT_EQ(Show(m_Worker.GetVariableTable().Find(u"gp")->m_Value), "Array[Null,Null]");
    EXPECT_EQ(Show(m_Worker.FindScriptEntity(u"main")->GetVariableTable().Find(u"s")->m_Value), "Str:x");
    EXPECT_EQ(m_Worker.FindScriptEntity(u"main")->GetVariableTable().Find(u"t"), nullptr);

    // Class 3 resets INGAME only; missing ones come back.
    m_Worker.GetVariableTable().Find(u"g")->m_Value = Int(1);
    m_Worker.GetVariableTable().Find(u"gp")->m_Value = Int(1);
    m_Worker.ClearVariables(3);
    EXPECT_EQ(Show(m_Worker.GetVariableTable().Find(u"g")->m_Value), "Int:5");
    EXPECT_EQ(Show(m_Worker.GetVariableTable().Find(u"gp")->m_Value), "Int:1");
    m_Worker.GetVariableTable().Clear();
    m_Worker.DefineMissingVariables();
    EXPECT_NE(m_Worker.GetVariableTable().Find(u"gp"), nullptr);

    ASSERT_TRUE(m_Worker.ResetAndJump(u"other", nullptr));
    EXPECT_EQ(m_Worker.GetLine(nullptr), 9);
    EXPECT_EQ(m_Worker.GetLastLine(nullptr), 7);   // line index 6 holds "$b = 2"
    m_Worker.GetExecStack().back().m_RunPos.m_pEntity = nullptr;
    EXPECT_EQ(m_Worker.GetLastLine(nullptr), 9);

    m_Worker.ReportError(u"GO", m_Worker.FindScriptEntity(u"main"), &m_Worker.GetExecStack(), u"label %s", u"x");
    EXPECT_EQ(Lines(GxDebugListenerBase::kLevelError),
              (std::vector<std::string>{"err:[Script=\"main\"/line=10] GO:label x\n"}));
}

TEST_F(MoaWorker, DumpText)
{
    m_Assembler.AddScript(u"a", "GLOBAL INGAME $g = 1\n*MAIN\n");
    ASSERT_TRUE(Load());
    ASSERT_TRUE(m_Worker.ResetAndJump(u"MAIN", nullptr));
    m_Worker.GetExecStack()[0].m_Variables.AddLocal(u"l", Int(2));
    EXPECT_EQ(U8(m_Worker.DumpText(1)),
              "----Worker:MAIN_WORKER\nScope:GLOBAL_INGAME\n  $g=1(Int)\n------Script:a\n------ExecStack:0\n"
              "Scope:LOCAL\n    $l=2(Int)\n");
}

TEST_F(MoaWorker, SavedFormRoundTrip)
{
    LoadTwoScripts();
    ASSERT_TRUE(m_Worker.ResetAndJump(u"MAIN", nullptr));
    m_Worker.GetExecStack()[0].m_Variables.AddLocal(u"l0", Str(u"zero"));
    PushFrame(u"main", MOA_BLOCK_IF).m_RunPos.m_Line = 4;
    ASSERT_TRUE(m_Worker.CallInScript(u"subl", u"sub", nullptr));
    GxMoaExecStackElement& top = m_Worker.GetExecStack().back();
    top.m_Variables.AddLocal(u"l2", Arr({Int(1), Flt(0.5)}));
    GxMoaVariable op;
    op.SetOpcode(2);
    top.m_OpcodeList = {op, Int(7), op, Int(8), op};
    top.m_OpcodePos = 2;
    m_Worker.GetValueStack() = {Int(7), Str(u"v")};
    m_Worker.GetResult() = Flt(1.5);
    const std::string dump = U8(m_Worker.DumpText(0));

    for (Form form : {Form::Text, Form::Binary}) {
        const std::string bytes = WriteRecord(form, [&](GxContentWriterBase& w) { EXPECT_TRUE(m_Worker.Write(w)); });
        GxMoaWorker copy(&m_Moa);
        copy.RebuildScriptEntities();
        BytesReader reader(bytes);
        ASSERT_TRUE(copy.Read(*reader));
        ASSERT_EQ(copy.GetExecStack().size(), 3u);
        for (std::size_t i = 0; i < 3; ++i) {
            const GxMoaExecStackElement& a = m_Worker.GetExecStack()[i];
            const GxMoaExecStackElement& b = copy.GetExecStack()[i];
            EXPECT_EQ(a.m_BlockType, b.m_BlockType);
            EXPECT_EQ(a.m_RunPos.m_Line, b.m_RunPos.m_Line);
            EXPECT_EQ(a.m_RunPos.m_Pos, b.m_RunPos.m_Pos);
            EXPECT_EQ(a.m_RunPos.m_ScriptName, b.m_RunPos.m_ScriptName);
            EXPECT_EQ(b.m_RunPos.m_pEntity, copy.FindScriptEntity(b.m_RunPos.m_ScriptName));
            EXPECT_EQ(a.m_OpcodeList.size(), b.m_OpcodeList.size());
            EXPECT_EQ(a.m_OpcodePos, b.m_OpcodePos);
        }
        EXPECT_EQ(Show(copy.GetExecStack()[2].m_OpcodeList[3]), "Int:8");
        EXPECT_EQ(copy.GetExecStack()[2].m_OpcodeList[4].GetType(), MOA_VALUE_OPCODE);
        EXPECT_EQ(copy.GetValueStack().size(), 2u);
        EXPECT_EQ(Show(copy.GetResult()), "Float:1.500000");
        EXPECT_EQ(U8(copy.DumpText(0)), dump);
    }
}

TEST_F(MoaWorker, ScriptVariablesInNameOrderAndUnknownScriptsSkipped)
{
    LoadTwoScripts();
    m_Worker.FindScriptEntity(u"main")->GetVariableTable().Find(u"s")->m_Value = Str(u"changed");
    m_Worker.FindScriptEntity(u"sub")->GetVariableTable().Find(u"t")->m_Value = Int(30);
    m_Worker.GetVariableTable().Find(u"g")->m_Value = Int(55);
    const std::string all = WriteRecord(Form::Text, [&](GxContentWriterBase& w) { m_Worker.WriteScriptVariables(w, 0); });
    EXPECT_LT(all.find("main"), all.find("sub"));

    // A program with only "sub" and a renamed script reads the data without error.
    GxMoaEx other;
    MoaAssembler assembler;
    assembler.AddScript(u"sub", "STATIC PERMAN $t = 3\nSTATIC INGAME $u = 1\n");
    assembler.AddScript(u"zz", "GLOBAL INGAME $g = 5\n");
    ASSERT_TRUE(LoadProgram(assembler, other));
    GxMoaWorker worker(&other);
    worker.RebuildScriptEntities();
    worker.FindScriptEntity(u"sub")->GetVariableTable().Find(u"u")->m_Value = Int(9);
    {
        BytesReader reader(all);
        EXPECT_TRUE(worker.ReadScriptVariables(*reader, 0));
        EXPECT_EQ(Show(worker.FindScriptEntity(u"sub")->GetVariableTable().Find(u"t")->m_Value), "Int:30");
        EXPECT_EQ(Show(worker.FindScriptEntity(u"sub")->GetVariableTable().Find(u"u")->m_Value), "Int:9");
        EXPECT_EQ(Show(worker.GetVariableTable().Find(u"g")->m_Value), "Int:55");
        EXPECT_EQ(worker.FindScriptEntity(u"zz")->GetVariableTable().Find(u"s"), nullptr);
    }
    // The reset-then-read form puts class-3 variables the data lacks back to their start.
    const std::string ingame = WriteRecord(Form::Binary, [&](GxContentWriterBase& w) { m_Worker.WriteScriptVariables(w, 3); });
    BytesReader reader(ingame);
    EXPECT_TRUE(worker.ClearAndReadScriptVariables(*reader, 3));
    EXPECT_EQ(Show(worker.FindScriptEntity(u"sub")->GetVariableTable().Find(u"u")->m_Value), "Int:1");
    EXPECT_EQ(Show(worker.FindScriptEntity(u"sub")->GetVariableTable().Find(u"t")->m_Value), "Int:30");
}

TEST_F(MoaWorker, DamagedSavedWorkers)
{
    LoadTwoScripts();
    ASSERT_TRUE(m_Worker.ResetAndJump(u"MAIN", nullptr));
    ASSERT_TRUE(m_Worker.Call(u"subl", nullptr));
    m_Worker.GetExecStack().back().m_Variables.AddLocal(u"l", Int(1));
    GxMoaVariable op;
    op.SetOpcode(2);
    m_Worker.GetExecStack().back().m_OpcodeList = {op, Int(3)};
    m_Worker.GetValueStack() = {Int(1)};
    const std::string bytes = WriteRecord(Form::Binary, [&](GxContentWriterBase& w) { m_Worker.Write(w); });

    // Cut at every byte: a false result, never a crash, and stepping afterwards ends.
    for (std::size_t cut = 6; cut < bytes.size(); ++cut) {
        GxMoaWorker copy(&m_Moa);
        copy.RebuildScriptEntities();
        BytesReader reader(bytes.substr(0, cut), nullptr, false);
        EXPECT_FALSE(copy.Read(*reader)) << cut;
        m_Moa.ResetRunState();
        for (int i = 0; i < 100 && copy.Step(&m_Binder); ++i) {
        }
    }

    // Huge counts are errors, not allocations.
    auto patched = [&](const char* what, std::uint32_t value) {
        return WriteRecord(Form::Binary, [&](GxContentWriterBase& w) {
            w.WriteWString("m_Name", u"MAIN_WORKER");
            w.WriteListBegin("m_ExecStack", "", std::string_view(what) == "stack" ? value : 0);
            w.WriteListEnd();
            w.WriteListBegin("m_ValueStack", "", std::string_view(what) == "values" ? value : 0);
            w.WriteListEnd();
            GxMoaVariable().Write(w);
        });
    };
    for (const char* what : {"stack", "values"}) {
        GxMoaWorker copy(&m_Moa);
        BytesReader reader(patched(what, 4000000000u), nullptr, false);
        EXPECT_FALSE(copy.Read(*reader)) << what;
        EXPECT_FALSE(copy.IsRunning());
    }
}

TEST_F(MoaWorker, DamagedOpcodeStateInASavedElementIsAScriptError)
{
    LoadTwoScripts();
    ASSERT_TRUE(m_Worker.ResetAndJump(u"MAIN", nullptr));
    GxMoaExecStackElement& element = m_Worker.GetExecStack().back();
    GxMoaVariable op;
    op.SetOpcode(42);   // an assignment whose operands are missing
    element.m_OpcodeList = {op};
    element.m_OpcodePos = 0;
    const std::string bytes = WriteRecord(Form::Text, [&](GxContentWriterBase& w) { m_Worker.Write(w); });
    GxMoaWorker copy(&m_Moa);
    copy.RebuildScriptEntities();
    BytesReader reader(bytes);
    ASSERT_TRUE(copy.Read(*reader));
    GxMoaExecStackElement& read = copy.GetExecStack().back();
    EXPECT_EQ(Exec_Opcode(&m_Binder, read.m_RunPos.m_pEntity, &m_Moa, &copy, true), 0);
    read.m_OpcodePos = -1;
    EXPECT_EQ(Exec_Opcode(&m_Binder, read.m_RunPos.m_pEntity, &m_Moa, &copy, true), 0);
    EXPECT_EQ(m_Log.At(GxDebugListenerBase::kLevelError).size(), 2u);
    // The next statement compiles afresh and runs.
    m_Moa.ResetRunState();
    EXPECT_TRUE(copy.Step(&m_Binder));
}

}  // namespace
