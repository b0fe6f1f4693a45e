// The process's exit codes: one per cause, so that whoever started the engine can tell why it
// stopped without reading the logs. Each failure also writes one English line on stderr.
#pragma once

constexpr int kExitNormal = 0;
// A bad command line or TARNWICK_* variable.
constexpr int kExitUsage = 2;
// 3 is the graphics device failing beyond repair during the run (kDriverErrorExitCode).
// The game folder named on the command line does not exist or cannot be entered.
constexpr int kExitNoGameFolder = 4;
// No display: SDL could start only an invisible video driver that nobody asked for, or none.
constexpr int kExitNoDisplay = 5;
// The working folder's path is longer than the engine accepts.
constexpr int kExitPathTooLong = 6;
// The folder holds neither "system.gxp" nor "system/sysconf.ini".
constexpr int kExitNotAGameFolder = 7;
// "system.gxp" is there but cannot be read, and the configuration is not found loose either.
constexpr int kExitSystemPackUnreadable = 8;
// "system/sysconf.ini" is missing or cannot be read.
constexpr int kExitSysConfUnreadable = 9;
// Another instance of the same game runs.
constexpr int kExitAlreadyRunning = 10;
// The main window or the graphics device cannot be created.
constexpr int kExitNoWindow = 11;
