// The demo generator's content writers. Each kind of content is written by its own source file
// from the demo's sources (the `demo/` folder) into the game folder the build plays.
#pragma once

#include <filesystem>

struct TestImage;

// A PNG picture at `path`, its folders made; a failure is said on stderr.
bool WriteDemoPng(const std::filesystem::path& path, const TestImage& image);

// "bincode/moacode.mwb" from the scripts in demo/scripts/ (one script per "*.moa" file, named
// after the file).
bool WriteDemoProgram(const std::filesystem::path& demoFolder, const std::filesystem::path& gameFolder);

// The resident system layer's panel images "cg/ui/*.png" (its rows are in tables/db_uimodule.txt)
// and the system sounds "sounds/sys/*.wav".
bool WriteDemoSystemLayer(const std::filesystem::path& gameFolder);

// The story's pictures (tools/demo_story_pictures.cpp): the backgrounds "cg/bg/bg_*.png", Hana's
// standing pictures "cg/stand/hana/", the event pictures "cg/ev/", the rule image "cg/tr/tr_wipe.png",
// Mio's motion project "gnc/mio.gnc" with its set "gnc/gis/mio.gis", and the voice page's faces
// "uigis/ui_facepanel.gis".
bool WriteDemoStoryPictures(const std::filesystem::path& gameFolder);

// The user interface (tools/demo_ui_*.cpp): the UI module and layout tables of every screen,
// the image sets "uigis/*.gis" their widgets draw from, the screens' backgrounds "cg/ui/bg_*.png"
// and the loose frames the back-log and debug screens use. The galleries' thumbnails and the
// music room's track buttons follow the story's tables already written under "data/".
bool WriteDemoUI(const std::filesystem::path& gameFolder);

// The music "bgms/bgm01.ogg" … "bgm05.ogg" (each loops back to 1 s, the loop point the music
// room's rows and "BGM_LOOP_TITLE" give), the effects "sounds/se/*.wav", the characters' voices
// "voices/hana/", "voices/mio/" and "voices/sys/", and the configuration samples "sounds/test/".
bool WriteDemoSounds(const std::filesystem::path& gameFolder);

// The opening movie and the scrambled pack "demo00.gxp" holding it as "movies/opening.mpg",
// with the pictures of one scene moved in from the loose files written before (run last).
bool WriteDemoMoviePack(const std::filesystem::path& gameFolder);
