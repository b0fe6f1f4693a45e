// Game-level look-ups over the files and the data tables: resource files named without their
// extension, a character's voice file, a music file's loop position, the picture gallery's
// counts and the replay labels. The tables' own look-ups (characters by name, gallery pictures by
// file name, UI layout rows) and the gallery split live with the tables in data/. Window thread.
#pragma once

#include <cstdint>
#include <string>

// Each keeps the path when it exists as it is; otherwise it tries the type's extensions in order
// (a loose file before a pack entry) and takes the first that exists. False, with the path
// unchanged, when none does.
bool ResolveImageFile(std::u16string& path);     // ".png", ".dds", ".tga", ".jpg", ".bmp"
bool ResolveSoundFile(std::u16string& path);     // ".ogg", ".wav"
bool ResolveMovieFile(std::u16string& path);     // ".wmv", ".asf", ".mpg", ".avi"
bool ResolveProjectFile(std::u16string& path);   // ".gnc"

// The first character row from row 1 on whose "VoicePath" (not empty, not "*") followed by the
// voice name exists, as it is or with ".ogg" or ".wav"; the name becomes that path and the row is
// returned. 0, with the name unchanged, when none.
std::int32_t FindCharacterVoice(std::u16string& voice);

// "LoopPosTime" of the first music-room row whose "FileName" is the path's file name exactly.
std::uint32_t FindBgmLoopPosTime(const std::u16string& path);

// Fills "Count" of every gallery row whose first "FileName" is set and whose "Count" is 0 with
// the number of its non-empty "FileName" entries.
void CountCGFiles();

// Whether a replay row's non-empty "Label" is the label exactly.
bool IsReplayLabel(const std::u16string& label);
