// [Moa instance] label lookup with "@" names, the add operations, the EXTERN_ variables through
// a program's life (build, reset, save and load), the dump, and the diagnostics as they reach
// the real logs.
#include "script/moa_ex.h"
#include "script/script_entity.h"
#include "script/variable_definition.h"

#include "moa_log_fixture.h"
#include "script_test_support.h"

#include <gtest/gtest.h>

using namespace script_test;
using namespace moa_test;

namespace {

// Script "main": "*start" (program-wide) and "*@a" (its own); script "other": "*@b".
void LoadLabels(GxMoa& moa)
{
    MoaAssembler assembler;
    assembler.AddScript(u"main", "*start\n*@a\n").AddScript(u"other", "*@b\n");
    ASSERT_TRUE(LoadProgram(assembler, moa));
    GxMoaLabelDefinition wide;
    wide.m_Name = u"@a";   // a program-wide label that shares the script label's name
    wide.m_Position.m_ScriptName = u"other";
    ASSERT_TRUE(moa.AddLabel(wide));
}

TEST(MoaInstance, AtNamesLookOnlyInTheGivenScript)
{
    GxMoa moa;
    LoadLabels(moa);
    const GxMoaScript* main = moa.FindScript(u"main");
    const GxMoaScript* other = moa.FindScript(u"other");
    ASSERT_NE(main, nullptr);
    ASSERT_NE(other, nullptr);

    const GxMoaLabelDefinition* local = moa.FindLabelInScript(u"@a", main);
    ASSERT_NE(local, nullptr);
    EXPECT_EQ(local, main->FindLabel(u"@a"));
    EXPECT_NE(local, moa.FindLabel(u"@a"));
    EXPECT_EQ(moa.FindLabelInScript(u"@a", other), nullptr);   // never the program's "@a"
    EXPECT_EQ(moa.FindLabelInScript(u"@a", nullptr), nullptr);
    // Without "@" the script is ignored.
    EXPECT_EQ(moa.FindLabelInScript(u"start", other), moa.FindLabel(u"start"));
    EXPECT_EQ(moa.FindLabelInScript(u"start", nullptr), moa.FindLabel(u"start"));
    EXPECT_EQ(moa.FindLabelInScript(u"", main), nullptr);
    EXPECT_EQ(moa.FindLabelInScript(u"", nullptr), nullptr);
    EXPECT_EQ(moa.FindLabelInScript(u"Start", main), nullptr);   // case counts

    GxMoaScriptEntity bound(&moa, nullptr, const_cast<GxMoaScript*>(main));
    GxMoaScriptEntity unbound(&moa);
    EXPECT_EQ(moa.FindLabelInEntity(u"@a", &bound), local);
    EXPECT_EQ(moa.FindLabelInEntity(u"@a", &unbound), nullptr);
    EXPECT_EQ(moa.FindLabelInEntity(u"@a", nullptr), nullptr);
    EXPECT_NE(moa.FindLabelInEntity(u"start", nullptr), nullptr);

    EXPECT_TRUE(moa.HasLabel(u"@a", u"main"));
    EXPECT_TRUE(moa.HasLabel(u"@b", u"other"));
    EXPECT_FALSE(moa.HasLabel(u"@b", u"main"));
    EXPECT_FALSE(moa.HasLabel(u"@a", u"missing"));
    EXPECT_TRUE(moa.HasLabel(u"start", u"missing"));
}

TEST(MoaInstance, AddOperationsRefuseAPresentName)
{
    GxMoa moa;
    GxMoaLabelDefinition label;
    label.m_Name = u"l";
    label.m_Scope = 1;
    EXPECT_TRUE(moa.AddLabel(label));
    label.m_Scope = 2;
    EXPECT_FALSE(moa.AddLabel(label));
    EXPECT_EQ(moa.FindLabel(u"l")->m_Scope, 1);

    GxMoaVariableDefinition variable;
    variable.m_Name = u"v";
    variable.m_Scope = 8;
    EXPECT_TRUE(moa.AddVariableDefinition(variable));
    variable.m_Scope = 9;
    EXPECT_FALSE(moa.AddVariableDefinition(variable));
    ASSERT_EQ(moa.GetVariableDefinitions().size(), 1u);
    EXPECT_EQ(moa.FindVariableDefinition(u"v")->m_Scope, 8);

    GxMoaBuiltinDefinition builtin;
    builtin.m_Name = u"b";
    EXPECT_TRUE(moa.AddBuiltinDefinition(builtin));
    EXPECT_FALSE(moa.AddBuiltinDefinition(builtin));
    EXPECT_EQ(moa.GetBuiltinDefinitions().size(), 1u);

    EXPECT_TRUE(moa.AddNamedValue(u"n", Int(1)));
    EXPECT_FALSE(moa.AddNamedValue(u"n", Int(2)));
    ASSERT_NE(moa.FindNamedValue(u"n"), nullptr);
    EXPECT_EQ(moa.FindNamedValue(u"n")->ToInt(), 1);
    EXPECT_EQ(moa.FindNamedValue(u"N"), nullptr);
}

// EXTERN_ definitions of each class, two arrays, and other scopes that stay out of the table.
constexpr char kVariables[] =
    "EXTERN PERMAN $p = 1\n"
    "EXTERN INGAME $g = 2\n"
    "EXTERN NOSAVE $n = 3\n"
    "EXTERN INGAME $arr[2]\n"
    "EXTERN INGAME $none[0]\n"
    "GLOBAL INGAME $global = 4\n"
    "STATIC INGAME $static = 5\n";

class MoaVariables : public ::testing::Test {
protected:
    void SetUp() override
    {
        MoaAssembler assembler;
        assembler.AddScript(u"main", kVariables);
        ASSERT_TRUE(LoadProgram(assembler, m_Moa));
        m_Moa.BuildVariables();
    }
    GxMoaVariable* Value(const char16_t* name)
    {
        GxMoaVariableSet* entry = m_Moa.GetVariableTable().Find(name);
        return entry != nullptr ? &entry->m_Value : nullptr;
    }
    // Every EXTERN_ variable set to 100 + its position, so that a reset shows.
    void Scribble()
    {
        std::int64_t i = 100;
        for (GxMoaVariableSet& entry : m_Moa.GetVariableTable().Entries()) {
            entry.m_Value.SetInt64(i++);
        }
    }
    std::vector<std::int64_t> Ints()
    {
        std::vector<std::int64_t> values;
        for (const GxMoaVariableSet& entry : m_Moa.GetVariableTable().Entries()) {
            values.push_back(entry.m_Value.GetType() == MOA_VALUE_INT ? entry.m_Value.ToInt64() : -1);
        }
        return values;
    }

