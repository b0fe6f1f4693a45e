#include "core/game_services.h"

#include "foundation/file.h"

namespace {

GxGameServicesBase* g_GameServices = nullptr;

}  // namespace

GxGameServicesBase* SetGameServices(GxGameServicesBase* services)
{
    GxGameServicesBase* previous = g_GameServices;
    g_GameServices = services;
    return previous;
}

GxGameServicesBase* GetGameServices()
{
    return g_GameServices;
}

bool ResolveGameImageFile(std::u16string& path)
{
    if (g_GameServices != nullptr)
        return g_GameServices->ResolveImageFile(path);
    return FileExists(path) != kFileNotFound;
}
