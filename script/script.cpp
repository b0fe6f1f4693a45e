#include "script/script.h"

#include "foundation/content.h"
#include "script/moa_names.h"
#include "script/token_cursor.h"

#include <algorithm>
#include <limits>

bool GxMoaScriptStep::Write(GxContentWriterBase& writer) const
{
    bool ok = writer.WriteListBegin("m_Tokens", "", static_cast<std::uint32_t>(m_Tokens.size()));
    for (const GxMoaToken& token : m_Tokens) {
        ok = token.Write(writer) && ok;
    }
    ok = writer.WriteListEnd() && ok;
    return ok;
}

bool GxMoaScriptStep::Read(GxContentReaderBase& reader)
{
    m_Tokens.clear();
    const std::uint32_t count = MoaReadListCount(reader, "m_Tokens");
    m_Tokens.resize(count);   // script-end tokens until each record is read
    for (GxMoaToken& token : m_Tokens) {
        if (!MoaElementLeft(reader)) {
            break;
        }
        token.Read(reader);
    }
    reader.ReadListEnd();
    return reader.GetErrorCount() == 0;
}

void GxMoaScript::Clear()
{
    m_ScriptName.clear();
    m_Labels.clear();
    m_VariableDefines.clear();
    m_Lines.clear();
    m_Buffer.Free();
}

bool GxMoaScript::Write(GxContentWriterBase& writer) const
{
    bool ok = writer.WriteWString("m_ScriptName", m_ScriptName);
    ok = MoaWriteLabelList(writer, m_Labels) && ok;
    ok = MoaWriteVariableDefinitionList(writer, m_VariableDefines) && ok;
    ok = writer.WriteListBegin("m_Lines", "", static_cast<std::uint32_t>(m_Lines.size())) && ok;
    for (const GxMoaScriptStep& line : m_Lines) {
        ok = line.Write(writer) && ok;
    }
    ok = writer.WriteListEnd() && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxMoaScript::Read(GxContentReaderBase& reader)
{
    Clear();
    m_ScriptName = reader.ReadWString("m_ScriptName");
    MoaReadLabelList(reader, m_Labels);
    MoaReadVariableDefinitionList(reader, m_VariableDefines);
    const std::uint32_t count = MoaReadListCount(reader, "m_Lines");
    m_Lines.resize(count);
    for (GxMoaScriptStep& line : m_Lines) {
        if (!MoaElementLeft(reader)) {
            break;
        }
        line.Read(reader);
    }
    reader.ReadListEnd();
    return reader.GetErrorCount() == 0;
}

std::int32_t GxMoaScript::GetTokenCount(std::int32_t line) const
{
    if (line < 0 || line >= GetLineCount()) {
        return 0;
    }
    return static_cast<std::int32_t>(m_Lines[static_cast<std::size_t>(line)].m_Tokens.size());
}

const GxMoaLabelDefinition* GxMoaScript::FindLabel(const std::u16string& name) const
{
    const auto found = m_Labels.find(name);
    return found != m_Labels.end() ? found->second.get() : nullptr;
}

const GxMoaVariableDefinition* GxMoaScript::FindVariableDefinition(const std::u16string& name) const
{
    for (const GxMoaVariableDefinition& definition : m_VariableDefines) {
        if (definition.m_Name == name) {
            return &definition;
        }
    }
    return nullptr;
}

namespace {

std::int32_t LineCount(const GxMoaScript* script) { return script != nullptr ? script->GetLineCount() : 0; }

// Positions come from links stored in the program file: stepping one past INT32_MAX stays put.
std::int32_t StepUp(std::int32_t value)
{
    return value < std::numeric_limits<std::int32_t>::max() ? value + 1 : value;
}

}  // namespace

int GxMoaScript::CheckTokenPos(const GxMoaScript* script, std::int32_t line, std::int32_t pos)
{
    if (line < 0 || pos < 0) {
        return 0;
    }
    if (line >= LineCount(script)) {
        return -2;
    }
    if (pos >= script->GetTokenCount(line)) {
        return -1;
    }
    return 1;
}

bool GxMoaScript::AdvanceTokenPos(const GxMoaScript* script, GxMoaRunPos& position)
{
    position.m_Pos = StepUp(position.m_Pos);
    const int check = CheckTokenPos(script, position.m_Line, position.m_Pos);
    const std::int32_t lineCount = LineCount(script);
    if (check == -1) {
        for (;;) {
            position.m_Line += 1;
            position.m_Pos = 0;
            if (position.m_Line >= lineCount) {
                return false;
            }
            if (script->GetTokenCount(position.m_Line) > 0) {
                return true;
            }
        }
    }
    if (check == -2) {
        position = GxMoaRunPos(lineCount, 0);
        return false;
    }
    return check == 1;
}

bool GxMoaScript::NextTokenInLine(const GxMoaScript* script, GxMoaRunPos& position)
{
    const std::int32_t lineCount = LineCount(script);
    if (position.m_Line >= lineCount) {
        position = GxMoaRunPos(lineCount, 0);
        return false;
    }
    if (position.m_Line < 0) {
        return false;
    }
    const std::int32_t tokenCount = script->GetTokenCount(position.m_Line);
    position.m_Pos = StepUp(position.m_Pos);
    if (position.m_Pos < tokenCount) {
        return true;
    }
    position.m_Pos = tokenCount;
    return false;
}

bool GxMoaScript::PrevTokenInLine(const GxMoaScript* script, GxMoaRunPos& position)
{
    const std::int32_t lineCount = LineCount(script);
    if (position.m_Line < 0) {
        position = GxMoaRunPos(-1, 0);
        return false;
    }
    if (position.m_Line >= lineCount) {
        position = GxMoaRunPos(lineCount, 0);
        return false;
    }
    position.m_Pos = std::max(position.m_Pos, 0) - 1;
    return CheckTokenPos(script, position.m_Line, position.m_Pos) == 1;
}

void GxMoaScript::AdvanceLinePos(const GxMoaScript* script, GxMoaRunPos& position)
{
    if (CheckTokenPos(script, position.m_Line, position.m_Pos) != -2) {
        position = GxMoaRunPos(StepUp(position.m_Line), 0);
    }
}

std::int32_t GxMoaScript::FindLastNonEmptyLine(const GxMoaScript* script, std::int32_t line)
{
    for (std::int32_t l = std::min(line, LineCount(script) - 1); l >= 1; --l) {
        if (script->GetTokenCount(l) > 0) {
            return l;
        }
    }
    return -1;
}

bool GxMoaScript::SeekBlockOpen(const GxMoaScript* script, GxMoaRunPos& position, std::int32_t line, std::int32_t pos)
{
    position = GxMoaRunPos(line, pos);
    for (;;) {
        const GxMoaToken& token = GxMoaTokenCursor::GetToken(script, position.m_Line, position.m_Pos);
        if (token.m_Kind == MOA_TOKEN_SCRIPT_END) {
            return false;
        }
        if (token.m_Kind == MOA_TOKEN_BLOCK_OPEN) {
            return true;
        }
        AdvanceTokenPos(script, position);
    }
}
