#include "script/worker.h"

#include "foundation/content.h"
#include "foundation/wide_string.h"
#include "platform/crt/wide_stdio.h"
#include "script/definition_lists.h"
#include "script/label_definition.h"
#include "script/moa.h"
#include "script/moa_names.h"
#include "script/script.h"
#include "script/variable_definition.h"

#include <cstdarg>

namespace {

constexpr std::size_t kValueStackRoom = 8;

bool IsGlobalScope(std::int32_t scope)
{
    return scope >= MOA_SCOPE_GLOBAL_PERMAN && scope <= MOA_SCOPE_GLOBAL_NOSAVE;
}

bool ClassSelectsGlobal(std::int32_t saveClass, std::int32_t scope)
{
    switch (saveClass) {
    case 0: return true;
    case 2: return scope == MOA_SCOPE_GLOBAL_PERMAN;
    case 3: return scope == MOA_SCOPE_GLOBAL_INGAME;
    case 4: return scope == MOA_SCOPE_GLOBAL_NOSAVE;
    default: return false;
    }
}

void DefineArgument(GxMoaExecStackElement& element, const GxMoaVariableSet* argument)
{
    if (argument != nullptr) {
        element.m_Variables.AddLocal(argument->m_Name, argument->m_Value);
    }
}

}  // namespace

GxMoaWorker::GxMoaWorker(GxMoa* owner) : m_pOwner(owner), m_Name(u"MAIN_WORKER")
{
    ResetStacks();
}

GxMoaWorker::~GxMoaWorker()
{
    ResetStacks();
    m_Entities.clear();
}

GxMoaVariableSet* GxMoaWorker::FindVariable(const std::u16string& name)
{
    if (GxMoaVariableSet* found = m_Variables.Find(name)) {
        return found;
    }
    return m_pOwner != nullptr ? m_pOwner->GetVariableTable().Find(name) : nullptr;
}

void GxMoaWorker::ResetStacks()
{
    // A deque keeps no spare room of its own; the value stack keeps its reservation.
    m_ExecStack.clear();
    m_ValueStack.clear();
    m_ValueStack.reserve(kValueStackRoom);
    m_Result.Clear();
}

GxMoaScriptEntity* GxMoaWorker::FindScriptEntity(const std::u16string& scriptName) const
{
    const auto found = m_Entities.find(scriptName);
    return found != m_Entities.end() ? found->second.get() : nullptr;
}

GxMoaExecStackElement* GxMoaWorker::GetTopExecStackElement()
{
    return m_ExecStack.empty() ? nullptr : &m_ExecStack.back();
}

GxMoaExecStackElement* GxMoaWorker::GetExecStackElement(std::int32_t index)
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_ExecStack.size()) {
        return nullptr;
    }
    return &m_ExecStack[static_cast<std::size_t>(index)];
}

GxMoaExecStackElement* GxMoaWorker::FindTopFrame()
{
    for (auto it = m_ExecStack.rbegin(); it != m_ExecStack.rend(); ++it) {
        if (it->m_BlockType == MOA_BLOCK_FRAME) {
            return &*it;
        }
    }
    return nullptr;
}

void GxMoaWorker::PopControlBlocks()
{
    while (!m_ExecStack.empty() && GxMoaExecStackElement::IsControlBlock(m_ExecStack.back().m_BlockType)) {
        m_ExecStack.pop_back();
    }
}

bool GxMoaWorker::PlaceAtLabel(GxMoaExecStackElement& element, const std::u16string& label,
                               const GxMoaScriptEntity* context)
{
    if (m_pOwner == nullptr) {
        return false;
    }
    const GxMoaLabelDefinition* definition = m_pOwner->FindLabelInEntity(label, context);
    if (definition == nullptr) {
        return false;
    }
    element.m_RunPos.m_Line = definition->m_Position.m_Line;
    element.m_RunPos.m_Pos = definition->m_Position.m_Pos;
    element.m_RunPos.m_ScriptName = definition->m_Position.m_ScriptName;
    element.m_RunPos.m_pEntity =
        element.m_RunPos.m_ScriptName.empty() ? nullptr : FindScriptEntity(element.m_RunPos.m_ScriptName);
    return true;
}

