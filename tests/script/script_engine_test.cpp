// [Moa engine] the engine's four objects, their order of creation and deletion, and the loading
// of "bincode/moacode.mwb" in its three forms and its damaged ones.
#include "script/script_engine.h"

#include "script/builtin_default.h"
#include "script/function_binder.h"
#include "script/moa_ex.h"
#include "script/worker.h"

#include "moa_log_fixture.h"
#include "script_test_support.h"
#include "tests/support/moa_assembler.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace moa_test;
using namespace script_test;

namespace {

std::vector<std::string> g_Events;

class WatchedInstance : public GxMoaEx {
public:
    ~WatchedInstance() override { g_Events.push_back("~instance"); }
};
class WatchedWorker : public GxMoaWorker {
public:
    explicit WatchedWorker(GxMoa* owner) : GxMoaWorker(owner) {}
    ~WatchedWorker() override { g_Events.push_back("~worker"); }
};
class WatchedBuiltins : public GxMoaBuiltinDefault {
public:
    ~WatchedBuiltins() override { g_Events.push_back("~builtins"); }
};
class WatchedBinder : public GxMoaFunctionBinder {
public:
    ~WatchedBinder() override { g_Events.push_back("~binder"); }
    bool AddFunction(const char16_t* name, GxMoaDelegateBase* delegate) override
    {
        ++m_Added;
        return GxMoaFunctionBinder::AddFunction(name, delegate);
    }
    int m_Added = 0;
};

const GxScriptEngineMakers kWatched{
    [] {
        g_Events.push_back("instance");
        return static_cast<GxMoaEx*>(new WatchedInstance());
    },
    [](GxMoaEx* instance, GxCore*) {
        g_Events.push_back("worker");
        return static_cast<GxMoaWorker*>(new WatchedWorker(instance));
    },
    [] {
        g_Events.push_back("builtins");
        return static_cast<GxMoaBuiltinDefault*>(new WatchedBuiltins());
    },
    [] {
        g_Events.push_back("binder");
        return static_cast<GxMoaFunctionBinder*>(new WatchedBinder());
    },
};

class MoaEngine : public MoaLogTest {
protected:
    void SetUp() override
    {
        MoaLogTest::SetUp();
        m_Previous = std::filesystem::current_path();
        std::filesystem::create_directories(m_Dir.Join("game") / "bincode");
        std::filesystem::current_path(m_Dir.Join("game"));
        g_Events.clear();
    }
    void TearDown() override
    {
        DestroyScriptEngine();
        SetScriptEngineMakers(nullptr);
        std::filesystem::current_path(m_Previous);
        MoaLogTest::TearDown();
    }

    void WriteProgram(const std::string& bytes)
    {
        ASSERT_TRUE(WriteFileBytes(m_Dir.Join("game") / "bincode" / "moacode.mwb", bytes));
    }

    std::string Assemble(MoaProgramForm form)
    {
        MoaAssembler assembler;
        assembler.AddScript(u"main", "*MAIN\nEXTERN INGAME $ext = 7\nGLOBAL INGAME $glob[2]\n"
                                     "STATIC INGAME $st = \"s\"\nPrint($ext)\n*@end\nEXIT()\n");
        assembler.AddScript(u"second", "*SECOND\nSTATIC PERMAN $count = 1\nEXIT()\n");
        return assembler.Assemble(form);
    }

    std::vector<std::string> Errors() const
    {
        std::vector<std::string> lines;
        for (const std::u16string& line : m_Log.At(GxDebugListenerBase::kLevelError))
            lines.push_back(U8(line));
        return lines;
    }

