// What loading a saved game asks of the play screen's widgets once their states are read: the
// message window's letter margin, a window's image alpha and a choice button's text colour. The
// widgets sit above the data subsystem, so the widget subsystem installs the one implementation;
// until it does, the default changes nothing.
#pragma once

#include <cstdint>

class GxTaskBase;

class GxPlayScreenWidgetsBase {
public:
    virtual ~GxPlayScreenWidgetsBase() = default;

    // Each does nothing for a task that is not a widget of the fitting kind.
    virtual void SetLetterMarginWidth(GxTaskBase* messageWindow, std::int32_t width) = 0;
    virtual void SetImageAlpha(GxTaskBase* widget, std::int32_t alpha) = 0;
    virtual void SetTextColor(GxTaskBase* textButton, std::uint32_t argb) = 0;
};

// Not owned; null puts the do-nothing default back. Returns the previous one (null for the default).
GxPlayScreenWidgetsBase* SetPlayScreenWidgets(GxPlayScreenWidgetsBase* widgets);
// Never null.
GxPlayScreenWidgetsBase& GetPlayScreenWidgets();
