#include "avg/avg_game_services.h"

#include "avg/game_startup.h"
#include "avg/resource_lookup.h"

void GxAvgGameServices::SetDefaultDisplaySettings(GxCore* core)
{
    ::SetDefaultDisplaySettings(core);
}

bool GxAvgGameServices::GameStartup(GxCore* core)
{
    return ::GameStartup(core);
}

bool GxAvgGameServices::GameReset(GxCore* core)
{
    return ::GameReset(core);
}

bool GxAvgGameServices::ResolveImageFile(std::u16string& path)
{
    return ::ResolveImageFile(path);
}

void InstallAvgGameServices()
{
    static GxAvgGameServices services;
    SetGameServices(&services);
}
