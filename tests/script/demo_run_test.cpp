// [Moa program] the demo game's built program run from "MAIN" to its end with the default
// builtins, the adventure builtins it declares standing in as calls that do nothing.
#include "builtin_fixture.h"

#include "script/delegate_base.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

using namespace moa_test;
using namespace script_test;

namespace {

// An adventure builtin without its play screen: it does nothing and succeeds.
class ScreenlessBuiltin : public GxMoaDelegateBase {
public:
    bool Invoke(const std::u16string&, std::int64_t, GxMoaVariable&, GxMoaWorker*, GxMoaScriptEntity*,
                GxMoaExecStack*, GxMoaVariable&) override
    {
        return true;
    }
};

class MoaDemoRun : public MoaBuiltinTest {};

TEST_F(MoaDemoRun, TheStoryRunsThroughEveryScenePastTheChoiceToTheExtraScene)
{
    // This program lives in <build>/tests; the build writes the demo game to <build>/demo/game.
    const std::filesystem::path build = std::filesystem::read_symlink("/proc/self/exe").parent_path().parent_path();
    std::ifstream in(build / "demo" / "game" / "bincode" / "moacode.mwb", std::ios::binary);
    ASSERT_TRUE(in) << "the build writes the demo program (target demo_content)";
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    ASSERT_TRUE(ReadMoaProgram(bytes, m_Moa));
    for (const GxMoaBuiltinDefinition& builtin : m_Moa.GetBuiltinDefinitions()) {
        if (m_Binder.FindFunction(builtin.m_Name) == nullptr) {
            ASSERT_TRUE(m_Binder.AddFunction(builtin.m_Name.c_str(), new ScreenlessBuiltin));
        }
    }
    m_Moa.BuildVariables();
    m_Worker.RebuildScriptEntities();
    ASSERT_TRUE(m_Worker.ResetAndJump(u"MAIN", nullptr));
    int steps = 0;
    while (steps < 2000 && m_Worker.Step(&m_Binder))
        ++steps;
    EXPECT_FALSE(m_Worker.IsRunning());
    EXPECT_FALSE(m_Moa.IsErrorStop());
    EXPECT_TRUE(m_Log.At(GxDebugListenerBase::kLevelError).empty());

    // The plain worker writes the text lines to the debug log as they are. A choice that does
    // nothing falls through to its first answer; "JumpToTitle" that does nothing falls through
    // into the extra scene, which ends the script.
    std::vector<std::string> spoken;
    std::istringstream log(U8(DebugLog()));
    for (std::string line; std::getline(log, line);)
        if (line.find("「") != std::string::npos)
            spoken.push_back(line);
    ASSERT_EQ(spoken.size(), 5u + 4u + 1u + 3u + 3u);
    EXPECT_EQ(spoken[0], "花子「おはよう。今日は≪不思議／ふしぎ≫な一日になりそうな気がするの。」");
    EXPECT_EQ(spoken[9], "花子「まずは澪ちゃんに、お礼の手紙を書こう。」");
    EXPECT_EQ(spoken.back(), "花子「また、いつでも≪遊／あそ≫びに来てね。」");
}

}  // namespace
