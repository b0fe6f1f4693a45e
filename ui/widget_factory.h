// The widget factory: a UI type code (a module row's UIType) to the widget class it builds, and
// the two builds the sequences offer (GxSeqBase::CreateWidget, GxSeqBase::CreateWidgetFromModule)
// through the widget services.
#pragma once

#include <cstdint>

class GxTaskBase;
class GxTaskUIBase;
class GxSeqBase;
struct DBUILayoutRow;
struct DBUIModuleRow;

// Codes 1 to 51 can name a class; any other code builds nothing.
constexpr std::int32_t kUITypeLast = 51;

using GxWidgetConstructor = GxTaskUIBase* (*)(GxTaskBase* owner, const char16_t* name, const char16_t* localName,
                                             std::int32_t localIndex);

// The class of a code: the widget classes' rows are built in; tests may put a widget of their own
// at a code. Returns the previous constructor (null for none or a code outside 0 to 51).
GxWidgetConstructor SetWidgetConstructor(std::int32_t type, GxWidgetConstructor construct);

// A new widget of that code under owner: with index -1 `name` is its unique task name, otherwise
// its local name with that index. Null for a code without a class.
GxTaskUIBase* NewWidgetOfType(std::int32_t type, GxTaskBase* owner, const char16_t* name, std::int32_t index);

// The layout row's module looked up by name in the module table; the layout row applied, then the
// module row. Null (with one error line when the module is missing) when nothing was built.
GxTaskUIBase* CreateWidgetFromLayout(GxSeqBase* sequence, GxTaskBase* owner, const DBUILayoutRow* row,
                                     const char16_t* name, std::int32_t index);
// Only the module row applied.
GxTaskUIBase* CreateWidgetFromModuleRow(GxTaskBase* owner, const DBUIModuleRow* row, const char16_t* name,
                                        std::int32_t index);
