#include "script/builtin_definition.h"

#include "foundation/content.h"

bool GxMoaBuiltinDefinition::Write(GxContentWriterBase& writer) const
{
    bool ok = writer.WriteWString("m_Name", m_Name);
    ok = writer.WriteS32("m_BuiltinIndex", m_BuiltinIndex) && ok;
    ok = writer.WriteS32("m_RelatedIndex", m_RelatedIndex) && ok;
    ok = writer.WriteS32("m_BuiltinType", m_BuiltinType) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxMoaBuiltinDefinition::Read(GxContentReaderBase& reader)
{
    m_Name = reader.ReadWString("m_Name");
    reader.ReadS32("m_BuiltinIndex", &m_BuiltinIndex);
    reader.ReadS32("m_RelatedIndex", &m_RelatedIndex);
    reader.ReadS32("m_BuiltinType", &m_BuiltinType);
    return reader.GetErrorCount() == 0;
}
