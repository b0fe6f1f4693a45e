// [Moa tokens] the token record, positions, the token cursor, names and descriptions.
#include "script/token.h"

#include "script/moa.h"
#include "script/moa_names.h"
#include "script/script.h"
#include "script/script_entity.h"
#include "script/token_cursor.h"
#include "script/worker.h"

#include "script_test_support.h"

#include <gtest/gtest.h>

#include <bit>

using namespace script_test;

namespace {

GxMoaToken MakeToken(std::uint16_t kind, std::int64_t number = 0, const char16_t* text = nullptr)
{
    GxMoaToken token;
    token.m_Kind = kind;
    token.m_Int = number;
    if (text != nullptr) {
        token.SetString(text);
    }
    return token;
}

// A script whose lines hold the given numbers of tokens (kind 3 each).
std::unique_ptr<GxMoaScript> ScriptOfLines(std::initializer_list<int> tokenCounts)
{
    auto script = std::make_unique<GxMoaScript>();
    for (int count : tokenCounts) {
        GxMoaScriptStep step;
        for (int i = 0; i < count; ++i) {
            step.m_Tokens.push_back(MakeToken(MOA_TOKEN_INT, i));
        }
        script->m_Lines.push_back(std::move(step));
    }
    return script;
}

}  // namespace

TEST(MoaToken, DefaultsAndClear)
{
    GxMoaToken token;
    EXPECT_EQ(token.m_Kind, MOA_TOKEN_SCRIPT_END);
    EXPECT_EQ(token.GetLink(2), GxMoaRunPos(0, -1));
    EXPECT_EQ(token.GetLinkLine(2), 0);
    token.SetString(u"x");
    token.SetLink(1, GxMoaRunPos(4, 5));
    GxMoaToken copy = token;
    token.Clear();
    EXPECT_EQ(token.m_Kind, 0);
    EXPECT_FALSE(token.HasString());
    EXPECT_FALSE(token.HasLinks());
    EXPECT_EQ(copy.GetString(), u"x");
    EXPECT_EQ(copy.GetLink(1), GxMoaRunPos(4, 5));
    EXPECT_EQ(copy.GetLink(0), GxMoaRunPos(0, -1));
}

TEST(MoaToken, RecordRoundTripsWithItsFlags)
{
    GxMoaToken linked = MakeToken(MOA_TOKEN_BLOCK_OPEN);
    linked.SetLink(0, GxMoaRunPos(7, 2));
    linked.SetLink(3, GxMoaRunPos(-1, -1));
    linked.m_Scope = 9;
    const GxMoaToken tokens[] = {
        MakeToken(MOA_TOKEN_SEMICOLON),
        MakeToken(MOA_TOKEN_FLOAT, std::bit_cast<std::int64_t>(0.0)),
        MakeToken(MOA_TOKEN_FLOAT, std::bit_cast<std::int64_t>(-2.5)),
        MakeToken(MOA_TOKEN_INT, -1),
        MakeToken(MOA_TOKEN_STRING, 0, u""),
        MakeToken(MOA_TOKEN_BUILTIN, 12, u"print"),
        linked,
    };
    const std::uint32_t flags[] = {0, 0, 1, 1, 4, 5, 2};
    for (Form form : {Form::Text, Form::Binary}) {
        const std::string bytes = WriteRecord(form, [&](GxContentWriterBase& w) {
            for (const GxMoaToken& token : tokens) {
                ASSERT_TRUE(token.Write(w));
            }
        });
        // The stored flags, and the values each carries.
        BytesReader raw(bytes);
        for (std::size_t i = 0; i < std::size(tokens); ++i) {
            EXPECT_EQ(raw->GetBit32("m_Flags").m_Bits, flags[i]) << i;
            EXPECT_EQ(raw->GetU32("m_TokenTypeAndScope"), tokens[i].m_Kind | (std::uint32_t{tokens[i].m_Scope} << 16));
            if (flags[i] & 1) raw->GetS64("m_Int");
            if (flags[i] & 2) {
                for (int l = 0; l < 4; ++l) {
                    raw->GetS32("m_Line");
                    raw->GetS32("m_Pos");
                }
            }
            if (flags[i] & 4) raw->ReadWString("m_Str");
        }
        EXPECT_EQ(raw->GetErrorCount(), 0);
        EXPECT_TRUE(raw->IsEnd());

        BytesReader reader(bytes);
        for (const GxMoaToken& expected : tokens) {
            GxMoaToken read = MakeToken(MOA_TOKEN_TEXT, 99, u"stale");
            ASSERT_TRUE(read.Read(*reader));
            EXPECT_EQ(read.m_Kind, expected.m_Kind);
            EXPECT_EQ(read.m_Scope, expected.m_Scope);
            EXPECT_EQ(read.m_Int, expected.m_Int);
            EXPECT_EQ(read.HasString(), expected.HasString());
            EXPECT_EQ(read.GetString(), expected.GetString());
            EXPECT_EQ(read.HasLinks(), expected.HasLinks());
            for (int l = 0; l < 4; ++l) {
                EXPECT_EQ(read.GetLink(l), expected.GetLink(l));
            }
        }
    }
}

