// Unattended runs: the input script's lines, the last pass of a bounded run, scripted events
// turned into window messages, and the interrupt signals.
#include "tests/support/engine_fixture.h"

#include "core/unattended_run.h"

#include <csignal>

namespace engine_test {
namespace {

TEST(UnattendedRunTest, ReadsAScriptOrNamesItsFirstBadLine)
{
    GxUnattendedRun run;
    std::string error;
    ASSERT_TRUE(run.ParseInputScript("# a click, then keys\n"
                                     "3 ldown 320 240\n"
                                     "3 lup 320 240   # same pass, kept in order\n"
                                     "1 move -5 7\r\n"
                                     "\n"
                                     "9 wheel -2\n"
                                     "10 keydown Return\n"
                                     "11 keydown Left Ctrl\n"
                                     "11 keyup  Left\tShift  # a name of two words\n"
                                     "12 close\n",
                                     &error))
        << error;
    const std::vector<GxScriptedInput>& script = run.GetInputScript();
    ASSERT_EQ(script.size(), 8u);
    EXPECT_EQ(script[0].m_Pass, 1u);
    EXPECT_EQ(script[0].m_Kind, GxScriptedInputKind::Move);
    EXPECT_EQ(script[0].m_X, -5);
    EXPECT_EQ(script[1].m_Kind, GxScriptedInputKind::LeftDown);
    EXPECT_EQ(script[2].m_Kind, GxScriptedInputKind::LeftUp);
    EXPECT_EQ(script[3].m_X, -2);
    EXPECT_EQ(script[4].m_Scancode, SDL_SCANCODE_RETURN);
    EXPECT_EQ(script[5].m_Scancode, SDL_SCANCODE_LCTRL);
    EXPECT_EQ(script[6].m_Kind, GxScriptedInputKind::KeyUp);
    EXPECT_EQ(script[6].m_Scancode, SDL_SCANCODE_LSHIFT);
    EXPECT_EQ(script[7].m_Kind, GxScriptedInputKind::Close);

    // Every white-space character is blank: lines of only vertical tabs or form feeds are empty,
    // and any of them separates the fields.
    ASSERT_TRUE(run.ParseInputScript("\v\n\f\n \v\f\t\r\n4\vmove\f1\t2\v\n", &error)) << error;
    ASSERT_EQ(run.GetInputScript().size(), 1u);
    EXPECT_EQ(run.GetInputScript()[0].m_Pass, 4u);
    EXPECT_EQ(run.GetInputScript()[0].m_Y, 2);

    const struct {
        const char* text;
        const char* error;
    } bad[] = {
        {"ldown 1 2", "line 1: bad pass number"},
        {"\n-1 close", "line 2: bad pass number"},
        {"99999999999 close", "line 1: bad pass number"},
        {"1 jump", "line 1: unknown event \"jump\""},
        {"1 ldown 5", "line 1: expected two client coordinates"},
        {"1 ldown 5 40000", "line 1: expected two client coordinates"},
        {"1 move 5 x", "line 1: expected two client coordinates"},
        {"1 wheel 0", "line 1: expected a wheel movement of 1 to 100 notches either way"},
        {"1 keydown NoSuchKey", "line 1: expected a key name"},
        {"1 keydown", "line 1: expected a key name"},
        {"1 keyup Left Nothing", "line 1: expected a key name"},
        {"1 close now", "line 1: unexpected arguments"},
        {"1", "line 1: missing event"},
        {"\v\n\f\n2\vjump", "line 3: unknown event \"jump\""},
    };
    for (const auto& b : bad) {
        error.clear();
        EXPECT_FALSE(run.ParseInputScript(b.text, &error)) << b.text;
        EXPECT_EQ(error, b.error) << b.text;
        EXPECT_TRUE(run.GetInputScript().empty());
    }
}

TEST(UnattendedRunTest, ReadsItsSettingsFromTheEnvironment)
{
    TempFolder temp;
    WriteFile(temp.Path() / "input.txt", "2 close\n");
    {
        ScopedEnv frames("TARNWICK_MAX_FRAMES", "25");
        ScopedEnv script("TARNWICK_INPUT_SCRIPT", (temp.Path() / "input.txt").string());
        GxUnattendedRun run;
        std::string error;
        ASSERT_TRUE(run.ConfigureFromEnvironment(&error)) << error;
        EXPECT_EQ(run.GetMaxPasses(), 25u);
        EXPECT_EQ(run.GetInputScript().size(), 1u);
    }
    const struct {
        const char* frames;
        const char* script;
    } bad[] = {{"0", nullptr}, {"ten", nullptr}, {"-3", nullptr}, {nullptr, "/no/such/script.txt"}};
    // A malformed line in the script file: the message names the file and the line.
    {
        WriteFile(temp.Path() / "bad.txt", "\v\n1 close\n\f x\n");
        ScopedEnv script("TARNWICK_INPUT_SCRIPT", (temp.Path() / "bad.txt").string());
        GxUnattendedRun run;
        std::string error;
        EXPECT_FALSE(run.ConfigureFromEnvironment(&error));
        EXPECT_NE(error.find("bad.txt\" line 3: bad pass number"), std::string::npos) << error;
    }
    for (const auto& b : bad) {
        ScopedEnv frames("TARNWICK_MAX_FRAMES", b.frames ? std::optional<std::string>(b.frames) : std::nullopt);
        ScopedEnv script("TARNWICK_INPUT_SCRIPT", b.script ? std::optional<std::string>(b.script) : std::nullopt);
        GxUnattendedRun run;
        std::string error;
        EXPECT_FALSE(run.ConfigureFromEnvironment(&error));
        EXPECT_FALSE(error.empty());
    }
}

TEST(UnattendedRunTest, ReadsTheCapturePassesAndFolder)
{
    GxUnattendedRun run;
    ASSERT_TRUE(run.ParseCapturePasses(" 40,3 ,3,0", nullptr));
    EXPECT_EQ(run.GetCapturePasses(), (std::vector<std::uint32_t>{0, 3, 40}));
    for (const char* bad : {"", "3,", ",3", "3;4", "-1", "1e3", "999999999999", "1000000000"}) {
        std::string error;
        EXPECT_FALSE(run.ParseCapturePasses(bad, &error)) << bad;
        EXPECT_NE(error.find("expected comma-separated pass numbers"), std::string::npos) << bad;
        EXPECT_TRUE(run.GetCapturePasses().empty()) << bad;
    }
    run.SetCaptureFolder("/some/folder");
    EXPECT_EQ(run.CapturePath(42), "/some/folder/pass000042.png");

    TempFolder temp;
    {
        ScopedEnv passes("TARNWICK_CAPTURE_PASSES", "5,7");
        ScopedEnv folder("TARNWICK_CAPTURE_DIR", temp.Path().string());
        GxUnattendedRun configured;
        std::string error;
        ASSERT_TRUE(configured.ConfigureFromEnvironment(&error)) << error;
        EXPECT_EQ(configured.GetCapturePasses(), (std::vector<std::uint32_t>{5, 7}));
        EXPECT_EQ(configured.GetCaptureFolder(), temp.Path().string());
    }
    // Values that cannot be used: each is refused with a message naming the variable.
    const struct {
        std::optional<std::string> passes, folder;
        const char* error;
    } bad[] = {
        {"5,x", temp.Path().string(), "TARNWICK_CAPTURE_PASSES: expected"},
        {"5", std::nullopt, "TARNWICK_CAPTURE_PASSES: needs TARNWICK_CAPTURE_DIR"},
        {"5", (temp.Path() / "missing").string(), "TARNWICK_CAPTURE_DIR: "},
        {std::nullopt, (temp.Path() / "missing").string(), "TARNWICK_CAPTURE_DIR: "},
    };
    for (const auto& b : bad) {
        ScopedEnv passes("TARNWICK_CAPTURE_PASSES", b.passes);
        ScopedEnv folder("TARNWICK_CAPTURE_DIR", b.folder);
        GxUnattendedRun configured;
        std::string error;
        EXPECT_FALSE(configured.ConfigureFromEnvironment(&error)) << b.error;
        EXPECT_EQ(error.rfind(b.error, 0), 0u) << error;
    }
}

TEST(UnattendedRunTest, TheLastPassIsTheOneBeforeTheLimit)
{
    GxUnattendedRun run;
    run.SetMaxPasses(3);
    EXPECT_FALSE(run.BeforePass(nullptr));
    EXPECT_FALSE(run.BeforePass(nullptr));
    EXPECT_TRUE(run.BeforePass(nullptr));
    EXPECT_EQ(run.GetPassCount(), 3u);
    GxUnattendedRun unbounded;
    EXPECT_FALSE(unbounded.BeforePass(nullptr));
}

TEST(UnattendedRunTest, InterruptSignalsAreTakenOnce)
{
    InstallQuitSignalHandlers();
    EXPECT_FALSE(TakeQuitSignal());
    std::raise(SIGINT);
    EXPECT_TRUE(TakeQuitSignal());
    EXPECT_FALSE(TakeQuitSignal());
    InstallQuitSignalHandlers();
    std::raise(SIGTERM);
    EXPECT_TRUE(TakeQuitSignal());
    std::signal(SIGINT, SIG_DFL);
    std::signal(SIGTERM, SIG_DFL);
}

class ScriptedInputTest : public CoreFixture {};

TEST_F(ScriptedInputTest, ScriptedEventsArriveAsWindowMessagesInTheirPass)
{
    HWND window = MakeMainWindow(640, 480);
    GxSeqBase* screen = StartSequence(u"SeqScreen");
    auto* target = new ProbeTask(screen, u"target", "target", &m_Journal);
    target->m_CloseAnswers = {1};
    GxUnattendedRun run;
    std::string error;
    ASSERT_TRUE(run.ParseInputScript("1 ldown 320 240\n1 lup 320 240\n2 keydown A\n2 keyup A\n3 close\n", &error));
    m_Core->m_UnattendedRun = &run;
    for (int pass = 0; pass < 4; ++pass) {
        ASSERT_TRUE(m_Core->RunMainLoopPass());
        if (pass == 0)
            m_Journal.clear();   // the window's activation
    }
    m_Core->m_UnattendedRun = nullptr;
    EXPECT_EQ(m_Journal, (std::vector<std::string>{"target.LeftDown 512,384", "target.LeftUp 512,384",
                                                   "target.KeyDown 65", "target.Close"}));
    EXPECT_TRUE(IsWindow(window));
}

}  // namespace
}  // namespace engine_test
