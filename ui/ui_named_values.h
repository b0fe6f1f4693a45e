// The icon index: image-set cells by name, filled by the game start-up from its icon image set
// and read by the widgets that draw icons by name (the drop-menu items) and by the screens. Tests
// fill it directly. The cells are not owned: the image-set pool keeps their set. Window thread
// only.
#pragma once

#include <string>

class GxNcCrammedImageSet;
struct GxNcOriginImage;

// Each origin image of the set under its file title (no folder, no extension); a title already
// present keeps its first cell.
void BuildUINameIndex(GxNcCrammedImageSet* set);
// Registers one cell under a name; an existing name keeps its first cell. False when kept.
bool AddUINamedValue(const std::u16string& name, GxNcOriginImage* cell);
// The cell under exactly that name (case included), or null.
GxNcOriginImage* FindUINamedValue(const std::u16string& name);
// Empties the index (game reset, and before the pool releases its sets).
void ClearUINamedValues();