TEST(MoaToken, PositionRecords)
{
    GxMoaScriptPos position;
    position.m_Line = 3;
    position.m_Pos = 4;
    position.m_ScriptName = u"main";
    const std::string bytes = WriteRecord(Form::Text, [&](GxContentWriterBase& w) {
        position.Write(w);
        GxMoaRunPos(8, 9).Write(w);
        w.WriteS32("m_Line", 5);
        w.WriteS32("m_Pos", 6);
    });
    BytesReader reader(bytes);
    GxMoaScriptEntity entity;
    GxMoaScriptPos read;
    read.m_pEntity = &entity;
    ASSERT_TRUE(read.Read(*reader));
    EXPECT_EQ(read, GxMoaRunPos(3, 4));
    EXPECT_EQ(read.m_ScriptName, u"main");
    EXPECT_EQ(read.m_pEntity, nullptr);
    // A script position that fails to read starts from (0, -1) and no name.
    GxMoaScriptPos failed;
    failed.m_Line = 7;
    failed.m_ScriptName = u"old";
    reader->SetNameCheck(1);
    GxMoaRunPos run(1, 1);
    ASSERT_TRUE(run.Read(*reader));
    EXPECT_EQ(run, GxMoaRunPos(8, 9));
    EXPECT_FALSE(failed.Read(*reader));   // "m_ScriptName" is missing
    EXPECT_EQ(failed, GxMoaRunPos(5, 6));
    EXPECT_EQ(failed.m_ScriptName, u"");
}

