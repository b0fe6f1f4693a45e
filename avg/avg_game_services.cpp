#include "avg/avg_game_services.h"

#include "avg/game_sound_services.h"
#include "avg/game_startup.h"
#include "avg/resource_lookup.h"
#include "avg/seq_avg_main.h"
#include "core/core.h"
#include "media/movie_slots.h"

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

bool GxAvgPlayStateServices::IsBgmPlaying()
{
    return ::IsBgmPlaying();
}

bool GxAvgPlayStateServices::IsBgvPlaying()
{
    return ::IsBgvPlaying();
}

void GxAvgPlayStateServices::ResetWindows()
{
    if (SeqAvgMain* screen = FindPlayScreen(GxCore::GetInstance()))
        screen->ResetPlayScreen();
}

void GxAvgPlayStateServices::MovieSlotStopAll()
{
    ::MovieSlotStopAll();
}

void GxAvgPlayStateServices::AvgGlobalFadeOut(std::int32_t) {}

void InstallAvgGameServices()
{
    static GxAvgGameServices services;
    SetGameServices(&services);
}

void InstallAvgPlayStateServices()
{
    static GxAvgPlayStateServices services;
    SetPlayStateServices(&services);
}
