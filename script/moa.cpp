#include "script/moa.h"

#include "foundation/content.h"
#include "foundation/wide_string.h"
#include "platform/crt/wide_stdio.h"
#include "script/moa_names.h"
#include "script/script_entity.h"

namespace {

constexpr char16_t kEndMarker[] = u"END_MARKER";

bool IsExternScope(std::int32_t scope)
{
    return scope == MOA_SCOPE_EXTERN_PERMAN || scope == MOA_SCOPE_EXTERN_INGAME || scope == MOA_SCOPE_EXTERN_NOSAVE;
}

// The EXTERN_ scope a reset of this save class touches; 0 every one, -1 none.
std::int32_t ResetScope(std::int32_t saveClass)
{
    switch (saveClass) {
    case 0: return 0;
    case 2: return MOA_SCOPE_EXTERN_PERMAN;
    case 3: return MOA_SCOPE_EXTERN_INGAME;
    case 4: return MOA_SCOPE_EXTERN_NOSAVE;
    default: return -1;
    }
}

}  // namespace

void GxMoa::Clear()
{
    m_Labels.clear();
    m_VariableDefines.clear();
    m_BuiltinDefines.clear();
    m_NamedValues.clear();
    m_Scripts.clear();
}

void GxMoa::ResetRunState()
{
    m_ErrorStop = false;
    m_Break = false;
    m_ErrorCount = 0;
    m_WarningCount = 0;
}

bool GxMoa::AddLabel(const GxMoaLabelDefinition& definition)
{
    return m_Labels.try_emplace(definition.m_Name, std::make_unique<GxMoaLabelDefinition>(definition)).second;
}

bool GxMoa::AddVariableDefinition(const GxMoaVariableDefinition& definition)
{
    if (FindVariableDefinition(definition.m_Name) != nullptr) {
        return false;
    }
    m_VariableDefines.push_back(definition);
    return true;
}

bool GxMoa::AddBuiltinDefinition(const GxMoaBuiltinDefinition& definition)
{
    if (FindBuiltinDefinition(definition.m_Name) != nullptr) {
        return false;
    }
    m_BuiltinDefines.push_back(definition);
    return true;
}

bool GxMoa::AddNamedValue(const std::u16string& name, const GxMoaVariable& value)
{
    if (m_NamedValues.count(name) != 0) {
        return false;
    }
    m_NamedValues.emplace(name, std::make_unique<GxMoaVariable>(value));
    return true;
}

bool GxMoa::AddScript(std::unique_ptr<GxMoaScript> script)
{
    if (!script) {
        return false;
    }
    script->m_pOwner = this;
    const std::u16string name = script->m_ScriptName;
    return m_Scripts.try_emplace(name, std::move(script)).second;
}

const GxMoaLabelDefinition* GxMoa::FindLabel(const std::u16string& name) const
{
    const auto found = m_Labels.find(name);
    return found != m_Labels.end() ? found->second.get() : nullptr;
}

const GxMoaVariableDefinition* GxMoa::FindVariableDefinition(const std::u16string& name) const
{
    for (const GxMoaVariableDefinition& definition : m_VariableDefines) {
        if (definition.m_Name == name) {
            return &definition;
        }
    }
    return nullptr;
}

const GxMoaBuiltinDefinition* GxMoa::FindBuiltinDefinition(const std::u16string& name) const
{
    for (const GxMoaBuiltinDefinition& definition : m_BuiltinDefines) {
        if (definition.m_Name == name) {
            return &definition;
        }
    }
    return nullptr;
}

GxMoaVariable* GxMoa::FindNamedValue(const std::u16string& name)
{
    const auto found = m_NamedValues.find(name);
    return found != m_NamedValues.end() ? found->second.get() : nullptr;
}

GxMoaScript* GxMoa::FindScript(const std::u16string& name) const
{
    const auto found = m_Scripts.find(name);
    return found != m_Scripts.end() ? found->second.get() : nullptr;
}

const GxMoaLabelDefinition* GxMoa::FindLabelInScript(const std::u16string& name, const GxMoaScript* script) const
{
    if (name.empty()) {
        return nullptr;
    }
    if (name[0] == u'@') {
        return script != nullptr ? script->FindLabel(name) : nullptr;
    }
    return FindLabel(name);
}

const GxMoaLabelDefinition* GxMoa::FindLabelInEntity(const std::u16string& name, const GxMoaScriptEntity* entity) const
{
    return FindLabelInScript(name, entity != nullptr ? entity->m_pScript : nullptr);
}

bool GxMoa::HasLabel(const std::u16string& labelName, const std::u16string& scriptName) const
{
    return FindLabelInScript(labelName, FindScript(scriptName)) != nullptr;
}

