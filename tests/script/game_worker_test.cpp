// [Moa game worker] GxMoaWorkerEx over assembled scripts with a recording host: text lines as
// messages with speaker names per name mode, read flags and the message log, no play screen or
// no host at all, layer statements calling the "sp." builtins, and the errors of both.
#include "script/game_worker_host.h"
#include "script/worker_ex.h"
#include "worker_fixture.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>

using namespace moa_test;
using namespace script_test;

namespace {

// Records the calls that change something; answers the queries from its fields.
class RecordingHost : public GxGameWorkerHostBase {
public:
    std::u16string GetSpeakerSeparators() override { return u"「（"; }
    std::u16string GetNameImageFolder() override { return u"cg/name/"; }
    bool NameImageExists(const std::u16string& name) override { return m_Images.count(name) != 0; }
    std::int32_t GetNameIdentifyMode() override { return m_Mode; }
    bool GetIgnoreKinsoku() override { return m_IgnoreKinsoku; }
    void AddMessageLog(const std::u16string& name, const std::u16string& message, bool ignoreKinsoku,
                       bool disableAutoNewline) override
    {
        Note("AddMessageLog(" + U8(name) + "," + U8(message) + "," + Flag(ignoreKinsoku) + "," +
             Flag(disableAutoNewline) + ")");
    }
    bool IsMessageRead(const std::u16string& scriptName, std::int32_t lineKey) override
    {
        m_Queries.push_back(U8(scriptName) + ":" + std::to_string(lineKey));
        return m_Read.count({scriptName, lineKey}) != 0;
    }
    void SetPermanentFlag(const std::u16string& scriptName, std::int32_t lineKey) override
    {
        m_Read.insert({scriptName, lineKey});
        Note("SetPermanentFlag(" + U8(scriptName) + "," + std::to_string(lineKey) + ")");
    }
    bool HasPlayScreen() override { return m_Screen; }
    void SetMessageText(const std::u16string& text, bool read, bool ignoreKinsoku, std::int32_t flags) override
    {
        Note("SetMessageText(" + U8(text) + "," + Flag(read) + "," + Flag(ignoreKinsoku) + "," +
             std::to_string(flags) + ")");
    }
    void SetSpeakerName(const std::u16string& name, std::int32_t mode) override
    {
        Note("SetSpeakerName(" + U8(name) + "," + std::to_string(mode) + ")");
    }
    void ClearSpeakerName() override { Note("ClearSpeakerName()"); }

    std::int32_t m_Mode = 2;
    bool m_IgnoreKinsoku = false;
    bool m_Screen = true;
    std::set<std::u16string> m_Images;
    std::set<std::pair<std::u16string, std::int32_t>> m_Read;
    std::vector<std::string> m_Calls;
    std::vector<std::string> m_Queries;

private:
    static std::string Flag(bool value) { return value ? "1" : "0"; }
    void Note(const std::string& call) { m_Calls.push_back(call); }
};

// A builtin that records its name, the index it was called with and its arguments.
class RecordingDelegate : public GxMoaDelegateBase {
public:
    RecordingDelegate(std::vector<std::string>* calls, bool result) : m_Calls(calls), m_Result(result) {}
    bool Invoke(const std::u16string& name, std::int64_t index, GxMoaVariable& args, GxMoaWorker*,
                GxMoaScriptEntity*, GxMoaExecStack*, GxMoaVariable&) override
    {
        m_Calls->push_back(U8(name) + "#" + std::to_string(index) + " " + Show(args));
        return m_Result;
    }

private:
    std::vector<std::string>* m_Calls;
    bool m_Result;
};

class MoaGameStep : public MoaLogTest {
protected:
    void SetUp() override
    {
        MoaLogTest::SetUp();
        m_Previous = SetGameWorkerHost(&m_Host);
        m_Binder.AddFunction(u"sp.show", new RecordingDelegate(&m_Calls, true));
        m_Binder.AddFunction(u"sp.lcg", new RecordingDelegate(&m_Calls, true));
        m_Binder.AddFunction(u"sp.move", new RecordingDelegate(&m_Calls, true));
        m_Binder.AddFunction(u"sp.fail", new RecordingDelegate(&m_Calls, false));
        m_Binder.AddFunction(u"sp.go", new FunctionDelegate([](GxMoaVariable& args, GxMoaWorker* w, GxMoaVariable&) {
            return w->Jump(ArgText(args, 1), nullptr);
        }));
    }
    void TearDown() override
    {
        SetGameWorkerHost(m_Previous);
        MoaLogTest::TearDown();
    }

