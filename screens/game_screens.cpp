#include "screens/game_screens.h"

#include "avg/standins/screens_standin.h"
#include "screens/seq_bgm_mode.h"
#include "screens/seq_boot.h"
#include "screens/seq_cg_mode.h"
#include "screens/seq_cg_mode_view.h"
#include "screens/seq_config.h"
#include "screens/seq_debug.h"
#include "screens/seq_load.h"
#include "screens/seq_opening.h"
#include "screens/seq_quick_load.h"
#include "screens/seq_rp_mode.h"
#include "screens/seq_save.h"
#include "screens/seq_system.h"
#include "screens/seq_title.h"

#include <string_view>

namespace {

// The screen of that name once it is built; null while a stand-in takes its place.
GxTaskBase* CreateGameScreen(GxTaskBase* owner, std::u16string_view name)
{
    if (name == u"SeqBoot")
        return new SeqBoot(owner);
    if (name == u"SeqTitle")
        return new SeqTitle(owner);
    if (name == u"SeqOpening")
        return new SeqOpening(owner);
    if (name == u"SeqConfig")
        return new SeqConfig(owner);
    if (name == u"SeqSave")
        return new SeqSave(owner);
    if (name == u"SeqLoad")
        return new SeqLoad(owner);
    if (name == u"SeqQuickLoad")
        return new SeqQuickLoad(owner);
    if (name == u"SeqCGMode")
        return new SeqCGMode(owner);
    if (name == u"SeqCGModeView")
        return new SeqCGModeView(owner);
    if (name == u"SeqRPMode")
        return new SeqRPMode(owner);
    if (name == u"SeqBGMMode")
        return new SeqBGMMode(owner);
    if (name == u"SeqDebug")
        return new SeqDebug(owner);
    return nullptr;
}

}  // namespace

SeqSystem* CreateGameScreens(GxTaskBase* owner)
{
    if (owner == nullptr)
        return nullptr;
    auto* system = new SeqSystem(owner);
    // The screens in their fixed order; those not built yet are stand-ins.
    for (const char16_t* name : kStandinScreenNames) {
        if (CreateGameScreen(owner, name) != nullptr)
            continue;
        if (std::u16string_view(name) == u"SeqBoot")
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
