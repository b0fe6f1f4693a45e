// [Moa program] the demo game's built program run to its end with the default builtins (and its
// fade-in as a builtin that does nothing).
#include "builtin_fixture.h"

#include "script/delegate_base.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

using namespace moa_test;
using namespace script_test;

namespace {

// The play screen's fade-in, which a run without the screen takes as done.
class FadeInWithoutScreen : public GxMoaDelegateBase {
public:
    bool Invoke(const std::u16string&, std::int64_t, GxMoaVariable&, GxMoaWorker*, GxMoaScriptEntity*,
                GxMoaExecStack*, GxMoaVariable&) override
    {
        return true;
    }
};

class MoaDemoRun : public MoaBuiltinTest {};

TEST_F(MoaDemoRun, TheDemoScriptPrintsItsResultsAndEnds)
{
    // This program lives in <build>/tests; the build writes the demo game to <build>/demo/game.
    const std::filesystem::path build = std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path();
    std::ifstream in(build / "demo" / "game" / "bincode" / "moacode.mwb", std::ios::binary);
    ASSERT_TRUE(in) << "the build writes the demo program (target demo_content)";
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(ReadMoaProgram(bytes, m_Moa));
    ASSERT_TRUE(m_Binder.AddFunction(u"fin", new FadeInWithoutScreen));
    m_Moa.BuildVariables();
    m_Worker.RebuildScriptEntities();
    ASSERT_TRUE(m_Worker.ResetAndJump(u"MAIN", nullptr));
    int steps = 0;
    while (steps < 1000 && m_Worker.Step(&m_Binder))
        ++steps;
    EXPECT_FALSE(m_Worker.IsRunning());
    EXPECT_FALSE(m_Moa.IsErrorStop());
    EXPECT_EQ(Show(m_Worker.GetResult()), "Int:0");
    EXPECT_TRUE(m_Log.At(GxDebugListenerBase::kLevelError).empty());
    // The plain worker writes the speaker lines to the debug log as they are.
    EXPECT_EQ(U8(DebugLog()), "plays 1\nsum 10\nten\ntwice 42\nfirst word Tarnwick\nrest engine\nhalf 1.500000\n"
                              "power 1024.000000\nscores 3 40\n花子「ようこそ、タルンウィックへ。」\n花子「はじめまして。」\n");
}

}  // namespace
