// The engine binary with the resident system layer of the kit: Escape, the variable dump and the
// shut-down dialog driven by scripted input, the window's close answered by the dialog and ended
// by its "yes", the player's files written by that shut-down; and a folder without one of the
// layer's rows still runs.
#include "data/user_config.h"
#include "data/user_data_perman.h"
#include "foundation/bin_buffer.h"
#include "tests/support/engine_runner.h"
#include "tests/support/game_folder.h"
#include "tests/support/temp_dir.h"
#include "tests/support/ui/system_layer_rows.h"
#include "tests/support/ui/title_rows.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;

// Far beyond any pass a run reaches: only the dialog's "yes" ends it.
constexpr std::uint32_t kNoFrameBound = 1000000;

// The shut-down dialog (400 x 200) centred and 120 above the middle: yes and no along its bottom.
constexpr int kDialogX = (1024 - kSystemDialogWidth) / 2;
constexpr int kDialogY = (768 - kSystemDialogHeight) / 2 - 120;
constexpr int kYesX = kDialogX + 84 + kSystemButtonWidth / 2;
constexpr int kNoX = kDialogX + 216 + kSystemButtonWidth / 2;
constexpr int kButtonY = kDialogY + 120 + kSystemButtonHeight / 2;

// The script stops on an error at once and its worker stays where it stopped, so that it has a
// script and a line while every pass stays cheap.
TestGameFolder SystemLayerGame(const fs::path& path, const std::vector<std::u16string>& omit = {},
                               const TestIniKeys& setting = {{"DebugModeFlag", "1"}},
                               std::string_view script = "*MAIN\n$count = 7\nGO(\"@nowhere\")\n")
{
    TestGameFolder game(path);
    game.SysConf({{"APP_TITLE", "System Layer"}, {"APP_SAVEDIR", "SYS_SAVE"}, {"SAVE_TO_MYDOCUMENTS", "0"}})
        .Setting(setting)
        .EmptyTables()
        .Script(script)
        .StartupFiles();
    AddSystemLayer(game, {}, {}, omit);
    return game;
}

std::vector<unsigned char> ReadBytes(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), {});
}

// UTF-16LE bytes after the byte-order mark, as ASCII (other units as '?').
std::string AsciiOfUtf16(const std::vector<unsigned char>& bytes)
{
    std::string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text += bytes[i + 1] == 0 && bytes[i] < 0x80 ? static_cast<char>(bytes[i]) : '?';
    return text;
}

// A stand-in editor that writes its arguments, one a line, to "args.txt" beside it.
fs::path WriteEditor(const fs::path& folder)
{
    const fs::path program = folder / "editor";
    const std::string at = folder.string() + "/";
    std::ofstream(program) << "#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" << at
                           << "args.tmp'\nmv '" << at << "args.tmp' '" << at << "args.txt'\n";
    fs::permissions(program, fs::perms::owner_all);
    return program;
}

// The editor is started and never waited for.
bool EventuallyExists(const fs::path& path)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (!fs::exists(path)) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void Click(TestEngineRunner& runner, std::uint32_t pass, int x, int y)
{
    const std::string at = " " + std::to_string(x) + " " + std::to_string(y);
    runner.AddInput(pass, "move" + at);
    runner.AddInput(pass + 1, "ldown" + at);
    runner.AddInput(pass + 2, "lup" + at);
}

