#include "avg/avg_play_state_services.h"

#include "avg/module_services.h"
#include "media/movie_slots.h"

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
