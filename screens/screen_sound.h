// The game sound calls the screens make, behind one small interface: the default forwards to the
// adventure module's game sound services; tests install their own to see what was played and to
// say whether a voice plays.
#pragma once

#include <cstdint>

class GxScreenSoundBase {
public:
    virtual ~GxScreenSoundBase() = default;

    // soundID: the one-shot system sound (-1 none); voiceID: the system voice (-1 none).
    virtual bool PlaySystemSound(std::int32_t soundID, std::int32_t voiceID);
    virtual bool PlaySystemVoice(std::int32_t voiceID);
    // A voice plays on the stream channels 10 to 14.
    virtual bool IsVoicePlaying();
    // The music and background-voice volumes applied again (after the restraint changed).
    virtual void ApplyMusicVolumes();
};

// Not owned; null puts the default back. Returns the previous one (null for the default).
GxScreenSoundBase* SetScreenSound(GxScreenSoundBase* sound);
GxScreenSoundBase& GetScreenSound();
