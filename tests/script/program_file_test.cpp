// [Moa program] the compiled program file in its three forms, against a hand-written text
// fixture, with repeated names, a wrong closing marker, and damaged data.
#include "script/moa.h"
#include "script/moa_names.h"

#include "script_test_support.h"
#include "tests/support/compressed_content.h"
#include "tests/support/moa_assembler.h"

#include <gtest/gtest.h>

using namespace script_test;

namespace {

// Script "main": line 0 "*start", line 1 "$a = 1 + 2". Written by hand so that the writer and
// the reader cannot share a mistake.
const std::string kFixture =
    "TMOA\t1\n"
    "20\tm_pLabelDefine\t\t1\t{\n"
    "1a\tm_Name\t5\t\"start\"\n"
    "05\tm_Line\t0\n"
    "05\tm_Pos\t0\n"
    "1a\tm_ScriptName\t4\t\"main\"\n"
    "05\tm_Scope\t0\n"
    "21\t}\n"
    "20\tm_VariableDefine\t\t0\t{\n"
    "21\t}\n"
    "20\tm_BuiltinDefine\t\t0\t{\n"
    "21\t}\n"
    "20\tm_pScriptDefine\t\t1\t{\n"
    "1a\tm_ScriptName\t4\t\"main\"\n"
    "20\tm_pLabelDefine\t\t0\t{\n"
    "21\t}\n"
    "20\tm_VariableDefine\t\t0\t{\n"
    "21\t}\n"
    "20\tm_Lines\t\t2\t{\n"
    "20\tm_Tokens\t\t1\t{\n"
    "15\tm_Flags\t4\n"
    "06\tm_TokenTypeAndScope\t7\n"
    "1a\tm_Str\t5\t\"start\"\n"
    "21\t}\n"
    "20\tm_Tokens\t\t5\t{\n"
    "15\tm_Flags\t4\n"
    "06\tm_TokenTypeAndScope\t9\n"
    "1a\tm_Str\t1\t\"a\"\n"
    "15\tm_Flags\t0\n"
    "06\tm_TokenTypeAndScope\t69\n"
    "15\tm_Flags\t1\n"
    "06\tm_TokenTypeAndScope\t3\n"
    "07\tm_Int\t1\n"
    "15\tm_Flags\t0\n"
    "06\tm_TokenTypeAndScope\t48\n"
    "15\tm_Flags\t1\n"
    "06\tm_TokenTypeAndScope\t3\n"
    "07\tm_Int\t2\n"
    "21\t}\n"
    "21\t}\n"
    "21\t}\n"
    "1a\tEND_MARKER\t10\t\"END_MARKER\"\n";

void ExpectFixtureProgram(const GxMoa& moa)
{
    ASSERT_EQ(moa.GetLabels().size(), 1u);
    const GxMoaLabelDefinition* start = moa.FindLabel(u"start");
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->m_Position, GxMoaRunPos(0, 0));
    EXPECT_EQ(start->m_Position.m_ScriptName, u"main");
    EXPECT_TRUE(moa.GetVariableDefinitions().empty());
    EXPECT_TRUE(moa.GetBuiltinDefinitions().empty());
    ASSERT_EQ(moa.GetScripts().size(), 1u);
    const GxMoaScript* main = moa.FindScript(u"main");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->GetOwner(), &moa);
    ASSERT_EQ(main->GetLineCount(), 2);
    ASSERT_EQ(main->GetTokenCount(0), 1);
    EXPECT_EQ(main->m_Lines[0].m_Tokens[0].m_Kind, MOA_TOKEN_LABEL);
    EXPECT_EQ(main->m_Lines[0].m_Tokens[0].GetString(), u"start");
    const std::uint16_t kinds[] = {9, 69, 3, 48, 3};
    const std::int64_t numbers[] = {0, 0, 1, 0, 2};
    ASSERT_EQ(main->GetTokenCount(1), 5);
    for (int i = 0; i < 5; ++i) {
        const GxMoaToken& token = main->m_Lines[1].m_Tokens[static_cast<std::size_t>(i)];
        EXPECT_EQ(token.m_Kind, kinds[i]) << i;
        EXPECT_EQ(token.m_Int, numbers[i]) << i;
        EXPECT_EQ(token.HasString(), i == 0) << i;
        EXPECT_FALSE(token.HasLinks());
    }
    EXPECT_TRUE(moa.HasLabel(u"start", u"main"));
}

