// The movie-slot services that layer contents and layers call: a narrow door of the core that
// the media subsystem fills by installing one GxMovieServicesBase at start-up; until it does
// (and in tests without a fake), no slot opens and no movie plays. Code above the media
// subsystem calls the media's own slot functions instead. Slots are numbered 0 to 3; a call
// naming any other slot logs an error line and does nothing, so a damaged saved game cannot
// reach past the slot table.
#pragma once

#include <cstdint>
#include <string>

class GxTextureMovie;
class GxMoviePlayerFile;

constexpr std::uint32_t kMovieSlotCount = 4;

class GxMovieServicesBase {
public:
    virtual ~GxMovieServicesBase() = default;

    // Creates a player in the slot, opens the file and feeds its frames into the texture.
    virtual bool MovieSlotOpen(std::uint32_t slot, const std::u16string& file, GxTextureMovie* texture,
                               std::int32_t mode, std::int32_t flags) = 0;
    virtual void MovieSlotSetLoopStart(std::uint32_t slot, double seconds) = 0;
    virtual void MovieSlotSetPosition(std::uint32_t slot, double seconds) = 0;
    virtual void MovieSlotPlay(std::uint32_t slot, std::int32_t loops, std::int32_t attenuation) = 0;
    virtual void MovieSlotStop(std::uint32_t slot) = 0;
    virtual void MovieSlotClose(std::uint32_t slot) = 0;
    virtual double MovieSlotGetPosition(std::uint32_t slot) = 0;
    // Loops remaining while it plays.
    virtual std::int32_t MovieSlotGetLoopCount(std::uint32_t slot) = 0;
    // The slot's player, or null.
    virtual GxMoviePlayerFile* MovieSlotGetPlayer(std::uint32_t slot) = 0;
    virtual bool IsPlayerPlaying(GxMoviePlayerFile* player) = 0;
    virtual double GetPlayerPosition(GxMoviePlayerFile* player) = 0;
};

// Not owned; null removes it. Returns the previous one.
GxMovieServicesBase* SetMovieServices(GxMovieServicesBase* services);
GxMovieServicesBase* GetMovieServices();

// The calls of the layer code, forwarded to the installed services (named apart from the media's
// own slot functions).
bool LayerMovieSlotOpen(std::uint32_t slot, const std::u16string& file, GxTextureMovie* texture,
                        std::int32_t mode, std::int32_t flags);
void LayerMovieSlotSetLoopStart(std::uint32_t slot, double seconds);
void LayerMovieSlotSetPosition(std::uint32_t slot, double seconds);
void LayerMovieSlotPlay(std::uint32_t slot, std::int32_t loops, std::int32_t attenuation);
void LayerMovieSlotStop(std::uint32_t slot);
void LayerMovieSlotClose(std::uint32_t slot);
double LayerMovieSlotGetPosition(std::uint32_t slot);
std::int32_t LayerMovieSlotGetLoopCount(std::uint32_t slot);
GxMoviePlayerFile* LayerMovieSlotGetPlayer(std::uint32_t slot);
bool LayerMoviePlayerIsPlaying(GxMoviePlayerFile* player);
double LayerMoviePlayerGetPosition(GxMoviePlayerFile* player);
