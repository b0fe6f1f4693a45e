// The vocabulary of the script language as the diagnostics and dumps print it: token kinds,
// scope codes and opcode names. Numbers outside a table give "**不明トークン**" or "ERROR".
// Value type names: GxMoaVariable::GetValueTypeName.
#pragma once

#include <cstdint>
#include <string>

// Token kinds the engine refers to by name.
enum GxMoaTokenKind : std::uint16_t {
    MOA_TOKEN_UNDEFINED = 0,
    MOA_TOKEN_BUILTIN = 1,
    MOA_TOKEN_WORD = 2,
    MOA_TOKEN_INT = 3,
    MOA_TOKEN_FLOAT = 4,
    MOA_TOKEN_STRING = 5,
    MOA_TOKEN_NULL = 6,
    MOA_TOKEN_LABEL = 7,
    MOA_TOKEN_TEXT = 8,
    MOA_TOKEN_VARIABLE = 9,
    MOA_TOKEN_ARRAY_VARIABLE = 10,
    MOA_TOKEN_ARRAY = 13,
    MOA_TOKEN_BREAKPOINT = 15,
    MOA_TOKEN_SCRIPT_END = 17,
    MOA_TOKEN_DEFINE = 18,
    MOA_TOKEN_BUILTIN_KEYWORD = 19,
    MOA_TOKEN_STATIC = 21,
    MOA_TOKEN_GLOBAL = 22,
    MOA_TOKEN_EXTERN = 23,
    MOA_TOKEN_NOSAVE = 24,
    MOA_TOKEN_INGAME = 25,
    MOA_TOKEN_PERMAN = 26,
    MOA_TOKEN_IF = 27,
    MOA_TOKEN_ELSE = 28,
    MOA_TOKEN_WHILE = 29,
    MOA_TOKEN_FOR = 30,
    MOA_TOKEN_DO = 31,
    MOA_TOKEN_CONTINUE = 32,
    MOA_TOKEN_BREAK = 33,
    MOA_TOKEN_SEMICOLON = 34,
    MOA_TOKEN_COMMA = 35,
    MOA_TOKEN_BLOCK_OPEN = 36,
    MOA_TOKEN_BLOCK_CLOSE = 37,
    MOA_TOKEN_INDEX_OPEN = 38,
    MOA_TOKEN_INDEX_CLOSE = 39,
    MOA_TOKEN_PAREN_OPEN = 40,
    MOA_TOKEN_PAREN_CLOSE = 41,
    MOA_TOKEN_ADD = 48,
    MOA_TOKEN_SUB = 50,
    MOA_TOKEN_UNARY_PLUS = 54,
    MOA_TOKEN_UNARY_MINUS = 55,
    MOA_TOKEN_PRE_INCREMENT = 65,
    MOA_TOKEN_PRE_DECREMENT = 66,
    MOA_TOKEN_POST_INCREMENT = 67,
    MOA_TOKEN_POST_DECREMENT = 68,
    MOA_TOKEN_ASSIGN = 69,
};

// Scope codes of definitions, variables and tokens.
enum GxMoaScope : std::int32_t {
    MOA_SCOPE_NONE = 0,
    MOA_SCOPE_LOCAL = 1,
    MOA_SCOPE_STATIC_PERMAN = 2,
    MOA_SCOPE_STATIC_INGAME = 3,
    MOA_SCOPE_STATIC_NOSAVE = 4,
    MOA_SCOPE_GLOBAL_PERMAN = 5,
    MOA_SCOPE_GLOBAL_INGAME = 6,
    MOA_SCOPE_GLOBAL_NOSAVE = 7,
    MOA_SCOPE_EXTERN_PERMAN = 8,
    MOA_SCOPE_EXTERN_INGAME = 9,
    MOA_SCOPE_EXTERN_NOSAVE = 10,
};

std::u16string GetTokenKindName(std::int32_t kind);
std::u16string GetOpcodeName(std::int32_t opcode);
std::u16string GetScopeName(std::int32_t scope);
