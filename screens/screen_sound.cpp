#include "screens/screen_sound.h"

#include "avg/game_sound_services.h"

namespace {

GxScreenSoundBase* g_Sound = nullptr;

}  // namespace

bool GxScreenSoundBase::PlaySystemSound(std::int32_t soundID, std::int32_t voiceID)
{
    return ::PlaySystemSound(soundID, voiceID);
}

bool GxScreenSoundBase::PlaySystemVoice(std::int32_t voiceID)
{
    return ::PlaySystemVoice(voiceID);
}

bool GxScreenSoundBase::IsVoicePlaying()
{
    return ::IsVoicePlaying();
}

void GxScreenSoundBase::ApplyMusicVolumes()
{
    ApplyBgmVolume();
    ApplyBgvVolume(false);
}

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
