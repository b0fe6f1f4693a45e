// Small pieces the list-like widgets (text log, list box, menu, drop menu) share: the screen's
// input and activity tests, the system fonts by checked index, and the configuration values they
// take their defaults from.
#pragma once

#include <cstdint>
#include <string>

class GxFontData;
class GxGDIFontMap;
class GxTaskUIBase;

// The owning screen lets the widget take pointer input now (no test skipped).
bool WidgetTakesInput(GxTaskUIBase* widget);
// The owning screen reports the widget active (drawn).
bool WidgetIsShown(GxTaskUIBase* widget);
// The system glyph cache or bitmap font of an index; null for an index outside their range.
GxGDIFontMap* WidgetFontMap(std::int32_t index);
GxFontData* WidgetBitmapFont(std::int32_t index);
// A font index the system glyph caches have (0 to 5); logs `who` and the index otherwise.
bool IsWidgetFontIndex(std::int32_t index, const char16_t* who);
// The widget's engine core supplies these (the process's core for a widget outside a tree).
// The configured pixel size of a system glyph cache (0 for an index outside 0 to 5).
std::int32_t WidgetFontSize(const GxTaskUIBase* widget, std::int32_t index);
// "SYSTEM_EDGE_COLOR" of the game configuration (its built-in value without one).
std::uint32_t WidgetSystemEdgeColor(const GxTaskUIBase* widget);
// The UI image-set folder of the game configuration.
std::u16string WidgetImageSetFolder(const GxTaskUIBase* widget);
// Image-set naming from a path: the last folder names the set (".gis" appended), the file name
// the cell.
void SplitImageSetPath(const std::u16string& path, std::u16string& setName, std::u16string& cellName);

class GxContentReaderBase;
// A saved value replaces the field only when it was read.
bool ReadStateS32(GxContentReaderBase& reader, const char* name, std::int32_t& field);
bool ReadStateU32(GxContentReaderBase& reader, const char* name, std::uint32_t& field);
bool ReadStateBool(GxContentReaderBase& reader, const char* name, bool& field);
