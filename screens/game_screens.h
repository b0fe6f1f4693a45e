// The game's screens, built by the game start-up through the hook of avg/game_screens_builder.h,
// which the process entry points here: the resident "SeqSystem" first, then the twelve screens
// under the same owner.
#pragma once

class GxCore;
class GxTaskBase;
class SeqSystem;

// Null without an owner.
SeqSystem* CreateGameScreens(GxTaskBase* owner);
// The hook's form of CreateGameScreens.
void BuildGameScreensHook(GxTaskBase* owner, GxCore* core);
