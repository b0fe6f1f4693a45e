#include "core/script_services.h"

namespace {

GxScriptServicesBase* g_ScriptServices = nullptr;

}  // namespace

GxScriptServicesBase* SetScriptServices(GxScriptServicesBase* services)
{
    GxScriptServicesBase* previous = g_ScriptServices;
    g_ScriptServices = services;
    return previous;
}

GxScriptServicesBase* GetScriptServices()
{
    return g_ScriptServices;
}
