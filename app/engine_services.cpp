#include "app/engine_services.h"

#include "app/game_worker_host.h"
#include "avg/avg_game_services.h"
#include "avg/avg_play_state_services.h"
#include "avg/game_screens_builder.h"
#include "data/data_services.h"
#include "media/media_services.h"
#include "media/movie_services.h"
#include "motion/motion_services.h"
#include "ui/ui_services.h"
#include "screens/game_screens.h"

void InstallEngineServices()
{
    // Each subsystem above the core installs its services here as it lands.
    InstallMotionServices();
    InstallDataServices();
    InstallMediaServices();
    InstallMovieServices();
    InstallUIServices();
    InstallGameWorkerHost();
    InstallAvgGameServices();
    InstallAvgPlayStateServices();
    SetGameScreensBuilder(&BuildGameScreensHook);
}
