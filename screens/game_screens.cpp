#include "screens/game_screens.h"

#include "avg/standins/screens_standin.h"
#include "screens/seq_debug.h"
#include "screens/seq_opening.h"
#include "screens/seq_quick_load.h"
#include "screens/seq_system.h"
#include "screens/seq_title.h"

#include <string>
#include <string_view>

namespace {

// The built screens by name; the others stay stand-ins until they are built.
void CreateScreen(GxTaskBase* owner, std::u16string_view name)
{
    if (name == u"SeqTitle")
        new SeqTitle(owner);
    else if (name == u"SeqDebug")
        new SeqDebug(owner);
    else if (name == u"SeqOpening")
        new SeqOpening(owner);
    else if (name == u"SeqQuickLoad")
        new SeqQuickLoad(owner);
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
