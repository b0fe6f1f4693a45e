#include "script/expression_compiler.h"

#include "foundation/wide_string.h"
#include "script/moa.h"
#include "script/moa_names.h"
#include "script/script.h"
#include "script/token.h"
#include "script/token_cursor.h"

#include <bit>
#include <initializer_list>

namespace {

constexpr char16_t kExprError[] = u"Phase_Expr 式に間違いがあります";
constexpr char16_t kTermError[] = u"Phase_Term 式として認識できないトークンです";
constexpr char16_t kIndexError[] = u"Phase_Term []演算子の前に配列変数名がありません";
constexpr char16_t kDepthError[] = u"Phase_Term 式の入れ子が深すぎます";
constexpr char16_t kElementError[] = u"Phase_Element 式に予期しない記号を見つけました。式が間違っています";
constexpr char16_t kLeftError[] = u"Phase_IsTermLeft 左側に項が存在しないか不正な式です";
constexpr char16_t kRightError[] = u"Phase_IsTermRight 右側に項が存在しないか不正な式です";

// Opcode numbers the compiler emits by name; operators come from the level tables.
enum : std::int32_t {
    OPC_PUSH_INT = 2,
    OPC_PUSH_FLT = 3,
    OPC_PUSH_STR = 4,
    OPC_PUSH_NULL = 5,
    OPC_PUSH_VAR = 6,
    OPC_PUSH_VARARY = 7,
    OPC_ALTER_VAR = 8,
    OPC_ALTER_VARARY = 9,
    OPC_CALL_BUILTIN = 10,
    OPC_ELEMENTNUM = 12,
    OPC_ARRAYINIT = 13,
    OPC_ARRAYINDEX = 14,
    OPC_POST_INCREMENT = 40,
    OPC_POST_DECREMENT = 41,
};

struct OperatorCode {
    std::int32_t kind;
    std::int32_t opcode;
};

using OperandPhase = bool (*)(const GxMoaScript*, GxMoaOpcodeList&, GxMoaRunPos&);

const GxMoaToken& TokenAt(const GxMoaScript* script, const GxMoaRunPos& position)
{
    return GxMoaTokenCursor::GetToken(script, position.m_Line, position.m_Pos);
}

std::int32_t KindAt(const GxMoaScript* script, const GxMoaRunPos& position)
{
    return TokenAt(script, position).m_Kind;
}

bool IsOneOf(std::int32_t kind, std::initializer_list<std::int32_t> kinds)
{
    for (const std::int32_t k : kinds) {
        if (k == kind) {
            return true;
        }
    }
    return false;
}

// Tokens that end an expression: script end, ";", ",", "}", "]", ")".
bool IsEndKind(std::int32_t kind) { return IsOneOf(kind, {17, 34, 35, 37, 39, 41}); }

void EmitInt(GxMoaOpcodeList& list, std::int64_t value)
{
    GxMoaVariable entry;
    entry.SetInt64(value);
    list.push_back(std::move(entry));
}

void EmitStr(GxMoaOpcodeList& list, const std::u16string& text)
{
    GxMoaVariable entry;
    entry.SetString(text);
    list.push_back(std::move(entry));
}

// One left-associative binary level: operand (operator operand opcode)*.
bool BinaryLevel(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor, OperandPhase operand,
                 std::initializer_list<OperatorCode> operators)
{
    if (!operand(script, list, cursor)) {
        return false;
    }
    for (;;) {
        const std::int32_t kind = KindAt(script, cursor);
        const OperatorCode* found = nullptr;
        for (const OperatorCode& op : operators) {
            if (op.kind == kind) {
                found = &op;
                break;
            }
        }
        if (found == nullptr) {
            return true;
        }
        if (!Phase_IsBinaryOperand(script, cursor) || !Phase_Skip(cursor, kind, script) ||
            !operand(script, list, cursor)) {
            return false;
        }
        EmitOpcode(list, found->opcode);
    }
}

// Counts the nesting of Phase_Term; every sub-expression passes through it.
thread_local int g_TermDepth = 0;

class DepthGuard {
public:
    DepthGuard() { ++g_TermDepth; }
    ~DepthGuard() { --g_TermDepth; }
    DepthGuard(const DepthGuard&) = delete;
    DepthGuard& operator=(const DepthGuard&) = delete;
};

// After a variable or an array element (its index already emitted): an assignment, a postfix
// step, or a read.
bool VariableTail(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor, const std::u16string& name,
                  bool isArray)
{
    const std::int32_t kind = KindAt(script, cursor);
    const std::int32_t target = isArray ? OPC_ALTER_VARARY : OPC_ALTER_VAR;
    if (kind >= 69 && kind <= 78) {
        if (!Phase_AssignOp(script, list, cursor)) {
            return false;
        }
    } else if (kind == MOA_TOKEN_POST_INCREMENT || kind == MOA_TOKEN_POST_DECREMENT) {
        EmitOpcode(list, kind == MOA_TOKEN_POST_INCREMENT ? OPC_POST_INCREMENT : OPC_POST_DECREMENT);
        if (!Phase_Skip(cursor, kind, script)) {
            return false;
        }
    } else {
        EmitOpcode(list, isArray ? OPC_PUSH_VARARY : OPC_PUSH_VAR);
        EmitStr(list, name);
        return true;
    }
    EmitOpcode(list, target);
    EmitStr(list, name);
    return true;
}

bool BuiltinCall(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor, const GxMoaToken& token)
{
    const std::int64_t index = token.m_Int;
    const std::u16string name = token.GetString();
    if (!Phase_Skip(cursor, MOA_TOKEN_BUILTIN, script)) {
        return false;
    }
    if (KindAt(script, cursor) == MOA_TOKEN_PAREN_OPEN) {
        if (!Phase_Skip(cursor, MOA_TOKEN_PAREN_OPEN, script) || !Phase_Element(script, list, cursor)) {
            return false;
        }
    } else {
        // Arguments come only inside parentheses.
        EmitOpcode(list, OPC_ELEMENTNUM);
        EmitInt(list, 0);
    }
    EmitOpcode(list, OPC_CALL_BUILTIN);
    EmitInt(list, index);
    EmitStr(list, name);
    if (KindAt(script, cursor) == MOA_TOKEN_PAREN_CLOSE) {
        return Phase_Skip(cursor, MOA_TOKEN_PAREN_CLOSE, script);
    }
    return true;
}

}  // namespace

