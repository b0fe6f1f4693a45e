// GxMoaVariableTable: script variables in insertion order, with lookup, implicit creation, and
// writing and reading filtered by save class (0 all, 1 none, 2 PERMAN, 3 INGAME and LOCAL,
// 4 NOSAVE, 5 and above none).
#pragma once

#include "script/variable_set.h"

#include <cstdint>
#include <string>
#include <vector>

class GxMoaVariableDefinition;

class GxMoaVariableTable {
public:
    // The level picks the scope of variables the table creates itself: 2 STATIC_INGAME,
    // 3 GLOBAL_INGAME, 4 EXTERN_INGAME, any other LOCAL.
    explicit GxMoaVariableTable(std::int32_t level = 1) : m_Level(level) {}

    virtual bool Write(GxContentWriterBase& writer, std::int32_t saveClass) const;
    virtual bool Read(GxContentReaderBase& reader, std::int32_t saveClass);

    static bool SaveClassSelects(std::int32_t saveClass, std::int32_t scope);

    GxMoaVariableSet* Find(const std::u16string& name);
    const GxMoaVariableSet* Find(const std::u16string& name) const;
    void AddLocal(const std::u16string& name, const GxMoaVariable& value);
    void AddFromDefinition(const GxMoaVariableDefinition& definition);
    static void ResetFromDefinition(GxMoaVariableSet& entry, const GxMoaVariableDefinition* definition);
    // Null stands for an absent value; the result is the element touched, or none.
    GxMoaVariable* Assign(const std::u16string& name, std::int32_t index, const GxMoaVariable* value);
    GxMoaVariableSet* Declare(const std::u16string& name, std::int32_t index);
    // "Scope:%s\n" then the value's dump line, for each entry.
    void Dump(std::FILE* file, int depth) const;
    std::u16string DumpText(int depth) const;

    void Clear() { m_Entries.clear(); }
    std::vector<GxMoaVariableSet>& Entries() { return m_Entries; }
    const std::vector<GxMoaVariableSet>& Entries() const { return m_Entries; }
    std::int32_t GetLevel() const { return m_Level; }
    void SetLevel(std::int32_t level) { m_Level = level; }

private:
    GxMoaVariableSet& FindOrCreate(const std::u16string& name);
    std::int32_t CreatedScope() const;

    std::vector<GxMoaVariableSet> m_Entries;
    std::int32_t m_Level = 1;
};
