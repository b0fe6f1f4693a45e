// The media subsystem's side of the core's GxMovieServicesBase: the layer code's movie calls,
// served by the movie slots.
#pragma once

#include "core/movie_services.h"

class GxMovieServices : public GxMovieServicesBase {
public:
    bool MovieSlotOpen(std::uint32_t slot, const std::u16string& file, GxTextureMovie* texture, std::int32_t mode,
                       std::int32_t flags) override;
    void MovieSlotSetLoopStart(std::uint32_t slot, double seconds) override;
    void MovieSlotSetPosition(std::uint32_t slot, double seconds) override;
    void MovieSlotPlay(std::uint32_t slot, std::int32_t loops, std::int32_t attenuation) override;
    void MovieSlotStop(std::uint32_t slot) override;
    void MovieSlotClose(std::uint32_t slot) override;
    double MovieSlotGetPosition(std::uint32_t slot) override;
    std::int32_t MovieSlotGetLoopCount(std::uint32_t slot) override;
    GxMoviePlayerFile* MovieSlotGetPlayer(std::uint32_t slot) override;
    bool IsPlayerPlaying(GxMoviePlayerFile* player) override;
    double GetPlayerPosition(GxMoviePlayerFile* player) override;
};

// Installs one process-wide GxMovieServices into the core; safe to call more than once.
void InstallMovieServices();
