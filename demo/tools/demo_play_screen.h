// The pictures of the demo game's play screen, written by the demo generator: the default
// background, the picture shown for a missing one, the message and name window frames, and the
// speakers' name images.
#pragma once

#include <filesystem>

// Writes "cg/bg/黒.png", "cg/error.png", "cg/ui/msgwin.png", "cg/ui/namewin.png" and one
// "cg/name/<speaker>.png" per speaker of the demo's script under the game folder; false when a
// name cannot be rendered or a file written.
bool WriteDemoPlayScreen(const std::filesystem::path& gameFolder);
