// [Moa compiler] one-line scripts in our own syntax, assembled and read back as a compiled
// program, compiled from a cursor: the opcode lists and end positions, and each compile error
// with its exact log line.
#include "script/expression_compiler.h"
#include "script/moa_ex.h"
#include "script/moa_names.h"
#include "script/token.h"

#include "moa_log_fixture.h"
#include "script_test_support.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdio>

using namespace script_test;
using namespace moa_test;

namespace {

// An opcode list as text: an Opcode entry is its number, then "i:" Int, "f:" Float, "s:" Str.
std::string Render(const GxMoaOpcodeList& list)
{
    std::string text;
    for (const GxMoaVariable& entry : list) {
        if (!text.empty()) {
            text += ' ';
        }
        switch (entry.GetType()) {
        case MOA_VALUE_OPCODE: text += std::to_string(entry.GetRawBits()); break;
        case MOA_VALUE_INT: text += "i:" + std::to_string(entry.ToInt64()); break;
        case MOA_VALUE_FLOAT: {
            char number[32];
            std::snprintf(number, sizeof(number), "f:%g", entry.ToFloat());
            text += number;
            break;
        }
        case MOA_VALUE_STR: text += "s:" + U8(entry.ToString()); break;
        default: text += "?" + std::to_string(entry.GetType()); break;
        }
    }
    return text;
}

struct Patch {
    std::int32_t pos = -1;   // token of the compiled line whose kind changes; -1 none
    std::uint16_t kind = 0;
};

class MoaCompiler : public MoaLogTest {
protected:
    // Assembles script "t" (builtin "f" known), reads it back, and compiles from (line, start).
    bool Compile(const std::string& source, std::int32_t line, std::int32_t start, Patch patch = {})
    {
        m_Moa = std::make_unique<GxMoaEx>();
        MoaAssembler assembler;
        assembler.AddBuiltin(u"f").AddScript(u"t", source + "\n");
        EXPECT_TRUE(LoadProgram(assembler, *m_Moa));
        m_Script = m_Moa->FindScript(u"t");
        EXPECT_NE(m_Script, nullptr);
        if (m_Script == nullptr) {
            return false;
        }
        if (patch.pos >= 0) {
            GxMoaScript* script = m_Moa->FindScript(u"t");
            script->m_Lines[static_cast<std::size_t>(line)].m_Tokens[static_cast<std::size_t>(patch.pos)].m_Kind =
                patch.kind;
        }
        m_List.clear();
        m_Log.Clear();
        m_Cursor = GxMoaRunPos(line, start);
        return Phase_Expr(m_Script, m_List, m_Cursor);
    }
    // The expected text with "{f}" standing for the builtin's index operand.
    std::string Expand(std::string text) const
    {
        const std::string index = "i:" + std::to_string(m_Script != nullptr ? FunctionIndex() : -1);
        for (std::size_t at = text.find("{f}"); at != std::string::npos; at = text.find("{f}")) {
            text.replace(at, 3, index);
        }
        return text;
    }
    std::int64_t FunctionIndex() const
    {
        for (const GxMoaScriptStep& step : m_Script->m_Lines) {
            for (const GxMoaToken& token : step.m_Tokens) {
                if (token.m_Kind == MOA_TOKEN_BUILTIN && token.GetString() == u"f") {
                    return token.m_Int;
                }
            }
        }
        return -1;
    }

