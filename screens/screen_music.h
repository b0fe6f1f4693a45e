// The music of the title and the galleries: one routine for every screen that starts its own
// track from the system configuration's name and loop position.
#pragma once

#include <cstdint>
#include <string>

class GxCore;

// An empty name stops the music (1000 ms) and clears its record; the music folder + name that
// the music record already holds changes nothing; any other starts from the beginning, endless,
// at the loop position, cross-faded over 50 ms, and is recorded.
void PlayScreenMusic(const GxCore* core, const std::u16string& name, std::int32_t loopPos);
