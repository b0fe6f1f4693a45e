#include "avg/avg_game_services.h"

#include "avg/game_sound_services.h"
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

bool GxAvgGameServices::PlaySystemSound(std::int32_t soundID, std::int32_t voiceID)
{
    return ::PlaySystemSound(soundID, voiceID);
}

void InstallAvgGameServices()
{
    static GxAvgGameServices services;
    SetGameServices(&services);
}
