#include "core/data_services.h"

namespace {

GxDataServicesBase* g_DataServices = nullptr;

}  // namespace

GxDataServicesBase* SetDataServices(GxDataServicesBase* services)
{
    GxDataServicesBase* previous = g_DataServices;
    g_DataServices = services;
    return previous;
}

GxDataServicesBase* GetDataServices()
{
    return g_DataServices;
}
