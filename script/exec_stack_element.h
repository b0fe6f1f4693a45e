// GxMoaExecStackElement: one open block of a worker's exec stack: its kind, its run position,
// its local variables, and the opcode list under evaluation with the evaluator's index in it.
#pragma once

#include "script/expression_compiler.h"
#include "script/run_pos.h"
#include "script/variable_table.h"

#include <cstdint>

class GxContentReaderBase;
class GxContentWriterBase;
class GxMoaWorker;

// Block kinds; 3 to 8 are control blocks that jumps and returns discard.
enum GxMoaBlockType : std::int32_t {
    MOA_BLOCK_UNKNOWN = 0,
    MOA_BLOCK_FRAME = 1,
    MOA_BLOCK_FUNCTION = 2,
    MOA_BLOCK_IF = 3,
    MOA_BLOCK_ELSE = 4,
    MOA_BLOCK_WHILE = 5,
    MOA_BLOCK_FOR = 6,
    MOA_BLOCK_DO = 7,
    MOA_BLOCK_SUB = 8,
};

class GxMoaExecStackElement {
public:
    GxMoaExecStackElement();
    GxMoaExecStackElement(const GxMoaExecStackElement& other);
    GxMoaExecStackElement& operator=(const GxMoaExecStackElement& other);
    virtual ~GxMoaExecStackElement() = default;

    // "m_BlockType", the run position, the locals (class 0), "m_OpcodeList", "m_OpcodePos".
    virtual bool Write(GxContentWriterBase& writer) const;
    // The entity is found again through the worker by the stored script name.
    virtual bool Read(GxContentReaderBase& reader, GxMoaWorker* worker);

    void ResetOpcodeList();
    static bool IsControlBlock(std::int32_t type) { return type >= MOA_BLOCK_IF && type <= MOA_BLOCK_SUB; }
    // Tells this element apart from a later one at the same place of the stack: the evaluator
    // checks after each builtin call that its element was not removed.
    std::uint64_t GetSerial() const { return m_Serial; }

    std::int32_t m_BlockType = MOA_BLOCK_UNKNOWN;
    GxMoaScriptPos m_RunPos;
    GxMoaVariableTable m_Variables{1};
    GxMoaOpcodeList m_OpcodeList;
    std::int32_t m_OpcodePos = 0;

private:
    std::uint64_t m_Serial = 0;
};
