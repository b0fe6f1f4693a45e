// GxUIPlayScreenWidgets: the widget subsystem's side of the saved game's play-screen calls (the
// message window's letter margin, a widget's image alpha, a text button's text colour).
#pragma once

#include "data/play_screen_widgets.h"

class GxUIPlayScreenWidgets : public GxPlayScreenWidgetsBase {
public:
    void SetLetterMarginWidth(GxTaskBase* messageWindow, std::int32_t width) override;
    void SetImageAlpha(GxTaskBase* widget, std::int32_t alpha) override;
    void SetTextColor(GxTaskBase* textButton, std::uint32_t argb) override;
};

// The one process-wide instance.
GxUIPlayScreenWidgets& GetUIPlayScreenWidgets();