// A program with something of everything the file holds.
void BuildFullProgram(GxMoa& moa)
{
    MoaAssembler assembler;
    assembler.AddBuiltin(u"sp.show");
    assembler
        .AddScript(u"main", "*start\n*@here\nGLOBAL PERMAN $g[2] = 1.5\nSTATIC $s = \"x\"\n"
                            "IF ($g == 1) {\n  GO(\"*@here\")\n} ELSE {\n  $s := -2\n}\nテキスト\n")
        .AddScript(u"Other", "EXTERN NOSAVE $e = NULL\n*a\nbg.show(\"x\", 0x10)\n");
    ASSERT_TRUE(assembler.Build(moa)) << (assembler.Errors().empty() ? "" : assembler.Errors()[0]);
}

// Replaces the first occurrence of `from`, which must be there.
void Replace(std::string& text, const std::string& from, const std::string& to)
{
    const std::size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
}

// Compares two programs through their text form.
std::string TextOf(const GxMoa& moa) { return WriteMoaProgram(moa, MoaProgramForm::Text); }

}  // namespace

TEST(MoaProgramFile, HandWrittenTextFixtureReadsAndWritesBackExactly)
{
    GxMoa moa;
    ASSERT_TRUE(ReadMoaProgram(kFixture, moa));
    ExpectFixtureProgram(moa);
    EXPECT_EQ(WriteMoaProgram(moa, MoaProgramForm::Text), kFixture);
}

TEST(MoaProgramFile, AllThreeFormsReadEqual)
{
    GxMoa full;
    BuildFullProgram(full);
    const std::string text = TextOf(full);
    for (MoaProgramForm form : {MoaProgramForm::Text, MoaProgramForm::Binary, MoaProgramForm::Compressed}) {
        const std::string bytes = WriteMoaProgram(full, form);
        ASSERT_FALSE(bytes.empty());
        EXPECT_EQ(bytes[0], "TBZ"[static_cast<int>(form)]);
        GxMoa read;
        read.GetVariableTable().Entries().emplace_back(u"kept", 9, Int(1));
        ASSERT_TRUE(ReadMoaProgram(bytes, read)) << static_cast<int>(form);
        EXPECT_EQ(TextOf(read), text) << static_cast<int>(form);
        // Reading replaces the program and leaves the instance's variables alone.
        EXPECT_EQ(read.GetVariableTable().Entries().size(), 1u);
        ASSERT_TRUE(ReadMoaProgram(kFixture, read));
        ExpectFixtureProgram(read);
    }
    // Scripts come out in code-unit order of their names ("main" < "other").
    const std::size_t scripts = text.find("m_pScriptDefine");
    EXPECT_LT(text.find("\"main\"", scripts), text.find("\"other\"", scripts));
}

TEST(MoaProgramFile, EmptyProgram)
{
    GxMoa empty;
    const std::string bytes = WriteMoaProgram(empty, MoaProgramForm::Binary);
    GxMoa read;
    ASSERT_TRUE(ReadMoaProgram(kFixture, read));
    ASSERT_TRUE(ReadMoaProgram(bytes, read));
    EXPECT_TRUE(read.GetLabels().empty());
    EXPECT_TRUE(read.GetScripts().empty());
}

TEST(MoaProgramFile, RepeatedNamesKeepTheFirst)
{
    // Two scripts "main" (the second with three lines), two labels "start".
    std::string text = kFixture;
    const std::string labelBlock = "1a\tm_Name\t5\t\"start\"\n05\tm_Line\t0\n05\tm_Pos\t0\n"
                                   "1a\tm_ScriptName\t4\t\"main\"\n05\tm_Scope\t0\n";
    Replace(text, "20\tm_pLabelDefine\t\t1\t{\n", "20\tm_pLabelDefine\t\t2\t{\n");
    std::string second = labelBlock;
    Replace(second, "m_Line\t0", "m_Line\t7");
    text.insert(text.find("21\t}\n20\tm_VariableDefine"), second);
    Replace(text, "20\tm_pScriptDefine\t\t1\t{\n", "20\tm_pScriptDefine\t\t2\t{\n");
    const std::string otherMain = "1a\tm_ScriptName\t4\t\"main\"\n20\tm_pLabelDefine\t\t0\t{\n21\t}\n"
                                  "20\tm_VariableDefine\t\t0\t{\n21\t}\n20\tm_Lines\t\t3\t{\n"
                                  "20\tm_Tokens\t\t0\t{\n21\t}\n20\tm_Tokens\t\t0\t{\n21\t}\n20\tm_Tokens\t\t0\t{\n21\t}\n21\t}\n";
    text.insert(text.find("21\t}\n1a\tEND_MARKER"), otherMain);

    GxMoa moa;
    LogCapture log;
    ASSERT_TRUE(ReadMoaProgram(text, moa)) << (log.Lines().empty() ? text : log.Lines()[0]);
    EXPECT_EQ(moa.FindLabel(u"start")->m_Position.m_Line, 0);
    ExpectFixtureProgram(moa);

    // Repeated variable and builtin definitions are kept; lookups find the first.
    std::string defs = kFixture;
    const std::string builtin = "1a\tm_Name\t2\t\"go\"\n05\tm_BuiltinIndex\t%d\n05\tm_RelatedIndex\t-1\n05\tm_BuiltinType\t1\n";
    std::string twoBuiltins;
    for (int index : {4, 5}) {
        std::string one = builtin;
        one.replace(one.find("%d"), 2, std::to_string(index));
        twoBuiltins += one;
    }
    Replace(defs, "20\tm_BuiltinDefine\t\t0\t{\n", "20\tm_BuiltinDefine\t\t2\t{\n" + twoBuiltins);
    ASSERT_TRUE(ReadMoaProgram(defs, moa));
    ASSERT_EQ(moa.GetBuiltinDefinitions().size(), 2u);
    EXPECT_EQ(moa.FindBuiltinDefinition(u"go")->m_BuiltinIndex, 4);
}

