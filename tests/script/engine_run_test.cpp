// [Moa engine] the engine run in this process with the script services installed: the start-up
// creates the script engine and loads the game's program, the stand-in boot screen starts "MAIN"
// on the play screen, the script runs to its end, and the reset destroys the engine.
#include "tests/support/engine_run_fixture.h"

#include "data/user_data_perman.h"
#include "foundation/wide_string.h"
#include "script/function_binder.h"
#include "script/moa_ex.h"
#include "script/worker.h"
#include "tests/support/moa_assembler.h"

namespace engine_test {
namespace {

constexpr char kScript[] = R"(*MAIN
GLOBAL INGAME $total = 10
EXTERN INGAME $visits = 3
STATIC INGAME $list[3]
$list[1] = 20
$i = 0
*@loop
$total = $total + $i
$i = $i + 1
IF ($i < 5) {
  GO("@loop")
}
Print("total=" : $total)
IF ($visits == 1) {
  Print("once")
} ELSE IF ($visits == 3) {
  Print("thrice")
} ELSE {
  Print("other")
}
GOSUB("@double", 5)
Print("double=" : RETVAL())
Print("sub=" : StrSub("tarnwick", 1, 3))
Print("find=" : StrFind("tarnwick", "wick"))
Print("str=" : ToStr(1.5))
Print("pow=" : Pow(2, 8))
Print("list=" : ($list[1] + ArraySize($list)))
花子「こんにちは」
Print("100% done")
EXIT(0)
Print("never")
*@double
RETURN($_ * 2)
)";

class ScriptRunTest : public EngineRunTest {
protected:
    void SetUp() override
    {
        EngineRunTest::SetUp();
        UseScriptServices();
        m_Run.SetMaxPasses(150);
        // Debug mode, so that the script's Print reaches "debug.log".
        MakeGameFolder(m_Game, GameFolder{.setting = "DebugModeFlag=1\n"});
        // The default name mode shows a speaker only when the name's image exists.
        std::filesystem::create_directories(m_Game / "cg" / "name");
        std::ofstream(m_Game / "cg" / "name" / "花子.png") << "png";
        m_Module.m_OnCreateSequences = [](GxTaskBase*) {
            new EnterProbe(GxCore::GetInstance()->m_TaskManage->FindTask(u"SeqAvgMain"));
        };
        m_Module.m_OnRegisterBuiltins = [this](GxMoaFunctionBinder* binder) { m_Binder = binder; };
        m_Module.m_OnBeforeReset = [this] {
            m_RunningAtReset = GetMainWorker() != nullptr && GetMainWorker()->IsRunning();
            m_ErrorStopAtReset = GetScriptInstance() != nullptr && GetScriptInstance()->IsErrorStop();
            m_EngineAtReset = GetScriptInstance() != nullptr;
            GxCore* core = GxCore::GetInstance();
            m_LineReadAtReset = core->m_UserDataPerman != nullptr && core->m_UserDataPerman->IsMessageRead(u"main", 28);
            m_PrintReadAtReset = core->m_UserDataPerman != nullptr && core->m_UserDataPerman->IsMessageRead(u"main", 27);
        };
    }

    void WriteProgram(const std::string& source)
    {
        MoaAssembler assembler;
        assembler.AddScript(u"main", source);
        ASSERT_TRUE(assembler.WriteFile(m_Game / "bincode" / "moacode.mwb", MoaProgramForm::Binary));
    }

    // Lines end in "\n" here (the file has CR LF).
    std::string DebugLog() const
    {
        std::string log = ReadLog(m_Game / "ENGINE_SAVE" / "debug.log");
        std::erase(log, '\r');
        return log;
    }
    std::string ErrorLog() const { return ReadLog(m_Game / "ENGINE_SAVE" / "error.log"); }

    GxMoaFunctionBinder* m_Binder = nullptr;
    bool m_RunningAtReset = true;
    bool m_ErrorStopAtReset = true;
    bool m_EngineAtReset = false;
    bool m_LineReadAtReset = false;
    bool m_PrintReadAtReset = true;
};

TEST_F(ScriptRunTest, TheGamesScriptRunsFromMainToItsEnd)
{
    WriteProgram(kScript);
    bool loadedBeforeModules = false;
    m_Module.m_OnInitialize = [&] {
        loadedBeforeModules = GetScriptInstance() != nullptr && GetScriptInstance()->FindLabel(u"MAIN") != nullptr;
    };
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(loadedBeforeModules);
    // The modules registered with the engine's binder, which held the defaults already.
    EXPECT_NE(m_Binder, nullptr);
    EXPECT_TRUE(m_EngineAtReset);
    EXPECT_FALSE(m_RunningAtReset);
    EXPECT_FALSE(m_ErrorStopAtReset);
    EXPECT_EQ(GetScriptInstance(), nullptr);   // the reset destroyed the engine
    EXPECT_TRUE(InOrder(Trace(), {"Enter SeqBoot", "Leave SeqBoot", "Enter SeqAvgMain"}));
    // The text line (line 28) went to the play screen and was marked read; statements are not.
    EXPECT_TRUE(m_LineReadAtReset);
    EXPECT_FALSE(m_PrintReadAtReset);

    const std::string log = DebugLog();
    std::size_t at = 0;
    for (const char* line : {"total=20\n", "thrice\n", "double=10\n", "sub=arn\n", "find=4\n", "str=1.500000\n",
                             "pow=256.000000\n", "list=23\n", "100% done\n"}) {
        const std::size_t found = log.find(line, at);
        ASSERT_NE(found, std::string::npos) << line << " in\n" << log;
        at = found + 1;
    }
    EXPECT_EQ(log.find("never"), std::string::npos);
    const std::string errors = ErrorLog();
    EXPECT_EQ(errors.find("err:"), std::string::npos) << errors;
}

TEST_F(ScriptRunTest, WithoutAProgramTheBootScreenStays)
{
    EXPECT_EQ(Run(), 0);
    EXPECT_NE(ErrorLog().find("bincode/moacode.mwb"), std::string::npos) << ErrorLog();
    EXPECT_TRUE(InOrder(Trace(), {"Enter SeqBoot"}));
    EXPECT_FALSE(InOrder(Trace(), {"Enter SeqAvgMain"}));
}

TEST_F(ScriptRunTest, AProgramWithoutMainIsNotStarted)
{
    WriteProgram("*START\nPrint(\"not started\")\n");
    EXPECT_EQ(Run(), 0);
    EXPECT_TRUE(InOrder(Trace(), {"Enter SeqBoot"}));
    EXPECT_FALSE(InOrder(Trace(), {"Enter SeqAvgMain"}));
    EXPECT_EQ(DebugLog().find("not started"), std::string::npos);
    EXPECT_EQ(ErrorLog().find("err:"), std::string::npos) << ErrorLog();
}

}  // namespace
}  // namespace engine_test
