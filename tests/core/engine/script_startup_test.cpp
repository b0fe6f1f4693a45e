// [Engine] where the game start-up and reset set up the script engine, watched through the
// engine's object makers: the compiler only with "AutoCompile", the engine made and its program
// loaded before the modules initialise, the binder handed to the modules' late start-up, the
// stand-in boot screen starting "MAIN", and the engine destroyed by the reset.
#include "tests/support/engine_run_fixture.h"

#include "script/builtin_default.h"
#include "script/function_binder.h"
#include "script/moa_ex.h"
#include "script/worker.h"
#include "script/worker_ex.h"
#include "tests/support/game_folder.h"

namespace engine_test {
namespace {

GxMoaFunctionBinder* g_MadeBinder = nullptr;
GxCore* g_WorkerCore = nullptr;

class TracedInstance : public GxMoaEx {
public:
    ~TracedInstance() override { GxStandinTrace::Record(u"Script::Destroy"); }
};

const GxScriptEngineMakers kTracedMakers{
    [] {
        GxStandinTrace::Record(u"Script::Create");
        return static_cast<GxMoaEx*>(new TracedInstance());
    },
    [](GxMoaEx* instance, GxCore* core) {
        g_WorkerCore = core;
        return static_cast<GxMoaWorker*>(new GxMoaWorkerEx(instance, core));
    },
    [] { return new GxMoaBuiltinDefault(); },
    [] {
        g_MadeBinder = new GxMoaFunctionBinder();
        return g_MadeBinder;
    },
};

class ScriptStartupTest : public EngineRunTest {
protected:
    void SetUp() override
    {
        EngineRunTest::SetUp();
        UseScriptServices();
        SetScriptEngineMakers(&kTracedMakers);
        g_MadeBinder = nullptr;
        g_WorkerCore = nullptr;
        m_Run.SetMaxPasses(5);
        m_Module.m_OnInitialize = [] { GxStandinTrace::Record(u"Test::Initialize"); };
        m_Module.m_OnCreateSequences = [](GxTaskBase*) {
            new EnterProbe(GxCore::GetInstance()->m_TaskManage->FindTask(u"SeqAvgMain"));
        };
        m_Module.m_OnRegisterBuiltins = [this](GxMoaFunctionBinder* binder) {
            m_Binder = binder;
            // The program is loaded by now: its label is there.
            if (GetMainWorker() != nullptr && GetMainWorker()->ResetAndJump(u"MAIN", nullptr))
                GxStandinTrace::Record(u"Script::Loaded");
        };
    }
    void TearDown() override
    {
        EngineRunTest::TearDown();
        SetScriptEngineMakers(nullptr);
    }

    void MakeGame(const char* setting, bool withMain)
    {
        MakeGameFolder(m_Game, GameFolder{GameFolder().sysconf, setting});
        TestGameFolder game(m_Game);
        game.Script(withMain ? "*MAIN\nEXIT()\n" : "*OTHER\nEXIT()\n");
        ASSERT_TRUE(game.Ok());
    }

    GxMoaFunctionBinder* m_Binder = nullptr;
};

TEST_F(ScriptStartupTest, TheStartUpMakesAndLoadsTheEngineBeforeTheModulesAndTheResetDestroysIt)
{
    MakeGame("AutoCompile=1\n", true);
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(InOrder(Trace(), {"GameStartup", "Script::Create", "Test::Initialize", "Script::Loaded",
                                  "Enter SeqBoot", "Enter SeqAvgMain", "GameReset", "Test::BeforeReset",
                                  "Script::Destroy", "Test::AfterReset"}));
    EXPECT_NE(m_Binder, nullptr);
    EXPECT_EQ(m_Binder, g_MadeBinder);
    EXPECT_EQ(g_WorkerCore, GxCore::GetInstance());
    const std::vector<std::string> events = Trace();
    EXPECT_EQ(std::count(events.begin(), events.end(), "Script::Create"), 1);
    EXPECT_EQ(std::count(events.begin(), events.end(), "Script::Destroy"), 1);
    EXPECT_EQ(GetScriptInstance(), nullptr);
    // There is no compiler here: its start failure shows that it was run.
    EXPECT_NE(ReadLog(m_Game / "ENGINE_SAVE" / "error.log").find("スクリプトコンパイラの起動に失敗しました"),
              std::string::npos);
}

TEST_F(ScriptStartupTest, WithoutAutoCompileOrMainNeitherRuns)
{
    MakeGame("AutoCompile=0\n", false);
    EXPECT_EQ(Run(), 0);
    const std::vector<std::string> events = Trace();
    EXPECT_TRUE(InOrder(events, {"Script::Create", "Enter SeqBoot"}));
    EXPECT_FALSE(InOrder(events, {"Script::Loaded"}));
    EXPECT_FALSE(InOrder(events, {"Enter SeqAvgMain"}));
    EXPECT_EQ(ReadLog(m_Game / "ENGINE_SAVE" / "error.log").find("スクリプトコンパイラ"), std::string::npos);
}

}  // namespace
}  // namespace engine_test