void EmitOpcode(GxMoaOpcodeList& list, std::int32_t opcode)
{
    GxMoaVariable entry;
    entry.SetOpcode(opcode);
    list.push_back(std::move(entry));
}

void ReportCompileError(const GxMoaScript* script, const GxMoaRunPos& position, const GxMoaToken& token,
                        const char16_t* message)
{
    if (script == nullptr || script->m_pOwner == nullptr) {
        return;
    }
    script->m_pOwner->Error(script->m_ScriptName, position.m_Line, u"%s[%s]", message, token.Describe().c_str());
}

bool Phase_Skip(GxMoaRunPos& cursor, std::int32_t expectedKind, const GxMoaScript* script)
{
    const GxMoaToken& token = TokenAt(script, cursor);
    if (token.m_Kind == expectedKind) {
        GxMoaScript::NextTokenInLine(script, cursor);
        return true;
    }
    const std::u16string message = u"Phase_Skip 次に来るべき記号 " + GetTokenKindName(expectedKind) + u" がありません";
    ReportCompileError(script, cursor, token, message.c_str());
    return false;
}

bool Phase_IsTermLeft(const GxMoaScript* script, const GxMoaRunPos& position)
{
    GxMoaRunPos before = position;
    GxMoaScript::PrevTokenInLine(script, before);
    const GxMoaToken& token = TokenAt(script, before);
    if (IsOneOf(token.m_Kind, {3, 4, 5, 6, 9, 39, 41, 67, 68})) {
        return true;
    }
    ReportCompileError(script, before, token, kLeftError);
    return false;
}

bool Phase_IsTermRight(const GxMoaScript* script, const GxMoaRunPos& position)
{
    GxMoaRunPos after = position;
    GxMoaScript::NextTokenInLine(script, after);
    const GxMoaToken& token = TokenAt(script, after);
    if (IsOneOf(token.m_Kind, {1, 2, 3, 4, 5, 6, 9, 10, 13, 40, 54, 55, 59, 62, 65, 66})) {
        return true;
    }
    ReportCompileError(script, after, token, kRightError);
    return false;
}

bool Phase_IsBinaryOperand(const GxMoaScript* script, const GxMoaRunPos& position)
{
    return Phase_IsTermRight(script, position) && Phase_IsTermLeft(script, position);
}

