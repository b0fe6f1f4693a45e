#include "core/movie_services.h"

#include "foundation/log.h"

namespace {

GxMovieServicesBase* g_MovieServices = nullptr;

// The installed services when the slot exists; null (with an error line for a bad slot) otherwise.
GxMovieServicesBase* ServicesFor(std::uint32_t slot, const char16_t* operation)
{
    if (slot >= kMovieSlotCount) {
        LogPrint(u"%s: no movie slot %u\n", operation, slot);
        return nullptr;
    }
    return g_MovieServices;
}

}  // namespace

GxMovieServicesBase* SetMovieServices(GxMovieServicesBase* services)
{
    GxMovieServicesBase* previous = g_MovieServices;
    g_MovieServices = services;
    return previous;
}

GxMovieServicesBase* GetMovieServices()
{
    return g_MovieServices;
}

bool LayerMovieSlotOpen(std::uint32_t slot, const std::u16string& file, GxTextureMovie* texture,
                        std::int32_t mode, std::int32_t flags)
{
    GxMovieServicesBase* services = ServicesFor(slot, u"MovieSlotOpen");
    return services ? services->MovieSlotOpen(slot, file, texture, mode, flags) : false;
}

void LayerMovieSlotSetLoopStart(std::uint32_t slot, double seconds)
{
    if (GxMovieServicesBase* services = ServicesFor(slot, u"MovieSlotSetLoopStart"))
        services->MovieSlotSetLoopStart(slot, seconds);
}

void LayerMovieSlotSetPosition(std::uint32_t slot, double seconds)
{
    if (GxMovieServicesBase* services = ServicesFor(slot, u"MovieSlotSetPosition"))
        services->MovieSlotSetPosition(slot, seconds);
}

void LayerMovieSlotPlay(std::uint32_t slot, std::int32_t loops, std::int32_t attenuation)
{
    if (GxMovieServicesBase* services = ServicesFor(slot, u"MovieSlotPlay"))
        services->MovieSlotPlay(slot, loops, attenuation);
}

void LayerMovieSlotStop(std::uint32_t slot)
{
    if (GxMovieServicesBase* services = ServicesFor(slot, u"MovieSlotStop"))
        services->MovieSlotStop(slot);
}

void LayerMovieSlotClose(std::uint32_t slot)
{
    if (GxMovieServicesBase* services = ServicesFor(slot, u"MovieSlotClose"))
        services->MovieSlotClose(slot);
}

double LayerMovieSlotGetPosition(std::uint32_t slot)
{
    GxMovieServicesBase* services = ServicesFor(slot, u"MovieSlotGetPosition");
    return services ? services->MovieSlotGetPosition(slot) : 0.0;
}

std::int32_t LayerMovieSlotGetLoopCount(std::uint32_t slot)
{
    GxMovieServicesBase* services = ServicesFor(slot, u"MovieSlotGetLoopCount");
    return services ? services->MovieSlotGetLoopCount(slot) : 0;
}

GxMoviePlayerFile* LayerMovieSlotGetPlayer(std::uint32_t slot)
{
    GxMovieServicesBase* services = ServicesFor(slot, u"MovieSlotGetPlayer");
    return services ? services->MovieSlotGetPlayer(slot) : nullptr;
}

bool LayerMoviePlayerIsPlaying(GxMoviePlayerFile* player)
{
    return player && g_MovieServices ? g_MovieServices->IsPlayerPlaying(player) : false;
}

double LayerMoviePlayerGetPosition(GxMoviePlayerFile* player)
{
    return player && g_MovieServices ? g_MovieServices->GetPlayerPosition(player) : 0.0;
}
