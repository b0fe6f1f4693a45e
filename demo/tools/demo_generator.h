// The demo generator's content writers. Each kind of content is written by its own source file
// from the demo's sources (the `demo/` folder) into the game folder the build plays.
#pragma once

#include <filesystem>

// "bincode/moacode.mwb" from the scripts in demo/scripts/ (one script per "*.moa" file, named
// after the file).
bool WriteDemoProgram(const std::filesystem::path& demoFolder, const std::filesystem::path& gameFolder);

// The resident system layer's panel images "cg/ui/*.png" (its rows are in tables/db_uimodule.txt)
// and the system sounds "sounds/sys/*.wav".
bool WriteDemoSystemLayer(const std::filesystem::path& gameFolder);

// The title screen's background "cg/ui/bg_title.png", its buttons' images "cg/ui/btn_title_*.png"
// (their rows are in tables/db_uimodule.txt and db_uilayout.txt) and "uigis/ui_title.gis".
bool WriteDemoTitle(const std::filesystem::path& gameFolder);
