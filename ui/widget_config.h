// The game configuration and the player's options as the widgets read them: the core's, or the
// built-in defaults for a widget outside a running core (a tool or a test tree of its own).
#pragma once

#include <cstdint>

class GxSystemConfig;
class GxTaskBase;
class GxUserConfig;

const GxSystemConfig& GetWidgetSystemConfig(const GxTaskBase* task);
const GxUserConfig& GetWidgetUserConfig(const GxTaskBase* task);
// "FONTSIZE_n"; 0 for an index outside the six font slots.
std::int32_t GetWidgetFontSize(const GxTaskBase* task, std::int32_t index);
