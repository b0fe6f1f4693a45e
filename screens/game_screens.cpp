#include "screens/game_screens.h"

#include "avg/standins/screens_standin.h"
#include "screens/seq_load.h"
#include "screens/seq_save.h"
#include "screens/seq_system.h"

#include <string_view>

namespace {

// The built screens by name; the others stay stand-ins until they are built.
void CreateScreen(GxTaskBase* owner, std::u16string_view name)
{
    if (name == u"SeqSave")
        new SeqSave(owner);
    else if (name == u"SeqLoad")
        new SeqLoad(owner);
    else if (name == u"SeqBoot")
        new GxBootStandinScreen(owner);
    else
        new GxStandinScreen(owner, std::u16string(name).c_str());
}

}  // namespace

SeqSystem* CreateGameScreens(GxTaskBase* owner)
{
    if (owner == nullptr)
        return nullptr;
    auto* system = new SeqSystem(owner);
    for (const char16_t* name : kStandinScreenNames)
        CreateScreen(owner, name);
    return system;
}

void BuildGameScreensHook(GxTaskBase* owner, GxCore*)
{
    CreateGameScreens(owner);
}
