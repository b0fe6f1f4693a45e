#include "core/media_services.h"

namespace {

GxMediaServicesBase* g_MediaServices = nullptr;

}  // namespace

GxMediaServicesBase* SetMediaServices(GxMediaServicesBase* services)
{
    GxMediaServicesBase* previous = g_MediaServices;
    g_MediaServices = services;
    return previous;
}

GxMediaServicesBase* GetMediaServices()
{
    return g_MediaServices;
}
