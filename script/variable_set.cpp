#include "script/variable_set.h"

#include "foundation/content.h"

bool GxMoaVariableSet::Write(GxContentWriterBase& writer) const
{
    bool ok = m_Value.Write(writer);
    ok = writer.WriteS32("m_Scope", m_Scope) && ok;
    ok = writer.WriteWString("m_Name", m_Name) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxMoaVariableSet::Read(GxContentReaderBase& reader)
{
    m_Value.Read(reader);
    reader.ReadS32("m_Scope", &m_Scope);
    m_Name = reader.ReadWString("m_Name");
    return reader.GetErrorCount() == 0;
}
