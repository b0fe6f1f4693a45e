// The demo game's user-interface image sets: "uigis/ui_common.gis" and "ui_iconpool.gis" over a
// shared atlas, and the play screen's "ui_avgmain.gis" (the choice button's four looks and the
// click-wait mark) over its own, written by the demo generator.
#pragma once

#include <filesystem>

// Writes the three sets with "uigis/ui_atlas.png" and "uigis/ui_avgmain.png" under the game
// folder; false when a file cannot be written.
bool WriteDemoImageSets(const std::filesystem::path& gameFolder);
