// ShowHelpTip: the resident system screen's help tip, shown for a widget's automatic help. The
// tip is the widget registered as "tip_help"; without one nothing is shown.
#pragma once

class GxTaskManage;

// Activates and shows "tip_help", sets its text and places it at the pointer (x, y, 0, 0).
void ShowHelpTip(GxTaskManage* manage, const char16_t* text, const float* pointer);