bool GxMoa::WriteProgram(GxContentWriterBase& writer) const
{
    bool ok = MoaWriteLabelList(writer, m_Labels);
    ok = MoaWriteVariableDefinitionList(writer, m_VariableDefines) && ok;
    ok = writer.WriteListBegin("m_BuiltinDefine", "", static_cast<std::uint32_t>(m_BuiltinDefines.size())) && ok;
    for (const GxMoaBuiltinDefinition& definition : m_BuiltinDefines) {
        ok = definition.Write(writer) && ok;
    }
    ok = writer.WriteListEnd() && ok;
    ok = writer.WriteListBegin("m_pScriptDefine", "", static_cast<std::uint32_t>(m_Scripts.size())) && ok;
    for (const auto& [name, script] : m_Scripts) {
        ok = script->Write(writer) && ok;
    }
    ok = writer.WriteListEnd() && ok;
    ok = writer.WriteWString("END_MARKER", kEndMarker) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxMoa::ReadProgram(GxContentReaderBase& reader)
{
    Clear();
    MoaReadLabelList(reader, m_Labels);
    MoaReadVariableDefinitionList(reader, m_VariableDefines);

    const std::uint32_t builtinCount = MoaReadListCount(reader, "m_BuiltinDefine");
    m_BuiltinDefines.resize(builtinCount);
    for (GxMoaBuiltinDefinition& definition : m_BuiltinDefines) {
        if (!MoaElementLeft(reader)) {
            break;
        }
        definition.Read(reader);
    }
    reader.ReadListEnd();

    const std::uint32_t scriptCount = MoaReadListCount(reader, "m_pScriptDefine");
    for (std::uint32_t i = 0; i < scriptCount && MoaElementLeft(reader); ++i) {
        auto script = std::make_unique<GxMoaScript>(this);
        script->Read(reader);
        const std::u16string name = script->m_ScriptName;
        m_Scripts.try_emplace(name, std::move(script));   // a repeated name keeps the first
    }
    reader.ReadListEnd();

    if (reader.ReadWString("END_MARKER") != kEndMarker) {
        return false;
    }
    return reader.GetErrorCount() == 0;
}

void GxMoa::BuildVariables()
{
    m_Variables.Clear();
    AddMissingVariables();
}

void GxMoa::AddMissingVariables()
{
    for (const GxMoaVariableDefinition& definition : m_VariableDefines) {
        if (IsExternScope(definition.m_Scope)) {
            m_Variables.AddFromDefinition(definition);   // a name already there is skipped
        }
    }
}

void GxMoa::ResetVariables(std::int32_t saveClass)
{
    const std::int32_t scope = ResetScope(saveClass);
    if (scope < 0) {
        return;
    }
    for (GxMoaVariableSet& entry : m_Variables.Entries()) {
        if (IsExternScope(entry.m_Scope) && (scope == 0 || entry.m_Scope == scope)) {
            GxMoaVariableTable::ResetFromDefinition(entry, FindVariableDefinition(entry.m_Name));
        }
    }
}

bool GxMoa::ResetGameVariables()
{
    ResetVariables(3);
    ResetVariables(4);
    return true;
}

bool GxMoa::WriteVariables(GxContentWriterBase& writer, std::int32_t saveClass) const
{
    m_Variables.Write(writer, saveClass);
    return writer.GetErrorCount() == 0;
}

bool GxMoa::ReadVariables(GxContentReaderBase& reader, std::int32_t saveClass)
{
    m_Variables.Read(reader, saveClass);
    return reader.GetErrorCount() == 0;
}

bool GxMoa::ResetAndReadVariables(GxContentReaderBase& reader, std::int32_t saveClass)
{
    ResetVariables(saveClass);
    m_Variables.Read(reader, saveClass);
    AddMissingVariables();
    return reader.GetErrorCount() == 0;
}

std::u16string GxMoa::DumpText(int depth) const
{
    return u"--MoaInstance:\n" + m_Variables.DumpText(depth);
}

void GxMoa::Dump(std::FILE* file, int depth) const
{
    if (file == nullptr) {
        return;
    }
    fputws(u"--MoaInstance:\n", file);
    m_Variables.Dump(file, depth);
}

void GxMoa::Print(const char16_t* /*format*/, ...) {}

void GxMoa::Warning(std::u16string /*scriptName*/, std::int32_t /*line*/, const char16_t* /*format*/, ...)
{
    ++m_WarningCount;
}

void GxMoa::Error(std::u16string /*scriptName*/, std::int32_t /*line*/, const char16_t* /*format*/, ...)
{
    ++m_ErrorCount;
}