TEST(MoaToken, Describe)
{
    struct Case {
        GxMoaToken token;
        const char16_t* text;
    };
    const Case cases[] = {
        {MakeToken(MOA_TOKEN_INT, 12), u"整数値[12]"},
        {MakeToken(MOA_TOKEN_INT, -9223372036854775807 - 1), u"整数値[-9223372036854775808]"},
        {MakeToken(MOA_TOKEN_FLOAT, std::bit_cast<std::int64_t>(1.5)), u"小数値[1.500000]"},
        {MakeToken(MOA_TOKEN_VARIABLE, 0, u"abc"), u"変数名 String:abc"},
        {MakeToken(MOA_TOKEN_ARRAY_VARIABLE, 0, u"a"), u"配列変数名 String:a"},
        {MakeToken(MOA_TOKEN_BUILTIN, 3, u"print"), u"組み込み関数名 String:print"},
        {MakeToken(20, 0, u"x"), u"**不明トークン** String:x"},
        {MakeToken(80), u"**不明トークン**"},
        {MakeToken(MOA_TOKEN_STRING, 0, u""), u"文字列"},
        {GxMoaToken(), u"スクリプト終端"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(U8(c.token.Describe()), U8(c.text));
    }
}

TEST(MoaToken, NameTables)
{
    EXPECT_EQ(U8(GetTokenKindName(0)), "未定義");
    EXPECT_EQ(U8(GetTokenKindName(57)), "|");
    EXPECT_EQ(U8(GetTokenKindName(64)), "||");
    EXPECT_EQ(U8(GetTokenKindName(77)), "|=");
    EXPECT_EQ(U8(GetTokenKindName(59)), "~");
    EXPECT_EQ(U8(GetTokenKindName(62)), "!");
    EXPECT_EQ(U8(GetTokenKindName(79)), "?");
    EXPECT_EQ(U8(GetTokenKindName(20)), "**不明トークン**");
    EXPECT_EQ(U8(GetTokenKindName(-1)), "**不明トークン**");
    EXPECT_EQ(U8(GetOpcodeName(30)), "|");
    EXPECT_EQ(U8(GetOpcodeName(37)), "||");
    EXPECT_EQ(U8(GetOpcodeName(50)), "|=");
    EXPECT_EQ(U8(GetOpcodeName(32)), "単項~");
    EXPECT_EQ(U8(GetOpcodeName(35)), "単項!");
    EXPECT_EQ(U8(GetOpcodeName(51)), "^=");
    EXPECT_EQ(U8(GetOpcodeName(52)), "ERROR");
    EXPECT_EQ(U8(GetOpcodeName(-1)), "ERROR");
    EXPECT_EQ(U8(GetScopeName(10)), "EXTERN_NOSAVE");
    EXPECT_EQ(U8(GetScopeName(-1)), "ERROR");
    EXPECT_EQ(U8(GetScopeName(11)), "ERROR");
    EXPECT_EQ(U8(GxMoaVariable::GetValueTypeName(250)), "RefVar");
    EXPECT_EQ(U8(GxMoaVariable::GetValueTypeName(0)), "Unknown");
}

TEST(MoaTokenCursor, CheckAndLookup)
{
    const auto script = ScriptOfLines({2, 0, 1});
    struct Case {
        std::int32_t line, pos;
        int check;
    };
    const Case cases[] = {
        {0, 0, 1}, {0, 1, 1}, {0, 2, -1}, {1, 0, -1}, {3, 0, -2}, {3, -1, 0}, {9, -5, 0}, {-1, 0, 0}, {0, -1, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(GxMoaScript::CheckTokenPos(script.get(), c.line, c.pos), c.check) << c.line << "," << c.pos;
        const GxMoaToken& token = GxMoaTokenCursor::GetToken(script.get(), c.line, c.pos);
        EXPECT_EQ(token.m_Kind == MOA_TOKEN_SCRIPT_END, c.check != 1);
        if (c.check != 1) {
            EXPECT_EQ(&token, &GxMoaTokenCursor::GetScriptEndToken());   // one shared token
        }
    }
    EXPECT_EQ(GxMoaTokenCursor::GetToken(nullptr, 0, 0).m_Kind, MOA_TOKEN_SCRIPT_END);
    EXPECT_EQ(GxMoaTokenCursor::GetToken(script.get(), 0, 1).m_Int, 1);
}

TEST(MoaTokenCursor, Walks)
{
    const auto script = ScriptOfLines({2, 0, 0, 1, 0});
    const GxMoaScript* s = script.get();

    GxMoaRunPos p(0, 1);
    EXPECT_TRUE(GxMoaScript::AdvanceTokenPos(s, p));
    EXPECT_EQ(p, GxMoaRunPos(3, 0));
    EXPECT_FALSE(GxMoaScript::AdvanceTokenPos(s, p));
    EXPECT_EQ(p, GxMoaRunPos(5, 0));
    EXPECT_FALSE(GxMoaScript::AdvanceTokenPos(s, p));
    EXPECT_EQ(p, GxMoaRunPos(5, 0));
    p = GxMoaRunPos(0, -1);
    EXPECT_TRUE(GxMoaScript::AdvanceTokenPos(s, p));
    EXPECT_EQ(p, GxMoaRunPos(0, 0));
    p = GxMoaRunPos(-1, 0);
    EXPECT_FALSE(GxMoaScript::AdvanceTokenPos(s, p));
    EXPECT_EQ(p, GxMoaRunPos(-1, 1));

    p = GxMoaRunPos(0, 0);
    EXPECT_TRUE(GxMoaScript::NextTokenInLine(s, p));
    EXPECT_FALSE(GxMoaScript::NextTokenInLine(s, p));
    EXPECT_EQ(p, GxMoaRunPos(0, 2));
    p = GxMoaRunPos(7, 3);
    EXPECT_FALSE(GxMoaScript::NextTokenInLine(s, p));
    EXPECT_EQ(p, GxMoaRunPos(5, 0));

    p = GxMoaRunPos(0, 1);
    EXPECT_TRUE(GxMoaScript::PrevTokenInLine(s, p));
    EXPECT_FALSE(GxMoaScript::PrevTokenInLine(s, p));
    EXPECT_EQ(p, GxMoaRunPos(0, -1));
    EXPECT_FALSE(GxMoaScript::PrevTokenInLine(s, p));
    EXPECT_EQ(p, GxMoaRunPos(0, -1));
    p = GxMoaRunPos(-3, 2);
    EXPECT_FALSE(GxMoaScript::PrevTokenInLine(s, p));
    EXPECT_EQ(p, GxMoaRunPos(-1, 0));
    p = GxMoaRunPos(6, 2);
    EXPECT_FALSE(GxMoaScript::PrevTokenInLine(s, p));
    EXPECT_EQ(p, GxMoaRunPos(5, 0));

    p = GxMoaRunPos(1, 4);
    GxMoaScript::AdvanceLinePos(s, p);
    EXPECT_EQ(p, GxMoaRunPos(2, 0));
    p = GxMoaRunPos(5, 0);
    GxMoaScript::AdvanceLinePos(s, p);
    EXPECT_EQ(p, GxMoaRunPos(5, 0));
    p = GxMoaRunPos(4, 0);
    GxMoaScript::AdvanceLinePos(s, p);   // the next line need not exist
    EXPECT_EQ(p, GxMoaRunPos(5, 0));

    EXPECT_EQ(GxMoaScript::FindLastNonEmptyLine(s, 0), -1);
    EXPECT_EQ(GxMoaScript::FindLastNonEmptyLine(s, 2), -1);
    EXPECT_EQ(GxMoaScript::FindLastNonEmptyLine(s, 3), 3);
    EXPECT_EQ(GxMoaScript::FindLastNonEmptyLine(s, 100), 3);
}

TEST(MoaTokenCursor, SeekBlockOpen)
{
    auto script = ScriptOfLines({2, 0, 3});
    script->m_Lines[2].m_Tokens[1].m_Kind = MOA_TOKEN_BLOCK_OPEN;
    GxMoaRunPos p;
    EXPECT_TRUE(GxMoaScript::SeekBlockOpen(script.get(), p, 0, 0));
    EXPECT_EQ(p, GxMoaRunPos(2, 1));
    EXPECT_FALSE(GxMoaScript::SeekBlockOpen(script.get(), p, 2, 2));
    EXPECT_FALSE(GxMoaScript::SeekBlockOpen(script.get(), p, 0, -1));   // the script end stands there
    EXPECT_EQ(p, GxMoaRunPos(0, -1));
}

TEST(MoaScriptEntity, StaticVariablesLookupResetAndDump)
{
    GxMoa moa;
    GxMoaWorker worker;
    auto script = std::make_unique<GxMoaScript>();
    script->m_ScriptName = u"main";
    for (auto [name, scope, size] : {std::tuple{u"sp", 2, -1}, {u"si", 3, 2}, {u"sn", 4, -1}, {u"g", 6, -1}}) {
        GxMoaVariableDefinition definition;
        definition.m_Name = name;
        definition.m_Scope = scope;
        definition.m_ArraySize = size;
        definition.m_Value = Int(scope);
        script->m_VariableDefines.push_back(definition);
    }
    GxMoaScriptEntity entity(&moa, &worker, script.get());
    entity.RebuildStaticVariables(*script);
    ASSERT_EQ(entity.GetVariableTable().Entries().size(), 3u);   // scopes 2-4 only
    EXPECT_EQ(entity.FindVariable(u"si")->m_Value.ArraySize(), 2);

    worker.GetVariableTable().Entries().emplace_back(u"w", 6, Int(1));
    moa.GetVariableTable().Entries().emplace_back(u"w", 9, Int(2));
    moa.GetVariableTable().Entries().emplace_back(u"x", 9, Int(3));
    EXPECT_EQ(entity.FindVariable(u"w")->m_Value.ToInt64(), 1);
    EXPECT_EQ(entity.FindVariable(u"x")->m_Value.ToInt64(), 3);
    EXPECT_EQ(entity.FindVariable(u"g"), nullptr);

    for (GxMoaVariableSet& entry : entity.GetVariableTable().Entries()) {
        entry.m_Value = Str(u"changed");
    }
    entity.GetVariableTable().Entries().emplace_back(u"nodef", 3, Str(u"kept"));
    entity.ResetVariables(1);
    EXPECT_EQ(entity.FindVariable(u"sp")->m_Value.ToString(), u"changed");
    entity.ResetVariables(3);
    EXPECT_EQ(entity.FindVariable(u"si")->m_Value.ArraySize(), 2);
    EXPECT_EQ(entity.FindVariable(u"sp")->m_Value.ToString(), u"changed");
    EXPECT_EQ(entity.FindVariable(u"nodef")->m_Value.ToString(), u"kept");
    entity.ResetVariables(0);
    EXPECT_EQ(entity.FindVariable(u"sp")->m_Value.ToInt64(), 2);

    entity.AddStaticVariables(*script);   // nothing missing
    EXPECT_EQ(entity.GetVariableTable().Entries().size(), 4u);
    entity.RebuildStaticVariables(*script);
    EXPECT_EQ(entity.GetVariableTable().Entries().size(), 3u);

    EXPECT_EQ(U8(entity.DumpText(0)), "------Script:main\nScope:STATIC_PERMAN\n$sp=2(Int)\nScope:STATIC_INGAME\n"
                                      "$si[2]=(Array)\n  $[0]=Null\n  $[1]=Null\nScope:STATIC_NOSAVE\n$sn=4(Int)\n");
    GxMoaScriptEntity unbound;
    EXPECT_EQ(U8(unbound.DumpText(0)), "------Script:\n");

    // The save class of the entity's variables goes through the table.
    const std::string bytes = WriteRecord(Form::Binary, [&](GxContentWriterBase& w) { entity.WriteVariables(w, 3); });
    entity.FindVariable(u"si")->m_Value = Int(0);
    BytesReader reader(bytes);
    EXPECT_TRUE(entity.ResetAndReadVariables(*reader, 3));
    EXPECT_EQ(entity.FindVariable(u"si")->m_Value.ArraySize(), 2);
}
