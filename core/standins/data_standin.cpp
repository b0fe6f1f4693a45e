#include "core/standins/data_standin.h"

#include "core/standins/standin_trace.h"

GxUserData::GxUserData(GxCore* core) : m_Core(core) {}

GxUserData::~GxUserData()
{
    GxStandinTrace::Record(u"~GxUserData");
}

GxUserDataPerman::GxUserDataPerman(GxCore* core) : m_Core(core) {}

GxUserDataPerman::~GxUserDataPerman()
{
    GxStandinTrace::Record(u"~GxUserDataPerman");
}

bool SavePermanentData(GxUserDataPerman*, const std::u16string& path, std::int32_t)
{
    GxStandinTrace::Record(u"SavePermanentData " + path);
    return true;
}