    std::filesystem::path m_Previous;
};

TEST_F(MoaEngine, CreateMakesOneSetAndASecondCreateDestroysTheFirstBinderFirst)
{
    CreateScriptEngine(nullptr);
    GxMoaEx* instance = GetScriptInstance();
    ASSERT_NE(instance, nullptr);
    ASSERT_NE(GetMainWorker(), nullptr);
    EXPECT_EQ(GetMainWorker()->GetName(), u"MAIN_WORKER");
    EXPECT_EQ(GetMainWorker()->GetOwner(), instance);
    ASSERT_NE(GetDefaultBuiltins(), nullptr);
    ASSERT_NE(GetFunctionBinder(), nullptr);
    EXPECT_EQ(GetFunctionBinder()->GetCount(), GxMoaBuiltinDefault::kBuiltinCount);
    EXPECT_NE(GetFunctionBinder()->FindFunction(u"rand"), nullptr);

    SetScriptEngineMakers(&kWatched);
    CreateScriptEngine(nullptr);
    EXPECT_EQ(g_Events, (std::vector<std::string>{"instance", "worker", "builtins", "binder"}));
    // The defaults are bound before the binder reaches anyone else.
    auto* binder = static_cast<WatchedBinder*>(GetFunctionBinder());
    EXPECT_EQ(binder->m_Added, 48);
    EXPECT_EQ(binder->GetCount(), 48u);
    EXPECT_EQ(GetMainWorker()->GetOwner(), GetScriptInstance());

    g_Events.clear();
    CreateScriptEngine(nullptr);
    EXPECT_EQ(g_Events, (std::vector<std::string>{"~binder", "~builtins", "~worker", "~instance", "instance",
                                                  "worker", "builtins", "binder"}));
    g_Events.clear();
    DestroyScriptEngine();
    EXPECT_EQ(g_Events, (std::vector<std::string>{"~binder", "~builtins", "~worker", "~instance"}));
    EXPECT_EQ(GetScriptInstance(), nullptr);
    EXPECT_EQ(GetMainWorker(), nullptr);
    EXPECT_EQ(GetDefaultBuiltins(), nullptr);
    EXPECT_EQ(GetFunctionBinder(), nullptr);
    g_Events.clear();
    DestroyScriptEngine();
    EXPECT_TRUE(g_Events.empty());
}

TEST_F(MoaEngine, EachFormLoadsAndBuildsTheVariablesAndEntities)
{
    for (MoaProgramForm form : {MoaProgramForm::Text, MoaProgramForm::Binary, MoaProgramForm::Compressed}) {
        SCOPED_TRACE(static_cast<int>(form));
        CreateScriptEngine(nullptr);
        WriteProgram(Assemble(form));
        ASSERT_TRUE(LoadScriptBinary());
        EXPECT_TRUE(Errors().empty());
        GxMoaEx* instance = GetScriptInstance();
        GxMoaWorker* worker = GetMainWorker();
        ASSERT_NE(instance->GetVariableTable().Find(u"ext"), nullptr);
        EXPECT_EQ(instance->GetVariableTable().Find(u"ext")->m_Value.ToInt64(), 7);
        ASSERT_NE(worker->GetVariableTable().Find(u"glob"), nullptr);
        EXPECT_EQ(worker->GetVariableTable().Find(u"glob")->m_Value.ArraySize(), 2);
        ASSERT_NE(worker->FindScriptEntity(u"main"), nullptr);
        ASSERT_NE(worker->FindScriptEntity(u"second"), nullptr);
        EXPECT_TRUE(instance->HasLabel(u"@end", u"main"));
        // Loading again replaces the program.
        ASSERT_TRUE(LoadScriptBinary());
        EXPECT_EQ(worker->GetScriptEntities().size(), 2u);
    }
    // The header's version has no effect.
    std::string text = Assemble(MoaProgramForm::Text);
    ASSERT_EQ(text.rfind("TMOA\t1\n", 0), 0u);
    text.replace(0, 7, "TMOA\t4711\n");
    WriteProgram(text);
    EXPECT_TRUE(LoadScriptBinary());
}

TEST_F(MoaEngine, RefusedProgramsAndTheirLines)
{
    CreateScriptEngine(nullptr);
    // Missing: the file layer's own line.
    EXPECT_FALSE(LoadScriptBinary());
    ASSERT_EQ(Errors().size(), 1u);
    EXPECT_NE(Errors()[0].find("bincode/moacode.mwb"), std::string::npos) << Errors()[0];

    struct Case {
        std::string bytes;
        std::vector<std::string> lines;   // prefixes of the last lines logged
    };
    std::string foreignText = Assemble(MoaProgramForm::Text);
    foreignText.replace(0, 4, "TBMOA");
    std::string foreignBinary = Assemble(MoaProgramForm::Binary);
    const std::size_t at = foreignBinary.find("BMOA");
    ASSERT_NE(at, std::string::npos);
    foreignBinary.replace(at + 1, 3, "MOX");
    const char* header = "BINCODEのヘッダが異なります。新しいバージョンのスクリプトコンパイラを使用してください\n";
    const Case cases[] = {
        {"X" + Assemble(MoaProgramForm::Binary),
         {"BINCODEが古いバージョンです。新しいバージョンのスクリプトコンパイラを使用してください\n",
          "それでもうまく動かないときはbincodeの中の modlist.dat を削除してみてください\n"}},
        {std::string(1, '\0'), {"BINCODEが古いバージョンです。", "それでもうまく動かないときは"}},
        {foreignText, {"GxContentTextReader/FileHeader Isn't TMOA", header}},
        {foreignBinary, {"GxContentBinaryReader/FileHeader Isn't BMOA", header}},
        {"Z", {header}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines.back());
        m_Log.Clear();
        WriteProgram(c.bytes);
        EXPECT_FALSE(LoadScriptBinary());
        const std::vector<std::string> errors = Errors();
        // The reader may add lines of its own before the loader's.
        ASSERT_GE(errors.size(), c.lines.size());
        const std::size_t skip = errors.size() - c.lines.size();
        for (std::size_t i = 0; i < c.lines.size(); ++i)
            EXPECT_EQ(errors[skip + i].rfind(c.lines[i], 0), 0u) << errors[skip + i];
    }
}

TEST_F(MoaEngine, AProgramWithAWrongClosingMarkerBuildsNoVariables)
{
    CreateScriptEngine(nullptr);
    std::string text = Assemble(MoaProgramForm::Text);
    const std::size_t at = text.rfind("END_MARKER");
    ASSERT_NE(at, std::string::npos);
    text[at + 9] = 'X';
    WriteProgram(text);
    EXPECT_FALSE(LoadScriptBinary());
    ASSERT_FALSE(Errors().empty());
    EXPECT_EQ(Errors().back(), "スクリプトが正しく読み込めませんでした\n");
    EXPECT_EQ(GetScriptInstance()->GetVariableTable().Find(u"ext"), nullptr);
    EXPECT_TRUE(GetMainWorker()->GetScriptEntities().empty());

    // Cut short: the reader's lines, then the same one.
    m_Log.Clear();
    const std::string binary = Assemble(MoaProgramForm::Binary);
    WriteProgram(binary.substr(0, binary.size() / 2));
    EXPECT_FALSE(LoadScriptBinary());
    ASSERT_FALSE(Errors().empty());
    EXPECT_EQ(Errors().back(), "スクリプトが正しく読み込めませんでした\n");
}

}  // namespace
