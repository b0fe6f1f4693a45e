#include "core/standins/data_standin.h"

#include "core/standins/standin_trace.h"

GxUserDataStandin::GxUserDataStandin(GxCore* core) : m_Core(core) {}

GxUserDataStandin::~GxUserDataStandin()
{
    GxStandinTrace::Record(u"~GxUserData");
}

GxUserDataPermanStandin::GxUserDataPermanStandin(GxCore* core) : m_Core(core) {}

GxUserDataPermanStandin::~GxUserDataPermanStandin()
{
    GxStandinTrace::Record(u"~GxUserDataPerman");
}

bool SavePermanentData(GxUserDataPermanStandin*, const std::u16string& path, std::int32_t)
{
    GxStandinTrace::Record(u"SavePermanentData " + path);
    return true;
}