    // Script "t": "*MAIN" on line 0, then the body; loaded and started at MAIN.
    void Start(const std::string& body)
    {
        m_Moa.Clear();
        m_Moa.ResetRunState();
        m_Assembler = MoaAssembler();
        m_Assembler.AddScript(u"t", "BUILTIN sp.show, sp.lcg, sp.move, sp.fail, sp.go\n*MAIN\n" + body + "\n");
        ASSERT_TRUE(LoadProgram(m_Assembler, m_Moa));
        m_Moa.BuildVariables();
        m_Worker.RebuildScriptEntities();
        ASSERT_TRUE(m_Worker.ResetAndJump(u"MAIN", nullptr));
        m_Log.Clear();
        m_Host.m_Calls.clear();
        m_Host.m_Queries.clear();
        m_Calls.clear();
    }
    std::vector<GxMoaToken>& Tokens(std::int32_t line)
    {
        return m_Moa.FindScript(u"t")->m_Lines[static_cast<std::size_t>(line)].m_Tokens;
    }
    std::vector<std::string> Errors() const
    {
        std::vector<std::string> lines;
        for (const std::u16string& line : m_Log.At(GxDebugListenerBase::kLevelError)) {
            lines.push_back(U8(line));
        }
        return lines;
    }

    RecordingHost m_Host;
    GxGameWorkerHostBase* m_Previous = nullptr;
    GxMoaEx m_Moa;
    GxMoaWorkerEx m_Worker{&m_Moa};
    GxMoaFunctionBinder m_Binder;
    MoaAssembler m_Assembler;
    std::vector<std::string> m_Calls;
};

TEST_F(MoaGameStep, SpeakerSplitByNameMode)
{
    struct Case {
        std::int32_t mode;
        bool image;   // "cg/name/花子" exists
        const char* line;
        std::vector<std::string> calls;
    };
    const std::vector<Case> cases = {
        {0, true, "花子「こんにちは」",
         {"ClearSpeakerName()", "SetMessageText(花子「こんにちは」,0,0,0)", "SetPermanentFlag(t,3)",
          "AddMessageLog(,花子「こんにちは」,0,0)"}},
        {1, false, "花子「こんにちは」",
         {"SetSpeakerName(花子,1)", "SetMessageText(「こんにちは」,0,0,0)", "SetPermanentFlag(t,3)",
          "AddMessageLog(花子,「こんにちは」,0,0)"}},
        {2, true, "花子「こんにちは」",
         {"SetSpeakerName(花子,2)", "SetMessageText(「こんにちは」,0,0,0)", "SetPermanentFlag(t,3)",
          "AddMessageLog(花子,「こんにちは」,0,0)"}},
        {2, false, "花子「こんにちは」",
         {"SetSpeakerName(,2)", "SetMessageText(花子「こんにちは」,0,0,0)", "SetPermanentFlag(t,3)",
          "AddMessageLog(,花子「こんにちは」,0,0)"}},
        {3, false, "花子「こんにちは」",
         {"SetSpeakerName(花子,3)", "SetMessageText(「こんにちは」,0,0,0)", "SetPermanentFlag(t,3)",
          "AddMessageLog(花子,「こんにちは」,0,0)"}},
        // A mode outside 0-3 is taken as 0: the line is shown and logged whole, not lost.
        {7, true, "花子「こんにちは」",
         {"ClearSpeakerName()", "SetMessageText(花子「こんにちは」,0,0,0)", "SetPermanentFlag(t,3)",
          "AddMessageLog(,花子「こんにちは」,0,0)"}},
        {-1, true, "花子「こんにちは」",
         {"ClearSpeakerName()", "SetMessageText(花子「こんにちは」,0,0,0)", "SetPermanentFlag(t,3)",
          "AddMessageLog(,花子「こんにちは」,0,0)"}},
        {1, true, "No speaker here.",
         {"ClearSpeakerName()", "SetMessageText(No speaker here.,0,0,0)", "SetPermanentFlag(t,3)",
          "AddMessageLog(,No speaker here.,0,0)"}},
        // The first of either separator ends the name.
        {1, false, "太郎（小声）「ね」",
         {"SetSpeakerName(太郎,1)", "SetMessageText(（小声）「ね」,0,0,0)", "SetPermanentFlag(t,3)",
          "AddMessageLog(太郎,（小声）「ね」,0,0)"}},
        {1, false, "「独り言」",
         {"SetSpeakerName(,1)", "SetMessageText(「独り言」,0,0,0)", "SetPermanentFlag(t,3)",
          "AddMessageLog(,「独り言」,0,0)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.mode) + " " + c.line);
        m_Host.m_Mode = c.mode;
        m_Host.m_Images.clear();
        if (c.image) {
            m_Host.m_Images.insert(u"cg/name/花子");
        }
        m_Host.m_Read.clear();
        Start(c.line);
        EXPECT_TRUE(m_Worker.Step(&m_Binder));
        EXPECT_EQ(m_Host.m_Calls, c.calls);
        // Read-flag key: the line (2) plus 1.
        EXPECT_EQ(m_Host.m_Queries, std::vector<std::string>{"t:3"});
        EXPECT_EQ(m_Worker.GetLine(nullptr), 3);
    }
    EXPECT_TRUE(Errors().empty());
    // Nothing goes to the script output: the line is a message, not a print.
    EXPECT_EQ(DebugLog(), u"");
}

TEST_F(MoaGameStep, ALineSeenBeforeIsShownReadAndLoggedAgain)
{
    m_Host.m_Mode = 1;
    m_Host.m_IgnoreKinsoku = true;
    Start("花子「一」\n\n花子「二」");
    EXPECT_TRUE(m_Worker.Step(&m_Binder));   // one text line per step
    EXPECT_TRUE(m_Worker.Step(&m_Binder));
    EXPECT_EQ(m_Host.m_Queries, (std::vector<std::string>{"t:3", "t:5"}));
    ASSERT_TRUE(m_Worker.ResetAndJump(u"MAIN", nullptr));
    m_Host.m_Calls.clear();
    EXPECT_TRUE(m_Worker.Step(&m_Binder));
    EXPECT_EQ(m_Host.m_Calls,
              (std::vector<std::string>{"SetSpeakerName(花子,1)", "SetMessageText(「一」,1,1,0)", "SetPermanentFlag(t,3)",
                                        "AddMessageLog(花子,「一」,1,0)"}));
}

TEST_F(MoaGameStep, WithoutPlayScreenOrHostTheLineStillAdvances)
{
    // No play screen: the screen calls are skipped, the flag and the log are kept.
    m_Host.m_Mode = 1;
    m_Host.m_Screen = false;
    Start("花子「こんにちは」\n$a = 1");
    EXPECT_TRUE(m_Worker.Step(&m_Binder));
    EXPECT_EQ(m_Host.m_Calls,
              (std::vector<std::string>{"SetPermanentFlag(t,3)", "AddMessageLog(花子,「こんにちは」,0,0)"}));
    EXPECT_EQ(m_Worker.GetLine(nullptr), 3);

    // No host at all: nothing is recorded and the worker goes on.
    SetGameWorkerHost(nullptr);
    Start("花子「こんにちは」\n$a = 1");
    EXPECT_TRUE(m_Worker.Step(&m_Binder));
    EXPECT_EQ(m_Worker.GetLine(nullptr), 3);
    EXPECT_TRUE(m_Worker.Step(&m_Binder));
    EXPECT_FALSE(m_Worker.Step(&m_Binder));
    EXPECT_FALSE(m_Worker.IsRunning());
    EXPECT_TRUE(m_Host.m_Calls.empty());
    EXPECT_TRUE(Errors().empty());
}

TEST_F(MoaGameStep, LayerStatementsCallTheSpBuiltins)
{
    struct Case {
        const char* line;
        const char16_t* builtin;
        const char* args;
    };
    const Case cases[] = {
        {"BG.Show(1)", u"sp.show", "Array[Str:BG,Int:1]"},
        {"bg('x')", u"sp.lcg", "Array[Str:bg,Str:x]"},
        {"stand.move(1, 2)", u"sp.move", "Array[Str:stand,Int:1,Int:2]"},
        {"bg.show()", u"sp.show", "Array[Str:bg]"},
        {"bg.show(, 'b')", u"sp.show", "Array[Str:bg,Null,Str:b]"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Start(std::string(c.line) + " $ignored\n$after = 1");
        const GxMoaBuiltinDefinition* definition = m_Moa.FindBuiltinDefinition(c.builtin);
        ASSERT_NE(definition, nullptr);
        EXPECT_TRUE(m_Worker.Step(&m_Binder));
        // Called with the definition's index and the lower-cased name.
        EXPECT_EQ(m_Calls, std::vector<std::string>{U8(c.builtin) + "#" + std::to_string(definition->m_BuiltinIndex) +
                                                    " " + c.args});
        // The rest of the line is skipped.
        EXPECT_EQ(m_Worker.GetLine(nullptr), 3);
        EXPECT_TRUE(m_Worker.Step(&m_Binder));
        EXPECT_TRUE(Errors().empty());
    }
}

TEST_F(MoaGameStep, ALayerBuiltinThatJumpsKeepsItsTarget)
{
    Start("bg.go('there')\n$skipped = 1\n*there\n$reached = 1");
    EXPECT_TRUE(m_Worker.Step(&m_Binder));
    EXPECT_EQ(m_Worker.GetLine(nullptr), 4);
    EXPECT_TRUE(m_Worker.Step(&m_Binder));
    EXPECT_NE(m_Worker.GetExecStack().back().m_Variables.Find(u"reached"), nullptr);
    EXPECT_EQ(m_Worker.GetExecStack().back().m_Variables.Find(u"skipped"), nullptr);
}

TEST_F(MoaGameStep, RefusedLayerStatementsAndTokens)
{
    struct Case {
        const char* body;
        void (*damage)(std::vector<GxMoaToken>& tokens);
        const char* error;
        std::size_t calls;   // builtins reached
    };
    const Case cases[] = {
        {"BG.Fade(1)", nullptr, "err:[Script=\"t\"/line=3] レイヤー操作に使用できない命令です[sp.fade]\n", 0},
        {"bg.show(1)", [](std::vector<GxMoaToken>& tokens) { tokens.erase(tokens.begin() + 1); },
         "err:[Script=\"t\"/line=3] Phase_Skip 次に来るべき記号 ( がありません[整数値[1]]\n", 0},
        {"bg.show(1]", nullptr, "err:[Script=\"t\"/line=3] Phase_Skip 次に来るべき記号 ) がありません[]]\n", 0},
        {"bg.fail(1)", nullptr,
         "err:[Script=\"t\"/line=3] 関数実行時にエラーが発生したので停止します[builtin:sp.fail]\n", 1},
        // Without the base interpreter's extra line break.
        {"; 1", nullptr, "err:[Script=\"t\"/line=3] 処理できないトークンです[;]\n", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body);
        Start(c.body);
        if (c.damage != nullptr) {
            c.damage(Tokens(2));
        }
        EXPECT_FALSE(m_Worker.Step(&m_Binder));
        EXPECT_TRUE(m_Moa.IsErrorStop());
        EXPECT_EQ(Errors(), std::vector<std::string>{c.error});
        EXPECT_EQ(m_Calls.size(), c.calls);
        EXPECT_EQ(m_Worker.GetLine(nullptr), 2);
        EXPECT_FALSE(m_Worker.Step(&m_Binder));
    }
}

TEST_F(MoaGameStep, TheRestOfTheInterpreterIsTheBaseOne)
{
    m_Host.m_Mode = 1;
    Start("*label\n$n = 2\nIF ($n == 2) {\n花子「二」\n} ELSE {\n花子「else」\n}\nWHILE (1) {\n}");
    EXPECT_TRUE(m_Worker.Step(&m_Binder));   // label passed, then the expression
    EXPECT_TRUE(m_Worker.Step(&m_Binder));   // IF taken
    EXPECT_TRUE(m_Worker.Step(&m_Binder));   // the text line
    EXPECT_TRUE(m_Worker.Step(&m_Binder));   // "}" passes the ELSE
    EXPECT_EQ(m_Host.m_Calls.at(1), "SetMessageText(「二」,0,0,0)");
    EXPECT_EQ(m_Worker.GetLine(nullptr), 9);
    EXPECT_TRUE(m_Worker.Step(&m_Binder));   // WHILE refused as before
    EXPECT_TRUE(m_Moa.IsErrorStop());
    EXPECT_EQ(Errors().size(), 1u);

    // A drop-in for the plain worker.
    std::unique_ptr<GxMoaWorker> worker = std::make_unique<GxMoaWorkerEx>(&m_Moa);
    EXPECT_EQ(worker->GetName(), u"MAIN_WORKER");
}

}  // namespace
