// The process entry: sets up the file cache and the first pack archive, runs the engine core's
// start-up, main loop and shut-down, then empties the file cache and releases the packs.
#pragma once

#include "platform/win32/win_types.h"

// The core's exit code (core/exit_code.h): 0 for a normal end; a code per cause when start-up
// refused to run the game (the player has been shown the box, GxCore::m_FailureText says why),
// when the window or the device could not be made, or when the device failed during the run.
int WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand);
