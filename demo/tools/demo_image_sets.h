// The demo game's user-interface image sets: "uigis/ui_common.gis", "ui_avgmain.gis" and
// "ui_iconpool.gis" with the atlas image they share, written by the demo generator.
#pragma once

#include <filesystem>

// Writes the three sets and "uigis/ui_atlas.png" under the game folder; false when a file
// cannot be written.
bool WriteDemoImageSets(const std::filesystem::path& gameFolder);
