// [Replay end] "RP.END" run by the main worker on the real play screen: outside a replay the script
// goes on; during one the worker stops and the play screen then asks for the replay gallery.
#include "play_screen_fixture.h"

#include "avg/avg_builtin.h"
#include "script/moa_ex.h"
#include "script/script_engine.h"
#include "script/worker.h"
#include "tests/support/moa_assembler.h"

namespace {

using play_screen_test::PlayScreenTest;

class ReplayEndTest : public PlayScreenTest {
protected:
    void SetUp() override
    {
        PlayScreenTest::SetUp();
        CreateScriptEngine(&m_Harness.Core());
        m_Builtins.RegisterBuiltins(GetFunctionBinder());
    }
    void TearDown() override
    {
        DestroyScriptEngine();
        PlayScreenTest::TearDown();
    }
    // The script loaded and started at MAIN on the entered play screen, then one frame.
    void RunFrame()
    {
        MoaAssembler assembler;
        assembler.AddScript(u"main", "BUILTIN RP.END, SetExtraOption\n*MAIN\nRP.END()\nSetExtraOption(3, 1)\n");
        ASSERT_TRUE(assembler.Build(*GetScriptInstance()));
        GetScriptInstance()->BuildVariables();
        GetMainWorker()->RebuildScriptEntities();
        ASSERT_TRUE(GetMainWorker()->ResetAndJump(u"MAIN", nullptr));
        m_Harness.Step(16667, 3);
    }

    AvgBuiltin m_Builtins{&m_Harness.Core()};
};

TEST_F(ReplayEndTest, OutsideAReplayTheScriptGoesOnInsideOneThePlayScreenLeavesForTheGallery)
{
    Build();
    auto* gallery = new GxSeqBase(m_Harness.Root(), u"SeqRPMode");
    Enter();
    RunFrame();
    EXPECT_EQ(m_Perman.m_ExtraOption, 8u);
    EXPECT_FALSE(m_Harness.Manage().IsChangePending(0));

    m_Perman.m_ExtraOption = 0;
    Data().m_IsReplayMode = true;
    RunFrame();
    EXPECT_EQ(m_Perman.m_ExtraOption, 0u);
    EXPECT_FALSE(GetMainWorker()->IsRunning());
    m_Harness.Step(16667);
    const GxSeqWorker* slot = m_Harness.Manage().GetWorker(0);
    EXPECT_TRUE(slot->m_ChangePending);
    EXPECT_EQ(slot->m_Pending, gallery);
}

}  // namespace
