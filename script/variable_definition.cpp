#include "script/variable_definition.h"

#include "foundation/content.h"

bool GxMoaVariableDefinition::Write(GxContentWriterBase& writer) const
{
    bool ok = writer.WriteWString("m_Name", m_Name);
    ok = writer.WriteS32("m_ArraySize", m_ArraySize) && ok;
    ok = writer.WriteS32("m_Scope", m_Scope) && ok;
    ok = m_Value.Write(writer) && ok;
    ok = writer.WriteWString("m_ScriptName", m_ScriptName) && ok;
    ok = writer.WriteS32("m_Line", m_Line) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxMoaVariableDefinition::Read(GxContentReaderBase& reader)
{
    m_Name = reader.ReadWString("m_Name");
    reader.ReadS32("m_ArraySize", &m_ArraySize);
    reader.ReadS32("m_Scope", &m_Scope);
    m_Value.Read(reader);
    m_ScriptName = reader.ReadWString("m_ScriptName");
    reader.ReadS32("m_Line", &m_Line);
    return reader.GetErrorCount() == 0;
}
