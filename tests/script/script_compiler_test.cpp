// [Moa engine] the outside compiler run: its command line, the wait for its exit code and the
// two error lines, with a stand-in "moacgui.exe" (a shell script) in the game folder.
#include "script/script_compiler.h"

#include "foundation/wide_string.h"

#include "moa_log_fixture.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

using namespace moa_test;

namespace {

constexpr char16_t kStartFailed[] = u"スクリプトコンパイラの起動に失敗しました\n";
constexpr char16_t kOldScripts[] = u"コンパイル時にエラーが発生したため古いスクリプトを実行しています\n";

class ScriptCompiler : public MoaLogTest {
protected:
    // The game folder is "<temp>/<name>"; the test runs inside it.
    void EnterGame(const std::string& name)
    {
        m_Game = m_Dir.Join(name);
        std::filesystem::create_directories(m_Game);
        m_Previous = std::filesystem::current_path();
        std::filesystem::current_path(m_Game);
        m_Game = std::filesystem::current_path();   // as the engine sees it, links resolved
        m_Entered = true;
    }
    void TearDown() override
    {
        if (m_Entered) std::filesystem::current_path(m_Previous);
        MoaLogTest::TearDown();
    }

    // A compiler that writes each argument (the program first) on a line of "args.txt" and
    // exits with `code`.
    void WriteCompiler(int code)
    {
        const std::filesystem::path program = m_Game / "moacgui.exe";
        std::ofstream(program) << "#!/bin/sh\n{ echo \"$0\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; done; } > '"
                               << (m_Dir.Join("args.txt")).string() << "'\nexit " << code << "\n";
        chmod(program.c_str(), 0755);
    }
    std::string RecordedArguments() const
    {
        std::ifstream stream(m_Dir.Join("args.txt"));
        std::stringstream text;
        text << stream.rdbuf();
        return text.str();
    }

    std::filesystem::path m_Game;
    std::filesystem::path m_Previous;
    bool m_Entered = false;
};

TEST_F(ScriptCompiler, WithoutACompilerReportsTheStartFailure)
{
    EnterGame("game");
    EXPECT_EQ(CompileScripts(), 1);
    EXPECT_EQ(m_Log.At(GxDebugListenerBase::kLevelError), std::vector<std::u16string>{kStartFailed});
}

TEST_F(ScriptCompiler, PassesTheFoldersAndSwitchesAndReturnsTheExitCode)
{
    struct Case {
        const char* folder;
        int code;
        std::vector<std::u16string> errors;
    };
    const Case cases[] = {
        {"game", 2, {kOldScripts}},
        {"game", 0, {}},
        {"my game", 0, {}},   // a blank in the install folder splits nothing
        {"my game", 3, {kOldScripts}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.folder) + " exit " + std::to_string(c.code));
        if (m_Entered) std::filesystem::current_path(m_Previous);
        EnterGame(c.folder);
        WriteCompiler(c.code);
        m_Log.Clear();
        std::filesystem::remove(m_Dir.Join("args.txt"));

        EXPECT_EQ(CompileScripts(), c.code);
        EXPECT_EQ(m_Log.At(GxDebugListenerBase::kLevelError), c.errors);
        const std::string game = m_Game.string();
        EXPECT_EQ(RecordedArguments(),
                  game + "/moacgui.exe\n" + game + "/scripts\n" + game + "/bincode\n-a\n-mc\n");
    }
}

TEST_F(ScriptCompiler, QuotesEveryPathOfTheCommandLine)
{
    EnterGame("my game");
    const std::u16string game = Utf8ToWide(m_Game.string());
    EXPECT_EQ(BuildCompilerCommandLine(), u"\"" + game + u"/moacgui.exe\" \"" + game + u"/scripts\" \"" + game +
                                              u"/bincode\" -a -mc");
}

}  // namespace
