#include "avg/avg_play_state_services.h"

#include "avg/game_sound_services.h"
#include "avg/module_services.h"
#include "avg/seq_avg_main.h"
#include "core/core.h"
#include "media/movie_slots.h"

void GxAvgPlayStateServices::StopBgm(std::int32_t fadeMs)
{
    ::StopBgm(fadeMs);
}

void GxAvgPlayStateServices::StopBgv(std::int32_t fadeMs)
{
    ::StopBgv(fadeMs);
}

void GxAvgPlayStateServices::StopAllSeChannels()
{
    ::StopAllSeChannels();
}

void GxAvgPlayStateServices::StopAllVoiceChannels()
{
    ::StopAllVoiceChannels();
}

void GxAvgPlayStateServices::StopExtraVoiceChannels()
{
    ::StopExtraVoiceChannels();
}

bool GxAvgPlayStateServices::IsBgmPlaying()
{
    return ::IsBgmPlaying();
}

bool GxAvgPlayStateServices::IsBgvPlaying()
{
    return ::IsBgvPlaying();
}

void GxAvgPlayStateServices::PlayBgm(const std::u16string& file, std::int32_t loop, std::uint32_t startPos,
                                     std::uint32_t loopPos, std::int32_t fadeInMs, bool skipIfSame)
{
    ::PlayBgm(file, loop, startPos, loopPos, fadeInMs, skipIfSame);
}

void GxAvgPlayStateServices::PlayBgv(const std::u16string& file, std::int32_t loop, std::uint32_t startPos,
                                     std::uint32_t loopPos, std::int32_t fadeInMs)
{
    ::PlayBgv(file, loop, startPos, loopPos, fadeInMs);
}

void GxAvgPlayStateServices::PlaySeChannel(std::int32_t slot, const std::u16string& file, std::int32_t loop,
                                           std::uint32_t startPos, std::int32_t fadeInMs, std::uint32_t loopPos)
{
    ::PlaySeChannel(slot, file, loop, startPos, fadeInMs, loopPos);
}

void GxAvgPlayStateServices::StopAllStaticSounds()
{
    ::StopAllStaticSounds();
}

void GxAvgPlayStateServices::ResetWindows()
{
    if (SeqAvgMain* screen = FindPlayScreen(GxCore::GetInstance()))
        screen->ResetPlayScreen();
}

void GxAvgPlayStateServices::MovieSlotStopAll()
{
    ::MovieSlotStopAll();
}

void GxAvgPlayStateServices::AvgGlobalFadeOut(std::int32_t ms)
{
    ::AvgGlobalFadeOut(ms);
}

void InstallAvgPlayStateServices()
{
    static GxAvgPlayStateServices services;
    SetPlayStateServices(&services);
}
