// The demo game's shared image sets "uigis/ui_common.gis" and "ui_iconpool.gis" over one small
// atlas, written by the demo generator (the screens' sets come with their rows, tools/demo_ui_*).
#pragma once

#include <filesystem>

// Writes both sets with "uigis/ui_atlas.png" under the game folder; false when a file cannot be
// written.
bool WriteDemoImageSets(const std::filesystem::path& gameFolder);