TEST(MoaProgramFile, ClosingMarkerMustBeExact)
{
    std::string text = kFixture;
    Replace(text, "10\t\"END_MARKER\"", "8\t\"END_MARK\"");
    GxMoa moa;
    EXPECT_FALSE(ReadMoaProgram(text, moa));
    ExpectFixtureProgram(moa);   // everything before it was read
}

TEST(MoaProgramFile, WrongHeaderFailsWithTheReadersMessage)
{
    GxMoa moa;
    LogCapture log;
    std::string text = kFixture;
    text[1] = 'X';
    EXPECT_FALSE(ReadMoaProgram(text, moa));
    ASSERT_FALSE(log.Lines().empty());
    EXPECT_NE(log.Lines().back().find("FileHeader Isn't TMOA"), std::string::npos);
    EXPECT_FALSE(ReadMoaProgram("", moa));
}

TEST(MoaProgramFile, FileCutAtEveryByteFailsWithoutHarm)
{
    GxMoa full;
    BuildFullProgram(full);
    // The text form at each line start and inside each line (up to the last line's end); the
    // binary form at every byte.
    const std::string text = WriteMoaProgram(full, MoaProgramForm::Text);
    std::vector<std::size_t> cuts;
    for (std::size_t at = 0; at < text.size(); at = text.find('\n', at) + 1) {
        cuts.push_back(at);
        cuts.push_back(at + (text.find('\n', at) - at) / 2);
    }
    for (std::size_t size : cuts) {
        GxMoa moa;
        EXPECT_FALSE(ReadMoaProgram(text.substr(0, size), moa, false)) << size;
    }
    const std::string binary = WriteMoaProgram(full, MoaProgramForm::Binary);
    for (std::size_t size = 0; size < binary.size(); ++size) {
        GxMoa moa;
        EXPECT_FALSE(ReadMoaProgram(binary.substr(0, size), moa, false)) << size;
    }
    // The compressed form cut short of its stream, or announcing more than it holds.
    const std::string compressed = WriteMoaProgram(full, MoaProgramForm::Compressed);
    for (std::size_t size : {std::size_t{0}, std::size_t{27}, std::size_t{40}, compressed.size() - 1}) {
        GxMoa moa;
        EXPECT_FALSE(ReadMoaProgram(compressed.substr(0, size), moa, false)) << size;
    }
    GxMoa moa;
    EXPECT_FALSE(ReadMoaProgram(CompressBinaryContent(binary.substr(0, binary.size() - 3), "ZMOA",
                                                      static_cast<std::uint32_t>(binary.size())),
                                moa, false));
}

