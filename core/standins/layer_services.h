// Stand-ins for the neighbour services that actors and layers call, until the adventure module
// offers them: system sounds.
#pragma once

#include <cstdint>
#include <string>

// Plays system sound `id` of the game configuration and hands `voice` to the system-voice player.
// Here only recorded (GxStandinTrace "PlaySystemSound(id,voice)"); always true.
bool PlaySystemSound(std::int32_t id, std::int32_t voice);