bool Phase_Expr(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor)
{
    if (!Phase_LogicalOp(script, list, cursor)) {
        return false;
    }
    const GxMoaToken& token = TokenAt(script, cursor);
    if (IsEndKind(token.m_Kind)) {
        return true;
    }
    ReportCompileError(script, cursor, token, kExprError);
    return false;
}

bool Phase_LogicalOp(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor)
{
    return BinaryLevel(script, list, cursor, Phase_BitOp, {{63, 36}, {64, 37}});
}

bool Phase_BitOp(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor)
{
    return BinaryLevel(script, list, cursor, Phase_CompEqNeOp, {{56, 29}, {57, 30}, {58, 31}});
}

bool Phase_CompEqNeOp(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor)
{
    return BinaryLevel(script, list, cursor, Phase_CompLeGeOp, {{42, 15}, {43, 16}});
}

bool Phase_CompLeGeOp(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor)
{
    return BinaryLevel(script, list, cursor, Phase_BitShiftOp, {{44, 17}, {45, 18}, {46, 19}, {47, 20}});
}

bool Phase_BitShiftOp(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor)
{
    return BinaryLevel(script, list, cursor, Phase_AddOp, {{60, 33}, {61, 34}});
}

bool Phase_AddOp(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor)
{
    return BinaryLevel(script, list, cursor, Phase_MulOp, {{48, 21}, {50, 23}, {49, 22}});
}

bool Phase_MulOp(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor)
{
    return BinaryLevel(script, list, cursor, Phase_SingleOp, {{51, 24}, {52, 25}, {53, 26}});
}

bool Phase_SingleOp(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor)
{
    const std::int32_t kind = KindAt(script, cursor);
    std::int32_t opcode = 0;
    switch (kind) {
    case MOA_TOKEN_UNARY_PLUS: opcode = 27; break;
    case MOA_TOKEN_UNARY_MINUS: opcode = 28; break;
    case 59: opcode = 32; break;   // "~"
    case 62: opcode = 35; break;   // "!"
    default: return Phase_Term(script, list, cursor);
    }
    if (!Phase_IsTermRight(script, cursor) || !Phase_Skip(cursor, kind, script) || !Phase_Term(script, list, cursor)) {
        return false;
    }
    EmitOpcode(list, opcode);
    return true;
}