TEST(MoaProgramFile, DamagedCountsAreReadErrorsWithoutLargeAllocations)
{
    struct Case {
        const char* what;
        std::string from, to, message;
    };
    const Case cases[] = {
        {"list count of 4,000,000,000", "20\tm_Lines\t\t2\t{", "20\tm_Lines\t\t4000000000\t{", "m_Lines count out of range"},
        {"label count beyond the data", "20\tm_pLabelDefine\t\t1\t{", "20\tm_pLabelDefine\t\t99999\t{",
         "m_pLabelDefine count out of range"},
        {"token count beyond the data", "20\tm_Tokens\t\t5\t{", "20\tm_Tokens\t\t2147483647\t{", "m_Tokens count out of range"},
    };
    for (const Case& c : cases) {
        std::string text = kFixture;
        Replace(text, c.from, c.to);
        LogCapture log;
        GxMoa moa;
        EXPECT_FALSE(ReadMoaProgram(text, moa)) << c.what;
        bool found = false;
        for (const std::string& line : log.Lines()) {
            found = found || line.find(c.message) != std::string::npos;
        }
        EXPECT_TRUE(found) << c.what;
    }

    // A variable definition with a negative array size in its value, and an unknown value type.
    GxMoa program;
    GxMoaVariableDefinition definition;
    definition.m_Name = u"v";
    definition.m_Scope = 9;
    definition.m_Value.MakeArray(1);
    program.AddVariableDefinition(definition);
    const std::string text = WriteMoaProgram(program, MoaProgramForm::Text);
    std::string negative = text;
    Replace(negative, "m_ArraySize\t1", "m_ArraySize\t-5");
    GxMoa moa;
    EXPECT_FALSE(ReadMoaProgram(negative, moa, false));
    std::string unknown = text;
    Replace(unknown, "m_ValueType\t39", "m_ValueType\t77");
    EXPECT_FALSE(ReadMoaProgram(unknown, moa, false));   // the element's record is then out of place
    ASSERT_EQ(moa.GetVariableDefinitions().size(), 1u);
    EXPECT_EQ(moa.GetVariableDefinitions()[0].m_Value.GetType(), 77u);
}

TEST(MoaProgramFile, InstanceLookups)
{
    GxMoa moa;
    BuildFullProgram(moa);
    const GxMoaScript* main = moa.FindScript(u"main");
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(moa.FindScript(u"Other"), nullptr);   // names are stored in lower case
    EXPECT_NE(moa.FindLabelInScript(u"@here", main), nullptr);
    EXPECT_EQ(moa.FindLabelInScript(u"@here", moa.FindScript(u"other")), nullptr);
    EXPECT_EQ(moa.FindLabelInScript(u"@here", nullptr), nullptr);
    EXPECT_NE(moa.FindLabelInScript(u"a", main), nullptr);
    EXPECT_EQ(moa.FindLabelInScript(u"", main), nullptr);
    EXPECT_EQ(moa.FindLabel(u"@here"), nullptr);
    EXPECT_TRUE(moa.HasLabel(u"start", u"other"));
    EXPECT_FALSE(moa.HasLabel(u"@here", u"other"));
    EXPECT_NE(moa.FindVariableDefinition(u"g"), nullptr);
    EXPECT_EQ(moa.FindVariableDefinition(u"s"), nullptr);   // STATIC: the script's own
    EXPECT_NE(main->FindVariableDefinition(u"s"), nullptr);
    EXPECT_NE(moa.FindBuiltinDefinition(u"sp.show"), nullptr);
    EXPECT_NE(moa.FindBuiltinDefinition(u"print"), nullptr);
    EXPECT_EQ(moa.FindBuiltinDefinition(u"Print"), nullptr);

    GxMoaLabelDefinition label;
    label.m_Name = u"start";
    EXPECT_FALSE(moa.AddLabel(label));
    EXPECT_TRUE(moa.AddNamedValue(u"n", Int(1)));
    EXPECT_FALSE(moa.AddNamedValue(u"n", Int(2)));
    EXPECT_EQ(moa.FindNamedValue(u"n")->ToInt64(), 1);
    moa.GetVariableTable().Entries().emplace_back(u"x", 9, Int(1));
    moa.Clear();
    EXPECT_TRUE(moa.GetScripts().empty());
    EXPECT_TRUE(moa.GetLabels().empty());
    EXPECT_EQ(moa.FindNamedValue(u"n"), nullptr);
    EXPECT_EQ(moa.GetVariableTable().Entries().size(), 1u);
}

TEST(MoaProgramFile, ListsStopWhereTheDataEnds)
{
    // 50,000 scripts announced, which the bytes left could hold, but only one name follows:
    // the read stops at the end of the data instead of failing read after read.
    const std::string bytes = [] {
        MemoryStream stream;
        GxContentBinaryWriter writer(stream.File());
        writer.WriteHeader("BMOA", 1);
        for (const char* list : {"m_pLabelDefine", "m_VariableDefine", "m_BuiltinDefine"}) {
            writer.WriteListBegin(list, "", 0);
            writer.WriteListEnd();
        }
        writer.WriteListBegin("m_pScriptDefine", "", 50000);
        writer.WriteWString("m_ScriptName", std::u16string(100000, u'x'));
        return stream.Bytes();
    }();
    LogCapture log;
    GxMoa moa;
    EXPECT_FALSE(ReadMoaProgram(bytes, moa));
    EXPECT_LT(log.Lines().size(), 20u);
    EXPECT_EQ(moa.GetScripts().size(), 1u);
}