    std::unique_ptr<GxMoaEx> m_Moa;
    const GxMoaScript* m_Script = nullptr;
    GxMoaOpcodeList m_List;
    GxMoaRunPos m_Cursor;
};

// A line that would be text starts with ";" and is compiled from token 1.
struct Compiles {
    const char* source;
    std::int32_t start;
    const char* expected;
    std::int32_t end;
};

const Compiles kCompiles[] = {
    {"; 1 + 2 * 3", 1, "2 i:1 2 i:2 2 i:3 24 21", 6},
    {"; 1 < 2 & 3", 1, "2 i:1 2 i:2 19 2 i:3 29", 6},
    {"$s : $t + $u", 0, "6 s:s 6 s:t 22 6 s:u 21", 5},
    {"; -$x * 2", 1, "6 s:x 28 2 i:2 24", 5},
    {"; - - $x", 1, "6 s:x 28 28", 4},
    {"; ~$a + !$b - +1", 1, "6 s:a 32 6 s:b 35 21 2 i:1 27 23", 9},
    {"$a - $b - $c", 0, "6 s:a 6 s:b 23 6 s:c 23", 5},
    {"$a && $b || $c", 0, "6 s:a 6 s:b 36 6 s:c 37", 5},
    {"$a | $b ^ $c & $d", 0, "6 s:a 6 s:b 30 6 s:c 31 6 s:d 29", 7},
    {"$a == $b != $c", 0, "6 s:a 6 s:b 15 6 s:c 16", 5},
    {"$a > $b >= $c <= $d", 0, "6 s:a 6 s:b 17 6 s:c 18 6 s:d 20", 7},
    {"$a << 1 >> 2 + 3", 0, "6 s:a 2 i:1 33 2 i:2 2 i:3 21 34", 7},
    {"$a / 2 % 3", 0, "6 s:a 2 i:2 25 2 i:3 26", 5},
    {"; 1.5 * 'q' : NULL", 1, "3 f:1.5 4 s:q 24 5 22", 6},
    {"(1 + 2) * 3", 0, "2 i:1 2 i:2 21 2 i:3 24", 7},
    {"; f", 1, "12 i:0 10 {f} s:f", 2},
    {"$x++", 0, "40 8 s:x", 2},
    {"$x--", 0, "41 8 s:x", 2},
    {"$a[2]--", 0, "2 i:2 41 9 s:a", 5},
    {"$a[$i] += 1", 0, "6 s:i 2 i:1 43 9 s:a", 6},
    {"$a[($i + 1)]", 0, "6 s:i 2 i:1 21 7 s:a", 8},
    {"$a[1]", 1, "2 i:1 14", 4},   // "[" right after an array variable
    {"; ARRAY(1, 2)", 1, "2 i:1 2 i:2 12 i:2 13", 7},
    {"; ARRAY()", 1, "12 i:0 13", 4},
    {"f()", 0, "12 i:0 10 {f} s:f", 3},
    {"f($a,,$b)", 0, "6 s:a 5 6 s:b 12 i:3 10 {f} s:f", 7},
    {"f(,$b)", 0, "5 6 s:b 12 i:2 10 {f} s:f", 5},
    {"f($a,)", 0, "6 s:a 5 12 i:2 10 {f} s:f", 5},
    {"f(,)", 0, "5 5 12 i:2 10 {f} s:f", 4},
    {"f(1, 2)", 2, "2 i:1", 3},   // an element ends at ","
    {"$a = $b = 1", 0, "2 i:1 42 8 s:b 42 8 s:a", 5},
    {"$x + $y = 2", 0, "6 s:x 2 i:2 42 8 s:y 21", 5},
    {"$x = f(1, $y) + 2 * 3", 0, "2 i:1 6 s:y 12 i:2 10 {f} s:f 2 i:2 2 i:3 24 21 42 8 s:x", 12},
    {"$a := 1", 0, "2 i:1 44 8 s:a", 3},
    {"$a -= 1", 0, "2 i:1 45 8 s:a", 3},
    {"$a *= 1", 0, "2 i:1 46 8 s:a", 3},
    {"$a /= 1", 0, "2 i:1 47 8 s:a", 3},
    {"$a %= 1", 0, "2 i:1 48 8 s:a", 3},
    {"$a &= 1", 0, "2 i:1 49 8 s:a", 3},
    {"$a |= 1", 0, "2 i:1 50 8 s:a", 3},
    {"$a ^= 1", 0, "2 i:1 51 8 s:a", 3},
    {";", 1, "", 1},   // the line's end
    {";", 0, "", 0},   // on ";"
    {"$a ]", 0, "6 s:a", 1},
    {"$a )", 0, "6 s:a", 1},
};

TEST_F(MoaCompiler, ExpressionsCompileToPostfixOpcodeLists)
{
    for (const Compiles& c : kCompiles) {
        SCOPED_TRACE(c.source);
        EXPECT_TRUE(Compile(c.source, 0, c.start));
        EXPECT_EQ(Render(m_List), Expand(c.expected));
        EXPECT_EQ(m_Cursor, GxMoaRunPos(0, c.end)) << m_Cursor.m_Line << "," << m_Cursor.m_Pos;
        EXPECT_EQ(m_Moa->GetErrorCount(), 0);
        EXPECT_FALSE(m_Moa->IsBreak());
    }
}

TEST_F(MoaCompiler, FloatsCarryTheBitsOfTheToken)
{
    ASSERT_TRUE(Compile("; 0.1", 0, 1));
    ASSERT_EQ(m_List.size(), 2u);
    EXPECT_EQ(m_List[1].GetType(), MOA_VALUE_FLOAT);
    EXPECT_EQ(std::bit_cast<std::int64_t>(m_List[1].ToFloat()), m_Script->m_Lines[0].m_Tokens[1].m_Int);
}

TEST_F(MoaCompiler, TokensAreNeverTakenFromTheNextLine)
{
    ASSERT_TRUE(Compile("$a +\n$b", 0, 0) == false);
    const auto errors = m_Log.At(GxDebugListenerBase::kLevelError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(U8(errors[0]), "err:[Script=\"t\"/line=1] Phase_IsTermRight 右側に項が存在しないか不正な式です[スクリプト終端]\n");
    EXPECT_TRUE(Compile("$a\n+ $b", 0, 0));
    EXPECT_EQ(m_Cursor, GxMoaRunPos(0, 1));
}

struct Fails {
    const char* source;
    std::int32_t line;
    std::int32_t start;
    Patch patch;
    const char* message;   // the text after "err:[Script="t"/line=N] "
    const char* kept;      // what the list holds when the error stops it
};

const Fails kFails[] = {
    {"\n\n\n(1", 3, 0, {}, "Phase_Skip 次に来るべき記号 ) がありません[スクリプト終端]", "2 i:1"},
    {"f($a $b)", 0, 0, {}, "Phase_Expr 式に間違いがあります[変数名 String:b]", "6 s:a"},
    {"f($a;", 0, 0, {}, "Phase_Element 式に予期しない記号を見つけました。式が間違っています[;]", "6 s:a"},
    // The assembler reads "+" after a builtin name as a prefix operator: made binary here.
    {"; f + 1", 0, 1, {2, 48}, "Phase_IsTermLeft 左側に項が存在しないか不正な式です[組み込み関数名 String:f]",
     "12 i:0 10 {f} s:f"},
    {"; f 1", 0, 1, {}, "Phase_Expr 式に間違いがあります[整数値[1]]", "12 i:0 10 {f} s:f"},
    {"; 1 +", 0, 1, {}, "Phase_IsTermRight 右側に項が存在しないか不正な式です[スクリプト終端]", "2 i:1"},
    {"$x = 1 +", 0, 0, {}, "Phase_IsTermRight 右側に項が存在しないか不正な式です[スクリプト終端]", "2 i:1"},
    {"$x * 2", 0, 1, {}, "Phase_Term 式として認識できないトークンです[*]", ""},
    {"; * 2", 0, 1, {}, "Phase_Term 式として認識できないトークンです[*]", ""},
    {"++$x", 0, 0, {}, "Phase_Term 式として認識できないトークンです[++単項]", ""},
    {"$a[$i+1]", 0, 0, {}, "Phase_Skip 次に来るべき記号 ] がありません[+]", "6 s:i"},
    {"$x[1]", 0, 1, {0, MOA_TOKEN_VARIABLE}, "Phase_Term []演算子の前に配列変数名がありません[[]", ""},
    {"$x + 1", 0, 0, {0, MOA_TOKEN_ARRAY_VARIABLE}, "Phase_Skip 次に来るべき記号 [ がありません[+]", ""},
    {"; & $x", 0, 1, {1, 11}, "Phase_Term 式として認識できないトークンです[&変数名]", ""},
    {"; & $x", 0, 1, {1, 12}, "Phase_Term 式として認識できないトークンです[&配列変数名]", ""},
    {"$a = ", 0, 0, {}, "Phase_IsTermRight 右側に項が存在しないか不正な式です[スクリプト終端]", ""},
    {"; + $a", 0, 1, {1, 48}, "Phase_Term 式として認識できないトークンです[+]", ""},
    {"; 1 + * 2", 0, 1, {}, "Phase_IsTermRight 右側に項が存在しないか不正な式です[*]", "2 i:1"},
    {"f(1, 2", 0, 0, {}, "Phase_Element 式に予期しない記号を見つけました。式が間違っています[スクリプト終端]",
     "2 i:1 2 i:2"},
    {"; ARRAY 1", 0, 1, {}, "Phase_Skip 次に来るべき記号 ( がありません[整数値[1]]", ""},
};

TEST_F(MoaCompiler, ErrorsNameThePhaseAndTheToken)
{
    for (const Fails& c : kFails) {
        SCOPED_TRACE(c.source);
        EXPECT_FALSE(Compile(c.source, c.line, c.start, c.patch));
        const auto errors = m_Log.At(GxDebugListenerBase::kLevelError);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(U8(errors[0]),
                  "err:[Script=\"t\"/line=" + std::to_string(c.line + 1) + "] " + c.message + "\n");
        EXPECT_EQ(m_Moa->GetErrorCount(), 1);
        EXPECT_EQ(Render(m_List), Expand(c.kept));
        EXPECT_FALSE(m_Moa->IsErrorStop());   // stopping is the caller's decision
    }
}

TEST_F(MoaCompiler, ErrorLineReachesTheErrorLog)
{
    EXPECT_FALSE(Compile("\n\n\n(1", 3, 0));
    EXPECT_EQ(U8(ErrorLog()), "err:[Script=\"t\"/line=4] Phase_Skip 次に来るべき記号 ) がありません[スクリプト終端]\n");
}

TEST_F(MoaCompiler, BreakpointIsAnEmptyTermThatSetsTheBreakFlag)
{
    EXPECT_FALSE(Compile("; ? 5", 0, 1, {1, MOA_TOKEN_BREAKPOINT}));
    EXPECT_TRUE(m_Moa->IsBreak());
    EXPECT_FALSE(m_Moa->IsErrorStop());
    const auto errors = m_Log.At(GxDebugListenerBase::kLevelError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(U8(errors[0]), "err:[Script=\"t\"/line=1] Phase_Expr 式に間違いがあります[整数値[5]]\n");

    EXPECT_TRUE(Compile("; ?", 0, 1, {1, MOA_TOKEN_BREAKPOINT}));
    EXPECT_TRUE(m_Moa->IsBreak());
    EXPECT_TRUE(m_List.empty());
    EXPECT_EQ(m_Cursor, GxMoaRunPos(0, 2));
}

TEST_F(MoaCompiler, DeepNestingIsRefusedNotAStackOverflow)
{
    const int depth = 100000;
    const std::string source = std::string(depth, '(') + "1" + std::string(depth, ')');
    EXPECT_FALSE(Compile(source, 0, 0));
    const auto errors = m_Log.At(GxDebugListenerBase::kLevelError);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(U8(errors[0]), "err:[Script=\"t\"/line=1] Phase_Term 式の入れ子が深すぎます[(]\n");

    // Nesting well within the limit compiles.
    const std::string nested = std::string(100, '(') + "1" + std::string(100, ')');
    EXPECT_TRUE(Compile(nested, 0, 0));
    EXPECT_EQ(Render(m_List), "2 i:1");
}

TEST_F(MoaCompiler, ElementCountIsTheLastEntry)
{
    // The game worker's statements build calls of their own from these pieces.
    ASSERT_TRUE(Compile("f(1, 2)", 0, 0));
    GxMoaOpcodeList list;
    GxMoaRunPos cursor(0, 2);
    ASSERT_TRUE(Phase_Element(m_Script, list, cursor));
    EXPECT_EQ(Render(list), "2 i:1 2 i:2 12 i:2");
    EXPECT_EQ(cursor, GxMoaRunPos(0, 5));
    EXPECT_TRUE(Phase_Skip(cursor, MOA_TOKEN_PAREN_CLOSE, m_Script));
    EXPECT_EQ(cursor, GxMoaRunPos(0, 6));
    EXPECT_FALSE(Phase_Skip(cursor, MOA_TOKEN_PAREN_CLOSE, m_Script));   // the line's end
    EXPECT_EQ(cursor, GxMoaRunPos(0, 6));
    EmitOpcode(list, 10);
    EXPECT_EQ(list.back().GetType(), MOA_VALUE_OPCODE);
    EXPECT_EQ(list.back().GetRawBits(), 10);
}

TEST(MoaCompilerWithoutScript, AnAbsentScriptIsAnEmptyExpression)
{
    GxMoaOpcodeList list;
    GxMoaRunPos cursor(0, 0);
    EXPECT_TRUE(Phase_Expr(nullptr, list, cursor));
    EXPECT_TRUE(list.empty());
    EXPECT_FALSE(Phase_Skip(cursor, MOA_TOKEN_PAREN_CLOSE, nullptr));
}

}  // namespace
