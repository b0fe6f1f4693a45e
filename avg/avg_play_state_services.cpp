#include "avg/avg_play_state_services.h"

#include "avg/game_sound_services.h"
#include "avg/module_services.h"
#include "avg/seq_avg_main.h"
#include "core/core.h"
#include "media/movie_slots.h"

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

void GxAvgPlayStateServices::AvgGlobalFadeOut(std::int32_t ms)
{
    ::AvgGlobalFadeOut(ms);
}

void InstallAvgPlayStateServices()
{
    static GxAvgPlayStateServices services;
    SetPlayStateServices(&services);
}
