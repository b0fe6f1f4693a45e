// GxMoaScriptEntity: the STATIC_ variables (scopes 2-4) of one script for a worker, and the
// variable lookup that goes from them to the worker's and the instance's variables.
#pragma once

#include "script/variable_table.h"

#include <cstdio>
#include <string>

class GxMoa;
class GxMoaScript;
class GxMoaWorker;

class GxMoaScriptEntity {
public:
    GxMoaScriptEntity(GxMoa* owner = nullptr, GxMoaWorker* worker = nullptr, GxMoaScript* script = nullptr)
        : m_pOwner(owner), m_pWorker(worker), m_pScript(script)
    {
    }
    virtual ~GxMoaScriptEntity() = default;

    virtual bool WriteVariables(GxContentWriterBase& writer, std::int32_t saveClass) const;
    virtual bool ReadVariables(GxContentReaderBase& reader, std::int32_t saveClass);
    virtual bool ResetAndReadVariables(GxContentReaderBase& reader, std::int32_t saveClass);

    // Own table, then the worker's, then the instance's.
    GxMoaVariableSet* FindVariable(const std::u16string& name);
    void RebuildStaticVariables(const GxMoaScript& script);
    void AddStaticVariables(const GxMoaScript& script);
    // Selected variables go back to their definition's initial value; others keep theirs.
    void ResetVariables(std::int32_t saveClass);
    void Dump(std::FILE* stream, int depth) const;
    std::u16string DumpText(int depth) const;
    std::u16string GetScriptName() const;

    GxMoaVariableTable& GetVariableTable() { return m_Variables; }
    const GxMoaVariableTable& GetVariableTable() const { return m_Variables; }

    GxMoa* m_pOwner = nullptr;
    GxMoaWorker* m_pWorker = nullptr;
    GxMoaScript* m_pScript = nullptr;

private:
    GxMoaVariableTable m_Variables{2};
};
