// A script instance and its main worker with the default builtins bound, as the engine sets
// them up: builtins called directly by name, and assembled scripts run to their end.
#pragma once

#include "script/builtin_default.h"
#include "script/function_binder.h"
#include "script/moa_ex.h"
#include "script/worker.h"

#include "moa_log_fixture.h"
#include "worker_fixture.h"

#include <string>
#include <vector>

namespace moa_test {

class MoaBuiltinTest : public MoaLogTest {
protected:
    void SetUp() override
    {
        MoaLogTest::SetUp();
        m_Builtins.Register(&m_Binder);
    }

    // The builtin under its registered (lower-cased) name, with the arguments as given; the
    // result as Show prints it, "false" when the handler failed.
    std::string Call(const std::u16string& name, GxMoaVariable args)
    {
        GxMoaVariable result;
        if (!m_Binder.CallFunction(WideToLowerAscii(name), 0, args, &m_Worker, nullptr, &m_Worker.GetExecStack(),
                                   result))
            return "false";
        m_LastArgs = args;
        return Show(result);
    }
    std::string Call(const std::u16string& name, std::initializer_list<GxMoaVariable> args)
    {
        return Call(name, script_test::Arr(args));
    }

    // Script "main" from `body` after "*MAIN", loaded and started at MAIN, stepped until the
    // worker stops (at most 1000 steps).
    ::testing::AssertionResult Run(const std::string& body)
    {
        MoaAssembler assembler;
        assembler.AddScript(u"main", "*MAIN\n" + body + "\n");
        ::testing::AssertionResult loaded = LoadProgram(assembler, m_Moa);
        if (!loaded)
            return loaded;
        m_Moa.ResetRunState();
        m_Moa.BuildVariables();
        m_Worker.RebuildScriptEntities();
        m_Log.Clear();
        if (!m_Worker.ResetAndJump(u"MAIN", nullptr))
            return ::testing::AssertionFailure() << "no MAIN";
        for (int steps = 0; steps < 1000 && m_Worker.Step(&m_Binder); ++steps) {
        }
        return ::testing::AssertionSuccess();
    }

    std::vector<std::string> Lines(std::int32_t level) const
    {
        std::vector<std::string> lines;
        for (const std::u16string& line : m_Log.At(level))
            lines.push_back(script_test::U8(line));
        return lines;
    }

    GxMoaEx m_Moa;
    GxMoaWorker m_Worker{&m_Moa};
    GxMoaBuiltinDefault m_Builtins;
    GxMoaFunctionBinder m_Binder;
    GxMoaVariable m_LastArgs;
};

}  // namespace moa_test
