#include "screens/game_screens.h"

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

SeqSystem* CreateGameScreens(GxTaskBase* owner)
{
    if (owner == nullptr)
        return nullptr;
    auto* system = new SeqSystem(owner);
    // The screens in their fixed order, each owned by `owner`.
    new SeqBoot(owner);
    new SeqTitle(owner);
    new SeqOpening(owner);
    new SeqConfig(owner);
    new SeqSave(owner);
    new SeqLoad(owner);
    new SeqQuickLoad(owner);
    new SeqCGMode(owner);
    new SeqCGModeView(owner);
    new SeqRPMode(owner);
    new SeqBGMMode(owner);
    new SeqDebug(owner);
    return system;
}

void BuildGameScreensHook(GxTaskBase* owner, GxCore*)
{
    CreateGameScreens(owner);
}
