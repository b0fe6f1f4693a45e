// [Script assembler] sources in our syntax become the tokens, links and definitions the
// engine reads back from the program file.
#include "tests/support/moa_assembler.h"

#include "script/moa.h"
#include "script/moa_names.h"

#include "script_test_support.h"

#include <gtest/gtest.h>

#include <bit>

using namespace script_test;

namespace {

// Assembles one script "main", writes it in the binary form and reads it back.
const GxMoaScript* Roundtrip(GxMoa& moa, std::string_view source, MoaAssembler assembler = MoaAssembler())
{
    assembler.AddScript(u"Main", source);
    const std::string bytes = assembler.Assemble(MoaProgramForm::Binary);
    EXPECT_FALSE(bytes.empty()) << (assembler.Errors().empty() ? "" : assembler.Errors()[0]);
    EXPECT_TRUE(ReadMoaProgram(bytes, moa));
    return moa.FindScript(u"main");
}

std::vector<int> Kinds(const GxMoaScript& script, int line)
{
    std::vector<int> kinds;
    if (line >= script.GetLineCount()) {
        return kinds;
    }
    for (const GxMoaToken& token : script.m_Lines[static_cast<std::size_t>(line)].m_Tokens) {
        kinds.push_back(token.m_Kind);
    }
    return kinds;
}

const GxMoaToken& Token(const GxMoaScript& script, int line, int pos)
{
    return script.m_Lines[static_cast<std::size_t>(line)].m_Tokens[static_cast<std::size_t>(pos)];
}

}  // namespace

TEST(MoaAssembler, LinesBecomeTokens)
{
    struct Case {
        const char* source;
        std::vector<int> kinds;
    };
    const Case cases[] = {
        {"// comment", {}},
        {"", {}},
        {"花子「こんにちは」", {8}},
        {"Hello there, world.", {8}},
        {"Log in later. If (not) now", {8}},
        {"Print (1)", {1, 40, 3, 41}},
        {"$x = 1 + 2", {9, 69, 3, 48, 3}},
        {"$x = -1 - -2.5", {9, 69, 55, 3, 50, 55, 4}},
        {"$x = +$y * ($z - 1)", {9, 69, 54, 9, 51, 40, 9, 50, 3, 41}},
        {"$a[1] = $b[$i] % 3", {10, 38, 3, 39, 69, 10, 38, 9, 39, 53, 3}},
        {"$x++", {9, 67}},
        {"++$x", {65, 9}},
        {"$a[0]--", {10, 38, 3, 39, 68}},
        {"$s := \"a\" : 'b' : NULL", {9, 71, 5, 49, 5, 49, 6}},
        {"$t = ~$x ^ !$y | $z & 1 << 2 >> 3", {9, 69, 59, 9, 58, 62, 9, 57, 9, 56, 3, 60, 3, 61, 3}},
        {"$c = $a == 1 && $b != 2 || $c >= 3 && $d <= 4 || $e < 5 || $f > 6",
         {9, 69, 9, 42, 3, 63, 9, 43, 3, 64, 9, 45, 3, 63, 9, 47, 3, 64, 9, 46, 3, 64, 9, 44, 3}},
        {"$x += 1 // trailing comment", {9, 70, 3}},
        {"$x -= 1", {9, 72, 3}},
        {"$x *= 1", {9, 73, 3}},
        {"$x /= 1", {9, 74, 3}},
        {"$x %= 1", {9, 75, 3}},
        {"$x &= 1", {9, 76, 3}},
        {"$x |= 1", {9, 77, 3}},
        {"$x ^= 1", {9, 78, 3}},
        {"$x = ARRAY(1, 2)", {9, 69, 13, 40, 3, 35, 3, 41}},
        {"Print(\"x\")", {1, 40, 5, 41}},
        {"bg.show(1)", {2, 40, 3, 41}},
        {"bg(1)", {2, 40, 3, 41}},
        {"WHILE ($x) { }", {29, 40, 9, 41, 36, 37}},
        {"; $x", {34, 9}},
    };
    for (const Case& c : cases) {
        GxMoa moa;
        const GxMoaScript* script = Roundtrip(moa, c.source);
        ASSERT_NE(script, nullptr) << c.source;
        EXPECT_EQ(Kinds(*script, 0), c.kinds) << c.source;
    }
}

