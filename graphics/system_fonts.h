// The engine's system fonts, kept for the whole run: six GDI glyph caches, one per font slot of
// the game configuration, and eleven bitmap fonts (ten numbered slots and the message window's
// built-in font). The game start-up gives each cache its configured size and loads the bitmap
// fonts; start-up and game reset empty them all. Cache 0 is the engine's default glyph cache
// (the one that labels a missing picture). Window thread only.
#pragma once

#include <cstdint>

class GxFontData;
class GxGDIFontMap;

constexpr std::int32_t kSystemFontMapCount = 6;
constexpr std::int32_t kDefaultSystemFontMap = 0;
constexpr std::int32_t kSystemBitmapFontCount = 11;
// Slots 0 to 2 hold "FONT16SYS", "FONT8NUM" and "FONT22NUM" when their images exist.
constexpr std::int32_t kBuiltinMessageFontIndex = 10;

// Null for an index outside 0 to 5.
GxGDIFontMap* GetSystemFontMap(std::int32_t index);
// Null for an index outside 0 to 10; an empty font (IsLoaded false) until start-up fills it.
GxFontData* GetSystemBitmapFont(std::int32_t index);
// Drops every cached glyph page of the six caches (their sizes stay) and empties the eleven
// bitmap fonts. Run before the device is released, so no texture outlives it.
void ClearSystemFonts();
