// The engine's executable on scripts that never end or grow without bound: a loop that never
// waits, a recursion that never returns, and text and arrays that double at every turn. The
// window must still answer, so a scripted close ends the run normally, with the shut-down saves
// written; a runaway growth stops only the script, with one error line naming the limit it hit.
#include "core/exit_code.h"
#include "tests/support/engine_runner.h"
#include "tests/support/game_folder.h"
#include "tests/support/moa_assembler.h"
#include "tests/support/temp_dir.h"
#include "tests/support/ui/title_rows.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// Far more passes than a run can make before the runner gives up: only the close can end it.
constexpr std::uint32_t kUnreachableFrames = 1000000;
// The title shows by pass 50 and its start button is pressed at pass 60; the title's fade-out
// (400 ms, about 25 passes at most) then brings the play screen, a loop is well under way some
// passes later, and a growth reaches its limit within a few passes, as a pass runs a fixed count
// of statements.
constexpr std::uint32_t kStartPass = 60;
constexpr std::uint32_t kLoopClosePass = 140;
constexpr std::uint32_t kGrowthClosePass = 170;

// One statement calls itself fifty times over, so the recursion reaches the depth limit in few
// statements.
std::string RecursionScript()
{
    std::string line;
    for (int i = 0; i < 50; ++i)
        line += i == 0 ? "GOSUB(\"@deeper\")" : " : GOSUB(\"@deeper\")";
    return "*MAIN\n*@deeper\n" + line + "\n";
}

void WriteGameFile(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

// The address sanitizer holds freed memory back for a while (256 MB by default); the runs here
// free much of what they build, so a small hold keeps their memory modest.
void HoldLittleFreedMemory(TestEngineRunner& runner)
{
    const char* options = std::getenv("ASAN_OPTIONS");
    const std::string inherited = options != nullptr ? options : "";
    runner.SetEnvironment("ASAN_OPTIONS", (inherited.empty() ? "" : inherited + ":") + "quarantine_size_mb=16");
}

class RunawayScriptTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_Temp.Valid()); }

    // A game folder whose one script is `source`, begun from the title; its saves go to the
    // runner's documents.
    fs::path MakeGame(const std::string& name, const std::string& source)
    {
        const fs::path game = m_Temp.Join(name);
        WriteGameFile(game / "system" / "sysconf.ini",
                      "APP_TITLE=Runaway " + name + "\nAPP_SAVEDIR=RUNAWAY_SAVE\nSAVE_TO_MYDOCUMENTS=1\n");
        WriteGameFile(game / "setting.ini", "DebugModeFlag=1\n");   // the script's Print writes only in debug mode
        MoaAssembler assembler;
        assembler.AddScript(u"main", source);
        EXPECT_TRUE(assembler.WriteFile(game / "bincode" / "moacode.mwb", MoaProgramForm::Binary));
        TestGameFolder title(game);
        AddUITables(title, TitleModuleRows(), TitleLayoutRows());
        AddTitleFiles(title);
        EXPECT_TRUE(title.Ok());
        return game;
    }

    static void ExpectNormalEndWithSaves(const TestEngineResult& result)
    {
        EXPECT_TRUE(result.started);
        EXPECT_FALSE(result.timedOut) << "the window did not answer";
        EXPECT_EQ(result.exitCode, kExitNormal) << result.stderrText;
        ASSERT_FALSE(result.saveFolder.empty());
        EXPECT_TRUE(fs::is_regular_file(result.saveFolder / "userconf.dat"));
        EXPECT_TRUE(fs::is_regular_file(result.saveFolder / "permanent.dat"));
    }

    TestTempDir m_Temp{"tw_runaway"};
};

struct RunawayCase {
    const char* name;
    std::string source;
    const char* errorLine;   // empty: the script runs on without an error
};

const RunawayCase kRunawayCases[] = {
    {"loop", "*MAIN\nPrint(\"looping\")\n*@loop\n$n = $n + 1\nGO(\"@loop\")\n", ""},
    {"if_loop", "*MAIN\nPrint(\"looping\")\n*@loop\nIF ($n >= 0) {\n$n = $n + 1\nGO(\"@loop\")\n}\n", ""},
    {"recursion", RecursionScript(), "the exec stack has reached its limit of 200000 blocks"},
    {"text", "*MAIN\n$s = \"ab\"\n*@grow\n$s = $s : $s\nGO(\"@grow\")\n",
     "a text would pass the limit of 4194304 characters"},
    {"nesting", "*MAIN\n*@grow\n$a[0] = $a\nGO(\"@grow\")\n", "arrays would nest deeper than the limit of 200 levels"},
};

void PrintTo(const RunawayCase& c, std::ostream* out)
{
    *out << c.name;
}

// Each runaway script is a test of its own: the runs are long under the sanitizers, and the
// program's shards spread them.
class RunawayScriptCloseTest : public RunawayScriptTest, public ::testing::WithParamInterface<RunawayCase> {};

TEST_P(RunawayScriptCloseTest, AScriptedCloseEndsTheRunawayScriptWithTheSaves)
{
    const RunawayCase& c = GetParam();
    TestEngineRunner runner(TW_TARNWICK);
    ASSERT_TRUE(runner.Valid());
    HoldLittleFreedMemory(runner);
    runner.SetMaxFrames(kUnreachableFrames);
    AddTitleClick(runner, kStartPass, u"btn_title_start");
    runner.AddInput(*c.errorLine == '\0' ? kLoopClosePass : kGrowthClosePass, "close");
    const TestEngineResult result = runner.Run(MakeGame(c.name, c.source));
    ExpectNormalEndWithSaves(result);
    const std::string errors = result.ErrorLogUtf8();
    if (*c.errorLine == '\0') {
        // The loop was under way when the close came, and met no error.
        EXPECT_NE(result.DebugLogUtf8().find("looping"), std::string::npos) << result.DebugLogUtf8();
        EXPECT_EQ(errors.find("err:"), std::string::npos) << errors;
    } else {
        const std::size_t at = errors.find(c.errorLine);
        EXPECT_NE(at, std::string::npos) << errors;
        EXPECT_EQ(at, errors.rfind(c.errorLine)) << errors;   // reported once: the script stopped there
    }
}

INSTANTIATE_TEST_SUITE_P(Scripts, RunawayScriptCloseTest, ::testing::ValuesIn(kRunawayCases),
                         [](const ::testing::TestParamInfo<RunawayCase>& info) { return std::string(info.param.name); });

TEST_F(RunawayScriptTest, AnEndlessLoopStillReachesTheFrameLimit)
{
    TestEngineRunner runner(TW_TARNWICK);
    ASSERT_TRUE(runner.Valid());
    runner.SetMaxFrames(kLoopClosePass);
    AddTitleClick(runner, kStartPass, u"btn_title_start");
    const TestEngineResult result = runner.Run(MakeGame("frames", "*MAIN\nPrint(\"looping\")\n*@loop\nGO(\"@loop\")\n"));
    ExpectNormalEndWithSaves(result);
    EXPECT_NE(result.DebugLogUtf8().find("looping"), std::string::npos) << result.DebugLogUtf8();
}

}  // namespace
