// The hook through which the game start-up builds the resident system screen "SeqSystem" and the
// game's screens, which sit above this module: the process entry registers the screens'
// builder. Until the screens exist, the default builds their stand-ins.
#pragma once

class GxCore;
class GxTaskBase;

// Constructs "SeqSystem" and then the game's screens with `owner` as their owner.
using GxGameScreensBuilder = void (*)(GxTaskBase* owner, GxCore* core);

// Null puts the default back. Returns the previous one (null for the default).
GxGameScreensBuilder SetGameScreensBuilder(GxGameScreensBuilder builder);
void BuildGameScreens(GxTaskBase* owner, GxCore* core);