TEST(MoaAssembler, TokenValues)
{
    GxMoa moa;
    const GxMoaScript* script =
        Roundtrip(moa, "花子「こんにちは」\n$変数 = 0x10 + 2.5e1 + 0.0 + \"a\\\"b\\n\"\nPrint(1)\nGO(\"*start\")\n*start\n");
    ASSERT_NE(script, nullptr);
    EXPECT_EQ(U8(Token(*script, 0, 0).GetString()), "花子「こんにちは」");
    EXPECT_EQ(U8(Token(*script, 1, 0).GetString()), "変数");
    EXPECT_EQ(Token(*script, 1, 2).m_Int, 16);
    EXPECT_EQ(Token(*script, 1, 4).m_Int, std::bit_cast<std::int64_t>(25.0));
    EXPECT_EQ(Token(*script, 1, 6).m_Int, 0);   // 0.0 travels without "m_Int"
    EXPECT_EQ(Token(*script, 1, 6).m_Kind, MOA_TOKEN_FLOAT);
    EXPECT_EQ(Token(*script, 1, 8).GetString(), u"a\"b\n");
    // Builtins: lower-cased name and index, with a definition each.
    EXPECT_EQ(Token(*script, 2, 0).GetString(), u"print");
    const GxMoaBuiltinDefinition* print = moa.FindBuiltinDefinition(u"print");
    ASSERT_NE(print, nullptr);
    EXPECT_EQ(Token(*script, 2, 0).m_Int, print->m_BuiltinIndex);
    EXPECT_EQ(Token(*script, 3, 0).GetString(), u"go");
    EXPECT_EQ(moa.GetBuiltinDefinitions().size(), 48u);
    // A label: token index 0 on its line, in the program's list.
    const GxMoaLabelDefinition* start = moa.FindLabel(u"start");
    ASSERT_NE(start, nullptr);
    EXPECT_EQ(start->m_Position, GxMoaRunPos(4, 0));
    EXPECT_EQ(start->m_Position.m_ScriptName, u"main");
    EXPECT_EQ(Token(*script, 4, 0).GetString(), u"start");
}

TEST(MoaAssembler, IfElseChainsAreLinked)
{
    GxMoa moa;
    const GxMoaScript* script = Roundtrip(moa,
                                          "IF ($a == 1) {\n"          // 0
                                          "  $b = 1\n"                // 1
                                          "} ELSE IF ($a) {\n"        // 2
                                          "  IF (1) { $c = 1 }\n"     // 3
                                          "} ELSE {\n"                // 4
                                          "  $b = 3\n"                // 5
                                          "}\n");                     // 6
    ASSERT_NE(script, nullptr);
    const GxMoaToken& ifToken = Token(*script, 0, 0);
    EXPECT_EQ(ifToken.GetLink(1), GxMoaRunPos(0, 2));
    EXPECT_EQ(Token(*script, 0, 6).m_Kind, MOA_TOKEN_BLOCK_OPEN);
    EXPECT_EQ(Token(*script, 0, 6).GetLink(0), GxMoaRunPos(2, 0));
    EXPECT_EQ(Token(*script, 2, 0).m_Int, 3);
    const GxMoaToken& elseIf = Token(*script, 2, 1);
    EXPECT_EQ(elseIf.m_Kind, MOA_TOKEN_ELSE);
    EXPECT_EQ(elseIf.GetLink(1), GxMoaRunPos(2, 4));
    EXPECT_EQ(Token(*script, 2, 6).GetLink(0), GxMoaRunPos(4, 0));
    // The nested block on one line.
    EXPECT_EQ(Token(*script, 3, 0).GetLink(1), GxMoaRunPos(3, 2));
    EXPECT_EQ(Token(*script, 3, 4).GetLink(0), GxMoaRunPos(3, 8));
    EXPECT_EQ(Token(*script, 3, 8).m_Int, 3);
    EXPECT_EQ(Token(*script, 4, 0).m_Int, 3);
    const GxMoaToken& plainElse = Token(*script, 4, 1);
    EXPECT_EQ(plainElse.GetLinkLine(1), -1);
    EXPECT_EQ(Token(*script, 4, 2).GetLink(0), GxMoaRunPos(6, 0));
    EXPECT_EQ(Token(*script, 6, 0).m_Int, 4);
    // The cursor finds the block of the plain ELSE from it.
    GxMoaRunPos p;
    EXPECT_TRUE(GxMoaScript::SeekBlockOpen(script, p, 4, 1));
    EXPECT_EQ(p, GxMoaRunPos(4, 2));
}

