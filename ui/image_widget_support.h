// What the image-set widgets (buttons, sliders) share: the input gate as a widget asks it, the
// cursor as the widgets read it, the mouse event record, the image-set names from a module row or
// from one path, the cell lookup and the first pattern's size, and the transform and draw of one
// pattern of a cell. Window thread only.
#pragma once

#include "core/ui_listener.h"
#include "foundation/matrix.h"
#include "foundation/value_types.h"

#include <cstdint>
#include <string>

class GxTaskActor;
class GxTaskBase;
class GxTaskUIBase;
class GxNcCrammedImageSet;
struct GxCoreConfig;
struct DBUIModuleRow;
struct GxNcOriginImage;

// The sequence's input gate with no test skipped; closed for a widget outside any sequence.
bool IsUIInputOpen(GxTaskUIBase* widget);
// The sequence says the widget is drawn; false outside any sequence.
bool IsUIWidgetDrawn(GxTaskUIBase* widget);
// The cursor in virtual-screen pixels; (0, 0) for a task without a core.
GxVector2 GetUICursor(const GxTaskBase* task);
// The game configuration's values the core copied (the built-in values without a core).
const GxCoreConfig& GetUIConfig(const GxTaskBase* task);

// A mouse event of the sender: pointer (x, y, 0, 0) and the sender's absolute position.
GxUIEventParam MakeUIMouseEvent(GxTaskUIBase* sender, std::int32_t code, const GxVector2& pointer);

// The UI image-set folder of the configuration + the row's ImageSetName + ".gis".
std::u16string UIImageSetFileOf(const GxTaskBase* task, const DBUIModuleRow& row);
// "folder/set/name": the set file "folder/set.gis" and the cell base name "name".
void SplitUIImagePath(const std::u16string& path, std::u16string* imageSetName, std::u16string* imageName);

// The pool's set of that name (no reference taken), or null.
GxNcCrammedImageSet* FindUIImageSet(const std::u16string& name);
// The cell of exactly that name in the set; null for a null set.
GxNcOriginImage* FindUICell(GxNcCrammedImageSet* imageSet, const std::u16string& name);
// Width and height of the cell's first pattern; false (sizes untouched) without one.
bool GetUICellSize(const GxNcOriginImage* cell, std::int32_t* width, std::int32_t* height);
// The widget's width and height that are still 0 from the cell's first pattern; false (nothing
// changed) without one.
bool TakeUICellSize(GxTaskUIBase* widget, const GxNcOriginImage* cell);

// The actor's transform at `position`, with its rotation, scale and the given pivot.
GxMatrix MakeUITransform(const GxTaskActor& actor, const GxVector3& position, const GxVector3& pivot);
// Pattern `index` of the cell through the transform with the actor's colours and blend preset;
// nothing for a null cell or an index outside its patterns.
void DrawUICell(const GxTaskActor& actor, const GxNcOriginImage* cell, std::int32_t index, const GxMatrix& transform,
                float alpha);

// The widget's line-break character and system edge colour from the game configuration (its
// built-in values without one).
char16_t GetUILineBreakChar(const GxTaskBase* task);
std::uint32_t GetUISystemEdgeColor(const GxTaskBase* task);

// A saved value replaces the field only when it was read (the reader counts the failures); true
// when it was.
class GxContentReaderBase;
bool ReadUIField(GxContentReaderBase& reader, const char* name, bool& field);
bool ReadUIField(GxContentReaderBase& reader, const char* name, std::int32_t& field);
bool ReadUIField(GxContentReaderBase& reader, const char* name, std::uint32_t& field);
bool ReadUIField(GxContentReaderBase& reader, const char* name, double& field);
bool ReadUIField(GxContentReaderBase& reader, const char* name, std::u16string& field);
// ReadUIField of a position, offset or size, held by HoldUIExtent.
bool ReadUIExtent(GxContentReaderBase& reader, const char* name, std::int32_t& field);
