// The opcode evaluator: runs the opcode list of a worker's top exec-stack element as a stack
// machine on the worker's value stack. Variables it does not find are created in the current
// frame; builtins are called through the binder and may push or remove exec-stack elements
// while the list runs.
#pragma once

#include <cstdint>
#include <string>

class GxMoa;
class GxMoaExecStackElement;
class GxMoaFunctionBinder;
class GxMoaScriptEntity;
class GxMoaVariable;
class GxMoaVariableSet;
class GxMoaWorker;

// Opcode numbers of the compiled expression lists.
enum GxMoaOpcode : std::int32_t {
    MOA_OPC_NOP = 0,
    MOA_OPC_SEPARATOR = 1,
    MOA_OPC_PUSH_INT = 2,
    MOA_OPC_PUSH_FLT = 3,
    MOA_OPC_PUSH_STR = 4,
    MOA_OPC_PUSH_NULL = 5,
    MOA_OPC_PUSH_VAR = 6,
    MOA_OPC_PUSH_VARARY = 7,
    MOA_OPC_ALTER_VAR = 8,
    MOA_OPC_ALTER_VARARY = 9,
    MOA_OPC_CALL_BUILTIN = 10,
    MOA_OPC_ELEMENT = 11,
    MOA_OPC_ELEMENTNUM = 12,
    MOA_OPC_ARRAYINIT = 13,
    MOA_OPC_ARRAYINDEX = 14,
    MOA_OPC_EQUAL = 15,
    MOA_OPC_LOGICAL_AND = 36,
    MOA_OPC_LOGICAL_OR = 37,
    MOA_OPC_POST_INCREMENT = 40,
    MOA_OPC_POST_DECREMENT = 41,
    MOA_OPC_ASSIGN = 42,
    MOA_OPC_XOR_ASSIGN = 51,
    MOA_OPC_LAST = 51,
};

// 1 when the list ran to its end (or there was nothing to run), 0 on a failure.
std::int32_t Exec_Opcode(GxMoaFunctionBinder* binder, GxMoaScriptEntity* entity, GxMoa* moa, GxMoaWorker* worker,
                         bool warn);
bool Exec_PushStack(const GxMoaVariable& value, GxMoaWorker* worker, std::int32_t pc, GxMoa* moa = nullptr,
                    GxMoaScriptEntity* entity = nullptr);
GxMoaVariableSet* Exec_FindVariable(const std::u16string& name, GxMoaExecStackElement* frame,
                                    GxMoaScriptEntity* entity, GxMoaWorker* worker);
