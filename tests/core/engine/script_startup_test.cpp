// [Engine] where the game start-up and reset call the script engine, seen through a recording
// GxScriptServicesBase: the compiler only with "AutoCompile", the engine made and its program
// loaded before the modules initialise, the binder handed to the modules' late start-up, the
// boot screen starting "MAIN", and the engine destroyed by the reset.
#include "tests/support/engine_run_fixture.h"

#include "script/function_binder.h"

namespace engine_test {
namespace {

class RecordingScriptServices : public GxScriptServicesBase {
public:
    int CompileScripts() override { return Record(u"Script::Compile"), 0; }
    void CreateScriptEngine(GxCore* core) override
    {
        Record(u"Script::Create");
        m_Core = core;
    }
    bool LoadScriptBinary() override { return Record(u"Script::Load"), true; }
    void DestroyScriptEngine() override { Record(u"Script::Destroy"); }
    GxMoaFunctionBinder* GetFunctionBinder() override { return &m_Binder; }
    bool ResetAndJump(const std::u16string& label) override
    {
        Record(u"Script::ResetAndJump " + label);
        return m_HasMain && label == u"MAIN";
    }
    bool StepMainWorker() override { return false; }
    bool IsMainWorkerRunning() override { return false; }
    bool IsErrorStop() override { return false; }

    GxMoaFunctionBinder m_Binder;
    bool m_HasMain = true;
    GxCore* m_Core = nullptr;

private:
    static void Record(const std::u16string& event) { GxStandinTrace::Record(event); }
};

class ScriptStartupTest : public EngineRunTest {
protected:
    void SetUp() override
    {
        EngineRunTest::SetUp();
        m_Previous = SetScriptServices(&m_Script);
        m_Run.SetMaxPasses(5);
        m_Module.m_OnRegisterBuiltins = [this](GxMoaFunctionBinder* binder) { m_Binder = binder; };
    }
    void TearDown() override
    {
        SetScriptServices(m_Previous);
        EngineRunTest::TearDown();
    }

    RecordingScriptServices m_Script;
    GxScriptServicesBase* m_Previous = nullptr;
    GxMoaFunctionBinder* m_Binder = nullptr;
};

TEST_F(ScriptStartupTest, TheStartUpMakesAndLoadsTheEngineBeforeTheModulesAndTheResetDestroysIt)
{
    MakeGameFolder(m_Game, GameFolder{GameFolder().sysconf, "AutoCompile=1\n"});
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(InOrder(Trace(), {"GameStartup", "Script::Compile", "Script::Create", "Script::Load",
                                  "Test::Initialize", "Test::RegisterBuiltins", "Enter SeqBoot",
                                  "Script::ResetAndJump MAIN", "Enter SeqAvgMain", "GameReset", "Test::BeforeReset",
                                  "Script::Destroy", "Test::AfterReset"}));
    EXPECT_EQ(m_Binder, &m_Script.m_Binder);
    EXPECT_EQ(m_Script.m_Core, GxCore::GetInstance());
    const std::vector<std::string> events = Trace();
    EXPECT_EQ(std::count(events.begin(), events.end(), "Script::Create"), 1);
    EXPECT_EQ(std::count(events.begin(), events.end(), "Script::Destroy"), 1);
}

TEST_F(ScriptStartupTest, WithoutAutoCompileOrMainNeitherRuns)
{
    m_Script.m_HasMain = false;
    MakeGameFolder(m_Game, GameFolder{GameFolder().sysconf, "AutoCompile=0\n"});
    EXPECT_EQ(Run(), 0);
    const std::vector<std::string> events = Trace();
    EXPECT_EQ(std::count(events.begin(), events.end(), "Script::Compile"), 0);
    EXPECT_TRUE(InOrder(events, {"Script::Create", "Script::Load", "Enter SeqBoot", "Script::ResetAndJump MAIN"}));
    EXPECT_FALSE(InOrder(events, {"Enter SeqAvgMain"}));
}

}  // namespace
}  // namespace engine_test
