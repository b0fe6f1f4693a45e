#include "screens/game_screens.h"

#include "avg/standins/screens_standin.h"
#include "screens/seq_system.h"

SeqSystem* CreateGameScreens(GxTaskBase* owner)
{
    if (owner == nullptr)
        return nullptr;
    auto* system = new SeqSystem(owner);
    CreateStandinScreens(owner);
    return system;
}

void BuildGameScreensHook(GxTaskBase* owner, GxCore*)
{
    CreateGameScreens(owner);
}
