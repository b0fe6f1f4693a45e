// Stand-ins for the neighbour services that actors and layers call, until the adventure module
// and the configuration objects offer them: system sounds, the image-file lookup by extension,
// the configured error image and the movie attenuation of the player's options.
#pragma once

#include <cstdint>
#include <string>

class GxCore;

// Plays system sound `id` of the game configuration and hands `voice` to the system-voice player.
// Here only recorded (GxStandinTrace "PlaySystemSound(id,voice)"); always true.
bool PlaySystemSound(std::int32_t id, std::int32_t voice);

// Tries `name` with ".png", ".dds", ".tga", ".jpg" and ".bmp" in this order, as a loose file or a
// pack entry; on success `name` becomes the name found. False when none exists.
bool ResolveImageFile(std::u16string& name);

// The image shown in place of one that cannot be found: "FILE_CG_ERROR" of the core's game
// configuration, unless a name was set here (empty: none set). Empty without either.
const std::u16string& GetErrorImageFileName(GxCore* core);
void SetErrorImageFileName(const std::u16string& name);

// Attenuation for movie sound in hundredths of a decibel (0 to -9600) from the player's
// options; 0 until set.
std::int32_t GetMovieAttenuation(GxCore* core);
void SetMovieAttenuation(std::int32_t attenuation);
