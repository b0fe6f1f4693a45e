// The engine's executable with "AutoCompile" set: it runs the game folder's script compiler
// before it loads the program, reports a compiler that is missing or fails, and then runs
// whatever program "bincode" holds. The save folder sits in the documents of the runner's home.
#include "core/exit_code.h"
#include "tests/support/engine_runner.h"
#include "tests/support/game_folder.h"
#include "tests/support/moa_assembler.h"
#include "tests/support/temp_dir.h"
#include "tests/support/ui/title_rows.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr char kStartFailed[] = "スクリプトコンパイラの起動に失敗しました";
constexpr char kOldScripts[] = "コンパイル時にエラーが発生したため古いスクリプトを実行しています";

void WriteText(const fs::path& path, const std::string& text)
{
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
}

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class AutoCompileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_Temp.Valid());
        ASSERT_TRUE(m_Runner.Valid());
        // A blank in the install folder: the compiler's path must reach it whole.
        const fs::path game = m_Temp.Join("my game");
        WriteText(game / "system" / "sysconf.ini",
                  "APP_TITLE=Compile Game\nAPP_SAVEDIR=COMPILE_SAVE\nSAVE_TO_MYDOCUMENTS=1\n");
        // Debug mode, so that the script's Print reaches "debug.log".
        WriteText(game / "setting.ini", "AutoCompile=1\nDebugModeFlag=1\n");
        m_Game = fs::canonical(game);
        // The title, whose start button begins the game at "MAIN".
        TestGameFolder title(m_Game);
        AddUITables(title, TitleModuleRows(), TitleLayoutRows());
        AddTitleFiles(title);
        ASSERT_TRUE(title.Ok()) << title.Errors().front();
        // What the stand-in compiler "writes": a program that prints one line.
        MoaAssembler assembler;
        assembler.AddScript(u"main", "*MAIN\nPrint(\"compiled run\")\nEXIT(0)\n");
        ASSERT_TRUE(assembler.WriteFile(m_Temp.Join("fresh.mwb"), MoaProgramForm::Binary));
        m_Runner.SetMaxFrames(20);
    }

    // A compiler in the game folder that records its arguments, puts the fresh program into
    // the folder of its second argument and exits with `code`.
    void WriteCompiler(int code)
    {
        const fs::path program = m_Game / "moacgui.exe";
        WriteText(program, "#!/bin/sh\n{ printf '%s\\n' \"$0\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > '" +
                               m_Temp.Join("args.txt").string() + "'\nmkdir -p \"$2\" && cp '" +
                               m_Temp.Join("fresh.mwb").string() + "' \"$2/moacode.mwb\"\nexit " +
                               std::to_string(code) + "\n");
        chmod(program.c_str(), 0755);
    }

    TestTempDir m_Temp{"tw_compile"};
    TestEngineRunner m_Runner{TW_TARNWICK};
    fs::path m_Game;
};

TEST_F(AutoCompileTest, AMissingCompilerIsReportedAndTheGameGoesOn)
{
    const TestEngineResult result = m_Runner.Run(m_Game);
    EXPECT_EQ(result.exitCode, kExitNormal) << result.stderrText;
    // The logs are found in the documents of the runner's home.
    EXPECT_EQ(result.saveFolder.parent_path().parent_path().parent_path(), m_Runner.Home()) << result.saveFolder;
    EXPECT_EQ(result.saveFolder.filename(), "COMPILE_SAVE");
    EXPECT_NE(result.ErrorLogUtf8().find(kStartFailed), std::string::npos) << result.ErrorLogUtf8();
    EXPECT_EQ(result.DebugLogUtf8().find("compiled run"), std::string::npos);
}

TEST_F(AutoCompileTest, TheCompilerRunsBeforeTheProgramIsLoaded)
{
    struct Case {
        int code;
        bool reported;
    };
    for (const Case c : {Case{0, false}, Case{2, true}}) {
        SCOPED_TRACE(c.code);
        fs::remove_all(m_Game / "bincode");
        WriteCompiler(c.code);
        TestEngineRunner runner(TW_TARNWICK);   // fresh logs in a home of its own
        // The title shows by pass 50; its start button, then the title's fade-out.
        runner.SetMaxFrames(150);
        AddTitleClick(runner, 60, u"btn_title_start");
        const TestEngineResult result = runner.Run(m_Game);
        EXPECT_EQ(result.exitCode, kExitNormal) << result.stderrText;
        const std::string game = m_Game.string();
        EXPECT_EQ(ReadText(m_Temp.Join("args.txt")),
                  game + "/moacgui.exe\n" + game + "/scripts\n" + game + "/bincode\n-a\n-mc\n");
        EXPECT_EQ(result.ErrorLogUtf8().find(kStartFailed), std::string::npos);
        EXPECT_EQ(result.ErrorLogUtf8().find(kOldScripts) != std::string::npos, c.reported) << result.ErrorLogUtf8();
        // Whatever the exit code, the program the compiler left is the one that runs.
        EXPECT_NE(result.DebugLogUtf8().find("compiled run\n"), std::string::npos) << result.DebugLogUtf8();
    }
}

}  // namespace
