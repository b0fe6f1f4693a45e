#include "data/play_state_services.h"

namespace {

class GxNoPlayStateServices : public GxPlayStateServicesBase {
public:
    void StopBgm(std::int32_t) override {}
    void StopBgv(std::int32_t) override {}
    void StopAllSeChannels() override {}
    void StopAllVoiceChannels() override {}
    void StopExtraVoiceChannels() override {}
    bool IsBgmPlaying() override { return false; }
    bool IsBgvPlaying() override { return false; }
    void PlayBgm(const std::u16string&, std::int32_t, std::uint32_t, std::uint32_t, std::int32_t, bool) override {}
    void PlayBgv(const std::u16string&, std::int32_t, std::uint32_t, std::uint32_t, std::int32_t) override {}
    void PlaySeChannel(std::int32_t, const std::u16string&, std::int32_t, std::uint32_t, std::int32_t,
                       std::uint32_t) override {}
    void StopAllStaticSounds() override {}
    void MovieSlotStopAll() override {}
    void ResetWindows() override {}
    void AvgGlobalFadeOut(std::int32_t) override {}
};

GxNoPlayStateServices g_NoServices;
GxPlayStateServicesBase* g_Services = nullptr;

}  // namespace

GxPlayStateServicesBase* SetPlayStateServices(GxPlayStateServicesBase* services)
{
    GxPlayStateServicesBase* previous = g_Services;
    g_Services = services;
    return previous;
}

GxPlayStateServicesBase& GetPlayStateServices()
{
    return g_Services != nullptr ? *g_Services : g_NoServices;
}
