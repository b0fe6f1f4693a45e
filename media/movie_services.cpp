#include "media/movie_services.h"

#include "media/movie_player.h"
#include "media/movie_slots.h"

#include <climits>

namespace {

// Slot numbers beyond the int range stay outside the table.
int SlotIndex(std::uint32_t slot) { return slot > static_cast<std::uint32_t>(INT_MAX) ? -1 : static_cast<int>(slot); }

}  // namespace

bool GxMovieServices::MovieSlotOpen(std::uint32_t slot, const std::u16string& file, GxTextureMovie* texture,
                                    std::int32_t mode, std::int32_t flags)
{
    return ::MovieSlotOpen(SlotIndex(slot), file, texture, mode, flags);
}

void GxMovieServices::MovieSlotSetLoopStart(std::uint32_t slot, double seconds)
{
    ::MovieSlotSetLoopStart(SlotIndex(slot), seconds);
}

void GxMovieServices::MovieSlotSetPosition(std::uint32_t slot, double seconds)
{
    ::MovieSlotSetPosition(SlotIndex(slot), seconds);
}

void GxMovieServices::MovieSlotPlay(std::uint32_t slot, std::int32_t loops, std::int32_t attenuation)
{
    ::MovieSlotPlay(SlotIndex(slot), loops, attenuation);
}

void GxMovieServices::MovieSlotStop(std::uint32_t slot) { ::MovieSlotStop(SlotIndex(slot)); }

void GxMovieServices::MovieSlotClose(std::uint32_t slot) { ::MovieSlotClose(SlotIndex(slot)); }

double GxMovieServices::MovieSlotGetPosition(std::uint32_t slot) { return ::MovieSlotGetPosition(SlotIndex(slot)); }

std::int32_t GxMovieServices::MovieSlotGetLoopCount(std::uint32_t slot)
{
    return ::MovieSlotGetLoopCount(SlotIndex(slot));
}

GxMoviePlayerFile* GxMovieServices::MovieSlotGetPlayer(std::uint32_t slot)
{
    // Every player a slot holds is a file player.
    return static_cast<GxMoviePlayerFile*>(::MovieSlotGetPlayer(SlotIndex(slot)));
}

bool GxMovieServices::IsPlayerPlaying(GxMoviePlayerFile* player) { return player && player->IsPlaying(); }

double GxMovieServices::GetPlayerPosition(GxMoviePlayerFile* player) { return player ? player->GetPosition() : 0.0; }

void InstallMovieServices()
{
    static GxMovieServices services;
    SetMovieServices(&services);
}