    GxMoa m_Moa;
};

TEST_F(MoaVariables, BuildMakesOnlyTheExternScopes)
{
    const auto& entries = m_Moa.GetVariableTable().Entries();
    ASSERT_EQ(entries.size(), 5u);
    EXPECT_EQ(U8(entries[0].m_Name), "p");
    EXPECT_EQ(entries[0].m_Scope, 8);
    EXPECT_EQ(entries[1].m_Scope, 9);
    EXPECT_EQ(entries[2].m_Scope, 10);
    EXPECT_EQ(Value(u"p")->ToInt(), 1);
    ASSERT_EQ(Value(u"arr")->GetType(), MOA_VALUE_ARRAY);
    ASSERT_EQ(Value(u"arr")->ArraySize(), 2);
    EXPECT_TRUE(Value(u"arr")->GetArg(0).IsNull());
    EXPECT_TRUE(Value(u"arr")->GetArg(1).IsNull());
    EXPECT_EQ(Value(u"none")->GetType(), MOA_VALUE_ARRAY);   // size 0 is still an array
    EXPECT_EQ(Value(u"none")->ArraySize(), 0);
    EXPECT_EQ(Value(u"global"), nullptr);
    EXPECT_EQ(Value(u"static"), nullptr);

    // A rebuild starts from scratch.
    Scribble();
    m_Moa.GetVariableTable().AddLocal(u"stray", Int(9));
    m_Moa.BuildVariables();
    EXPECT_EQ(m_Moa.GetVariableTable().Entries().size(), 5u);
    EXPECT_EQ(Value(u"g")->ToInt(), 2);
}

TEST_F(MoaVariables, ResetTouchesOnlyTheSelectedScope)
{
    struct Case {
        std::int32_t saveClass;
        std::vector<std::int64_t> after;   // p, g, n, arr, none (-1: not an Int)
    };
    const Case cases[] = {
        {1, {100, 101, 102, 103, 104}},
        {0, {1, 2, 3, -1, -1}},
        {2, {1, 101, 102, 103, 104}},
        {3, {100, 2, 102, -1, -1}},
        {4, {100, 101, 3, 103, 104}},
        {5, {100, 101, 102, 103, 104}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.saveClass);
        Scribble();
        m_Moa.ResetVariables(c.saveClass);
        EXPECT_EQ(Ints(), c.after);
    }
    Scribble();
    EXPECT_TRUE(m_Moa.ResetGameVariables());
    EXPECT_EQ(Ints(), (std::vector<std::int64_t>{100, 2, 3, -1, -1}));
    EXPECT_EQ(Value(u"arr")->ArraySize(), 2);

    // A variable the program does not define becomes Null; other scopes stay.
    m_Moa.GetVariableTable().Entries().emplace_back(u"orphan", 9, Int(7));
    m_Moa.GetVariableTable().Entries().emplace_back(u"worker", 6, Int(8));
    m_Moa.ResetVariables(0);
    EXPECT_TRUE(Value(u"orphan")->IsNull());
    EXPECT_EQ(Value(u"worker")->ToInt(), 8);
}

TEST_F(MoaVariables, SavedGameRoundTripKeepsVariablesTheProgramDropped)
{
    Value(u"g")->SetInt64(20);
    Value(u"p")->SetInt64(10);
    m_Moa.GetVariableTable().Entries().emplace_back(u"old", 9, Str(u"kept"));
    for (const Form form : {Form::Text, Form::Binary}) {
        SCOPED_TRACE(form == Form::Text ? "text" : "binary");
        const std::string bytes = WriteRecord(form, [&](GxContentWriterBase& w) { EXPECT_TRUE(m_Moa.WriteVariables(w, 3)); });

        GxMoa loaded;
        MoaAssembler assembler;
        assembler.AddScript(u"main", kVariables);
        ASSERT_TRUE(LoadProgram(assembler, loaded));
        loaded.BuildVariables();
        loaded.GetVariableTable().Find(u"p")->m_Value.SetInt64(11);
        loaded.GetVariableTable().Find(u"g")->m_Value.SetInt64(99);
        loaded.GetVariableTable().Entries().erase(loaded.GetVariableTable().Entries().begin() + 2);   // n
        BytesReader reader(bytes);
        ASSERT_TRUE(reader.HeaderRead());
        EXPECT_TRUE(loaded.ResetAndReadVariables(*reader, 3));
        const GxMoaVariableTable& table = loaded.GetVariableTable();
        EXPECT_EQ(table.Find(u"g")->m_Value.ToInt(), 20);
        EXPECT_EQ(table.Find(u"p")->m_Value.ToInt(), 11);   // class 3 leaves PERMAN alone
        ASSERT_NE(table.Find(u"old"), nullptr);
        EXPECT_EQ(U8(table.Find(u"old")->m_Value.ToString()), "kept");
        EXPECT_EQ(table.Find(u"old")->m_Scope, 9);
        ASSERT_NE(table.Find(u"n"), nullptr);   // missing definitions come back
        EXPECT_EQ(table.Find(u"n")->m_Value.ToInt(), 3);

        loaded.BuildVariables();
        EXPECT_EQ(loaded.GetVariableTable().Find(u"old"), nullptr);
    }
}

TEST_F(MoaVariables, PersistentReadResetsNothingFirst)
{
    Value(u"p")->SetInt64(10);
    const std::string bytes = WriteRecord(Form::Binary, [&](GxContentWriterBase& w) { m_Moa.WriteVariables(w, 2); });
    GxMoaVariableTable& table = m_Moa.GetVariableTable();
    table.Find(u"p")->m_Value.SetInt64(0);
    table.Find(u"g")->m_Value.SetInt64(55);
    BytesReader reader(bytes);
    EXPECT_TRUE(m_Moa.ReadVariables(*reader, 2));
    EXPECT_EQ(Value(u"p")->ToInt(), 10);
    EXPECT_EQ(Value(u"g")->ToInt(), 55);
}

TEST_F(MoaVariables, DamagedVariablesFailAfterKeepingWhatWasRead)
{
    Value(u"g")->SetInt64(20);
    std::string bytes = WriteRecord(Form::Binary, [&](GxContentWriterBase& w) { m_Moa.WriteVariables(w, 0); });
    bytes.resize(bytes.size() - 3);
    Value(u"p")->SetInt64(0);
    Value(u"g")->SetInt64(0);
    BytesReader reader(bytes, nullptr, false);
    EXPECT_FALSE(m_Moa.ReadVariables(*reader, 0));
    EXPECT_EQ(Value(u"p")->ToInt(), 1);
    EXPECT_EQ(Value(u"g")->ToInt(), 20);
}

TEST_F(MoaVariables, ClearKeepsVariablesAndDumpWritesThem)
{
    m_Moa.Clear();
    EXPECT_TRUE(m_Moa.GetScripts().empty());
    EXPECT_TRUE(m_Moa.GetVariableDefinitions().empty());
    EXPECT_EQ(m_Moa.GetVariableTable().Entries().size(), 5u);

    MemoryStream stream;
    m_Moa.Dump(stream.File(), 1);
    const std::u16string expected = u"--MoaInstance:\n" + m_Moa.GetVariableTable().DumpText(1);
    EXPECT_EQ(m_Moa.DumpText(1), expected);
    EXPECT_EQ(DecodeUtf16Le(stream.Bytes()), expected);
    EXPECT_EQ(U8(expected).rfind("--MoaInstance:\nScope:EXTERN_PERMAN\n", 0), 0u);
    EXPECT_NE(U8(expected).find("$p=1(Int)"), std::string::npos);
    m_Moa.Dump(nullptr, 0);   // no file: nothing happens
}

class MoaDiagnostics : public MoaLogTest {};

TEST_F(MoaDiagnostics, LinesReachTheLogsWithTheLineNumberFromOne)
{
    GxMoaEx moa;
    moa.Warning(u"main", 0, u"%s", u"text");
    moa.Error(u"main", 3, u"%s", u"text");
    moa.Print(u"%s", u"said");
    EXPECT_EQ(moa.GetWarningCount(), 1);
    EXPECT_EQ(moa.GetErrorCount(), 1);

    const auto warnings = m_Log.At(GxDebugListenerBase::kLevelWarning);
    const auto errors = m_Log.At(GxDebugListenerBase::kLevelError);
    const auto debug = m_Log.At(GxDebugListenerBase::kLevelDebug);
    ASSERT_EQ(warnings.size(), 1u);
    ASSERT_EQ(errors.size(), 1u);
    ASSERT_EQ(debug.size(), 1u);
    EXPECT_EQ(U8(warnings[0]), "warn:[Script=\"main\"/line=1] text\n");
    EXPECT_EQ(U8(errors[0]), "err:[Script=\"main\"/line=4] text\n");
    EXPECT_EQ(U8(debug[0]), "said\n");
    EXPECT_EQ(U8(ErrorLog()), "warn:[Script=\"main\"/line=1] text\nerr:[Script=\"main\"/line=4] text\n");
    EXPECT_EQ(U8(DebugLog()), "said\n");

    LogSetWarningsMuted(true);
    m_Log.Clear();
    moa.Warning(u"main", 0, u"%s", u"muted");
    EXPECT_EQ(moa.GetWarningCount(), 2);   // counted even when not written
    EXPECT_TRUE(m_Log.At(GxDebugListenerBase::kLevelWarning).empty());

    moa.SetErrorStop(true);
    moa.SetBreak(true);
    moa.ResetRunState();
    EXPECT_FALSE(moa.IsErrorStop());
    EXPECT_FALSE(moa.IsBreak());
    EXPECT_EQ(moa.GetErrorCount(), 0);
    EXPECT_EQ(moa.GetWarningCount(), 0);
}

TEST_F(MoaDiagnostics, ScriptTextIsNeverAFormat)
{
    GxMoaEx moa;
    moa.Print(u"%s", u"%s%d%n");
    moa.Error(u"%d", 0, u"%s", u"50%s done %d");
    EXPECT_EQ(U8(DebugLog()), "%s%d%n\n");
    EXPECT_EQ(U8(ErrorLog()), "err:[Script=\"%d\"/line=1] 50%s done %d\n");
}

TEST_F(MoaDiagnostics, LongTextIsCutWithoutSplittingASurrogatePair)
{
    GxMoaEx moa;
    const std::u16string plain(2000, u'a');
    moa.Print(u"%s", plain.c_str());
    EXPECT_EQ(DebugLog(), std::u16string(1023, u'a') + u"\n");

    // A pair that would straddle the cut is dropped whole.
    std::u16string paired(1022, u'b');
    paired += u"\U0001F600";
    paired += std::u16string(500, u'c');
    moa.Print(u"%s", paired.c_str());
    const std::u16string log = DebugLog();
    EXPECT_EQ(log.substr(1024), std::u16string(1022, u'b') + u"\n");

    m_Log.Clear();
    moa.Error(u"main", 0, u"%s", plain.c_str());
    const auto errors = m_Log.At(GxDebugListenerBase::kLevelError);
    ASSERT_EQ(errors.size(), 1u);
    // The listener sees at most 1023 units of the whole line; the file has the whole text.
    const std::u16string file = ErrorLog();
    EXPECT_EQ(file, u"err:[Script=\"main\"/line=1] " + std::u16string(1023, u'a') + u"\n");
}

TEST(MoaInstance, BaseOnlyCounts)
{
    GxMoa moa;
    moa.Print(u"%s", u"x");
    moa.Warning(u"s", 0, u"%s", u"x");
    moa.Error(u"s", 0, u"%s", u"x");
    EXPECT_EQ(moa.GetWarningCount(), 1);
    EXPECT_EQ(moa.GetErrorCount(), 1);
}

}  // namespace
