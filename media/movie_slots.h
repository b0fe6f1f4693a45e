// The four movie slots and the movie COM start-up: the free functions through which layers,
// screens and the main loop play movies by slot number. A slot owns its player. A slot number
// outside 0 to 3 acts as an empty slot.
#pragma once

#include <cstdint>
#include <string>

class GxMoviePlayerBase;
class GxTextureMovie;

constexpr int kMovieSlots = 4;

// Empties the slots and initialises COM for movies on the calling thread; true also when the
// thread already runs COM in another mode (with a warning), false on any other failure.
bool MovieInitCom();
// Replaces the slot's player with a new one opened on the file; the player stays in the slot
// even when the open fails.
bool MovieSlotOpen(int slot, const std::u16string& fileName, GxTextureMovie* texture, std::int32_t number,
                   std::int32_t flag);
void MovieSlotClose(int slot);
bool MovieSlotPlay(int slot, std::int32_t loopCount, std::int32_t volume);
bool MovieSlotStop(int slot);
// Always true.
bool MovieSlotStopAll();
bool MovieSlotSetPosition(int slot, double seconds);
double MovieSlotGetPosition(int slot);
std::int32_t MovieSlotGetLoopCount(int slot);
void MovieSlotSetLoopStart(int slot, double seconds);
// One poll of every filled slot; always true.
bool MovieSlotTickAll();
// Closes every slot and balances MovieInitCom.
void MovieShutdown();
// The slot's player, or null (not owned by the caller).
GxMoviePlayerBase* MovieSlotGetPlayer(int slot);