bool GxMoaWorker::Jump(const std::u16string& label, const GxMoaVariableTable* table)
{
    if (m_pOwner == nullptr) {
        return false;
    }
    GxMoaExecStackElement* frame = FindTopFrame();
    const GxMoaScriptEntity* context = frame != nullptr ? frame->m_RunPos.m_pEntity : nullptr;
    if (m_pOwner->FindLabelInEntity(label, context) == nullptr) {
        return false;
    }
    PopControlBlocks();
    if (FindTopFrame() == nullptr) {
        m_ExecStack.emplace_back();
        m_ExecStack.back().m_BlockType = MOA_BLOCK_FRAME;
    }
    frame = FindTopFrame();
    frame->ResetOpcodeList();
    PlaceAtLabel(*frame, label, context);
    if (table != nullptr) {
        frame->m_Variables = *table;
    }
    return true;
}

bool GxMoaWorker::ResetAndJump(const std::u16string& label, const GxMoaVariableTable* table)
{
    ResetStacks();
    return Jump(label, table);
}

bool GxMoaWorker::PushFrameAt(const std::u16string& label, const GxMoaScriptEntity* context,
                              const GxMoaVariableSet* argument, bool dropFrame)
{
    if (!dropFrame && IsExecStackFull()) {
        if (m_pOwner != nullptr) {
            const GxMoaScriptPos& top = m_ExecStack.back().m_RunPos;
            m_pOwner->Error(top.m_ScriptName, top.m_Line, u"the exec stack has reached its limit of %d blocks",
                            kMoaMaxExecStackDepth);
            m_pOwner->SetErrorStop(true);
        }
        return false;
    }
    GxMoaExecStackElement element;
    element.m_BlockType = MOA_BLOCK_FRAME;
    if (!PlaceAtLabel(element, label, context)) {
        return false;
    }
    DefineArgument(element, argument);
    if (dropFrame) {
        PopControlBlocks();
        if (!m_ExecStack.empty()) {
            m_ExecStack.pop_back();
        }
    }
    m_ExecStack.push_back(std::move(element));
    return true;
}

bool GxMoaWorker::Call(const std::u16string& label, const GxMoaVariableSet* argument)
{
    GxMoaExecStackElement* frame = FindTopFrame();
    return PushFrameAt(label, frame != nullptr ? frame->m_RunPos.m_pEntity : nullptr, argument, false);
}

bool GxMoaWorker::Return(const GxMoaVariable* value)
{
    if (value != nullptr) {
        m_Result = *value;
    } else {
        m_Result.Clear();
    }
    if (m_ExecStack.empty()) {
        return false;
    }
    PopControlBlocks();
    if (!m_ExecStack.empty()) {
        m_ExecStack.pop_back();
    }
    return !m_ExecStack.empty();
}

void GxMoaWorker::Exit(const GxMoaVariable* value)
{
    GxMoaVariable result;
    if (value != nullptr) {
        result = *value;
    }
    ResetStacks();
    m_Result = std::move(result);
}

void GxMoaWorker::Stop()
{
    ResetStacks();
}

bool GxMoaWorker::Reset()
{
    ResetStacks();
    ClearVariables(3);
    ClearVariables(4);
    return true;
}

bool GxMoaWorker::Restart(const std::u16string& scriptName, const std::u16string& label,
                          const GxMoaVariableSet* argument)
{
    ResetStacks();
    ClearVariables(3);
    ClearVariables(4);
    return JumpToScript(label, scriptName, argument);
}

bool GxMoaWorker::JumpToScript(const std::u16string& label, const std::u16string& scriptName,
                               const GxMoaVariableSet* argument)
{
    return PushFrameAt(label, FindScriptEntity(scriptName), argument, true);
}

bool GxMoaWorker::ResetAndJumpToScript(const std::u16string& scriptName, const std::u16string& label,
                                       const GxMoaVariableSet* argument)
{
    ResetStacks();
    return JumpToScript(label, scriptName, argument);
}

bool GxMoaWorker::CallInScript(const std::u16string& label, const std::u16string& scriptName,
                               const GxMoaVariableSet* argument)
{
    return PushFrameAt(label, FindScriptEntity(scriptName), argument, false);
}

