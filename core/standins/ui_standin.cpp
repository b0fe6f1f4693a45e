#include "core/standins/ui_standin.h"

#include "core/standins/standin_trace.h"

GxUIManage::~GxUIManage()
{
    GxStandinTrace::Record(u"~GxUIManage");
}