TEST(SystemLayerRun, EscapeDumpAndTheShutdownDialogEndTheRunThroughItsYes)
{
    TestTempDir folder("tw_system_layer_run");
    ASSERT_TRUE(folder.Valid());
    const fs::path editor = WriteEditor(folder.Path());
    TestGameFolder game = SystemLayerGame(
        folder.Join("game"), {}, {{"DebugModeFlag", "1"}, {"TextEditorCommand", editor.string() + " %file %line"}});
    // The title too, whose start button runs the script.
    AddSystemLayer(game, TitleModuleRows(), TitleLayoutRows());
    AddTitleFiles(game);
    ASSERT_TRUE(game.Ok()) << game.Errors().front();

    TestEngineRunner runner(TW_TARNWICK);
    ASSERT_TRUE(runner.Valid());
    runner.SetMaxFrames(kNoFrameBound);
    runner.SetTimeoutSeconds(120);
    // The title shows by pass 50; its start button and the title's fade-out (400 ms) take the
    // game to the play screen, where the script stops at once.
    AddTitleClick(runner, 60, u"btn_title_start");
    runner.AddInput(130, "keydown F11");
    // Well after the title's fade-out, which would lie over the dialog.
    runner.AddInput(220, "keydown Escape");   // opens
    runner.AddInput(221, "keyup Escape");
    runner.AddInput(240, "keydown Escape");   // closes
    runner.AddInput(241, "keyup Escape");
    runner.SetCapturePasses({230, 250});
    runner.AddInput(260, "close");            // opens instead of closing
    Click(runner, 270, kNoX, kButtonY);       // closes
    runner.AddInput(290, "close");            // opens again
    // The dump comes only from a run that none of the steps above has ended.
    runner.AddInput(295, "keydown F1");
    runner.AddInput(296, "keyup F1");
    Click(runner, 300, kYesX, kButtonY);      // ends the program
    const TestEngineResult result = runner.Run(game.Path());
    ASSERT_TRUE(result.started);
    EXPECT_FALSE(result.timedOut) << "the dialog's yes did not end the run";
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
    ASSERT_FALSE(result.saveFolder.empty());

    // The dialog at the centre raised by 120, its buttons at their places; then gone.
    ASSERT_EQ(result.frames.count(230), 1u);
    const TestCapturedFrame& open = result.frames.at(230);
    EXPECT_EQ(open.At(kDialogX + 4, kDialogY + 4), kShutdownDialogColor);
    EXPECT_EQ(open.At(kDialogX + kSystemDialogWidth - 4, kDialogY + kSystemDialogHeight - 4), kShutdownDialogColor);
    EXPECT_EQ(open.At(kYesX, kButtonY), kYesButtonColor);
    EXPECT_EQ(open.At(kNoX, kButtonY), kNoButtonColor);
    EXPECT_NE(open.At(kDialogX - 4, kDialogY + 4), kShutdownDialogColor);
    ASSERT_EQ(result.frames.count(250), 1u);
    const TestCapturedFrame& closed = result.frames.at(250);
    EXPECT_NE(closed.At(kDialogX + 4, kDialogY + 4), kShutdownDialogColor);
    EXPECT_NE(closed.At(kYesX, kButtonY), kYesButtonColor);

    // The dump: BOM, the local time, then the main worker's variables.
    const fs::path dump = result.saveFolder / "vardump.txt";
    const std::vector<unsigned char> bytes = ReadBytes(dump);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    const std::string text = AsciiOfUtf16(bytes);
    const std::regex firstLines("^\\d{4}/\\d{2}/\\d{2} \\d{2}:\\d{2}:\\d{2}\r\n----Worker:MAIN_WORKER\r\n");
    EXPECT_TRUE(std::regex_search(text, firstLines)) << text;
    const std::string debug = result.DebugLogUtf8();
    EXPECT_NE(debug.find(dump.string() + "に通常変数をダンプしました"), std::string::npos) << debug;

    // The editor on the absolute path of the running script, at a line of the loop.
    ASSERT_TRUE(EventuallyExists(folder.Path() / "args.txt"));
    std::ifstream args(folder.Path() / "args.txt");
    std::string file, line;
    std::getline(args, file);
    std::getline(args, line);
    EXPECT_EQ(file, (fs::canonical(game.Path()) / "scripts" / "main").string());
    EXPECT_GE(std::stoi(line), 1) << line;

    // Written by the normal shut-down and readable again.
    GxBinBuffer configBytes;
    const std::vector<unsigned char> userconf = ReadBytes(result.saveFolder / "userconf.dat");
    ASSERT_FALSE(userconf.empty());
    std::copy(userconf.begin(), userconf.end(), configBytes.Allocate(static_cast<std::uint32_t>(userconf.size())));
    GxUserConfig config;
    EXPECT_TRUE(DecodeUserConfig(&config, configBytes, nullptr));
    GxUserDataPerman permanent;
    EXPECT_TRUE(LoadPermanentData(&permanent, (result.saveFolder / "permanent.dat").u16string()));
}

TEST(SystemLayerRun, AFolderWithoutARowLogsItAndStillRunsToItsEnd)
{
    TestTempDir folder("tw_system_layer_row");
    ASSERT_TRUE(folder.Valid());
    const TestGameFolder game = SystemLayerGame(folder.Join("game"), {u"btn_cancel"});
    ASSERT_TRUE(game.Ok()) << game.Errors().front();

    TestEngineRunner runner(TW_TARNWICK);
    ASSERT_TRUE(runner.Valid());
    runner.SetMaxFrames(30);
    runner.AddInput(20, "keydown Escape");
    const TestEngineResult result = runner.Run(game.Path());
    ASSERT_TRUE(result.started);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
    EXPECT_NE(result.ErrorLogUtf8().find("UIモジュールデータ[btn_cancel]が見つかりません:SeqSystem"), std::string::npos)
        << result.ErrorLogUtf8();
}

TEST(SystemLayerRun, TheConsoleSwitchShowsTheStatusLineAtTheTopLeft)
{
    TestTempDir folder("tw_system_layer_console");
    ASSERT_TRUE(folder.Valid());
    const TestGameFolder game =
        SystemLayerGame(folder.Join("game"), {}, {{"DebugConsoleFlag", "1"}, {"SkipSlightError", "1"}},
                        "*MAIN\nEXIT()\n");
    ASSERT_TRUE(game.Ok()) << game.Errors().front();

    TestEngineRunner runner(TW_TARNWICK);
    ASSERT_TRUE(runner.Valid());
    runner.SetMaxFrames(40);
    runner.SetCapturePasses({30});
    const TestEngineResult result = runner.Run(game.Path());
    ASSERT_TRUE(result.started);
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
    ASSERT_EQ(result.frames.count(30), 1u);
    // No script error, and slight ones skipped: only the switch shows it. Its first band
    // (0x80000050) from (0, 0) over the title's black (this folder has no title pictures), past
    // its text, and nothing beyond the band's 800 pixels.
    EXPECT_EQ(result.ErrorLogUtf8().find("err:"), std::string::npos) << result.ErrorLogUtf8();
    const std::uint32_t band = result.frames.at(30).At(799, 2);
    EXPECT_EQ(band & 0xFFFF00u, 0u) << std::hex << band;
    EXPECT_NEAR(static_cast<int>(band & 0xFFu), 0x28, 1) << std::hex << band;
    EXPECT_EQ(result.frames.at(30).At(801, 2) & 0xFFFFFFu, 0u);
}

}  // namespace
