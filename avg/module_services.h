// Small services of the adventure module that the builtins, the play screen and the other
// screens share: the play screen's global fade, its default background, starting the main
// script at a label, the test of an optional script argument and the widget notification record.
// The play screen's tasks are found by name at each call, so nothing here holds a task; while
// the play screen does not exist the calls do nothing.
#pragma once

#include "core/ui_listener.h"

#include <cstdint>
#include <string>

class GxMoaVariable;
class GxTaskUIBase;

// Empties both action lists of "$GLOBALFADE:SeqAvgMain", then fades it to alpha 0 over `ms`
// milliseconds, or sets alpha 0 at once when `ms` is 0 or less: the screen shows again.
void AvgGlobalFadeIn(std::int32_t ms);
// The same towards alpha 255: the screen goes black.
void AvgGlobalFadeOut(std::int32_t ms);

// Shows the configured default background ("FILE_CG_BG_DEFAULT") on "$BGLAYER:SeqAvgMain" at once.
void LoadDefaultBackground();

// Default background, a 1000 ms fade-in, the main worker reset and started at `label`, then a
// change of slot `worker` to "SeqAvgMain" with words 0 and 0, requested even when the label is
// missing (which is logged).
void AvgStartScriptAtLabel(std::int32_t worker, const std::u16string& label);

// True when the optional argument was given: a value that is not Null and whose text is not empty.
bool MoaArgIsNonEmpty(const GxMoaVariable* value);

// Fills the widget notification record that the widgets and the play screen's input handlers
// dispatch.
struct UINotifyParam {
    // Sender, code, value, then every other field zero (the caller may add a pointer position to
    // the first two floats afterwards).
    static void Init(GxUIEventParam* param, GxTaskUIBase* sender, std::int32_t code, std::int32_t value);
};
