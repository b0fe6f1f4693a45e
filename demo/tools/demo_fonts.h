// The demo game's grid fonts: "fonts/FONT16SYS.png", "FONT8NUM.png" and "FONT22NUM.png", the
// bitmap fonts the game start-up loads into its first three slots, written by the demo generator.
#pragma once

#include <filesystem>

// Renders each font's codes with the system gothic face, one glyph centred per cell, white with
// the glyph's coverage as alpha; false when a glyph cannot be rendered or a file written.
bool WriteDemoFonts(const std::filesystem::path& gameFolder);
