#include "script/label_definition.h"

#include "foundation/content.h"

bool GxMoaLabelDefinition::Write(GxContentWriterBase& writer) const
{
    bool ok = writer.WriteWString("m_Name", m_Name);
    ok = m_Position.Write(writer) && ok;
    ok = writer.WriteS32("m_Scope", m_Scope) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxMoaLabelDefinition::Read(GxContentReaderBase& reader)
{
    m_Name = reader.ReadWString("m_Name");
    m_Position.Read(reader);
    reader.ReadS32("m_Scope", &m_Scope);
    return reader.GetErrorCount() == 0;
}
