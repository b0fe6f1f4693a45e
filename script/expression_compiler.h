// The expression compiler: the tokens of one script line, from a cursor to the end of the
// expression, become an opcode list in postfix order (operands before their operator). A
// recursive descent over the precedence levels with one token of look-ahead; every phase
// reports its own errors through the script's owner instance and returns false.
#pragma once

#include "script/run_pos.h"
#include "script/variable.h"

#include <cstdint>
#include <vector>

class GxMoaScript;
class GxMoaToken;

using GxMoaOpcodeList = std::vector<GxMoaVariable>;

// Nested sub-expressions (parentheses, indexes, prefix operators, assignments) deeper than this
// are refused rather than allowed to exhaust the stack.
constexpr int kMoaMaxExpressionDepth = 256;

// One expression; on success the cursor stands on the end token (script end, ";", ",", "}",
// "]" or ")"), not consumed.
bool Phase_Expr(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor);
// A comma-separated list up to ")" or "]" (not consumed), then ELEMENTNUM with the count as
// the last entry. Every omitted element is a Null and counts.
bool Phase_Element(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor);
bool Phase_Skip(GxMoaRunPos& cursor, std::int32_t expectedKind, const GxMoaScript* script);
void EmitOpcode(GxMoaOpcodeList& list, std::int32_t opcode);

bool Phase_LogicalOp(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor);
bool Phase_BitOp(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor);
bool Phase_CompEqNeOp(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor);
bool Phase_CompLeGeOp(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor);
bool Phase_BitShiftOp(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor);
bool Phase_AddOp(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor);
bool Phase_MulOp(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor);
bool Phase_SingleOp(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor);
bool Phase_Term(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor);
bool Phase_AssignOp(const GxMoaScript* script, GxMoaOpcodeList& list, GxMoaRunPos& cursor);

// Checks around the operator at `position`; they never move it.
bool Phase_IsTermLeft(const GxMoaScript* script, const GxMoaRunPos& position);
bool Phase_IsTermRight(const GxMoaScript* script, const GxMoaRunPos& position);
bool Phase_IsBinaryOperand(const GxMoaScript* script, const GxMoaRunPos& position);

// "message[token description]" as an error of the script's owner, at the position's line.
void ReportCompileError(const GxMoaScript* script, const GxMoaRunPos& position, const GxMoaToken& token,
                        const char16_t* message);