std::u16string GxMoaWorker::GetScriptName(const GxMoaExecStackElement* element) const
{
    if (element == nullptr) {
        if (m_ExecStack.empty()) {
            return std::u16string();
        }
        element = &m_ExecStack.back();
    }
    return element->m_RunPos.m_ScriptName;
}

std::int32_t GxMoaWorker::GetLine(const GxMoaExecStackElement* element) const
{
    if (element == nullptr) {
        if (m_ExecStack.empty()) {
            return -1;
        }
        element = &m_ExecStack.back();
    }
    return element->m_RunPos.m_Line;
}

std::int32_t GxMoaWorker::GetLastLine(const GxMoaExecStackElement* element) const
{
    if (element == nullptr) {
        if (m_ExecStack.empty()) {
            return -1;
        }
        element = &m_ExecStack.back();
    }
    const GxMoaScriptEntity* entity = element->m_RunPos.m_pEntity;
    if (entity == nullptr) {
        return element->m_RunPos.m_Line;
    }
    for (std::int32_t line = element->m_RunPos.m_Line - 1; line >= 1; --line) {
        if (entity->m_pScript != nullptr && entity->m_pScript->GetTokenCount(line) > 0) {
            return line + 1;
        }
    }
    return 0;
}

void GxMoaWorker::ReportError(const char16_t* text, GxMoaScriptEntity* entity, GxMoaExecStack* execStack,
                              const char16_t* format, ...)
{
    if (m_pOwner == nullptr) {
        return;
    }
    char16_t message[1024];
    va_list args;
    va_start(args, format);
    FormatWideBufferV(message, 1024, format, args);
    va_end(args);
    const std::int32_t line = execStack != nullptr && !execStack->empty() ? execStack->back().m_RunPos.m_Line : -1;
    m_pOwner->Error(entity != nullptr ? entity->GetScriptName() : std::u16string(), line, u"%s:%s",
                    text != nullptr ? text : u"", message);
}

void GxMoaWorker::RebuildScriptEntities()
{
    m_Entities.clear();
    if (m_pOwner == nullptr) {
        return;
    }
    for (const GxMoaVariableDefinition& definition : m_pOwner->GetVariableDefinitions()) {
        if (IsGlobalScope(definition.m_Scope)) {
            m_Variables.AddFromDefinition(definition);
        }
    }
    for (const auto& [name, script] : m_pOwner->GetScripts()) {
        auto entity = std::make_unique<GxMoaScriptEntity>(m_pOwner, this, script.get());
        entity->RebuildStaticVariables(*script);
        m_Entities.emplace(script->m_ScriptName, std::move(entity));
    }
}

void GxMoaWorker::DefineMissingVariables()
{
    if (m_pOwner == nullptr) {
        return;
    }
    for (const GxMoaVariableDefinition& definition : m_pOwner->GetVariableDefinitions()) {
        if (IsGlobalScope(definition.m_Scope)) {
            m_Variables.AddFromDefinition(definition);
        }
    }
    for (auto& [name, entity] : m_Entities) {
        if (entity->m_pScript != nullptr) {
            entity->AddStaticVariables(*entity->m_pScript);
        }
    }
}

void GxMoaWorker::ClearVariables(std::int32_t saveClass)
{
    if (m_pOwner == nullptr) {
        return;
    }
    for (GxMoaVariableSet& entry : m_Variables.Entries()) {
        if (IsGlobalScope(entry.m_Scope) && ClassSelectsGlobal(saveClass, entry.m_Scope)) {
            GxMoaVariableTable::ResetFromDefinition(entry, m_pOwner->FindVariableDefinition(entry.m_Name));
        }
    }
    for (auto& [name, entity] : m_Entities) {
        entity->ResetVariables(saveClass);
    }
}

std::u16string GxMoaWorker::DumpText(int depth) const
{
    std::u16string text = FormatWide(u"----Worker:%s\n", m_Name.c_str());
    text += m_Variables.DumpText(depth);
    for (const auto& [name, entity] : m_Entities) {
        text += entity->DumpText(depth + 1);
    }
    for (std::size_t i = 0; i < m_ExecStack.size(); ++i) {
        text += FormatWide(u"------ExecStack:%d\n", static_cast<int>(i));
        text += m_ExecStack[i].m_Variables.DumpText(depth + 1);
    }
    return text;
}

