// The demo game's nine data tables, written by the demo generator from the tab-separated sources
// in demo/tables/ (UTF-8, one file per table).
#pragma once

#include <filesystem>

// Writes "data/<table>.txt" under the game folder in UTF-16LE with its signature: "#" lines stay
// comments, empty lines are dropped, every other line is a row. False when a source is missing or
// a file cannot be written.
bool WriteDemoTables(const std::filesystem::path& demoFolder, const std::filesystem::path& gameFolder);
