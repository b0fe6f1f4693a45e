#include "script/script_entity.h"

#include "foundation/wide_string.h"
#include "platform/crt/wide_stdio.h"
#include "script/moa.h"
#include "script/moa_names.h"
#include "script/script.h"
#include "script/worker.h"

bool GxMoaScriptEntity::WriteVariables(GxContentWriterBase& writer, std::int32_t saveClass) const
{
    return m_Variables.Write(writer, saveClass);
}

bool GxMoaScriptEntity::ReadVariables(GxContentReaderBase& reader, std::int32_t saveClass)
{
    return m_Variables.Read(reader, saveClass);
}

bool GxMoaScriptEntity::ResetAndReadVariables(GxContentReaderBase& reader, std::int32_t saveClass)
{
    ResetVariables(saveClass);
    return m_Variables.Read(reader, saveClass);
}

GxMoaVariableSet* GxMoaScriptEntity::FindVariable(const std::u16string& name)
{
    if (GxMoaVariableSet* found = m_Variables.Find(name)) {
        return found;
    }
    if (m_pWorker != nullptr) {
        if (GxMoaVariableSet* found = m_pWorker->GetVariableTable().Find(name)) {
            return found;
        }
    }
    if (m_pOwner != nullptr) {
        return m_pOwner->GetVariableTable().Find(name);
    }
    return nullptr;
}

void GxMoaScriptEntity::RebuildStaticVariables(const GxMoaScript& script)
{
    m_Variables.Clear();
    AddStaticVariables(script);
}

void GxMoaScriptEntity::AddStaticVariables(const GxMoaScript& script)
{
    for (const GxMoaVariableDefinition& definition : script.m_VariableDefines) {
        if (definition.m_Scope >= MOA_SCOPE_STATIC_PERMAN && definition.m_Scope <= MOA_SCOPE_STATIC_NOSAVE) {
            m_Variables.AddFromDefinition(definition);
        }
    }
}

void GxMoaScriptEntity::ResetVariables(std::int32_t saveClass)
{
    if (m_pScript == nullptr) {
        return;
    }
    for (GxMoaVariableSet& entry : m_Variables.Entries()) {
        if (!GxMoaVariableTable::SaveClassSelects(saveClass, entry.m_Scope)) {
            continue;
        }
        if (const GxMoaVariableDefinition* definition = m_pScript->FindVariableDefinition(entry.m_Name)) {
            GxMoaVariableTable::ResetFromDefinition(entry, definition);
        }
    }
}

std::u16string GxMoaScriptEntity::GetScriptName() const
{
    return m_pScript != nullptr ? m_pScript->m_ScriptName : std::u16string();
}

std::u16string GxMoaScriptEntity::DumpText(int depth) const
{
    return FormatWide(u"------Script:%s\n", GetScriptName().c_str()) + m_Variables.DumpText(depth);
}

void GxMoaScriptEntity::Dump(std::FILE* stream, int depth) const
{
    if (stream == nullptr) {
        return;
    }
    fputws(FormatWide(u"------Script:%s\n", GetScriptName().c_str()).c_str(), stream);
    m_Variables.Dump(stream, depth);
}