void GxMoaWorker::Dump(std::FILE* file, int depth) const
{
    if (file != nullptr) {
        fputws(DumpText(depth).c_str(), file);
    }
}

bool GxMoaWorker::Write(GxContentWriterBase& writer) const
{
    bool ok = writer.WriteWString("m_Name", m_Name);
    ok = writer.WriteListBegin("m_ExecStack", "", static_cast<std::uint32_t>(m_ExecStack.size())) && ok;
    for (const GxMoaExecStackElement& element : m_ExecStack) {
        ok = element.Write(writer) && ok;
    }
    ok = writer.WriteListEnd() && ok;
    ok = writer.WriteListBegin("m_ValueStack", "", static_cast<std::uint32_t>(m_ValueStack.size())) && ok;
    for (const GxMoaVariable& value : m_ValueStack) {
        ok = value.Write(writer) && ok;
    }
    ok = writer.WriteListEnd() && ok;
    ok = m_Result.Write(writer) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxMoaWorker::Read(GxContentReaderBase& reader)
{
    m_Name = reader.ReadWString("m_Name");
    m_ExecStack.clear();
    // Counts come from the data: each element must have bytes of its own before it is made.
    const std::uint32_t elements = MoaReadListCount(reader, "m_ExecStack");
    for (std::uint32_t i = 0; i < elements && MoaElementLeft(reader); ++i) {
        m_ExecStack.emplace_back();
        m_ExecStack.back().Read(reader, this);
    }
    reader.ReadListEnd();
    m_ValueStack.clear();
    m_ValueStack.reserve(kValueStackRoom);
    const std::uint32_t values = MoaReadListCount(reader, "m_ValueStack");
    for (std::uint32_t i = 0; i < values && MoaElementLeft(reader); ++i) {
        m_ValueStack.emplace_back();
        m_ValueStack.back().Read(reader);
    }
    reader.ReadListEnd();
    m_Result.Clear();
    m_Result.Read(reader);
    return reader.GetErrorCount() == 0;
}

bool GxMoaWorker::WriteScriptVariables(GxContentWriterBase& writer, std::int32_t saveClass) const
{
    bool ok = m_Variables.Write(writer, saveClass);
    ok = writer.WriteS32("m_pScriptEntitySize", static_cast<std::int32_t>(m_Entities.size())) && ok;
    for (const auto& [name, entity] : m_Entities) {
        ok = writer.WriteWString("m_ScriptName", name) && ok;
        ok = entity->WriteVariables(writer, saveClass) && ok;
    }
    return ok && writer.GetErrorCount() == 0;
}

namespace {

bool ReadEntities(GxMoaWorker& worker, GxContentReaderBase& reader, std::int32_t saveClass, bool reset)
{
    std::int32_t count = 0;
    reader.ReadS32("m_pScriptEntitySize", &count);
    if (count < 0 || static_cast<std::uint64_t>(count) > reader.BytesLeft()) {
        reader.CountDamage("GxMoaWorker/ScriptEntitySize out of range %d\n", count);
        return false;
    }
    GxMoaScriptEntity scratch;
    for (std::int32_t i = 0; i < count && MoaElementLeft(reader); ++i) {
        const std::u16string name = reader.ReadWString("m_ScriptName");
        if (GxMoaScriptEntity* entity = worker.FindScriptEntity(name)) {
            if (reset) {
                entity->ResetAndReadVariables(reader, saveClass);
            } else {
                entity->ReadVariables(reader, saveClass);
            }
        } else {
            scratch.ReadVariables(reader, saveClass);
            scratch.GetVariableTable().Clear();
        }
    }
    return reader.GetErrorCount() == 0;
}

}  // namespace

bool GxMoaWorker::ReadScriptVariables(GxContentReaderBase& reader, std::int32_t saveClass)
{
    m_Variables.Read(reader, saveClass);
    ReadEntities(*this, reader, saveClass, false);
    return reader.GetErrorCount() == 0;
}

bool GxMoaWorker::ClearAndReadScriptVariables(GxContentReaderBase& reader, std::int32_t saveClass)
{
    ClearVariables(saveClass);
    m_Variables.Read(reader, saveClass);
    ReadEntities(*this, reader, saveClass, true);
    DefineMissingVariables();
    return reader.GetErrorCount() == 0;
}
