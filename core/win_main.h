// The process entry: sets up the file cache and the first pack archive, runs the engine core's
// start-up, main loop and shut-down, then empties the file cache and releases the packs.
#pragma once

#include "platform/win32/win_types.h"

// 0, also when start-up failed (the player has been told why); non-zero only when the graphics
// device failed beyond repair during the run.
int WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand);
