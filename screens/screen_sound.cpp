#include "screens/screen_sound.h"

namespace {

GxScreenSoundBase* g_Sound = nullptr;

}  // namespace

bool GxScreenSoundBase::PlaySystemSound(std::int32_t, std::int32_t)
{
    return true;
}

bool GxScreenSoundBase::PlaySystemVoice(std::int32_t)
{
    return false;
}

bool GxScreenSoundBase::IsVoicePlaying()
{
    return false;
}

void GxScreenSoundBase::ApplyMusicVolumes() {}

GxScreenSoundBase* SetScreenSound(GxScreenSoundBase* sound)
{
    GxScreenSoundBase* previous = g_Sound;
    g_Sound = sound;
    return previous;
}

GxScreenSoundBase& GetScreenSound()
{
    static GxScreenSoundBase defaults;
    return g_Sound != nullptr ? *g_Sound : defaults;
}
