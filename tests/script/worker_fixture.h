// A script instance with one worker over an assembled program, and a binder of test builtins:
// "go", "gosub", "return", "exit" move the worker; "f" records its arguments and returns the
// first; "fail" returns false.
#pragma once

#include "script/exec_stack_element.h"
#include "script/function_binder.h"
#include "script/moa_ex.h"
#include "script/opcode_evaluator.h"
#include "script/worker.h"

#include "moa_log_fixture.h"
#include "script_test_support.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace moa_test {

class FunctionDelegate : public GxMoaDelegateBase {
public:
    using Body = std::function<bool(GxMoaVariable& args, GxMoaWorker* worker, GxMoaVariable& result)>;
    explicit FunctionDelegate(Body body) : m_Body(std::move(body)) {}
    bool Invoke(const std::u16string&, std::int64_t, GxMoaVariable& args, GxMoaWorker* worker, GxMoaScriptEntity*,
                GxMoaExecStack*, GxMoaVariable& result) override
    {
        return m_Body(args, worker, result);
    }

private:
    Body m_Body;
};

inline std::u16string ArgText(GxMoaVariable& args, std::int32_t i)
{
    GxMoaVariable* element = args.GetElement(i);
    return element != nullptr ? element->ToString() : std::u16string();
}

// "Int:5", "Float:2.500000", "Str:ab", "Null", "Array[Int:1,Str:a]".
inline std::string Show(const GxMoaVariable& value)
{
    switch (value.GetType()) {
    case MOA_VALUE_NULL: return "Null";
    case MOA_VALUE_ARRAY: {
        std::string text = "Array[";
        GxMoaVariable copy = value;
        for (std::int32_t i = 0; i < copy.ArraySize(); ++i) {
            text += (i > 0 ? "," : "") + Show(*copy.GetElement(i));
        }
        return text + "]";
    }
    default:
        return script_test::U8(GxMoaVariable::GetValueTypeName(value.GetType())) + ":" +
               script_test::U8(value.ToString());
    }
}

class MoaWorkerTest : public MoaLogTest {
protected:
    void SetUp() override
    {
        MoaLogTest::SetUp();
        AddBuiltin(u"go", [](GxMoaVariable& args, GxMoaWorker* w, GxMoaVariable&) {
            return w->Jump(ArgText(args, 0), nullptr);
        });
        AddBuiltin(u"gosub", [](GxMoaVariable& args, GxMoaWorker* w, GxMoaVariable&) {
            GxMoaVariableSet argument(u"_", 1, args.ArraySize() > 1 ? *args.GetElement(1) : GxMoaVariable());
            return w->Call(ArgText(args, 0), &argument);
        });
        AddBuiltin(u"return", [](GxMoaVariable& args, GxMoaWorker* w, GxMoaVariable&) {
            w->Return(args.ArraySize() > 0 ? args.GetElement(0) : nullptr);
            return true;
        });
        AddBuiltin(u"exit", [](GxMoaVariable& args, GxMoaWorker* w, GxMoaVariable&) {
            w->Exit(args.ArraySize() > 0 ? args.GetElement(0) : nullptr);
            return true;
        });
        AddBuiltin(u"f", [this](GxMoaVariable& args, GxMoaWorker*, GxMoaVariable& result) {
            m_Calls.push_back(Show(args));
            if (args.ArraySize() > 0) {
                result = *args.GetElement(0);
            }
            return true;
        });
        AddBuiltin(u"fail", [](GxMoaVariable&, GxMoaWorker*, GxMoaVariable&) { return false; });
    }

    void AddBuiltin(const char16_t* name, FunctionDelegate::Body body)
    {
        m_Binder.AddFunction(name, new FunctionDelegate(std::move(body)));
        m_Assembler.AddBuiltin(name);
    }

    // Assembles the scripts added to m_Assembler and sets the program up as the engine does.
    ::testing::AssertionResult Load()
    {
        ::testing::AssertionResult loaded = LoadProgram(m_Assembler, m_Moa);
        if (loaded) {
            m_Moa.BuildVariables();
            m_Worker.RebuildScriptEntities();
            m_Log.Clear();
        }
        return loaded;
    }

    // A frame at the start of script `name`, as a jump to its first line would place it.
    GxMoaExecStackElement& PushFrame(const std::u16string& name, std::int32_t kind = MOA_BLOCK_FRAME)
    {
        GxMoaExecStackElement& element = m_Worker.GetExecStack().emplace_back();
        element.m_BlockType = kind;
        element.m_RunPos.m_Line = 0;
        element.m_RunPos.m_Pos = 0;
        element.m_RunPos.m_ScriptName = name;
        element.m_RunPos.m_pEntity = m_Worker.FindScriptEntity(name);
        return element;
    }

    std::string Var(const std::u16string& name)
    {
        GxMoaVariableSet* found = Exec_FindVariable(name, m_Worker.FindTopFrame(),
                                                    m_Worker.GetExecStack().empty()
                                                        ? nullptr
                                                        : m_Worker.GetExecStack().back().m_RunPos.m_pEntity,
                                                    &m_Worker);
        return found != nullptr ? Show(found->m_Value) : "absent";
    }

    std::vector<std::string> Lines(std::int32_t level) const
    {
        std::vector<std::string> lines;
        for (const std::u16string& line : m_Log.At(level)) {
            lines.push_back(script_test::U8(line));
        }
        return lines;
    }

    GxMoaEx m_Moa;
    GxMoaWorker m_Worker{&m_Moa};
    GxMoaFunctionBinder m_Binder;
    MoaAssembler m_Assembler;
    std::vector<std::string> m_Calls;
};

}  // namespace moa_test
