// The hook through which the game start-up builds the resident system screen "SeqSystem" and the
// game's screens, which sit above this module: the process entry registers the screens' builder.
#pragma once

class GxCore;
class GxTaskBase;

// Constructs "SeqSystem" and then the game's screens with `owner` as their owner.
using GxGameScreensBuilder = void (*)(GxTaskBase* owner, GxCore* core);

// Null removes the builder. Returns the previous one.
GxGameScreensBuilder SetGameScreensBuilder(GxGameScreensBuilder builder);
// Without a builder nothing is built: the start-up then finds no "SeqSystem" and no first screen.
void BuildGameScreens(GxTaskBase* owner, GxCore* core);
