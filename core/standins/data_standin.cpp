#include "core/standins/data_standin.h"

#include "core/standins/standin_trace.h"

GxUserDataStandin::GxUserDataStandin(GxCore* core) : m_Core(core) {}

GxUserDataStandin::~GxUserDataStandin()
{
    GxStandinTrace::Record(u"~GxUserData");
}

void GxUserDataStandin::AddMessageLog(const std::u16string& name, const std::u16string& message,
                                      bool ignoreKinsoku, bool disableAutoNewline)
{
    GxStandinMessageLogEntry entry;
    entry.m_Name = name;
    entry.m_Message = message;
    entry.m_IgnoreKinsoku = ignoreKinsoku;
    entry.m_DisenableAutoNewline = disableAutoNewline;
    entry.m_ShowNameByText = true;
    m_MessageLog.push_back(std::move(entry));
    while (m_MessageLog.size() > kMessageLogLimit)
        m_MessageLog.pop_front();
}

GxUserDataPermanStandin::GxUserDataPermanStandin(GxCore* core) : m_Core(core) {}

GxUserDataPermanStandin::~GxUserDataPermanStandin()
{
    GxStandinTrace::Record(u"~GxUserDataPerman");
}

bool GxUserDataPermanStandin::IsMessageRead(const std::u16string& scriptName, std::int32_t lineKey) const
{
    const auto found = m_ReadedMessageFlags.find(scriptName);
    return found != m_ReadedMessageFlags.end() && found->second.count(lineKey) != 0;
}

void GxUserDataPermanStandin::SetPermanentFlag(const std::u16string& scriptName, std::int32_t lineKey)
{
    m_ReadedMessageFlags[scriptName].insert(lineKey);
}

bool SavePermanentData(GxUserDataPermanStandin*, const std::u16string& path, std::int32_t)
{
    GxStandinTrace::Record(u"SavePermanentData " + path);
    return true;
}