bool Phase_Term(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor)
{
    if (GxMoaScript::CheckTokenPos(script, cursor.m_Line, cursor.m_Pos) != 1) {
        return true;   // an empty term at the line's end
    }
    const GxMoaToken& token = TokenAt(script, cursor);
    if (g_TermDepth >= kMoaMaxExpressionDepth) {
        ReportCompileError(script, cursor, token, kDepthError);
        return false;
    }
    const DepthGuard depth;
    switch (token.m_Kind) {
    case 17: case 34: case 35: case 37: case 39: case 41:
        return true;   // an empty term: nothing emitted, the cursor stays
    case MOA_TOKEN_BREAKPOINT:
        if (script->m_pOwner != nullptr) {
            script->m_pOwner->SetBreak(true);
        }
        GxMoaScript::NextTokenInLine(script, cursor);
        return true;
    case MOA_TOKEN_INT:
        EmitOpcode(list, OPC_PUSH_INT);
        EmitInt(list, token.m_Int);
        return Phase_Skip(cursor, MOA_TOKEN_INT, script);
    case MOA_TOKEN_FLOAT: {
        EmitOpcode(list, OPC_PUSH_FLT);
        GxMoaVariable value;
        value.SetFloat(std::bit_cast<double>(token.m_Int));
        list.push_back(std::move(value));
        return Phase_Skip(cursor, MOA_TOKEN_FLOAT, script);
    }
    case MOA_TOKEN_STRING:
        EmitOpcode(list, OPC_PUSH_STR);
        EmitStr(list, token.GetString());
        return Phase_Skip(cursor, MOA_TOKEN_STRING, script);
    case MOA_TOKEN_NULL:
        EmitOpcode(list, OPC_PUSH_NULL);
        return Phase_Skip(cursor, MOA_TOKEN_NULL, script);
    case MOA_TOKEN_BUILTIN:
        return BuiltinCall(script, list, cursor, token);
    case MOA_TOKEN_VARIABLE: {
        const std::u16string name = token.GetString();
        return Phase_Skip(cursor, MOA_TOKEN_VARIABLE, script) && VariableTail(script, list, cursor, name, false);
    }
    case MOA_TOKEN_ARRAY_VARIABLE: {
        const std::u16string name = token.GetString();
        // The index is a single term, emitted before any right side.
        return Phase_Skip(cursor, MOA_TOKEN_ARRAY_VARIABLE, script) &&
               Phase_Skip(cursor, MOA_TOKEN_INDEX_OPEN, script) && Phase_Term(script, list, cursor) &&
               Phase_Skip(cursor, MOA_TOKEN_INDEX_CLOSE, script) && VariableTail(script, list, cursor, name, true);
    }
    case MOA_TOKEN_ARRAY:
        if (!Phase_Skip(cursor, MOA_TOKEN_ARRAY, script) || !Phase_Skip(cursor, MOA_TOKEN_PAREN_OPEN, script) ||
            !Phase_Element(script, list, cursor)) {
            return false;
        }
        EmitOpcode(list, OPC_ARRAYINIT);
        return Phase_Skip(cursor, MOA_TOKEN_PAREN_CLOSE, script);
    case MOA_TOKEN_INDEX_OPEN: {
        GxMoaRunPos before = cursor;
        GxMoaScript::PrevTokenInLine(script, before);
        if (KindAt(script, before) != MOA_TOKEN_ARRAY_VARIABLE) {
            ReportCompileError(script, cursor, token, kIndexError);
            return false;
        }
        if (!Phase_Skip(cursor, MOA_TOKEN_INDEX_OPEN, script) || !Phase_Expr(script, list, cursor)) {
            return false;
        }
        EmitOpcode(list, OPC_ARRAYINDEX);
        return Phase_Skip(cursor, MOA_TOKEN_INDEX_CLOSE, script);
    }
    case MOA_TOKEN_PAREN_OPEN:
        return Phase_Skip(cursor, MOA_TOKEN_PAREN_OPEN, script) && Phase_Expr(script, list, cursor) &&
               Phase_Skip(cursor, MOA_TOKEN_PAREN_CLOSE, script);
    case MOA_TOKEN_UNARY_PLUS: case MOA_TOKEN_UNARY_MINUS: case 59: case 62:
        return Phase_SingleOp(script, list, cursor);
    default:
        ReportCompileError(script, cursor, token, kTermError);
        return false;
    }
}

bool Phase_AssignOp(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor)
{
    const std::int32_t kind = KindAt(script, cursor);
    if (kind < 69 || kind > 78) {
        ReportCompileError(script, cursor, TokenAt(script, cursor), kExprError);
        return false;
    }
    // "=" 42, "+=" 43, ":=" 44, "-=" 45, "*=" 46, "/=" 47, "%=" 48, "&=" 49, "|=" 50, "^=" 51.
    const std::int32_t opcode = 42 + (kind - 69);
    if (!Phase_IsBinaryOperand(script, cursor) || !Phase_Skip(cursor, kind, script) ||
        !Phase_Expr(script, list, cursor)) {
        return false;
    }
    EmitOpcode(list, opcode);
    return true;
}

bool Phase_Element(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor)
{
    std::int64_t count = 0;
    std::int32_t kind = KindAt(script, cursor);
    if (kind != MOA_TOKEN_PAREN_CLOSE && kind != MOA_TOKEN_INDEX_CLOSE) {
        if (kind == MOA_TOKEN_COMMA) {
            EmitOpcode(list, OPC_PUSH_NULL);   // the omitted first element
        }
        for (;;) {
            if (!Phase_Expr(script, list, cursor)) {
                return false;
            }
            const GxMoaToken& token = TokenAt(script, cursor);
            if (token.m_Kind == MOA_TOKEN_COMMA) {
                if (!Phase_Skip(cursor, MOA_TOKEN_COMMA, script)) {
                    return false;
                }
                kind = KindAt(script, cursor);
                if (kind == MOA_TOKEN_COMMA || kind == MOA_TOKEN_PAREN_CLOSE || kind == MOA_TOKEN_INDEX_CLOSE) {
                    EmitOpcode(list, OPC_PUSH_NULL);
                }
                ++count;
                continue;
            }
            if (token.m_Kind == MOA_TOKEN_PAREN_CLOSE || token.m_Kind == MOA_TOKEN_INDEX_CLOSE) {
                ++count;
                break;
            }
            ReportCompileError(script, cursor, token, kElementError);
            return false;
        }
    }
    EmitOpcode(list, OPC_ELEMENTNUM);
    EmitInt(list, count);
    return true;
}
