// The game's start-up and reset, which the engine core calls at the edges of the process, and
// the display defaults it asks for before the graphics device exists. The core reaches them
// through the game services (game_services.h).
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>

class GxCore;

// Display settings, frame rates and cursor at their defaults; "device.log" deleted, and with
// "CleanErrorLog" "debug.log" and then "error.log" too.
void SetDefaultDisplaySettings(GxCore* core);
// Turns a started engine into a running game whose first screen is "SeqBoot", in 28 steps of
// which none stops it: every missing input is logged by its loader. Always true.
bool GameStartup(GxCore* core);
// Takes the game down again in 8 steps, after the task manager is gone. Always true.
bool GameReset(GxCore* core);

// For tests: called with each step's number as it begins (start-up 1 to 28, reset 1 to 8).
enum class GxGameRoutine { Startup, Reset };
void SetGameStepObserver(std::function<void(GxGameRoutine routine, std::int32_t step)> observer);
// For tests: the calendar clock the random seeding reads (null: the real one).
void SetGameStartupCalendarClock(std::time_t (*clock)());
