#include "core/script_services.h"

namespace {

GxScriptServicesBase* g_Services = nullptr;

}  // namespace

GxScriptServicesBase* SetScriptServices(GxScriptServicesBase* services)
{
    GxScriptServicesBase* previous = g_Services;
    g_Services = services;
    return previous;
}

GxScriptServicesBase* GetScriptServices()
{
    return g_Services;
}
