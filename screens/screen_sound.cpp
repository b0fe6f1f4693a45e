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

void GxScreenSoundBase::ApplyVolume(Volume kind)
{
    switch (kind) {
    case Volume::kBgm: ApplyBgmVolume(); break;
    case Volume::kBgv: ApplyBgvVolume(false); break;
    case Volume::kMovie: ApplyMovieVolume(); break;
    case Volume::kSe: ApplySeVolume(); break;
    case Volume::kVoice: ApplyVoiceVolume(); break;
    case Volume::kSystemVoice: ApplySystemVoiceVolume(); break;
    case Volume::kExtraVoice: ApplyExtraVoiceVolume(); break;
    }
}

bool GxScreenSoundBase::StopVoiceChannels(std::int32_t fadeMs)
{
    return ::StopVoiceChannels(fadeMs);
}

bool GxScreenSoundBase::StopConfigSamples()
{
    return ::StopConfigSamples();
}

bool GxScreenSoundBase::PlayConfigSeSample(const std::u16string& file)
{
    return ::PlayConfigSeSample(file);
}

bool GxScreenSoundBase::PlayConfigSystemVoiceSample(const std::u16string& file)
{
    return ::PlayConfigSystemVoiceSample(file);
}

bool GxScreenSoundBase::PlayConfigVoiceSample(const std::u16string& file, std::int32_t volumeSlot)
{
    return ::PlayConfigVoiceSample(file, volumeSlot);
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
