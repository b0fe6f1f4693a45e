#include "screens/game_screens.h"

#include "avg/standins/screens_standin.h"
#include "screens/seq_config.h"
#include "screens/seq_system.h"

#include <string_view>

SeqSystem* CreateGameScreens(GxTaskBase* owner)
{
    if (owner == nullptr)
        return nullptr;
    auto* system = new SeqSystem(owner);
    // The screens in their fixed order; those not built yet are stand-ins.
    for (const char16_t* name : kStandinScreenNames) {
        const std::u16string_view screen(name);
        if (screen == u"SeqConfig")
            new SeqConfig(owner);
        else if (screen == u"SeqBoot")
            new GxBootStandinScreen(owner);
        else
            new GxStandinScreen(owner, name);
    }
    return system;
}

void BuildGameScreensHook(GxTaskBase* owner, GxCore*)
{
    CreateGameScreens(owner);
}
