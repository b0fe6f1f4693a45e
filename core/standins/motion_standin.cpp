#include "core/standins/motion_standin.h"

#include "core/standins/standin_trace.h"

void GxNcProjectFactory::LogAliveObjects()
{
    GxStandinTrace::Record(u"GxNcProjectFactory::LogAliveObjects");
}

void GxNcProjectFactory::ReleaseAll()
{
    GxStandinTrace::Record(u"GxNcProjectFactory::ReleaseAll");
}

void GxNcCrammedImageSetFactory::LogAliveObjects()
{
    GxStandinTrace::Record(u"GxNcCrammedImageSetFactory::LogAliveObjects");
}

void GxNcCrammedImageSetFactory::ReleaseAll()
{
    GxStandinTrace::Record(u"GxNcCrammedImageSetFactory::ReleaseAll");
}