TEST(MoaAssembler, DeclarationsGoToTheirLists)
{
    MoaAssembler assembler;
    GxMoa moa;
    const GxMoaScript* script = Roundtrip(moa,
                                          "GLOBAL INGAME $x = 5\n"
                                          "STATIC PERMAN $a[3]\n"
                                          "STATIC NOSAVE $s = \"t\"\n"
                                          "EXTERN $e = -1.5\n"
                                          "GLOBAL NOSAVE $n = NULL\n"
                                          "STATIC $i\n"
                                          "BUILTIN sp.show, SP.LCG\n"
                                          "sp.show(\"bg\")\n",
                                          assembler);
    ASSERT_NE(script, nullptr);
    EXPECT_EQ(Kinds(*script, 0), (std::vector<int>{22, 25, 9, 69, 3}));
    EXPECT_EQ(Kinds(*script, 1), (std::vector<int>{21, 26, 10, 38, 3, 39}));
    struct Expected {
        const char16_t* name;
        std::int32_t scope, arraySize;
        bool inScript;
        std::uint32_t type;
        int line;
    };
    const Expected expected[] = {
        {u"x", 6, -1, false, MOA_VALUE_INT, 0},   {u"a", 2, 3, true, MOA_VALUE_NULL, 1},
        {u"s", 4, -1, true, MOA_VALUE_STR, 2},    {u"e", 9, -1, false, MOA_VALUE_FLOAT, 3},
        {u"n", 7, -1, false, MOA_VALUE_NULL, 4},  {u"i", 3, -1, true, MOA_VALUE_NULL, 5},
    };
    for (const Expected& e : expected) {
        const GxMoaVariableDefinition* definition =
            e.inScript ? script->FindVariableDefinition(e.name) : moa.FindVariableDefinition(e.name);
        ASSERT_NE(definition, nullptr) << U8(e.name);
        EXPECT_EQ(definition->m_Scope, e.scope) << U8(e.name);
        EXPECT_EQ(definition->m_ArraySize, e.arraySize) << U8(e.name);
        EXPECT_EQ(definition->m_Value.GetType(), e.type) << U8(e.name);
        EXPECT_EQ(definition->m_Line, e.line) << U8(e.name);
        EXPECT_EQ(definition->m_ScriptName, u"main");
    }
    EXPECT_EQ(moa.FindVariableDefinition(u"x")->m_Value.ToInt64(), 5);
    EXPECT_EQ(moa.FindVariableDefinition(u"e")->m_Value.ToFloat(), -1.5);
    // Declared builtins: definitions in lower case, and calls as builtin tokens.
    EXPECT_NE(moa.FindBuiltinDefinition(u"sp.show"), nullptr);
    EXPECT_NE(moa.FindBuiltinDefinition(u"sp.lcg"), nullptr);
    EXPECT_EQ(Token(*script, 7, 0).m_Kind, MOA_TOKEN_BUILTIN);
    EXPECT_EQ(Token(*script, 7, 0).GetString(), u"sp.show");
}

TEST(MoaAssembler, LocalLabelsAndScriptNames)
{
    MoaAssembler assembler;
    assembler.AddScript(u"First", "*@loop\n*shared\n").AddScript(u"second", "\n*@loop\n");
    GxMoa moa;
    ASSERT_TRUE(assembler.Build(moa));
    const GxMoaScript* first = moa.FindScript(u"first");
    const GxMoaScript* second = moa.FindScript(u"second");
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(moa.FindLabelInScript(u"@loop", first)->m_Position.m_Line, 0);
    EXPECT_EQ(moa.FindLabelInScript(u"@loop", second)->m_Position.m_Line, 1);
    EXPECT_EQ(moa.FindLabel(u"@loop"), nullptr);
    EXPECT_EQ(moa.FindLabel(u"shared")->m_Position.m_ScriptName, u"first");
}

TEST(MoaAssembler, ErrorsNameScriptAndLine)
{
    const char* sources[] = {
        "*a\n*a", "}", "IF ($x) {", "IF $x {\n}", "$x = \"open", "$x = 1 @ 2", "STATIC $a[$i]", "$x = 99999999999999999999",
    };
    for (const char* source : sources) {
        MoaAssembler assembler;
        assembler.AddScript(u"s", source);
        EXPECT_TRUE(assembler.Assemble(MoaProgramForm::Text).empty()) << source;
        ASSERT_FALSE(assembler.Errors().empty()) << source;
        EXPECT_EQ(assembler.Errors()[0].rfind("s:", 0), 0u) << assembler.Errors()[0];
    }
    MoaAssembler twice;
    twice.AddScript(u"a", "").AddScript(u"A", "");
    EXPECT_TRUE(twice.Assemble(MoaProgramForm::Binary).empty());
}
