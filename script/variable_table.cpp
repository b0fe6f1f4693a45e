#include "script/variable_table.h"

#include "foundation/content.h"
#include "foundation/wide_string.h"
#include "platform/crt/wide_stdio.h"
#include "script/dump_line.h"
#include "script/moa_names.h"
#include "script/variable_definition.h"

namespace {

void ApplyDefinition(GxMoaVariable& value, const GxMoaVariableDefinition& definition)
{
    value = definition.m_Value;
    if (definition.m_ArraySize >= 0 && value.GetType() != MOA_VALUE_ARRAY) {
        value.MakeArray(definition.m_ArraySize);
    }
}

}  // namespace

bool GxMoaVariableTable::SaveClassSelects(std::int32_t saveClass, std::int32_t scope)
{
    switch (saveClass) {
    case 0: return true;
    case 2: return scope == 2 || scope == 5 || scope == 8;
    case 3: return scope == 1 || scope == 3 || scope == 6 || scope == 9;
    case 4: return scope == 4 || scope == 7 || scope == 10;
    default: return false;
    }
}

std::int32_t GxMoaVariableTable::CreatedScope() const
{
    switch (m_Level) {
    case 2: return MOA_SCOPE_STATIC_INGAME;
    case 3: return MOA_SCOPE_GLOBAL_INGAME;
    case 4: return MOA_SCOPE_EXTERN_INGAME;
    default: return MOA_SCOPE_LOCAL;
    }
}

GxMoaVariableSet* GxMoaVariableTable::Find(const std::u16string& name)
{
    for (GxMoaVariableSet& entry : m_Entries) {
        if (entry.m_Name == name) {
            return &entry;
        }
    }
    return nullptr;
}

const GxMoaVariableSet* GxMoaVariableTable::Find(const std::u16string& name) const
{
    return const_cast<GxMoaVariableTable*>(this)->Find(name);
}

void GxMoaVariableTable::AddLocal(const std::u16string& name, const GxMoaVariable& value)
{
    if (Find(name) == nullptr) {
        m_Entries.emplace_back(name, MOA_SCOPE_LOCAL, value);
    }
}

void GxMoaVariableTable::AddFromDefinition(const GxMoaVariableDefinition& definition)
{
    if (Find(definition.m_Name) != nullptr) {
        return;
    }
    GxMoaVariableSet entry;
    entry.m_Name = definition.m_Name;
    entry.m_Scope = definition.m_Scope;
    ApplyDefinition(entry.m_Value, definition);
    m_Entries.push_back(std::move(entry));
}

void GxMoaVariableTable::ResetFromDefinition(GxMoaVariableSet& entry, const GxMoaVariableDefinition* definition)
{
    if (definition == nullptr) {
        entry.m_Value.Clear();
        return;
    }
    ApplyDefinition(entry.m_Value, *definition);
}

GxMoaVariableSet& GxMoaVariableTable::FindOrCreate(const std::u16string& name)
{
    if (GxMoaVariableSet* entry = Find(name)) {
        return *entry;
    }
    m_Entries.emplace_back(name, CreatedScope(), GxMoaVariable());
    return m_Entries.back();
}

GxMoaVariable* GxMoaVariableTable::Assign(const std::u16string& name, std::int32_t index, const GxMoaVariable* value)
{
    const GxMoaVariable null;
    // Copy before the table may grow: the value can live in one of its own entries.
    const GxMoaVariable source = value != nullptr ? *value : null;
    return FindOrCreate(name).m_Value.SetElement(index, source);
}

GxMoaVariableSet* GxMoaVariableTable::Declare(const std::u16string& name, std::int32_t index)
{
    GxMoaVariableSet& entry = FindOrCreate(name);
    entry.m_Value.SetElement(index, GxMoaVariable());
    return &entry;
}

bool GxMoaVariableTable::Write(GxContentWriterBase& writer, std::int32_t saveClass) const
{
    std::int32_t count = 0;
    for (const GxMoaVariableSet& entry : m_Entries) {
        count += SaveClassSelects(saveClass, entry.m_Scope) ? 1 : 0;
    }
    bool ok = writer.WriteS32("m_VariablesSize", count);
    for (const GxMoaVariableSet& entry : m_Entries) {
        if (SaveClassSelects(saveClass, entry.m_Scope)) {
            ok = entry.Write(writer) && ok;
        }
    }
    return ok && writer.GetErrorCount() == 0;
}

bool GxMoaVariableTable::Read(GxContentReaderBase& reader, std::int32_t saveClass)
{
    std::int32_t count = 0;
    reader.ReadS32("m_VariablesSize", &count);
    // Each entry needs bytes of its own: a count beyond the bytes left is damage.
    if (count > 0 && static_cast<std::uint64_t>(count) > reader.BytesLeft()) {
        reader.CountDamage("GxMoaVariableTable/VariablesSize out of range %d\n", count);
        return false;
    }
    for (std::int32_t i = 0; i < count; ++i) {
        if (reader.BytesLeft() == 0) {
            reader.CountDamage("GxMoaVariableTable/Data ends inside the table\n");
            break;
        }
        GxMoaVariableSet read;
        read.Read(reader);
        if (!SaveClassSelects(saveClass, read.m_Scope)) {
            continue;
        }
        if (GxMoaVariableSet* entry = Find(read.m_Name)) {
            entry->m_Value = std::move(read.m_Value);
        } else {
            m_Entries.push_back(std::move(read));
        }
    }
    return reader.GetErrorCount() == 0;
}

std::u16string GxMoaVariableTable::DumpText(int depth) const
{
    std::u16string text;
    for (const GxMoaVariableSet& entry : m_Entries) {
        text += FormatWide(u"Scope:%s\n", GetScopeName(entry.m_Scope).c_str());
        text += DumpVariableLine(entry.m_Name.c_str(), entry.m_Value, depth);
    }
    return text;
}

void GxMoaVariableTable::Dump(std::FILE* file, int depth) const
{
    if (file == nullptr) {
        return;
    }
    for (const GxMoaVariableSet& entry : m_Entries) {
        fputws(FormatWide(u"Scope:%s\n", GetScopeName(entry.m_Scope).c_str()).c_str(), file);
        fputws(DumpVariableLine(entry.m_Name.c_str(), entry.m_Value, depth).c_str(), file);
    }
}
