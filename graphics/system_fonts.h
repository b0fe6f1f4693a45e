// The engine's system glyph caches: six GDI glyph caches kept for the whole run, one per font
// slot of the game configuration. The game start-up gives each its configured size; start-up
// and game reset empty them all. Number 0 is the engine's default glyph cache (the one that
// labels a missing picture). Window thread only.
#pragma once

#include <cstdint>

class GxGDIFontMap;

constexpr std::int32_t kSystemFontMapCount = 6;
constexpr std::int32_t kDefaultSystemFontMap = 0;

// Null for an index outside 0 to 5.
GxGDIFontMap* GetSystemFontMap(std::int32_t index);
// Drops every cached glyph page of the six caches (their sizes stay). Run before the device
// is released, so no page texture outlives it.
void ClearSystemFonts();
