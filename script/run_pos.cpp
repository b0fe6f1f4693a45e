#include "script/run_pos.h"

#include "foundation/content.h"

bool GxMoaRunPos::Write(GxContentWriterBase& writer) const
{
    bool ok = writer.WriteS32("m_Line", m_Line);
    ok = writer.WriteS32("m_Pos", m_Pos) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxMoaRunPos::Read(GxContentReaderBase& reader)
{
    reader.ReadS32("m_Line", &m_Line);
    reader.ReadS32("m_Pos", &m_Pos);
    return reader.GetErrorCount() == 0;
}

bool GxMoaScriptPos::Write(GxContentWriterBase& writer) const
{
    bool ok = GxMoaRunPos::Write(writer);
    ok = writer.WriteWString("m_ScriptName", m_ScriptName) && ok;
    return ok && writer.GetErrorCount() == 0;
}

bool GxMoaScriptPos::Read(GxContentReaderBase& reader)
{
    m_pEntity = nullptr;
    m_ScriptName.clear();
    m_Line = 0;
    m_Pos = -1;
    GxMoaRunPos::Read(reader);
    m_ScriptName = reader.ReadWString("m_ScriptName");
    return reader.GetErrorCount() == 0;
}
