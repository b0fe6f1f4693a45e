// The test runner of the engine binary, with a shell script in the binary's place: the child's
// private folders and headless settings, the input script written from the events, the
// variables a test sets or removes, and the time-out that ends a child that never stops.
#include "tests/support/engine_runner.h"
#include "tests/support/image_fixtures.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

std::string WriteProgram(const TestTempDir& folder, const std::string& body)
{
    const fs::path program = folder.Join("engine.sh");
    std::ofstream(program) << "#!/bin/sh\n" << body;
    chmod(program.c_str(), 0755);
    return program.string();
}

TEST(TestEngineRunner, GivesTheChildItsOwnFoldersAndTheScriptedRun)
{
    TestTempDir folder;
    ASSERT_TRUE(folder.Valid());
    TestEngineRunner runner(WriteProgram(folder, "echo \"args=$*\"\necho \"home=$HOME\"\necho \"runtime=$XDG_RUNTIME_DIR\"\n"
                                                 "echo \"video=$SDL_VIDEODRIVER audio=$SDL_AUDIODRIVER\"\n"
                                                 "echo \"frames=$TARNWICK_MAX_FRAMES extra=${TW_EXTRA-unset}\"\n"
                                                 "cat \"$TARNWICK_INPUT_SCRIPT\"\necho oops >&2\nexit 3\n"));
    ASSERT_TRUE(runner.Valid());
    runner.SetMaxFrames(12);
    runner.AddInput(2, "ldown 10 20");
    runner.AddInput(3, "lup 10 20");
    runner.SetEnvironment("TW_EXTRA", "x");
    TestEngineResult result = runner.Run(std::vector<std::string>{"a", "b"});
    EXPECT_TRUE(result.started);
    EXPECT_FALSE(result.timedOut);
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.stdoutText, "args=a b\nhome=" + runner.Home().string() + "\nruntime=" + runner.Runtime().string() +
                                     "\nvideo=dummy audio=dummy\nframes=12 extra=x\n2 ldown 10 20\n3 lup 10 20\n");
    EXPECT_EQ(result.LastStderrLine(), "oops");
    EXPECT_TRUE(result.saveFolder.empty());

    // Taken away again: no frame bound, no input script, the extra variable removed.
    runner.SetMaxFrames(0);
    runner.ClearInput();
    runner.SetEnvironment("TW_EXTRA", std::nullopt);
    result = runner.Run(std::vector<std::string>{});
    EXPECT_NE(result.stdoutText.find("frames= extra=unset\n"), std::string::npos) << result.stdoutText;
}

TEST(TestEngineRunner, PassesTheCaptureSettingsAndReadsTheCapturedFramesBack)
{
    TestTempDir folder;
    ASSERT_TRUE(folder.Valid());
    const TestImage picture = TestImage::Quadrants(4, 2, 0xFF102030, 0xFF405060, 0xFF708090, 0xFFA0B0C0);
    ASSERT_TRUE(WriteImageFile(folder.Join("frame.png").string(), BuildPng(PngSpecRgba8(picture))));
    // Writes the picture for the first listed pass only; the second stays missing.
    TestEngineRunner runner(WriteProgram(folder, "echo \"passes=$TARNWICK_CAPTURE_PASSES\"\n"
                                                 "cp '" + folder.Join("frame.png").string() +
                                                 "' \"$TARNWICK_CAPTURE_DIR/pass000003.png\"\n"));
    runner.SetCapturePasses({3, 12});
    TestEngineResult result = runner.Run(std::vector<std::string>{});
    EXPECT_EQ(result.exitCode, 0) << result.stderrText;
    EXPECT_EQ(result.stdoutText, "passes=3,12\n");
    ASSERT_EQ(result.frames.count(3), 1u);
    EXPECT_EQ(result.frames.count(12), 0u);
    const TestCapturedFrame& frame = result.frames[3];
    EXPECT_EQ(frame.width, 4u);
    EXPECT_EQ(frame.height, 2u);
    EXPECT_EQ(frame.pixels, picture.argb);
    EXPECT_EQ(frame.At(3, 1), 0xFFA0B0C0u);

    // Each run captures into a folder of its own: the earlier picture does not come back.
    runner.SetProgram(WriteProgram(folder, "test -d \"$TARNWICK_CAPTURE_DIR\" || exit 4\n"));
    result = runner.Run(std::vector<std::string>{});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(result.frames.empty());
    runner.SetCapturePasses({});
    runner.SetProgram(WriteProgram(folder, "echo \"[${TARNWICK_CAPTURE_PASSES-unset}]\"\n"));
    EXPECT_EQ(runner.Run(std::vector<std::string>{}).stdoutText, "[unset]\n");
}

TEST(TestEngineRunner, EndsAChildThatOutlivesTheTimeOut)
{
    TestTempDir folder;
    ASSERT_TRUE(folder.Valid());
    TestEngineRunner runner(WriteProgram(folder, "while true; do sleep 1; done\n"));
    runner.SetTimeoutSeconds(1);
    const TestEngineResult result = runner.Run(std::vector<std::string>{});
    EXPECT_TRUE(result.started);
    EXPECT_TRUE(result.timedOut);
    EXPECT_EQ(result.exitCode, -1);
    EXPECT_EQ(result.signal, SIGKILL);

    runner.SetProgram(folder.Join("missing").string());
    EXPECT_FALSE(runner.Run(std::vector<std::string>{}).started);
}

}  // namespace
