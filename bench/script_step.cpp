// Statement rate of the script worker: an assembled loop of four statements per pass, stepped
// to its end, beside a plain C++ loop doing the same arithmetic on int64_t in the same run. The
// ratio of the two per-pass times is the figure to watch.
#include "script/delegate_base.h"
#include "script/function_binder.h"
#include "script/moa.h"
#include "script/worker.h"
#include "tests/support/moa_assembler.h"

#include <benchmark/benchmark.h>

#include <cstdint>

namespace {

constexpr std::int64_t kPasses = 100000;

class LoopJump : public GxMoaDelegateBase {
public:
    bool Invoke(const std::u16string&, std::int64_t, GxMoaVariable&, GxMoaWorker* worker, GxMoaScriptEntity*,
                GxMoaExecStack*, GxMoaVariable&) override
    {
        return worker->Jump(u"loop", nullptr);
    }
};

void ScriptLoop(benchmark::State& state)
{
    MoaAssembler assembler;
    assembler.AddBuiltin(u"loopjump");
    assembler.AddScript(u"bench", "GLOBAL INGAME $sum = 0\nGLOBAL INGAME $i = 0\n*loop\n$sum = $sum + $i * 3 % 7\n"
                                  "$i++\nIF ($i < 100000) {\nloopjump()\n}\n");
    GxMoa moa;
    if (!assembler.Build(moa)) {
        state.SkipWithError("the loop does not assemble");
        return;
    }
    moa.BuildVariables();
    GxMoaWorker worker(&moa);
    worker.RebuildScriptEntities();
    GxMoaFunctionBinder binder;
    binder.AddFunction(u"loopjump", new LoopJump);
    std::int64_t statements = 0;
    for (auto _ : state) {
        worker.ClearVariables(3);
        worker.ResetAndJump(u"loop", nullptr);
        while (worker.Step(&binder)) {
            ++statements;
        }
        benchmark::DoNotOptimize(worker.FindVariable(u"sum")->m_Value.ToInt64());
    }
    if (worker.FindVariable(u"i")->m_Value.ToInt64() != kPasses || moa.GetErrorCount() != 0) {
        state.SkipWithError("the loop did not run to its end");
    }
    state.SetItemsProcessed(state.iterations() * kPasses);
    state.counters["statements"] =
        benchmark::Counter(static_cast<double>(statements), benchmark::Counter::kIsRate);
}
BENCHMARK(ScriptLoop)->Unit(benchmark::kMillisecond);

void PlainLoop(benchmark::State& state)
{
    for (auto _ : state) {
        std::int64_t sum = 0;
        std::int64_t i = 0;
        do {
            benchmark::DoNotOptimize(i);
            sum = sum + i * 3 % 7;
            ++i;
        } while (i < kPasses);
        benchmark::DoNotOptimize(sum);
    }
    state.SetItemsProcessed(state.iterations() * kPasses);
}
BENCHMARK(PlainLoop)->Unit(benchmark::kMillisecond);

}  // namespace
