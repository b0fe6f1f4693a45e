#include "core/standins/media_standin.h"

#include "core/standins/standin_trace.h"

bool InitAudioDevice(std::int32_t)
{
    GxStandinTrace::Record(u"InitAudioDevice");
    return true;
}

bool SoundInitDevice(HWND, std::int32_t)
{
    GxStandinTrace::Record(u"SoundInitDevice");
    return true;
}

bool MovieInitCom()
{
    GxStandinTrace::Record(u"MovieInitCom");
    return true;
}

void AudioUpdatePlayers()
{
    GxStandinTrace::Record(u"AudioUpdatePlayers");
}

void SoundUpdatePlayers()
{
    GxStandinTrace::Record(u"SoundUpdatePlayers");
}

void AudioUpdate3D()
{
    GxStandinTrace::Record(u"AudioUpdate3D");
}

void SoundUpdate3D()
{
    GxStandinTrace::Record(u"SoundUpdate3D");
}

void MovieSlotTickAll()
{
    GxStandinTrace::Record(u"MovieSlotTickAll");
}

void SoundShutdownDevice()
{
    GxStandinTrace::Record(u"SoundShutdownDevice");
}

void AudioShutdownDevice()
{
    GxStandinTrace::Record(u"AudioShutdownDevice");
}

void MovieShutdown()
{
    GxStandinTrace::Record(u"MovieShutdown");
}
